#include "codec/charsets.h"

#include <iconv.h>

#include <cerrno>
#include <optional>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/hex_digits.h"
#include "codec/ru.h"
#include "codec/utf8.h"

namespace quorvex {

namespace {

// Through the system's converter; nullopt when it does not know the charset. A byte it
// cannot convert becomes U+FFFD, so the preview names it instead of losing it silently.
std::optional<std::string> ConvertWithIconv(std::string_view bytes, const std::string& charset) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::string in(bytes);
  char* src = in.data();
  std::size_t left = in.size();
  char buffer[256];
  while (left > 0) {
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (a truncated sequence at the end): one byte goes, marked.
      AppendUtf8(out, 0xFFFD);
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string CharsetToUtf8(std::string_view bytes, const std::string& charset,
                          std::vector<std::string>& notes) {
  const std::string cs = text::UpperCase(charset);
  if (cs.empty()) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    // Address books of this region wrote their 2.1 cards in the Windows code page without
    // saying so.
    notes.push_back(Ru("Текст без указания кодировки прочитан как windows-1251"));
    return Cp1251ToUtf8(bytes);
  }
  if (cs == "UTF-8" || cs == "UTF8" || cs == "US-ASCII" || cs == "ASCII") {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
      char32_t cp;
      const std::size_t n = DecodeUtf8(bytes, at, cp);
      AppendUtf8(out, cp);
      at += n == 0 ? 1 : n;
    }
    return out;
  }
  if (cs == "WINDOWS-1251" || cs == "CP1251") return Cp1251ToUtf8(bytes);
  if (cs == "ISO-8859-1" || cs == "LATIN1") {
    std::string out;
    for (const char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
  }
  if (auto converted = ConvertWithIconv(bytes, cs)) return *converted;
  notes.push_back(Ru("Неизвестная кодировка ") + Utf8ToCp1251Lossy(charset) +
                  Ru(": текст прочитан как UTF-8"));
  return CharsetToUtf8(bytes, "UTF-8", notes);
}

std::string DecodeQuotedPrintable(std::string_view s) {
  std::string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == '=' && k + 2 < s.size() && HexDigitValue(s[k + 1]) >= 0 &&
        HexDigitValue(s[k + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(s[k + 1]) * 16 + HexDigitValue(s[k + 2]));
      k += 2;
    } else {
      out += s[k];  // a stray "=" stays as it is
    }
  }
  return out;
}

}  // namespace quorvex
