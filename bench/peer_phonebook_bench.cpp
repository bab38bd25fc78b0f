// The whole phone book read of Quorvex ("Читать все") against the same read by a peer tool,
// Debian's gammu ("getallmemory ME", then "SM", each a run of its own with its start-up
// exchanges), on one simulated handset paced at 115200 baud. Prints both wall times and the
// ratio Quorvex/gammu. Skipped with a message when gammu is not installed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "codec/ru.h"
#include "core/app_state.h"
#include "phonebook/phonebook_section.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace {

namespace fs = std::filesystem;
namespace sim = quorvex::sim;
using quorvex::AppState;
using quorvex::phonebook::PhoneBookSection;

// Every place of both memories holds an entry, so neither reader skips empty ranges, but
// the last place of the phone memory: gammu asks for the places below the last one its
// range reply names and never for that one.
constexpr int kPhonePlaces = 500;
constexpr int kPhoneEntries = kPhonePlaces - 1;
constexpr int kSimEntries = 250;
constexpr int kBaud = 115200;

class QuietUi : public quorvex::UserInterface {
 public:
  quorvex::MsgResult messageBox(const std::string& text, quorvex::MsgKind,
                                quorvex::MsgButtons) override {
    std::fprintf(stderr, "box: %s\n", text.c_str());
    ++boxes;
    return quorvex::MsgResult::Ok;
  }
  void showStandardError(const std::string& m) override {
    std::fprintf(stderr, "%s\n", m.c_str());
    ++boxes;
  }
  std::optional<std::string> chooseOpenFile(const std::string&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return {};
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  quorvex::LocalTime now() override { return {}; }
  void setBusyCursor(bool) override {}
  void openUrl(const std::string&) override {}
  int boxes = 0;
};

std::string FindGammu() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / "gammu";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

fs::path WorkDir() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / ("qv-peer-bench-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

std::string StateFile() {
  static const std::string path = [] {
    sim::HandsetState st = sim::EmptyState();
    st.phoneSize = kPhonePlaces;
    st.simSize = kSimEntries;
    st.groups = {{quorvex::Ru("Друзья"), 255}, {quorvex::Ru("Работа"), 255}};
    for (int i = 1; i <= kPhonePlaces + kSimEntries; ++i) {
      if (i == kPhonePlaces) continue;
      sim::PhoneEntry e;
      char number[24];
      std::snprintf(number, sizeof number, "+7916%07d", i);
      e.number = number;
      e.format = 145;
      e.name = quorvex::Ru("Абонент ") + std::to_string(i);
      e.type = i % 7;
      e.category = 1 + i % 2;
      st.entries[i] = e;
    }
    const std::string p = (WorkDir() / "handset.txt").string();
    sim::SaveStateFile(p, st);
    return p;
  }();
  return path;
}

// One gammu run; its output is kept to count the entries it read.
std::string RunGammu(const std::string& gammu, const std::string& rc,
                     std::vector<std::string> args) {
  args.insert(args.begin(), {gammu, "-c", rc});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::string locale = "LC_ALL=C.UTF-8", home = "HOME=" + WorkDir().string();
  char* envp[] = {locale.data(), home.data(), nullptr};
  const std::string out = (WorkDir() / "gammu.out").string();
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, gammu.c_str(), &fa, nullptr, argv.data(), envp);
  posix_spawn_file_actions_destroy(&fa);
  if (spawned != 0) return {};
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::ifstream in(out, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
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
  const std::string gammu = FindGammu();
  for (auto _ : state) {
    sim::SimOptions o;
    o.model = "C350";
    o.demoData = false;
    o.stateFile = StateFile();
    o.baud = kBaud;
    sim::PhoneSim phone(o);
    phone.start();

    // Quorvex first: gammu leaves coded refusals switched on, which this read never meets
    // but a later one of another operation might.
    QuietUi ui;
    AppState app(ui);
    app.setOverride({phone.slavePath(), kBaud, 1000});
    app.LoadPortSettings();
    PhoneBookSection section;
    auto t0 = std::chrono::steady_clock::now();
    section.sbReadAllClick(app);
    const double quorvexSeconds = SecondsSince(t0);
    if (section.ListView1.rows.size() != kPhoneEntries + kSimEntries || ui.boxes != 0) {
      state.SkipWithError("Quorvex did not read the whole phone book");
      break;
    }

    const std::string rc = (WorkDir() / "gammurc").string();
    std::ofstream(rc) << "[gammu]\ndevice = " << phone.slavePath() << "\nconnection = at115200\n";
    t0 = std::chrono::steady_clock::now();
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

class FigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs)
      for (const auto& [name, counter] : run.counters) figures[name] = counter.value;
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> figures;
};

}  // namespace

int main(int argc, char** argv) {
  if (FindGammu().empty()) {
    std::printf("gammu is not installed: the peer benchmark is skipped\n");
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& c = reporter.figures;
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
