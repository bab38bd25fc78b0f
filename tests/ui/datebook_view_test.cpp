// The date book in the window: the event dialog's keys and warning as the user meets them,
// and the section's buttons, list, counters and menus over a simulated handset.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/datebook_binding.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"
#include "ui/datebook_view.h"
#include "ui/list_view.h"
#include "ui/main_window_view.h"

namespace quorvex::ui {
namespace {

using datebook::TfrmAddEvent;
using Control = TfrmAddEvent::Control;

// The seam with the pause recorded instead of slept, so the writes' settling costs nothing.
class PauseFreeUi : public QtUserInterface {
 public:
  void pause(int ms) override { pauses.push_back(ms); }
  std::vector<int> pauses;
};

// ---- The event dialog on its own.

class EventDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ui.setScripted(true);
    view = std::make_unique<EventDialogView>(ui, nullptr);
    model.dtpStartDate = {2026, 3, 5};
    model.dtpStartTime = {9, 5, 42};
    model.EventIndex = 7;
  }
  // Opens the dialog as an opener does; the actions run while it is shown.
  void drive(const std::function<void()>& actions) {
    model.Show(ui, [&](TfrmAddEvent& m) {
      view->begin(m);
      ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
      actions();
    });
  }
  template <class W = QWidget>
  W* control(const char* name) {
    auto* w = dynamic_cast<W*>(view->control(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  // A key where the user types it: into the widget that has the focus.
  void key(Qt::Key k) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, k);
  }
  // The control the focus is in (a spin or combo box holds it in its inner line edit).
  std::string focused() {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
      for (const char* name : {"edtEventTitle", "dtpStartTime", "dtpStartDate", "seDuration",
                               "seAl_time", "cbRepeat", "SpeedButton1", "SpeedButton2"})
        if (view->control(name) == w) return name;
    return "";
  }

  PauseFreeUi ui;
  TfrmAddEvent model;
  std::unique_ptr<EventDialogView> view;
};

TEST_F(EventDialog, EnterWalksTheControlsAndInTheRepeatBoxCreates) {
  drive([&] {
    EXPECT_EQ(focused(), "edtEventTitle");
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Test"));
    const std::pair<const char*, Control> chain[] = {{"dtpStartTime", Control::dtpStartTime},
                                                     {"dtpStartDate", Control::dtpStartDate},
                                                     {"seDuration", Control::seDuration},
                                                     {"seAl_time", Control::seAl_time},
                                                     {"cbRepeat", Control::cbRepeat}};
    for (const auto& [name, control] : chain) {
      key(Qt::Key_Return);
      EXPECT_EQ(focused(), name);
      EXPECT_EQ(model.ActiveControl, control);
      EXPECT_TRUE(view->isVisible());
    }
    key(Qt::Key_Enter);  // the keypad's Enter is Enter too
  });
  EXPECT_TRUE(model.Confirmed);
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(model.WriteCommand,
            "AT+MDBW=7,0054006500730074,1,1,\"09:05\",\"03-05-2026\",1,\"09:04\",\"03-05-2026\",1");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EventDialog, EscapeCancelsFromEveryControlAndFromTheFrame) {
  const char* const places[] = {"edtEventTitle", "dtpStartTime", "dtpStartDate",  "seDuration",
                                "seAl_time",     "cbRepeat",     "RadioGroup1_1", "SpeedButton1"};
  for (const char* place : places) {
    SCOPED_TRACE(place);
    model.edtEventTitle = "x";
    model.Confirmed = true;  // an opener clears it; here it shows that Escape does
    drive([&] {
      QWidget* w = std::string(place) == "RadioGroup1_1"
                       ? static_cast<QWidget*>(view->findChild<QRadioButton*>(place))
                       : view->control(place);
      ASSERT_NE(w, nullptr);
      w->setFocus();
      key(Qt::Key_Escape);
      EXPECT_TRUE(model.closed());
    });
    EXPECT_FALSE(model.Confirmed);
    EXPECT_FALSE(view->isVisible());
  }
  model.Confirmed = true;
  drive([&] {
    view->close();  // the frame's close box
    EXPECT_TRUE(model.closed());
  });
  EXPECT_FALSE(model.Confirmed);
}

TEST_F(EventDialog, AnEmptyTitleWarnsAndKeepsTheDialogOpen) {
  model.edtEventTitle.clear();
  drive([&] {
    control("cbRepeat")->setFocus();
    key(Qt::Key_Return);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, Ru("Введите заголовок события!"));
    EXPECT_EQ(ui.boxes[0].kind, MsgKind::Warning);
    EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::Ok);
    EXPECT_FALSE(model.closed());
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(model.Confirmed);

    // The button says the same; then a title of blanks is a title.
    QTest::mouseClick(control("SpeedButton1"), Qt::LeftButton);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(view->isVisible());
    QTest::keyClicks(control("edtEventTitle"), QStringLiteral("  "));
    QTest::mouseClick(control("SpeedButton1"), Qt::LeftButton);
    EXPECT_EQ(ui.boxes.size(), 2u);
  });
  EXPECT_TRUE(model.Confirmed);
  EXPECT_EQ(model.WriteCommand.substr(0, 19), "AT+MDBW=7,00200020,");
}

TEST_F(EventDialog, WhatTheControlsShowIsWhatTheCommandCarries) {
  model.edtEventTitle = "old";
  model.RadioGroup1.itemIndex = 1;
  model.cbRepeat.select(4);
  drive([&] {
    // The dialog opens with the model's values.
    EXPECT_EQ(control<QLineEdit>("edtEventTitle")->text(), QStringLiteral("old"));
    EXPECT_EQ(control<QDateEdit>("dtpStartDate")->date(), QDate(2026, 3, 5));
    EXPECT_EQ(control<QTimeEdit>("dtpStartTime")->time(), QTime(9, 5, 42));
    EXPECT_EQ(control<QComboBox>("cbRepeat")->currentText(), QStringLiteral("ежемесячно (дата)"));
    EXPECT_TRUE(view->findChild<QRadioButton*>("RadioGroup1_1")->isChecked());

    control<QLineEdit>("edtEventTitle")->setText(QStringLiteral("Обед"));
    control<QTimeEdit>("dtpStartTime")->setTime(QTime(0, 40));
    control<QDateEdit>("dtpStartDate")->setDate(QDate(2026, 1, 1));
    control<QSpinBox>("seDuration")->setValue(30);
    control<QSpinBox>("seAl_time")->setValue(50);
    control<QComboBox>("cbRepeat")->setCurrentIndex(5);
    QTest::mouseClick(control("SpeedButton1"), Qt::LeftButton);
  });
  ASSERT_TRUE(model.Confirmed);
  // Fifty minutes before 00:40 on New Year's Day is the evening before.
  EXPECT_EQ(model.WriteCommand, "AT+MDBW=7," + TextToUcs2Hex(Ru("Обед")) +
                                    ",1,1,\"00:40\",\"01-01-2026\",30,\"23:50\",\"12-31-2025\",5");

  // Alarm off, and a repeat text typed over that is no item.
  drive([&] {
    view->findChild<QRadioButton*>("RadioGroup1_0")->click();
    auto* repeat = control<QComboBox>("cbRepeat");
    repeat->lineEdit()->selectAll();
    QTest::keyClicks(repeat->lineEdit(), QStringLiteral("often"));
    repeat->setFocus();
    key(Qt::Key_Return);
  });
  ASSERT_TRUE(model.Confirmed);
  EXPECT_EQ(model.WriteCommand, "AT+MDBW=7," + TextToUcs2Hex(Ru("Обед")) +
                                    ",1,0,\"00:40\",\"01-01-2026\",30,\"00:00\",\"00-00-2000\",-1");
}

// ---- The section in the window over a simulated handset.

sim::DateEvent Event(const char* title, const char* time, const char* date, int repeat,
                     char alarm) {
  sim::DateEvent e;
  e.title = Ru(title);
  e.alarmFlag = alarm;
  e.startTime = time;
  e.startDate = date;
  e.duration = 60;
  e.alarmTime = alarm == '1' ? "09:45" : "00:00";
  e.alarmDate = alarm == '1' ? date : "00-00-2000";
  e.repeat = repeat;
  return e;
}

class DateBookWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::quorvex::testing::MakeScratchDir("qv-dbui");
    ui_.setScripted(true);
    ui_.clock = LocalTime{2026, 3, 5, 9, 4, 7};
    model_ = std::make_unique<TfrmMain>(ui_, path("portcfg.ini"));
    view_ = std::make_unique<MainWindowView>(*model_, ui_);
    binding_ = std::make_unique<DateBookBinding>(*model_);
    BindDateBook(*model_, *binding_);
    dateBook_ = std::make_unique<DateBookView>(*view_, ui_, *binding_);
  }
  void TearDown() override {
    dateBook_.reset();
    view_.reset();
    model_.reset();
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // A handset with events at 0, 4 and 9 of the indices 0..9, and the window started on it.
  void start(sim::SimOptions options = {}) {
    sim::HandsetState state = sim::EmptyState();
    state.dateBookHighest = 9;
    state.events[0] = Event("Совещание", "10:00", "03-12-2026", 2, '1');
    state.events[4] = Event("Dentist", "14:30", "03-17-2026", 0, '0');
    state.events[9] = Event("Gym", "07:30", "03-08-2026", 1, '0');
    options.demoData = false;
    options.stateFile = path("handset.txt");
    sim::SaveStateFile(options.stateFile, state);
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    SavePortSettings({phone_->slavePath(), 115200, 3000}, path("portcfg.ini"));
    model_->FormCreate();
    view_->sync();
    view_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
  }
  void showDateBook() {
    QTest::mouseClick(view_->widget("sbDateBook"), Qt::LeftButton);
    ui_.boxes.clear();
  }
  ListView* list() { return view_->list("lvEvent"); }
  QString text(const char* name) { return static_cast<QLabel*>(view_->widget(name))->text(); }
  std::vector<std::string> titles() {
    std::vector<std::string> t;
    for (int r = 0; r < list()->rowCount(); ++r)
      t.push_back(list()->item(r, 1)->text().toStdString());
    return t;
  }
  std::vector<std::string> sentSince(std::size_t from) {
    auto t = phone_->transcript();
    return {t.begin() + static_cast<std::ptrdiff_t>(std::min(from, t.size())), t.end()};
  }

  std::filesystem::path dir_;
  PauseFreeUi ui_;
  std::unique_ptr<TfrmMain> model_;
  std::unique_ptr<MainWindowView> view_;
  std::unique_ptr<DateBookBinding> binding_;
  std::unique_ptr<DateBookView> dateBook_;
  std::unique_ptr<sim::PhoneSim> phone_;
};

TEST_F(DateBookWindow, ShowingTheSectionReadsAndTheWindowShowsRowsCountersAndFreeShare) {
  start();
  // Every pump of the read shows the rows and the count read so far.
  std::vector<std::pair<int, QString>> seen;
  auto mirror = ui_.beforeEvents;
  ui_.beforeEvents = [&] {
    mirror();
    seen.emplace_back(list()->rowCount(), text("lblReadEvent"));
  };
  showDateBook();
  ui_.beforeEvents = mirror;

  ASSERT_EQ(list()->rowCount(), 3);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Совещание", "Dentist", "Gym"}));
  const QStringList first = {"0",          "Совещание", "10:00",       "09:45",
                             "03-12-2026", "60",        "еженедельно", "вкл."};
  for (int c = 0; c < 8; ++c) EXPECT_EQ(list()->item(0, c)->text(), first[c]) << c;
  EXPECT_EQ(text("lblReadEvent"), QStringLiteral("10"));
  EXPECT_EQ(text("lblAllEvent"), QStringLiteral("из 10"));
  EXPECT_EQ(text("Label8"), QStringLiteral("Свободно: 70%"));
  EXPECT_EQ(static_cast<QProgressBar*>(view_->widget("pbReadEvent"))->value(), 0);
  EXPECT_TRUE(view_->widget("MonthCalendar1")->isVisible());
  EXPECT_TRUE(view_->widget("sbReadAllEvents")->isEnabled()) << "idle again";

  // One pump per index, after the index's row went in and before its count moved on.
  ASSERT_GE(seen.size(), 10u);
  const int rowsAtIndex[] = {1, 1, 1, 1, 2, 2, 2, 2, 2, 3};
  int index = 0;
  for (const auto& [rows, count] : seen)
    if (index < 10 && count == QString::number(index) && rows == rowsAtIndex[index]) ++index;
  EXPECT_EQ(index, 10) << "a pump saw each index's row before its count";
}

TEST_F(DateBookWindow, AddingThroughTheDialogWritesAtTheFirstFreeIndexAndReadsAgain) {
  start();
  showDateBook();
  ui_.scriptDialog = [&](ModalDialog& d) {
    auto& dialog = dateBook_->eventDialog();
    dialog.begin(static_cast<TfrmAddEvent&>(d));
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(static_cast<QComboBox*>(dialog.control("cbRepeat"))->currentText(),
              QStringLiteral("еженедельно"));
    QTest::keyClicks(dialog.control("edtEventTitle"), QStringLiteral("Lunch"));
    // Enter where the user presses it last: in the repeat box.
    QTest::keyClick(static_cast<QComboBox*>(dialog.control("cbRepeat"))->lineEdit(),
                    Qt::Key_Return);
  };
  const std::size_t before = phone_->transcript().size();
  QTest::keyClick(list(), Qt::Key_Insert);

  const auto sent = sentSince(before);
  EXPECT_EQ(ui_.dialogs, std::vector<std::string>{"TfrmAddEvent"});
  for (auto& b : ui_.boxes) ADD_FAILURE() << b.text;
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0], "AT+CSCS=UCS2");
  EXPECT_EQ(sent[1], "AT+MDBL=1");
  EXPECT_EQ(sent[2], "AT+MDBW=1," + TextToUcs2Hex("Lunch") +
                         ",1,1,\"09:04\",\"03-05-2026\",1,\"09:03\",\"03-05-2026\",2");
  EXPECT_EQ(sent[3], "AT+MDBL=0");
  EXPECT_EQ(ui_.pauses, std::vector<int>{500});
  EXPECT_EQ(titles(), (std::vector<std::string>{"Совещание", "Lunch", "Dentist", "Gym"}));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(DateBookWindow, DoubleClickEditsTheRowAtItsIndex) {
  start();
  showDateBook();
  ui_.scriptDialog = [&](ModalDialog& d) {
    auto& dialog = dateBook_->eventDialog();
    dialog.begin(static_cast<TfrmAddEvent&>(d));
    auto* title = static_cast<QLineEdit*>(dialog.control("edtEventTitle"));
    EXPECT_EQ(title->text(), QStringLiteral("Dentist"));
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("RadioGroup1_0")->isChecked());
    title->setText(QStringLiteral("Dentist!"));
    QTest::mouseClick(dialog.control("SpeedButton1"), Qt::LeftButton);
  };
  const QRect cell = list()->visualItemRect(list()->item(1, 1));
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, cell.center());
  const auto sent = phone_->transcript();
  bool wrote = false;
  for (const auto& s : sent) wrote |= s.rfind("AT+MDBW=4,", 0) == 0;
  EXPECT_TRUE(wrote);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Совещание", "Dentist!", "Gym"}));
}

TEST_F(DateBookWindow, DeleteRemovesTheSelectedRowsAndWithNoneSaysSo) {
  start();
  showDateBook();
  QTest::keyClick(list(), Qt::Key_Delete);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Нет выбранной записи..."));
  EXPECT_EQ(ui_.boxes[0].kind, MsgKind::Error);

  list()->selectRow(0);
  list()->selectionModel()->select(list()->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const std::size_t before = phone_->transcript().size();
  QTest::mouseClick(view_->widget("sbDeleteEvent"), Qt::LeftButton);
  const auto sent = sentSince(before);
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(
      (std::vector<std::string>(sent.begin(), sent.begin() + 4)),
      (std::vector<std::string>{"AT+MDBL=1", "AT+MDBWE=0,0,0", "AT+MDBWE=9,0,0", "AT+MDBL=0"}));
  EXPECT_EQ(titles(), (std::vector<std::string>{"Dentist"}));
  EXPECT_EQ(ui_.boxes.size(), 1u);
}

TEST_F(DateBookWindow, PopupEnablesEditAndDeleteOnlyForASelection) {
  start();
  showDateBook();
  QMenu* menu = view_->popupMenu("pmEvent");
  const auto enabled = [&](const char* name) { return view_->action(name)->isEnabled(); };
  struct Case {
    bool select;
    bool expected;
  };
  for (const Case c : {Case{false, false}, Case{true, true}}) {
    SCOPED_TRACE(c.select);
    if (c.select) list()->selectRow(1);
    emit list()->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(enabled("ppmEditEvent"), c.expected);
    EXPECT_EQ(enabled("ppmDelete"), c.expected);
    for (const char* always : {"ppmReadAllEvents", "ppmAddEvent", "ppmClear"})
      EXPECT_TRUE(enabled(always)) << always;
    menu->hide();
  }
  // "Очистить" empties the list; the rows stay gone on the next popup.
  view_->action("ppmClear")->trigger();
  EXPECT_EQ(list()->rowCount(), 0);
  EXPECT_EQ(text("Label8"), QStringLiteral("Свободно: "));
  emit list()->customContextMenuRequested(QPoint(5, 5));
  EXPECT_FALSE(enabled("ppmEditEvent"));
  menu->hide();
}

TEST_F(DateBookWindow, ClearCalendarBoxAndAutoDelete) {
  start();
  showDateBook();
  QTest::mouseClick(view_->widget("SpeedButton5"), Qt::LeftButton);
  EXPECT_EQ(list()->rowCount(), 0);
  EXPECT_EQ(text("Label8"), QStringLiteral("Свободно: "));
  EXPECT_EQ(model_->dateBook.frmAddEvent.UsedSlots.size(), 9u) << "the read's flags stay";

  auto* check = static_cast<QCheckBox*>(view_->widget("CheckBox1"));
  check->click();
  EXPECT_FALSE(view_->widget("MonthCalendar1")->isVisible());
  check->click();
  EXPECT_TRUE(view_->widget("MonthCalendar1")->isVisible());

  const std::pair<int, const char*> choices[] = {{3, "AT+MDBAD=4"}, {0, "AT+MDBAD=0"}};
  for (const auto& [item, command] : choices) {
    auto* radio = view_->findChild<QRadioButton*>(QStringLiteral("RadioGroup1_%1").arg(item));
    radio->click();
    ui_.processEvents(false);  // the window mirrors the section meanwhile; the choice stays
    EXPECT_TRUE(radio->isChecked());
    QTest::mouseClick(view_->widget("SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(phone_->transcript().back(), command);
  }
  EXPECT_EQ(phone_->state().autoDeleteWeeks, 0);
}

TEST_F(DateBookWindow, ALinkFailureMidReadKeepsTheRowsReadAndShowsTheError) {
  sim::SimOptions options;
  options.hangupAfter = 3 + 6;  // the three opening commands, then indices 0..5
  start(options);
  showDateBook();  // clears the boxes; look at the model's copy below
  ASSERT_EQ(list()->rowCount(), 2);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Совещание", "Dentist"}));
  EXPECT_TRUE(view_->widget("sbReadAllEvents")->isEnabled());
  EXPECT_EQ(text("lblReadEvent"), QStringLiteral("6"));
  QTest::keyClick(list(), Qt::Key_F5);
  ASSERT_FALSE(ui_.boxes.empty());
  EXPECT_TRUE(ui_.boxes[0].standardError);
}

TEST_F(DateBookWindow, TheCountersAndTheFreeShareFitBesideTheCalendar) {
  start();
  showDateBook();
  // The longest texts a read of up to 1000 indices gives, at the smallest window.
  model_->control("lblReadEvent").caption = "1000";
  model_->control("lblAllEvent").caption = Ru("из 1000");
  model_->control("Label8").caption = Ru("Свободно: 99,9%");
  view_->sync();
  view_->layoutSections();
  const QRect calendar = view_->widget("MonthCalendar1")->geometry();
  for (const char* name : {"Label5", "lblReadEvent", "lblAllEvent", "Label8"}) {
    SCOPED_TRACE(name);
    auto* label = static_cast<QLabel*>(view_->widget(name));
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    EXPECT_LE(label->geometry().right(), calendar.left());
  }
}

TEST_F(DateBookWindow, TheSeamShowsTheRegisteredDialogModallyUntilTheModelCloses) {
  start();
  ui_.setScripted(false);  // the real modal loop; the keys come from inside it
  TfrmAddEvent& model = model_->dateBook.frmAddEvent;
  model.edtEventTitle = "Tea";
  std::vector<bool> visibleDuringLoop;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto& dialog = dateBook_->eventDialog();
    if (!dialog.isVisible() || QApplication::activeModalWidget() != &dialog) return;
    poll.stop();
    visibleDuringLoop.push_back(true);
    for (int i = 0; i < 6; ++i)
      QTest::keyClick(static_cast<QWidget*>(dialog.focusWidget()), Qt::Key_Return);
  });
  poll.start();
  QTimer::singleShot(3000, &poll, [&] { dateBook_->eventDialog().hide(); });  // never hang; dies with poll
  model.Show(ui_);
  EXPECT_EQ(visibleDuringLoop.size(), 1u);
  EXPECT_TRUE(model.Confirmed);
  EXPECT_FALSE(dateBook_->eventDialog().isVisible());
  EXPECT_EQ(model.WriteCommand.substr(0, 22), "AT+MDBW=0,005400650061");
}

// "Импорт ежедневника из iCalendar..." in the "Файл" menu: the preview with the plan's rows,
// the check box taking in an event whose repeat the handset cannot keep, and "Записать"
// writing at the free indices before the list is read again.
TEST_F(DateBookWindow, CalendarImportPreviewsAndWrites) {
  start();
  showDateBook();
  const std::string file = path("in.ics");
  std::ofstream(file, std::ios::binary)
      << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
         "BEGIN:VEVENT\r\nDTSTART:20260312T100000\r\nSUMMARY:Совещание\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nDTSTART:20260320T090000\r\nSUMMARY:Course\r\n"
         "RRULE:FREQ=WEEKLY;COUNT=4\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  ui_.files = {file};
  std::vector<int> rowsSeen;
  std::vector<bool> writeEnabled;
  ui_.scriptDialog = [&](ModalDialog&) {
    ICalImportDialog& d = *dateBook_->importDialog();
    d.sync();
    d.show();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Импорт ежедневника из iCalendar"));
    rowsSeen.push_back(d.list()->rowCount());
    writeEnabled.push_back(d.writeButton()->isEnabled());
    EXPECT_EQ(d.list()->item(1, 7)->text().left(37),
              QStringLiteral("Не импортируется: Повтор «FREQ=WEEKLY"));
    QTest::mouseClick(d.withoutRepeat(), Qt::LeftButton);
    EXPECT_TRUE(binding_->frmImportICal.cbWithoutRepeat.checked);
    EXPECT_EQ(d.list()->item(1, 0)->text(), QStringLiteral("1"));
    writeEnabled.push_back(d.writeButton()->isEnabled());
    QTest::mouseClick(d.writeButton(), Qt::LeftButton);
  };
  const std::size_t before = phone_->transcript().size();
  view_->action("mnuICalImport")->trigger();
  ui_.scriptDialog = nullptr;

  EXPECT_EQ(rowsSeen, std::vector<int>{2});
  EXPECT_EQ(writeEnabled, (std::vector<bool>{false, true}));
  const auto sent = sentSince(before);
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 4),
            (std::vector<std::string>{"AT+CSCS=UCS2", "AT+MDBL=1",
                                      "AT+MDBW=1," + TextToUcs2Hex("Course") +
                                          ",1,0,\"09:00\",\"03-20-2026\",0,\"00:00\",\"00-00-"
                                          "2000\",0",
                                      "AT+MDBL=0"}));
  EXPECT_EQ(titles(), (std::vector<std::string>{"Совещание", "Course", "Dentist", "Gym"}));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Записано в ежедневник: 1 из 1."));
}

// A large calendar parses while the window goes on: its event loop is never held for as long
// as the parse takes (some half a second for this file, seconds for the largest). The plan
// of the preview is built on the window's thread after the parse, and is not measured.
TEST_F(DateBookWindow, ALargeCalendarParsesWhileTheWindowGoesOn) {
  start();
  showDateBook();
  const int events = 20000;
  std::ofstream out(path("large.ics"), std::ios::binary);
  out << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
  for (int k = 0; k < events; ++k)
    out << "BEGIN:VEVENT\r\nUID:" << k << "@example.org\r\nDTSTART:20270110T100000\r\n"
        << "DTEND:20270110T103000\r\nSUMMARY:Event " << k << "\r\nEND:VEVENT\r\n";
  out << "END:VCALENDAR\r\n";
  out.close();
  ui_.files = {path("large.ics")};
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  int ticks = 0;
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!model_->app.stop().running()) return;
    const qint64 now = clock.elapsed();
    longest = std::max(longest, now - last);
    last = now;
    ++ticks;
  });
  std::size_t rows = 0;
  ui_.scriptDialog = [&](ModalDialog& d) {
    timer.stop();
    rows = binding_->frmImportICal.Plan.rows().size();
    d.closeByFrame();
  };
  clock.start();
  timer.start();
  view_->action("mnuICalImport")->trigger();
  ui_.scriptDialog = nullptr;
  RecordProperty("longest_gap_ms", static_cast<int>(longest));
  EXPECT_EQ(rows, static_cast<std::size_t>(events));
  EXPECT_GT(ticks, 2);
  // Generous for a loaded machine and the sanitizer build; the parse alone takes longer.
  EXPECT_LT(longest, 400);
}

}  // namespace
}  // namespace quorvex::ui
