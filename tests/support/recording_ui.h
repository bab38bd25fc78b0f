// The user interface of the tests: it records every call (boxes, errors, file dialogs, pumps,
// pauses, modal dialogs, the busy cursor, opened links, clock reads) and answers from what
// the test queued, with hooks for a test that acts in the middle of an operation.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace quorvex::testing {

struct Box {
  std::string text;
  MsgKind kind;
  MsgButtons buttons;
  bool operator==(const Box&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const Box& b) {
  return o << "{" << b.text << ", kind " << static_cast<int>(b.kind) << ", buttons "
           << static_cast<int>(b.buttons) << "}";
}

class RecordingUi : public UserInterface {
 public:
  // A box with only OK gets Ok; a question takes the next queued answer, or else `answer`.
  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    boxes.push_back({text, kind, buttons});
    log.push_back("box");
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (!answers.empty()) {
      const MsgResult r = answers.front();
      answers.pop_front();
      return r;
    }
    return answer;
  }
  void showStandardError(const std::string& message) override { errors.push_back(message); }
  std::optional<std::string> chooseOpenFile(const std::string& filter) override {
    openFilters.push_back(filter);
    return next(opens);
  }
  std::optional<std::string> chooseSaveFile(const std::string& filter,
                                            const std::string& ext) override {
    saveFilters.push_back(filter);
    saveExts.push_back(ext);
    return next(saves);
  }
  void processEvents(bool paintOnly) override {
    pumps.push_back(paintOnly);
    if (onPump) onPump();
  }
  void pause(int ms) override {
    if (onPause) onPause(ms);
    pauses.push_back(ms);
    log.push_back("pause " + std::to_string(ms));
  }
  LocalTime now() override {
    ++nowCalls;
    if (onNow) onNow();
    return clock;
  }
  void setBusyCursor(bool busy) override { cursor.push_back(busy); }
  void openUrl(const std::string& url) override { urls.push_back(url); }
  // A dialog the hook leaves open is closed by its frame in ShowModal.
  void showModal(ModalDialog& dialog) override {
    shown.push_back(dialog.dialogName());
    log.push_back("modal " + dialog.dialogName());
    if (onModal) onModal(dialog);
  }

  LocalTime clock{2026, 3, 5, 9, 4, 7};
  MsgResult answer = MsgResult::Ok;
  std::deque<MsgResult> answers;
  std::deque<std::optional<std::string>> opens, saves;

  std::function<void()> onPump;
  std::function<void(int)> onPause;
  std::function<void()> onNow;
  std::function<void(ModalDialog&)> onModal;

  std::vector<Box> boxes;
  std::vector<std::string> errors;
  std::vector<std::string> openFilters, saveFilters, saveExts;
  std::vector<bool> pumps;  // paintOnly of every pump
  std::vector<int> pauses;
  int nowCalls = 0;
  std::vector<bool> cursor;
  std::vector<std::string> urls;
  std::vector<std::string> shown;  // the dialogs' names
  std::vector<std::string> log;    // boxes, pauses and dialogs in the order they came

 private:
  static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
    if (q.empty()) return std::nullopt;
    auto v = q.front();
    q.pop_front();
    return v;
  }
};

}  // namespace quorvex::testing
