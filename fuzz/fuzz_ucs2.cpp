// Decoding arbitrary handset text, and the encoder's round trip on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codec/errors.h"
#include "codec/ucs2.h"

namespace {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsKept(unsigned char b) {
  return (b >= 0x20 && b <= 0x7E) || b == 0xA8 || b == 0xB8 || b >= 0xC0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  bool allHex = true;
  for (const char c : input) allHex = allHex && IsHexDigit(c);
  try {
    const std::string text = quorvex::Ucs2HexToText(input);
    // At most one byte per group, the short trailing one included.
    if (text.size() > (size + 3) / 4) std::abort();
  } catch (const quorvex::EConvertError&) {
    // Only a group holding a non-hex character may fail.
    if (allHex) std::abort();
  }

  std::string kept;
  for (const char c : input) {
    if (IsKept(static_cast<unsigned char>(c))) kept += c;
  }
  const std::string hex = quorvex::TextToUcs2Hex(input);
  if (hex.size() != 4 * kept.size()) std::abort();
  for (const char c : hex) {
    if (!IsHexDigit(c) || (c >= 'a' && c <= 'f')) std::abort();
  }
  if (quorvex::Ucs2HexToText(hex) != kept) std::abort();
  return 0;
}
