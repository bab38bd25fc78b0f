#include "codec/ucs2.h"

#include <gtest/gtest.h>

#include <string>

#include "convert_error.h"

namespace quorvex {
namespace {

using namespace std::string_literals;

// Texts are cp1251 bytes: \xA8 is Ё, \xB8 ё, \xC0 А, \xE6 ж, \xFF я, \xB9 №.
TEST(Ucs2, Encode) {
  struct Case {
    std::string text, hex;
  } cases[] = {
      {"", ""},
      {"\xA8\xE6", "04010436"},
      {"Ab 1", "0041006200200031"},
      {"a\r\nb", "00610062"},
      {"\xB9"
       "5",
       "0035"},
      {" ~\x7F", "0020007E"},
      {"\xC0\xFF\xB8", "0410044F0451"},
      {"\t\0\x1F\x80\xA7\xA9\xB7\xB9\xBF"s, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToUcs2Hex(c.text), c.hex) << c.text;
}

TEST(Ucs2, Decode) {
  struct Case {
    std::string hex, text;
  } cases[] = {
      {"", ""},
      {"0401", "\xA8"},
      {"0404", "\xA8"},
      {"040E", "\xA8"},
      {"040z", "\xA8"},  // the fourth digit of the Ё row is never read
      {"0451", "\xB8"},
      {"0456", "\xB8"},
      {"044f", "\xFF"},
      {"04100436", "\xC0\xE6"},
      {"0490", "$"},
      {"04FF", "$"},
      {"2116", ""},
      {"20AC", ""},
      {"zz00", ""},
      // No code-page conversion below 0x100: the byte itself goes in.
      {"00E9", "\xE9"},
      {"000A", "\n"},
      {"0000", "\0"s},
      {"00410042004", "AB\x04"},
      // Trailing groups shorter than four digits.
      {"00410", "A"},
      {"004100", "A\0"s},
      {"004100A", "A\n"},
      {"004104", "A$"},
      {"0041040", "A\xA8"},
      {"0041041", "A$"},
  };
  for (const auto& c : cases) EXPECT_EQ(Ucs2HexToText(c.hex), c.text) << c.hex;
}

TEST(Ucs2, MalformedGroupRaisesWithDollarAndTheGroup) {
  struct Case {
    const char* hex;
    const char* shown;
  } cases[] = {
      {"00zz", "$00zz"},   {"04 1", "$04 1"},   {"0041004g", "$004g"},
      {"004100z", "$00z"}, {"004104g", "$04g"}, {"00-1", "$00-1"},
  };
  for (const auto& c : cases) {
    const std::string message = "'"s + c.shown + "' is not a valid integer value";
    EXPECT_TRUE(RaisesConvertError([&] { Ucs2HexToText(c.hex); }, message)) << c.hex;
  }
}

TEST(Ucs2, EveryByteRoundTripsOrIsDropped) {
  std::string all, kept;
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    all += byte;
    const bool mapped = (b >= 0x20 && b <= 0x7E) || b == 0xA8 || b == 0xB8 || b >= 0xC0;
    const std::string hex = TextToUcs2Hex(byte);
    if (!mapped) {
      EXPECT_EQ(hex, "") << b;
      continue;
    }
    kept += byte;
    ASSERT_EQ(hex.size(), 4u) << b;
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    EXPECT_EQ(Ucs2HexToText(hex), byte) << b;
  }
  EXPECT_EQ(kept.size(), 161u);
  const std::string hex = TextToUcs2Hex(all);
  EXPECT_EQ(hex.size(), 4 * kept.size());
  EXPECT_EQ(Ucs2HexToText(hex), kept);
}

}  // namespace
}  // namespace quorvex
