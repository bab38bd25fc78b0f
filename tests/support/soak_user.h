// The soak's user: answers every question with yes, works the dialogs from a script, and
// keeps every box and error the operation showed.
#pragma once

#include <time.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace quorvex::soak {

struct Shown {
  std::string text;
  MsgKind kind;
};

class SoakUi : public UserInterface {
 public:
  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    boxes.push_back({text, kind});
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgResult::Yes
                                                                              : MsgResult::Ok;
  }
  void showStandardError(const std::string& message) override { errors.push_back(message); }
  std::optional<std::string> chooseOpenFile(const std::string&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const std::string&, const std::string&) override {
    return {};
  }
  void processEvents(bool) override {}
  void pause(int) override {}
  LocalTime now() override {
    const time_t t = ::time(nullptr) + clockShift;
    tm local{};
    ::localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
  }
  void setBusyCursor(bool busy) override { cursorBusy = busy; }
  void openUrl(const std::string&) override {}
  void showModal(ModalDialog& dialog) override {
    ++modals;
    if (script) script(dialog);
  }

  void forget() {
    boxes.clear();
    errors.clear();
    modals = 0;
    script = nullptr;
  }
  void shrink() {
    boxes.shrink_to_fit();
    errors.shrink_to_fit();
  }

  std::vector<Shown> boxes;
  std::vector<std::string> errors;
  int modals = 0;
  bool cursorBusy = false;
  long clockShift = 0;  // seconds the user's clock is ahead of the machine's
  std::function<void(ModalDialog&)> script;
};

}  // namespace quorvex::soak
