#include "backup/backup_operation.h"

#include <cstdio>

#include "backup/backup_file.h"
#include "codec/ru.h"
#include "core/held_boxes.h"
#include "phonebook/phonebook_section.h"

namespace quorvex {

std::string DefaultBackupName(const std::string& model, const LocalTime& now) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year % 10000, now.month % 100,
                now.day % 100);
  std::string name = "quorvex-";
  for (const char c : model) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_';
    name += plain ? c : '_';
  }
  if (!model.empty()) name += "-";
  return name + date + ".zip";
}

std::optional<PhoneBackup> BackupPhoneToFile(AppState& app, WholePhoneSections sections,
                                             const std::string& path, WholeReadProgress& progress) {
  PhoneBackup backup;
  std::string said;  // what the part that ended the read said of it
  {
    HeldBoxes held(app);
    backup = ReadWholePhone(app, sections, progress);
    if (!progress.complete) said = held.take();
  }
  if (!progress.complete) {
    const auto after = [&](const std::string& notWritten) { return OneBoxText(said, notWritten); };
    if (progress.stopped) {
      app.ui().messageBox(after(Ru("Резервная копия не записана.")), MsgKind::Information,
                          MsgButtons::Ok);
      return std::nullopt;
    }
    // Not the user's choice but a failure: a script must not take it for a backup made.
    const bool book =
        progress.endedAt == BackupPart::PhoneBook || progress.endedAt == BackupPart::DateBook;
    app.ui().showStandardError(
        after(Ru("Резервная копия не записана: не прочитан ") +
              (book ? BackupPartName(progress.endedAt)
                    : Ru("раздел «") + BackupPartName(progress.endedAt) + Ru("»")) +
              "."));
    return std::nullopt;
  }
  const phonebook::PhoneBookSection& book = sections.phoneBook;
  WriteBackupFile(path, backup, {book.GroupNames, book.PhoneFirst, book.SimFirst});
  return backup;
}

std::string BackupSummary(const PhoneBackup& backup) {
  const std::vector<BackupCount> c = BackupCounts(backup);
  const auto n = [&](std::size_t k) { return std::to_string(c[k].count); };
  std::string out = Ru("Справочник: ") + std::to_string(c[0].count + c[1].count) +
                    Ru(" (телефон ") + n(0) + ", SIM " + n(1) + ")";
  static constexpr const char* kLabels[] = {
      "Ежедневник: ", "Входящие: ", "Исходящие: ", "Отправленные: ", "Черновики: "};
  for (std::size_t k = 2; k < c.size(); ++k) out += "\r\n" + Ru(kLabels[k - 2]) + n(k);
  return out;
}

}  // namespace quorvex
