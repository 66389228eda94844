// The tray icons on the screen: where they show, that each keeps its own
// picture, and that the pointer on them reaches the icon's window as its
// callback message.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sys/TrayIcon.h"
#include "platform/ui/TrayIconWindow.h"
#include "res/ResourceTables.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace kiv {
namespace test {
namespace {

constexpr UINT kTrayCallback = WM_USER + 0x64;
constexpr UINT kIconId = 1;
constexpr COLORREF kIconBlue = 0x10308A;  // icon 179's face

struct TrayCallback {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class TrayIconWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    ResetTrayForTesting();
    SetTrayMessageSink([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      callbacks_.push_back({window, message, wParam, lParam});
    });
    ui::ShowTrayIconsOnScreen();
  }
  void TearDown() override {
    ui::StopShowingTrayIcons();
    ResetTrayForTesting();
    WindowTest::TearDown();
  }
  // Adds an icon the way the main dialog does: loads it, hands it over and
  // destroys its own handle at once.
  bool AddIcon(HWND owner, UINT id, UINT iconResource) {
    NOTIFYICONDATAA data;
    data.hWnd = owner;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallback;
    data.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCE(iconResource));
    const BOOL added = Shell_NotifyIcon(NIM_ADD, &data);
    ::DestroyIcon(data.hIcon);
    return added == TRUE;
  }
  bool DeleteIcon(HWND owner, UINT id) {
    NOTIFYICONDATAA data;
    data.hWnd = owner;
    data.uID = id;
    return Shell_NotifyIcon(NIM_DELETE, &data) == TRUE;
  }
  std::vector<UINT> MouseMessages() const {
    std::vector<UINT> got;
    for (const TrayCallback& r : callbacks_) got.push_back(static_cast<UINT>(r.lParam));
    return got;
  }
  std::vector<TrayCallback> callbacks_;
};

TEST_F(TrayIconWindowTest, AnAddedIconShowsAtTheBottomRightWithItsOwnCopyOfThePicture) {
  EXPECT_TRUE(DisplayHasTray());
  TestWnd* dialog = Top("dialog", CRect(100, 100, 400, 350));
  ASSERT_TRUE(AddIcon(dialog->m_hWnd, kIconId, 179));
  ui::TrayIconWindow* icon = ui::TrayIconWindowOf(dialog->m_hWnd, kIconId);
  ASSERT_NE(icon, nullptr);
  Pump();
  CRect r;
  icon->GetWindowRect(&r);
  const CSize screen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(r, CRect(screen.cx - 32, screen.cy - 32, screen.cx, screen.cy));
  EXPECT_TRUE(::GetWindowLong(icon->m_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(::GetWindowLong(icon->m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  // The face of icon 179, though the dialog destroyed its handle.
  EXPECT_EQ(Screen().ScreenPixel(r.left + 4, r.CenterPoint().y), kIconBlue);
  // The dialog hidden, the icon stays: it is how the user gets it back.
  dialog->ShowWindow(SW_HIDE);
  Pump();
  EXPECT_TRUE(::IsWindowVisible(icon->m_hWnd));
  EXPECT_EQ(Screen().ScreenPixel(r.left + 4, r.CenterPoint().y), kIconBlue);
  // A second icon goes left of the first; deleting the first moves it over.
  ASSERT_TRUE(AddIcon(dialog->m_hWnd, kIconId + 1, 120));
  ui::TrayIconWindow* second = ui::TrayIconWindowOf(dialog->m_hWnd, kIconId + 1);
  ASSERT_NE(second, nullptr);
  CRect r2;
  second->GetWindowRect(&r2);
  EXPECT_EQ(r2, CRect(r.left - 32, r.top, r.left, r.bottom));
  EXPECT_TRUE(DeleteIcon(dialog->m_hWnd, kIconId));
  EXPECT_EQ(ui::TrayIconWindowOf(dialog->m_hWnd, kIconId), nullptr);
  second->GetWindowRect(&r2);
  EXPECT_EQ(r2, r);
}

TEST_F(TrayIconWindowTest, PointerEventsOnTheIconBecomeItsCallbackMessages) {
  TestWnd* dialog = Top("dialog", CRect(100, 100, 400, 350));
  TestWnd* other = Top("other", CRect(500, 100, 600, 200));
  other->SetActiveWindow();
  ASSERT_TRUE(AddIcon(dialog->m_hWnd, kIconId, 179));
  CRect r;
  ui::TrayIconWindowOf(dialog->m_hWnd, kIconId)->GetWindowRect(&r);
  const CPoint centre = r.CenterPoint();
  Screen().MoveMouse(centre);
  Pump();
  clock_.Advance(1000);
  Screen().Click(centre, 1);
  Pump();
  clock_.Advance(1000);
  Screen().Click(centre);
  Screen().Click(centre);  // at once: a double click
  Pump();
  const std::vector<UINT> expected = {WM_MOUSEMOVE,   WM_RBUTTONDOWN, WM_RBUTTONUP,     WM_LBUTTONDOWN,
                                      WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_LBUTTONUP};
  std::vector<UINT> got;
  for (UINT m : MouseMessages()) {
    if (m != WM_MOUSEMOVE || got.empty()) got.push_back(m);  // moves beyond the first may repeat
  }
  EXPECT_EQ(got, expected);
  for (const TrayCallback& c : callbacks_) {
    EXPECT_EQ(c.window, dialog->m_hWnd);
    EXPECT_EQ(c.message, kTrayCallback);
    EXPECT_EQ(c.wParam, kIconId);
  }
  // The icon never takes activation from the window that has it.
  EXPECT_EQ(::GetActiveWindow(), other->m_hWnd);
}

}  // namespace
}  // namespace test
}  // namespace kiv
