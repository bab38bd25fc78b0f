// A whole handset in one value: every phone book entry (both memories, with their groups),
// every date book event and every message of every folder, each in the bin's record form
// (the section's fields exactly as the handset sent them), so that what a backup holds can be
// written back exactly and compared entry by entry with what a handset holds now.
#pragma once

#include <string>
#include <vector>

#include "core/bin_file.h"

namespace quorvex {

struct PhoneBackup {
  std::string model;  // as the handset named itself when it was read
  std::string imei;
  std::string time;                // local "YYYY-MM-DD HH:MM:SS" of the read
  std::vector<BinRecord> records;  // phone book, then date book, then messages, in read order
  bool operator==(const PhoneBackup&) const = default;
};

}  // namespace quorvex
