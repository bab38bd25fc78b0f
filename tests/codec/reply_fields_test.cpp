#include "codec/reply_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "convert_error.h"

namespace quorvex {
namespace {

TEST(FixedDigits, TakesExactlyTheDigitsAtTheirPlace) {
  struct Case {
    const char* text;
    std::size_t at, count;
    std::optional<int> want;
  };
  const Case cases[] = {
      {"12-25-2026", 0, 2, 12},   {"12-25-2026", 6, 4, 2026},   {"12-25-2026", 1, 2, std::nullopt},
      {"09:05", 3, 2, 5},         {"09:5", 3, 2, std::nullopt}, {"", 0, 0, 0},
      {"+1", 0, 2, std::nullopt}, {" 1", 0, 2, std::nullopt},   {"999999999", 0, 9, 999999999},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FixedDigits(c.text, c.at, c.count), c.want) << c.text << " at " << c.at;
}

TEST(ReplyHasOk, AnyOkAnywhereButOnlyTheBareOneIsExact) {
  struct Case {
    std::string reply;
    bool hasOk, exact;
  } cases[] = {
      {"\r\nOK\r\n", true, true},
      {"\r\n+MDBL: 1\r\n\r\nOK\r\n", true, false},
      {"OK", true, false},
      {"\r\nERROR\r\n", false, false},
      {"\r\n+CME ERROR: 3\r\n", false, false},
      {"", false, false},
      {"\r\nok\r\n", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplyHasOk(c.reply), c.hasOk) << c.reply;
    EXPECT_EQ(c.reply == kExactOk, c.exact) << c.reply;
  }
}

TEST(DropControls, KeepsLineBreaksOnlyWhenAsked) {
  const std::string garbled = std::string("a\r\nb\tc\x01", 7) + '\0' + "d\x7F\xC0";
  EXPECT_EQ(DropControls(garbled, false), "abcd\xC0");
  EXPECT_EQ(DropControls(garbled, true), "a\r\nb\tcd\xC0");
}

TEST(ValueAfterEquals, Cases) {
  struct Case {
    std::string reply, expected;
  } cases[] = {
      {"\r\n+CGMM: \"GSM900\",\"GSM1800\",\"GSM1900\",\"MODEL=C350\"\r\n\r\nOK\r\n", "C350"},
      {"\r\n+CGMM: \"MODEL=V3\"\r\n\r\nOK\r\n", "V3"},
      {"no separators", ""},
      {"a=b\r\nOK\r\n", ""},
      {"\"quoted\" but no equals", ""},
      {"A=B=C\"", "B=C"},
      {"x\"=y\"", "y"},
      {"=\"", ""},
      {"", ""},
      // Past 255 characters the separators are still found where they are.
      {std::string(300, 'x') + "=E398\"" + std::string(700, 'y'), "E398"},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueAfterEquals(c.reply), c.expected) << c.reply;
}

TEST(ParseStorageRange, ReadsLastAndTheTwoSizes) {
  struct Case {
    std::string reply;
    std::int32_t last, second, third;
  } cases[] = {
      {"\r\n+MPBR: 1-500,40,24,14,7\r\n\r\nOK\r\n", 500, 40, 24},
      {"+MPBR: 1-1000,32,24,1", 1000, 32, 24},
      {" \r\n+MPBR: 2-250,40,24,\r\n\r\nOK\r\n", 250, 40, 24},
      {"500,40,24,", 500, 40, 24},  // no "-": nothing is cut before the first field
      {"+MPBR: 1- 500,+40,-24,x", 500, 40, -24},
      // A real handset's reply, with its long tail of further fields.
      {"\r\n+MPBR: "
       "10-18259,40,24,14,0-1,64,(255),(0),(0-255),(0-1),(0-255),(0-1),264\r\n\r\nOK\r\n",
       18259, 40, 24},
      {std::string(400, '\n') + "+MPBR: 1-" + std::string(300, '0') + "500,40,24,14\r\n" +
           std::string(300, ' ') + "\r\nOK\r\n",
       500, 40, 24},
  };
  for (const auto& c : cases) {
    std::int32_t last = -1, second = -1, third = -1;
    ParseStorageRange(c.reply, last, second, third);
    EXPECT_EQ(last, c.last) << c.reply;
    EXPECT_EQ(second, c.second) << c.reply;
    EXPECT_EQ(third, c.third) << c.reply;
  }
}

TEST(ParseStorageRange, BadFieldRaisesAndKeepsWhatWasNotYetRead) {
  constexpr std::int32_t kOld = -77;
  struct Case {
    std::string reply, shown;
    std::int32_t last, second;
  } cases[] = {
      {"\r\n+MPBR: 1-500,40\r\n\r\nOK\r\n", "", 500, kOld},
      {"\r\n+MPBR: 1-500,40,24\r\n\r\nOK\r\n", "", 500, 40},
      {"\r\n+MPBR: (1-500),(40),(24),(14)\r\n\r\nOK\r\n", "500)", kOld, kOld},
      {"+MPBR: 1-abc,40,24,1", "abc", kOld, kOld},
      {"+MPBR: 1-500,4 0,24,1", "4 0", 500, kOld},
      {"+MPBR: 1-$1F4,40,24,1", "$1F4", kOld, kOld},
      {"+MPBR: 1-500,40,99999999999,1", "99999999999", 500, 40},
      {"\r\nERROR\r\n", "", kOld, kOld},
      {"", "", kOld, kOld},
  };
  for (const auto& c : cases) {
    std::int32_t last = kOld, second = kOld, third = kOld;
    EXPECT_TRUE(RaisesConvertError([&] { ParseStorageRange(c.reply, last, second, third); },
                                   "'" + c.shown + "' is not a valid integer value"))
        << c.reply;
    EXPECT_EQ(last, c.last) << c.reply;
    EXPECT_EQ(second, c.second) << c.reply;
    EXPECT_EQ(third, kOld) << c.reply;
  }
}

}  // namespace
}  // namespace quorvex
