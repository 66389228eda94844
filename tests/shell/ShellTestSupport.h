// Shared fixture of the shell's tests: a fresh headless screen and virtual
// clock (WindowTest), the terminal's resource table and the written theme.
#pragma once

#include <gtest/gtest.h>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/SkinPixels.h"

namespace kiv::test {

class ShellWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    WriteUiTheme();
  }

  // The window's client point on the composed screen.
  COLORREF ClientPixel(CWnd& wnd, int x, int y) {
    CPoint p(x, y);
    wnd.ClientToScreen(&p);
    return Screen().ScreenPixel(p.x, p.y);
  }
};

}  // namespace kiv::test
