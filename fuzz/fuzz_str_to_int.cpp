// StrToInt and StrToIntDecimal against a reference built on strtoull with the same rules:
// leading spaces, one optional sign, then decimal digits or "$" and hex digits, nothing else.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "codec/delphi_text.h"
#include "codec/errors.h"

namespace {

std::optional<std::int32_t> Reference(const std::string& s, bool allowHex) {
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  int base = 10;
  if (allowHex && i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  }
  const std::string digits = s.substr(i);
  const char* allowed = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) {
    return std::nullopt;
  }
  errno = 0;
  const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
  if (errno == ERANGE) return std::nullopt;
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(magnitude);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
  }
  if (magnitude > 2147483648ull) return std::nullopt;
  const long long value =
      negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

template <typename Convert>
void Check(const std::string& s, bool allowHex, Convert convert) {
  const std::optional<std::int32_t> expected = Reference(s, allowHex);
  try {
    const std::int32_t value = convert(s);
    if (!expected || *expected != value) std::abort();
  } catch (const quorvex::EConvertError& e) {
    if (expected) std::abort();
    if (s.find('\0') == std::string::npos &&
        e.what() != "'" + s + "' is not a valid integer value") {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  Check(s, true, [](const std::string& t) { return quorvex::text::StrToInt(t); });
  Check(s, false, [](const std::string& t) { return quorvex::text::StrToIntDecimal(t); });
  return 0;
}
