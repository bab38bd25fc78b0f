// The port settings dialog, the help window and the about box as the user meets them.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEnterEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QTranslator>
#include <memory>

#include "codec/ru.h"
#include "info/about_help.h"
#include "info/phone_probe.h"
#include "sim/phone_sim.h"
#include "ui/dialogs.h"
#include "ui/look.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

using testing::WindowTest;

template <class W>
W* Child(QWidget* dialog, const char* name) {
  auto* w = dialog->findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

class PortDialog : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SavePortSettings({"/dev/ttyUSB1", 19200, 3000}, path("portcfg.ini"));
    start();
    view_->action("mnuPortConfig")->trigger();
    dialog = view_->commConfigDialog();
  }
  void TearDown() override {
    dialog->hide();
    WindowTest::TearDown();
  }
  PortSettings stored() {
    PortSettings s;
    LoadPortSettings(s, path("portcfg.ini"));
    return s;
  }
  QComboBox* combo(const char* name) { return Child<QComboBox>(dialog, name); }
  QDialog* dialog = nullptr;
};

TEST_F(PortDialog, ShowsTheSettingsAndTheFixedLine) {
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Настройка порта"));
  EXPECT_EQ(combo("cbComSelect")->currentText(), QStringLiteral("/dev/ttyUSB1"));
  EXPECT_EQ(combo("cbComSelect")->itemText(0), QStringLiteral("COM1"));
  EXPECT_EQ(combo("cbComSelect")->itemText(8), QStringLiteral("COM9"));
  EXPECT_EQ(combo("cbBaudRate")->currentText(), QStringLiteral("19200"));
  EXPECT_EQ(combo("cbBaudRate")->count(), 13);
  EXPECT_EQ(Child<QSpinBox>(dialog, "seTimeOut")->value(), 3000);
  for (const char* fixed : {"cbDataBits", "cbParity", "cbStopBits", "cbFlowControl"})
    EXPECT_FALSE(combo(fixed)->isEnabled()) << fixed;
  EXPECT_EQ(combo("cbDataBits")->currentText(), QStringLiteral("8"));
  EXPECT_EQ(combo("cbParity")->currentText(), QStringLiteral("Не проверяется"));
  EXPECT_EQ(combo("cbFlowControl")->currentText(), QStringLiteral("Отсутствует"));
  EXPECT_EQ(Child<QLabel>(dialog, "lblFlowControl")->text(), QStringLiteral("Управление потоком:"));
}

TEST_F(PortDialog, EditsChangeTheSettingsAtOnceAndApplyWritesThem) {
  combo("cbComSelect")->lineEdit()->setText(QStringLiteral("/dev/ttyACM0"));
  EXPECT_EQ(model_->app.settings().PortName, "/dev/ttyACM0");
  combo("cbBaudRate")->lineEdit()->setText(QStringLiteral("115200"));
  EXPECT_EQ(model_->app.settings().BaudRate, 115200);

  combo("cbBaudRate")->lineEdit()->setText(QStringLiteral("115k"));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_TRUE(ui_.boxes[0].standardError);
  EXPECT_EQ(ui_.boxes[0].text, "'115k' is not a valid integer value");
  EXPECT_EQ(model_->app.settings().BaudRate, 115200) << "unchanged by a bad text";

  auto* spin = Child<QSpinBox>(dialog, "seTimeOut");
  spin->setValue(20000);
  EXPECT_EQ(spin->value(), 10000);
  EXPECT_EQ(model_->app.settings().TimeOut, 10000);
  spin->setValue(40);
  EXPECT_EQ(model_->app.settings().TimeOut, 100);

  EXPECT_EQ(stored().PortName, "/dev/ttyUSB1") << "nothing written before Применить";
  QTest::mouseClick(Child<QToolButton>(dialog, "sbApply"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  const PortSettings s = stored();
  EXPECT_EQ(s.PortName, "/dev/ttyACM0");
  EXPECT_EQ(s.BaudRate, 115200);
  EXPECT_EQ(s.TimeOut, 100);
}

TEST_F(PortDialog, CancelAndEscapeCloseWithoutWritingEnterApplies) {
  combo("cbComSelect")->lineEdit()->setText(QStringLiteral("/dev/ttyS0"));
  QTest::keyClick(combo("cbComSelect")->lineEdit(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(stored().PortName, "/dev/ttyUSB1");
  EXPECT_EQ(model_->app.settings().PortName, "/dev/ttyS0") << "kept in memory";

  view_->action("mnuPortConfig")->trigger();
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(combo("cbComSelect")->currentText(), QStringLiteral("/dev/ttyS0"));
  QTest::mouseClick(Child<QToolButton>(dialog, "sbCancel"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());

  view_->action("mnuPortConfig")->trigger();
  QTest::keyClick(combo("cbComSelect")->lineEdit(), Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(stored().PortName, "/dev/ttyS0");
}

TEST_F(PortDialog, AFailedWriteKeepsTheDialogOpen) {
  std::filesystem::remove(path("portcfg.ini"));
  std::filesystem::create_directory(path("portcfg.ini"));  // cannot be replaced by a file
  QTest::mouseClick(Child<QToolButton>(dialog, "sbApply"), Qt::LeftButton);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_TRUE(ui_.boxes[0].standardError);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(PortDialog, FindPhoneListsTheHandsetsAndAPickFillsTheControls) {
  sim::SimOptions fast, slow;
  fast.model = "C350";
  slow.model = "V60";
  slow.lineSpeed = 19200;
  sim::PhoneSim c350(fast), v60(slow);
  c350.start();
  v60.start();
  model_->commConfig.detectTargets = [&] {
    return ProbeTargetsFor({c350.slavePath(), v60.slavePath(), "/dev/quorvex-no-such-port"});
  };
  auto* button = Child<QToolButton>(dialog, "sbDetect");
  EXPECT_EQ(button->text(), QStringLiteral("Найти телефон"));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(ui_.boxes.empty());
  auto* list = Child<QListWidget>(dialog, "lbFound");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), ToQ(c350.slavePath()) + QStringLiteral(" — C350, 115200 бод"));
  EXPECT_EQ(list->item(1)->text(), ToQ(v60.slavePath()) + QStringLiteral(" — V60, 19200 бод"));
  EXPECT_EQ(Child<QLabel>(dialog, "lblDetect")->text(),
            QStringLiteral("Найдено телефонов: 2. Выберите телефон и нажмите \"Применить\"."));
  EXPECT_TRUE(button->isEnabled());

  list->setCurrentRow(1);
  EXPECT_EQ(combo("cbComSelect")->currentText(), ToQ(v60.slavePath()));
  EXPECT_EQ(combo("cbBaudRate")->currentText(), QStringLiteral("19200"));
  EXPECT_EQ(stored().PortName, "/dev/ttyUSB1") << "nothing written before Применить";
  QTest::mouseClick(Child<QToolButton>(dialog, "sbApply"), Qt::LeftButton);
  EXPECT_EQ(stored().PortName, v60.slavePath());
  EXPECT_EQ(stored().BaudRate, 19200);
}

TEST_F(WindowTest, TheHelpWindowReadsTheFileOnEveryShowing) {
  start();
  writeFile("info.txt", Ru("Первая строка\r\nвторая"));
  view_->action("mnuHelp2")->trigger();
  HelpDialog* help = view_->helpDialog();
  ASSERT_TRUE(help->isVisible());
  EXPECT_EQ(help->windowTitle(), QStringLiteral("Помощь"));
  EXPECT_EQ(help->richEdit()->toPlainText(), QStringLiteral("Первая строка\nвторая"));
  EXPECT_TRUE(help->richEdit()->isReadOnly());
  help->hide();

  writeFile("info.txt", "{\\rtf1\\ansi\\ansicpg1251 plain {\\b \\'c6\\'e8\\'f0}\\par next}");
  view_->action("mnuHelp2")->trigger();
  QTextDocument* doc = help->richEdit()->document();
  EXPECT_EQ(help->richEdit()->toPlainText(), QStringLiteral("plain Жир\nnext"));
  QTextCursor bold(doc);
  bold.setPosition(8);  // inside the bold word
  EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
  help->hide();

  std::filesystem::remove(path("info.txt"));
  ui_.boxes.clear();
  view_->action("mnuHelp2")->trigger();
  EXPECT_FALSE(help->isVisible());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, "File not found");
}

TEST_F(WindowTest, TheAboutBoxShowsTheVersionAndItsLinksOpen) {
  start();
  view_->action("mnuAbout")->trigger();
  AboutDialog* about = view_->aboutDialog();
  ASSERT_TRUE(about->isVisible());
  EXPECT_EQ(Child<QLabel>(about, "Version")->text(), QStringLiteral("Version: 2.9.1.0"));
  EXPECT_EQ(Child<QLabel>(about, "ProductName")->text(), QStringLiteral("Product Name: Quorvex"));
  EXPECT_EQ(Child<QLabel>(about, "Comments")->text(),
            QStringLiteral("Comments: Work with Motorola phone."));
  EXPECT_FALSE(Child<QLabel>(about, "ProgramIcon")->pixmap().isNull());

  auto* link = Child<QLabel>(about, "Label1");
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(link->font().underline() && link->font().bold());
  const QColor normal = link->palette().color(QPalette::WindowText);
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(link, &enter);
  EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(link, &leave);
  EXPECT_EQ(link->palette().color(QPalette::WindowText), normal);

  QTest::mouseClick(link, Qt::LeftButton);
  QTest::mouseClick(Child<QLabel>(about, "Label4"), Qt::LeftButton);
  EXPECT_EQ(ui_.urls,
            (std::vector<std::string>{kAuthorHomepage, std::string("mailto:") + kAuthorEmail}));
  QTest::mouseClick(Child<QPushButton>(about, "OKButton"), Qt::LeftButton);
  EXPECT_FALSE(about->isVisible());
}

struct BoxCase {
  MsgKind kind;
  MsgButtons buttons;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons shown;
  QStringList texts;  // Qt's Russian texts of the buttons, in the order Ok, Cancel, Yes, No
};

// What a control shows, its mnemonic marks and shortcut apart.
QString Plain(QString text) {
  return text.remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
}

TEST(MessageBoxes, CarryTheProgramsCaptionTheKindsIconAndTheButtonsAskedFor) {
  const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("Отмена"),
                yes = QStringLiteral("Да"), no = QStringLiteral("Нет");
  const BoxCase cases[] = {
      {MsgKind::Message, MsgButtons::Ok, QMessageBox::NoIcon, QMessageBox::Ok, {ok}},
      {MsgKind::Error, MsgButtons::Ok, QMessageBox::Critical, QMessageBox::Ok, {ok}},
      {MsgKind::Warning,
       MsgButtons::OkCancel,
       QMessageBox::Warning,
       QMessageBox::Ok | QMessageBox::Cancel,
       {ok, cancel}},
      {MsgKind::Information, MsgButtons::Ok, QMessageBox::Information, QMessageBox::Ok, {ok}},
      {MsgKind::Question,
       MsgButtons::YesNo,
       QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No,
       {yes, no}},
      {MsgKind::Question,
       MsgButtons::YesNoCancel,
       QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
       {cancel, yes, no}},
  };
  for (const BoxCase& c : cases) {
    auto box = MakeMessageBox(Ru("Удалить все сообщения?!\r\nДа"), c.kind, c.buttons, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Quorvex"));
    EXPECT_EQ(box->text(), QStringLiteral("Удалить все сообщения?!\nДа"));
    EXPECT_EQ(box->icon(), c.icon);
    EXPECT_EQ(box->standardButtons(), c.shown);
    QStringList texts;
    for (const auto b : {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No})
      if (QAbstractButton* button = box->button(b)) texts << Plain(button->text());
    EXPECT_EQ(texts, c.texts);
  }
}

TEST(FileDialogFilters, BecomeQtNameFilters) {
  EXPECT_EQ(QtNameFilters("All files (*.*)|*.*|Text File (*.txt)|*.txt|CSV File (*.csv)|*.csv"),
            (QStringList{QStringLiteral("All files (*.*)"), QStringLiteral("Text File (*.txt)"),
                         QStringLiteral("CSV File (*.csv)")}));
  EXPECT_EQ(QtNameFilters("Archive|*.txt|dangling"),
            QStringList{QStringLiteral("Archive (*.txt)")});
}

struct FileDialogCase {
  FileChoice choice;
  QString title, accept;
  QFileDialog::AcceptMode mode;
  QString suffix;
};

// The open and save dialogs are Qt's own, whatever the desktop, and speak Russian.
TEST(FileDialogs, AreQtsOwnWithTheThirdFilterAndRussianTexts) {
  const FileDialogCase cases[] = {
      {FileChoice::Open, QStringLiteral("Открыть"), QStringLiteral("Открыть"),
       QFileDialog::AcceptOpen, QString()},
      {FileChoice::Save, QStringLiteral("Сохранить как"), QStringLiteral("Сохранить"),
       QFileDialog::AcceptSave, QStringLiteral("csv")},
  };
  for (const FileDialogCase& c : cases) {
    SCOPED_TRACE(c.accept.toStdString());
    auto dialog = MakeFileDialog(
        c.choice, "All files (*.*)|*.*|Text File (*.txt)|*.txt|CSV File (*.csv)|*.csv", "*.csv",
        nullptr);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->acceptMode(), c.mode);
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("CSV File (*.csv)"));
    EXPECT_EQ(dialog->defaultSuffix(), c.suffix);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    EXPECT_EQ(dialog->windowTitle(), c.title);
    EXPECT_EQ(Plain(Child<QLabel>(dialog.get(), "fileNameLabel")->text()),
              QStringLiteral("Имя файла:"));
    EXPECT_EQ(Plain(Child<QLabel>(dialog.get(), "fileTypeLabel")->text()),
              QStringLiteral("Типы файлов:"));
    auto* box = Child<QDialogButtonBox>(dialog.get(), "buttonBox");
    ASSERT_NE(box, nullptr);
    QStringList buttons;
    for (QAbstractButton* b : box->buttons()) buttons << Plain(b->text());
    EXPECT_TRUE(buttons.contains(c.accept)) << buttons.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Отмена")));
    dialog->hide();
  }
}

TEST(QtTexts, AnEditFieldsMenuIsRussianAndAMissingTranslationIsNoError) {
  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList items;
  for (const QAction* a : menu->actions())
    if (!a->isSeparator()) items << Plain(a->text());
  EXPECT_TRUE(items.contains(QStringLiteral("Копировать")))
      << items.join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(items.contains(QStringLiteral("Вставить")));

  auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
  const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
  EXPECT_EQ(InstallRussianQtTexts(app, QStringLiteral("/nonexistent/translations")), nullptr);
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), yes) << "nothing changed";
  // The installed Qt holds the file the program loads at start.
  QTranslator* again = InstallRussianQtTexts(app);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(QCoreApplication::removeTranslator(again));
  delete again;
}

// A dialog model of a section, as the seam shows it.
class Probe : public ModalDialog {
 public:
  std::string dialogName() const override { return "TfrmProbe"; }
  void closeByFrame() override {
    byFrame = true;
    close();
  }
  void show() { open(); }
  void press() { close(); }
  bool byFrame = false;
};

TEST_F(WindowTest, ADialogModelGoesToTheViewRegisteredForIt) {
  start();
  Probe probe;
  probe.show();
  ShowModal(ui_, probe);  // scripted without a script: the frame closes it
  EXPECT_TRUE(probe.byFrame);
  EXPECT_EQ(ui_.dialogs.back(), "TfrmProbe");

  probe = Probe();
  probe.show();
  ui_.scriptDialog = [](ModalDialog& d) { static_cast<Probe&>(d).press(); };
  ShowModal(ui_, probe);
  EXPECT_TRUE(probe.closed());
  EXPECT_FALSE(probe.byFrame) << "the script pressed its button";

  ui_.setScripted(false);
  int shown = 0;
  ui_.registerDialog("TfrmProbe", [&](ModalDialog& d) {
    ++shown;
    static_cast<Probe&>(d).press();
  });
  probe = Probe();
  probe.show();
  ShowModal(ui_, probe);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(probe.byFrame);
  ui_.setScripted(true);
}

}  // namespace
}  // namespace quorvex::ui
