// The serial device on POSIX termios. All system calls of the serial link live here.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "serial/block_serial.h"
#include "serial/serial_device.h"

namespace quorvex {
namespace {

// The descriptors open at this moment, for ReleaseOpenDevicesNow. An operation holds one
// port; a few slots leave room for a second opener that is refused.
constexpr int kHeldSlots = 8;
std::atomic<int> gHeld[kHeldSlots] = {-1, -1, -1, -1, -1, -1, -1, -1};
static_assert(std::atomic<int>::is_always_lock_free);

void NoteHeld(int fd) {
  for (std::atomic<int>& slot : gHeld) {
    int expected = -1;
    if (slot.compare_exchange_strong(expected, fd)) return;
  }
}

void ForgetHeld(int fd) {
  for (std::atomic<int>& slot : gHeld) {
    int expected = fd;
    if (slot.compare_exchange_strong(expected, -1)) return;
  }
}

// Unix98 pty slaves live on majors 136..143. A pty refuses the modem-line and counter
// ioctls and forces CS8; neither is a failure there.
bool IsPtySlave(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  unsigned maj = major(st.st_rdev);
  return maj >= 136 && maj <= 143;
}

bool NotSupported(int err) {
  return err == ENOTTY || err == EINVAL || err == ENOSYS;
}

speed_t SpeedFor(std::int32_t baud, bool& ok) {
  ok = true;
  switch (baud) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 500000:
      return B500000;
    case 576000:
      return B576000;
    case 921600:
      return B921600;
    case 1000000:
      return B1000000;
    case 1152000:
      return B1152000;
    case 1500000:
      return B1500000;
    case 2000000:
      return B2000000;
    case 2500000:
      return B2500000;
    case 3000000:
      return B3000000;
    case 3500000:
      return B3500000;
    case 4000000:
      return B4000000;
    default:
      ok = false;
      return B0;
  }
}

class PosixSerialDevice final : public SerialDevice {
 public:
  ~PosixSerialDevice() override { close(); }

  int open(const std::string& path) override {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    // Noted before it is made exclusive, so that a release from a signal handler finds it.
    NoteHeld(fd);
    const auto fail = [fd](bool exclusive) {
      const int err = errno;
      ForgetHeld(fd);
      if (exclusive) ::ioctl(fd, TIOCNXCL);
      ::close(fd);
      return err;
    };
    // flock holds against every opener, root included; TIOCEXCL keeps out openers that do
    // not lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(false);
    // Root passes another program's TIOCEXCL; that program still owns the line.
    int exclusive = 0;
    if (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
      errno = EBUSY;
      return fail(false);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(false);
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return fail(true);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail(true);
    fd_ = fd;
    pty_ = IsPtySlave(fd);
    countersSupported_ = !pty_;
    if (countersSupported_) readCounters(baseline_);
    return 0;
  }

  bool isOpen() const override { return fd_ >= 0; }

  void close() override {
    if (fd_ < 0) return;
    ForgetHeld(fd_);
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }

  int applyLineParams(const LineParams& p) override {
    if (fd_ < 0) return EBADF;
    bool ok = false;
    speed_t speed = SpeedFor(p.baud, ok);
    if (!ok) return EINVAL;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return errno;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tio.c_cflag &= ~CSIZE;
    switch (p.dataBits) {
      case 5:
        tio.c_cflag |= CS5;
        break;
      case 6:
        tio.c_cflag |= CS6;
        break;
      case 7:
        tio.c_cflag |= CS7;
        break;
      case 8:
        tio.c_cflag |= CS8;
        break;
      default:
        return EINVAL;
    }
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    tio.c_iflag &= ~(INPCK | IGNPAR);
    switch (p.parity) {
      case 'O':
      case 'o':
        tio.c_cflag |= PARENB | PARODD;
        break;
      case 'E':
      case 'e':
        tio.c_cflag |= PARENB;
        break;
      case 'M':
      case 'm':
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
      case 'S':
      case 's':
        tio.c_cflag |= PARENB | CMSPAR;
        break;
      default:
        break;
    }
    if (tio.c_cflag & PARENB) tio.c_iflag |= INPCK;
    if (p.stopCode == 0)
      tio.c_cflag &= ~CSTOPB;
    else  // one and a half is not a POSIX setting; two is the nearest
      tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (p.softFlow) {
      tio.c_iflag |= IXON | IXOFF;
      tio.c_cc[VSTART] = 17;
      tio.c_cc[VSTOP] = 19;
    }
    if (p.hardFlow)
      tio.c_cflag |= CRTSCTS;
    else
      tio.c_cflag &= ~CRTSCTS;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return errno;
    // tcsetattr succeeds when any part of the request was taken: read back what stuck.
    termios got{};
    if (::tcgetattr(fd_, &got) != 0) return errno;
    const tcflag_t cmask = PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | (pty_ ? 0 : CSIZE);
    if ((got.c_cflag & cmask) != (tio.c_cflag & cmask) ||
        (got.c_iflag & (IXON | IXOFF)) != (tio.c_iflag & (IXON | IXOFF)) ||
        ::cfgetospeed(&got) != speed)
      return EINVAL;
    return setModemLines(true, true);
  }

  int setModemLines(bool rts, bool dtr) override {
    if (fd_ < 0) return EBADF;
    int bits = TIOCM_RTS;
    int rc = ::ioctl(fd_, rts ? TIOCMBIS : TIOCMBIC, &bits);
    if (rc != 0 && !NotSupported(errno)) return errno;
    bits = TIOCM_DTR;
    rc = ::ioctl(fd_, dtr ? TIOCMBIS : TIOCMBIC, &bits);
    if (rc != 0 && !NotSupported(errno)) return errno;
    return 0;
  }

  int bytesWaiting(std::int32_t& count) override {
    count = 0;
    if (fd_ < 0) return EBADF;
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return errno;
    count = n;
    return 0;
  }

  int waitInput(std::int32_t timeoutMs, WaitResult& result) override {
    result = WaitResult::TimedOut;
    if (fd_ < 0) return EBADF;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
      // Rounded up, so a wait never ends before the full time-out has passed.
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      int wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
      pollfd pfd{fd_, POLLIN, 0};
      int rc = ::poll(&pfd, 1, wait);
      if (rc < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return errno;
      }
      if (rc == 0) {
        if (Clock::now() < deadline) continue;
        return 0;
      }
      if (pfd.revents & POLLIN) {
        result = WaitResult::Ready;
        return 0;
      }
      if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        result = WaitResult::HungUp;
        return 0;
      }
    }
  }

  int read(char* buffer, std::int32_t count, std::int32_t& got) override {
    got = 0;
    if (fd_ < 0) return EBADF;
    while (got < count) {
      ssize_t n = ::read(fd_, buffer + got, static_cast<size_t>(count - got));
      if (n > 0) {
        got += static_cast<std::int32_t>(n);
        continue;
      }
      if (n == 0) break;
      if (errno == EINTR) continue;
      if (got > 0) break;  // an error shows again on the next read
      return errno == EWOULDBLOCK ? EAGAIN : errno;
    }
    return 0;
  }

  int write(const char* buffer, std::int32_t count, std::int32_t guardMs,
            std::int32_t& written) override {
    written = 0;
    if (fd_ < 0) return EBADF;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(guardMs < 0 ? 0 : guardMs);
    while (written < count) {
      ssize_t n = ::write(fd_, buffer + written, static_cast<size_t>(count - written));
      if (n > 0) {
        written += static_cast<std::int32_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) {
        ::tcflush(fd_, TCOFLUSH);
        return ErrTimeout;
      }
      pollfd pfd{fd_, POLLOUT, 0};
      int rc = ::poll(&pfd, 1, static_cast<int>(left.count()));
      if (rc < 0 && errno != EINTR && errno != EAGAIN) return errno;
      if (rc > 0 && !(pfd.revents & POLLOUT) && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return EIO;
    }
    return 0;
  }

  int purge(bool input, bool output) override {
    if (fd_ < 0) return EBADF;
    int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if (::tcflush(fd_, which) != 0) return errno;
    return 0;
  }

  LineErrorFlags takeLineErrors() override {
    LineErrorFlags flags;
    if (fd_ < 0 || !countersSupported_) return flags;
    serial_icounter_struct now{};
    if (!readCounters(now)) return flags;
    flags.framing = now.frame != baseline_.frame;
    flags.overrun = now.overrun != baseline_.overrun;
    flags.rxOverflow = now.buf_overrun != baseline_.buf_overrun;
    flags.parity = now.parity != baseline_.parity;
    baseline_ = now;
    return flags;
  }

 private:
  bool readCounters(serial_icounter_struct& counters) {
    if (::ioctl(fd_, TIOCGICOUNT, &counters) == 0) return true;
    // USB adapters and ptys have no counters: stop asking.
    countersSupported_ = false;
    return false;
  }

  int fd_ = -1;
  bool pty_ = false;
  bool countersSupported_ = false;
  serial_icounter_struct baseline_{};
};

}  // namespace

void ReleaseOpenDevicesNow() noexcept {
  for (std::atomic<int>& slot : gHeld) {
    const int fd = slot.exchange(-1);
    if (fd < 0) continue;
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
  }
}

std::unique_ptr<SerialDevice> MakePosixSerialDevice() {
  return std::make_unique<PosixSerialDevice>();
}

std::optional<bool> HasUart(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  serial_struct info{};
  const int rc = ::ioctl(fd, TIOCGSERIAL, &info);
  ::close(fd);
  if (rc != 0) return std::nullopt;
  return info.type != PORT_UNKNOWN;
}

}  // namespace quorvex
