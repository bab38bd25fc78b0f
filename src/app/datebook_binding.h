// Joins the date book section to the main window: the window's buttons, menu items and hot
// keys run the section's operations. The window shows the section's own list, bar, labels,
// buttons, check box, calendar, auto-delete choice and popup items.
#pragma once

#include "app/main_window.h"
#include "datebook/date_book_section.h"
#include "datebook/ical_import.h"

namespace quorvex {

class DateBookBinding {
 public:
  // Runs the window's date book section; the window must outlive it.
  explicit DateBookBinding(TfrmMain& main) : section_(main.dateBook) {}
  DateBookBinding(const DateBookBinding&) = delete;
  DateBookBinding& operator=(const DateBookBinding&) = delete;

  datebook::DateBookSection& section() { return section_; }
  // The preview of "Импорт ежедневника из iCalendar", shown through the seam.
  datebook::TfrmImportICal frmImportICal;

 private:
  datebook::DateBookSection& section_;
};

// Binds the date book's handlers of the window to the section (the menu items and hot keys
// reach them through the window's own aliases).
void BindDateBook(TfrmMain& main, DateBookBinding& binding);

}  // namespace quorvex
