// The date book's count and entry replies: arbitrary bytes (only conversion errors, flags
// and repeat code at most one character, every field taken from the reply, the derived
// texts well formed), and events laid out as the handset sends them, read back field for
// field.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/ucs2.h"
#include "datebook/date_book_reply.h"
#include "fuzz_util.h"

namespace {

using namespace quorvex::fuzz;
namespace db = quorvex::datebook;

void CheckRaw(const std::string& reply, char separator) {
  try {
    const db::DateBookInfo info = db::ParseDateBookInfo(reply);
    const std::string share = db::FreeShareText(info.HighestIndex, info.UsedCount, separator);
    FUZZ_CHECK(!share.empty() && share.size() < 32);
  } catch (const quorvex::EConvertError&) {
  }
  try {
    const db::DateBookEntry e = db::ParseDateBookEntry(reply);
    FUZZ_CHECK(e.Title.size() * 4 <= reply.size());
    for (const std::string* one : {&e.EntryFlag, &e.AlarmFlag, &e.RepeatCode}) {
      FUZZ_CHECK(one->size() <= 1);
      FUZZ_CHECK(OccursIn(*one, reply));
    }
    for (const std::string* field :
         {&e.StartTime, &e.StartDate, &e.Duration, &e.AlarmTime, &e.AlarmDate}) {
      FUZZ_CHECK(OccursIn(*field, reply));
      FUZZ_CHECK(field->find(',') == std::string::npos);
    }
    const std::string repeat = db::RepeatText(e.RepeatCode);
    FUZZ_CHECK(repeat.empty() ==
               (e.RepeatCode.empty() || e.RepeatCode[0] < '0' || e.RepeatCode[0] > '5'));
    db::AlarmStateText(e.AlarmFlag);
  } catch (const quorvex::EConvertError&) {
  }
}

void CheckBuilt(FuzzedDataProvider& in) {
  const std::int32_t highest = in.ConsumeIntegral<std::int32_t>();
  const std::int32_t used = in.ConsumeIntegral<std::int32_t>();
  const std::int32_t third = in.ConsumeIntegral<std::int32_t>();
  const db::DateBookInfo info =
      db::ParseDateBookInfo("+MDBR: " + Str(highest) + "," + Str(used) + "," + Str(third) + "," +
                            Text(in, "\r\n", 8) + "\r\n\r\nOK");
  FUZZ_CHECK(info.HighestIndex == highest && info.UsedCount == used && info.Third == third);

  db::DateBookEntry want;
  want.Title = Encodable(in.ConsumeRandomLengthString(24));
  want.EntryFlag = std::string(1, in.ConsumeIntegral<char>());
  want.AlarmFlag = std::string(1, in.ConsumeIntegral<char>());
  want.StartTime = Text(in, ",", 8);
  want.StartDate = Text(in, ",", 12);
  want.Duration = Text(in, ",", 6);
  want.AlarmTime = Text(in, ",", 8);
  want.AlarmDate = Text(in, ",", 12);
  want.RepeatCode = std::string(1, in.ConsumeIntegral<char>());
  const std::string line = "+MDBR: " + Str(in.ConsumeIntegral<std::int32_t>()) + "," +
                           quorvex::TextToUcs2Hex(want.Title) + "," + want.EntryFlag + "," +
                           want.AlarmFlag + ",\"" + want.StartTime + "\",\"" + want.StartDate +
                           "\"," + want.Duration + ",\"" + want.AlarmTime + "\",\"" +
                           want.AlarmDate + "\"," + want.RepeatCode;
  // The read trims the reply and keeps its final result line.
  const std::string reply = quorvex::text::Trim("\r\n" + line + "\r\n\r\nOK\r\n");
  FUZZ_CHECK(db::ParseDateBookEntry(reply) == want);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckBuilt(in);
  } else {
    const char separator = in.ConsumeBool() ? ',' : '.';
    CheckRaw(in.ConsumeRemainingBytesAsString(), separator);
  }
  return 0;
}
