// The phone-binding reminder: what each press and key answers, its lines in
// their colours, and its place.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gdi/Surface.h"
#include "shell/AccountIds.h"
#include "shell/Kiv_Dlg_PhoneBind.h"
#include "tests/shell/ModalDriver.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {
namespace {

class PhoneBindTest : public ShellWindowTest {
 protected:
  // Pixels of colour c inside the client rectangle box.
  int CountColour(CWnd& wnd, const CRect& box, COLORREF c) {
    const std::unique_ptr<gdi::Surface> screen = Screen().ComposeScreen();
    CPoint origin = box.TopLeft();
    wnd.ClientToScreen(&origin);
    int count = 0;
    for (int y = 0; y < box.Height(); ++y) {
      for (int x = 0; x < box.Width(); ++x) count += screen->PixelAt(origin.x + x, origin.y + y) == c;
    }
    return count;
  }
};

TEST_F(PhoneBindTest, EachPressOrKeyGivesItsAnswer) {
  enum Outcome { kOk = IDOK, kCancel = IDCANCEL, kDrag = 0 };
  struct Case {
    const char* name;
    CPoint fromRightBottom;  // x from R; y from B, or from T for the cross
    bool fromTop;
    Outcome outcome;
  };
  const CSize first = SkinSize(kIdbPhoneBindFirstButton);
  const CSize second = SkinSize(kIdbPhoneBindSecondButton);
  const int secondLeft = -200 + static_cast<int>(first.cx);
  const Case cases[] = {
      {"the first button", CPoint(-220 + first.cx / 2, -50 + first.cy / 2), false, kOk},
      {"the second button", CPoint(secondLeft + second.cx / 2, -50 + second.cy / 2), false, kCancel},
      {"the close cross", CPoint(-18, 11), true, kCancel},
      {"the first button's left edge", CPoint(-220, -40), false, kDrag},
      {"just above the buttons", CPoint(-180, -50), false, kDrag},
      {"between the buttons", CPoint(-220 + static_cast<int>(first.cx) + 5, -40), false, kDrag},
      {"beside the cross", CPoint(-14, 11), true, kDrag},
      {"the text", CPoint(-300, -150), false, kDrag},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CKiv_Dlg_PhoneBind dlg;
    CRect before, after;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      CPoint at;
      d.OnUi([&] {
        CRect client;
        dlg.GetClientRect(&client);
        at = CPoint(client.right + c.fromRightBottom.x,
                    (c.fromTop ? client.top : client.bottom) + c.fromRightBottom.y);
        dlg.ClientToScreen(&at);
        dlg.GetWindowRect(&before);
        Screen().PressButton(at);
      });
      if (c.outcome != kDrag) return;
      const CPoint to = at + CPoint(-40, 25);
      d.OnUi([&] { Screen().MoveMouse(to); });
      d.OnUi([&] { Screen().ReleaseButton(to); });
      ASSERT_TRUE(d.WaitOnUi([&] {
        dlg.GetWindowRect(&after);
        return after.TopLeft() == before.TopLeft() + CPoint(-40, 25);
      }));
      d.OnUi([&] { dlg.EndDialog(IDRETRY); });
    });
    EXPECT_EQ(result, c.outcome == kDrag ? IDRETRY : static_cast<INT_PTR>(c.outcome));
  }

  for (UINT key : {VK_RETURN, VK_ESCAPE}) {
    CKiv_Dlg_PhoneBind dlg;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      d.OnUi([&] { Screen().PressKey(key); });
    });
    EXPECT_EQ(result, key == VK_RETURN ? IDOK : IDCANCEL);
  }
}

TEST_F(PhoneBindTest, PaintsItsLinesInTheirColoursAndSitsInTheWorkAreasMiddle) {
  CKiv_Dlg_PhoneBind dlg;
  CRect window;
  int lineOneRed = 0, lineTwoRed = 0, lineTwoGrey = 0, numberGold = 0, body = 0;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
    d.OnUi([&] {
      Pump();
      dlg.GetWindowRect(&window);
      lineOneRed = CountColour(dlg, CRect(95, 62, 95 + 12 * 15, 62 + 15), 0x0000E2);
      lineTwoRed = CountColour(dlg, CRect(95, 92, 95 + 26 * 14, 92 + 14), 0x0000E2);
      lineTwoGrey = CountColour(dlg, CRect(95, 92, 95 + 26 * 14, 92 + 14), 0x333333);
      numberGold = CountColour(dlg, CRect(313, 174, 313 + 12 * 8, 174 + 15), 0xD18500);
      body = CountColour(dlg, CRect(95, 140, 400, 150), CKiv_Dlg_PhoneBind::kBody);
      dlg.EndDialog(IDOK);
    });
  });
  EXPECT_GT(lineOneRed, 20);
  EXPECT_EQ(lineTwoRed, 0);
  EXPECT_GT(lineTwoGrey, 20);
  EXPECT_GT(numberGold, 20);
  EXPECT_EQ(body, 305 * 10);  // the light body between the paragraphs
  EXPECT_EQ(dlg.Line(6), "021-00000000");
  EXPECT_EQ(dlg.Line(6).size(), 12u);

  const CSize skin = SkinSize(kIdbPhoneBindBackground);
  const CRect work = Screen().WorkArea();
  EXPECT_EQ(window, CRect(CPoint(work.left + (work.Width() - skin.cx) / 2, work.top + (work.Height() - skin.cy) / 2),
                          CSize(skin.cx, skin.cy - 1)));
}

}  // namespace
}  // namespace kiv::test
