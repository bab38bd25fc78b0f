// The C library's own converter, as an independent check of our hand-written tables.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>

// Code page 1251 bytes in the library's encoding `to`; nothing where it cannot convert them.
inline std::optional<std::string> LibraryFromCp1251(const char* to, const std::string& in) {
  iconv_t cd = iconv_open(to, "CP1251");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string buffer = in;
  char out[16];
  char* src = buffer.data();
  char* dst = out;
  std::size_t srcLeft = buffer.size(), dstLeft = sizeof out;
  const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return std::nullopt;
  return std::string(out, dst);
}
