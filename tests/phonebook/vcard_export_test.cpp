// vCard export: the exact files the demo handset's phone book gives in 2.1 and 3.0, and the
// line layout (escaping, folding, quoted-printable) and the number type table on their own.
//
// QUORVEX_UPDATE_GOLDEN=1 rewrites the golden files from what the export produces; read the
// difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "codec/cp1251.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/vcard.h"
#include "phonebook/vcard_parse.h"
#include "phonebook_fixture.h"

namespace quorvex::phonebook {
namespace {

using testing::Book;
using testing::Entry;
using testing::Handset;
namespace fs = std::filesystem;

fs::path Golden(const std::string& name) {
  return fs::path(QUORVEX_VCARD_DIR) / name;
}

void ExpectGolden(const std::string& produced, const std::string& name) {
  if (std::getenv("QUORVEX_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(Golden(name), std::ios::binary) << produced;
    GTEST_SKIP() << "rewrote " << name;
  }
  EXPECT_EQ(produced, ReadTextFile(Golden(name).string())) << name;
}

struct GoldenCase {
  std::string model;
  VCardVersion version;
  std::string file;
};

class DemoExport : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(DemoExport, MatchesTheGoldenFile) {
  const GoldenCase& c = GetParam();
  Handset h(c.model, sim::DemoState());
  h.section.sbReadAllClick(h.app());
  ASSERT_TRUE(h.ui.errors.empty());
  h.sent();
  const fs::path out = h.dir() / "book.vcf";
  h.ui.saves = {out.string()};
  ExportVCardClick(h.section, h.app(), c.version);
  EXPECT_EQ(h.sent(), std::vector<std::string>{"AT+CGMM"});
  EXPECT_EQ(h.ui.saveFilters, std::vector<std::string>{kVCardFilter});
  EXPECT_TRUE(h.ui.boxes.empty());
  EXPECT_FALSE(fs::exists(out.string() + ".tmp"));
  ExpectGolden(ReadTextFile(out.string()), c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Families, DemoExport,
    ::testing::Values(GoldenCase{"C350", VCardVersion::V30, "demo_c350_30.vcf"},
                      GoldenCase{"C350", VCardVersion::V21, "demo_c350_21.vcf"},
                      GoldenCase{"T720", VCardVersion::V30, "demo_t720_30.vcf"}),
    [](const auto& info) {
      std::string n = info.param.file.substr(0, info.param.file.find('.'));
      return n;
    });

TEST(VCardExport, EntriesOfTheSameNameStaySeparateCards) {
  std::vector<TAbonentInfo> records(3);
  for (int k = 0; k < 3; ++k) {
    records[k].Index = k + 1;
    records[k].Name = "Anna";
    records[k].Number = "+7" + std::to_string(k);
    records[k].NumberType = static_cast<std::uint8_t>(k);
  }
  const std::string text = FormatVCards(records, {}, Family::Grouped, VCardVersion::V30);
  std::size_t cards = 0;
  for (std::size_t at = 0; (at = text.find("BEGIN:VCARD\r\n", at)) != std::string::npos; ++at)
    ++cards;
  EXPECT_EQ(cards, 3u);
  EXPECT_NE(text.find("TEL;TYPE=WORK,VOICE:+70\r\n"), std::string::npos);
  EXPECT_NE(text.find("TEL;TYPE=HOME,VOICE:+71\r\n"), std::string::npos);
  EXPECT_NE(text.find("TEL;TYPE=PREF,VOICE:+72\r\n"), std::string::npos);
}

// The UID lines of an export, in card order.
std::vector<std::string> Uids(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; (at = text.find("\r\nUID:", at)) != std::string::npos; ++at)
    out.push_back(text.substr(at + 6, text.find("\r\n", at + 2) - at - 6));
  return out;
}

TEST(VCardExport, EveryCardCarriesAUidThatFollowsTheEntry) {
  const auto entry = [](int index, const std::string& name, const std::string& number) {
    TAbonentInfo r;
    r.Index = index;
    r.OnSim = index > 500 ? 1 : 0;
    r.Name = name;
    r.Number = number;
    r.NumberType = 3;
    return r;
  };
  // Two copies in the phone memory and one on the SIM stay three cards.
  const std::vector<TAbonentInfo> book = {entry(1, "Anna", "+1"), entry(2, "Anna", "+1"),
                                          entry(3, "Boris", "+2"), entry(501, "Anna", "+1")};
  const std::vector<std::string> uids =
      Uids(FormatVCards(book, {}, Family::Grouped, VCardVersion::V30));
  ASSERT_EQ(uids.size(), 4u);
  EXPECT_EQ(Uids(FormatVCards(book, {}, Family::Grouped, VCardVersion::V21)), uids);
  EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), 4u);
  for (const std::string& uid : uids) {
    ASSERT_EQ(uid.size(), 36u) << uid;
    EXPECT_EQ(uid.find_first_not_of("0123456789abcdef-"), std::string::npos) << uid;
    EXPECT_EQ(uid[14], '5') << uid;
    EXPECT_NE(std::string("89ab").find(uid[19]), std::string::npos) << uid;
  }
  struct Case {
    const char* what;
    TAbonentInfo boris;
    bool same;
  };
  TAbonentInfo retyped = entry(3, "Boris", "+2");
  retyped.NumberType = 1;
  retyped.Category = 2;
  const Case cases[] = {
      {"moved to another index", entry(9, "Boris", "+2"), true},
      {"another type and group", retyped, true},
      {"another number", entry(3, "Boris", "+3"), false},
      {"another name", entry(3, "Borya", "+2"), false},
      {"moved to the SIM", entry(502, "Boris", "+2"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Alone in the export, the other entries gone.
    const auto alone = Uids(FormatVCards({c.boris}, {}, Family::Grouped, VCardVersion::V30));
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0] == uids[2], c.same);
  }
}

TEST(VCardExport, FreeSlotsAndUnreadSlotsGiveNoCard) {
  std::vector<TAbonentInfo> records = {FreeSlot(1), TAbonentInfo{}};
  records[1].Name = "never read";
  EXPECT_EQ(FormatVCards(records, {}, Family::Classic, VCardVersion::V30), "");
}

TEST(VCardExport, AnEmptyListIsToldAndWritesNoFile) {
  Handset h("C350", Book(10, 5, {}));
  const fs::path out = h.dir() / "book.vcf";
  h.ui.saves = {out.string()};
  ExportVCardClick(h.section, h.app(), VCardVersion::V30);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Information);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_FALSE(fs::exists(out));
}

TEST(VCardExport, AFileThatCannotBeWrittenRaisesAndLeavesNothing) {
  Handset h("C350", Book(10, 5, {{1, Entry("+1", "A")}}));
  h.section.sbReadAllClick(h.app());
  const fs::path out = h.dir() / "no-such-dir" / "book.vcf";
  h.ui.saves = {out.string()};
  EXPECT_THROW(ExportVCardClick(h.section, h.app(), VCardVersion::V30), EInOutError);
  EXPECT_FALSE(fs::exists(out.parent_path()));
}

TEST(VCardExport, GroupsWithoutANameGiveNoCategories) {
  TAbonentInfo r;
  r.Index = 1;
  r.Name = "A";
  r.Number = "1";
  r.Category = 2;
  EXPECT_EQ(FormatVCards({r}, {"G1", ""}, Family::Grouped, VCardVersion::V30).find("CATEGORIES"),
            std::string::npos);
  r.Category = 9;  // beyond the names read
  EXPECT_EQ(FormatVCards({r}, {"G1", ""}, Family::Grouped, VCardVersion::V30).find("CATEGORIES"),
            std::string::npos);
  r.Category = 1;
  EXPECT_NE(FormatVCards({r}, {"G,1", ""}, Family::Grouped, VCardVersion::V30)
                .find("CATEGORIES:G\\,1\r\n"),
            std::string::npos);
}

struct EscapeCase {
  std::string in, out30, out21, listed21;
};

TEST(VCardExport, EscapesTheSpecialsOfEachVersion) {
  const EscapeCase cases[] = {
      {"plain", "plain", "plain", "plain"},
      {"a,b;c\\d", "a\\,b\\;c\\\\d", "a,b\\;c\\\\d", "a\\,b\\;c\\\\d"},
      {"one\r\ntwo\nthree\rfour", "one\\ntwo\\nthree\\nfour", "one\r\ntwo\nthree\rfour",
       "one\r\ntwo\nthree\rfour"},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeText30(c.in), c.out30) << c.in;
    EXPECT_EQ(EscapeText21(c.in, false), c.out21) << c.in;
    EXPECT_EQ(EscapeText21(c.in, true), c.listed21) << c.in;
  }
}

// The cards without the lines of one property: its folded and its quoted-printable
// continuations go with it (no name of these tests ends in "=").
std::string Without(const std::string& cards, const std::string& property) {
  std::string out;
  bool dropping = false, softBreak = false;
  for (std::size_t at = 0; at < cards.size();) {
    const std::size_t end = cards.find("\r\n", at) + 2;
    const std::string line = cards.substr(at, end - at);
    if (line[0] != ' ' && !softBreak)
      dropping = line.rfind(property + ":", 0) == 0 || line.rfind(property + ";", 0) == 0;
    softBreak = line.size() >= 3 && line[line.size() - 3] == '=';
    if (!dropping) out += line;
    at = end;
  }
  return out;
}

// Names and group names with the separators of vCard read back as themselves from FN and,
// with FN gone, from N: other readers take either.
TEST(VCardExport, NamesWithSeparatorsReadBackAsThemselves) {
  const std::string names[] = {"Smith, John; Jr\\x",
                               "a\\nb",
                               "\\",
                               ";;",
                               ",",
                               "tail\\",
                               Ru("Иван; Петров, мл."),
                               "Long, " + std::string(70, 'x') + ";end"};
  for (const VCardVersion version : {VCardVersion::V21, VCardVersion::V30}) {
    for (const std::string& name : names) {
      SCOPED_TRACE(name);
      TAbonentInfo r;
      r.Index = 1;
      r.Name = name;
      r.Number = "+1";
      r.Category = 1;
      const std::string text = FormatVCards({r}, {name}, Family::Grouped, version);
      const std::string utf8 = Cp1251ToUtf8(name);
      const auto cards = ParseVCards(text);
      ASSERT_EQ(cards.size(), 1u);
      EXPECT_EQ(cards[0].name, utf8) << text;
      EXPECT_EQ(cards[0].categories, std::vector<std::string>{utf8}) << text;
      const auto fromN = ParseVCards(Without(text, "FN"));
      ASSERT_EQ(fromN.size(), 1u);
      EXPECT_EQ(fromN[0].name, utf8) << Without(text, "FN");
    }
  }
  // What a 2.1 reader splitting the given names at a bare comma would see whole.
  TAbonentInfo r;
  r.Index = 1;
  r.Name = "Smith, John; Jr\\x";
  r.Number = "+1";
  const std::string text = FormatVCards({r}, {}, Family::Classic, VCardVersion::V21);
  EXPECT_NE(text.find("\r\nN:;Smith\\, John\\; Jr\\\\x;;;\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nFN:Smith, John\\; Jr\\\\x\r\n"), std::string::npos) << text;
}

// Every physical line of a folded text: at most 75 octets, no UTF-8 sequence cut, and
// unfolding (dropping CR LF and the one blank after it) gives the line back.
void ExpectFolded(const std::string& line) {
  const std::string folded = FoldLine30(line);
  ASSERT_GE(folded.size(), 2u);
  ASSERT_EQ(folded.substr(folded.size() - 2), "\r\n");
  std::string unfolded;
  std::size_t start = 0;
  bool first = true;
  while (start < folded.size()) {
    const std::size_t end = folded.find("\r\n", start);
    std::string physical = folded.substr(start, end - start);
    EXPECT_LE(physical.size(), 75u) << line;
    if (!first) {
      ASSERT_FALSE(physical.empty());
      EXPECT_EQ(physical[0], ' ');
      physical.erase(0, 1);
    }
    // A continuation never starts inside a UTF-8 sequence.
    if (!physical.empty()) {
      EXPECT_NE(static_cast<unsigned char>(physical[0]) & 0xC0, 0x80);
    }
    unfolded += physical;
    first = false;
    start = end + 2;
  }
  EXPECT_EQ(unfolded, line);
}

TEST(VCardExport, FoldsAtSeventyFiveOctets) {
  EXPECT_EQ(FoldLine30(std::string(75, 'a')), std::string(75, 'a') + "\r\n");
  EXPECT_EQ(FoldLine30(std::string(76, 'a')), std::string(75, 'a') + "\r\n a\r\n");
  std::string cyrillic = "FN:";
  for (int k = 0; k < 60; ++k) cyrillic += "\xD0\x96";  // Ж, two octets
  for (const std::string& line :
       {std::string(300, 'x'), cyrillic,
        std::string("N:") + std::string(72, 'a') + "\xE2\x98\x8E" + "tail"})
    ExpectFolded(line);
}

// The value a quoted-printable property holds, soft line breaks and escapes undone.
std::string DecodeQp(const std::string& line) {
  const std::string value = line.substr(line.find(':') + 1);
  std::string out;
  for (std::size_t k = 0; k < value.size(); ++k) {
    if (value[k] != '=') {
      if (value[k] != '\r' && value[k] != '\n') out += value[k];
      continue;
    }
    if (value.compare(k + 1, 2, "\r\n") == 0) {
      k += 2;
      continue;
    }
    out += static_cast<char>(std::stoi(value.substr(k + 1, 2), nullptr, 16));
    k += 2;
  }
  return out;
}

TEST(VCardExport, QuotedPrintableKeepsLinesShortAndTheValueExact) {
  const std::string values[] = {"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "a=b", "ends with a blank ",
                                std::string(200, 'z'), std::string(40, '\xD0') + "x"};
  for (const std::string& v : values) {
    const std::string line = QuotedPrintableLine("FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE", v);
    EXPECT_EQ(DecodeQp(line), v);
    std::size_t start = 0;
    while (start < line.size()) {
      const std::size_t end = line.find("\r\n", start);
      EXPECT_LE(end - start, 75u);
      // A blank before a line end would be eaten by a reader that trims lines.
      if (end > start) {
        EXPECT_NE(line[end - 1], ' ');
      }
      // A soft break never falls inside a character: the next line starts with a new one.
      if (start > 0 && line.compare(start, 1, "=") == 0) {
        const int octet = std::stoi(line.substr(start + 1, 2), nullptr, 16);
        EXPECT_NE(octet & 0xC0, 0x80) << line;
      }
      start = end + 2;
    }
  }
  EXPECT_EQ(QuotedPrintableLine("FN", "a=b"), "FN:a=3Db\r\n");
}

TEST(VCardTypes, EveryHandsetTypeReadsBackAsItself) {
  struct Case {
    Family family;
    std::vector<std::uint8_t> codes;
  };
  const Case cases[] = {{Family::Classic, {0, 1, 2, 3, 4, 5}},
                        {Family::Grouped, {0, 1, 2, 3, 4, 5, 7}},
                        {Family::GroupedText, {0, 1, 2, 3, 4, 5, 7}}};
  for (const Case& c : cases) {
    for (const std::uint8_t code : c.codes) {
      TAbonentInfo r;
      r.NumberType = code;
      std::set<std::string> types;
      for (std::string_view t : TelTypesFor(r, c.family)) types.insert(std::string(t));
      EXPECT_FALSE(types.empty()) << int(code);
      EXPECT_EQ(NumberTypeFromTel(types, c.family), code) << int(code);
    }
  }
}

TEST(VCardTypes, CommonTypeSetsOfOtherAddressBooks) {
  struct Case {
    std::set<std::string> types;
    std::uint8_t code;
  };
  const Case cases[] = {
      {{}, 2},
      {{"VOICE"}, 2},
      {{"WORK", "FAX"}, 4},
      {{"HOME", "CELL"}, 3},
      {{"CELL", "PREF"}, 3},
      {{"MOBILE"}, 3},
      {{"HOME", "VOICE"}, 1},
      {{"PAGER", "WORK"}, 5},
      {{"MAIN"}, 2},
      {{"X-LIST"}, 7},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberTypeFromTel(c.types, Family::Grouped), c.code);
  // A distribution list is not a type of the Classic handsets: the main number stands in.
  EXPECT_EQ(NumberTypeFromTel({"X-LIST"}, Family::Classic), 2);
}

TEST(VCardTypes, SimEntriesCarryTheirMemoryNotTheirCode) {
  TAbonentInfo sim;
  sim.Index = 501;
  sim.OnSim = 1;
  sim.Name = "S";
  sim.Number = "+1";
  sim.NumberType = 8;
  const std::string text = FormatVCards({sim}, {}, Family::Grouped, VCardVersion::V30);
  EXPECT_NE(text.find("TEL;TYPE=VOICE:+1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("X-QUORVEX-STORAGE:SIM\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace quorvex::phonebook
