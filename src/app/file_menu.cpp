#include "app/file_menu.h"

#include <ctime>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "datebook/ical_export.h"
#include "messages/sms_export.h"

namespace quorvex {

using text::IntToStr;

namespace {

// The seam as it stands, except that it remembers the file a save dialog answered: the
// vCard export returns the same way when the dialog was cancelled and when it wrote.
class SaveChoiceWatch final : public UserInterface {
 public:
  explicit SaveChoiceWatch(UserInterface& inner) : inner_(inner) {}
  std::optional<std::string> chosen;

  MsgResult messageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    return inner_.messageBox(text, kind, buttons);
  }
  void showStandardError(const std::string& message) override { inner_.showStandardError(message); }
  std::optional<std::string> chooseOpenFile(const std::string& filter) override {
    return inner_.chooseOpenFile(filter);
  }
  std::optional<std::string> chooseSaveFile(const std::string& filter,
                                            const std::string& defaultExt) override {
    chosen = inner_.chooseSaveFile(filter, defaultExt);
    return chosen;
  }
  void processEvents(bool paintOnly) override { inner_.processEvents(paintOnly); }
  void pause(int milliseconds) override { inner_.pause(milliseconds); }
  LocalTime now() override { return inner_.now(); }
  void setBusyCursor(bool busy) override { inner_.setBusyCursor(busy); }
  void openUrl(const std::string& url) override { inner_.openUrl(url); }
  void showModal(ModalDialog& dialog) override { inner_.showModal(dialog); }

 private:
  UserInterface& inner_;
};

void Written(UserInterface& ui, const std::string& what, const std::string& path,
             const std::string& count) {
  ui.messageBox(what + Ru(" записан в файл:\r\n") + path + "\r\n" + count, MsgKind::Information,
                MsgButtons::Ok);
}

void NothingToSave(UserInterface& ui) {
  ui.messageBox(Ru("Список пуст, сохранять нечего !"), MsgKind::Information, MsgButtons::Ok);
}

}  // namespace

std::time_t LocalTimeToTime(const LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

void ExportPhoneBookVCard(phonebook::PhoneBookSection& section, AppState& app,
                          phonebook::VCardVersion version) {
  SaveChoiceWatch watch(app.ui());
  // The export reads only the settings in memory, which go along as they stand.
  AppState watched(watch, app.settingsPath());
  watched.settings() = app.settings();
  phonebook::ExportVCardClick(section, watched, version);
  if (!watch.chosen) return;
  std::int64_t cards = 0;
  for (const phonebook::TAbonentInfo& r : section.Records)
    if (r.Index != 0 && !phonebook::IsFree(r)) ++cards;
  Written(app.ui(), Ru("Справочник"), *watch.chosen, Ru("Записей: ") + IntToStr(cards));
}

void ExportDateBookICal(datebook::DateBookSection& section, AppState& app) {
  UserInterface& ui = app.ui();
  if (section.Events.empty()) {
    NothingToSave(ui);
    return;
  }
  const std::optional<std::string> path = ui.chooseSaveFile(kICalFilter, kICalExt);
  if (!path) return;
  const std::vector<std::int64_t> skipped =
      datebook::WriteCalendarFile(*path, section.Events, LocalTimeToTime(ui.now()));
  std::string count =
      Ru("Событий: ") + IntToStr(static_cast<std::int64_t>(section.Events.size() - skipped.size()));
  if (!skipped.empty()) {
    count += Ru("\r\nБез даты или времени начала, не записаны: ");
    for (std::size_t i = 0; i < skipped.size(); ++i)
      count += (i ? ", " : "") + IntToStr(skipped[i]);
  }
  Written(ui, Ru("Ежедневник"), *path, count);
}

void ExportMessages(sms::SmsSection& section, AppState& app, MessageFormat format) {
  UserInterface& ui = app.ui();
  const std::vector<ListRow>& rows = section.lvSMS.rows;
  if (rows.empty()) {
    NothingToSave(ui);
    return;
  }
  const bool csv = format == MessageFormat::Csv;
  const std::optional<std::string> path =
      csv ? ui.chooseSaveFile(kCsvFilter, kCsvExt) : ui.chooseSaveFile(kMboxFilter, kMboxExt);
  if (!path) return;
  std::string folder;
  const int node = section.tvSMSSelected;
  if (node >= 0 && static_cast<std::size_t>(node) < section.tvSMS.size())
    folder = section.tvSMS[static_cast<std::size_t>(node)].baseCaption;
  if (csv)
    sms::WriteMessagesCsv(*path, folder, rows);
  else
    sms::WriteMessagesMbox(*path, folder, rows, LocalTimeToTime(ui.now()));
  ui.messageBox(Ru("Сообщения записаны в файл:\r\n") + *path + "\r\n" + Ru("Сообщений: ") +
                    IntToStr(static_cast<std::int64_t>(rows.size())),
                MsgKind::Information, MsgButtons::Ok);
}

}  // namespace quorvex
