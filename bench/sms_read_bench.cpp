// Reading an incoming folder of 200 messages from the simulated handset paced at 115200
// baud, against the line-rate floor of the same exchange: every byte that crosses the line
// in either direction at 10 bits per byte. The byte count comes from replaying the read's
// own commands on an unpaced handset in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "core/app_state.h"
#include "handset_rows.h"
#include "messages/message_rows.h"
#include "messages/sms_section.h"
#include "scratch_dir.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace {

using quorvex::sim::HandsetState;
using quorvex::sim::PhoneSim;
using quorvex::sim::SimOptions;

constexpr int kBaud = 115200;
constexpr int kMessages = 200;

const std::filesystem::path& WorkDir() {
  static const std::filesystem::path dir = quorvex::testing::FreshScratchDir("qv-sms-bench");
  return dir;
}

HandsetState Inbox() {
  HandsetState s = quorvex::sim::EmptyState();
  s.messageSlots = 250;
  for (int i = 1; i <= kMessages; ++i) s.messages[i] = quorvex::bench::IncomingMessage(i);
  return s;
}

std::unique_ptr<PhoneSim> StartPhone(int baud, const std::string& stateName) {
  SimOptions o;
  o.baud = baud;
  o.stateFile = (WorkDir() / stateName).string();
  quorvex::sim::SaveStateFile(o.stateFile, Inbox());
  auto phone = std::make_unique<PhoneSim>(o);
  phone->start();
  return phone;
}

struct Fixture {
  quorvex::bench::QuietUi ui{true};
  std::unique_ptr<PhoneSim> phone = StartPhone(kBaud, "paced.txt");
  quorvex::AppState app{ui};
  quorvex::sms::SmsSection section;
  Fixture() {
    quorvex::SettingsOverride o;
    o.portName = phone->slavePath();
    o.baudRate = kBaud;
    o.timeOut = 3000;
    app.setOverride(o);
    app.LoadPortSettings();
    section.archivePath = (WorkDir() / "sms_archive.txt").string();
  }
};

Fixture& Shared() {
  static Fixture* f = new Fixture;
  return *f;
}

std::vector<std::string> g_commands;

void BM_ReadIncomingFolder(benchmark::State& state) {
  Fixture& f = Shared();
  // The first read fills the archive; the timed ones find every date/time there already.
  f.section.ReadMessageFolder(f.app, quorvex::sms::kFilterIncoming);
  for (auto _ : state) {
    f.phone->clearTranscript();
    f.section.ReadMessageFolder(f.app, quorvex::sms::kFilterIncoming);
    if (f.section.lvSMS.rows.size() != static_cast<std::size_t>(kMessages))
      state.SkipWithError("not every message was read");
  }
  g_commands = f.phone->transcript();
  state.counters["messages"] = static_cast<double>(f.section.lvSMS.rows.size());
}

// Bytes both ways of the same commands, on a handset that does not pace its replies.
bool CountBytes(const std::vector<std::string>& commands, long& toHandset, long& fromHandset) {
  auto phone = StartPhone(0, "unpaced.txt");
  int fd = ::open(phone->slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  toHandset = fromHandset = 0;
  char buffer[4096];
  for (const std::string& c : commands) {
    const std::string line = c + "\r";
    if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return false;
    toHandset += static_cast<long>(line.size());
    std::string got;
    auto ends = [&](const char* tail) {
      const std::string t(tail);
      return got.size() >= t.size() && got.compare(got.size() - t.size(), t.size(), t) == 0;
    };
    while (!ends("\r\nOK\r\n") && !ends("\r\nERROR\r\n")) {
      pollfd pfd{fd, POLLIN, 0};
      if (::poll(&pfd, 1, 2000) <= 0) return false;
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    fromHandset += static_cast<long>(got.size());
  }
  ::close(fd);
  return true;
}

BENCHMARK(BM_ReadIncomingFolder)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quorvex::bench::FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double seconds = reporter.realTime / 1000.0;  // the benchmark's unit is ms
  long out = 0, in = 0;
  if (g_commands.empty() || !CountBytes(g_commands, out, in)) {
    std::printf("could not count the bytes of the read\n");
    return 1;
  }
  const double floor = static_cast<double>(out + in) * 10.0 / kBaud;
  std::printf(
      "Incoming folder of %d messages at %d baud: %zu commands, %ld bytes to the handset, "
      "%ld from it\nread %.3f s vs line-rate floor %.3f s: ratio %.3f (target <= 1.05)\n",
      kMessages, kBaud, g_commands.size(), out, in, seconds, floor, seconds / floor);
  // The handset paces only what it sends; against those bytes alone the margin is plain.
  const double replies = static_cast<double>(in) * 10.0 / kBaud;
  std::printf("against the replies alone (%.3f s): ratio %.3f\n", replies, seconds / replies);
  benchmark::Shutdown();
  std::filesystem::remove_all(WorkDir());
  return 0;
}
