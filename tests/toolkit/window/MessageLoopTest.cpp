#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "tests/toolkit/window/WindowTesting.h"
#include "toolkit/window/MessageDispatch.h"

namespace {

// Runs a script of steps, one per posted message, inside whatever loop is
// running: each step may start or end loops, and the log tells the story.
constexpr UINT kStep = WM_APP + 1;

class ScriptWindow : public RecordingWindow {
public:
  using RecordingWindow::RecordingWindow;
  bool OnOtherMessage(qvEvent& event) override {
    if (event.message == kStep) {
      const size_t index = static_cast<size_t>(event.wParam);
      if (index < steps.size()) steps[index]();
      return false;
    }
    return RecordingWindow::OnOtherMessage(event);
  }
  void Post(size_t step) { PostMessageA(GetHandle(), kStep, step, 0); }
  std::vector<std::function<void()>> steps;
};

class MessageLoop : public ::testing::Test {
protected:
  void SetUp() override {
    main.Create();
    BringToFront(main.GetHandle());
    EventLog().clear();
  }
  // A modal window of its own, shown.
  ScriptWindow* MakeModal(const char* name) {
    auto* window = new ScriptWindow(name, qvRect(0, 0, 120, 80), nullptr, true);
    window->Create();
    window->Show();
    Pump(20);
    modals.emplace_back(window);
    EventLog().clear();
    return window;
  }
  std::string Enabled() {
    std::string text;
    for (qvWindow* w : std::vector<qvWindow*>{&main, modals.size() > 0 ? modals[0].get() : nullptr,
                                               modals.size() > 1 ? modals[1].get() : nullptr})
      if (w) text += IsWindowEnabled(w->GetHandle()) ? "E" : "-";
    return text;
  }

  ScriptWindow main{"main", qvRect(0, 0, 300, 200), nullptr, true};
  std::vector<std::unique_ptr<ScriptWindow>> modals;
};

TEST_F(MessageLoop, EndMessageLoopWithoutAModalLoopEndsTheMainLoop) {
  main.steps = {[&] {
    EventLog().push_back("ending");
    EndMessageLoop();
  }};
  main.Post(0);
  EXPECT_EQ(RunMessageLoop(), 0);
  ExpectEvents({"ending"});
}

TEST_F(MessageLoop, TheMainLoopReturnsTheQuitCode) {
  main.steps = {[] { PostQuitMessage(7); }};
  main.Post(0);
  EXPECT_EQ(RunMessageLoop(), 7);
}

TEST_F(MessageLoop, InsideAModalLoopEndMessageLoopEndsOnlyThatLoop) {
  ScriptWindow* dialog = MakeModal("dialog");
  main.steps = {
      [&] {
        dialog->Post(0);
        EventLog().push_back("modal starts " + Enabled());
        RunModalLoop(dialog->GetHandle());
        EventLog().push_back("modal ended " + Enabled());
        main.Post(1);
      },
      [&] {
        EventLog().push_back("main still runs");
        EndMessageLoop();
      }};
  dialog->steps = {[&] {
    EventLog().push_back("in modal " + Enabled() + (ModalLoopActive() ? " active" : ""));
    EndMessageLoop();
  }};
  main.Post(0);
  RunMessageLoop();
  ExpectEvents({"modal starts EE", "in modal -E active", "modal ended EE", "main still runs"});
  EXPECT_FALSE(ModalLoopActive());
  EXPECT_EQ(ModalDepth(), 0);
}

TEST_F(MessageLoop, AQuitMessageDuringAModalLoopIsConsumedThere) {
  ScriptWindow* dialog = MakeModal("dialog");
  main.steps = {[&] {
                  dialog->Post(0);
                  EventLog().push_back("modal returned " + std::to_string(RunModalLoop(dialog->GetHandle())));
                  main.Post(1);
                },
                [&] {
                  EventLog().push_back("main still runs");
                  EndMessageLoop();
                }};
  dialog->steps = {[] { PostQuitMessage(3); }};
  main.Post(0);
  RunMessageLoop();
  ExpectEvents({"modal returned 3", "main still runs"});
}

// The loops share one pair of flags: after the inner loop ends, the outer
// one runs with the flag clear, so ending it goes through a quit message.
TEST_F(MessageLoop, NestedModalLoopsRestoreTheOuterStateButShareTheirFlags) {
  ScriptWindow* outer = MakeModal("outer");
  ScriptWindow* inner = nullptr;
  main.steps = {[&] {
                  outer->Post(0);
                  RunModalLoop(outer->GetHandle());
                  EventLog().push_back("outer ended " + Enabled());
                  main.Post(1);
                },
                [&] {
                  EventLog().push_back("main still runs");
                  EndMessageLoop();
                }};
  outer->steps = {[&] {
                    // Made while the outer loop runs, as a dialog opened from
                    // a dialog is.
                    inner = MakeModal("inner");
                    inner->steps = {[&] {
                      EventLog().push_back("in inner " + Enabled());
                      EndMessageLoop();
                    }};
                    inner->Post(0);
                    RunModalLoop(inner->GetHandle());
                    EventLog().push_back("inner ended " + Enabled() + (ModalLoopActive() ? " active" : ""));
                    outer->Post(1);
                  },
                  [&] {
                    EndMessageLoop();  // posts a quit message: the flag is clear
                    EventLog().push_back("asked to end");
                  }};
  main.Post(0);
  RunMessageLoop();
  ExpectEvents({"in inner --E", "inner ended -E-", "asked to end", "outer ended EEE", "main still runs"});
}

TEST_F(MessageLoop, PendingMouseMessagesAreThrownAwayWhenAModalLoopStarts) {
  ScriptWindow* dialog = MakeModal("dialog");
  dialog->logMoves = true;
  main.steps = {[&] {
    PostMessageA(dialog->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    PostMessageA(dialog->GetHandle(), WM_LBUTTONDOWN, 0, MAKELPARAM(2, 2));
    dialog->Post(0);
    RunModalLoop(dialog->GetHandle());
    EndMessageLoop();
  }};
  dialog->steps = {[] {
    EventLog().push_back("step");
    EndMessageLoop();
  }};
  main.Post(0);
  RunMessageLoop();
  ExpectEvents({"step"});
}

TEST_F(MessageLoop, IdlePassesReachTheFocusedSubtreeChildrenFirst) {
  ScriptWindow a("a", qvRect(0, 0, 100, 100), &main);
  ScriptWindow a1("a1", qvRect(0, 0, 10, 10), &a);
  ScriptWindow a2("a2", qvRect(20, 0, 30, 10), &a);
  ScriptWindow b("b", qvRect(120, 0, 200, 100), &main);
  ScriptWindow b1("b1", qvRect(0, 0, 10, 10), &b);
  for (RecordingWindow* w : std::vector<RecordingWindow*>{&a, &a1, &a2, &b, &b1}) w->Create();
  for (RecordingWindow* w : std::vector<RecordingWindow*>{&main, &a, &a1, &a2, &b, &b1}) w->logIdle = true;
  SetFocus(main.GetHandle());
  EventLog().clear();
  RunIdlePass();
  ExpectEvents({"a1 idle", "a2 idle", "a idle", "b1 idle", "b idle", "main idle"});

  SetFocus(b.GetHandle());
  EventLog().clear();
  RunIdlePass();
  ExpectEvents({"b1 idle", "b idle"});
}

TEST_F(MessageLoop, TheMainLoopRunsIdlePassesAfterMessages) {
  main.logIdle = true;
  SetFocus(main.GetHandle());
  main.steps = {[] {
    EventLog().push_back("step");
    EndMessageLoop();
  }};
  main.Post(0);
  RunMessageLoop();
  ASSERT_GE(EventLog().size(), 2u);
  EXPECT_EQ(EventLog().back(), "main idle") << "an idle pass follows the last message";
}

void CALLBACK EndLoopFromTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EndMessageLoop();
}

// Left alone, the main loop sleeps until a message comes; while a window
// asks for idle passes, it runs them about every millisecond.
TEST_F(MessageLoop, IdlePassesBetweenMessagesRunOnlyWhileAsked) {
  main.logIdle = true;
  SetFocus(main.GetHandle());
  auto idlePasses = [] { return std::count(EventLog().begin(), EventLog().end(), "main idle"); };

  EventLog().clear();
  SetTimer(nullptr, 0, 300, EndLoopFromTimer);
  RunMessageLoop();
  const auto alone = idlePasses();
  EXPECT_LE(alone, 5) << "one before waiting, one after each message";

  int asker = 0;
  RequestIdlePasses(&asker);
  RequestIdlePasses(&asker);
  EXPECT_TRUE(IdlePassesRequested());
  EventLog().clear();
  SetTimer(nullptr, 0, 300, EndLoopFromTimer);
  RunMessageLoop();
  CancelIdlePasses(&asker);
  EXPECT_FALSE(IdlePassesRequested()) << "one cancel ends one requester's asking";
  EXPECT_GT(idlePasses(), 30);
}

}  // namespace
