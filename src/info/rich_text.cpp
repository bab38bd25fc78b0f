#include "info/rich_text.h"

#include <cctype>
#include <set>

#include "codec/cp1251.h"
#include "codec/hex_digits.h"

namespace quorvex {
namespace {

struct GroupState {
  bool bold = false, italic = false, underline = false;
  bool skip = false;  // inside a destination that holds no text to show
  int ucSkip = 1;     // characters that stand in for a \u character
};

bool IsSkippedDestination(std::string_view word) {
  static const std::set<std::string_view> skipped = {"fonttbl",
                                                     "colortbl",
                                                     "stylesheet",
                                                     "info",
                                                     "pict",
                                                     "object",
                                                     "header",
                                                     "footer",
                                                     "headerl",
                                                     "headerr",
                                                     "footerl",
                                                     "footerr",
                                                     "listtable",
                                                     "listoverridetable",
                                                     "generator",
                                                     "themedata",
                                                     "colorschememapping",
                                                     "latentstyles",
                                                     "datastore",
                                                     "xmlnstbl",
                                                     "rsidtbl",
                                                     "mmathPr",
                                                     "filetbl",
                                                     "revtbl",
                                                     "pgdsctbl",
                                                     "fldinst",
                                                     "bkmkstart",
                                                     "bkmkend",
                                                     "field"};
  return skipped.count(word) > 0;
}

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  std::vector<RichRun> read() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        stack_.push_back(state_);
      } else if (c == '}') {
        if (!stack_.empty()) {
          state_ = stack_.back();
          stack_.pop_back();
        }
      } else if (c == '\\') {
        control();
      } else if (c != '\r' && c != '\n') {
        emit(std::string(1, c));
      }
    }
    return std::move(runs_);
  }

 private:
  void emit(const std::string& text) {
    if (state_.skip || text.empty()) return;
    if (pending_ > 0) {  // the stand-in characters after a \u character
      --pending_;
      return;
    }
    if (!runs_.empty() && runs_.back().bold == state_.bold &&
        runs_.back().italic == state_.italic && runs_.back().underline == state_.underline) {
      runs_.back().text += text;
    } else {
      runs_.push_back(RichRun{text, state_.bold, state_.italic, state_.underline});
    }
  }
  // A character that is not a stand-in of a \u character is text of its own.
  void emitText(const std::string& text) {
    pending_ = 0;
    emit(text);
  }

  void control() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++pos_;
      switch (c) {
        case '\'': {
          const int hi = pos_ < in_.size() ? HexDigitValue(in_[pos_]) : -1;
          const int lo = pos_ + 1 < in_.size() ? HexDigitValue(in_[pos_ + 1]) : -1;
          if (hi >= 0 && lo >= 0) {
            pos_ += 2;
            emit(std::string(1, static_cast<char>(hi * 16 + lo)));
          }
          break;
        }
        case '*':
          state_.skip = true;
          break;
        case '~':
          emitText(" ");
          break;
        case '\r':
        case '\n':
          emitText("\n");
          break;
        case '-':
        case '_':
          break;
        default:  // \\ \{ \} and any other symbol stand for themselves
          emitText(std::string(1, c));
      }
      return;
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_]))) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool hasNumber = false;
    bool negative = false;
    long number = 0;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
      hasNumber = true;
      if (number < 1000000) number = number * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    if (negative) number = -number;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    word_(word, hasNumber, number);
  }

  void word_(std::string_view w, bool hasNumber, long n) {
    const bool on = !hasNumber || n != 0;
    if (w == "par" || w == "line" || w == "row") {
      emitText("\n");
    } else if (w == "tab" || w == "cell") {
      emitText("\t");
    } else if (w == "b") {
      state_.bold = on;
    } else if (w == "i") {
      state_.italic = on;
    } else if (w == "ul") {
      state_.underline = on;
    } else if (w == "ulnone") {
      state_.underline = false;
    } else if (w == "plain") {
      state_.bold = state_.italic = state_.underline = false;
    } else if (w == "uc") {
      state_.ucSkip = hasNumber && n >= 0 ? static_cast<int>(n) : 1;
    } else if (w == "u" && hasNumber) {
      const long code = n < 0 ? n + 65536 : n;
      pending_ = 0;
      const auto byte = code >= 0 && code <= 0x10FFFF
                            ? CodePointToCp1251(static_cast<char32_t>(code))
                            : std::nullopt;
      if (byte) emit(std::string(1, static_cast<char>(*byte)));
      pending_ = state_.ucSkip;
    } else if (w == "emdash") {
      emitText("\x97");
    } else if (w == "endash") {
      emitText("\x96");
    } else if (w == "bullet") {
      emitText("\x95");
    } else if (w == "lquote") {
      emitText("\x91");
    } else if (w == "rquote") {
      emitText("\x92");
    } else if (w == "ldblquote") {
      emitText("\x93");
    } else if (w == "rdblquote") {
      emitText("\x94");
    } else if (IsSkippedDestination(w)) {
      state_.skip = true;
    }
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  GroupState state_;
  std::vector<GroupState> stack_;
  std::vector<RichRun> runs_;
  int pending_ = 0;
};

}  // namespace

std::vector<RichRun> ParseRtf(std::string_view rtf) {
  return Reader(rtf).read();
}

}  // namespace quorvex
