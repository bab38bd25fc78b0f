// The whole phone book read of Quorvex ("Читать все") against the same read by a peer tool,
// Debian's gammu ("getallmemory ME", then "SM", each a run of its own with its start-up
// exchanges), on one simulated handset paced at 115200 baud. Prints both wall times and the
// ratio Quorvex/gammu. Skipped with a message when gammu is not installed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "full_phone_book.h"
#include "run_program.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
namespace bench = quorvex::bench;
namespace sim = quorvex::sim;

// Every place of both memories holds an entry, so neither reader skips empty ranges, but
// the last place of the phone memory: gammu asks for the places below the last one its
// range reply names and never for that one.
constexpr int kPhonePlaces = 500;
constexpr int kPhoneEntries = kPhonePlaces - 1;
constexpr int kSimEntries = 250;
constexpr int kBaud = 115200;
// Far beyond a read of this book; only a hung gammu meets it.
constexpr int kGammuSeconds = 300;

const fs::path& WorkDir() {
  static const fs::path dir = quorvex::testing::FreshScratchDir("qv-peer-bench");
  return dir;
}

std::string StateFile() {
  static const std::string path = [] {
    const std::string p = (WorkDir() / "handset.txt").string();
    sim::SaveStateFile(p, bench::FullPhoneBook(kPhonePlaces, kSimEntries, 2, kPhonePlaces));
    return p;
  }();
  return path;
}

// One gammu run; its output is kept to count the entries it read.
std::string RunGammu(const std::string& gammu, const std::string& rc,
                     std::vector<std::string> args) {
  args.insert(args.begin(), {gammu, "-c", rc});
  return bench::RunProgram(args, {"LC_ALL=C.UTF-8", "HOME=" + WorkDir().string()},
                           (WorkDir() / "gammu.out").string(), kGammuSeconds)
      .out;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_PeerPhoneBookRead(benchmark::State& state) {
  const std::string gammu = bench::FindOnPath("gammu");
  for (auto _ : state) {
    const auto phone = bench::StartC350(StateFile(), kBaud);

    // Quorvex first: gammu leaves coded refusals switched on, which this read never meets
    // but a later one of another operation might.
    const bench::PhoneBookRead read = bench::ReadWholePhoneBook(*phone, true);
    const double quorvexSeconds = read.seconds;
    if (read.rows != kPhoneEntries + kSimEntries || read.boxes != 0) {
      state.SkipWithError("Quorvex did not read the whole phone book");
      break;
    }

    const std::string rc = (WorkDir() / "gammurc").string();
    std::ofstream(rc) << "[gammu]\ndevice = " << phone->slavePath() << "\nconnection = at115200\n";
    const auto t0 = std::chrono::steady_clock::now();
    const std::string me = RunGammu(gammu, rc, {"getallmemory", "ME"});
    const std::string sm = RunGammu(gammu, rc, {"getallmemory", "SM"});
    const double gammuSeconds = SecondsSince(t0);
    const int meRead = Count(me, "Memory ME, Location ");
    const int smRead = Count(sm, "Memory SM, Location ");
    if (meRead != kPhoneEntries || smRead != kSimEntries) {
      std::fprintf(stderr, "gammu read %d phone and %d SIM entries\n", meRead, smRead);
      state.SkipWithError("gammu did not read the whole phone book");
      break;
    }
    state.SetIterationTime(quorvexSeconds + gammuSeconds);
    state.counters["quorvex_s"] = quorvexSeconds;
    state.counters["gammu_s"] = gammuSeconds;
    state.counters["ratio"] = quorvexSeconds / gammuSeconds;
  }
}

BENCHMARK(BM_PeerPhoneBookRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (bench::FindOnPath("gammu").empty()) {
    std::printf("gammu is not installed: the peer benchmark is skipped\n");
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  bench::FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& c = reporter.counters;
  if (c.count("ratio")) {
    std::printf(
        "Phone book of %d phone and %d SIM entries paced at %d baud: Quorvex %.1f s, gammu "
        "%.1f s (ME and SM): ratio Quorvex/gammu %.2f\n",
        kPhoneEntries, kSimEntries, kBaud, c["quorvex_s"], c["gammu_s"], c["ratio"]);
  }
  fs::remove_all(WorkDir());
  benchmark::Shutdown();
  return 0;
}
