// For the benchmarks: runs another program as a process of its own, the way a user runs it.
#ifndef SKARNVEL_BENCH_SPAWN_PROCESS_H_
#define SKARNVEL_BENCH_SPAWN_PROCESS_H_

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace bench {

// Runs `args` (found on PATH), its standard output into `output` (or discarded) and its
// standard error discarded; returns its wait status (0: exited with 0), -1 when it could
// not be started.
inline int Spawn(const std::vector<std::string>& args, std::string* output) {
  int pipe_fds[2] = {-1, -1};
  if (output != nullptr && ::pipe(pipe_fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    ::close(pipe_fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0) output->append(buffer, n);
    ::close(pipe_fds[0]);
  }
  if (rc != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

}  // namespace bench

#endif  // SKARNVEL_BENCH_SPAWN_PROCESS_H_
