// One AT exchange against the simulated handset on a pty: through RunAtCommand and through
// the least a program can do (write, poll, read until "OK"), in the same run, and the ratio.
// Also the processor time the port object spends while it waits for a silent handset.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "serial/block_serial.h"
#include "sim/phone_sim.h"

namespace {

using quorvex::TBlockSerial;
using quorvex::sim::PhoneSim;
using quorvex::sim::SimOptions;

const char* const kCommand = "AT+CGSN";

PhoneSim& Phone() {
  static PhoneSim* phone = [] {
    SimOptions o;
    o.echo = true;
    auto* p = new PhoneSim(o);
    p->start();
    return p;
  }();
  return *phone;
}

void BM_RunAtCommand(benchmark::State& state) {
  TBlockSerial port;
  port.RaiseOnError = true;
  port.OpenPort(Phone().slavePath());
  port.SetLineParams(115200, 8, 'N', 0, false, false);
  for (auto _ : state) {
    std::string reply = port.RunAtCommand(kCommand);
    if (!port.CommandOk()) state.SkipWithError("no OK");
    benchmark::DoNotOptimize(reply);
  }
}

// The floor: the same bytes on the same pty with nothing but write, poll and read.
void BM_RawLoop(benchmark::State& state) {
  int fd = ::open(Phone().slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    state.SkipWithError("open failed");
    return;
  }
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  const std::string command = std::string(kCommand) + "\r";
  char buffer[4096];
  for (auto _ : state) {
    if (::write(fd, command.data(), command.size()) != static_cast<ssize_t>(command.size())) {
      state.SkipWithError("write failed");
      break;
    }
    std::string got;
    while (got.size() < 4 || got.compare(got.size() - 4, 4, "OK\r\n") != 0) {
      pollfd pfd{fd, POLLIN, 0};
      if (::poll(&pfd, 1, 1000) <= 0) {
        state.SkipWithError("no answer");
        break;
      }
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
    }
    benchmark::DoNotOptimize(got);
  }
  ::close(fd);
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
    const auto t0 = std::chrono::steady_clock::now();
    port.RunAtCommand("AT");
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ThreadCpuSeconds() - cpu0;
    if (port.LastError() != quorvex::ErrTimeout) state.SkipWithError("expected a time-out");
  }
  state.counters["cpu_share_pct"] = wall > 0 ? 100.0 * cpu / wall : 0;
}

BENCHMARK(BM_RawLoop)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_RunAtCommand)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_SilentWait)->Iterations(4)->UseRealTime();

// Collects the per-exchange times so the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      times[run.benchmark_name()] = run.GetAdjustedRealTime();
      for (const auto& [name, counter] : run.counters) counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
  std::map<std::string, double> counters;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double raw = 0, run = 0;
  for (const auto& [name, t] : reporter.times) {
    if (name.rfind("BM_RawLoop", 0) == 0) raw = t;
    if (name.rfind("BM_RunAtCommand", 0) == 0) run = t;
  }
  if (raw > 0 && run > 0)
    std::printf(
        "RunAtCommand %.1f us vs raw loop %.1f us per exchange: ratio %.3f (target <= 1.25)\n",
        run / 1000.0, raw / 1000.0, run / raw);
  if (reporter.counters.count("cpu_share_pct"))
    std::printf("CPU while waiting for a silent handset: %.3f%% of the wait (target < 2%%)\n",
                reporter.counters["cpu_share_pct"]);
  benchmark::Shutdown();
  return 0;
}
