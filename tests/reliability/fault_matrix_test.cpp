// Every operation that talks to the handset, against each way the handset can fail. Each row
// is one operation; its healthy run gives the commands and the number of exchanges, and the
// cells follow from them (see fault_matrix.h). A cell names itself in every failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

#include "codec/ru.h"
#include "fault_matrix.h"
#include "messages/message_rows.h"
#include "phonebook/add_record_dialog.h"

namespace quorvex::reliability {
namespace {

const std::string kNoEntry = Ru("Нет выделенной записи...");
const std::string kNoRecord = Ru("Нет выбранной записи...");

// ---- What the rows share.

void SelectRow(ListModel& list, int index) {
  list.selectOnly(index);
  list.focused = index;
}

int RowOf(const ListModel& list, const std::string& caption) {
  for (std::size_t i = 0; i < list.rows.size(); ++i)
    if (list.rows[i].caption == caption) return static_cast<int>(i);
  return -1;
}

void ReadPhoneBook(Window& w) {
  w.main.click("sbReadAll");
  ASSERT_GT(w.main.ListView1.rows.size(), 5u);
  w.mark = static_cast<int>(w.main.ListView1.rows.size());
}

void ReadDateBook(Window& w) {
  w.main.fire("sbReadAllEventsClick");
  ASSERT_EQ(w.main.lvEvent.rows.size(), 6u);
  w.mark = 6;
}

void ReadFolder(Window& w, int node, std::size_t rows) {
  w.main.click("sbSMS");
  w.main.tvSMSSelected = node;
  w.main.fire("tvSMSClick");
  ASSERT_EQ(w.main.lvSMS.rows.size(), rows);
  w.mark = static_cast<int>(rows);
}

// The record dialog: a new name (and for a new record a number), then "Записать".
void WorkRecordDialog(Window& w, bool typeNumber) {
  w.ui.onModal = [&w, typeNumber](ModalDialog& m) {
    auto& d = dynamic_cast<phonebook::TfrmAddRecord&>(m);
    if (typeNumber) {
      d.typePhoneNumber("+70001112233");
      d.cbType.select(3);
    }
    d.edtAbonentName.text.clear();
    d.typeAbonentName("Matrix");
    d.SpeedButton1Click(w.ui);
    if (!d.closed()) d.SpeedButton2Click();
  };
}

void WorkEventDialog(Window& w, const std::string& title) {
  w.ui.onModal = [&w, title](ModalDialog& m) {
    auto& e = dynamic_cast<datebook::TfrmAddEvent&>(m);
    e.edtEventTitle = title;
    e.SpeedButton1Click(w.ui);
  };
}

void WorkMessageDialog(Window& w, const std::string& to, int action) {
  w.ui.onModal = [&w, to, action](ModalDialog& m) {
    auto& modal = dynamic_cast<SaveSmsModal&>(m);
    sms::TfrmSaveSMS& d = modal.form();
    if (!to.empty()) d.cbAbonentsText = to;
    d.RadioGroup.itemIndex = action;
    d.SetMemoText("Matrix test");
    modal.ok(w.ui);
  };
}

bool HasTitle(const ListModel& events, const std::string& title) {
  for (const ListRow& r : events.rows)
    if (!r.subItems.empty() && r.subItems[0].text == title) return true;
  return false;
}

void ExpectOneSuccess(const Window& w, const std::string& text) {
  ASSERT_EQ(w.ui.boxes.size(), 1u);
  EXPECT_EQ(w.ui.boxes[0].text, text);
  EXPECT_EQ(w.ui.boxes[0].kind, MsgKind::Information);
}

void ExpectNothingShown(const Window& w) {
  EXPECT_TRUE(w.ui.boxes.empty());
  EXPECT_TRUE(w.ui.errors.empty());
}

// ---- The rows.

Row Named(std::string name, std::string model = "C350") {
  Row r;
  r.name = std::move(name);
  r.model = std::move(model);
  return r;
}

std::vector<Row> Rows() {
  std::vector<Row> rows;
  const std::string oldBook = "1,\"+1\",129,Old,0,0,0,0,1\r\n";

  {
    Row r = Named("phone book: read");
    r.longOperation = false;
    r.act = [](Window& w) { w.main.click("sbReadAll"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.w.main.ListView1.rows.size(), 13u);
    };
    r.onError = {{"AT+CPBS=MT", Expect::Err(Ru("Нет доступа а справочнику."))},
                 // The phone memory's bounds are asked first: refused, they do not convert.
                 {"AT+MPBR=?", Expect::Std("'' is not a valid integer value")},
                 {"AT+CSCS=UCS2", Expect::Of(Expect::Quiet)},
                 // A chunk without "OK" leaves its indices free and the read goes on.
                 {"AT+MPBR=", Expect::Of(Expect::Quiet)}};
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: add");
    r.longOperation = false;
    r.prepare = ReadPhoneBook;
    r.act = [](Window& w) {
      WorkRecordDialog(w, true);
      w.main.click("sbAddRecord");
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.ListView1.rows.size()), run.w.mark + 1);
    };
    r.onError = {{"AT+CPBS=AD", Expect::Of(Expect::Quiet)},
                 {"AT+CSCS=UCS2", Expect::Of(Expect::Quiet)}};
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: edit");
    r.longOperation = false;
    r.prepare = [](Window& w) {
      ReadPhoneBook(w);
      SelectRow(w.main.ListView1, 0);
    };
    r.act = [](Window& w) {
      WorkRecordDialog(w, false);
      w.main.fire("ListView1DblClick");
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      const int row = RowOf(run.w.main.ListView1, "1");
      ASSERT_GE(row, 0);
      EXPECT_EQ(run.w.main.ListView1.cellText(run.w.main.ListView1.rows[row], 1), "Matrix");
      EXPECT_EQ(run.phone.state().entries.at(1).name, "Matrix");
    };
    r.onError = {{"AT+CPBS=AD", Expect::Of(Expect::Quiet)},
                 {"AT+CSCS=UCS2", Expect::Of(Expect::Quiet)}};
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: erase one");
    r.prepare = [](Window& w) {
      ReadPhoneBook(w);
      SelectRow(w.main.ListView1, 0);
    };
    r.act = [](Window& w) { w.main.fire("pmDeleteClick"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.ListView1.rows.size()), run.w.mark - 1);
      EXPECT_EQ(run.phone.state().entries.count(1), 0u);
    };
    r.link = r.hangup = Expect::Err(kNoEntry);
    r.onError = {{"AT+CPBS=AD", Expect::Of(Expect::Quiet)}};
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: erase two");
    // The erase itself takes the settings' time-out, the read after it the default one.
    r.waits = 1 + kDefaultReplyTimeout / kMatrixTimeOut;
    r.prepare = [](Window& w) {
      ReadPhoneBook(w);
      SelectRow(w.main.ListView1, 0);
      w.main.ListView1.rows[1].selected = true;
    };
    r.act = [](Window& w) { w.main.fire("pmDeleteClick"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.ListView1.rows.size()), run.w.mark - 2);
    };
    r.link = r.hangup = Expect::Err(kNoEntry);
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: write all");
    r.prepare = ReadPhoneBook;
    r.act = [](Window& w) { w.main.clickMenu("N10"); };
    r.after = [](Run& run) {
      EXPECT_FALSE(run.w.phoneBook->section.writingAll()) << "the list would stay unsortable";
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.ListView1.rows.size()), run.w.mark);
    };
    r.onError = {{"AT+CPBS=AD", Expect::Of(Expect::Quiet)},
                 {"AT+CSCS=UCS2", Expect::Of(Expect::Quiet)}};
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: save", "T720");
    r.longOperation = false;
    r.files = {{"book.txt", oldBook}};
    r.prepare = [](Window& w) {
      ReadPhoneBook(w);
      w.ui.saveFile = w.path("book.txt");
    };
    r.act = [](Window& w) { w.main.clickMenu("pmSaveBook"); };
    r.healthy = [oldBook](Run& run) {
      ExpectNothingShown(run.w);
      std::ifstream in(run.w.path("book.txt"), std::ios::binary);
      const std::string saved((std::istreambuf_iterator<char>(in)), {});
      EXPECT_NE(saved, oldBook);
      EXPECT_NE(saved.find("Office Reception"), std::string::npos);
    };
    rows.push_back(r);
  }
  {
    Row r = Named("phone book: load", "T720");
    // The reading phase keeps the default time-out for its three exchanges before the bounds
    // fail to convert; the writing phase asks once and stops.
    r.waits = 3 * kDefaultReplyTimeout / kMatrixTimeOut + 1;
    r.files = {{"load.txt", ""}};
    r.prepare = [](Window& w) {
      ReadPhoneBook(w);
      // The file to load is the handset's own book, saved while it was healthy.
      w.ui.saveFile = w.path("load.txt");
      w.main.clickMenu("pmSaveBook");
      w.ui.openFile = w.path("load.txt");
    };
    r.act = [](Window& w) { w.main.clickMenu("pmLoadRecord"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.ListView1.rows.size()), run.w.mark);
    };
    r.link = r.hangup = Expect::Of(Expect::OneFailure);
    r.after = [](Run& run) {
      EXPECT_FALSE(run.w.main.control("Label9").visible) << "the load's counter stays shown";
      EXPECT_EQ(run.w.main.pbReadAllRecords.Position, 0);
    };
    rows.push_back(r);
  }

  {
    Row r = Named("date book: read");
    r.waits = 2;  // the unlock after the failure waits for its answer too
    r.act = [](Window& w) { w.main.fire("sbReadAllEventsClick"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.w.main.lvEvent.rows.size(), 6u);
    };
    r.onError = {{"AT+CSCS=UCS2", Expect::Of(Expect::Quiet)},
                 {"AT+MDBR=", Expect::Of(Expect::Quiet)},
                 {"AT+MDBL=", Expect::Err(Ru("Нет доступа у ежедневнику."))},
                 {"AT+MDBR=?", Expect::Err(Ru("Невозможно прочитать содержимое ежедневника."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("date book: show section");
    r.waits = 2;
    r.act = [](Window& w) { w.main.click("sbDateBook"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.w.main.lvEvent.rows.size(), 6u);
      EXPECT_EQ(run.w.main.section(), Section::DateBook);
    };
    r.after = [](Run& run) {
      EXPECT_EQ(run.w.main.section(), Section::DateBook) << "the section stays shown";
    };
    r.onError = {{"AT+CSCS=UCS2", Expect::Of(Expect::Quiet)},
                 {"AT+MDBL=", Expect::Err(Ru("Нет доступа у ежедневнику."))},
                 {"AT+MDBR=?", Expect::Err(Ru("Невозможно прочитать содержимое ежедневника."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("date book: add");
    r.waits = 2;
    r.prepare = ReadDateBook;
    r.act = [](Window& w) {
      WorkEventDialog(w, "Matrix");
      w.main.click("sbAddEvent");
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.lvEvent.rows.size()), run.w.mark + 1);
      EXPECT_TRUE(HasTitle(run.w.main.lvEvent, "Matrix"));
    };
    r.onError = {{"AT+MDBW=", Expect::Std(Ru("Событие не записано: телефон не принял команду."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("date book: edit");
    r.waits = 2;
    r.prepare = [](Window& w) {
      ReadDateBook(w);
      SelectRow(w.main.lvEvent, 0);
    };
    r.act = [](Window& w) {
      WorkEventDialog(w, "Edited");
      w.main.fire("lvEventDblClick");
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.lvEvent.rows.size()), run.w.mark);
      EXPECT_TRUE(HasTitle(run.w.main.lvEvent, "Edited"));
    };
    r.onError = {{"AT+MDBW=", Expect::Std(Ru("Событие не записано: телефон не принял команду."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("date book: delete");
    r.waits = 2;
    r.prepare = [](Window& w) {
      ReadDateBook(w);
      SelectRow(w.main.lvEvent, 0);
    };
    r.act = [](Window& w) { w.main.click("sbDeleteEvent"); };
    r.healthy = [](Run& run) {
      EXPECT_TRUE(run.w.ui.errors.empty());
      EXPECT_EQ(static_cast<int>(run.w.main.lvEvent.rows.size()), run.w.mark - 1);
    };
    r.link = r.hangup = Expect::Err(kNoRecord);
    r.onError = {{"AT+MDBWE=", Expect::Of(Expect::Quiet)}};
    rows.push_back(r);
  }
  {
    Row r = Named("date book: auto-delete");
    r.act = [](Window& w) {
      w.main.RadioGroup1ItemIndex = 3;
      w.main.click("SpeedButton2");
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.phone.state().autoDeleteWeeks, 4);
    };
    rows.push_back(r);
  }

  const auto folderRow = [&rows](const std::string& name, int node, std::size_t count,
                                 std::map<std::string, Expect> onError) {
    Row r = Named(name);
    r.prepare = [](Window& w) { w.main.click("sbSMS"); };
    r.act = [node](Window& w) {
      w.main.tvSMSSelected = node;
      w.main.fire("tvSMSClick");
    };
    r.healthy = [count](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.w.main.lvSMS.rows.size(), count);
    };
    r.onError = std::move(onError);
    r.onError["AT+CSCS=UCS2"] = Expect::Err(Ru("Проблемы с подключением. 7"));
    rows.push_back(r);
  };
  folderRow("messages: read incoming", sms::kIncoming, 4,
            {{"AT+CPMS=\"IM\"", Expect::Err(Ru("Проблемы с подключением. 2"))},
             {"AT+MMGL=\"HEADER ONLY\"", Expect::Err(Ru("Проблемы с подключением. 1"))}});
  folderRow("messages: read outgoing", sms::kUnsent, 1,
            {{"AT+CPMS=\"OM\"", Expect::Err(Ru("Проблемы с подключением. 4"))},
             {"AT+MMGL=\"HEADER ONLY\"", Expect::Err(Ru("Проблемы с подключением. 3"))}});
  folderRow("messages: read drafts", sms::kDrafts, 2,
            {{"AT+CPMS=\"DM\"", Expect::Err(Ru("Проблемы с подключением. 6"))},
             {"AT+MMGL=\"HEADER ONLY\"", Expect::Err(Ru("Проблемы с подключением. 5"))}});
  {
    Row r = Named("messages: new, send and delete");
    r.prepare = [](Window& w) { w.main.click("sbSMS"); };
    r.act = [](Window& w) {
      WorkMessageDialog(w, "+79161234501", 2);
      w.main.click("sbSMSNew");
    };
    r.healthy = [](Run& run) { ExpectOneSuccess(run.w, Ru("Сообщение отправлено.")); };
    r.onError = {{"AT+CMGW=", Expect::Err(Ru("Невозможно записать сообщение."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("messages: send from phone book");
    r.prepare = [](Window& w) {
      ReadPhoneBook(w);
      SelectRow(w.main.ListView1, 0);
    };
    r.act = [](Window& w) {
      WorkMessageDialog(w, "", 1);
      w.main.clickMenu("mnuSendSMS");
    };
    r.healthy = [](Run& run) {
      ExpectOneSuccess(run.w, Ru("Сообщение отправлено и записано в \"Иходящие\"."));
    };
    r.onError = {{"AT+CMGW=", Expect::Err(Ru("Невозможно записать сообщение."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("messages: send stored");
    r.prepare = [](Window& w) {
      ReadFolder(w, sms::kUnsent, 1);
      SelectRow(w.main.lvSMS, 0);
    };
    r.act = [](Window& w) { w.main.clickMenu("pmSendSMS"); };
    r.healthy = [](Run& run) { ExpectOneSuccess(run.w, Ru("Сообщение отправлено...")); };
    r.link = r.hangup = Expect::Err(kNoRecord);
    r.onError = {{"AT+CMSS=", Expect::Err(Ru("Сбой отправки..."))}};
    rows.push_back(r);
  }
  {
    Row r = Named("messages: delete one");
    r.prepare = [](Window& w) {
      ReadFolder(w, sms::kIncoming, 4);
      SelectRow(w.main.lvSMS, 0);
    };
    r.act = [](Window& w) { w.main.click("sbDeleteSMS"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(static_cast<int>(run.w.main.lvSMS.rows.size()), run.w.mark - 1);
      EXPECT_EQ(run.phone.state().messages.count(1), 0u);
    };
    r.link = r.hangup = Expect::Err(kNoRecord);
    r.errorDefault = Expect::Of(Expect::Quiet);  // refused deletes are not examined
    rows.push_back(r);
  }
  {
    Row r = Named("messages: delete all");
    r.prepare = [](Window& w) { ReadFolder(w, sms::kIncoming, 4); };
    r.act = [](Window& w) { w.main.click("sbSMSDeleteAll"); };
    r.healthy = [](Run& run) {
      EXPECT_TRUE(run.w.ui.errors.empty());
      EXPECT_TRUE(run.w.main.lvSMS.rows.empty());
    };
    r.link = r.hangup = Expect::Err(kNoRecord);
    r.errorDefault = Expect::Of(Expect::Quiet);
    rows.push_back(r);
  }
  {
    Row r = Named("messages: mark read");
    r.prepare = [](Window& w) {
      ReadFolder(w, sms::kIncoming, 4);
      SelectRow(w.main.lvSMS, RowOf(w.main.lvSMS, "2"));
    };
    r.act = [](Window& w) { w.main.clickMenu("pmMarkasRead"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      const int row = RowOf(run.w.main.lvSMS, "2");
      ASSERT_GE(row, 0);
      EXPECT_EQ(run.w.main.lvSMS.cellText(run.w.main.lvSMS.rows[row], 1 + sms::kStatus),
                sms::StatusRead());
    };
    r.link = r.hangup = Expect::Err(kNoRecord);
    r.errorDefault = Expect::Of(Expect::Quiet);  // the row simply stays unread
    rows.push_back(r);
  }

  {
    Row r = Named("phone information: show section");
    r.longOperation = false;
    r.act = [](Window& w) { w.main.click("sbPhoneInfo"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.w.main.info.edtIMEI, "350881027364519");
      EXPECT_EQ(run.w.main.info.ggStatusCharge.Position, 80);
    };
    rows.push_back(r);
  }
  {
    Row r = Named("phone information: refresh");
    r.longOperation = false;
    r.act = [](Window& w) { w.main.click("SpeedButton1"); };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_EQ(run.w.main.info.ggStatusCharge.Position, 80);
    };
    rows.push_back(r);
  }
  {
    Row r = Named("terminal: send");
    r.longOperation = false;
    r.act = [](Window& w) {
      w.main.terminal.cbCommandChange("AT+CGMI");
      w.main.click("btnSendCommand");
    };
    r.healthy = [](Run& run) {
      ExpectNothingShown(run.w);
      EXPECT_NE(run.w.main.terminal.mmTerminal.find("Motorola"), std::string::npos);
    };
    r.errorDefault = Expect::Of(Expect::Quiet);  // ERROR is an answer like any other
    rows.push_back(r);
  }
  {
    Row r = Named("clock: set");
    r.longOperation = false;
    r.act = [](Window& w) { w.main.click("SpeedButton11"); };
    r.healthy = [](Run& run) {
      EXPECT_TRUE(run.w.ui.errors.empty());
      ASSERT_EQ(run.w.ui.boxes.size(), 1u);
      EXPECT_EQ(run.w.ui.boxes[0].text, Ru("Дата и время синхронизированы!!!"));
    };
    r.successTexts = {Ru("Дата и время синхронизированы!!!")};
    r.errorDefault = Expect::Of(Expect::OneFailure);
    rows.push_back(r);
  }
  return rows;
}

const std::vector<Row>& AllRows() {
  static const std::vector<Row> rows = Rows();
  return rows;
}

// The AT+MODE=2 column is only as good as this check of its transcripts.
TEST(FaultMatrixSwitches, PairUpAroundTheRefusedCommand) {
  using V = std::vector<std::string>;
  const struct {
    V sent;
    std::optional<V> plain;
  } cases[] = {
      {{"AT", "AT+MPBR=?", "AT+MODE=2", "AT+MPBR=?", "AT+CPBS=MT", "AT+MODE=0"},
       V{"AT", "AT+MPBR=?", "AT+CPBS=MT"}},
      {{"AT+MDBL=1", "AT+MODE=2", "AT+MDBL=1", "AT+MODE=0", "AT+MDBL=1", "AT+MODE=2", "AT+MDBL=1",
        "AT+MODE=0"},
       V{"AT+MDBL=1", "AT+MDBL=1"}},
      {{"AT+CGMM"}, V{"AT+CGMM"}},
      {{"AT+MPBR=?", "AT+MODE=2", "AT+MPBR=?"}, std::nullopt},  // never switched back
      {{"AT+MPBR=?", "AT+MODE=0"}, std::nullopt},               // back without a switch
      {{"AT+MPBR=?", "AT+MODE=2", "AT+MPBW=1", "AT+MODE=0"}, std::nullopt},  // not the repeat
      {{"AT+MODE=2", "AT+MPBR=?", "AT+MODE=0"}, std::nullopt},               // nothing refused
  };
  for (const auto& c : cases)
    EXPECT_EQ(WithoutSwitches(c.sent), c.plain) << ::testing::PrintToString(c.sent);
}

class FaultMatrix : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultMatrix, EveryFaultEndsCleanly) {
  const Row& row = AllRows()[GetParam()];
  const auto failures = FailureCount;
  const Cell healthy{};
  Reference reference;
  {
    SCOPED_TRACE(row.name + " / " + healthy.name());
    const int before = failures();
    reference = RunCell(row, healthy, nullptr);
    Tally(row.name, healthy, failures() == before);
  }
  ASSERT_FALSE(HasFailure()) << "the healthy run failed; the cells would mean nothing";
  const std::vector<Cell> cells = CellsFor(reference);
  // An expectation for a command the operation never sends would be checked by nothing.
  for (const auto& [key, expect] : row.onError) {
    const bool sent = std::any_of(cells.begin(), cells.end(),
                                  [&key = key](const Cell& c) { return c.key == key; });
    EXPECT_TRUE(sent) << row.name << " never sends " << key;
  }
  for (const Cell& cell : cells) {
    SCOPED_TRACE(row.name + " / " + cell.name());
    const int before = failures();
    RunCell(row, cell, &reference);
    Tally(row.name, cell, failures() == before);
  }
}

std::string RowName(const ::testing::TestParamInfo<std::size_t>& info) {
  std::string name;
  for (const char c : AllRows()[info.param].name)
    name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultMatrix, ::testing::Range<std::size_t>(0, Rows().size()),
                         RowName);

class TableOnExit : public ::testing::Environment {
 public:
  void TearDown() override { PrintTable(std::cout); }
};

const auto* const kTable = ::testing::AddGlobalTestEnvironment(new TableOnExit);

}  // namespace
}  // namespace quorvex::reliability
