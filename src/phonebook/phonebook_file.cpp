#include "phonebook/phonebook_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "codec/atomic_file.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/field_cutter.h"
#include "codec/ru.h"

namespace quorvex::phonebook {

using text::IntToStr;

namespace {

// File fields may be written in hex with "$", as the strict conversion reads them.
std::int32_t NextInt(FieldCutter& c) {
  return text::StrToInt(c.take(';'));
}
std::uint8_t NextByte(FieldCutter& c) {
  return static_cast<std::uint8_t>(NextInt(c));
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::string FormatPhoneLine(const TAbonentInfo& r, std::int32_t phoneFirst) {
  const std::int64_t fileNumber = static_cast<std::int64_t>(r.Index) + phoneFirst - 1;
  return "PHONE;" + IntToStr(fileNumber) + ";" + r.Name + ";" + r.Number + ";" +
         IntToStr(r.NumberType) + ";" + IntToStr(r.Attr6) + ";" + IntToStr(r.AlertId) + ";" +
         IntToStr(r.Attr8) + ";" + IntToStr(r.Attr9) + ";" + IntToStr(r.Category) + ";" +
         IntToStr(r.IconId) + ";" + IntToStr(r.Attr12) + ";" + IntToStr(r.Attr13);
}

std::string FormatSimLine(const TAbonentInfo& r, std::int32_t simFirst) {
  const std::int64_t fileNumber = static_cast<std::int64_t>(r.Index) - simFirst + 1;
  return "SIM;" + IntToStr(fileNumber) + ";" + r.Name + ";" + r.Number;
}

std::string FormatPhoneBookFile(const std::vector<TAbonentInfo>& records, std::int32_t phoneFirst,
                                std::int32_t simFirst) {
  std::string out;
  for (const TAbonentInfo& r : records) {
    if (IsFree(r) || r.Index == 0) continue;
    out += r.OnSim != 0 ? FormatSimLine(r, simFirst) : FormatPhoneLine(r, phoneFirst);
    out += "\r\n";
  }
  return out;
}

FileEntry ParseFileLine(std::string_view line, std::int32_t phoneLast, Family family) {
  FieldCutter c(line);
  const std::string_view kind = c.take(';');
  const std::int32_t n = NextInt(c);
  FileEntry e;
  TAbonentInfo& r = e.record;
  if (kind == "PHONE") {
    e.slot = static_cast<std::int64_t>(n) - 1;
    r.OnSim = 0;
    r.Index = n;
    // Ten fields follow the name. A line with more holds a name with ";" in it, which the
    // file cannot quote: the name runs up to the tenth ";" from the end, rather than the
    // fields shifting until the last one fails to convert and the whole load ends.
    const std::string_view rest = c.rest();
    if (std::count(rest.begin(), rest.end(), ';') > 10) {
      std::size_t at = rest.size();
      for (int k = 0; k < 10; ++k) at = rest.rfind(';', at - 1);
      r.Name = std::string(rest.substr(0, at));
      c = FieldCutter(rest.substr(at + 1));
    } else {
      r.Name = std::string(c.take(';'));
    }
    r.Number = std::string(c.take(';'));
    r.NumberType = NextByte(c);
    r.Attr6 = NextByte(c);
    r.AlertId = NextInt(c);
    r.Attr8 = NextByte(c);
    r.Attr9 = NextByte(c);
    r.Category = NextByte(c);
    r.IconId = NextInt(c);
    r.Attr12 = NextByte(c);
    r.Attr13 = static_cast<std::uint8_t>(text::StrToInt(text::Trim(c.rest())));
  } else {
    const std::int64_t index = static_cast<std::int64_t>(phoneLast) + n;
    e.slot = index - 1;
    r.OnSim = 1;
    r.Index = static_cast<std::int32_t>(index);
    r.Name = std::string(c.take(';'));
    r.Number = std::string(c.rest());
    r.NumberType = HasGroups(family) ? 8 : 7;
    r.AlertId = 255;
    r.Attr12 = 255;
  }
  r.NumberFormat = NumberFormatFor(r.Number, r.NumberType);
  return e;
}

std::vector<std::string_view> SplitFileLines(std::string_view content) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  do {
    const std::size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back(content.substr(pos));
      break;
    }
    lines.push_back(content.substr(pos, end - pos));
    pos = end +
          (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n' ? 2 : 1);
  } while (pos < content.size());
  return lines;
}

std::string FileTooLargeMessage(std::uintmax_t bytes) {
  return Ru("Файл слишком велик для телефонной книги: ") +
         IntToStr(static_cast<std::int64_t>(bytes)) +
         Ru(" байт. Телефон хранит не больше нескольких тысяч записей; файл не загружен.");
}

std::string ReadTextFile(const std::string& path, std::size_t maxBytes) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) throw MakeInOutError(errno);
  std::string content;
  struct stat st {};
  if (::fstat(::fileno(f.get()), &st) == 0 && S_ISREG(st.st_mode)) {
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes)
      throw EInOutError(FileTooLargeMessage(static_cast<std::uintmax_t>(st.st_size)), EFBIG);
    content.reserve(static_cast<std::size_t>(st.st_size));
  }
  char buffer[65536];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f.get());
    // A file that grows while it is read, or a device that never ends, stops at the limit.
    if (n > maxBytes - content.size())
      throw EInOutError(FileTooLargeMessage(content.size() + n), EFBIG);
    content.append(buffer, n);
    if (n < sizeof buffer) {
      if (std::ferror(f.get())) throw MakeInOutError(errno ? errno : EIO);
      break;
    }
  }
  return content;
}

void WriteTextFile(const std::string& path, std::string_view content) {
  WriteFileAtomically(path, content, {.uniqueTemporary = false});
}

}  // namespace quorvex::phonebook
