#include "core/bin_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "codec/atomic_file.h"
#include "codec/errors.h"
#include "codec/file_descriptor.h"
#include "codec/fnv1a.h"
#include "codec/hex_digits.h"

namespace quorvex {

namespace {

constexpr std::string_view kMagic = "QVBIN1";
// Magic, id, time, section, operation, memory, index, model, imei, caption, text.
constexpr std::size_t kHeadFields = 11;

std::string Hex8(std::uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", v);
  return buf;
}

std::optional<std::int64_t> Integer(std::string_view s) {
  if (s.empty() || s.size() > 18) return std::nullopt;
  std::size_t k = 0;
  const bool negative = s[0] == '-';
  if (negative && s.size() == 1) return std::nullopt;
  if (negative) k = 1;
  std::int64_t v = 0;
  for (; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return std::nullopt;
    v = v * 10 + (s[k] - '0');
  }
  return negative ? -v : v;
}

bool IsBinTime(std::string_view t) {
  static constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (t.size() != kShape.size()) return false;
  for (std::size_t k = 0; k < t.size(); ++k) {
    const bool digit = t[k] >= '0' && t[k] <= '9';
    if (kShape[k] == '0' ? !digit : t[k] != kShape[k]) return false;
  }
  return true;
}

// The file's bytes; empty for a missing file.
std::string ReadWhole(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return {};
    throw MakeInOutError(errno);
  }
  std::string bytes;
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw MakeInOutError(errno);
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  return bytes;
}

// The lines with their line ends, so that a rewrite keeps what it does not understand.
std::vector<std::string> LinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    const std::size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
    std::string line = bytes.substr(start, end - start);
    if (line.back() != '\n') line += '\n';  // a torn last line is closed, never joined
    lines.push_back(std::move(line));
    start = end;
  }
  return lines;
}

std::string_view WithoutEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

std::string EscapeBinField(std::string_view field) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(field.size());
  for (const char ch : field) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::optional<std::string> UnescapeBinField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t k = 0; k < field.size(); ++k) {
    const char c = field[k];
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++k >= field.size()) return std::nullopt;
    switch (field[k]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 'x': {
        if (k + 2 >= field.size()) return std::nullopt;
        const int hi = HexDigitValue(field[k + 1]), lo = HexDigitValue(field[k + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        k += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return out;
}

std::vector<std::string_view> SplitBinFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

std::string FormatBinLine(const BinRecord& r) {
  std::string line(kMagic);
  const auto add = [&line](std::string_view field) {
    line += '\t';
    line += EscapeBinField(field);
  };
  add(std::to_string(r.id));
  add(r.time);
  add(r.section);
  add(r.operation);
  add(r.memory);
  add(std::to_string(r.index));
  add(r.model);
  add(r.imei);
  add(r.caption);
  add(r.text);
  for (const std::string& d : r.data) add(d);
  const std::uint32_t check = Fnv1a(line);
  line += '\t';
  line += Hex8(check);
  line += '\n';
  return line;
}

std::optional<BinRecord> ParseBinLine(std::string_view raw) {
  const std::string_view line = WithoutEnd(raw);
  const std::size_t lastTab = line.rfind('\t');
  if (lastTab == std::string_view::npos) return std::nullopt;
  if (Hex8(Fnv1a(line.substr(0, lastTab))) != line.substr(lastTab + 1)) return std::nullopt;
  const std::vector<std::string_view> fields = SplitBinFields(line.substr(0, lastTab));
  if (fields.size() < kHeadFields || fields[0] != kMagic) return std::nullopt;
  std::vector<std::string> texts;
  for (std::size_t k = 1; k < fields.size(); ++k) {
    std::optional<std::string> t = UnescapeBinField(fields[k]);
    if (!t) return std::nullopt;
    texts.push_back(std::move(*t));
  }
  BinRecord r;
  const std::optional<std::int64_t> id = Integer(texts[0]);
  const std::optional<std::int64_t> index = Integer(texts[5]);
  if (!id || *id < 1 || !index || !IsBinTime(texts[1]) || texts[2].empty()) return std::nullopt;
  r.id = *id;
  r.time = std::move(texts[1]);
  r.section = std::move(texts[2]);
  r.operation = std::move(texts[3]);
  r.memory = std::move(texts[4]);
  r.index = *index;
  r.model = std::move(texts[6]);
  r.imei = std::move(texts[7]);
  r.caption = std::move(texts[8]);
  r.text = std::move(texts[9]);
  r.data.assign(std::make_move_iterator(texts.begin() + 10), std::make_move_iterator(texts.end()));
  return r;
}

BinContents ReadBin(const std::string& path) {
  BinContents contents;
  for (const std::string& line : LinesOf(ReadWhole(path))) {
    if (WithoutEnd(line).empty()) continue;
    if (std::optional<BinRecord> r = ParseBinLine(line)) {
      contents.records.push_back(std::move(*r));
    } else {
      ++contents.skipped;
    }
  }
  return contents;
}

void AppendToBin(const std::string& path, std::vector<BinRecord>& records, std::size_t maxBytes) {
  if (records.empty()) return;
  const std::string before = ReadWhole(path);
  const std::vector<std::string> lines = LinesOf(before);
  std::int64_t highest = 0;
  for (const std::string& line : lines)
    if (const std::optional<BinRecord> r = ParseBinLine(line)) highest = std::max(highest, r->id);

  std::vector<BinRecord> numbered = records;
  std::string added;
  for (BinRecord& r : numbered) {
    r.id = ++highest;
    added += FormatBinLine(r);
  }

  if (before.size() + added.size() + 1 > maxBytes) {
    // The oldest lines go until the rest, with the new records, fits three quarters of the
    // bound; the new records stay even when they alone would not fit.
    const std::size_t room = maxBytes / 4 * 3;
    std::size_t kept = before.size() + 1;
    std::size_t first = 0;
    while (first < lines.size() && kept + added.size() > room) kept -= lines[first++].size();
    std::string bytes;
    for (std::size_t k = first; k < lines.size(); ++k) bytes += lines[k];
    bytes += added;
    AtomicWriteOptions options;
    options.sync = true;
    options.mode = 0644;
    WriteFileAtomically(path, bytes, options);
    records = std::move(numbered);
    return;
  }

  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (fd.get() < 0) throw MakeInOutError(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) throw MakeInOutError(errno);
  std::string data;
  if (!before.empty() && before.back() != '\n') data = "\n";
  data += added;
  if (!WriteWhole(fd.get(), data) || ::fsync(fd.get()) != 0) {
    const int error = errno;
    // Take back what did reach the file: half a record would read as a damaged line.
    if (::ftruncate(fd.get(), st.st_size) != 0) {
    }
    throw MakeInOutError(error);
  }
  if (fd.release() != 0) throw MakeInOutError(errno);
  records = std::move(numbered);
}

void RemoveFromBin(const std::string& path, const std::vector<std::int64_t>& ids) {
  std::string bytes;
  bool removed = false;
  for (const std::string& line : LinesOf(ReadWhole(path))) {
    const std::optional<BinRecord> r = ParseBinLine(line);
    if (r && std::find(ids.begin(), ids.end(), r->id) != ids.end()) {
      removed = true;
      continue;
    }
    bytes += line;
  }
  if (!removed) return;
  AtomicWriteOptions options;
  options.sync = true;
  options.mode = 0644;
  WriteFileAtomically(path, bytes, options);
}

std::string BinTimeText(const LocalTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace quorvex
