// The progress window's fixture: the window test's headless screen and
// virtual clock, the updater's resource table, the installation and its
// update server (UpdateRunSupport.h), and the window itself, made as the
// program makes it and destroyed before it goes. Pixels are read through
// the window's client coordinates; the bar images come from the table.
#pragma once

#include <memory>

#include "platform/gdi/DC.h"
#include "platform/ui/UiTypes.h"
#include "res/ResourceTables.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/updater/UpdateRunSupport.h"
#include "updater/KivUpdateDlg.h"
#include "updater/UpdaterIds.h"

namespace kiv::test {

class UpdateWindowFixture : public UpdateScene<WindowTest> {
 protected:
  void SetUp() override {
    UpdateScene<WindowTest>::SetUp();
    res::UseUpdaterResources();
  }
  void TearDown() override {
    CloseWindow();
    gdi::SetResourceTable(nullptr);
    UpdateScene<WindowTest>::TearDown();
  }

  // As the program opens it; prompts answered OK and Yes, and counted.
  CKivUpdateDlg& Open() {
    window_ = std::make_unique<CKivUpdateDlg>(Options());
    window_->SetPromptAnswerer([this](const UpdatePrompt& prompt) {
      ++promptsAnswered_;
      return prompt.countdown || (prompt.type & 0xF) != MB_YESNO ? IDOK : IDYES;
    });
    EXPECT_TRUE(window_->Create(kIddKivUpdate));
    return *window_;
  }
  // As the program ends: the window goes, then the worker is let finish
  // (its prompts are answered on this thread meanwhile) before the object,
  // the server and the folders it uses go.
  void CloseWindow() {
    if (window_ && ::IsWindow(window_->m_hWnd)) window_->DestroyWindow();
    if (window_) {
      EXPECT_TRUE(PumpUntil([&] { return !window_->RunStarted() || window_->RunEnded(); }, 60000));
    }
    window_.reset();
  }
  bool WindowAlive() const { return window_ && ::IsWindow(window_->m_hWnd); }

  COLORREF ClientPixel(int x, int y) {
    CPoint p(x, y);
    window_->ClientToScreen(&p);
    return Screen().ScreenPixel(p.x, p.y);
  }
  // A pixel of a bitmap of the table.
  static COLORREF SkinPixel(UINT id, int x, int y) {
    CBitmap skin;
    EXPECT_TRUE(skin.LoadBitmap(id));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&skin);
    const COLORREF pixel = dc.GetPixel(x, y);
    dc.SelectObject(old);
    return pixel;
  }
  // Whether the bar at `top` shows `filled` pixels of the filled image and
  // the empty image after them, on its middle row.
  ::testing::AssertionResult BarShows(int top, int filled) {
    const int row = 15;
    for (int x : {0, filled - 1, filled, kUpdateBarWidth - 1}) {
      if (x < 0 || x >= kUpdateBarWidth) continue;
      const UINT image = x < filled ? kIdbUpdateBarFull : kIdbUpdateBarEmpty;
      const COLORREF want = SkinPixel(image, x, row);
      const COLORREF got = ClientPixel(kUpdateBarLeft + x, top + row);
      if (got != want) {
        return ::testing::AssertionFailure() << "x " << x << ": 0x" << std::hex << got << " instead of 0x" << want;
      }
    }
    return ::testing::AssertionSuccess();
  }

  std::unique_ptr<CKivUpdateDlg> window_;
  int promptsAnswered_ = 0;  // UI thread
};

}  // namespace kiv::test
