// quorvex-cli bin ...: the bin of erased and overwritten entries, listed and written back.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "core/app_state.h"

namespace quorvex::cli {

struct BinUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const char* const kBinSynopsis;
extern const char* const kBinHelp;

// args: cp1251, after "bin". Lists go to out.
void RunBinCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                   std::ostream& out);

}  // namespace quorvex::cli
