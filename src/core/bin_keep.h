// The step every erasing or overwriting operation takes before its first erasing command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/bin_file.h"

namespace quorvex {

// What became of one record of the bin that was to be written back.
struct BinRestoreResult {
  std::int64_t id = 0;
  bool restored = false;
  std::string where;  // cp1251: where it went ("под номером 12"), or why it did not
};

// One result per chosen record, none dealt with yet.
std::vector<BinRestoreResult> PendingRestores(const std::vector<BinRecord>& chosen);
// Gives each record not yet dealt with the reason `why`, and returns all the results.
std::vector<BinRestoreResult> FailPending(std::vector<BinRestoreResult>& results,
                                          const std::string& why);

// Stamps the records with the local time and, where they name none, the known handset's
// model and IMEI, and appends them to the bin, synced. When the bin cannot be written the
// user is told why and that `untouched` (such as "Ничего не удалено."), and false comes back:
// the operation must not go on. Nothing to keep is no failure.
bool KeepInBin(AppState& app, std::vector<BinRecord> records, const std::string& untouched);

// The box of a bin that cannot be written, for an operation that finds out some other way.
void TellBinUnwritable(UserInterface& ui, const std::string& why, const std::string& untouched);

}  // namespace quorvex
