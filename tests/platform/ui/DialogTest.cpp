#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr int kName = 100;
constexpr int kCount = 101;
constexpr int kApply = 102;
constexpr int kDisabled = 103;

ui::DialogTemplate FormTemplate() {
  return MakeTemplate({
      Item(kName, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, CRect(10, 10, 110, 22)),
      Item(kDisabled, "EDIT", "", WS_TABSTOP | WS_DISABLED, CRect(10, 26, 110, 38)),
      Item(kCount, "EDIT", "", WS_TABSTOP, CRect(10, 42, 110, 54)),
      Item(kApply, "BUTTON", "apply", WS_TABSTOP | BS_PUSHBUTTON, CRect(10, 60, 50, 74)),
      Item(IDOK, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, CRect(60, 60, 100, 74)),
      Item(IDCANCEL, "BUTTON", "Cancel", WS_TABSTOP, CRect(110, 60, 150, 74)),
  });
}

using DialogTest = WindowTest;

TEST_F(DialogTest, PlacesControlsInDialogUnitsOfTheTemplateFont) {
  CSize small = ui::DialogBaseUnits("宋体", 9);
  CSize large = ui::DialogBaseUnits("宋体", 18);
  EXPECT_GT(small.cx, 2);
  EXPECT_GT(small.cy, 8);
  EXPECT_GT(large.cx, small.cx);
  EXPECT_GT(large.cy, small.cy);

  for (int points : {9, 18}) {
    auto t = FormTemplate();
    t.pointSize = points;
    HookDialog dlg(t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    CSize base = ui::DialogBaseUnits("宋体", points);
    EXPECT_EQ(dlg.GetBaseUnits(), base);
    CRect client;
    dlg.GetClientRect(&client);
    EXPECT_EQ(client.Width(), (160 * base.cx + 2) / 4) << points;
    EXPECT_EQ(client.Height(), (90 * base.cy + 4) / 8) << points;
    CRect edit;
    dlg.GetDlgItem(kCount)->GetWindowRect(&edit);
    dlg.ScreenToClient(&edit);
    EXPECT_EQ(edit, ui::DialogUnitsToPixels(CRect(10, 42, 110, 54), base)) << points;
    // The controls get the template's font.
    EXPECT_EQ(dlg.GetDlgItem(kName)->SendMessage(WM_GETFONT),
              reinterpret_cast<LRESULT>(static_cast<HFONT>(*dlg.GetFont())));
    dlg.DestroyWindow();
  }
}

TEST_F(DialogTest, CentresOnTheWorkAreaAndHidesUntilShown) {
  auto t = FormTemplate();
  ScopedWindow<HookDialog> dlg(t);
  ASSERT_TRUE(dlg.CreateIndirect(t));
  EXPECT_FALSE(dlg.IsWindowVisible());  // no WS_VISIBLE in the template
  CRect r, work;
  dlg.GetWindowRect(&r);
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(DialogTest, TypedTextAndEnterEndWithOkAndSaveTheData) {
  auto t = FormTemplate();
  HookDialog dlg(t);
  std::string name = "old";
  int count = 7;
  bool initSawControls = false;
  dlg.exchange = [&](CDataExchange* dx) {
    DDX_Text(dx, kName, name);
    DDX_Text(dx, kCount, count);
  };
  dlg.onInit = [&](HookDialog& d) {
    initSawControls = d.GetDlgItem(kName) != nullptr;
    Screen().TypeText("abc");
    Screen().PressKey(VK_TAB);
    Screen().PressKey(VK_END);
    Screen().TypeText("5");
    Screen().PressKey(VK_RETURN);
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(initSawControls);
  EXPECT_EQ(name, "abc");  // the focus selected the old text, typing replaced it
  EXPECT_EQ(count, 75);
  EXPECT_FALSE(::IsWindow(dlg.m_hWnd));
}

TEST_F(DialogTest, TabCyclesThroughEnabledTabStopsInTemplateOrder) {
  auto t = FormTemplate();
  HookDialog dlg(t);
  std::vector<int> order;
  dlg.onInit = [&](HookDialog&) {
    Screen().PressKey(VK_TAB);  // kCount, past the disabled field
    Screen().KeyDown(VK_SHIFT);
    for (int i = 0; i < 3; ++i) Screen().PressKey(VK_TAB);  // kName, then round to IDCANCEL, IDOK
    Screen().KeyUp(VK_SHIFT);
    for (int i = 0; i < 3; ++i) Screen().PressKey(VK_TAB);  // IDCANCEL, round to kName, kCount
    Screen().PressKey(VK_ESCAPE);
  };
  // Where the focus went, as the edits report it.
  dlg.onCommand = [&](int id, int code) {
    if (code == EN_SETFOCUS) order.push_back(id);
    return false;
  };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(order, (std::vector<int>{kName, kCount, kName, kName, kCount}));
}

TEST_F(DialogTest, EnterClicksTheFocusedButtonElseTheDefaultOne) {
  struct Case {
    const char* name;
    int tabs;
    int expectedFirstCommand;
  };
  for (const Case& c : {Case{"default button from a field", 0, IDOK}, Case{"focused push button", 2, kApply}}) {
    auto t = FormTemplate();
    HookDialog dlg(t);
    dlg.onInit = [&](HookDialog&) {
      for (int i = 0; i < c.tabs; ++i) Screen().PressKey(VK_TAB);
      Screen().PressKey(VK_RETURN);
      if (c.tabs) Screen().PressKey(VK_ESCAPE);
    };
    INT_PTR result = dlg.DoModal();
    std::vector<int> clicked;
    for (auto& cmd : dlg.commands) {
      if (cmd.second == BN_CLICKED) clicked.push_back(cmd.first);
    }
    ASSERT_FALSE(clicked.empty()) << c.name;
    EXPECT_EQ(clicked.front(), c.expectedFirstCommand) << c.name;
    EXPECT_EQ(result, c.expectedFirstCommand == IDOK ? IDOK : IDCANCEL) << c.name;
  }
}

TEST_F(DialogTest, EndDialogFromOnInitDialogReturnsAtOnce) {
  auto t = FormTemplate();
  HookDialog dlg(t);
  dlg.onInit = [](HookDialog& d) { d.EndDialog(33); };
  EXPECT_EQ(dlg.DoModal(), 33);
  EXPECT_FALSE(::IsWindow(dlg.m_hWnd));
}

TEST_F(DialogTest, MissingTemplateFailsTheDialog) {
  CDialog dlg(54321u);
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_FALSE(dlg.Create(54321u));
}

TEST_F(DialogTest, RegisteredTemplatesAreFoundById) {
  ui::RegisterDialogTemplate(4242, FormTemplate());
  HookDialog dlg(4242u);
  dlg.onInit = [](HookDialog& d) { d.EndDialog(IDOK); };
  EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(DialogTest, NestedModalDialogsDisableTheirOwnerAndUnwindInOrder) {
  TestWnd* main = Top("main", CRect(0, 0, 600, 400));
  auto t = FormTemplate();
  HookDialog outer(t, main);
  HookDialog inner(t, &outer);
  bool mainDisabledDuringOuter = false, outerDisabledDuringInner = false;
  INT_PTR innerResult = 0;
  outer.onInit = [&](HookDialog& d) {
    mainDisabledDuringOuter = !main->IsWindowEnabled();
    d.PostMessage(WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED), 0);
  };
  outer.onCommand = [&](int id, int code) {
    if (id != kApply || code != BN_CLICKED) return false;
    innerResult = inner.DoModal();
    EXPECT_TRUE(outer.IsWindowEnabled());
    outer.EndDialog(42);
    return true;
  };
  inner.onInit = [&](HookDialog&) {
    outerDisabledDuringInner = !outer.IsWindowEnabled();
    Screen().PressKey(VK_ESCAPE);
  };
  EXPECT_EQ(outer.DoModal(), 42);
  EXPECT_EQ(innerResult, IDCANCEL);
  EXPECT_TRUE(mainDisabledDuringOuter);
  EXPECT_TRUE(outerDisabledDuringInner);
  EXPECT_TRUE(main->IsWindowEnabled());
}

TEST_F(DialogTest, UpdateDataRefusesTextThatIsNotAWholeNumber) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  };
  for (const Case& c : {Case{"12", true, 12}, Case{" -3 ", true, -3}, Case{"", false, 5}, Case{"1x", false, 5},
                        Case{"99999999999", false, 5}}) {
    auto t = FormTemplate();
    HookDialog dlg(t);
    int count = 5;
    std::string name;
    dlg.exchange = [&](CDataExchange* dx) {
      DDX_Text(dx, kCount, count);
      DDX_Text(dx, kName, name);
    };
    ASSERT_TRUE(dlg.CreateIndirect(t));
    dlg.SetDlgItemText(kName, "n");
    dlg.SetDlgItemText(kCount, c.text);
    EXPECT_EQ(dlg.UpdateData(TRUE) != FALSE, c.ok) << c.text;
    EXPECT_EQ(count, c.value) << c.text;
    if (!c.ok) {
      EXPECT_EQ(::GetFocus(), dlg.GetDlgItem(kCount)->m_hWnd) << c.text;
      EXPECT_EQ(name, "") << "exchange stops at the failing field";
    }
    dlg.DestroyWindow();
  }
}

TEST_F(DialogTest, BackgroundAndControlsUseTheBrushesOnCtlColorReturns) {
  auto t = MakeTemplate({Item(5, "STATIC", "", SS_LEFT, CRect(20, 20, 60, 40))});
  t.style |= WS_VISIBLE;
  CBrush red(RGB(255, 0, 0)), blue(RGB(0, 0, 255));
  for (bool themed : {false, true}) {
    HookDialog dlg(t);
    if (themed) {
      dlg.ctlColor = [&](CWnd*, UINT kind) -> HBRUSH {
        if (kind == CTLCOLOR_DLG) return red;
        if (kind == CTLCOLOR_STATIC) return blue;
        return nullptr;
      };
    }
    ASSERT_TRUE(dlg.CreateIndirect(t));
    Pump();
    CRect r, label;
    dlg.GetWindowRect(&r);
    dlg.GetDlgItem(5)->GetWindowRect(&label);
    EXPECT_EQ(Screen().ScreenPixel(r.left + 2, r.top + 2), themed ? RGB(255, 0, 0) : ui::kDialogBack);
    EXPECT_EQ(Screen().ScreenPixel(label.left + 3, label.top + 3), themed ? RGB(0, 0, 255) : ui::kDialogBack);
    dlg.DestroyWindow();
  }
}

TEST_F(DialogTest, ExtendedDialogPaintsTheBackgroundColourItWasGiven) {
  auto t = MakeTemplate({});
  t.style |= WS_VISIBLE;
  ScopedWindow<CDialogEx> dlg(t);
  dlg.SetBackgroundColor(RGB(0x1A, 0x1A, 0x1A));
  ASSERT_TRUE(dlg.CreateIndirect(t));
  Pump();
  CRect r;
  dlg.GetWindowRect(&r);
  EXPECT_EQ(Screen().ScreenPixel(r.left + 5, r.top + 5), RGB(0x1A, 0x1A, 0x1A));
}

TEST_F(DialogTest, ModelessDialogStaysUpUntilEndedAndKeepsItsWindow) {
  auto t = FormTemplate();
  t.style |= WS_VISIBLE;
  ScopedWindow<HookDialog> dlg(t);
  ASSERT_TRUE(dlg.CreateIndirect(t));
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_FALSE(dlg.IsModal());
  Screen().PressKey(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(dlg.IsWindowVisible());
  EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
}

TEST_F(DialogTest, ADialogDeletedWhileItsWindowLivesIsRecordedOnceAndTakesItsControlsAlong) {
  const int before = DeletedWithLiveWindowCount();
  HWND dialog, control;
  {
    ToleratedDeletion tolerated;
    auto dlg = std::make_unique<HookDialog>(FormTemplate());
    ASSERT_TRUE(dlg->CreateIndirect(FormTemplate()));
    dialog = dlg->m_hWnd;
    control = dlg->GetDlgItem(kName)->m_hWnd;
    dlg.reset();
  }
  // One broken rule, the dialog's: its controls' windows went before their
  // objects did.
  EXPECT_EQ(DeletedWithLiveWindowCount(), before + 1);
  EXPECT_FALSE(::IsWindow(dialog));
  EXPECT_FALSE(::IsWindow(control));
}

}  // namespace
}  // namespace test
}  // namespace kiv
