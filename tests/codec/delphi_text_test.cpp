#include "codec/delphi_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "convert_error.h"

namespace quorvex::text {
namespace {

using namespace std::string_literals;

constexpr std::int64_t kMax = INT64_MAX;
constexpr std::int64_t kMin = INT64_MIN;

TEST(DelphiText, Pos) {
  struct Case {
    const char* sub;
    const char* s;
    int expected;
  } cases[] = {{"a", "abc", 1}, {"c", "abc", 3}, {"bc", "abcbc", 2},
               {"", "abc", 0},  {"x", "abc", 0}, {"abcd", "abc", 0}};
  for (const auto& c : cases) EXPECT_EQ(Pos(c.sub, c.s), c.expected) << c.sub << " in " << c.s;
}

TEST(DelphiText, CopyClampsIndexAndCount) {
  struct Case {
    const char* s;
    std::int64_t index, count;
    const char* expected;
  } cases[] = {
      {"hello", 1, 2, "he"},   {"hello", 4, 99, "lo"},
      {"hello", 5, kMax, "o"}, {"hello", 0, 2, "he"},
      {"hello", -5, 3, "hel"}, {"hello", kMin, kMax, "hello"},
      {"hello", 6, 1, ""},     {"hello", kMax, kMax, ""},
      {"hello", 2, 0, ""},     {"hello", 2, kMin, ""},
      {"", 1, 1, ""},          {"", kMin, kMax, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Copy(c.s, c.index, c.count), c.expected) << c.index << "," << c.count;
  }
}

TEST(DelphiText, DeleteClampsCountAndIgnoresBadIndex) {
  struct Case {
    std::int64_t index, count;
    const char* expected;
  } cases[] = {
      {1, 2, "llo"},      {2, kMax, "h"},   {5, 1, "hell"},        {5, kMax, "hell"},
      {0, 2, "hello"},    {-1, 9, "hello"}, {kMin, kMax, "hello"}, {6, 1, "hello"},
      {kMax, 1, "hello"}, {2, 0, "hello"},  {2, kMin, "hello"},
  };
  for (const auto& c : cases) {
    std::string s = "hello";
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << c.index << "," << c.count;
  }
}

TEST(DelphiText, TrimRemovesEveryCodeUpTo32Only) {
  const std::string s = "\0 \r\n\tA b\x01 \x1F"s;
  EXPECT_EQ(Trim(s), "A b");
  EXPECT_EQ(TrimLeft(s), "A b\x01 \x1F");
  EXPECT_EQ(TrimRight(s), "\0 \r\n\tA b"s);
  EXPECT_EQ(Trim(" \r\n "), "");
  // Bytes above 127 are letters in cp1251 (0xA0 is its no-break space) and must survive.
  EXPECT_EQ(Trim("\xA0\xFFx\x80"), "\xA0\xFFx\x80");
}

TEST(DelphiText, UpperCaseIsAsciiOnly) {
  EXPECT_EQ(UpperCase("az{`@\xE0\xFF"), "AZ{`@\xE0\xFF");
}

TEST(DelphiText, IntToStr) {
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(kMin), "-9223372036854775808");
}

TEST(DelphiText, StrToIntAccepts) {
  struct Case {
    const char* s;
    std::int32_t expected;
  } cases[] = {
      {"0", 0},
      {"  42", 42},
      {"+7", 7},
      {"-7", -7},
      {"007", 7},
      {"-0", 0},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      // Hexadecimal is a 32-bit pattern, so the top bit makes it negative.
      {"$ff", 255},
      {"$Ab", 171},
      {"$FFFFFFFF", -1},
      {"$80000000", INT32_MIN},
      {"-$10", -16},
      {"  +$7fffffff", INT32_MAX},
      {"$000000001", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrToInt(c.s), c.expected) << c.s;
    if (Pos("$", c.s) == 0) {
      EXPECT_EQ(StrToIntDecimal(c.s), c.expected) << c.s;
    }
  }
}

TEST(DelphiText, StrToIntRejectsWithTheTextAsGiven) {
  const std::string rejected[] = {
      "",         " ",          "+",           "-",          "$",
      "-$",       "12 ",        "\t12",        "1 2",        "- 1",
      "+-1",      "0x10",       "12a",         "$-1",        "$ 1",
      "$fg",      "2147483648", "-2147483649", "$100000000", "99999999999999999999",
      "\xD0\x81",
  };
  for (const auto& s : rejected) {
    const std::string message = "'" + s + "' is not a valid integer value";
    EXPECT_EQ(InvalidIntegerMessage(s), message);
    EXPECT_TRUE(RaisesConvertError([&] { StrToInt(s); }, message)) << s;
    EXPECT_TRUE(RaisesConvertError([&] { StrToIntDecimal(s); }, message)) << s;
  }
  // what() stops at a zero byte, so only the rejection itself is checked here.
  EXPECT_THROW(StrToInt("1\0"s), EConvertError);
  EXPECT_TRUE(
      RaisesConvertError([] { StrToIntDecimal("$10"); }, "'$10' is not a valid integer value"));
}

}  // namespace
}  // namespace quorvex::text
