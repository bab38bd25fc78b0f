// The record dialog and the options dialog as models: their checks, commands, keys and
// visibility, without a handset.
#include <gtest/gtest.h>

#include "codec/errors.h"
#include "phonebook/add_record_dialog.h"
#include "phonebook/option_dialog.h"
#include "phonebook_fixture.h"

namespace quorvex::phonebook {
namespace {

using testing::Box;
using testing::RecordingUi;

// A dialog prepared as the add operation prepares it for a model, with indices 1..10 of
// which 4 is taken.
TfrmAddRecord Prepared(const std::string& model) {
  TfrmAddRecord d;
  d.PhoneModel = model;
  d.cbRecordNum.setItems({"1", "2", "3"});
  d.cbRecordNum.select(0);
  d.cbType.select(2);
  d.cbIDs.selectLast();
  d.cbGroup.select(0);
  d.cbIcon.selectLast();
  d.edtPhoneNumber.text = "+700";
  d.edtAbonentName.text = Ru("Имя");
  d.RecordCount = 10;
  d.Taken = std::vector<bool>(10, false);
  d.Taken[3] = true;
  return d;
}

const std::string kFillAll = Ru("Необходимо заполнить все поля!");

TEST(RecordDialog, EveryEmptyFieldIsRefusedAndTheDialogStaysOpen) {
  const std::vector<std::function<void(TfrmAddRecord&)>> blank = {
      [](TfrmAddRecord& d) { d.cbRecordNum.text.clear(); },
      [](TfrmAddRecord& d) { d.cbIDs.text.clear(); },
      [](TfrmAddRecord& d) { d.cbGroup.text.clear(); },
      [](TfrmAddRecord& d) { d.cbType.text.clear(); },
      [](TfrmAddRecord& d) { d.edtPhoneNumber.text.clear(); },
      [](TfrmAddRecord& d) { d.edtAbonentName.text.clear(); },
  };
  for (std::size_t k = 0; k < blank.size(); ++k) {
    RecordingUi ui;
    TfrmAddRecord d = Prepared("C350");
    bool stayedOpen = false;
    ui.onModal = [&](ModalDialog&) {
      blank[k](d);
      d.SpeedButton1Click(ui);
      stayedOpen = !d.closed();
    };
    d.Show(ui);
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{kFillAll, MsgKind::Error, MsgButtons::Ok}})) << k;
    EXPECT_TRUE(stayedOpen) << k;
    EXPECT_FALSE(d.DialogAccepted) << k;
    EXPECT_EQ(d.RecordCommand, "") << k;
  }
}

TEST(RecordDialog, TheHiddenGroupBoxOfAClassicModelStillPasses) {
  RecordingUi ui;
  TfrmAddRecord d = Prepared("T720");
  d.FormShow();
  EXPECT_FALSE(d.cbGroup.visible);
  d.SpeedButton1Click(ui);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(d.DialogAccepted);
  EXPECT_EQ(d.RecordCommand, "AT+MPBW=1,\"+700\",145,0418043C044F,2,0,255,0,1");
}

TEST(RecordDialog, AnIndexOutsideTheTableOrTakenIsRefusedInRussian) {
  const std::pair<const char*, std::string> cases[] = {
      {"0", Ru("Номер записи должен быть в пределах от 1 до 10!")},
      {"11", Ru("Номер записи должен быть в пределах от 1 до 10!")},
      {"-3", Ru("Номер записи должен быть в пределах от 1 до 10!")},
      {"4", Ru("Запись с номером 4 уже есть в справочнике! Выберите свободный номер.")},
  };
  for (const auto& [index, message] : cases) {
    RecordingUi ui;
    TfrmAddRecord d = Prepared("C450");
    bool stayedOpen = false;
    // A lambda of clang 14 cannot capture a structured binding.
    const std::string typed = index;
    ui.onModal = [&](ModalDialog&) {
      d.cbRecordNum.text = typed;
      d.SpeedButton1Click(ui);
      stayedOpen = !d.closed();
    };
    d.Show(ui);
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{message, MsgKind::Error, MsgButtons::Ok}})) << index;
    EXPECT_TRUE(stayedOpen) << index;
    EXPECT_FALSE(d.DialogAccepted);
    EXPECT_EQ(d.RecordCommand, "");
  }
}

TEST(RecordDialog, TextsThatAreNoNumbersRaiseTheConversionError) {
  RecordingUi ui;
  TfrmAddRecord d = Prepared("C350");
  d.cbRecordNum.text = "1a";
  EXPECT_THROW(d.SpeedButton1Click(ui), EConvertError);
  d.cbRecordNum.text = "2";
  d.cbIDs.select(1);  // "(здесь введите номер)" itself
  EXPECT_THROW(d.SpeedButton1Click(ui), EConvertError);
  EXPECT_FALSE(d.DialogAccepted);
}

TEST(RecordDialog, CommandsPerFamilyFromTheControls) {
  struct Case {
    const char* model;
    std::function<void(TfrmAddRecord&)> fill;
    std::string command;
  };
  const Case cases[] = {
      {"V70",
       [](TfrmAddRecord& d) {
         d.edtPhoneNumber.text = "me@x.ru";
         d.cbType.select(6);
         d.cbIDs.select(0);
       },
       "AT+MPBW=1,\"me@x.ru\",128,0418043C044F,6,0,0,0,1"},
      {"C350",
       [](TfrmAddRecord& d) {
         d.cbIcon.select(7);
         d.cbGroup.select(3);
         d.cbIDs.select(-1);
         d.typeIDs("42");
       },
       "AT+MPBW=1,\"+700\",145,0418043C044F,2,0,42,0,1,4,7,255,0"},
      // "нет" is icon 255; no icon item at all leaves the field empty.
      {"V150", [](TfrmAddRecord&) {},
       "AT+MPBW=1,\"+700\",145,0418043C044F,2,0,255,0,1,1,255,255,0"},
      {"C330", [](TfrmAddRecord& d) { d.cbIcon.select(-1); },
       "AT+MPBW=1,\"+700\",145,0418043C044F,2,0,255,0,1,1,,255,0"},
      {"C550",
       [](TfrmAddRecord& d) {
         d.cbIcon.select(-1);
         d.cbIcon.text = Ru("нет");
         d.cbIcon.enabled = false;
       },
       "AT+MPBW=1,\"+700\",145,0418043C044F,2,0,255,0,1,1,255,255,0," + Ru("нет") + ",0,0"},
  };
  for (const Case& c : cases) {
    RecordingUi ui;
    TfrmAddRecord d = Prepared(c.model);
    c.fill(d);
    d.SpeedButton1Click(ui);
    EXPECT_TRUE(ui.boxes.empty()) << c.model;
    EXPECT_EQ(d.RecordCommand, c.command) << c.model;
    EXPECT_TRUE(d.cbIcon.enabled) << "\"Записать\" enables the icon box again";
    EXPECT_TRUE(d.closed());
  }
}

TEST(RecordDialog, AModelOfNoFamilyBuildsNoCommand) {
  RecordingUi ui;
  TfrmAddRecord d = Prepared("E398");
  d.RecordCommand = "AT+MPBW=1,\"+1\",145,0041,2,0,255,0,1";
  d.SpeedButton1Click(ui);
  EXPECT_EQ(d.RecordCommand, "");
}

TEST(RecordDialog, ClosingByTheFrameOrEscapeIsCancel) {
  RecordingUi ui;
  TfrmAddRecord d = Prepared("C350");
  ui.onModal = [&](ModalDialog& m) { static_cast<TfrmAddRecord&>(m).SpeedButton1Click(ui); };
  d.Show(ui);
  ASSERT_TRUE(d.DialogAccepted);
  ASSERT_FALSE(d.RecordCommand.empty());
  // A front end that returns without closing it: the close box.
  ui.onModal = nullptr;
  d.Show(ui);
  EXPECT_TRUE(d.closed());
  EXPECT_FALSE(d.DialogAccepted);
  EXPECT_EQ(d.RecordCommand, "") << "an earlier command must never be sent again";
  EXPECT_EQ(ui.shown, (std::vector<std::string>{"TfrmAddRecord", "TfrmAddRecord"}));

  ui.onModal = [&](ModalDialog&) { d.FormKeyDown(kKeyEscape, ui); };
  d.Show(ui);
  EXPECT_FALSE(d.DialogAccepted);
  ui.onModal = [&](ModalDialog&) { d.FormKeyDown(kKeyEnter, ui); };
  d.Show(ui);
  EXPECT_TRUE(d.DialogAccepted);
}

TEST(RecordDialog, AlertBoxTakesDigitsAndBackspaceOnly) {
  TfrmAddRecord d;
  for (int k = 0; k < 256; ++k) {
    char key = static_cast<char>(k);
    d.cbIDsKeyPress(key);
    const bool kept = (k >= '0' && k <= '9') || k == 8;
    EXPECT_EQ(key, kept ? static_cast<char>(k) : '\0') << k;
  }
  d.cbIDs.select(2);
  d.cbIDs.text.clear();
  d.typeIDs("a1-2 3");
  EXPECT_EQ(d.cbIDs.text, "12") << "at most two characters";
  EXPECT_EQ(d.cbIDs.itemIndex, -1);
  d.typeIDs("\b7");
  EXPECT_EQ(d.cbIDs.text, "17");
}

TEST(RecordDialog, LengthLimitsOfTheEdits) {
  TfrmAddRecord d;
  d.typeRecordNum("123456");
  d.typePhoneNumber(std::string(50, '1'));
  d.typeAbonentName(std::string(30, 'a'));
  EXPECT_EQ(d.cbRecordNum.text, "1234");
  EXPECT_EQ(d.edtPhoneNumber.text.size(), 40u);
  EXPECT_EQ(d.edtAbonentName.text.size(), 24u);
}

TEST(RecordDialog, FormShowPerFamily) {
  struct Case {
    const char* model;
    bool groupsShown;
  };
  for (const Case c :
       {Case{"T720i", false}, Case{"V66", false}, Case{"C350", true}, Case{"C550", true}}) {
    TfrmAddRecord d;
    d.cbIDs.select(0);
    d.cbGroup.visible = !c.groupsShown;
    d.PhoneModel = c.model;
    d.FormShow();
    EXPECT_EQ(d.cbIDs.text, Ru("По умолчанию"));
    const std::vector<const Widget*> widgets = {&d.Label6, &d.Label7, &d.cbGroup, &d.cbIcon,
                                                &d.Bevel1};
    for (const Widget* w : widgets) EXPECT_EQ(w->visible, c.groupsShown) << c.model;
  }
  // A model of no family leaves them as they were.
  TfrmAddRecord d;
  d.cbGroup.visible = false;
  d.PhoneModel = "E398";
  d.FormShow();
  EXPECT_FALSE(d.cbGroup.visible);
  EXPECT_TRUE(d.cbIcon.visible);
}

TEST(RecordDialog, DesignState) {
  TfrmAddRecord d;
  EXPECT_EQ(d.cbType.items.size(), 8u);
  EXPECT_EQ(d.cbIcon.items.size(), 16u);
  EXPECT_EQ(d.cbIcon.text, "255");
  EXPECT_EQ(d.cbGroup.text, "General");
  EXPECT_EQ(d.cbIDs.items, (std::vector<std::string>{Ru("Бесшумный"), Ru("(здесь введите номер)"),
                                                     Ru("По умолчанию")}));
}

TEST(OptionDialog, ApplySaysTheFormatAndCloses) {
  RecordingUi ui;
  TfrmOption d;
  EXPECT_FALSE(d.rgFileFormat.enabled);
  ui.onModal = [&](ModalDialog&) { d.SpeedButton1Click(ui); };
  d.Show(ui);
  d.rgFileFormat.itemIndex = 1;
  d.Show(ui);
  ui.onModal = [&](ModalDialog&) { d.SpeedButton2Click(); };
  d.Show(ui);
  EXPECT_TRUE(d.closed());
  EXPECT_EQ(
      ui.boxes,
      (std::vector<Box>{
          {Ru("Сохраняться будет как в МПТ."), MsgKind::Message, MsgButtons::Ok},
          {Ru("Сохраняться будет в собственном формате."), MsgKind::Message, MsgButtons::Ok}}));
  EXPECT_EQ(ui.shown, (std::vector<std::string>(3, "TfrmOption")));
}

}  // namespace
}  // namespace quorvex::phonebook
