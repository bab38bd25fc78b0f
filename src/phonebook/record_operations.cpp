// Adding, editing, erasing and writing back entries.
#include <algorithm>

#include "codec/delphi_text.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
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

// Step 5.1 of an edit: what the old slot holds once its entry has moved or been rewritten.
void FreeOldSlot(TAbonentInfo& r) {
  r.Name = std::string(kFreeName);
  r.NameHex.clear();
  r.Number.clear();
  r.NumberFormat = 145;
  r.NumberType = 0;
  r.Attr6 = 0;
  r.AlertId = 255;
  r.Attr8 = 0;
  r.Attr9 = 1;
  r.Category = 0;
  r.IconId = kNoIcon;
  r.IconText.clear();
}

int IconIdOfItem(int item) {
  return item == 15 ? kNoIcon : item;
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
  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"));
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk) return;
  if (port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) return;
  port->RunAtCommand("AT+MPBR=?");

  const Family family = FamilyOf(model);
  TfrmAddRecord& d = frmAddRecord;
  if (HasGroups(family)) d.cbGroup.setItems(GroupNames);
  d.cbRecordNum.setItems(freeIndices());
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

  const int typeItem = d.cbType.itemIndex;
  const int idsItem = d.cbIDs.itemIndex;
  TAbonentInfo& r = *slot;
  r.Name = d.edtAbonentName.text;
  r.NameHex = NameHexFor(r.Name, d.KeptNameHex);
  r.Number = d.edtPhoneNumber.text;
  // A distribution list and the SIM type share code 7 on the models whose lists know no
  // distribution list; V150 is a Grouped model like the others and keeps 7 as they do.
  if (typeItem == 7) {
    if (IsT720(model)) {
      r.NumberType = 8;
    } else if (HasGroups(family)) {
      r.NumberType = 7;
    }
  } else {
    r.NumberType = static_cast<std::uint8_t>(typeItem);
  }
  if (idsItem == 0) {
    r.AlertId = 0;
  } else if (idsItem == 2) {
    r.AlertId = 255;
  } else {
    r.AlertId = text::StrToInt(d.cbIDs.text);
  }
  r.Attr6 = 0;
  r.NumberFormat = NumberFormatFor(r.Number, typeItem);
  r.Category = 0;
  r.IconId = 0;
  r.IconText.clear();
  if (family == Family::Grouped) {
    r.IconId = IconIdOfItem(d.cbIcon.itemIndex);
    r.Category = static_cast<std::uint8_t>(d.cbGroup.itemIndex + 1);
  } else if (family == Family::GroupedText) {
    r.IconId = IconIdOfItem(d.cbIcon.itemIndex);
    r.IconText = d.cbIcon.text;
    r.Category = static_cast<std::uint8_t>(d.cbGroup.itemIndex + 1);
  }
  r.Attr8 = 0;
  r.Attr9 = 1;
  r.Attr12 = 255;
  r.Attr13 = 0;
  r.Tail1 = 0;
  r.Tail2 = 0;

  ListRow row;
  row.caption = d.cbRecordNum.text;
  row.subItems.push_back({r.Name, kNoImage});
  row.subItems.push_back({r.Number, kNoImage});
  if (typeItem >= 0 && typeItem <= 6) {
    row.subItems.push_back({TypeListTexts()[typeItem], typeItem});
  } else if (typeItem == 7 && IsT720(model)) {
    row.subItems.push_back({"SIM", kSimTypeImage});
  } else if (typeItem == 7 && HasGroups(family)) {
    row.subItems.push_back({TypeItems()[7], 7});
  }
  if (idsItem == 0) {
    row.subItems.push_back({AlertItems()[0], kNoImage});
  } else if (idsItem == 2) {
    row.subItems.push_back({AlertItems()[2], kNoImage});
  } else {
    row.subItems.push_back({d.cbIDs.text, kNoImage});
  }
  if (HasGroups(family)) {
    row.subItems.push_back(
        {d.cbIcon.text, family == Family::Grouped ? IconItemImage(d.cbIcon.itemIndex) : kNoImage});
    row.subItems.push_back({d.cbGroup.text, kNoImage});
  }
  ListView1.rows.push_back(std::move(row));
  ++ListView1.revision;
  RefreshRowDrawing();
}

void PhoneBookSection::ListView1DblClick(AppState& app) {
  UserInterface& ui = app.ui();
  const int sel = ListView1.selectedIndex();
  if (ListView1.rows.empty() || sel < 0 || ListView1.focused != sel) return;

  std::string model;
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
    model = ValueAfterEquals(port->RunAtCommand("AT+CGMM"));
  }
  const Family family = FamilyOf(model);
  const ListRow row = ListView1.rows[static_cast<std::size_t>(sel)];
  const std::string old = row.caption;
  const std::string typeText = ListView1.cellText(row, kColType);
  const std::string iconText = ListView1.cellText(row, kColIcon);
  const std::string groupText = ListView1.cellText(row, kColGroup);

  TfrmAddRecord& d = frmAddRecord;
  d.cbRecordNum.setItems(freeIndices());
  d.cbRecordNum.text = old;
  d.edtAbonentName.text = ListView1.cellText(row, kColName);
  const TAbonentInfo* held = recordAt(IntOf(old).value_or(0));
  d.KeptNameHex = held != nullptr && !IsFree(*held) ? held->NameHex : std::string();
  d.edtPhoneNumber.text = ListView1.cellText(row, kColNumber);
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
  const std::string alertText = ListView1.cellText(row, kColAlert);
  d.cbIDs.text = alertText;
  if (family == Family::Grouped) {
    const int icon = d.cbIcon.indexOf(iconText);
    if (icon >= 0) d.cbIcon.select(icon);
    d.cbGroup.text = groupText;
  }
  if (HasGroups(family)) {
    d.cbGroup.setItems(GroupNames);
    for (std::size_t k = 0; k < d.cbGroup.items.size(); ++k)
      if (d.cbGroup.items[k] == groupText) d.cbGroup.select(static_cast<int>(k));
    d.cbIcon.text = iconText;
    d.cbIcon.enabled = false;
  }

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

  port->RunAtCommand(EraseCommand(oldIndex));
  if (!port->CommandOk()) {
    ui.messageBox(Ru("Телефон не удалил прежнюю запись. Изменения не записаны."), MsgKind::Error,
                  MsgButtons::Ok);
    return;
  }
  port->RunAtCommand(d.RecordCommand);
  if (!port->CommandOk()) {
    // The old entry is erased by now: put it back as it was, so the refusal costs nothing.
    port->RunAtCommand(RecordWriteCommand(before, family));
    if (port->CommandOk()) {
      ui.messageBox(Ru("Телефон не принял изменённую запись. Прежняя запись восстановлена."),
                    MsgKind::Error, MsgButtons::Ok);
      return;
    }
    FreeRecord(*recordAt(oldIndex));
    const auto gone = std::find_if(ListView1.rows.begin(), ListView1.rows.end(),
                                   [&](const ListRow& r) { return r.caption == old; });
    if (gone != ListView1.rows.end()) ListView1.rows.erase(gone);
    ++ListView1.revision;
    ui.messageBox(Ru("Телефон не принял изменённую запись, а прежнюю восстановить не удалось: "
                     "запись удалена из телефона."),
                  MsgKind::Error, MsgButtons::Ok);
    RefreshRowDrawing();
    return;
  }

  FreeOldSlot(*recordAt(oldIndex));
  // The modal dialog took no other input, but find the row again rather than trust it.
  std::size_t at = static_cast<std::size_t>(sel);
  if (at >= ListView1.rows.size() || ListView1.rows[at].caption != old) {
    const auto it = std::find_if(ListView1.rows.begin(), ListView1.rows.end(),
                                 [&](const ListRow& r) { return r.caption == old; });
    at = static_cast<std::size_t>(it - ListView1.rows.begin());
  }
  const int typeItem = d.cbType.itemIndex;
  if (at < ListView1.rows.size()) {
    ListRow& edited = ListView1.rows[at];
    edited.caption = IntToStr(newIndex);
    edited.subItems.resize(4);
    edited.subItems[0] = {d.edtAbonentName.text, kNoImage};
    edited.subItems[1] = {d.edtPhoneNumber.text, kNoImage};
    edited.subItems[2] = {
        d.cbType.text, typeItem >= 0 || row.subItems.size() < 3 ? typeItem : row.subItems[2].image};
    edited.subItems[3] = {d.cbIDs.text, kNoImage};
    if (family == Family::Grouped) {
      edited.subItems.push_back({d.cbIcon.text, IconItemImage(d.cbIcon.itemIndex)});
      edited.subItems.push_back({d.cbGroup.text, kNoImage});
    } else if (family == Family::GroupedText) {
      edited.subItems.push_back({d.cbIcon.text, kNoImage});
      edited.subItems.push_back({d.cbGroup.text, kNoImage});
    }
    ++ListView1.revision;
  }

  TAbonentInfo& r = *recordAt(newIndex);
  const TAbonentInfo& freed = *recordAt(oldIndex);
  const std::uint8_t attr6 = freed.Attr6, attr8 = freed.Attr8, attr9 = freed.Attr9;
  r.Category = 0;
  r.IconId = 0;
  r.IconText.clear();
  if (family == Family::Grouped) {
    r.IconId = IconIdOfItem(d.cbIcon.itemIndex);
    r.Category = static_cast<std::uint8_t>(d.cbGroup.itemIndex + 1);
  } else if (family == Family::GroupedText) {
    r.IconId = kNoIcon;
    // What the command gave the handset, so that a later load or write back keeps it.
    r.IconText = d.cbIcon.text;
    r.Category = static_cast<std::uint8_t>(d.cbGroup.itemIndex + 1);
  }
  r.OnSim = newIndex > PhoneLast ? 1 : 0;
  r.Index = newIndex;
  r.Name = d.edtAbonentName.text;
  r.NameHex = NameHexFor(r.Name, d.KeptNameHex);
  r.Number = d.edtPhoneNumber.text;
  const char lead = r.Number.empty() ? '\0' : r.Number[0];
  const bool latin = (lead >= 'A' && lead <= 'Z') || (lead >= 'a' && lead <= 'z');
  if (lead == '+' && typeItem != 6) {
    r.NumberFormat = 145;
  } else if (latin && typeItem == 6) {
    r.NumberFormat = 128;
  } else {
    r.NumberFormat = 129;
  }
  r.NumberType = static_cast<std::uint8_t>(typeItem < 0 && d.KeptType >= 0 ? d.KeptType : typeItem);
  r.Attr6 = attr6;
  r.Attr8 = attr8;
  r.Attr9 = attr9;
  if (d.cbIDs.text == AlertItems()[2]) {
    r.AlertId = 255;
  } else if (d.cbIDs.text == AlertItems()[0]) {
    r.AlertId = 0;
  } else {
    r.AlertId = text::StrToInt(d.cbIDs.text);
  }
  r.Attr12 = 255;
  r.Attr13 = 0;
  r.Tail1 = 0;
  r.Tail2 = 0;
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
  ContinueFlag = true;
  writingAll_ = true;
  struct Writing {
    bool& flag;
    ~Writing() { flag = false; }
  } writing{writingAll_};
  struct ProgressReset {
    ProgressBar& bar;
    ~ProgressReset() { bar.setPosition(0); }
  } reset{pbReadAllRecords};
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"));
  const Family family = FamilyOf(model);
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk) return;
  if (port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) return;

  pbReadAllRecords.setRange(0, static_cast<int>(ListView1.rows.size()) - 1);
  int refused = 0;
  // The window takes input between rows, so the list may change under the loop: it is
  // indexed afresh every time.
  for (std::size_t k = 0; k < ListView1.rows.size(); ++k) {
    const ListRow& row = ListView1.rows[k];
    const TAbonentInfo entry = RowToWrite(row, recordAt(IntOf(row.caption).value_or(0)), family);
    port->RunAtCommand(RecordWriteCommand(entry, family));
    if (!port->CommandOk()) ++refused;
    pbReadAllRecords.setPosition(static_cast<int>(k));
    ui.processEvents(false);
    if (!ContinueFlag) {
      if (ui.messageBox(Ru("Вы уверены, что хотите прервать\r\nзапись данных в телефон?!"),
                        MsgKind::Question, MsgButtons::YesNo) == MsgResult::Yes) {
        break;
      }
      ContinueFlag = true;
    }
  }
  if (refused > 0) {
    ui.messageBox(Ru("Телефон не принял записей: ") + IntToStr(refused) + ".", MsgKind::Warning,
                  MsgButtons::Ok);
  }
}

}  // namespace quorvex::phonebook
