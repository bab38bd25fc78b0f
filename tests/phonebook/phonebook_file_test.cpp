// The phone book file: its lines, how they read back, and the whole-file helpers.
#include "phonebook/phonebook_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "codec/errors.h"
#include "phonebook_fixture.h"

namespace quorvex::phonebook {
namespace {

TAbonentInfo Classic(std::int32_t index, std::string name, std::string number,
                     std::uint8_t onSim = 0) {
  TAbonentInfo r;
  r.OnSim = onSim;
  r.Index = index;
  r.Name = std::move(name);
  r.Number = std::move(number);
  r.NumberFormat = 145;
  r.NumberType = 3;
  r.AlertId = 255;
  r.Attr9 = 1;
  r.Attr12 = 255;
  return r;
}

TEST(FileLines, PhoneAndSimLines) {
  EXPECT_EQ(FormatPhoneLine(Classic(5, Ru("Иван"), "+700"), 1),
            Ru("PHONE;5;Иван;+700;3;0;255;0;1;0;0;255;0"));
  TAbonentInfo r = Classic(3, "A", "1");
  r.AlertId = -2;
  r.IconId = 14;
  r.Category = 200;
  EXPECT_EQ(FormatPhoneLine(r, 10), "PHONE;12;A;1;3;0;-2;0;1;200;14;255;0");
  EXPECT_EQ(FormatSimLine(Classic(503, "S", "+7;1", 1), 501), "SIM;3;S;+7;1");
}

TEST(FileLines, TheFileLeavesOutFreeAndUnreadSlots) {
  std::vector<TAbonentInfo> records = {Classic(1, "A", "+1"), FreeSlot(2), Classic(3, "B", "2"),
                                       TAbonentInfo{}, Classic(5, "C;D", "3", 1)};
  EXPECT_EQ(FormatPhoneBookFile(records, 1, 5),
            "PHONE;1;A;+1;3;0;255;0;1;0;0;255;0\r\n"
            "PHONE;3;B;2;3;0;255;0;1;0;0;255;0\r\n"
            "SIM;1;C;D;3\r\n");
  EXPECT_EQ(FormatPhoneBookFile({}, 1, 1), "");
}

struct ParseCase {
  const char* name;
  std::string line;
  Family family;
  std::int64_t slot;
  TAbonentInfo want;
};

TAbonentInfo Loaded(std::uint8_t onSim, std::int32_t index, std::string name, std::string number,
                    std::uint8_t format, std::uint8_t type, std::uint8_t attr6, std::int32_t alert,
                    std::uint8_t attr8, std::uint8_t attr9, std::uint8_t category,
                    std::int32_t icon, std::uint8_t attr12, std::uint8_t attr13) {
  TAbonentInfo r;
  r.OnSim = onSim;
  r.Index = index;
  r.Name = std::move(name);
  r.Number = std::move(number);
  r.NumberFormat = format;
  r.NumberType = type;
  r.Attr6 = attr6;
  r.AlertId = alert;
  r.Attr8 = attr8;
  r.Attr9 = attr9;
  r.Category = category;
  r.IconId = icon;
  r.Attr12 = attr12;
  r.Attr13 = attr13;
  return r;
}

class FileLineParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(FileLineParse, GivesTheSlotAndRecord) {
  const ParseCase& c = GetParam();
  const FileEntry e = ParseFileLine(c.line, 500, c.family);
  EXPECT_EQ(e.slot, c.slot);
  EXPECT_EQ(e.record, c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileLineParse,
    ::testing::Values(
        ParseCase{"Phone", "PHONE;5;Ivan;+700;3;1;255;0;1;2;7;255;0", Family::Classic, 4,
                  Loaded(0, 5, "Ivan", "+700", 145, 3, 1, 255, 0, 1, 2, 7, 255, 0)},
        ParseCase{"PhoneEmailAndTrimmedLastField", "PHONE;2;M;a@b.ru;6;0;0;0;1;0;255;255; 3 ",
                  Family::Grouped, 1,
                  Loaded(0, 2, "M", "a@b.ru", 128, 6, 0, 0, 0, 1, 0, 255, 255, 3)},
        ParseCase{"PhoneLowBitsOfByteFields", "PHONE;1;A;1;259;0;300;0;1;0;0;511;0",
                  Family::Classic, 0, Loaded(0, 1, "A", "1", 129, 3, 0, 300, 0, 1, 0, 0, 255, 0)},
        ParseCase{"SimClassic", "SIM;1;S;+7916", Family::Classic, 500,
                  Loaded(1, 501, "S", "+7916", 145, 7, 0, 255, 0, 0, 0, 0, 255, 0)},
        ParseCase{"SimGrouped", "SIM;2;S;112", Family::GroupedText, 501,
                  Loaded(1, 502, "S", "112", 129, 8, 0, 255, 0, 0, 0, 0, 255, 0)},
        // Any first field but PHONE is a SIM line; its number is the rest of the line.
        ParseCase{"SimNumberWithSemicolon", "X;3;S;12;34", Family::None, 502,
                  Loaded(1, 503, "S", "12;34", 129, 7, 0, 255, 0, 0, 0, 0, 255, 0)},
        // A ";" in a SIM name: the name ends there and the rest shifts into the number.
        ParseCase{"SimNameWithSemicolon", "SIM;1;Smith; John;+7", Family::Classic, 500,
                  Loaded(1, 501, "Smith", " John;+7", 129, 7, 0, 255, 0, 0, 0, 0, 255, 0)},
        // A ";" in a phone memory name stays in the name: ten fields follow it.
        ParseCase{"PhoneNameWithSemicolons", "PHONE;4;A;B;C;+700;3;0;255;0;1;0;0;255;0",
                  Family::Classic, 3,
                  Loaded(0, 4, "A;B;C", "+700", 145, 3, 0, 255, 0, 1, 0, 0, 255, 0)},
        ParseCase{"SlotsOutsideAnyTable", "PHONE;0;A;1;3;0;255;0;1;0;0;255;0", Family::Classic, -1,
                  Loaded(0, 0, "A", "1", 129, 3, 0, 255, 0, 1, 0, 0, 255, 0)}),
    [](const auto& info) { return info.param.name; });

TEST(FileLineParse, LinesThatDoNotConvertRaise) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "'' is not a valid integer value"},
      {"PHONE;x;A", "'x' is not a valid integer value"},
      {"PHONE;1;A;1;3;0;255", "'' is not a valid integer value"},
      {"PHONE;1;A;1;3;0;255;0;1;0;0;255;", "'' is not a valid integer value"},
      {"SIM;;A;1", "'' is not a valid integer value"},
  };
  for (const auto& [line, message] : cases) {
    try {
      ParseFileLine(line, 500, Family::Classic);
      ADD_FAILURE() << line;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), message) << line;
    }
  }
}

TEST(FileLines, SplitAsTheReadingTakesThem) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitFileLines(""), V{""});
  EXPECT_EQ(SplitFileLines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(SplitFileLines("a\r\nb"), (V{"a", "b"}));
  EXPECT_EQ(SplitFileLines("a\nb\rc\r\n\r\n"), (V{"a", "b", "c", ""}));
}

TEST(FileIo, WritesWholeFilesAndReportsFailures) {
  const auto dir = testing::ScratchDir();
  const std::string path = (dir / "book.csv").string();
  WriteTextFile(path, "old");
  WriteTextFile(path, std::string("a;\xC0\r\n", 5));
  EXPECT_EQ(ReadTextFile(path), std::string("a;\xC0\r\n", 5));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  try {
    ReadTextFile((dir / "missing.csv").string());
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), "File not found");
  }
  EXPECT_THROW(WriteTextFile((dir / "no-dir" / "x.csv").string(), "x"), EInOutError);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorvex::phonebook
