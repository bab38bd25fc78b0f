#include "app/sms_binding.h"

#include "app/file_menu.h"

namespace quorvex {

void SaveSmsModal::begin() {
  form_.visible = true;
  open();
}

bool SaveSmsModal::ok(UserInterface& ui) {
  const bool closed = form_.SpeedButton1Click(ui);
  follow();
  return closed;
}

void SaveSmsModal::cancel() {
  form_.SpeedButton2Click();
  follow();
}

void SaveSmsModal::follow() {
  if (!form_.visible) close();
}

SmsBinding::SmsBinding(TfrmMain& main) : section_(main.messages) {
  sms::SmsSection& s = section_;
  AppState& app = main.app;
  // The section's long reads enter the window's busy state.
  s.SetControlsEnabled = [&main](bool enabled) { main.SetControlsEnabled(enabled); };
  s.runDialog = [&main](sms::TfrmSaveSMS& form) {
    SaveSmsModal modal(form);
    modal.begin();
    ShowModal(main.ui(), modal);
  };
  // The section button keeps the window's part (panel, menus, expanded tree) and adds the
  // section's own: "Прочитать" disabled until a folder is clicked.
  main.bind("sbSMSClick", [&main, &s] {
    main.sbSMSClick();
    s.ShowSection();
  });
  main.bind("tvSMSClick", [&s, &app] { s.tvSMSClick(app); });
  main.bind("pmSMSReadClick", [&s, &app] { s.pmSMSReadClick(app); });
  main.bind("tvSMSKeyDown", [&s, &app] { s.tvSMSKeyDown(app, sms::kKeyEnter); });
  main.bind("lvSMSClick", [&s] { s.lvSMSClick(); });
  main.bind("SpeedButton12Click", [&s] { s.SpeedButton12Click(); });
  main.bind("pmSMSClearClick", [&s] { s.pmSMSClearClick(); });
  main.bind("pmSMSPopup", [&s] { s.pmSMSPopup(); });
  // Recipients come from the phone book list as the window shows it.
  main.bind("sbSMSNewClick", [&main, &s, &app] { s.sbSMSNewClick(app, main.ListView1); });
  main.bind("mnuSendSMSClick", [&main, &s, &app] { s.mnuSendSMSClick(app, main.ListView1); });
  main.bind("pmSendSMSClick", [&s, &app] { s.pmSendSMSClick(app); });
  main.bind("sbDeleteSMSClick", [&s, &app] { s.sbDeleteSMSClick(app); });
  main.bind("sbSMSDeleteAllClick", [&s, &app] { s.sbSMSDeleteAllClick(app); });
  main.bind("pmMarkasReadClick", [&s, &app] { s.pmMarkasReadClick(app); });
  main.bind("sbSMSSaveClick", [&main, &s] { s.sbSMSSaveClick(main.ui()); });
  main.bind("mnuSMSExportCsvClick", [&s, &app] { ExportMessages(s, app, MessageFormat::Csv); });
  main.bind("mnuSMSExportMboxClick", [&s, &app] { ExportMessages(s, app, MessageFormat::Mbox); });
}

}  // namespace quorvex
