// The reads of the incoming message folder and of the date book in the window, against the
// same reads of the sections alone as quorvex-cli runs them, at 1,000 and 5,000 rows each on
// a simulated handset that does not pace its replies. The window shows each row at the pump
// that follows it, as the program does; the read alone, measured in the same run, is the
// floor. Each read runs three times, the window's and the section's by turns, and the ratio
// is that of the medians, so that a busy moment of the machine does not decide it. Without a
// display it draws offscreen.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "handset_rows.h"
#include "messages/message_rows.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"
#include "ui/program_window.h"
#include "ui/qt_user_interface.h"

namespace {

namespace fs = std::filesystem;
using quorvex::sim::HandsetState;

constexpr int kSizes[] = {1000, 5000};
constexpr int kTurns = 3;
constexpr double kTarget = 1.5;

HandsetState Handset(int rows) {
  HandsetState s = quorvex::sim::EmptyState();
  s.messageSlots = rows + 10;
  for (int i = 1; i <= rows; ++i) s.messages[i] = quorvex::bench::IncomingMessage(i);
  s.dateBookHighest = rows - 1;
  for (int i = 0; i < rows; ++i) s.events[i] = quorvex::bench::NumberedEvent(i);
  return s;
}

double Seconds(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The sections as the CLI runs them: no window, nothing shown at a pump.
struct Alone {
  quorvex::bench::QuietUi ui{true};
  quorvex::AppState app{ui};
  explicit Alone(const std::string& port) {
    quorvex::SettingsOverride o;
    o.portName = port;
    o.baudRate = 115200;
    o.timeOut = 3000;
    app.setOverride(o);
    app.LoadPortSettings();
  }
};

// The window as the program builds it, shown, its boxes answered by script.
struct Window {
  quorvex::ui::QtUserInterface ui;
  quorvex::ui::ProgramWindow program;
  quorvex::TfrmMain& model = program.model;
  quorvex::ui::MainWindowView& view = program.view;

  Window(const fs::path& dir, const std::string& archive)
      : program(ui, (dir / "portcfg.ini").string()) {
    ui.setScripted(true);
    model.messages.archivePath = archive;
    model.FormCreate();
    view.sync();
    view.show();
    QApplication::processEvents();
  }
};

void Report(const char* what, int rows, double window, double alone, std::size_t shown) {
  std::printf("%s %d: window %.3f s (%zu rows), alone %.3f s: ratio %.2f (target <= %.1f)\n", what,
              rows, window, shown, alone, window / alone, kTarget);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  const fs::path dir = quorvex::testing::FreshScratchDir("qv-window-read-bench");
  for (const int rows : kSizes) {
    quorvex::sim::SimOptions o;
    o.baud = 0;
    o.demoData = false;
    o.stateFile = (dir / ("handset" + std::to_string(rows) + ".txt")).string();
    quorvex::sim::SaveStateFile(o.stateFile, Handset(rows));
    quorvex::sim::PhoneSim phone(o);
    phone.start();
    quorvex::SavePortSettings({phone.slavePath(), 115200, 3000}, (dir / "portcfg.ini").string());
    const std::string archive = (dir / ("archive" + std::to_string(rows) + ".txt")).string();

    Alone alone(phone.slavePath());
    quorvex::sms::SmsSection inbox;
    inbox.archivePath = archive;
    // The first read fills the archive; the timed ones find every message there already.
    inbox.ReadMessageFolder(alone.app, quorvex::sms::kFilterIncoming);
    quorvex::datebook::DateBookSection events;
    Window window(dir, archive);

    std::vector<double> inboxAlone, inboxWindow, eventsAlone, eventsWindow;
    for (int turn = 0; turn < kTurns; ++turn) {
      inboxAlone.push_back(
          Seconds([&] { inbox.ReadMessageFolder(alone.app, quorvex::sms::kFilterIncoming); }));
      // The section shows its archive first; the click on the folder reads it.
      window.model.click("sbSMS");
      window.model.tvSMSSelected = quorvex::sms::kIncoming;
      inboxWindow.push_back(Seconds([&] { window.model.fire("tvSMSClick"); }));
      eventsAlone.push_back(Seconds([&] { events.sbReadAllEventsClick(alone.app); }));
      // Showing the date book reads it.
      eventsWindow.push_back(Seconds([&] { window.model.click("sbDateBook"); }));
    }
    Report("messages", rows, Median(inboxWindow), Median(inboxAlone),
           window.model.lvSMS.rows.size());
    Report("date book", rows, Median(eventsWindow), Median(eventsAlone),
           window.model.lvEvent.rows.size());
    if (alone.ui.boxes != 0) std::printf("the reads alone showed %d boxes\n", alone.ui.boxes);
    if (!window.ui.boxes.empty())
      std::printf("the window showed %zu boxes\n", window.ui.boxes.size());
  }
  fs::remove_all(dir);
  return 0;
}
