// The rule by which the comparisons pair objects of the two databases: two names (or two
// saved-query texts) match when they have the same length and the same characters, where
// only the Latin letters A to Z count as equal to a to z. Every other character, Cyrillic
// letters included, must be identical: "Orders" matches "ORDERS", "Заказы" does not match
// "ЗАКАЗЫ".
//
// This is narrower than the engine's own name look-up (dbaccess::SameName, which folds
// Cyrillic too); the comparisons use this rule only.
//
// Texts are UTF-8. The bytes of A to Z never occur inside a multi-byte sequence, so folding
// them byte by byte is folding them character by character.
#ifndef SKARNVEL_ENGINE_NAME_MATCH_H_
#define SKARNVEL_ENGINE_NAME_MATCH_H_

#include <initializer_list>
#include <string>
#include <string_view>

namespace uAlg {

bool NamesMatch(std::string_view a, std::string_view b);

// The text with A to Z lowered and nothing else changed: NamesMatch(a, b) exactly when
// MatchKey(a) == MatchKey(b). Used as the key of hashed look-ups.
std::string MatchKey(std::string_view text);

// One key for several texts matched together (e.g. table and column): equal exactly when
// every part matches its counterpart. Each part is prefixed with its length, so no choice
// of separator can make two different lists of parts collide.
std::string MatchKey(std::initializer_list<std::string_view> parts);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_NAME_MATCH_H_
