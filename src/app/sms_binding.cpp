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

SmsBinding::SmsBinding(TfrmMain& main) : main_(main), section_(main.messages) {
  // The section's long reads enter the window's busy state; the window shows each step.
  section_.SetControlsEnabled = [this](bool enabled) {
    feed();
    main_.SetControlsEnabled(enabled);
  };
  section_.runDialog = [this](sms::TfrmSaveSMS& form) {
    SaveSmsModal modal(form);
    modal.begin();
    feed();
    ShowModal(main_.ui(), modal);
  };

  AppState& app = main_.app;
  // The section button keeps the window's part (panel, menus, expanded tree) and adds the
  // section's own: "Прочитать" disabled until a folder is clicked.
  on("sbSMSClick", [this] {
    main_.sbSMSClick();
    section_.ShowSection();
  });
  on("tvSMSClick", [this, &app] { section_.tvSMSClick(app); });
  on("pmSMSReadClick", [this, &app] { section_.pmSMSReadClick(app); });
  on("tvSMSKeyDown", [this, &app] { section_.tvSMSKeyDown(app, sms::kKeyEnter); });
  on("lvSMSClick", [this] { section_.lvSMSClick(); });
  on("SpeedButton12Click", [this] { section_.SpeedButton12Click(); });
  on("pmSMSClearClick", [this] { section_.pmSMSClearClick(); });
  on("pmSMSPopup", [this] { section_.pmSMSPopup(); });
  // Recipients come from the phone book list as the window shows it.
  on("sbSMSNewClick", [this, &app] { section_.sbSMSNewClick(app, main_.ListView1); });
  on("mnuSendSMSClick", [this, &app] { section_.mnuSendSMSClick(app, main_.ListView1); });
  on("pmSendSMSClick", [this, &app] { section_.pmSendSMSClick(app); });
  on("sbDeleteSMSClick", [this, &app] { section_.sbDeleteSMSClick(app); });
  on("sbSMSDeleteAllClick", [this, &app] { section_.sbSMSDeleteAllClick(app); });
  on("pmMarkasReadClick", [this, &app] { section_.pmMarkasReadClick(app); });
  on("sbSMSSaveClick", [this] { section_.sbSMSSaveClick(main_.ui()); });
  on("mnuSMSExportCsvClick", [this, &app] { ExportMessages(section_, app, MessageFormat::Csv); });
  on("mnuSMSExportMboxClick", [this, &app] { ExportMessages(section_, app, MessageFormat::Mbox); });
  feed();
}

void SmsBinding::on(const std::string& handler, std::function<void()> fn) {
  main_.bind(handler, [this, fn = std::move(fn)] {
    // Whatever the handler got to before an exception left it is shown as well.
    struct FeedOnExit {
      SmsBinding& b;
      ~FeedOnExit() { b.feed(); }
    } fed{*this};
    fn();
  });
}

void SmsBinding::feed() {
  const std::pair<const char*, const Label*> items[] = {{"pmSMSRead", &section_.pmSMSRead},
                                                        {"pmSMSDelete", &section_.pmSMSDelete},
                                                        {"pmSMSNew", &section_.pmSMSNew},
                                                        {"pmSMSSave", &section_.pmSMSSave},
                                                        {"pmSendSMS", &section_.pmSendSMS},
                                                        {"pmSMSClear", &section_.pmSMSClear},
                                                        {"pmMarkasRead", &section_.pmMarkasRead},
                                                        {"N18", &section_.N18},
                                                        {"N19", &section_.N19},
                                                        {"N20", &section_.N20},
                                                        {"N22", &section_.N22}};
  for (const auto& [name, item] : items) main_.menuItem(name).enabled = item->enabled;
}

}  // namespace quorvex
