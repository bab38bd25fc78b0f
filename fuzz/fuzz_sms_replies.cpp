// The message read's cutting per folder: the storage command's count, the header listing,
// one header line and the reading reply. Arbitrary bytes must give only conversion errors
// and parts taken from the reply; a folder laid out as the handset lists and reads it must
// give back every index, status, number, date/time and text it was built from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/errors.h"
#include "codec/ucs2.h"
#include "fuzz_util.h"
#include "messages/sms_section.h"

namespace {

using namespace quorvex::fuzz;
namespace sms = quorvex::sms;

constexpr sms::Folder kFolders[] = {sms::kIncoming, sms::kUnsent, sms::kSent, sms::kDrafts};
const char* const kStatuses[] = {"\"REC READ\"", "\"REC UNREAD\"", "\"STO UNSENT\"",
                                 "\"STO SENT\""};

void CheckRaw(FuzzedDataProvider& in) {
  const std::int32_t n = in.ConsumeIntegralInRange(-2, 64);
  const std::string status = in.ConsumeBool() ? kStatuses[in.ConsumeIntegralInRange(0, 3)]
                                              : in.ConsumeRandomLengthString(14);
  const sms::Folder folder = kFolders[in.ConsumeIntegralInRange(0, 3)];
  const std::string reply = in.ConsumeRemainingBytesAsString();

  try {
    sms::CutMessageCount(reply);
  } catch (const quorvex::EConvertError&) {
  }

  const std::vector<std::string> headers = sms::SplitListing(reply, n);
  FUZZ_CHECK(static_cast<std::int32_t>(headers.size()) <= std::max(n, 0));
  std::size_t taken = 0;
  for (const std::string& line : headers) {
    FUZZ_CHECK(line.find('\r') == std::string::npos);
    FUZZ_CHECK(OccursIn(line, reply));
    taken += line.size();
    const sms::ListingHeader h = sms::CutListingHeader(line);
    FUZZ_CHECK(OccursIn(h.index, line) && OccursIn(h.status, line));
    FUZZ_CHECK(h.index.find(',') == std::string::npos && h.status.find(',') == std::string::npos);
  }
  FUZZ_CHECK(taken <= reply.size());

  const sms::MessageReading m = sms::CutMessageReading(reply, folder, status);
  const std::string printable = WithoutControls(reply);
  FUZZ_CHECK(OccursIn(m.number, printable) && OccursIn(m.dateTime, printable));
  FUZZ_CHECK(m.number == WithoutControls(m.number) && m.dateTime == WithoutControls(m.dateTime));
  FUZZ_CHECK(OccursIn(m.hexText, reply));
  FUZZ_CHECK(m.hexText.find('\r') == std::string::npos);
  if (folder != sms::kIncoming) FUZZ_CHECK(m.dateTime.empty());
  try {
    for (const unsigned char c : quorvex::Ucs2MessageToText(m.hexText))
      FUZZ_CHECK(c >= 0x20 ? c != 0x7F : (c == '\r' || c == '\n' || c == '\t'));
  } catch (const quorvex::EConvertError&) {
  }
}

struct Message {
  std::int32_t index;
  std::string status, number, dateTime, text;
};

std::string Line(const std::string& s) {
  return "\r\n" + s + "\r\n";
}

void CheckBuilt(FuzzedDataProvider& in) {
  const sms::Folder folder = kFolders[in.ConsumeIntegralInRange(0, 3)];
  const bool incoming = folder == sms::kIncoming;
  const int count = in.ConsumeIntegralInRange(0, 5);
  std::vector<Message> messages;
  std::string listing;
  for (int k = 0; k < count; ++k) {
    Message m;
    m.index = in.ConsumeIntegralInRange<std::int32_t>(1, 2000);
    if (incoming) {
      m.status = kStatuses[in.ConsumeIntegralInRange(0, 1)];
    } else if (folder == sms::kSent) {
      m.status = kStatuses[3];
    } else {
      m.status = kStatuses[2];
    }
    m.number = Text(in, incoming ? "\",\r" : "\"\r", 16);
    if (incoming) m.dateTime = Text(in, "\"\r", 20);
    m.text = Encodable(in.ConsumeRandomLengthString(40));
    std::string header = "+MMGL: " + Str(m.index) + ", " + m.status + ", \"" + m.number + "\"";
    if (incoming) header += ", \"" + m.dateTime + "\"";
    listing += Line(header);
    messages.push_back(std::move(m));
  }
  listing += Line("OK");

  const std::int32_t slots = in.ConsumeIntegralInRange<std::int32_t>(0, 500);
  const std::int32_t n = count + in.ConsumeIntegralInRange(0, 3);
  const std::string counts = Str(n) + "," + Str(slots);
  FUZZ_CHECK(sms::CutMessageCount(Line("+CPMS: " + counts + "," + counts + "," + counts) +
                                  "\r\nOK\r\n") == n);

  const std::vector<std::string> headers = sms::SplitListing(listing, n);
  FUZZ_CHECK(headers.size() == messages.size());
  for (std::size_t k = 0; k < headers.size(); ++k) {
    const Message& want = messages[k];
    const sms::ListingHeader h = sms::CutListingHeader(headers[k]);
    FUZZ_CHECK(h.index == Str(want.index));
    FUZZ_CHECK(h.status == want.status);

    std::string reading = "+MMGR: " + want.status + ", \"" + want.number + "\"";
    if (incoming) reading += ", \"" + want.dateTime + "\"";
    reading = "\r\n" + reading + "\r\n" + quorvex::TextToUcs2Hex(want.text) + "\r\n\r\nOK\r\n";
    const sms::MessageReading got = sms::CutMessageReading(reading, folder, h.status);
    FUZZ_CHECK(got.number == WithoutControls(want.number));
    FUZZ_CHECK(got.dateTime == WithoutControls(want.dateTime));
    FUZZ_CHECK(quorvex::Ucs2HexToText(got.hexText) == want.text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckBuilt(in);
  } else {
    CheckRaw(in);
  }
  return 0;
}
