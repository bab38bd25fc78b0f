#include "messages/sms_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <iterator>
#include <unordered_map>

#include "codec/errors.h"
#include "codec/file_descriptor.h"

namespace quorvex {

namespace {}  // namespace

std::string SingleLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += ' ';
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\t' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)) {
      out += c;
    }
  }
  return out;
}

ArchiveRecord SplitArchiveLine(std::string_view line) {
  ArchiveRecord r;
  std::size_t first = line.find(';');
  if (first == std::string_view::npos) {
    r.text = std::string(line);
    return r;
  }
  r.number = std::string(line.substr(0, first));
  line.remove_prefix(first + 1);
  std::size_t second = line.find(';');
  if (second == std::string_view::npos) {
    r.text = std::string(line);
    return r;
  }
  r.dateTime = std::string(line.substr(0, second));
  r.text = std::string(line.substr(second + 1));
  return r;
}

std::string FormatArchiveRecord(const ArchiveRecord& record) {
  return SingleLine(record.number) + ";" + SingleLine(record.dateTime) + ";" +
         SingleLine(record.text) + "\r\n";
}

namespace {

// Calls take(line) for each line of the archive, without its line end, reading the file in
// pieces so that only the line at hand is held: an archive can grow far beyond what is worth
// keeping in memory twice. An existing empty file gives one empty line, a missing file none.
// Only the first maxBytes bytes are read. Returns the number of bytes read; -1 for a missing
// file.
template <typename Take>
std::int64_t ForEachArchiveLine(const std::string& path, Take&& take,
                                std::uint64_t maxBytes = UINT64_MAX) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return -1;
    throw MakeInOutError(errno);
  }
  std::string line;
  bool any = false;
  std::uint64_t total = 0;
  char buffer[65536];
  for (;;) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, maxBytes - total));
    if (want == 0) break;
    const ssize_t n = ::read(fd.get(), buffer, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw MakeInOutError(errno);
    }
    if (n == 0) break;
    any = true;
    total += static_cast<std::uint64_t>(n);
    std::string_view piece(buffer, static_cast<std::size_t>(n));
    for (std::size_t lf; (lf = piece.find('\n')) != std::string_view::npos;) {
      line.append(piece.substr(0, lf));
      if (!line.empty() && line.back() == '\r') line.pop_back();
      take(std::move(line));
      line.clear();
      piece.remove_prefix(lf + 1);
    }
    line.append(piece);
  }
  if (!line.empty() || !any) take(std::move(line));
  return static_cast<std::int64_t>(total);
}

}  // namespace

std::vector<std::string> ReadArchiveLines(const std::string& path) {
  std::vector<std::string> lines;
  ForEachArchiveLine(path, [&](std::string&& line) { lines.push_back(std::move(line)); });
  return lines;
}

std::vector<ArchiveRecord> ReadArchive(const std::string& path) {
  std::vector<ArchiveRecord> records;
  ForEachArchiveLine(path, [&](std::string&& line) { records.push_back(SplitArchiveLine(line)); });
  return records;
}

ArchiveMark MarkArchive(const std::string& path) {
  ArchiveMark mark;
  mark.path = path;
  mark.length = ForEachArchiveLine(path, [](std::string&&) {});
  return mark;
}

std::vector<bool> KnownDateTimes(const ArchiveMark& mark,
                                 const std::vector<std::string>& dateTimes) {
  std::vector<bool> known(dateTimes.size(), false);
  if (mark.length < 0 || dateTimes.empty()) return known;
  std::unordered_map<std::string_view, std::vector<std::size_t>> wanted;
  for (std::size_t k = 0; k < dateTimes.size(); ++k) wanted[dateTimes[k]].push_back(k);
  ForEachArchiveLine(
      mark.path,
      [&](std::string&& line) {
        const auto found = wanted.find(SplitArchiveLine(line).dateTime);
        if (found == wanted.end()) return;
        for (const std::size_t k : found->second) known[k] = true;
        wanted.erase(found);
      },
      static_cast<std::uint64_t>(mark.length));
  return known;
}

ArchiveTail ReadArchiveTail(const std::string& path, std::size_t maxLines) {
  ArchiveTail tail;
  std::deque<std::string> kept;
  ForEachArchiveLine(path, [&](std::string&& line) {
    if (line.empty()) return;
    kept.push_back(std::move(line));
    if (kept.size() > maxLines) {
      kept.pop_front();
      ++tail.leftOut;
    }
  });
  tail.lines.assign(std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
  return tail;
}

void AppendArchive(const std::string& path, const std::vector<ArchiveRecord>& records) {
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
  if (fd.get() < 0) throw MakeInOutError(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) throw MakeInOutError(errno);
  std::string data;
  if (st.st_size > 0) {
    char lastByte = '\n';
    if (::pread(fd.get(), &lastByte, 1, st.st_size - 1) != 1) throw MakeInOutError(errno);
    if (lastByte != '\n') data = "\r\n";
  }
  for (const ArchiveRecord& r : records) data += FormatArchiveRecord(r);
  if (records.empty()) data.clear();
  if (!WriteWhole(fd.get(), data)) {
    const int error = errno;
    // Take back the part of the records that did reach the file.
    if (::ftruncate(fd.get(), st.st_size) != 0) {
    }
    throw MakeInOutError(error);
  }
  if (fd.release() != 0) throw MakeInOutError(errno);
}

}  // namespace quorvex
