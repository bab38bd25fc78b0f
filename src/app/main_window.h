// The main window `TfrmMain` as plain data and handlers: which section is shown, the state
// of the frame's buttons and menus, the busy state, the hot keys and the start-up. The Qt
// window mirrors this state and forwards every click and key to it; the CLI and the tests
// drive it directly.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/bin_dialog.h"
#include "backup/restore.h"
#include "backup/whole_phone_read.h"
#include "core/app_state.h"
#include "core/controls.h"
#include "core/list_model.h"
#include "core/list_sort.h"
#include "core/user_interface.h"
#include "datebook/date_book_section.h"
#include "info/about_help.h"
#include "info/comm_config.h"
#include "info/phone_info.h"
#include "info/terminal.h"
#include "messages/sms_section.h"
#include "phonebook/phonebook_section.h"

namespace quorvex {

enum class Section { Terminal, PhoneInfo, PhoneBook, DateBook, SMS };

// An item of a menu. Its caption and enabled state are the window's own, or those of the
// section the item belongs to (the section enables its popup items itself).
struct MenuItem {
  std::string name;
  std::string handler;  // empty for separators and for menus that only open
  Label* state;         // caption cp1251; "-" is a separator line
  std::vector<MenuItem> items;
  bool isSeparator() const { return state->caption == "-"; }
};

struct Menu {
  std::string name;     // MainMenu1, PopupMenu1, pmEvent, pmSMS
  std::string owner;    // the list a popup belongs to; empty for the main menu
  std::string onPopup;  // the handler run when the popup opens
  std::vector<MenuItem> items;
};

// The keys the window's key preview acts on.
enum class Key { Other, F1, F5, Insert, Delete, Digit1, Digit2, Digit3, Digit4, Digit5 };
struct KeyModifiers {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// The F1 box.
extern const char* const kHotKeyHelp;

inline constexpr int kWindowWidth = 756;
inline constexpr int kWindowHeight = 456;
inline constexpr int kButtonColumnWidth = 101;

class TfrmMain {
 public:
  explicit TfrmMain(UserInterface& ui, std::string settingsPath = kPortSettingsFile);
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  UserInterface& ui() { return app.ui(); }

  AppState app;  // the port settings and the port every operation opens
  Terminal terminal;
  PhoneInfoSection info;
  TfrmCommConfig commConfig;
  TAboutBox aboutBox;
  TfrmHelp help;
  // The sections' own state: the window shows their lists, tree, memo and bars, not copies.
  phonebook::PhoneBookSection phoneBook;
  datebook::DateBookSection dateBook;
  sms::SmsSection messages;
  TfrmBin frmBin;                  // "Файл" -> "Корзина..."
  backup::TfrmRestore frmRestore;  // "Файл" -> "Восстановить из копии..."
  // "Файл" -> "Резервная копия телефона...": the part of the handset its read is at, for the
  // status bar; and its save dialog, which proposes a name (the view sets it; unset, the
  // seam's save dialog).
  WholeReadProgress backupProgress;
  std::function<std::optional<std::string>(const std::string& proposed)> chooseBackupFile;
  ListModel& ListView1 = phoneBook.ListView1;
  ListModel& lvEvent = dateBook.lvEvent;
  ListModel& lvSMS = messages.lvSMS;
  std::vector<sms::TreeNode>& tvSMS = messages.tvSMS;
  int& tvSMSSelected = messages.tvSMSSelected;  // state index of the selected node, -1 none
  bool& tvSMSExpanded = messages.tvSMSExpanded;
  std::string& mmSMS = messages.mmSMS;  // the text of the clicked message
  ProgressBar& pbReadAllRecords = phoneBook.pbReadAllRecords;
  ProgressBar& pbFullRecord = phoneBook.pbFullRecord;
  ProgressBar& pbReadEvent = dateBook.pbReadEvent;
  ProgressBar& pbReadSMS = messages.pbReadSMS;
  std::vector<std::string>& RadioGroup1Items = dateBook.RadioGroup1.items;
  int& RadioGroup1ItemIndex = dateBook.RadioGroup1.itemIndex;
  CalendarDate& MonthCalendar1Date = dateBook.MonthCalendar1Date;
  bool DialogAccepted = false;
  // Arguments of the events that carry one: the row picked from cbCommand (its
  // cbCommandClick) and the column whose header was clicked (the lists' ColumnClick).
  int pickedCommand = -1;
  int clickedColumn = -1;
  // SortDescending and SortColumn, one pair for the three lists.
  ListSortState sort;

  // Start-up, in its fixed order. A missing or unreadable portcfg.ini ends in the standard
  // error box and the later steps are skipped; the window stays as designed.
  void FormCreate();
  // How far FormCreate got: every step that ran, by number (1 to 11).
  const std::vector<int>& formCreateSteps() const { return formCreateSteps_; }

  // ---- State the view mirrors. A control or menu item of a section is the section's own
  // model; the frame's are the window's. Each throws std::out_of_range for an unknown name.
  Section section() const;  // the section whose button is down
  bool panelVisible(Section s) const;
  Label& control(std::string_view name);
  const Label& control(std::string_view name) const;
  // The section buttons (down while their section is shown) and the date book's check box.
  CheckBox& checkBox(std::string_view name);
  const CheckBox& checkBox(std::string_view name) const;
  bool hasControl(std::string_view name) const;
  bool isCheckBox(std::string_view name) const;
  std::vector<std::string> controlNames() const;
  Label& menuItem(std::string_view name);
  const Label& menuItem(std::string_view name) const;
  // The item in its menu, with the items under it.
  const MenuItem& menuEntry(std::string_view name) const;
  std::vector<Menu>& menus() { return menus_; }
  const Menu& menu(std::string_view name) const;
  int width() const { return width_; }
  int height() const { return height_; }
  bool closeRequested() const { return closeRequested_; }

  // ---- Events from the view. Each runs under the application's error handling: an
  // exception that escapes ends in the standard error box and the program goes on.
  //
  // A click of a button: its handler runs whatever the button's enabled state (a view does
  // not deliver mouse clicks of disabled buttons; the hot keys click them regardless).
  void click(std::string_view control);
  // A click of a menu item: nothing happens while the item or a menu above it is disabled.
  void clickMenu(std::string_view item);
  // A popup menu opens: its on-popup handler runs.
  void popup(std::string_view menu);
  // Any named event of the window (list double clicks, tree clicks, edits).
  void fire(std::string_view handler);
  // Runs view code that changes the model (a picked row, a typed text) under the same error
  // handling as the events above.
  void handleEvent(const std::function<void()>& fn);
  // The key preview; the key is passed on to the focused control afterwards in any case.
  void FormKeyDown(Key key, KeyModifiers modifiers);

  // ---- The window's operations.
  void SetControlsEnabled(bool enabled);
  // The stop button is shown while a long operation runs; the view asks before it syncs.
  void ShowActivity();
  // The status bar: what runs, else how far the last stopped operation got (cp1251).
  std::string statusText();
  void sbTerminalClick();
  void sbPhoneInfoClick();
  void sbPhoneBookClick();
  void sbDateBookClick();
  void sbSMSClick();

  // ---- Handlers by name. The window's own are bound at construction; the feature
  // handlers of the sections are bound by their owners. A handler that is not bound does
  // nothing. Binding a name replaces what was bound to it.
  using Handler = std::function<void()>;
  void bind(const std::string& handler, Handler fn);
  // Whether a handler runs something: a function is bound to its name and, where the name
  // only runs another handler, to that one as well.
  bool isBound(std::string_view handler) const;
  // Runs a handler by name without catching (the caller's own handling applies).
  void dispatch(std::string_view handler);
  // The handler a button's click runs.
  static std::string clickHandler(std::string_view control);
  // Every dispatched handler name, for tests and diagnostics.
  std::function<void(const std::string&)> onDispatch;

  // Shows one of the program's dialogs modally ("TfrmCommConfig", "TAboutBox", "TfrmHelp",
  // "TfrmOption", "FontDialog1"); the view sets it. Without it nothing is shown.
  std::function<void(const std::string& form)> showModal;

 private:
  Label& addControl(const std::string& name, std::string caption = {}, bool enabled = true,
                    bool visible = true);
  // A control whose model a section owns; the window sets its design state.
  void attachControl(const std::string& name, Label& state, bool enabled = true,
                     bool visible = true);
  void addCheckBox(const std::string& name, CheckBox& state);
  MenuItem item(const char* name, std::string_view caption, const char* handler);
  MenuItem sectionItem(Label& state, const char* name, std::string_view caption,
                       const char* handler);
  MenuItem separator(const char* name);
  MenuItem submenu(const char* name, std::string_view caption, std::vector<MenuItem> items);
  void buildControls();
  void buildMenus();
  void bindOwnHandlers();
  void showSection(Section s);
  void setSectionMenus(bool phoneBook, bool dateBook, bool sms, bool saveSms, bool backup);
  bool menuPathEnabled(std::string_view item) const;

  std::map<std::string, Label*, std::less<>> controls_;
  std::map<std::string, CheckBox*, std::less<>> checkBoxes_;
  // The frame's own controls and menu items; a map keeps each where the pointers find it.
  std::map<std::string, CheckBox, std::less<>> ownControls_;
  std::map<std::string, Label, std::less<>> ownItems_;
  std::vector<Menu> menus_;
  std::map<std::string, Handler, std::less<>> handlers_;
  std::vector<int> formCreateSteps_;
  bool panels_[5] = {false, false, true, false, false};
  int width_ = kWindowWidth;
  int height_ = kWindowHeight;
  bool closeRequested_ = false;
};

// The component name of a section's button and panel.
const char* SectionButton(Section s);
const char* SectionPanel(Section s);

// The controls SetControlsEnabled changes in a section besides the five section buttons.
const std::vector<std::string>& BusyControls(Section s);

// The items of the "Файл" menu that export or import a section's data; they are enabled
// while their section is shown.
const std::vector<const char*>& FileItemsOf(Section s);

}  // namespace quorvex
