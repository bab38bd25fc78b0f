// "Резервная копия телефона": the whole handset read (whole_phone_read.h) and written to one
// backup file (backup_file.h), the same operation for the window and the CLI. Each front end
// asks for the file first and tells the counts in its own way afterwards.
#pragma once

#include <optional>
#include <string>

#include "backup/phone_backup.h"
#include "backup/whole_phone_read.h"

namespace quorvex {

// "quorvex-<model>-<YYYY-MM-DD>.zip" for the save dialog; characters a file name should not
// hold become "_", and a model the program does not know yet gives "quorvex-<date>.zip".
std::string DefaultBackupName(const std::string& model, const LocalTime& now);

// Reads the handset and writes the backup to path. A read that did not go through writes no
// file and shows one box in place of those of the parts: after a stop, how far the read got
// and "Резервная копия не записана."; after a part whose read failed, the standard error box
// with what that part said and the part's name. nullopt then. File errors escape as
// EInOutError, with no file left behind.
std::optional<PhoneBackup> BackupPhoneToFile(AppState& app, WholePhoneSections sections,
                                             const std::string& path, WholeReadProgress& progress);

// The counts of a backup for a person, one line per part, CR LF between lines (cp1251):
//   Справочник: 13 (телефон 10, SIM 3)
//   Ежедневник: 6
//   Входящие: 4 / Исходящие: 1 / Отправленные: 2 / Черновики: 2 (a line each)
std::string BackupSummary(const PhoneBackup& backup);

}  // namespace quorvex
