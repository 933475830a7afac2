// How the Jet engine compares object names: without regard to letter case, for every
// alphabet it knows ("Заказы" and "ЗАКАЗЫ" name the same table to the engine).
//
// This is the engine's own look-up rule. The structure comparison uses a different,
// narrower rule (only Latin letters folded) that lives in engine/; never mix the two.
#ifndef SKARNVEL_DBACCESS_CATALOG_JET_NAMES_H_
#define SKARNVEL_DBACCESS_CATALOG_JET_NAMES_H_

#include <string>
#include <string_view>

namespace dbaccess {

// The name with every letter in lower case (Latin, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters are folded; everything else, invalid UTF-8 included, is kept as is).
// Two names are the same object name when their folded forms are equal.
std::string FoldName(std::string_view utf8);

// FoldName(a) == FoldName(b), without building the folded strings.
bool SameName(std::string_view a, std::string_view b);

// Orders names the way the engine lists objects: by folded form, then by the exact bytes
// so that the order is total.
bool NameLess(std::string_view a, std::string_view b);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_JET_NAMES_H_
