// The countdown notice: the count on the virtual clock and the OK it
// chooses at the end, the number as it is drawn, the clicks of both modes,
// where it is placed, and its text's room. Both programs register its
// template.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"
#include "shell/notice/KivUpWarnDlg.h"
#include "shell/notice/NoticeIds.h"
#include "tests/shell/ModalDriver.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {
namespace {

// The shortest timer period there is.
constexpr uint64_t kFirstTimerMs = 10;

class KivUpWarnDlgTest : public ShellWindowTest {
 protected:
  CRect ClientOnScreen(CWnd& wnd) {
    CRect r;
    wnd.GetClientRect(&r);
    wnd.ClientToScreen(&r);
    return r;
  }
  // Whether the number box shows text as the notice draws it: the same
  // font and colours on a copy of the body, pixel for pixel.
  bool NumberShows(CKivUpWarnDlg& dlg, const std::string& text) {
    CRect client;
    dlg.GetClientRect(&client);
    const int left = CKivUpWarnDlg::kNumberLeft;
    const int top = client.bottom - CKivUpWarnDlg::kNumberTop;
    const int width = CKivUpWarnDlg::kNumberWidth;
    const int height = 15;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap picture;
    picture.CreateCompatibleBitmap(&dc, width, height);
    CBitmap* old = dc.SelectObject(&picture);
    dc.FillSolidRect(0, 0, width, height, CKivUpWarnDlg::kBody);
    CFont font;
    font.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 32, "宋体");
    CFont* oldFont = dc.SelectObject(&font);
    dc.SetBkColor(CKivUpWarnDlg::kBody);
    dc.SetTextColor(CKivUpWarnDlg::kNumberText);
    dc.TextOut(0, 0, text);
    const std::unique_ptr<gdi::Surface> screen = Screen().ComposeScreen();
    CPoint origin(left, top);
    dlg.ClientToScreen(&origin);
    bool same = true;
    int lit = 0;
    for (int y = 0; y < height && same; ++y) {
      for (int x = 0; x < width && same; ++x) {
        const COLORREF want = dc.GetPixel(x, y);
        lit += want != CKivUpWarnDlg::kBody;
        same = screen->PixelAt(origin.x + x, origin.y + y) == want;
      }
    }
    dc.SelectObject(oldFont);
    dc.SelectObject(old);
    return same && lit > 0;
  }
};

TEST_F(KivUpWarnDlgTest, ChoosesOkOneSecondAfterTheCountHasReachedZero) {
  for (int seconds : {10, 0}) {
    SCOPED_TRACE(seconds);
    CKivUpWarnDlg dlg;
    dlg.SetSeconds(seconds);
    dlg.SetText("请确认");
    ModalDriver driver;
    uint64_t elapsed = 0;
    bool openUntilTheEnd = true;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      // The count starts on the first timer (1 ms, which timers, as on
      // Windows, round up to 10); then one second per step.
      clock_.Advance(kFirstTimerMs);
      elapsed += kFirstTimerMs;
      d.OnUi([&] { Pump(); });
      for (int left = seconds - 1; left >= 0; --left) {
        clock_.Advance(1000);
        elapsed += 1000;
        ASSERT_TRUE(d.WaitOnUi([&] { return dlg.GetSeconds() == left; })) << "at " << elapsed << " ms";
      }
      clock_.Advance(999);
      d.OnUi([&] { Pump(); });
      openUntilTheEnd = d.AskUi([&] { return ::IsWindow(dlg.m_hWnd) != FALSE; });
      clock_.Advance(1);
      elapsed += 1000;
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(openUntilTheEnd);
    EXPECT_EQ(elapsed, static_cast<uint64_t>(seconds + 1) * 1000 + kFirstTimerMs);
  }
}

TEST_F(KivUpWarnDlgTest, ShowsTheNumberInTwoDigits) {
  EXPECT_EQ(CKivUpWarnDlg::CountdownText(9), "09");
  EXPECT_EQ(CKivUpWarnDlg::CountdownText(10), "10");
  EXPECT_EQ(CKivUpWarnDlg::CountdownText(0), "00");
  CKivUpWarnDlg dlg;
  dlg.SetSeconds(10);
  bool showedTen = false, showedNine = false, tenGone = false;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
    d.OnUi([&] { Pump(); });
    showedTen = d.AskUi([&] { return NumberShows(dlg, "10"); });
    clock_.Advance(kFirstTimerMs);
    d.OnUi([&] { Pump(); });
    clock_.Advance(1000);
    ASSERT_TRUE(d.WaitOnUi([&] { return dlg.GetSeconds() == 9; }));
    showedNine = d.AskUi([&] { return NumberShows(dlg, "09"); });
    tenGone = !d.AskUi([&] { return NumberShows(dlg, "10"); });
    d.OnUi([&] { dlg.EndDialog(IDCANCEL); });
  });
  EXPECT_TRUE(showedTen);
  EXPECT_TRUE(showedNine);
  EXPECT_TRUE(tenGone);
}

TEST_F(KivUpWarnDlgTest, ClicksOfBothModes) {
  enum Outcome { kOk = IDOK, kCancel = IDCANCEL, kDrag = 0 };
  struct Case {
    const char* name;
    int mode;
    CPoint fromLeftBottom;  // (x from L, y from B) or, for the close mark, (x from R, y from T)
    bool fromRightTop;
    Outcome outcome;
  };
  const Case cases[] = {
      {"mode 1, its OK button", 1, CPoint(345, -37), false, kOk},
      {"mode 1, where mode 2 has OK", 1, CPoint(250, -37), false, kDrag},
      {"mode 1, the OK button's left edge", 1, CPoint(310, -37), false, kDrag},
      {"mode 1, below the OK button", 1, CPoint(345, -25), false, kDrag},
      {"mode 1, the close mark", 1, CPoint(-18, 11), true, kCancel},
      {"mode 2, OK", 2, CPoint(255, -37), false, kOk},
      {"mode 2, Cancel", 2, CPoint(345, -37), false, kCancel},
      {"mode 2, between the buttons", 2, CPoint(300, -37), false, kDrag},
      {"mode 2, the close mark", 2, CPoint(-14, 16), true, kCancel},
      {"mode 2, beside the close mark", 2, CPoint(-13, 11), true, kDrag},
      {"the body", 1, CPoint(200, -150), false, kDrag},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CKivUpWarnDlg dlg;
    dlg.SetMode(c.mode);
    CRect before, after;
    ModalDriver driver;
    const INT_PTR result = driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      CPoint at;
      d.OnUi([&] {
        const CRect client = ClientOnScreen(dlg);
        at = c.fromRightTop ? CPoint(client.right + c.fromLeftBottom.x, client.top + c.fromLeftBottom.y)
                            : CPoint(client.left + c.fromLeftBottom.x, client.bottom + c.fromLeftBottom.y);
        dlg.GetWindowRect(&before);
        Screen().PressButton(at);
      });
      if (c.outcome != kDrag) return;  // the press ends it
      const CPoint to = at + CPoint(30, 20);
      d.OnUi([&] { Screen().MoveMouse(to); });
      d.OnUi([&] { Screen().ReleaseButton(to); });
      ASSERT_TRUE(d.WaitOnUi([&] {
        dlg.GetWindowRect(&after);
        return after.TopLeft() == before.TopLeft() + CPoint(30, 20);
      }));
      d.OnUi([&] { dlg.EndDialog(IDRETRY); });
    });
    EXPECT_EQ(result, c.outcome == kDrag ? IDRETRY : static_cast<INT_PTR>(c.outcome));
  }
}

TEST_F(KivUpWarnDlgTest, IsCentredOnItsParentUnlessTheParentsCentreIsOffTheWorkArea) {
  const CRect work = Screen().WorkArea();
  struct Case {
    const char* name;
    CRect parent;  // empty: no parent
    CPoint centre;
  };
  const Case cases[] = {
      {"no parent", CRect(), work.CenterPoint()},
      {"a parent", CRect(100, 100, 500, 400), CPoint(300, 250)},
      {"a parent at the screen's edge", CRect(1000, 100, 1500, 300), CPoint(1250, 200)},
      {"a parent whose centre is right of the screen", CRect(1200, 100, 1700, 300), work.CenterPoint()},
      {"a parent whose centre is below the work area", CRect(200, 650, 600, 1000), work.CenterPoint()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWnd* parent = c.parent.IsRectEmpty() ? nullptr : Top("parent", c.parent);
    CKivUpWarnDlg dlg(parent);
    CRect shown;
    ModalDriver driver;
    driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      d.OnUi([&] {
        dlg.GetWindowRect(&shown);
        dlg.EndDialog(IDOK);
      });
    });
    EXPECT_EQ(shown.Size(), SkinSize(kIdbUpWarnBackground));
    EXPECT_LE(std::abs(shown.CenterPoint().x - c.centre.x), 1);
    EXPECT_LE(std::abs(shown.CenterPoint().y - c.centre.y), 1);
    if (parent) parent->DestroyWindow();
  }
}

TEST_F(KivUpWarnDlgTest, ShowsItsTextOverTheBodyWithRoomForFiveLines) {
  CKivUpWarnDlg dlg;
  const std::string text = "\n发现新版本。\n\n是否现在升级?\n升级时程序将关闭。";
  dlg.SetText(text);
  CRect box;
  std::string shown;
  int lineHeight = 0;
  COLORREF body = 0, textBack = 0;
  ModalDriver driver;
  driver.Run(dlg, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
    d.OnUi([&] {
      Pump();
      CWnd* item = dlg.GetDlgItem(kIdcUpWarnText);
      item->GetWindowText(shown);
      item->GetWindowRect(&box);
      dlg.ScreenToClient(&box);
      CClientDC dc(item);
      const HGDIOBJ old = ::SelectObject(dc.GetSafeHdc(), reinterpret_cast<HFONT>(item->SendMessage(WM_GETFONT)));
      TEXTMETRIC tm{};
      dc.GetTextMetrics(&tm);
      ::SelectObject(dc.GetSafeHdc(), old);
      lineHeight = tm.tmHeight;
      body = ClientPixel(dlg, 200, 150);
      textBack = ClientPixel(dlg, box.right - 2, box.bottom - 2);  // no text reaches there
      dlg.EndDialog(IDOK);
    });
  });
  EXPECT_EQ(shown, text);
  EXPECT_GE(box.left, 16);
  EXPECT_LE(box.right, 404);
  EXPECT_GE(box.top, 30);
  EXPECT_LE(box.bottom, 144);
  EXPECT_GE(box.Height(), 5 * lineHeight);
  EXPECT_EQ(body, CKivUpWarnDlg::kBody);
  EXPECT_EQ(textBack, CKivUpWarnDlg::kBody);
}

TEST(UpWarnResourcesTest, BothProgramsHoldTheNoticesTemplateAndSkins) {
  for (const gdi::ResourceTable* table : {&res::DeskResources(), &res::UpdaterResources()}) {
    auto tmpl = table->LoadDialogTemplate(kIddUpWarn);
    ASSERT_TRUE(tmpl);
    ASSERT_EQ(tmpl->items.size(), 1u);
    EXPECT_EQ(tmpl->items[0].id, kIdcUpWarnText);
    for (UINT id : {kIdbUpWarnBackground, kIdbUpWarnOk, kIdbUpWarnCancel}) {
      EXPECT_TRUE(table->LoadBitmap(id) != nullptr) << id;
    }
  }
}

}  // namespace
}  // namespace kiv::test
