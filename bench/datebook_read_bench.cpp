// A read of a 500-index date book from the simulated handset paced at 115200 baud, against
// the floor the line itself sets: every byte that crossed it in either direction, at 10 bits
// per byte, measured in the same run. The ratio is the cost of everything but the line.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "core/app_state.h"
#include "datebook/date_book_section.h"
#include "handset_rows.h"
#include "scratch_dir.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace {

using quorvex::AppState;
using quorvex::sim::PhoneSim;

constexpr int kBaud = 115200;
constexpr int kHighest = 499;

PhoneSim& Phone() {
  static PhoneSim* phone = [] {
    quorvex::sim::HandsetState st = quorvex::sim::EmptyState();
    st.dateBookHighest = kHighest;
    for (int i = 0; i < 12; ++i) st.events[i * 41] = quorvex::bench::NumberedEvent(i);
    const auto dir = quorvex::testing::FreshScratchDir("quorvex-datebook-bench");
    const std::string file = (dir / "handset.txt").string();
    quorvex::sim::SaveStateFile(file, st);
    quorvex::sim::SimOptions o;
    o.baud = kBaud;
    o.stateFile = file;
    auto* p = new PhoneSim(o);
    p->start();
    std::filesystem::remove_all(dir);
    return p;
  }();
  return *phone;
}

void BM_ReadDateBook500(benchmark::State& state) {
  quorvex::bench::QuietUi ui;
  AppState app(ui);
  quorvex::SettingsOverride o;
  o.portName = Phone().slavePath();
  o.baudRate = kBaud;
  o.timeOut = 3000;
  app.setOverride(o);
  double seconds = 0, floor = 0, pacedFloor = 0;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    quorvex::datebook::DateBookSection section;
    const std::int64_t before = Phone().bytesReceived() + Phone().bytesSent();
    const std::int64_t sentBefore = Phone().bytesSent();
    const auto t0 = std::chrono::steady_clock::now();
    section.sbReadAllEventsClick(app);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const std::int64_t crossed = Phone().bytesReceived() + Phone().bytesSent() - before;
    pacedFloor += static_cast<double>(Phone().bytesSent() - sentBefore) * 10.0 / kBaud;
    if (section.lvEvent.rows.size() != 12 || ui.boxes != 0) {
      state.SkipWithError("the read did not see the 12 events");
      break;
    }
    seconds += took;
    bytes += crossed;
    floor += static_cast<double>(crossed) * 10.0 / kBaud;
  }
  state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
  state.counters["floor_s"] = floor / static_cast<double>(state.iterations());
  state.counters["read_s"] = seconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = floor > 0 ? seconds / floor : 0;
  // The simulator paces only what it sends (the pty takes the host's bytes at once), so
  // this is the stricter figure: the read against the handset's direction alone.
  state.counters["paced_ratio"] = pacedFloor > 0 ? seconds / pacedFloor : 0;
}

BENCHMARK(BM_ReadDateBook500)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quorvex::bench::FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& c = reporter.counters;
  if (c.count("ratio"))
    std::printf(
        "Date book read, %d indices at %d baud: %.0f bytes crossed the line, floor %.3f s, "
        "read %.3f s: ratio %.3f (target <= 1.05)\n",
        kHighest + 1, kBaud, c["bytes"], c["floor_s"], c["read_s"], c["ratio"]);
  if (c.count("paced_ratio"))
    std::printf("Against the paced direction alone (handset to host): ratio %.3f\n",
                c["paced_ratio"]);
  benchmark::Shutdown();
  return 0;
}
