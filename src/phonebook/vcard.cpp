#include "phonebook/vcard.h"

#include <algorithm>
#include <map>

#include "codec/cp1251.h"
#include "codec/hex_digits.h"
#include "codec/name_uuid.h"
#include "codec/ru.h"
#include "codec/utf8.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/phonebook_section.h"

namespace quorvex::phonebook {

namespace {

constexpr std::size_t kLineOctets = 75;

// The octets of the UTF-8 sequence at s[at] (1 for a stray byte).
std::size_t SequenceLength(std::string_view s, std::size_t at) {
  char32_t cp;
  return std::max<std::size_t>(DecodeUtf8(s, at, cp), 1);
}

bool NeedsQuotedPrintable(std::string_view utf8) {
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 || b < 0x20 || b == '=') return true;
  }
  return false;
}

std::string Escape(std::string_view utf8, VCardVersion version) {
  return version == VCardVersion::V30 ? EscapeText30(utf8) : EscapeText21(utf8, false);
}

// A component of N or an item of CATEGORIES, where a bare comma splits a list too.
std::string EscapeListed(std::string_view utf8, VCardVersion version) {
  return version == VCardVersion::V30 ? EscapeText30(utf8) : EscapeText21(utf8, true);
}

// The same entry gives the same card identity in every export, whatever else the program
// knows at the time: a hash of what the handset shows of it. The slot is no identity, as a
// delete and an add reuse it for another person, and the handset's IMEI is known only after
// the information section was read. The n-th entry of the same name and number in one
// memory gets n, so that copies stay separate cards.
constexpr UuidBytes kEntryNamespace = {0x3c, 0x5e, 0x0a, 0x9d, 0x6b, 0x1f, 0x4e, 0x27,
                                       0x9a, 0x53, 0xd8, 0x41, 0x72, 0xe0, 0xbc, 0x16};

std::string EntryUid(const TAbonentInfo& r, std::map<std::string, int>& seen) {
  std::string key = (r.OnSim != 0 ? "SIM" : "PHONE");
  key += '\n' + r.Name + '\n' + r.Number;
  key += '\n' + std::to_string(++seen[key]);
  return NameBasedUuid(kEntryNamespace, key);
}

// A property of 2.1: plain when the value is short ASCII, quoted-printable otherwise (the
// only way 2.1 can fold a value without changing it).
std::string Line21(std::string head, std::string_view value) {
  if (!NeedsQuotedPrintable(value) && head.size() + 1 + value.size() <= kLineOctets) {
    return head + ":" + std::string(value) + "\r\n";
  }
  bool ascii = true;
  for (const char c : value) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (!ascii) head += ";CHARSET=UTF-8";
  head += ";ENCODING=QUOTED-PRINTABLE";
  return QuotedPrintableLine(head, value);
}

std::string Line(VCardVersion version, std::string head, std::string_view escapedValue) {
  if (version == VCardVersion::V21) return Line21(std::move(head), escapedValue);
  return FoldLine30(head + ":" + std::string(escapedValue));
}

std::string TypeParam(const std::vector<std::string_view>& types, VCardVersion version) {
  std::string out;
  if (version == VCardVersion::V30) {
    for (std::size_t k = 0; k < types.size(); ++k)
      out += (k == 0 ? ";TYPE=" : ",") + std::string(types[k]);
  } else {
    for (std::string_view t : types) out += ";" + std::string(t);
  }
  return out;
}

void AppendCard(std::string& out, const TAbonentInfo& r, const std::string& uid,
                const std::vector<std::string>& groups, Family family, VCardVersion version) {
  const std::string name = Cp1251ToUtf8(r.Name);
  const std::string number = Cp1251ToUtf8(r.Number);
  out += "BEGIN:VCARD\r\n";
  out += version == VCardVersion::V30 ? "VERSION:3.0\r\n" : "VERSION:2.1\r\n";
  // The handset keeps one name field; it goes whole into the given name, where address books
  // show it first, and FN repeats it as it is.
  out += Line(version, "N", ";" + EscapeListed(name, version) + ";;;");
  out += Line(version, "FN", Escape(name, version));
  out += "UID:" + uid + "\r\n";
  if (r.NumberType == kEmailType) {
    out += Line(version, "EMAIL" + TypeParam({"INTERNET"}, version), Escape(number, version));
  } else {
    std::vector<std::string_view> types = TelTypesFor(r, family);
    if (types.empty()) types = {"VOICE"};
    // A number is no text value: only the line layout applies, no escaping.
    out += Line(version, "TEL" + TypeParam(types, version), number);
  }
  if (r.Category >= 1 && r.Category <= groups.size() && !groups[r.Category - 1].empty()) {
    out += Line(version, "CATEGORIES", EscapeListed(Cp1251ToUtf8(groups[r.Category - 1]), version));
  }
  out += std::string(kStorageProperty) + (r.OnSim != 0 ? ":SIM\r\n" : ":PHONE\r\n");
  out += "END:VCARD\r\n";
}

}  // namespace

const std::vector<TelTypeRow>& TelTypeTable() {
  using C = TelTypeRow::Code;
  static const std::vector<TelTypeRow> table = {
      {C::Fax, {"FAX"}, {}},
      {C::Pager, {"PAGER"}, {}},
      {C::Mobile, {"CELL", "VOICE"}, {"MOBILE", "IPHONE"}},
      {C::Work, {"WORK", "VOICE"}, {}},
      {C::Home, {"HOME", "VOICE"}, {}},
      {C::List, {"X-LIST", "VOICE"}, {}},
      {C::Main, {"PREF", "VOICE"}, {"MAIN", "X-MAIN"}},
  };
  return table;
}

std::optional<std::uint8_t> NumberTypeOf(TelTypeRow::Code code, Family family) {
  using C = TelTypeRow::Code;
  switch (code) {
    case C::Work:
      return 0;
    case C::Home:
      return 1;
    case C::Main:
      return 2;
    case C::Mobile:
      return 3;
    case C::Fax:
      return 4;
    case C::Pager:
      return 5;
    case C::List:
      if (HasGroups(family)) return 7;
      return std::nullopt;
  }
  return std::nullopt;
}

std::uint8_t SimNumberType(Family family) {
  return HasGroups(family) ? 8 : 7;
}

std::vector<std::string_view> TelTypesFor(const TAbonentInfo& r, Family family) {
  if (r.OnSim != 0 && r.NumberType == SimNumberType(family)) return {};
  for (const TelTypeRow& row : TelTypeTable()) {
    const auto code = NumberTypeOf(row.code, family);
    if (code && *code == r.NumberType) return row.types;
  }
  return {};
}

std::uint8_t NumberTypeFromTel(const std::set<std::string>& types, Family family) {
  for (const TelTypeRow& row : TelTypeTable()) {
    const auto code = NumberTypeOf(row.code, family);
    if (!code) continue;
    bool match = types.count(std::string(row.types.front())) > 0;
    for (std::string_view alias : row.aliases) match = match || types.count(std::string(alias)) > 0;
    if (match) return *code;
  }
  return 2;
}

std::string EscapeText30(std::string_view utf8) {
  std::string out;
  for (std::size_t k = 0; k < utf8.size(); ++k) {
    const char c = utf8[k];
    if (c == '\\' || c == ',' || c == ';') {
      out += '\\';
      out += c;
    } else if (c == '\r' || c == '\n') {
      out += "\\n";
      if (c == '\r' && k + 1 < utf8.size() && utf8[k + 1] == '\n') ++k;
    } else {
      out += c;
    }
  }
  return out;
}

std::string EscapeText21(std::string_view utf8, bool listed) {
  std::string out;
  for (const char c : utf8) {
    if (c == ';' || c == '\\' || (listed && c == ',')) out += '\\';
    out += c;
  }
  return out;
}

std::string FoldLine30(std::string_view line) {
  std::string out;
  std::size_t used = 0;  // octets on the current physical line
  for (std::size_t k = 0; k < line.size();) {
    const std::size_t length = SequenceLength(line, k);
    if (used + length > kLineOctets) {
      out += "\r\n ";
      used = 1;
    }
    out.append(line.substr(k, length));
    used += length;
    k += length;
  }
  out += "\r\n";
  return out;
}

std::string QuotedPrintableLine(std::string_view head, std::string_view utf8) {
  std::string out(head);
  out += ':';
  std::size_t used = out.size();
  for (std::size_t k = 0; k < utf8.size();) {
    // The octets of one UTF-8 sequence stay on one line: readers that decode line by line
    // would otherwise see two broken characters.
    const std::size_t length = SequenceLength(utf8, k);
    std::string piece;
    for (std::size_t i = k; i < k + length; ++i) {
      const auto b = static_cast<unsigned char>(utf8[i]);
      // A blank at the end of the value would be lost by a reader trimming lines.
      const bool last = i + 1 == utf8.size();
      if (b >= 0x21 && b <= 0x7E && b != '=') {
        piece += static_cast<char>(b);
      } else if (b == ' ' && !last) {
        piece += ' ';
      } else {
        piece += {'=', kHexDigits[b >> 4], kHexDigits[b & 0xF]};
      }
    }
    // Room for the piece and the "=" of a soft line break.
    if (used + piece.size() + 1 > kLineOctets) {
      out += "=\r\n";
      used = 0;
    }
    out += piece;
    used += piece.size();
    k += length;
  }
  out += "\r\n";
  return out;
}

std::string FormatVCards(const std::vector<TAbonentInfo>& records,
                         const std::vector<std::string>& groupNames, Family family,
                         VCardVersion version) {
  std::string out;
  std::map<std::string, int> seen;
  for (const TAbonentInfo& r : records) {
    if (r.Index == 0 || IsFree(r)) continue;
    AppendCard(out, r, EntryUid(r, seen), groupNames, family, version);
  }
  return out;
}

ExportResult ExportVCardClick(PhoneBookSection& section, AppState& app, VCardVersion version) {
  UserInterface& ui = app.ui();
  if (auto refused =
          RefuseExport(ui, section.LastReadComplete, section.ListView1.rows.empty(), "phone book"))
    return *refused;
  std::string model;
  {
    const std::unique_ptr<TBlockSerial> port = app.OpenHandset(false);
    model = CutModelName(port->RunAtCommand("AT+CGMM"), ModelCut::AfterModel);
  }
  ExportResult result;
  const std::optional<std::string> path = ui.chooseSaveFile(kVCardFilter, kVCardExt);
  if (!path) return result;
  WriteTextFile(*path, FormatVCards(section.Records, section.GroupNames, FamilyOf(model), version));
  result.outcome = ExportResult::Outcome::Written;
  result.path = *path;
  for (const TAbonentInfo& r : section.Records)
    if (r.Index != 0 && !IsFree(r)) ++result.count;
  return result;
}

}  // namespace quorvex::phonebook
