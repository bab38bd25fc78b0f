// The phone book and the bin: what each erasing or overwriting operation keeps, that it is in
// the file by the time the handset gets the first erasing command, that a bin that cannot be
// written stops the operation, and that a restore gives the handset back what it held.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "bin_watch.h"
#include "codec/ucs2.h"
#include "core/bin_file.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook_fixture.h"

namespace quorvex::phonebook {
namespace {

using testing::Book;
using testing::Box;
using testing::Entry;
using testing::Handset;
using testing::ReadFirst;
using testing::Wide;
using V = std::vector<std::string>;

// The bin's captions at the first phone book write or erase the handset receives.
struct BinWatch : quorvex::testing::BinWatch {
  BinWatch() : quorvex::testing::BinWatch("AT+MPBW=") {}
  void tune(sim::SimOptions& o) { o.onCommand = onCommand(); }
};

sim::HandsetState Grouped() {
  sim::HandsetState st = Book(20, 5, {});
  st.groups = {{"General", 255}, {Ru("Семья"), 255}, {"VIP", 255}};
  sim::PhoneEntry a = Entry("+79161234501", Ru("Иван Петров"), 3);
  a.category = 2;
  a.icon = 7;
  a.alert = 17;
  sim::PhoneEntry b = Entry("ola@x.ru", "Olga", 6);
  b.category = 3;
  b.attr6 = 1;
  // A name code page 1251 cannot hold goes back in the handset's own hex.
  sim::PhoneEntry w = Wide("+4930", "Zo?", "005A006F0107", 1);
  w.category = 1;
  st.entries = {{3, a},
                {7, w},
                {17, b},
                {21, Entry("112", Ru("Скорая"), 0)},
                {24, Entry("+7903", "SIM two", 0)}};
  return st;
}

sim::HandsetState Classic() {
  sim::HandsetState st = Book(10, 5,
                              {{1, Entry("+1", "A", 7)},
                               {2, Entry("2", "B", 5)},
                               {5, Wide("+5", "Zo?", "005A006F0107", 2)},
                               {12, Entry("+12", "S", 0)}});
  st.entries[2].alert = 0;
  st.entries[2].attr6 = 1;
  return st;
}

sim::HandsetState GroupedText() {
  sim::HandsetState st = Grouped();
  st.entries[3].iconText = "Pic";
  return st;
}

std::unique_ptr<Handset> Start(const char* model, const sim::HandsetState& state, BinWatch& watch) {
  auto h = std::make_unique<Handset>(model, state, [&watch](sim::SimOptions& o) { watch.tune(o); });
  watch.path = h->app().binPath;
  return h;
}

void SelectAll(PhoneBookSection& s) {
  for (ListRow& r : s.ListView1.rows) r.selected = true;
  s.ListView1.focused = 0;
}

void SelectRow(PhoneBookSection& s, const std::string& caption) {
  for (std::size_t k = 0; k < s.ListView1.rows.size(); ++k)
    if (s.ListView1.rows[k].caption == caption) s.ListView1.selectOnly(static_cast<int>(k));
}

TEST(PhoneBookBin, AnEntryComesBackFromItsRecordAsTheReadGaveIt) {
  struct Case {
    const char* model;
    sim::HandsetState state;
  };
  for (const Case& c :
       {Case{"C350", Grouped()}, Case{"C450", GroupedText()}, Case{"V60", Classic()}}) {
    Handset h(c.model, c.state);
    ReadFirst(h);
    for (const TAbonentInfo& r : h.section.Records) {
      if (IsFree(r)) continue;
      const BinRecord b = EntryBinRecord(r, FamilyOf(c.model), "delete");
      EXPECT_EQ(b.memory, r.OnSim ? "SM" : "ME");
      EXPECT_EQ(b.index, r.Index);
      EXPECT_EQ(b.caption, r.Name);
      // What the file stores is what the handset sent, UCS2 hex and all.
      EXPECT_NE(b.data[1].find(r.NameHex), std::string::npos) << b.data[1];
      BinRecord stored = b;
      stored.id = 1;
      stored.time = "2026-12-08 21:00:00";
      const std::optional<BinRecord> back = ParseBinLine(FormatBinLine(stored));
      ASSERT_TRUE(back);
      const std::optional<TAbonentInfo> entry = EntryFromBin(*back);
      ASSERT_TRUE(entry) << c.model << " " << r.Index;
      EXPECT_EQ(*entry, r) << c.model << " " << r.Index;
    }
  }
  BinRecord foreign;
  foreign.section = std::string(kBinDateBook);
  foreign.memory = "ME";
  foreign.data = {"classic", "+MPBR: 1,\"1\",129,0041,3,0,255,0,1"};
  EXPECT_FALSE(EntryFromBin(foreign));
  foreign.section = std::string(kBinPhoneBook);
  foreign.data[1] = "+MPBR: 1,\"1\",x";
  EXPECT_FALSE(EntryFromBin(foreign));
}

// Each operation that erases or overwrites: the first erasing command reaches the handset
// with exactly what it is about to lose already in the bin.
TEST(PhoneBookBin, EachOperationKeepsWhatItLosesBeforeItsFirstErase) {
  struct Case {
    const char* what;
    std::function<void(Handset&)> run;
    V kept;  // captions in the bin, in order
    std::string operation;
  };
  const Case cases[] = {
      {"erase one",
       [](Handset& h) {
         SelectRow(h.section, "17");
         h.section.pmDeleteClick(h.app());
       },
       {"Olga"},
       "delete"},
      {"erase several, on both memories",
       [](Handset& h) {
         h.section.ListView1.rows[0].selected = true;
         h.section.ListView1.rows[1].selected = true;
         h.section.ListView1.rows[4].selected = true;
         h.section.pmDeleteClick(h.app());
       },
       {Ru("Иван Петров"), "Zo", "SIM two"},
       "delete"},
      {"edit",
       [](Handset& h) {
         SelectRow(h.section, "3");
         h.ui.onModal = [&h](ModalDialog& m) {
           auto& d = dynamic_cast<TfrmAddRecord&>(m);
           d.edtAbonentName.text = "Ivan";
           d.SpeedButton1Click(h.ui);
         };
         h.section.ListView1DblClick(h.app());
       },
       {Ru("Иван Петров")},
       "edit"},
      {"write all with one row changed",
       [](Handset& h) {
         h.section.ListView1.rows[2].subItems[1].text = "+7000";
         h.section.sbWriteAllClick(h.app());
       },
       {"Olga"},
       "write-all"},
      {"load over two entries, one of them unchanged",
       [](Handset& h) {
         const std::string file = (h.dir() / "book.csv").string();
         std::ofstream(file, std::ios::binary) << "PHONE;1;A;+1;7;0;255;0;1;0;0;255;0\r\n"
                                                  "PHONE;2;B;+22;5;1;0;0;1;0;0;255;0\r\n";
         h.ui.opens = {file};
         h.section.pmLoadRecordClick(h.app());
       },
       {"B"},
       "load"},
  };
  for (const Case& c : cases) {
    BinWatch watch;
    const bool load = c.operation == "load";
    auto h = Start(load ? "V60" : "C350", load ? Classic() : Grouped(), watch);
    ReadFirst(*h);
    c.run(*h);
    EXPECT_EQ(watch.firstSeen(), c.kept) << c.what;
    EXPECT_TRUE(h->ui.boxes.empty()) << c.what << ": " << h->ui.boxes.front().text;
    const BinContents bin = ReadBin(watch.path);
    EXPECT_EQ(bin.skipped, 0u);
    ASSERT_EQ(bin.records.size(), c.kept.size()) << c.what;
    for (const BinRecord& r : bin.records) {
      EXPECT_EQ(r.operation, c.operation) << c.what;
      EXPECT_EQ(r.model, load ? "V60" : "C350") << c.what;
      EXPECT_EQ(r.time, "2026-03-05 09:04:07") << c.what << ": the user interface's clock";
    }
  }
}

TEST(PhoneBookBin, TheIdentityTheProgramKnowsGoesWithTheRecord) {
  BinWatch watch;
  auto h = Start("C350", Grouped(), watch);
  ReadFirst(*h);
  h->app().handset.imei = "350881020000000";
  SelectRow(h->section, "3");
  h->section.pmDeleteClick(h->app());
  const BinContents bin = ReadBin(watch.path);
  ASSERT_EQ(bin.records.size(), 1u);
  EXPECT_EQ(bin.records[0].imei, "350881020000000");
  EXPECT_EQ(bin.records[0].model, "C350");
  EXPECT_EQ(bin.records[0].memory, "ME");
  EXPECT_EQ(bin.records[0].index, 3);
}

TEST(PhoneBookBin, ABinThatCannotBeWrittenStopsTheOperationBeforeItErases) {
  struct Case {
    const char* what;
    std::function<void(Handset&)> run;
    std::string untouched;
  };
  const Case cases[] = {
      {"erase one",
       [](Handset& h) {
         SelectRow(h.section, "17");
         h.section.pmDeleteClick(h.app());
       },
       Ru("Ничего не удалено.")},
      {"erase all",
       [](Handset& h) {
         SelectAll(h.section);
         h.section.pmDeleteClick(h.app());
       },
       Ru("Ничего не удалено.")},
      {"edit",
       [](Handset& h) {
         SelectRow(h.section, "3");
         h.ui.onModal = [&h](ModalDialog& m) {
           auto& d = dynamic_cast<TfrmAddRecord&>(m);
           d.edtAbonentName.text = "Ivan";
           d.SpeedButton1Click(h.ui);
         };
         h.section.ListView1DblClick(h.app());
       },
       Ru("Запись не изменена.")},
      {"write all",
       [](Handset& h) {
         h.section.ListView1.rows[0].subItems[1].text = "+7000";
         h.section.sbWriteAllClick(h.app());
       },
       Ru("Ничего не записано.")},
  };
  for (const bool directory : {true, false}) {
    for (const Case& c : cases) {
      BinWatch watch;
      auto h = Start("C350", Grouped(), watch);
      ReadFirst(*h);
      const auto before = h->phone().state();
      std::string place = (h->dir() / "bin-dir").string();
      if (directory) {
        std::filesystem::create_directory(place);
      } else {
        std::ofstream(place) << "x";
        place += "/recycle_bin.txt";
      }
      h->app().binPath = place;
      watch.path = place;
      c.run(*h);
      for (const std::string& sent : h->sent())
        EXPECT_NE(sent.rfind("AT+MPBW=", 0), 0u) << c.what << " sent " << sent;
      EXPECT_EQ(h->phone().state(), before) << c.what;
      const std::string why = directory ? SystemErrorText(EISDIR) : SystemErrorText(ENOTDIR);
      EXPECT_EQ(h->ui.boxes,
                (std::vector<Box>{{Ru("Не удалось сохранить в корзину то, что операция удалила "
                                      "бы: ") +
                                       why + ".\r\n" + c.untouched,
                                   MsgKind::Error, MsgButtons::Ok}}))
          << c.what;
    }
  }
}

// Erasing everything and restoring it leaves the handset as it was: both memories, the groups
// of the entries, the names the handset keeps in UCS2.
TEST(PhoneBookBin, EraseAllThenRestoreGivesTheHandsetBack) {
  struct Case {
    const char* model;
    sim::HandsetState state;
  };
  for (const Case& c : {Case{"C350", Grouped()}, Case{"C450", GroupedText()},
                        Case{"V60", Classic()}, Case{"T720", Classic()}}) {
    BinWatch watch;
    auto h = Start(c.model, c.state, watch);
    ReadFirst(*h);
    const sim::HandsetState before = h->phone().state();
    SelectAll(h->section);
    h->section.pmDeleteClick(h->app());
    ASSERT_TRUE(h->phone().state().entries.empty()) << c.model;
    const BinContents bin = ReadBin(watch.path);
    ASSERT_EQ(bin.records.size(), before.entries.size()) << c.model;

    const std::vector<BinRestoreResult> results = h->section.RestoreFromBin(h->app(), bin.records);
    EXPECT_EQ(h->phone().state(), before) << c.model;
    ASSERT_EQ(results.size(), bin.records.size());
    for (std::size_t k = 0; k < results.size(); ++k) {
      EXPECT_TRUE(results[k].restored) << c.model << " " << results[k].where;
      EXPECT_EQ(results[k].id, bin.records[k].id);
      EXPECT_EQ(results[k].where, Ru("под номером ") + std::to_string(bin.records[k].index));
    }
    EXPECT_EQ(h->section.ListView1.rows.size(), before.entries.size()) << "read again";
  }
}

TEST(PhoneBookBin, ARestoreGoesToTheLowestFreeIndexOfItsMemoryWhenItsOwnIsTaken) {
  BinWatch watch;
  auto h = Start("V60", Classic(), watch);
  ReadFirst(*h);
  SelectAll(h->section);
  h->section.pmDeleteClick(h->app());
  const BinContents bin = ReadBin(watch.path);
  ASSERT_EQ(bin.records.size(), 4u);  // 1, 2 and 5 on the phone, 12 on the SIM

  // Another handset: index 1 and the first SIM index taken, the phone memory full after 3.
  sim::HandsetState other = Book(
      4, 3, {{1, Entry("+9", "Other")}, {4, Entry("+4", "Four")}, {5, Entry("+55", "Sim one")}});
  BinWatch otherWatch;
  auto o = Start("V60", other, otherWatch);
  const std::vector<BinRestoreResult> results = o->section.RestoreFromBin(o->app(), bin.records);
  ASSERT_EQ(results.size(), 4u);
  const V where = {results[0].where, results[1].where, results[2].where, results[3].where};
  EXPECT_EQ(where, (V{Ru("под номером 2"), Ru("под номером 3"),
                      Ru("в памяти телефона нет свободного места"), Ru("под номером 6")}));
  EXPECT_EQ((std::vector<bool>{results[0].restored, results[1].restored, results[2].restored,
                               results[3].restored}),
            (std::vector<bool>{true, true, false, true}));
  const auto st = o->phone().state();
  EXPECT_EQ(st.entries.at(1).name, "Other");
  EXPECT_EQ(st.entries.at(2).name, "A");
  EXPECT_EQ(st.entries.at(3).name, "B");
  EXPECT_EQ(st.entries.at(6).name, "S");
  EXPECT_EQ(st.entries.size(), 6u);
}

}  // namespace
}  // namespace quorvex::phonebook
