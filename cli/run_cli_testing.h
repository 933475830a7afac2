// For the tests of skarnvel-cli: runs the built program (SKARNVEL_CLI) as a child process,
// either with its standard output and error sent to files and read back, or as a shell
// command line with both joined; and builds text databases from SQL statements.
#ifndef SKARNVEL_CLI_RUN_CLI_TESTING_H_
#define SKARNVEL_CLI_RUN_CLI_TESTING_H_

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dbaccess/ado/connection.h"
#include "dbaccess/files/database_file.h"

namespace cli_test {

struct Result {
  int code = -1;  // the exit status, -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs skarnvel-cli with `args`, its output going to the files `out` and `err`.
inline Result RunCli(const std::vector<std::string>& args, const std::filesystem::path& out,
                     const std::filesystem::path& err) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(o, STDOUT_FILENO);
    dup2(e, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(SKARNVEL_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(SKARNVEL_CLI, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  Result r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  return r;
}

struct Outcome {
  int exit_code = -1;
  std::string out;  // standard output and standard error together
};

// Runs a shell command line.
inline Outcome RunShell(const std::string& command_line) {
  const std::string command = command_line + " 2>&1";
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    outcome.out.append(buffer.data(), n);
  }
  const int status = ::pclose(pipe);
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

// Runs skarnvel-cli with `arguments` as the shell reads them.
inline Outcome RunCli(const std::string& arguments) {
  return RunShell(std::string(SKARNVEL_CLI) + " " + arguments);
}

// A new text database at `path` made by `statements`.
inline void CreateDatabase(const std::string& path, const std::vector<std::string>& statements) {
  dbaccess::DatabaseFile::CreateText(path, "");
  dbaccess::ado::Connection connection;
  connection.Open(dbaccess::ado::DatabaseLocation{path, ""});
  for (const std::string& statement : statements) connection.Execute(statement);
}

}  // namespace cli_test

#endif  // SKARNVEL_CLI_RUN_CLI_TESTING_H_
