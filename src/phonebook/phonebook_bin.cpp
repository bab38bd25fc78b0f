#include "phonebook/phonebook_bin.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "codec/errors.h"

namespace quorvex::phonebook {

namespace {

constexpr std::string_view kFamilyNames[] = {"classic", "grouped", "grouped-text"};

std::string_view FamilyName(Family family) {
  switch (family) {
    case Family::Grouped:
      return kFamilyNames[1];
    case Family::GroupedText:
      return kFamilyNames[2];
    default:
      return kFamilyNames[0];
  }
}

std::optional<Family> FamilyNamed(std::string_view name) {
  if (name == kFamilyNames[0]) return Family::Classic;
  if (name == kFamilyNames[1]) return Family::Grouped;
  if (name == kFamilyNames[2]) return Family::GroupedText;
  return std::nullopt;
}

}  // namespace

BinRecord EntryBinRecord(const TAbonentInfo& r, Family family, const std::string& operation) {
  BinRecord b;
  b.section = std::string(kBinPhoneBook);
  b.operation = operation;
  b.memory = r.OnSim ? "SM" : "ME";
  b.index = r.Index;
  b.caption = r.Name;
  b.text = r.Number;
  b.data = {std::string(FamilyName(family)), EntryLine(r, family)};
  return b;
}

std::optional<TAbonentInfo> EntryFromBin(const BinRecord& b) {
  if (b.section != kBinPhoneBook || b.data.size() < 2) return std::nullopt;
  if (b.memory != "ME" && b.memory != "SM") return std::nullopt;
  const std::optional<Family> family = FamilyNamed(b.data[0]);
  if (!family) return std::nullopt;
  try {
    TAbonentInfo r = ParseEntryLine(b.data[1], *family, std::numeric_limits<std::int32_t>::max());
    r.OnSim = b.memory == "SM" ? 1 : 0;
    return r;
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

}  // namespace quorvex::phonebook

#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::phonebook {

std::vector<BinRestoreResult> PhoneBookSection::RestoreFromBin(
    AppState& app, const std::vector<BinRecord>& chosen) {
  std::vector<BinRestoreResult> results = PendingRestores(chosen);
  const auto failAll = [&](const std::string& why) { return FailPending(results, why); };
  sbReadAllClick(app);
  if (!LastReadComplete || Records.empty()) return failAll(Ru("справочник не прочитан"));
  const Family family = FamilyOf(Model);
  if (family == Family::None)
    return failAll(Ru("запись для модели \"") + Model + Ru("\" не поддерживается"));
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
    if (port->RunAtCommand("AT+CPBS=AD") != kExactOk ||
        port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) {
      return failAll(Ru("нет доступа к справочнику"));
    }
    for (std::size_t k = 0; k < chosen.size(); ++k) {
      std::optional<TAbonentInfo> entry = EntryFromBin(chosen[k]);
      if (!entry) {
        results[k].where = Ru("запись корзины повреждена");
        continue;
      }
      const bool sim = entry->OnSim != 0;
      const std::int32_t first = std::max(sim ? SimFirst : PhoneFirst, 1);
      const std::int32_t last =
          std::min(sim ? SimLast : PhoneLast, static_cast<std::int32_t>(Records.size()));
      const auto isFree = [&](std::int32_t i) {
        return i >= first && i <= last && IsFree(*recordAt(i));
      };
      std::int32_t target = isFree(entry->Index) ? entry->Index : 0;
      for (std::int32_t i = first; target == 0 && i <= last; ++i)
        if (isFree(i)) target = i;
      if (target == 0) {
        results[k].where = sim ? Ru("на SIM-карте нет свободного места")
                               : Ru("в памяти телефона нет свободного места");
        continue;
      }
      entry->Index = target;
      port->RunAtCommand(RecordWriteCommand(*entry, family));
      if (!port->CommandOk()) {
        results[k].where = Ru("телефон не принял запись");
        continue;
      }
      *recordAt(target) = *entry;
      results[k].restored = true;
      results[k].where = Ru("под номером ") + text::IntToStr(target);
    }
  }
  sbReadAllClick(app);
  return results;
}

}  // namespace quorvex::phonebook
