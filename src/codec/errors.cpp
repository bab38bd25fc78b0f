#include "codec/errors.h"

#include <cerrno>
#include <cstring>

namespace quorvex {

namespace {

// The untranslated description, or nullptr where the C library has none for the number.
// strerror would invent "Unknown error N" instead, which we must not show as if it were known.
const char* SystemErrorText(int errnoValue) {
  if (errnoValue == 0) return nullptr;  // "Success" is no reason for a failure
  return strerrordesc_np(errnoValue);
}

}  // namespace

EInOutError MakeInOutError(int errnoValue) {
  if (errnoValue == ENOENT) return EInOutError("File not found", errnoValue);
  if (const char* text = SystemErrorText(errnoValue)) {
    std::string message(text);
    while (!message.empty() &&
           (static_cast<unsigned char>(message.back()) <= 32 || message.back() == '.')) {
      message.pop_back();
    }
    if (!message.empty()) return EInOutError(message, errnoValue);
  }
  return EInOutError("I/O error " + std::to_string(errnoValue), errnoValue);
}

}  // namespace quorvex
