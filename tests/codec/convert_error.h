// Assertion that a call raises the integer-conversion error with an exact message.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "codec/errors.h"

template <typename F>
::testing::AssertionResult RaisesConvertError(F&& f, const std::string& message) {
  try {
    f();
  } catch (const quorvex::EConvertError& e) {
    if (e.what() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "message \"" << e.what() << "\", wanted \"" << message << "\"";
  }
  return ::testing::AssertionFailure() << "no EConvertError, wanted \"" << message << "\"";
}
