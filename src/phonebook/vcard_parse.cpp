#include "phonebook/vcard_parse.h"

#include <algorithm>
#include <optional>

#include "codec/charsets.h"
#include "codec/delphi_text.h"
#include "phonebook/vcard.h"

namespace quorvex::phonebook {

std::string TrimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

namespace {

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
  return text::UpperCase(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
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
  p.name = text::UpperCase(TrimBlanks(name));
  for (std::size_t k = 1; k < parts.size(); ++k) {
    const std::string_view param = parts[k];
    const std::size_t eq = param.find('=');
    std::string key =
        eq == std::string_view::npos ? "" : text::UpperCase(TrimBlanks(param.substr(0, eq)));
    std::string value = TrimBlanks(eq == std::string_view::npos ? param : param.substr(eq + 1));
    std::string bare = text::UpperCase(value);
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
  if (text::UpperCase(value.substr(0, 4)) == "TEL:") {
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
      // Address books write the properties a form has, filled or not: an empty one is no
      // item of the card.
      VCardItem item;
      item.types = p.types;
      CleanNumber(Unescape(text), item);
      if (!item.value.empty()) card.items.push_back(std::move(item));
    } else if (p.name == "EMAIL") {
      VCardItem item;
      item.email = true;
      item.types = p.types;
      item.value = TrimBlanks(Unescape(text));
      if (!item.value.empty()) card.items.push_back(std::move(item));
    } else if (p.name == "CATEGORIES") {
      for (const std::string& c : SplitEscaped(text, ',')) {
        const std::string t = TrimBlanks(Unescape(c));
        if (!t.empty()) card.categories.push_back(t);
      }
    } else if (p.name == kStorageProperty) {
      card.sim = text::UpperCase(TrimBlanks(text)) == "SIM";
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
    const std::string value = text::UpperCase(TrimBlanks(p->value));
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
    open->take(*p, CharsetToUtf8(bytes, p->charset, open->card.notes));
  }
  if (open) cards.push_back(open->finish());
  return cards;
}

}  // namespace quorvex::phonebook
