#include "phonebook/records.h"

#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/field_cutter.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "phonebook/add_record_dialog.h"

namespace quorvex::phonebook {

using text::Copy;
using text::Delete;
using text::IntToStr;
using text::Pos;

namespace {

// Handsets leave a number field they do not use empty; a line that ends before the field is
// garbled and fails as an empty text does.
std::int32_t IntField(FieldCutter& c) {
  const std::optional<std::string_view> f = c.field(',');
  if (!f) return text::StrToIntDecimal("");
  return f->empty() ? 0 : text::StrToIntDecimal(*f);
}
std::uint8_t ByteField(FieldCutter& c) {
  return static_cast<std::uint8_t>(IntField(c));
}
std::string_view TextField(FieldCutter& c) {
  return c.field(',').value_or(std::string_view());
}

std::string Quoted(std::string_view number) {
  std::string out = "\"";
  out += number;
  out += '"';
  return out;
}

}  // namespace

TAbonentInfo FreeSlot(std::int32_t index) {
  TAbonentInfo r;
  r.Index = index;
  r.Name = std::string(kFreeName);
  return r;
}

void FreeRecord(TAbonentInfo& r) {
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
  r.Attr12 = 255;
  r.Attr13 = 0;
  r.Tail1 = 0;
  r.Tail2 = 0;
}

bool IsFree(const TAbonentInfo& record) {
  return record.Name == kFreeName;
}

Family FamilyOf(std::string_view model) {
  static constexpr std::string_view kClassic[] = {"T720", "T720i", "V60", "V66",
                                                  "V60i", "V66i",  "V70"};
  static constexpr std::string_view kGrouped[] = {"C350", "C330", "V150"};
  static constexpr std::string_view kGroupedText[] = {"C450", "C550"};
  for (std::string_view m : kClassic)
    if (model == m) return Family::Classic;
  for (std::string_view m : kGrouped)
    if (model == m) return Family::Grouped;
  for (std::string_view m : kGroupedText)
    if (model == m) return Family::GroupedText;
  return Family::None;
}

bool HasGroups(Family family) {
  return family == Family::Grouped || family == Family::GroupedText;
}

bool IsT720(std::string_view model) {
  return model == "T720" || model == "T720i";
}

const std::array<std::string, 7>& TypeListTexts() {
  static const std::array<std::string, 7> texts = {Ru("Рабочий"),   Ru("Домашний"), Ru("Основной"),
                                                   Ru("Мобильный"), Ru("Факс"),     Ru("Пейджер"),
                                                   "E-Mail"};
  return texts;
}

const std::array<std::string, 8>& TypeItems() {
  static const std::array<std::string, 8> items = {
      Ru("Рабочий"), Ru("Домашний"), Ru("Основной"), Ru("Мобильный"),
      Ru("Факс"),    Ru("Пейджер"),  "E-mail",       Ru("Лист рассылки")};
  return items;
}

const std::array<std::string, 16>& IconCaptions() {
  static const std::array<std::string, 16> captions = {
      Ru("ужасно"),   Ru("дружок"), Ru("малыш"),      Ru("робот"), Ru("милашка"), Ru("босс"),
      Ru("мерзость"), Ru("семья"),  Ru("звезда"),     Ru("умник"), Ru("штучка"),  Ru("нло"),
      Ru("скин"),     Ru("фанат"),  Ru("очарование"), Ru("нет")};
  return captions;
}

const std::vector<std::string>& DesignGroupNames() {
  static const std::vector<std::string> names = {"General", "Busines", "Personal", "VIPs"};
  return names;
}

const std::array<std::string, 3>& AlertItems() {
  static const std::array<std::string, 3> items = {Ru("Бесшумный"), Ru("(здесь введите номер)"),
                                                   Ru("По умолчанию")};
  return items;
}

std::optional<std::string> AlertText(std::int32_t alert) {
  if (alert == 0) return AlertItems()[0];
  if (alert == 255) return AlertItems()[2];
  if (alert > 0 && alert < 255) return IntToStr(alert);
  return std::nullopt;
}

std::uint8_t NumberFormatFor(std::string_view number, int type) {
  if (!number.empty() && number[0] == '+') return 145;
  return type == 6 ? 128 : 129;
}

std::string CutModelName(std::string_view modelReply, ModelCut cut) {
  if (cut == ModelCut::AtQuote) return ValueAfterEquals(modelReply);
  std::string reply(modelReply);
  const int model = Pos("MODEL=", reply);
  if (model > 0) Delete(reply, 1, model + 5);
  Delete(reply, Pos("\"", reply), 1);
  Delete(reply, Pos("\r\n\r\nOK\r\n", reply), 8);
  return reply;
}

void CutStorageBounds(std::string_view reply, std::int32_t& first, std::int32_t& last) {
  const std::string trimmed = text::Trim(reply);
  FieldCutter c(trimmed);
  c.skip(7);
  first = text::StrToIntDecimal(c.before('-'));
  c.through('-');
  last = text::StrToIntDecimal(c.before(','));
}

std::int32_t CutGroupCount(std::string_view reply) {
  FieldCutter c(reply);
  c.skip(12);
  return text::StrToIntDecimal(c.before(')'));
}

std::string CutGroupName(std::string_view reply) {
  const std::string trimmed = text::Trim(reply);
  if (!trimmed.empty() && trimmed[0] == 'O') return {};
  FieldCutter c(trimmed);
  c.skip(7);
  c.through(',');
  return Ucs2FieldToText(c.before(','));
}

TAbonentInfo ParseEntryLine(std::string_view line, Family family, std::int32_t simFirst) {
  TAbonentInfo r;
  FieldCutter c(line);
  c.skip(7);
  r.Index = text::StrToIntDecimal(c.before(','));
  r.OnSim = r.Index >= simFirst ? 1 : 0;
  c.through(',', 1);  // and the opening quote of the number
  r.Number = std::string(c.before('"'));
  c.through('"', 1);  // and the comma after the closing quote
  r.NumberFormat = ByteField(c);
  // Some handsets quote their UCS2 texts; the hex kept for writing back is the bare one, as
  // the write command carries it.
  r.NameHex = std::string(UnquotedField(TextField(c)));
  r.Name = Ucs2FieldToText(r.NameHex);
  r.NumberType = ByteField(c);
  r.Attr6 = ByteField(c);
  r.AlertId = IntField(c);
  r.Attr8 = ByteField(c);
  r.Attr9 = ByteField(c);
  if (HasGroups(family)) {
    r.Category = ByteField(c);
    r.IconId = IntField(c);
    r.Attr12 = ByteField(c);
    r.Attr13 = ByteField(c);
    if (family == Family::GroupedText) r.IconText = Ucs2FieldToText(TextField(c));
  } else {
    r.Attr12 = 255;
  }
  return r;
}

std::vector<std::string_view> SplitChunkReply(std::string_view text, int most) {
  std::vector<std::string_view> lines;
  FieldCutter c(text);
  while (static_cast<int>(lines.size()) < most && !c.rest().empty()) {
    const std::size_t end = c.rest().find("\r\n");
    // Without a line end the line is empty (and fails to parse), as a cut at position 0 gives.
    const std::string_view entry =
        end == std::string_view::npos ? std::string_view() : c.rest().substr(0, end);
    lines.push_back(entry);
    c.skip(entry.size() + 4);  // the line, its CR LF and the empty line after it
  }
  return lines;
}

std::string DialogWriteCommand(const DialogEntry& e, Family family) {
  if (family == Family::None) return {};
  std::string cmd = "AT+MPBW=" + IntToStr(e.index) + "," + Quoted(e.number) + "," +
                    IntToStr(NumberFormatFor(e.number, e.type)) + "," + e.nameHex + "," +
                    IntToStr(e.type) + ",0," + IntToStr(e.alert) + ",0,1";
  if (family == Family::Grouped) {
    cmd += "," + IntToStr(e.group) + "," + e.icon + ",255,0";
  } else if (family == Family::GroupedText) {
    cmd += "," + IntToStr(e.group) + ",255,255,0," + e.iconText + ",0,0";
  }
  return cmd;
}

std::string NameHexFor(std::string_view name, std::string_view keptHex) {
  if (!keptHex.empty()) {
    try {
      if (Ucs2FieldToText(keptHex) == name) return std::string(keptHex);
    } catch (const EConvertError&) {
      // Hex that does not decode is no text of the handset's: the name goes as typed.
    }
  }
  return TextToUcs2Hex(name);
}

std::string RecordWriteCommand(const TAbonentInfo& r, Family family) {
  std::string cmd = "AT+MPBW=" + IntToStr(r.Index) + "," + Quoted(r.Number) + "," +
                    IntToStr(r.NumberFormat) + "," + NameHexFor(r) + "," + IntToStr(r.NumberType) +
                    "," + IntToStr(r.Attr6) + "," + IntToStr(r.AlertId) + "," + IntToStr(r.Attr8) +
                    "," + IntToStr(r.Attr9);
  if (HasGroups(family)) {
    cmd += "," + IntToStr(r.Category) + "," + IntToStr(r.IconId) + "," + IntToStr(r.Attr12) + "," +
           IntToStr(r.Attr13);
  }
  if (family == Family::GroupedText) {
    // The icon text goes as typed, not in hex, as in the record dialog's command.
    cmd += "," + r.IconText + "," + IntToStr(r.Tail1) + "," + IntToStr(r.Tail2);
  }
  return cmd;
}

std::string EntryLine(const TAbonentInfo& r, Family family) {
  std::string line = "+MPBR: " + IntToStr(r.Index) + "," + Quoted(r.Number) + "," +
                     IntToStr(r.NumberFormat) + "," + NameHexFor(r) + "," + IntToStr(r.NumberType) +
                     "," + IntToStr(r.Attr6) + "," + IntToStr(r.AlertId) + "," + IntToStr(r.Attr8) +
                     "," + IntToStr(r.Attr9);
  if (HasGroups(family)) {
    line += "," + IntToStr(r.Category) + "," + IntToStr(r.IconId) + "," + IntToStr(r.Attr12) + "," +
            IntToStr(r.Attr13);
  }
  if (family == Family::GroupedText) line += "," + TextToUcs2Hex(r.IconText) + ",0,0";
  return line;
}

std::string EraseCommand(std::int32_t index) {
  return "AT+MPBW=" + IntToStr(index);
}

TAbonentInfo RecordFromDialog(const TfrmAddRecord& d, Family family) {
  TAbonentInfo r;
  r.Name = d.edtAbonentName.text;
  r.NameHex = NameHexFor(r.Name, d.KeptNameHex);
  r.Number = d.edtPhoneNumber.text;
  r.NumberType = d.typeCode();
  r.NumberFormat = NumberFormatFor(r.Number, r.NumberType);
  r.AlertId = d.alertCode();
  r.Attr9 = 1;
  if (HasGroups(family)) r.Category = static_cast<std::uint8_t>(d.cbGroup.itemIndex + 1);
  if (family == Family::Grouped) {
    r.IconId = IconIdOfItem(d.cbIcon.itemIndex);
  } else if (family == Family::GroupedText) {
    // As the command sent them: 255 for the icon, the text as typed.
    r.IconId = kNoIcon;
    r.IconText = d.cbIcon.text;
  }
  r.Attr12 = 255;
  return r;
}

std::vector<ListColumn> BaseColumns() {
  return {
      {"#", 45, ListColumn::Align::Left, kNoImage},
      {Ru("Имя, Фамилия"), 150, ListColumn::Align::Left, kNoImage},
      {Ru("Номер телефона"), 120, ListColumn::Align::Left, kNoImage},
      {Ru("Тип"), 120, ListColumn::Align::Left, kNoImage},
      {"IDs", 100, ListColumn::Align::Center, kNoImage},
  };
}

void AddGroupColumns(ListModel& list) {
  if (list.columns.size() == kGroupedColumns) list.columns.resize(kBaseColumns);
  if (list.columns.size() == kBaseColumns) {
    list.columns.push_back({Ru("Иконка"), 100, ListColumn::Align::Left, kNoImage});
    list.columns.push_back({Ru("Группа"), 100, ListColumn::Align::Left, kNoImage});
  }
  ++list.revision;
}

std::optional<ListCell> ReadTypeCell(std::uint8_t type, Family family, std::string_view model) {
  if (type <= 6) return ListCell{TypeListTexts()[type], type};
  if (type == 7) {
    if (IsT720(model)) return ListCell{"SIM", kSimTypeImage};
    if (HasGroups(family)) return ListCell{TypeItems()[7], 7};
    return std::nullopt;
  }
  if (type == 8) {
    if (HasGroups(family)) return ListCell{"SIM", kSimTypeImage};
    return std::nullopt;
  }
  return ListCell{};
}

int IconItemImage(int item) {
  return item >= 0 && item <= 14 ? item + kFirstIconImage : kNoImage;
}

int IconIdOfItem(int item) {
  return item == 15 ? kNoIcon : item;
}

ListCell IconCell(std::int32_t iconId) {
  if (iconId >= 0 && iconId <= 14) return {IconCaptions()[iconId], IconItemImage(iconId)};
  if (iconId == kNoIcon) return {IconCaptions()[15], kNoImage};
  return {};
}

ListCell GroupCell(std::uint8_t category, const std::vector<std::string>& groupNames) {
  if (category >= 1 && category <= groupNames.size()) return {groupNames[category - 1], kNoImage};
  return {};
}

namespace {

// A load names the types with the record dialog's items, and the family's SIM code "SIM".
ListCell LoadedTypeCell(std::uint8_t type, Family family) {
  const bool sim = (type == 7 && family == Family::Classic) || (type == 8 && HasGroups(family));
  if (sim) return {"SIM", kSimTypeImage};
  if (type < TypeItems().size()) return {TypeItems()[type], type};
  return {};
}

}  // namespace

ListRow RowFromRecord(const TAbonentInfo& r, Family family, std::string_view model,
                      const std::vector<std::string>& groupNames, RowTexts texts) {
  ListRow row;
  row.caption = IntToStr(r.Index);
  row.subItems.push_back({r.Name, kNoImage});
  row.subItems.push_back({r.Number, kNoImage});
  if (texts == RowTexts::Load) {
    row.subItems.push_back(LoadedTypeCell(r.NumberType, family));
  } else if (auto type = ReadTypeCell(r.NumberType, family, model)) {
    row.subItems.push_back(*type);
  }
  row.subItems.push_back({AlertText(r.AlertId).value_or(std::string()), kNoImage});
  if (HasGroups(family)) {
    const bool iconText = family == Family::GroupedText && texts == RowTexts::Read;
    row.subItems.push_back(iconText ? ListCell{r.IconText, kNoImage} : IconCell(r.IconId));
    row.subItems.push_back(GroupCell(r.Category, groupNames));
  }
  return row;
}

}  // namespace quorvex::phonebook
