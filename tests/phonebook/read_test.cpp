// "Читать все" against the simulated handset: the exact commands, the records, the rows and
// the columns, and what remains when the read fails.
#include <gtest/gtest.h>

#include <functional>

#include "codec/delphi_text.h"
#include "phonebook_fixture.h"
#include "real_entry_lines.h"

namespace quorvex::phonebook {
namespace {

using testing::Book;
using testing::Box;
using testing::Concat;
using testing::Entry;
using testing::Handset;
using testing::kLong181;
using testing::kLong253;
using testing::ReadPrologue;
using testing::Switched;
using testing::Texts;
using V = std::vector<std::string>;

std::vector<std::string> Chunks(int total) {
  V out;
  for (int s = 1; s <= total; s += 30)
    out.push_back("AT+MPBR=" + std::to_string(s) + "," + std::to_string(std::min(s + 29, total)));
  return out;
}

struct TotalCase {
  int phone, sim;
};

class ReadTotals : public ::testing::TestWithParam<TotalCase> {};

TEST_P(ReadTotals, ChunksOfThirtyInTheCombinedStorage) {
  const auto [phone, sim] = GetParam();
  const int total = phone + sim;
  Handset h("V60", Book(phone, sim, {}));
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(h.sent(), Concat(ReadPrologue(), Chunks(total)));
  EXPECT_EQ(h.section.Records.size(), static_cast<std::size_t>(total));
  for (int k = 0; k < total; ++k)
    EXPECT_EQ(h.section.Records[static_cast<std::size_t>(k)], FreeSlot(k + 1));
  EXPECT_TRUE(h.section.ListView1.rows.empty());
  EXPECT_EQ(h.section.pbFullRecord.Max, total);
  EXPECT_EQ(h.section.pbReadAllRecords.Position, 0);
  // One repaint per chunk, and never the user's input.
  EXPECT_EQ(h.ui.pumps, std::vector<bool>(Chunks(total).size(), true));
  EXPECT_TRUE(h.ui.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Totals, ReadTotals,
                         ::testing::Values(TotalCase{0, 0}, TotalCase{20, 10}, TotalCase{50, 15}),
                         [](const auto& info) {
                           return "Total" + std::to_string(info.param.phone + info.param.sim);
                         });

TEST(Read, ExactChunkTexts) {
  EXPECT_EQ(Chunks(30), V{"AT+MPBR=1,30"});
  EXPECT_EQ(Chunks(65), (V{"AT+MPBR=1,30", "AT+MPBR=31,60", "AT+MPBR=61,65"}));
}

sim::HandsetState GroupedBook() {
  sim::HandsetState st = Book(40, 10, {});
  st.groups = {{"General", 255}, {"", 255}, {Ru("Семья"), 255}};
  sim::PhoneEntry a = Entry("+79161234501", Ru("Иван Петров"), 3);
  a.category = 3;
  a.icon = 7;
  sim::PhoneEntry b = Entry("ola@x.ru", "Olga", 6);
  b.category = 1;
  b.attr6 = 1;
  sim::PhoneEntry c = Entry("112", Ru("Скорая"), 0);
  st.entries = {{3, a}, {17, b}, {41, c}};
  return st;
}

TEST(Read, GroupedHandsetRecordsRowsGroupsAndColumns) {
  Handset h("C350", GroupedBook());
  int busy = 0, idle = 0;
  h.section.SetControlsEnabled = [&](bool enabled) { ++(enabled ? idle : busy); };
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(h.sent(),
            Concat(Concat(ReadPrologue(), {"AT +MPGR=?", "AT +MPGR=1", "AT +MPGR=2", "AT +MPGR=3"}),
                   Chunks(50)));
  EXPECT_EQ(busy, 1);
  EXPECT_EQ(idle, 1);
  auto& s = h.section;
  EXPECT_EQ(s.GroupNames, (V{"General", "", Ru("Семья")}));
  EXPECT_EQ((std::vector<int>{s.PhoneFirst, s.PhoneLast, s.SimFirst, s.SimLast}),
            (std::vector<int>{1, 40, 41, 50}));
  ASSERT_EQ(s.Records.size(), 50u);
  // Entries 3 and 17 arrived in slots 1 and 2 of their chunk and sit at their own now.
  EXPECT_EQ(s.Records[2].Name, Ru("Иван Петров"));
  EXPECT_EQ(s.Records[2].Index, 3);
  EXPECT_EQ(s.Records[2].IconId, 7);
  EXPECT_EQ(s.Records[16].Number, "ola@x.ru");
  EXPECT_EQ(s.Records[16].NumberFormat, 128);
  EXPECT_EQ(s.Records[40].OnSim, 1);
  EXPECT_EQ(s.Records[40].NumberType, 8);
  EXPECT_EQ(s.Records[16].OnSim, 0);
  for (int k : {0, 1, 3, 15, 17, 29, 30, 39, 41, 49}) EXPECT_EQ(s.Records[k], FreeSlot(k + 1)) << k;

  ASSERT_EQ(s.ListView1.columns.size(), 7u);
  EXPECT_EQ(s.ListView1.columns[5].caption, Ru("Иконка"));
  ASSERT_EQ(s.ListView1.rows.size(), 3u);
  EXPECT_EQ(Texts(s.ListView1.rows[0]), (V{"3", Ru("Иван Петров"), "+79161234501", Ru("Мобильный"),
                                           Ru("По умолчанию"), Ru("семья"), Ru("Семья")}));
  EXPECT_EQ(Texts(s.ListView1.rows[1]),
            (V{"17", "Olga", "ola@x.ru", "E-Mail", Ru("По умолчанию"), Ru("нет"), "General"}));
  EXPECT_EQ(Texts(s.ListView1.rows[2]),
            (V{"41", Ru("Скорая"), "112", "SIM", Ru("По умолчанию"), Ru("нет"), ""}));
  EXPECT_EQ(s.ListView1.rows[0].subItems[4].image, 16);
  EXPECT_EQ(s.ListView1.rows[1].subItems[4].image, kNoImage);
  // Attr6 = 1 is drawn blue with image 39; the others black without icon.
  EXPECT_EQ(s.ListView1.rows[1].textColor, kHighlightColor);
  EXPECT_EQ(s.ListView1.rows[1].image, kHighlightImage);
  EXPECT_EQ(s.ListView1.rows[0].textColor, 0u);
  EXPECT_EQ(s.ListView1.rows[0].image, kNoImage);
  EXPECT_EQ(s.pbFullRecord.Position, 3);
  EXPECT_TRUE(s.sbAddRecord.enabled);
}

TEST(Read, GroupedTextHandsetKeepsTheIconText) {
  sim::HandsetState st = Book(25, 5, {});
  sim::PhoneEntry e = Entry("+1", "Pic", 1);
  e.iconText = "Pic01";
  e.category = 2;
  st.entries = {{2, e}};
  st.groups = {{"A", 255}, {"B", 255}};
  Handset h("C550", st);
  h.section.sbReadAllClick(h.app());
  ASSERT_EQ(h.section.ListView1.rows.size(), 1u);
  EXPECT_EQ(Texts(h.section.ListView1.rows[0]),
            (V{"2", "Pic", "+1", Ru("Домашний"), Ru("По умолчанию"), "Pic01", "B"}));
  EXPECT_EQ(h.section.Records[1].IconText, "Pic01");
}

TEST(Read, ClassicAfterGroupedKeepsTheColumnsEmpty) {
  Handset grouped("C350", GroupedBook());
  PhoneBookSection& s = grouped.section;
  s.sbReadAllClick(grouped.app());
  ASSERT_EQ(s.ListView1.columns.size(), 7u);
  // The same section reads a Classic handset next.
  sim::HandsetState classic = Book(10, 2, {{1, Entry("+1", "A", 7)}, {2, Entry("+2", "B", 3)}});
  Handset other("V60", classic);
  s.sbReadAllClick(other.app());
  EXPECT_EQ(s.ListView1.columns.size(), 7u);
  ASSERT_EQ(s.ListView1.rows.size(), 2u);
  // A V60 has no text for code 7: the alert moves into the type column.
  EXPECT_EQ(Texts(s.ListView1.rows[0]), (V{"1", "A", "+1", Ru("По умолчанию")}));
  EXPECT_EQ(Texts(s.ListView1.rows[1]), (V{"2", "B", "+2", Ru("Мобильный"), Ru("По умолчанию")}));
  EXPECT_EQ(s.GroupNames, (V{"General", "", Ru("Семья")})) << "kept from the earlier read";
}

// What a read left against what the same read on a handset without the quirk left.
void ExpectTheSameRead(const PhoneBookSection& got, const PhoneBookSection& plain,
                       std::size_t rows) {
  EXPECT_EQ(got.Records, plain.Records);
  EXPECT_EQ(got.GroupNames, plain.GroupNames);
  ASSERT_EQ(got.ListView1.rows.size(), rows);
  ASSERT_EQ(plain.ListView1.rows.size(), rows);
  for (std::size_t k = 0; k < rows; ++k)
    EXPECT_EQ(Texts(got.ListView1.rows[k]), Texts(plain.ListView1.rows[k])) << k;
}

// A handset that sends 25 fields a line and a long range reply reads as one that sends its
// family's own layout.
class LongEntryLines : public ::testing::TestWithParam<const char*> {};

TEST_P(LongEntryLines, ReadAsTheFamilysOwnLayout) {
  sim::HandsetState st = GroupedBook();
  st.entries[3].attr8 = 70;
  st.entries[17].iconText = "Pic01";
  Handset own(GetParam(), st);
  own.section.sbReadAllClick(own.app());
  Handset longer(GetParam(), st, [](sim::SimOptions& o) { o.longEntryLines = true; });
  longer.section.sbReadAllClick(longer.app());
  EXPECT_EQ(longer.sent(), own.sent());
  EXPECT_TRUE(longer.ui.boxes.empty());
  ASSERT_EQ(longer.section.Records.size(), 50u);
  EXPECT_EQ(longer.section.Records[2].Attr8, 70);
  ExpectTheSameRead(longer.section, own.section, 3);
}

INSTANTIATE_TEST_SUITE_P(Families, LongEntryLines,
                         ::testing::Values("V60", "C350", "C450", "E398"));

// The lines a real handset sent, each in a chunk of its own, through the whole read; the
// families differ only in the group columns they add.
struct RealLinesCase {
  const char* model;
  V groupCells;
};

class RealLines : public ::testing::TestWithParam<RealLinesCase> {};

TEST_P(RealLines, ReadInEveryFamily) {
  const RealLinesCase& c = GetParam();
  sim::HandsetState st = Book(260, 10, {});
  st.groups = {{"General", 255}, {"Work", 255}};
  Handset h(c.model, st, [](sim::SimOptions& o) {
    o.longEntryLines = true;
    o.answers = {{"AT+MPBR=181,210", kLong181}, {"AT+MPBR=241,270", kLong253}};
  });
  h.section.sbReadAllClick(h.app());
  ASSERT_EQ(h.section.ListView1.rows.size(), 2u);
  EXPECT_EQ(
      Texts(h.section.ListView1.rows[0]),
      Concat({"181", "DDUfDUfwD", "0800886600", Ru("Рабочий"), Ru("По умолчанию")}, c.groupCells));
  EXPECT_EQ(Texts(h.section.ListView1.rows[1]),
            Concat({"253", "Wegleitner Sabine Mensa", "069912158732", Ru("Мобильный"),
                    Ru("По умолчанию")},
                   c.groupCells));
  EXPECT_EQ(h.section.Records[180].AlertId, 255);
  EXPECT_EQ(h.section.Records[180].Attr8, 70);
  EXPECT_EQ(h.section.Records[252].Number, "069912158732");
  EXPECT_EQ(h.section.pbFullRecord.Position, 2);
}

INSTANTIATE_TEST_SUITE_P(Families, RealLines,
                         ::testing::Values(RealLinesCase{"V60", {}}, RealLinesCase{"C650", {}},
                                           RealLinesCase{"C330", {Ru("нет"), "General"}},
                                           RealLinesCase{"C550", {"", "General"}}),
                         [](const auto& info) { return std::string(info.param.model); });

TEST(Read, T720ShowsItsCodeSevenAsSim) {
  Handset h("T720", Book(5, 2, {{6, Entry("+5", "S", 3)}}));
  h.section.sbReadAllClick(h.app());
  ASSERT_EQ(h.section.ListView1.rows.size(), 1u);
  EXPECT_EQ(Texts(h.section.ListView1.rows[0]), (V{"6", "S", "+5", "SIM", Ru("По умолчанию")}));
  EXPECT_EQ(h.section.ListView1.columns.size(), 5u);
}

TEST(Read, ARefusedChunkLeavesFreeSlotsAndTheReadGoesOn) {
  Handset h("V66",
            Book(60, 5, {{5, Entry("+5", "A")}, {40, Entry("+40", "B")}, {62, Entry("+62", "C")}}),
            [](sim::SimOptions& o) { o.errorOn = {"AT+MPBR=31,60"}; });
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(h.sent(), Concat(ReadPrologue(), Chunks(65)));
  const auto& r = h.section.Records;
  ASSERT_EQ(r.size(), 65u);
  EXPECT_EQ(r[4].Name, "A");
  EXPECT_EQ(r[39], FreeSlot(40));
  EXPECT_EQ(r[61].Name, "C");
  ASSERT_EQ(h.section.ListView1.rows.size(), 2u);
  EXPECT_TRUE(h.ui.boxes.empty());
}

TEST(Read, TwoReadsGiveTheSameRecordsAlsoAfterAnEraseInBetween) {
  Handset h("C350", GroupedBook());
  h.section.sbReadAllClick(h.app());
  const auto first = h.section.Records;
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(h.section.Records, first);
  {
    TBlockSerial port;
    port.RaiseOnError = true;
    port.OpenPort(h.phone().slavePath());
    port.RunAtCommand("AT+CPBS=AD");
    port.RunAtCommand("AT+MPBW=17");
  }
  h.section.sbReadAllClick(h.app());
  std::vector<TAbonentInfo> expected = first;
  expected[16] = FreeSlot(17);
  EXPECT_EQ(h.section.Records, expected);
  EXPECT_EQ(h.section.ListView1.rows.size(), 2u);
}

TEST(Read, RecordsReplacedIsToldOnce) {
  Handset h("C330", GroupedBook());
  int told = 0;
  h.section.RecordsReplaced = [&] { ++told; };
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(told, 1);
}

TEST(Read, RefusedStorageOrCharacterSet) {
  {
    Handset h("V70", Book(5, 5, {}), [](sim::SimOptions& o) { o.errorOn = {"AT+CPBS=MT"}; });
    h.section.sbReadAllClick(h.app());
    EXPECT_EQ(
        h.ui.boxes,
        (std::vector<Box>{{Ru("Нет доступа а справочнику."), MsgKind::Error, MsgButtons::Ok}}));
    EXPECT_EQ(h.sent().back(), "AT+CPBS=MT");
  }
  {
    Handset h("V70", Book(5, 5, {{1, Entry("+1", "A")}}),
              [](sim::SimOptions& o) { o.errorOn = {"AT+CSCS"}; });
    h.section.ListView1.add("old");
    h.section.sbReadAllClick(h.app());
    EXPECT_TRUE(h.ui.boxes.empty());
    EXPECT_EQ(h.sent().back(), "AT+CSCS=UCS2");
    ASSERT_EQ(h.section.ListView1.rows.size(), 1u) << "the list is left as it was";
    EXPECT_EQ(h.section.ListView1.rows[0].caption, "old");
  }
}

TEST(Read, ARangeBeyondAnyHandsetIsRefusedBeforeTheTablesAreSized) {
  for (const std::string& last :
       {std::to_string(kMaxPhoneBookIndex + 1), std::string("2000000000")}) {
    Handset h("V60", Book(20, 10, {}), [&](sim::SimOptions& o) {
      o.answers = {{"AT+MPBR=?", "+MPBR: 1-" + last + ",40,24,7,0"}};
    });
    h.section.sbReadAllClick(h.app());
    const V prologue = ReadPrologue();
    EXPECT_EQ(h.sent(), V(prologue.begin(), prologue.begin() + 7)) << last;
    EXPECT_EQ(h.ui.boxes, (std::vector<Box>{{Ru("Невозможно получить информацию о записях."),
                                             MsgKind::Error, MsgButtons::Ok}}))
        << last;
    EXPECT_TRUE(h.section.Records.empty());
  }
}

TEST(Read, AModelOfNoFamilyIsReadAsClassic) {
  Handset h("E398", GroupedBook());
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(h.sent(), Concat(ReadPrologue(), Chunks(50)));
  EXPECT_EQ(h.section.ListView1.columns.size(), 5u);
  ASSERT_EQ(h.section.ListView1.rows.size(), 3u);
  // Code 8 of the SIM entry has no text here either.
  EXPECT_EQ(Texts(h.section.ListView1.rows[2]), (V{"41", Ru("Скорая"), "112", Ru("По умолчанию")}));
  EXPECT_EQ(h.section.Records[2].Attr12, 255);
}

TEST(Read, AMalformedReplyEndsTheReadWithTheConversionError) {
  Handset h("V60", Book(10, 0, {}), [](sim::SimOptions& o) { o.errorOn = {"AT+MPBR=?"}; });
  try {
    h.section.sbReadAllClick(h.app());
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'' is not a valid integer value");
  }
  // The refusal of the first book command tries the switch, which this handset refuses.
  EXPECT_EQ(h.sent(), (V{"AT+CGMM", "AT +CPBS=ME", "AT+MPBR=?", "AT+MODE=2", "AT+MODE=0"}));
}

TEST(Read, AHandsetThatNeedsMode2IsSwitchedAndReadAsAny) {
  PhoneBookSection plain;
  {
    Handset once("C350", GroupedBook());
    once.section.sbReadAllClick(once.app());
    plain = once.section;
  }
  Handset h("C350", GroupedBook(), [](sim::SimOptions& o) { o.needsMode2 = true; });
  h.section.sbReadAllClick(h.app());
  EXPECT_EQ(h.sent(), (V{"AT+CGMM", "AT +CPBS=ME", "AT+MPBR=?", "AT+MODE=2", "AT+MPBR=?",
                         "AT +CPBS=SM", "AT+MPBR=?", "AT+CPBS=MT", "AT+MPBR=?", "AT+CPBS=MT",
                         "AT+CSCS=UCS2", "AT +MPGR=?", "AT +MPGR=1", "AT +MPGR=2", "AT +MPGR=3",
                         "AT+MPBR=1,30", "AT+MPBR=31,50", "AT+MODE=0"}));
  ExpectTheSameRead(h.section, plain, 3);
  EXPECT_TRUE(h.ui.boxes.empty());
}

// A read that fails part-way leaves the busy state and keeps the rows so far; on a handset
// that needs AT+MODE=2 the switch back goes last, unless the handset is gone.
TEST(Read, AFailureLeavesTheBusyStateAndKeepsTheRowsSoFar) {
  const V upToChunks = Concat(ReadPrologue(), {"AT+MPBR=1,30", "AT+MPBR=31,60"});
  const V switched = Switched(upToChunks);
  struct Case {
    const char* name;
    std::function<void(sim::SimOptions&)> fault;
    V sent;
  };
  const Case cases[] = {
      // Answers the prologue and the first chunk, then hangs up in the second.
      {"hung up in the second chunk", [](sim::SimOptions& o) { o.hangupAfter = 10; }, upToChunks},
      // 12 answers: the prologue with the switch and the first chunk.
      {"mode 2, silent in the second chunk",
       [](sim::SimOptions& o) {
         o.needsMode2 = true;
         o.silentAfter = 12;
       },
       switched},
      {"mode 2, hung up in the second chunk",
       [](sim::SimOptions& o) {
         o.needsMode2 = true;
         o.hangupAfter = 12;
       },
       V(switched.begin(), switched.end() - 1)},
  };
  for (const Case& c : cases) {
    Handset h("V60", Book(60, 0, {{2, Entry("+2", "A")}, {35, Entry("+35", "B")}}), c.fault);
    std::vector<bool> busy;
    h.section.SetControlsEnabled = [&](bool enabled) { busy.push_back(enabled); };
    EXPECT_THROW(h.section.sbReadAllClick(h.app()), ESynaSerError) << c.name;
    EXPECT_EQ(h.sent(), c.sent) << c.name;
    EXPECT_EQ(busy, (std::vector<bool>{false, true})) << c.name;
    EXPECT_EQ(h.section.pbReadAllRecords.Position, 0) << c.name;
    ASSERT_EQ(h.section.ListView1.rows.size(), 1u) << c.name;
    // Not re-sorted: the entry of index 2 is where it arrived, in slot 1.
    EXPECT_EQ(h.section.Records[0].Index, 2) << c.name;
    EXPECT_EQ(h.section.Records[1], TAbonentInfo{}) << c.name;
    EXPECT_FALSE(h.section.LastReadComplete) << c.name;
  }
}

TEST(Read, ClearRemovesTheRowsOnly) {
  Handset h("C350", GroupedBook());
  h.section.sbReadAllClick(h.app());
  const auto records = h.section.Records;
  h.section.SpeedButton3Click();
  EXPECT_TRUE(h.section.ListView1.rows.empty());
  EXPECT_EQ(h.section.pbFullRecord.Position, 0);
  EXPECT_FALSE(h.section.sbAddRecord.enabled);
  EXPECT_EQ(h.section.Records, records);
  EXPECT_TRUE(h.sent().size() > 0);
}

TEST(Read, PopupEnablesItsItemsOnSelectedRows) {
  Handset h("C350", GroupedBook());
  PhoneBookSection& s = h.section;
  s.PopupMenu1Popup();
  EXPECT_FALSE(s.N2.enabled || s.pmDelete.enabled || s.pmSaveBook.enabled);
  s.sbReadAllClick(h.app());
  s.PopupMenu1Popup();
  EXPECT_FALSE(s.N2.enabled || s.pmDelete.enabled || s.pmSaveBook.enabled);
  s.ListView1.rows[2].selected = true;
  s.PopupMenu1Popup();
  EXPECT_TRUE(s.N2.enabled && s.pmDelete.enabled && s.pmSaveBook.enabled);
}

TEST(Read, DrawingNeedsARecord) {
  PhoneBookSection s;
  s.Records = {FreeSlot(1)};
  s.Records[0].Attr6 = 1;
  ListRow row;
  for (const char* caption : {"x", "0", "2", ""}) {
    row.caption = caption;
    EXPECT_EQ(s.ListView1CustomDrawItem(row).color, 0u) << caption;
    EXPECT_EQ(s.ListView1CustomDrawItem(row).image, kNoImage) << caption;
  }
  row.caption = "1";
  EXPECT_EQ(s.ListView1CustomDrawItem(row).color, kHighlightColor);
  EXPECT_EQ(s.ListView1CustomDrawItem(row).image, kHighlightImage);
}

}  // namespace
}  // namespace quorvex::phonebook
