#include "cli/sms_commands.h"

#include <map>
#include <optional>
#include <ostream>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "messages/sms_export.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::cli {

const char* const kSmsSynopsis =
    "sms read|new|send|delete|delete-all|mark-read|export|export-csv|export-mbox FOLDER ... "
    "(see sms --help)";

const char* const kSmsHelp =
    "  sms read FOLDER                          the tree click on that folder; prints the\n"
    "                                           list, then the folder's caption\n"
    "  sms new [--to TEXT] [--text TEXT] [--action 0|1|2] [--language 0|1]\n"
    "                                           reads the phone book, then \"Новое\" with the\n"
    "                                           dialog filled in and \"Ok\" pressed\n"
    "                                           (\"Отмена\" when it refuses); a name of the\n"
    "                                           phone book as --to goes to its number; the\n"
    "                                           text is taken as pasted, not typed\n"
    "  sms send FOLDER --select CAPTION         send a stored message again\n"
    "  sms delete FOLDER --select CAPTIONS      delete the selected messages\n"
    "  sms delete-all FOLDER                    \"Удалить все\" (needs --yes)\n"
    "  sms mark-read FOLDER --select CAPTION    \"Mark as Read\"\n"
    "  sms export FOLDER FILE --select CAPTIONS  write the selected messages to FILE\n"
    "  sms export-csv FOLDER FILE               every message of the folder to FILE as a\n"
    "                                           UTF-8 CSV table for a spreadsheet\n"
    "  sms export-mbox FOLDER FILE              every message of the folder to FILE as an\n"
    "                                           mbox mailbox (mboxrd, UTF-8)\n"
    "                                           Both write nothing when the read shows an\n"
    "                                           error (exit status 1).\n"
    "FOLDER: inbox, outbox, sent, drafts or archive. The commands after read print the list.";

namespace {

int FolderNode(const std::string& name) {
  static const std::map<std::string, int> folders = {{"inbox", sms::kIncoming},
                                                     {"outbox", sms::kUnsent},
                                                     {"sent", sms::kSent},
                                                     {"drafts", sms::kDrafts},
                                                     {"archive", sms::kArchive}};
  const auto it = folders.find(name);
  if (it == folders.end())
    throw SmsUsageError("unknown folder " + Cp1251ToUtf8(name) +
                        " (inbox, outbox, sent, drafts, archive)");
  return it->second;
}

using Options = CommandOptions;

Options Parse(const std::vector<std::string>& args, std::size_t from,
              const std::vector<std::string>& allowed) {
  return ParseOptions<SmsUsageError>(args, from, allowed);
}

int Choice(const Options& o, const std::string& name, int count) {
  const std::string& v = o.named.at(name);
  try {
    const int n = text::StrToIntDecimal(v);
    if (n >= 0 && n < count) return n;
  } catch (const EConvertError&) {
  }
  throw SmsUsageError(name + " takes 0 to " + std::to_string(count - 1) + ", not " +
                      Cp1251ToUtf8(v));
}

}  // namespace

void RunSmsCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                   std::ostream& out) {
  if (args.empty()) throw SmsUsageError("sms needs a subcommand");
  const std::string& verb = args[0];
  sms::SmsSection section;
  section.ShowSection();

  if (verb == "new") {
    const Options o = Parse(args, 1, {"--to", "--text", "--action", "--language"});
    if (!o.positional.empty()) throw SmsUsageError("sms new takes only options");
    const int action = o.named.count("--action") ? Choice(o, "--action", 3) : -1;
    const int language = o.named.count("--language") ? Choice(o, "--language", 2) : -1;
    section.runDialog = [&](sms::TfrmSaveSMS& d) {
      if (language >= 0) d.rgLanguageClick(language);
      if (o.named.count("--to")) d.cbAbonentsText = o.named.at("--to");
      if (o.named.count("--text")) d.SetMemoText(o.named.at("--text"));
      if (action >= 0) d.RadioGroup.itemIndex = action;
      if (!d.SpeedButton1Click(ui)) d.SpeedButton2Click();
    };
    // The dialog offers the phone book list's names and sends to a chosen name's number, so
    // the list is read first, as the window's user has it before writing.
    phonebook::PhoneBookSection book;
    if (!RunHandler(ui, [&] { book.sbReadAllClick(app); }) || ui.failed() || app.stop().final())
      return;
    RunHandler(ui, [&] { section.sbSMSNewClick(app, book.ListView1); });
    return;
  }

  struct Verb {
    const char* name;
    bool select;
    std::size_t positional;  // after the folder
  };
  static const Verb verbs[] = {{"read", false, 0},       {"send", true, 0},
                               {"delete", true, 0},      {"delete-all", false, 0},
                               {"mark-read", true, 0},   {"export", true, 1},
                               {"export-csv", false, 1}, {"export-mbox", false, 1}};
  const Verb* found = nullptr;
  for (const Verb& v : verbs)
    if (verb == v.name) found = &v;
  if (!found) throw SmsUsageError("unknown sms subcommand " + Cp1251ToUtf8(verb));
  const Options o = Parse(
      args, 1, found->select ? std::vector<std::string>{"--select"} : std::vector<std::string>{});
  if (o.positional.size() != 1 + found->positional)
    throw SmsUsageError("sms " + verb + " needs " + (found->positional ? "FOLDER FILE" : "FOLDER"));
  if (found->select && !o.named.count("--select"))
    throw SmsUsageError("sms " + verb + " needs --select");
  const int node = FolderNode(o.positional[0]);

  section.selectNode(node);
  if (!RunHandler(ui, [&] { section.tvSMSClick(app); })) return;
  if (verb == "read") {
    PrintList(section.lvSMS, out);
    out << OneLine(section.tvSMS[static_cast<std::size_t>(node)].caption) << '\n' << std::flush;
    return;
  }
  // Stopped by Ctrl+C: what was read is printed and nothing more is done.
  if (app.stop().final()) {
    PrintList(section.lvSMS, out);
    return;
  }
  if (found->select) SelectCaptions(section.lvSMS, SplitCaptions(o.named.at("--select")));
  bool ok = true;
  if (verb == "send") ok = RunHandler(ui, [&] { section.pmSendSMSClick(app); });
  if (verb == "delete") ok = RunHandler(ui, [&] { section.sbDeleteSMSClick(app); });
  if (verb == "delete-all") ok = RunHandler(ui, [&] { section.sbSMSDeleteAllClick(app); });
  if (verb == "mark-read") ok = RunHandler(ui, [&] { section.pmMarkasReadClick(app); });
  if (verb == "export") {
    ui.queueFile(Cp1251ToUtf8(o.positional[1]));
    ok = RunHandler(ui, [&] { section.sbSMSSaveClick(ui); });
  }
  if (verb == "export-csv" || verb == "export-mbox") {
    ui.queueFile(Cp1251ToUtf8(o.positional[1]));
    const auto format = verb == "export-csv" ? sms::MessageFormat::Csv : sms::MessageFormat::Mbox;
    ExportResult r;
    ok = RunHandler(ui, [&] { r = sms::ExportMessages(section, ui, format); }) &&
         r.outcome != ExportResult::Outcome::ReadIncomplete;
  }
  if (ok) PrintList(section.lvSMS, out);
}

}  // namespace quorvex::cli
