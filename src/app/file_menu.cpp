#include "app/file_menu.h"

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

}  // namespace quorvex
