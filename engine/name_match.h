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

#include <array>
#include <cstddef>
#include <string_view>
#include <unordered_map>

namespace uAlg {

bool NamesMatch(std::string_view a, std::string_view b);

// A hash that agrees with NamesMatch: texts that match hash alike.
size_t MatchHash(std::string_view text, size_t seed = 0);

// Finds in a list the first entry whose N texts each match the given ones, as a walk from
// the start of the list that stops at the first match would, in constant expected time.
// The index refers to the texts it is given; they must outlive it.
template <size_t N>
class MatchIndex {
 public:
  using Key = std::array<std::string_view, N>;
  static constexpr size_t kNotFound = static_cast<size_t>(-1);

  explicit MatchIndex(size_t expected = 0) { positions_.reserve(expected); }

  // Records `position` for `key` unless an earlier entry matches it already.
  void Add(const Key& key, size_t position) { positions_.try_emplace(key, position); }

  // The position of the first entry that matches `key`, or kNotFound.
  size_t Find(const Key& key) const {
    auto found = positions_.find(key);
    return found == positions_.end() ? kNotFound : found->second;
  }
  bool Contains(const Key& key) const { return positions_.count(key) != 0; }

  void Clear() { positions_.clear(); }

 private:
  struct Hash {
    size_t operator()(const Key& key) const {
      size_t h = 0;
      for (std::string_view part : key) h = MatchHash(part, h);
      return h;
    }
  };
  struct Equal {
    bool operator()(const Key& a, const Key& b) const {
      for (size_t i = 0; i < N; ++i) {
        if (!NamesMatch(a[i], b[i])) return false;
      }
      return true;
    }
  };
  std::unordered_map<Key, size_t, Hash, Equal> positions_;
};

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_NAME_MATCH_H_
