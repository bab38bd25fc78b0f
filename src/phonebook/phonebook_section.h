// The phone book section of the main window as plain data and handlers: the record table,
// the group names and storage bounds, the list ListView1, the progress bars, the record and
// options dialogs, and every operation of the section. The window mirrors the state and
// forwards clicks; the CLI and the tests drive it directly. Each operation opens its own
// port object and frees it when it ends, whatever happens.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/bin_keep.h"
#include "core/busy.h"
#include "core/controls.h"
#include "core/list_model.h"
#include "phonebook/add_record_dialog.h"
#include "phonebook/option_dialog.h"
#include "phonebook/records.h"

namespace quorvex::phonebook {

// How the list draws a row: the colour of its text and its icon.
struct RowDrawing {
  std::uint32_t color = 0;  // 0 = black, the default
  int image = kNoImage;
};

class PhoneBookSection {
 public:
  PhoneBookSection();

  // ---- State.
  std::vector<TAbonentInfo> Records;
  std::vector<std::string> GroupNames;
  std::int32_t PhoneFirst = 0, PhoneLast = 0, SimFirst = 0, SimLast = 0;
  bool ContinueFlag = false;
  // False from the moment a read replaces Records until it has them all: a read that
  // stopped part way leaves a part of the book, which an export must not pass off as whole.
  bool LastReadComplete = true;
  // The model the last read named; what an erase keeps in the bin is laid out for its family.
  std::string Model;

  ListModel ListView1;
  ProgressBar pbReadAllRecords;
  ProgressBar pbFullRecord;  // "Занято:"
  Label Label9;              // the load's "Записано n из m", hidden otherwise
  Label sbAddRecord;
  // The popup items PopupMenu1Popup enables.
  Label N2, pmDelete, pmSaveBook;

  TfrmAddRecord frmAddRecord;
  TfrmOption frmOption;

  // ---- What the window provides.
  // The main window's busy state (SetControlsEnabled); the read and the load enter it and
  // leave it again however they end. Unset: a front end without one.
  SetControlsEnabledFn SetControlsEnabled;
  // A read replaces the records, so the recipient lists the message dialog built from the
  // earlier read are emptied.
  std::function<void()> RecordsReplaced;

  // ---- Operations.
  // "Читать все" (also N4, pmRefresh, F5 and after erasing several rows).
  void sbReadAllClick(AppState& app);
  // "Очистить": the rows go, the records stay.
  void SpeedButton3Click();
  // "Добавить" (also N5, N6, Ins).
  void sbAddRecordClick(AppState& app);
  // Editing the selected, focused row (double click; N2 and N9 when the list has rows).
  void ListView1DblClick(AppState& app);
  // Erasing the selected rows (pmDelete, N7, Del). Catches everything it meets.
  void pmDeleteClick(AppState& app);
  // Writing every row back (N10); lets the window take input between rows.
  void sbWriteAllClick(AppState& app);
  void sbStopClick() { ContinueFlag = false; }
  // True while "Записать все" goes through the rows: it takes their order as it finds it, so
  // the rows must not be reordered under it.
  bool writingAll() const { return writingAll_; }
  void PopupMenu1Popup();
  // Saving to a file (pmSaveBook, mnuBackUp) and loading one (pmLoadRecord, mnuRestore).
  void pmSaveBookClick(AppState& app);
  void pmLoadRecordClick(AppState& app);
  // Writes phone book records of the bin back, after a read: each to its old index of its
  // memory when that is free, else to the lowest free one there; then reads again. A result
  // for every record, in order.
  std::vector<BinRestoreResult> RestoreFromBin(AppState& app, const std::vector<BinRecord>& chosen);
  // "Настройка".
  void mnuOptionClick(UserInterface& ui) { frmOption.Show(ui); }

  // The menu items that only forward.
  void N2Click(AppState& app) {
    if (!ListView1.rows.empty()) ListView1DblClick(app);
  }
  void N10Click(AppState& app) { sbWriteAllClick(app); }

  // Blue with image 39 for a row whose record has Attr6 = 1; black without icon otherwise,
  // also for a row whose caption names no slot of Records.
  RowDrawing ListView1CustomDrawItem(const ListRow& row) const;
  // Puts the drawing of every row into the rows' drawing hints.
  void RefreshRowDrawing();

 private:
  void enterBusy();
  void leaveBusy();
  // The record of index i, or null when i names no slot.
  TAbonentInfo* recordAt(std::int64_t index);
  std::vector<std::string> freeIndices() const;
  // Taken[i - 1]: index i holds (or may hold) an entry; `except` is left free.
  std::vector<bool> takenIndices(std::int64_t except) const;
  // What erasing the row's entry loses, as the bin keeps it: its record, or the row's texts
  // where the table holds none for it. Nothing for a caption that is no index.
  std::optional<BinRecord> keptEntry(const ListRow& row, Family family,
                                     const std::string& operation);
  // The row with a caption: the one at `hint` when it still has it, else the first.
  std::vector<ListRow>::iterator rowOf(const std::string& caption, std::size_t hint);
  // After an edit's write was refused, its erase taken: writes the erased entry back, or
  // forgets it when the handset refuses that too.
  void restoreRefusedEdit(TBlockSerial& port, const TAbonentInfo& erased,
                          const std::string& caption, Family family, UserInterface& ui);

  bool writingAll_ = false;
};

}  // namespace quorvex::phonebook
