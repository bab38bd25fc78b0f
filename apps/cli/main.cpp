// quorvex-cli: the window's operations, headless. One run loads the port settings, runs the
// handlers of one command in the order a user of the window would trigger them, prints what
// the window would show and exits: 0 normally, 1 after the standard error box, 2 for usage,
// 130 when Ctrl+C stopped it.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "app/home_folder.h"
#include "backup/backup_operation.h"
#include "cli/bin_commands.h"
#include "cli/cli_ui.h"
#include "cli/datebook_commands.h"
#include "cli/detect_command.h"
#include "cli/phonebook_commands.h"
#include "cli/restore_command.h"
#include "cli/sms_commands.h"
#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "core/app_state.h"
#include "datebook/date_book_section.h"
#include "info/clock_sync.h"
#include "info/phone_info.h"
#include "info/terminal.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"
#include "serial/serial_device.h"

namespace quorvex::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// Ctrl+C: the first stops the long operation after the exchange in progress, and the run
// after it, with what was read printed; the second ends the program at once. Both leave the
// port free for the next opener.
std::atomic<int> gInterrupts{0};
std::atomic<StopRequest*> gStop{nullptr};
static_assert(std::atomic<int>::is_always_lock_free &&
              std::atomic<StopRequest*>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  if (gInterrupts.fetch_add(1) == 0) {
    if (StopRequest* stop = gStop.load()) stop->requestAll();
    return;
  }
  ReleaseOpenDevicesNow();
  _exit(kExitInterrupted);
}

void CatchInterrupts() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
}

bool Interrupted(AppState& app) {
  return app.stop().final() || gInterrupts.load() > 0;
}

struct UsageError {
  std::string message;
};

struct Run {
  AppState& app;
  CliUserInterface& ui;
  std::vector<std::string> args;  // cp1251, after the command name
};

struct Command {
  const char* synopsis;
  const char* help;
  std::function<void(Run&)> run;
};

std::string ToCp1251(const std::string& utf8, const char* what) {
  auto converted = Utf8ToCp1251(utf8);
  if (!converted)
    throw UsageError{std::string(what) + " holds a character code page 1251 cannot hold: " + utf8};
  return *converted;
}

std::int32_t IntOption(const std::string& name, const std::string& value) {
  try {
    return text::StrToInt(value);
  } catch (const EConvertError&) {
    throw UsageError{name + " needs an integer, not '" + value + "'"};
  }
}

void RunAt(Run& run) {
  if (run.args.size() != 1) throw UsageError{"at needs exactly one command text"};
  Terminal terminal;
  terminal.cbCommandText = run.args[0];
  std::string reply;
  if (RunHandler(run.ui, [&] { reply = terminal.btnSendCommandClick(run.app); }))
    std::cout << ForTerminal(reply) << std::flush;
}

void PrintInfo(const PhoneInfoSection& info, std::ostream& out) {
  const auto& labels = InfoLabels();
  const std::string values[] = {
      info.edtIMEI,
      info.edtIMSI,
      info.edtManufacturer,
      info.edtModel,
      info.edtBand,
      info.edtSoftWare,
      text::IntToStr(info.ggStatusCharge.Position),
      text::IntToStr(info.ggStatusSignal.Position),
  };
  static_assert(std::size(values) == std::tuple_size_v<std::decay_t<decltype(labels)>>);
  for (std::size_t k = 0; k < labels.size(); ++k)
    out << OneLine(labels[k].caption) << '\t' << OneLine(values[k]) << '\n';
  out.flush();
}

void RunInfo(Run& run) {
  if (!run.args.empty()) throw UsageError{"info takes no arguments"};
  PhoneInfoSection info;
  if (RunHandler(run.ui, [&] { info.sbPhoneInfoClick(run.app); })) PrintInfo(info, std::cout);
}

void RunClock(Run& run) {
  if (!run.args.empty()) throw UsageError{"clock takes no arguments"};
  RunHandler(run.ui, [&] { SpeedButton11Click(run.app); });
}

void RunSms(Run& run) {
  try {
    RunSmsCommand(run.app, run.ui, run.args, std::cout);
  } catch (const SmsUsageError& e) {
    throw UsageError{e.what()};
  }
}

void RunPhoneBook(Run& run) {
  try {
    RunPhoneBookCommand(run.app, run.ui, run.args, std::cout);
  } catch (const PhoneBookUsageError& e) {
    throw UsageError{e.what()};
  }
}

void RunBin(Run& run) {
  try {
    RunBinCommand(run.app, run.ui, run.args, std::cout);
  } catch (const BinUsageError& e) {
    throw UsageError{e.what()};
  }
}

void RunRestore(Run& run) {
  try {
    RunRestoreCommand(run.app, run.ui, run.args, std::cout);
  } catch (const RestoreUsageError& e) {
    throw UsageError{e.what()};
  }
}

void RunBackup(Run& run) {
  if (run.args.size() != 1) throw UsageError{"backup needs exactly one FILE"};
  phonebook::PhoneBookSection book;
  datebook::DateBookSection dates;
  sms::SmsSection messages;
  WholeReadProgress progress;
  std::optional<PhoneBackup> written;
  RunHandler(run.ui, [&] {
    written = BackupPhoneToFile(run.app, {book, dates, messages}, run.args[0], progress);
  });
  if (written) std::cout << ForTerminal(BackupSummary(*written) + "\r\n") << std::flush;
}

void RunPhoneBookList(Run& run) {
  RunPhoneBookCommand(run.app, run.ui, {"read"}, std::cout);
}

void RunDateBook(Run& run) {
  try {
    RunDateBookCommand(run.app, run.ui, run.args, std::cout);
  } catch (const DateBookUsageError& e) {
    throw UsageError{e.what()};
  }
}

void RunDateBookList(Run& run) {
  RunDateBookCommand(run.app, run.ui, {"read"}, std::cout);
}

void RunSmsInbox(Run& run) {
  RunSmsCommand(run.app, run.ui, {"read", "inbox"}, std::cout);
}

// The parts of the demo, in the order a new user would look at them; each prints under the
// caption of its section button. A part that fails ends the run.
struct DemoPart {
  const char* heading;  // UTF-8
  void (*run)(Run&);
};
constexpr DemoPart kDemoParts[] = {
    {"Информация", RunInfo},
    {"Справочник", RunPhoneBookList},
    {"Ежедневник", RunDateBookList},
    {"SMS", RunSmsInbox},
};

void RunDemo(Run& run) {
  if (!run.args.empty()) throw UsageError{"demo takes no arguments"};
  bool first = true;
  for (const DemoPart& part : kDemoParts) {
    std::cout << (first ? "" : "\n") << "== " << part.heading << " ==\n" << std::flush;
    first = false;
    part.run(run);
    if (run.ui.failed() || Interrupted(run.app)) return;
  }
}

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"at",
       {"at TEXT",
        "Sends TEXT to the handset as the terminal's \"Послать\" does (settings reloaded,\n"
        "default 1000 ms reply time-out) and prints the reply as the log receives it.",
        RunAt}},
      {"info",
       {"info",
        "Reads the information section as its button does (settings reloaded, the seven\n"
        "items in order) and prints LABEL<TAB>VALUE lines; the gauges as integers (signal in\n"
        "dBm). Control characters in a value are written as \\r, \\n, \\t or \\xNN.",
        RunInfo}},
      {"clock",
       {"clock",
        "Sets the handset's clock to this computer's local time (\"Синхронизировать\")\n"
        "and prints the result box on stderr.",
        RunClock}},
      {"phonebook", {kPhoneBookSynopsis, kPhoneBookHelp, RunPhoneBook}},
      {"datebook", {kDateBookSynopsis, kDateBookHelp, RunDateBook}},
      {"sms", {kSmsSynopsis, kSmsHelp, RunSms}},
      {"bin", {kBinSynopsis, kBinHelp, RunBin}},
      {"restore", {kRestoreSynopsis, kRestoreHelp, RunRestore}},
      {"backup",
       {"backup FILE",
        "Reads the whole handset (the phone book of both memories with its groups, the date\n"
        "book, the inbox, outbox, sent and draft messages; the same commands as those reads)\n"
        "and writes it to FILE, a zip archive: manifest.txt for Quorvex, contacts.vcf,\n"
        "calendar.ics, a .mbox per folder and, for the models it fits, phonebook.csv. Prints\n"
        "the counts. A read that did not go through writes no file.",
        RunBackup}},
      // Runs before the settings are read: see Main.
      {"detect", {kDetectSynopsis, kDetectHelp, nullptr}},
      {"demo",
       {"demo",
        "Runs the main job on a fresh machine and prints each part under a heading:\n"
        "the information section, the phone book, the date book and the incoming messages.",
        RunDemo}},
  };
  return commands;
}

void PrintUsage(std::ostream& out) {
  out << "Usage: quorvex-cli [--home] [--port NAME] [--baud N] [--timeout MS] [--yes | --no] "
         "COMMAND [ARGS...]\n"
         "       quorvex-cli --help | COMMAND --help\n\n"
         "Reads portcfg.ini from the current directory; --port, --baud and --timeout replace\n"
         "its values for the whole run (with all three, the file is not needed). --yes/--no\n"
         "answer every confirmation (default: No). --home works in the window's per-user\n"
         "folder ($XDG_DATA_HOME/quorvex, else ~/.local/share/quorvex) instead, made ready as\n"
         "quorvex --home makes it on its first start.\n\n"
         "Exit status: 0 when the run ended normally (also after a message box), 1 after an\n"
         "error no handler caught, 2 for a usage error, 130 when Ctrl+C (SIGINT) stopped it:\n"
         "the long operation that runs (a read, a write of many entries, a delete of all\n"
         "messages) stops after the exchange in progress, frees the port, says how far it got\n"
         "and prints what it has; nothing after it runs. A second Ctrl+C ends the program at\n"
         "once, the port freed. detect exits 0 when a handset answered, 1 when none did.\n\n"
         "Commands:\n";
  for (const auto& [name, command] : Commands()) out << "  " << command.synopsis << '\n';
}

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  SettingsOverride override;
  bool answerYes = false;
  bool home = false;
  std::size_t i = 0;
  try {
    for (; i < args.size(); ++i) {
      const std::string& a = args[i];
      auto value = [&](const std::string& name) -> std::string {
        if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0)
          return a.substr(name.size() + 1);
        if (i + 1 >= args.size()) throw UsageError{name + " needs a value"};
        return args[++i];
      };
      auto is = [&](const std::string& name) { return a == name || a.rfind(name + "=", 0) == 0; };
      if (a == "--help" || a == "-h") {
        PrintUsage(std::cout);
        return kExitOk;
      } else if (is("--port")) {
        override.portName = ToCp1251(value("--port"), "--port");
      } else if (is("--baud")) {
        override.baudRate = IntOption("--baud", value("--baud"));
      } else if (is("--timeout")) {
        override.timeOut = IntOption("--timeout", value("--timeout"));
      } else if (a == "--home") {
        home = true;
      } else if (a == "--yes") {
        answerYes = true;
      } else if (a == "--no") {
        answerYes = false;
      } else if (a.rfind("--", 0) == 0) {
        throw UsageError{"unknown option " + a};
      } else {
        break;
      }
    }
    if (i >= args.size()) throw UsageError{"no command given"};
    auto found = Commands().find(args[i]);
    if (found == Commands().end()) throw UsageError{"unknown command " + args[i]};
    const Command& command = found->second;
    std::vector<std::string> commandArgs;
    for (std::size_t k = i + 1; k < args.size(); ++k) {
      if (args[k] == "--help") {
        std::cout << "Usage: quorvex-cli [OPTIONS] " << command.synopsis << "\n\n"
                  << command.help << '\n';
        return kExitOk;
      }
    }
    if (home) {
      try {
        EnterOwnUserFolder();
      } catch (const Exception& e) {
        std::cerr << "[error] " << ForTerminal(e.what()) << "\n";
        return kExitFailed;
      }
    }
    // Finding the handset needs no settings; device names are file names, taken as typed.
    if (!command.run)
      return RunDetectCommand({args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()},
                              std::cout, std::cerr);
    for (std::size_t k = i + 1; k < args.size(); ++k)
      commandArgs.push_back(ToCp1251(args[k], "an argument"));

    CliUserInterface ui(std::cerr, answerYes);
    AppState app(ui);
    gStop.store(&app.stop());
    struct Forget {
      ~Forget() { gStop.store(nullptr); }
    } forget;
    if (gInterrupts.load() > 0) app.stop().requestAll();
    app.setOverride(override);
    // Start-up reads the settings as the window's start-up does.
    if (!RunHandler(ui, [&] { app.LoadPortSettings(); })) return kExitFailed;
    Run run{app, ui, std::move(commandArgs)};
    command.run(run);
    if (Interrupted(app)) return kExitInterrupted;
    return ui.failed() ? kExitFailed : kExitOk;
  } catch (const UsageError& e) {
    std::cerr << "quorvex-cli: " << e.message << "\n";
    PrintUsage(std::cerr);
    return kExitUsage;
  }
}

}  // namespace
}  // namespace quorvex::cli

int main(int argc, char** argv) {
  quorvex::cli::CatchInterrupts();
  return quorvex::cli::Main(argc, argv);
}
