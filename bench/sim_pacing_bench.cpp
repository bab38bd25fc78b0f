// The simulated handset's line-rate pacing: a long phone book reply at 115200 and at 19200
// baud, the bytes per second from the first byte to the last against the line's tenth of the
// baud rate. Exits 1 when a rate is off by more than 3 %.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "scratch_dir.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace quorvex::sim;

struct Timed {
  std::string reply;
  double seconds = 0;  // first byte to last
};

Timed Exchange(const std::string& slave, const std::string& command) {
  Timed t;
  const int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return t;
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  ::tcflush(fd, TCIOFLUSH);
  if (::write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size())) {
    ::close(fd);
    return t;
  }
  Clock::time_point first, last;
  const auto ends = [&] { return t.reply.size() >= 6 && t.reply.ends_with("\r\nOK\r\n"); };
  while (!ends()) {
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, 10000) <= 0) break;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    if (t.reply.empty()) first = Clock::now();
    last = Clock::now();
    t.reply.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  t.seconds = std::chrono::duration<double>(last - first).count();
  return t;
}

}  // namespace

int main() {
  const auto dir = quorvex::testing::FreshScratchDir("quorvex-pacing");
  const std::string path = (dir / "state.txt").string();
  HandsetState st = EmptyState();
  for (int i = 1; i <= 300; ++i) {
    PhoneEntry e;
    e.number = "+7916123" + std::to_string(1000 + i);
    e.format = 145;
    e.name = "Name " + std::to_string(i);
    st.entries[i] = e;
  }
  SaveStateFile(path, st);
  int failed = 0;
  for (const int baud : {115200, 19200}) {
    SimOptions o;
    o.baud = baud;
    o.stateFile = path;
    o.echo = false;
    PhoneSim sim(o);
    sim.start();
    const Timed t =
        Exchange(sim.slavePath(), baud == 115200 ? "AT+MPBR=1,300\r" : "AT+MPBR=1,30\r");
    const double line = baud / 10.0;
    const double rate = t.seconds > 0 ? static_cast<double>(t.reply.size()) / t.seconds : 0;
    const bool ok = t.reply.ends_with("\r\nOK\r\n") && std::fabs(rate / line - 1) <= 0.03;
    std::printf("%d baud: %zu bytes in %.3f s, %.1f bytes/s against %.1f (%+.2f%%)%s\n", baud,
                t.reply.size(), t.seconds, rate, line, (rate / line - 1) * 100,
                ok ? "" : " -- off by more than 3 %");
    if (!ok) ++failed;
  }
  std::filesystem::remove_all(dir);
  return failed == 0 ? 0 : 1;
}
