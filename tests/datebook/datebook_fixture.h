// What the date book tests share: the handset test with the application state, its clock at
// 9:05:42 on 5 March 2026.
#pragma once

#include "handset_test.h"

namespace quorvex::testing {

class DateBookTest : public AppStateTest {
 protected:
  void SetUp() override {
    AppStateTest::SetUp();
    ui_.clock = {2026, 3, 5, 9, 5, 42};
  }
};

}  // namespace quorvex::testing
