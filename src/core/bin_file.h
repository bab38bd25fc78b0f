// The bin ("Корзина"): what an operation is about to erase or overwrite on the handset, kept
// in a text file of the working folder beside sms_archive.txt so that it can be written
// back. The file knows nothing of the sections: a record carries who, when and where, two
// texts for a person, and the section's own fields in the handset's wire form.
//
// One record per line, LF-ended, code page 1251, fields separated by TAB:
//
//   QVBIN1 ID TIME SECTION OPERATION MEMORY INDEX MODEL IMEI CAPTION TEXT DATA... CHECK
//
// TIME is local "YYYY-MM-DD HH:MM:SS"; INDEX is -1 where none applies; MODEL and IMEI are
// empty where the program did not know them. Inside a field the backslash escapes "\\",
// "\t", "\n", "\r" and "\xHH" for the other control characters. CHECK is the FNV-1a hash of
// everything before its TAB, in eight lower-case hex digits, so that a torn or edited line is
// seen as damaged rather than written back wrong. Damaged and foreign lines are skipped and
// counted, never fatal.
//
// The file is only appended to (one write for all the records of an operation, synced before
// the operation goes on), except when it passes kMaxBinBytes: it is then rewritten through
// the atomic file helper without its oldest records, and when restored records leave it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_interface.h"

namespace quorvex {

inline constexpr const char* kBinFile = "recycle_bin.txt";

// 4 MiB: some ten thousand phone book entries or messages, far more than a handset holds, and
// still quick to read whole at every append. Passing it drops the oldest records until the
// file is down to three quarters of it, so that the rewrite is not repeated at every append.
inline constexpr std::size_t kMaxBinBytes = 4u << 20;

inline constexpr std::string_view kBinPhoneBook = "phonebook";
inline constexpr std::string_view kBinDateBook = "datebook";
inline constexpr std::string_view kBinMessages = "messages";

struct BinRecord {
  std::int64_t id = 0;  // given by the append: one more than the highest in the file
  std::string time;
  std::string section;
  std::string operation;
  std::string memory;
  std::int64_t index = -1;
  std::string model;
  std::string imei;
  std::string caption;
  std::string text;
  std::vector<std::string> data;  // the section's fields, as the handset sent them
  bool operator==(const BinRecord&) const = default;
};

// A field in the file's escaped form, and back (nullopt for a bad escape or a bare control
// character); a line cut at its TABs. The backup's manifest writes its own fields the same way.
std::string EscapeBinField(std::string_view field);
std::optional<std::string> UnescapeBinField(std::string_view field);
std::vector<std::string_view> SplitBinFields(std::string_view line);

// The record's line with its LF.
std::string FormatBinLine(const BinRecord& record);
// A line without its line end (a CR before it is taken off); nullopt for a damaged or foreign
// one.
std::optional<BinRecord> ParseBinLine(std::string_view line);

struct BinContents {
  std::vector<BinRecord> records;  // in file order, the oldest first
  std::size_t skipped = 0;         // lines that are not empty and no record
};
// A missing file reads as an empty bin; any other failure (a directory in its place, no
// permission) raises EInOutError.
BinContents ReadBin(const std::string& path);

// Appends the records, giving each its id (written back into them), in one write that is
// synced to the disk before this returns; creates the file when missing. A failed write is
// undone to the earlier length. Raises EInOutError; nothing is appended then.
void AppendToBin(const std::string& path, std::vector<BinRecord>& records,
                 std::size_t maxBytes = kMaxBinBytes);

// Rewrites the bin without the records of these ids (atomically, synced). Damaged lines stay
// as they were. Raises EInOutError.
void RemoveFromBin(const std::string& path, const std::vector<std::int64_t>& ids);

// "YYYY-MM-DD HH:MM:SS".
std::string BinTimeText(const LocalTime& time);

}  // namespace quorvex
