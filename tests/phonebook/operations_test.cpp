// Adding, editing, erasing and writing back against the simulated handset: the exact
// commands, and what the handset, the records and the list hold afterwards.
#include <gtest/gtest.h>

#include "codec/ucs2.h"
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

const V kAddPrologue = {"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2", "AT+MPBR=?"};
const V kEditPrologue = {"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2"};

std::string Hex(const std::string& utf8) {
  return TextToUcs2Hex(Ru(utf8));
}

sim::HandsetState Grouped() {
  sim::HandsetState st = Book(40, 10, {});
  st.groups = {{"General", 255}, {"", 255}, {Ru("Семья"), 255}};
  sim::PhoneEntry a = Entry("+79161234501", Ru("Иван Петров"), 3);
  a.category = 3;
  a.icon = 7;
  sim::PhoneEntry b = Entry("ola@x.ru", "Olga", 6);
  b.category = 1;
  b.attr6 = 1;
  st.entries = {{3, a}, {17, b}, {41, Entry("112", Ru("Скорая"), 0)}};
  return st;
}

// Scripts the record dialog: fill, then "Записать", then "Отмена" if it stayed open.
void Fill(Handset& h, std::function<void(TfrmAddRecord&)> fill) {
  h.ui.onModal = [&h, fill](ModalDialog& m) {
    auto& d = dynamic_cast<TfrmAddRecord&>(m);
    fill(d);
    d.SpeedButton1Click(h.ui);
    if (!d.closed()) d.SpeedButton2Click();
  };
}

void Type(TfrmAddRecord& d, const std::string& number, const std::string& utf8Name) {
  d.typePhoneNumber(number);
  d.typeAbonentName(Ru(utf8Name));
}

// ---- Adding

struct AddCase {
  const char* model;
  std::string command;
  V row;
};

class AddPerFamily : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddPerFamily, WritesTheDialogsCommandAndKeepsRecordsAndListInStep) {
  const AddCase& c = GetParam();
  Handset h(c.model, Grouped());
  ReadFirst(h);
  const std::size_t rows = h.section.ListView1.rows.size();
  Fill(h, [](TfrmAddRecord& d) {
    Type(d, "+700", "Имя");
    d.cbType.select(3);
  });
  h.section.sbAddRecordClick(h.app());
  V want = kAddPrologue;
  want.push_back(c.command);
  EXPECT_EQ(h.sent(), want);
  EXPECT_TRUE(h.ui.boxes.empty());
  ASSERT_EQ(h.section.ListView1.rows.size(), rows + 1);
  EXPECT_EQ(Texts(h.section.ListView1.rows.back()), c.row) << "appended at the end";
  const TAbonentInfo& r = h.section.Records[0];
  EXPECT_EQ(r.Name, Ru("Имя"));
  EXPECT_EQ(r.Number, "+700");
  EXPECT_EQ(r.NumberFormat, 145);
  EXPECT_EQ(r.NumberType, 3);
  EXPECT_EQ(r.AlertId, 255);
  EXPECT_EQ(r.Index, 1);
  // A later write back sends what the add sent.
  EXPECT_EQ(RecordWriteCommand(r, FamilyOf(c.model)), c.command);
  // The handset has it too.
  const auto st = h.phone().state();
  ASSERT_EQ(st.entries.count(1), 1u);
  EXPECT_EQ(st.entries.at(1).name, Ru("Имя"));
}

INSTANTIATE_TEST_SUITE_P(
    Families, AddPerFamily,
    ::testing::Values(AddCase{"V60",
                              "AT+MPBW=1,\"+700\",145," + Hex("Имя") + ",3,0,255,0,1",
                              {"1", Ru("Имя"), "+700", Ru("Мобильный"), Ru("По умолчанию")}},
                      AddCase{"C350",
                              "AT+MPBW=1,\"+700\",145," + Hex("Имя") + ",3,0,255,0,1,1,255,255,0",
                              {"1", Ru("Имя"), "+700", Ru("Мобильный"), Ru("По умолчанию"),
                               Ru("нет"), "General"}},
                      AddCase{"C450",
                              "AT+MPBW=1,\"+700\",145," + Hex("Имя") + ",3,0,255,0,1,1,255,255,0," +
                                  Ru("нет") + ",0,0",
                              {"1", Ru("Имя"), "+700", Ru("Мобильный"), Ru("По умолчанию"),
                               Ru("нет"), "General"}}),
    [](const auto& info) { return std::string(info.param.model); });

TEST(Add, PreparesTheDialogForTheFamily) {
  Handset h("C550", Grouped());
  ReadFirst(h);
  TfrmAddRecord* seen = nullptr;
  V items;
  h.ui.onModal = [&](ModalDialog& m) {
    seen = &dynamic_cast<TfrmAddRecord&>(m);
    items = seen->cbRecordNum.items;
    EXPECT_EQ(seen->Caption, Ru("Добавление записи..."));
    EXPECT_EQ(seen->Label8.caption, Ru("Модель телефона: C550"));
    EXPECT_EQ(seen->cbRecordNum.text, "1");
    EXPECT_EQ(seen->cbType.text, Ru("Основной"));
    EXPECT_EQ(seen->cbIDs.text, Ru("По умолчанию"));
    EXPECT_EQ(seen->cbGroup.items, h.section.GroupNames);
    EXPECT_EQ(seen->cbGroup.itemIndex, 0);
    EXPECT_EQ(seen->cbIcon.itemIndex, -1);
    EXPECT_EQ(seen->cbIcon.text, Ru("нет"));
    EXPECT_FALSE(seen->cbIcon.enabled);
    EXPECT_TRUE(seen->cbGroup.visible);
  };
  h.section.sbAddRecordClick(h.app());
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(items.size(), 47u);
  EXPECT_EQ(items[0], "1");
  EXPECT_EQ(items[2], "4");
  EXPECT_EQ(h.sent(), kAddPrologue) << "cancelled: nothing written";
}

TEST(Add, NeedsRowsFirst) {
  Handset h("C350", Grouped());
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(
      h.ui.boxes,
      (std::vector<Box>{
          {Ru("Перед добавлением новой записи рекомендуется прочитать записи из справочника."),
           MsgKind::Information, MsgButtons::Ok}}));
  EXPECT_TRUE(h.sent().empty());
}

TEST(Add, AModelOfNoFamilySendsNothing) {
  Handset h("E398", Grouped());
  ReadFirst(h);
  Fill(h, [](TfrmAddRecord& d) { Type(d, "+1", "A"); });
  const auto records = h.section.Records;
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(h.sent(), kAddPrologue);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Warning);
  EXPECT_EQ(h.section.Records, records);
  EXPECT_EQ(h.section.ListView1.rows.size(), 3u);
}

TEST(Add, ATypedIndexShowsAsTheIndexItWrote) {
  Handset h("V60", Book(10, 0, {{1, Entry("+1", "A")}}));
  ReadFirst(h);
  Fill(h, [](TfrmAddRecord& d) {
    Type(d, "+5", "E");
    d.cbRecordNum.itemIndex = -1;
    d.cbRecordNum.text = "$5";
  });
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(h.sent().back(), "AT+MPBW=5,\"+5\",145,0045,2,0,255,0,1");
  ASSERT_EQ(h.section.ListView1.rows.size(), 2u);
  EXPECT_EQ(h.section.ListView1.rows[1].caption, "5");
  EXPECT_EQ(h.section.Records[4].Index, 5);
}

TEST(Add, AnIndexOutsideTheTableIsRefusedBeforeAnythingIsSent) {
  Handset h("V60", Book(5, 0, {{1, Entry("+1", "A")}}));
  ReadFirst(h);
  Fill(h, [](TfrmAddRecord& d) {
    d.cbRecordNum.text.clear();
    d.typeRecordNum("9999");
    Type(d, "+2", "B");
  });
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(h.sent(), kAddPrologue);
  EXPECT_EQ(h.ui.boxes, (std::vector<Box>{{Ru("Номер записи должен быть в пределах от 1 до 5!"),
                                           MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_EQ(h.section.Records.size(), 5u);
  EXPECT_EQ(h.section.ListView1.rows.size(), 1u);
}

TEST(Add, ClosingByTheFrameSendsNothingNotEvenAnEarlierCommand) {
  Handset h("V60", Book(5, 0, {{1, Entry("+1", "A")}}));
  ReadFirst(h);
  Fill(h, [](TfrmAddRecord& d) { Type(d, "+2", "B"); });
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(h.sent().back(), "AT+MPBW=2,\"+2\",145,0042,2,0,255,0,1");
  h.ui.onModal = nullptr;  // the close box
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(h.sent(), kAddPrologue);
  EXPECT_EQ(h.section.ListView1.rows.size(), 2u);
}

TEST(Add, ARefusedWriteChangesNeitherRecordsNorList) {
  Handset h("V60", Book(5, 0, {{1, Entry("+1", "A")}}),
            [](sim::SimOptions& o) { o.errorOn = {"AT+MPBW=2,"}; });
  ReadFirst(h);
  const auto records = h.section.Records;
  Fill(h, [](TfrmAddRecord& d) { Type(d, "+2", "B"); });
  h.section.sbAddRecordClick(h.app());
  EXPECT_EQ(h.ui.boxes, (std::vector<Box>{{Ru("Телефон не принял запись. Справочник не изменён."),
                                           MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_EQ(h.section.Records, records);
  EXPECT_EQ(h.section.ListView1.rows.size(), 1u);
}

TEST(Add, CodeSevenPerModel) {
  struct Case {
    const char* model;
    int type;
    std::string text;
  };
  for (const Case& c : {Case{"T720i", 8, "SIM"}, Case{"C330", 7, Ru("Лист рассылки")},
                        Case{"V150", 7, Ru("Лист рассылки")}}) {
    sim::HandsetState st = Book(5, 0, {{1, Entry("+1", "A")}});
    st.groups = {{"G", 255}};
    Handset h(c.model, st);
    ReadFirst(h);
    Fill(h, [](TfrmAddRecord& d) {
      Type(d, "1", "L");
      d.cbType.select(7);
    });
    h.section.sbAddRecordClick(h.app());
    EXPECT_EQ(h.section.Records[1].NumberType, c.type) << c.model;
    EXPECT_EQ(h.section.ListView1.rows.back().subItems[2].text, c.text) << c.model;
  }
}

// ---- Editing

void SelectRow(PhoneBookSection& s, const std::string& caption) {
  for (std::size_t k = 0; k < s.ListView1.rows.size(); ++k)
    if (s.ListView1.rows[k].caption == caption) s.ListView1.selectOnly(static_cast<int>(k));
}

TEST(Edit, KeepingTheIndexErasesAndWritesTheSameIndex) {
  Handset h("C350", Grouped());
  ReadFirst(h);
  SelectRow(h.section, "3");
  TfrmAddRecord* dialog = nullptr;
  Fill(h, [&](TfrmAddRecord& d) {
    dialog = &d;
    EXPECT_EQ(d.Caption, Ru("Изменение записи..."));
    EXPECT_EQ(d.cbRecordNum.text, "3");
    EXPECT_EQ(d.edtAbonentName.text, Ru("Иван Петров"));
    EXPECT_EQ(d.cbType.itemIndex, 3);
    EXPECT_EQ(d.cbIcon.itemIndex, 7);
    EXPECT_FALSE(d.cbIcon.enabled);
    EXPECT_EQ(d.cbGroup.itemIndex, 2);
    d.edtAbonentName.text = Ru("Иван");
  });
  h.section.ListView1DblClick(h.app());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(h.sent(),
            (V{"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2", "AT+MPBW=3",
               "AT+MPBW=3,\"+79161234501\",145," + Hex("Иван") + ",3,0,255,0,1,3,7,255,0"}));
  EXPECT_TRUE(dialog->cbIcon.enabled);
  EXPECT_EQ(Texts(h.section.ListView1.rows[0]), (V{"3", Ru("Иван"), "+79161234501", Ru("Мобильный"),
                                                   Ru("По умолчанию"), Ru("семья"), Ru("Семья")}));
  const TAbonentInfo& r = h.section.Records[2];
  EXPECT_EQ(r.Name, Ru("Иван"));
  EXPECT_EQ(r.Index, 3);
  EXPECT_EQ(r.IconId, 7);
  EXPECT_EQ(r.Category, 3);
  EXPECT_EQ(h.phone().state().entries.at(3).name, Ru("Иван"));
}

// The record an edit leaves is what its command wrote, so a later write back of the unchanged
// row sends the same.
TEST(Edit, TheRecordIsWhatTheCommandWrote) {
  for (const char* number : {"+2", "b@x.ru", "5@x.ru", "22"}) {
    Handset h("V60", Book(10, 0, {{2, Entry(number, "B", 6)}}));
    ReadFirst(h);
    SelectRow(h.section, "2");
    Fill(h, [](TfrmAddRecord& d) { d.edtAbonentName.text = "C"; });
    h.section.ListView1DblClick(h.app());
    const V sent = h.sent();
    ASSERT_EQ(sent.size(), 5u) << number;
    EXPECT_EQ(RecordWriteCommand(h.section.Records[1], Family::Classic), sent.back()) << number;
  }
}

TEST(Edit, TheEntrysAlertIsKeptUnlessChanged) {
  sim::HandsetState st = Book(10, 0, {{2, Entry("+2", "B", 1)}});
  st.entries[2].alert = 17;
  Handset h("V60", st);
  ReadFirst(h);
  SelectRow(h.section, "2");
  std::string shownAlert;
  Fill(h, [&](TfrmAddRecord& d) { shownAlert = d.cbIDs.text; });
  h.section.ListView1DblClick(h.app());
  EXPECT_EQ(shownAlert, "17");
  EXPECT_EQ(h.sent().back(), "AT+MPBW=2,\"+2\",145,0042,1,0,17,0,1");
  EXPECT_EQ(h.section.Records[1].AlertId, 17);
}

TEST(Edit, MovingToAFreeIndexFreesTheOldSlot) {
  Handset h("V60", Book(10, 0, {{2, Entry("+2", "B", 1)}, {4, Entry("+4", "D")}}));
  ReadFirst(h);
  SelectRow(h.section, "4");
  Fill(h, [](TfrmAddRecord& d) { d.cbRecordNum.select(d.cbRecordNum.indexOf("7")); });
  h.section.ListView1DblClick(h.app());
  EXPECT_EQ(h.sent(), (V{"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2", "AT+MPBW=4",
                         "AT+MPBW=7,\"+4\",145,0044,3,0,255,0,1"}));
  const auto& rec = h.section.Records;
  EXPECT_EQ(rec[3].Name, "NULL");
  EXPECT_EQ(rec[3].Number, "");
  EXPECT_EQ(rec[3].AlertId, 255);
  EXPECT_EQ(rec[6].Name, "D");
  EXPECT_EQ(rec[6].Index, 7);
  EXPECT_EQ(h.section.ListView1.rows[1].caption, "7");
  const auto st = h.phone().state();
  EXPECT_EQ(st.entries.count(4), 0u);
  EXPECT_EQ(st.entries.count(7), 1u);
  // The next add offers the old index again.
  V offered;
  h.ui.onModal = [&](ModalDialog& m) {
    offered = dynamic_cast<TfrmAddRecord&>(m).cbRecordNum.items;
  };
  h.section.sbAddRecordClick(h.app());
  EXPECT_NE(std::find(offered.begin(), offered.end(), "4"), offered.end());
  EXPECT_EQ(std::find(offered.begin(), offered.end(), "7"), offered.end());
}

// An entry of the SIM type in the phone's memory shows "SIM", which no item of the type box
// stands for: renaming the entry keeps its type, whatever item the dialog's earlier use left
// selected.
struct SimTypeCase {
  const char* name;
  const char* model;
  int simType;
  bool addFirst;  // an add leaves "Основной" selected in the type box
};

class EditSimType : public ::testing::TestWithParam<SimTypeCase> {};

TEST_P(EditSimType, KeepsTheEntrysType) {
  const SimTypeCase& c = GetParam();
  sim::HandsetState st = Grouped();
  st.entries[5] = Entry("+75", "Sim", c.simType);
  st.entries[5].category = 3;
  Handset h(c.model, st);
  ReadFirst(h);
  if (c.addFirst) {
    Fill(h, [](TfrmAddRecord& d) { Type(d, "+5", "New"); });
    h.section.sbAddRecordClick(h.app());
    ASSERT_EQ(h.phone().state().entries.count(1), 1u);
  }
  SelectRow(h.section, "5");
  Fill(h, [](TfrmAddRecord& d) { d.edtAbonentName.text = "Renamed"; });
  h.section.ListView1DblClick(h.app());
  EXPECT_TRUE(h.ui.boxes.empty()) << h.ui.boxes.front();
  const auto entries = h.phone().state().entries;
  ASSERT_EQ(entries.count(5), 1u);
  EXPECT_EQ(entries.at(5).name, "Renamed");
  EXPECT_EQ(entries.at(5).type, c.simType);
  EXPECT_EQ(h.section.Records[4].NumberType, c.simType);
  const auto row = std::find_if(h.section.ListView1.rows.begin(), h.section.ListView1.rows.end(),
                                [](const ListRow& r) { return r.caption == "5"; });
  ASSERT_NE(row, h.section.ListView1.rows.end());
  EXPECT_EQ(Texts(*row)[3], "SIM");
  EXPECT_EQ(row->subItems[2].image, kSimTypeImage);
}

INSTANTIATE_TEST_SUITE_P(Models, EditSimType,
                         ::testing::Values(SimTypeCase{"C350", "C350", 8, false},
                                           SimTypeCase{"C350AfterAnAdd", "C350", 8, true},
                                           SimTypeCase{"T720AfterAnAdd", "T720", 7, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Edit, NothingHappensWithoutASelectedFocusedRow) {
  Handset h("V60", Book(10, 0, {{2, Entry("+2", "B")}}));
  ReadFirst(h);
  h.section.ListView1DblClick(h.app());
  h.section.ListView1.rows[0].selected = true;  // selected, but the focus is elsewhere
  h.section.ListView1DblClick(h.app());
  EXPECT_TRUE(h.sent().empty());
  EXPECT_TRUE(h.ui.shown.empty());
}

TEST(Edit, OntoAnotherEntrysIndexIsRefused) {
  Handset h("V60", Book(10, 0, {{2, Entry("+2", "B")}, {4, Entry("+4", "D")}}));
  ReadFirst(h);
  SelectRow(h.section, "4");
  Fill(h, [](TfrmAddRecord& d) {
    d.cbRecordNum.text.clear();
    d.typeRecordNum("2");
  });
  const auto records = h.section.Records;
  h.section.ListView1DblClick(h.app());
  EXPECT_EQ(h.sent(), kEditPrologue);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].text,
            Ru("Запись с номером 2 уже есть в справочнике! Выберите свободный номер."));
  EXPECT_EQ(h.section.Records, records);
}

TEST(Edit, ARefusedWritePutsTheOldEntryBack) {
  Handset h("V60", Book(10, 0, {{4, Entry("+4", "D")}}));
  ReadFirst(h);
  SelectRow(h.section, "4");
  // A type the handset does not take (no item of the type box).
  Fill(h, [](TfrmAddRecord& d) {
    d.cbType.select(-1);
    d.cbType.text = "?";
  });
  const auto records = h.section.Records;
  const auto rows = h.section.ListView1.rows;
  h.section.ListView1DblClick(h.app());
  EXPECT_EQ(h.sent(), (V{"AT+CGMM", "AT+CPBS=AD", "AT+CSCS=UCS2", "AT+MPBW=4",
                         "AT+MPBW=4,\"+4\",145,0044,255,0,255,0,1",
                         "AT+MPBW=4,\"+4\",145,0044,3,0,255,0,1"}));
  EXPECT_EQ(h.ui.boxes[0].text,
            Ru("Телефон не принял изменённую запись. Прежняя запись восстановлена."));
  EXPECT_EQ(h.section.Records, records);
  EXPECT_EQ(h.section.ListView1.rows.size(), rows.size());
  EXPECT_EQ(h.phone().state().entries.at(4).number, "+4");
}

TEST(Edit, WhenNeitherWriteIsTakenTheRowGoesAndTheUserIsTold) {
  Handset h("V60", Book(10, 0, {{4, Entry("+4", "D")}}),
            [](sim::SimOptions& o) { o.errorOn = {"AT+MPBW=4,"}; });
  ReadFirst(h);
  SelectRow(h.section, "4");
  Fill(h, [](TfrmAddRecord&) {});
  h.section.ListView1DblClick(h.app());
  EXPECT_TRUE(h.section.ListView1.rows.empty());
  EXPECT_EQ(h.section.Records[3].Name, "NULL");
  EXPECT_EQ(h.phone().state().entries.count(4), 0u);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Error);
}

// ---- Erasing

TEST(Erase, OneRowGoesAtOnce) {
  Handset h("C350", Grouped());
  ReadFirst(h);
  SelectRow(h.section, "17");
  h.section.pmDeleteClick(h.app());
  EXPECT_EQ(h.sent(), (V{"AT+CPBS=AD", "AT+MPBW=17"}));
  EXPECT_EQ(h.section.ListView1.rows.size(), 2u);
  TAbonentInfo freed = FreeSlot(17);
  FreeRecord(freed);
  EXPECT_EQ(h.section.Records[16], freed);
  EXPECT_EQ(h.phone().state().entries.count(17), 0u);
  EXPECT_TRUE(h.ui.boxes.empty());
}

TEST(Erase, SeveralRowsThenAFullRead) {
  Handset h("C350", Grouped());
  ReadFirst(h);
  h.section.ListView1.rows[0].selected = true;
  h.section.ListView1.rows[2].selected = true;
  h.section.pmDeleteClick(h.app());
  const V sent = h.sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ((V{sent[0], sent[1], sent[2]}), (V{"AT+CPBS=AD", "AT+MPBW=3", "AT+MPBW=41"}));
  EXPECT_EQ(sent[3], "AT+CGMM") << "the read follows";
  ASSERT_EQ(h.section.ListView1.rows.size(), 1u);
  EXPECT_EQ(h.section.ListView1.rows[0].caption, "17");
}

TEST(Erase, AnyFailureIsNoSelectedEntry) {
  Handset h("V60", Book(5, 0, {{1, Entry("+1", "A")}}));
  ReadFirst(h);
  SelectRow(h.section, "1");
  h.app().setOverride({"/dev/quorvex-no-such-port", 115200, 1000});
  h.section.pmDeleteClick(h.app());
  EXPECT_EQ(h.ui.boxes,
            (std::vector<Box>{{Ru("Нет выделенной записи..."), MsgKind::Error, MsgButtons::Ok}}));
  EXPECT_EQ(h.section.ListView1.rows.size(), 1u);
}

TEST(Erase, AnEntryTheHandsetKeepsStaysInTheTable) {
  Handset h("V60", Book(5, 0, {{1, Entry("+1", "A")}}),
            [](sim::SimOptions& o) { o.errorOn = {"AT+MPBW=1"}; });
  ReadFirst(h);
  SelectRow(h.section, "1");
  const auto records = h.section.Records;
  h.section.pmDeleteClick(h.app());
  EXPECT_EQ(h.section.Records, records);
  EXPECT_EQ(h.section.ListView1.rows.size(), 1u);
  EXPECT_EQ(
      h.ui.boxes,
      (std::vector<Box>{{Ru("Телефон не удалил записей: 1."), MsgKind::Warning, MsgButtons::Ok}}));
}

// ---- Writing every row back

TEST(WriteAll, SendsEveryEntryAsTheHandsetReportedIt) {
  struct Case {
    const char* model;
    sim::HandsetState state;
  };
  sim::HandsetState withText = Grouped();
  withText.entries[3].iconText = "Pic";
  sim::HandsetState classic =
      Book(10, 5, {{1, Entry("+1", "A", 7)}, {2, Entry("2", "B", 5)}, {12, Entry("+12", "S", 0)}});
  classic.entries[2].attr6 = 1;
  classic.entries[2].alert = 17;
  for (const Case& c : {Case{"C350", Grouped()}, Case{"C450", withText}, Case{"V60", classic},
                        Case{"T720", classic}}) {
    Handset h(c.model, c.state);
    ReadFirst(h);
    const auto before = h.phone().state();
    h.section.sbWriteAllClick(h.app());
    const V sent = h.sent();
    ASSERT_EQ(sent.size(), 3 + h.section.ListView1.rows.size()) << c.model;
    EXPECT_EQ((V{sent[0], sent[1], sent[2]}), kEditPrologue);
    const Family family = FamilyOf(c.model);
    for (std::size_t k = 0; k < h.section.ListView1.rows.size(); ++k) {
      const int index = std::stoi(h.section.ListView1.rows[k].caption);
      TAbonentInfo r = h.section.Records[static_cast<std::size_t>(index - 1)];
      EXPECT_EQ(sent[3 + k], RecordWriteCommand(r, family)) << c.model;
    }
    EXPECT_EQ(h.phone().state(), before) << c.model;
    EXPECT_TRUE(h.ui.boxes.empty()) << c.model;
    EXPECT_EQ(h.section.pbReadAllRecords.Position, 0);
  }
}

TEST(WriteAll, TheLayoutOfOneClassicRow) {
  sim::HandsetState st = Book(10, 0, {{2, Entry("2", "B", 5)}});
  st.entries[2].attr6 = 1;
  st.entries[2].alert = 0;
  Handset h("V66i", st);
  ReadFirst(h);
  h.section.sbWriteAllClick(h.app());
  EXPECT_EQ(h.sent().back(), "AT+MPBW=2,\"2\",129,0042,5,1,0,0,1");
}

TEST(WriteAll, StopAsksAndYesEndsTheLoop) {
  Handset h("C350", Grouped());
  ReadFirst(h);
  int pumps = 0;
  h.ui.onPump = [&] {
    ++pumps;
    h.section.sbStopClick();
  };
  h.ui.answers = {MsgResult::No, MsgResult::Yes};
  h.section.sbWriteAllClick(h.app());
  const V sent = h.sent();
  EXPECT_EQ(sent.size(), 3u + 2u) << "the first answer goes on, the second stops";
  EXPECT_EQ(pumps, 2);
  EXPECT_EQ(h.ui.pumps, (std::vector<bool>{false, false})) << "input is taken between rows";
  const Box question{Ru("Вы уверены, что хотите прервать\r\nзапись данных в телефон?!"),
                     MsgKind::Question, MsgButtons::YesNo};
  const Box stopped{
      Ru("Остановлено: записано 2 из ") + std::to_string(h.section.ListView1.rows.size()) + ".",
      MsgKind::Information, MsgButtons::Ok};
  EXPECT_EQ(h.ui.boxes, (std::vector<Box>{question, question, stopped}));
}

// The CLI's Ctrl+C stops at once: no question, and the write ends after the row in progress.
TEST(WriteAll, AFinalStopAsksNothing) {
  Handset h("C350", Grouped());
  ReadFirst(h);
  h.ui.onPump = [&] { h.app().stop().requestAll(); };
  h.section.sbWriteAllClick(h.app());
  EXPECT_EQ(h.sent().size(), 3u + 1u);
  ASSERT_EQ(h.ui.boxes.size(), 1u);
  EXPECT_EQ(h.ui.boxes[0].kind, MsgKind::Information);
  EXPECT_EQ(h.section.pbReadAllRecords.Figure, "");
}

TEST(WriteAll, ARowRemovedMeanwhileEndsTheLoopSafely) {
  Handset h("C350", Grouped());
  ReadFirst(h);
  h.ui.onPump = [&] { h.section.SpeedButton3Click(); };
  h.section.sbWriteAllClick(h.app());
  EXPECT_EQ(h.sent().size(), 3u + 1u);
}

// ---- Nothing changes by being read and written back

// Every field a family reads differs from its default somewhere; the fields it does not read
// keep theirs, as a write of that family's layout leaves them.
sim::HandsetState RoundTripBook(Family family) {
  sim::HandsetState st = Book(40, 10, {});
  st.groups = {{"General", 255}, {"Work", 255}, {Ru("Семья"), 255}};
  sim::PhoneEntry jose = Wide("+34911", "Jos?", "004A006F007300E9", 3);
  jose.attr6 = 1;
  jose.alert = 17;
  jose.attr8 = 70;
  jose.attr9 = 0;
  sim::PhoneEntry zoe = Wide("+44207", "Zo?", "005A006F00EB", 1);
  zoe.format = 129;  // the handset's own, though the number begins with "+"
  sim::PhoneEntry wang = Wide("8610", "???", "738B5C0F660E", 0);
  sim::PhoneEntry smile = Wide("555", "A??", "0041D83DDE00", 5);
  smile.alert = 0;
  sim::PhoneEntry ivan = Entry("+7916", Ru("Иван"), 2);
  if (HasGroups(family)) {
    jose.category = 2;
    jose.icon = 3;
    jose.attr12 = 200;
    jose.attr13 = 5;
    zoe.category = 2;
    zoe.icon = 5;
    wang.category = 3;
    smile.category = 1;
    smile.icon = 14;
  }
  if (family == Family::GroupedText) {
    jose.iconText = "Pic01";
    wang.iconText = Ru("Ёлка");
  }
  st.entries = {{2, jose},   {5, zoe},   {9, wang},
                {12, smile}, {20, ivan}, {41, Wide("112", "Jos?", "004A006F007300E9", 0)}};
  return st;
}

struct RoundTripCase {
  const char* name;
  const char* model;
  bool longLines;
};

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, WriteAllAndAnEditLeaveEveryEntryTheUserDidNotChangeAsItWas) {
  const RoundTripCase& c = GetParam();
  Handset h(c.model, RoundTripBook(FamilyOf(c.model)),
            [&c](sim::SimOptions& o) { o.longEntryLines = c.longLines; });
  ReadFirst(h);
  ASSERT_EQ(h.section.ListView1.rows.size(), 6u);
  const auto before = h.phone().state().entries;

  h.section.sbWriteAllClick(h.app());
  EXPECT_TRUE(h.ui.boxes.empty());
  const V sent = h.sent();
  ASSERT_EQ(sent.size(), 3u + 6u);
  const std::string jose = "AT+MPBW=2,\"+34911\",145,004A006F007300E9,3,1,17,70,0";
  EXPECT_EQ(sent[3].substr(0, jose.size()), jose);
  EXPECT_EQ(h.phone().state().entries, before);

  // A new number for Zoë: her name goes back as the handset has it.
  SelectRow(h.section, "5");
  Fill(h, [](TfrmAddRecord& d) { d.edtPhoneNumber.text = "+44208"; });
  h.section.ListView1DblClick(h.app());
  auto after = h.phone().state().entries;
  ASSERT_EQ(after.count(5), 1u);
  EXPECT_EQ(after.at(5).number, "+44208");
  EXPECT_EQ(after.at(5).nameUcs2, "005A006F00EB");
  EXPECT_EQ(after.at(5).type, 1);
  auto others = before;
  others.erase(5);
  after.erase(5);
  EXPECT_EQ(after, others);

  // A name the user types goes as typed.
  SelectRow(h.section, "2");
  Fill(h, [](TfrmAddRecord& d) { d.edtAbonentName.text = "Jose"; });
  h.section.ListView1DblClick(h.app());
  EXPECT_EQ(h.phone().state().entries.at(2).name, "Jose");
  EXPECT_EQ(h.phone().state().entries.at(2).nameUcs2, "");

  // And all of it stays through another read and write back.
  const auto edited = h.phone().state().entries;
  ReadFirst(h);
  h.section.sbWriteAllClick(h.app());
  EXPECT_EQ(h.phone().state().entries, edited);
}

INSTANTIATE_TEST_SUITE_P(Families, RoundTrip,
                         ::testing::Values(RoundTripCase{"Classic", "V60", false},
                                           RoundTripCase{"Grouped", "C350", false},
                                           RoundTripCase{"GroupedText", "C450", false},
                                           RoundTripCase{"ClassicLongLines", "T720", true},
                                           RoundTripCase{"GroupedLongLines", "V150", true},
                                           RoundTripCase{"GroupedTextLongLines", "C550", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex::phonebook
