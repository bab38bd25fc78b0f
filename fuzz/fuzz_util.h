// Small helpers the fuzz targets share: the failure check, text filters for building
// well-formed replies out of fuzzer bytes, and the "inside the input" test for cut results.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fuzzer/FuzzedDataProvider.h>

namespace quorvex::fuzz {

// Aborts with the failed condition, so a finding's log says which invariant broke.
#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

// The bytes the UCS2 encoder keeps: every character of the code page but the controls.
inline bool IsEncodable(unsigned char b) {
  return b >= 0x20 && b != 0x7F && b != 0x98;
}

inline std::string Encodable(std::string_view s) {
  std::string out;
  for (char c : s)
    if (IsEncodable(static_cast<unsigned char>(c))) out += c;
  return out;
}

// s without any of the bytes in drop.
inline std::string Without(std::string_view s, std::string_view drop) {
  std::string out;
  for (char c : s)
    if (drop.find(c) == std::string_view::npos) out += c;
  return out;
}

// s without its control characters.
inline std::string WithoutControls(std::string_view s) {
  std::string out;
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
  return out;
}

// A result that is cut out of the input must occur in it.
inline bool OccursIn(std::string_view part, std::string_view whole) {
  return whole.find(part) != std::string_view::npos;
}

// A view that points into the input's own bytes.
inline bool ViewInside(std::string_view part, std::string_view whole) {
  if (part.empty()) return true;
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

inline std::string Str(long long v) {
  return std::to_string(v);
}

// A short text from the fuzzer bytes with the given bytes left out.
inline std::string Text(FuzzedDataProvider& in, std::string_view drop, std::size_t most = 24) {
  return Without(in.ConsumeRandomLengthString(most), drop);
}

}  // namespace quorvex::fuzz
