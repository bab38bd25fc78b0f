// vCard files: the reader and the import preview on arbitrary bytes (every row within the
// handset's limits, each free index taken once, every write a well-formed command), and a
// card written from a record read back into the same name and number in both versions.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "codec/cp1251.h"
#include "fuzz_util.h"
#include "phonebook/records.h"
#include "phonebook/vcard.h"
#include "phonebook/vcard_import.h"

namespace {

using namespace quorvex::fuzz;
namespace pb = quorvex::phonebook;
using pb::Family;
using pb::ImportRow;
using pb::TAbonentInfo;

constexpr Family kFamilies[] = {Family::Classic, Family::Grouped, Family::GroupedText};
constexpr int kSlots = 13;
constexpr std::int32_t kSimFirst = 11;

void CheckPlan(std::string_view file, Family family, std::uint8_t taken) {
  std::vector<TAbonentInfo> records;
  for (int k = 1; k <= kSlots; ++k) {
    TAbonentInfo r = pb::FreeSlot(k);
    r.OnSim = k >= kSimFirst ? 1 : 0;
    if (taken & (1u << (k % 8))) {
      r.Name = "Taken";
      r.Number = std::to_string(k);
    }
    records.push_back(r);
  }
  const std::vector<std::string> groups = {"A", "B", "C", "D"};
  const std::vector<pb::VCard> cards = pb::ParseVCards(file);
  const pb::VCardImportPlan plan(cards, records, groups, kSimFirst, family);

  std::set<std::int32_t> used;
  for (const ImportRow& row : plan.rows()) {
    FUZZ_CHECK(row.card >= 0 && static_cast<std::size_t>(row.card) < cards.size());
    FUZZ_CHECK(row.name.size() <= pb::kNameChars);  // cp1251: a byte a character
    FUZZ_CHECK(row.number.size() <= pb::kNumberChars);
    FUZZ_CHECK(row.category <= groups.size());
    FUZZ_CHECK(!row.statusText.empty());
    if (row.status != ImportRow::Status::Write) {
      FUZZ_CHECK(row.command.empty());
      continue;
    }
    // A write goes to a free slot of its own memory, and to each slot once.
    FUZZ_CHECK(row.index >= 1 && row.index <= kSlots);
    const TAbonentInfo& slot = records[row.index - 1];
    FUZZ_CHECK(slot.Name == pb::kFreeName);
    FUZZ_CHECK((slot.OnSim != 0) == row.sim);
    FUZZ_CHECK(used.insert(row.index).second);
    FUZZ_CHECK(row.command.rfind("AT+MPBW=", 0) == 0);
    // The number travels inside double quotes: none of its own, no line end.
    FUZZ_CHECK(row.number.find_first_of("\"\r\n") == std::string::npos);
    FUZZ_CHECK(row.command.find_first_of("\r\n\x1A") == std::string::npos);
  }
  FUZZ_CHECK(plan.PreviewList().rows.size() == plan.rows().size());
  FUZZ_CHECK(!plan.Summary().empty());
}

// A record of letters, digits and inner blanks, written as a card and read back.
void CheckRoundTrip(FuzzedDataProvider& in, Family family) {
  std::string name;
  for (unsigned char b : in.ConsumeBytesAsString(pb::kNameChars)) {
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b >= 0xC0 ||
        b == 0xA8 || b == 0xB8 || b == ' ' || b == ',' || b == ';' || b == '\\')
      name += static_cast<char>(b);
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  std::string number;
  if (in.ConsumeBool()) number = "+";
  for (unsigned char b : in.ConsumeBytesAsString(pb::kNumberChars - 1))
    number += static_cast<char>('0' + b % 10);
  if (name.empty() || number.size() < 2) return;

  TAbonentInfo r = pb::FreeSlot(1);
  r.Name = name;
  r.Number = number;
  r.NumberType = 2;
  const std::vector<std::string> groups = {"A"};
  for (pb::VCardVersion version : {pb::VCardVersion::V21, pb::VCardVersion::V30}) {
    const std::string text = pb::FormatVCards({r}, groups, family, version);
    const std::vector<pb::VCard> cards = pb::ParseVCards(text);
    FUZZ_CHECK(cards.size() == 1);
    FUZZ_CHECK(cards[0].name == quorvex::Cp1251ToUtf8(name));
    FUZZ_CHECK(cards[0].items.size() == 1);
    FUZZ_CHECK(!cards[0].items[0].email);
    FUZZ_CHECK(cards[0].items[0].value == number);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Family family = kFamilies[in.ConsumeIntegralInRange<int>(0, 2)];
  const std::uint8_t mode = in.ConsumeIntegral<std::uint8_t>();
  if (mode % 8 == 0) {
    CheckRoundTrip(in, family);
    return 0;
  }
  const std::uint8_t taken = in.ConsumeIntegral<std::uint8_t>();
  const std::string file = in.ConsumeRemainingBytesAsString();
  CheckPlan(file, family, taken);
  return 0;
}
