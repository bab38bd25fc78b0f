// The rows of the message list lvSMS: caption = the handset's storage index, sub items
// number, date/time, kind, size, status, text; and the fixed texts and images they use.
#pragma once

#include <string>

#include "core/list_model.h"
#include "messages/sms_archive.h"

namespace quorvex::sms {

// Images of the shared type-icon list.
inline constexpr int kImageInboxFolder = 26, kImageInboxFolderSelected = 27;
inline constexpr int kImageOutboxFolder = 28, kImageOutboxFolderSelected = 29;
inline constexpr int kImageDraft = 30, kImageArchiveFolder = 31, kImagePhone = 32;
inline constexpr int kImageOutgoing = 33, kImageRead = 34, kImageUnread = 35, kImageIncoming = 36,
                     kImageSent = 37, kImageUnsent = 38;

// Sub item positions.
enum SubItem { kNumber = 0, kDateTime = 1, kKind = 2, kSize = 3, kStatus = 4, kText = 5 };

// The folder filters ReadMessageFolder takes: the handset's status words with quotes.
inline constexpr const char* kFilterIncoming = "\"REC READ\",\"REC UNREAD\"";
inline constexpr const char* kFilterUnsent = "\"STO UNSENT\"";
inline constexpr const char* kFilterSent = "\"STO SENT\"";
inline constexpr const char* kFilterDrafts = "\"NULL\"";

inline constexpr const char* kNoDateTime = "-------------";

// Kind and status texts (code page 1251).
std::string KindIncoming();    // "входящее"
std::string KindOutgoing();    // "исходящее"
std::string KindDraft();       // "черновик"
std::string KindArchive();     // "архив"
std::string StatusRead();      // "прочитано"
std::string StatusUnread();    // "не прочитано"
std::string StatusSent();      // "отправлено"
std::string StatusUnsent();    // "не отправлено"
std::string StatusArchived();  // "сохранено"

// The seven columns of lvSMS.
ListModel MakeMessageList();

// Adds a sub item to a row; an unread status makes the row bold.
void AddSubItem(ListRow& row, std::string text, int image = kNoImage);
// Sets a row's status cell and the bold style that follows from it.
void SetStatus(ListRow& row, std::string text, int image);

// An archive record as a row: no caption, no icons.
void AddArchiveRow(ListModel& list, const ArchiveRecord& record);

}  // namespace quorvex::sms
