#include "engine/name_match.h"

namespace uAlg {
namespace {

char FoldLatin(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void AppendFolded(std::string& out, std::string_view text) {
  for (char c : text) out.push_back(FoldLatin(c));
}

}  // namespace

bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldLatin(a[i]) != FoldLatin(b[i])) return false;
  }
  return true;
}

std::string MatchKey(std::string_view text) {
  std::string key;
  key.reserve(text.size());
  AppendFolded(key, text);
  return key;
}

std::string MatchKey(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (std::string_view part : parts) total += part.size() + 1 + sizeof(size_t);
  std::string key;
  key.reserve(total);
  for (std::string_view part : parts) {
    key += std::to_string(part.size());
    key.push_back(':');
    AppendFolded(key, part);
  }
  return key;
}

}  // namespace uAlg
