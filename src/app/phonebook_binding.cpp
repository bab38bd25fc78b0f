#include "app/phonebook_binding.h"

#include "app/file_menu.h"

namespace quorvex {

PhoneBookBinding::PhoneBookBinding(TfrmMain& window) : section(window.phoneBook) {
  auto& s = section;
  AppState& app = window.app;
  s.SetControlsEnabled = [&window](bool enabled) { window.SetControlsEnabled(enabled); };
  window.bind("sbReadAllClick", [&s, &app] { s.sbReadAllClick(app); });
  window.bind("SpeedButton3Click", [&s] { s.SpeedButton3Click(); });
  window.bind("sbAddRecordClick", [&s, &app] { s.sbAddRecordClick(app); });
  window.bind("ListView1DblClick", [&s, &app] { s.ListView1DblClick(app); });
  window.bind("N2Click", [&s, &app] { s.N2Click(app); });
  window.bind("N9Click", [&s, &app] { s.N2Click(app); });
  window.bind("pmDeleteClick", [&s, &app] { s.pmDeleteClick(app); });
  window.bind("sbWriteAllClick", [&s, &app] { s.sbWriteAllClick(app); });
  window.bind("PopupMenu1Popup", [&s] { s.PopupMenu1Popup(); });
  window.bind("pmSaveBookClick", [&s, &app] { s.pmSaveBookClick(app); });
  window.bind("pmLoadRecordClick", [&s, &app] { s.pmLoadRecordClick(app); });
  window.bind("mnuOptionClick", [&s, &app] { s.mnuOptionClick(app.ui()); });
  window.bind("mnuVCardExport30Click",
              [&s, &app] { ExportPhoneBookVCard(s, app, phonebook::VCardVersion::V30); });
  window.bind("mnuVCardExport21Click",
              [&s, &app] { ExportPhoneBookVCard(s, app, phonebook::VCardVersion::V21); });
  window.bind("mnuVCardImportClick",
              [this, &s, &app] { phonebook::ImportVCardClick(s, app, frmImportVCard); });
}

std::unique_ptr<PhoneBookBinding> BindPhoneBook(TfrmMain& window) {
  return std::make_unique<PhoneBookBinding>(window);
}

}  // namespace quorvex
