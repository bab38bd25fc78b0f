#include "codec/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex {
namespace {

using namespace std::string_literals;

TEST(Utf8, DecodesOneSequenceOrNamesItMalformed) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t at;
    std::size_t length;
    char32_t cp;
  } cases[] = {
      {"ASCII", "a", 0, 1, U'a'},
      {"NUL", "\0"s, 0, 1, 0},
      {"two octets", "xЖ", 1, 2, U'Ж'},
      {"three octets", "№", 0, 3, U'№'},
      {"four octets", "\U0001F600", 0, 4, U'\U0001F600'},
      {"the last code point", "\xF4\x8F\xBF\xBF", 0, 4, 0x10FFFF},
      {"truncated at the end", "a\xD0", 1, 0, 0xFFFD},
      {"bad continuation", "\xD0\x41", 0, 0, 0xFFFD},
      {"overlong NUL", "\xC0\x80", 0, 0, 0xFFFD},
      {"overlong Ё", "\xE0\x90\x81", 0, 0, 0xFFFD},
      {"surrogate", "\xED\xA0\x80", 0, 0, 0xFFFD},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0, 0xFFFD},
      {"lone continuation", "\x80", 0, 0, 0xFFFD},
      {"no lead byte at all", "\xFF", 0, 0, 0xFFFD},
  };
  for (const Case& c : cases) {
    char32_t cp = 0;
    EXPECT_EQ(DecodeUtf8(c.bytes, c.at, cp), c.length) << c.name;
    EXPECT_EQ(cp, c.cp) << c.name;
    EXPECT_EQ(IsValidUtf8(c.bytes), c.length != 0) << c.name;
  }
}

TEST(Utf8, EveryLengthsEdgesEncodeAndDecodeBack) {
  for (const char32_t cp : {0x00u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    std::string s;
    AppendUtf8(s, cp);
    const std::size_t want = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    char32_t back = 0;
    EXPECT_EQ(DecodeUtf8(s, 0, back), want) << static_cast<unsigned>(cp);
    EXPECT_EQ(back, cp);
  }
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_FALSE(IsValidUtf8("ok\xE2\x84"));
}

// The names the import notes give the characters they drop: four digits at least, each name
// once, in the order met.
TEST(Utf8, DroppedCharactersAreNamedOnceInOrder) {
  const std::pair<char32_t, const char*> names[] = {{0x1, "U+0001"},
                                                    {0xFC, "U+00FC"},
                                                    {0xFFFF, "U+FFFF"},
                                                    {0x1F600, "U+1F600"},
                                                    {0x10FFFF, "U+10FFFF"}};
  for (const auto& [cp, name] : names) EXPECT_EQ(CodePointName(cp), name);
  DroppedNames dropped;
  EXPECT_TRUE(dropped.empty());
  for (const char32_t cp : {0x1F600u, 0xFCu, 0x1F600u}) dropped.add(CodePointName(cp));
  EXPECT_EQ(dropped.joined(), "U+1F600, U+00FC");
}

}  // namespace
}  // namespace quorvex
