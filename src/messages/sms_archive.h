// sms_archive.txt: every incoming message the handset has shown, one record per line,
// number ";" date/time ";" text, code page 1251, CR LF. The date/time text is the key.
// Records are only ever appended.
#pragma once

#include <cstddef>
#include <cstdint>
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

// A text as one line of a line-based file: each line break (CR LF, a lone CR or LF) becomes
// a blank, and every other control character but TAB is dropped.
std::string SingleLine(std::string_view text);

// Splits a line at its first ";" and the next ";" after it; the rest is the text. A line
// without a ";" is all text.
ArchiveRecord SplitArchiveLine(std::string_view line);
// The record's line with its CR LF; each field is made a SingleLine, so a message text with
// line breaks stays one record.
std::string FormatArchiveRecord(const ArchiveRecord& record);

// The lines of the archive, without their line ends (LF, or CR LF). An existing empty file
// reads as one empty line; a missing file as no lines, so a fresh installation reads its
// messages and the first append creates the file. Any other failure raises EInOutError.
std::vector<std::string> ReadArchiveLines(const std::string& path);
std::vector<ArchiveRecord> ReadArchive(const std::string& path);

// The archive as a folder read finds it before it opens the port: read through once, so a
// file that cannot be read fails there, and its length noted, so that the check of the new
// messages afterwards takes only the records that were there. Nothing of the records is
// kept: an archive grows without end. Fails as ReadArchiveLines.
struct ArchiveMark {
  std::string path;
  std::int64_t length = -1;  // -1: no file
};
ArchiveMark MarkArchive(const std::string& path);

// For each date/time text, whether a record within the mark has it (the key of a record).
// Reads the file again; fails as ReadArchiveLines.
std::vector<bool> KnownDateTimes(const ArchiveMark& mark,
                                 const std::vector<std::string>& dateTimes);

// The last maxLines lines that are not empty, and how many such lines came before them.
// Fails as ReadArchiveLines.
struct ArchiveTail {
  std::vector<std::string> lines;
  std::size_t leftOut = 0;
};
ArchiveTail ReadArchiveTail(const std::string& path, std::size_t maxLines);

// The archive view shows no more than this many records, the newest: more than any user's
// years of messages, few enough to list.
inline constexpr std::size_t kMaxArchiveRows = 100000;

// Appends the records in one write to the end of the file, creating it when missing. A
// last line without its line end is closed first, so the new record never joins it. A
// failed or short write is undone to the earlier length and raises EInOutError: the
// records already there stay as they were.
void AppendArchive(const std::string& path, const std::vector<ArchiveRecord>& records);

}  // namespace quorvex
