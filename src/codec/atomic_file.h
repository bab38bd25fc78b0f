// Replacing a whole file so that a reader sees the old content or the new one, never a part:
// the bytes go to a temporary file beside the target, which is renamed over it once complete
// and closed. A failure leaves the target as it was and removes the temporary file.
#pragma once

#include <string>
#include <string_view>

namespace quorvex {

struct AtomicWriteOptions {
  // path + ".tmp<pid>-<n>" made exclusively, so that two writers never share one; or the
  // plain path + ".tmp", truncated when it is there.
  bool uniqueTemporary = true;
  // Flushed to the disk before the rename.
  bool sync = false;
  // The temporary file's permission bits, before the umask.
  unsigned mode = 0666;
};

// Raises EInOutError with the system's text for the errno of the step that failed.
void WriteFileAtomically(const std::string& path, std::string_view bytes,
                         const AtomicWriteOptions& options = {});

}  // namespace quorvex
