#include "sim/at_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvex::sim {
namespace {

using Kind = FramerEvent::Kind;

// Feeds the bytes in pieces of the given size and lists the events, switching to text mode
// after every line that starts with the store command (as the engine would).
std::vector<std::pair<Kind, std::string>> Events(const std::string& bytes, std::size_t piece) {
  AtFramer framer;
  std::vector<std::pair<Kind, std::string>> out;
  for (std::size_t i = 0; i < bytes.size(); i += piece) {
    framer.feed(std::string_view(bytes).substr(i, piece));
    while (auto ev = framer.next()) {
      if (ev->kind == Kind::Line && ev->text.rfind("AT+CMGW", 0) == 0) framer.setTextMode(true);
      out.emplace_back(ev->kind, ev->text);
    }
  }
  return out;
}

TEST(AtFramer, CutsLinesAndTextsWhateverTheChunking) {
  const struct {
    std::string bytes;
    std::vector<std::pair<Kind, std::string>> events;
  } cases[] = {
      {"AT\r", {{Kind::Line, "AT"}}},
      {"AT\r\nATI\r", {{Kind::Line, "AT"}, {Kind::Line, "ATI"}}},
      {"\r", {{Kind::Line, ""}}},
      {"ATX\bI\r", {{Kind::Line, "ATI"}}},
      {"AT+CGMI\x1b"
       "AT\r",
       {{Kind::Line, "AT"}}},
      {"0041\x1a\r", {{Kind::Discarded, "0041"}, {Kind::Line, ""}}},
      {"AT+CMGW=\"1\"\r0041\x1a\r",
       {{Kind::Line, "AT+CMGW=\"1\""}, {Kind::TextEnd, "0041"}, {Kind::Line, ""}}},
      {"AT+CMGW\rab\rcd\x1b",
       {{Kind::Line, "AT+CMGW"}, {Kind::TextBreak, "ab"}, {Kind::TextCancel, "cd"}}},
      {std::string("A\0T\r", 4), {{Kind::Line, "AT"}}},
  };
  for (const auto& c : cases) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, c.bytes.size()}) {
      EXPECT_EQ(Events(c.bytes, piece), c.events) << "piece " << piece << " of " << c.bytes;
    }
  }
}

TEST(AtFramer, MarksALineLongerThanTheBufferAsOverflow) {
  AtFramer framer;
  framer.feed(std::string(AtFramer::kMaxLine + 10, 'A') + "\r");
  const auto ev = framer.next();
  ASSERT_TRUE(ev.has_value());
  EXPECT_TRUE(ev->overflow);
  EXPECT_EQ(ev->text.size(), AtFramer::kMaxLine);
  framer.feed("AT\r");
  const auto after = framer.next();
  ASSERT_TRUE(after.has_value());
  EXPECT_FALSE(after->overflow);
  EXPECT_EQ(after->text, "AT");
}

}  // namespace
}  // namespace quorvex::sim
