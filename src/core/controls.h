// The state of the kinds of controls the window, its sections and its dialogs hold, as plain
// values the views mirror. The logic changes them only through these members, which behave
// as the controls they stand for (clamping, item lookup).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace quorvex {

struct Widget {
  bool enabled = true;
  bool visible = true;
};

// A label, a captioned button or a menu item.
struct Label : Widget {
  std::string caption;
};

struct Edit : Widget {
  std::string text;
  int maxLength = 0;  // 0 = unlimited; typing stops at the limit
};

// A check box, or a speed button that stays down while its section is shown.
struct CheckBox : Label {
  bool checked = false;
};

// A spin edit reports a value outside its range as the nearer end.
struct SpinEdit : Widget {
  int minValue = 0;
  int maxValue = 100;
  int increment = 1;
  int value = 0;
  int clamp(int v) const { return std::clamp(v, minValue, std::max(minValue, maxValue)); }
  void setValue(int v) { value = clamp(v); }
};

struct RadioGroup : Label {
  std::vector<std::string> items;
  int itemIndex = -1;
};

// A combo box, its text picked from the items or typed over: the item index is the item
// picked, -1 for a text that is none of them.
struct ComboBox : Widget {
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
  // A typed text selects the item it equals.
  void type(std::string typed) {
    text = std::move(typed);
    itemIndex = indexOf(text);
  }
  int indexOf(const std::string& caption) const {
    const auto it = std::find(items.begin(), items.end(), caption);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }
};

// A progress bar or a gauge: a position outside the range is taken as the nearer end.
struct ProgressBar : Widget {
  int Min = 0;
  int Max = 100;
  int Position = 0;
  // The figure drawn on the bar ("30 из 250", cp1251); none when empty.
  std::string Figure;

  ProgressBar() = default;
  ProgressBar(int min, int max, int position) : Min(min), Max(max), Position(position) {}

  void setRange(int min, int max) {
    Min = min;
    Max = max;
    setPosition(Position);
  }
  void setPosition(int p) { Position = std::clamp(p, Min, std::max(Min, Max)); }
  // "n из m": how many of how many, whatever the position counts.
  void showFigure(long long n, long long m) {
    Figure = std::to_string(n) + " \xE8\xE7 " + std::to_string(m);  // "из" in cp1251
  }
  // How far the position lies within the range, 0..100, as a gauge draws it.
  int percentDone() const {
    if (Max <= Min) return 0;
    const long long span = static_cast<long long>(Max) - Min;
    const long long done = static_cast<long long>(std::clamp(Position, Min, Max)) - Min;
    return static_cast<int>(done * 100 / span);
  }
};

struct CalendarDate {
  int year = 2000, month = 1, day = 1;
  bool operator==(const CalendarDate&) const = default;
};

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
  bool operator==(const TimeOfDay&) const = default;
};

}  // namespace quorvex
