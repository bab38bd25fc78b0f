// What the information, terminal and clock tests share: the handset test with the application
// state, and the message of a raised exception.
#pragma once

#include <string>

#include "codec/errors.h"
#include "handset_test.h"

namespace quorvex::testing {

// Runs f and returns the message of the quorvex::Exception it raised ("" when none).
template <typename F>
std::string RaisedMessage(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace quorvex::testing
