// The bin ("Корзина") as the window and the CLI show it: its records newest first, and
// writing chosen ones back through their sections. The dialog TfrmBin is a plain model; the
// window mirrors it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/bin_file.h"
#include "core/bin_keep.h"
#include "core/controls.h"
#include "core/list_model.h"
#include "datebook/date_book_section.h"
#include "messages/sms_export.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"

namespace quorvex {

// The section's name as the bin list shows it ("Справочник", "Ежедневник", "Сообщения"), or
// the record's own word for a section this program does not know.
std::string BinSectionCaption(const BinRecord& record);

// The records of the bin newest first, and how many lines were skipped.
BinContents BinNewestFirst(const std::string& path);

// Writes the chosen records back through their sections (the phone book's first, then the
// date book's, then the messages), in the order given within a section, and takes those that
// went back out of the bin. A result for every record, in the order chosen; a failure to
// rewrite the bin is told in a box (the records are on the handset then, and still in the bin).
std::vector<BinRestoreResult> RestoreBinRecords(AppState& app, phonebook::PhoneBookSection& book,
                                                datebook::DateBookSection& dates,
                                                sms::SmsSection& messages,
                                                const std::vector<BinRecord>& chosen);

// One line per result for a person: caption, then where it went or why not.
std::string RestoreReport(const std::vector<BinRecord>& chosen,
                          const std::vector<BinRestoreResult>& results);

class TfrmBin : public ModalDialog {
 public:
  TfrmBin();

  std::string dialogName() const override { return "TfrmBin"; }
  void closeByFrame() override { btnCloseClick(); }

  std::string Caption;
  ListModel lvBin;  // "Когда", "Раздел", "Что", "Текст", "Телефон"; caption: the id
  Label lblSummary;
  Label btnRestore, btnExportCsv, btnExportMbox, btnClose;

  // The records the rows show, row by row.
  std::vector<BinRecord> Records;
  // Writes records back; the window binds it to RestoreBinRecords on its sections.
  std::function<std::vector<BinRestoreResult>(const std::vector<BinRecord>&)> Restore;

  // Reads the bin and opens the dialog; a bin that cannot be read is told and the dialog
  // stays closed (false).
  bool Open(UserInterface& ui, const std::string& path);
  void Show(UserInterface& ui, const std::string& path);
  // The buttons follow the selection: restore for any record, the exports for messages.
  void lvBinSelectItem();
  // "Восстановить": the chosen records go back; a box says where each went; the list is read
  // again.
  void btnRestoreClick(UserInterface& ui);
  // "CSV..." / "mbox...": the chosen messages to a file the user names.
  void btnExportClick(UserInterface& ui, sms::MessageFormat format);
  void btnCloseClick() { close(); }

 private:
  void load(UserInterface& ui);
  std::vector<BinRecord> chosen() const;
  std::string path_;
};

}  // namespace quorvex
