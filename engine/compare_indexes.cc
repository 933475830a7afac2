#include "engine/compare_indexes.h"

#include <string_view>

#include "engine/name_match.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

constexpr std::string_view kAlterTable = "ALTER TABLE [";
constexpr std::string_view kDropConstraint = "] DROP CONSTRAINT [";
constexpr std::string_view kAddConstraint = "] ADD CONSTRAINT [";
constexpr std::string_view kPrimaryKeyWord = "PRIMARY KEY";
constexpr std::string_view kUniqueWord = "UNIQUE";
constexpr std::string_view kColumnListStart = " ([";
constexpr std::string_view kColumnListEnd = "] )";

using KeyIndex = MatchIndex<2>;

KeyIndex::Key KeyOf(const TInd& key) { return {key.TABLE_NAME, key.COLUMN_NAME}; }

KeyIndex IndexKeys(const TInds& inds) {
  KeyIndex index(inds.size());
  for (size_t i = 0; i < inds.size(); ++i) index.Add(KeyOf(inds[i]), i);
  return index;
}

TIResult ResultFor(const TInd& key, std::string_view result, std::string sql) {
  return TIResult{key.TABLE_NAME, key.COLUMN_NAME, key.INDEX_NAME, std::string(result),
                  std::move(sql)};
}

}  // namespace

std::string DropKeySQL(const TInd& key) {
  std::string sql(kAlterTable);
  sql += key.TABLE_NAME;
  sql += kDropConstraint;
  sql += key.INDEX_NAME;
  sql += ']';
  return sql;
}

std::string AddKeySQL(const TInd& key, bool primary_keys) {
  std::string sql(kAlterTable);
  sql += key.TABLE_NAME;
  sql += kAddConstraint;
  sql += key.INDEX_NAME;
  sql += "] ";
  sql += primary_keys ? kPrimaryKeyWord : kUniqueWord;
  sql += kColumnListStart;
  sql += key.COLUMN_NAME;
  sql += kColumnListEnd;
  return sql;
}

void CompareIndexes(const TInds& working, const TInds& fresh, TIResults& results,
                    bool primary_keys) {
  // A key row is present on the other side when any row there has the same table and
  // column; which row that is does not matter, only whether there is one.
  const KeyIndex fresh_keys = IndexKeys(fresh);
  const KeyIndex working_keys = IndexKeys(working);
  TIResults found;
  for (const TInd& key : working) {
    if (fresh_keys.Contains(KeyOf(key))) continue;
    found.push_back(
        ResultFor(key, primary_keys ? kDroppedPrimaryKey : kDroppedUniqueIndex, DropKeySQL(key)));
  }
  for (const TInd& key : fresh) {
    if (working_keys.Contains(KeyOf(key))) continue;
    found.push_back(ResultFor(key, primary_keys ? kNewPrimaryKey : kNewUniqueIndex,
                              AddKeySQL(key, primary_keys)));
  }
  // Reserved first, so that appending cannot fail half way.
  results.reserve(results.size() + found.size());
  results.insert(results.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
}

}  // namespace uAlg
