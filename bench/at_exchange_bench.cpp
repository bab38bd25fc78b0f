// One AT exchange ("AT+CGSN", echo on) against the simulated handset on a pty: through
// RunAtCommand and through the least a program can do (write, poll, read until "OK"). The two
// take turns, each on a handset of its own, so that both meet the same load of the machine;
// the ratio is that of their per-exchange medians (a few exchanges that meet a busy
// processor would move a mean). Also the processor time the port object spends while it
// waits for a silent handset.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "serial/block_serial.h"
#include "sim/phone_sim.h"

namespace {

using quorvex::TBlockSerial;
using quorvex::sim::PhoneSim;
using quorvex::sim::SimOptions;
using Clock = std::chrono::steady_clock;

const char* const kCommand = "AT+CGSN";

double MicrosSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double Median(std::vector<double> times) {
  if (times.empty()) return 0;
  auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
  std::nth_element(times.begin(), middle, times.end());
  return *middle;
}

std::unique_ptr<PhoneSim> StartPhone() {
  SimOptions o;
  o.echo = true;
  auto phone = std::make_unique<PhoneSim>(o);
  phone->start();
  return phone;
}

// The floor: the same bytes on a pty with nothing but write, poll and read.
class RawPort {
 public:
  explicit RawPort(const std::string& path)
      : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
  }
  ~RawPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawPort(const RawPort&) = delete;
  RawPort& operator=(const RawPort&) = delete;

  // False when the handset did not end its answer with OK within a second.
  bool exchange(const std::string& command) {
    if (::write(fd_, command.data(), command.size()) != static_cast<ssize_t>(command.size()))
      return false;
    got_.clear();
    while (got_.size() < 4 || got_.compare(got_.size() - 4, 4, "OK\r\n") != 0) {
      pollfd pfd{fd_, POLLIN, 0};
      if (::poll(&pfd, 1, 1000) <= 0) return false;
      const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
      if (n > 0) got_.append(buffer_, static_cast<std::size_t>(n));
    }
    return true;
  }

 private:
  int fd_;
  char buffer_[4096];
  std::string got_;
};

void BM_Exchange(benchmark::State& state) {
  const auto rawPhone = StartPhone();
  const auto portPhone = StartPhone();
  RawPort raw(rawPhone->slavePath());
  TBlockSerial port;
  port.RaiseOnError = true;
  port.OpenPort(portPhone->slavePath());
  port.SetLineParams(115200, 8, 'N', 0, false, false);
  const std::string rawCommand = std::string(kCommand) + "\r";
  std::vector<double> rawTimes, portTimes;
  for (auto _ : state) {
    auto start = Clock::now();
    if (!raw.exchange(rawCommand)) state.SkipWithError("no answer on the raw loop");
    rawTimes.push_back(MicrosSince(start));
    start = Clock::now();
    std::string reply = port.RunAtCommand(kCommand);
    portTimes.push_back(MicrosSince(start));
    if (!port.CommandOk()) state.SkipWithError("no OK");
    benchmark::DoNotOptimize(reply);
  }
  state.counters["raw_us"] = Median(rawTimes);
  state.counters["port_us"] = Median(portTimes);
}

double ThreadCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_THREAD, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Waiting for a handset that never answers must cost next to no processor time.
void BM_SilentWait(benchmark::State& state) {
  SimOptions o;
  o.silentAfter = 0;
  PhoneSim silent(o);
  silent.start();
  TBlockSerial port;
  port.OpenPort(silent.slavePath());
  port.SetLineParams(115200, 8, 'N', 0, false, false);
  port.ReplyTimeout = 500;
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    const double cpu0 = ThreadCpuSeconds();
    const auto t0 = Clock::now();
    port.RunAtCommand("AT");
    wall += std::chrono::duration<double>(Clock::now() - t0).count();
    cpu += ThreadCpuSeconds() - cpu0;
    if (port.LastError() != quorvex::ErrTimeout) state.SkipWithError("expected a time-out");
  }
  state.counters["cpu_share_pct"] = wall > 0 ? 100.0 * cpu / wall : 0;
}

BENCHMARK(BM_Exchange)->MinTime(4.0)->UseRealTime();
BENCHMARK(BM_SilentWait)->Iterations(4)->UseRealTime();

// Keeps the counters so the figures can be printed after the table.
class CounterReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs)
      for (const auto& [name, counter] : run.counters) counters[name] = counter.value;
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> counters;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CounterReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& c = reporter.counters;
  if (c.count("raw_us") && c.at("raw_us") > 0)
    std::printf(
        "RunAtCommand %.1f us vs raw loop %.1f us, medians per exchange: ratio %.3f "
        "(target <= 1.1)\n",
        c.at("port_us"), c.at("raw_us"), c.at("port_us") / c.at("raw_us"));
  if (c.count("cpu_share_pct"))
    std::printf("CPU while waiting for a silent handset: %.3f%% of the wait (target < 2%%)\n",
                c.at("cpu_share_pct"));
  benchmark::Shutdown();
  return 0;
}
