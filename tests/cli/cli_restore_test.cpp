// quorvex-cli restore end to end: a backup file written by the program's own writer, the
// real program comparing it with the simulated handset, the preview on stdout, and the write
// only with --yes.
#include <gtest/gtest.h>

#include <filesystem>

#include "backup/backup_file.h"
#include "cli_fixture.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "datebook/date_book_section.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_bin.h"
#include "sim/handset_state.h"
#include "sim/phone_sim.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;
using clitest::Result;

BinRecord Entry(int index, const char* name, const char* number) {
  phonebook::TAbonentInfo e;
  e.Index = index;
  e.Name = Ru(name);
  e.Number = number;
  e.NumberFormat = 129;
  e.NumberType = 2;
  e.AlertId = 255;
  e.Attr9 = 1;
  e.IconId = 255;
  e.Attr12 = 255;
  return phonebook::EntryBinRecord(e, phonebook::Family::Grouped, "backup");
}

class CliRestore : public clitest::CliFixture {
 protected:
  CliRestore() : CliFixture("qv-cli-restore") { clearTranscriptOnRun(); }

  void SetUp() override {
    CliFixture::SetUp();
    sim::HandsetState st = sim::EmptyState();
    st.phoneSize = 5;
    st.simSize = 2;
    st.dateBookHighest = 3;
    sim::PhoneEntry anna;
    anna.number = "000";
    anna.name = Ru("Анна");
    anna.type = 2;
    st.entries[1] = anna;
    sim::SimOptions o;
    o.model = "C350";
    hostPhone(o, &st, 3000);

    datebook::ReadEvent event;
    event.index = 2;
    event.entry = {Ru("Встреча"), "1",     "0",          "09:00", "03-05-2026",
                   "30",          "00:00", "00-00-2000", "0"};
    event.titleHex = TextToUcs2Hex(event.entry.Title);
    PhoneBackup b{"C350",
                  "350881020000000",
                  "2026-12-08 21:00:00",
                  {Entry(1, "Анна", "111"), Entry(2, "Борис", "222"),
                   datebook::EventBinRecord(event, "backup")}};
    for (std::size_t k = 0; k < b.records.size(); ++k) {
      b.records[k].id = static_cast<std::int64_t>(k) + 1;
      b.records[k].time = b.time;
      b.records[k].model = b.model;
      b.records[k].imei = b.imei;
    }
    WriteBackupFile((dir_ / "copy.zip").string(), b);
  }

  V writes() const {
    V w;
    for (const std::string& c : phone_->transcript())
      if (c.rfind("AT+MPBW=", 0) == 0 || c.rfind("AT+MDBW", 0) == 0) w.push_back(c);
    return w;
  }
};

const std::string kPreview =
    "Справочник\tтелефон\t1\tАнна, 111\tизменена\tзаменить (прежняя - в корзину)\n"
    "Справочник\tтелефон\t2\tБорис, 222\tнет в телефоне\tзаписать\n"
    "Ежедневник\t\t2\tВстреча, 03-05-2026 09:00\tнет в телефоне\tзаписать\n";

const std::string kSummary =
    "Копия: C350, IMEI 350881020000000, 2026-12-08 21:00:00. Совпадают: 0, изменены: 1, нет в "
    "телефоне: 2, только в телефоне: 0. Выбрано: 3.";

TEST_F(CliRestore, PrintsThePreviewAndWritesOnlyWithYes) {
  for (const char* answer : {"", "--no"}) {
    V args = {"restore", "copy.zip"};
    if (*answer) args.insert(args.begin(), answer);
    const Result r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kPreview);
    EXPECT_EQ(r.err, "[question] " + kSummary + "\nЗаписать выбранное в телефон? -> No\n");
    EXPECT_EQ(writes(), V{});
  }
  const Result r = run({"--yes", "restore", "copy.zip"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kPreview);
  EXPECT_EQ(r.err, "[question] " + kSummary +
                       "\nЗаписать выбранное в телефон? -> Yes\n[information] Записано 3 из 3.\n");
  EXPECT_EQ(writes(), (V{"AT+MPBW=1,\"111\",129,0410043D043D0430,2,0,255,0,1,0,255,255,0",
                         "AT+MPBW=2,\"222\",129,0411043E044004380441,2,0,255,0,1,0,255,255,0",
                         "AT+MDBW=2,0412044104420440043504470430,1,0,\"09:00\",\"03-05-2026\",30,"
                         "\"00:00\",\"00-00-2000\",0"}));

  // The second run finds everything the same and asks nothing.
  const Result again = run({"--yes", "restore", "copy.zip"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(writes(), V{});
  EXPECT_NE(again.err.find("[information] Копия: C350"), std::string::npos) << again.err;
  EXPECT_EQ(again.err.find("[question]"), std::string::npos) << again.err;
}

TEST_F(CliRestore, NoFileOrABadOneWritesNothing) {
  const Result usage = run({"restore"});
  EXPECT_EQ(usage.status, 2);
  write("junk.zip", "no archive at all");
  for (const char* file : {"nowhere.zip", "junk.zip"}) {
    const Result r = run({"--yes", "restore", file});
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.err.rfind("[error] ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(phone_->transcript().empty()) << file;
  }
}

}  // namespace
}  // namespace quorvex
