#include "app/file_menu.h"

#include "backup/backup_operation.h"
#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "datebook/ical_export.h"

namespace quorvex {

using text::IntToStr;

namespace {

// The box after a file was written: what, the file, the count and what was left out.
void Written(UserInterface& ui, const std::string& what, const ExportResult& r,
             const std::string& count, const std::string& leftOut = {}) {
  if (r.outcome != ExportResult::Outcome::Written) return;
  ui.messageBox(what + "\r\n" + r.path + "\r\n" + count + IntToStr(r.count) + leftOut,
                MsgKind::Information, MsgButtons::Ok);
}

}  // namespace

void ExportPhoneBookVCard(phonebook::PhoneBookSection& section, AppState& app,
                          phonebook::VCardVersion version) {
  Written(app.ui(), Ru("Справочник записан в файл:"),
          phonebook::ExportVCardClick(section, app, version), Ru("Записей: "));
}

void ExportDateBookICal(datebook::DateBookSection& section, AppState& app) {
  const ExportResult r = datebook::ExportICal(section, app.ui());
  const std::string skipped =
      r.leftOut.empty() ? ""
                        : Ru("\r\nБез даты или времени начала, не записаны: ") + LeftOutList(r);
  Written(app.ui(), Ru("Ежедневник записан в файл:"), r, Ru("Событий: "), skipped);
}

void ExportMessages(sms::SmsSection& section, AppState& app, MessageFormat format) {
  Written(app.ui(), Ru("Сообщения записаны в файл:"),
          sms::ExportMessages(section, app.ui(), format), Ru("Сообщений: "));
}

void BackupWholePhone(AppState& app, WholePhoneSections sections, WholeReadProgress& progress,
                      const ChooseNamedFile& choose) {
  UserInterface& ui = app.ui();
  const std::string proposed = DefaultBackupName(app.handset.model, ui.now());
  const std::optional<std::string> path =
      choose ? choose(proposed) : ui.chooseSaveFile(kBackupFilter, kBackupExt);
  if (!path) return;
  const std::optional<PhoneBackup> written = BackupPhoneToFile(app, sections, *path, progress);
  if (!written) return;
  ui.messageBox(Ru("Резервная копия телефона записана в файл:") + "\r\n" + *path + "\r\n" +
                    BackupSummary(*written),
                MsgKind::Information, MsgButtons::Ok);
}

}  // namespace quorvex
