// The phone book's vocabulary: the record kept per index, the handset families, the code
// tables, and the two wire forms of an entry (a line of the "AT+MPBR=" reply and the
// "AT+MPBW=" command). Everything here is pure; texts are code page 1251.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_model.h"

namespace quorvex::phonebook {

class TfrmAddRecord;

// One phone book index. Slot k of Records describes index k + 1 after a read.
struct TAbonentInfo {
  std::uint8_t OnSim = 0;
  std::int32_t Index = 0;
  std::string Name;  // plain text; "NULL" marks a free index
  // The name as the handset sent it (UCS2 hex), kept so that a name with letters code page
  // 1251 cannot hold goes back unchanged while Name is still what it decodes to. Empty for
  // an entry that did not come from the handset.
  std::string NameHex;
  std::string Number;
  std::uint8_t NumberFormat = 0;
  std::uint8_t NumberType = 0;
  std::uint8_t Attr6 = 0;  // yes/no flag; rows with 1 are drawn highlighted
  std::int32_t AlertId = 0;
  std::uint8_t Attr8 = 0;
  std::uint8_t Attr9 = 0;
  std::uint8_t Category = 0;  // caller group, 1-based; 0 none
  std::int32_t IconId = 0;    // 0..14, 255 none
  std::string IconText;
  std::uint8_t Attr12 = 0;
  std::uint8_t Attr13 = 0;
  std::uint8_t Tail1 = 0;
  std::uint8_t Tail2 = 0;
  bool operator==(const TAbonentInfo&) const = default;
};

inline constexpr std::string_view kFreeName = "NULL";

// No handset of these families numbers its phone book beyond this. A range reply that
// claims more is garbled, and taking it at its word would size the tables by it.
inline constexpr std::int32_t kMaxPhoneBookIndex = 65535;

// The free slot a read leaves at an index without an entry.
TAbonentInfo FreeSlot(std::int32_t index);
// What erasing, or an edit moving the entry away, leaves in a slot; Index and OnSim stay.
void FreeRecord(TAbonentInfo& record);
bool IsFree(const TAbonentInfo& record);

enum class Family { Classic, Grouped, GroupedText, None };

// Exact, case-sensitive model names; any other name is of no family.
Family FamilyOf(std::string_view model);
bool HasGroups(Family family);  // Grouped or GroupedText
// The two models whose code 7 is the SIM type.
bool IsT720(std::string_view model);

// ---- Code tables.

inline constexpr int kSimTypeImage = 8;
inline constexpr int kFirstIconImage = 9;  // caller icon n is image n + 9
inline constexpr int kHighlightImage = 39;
inline constexpr std::uint32_t kHighlightColor = 0x0000FF;
inline constexpr int kNoIcon = 255;

// The type texts of the list for codes 0..6 and the eight items of the dialog's type box.
const std::array<std::string, 7>& TypeListTexts();
const std::array<std::string, 8>& TypeItems();
// The sixteen items of the dialog's icon box; item 15 ("нет") stands for no icon.
const std::array<std::string, 16>& IconCaptions();
// The dialog's group box before the first read.
const std::vector<std::string>& DesignGroupNames();
// The dialog's alert box.
const std::array<std::string, 3>& AlertItems();

// "Бесшумный", the value, "По умолчанию"; nullopt outside 0..255.
std::optional<std::string> AlertText(std::int32_t alert);
// 145 for a number with "+", else 128 for an e-mail address (type 6), else 129.
std::uint8_t NumberFormatFor(std::string_view number, int type);

// ---- Cutting the replies of a read.

// Where the model name of an "AT+CGMM" reply ends. The read and the edit take the text
// between the first "=" and the next double quote, empty for a reply without them; the other
// operations everything after the first "MODEL=" without the first double quote and the
// first "\r\n\r\nOK\r\n", so that they name a refusal as the handset sent it.
enum class ModelCut { AtQuote, AfterModel };
std::string CutModelName(std::string_view reply, ModelCut cut);

// "AT+MPBR=?" reply of one storage: its first and last index, assigned in that order. Raises
// EConvertError; a value not yet cut keeps what it held.
void CutStorageBounds(std::string_view reply, std::int32_t& first, std::int32_t& last);
// "AT +MPGR=?" reply: the number of groups, before the first ")". Raises EConvertError.
std::int32_t CutGroupCount(std::string_view reply);
// "AT +MPGR=" n reply: the group name; empty when the handset answered only "OK".
std::string CutGroupName(std::string_view reply);

// One entry line of an "AT+MPBR=" reply (with its "+MPBR: " prefix) in the family's layout.
// A model of no family is read as Classic. The fields after the layout's own are ignored
// (some handsets send 25); a number field that is empty reads as 0. Raises EConvertError on
// a field that is no number or a line that ends before the layout does; never reads outside
// the line.
TAbonentInfo ParseEntryLine(std::string_view line, Family family, std::int32_t simFirst);

// The entry lines of a chunk reply that contains "OK" (trimmed, the "OK" cut off), at most
// `most` of them; each line is followed by an empty line on the wire.
std::vector<std::string_view> SplitChunkReply(std::string_view trimmedReply, int most);

// ---- Write commands.

// What the record dialog's "Записать" puts into its command.
struct DialogEntry {
  std::int32_t index = 0;
  std::string number;
  std::string nameHex;
  std::uint8_t type = 0;
  std::uint8_t alert = 255;
  int group = 1;         // group box item + 1
  std::string icon;      // Grouped: "0".."14", "255" or empty
  std::string iconText;  // GroupedText: the icon box's text, as typed
};
// The dialog's command for the family; empty for a model of no family.
std::string DialogWriteCommand(const DialogEntry& entry, Family family);

// The hex a name goes to the handset as: the handset's own (keptHex) while the name is what
// it decodes to, else the name encoded.
std::string NameHexFor(std::string_view name, std::string_view keptHex);
inline std::string NameHexFor(const TAbonentInfo& record) {
  return NameHexFor(record.Name, record.NameHex);
}

// The full command for a record as it stands (the name as NameHexFor gives it, the icon text
// as it is): 9 fields for Classic and models of no family, 13 for Grouped, 16 for
// GroupedText.
std::string RecordWriteCommand(const TAbonentInfo& record, Family family);

std::string EraseCommand(std::int32_t index);

// The entry line a read would give for the record in the family's layout (a model of no
// family as Classic): ParseEntryLine takes it back to the same record. The name goes as
// NameHexFor gives it, the icon text of GroupedText in UCS2 hex as the handset sends it.
std::string EntryLine(const TAbonentInfo& record, Family family);

// The record a write from the record dialog leaves at its index: the entry its command
// carried, with the fixed fields of the dialog's layout. Index and OnSim are the caller's.
TAbonentInfo RecordFromDialog(const TfrmAddRecord& dialog, Family family);

// ---- The rows of ListView1.

inline constexpr int kBaseColumns = 5;
inline constexpr int kGroupedColumns = 7;
std::vector<ListColumn> BaseColumns();
// Removes an earlier icon and group pair and appends it again: never more than 7 columns.
void AddGroupColumns(ListModel& list);

// Which texts a row gives a record's type and icon. A read (and what is written as a read
// would show it: an add, a vCard import) uses the list's type texts and, for GroupedText,
// the icon text; a load uses the record dialog's type box and the icon captions.
enum class RowTexts { Read, Load };
ListRow RowFromRecord(const TAbonentInfo& record, Family family, std::string_view model,
                      const std::vector<std::string>& groupNames, RowTexts texts);
// The row a read shows for a record.
inline ListRow EntryRow(const TAbonentInfo& record, Family family, std::string_view model,
                        const std::vector<std::string>& groupNames) {
  return RowFromRecord(record, family, model, groupNames, RowTexts::Read);
}
// The type cell a read shows: nullopt where the family has no text for the code (no sub-item
// is added and the later cells move left), an empty cell for a code beyond the tables.
std::optional<ListCell> ReadTypeCell(std::uint8_t type, Family family, std::string_view model);
ListCell IconCell(std::int32_t iconId);  // caption and image; empty cell outside the table
ListCell GroupCell(std::uint8_t category, const std::vector<std::string>& groupNames);
// The image of icon box item n: n + 9 for the fifteen icons, none otherwise.
int IconItemImage(int item);
// The icon code of icon box item n: the item itself, 255 for "нет".
int IconIdOfItem(int item);

}  // namespace quorvex::phonebook
