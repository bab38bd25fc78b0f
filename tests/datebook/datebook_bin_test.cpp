// The date book and the bin: a delete and an edit keep the events they lose before the first
// erasing or overwriting command, an unwritable bin stops them, and a restore gives the
// handset back its events.
#include <gtest/gtest.h>

#include <filesystem>

#include "bin_watch.h"
#include "codec/ru.h"
#include "core/bin_file.h"
#include "datebook/date_book_section.h"
#include "datebook_fixture.h"

namespace quorvex::datebook {
namespace {

using Strings = std::vector<std::string>;
using testing::Box;

sim::DateEvent Event(const std::string& title, char alarm, const std::string& start,
                     const std::string& date, int duration, int repeat) {
  sim::DateEvent ev;
  ev.title = title;
  ev.alarmFlag = alarm;
  ev.startTime = start;
  ev.startDate = date;
  ev.duration = duration;
  ev.alarmTime = alarm == '1' ? "08:45" : "00:00";
  ev.alarmDate = alarm == '1' ? date : "00-00-2000";
  ev.repeat = repeat;
  return ev;
}

sim::HandsetState Dates() {
  sim::HandsetState st = sim::EmptyState();
  st.dateBookHighest = 6;
  st.events = {{1, Event("Dentist", '1', "09:00", "03-10-2026", 30, 0)},
               {4, Event("Standup", '0', "10:00", "03-11-2026", 15, 1)},
               {6, Event(Ru("Отпуск"), '1', "07:30", "07-01-2026", 600, 5)}};
  return st;
}

class DateBookBin : public testing::DateBookTest {
 public:
  // The table rows drive the fixture from outside.
  using AppStateTest::app_;

  // Starts the handset; at each write or erase of an event it notes the bin's captions.
  void start(sim::SimOptions o = {}) {
    watch_.path = app_->binPath;
    o.onCommand = watch_.onCommand();
    startPhone(Dates(), o);
    section.sbReadAllEventsClick(*app_);
    phone().clearTranscript();
  }
  Strings firstSeen() { return watch_.firstSeen(); }
  void select(const Strings& captions) {
    section.lvEvent.focused = -1;
    for (std::size_t i = 0; i < section.lvEvent.rows.size(); ++i) {
      ListRow& r = section.lvEvent.rows[i];
      r.selected = std::find(captions.begin(), captions.end(), r.caption) != captions.end();
      if (r.selected && section.lvEvent.focused < 0) section.lvEvent.focused = static_cast<int>(i);
    }
  }
  void rename(const std::string& title) {
    ui_.onModal = [this, title](ModalDialog& dialog) {
      auto& e = static_cast<TfrmAddEvent&>(dialog);
      e.edtEventTitle = title;
      e.SpeedButton1Click(ui_);
    };
  }

  DateBookSection section;
  testing::BinWatch watch_{"AT+MDBW"};
};

TEST_F(DateBookBin, DeleteAndEditKeepWhatTheyLoseBeforeTheFirstWrite) {
  struct Case {
    const char* what;
    std::function<void(DateBookBin&)> run;
    Strings kept;
    const char* operation;
  };
  const Case cases[] = {
      {"delete two",
       [](DateBookBin& t) {
         t.select({"1", "6"});
         t.section.sbDeleteEventClick(*t.app_);
       },
       {"Dentist", Ru("Отпуск")},
       "delete"},
      {"edit",
       [](DateBookBin& t) {
         t.select({"4"});
         t.rename("Sync");
         t.section.lvEventDblClick(*t.app_);
       },
       {"Standup"},
       "edit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    watch_.clear();
    start();
    ui_.boxes.clear();
    c.run(*this);
    EXPECT_EQ(firstSeen(), c.kept);
    const BinContents bin = ReadBin(app_->binPath);
    ASSERT_EQ(bin.records.size(), c.kept.size());
    for (const BinRecord& r : bin.records) {
      EXPECT_EQ(r.section, kBinDateBook);
      EXPECT_EQ(r.operation, c.operation);
    }
    EXPECT_TRUE(ui_.boxes.empty());
  }
}

TEST_F(DateBookBin, AnUnwritableBinStopsTheOperationBeforeItWrites) {
  struct Case {
    const char* what;
    std::function<void(DateBookBin&)> run;
    Strings sent;
    std::string untouched;
  };
  const Case cases[] = {
      {"delete",
       [](DateBookBin& t) {
         t.select({"1", "6"});
         t.section.sbDeleteEventClick(*t.app_);
       },
       {"AT+MDBL=1", "AT+MDBL=0"},
       Ru("Ничего не удалено.")},
      {"edit",
       [](DateBookBin& t) {
         t.select({"4"});
         t.rename("Sync");
         t.section.lvEventDblClick(*t.app_);
       },
       {"AT+CSCS=UCS2", "AT+MDBL=1", "AT+MDBL=0"},
       Ru("Событие не записано.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    start();
    ui_.boxes.clear();
    std::filesystem::create_directory(path("bin"));
    app_->binPath = path("bin");
    const auto before = phone().state();
    c.run(*this);
    EXPECT_EQ(phone().transcript(), c.sent) << "no erase, no write, no read after it";
    EXPECT_EQ(phone().state(), before);
    EXPECT_EQ(ui_.boxes, (std::vector<Box>{{Ru("Не удалось сохранить в корзину то, что операция "
                                               "удалила бы: ") +
                                                SystemErrorText(EISDIR) + ".\r\n" + c.untouched,
                                            MsgKind::Error, MsgButtons::Ok}}));
  }
}

TEST_F(DateBookBin, DeleteEverythingThenRestoreGivesTheEventsBack) {
  for (const bool quoted : {false, true}) {
    SCOPED_TRACE(quoted ? "quoted titles" : "bare titles");
    TearDown();
    SetUp();
    sim::SimOptions o;
    o.quotedTitles = quoted;
    start(o);
    const auto before = phone().state();
    select({"1", "4", "6"});
    section.sbDeleteEventClick(*app_);
    ASSERT_TRUE(phone().state().events.empty());
    const BinContents bin = ReadBin(app_->binPath);
    ASSERT_EQ(bin.records.size(), 3u);
    for (const BinRecord& r : bin.records) {
      // The title field is kept bare, as the write command carries it.
      const std::string& line = r.data[0];
      const std::size_t a = line.find(','), b = line.find(',', a + 1);
      EXPECT_EQ(line.substr(a + 1, b - a - 1).find('"'), std::string::npos) << line;
    }

    const std::vector<BinRestoreResult> results = section.RestoreFromBin(*app_, bin.records);
    EXPECT_EQ(phone().state(), before);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ((Strings{results[0].where, results[1].where, results[2].where}),
              (Strings{Ru("под номером 1"), Ru("под номером 4"), Ru("под номером 6")}));
    EXPECT_EQ(section.lvEvent.rows.size(), 3u) << "read again";
  }
}

TEST_F(DateBookBin, ARestoreOntoATakenIndexTakesTheLowestFreeOne) {
  start();
  select({"4"});
  section.sbDeleteEventClick(*app_);
  std::vector<BinRecord> records = ReadBin(app_->binPath).records;
  ASSERT_EQ(records.size(), 1u);
  records[0].index = 6;  // taken
  BinRecord broken = records[0];
  broken.data = {"+MDBR: 9,ZZ,1"};
  records.push_back(broken);
  const std::vector<BinRestoreResult> results = section.RestoreFromBin(*app_, records);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].restored);
  EXPECT_EQ(results[0].where, Ru("под номером 0"));
  EXPECT_FALSE(results[1].restored);
  EXPECT_EQ(results[1].where, Ru("запись корзины повреждена"));
  const auto events = phone().state().events;
  ASSERT_EQ(events.count(0), 1u);
  EXPECT_EQ(events.at(0), Dates().events.at(4));
}

}  // namespace
}  // namespace quorvex::datebook
