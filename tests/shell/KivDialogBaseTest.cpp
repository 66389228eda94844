// The dark dialog base: Esc and Enter keep it open, it drags from any empty
// spot, the About item does nothing, and its background is 0x1A1A1A with
// 0x202020 as the DC background colour.
#include <gtest/gtest.h>

#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Edit.h"
#include "shell/KivDialogBase.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {
namespace {

constexpr UINT kIddBaseTest = 4901;
constexpr int kIdcEdit = 1001;

class DarkDialog : public CKivDialogBase {
 public:
  DarkDialog() : CKivDialogBase(kIddBaseTest) {}
};

class KivDialogBaseTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    ui::DialogTemplate t;
    t.style = WS_POPUP | WS_VISIBLE;
    t.rect = CRect(20, 20, 220, 140);
    ui::DialogItem edit;
    edit.id = kIdcEdit;
    edit.className = "EDIT";
    edit.style = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    edit.rect = CRect(10, 10, 120, 24);
    t.items.push_back(edit);
    ui::DialogItem ok;
    ok.id = IDOK;
    ok.className = "BUTTON";
    ok.text = "确定";
    ok.style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    ok.rect = CRect(140, 90, 190, 104);
    t.items.push_back(ok);
    ui::RegisterDialogTemplate(kIddBaseTest, t);
    ASSERT_TRUE(dialog_.Create(kIddBaseTest));
    Pump();
  }

  ScopedWindow<DarkDialog> dialog_;
};

TEST_F(KivDialogBaseTest, EscAndEnterInAnEditLeaveItOpen) {
  CWnd* edit = dialog_.GetDlgItem(kIdcEdit);
  ASSERT_NE(edit, nullptr);
  edit->SetFocus();
  for (UINT key : {VK_RETURN, VK_ESCAPE}) {
    Screen().PressKey(key);
    Pump();
    EXPECT_TRUE(dialog_.IsWindowVisible()) << key;
  }
}

TEST_F(KivDialogBaseTest, DragsFromAnEmptySpotOfItsClientArea) {
  CRect before;
  dialog_.GetWindowRect(&before);
  CPoint empty(before.right - 8, before.top + 6);
  Screen().Drag(empty, CPoint(empty.x + 40, empty.y + 25));
  Pump();
  CRect after;
  dialog_.GetWindowRect(&after);
  EXPECT_EQ(after.left, before.left + 40);
  EXPECT_EQ(after.top, before.top + 25);
  EXPECT_EQ(after.Width(), before.Width());
  EXPECT_EQ(after.Height(), before.Height());
}

TEST_F(KivDialogBaseTest, TheAboutItemDoesNothingWhileOtherCommandsGoOn) {
  dialog_.SendMessage(WM_SYSCOMMAND, 16, 0);
  dialog_.SendMessage(WM_SYSCOMMAND, 16 | 0x3, 0);  // low bits are masked off
  Pump();
  EXPECT_TRUE(dialog_.IsWindowVisible());
  dialog_.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_FALSE(dialog_.IsWindowVisible());
}

TEST_F(KivDialogBaseTest, PaintsDarkAndGivesItsBackgroundDcColour) {
  CRect rect;
  dialog_.GetWindowRect(&rect);
  EXPECT_EQ(Screen().ScreenPixel(rect.right - 3, rect.bottom - 3), CKivDialogBase::kBackground);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  LRESULT brush = dialog_.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                                      reinterpret_cast<LPARAM>(dialog_.m_hWnd));
  EXPECT_NE(brush, 0);
  EXPECT_EQ(dc.GetBkColor(), CKivDialogBase::kDcBackground);
}

}  // namespace
}  // namespace kiv::test
