// The message section in the main window: the section's handlers bound to the window's
// buttons, menu items, hot keys and tree and list events. The window shows the section's
// own tree, list, memo, bar and menu items.
#pragma once

#include <string>

#include "app/main_window.h"
#include "core/user_interface.h"
#include "messages/sms_section.h"

namespace quorvex {

// The new message dialog as the seam shows it: a modal window over the section's dialog
// model. Its "Ok" and "Отмена" run the model's handlers; it is closed once they have
// closed the model.
class SaveSmsModal : public ModalDialog {
 public:
  explicit SaveSmsModal(sms::TfrmSaveSMS& form) : form_(form) {}

  std::string dialogName() const override { return "TfrmSaveSMS"; }
  void closeByFrame() override { cancel(); }

  sms::TfrmSaveSMS& form() { return form_; }
  void begin();
  // "Ok": returns whether the dialog closed (validation refused it otherwise).
  bool ok(UserInterface& ui);
  void cancel();

 private:
  void follow();

  sms::TfrmSaveSMS& form_;
};

class SmsBinding {
 public:
  // Binds every message handler of the window to its message section; the window must
  // outlive it.
  explicit SmsBinding(TfrmMain& main);
  SmsBinding(const SmsBinding&) = delete;
  SmsBinding& operator=(const SmsBinding&) = delete;

  sms::SmsSection& section() { return section_; }

 private:
  sms::SmsSection& section_;
};

}  // namespace quorvex
