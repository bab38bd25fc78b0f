#include "serial/port_settings.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "codec/atomic_file.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/ru.h"

namespace quorvex {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// One text line: ends at CR LF, LF or a lone CR; at the end of the file an empty text.
std::string ReadTextLine(std::FILE* f) {
  std::string line;
  for (;;) {
    int c = std::getc(f);
    if (c == EOF) {
      if (std::ferror(f)) throw MakeInOutError(errno ? errno : EIO);
      return line;
    }
    if (c == '\n') return line;
    if (c == '\r') {
      int next = std::getc(f);
      if (next != '\n' && next != EOF) std::ungetc(next, f);
      return line;
    }
    line.push_back(static_cast<char>(c));
  }
}

// Passes over one text line without keeping it: the section line may be of any length, and
// its text is never needed.
void SkipTextLine(std::FILE* f) {
  for (;;) {
    int c = std::getc(f);
    if (c == EOF) {
      if (std::ferror(f)) throw MakeInOutError(errno ? errno : EIO);
      return;
    }
    if (c == '\n') return;
    if (c == '\r') {
      int next = std::getc(f);
      if (next != '\n' && next != EOF) std::ungetc(next, f);
      return;
    }
  }
}

std::string FieldFrom(const std::string& line, int firstChar) {
  std::string value = text::Copy(line, firstChar, static_cast<std::int64_t>(line.size()));
  int semicolon = text::Pos(";", value);
  if (semicolon > 0) value = text::Copy(value, 1, semicolon - 1);
  return text::Trim(value);
}

}  // namespace

void LoadPortSettings(PortSettings& settings, const std::string& path) {
  errno = 0;
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) throw MakeInOutError(errno);
  SkipTextLine(f.get());  // the section line is not looked at
  settings.PortName = FieldFrom(ReadTextLine(f.get()), 6);
  settings.BaudRate = text::StrToInt(FieldFrom(ReadTextLine(f.get()), 10));
  settings.TimeOut = text::StrToInt(FieldFrom(ReadTextLine(f.get()), 9));
}

std::string FormatPortSettings(const PortSettings& s) {
  std::string out = "[PORT CONFIG]\r\n";
  out += "Port=" + s.PortName + Ru("; - имя порта") + "\r\n";
  out += "BaudRate=" + text::IntToStr(s.BaudRate) + Ru("; - скорость порта") + "\r\n";
  out += "TimeOut=" + text::IntToStr(s.TimeOut) + Ru("; - задержка") + "\r\n";
  return out;
}

void SavePortSettings(const PortSettings& settings, const std::string& path) {
  WriteFileAtomically(path, FormatPortSettings(settings),
                      {.uniqueTemporary = false, .sync = true, .mode = 0644});
}

}  // namespace quorvex
