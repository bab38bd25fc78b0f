// Every text the restore from a backup shows, in one place (cp1251).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex::backup::texts {

// "Раздел", "Память", "#", "Запись", "Состояние", "Действие".
std::vector<std::string> ColumnCaptions();
// The preview's words for sections, memories, states and actions.
std::string SectionName(const std::string& section);
std::string MemoryName(const std::string& memory);
std::string StateSame();
std::string StateChanged();
std::string StateMissing();
std::string StateOnlyOnHandset();
std::string ActionNone();
std::string ActionWrite();
std::string ActionOverwrite();
std::string ActionErase();
std::string ActionSkip();  // a chosen write left out by the user
std::string ActionKeep();  // an entry only on the handset that stays
std::string ActionCannot();

// What the handset the backup goes to cannot hold, or why an entry cannot go back.
std::string NoteIncoming();
std::string NoteDamaged();
std::string NoteNoMemory(const std::string& memory);
std::string NoteNoWriteForModel(const std::string& model);
std::string NoteNoGroup(int group);
std::string NoteNoGroups(int group);
std::string NoteNameCut(std::size_t chars);
std::string NoteTitleCut(std::size_t chars);
std::string NoteRepeat(const std::string& code);
std::string NoteNoDateBook();

std::string Summary(const std::string& model, const std::string& imei, const std::string& time,
                    int same, int changed, int missing, int onlyOnHandset, int chosen);
std::string OtherModel(const std::string& backupModel, const std::string& handsetModel);

// The dialog and the write.
std::string DialogCaption();
std::string WriteButton();
std::string CancelButton();
std::string Activity();
std::string NothingToWrite();
std::string WrittenAll(int done, int total);
std::string RefusedAt(int done, int total, const std::string& what);
std::string NoAccess(const std::string& section);
std::string NoRoom(const std::string& what);
std::string NothingWritten();
std::string NotReadWhole();
std::string BackupUnreadable(const std::string& why);
std::string AskWrite(const std::string& summary);

}  // namespace quorvex::backup::texts
