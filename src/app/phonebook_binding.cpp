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

PhoneBookBinding::PhoneBookBinding(TfrmMain& window) : section(window.phoneBook), window_(window) {
  section.SetControlsEnabled = [this](bool enabled) { window_.SetControlsEnabled(enabled); };
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
  section.sbAddRecord.enabled = window_.control("sbAddRecord").enabled;
  for (const char* name : kPopupItems)
    PopupItem(section, name).enabled = window_.menuItem(name).enabled;
}

void PhoneBookBinding::showState(bool withButtons) {
  ControlState& label9 = window_.control("Label9");
  label9.caption = section.Label9.caption;
  label9.visible = section.Label9.visible;
  if (!withButtons) return;
  window_.control("sbAddRecord").enabled = section.sbAddRecord.enabled;
  for (const char* name : kPopupItems)
    window_.menuItem(name).enabled = PopupItem(section, name).enabled;
}

std::unique_ptr<PhoneBookBinding> BindPhoneBook(TfrmMain& window) {
  return std::make_unique<PhoneBookBinding>(window);
}

}  // namespace quorvex
