// The relation check of a run: before a command drops a table or changes or drops a column,
// the relations that would stand in the way are looked up in the working database's
// foreign-key rowset and, if the user agrees, dropped first.
#ifndef SKARNVEL_ACTIONS_RELATION_CHECK_H_
#define SKARNVEL_ACTIONS_RELATION_CHECK_H_

#include <optional>
#include <string>

#include "actions/database_access.h"
#include "actions/run_output.h"
#include "dbaccess/ado/recordset.h"

namespace actions {

// x in single quotes, each quote inside doubled.
std::string QuoteFilterValue(const std::string& x);

// The rowset filter for the relations of a table, or of one of its columns.
std::string TableRelationFilter(const std::string& table);
std::string ColumnRelationFilter(const std::string& table, const std::string& column);

// The rowset filter for the relations whose primary side is the column of a table: those
// that rely on a key over it.
std::string KeyRelationFilter(const std::string& table, const std::string& column);

// "ALTER TABLE [fk table] DROP CONSTRAINT [fk name]".
std::string DropConstraintCommand(const std::string& fk_table, const std::string& fk_name);

enum class RelationCheckOutcome { kGoOn, kDropped, kStop };

// Fetches the foreign-key rowset into `qRef` and filters it with `filter` (one of the
// above). When relations are found, asks Yes/No/Cancel about the table (no `column`) or the
// column: Yes drops each named relation once (a relation over several column pairs is one
// constraint), each on its own, with a grey success line per drop (kDropped); No drops
// nothing; Cancel stops the run. A failing drop throws.
RelationCheckOutcome CheckRelations(RunConnection& connection, dbaccess::ado::Recordset& qRef,
                                    const std::string& filter, const std::string& table,
                                    const std::optional<std::string>& column, RunOutput& out);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_RELATION_CHECK_H_
