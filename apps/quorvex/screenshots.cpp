// quorvex-screenshots DIR: draws the window against an in-process simulated handset and
// saves each section and each dialog as PNG into DIR, to look at what a user sees. Run it
// under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "backup/backup_file.h"
#include "backup/whole_phone_read.h"
#include "codec/ru.h"
#include "info/phone_probe.h"
#include "phonebook_shots.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"
#include "ui/bin_view.h"
#include "ui/dialogs.h"
#include "ui/look.h"
#include "ui/program_window.h"
#include "ui/qt_user_interface.h"
#include "ui/restore_view.h"

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
  quorvex::ui::InstallRussianQtTexts(app);
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
  quorvex::ui::ProgramWindow program(ui);
  quorvex::TfrmMain& model = program.model;
  quorvex::ui::MainWindowView& window = program.view;
  const auto& phoneBook = program.sections.phoneBook;
  quorvex::ui::SmsView& messagesView = program.sections.messagesView;
  quorvex::ui::DateBookView& dateBookView = program.sections.dateBookView;
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
  quorvex::ui::SavePhoneBookShots(model, window, ui, *phoneBook, out);
  quorvex::ui::SaveFileMenuShots(model, window, ui, *phoneBook, out);
  model.click("sbDateBook");
  window.sync();
  Save(window, out, "date-book");
  {
    // The calendar import's preview of a file with something of every kind.
    const std::string ics = "import-preview.ics";
    std::ofstream(ics, std::ios::binary)
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Google Inc//Google Calendar//EN\r\n"
           "BEGIN:VEVENT\r\nDTSTART:20261210T100000\r\nDTEND:20261210T110000\r\n"
           "SUMMARY:Совещание\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nDTSTART:20261215T183000\r\nDTEND:20261215T200000\r\n"
           "SUMMARY:Родительское собрание\r\nRRULE:FREQ=MONTHLY;BYDAY=3TU\r\n"
           "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270107\r\nSUMMARY:Рождество\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nDTSTART:20261214T100000\r\nDURATION:PT30M\r\n"
           "SUMMARY:Планёрка\r\nRRULE:FREQ=WEEKLY;COUNT=10;BYDAY=MO\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nDTSTART:20261218T120000\r\nDURATION:PT45M\r\n"
           "SUMMARY:Бассейн 🏊\r\nBEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT1H\r\n"
           "END:VALARM\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nDTSTART:20261220T090000\r\nSUMMARY:Еженедельное совещание отдела "
           "продаж по итогам недели с руководством филиала\r\nEND:VEVENT\r\n"
           "BEGIN:VEVENT\r\nSUMMARY:Без даты\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ui.files.push_back(ics);
    ui.scriptDialog = [&](quorvex::ModalDialog&) {
      quorvex::ui::ICalImportDialog& d = *dateBookView.importDialog();
      d.sync();
      d.show();
      Save(d, out, "calendar-import-preview");
      d.cancelButton()->click();
      d.hide();
    };
    model.clickMenu("mnuICalImport");
    ui.scriptDialog = nullptr;
  }
  model.click("sbSMS");
  window.sync();
  Save(window, out, "sms");
  // Each message folder read, and the new message dialog with a text being typed.
  const std::pair<int, const char*> folders[] = {{1, "sms-incoming"},
                                                 {2, "sms-unsent"},
                                                 {3, "sms-sent"},
                                                 {4, "sms-drafts"},
                                                 {5, "sms-archive"}};
  for (const auto& [state, name] : folders) {
    model.tvSMSSelected = state;
    model.fire("tvSMSClick");
    if (state == 1) {
      model.lvSMS.selectOnly(1);
      model.fire("lvSMSClick");
    }
    window.sync();
    Save(window, out, name);
  }
  model.click("sbReadAll");  // the recipients come from the phone book list
  ui.scriptDialog = [&](quorvex::ModalDialog& d) {
    auto& modal = static_cast<quorvex::SaveSmsModal&>(d);
    modal.form().cbAbonentsItemIndex = modal.form().cbAbonentsItems.empty() ? -1 : 0;
    modal.form().cbAbonentsText = modal.form().cbAbonentsItems.empty()
                                      ? std::string("+79161234501")
                                      : modal.form().cbAbonentsItems[0].caption;
    modal.form().rgLanguage.itemIndex = 1;
    modal.form().RadioGroup.itemIndex = 1;
    modal.form().SetMemoText(quorvex::Ru("Буду в 19:00, встречай у входа"));
    messagesView.saveSmsDialog()->attach(modal);
    messagesView.saveSmsDialog()->show();
    Save(*messagesView.saveSmsDialog(), out, "sms-new-message");
    messagesView.saveSmsDialog()->hide();
  };
  model.click("sbSMS");
  model.click("sbSMSNew");
  ui.scriptDialog = nullptr;
  window.resize(1100, 720);
  model.click("sbDateBook");
  window.sync();
  Save(window, out, "date-book-large");
  window.resize(756, 456);

  // The window enlarged as far as a 1280 x 800 screen takes it: the lists and panes get the
  // room, the buttons and columns keep their sizes.
  window.resize(1280, 800);
  model.click("sbPhoneBook");
  window.sync();
  Save(window, out, "phone-book-1280x800");
  model.click("sbSMS");
  model.tvSMSSelected = 1;
  model.fire("tvSMSClick");
  model.lvSMS.selectOnly(0);
  model.fire("lvSMSClick");
  window.sync();
  Save(window, out, "sms-1280x800");
  window.resize(756, 456);

  // The event dialog as "Добавить событие" opens it.
  model.click("sbDateBook");
  ui.scriptDialog = [&](quorvex::ModalDialog& d) {
    auto& event = static_cast<quorvex::datebook::TfrmAddEvent&>(d);
    event.edtEventTitle = quorvex::Ru("Встреча с поставщиком");
    dateBookView.eventDialog().begin(event);
    Save(dateBookView.eventDialog(), out, "event-dialog");
    dateBookView.eventDialog().hide();
  };
  model.click("sbAddEvent");
  ui.scriptDialog = nullptr;

  // The bin with records of each section: what a few deletes took, from the handset whose
  // IMEI the information section read.
  model.click("sbPhoneInfo");
  // A backup of the handset before the deletes, for the restore's preview further on.
  const std::string copy = (work / "copy.zip").string();
  {
    quorvex::WholeReadProgress progress;
    quorvex::WriteBackupFile(
        copy, quorvex::ReadWholePhone(model.app, {model.phoneBook, model.dateBook, model.messages},
                                      progress));
  }
  model.click("sbPhoneBook");
  model.click("sbReadAll");
  for (int row : {0, 2}) {
    model.ListView1.selectOnly(row);
    model.phoneBook.pmDeleteClick(model.app);
  }
  model.click("sbDateBook");
  if (!model.lvEvent.rows.empty()) {
    model.lvEvent.selectOnly(0);
    model.dateBook.sbDeleteEventClick(model.app);
  }
  model.click("sbSMS");
  for (int folder : {1, 2}) {
    model.tvSMSSelected = folder;
    model.fire("tvSMSClick");
    if (model.lvSMS.rows.empty()) continue;
    model.lvSMS.selectOnly(0);
    model.messages.sbDeleteSMSClick(model.app);
  }
  ui.scriptDialog = [&](quorvex::ModalDialog&) {
    quorvex::TfrmBin& bin = model.frmBin;
    for (std::size_t k = 0; k < bin.lvBin.rows.size(); k += 2) bin.lvBin.rows[k].selected = true;
    ++bin.lvBin.revision;
    bin.lvBinSelectItem();
    quorvex::ui::BinDialog& d = *window.binDialog();
    d.sync();
    d.show();
    Save(d, out, "bin");
    d.hide();
  };
  model.clickMenu("mnuBin");
  ui.scriptDialog = nullptr;

  // The restore's preview of the backup taken before the deletes: what they took is missing
  // on the handset, the incoming messages among it cannot go back.
  ui.files.push_back(copy);
  ui.scriptDialog = [&](quorvex::ModalDialog&) {
    quorvex::ui::RestoreDialog& d = *window.restoreDialog();
    d.sync();
    d.show();
    Save(d, out, "restore-preview");
    d.cancelButton()->click();
    d.hide();
  };
  model.clickMenu("mnuRestoreBackup");
  ui.scriptDialog = nullptr;

  // The phone backup half way: the status bar names the part being read and how many of the
  // six have begun, the date book's own bar how far its read got.
  ui.files.push_back((work / "backup.zip").string());
  model.click("sbDateBook");
  {
    int pumps = 0;
    const auto inner = ui.beforeEvents;
    ui.beforeEvents = [&] {
      if (inner) inner();
      if (model.statusText().find(quorvex::Ru("2 из 6")) == std::string::npos || ++pumps != 4)
        return;
      Save(window, out, "backup");
    };
    model.clickMenu("mnuPhoneBackup");
    ui.beforeEvents = inner;
  }

  model.clickMenu("mnuPortConfig");
  Save(*window.commConfigDialog(), out, "port-settings");
  // "Найти телефон" with two handsets found, the second, slower one picked.
  quorvex::sim::SimOptions slowOptions;
  slowOptions.model = "C350";
  slowOptions.lineSpeed = 57600;
  quorvex::sim::PhoneSim slow(slowOptions);
  slow.start();
  model.commConfig.detectTargets = [&] {
    return quorvex::ProbeTargetsFor({phone.slavePath(), slow.slavePath()});
  };
  QTest::mouseClick(window.commConfigDialog()->findChild<QToolButton*>("sbDetect"), Qt::LeftButton);
  window.commConfigDialog()->findChild<QListWidget*>("lbFound")->setCurrentRow(1);
  Save(*window.commConfigDialog(), out, "port-settings-found");
  window.commConfigDialog()->hide();
  model.app.LoadPortSettings();  // the pick changed the settings in memory only
  model.clickMenu("mnuHelp2");
  Save(*window.helpDialog(), out, "help");
  window.helpDialog()->hide();
  model.clickMenu("mnuAbout");
  Save(*window.aboutDialog(), out, "about");
  window.aboutDialog()->hide();

  // Each list sorted by a header click; the direction is shared, so the second list sorts
  // descending and the third ascending again.
  model.click("sbPhoneBook");
  model.clickedColumn = 1;
  model.fire("ListView1ColumnClick");
  window.sync();
  Save(window, out, "phone-book-sorted");
  model.click("sbDateBook");
  model.clickedColumn = 1;
  model.fire("lvEventColumnClick");
  window.sync();
  Save(window, out, "date-book-sorted");
  model.click("sbSMS");
  model.tvSMSSelected = 1;
  model.fire("tvSMSClick");
  model.clickedColumn = 1;
  model.fire("lvSMSColumnClick");
  window.sync();
  Save(window, out, "sms-sorted");

  // A read in progress: the bars' figures, the status bar and the stop button; then the
  // stop button pressed and the window as the stopped read leaves it.
  model.click("sbPhoneBook");
  {
    int pumps = 0;
    const auto inner = ui.beforeEvents;
    ui.beforeEvents = [&] {
      if (inner) inner();
      if (++pumps != 8) return;
      Save(window, out, "phone-book-reading");
      model.click("sbStop");
    };
    model.click("sbReadAll");
    ui.beforeEvents = inner;
    window.sync();
    Save(window, out, "phone-book-stopped");
  }

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

  // Qt's own dialogs in Russian: a question box as the bulk write asks it, and the file
  // dialog as "Сохранить" of the message section opens it.
  auto question = quorvex::ui::MakeMessageBox(
      quorvex::Ru("Вы уверены, что хотите прервать\r\nзапись данных в телефон?!"),
      quorvex::MsgKind::Question, quorvex::MsgButtons::YesNo, &window);
  question->show();
  Save(*question, out, "question");
  question->hide();
  auto files = quorvex::ui::MakeFileDialog(
      quorvex::ui::FileChoice::Save,
      "All files (*.*)|*.*|Text File (*.txt)|*.txt|CSV File (*.csv)|*.csv", "*.csv", &window);
  files->resize(640, 400);
  files->show();
  Save(*files, out, "file-dialog");
  files->hide();

  // The status bar at the window's smallest size, holding a line of text. Nothing in the
  // window writes to it yet; the text here only shows that a line fits.
  model.click("sbPhoneBook");
  window.sync();
  window.statusBar()->showMessage(QStringLiteral("Справочник: 13 записей"));
  Save(window, out, "status-bar");
  window.statusBar()->clearMessage();

  for (const auto& b : ui.boxes) std::fprintf(stderr, "box: %s\n", b.text.c_str());
  phone.stop();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(work);
  return 0;
}
