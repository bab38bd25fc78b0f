#include "core/held_boxes.h"

namespace quorvex {

HeldBoxes::HeldBoxes(AppState& app) : app_(app), shown_(app.ui()) {
  app_.shown_ = this;
}

HeldBoxes::~HeldBoxes() {
  app_.shown_ = &shown_;
  // An error on its way out leaves the boxes of the parts to say what happened before it.
  for (const Held& h : held_) {
    try {
      if (h.standardError)
        shown_.showStandardError(h.text);
      else
        shown_.messageBox(h.text, h.kind, MsgButtons::Ok);
    } catch (...) {
    }
  }
}

std::string OneBoxText(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  return second.empty() ? first : first + " " + second;
}

std::string HeldBoxes::take() {
  std::string all;
  for (const Held& h : held_) all = OneBoxText(all, h.text);
  held_.clear();
  return all;
}

MsgResult HeldBoxes::messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) {
  if (buttons != MsgButtons::Ok) return shown_.messageBox(text, kind, buttons);
  held_.push_back({text, kind, false});
  return MsgResult::Ok;
}

void HeldBoxes::showStandardError(const std::string& message) {
  held_.push_back({message, MsgKind::Error, true});
}

std::optional<std::string> HeldBoxes::chooseOpenFile(const std::string& filter) {
  return shown_.chooseOpenFile(filter);
}

std::optional<std::string> HeldBoxes::chooseSaveFile(const std::string& filter,
                                                     const std::string& defaultExt) {
  return shown_.chooseSaveFile(filter, defaultExt);
}

void HeldBoxes::processEvents(bool paintOnly) {
  shown_.processEvents(paintOnly);
}
void HeldBoxes::pause(int milliseconds) {
  shown_.pause(milliseconds);
}
LocalTime HeldBoxes::now() {
  return shown_.now();
}
void HeldBoxes::setBusyCursor(bool busy) {
  shown_.setBusyCursor(busy);
}
void HeldBoxes::openUrl(const std::string& url) {
  shown_.openUrl(url);
}
void HeldBoxes::showModal(ModalDialog& dialog) {
  shown_.showModal(dialog);
}

}  // namespace quorvex
