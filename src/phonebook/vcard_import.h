// vCard import: a .vcf file (2.1 with quoted-printable and charsets, 3.0, 4.0) into the free
// indices of the handset's phone book, through the record dialog's write command.
//
// Three steps, each usable alone:
//   ParseVCards      (vcard_parse.h) the file's cards, texts still UTF-8; one number or
//                    e-mail per item
//   VCardImportPlan  (vcard_import_plan.h) the preview: for every number or e-mail of every
//                    card, what will be written where, what the handset cannot hold, what is
//                    skipped and why
//   ImportVCardClick the operation of the phone book section: file dialog, model query,
//                    the preview dialog TfrmImportVCard, then the writes with progress
//
// A window shows TfrmImportVCard with PreviewList() as a report list, Summary() as a label
// and two buttons wired to btnWriteClick and btnCancelClick (btnWrite.enabled tells whether
// there is anything to write); closing by the frame counts as "Отмена".
#pragma once

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/controls.h"
#include "core/user_interface.h"
#include "phonebook/vcard_import_plan.h"
#include "phonebook/vcard_parse.h"

namespace quorvex::phonebook {

class PhoneBookSection;

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

// What an import did. The operation tells it in its boxes, the same in every front end.
struct ImportResult {
  enum class Outcome {
    NotRead,      // no read before: nothing asked
    Cancelled,    // the file dialog or the preview was cancelled
    Unsupported,  // a model whose phone book cannot be written: nothing sent
    Refused,      // the handset refused the phone book or the character set: nothing written
    Stopped,      // a write failed, or the user stopped: `written` of `total` went in
    Written,      // every row to write went in
  };
  Outcome outcome = Outcome::Cancelled;
  std::string path;  // the file read
  int written = 0, total = 0;
  // The rows of the preview that did not go in, with the status that says why; after a
  // stop the rows to write that were not reached stay as "Будет записана".
  std::vector<ImportRow> leftOut;
};

// "Импорт из vCard": needs a read first (the free indices come from it). Asks for the file,
// the handset's model, shows the preview and, on "Записать", writes its rows one at a time
// with the load's progress (pbReadAllRecords, Label9 "Записано n из m"), adding a row to
// ListView1 and filling the record of each entry written. The first write the handset
// refuses, or that fails on the line, stops the import with a box saying how many were
// written. File errors raise EInOutError before anything is sent.
ImportResult ImportVCardClick(PhoneBookSection& section, AppState& app, TfrmImportVCard& dialog);

}  // namespace quorvex::phonebook
