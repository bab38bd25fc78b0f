#include "codec/ucs2.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "convert_error.h"
#include "library_converter.h"

namespace quorvex {
namespace {

using namespace std::string_literals;

// A cp1251 byte as the four upper-case hex digits of its UCS-2 code, by the library.
std::optional<std::string> LibraryUcs2Hex(char byte) {
  const auto code = LibraryFromCp1251("UCS-2BE", std::string(1, byte));
  if (!code || code->size() != 2) return std::nullopt;
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X%02X", static_cast<unsigned char>((*code)[0]),
                static_cast<unsigned char>((*code)[1]));
  return std::string(hex);
}

// Texts are cp1251 bytes: \xA8 is Ё, \xB8 ё, \xC0 А, \xE6 ж, \xFF я, \xB9 №, \xAF Ї, \xBF ї,
// \xA5 Ґ, \xB4 ґ, \xA1 Ў, \xA2 ў, \x80 Ђ, \x90 ђ, \xAB «, \xBB », \x96 –, \x97 —, \x88 €,
// \x89 ‰, \xB2 І, \xB3 і, \xAA Є, \xBA є.
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
       "21160035"},
      {" ~\x7F", "0020007E"},
      {"\xC0\xFF\xB8", "0410044F0451"},
      {"\xAF\xBF\xAA\xBA\xB2\xB3", "040704570404045404060456"},
      {"\xA5\xB4\xA1\xA2\x80\x90", "04900491040E045E04020452"},
      {"\xAB\x96\x97\xBB", "00AB2013201400BB"},
      {"\x88\x89\xA0", "20AC203000A0"},
      // Control bytes and 0x98, which stands for no character, are dropped.
      {"\t\0\x1F\x98"s, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToUcs2Hex(c.text), c.hex) << c.text;
}

TEST(Ucs2, Decode) {
  struct Case {
    std::string hex, text;
  } cases[] = {
      {"", ""},
      {"0401", "\xA8"},
      {"0451", "\xB8"},
      {"044f", "\xFF"},
      {"04100436", "\xC0\xE6"},
      // Letters beside the Russian ones are themselves, never Ё, ё or "$".
      {"0404", "\xAA"},
      {"040E", "\xA1"},
      {"0456", "\xB3"},
      {"0457", "\xBF"},
      {"0490", "\xA5"},
      {"0491", "\xB4"},
      {"2116", "\xB9"},
      {"20AC", "\x88"},
      {"00AB201300BB", "\xAB\x96\xBB"},
      // Characters the code page lacks are dropped, not turned into another letter.
      {"00E9", ""},
      {"04FF", ""},
      {"0400", ""},
      {"FFFD", ""},
      {"0098", ""},
      {"00410416D83DDE000042",
       "A\xC6"
       "B"},
      // Control characters come through the codec itself.
      {"000A", "\n"},
      {"0000", "\0"s},
      // A trailing group of fewer than four digits is a character cut off.
      {"00410042004", "AB"},
      {"00410", "A"},
      {"004100", "A"},
      {"004100A", "A"},
      {"0041040", "A"},
  };
  for (const auto& c : cases) EXPECT_EQ(Ucs2HexToText(c.hex), c.text) << c.hex;
}

TEST(Ucs2, MalformedGroupRaisesWithDollarAndTheGroup) {
  struct Case {
    const char* hex;
    const char* shown;
  } cases[] = {
      {"00zz", "$00zz"},      {"04 1", "$04 1"}, {"0041004g", "$004g"}, {"004100z", "$00z"},
      {"004104g", "$04g"},    {"00-1", "$00-1"}, {"zz00", "$zz00"},     {"040z", "$040z"},
      {"\"0041\"", "$\"004"}, {"0041 ", "$ "},
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
    const std::string hex = TextToUcs2Hex(byte);
    if (b < 0x20 || b == 0x7F || b == 0x98) {
      EXPECT_EQ(hex, "") << b;
      continue;
    }
    kept += byte;
    EXPECT_EQ(hex, LibraryUcs2Hex(byte[0])) << b;
    EXPECT_EQ(Ucs2HexToText(hex), byte) << b;
  }
  EXPECT_EQ(kept.size(), 222u);
  const std::string hex = TextToUcs2Hex(all);
  EXPECT_EQ(hex.size(), 4 * kept.size());
  EXPECT_EQ(Ucs2HexToText(hex), kept);
}

// Fields and message texts as replies carry them: what may reach a file or the screen.
TEST(Ucs2, FieldsAndMessageTexts) {
  struct Case {
    std::string wire, field, message;
  } cases[] = {
      {"004D0065006500740069006E0067", "Meeting", "Meeting"},
      {"\"004D0065006500740069006E0067\"", "Meeting", ""},
      {"\"\"", "", ""},
      {"0041000D000A0009", "A", "A\r\n\t"},
      {"00410000001B007F0042", "AB", "AB"},
      {"0041004", "A", "A"},
      {"004100A", "A", "A"},
      {"0457", "\xBF", "\xBF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ucs2FieldToText(c.wire), c.field) << c.wire;
    if (c.wire.front() != '"') {
      EXPECT_EQ(Ucs2MessageToText(c.wire), c.message) << c.wire;
    }
  }
  // Only one enclosing pair comes off; a lone quote is no hex digit.
  for (const char* wire : {"\"0041", "0041\"", "\"\"0041\"\""})
    EXPECT_THROW(Ucs2FieldToText(wire), EConvertError) << wire;
}

}  // namespace
}  // namespace quorvex
