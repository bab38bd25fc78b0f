// The stop request as the long operations and the front ends share it.
#include "core/stop_request.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "codec/ru.h"
#include "core/app_state.h"
#include "core/held_boxes.h"
#include "recording_ui.h"

namespace quorvex {
namespace {

using testing::RecordingUi;

TEST(StopRequest, WhatAnOperationSeesOfEachRequest) {
  struct Case {
    const char* name;
    void (*before)(StopRequest&);  // before the operation starts
    void (*during)(StopRequest&);  // while it runs
    bool stopsIt;
    bool stopsTheNext;
  };
  const Case cases[] = {
      {"nothing asked", [](StopRequest&) {}, [](StopRequest&) {}, false, false},
      // A key pressed while the window was idle must not stop the next operation.
      {"asked before it began", [](StopRequest& s) { s.request(); }, [](StopRequest&) {}, false,
       false},
      {"asked while it runs", [](StopRequest&) {}, [](StopRequest& s) { s.request(); }, true,
       false},
      {"said go on after the question", [](StopRequest&) {},
       [](StopRequest& s) {
         s.request();
         s.withdraw();
       },
       false, false},
      // Ctrl+C in the CLI: the rest of the run stops too, also when it came in between.
      {"stop everything, while it runs", [](StopRequest&) {},
       [](StopRequest& s) { s.requestAll(); }, true, true},
      {"stop everything, before", [](StopRequest& s) { s.requestAll(); }, [](StopRequest&) {}, true,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingUi ui;
    StopRequest stop;
    c.before(stop);
    {
      StoppableOperation op(stop, ui, "reading");
      EXPECT_TRUE(stop.running());
      EXPECT_EQ(stop.activity(), "reading");
      c.during(stop);
      EXPECT_EQ(op.stopRequested(), c.stopsIt);
    }
    EXPECT_FALSE(stop.running());
    EXPECT_EQ(stop.activity(), "");
    StoppableOperation next(stop, ui, "next");
    EXPECT_EQ(next.stopRequested(), c.stopsTheNext);
  }
}

TEST(StopRequest, AnInnerOperationKeepsTheOuterRequestAndGivesItsActivityBack) {
  RecordingUi ui;
  StopRequest stop;
  StoppableOperation outer(stop, ui, "outer");
  stop.request();
  {
    StoppableOperation inner(stop, ui, "inner");
    EXPECT_TRUE(inner.stopRequested());
    EXPECT_EQ(stop.activity(), "inner");
  }
  EXPECT_TRUE(outer.stopRequested());
  EXPECT_EQ(stop.activity(), "outer");
}

// How far a stopped operation got is said once it has ended (the port freed, the window
// idle), and stays for the status bar; an error on the way out is told instead.
TEST(StopRequest, TheOutcomeIsToldAfterTheOperationEnds) {
  RecordingUi ui;
  StopRequest stop;
  {
    StoppableOperation op(stop, ui, "reading");
    op.stopped(StoppedText("прочитано", 30, 250));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(op.wasStopped());
  }
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0], (testing::Box{Ru("Остановлено: прочитано 30 из 250."),
                                       MsgKind::Information, MsgButtons::Ok}));
  EXPECT_EQ(stop.outcome(), ui.boxes[0].text);

  try {
    StoppableOperation op(stop, ui, "reading");
    EXPECT_EQ(stop.outcome(), "") << "a new operation forgets the last one's outcome";
    op.stopped("stopped");
    throw std::runtime_error("link lost");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(ui.boxes.size(), 1u);
}

// An operation of operations holds their boxes to tell them in one of its own; questions
// still reach the user, and what it does not take is shown when it ends.
TEST(StopRequest, HeldBoxesWaitForTheOperationThatHoldsThem) {
  RecordingUi ui;
  ui.answer = MsgResult::Yes;
  AppState app(ui);
  {
    HeldBoxes held(app);
    {
      StoppableOperation op(app.stop(), app.ui(), "reading");
      op.stopped(StoppedText("прочитано", 2, 6));
    }
    app.ui().showStandardError("refused");
    EXPECT_EQ(app.ui().messageBox("go on?", MsgKind::Question, MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(ui.boxes,
              (std::vector<testing::Box>{{"go on?", MsgKind::Question, MsgButtons::YesNo}}));
    EXPECT_EQ(ui.errors, std::vector<std::string>{});
    EXPECT_EQ(held.take(), Ru("Остановлено: прочитано 2 из 6.") + " refused");
    EXPECT_EQ(held.take(), "");
    app.ui().messageBox("later", MsgKind::Warning, MsgButtons::Ok);
    app.ui().showStandardError("lost");
  }
  EXPECT_EQ(&app.ui(), &ui);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1], (testing::Box{"later", MsgKind::Warning, MsgButtons::Ok}));
  EXPECT_EQ(ui.errors, std::vector<std::string>{"lost"});
}

}  // namespace
}  // namespace quorvex
