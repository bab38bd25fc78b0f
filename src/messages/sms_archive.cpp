#include "messages/sms_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "codec/errors.h"

namespace quorvex {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now so that a failure of close (a delayed write error) is seen.
  int release() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

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
  return record.number + ";" + record.dateTime + ";" + record.text + "\r\n";
}

std::vector<std::string> ReadArchiveLines(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return {};
    throw MakeInOutError(errno);
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw MakeInOutError(errno);
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = data.size();
    std::string line = data.substr(start, end - start);
    if (!last && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = last ? end : end + 1;
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

std::vector<ArchiveRecord> ReadArchive(const std::string& path) {
  std::vector<ArchiveRecord> records;
  for (const std::string& line : ReadArchiveLines(path)) records.push_back(SplitArchiveLine(line));
  return records;
}

void AppendArchive(const std::string& path, const std::vector<ArchiveRecord>& records) {
  Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
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
  if (!WriteAll(fd.get(), data)) {
    const int error = errno;
    // Take back the part of the records that did reach the file.
    if (::ftruncate(fd.get(), st.st_size) != 0) {
    }
    throw MakeInOutError(error);
  }
  if (fd.release() != 0) throw MakeInOutError(errno);
}

}  // namespace quorvex
