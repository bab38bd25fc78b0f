// A read of a 500-index date book from the simulated handset paced at 115200 baud, against
// the floor the line itself sets: every byte that crossed it in either direction, at 10 bits
// per byte, measured in the same run. The ratio is the cost of everything but the line.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "core/app_state.h"
#include "datebook/date_book_section.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace {

using quorvex::AppState;
using quorvex::sim::PhoneSim;

constexpr int kBaud = 115200;
constexpr int kHighest = 499;

// The seam with nothing behind it: no boxes expected, pumps and pauses cost nothing.
class QuietUi : public quorvex::UserInterface {
 public:
  quorvex::MsgResult messageBox(const std::string& text, quorvex::MsgKind,
                                quorvex::MsgButtons) override {
    boxes += text;
    return quorvex::MsgResult::Ok;
  }
  void showStandardError(const std::string& m) override { boxes += m; }
  std::optional<std::string> chooseOpenFile(const std::string&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return {};
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  quorvex::LocalTime now() override { return {}; }
  void setBusyCursor(bool) override {}
  void openUrl(const std::string&) override {}
  std::string boxes;
};

PhoneSim& Phone() {
  static PhoneSim* phone = [] {
    quorvex::sim::HandsetState st = quorvex::sim::EmptyState();
    st.dateBookHighest = kHighest;
    for (int i = 0; i < 12; ++i) {
      quorvex::sim::DateEvent ev;
      ev.title = "Event number " + std::to_string(i);
      ev.alarmFlag = '1';
      ev.startTime = "10:30";
      ev.startDate = "07-12-2026";
      ev.duration = 60;
      ev.alarmTime = "10:15";
      ev.alarmDate = "07-12-2026";
      ev.repeat = i % 6;
      st.events[i * 41] = ev;
    }
    const std::string file = "/tmp/quorvex-datebook-bench-" + std::to_string(::getpid()) + ".txt";
    quorvex::sim::SaveStateFile(file, st);
    quorvex::sim::SimOptions o;
    o.baud = kBaud;
    o.stateFile = file;
    auto* p = new PhoneSim(o);
    p->start();
    std::remove(file.c_str());
    return p;
  }();
  return *phone;
}

void BM_ReadDateBook500(benchmark::State& state) {
  QuietUi ui;
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
    if (section.lvEvent.rows.size() != 12 || !ui.boxes.empty()) {
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

class CountersReporter : public benchmark::ConsoleReporter {
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
  CountersReporter reporter;
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
