// Cuts the byte stream a handset receives into command lines and message texts, as the
// handset's serial input does: a command line ends at CR; LF and NUL are ignored; BS takes
// back the last character. After a store or send command the handset takes a message text
// instead, which ends at Ctrl-Z (submit) or ESC (cancel), with CR starting a new line of it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex::sim {

struct FramerEvent {
  enum class Kind {
    Line,        // a command line ended by CR (text: the line without CR)
    Discarded,   // Ctrl-Z in command mode: the bytes before it are no command
    TextBreak,   // CR inside a message text (text: the part since the last break)
    TextEnd,     // Ctrl-Z ended the message text (text: the part since the last break)
    TextCancel,  // ESC ended the message text
  };
  Kind kind;
  std::string text;
  bool overflow = false;  // the line was longer than the handset's buffer and was cut
};

class AtFramer {
 public:
  static constexpr std::size_t kMaxLine = 2048;
  static constexpr std::size_t kMaxText = 16384;

  void feed(std::string_view bytes) { pending_.append(bytes); }
  // The next complete event, taking bytes from what was fed; nullopt when more are needed.
  std::optional<FramerEvent> next();

  // Whether the next bytes belong to a message text.
  void setTextMode(bool on) { textMode_ = on; }
  bool textMode() const { return textMode_; }

 private:
  std::string pending_;
  std::size_t pos_ = 0;
  std::string current_;
  bool overflow_ = false;
  bool textMode_ = false;
  std::size_t textSize_ = 0;
};

}  // namespace quorvex::sim
