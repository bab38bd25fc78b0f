#include "codec/cp1251.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "library_converter.h"

namespace quorvex {
namespace {

using namespace std::string_literals;

TEST(Cp1251, EveryByteMatchesTheLibraryAndRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = Cp1251ToUtf8(byte);
    const auto reference = LibraryFromCp1251("UTF-8", byte);
    ASSERT_TRUE(reference.has_value()) << "iconv lacks CP1251 byte " << b;
    EXPECT_EQ(utf8, *reference) << b;
    EXPECT_EQ(Utf8ToCp1251(utf8), byte) << b;
    EXPECT_EQ(Utf8ToCp1251Lossy(utf8), byte) << b;
    EXPECT_EQ(CodePointToCp1251(Cp1251ToCodePoint(static_cast<unsigned char>(b))), b) << b;
  }
}

TEST(Cp1251, UndefinedByteDecodesToReplacementWhichNothingEncodesTo) {
  EXPECT_EQ(Cp1251ToUtf8("a\x98z"), "a\uFFFDz");
  EXPECT_EQ(Utf8ToCp1251("\uFFFD"), std::nullopt);
  EXPECT_EQ(Utf8ToCp1251Lossy("a\uFFFDz"), "az");
  EXPECT_EQ(Cp1251ToCodePoint(0x98), U'\uFFFD');
  for (const char32_t cp : {U'\uFFFD', U'\u0098', U'\u0080', U'\u00E9', U'\u2123', U'\U0001F600'})
    EXPECT_EQ(CodePointToCp1251(cp), std::nullopt) << static_cast<unsigned>(cp);
}

TEST(Cp1251, Utf8ToCp1251) {
  struct Case {
    std::string utf8;
    std::optional<std::string> cp1251;
  } cases[] = {
      {"", ""},
      {"Ab\0\r\n"s, "Ab\0\r\n"s},
      {"Ёжик №5 €",
       "\xA8\xE6\xE8\xEA \xB9"
       "5 \x88"},
      {"é", std::nullopt},  // Latin-1 letter cp1251 lacks
      {"日", std::nullopt},
      {"\U0001F600", std::nullopt},
      {"\xFF", std::nullopt},              // not UTF-8 at all
      {"\xD0", std::nullopt},              // truncated
      {"\xD0\x41", std::nullopt},          // bad continuation
      {"\xC0\x80", std::nullopt},          // overlong NUL
      {"\xE0\x90\x81", std::nullopt},      // overlong Ё
      {"\xED\xA0\x80", std::nullopt},      // surrogate
      {"\xF4\x90\x80\x80", std::nullopt},  // beyond U+10FFFF
      {"\x80", std::nullopt},              // lone continuation
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
}

TEST(Cp1251, LossyDropsWhatCannotBeHeldAndKeepsTheRest) {
  EXPECT_EQ(Utf8ToCp1251Lossy("aé€日\U0001F600b"),
            "a\x88"
            "b");
  EXPECT_EQ(Utf8ToCp1251Lossy("\xE0\x80"
                              "A\xD0"),
            "A");
  EXPECT_EQ(Utf8ToCp1251Lossy("\xC0\x80я"), "\xFF");
}

}  // namespace
}  // namespace quorvex
