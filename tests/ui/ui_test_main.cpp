// The widget tests run in one QApplication on the offscreen platform, so no display is needed.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "sim/phone_sim.h"
#include "test_time.h"
#include "ui/look.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  quorvex::ui::ApplyWindowLook(app);
  quorvex::ui::InstallRussianQtTexts(app);
  quorvex::testing::ScopedTestTime time(&quorvex::sim::PhoneSim::EveryHandsetIdle);
  return RUN_ALL_TESTS();
}
