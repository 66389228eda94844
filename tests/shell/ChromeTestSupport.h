// Shared fixture of the main window's chrome tests: the shell's fixture
// (headless screen, virtual clock, the terminal's table and theme) and a
// picture of the screen composed once, for checks that read many pixels.
#pragma once

#include <memory>

#include "platform/backend/HeadlessDisplay.h"
#include "platform/gdi/Surface.h"
#include "tests/shell/ShellTestSupport.h"

namespace kiv::test {

class ChromeWindowTest : public ShellWindowTest {
 protected:
  // The composed screen now; read it with ShotPixel.
  std::unique_ptr<gdi::Surface> Shot() { return Screen().ComposeScreen(); }
  static COLORREF ShotPixel(const gdi::Surface& shot, CWnd& wnd, int x, int y) {
    CPoint p(x, y);
    wnd.ClientToScreen(&p);
    return shot.PixelAt(p.x, p.y);
  }
  // Whether any pixel of the client rectangle differs from `background`.
  static bool HasInk(const gdi::Surface& shot, CWnd& wnd, const CRect& area, COLORREF background) {
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (ShotPixel(shot, wnd, x, y) != background) return true;
      }
    }
    return false;
  }
};

}  // namespace kiv::test
