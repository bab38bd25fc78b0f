// An operation made of other operations that tells their outcome in one box of its own: while
// a HeldBoxes lives, the boxes with only OK and the standard error boxes that the operations
// of `app` show are held instead of shown. Questions, dialogs and everything else reach the
// user as before.
#pragma once

#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/user_interface.h"

namespace quorvex {

// Two texts as one box's: a blank between them, none where either is empty.
std::string OneBoxText(const std::string& first, const std::string& second);

class HeldBoxes final : public UserInterface {
 public:
  explicit HeldBoxes(AppState& app);
  // Gives the application its user interface back; boxes still held are shown then.
  ~HeldBoxes() override;
  HeldBoxes(const HeldBoxes&) = delete;
  HeldBoxes& operator=(const HeldBoxes&) = delete;

  // The texts held so far, in order, one blank between two; and forgets them.
  std::string take();

  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override;
  void showStandardError(const std::string& message) override;
  std::optional<std::string> chooseOpenFile(const std::string& filter) override;
  std::optional<std::string> chooseSaveFile(const std::string& filter,
                                            const std::string& defaultExt) override;
  void processEvents(bool paintOnly) override;
  void pause(int milliseconds) override;
  LocalTime now() override;
  void setBusyCursor(bool busy) override;
  void openUrl(const std::string& url) override;
  void showModal(ModalDialog& dialog) override;

 private:
  struct Held {
    std::string text;
    MsgKind kind;
    bool standardError;
  };
  AppState& app_;
  UserInterface& shown_;  // what app showed through before
  std::vector<Held> held_;
};

}  // namespace quorvex
