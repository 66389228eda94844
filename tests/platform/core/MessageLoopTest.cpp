// Posting and sending, timers on the virtual clock, nested modal loops and
// the PreTranslateMessage chain.
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT WM_TEST_A = WM_USER + 1;
constexpr UINT WM_TEST_B = WM_USER + 2;
constexpr UINT WM_TEST_PROGRAM = 0xFEC;  // a program message keeps its number

class MessageLoopTest : public WindowTest {};

TEST_F(MessageLoopTest, PostedMessagesArriveInOrderThroughOnMessage) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  std::vector<std::pair<UINT, WPARAM>> got;
  w->hook = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    if (msg >= WM_USER) got.push_back({msg, wp});
    return false;
  };
  EXPECT_TRUE(w->PostMessage(WM_TEST_A, 1));
  EXPECT_TRUE(w->PostMessage(WM_TEST_PROGRAM, 2));
  EXPECT_TRUE(w->PostMessage(WM_TEST_B, 3));
  EXPECT_TRUE(got.empty());  // nothing runs until the loop takes them
  Pump();
  EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{{WM_TEST_A, 1}, {WM_TEST_PROGRAM, 2}, {WM_TEST_B, 3}}));
}

class OnMessageWnd : public CWnd {
 public:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_TEST_PROGRAM) return static_cast<LRESULT>(wParam * 2);
    return CWnd::OnMessage(msg, wParam, lParam);
  }
};

TEST_F(MessageLoopTest, SendOnTheOwningThreadCallsTheHandlerDirectly) {
  ScopedWindow<OnMessageWnd> w;
  ASSERT_TRUE(w.CreateEx(0, "x", "x", WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
  EXPECT_EQ(w.SendMessage(WM_TEST_PROGRAM, 21), 42);
}

TEST_F(MessageLoopTest, PostToNullWindowGoesToTheThreadQueue) {
  EXPECT_TRUE(PostMessage(nullptr, WM_TEST_A, 5, 6));
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, WM_TEST_A);
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(MessageLoopTest, MessagesPostedToAWindowDestroyedBeforeDispatchAreDropped) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->PostMessage(WM_TEST_A);
  w->DestroyWindow();
  log_.clear();
  Pump();
  EXPECT_TRUE(log_.empty());
}

TEST_F(MessageLoopTest, TimerFiresOnTheVirtualClockOncePerDueTime) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->SetTimer(7, 100);
  Pump();
  EXPECT_TRUE(Of("w", WM_TIMER).empty());
  clock_.Advance(99);
  Pump();
  EXPECT_TRUE(Of("w", WM_TIMER).empty());
  clock_.Advance(1);
  Pump();
  ASSERT_EQ(Of("w", WM_TIMER).size(), 1u);
  EXPECT_EQ(Of("w", WM_TIMER)[0].wParam, 7u);
  // A loop that was busy for ten periods gets one WM_TIMER, not ten.
  clock_.Advance(1000);
  Pump();
  EXPECT_EQ(Of("w", WM_TIMER).size(), 2u);
}

TEST_F(MessageLoopTest, SettingAnExistingTimerReplacesItAndKillStopsIt) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->SetTimer(1, 100);
  clock_.Advance(60);
  w->SetTimer(1, 100);  // restarts the period
  clock_.Advance(60);
  Pump();
  EXPECT_TRUE(Of("w", WM_TIMER).empty());
  clock_.Advance(40);
  Pump();
  EXPECT_EQ(Of("w", WM_TIMER).size(), 1u);
  EXPECT_TRUE(w->KillTimer(1));
  EXPECT_FALSE(w->KillTimer(1));
  clock_.Advance(500);
  Pump();
  EXPECT_EQ(Of("w", WM_TIMER).size(), 1u);
}

TEST_F(MessageLoopTest, TimersOfDifferentWindowsAndIdsAreIndependent) {
  TestWnd* a = Top("a", CRect(0, 0, 10, 10));
  TestWnd* b = Top("b", CRect(0, 0, 10, 10));
  a->SetTimer(1, 50);
  a->SetTimer(2, 200);
  b->SetTimer(1, 100);
  for (int i = 0; i < 4; ++i) {
    clock_.Advance(50);
    Pump();
  }
  int a1 = 0, a2 = 0;
  for (auto& r : Of("a", WM_TIMER)) (r.wParam == 1 ? a1 : a2)++;
  EXPECT_EQ(a1, 4);
  EXPECT_EQ(a2, 1);
  EXPECT_EQ(Of("b", WM_TIMER).size(), 2u);
}

TEST_F(MessageLoopTest, DestroyingAWindowKillsItsTimers) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->SetTimer(1, 50);
  w->DestroyWindow();
  log_.clear();
  clock_.Advance(100);
  Pump();
  EXPECT_TRUE(log_.empty());
}

TEST_F(MessageLoopTest, ModalLoopsNestAndEndDialogEndsTheInnermostMatchingOne) {
  TestWnd* outer = Top("outer", CRect(0, 0, 10, 10));
  TestWnd* inner = Top("inner", CRect(0, 0, 10, 10));
  std::vector<std::string> events;
  INT_PTR innerResult = 0;
  outer->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_TEST_A) {
      events.push_back("inner loop starts");
      inner->PostMessage(WM_TEST_B);
      innerResult = RunModalLoop(inner->m_hWnd);
      events.push_back("inner loop ended");
    }
    return false;
  };
  inner->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_TEST_B) {
      // Ending the outer dialog first must not end the inner loop.
      EndDialog(outer->m_hWnd, 1);
      inner->SetTimer(1, 10);
      clock_.Advance(10);
    }
    if (msg == WM_TIMER) {
      events.push_back("timer in inner loop");
      inner->KillTimer(1);
      EndDialog(inner->m_hWnd, 2);
    }
    return false;
  };
  outer->PostMessage(WM_TEST_A);
  INT_PTR outerResult = RunModalLoop(outer->m_hWnd);
  EXPECT_EQ(innerResult, 2);
  EXPECT_EQ(outerResult, 1);
  EXPECT_EQ(events, (std::vector<std::string>{"inner loop starts", "timer in inner loop", "inner loop ended"}));
}

TEST_F(MessageLoopTest, EndDialogBeforeTheLoopStartsEndsItAtOnce) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  EndDialog(w->m_hWnd, 5);
  EXPECT_EQ(RunModalLoop(w->m_hWnd), 5);
}

TEST_F(MessageLoopTest, QuitInsideAModalLoopEndsItAndReachesTheOuterLoop) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  PostQuitMessage(3);
  EXPECT_EQ(RunModalLoop(w->m_hWnd), -1);
  EXPECT_EQ(RunMessageLoop(), 3);
}

TEST_F(MessageLoopTest, DestroyingTheModalWindowEndsItsLoop) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_TEST_A) w->DestroyWindow();
    return false;
  };
  w->PostMessage(WM_TEST_A);
  EXPECT_EQ(RunModalLoop(w->m_hWnd), -1);
}

TEST_F(MessageLoopTest, PreTranslateRunsFromTargetUpThroughParentsAndCanConsume) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* mid = Child(top, "mid", CRect(0, 0, 50, 50));
  TestWnd* leaf = Child(mid, "leaf", CRect(0, 0, 10, 10));
  std::vector<std::string> order;
  leaf->preTranslate = [&](MSG*) { order.push_back("leaf"); return FALSE; };
  mid->preTranslate = [&](MSG* m) {
    order.push_back("mid");
    return m->message == WM_TEST_B ? TRUE : FALSE;
  };
  top->preTranslate = [&](MSG*) { order.push_back("top"); return FALSE; };
  Pump();  // the first paints
  order.clear();
  leaf->PostMessage(WM_TEST_A);
  leaf->PostMessage(WM_TEST_B);
  Pump();
  EXPECT_EQ(order, (std::vector<std::string>{"leaf", "mid", "top", "leaf", "mid"}));
  EXPECT_EQ(Of("leaf", WM_TEST_A).size(), 1u);
  EXPECT_TRUE(Of("leaf", WM_TEST_B).empty());  // consumed by mid
}

TEST_F(MessageLoopTest, PreTranslateAlsoRunsInsideNestedModalLoops) {
  TestWnd* dlg = Top("dlg", CRect(0, 0, 10, 10));
  int seen = 0;
  dlg->preTranslate = [&](MSG* m) {
    if (m->message == WM_TEST_A) {
      ++seen;
      EndDialog(dlg->m_hWnd, 0);
      return TRUE;
    }
    return FALSE;
  };
  dlg->PostMessage(WM_TEST_A);
  RunModalLoop(dlg->m_hWnd);
  EXPECT_EQ(seen, 1);
}

TEST_F(MessageLoopTest, ThreadTimersWithCallbacksRunWithoutAWindow) {
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  clock_.Advance(30);
  Pump();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(KillTimer(nullptr, id));
}

}  // namespace
}  // namespace test
}  // namespace kiv
