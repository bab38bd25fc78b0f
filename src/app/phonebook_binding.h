// The phone book section in the main window: the section's operations bound to the window's
// buttons, menu items and hot keys. The window shows the section's own list, bars, load
// label, "Добавить" button and popup items.
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
};

// Binds the phone book's handlers into the window; the binding must outlive the window's use.
std::unique_ptr<PhoneBookBinding> BindPhoneBook(TfrmMain& window);

}  // namespace quorvex
