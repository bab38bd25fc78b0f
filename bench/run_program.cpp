#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace quorvex::bench {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> p;
  for (auto& t : texts) p.push_back(t.data());
  p.push_back(nullptr);
  return p;
}

enum class Wait { Ended, Overran, Lost };

// Waits for the child until `deadline`. A pidfd wakes the wait the moment the child ends,
// so the time of a short run is not rounded up; a kernel without one is polled every
// millisecond.
Wait WaitUntil(pid_t pid, std::chrono::steady_clock::time_point deadline, int& status) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  Wait result = Wait::Ended;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      result = Wait::Lost;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      result = Wait::Overran;
      break;
    }
    if (pidfd >= 0) {
      pollfd pfd{pidfd, POLLIN, 0};
      ::poll(&pfd, 1, static_cast<int>(std::min<long long>(left, 1000)));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (pidfd >= 0) ::close(pidfd);
  return result;
}

}  // namespace

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::filesystem::path candidate =
        std::filesystem::path(dir.empty() ? "." : dir) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                      const std::string& outFile, int seconds) {
  ProgramRun r;
  if (argv.empty()) {
    r.spawnError = EINVAL;
    return r;
  }
  std::vector<std::string> args = argv, vars = env;
  const std::vector<char*> argp = Pointers(args), envp = Pointers(vars);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  r.spawnError = posix_spawn(&pid, args[0].c_str(), &fa, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&fa);
  if (r.spawnError != 0) return r;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  Wait w = WaitUntil(pid, deadline, status);
  if (w == Wait::Overran) {
    r.timedOut = true;
    ::kill(pid, SIGKILL);
    pid_t done = 0;
    while ((done = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    w = done == pid ? Wait::Ended : Wait::Lost;
  }
  if (w == Wait::Ended) r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream in(outFile, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  r.out = ss.str();
  return r;
}

}  // namespace quorvex::bench
