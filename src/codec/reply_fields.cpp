#include "codec/reply_fields.h"

#include "codec/delphi_text.h"

namespace quorvex {

using text::Copy;
using text::Delete;
using text::Pos;

bool ReplyHasOk(std::string_view reply) {
  return Pos("OK", reply) > 0;
}

std::string ValueAfterEquals(std::string_view reply) {
  const int equals = Pos("=", reply);
  const std::string rest = Copy(reply, equals + 1, static_cast<std::int64_t>(reply.size()));
  const int quote = Pos("\"", rest);
  return Copy(rest, 1, quote - 1);
}

void ParseStorageRange(std::string_view reply, std::int32_t& last, std::int32_t& second,
                       std::int32_t& third) {
  // Positions are full-width ints: a long reply is cut at its real separators.
  std::string s = text::Trim(reply);
  Delete(s, 1, Pos("-", s));

  int comma = Pos(",", s);
  last = text::StrToIntDecimal(Copy(s, 1, comma - 1));
  Delete(s, 1, comma);

  comma = Pos(",", s);
  second = text::StrToIntDecimal(Copy(s, 1, comma - 1));
  Delete(s, 1, comma);

  comma = Pos(",", s);
  third = text::StrToIntDecimal(Copy(s, 1, comma - 1));
}

std::optional<int> FixedDigits(std::string_view s, std::size_t at, std::size_t count) {
  int v = 0;
  for (std::size_t k = at; k < at + count; ++k) {
    if (k >= s.size() || s[k] < '0' || s[k] > '9') return std::nullopt;
    v = v * 10 + (s[k] - '0');
  }
  return v;
}

std::string DropControls(std::string_view s, bool keepLineBreaks) {
  std::string out;
  out.reserve(s.size());
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    const bool control = b < 0x20 || b == 0x7F;
    if (!control || (keepLineBreaks && (c == '\r' || c == '\n' || c == '\t'))) out += c;
  }
  return out;
}

}  // namespace quorvex
