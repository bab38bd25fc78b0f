// The main of every test program: GoogleTest, with test time for the port objects.
#include <gtest/gtest.h>

#include "sim/phone_sim.h"
#include "test_time.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  quorvex::testing::ScopedTestTime time(&quorvex::sim::PhoneSim::EveryHandsetIdle);
  return RUN_ALL_TESTS();
}
