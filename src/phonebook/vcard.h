// The phone book as vCard text: one card per entry of the last read, phone memory first,
// then the SIM, in index order. Entries that share a name stay separate cards; nothing is
// merged. Output is UTF-8 with CR LF line ends, the only text this system writes that is not
// code page 1251: address books read vCards as UTF-8 (3.0) or take the CHARSET given (2.1).
//
// A card carries N, FN, UID (see below), one TEL (or EMAIL for an e-mail entry), CATEGORIES for the
// caller group and X-QUORVEX-STORAGE (PHONE or SIM) for the memory the entry lies in. The number
// types map to TYPE values through one table (TelTypeTable), read both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/app_state.h"
#include "core/file_export.h"
#include "phonebook/records.h"

namespace quorvex::phonebook {

enum class VCardVersion { V21, V30 };

inline constexpr std::string_view kStorageProperty = "X-QUORVEX-STORAGE";

// One row of the number type mapping. `types` are the TYPE values written, in order; the
// first is the key an imported TEL is recognised by, and `aliases` are further keys other
// address books use for the same kind. Rows are listed in the order an import tries them,
// so "WORK,FAX" is a fax and "HOME,CELL" a mobile.
struct TelTypeRow {
  enum class Code { Work, Home, Main, Mobile, Fax, Pager, List };
  Code code;
  std::vector<std::string_view> types;
  std::vector<std::string_view> aliases;
};
const std::vector<TelTypeRow>& TelTypeTable();

// The handset's number type for a row; List is 7 on the families that know a distribution
// list and has no code elsewhere (nullopt then).
std::optional<std::uint8_t> NumberTypeOf(TelTypeRow::Code code, Family family);
// The number type the SIM entries of a family report: 8 where the family has a SIM type of
// its own, 7 otherwise (as a phone book file's SIM line is loaded).
std::uint8_t SimNumberType(Family family);
inline constexpr std::uint8_t kEmailType = 6;

// The TYPE values a record's number is written with; empty for the SIM type and for codes
// without a row (they are written as plain TEL;TYPE=VOICE).
std::vector<std::string_view> TelTypesFor(const TAbonentInfo& record, Family family);
// The number type an imported TEL stands for, from its TYPE values (upper case); the main
// number (2) when no key matches, as the record dialog proposes.
std::uint8_t NumberTypeFromTel(const std::set<std::string>& types, Family family);

// The UID of a card is a name-based UUID of the entry's memory, name and number (and its
// place among entries that share all three), the same in 2.1 and 3.0 and in every export of
// an unchanged entry, on any machine; it needs nothing but the records.
//
// The cards of every entry of `records` (free slots and slots without an index are left out).
// groupNames: category n is groupNames[n - 1]; a category without a name gives no
// CATEGORIES. Texts in records and groupNames are code page 1251.
std::string FormatVCards(const std::vector<TAbonentInfo>& records,
                         const std::vector<std::string>& groupNames, Family family,
                         VCardVersion version);

// The pieces, for the tests and the import: 3.0 text escaping (\\ \, \; \n) and folding of a
// content line at 75 octets without cutting a UTF-8 sequence; quoted-printable of 2.1 with
// "=" soft line breaks, so that no line of the property exceeds 75 octets.
std::string EscapeText30(std::string_view utf8);
// 2.1 escapes with a backslash the ";" that would split a compound value and the backslash
// itself (so that a reader taking "\n" for a line break cannot misread a name); `listed`
// (the components of N, the items of CATEGORIES) escapes "," too, which 2.1 readers take
// as the separator of a list inside a component.
std::string EscapeText21(std::string_view utf8, bool listed);
std::string FoldLine30(std::string_view line);
std::string QuotedPrintableLine(std::string_view head, std::string_view utf8);

class PhoneBookSection;

inline constexpr const char* kVCardFilter = "vCard files (*.vcf)|*.vcf|All files (*.*)|*.*";
inline constexpr const char* kVCardExt = "*.vcf";

// Exports the records of the last read to a file the save dialog names, written whole or not
// at all (a temporary file renamed over it). Like the phone book file's save it asks the
// handset for its model first, which decides how the number types read. An empty list and
// a read that stopped part way write nothing (RefuseExport); file errors raise EInOutError.
// The count is the number of cards written.
ExportResult ExportVCardClick(PhoneBookSection& section, AppState& app, VCardVersion version);

}  // namespace quorvex::phonebook
