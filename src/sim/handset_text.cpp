#include "sim/handset_text.h"

#include <array>
#include <map>

#include "codec/cp1251.h"

namespace quorvex::sim {

namespace {

// The code page's table comes from the codec; the handset only needs it both ways.
struct Tables {
  std::array<char32_t, 256> codePoint{};
  std::map<char32_t, char> byte;
  Tables() {
    for (int b = 0; b < 256; ++b) {
      codePoint[b] = Cp1251ToCodePoint(static_cast<unsigned char>(b));
      if (codePoint[b] != 0xFFFD) byte.emplace(codePoint[b], static_cast<char>(b));
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

char ByteOf(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  const auto& map = tables().byte;
  const auto it = map.find(c);
  return it == map.end() ? '?' : it->second;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<Charset> CharsetFromName(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upper == "IRA") return Charset::Ira;
  if (upper == "GSM") return Charset::Gsm;
  if (upper == "ASCII") return Charset::Ascii;
  if (upper == "8859-1") return Charset::Latin1;
  if (upper == "UCS2") return Charset::Ucs2;
  return std::nullopt;
}

std::string CharsetName(Charset charset) {
  switch (charset) {
    case Charset::Ira:
      return "IRA";
    case Charset::Gsm:
      return "GSM";
    case Charset::Ascii:
      return "ASCII";
    case Charset::Latin1:
      return "8859-1";
    case Charset::Ucs2:
      return "UCS2";
  }
  return "IRA";
}

std::string EncodeUcs2Hex(std::string_view cp1251) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(cp1251.size() * 4);
  for (const char ch : cp1251) {
    const char32_t c = tables().codePoint[static_cast<unsigned char>(ch)];
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(c >> shift) & 0xF];
  }
  return out;
}

std::optional<std::string> DecodeUcs2Hex(std::string_view hex) {
  if (hex.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(hex.size() / 4);
  for (std::size_t i = 0; i < hex.size(); i += 4) {
    char32_t c = 0;
    for (std::size_t k = i; k < i + 4; ++k) {
      const int v = HexValue(hex[k]);
      if (v < 0) return std::nullopt;
      c = (c << 4) | static_cast<char32_t>(v);
    }
    out += ByteOf(c);
  }
  return out;
}

std::string EncodeText(Charset charset, std::string_view cp1251) {
  if (charset == Charset::Ucs2) return EncodeUcs2Hex(cp1251);
  std::string out;
  out.reserve(cp1251.size());
  for (const char ch : cp1251) {
    const char32_t c = tables().codePoint[static_cast<unsigned char>(ch)];
    const char32_t limit = charset == Charset::Latin1 ? 0x100 : 0x80;
    out += c < limit ? static_cast<char>(c) : '?';
  }
  return out;
}

std::optional<std::string> DecodeText(Charset charset, std::string_view wire) {
  if (charset == Charset::Ucs2) return DecodeUcs2Hex(wire);
  std::string out;
  out.reserve(wire.size());
  for (const char ch : wire) {
    const auto c = static_cast<unsigned char>(ch);
    if (charset == Charset::Latin1) {
      out += ByteOf(c);
    } else {
      out += c < 0x80 ? static_cast<char>(c) : '?';
    }
  }
  return out;
}

}  // namespace quorvex::sim
