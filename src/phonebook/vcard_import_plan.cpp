#include "phonebook/vcard_import_plan.h"

#include <algorithm>
#include <map>
#include <set>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "codec/utf8.h"
#include "core/controls.h"
#include "phonebook/vcard.h"

namespace quorvex::phonebook {

using text::IntToStr;

namespace {

// What code page 1251 and the handset keep of a UTF-8 text; the characters that go are named
// in the notes. `number`: a dial string or address inside the command's double quotes, where
// a quote or a control character would break the command; a name travels as UCS2 hex, which
// keeps every character of the code page but the control characters.
std::string ForHandset(std::string_view utf8, bool number, std::vector<std::string>& notes) {
  DroppedNames outside, unkept;
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t cp;
    const std::size_t n = DecodeUtf8(utf8, at, cp);
    const std::size_t length = n == 0 ? 1 : n;
    const std::optional<std::string> byte = Utf8ToCp1251(utf8.substr(at, length));
    at += length;
    if (!byte || n == 0) {
      outside.add(CodePointName(cp));
      continue;
    }
    const auto b = static_cast<unsigned char>((*byte)[0]);
    const bool kept = number ? (b >= 0x20 && b != '"' && b != 0x7F) : !TextToUcs2Hex(*byte).empty();
    if (!kept) {
      unkept.add(b >= 0x20 && b != 0x7F && b != 0x98 ? Ru("«") + *byte + Ru("»")
                                                     : CodePointName(cp));
      continue;
    }
    out += *byte;
  }
  const std::string what = number ? Ru("В номере ") : Ru("В имени ");
  if (!outside.empty())
    notes.push_back(what + Ru("удалены знаки вне кодовой страницы 1251: ") + outside.joined());
  if (!unkept.empty())
    notes.push_back(what + Ru("удалены знаки, которых телефон не хранит: ") + unkept.joined());
  return out;
}

// A name the handset holds: its first 24 characters, without the blanks a cut inside a
// phrase leaves at the end.
std::string CutName(const std::string& name) {
  return TrimBlanks(std::string_view(name).substr(0, kNameChars));
}

std::string Key(const std::string& name, const std::string& number) {
  return name + '\x01' + number;
}

std::string TypeText(const ImportRow& row, Family family) {
  if (row.status == ImportRow::Status::NoNumber && row.number.empty()) return {};
  if (row.sim) return "SIM";
  if (row.type < TypeListTexts().size()) return TypeListTexts()[row.type];
  if (row.type == 7 && HasGroups(family)) return TypeItems()[7];
  return {};
}

// Where the rows go: the free indices of each memory after the last read, the entries
// already there, and what earlier rows took.
struct Room {
  std::map<std::string, std::int32_t> onHandset;
  std::vector<std::int32_t> freePhone, freeSim;
  std::size_t nextPhone = 0, nextSim = 0;
  std::set<std::string> planned;

  Room(const std::vector<TAbonentInfo>& records, std::int32_t simFirst) {
    for (std::size_t k = 0; k < records.size(); ++k) {
      const auto index = static_cast<std::int32_t>(k) + 1;
      if (IsFree(records[k])) {
        (index >= simFirst ? freeSim : freePhone).push_back(index);
      } else if (records[k].Index != 0) {
        onHandset.emplace(Key(records[k].Name, records[k].Number), records[k].Index);
      }
    }
  }

  // The row's status, and for a row to write its index and command.
  void place(ImportRow& row, Family family) {
    const std::string key = Key(row.name, row.number);
    if (row.number.empty()) {
      row.status = ImportRow::Status::NoNumber;
      row.statusText = Ru("Пропущена: номер пуст");
    } else if (const auto found = onHandset.find(key); found != onHandset.end()) {
      row.status = ImportRow::Status::OnHandset;
      row.index = found->second;
      row.statusText = Ru("Пропущена: уже есть в телефоне под номером ") + IntToStr(row.index);
    } else if (planned.count(key) > 0) {
      row.status = ImportRow::Status::EarlierInFile;
      row.statusText = Ru("Пропущена: такая запись уже есть выше в файле");
    } else {
      planned.insert(key);
      std::vector<std::int32_t>& free = row.sim ? freeSim : freePhone;
      std::size_t& next = row.sim ? nextSim : nextPhone;
      if (next >= free.size()) {
        row.status = ImportRow::Status::NoRoom;
        row.statusText = row.sim ? Ru("Не помещается: на SIM-карте нет свободного номера")
                                 : Ru("Не помещается: в памяти телефона нет свободного номера");
      } else {
        row.status = ImportRow::Status::Write;
        row.index = free[next++];
        row.statusText = Ru("Будет записана под номером ") + IntToStr(row.index);
        row.command = WriteCommand(row, family);
      }
    }
  }

  // A number that found the phone memory full takes a SIM place the file's own SIM cards
  // left, as a SIM entry; the SIM keeps no e-mail.
  void overflowToSim(ImportRow& row, Family family) {
    if (row.status != ImportRow::Status::NoRoom || row.sim) return;
    if (nextSim >= freeSim.size()) return;
    if (row.type == kEmailType) {
      row.statusText += Ru(", а e-mail SIM-карта не хранит");
      return;
    }
    row.status = ImportRow::Status::Write;
    row.sim = true;
    row.toSim = true;
    row.type = SimNumberType(family);
    row.index = freeSim[nextSim++];
    row.statusText = Ru("Будет записана на SIM-карту под номером ") + IntToStr(row.index) +
                     Ru(": в памяти телефона нет места");
    row.command = WriteCommand(row, family);
  }

  static std::string WriteCommand(const ImportRow& row, Family family) {
    DialogEntry e;
    e.index = row.index;
    e.number = row.number;
    e.nameHex = TextToUcs2Hex(row.name);
    e.type = row.type;
    e.alert = 255;
    e.group = row.category;
    e.icon = IntToStr(kNoIcon);
    e.iconText = Ru("нет");
    return DialogWriteCommand(e, family);
  }
};

// What a card has in common for all its rows: the name as the handset keeps it, the caller
// group and the notes on both.
struct CardHead {
  std::string name;
  std::vector<std::string> nameNotes, cardNotes;
  std::uint8_t category = 0;

  CardHead(const VCard& card, const std::vector<std::string>& groupNames, Family family)
      : cardNotes(card.notes) {
    // Blanks left at either end by a dropped character would only waste the 24 places.
    name = TrimBlanks(ForHandset(card.name, false, nameNotes));
    if (card.categories.empty()) return;
    if (!HasGroups(family)) {
      cardNotes.push_back(Ru("Группы эта модель не хранит: ") +
                          Utf8ToCp1251Lossy(card.categories.front()));
      return;
    }
    for (const std::string& wanted : card.categories) {
      const std::string g = Utf8ToCp1251Lossy(wanted);
      const auto at = std::find(groupNames.begin(), groupNames.end(), g);
      if (at != groupNames.end() && !g.empty()) {
        category = static_cast<std::uint8_t>(at - groupNames.begin() + 1);
        break;
      }
    }
    if (category == 0) {
      cardNotes.push_back(Ru("Группы «") + Utf8ToCp1251Lossy(card.categories.front()) +
                          Ru("» в телефоне нет: запись будет без группы"));
    }
  }
};

// The row of one number or e-mail of a card, before it is placed.
ImportRow ItemRow(const VCard& card, const CardHead& head, const VCardItem& item, Family family) {
  ImportRow row;
  row.category = head.category;
  row.sim = card.sim;
  row.notes = head.cardNotes;
  if (!item.dropped.empty())
    row.notes.push_back(Ru("Из номера убрано: ") + Utf8ToCp1251Lossy(item.dropped));
  std::string number = ForHandset(item.value, true, row.notes);
  if (number.size() > kNumberChars) {
    number.resize(kNumberChars);
    row.notes.push_back(Ru("Номер обрезан до 40 знаков"));
  }
  row.notes.insert(row.notes.end(), head.nameNotes.begin(), head.nameNotes.end());
  std::string entryName = head.name;
  if (entryName.empty()) {
    entryName = number;
    if (!number.empty()) row.notes.push_back(Ru("Имени нет: вместо него записан номер"));
  }
  if (entryName.size() > kNameChars) {
    entryName = CutName(entryName);
    row.notes.push_back(Ru("Имя обрезано до 24 знаков"));
  }
  row.name = entryName;
  row.number = number;
  if (card.sim) {
    row.type = SimNumberType(family);
  } else if (item.email) {
    row.type = kEmailType;
  } else {
    row.type = NumberTypeFromTel(item.types, family);
  }
  return row;
}

}  // namespace

VCardImportPlan::VCardImportPlan(const std::vector<VCard>& cards,
                                 const std::vector<TAbonentInfo>& records,
                                 const std::vector<std::string>& groupNames, std::int32_t simFirst,
                                 Family family)
    : groupNames_(groupNames), family_(family) {
  Room room(records, simFirst);
  for (std::size_t c = 0; c < cards.size(); ++c) {
    const VCard& card = cards[c];
    const CardHead head(card, groupNames, family);
    if (card.items.empty()) {
      ImportRow row;
      row.status = ImportRow::Status::NoNumber;
      row.card = static_cast<int>(c);
      row.name = CutName(head.name);
      row.category = head.category;
      row.sim = card.sim;
      row.statusText = Ru("Пропущена: в карточке нет ни номера, ни e-mail");
      row.notes = head.cardNotes;
      rows_.push_back(std::move(row));
      continue;
    }
    for (const VCardItem& item : card.items) {
      ImportRow row = ItemRow(card, head, item, family);
      row.card = static_cast<int>(c);
      room.place(row, family);
      rows_.push_back(std::move(row));
    }
  }
  // Only after every card that asks for the SIM has its place.
  for (ImportRow& row : rows_) room.overflowToSim(row, family);
}

int VCardImportPlan::count(ImportRow::Status status) const {
  return static_cast<int>(std::count_if(
      rows_.begin(), rows_.end(), [status](const ImportRow& r) { return r.status == status; }));
}

int VCardImportPlan::altered() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(),
                                        [](const ImportRow& r) { return !r.notes.empty(); }));
}

std::string VCardImportPlan::Summary() const {
  using S = ImportRow::Status;
  const int toSim = static_cast<int>(
      std::count_if(rows_.begin(), rows_.end(), [](const ImportRow& r) { return r.toSim; }));
  return Ru("Будет записано: ") + IntToStr(count(S::Write)) +
         (toSim > 0 ? Ru(" (из них на SIM-карту: ") + IntToStr(toSim) + ")" : std::string()) +
         Ru("; уже в телефоне: ") + IntToStr(count(S::OnHandset)) + Ru("; повторов в файле: ") +
         IntToStr(count(S::EarlierInFile)) + Ru("; не помещается: ") + IntToStr(count(S::NoRoom)) +
         Ru("; без номера: ") + IntToStr(count(S::NoNumber)) + Ru("; с изменениями: ") +
         IntToStr(altered()) + ".";
}

ListModel VCardImportPlan::PreviewList() const {
  ListModel list;
  list.columns = {
      {"#", 45, ListColumn::Align::Left, kNoImage},
      {Ru("Имя, Фамилия"), 150, ListColumn::Align::Left, kNoImage},
      {Ru("Номер телефона"), 120, ListColumn::Align::Left, kNoImage},
      {Ru("Тип"), 100, ListColumn::Align::Left, kNoImage},
      {Ru("Группа"), 100, ListColumn::Align::Left, kNoImage},
      {Ru("Состояние"), 300, ListColumn::Align::Left, kNoImage},
  };
  for (const ImportRow& r : rows_) {
    ListRow& row = list.add(r.status == ImportRow::Status::Write ? IntToStr(r.index) : "");
    row.subItems.push_back({r.name, kNoImage});
    row.subItems.push_back({r.number, kNoImage});
    row.subItems.push_back({TypeText(r, family_), kNoImage});
    row.subItems.push_back({r.category >= 1 && r.category <= groupNames_.size()
                                ? groupNames_[r.category - 1]
                                : std::string(),
                            kNoImage});
    std::string status = r.statusText;
    for (const std::string& note : r.notes) status += "; " + note;
    row.subItems.push_back({status, kNoImage});
  }
  return list;
}

}  // namespace quorvex::phonebook
