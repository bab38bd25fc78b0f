// The main window's widgets: each button, menu item and hot key reaches its handler, the
// busy state and the sections show in the widgets, and every section's controls fit.
#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <optional>
#include <set>
#include <tuple>

#include "codec/ru.h"
#include "ui/list_view.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

using testing::Trace;
using testing::WindowTest;

const Section kAll[] = {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                        Section::DateBook, Section::SMS};

TEST_F(WindowTest, OpensCentredAtItsMinimumSizeWithTheProgramsCaption) {
  start();
  EXPECT_EQ(view_->windowTitle(), QStringLiteral("Quorvex"));
  EXPECT_EQ(view_->size(), QSize(756, 456));
  EXPECT_EQ(view_->minimumSize(), QSize(756, 456));
  const QRect screen = view_->screen()->availableGeometry();
  EXPECT_LE((view_->geometry().center() - screen.center()).manhattanLength(), 2);
  view_->resize(500, 300);
  EXPECT_GE(view_->width(), 756);
  EXPECT_GE(view_->height(), 456);
  EXPECT_EQ(widget<QToolButton>("sbPhoneBook")->text(), QStringLiteral("Справочник"));
  EXPECT_EQ(view_->action("N1")->text(), QStringLiteral("Файл"));
  EXPECT_EQ(widget<QToolButton>("sbReadAll")->text(), QStringLiteral("Читать\nвсе..."));
}

TEST_F(WindowTest, AMissingSettingsFileIsShownInTheStandardErrorBox) {
  model_->FormCreate();
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_TRUE(ui_.boxes[0].standardError);
  EXPECT_EQ(ui_.boxes[0].text, "File not found");
  view_->sync();
  view_->show();
  EXPECT_TRUE(widget("plPhoneBook")->isVisible());
  EXPECT_EQ(widget<QComboBox>("cbCommand")->count(), 0) << "the later steps did not run";
}

struct SectionMenus {
  Section section;
  bool phoneBook, dateBook, sms, saveSms, backup;
};

class SectionButtons : public WindowTest, public ::testing::WithParamInterface<SectionMenus> {};

TEST_P(SectionButtons, ShowOnePanelKeepTheirButtonDownAndSetTheMenus) {
  const SectionMenus& c = GetParam();
  start();
  click(SectionButton(c.section));
  for (Section s : kAll) {
    EXPECT_EQ(widget(SectionPanel(s))->isVisible(), s == c.section) << SectionPanel(s);
    EXPECT_EQ(widget<QToolButton>(SectionButton(s))->isChecked(), s == c.section);
  }
  click(SectionButton(c.section));  // a second press leaves it down
  EXPECT_TRUE(widget<QToolButton>(SectionButton(c.section))->isChecked());
  EXPECT_EQ(view_->action("mnuPhoneBook")->isEnabled(), c.phoneBook);
  EXPECT_EQ(view_->action("mnuDateBook")->isEnabled(), c.dateBook);
  EXPECT_EQ(view_->action("mnuSMS")->isEnabled(), c.sms);
  EXPECT_EQ(view_->action("mnuSaveSMS")->isEnabled(), c.saveSms);
  EXPECT_EQ(view_->action("mnuBackUp")->isEnabled(), c.backup);
  EXPECT_EQ(view_->action("mnuRestore")->isEnabled(), c.backup);
}

INSTANTIATE_TEST_SUITE_P(Table, SectionButtons,
                         ::testing::Values(SectionMenus{Section::Terminal, 0, 0, 0, 0, 0},
                                           SectionMenus{Section::PhoneInfo, 0, 0, 0, 0, 0},
                                           SectionMenus{Section::PhoneBook, 1, 0, 0, 0, 1},
                                           SectionMenus{Section::DateBook, 0, 1, 0, 0, 0},
                                           SectionMenus{Section::SMS, 0, 0, 1, 1, 0}),
                         [](const auto& info) {
                           return std::string(SectionPanel(info.param.section));
                         });

struct ButtonCase {
  Section section;
  const char* button;
  const char* handler;
};

TEST_F(WindowTest, EveryButtonRunsItsHandler) {
  const ButtonCase cases[] = {
      {Section::Terminal, "btnSendCommand", "btnSendCommandClick"},
      {Section::Terminal, "sbClear", "sbClearClick"},
      {Section::PhoneInfo, "SpeedButton1", "SpeedButton1Click"},
      {Section::PhoneInfo, "SpeedButton11", "SpeedButton11Click"},
      {Section::PhoneBook, "sbAddRecord", "sbAddRecordClick"},
      {Section::PhoneBook, "sbReadAll", "sbReadAllClick"},
      {Section::PhoneBook, "SpeedButton3", "SpeedButton3Click"},
      {Section::DateBook, "sbReadAllEvents", "sbReadAllEventsClick"},
      {Section::DateBook, "sbAddEvent", "sbAddEventClick"},
      {Section::DateBook, "sbDeleteEvent", "sbDeleteEventClick"},
      {Section::DateBook, "SpeedButton5", "SpeedButton5Click"},
      {Section::DateBook, "SpeedButton2", "SpeedButton2Click"},
      {Section::DateBook, "CheckBox1", "CheckBox1Click"},
      {Section::SMS, "sbSMSNew", "sbSMSNewClick"},
      {Section::SMS, "sbSMSSave", "sbSMSSaveClick"},
      {Section::SMS, "SpeedButton12", "SpeedButton12Click"},
      {Section::SMS, "sbDeleteSMS", "sbDeleteSMSClick"},
      {Section::SMS, "sbSMSDeleteAll", "sbSMSDeleteAllClick"},
      {Section::Terminal, "sbPhoneInfo", "sbPhoneInfoClick"},
      {Section::PhoneInfo, "sbTerminal", "sbTerminalClick"},
      {Section::Terminal, "sbPhoneBook", "sbPhoneBookClick"},
      {Section::Terminal, "sbDateBook", "sbDateBookClick"},
      {Section::Terminal, "sbSMS", "sbSMSClick"},
  };
  start();
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.button);
    showSection(c.section);
    enableEverything();
    click(c.button);
    ASSERT_FALSE(trace_.empty());
    EXPECT_EQ(trace_.front(), c.handler);
  }
  // The write-all button is hidden by design; nothing can click it.
  EXPECT_TRUE(widget("sbWriteAll")->isHidden());
}

TEST_F(WindowTest, AMouseClickOfADisabledButtonDoesNothing) {
  start();
  ASSERT_FALSE(widget("sbAddRecord")->isEnabled()) << "the list is empty";
  click("sbAddRecord");
  EXPECT_TRUE(trace_.empty());
}

TEST_F(WindowTest, EveryMenuItemRunsItsHandler) {
  writeFile("info.txt", "help");
  start();
  int items = 0;
  for (const Menu& m : model_->menus()) {
    std::vector<const MenuItem*> leaves;
    std::function<void(const std::vector<MenuItem>&)> walk = [&](const auto& list) {
      for (const MenuItem& i : list) {
        if (!i.handler.empty()) leaves.push_back(&i);
        walk(i.items);
      }
    };
    walk(m.items);
    for (const MenuItem* item : leaves) {
      if (item->name == "mnuExit") continue;
      SCOPED_TRACE(item->name);
      enableEverything();
      trace_.clear();
      QAction* a = view_->action(item->name);
      ASSERT_NE(a, nullptr);
      EXPECT_EQ(a->text(), ToQ(item->state->caption));
      a->trigger();
      ASSERT_FALSE(trace_.empty());
      EXPECT_EQ(trace_.front(), item->handler);
      ++items;
    }
  }
  EXPECT_EQ(items, 40 + 7 + 1 + 1 + 1)
      << "with the seven export and import items of the file menu, "
         "its phone backup, the restore from a backup and its bin";
  // The phone backup and the restore ask for their file first; the scripted dialogs cancel them.
  EXPECT_EQ(ui_.dialogs, (Trace{"save file", "open file", "TfrmBin", "font", "Настройка порта",
                                "Помощь", "About"}));
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != view_.get()) w->hide();

  view_->action("mnuExit")->trigger();
  EXPECT_FALSE(view_->isVisible()) << "Выход closes the window";
}

TEST_F(WindowTest, ADisabledMenuItemDoesNothing) {
  start();
  ASSERT_FALSE(view_->action("mnuDateBook")->isEnabled());
  view_->action("N14")->trigger();  // enabled itself, but its menu cannot open
  EXPECT_TRUE(trace_.empty());
  showSection(Section::SMS);
  ASSERT_FALSE(view_->action("pmSMSRead")->isEnabled());
  view_->action("pmSMSRead")->trigger();
  EXPECT_TRUE(trace_.empty());
}

struct KeyCase {
  const char* name;
  Section section;
  int key;
  Qt::KeyboardModifiers mods;
  Trace handlers;
  Section after;
};

class HotKeys : public WindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(HotKeys, ReachTheirHandlers) {
  const KeyCase& c = GetParam();
  start();
  model_->menuItem("pmDelete").enabled = true;
  model_->bind("SpeedButton1Click", [] {});
  showSection(c.section);
  key(c.key, c.mods);
  EXPECT_EQ(trace_, c.handlers);
  EXPECT_EQ(model_->section(), c.after);
  EXPECT_TRUE(widget(SectionPanel(c.after))->isVisible());
}

const auto kCtrl = Qt::ControlModifier;
const auto kNone = Qt::NoModifier;

INSTANTIATE_TEST_SUITE_P(
    Table, HotKeys,
    ::testing::Values(
        KeyCase{"F5PhoneBook",
                Section::PhoneBook,
                Qt::Key_F5,
                kNone,
                {"sbReadAllClick"},
                Section::PhoneBook},
        KeyCase{"F5Terminal", Section::Terminal, Qt::Key_F5, kNone, {}, Section::Terminal},
        KeyCase{"InsDateBook",
                Section::DateBook,
                Qt::Key_Insert,
                kNone,
                {"sbAddEventClick"},
                Section::DateBook},
        KeyCase{"DelPhoneBook",
                Section::PhoneBook,
                Qt::Key_Delete,
                kNone,
                {"pmDeleteClick"},
                Section::PhoneBook},
        KeyCase{"DelSms", Section::SMS, Qt::Key_Delete, kNone, {"sbDeleteSMSClick"}, Section::SMS},
        KeyCase{
            "Ctrl1", Section::PhoneBook, Qt::Key_1, kCtrl, {"sbTerminalClick"}, Section::Terminal},
        KeyCase{
            "Ctrl3", Section::Terminal, Qt::Key_3, kCtrl, {"sbPhoneBookClick"}, Section::PhoneBook},
        KeyCase{"Ctrl5", Section::Terminal, Qt::Key_5, kCtrl, {"sbSMSClick"}, Section::SMS},
        KeyCase{"CtrlShift3",
                Section::Terminal,
                Qt::Key_3,
                kCtrl | Qt::ShiftModifier,
                {},
                Section::Terminal},
        KeyCase{"CtrlAlt3",
                Section::Terminal,
                Qt::Key_3,
                kCtrl | Qt::AltModifier,
                {},
                Section::Terminal},
        KeyCase{"CtrlKeypad3",
                Section::Terminal,
                Qt::Key_3,
                kCtrl | Qt::KeypadModifier,
                {},
                Section::Terminal}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, F1ShowsTheHelpTextInAPlainBox) {
  start();
  showSection(Section::DateBook);
  key(Qt::Key_F1);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kHotKeyHelp);
  EXPECT_EQ(ui_.boxes[0].kind, MsgKind::Message);
  EXPECT_FALSE(ui_.boxes[0].standardError);
}

TEST_F(WindowTest, TheFocusedControlStillGetsTheKey) {
  start();
  showSection(Section::Terminal);
  auto* edit = widget<QComboBox>("cbCommand")->lineEdit();
  edit->setFocus();
  edit->setText(QStringLiteral("ATXI"));
  edit->setCursorPosition(2);
  key(Qt::Key_Delete);
  EXPECT_EQ(edit->text(), QStringLiteral("ATI"));
  EXPECT_EQ(model_->terminal.cbCommandText, "ATI");
  // Ins is a hot key of other sections; in the terminal it only reaches the edit.
  key(Qt::Key_Insert);
  EXPECT_TRUE(trace_.empty());
}

TEST_F(WindowTest, AKeyTheControlIgnoresIsPreviewedOnceOnItsWayUp) {
  start();
  showSection(Section::PhoneBook);
  widget("ListView1")->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), widget("ListView1"));
  key(Qt::Key_F5);  // the list ignores it, so it travels on to the panel and the window
  key(Qt::Key_F5);
  EXPECT_EQ(trace_, (Trace{"sbReadAllClick", "sbReadAllClick"}));
}

TEST_F(WindowTest, TheBusyStateDisablesExactlyTheListedWidgetsAndShowsTheHourglass) {
  start();
  for (Section s : kAll) {
    SCOPED_TRACE(SectionPanel(s));
    showSection(s);
    std::map<QWidget*, bool> before;
    const auto all = view_->findChildren<QWidget*>();
    for (QWidget* w : all) before[w] = w->isEnabled();
    std::set<std::string> listed(BusyControls(s).begin(), BusyControls(s).end());
    for (Section b : kAll) listed.insert(SectionButton(b));
    const auto insideListed = [&](QWidget* w) {
      for (QWidget* p = w->parentWidget(); p && p != view_.get(); p = p->parentWidget())
        if (listed.count(p->objectName().toStdString())) return true;
      return false;
    };

    std::map<QWidget*, bool> during;
    bool hourglass = false, menusLive = false;
    model_->bind("probe", [&] {
      model_->SetControlsEnabled(false);
      ui_.processEvents(false);  // the window mirrors the state while the operation runs
      for (QWidget* w : all) during[w] = w->isEnabled();
      hourglass = QApplication::overrideCursor() != nullptr &&
                  QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      menusLive = view_->action("mnuParameters")->isEnabled() &&
                  view_->action("mnuPortConfig")->isEnabled();
      model_->SetControlsEnabled(true);
    });
    model_->fire("probe");
    view_->sync();

    for (QWidget* w : all) {
      const std::string name = w->objectName().toStdString();
      if (listed.count(name))
        EXPECT_FALSE(during[w]) << name;
      else if (insideListed(w))
        continue;  // a part of a listed control (the radio items, the calendar's buttons)
      else
        EXPECT_EQ(during[w], before[w]) << name;
      EXPECT_EQ(w->isEnabled(), before[w] || listed.count(name)) << name << " after";
    }
    EXPECT_TRUE(hourglass);
    EXPECT_TRUE(menusLive);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

struct Size {
  int w, h;
};
const Size kSmallest{756, 456}, kLarge{1180, 760};

// The controls of a panel as the user sees them: the named widgets, down through the named
// frames and groups that hold them, but not the parts Qt builds inside a control.
void NamedControls(QWidget* parent, std::vector<QWidget*>& out) {
  for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QString name = w->objectName();
    if (name.isEmpty() || name.startsWith(QStringLiteral("qt_")) || w->isWindow()) continue;
    out.push_back(w);
    NamedControls(w, out);
  }
}

// A bevel is a frame drawn under the controls it groups; everything else stands alone.
bool IsBevel(const QWidget* w) {
  return w->objectName().startsWith(QStringLiteral("Bevel"));
}

// The text a control shows and the size it needs for it: its size hint, or for a group box
// (whose hint adds its items, checked on their own) the title's width.
struct TextNeed {
  QString text;
  QSize size;
};
std::optional<TextNeed> TextOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty())
    return TextNeed{l->text(), l->sizeHint()};
  if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty())
    return TextNeed{b->text(), b->sizeHint()};
  if (auto* g = qobject_cast<QGroupBox*>(w); g && !g->title().isEmpty())
    return TextNeed{g->title(), QSize(g->fontMetrics().horizontalAdvance(g->title()),
                                      g->fontMetrics().height())};
  return std::nullopt;
}

class Layout : public WindowTest,
               public ::testing::WithParamInterface<std::tuple<Section, Size>> {};

// Whatever the window's size: every control of each section lies inside its panel, is
// shown with some room, overlaps no sibling but the bevel it sits on, and has room for its
// text.
TEST_P(Layout, EveryControlFitsItsPanelAndItsText) {
  const auto [section, size] = GetParam();
  start();
  showSection(section);
  // The controls shown only at times are shown, with the longest text they get.
  for (const auto& n : model_->controlNames())
    if (n != "sbWriteAll") model_->control(n).visible = true;
  model_->control("Label9").caption = Ru("Записано 1000 из 1000");
  view_->sync();
  view_->resize(size.w, size.h);
  QApplication::processEvents();
  QWidget* panel = widget(SectionPanel(section));
  ASSERT_TRUE(panel->isVisible());
  EXPECT_FALSE(panel->geometry().intersects(widget("plButtons")->geometry()));

  std::vector<QWidget*> controls;
  NamedControls(panel, controls);
  ASSERT_GE(controls.size(), 5u);
  for (QWidget* w : controls) {
    const std::string name = w->objectName().toStdString();
    SCOPED_TRACE(name);
    if (w->isHidden()) {
      EXPECT_EQ(name, "sbWriteAll") << "only the write-all button is hidden by design";
      continue;
    }
    EXPECT_TRUE(w->isVisible());
    EXPECT_GT(w->width(), 0);
    EXPECT_GT(w->height(), 0);
    EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
        << "outside " << w->parentWidget()->objectName().toStdString();
    if (const auto text = TextOf(w)) {
      EXPECT_GE(w->width(), text->size.width()) << "cut: " << text->text.toStdString();
      EXPECT_GE(w->height(), text->size.height()) << "cut: " << text->text.toStdString();
    }
    for (QWidget* other : controls) {
      if (other == w || other->parentWidget() != w->parentWidget() || other->isHidden()) continue;
      if (IsBevel(w) || IsBevel(other)) continue;
      EXPECT_FALSE(w->geometry().intersects(other->geometry()))
          << "overlaps " << other->objectName().toStdString();
    }
  }
}

// The room a larger window gains goes to each section's list or memo, in both directions,
// and to the text panes in their width; the buttons and the lists' columns keep their
// sizes, and back at the smallest size every control is where it was.
TEST_F(WindowTest, TheListsAndPanesTakeTheRoomTheWindowGains) {
  const char* lists[] = {"mmTerminal", "ListView1", "lvEvent", "lvSMS"};
  const char* panes[] = {"mmSMS", "mmDescriptionCommand"};
  start();
  std::map<QWidget*, QRect> smallest;
  std::vector<QWidget*> controls;
  for (Section s : kAll) NamedControls(widget(SectionPanel(s)), controls);
  for (QWidget* w : controls) smallest[w] = w->geometry();
  std::map<std::string, std::vector<int>> columns;
  for (const char* name : {"ListView1", "lvEvent", "lvSMS"}) {
    const ListView* list = view_->list(name);
    for (int c = 0; c < list->columnCount(); ++c) columns[name].push_back(list->columnWidth(c));
  }

  for (const Size size : {kLarge, Size{1280, 800}, Size{1900, 1000}}) {
    SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
    view_->resize(size.w, size.h);
    QApplication::processEvents();
    ASSERT_EQ(view_->size(), QSize(size.w, size.h));
    const QSize gain(size.w - kSmallest.w, size.h - kSmallest.h);
    for (const char* name : lists)
      EXPECT_EQ(widget(name)->size() - smallest[widget(name)].size(), gain) << name;
    for (const char* name : panes)
      EXPECT_EQ(widget(name)->size() - smallest[widget(name)].size(), QSize(gain.width(), 0))
          << name;
    for (QWidget* w : controls) {
      if (qobject_cast<QAbstractButton*>(w) && !qobject_cast<QCheckBox*>(w)) {
        EXPECT_EQ(w->size(), smallest[w].size()) << w->objectName().toStdString();
      }
    }
    for (const auto& [name, widths] : columns)
      for (int c = 0; c < static_cast<int>(widths.size()); ++c)
        EXPECT_EQ(view_->list(name)->columnWidth(c), widths[static_cast<std::size_t>(c)])
            << name << " column " << c;
  }

  view_->resize(kSmallest.w - 100, kSmallest.h - 100);
  QApplication::processEvents();
  EXPECT_EQ(view_->size(), QSize(kSmallest.w, kSmallest.h)) << "no smaller than designed";
  for (QWidget* w : controls)
    EXPECT_EQ(w->geometry(), smallest[w]) << w->objectName().toStdString();
}

// At any size the status bar spans the window's foot under the panels, a line of its font
// high, and shows its text whole.
TEST_F(WindowTest, TheStatusBarKeepsItsLineUnderThePanels) {
  start();
  QStatusBar* bar = view_->statusBar();
  const QString text = QStringLiteral("Чтение справочника: 7650 из 7650");
  bar->showMessage(text);
  for (const Size size : {kSmallest, kLarge}) {
    SCOPED_TRACE(size.w);
    view_->resize(size.w, size.h);
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GE(bar->height(), bar->fontMetrics().height() + 2);
    EXPECT_EQ(bar->width(), view_->width());
    EXPECT_EQ(bar->geometry().bottom(), view_->rect().bottom());
    EXPECT_LE(bar->fontMetrics().horizontalAdvance(text), bar->width());
    for (Section s : kAll) {
      const QWidget* panel = widget(SectionPanel(s));
      const QRect onWindow(panel->mapTo(view_.get(), QPoint(0, 0)), panel->size());
      EXPECT_LT(onWindow.bottom(), bar->geometry().top()) << SectionPanel(s);
    }
  }
  EXPECT_EQ(bar->currentMessage(), text);
}

INSTANTIATE_TEST_SUITE_P(Sections, Layout,
                         ::testing::Combine(::testing::ValuesIn(kAll),
                                            ::testing::Values(kSmallest, kLarge, Size{1280, 800})),
                         [](const auto& info) {
                           const Size size = std::get<1>(info.param);
                           return std::string(SectionPanel(std::get<0>(info.param))) + "_" +
                                  std::to_string(size.w) + "x" + std::to_string(size.h);
                         });

TEST_F(WindowTest, ListsHaveTheirColumnsAndPopups) {
  start();
  auto* book = view_->list("ListView1");
  ASSERT_EQ(book->columnCount(), 5);
  EXPECT_EQ(book->horizontalHeaderItem(1)->text(), QStringLiteral("Имя, Фамилия"));
  auto* events = view_->list("lvEvent");
  ASSERT_EQ(events->columnCount(), 8);
  EXPECT_EQ(events->columnWidth(0), 1) << "the index column stays hidden";
  EXPECT_EQ(view_->list("lvSMS")->columnCount(), 7);
  EXPECT_EQ(view_->popupMenu("pmSMS")->actions().size(), 7);
  EXPECT_EQ(view_->popupMenu("PopupMenu1")->actions().size(), 8);

  // A row of the model shows, and a selection in the widget goes back to the model.
  model_->lvSMS.add("3").subItems = {{"+7900", -1}, {"date", -1}};
  view_->sync();
  ASSERT_EQ(view_->list("lvSMS")->rowCount(), 1);
  EXPECT_EQ(view_->list("lvSMS")->item(0, 1)->text(), QStringLiteral("+7900"));
  view_->list("lvSMS")->selectRow(0);
  EXPECT_TRUE(model_->lvSMS.rows[0].selected);
}

}  // namespace
}  // namespace quorvex::ui
