#include "engine/name_match.h"

#include <cstdint>

namespace uAlg {
namespace {

char FoldLatin(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// FNV-1a, 64 bits.
constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

}  // namespace

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldLatin(a[i]) != FoldLatin(b[i])) return false;
  }
  return true;
}

size_t MatchHash(std::string_view text, size_t seed) {
  uint64_t h = kFnvOffset ^ (static_cast<uint64_t>(seed) * kFnvPrime);
  for (char c : text) {
    h ^= static_cast<unsigned char>(FoldLatin(c));
    h *= kFnvPrime;
  }
  // The length ends each text, so that a list of texts hashes by where each one ends too.
  h ^= text.size();
  h *= kFnvPrime;
  return static_cast<size_t>(h);
}

}  // namespace uAlg
