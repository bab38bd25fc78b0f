// Phone book entries as records of the bin, and back.
#pragma once

#include <optional>
#include <string>

#include "core/bin_file.h"
#include "phonebook/records.h"

namespace quorvex::phonebook {

// The bin record of an entry as the last read showed it: its memory and index, the name and
// number for a person, and the entry line in the family's layout with the handset's own hex.
BinRecord EntryBinRecord(const TAbonentInfo& record, Family family, const std::string& operation);

// The entry a phone book record of the bin holds, its OnSim from the record's memory; nullopt
// for a record of another section or one whose fields do not read.
std::optional<TAbonentInfo> EntryFromBin(const BinRecord& record);

}  // namespace quorvex::phonebook
