#include "sim/at_framer.h"

namespace quorvex::sim {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kBs = 8;
constexpr char kCtrlZ = 26;
constexpr char kEsc = 27;
}  // namespace

std::optional<FramerEvent> AtFramer::next() {
  const auto take = [&](FramerEvent::Kind kind) {
    FramerEvent ev{kind, std::move(current_), overflow_};
    current_.clear();
    overflow_ = false;
    return ev;
  };
  while (pos_ < pending_.size()) {
    const char c = pending_[pos_++];
    if (pos_ == pending_.size()) {
      pending_.clear();
      pos_ = 0;
    }
    if (c == kLf || c == '\0') continue;
    if (c == kBs) {
      if (!current_.empty()) current_.pop_back();
      continue;
    }
    if (textMode_) {
      if (c == kCr) {
        textSize_ += current_.size() + 1;
        return take(FramerEvent::Kind::TextBreak);
      }
      if (c == kCtrlZ || c == kEsc) {
        textMode_ = false;
        textSize_ = 0;
        return take(c == kCtrlZ ? FramerEvent::Kind::TextEnd : FramerEvent::Kind::TextCancel);
      }
      if (textSize_ + current_.size() < kMaxText) {
        current_ += c;
      } else {
        overflow_ = true;
      }
      continue;
    }
    if (c == kCr) return take(FramerEvent::Kind::Line);
    if (c == kCtrlZ) return take(FramerEvent::Kind::Discarded);
    if (c == kEsc) {
      current_.clear();
      overflow_ = false;
      continue;
    }
    if (current_.size() < kMaxLine) {
      current_ += c;
    } else {
      overflow_ = true;
    }
  }
  return std::nullopt;
}

}  // namespace quorvex::sim
