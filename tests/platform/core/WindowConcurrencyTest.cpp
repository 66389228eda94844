// The window system seen from other threads: posting, sending, invalidating
// and WM_SETREDRAW from workers, posts racing a destroy, and waking a
// waiting loop.
#include <atomic>
#include <future>
#include <set>
#include <thread>

#include "platform/core/WindowSystem.h"
#include "platform/sys/Thread.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT WM_TEST_DATA = WM_USER + 10;
constexpr UINT WM_TEST_SEND = WM_USER + 11;
constexpr UINT WM_TEST_DESTROY = WM_USER + 12;

class WindowConcurrencyTest : public WindowTest {};

TEST_F(WindowConcurrencyTest, PostsFromManyThreadsAllArriveInEachSendersOrder) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  constexpr int kThreads = 6;
  constexpr int kPosts = 500;
  std::vector<std::vector<int>> got(kThreads);
  int total = 0;
  w->hook = [&](UINT msg, WPARAM wp, LPARAM lp, LRESULT*) {
    if (msg == WM_TEST_DATA) {
      got[wp].push_back(static_cast<int>(lp));
      ++total;
    }
    return false;
  };
  HWND hwnd = w->m_hWnd;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([hwnd, t] {
      for (int i = 0; i < kPosts; ++i) EXPECT_TRUE(PostMessage(hwnd, WM_TEST_DATA, static_cast<WPARAM>(t), i));
    });
  }
  EXPECT_TRUE(PumpUntil([&] { return total == kThreads * kPosts; }));
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(got[t].size(), static_cast<size_t>(kPosts));
    for (int i = 0; i < kPosts; ++i) ASSERT_EQ(got[t][i], i);
  }
}

TEST_F(WindowConcurrencyTest, PostsRacingADestroyEitherArriveOrFailSoTheSenderFreesThePayload) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  std::mutex liveMutex;
  std::set<int*> live;  // payloads nobody has freed yet
  auto release = [&](int* p) {
    std::lock_guard<std::mutex> lock(liveMutex);
    live.erase(p);
    delete p;
  };
  std::atomic<int> delivered{0};
  w->hook = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    if (msg == WM_TEST_DATA) {
      release(reinterpret_cast<int*>(wp));  // the receiver owns a delivered payload
      ++delivered;
    }
    if (msg == WM_TEST_DESTROY) w->DestroyWindow();
    return false;
  };
  HWND hwnd = w->m_hWnd;
  std::atomic<int> failedAfterDeath{0};
  std::atomic<int> posted{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (;;) {
        auto* payload = new int(1);
        {
          std::lock_guard<std::mutex> lock(liveMutex);
          live.insert(payload);
        }
        if (PostMessage(hwnd, WM_TEST_DATA, reinterpret_cast<WPARAM>(payload), 0)) {
          ++posted;
        } else {
          release(payload);
          EXPECT_FALSE(IsWindow(hwnd));
          ++failedAfterDeath;
          return;
        }
      }
    });
  }
  // The destroy request sits behind a known number of posts; the loop
  // reaches it, and every post after it fails.
  for (int i = 0; i < 100000 && posted < 2000; ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
  PostMessage(hwnd, WM_TEST_DESTROY, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
  for (auto& th : threads) th.join();
  EXPECT_EQ(failedAfterDeath.load(), 4);
  EXPECT_GE(delivered.load(), 2000);
  EXPECT_FALSE(PostMessage(hwnd, WM_TEST_DATA, 0, 0));
  // What was still queued when the window died is dropped by the loop,
  // payload and all, as on Windows; free it here.
  Pump();
  for (int* p : live) delete p;
}

TEST_F(WindowConcurrencyTest, CrossThreadSendRunsOnTheUiThreadAndReturnsTheResult) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  DWORD uiThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  w->hook = [&](UINT msg, WPARAM wp, LPARAM, LRESULT* r) {
    if (msg != WM_TEST_SEND) return false;
    ranOn = GetCurrentThreadId();
    EXPECT_TRUE(InSendMessage());
    *r = static_cast<LRESULT>(wp + 1);
    return true;
  };
  HWND hwnd = w->m_hWnd;
  auto result = std::async(std::launch::async, [hwnd] { return SendMessage(hwnd, WM_TEST_SEND, 41, 0); });
  EXPECT_TRUE(PumpUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_EQ(result.get(), 42);
  EXPECT_EQ(ranOn, uiThread);
}

TEST_F(WindowConcurrencyTest, SendToAWindowDestroyedWhileWaitingReturnsAtOnce) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  TestWnd* other = Top("other", CRect(0, 0, 10, 10));
  bool handled = false;
  std::atomic<bool> busy{false};
  w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_TEST_SEND) handled = true;
    return false;
  };
  other->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg != WM_TEST_DESTROY) return false;
    // Busy in a handler until the send is waiting, then destroy its target.
    busy = true;
    auto q = win::UiQueue();
    for (int i = 0; i < 10000; ++i) {
      {
        std::lock_guard<std::mutex> lock(q->mutex);
        if (!q->sent.empty()) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    w->DestroyWindow();
    return true;
  };
  HWND hwnd = w->m_hWnd;
  other->PostMessage(WM_TEST_DESTROY);
  auto result = std::async(std::launch::async, [hwnd, &busy] {
    for (int i = 0; i < 10000 && !busy; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return SendMessage(hwnd, WM_TEST_SEND, 0, 0);
  });
  EXPECT_TRUE(PumpUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
  EXPECT_EQ(result.get(), 0);
  EXPECT_FALSE(handled);
}

TEST_F(WindowConcurrencyTest, CrossThreadSetRedrawOnlySetsTheFlagWithoutWaiting) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  Pump();
  log_.clear();
  HWND hwnd = w->m_hWnd;
  // The UI thread is not pumping: a send that waited would never return.
  auto off = std::async(std::launch::async, [hwnd] { return SendMessage(hwnd, WM_SETREDRAW, FALSE, 0); });
  ASSERT_EQ(off.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(Of("w", WM_SETREDRAW).empty());  // the window procedure never saw it
  w->Invalidate();
  Pump();
  EXPECT_TRUE(Of("w", WM_PAINT).empty());
  auto on = std::async(std::launch::async, [hwnd] { return SendMessage(hwnd, WM_SETREDRAW, TRUE, 0); });
  ASSERT_EQ(on.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  Pump();
  EXPECT_EQ(Of("w", WM_PAINT).size(), 1u);
}

TEST_F(WindowConcurrencyTest, InvalidationsFromWorkersCoalesceIntoOnePaint) {
  TestWnd* w = Top("w", CRect(0, 0, 200, 200));
  Pump();
  log_.clear();
  CRect painted;
  w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(w->m_hWnd, &ps);
    painted = ps.rcPaint;
    EndPaint(w->m_hWnd, &ps);
    return true;
  };
  HWND hwnd = w->m_hWnd;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([hwnd, t] {
      for (int i = 0; i < 100; ++i) {
        CRect r(t * 10, t * 10, t * 10 + 5, t * 10 + 5);
        InvalidateRect(hwnd, &r, FALSE);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_TRUE(PumpUntil([&] { return !Of("w", WM_PAINT).empty(); }));
  Pump();
  EXPECT_EQ(Of("w", WM_PAINT).size(), 1u);
  EXPECT_EQ(painted, CRect(0, 0, 35, 35));
}

TEST_F(WindowConcurrencyTest, AWaitingLoopWakesForAPostFromAnotherThread) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->hook = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    if (msg == WM_TEST_DATA) PostQuitMessage(static_cast<int>(wp));
    return false;
  };
  HWND hwnd = w->m_hWnd;
  std::thread poster([hwnd] { PostMessage(hwnd, WM_TEST_DATA, 17, 0); });
  EXPECT_EQ(RunMessageLoop(), 17);
  poster.join();
}

TEST_F(WindowConcurrencyTest, AWaitingLoopWakesForATimerWhenTheVirtualClockAdvances) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  w->SetTimer(3, 1000);
  w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_TIMER) PostQuitMessage(9);
    return false;
  };
  std::thread advancer([&] { clock_.Advance(1000); });
  EXPECT_EQ(RunMessageLoop(), 9);
  advancer.join();
}

TEST_F(WindowConcurrencyTest, PostThreadMessageReachesAWorkersOwnQueue) {
  std::promise<DWORD> id;
  std::atomic<int> got{0};
  std::thread worker([&] {
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    id.set_value(GetCurrentThreadId());
    while (GetMessage(&msg, nullptr, 0, 0)) {
      if (msg.message == WM_TEST_DATA) got = static_cast<int>(msg.wParam);
    }
  });
  DWORD tid = id.get_future().get();
  EXPECT_TRUE(PostThreadMessage(tid, WM_TEST_DATA, 5, 0));
  EXPECT_TRUE(PostThreadMessage(tid, WM_QUIT, 0, 0));
  worker.join();
  EXPECT_EQ(got.load(), 5);
}

TEST_F(WindowConcurrencyTest, AWorkerHasAModalLoopRunOnTheUiThreadAndWaitsForItsAnswer) {
  TestWnd* main = Top("main", CRect(0, 0, 100, 100));
  DWORD uiThread = GetCurrentThreadId();
  std::atomic<bool> answered{false};
  auto worker = std::async(std::launch::async, [&] {
    LRESULT answer = CallOnUiThread([&]() -> LRESULT {
      EXPECT_EQ(GetCurrentThreadId(), uiThread);
      // A stand-in for a message box: a modal window that ends itself.
      TestWnd box("box", nullptr);
      box.CreateEx(0, "Box", "box", WS_POPUP | WS_VISIBLE, CRect(10, 10, 50, 50), main, 0);
      box.hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg == WM_USER) EndDialog(box.m_hWnd, 6);  // IDYES
        return false;
      };
      box.PostMessage(WM_USER);
      const INT_PTR answer = RunModalLoop(box.m_hWnd);
      box.DestroyWindow();  // as a message box goes when it is answered
      return answer;
    });
    answered = true;
    return answer;
  });
  EXPECT_TRUE(PumpUntil([&] { return answered.load(); }));
  EXPECT_EQ(worker.get(), 6);
}

}  // namespace
}  // namespace test
}  // namespace kiv
