// A reply or a file line cut from the front field by field, as Delete(s, 1, n) would cut
// it, without copying the rest at every step. It only views the text it was given.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace quorvex {

class FieldCutter {
 public:
  explicit FieldCutter(std::string_view s) : s_(s) {}

  std::string_view rest() const { return s_; }
  void skip(std::size_t n) { s_.remove_prefix(std::min(n, s_.size())); }

  // The text before the first sep; empty when there is none (Copy(s, 1, Pos - 1)).
  std::string_view before(char sep) const {
    const std::size_t at = s_.find(sep);
    return at == std::string_view::npos ? std::string_view() : s_.substr(0, at);
  }
  // Cuts through the first sep plus `extra` characters; with no sep only the extra ones go
  // (Delete(s, 1, Pos + extra)).
  void through(char sep, std::size_t extra = 0) {
    const std::size_t at = s_.find(sep);
    skip(at == std::string_view::npos ? extra : at + 1 + extra);
  }
  // The text before the next sep, cut through it; empty, and nothing cut, when there is none.
  std::string_view take(char sep) {
    const std::string_view f = before(sep);
    through(sep);
    return f;
  }

  // The next field of a line whose last field has no sep after it: the text before the next
  // sep, or all that is left. None once the last field has been taken.
  std::optional<std::string_view> field(char sep) {
    if (ended_) return std::nullopt;
    const std::size_t at = s_.find(sep);
    if (at == std::string_view::npos) {
      ended_ = true;
      return std::exchange(s_, std::string_view());
    }
    const std::string_view f = s_.substr(0, at);
    s_.remove_prefix(at + 1);
    return f;
  }

 private:
  std::string_view s_;
  bool ended_ = false;
};

}  // namespace quorvex
