// quorvex-screenshots DIR: draws the window against an in-process simulated handset and
// saves each section and each dialog as PNG into DIR, to look at what a user sees. Run it
// under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "codec/ru.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"
#include "ui/dialogs.h"
#include "ui/look.h"
#include "ui/main_window_view.h"
#include "ui/qt_user_interface.h"

namespace fs = std::filesystem;

namespace {

void Save(QWidget& w, const QString& dir, const char* name) {
  QApplication::processEvents();
  const QString file = dir + QLatin1Char('/') + QString::fromLatin1(name) + ".png";
  if (!w.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  quorvex::ui::ApplyWindowLook(app);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvex-screenshots DIR\n");
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(out);

  // A working directory like an installation's: settings, help text and pictures.
  const fs::path work = fs::temp_directory_path() / ("quorvex-shots-" + std::to_string(getpid()));
  fs::create_directories(work);
  for (const auto& entry : fs::directory_iterator(QUORVEX_DATA_DIR))
    if (entry.path().extension() == ".jpg" || entry.path().filename() == "info.txt")
      fs::copy_file(entry.path(), work / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
  fs::current_path(work);

  quorvex::sim::SimOptions options;
  options.model = "T720i";
  quorvex::sim::PhoneSim phone(options);
  phone.start();
  quorvex::SavePortSettings({phone.slavePath(), 115200, 3000});

  quorvex::ui::QtUserInterface ui;
  ui.setScripted(true);  // dialogs open without waiting; they are grabbed below
  quorvex::TfrmMain model(ui);
  quorvex::ui::MainWindowView window(model, ui);
  model.FormCreate();
  window.sync();
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "window not exposed\n");

  model.click("sbTerminal");
  model.pickedCommand = 2;
  model.fire("cbCommandClick");
  model.click("btnSendCommand");
  window.sync();
  Save(window, out, "terminal");
  model.click("sbPhoneInfo");
  window.sync();
  Save(window, out, "phone-info");
  model.click("sbPhoneBook");
  window.sync();
  Save(window, out, "phone-book");
  model.click("sbDateBook");
  window.sync();
  Save(window, out, "date-book");
  model.click("sbSMS");
  window.sync();
  Save(window, out, "sms");
  window.resize(1100, 720);
  model.click("sbDateBook");
  window.sync();
  Save(window, out, "date-book-large");
  window.resize(756, 456);

  model.clickMenu("mnuPortConfig");
  Save(*window.commConfigDialog(), out, "port-settings");
  window.commConfigDialog()->hide();
  model.clickMenu("mnuHelp2");
  Save(*window.helpDialog(), out, "help");
  window.helpDialog()->hide();
  model.clickMenu("mnuAbout");
  Save(*window.aboutDialog(), out, "about");
  window.aboutDialog()->hide();

  auto box = quorvex::ui::MakeMessageBox(quorvex::kHotKeyHelp, quorvex::MsgKind::Message,
                                         quorvex::MsgButtons::Ok, &window);
  box->show();
  Save(*box, out, "hot-keys");
  box->hide();
  auto error = quorvex::ui::MakeMessageBox(
      quorvex::Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута..."),
      quorvex::MsgKind::Error, quorvex::MsgButtons::Ok, &window);
  error->show();
  Save(*error, out, "error");
  error->hide();

  for (const auto& b : ui.boxes) std::fprintf(stderr, "box: %s\n", b.text.c_str());
  phone.stop();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(work);
  return 0;
}
