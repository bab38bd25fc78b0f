// SHA-1 against the published test vectors (the padding's one- and two-block ends among
// them) and the name-based UUID against a known version 5 identifier.
#include "codec/name_uuid.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace quorvex {
namespace {

std::string Hex(const Sha1Digest& d) {
  std::string out;
  char two[3];
  for (const std::uint8_t b : d) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

TEST(Sha1, KnownDigests) {
  const struct {
    std::string in, digest;
  } cases[] = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(55, 'x'), "cef734ba81a024479e09eb5a75b6ddae62e6abf1"},
      {std::string(56, 'x'), "901305367c259952f4e7af8323f480d59f81335b"},
      {std::string(64, 'x'), "bb2fa3ee7afb9f54c6dfb5d021f14b1ffe40c163"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(Sha1(c.in)), c.digest) << c.in.size();
}

TEST(NameBasedUuid, VersionFiveOfTheDnsNamespace) {
  const UuidBytes dns = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                         0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
  EXPECT_EQ(NameBasedUuid(dns, "python.org"), "886313e1-3b8a-5372-9b90-0c9aee199e5d");
  EXPECT_NE(NameBasedUuid(dns, "python.org"), NameBasedUuid(dns, "python.org."));
}

}  // namespace
}  // namespace quorvex
