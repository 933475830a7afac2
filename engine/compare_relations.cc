#include "engine/compare_relations.h"

#include <string_view>

#include "engine/name_match.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

constexpr std::string_view kAlterTable = "ALTER TABLE [";
constexpr std::string_view kDropConstraint = "] DROP CONSTRAINT [";
constexpr std::string_view kAddConstraint = "] ADD CONSTRAINT [";
constexpr std::string_view kForeignKey = "] FOREIGN KEY ([";
constexpr std::string_view kReferences = "]) REFERENCES [";
constexpr std::string_view kReferencedColumn = "] ([";
constexpr std::string_view kReferencedColumnEnd = "])";
constexpr std::string_view kOnUpdate = " ON UPDATE ";
constexpr std::string_view kOnDelete = " ON DELETE ";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kStatementSeparator = ";";

using RelationIndex = MatchIndex<4>;

RelationIndex::Key KeyOf(const TFKey& key) {
  return {key.PK_TABLE_NAME, key.PK_COLUMN_NAME, key.FK_TABLE_NAME, key.FK_COLUMN_NAME};
}

RelationIndex IndexRelations(const TFKeys& keys) {
  RelationIndex index(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) index.Add(KeyOf(keys[i]), i);
  return index;
}

TfkResult NamesOf(const TFKey& key) {
  TfkResult r;
  r.PK_TABLE_NAME = key.PK_TABLE_NAME;
  r.PK_COLUMN_NAME = key.PK_COLUMN_NAME;
  r.FK_TABLE_NAME = key.FK_TABLE_NAME;
  r.FK_COLUMN_NAME = key.FK_COLUMN_NAME;
  r.FK_NAME = key.FK_NAME;
  return r;
}

}  // namespace

std::string DropRelationSQL(const TFKey& key) {
  std::string sql(kAlterTable);
  sql += key.FK_TABLE_NAME;
  sql += kDropConstraint;
  sql += key.FK_NAME;
  sql += ']';
  return sql;
}

std::string AddRelationSQL(const TFKey& key, const std::string& update_rule,
                           const std::string& delete_rule) {
  std::string sql(kAlterTable);
  sql += key.FK_TABLE_NAME;
  sql += kAddConstraint;
  sql += key.FK_NAME;
  sql += kForeignKey;
  sql += key.FK_COLUMN_NAME;
  sql += kReferences;
  sql += key.PK_TABLE_NAME;
  sql += kReferencedColumn;
  sql += key.PK_COLUMN_NAME;
  sql += kReferencedColumnEnd;
  sql += kOnUpdate;
  sql += update_rule;
  sql += kOnDelete;
  sql += delete_rule;
  return sql;
}

std::string JoinStatements(const std::string& first, const std::string& second) {
  std::string sql = first;
  sql += kLineBreak;
  sql += kStatementSeparator;
  sql += kLineBreak;
  sql += second;
  return sql;
}

void CompareRelations(const TFKeys& working, const TFKeys& fresh, TfkResults& results) {
  const RelationIndex fresh_keys = IndexRelations(fresh);
  const RelationIndex working_keys = IndexRelations(working);

  TfkResults found;
  for (const TFKey& old : working) {
    const size_t match = fresh_keys.Find(KeyOf(old));
    if (match == RelationIndex::kNotFound) {
      TfkResult& r = found.emplace_back(NamesOf(old));
      r.OldUpdate_Rule = old.UPDATE_RULE;
      r.OldDelete_Rule = old.DELETE_RULE;
      r.Result = std::string(kDroppedRelation);
      r.SQL = DropRelationSQL(old);
      continue;
    }
    const TFKey& now = fresh[match];
    if (old.UPDATE_RULE == now.UPDATE_RULE && old.DELETE_RULE == now.DELETE_RULE) continue;
    TfkResult& r = found.emplace_back(NamesOf(old));
    r.OldUpdate_Rule = old.UPDATE_RULE;
    r.NewUpdate_Rule = now.UPDATE_RULE;
    r.OldDelete_Rule = old.DELETE_RULE;
    r.NewDelete_Rule = now.DELETE_RULE;
    r.Result = std::string(kChangedRelationRules);
    // Re-created under the working database's constraint name, with the new rules.
    r.SQL =
        JoinStatements(DropRelationSQL(old), AddRelationSQL(old, now.UPDATE_RULE, now.DELETE_RULE));
  }
  for (const TFKey& now : fresh) {
    if (working_keys.Contains(KeyOf(now))) continue;
    TfkResult& r = found.emplace_back(NamesOf(now));
    r.NewUpdate_Rule = now.UPDATE_RULE;
    r.NewDelete_Rule = now.DELETE_RULE;
    r.Result = std::string(kNewRelation);
    r.SQL = AddRelationSQL(now, now.UPDATE_RULE, now.DELETE_RULE);
  }
  // Reserved first, so that appending cannot fail half way.
  results.reserve(results.size() + found.size());
  results.insert(results.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
}

}  // namespace uAlg
