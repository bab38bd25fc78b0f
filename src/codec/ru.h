// Russian texts are written in UTF-8 in the sources and held in code page 1251 at run time.
#pragma once

#include <string>
#include <string_view>

#include "codec/cp1251.h"

namespace quorvex {

inline std::string Ru(std::string_view utf8) {
  return Utf8ToCp1251Lossy(utf8);
}

}  // namespace quorvex
