#include "sim/models.h"

namespace quorvex::sim {

Family FamilyOf(std::string_view model) {
  static const char* const kClassic[] = {"T720", "T720i", "V60", "V66", "V60i", "V66i", "V70"};
  static const char* const kGrouped[] = {"C350", "C330", "V150"};
  static const char* const kGroupedText[] = {"C450", "C550"};
  for (const char* m : kClassic) {
    if (model == m) return Family::Classic;
  }
  for (const char* m : kGrouped) {
    if (model == m) return Family::Grouped;
  }
  for (const char* m : kGroupedText) {
    if (model == m) return Family::GroupedText;
  }
  return Family::Other;
}

int EntryFieldCount(Family family) {
  switch (family) {
    case Family::Grouped:
      return 13;
    case Family::GroupedText:
      return 16;
    case Family::Classic:
    case Family::Other:
      break;
  }
  return 9;
}

int SimNumberType(Family family) {
  return family == Family::Grouped || family == Family::GroupedText ? 8 : 7;
}

std::vector<std::string> BandsOf(std::string_view model) {
  // The C330 is the dual-band one of the set.
  if (model == "C330") return {"GSM900", "GSM1800"};
  return {"GSM900", "GSM1800", "GSM1900"};
}

}  // namespace quorvex::sim
