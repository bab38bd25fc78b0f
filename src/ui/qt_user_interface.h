// The user-interface seam on Qt: message boxes, the standard error box, file dialogs, the
// event pump, the pause, the clock, the busy cursor and the shell's "open". A scripted mode
// lets the widget tests run every handler without a box that waits for a person.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/user_interface.h"

class QDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

namespace quorvex::ui {

inline constexpr const char* kApplicationTitle = "Quorvex";

class QtUserInterface : public UserInterface {
 public:
  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override;
  void showStandardError(const std::string& message) override;
  std::optional<std::string> chooseOpenFile(const std::string& filter) override;
  // The save dialog with a file name proposed in the folder it opens in; scripted, as
  // chooseSaveFile.
  std::optional<std::string> chooseSaveFileNamed(const std::string& filter,
                                                 const std::string& defaultExt,
                                                 const std::string& proposed);
  std::optional<std::string> chooseSaveFile(const std::string& filter,
                                            const std::string& defaultExt) override;
  void processEvents(bool paintOnly) override;
  void pause(int milliseconds) override;
  LocalTime now() override;
  void setBusyCursor(bool busy) override;
  void openUrl(const std::string& url) override;
  // A dialog model of the core: shown by the view registered under its name. A model
  // without a view is closed by its frame, as the seam's default does.
  void showModal(ModalDialog& dialog) override;
  using DialogView = std::function<void(ModalDialog&)>;
  void registerDialog(const std::string& name, DialogView view);

  // Shows a dialog modally and returns when it closes; scripted, it only shows it.
  void runModal(QDialog& dialog);
  // The font dialog; nullopt when the user cancels.
  std::optional<QFont> chooseFont(const QFont& current);

  // Called before every box and every pump, so the window shows the state of the moment.
  std::function<void()> beforeEvents;
  // Whether a long operation runs that the user may stop: its pumps then deliver input too,
  // which the window's stop gate limits to the stop button and Escape.
  std::function<bool()> takesStopInput;
  bool busy() const { return busy_; }

  // A pump lets Qt paint and deliver input at most once in this time.
  static constexpr qint64 kFrameMilliseconds = 40;
  // The pumps that let Qt paint and deliver input.
  int framesPainted() const { return framesPainted_; }

  // ---- Scripted mode (tests): no modal window is shown, every call is recorded, and
  // answers come from the queues (a box without a queued answer gives its first button;
  // a file or font dialog without one is cancelled).
  struct Box {
    std::string text;  // cp1251
    MsgKind kind;
    MsgButtons buttons;
    bool standardError;
  };
  void setScripted(bool on) { scripted_ = on; }
  bool scripted() const { return scripted_; }
  std::vector<Box> boxes;
  std::vector<std::string> dialogs;  // window titles of the dialogs shown by runModal
  std::vector<std::string> urls;
  std::deque<MsgResult> answers;
  std::deque<std::optional<std::string>> files;
  std::deque<std::optional<QFont>> fonts;
  // Acts in a dialog model's place (fills it, presses its buttons); without it the dialog
  // closes by its frame.
  std::function<void(ModalDialog&)> scriptDialog;
  std::optional<LocalTime> clock;  // a fixed local time instead of the computer's

 private:
  MsgResult record(Box box);

  std::map<std::string, DialogView> dialogViews_;
  bool scripted_ = false;
  bool busy_ = false;
  QElapsedTimer sinceFrame_;
  int framesPainted_ = 0;
};

// The box messageBox shows: caption "Quorvex", the kind's icon and the buttons asked for.
std::unique_ptr<QMessageBox> MakeMessageBox(const std::string& text, MsgKind kind,
                                            MsgButtons buttons, QWidget* parent);

// A filter in the form "All files (*.*)|*.*|Text File (*.txt)|*.txt" as Qt's name filters.
QStringList QtNameFilters(const std::string& filter);

// The file dialog chooseOpenFile and chooseSaveFile show: Qt's own dialog, whatever the
// desktop offers, so that it speaks the window's language; the third filter preselected.
// A save dialog adds `defaultExt` ("*.csv") to a name typed without one and does not ask
// before replacing a file.
enum class FileChoice { Open, Save };
std::unique_ptr<QFileDialog> MakeFileDialog(FileChoice choice, const std::string& filter,
                                            const std::string& defaultExt, QWidget* parent);

// Makes the Qt view of a dialog model (View(model, ui, parent), with run(ui)) and registers
// it under the model's name. The view belongs to parent; once parent has destroyed it, the
// model is closed by its frame instead.
template <class View, class Model>
View* InstallDialogView(Model& model, QtUserInterface& ui, QWidget* parent) {
  auto* view = new View(model, ui, parent);
  QPointer<View> guarded = view;
  ui.registerDialog(model.dialogName(), [guarded, &ui](ModalDialog& d) {
    if (guarded)
      guarded->run(ui);
    else
      d.closeByFrame();
  });
  return view;
}

}  // namespace quorvex::ui
