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

// Every byte of the code page but the control bytes and 0x98, which stands for no character.
bool IsKept(unsigned char b) {
  return b >= 0x20 && b != 0x7F && b != 0x98;
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  bool allHex = true;
  for (const char c : input) allHex = allHex && IsHexDigit(c);
  try {
    const std::string text = quorvex::Ucs2HexToText(input);
    // At most one byte per whole group; a short trailing one gives none.
    if (text.size() > size / 4) std::abort();
    const std::string field = quorvex::Ucs2FieldToText(input);
    for (const char c : field) {
      if (IsControl(c)) std::abort();
    }
    const std::string message = quorvex::Ucs2MessageToText(input);
    for (const char c : message) {
      if (IsControl(c) && c != '\r' && c != '\n' && c != '\t') std::abort();
    }
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
