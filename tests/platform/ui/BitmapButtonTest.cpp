// The bitmap button: loads its bitmaps from the installed resources, sizes
// itself to the up bitmap, and shows the bitmap of its state when its
// parent leaves the drawing to it. Also the classic system colours that
// controls start from.
#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/DC.h"
#include "platform/ui/BitmapButton.h"
#include "res/ResourceTables.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/CaseName.h"
#include "tests/support/SkinPixels.h"

namespace kiv::test {
namespace {

constexpr UINT kButtonUpSkin = 136;        // 110 x 40
constexpr UINT kButtonDownSkin = 144;      // the same size, another picture
constexpr UINT kButtonFocusSkin = 319;
constexpr UINT kButtonDisabledSkin = 238;

class BitmapButtonTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    parent_ = Top("parent", CRect(50, 50, 400, 300));
    parent_->fill = 0x202020;
  }
  COLORREF ButtonPixel(CWnd& button, int x, int y) {
    CPoint p(x, y);
    button.ClientToScreen(&p);
    return Screen().ScreenPixel(p.x, p.y);
  }
  TestWnd* parent_ = nullptr;
};

TEST_F(BitmapButtonTest, LoadsItsBitmapsAndFailsOnAMissingOne) {
  ScopedWindow<CBitmapButton> b;
  EXPECT_TRUE(b.LoadBitmaps(kButtonUpSkin, kButtonDownSkin));
  EXPECT_TRUE(b.LoadBitmaps(kButtonUpSkin, kButtonDownSkin, kButtonFocusSkin, kButtonDisabledSkin));
  EXPECT_FALSE(b.LoadBitmaps(59999));
  EXPECT_FALSE(b.LoadBitmaps(kButtonUpSkin, 59999)) << "a named bitmap that is missing fails the load";
  EXPECT_FALSE(b.LoadBitmaps(0));
}

TEST_F(BitmapButtonTest, SizesItselfToTheUpBitmap) {
  ScopedWindow<CBitmapButton> b;
  ASSERT_TRUE(b.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(5, 5, 25, 15), parent_, 7));
  ASSERT_TRUE(b.LoadBitmaps(kButtonUpSkin, kButtonDownSkin));
  b.SizeToContent();
  CRect r;
  b.GetClientRect(&r);
  EXPECT_EQ(r.Width(), 110);
  EXPECT_EQ(r.Height(), 40);
}

struct StateCase {
  std::string name;
  bool pressed, focused, disabled;
  bool withOthers;  // focus and disabled bitmaps loaded
  UINT shown;
};

class BitmapButtonStates : public BitmapButtonTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(BitmapButtonStates, ShowsTheBitmapOfItsState) {
  const StateCase& c = GetParam();
  ScopedWindow<CBitmapButton> b;
  ASSERT_TRUE(b.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 120, 50), parent_, 7));
  ASSERT_TRUE(c.withOthers ? b.LoadBitmaps(kButtonUpSkin, kButtonDownSkin, kButtonFocusSkin, kButtonDisabledSkin) : b.LoadBitmaps(kButtonUpSkin, kButtonDownSkin));
  if (c.focused) b.SetFocus();
  if (c.disabled) b.EnableWindow(FALSE);
  if (c.pressed) b.SetState(TRUE);
  Pump();
  for (CPoint p : {CPoint(1, 1), CPoint(55, 20), CPoint(108, 38)}) {
    EXPECT_EQ(ButtonPixel(b, p.x, p.y), SkinPixel(c.shown, p.x, p.y)) << p.x << "," << p.y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    States, BitmapButtonStates,
    ::testing::Values(StateCase{"up", false, false, false, true, kButtonUpSkin},
                      StateCase{"pressed", true, false, false, true, kButtonDownSkin},
                      StateCase{"pressed_and_focused", true, true, false, true, kButtonDownSkin},
                      StateCase{"focused", false, true, false, true, kButtonFocusSkin},
                      StateCase{"focused_without_focus_bitmap", false, true, false, false, kButtonUpSkin},
                      StateCase{"disabled", false, false, true, true, kButtonDisabledSkin},
                      StateCase{"disabled_without_disabled_bitmap", false, false, true, false, kButtonUpSkin}),
    CaseName());

TEST(SystemColours, AreTheClassicScheme) {
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), 0x000000u);
  EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), 0x000000u);
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), 0xE1FFFFu);
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), 0x808080u);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColor(1000), 0u);
}

}  // namespace
}  // namespace kiv::test
