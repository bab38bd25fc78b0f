// Joins the date book section to the main window: the window's buttons, menu items and hot
// keys run the section's operations. The window shows the section's own list and bar; the
// counters, free share, calendar and popup items are copied into the window's controls, and
// the window's side (the check box, the calendar, the auto-delete choice) goes into the
// section before every operation.
#pragma once

#include "app/main_window.h"
#include "datebook/date_book_section.h"

namespace quorvex {

class DateBookBinding {
 public:
  // Runs the window's date book section; the window must outlive it.
  explicit DateBookBinding(TfrmMain& main);
  DateBookBinding(const DateBookBinding&) = delete;
  DateBookBinding& operator=(const DateBookBinding&) = delete;

  // Window to section: what the user changed in the window.
  void pull();
  // Section to window: what an operation changed; a front end calls it before it repaints
  // while an operation runs.
  void push();

  // Runs one operation of the section between a pull and a push; the push also happens
  // when the operation throws, so the window shows the rows read before a failure.
  void run(const std::function<void()>& operation);

  datebook::DateBookSection& section() { return section_; }

 private:
  TfrmMain& main_;
  datebook::DateBookSection& section_;
};

// Binds the date book's handlers of the window to the section (the menu items and hot keys
// reach them through the window's own aliases).
void BindDateBook(TfrmMain& main, DateBookBinding& binding);

}  // namespace quorvex
