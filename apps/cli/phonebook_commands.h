// quorvex-cli phonebook ...: the phone book section's handlers, run as the window's user
// would run them: always a read first, then the handler of the subcommand.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "core/app_state.h"

namespace quorvex::cli {

// Arguments the phonebook command cannot use; the caller reports it as a usage error.
struct PhoneBookUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

extern const char* const kPhoneBookSynopsis;
extern const char* const kPhoneBookHelp;

// args: cp1251, after "phonebook". Lists go to out.
void RunPhoneBookCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                         std::ostream& out);

}  // namespace quorvex::cli
