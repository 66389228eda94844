// The SDL2 display for real: a private Xvfb server (tests/support's
// XvfbScreen), a window with Chinese text on it, and the X screen read back;
// input given through the X server reaches the window as messages. Skipped
// only when Xvfb or its tools are not installed.
#include <SDL.h>

#include <cstring>

#include "platform/gdi/Rgn.h"

#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/FakeXInput.h"
#include "tests/support/XvfbScreen.h"

namespace kiv {
namespace test {
namespace {

class TextWnd : public CWnd {
 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, RGB(0x1A, 0x1A, 0x1A));
    LOGFONT lf;
    lf.lfHeight = -32;
    std::strcpy(lf.lfFaceName, "宋体");
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* old = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.TextOut(10, 10, std::string("中文行情"));
    dc.SelectObject(old);
  }
};

class SdlDisplayTest : public WindowTest {
 protected:
  void TearDown() override {
    screen_.Close();  // the SDL display goes before its server
    WindowTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(SdlDisplayTest, ClicksKeysAndTextFromTheXServerBecomeMessages) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  FakeXInput input;
  if (!input.Open(screen_.Display())) GTEST_SKIP() << "no XTEST";
  TestWnd* w = Top("w", CRect(100, 80, 400, 160));
  w->fill = RGB(0x1A, 0x1A, 0x1A);
  PumpPendingMessages();
  input.Move(150, 100);
  input.Click(1);
  EXPECT_TRUE(PumpUntil([&] { return !Of("w", WM_LBUTTONUP).empty(); }));
  auto down = Of("w", WM_LBUTTONDOWN);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(down[0].lParam), 50);
  EXPECT_EQ(GET_Y_LPARAM(down[0].lParam), 20);
  w->SetFocus();
  input.Key(0xFFC2);  // F5
  input.Key('a');
  EXPECT_TRUE(PumpUntil([&] { return !Of("w", WM_CHAR).empty(); }));
  bool f5 = false, a = false;
  for (auto& r : Of("w", WM_KEYDOWN)) {
    f5 = f5 || r.wParam == VK_F5;
    a = a || r.wParam == 'A';
  }
  EXPECT_TRUE(f5);
  EXPECT_TRUE(a);
  EXPECT_EQ(Of("w", WM_CHAR)[0].wParam, static_cast<WPARAM>('a'));
  // A warp moves the X pointer and reports a move in the window.
  log_.clear();
  SetCursorPos(300, 150);
  EXPECT_EQ(input.Pointer(), CPoint(300, 150));
  EXPECT_TRUE(PumpUntil([&] {
    for (auto& r : Of("w", WM_MOUSEMOVE)) {
      if (GET_X_LPARAM(r.lParam) == 200 && GET_Y_LPARAM(r.lParam) == 70) return true;
    }
    return false;
  }));
}

TEST_F(SdlDisplayTest, GetCursorPosFollowsThePointerOutsideEveryWindow) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  FakeXInput input;
  if (!input.Open(screen_.Display())) GTEST_SKIP() << "no XTEST";
  TestWnd* w = Top("w", CRect(100, 80, 400, 160));
  w->fill = RGB(0x1A, 0x1A, 0x1A);
  PumpPendingMessages();
  auto cursorAt = [](CPoint expected) {
    return [expected] {
      POINT p;
      return GetCursorPos(&p) && CPoint(p) == expected;
    };
  };
  input.Move(150, 100);
  EXPECT_TRUE(PumpUntil([&] { return !Of("w", WM_MOUSEMOVE).empty(); }));
  EXPECT_TRUE(PumpUntil(cursorAt(CPoint(150, 100))));
  // Out there no window of ours hears of the pointer; a window polling
  // GetCursorPos on a timer still learns that it has gone.
  input.Move(600, 500);
  EXPECT_TRUE(PumpUntil(cursorAt(CPoint(600, 500))));
  input.Move(20, 30);
  EXPECT_TRUE(PumpUntil(cursorAt(CPoint(20, 30))));
}

TEST_F(SdlDisplayTest, ShowsAWindowWithChineseTextOnARealXServer) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);

  ScopedWindow<TextWnd> w;
  ASSERT_TRUE(w.CreateEx(0, "TextWnd", "中文", WS_POPUP | WS_VISIBLE, CRect(100, 80, 400, 160), nullptr, 0));
  // White pixels inside and outside the text's box.
  auto brightIn = [](const Screenshot& shot, bool insideText) {
    int count = 0;
    for (int y = 80; y < 160; ++y) {
      for (int x = 100; x < 400; ++x) {
        const COLORREF c = shot.Pixel(x, y);
        if (GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200) {
          const bool inText = x >= 110 && x < 110 + 4 * 40 && y >= 90 && y < 90 + 45;
          count += inText == insideText ? 1 : 0;
        }
      }
    }
    return count;
  };
  auto shown = [&](const Screenshot& s) {
    return s.Pixel(100 + 280, 80 + 70) == RGB(0x1A, 0x1A, 0x1A) && brightIn(s, true) > 200;
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(shown, &shot, "sdl-display-test"));
  EXPECT_EQ(shot.Pixel(100 + 280, 80 + 70), RGB(0x1A, 0x1A, 0x1A));
  EXPECT_GT(brightIn(shot, true), 200);  // four CJK glyphs, 32 pixels high, in white
  EXPECT_EQ(brightIn(shot, false), 0);
  EXPECT_EQ(shot.Pixel(50, 50), RGB(0, 0, 0));  // the root window around it
}

TEST_F(SdlDisplayTest, AWindowsRegionIsItsShapeOnTheScreen) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  constexpr COLORREF kUnder = RGB(0x20, 0x80, 0x20);
  constexpr COLORREF kOver = RGB(0xC0, 0x30, 0x30);
  TestWnd* under = Top("under", CRect(150, 100, 400, 300));
  under->fill = kUnder;
  TestWnd* shaped = Top("shaped", CRect(100, 100, 300, 300));
  shaped->fill = kOver;
  // The left half, and a round corner cut from its top-left, which lies
  // over the root window.
  CRgn region, cut, round;
  region.CreateRectRgn(0, 0, 100, 200);
  cut.CreateRectRgn(0, 0, 20, 20);
  round.CreateEllipticRgn(0, 0, 40, 40);
  cut.CombineRgn(&cut, &round, RGN_DIFF);
  region.CombineRgn(&region, &cut, RGN_DIFF);
  shaped->SetWindowRgn(region, TRUE);
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return s.Pixel(150, 200) == kOver && s.Pixel(250, 200) == kUnder && s.Pixel(100, 100) == RGB(0, 0, 0);
      },
      &shot, "sdl-region"));
  EXPECT_EQ(shot.Pixel(150, 200), kOver);   // inside the region
  EXPECT_EQ(shot.Pixel(250, 200), kUnder);  // outside: the window beneath
  EXPECT_EQ(shot.Pixel(100, 100), RGB(0, 0, 0)) << "the cut corner shows the root window";

  // Outside the region the pointer reaches the window beneath.
  FakeXInput input;
  if (input.Open(screen_.Display())) {
    input.Move(250, 200);
    input.Click(1);
    EXPECT_TRUE(PumpUntil([&] { return !Of("under", WM_LBUTTONUP).empty(); }));
    EXPECT_TRUE(Of("shaped", WM_LBUTTONDOWN).empty());
  }

  // Without its region the whole window shows again (over the window
  // beneath, which the click brought to the top: raise it first).
  shaped->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  shaped->SetWindowRgn(nullptr, TRUE);
  EXPECT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return s.Pixel(250, 200) == kOver; }, &shot,
                                 "sdl-region-removed"));
}

TEST_F(SdlDisplayTest, TopmostAfterCreationAndAMinimisedWindowReachTheScreenWindow) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  TestWnd* w = Top("w", CRect(100, 80, 400, 160), WS_POPUP | WS_VISIBLE | WS_SYSMENU);
  w->fill = RGB(0x1A, 0x1A, 0x1A);
  PumpPendingMessages();
  auto& sdl = static_cast<SdlDisplay&>(CurrentDisplay());
  SDL_Window* window = sdl.WindowOf(w->m_hWnd);
  ASSERT_NE(window, nullptr);
  auto onTop = [&] { return (SDL_GetWindowFlags(window) & SDL_WINDOW_ALWAYS_ON_TOP) != 0; };
  EXPECT_FALSE(onTop());
  ::SetWindowPos(w->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(onTop());
  ::SetWindowPos(w->m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(onTop());

  // Minimised, the window keeps its screen window (iconified), and the
  // desktop's restore reaches it as the restore command.
  w->ShowWindow(SW_MINIMIZE);
  PumpPendingMessages();
  EXPECT_EQ(sdl.WindowOf(w->m_hWnd), window);
  log_.clear();
  SDL_Event restored;
  std::memset(&restored, 0, sizeof restored);
  restored.type = SDL_WINDOWEVENT;
  restored.window.event = SDL_WINDOWEVENT_RESTORED;
  restored.window.windowID = SDL_GetWindowID(window);
  SDL_PushEvent(&restored);
  EXPECT_TRUE(PumpUntil([&] { return !::IsIconic(w->m_hWnd); }));
  const auto commands = Of("w", WM_SYSCOMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, static_cast<WPARAM>(SC_RESTORE));
  EXPECT_EQ(sdl.WindowOf(w->m_hWnd), window);
  // Once shown again, another restore from the desktop says nothing.
  log_.clear();
  SDL_PushEvent(&restored);
  PumpPendingMessages();
  sdl.PollEvents();
  PumpPendingMessages();
  EXPECT_TRUE(Of("w", WM_SYSCOMMAND).empty());
  // Hidden, it loses its screen window.
  w->ShowWindow(SW_HIDE);
  EXPECT_EQ(sdl.WindowOf(w->m_hWnd), nullptr);
}

}  // namespace
}  // namespace test
}  // namespace kiv
