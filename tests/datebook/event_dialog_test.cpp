// The event dialog: the command "Создать" builds, the alarm rule, the index of a new event
// and the Enter/Escape chain.
#include "datebook/event_dialog.h"

#include <gtest/gtest.h>

#include "codec/ru.h"
#include "datebook_fixture.h"

namespace quorvex::datebook {
namespace {

using testing::Box;
using testing::RecordingUi;

struct AlarmCase {
  const char* start;
  CalendarDate date;
  int lead;
  AlarmFields want;
};

TEST(AlarmFor, LeadBeforeStart) {
  const CalendarDate d{2026, 7, 12};
  const AlarmCase cases[] = {
      {"10:30", d, 15, {"10:15", "07-12-2026"}},
      {"10:30", d, 30, {"10:00", "07-12-2026"}},
      {"10:30", d, 31, {"09:59", "07-12-2026"}},
      {"10:30", d, 45, {"09:45", "07-12-2026"}},
      {"10:30", d, 90, {"09:00", "07-12-2026"}},
      {"09:05", {2026, 3, 5}, 10, {"08:55", "03-05-2026"}},
      {"00:01", d, 1, {"00:00", "07-12-2026"}},
      // Before midnight of the start day: the day before, never a negative hour.
      {"00:40", d, 50, {"23:50", "07-11-2026"}},
      {"10:30", d, 1440, {"10:30", "07-11-2026"}},
      {"00:00", {2026, 3, 1}, 1, {"23:59", "02-28-2026"}},
      {"00:00", {2024, 3, 1}, 1, {"23:59", "02-29-2024"}},
      {"00:10", {2027, 1, 1}, 11, {"23:59", "12-31-2026"}},
      {"23:59", d, 1440, {"23:59", "07-11-2026"}},
  };
  for (const AlarmCase& c : cases)
    EXPECT_EQ(AlarmFor(c.start, c.date, c.lead), c.want) << c.start << " lead " << c.lead;
}

TEST(DateText, TwoDigitFields) {
  EXPECT_EQ(DateText({2026, 3, 5}), "03-05-2026");
  EXPECT_EQ(DateText({2026, 12, 31}), "12-31-2026");
  EXPECT_EQ(DateText({999, 1, 1}), "01-01-999");
  EXPECT_EQ(TimeText(9, 5), "09:05");
  EXPECT_EQ(TimeText(23, 0), "23:00");
}

TEST(PreviousDay, CrossesMonthsAndYears) {
  EXPECT_EQ(PreviousDay({2026, 7, 12}), (CalendarDate{2026, 7, 11}));
  EXPECT_EQ(PreviousDay({2026, 5, 1}), (CalendarDate{2026, 4, 30}));
  EXPECT_EQ(PreviousDay({2100, 3, 1}), (CalendarDate{2100, 2, 28}));
  EXPECT_EQ(PreviousDay({2000, 3, 1}), (CalendarDate{2000, 2, 29}));
  EXPECT_EQ(PreviousDay({2026, 1, 1}), (CalendarDate{2025, 12, 31}));
}

class EventDialogTest : public ::testing::Test {
 protected:
  // The example event: index 7, Test, alarm on, 09:05 on 5 March 2026, 30 minutes, lead 10,
  // weekly.
  void SetUp() override {
    d.EventIndex = 7;
    d.edtEventTitle = "Test";
    d.RadioGroup1.itemIndex = 1;
    d.dtpStartTime = {9, 5, 59};
    d.dtpStartDate = {2026, 3, 5};
    d.seDuration.setValue(30);
    d.seAl_time.setValue(10);
    d.cbRepeat.select(2);
  }
  TfrmAddEvent d;
  RecordingUi ui;
};

TEST_F(EventDialogTest, DesignValues) {
  TfrmAddEvent fresh;
  EXPECT_EQ(fresh.Caption, Ru("Новое событие"));
  EXPECT_EQ(fresh.RadioGroup1.itemIndex, 1);
  EXPECT_EQ(fresh.cbRepeat.itemIndex, 1);
  EXPECT_EQ(fresh.cbRepeat.text, Ru("ежедневно"));
  EXPECT_EQ(fresh.seDuration.value, 1);
  EXPECT_EQ(fresh.seAl_time.value, 1);
  EXPECT_TRUE(fresh.closed());
  EXPECT_FALSE(fresh.Confirmed);
}

TEST_F(EventDialogTest, CreateBuildsTheCommand) {
  EXPECT_TRUE(d.SpeedButton1Click(ui));
  EXPECT_EQ(d.WriteCommand,
            "AT+MDBW=7,0054006500730074,1,1,\"09:05\",\"03-05-2026\",30,\"08:55\","
            "\"03-05-2026\",2");
  EXPECT_TRUE(d.Confirmed);
  EXPECT_TRUE(d.closed());
  EXPECT_EQ(d.RepeatCode, "2");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EventDialogTest, AlarmOffWritesZeroTimeAndDate) {
  d.RadioGroup1.itemIndex = 0;
  d.seAl_time.setValue(600);
  d.SpeedButton1Click(ui);
  EXPECT_EQ(d.WriteCommand,
            "AT+MDBW=7,0054006500730074,1,0,\"09:05\",\"03-05-2026\",30,\"00:00\","
            "\"00-00-2000\",2");
}

TEST_F(EventDialogTest, AlarmBeforeMidnightGoesToThePreviousDay) {
  d.dtpStartTime = {0, 40, 0};
  d.seAl_time.setValue(50);
  d.SpeedButton1Click(ui);
  EXPECT_EQ(d.WriteCommand,
            "AT+MDBW=7,0054006500730074,1,1,\"00:40\",\"03-05-2026\",30,\"23:50\","
            "\"03-04-2026\",2");
}

TEST_F(EventDialogTest, TypedRepeatMatchingNoItemWritesMinusOne) {
  d.typeRepeat("каждый час");
  EXPECT_EQ(d.RepeatCode, "-1");
  d.SpeedButton1Click(ui);
  EXPECT_EQ(d.WriteCommand.substr(d.WriteCommand.size() - 3), ",-1");
  d.typeRepeat(Ru("ежегодно"));
  EXPECT_EQ(d.RepeatCode, "5");
}

TEST_F(EventDialogTest, SpinEditsClampToTheirRange) {
  d.seDuration.setValue(0);
  d.seAl_time.setValue(5000);
  EXPECT_EQ(d.seDuration.value, 1);
  EXPECT_EQ(d.seAl_time.value, 1440);
}

TEST_F(EventDialogTest, EmptyTitleWarnsAndStaysOpen) {
  d.edtEventTitle.clear();
  d.WriteCommand = "kept";
  d.Show(ui, [&](TfrmAddEvent& dialog) {
    EXPECT_FALSE(dialog.SpeedButton1Click(ui));
    EXPECT_FALSE(dialog.closed());
    EXPECT_FALSE(dialog.Confirmed);
  });
  EXPECT_EQ(
      ui.boxes,
      (std::vector<Box>{{Ru("Введите заголовок события!"), MsgKind::Warning, MsgButtons::Ok}}));
  EXPECT_EQ(d.WriteCommand, "kept");
  EXPECT_TRUE(d.closed());
  EXPECT_FALSE(d.Confirmed);
}

TEST_F(EventDialogTest, BlankTitleIsNotEmpty) {
  d.edtEventTitle = "   ";
  EXPECT_TRUE(d.SpeedButton1Click(ui));
  EXPECT_EQ(d.WriteCommand.substr(0, 23), "AT+MDBW=7,002000200020,");
}

TEST_F(EventDialogTest, EnterWalksTheControlsAndPressesCreateLast) {
  using C = TfrmAddEvent::Control;
  d.Show(ui, [&](TfrmAddEvent& dialog) {
    const C order[] = {C::edtEventTitle, C::dtpStartTime, C::dtpStartDate,
                       C::seDuration,    C::seAl_time,    C::cbRepeat};
    for (C expected : order) {
      EXPECT_EQ(dialog.ActiveControl, expected);
      EXPECT_FALSE(dialog.closed());
      dialog.KeyDown(kKeyEnter, ui);
    }
    EXPECT_TRUE(dialog.closed());
  });
  EXPECT_TRUE(d.Confirmed);
  EXPECT_FALSE(d.WriteCommand.empty());
}

TEST_F(EventDialogTest, EnterInRepeatWithEmptyTitleWarns) {
  d.edtEventTitle.clear();
  d.Show(ui, [&](TfrmAddEvent& dialog) {
    dialog.ActiveControl = TfrmAddEvent::Control::cbRepeat;
    dialog.KeyDown(kKeyEnter, ui);
    EXPECT_FALSE(dialog.closed());
  });
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_FALSE(d.Confirmed);
}

TEST_F(EventDialogTest, EscapeCancelsFromEveryControl) {
  using C = TfrmAddEvent::Control;
  for (C c : {C::edtEventTitle, C::dtpStartTime, C::dtpStartDate, C::seDuration, C::seAl_time,
              C::cbRepeat, C::None}) {
    d.Confirmed = true;
    d.Show(ui, [&](TfrmAddEvent& dialog) {
      dialog.ActiveControl = c;
      dialog.KeyDown(kKeyEscape, ui);
      EXPECT_TRUE(dialog.closed()) << static_cast<int>(c);
    });
    EXPECT_FALSE(d.Confirmed) << static_cast<int>(c);
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EventDialogTest, ShownThroughTheSeamWithoutADriver) {
  ui.onModal = [&](ModalDialog& dialog) {
    EXPECT_FALSE(dialog.closed());
    static_cast<TfrmAddEvent&>(dialog).SpeedButton1Click(ui);
  };
  d.Show(ui);
  EXPECT_EQ(ui.shown, std::vector<std::string>{"TfrmAddEvent"});
  EXPECT_TRUE(d.Confirmed);
}

TEST(FirstFreeIndex, LowestClearFlag) {
  const std::pair<std::vector<bool>, int> cases[] = {
      {{true, true, false, true}, 2}, {{true, true, true}, 3}, {{}, 0}, {{false}, 0},
      {{true, false, false}, 1},
  };
  for (const auto& [slots, want] : cases) {
    TfrmAddEvent d;
    d.UsedSlots = slots;
    EXPECT_EQ(d.FirstFreeIndex(), want);
  }
}

}  // namespace
}  // namespace quorvex::datebook
