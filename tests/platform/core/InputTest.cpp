// Mouse routing through WM_NCHITTEST (pass-through, caption moves, capture,
// double-clicks, wheel), keys, text and input-method results, focus and
// activation, cursors.
#include "platform/gdi/Rgn.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {
namespace {

class InputTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
  }
  std::vector<std::string> Clicked() { return Who(WM_LBUTTONDOWN); }
};

TEST_F(InputTest, ClickGoesToTheDeepestChildInClientCoordinates) {
  TestWnd* top = Top("top", CRect(100, 100, 300, 300));
  TestWnd* c = Child(top, "c", CRect(10, 10, 110, 110));
  Child(c, "g", CRect(50, 50, 60, 60));
  Pump();
  Screen().Click(Pt(125, 130));
  Pump();
  auto down = Of("c", WM_LBUTTONDOWN);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 15);
  EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 20);
  EXPECT_TRUE(down[0].wParam & MK_LBUTTON);
  auto up = Of("c", WM_LBUTTONUP);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_FALSE(up[0].wParam & MK_LBUTTON);
}

struct PassCase {
  const char* name;
  LRESULT upperAnswer;
  const char* receiver;
};

class HitTestPassThroughTest : public InputTest, public ::testing::WithParamInterface<PassCase> {};

TEST_P(HitTestPassThroughTest, TransparentAnswerPassesThePointToTheWindowBeneath) {
  const PassCase& c = GetParam();
  TestWnd* top = Top("top", CRect(0, 0, 200, 200));
  Child(top, "lower", CRect(0, 0, 100, 100));
  TestWnd* upper = Child(top, "upper", CRect(50, 50, 150, 150));
  upper->hitTest = c.upperAnswer;
  Pump();
  Screen().Click(Pt(75, 75));  // over both children
  Screen().Click(Pt(125, 125));  // over upper and the parent only
  Pump();
  std::vector<std::string> expected{c.receiver, c.upperAnswer == HTTRANSPARENT ? "top" : c.receiver};
  EXPECT_EQ(Clicked(), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HitTestPassThroughTest,
                         ::testing::Values(PassCase{"client", HTCLIENT, "upper"},
                                           PassCase{"transparent", HTTRANSPARENT, "lower"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InputTest, TransparentTopLevelPassesTheClickToTheWindowBelow) {
  Top("below", CRect(0, 0, 100, 100));
  TestWnd* above = Top("above", CRect(0, 0, 100, 100));
  above->hitTest = HTTRANSPARENT;
  Pump();
  Screen().Click(Pt(50, 50));
  Pump();
  EXPECT_EQ(Clicked(), std::vector<std::string>{"below"});
}

TEST_F(InputTest, ClickOutsideAWindowRegionReachesTheWindowBeneath) {
  Top("below", CRect(0, 0, 100, 100));
  TestWnd* shaped = Top("shaped", CRect(0, 0, 100, 100));
  CRgn rgn;
  rgn.CreateRectRgn(0, 0, 50, 100);
  shaped->SetWindowRgn(rgn, TRUE);
  Pump();
  Screen().Click(Pt(25, 50));
  Screen().Click(Pt(75, 50));
  Pump();
  EXPECT_EQ(Clicked(), (std::vector<std::string>{"shaped", "below"}));
}

TEST_F(InputTest, CaptionHitStartsTheMoveLoopWhichFollowsTheMouse) {
  TestWnd* w = Top("w", CRect(100, 100, 300, 200));
  w->hitTest = HTCAPTION;
  Pump();
  Screen().Drag(Pt(150, 150), Pt(180, 110), 3);
  Pump();
  CRect r;
  w->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(130, 60, 330, 160));
  EXPECT_EQ(Of("w", WM_NCLBUTTONDOWN).size(), 1u);
  EXPECT_EQ(Of("w", WM_NCLBUTTONDOWN)[0].wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(Of("w", WM_ENTERSIZEMOVE).size(), 1u);
  EXPECT_EQ(Of("w", WM_EXITSIZEMOVE).size(), 1u);
  EXPECT_TRUE(Clicked().empty());
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) < 0);
}

TEST_F(InputTest, PostedCaptionPressFromAButtonDownHandlerMovesTheTopLevelWindow) {
  TestWnd* top = Top("top", CRect(100, 100, 300, 300));
  TestWnd* c = Child(top, "c", CRect(0, 0, 100, 100));
  c->hook = [&](UINT msg, WPARAM, LPARAM lp, LRESULT*) {
    // Programs post their client point; the move follows the cursor anyway.
    if (msg == WM_LBUTTONDOWN) top->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, lp);
    return false;
  };
  Pump();
  Screen().Drag(Pt(110, 110), Pt(150, 130), 2);
  Pump();
  CRect r;
  top->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(140, 120, 340, 320));
}

TEST_F(InputTest, PostedCaptionPressAfterTheButtonWentUpDoesNothing) {
  TestWnd* w = Top("w", CRect(100, 100, 300, 300));
  Pump();
  Screen().Click(Pt(150, 150));
  Pump();
  w->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(150, 150));
  Pump();
  CRect r;
  w->GetWindowRect(&r);
  EXPECT_EQ(r, CRect(100, 100, 300, 300));
  EXPECT_TRUE(Of("w", WM_ENTERSIZEMOVE).empty());
}

TEST_F(InputTest, CaptureTakesEveryMouseMessageUntilReleased) {
  TestWnd* top = Top("top", CRect(0, 0, 400, 400));
  TestWnd* button = Child(top, "button", CRect(10, 10, 50, 50));
  button->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_LBUTTONDOWN) button->SetCapture();
    if (msg == WM_LBUTTONUP) ReleaseCapture();
    return false;
  };
  Pump();
  Screen().PressButton(Pt(20, 20));
  Screen().MoveMouse(Pt(200, 5));
  Screen().ReleaseButton(Pt(200, 5));
  Screen().MoveMouse(Pt(210, 5));
  Pump();
  auto moves = Of("button", WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 190);
  EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), -5);
  EXPECT_EQ(Of("button", WM_LBUTTONUP).size(), 1u);
  EXPECT_EQ(Of("button", WM_CAPTURECHANGED).size(), 1u);
  EXPECT_EQ(Of("top", WM_MOUSEMOVE).size(), 1u);  // after the release
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, TwoQuickClicksMakeADoubleClickAndAThirdStartsOver) {
  Top("w", CRect(0, 0, 100, 100));
  Pump();
  Screen().Click(Pt(10, 10));
  Screen().Click(Pt(11, 11));
  Screen().Click(Pt(11, 11));
  Pump();
  EXPECT_EQ(Of("w", WM_LBUTTONDOWN).size(), 2u);
  EXPECT_EQ(Of("w", WM_LBUTTONDBLCLK).size(), 1u);
}

TEST_F(InputTest, SlowOrDistantSecondClicksAreNotDoubleClicks) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_LBUTTONUP) clock_.Advance(GetDoubleClickTime() + 1);
    return false;
  };
  Pump();
  Screen().Click(Pt(10, 10));
  Screen().Click(Pt(10, 10));
  Pump();
  w->hook = nullptr;
  Screen().Click(Pt(10, 10));
  Screen().Click(Pt(30, 30));
  Pump();
  EXPECT_EQ(Of("w", WM_LBUTTONDOWN).size(), 4u);
  EXPECT_TRUE(Of("w", WM_LBUTTONDBLCLK).empty());
}

TEST_F(InputTest, WheelGoesToTheFocusWindowWithDeltaAndScreenPoint) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* list = Child(top, "list", CRect(0, 0, 50, 50));
  list->SetFocus();
  Pump();
  Screen().Wheel(Pt(70, 80), -WHEEL_DELTA);
  Pump();
  auto wheel = Of("list", WM_MOUSEWHEEL);
  ASSERT_EQ(wheel.size(), 1u);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), -WHEEL_DELTA);
  EXPECT_EQ(GET_X_LPARAM(wheel[0].lParam), 70);
  EXPECT_EQ(GET_Y_LPARAM(wheel[0].lParam), 80);
  // Unhandled, it goes up to the parent.
  EXPECT_EQ(Of("top", WM_MOUSEWHEEL).size(), 1u);
}

struct KeyCase {
  const char* name;
  std::vector<UINT> held;
  UINT vk;
  UINT expected;
};

class KeyRoutingTest : public InputTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyRoutingTest, KeyDownArrivesAsTheRightMessage) {
  const KeyCase& c = GetParam();
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->SetFocus();
  for (UINT vk : c.held) Screen().KeyDown(vk);
  Screen().KeyDown(c.vk);
  Pump();
  ASSERT_FALSE(log_.empty());
  std::vector<UINT> keys;
  for (auto& r : log_) {
    if ((r.msg == WM_KEYDOWN || r.msg == WM_SYSKEYDOWN) && r.wParam == c.vk) keys.push_back(r.msg);
  }
  EXPECT_EQ(keys, std::vector<UINT>{c.expected});
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyRoutingTest,
                         ::testing::Values(KeyCase{"letter", {}, 'A', WM_KEYDOWN},
                                           KeyCase{"escape", {}, VK_ESCAPE, WM_KEYDOWN},
                                           KeyCase{"f5", {}, VK_F5, WM_KEYDOWN},
                                           KeyCase{"f10", {}, VK_F10, WM_SYSKEYDOWN},
                                           KeyCase{"alt_letter", {VK_MENU}, 'X', WM_SYSKEYDOWN},
                                           KeyCase{"ctrl_letter", {VK_CONTROL}, 'C', WM_KEYDOWN}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InputTest, KeysGoToTheFocusWindowAndGetKeyStateFollowsRetrievedMessages) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* edit = Child(top, "edit", CRect(0, 0, 50, 20));
  edit->SetFocus();
  SHORT during = 0;
  edit->hook = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
    if (msg == WM_KEYDOWN && wp == VK_SHIFT) during = GetKeyState(VK_SHIFT);
    return false;
  };
  Screen().KeyDown(VK_SHIFT);
  Pump();
  EXPECT_LT(during, 0);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  Screen().KeyUp(VK_SHIFT);
  Pump();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(Of("edit", WM_KEYUP).size(), 1u);
  EXPECT_TRUE(Of("top", WM_KEYDOWN).empty());
}

TEST_F(InputTest, ReturnKeyAlsoGivesACarriageReturnCharacter) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->SetFocus();
  Screen().PressKey(VK_RETURN);
  Pump();
  auto chars = Of("w", WM_CHAR);
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].wParam, 13u);
}

TEST_F(InputTest, GbkTextArrivesAsCharBytesLeadByteFirst) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->SetFocus();
  Screen().TypeText("a中");
  Pump();
  std::vector<WPARAM> bytes;
  for (auto& r : Of("w", WM_CHAR)) bytes.push_back(r.wParam);
  EXPECT_EQ(bytes, (std::vector<WPARAM>{'a', 0xD6, 0xD0}));
}

// A press whose handling gives the focus to another window (a search pop-up
// opened by the first digit typed) keeps its character: it goes where the
// press went, and the next key goes to the new focus.
TEST_F(InputTest, AKeysCharacterGoesWhereItsPressWentEvenAfterTheFocusMoved) {
  TestWnd* main = Top("main", CRect(0, 0, 100, 100));
  TestWnd* popup = Top("popup", CRect(200, 0, 300, 100));
  main->SetFocus();
  main->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg == WM_KEYDOWN) popup->SetFocus();
    return false;
  };
  Screen().KeyDown('6');
  Pump();  // the press is handled before its character is read
  Screen().TypeText("6");
  Screen().KeyUp('6');
  Pump();
  main->hook = nullptr;
  Screen().KeyDown('0');
  Screen().TypeText("0");
  Screen().KeyUp('0');
  Pump();
  std::vector<WPARAM> toMain, toPopup;
  for (auto& r : Of("main", WM_CHAR)) toMain.push_back(r.wParam);
  for (auto& r : Of("popup", WM_CHAR)) toPopup.push_back(r.wParam);
  EXPECT_EQ(toMain, (std::vector<WPARAM>{'6'}));
  EXPECT_EQ(toPopup, (std::vector<WPARAM>{'0'}));
}

TEST_F(InputTest, InputMethodResultComesAsCompositionAndThenAsCharBytes) {
  TestWnd* w = Top("w", CRect(0, 0, 100, 100));
  w->SetFocus();
  std::string result;
  w->hook = [&](UINT msg, WPARAM, LPARAM lp, LRESULT*) {
    if (msg == WM_IME_COMPOSITION && (lp & GCS_RESULTSTR)) {
      HIMC imc = ImmGetContext(w->m_hWnd);
      LONG n = ImmGetCompositionString(imc, GCS_RESULTSTR, nullptr, 0);
      result.resize(static_cast<size_t>(n));
      ImmGetCompositionString(imc, GCS_RESULTSTR, &result[0], static_cast<DWORD>(n));
      ImmReleaseContext(w->m_hWnd, imc);
    }
    return false;  // and leave it to the default: characters follow
  };
  Screen().CommitImeText("中国");
  Pump();
  EXPECT_EQ(result, std::string("中国"));
  std::vector<WPARAM> bytes;
  for (auto& r : Of("w", WM_CHAR)) bytes.push_back(r.wParam);
  EXPECT_EQ(bytes, (std::vector<WPARAM>{0xD6, 0xD0, 0xB9, 0xFA}));
}

TEST_F(InputTest, SetFocusMovesFocusWithKillAndSetFocusMessages) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* a = Child(top, "a", CRect(0, 0, 10, 10));
  TestWnd* b = Child(top, "b", CRect(20, 0, 30, 10));
  a->SetFocus();
  log_.clear();
  EXPECT_EQ(b->SetFocus(), a);
  EXPECT_EQ(CWnd::GetFocus(), b);
  auto kill = Of("a", WM_KILLFOCUS);
  ASSERT_EQ(kill.size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(kill[0].wParam), b->m_hWnd);
  EXPECT_EQ(Of("b", WM_SETFOCUS).size(), 1u);
  b->ShowWindow(SW_HIDE);
  EXPECT_EQ(CWnd::GetFocus(), top);
}

TEST_F(InputTest, ClickOnABackWindowActivatesAndRaisesIt) {
  TestWnd* a = Top("a", CRect(0, 0, 100, 100));
  TestWnd* b = Top("b", CRect(50, 0, 150, 100));
  EXPECT_EQ(CWnd::GetActiveWindow(), b);
  Pump();
  log_.clear();
  Screen().Click(Pt(10, 10));
  Pump();
  EXPECT_EQ(CWnd::GetActiveWindow(), a);
  EXPECT_EQ(GetTopWindow(nullptr), a->m_hWnd);
  auto act = Of("a", WM_ACTIVATE);
  ASSERT_EQ(act.size(), 1u);
  EXPECT_EQ(LOWORD(act[0].wParam), WA_CLICKACTIVE);
  EXPECT_EQ(LOWORD(Of("b", WM_ACTIVATE)[0].wParam), WA_INACTIVE);
}

TEST_F(InputTest, DisabledOwnerOfAModalWindowGetsNoClicks) {
  TestWnd* owner = Top("owner", CRect(0, 0, 100, 100));
  Top("dialog", CRect(200, 200, 300, 300), WS_POPUP | WS_VISIBLE, 0, owner);
  owner->EnableWindow(FALSE);
  Pump();
  Screen().Click(Pt(10, 10));
  Pump();
  EXPECT_TRUE(Clicked().empty());
}

TEST_F(InputTest, DisabledChildLetsTheParentHaveTheClick) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* c = Child(top, "c", CRect(0, 0, 50, 50));
  c->EnableWindow(FALSE);
  Pump();
  Screen().Click(Pt(10, 10));
  Pump();
  EXPECT_EQ(Clicked(), std::vector<std::string>{"top"});
}

TEST_F(InputTest, SetCursorAsksTheWindowUnderTheMouseAndShowsItsChoice) {
  TestWnd* top = Top("top", CRect(0, 0, 100, 100));
  TestWnd* link = Child(top, "link", CRect(0, 0, 50, 50));
  link->hook = [&](UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_SETCURSOR) return false;
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    *r = TRUE;
    return true;
  };
  Pump();
  Screen().MoveMouse(Pt(10, 10));
  Pump();
  EXPECT_EQ(Screen().CursorShape(), LoadCursor(nullptr, IDC_HAND));
  Screen().MoveMouse(Pt(80, 80));
  Pump();
  EXPECT_EQ(Screen().CursorShape(), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_EQ(Of("top", WM_SETCURSOR).size(), 1u);
}

TEST_F(InputTest, SetCursorPosMovesThePointerAndTellsTheWindowBeneath) {
  Top("w", CRect(0, 0, 100, 100));
  Pump();
  SetCursorPos(40, 30);
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(CPoint(p), CPoint(40, 30));
  Pump();
  EXPECT_EQ(Of("w", WM_MOUSEMOVE).size(), 1u);
}

}  // namespace
}  // namespace test
}  // namespace kiv
