// The phone book section in the main window: the section's operations bound to the window's
// buttons, menu items and hot keys, and the section's state copied into the controls the
// window shows. Both directions go through here, so the section and the window never
// disagree about the selection, the "Добавить" button or the popup items.
#pragma once

#include <memory>

#include "app/main_window.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard_import.h"

namespace quorvex {

class PhoneBookBinding {
 public:
  explicit PhoneBookBinding(TfrmMain& window);
  PhoneBookBinding(const PhoneBookBinding&) = delete;
  PhoneBookBinding& operator=(const PhoneBookBinding&) = delete;

  phonebook::PhoneBookSection section;
  // The preview of "Импорт справочника из vCard", shown through the seam.
  phonebook::TfrmImportVCard frmImportVCard;

  // Copies what the section shows into the window. Without rows only the progress bars and
  // the load's label, as a pump in the middle of an operation needs.
  void showState(bool withRows = true);
  // The rows of a read as they arrive: the rows from `from` on go to the window, which shows
  // the ones before already; from 0 (or a window that shows something else) copies all.
  void showRowsFrom(std::size_t from);

 private:
  // Wraps a section operation: what the user selected goes to the section first, and what
  // the operation changed comes back afterwards, also when it ends in an exception.
  void bindOperation(const std::string& handler, std::function<void()> operation);
  void takeWindowState();

  TfrmMain& window_;
  int shownRevision_ = -1;
};

// Binds the phone book's handlers into the window; the binding must outlive the window's use.
std::unique_ptr<PhoneBookBinding> BindPhoneBook(TfrmMain& window);

}  // namespace quorvex
