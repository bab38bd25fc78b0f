// The window's long reads against the simulated handset: each pump shows the rows read so far
// by adding them to the list, never by building the list anew, and the window paints once a
// frame rather than at every row.
#include <QApplication>

#include "messages/sms_section.h"
#include "sim/handset_state.h"
#include "ui/list_view.h"
#include "window_fixture.h"

namespace quorvex::ui {
namespace {

constexpr int kRows = 150;

sim::HandsetState Handset() {
  sim::HandsetState s = sim::DemoState();
  s.messageSlots = kRows + 10;
  s.messages.clear();
  for (int i = 1; i <= kRows; ++i) {
    sim::Message m;
    m.store = sim::MessageStore::Incoming;
    m.status = sim::MessageStatus::RecRead;
    m.number = "+7916" + std::to_string(1000000 + i);
    m.timestamp = "26/01/" + std::to_string(10 + i % 18) + ",10:" + std::to_string(10 + i % 50) +
                  ":" + std::to_string(10 + i / 50) + "+12";
    m.text = "Message " + std::to_string(i);
    s.messages[i] = m;
  }
  s.dateBookHighest = kRows - 1;
  s.events.clear();
  for (int i = 0; i < kRows; ++i) {
    sim::DateEvent e;
    e.title = "Event " + std::to_string(i);
    e.startDate = "07-12-2026";
    s.events[i] = e;
  }
  return s;
}

class WindowReadTest : public testing::WholeWindowTest {
 protected:
  void SetUp() override {
    WholeWindowTest::SetUp();
    model_->messages.archivePath = path("sms_archive.txt");
    sim::SimOptions o;
    o.demoData = false;
    o.stateFile = path("handset.txt");
    sim::SaveStateFile(o.stateFile, Handset());
    startPhone(o);
  }
};

struct ReadCase {
  const char* name;
  const char* list;
  std::function<void(TfrmMain&)> read;
};

TEST_F(WindowReadTest, EachPumpAddsTheNewRowsAndTheWindowPaintsOnceAFrame) {
  const ReadCase cases[] = {
      {"phone book", "ListView1", [](TfrmMain& m) { m.click("sbReadAll"); }},
      {"date book", "lvEvent", [](TfrmMain& m) { m.click("sbDateBook"); }},
      {"messages", "lvSMS",
       [](TfrmMain& m) {
         m.click("sbSMS");
         m.tvSMSSelected = sms::kIncoming;
         m.fire("tvSMSClick");
       }},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    ListView* list = view_->list(c.list);
    ListModel& rows = list->listModel();
    int pumps = 0, rowsGrew = 0, lastShown = 0;
    bool shownAtEveryPump = true;
    const auto inner = ui_.beforeEvents;
    ui_.beforeEvents = [&, inner] {
      if (inner) inner();
      ++pumps;
      shownAtEveryPump &= list->rowCount() == static_cast<int>(rows.rows.size());
      rowsGrew += list->rowCount() > lastShown;
      lastShown = list->rowCount();
    };
    const int rebuildsBefore = list->rebuilds();
    const int framesBefore = ui_.framesPainted();
    c.read(*model_);
    ui_.beforeEvents = inner;
    view_->sync();

    EXPECT_TRUE(ui_.boxes.empty()) << ui_.boxes.front().text;
    ASSERT_GE(list->rowCount(), c.list == std::string("ListView1") ? 2 : kRows);
    EXPECT_TRUE(shownAtEveryPump);
    EXPECT_GT(rowsGrew, 1) << "the list grew while the read went on";
    // The read empties the list once before it starts; every row after that is added.
    EXPECT_LE(list->rebuilds() - rebuildsBefore, 2);
    const int frames = ui_.framesPainted() - framesBefore;
    if (rows.rows.size() >= kRows) {
      EXPECT_LT(frames, pumps / 2) << pumps << " pumps";
    }
  }
}

}  // namespace
}  // namespace quorvex::ui
