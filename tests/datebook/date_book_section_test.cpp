// The date book section's operations against the simulated handset: the exact commands in
// order, the rows, UsedSlots, the progress display, the free share and the boxes shown.
#include "datebook/date_book_section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "codec/errors.h"
#include "codec/ru.h"
#include "datebook_fixture.h"
#include "serial/block_serial.h"

namespace quorvex::datebook {
namespace {

using Strings = std::vector<std::string>;
using testing::Box;

sim::DateEvent Event(const std::string& title, char alarm, const std::string& start,
                     const std::string& date, int duration, const std::string& alarmTime,
                     int repeat) {
  sim::DateEvent ev;
  ev.title = title;
  ev.alarmFlag = alarm;
  ev.startTime = start;
  ev.startDate = date;
  ev.duration = duration;
  ev.alarmTime = alarm == '1' ? alarmTime : "00:00";
  ev.alarmDate = alarm == '1' ? date : "00-00-2000";
  ev.repeat = repeat;
  return ev;
}

sim::HandsetState DateBook(int highest, std::map<int, sim::DateEvent> events) {
  sim::HandsetState st = sim::EmptyState();
  st.dateBookHighest = highest;
  st.events = std::move(events);
  return st;
}

Strings ReadCommands(int highest) {
  Strings s = {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?"};
  for (int i = 0; i <= highest; ++i) s.push_back("AT+MDBR=" + std::to_string(i));
  s.push_back("AT+MDBL=0");
  s.push_back("AT+MDBL=0");
  return s;
}

Strings Concat(Strings a, const Strings& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Strings Cells(const ListRow& row) {
  Strings s = {row.caption};
  for (const ListCell& c : row.subItems) s.push_back(c.text);
  return s;
}

class DateBookSectionTest : public testing::DateBookTest {
 protected:
  void SetUp() override {
    DateBookTest::SetUp();
    section.SetControlsEnabled = [this](bool enabled) { busy.push_back(enabled); };
  }
  std::vector<Strings> rows() const {
    std::vector<Strings> out;
    for (const ListRow& r : section.lvEvent.rows) out.push_back(Cells(r));
    return out;
  }
  void selectCaptions(const Strings& captions) {
    section.lvEvent.focused = -1;
    for (std::size_t i = 0; i < section.lvEvent.rows.size(); ++i) {
      ListRow& r = section.lvEvent.rows[i];
      r.selected = std::find(captions.begin(), captions.end(), r.caption) != captions.end();
      if (r.selected && section.lvEvent.focused < 0) section.lvEvent.focused = static_cast<int>(i);
    }
  }

  DateBookSection section;
  std::vector<bool> busy;
};

TEST_F(DateBookSectionTest, CompleteReadWithEventsAtFirstLastAndBetween) {
  startPhone(DateBook(5, {{0, Event(Ru("Встреча"), '1', "10:30", "07-12-2026", 60, "10:15", 0)},
                          {2, Event("Gym", '0', "18:00", "07-13-2026", 90, "", 2)},
                          {5, Event("Last", '1', "08:00", "12-31-2026", 5, "07:55", 5)}}));
  Strings labelAtPump;
  ui_.onPump = [&] { labelAtPump.push_back(section.lblReadEvent.caption); };

  section.sbReadAllEventsClick(*app_);

  EXPECT_EQ(phone().transcript(), ReadCommands(5));
  EXPECT_EQ(rows(),
            (std::vector<Strings>{
                {"0", Ru("Встреча"), "10:30", "10:15", "07-12-2026", "60", Ru("нет"), Ru("вкл.")},
                {"2", "Gym", "18:00", "00:00", "07-13-2026", "90", Ru("еженедельно"), Ru("выкл.")},
                {"5", "Last", "08:00", "07:55", "12-31-2026", "5", Ru("ежегодно"), Ru("вкл.")},
            }));
  // Index 5, the highest, is read and shown but has no flag.
  EXPECT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{true, false, true, false, false}));
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 50%"));
  EXPECT_EQ(section.lblAllEvent.caption, Ru("из 6"));
  EXPECT_EQ(section.lblReadEvent.caption, "6");
  EXPECT_EQ(section.pbReadEvent.Max, 5);
  EXPECT_EQ(section.pbReadEvent.Position, 0);
  EXPECT_EQ(labelAtPump, (Strings{"0", "1", "2", "3", "4", "5"}));
  EXPECT_EQ(busy, (std::vector<bool>{false, true}));
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_FALSE(phone().state().events.empty());
}

// A handset that quotes the title like every other text field reads as one that does not.
TEST_F(DateBookSectionTest, QuotedTitlesReadAsBareOnes) {
  sim::SimOptions quoted;
  quoted.quotedTitles = true;
  startPhone(DateBook(3, {{0, Event("Meeting", '0', "17:00", "02-24-2006", 60, "", 0)},
                          {3, Event(Ru("Зустріч"), '1', "09:00", "03-01-2026", 30, "08:45", 4)}}),
             quoted);

  section.sbReadAllEventsClick(*app_);

  EXPECT_EQ(phone().transcript(), ReadCommands(3));
  EXPECT_EQ(rows(),
            (std::vector<Strings>{
                {"0", "Meeting", "17:00", "00:00", "02-24-2006", "60", Ru("нет"), Ru("выкл.")},
                {"3", Ru("Зустріч"), "09:00", "08:45", "03-01-2026", "30", Ru("ежемесячно (дата)"),
                 Ru("вкл.")},
            }));
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 50%"));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(DateBookSectionTest, HighestIndexZeroReadsOneIndexAndKeepsNoFlags) {
  startPhone(DateBook(0, {{0, Event("Only", '0', "07:00", "01-02-2026", 10, "", 1)}}));
  section.sbReadAllEventsClick(*app_);
  EXPECT_EQ(phone().transcript(), ReadCommands(0));
  EXPECT_EQ(rows().size(), 1u);
  EXPECT_EQ(section.lblAllEvent.caption, Ru("из 1"));
  EXPECT_TRUE(section.frmAddEvent.UsedSlots.empty());
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 0%"));
}

TEST_F(DateBookSectionTest, IndexAnsweredErrorCountsAsEmpty) {
  sim::SimOptions o;
  o.errorOn = {"AT+MDBR=1"};
  startPhone(DateBook(2, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)},
                          {1, Event("B", '0', "08:00", "01-02-2026", 10, "", 1)}}),
             o);
  section.DecimalSeparator = ',';
  section.frmAddEvent.UsedSlots = {false, true, true, true};
  section.sbReadAllEventsClick(*app_);
  EXPECT_EQ(phone().transcript(), ReadCommands(2));
  ASSERT_EQ(rows().size(), 1u);
  EXPECT_EQ(rows()[0][0], "0");
  // The length follows the handset; the flags of the read replace the old ones.
  EXPECT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{true, false}));
  // Two of three stored as the handset counts them: 33.3 % free.
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 33,3%"));
}

TEST_F(DateBookSectionTest, UnknownRepeatCodeShiftsTheStateTextLeft) {
  startPhone(DateBook(1, {{1, Event("Odd", '1', "09:00", "05-06-2026", 30, "08:45", 7)}}));
  section.sbReadAllEventsClick(*app_);
  EXPECT_EQ(rows(),
            (std::vector<Strings>{{"1", "Odd", "09:00", "08:45", "05-06-2026", "30", Ru("вкл.")}}));
  EXPECT_EQ(section.lvEvent.cellText(section.lvEvent.rows[0], 6), Ru("вкл."));
  EXPECT_EQ(section.lvEvent.cellText(section.lvEvent.rows[0], 7), "");
}

TEST_F(DateBookSectionTest, EmptyDateBookUsesTheHandsetsCount) {
  startPhone(DateBook(3, {}));
  section.sbReadAllEventsClick(*app_);
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 100%"));
  EXPECT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{false, false, false}));
}

TEST_F(DateBookSectionTest, LinkFailureKeepsRowsReadSoFarAndStillUnlocks) {
  sim::SimOptions o;
  o.silentAfter = 5;  // answers CSCS, lock, count, indices 0 and 1
  startPhone(DateBook(3, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)},
                          {1, Event("B", '0', "08:00", "01-02-2026", 10, "", 1)},
                          {2, Event("C", '0', "09:00", "01-02-2026", 10, "", 1)}}),
             o, 200);
  EXPECT_THROW(section.sbReadAllEventsClick(*app_), ESynaSerError);
  EXPECT_EQ(phone().transcript(), (Strings{"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBR=0",
                                           "AT+MDBR=1", "AT+MDBR=2", "AT+MDBL=0"}));
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(busy, (std::vector<bool>{false, true}));
  EXPECT_EQ(section.pbReadEvent.Position, 0);
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 25%"));
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_FALSE(section.LastReadComplete);
}

// A read that stops part-way: what went out, the box and the rows left. On a handset that
// needs AT+MODE=2 the switch back goes last, after the unlock, unless the handset is gone.
TEST_F(DateBookSectionTest, AReadThatStopsShowsItsBoxAndSwitchesBackLast) {
  struct Case {
    const char* name;
    std::function<void(sim::SimOptions&)> fault;
    Strings commands;
    std::vector<Box> boxes;
    bool raises;
    std::size_t rows;
  };
  const Box noAccess{Ru("Нет доступа у ежедневнику."), MsgKind::Error, MsgButtons::Ok};
  const Box unreadable{Ru("Невозможно прочитать содержимое ежедневника."), MsgKind::Error,
                       MsgButtons::Ok};
  const Case cases[] = {
      {"AT+CSCS refused",
       [](sim::SimOptions& o) { o.errorOn = {"AT+CSCS"}; },
       {"AT+CSCS=UCS2", "AT+MDBL=0"},
       {},
       false,
       0},
      // The first date book command refused: the port tries the switch, which this
      // handset refuses too, and switches back at the close.
      {"AT+MDBL=1 refused",
       [](sim::SimOptions& o) { o.errorOn = {"AT+MDBL=1"}; },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=0", "AT+MODE=0"},
       {noAccess},
       false,
       0},
      {"AT+MDBR=? refused",
       [](sim::SimOptions& o) { o.errorOn = {"AT+MDBR=?"}; },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBL=0"},
       {unreadable},
       false,
       0},
      {"mode 2, silent at index 1",
       [](sim::SimOptions& o) {
         o.needsMode2 = true;
         o.silentAfter = 6;
       },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBR=0",
        "AT+MDBR=1", "AT+MDBL=0", "AT+MODE=0"},
       {},
       true,
       1},
      {"mode 2, hung up at index 1",
       [](sim::SimOptions& o) {
         o.needsMode2 = true;
         o.hangupAfter = 6;
       },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBR=0",
        "AT+MDBR=1"},
       {},
       true,
       1},
      {"mode 2, switch refused",
       [](sim::SimOptions& o) {
         o.needsMode2 = true;
         o.errorOn = {"AT+MODE=2"};
       },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=0", "AT+MODE=0"},
       {noAccess},
       false,
       0},
      {"mode 2, count refused after the switch",
       [](sim::SimOptions& o) {
         o.needsMode2 = true;
         o.errorOn = {"AT+MDBR=?"};
       },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBL=0",
        "AT+MODE=0"},
       {unreadable},
       false,
       0},
  };
  for (const Case& c : cases) {
    sim::SimOptions o;
    c.fault(o);
    startPhone(DateBook(3, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)},
                            {1, Event("B", '0', "08:00", "01-02-2026", 10, "", 1)}}),
               o, 200);
    ui_.boxes.clear();
    busy.clear();
    if (c.raises) {
      EXPECT_THROW(section.sbReadAllEventsClick(*app_), ESynaSerError) << c.name;
    } else {
      section.sbReadAllEventsClick(*app_);
      EXPECT_EQ(section.Label8.caption, Ru("Свободно: 100%")) << c.name;
    }
    EXPECT_EQ(phone().transcript(), c.commands) << c.name;
    EXPECT_EQ(ui_.boxes, c.boxes) << c.name;
    EXPECT_EQ(rows().size(), c.rows) << c.name;
    EXPECT_FALSE(section.LastReadComplete) << c.name;
    EXPECT_EQ(busy, (std::vector<bool>{false, true})) << c.name;
  }
}

// Adding, editing and deleting on such a handset go through the fault matrix's AT+MODE=2
// column; the read and the one-command auto-delete are the exact transcripts here.
TEST_F(DateBookSectionTest, AHandsetThatNeedsMode2IsSwitchedForTheReadAndTheAutoDelete) {
  sim::SimOptions o;
  o.needsMode2 = true;
  startPhone(DateBook(4, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)},
                          {3, Event("D", '0', "09:00", "01-02-2026", 10, "", 1)}}),
             o);
  section.sbReadAllEventsClick(*app_);
  EXPECT_EQ(phone().transcript(),
            (Strings{"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=1", "AT+MDBR=?",
                     "AT+MDBR=0", "AT+MDBR=1", "AT+MDBR=2", "AT+MDBR=3", "AT+MDBR=4", "AT+MDBL=0",
                     "AT+MDBL=0", "AT+MODE=0"}));
  EXPECT_EQ(rows().size(), 2u);
  phone().clearTranscript();
  section.RadioGroup1.itemIndex = 3;
  section.SpeedButton2Click(*app_);
  EXPECT_EQ(phone().transcript(), (Strings{"AT+MDBAD=4", "AT+MODE=2", "AT+MDBAD=4", "AT+MODE=0"}));
  EXPECT_EQ(phone().state().autoDeleteWeeks, 4);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(ui_.errors.empty());
}

TEST_F(DateBookSectionTest, ACountBeyondAnyHandsetIsRefusedBeforeTheIndicesAreAsked) {
  for (const std::string& highest :
       {std::to_string(kMaxDateBookIndex + 1), std::string("2000000000")}) {
    sim::SimOptions o;
    o.answers = {{"AT+MDBR=?", "+MDBR: " + highest + ",1,64,6"}};
    startPhone(DateBook(3, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)}}), o);
    ui_.boxes.clear();
    busy.clear();
    section.sbReadAllEventsClick(*app_);
    EXPECT_EQ(phone().transcript(),
              (Strings{"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBL=0"}))
        << highest;
    EXPECT_EQ(ui_.boxes, (std::vector<Box>{{Ru("Невозможно прочитать содержимое ежедневника."),
                                            MsgKind::Error, MsgButtons::Ok}}))
        << highest;
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(section.frmAddEvent.UsedSlots.empty()) << highest;
    EXPECT_EQ(busy, (std::vector<bool>{false, true}));
  }
}

TEST_F(DateBookSectionTest, NoHandsetLeavesTheBusyStateAndRaises) {
  SavePortSettings({path("no-such-port"), 115200, 200}, path("portcfg.ini"));
  EXPECT_THROW(section.sbReadAllEventsClick(*app_), ESynaSerError);
  EXPECT_EQ(busy, (std::vector<bool>{false, true}));
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: 100%"));
}

TEST_F(DateBookSectionTest, ClearListKeepsTheFlags) {
  startPhone(DateBook(2, {{1, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)}}));
  section.sbReadAllEventsClick(*app_);
  ASSERT_EQ(rows().size(), 1u);
  phone().clearTranscript();
  section.SpeedButton5Click();
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(section.Label8.caption, Ru("Свободно: "));
  EXPECT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{false, true}));
  EXPECT_TRUE(phone().transcript().empty());
}

TEST_F(DateBookSectionTest, ShowingTheSectionResetsAndReads) {
  startPhone(DateBook(1, {}));
  section.CheckBox1.checked = false;
  section.CheckBox1Click();
  EXPECT_FALSE(section.MonthCalendar1.visible);
  section.lblAllEvent.caption = "x";
  section.ShowSection(*app_);
  EXPECT_TRUE(section.CheckBox1.checked);
  EXPECT_TRUE(section.MonthCalendar1.visible);
  EXPECT_EQ(section.MonthCalendar1Date, (CalendarDate{2026, 3, 5}));
  EXPECT_EQ(phone().transcript(), ReadCommands(1));
}

TEST_F(DateBookSectionTest, AddingTakesTheFirstFreeIndexAndReadsAgain) {
  startPhone(DateBook(4, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)},
                          {1, Event("B", '0', "08:00", "01-02-2026", 10, "", 1)},
                          {3, Event("D", '0', "09:00", "01-02-2026", 10, "", 1)}}));
  section.sbReadAllEventsClick(*app_);
  ASSERT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{true, true, false, true}));
  // The previous use left these; adding keeps them.
  TfrmAddEvent& d = section.frmAddEvent;
  d.edtEventTitle = "New";
  d.seAl_time.setValue(10);
  d.seDuration.setValue(30);
  d.RadioGroup1.itemIndex = 1;
  d.cbRepeat.select(5);
  phone().clearTranscript();
  ui_.log.clear();
  ui_.onModal = [&](ModalDialog& dialog) {
    auto& e = static_cast<TfrmAddEvent&>(dialog);
    EXPECT_EQ(e.EventIndex, 2);
    EXPECT_EQ(e.dtpStartDate, (CalendarDate{2026, 3, 5}));
    EXPECT_EQ(e.dtpStartTime, (TimeOfDay{9, 5, 42}));
    EXPECT_EQ(e.cbRepeat.itemIndex, 2);
    EXPECT_EQ(e.edtEventTitle, "New");
    EXPECT_FALSE(e.Confirmed);
    e.SpeedButton1Click(ui_);
  };

  section.sbAddEventClick(*app_);

  const std::string write =
      "AT+MDBW=2,004E00650077,1,1,\"09:05\",\"03-05-2026\",30,\"08:55\",\"03-05-2026\",2";
  EXPECT_EQ(phone().transcript(),
            Concat({"AT+CSCS=UCS2", "AT+MDBL=1", write, "AT+MDBL=0"}, ReadCommands(4)));
  EXPECT_EQ(ui_.log, (Strings{"modal TfrmAddEvent", "pause 500"}));
  ASSERT_EQ(rows().size(), 4u);
  EXPECT_EQ(rows()[2], (Strings{"2", "New", "09:05", "08:55", "03-05-2026", "30", Ru("еженедельно"),
                                Ru("вкл.")}));
  EXPECT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{true, true, true, true}));
}

// A read stopped part way: the rows so far stay, the date book is unlocked once, and an
// index it did not reach counts as taken, so that a new event cannot overwrite one there.
TEST_F(DateBookSectionTest, AStoppedReadKeepsItsRowsAndTakesNoUnreadIndexForANewEvent) {
  startPhone(DateBook(4, {{0, Event("A", '0', "07:00", "01-02-2026", 10, "", 1)},
                          {3, Event("D", '0', "09:00", "01-02-2026", 10, "", 1)}}));
  int pumps = 0;
  ui_.onPump = [&] {
    if (++pumps == 2) app_->stop().request();
  };
  section.sbReadAllEventsClick(*app_);
  EXPECT_EQ(phone().transcript(), (Strings{"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBR=?", "AT+MDBR=0",
                                           "AT+MDBR=1", "AT+MDBL=0"}));
  ASSERT_EQ(rows().size(), 1u);
  EXPECT_FALSE(section.LastReadComplete);
  EXPECT_EQ(section.frmAddEvent.UsedSlots, (std::vector<bool>{true, false, true, true}));
  EXPECT_EQ(section.frmAddEvent.FirstFreeIndex(), 1);
  EXPECT_EQ(busy, (std::vector<bool>{false, true}));
  EXPECT_EQ(section.pbReadEvent.Figure, "");
  ASSERT_FALSE(ui_.boxes.empty());
  EXPECT_EQ(ui_.boxes.back().text, Ru("Остановлено: прочитано 2 из 5."));

  // The next read is not stopped by the request the last one took.
  phone().clearTranscript();
  ui_.onPump = nullptr;
  section.sbReadAllEventsClick(*app_);
  EXPECT_EQ(phone().transcript(), ReadCommands(4));
  EXPECT_TRUE(section.LastReadComplete);
}

TEST_F(DateBookSectionTest, CancelledAddSendsNothing) {
  startPhone(DateBook(2, {}));
  section.frmAddEvent.edtEventTitle = "x";
  ui_.onModal = [&](ModalDialog& dialog) { static_cast<TfrmAddEvent&>(dialog).KeyDown(27, ui_); };
  section.sbAddEventClick(*app_);
  EXPECT_TRUE(phone().transcript().empty());
  EXPECT_TRUE(ui_.pauses.empty());
  EXPECT_FALSE(section.frmAddEvent.Confirmed);
}

TEST_F(DateBookSectionTest, AddingWithoutHandsetStillPausesAndDoesNotReRead) {
  SavePortSettings({path("no-such-port"), 115200, 200}, path("portcfg.ini"));
  section.frmAddEvent.edtEventTitle = "x";
  ui_.onModal = [&](ModalDialog& dialog) {
    static_cast<TfrmAddEvent&>(dialog).SpeedButton1Click(ui_);
  };
  try {
    section.sbAddEventClick(*app_);
    FAIL() << "no error";
  } catch (const ESynaSerError& e) {
    EXPECT_EQ(std::string(e.what()), Ru("Телефон не подключен."));
  }
  EXPECT_EQ(ui_.pauses, std::vector<int>{500});
  EXPECT_TRUE(busy.empty());  // no re-read
}

TEST_F(DateBookSectionTest, EditingWritesBackToTheSameIndex) {
  startPhone(DateBook(9, {{4, Event("Old", '1', "10:30", "07-12-2026", 60, "10:15", 3)},
                          {7, Event("Other", '0', "11:00", "07-12-2026", 5, "", 0)}}));
  section.sbReadAllEventsClick(*app_);
  TfrmAddEvent& d = section.frmAddEvent;
  d.RadioGroup1.itemIndex = 0;
  d.cbRepeat.select(0);
  d.seAl_time.setValue(300);
  selectCaptions({"4"});
  phone().clearTranscript();
  ui_.onModal = [&](ModalDialog& dialog) {
    auto& e = static_cast<TfrmAddEvent&>(dialog);
    EXPECT_EQ(e.EventIndex, 4);
    EXPECT_EQ(e.edtEventTitle, "Old");
    EXPECT_EQ(e.dtpStartDate, (CalendarDate{2026, 7, 12}));
    EXPECT_EQ(e.dtpStartTime, (TimeOfDay{10, 30, 0}));
    EXPECT_EQ(e.seDuration.value, 60);
    EXPECT_EQ(e.cbRepeat.itemIndex, 3);
    EXPECT_EQ(e.RadioGroup1.itemIndex, 1);
    EXPECT_EQ(e.seAl_time.value, 1);
    e.edtEventTitle = "Renamed";
    e.SpeedButton1Click(ui_);
  };

  section.lvEventDblClick(*app_);

  const std::string write =
      "AT+MDBW=4,00520065006E0061006D00650064,1,1,\"10:30\",\"07-12-2026\",60,\"10:29\","
      "\"07-12-2026\",3";
  EXPECT_EQ(phone().transcript(),
            Concat({"AT+CSCS=UCS2", "AT+MDBL=1", write, "AT+MDBL=0"}, ReadCommands(9)));
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(phone().state().events.at(4).title, "Renamed");
}

// The handset refuses the write: the wire goes on as after any write, the list is read
// again, the event stays as it was and the user is told once.
TEST_F(DateBookSectionTest, ARefusedWriteIsToldAndTheListReadAgain) {
  struct Case {
    bool edit;
    const char* write;
  };
  const Case cases[] = {
      {false, "AT+MDBW=1,004E00650077,1,1,\"09:05\",\"03-05-2026\",1,\"09:04\",\"03-05-2026\",2"},
      {true, "AT+MDBW=0,004E00650077,1,1,\"07:00\",\"01-02-2026\",10,\"06:59\",\"01-02-2026\",1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit ? "edit" : "add");
    TearDown();
    SetUp();
    sim::SimOptions o;
    o.errorOn = {"AT+MDBW="};
    const sim::HandsetState state =
        DateBook(2, {{0, Event("A", '1', "07:00", "01-02-2026", 10, "06:59", 1)}});
    startPhone(state, o);
    section.sbReadAllEventsClick(*app_);
    phone().clearTranscript();
    ui_.errors.clear();
    ui_.boxes.clear();
    ui_.onModal = [&](ModalDialog& dialog) {
      auto& e = static_cast<TfrmAddEvent&>(dialog);
      e.edtEventTitle = "New";
      e.SpeedButton1Click(ui_);
    };
    if (c.edit) {
      selectCaptions({"0"});
      section.lvEventDblClick(*app_);
    } else {
      section.sbAddEventClick(*app_);
    }
    EXPECT_EQ(phone().transcript(),
              Concat({"AT+CSCS=UCS2", "AT+MDBL=1", c.write, "AT+MDBL=0"}, ReadCommands(2)));
    EXPECT_EQ(ui_.errors, Strings{Ru("Событие не записано: телефон не принял команду.")});
    EXPECT_EQ(ui_.boxes, std::vector<testing::Box>{});
    EXPECT_EQ(phone().state().events, state.events);
    ASSERT_EQ(rows().size(), 1u);
    EXPECT_EQ(rows()[0][1], "A");
  }
}

TEST_F(DateBookSectionTest, EditNeedsTheFocusedFirstSelectedRow) {
  section.lvEvent.add("1").subItems = {{"A"}, {"10:30"}, {"10:29"}, {"07-12-2026"}, {"5"}};
  section.lvEvent.add("2").subItems = {{"B"}, {"10:30"}, {"10:29"}, {"07-12-2026"}, {"5"}};
  section.lvEvent.rows[0].selected = true;
  section.lvEvent.focused = 1;
  section.lvEventDblClick(*app_);
  section.lvEvent.rows[0].selected = false;
  section.lvEvent.focused = -1;
  section.lvEventDblClick(*app_);
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(DateBookSectionTest, EditOfARowThatDoesNotConvertOpensNoDialog) {
  struct Case {
    const char* caption;
    const char* time;
    const char* date;
    const char* duration;
    const char* message;
  };
  const Case cases[] = {
      {"1", "10:30", "02-30-2026", "5", "Invalid argument to date encode"},
      {"1", "10:30", "xx-01-2026", "5", "'xx' is not a valid integer value"},
      {"1", "25:00", "01-01-2026", "5", "'25:00' is not a valid time"},
      {"1", "10:30", "01-01-2026", "", "'' is not a valid integer value"},
      {"a", "10:30", "01-01-2026", "5", "'a' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    section.lvEvent.clear();
    section.lvEvent.add(c.caption).subItems = {{"T"}, {c.time}, {"10:29"}, {c.date}, {c.duration}};
    section.lvEvent.selectOnly(0);
    try {
      section.lvEventDblClick(*app_);
      ADD_FAILURE() << "no error for " << c.date << " " << c.time;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(DateBookSectionTest, DeletingSendsTheSelectedRowsInListOrder) {
  std::map<int, sim::DateEvent> events;
  for (int i : {2, 4, 9, 12})
    events[i] = Event("E" + std::to_string(i), '0', "07:00", "01-02-2026", 10, "", 1);
  startPhone(DateBook(15, events));
  section.sbReadAllEventsClick(*app_);
  selectCaptions({"12", "4", "9"});
  phone().clearTranscript();
  ui_.log.clear();

  section.sbDeleteEventClick(*app_);

  EXPECT_EQ(phone().transcript(), Concat({"AT+MDBL=1", "AT+MDBWE=4,0,0", "AT+MDBWE=9,0,0",
                                          "AT+MDBWE=12,0,0", "AT+MDBL=0"},
                                         ReadCommands(15)));
  EXPECT_EQ(ui_.log, Strings{"pause 500"});
  EXPECT_EQ(rows().size(), 1u);
  EXPECT_EQ(rows()[0][0], "2");
}

TEST_F(DateBookSectionTest, DeletingWithNothingSelectedSendsNothing) {
  startPhone(DateBook(3, {}));
  section.sbDeleteEventClick(*app_);  // empty list
  section.lvEvent.add("1");
  section.sbDeleteEventClick(*app_);  // a row, none selected
  const Box none{Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok};
  EXPECT_EQ(ui_.boxes, (std::vector<Box>{none, none}));
  EXPECT_TRUE(phone().transcript().empty());
}

TEST_F(DateBookSectionTest, DeleteFailuresAllShowTheSameBox) {
  sim::SimOptions o;
  o.silentAfter = 0;
  startPhone(DateBook(3, {}), o, 200);
  section.lvEvent.add("1").selected = true;
  section.sbDeleteEventClick(*app_);
  EXPECT_EQ(ui_.boxes,
            (std::vector<Box>{{Ru("Нет выбранной записи..."), MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_TRUE(ui_.errors.empty());
  // The rows stay: no re-read ran.
  EXPECT_EQ(rows().size(), 1u);
}

TEST_F(DateBookSectionTest, AutoDeleteSendsTheWeeks) {
  startPhone(DateBook(3, {}));
  // The handset refuses the empty setting, so the port tries the switch to AT+MODE=2 (which
  // this handset refuses too) and switches back.
  const std::pair<int, Strings> cases[] = {{0, {"AT+MDBAD=0"}},
                                           {3, {"AT+MDBAD=4"}},
                                           {4, {"AT+MDBAD=8"}},
                                           {-1, {"AT+MDBAD=", "AT+MODE=2", "AT+MODE=0"}}};
  Strings want;
  for (const auto& [item, commands] : cases) {
    section.RadioGroup1.itemIndex = item;
    section.SpeedButton2Click(*app_);
    want = Concat(want, commands);
  }
  EXPECT_EQ(phone().transcript(), want);
  EXPECT_EQ(phone().state().autoDeleteWeeks, 8);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_TRUE(busy.empty());
}

TEST_F(DateBookSectionTest, PopupEnablesEditAndDeleteOnlyWithASelection) {
  section.pmEventPopup();
  EXPECT_FALSE(section.ppmEditEvent.enabled);
  EXPECT_FALSE(section.ppmDelete.enabled);
  EXPECT_TRUE(section.ppmReadAllEvents.enabled && section.ppmAddEvent.enabled &&
              section.ppmClear.enabled);
  section.lvEvent.add("3");
  section.pmEventPopup();
  EXPECT_FALSE(section.ppmEditEvent.enabled);
  section.lvEvent.rows[0].selected = true;
  section.pmEventPopup();
  EXPECT_TRUE(section.ppmEditEvent.enabled);
  EXPECT_TRUE(section.ppmDelete.enabled);
}

}  // namespace
}  // namespace quorvex::datebook
