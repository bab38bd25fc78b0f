// A failed open of a real device: the errno the POSIX device reports reaches the user as
// the system's text followed by what to do. Pseudo-terminals stand in for the phone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "codec/ru.h"
#include "serial/block_serial.h"
#include "unprivileged.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

// A pty pair whose slave plays the phone's device node.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
      slave_ = ::ptsname(master_);
  }
  ~Pty() {
    if (master_ >= 0) ::close(master_);
  }
  const std::string& slave() const { return slave_; }

 private:
  int master_ = -1;
  std::string slave_;
};

// Something else holding the device the way a terminal program or ModemManager does.
class Holder {
 public:
  explicit Holder(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
  ~Holder() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool lock() { return fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }
  bool exclusive() { return fd_ >= 0 && ::ioctl(fd_, TIOCEXCL) == 0; }

 private:
  int fd_;
};

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/quorvex-open-XXXXXX";
    if (::mkdtemp(tmpl)) path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct Raised {
  bool raised = false;
  int code = 0;
  std::string message;
};

Raised OpenRaising(const std::string& path) {
  TBlockSerial port;
  port.RaiseOnError = true;
  Raised r;
  try {
    port.OpenPort(path);
  } catch (const ESynaSerError& e) {
    r = {true, e.Code, e.what()};
  }
  return r;
}

struct PosixCase {
  const char* name;
  // Prepares the device, returns the path to open; keeps what it needs alive in the
  // arguments it is given.
  std::function<std::string(Pty&, TempDir&, std::unique_ptr<Holder>&, std::string& skip)> setup;
  int code;
  std::string firstLine;
  std::string hintStart;  // the second line starts with it, followed by the path
  bool asUser = false;    // a refusal root does not meet: as root, opened by an unprivileged child
};

class PosixOpenFailure : public ::testing::TestWithParam<PosixCase> {};

TEST_P(PosixOpenFailure, SystemTextThenHint) {
  const PosixCase& c = GetParam();
  Pty pty;
  TempDir dir;
  ASSERT_FALSE(pty.slave().empty());
  ASSERT_FALSE(dir.path().empty());
  std::unique_ptr<Holder> holder;
  std::string skip;
  const std::string path = c.setup(pty, dir, holder, skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  Raised r;
  if (c.asUser && testing::RunningAsRoot()) {
    // The child must reach the device to meet the refusal itself.
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(pty.slave().c_str(), 0666);
    const testing::ChildResult child = testing::RunUnprivileged([&] {
      const Raised got = OpenRaising(path);
      return std::to_string(got.raised) + " " + std::to_string(got.code) + "\n" + got.message;
    });
    ASSERT_EQ(child.failure, "");
    const std::size_t lineEnd = child.output.find('\n');
    ASSERT_NE(lineEnd, std::string::npos) << child.output;
    r.raised = child.output[0] == '1';
    r.code = std::atoi(child.output.c_str() + 2);
    r.message = child.output.substr(lineEnd + 1);
  } else {
    r = OpenRaising(path);
  }
  ASSERT_TRUE(r.raised) << path << " opened";
  EXPECT_EQ(r.code, c.code);
  const std::string expectedStart = c.firstLine + "\r\n" + c.hintStart + path;
  EXPECT_EQ(r.message.substr(0, expectedStart.size()), expectedStart) << r.message;
}

const bool kRoot = ::geteuid() == 0;

INSTANTIATE_TEST_SUITE_P(
    Device, PosixOpenFailure,
    ::testing::Values(
        PosixCase{"NoRights",
                  [](Pty&, TempDir& d, std::unique_ptr<Holder>&, std::string& skip) {
                    const std::string path = d.path() + "/ttyUSB0";
                    ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
                    ::chmod(path.c_str(), 0);
                    if (!kRoot && ::access(path.c_str(), R_OK) == 0)
                      skip = "a file of mode 000 stays readable to this user";
                    return path;
                  },
                  EACCES, "Permission denied", Ru("Нет прав на "), true},
        // flock holds against root too, so this cell runs everywhere.
        PosixCase{"LockedByAnotherProgram",
                  [](Pty& p, TempDir&, std::unique_ptr<Holder>& h, std::string& skip) {
                    h = std::make_unique<Holder>(p.slave());
                    if (!h->lock()) skip = "flock on a pty refused here";
                    return p.slave();
                  },
                  EWOULDBLOCK, "Resource temporarily unavailable", Ru("Порт ")},
        PosixCase{"ExclusiveToAnotherProgram",
                  [](Pty& p, TempDir&, std::unique_ptr<Holder>& h, std::string& skip) {
                    h = std::make_unique<Holder>(p.slave());
                    if (!h->exclusive()) skip = "TIOCEXCL on a pty refused here";
                    return p.slave();
                  },
                  EBUSY, "Device or resource busy", Ru("Порт "), true}),
    [](const ::testing::TestParamInfo<PosixCase>& info) { return std::string(info.param.name); });

TEST(PosixOpenFailure, AnotherProgramIsNamedWithTheWayToFindIt) {
  Pty pty;
  ASSERT_FALSE(pty.slave().empty());
  Holder holder(pty.slave());
  ASSERT_TRUE(holder.lock());
  const Raised r = OpenRaising(pty.slave());
  EXPECT_NE(r.message.find("ModemManager"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("fuser -v " + pty.slave()), std::string::npos) << r.message;
}

// The window's second operation meets the port the first one holds: through the node or a
// by-id style link to it, the message says it is this program's own operation.
TEST(PosixOpenFailure, PortHeldByThisProgramThroughALinkToo) {
  Pty pty;
  TempDir dir;
  ASSERT_FALSE(pty.slave().empty());
  const std::string link = dir.path() + "/usb-Motorola_Phone-if00";
  fs::create_symlink(pty.slave(), link);
  TBlockSerial first;
  first.RaiseOnError = true;
  first.OpenPort(pty.slave());
  for (const std::string& path : {pty.slave(), link}) {
    const Raised r = OpenRaising(path);
    ASSERT_TRUE(r.raised) << path;
    // Root passes the first opener's TIOCEXCL and meets its flock; anyone else meets TIOCEXCL.
    EXPECT_EQ(r.code, kRoot ? EWOULDBLOCK : EBUSY);
    EXPECT_NE(r.message.find(Ru("занят другой операцией этой программы")), std::string::npos)
        << r.message;
  }
  first.ClosePort();
  TBlockSerial again;
  again.RaiseOnError = true;
  EXPECT_NO_THROW(again.OpenPort(link));
}

}  // namespace
}  // namespace quorvex
