#include "phonebook/vcard_import.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>

#include "codec/cp1251.h"
#include "codec/delphi_text.h"
#include "codec/errors.h"
#include "codec/hex_digits.h"
#include "codec/reply_fields.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "codec/utf8.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/phonebook_section.h"
#include "phonebook/vcard.h"

namespace quorvex::phonebook {

using text::IntToStr;

namespace {

// ---------------------------------------------------------------------------------------
// UTF-8 and charsets

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string TrimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

// Through the system's converter; nullopt when it does not know the charset. A byte it
// cannot convert becomes U+FFFD, so the preview names it instead of losing it silently.
std::optional<std::string> ConvertWithIconv(std::string_view bytes, const std::string& charset) {
  iconv_t cd = iconv_open("UTF-8", charset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::string in(bytes);
  char* src = in.data();
  std::size_t left = in.size();
  char buffer[256];
  while (left > 0) {
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (a truncated sequence at the end): one byte goes, marked.
      AppendUtf8(out, 0xFFFD);
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

// The value's bytes as UTF-8 under its CHARSET (empty: none given).
std::string ToUtf8(std::string_view bytes, const std::string& charset,
                   std::vector<std::string>& notes) {
  const std::string cs = Upper(charset);
  if (cs.empty()) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    // Address books of this region wrote their 2.1 cards in the Windows code page without
    // saying so.
    notes.push_back(Ru("Текст без указания кодировки прочитан как windows-1251"));
    return Cp1251ToUtf8(bytes);
  }
  if (cs == "UTF-8" || cs == "UTF8" || cs == "US-ASCII" || cs == "ASCII") {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    for (std::size_t at = 0; at < bytes.size();) {
      char32_t cp;
      const std::size_t n = DecodeUtf8(bytes, at, cp);
      AppendUtf8(out, cp);
      at += n == 0 ? 1 : n;
    }
    return out;
  }
  if (cs == "WINDOWS-1251" || cs == "CP1251") return Cp1251ToUtf8(bytes);
  if (cs == "ISO-8859-1" || cs == "LATIN1") {
    std::string out;
    for (const char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
  }
  if (auto converted = ConvertWithIconv(bytes, cs)) return *converted;
  notes.push_back(Ru("Неизвестная кодировка ") + Utf8ToCp1251Lossy(charset) +
                  Ru(": текст прочитан как UTF-8"));
  return ToUtf8(bytes, "UTF-8", notes);
}

std::string DecodeQuotedPrintable(std::string_view s) {
  std::string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == '=' && k + 2 < s.size() && HexDigitValue(s[k + 1]) >= 0 &&
        HexDigitValue(s[k + 2]) >= 0) {
      out += static_cast<char>(HexDigitValue(s[k + 1]) * 16 + HexDigitValue(s[k + 2]));
      k += 2;
    } else {
      out += s[k];  // a stray "=" stays as it is
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------
// Lines and properties

std::vector<std::pair<int, std::string_view>> PhysicalLines(std::string_view file) {
  std::vector<std::pair<int, std::string_view>> lines;
  int number = 1;
  std::size_t pos = 0;
  while (pos < file.size()) {
    const std::size_t end = file.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(number, file.substr(pos));
      break;
    }
    lines.emplace_back(number++, file.substr(pos, end - pos));
    pos = end + (file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

// The first c outside double quotes (4.0 quotes parameter values), npos when none.
std::size_t FindOutsideQuotes(std::string_view s, char c, std::size_t from = 0) {
  bool quoted = false;
  for (std::size_t k = from; k < s.size(); ++k) {
    if (s[k] == '"') quoted = !quoted;
    if (!quoted && s[k] == c) return k;
  }
  return std::string_view::npos;
}

bool IsQuotedPrintable(std::string_view line) {
  const std::size_t colon = FindOutsideQuotes(line, ':');
  if (colon == std::string_view::npos) return false;
  return Upper(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

struct Property {
  std::string name;  // upper case, without its group
  std::set<std::string> types;
  std::string encoding;  // upper case
  std::string charset;
  std::string value;  // raw
};

std::optional<Property> ParseProperty(std::string_view line) {
  const std::size_t colon = FindOutsideQuotes(line, ':');
  if (colon == std::string_view::npos) return std::nullopt;
  Property p;
  p.value = std::string(line.substr(colon + 1));
  const std::string_view head = line.substr(0, colon);
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t semi = FindOutsideQuotes(head, ';', start);
    parts.push_back(head.substr(start, semi == std::string_view::npos ? head.npos : semi - start));
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  std::string_view name = parts[0];
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
    name = name.substr(dot + 1);
  p.name = Upper(TrimBlanks(name));
  for (std::size_t k = 1; k < parts.size(); ++k) {
    const std::string_view param = parts[k];
    const std::size_t eq = param.find('=');
    std::string key = eq == std::string_view::npos ? "" : Upper(TrimBlanks(param.substr(0, eq)));
    std::string value = TrimBlanks(eq == std::string_view::npos ? param : param.substr(eq + 1));
    std::string bare = Upper(value);
    if (key.empty()) {
      // 2.1 names a type or an encoding without saying which.
      key = bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "8BIT" || bare == "7BIT"
                ? "ENCODING"
                : "TYPE";
    }
    if (key == "ENCODING") {
      p.encoding = bare;
    } else if (key == "CHARSET") {
      p.charset = value;
    } else if (key == "TYPE") {
      for (std::size_t start = 0;;) {
        const std::size_t comma = bare.find(',', start);
        std::string t = bare.substr(start, comma == std::string::npos ? comma : comma - start);
        t.erase(std::remove(t.begin(), t.end(), '"'), t.end());
        t = TrimBlanks(t);
        if (!t.empty()) p.types.insert(t);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    } else if (key == "PREF") {
      p.types.insert("PREF");  // 4.0 says PREF=1 where 3.0 said TYPE=PREF
    }
  }
  return p;
}

// Splits at every unescaped sep; the pieces keep their escapes.
std::vector<std::string> SplitEscaped(std::string_view s, char sep) {
  std::vector<std::string> out(1);
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == '\\' && k + 1 < s.size()) {
      out.back() += s[k];
      out.back() += s[++k];
    } else if (s[k] == sep) {
      out.emplace_back();
    } else {
      out.back() += s[k];
    }
  }
  return out;
}

// Text unescaping; a line break in a name or a group becomes a blank.
std::string Unescape(std::string_view s) {
  std::string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == '\\' && k + 1 < s.size()) {
      const char next = s[++k];
      out += next == 'n' || next == 'N' ? ' ' : next;
    } else if (s[k] == '\r' || s[k] == '\n') {
      out += ' ';
    } else {
      out += s[k];
    }
  }
  return out;
}

std::string JoinNonEmpty(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) {
    const std::string t = TrimBlanks(p);
    if (t.empty()) continue;
    if (!out.empty()) out += ' ';
    out += t;
  }
  return out;
}

// A TEL value as a dial string: without "tel:", its URI parameters (kept apart for the
// preview) and the visual separators address books put in.
void CleanNumber(std::string value, VCardItem& item) {
  value = TrimBlanks(value);
  if (Upper(value.substr(0, 4)) == "TEL:") {
    value.erase(0, 4);
    if (const std::size_t semi = value.find(';'); semi != std::string::npos) {
      item.dropped = value.substr(semi);
      value.erase(semi);
    }
  }
  std::string out;
  for (std::size_t k = 0; k < value.size(); ++k) {
    const char c = value[k];
    if (c == ' ' || c == '\t' || c == '-' || c == '.' || c == '(' || c == ')') continue;
    // A no-break space (U+00A0), as some address books group digits.
    if (c == '\xC2' && k + 1 < value.size() && value[k + 1] == '\xA0') {
      ++k;
      continue;
    }
    out += c;
  }
  item.value = out;
}

struct CardBuilder {
  VCard card;
  std::string fn, n, org, nickname;
  bool v21 = false;

  void take(const Property& p, std::string text) {
    if (p.name == "VERSION") {
      v21 = TrimBlanks(text) == "2.1";
    } else if (p.name == "FN") {
      fn = Unescape(text);
    } else if (p.name == "N") {
      std::vector<std::string> c = SplitEscaped(text, ';');
      c.resize(5);
      for (std::string& s : c) s = Unescape(s);
      // Family;Given;Additional;Prefix;Suffix, shown as a person says it.
      n = JoinNonEmpty({c[3], c[1], c[2], c[0], c[4]});
    } else if (p.name == "ORG") {
      org = Unescape(SplitEscaped(text, ';')[0]);
    } else if (p.name == "NICKNAME") {
      nickname = Unescape(SplitEscaped(text, ',')[0]);
    } else if (p.name == "TEL") {
      VCardItem item;
      item.types = p.types;
      CleanNumber(Unescape(text), item);
      card.items.push_back(std::move(item));
    } else if (p.name == "EMAIL") {
      VCardItem item;
      item.email = true;
      item.types = p.types;
      item.value = TrimBlanks(Unescape(text));
      card.items.push_back(std::move(item));
    } else if (p.name == "CATEGORIES") {
      for (const std::string& c : SplitEscaped(text, ',')) {
        const std::string t = TrimBlanks(Unescape(c));
        if (!t.empty()) card.categories.push_back(t);
      }
    } else if (p.name == kStorageProperty) {
      card.sim = Upper(TrimBlanks(text)) == "SIM";
    }
  }

  VCard finish() {
    for (const std::string* s : {&fn, &n, &org, &nickname}) {
      card.name = TrimBlanks(*s);
      if (!card.name.empty()) break;
    }
    std::sort(card.notes.begin(), card.notes.end());
    card.notes.erase(std::unique(card.notes.begin(), card.notes.end()), card.notes.end());
    return std::move(card);
  }
};

}  // namespace

std::vector<VCard> ParseVCards(std::string_view file) {
  // A byte order mark before BEGIN is no part of the first line.
  if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
  const auto physical = PhysicalLines(file);
  std::vector<VCard> cards;
  std::optional<CardBuilder> open;
  for (std::size_t i = 0; i < physical.size(); ++i) {
    const int number = physical[i].first;
    std::string line(physical[i].second);
    const bool keepBlank = open && open->v21;
    while (i + 1 < physical.size()) {
      const std::string_view next = physical[i + 1].second;
      if (IsQuotedPrintable(line) && !line.empty() && line.back() == '=') {
        line.pop_back();  // a soft line break
        line += next;
      } else if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
        // 2.1 keeps the blank of a folded line, 3.0 and 4.0 drop it.
        line += keepBlank ? next : next.substr(1);
      } else {
        break;
      }
      ++i;
    }
    const std::optional<Property> p = ParseProperty(line);
    if (!p) continue;
    const std::string value = Upper(TrimBlanks(p->value));
    if (p->name == "BEGIN" && value == "VCARD") {
      if (open) cards.push_back(open->finish());
      open.emplace();
      open->card.line = number;
      continue;
    }
    if (!open) continue;
    if (p->name == "END" && value == "VCARD") {
      cards.push_back(open->finish());
      open.reset();
      continue;
    }
    if (p->encoding == "BASE64" || p->encoding == "B") continue;  // pictures and sounds
    std::string bytes = p->value;
    if (p->encoding == "QUOTED-PRINTABLE") bytes = DecodeQuotedPrintable(bytes);
    open->take(*p, ToUtf8(bytes, p->charset, open->card.notes));
  }
  if (open) cards.push_back(open->finish());
  return cards;
}

// ---------------------------------------------------------------------------------------
// The preview

namespace {

std::string CodePointName(char32_t cp) {
  std::string digits;
  // Four digits at least, no leading zero beyond them: U+00FC, U+1F600, U+10FFFF.
  int shift = 12;
  while (shift < 20 && (cp >> (shift + 4)) != 0) shift += 4;
  for (; shift >= 0; shift -= 4) digits += kHexDigits[(cp >> shift) & 0xF];
  return "U+" + digits;
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// What code page 1251 and the handset keep of a UTF-8 text; the characters that go are named
// in the notes. `number`: a dial string or address inside the command's double quotes, where
// a quote or a control character would break the command; a name travels as UCS2 hex, which
// keeps every character of the code page but the control characters.
std::string ForHandset(std::string_view utf8, bool number, std::vector<std::string>& notes) {
  std::vector<std::string> outside, unkept;
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t cp;
    const std::size_t n = DecodeUtf8(utf8, at, cp);
    const std::size_t length = n == 0 ? 1 : n;
    const std::optional<std::string> byte = Utf8ToCp1251(utf8.substr(at, length));
    at += length;
    if (!byte || n == 0) {
      AddOnce(outside, CodePointName(cp));
      continue;
    }
    const auto b = static_cast<unsigned char>((*byte)[0]);
    const bool kept = number ? (b >= 0x20 && b != '"' && b != 0x7F) : !TextToUcs2Hex(*byte).empty();
    if (!kept) {
      AddOnce(unkept,
              b >= 0x20 && b != 0x7F && b != 0x98 ? Ru("«") + *byte + Ru("»") : CodePointName(cp));
      continue;
    }
    out += *byte;
  }
  const std::string what = number ? Ru("В номере ") : Ru("В имени ");
  if (!outside.empty())
    notes.push_back(what + Ru("удалены знаки вне кодовой страницы 1251: ") + JoinNames(outside));
  if (!unkept.empty())
    notes.push_back(what + Ru("удалены знаки, которых телефон не хранит: ") + JoinNames(unkept));
  return out;
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

}  // namespace

VCardImportPlan::VCardImportPlan(const std::vector<VCard>& cards,
                                 const std::vector<TAbonentInfo>& records,
                                 const std::vector<std::string>& groupNames, std::int32_t simFirst,
                                 Family family)
    : groupNames_(groupNames), family_(family) {
  std::map<std::string, std::int32_t> onHandset;
  std::vector<std::int32_t> freePhone, freeSim;
  for (std::size_t k = 0; k < records.size(); ++k) {
    const auto index = static_cast<std::int32_t>(k) + 1;
    if (IsFree(records[k])) {
      (index >= simFirst ? freeSim : freePhone).push_back(index);
    } else if (records[k].Index != 0) {
      onHandset.emplace(Key(records[k].Name, records[k].Number), records[k].Index);
    }
  }
  std::size_t nextPhone = 0, nextSim = 0;
  std::set<std::string> planned;

  for (std::size_t c = 0; c < cards.size(); ++c) {
    const VCard& card = cards[c];
    std::vector<std::string> cardNotes = card.notes;
    std::vector<std::string> nameNotes;
    // Blanks left at either end by a dropped character would only waste the 24 places.
    std::string name = TrimBlanks(ForHandset(card.name, false, nameNotes));
    std::uint8_t category = 0;
    if (!card.categories.empty()) {
      if (!HasGroups(family)) {
        cardNotes.push_back(Ru("Группы эта модель не хранит: ") +
                            Utf8ToCp1251Lossy(card.categories.front()));
      } else {
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
    }

    if (card.items.empty()) {
      ImportRow row;
      row.status = ImportRow::Status::NoNumber;
      row.card = static_cast<int>(c);
      row.name = name.substr(0, kNameChars);
      row.category = category;
      row.sim = card.sim;
      row.statusText = Ru("Пропущена: в карточке нет ни номера, ни e-mail");
      row.notes = cardNotes;
      rows_.push_back(std::move(row));
      continue;
    }

    for (const VCardItem& item : card.items) {
      ImportRow row;
      row.card = static_cast<int>(c);
      row.category = category;
      row.sim = card.sim;
      row.notes = cardNotes;
      if (!item.dropped.empty())
        row.notes.push_back(Ru("Из номера убрано: ") + Utf8ToCp1251Lossy(item.dropped));
      std::string number = ForHandset(item.value, true, row.notes);
      if (number.size() > kNumberChars) {
        number.resize(kNumberChars);
        row.notes.push_back(Ru("Номер обрезан до 40 знаков"));
      }
      row.notes.insert(row.notes.end(), nameNotes.begin(), nameNotes.end());
      std::string entryName = name;
      if (entryName.empty()) {
        entryName = number;
        if (!number.empty()) row.notes.push_back(Ru("Имени нет: вместо него записан номер"));
      }
      if (entryName.size() > kNameChars) {
        entryName.resize(kNameChars);
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
        std::vector<std::int32_t>& free = card.sim ? freeSim : freePhone;
        std::size_t& next = card.sim ? nextSim : nextPhone;
        if (next >= free.size()) {
          row.status = ImportRow::Status::NoRoom;
          row.statusText = card.sim ? Ru("Не помещается: на SIM-карте нет свободного номера")
                                    : Ru("Не помещается: в памяти телефона нет свободного номера");
        } else {
          row.status = ImportRow::Status::Write;
          row.index = free[next++];
          row.statusText = Ru("Будет записана под номером ") + IntToStr(row.index);
          DialogEntry e;
          e.index = row.index;
          e.number = row.number;
          e.nameHex = TextToUcs2Hex(row.name);
          e.type = row.type;
          e.alert = 255;
          e.group = row.category;
          e.icon = IntToStr(kNoIcon);
          e.iconText = Ru("нет");
          row.command = DialogWriteCommand(e, family);
        }
      }
      rows_.push_back(std::move(row));
    }
  }
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
  return Ru("Будет записано: ") + IntToStr(count(S::Write)) + Ru("; уже в телефоне: ") +
         IntToStr(count(S::OnHandset)) + Ru("; повторов в файле: ") +
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

// ---------------------------------------------------------------------------------------
// The dialog and the operation

void TfrmImportVCard::Show(UserInterface& ui, VCardImportPlan plan) {
  Caption = Ru("Импорт из vCard");
  Plan = std::move(plan);
  btnWrite.enabled = Plan.count(ImportRow::Status::Write) > 0;
  Accepted = false;
  open();
  ShowModal(ui, *this);
}

void TfrmImportVCard::btnWriteClick() {
  if (!btnWrite.enabled) return;
  Accepted = true;
  close();
}

void TfrmImportVCard::btnCancelClick() {
  Accepted = false;
  close();
}

namespace {

// The record of an entry written, as an add through the record dialog leaves it.
void FillRecord(TAbonentInfo& r, const ImportRow& row, Family family, std::int32_t simFirst) {
  r.OnSim = row.index >= simFirst ? 1 : 0;
  r.Index = row.index;
  r.NameHex = TextToUcs2Hex(row.name);
  r.Name = Ucs2HexToText(r.NameHex);
  r.Number = row.number;
  r.NumberFormat = NumberFormatFor(row.number, row.type);
  r.NumberType = row.type;
  r.Attr6 = 0;
  r.AlertId = 255;
  r.Attr8 = 0;
  r.Attr9 = 1;
  r.Category = HasGroups(family) ? row.category : 0;
  r.IconId = HasGroups(family) ? kNoIcon : 0;
  r.IconText = family == Family::GroupedText ? Ru("нет") : std::string();
  r.Attr12 = 255;
  r.Attr13 = 0;
  r.Tail1 = 0;
  r.Tail2 = 0;
}

}  // namespace

void ImportVCardClick(PhoneBookSection& s, AppState& app, TfrmImportVCard& dialog) {
  UserInterface& ui = app.ui();
  if (s.Records.empty()) {
    ui.messageBox(Ru("Перед импортом рекомендуется прочитать записи из справочника: свободные "
                     "номера берутся из последнего чтения."),
                  MsgKind::Information, MsgButtons::Ok);
    return;
  }
  const std::optional<std::string> path = ui.chooseOpenFile(kVCardFilter);
  if (!path) return;
  const std::vector<VCard> cards = ParseVCards(ReadTextFile(*path));

  app.LoadPortSettings();
  const std::unique_ptr<TBlockSerial> port = app.OpenHandset(true);
  const std::string model = CutModelName(port->RunAtCommand("AT+CGMM"));
  const Family family = FamilyOf(model);
  if (family == Family::None) {
    ui.messageBox(Ru("Запись в справочник для модели телефона \"") + model +
                      Ru("\" не поддерживается. Ничего не отправлено."),
                  MsgKind::Warning, MsgButtons::Ok);
    return;
  }
  dialog.Show(ui, VCardImportPlan(cards, s.Records, s.GroupNames, s.SimFirst, family));
  if (!dialog.Accepted) return;

  const int total = dialog.Plan.count(ImportRow::Status::Write);
  if (port->RunAtCommand("AT+CPBS=AD") != kExactOk ||
      port->RunAtCommand("AT+CSCS=UCS2") != kExactOk) {
    ui.messageBox(Ru("Телефон не принял выбор справочника для записи. Ничего не записано."),
                  MsgKind::Error, MsgButtons::Ok);
    return;
  }

  if (s.SetControlsEnabled) s.SetControlsEnabled(false);
  struct Finish {
    PhoneBookSection& s;
    ~Finish() {
      s.pbReadAllRecords.setPosition(0);
      s.pbFullRecord.setPosition(static_cast<int>(s.ListView1.rows.size()));
      if (!s.ListView1.rows.empty()) s.sbAddRecord.enabled = true;
      s.Label9.visible = false;
      s.RefreshRowDrawing();
      if (s.SetControlsEnabled) s.SetControlsEnabled(true);
    }
  } finish{s};
  s.pbReadAllRecords.setRange(0, total);
  s.pbReadAllRecords.setPosition(0);
  s.Label9.visible = true;
  s.Label9.caption = Ru("Записано 0 из ") + IntToStr(total);
  ui.processEvents(false);

  int written = 0;
  const auto stopped = [&](const std::string& why) {
    ui.messageBox(why + "\r\n" + Ru("Импорт остановлен: записано ") + IntToStr(written) +
                      Ru(" из ") + IntToStr(total) + ".",
                  MsgKind::Error, MsgButtons::Ok);
  };
  for (const ImportRow& row : dialog.Plan.rows()) {
    if (row.status != ImportRow::Status::Write) continue;
    try {
      port->RunAtCommand(row.command);
    } catch (const Exception& e) {
      stopped(e.what());
      return;
    }
    if (!port->CommandOk()) {
      stopped(Ru("Телефон не принял запись \"") + row.name + Ru("\" под номером ") +
              IntToStr(row.index) + ".");
      return;
    }
    if (row.index >= 1 && static_cast<std::size_t>(row.index) <= s.Records.size()) {
      TAbonentInfo& r = s.Records[static_cast<std::size_t>(row.index) - 1];
      FillRecord(r, row, family, s.SimFirst);
      s.ListView1.rows.push_back(EntryRow(r, family, model, s.GroupNames));
      ++s.ListView1.revision;
    }
    ++written;
    s.pbReadAllRecords.setPosition(written);
    s.Label9.caption = Ru("Записано ") + IntToStr(written) + Ru(" из ") + IntToStr(total);
    ui.processEvents(false);
  }
  ui.messageBox(Ru("Записано в телефон: ") + IntToStr(written) + Ru(" из ") + IntToStr(total) + ".",
                MsgKind::Information, MsgButtons::Ok);
}

}  // namespace quorvex::phonebook
