// The skinned button: presses and clicks reported to the parent, the press
// forgotten when another button is pressed or once the click is reported,
// hover on the virtual clock, skins and caption on screen.
#include <gtest/gtest.h>

#include <vector>

#include "shell/KivDesk_Button.h"
#include "shell/ShellIds.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {
namespace {

constexpr UINT kPageNormal = 136;  // 我的股票, 110 x 40
constexpr UINT kPageActive = 144;
constexpr UINT kCaptionNormal = 253;  // plain chart caption button
constexpr UINT kCaptionActive = 252;
constexpr COLORREF kParentFill = 0x123456;

class KivDeskButtonTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    parent_ = Top("parent", CRect(100, 100, 600, 400));
    parent_->fill = kParentFill;
  }

  CKivDesk_Button& Make(UINT id, UINT normal, UINT active, const char* caption, CPoint at) {
    buttons_.push_back(std::make_unique<ScopedWindow<CKivDesk_Button>>(normal, active, caption));
    CKivDesk_Button& b = *buttons_.back();
    CSize size = SkinSize(normal);
    if (size.cx == 0) size = CSize(40, 20);
    EXPECT_TRUE(b.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(at, size), parent_, id));
    return b;
  }
  CPoint Center(CWnd& w) {
    CRect r;
    w.GetWindowRect(&r);
    return r.CenterPoint();
  }
  std::vector<WPARAM> Selected() {
    std::vector<WPARAM> ids;
    for (const Received& r : Of("parent", WM_KIV_SELECT)) ids.push_back(r.wParam);
    return ids;
  }
  // What the main window does with every press it hears of.
  void RepostPressesToButtons() {
    parent_->hook = [this](UINT msg, WPARAM w, LPARAM l, LRESULT*) {
      if (msg == WM_KIV_BUTTON_DOWN) {
        for (auto& b : buttons_) b->PostMessage(WM_KIV_BUTTON_DOWN, w, l);
      }
      return false;
    };
  }

  TestWnd* parent_ = nullptr;
  std::vector<std::unique_ptr<ScopedWindow<CKivDesk_Button>>> buttons_;
};

TEST_F(KivDeskButtonTest, PressingAnotherButtonForgetsThePressAndOnlyItsClickIsReported) {
  RepostPressesToButtons();
  CKivDesk_Button& a = Make(154, kPageNormal, kPageActive, nullptr, CPoint(0, 0));
  CKivDesk_Button& b = Make(155, kPageNormal, kPageActive, nullptr, CPoint(0, 50));
  Screen().PressButton(Center(a));
  Pump();
  EXPECT_TRUE(a.IsPressed());
  // The press on A ends with the pointer released over B, with B then
  // pressed; the parent re-posts B's press, which clears A's.
  Screen().ReleaseButton(Center(b));
  Pump();
  ASSERT_EQ(Selected(), std::vector<WPARAM>{154});
  Screen().PressButton(Center(b));
  Pump();
  EXPECT_FALSE(a.IsPressed());
  EXPECT_TRUE(b.IsPressed());
  Screen().ReleaseButton(Center(b));
  Pump();
  EXPECT_EQ(Selected(), (std::vector<WPARAM>{154, 155}));
  std::vector<WPARAM> downs;
  for (const Received& r : Of("parent", WM_KIV_BUTTON_DOWN)) {
    downs.push_back(r.wParam);
    EXPECT_EQ(r.lParam, 0);
  }
  EXPECT_EQ(downs, (std::vector<WPARAM>{154, 155}));
  // A press held on A while the parent hears of another press: A forgets
  // it, so its release reports nothing; its own id does not clear it.
  Screen().PressButton(Center(a));
  Pump();
  a.SendMessage(WM_KIV_BUTTON_DOWN, 154, 0);
  EXPECT_TRUE(a.IsPressed());
  parent_->PostMessage(WM_KIV_BUTTON_DOWN, 999, 0);
  Pump();
  EXPECT_FALSE(a.IsPressed());
  Screen().ReleaseButton(Center(a));
  Pump();
  EXPECT_EQ(Selected(), (std::vector<WPARAM>{154, 155}));
}

TEST_F(KivDeskButtonTest, AReleaseAnywhereAfterAPressReportsTheClickOnce) {
  CKivDesk_Button& a = Make(154, kPageNormal, kPageActive, nullptr, CPoint(10, 10));
  Screen().PressButton(Center(a));
  Screen().ReleaseButton(CPoint(580, 380));  // far outside the button
  Pump();
  ASSERT_EQ(Selected(), std::vector<WPARAM>{154});
  EXPECT_EQ(Of("parent", WM_KIV_SELECT)[0].lParam, 0);
  // A later release that no press on this button began reports nothing.
  a.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(Selected().size(), 1u);
}

TEST_F(KivDeskButtonTest, HoverIsActiveUnderThePointerAndNormalAtTheFirstTickOutside) {
  CKivDesk_Button& a = Make(154, kPageNormal, kPageActive, nullptr, CPoint(10, 10));
  CKivDesk_Button& plain = Make(155, kPageNormal, kPageActive, nullptr, CPoint(10, 60));
  a.EnableHover(TRUE);
  Screen().MoveMouse(Center(plain));
  Pump();
  EXPECT_FALSE(plain.IsActive()) << "no hover asked for";
  Screen().MoveMouse(Center(a));
  Pump();
  EXPECT_TRUE(a.IsActive());
  EXPECT_EQ(ClientPixel(a, 2, 20), SkinPixel(kPageActive, 2, 20));
  // Off the button and its parent alike: the button hears nothing of it and
  // learns it from its timer.
  Screen().MoveMouse(CPoint(900, 700));
  clock_.Advance(kButtonHoverMs - 1);
  Pump();
  EXPECT_TRUE(a.IsActive());
  clock_.Advance(1);
  Pump();
  EXPECT_FALSE(a.IsActive());
  EXPECT_EQ(ClientPixel(a, 2, 20), SkinPixel(kPageNormal, 2, 20));
}

TEST_F(KivDeskButtonTest, ShowsTheSkinOfItsStateAtItsTopLeft) {
  CKivDesk_Button& a = Make(154, kPageNormal, kPageActive, nullptr, CPoint(10, 10));
  Pump();
  CSize size = SkinSize(kPageNormal);
  ASSERT_GT(size.cx, 4);
  for (CPoint p : {CPoint(0, 0), CPoint(size.cx / 2, size.cy / 2), CPoint(size.cx - 1, size.cy - 1)}) {
    EXPECT_EQ(ClientPixel(a, p.x, p.y), SkinPixel(kPageNormal, p.x, p.y)) << p.x << "," << p.y;
  }
  a.SetActive(TRUE);
  Pump();
  EXPECT_EQ(ClientPixel(a, size.cx / 2, size.cy / 2), SkinPixel(kPageActive, size.cx / 2, size.cy / 2));
}

TEST_F(KivDeskButtonTest, AMissingSkinPaintsNothingInEitherState) {
  CKivDesk_Button& a = Make(154, kPageNormal, 59999, nullptr, CPoint(10, 10));
  CKivDesk_Button& b = Make(155, 59999, kPageActive, nullptr, CPoint(10, 60));
  Pump();
  EXPECT_EQ(ClientPixel(a, 3, 3), kParentFill);
  EXPECT_EQ(ClientPixel(b, 3, 3), kParentFill);
  a.SetActive(TRUE);
  Pump();
  EXPECT_EQ(ClientPixel(a, 3, 3), kParentFill);
}

TEST_F(KivDeskButtonTest, TheCaptionIsCentredOnACopySoEveryDrawIsTheSame) {
  CKivDesk_Button& a = Make(571, kCaptionNormal, kCaptionActive, "复权", CPoint(10, 10));
  CSize size = SkinSize(kCaptionNormal);
  auto draw = [&](std::vector<COLORREF>* pixels) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap canvas;
    canvas.CreateCompatibleBitmap(&dc, size.cx, size.cy);
    CBitmap* old = dc.SelectObject(&canvas);
    a.DrawButton(&dc);
    for (int y = 0; y < size.cy; ++y) {
      for (int x = 0; x < size.cx; ++x) pixels->push_back(dc.GetPixel(x, y));
    }
    dc.SelectObject(old);
  };
  std::vector<COLORREF> first, second;
  draw(&first);
  draw(&second);
  ASSERT_EQ(first.size(), static_cast<size_t>(size.cx * size.cy));
  EXPECT_TRUE(first == second) << "a caption drawn into the kept skin thickens at every draw";
  // Caption pixels sit in the middle, not at the edges.
  const std::vector<COLORREF> skin = AllSkinPixels(kCaptionNormal);
  ASSERT_EQ(skin.size(), first.size());
  int differing = 0, edge = 0;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      if (first[y * size.cx + x] == skin[y * size.cx + x]) continue;
      ++differing;
      if (x < size.cx / 4 || x >= size.cx * 3 / 4) ++edge;
    }
  }
  EXPECT_GT(differing, 10);
  EXPECT_EQ(edge, 0);
  a.DrawButton(nullptr);  // nothing to draw on: nothing happens
}

}  // namespace
}  // namespace kiv::test
