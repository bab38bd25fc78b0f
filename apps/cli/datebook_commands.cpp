#include "cli/datebook_commands.h"

#include <langinfo.h>
#include <locale.h>

#include <optional>
#include <ostream>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "datebook/date_book_reply.h"
#include "datebook/date_book_section.h"
#include "datebook/ical_export.h"
#include "datebook/ical_import.h"

namespace quorvex::cli {

const char* const kDateBookSynopsis =
    "datebook read | add OPTIONS | edit CAPTION OPTIONS | delete --select CAPTIONS | "
    "autodelete WEEKS | export-ics FILE | import-ics FILE [--without-repeat]";
const char* const kDateBookHelp =
    "Runs the date book section's handlers; every subcommand but autodelete reads the whole\n"
    "date book first, as the section does when it is shown.\n"
    "  read                       prints lvEvent, then the line \"Свободно: ...\"\n"
    "  add OPTIONS                \"Добавить событие\" with the dialog filled from OPTIONS and\n"
    "                             \"Создать\" pressed; prints lvEvent\n"
    "  edit CAPTION OPTIONS       the same for the row CAPTION, written back to its index\n"
    "  delete --select CAPTIONS   deletes the rows named (comma-separated); prints lvEvent\n"
    "  autodelete WEEKS           \"Применить параметры\" with 0, 1, 2, 4 or 8 weeks\n"
    "  export-ics FILE            writes the events read to FILE as iCalendar (UTF-8), one\n"
    "                             event each with its alarm and repeat rule; prints lvEvent.\n"
    "                             Nothing is written when the read stops before the count\n"
    "                             of events (exit status 1)\n"
    "  import-ics FILE [--without-repeat]\n"
    "                             prints the preview of FILE's events (index, title, start,\n"
    "                             date, duration, repeat, alarm, what happens), asks (--yes\n"
    "                             writes) and writes them to free indices. An event whose\n"
    "                             repeat the handset cannot keep is left out, or written\n"
    "                             without the repeat with --without-repeat\n"
    "OPTIONS: --title TEXT --date YYYY-MM-DD --time HH:MM --alarm on|off --duration MIN\n"
    "         --lead MIN --repeat ITEM (a caption of the list or its position from 0).\n"
    "An option not given leaves the control as the operation prepared it; when the dialog\n"
    "refuses what was filled in, \"Отмена\" is pressed next and nothing is written.";

namespace {

using datebook::DateBookSection;
using datebook::TfrmAddEvent;
using quorvex::CalendarDate;
using quorvex::TimeOfDay;

using Usage = DateBookUsageError;

// The decimal separator of the user's numeric locale; "." where none is set up.
char LocaleDecimalSeparator() {
  locale_t loc = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return '.';
  const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
  const char sep = radix != nullptr && radix[0] != '\0' && radix[1] == '\0' ? radix[0] : '.';
  ::freelocale(loc);
  return sep;
}

using Options = CommandOptions;

Options Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed) {
  return ParseOptions<Usage>(args, 1, allowed);
}

int Number(const std::string& name, const std::string& value) {
  try {
    return text::StrToIntDecimal(value);
  } catch (const EConvertError&) {
    throw Usage(name + " needs a number, not '" + Cp1251ToUtf8(value) + "'");
  }
}

// Digits at fixed places, as "YYYY-MM-DD" and "HH:MM" are written.
// The dialog as the user would fill it; only the options given change a control.
struct DialogInput {
  std::optional<std::string> title;
  std::optional<CalendarDate> date;
  std::optional<TimeOfDay> time;
  std::optional<int> alarm, duration, lead, repeat;

  static DialogInput From(const Options& o) {
    DialogInput in;
    const auto has = [&](const char* n) { return o.named.count(n) > 0; };
    if (has("--title")) in.title = o.named.at("--title");
    if (has("--date")) {
      const std::string& s = o.named.at("--date");
      const auto y = FixedDigits(s, 0, 4), m = FixedDigits(s, 5, 2), d = FixedDigits(s, 8, 2);
      const CalendarDate date{y.value_or(0), m.value_or(0), d.value_or(0)};
      if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !y || !m || !d ||
          !datebook::IsValidDate(date))
        throw Usage("--date takes a date as YYYY-MM-DD, not '" + Cp1251ToUtf8(s) + "'");
      in.date = date;
    }
    if (has("--time")) {
      const std::string& s = o.named.at("--time");
      const auto h = FixedDigits(s, 0, 2), m = FixedDigits(s, 3, 2);
      if (s.size() != 5 || s[2] != ':' || !h || !m || *h > 23 || *m > 59)
        throw Usage("--time takes a time as HH:MM, not '" + Cp1251ToUtf8(s) + "'");
      in.time = TimeOfDay{*h, *m, 0};
    }
    if (has("--alarm")) {
      const std::string& s = o.named.at("--alarm");
      if (s != "on" && s != "off") throw Usage("--alarm takes on or off");
      in.alarm = s == "on" ? 1 : 0;
    }
    if (has("--duration")) in.duration = Number("--duration", o.named.at("--duration"));
    if (has("--lead")) in.lead = Number("--lead", o.named.at("--lead"));
    if (has("--repeat")) {
      const std::string& s = o.named.at("--repeat");
      const auto& items = datebook::RepeatTexts();
      for (std::size_t k = 0; k < items.size(); ++k)
        if (items[k] == s || std::to_string(k) == s) in.repeat = static_cast<int>(k);
      if (!in.repeat) throw Usage("--repeat takes one of the six items or 0 to 5");
    }
    return in;
  }

  void fill(TfrmAddEvent& d) const {
    if (title) d.edtEventTitle = *title;
    if (date) d.dtpStartDate = *date;
    if (time) d.dtpStartTime = *time;
    if (alarm) d.RadioGroup1.itemIndex = *alarm;
    if (duration) d.seDuration.setValue(*duration);
    if (lead) d.seAl_time.setValue(*lead);
    if (repeat) {
      d.cbRepeat.select(*repeat);
      d.cbRepeatChange();
    }
  }
};

const std::vector<std::string> kDialogOptions = {"--title",    "--date", "--time",  "--alarm",
                                                 "--duration", "--lead", "--repeat"};

// The focus goes to the first row selected, whatever the order of the captions.
void Select(ListModel& list, const std::string& captions) {
  const std::vector<std::string> wanted = SplitCaptions(captions);
  list.focused = -1;
  for (std::size_t i = 0; i < list.rows.size(); ++i) {
    ListRow& row = list.rows[i];
    row.selected = false;
    for (const std::string& w : wanted) row.selected = row.selected || row.caption == w;
    if (row.selected && list.focused < 0) list.focused = static_cast<int>(i);
  }
  ++list.revision;
}

// The export of the read that ran just before, to FILE. False when it refused or failed:
// the run then ends with the standard error box.
bool ExportIcs(CliUserInterface& ui, const DateBookSection& section, const std::string& file) {
  ui.queueFile(file);
  ExportResult r;
  if (!RunHandler(ui, [&] { r = datebook::ExportICal(section, ui); })) return false;
  if (r.outcome == ExportResult::Outcome::ReadIncomplete) return false;
  if (!r.leftOut.empty())
    ui.messageBox(Ru("Не выгружены события без верной даты, времени начала или длительности: ") +
                      LeftOutList(r),
                  MsgKind::Warning, MsgButtons::Ok);
  return true;
}

// The import's preview: the check box as --without-repeat sets it, the rows to out, then the
// run's answer to "write them?" presses "Записать" or "Отмена".
void ScriptImportPreview(CliUserInterface& ui, std::ostream& out, bool withoutRepeat) {
  ui.dialogScript = [&ui, &out, withoutRepeat](ModalDialog& dialog) {
    auto* d = dynamic_cast<datebook::TfrmImportICal*>(&dialog);
    if (d == nullptr) return;
    if (withoutRepeat) {
      d->cbWithoutRepeat.checked = true;
      d->cbWithoutRepeatClick();
    }
    AnswerPreview(*d, ui, out, d->Plan.Summary() + "\r\n" + Ru("Записать эти события в телефон?"));
  };
}

}  // namespace

void RunDateBookCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                        std::ostream& out) {
  if (args.empty()) throw Usage("datebook needs a subcommand");
  const std::string& verb = args[0];
  DateBookSection section;
  section.DecimalSeparator = LocaleDecimalSeparator();

  if (verb == "autodelete") {
    const Options o = Parse(args, {});
    if (o.positional.size() != 1) throw Usage("datebook autodelete needs WEEKS");
    const int weeks = Number("WEEKS", o.positional[0]);
    int item = -1;
    for (std::size_t k = 0; k < std::size(datebook::kAutoDeleteWeeks); ++k)
      if (datebook::kAutoDeleteWeeks[k] == weeks) item = static_cast<int>(k);
    if (item < 0) throw Usage("WEEKS is 0, 1, 2, 4 or 8");
    section.RadioGroup1.itemIndex = item;
    RunHandler(ui, [&] { section.SpeedButton2Click(app); });
    return;
  }

  Options o;
  DialogInput input;
  if (verb == "read") {
    o = Parse(args, {});
    if (!o.positional.empty()) throw Usage("datebook read takes no arguments");
  } else if (verb == "add" || verb == "edit") {
    o = Parse(args, kDialogOptions);
    if (o.positional.size() != (verb == "edit" ? 1u : 0u))
      throw Usage(verb == "edit" ? "datebook edit needs CAPTION"
                                 : "datebook add takes only options");
    input = DialogInput::From(o);
  } else if (verb == "export-ics") {
    o = Parse(args, {});
    if (o.positional.size() != 1) throw Usage("datebook export-ics needs FILE");
  } else if (verb == "import-ics") {
    // A switch without a value, which the option parser does not know.
    std::vector<std::string> rest;
    bool withoutRepeat = false;
    for (const std::string& a : args) {
      if (a == "--without-repeat") {
        withoutRepeat = true;
      } else {
        rest.push_back(a);
      }
    }
    o = Parse(rest, {});
    if (o.positional.size() != 1) throw Usage("datebook import-ics needs FILE");
    ScriptImportPreview(ui, out, withoutRepeat);
  } else if (verb == "delete") {
    o = Parse(args, {"--select"});
    if (!o.positional.empty() || !o.named.count("--select"))
      throw Usage("datebook delete needs --select CAPTIONS");
  } else {
    throw Usage("unknown datebook subcommand " + Cp1251ToUtf8(verb));
  }

  section.ShowEventDialog = [&](TfrmAddEvent& d) {
    input.fill(d);
    if (!d.SpeedButton1Click(ui)) d.SpeedButton2Click();
  };
  if (!RunHandler(ui, [&] { section.ShowSection(app); })) return;
  if (verb == "read") {
    PrintList(section.lvEvent, out);
    out << OneLine(section.Label8.caption) << '\n' << std::flush;
    return;
  }
  // Stopped by Ctrl+C: what was read is printed and nothing more is done.
  if (app.stop().final()) {
    PrintList(section.lvEvent, out);
    return;
  }
  bool ok = true;
  if (verb == "add") ok = RunHandler(ui, [&] { section.sbAddEventClick(app); });
  if (verb == "edit") {
    Select(section.lvEvent, o.positional[0]);
    ok = RunHandler(ui, [&] { section.lvEventDblClick(app); });
  }
  if (verb == "delete") {
    Select(section.lvEvent, o.named.at("--select"));
    ok = RunHandler(ui, [&] { section.sbDeleteEventClick(app); });
  }
  if (verb == "export-ics") ok = ExportIcs(ui, section, Cp1251ToUtf8(o.positional[0]));
  if (verb == "import-ics") {
    // The file dialog answers with a name of this system, not a code page 1251 text.
    ui.queueFile(Cp1251ToUtf8(o.positional[0]));
    datebook::TfrmImportICal dialog;
    RunHandler(ui, [&] { datebook::ImportICalClick(section, app, dialog); });
    return;
  }
  if (ok) PrintList(section.lvEvent, out);
}

}  // namespace quorvex::cli
