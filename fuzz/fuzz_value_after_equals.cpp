// The model cutter on arbitrary replies, against a reference written with std::string.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codec/reply_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);

  std::string_view rest = reply;
  if (const std::size_t equals = rest.find('='); equals != std::string_view::npos) {
    rest.remove_prefix(equals + 1);
  }
  const std::size_t quote = rest.find('"');
  const std::string expected =
      quote == std::string_view::npos ? "" : std::string(rest.substr(0, quote));

  if (quorvex::ValueAfterEquals(reply) != expected) std::abort();
  return 0;
}
