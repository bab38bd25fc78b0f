// The error classes every layer raises. Messages are code page 1251 bytes, exactly the
// texts the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace quorvex {

// Base of everything the core raises on purpose; the window's standard error box shows what().
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The strict integer conversion failed: "'%s' is not a valid integer value".
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file could not be opened, read or written. code is the errno value (0 when unknown).
class EInOutError : public Exception {
 public:
  EInOutError(const std::string& message, int code) : Exception(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// The system's text for an errno value without trailing blanks, control characters and full
// stops; empty where the system has none.
std::string SystemErrorText(int errnoValue);

// Builds the input/output error for an errno value: "File not found" for a missing file,
// the system's text otherwise, "I/O error %d" where the system has no text.
EInOutError MakeInOutError(int errnoValue);

}  // namespace quorvex
