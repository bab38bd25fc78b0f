// The 32-bit FNV-1a hash: short, stable across runs and machines, for identifiers and line
// checksums that are stored in files.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvex {

inline std::uint32_t Fnv1a(std::string_view bytes) {
  std::uint32_t h = 2166136261u;
  for (const unsigned char c : bytes) {
    h ^= c;
    h *= 16777619u;
  }
  return h;
}

}  // namespace quorvex
