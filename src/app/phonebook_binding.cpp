#include "app/phonebook_binding.h"

#include "app/file_menu.h"

namespace quorvex {

namespace {

// The popup items the section enables and the window draws.
constexpr const char* kPopupItems[] = {"N2", "pmDelete", "pmSaveBook"};

Widget& PopupItem(phonebook::PhoneBookSection& s, std::string_view name) {
  if (name == "N2") return s.N2;
  if (name == "pmDelete") return s.pmDelete;
  return s.pmSaveBook;
}

void ShowBar(const ProgressBar& from, ProgressBar& to) {
  to.Min = from.Min;
  to.Max = from.Max;
  to.Position = from.Position;
}

class ShowOnExit {
 public:
  explicit ShowOnExit(PhoneBookBinding& b) : b_(b) {}
  ~ShowOnExit() { b_.showState(); }
  ShowOnExit(const ShowOnExit&) = delete;
  ShowOnExit& operator=(const ShowOnExit&) = delete;

 private:
  PhoneBookBinding& b_;
};

}  // namespace

PhoneBookBinding::PhoneBookBinding(TfrmMain& window) : window_(window) {
  section.SetControlsEnabled = [this](bool enabled) { window_.SetControlsEnabled(enabled); };
  section.RowsArrived = [this](std::size_t from) { showRowsFrom(from); };
  AppState& app = window_.app;
  auto& s = section;
  bindOperation("sbReadAllClick", [&s, &app] { s.sbReadAllClick(app); });
  bindOperation("SpeedButton3Click", [&s] { s.SpeedButton3Click(); });
  bindOperation("sbAddRecordClick", [&s, &app] { s.sbAddRecordClick(app); });
  bindOperation("ListView1DblClick", [&s, &app] { s.ListView1DblClick(app); });
  bindOperation("N2Click", [&s, &app] { s.N2Click(app); });
  bindOperation("N9Click", [&s, &app] { s.N2Click(app); });
  bindOperation("pmDeleteClick", [&s, &app] { s.pmDeleteClick(app); });
  bindOperation("sbWriteAllClick", [&s, &app] { s.sbWriteAllClick(app); });
  bindOperation("sbStopClick", [&s] { s.sbStopClick(); });
  bindOperation("PopupMenu1Popup", [&s] { s.PopupMenu1Popup(); });
  bindOperation("pmSaveBookClick", [&s, &app] { s.pmSaveBookClick(app); });
  bindOperation("pmLoadRecordClick", [&s, &app] { s.pmLoadRecordClick(app); });
  bindOperation("ListView1ColumnClick", [this, &s] {
    // A sort in the middle of writing every row would write some rows twice and skip others.
    if (s.writingAll()) return;
    ColumnClick(s.ListView1, window_.clickedColumn, window_.sort);
  });
  bindOperation("mnuOptionClick", [&s, &app] { s.mnuOptionClick(app.ui()); });
  bindOperation("mnuVCardExport30Click",
                [&s, &app] { ExportPhoneBookVCard(s, app, phonebook::VCardVersion::V30); });
  bindOperation("mnuVCardExport21Click",
                [&s, &app] { ExportPhoneBookVCard(s, app, phonebook::VCardVersion::V21); });
  bindOperation("mnuVCardImportClick",
                [this, &s, &app] { phonebook::ImportVCardClick(s, app, frmImportVCard); });
  showState();
}

void PhoneBookBinding::bindOperation(const std::string& handler, std::function<void()> operation) {
  window_.bind(handler, [this, operation = std::move(operation)] {
    takeWindowState();
    ShowOnExit show(*this);
    operation();
  });
}

void PhoneBookBinding::takeWindowState() {
  // The list widget writes the user's selection into the window's rows; the rows are the
  // section's own whenever they were last shown, so only the marks move.
  const ListModel& shown = window_.ListView1;
  ListModel& own = section.ListView1;
  if (shown.rows.size() == own.rows.size()) {
    for (std::size_t r = 0; r < own.rows.size(); ++r) own.rows[r].selected = shown.rows[r].selected;
    own.focused = shown.focused;
  }
  section.sbAddRecord.enabled = window_.control("sbAddRecord").enabled;
  for (const char* name : kPopupItems)
    PopupItem(section, name).enabled = window_.menuItem(name).enabled;
}

void PhoneBookBinding::showState(bool withRows) {
  ShowBar(section.pbReadAllRecords, window_.pbReadAllRecords);
  ShowBar(section.pbFullRecord, window_.pbFullRecord);
  ControlState& label9 = window_.control("Label9");
  label9.caption = section.Label9.caption;
  label9.visible = section.Label9.visible;
  if (!withRows) return;
  window_.control("sbAddRecord").enabled = section.sbAddRecord.enabled;
  for (const char* name : kPopupItems)
    window_.menuItem(name).enabled = PopupItem(section, name).enabled;
  ListModel& shown = window_.ListView1;
  const ListModel& own = section.ListView1;
  if (own.revision == shownRevision_ && shown.rows.size() == own.rows.size()) {
    // Only the selection can differ; the widget already shows the rest.
    bool same = shown.focused == own.focused;
    for (std::size_t r = 0; same && r < own.rows.size(); ++r)
      same = shown.rows[r].selected == own.rows[r].selected;
    if (same) return;
  }
  const int revision = shown.revision;
  shown = own;
  shown.revision = revision + 1;
  shown.appendedFrom = shown.appendedTo = -1;
  shownRevision_ = own.revision;
}

void PhoneBookBinding::showRowsFrom(std::size_t from) {
  ListModel& shown = window_.ListView1;
  const ListModel& own = section.ListView1;
  if (from == 0 || shown.rows.size() != from || own.rows.size() < from) {
    showState();
    return;
  }
  showState(false);
  shown.append(own.rows.begin() + static_cast<std::ptrdiff_t>(from), own.rows.end());
  shownRevision_ = own.revision;
}

std::unique_ptr<PhoneBookBinding> BindPhoneBook(TfrmMain& window) {
  return std::make_unique<PhoneBookBinding>(window);
}

}  // namespace quorvex
