#include "codec/name_uuid.h"

#include <cstdio>

namespace quorvex {

namespace {

std::uint32_t Rotate(std::uint32_t v, int bits) {
  return (v << bits) | (v >> (32 - bits));
}

void Block(std::array<std::uint32_t, 5>& h, const std::uint8_t* block) {
  std::array<std::uint32_t, 80> w;
  for (int t = 0; t < 16; ++t)
    w[t] = std::uint32_t{block[4 * t]} << 24 | std::uint32_t{block[4 * t + 1]} << 16 |
           std::uint32_t{block[4 * t + 2]} << 8 | block[4 * t + 3];
  for (int t = 16; t < 80; ++t) w[t] = Rotate(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);
  std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  for (int t = 0; t < 80; ++t) {
    std::uint32_t f, k;
    if (t < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (t < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (t < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    const std::uint32_t next = Rotate(a, 5) + f + e + k + w[t];
    e = d;
    d = c;
    c = Rotate(b, 30);
    b = a;
    a = next;
  }
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
}

}  // namespace

Sha1Digest Sha1(std::string_view bytes) {
  std::array<std::uint32_t, 5> h = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::size_t at = 0;
  for (; at + 64 <= bytes.size(); at += 64)
    Block(h, reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
  // The tail, the 0x80 marker and the length in bits fill one or two last blocks.
  std::array<std::uint8_t, 128> tail{};
  const std::size_t rest = bytes.size() - at;
  for (std::size_t k = 0; k < rest; ++k) tail[k] = static_cast<std::uint8_t>(bytes[at + k]);
  tail[rest] = 0x80;
  const std::size_t blocks = rest + 1 + 8 <= 64 ? 1 : 2;
  const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
  for (int k = 0; k < 8; ++k)
    tail[blocks * 64 - 1 - k] = static_cast<std::uint8_t>(bits >> (8 * k));
  for (std::size_t b = 0; b < blocks; ++b) Block(h, tail.data() + 64 * b);
  Sha1Digest out;
  for (int k = 0; k < 20; ++k) out[k] = static_cast<std::uint8_t>(h[k / 4] >> (24 - 8 * (k % 4)));
  return out;
}

std::string NameBasedUuid(const UuidBytes& nameSpace, std::string_view name) {
  std::string input(nameSpace.begin(), nameSpace.end());
  input += name;
  const Sha1Digest digest = Sha1(input);
  UuidBytes u;
  for (int k = 0; k < 16; ++k) u[k] = digest[k];
  u[6] = static_cast<std::uint8_t>((u[6] & 0x0F) | 0x50);  // version 5
  u[8] = static_cast<std::uint8_t>((u[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", u[0], u[1],
                u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9], u[10], u[11], u[12], u[13], u[14],
                u[15]);
  return text;
}

}  // namespace quorvex
