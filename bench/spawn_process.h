// For the benchmarks: runs another program as a process of its own, the way a user runs it.
#ifndef SKARNVEL_BENCH_SPAWN_PROCESS_H_
#define SKARNVEL_BENCH_SPAWN_PROCESS_H_

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// Seconds of `args` run as Spawn does, its output discarded, from its start to its exit; -1
// when it could not be started or exited with a status above `max_exit_code`.
inline double SpawnSeconds(const std::vector<std::string>& args, int max_exit_code = 0) {
  const auto start = std::chrono::steady_clock::now();
  const int status = Spawn(args, nullptr);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) > max_exit_code) return -1;
  return seconds;
}

// Runs `args` as Spawn does, its output discarded, under /usr/bin/time, and gives its peak
// resident memory in bytes, or -1 when it could not be run or exited with a status above
// `max_exit_code`. The kernel counts a spawned child's peak from the memory of the process
// that spawned it (it shares its parent's memory until it starts its program), so a
// benchmark holding much memory cannot measure its child with wait4 alone; time(1) is a small
// process of its own, whose child starts afresh.
inline long SpawnPeakMemory(const std::vector<std::string>& args, int max_exit_code = 0) {
  char report[] = "/tmp/skarnvel-peak-XXXXXX";
  const int fd = ::mkstemp(report);
  if (fd < 0) return -1;
  ::close(fd);
  std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
  timed.insert(timed.end(), args.begin(), args.end());
  const int status = Spawn(timed, nullptr);
  long kilobytes = -1;
  if (FILE* in = std::fopen(report, "r")) {
    // time(1) writes "Command exited with non-zero status N" first when it did.
    char line[256];
    while (std::fgets(line, sizeof line, in) != nullptr) kilobytes = std::atol(line);
    std::fclose(in);
  }
  ::unlink(report);
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) > max_exit_code) return -1;
  return kilobytes < 0 ? -1 : kilobytes * 1024L;
}

}  // namespace bench

#endif  // SKARNVEL_BENCH_SPAWN_PROCESS_H_
