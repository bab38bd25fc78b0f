#include "unprivileged.h"

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quorvex::testing {

bool RunningAsRoot() {
  return ::geteuid() == 0;
}

std::string DropToUnprivilegedUser() {
  const passwd* user = ::getpwnam("nobody");
  if (user == nullptr) return "there is no user nobody";
  const uid_t uid = user->pw_uid;
  const gid_t gid = user->pw_gid;
  if (::setgroups(0, nullptr) != 0) return std::string("setgroups: ") + std::strerror(errno);
  if (::setgid(gid) != 0) return std::string("setgid: ") + std::strerror(errno);
  if (::setuid(uid) != 0) return std::string("setuid: ") + std::strerror(errno);
  if (::geteuid() == 0) return "still root after setuid";
  return "";
}

namespace {

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

ChildResult RunUnprivileged(const std::function<std::string()>& step) {
  int fds[2];
  if (::pipe(fds) != 0) return {"", "no pipe"};
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return {"", "no fork"};
  }
  if (pid == 0) {
    ::close(fds[0]);
    const std::string why = DropToUnprivilegedUser();
    // The first byte tells a result from a reason the step did not run.
    WriteAll(fds[1], why.empty() ? "R" + step() : "F" + why);
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[4096];
  for (int waited = 0; waited < 10000;) {
    pollfd pfd{fds[0], POLLIN, 0};
    const int r = ::poll(&pfd, 1, 100);
    if (r < 0 && errno != EINTR) break;
    if (r <= 0) {
      waited += 100;
      continue;
    }
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    report.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  ::kill(pid, SIGKILL);  // a child that finished is a zombie by now and ignores it
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (report.empty()) return {"", "the child gave no result"};
  if (report[0] == 'F') return {"", report.substr(1)};
  return {report.substr(1), ""};
}

}  // namespace quorvex::testing
