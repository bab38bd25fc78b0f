// The state of the few kinds of controls the phone book's dialogs and section hold. The
// views mirror them; the logic changes them only through these members, which behave as the
// controls they stand for.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace quorvex::phonebook {

struct Widget {
  bool enabled = true;
  bool visible = true;
};

struct LabelControl : Widget {
  std::string caption;
};

struct EditControl : Widget {
  std::string text;
  int maxLength = 0;  // 0 = unlimited; typing stops at the limit
};

struct ComboBoxControl : Widget {
  std::vector<std::string> items;
  int itemIndex = -1;
  std::string text;
  int maxLength = 0;

  // New items: the selection and the text are cleared, as the control does.
  void setItems(std::vector<std::string> newItems) {
    items = std::move(newItems);
    itemIndex = -1;
    text.clear();
  }
  // Picks an item; its caption becomes the text. -1 (or an index past the items) selects
  // nothing and empties the text.
  void select(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < items.size()) {
      itemIndex = index;
      text = items[static_cast<std::size_t>(index)];
    } else {
      itemIndex = -1;
      text.clear();
    }
  }
  void selectLast() { select(static_cast<int>(items.size()) - 1); }
  int indexOf(const std::string& caption) const {
    const auto it = std::find(items.begin(), items.end(), caption);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }
};

// A progress bar clamps a position outside its range to the nearer end.
struct ProgressBar {
  int Min = 0;
  int Max = 100;
  int Position = 0;

  void setRange(int min, int max) {
    Min = min;
    Max = max;
    setPosition(Position);
  }
  void setPosition(int p) { Position = std::clamp(p, Min, std::max(Min, Max)); }
};

}  // namespace quorvex::phonebook
