// The state of the controls the date book's section and dialog hold, as plain values the
// views mirror. Setters behave as the controls do (clamping, item lookup).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace quorvex::datebook {

struct Widget {
  bool enabled = true;
  bool visible = true;
};

struct Label : Widget {
  std::string caption;
};

struct CheckBox : Widget {
  std::string caption;
  bool checked = false;
};

// A spin edit reports a value outside its range as the nearer end.
struct SpinEdit : Widget {
  int minValue = 0;
  int maxValue = 100;
  int value = 0;
  void setValue(int v) { value = std::clamp(v, minValue, maxValue); }
};

struct RadioGroup : Widget {
  std::string caption;
  std::vector<std::string> items;
  int itemIndex = -1;
};

// A combo box whose text can also be typed over: the item index is the item the text
// equals, -1 for any other text.
struct ComboBox : Widget {
  std::vector<std::string> items;
  int itemIndex = -1;
  std::string text;
  void select(int index) {
    if (index >= 0 && index < static_cast<int>(items.size())) {
      itemIndex = index;
      text = items[static_cast<std::size_t>(index)];
    } else {
      itemIndex = -1;
      text.clear();
    }
  }
  void type(std::string typed) {
    text = std::move(typed);
    const auto it = std::find(items.begin(), items.end(), text);
    itemIndex = it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }
};

// A progress bar clamps a position outside its range to the nearer end.
struct ProgressBar : Widget {
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

struct CalendarDate {
  int year = 2000, month = 1, day = 1;
  bool operator==(const CalendarDate&) const = default;
};

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
  bool operator==(const TimeOfDay&) const = default;
};

}  // namespace quorvex::datebook
