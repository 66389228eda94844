// Invalidation, the order of WM_PAINT, and what the composed screen shows:
// z-order of top-level windows and of children, regions, layered alpha and
// PNG snapshots.
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/Rgn.h"
#include "platform/gdi/Surface.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class PaintingTest : public WindowTest {
 protected:
  COLORREF At(int x, int y) { return Screen().ScreenPixel(x, y); }
};

TEST_F(PaintingTest, ParentsPaintBeforeChildrenAndChildrenBottomToTop) {
  TestWnd* top = Top("top", CRect(0, 0, 200, 200));
  TestWnd* a = Child(top, "a", CRect(0, 0, 100, 100));
  Child(a, "a1", CRect(0, 0, 50, 50));
  Child(top, "b", CRect(50, 50, 150, 150));
  Pump();
  EXPECT_EQ(Who(WM_PAINT), (std::vector<std::string>{"top", "a", "a1", "b"}));
}

TEST_F(PaintingTest, InvalidationsAreCoalescedIntoOnePaintPerWindow) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  Pump();
  log_.clear();
  CRect r1(0, 0, 10, 10), r2(50, 50, 60, 60);
  w->InvalidateRect(&r1);
  w->InvalidateRect(&r2);
  w->Invalidate();
  Pump();
  EXPECT_EQ(Who(WM_PAINT).size(), 1u);
}

TEST_F(PaintingTest, PaintWaitsUntilPostedMessagesAreHandled) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  Pump();
  log_.clear();
  w->Invalidate();
  w->PostMessage(WM_USER + 5);
  Pump();
  std::vector<UINT> order;
  for (auto& r : log_) {
    if (r.msg == WM_PAINT || r.msg == WM_USER + 5) order.push_back(r.msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 5, WM_PAINT}));
}

TEST_F(PaintingTest, PaintDrawsIntoTheScreenAtTheWindowsPlace) {
  TestWnd* w = Top("w", CRect(100, 50, 200, 150));
  w->fill = kRed;
  Pump();
  EXPECT_EQ(At(100, 50), kRed);
  EXPECT_EQ(At(199, 149), kRed);
  EXPECT_EQ(At(200, 150), HeadlessDisplay::kDesktopColor);
  EXPECT_EQ(At(99, 50), HeadlessDisplay::kDesktopColor);
  EXPECT_EQ(At(10, 760), HeadlessDisplay::kTaskBarColor);
}

TEST_F(PaintingTest, TopLevelWindowsComposeInZOrder) {
  TestWnd* a = Top("a", CRect(0, 0, 100, 100));
  TestWnd* b = Top("b", CRect(50, 50, 150, 150));
  a->fill = kRed;
  b->fill = kGreen;
  Pump();
  EXPECT_EQ(At(75, 75), kGreen);  // b was created last: on top
  EXPECT_EQ(At(25, 25), kRed);
  a->BringWindowToTop();
  Pump();
  EXPECT_EQ(At(75, 75), kRed);
  EXPECT_EQ(At(125, 125), kGreen);
  a->ShowWindow(SW_HIDE);
  EXPECT_EQ(At(75, 75), kGreen);
  EXPECT_EQ(At(25, 25), HeadlessDisplay::kDesktopColor);
}

TEST_F(PaintingTest, OverlappingChildrenShowTheUpperOneEvenWhenTheLowerRepaints) {
  TestWnd* top = Top("top", CRect(0, 0, 200, 200));
  top->fill = kWhite;
  TestWnd* low = Child(top, "low", CRect(10, 10, 110, 110));
  TestWnd* high = Child(top, "high", CRect(60, 60, 160, 160));
  low->fill = kRed;
  high->fill = kGreen;
  Pump();
  EXPECT_EQ(At(80, 80), kGreen);
  EXPECT_EQ(At(20, 20), kRed);
  EXPECT_EQ(At(5, 5), kWhite);
  low->Invalidate();
  Pump();
  EXPECT_EQ(At(80, 80), kGreen);
  EXPECT_EQ(Who(WM_PAINT).back(), "low");
}

TEST_F(PaintingTest, MovingAChildUncoversTheParentWhichRepaints) {
  TestWnd* top = Top("top", CRect(0, 0, 200, 200));
  top->fill = kWhite;
  TestWnd* c = Child(top, "c", CRect(0, 0, 50, 50));
  c->fill = kBlue;
  Pump();
  EXPECT_EQ(At(10, 10), kBlue);
  c->MoveWindow(100, 100, 50, 50);
  Pump();
  EXPECT_EQ(At(10, 10), kWhite);
  EXPECT_EQ(At(110, 110), kBlue);
}

TEST_F(PaintingTest, ParentRepaintRepaintsChildrenUnlessItClipsThem) {
  struct Case {
    DWORD parentStyle;
    bool childRepaints;
  };
  for (Case c : {Case{WS_POPUP | WS_VISIBLE, true}, Case{WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, false}}) {
    ResetWindowSystemForTesting();
    log_.clear();
    TestWnd* top = Top("top", CRect(0, 0, 200, 200), c.parentStyle);
    top->fill = kWhite;
    TestWnd* child = Child(top, "child", CRect(10, 10, 60, 60));
    child->fill = kRed;
    Pump();
    log_.clear();
    top->Invalidate();
    Pump();
    EXPECT_EQ(Of("child", WM_PAINT).size(), c.childRepaints ? 1u : 0u);
    EXPECT_EQ(At(20, 20), kRed);  // either way the child stays visible
  }
}

// Whenever a window comes to a place where its pixels are not (shown, moved
// or resized as a child, given to another parent), it repaints with every
// child inside it, also under a clipping parent, whose own invalidations
// leave the children out.
TEST_F(PaintingTest, AClippingWindowThatAppearsOrMovesRepaintsEveryChildInside) {
  struct Case {
    const char* what;
    bool topShownFirst;  // else it is shown by act, after its children were made
    std::function<void(TestWnd* top, TestWnd* other, TestWnd* panel)> act;
    CPoint grandchildOnScreen;
  };
  const std::vector<Case> cases = {
      {"top shown after its children were made", false,
       [](TestWnd* top, TestWnd*, TestWnd*) { top->ShowWindow(SW_SHOW); }, CPoint(25, 25)},
      {"panel moved", true, [](TestWnd*, TestWnd*, TestWnd* panel) { panel->MoveWindow(60, 60, 80, 80); },
       CPoint(75, 75)},
      {"panel given to another top", true, [](TestWnd*, TestWnd* other, TestWnd* panel) { panel->SetParent(other); },
       CPoint(325, 25)},
  };
  for (const Case& c : cases) {
    ResetWindowSystemForTesting();
    windows_.clear();
    TestWnd* top = Top("top", CRect(0, 0, 200, 200), WS_POPUP | WS_CLIPCHILDREN | (c.topShownFirst ? WS_VISIBLE : 0));
    top->fill = kWhite;
    TestWnd* other = Top("other", CRect(300, 0, 500, 200), WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    other->fill = kGreen;
    TestWnd* panel = Child(top, "panel", CRect(10, 10, 90, 90), 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
    panel->fill = kRed;
    TestWnd* grandchild = Child(panel, "grandchild", CRect(10, 10, 30, 30));
    grandchild->fill = kBlue;
    Pump();
    c.act(top, other, panel);
    Pump();
    EXPECT_EQ(At(c.grandchildOnScreen.x, c.grandchildOnScreen.y), kBlue) << c.what;
  }
}

TEST_F(PaintingTest, SetRedrawFalseHoldsPaintingUntilItIsTurnedBackOn) {
  TestWnd* w = Top("w", CRect(0, 0, 50, 50));
  Pump();
  log_.clear();
  w->SetRedraw(FALSE);
  w->Invalidate();
  Pump();
  EXPECT_TRUE(Who(WM_PAINT).empty());
  w->SetRedraw(TRUE);
  Pump();
  EXPECT_EQ(Who(WM_PAINT).size(), 1u);
}

TEST_F(PaintingTest, HiddenWindowsAreNotPaintedAndPaintWhenShown) {
  TestWnd* w = Top("w", CRect(0, 0, 50, 50), WS_POPUP);
  w->fill = kRed;
  w->Invalidate();
  Pump();
  EXPECT_TRUE(Who(WM_PAINT).empty());
  w->ShowWindow(SW_SHOW);
  Pump();
  EXPECT_EQ(Who(WM_PAINT).size(), 1u);
  EXPECT_EQ(At(10, 10), kRed);
}

TEST_F(PaintingTest, UpdateWindowPaintsAtOnceAndBeginPaintReportsTheInvalidArea) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  Pump();
  CRect seen;
  w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(w->m_hWnd, &ps);
    seen = ps.rcPaint;
    EndPaint(w->m_hWnd, &ps);
    return true;
  };
  CRect r(10, 20, 30, 40);
  w->InvalidateRect(&r);
  w->UpdateWindow();
  EXPECT_EQ(seen, r);
  log_.clear();
  Pump();
  EXPECT_TRUE(Who(WM_PAINT).empty());
}

TEST_F(PaintingTest, EraseBackgroundComesWithBeginPaintWhenAsked) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  Pump();
  log_.clear();
  w->Invalidate(FALSE);
  Pump();
  EXPECT_TRUE(Who(WM_ERASEBKGND).empty());
  w->Invalidate(TRUE);
  Pump();
  EXPECT_EQ(Who(WM_ERASEBKGND).size(), 1u);
}

TEST_F(PaintingTest, ClientDcDrawsOutsidePaintClippedToTheChild) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  top->fill = kWhite;
  TestWnd* c = Child(top, "c", CRect(10, 10, 30, 30));
  Pump();
  {
    CClientDC dc(c);
    dc.FillSolidRect(-10, -10, 100, 100, kBlue);
  }
  EXPECT_EQ(At(15, 15), kBlue);
  EXPECT_EQ(At(35, 35), kWhite);
}

TEST_F(PaintingTest, WindowRegionCutsTheWindowOnScreen) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->fill = kRed;
  CRgn rgn;
  rgn.CreateRectRgn(0, 0, 50, 100);
  w->SetWindowRgn(rgn, TRUE);
  Pump();
  EXPECT_EQ(At(25, 50), kRed);
  EXPECT_EQ(At(75, 50), HeadlessDisplay::kDesktopColor);
}

TEST_F(PaintingTest, LayeredAlphaBlendsWithWhatIsBeneath) {
  TestWnd* under = Top("under", CRect(0, 0, 100, 100));
  under->fill = RGB(0, 0, 0);
  TestWnd* over = Top("over", CRect(0, 0, 100, 100), WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  over->fill = kWhite;
  ASSERT_TRUE(over->SetLayeredWindowAttributes(0, 128, LWA_ALPHA));
  Pump();
  COLORREF c = At(50, 50);
  EXPECT_NEAR(GetRValue(c), 128, 2);
  EXPECT_NEAR(GetGValue(c), 128, 2);
  // Without WS_EX_LAYERED the call is refused and the window stays opaque.
  EXPECT_FALSE(under->SetLayeredWindowAttributes(0, 10, LWA_ALPHA));
}

TEST_F(PaintingTest, ColorKeyMakesThosePixelsTransparent) {
  TestWnd* under = Top("under", CRect(0, 0, 100, 100));
  under->fill = kBlue;
  TestWnd* over = Top("over", CRect(0, 0, 100, 100), WS_POPUP | WS_VISIBLE, WS_EX_LAYERED);
  over->fill = kGreen;
  ASSERT_TRUE(over->SetLayeredWindowAttributes(kGreen, 255, LWA_COLORKEY));
  Pump();
  EXPECT_EQ(At(50, 50), kBlue);
}

TEST_F(PaintingTest, SnapshotsWriteThePixelsAsPng) {
  TestWnd* top = Top("top", CRect(10, 10, 110, 60));
  top->fill = kRed;
  TestWnd* c = Child(top, "c", CRect(20, 10, 40, 30));
  c->fill = kGreen;
  Pump();
  const char* dir = std::getenv("KIV_TEST_TMP");
  std::filesystem::create_directories(dir ? dir : "/tmp");
  std::string base = std::string(dir ? dir : "/tmp") + "/painting-test";
  std::string screenPng = base + "-screen.png";
  std::string childPng = base + "-child.png";
  ASSERT_TRUE(Screen().SaveScreenPng(screenPng));
  ASSERT_TRUE(Screen().SaveWindowPng(c->m_hWnd, childPng));
  auto pixel = [](cairo_surface_t* s, int x, int y) {
    const uint8_t* p = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4;
    return RGB(p[2], p[1], p[0]);
  };
  cairo_surface_t* screen = cairo_image_surface_create_from_png(screenPng.c_str());
  ASSERT_EQ(cairo_surface_status(screen), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(screen), 1366);
  EXPECT_EQ(pixel(screen, 15, 15), kRed);
  EXPECT_EQ(pixel(screen, 35, 25), kGreen);
  cairo_surface_destroy(screen);
  cairo_surface_t* child = cairo_image_surface_create_from_png(childPng.c_str());
  ASSERT_EQ(cairo_surface_status(child), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(child), 20);
  EXPECT_EQ(pixel(child, 0, 0), kGreen);
  cairo_surface_destroy(child);
  std::remove(screenPng.c_str());
  std::remove(childPng.c_str());
}

}  // namespace
}  // namespace test
}  // namespace kiv
