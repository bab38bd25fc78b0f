// The phone information routines' cutting: the trimmed and quoted values, the bands and
// model, the battery charge and the signal strength. Arbitrary bytes must give only
// conversion errors and texts no longer than the reply, gauges within their ranges; replies
// laid out as the handset sends them must give back the values they were built from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/errors.h"
#include "fuzz_util.h"
#include "info/phone_info.h"

namespace {

using namespace quorvex::fuzz;

constexpr const char* kSuffix = "\r\n\r\nOK\r\n";
const char* const kPrefixes[] = {"\r\n+CGSN: IMEI", "\r\n+CIMI: ", "\r\n+CGMI: ", "\r\n+CGMR: ",
                                 "\r\n+CGMM: ",     "\r\n+CBC: ",  "\r\n+CSQ: ",  ""};

void CheckRaw(const std::string& prefix, const std::string& reply) {
  FUZZ_CHECK(quorvex::TrimInfoReply(reply, prefix).size() <= reply.size());
  FUZZ_CHECK(quorvex::CutQuotedValue(reply, prefix).size() <= reply.size());
  const quorvex::ModelReply m = quorvex::CutModelReply(reply);
  FUZZ_CHECK(m.model.size() <= reply.size());
  // Each band comma may gain a blank, nothing else is added.
  FUZZ_CHECK(m.bands.size() <= 2 * reply.size());

  try {
    quorvex::Gauge charge{0, 100, 0};
    charge.setProgress(quorvex::CutBatteryCharge(reply));
    FUZZ_CHECK(charge.Progress >= 0 && charge.Progress <= 100);
    FUZZ_CHECK(charge.percentDone() >= 0 && charge.percentDone() <= 100);
  } catch (const quorvex::EConvertError&) {
  }
  try {
    if (const auto level = quorvex::SignalGaugeValue(quorvex::CutSignalStrength(reply))) {
      quorvex::Gauge signal{-114, -50, -114};
      signal.setProgress(*level);
      FUZZ_CHECK(*level == signal.Progress);
    }
  } catch (const quorvex::EConvertError&) {
  }
}

void CheckBuilt(FuzzedDataProvider& in) {
  // A value never holds a CR of its own: the suffix starts with one.
  const std::string value = Text(in, "\r", 32);
  const std::string prefix = kPrefixes[in.ConsumeIntegralInRange(0, 3)];
  FUZZ_CHECK(quorvex::TrimInfoReply(prefix + value + kSuffix, prefix) == value);
  FUZZ_CHECK(quorvex::CutQuotedValue(prefix + "\"" + value + "\"" + kSuffix, prefix) == value);

  std::vector<std::string> bands(static_cast<std::size_t>(in.ConsumeIntegralInRange(1, 4)));
  std::string quoted, joined;
  for (std::string& band : bands) {
    band = Text(in, "\",\r", 10);
    if (band.empty() || band.find("MODEL") != std::string::npos) return;
    quoted += (quoted.empty() ? "\"" : ",\"") + band + "\"";
    joined += (joined.empty() ? "" : ", ") + band;
  }
  const std::string model = Text(in, "\"\r", 10);
  const quorvex::ModelReply m =
      quorvex::CutModelReply("\r\n+CGMM: " + quoted + ",\"MODEL=" + model + "\"" + kSuffix);
  FUZZ_CHECK(m.bands == joined);
  FUZZ_CHECK(m.model == model);

  const std::int32_t level = in.ConsumeIntegral<std::int32_t>();
  const std::string status(1, static_cast<char>('0' + in.ConsumeIntegralInRange(0, 9)));
  FUZZ_CHECK(quorvex::CutBatteryCharge("\r\n+CBC: " + status + "," + Str(level) + kSuffix) ==
             level);

  const std::int32_t rssi = in.ConsumeIntegral<std::int32_t>();
  FUZZ_CHECK(quorvex::CutSignalStrength("\r\n+CSQ: " + Str(rssi) + "," +
                                        Str(in.ConsumeIntegral<std::uint8_t>()) + kSuffix) == rssi);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckBuilt(in);
  } else {
    const std::string prefix = kPrefixes[in.ConsumeIntegralInRange(0, 7)];
    CheckRaw(prefix, in.ConsumeRemainingBytesAsString());
  }
  return 0;
}
