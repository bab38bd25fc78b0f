// The backup file: one zip archive that holds the whole handset for Quorvex and, beside it,
// the same data in the forms other programs open without Quorvex:
//
//   manifest.txt    what Quorvex reads back (ReadBackupFile reads nothing else)
//   contacts.vcf    the phone book as its vCard 3.0 export writes it
//   phonebook.csv   the phone book as "Сохранить телефонную книгу" writes it, for the models
//                   whose entries that file can hold (the Classic family); absent otherwise
//   calendar.ics    the date book as its iCalendar export writes it
//   inbox.mbox, outbox.mbox, sent.mbox, drafts.mbox
//                   each message folder as the message export writes it (an empty folder
//                   gives an empty file)
//
// manifest.txt is code page 1251 text, LF-ended lines, fields separated by TAB:
//
//   QVBACKUP  VERSION                     first line; this program writes and reads 1
//   model     MODEL                       as the handset named itself
//   imei      IMEI                        empty when the program did not know it
//   time      YYYY-MM-DD HH:MM:SS         local time of the read
//   count     SECTION  PART  N            one line per part, in read order: phonebook ME,
//                                         phonebook SM, datebook -, messages inbox,
//                                         messages outbox, messages sent, messages drafts
//   QVBIN1 ...                            one record per line in the bin's line format
//                                         (core/bin_file.h), ids 1, 2, 3... in order
//                                         (given by the write, whatever the records held)
//   end       N  CHECK                    N records; CHECK the FNV-1a hash of every byte
//                                         before this line, eight lower-case hex digits
//
// MODEL and IMEI escape "\\", "\t", "\n", "\r" and other control characters as the bin's
// fields do. Reading refuses the whole file on any fault (a line out of place, a record line
// whose own check fails, counts that do not add up, a missing or wrong end line): a backup
// that is partly readable would restore a part of the handset as if it were all of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backup/phone_backup.h"

namespace quorvex {

inline constexpr int kBackupFormatVersion = 1;
inline constexpr const char* kManifestMember = "manifest.txt";

// The largest backup file a read takes, and the largest member inside it. A handset's data
// is well under a megabyte; anything many times that is no backup of one.
inline constexpr std::size_t kMaxBackupBytes = 64u << 20;

// What the archive's phone book files need beside the records: the names of the caller
// groups (a vCard's CATEGORIES) and where each memory's indices begin (the phone book file's
// numbering). The phone book section holds them after its read; without them the vCards
// carry no CATEGORIES and the phone book file counts from index 1 and from the first SIM
// entry's index.
struct BackupPhoneBookLayout {
  std::vector<std::string> groupNames;  // cp1251; group n is groupNames[n - 1]
  std::int32_t phoneFirst = 0;
  std::int32_t simFirst = 0;
};

// The manifest's text, and the backup it holds. ParseManifest raises EInOutError with a
// Russian message ("... повреждена: ...", "... не является резервной копией ...", "...
// более новой версией ...") naming `name` (the file's path, for the message).
std::string FormatManifest(const PhoneBackup& backup);
PhoneBackup ParseManifest(std::string_view text, const std::string& name);

// The manifest's count lines: how many records of each part a backup holds, in read order
// (phonebook ME, phonebook SM, datebook -, messages inbox, outbox, sent, drafts).
struct BackupCount {
  std::string section;
  std::string part;
  std::int64_t count = 0;
};
std::vector<BackupCount> BackupCounts(const PhoneBackup& backup);

// The member names of a backup's archive and their bytes, in the archive's order.
struct BackupMember {
  std::string name;
  std::string bytes;
};
std::vector<BackupMember> BackupMembers(const PhoneBackup& backup,
                                        const BackupPhoneBookLayout& layout);

// The zip archive of the members, each deflated and stamped with `time` (the backup's
// "YYYY-MM-DD HH:MM:SS"; the time of the write when it is none). Raises EInOutError.
std::string ZipBackupMembers(const std::vector<BackupMember>& members, const std::string& time);

// Writes the archive to path: refused (EInOutError) for a backup whose manifest would not
// read back, such as one with a record of no part above; built whole in memory, written to a
// temporary file in the same folder, synced, and renamed over path. On any failure no file is left
// (neither the temporary one nor a part of path; an earlier file at path stays as it was) and
// EInOutError says why. The archive's entries carry the backup's time.
void WriteBackupFile(const std::string& path, const PhoneBackup& backup,
                     const BackupPhoneBookLayout& layout = {});

// Every member of the archive at path with its bytes, each read to its end and its CRC
// checked. Raises EInOutError as ReadBackupFile does for a file that is no zip archive or a
// damaged one; does not look at the manifest.
std::vector<BackupMember> ReadBackupMembers(const std::string& path);

// Reads the backup back from its manifest, after every member's bytes were read and their
// CRC checked. Raises EInOutError with a Russian message for a missing or unreadable file,
// one that is no zip archive or no backup of this program, one that is damaged (a member's
// CRC, a truncated archive, a bad manifest), and one written by a newer format version.
PhoneBackup ReadBackupFile(const std::string& path);

}  // namespace quorvex
