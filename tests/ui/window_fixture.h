// One main window per test over a scripted user interface: boxes and dialogs are recorded
// instead of waiting for a person, and every handler the window dispatched is traced.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "scratch_dir.h"
#include "serial/port_settings.h"
#include "sim/phone_sim.h"
#include "ui/main_window_view.h"
#include "ui/program_window.h"
#include "ui/qt_user_interface.h"

namespace quorvex::ui::testing {

using Trace = std::vector<std::string>;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::quorvex::testing::MakeScratchDir("qv-ui");
    ui_.setScripted(true);
    ui_.clock = LocalTime{2026, 3, 5, 9, 4, 7};
    model_ = std::make_unique<TfrmMain>(ui_, path("portcfg.ini"));
    model_->help.path = path("info.txt");
    model_->info.pictureDir = QUORVEX_DATA_DIR;
    model_->onDispatch = [this](const std::string& h) { trace_.push_back(h); };
    view_ = std::make_unique<MainWindowView>(*model_, ui_);
  }
  void TearDown() override {
    view_.reset();
    model_.reset();
    phone_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }

  // Starts the window as the program does. Without a settings file of the test's own, the
  // settings name a port that is not there.
  void start() {
    if (!std::filesystem::exists(path("portcfg.ini")))
      SavePortSettings({path("no-port"), 115200, 3000}, path("portcfg.ini"));
    model_->FormCreate();
    view_->sync();
    view_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view_.get()));
    trace_.clear();
    ui_.boxes.clear();
  }
  sim::PhoneSim& startPhone(sim::SimOptions options = {}) {
    phone_ = std::make_unique<sim::PhoneSim>(options);
    phone_->start();
    SavePortSettings({phone_->slavePath(), 115200, 3000}, path("portcfg.ini"));
    start();
    return *phone_;
  }

  template <class W = QWidget>
  W* widget(const std::string& name) {
    auto* w = dynamic_cast<W*>(view_->widget(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void click(const std::string& name) {
    QWidget* w = widget(name);
    ASSERT_TRUE(w->isVisible()) << name;
    QTest::mouseClick(w, Qt::LeftButton);
  }
  // A key pressed where the user would press it: at the control that has the focus.
  void key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = focus && focus->window() == view_.get() ? focus : view_.get();
    QTest::keyClick(target, static_cast<Qt::Key>(qtKey), mods);
  }
  void showSection(Section s) {
    click(SectionButton(s));
    trace_.clear();
    ui_.boxes.clear();
  }
  // Every control and menu item enabled, so that each can be clicked.
  void enableEverything() {
    for (const auto& n : model_->controlNames()) model_->control(n).enabled = true;
    std::function<void(std::vector<MenuItem>&)> walk = [&](std::vector<MenuItem>& items) {
      for (MenuItem& i : items) {
        i.state->enabled = true;
        walk(i.items);
      }
    };
    for (Menu& m : model_->menus()) walk(m.items);
    view_->sync();
  }

  std::filesystem::path dir_;
  QtUserInterface ui_;
  std::unique_ptr<TfrmMain> model_;
  std::unique_ptr<MainWindowView> view_;
  std::unique_ptr<sim::PhoneSim> phone_;
  Trace trace_;
};

// The window with its three sections bound and shown, put together as the program does.
class WholeWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    sections_ = std::make_unique<ProgramSections>(*model_, *view_, ui_);
    phoneBook_ = sections_->phoneBook.get();
  }
  void TearDown() override {
    sections_.reset();
    WindowTest::TearDown();
  }

  std::unique_ptr<ProgramSections> sections_;
  PhoneBookView* phoneBook_ = nullptr;
};

}  // namespace quorvex::ui::testing
