// skarnvel-cli exec PATH [--password P] (SQL | -f FILE): executes statements in one
// transaction: all of them are stored, or (on the first refusal) none.
//
// In a FILE, a statement ends with a ";" at the end of a line; lines that start with "--"
// are comments; a last statement may go without its ";".
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "dbaccess/ado/connection.h"
#include "dbaccess/base/jet_error.h"

namespace cli {
namespace {

struct ExecArgs {
  DatabaseArgs database;
  std::string sql;
  std::string file;
};

struct Statement {
  std::string text;
  int line;  // where it starts, 1-based
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string TrimRight(std::string s) {
  while (!s.empty() && IsBlank(s.back())) s.pop_back();
  return s;
}

bool IsBlankText(const std::string& s) {
  for (char c : s) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

std::vector<Statement> SplitScript(std::istream& in) {
  std::vector<Statement> statements;
  std::string current, line;
  int line_number = 0, start = 0;
  const auto finish = [&] {
    if (!IsBlankText(current)) statements.push_back({TrimRight(current), start});
    current.clear();
  };
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line.compare(first, 2, "--") == 0) continue;
    if (IsBlankText(current)) {
      current.clear();
      start = line_number;
    } else {
      current += "\r\n";
    }
    const std::string trimmed = TrimRight(line);
    if (!trimmed.empty() && trimmed.back() == ';') {
      current += trimmed.substr(0, trimmed.size() - 1);
      finish();
    } else {
      current += line;
    }
  }
  finish();
  return statements;
}

void Run(const ExecArgs& args) {
  std::vector<Statement> statements;
  if (!args.file.empty()) {
    std::ifstream in(args.file, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read " + args.file);
    statements = SplitScript(in);
  } else {
    statements.push_back({args.sql, 0});
  }
  dbaccess::ado::Connection connection;
  connection.Open(dbaccess::ado::DatabaseLocation{args.database.path, args.database.password});
  connection.BeginTrans();
  for (const Statement& statement : statements) {
    try {
      connection.Execute(statement.text);
    } catch (const dbaccess::JetError& e) {
      connection.RollbackTrans();
      if (statement.line == 0) throw;
      throw RefusedAt(e, args.file + ":" + std::to_string(statement.line) + ": " + statement.text);
    }
  }
  connection.CommitTrans();
  std::cout << statements.size() << (statements.size() == 1 ? " statement" : " statements")
            << " executed\n";
}

}  // namespace

void AddExecCommand(CLI::App& app) {
  auto args = std::make_shared<ExecArgs>();
  CLI::App* command = app.add_subcommand("exec", "Execute Jet SQL statements");
  AddDatabaseArgs(*command, args->database);
  CLI::Option* sql = command->add_option("SQL", args->sql, "One statement");
  CLI::Option* file = command
                          ->add_option("-f,--file", args->file,
                                       "A file of statements, each ending in \";\" at the "
                                       "end of a line")
                          ->check(CLI::ExistingFile);
  sql->excludes(file);
  command->callback([args, sql, file] {
    if (sql->count() == 0 && file->count() == 0) {
      throw CLI::RequiredError("SQL or --file");
    }
    Run(*args);
  });
}

}  // namespace cli
