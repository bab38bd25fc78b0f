// The soak benchmark's report of a run.
#pragma once

#include <string>

#include "soak_run.h"

namespace quorvex::soak {

// The table of operations by fault, the totals, the resource figures and the failures.
std::string FormatReport(const Report& report);

}  // namespace quorvex::soak
