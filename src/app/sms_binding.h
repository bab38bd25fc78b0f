// The message section in the main window: the section's handlers bound to the window's
// buttons, menu items, hot keys and tree and list events, and the section's state copied
// into the window's controls (tree captions, list rows, memo, progress bar, menu items)
// after every event, so the window's view has one model to mirror.
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
  // Binds every message handler of the window to the section. Both must outlive it.
  SmsBinding(TfrmMain& main, sms::SmsSection& section);
  SmsBinding(const SmsBinding&) = delete;
  SmsBinding& operator=(const SmsBinding&) = delete;

  // The section's state into the window's controls.
  void feed();
  // What the user changed in the window (selected node, selected rows) into the section.
  void take();

  sms::SmsSection& section() { return section_; }

 private:
  // Runs a section handler between take and feed.
  void on(const std::string& handler, std::function<void()> fn);

  TfrmMain& main_;
  sms::SmsSection& section_;
  int fedRevision_ = -1;
};

}  // namespace quorvex
