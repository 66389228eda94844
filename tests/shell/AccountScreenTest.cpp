// The account dialogs on the real screen: each shown once on the SDL
// display under a private Xvfb and read back from the X server, with the
// pixels that say it was drawn; the login's curved corners show the window
// beneath through its shape.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/ui/RichTextView.h"
#include "shell/ModifyPwdDlg.h"
#include "shell/notice/KivUpWarnDlg.h"
#include "shell/notice/NoticeIds.h"
#include "tests/shell/LoginTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

class AccountScreenTest : public LoginTest {
 protected:
  void TearDown() override {
    screen_.Close();  // the SDL display goes before its server
    LoginTest::TearDown();
  }

  // Runs dlg modally on the screen until shows(picture, the dialog's window
  // rectangle) holds in a screenshot, then closes it.
  bool Shows(CDialog& dlg, const std::string& name, const std::function<bool(const Screenshot&, const CRect&)>& shows) {
    bool shown = false;
    ModalDriver driver;
    driver.Run(dlg, [&](ModalDriver& d) {
      ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dlg.m_hWnd) != FALSE; }));
      d.OnUi([&] {
        PumpInput();
        CRect window;
        dlg.GetWindowRect(&window);
        Screenshot shot;
        shown = screen_.ShootUntil([&](const Screenshot& s) { return shows(s, window); }, &shot, name);
        dlg.EndDialog(IDCANCEL);
      });
    });
    return shown;
  }
  // Whether area holds a pixel other than its top-left one (text on its
  // background, whatever the glyphs' edges blend to).
  static bool HasMarks(const Screenshot& shot, const CRect& area) {
    const COLORREF back = shot.Pixel(area.left, area.top);
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (shot.Pixel(x, y) != back) return true;
      }
    }
    return false;
  }
  static bool Has(const Screenshot& shot, const CRect& area, COLORREF colour) {
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (shot.Pixel(x, y) == colour) return true;
      }
    }
    return false;
  }

  XvfbScreen screen_;
};

TEST_F(AccountScreenTest, TheLoginsCurvedCornersShowWhatIsBeneath) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1366, 768));
  // A window of one colour under the whole login, in place of the desktop:
  // what its corners show, where the root window would be black like the
  // login's own unpainted corners.
  constexpr COLORREF kBeneath = RGB(0x30, 0x70, 0xB0);
  TestWnd* beneath = Top("beneath", CRect(300, 100, 1000, 700));
  beneath->fill = kBeneath;
  CKiv_Dlg_Login dlg(config_, service_, beneath);
  EXPECT_TRUE(Shows(dlg, "login", [&](const Screenshot& s, const CRect& w) {
    CRect button;
    dlg.GetDlgItem(kIdcLoginButton)->GetWindowRect(&button);
    return s.Pixel(w.left, w.top) == kBeneath && s.Pixel(w.right - 1, w.top) == kBeneath &&
           s.Pixel(w.left, w.bottom - 1) == kBeneath && s.Pixel(w.right - 1, w.bottom - 1) == kBeneath &&
           s.Pixel(w.left + 8, w.top + 8) != kBeneath && s.Pixel(w.left, w.top + w.Height() / 2) != kBeneath &&
           s.Pixel(button.left + 5, button.top + 5) == SkinPixel(kIdbLoginButton, 5, 5);
  }));
}

TEST_F(AccountScreenTest, TheNoticesShowTheirLightBodiesAndButtons) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1366, 768));
  CKivUpWarnDlg countdown;
  countdown.SetMode(2);
  countdown.SetText("请确认");
  EXPECT_TRUE(Shows(countdown, "countdown", [&](const Screenshot& s, const CRect& w) {
    const CPoint ok(w.left + 220 + 35, w.bottom - 50 + 12);
    return s.Pixel(w.left + 200, w.top + 150) == CKivUpWarnDlg::kBody &&
           s.Pixel(ok.x, ok.y) == SkinPixel(kIdbUpWarnOk, 35, 12) &&
           Has(s, CRect(w.left + 110, w.bottom - 82, w.left + 130, w.bottom - 67), CKivUpWarnDlg::kNumberText);
  }));

  CKiv_Dlg_PhoneBind reminder;
  EXPECT_TRUE(Shows(reminder, "phone-reminder", [&](const Screenshot& s, const CRect& w) {
    return Has(s, CRect(w.left + 95, w.top + 62, w.left + 275, w.top + 77), 0x0000E2) &&
           s.Pixel(w.left + 200, w.top + 145) == CKiv_Dlg_PhoneBind::kBody &&
           s.Pixel(w.right - 220 + 45, w.bottom - 50 + 15) == SkinPixel(kIdbPhoneBindFirstButton, 45, 15);
  }));
}

TEST_F(AccountScreenTest, TheDisclosureAndThePasswordChangeShowTheirSkinsAndText) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1366, 768));
  CMZSMDlg disclosure(1);
  EXPECT_TRUE(Shows(disclosure, "risk-disclosure", [&](const Screenshot& s, const CRect& w) {
    CRect view;
    disclosure.GetDlgItem(kIdcRiskText)->GetWindowRect(&view);
    CRect hint;
    disclosure.GetDlgItem(kIdcRiskHint)->GetWindowRect(&hint);
    // The band's right end, the view's text, the scroll bar's thumb at the
    // top of its track, the white hint.
    return s.Pixel(w.right - 60, w.top + 15) == SkinPixel(kIdbTitleBand, 0, 15) &&
           HasMarks(s, CRect(view.left, view.top, view.right, view.top + 40)) &&
           s.Pixel(view.right + CMZSMDlg::kScrollGap + 2, view.top + 4) == CMZSMDlg::kScrollThumb &&
           HasMarks(s, hint);
  }));

  CModifyPwdDlg password;
  EXPECT_TRUE(Shows(password, "password-change", [&](const Screenshot& s, const CRect& w) {
    CRect label;
    password.GetDlgItem(kIdcOldPasswordLabel)->GetWindowRect(&label);
    return s.Pixel(w.right - 60, w.top + 15) == SkinPixel(kIdbTitleBand, 0, 15) &&
           HasMarks(s, label) && s.Pixel(w.left + 5, w.top + 120) == CModifyPwdDlg::kBack;
  }));
}

}  // namespace
}  // namespace kiv::test
