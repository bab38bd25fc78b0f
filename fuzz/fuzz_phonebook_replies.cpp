// The phone book's short reply cutters: the model name, one storage's index bounds, the
// group count and a group's name. Each on arbitrary bytes (only conversion errors, results
// taken from the reply, untouched outputs kept), and each on a reply built the way the
// handset answers, which must give back the values it was built from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/errors.h"
#include "codec/ucs2.h"
#include "fuzz_util.h"
#include "phonebook/records.h"

namespace {

using namespace quorvex::fuzz;
namespace pb = quorvex::phonebook;

constexpr std::int32_t kUnset = 0x5EED;

void CheckRaw(const std::string& reply) {
  const std::string model = pb::CutModelName(reply);
  FUZZ_CHECK(model.size() <= reply.size());

  std::int32_t first = kUnset, last = kUnset;
  try {
    pb::CutStorageBounds(reply, first, last);
  } catch (const quorvex::EConvertError&) {
    // The bounds are assigned in order: the second never without the first.
    FUZZ_CHECK(last == kUnset);
  }

  try {
    pb::CutGroupCount(reply);
  } catch (const quorvex::EConvertError&) {
  }

  try {
    const std::string name = pb::CutGroupName(reply);
    FUZZ_CHECK(name.size() * 4 <= reply.size());
  } catch (const quorvex::EConvertError&) {
  }
}

void CheckBuilt(FuzzedDataProvider& in) {
  // "\r\n+CGMM: "bands","MODEL=name"" as the handsets answer it.
  const std::string bands = Text(in, "\"\r");
  const std::string name = Text(in, "\"\r");
  if (bands.find("MODEL=") == std::string::npos) {
    FUZZ_CHECK(pb::CutModelName("\r\n+CGMM: \"" + bands + "\",\"MODEL=" + name +
                                "\"\r\n\r\nOK\r\n") == name);
  }

  const std::int32_t low = in.ConsumeIntegralInRange<std::int32_t>(0, INT32_MAX);
  const std::int32_t high = in.ConsumeIntegral<std::int32_t>();
  const std::string tail = in.ConsumeRandomLengthString(16);
  std::int32_t first = kUnset, last = kUnset;
  pb::CutStorageBounds("\r\n+MPBR: " + Str(low) + "-" + Str(high) + "," + tail, first, last);
  FUZZ_CHECK(first == low && last == high);

  const std::int32_t count = in.ConsumeIntegral<std::int32_t>();
  FUZZ_CHECK(pb::CutGroupCount("\r\n+MPGR: (1-" + Str(count) + ")," + tail) == count);

  const std::string group = Encodable(in.ConsumeRandomLengthString(16));
  const std::string reply = "\r\n+MPGR: " + Str(in.ConsumeIntegral<std::int32_t>()) + "," +
                            quorvex::TextToUcs2Hex(group) + "," + tail;
  FUZZ_CHECK(pb::CutGroupName(reply) == group);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckBuilt(in);
  } else {
    CheckRaw(in.ConsumeRemainingBytesAsString());
  }
  return 0;
}
