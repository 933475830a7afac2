#include "engine/compare_queries.h"

#include <string_view>

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
  MatchIndex<1> fresh_names(fresh.size()), working_names(working.size());
  for (size_t i = 0; i < fresh.size(); ++i) fresh_names.Add({fresh[i].Name}, i);
  for (size_t i = 0; i < working.size(); ++i) working_names.Add({working[i].Name}, i);

  TQResults found;
  for (const TQuery& old : working) {
    const size_t match = fresh_names.Find({old.Name});
    if (match == MatchIndex<1>::kNotFound) {
      found.push_back(ResultFor(old.Name, old.SQL, "", kDroppedQuery, kDeleteQueryAction));
    } else if (!NamesMatch(old.SQL, fresh[match].SQL)) {
      found.push_back(
          ResultFor(old.Name, old.SQL, fresh[match].SQL, kChangedQueryText, kReplaceQueryAction));
    }
  }
  for (const TQuery& now : fresh) {
    if (working_names.Contains({now.Name})) continue;
    found.push_back(ResultFor(now.Name, "", now.SQL, kNewQuery, kAddQueryAction));
  }
  // Reserved first, so that appending cannot fail half way.
  results.reserve(results.size() + found.size());
  results.insert(results.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
}

}  // namespace uAlg
