// The CLI's side of the user-interface seam: message boxes become lines on stderr, questions
// take the run's fixed answer, files come from the command line.
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/list_model.h"
#include "core/user_interface.h"

namespace quorvex::cli {

class CliUserInterface : public UserInterface {
 public:
  CliUserInterface(std::ostream& err, bool answerYes) : err_(err), answerYes_(answerYes) {}

  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override;
  void showStandardError(const std::string& message) override;
  std::optional<std::string> chooseOpenFile(const std::string& filter) override;
  std::optional<std::string> chooseSaveFile(const std::string& filter,
                                            const std::string& defaultExt) override;
  void processEvents(bool) override {}
  void pause(int milliseconds) override;
  LocalTime now() override;
  void setBusyCursor(bool) override {}
  void openUrl(const std::string& url) override;
  void showModal(ModalDialog& dialog) override;

  // What the run does in a dialog it shows (fills it in and presses its buttons); without
  // it a dialog is closed by its frame.
  std::function<void(ModalDialog&)> dialogScript;

  // Files the open and save dialogs answer, in order.
  void queueFile(std::string path) { files_.push_back(std::move(path)); }
  bool failed() const { return failed_; }

 private:
  std::ostream& err_;
  bool answerYes_;
  bool failed_ = false;
  std::deque<std::string> files_;
};

// A cp1251 text as UTF-8 with CR LF (and lone CR) turned into newlines.
std::string ForTerminal(const std::string& cp1251);

// A value as one line of UTF-8 output: control characters (an "ERROR" answer leaves CR LF in
// a field) are written as \r, \n, \t or \xNN, so every value stays on its line.
std::string OneLine(const std::string& cp1251);

// A list as the CLI prints it: one row a line, the caption and each sub-item, TAB between.
void PrintList(const ListModel& list, std::ostream& out);

// A write's preview (an import's, the restore's) answered on the command line: its rows to
// out, then the run's answer to `question` presses "Записать" or "Отмена"; with nothing to
// write the counts are told instead of asked.
template <class Preview>
void AnswerPreview(Preview& d, CliUserInterface& ui, std::ostream& out,
                   const std::string& question) {
  PrintList(d.Plan.PreviewList(), out);
  out.flush();
  if (d.btnWrite.enabled &&
      ui.messageBox(question, MsgKind::Question, MsgButtons::YesNo) == MsgResult::Yes) {
    d.btnWriteClick();
  } else {
    if (!d.btnWrite.enabled) ui.messageBox(d.Plan.Summary(), MsgKind::Information, MsgButtons::Ok);
    d.btnCancelClick();
  }
}

// A subcommand's arguments: "--name VALUE" and "--name=VALUE" by name, the others in order.
struct CommandOptions {
  std::vector<std::string> positional;
  std::map<std::string, std::string> named;
};

// Splits args from index `from` on into `into`; only the names in `allowed` are taken. A
// misuse ("--x needs a value", "unknown option --y") is returned as its message.
std::optional<std::string> SplitOptions(const std::vector<std::string>& args, std::size_t from,
                                        const std::vector<std::string>& allowed,
                                        CommandOptions& into);

// The same, a misuse raised as the command's own usage error.
template <typename UsageError>
CommandOptions ParseOptions(const std::vector<std::string>& args, std::size_t from,
                            const std::vector<std::string>& allowed) {
  CommandOptions o;
  if (const auto misuse = SplitOptions(args, from, allowed, o)) throw UsageError(*misuse);
  return o;
}

// "a,b,c" as {"a", "b", "c"}; an empty text is one empty caption.
std::vector<std::string> SplitCaptions(const std::string& list);

// Selects exactly the rows with one of the captions; the focus goes to the first row of the
// first caption that names one, none when no row is named.
void SelectCaptions(ListModel& list, const std::vector<std::string>& captions);

}  // namespace quorvex::cli
