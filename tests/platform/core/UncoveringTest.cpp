// What a window leaves behind when it moves, hides, shrinks, goes away or
// sinks beneath a sibling: the part of each window it covered and no longer
// covers is invalidated, and painted afresh (with WM_ERASEBKGND), so no
// window keeps the pixels of one that stood over it.
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/Rgn.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr COLORREF kUncoverRed = RGB(255, 0, 0);
constexpr COLORREF kUncoverGreen = RGB(0, 255, 0);
constexpr COLORREF kUncoverBlue = RGB(0, 0, 255);
constexpr COLORREF kUncoverWhite = RGB(255, 255, 255);

// What is done to the upper window, which stands over part of the lower one,
// and what shows afterwards where the upper window stood beyond the lower.
struct UncoverAct {
  const char* what;
  std::function<void(HWND high)> act;
  bool upperStillShowsBeyond;
};

const std::vector<UncoverAct>& UncoverActs() {
  static const std::vector<UncoverAct> acts = {
      {"moved with MoveWindow", [](HWND high) { ::MoveWindow(high, 300, 300, 100, 100, TRUE); }, false},
      {"moved with SetWindowPos and no z-order change",
       [](HWND high) { ::SetWindowPos(high, nullptr, 300, 300, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE); },
       false},
      {"hidden", [](HWND high) { ::ShowWindow(high, SW_HIDE); }, false},
      {"resized smaller",
       [](HWND high) { ::SetWindowPos(high, nullptr, 0, 0, 10, 10, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE); },
       false},
      {"cut down by a window region",
       [](HWND high) {
         CRgn corner;
         corner.CreateRectRgn(0, 0, 10, 10);
         ::SetWindowRgn(high, corner, TRUE);
       },
       false},
      {"destroyed", [](HWND high) { ::DestroyWindow(high); }, false},
      {"sent to the bottom",
       [](HWND high) { ::SetWindowPos(high, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); },
       true},
  };
  return acts;
}

class UncoveringTest : public WindowTest {
 protected:
  COLORREF At(int x, int y) { return Screen().ScreenPixel(x, y); }
  CRect UpdateRectOf(CWnd* w) {
    CRect r;
    ::GetUpdateRect(w->m_hWnd, &r, FALSE);
    return r;
  }
};

// Three windows in a parent: the lower child, with a child of its own, is
// shown while the upper one covers part of it, so that part of the picture
// holds the upper child's pixels until the lower one paints it.
TEST_F(UncoveringTest, AChildThatUncoversItsSiblingHasThatPartRepainted) {
  struct Tree {
    const char* what;
    DWORD clip;  // of the parent and of the lower child
  };
  for (Tree tree : {Tree{"plain windows", 0}, Tree{"clipping windows", WS_CLIPCHILDREN}}) {
    for (const UncoverAct& c : UncoverActs()) {
      SCOPED_TRACE(std::string(tree.what) + ", upper child " + c.what);
      ResetWindowSystemForTesting();
      log_.clear();
      windows_.clear();
      TestWnd* top = Top("top", CRect(0, 0, 400, 400), WS_POPUP | WS_VISIBLE | tree.clip);
      top->fill = kUncoverWhite;
      TestWnd* low = Child(top, "low", CRect(10, 10, 110, 110), 0, WS_CHILD | tree.clip);
      low->fill = kUncoverRed;
      TestWnd* inner = Child(low, "inner", CRect(60, 60, 90, 90));  // (70,70)-(100,100) in top
      inner->fill = kUncoverBlue;
      TestWnd* high = Child(top, "high", CRect(60, 60, 160, 160));
      high->fill = kUncoverGreen;
      Pump();
      low->ShowWindow(SW_SHOW);
      Pump();
      ASSERT_EQ(At(80, 80), kUncoverGreen);
      ASSERT_EQ(At(20, 20), kUncoverRed);
      log_.clear();

      c.act(high->m_hWnd);
      // Exactly the part of the lower child the upper one stood over.
      EXPECT_EQ(UpdateRectOf(low), CRect(50, 50, 100, 100));
      Pump();
      EXPECT_EQ(At(75, 65), kUncoverRed);
      EXPECT_EQ(At(80, 80), kUncoverBlue);
      EXPECT_EQ(At(105, 105), kUncoverRed);
      EXPECT_FALSE(Of("low", WM_ERASEBKGND).empty());
      EXPECT_FALSE(Of("inner", WM_PAINT).empty());
      // Beyond the lower child: the parent again, or the upper child still.
      EXPECT_EQ(At(150, 150), c.upperStillShowsBeyond ? kUncoverGreen : kUncoverWhite);
    }
  }
}

// The same between top-level windows: each keeps its own picture, yet the
// one beneath hears of the part it shows again, as programs expect.
TEST_F(UncoveringTest, ATopLevelWindowThatUncoversOneBeneathHasThatPartRepainted) {
  std::vector<UncoverAct> acts = UncoverActs();
  acts.push_back({"minimised", [](HWND high) { ::ShowWindow(high, SW_MINIMIZE); }, false});
  for (const UncoverAct& c : acts) {
    SCOPED_TRACE(std::string("upper window ") + c.what);
    ResetWindowSystemForTesting();
    log_.clear();
    windows_.clear();
    TestWnd* low = Top("low", CRect(10, 10, 110, 110), WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    low->fill = kUncoverRed;
    TestWnd* inner = Child(low, "inner", CRect(60, 60, 90, 90));
    inner->fill = kUncoverBlue;
    TestWnd* high = Top("high", CRect(60, 60, 160, 160));
    high->fill = kUncoverGreen;
    TestWnd* aside = Top("aside", CRect(500, 500, 600, 600));
    Pump();
    ASSERT_EQ(At(80, 80), kUncoverGreen);
    log_.clear();

    c.act(high->m_hWnd);
    EXPECT_EQ(UpdateRectOf(low), CRect(50, 50, 100, 100));
    EXPECT_EQ(UpdateRectOf(aside), CRect());  // it was never under the upper window
    Pump();
    EXPECT_FALSE(Of("low", WM_ERASEBKGND).empty());
    EXPECT_FALSE(Of("inner", WM_PAINT).empty());
    EXPECT_TRUE(Of("aside", WM_PAINT).empty());
    EXPECT_EQ(At(75, 65), kUncoverRed);
    EXPECT_EQ(At(80, 80), kUncoverBlue);
    EXPECT_EQ(At(150, 150), c.upperStillShowsBeyond ? kUncoverGreen : HeadlessDisplay::kDesktopColor);
  }
}

// Raising a window (BringWindowToTop, activation) shows the part that the
// windows it rose above had covered; a window still covered stays valid.
TEST_F(UncoveringTest, ARaisedTopLevelWindowRepaintsThePartThatWasCovered) {
  TestWnd* low = Top("low", CRect(10, 10, 110, 110));
  low->fill = kUncoverRed;
  Top("high", CRect(60, 60, 160, 160))->fill = kUncoverGreen;
  Top("highest", CRect(0, 0, 30, 30))->fill = kUncoverWhite;
  Pump();
  log_.clear();
  ::SetWindowPos(low->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(UpdateRectOf(low), CRect(0, 0, 100, 100));  // both were above it
  Pump();
  EXPECT_EQ(At(80, 80), kUncoverRed);
  EXPECT_EQ(At(15, 15), kUncoverRed);
  log_.clear();
  ::SetWindowPos(low->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(UpdateRectOf(low), CRect());  // already on top: nothing shows anew
}

// A parent that does not clip its children paints over all of them, so all
// of them repaint, also those inside a child that clips its own.
TEST_F(UncoveringTest, AParentPaintingOverItsChildrenHasEveryWindowInsideRepaint) {
  TestWnd* top = Top("top", CRect(0, 0, 200, 200));
  top->fill = kUncoverWhite;
  TestWnd* panel = Child(top, "panel", CRect(10, 10, 110, 110), 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
  panel->fill = kUncoverRed;
  Child(panel, "inner", CRect(10, 10, 40, 40))->fill = kUncoverBlue;
  Pump();
  ASSERT_EQ(At(30, 30), kUncoverBlue);
  log_.clear();
  top->Invalidate();
  Pump();
  EXPECT_EQ(At(30, 30), kUncoverBlue);
  EXPECT_EQ(At(15, 15), kUncoverRed);
  EXPECT_EQ(Who(WM_PAINT), (std::vector<std::string>{"top", "panel", "inner"}));
}

}  // namespace
}  // namespace test
}  // namespace kiv
