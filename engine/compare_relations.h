// The relation (foreign key) comparison. A relation is identified by the columns it links,
// PK table and column to FK table and column, matched by NamesMatch; its constraint name
// only names the constraint in the statements. A relation over several column pairs is one
// TFKey (and at most one result) per pair.
//
// The comparison appends to the results it is given: first, in the working database's
// rowset order, removed relations and rule changes; then, in the new database's order, new
// relations. Rule texts are compared exactly and written into statements as the rowset
// gives them.
#ifndef SKARNVEL_ENGINE_COMPARE_RELATIONS_H_
#define SKARNVEL_ENGINE_COMPARE_RELATIONS_H_

#include <string>
#include <vector>

#include "engine/schema_source.h"

namespace uAlg {

// One column pair of one relation, as the foreign-key rowset gives it.
struct TFKey {
  std::string PK_TABLE_NAME;   // referenced table
  std::string PK_COLUMN_NAME;  // referenced column
  std::string FK_TABLE_NAME;   // referencing table
  std::string FK_COLUMN_NAME;  // referencing column
  std::string FK_NAME;         // constraint name
  std::string UPDATE_RULE;
  std::string DELETE_RULE;
};
using TFKeys = std::vector<TFKey>;

// Old rules are the working database's, new rules the new database's; a side without the
// relation leaves its two rules empty.
struct TfkResult {
  std::string PK_TABLE_NAME;
  std::string PK_COLUMN_NAME;
  std::string FK_TABLE_NAME;
  std::string FK_COLUMN_NAME;
  std::string FK_NAME;
  std::string OldUpdate_Rule;
  std::string NewUpdate_Rule;
  std::string OldDelete_Rule;
  std::string NewDelete_Rule;
  std::string Result;  // one of the relation texts of result_texts.h
  std::string SQL;
};
using TfkResults = std::vector<TfkResult>;

// The relation rows of the database at `path`, in rowset order. Errors pass on with the
// engine's text; the connection is released in every case.
TFKeys LoadRelations(const std::string& path, const std::string& password);
TFKeys ReadRelations(SchemaSource& schema);

// Appends the differences between two relation lists, `working` first.
void CompareRelations(const TFKeys& working, const TFKeys& fresh, TfkResults& results);

// Loads both databases (working first), then appends the differences. When a load fails
// the error passes on and nothing is appended.
void CompareRelations(const std::string& working_path, const std::string& new_path,
                      const std::string& working_password, const std::string& new_password,
                      TfkResults& results);

// "ALTER TABLE [fk table] DROP CONSTRAINT [fk name]".
std::string DropRelationSQL(const TFKey& key);
// "ALTER TABLE [fk table] ADD CONSTRAINT [fk name] FOREIGN KEY ([fk column]) REFERENCES
// [pk table] ([pk column]) ON UPDATE <rule> ON DELETE <rule>", with the given rules.
std::string AddRelationSQL(const TFKey& key, const std::string& update_rule,
                           const std::string& delete_rule);
// Two statements that the run executes as one transaction: drop, CR LF ";" CR LF, add.
std::string JoinStatements(const std::string& first, const std::string& second);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_COMPARE_RELATIONS_H_
