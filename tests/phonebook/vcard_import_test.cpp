// vCard import: reading cards of other address books, the preview of what the handset will
// hold, and the writes against the simulated handset, up to the round trip of a whole phone
// book through a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "codec/cp1251.h"
#include "codec/ucs2.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/vcard.h"
#include "phonebook/vcard_import.h"
#include "phonebook_fixture.h"

namespace quorvex::phonebook {
namespace {

using testing::Book;
using testing::Entry;
using testing::Handset;
using S = ImportRow::Status;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

std::string U(const std::string& cp1251) {
  return Cp1251ToUtf8(cp1251);
}

std::string Card(const std::string& body) {
  return "BEGIN:VCARD\r\n" + body + "END:VCARD\r\n";
}

// ---- Reading.

struct ParseCase {
  const char* what;
  std::string file;
  std::string name;                                                  // UTF-8
  std::vector<std::pair<std::string, std::set<std::string>>> items;  // value, types
};

TEST(VCardParse, PropertiesOfEveryVersion) {
  const ParseCase cases[] = {
      {"3.0 folded line, the blank after the line break dropped",
       Card("VERSION:3.0\r\nFN:Ann\r\n a Lee\r\nTEL:1\r\n"),
       "Anna Lee",
       {{"1", {}}}},
      {"2.1 folded line keeps its blank",
       Card("VERSION:2.1\r\nFN:Anna\r\n Lee\r\nTEL:1\r\n"),
       "Anna Lee",
       {{"1", {}}}},
      {"LF alone and a lone CR end lines too",
       "BEGIN:VCARD\nVERSION:3.0\rFN:X\nTEL:2\nEND:VCARD\n",
       "X",
       {{"2", {}}}},
      {"quoted-printable soft line breaks",
       Card("VERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=\r\n=B2=D0=B0=D0=BD\r\n"
            "TEL:3\r\n"),
       "Иван",
       {{"3", {}}}},
      {"bare 2.1 types and encodings",
       Card("VERSION:2.1\r\nFN;QUOTED-PRINTABLE:A=3DB\r\nTEL;WORK;FAX:4\r\n"),
       "A=B",
       {{"4", {"WORK", "FAX"}}}},
      {"groups, repeated and lower-case TYPE parameters",
       Card("VERSION:3.0\r\nFN:G\r\nitem1.TEL;type=cell;type=VOICE:5\r\n"),
       "G",
       {{"5", {"CELL", "VOICE"}}}},
      {"4.0 quoted type list, PREF=1 and a tel: URI with parameters",
       Card("VERSION:4.0\r\nFN:F\r\nTEL;VALUE=uri;TYPE=\"voice,home\";PREF=1:tel:+1-555-0100;"
            "ext=7\r\n"),
       "F",
       {{"+15550100", {"VOICE", "HOME", "PREF"}}}},
      {"visual separators leave a dial string",
       Card("VERSION:3.0\r\nFN:D\r\nTEL:+7 (916) 123-45.67\r\n"),
       "D",
       {{"+79161234567", {}}}},
      {"N put together when FN is missing, escapes undone",
       Card("VERSION:3.0\r\nN:Smith\\, Sr.;John;;Dr.;\r\nEMAIL:j@x\r\n"),
       "Dr. John Smith, Sr.",
       {{"j@x", {}}}},
      {"ORG when there is no name at all",
       Card("VERSION:3.0\r\nN:;;;;\r\nORG:Acme;Sales\r\n"),
       "Acme",
       {}},
      {"base64 values are skipped with their folded lines",
       Card("VERSION:3.0\r\nFN:P\r\nPHOTO;ENCODING=b:AAAA\r\n BBBB\r\nTEL:6\r\n"),
       "P",
       {{"6", {}}}},
      {"a card without END ends at the file's end",
       "BEGIN:VCARD\r\nFN:E\r\nTEL:7",
       "E",
       {{"7", {}}}},
      {"empty properties, as address books write a form's unfilled fields, are no items",
       Card("VERSION:2.1\r\nFN:E\r\nEMAIL;INTERNET;CHARSET=UTF-8:\r\nTEL;CELL:\r\nTEL;HOME: - \r\n"
            "TEL:5\r\nEMAIL;INTERNET: \r\nTEL:tel:;ext=1\r\n"),
       "E",
       {{"5", {}}}},
      {"the byte order mark is no part of the first line",
       "\xEF\xBB\xBF" + Card("FN:B\r\nTEL:8\r\n"),
       "B",
       {{"8", {}}}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<VCard> cards = ParseVCards(c.file);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].name, c.name);
    ASSERT_EQ(cards[0].items.size(), c.items.size());
    for (std::size_t k = 0; k < c.items.size(); ++k) {
      EXPECT_EQ(cards[0].items[k].value, c.items[k].first);
      EXPECT_EQ(cards[0].items[k].types, c.items[k].second);
    }
  }
}

TEST(VCardParse, Charsets) {
  struct Case {
    std::string charset, qp, name;
  };
  const Case cases[] = {
      {"UTF-8", "=D0=AF", "Я"},
      {"utf-8", "=D0=AF", "Я"},
      {"WINDOWS-1251", "=DF", "Я"},
      {"KOI8-R", "=F1", "Я"},
      {"ISO-8859-1", "M=FCller", "Müller"},
      {"ISO-8859-5", "=CF", "Я"},
  };
  for (const Case& c : cases) {
    const auto cards = ParseVCards(Card("VERSION:2.1\r\nFN;CHARSET=" + c.charset +
                                        ";ENCODING=QUOTED-PRINTABLE:" + c.qp + "\r\n"));
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].name, c.name) << c.charset;
    EXPECT_TRUE(cards[0].notes.empty()) << c.charset;
  }
  // Without a charset, bytes that are no UTF-8 are taken as the Windows code page, and the
  // preview says so; an unknown charset is read as UTF-8, said too.
  auto cards = ParseVCards(Card("VERSION:2.1\r\nFN:\xDF\r\n"));
  EXPECT_EQ(cards.at(0).name, "Я");
  EXPECT_EQ(cards.at(0).notes.size(), 1u);
  cards = ParseVCards(Card("VERSION:2.1\r\nFN;CHARSET=X-NONE:Z\r\n"));
  EXPECT_EQ(cards.at(0).name, "Z");
  EXPECT_EQ(cards.at(0).notes.size(), 1u);
}

TEST(VCardParse, LinesOutsideCardsAndSeveralCards) {
  const auto cards = ParseVCards("garbage\r\nFN:outside\r\n" + Card("FN:1\r\n") + "\r\n" +
                                 Card("FN:2\r\nCATEGORIES:a\\,b,c\r\nX-QUORVEX-STORAGE:sim\r\n"));
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].name, "1");
  EXPECT_EQ(cards[0].line, 3);
  EXPECT_EQ(cards[1].categories, (V{"a,b", "c"}));
  EXPECT_TRUE(cards[1].sim);
  EXPECT_FALSE(cards[0].sim);
}

// ---- The hand-written file in the style of a common address book export.

std::vector<VCard> AddressBook() {
  return ParseVCards(
      ReadTextFile((fs::path(QUORVEX_VCARD_DIR) / "address_book_export.vcf").string()));
}

TEST(VCardParse, AddressBookExport) {
  const auto cards = AddressBook();
  ASSERT_EQ(cards.size(), 7u);
  const V names = {
      "Иван Петров", "Mr. John Q. Smith, Jr.",           "Ольга Сидорова", "Пётр Иванович",
      "Anna Müller", "Служба доставки ☎ Быстрые колёса", "Пустая фирма"};
  for (std::size_t k = 0; k < names.size(); ++k) EXPECT_EQ(cards[k].name, names[k]) << k;
  EXPECT_EQ(cards[0].items.size(), 4u);
  EXPECT_EQ(cards[0].items[0].value, "+79161234501");
  EXPECT_EQ(cards[0].items[3].value, "ivan.petrov@example.com");
  EXPECT_TRUE(cards[0].items[3].email);
  EXPECT_EQ(cards[0].categories, V{"Работа"});
  EXPECT_EQ(cards[1].items.size(), 3u);  // two numbers and an e-mail; the picture skipped
  EXPECT_EQ(cards[1].categories, (V{"VIP", "Работа"}));
  EXPECT_EQ(cards[3].categories, V{"Семья"});
  EXPECT_EQ(cards[4].items[1].dropped, ";ext=12");
  EXPECT_TRUE(cards[6].items.empty());
}

// A handset after a read: phone memory 1..10, SIM 11..13, groups as the demo handset has.
struct ReadBook {
  std::vector<TAbonentInfo> records;
  std::vector<std::string> groups = {Ru("Семья"), Ru("Работа"), Ru("Друзья"), "VIPs"};
  std::int32_t simFirst = 11;
  ReadBook() {
    for (int k = 1; k <= 13; ++k) records.push_back(FreeSlot(k));
  }
  void put(int index, const std::string& name, const std::string& number) {
    TAbonentInfo& r = records[index - 1];
    r.Name = name;
    r.Number = number;
    r.OnSim = index >= simFirst ? 1 : 0;
  }
};

struct RowWant {
  S status;
  std::string name, number;  // UTF-8
  int type, category, index;
};

TEST(VCardPlan, AddressBookExportOnAGroupedHandset) {
  ReadBook book;
  book.put(1, "Taken", "1");
  book.put(2, Ru("Иван Петров"), "+74951234567");  // the work number is already there
  const VCardImportPlan plan(AddressBook(), book.records, book.groups, book.simFirst,
                             Family::Grouped);
  const std::vector<RowWant> want = {
      {S::Write, "Иван Петров", "+79161234501", 3, 2, 3},
      {S::OnHandset, "Иван Петров", "+74951234567", 0, 2, 2},
      {S::Write, "Иван Петров", "84957654321", 1, 2, 4},
      {S::Write, "Иван Петров", "ivan.petrov@example.com", 6, 2, 5},
      {S::Write, "Mr. John Q. Smith, Jr.", "+15550100001", 3, 2, 6},
      {S::Write, "Mr. John Q. Smith, Jr.", "+15550100002", 4, 2, 7},
      {S::Write, "Mr. John Q. Smith, Jr.", "john.smith@example.com", 6, 2, 8},
      {S::Write, "Ольга Сидорова", "+78125550102", 1, 0, 9},
      {S::Write, "Ольга Сидорова", "+78125550103", 4, 0, 10},
      // The phone memory is full: the numbers left take the SIM's places as SIM entries.
      {S::Write, "Пётр Иванович", "1234", 8, 1, 11},
      {S::Write, "Anna Mller", "+49301234567", 8, 0, 12},
      {S::Write, "Anna Mller", "+491707654321", 8, 0, 13},
      {S::NoRoom, "Anna Mller", "anna@example.de", 6, 0, 0},
      {S::NoRoom, "Служба доставки  Быстрые", "1234567890123456789012345678901234567890", 0, 0, 0},
      {S::NoNumber, "Пустая фирма", "", 0, 0, 0},
  };
  ASSERT_EQ(plan.rows().size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) {
    const ImportRow& r = plan.rows()[k];
    SCOPED_TRACE(k);
    EXPECT_EQ(r.status, want[k].status);
    EXPECT_EQ(U(r.name), want[k].name);
    EXPECT_EQ(U(r.number), want[k].number);
    if (r.status != S::NoNumber) {
      EXPECT_EQ(r.type, want[k].type);
    }
    EXPECT_EQ(r.category, want[k].category);
    EXPECT_EQ(r.index, want[k].index);
    EXPECT_EQ(r.command.empty(), r.status != S::Write);
  }
  EXPECT_EQ(plan.count(S::Write), 11);
  EXPECT_EQ(plan.count(S::NoRoom), 2);
  // The write goes through the record dialog's command for the family.
  DialogEntry e;
  e.index = 3;
  e.number = "+79161234501";
  e.nameHex = TextToUcs2Hex(Ru("Иван Петров"));
  e.type = 3;
  e.group = 2;
  e.icon = "255";
  EXPECT_EQ(plan.rows()[0].command, DialogWriteCommand(e, Family::Grouped));
}

// The notes of a row, joined, as UTF-8.
std::string NotesOf(const ImportRow& r) {
  std::string out;
  for (const std::string& n : r.notes) out += U(n) + "|";
  return out;
}

TEST(VCardPlan, ThePreviewNamesWhatTheHandsetCannotHold) {
  ReadBook book;
  const VCardImportPlan plan(AddressBook(), book.records, book.groups, book.simFirst,
                             Family::GroupedText);
  const auto& rows = plan.rows();
  // Ольга's card names no group, Anna's ü and the ext parameter, the delivery service's sign,
  // its name cut at 24 and its number at 40, the company's missing number.
  EXPECT_EQ(NotesOf(rows[7]), "");
  EXPECT_NE(NotesOf(rows[10]).find("U+00FC"), std::string::npos) << NotesOf(rows[10]);
  EXPECT_NE(NotesOf(rows[11]).find(";ext=12"), std::string::npos) << NotesOf(rows[11]);
  const std::string delivery = NotesOf(rows[13]);
  EXPECT_NE(delivery.find("U+260E"), std::string::npos) << delivery;
  EXPECT_NE(delivery.find("Имя обрезано до 24"), std::string::npos) << delivery;
  EXPECT_NE(delivery.find("Номер обрезан до 40"), std::string::npos) << delivery;
  // The list a window shows: one row per item, the status and the notes in the last column.
  const ListModel list = plan.PreviewList();
  ASSERT_EQ(list.rows.size(), rows.size());
  ASSERT_EQ(list.columns.size(), 6u);
  EXPECT_EQ(list.rows[0].caption, "1");
  EXPECT_EQ(U(list.rows[0].subItems.at(3).text), "Работа");
  EXPECT_EQ(U(list.rows[0].subItems.at(4).text), "Будет записана под номером 1");
  EXPECT_EQ(list.rows[13].caption, "13");  // the SIM takes what the phone memory cannot
  // The company without a number has no type to show either.
  EXPECT_EQ(list.rows[14].subItems.at(2).text, "");
  EXPECT_EQ(list.rows[14].subItems.at(1).text, "");
  EXPECT_NE(U(list.rows[13].subItems.at(4).text).find("U+260E"), std::string::npos);
  EXPECT_EQ(U(plan.Summary()),
            "Будет записано: 13 (из них на SIM-карту: 3); уже в телефоне: 0; повторов в файле: 0; "
            "не помещается: 1; без номера: 1; с изменениями: 4.");
}

TEST(VCardPlan, CharactersOfTheCodePageTheHandsetDropsAreNamedToo) {
  ReadBook book;
  const auto cards = ParseVCards(Card("VERSION:3.0\r\nFN:№ 5\t«Ёж»\r\nTEL:\"1\"\r\n"));
  const VCardImportPlan plan(cards, book.records, book.groups, book.simFirst, Family::Classic);
  ASSERT_EQ(plan.rows().size(), 1u);
  // Every letter and sign of the code page travels; a control character does not.
  EXPECT_EQ(U(plan.rows()[0].name), "№ 5«Ёж»");
  // The double quotes would end the number inside the command.
  EXPECT_EQ(plan.rows()[0].number, "1");
  const std::string notes = NotesOf(plan.rows()[0]);
  EXPECT_NE(notes.find("U+0009"), std::string::npos) << notes;
  EXPECT_EQ(notes.find("«№»"), std::string::npos) << notes;
  EXPECT_NE(notes.find("«\"»"), std::string::npos) << notes;
  // A character beyond the first plane is named by its code point, without a padding zero.
  const auto emoji =
      ParseVCards(Card("VERSION:3.0\r\nFN:A\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\r\nTEL:1\r\n"));
  const VCardImportPlan emojiPlan(emoji, book.records, book.groups, book.simFirst, Family::Classic);
  ASSERT_EQ(emojiPlan.rows().size(), 1u);
  const std::string emojiNotes = NotesOf(emojiPlan.rows()[0]);
  EXPECT_NE(emojiNotes.find("U+1F600"), std::string::npos) << emojiNotes;
  EXPECT_NE(emojiNotes.find("U+10FFFF"), std::string::npos) << emojiNotes;
  EXPECT_EQ(emojiNotes.find("U+01F600"), std::string::npos) << emojiNotes;
}

TEST(VCardPlan, DuplicatesAndTheRightMemory) {
  ReadBook book;
  book.put(1, "A", "1");
  const std::string file =
      Card("FN:A\r\nTEL:1\r\n") +                           // on the handset
      Card("FN:B\r\nTEL:2\r\nTEL:2\r\n") +                  // twice in the card
      Card("FN:B\r\nTEL;TYPE=CELL:2\r\n") +                 // and once more in the file
      Card("FN:A\r\nTEL:11\r\n") +                          // same name, other number
      Card("FN:S\r\nTEL:3\r\nX-QUORVEX-STORAGE:SIM\r\n") +  // to the SIM
      Card("FN:S2\r\nTEL:4\r\nX-QUORVEX-STORAGE:SIM\r\n") +
      Card("FN:S3\r\nTEL:5\r\nX-QUORVEX-STORAGE:SIM\r\n") +
      Card("FN:S4\r\nTEL:6\r\nX-QUORVEX-STORAGE:SIM\r\n");  // the SIM has three places
  const VCardImportPlan plan(ParseVCards(file), book.records, book.groups, book.simFirst,
                             Family::Classic);
  using T = std::tuple<S, int, int>;  // status, index, type
  std::vector<T> got;
  for (const ImportRow& r : plan.rows()) got.emplace_back(r.status, r.index, r.type);
  const std::vector<T> want = {
      {S::OnHandset, 1, 2},     {S::Write, 2, 2},  {S::EarlierInFile, 0, 2},
      {S::EarlierInFile, 0, 3}, {S::Write, 3, 2},  {S::Write, 11, 7},
      {S::Write, 12, 7},        {S::Write, 13, 7}, {S::NoRoom, 0, 7}};
  EXPECT_EQ(got, want);
}

TEST(VCardPlan, GroupsByNameAndNotes) {
  ReadBook book;
  const std::string file = Card("FN:A\r\nTEL:1\r\nCATEGORIES:Nope,VIPs\r\n") +
                           Card("FN:B\r\nTEL:2\r\nCATEGORIES:Nope\r\n");
  const VCardImportPlan grouped(ParseVCards(file), book.records, book.groups, book.simFirst,
                                Family::Grouped);
  EXPECT_EQ(grouped.rows()[0].category, 4);
  EXPECT_TRUE(grouped.rows()[0].notes.empty());
  EXPECT_EQ(grouped.rows()[1].category, 0);
  EXPECT_NE(NotesOf(grouped.rows()[1]).find("Nope"), std::string::npos);
  // The Classic command has no group field; the preview says the group is not kept.
  const VCardImportPlan classic(ParseVCards(file), book.records, book.groups, book.simFirst,
                                Family::Classic);
  EXPECT_EQ(classic.rows()[0].category, 0);
  EXPECT_FALSE(classic.rows()[0].notes.empty());
}

// What a row is in the preview: its status, name and number (UTF-8).
using Shown = std::vector<std::tuple<S, std::string, std::string>>;
Shown ShownRows(const VCardImportPlan& plan) {
  Shown out;
  for (const ImportRow& r : plan.rows()) out.emplace_back(r.status, U(r.name), U(r.number));
  return out;
}

TEST(VCardPlan, EmptyPropertiesAndCutNames) {
  ReadBook book;
  const std::string file =
      Card("FN:A\r\nTEL:1\r\nEMAIL;INTERNET;CHARSET=UTF-8:\r\nEMAIL:a@x\r\n") +
      Card("FN:B\r\nEMAIL;INTERNET;CHARSET=UTF-8:\r\nTEL;CELL:\r\n") +
      Card("FN:abcdefghijklmnopqrstuvw xyz\r\nTEL:2\r\n") +  // the cut falls after a blank
      Card("FN:ABCDEFGHIJKLMNOPQRSTUV   XYZ\r\n");
  const VCardImportPlan plan(ParseVCards(file), book.records, book.groups, book.simFirst,
                             Family::Grouped);
  EXPECT_EQ(ShownRows(plan), (Shown{{S::Write, "A", "1"},
                                    {S::Write, "A", "a@x"},
                                    {S::NoNumber, "B", ""},
                                    {S::Write, "abcdefghijklmnopqrstuvw", "2"},
                                    {S::NoNumber, "ABCDEFGHIJKLMNOPQRSTUV", ""}}));
  EXPECT_EQ(U(plan.rows()[2].statusText), "Пропущена: в карточке нет ни номера, ни e-mail");
  EXPECT_NE(U(plan.Summary()).find("; без номера: 2;"), std::string::npos) << U(plan.Summary());
}

TEST(VCardPlan, AFullPhoneMemorySendsTheRestToTheSim) {
  ReadBook book;
  for (int k = 1; k <= 9; ++k) book.put(k, "P" + std::to_string(k), std::to_string(100 + k));
  book.put(12, "Q", "112");
  const std::string file =
      Card("FN:A\r\nTEL:1\r\nEMAIL:a@x\r\nTEL;TYPE=CELL:11\r\n") +
      Card("FN:S\r\nTEL:3\r\nX-QUORVEX-STORAGE:SIM\r\n") +  // asks for the SIM itself: first
      Card("FN:C\r\nTEL:4\r\n");
  struct Case {
    Family family;
    int simType;
  };
  for (const Case& c : {Case{Family::Grouped, 8}, Case{Family::Classic, 7}}) {
    const VCardImportPlan plan(ParseVCards(file), book.records, book.groups, book.simFirst,
                               c.family);
    using T = std::tuple<S, int, int, bool, bool>;  // status, index, type, sim, to the SIM
    std::vector<T> got;
    for (const ImportRow& r : plan.rows())
      got.emplace_back(r.status, r.index, r.type, r.sim, r.toSim);
    EXPECT_EQ(got, (std::vector<T>{{S::Write, 10, 2, false, false},
                                   {S::NoRoom, 0, 6, false, false},
                                   {S::Write, 13, c.simType, true, true},
                                   {S::Write, 11, c.simType, true, false},
                                   {S::NoRoom, 0, 2, false, false}}));
    const ListModel list = plan.PreviewList();
    ASSERT_EQ(list.rows.size(), 5u);
    EXPECT_EQ(testing::Texts(list.rows[2]),
              (V{"13", "A", "11", "SIM", "",
                 Ru("Будет записана на SIM-карту под номером 13: в памяти телефона нет места")}));
    EXPECT_EQ(U(list.rows[1].subItems.at(4).text),
              "Не помещается: в памяти телефона нет свободного номера, а e-mail SIM-карта не "
              "хранит");
    // The SIM was full by then: nothing to say but the phone memory's.
    EXPECT_EQ(U(list.rows[4].subItems.at(4).text),
              "Не помещается: в памяти телефона нет свободного номера");
    EXPECT_EQ(U(plan.Summary()),
              "Будет записано: 3 (из них на SIM-карту: 1); уже в телефоне: 0; повторов в файле: 0; "
              "не помещается: 2; без номера: 0; с изменениями: 0.");
  }
}

// ---- Against the simulated handset.

// The entries as a comparable list: index, name, number, type, group.
using Flat = std::vector<std::tuple<int, std::string, std::string, int, int>>;
Flat Entries(const std::vector<TAbonentInfo>& records) {
  Flat out;
  for (const TAbonentInfo& r : records)
    if (!IsFree(r)) out.emplace_back(r.Index, r.Name, r.Number, r.NumberType, r.Category);
  return out;
}

// Everything but the index: the import chooses the indices.
using Loose = std::multiset<std::tuple<std::string, std::string, int, int, int>>;
Loose Contents(const std::vector<TAbonentInfo>& records) {
  Loose out;
  for (const TAbonentInfo& r : records)
    if (!IsFree(r)) out.emplace(r.Name, r.Number, r.NumberType, r.Category, r.OnSim);
  return out;
}

sim::HandsetState EmptiedDemo() {
  sim::HandsetState st = sim::DemoState();
  st.entries.clear();
  return st;
}

ImportResult Import(Handset& h, const fs::path& file, TfrmImportVCard& dialog, bool write = true) {
  h.ui.opens = {file.string()};
  h.ui.onModal = [write](ModalDialog& d) {
    auto* import = dynamic_cast<TfrmImportVCard*>(&d);
    ASSERT_NE(import, nullptr);
    if (write) {
      import->btnWriteClick();
    } else {
      import->btnCancelClick();
    }
  };
  return ImportVCardClick(h.section, h.app(), dialog);
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<std::string, VCardVersion>> {};

TEST_P(RoundTrip, ReadExportImportReadGivesTheSamePhoneBook) {
  const auto [model, version] = GetParam();
  Handset source(model, sim::DemoState());
  source.section.sbReadAllClick(source.app());
  const std::string exportedAt = (source.dir() / "book.vcf").string();
  source.ui.saves = {exportedAt};
  ExportVCardClick(source.section, source.app(), version);
  const std::string exported = ReadTextFile(exportedAt);

  // Both handsets of a test share its scratch folder, which the second one lays anew.
  Handset target(model, EmptiedDemo());
  const fs::path file = target.dir() / "book.vcf";
  WriteTextFile(file.string(), exported);
  target.section.sbReadAllClick(target.app());
  ASSERT_TRUE(target.section.ListView1.rows.empty());
  TfrmImportVCard dialog;
  Import(target, file, dialog);
  EXPECT_EQ(dialog.Plan.count(S::Write), 13);
  EXPECT_EQ(dialog.Plan.altered(), 0);
  ASSERT_TRUE(target.ui.errors.empty());
  const auto afterImport = Contents(target.section.Records);
  target.section.sbReadAllClick(target.app());
  EXPECT_EQ(Contents(target.section.Records), Contents(source.section.Records));
  EXPECT_EQ(afterImport, Contents(target.section.Records));
  EXPECT_EQ(target.section.ListView1.rows.size(), source.section.ListView1.rows.size());
  // The free indices fill up in order: phone memory from 1, the SIM from its first index.
  EXPECT_EQ(std::get<0>(Entries(target.section.Records).front()), 1);
  EXPECT_EQ(std::get<0>(Entries(target.section.Records)[10]), 501);
}

INSTANTIATE_TEST_SUITE_P(Families, RoundTrip,
                         ::testing::Combine(::testing::Values("C350", "C450", "T720"),
                                            ::testing::Values(VCardVersion::V30,
                                                              VCardVersion::V21)));

TEST(VCardImport, ASecondImportWritesNothing) {
  Handset h("C350", EmptiedDemo());
  h.section.sbReadAllClick(h.app());
  const fs::path file = fs::path(QUORVEX_VCARD_DIR) / "address_book_export.vcf";
  TfrmImportVCard dialog;
  Import(h, file, dialog);
  const int written = dialog.Plan.count(S::Write);
  EXPECT_EQ(written, 14);  // every item but the company's, which has no number
  EXPECT_EQ(h.phone().state().entries.size(), static_cast<std::size_t>(written));
  // Without a new read (the records know what was written) and after one.
  for (const bool reread : {false, true}) {
    if (reread) h.section.sbReadAllClick(h.app());
    h.sent();
    TfrmImportVCard again;
    Import(h, file, again);
    EXPECT_EQ(again.Plan.count(S::Write), 0) << reread;
    EXPECT_EQ(again.Plan.count(S::OnHandset), written) << reread;
    EXPECT_FALSE(again.btnWrite.enabled);
    for (const std::string& c : h.sent()) EXPECT_EQ(c.rfind("AT+MPBW=", 0), std::string::npos) << c;
  }
  EXPECT_EQ(h.phone().state().entries.size(), static_cast<std::size_t>(written));
}

// Two cards into a Classic handset; one that needs AT+MODE=2 gets the same writes around the
// switch.
class VCardImportWrites : public ::testing::TestWithParam<bool> {};

TEST_P(VCardImportWrites, CommandsProgressAndRows) {
  const bool needsMode2 = GetParam();
  Handset h("V60", Book(3, 2, {{2, Entry("9", "Old")}}),
            [needsMode2](sim::SimOptions& o) { o.needsMode2 = needsMode2; });
  h.section.sbReadAllClick(h.app());
  h.sent();
  const fs::path file = h.dir() / "in.vcf";
  WriteTextFile(file.string(), Card("FN:A\r\nTEL;TYPE=CELL:+1\r\n") + Card("FN:B\r\nTEL:22\r\n"));
  V labels;
  h.ui.onPump = [&] {
    labels.push_back(h.section.Label9.caption + (h.section.Label9.visible ? "" : "-"));
  };
  TfrmImportVCard dialog;
  const ImportResult r = Import(h, file, dialog);
  EXPECT_EQ(r.outcome, ImportResult::Outcome::Written);
  EXPECT_EQ(r.path, file.string());
  EXPECT_EQ(std::make_pair(r.written, r.total), std::make_pair(2, 2));
  EXPECT_TRUE(r.leftOut.empty());
  const std::string first = "AT+MPBW=1,\"+1\",145," + TextToUcs2Hex("A") + ",3,0,255,0,1";
  const std::string second = "AT+MPBW=3,\"22\",129," + TextToUcs2Hex("B") + ",2,0,255,0,1";
  if (needsMode2) {
    EXPECT_EQ(h.sent(), (V{"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2", first, "AT+MODE=2", first,
                           second, "AT+MODE=0"}));
  } else {
    EXPECT_EQ(h.sent(), (V{"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2", first, second}));
  }
  EXPECT_EQ(labels, (V{Ru("Записано 0 из 2"), Ru("Записано 1 из 2"), Ru("Записано 2 из 2")}));
  EXPECT_FALSE(h.section.Label9.visible);
  ASSERT_EQ(h.section.ListView1.rows.size(), 3u);
  EXPECT_EQ(testing::Texts(h.section.ListView1.rows[1]),
            (V{"1", "A", "+1", Ru("Мобильный"), Ru("По умолчанию")}));
  EXPECT_EQ(h.section.Records[2].Name, "B");
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].text, Ru("Записано в телефон: 2 из 2."));
  EXPECT_EQ(h.phone().state().entries.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(VCardImport, VCardImportWrites, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "NeedsMode2" : "Plain");
});

TEST(VCardImport, AFullPhoneMemoryWritesTheRestToTheSim) {
  Handset h("C350", Book(2, 2, {{1, Entry("1", "P1")}, {2, Entry("2", "P2")}}));
  h.section.sbReadAllClick(h.app());
  h.sent();
  const fs::path file = h.dir() / "in.vcf";
  WriteTextFile(file.string(), Card("FN:A\r\nTEL;TYPE=CELL:+7\r\n"));
  TfrmImportVCard dialog;
  const ImportResult r = Import(h, file, dialog);
  EXPECT_EQ(r.outcome, ImportResult::Outcome::Written);
  EXPECT_EQ(h.sent(),
            (V{"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2",
               "AT+MPBW=3,\"+7\",145," + TextToUcs2Hex("A") + ",8,0,255,0,1,0,255,255,0"}));
  ASSERT_EQ(h.section.ListView1.rows.size(), 3u);
  EXPECT_EQ(h.section.Records[2].OnSim, 1);
  h.section.sbReadAllClick(h.app());
  ASSERT_EQ(h.section.ListView1.rows.size(), 3u);
  EXPECT_EQ(testing::Texts(h.section.ListView1.rows[2]).at(3), "SIM");
  EXPECT_EQ(h.section.Records[2].OnSim, 1);
  EXPECT_EQ(h.section.Records[2].NumberType, 8);
}

TEST(VCardImport, CancelInThePreviewWritesNothing) {
  Handset h("C350", Book(5, 2, {}));
  h.section.sbReadAllClick(h.app());
  h.sent();
  const fs::path file = h.dir() / "in.vcf";
  WriteTextFile(file.string(), Card("FN:A\r\nTEL:1\r\n"));
  TfrmImportVCard dialog;
  EXPECT_EQ(Import(h, file, dialog, false).outcome, ImportResult::Outcome::Cancelled);
  EXPECT_EQ(h.sent(), V{"AT+CGMM"});
  EXPECT_TRUE(h.phone().state().entries.empty());
  EXPECT_TRUE(h.ui.boxes.empty());
}

// A refusal before the writes writes nothing; the first failed write stops the rest.
TEST(VCardImport, TheFirstFailedWriteStopsAndSaysHowManyWereWritten) {
  struct Case {
    const char* what;
    std::function<void(sim::SimOptions&)> tune;
    const char* box;  // UTF-8, a part of the error box
    ImportResult::Outcome outcome;
    int written;
  };
  using O = ImportResult::Outcome;
  const Case cases[] = {
      {"refused", [](sim::SimOptions& o) { o.errorOn = {"AT+MPBW=2,"}; }, "записано 1 из 3",
       O::Stopped, 1},
      // The read (its prologue, five group commands, one chunk), then the model, storage,
      // character set and one write are answered; then the handset is silent.
      {"silent", [](sim::SimOptions& o) { o.silentAfter = 9 + 5 + 1 + 4; }, "записано 1 из 3",
       O::Stopped, 1},
      {"storage refused", [](sim::SimOptions& o) { o.errorOn = {"AT+CPBS=AD"}; },
       "Ничего не записано.", O::Refused, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Handset h("C350", Book(5, 2, {}), c.tune);
    h.section.sbReadAllClick(h.app());
    ASSERT_TRUE(h.ui.errors.empty());
    const fs::path file = h.dir() / "in.vcf";
    WriteTextFile(file.string(), Card("FN:A\r\nTEL:1\r\n") + Card("FN:B\r\nTEL:2\r\n") +
                                     Card("FN:C\r\nTEL:3\r\n"));
    TfrmImportVCard dialog;
    const ImportResult r = Import(h, file, dialog);
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Error);
    EXPECT_NE(h.ui.boxes[0].text.find(Ru(c.box)), std::string::npos) << U(h.ui.boxes[0].text);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(std::make_pair(r.written, r.total), std::make_pair(c.written, 3));
    // What did not go in is named, the rows the stop kept from the handset among them.
    V leftOut;
    for (const ImportRow& row : r.leftOut) leftOut.push_back(row.name);
    EXPECT_EQ(leftOut, c.written ? (V{"B", "C"}) : V());
    const std::size_t entries = static_cast<std::size_t>(c.written);
    EXPECT_EQ(h.phone().state().entries.size(), entries);
    EXPECT_EQ(Entries(h.section.Records).size(), entries);
    EXPECT_EQ(h.section.ListView1.rows.size(), entries);
    EXPECT_FALSE(h.section.Label9.visible);
  }
}

TEST(VCardImport, NeedsARead) {
  Handset h("C350", Book(5, 2, {}));
  TfrmImportVCard dialog;
  h.ui.opens = {"never-asked.vcf"};
  EXPECT_EQ(ImportVCardClick(h.section, h.app(), dialog).outcome, ImportResult::Outcome::NotRead);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Information);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_EQ(h.ui.opens.size(), 1u);
}

TEST(VCardImport, AModelOfNoFamilyGetsNoCommand) {
  Handset h("C650", Book(5, 2, {}));
  h.section.sbReadAllClick(h.app());
  h.sent();
  const fs::path file = h.dir() / "in.vcf";
  WriteTextFile(file.string(), Card("FN:A\r\nTEL:1\r\n"));
  TfrmImportVCard dialog;
  EXPECT_EQ(Import(h, file, dialog).outcome, ImportResult::Outcome::Unsupported);
  EXPECT_EQ(h.sent(), V{"AT+CGMM"});
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Warning);
  EXPECT_TRUE(h.ui.shown.empty());
}

}  // namespace
}  // namespace quorvex::phonebook
