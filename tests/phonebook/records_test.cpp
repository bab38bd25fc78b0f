// The pure parts of the phone book: families, reply cutters, the entry-line parser, the write
// commands and the rows a read shows.
#include "phonebook/records.h"

#include <gtest/gtest.h>

#include "codec/errors.h"
#include "codec/ru.h"
#include "codec/ucs2.h"
#include "real_entry_lines.h"

namespace quorvex::phonebook {

void PrintTo(const TAbonentInfo& r, std::ostream* os) {
  *os << "{" << int(r.OnSim) << "," << r.Index << ",\"" << r.Number << "\"," << int(r.NumberFormat)
      << ",\"" << r.Name << "\"/" << r.NameHex << "," << int(r.NumberType) << "," << int(r.Attr6)
      << "," << r.AlertId << "," << int(r.Attr8) << "," << int(r.Attr9) << "," << int(r.Category)
      << "," << r.IconId << "," << int(r.Attr12) << "," << int(r.Attr13) << ",\"" << r.IconText
      << "\"," << int(r.Tail1) << "," << int(r.Tail2) << "}";
}

namespace {

using testing::kHex181;
using testing::kHex253;
using testing::kLong181;
using testing::kLong253;

TEST(Families, ExactModelNames) {
  const std::pair<const char*, Family> cases[] = {
      {"T720", Family::Classic}, {"T720i", Family::Classic},    {"V60", Family::Classic},
      {"V66", Family::Classic},  {"V60i", Family::Classic},     {"V66i", Family::Classic},
      {"V70", Family::Classic},  {"C350", Family::Grouped},     {"C330", Family::Grouped},
      {"V150", Family::Grouped}, {"C450", Family::GroupedText}, {"C550", Family::GroupedText},
      {"C650", Family::None},    {"c350", Family::None},        {"C350 ", Family::None},
      {"", Family::None},
  };
  for (const auto& [model, family] : cases) EXPECT_EQ(FamilyOf(model), family) << model;
}

TEST(ReplyCutters, ModelNameEachWay) {
  struct Case {
    std::string reply, atQuote, afterModel;
  } cases[] = {
      {"\r\n+CGMM: \"GSM900\",\"GSM1800\",\"MODEL=C350\"\r\n\r\nOK\r\n", "C350", "C350"},
      {"\r\nERROR\r\n", "", "\r\nERROR\r\n"},
      {"", "", ""},
      {"\r\n+CGMM: MODEL=V60\r\n\r\nOK\r\n", "", "V60"},
      {"\r\n+CGMM: \"MODEL=C450\"\r\nOK\r\n", "C450", "C450\r\nOK\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutModelName(c.reply, ModelCut::AtQuote), c.atQuote) << c.reply;
    EXPECT_EQ(CutModelName(c.reply, ModelCut::AfterModel), c.afterModel) << c.reply;
  }
}

TEST(ReplyCutters, StorageAndGroups) {
  std::int32_t first = -7, last = -7;
  CutStorageBounds("\r\n+MPBR: 1-500,40,24,8,4\r\n\r\nOK\r\n", first, last);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 500);
  CutStorageBounds("\r\n+MPBR: 501-750,40,24,8,4\r\n\r\nOK\r\n", first, last);
  EXPECT_EQ(first, 501);
  EXPECT_EQ(last, 750);
  // A silent handset's empty reply: the first value fails and neither is assigned.
  first = last = 3;
  EXPECT_THROW(CutStorageBounds("", first, last), EConvertError);
  EXPECT_EQ(first, 3);
  // The first value is kept when only the second fails.
  EXPECT_THROW(CutStorageBounds("\r\n+MPBR: 1-x,40\r\n", first, last), EConvertError);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 3);

  EXPECT_EQ(CutGroupCount("\r\n+MPGR: (1-4),16\r\n\r\nOK\r\n"), 4);
  EXPECT_EQ(CutGroupCount("\r\n+MPGR: (1-12),16\r\n\r\nOK\r\n"), 12);
  EXPECT_THROW(CutGroupCount("\r\nOK\r\n"), EConvertError);

  EXPECT_EQ(CutGroupName("\r\n+MPGR: 1,00560049005000730031,255\r\n\r\nOK\r\n"), "VIPs1");
  EXPECT_EQ(CutGroupName("\r\nOK\r\n"), "");
  EXPECT_EQ(CutGroupName("\r\n+MPGR: 2,0421043C,255\r\n\r\nOK\r\n"), Ru("См"));
  EXPECT_EQ(CutGroupName("\r\n+MPGR: 3,\"0046000D0046\",255\r\n\r\nOK\r\n"), "FF");
}

struct LineCase {
  const char* name;
  std::string line;
  Family family;
  TAbonentInfo want;
};

TAbonentInfo Rec(std::int32_t index, std::string number, std::uint8_t format, std::string name,
                 std::uint8_t type, std::uint8_t attr6, std::int32_t alert, std::uint8_t attr8,
                 std::uint8_t attr9, std::uint8_t category, std::int32_t icon, std::uint8_t attr12,
                 std::uint8_t attr13, std::string iconText = {}, std::uint8_t onSim = 0) {
  TAbonentInfo r;
  r.OnSim = onSim;
  r.Index = index;
  r.Number = std::move(number);
  r.NumberFormat = format;
  r.Name = std::move(name);
  r.NumberType = type;
  r.Attr6 = attr6;
  r.AlertId = alert;
  r.Attr8 = attr8;
  r.Attr9 = attr9;
  r.Category = category;
  r.IconId = icon;
  r.Attr12 = attr12;
  r.Attr13 = attr13;
  r.IconText = std::move(iconText);
  return r;
}

// The record a line gives also keeps the name's hex as the line carries it.
TAbonentInfo Hexed(TAbonentInfo r, std::string nameHex) {
  r.NameHex = std::move(nameHex);
  return r;
}

// The two real lines as the Classic layout reads them; the grouped layouts read their group
// 1 and the "no icon" 255 too.
const TAbonentInfo kRec181 =
    Hexed(Rec(181, "0800886600", 129, "DDUfDUfwD", 0, 0, 255, 70, 1, 0, 0, 255, 0), kHex181);
const TAbonentInfo kRec253 =
    Hexed(Rec(253, "069912158732", 129, "Wegleitner Sabine Mensa", 3, 0, 255, 0, 1, 0, 0, 255, 0),
          kHex253);
TAbonentInfo InGroupOne(TAbonentInfo r) {
  r.Category = 1;
  r.IconId = 255;
  return r;
}

class EntryLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(EntryLines, CutIntoTheRecord) {
  const LineCase& c = GetParam();
  EXPECT_EQ(ParseEntryLine(c.line, c.family, 501), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, EntryLines,
    ::testing::Values(
        LineCase{
            "Classic", "+MPBR: 5,\"+700\",145,0418043C044F,3,0,255,0,1", Family::Classic,
            Hexed(Rec(5, "+700", 145, Ru("Имя"), 3, 0, 255, 0, 1, 0, 0, 255, 0), "0418043C044F")},
        LineCase{"NoFamilyReadAsClassic", "+MPBR: 7,\"555\",129,0041,2,1,5,0,1", Family::None,
                 Hexed(Rec(7, "555", 129, "A", 2, 1, 5, 0, 1, 0, 0, 255, 0), "0041")},
        LineCase{"Grouped", "+MPBR: 12,\"a@b.ru\",128,00410042,6,0,0,0,1,3,14,255,0",
                 Family::Grouped,
                 Hexed(Rec(12, "a@b.ru", 128, "AB", 6, 0, 0, 0, 1, 3, 14, 255, 0), "00410042")},
        LineCase{"GroupedTextIgnoresTheTail",
                 "+MPBR: 3,\"+7916\",145,0042,1,0,255,0,1,2,255,255,0,00500031,7,9",
                 Family::GroupedText,
                 Hexed(Rec(3, "+7916", 145, "B", 1, 0, 255, 0, 1, 2, 255, 255, 0, "P1"), "0042")},
        LineCase{"GroupedTextIconTextEndsTheLine",
                 "+MPBR: 3,\"+7916\",145,0042,1,0,255,0,1,2,255,255,0,00500031",
                 Family::GroupedText,
                 Hexed(Rec(3, "+7916", 145, "B", 1, 0, 255, 0, 1, 2, 255, 255, 0, "P1"), "0042")},
        LineCase{"FirstSimIndexIsOnSim", "+MPBR: 501,\"112\",129,0053,8,0,255,0,1,0,255,255,0",
                 Family::Grouped,
                 Hexed(Rec(501, "112", 129, "S", 8, 0, 255, 0, 1, 0, 255, 255, 0, {}, 1), "0053")},
        LineCase{"EightBitFieldsKeepTheirLowBits", "+MPBR: 1,\"1\",401,,258,0,300,0,257",
                 Family::Classic, Rec(1, "1", 145, "", 2, 0, 300, 0, 1, 0, 0, 255, 0)},
        // Every family takes its own fields from a longer line and leaves the rest.
        LineCase{"GroupedLineReadAsClassic", "+MPBR: 1,\"1\",129,0041,0,0,255,0,1,1,255,255,0",
                 Family::Classic,
                 Hexed(Rec(1, "1", 129, "A", 0, 0, 255, 0, 1, 0, 0, 255, 0), "0041")},
        LineCase{"TwentyFiveFieldsClassic", kLong253, Family::Classic, kRec253},
        LineCase{"TwentyFiveFieldsNoFamily", kLong181, Family::None, kRec181},
        LineCase{"TwentyFiveFieldsGrouped", kLong253, Family::Grouped, InGroupOne(kRec253)},
        LineCase{"TwentyFiveFieldsGroupedText", kLong181, Family::GroupedText, InGroupOne(kRec181)},
        // Some handsets quote their UCS2 texts; the kept hex is the bare one the write takes,
        // and no control character reaches the list.
        LineCase{"QuotedNameWithLineBreak", "+MPBR: 5,\"+700\",145,\"0041000A0042\",3,0,255,0,1",
                 Family::Classic,
                 Hexed(Rec(5, "+700", 145, "AB", 3, 0, 255, 0, 1, 0, 0, 255, 0), "0041000A0042")},
        LineCase{"QuotedIconText",
                 "+MPBR: 3,\"+7916\",145,\"0042\",1,0,255,0,1,2,255,255,0,\"00500031\",7,9",
                 Family::GroupedText,
                 Hexed(Rec(3, "+7916", 145, "B", 1, 0, 255, 0, 1, 2, 255, 255, 0, "P1"), "0042")},
        // Fields a handset leaves empty read as 0.
        LineCase{"EmptyFieldsClassic", "+MPBR: 4,\"4\",,0041,,,,,", Family::Classic,
                 Hexed(Rec(4, "4", 0, "A", 0, 0, 0, 0, 0, 0, 0, 255, 0), "0041")},
        LineCase{"EmptyFieldsGroupedText", "+MPBR: 4,\"4\",129,,3,0,255,0,1,,,,,,0,0",
                 Family::GroupedText, Rec(4, "4", 129, "", 3, 0, 255, 0, 1, 0, 0, 0, 0)}),
    [](const auto& info) { return info.param.name; });

TEST(EntryLines, MalformedLinesRaiseTheConversionErrorWithoutReadingOutside) {
  const std::tuple<const char*, Family, const char*> cases[] = {
      {"", Family::Classic, "'' is not a valid integer value"},
      {"+MPBR:", Family::Classic, "'' is not a valid integer value"},
      {"+MPBR: x,\"1\",129,0041,0,0,255,0,1", Family::Classic, "'x' is not a valid integer value"},
      {"+MPBR: 1,\"1\",129,0041,0,0,255,0", Family::Classic, "'' is not a valid integer value"},
      {"+MPBR: 1,\"12345", Family::Classic, "'' is not a valid integer value"},
      {"+MPBR: 1,\"1\",129,00zz,0,0,255,0,1", Family::Classic,
       "'$00zz' is not a valid integer value"},
      {"+MPBR: 1,\"1\",129,0041,0,0,255,0,1 ", Family::Classic,
       "'1 ' is not a valid integer value"},
      // A Classic line is too short for the Grouped layout.
      {"+MPBR: 1,\"1\",129,0041,0,0,255,0,1", Family::Grouped, "'' is not a valid integer value"},
      {"+MPBR: 1,\"1\",129,0041,0,0,255,0,1,\"\",255,255,0", Family::GroupedText,
       "'\"\"' is not a valid integer value"},
  };
  for (const auto& [line, family, message] : cases) {
    try {
      ParseEntryLine(line, family, 501);
      ADD_FAILURE() << "no error for " << line;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), message) << line;
    }
  }
}

TEST(ChunkReplies, EntryLinesEachFollowedByAnEmptyLine) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitChunkReply("", 30), V{});
  EXPECT_EQ(SplitChunkReply("+MPBR: 1\r\n\r\n+MPBR: 2\r\n\r\n", 30), (V{"+MPBR: 1", "+MPBR: 2"}));
  EXPECT_EQ(SplitChunkReply("+MPBR: 1\r\n\r\n+MPBR: 2\r\n\r\n", 1), V{"+MPBR: 1"});
  // A last line without its line end is no entry line: it gives empty lines, which fail.
  EXPECT_EQ(SplitChunkReply("+MPBR: 1\r\n\r\n+MPBR: 2", 30), (V{"+MPBR: 1", "", ""}));
}

TEST(DialogCommands, TheThreeLayouts) {
  DialogEntry e;
  e.index = 5;
  e.number = "+700";
  e.nameHex = "0418043C044F";
  e.type = 3;
  e.alert = 255;
  e.group = 2;
  e.icon = "255";
  e.iconText = Ru("нет");
  EXPECT_EQ(DialogWriteCommand(e, Family::Classic),
            "AT+MPBW=5,\"+700\",145,0418043C044F,3,0,255,0,1");
  EXPECT_EQ(DialogWriteCommand(e, Family::Grouped),
            "AT+MPBW=5,\"+700\",145,0418043C044F,3,0,255,0,1,2,255,255,0");
  EXPECT_EQ(DialogWriteCommand(e, Family::GroupedText),
            "AT+MPBW=5,\"+700\",145,0418043C044F,3,0,255,0,1,2,255,255,0," + Ru("нет") + ",0,0");
  EXPECT_EQ(DialogWriteCommand(e, Family::None), "");
}

TEST(NumberFormats, PlusThenEmailThenTheRest) {
  EXPECT_EQ(NumberFormatFor("+7916", 6), 145);  // "+" wins even for an e-mail type
  EXPECT_EQ(NumberFormatFor("a@b.ru", 6), 128);
  EXPECT_EQ(NumberFormatFor("a@b.ru", 3), 129);
  EXPECT_EQ(NumberFormatFor("", 0), 129);
}

TEST(RecordCommands, EveryFieldOfTheFamily) {
  TAbonentInfo r = Rec(9, "+1", 145, "Ab", 3, 1, 7, 2, 1, 4, 11, 200, 5, "P", 0);
  r.Tail1 = 6;
  r.Tail2 = 8;
  EXPECT_EQ(RecordWriteCommand(r, Family::Classic), "AT+MPBW=9,\"+1\",145,00410062,3,1,7,2,1");
  EXPECT_EQ(RecordWriteCommand(r, Family::None), "AT+MPBW=9,\"+1\",145,00410062,3,1,7,2,1");
  EXPECT_EQ(RecordWriteCommand(r, Family::Grouped),
            "AT+MPBW=9,\"+1\",145,00410062,3,1,7,2,1,4,11,200,5");
  EXPECT_EQ(RecordWriteCommand(r, Family::GroupedText),
            "AT+MPBW=9,\"+1\",145,00410062,3,1,7,2,1,4,11,200,5,P,6,8");
  EXPECT_EQ(EraseCommand(42), "AT+MPBW=42");
}

TEST(RecordCommands, TheHandsetsOwnNameHexWhileTheNameIsWhatItDecodesTo) {
  struct Case {
    const char* what;
    std::string name, kept, sent;
  };
  const Case cases[] = {
      {"NothingKept", "Ab", "", "00410062"},
      {"KeptWhileUnchanged", "Ab", "00410062", "00410062"},
      {"KeptInTheHandsetsOwnCase", "Aj", "0041006a", "0041006a"},
      {"NameChanged", "Ac", "00410062", "00410063"},
      // Letters the code page has no place for: whatever the codec shows for them, the
      // handset gets its own hex back while the shown name is unchanged.
      {"Jose", Ucs2HexToText("004A006F007300E9"), "004A006F007300E9", "004A006F007300E9"},
      {"Chinese", Ucs2HexToText("738B5C0F660E"), "738B5C0F660E", "738B5C0F660E"},
      {"SurrogatePair", Ucs2HexToText("0041D83DDE00"), "0041D83DDE00", "0041D83DDE00"},
      {"KeptHexThatDoesNotDecode", "A", "00zz", "0041"},
      // The list never shows a control character; the handset's line break stays its own.
      {"ControlCharacterKept", "AB", "0041000A0042", "0041000A0042"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameHexFor(c.name, c.kept), c.sent) << c.what;
    TAbonentInfo r = Rec(2, "+2", 145, c.name, 3, 0, 255, 0, 1, 0, 0, 255, 0);
    r.NameHex = c.kept;
    EXPECT_EQ(RecordWriteCommand(r, Family::Classic),
              "AT+MPBW=2,\"+2\",145," + c.sent + ",3,0,255,0,1")
        << c.what;
  }
}

TEST(Columns, IconAndGroupPairNeverDoubles) {
  ListModel list;
  list.columns = BaseColumns();
  AddGroupColumns(list);
  AddGroupColumns(list);
  ASSERT_EQ(list.columns.size(), 7u);
  EXPECT_EQ(list.columns[5].caption, Ru("Иконка"));
  EXPECT_EQ(list.columns[6].caption, Ru("Группа"));
  EXPECT_EQ(list.columns[4].align, ListColumn::Align::Center);
}

struct RowCase {
  const char* name;
  TAbonentInfo record;
  Family family;
  const char* model;
  std::vector<std::string> texts;  // caption, then the sub-items
  std::vector<int> images;         // of the sub-items
};

class ReadRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(ReadRows, ShowTheTablesTexts) {
  const RowCase& c = GetParam();
  const std::vector<std::string> groups = {"General", Ru("Семья")};
  const ListRow row = EntryRow(c.record, c.family, c.model, groups);
  std::vector<std::string> texts{row.caption};
  std::vector<int> images;
  for (const ListCell& cell : row.subItems) {
    texts.push_back(cell.text);
    images.push_back(cell.image);
  }
  EXPECT_EQ(texts, c.texts);
  EXPECT_EQ(images, c.images);
  EXPECT_EQ(row.image, kNoImage);
}

const int N = kNoImage;

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRows,
    ::testing::Values(RowCase{"ClassicMobile",
                              Rec(5, "+700", 145, "A", 3, 0, 255, 0, 1, 0, 0, 255, 0),
                              Family::Classic,
                              "V60",
                              {"5", "A", "+700", Ru("Мобильный"), Ru("По умолчанию")},
                              {N, N, 3, N}},
                      RowCase{"T720SimType",
                              Rec(1, "1", 129, "A", 7, 0, 0, 0, 1, 0, 0, 255, 0),
                              Family::Classic,
                              "T720",
                              {"1", "A", "1", "SIM", Ru("Бесшумный")},
                              {N, N, 8, N}},
                      // No text for the code: the alert moves into the type column.
                      RowCase{"V60CodeSevenHasNoTypeCell",
                              Rec(1, "1", 129, "A", 7, 0, 12, 0, 1, 0, 0, 255, 0),
                              Family::Classic,
                              "V60",
                              {"1", "A", "1", "12"},
                              {N, N, N}},
                      RowCase{"GroupedNoIconAndGroup",
                              Rec(2, "2", 129, "B", 8, 0, 255, 0, 1, 2, 255, 255, 0),
                              Family::Grouped,
                              "C350",
                              {"2", "B", "2", "SIM", Ru("По умолчанию"), Ru("нет"), Ru("Семья")},
                              {N, N, 8, N, N, N}},
                      RowCase{"GroupedListAndIcon",
                              Rec(3, "3", 129, "C", 7, 0, 0, 0, 1, 1, 14, 255, 0),
                              Family::Grouped,
                              "V150",
                              {"3", "C", "3", Ru("Лист рассылки"), Ru("Бесшумный"),
                               Ru("очарование"), "General"},
                              {N, N, 7, N, 23, N}},
                      RowCase{"GroupedTextShowsTheIconText",
                              Rec(4, "4", 129, "D", 0, 0, 9, 0, 1, 1, 3, 255, 0, "P"),
                              Family::GroupedText,
                              "C450",
                              {"4", "D", "4", Ru("Рабочий"), "9", "P", "General"},
                              {N, N, 0, N, N, N}},
                      // Values outside the tables give empty cells, never a text from beyond them.
                      RowCase{"OutOfRangeValuesGiveEmptyCells",
                              Rec(6, "6", 129, "E", 40, 0, 300, 0, 1, 3, 20, 255, 0),
                              Family::Grouped,
                              "C350",
                              {"6", "E", "6", "", "", "", ""},
                              {N, N, N, N, N, N}},
                      RowCase{"CategoryZeroIsNoGroup",
                              Rec(7, "7", 129, "F", 1, 0, 255, 0, 1, 0, -1, 255, 0),
                              Family::Grouped,
                              "C330",
                              {"7", "F", "7", Ru("Домашний"), Ru("По умолчанию"), "", ""},
                              {N, N, 1, N, N, N}}),
    [](const auto& info) { return info.param.name; });

ListRow LoadedRow(const TAbonentInfo& record, Family family,
                  const std::vector<std::string>& groupNames) {
  return RowFromRecord(record, family, "", groupNames, RowTexts::Load);
}

TEST(LoadedRows, TypeTextsFromTheDialogAndSimPerFamily) {
  const std::vector<std::string> items = {"General", "Busines"};
  ListRow classic = LoadedRow(Rec(501, "1", 129, "S", 7, 0, 255, 0, 0, 0, 0, 255, 0, {}, 1),
                              Family::Classic, items);
  EXPECT_EQ(classic.subItems[2].text, "SIM");
  EXPECT_EQ(classic.subItems[2].image, kSimTypeImage);
  EXPECT_EQ(classic.subItems.size(), 4u);

  ListRow grouped =
      LoadedRow(Rec(9, "1", 129, "S", 8, 0, 255, 0, 0, 2, 0, 255, 0), Family::Grouped, items);
  EXPECT_EQ((std::vector<std::string>{grouped.subItems[2].text, grouped.subItems[4].text,
                                      grouped.subItems[5].text}),
            (std::vector<std::string>{"SIM", Ru("ужасно"), "Busines"}));
  // Code 7 on a Grouped handset is the distribution list; 6 is the dialog's "E-mail".
  EXPECT_EQ(LoadedRow(Rec(1, "1", 129, "", 7, 0, 0, 0, 1, 0, 255, 255, 0), Family::Grouped, items)
                .subItems[2]
                .text,
            Ru("Лист рассылки"));
  EXPECT_EQ(LoadedRow(Rec(1, "x", 128, "", 6, 0, 0, 0, 1, 0, 0, 255, 0), Family::Classic, items)
                .subItems[2]
                .text,
            "E-mail");
  // A group beyond the group box and a code beyond the type box: empty cells.
  ListRow beyond =
      LoadedRow(Rec(1, "1", 129, "", 9, 0, 0, 0, 1, 3, 255, 255, 0), Family::Grouped, items);
  EXPECT_EQ(beyond.subItems[2].text, "");
  EXPECT_EQ(beyond.subItems[5].text, "");
}

}  // namespace
}  // namespace quorvex::phonebook
