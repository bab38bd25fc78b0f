// The models the handset can be, and what follows from the model name: the phone book
// entry layout and the bands the model reply lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sim {

// Classic: 9 fields per entry. Grouped: 13, with caller group and icon. GroupedText: 16,
// with an icon text. A model of no family lays its entries out as Classic.
enum class Family { Classic, Grouped, GroupedText, Other };

// Exact, case-sensitive comparison with the model names.
Family FamilyOf(std::string_view model);

// Number of fields of an entry line and the most "AT+MPBW=" accepts.
int EntryFieldCount(Family family);

// The number type a SIM entry reports: 8 where the family knows a SIM type of its own,
// 7 otherwise.
int SimNumberType(Family family);

std::vector<std::string> BandsOf(std::string_view model);

}  // namespace quorvex::sim
