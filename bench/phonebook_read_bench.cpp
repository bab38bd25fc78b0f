// "Читать все" of a full phone book (7,400 phone memory and 250 SIM entries, 255 chunks)
// against the simulated handset: paced at 115200 baud, against the line-rate floor of the
// bytes that crossed the line in the same run; and unpaced, where the read including the
// filling of the list must stay under a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "codec/ru.h"
#include "core/app_state.h"
#include "phonebook/phonebook_section.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace {

using quorvex::AppState;
using quorvex::LocalTime;
using quorvex::ModalDialog;
using quorvex::MsgButtons;
using quorvex::MsgKind;
using quorvex::MsgResult;
using quorvex::phonebook::PhoneBookSection;
namespace sim = quorvex::sim;

constexpr int kPhoneEntries = 7400;
constexpr int kSimEntries = 250;
constexpr int kBaud = 115200;

class QuietUi : public quorvex::UserInterface {
 public:
  MsgResult messageBox(const std::string&, MsgKind, MsgButtons) override {
    ++boxes;
    return MsgResult::Ok;
  }
  void showStandardError(const std::string&) override { ++boxes; }
  std::optional<std::string> chooseOpenFile(const std::string&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return {};
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  LocalTime now() override { return {}; }
  void setBusyCursor(bool) override {}
  void openUrl(const std::string&) override {}
  int boxes = 0;
};

std::string StateFile() {
  static const std::string path = [] {
    sim::HandsetState st = sim::EmptyState();
    st.phoneSize = kPhoneEntries;
    st.simSize = kSimEntries;
    st.groups = {{quorvex::Ru("Друзья"), 255},
                 {quorvex::Ru("Работа"), 255},
                 {quorvex::Ru("Семья"), 255},
                 {"VIPs", 255}};
    for (int i = 1; i <= kPhoneEntries + kSimEntries; ++i) {
      sim::PhoneEntry e;
      char number[24];
      std::snprintf(number, sizeof number, "+7916%07d", i);
      e.number = number;
      e.format = 145;
      e.name = quorvex::Ru("Абонент ") + std::to_string(i);
      e.type = i % 7;
      e.category = 1 + i % 4;
      e.icon = i % 16 == 15 ? 255 : i % 15;
      st.entries[i] = e;
    }
    const std::string p = (std::filesystem::temp_directory_path() /
                           ("qv-pb-bench-" + std::to_string(::getpid()) + ".txt"))
                              .string();
    sim::SaveStateFile(p, st);
    return p;
  }();
  return path;
}

struct ReadFigures {
  double seconds = 0;
  double bytes = 0;
};

ReadFigures ReadOnce(int baud, benchmark::State& state) {
  sim::SimOptions o;
  o.model = "C350";
  o.demoData = false;
  o.stateFile = StateFile();
  o.baud = baud;
  sim::PhoneSim phone(o);
  phone.start();
  QuietUi ui;
  AppState app(ui);
  app.setOverride({phone.slavePath(), kBaud, 1000});
  app.LoadPortSettings();
  PhoneBookSection section;
  const std::int64_t before = phone.bytesReceived() + phone.bytesSent();
  const auto t0 = std::chrono::steady_clock::now();
  section.sbReadAllClick(app);
  const auto t1 = std::chrono::steady_clock::now();
  ReadFigures f;
  f.seconds = std::chrono::duration<double>(t1 - t0).count();
  f.bytes = static_cast<double>(phone.bytesReceived() + phone.bytesSent() - before);
  if (section.Records.size() != kPhoneEntries + kSimEntries ||
      section.ListView1.rows.size() != kPhoneEntries + kSimEntries || ui.boxes != 0) {
    state.SkipWithError("the read did not bring the whole phone book");
  }
  return f;
}

void BM_ReadAllPaced(benchmark::State& state) {
  for (auto _ : state) {
    const ReadFigures f = ReadOnce(kBaud, state);
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
    const ReadFigures f = ReadOnce(0, state);
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

class FigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs)
      for (const auto& [name, counter] : run.counters)
        figures[run.benchmark_name()][name] = counter.value;
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, std::map<std::string, double>> figures;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (auto& [name, c] : reporter.figures) {
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
  std::filesystem::remove(StateFile());
  benchmark::Shutdown();
  return 0;
}
