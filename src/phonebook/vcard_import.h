// vCard import: a .vcf file (2.1 with quoted-printable and charsets, 3.0, 4.0) into the free
// indices of the handset's phone book, through the record dialog's write command.
//
// Three steps, each usable alone:
//   ParseVCards      the file's cards, texts still UTF-8; one number or e-mail per item
//   VCardImportPlan  the preview: for every number or e-mail of every card, what will be
//                    written where, what the handset cannot hold, what is skipped and why
//   ImportVCardClick the operation of the phone book section: file dialog, model query,
//                    the preview dialog TfrmImportVCard, then the writes with progress
//
// A window shows TfrmImportVCard with PreviewList() as a report list, Summary() as a label
// and two buttons wired to btnWriteClick and btnCancelClick (btnWrite.enabled tells whether
// there is anything to write); closing by the frame counts as "Отмена".
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/app_state.h"
#include "core/list_model.h"
#include "core/user_interface.h"
#include "phonebook/controls.h"
#include "phonebook/records.h"

namespace quorvex::phonebook {

class PhoneBookSection;

// ---- The file.

struct VCardItem {
  bool email = false;
  std::set<std::string> types;  // TYPE values in upper case: "CELL", "WORK", "PREF", ...
  std::string value;            // UTF-8; a TEL without "tel:" and its parameters
  std::string dropped;          // what was cut from a tel: URI (";ext=12"), UTF-8
};

struct VCard {
  int line = 0;                         // where BEGIN:VCARD stands, from 1
  std::string name;                     // UTF-8: FN, else N put together, else ORG, else NICKNAME
  std::vector<std::string> categories;  // UTF-8
  bool sim = false;                     // X-QUORVEX-STORAGE:SIM
  std::vector<VCardItem> items;         // in the order of the file
  std::vector<std::string> notes;       // cp1251: what the reading could not take as it was
};

// Unfolds lines (a CR LF, LF or CR followed by a blank or TAB; quoted-printable soft breaks),
// takes group prefixes (item1.TEL), 2.1 bare types and 3.0/4.0 TYPE lists, decodes
// QUOTED-PRINTABLE and CHARSET (UTF-8, windows-1251, KOI8-R, ISO-8859-1 and whatever else
// the system's converter knows) and unescapes text. BASE64 values are skipped. Lines outside
// BEGIN/END and lines that are no property are ignored; a card without END ends at the file's
// end. Never fails.
std::vector<VCard> ParseVCards(std::string_view file);

// ---- The preview.

inline constexpr std::size_t kNameChars = 24;
inline constexpr std::size_t kNumberChars = 40;

struct ImportRow {
  enum class Status { Write, OnHandset, EarlierInFile, NoRoom, NoNumber };
  Status status = Status::Write;
  int card = 0;               // 0-based card of the file
  std::string name, number;   // cp1251, as they will be written (or would have been)
  std::uint8_t type = 0;      // the handset's number type
  std::uint8_t category = 0;  // caller group, 1-based, 0 none
  bool sim = false;
  std::int32_t index = 0;          // Write: the free index it goes to; OnHandset: the entry's
  std::string command;             // Write: the "AT+MPBW=" command
  std::string statusText;          // cp1251, what the preview shows for the status
  std::vector<std::string> notes;  // cp1251: cuts and dropped characters, named
};

class VCardImportPlan {
 public:
  VCardImportPlan() = default;
  // records, groupNames, simFirst: the section after its last read. Each item of each card
  // gets a row; a Write row takes the lowest free index of its memory (the SIM for a card
  // stored on the SIM, the phone memory otherwise) that no earlier row took.
  VCardImportPlan(const std::vector<VCard>& cards, const std::vector<TAbonentInfo>& records,
                  const std::vector<std::string>& groupNames, std::int32_t simFirst, Family family);

  const std::vector<ImportRow>& rows() const { return rows_; }
  int count(ImportRow::Status status) const;
  // Rows whose texts the handset cannot hold as they are in the file.
  int altered() const;
  // One line of counts, cp1251.
  std::string Summary() const;
  // The rows as a report list: "#" (the index, empty when none), "Имя, Фамилия",
  // "Номер телефона", "Тип", "Группа", "Состояние" (the status and the notes).
  ListModel PreviewList() const;

 private:
  std::vector<ImportRow> rows_;
  std::vector<std::string> groupNames_;
  Family family_ = Family::None;
};

// ---- The dialog and the operation.

class TfrmImportVCard : public ModalDialog {
 public:
  std::string dialogName() const override { return "TfrmImportVCard"; }
  void closeByFrame() override { btnCancelClick(); }

  std::string Caption;
  VCardImportPlan Plan;
  Widget btnWrite;  // "Записать", enabled when a row is to be written
  bool Accepted = false;

  // Opens the dialog on a plan and shows it modally.
  void Show(UserInterface& ui, VCardImportPlan plan);
  void btnWriteClick();
  void btnCancelClick();
};

// "Импорт из vCard": needs a read first (the free indices come from it). Asks for the file,
// the handset's model, shows the preview and, on "Записать", writes its rows one at a time
// with the load's progress (pbReadAllRecords, Label9 "Записано n из m"), adding a row to
// ListView1 and filling the record of each entry written. The first write the handset
// refuses, or that fails on the line, stops the import with a box saying how many were
// written. File errors raise EInOutError before anything is sent.
void ImportVCardClick(PhoneBookSection& section, AppState& app, TfrmImportVCard& dialog);

}  // namespace quorvex::phonebook
