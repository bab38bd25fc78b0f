// Saving the phone book to a file and loading a file into the handset.
#include <algorithm>
#include <optional>

#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "core/stop_request.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::phonebook {

using text::IntToStr;

namespace {

constexpr std::int32_t kNoSuchDevice = 2;

std::unique_ptr<TBlockSerial> OpenQuietly(AppState& app, UserInterface& ui) {
  auto port = std::make_unique<TBlockSerial>();
  port->RaiseOnError = false;
  port->OpenPort(app.settings().PortName);
  if (port->LastError() == kNoSuchDevice)
    ui.messageBox(Ru("не подключен"), MsgKind::Message, MsgButtons::Ok);
  port->SetLineParams(app.settings().BaudRate, 8, 'N', 0, false, false);
  return port;
}

// The model, and the bounds of both storages, which the file's numbering refers to.
std::string ReadModelAndBounds(PhoneBookSection& s, AppState& app, UserInterface& ui) {
  const std::unique_ptr<TBlockSerial> port = OpenQuietly(app, ui);
  std::string model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AfterModel);
  port->RunAtCommand("AT +CPBS=ME");
  CutStorageBounds(port->RunAtCommand("AT+MPBR=?"), s.PhoneFirst, s.PhoneLast);
  port->RunAtCommand("AT +CPBS=SM");
  CutStorageBounds(port->RunAtCommand("AT+MPBR=?"), s.SimFirst, s.SimLast);
  port->RunAtCommand("AT+CPBS=MT");
  return model;
}

// The list's columns for the family: a load never leaves another family's layout.
void FitColumns(ListModel& list, Family family, UserInterface& ui) {
  if (family == Family::Classic && list.columns.size() == kGroupedColumns) {
    list.columns.resize(kBaseColumns);
    ++list.revision;
  } else if (HasGroups(family) && list.columns.size() == kBaseColumns) {
    AddGroupColumns(list);
    ui.processEvents(true);
  }
}

// The lines of a file by the slot each fills. A later line for the same slot replaces the
// earlier one, as the records are filled line by line; what waits for the table is therefore
// never more than the table itself. A line whose slot lies outside the table is set aside.
struct StagedFile {
  std::vector<std::optional<TAbonentInfo>> bySlot;
  int linesRead = 0;
  int skipped = 0;
};
StagedFile StageFile(std::string_view content, std::int32_t tableSize, std::int32_t phoneLast,
                     Family family) {
  StagedFile staged;
  staged.bySlot.resize(static_cast<std::size_t>(tableSize));
  for (const std::string_view line : SplitFileLines(content)) {
    FileEntry e = ParseFileLine(line, phoneLast, family);
    if (e.slot < 0 || e.slot >= tableSize) {
      ++staged.skipped;
      continue;
    }
    // The handset is given no icon for a line of the file (the eleventh field is 255), and
    // the table says so too.
    e.record.IconId = kNoIcon;
    staged.bySlot[static_cast<std::size_t>(e.slot)] = std::move(e.record);
    ++staged.linesRead;
  }
  return staged;
}

// A line of the file that does not reach the handset leaves its slot as it was before the
// load, however the load ends.
struct RestoreUnwritten {
  explicit RestoreUnwritten(std::vector<TAbonentInfo>& records)
      : records(records),
        before(records),
        fromFile(records.size(), false),
        written(records.size(), false) {}
  ~RestoreUnwritten() {
    for (std::size_t k = 0; k < records.size() && k < before.size(); ++k)
      if (fromFile[k] && !written[k]) records[k] = before[k];
  }
  RestoreUnwritten(const RestoreUnwritten&) = delete;
  RestoreUnwritten& operator=(const RestoreUnwritten&) = delete;

  std::vector<TAbonentInfo>& records;
  const std::vector<TAbonentInfo> before;
  std::vector<bool> fromFile;
  std::vector<bool> written;
};

// A load writes only into a list laid out for the family.
bool LayoutFits(const ListModel& list, Family family) {
  const std::size_t columns = list.columns.size();
  return (family == Family::Classic && columns == kBaseColumns) ||
         (HasGroups(family) && columns == kGroupedColumns);
}

// Whether the load writes the record of a slot.
bool LoadWrites(const TAbonentInfo& r) {
  return r.Index != 0 && !r.Number.empty();
}

// The entries of the last read that the load overwrites with something else.
std::vector<BinRecord> OverwrittenByLoad(const std::vector<TAbonentInfo>& records,
                                         const std::vector<TAbonentInfo>& before,
                                         const std::vector<bool>& fromFile, Family family) {
  std::vector<BinRecord> kept;
  for (std::size_t k = 0; k < records.size() && k < before.size(); ++k) {
    const TAbonentInfo& was = before[k];
    // A slot the table got only now (Index 0) was never read: nothing is known of it.
    if (!fromFile[k] || !LoadWrites(records[k]) || was.Index == 0 || IsFree(was)) continue;
    if (RecordWriteCommand(was, family) != RecordWriteCommand(records[k], family))
      kept.push_back(EntryBinRecord(was, family, "load"));
  }
  return kept;
}

// Writes every record with a number in slot order; each the handset takes gets its row.
// Returns how many it refused.
int WriteLoadedRecords(PhoneBookSection& s, TBlockSerial& port, UserInterface& ui, Family family,
                       const std::string& model, std::vector<bool>& written, int left,
                       StoppableOperation& op) {
  const int total = left;
  // After the record just sent: a stop there keeps what the handset has taken.
  const auto stopHere = [&](std::size_t k) {
    if (!op.stopRequested()) return false;
    for (std::size_t rest = k + 1; rest < s.Records.size(); ++rest)
      if (s.Records[rest].Index != 0 && !s.Records[rest].Number.empty()) {
        op.stopped(StoppedText("записано", total - left, total));
        return true;
      }
    return false;
  };
  int refused = 0;
  const bool layoutFits = LayoutFits(s.ListView1, family);
  for (std::size_t k = 0; layoutFits && k < s.Records.size(); ++k) {
    TAbonentInfo& r = s.Records[k];
    if (!LoadWrites(r)) continue;
    const std::string nameHex = NameHexFor(r);
    port.RunAtCommand(RecordWriteCommand(r, family));
    bool accepted = port.CommandOk();
    if (port.LastErrorText() != "OK" && port.LastError() == ErrTimeout) {
      if (ui.messageBox(port.LastErrorText() + "\r\n" + Ru("Продолжить запись?"), MsgKind::Warning,
                        MsgButtons::YesNo) != MsgResult::Yes) {
        break;
      }
      accepted = true;  // the user goes on with this record as written
    }
    if (!accepted) {
      ++refused;
      ui.processEvents(false);
      if (stopHere(k)) break;
      continue;
    }
    // What the handset keeps of the name is what its character set can carry.
    r.NameHex = nameHex;
    r.Name = Ucs2FieldToText(nameHex);
    written[k] = true;
    s.ListView1.rows.push_back(RowFromRecord(r, family, model, s.GroupNames, RowTexts::Load));
    ++s.ListView1.revision;
    --left;
    s.pbReadAllRecords.setPosition(s.pbReadAllRecords.Max - left);
    // The label changes before the repaint, so that it shows the record just written.
    s.Label9.caption = Ru("Записано ") + IntToStr(s.pbReadAllRecords.Position) + Ru(" из ") +
                       IntToStr(s.pbReadAllRecords.Max);
    s.pbReadAllRecords.showFigure(total - left, total);
    ui.processEvents(false);
    if (stopHere(k)) break;
  }
  return refused;
}

}  // namespace

void PhoneBookSection::pmSaveBookClick(AppState& app) {
  UserInterface& ui = app.ui();
  if (ListView1.rows.empty()) {
    ui.messageBox(Ru("Список пуст, сохранять нечего !"), MsgKind::Information, MsgButtons::Ok);
    return;
  }
  std::string model;
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
    model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AfterModel);
  }
  // Only the first format exists, and only for the Classic handsets. Anything else is said
  // before a file is chosen, and no file is touched: an empty file in place of an older
  // backup would throw that backup away.
  if (frmOption.rgFileFormat.itemIndex != 0) {
    ui.messageBox(Ru("Пока не работает"), MsgKind::Information, MsgButtons::Ok);
    return;
  }
  if (FamilyOf(model) != Family::Classic) {
    ui.messageBox(Ru("Сохранение телефонной книги для модели телефона \"") + model +
                      Ru("\" пока не поддерживается. Файл не записан."),
                  MsgKind::Warning, MsgButtons::Ok);
    return;
  }
  const std::optional<std::string> path = ui.chooseSaveFile(kSaveFilter, kDefaultExt);
  if (!path) return;
  WriteTextFile(*path, FormatPhoneBookFile(Records, PhoneFirst, SimFirst));
}

void PhoneBookSection::pmLoadRecordClick(AppState& app) {
  UserInterface& ui = app.ui();
  StoppableOperation op(app.stop(), ui, Ru("Загрузка справочника в телефон…"));
  enterBusy();
  struct Finish {
    PhoneBookSection& s;
    ~Finish() {
      s.pbReadAllRecords.setPosition(0);
      s.pbReadAllRecords.Figure.clear();
      s.pbFullRecord.setRange(0, s.SimLast);
      s.pbFullRecord.setPosition(static_cast<int>(s.ListView1.rows.size()));
      if (!s.ListView1.rows.empty()) s.sbAddRecord.enabled = true;
      s.Label9.visible = false;
      s.RefreshRowDrawing();
      s.leaveBusy();
    }
  } finish{*this};

  const std::string model = ReadModelAndBounds(*this, app, ui);
  const Family family = FamilyOf(model);
  if (SimLast > kMaxPhoneBookIndex) {
    ui.messageBox(Ru("Невозможно получить информацию о записях."), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  const std::optional<std::string> path = ui.chooseOpenFile(kOpenFilter);
  if (!path) return;

  ListView1.clear();
  FitColumns(ListView1, family, ui);

  // The whole file is taken apart before the table changes: a line that fails leaves the
  // records as they were.
  const std::int32_t tableSize = std::max(SimLast, 0);
  StagedFile staged =
      StageFile(ReadTextFile(*path, kMaxPhoneBookFileBytes), tableSize, PhoneLast, family);
  Records.resize(static_cast<std::size_t>(tableSize));
  RestoreUnwritten restore(Records);
  for (std::size_t slot = 0; slot < staged.bySlot.size(); ++slot) {
    if (!staged.bySlot[slot]) continue;
    Records[slot] = std::move(*staged.bySlot[slot]);
    restore.fromFile[slot] = true;
  }

  if (LayoutFits(ListView1, family) &&
      !KeepInBin(app, OverwrittenByLoad(Records, restore.before, restore.fromFile, family),
                 Ru("Ничего не записано."))) {
    return;
  }

  Label9.visible = true;
  const std::unique_ptr<TBlockSerial> port = OpenQuietly(app, ui);
  port->ReplyTimeout = app.settings().TimeOut;
  port->RunAtCommand("AT+CPBS=MT");
  port->RunAtCommand("AT+CSCS=UCS2");
  pbReadAllRecords.setRange(0, staged.linesRead);
  pbReadAllRecords.setPosition(0);
  const int refused =
      WriteLoadedRecords(*this, *port, ui, family, model, restore.written, staged.linesRead, op);

  if (staged.skipped > 0) {
    ui.messageBox(Ru("Строк файла пропущено: ") + IntToStr(staged.skipped) +
                      Ru(". Номера их записей лежат вне справочника телефона."),
                  MsgKind::Warning, MsgButtons::Ok);
  }
  if (refused > 0) {
    ui.messageBox(Ru("Телефон не принял записей: ") + IntToStr(refused) +
                      Ru(". Они не записаны и в список не внесены."),
                  MsgKind::Warning, MsgButtons::Ok);
  }
}

}  // namespace quorvex::phonebook
