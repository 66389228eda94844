// Shared fixture of the shell's tests: a fresh headless screen and virtual
// clock (WindowTest), the terminal's resource table and the written theme.
#pragma once

#include <gtest/gtest.h>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv::test {

class ShellWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    WriteUiTheme();
  }

  // A pixel of skin `id` as the resource table draws it.
  static COLORREF SkinPixel(UINT id, int x, int y) {
    CBitmap skin;
    if (!skin.LoadBitmap(id)) return CLR_INVALID;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&skin);
    COLORREF pixel = dc.GetPixel(x, y);
    dc.SelectObject(old);
    return pixel;
  }
  static CSize SkinSize(UINT id) {
    CBitmap skin;
    return skin.LoadBitmap(id) ? skin.GetSize() : CSize(0, 0);
  }
  // The window's client point on the composed screen.
  COLORREF ClientPixel(CWnd& wnd, int x, int y) {
    CPoint p(x, y);
    wnd.ClientToScreen(&p);
    return Screen().ScreenPixel(p.x, p.y);
  }
};

}  // namespace kiv::test
