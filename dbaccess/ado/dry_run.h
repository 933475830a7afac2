// A working database to try changes on: statements and DAO changes are carried out on the
// database as it was read, in memory, and never stored; the file is not written and stays
// as it is. Before each change, what it would do to the rows as the changes tried so far
// left them (exec/data_effects.h). A table's rows are read once, when a change first needs
// them; a table no change touches is never read.
//
// A change the engine refuses leaves the tried state as it was; its error's text is kept
// in the outcome, and the next changes go on from there.
#ifndef SKARNVEL_DBACCESS_ADO_DRY_RUN_H_
#define SKARNVEL_DBACCESS_ADO_DRY_RUN_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/ado/connection.h"
#include "dbaccess/exec/data_effects.h"

namespace dbaccess::ado {

struct TriedChange {
  std::vector<DataEffect> effects;
  std::optional<std::string> error;  // the engine's text when it refused the change
};

class DryRun {
 public:
  // Opens the file as a connection does (JetError 3024, 3343, 3031, ...).
  explicit DryRun(const DatabaseLocation& database);
  ~DryRun();
  DryRun(const DryRun&) = delete;
  DryRun& operator=(const DryRun&) = delete;

  // One statement of the dialect (executor.h).
  TriedChange TryStatement(std::string_view sql);
  // DAO: Field.Required and Field.Name.
  TriedChange TrySetRequired(std::string_view table, std::string_view field, bool required);
  TriedChange TryRenameField(std::string_view table, std::string_view field,
                             std::string_view new_name);
  // Drops the relationships that use the table, or only its `column` when one is given, as
  // a run does before changing them when told to; returns their names.
  std::vector<std::string> DropRelationshipsOf(std::string_view table,
                                               std::optional<std::string_view> column);

 private:
  std::shared_ptr<DatabaseFile> file_;
  std::unique_ptr<Transaction> transaction_;
};

}  // namespace dbaccess::ado

#endif  // SKARNVEL_DBACCESS_ADO_DRY_RUN_H_
