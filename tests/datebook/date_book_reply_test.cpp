// The date book's reply cutters and derived texts, by table.
#include "datebook/date_book_reply.h"

#include <gtest/gtest.h>

#include <limits>

#include "codec/errors.h"
#include "codec/ru.h"

namespace quorvex::datebook {
namespace {

struct InfoCase {
  const char* name;
  std::string reply;
  DateBookInfo want;
};

class ParseDateBookInfoTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(ParseDateBookInfoTest, Cuts) {
  const DateBookInfo got = ParseDateBookInfo(GetParam().reply);
  EXPECT_EQ(got.HighestIndex, GetParam().want.HighestIndex);
  EXPECT_EQ(got.UsedCount, GetParam().want.UsedCount);
  EXPECT_EQ(got.Third, GetParam().want.Third);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseDateBookInfoTest,
    ::testing::Values(InfoCase{"Handset", "+MDBR: 99,5,64,6\r\n\r\nOK", {99, 5, 64}},
                      InfoCase{"Large", "+MDBR: 499,12,64,6\r\n\r\nOK", {499, 12, 64}},
                      InfoCase{"ZeroHighest", "+MDBR: 0,0,16,6\r\n\r\nOK", {0, 0, 16}},
                      // The prefix is skipped by length, whatever it says.
                      InfoCase{"OtherPrefix", "+XYZW: 9,1,2,3\r\n\r\nOK", {9, 1, 2}},
                      InfoCase{"HexValue", "+MDBR: $10,1,2,\r\n\r\nOK", {16, 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadInfoCase {
  const char* name;
  std::string reply;
  std::string message;
};

class ParseDateBookInfoBadTest : public ::testing::TestWithParam<BadInfoCase> {};

TEST_P(ParseDateBookInfoBadTest, RaisesConversionError) {
  try {
    ParseDateBookInfo(GetParam().reply);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseDateBookInfoBadTest,
    ::testing::Values(
        // Only two commas: the third field meets an empty text.
        BadInfoCase{"ThreeValues", "+MDBR: 99,5,64\r\n\r\nOK", "'' is not a valid integer value"},
        BadInfoCase{"Letters", "+MDBR: x9,5,64,6\r\n\r\nOK", "'x9' is not a valid integer value"},
        BadInfoCase{"OnlyOk", "OK", "'' is not a valid integer value"},
        BadInfoCase{"Empty", "", "'' is not a valid integer value"}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
  const char* name;
  std::string reply;
  DateBookEntry want;
};

class ParseDateBookEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ParseDateBookEntryTest, Cuts) {
  EXPECT_EQ(ParseDateBookEntry(GetParam().reply), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseDateBookEntryTest,
    ::testing::Values(
        EntryCase{"Example",
                  "+MDBR: 3,0054006500730074,1,1,\"10:30\",\"07-12-2026\",60,\"10:15\","
                  "\"07-12-2026\",0\r\n\r\nOK",
                  {"Test", "1", "1", "10:30", "07-12-2026", "60", "10:15", "07-12-2026", "0"}},
        EntryCase{"Cyrillic",
                  "+MDBR: 12,04220435044104420020,0,0,\"00:05\",\"01-31-2027\",1,\"00:00\","
                  "\"00-00-2000\",5\r\n\r\nOK",
                  {Ru("Тест "), "0", "0", "00:05", "01-31-2027", "1", "00:00", "00-00-2000", "5"}},
        EntryCase{"EmptyTitle",
                  "+MDBR: 0,,1,0,\"08:00\",\"02-03-2026\",15,\"00:00\",\"00-00-2000\",7",
                  {"", "1", "0", "08:00", "02-03-2026", "15", "00:00", "00-00-2000", "7"}},
        // Quotes are dropped by position, not checked.
        EntryCase{"Unquoted",
                  "+MDBR: 1,0041,1,1,10:30,07-12-2026,60,10:15,07-12-2026,2",
                  {"A", "1", "1", "0:3", "7-12-202", "60", "0:1", "7-12-202", "2"}},
        // Some handsets quote the title like every other text field.
        EntryCase{"QuotedTitle",
                  "+MDBR: 0,\"004D0065006500740069006E0067\",1,0,\"17:00\",\"02-24-2006\",60,"
                  "\"00:00\",\"00-00-2000\",0",
                  {"Meeting", "1", "0", "17:00", "02-24-2006", "60", "00:00", "00-00-2000", "0"}},
        // No control character of a title reaches the list: a line break, a NUL, and a
        // trailing short group that would have read as LF.
        EntryCase{"ControlsInTitle",
                  "+MDBR: 2,0041000A0000004200A,1,0,\"17:00\",\"02-24-2006\",60,\"00:00\","
                  "\"00-00-2000\",3",
                  {"AB", "1", "0", "17:00", "02-24-2006", "60", "00:00", "00-00-2000", "3"}},
        EntryCase{"UkrainianTitle",
                  "+MDBR: 5,\"04570404\",0,0,\"09:00\",\"01-02-2026\",5,\"00:00\",\"00-00-2000\",4",
                  {"\xBF\xAA", "0", "0", "09:00", "01-02-2026", "5", "00:00", "00-00-2000", "4"}},
        // A reply that runs out leaves the last fields empty instead of reading past it.
        EntryCase{"CutShort", "+MDBR: 4,0041,1", {"A", "1", "", "", "", "", "", "", ""}},
        EntryCase{"NoComma", "OK", {"", "O", "", "", "", "", "", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseDateBookEntry, MalformedTitleIsConversionError) {
  EXPECT_THROW(ParseDateBookEntry("+MDBR: 1,00zz,1,1,\"10:30\",\"07-12-2026\",1,\"10:29\","
                                  "\"07-12-2026\",0"),
               EConvertError);
}

TEST(DateBookTexts, RepeatAndAlarmStates) {
  const std::pair<std::string, std::string> repeats[] = {
      {"0", Ru("нет")},
      {"1", Ru("ежедневно")},
      {"2", Ru("еженедельно")},
      {"3", Ru("ежемесячно (день)")},
      {"4", Ru("ежемесячно (дата)")},
      {"5", Ru("ежегодно")},
      {"6", ""},
      {"7", ""},
      {"", ""},
      {"00", ""},
  };
  for (const auto& [code, text] : repeats) EXPECT_EQ(RepeatText(code), text) << code;
  EXPECT_EQ(AlarmStateText("0"), Ru("выкл."));
  EXPECT_EQ(AlarmStateText("1"), Ru("вкл."));
  EXPECT_EQ(AlarmStateText("2"), "");
  EXPECT_EQ(AlarmStateText(""), "");
}

struct ShareCase {
  std::int64_t highest, used;
  char separator;
  const char* want;
};

TEST(FreeShareText, ThreeSignificantDigits) {
  const ShareCase cases[] = {
      {499, 12, '.', "97.6"},
      {499, 12, ',', "97,6"},
      {499, 0, '.', "100"},
      {99, 100, '.', "0"},
      {0, 0, '.', "100"},
      {99, 5, '.', "95"},
      {2, 1, '.', "66.7"},
      {2, 2, ',', "33,3"},
      {999, 1, '.', "99.9"},
      {9999, 9998, '.', "0.02"},
      {9, 21, '.', "-110"},
      {0, 100, '.', "-9.9E3"},
      {99999999, 99999998, '.', "2E-6"},
  };
  for (const ShareCase& c : cases)
    EXPECT_EQ(FreeShareText(c.highest, c.used, c.separator), c.want) << c.highest << " " << c.used;
}

TEST(FormatGeneral, PlainOrExponent) {
  EXPECT_EQ(FormatGeneral(999.7, 3, '.'), "1E3");
  EXPECT_EQ(FormatGeneral(123.4, 3, '.'), "123");
  EXPECT_EQ(FormatGeneral(0.000001234, 3, '.'), "1.23E-6");
  EXPECT_EQ(FormatGeneral(0.0001234, 3, ','), "0,000123");
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity(), 3, '.'), "INF");
}

}  // namespace
}  // namespace quorvex::datebook
