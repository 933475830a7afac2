#include "engine/compare_queries.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/name_match.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

TQResult ResultFor(const std::string& name, const std::string& old_sql, const std::string& new_sql,
                   std::string_view result, std::string_view act) {
  return TQResult{name, old_sql, new_sql, std::string(result), std::string(act)};
}

}  // namespace

void CompareQueries(const TQuerys& working, const TQuerys& fresh, TQResults& results) {
  std::unordered_map<std::string, size_t> first_fresh;
  first_fresh.reserve(fresh.size());
  for (size_t i = 0; i < fresh.size(); ++i) first_fresh.try_emplace(MatchKey(fresh[i].Name), i);
  std::unordered_set<std::string> working_names;
  working_names.reserve(working.size());

  TQResults found;
  for (const TQuery& old : working) {
    std::string key = MatchKey(old.Name);
    auto match = first_fresh.find(key);
    working_names.insert(std::move(key));
    if (match == first_fresh.end()) {
      found.push_back(ResultFor(old.Name, old.SQL, "", kDroppedQuery, kDeleteQueryAction));
    } else if (!NamesMatch(old.SQL, fresh[match->second].SQL)) {
      found.push_back(ResultFor(old.Name, old.SQL, fresh[match->second].SQL, kChangedQueryText,
                                kReplaceQueryAction));
    }
  }
  for (const TQuery& now : fresh) {
    if (working_names.count(MatchKey(now.Name))) continue;
    found.push_back(ResultFor(now.Name, "", now.SQL, kNewQuery, kAddQueryAction));
  }
  // Reserved first, so that appending cannot fail half way.
  results.reserve(results.size() + found.size());
  results.insert(results.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
}

}  // namespace uAlg
