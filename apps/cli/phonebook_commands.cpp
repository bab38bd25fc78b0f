#include "cli/phonebook_commands.h"

#include <optional>
#include <ostream>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/ru.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard.h"
#include "phonebook/vcard_import.h"

namespace quorvex::cli {

const char* const kPhoneBookSynopsis =
    "phonebook read|add|edit|delete|write-all|save|load|export-vcard|import-vcard ... (see "
    "phonebook --help)";

const char* const kPhoneBookHelp =
    "Every subcommand reads the phone book first (\"Читать все\").\n"
    "  phonebook read                        prints the list\n"
    "  phonebook add [DIALOG]                \"Добавить\" with the record dialog filled in and\n"
    "                                        \"Записать\" pressed (\"Отмена\" when it refuses)\n"
    "  phonebook edit CAPTION [DIALOG]       the same on the row CAPTION (\"Редактировать\")\n"
    "  phonebook delete --select CAPTIONS    erases the rows (comma-separated captions)\n"
    "  phonebook write-all                   writes every row back (\"Записать все\")\n"
    "  phonebook save FILE                   saves the phone book to FILE\n"
    "  phonebook load FILE                   loads FILE into the handset\n"
    "  phonebook export-vcard FILE [--version 2.1|3.0]\n"
    "                                        exports every entry to FILE as vCard (3.0 unless\n"
    "                                        2.1 is asked for), UTF-8, one card per entry\n"
    "  phonebook import-vcard FILE           prints the preview of FILE's entries (index,\n"
    "                                        name, number, type, group, what happens), asks\n"
    "                                        (--yes writes) and writes them to free indices,\n"
    "                                        the SIM's when the phone memory is full\n"
    "DIALOG: --index N --number TEXT --name TEXT --type ITEM --ids TEXT --group TEXT\n"
    "        --icon ITEM; an ITEM is the caption as the box lists it or its position from 0,\n"
    "        a group one of the handset's group names.\n"
    "        Texts are typed into their boxes (the alert box takes digits only). An option\n"
    "        not given leaves the box as the operation prepared it.\n"
    "All but write-all and import-vcard print the list: the caption and the cells of each row,\n"
    "TAB-separated; import-vcard prints the preview rows instead.";

namespace {

using phonebook::PhoneBookSection;
using phonebook::TfrmAddRecord;

void Select(ListModel& list, const std::string& captions) {
  SelectCaptions(list, SplitCaptions(captions));
}

using Options = CommandOptions;

Options Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed) {
  return ParseOptions<PhoneBookUsageError>(args, 1, allowed);
}

// An item of a box by its caption or by its position from 0; nullopt when it is neither.
std::optional<int> Item(const std::vector<std::string>& items, const std::string& what) {
  for (std::size_t k = 0; k < items.size(); ++k)
    if (items[k] == what) return static_cast<int>(k);
  try {
    const int n = text::StrToIntDecimal(what);
    if (n >= 0 && static_cast<std::size_t>(n) < items.size()) return n;
  } catch (const EConvertError&) {
  }
  return std::nullopt;
}

const std::vector<std::string> kDialogOptions = {"--index", "--number", "--name", "--type",
                                                 "--ids",   "--group",  "--icon"};

// Thrown from inside the dialog, where the group box's items are known; it is no
// std::exception, so no handler's error box takes it on the way out.
struct GroupNotInBox {
  std::string group;
};

// Fills the record dialog from the options, then "Записать", then "Отмена" if it refused.
void ScriptRecordDialog(CliUserInterface& ui, const Options& o) {
  const std::vector<std::string> types(phonebook::TypeItems().begin(),
                                       phonebook::TypeItems().end());
  const std::vector<std::string> icons(phonebook::IconCaptions().begin(),
                                       phonebook::IconCaptions().end());
  std::optional<int> type, icon;
  if (o.named.count("--type") && !(type = Item(types, o.named.at("--type"))))
    throw PhoneBookUsageError("--type takes a type of the box, not " +
                              Cp1251ToUtf8(o.named.at("--type")));
  if (o.named.count("--icon") && !(icon = Item(icons, o.named.at("--icon"))))
    throw PhoneBookUsageError("--icon takes an icon of the box, not " +
                              Cp1251ToUtf8(o.named.at("--icon")));

  ui.dialogScript = [&ui, o, type, icon](ModalDialog& dialog) {
    auto* d = dynamic_cast<TfrmAddRecord*>(&dialog);
    if (d == nullptr) return;
    const auto has = [&](const char* name) { return o.named.count(name) > 0; };
    if (has("--index")) {
      const std::string& v = o.named.at("--index");
      if (const int k = d->cbRecordNum.indexOf(v); k >= 0) {
        d->cbRecordNum.select(k);
      } else {
        d->cbRecordNum.text.clear();
        d->typeRecordNum(v);
      }
    }
    if (has("--number")) {
      d->edtPhoneNumber.text.clear();
      d->typePhoneNumber(o.named.at("--number"));
    }
    if (has("--name")) {
      d->edtAbonentName.text.clear();
      d->typeAbonentName(o.named.at("--name"));
    }
    if (type) d->cbType.select(*type);
    if (has("--ids")) {
      const std::string& v = o.named.at("--ids");
      if (const int k = d->cbIDs.indexOf(v); k >= 0) {
        d->cbIDs.select(k);
      } else {
        d->cbIDs.text.clear();
        d->typeIDs(v);
      }
    }
    if (has("--group")) {
      const int k = d->cbGroup.indexOf(o.named.at("--group"));
      if (k < 0) throw GroupNotInBox{o.named.at("--group")};
      d->cbGroup.select(k);
    }
    if (icon && d->cbIcon.enabled) d->cbIcon.select(*icon);
    RunHandler(ui, [&] { d->SpeedButton1Click(ui); });
    if (!d->closed()) d->SpeedButton2Click();
  };
}

// The import's preview: its rows to out, then the run's answer to "write them?" presses
// "Записать" or "Отмена".
void ScriptImportPreview(CliUserInterface& ui, std::ostream& out) {
  ui.dialogScript = [&ui, &out](ModalDialog& dialog) {
    auto* d = dynamic_cast<phonebook::TfrmImportVCard*>(&dialog);
    if (d == nullptr) return;
    AnswerPreview(*d, ui, out, d->Plan.Summary() + "\r\n" + Ru("Записать эти записи в телефон?"));
  };
}

// export-vcard's --version: 3.0 unless 2.1 is asked for.
phonebook::VCardVersion VersionOption(const Options& o) {
  if (!o.named.count("--version")) return phonebook::VCardVersion::V30;
  const std::string& v = o.named.at("--version");
  if (v == "2.1") return phonebook::VCardVersion::V21;
  if (v != "3.0") throw PhoneBookUsageError("--version takes 2.1 or 3.0, not " + Cp1251ToUtf8(v));
  return phonebook::VCardVersion::V30;
}

}  // namespace

void RunPhoneBookCommand(AppState& app, CliUserInterface& ui, const std::vector<std::string>& args,
                         std::ostream& out) {
  if (args.empty()) throw PhoneBookUsageError("phonebook needs a subcommand");
  const std::string& verb = args[0];
  struct Verb {
    const char* name;
    std::size_t positional;
    bool dialog;
    bool select;
  };
  static const Verb verbs[] = {{"read", 0, false, false},        {"add", 0, true, false},
                               {"edit", 1, true, false},         {"delete", 0, false, true},
                               {"write-all", 0, false, false},   {"save", 1, false, false},
                               {"load", 1, false, false},        {"export-vcard", 1, false, false},
                               {"import-vcard", 1, false, false}};
  const Verb* found = nullptr;
  for (const Verb& v : verbs)
    if (verb == v.name) found = &v;
  if (!found) throw PhoneBookUsageError("unknown phonebook subcommand " + Cp1251ToUtf8(verb));
  std::vector<std::string> allowed = found->dialog ? kDialogOptions : std::vector<std::string>{};
  if (found->select) allowed.push_back("--select");
  if (verb == "export-vcard") allowed.push_back("--version");
  const Options o = Parse(args, allowed);
  if (o.positional.size() != found->positional) {
    const char* what = verb == "edit" ? "a row's CAPTION" : "FILE";
    throw PhoneBookUsageError(
        "phonebook " + verb +
        (found->positional ? std::string(" needs ") + what : std::string(" takes no arguments")));
  }
  if (found->select && !o.named.count("--select"))
    throw PhoneBookUsageError("phonebook " + verb + " needs --select");
  if (found->dialog) ScriptRecordDialog(ui, o);
  const phonebook::VCardVersion version = VersionOption(o);
  phonebook::TfrmImportVCard importDialog;
  if (verb == "import-vcard") ScriptImportPreview(ui, out);

  PhoneBookSection section;
  if (!RunHandler(ui, [&] { section.sbReadAllClick(app); }) || ui.failed()) return;
  // Stopped by Ctrl+C: what was read is printed and nothing more is done.
  if (app.stop().final()) {
    PrintList(section.ListView1, out);
    return;
  }
  bool ok = true;
  try {
    if (verb == "add") {
      ok = RunHandler(ui, [&] { section.sbAddRecordClick(app); });
    } else if (verb == "edit") {
      Select(section.ListView1, o.positional[0]);
      ok = RunHandler(ui, [&] { section.ListView1DblClick(app); });
    } else if (verb == "delete") {
      Select(section.ListView1, o.named.at("--select"));
      ok = RunHandler(ui, [&] { section.pmDeleteClick(app); });
    } else if (verb == "write-all") {
      RunHandler(ui, [&] { section.sbWriteAllClick(app); });
      return;
    } else if (verb == "export-vcard") {
      ui.queueFile(Cp1251ToUtf8(o.positional[0]));
      ok = RunHandler(ui, [&] { phonebook::ExportVCardClick(section, app, version); });
    } else if (verb == "import-vcard") {
      ui.queueFile(Cp1251ToUtf8(o.positional[0]));
      RunHandler(ui, [&] { phonebook::ImportVCardClick(section, app, importDialog); });
      return;
    } else if (verb == "save" || verb == "load") {
      // The file dialogs answer with a name of this system, not a code page 1251 text.
      ui.queueFile(Cp1251ToUtf8(o.positional[0]));
      ok = RunHandler(ui, [&] {
        if (verb == "save") {
          section.pmSaveBookClick(app);
        } else {
          section.pmLoadRecordClick(app);
        }
      });
    }
  } catch (const GroupNotInBox& e) {
    throw PhoneBookUsageError("--group takes a group of the box, not " + Cp1251ToUtf8(e.group));
  }
  if (ok && !ui.failed()) PrintList(section.ListView1, out);
}

}  // namespace quorvex::cli
