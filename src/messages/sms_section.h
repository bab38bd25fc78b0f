// The message section of the main window as plain data and its handlers: the folder tree
// tvSMS, the list lvSMS, the memo mmSMS, the progress bar, the enabled state of the menu
// items, and every operation on messages. The window mirrors this model and forwards its
// clicks and keys; the CLI runs the same handlers.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/bin_keep.h"
#include "core/busy.h"
#include "core/controls.h"
#include "core/list_model.h"
#include "messages/new_message_dialog.h"
#include "messages/sms_archive.h"

namespace quorvex::sms {

struct TreeNode {
  std::string baseCaption;
  std::string caption;  // the base caption, after a read followed by " (count)"
  int parent = -1;      // index of the parent node, -1 at the top
  int image = 0;
  int selectedImage = 0;
  int stateIndex = 0;
};

// State index of each node; also its position in tvSMS.
enum Folder { kPhone = 0, kIncoming = 1, kUnsent = 2, kSent = 3, kDrafts = 4, kArchive = 5 };

// The parts of one "AT+MMGR=" reply: the number and (incoming only) the date/time without
// their quotes, and the text's hex line, still encoded.
struct MessageReading {
  std::string number;
  std::string dateTime;
  std::string hexText;
};

// A message of the last folder read as the handset sent it: what a delete keeps in the bin.
struct HeldMessage {
  std::string index;  // the row's caption
  Folder folder = kIncoming;
  std::string status;  // with its quotes, as the listing gave it
  MessageReading reading;
};

// The bin record of a message, and the rows the bin's message records make for an export
// (as lvSMS shows a folder). A record whose fields do not read makes no row.
BinRecord MessageBinRecord(const HeldMessage& message, const std::string& operation);
std::vector<ListRow> MessageRowsFromBin(const std::vector<BinRecord>& records);

// The storage command that selects a memory ("OM", "DM") for the listing and for the store
// command alike: a plain store goes to whatever memory was last selected for writing.
std::string StorageCommand(const std::string& memory);

// The memories an operation selects to store or erase messages in, one after another. The
// handset keeps a selection after the port closes, and the window's own new message is a
// plain store: so the first selection asks which memories were selected, and the end selects
// them again (the power-on ones, "IM" and "OM", when the handset did not say).
class StorageSelection {
 public:
  explicit StorageSelection(TBlockSerial& port) : port_(port) {}
  ~StorageSelection();  // a failure here is not the user's concern: the operation is done
  StorageSelection(const StorageSelection&) = delete;
  StorageSelection& operator=(const StorageSelection&) = delete;

  // Selects the memory unless it is the one selected; false when the handset refused it.
  bool select(const std::string& memory);

 private:
  TBlockSerial& port_;
  std::string selected_;
  std::string before_;  // the command that selects back; empty until the first selection
  // A handset that has just failed the operation is not asked for more.
  int unwinding_ = std::uncaught_exceptions();
};
// The command that selects back the reading and writing memories an "AT+CPMS?" reply names.
std::string StorageRestoreCommand(const std::string& reply);
// The store command that puts a message record of the bin or a backup back: a sent one keeps
// its status, so that it goes back into "Отправленные" and not among the unsent. The record
// holds the four fields MessageBinRecord writes.
std::string StoreCommandFor(const BinRecord& message);

// Shows a dialog modally: returns when the user has closed it (its visible flag cleared).
using SaveSmsDialogRunner = std::function<void(TfrmSaveSMS&)>;

// Hot keys of the section (key codes of the window system).
inline constexpr int kKeyEnter = 13, kKeyF5 = 116, kKeyInsert = 45, kKeyDelete = 46;

class SmsSection {
 public:
  SmsSection();

  // --- Model the view mirrors -----------------------------------------------------------
  std::vector<TreeNode> tvSMS;
  int tvSMSSelected = -1;  // the selected node, -1 none
  // Whether the last read of a folder or the archive went through: one that stopped leaves
  // a part of it in lvSMS (or the list of another folder), which an export must not pass
  // off as the folder.
  bool LastReadComplete = true;
  // The messages of the last folder read, in list order.
  std::vector<HeldMessage> Held;
  bool tvSMSExpanded = false;
  ListModel lvSMS;
  // The folder node (its state index) whose messages lvSMS holds, -1 when it holds none: a
  // delete relabels that node with the rows left.
  int lvSMSFolder = -1;
  std::string mmSMS;
  std::string Label7Caption;  // "Текст сообщения"
  ProgressBar pbReadSMS;
  // Buttons: sbSMSNew, sbSMSSave, SpeedButton12, sbDeleteSMS, sbSMSDeleteAll.
  std::string sbSMSNewCaption, sbSMSSaveCaption, SpeedButton12Caption, sbDeleteSMSCaption,
      sbSMSDeleteAllCaption;
  // Popup pmSMS, in order, and the main menu "SMS" items.
  Label pmSMSRead, pmSMSDelete, pmSMSNew, pmSMSSave, pmSendSMS, pmSMSClear, pmMarkasRead;
  Label N18, N19, N20, N22;
  TfrmSaveSMS frmSaveSMS;

  // Where the archive lives: its bare name in the working directory.
  std::string archivePath = kArchiveFile;
  // The main window's busy state; unset in the CLI.
  SetControlsEnabledFn SetControlsEnabled;
  // Shows frmSaveSMS modally.
  SaveSmsDialogRunner runDialog;

  // --- Reading ----------------------------------------------------------------------------
  void ReadMessageFolder(AppState& app, const std::string& filter);
  // Fills lvSMS with the newest kMaxArchiveRows records; returns how many older ones the
  // file holds besides.
  std::size_t LoadMessageArchive();
  void tvSMSClick(AppState& app);
  void pmSMSReadClick(AppState& app);
  void tvSMSKeyDown(AppState& app, int key);
  void lvSMSClick();
  void SpeedButton12Click();  // "Очистить"
  void pmSMSClearClick();     // popup "Очистить": the list only
  // The section button's part: tree expanded, "Прочитать" disabled.
  void ShowSection();
  // F5, Ins and Del while the section is shown.
  void HotKey(AppState& app, int key, const ListModel& phoneBook);

  // --- Composing and sending ------------------------------------------------------------
  // "Новое": the recipients are the phone book list's rows (name, number, type text).
  void sbSMSNewClick(AppState& app, const ListModel& phoneBook);
  // The phone book popup's "Отправить сообщение" for its selected row.
  void mnuSendSMSClick(AppState& app, const ListModel& phoneBook);
  void pmSendSMSClick(AppState& app);

  // --- Deleting, marking, export --------------------------------------------------------
  void sbDeleteSMSClick(AppState& app);
  void sbSMSDeleteAllClick(AppState& app);
  void pmMarkasReadClick(AppState& app);
  void sbSMSSaveClick(UserInterface& ui);
  void pmSMSPopup();
  // Stores outgoing messages and drafts of the bin back with the store command; an incoming
  // message cannot go back into the inbox and is refused. A result for every record.
  std::vector<BinRestoreResult> RestoreFromBin(AppState& app, const std::vector<BinRecord>& chosen);

  // Selects the node of a folder (as the user's click on it does before tvSMSClick).
  void selectNode(int node) { tvSMSSelected = node; }

 private:
  void readFolder(AppState& app, TBlockSerial& port, Folder folder, const std::string& filter,
                  const ArchiveMark& archive, StoppableOperation& op);
  void setReadEnabled(bool enabled);
  void showDialog();
  // The list was emptied for another folder's rows: no message is shown any more.
  void listRefilled(int folder);
  // Empties mmSMS when it shows the message of `row`, which is leaving the list.
  void forgetIfShown(const ListRow& row);
  // The count in the caption of the folder the list shows, after rows left it.
  void relabelListedFolder();

  std::optional<ListRow> mmSMSRow_;  // the row whose text mmSMS shows
  // The bin records of the rows, for the messages the last read holds.
  std::vector<BinRecord> keptRows(const std::vector<const ListRow*>& rows,
                                  const std::string& operation) const;
};

// One header line of the "HEADER ONLY" listing: its index and its status, quotes included
// (empty when no comma follows the status).
struct ListingHeader {
  std::string index;
  std::string status;
};
ListingHeader CutListingHeader(std::string line);
// The first n header lines of the listing reply, fewer when the listing ends first.
std::vector<std::string> SplitListing(std::string reply, std::int32_t n);

// The message count out of the storage command's reply: the text after its first eight
// characters up to the first ",". Raises EConvertError.
std::int32_t CutMessageCount(std::string reply);

// Cuts a reading reply of a message listed in a folder with the status its header gave:
// the status prefix goes by its length, then the fields as each folder lays them out. The
// number and the date/time come without control characters.
MessageReading CutMessageReading(std::string reply, Folder folder, const std::string& status);

// What follows "\r\n+CMGW: " in the store command's reply, up to the next CR.
std::string StoredIndex(std::string reply);

// The type icon of a phone book type text; -1 for a text outside the table.
int RecipientIcon(const std::string& typeText);

// The thirteen lines of the export for one row; a field's line breaks become blanks.
std::string ExportRecord(const ListRow& row);

}  // namespace quorvex::sms
