// A recorded conversation with a handset, played back: each command the host sends is
// compared with the next recorded one and answered with the recorded reply.
//
// The transcript is text, one item per line (LF or CR LF ends a line):
//
//   # a comment; blank lines are skipped
//   > AT+CPBS=ME          a command line as the host sent it, without its CR
//   < +MPBR: 1,"5555",129,...   a reply line, sent framed as the handset frames its lines:
//                              CR LF, the line, CR LF ("<" alone: an empty line)
//   | 0414043E043C        a line that follows the one before it directly: the line, CR LF
//                         (a message text after its header)
//   = \r\n>\x20           bytes sent as they stand, nothing added
//
// so "< OK" ends a reply the usual way. The echo is not written down: the handset echoes
// as its echo setting says (ATE0 and ATE1 in the transcript change it). After the prompt
// "> " the next command is the message text, its line breaks written as \r, without the
// Ctrl-Z. In every text the escapes \\, \r, \n, \t and \xHH stand for their bytes; other
// bytes, code page 1251 letters among them, stand for themselves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sim {

struct ReplayExchange {
  std::string command;
  std::string reply;  // the bytes sent after the echo
  int line = 0;       // of the command in the transcript
};

// The exchanges of a transcript. Throws std::runtime_error naming the line of an item it
// cannot read (an unknown mark, a bad escape, a reply before any command).
std::vector<ReplayExchange> ParseTranscript(std::string_view text);
std::vector<ReplayExchange> LoadTranscript(const std::string& path);

class Replay {
 public:
  explicit Replay(std::vector<ReplayExchange> exchanges) : exchanges_(std::move(exchanges)) {}

  struct Answer {
    bool matched = false;
    std::string reply;    // the recorded reply, or CR LF ERROR CR LF
    bool prompt = false;  // the reply asks for a message text next
  };
  // A command that is not the next recorded one is refused and noted; the recorded one
  // stays next, so one stray command does not throw the rest out of step.
  Answer answer(std::string_view command);

  const std::vector<std::string>& mismatches() const { return mismatches_; }
  // Recorded exchanges not played yet.
  int left() const { return static_cast<int>(exchanges_.size() - next_); }

 private:
  std::vector<ReplayExchange> exchanges_;
  std::size_t next_ = 0;
  std::vector<std::string> mismatches_;
};

}  // namespace quorvex::sim
