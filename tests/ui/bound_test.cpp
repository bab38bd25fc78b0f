// Every menu item, button and hot key the window offers runs a handler that is bound, with
// the window put together as the program does. The list comes from the widgets and the key
// preview themselves, so a new control is checked without a line here.
#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <set>

#include "window_fixture.h"

namespace quorvex::ui {
namespace {

using testing::WholeWindowTest;

// What the user reaches (a menu item, a button, a key in a section) and the handler it runs.
struct Reach {
  std::string what;
  std::string handler;
};

const Section kSectionsShown[] = {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                                  Section::DateBook, Section::SMS};

class BoundTest : public WholeWindowTest {
 protected:
  // The items of the window's menu bar and popups, and what opening a popup runs.
  std::vector<Reach> menuItems() {
    std::vector<Reach> out;
    for (QAction* a : view_->findChildren<QAction*>()) {
      const std::string name = a->objectName().toStdString();
      if (name.empty() || a->isSeparator() || a->menu()) continue;
      out.push_back({"menu item " + name, model_->menuEntry(name).handler});
    }
    for (QMenu* popup : view_->findChildren<QMenu*>()) {
      const std::string name = popup->objectName().toStdString();
      if (view_->popupMenu(name) == popup)
        out.push_back({"popup " + name, model_->menu(name).onPopup});
    }
    return out;
  }

  // The window's buttons and check boxes; the radio items of a group are state, not events.
  std::vector<Reach> buttons() {
    std::vector<Reach> out;
    for (QAbstractButton* b : view_->findChildren<QAbstractButton*>()) {
      const std::string name = b->objectName().toStdString();
      if (b->window() != view_.get() || !model_->hasControl(name)) continue;
      out.push_back({"button " + name, TfrmMain::clickHandler(name)});
    }
    return out;
  }

  // Every key the key preview takes, in every section, with each modifier: what it ran.
  std::vector<Reach> hotKeys() {
    std::vector<int> keys;
    for (int k = Qt::Key_Space; k <= Qt::Key_AsciiTilde; ++k) keys.push_back(k);
    for (int k = Qt::Key_Escape; k <= Qt::Key_F35; ++k) keys.push_back(k);
    const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ControlModifier, Qt::ShiftModifier,
                                          Qt::AltModifier};
    std::vector<Reach> out;
    for (Section s : kSectionsShown)
      for (int k : keys)
        for (Qt::KeyboardModifiers m : mods) {
          if (MainWindowView::HotKeyOf(k, m) == Key::Other) continue;
          showSection(s);
          key(k, m);
          const std::string what =
              std::string(SectionPanel(s)) + " key " + QKeySequence(k | m).toString().toStdString();
          for (const std::string& h : trace_) out.push_back({what, h});
          ++keysPressed;
        }
    return out;
  }

  int keysPressed = 0;
};

TEST_F(BoundTest, EveryMenuItemButtonAndHotKeyRunsABoundHandler) {
  start();
  const std::vector<Reach> kinds[] = {menuItems(), buttons(), hotKeys()};
  for (const std::vector<Reach>& reached : kinds) {
    ASSERT_FALSE(reached.empty());
    for (const Reach& r : reached) {
      EXPECT_FALSE(r.handler.empty()) << r.what;
      EXPECT_TRUE(model_->isBound(r.handler)) << r.what << " runs " << r.handler << ", not bound";
    }
  }
  EXPECT_EQ(keysPressed, 5 * 9 * 4) << "F1, F5, Ins, Del and 1 to 5, alone or with one modifier";
}

}  // namespace
}  // namespace quorvex::ui
