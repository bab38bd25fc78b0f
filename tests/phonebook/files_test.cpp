// Saving the phone book to a file and loading it into the handset, against the simulated
// handset: the exact bytes, the commands, the rows, and what failures leave behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/errors.h"
#include "codec/ucs2.h"
#include "phonebook/phonebook_file.h"
#include "phonebook_fixture.h"

namespace quorvex::phonebook {
namespace {

using testing::Book;
using testing::Box;
using testing::Entry;
using testing::Handset;
using testing::ReadFirst;
using testing::Texts;
using testing::Wide;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

const V kLoadReading = {"AT+CGMM",     "AT +CPBS=ME", "AT+MPBR=?",
                        "AT +CPBS=SM", "AT+MPBR=?",   "AT+CPBS=MT"};

// Two phone memory entries and one on the SIM at its first position (PhoneLast 10).
sim::HandsetState ThreeEntries() {
  sim::HandsetState st = Book(
      10, 5, {{1, Entry("+1", "A", 3)}, {2, Entry("22", "B;C", 5)}, {11, Entry("+12", "S", 0)}});
  st.entries[2].alert = 7;
  return st;
}

std::string FileAt(const fs::path& p) {
  return ReadTextFile(p.string());
}

const std::string kThreeLines =
    "PHONE;1;A;+1;3;0;255;0;1;0;0;255;0\r\n"
    "PHONE;2;B;C;22;5;0;7;0;1;0;0;255;0\r\n"
    "SIM;1;S;+12\r\n";

TEST(Save, ClassicPhoneBookGivesTheExactBytes) {
  Handset h("V60", ThreeEntries());
  ReadFirst(h);
  const fs::path file = h.dir() / "book.csv";
  h.ui.saves = {file.string()};
  h.section.pmSaveBookClick(h.app());
  EXPECT_EQ(h.sent(), V{"AT+CGMM"});
  EXPECT_EQ(FileAt(file), kThreeLines);
  EXPECT_EQ(h.ui.saveFilters, V{kSaveFilter});
  EXPECT_EQ(h.ui.saveExts, V{"*.csv"});
  EXPECT_TRUE(h.ui.boxes.empty());
}

TEST(Save, NothingToSaveAndUnsupportedFormats) {
  struct Case {
    const char* model;
    int formatItem;
    bool read;
    Box box;
  };
  const Case cases[] = {
      {"V60",
       0,
       false,
       {Ru("Список пуст, сохранять нечего !"), MsgKind::Information, MsgButtons::Ok}},
      {"V60", 1, true, {Ru("Пока не работает"), MsgKind::Information, MsgButtons::Ok}},
      {"C350",
       0,
       true,
       {Ru("Сохранение телефонной книги для модели телефона \"C350\" пока не поддерживается. "
           "Файл не записан."),
        MsgKind::Warning, MsgButtons::Ok}},
      {"C450",
       0,
       true,
       {Ru("Сохранение телефонной книги для модели телефона \"C450\" пока не поддерживается. "
           "Файл не записан."),
        MsgKind::Warning, MsgButtons::Ok}},
  };
  for (const Case& c : cases) {
    Handset h(c.model, ThreeEntries());
    if (c.read) ReadFirst(h);
    const fs::path file = h.dir() / "book.csv";
    WriteTextFile(file.string(), "an older backup");
    h.ui.saves = {file.string()};
    h.section.frmOption.rgFileFormat.itemIndex = c.formatItem;
    h.section.pmSaveBookClick(h.app());
    EXPECT_EQ(h.ui.boxes, std::vector<Box>{c.box}) << c.model;
    EXPECT_EQ(FileAt(file), "an older backup") << "an existing file is left alone";
    EXPECT_EQ(h.ui.saves.size(), 1u) << "no file dialog";
  }
}

TEST(Save, CancelledDialogWritesNoFile) {
  Handset h("T720", ThreeEntries());
  ReadFirst(h);
  h.section.pmSaveBookClick(h.app());
  EXPECT_EQ(h.ui.saveFilters.size(), 1u);
  EXPECT_FALSE(fs::exists(h.dir() / "book.csv"));
}

// The file the open dialog gives: book.csv with these lines.
void OfferFile(Handset& h, const std::string& lines) {
  const fs::path file = h.dir() / "book.csv";
  WriteTextFile(file.string(), lines);
  h.ui.opens = {file.string()};
}

// Records the label at every pump and the busy state, for the load.
struct LoadWatch {
  V labels;
  std::vector<bool> busy;
  void attach(Handset& h) {
    h.ui.onPump = [this, &h] {
      if (h.section.Label9.visible) labels.push_back(h.section.Label9.caption);
    };
    h.section.SetControlsEnabled = [this](bool enabled) { busy.push_back(enabled); };
  }
};

TEST(Load, TheThreeLineFileWritesAllThreeAndShowsThem) {
  Handset h("V60", ThreeEntries());
  ReadFirst(h);
  OfferFile(h, kThreeLines);
  // Erase them on the handset, so the load really puts them back.
  {
    TBlockSerial port;
    port.RaiseOnError = true;
    port.OpenPort(h.phone().slavePath());
    port.RunAtCommand("AT+CPBS=AD");
    for (const char* i : {"1", "2", "11"}) port.RunAtCommand(std::string("AT+MPBW=") + i);
    h.sent();
  }
  LoadWatch watch;
  watch.attach(h);
  h.section.pmLoadRecordClick(h.app());
  V want = kLoadReading;
  for (const std::string& c :
       V{"AT+CPBS=MT", "AT+CSCS=UCS2", "AT+MPBW=1,\"+1\",145,0041,3,0,255,0,1",
         "AT+MPBW=2,\"22\",129," + TextToUcs2Hex("B;C") + ",5,0,7,0,1",
         "AT+MPBW=11,\"+12\",145,0053,7,0,255,0,0"})
    want.push_back(c);
  EXPECT_EQ(h.sent(), want);
  EXPECT_EQ(h.ui.openFilters, V{kOpenFilter});
  ASSERT_EQ(h.section.ListView1.rows.size(), 3u);
  EXPECT_EQ(Texts(h.section.ListView1.rows[2]), (V{"11", "S", "+12", "SIM", Ru("По умолчанию")}));
  EXPECT_EQ(Texts(h.section.ListView1.rows[1]), (V{"2", "B;C", "22", Ru("Пейджер"), "7"}));
  EXPECT_EQ(watch.labels, (V{Ru("Записано 1 из 3"), Ru("Записано 2 из 3"), Ru("Записано 3 из 3")}));
  EXPECT_FALSE(h.section.Label9.visible);
  EXPECT_EQ(watch.busy, (std::vector<bool>{false, true}));
  EXPECT_EQ(h.section.pbReadAllRecords.Position, 0);
  EXPECT_EQ(h.section.pbFullRecord.Max, 15);
  EXPECT_EQ(h.section.pbFullRecord.Position, 3);
  EXPECT_TRUE(h.section.sbAddRecord.enabled);
  EXPECT_TRUE(h.ui.boxes.empty());
  const auto st = h.phone().state();
  EXPECT_EQ(st.entries.at(2).name, "B;C") << "a name with \";\" comes back whole";
  EXPECT_EQ(st.entries.at(11).number, "+12");
}

TEST(Load, CancellingTheFileDialogWritesNothingAndKeepsTheList) {
  Handset h("V60", ThreeEntries());
  ReadFirst(h);
  const auto rows = h.section.ListView1.rows;
  const auto records = h.section.Records;
  h.section.pmLoadRecordClick(h.app());
  EXPECT_EQ(h.sent(), kLoadReading);
  EXPECT_EQ(h.section.ListView1.rows.size(), rows.size());
  EXPECT_EQ(h.section.Records, records);
}

TEST(Load, StorageBoundsBeyondAnyHandsetEndTheLoadBeforeTheFileIsAsked) {
  Handset h("V60", Book(20, 10, {}), [](sim::SimOptions& o) {
    o.answers = {{"AT+MPBR=?", "+MPBR: 1-2000000000,40,24,7,0"}};
  });
  h.ui.opens = {(h.dir() / "book.csv").string()};
  h.section.pmLoadRecordClick(h.app());
  EXPECT_EQ(h.sent(), kLoadReading);
  EXPECT_EQ(h.ui.boxes, (std::vector<Box>{{Ru("Невозможно получить информацию о записях."),
                                           MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_EQ(h.ui.opens.size(), 1u) << "the open dialog is not shown";
  EXPECT_TRUE(h.section.Records.empty());
}

TEST(Load, LinesOutsideTheTableAreSkippedCountedAndTold) {
  Handset h("V60", ThreeEntries());
  ReadFirst(h);
  OfferFile(h,
            "PHONE;0;Z;1;3;0;255;0;1;0;0;255;0\r\n"
            "PHONE;3;C;+3;3;0;255;0;1;0;0;255;0\r\n"
            "SIM;6;Y;+6\r\n"
            "SIM;-20;X;+6\r\n");
  const auto size = h.section.Records.size();
  h.section.pmLoadRecordClick(h.app());
  EXPECT_EQ(h.section.Records.size(), size);
  EXPECT_EQ(h.section.Records[2].Name, "C");
  EXPECT_EQ(h.ui.boxes, (std::vector<Box>{{Ru("Строк файла пропущено: 3. Номера их записей лежат "
                                              "вне справочника телефона."),
                                           MsgKind::Warning, MsgButtons::Ok}}));
  // Besides the new entry 3, the entries the read left in the table are written again.
  EXPECT_EQ(h.section.ListView1.rows.size(), 4u);
}

TEST(Load, ALineThatDoesNotConvertEndsTheLoadBeforeAnythingIsWritten) {
  Handset h("V60", ThreeEntries());
  ReadFirst(h);
  OfferFile(h, "PHONE;3;C;+3;3;0;255;0;1;0;0;255;0\r\nPHONE;4;D;+4;x;0\r\n");
  LoadWatch watch;
  watch.attach(h);
  const auto records = h.section.Records;
  try {
    h.section.pmLoadRecordClick(h.app());
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(std::string(e.what()), "'x' is not a valid integer value");
  }
  EXPECT_EQ(h.sent(), kLoadReading);
  EXPECT_EQ(h.section.Records, records) << "no line of the file reached the table";
  EXPECT_EQ(watch.busy, (std::vector<bool>{false, true}));
  EXPECT_FALSE(h.section.Label9.visible);
  EXPECT_TRUE(h.section.ListView1.rows.empty());
}

TEST(Load, ARefusedRecordIsNotShownAndItsSlotKeepsWhatTheHandsetHas) {
  Handset h("V60", ThreeEntries(), [](sim::SimOptions& o) { o.errorOn = {"AT+MPBW=2,"}; });
  ReadFirst(h);
  const auto before = h.section.Records[1];
  OfferFile(h, "PHONE;2;New;+2;3;0;255;0;1;0;0;255;0\r\n");
  h.section.pmLoadRecordClick(h.app());
  EXPECT_EQ(h.section.Records[1], before);
  V captions;
  for (const auto& row : h.section.ListView1.rows) captions.push_back(row.caption);
  EXPECT_EQ(captions, (V{"1", "11"}));
  EXPECT_EQ(h.ui.boxes,
            (std::vector<Box>{{Ru("Телефон не принял записей: 1. Они не записаны и в список не "
                                  "внесены."),
                               MsgKind::Warning, MsgButtons::Ok}}));
}

TEST(Load, ATimeOutAsksAndNoEndsTheWriting) {
  // Answers the reading phase (6), the two set-up commands and one write, then nothing.
  Handset h("V60", Book(10, 5, {}), [](sim::SimOptions& o) { o.silentAfter = 9; });
  h.app().setOverride({h.phone().slavePath(), 115200, 150});
  h.app().LoadPortSettings();
  OfferFile(h,
            "PHONE;1;A;+1;3;0;255;0;1;0;0;255;0\r\n"
            "PHONE;2;B;+2;3;0;255;0;1;0;0;255;0\r\n"
            "PHONE;3;C;+3;3;0;255;0;1;0;0;255;0\r\n");
  h.section.pmLoadRecordClick(h.app());
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0],
            (Box{Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута...\r\n"
                    "Продолжить запись?"),
                 MsgKind::Warning, MsgButtons::YesNo}));
  ASSERT_EQ(h.section.ListView1.rows.size(), 1u);
  EXPECT_EQ(h.section.ListView1.rows[0].caption, "1");
  // The records that did not reach the handset are not left in the table.
  ASSERT_EQ(h.section.Records.size(), 15u);
  EXPECT_EQ(h.section.Records[0].Name, "A");
  EXPECT_EQ(h.section.Records[1], TAbonentInfo{});
  EXPECT_EQ(h.section.Records[2], TAbonentInfo{});
  EXPECT_FALSE(h.section.Label9.visible);
}

TEST(Load, AClassicFileIntoAGroupedHandset) {
  sim::HandsetState st = Book(10, 5, {});
  st.groups = {{"General", 255}, {"Busines", 255}};
  Handset h("C350", st);
  ReadFirst(h);
  OfferFile(h, "PHONE;1;A;+1;3;0;255;0;1;2;4;255;0\r\nSIM;1;S;12\r\n");
  h.section.pmLoadRecordClick(h.app());
  const V sent = h.sent();
  ASSERT_EQ(sent.size(), kLoadReading.size() + 4);
  // The eleventh field is no icon for a line of the file.
  EXPECT_EQ(sent[8], "AT+MPBW=1,\"+1\",145,0041,3,0,255,0,1,2,255,255,0");
  EXPECT_EQ(sent[9], "AT+MPBW=11,\"12\",129,0053,8,0,255,0,0,0,255,255,0");
  ASSERT_EQ(h.section.ListView1.rows.size(), 2u);
  EXPECT_EQ(Texts(h.section.ListView1.rows[0]),
            (V{"1", "A", "+1", Ru("Мобильный"), Ru("По умолчанию"), Ru("нет"), "Busines"}));
  EXPECT_EQ(Texts(h.section.ListView1.rows[1]),
            (V{"11", "S", "12", "SIM", Ru("По умолчанию"), Ru("нет"), ""}));
}

TEST(Load, ShowsTheHandsetsGroupsAndWritesAnEarlierEntryBackAsTheReadLeftIt) {
  sim::HandsetState st = Book(10, 5, {});
  st.groups = {{Ru("Друзья"), 255}, {Ru("Работа"), 255}};
  sim::PhoneEntry zoe = Wide("+44207", "Zo?", "005A006F00EB", 1);
  zoe.iconText = "Pic01";
  zoe.category = 2;
  st.entries[3] = zoe;
  Handset h("C450", st);
  ReadFirst(h);
  OfferFile(h, "PHONE;1;A;+1;3;0;255;0;1;1;4;255;0\r\n");
  h.section.pmLoadRecordClick(h.app());
  const V sent = h.sent();
  ASSERT_EQ(sent.size(), kLoadReading.size() + 4);
  EXPECT_EQ(sent[8], "AT+MPBW=1,\"+1\",145,0041,3,0,255,0,1,1,255,255,0,,0,0");
  // The icon text goes as typed and the name as the handset sent it.
  EXPECT_EQ(sent[9], "AT+MPBW=3,\"+44207\",145,005A006F00EB,1,0,255,0,1,2,255,255,0,Pic01,0,0");
  EXPECT_EQ(h.phone().state().entries.at(3), zoe);
  ASSERT_EQ(h.section.ListView1.rows.size(), 2u);
  EXPECT_EQ(Texts(h.section.ListView1.rows[0]).back(), Ru("Друзья"));
  EXPECT_EQ(Texts(h.section.ListView1.rows[1]).back(), Ru("Работа"));
  EXPECT_EQ(h.section.Records[2].NameHex, "005A006F00EB");
}

TEST(Load, WithoutAPortTheBoundsCannotBeRead) {
  Handset h("V60", ThreeEntries());
  // The load takes the settings as they stand; it does not read them again.
  h.app().setOverride({"/dev/quorvex-no-such-port", 115200, 1000});
  h.app().LoadPortSettings();
  LoadWatch watch;
  watch.attach(h);
  EXPECT_THROW(h.section.pmLoadRecordClick(h.app()), EConvertError);
  EXPECT_EQ(h.ui.boxes, (std::vector<Box>{{Ru("не подключен"), MsgKind::Message, MsgButtons::Ok}}));
  EXPECT_EQ(watch.busy, (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace quorvex::phonebook
