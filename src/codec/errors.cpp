#include "codec/errors.h"

#include <cerrno>
#include <cstring>

namespace quorvex {

std::string SystemErrorText(int errnoValue) {
  // The untranslated description; strerror would invent "Unknown error N" where the C
  // library has none, and "Success" is no reason for a failure.
  const char* text = errnoValue == 0 ? nullptr : strerrordesc_np(errnoValue);
  std::string message(text ? text : "");
  while (!message.empty() &&
         (static_cast<unsigned char>(message.back()) <= 32 || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

EInOutError MakeInOutError(int errnoValue) {
  if (errnoValue == ENOENT) return EInOutError("File not found", errnoValue);
  std::string message = SystemErrorText(errnoValue);
  if (!message.empty()) return EInOutError(message, errnoValue);
  return EInOutError("I/O error " + std::to_string(errnoValue), errnoValue);
}

}  // namespace quorvex
