#include "sim/replay.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex::sim {
namespace {

TEST(Transcript, ReadsCommandsAndTheirReplyBytes) {
  const struct {
    const char* what;
    std::string text;
    std::vector<ReplayExchange> exchanges;
  } cases[] = {
      {"framed lines, a comment, a blank line",
       "# phone book\n> AT+CPBS=ME\n< OK\n\n> AT+MPBR=?\n< +MPBR: 1-500,40\n< OK\n",
       {{"AT+CPBS=ME", "\r\nOK\r\n", 2}, {"AT+MPBR=?", "\r\n+MPBR: 1-500,40\r\n\r\nOK\r\n", 5}}},
      {"a text after its header, an empty line, CR LF line ends",
       "> AT+MMGR=1\r\n< +MMGR: \"REC READ\"\r\n| 0041\r\n<\r\n< OK\r\n",
       {{"AT+MMGR=1", "\r\n+MMGR: \"REC READ\"\r\n0041\r\n\r\n\r\n\r\nOK\r\n", 1}}},
      {"raw bytes and escapes",
       "> AT+CMGW\n= \\r\\n>\\x20\n> Hi\\rthere\n< +CMGW: 3\n< OK\n",
       {{"AT+CMGW", "\r\n> ", 1}, {"Hi\rthere", "\r\n+CMGW: 3\r\n\r\nOK\r\n", 3}}},
      {"blanks inside a line are kept, a code page 1251 letter too",
       "> AT\n<  two  blanks \xC0\n",
       {{"AT", "\r\n two  blanks \xC0\r\n", 1}}},
      {"a command without a reply, a last line without its LF",
       "> AT\n> ATI3\n< Motorola",
       {{"AT", "", 1}, {"ATI3", "\r\nMotorola\r\n", 2}}},
      {"nothing", "# only a comment\n", {}},
  };
  for (const auto& c : cases) {
    const std::vector<ReplayExchange> got = ParseTranscript(c.text);
    ASSERT_EQ(got.size(), c.exchanges.size()) << c.what;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].command, c.exchanges[i].command) << c.what;
      EXPECT_EQ(got[i].reply, c.exchanges[i].reply) << c.what;
      EXPECT_EQ(got[i].line, c.exchanges[i].line) << c.what;
    }
  }
}

TEST(Transcript, NamesTheLineItCannotRead) {
  const struct {
    std::string text, message;
  } cases[] = {
      {"< OK\n", "transcript line 1: a reply before the first command"},
      {"> AT\n<OK\n", "transcript line 2: not a command, reply or comment: <OK"},
      {"> AT\n? OK\n", "transcript line 2: not a command, reply or comment: ? OK"},
      {"> AT\n\n< \\q\n", "transcript line 3: bad escape"},
      {"> AT\n< \\x4\n", "transcript line 2: bad escape"},
      {"> AT\n< end\\\n", "transcript line 2: bad escape"},
      {"> AT\n*\x01\n", "transcript line 2: not a command, reply or comment: *\\x01"},
  };
  for (const auto& c : cases) {
    try {
      ParseTranscript(c.text);
      ADD_FAILURE() << "read without complaint: " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_THROW(LoadTranscript("/nonexistent/transcript.txt"), std::runtime_error);
}

TEST(Replay, AnswersInOrderAndNotesWhatDoesNotMatch) {
  Replay replay(ParseTranscript("> AT+CSCS=UCS2\n< OK\n> AT+CMGW\n= \\r\\n> \n> 0041\n< OK\n"));
  const struct {
    std::string command;
    bool matched, prompt;
    std::string reply;
    int left;
  } steps[] = {
      {"AT+CSCS=UCS2", true, false, "\r\nOK\r\n", 2},
      // A stray command is refused; the recorded one is still next.
      {"AT+CGMM", false, false, "\r\nERROR\r\n", 2},
      {"AT+CMGW", true, true, "\r\n> ", 1},
      {"0042", false, false, "\r\nERROR\r\n", 1},
      {"0041", true, false, "\r\nOK\r\n", 0},
      {"AT", false, false, "\r\nERROR\r\n", 0},
  };
  for (const auto& s : steps) {
    const Replay::Answer a = replay.answer(s.command);
    EXPECT_EQ(a.matched, s.matched) << s.command;
    EXPECT_EQ(a.prompt, s.prompt) << s.command;
    EXPECT_EQ(a.reply, s.reply) << s.command;
    EXPECT_EQ(replay.left(), s.left) << s.command;
  }
  EXPECT_EQ(replay.mismatches(),
            (std::vector<std::string>{"line 3: expected AT+CMGW, got AT+CGMM",
                                      "line 5: expected 0041, got 0042", "after the end: got AT"}));
}

}  // namespace
}  // namespace quorvex::sim
