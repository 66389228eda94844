// What the tab strips' tests share: a headless screen with the terminal's
// resource table and the theme's fonts, a parent window that logs what it
// is posted, and the strips' pixels and skins read back.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Resources.h"
#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivDesk_Wnd_Tab2.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {

// The main window's strips: ids, window names and row height.
constexpr UINT kMainTabId = 540;
constexpr UINT kPoolTabId = 542;
constexpr int kTextTabHeight = 24;

class TabStripTest : public WindowTest {
 protected:
  // The parent spans the whole width of the headless screen (1366).
  static constexpr int kParentLeft = 0;
  static constexpr int kParentTop = 100;

  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    InitUiFonts(UiTheme().Fonts());
    parent_ = Top("parent", CRect(kParentLeft, kParentTop, kParentLeft + 1366, kParentTop + 200));
  }

  // The main window's skinned strip (text-sized, no pass-through), or one
  // with other settings, created on the parent at (0, 0).
  static constexpr COLORREF kPanelSelectedText = 0xE0A000;
  void CreateTab(CKivDesk_Wnd_Tab& strip, int width, UINT id = kMainTabId) {
    ASSERT_TRUE(strip.Create(nullptr, "CKivDesk_Tab_Small", WS_CHILD | WS_VISIBLE,
                             CRect(0, 0, width, FaceHeight()), parent_, id));
  }
  void CreateTab2(CKivDesk_Wnd_Tab2& strip, int width) {
    ASSERT_TRUE(strip.Create(nullptr, "CKivDesk_Wnd_PoolFull", WS_CHILD | WS_VISIBLE,
                             CRect(0, 0, width, kTextTabHeight), parent_, kPoolTabId));
  }
  static void SetItems(CKivDesk_Wnd_Tab& strip, const std::vector<const char*>& texts) {
    strip.SetItemCount(static_cast<int>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) strip.SetItemText(static_cast<int>(i), texts[i]);
  }
  static void SetItems(CKivDesk_Wnd_Tab2& strip, const std::vector<const char*>& texts) {
    strip.SetItemCount(static_cast<int>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) strip.SetItemText(static_cast<int>(i), texts[i]);
  }

  // A skin pixel as the terminal's table draws it.
  static COLORREF SkinPixel(UINT id, int x, int y) {
    CBitmap skin;
    EXPECT_TRUE(skin.LoadBitmap(id)) << id;
    return skin.GetSurface() ? skin.GetSurface()->PixelAt(x, y) : CLR_INVALID;
  }
  static int FaceHeight() { return static_cast<int>(kiv::gdi::ResourceBitmapSize(kIdbTabNormal).cy); }
  static int SeparatorWidth() { return static_cast<int>(kiv::gdi::ResourceBitmapSize(kIdbTabSeparator).cx); }
  // The width of a caption in the theme's small list font.
  static int CaptionWidth(const char* text) {
    CFont font;
    font.CreateFontIndirect(&UiTheme().lfSmall);
    CDC measure;
    measure.SelectObject(&font);
    return measure.GetTextExtent(text).cx;
  }

  static CPoint OnScreen(CWnd& strip, CPoint client) {
    strip.ClientToScreen(&client);
    return client;
  }
  // Handles what is ready (and forgets the screen read before).
  int Pump() {
    shot_.reset();
    return WindowTest::Pump();
  }
  // The screen is composed once after each Pump and read from then on.
  COLORREF StripPixel(CWnd& strip, int x, int y) {
    if (!shot_) shot_ = Screen().ComposeScreen();
    const CPoint p = OnScreen(strip, CPoint(x, y));
    return shot_->PixelAt(p.x, p.y);
  }
  // How many pixels of the rectangle (strip client coordinates) have the
  // colour exactly.
  int CountColour(CWnd& strip, const CRect& rect, COLORREF colour) {
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) n += StripPixel(strip, x, y) == colour ? 1 : 0;
    }
    return n;
  }
  static CRect ItemRect(CKivDesk_Wnd_Tab& strip, int index) {
    CRect r;
    EXPECT_TRUE(strip.GetItemRect(index, &r)) << index;
    return r;
  }
  static CRect ItemRect(CKivDesk_Wnd_Tab2& strip, int index) {
    CRect r;
    EXPECT_TRUE(strip.GetItemRect(index, &r)) << index;
    return r;
  }
  // One click, far enough in (virtual) time from the one before that it
  // never makes a double-click.
  void Click(CWnd& strip, CPoint client) {
    clock_.Advance(1000);
    Screen().Click(OnScreen(strip, client));
    Pump();
  }
  // The indexes the parent was posted, in order, with the control id each
  // came with.
  std::vector<std::pair<WPARAM, LPARAM>> Selections() const {
    std::vector<std::pair<WPARAM, LPARAM>> got;
    for (const Received& r : Of("parent", WM_KIV_SELECT)) got.emplace_back(r.wParam, r.lParam);
    return got;
  }

  TestWnd* parent_ = nullptr;

 private:
  std::unique_ptr<gdi::Surface> shot_;
};

}  // namespace test
}  // namespace kiv
