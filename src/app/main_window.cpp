#include "app/main_window.h"

#include <stdexcept>

#include "app/file_menu.h"
#include "codec/ru.h"
#include "info/clock_sync.h"

namespace quorvex {

const char* const kHotKeyHelp =
    "Help is not ready.\r\nApplication has hot keys:\r\nF1 - help\r\n"
    "F5 - refresh data (phone book/date book/sms)\r\n"
    "Ins - open edit window (add record/add event/new sms)\r\n"
    "Del - delete selected item(s)\r\nCtrl + 1 - set visible Terminal\r\n"
    "Ctrl + 2 - set visible Phone Information\r\nCtrl + 3 - set visible Phonebook\r\n"
    "Ctrl + 4 - set visible Datebook\r\nCtrl + 5 - set visible SMS List";

namespace {

constexpr Section kSections[] = {Section::Terminal, Section::PhoneInfo, Section::PhoneBook,
                                 Section::DateBook, Section::SMS};

int Slot(Section s) {
  return static_cast<int>(s);
}

// Menu items that only run another handler: the one a button or another item runs.
const std::map<std::string, std::string, std::less<>>& HandlerAliases() {
  static const std::map<std::string, std::string, std::less<>> aliases = {
      {"N4Click", "sbReadAllClick"},
      {"pmRefreshClick", "sbReadAllClick"},
      {"N5Click", "sbAddRecordClick"},
      {"N6Click", "sbAddRecordClick"},
      {"N7Click", "pmDeleteClick"},
      {"N10Click", "sbWriteAllClick"},
      {"mnuBackUpClick", "pmSaveBookClick"},
      {"mnuRestoreClick", "pmLoadRecordClick"},
      {"N14Click", "sbReadAllEventsClick"},
      {"ppmReadAllEventsClick", "sbReadAllEventsClick"},
      {"N15Click", "sbAddEventClick"},
      {"ppmAddEventClick", "sbAddEventClick"},
      {"N16Click", "sbDeleteEventClick"},
      {"ppmDeleteClick", "sbDeleteEventClick"},
      {"N17Click", "lvEventDblClick"},
      {"ppmEditEventClick", "lvEventDblClick"},
      {"ppmClearClick", "SpeedButton5Click"},
      {"N18Click", "pmSMSReadClick"},
      {"N19Click", "sbSMSNewClick"},
      {"pmSMSNewClick", "sbSMSNewClick"},
      {"pmSMSDeleteClick", "sbDeleteSMSClick"},
      {"N20Click", "pmSMSDeleteClick"},
      {"N22Click", "sbSMSDeleteAllClick"},
      {"pmSMSSaveClick", "sbSMSSaveClick"},
      {"mnuSaveSMSClick", "pmSMSSaveClick"},
  };
  return aliases;
}

MenuItem* FindItem(std::vector<MenuItem>& items, std::string_view name) {
  for (auto& item : items) {
    if (item.name == name) return &item;
    if (MenuItem* found = FindItem(item.items, name)) return found;
  }
  return nullptr;
}

// The chain of items from the menu bar down to name; empty when name is not there.
bool PathTo(const std::vector<MenuItem>& items, std::string_view name,
            std::vector<const MenuItem*>& path) {
  for (const auto& item : items) {
    path.push_back(&item);
    if (item.name == name || PathTo(item.items, name, path)) return true;
    path.pop_back();
  }
  return false;
}

}  // namespace

const char* SectionButton(Section s) {
  static const char* const names[] = {"sbTerminal", "sbPhoneInfo", "sbPhoneBook", "sbDateBook",
                                      "sbSMS"};
  return names[Slot(s)];
}

const char* SectionPanel(Section s) {
  static const char* const names[] = {"plTerminal", "plPhoneInfo", "plPhoneBook", "plDateBook",
                                      "plSMS"};
  return names[Slot(s)];
}

const std::vector<std::string>& BusyControls(Section s) {
  static const std::vector<std::string> none;
  static const std::vector<std::string> phoneBook = {"sbAddRecord", "sbReadAll", "sbWriteAll",
                                                     "SpeedButton3"};
  static const std::vector<std::string> dateBook = {
      "sbReadAllEvents", "sbAddEvent", "sbDeleteEvent", "SpeedButton5",
      "SpeedButton2",    "CheckBox1",  "RadioGroup1",   "MonthCalendar1"};
  static const std::vector<std::string> sms = {"sbSMSNew", "SpeedButton12", "sbSMSSave",
                                               "sbDeleteSMS", "sbSMSDeleteAll"};
  switch (s) {
    case Section::PhoneBook:
      return phoneBook;
    case Section::DateBook:
      return dateBook;
    case Section::SMS:
      return sms;
    default:
      return none;
  }
}

const std::vector<const char*>& FileItemsOf(Section s) {
  static const std::vector<const char*> none;
  static const std::vector<const char*> phoneBook = {"mnuVCardExport30", "mnuVCardExport21",
                                                     "mnuVCardImport"};
  static const std::vector<const char*> dateBook = {"mnuICalExport", "mnuICalImport"};
  static const std::vector<const char*> sms = {"mnuSMSExportCsv", "mnuSMSExportMbox"};
  switch (s) {
    case Section::PhoneBook:
      return phoneBook;
    case Section::DateBook:
      return dateBook;
    case Section::SMS:
      return sms;
    default:
      return none;
  }
}

TfrmMain::TfrmMain(UserInterface& ui, std::string settingsPath)
    : app(ui, settingsPath), commConfig(app.settings(), settingsPath) {
  buildControls();
  buildMenus();
  bindOwnHandlers();
  const LocalTime today = ui.now();
  MonthCalendar1Date = {today.year, today.month, today.day};
}

Label& TfrmMain::addControl(const std::string& name, std::string caption, bool enabled,
                            bool visible) {
  CheckBox& c = ownControls_[name];
  c.caption = std::move(caption);
  c.enabled = enabled;
  c.visible = visible;
  controls_[name] = &c;
  return c;
}

void TfrmMain::attachControl(const std::string& name, Label& state, bool enabled, bool visible) {
  state.enabled = enabled;
  state.visible = visible;
  controls_[name] = &state;
}

void TfrmMain::addCheckBox(const std::string& name, CheckBox& state) {
  checkBoxes_[name] = &state;
}

void TfrmMain::buildControls() {
  // The frame.
  addControl("sbTerminal", Ru("Терминал"));
  addControl("sbPhoneInfo", Ru("Информация"));
  addControl("sbPhoneBook", Ru("Справочник"));
  addControl("sbDateBook", Ru("Ежедневник"));
  addControl("sbSMS", "SMS");
  for (Section s : kSections) addCheckBox(SectionButton(s), ownControls_[SectionButton(s)]);
  checkBox("sbPhoneBook").checked = true;

  // Terminal.
  addControl("Label6", Ru("Команда:"));
  addControl("btnSendCommand", Ru("Послать"));
  addControl("sbClear", Ru("Очистить"));
  addControl("Label2", Ru("Описание команды:"));

  // Phone information: the captions of its two buttons live in the section's model.
  addControl("SpeedButton1");
  addControl("SpeedButton11");

  // Phone book. The write-all button is hidden and disabled by design and never shown.
  phoneBook.sbAddRecord.caption = Ru("Добавить");
  attachControl("sbAddRecord", phoneBook.sbAddRecord);
  addControl("sbReadAll", Ru("Читать все"));
  addControl("sbWriteAll", Ru("Записать все"), false, false);
  addControl("SpeedButton3", Ru("Очистить"));
  addControl("Label4", Ru("Занято:"));
  attachControl("Label9", phoneBook.Label9, true, false);

  // Date book: the section's own captions; the box is clear and the calendar hidden until
  // the section is first shown.
  datebook::DateBookSection& d = dateBook;
  attachControl("sbReadAllEvents", d.sbReadAllEvents);
  attachControl("sbAddEvent", d.sbAddEvent);
  attachControl("sbDeleteEvent", d.sbDeleteEvent);
  attachControl("SpeedButton5", d.SpeedButton5);
  attachControl("SpeedButton2", d.SpeedButton2);
  attachControl("CheckBox1", d.CheckBox1);
  addCheckBox("CheckBox1", d.CheckBox1);
  d.CheckBox1.checked = false;
  attachControl("RadioGroup1", d.RadioGroup1);
  attachControl("MonthCalendar1", d.MonthCalendar1, true, false);
  attachControl("Label5", d.Label5);
  attachControl("lblReadEvent", d.lblReadEvent);
  attachControl("lblAllEvent", d.lblAllEvent);
  attachControl("Label8", d.Label8);

  // Messages.
  addControl("sbSMSNew", Ru("Новое"));
  addControl("sbSMSSave", Ru("Сохранить"));
  addControl("SpeedButton12", Ru("Очистить"));
  addControl("sbDeleteSMS", Ru("Удалить"));
  addControl("sbSMSDeleteAll", Ru("Удалить все"));
  addControl("Label7", Ru("Текст сообщения"));

  // The one stop button of the window, beside the status text: shown while a long operation
  // of any section runs.
  addControl("sbStop", Ru("Остановить"), true, false);
}

void TfrmMain::ShowActivity() {
  control("sbStop").visible = app.stop().running();
}

std::string TfrmMain::statusText() {
  if (!app.stop().running()) return app.stop().outcome();
  // A phone backup runs the sections' reads in turn; the line says which of its parts runs.
  if (!backupProgress.part.empty())
    return Ru("Резервная копия телефона, ") + backupProgress.bar.Figure + ": " +
           app.stop().activity();
  return app.stop().activity();
}

void TfrmMain::bindOwnHandlers() {
  for (const auto& [alias, target] : HandlerAliases()) {
    const std::string to = target;
    bind(alias, [this, to] { dispatch(to); });
  }
  bind("sbTerminalClick", [this] { sbTerminalClick(); });
  bind("sbPhoneInfoClick", [this] { sbPhoneInfoClick(); });
  bind("sbPhoneBookClick", [this] { sbPhoneBookClick(); });
  bind("sbDateBookClick", [this] { sbDateBookClick(); });
  bind("sbSMSClick", [this] { sbSMSClick(); });
  bind("ListView1ColumnClick", [this] {
    // A sort in the middle of writing every row would write some rows twice and skip others.
    if (!phoneBook.writingAll()) ColumnClick(ListView1, clickedColumn, sort);
  });
  bind("lvEventColumnClick", [this] { ColumnClick(lvEvent, clickedColumn, sort); });
  bind("lvSMSColumnClick", [this] { ColumnClick(lvSMS, clickedColumn, sort); });

  bind("btnSendCommandClick", [this] { terminal.btnSendCommandClick(app); });
  bind("sbClearClick", [this] { terminal.sbClearClick(); });
  bind("cbCommandClick", [this] { terminal.cbCommandClick(pickedCommand); });
  bind("SpeedButton1Click", [this] { info.SpeedButton1Click(app); });
  bind("SpeedButton11Click", [this] { SpeedButton11Click(app); });
  bind("CheckBox1Click", [this] { dateBook.CheckBox1Click(); });
  // "Остановить" and Escape while a long operation runs.
  bind("sbStopClick", [this] {
    phoneBook.sbStopClick();
    app.stop().request();
  });

  bind("mnuExitClick", [this] { closeRequested_ = true; });
  bind("mnuBinClick", [this] {
    frmBin.Restore = [this](const std::vector<BinRecord>& chosen) {
      return RestoreBinRecords(app, phoneBook, dateBook, messages, chosen);
    };
    frmBin.Show(app.ui(), app.binPath);
  });
  bind("mnuRestoreBackupClick", [this] {
    backup::RestoreFromBackupClick(app, phoneBook, dateBook, messages, frmRestore,
                                   pbReadAllRecords);
  });
  bind("mnuPhoneBackupClick", [this] {
    BackupWholePhone(app, {phoneBook, dateBook, messages}, backupProgress, chooseBackupFile);
  });
  bind("mnuFontClick", [this] {
    if (showModal) showModal("FontDialog1");
  });
  bind("mnuPortConfigClick", [this] {
    commConfig.FormShow();
    if (showModal) showModal("TfrmCommConfig");
  });
  bind("mnuHelp2Click", [this] {
    // The file is read before the window opens, so a missing file shows no empty window.
    help.FormShow();
    if (showModal) showModal("TfrmHelp");
  });
  bind("mnuAboutClick", [this] {
    aboutBox.Fill();
    if (showModal) showModal("TAboutBox");
  });
}

// ---- State.

Section TfrmMain::section() const {
  for (Section s : kSections)
    if (checkBox(SectionButton(s)).checked) return s;
  return Section::PhoneBook;
}

bool TfrmMain::panelVisible(Section s) const {
  return panels_[Slot(s)];
}

Label& TfrmMain::control(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) throw std::out_of_range("no control " + std::string(name));
  return *it->second;
}

const Label& TfrmMain::control(std::string_view name) const {
  return const_cast<TfrmMain*>(this)->control(name);
}

CheckBox& TfrmMain::checkBox(std::string_view name) {
  auto it = checkBoxes_.find(name);
  if (it == checkBoxes_.end()) throw std::out_of_range("no check box " + std::string(name));
  return *it->second;
}

const CheckBox& TfrmMain::checkBox(std::string_view name) const {
  return const_cast<TfrmMain*>(this)->checkBox(name);
}

bool TfrmMain::isCheckBox(std::string_view name) const {
  return checkBoxes_.find(name) != checkBoxes_.end();
}

bool TfrmMain::hasControl(std::string_view name) const {
  return controls_.find(name) != controls_.end();
}

std::vector<std::string> TfrmMain::controlNames() const {
  std::vector<std::string> names;
  for (const auto& [name, state] : controls_) names.push_back(name);
  return names;
}

const MenuItem& TfrmMain::menuEntry(std::string_view name) const {
  for (auto& m : const_cast<TfrmMain*>(this)->menus_)
    if (MenuItem* item = FindItem(m.items, name)) return *item;
  throw std::out_of_range("no menu item " + std::string(name));
}

Label& TfrmMain::menuItem(std::string_view name) {
  return *menuEntry(name).state;
}

const Label& TfrmMain::menuItem(std::string_view name) const {
  return *menuEntry(name).state;
}

const Menu& TfrmMain::menu(std::string_view name) const {
  for (const auto& m : menus_)
    if (m.name == name) return m;
  throw std::out_of_range("no menu " + std::string(name));
}

bool TfrmMain::menuPathEnabled(std::string_view item) const {
  for (const auto& m : menus_) {
    std::vector<const MenuItem*> path;
    if (!PathTo(m.items, item, path)) continue;
    for (const MenuItem* p : path)
      if (!p->state->enabled || !p->state->visible) return false;
    return true;
  }
  throw std::out_of_range("no menu item " + std::string(item));
}

// ---- Handlers.

void TfrmMain::bind(const std::string& handler, Handler fn) {
  handlers_[handler] = std::move(fn);
}

bool TfrmMain::isBound(std::string_view handler) const {
  if (handlers_.find(handler) == handlers_.end()) return false;
  const auto alias = HandlerAliases().find(handler);
  return alias == HandlerAliases().end() || isBound(alias->second);
}

void TfrmMain::dispatch(std::string_view handler) {
  if (onDispatch) onDispatch(std::string(handler));
  auto it = handlers_.find(handler);
  if (it == handlers_.end()) return;
  // A copy: a handler may rebind its own name while it runs.
  Handler fn = it->second;
  fn();
}

std::string TfrmMain::clickHandler(std::string_view control) {
  return std::string(control) + "Click";
}

void TfrmMain::handleEvent(const std::function<void()>& fn) {
  RunHandler(ui(), fn);
}

void TfrmMain::click(std::string_view name) {
  control(name);  // an unknown name is a programming error, not a click
  handleEvent([&] { dispatch(clickHandler(name)); });
}

void TfrmMain::clickMenu(std::string_view name) {
  const MenuItem& item = menuEntry(name);
  if (!menuPathEnabled(name) || item.handler.empty()) return;
  const std::string handler = item.handler;
  handleEvent([&] { dispatch(handler); });
}

void TfrmMain::popup(std::string_view name) {
  const std::string handler = menu(name).onPopup;
  handleEvent([&] { dispatch(handler); });
}

void TfrmMain::fire(std::string_view handler) {
  handleEvent([&] { dispatch(handler); });
}

// ---- Start-up.

void TfrmMain::FormCreate() {
  formCreateSteps_.clear();
  auto done = [this](int step) { formCreateSteps_.push_back(step); };
  handleEvent([&] {
    app.LoadPortSettings();
    done(1);
    terminal.FillCommandList();
    done(2);
    DialogAccepted = false;
    done(3);
    control("sbReadAll").caption = Ru("Читать\r\nвсе...");
    control("sbWriteAll").caption = Ru("Записать\r\nвсе...");
    done(4);
    width_ = kWindowWidth;
    height_ = kWindowHeight;
    done(5);
    showSection(Section::PhoneBook);
    done(6);
    done(7);  // the panels' places: the view lays them out beside the buttons
    menuItem("mnuDateBook").enabled = false;
    menuItem("mnuSMS").enabled = false;
    menuItem("mnuPhoneBook").enabled = true;
    menuItem("mnuSaveSMS").enabled = false;
    // The file items of the sections start as their section's menu does.
    for (const char* name : FileItemsOf(Section::DateBook)) menuItem(name).enabled = false;
    for (const char* name : FileItemsOf(Section::SMS)) menuItem(name).enabled = false;
    done(8);
    done(9);   // the panels fill the client area beside the buttons
    done(10);  // the terminal's frame sits in its panel's corner
    if (ListView1.rows.empty()) control("sbAddRecord").enabled = false;
    done(11);
  });
}

// ---- Sections.

void TfrmMain::showSection(Section s) {
  for (Section other : kSections) {
    panels_[Slot(other)] = other == s;
    // The button goes down with its panel, so that the hot keys, which ask the buttons,
    // always see the section that is shown, also when the section's own work then fails.
    checkBox(SectionButton(other)).checked = other == s;
  }
}

void TfrmMain::setSectionMenus(bool phoneBook, bool dateBook, bool sms, bool saveSms, bool backup) {
  menuItem("mnuPhoneBook").enabled = phoneBook;
  menuItem("mnuDateBook").enabled = dateBook;
  menuItem("mnuSMS").enabled = sms;
  menuItem("mnuSaveSMS").enabled = saveSms;
  menuItem("mnuBackUp").enabled = backup;
  menuItem("mnuRestore").enabled = backup;
  // The vCard items go with the phone book's own file items, the calendar with the date
  // book's menu, the message exports with "Сохранить SMS".
  for (const char* name : FileItemsOf(Section::PhoneBook)) menuItem(name).enabled = backup;
  for (const char* name : FileItemsOf(Section::DateBook)) menuItem(name).enabled = dateBook;
  for (const char* name : FileItemsOf(Section::SMS)) menuItem(name).enabled = saveSms;
}

void TfrmMain::sbTerminalClick() {
  showSection(Section::Terminal);
  setSectionMenus(false, false, false, false, false);
}

void TfrmMain::sbPhoneInfoClick() {
  showSection(Section::PhoneInfo);
  setSectionMenus(false, false, false, false, false);
  info.sbPhoneInfoClick(app);
}

void TfrmMain::sbPhoneBookClick() {
  showSection(Section::PhoneBook);
  setSectionMenus(true, false, false, false, true);
  if (ListView1.rows.empty()) control("sbAddRecord").enabled = false;
}

void TfrmMain::sbDateBookClick() {
  showSection(Section::DateBook);
  setSectionMenus(false, true, false, false, false);
  const LocalTime today = ui().now();
  MonthCalendar1Date = {today.year, today.month, today.day};
  checkBox("CheckBox1").checked = true;
  dispatch("CheckBox1Click");  // ticking the box runs its click handler, as a click would
  control("lblReadEvent").caption = "0";
  control("lblAllEvent").caption = Ru("из ") + "0";
  dispatch("sbReadAllEventsClick");
}

void TfrmMain::sbSMSClick() {
  showSection(Section::SMS);
  setSectionMenus(false, false, true, true, false);
  tvSMSExpanded = true;
  menuItem("pmSMSRead").enabled = false;
  menuItem("N18").enabled = false;
}

void TfrmMain::SetControlsEnabled(bool enabled) {
  for (Section s : kSections) control(SectionButton(s)).enabled = enabled;
  for (Section s : kSections)
    if (panelVisible(s))
      for (const auto& name : BusyControls(s)) control(name).enabled = enabled;
  ui().setBusyCursor(!enabled);
}

// ---- Hot keys.

void TfrmMain::FormKeyDown(Key key, KeyModifiers modifiers) {
  handleEvent([&] {
    if (key == Key::F1) ui().messageBox(kHotKeyHelp, MsgKind::Message, MsgButtons::Ok);
    const Section s = section();
    if (key == Key::F5) {
      if (s == Section::PhoneBook) dispatch("sbReadAllClick");
      if (s == Section::DateBook) dispatch("sbReadAllEventsClick");
      if (s == Section::SMS && menuPathEnabled("pmSMSRead")) dispatch("pmSMSReadClick");
      if (s == Section::PhoneInfo) dispatch("SpeedButton1Click");
    }
    if (key == Key::Insert) {
      if (s == Section::PhoneBook) dispatch("sbAddRecordClick");
      if (s == Section::DateBook) dispatch("sbAddEventClick");
      if (s == Section::SMS) dispatch("sbSMSNewClick");
    }
    if (key == Key::Delete) {
      if (s == Section::PhoneBook && menuPathEnabled("pmDelete")) dispatch("pmDeleteClick");
      if (s == Section::DateBook) dispatch("sbDeleteEventClick");
      if (s == Section::SMS) dispatch("sbDeleteSMSClick");
    }
    const bool ctrlOnly = modifiers.ctrl && !modifiers.shift && !modifiers.alt;
    if (ctrlOnly && key >= Key::Digit1 && key <= Key::Digit5) {
      const Section target = kSections[static_cast<int>(key) - static_cast<int>(Key::Digit1)];
      dispatch(clickHandler(SectionButton(target)));
      for (Section other : kSections) checkBox(SectionButton(other)).checked = other == target;
    }
  });
}

}  // namespace quorvex
