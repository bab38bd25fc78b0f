// The phone book file: code page 1251 text, one ";"-separated line per entry, CR LF line
// ends, no header. A phone memory line has 13 fields, a SIM line 4:
//
//   PHONE;file number;name;number;type;attr6;alert;attr8;attr9;category;icon;attr12;attr13
//   SIM;position in the SIM;name;number
//
// Names and numbers are written as they are (no quoting). A phone memory line reads its
// name up to the tenth ";" from the end, so a ";" in a name survives; a SIM line's number is
// the rest of its line, so there a ";" in the name shifts into the number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/records.h"

namespace quorvex::phonebook {

inline constexpr const char* kSaveFilter =
    "All files (*.*)|*.*|Text File (*.txt)|*.txt|CSV File (*.csv)|*.csv";
inline constexpr const char* kOpenFilter =
    "All files (*.*)|*.*|Text file (*.txt)|*.txt|CSV file (*.csv)|*.csv";
inline constexpr const char* kDefaultExt = "*.csv";

std::string FormatPhoneLine(const TAbonentInfo& record, std::int32_t phoneFirst);
std::string FormatSimLine(const TAbonentInfo& record, std::int32_t simFirst);

// The lines of every slot that holds an entry, in slot order, each ended by CR LF: free
// slots and slots that describe no index (index 0, never read) are left out.
std::string FormatPhoneBookFile(const std::vector<TAbonentInfo>& records, std::int32_t phoneFirst,
                                std::int32_t simFirst);

// One line read back: the slot of Records it fills (which may lie outside the table) and
// the record. Raises EConvertError on a number field that does not convert.
struct FileEntry {
  std::int64_t slot = 0;
  TAbonentInfo record;
};
FileEntry ParseFileLine(std::string_view line, std::int32_t phoneLast, Family family);

// The lines of a file as its reading takes them: up to each line end (CR LF, LF or CR); the
// first line even when the file is empty, no empty line after a final line end.
std::vector<std::string_view> SplitFileLines(std::string_view content);

// The largest phone book file a load reads. A handset holds a few thousand entries of a
// line each, well under a megabyte; a file many times that is no phone book.
inline constexpr std::size_t kMaxPhoneBookFileBytes = 16u << 20;

// The message for a file refused for its size.
std::string FileTooLargeMessage(std::uintmax_t bytes);

// Whole-file reading and writing; a failure raises EInOutError. A file longer than
// maxBytes raises it too, with FileTooLargeMessage, before more than maxBytes are read.
// Writing goes to a temporary file beside the target first, so a failure never leaves a
// half-written file in its place.
std::string ReadTextFile(const std::string& path, std::size_t maxBytes = SIZE_MAX);
void WriteTextFile(const std::string& path, std::string_view content);

}  // namespace quorvex::phonebook
