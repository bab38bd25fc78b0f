// The three sections bound to a window's model, in one place: the program's window builds its
// views on it, and the fault matrix, the soak and the model tests, which drive the model
// without widgets, use it alone.
#pragma once

#include <memory>

#include "app/datebook_binding.h"
#include "app/main_window.h"
#include "app/phonebook_binding.h"
#include "app/sms_binding.h"

namespace quorvex {

struct SectionBindings {
  // The window must outlive the bindings.
  explicit SectionBindings(TfrmMain& window)
      : phoneBook(BindPhoneBook(window)), messages(window), dateBook(window) {
    BindDateBook(window, dateBook);
  }
  SectionBindings(const SectionBindings&) = delete;
  SectionBindings& operator=(const SectionBindings&) = delete;

  // Shared with the phone book's view, which also shows the binding's import preview.
  std::shared_ptr<PhoneBookBinding> phoneBook;
  SmsBinding messages;
  DateBookBinding dateBook;
};

}  // namespace quorvex
