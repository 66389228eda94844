// The fixture of the rich tooltip's window tests: the shell's headless
// screen and virtual clock, a host window with its two buttons, and the
// pointer moves that bring the tooltip up.
#pragma once

#include <memory>

#include "shell/PPToolTip.h"
#include "tests/shell/PPToolTipHost.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {

class ToolTipFixture : public ShellWindowTest {
 protected:
  void TearDown() override {
    host_.reset();  // its destructor destroys the tooltip's window, then its own
    ShellWindowTest::TearDown();
  }

  ToolTipHost& OpenHost(const CRect& rect = CRect(100, 100, 600, 400), const CRect& enlarge = CRect(20, 20, 80, 44),
                        const CRect& restore = CRect(100, 20, 160, 44), DWORD exStyle = 0) {
    host_ = std::make_unique<ToolTipHost>();
    EXPECT_TRUE(host_->Open(rect, enlarge, restore, exStyle));
    Pump();
    return *host_;
  }
  // A host whose tooltip has only what the test gives it.
  CPPToolTip& OpenBareTooltip(const CRect& rect = CRect(100, 100, 600, 400),
                              const CRect& enlarge = CRect(20, 20, 80, 44),
                              const CRect& restore = CRect(100, 20, 160, 44)) {
    ToolTipHost& host = OpenHost(rect, enlarge, restore);
    EXPECT_TRUE(host.tooltip.Create(&host, TRUE));
    return host.tooltip;
  }
  CPPToolTip& Tip() { return host_->tooltip; }

  // A point of a control, on the screen.
  static CPoint On(CWnd& control, int x, int y) {
    CPoint p(x, y);
    control.ClientToScreen(&p);
    return p;
  }
  void MoveTo(CPoint screen) {
    Screen().MoveMouse(screen);
    Pump();
  }
  void Wait(UINT ms) {
    clock_.Advance(ms);
    Pump();
  }
  // The pointer comes to p and rests there for the initial delay.
  void RestOn(CPoint p) {
    MoveTo(p);
    Wait(500);
  }
  bool TipShown() { return ::IsWindowVisible(Tip().m_hWnd) != FALSE; }
  CRect TipRect() {
    CRect r;
    Tip().GetWindowRect(&r);
    return r;
  }
  // A pixel of the tooltip window, on the composed screen.
  COLORREF TipPixel(int x, int y) {
    const CRect r = TipRect();
    return Screen().ScreenPixel(r.left + x, r.top + y);
  }
  // A font whose lines are exactly `height` pixels high.
  static LOGFONT FontOfHeight(int height) {
    LOGFONT font;
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    return font;
  }

  std::unique_ptr<ToolTipHost> host_;
};

}  // namespace kiv::test
