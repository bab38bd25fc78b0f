// Name-based UUIDs (version 5: SHA-1 of a namespace and a name), for identifiers that must
// come out the same whenever the same thing is written, on any machine.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex {

using Sha1Digest = std::array<std::uint8_t, 20>;
Sha1Digest Sha1(std::string_view bytes);

using UuidBytes = std::array<std::uint8_t, 16>;
// The UUID of `name` in the namespace, in the usual lower-case 8-4-4-4-12 form.
std::string NameBasedUuid(const UuidBytes& nameSpace, std::string_view name);

}  // namespace quorvex
