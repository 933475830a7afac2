// The value of a column property in the structure snapshot is a dbaccess::Variant (empty,
// null, integer, text or boolean). Here are the comparison rules the table comparison and
// the table action builder apply to such values.
//
// Two values are equal when they are of one kind and equal (texts character for character,
// case counting; integers numerically; booleans; null with null; empty with empty), or
// when one is empty and the other is the empty text, the integer 0 or false, or when one
// is a boolean and the other the text "True" or "False" naming the same boolean. Every
// other pair is different; in particular null never equals anything but null.
#ifndef SKARNVEL_ENGINE_PROP_VALUE_H_
#define SKARNVEL_ENGINE_PROP_VALUE_H_

#include <cstdint>

#include "dbaccess/base/variant.h"

namespace uAlg {

bool PropValuesEqual(const dbaccess::Variant& a, const dbaccess::Variant& b);
inline bool PropValuesDiffer(const dbaccess::Variant& a, const dbaccess::Variant& b) {
  return !PropValuesEqual(a, b);
}

// The value read as a decimal integer: an integer itself, a text that is a whole decimal
// number (optional sign) its value; anything else, empty and null included, 0.
int64_t PropValueAsInteger(const dbaccess::Variant& value);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_PROP_VALUE_H_
