// Callbacks on other threads that report to a window hold its liveness
// reference. A window class declares no lifeline of its own, so the order of
// its members cannot matter: DestroyWindow stops the callbacks while every
// member is still there, waits for one that is running, and drops every
// later one. The sanitizers catch a callback that touches a deleted window.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/post/WindowRef.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/HeldCallback.h"

namespace kiv {
namespace test {
namespace {

// What callbacks read sits first and last in the window class.
class PaneDataFirstAndLast : public CWnd {
 public:
  std::vector<int> first = std::vector<int>(64, 0);
  std::string label = "pane";
  std::vector<int> last = std::vector<int>(64, 0);
  void Touch() {
    for (int& v : first) ++v;
    for (int& v : last) ++v;
  }
};

// What callbacks read sits in a base class between CWnd and the window
// class, and in the window class itself.
class PaneBase : public CWnd {
 public:
  std::vector<int> first = std::vector<int>(64, 0);
};
class PaneDataInBase : public PaneBase {
 public:
  std::vector<int> last = std::vector<int>(64, 0);
  void Touch() {
    for (int& v : first) ++v;
    for (int& v : last) ++v;
  }
};

template <class Pane>
class DerivedWindowLivenessTest : public WindowTest {};
using PaneKinds = ::testing::Types<PaneDataFirstAndLast, PaneDataInBase>;
TYPED_TEST_SUITE(DerivedWindowLivenessTest, PaneKinds);

TYPED_TEST(DerivedWindowLivenessTest, CallbacksStopBeforeTheObjectGoesWhateverTheOrderOfItsMembers) {
  const int brokenRules = DeletedWithLiveWindowCount();
  for (int round = 0; round < 20; ++round) {
    auto pane = std::make_unique<TypeParam>();
    ASSERT_TRUE(pane->CreateEx(0, "Pane", "pane", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    TypeParam* raw = pane.get();
    const WindowRef ref = WindowRef::Of(pane->m_hWnd);
    std::atomic<bool> started{false};
    std::atomic<bool> destroyed{false};
    std::atomic<int> afterDestroy{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
      workers.emplace_back([&, raw, ref] {
        for (int i = 0; i < 1000; ++i) {
          ref.RunIfAlive([&] {
            started = true;
            if (destroyed.load()) ++afterDestroy;
            raw->Touch();  // a deleted pane would be caught by the sanitizers
          });
        }
      });
    }
    while (!started.load()) std::this_thread::yield();
    pane->DestroyWindow();
    destroyed = true;
    pane.reset();
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(afterDestroy.load(), 0);
    EXPECT_FALSE(ref.IsAlive());
  }
  EXPECT_EQ(DeletedWithLiveWindowCount(), brokenRules);
}

class WindowLivenessConcurrencyTest : public WindowTest {};

TEST_F(WindowLivenessConcurrencyTest, DestroyWaitsForACallbackBlockedOnAnotherThreadBeforeDestroyIsHandled) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  const WindowRef ref = WindowRef::Of(w->m_hWnd);
  bool finishedAtDestroy = false;
  {
    test::HeldCallback held(ref);
    w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
      if (msg == WM_DESTROY) finishedAtDestroy = held.Finished();
      return false;
    };
    held.ReleaseSoon();
    w->DestroyWindow();
  }
  EXPECT_TRUE(finishedAtDestroy);
  // Late callbacks from any thread run nothing.
  std::thread late([&] {
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(ref.RunIfAlive([] { ADD_FAILURE() << "ran after destroy"; }));
  });
  late.join();
}

}  // namespace
}  // namespace test
}  // namespace kiv
