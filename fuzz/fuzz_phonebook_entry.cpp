// The phone book read's cutting of a chunk reply: the entry lines of every family on
// arbitrary bytes, and records laid out as the handset sends them (its family's fields, or
// 25 with empty ones and quoted empty texts after them) read back field for field through
// the same steps the read takes (trim, "OK" cut off, split, parse). A record read goes back
// with the name's hex as it came.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/ucs2.h"
#include "fuzz_util.h"
#include "phonebook/records.h"

namespace {

using namespace quorvex::fuzz;
using quorvex::phonebook::Family;
using quorvex::phonebook::HasGroups;
using quorvex::phonebook::TAbonentInfo;

constexpr Family kFamilies[] = {Family::Classic, Family::Grouped, Family::GroupedText,
                                Family::None};

void CheckRawLine(std::string_view line, Family family, std::int32_t simFirst) {
  try {
    const TAbonentInfo r = quorvex::phonebook::ParseEntryLine(line, family, simFirst);
    FUZZ_CHECK(OccursIn(r.Number, line));
    FUZZ_CHECK(r.OnSim == (r.Index >= simFirst ? 1 : 0));
    // Each name character comes from four hex digits of the line.
    FUZZ_CHECK(r.Name.size() * 4 <= line.size());
    FUZZ_CHECK(r.IconText.size() * 4 <= line.size());
    if (family != Family::GroupedText) FUZZ_CHECK(r.IconText.empty());
    if (!HasGroups(family)) {
      FUZZ_CHECK(r.Category == 0 && r.IconId == 0 && r.Attr12 == 255 && r.Attr13 == 0);
    }
    FUZZ_CHECK(r.Tail1 == 0 && r.Tail2 == 0);
    FUZZ_CHECK(OccursIn(r.NameHex, line));
    FUZZ_CHECK(quorvex::phonebook::NameHexFor(r) == r.NameHex);
  } catch (const quorvex::EConvertError&) {
  }
}

void CheckRawChunk(std::string_view reply, int most) {
  const std::vector<std::string_view> lines = quorvex::phonebook::SplitChunkReply(reply, most);
  FUZZ_CHECK(static_cast<int>(lines.size()) <= std::max(most, 0));
  for (std::string_view line : lines) {
    FUZZ_CHECK(ViewInside(line, reply));
    FUZZ_CHECK(line.find("\r\n") == std::string_view::npos);
  }
}

TAbonentInfo MakeRecord(FuzzedDataProvider& in, Family family) {
  TAbonentInfo r;
  r.Index = in.ConsumeIntegral<std::int32_t>();
  // The number travels quoted; a CR LF in it would end the entry line early.
  r.Number = Text(in, "\"\r");
  r.NumberFormat = in.ConsumeIntegral<std::uint8_t>();
  r.Name = Encodable(in.ConsumeRandomLengthString(24));
  r.NumberType = in.ConsumeIntegral<std::uint8_t>();
  r.Attr6 = in.ConsumeIntegral<std::uint8_t>();
  r.AlertId = in.ConsumeIntegral<std::int32_t>();
  r.Attr8 = in.ConsumeIntegral<std::uint8_t>();
  r.Attr9 = in.ConsumeIntegral<std::uint8_t>();
  if (HasGroups(family)) {
    r.Category = in.ConsumeIntegral<std::uint8_t>();
    r.IconId = in.ConsumeIntegral<std::int32_t>();
    r.Attr12 = in.ConsumeIntegral<std::uint8_t>();
    r.Attr13 = in.ConsumeIntegral<std::uint8_t>();
  } else {
    r.Attr12 = 255;
  }
  if (family == Family::GroupedText) r.IconText = Encodable(in.ConsumeRandomLengthString(12));
  r.NameHex = quorvex::TextToUcs2Hex(r.Name);
  return r;
}

using quorvex::text::IntToStr;

// The entry line a handset of the family sends for the record.
std::string HandsetLine(const TAbonentInfo& r, Family family, bool longLine) {
  std::string line = "+MPBR: " + IntToStr(r.Index) + ",\"" + r.Number + "\"," +
                     IntToStr(r.NumberFormat) + "," + r.NameHex + "," + IntToStr(r.NumberType) +
                     "," + IntToStr(r.Attr6) + "," + IntToStr(r.AlertId) + "," + IntToStr(r.Attr8) +
                     "," + IntToStr(r.Attr9);
  if (HasGroups(family) || longLine) {
    line += "," + IntToStr(r.Category) + "," + IntToStr(r.IconId) + "," + IntToStr(r.Attr12) + "," +
            IntToStr(r.Attr13);
  }
  if (family == Family::GroupedText || longLine) {
    line += "," + quorvex::TextToUcs2Hex(r.IconText) + ",3,4";
  }
  if (longLine) line += ",,,,,,,,\"\",\"\"";
  return line;
}

void CheckRoundTrip(FuzzedDataProvider& in, Family family) {
  const std::int32_t simFirst = in.ConsumeIntegral<std::int32_t>();
  const int count = in.ConsumeIntegralInRange(1, 4);
  std::vector<TAbonentInfo> records;
  std::string reply;
  for (int k = 0; k < count; ++k) {
    TAbonentInfo r = MakeRecord(in, family);
    reply += "\r\n" + HandsetLine(r, family, in.ConsumeBool()) + "\r\n";
    r.OnSim = r.Index >= simFirst ? 1 : 0;
    records.push_back(r);
  }
  reply += "\r\nOK\r\n";

  std::string trimmed = quorvex::text::Trim(reply);
  quorvex::text::Delete(trimmed, static_cast<std::int64_t>(trimmed.size()) - 1, 2);
  const std::vector<std::string_view> lines =
      quorvex::phonebook::SplitChunkReply(trimmed, count + in.ConsumeIntegralInRange(0, 2));
  FUZZ_CHECK(lines.size() == records.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const TAbonentInfo back = quorvex::phonebook::ParseEntryLine(lines[k], family, simFirst);
    FUZZ_CHECK(back == records[k]);
    // Written back, the record carries the handset's own name hex.
    const std::string command = quorvex::phonebook::RecordWriteCommand(back, family);
    FUZZ_CHECK(OccursIn("," + back.NameHex + ",", command));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Family family = kFamilies[in.ConsumeIntegralInRange(0, 3)];
  if (in.ConsumeBool()) {
    CheckRoundTrip(in, family);
    return 0;
  }
  const std::int32_t simFirst = in.ConsumeIntegral<std::int32_t>();
  const int most = in.ConsumeIntegralInRange(-1, 40);
  const std::string bytes = in.ConsumeRemainingBytesAsString();
  CheckRawLine(bytes, family, simFirst);
  CheckRawChunk(bytes, most);
  for (std::string_view line : quorvex::phonebook::SplitChunkReply(bytes, most))
    CheckRawLine(line, family, simFirst);
  return 0;
}
