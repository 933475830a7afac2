// The subcommands of skarnvel-cli. Each lives in a file of its own and registers itself on
// the application with its options and the action that runs when it is chosen.
//
// An action writes its result to standard output and lets a dbaccess::JetError pass: the
// tool prints the engine's text on standard error and exits with kExitRefused.
#ifndef SKARNVEL_CLI_COMMANDS_H_
#define SKARNVEL_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>
#include <string>

#include "dbaccess/base/jet_error.h"

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;  // the engine refused: its text on standard error
constexpr int kExitUsage = 2;    // bad arguments

// The database every subcommand works on: PATH and --password.
struct DatabaseArgs {
  std::string path;
  std::string password;
};
void AddDatabaseArgs(CLI::App& command, DatabaseArgs& args);

// A refusal of the engine with a note on where it happened (e.g. "script.sql:12: ..."),
// which the tool prints on the line after the engine's own text.
class RefusedAt : public dbaccess::JetError {
 public:
  RefusedAt(const dbaccess::JetError& error, std::string where)
      : dbaccess::JetError(error), where_(std::move(where)) {}
  const std::string& where() const { return where_; }

 private:
  std::string where_;
};

void AddCreateCommand(CLI::App& app);
void AddExecCommand(CLI::App& app);
void AddQueryCommand(CLI::App& app);
void AddDaoCommand(CLI::App& app);
void AddRowsetCommand(CLI::App& app);
void AddSchemaCommand(CLI::App& app);
// Sets `exit_code`: 0 sound, 1 findings, 2 the file cannot be checked.
void AddCheckCommand(CLI::App& app, int& exit_code);

}  // namespace cli

#endif  // SKARNVEL_CLI_COMMANDS_H_
