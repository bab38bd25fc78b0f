// quorvex-cli sms ...: the message section's handlers, run as the window's user would.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "core/app_state.h"

namespace quorvex::cli {

// Arguments the sms command cannot use; the caller reports it as a usage error.
struct SmsUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const char* const kSmsSynopsis;
extern const char* const kSmsHelp;

// args: cp1251, after "sms". Lists go to out.
void RunSmsCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                   std::ostream& out);

}  // namespace quorvex::cli
