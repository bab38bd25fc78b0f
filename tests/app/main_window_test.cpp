// The main window's logic without Qt: start-up, sections and their menus, the busy state,
// the hot keys and the menus' wiring.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <set>

#include "codec/ru.h"
#include "main_window_fixture.h"

namespace quorvex {
namespace {

using testing::MainWindowTest;
using Trace = std::vector<std::string>;

const Section kAll[] = {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                        Section::DateBook, Section::SMS};

void ShowSection(TfrmMain& m, Section s) {
  m.click(SectionButton(s));
}

// ---- Start-up.

TEST_F(MainWindowTest, FormCreateRunsEveryStepWhenTheSettingsLoad) {
  writeSettings("/dev/ttyUSB7");
  main().menuItem("mnuDateBook").enabled = true;
  main().FormCreate();

  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_EQ(main().formCreateSteps(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(main().app.settings().PortName, "/dev/ttyUSB7");
  ASSERT_EQ(main().terminal.cbCommandItems.size(), 40u);
  EXPECT_EQ(main().terminal.cbCommandItemIndex, 0);
  EXPECT_EQ(main().terminal.cbCommandText, "AT");
  EXPECT_EQ(main().control("sbReadAll").caption, Ru("Читать\r\nвсе..."));
  EXPECT_EQ(main().control("sbWriteAll").caption, Ru("Записать\r\nвсе..."));
  EXPECT_EQ(main().section(), Section::PhoneBook);
  for (Section s : kAll) EXPECT_EQ(main().panelVisible(s), s == Section::PhoneBook);
  EXPECT_FALSE(main().menuItem("mnuDateBook").enabled);
  EXPECT_FALSE(main().menuItem("mnuSMS").enabled);
  EXPECT_FALSE(main().menuItem("mnuSaveSMS").enabled);
  EXPECT_TRUE(main().menuItem("mnuPhoneBook").enabled);
  EXPECT_TRUE(main().menuItem("mnuBackUp").enabled);
  EXPECT_FALSE(main().control("sbAddRecord").enabled) << "the list is empty";
  EXPECT_EQ(main().width(), 756);
  EXPECT_EQ(main().height(), 456);
}

TEST_F(MainWindowTest, FormCreateWithoutSettingsShowsTheErrorAndSkipsTheRest) {
  main().FormCreate();

  EXPECT_EQ(ui_.errors, Trace{"File not found"});
  EXPECT_TRUE(main().formCreateSteps().empty());
  EXPECT_TRUE(main().terminal.cbCommandItems.empty()) << "step 2 did not run";
  EXPECT_EQ(main().control("sbReadAll").caption, Ru("Читать все")) << "design caption";
  // The menus stay as designed: step 8 never ran.
  EXPECT_TRUE(main().menuItem("mnuDateBook").enabled);
  EXPECT_TRUE(main().menuItem("mnuSMS").enabled);
  EXPECT_TRUE(main().control("sbAddRecord").enabled);

  // The program goes on: a later operation that reloads the file shows the same error, and
  // once the port dialog wrote the file, the settings load.
  main().click("btnSendCommand");
  EXPECT_EQ(ui_.errors, (Trace{"File not found", "File not found"}));
  main().clickMenu("mnuPortConfig");
  main().commConfig.cbComSelectChange("/dev/ttyACM0");
  main().commConfig.sbApplyClick();
  main().app.LoadPortSettings();
  EXPECT_EQ(main().app.settings().PortName, "/dev/ttyACM0");
}

TEST_F(MainWindowTest, ABadLineInTheSettingsStopsTheStartUpLikeAMissingFile) {
  writeFile("portcfg.ini", "[PORT CONFIG]\r\nPort=COM3\r\nBaudRate=fast\r\nTimeOut=1\r\n");
  main().FormCreate();
  EXPECT_EQ(ui_.errors, Trace{"'fast' is not a valid integer value"});
  EXPECT_TRUE(main().formCreateSteps().empty());
}

// ---- Section switching.

struct SectionCase {
  const char* name;
  Section section;
  bool phoneBook, dateBook, sms, saveSms, backup;
};

class SectionSwitch : public MainWindowTest, public ::testing::WithParamInterface<SectionCase> {};

TEST_P(SectionSwitch, ShowsOnePanelAndSetsTheMenus) {
  const SectionCase& c = GetParam();
  startWithoutPhone();
  ShowSection(main(), c.section);

  for (Section s : kAll) {
    EXPECT_EQ(main().panelVisible(s), s == c.section) << SectionPanel(s);
    EXPECT_EQ(main().checkBox(SectionButton(s)).checked, s == c.section) << SectionButton(s);
  }
  EXPECT_EQ(main().section(), c.section);
  EXPECT_EQ(main().menuItem("mnuPhoneBook").enabled, c.phoneBook);
  EXPECT_EQ(main().menuItem("mnuDateBook").enabled, c.dateBook);
  EXPECT_EQ(main().menuItem("mnuSMS").enabled, c.sms);
  EXPECT_EQ(main().menuItem("mnuSaveSMS").enabled, c.saveSms);
  EXPECT_EQ(main().menuItem("mnuBackUp").enabled, c.backup);
  EXPECT_EQ(main().menuItem("mnuRestore").enabled, c.backup);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SectionSwitch,
    ::testing::Values(SectionCase{"Terminal", Section::Terminal, false, false, false, false, false},
                      SectionCase{"PhoneInfo", Section::PhoneInfo, false, false, false, false,
                                  false},
                      SectionCase{"PhoneBook", Section::PhoneBook, true, false, false, false, true},
                      SectionCase{"DateBook", Section::DateBook, false, true, false, false, false},
                      SectionCase{"SMS", Section::SMS, false, false, true, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, TheDateBookSectionResetsItsControlsAndStartsARead) {
  startWithoutPhone();
  main().checkBox("CheckBox1").checked = false;
  main().control("lblReadEvent").caption = "12";
  main().control("lblAllEvent").caption = Ru("из 500");
  ui_.clock = LocalTime{2027, 11, 30, 23, 59, 0};
  ShowSection(main(), Section::DateBook);

  EXPECT_TRUE(main().checkBox("CheckBox1").checked);
  EXPECT_TRUE(main().control("MonthCalendar1").visible) << "the box's click shows the calendar";
  EXPECT_EQ(main().control("lblReadEvent").caption, "0");
  EXPECT_EQ(main().control("lblAllEvent").caption, Ru("из 0"));
  EXPECT_EQ(main().MonthCalendar1Date.year, 2027);
  EXPECT_EQ(main().MonthCalendar1Date.day, 30);
  EXPECT_EQ(trace_, (Trace{"sbDateBookClick", "CheckBox1Click", "sbReadAllEventsClick"}));
}

TEST_F(MainWindowTest, TheSmsSectionExpandsTheTreeAndDisablesReading) {
  startWithoutPhone();
  main().menuItem("pmSMSRead").enabled = true;
  main().menuItem("N18").enabled = true;
  ShowSection(main(), Section::SMS);
  EXPECT_FALSE(main().menuItem("pmSMSRead").enabled);
  EXPECT_FALSE(main().menuItem("N18").enabled);
  ASSERT_EQ(main().tvSMS.size(), 6u);
  EXPECT_TRUE(main().tvSMSExpanded);
}

TEST_F(MainWindowTest, ThePhoneBookSectionDisablesAddingOnlyForAnEmptyList) {
  startWithoutPhone();
  main().control("sbAddRecord").enabled = true;
  main().ListView1.add("1");
  ShowSection(main(), Section::PhoneBook);
  EXPECT_TRUE(main().control("sbAddRecord").enabled);
  main().ListView1.clear();
  ShowSection(main(), Section::PhoneBook);
  EXPECT_FALSE(main().control("sbAddRecord").enabled);
}

TEST_F(MainWindowTest, AFailingInformationReadLeavesTheSectionShownAndItsButtonDown) {
  startWithoutPhone();
  const std::string caption = main().info.SpeedButton11Caption;
  ShowSection(main(), Section::PhoneInfo);
  EXPECT_EQ(ui_.errors, Trace{Ru("Телефон не подключен.")});
  EXPECT_TRUE(main().panelVisible(Section::PhoneInfo));
  EXPECT_EQ(main().section(), Section::PhoneInfo);
  EXPECT_EQ(main().info.SpeedButton11Caption, caption);
}

// ---- The busy state.

class BusyState : public MainWindowTest, public ::testing::WithParamInterface<Section> {};

TEST_P(BusyState, ChangesExactlyTheSectionButtonsAndTheShownSectionsControls) {
  startWithoutPhone();
  ShowSection(main(), GetParam());
  ui_.errors.clear();
  std::map<std::string, Label> before;
  for (const auto& n : main().controlNames()) before[n] = main().control(n);
  auto menuState = [&] {
    std::vector<bool> state;
    std::function<void(const std::vector<MenuItem>&)> walk = [&](const auto& items) {
      for (const MenuItem& i : items) {
        state.push_back(i.state->enabled);
        walk(i.items);
      }
    };
    for (const Menu& m : main().menus()) walk(m.items);
    return state;
  };
  const std::vector<bool> menusBefore = menuState();
  std::set<std::string> expected(BusyControls(GetParam()).begin(), BusyControls(GetParam()).end());
  for (Section s : kAll) expected.insert(SectionButton(s));
  // Every section's list names existing controls.
  for (Section s : kAll)
    for (const auto& n : BusyControls(s)) EXPECT_TRUE(main().hasControl(n)) << n;

  main().SetControlsEnabled(false);
  for (const auto& n : main().controlNames()) {
    if (expected.count(n))
      EXPECT_FALSE(main().control(n).enabled) << n;
    else
      EXPECT_EQ(main().control(n).enabled, before[n].enabled) << n << " is not in the list";
  }
  EXPECT_EQ(menuState(), menusBefore) << "menus stay live";

  main().SetControlsEnabled(true);
  for (const auto& n : expected) EXPECT_TRUE(main().control(n).enabled) << n;
  EXPECT_EQ(ui_.cursor, (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(Sections, BusyState, ::testing::ValuesIn(kAll),
                         [](const auto& info) { return std::string(SectionPanel(info.param)); });

TEST_F(MainWindowTest, TheBusyListsAreThoseOfTheSections) {
  EXPECT_EQ(BusyControls(Section::PhoneBook),
            (Trace{"sbAddRecord", "sbReadAll", "sbWriteAll", "SpeedButton3"}));
  EXPECT_EQ(BusyControls(Section::DateBook),
            (Trace{"sbReadAllEvents", "sbAddEvent", "sbDeleteEvent", "SpeedButton5", "SpeedButton2",
                   "CheckBox1", "RadioGroup1", "MonthCalendar1"}));
  EXPECT_EQ(BusyControls(Section::SMS),
            (Trace{"sbSMSNew", "SpeedButton12", "sbSMSSave", "sbDeleteSMS", "sbSMSDeleteAll"}));
  EXPECT_TRUE(BusyControls(Section::Terminal).empty());
  EXPECT_TRUE(BusyControls(Section::PhoneInfo).empty());
}

// ---- Hot keys.

struct KeyCase {
  const char* name;
  Section section;
  Key key;
  KeyModifiers mods;
  Trace handlers;  // dispatched, in order
};

class HotKey : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(HotKey, DispatchesByTheSectionShown) {
  const KeyCase& c = GetParam();
  startWithoutPhone();
  // The refresh of the information section is not under test here.
  main().bind("SpeedButton1Click", [] {});
  ShowSection(main(), c.section);
  trace_.clear();
  main().FormKeyDown(c.key, c.mods);
  EXPECT_EQ(trace_, c.handlers);
}

const KeyModifiers kNone{};
const KeyModifiers kCtrl{true, false, false};
const KeyModifiers kCtrlShift{true, true, false};
const KeyModifiers kCtrlAlt{true, false, true};
const KeyModifiers kShift{false, true, false};

INSTANTIATE_TEST_SUITE_P(
    Table, HotKey,
    ::testing::Values(
        KeyCase{"F5PhoneBook", Section::PhoneBook, Key::F5, kNone, {"sbReadAllClick"}},
        KeyCase{"F5DateBook", Section::DateBook, Key::F5, kNone, {"sbReadAllEventsClick"}},
        KeyCase{"F5PhoneInfo", Section::PhoneInfo, Key::F5, kNone, {"SpeedButton1Click"}},
        KeyCase{"F5TerminalDoesNothing", Section::Terminal, Key::F5, kNone, {}},
        KeyCase{"F5SmsWhileReadingIsDisabled", Section::SMS, Key::F5, kNone, {}},
        KeyCase{"InsPhoneBook", Section::PhoneBook, Key::Insert, kNone, {"sbAddRecordClick"}},
        KeyCase{"InsDateBook", Section::DateBook, Key::Insert, kNone, {"sbAddEventClick"}},
        KeyCase{"InsSms", Section::SMS, Key::Insert, kNone, {"sbSMSNewClick"}},
        KeyCase{"InsTerminal", Section::Terminal, Key::Insert, kNone, {}},
        KeyCase{"DelPhoneBook", Section::PhoneBook, Key::Delete, kNone, {"pmDeleteClick"}},
        KeyCase{"DelDateBook", Section::DateBook, Key::Delete, kNone, {"sbDeleteEventClick"}},
        KeyCase{"DelSms", Section::SMS, Key::Delete, kNone, {"sbDeleteSMSClick"}},
        KeyCase{"DelPhoneInfo", Section::PhoneInfo, Key::Delete, kNone, {}},
        KeyCase{"ShiftF5StillRefreshes", Section::PhoneBook, Key::F5, kShift, {"sbReadAllClick"}},
        KeyCase{"Ctrl1", Section::PhoneBook, Key::Digit1, kCtrl, {"sbTerminalClick"}},
        KeyCase{"Ctrl2", Section::Terminal, Key::Digit2, kCtrl, {"sbPhoneInfoClick"}},
        KeyCase{"Ctrl3", Section::SMS, Key::Digit3, kCtrl, {"sbPhoneBookClick"}},
        KeyCase{"Ctrl4",
                Section::Terminal,
                Key::Digit4,
                kCtrl,
                {"sbDateBookClick", "CheckBox1Click", "sbReadAllEventsClick"}},
        KeyCase{"Ctrl5", Section::Terminal, Key::Digit5, kCtrl, {"sbSMSClick"}},
        KeyCase{"CtrlShift3DoesNothing", Section::Terminal, Key::Digit3, kCtrlShift, {}},
        KeyCase{"CtrlAlt3DoesNothing", Section::Terminal, Key::Digit3, kCtrlAlt, {}},
        KeyCase{"PlainDigitDoesNothing", Section::Terminal, Key::Digit3, kNone, {}},
        KeyCase{"OtherKey", Section::PhoneBook, Key::Other, kCtrl, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, F1ShowsTheHotKeyHelpInEverySection) {
  startWithoutPhone();
  for (Section s : kAll) {
    ShowSection(main(), s);
    ui_.boxes.clear();
    main().FormKeyDown(Key::F1, {});
    ASSERT_EQ(ui_.boxes.size(), 1u) << SectionPanel(s);
    EXPECT_EQ(ui_.boxes[0].kind, MsgKind::Message);
    EXPECT_EQ(ui_.boxes[0].buttons, MsgButtons::Ok);
  }
  const std::string& text = ui_.boxes[0].text;
  EXPECT_EQ(text.rfind("Help is not ready.\r\nApplication has hot keys:\r\nF1 - help\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\nCtrl + 5 - set visible SMS List"), std::string::npos);
  EXPECT_EQ(text.back(), 't') << "no line break after the last line";
}

TEST_F(MainWindowTest, CtrlDigitSwitchesSectionsAlsoWhileBusy) {
  startWithoutPhone();
  main().SetControlsEnabled(false);
  main().FormKeyDown(Key::Digit1, kCtrl);
  EXPECT_EQ(main().section(), Section::Terminal);
  main().FormKeyDown(Key::Digit3, kCtrl);
  EXPECT_EQ(main().section(), Section::PhoneBook);
  EXPECT_TRUE(main().checkBox("sbPhoneBook").checked);
  EXPECT_FALSE(main().checkBox("sbTerminal").checked);
  EXPECT_FALSE(main().control("sbPhoneBook").enabled) << "still busy";
}

TEST_F(MainWindowTest, AHotKeyClicksADisabledButtonButNotADisabledMenuItem) {
  startWithoutPhone();
  main().SetControlsEnabled(false);
  ASSERT_FALSE(main().control("sbAddRecord").enabled);
  main().FormKeyDown(Key::Insert, {});
  EXPECT_EQ(trace_, Trace{"sbAddRecordClick"});

  trace_.clear();
  main().menuItem("pmDelete").enabled = false;
  main().FormKeyDown(Key::Delete, {});
  EXPECT_TRUE(trace_.empty());
  main().menuItem("pmDelete").enabled = true;
  main().FormKeyDown(Key::Delete, {});
  EXPECT_EQ(trace_, Trace{"pmDeleteClick"});

  ShowSection(main(), Section::SMS);
  main().menuItem("pmSMSRead").enabled = true;
  trace_.clear();
  main().FormKeyDown(Key::F5, {});
  EXPECT_EQ(trace_, Trace{"pmSMSReadClick"});
}

// ---- Menus.

TEST_F(MainWindowTest, EveryMenuItemRunsTheHandlerNamedAfterIt) {
  std::set<std::string> names;
  int items = 0;
  std::function<void(const std::vector<MenuItem>&, bool)> walk =
      [&](const std::vector<MenuItem>& list, bool top) {
        for (const MenuItem& item : list) {
          EXPECT_TRUE(names.insert(item.name).second) << "duplicate " << item.name;
          if (item.isSeparator() || (top && !item.items.empty())) {
            EXPECT_TRUE(item.handler.empty()) << item.name;
          } else {
            EXPECT_EQ(item.handler, item.name + "Click");
            ++items;
          }
          walk(item.items, false);
        }
      };
  for (const Menu& m : main().menus()) walk(m.items, m.owner.empty());
  EXPECT_EQ(items, 22 + 7 + 1 + 1 + 1 + 7 + 5 + 7)
      << "the main menu with its seven export and import items, the phone backup, the restore "
         "from a backup, the bin and the three popups, without separators";
  EXPECT_EQ(main().menu("PopupMenu1").owner, "ListView1");
  EXPECT_EQ(main().menu("pmEvent").onPopup, "pmEventPopup");
  EXPECT_EQ(main().menu("pmSMS").onPopup, "pmSMSPopup");
}

struct MenuClickCase {
  const char* item;
  Trace handlers;
};

class MenuClick : public MainWindowTest, public ::testing::WithParamInterface<MenuClickCase> {};

TEST_P(MenuClick, RunsItsHandlerAndTheOneItStandsFor) {
  startWithoutPhone();
  std::function<void(std::vector<MenuItem>&)> enableAll = [&](std::vector<MenuItem>& items) {
    for (MenuItem& i : items) {
      i.state->enabled = true;
      enableAll(i.items);
    }
  };
  for (Menu& m : main().menus()) enableAll(m.items);
  main().clickMenu(GetParam().item);
  EXPECT_EQ(trace_, GetParam().handlers);
}

INSTANTIATE_TEST_SUITE_P(
    Wiring, MenuClick,
    ::testing::Values(MenuClickCase{"N4", {"N4Click", "sbReadAllClick"}},
                      MenuClickCase{"pmRefresh", {"pmRefreshClick", "sbReadAllClick"}},
                      MenuClickCase{"N6", {"N6Click", "sbAddRecordClick"}},
                      MenuClickCase{"N7", {"N7Click", "pmDeleteClick"}},
                      MenuClickCase{"N10", {"N10Click", "sbWriteAllClick"}},
                      MenuClickCase{"mnuBackUp", {"mnuBackUpClick", "pmSaveBookClick"}},
                      MenuClickCase{"N14", {"N14Click", "sbReadAllEventsClick"}},
                      MenuClickCase{"ppmClear", {"ppmClearClick", "SpeedButton5Click"}},
                      MenuClickCase{"N17", {"N17Click", "lvEventDblClick"}},
                      MenuClickCase{"N18", {"N18Click", "pmSMSReadClick"}},
                      MenuClickCase{"N20", {"N20Click", "pmSMSDeleteClick", "sbDeleteSMSClick"}},
                      MenuClickCase{"mnuSaveSMS",
                                    {"mnuSaveSMSClick", "pmSMSSaveClick", "sbSMSSaveClick"}},
                      MenuClickCase{"N9", {"N9Click"}},
                      MenuClickCase{"pmMarkasRead", {"pmMarkasReadClick"}}),
    [](const auto& info) { return std::string(info.param.item); });

TEST_F(MainWindowTest, ADisabledItemOrAnItemOfADisabledMenuDoesNothing) {
  startWithoutPhone();  // the date book and SMS menus are disabled now
  main().clickMenu("N14");
  main().clickMenu("N19");
  main().menuItem("N6").enabled = false;
  main().clickMenu("N6");
  main().clickMenu("N11");  // a separator
  EXPECT_TRUE(trace_.empty());
  main().menuItem("N6").enabled = true;
  main().clickMenu("N6");
  EXPECT_EQ(trace_, (Trace{"N6Click", "sbAddRecordClick"}));
}

TEST_F(MainWindowTest, BindingAHandlerReachesItFromEveryItemThatStandsForIt) {
  startWithoutPhone();
  int reads = 0;
  // The item runs the phone book's read, which its section binds; none is bound here.
  EXPECT_FALSE(main().isBound("N4Click"));
  main().bind("sbReadAllClick", [&] { ++reads; });
  EXPECT_TRUE(main().isBound("N4Click"));
  EXPECT_TRUE(main().isBound("sbReadAllClick"));
  EXPECT_FALSE(main().isBound("sbReadAllsClick"));
  main().click("sbReadAll");
  main().clickMenu("N4");
  main().clickMenu("pmRefresh");
  main().FormKeyDown(Key::F5, {});
  EXPECT_EQ(reads, 4);
}

// Without a section the header clicks sort the window's own lists, with one direction for
// all three.
TEST_F(MainWindowTest, HeaderClicksSortTheListsWithOneDirection) {
  startWithoutPhone();
  for (ListModel* list : {&main().ListView1, &main().lvEvent, &main().lvSMS})
    for (const char* text : {"b", "C", "a"}) list->add("1").subItems = {{text, kNoImage}};
  const struct {
    const char* handler;
    ListModel* list;
    const char* first;
    int image;
  } clicks[] = {{"ListView1ColumnClick", &main().ListView1, "a", 25},
                {"lvSMSColumnClick", &main().lvSMS, "C", 24},
                {"lvEventColumnClick", &main().lvEvent, "a", 25},
                {"lvEventColumnClick", &main().lvEvent, "C", 24}};
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.handler);
    main().clickedColumn = 1;
    main().fire(c.handler);
    EXPECT_EQ(c.list->rows.front().subItems[0].text, c.first);
    EXPECT_EQ(c.list->columns[1].image, c.image);
    EXPECT_EQ(main().sort.SortColumn, 1);
  }
}

TEST_F(MainWindowTest, TheWindowsOwnMenuItems) {
  startWithoutPhone();
  writeFile("info.txt", "first");
  main().clickMenu("mnuHelp2");
  EXPECT_EQ(main().help.RichEdit1.text, "first");
  writeFile("info.txt", "{\\rtf1 second}");
  main().clickMenu("mnuHelp2");
  EXPECT_EQ(main().help.RichEdit1.text, "{\\rtf1 second}") << "read again on every showing";
  EXPECT_TRUE(main().help.RichEdit1.rich);

  main().clickMenu("mnuAbout");
  EXPECT_EQ(main().aboutBox.Version, "Version: 2.9.1.0");
  EXPECT_EQ(main().aboutBox.ProductName, "Product Name: Quorvex");

  main().app.settings().PortName = "/dev/ttyUSB3";
  main().clickMenu("mnuPortConfig");
  EXPECT_EQ(main().commConfig.cbComSelect.text, "/dev/ttyUSB3") << "the dialog's FormShow ran";

  main().clickMenu("mnuFont");
  EXPECT_EQ(shown_, (Trace{"TfrmHelp", "TfrmHelp", "TAboutBox", "TfrmCommConfig", "FontDialog1"}));
  EXPECT_TRUE(ui_.errors.empty());

  EXPECT_FALSE(main().closeRequested());
  main().clickMenu("mnuExit");
  EXPECT_TRUE(main().closeRequested());
}

TEST_F(MainWindowTest, AMissingHelpFileShowsTheErrorAndNoWindow) {
  startWithoutPhone();
  main().clickMenu("mnuHelp2");
  EXPECT_EQ(ui_.errors, Trace{"File not found"});
  EXPECT_TRUE(shown_.empty());
}

TEST_F(MainWindowTest, AnEscapingErrorEndsInTheStandardBoxAndTheWindowGoesOn) {
  startWithoutPhone();
  main().bind("sbSMSNewClick", [] { throw EConvertError("'x' is not a valid integer value"); });
  ShowSection(main(), Section::SMS);
  main().FormKeyDown(Key::Insert, {});
  main().click("sbSMSNew");
  EXPECT_EQ(ui_.errors.size(), 2u);
  EXPECT_EQ(main().section(), Section::SMS);
}

// ---- Against the simulated handset.

TEST_F(MainWindowTest, CtrlTwoReadsTheSevenItemsAndRefreshReadsTheGauges) {
  sim::SimOptions o;
  o.model = "T720i";
  auto& phone = startPhone(o);
  main().FormKeyDown(Key::Digit2, kCtrl);
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_EQ(phone.transcript(),
            (Trace{"AT+CGSN", "AT+CIMI", "AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CBC", "AT+CSQ"}));
  EXPECT_EQ(main().info.edtModel, "Motorola T720i");
  EXPECT_EQ(main().info.SpeedButton11Caption, Ru("Синхронизировать\r\nвремя"));
  EXPECT_EQ(main().section(), Section::PhoneInfo);

  phone.clearTranscript();
  main().FormKeyDown(Key::F5, {});
  EXPECT_EQ(phone.transcript(), (Trace{"AT+CBC", "AT+CSQ"}));
}

TEST_F(MainWindowTest, TheTerminalSendsThePickedCommandAndTheClockButtonSetsTheClock) {
  auto& phone = startPhone();
  ShowSection(main(), Section::Terminal);
  main().pickedCommand = 2;
  main().fire("cbCommandClick");
  EXPECT_EQ(main().terminal.cbCommandText, "AT+CGMM");
  EXPECT_EQ(main().terminal.mmDescriptionCommand, "AT+CGMM: Query phone model.");
  main().click("btnSendCommand");
  EXPECT_EQ(phone.transcript(), Trace{"AT+CGMM"});
  EXPECT_NE(main().terminal.mmTerminal.find("OK\r\n"), std::string::npos);
  main().click("sbClear");
  EXPECT_EQ(main().terminal.mmTerminal, "");

  phone.clearTranscript();
  main().click("SpeedButton11");
  EXPECT_EQ(phone.transcript(), Trace{"AT+CCLK=\"26/03/05,09:04:07\""});
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru("Дата и время синхронизированы!!!"));
}

}  // namespace
}  // namespace quorvex
