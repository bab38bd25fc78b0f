// The phone book section in the main window: the section's operations bound to the window's
// buttons, menu items and hot keys. The window shows the section's own list and bars; the
// "Добавить" button, the load's label and the popup items go both ways through here.
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

  phonebook::PhoneBookSection& section;
  // The preview of "Импорт справочника из vCard", shown through the seam.
  phonebook::TfrmImportVCard frmImportVCard;

  // Copies the section's controls into the window's. Without the button and the popup items
  // only the load's label, as a pump in the middle of an operation needs.
  void showState(bool withButtons = true);

 private:
  // Wraps a section operation: what the user selected goes to the section first, and what
  // the operation changed comes back afterwards, also when it ends in an exception.
  void bindOperation(const std::string& handler, std::function<void()> operation);
  void takeWindowState();

  TfrmMain& window_;
};

// Binds the phone book's handlers into the window; the binding must outlive the window's use.
std::unique_ptr<PhoneBookBinding> BindPhoneBook(TfrmMain& window);

}  // namespace quorvex
