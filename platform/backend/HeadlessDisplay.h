// The headless display: a virtual screen in memory. It is the display of
// every test and of a run without a screen. Top-level windows are composed
// on demand in z-order (with their regions and opacity), input is scripted,
// and the screen or one window can be saved as PNG.
//
// Scripted input is queued like real input and routed when the UI thread
// retrieves messages (kiv::PumpPendingMessages in tests). Call it on the UI
// thread.
#pragma once

#include <memory>
#include <string>

#include "platform/core/Display.h"

namespace kiv {
namespace gdi {
class Surface;
}

class HeadlessDisplay : public Display {
 public:
  // A screen of the given size whose work area stops taskBarHeight pixels
  // above the bottom.
  explicit HeadlessDisplay(CSize screen = CSize(1366, 768), int taskBarHeight = 40);

  CSize ScreenSize() const override { return screen_; }
  CRect WorkArea() const override;
  void SetCursorShape(HCURSOR cursor) override { cursor_ = cursor; }
  void WarpPointer(POINT) override {}

  // --- Scripted input (screen coordinates) ---------------------------------
  void MoveMouse(POINT screen);
  void PressButton(POINT screen, int button = 0);    // 0 left, 1 right, 2 middle
  void ReleaseButton(POINT screen, int button = 0);
  void Click(POINT screen, int button = 0);
  // Press at from, move in steps to to, release there.
  void Drag(POINT from, POINT to, int steps = 4);
  void Wheel(POINT screen, int delta);
  void KeyDown(UINT vk);
  void KeyUp(UINT vk);
  void PressKey(UINT vk);  // down and up
  // Typed text: one WM_CHAR per GBK byte.
  void TypeText(const std::string& gbk);
  // Text committed by an input method: WM_IME_COMPOSITION with the result.
  void CommitImeText(const std::string& gbk);

  // --- The picture -------------------------------------------------------------
  // The screen now: the desktop colour, the task bar, then every shown
  // top-level window from the bottom up.
  std::unique_ptr<gdi::Surface> ComposeScreen() const;
  COLORREF ScreenPixel(int x, int y) const;
  bool SaveScreenPng(const std::string& utf8Path) const;
  // The window's pixels as it would show them (its top-level backing store
  // part, clipped to its region); false for a dead handle.
  bool SaveWindowPng(HWND hwnd, const std::string& utf8Path) const;
  HCURSOR CursorShape() const { return cursor_; }

  static constexpr COLORREF kDesktopColor = RGB(0x20, 0x40, 0x60);
  static constexpr COLORREF kTaskBarColor = RGB(0x10, 0x10, 0x10);

 private:
  CSize screen_;
  int taskBarHeight_;
  HCURSOR cursor_ = nullptr;
};

// The current display when it is headless, else null.
HeadlessDisplay* Headless();

}  // namespace kiv
