// quorvex-cli datebook ...: the date book section's handlers, run as the window's user would
// run them: a read first, then the handler of the subcommand.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "core/app_state.h"

namespace quorvex::cli {

// Arguments the datebook command cannot use; the caller reports it as a usage error.
struct DateBookUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const char* const kDateBookSynopsis;
extern const char* const kDateBookHelp;

// args: cp1251, after "datebook". Lists go to out.
void RunDateBookCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                        std::ostream& out);

}  // namespace quorvex::cli
