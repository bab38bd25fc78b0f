// The cards of a .vcf file (2.1 with quoted-printable and charsets, 3.0, 4.0), as the vCard
// import reads them: one number or e-mail per item, texts still UTF-8.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::phonebook {

struct VCardItem {
  bool email = false;
  std::set<std::string> types;  // TYPE values in upper case: "CELL", "WORK", "PREF", ...
  std::string value;            // UTF-8; a TEL without "tel:" and its parameters
  std::string dropped;          // what was cut from a tel: URI (";ext=12"), UTF-8
};

struct VCard {
  int line = 0;                         // where BEGIN:VCARD stands, from 1
  std::string name;                     // UTF-8: FN, else N put together, else ORG, else NICKNAME
  std::vector<std::string> categories;  // UTF-8
  bool sim = false;                     // X-QUORVEX-STORAGE:SIM
  std::vector<VCardItem> items;         // in the order of the file
  std::vector<std::string> notes;       // cp1251: what the reading could not take as it was
};

// Unfolds lines (a CR LF, LF or CR followed by a blank or TAB; quoted-printable soft breaks),
// takes group prefixes (item1.TEL), 2.1 bare types and 3.0/4.0 TYPE lists, decodes
// QUOTED-PRINTABLE and CHARSET (UTF-8, windows-1251, KOI8-R, ISO-8859-1 and whatever else
// the system's converter knows) and unescapes text. BASE64 values are skipped. Lines outside
// BEGIN/END and lines that are no property are ignored; a card without END ends at the file's
// end. Never fails.
std::vector<VCard> ParseVCards(std::string_view file);

// Blanks and TABs off both ends, as vCard values and names come padded.
std::string TrimBlanks(std::string_view s);

}  // namespace quorvex::phonebook
