// The main dialog's construction and layout: the compact panel, the
// maximised terminal, the alert slots of the work area, the window property
// and the single-instance channel served while the window lives.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/sys/ProfileFile.h"
#include "platform/sys/SingleInstance.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivDesk_Title.h"
#include "shell/KivDesk_Wnd_HeadPhoto.h"
#include "shell/KivDesk_Wnd_ServerAddr.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivDesk_Wnd_Tab2.h"
#include "shell/KivDesk_Wnd_Toolbar.h"
#include "tests/shell/desk/DeskTestSupport.h"
#include "tests/support/SkinPixels.h"

namespace kiv::test {
namespace {

using DeskLayoutTest = DeskTest;

CRect WindowRectOf(CWnd& wnd) {
  CRect rect;
  wnd.GetWindowRect(&rect);
  return rect;
}

TEST_F(DeskLayoutTest, OpensAsTheCompactPanelWithTheWatchListAndBothStrips) {
  CRYKIVDeskDlg& dlg = Open();
  const CRect window = WindowRectOf(dlg);
  EXPECT_EQ(window.Width(), 300);
  EXPECT_EQ(window.Height(), 250);
  EXPECT_EQ(dlg.WndState(), 1);
  EXPECT_EQ(dlg.GetProp(kInstanceProperty), reinterpret_cast<HANDLE>(1));
  std::string text;
  dlg.GetWindowText(text);
  EXPECT_EQ(text, kMainWindowText);
  EXPECT_EQ(ShownPages(), std::vector<int>({kPageWatchList}));
  ASSERT_NE(dlg.Tab(), nullptr);
  EXPECT_TRUE(dlg.Tab()->IsWindowVisible());
  // The second strip is hidden on the watch-list page.
  EXPECT_FALSE(dlg.Tab2()->IsWindowVisible());
  for (int slot = 0; slot < kPageButtonSlots; ++slot) {
    if (CKivDesk_Button* button = dlg.PageButton(slot)) {
      EXPECT_FALSE(button->IsWindowVisible()) << slot;
    }
  }
  EXPECT_EQ(dlg.PageButton(8), nullptr);  // no button 162
  // The watch list: the small list font, compact placement below the strip.
  EXPECT_EQ(Calls("watchlist", "SetFontIndirect"), std::vector<int64_t>({UiTheme().lfSmall.lfHeight}));
  StandInDeskPage* list = StandIn(kPageWatchList);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->LastMode(), 1);
  EXPECT_EQ(list->LastRect().top, dlg.TitleHeight() + dlg.TabHeight() - 1);
  EXPECT_EQ(list->LastRect().left, 0);
  // The side dialog stands right below, as large as the panel.
  ASSERT_NE(dlg.StockDlg(), nullptr);
  EXPECT_TRUE(dlg.StockDlg()->IsShown());
  const CRect side = WindowRectOf(dlg.StockDlg()->Window());
  EXPECT_EQ(side, CRect(window.left, window.bottom + 1, window.right, window.bottom + 1 + 250));
  // The stock-table window is made hidden; the tray icon is recorded.
  ASSERT_NE(dlg.MarketWindow(), nullptr);
  EXPECT_FALSE(dlg.MarketWindow()->Window().IsWindowVisible());
  EXPECT_EQ(dlg.MarketWindow()->Window().GetDlgCtrlID(), 175);
  ASSERT_EQ(TrayIcons().size(), 1u);
  EXPECT_EQ(TrayIcons()[0].id, kTrayIconId);
  EXPECT_EQ(TrayIcons()[0].callbackMessage, WM_KIV_TRAY);
}

TEST_F(DeskLayoutTest, MaximisedShowsEightButtonsNoStripsAndTheListRightOfTheColumn) {
  CRYKIVDeskDlg& dlg = Open();
  // The compact panel's picture, on a grid, to compare after the restore.
  auto compactPicture = [&] {
    std::vector<COLORREF> pixels;
    const std::unique_ptr<gdi::Surface> screen = Screen().ComposeScreen();
    CRect client;
    dlg.GetClientRect(&client);
    for (int y = 1; y < client.bottom; y += 3) {
      for (int x = 1; x < client.right; x += 3) {
        CPoint p(x, y);
        dlg.ClientToScreen(&p);
        pixels.push_back(screen->PixelAt(p.x, p.y));
      }
    }
    return pixels;
  };
  const std::vector<COLORREF> compact = compactPicture();
  Maximise();
  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(dlg.WndState(), 2);
  EXPECT_EQ(WindowRectOf(dlg), work);
  int visible = 0;
  for (int slot = 0; slot < kPageButtonSlots; ++slot) {
    CKivDesk_Button* button = dlg.PageButton(slot);
    if (button && button->IsWindowVisible()) ++visible;
  }
  EXPECT_EQ(visible, 8);
  EXPECT_FALSE(dlg.PageButton(kIdcRobotPageButton - kIdcFirstPageButton)->IsWindowVisible());
  EXPECT_FALSE(dlg.Tab()->IsWindowVisible());
  EXPECT_FALSE(dlg.Tab2()->IsWindowVisible());
  EXPECT_FALSE(dlg.StockDlg()->IsShown());
  StandInDeskPage* list = StandIn(kPageWatchList);
  EXPECT_EQ(list->LastMode(), 2);
  EXPECT_EQ(list->LastRect().left, dlg.ButtonColumnWidth() + 1);
  EXPECT_EQ(list->LastRect().top, dlg.TitleHeight());
  EXPECT_TRUE(dlg.Title()->IsMaximized());
  // On screen: the empty page in the theme's background right of the column.
  Pump();
  const CRect page = list->LastRect();
  EXPECT_EQ(ClientPixel(dlg, page.CenterPoint().x, page.CenterPoint().y), UiTheme().clrBack);
  // Every shown page button in its skin, the first one lit.
  for (int slot : {0, 1, 2, 7}) {
    CKivDesk_Button* button = dlg.PageButton(slot);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(ClientPixel(*button, 2, 2), SkinPixel(slot == 0 ? 144 : (slot == 1 ? 319 : (slot == 2 ? 134 : 238)), 2, 2))
        << "slot " << slot;
  }

  // The head photo fills the column between the title and the first
  // button; the server strip holds the column's bottom 30 pixels.
  CRect client;
  dlg.GetClientRect(&client);
  ASSERT_NE(dlg.HeadPhoto(), nullptr);
  ASSERT_NE(dlg.ServerAddr(), nullptr);
  CRect photo = WindowRectOf(*dlg.HeadPhoto());
  dlg.ScreenToClient(&photo);
  CRect first = WindowRectOf(*dlg.PageButton(0));
  dlg.ScreenToClient(&first);
  EXPECT_EQ(photo.top, dlg.TitleHeight());
  EXPECT_EQ(photo.bottom, first.top);
  CRect strip = WindowRectOf(*dlg.ServerAddr());
  dlg.ScreenToClient(&strip);
  EXPECT_EQ(strip.bottom, client.bottom);
  EXPECT_EQ(strip.Height(), 30);
  EXPECT_TRUE(dlg.ServerAddr()->IsWindowVisible());
  // The status toolbar spans the row below the page, right of the column.
  CRect ticker = WindowRectOf(*dlg.ToolBar());
  dlg.ScreenToClient(&ticker);
  EXPECT_EQ(ticker.bottom, client.bottom);
  EXPECT_EQ(ticker.top, list->LastRect().bottom + 1);
  EXPECT_EQ(ticker.left, dlg.ButtonColumnWidth() + 1);

  // Restore: the compact panel where it was, the side dialog back below.
  dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_EQ(dlg.WndState(), 1);
  EXPECT_EQ(WindowRectOf(dlg).Size(), CSize(300, 250));
  EXPECT_TRUE(dlg.StockDlg()->IsShown());
  EXPECT_FALSE(dlg.ServerAddr()->IsWindowVisible());
  EXPECT_FALSE(dlg.HeadPhoto()->IsWindowVisible());
  // The panel looks as it did: nothing of the maximised column is left over.
  EXPECT_EQ(compactPicture(), compact);
}

TEST_F(DeskLayoutTest, PlacementMaximizeOpensCompactThenMaximises) {
  ::WritePrivateProfileString(kInterfaceSection, kPlacementKey, kPlacementMaximize, IniPath().c_str());
  dialog_ = std::make_unique<CRYKIVDeskDlg>();
  ASSERT_TRUE(dialog_->Create());
  // Before the posted command is handled the panel is compact.
  EXPECT_EQ(WindowRectOf(*dialog_).Size(), CSize(300, 250));
  EXPECT_EQ(dialog_->WndState(), 1);
  Pump();
  EXPECT_EQ(dialog_->WndState(), 2);
  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(WindowRectOf(*dialog_), work);
}

TEST_F(DeskLayoutTest, TheWorkAreaGivesOneAlertSlotPer130Pixels) {
  // The headless screen is 1366 x 768 with a 40-pixel task bar: 728 / 130.
  CRYKIVDeskDlg& dlg = Open();
  EXPECT_EQ(dlg.AlertSlotCount(), 5);
}

TEST_F(DeskLayoutTest, ThePropertyAndTheInstanceChannelLiveWithTheWindow) {
  // A short folder: socket paths are bounded.
  const std::string folder = "/tmp/kivdesk-test-" + std::to_string(::getpid());
  SingleInstance instance("KivDeskTest", folder);
  ASSERT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
  DeskEnvironment environment = GetDeskEnvironment();
  environment.instance = &instance;
  SetDeskEnvironment(environment);
  // Before the window exists a second start is refused.
  EXPECT_EQ(SendRaiseToInstance("KivDeskTest", folder), InstanceSendResult::kRefused);
  CRYKIVDeskDlg& dlg = Open();
  EXPECT_EQ(SendRaiseToInstance("KivDeskTest", folder), InstanceSendResult::kDelivered);
  EXPECT_EQ(SendCopyDataToInstance("KivDeskTest", "16777217", folder),
            InstanceSendResult::kDelivered);
  ASSERT_TRUE(WaitUntil(
      [&] {
        Pump();
        return dlg.KLineView() != nullptr || !Calls("side", "OpenStock").empty();
      },
      std::chrono::seconds(10)));
  EXPECT_EQ(Calls("side", "OpenStock"), std::vector<int64_t>({0x01000001}));
  // A second start brings the window back from the tray.
  Post(WM_KIV_TO_TRAY);
  ASSERT_FALSE(dlg.IsWindowVisible());
  EXPECT_EQ(SendRaiseToInstance("KivDeskTest", folder), InstanceSendResult::kDelivered);
  ASSERT_TRUE(WaitUntil(
      [&] {
        Pump();
        return dlg.IsWindowVisible() != FALSE;
      },
      std::chrono::seconds(10)));
  EXPECT_FALSE(dlg.IsMinimized());
  EXPECT_EQ(CWnd::GetActiveWindow(), &dlg);
  const HWND hwnd = dlg.m_hWnd;
  dlg.DestroyWindow();
  EXPECT_EQ(::GetProp(hwnd, kInstanceProperty), nullptr);
  EXPECT_EQ(SendRaiseToInstance("KivDeskTest", folder), InstanceSendResult::kRefused);
}

}  // namespace
}  // namespace kiv::test
