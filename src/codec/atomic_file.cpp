#include "codec/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "codec/errors.h"
#include "codec/file_descriptor.h"

namespace quorvex {
namespace {

std::atomic<unsigned> temporaryCounter{0};

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes,
                         const AtomicWriteOptions& options) {
  std::string temporary = path + ".tmp";
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC;
  if (options.uniqueTemporary) {
    temporary += std::to_string(::getpid()) + "-" + std::to_string(temporaryCounter.fetch_add(1));
    flags |= O_EXCL;
  } else {
    flags |= O_TRUNC;
  }
  const int fd = ::open(temporary.c_str(), flags, static_cast<mode_t>(options.mode));
  if (fd < 0) throw MakeInOutError(errno);
  try {
    if (!WriteWhole(fd, bytes)) throw MakeInOutError(errno);
    if (options.sync && ::fsync(fd) != 0) throw MakeInOutError(errno);
  } catch (...) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  if (::close(fd) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    throw MakeInOutError(err);
  }
}

}  // namespace quorvex
