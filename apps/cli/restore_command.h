// quorvex-cli restore FILE: a backup compared with the handset, the preview's rows printed,
// and with --yes the default rows written.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "core/app_state.h"

namespace quorvex::cli {

struct RestoreUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const char* const kRestoreSynopsis;
extern const char* const kRestoreHelp;

// args: cp1251, after "restore". The preview's rows go to out.
void RunRestoreCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                       std::ostream& out);

}  // namespace quorvex::cli
