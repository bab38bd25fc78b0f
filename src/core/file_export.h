// What an export of a section's list to a file did, so that the window and the CLI run the
// same operation and each tells its user in its own words. The operation itself shows the
// boxes both front ends share: the empty list, and the refusal after a read that stopped.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace quorvex {

struct ExportResult {
  enum class Outcome {
    Written,          // path holds the file, count the entries in it
    NothingToExport,  // the list is empty: told in a box, no file asked for
    Cancelled,        // the save dialog was cancelled
    ReadIncomplete,   // the last read stopped part way: the standard error box, no file
  };
  Outcome outcome = Outcome::Cancelled;
  std::string path;
  std::int64_t count = 0;
  // The indices of the entries that could not be written, in list order.
  std::vector<std::int64_t> leftOut;
};

// The guards every export runs before it asks for a file. A read that stopped part way
// would pass a part of the list off as the whole, so it is refused first; `what` names the
// read ("date book"). nullopt: go on.
std::optional<ExportResult> RefuseExport(UserInterface& ui, bool lastReadComplete, bool empty,
                                         const std::string& what);

// The indices left out as the boxes name them: "8, 9".
std::string LeftOutList(const ExportResult& r);

// The seam's clock as the calendar time it stands for on this machine.
std::time_t LocalTimeToTime(const LocalTime& t);

}  // namespace quorvex
