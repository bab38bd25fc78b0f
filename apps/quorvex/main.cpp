// quorvex: the window. It starts as the original program did: the title, the main window
// (whose start-up reads the port settings), the dialogs, then the message loop until the
// main window closes.
//
// --home: the program works in its per-user folder ($XDG_DATA_HOME/quorvex), made ready on
// the first start (app/home_folder.h), instead of the current directory.
//
// QUORVEX_STARTUP_PROBE=1 in the environment prints the milliseconds from the start of the
// process to the first idle moment of the shown and painted window on stderr, then ends the
// program.
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/home_folder.h"
#include "codec/errors.h"
#include "ui/look.h"
#include "ui/program_window.h"
#include "ui/qt_user_interface.h"

namespace {

// Milliseconds since the kernel started this process, or -1 when /proc cannot tell.
double MillisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  if (!std::getline(stat, line)) return -1;
  // The command name in field 2 may hold blanks; the fields after it do not.
  const auto close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(line.substr(close + 2));
  std::string field;
  unsigned long long startTicks = 0;
  for (int i = 3; i <= 22 && rest >> field; ++i)
    if (i == 22) startTicks = std::stoull(field);
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startTicks / ticks) * 1000.0;
}

// Notes the first time the window paints.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* window) : QObject(window) { window->installEventFilter(this); }
  bool seen = false;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) seen = true;
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(quorvex::ui::kApplicationTitle));
  quorvex::ui::ApplyWindowLook(app);
  // Without Qt's Russian texts installed, Qt's own buttons and dialogs speak English.
  quorvex::ui::InstallRussianQtTexts(app);

  quorvex::ui::QtUserInterface ui;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--home") != 0) continue;
    try {
      quorvex::EnterOwnUserFolder();
    } catch (const quorvex::Exception& e) {
      ui.showStandardError(e.what());
      return 1;
    }
    break;
  }
  quorvex::ui::ProgramWindow program(ui);
  quorvex::TfrmMain& model = program.model;
  quorvex::ui::MainWindowView& window = program.view;
  model.FormCreate();
  window.sync();
  window.show();

  if (const char* probe = std::getenv("QUORVEX_STARTUP_PROBE"); probe && *probe) {
    // Idle means: the window is on the screen, has painted itself, and the event loop has
    // nothing left to do.
    auto* painted = new PaintWatch(&window);
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, painted, poll] {
      if (!painted->seen || !window.windowHandle() || !window.windowHandle()->isExposed()) return;
      poll->stop();
      QTimer::singleShot(0, &window, [] {
        std::fprintf(stderr, "quorvex: idle %.0f ms after process start\n",
                     MillisecondsSinceProcessStart());
        QApplication::quit();
      });
    });
    poll->start(0);
  }
  return QApplication::exec();
}
