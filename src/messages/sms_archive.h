// sms_archive.txt: every incoming message the handset has shown, one record per line,
// number ";" date/time ";" text, code page 1251, CR LF. The date/time text is the key.
// Records are only ever appended.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

inline constexpr const char* kArchiveFile = "sms_archive.txt";

struct ArchiveRecord {
  std::string number;
  std::string dateTime;
  std::string text;
  bool operator==(const ArchiveRecord&) const = default;
};

// Splits a line at its first ";" and the next ";" after it; the rest is the text. A line
// without a ";" is all text.
ArchiveRecord SplitArchiveLine(std::string_view line);
std::string FormatArchiveRecord(const ArchiveRecord& record);

// The lines of the archive, without their line ends (LF, or CR LF). An existing empty file
// reads as one empty line; a missing file as no lines, so a fresh installation reads its
// messages and the first append creates the file. Any other failure raises EInOutError.
std::vector<std::string> ReadArchiveLines(const std::string& path);
std::vector<ArchiveRecord> ReadArchive(const std::string& path);

// Appends the records in one write to the end of the file, creating it when missing. A
// last line without its line end is closed first, so the new record never joins it. A
// failed or short write is undone to the earlier length and raises EInOutError: the
// records already there stay as they were.
void AppendArchive(const std::string& path, const std::vector<ArchiveRecord>& records);

}  // namespace quorvex
