// Adding, editing, erasing and writing back entries.
#include <algorithm>
#include <map>

#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "core/stop_request.h"
#include "phonebook/phonebook_bin.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::phonebook {

using text::IntToStr;

namespace {

// Column positions of ListView1: 0 the caption, then the sub-items.
constexpr std::size_t kColName = 1, kColNumber = 2, kColType = 3, kColAlert = 4, kColIcon = 5,
                      kColGroup = 6;

std::optional<std::int32_t> IntOf(const std::string& s) {
  try {
    return text::StrToInt(s);
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

TAbonentInfo RowToWrite(const ListRow& row, const TAbonentInfo* record, Family family);

std::string NothingErased() {
  return Ru("Ничего не удалено.");
}

void TellNoFamily(UserInterface& ui, const std::string& model) {
  ui.messageBox(Ru("Запись в справочник для модели телефона \"") + model +
                    Ru("\" не поддерживается. Ничего не отправлено."),
                MsgKind::Warning, MsgButtons::Ok);
}

void TellIndexOutside(UserInterface& ui, std::size_t count) {
  ui.messageBox(Ru("Номер записи должен быть в пределах от 1 до ") +
                    IntToStr(static_cast<std::int64_t>(count)) + "!",
                MsgKind::Error, MsgButtons::Ok);
}

// The record dialog as an add opens it: empty texts and the family's default items.
void PrepareAdd(TfrmAddRecord& d, Family family, const std::string& model,
                const std::vector<std::string>& groupNames, std::vector<std::string> free) {
  if (HasGroups(family)) d.cbGroup.setItems(groupNames);
  d.cbRecordNum.setItems(std::move(free));
  d.cbRecordNum.select(0);
  d.KeptType = -1;
  d.KeptNameHex.clear();
  d.Caption = Ru("Добавление записи...");
  d.PhoneModel = model;
  d.edtPhoneNumber.text.clear();
  d.edtAbonentName.text.clear();
  d.cbType.select(2);
  d.cbIDs.selectLast();
  if (family == Family::Grouped) {
    d.cbIcon.selectLast();
    d.cbGroup.select(0);
  } else if (family == Family::GroupedText) {
    d.cbIcon.select(-1);
    d.cbIcon.text = Ru("нет");
    d.cbIcon.enabled = false;
    d.cbGroup.select(0);
  }
  d.Label8.caption = Ru("Модель телефона: ") + model;
}

// The record dialog as an edit opens it: the row's texts, and the entry's own name hex.
void PrepareEdit(TfrmAddRecord& d, const ListModel& list, const ListRow& row, Family family,
                 const TAbonentInfo* held, const std::vector<std::string>& groupNames,
                 std::vector<std::string> free) {
  const std::string typeText = list.cellText(row, kColType);
  const std::string iconText = list.cellText(row, kColIcon);
  const std::string groupText = list.cellText(row, kColGroup);
  d.cbRecordNum.setItems(std::move(free));
  d.cbRecordNum.text = row.caption;
  d.edtAbonentName.text = list.cellText(row, kColName);
  d.KeptNameHex = held != nullptr && !IsFree(*held) ? held->NameHex : std::string();
  d.edtPhoneNumber.text = list.cellText(row, kColNumber);
  const auto& types = TypeListTexts();
  const auto type = std::find(types.begin(), types.end(), typeText);
  d.KeptType = -1;
  if (type != types.end()) {
    d.cbType.select(static_cast<int>(type - types.begin()));
  } else if (HasGroups(family) && typeText == TypeItems()[7]) {
    d.cbType.select(7);
  } else {
    // No item stands for the row's type ("SIM"): the item the dialog's last use left selected
    // would silently give the entry that type, so none stays selected and the write keeps the
    // entry's own code.
    d.cbType.select(-1);
    if (held != nullptr) d.KeptType = held->NumberType;
  }
  d.cbType.text = typeText;
  d.cbIDs.text = list.cellText(row, kColAlert);
  if (family == Family::Grouped) {
    const int icon = d.cbIcon.indexOf(iconText);
    if (icon >= 0) d.cbIcon.select(icon);
    d.cbGroup.text = groupText;
  }
  if (HasGroups(family)) {
    d.cbGroup.setItems(groupNames);
    for (std::size_t k = 0; k < d.cbGroup.items.size(); ++k)
      if (d.cbGroup.items[k] == groupText) d.cbGroup.select(static_cast<int>(k));
    d.cbIcon.text = iconText;
    d.cbIcon.enabled = false;
  }
}

// An edited row shows the dialog's texts; a type without an item keeps the row's image.
void ShowEdited(ListRow& edited, const ListRow& before, const TfrmAddRecord& d, Family family,
                std::int32_t index) {
  const int typeItem = d.cbType.itemIndex;
  const int typeImage =
      typeItem >= 0 || before.subItems.size() < 3 ? typeItem : before.subItems[2].image;
  edited.caption = IntToStr(index);
  edited.subItems = {{d.edtAbonentName.text, kNoImage},
                     {d.edtPhoneNumber.text, kNoImage},
                     {d.cbType.text, typeImage},
                     {d.cbIDs.text, kNoImage}};
  if (HasGroups(family)) {
    const int iconImage = family == Family::Grouped ? IconItemImage(d.cbIcon.itemIndex) : kNoImage;
    edited.subItems.push_back({d.cbIcon.text, iconImage});
    edited.subItems.push_back({d.cbGroup.text, kNoImage});
  }
}

}  // namespace

void PhoneBookSection::sbAddRecordClick(AppState& app) {
  UserInterface& ui = app.ui();
  if (ListView1.rows.empty()) {
    ui.messageBox(
        Ru("Перед добавлением новой записи рекомендуется прочитать записи из справочника."),
        MsgKind::Information, MsgButtons::Ok);
    return;
  }
  app.LoadPortSettings();
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AfterModel);
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk) return;
  if (port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) return;
  port->RunAtCommand("AT+MPBR=?");

  const Family family = FamilyOf(model);
  TfrmAddRecord& d = frmAddRecord;
  PrepareAdd(d, family, model, GroupNames, freeIndices());
  d.RecordCount = static_cast<int>(Records.size());
  d.Taken = takenIndices(0);
  d.Show(ui);
  if (!d.DialogAccepted) return;
  if (d.RecordCommand.empty()) {
    TellNoFamily(ui, model);
    return;
  }
  const std::int32_t idx = text::StrToInt(d.cbRecordNum.text);
  TAbonentInfo* slot = recordAt(idx);
  if (slot == nullptr) {
    TellIndexOutside(ui, Records.size());
    return;
  }

  port->RunAtCommand(d.RecordCommand);
  if (!port->CommandOk()) {
    ui.messageBox(Ru("Телефон не принял запись. Справочник не изменён."), MsgKind::Error,
                  MsgButtons::Ok);
    return;
  }

  TAbonentInfo r = RecordFromDialog(d, family);
  r.Index = idx;
  r.OnSim = slot->OnSim;
  // The row shows the type the command carried, as a read will show it.
  ListView1.rows.push_back(RowFromRecord(r, family, model, GroupNames, RowTexts::Read));
  ++ListView1.revision;
  // A distribution list and the SIM type share code 7 on the models whose lists know no
  // distribution list; V150 is a Grouped model like the others and keeps 7 as they do.
  if (d.cbType.itemIndex == 7 && !HasGroups(family))
    r.NumberType = IsT720(model) ? 8 : slot->NumberType;
  *slot = std::move(r);
  RefreshRowDrawing();
}

void PhoneBookSection::ListView1DblClick(AppState& app) {
  UserInterface& ui = app.ui();
  const int sel = ListView1.selectedIndex();
  if (ListView1.rows.empty() || sel < 0 || ListView1.focused != sel) return;

  std::string model;
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
    model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AtQuote);
  }
  const Family family = FamilyOf(model);
  const ListRow row = ListView1.rows[static_cast<std::size_t>(sel)];
  const std::string old = row.caption;
  TfrmAddRecord& d = frmAddRecord;
  PrepareEdit(d, ListView1, row, family, recordAt(IntOf(old).value_or(0)), GroupNames,
              freeIndices());
  const std::string alertText = d.cbIDs.text;

  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk) return;
  if (port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) return;

  d.Caption = Ru("Изменение записи...");
  d.PhoneModel = model;
  d.Label8.caption = Ru("Модель телефона: ") + model;
  d.RecordCount = static_cast<int>(Records.size());
  d.Taken = takenIndices(IntOf(old).value_or(0));
  // Showing the dialog puts the default alert in its box; an edit keeps the entry's own, or
  // changing only a name would quietly reset it.
  d.Show(ui, [&d, &alertText] {
    d.cbIDs.itemIndex = -1;
    d.cbIDs.text = alertText;
  });
  if (!d.DialogAccepted) return;
  // Without a command for this model the old entry stays where it is: erasing it alone
  // would lose it.
  if (d.RecordCommand.empty()) {
    TellNoFamily(ui, model);
    return;
  }
  const std::int32_t oldIndex = text::StrToInt(old);
  const std::int32_t newIndex = text::StrToInt(d.cbRecordNum.text);
  if (recordAt(oldIndex) == nullptr || recordAt(newIndex) == nullptr) {
    TellIndexOutside(ui, Records.size());
    return;
  }
  const TAbonentInfo before = *recordAt(oldIndex);

  std::vector<BinRecord> kept;
  if (std::optional<BinRecord> b = keptEntry(row, family, "edit")) kept.push_back(std::move(*b));
  const TAbonentInfo* target = recordAt(newIndex);
  if (newIndex != oldIndex && !IsFree(*target))
    kept.push_back(EntryBinRecord(*target, family, "edit"));
  if (!KeepInBin(app, std::move(kept), Ru("Запись не изменена."))) return;

  port->RunAtCommand(EraseCommand(oldIndex));
  if (!port->CommandOk()) {
    ui.messageBox(Ru("Телефон не удалил прежнюю запись. Изменения не записаны."), MsgKind::Error,
                  MsgButtons::Ok);
    return;
  }
  port->RunAtCommand(d.RecordCommand);
  if (!port->CommandOk()) {
    restoreRefusedEdit(*port, before, old, family, ui);
    return;
  }

  FreeRecord(*recordAt(oldIndex));
  // The modal dialog took no other input, but find the row again rather than trust it.
  const auto edited = rowOf(old, static_cast<std::size_t>(sel));
  if (edited != ListView1.rows.end()) {
    ShowEdited(*edited, row, d, family, newIndex);
    ++ListView1.revision;
  }
  TAbonentInfo& r = *recordAt(newIndex);
  r = RecordFromDialog(d, family);
  r.Index = newIndex;
  r.OnSim = newIndex > PhoneLast ? 1 : 0;
  RefreshRowDrawing();
}

std::vector<ListRow>::iterator PhoneBookSection::rowOf(const std::string& caption,
                                                       std::size_t hint) {
  if (hint < ListView1.rows.size() && ListView1.rows[hint].caption == caption)
    return ListView1.rows.begin() + static_cast<std::ptrdiff_t>(hint);
  return std::find_if(ListView1.rows.begin(), ListView1.rows.end(),
                      [&](const ListRow& r) { return r.caption == caption; });
}

std::optional<BinRecord> PhoneBookSection::keptEntry(const ListRow& row, Family family,
                                                     const std::string& operation) {
  const std::optional<std::int32_t> index = IntOf(row.caption);
  if (!index) return std::nullopt;
  const TAbonentInfo* held = recordAt(*index);
  if (held != nullptr && !IsFree(*held)) return EntryBinRecord(*held, family, operation);
  TAbonentInfo shown = RowToWrite(row, held, family);
  shown.OnSim = *index > PhoneLast && PhoneLast > 0 ? 1 : 0;
  return EntryBinRecord(shown, family, operation);
}

void PhoneBookSection::restoreRefusedEdit(TBlockSerial& port, const TAbonentInfo& erased,
                                          const std::string& caption, Family family,
                                          UserInterface& ui) {
  port.RunAtCommand(RecordWriteCommand(erased, family));
  if (port.CommandOk()) {
    ui.messageBox(Ru("Телефон не принял изменённую запись. Прежняя запись восстановлена."),
                  MsgKind::Error, MsgButtons::Ok);
    return;
  }
  FreeRecord(*recordAt(text::StrToInt(caption)));
  const auto gone = rowOf(caption, SIZE_MAX);
  if (gone != ListView1.rows.end()) ListView1.rows.erase(gone);
  ++ListView1.revision;
  ui.messageBox(Ru("Телефон не принял изменённую запись, а прежнюю восстановить не удалось: "
                   "запись удалена из телефона."),
                MsgKind::Error, MsgButtons::Ok);
  RefreshRowDrawing();
}

void PhoneBookSection::pmDeleteClick(AppState& app) {
  UserInterface& ui = app.ui();
  try {
    int refused = 0;
    int n = 0;
    {
      app.LoadPortSettings();
      const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
      n = ListView1.selectedCount();
      if (port->RunAtCommand("AT+CPBS=AD") != kExactOk) return;
      std::vector<BinRecord> kept;
      const Family family = FamilyOf(Model);
      for (std::size_t k = 0; k < ListView1.rows.size(); ++k) {
        const bool chosen =
            n == 1 ? static_cast<int>(k) == ListView1.selectedIndex() : ListView1.rows[k].selected;
        if (!chosen) continue;
        if (std::optional<BinRecord> b = keptEntry(ListView1.rows[k], family, "delete"))
          kept.push_back(std::move(*b));
      }
      if (!KeepInBin(app, std::move(kept), NothingErased())) return;
      const auto erase = [&](const std::string& caption) {
        port->RunAtCommand("AT+MPBW=" + caption);
        // An entry the handset kept stays in the table: its slot must not be offered free.
        if (!port->CommandOk()) {
          ++refused;
          return false;
        }
        if (TAbonentInfo* r = recordAt(text::StrToInt(caption))) FreeRecord(*r);
        return true;
      };
      if (n == 1) {
        const int sel = ListView1.selectedIndex();
        if (erase(ListView1.rows[static_cast<std::size_t>(sel)].caption)) {
          ListView1.rows.erase(ListView1.rows.begin() + sel);
          if (ListView1.focused == sel) {
            ListView1.focused = -1;
          } else if (ListView1.focused > sel) {
            --ListView1.focused;
          }
          ++ListView1.revision;
        }
      } else {
        for (std::size_t k = 0; k < ListView1.rows.size(); ++k)
          if (ListView1.rows[k].selected) erase(ListView1.rows[k].caption);
      }
    }
    if (n > 1) sbReadAllClick(app);
    if (refused > 0) {
      ui.messageBox(Ru("Телефон не удалил записей: ") + IntToStr(refused) + ".", MsgKind::Warning,
                    MsgButtons::Ok);
    }
    RefreshRowDrawing();
  } catch (...) {
    ui.messageBox(Ru("Нет выделенной записи..."), MsgKind::Error, MsgButtons::Ok);
  }
}

namespace {

// What writing a row back sends: the record of its index as the read left it, with the texts
// the list really shows laid over it, so that an entry goes back as the handset reported it.
TAbonentInfo RowToWrite(const ListRow& row, const TAbonentInfo* record, Family family) {
  TAbonentInfo r;
  if (record != nullptr) {
    r = *record;
  } else {
    r = FreeSlot(0);
    r.Attr9 = 1;
    r.Attr12 = 255;
    r.IconId = kNoIcon;
  }
  r.Index = text::StrToInt(row.caption);
  const auto cell = [&](std::size_t k) {
    return k < row.subItems.size() ? row.subItems[k].text : std::string();
  };
  r.Name = cell(0);
  r.Number = cell(1);
  // A read leaves out the type cell where it has no text for the code; the cells after it
  // then sit one place further left.
  const std::size_t extra = HasGroups(family) ? 2 : 0;
  const bool typeShown = row.subItems.size() >= 4 + extra;
  const std::string typeText = typeShown ? cell(2) : std::string();
  const std::string alertText = cell(typeShown ? 3 : 2);

  const auto& types = TypeListTexts();
  const auto type = std::find(types.begin(), types.end(), typeText);
  if (type != types.end()) {
    r.NumberType = static_cast<std::uint8_t>(type - types.begin());
  } else if (typeText == TypeItems()[6]) {
    r.NumberType = 6;
  } else if (HasGroups(family) && typeText == TypeItems()[7]) {
    r.NumberType = 7;
  }  // "SIM" and anything else: the code the record holds
  // The handset's own format stays while the number and its type do.
  if (record == nullptr || r.Number != record->Number || r.NumberType != record->NumberType)
    r.NumberFormat = NumberFormatFor(r.Number, r.NumberType);

  if (alertText == AlertItems()[0] || alertText == Ru("бесшумный")) {
    r.AlertId = 0;
  } else if (alertText == AlertItems()[2]) {
    r.AlertId = 255;
  } else if (!alertText.empty() && alertText.size() <= 3 &&
             std::all_of(alertText.begin(), alertText.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
    r.AlertId = text::StrToInt(alertText);
  }

  if (HasGroups(family) && row.subItems.size() >= 2 + extra) {
    const std::string iconText = row.subItems[row.subItems.size() - 2].text;
    if (family == Family::Grouped) {
      const auto& icons = IconCaptions();
      const auto icon = std::find(icons.begin(), icons.end(), iconText);
      if (icon != icons.end()) r.IconId = IconIdOfItem(static_cast<int>(icon - icons.begin()));
    } else {
      r.IconText = iconText;
    }
  }
  return r;
}

}  // namespace

void PhoneBookSection::sbWriteAllClick(AppState& app) {
  if (ListView1.rows.empty()) return;
  UserInterface& ui = app.ui();
  StoppableOperation op(app.stop(), ui, Ru("Запись справочника в телефон…"));
  ContinueFlag = true;
  writingAll_ = true;
  struct Writing {
    bool& flag;
    ~Writing() { flag = false; }
  } writing{writingAll_};
  struct ProgressReset {
    ProgressBar& bar;
    ~ProgressReset() {
      bar.setPosition(0);
      bar.Figure.clear();
    }
  } reset{pbReadAllRecords};
  enterBusy();
  LeaveBusyOnExit idle(SetControlsEnabled);
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AfterModel);
  const Family family = FamilyOf(model);
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk) return;
  if (port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) return;

  // An entry the last read showed that its row would now write differently is overwritten:
  // it goes to the bin first. The window takes input between rows, so a row the list did not
  // have at the start is kept on its own before its write.
  std::map<std::int32_t, std::string> kept;  // index: the command of the entry kept
  const auto overwritten = [&](const TAbonentInfo& entry) -> std::optional<BinRecord> {
    const TAbonentInfo* held = recordAt(entry.Index);
    if (held == nullptr || IsFree(*held)) return std::nullopt;
    const std::string was = RecordWriteCommand(*held, family);
    if (was == RecordWriteCommand(entry, family)) return std::nullopt;
    const auto done = kept.find(entry.Index);
    if (done != kept.end() && done->second == was) return std::nullopt;
    kept[entry.Index] = was;
    return EntryBinRecord(*held, family, "write-all");
  };
  std::vector<BinRecord> first;
  for (const ListRow& row : ListView1.rows) {
    const std::optional<std::int32_t> index = IntOf(row.caption);
    if (!index) continue;
    if (auto b = overwritten(RowToWrite(row, recordAt(*index), family))) first.push_back(*b);
  }
  if (!KeepInBin(app, std::move(first), Ru("Ничего не записано."))) return;

  pbReadAllRecords.setRange(0, static_cast<int>(ListView1.rows.size()) - 1);
  int refused = 0;
  for (std::size_t k = 0; k < ListView1.rows.size(); ++k) {
    const ListRow& row = ListView1.rows[k];
    const TAbonentInfo entry = RowToWrite(row, recordAt(IntOf(row.caption).value_or(0)), family);
    if (auto late = overwritten(entry)) {
      if (!KeepInBin(app, {*late}, Ru("Запись остановлена."))) break;
    }
    port->RunAtCommand(RecordWriteCommand(entry, family));
    if (!port->CommandOk()) {
      ++refused;
    } else if (TAbonentInfo* held = recordAt(entry.Index)) {
      // The table follows the handset, so that a second run keeps nothing it no longer holds.
      *held = entry;
      held->NameHex = NameHexFor(entry);
    }
    pbReadAllRecords.setPosition(static_cast<int>(k));
    pbReadAllRecords.showFigure(static_cast<long long>(k) + 1,
                                static_cast<long long>(ListView1.rows.size()));
    ui.processEvents(false);
    if (k + 1 >= ListView1.rows.size()) break;
    if (app.stop().requested()) ContinueFlag = false;
    if (!ContinueFlag) {
      // "Stop everything" (the CLI's Ctrl+C) asks nothing; the window's button asks first.
      if (app.stop().final() ||
          ui.messageBox(Ru("Вы уверены, что хотите прервать\r\nзапись данных в телефон?!"),
                        MsgKind::Question, MsgButtons::YesNo) == MsgResult::Yes) {
        op.stopped(StoppedText("записано", static_cast<long long>(k) + 1,
                               static_cast<long long>(ListView1.rows.size())));
        break;
      }
      ContinueFlag = true;
      app.stop().withdraw();
    }
  }
  if (refused > 0) {
    ui.messageBox(Ru("Телефон не принял записей: ") + IntToStr(refused) + ".", MsgKind::Warning,
                  MsgButtons::Ok);
  }
}

}  // namespace quorvex::phonebook
