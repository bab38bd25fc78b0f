// "Читать все" of a full phone book (7,400 phone memory and 250 SIM entries, 255 chunks)
// against the simulated handset: paced at 115200 baud, against the line-rate floor of the
// bytes that crossed the line in the same run; and unpaced, where the read including the
// filling of the list must stay under a second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "full_phone_book.h"
#include "scratch_dir.h"

namespace {

namespace bench = quorvex::bench;
namespace sim = quorvex::sim;

constexpr int kPhoneEntries = 7400;
constexpr int kSimEntries = 250;
constexpr int kBaud = 115200;

const std::filesystem::path& WorkDir() {
  static const std::filesystem::path dir = quorvex::testing::FreshScratchDir("qv-pb-bench");
  return dir;
}

std::string StateFile() {
  static const std::string path = [] {
    sim::HandsetState st = bench::FullPhoneBook(kPhoneEntries, kSimEntries, 4);
    for (auto& [i, e] : st.entries) e.icon = i % 16 == 15 ? 255 : i % 15;
    const std::string p = (WorkDir() / "handset.txt").string();
    sim::SaveStateFile(p, st);
    return p;
  }();
  return path;
}

bench::PhoneBookRead ReadOnce(int baud, benchmark::State& state) {
  const auto phone = bench::StartC350(StateFile(), baud);
  const bench::PhoneBookRead f = bench::ReadWholePhoneBook(*phone, false);
  if (f.records != kPhoneEntries + kSimEntries || f.rows != kPhoneEntries + kSimEntries ||
      f.boxes != 0) {
    state.SkipWithError("the read did not bring the whole phone book");
  }
  return f;
}

void BM_ReadAllPaced(benchmark::State& state) {
  for (auto _ : state) {
    const bench::PhoneBookRead f = ReadOnce(kBaud, state);
    const double floor = f.bytes * 10 / kBaud;
    state.SetIterationTime(f.seconds);
    state.counters["bytes"] = f.bytes;
    state.counters["floor_s"] = floor;
    state.counters["read_s"] = f.seconds;
    state.counters["ratio"] = f.seconds / floor;
  }
}

void BM_ReadAllUnpaced(benchmark::State& state) {
  double seconds = 0, slowest = 0;
  for (auto _ : state) {
    const bench::PhoneBookRead f = ReadOnce(0, state);
    state.SetIterationTime(f.seconds);
    state.counters["bytes"] = f.bytes;
    seconds += f.seconds;
    slowest = std::max(slowest, f.seconds);
  }
  state.counters["read_s"] = benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
  state.counters["slowest_s"] = slowest;
}

BENCHMARK(BM_ReadAllUnpaced)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllPaced)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (auto& [name, c] : reporter.byBenchmark) {
    if (name.rfind("BM_ReadAllPaced", 0) == 0) {
      std::printf(
          "Paced at %d baud: read %.2f s, %.0f bytes both ways, line-rate floor %.2f s: "
          "ratio %.3f (target <= 1.05)\n",
          kBaud, c["read_s"], c["bytes"], c["floor_s"], c["ratio"]);
    }
    if (name.rfind("BM_ReadAllUnpaced", 0) == 0) {
      std::printf(
          "Unpaced: read with the list filled %.0f ms mean, %.0f ms slowest (target < 1000 ms)\n",
          c["read_s"] * 1000, c["slowest_s"] * 1000);
    }
  }
  std::filesystem::remove_all(WorkDir());
  benchmark::Shutdown();
  return 0;
}
