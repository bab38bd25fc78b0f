// Reading the whole handset into one PhoneBackup: the phone book (both memories, with the
// group names, as "Читать все" reads it), then the date book, then the message folders
// inbox, outbox, sent and drafts (the local archive is no part of the handset). Each part is
// the section's own read, run on the section the caller passes, so the wire carries exactly
// the commands of those reads in that order and the sections show what was read afterwards,
// as if the user had run each read in turn.
//
// The read is one long operation: the stop request ends it after the exchange in progress,
// inside a part (the part's read says how far it got) or between two parts. A part that did
// not read whole (stopped, refused by the handset, an error box of its own) ends the read
// there: what the result holds then is a part of the handset and must not be written as a
// backup. An exception of a part's read (the port, the link) escapes as it would from it.
#pragma once

#include <string>

#include "backup/phone_backup.h"
#include "core/app_state.h"
#include "core/controls.h"

namespace quorvex {

namespace phonebook {
class PhoneBookSection;
}
namespace datebook {
class DateBookSection;
}
namespace sms {
class SmsSection;
}

// The sections whose reads the whole read runs; it changes them as those reads do.
struct WholePhoneSections {
  phonebook::PhoneBookSection& phoneBook;
  datebook::DateBookSection& dateBook;
  sms::SmsSection& messages;
};

// The parts of the read, in their order. The message parts are the folders as their tree
// nodes name them.
enum class BackupPart { PhoneBook, DateBook, Inbox, Outbox, Sent, Drafts };
inline constexpr int kBackupParts = 6;
// The part's name in a sentence ("справочник", "входящие"), cp1251.
std::string BackupPartName(BackupPart part);

// What the read shows while it runs and how it ended. A front end mirrors `bar` (its figure
// counts the parts begun: "3 из 6") and `part` while the read pumps events.
struct WholeReadProgress {
  ProgressBar bar{0, kBackupParts, 0};
  std::string part;  // the part being read, cp1251; empty when no read runs
  // After the read: whether every part was read whole. When not, the part where it ended and
  // whether the stop request ended it (otherwise that part's read failed and said why).
  bool complete = false;
  bool stopped = false;
  BackupPart endedAt = BackupPart::PhoneBook;
};

// Reads the handset as described above. The result's model is the one the phone book read
// named, its IMEI the one the program knows (app.handset; nothing extra is asked on the
// wire, so it is empty when no information read came first), its time the seam's clock when
// the read began. Records: each phone book entry of both memories in index order
// (phonebook::EntryBinRecord), each event (EventBinRecord), each message folder by folder in
// list order (sms::MessageBinRecord); every record has operation "backup", the backup's
// time, model and IMEI, and ids 1, 2, 3... in this order. progress.complete tells whether the
// result is the whole handset.
PhoneBackup ReadWholePhone(AppState& app, WholePhoneSections sections, WholeReadProgress& progress);

}  // namespace quorvex
