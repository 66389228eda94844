// A window's liveness token and the rule "destroy the window before deleting
// its object", on the UI thread: when the token is revoked, what subclassing
// does to it, what a destructor that finds its window alive records, and
// owned payloads queued for a window that is destroyed.
#include <gtest/gtest.h>

#include <memory>

#include "platform/post/WindowRef.h"
#include "platform/sys/Trace.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT WM_TEST_OWNED = WM_USER + 20;

class WindowLivenessTest : public WindowTest {};

// A payload that knows how many of its kind are alive.
struct Counted {
  static int alive;
  Counted() { ++alive; }
  ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST_F(WindowLivenessTest, TheWholeTreeIsRevokedBeforeAnyOfItHearsDestroy) {
  TestWnd* parent = Top("parent", CRect(0, 0, 100, 100));
  TestWnd* child = Child(parent, "child", CRect(0, 0, 10, 10));
  const WindowRef parentRef = WindowRef::Of(parent->m_hWnd);
  const WindowRef childRef = WindowRef::Of(child->m_hWnd);
  EXPECT_TRUE(parentRef.IsAlive());
  EXPECT_TRUE(childRef.IsAlive());
  std::vector<std::string> seen;  // window: alive flags of both at WM_DESTROY
  auto record = [&](const char* who) {
    return [&, who](UINT msg, WPARAM, LPARAM, LRESULT*) {
      if (msg == WM_DESTROY) {
        seen.push_back(std::string(who) + (parentRef.IsAlive() ? " parent alive" : " parent revoked") +
                       (childRef.IsAlive() ? ", child alive" : ", child revoked"));
      }
      return false;
    };
  };
  parent->hook = record("parent");
  child->hook = record("child");
  parent->DestroyWindow();
  EXPECT_EQ(seen, (std::vector<std::string>{"parent parent revoked, child revoked",
                                            "child parent revoked, child revoked"}));
}

TEST_F(WindowLivenessTest, AWindowThatChangesHandsGetsAFreshToken) {
  TestWnd* control = Top("control", CRect(0, 0, 10, 10));
  const WindowRef throughFirst = WindowRef::Of(control->m_hWnd);
  TestWnd second("second", &log_);
  ASSERT_TRUE(second.SubclassWindow(control->m_hWnd));
  EXPECT_FALSE(throughFirst.IsAlive());
  const WindowRef throughSecond = WindowRef::Of(second.m_hWnd);
  EXPECT_TRUE(throughSecond.IsAlive());
  const HWND hwnd = second.UnsubclassWindow();
  EXPECT_FALSE(throughSecond.IsAlive());  // second may be deleted now
  EXPECT_TRUE(WindowRef::Of(hwnd).IsAlive());
  EXPECT_TRUE(IsWindow(hwnd));
  DestroyWindow(hwnd);
}

TEST_F(WindowLivenessTest, DeletingAnObjectWhoseWindowLivesIsRecordedAndStillDestroysIt) {
  const int before = DeletedWithLiveWindowCount();
  std::vector<std::string> trace;
  SetTraceSinkForTesting([&](const std::string& line) { trace.push_back(line); });
  HWND hwnd;
  {
    ToleratedDeletion tolerated;
    TestWnd w("w", &log_);
    ASSERT_TRUE(w.CreateEx(0, "T", "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    hwnd = w.m_hWnd;
  }
  SetTraceSinkForTesting({});
  EXPECT_EQ(DeletedWithLiveWindowCount(), before + 1);
  EXPECT_FALSE(IsWindow(hwnd));
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_NE(trace[0].find("call DestroyWindow before deleting the object"), std::string::npos) << trace[0];
  {
    TestWnd w("w", &log_);
    ASSERT_TRUE(w.CreateEx(0, "T", "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    w.DestroyWindow();
  }
  EXPECT_EQ(DeletedWithLiveWindowCount(), before + 1);  // the rule kept
}

TEST_F(WindowLivenessTest, OwnedPayloadsQueuedForADestroyedWindowAreFreedAndNeverDelivered) {
  TestWnd* w = Top("w", CRect(0, 0, 10, 10));
  TestWnd* stays = Top("stays", CRect(0, 0, 10, 10));
  int delivered = 0;
  stays->hook = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    if (msg == WM_TEST_OWNED) {
      AdoptPosted<Counted[]>(wp);
      ++delivered;
    }
    return false;
  };
  ASSERT_TRUE(PostOwned(w->m_hWnd, WM_TEST_OWNED, std::make_unique<Counted>()));
  ASSERT_TRUE(PostOwned(w->m_hWnd, WM_TEST_OWNED, std::unique_ptr<Counted[]>(new Counted[3]), 3));
  ASSERT_TRUE(PostOwned(stays->m_hWnd, WM_TEST_OWNED, std::unique_ptr<Counted[]>(new Counted[2]), 2));
  EXPECT_EQ(Counted::alive, 6);
  w->DestroyWindow();
  EXPECT_EQ(Counted::alive, 2);
  log_.clear();
  Pump();
  EXPECT_TRUE(Of("w", WM_TEST_OWNED).empty());
  EXPECT_EQ(delivered, 1);
  EXPECT_EQ(Counted::alive, 0);
}

}  // namespace
}  // namespace test
}  // namespace kiv
