// The phone book file: its line splitting and line parser on arbitrary bytes (only
// conversion errors, lines without line ends that cover the content, records within their
// line), and a file written from records read back into the same records and slots.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/errors.h"
#include "fuzz_util.h"
#include "phonebook/phonebook_file.h"

namespace {

using namespace quorvex::fuzz;
namespace pb = quorvex::phonebook;
using pb::Family;
using pb::TAbonentInfo;

constexpr Family kFamilies[] = {Family::Classic, Family::Grouped, Family::GroupedText,
                                Family::None};

void CheckRaw(std::string_view content, std::int32_t phoneLast, Family family) {
  const std::vector<std::string_view> lines = pb::SplitFileLines(content);
  FUZZ_CHECK(!lines.empty());
  std::size_t covered = 0;
  for (std::string_view line : lines) {
    FUZZ_CHECK(ViewInside(line, content));
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    covered += line.size();
  }
  // Every byte that is no CR or LF lies in a line; one more line than line ends, less the
  // empty one after a final line end.
  std::size_t breaks = 0, ends = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\r' && content[i] != '\n') continue;
    ++breaks;
    if (!(content[i] == '\n' && i > 0 && content[i - 1] == '\r')) ++ends;
  }
  FUZZ_CHECK(covered + breaks == content.size());
  const bool endsWithBreak = !content.empty() && (content.back() == '\r' || content.back() == '\n');
  FUZZ_CHECK(lines.size() == (content.empty() ? 1 : ends + 1 - (endsWithBreak ? 1 : 0)));

  for (std::string_view line : lines) {
    try {
      const pb::FileEntry e = pb::ParseFileLine(line, phoneLast, family);
      FUZZ_CHECK(OccursIn(e.record.Name, line) && OccursIn(e.record.Number, line));
      if (e.record.OnSim == 0) {
        FUZZ_CHECK(e.slot == static_cast<std::int64_t>(e.record.Index) - 1);
      } else {
        FUZZ_CHECK(e.record.NumberType == (pb::HasGroups(family) ? 8 : 7));
      }
    } catch (const quorvex::EConvertError&) {
    }
  }
}

void CheckRoundTrip(FuzzedDataProvider& in, Family family) {
  const std::int32_t phoneFirst = in.ConsumeIntegralInRange(1, 3);
  const std::int32_t phoneLast = in.ConsumeIntegralInRange(phoneFirst, 1000);
  const std::int32_t simFirst = phoneLast + 1;
  const int count = in.ConsumeIntegralInRange(0, 6);
  std::vector<TAbonentInfo> records;
  std::vector<TAbonentInfo> want;
  for (int k = 0; k < count; ++k) {
    TAbonentInfo r;
    r.OnSim = in.ConsumeBool() ? 1 : 0;
    r.Index = r.OnSim ? in.ConsumeIntegralInRange(simFirst, simFirst + 250)
                      : in.ConsumeIntegralInRange(1, phoneLast);
    // A SIM line keeps the name only up to its first ";"; a phone line keeps it whole.
    r.Name = Text(in, r.OnSim ? ";\r\n" : "\r\n");
    r.Number = Text(in, r.OnSim ? "\r\n" : ";\r\n");
    if (!r.OnSim) {
      r.NumberType = in.ConsumeIntegral<std::uint8_t>();
      r.Attr6 = in.ConsumeIntegral<std::uint8_t>();
      r.AlertId = in.ConsumeIntegral<std::int32_t>();
      r.Attr8 = in.ConsumeIntegral<std::uint8_t>();
      r.Attr9 = in.ConsumeIntegral<std::uint8_t>();
      r.Category = in.ConsumeIntegral<std::uint8_t>();
      r.IconId = in.ConsumeIntegral<std::int32_t>();
      r.Attr12 = in.ConsumeIntegral<std::uint8_t>();
      r.Attr13 = in.ConsumeIntegral<std::uint8_t>();
    } else {
      r.NumberType = pb::HasGroups(family) ? 8 : 7;
      r.AlertId = 255;
      r.Attr12 = 255;
    }
    r.NumberFormat = pb::NumberFormatFor(r.Number, r.NumberType);
    records.push_back(r);
    // A free slot and a slot never read are left out of the file.
    if (!pb::IsFree(r)) {
      TAbonentInfo expected = r;
      // The file number of a phone line counts from the first phone index.
      if (!r.OnSim) expected.Index = r.Index + phoneFirst - 1;
      want.push_back(expected);
    }
  }

  const std::string content = pb::FormatPhoneBookFile(records, phoneFirst, simFirst);
  const std::vector<std::string_view> lines = pb::SplitFileLines(content);
  // An empty file still reads as one (empty) line.
  FUZZ_CHECK(lines.size() == std::max<std::size_t>(want.size(), 1));
  if (want.empty()) {
    FUZZ_CHECK(content.empty());
    return;
  }
  for (std::size_t k = 0; k < want.size(); ++k) {
    const pb::FileEntry e = pb::ParseFileLine(lines[k], phoneLast, family);
    FUZZ_CHECK(e.record == want[k]);
    FUZZ_CHECK(e.slot == static_cast<std::int64_t>(want[k].Index) - 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Family family = kFamilies[in.ConsumeIntegralInRange(0, 3)];
  if (in.ConsumeBool()) {
    CheckRoundTrip(in, family);
  } else {
    const std::int32_t phoneLast = in.ConsumeIntegral<std::int32_t>();
    CheckRaw(in.ConsumeRemainingBytesAsString(), phoneLast, family);
  }
  return 0;
}
