// The one way the core reaches the user. The window implements it with Qt, the CLI with
// stdout/stderr and its command-line answers, tests with a scripted fake. Texts are code
// page 1251 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorvex {

enum class MsgKind { Message, Error, Warning, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct LocalTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// A dialog window as a plain model (its controls' state and its button handlers). The core
// shows it through UserInterface::showModal; a front end mirrors the model, forwards typing
// and clicks to its handlers and ends the modal loop as soon as closed() is true.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  // The window class it stands for, such as "TfrmAddRecord".
  virtual std::string dialogName() const = 0;
  bool closed() const { return closed_; }
  // The close box of the frame: the dialog closes as its own cancel button would close it.
  virtual void closeByFrame() = 0;

 protected:
  void open() { closed_ = false; }
  void close() { closed_ = true; }

 private:
  bool closed_ = true;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  virtual MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) = 0;
  // The application's standard error box: message, the application title as caption, OK.
  virtual void showStandardError(const std::string& message) = 0;
  virtual std::optional<std::string> chooseOpenFile(const std::string& filter) = 0;
  virtual std::optional<std::string> chooseSaveFile(const std::string& filter,
                                                    const std::string& defaultExt) = 0;
  // Lets the window repaint and take input (or, with paintOnly, only repaint).
  virtual void processEvents(bool paintOnly) = 0;
  virtual void pause(int milliseconds) = 0;
  virtual LocalTime now() = 0;
  virtual void setBusyCursor(bool busy) = 0;
  virtual void openUrl(const std::string& url) = 0;
  // Shows an opened dialog modally and returns when it has closed. A front end that cannot
  // show it closes it by its frame.
  virtual void showModal(ModalDialog& dialog) { dialog.closeByFrame(); }
};

// Shows an opened dialog modally and makes sure it is closed afterwards: a front end
// that returns early counts as the close box.
void ShowModal(UserInterface& ui, ModalDialog& dialog);

// Runs one event handler; an exception it lets escape ends in the standard error box.
// Returns false when it did.
bool RunHandler(UserInterface& ui, const std::function<void()>& handler);

}  // namespace quorvex
