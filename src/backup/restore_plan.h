// What restoring a backup would change on a handset that has just been read: the backup and
// the handset compared entry by entry, one row per entry, each with its state and what the
// write will do with it.
//
// How entries are matched, section by section (the same memory or folder throughout):
//   phone book  an entry of the backup equal in content to an entry of the handset is "the
//               same", whatever their indices (an equal entry at the same index is taken
//               first, so duplicates pair up index by index). Content is what the handset
//               keeps of the entry once written: the whole entry line without its index in
//               the phone memory, number, format and name on the SIM. An entry matched by
//               nothing whose index holds an entry matched by nothing is "changed"; else it
//               is "missing".
//   date book   the same by content (title, flags, start, duration, alarm, repeat); "changed"
//               for a different event at the same index, else for one with the same title and
//               start anywhere; else "missing".
//   messages    the same folder, number, time stamp and text (the status does not count: a
//               message read since is the same message); "missing" otherwise.
// Entries of the handset matched by nothing are "only on the handset".
//
// Everything is compared as the handset the backup goes to would hold it (the backup's entry
// cut to what that handset keeps), so a second restore of the same backup finds everything
// the same and writes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/phone_backup.h"
#include "core/list_model.h"
#include "datebook/date_book_section.h"
#include "phonebook/records.h"

namespace quorvex::backup {

// What the handset a backup goes to can hold, as its read found it.
struct HandsetShape {
  std::string model;
  std::int32_t phoneFirst = 0, phoneLast = 0, simFirst = 0, simLast = 0;  // 0..0: no memory
  std::size_t groupCount = 0;                                             // caller group slots
  std::int64_t dateBookHighest = -1;  // events at 0..highest; -1: no date book read
  phonebook::Family family() const { return phonebook::FamilyOf(model); }
};

// The longest phone book name and date book title the handsets of these families keep.
inline constexpr std::size_t kMaxNameChars = 24;
inline constexpr std::size_t kMaxTitleChars = 64;

enum class EntryState { Same, Changed, Missing, OnlyOnHandset };
enum class RestoreAction {
  None,       // nothing to do (the same), or nothing that can be done (see the notes)
  Write,      // a missing entry goes to the handset
  Overwrite,  // a changed entry replaces the handset's, which goes to the bin first
  Erase,      // an entry only on the handset is erased, to the bin first
};

struct RestoreRow {
  std::string section;      // kBinPhoneBook, kBinDateBook, kBinMessages
  std::string memory;       // "ME"/"SM", "IM"/"OM"/"DM", empty for the date book
  std::int64_t index = -1;  // the backup's index; the handset's for an entry only there
  std::string caption;      // cp1251
  EntryState state = EntryState::Same;
  RestoreAction action = RestoreAction::None;
  bool choosable = false;
  bool chosen = false;             // starts as the default: missing and changed entries
  std::vector<std::string> notes;  // cp1251: what the handset cannot hold, or why not at all
  // The entry as it will be written (phone book and date book: cut to what the handset
  // holds), and the handset's entry it equals, overwrites or erases.
  std::optional<phonebook::TAbonentInfo> entry;
  std::optional<datebook::ReadEvent> event;
  std::optional<BinRecord> message;  // the backup's message record
  std::optional<BinRecord> onHandset;
};

class RestorePlan {
 public:
  RestorePlan() = default;
  // handset: what the read of the handset found, in the same record form as the backup.
  RestorePlan(const PhoneBackup& backup, const PhoneBackup& handset, const HandsetShape& shape);

  std::vector<RestoreRow>& rows() { return rows_; }
  const std::vector<RestoreRow>& rows() const { return rows_; }
  const HandsetShape& shape() const { return shape_; }
  const std::string& backupModel() const { return backupModel_; }

  // Ticks or unticks a row; a row that cannot be chosen stays unticked. False then.
  bool choose(std::size_t row, bool chosen);
  int count(EntryState state) const;
  int chosenCount() const;
  // One line: the backup's handset and time, and the counts (cp1251).
  std::string Summary() const;
  // "Раздел", "Память", "#", "Запись", "Состояние", "Действие" — the row's caption is the
  // section's name; the last column carries the notes after the action.
  ListModel PreviewList() const;

 private:
  void comparePhoneBook(const std::vector<BinRecord>& backup,
                        const std::vector<BinRecord>& handset);
  void compareDateBook(const std::vector<BinRecord>& backup, const std::vector<BinRecord>& handset);
  void compareMessages(const std::vector<BinRecord>& backup, const std::vector<BinRecord>& handset);

  std::vector<RestoreRow> rows_;
  HandsetShape shape_;
  std::string backupModel_, backupImei_, backupTime_;
};

// The state and action texts of the preview (cp1251).
std::string StateText(EntryState state);
std::string ActionText(const RestoreRow& row);

}  // namespace quorvex::backup
