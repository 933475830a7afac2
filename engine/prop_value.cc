#include "engine/prop_value.h"

#include <charconv>
#include <string>

namespace uAlg {
namespace {

using dbaccess::Variant;
using Kind = Variant::Kind;

constexpr std::string_view kTrueText = "True";
constexpr std::string_view kFalseText = "False";

// Whether the empty value `empty` is equal to `other` (which is not empty).
bool EmptyEquals(const Variant& other) {
  switch (other.kind()) {
    case Kind::kText:
      return other.AsText().empty();
    case Kind::kInteger:
      return other.AsInteger() == 0;
    case Kind::kBoolean:
      return !other.AsBoolean();
    default:
      return false;
  }
}

bool BooleanEqualsText(bool b, const std::string& text) {
  if (text == kTrueText) return b;
  if (text == kFalseText) return !b;
  return false;
}

}  // namespace

bool PropValuesEqual(const Variant& a, const Variant& b) {
  if (a.kind() == b.kind()) {
    switch (a.kind()) {
      case Kind::kEmpty:
      case Kind::kNull:
        return true;
      case Kind::kInteger:
        return a.AsInteger() == b.AsInteger();
      case Kind::kText:
        return a.AsText() == b.AsText();
      case Kind::kBoolean:
        return a.AsBoolean() == b.AsBoolean();
    }
  }
  if (a.IsEmpty()) return EmptyEquals(b);
  if (b.IsEmpty()) return EmptyEquals(a);
  if (a.IsBoolean() && b.IsText()) return BooleanEqualsText(a.AsBoolean(), b.AsText());
  if (b.IsBoolean() && a.IsText()) return BooleanEqualsText(b.AsBoolean(), a.AsText());
  return false;
}

int64_t PropValueAsInteger(const Variant& value) {
  if (value.IsInteger()) return value.AsInteger();
  if (!value.IsText()) return 0;
  std::string_view text = value.AsText();
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  int64_t result = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
  return result;
}

}  // namespace uAlg
