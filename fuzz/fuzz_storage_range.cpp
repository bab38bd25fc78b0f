// The storage-range cutter on arbitrary replies, against a reference written with
// std::string searches: same three fields, same failure, untouched results kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"

namespace {

constexpr std::int32_t kUnset = 0x5EED;

struct Expected {
  std::int32_t values[3] = {kUnset, kUnset, kUnset};
  bool fails = false;
  std::string failedField;
};

Expected Reference(std::string_view reply) {
  const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!reply.empty() && isTrimmed(reply.front())) reply.remove_prefix(1);
  while (!reply.empty() && isTrimmed(reply.back())) reply.remove_suffix(1);
  if (const std::size_t dash = reply.find('-'); dash != std::string_view::npos) {
    reply.remove_prefix(dash + 1);
  }
  Expected result;
  for (int field = 0; field < 3; ++field) {
    const std::size_t comma = reply.find(',');
    const std::string text(comma == std::string_view::npos ? "" : reply.substr(0, comma));
    try {
      // StrToIntDecimal is checked on its own by fuzz_str_to_int; here it is the oracle.
      result.values[field] = quorvex::text::StrToIntDecimal(text);
    } catch (const quorvex::EConvertError&) {
      result.fails = true;
      result.failedField = text;
      return result;
    }
    reply.remove_prefix(comma + 1);
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  const Expected expected = Reference(reply);
  std::int32_t values[3] = {kUnset, kUnset, kUnset};
  try {
    quorvex::ParseStorageRange(reply, values[0], values[1], values[2]);
    if (expected.fails) std::abort();
  } catch (const quorvex::EConvertError& e) {
    if (!expected.fails) std::abort();
    if (expected.failedField.find('\0') == std::string::npos &&
        e.what() != quorvex::text::InvalidIntegerMessage(expected.failedField)) {
      std::abort();
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (values[i] != expected.values[i]) std::abort();
  }
  return 0;
}
