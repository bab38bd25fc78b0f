// The information, terminal and clock sections in the window, against the simulated handset.
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>

#include "codec/ru.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

using testing::Trace;
using testing::WindowTest;

TEST_F(WindowTest, TheInformationSectionShowsWhatTheHandsetSays) {
  sim::SimOptions o;
  o.model = "T720i";
  auto& phone = startPhone(o);
  click("sbPhoneInfo");
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(phone.transcript().size(), 7u);
  const auto text = [this](const char* name) { return widget<QLineEdit>(name)->text(); };
  EXPECT_EQ(text("edtModel"), QStringLiteral("Motorola T720i"));
  EXPECT_EQ(text("edtBand"), ToQ(model_->info.edtBand));
  EXPECT_FALSE(text("edtIMEI").isEmpty());
  EXPECT_FALSE(text("edtIMEI").contains(QStringLiteral("IMEI")));
  EXPECT_EQ(widget<QProgressBar>("ggStatusCharge")->value(),
            model_->info.ggStatusCharge.percentDone());
  EXPECT_EQ(widget<QToolButton>("SpeedButton11")->text(),
            QStringLiteral("Синхронизировать\nвремя"));
  const QPixmap picture = widget<QLabel>("Image1")->pixmap();
  ASSERT_FALSE(picture.isNull()) << "t722i.jpg is shown";
  EXPECT_EQ(picture.size(), QSize(120, 200));
  for (const char* edit :
       {"edtIMEI", "edtIMSI", "edtManufacturer", "edtModel", "edtBand", "edtSoftWare"}) {
    EXPECT_TRUE(widget<QLineEdit>(edit)->isReadOnly()) << edit;
    EXPECT_FALSE(widget(edit)->focusPolicy() & Qt::TabFocus) << edit << " is skipped by Tab";
  }

  phone.clearTranscript();
  key(Qt::Key_F5);
  EXPECT_EQ(phone.transcript(), (Trace{"AT+CBC", "AT+CSQ"}));
}

TEST_F(WindowTest, TheTerminalShowsTheDescriptionSendsAndClears) {
  auto& phone = startPhone();
  click("sbTerminal");
  auto* combo = widget<QComboBox>("cbCommand");
  ASSERT_EQ(combo->count(), 40);
  EXPECT_EQ(combo->currentText(), QStringLiteral("AT"));
  emit combo->activated(4);  // the user picks row 5 from the list
  EXPECT_EQ(combo->currentText(), QStringLiteral("AT+CGMR"));
  EXPECT_EQ(widget<QPlainTextEdit>("mmDescriptionCommand")->toPlainText(),
            QStringLiteral("AT+CGMR: Query phone revision."));
  click("btnSendCommand");
  EXPECT_EQ(phone.transcript(), Trace{"AT+CGMR"});
  const QString log = widget<QPlainTextEdit>("mmTerminal")->toPlainText();
  EXPECT_TRUE(log.startsWith(QStringLiteral("\n\n+CGMR: "))) << log.toStdString();
  EXPECT_TRUE(log.endsWith(QStringLiteral("\n\nOK\n"))) << log.toStdString();

  // A typed command goes out unchanged.
  combo->lineEdit()->setText(QStringLiteral("at+cgmi"));
  click("btnSendCommand");
  EXPECT_EQ(phone.transcript().back(), "at+cgmi");

  click("sbClear");
  EXPECT_TRUE(widget<QPlainTextEdit>("mmTerminal")->toPlainText().isEmpty());
  EXPECT_EQ(combo->currentText(), QStringLiteral("at+cgmi")) << "the command stays";
}

TEST_F(WindowTest, ATerminalTimeOutAppendsNothing) {
  sim::SimOptions o;
  o.silentAfter = 0;
  startPhone(o);
  click("sbTerminal");
  const QString before = widget<QPlainTextEdit>("mmTerminal")->toPlainText();
  click("btnSendCommand");
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_TRUE(ui_.boxes[0].standardError);
  EXPECT_EQ(ui_.boxes[0].text,
            Ru("Ошибка по таймауту...\r\nУстановите большее значение таймаута..."));
  EXPECT_EQ(widget<QPlainTextEdit>("mmTerminal")->toPlainText(), before);
}

TEST_F(WindowTest, TheFontDialogChangesTheLogsFont) {
  start();
  QFont chosen(QStringLiteral("DejaVu Sans Mono"), 13);
  ui_.fonts.push_back(chosen);
  view_->action("mnuFont")->trigger();
  EXPECT_EQ(widget("mmTerminal")->font().pointSize(), 13);
  ui_.fonts.push_back(std::nullopt);  // cancelled: the font stays
  view_->action("mnuFont")->trigger();
  EXPECT_EQ(widget("mmTerminal")->font().pointSize(), 13);
}

struct ClockCase {
  const char* name;
  std::vector<std::string> errorOn;
  std::string text;
  MsgKind kind;
};

class ClockButton : public WindowTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(ClockButton, SendsTheComputersTimeAndTellsTheResult) {
  sim::SimOptions o;
  o.errorOn = GetParam().errorOn;
  auto& phone = startPhone(o);
  ui_.clock = LocalTime{2005, 1, 2, 0, 5, 9};
  click("sbPhoneInfo");
  phone.clearTranscript();
  ui_.boxes.clear();
  click("SpeedButton11");
  EXPECT_EQ(phone.transcript(), Trace{"AT+CCLK=\"05/01/02,00:05:09\""});
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, Ru(GetParam().text));
  EXPECT_EQ(ui_.boxes[0].kind, GetParam().kind);
  EXPECT_EQ(ui_.boxes[0].buttons, MsgButtons::Ok);
}

INSTANTIATE_TEST_SUITE_P(Results, ClockButton,
                         ::testing::Values(ClockCase{"Accepted",
                                                     {},
                                                     "Дата и время синхронизированы!!!",
                                                     MsgKind::Message},
                                           ClockCase{"Refused",
                                                     {"AT+CCLK"},
                                                     "Не удалось синхронизировать.\r\nБыли ошибки.",
                                                     MsgKind::Error}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvex::ui
