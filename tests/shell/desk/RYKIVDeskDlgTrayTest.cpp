// The main dialog's tray icon and menu, the monitor window, the alert
// pop-ups, the forced logout, the manuals and the exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/backend/HeadlessDisplay.h"
#include "platform/core/Display.h"
#include "platform/core/MessageLoop.h"
#include "platform/sys/Files.h"
#include "platform/sys/ProfileFile.h"
#include "platform/sys/Shell.h"
#include "shell/KivDesk_Dlg_Msg.h"
#include "shell/KivDesk_Dlg_Tip.h"
#include "shell/Kiv_Dlg_About.h"
#include "shell/MZSMDlg.h"
#include "shell/ModifyPwdDlg.h"
#include "shell/notice/KivUpWarnDlg.h"
#include "tests/shell/ModalDriver.h"
#include "tests/shell/desk/DeskTestSupport.h"

namespace kiv::test {
namespace {

class DeskTrayTest : public DeskTest {
 protected:
  void Tray(UINT mouseMessage) {
    ASSERT_TRUE(TrayIconEvent(dialog_->m_hWnd, kTrayIconId, mouseMessage));
    Pump();
    Pump();
  }
  std::string Ini(const char* key) {
    char value[64] = {};
    ::GetPrivateProfileString(kInterfaceSection, key, "<absent>", value, sizeof value, IniPath().c_str());
    return value;
  }
  void Alert(StockId stock, AlertSignalFlags flags = 0x1) {
    auto alert = std::make_unique<WatchAlert>();
    alert->stock = stock;
    std::snprintf(alert->name, sizeof alert->name, "%s", "测试");
    PostOwned(dialog_->m_hWnd, WM_KIV_SHOW_ALERT, std::move(alert), static_cast<LPARAM>(flags));
    Pump();
  }
  int AlertCount() {
    int count = 0;
    for (int slot = 0; slot < dialog_->AlertSlotCount(); ++slot) {
      if (dialog_->AlertInSlot(slot)) ++count;
    }
    return count;
  }
  static bool Has(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
  }
};

TEST_F(DeskTrayTest, TheMenuFollowsTheWindowsState) {
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  Tray(WM_RBUTTONDOWN);
  ASSERT_EQ(menus_.size(), 1u);
  EXPECT_TRUE(Has(menus_[0], kTrayToTray));
  EXPECT_FALSE(Has(menus_[0], kTrayShow));
  EXPECT_TRUE(Has(menus_[0], std::string(kTrayMonitor) + "(v)"));
  EXPECT_TRUE(Has(menus_[0], std::string(kTrayNotices) + "(v)"));
  EXPECT_TRUE(Has(menus_[0], kTrayMonitorAlways));
  EXPECT_TRUE(Has(menus_[0], kTrayExit));
  // To the tray from the menu, then back with the menu's first item.
  menuAnswer_ = kTrayMenuToTray;
  Tray(WM_RBUTTONDOWN);
  EXPECT_TRUE(dlg.IsMinimized());
  EXPECT_FALSE(dlg.IsWindowVisible());
  menuAnswer_ = kTrayMenuShow;
  Tray(WM_RBUTTONDOWN);
  EXPECT_TRUE(Has(menus_.back(), kTrayShow));
  EXPECT_FALSE(Has(menus_.back(), kTrayToTray));
  Pump();
  EXPECT_FALSE(dlg.IsMinimized());
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_EQ(dlg.WndState(), 2);  // it comes back maximised
  CRect work;
  CRect window;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  dlg.GetWindowRect(&window);
  EXPECT_EQ(window, work);
}

TEST_F(DeskTrayTest, ToTrayAndBackWithALeftClick) {
  CRYKIVDeskDlg& dlg = Open();
  CRect before;
  dlg.GetWindowRect(&before);
  Post(WM_KIV_TO_TRAY);
  EXPECT_TRUE(dlg.IsMinimized());
  EXPECT_FALSE(dlg.IsWindowVisible());
  EXPECT_FALSE(dlg.StockDlg()->IsShown());
  ASSERT_EQ(TrayIcons().size(), 1u);  // the icon stays to bring it back
  Tray(WM_LBUTTONDOWN);
  EXPECT_FALSE(dlg.IsMinimized());
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_TRUE(dlg.StockDlg()->IsShown());
  CRect after;
  dlg.GetWindowRect(&after);
  EXPECT_EQ(after, before);
}

TEST_F(DeskTrayTest, NoticesOffMeansNoPopUpAndIsKeptOnExit) {
  CRYKIVDeskDlg& dlg = Open();
  Alert(MakeStockId(600000, 1));
  EXPECT_EQ(AlertCount(), 1);
  menuAnswer_ = kTrayMenuNotices;
  Tray(WM_RBUTTONDOWN);
  EXPECT_FALSE(dlg.NoticesOn());
  Alert(MakeStockId(2, 2));
  EXPECT_EQ(AlertCount(), 1);
  menuAnswer_ = -1;
  Tray(WM_RBUTTONDOWN);
  EXPECT_TRUE(Has(menus_.back(), kTrayNotices));  // no check mark now
  Post(WM_KIV_EXIT);
  EXPECT_EQ(Ini(kNoticesKey), "0");
  EXPECT_EQ(Ini(kPlacementKey), "RESTORE");
  EXPECT_FALSE(dlg.IsWindowVisible());
}

TEST_F(DeskTrayTest, ExitFromTheMaximisedTerminalEndsTheModalRun) {
  dialog_ = std::make_unique<CRYKIVDeskDlg>();
  ModalDriver driver;
  const INT_PTR result = driver.Run(*dialog_, [&](ModalDriver& d) {
    ASSERT_TRUE(d.WaitOnUi([&] { return ::IsWindowVisible(dialog_->m_hWnd) != FALSE; }));
    d.OnUi([&] { dialog_->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0); });
    d.OnUi([&] { dialog_->PostMessage(WM_KIV_EXIT, 0, 0); });
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(Ini(kPlacementKey), "MAXIMIZE");
  EXPECT_EQ(Ini(kNoticesKey), "1");
}

TEST_F(DeskTrayTest, NoMorePopUpsThanWatchedStocks) {
  // A screen tall enough for seven slots, four stocks watched.
  SetDisplay(std::make_unique<HeadlessDisplay>(CSize(1366, 7 * 130 + 40 + 20)));
  const StockId fourth = MakeStockId(600016, kMarketShanghai);
  globals_->WatchList().Add(&fourth);
  ASSERT_EQ(globals_->WatchList().GetCount(), 4);
  CRYKIVDeskDlg& dlg = Open();
  ASSERT_EQ(dlg.AlertSlotCount(), 7);
  for (int i = 0; i < 6; ++i) Alert(MakeStockId(600000 + static_cast<uint32_t>(i), 1));
  EXPECT_EQ(AlertCount(), 4);
  for (int slot = 0; slot < 4; ++slot) {
    ASSERT_NE(dlg.AlertInSlot(slot), nullptr);
    EXPECT_TRUE(dlg.AlertInSlot(slot)->IsWindowVisible());
  }
  // Shown without taking the keyboard from the main window.
  EXPECT_EQ(CWnd::GetActiveWindow(), &dlg);
  // A pop-up that ends frees its slot for the next alert; a slot out of
  // range is ignored.
  Post(WM_KIV_CLOSE_ALERT, 1);
  Post(WM_KIV_CLOSE_ALERT, 99);
  EXPECT_EQ(AlertCount(), 3);
  EXPECT_EQ(dlg.AlertInSlot(1), nullptr);
  Alert(MakeStockId(600010, 1));
  EXPECT_NE(dlg.AlertInSlot(1), nullptr);
  EXPECT_EQ(AlertCount(), 4);
  CloseDialog();
  SetDisplay(nullptr);
}

TEST_F(DeskTrayTest, NoPopUpWhileTheStockSearchIsOpen) {
  CRYKIVDeskDlg& dlg = Open();
  dlg.SetFocus();
  Pump();
  bool searching = false;
  ModalDriver driver;
  driver.Run(
      [&] {
        Screen().PressKey('P');
        for (int i = 0; i < 4; ++i) Pump();
        return INT_PTR(0);
      },
      [&](ModalDriver& d) {
        ASSERT_TRUE(d.WaitOnUi([&] { return dlg.SearchOpen() != FALSE; }));
        searching = true;
        d.OnUi([&] { Alert(MakeStockId(600000, 1)); });
        EXPECT_TRUE(d.AskUi([&] { return AlertCount() == 0; }));
        d.OnUi([] { ::EndDialog(::GetActiveWindow(), IDCANCEL); });
      },
      [] { return HWND(nullptr); });
  EXPECT_TRUE(searching);
  EXPECT_FALSE(dlg.SearchOpen());
  Alert(MakeStockId(600000, 1));
  EXPECT_EQ(AlertCount(), 1);
}

TEST_F(DeskTrayTest, TheMonitorWindowShowsAboveTheIconWhileTheCursorRests) {
  CRYKIVDeskDlg& dlg = Open();
  const CPoint icon(1300, 750);
  Screen().MoveMouse(icon);
  Pump();
  Tray(WM_MOUSEMOVE);
  ASSERT_NE(dlg.TipDlg(), nullptr);
  EXPECT_TRUE(dlg.TipDlg()->IsShown());
  EXPECT_TRUE(dlg.TipDlg()->GetExStyle() & WS_EX_TOPMOST);
  CRect tip;
  dlg.TipDlg()->GetWindowRect(&tip);
  // On top of what is under the cursor (the icon's window where the display
  // shows one), right edges lined up.
  CRect under(icon, CSize(0, 0));
  if (CWnd* below = CWnd::WindowFromPoint(icon)) {
    if (below != dlg.TipDlg()) below->GetWindowRect(&under);
  }
  EXPECT_EQ(tip.bottom, under.top);
  EXPECT_EQ(tip.right, under.right);
  EXPECT_GT(tip.Height(), 0);
  // The cursor stays: still shown after the timer.
  clock_.Advance(kMonitorHoverMs);
  Pump();
  EXPECT_TRUE(dlg.TipDlg()->IsShown());
  // The cursor leaves: hidden at the next tick.
  Screen().MoveMouse(CPoint(100, 100));
  clock_.Advance(kMonitorHoverMs);
  Pump();
  Pump();
  EXPECT_FALSE(dlg.TipDlg()->IsShown());
  // With hovering switched off the icon shows nothing.
  menuAnswer_ = kTrayMenuMonitor;
  Tray(WM_RBUTTONDOWN);
  EXPECT_FALSE(dlg.HoverMonitor());
  Screen().MoveMouse(icon);
  Tray(WM_MOUSEMOVE);
  EXPECT_FALSE(dlg.TipDlg()->IsShown());
  // Always-show keeps it up after the cursor left.
  menuAnswer_ = kTrayMenuMonitorAlways;
  Tray(WM_RBUTTONDOWN);
  EXPECT_TRUE(dlg.MonitorAlways());
  EXPECT_TRUE(dlg.TipDlg()->IsShown());
}

TEST_F(DeskTrayTest, TitleCommandsAndTheTrayRunTheirDialogsModally) {
  CRYKIVDeskDlg& dlg = Open();
  struct Case {
    const char* what;
    std::function<void()> start;
    std::function<bool(CWnd*)> is;
  };
  const Case cases[] = {
      {"password", [&] { dlg.PostMessage(WM_KIV_CHANGE_PASSWORD, 0, 0); },
       [](CWnd* w) { return dynamic_cast<CModifyPwdDlg*>(w) != nullptr; }},
      {"risk disclosure", [&] { dlg.PostMessage(WM_KIV_RISK_NOTICE, 0, 0); },
       [](CWnd* w) { return dynamic_cast<CMZSMDlg*>(w) != nullptr; }},
      {"about from the tray",
       [&] {
         menuAnswer_ = kTrayMenuAbout;
         TrayIconEvent(dlg.m_hWnd, kTrayIconId, WM_RBUTTONDOWN);
       },
       [](CWnd* w) { return dynamic_cast<CKiv_Dlg_About*>(w) != nullptr; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool seen = false;
    ModalDriver driver;
    driver.Run(
        [&] {
          c.start();
          for (int i = 0; i < 4; ++i) Pump();
          return INT_PTR(0);
        },
        [&](ModalDriver& d) {
          ASSERT_TRUE(d.WaitOnUi([&] { return c.is(CWnd::GetActiveWindow()); }));
          seen = true;
          d.OnUi([] { ::EndDialog(::GetActiveWindow(), IDCANCEL); });
        },
        [] { return HWND(nullptr); });
    EXPECT_TRUE(seen);
    EXPECT_TRUE(dlg.IsWindowVisible());
  }
}

// --- Forced logout -------------------------------------------------------------

TEST_F(DeskTrayTest, APushOfAnotherStatusDoesNothing) {
  CRYKIVDeskDlg& dlg = Open();
  server_->PushForcedLogout(5, "10.1.2.3");
  // A request answered after the push: the link keeps order.
  std::atomic<bool> answered{false};
  ASSERT_TRUE(globals_->Net().RequestMarketRisk([&](KivNetPack&, const uint32_t&, const uint32_t&) {
    answered = true;
    return true;
  }));
  ASSERT_TRUE(WaitUntil([&] { return answered.load(); }, std::chrono::seconds(10)));
  Pump();
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_EQ(server_->OpenConnectionCount(), 1u);
}

TEST_F(DeskTrayTest, AnotherLoginCountsDownWithItsAddressThenEnds) {
  CRYKIVDeskDlg& dlg = Open();
  std::string shown;
  ModalDriver driver;
  driver.Run(
      [&] {
        server_->PushForcedLogout(6, "10.1.2.3");
        PumpUntil([&] { return !dlg.IsWindowVisible(); }, 60000);
        return INT_PTR(0);
      },
      [&](ModalDriver& d) {
        auto notice = [] { return dynamic_cast<CKivUpWarnDlg*>(CWnd::GetActiveWindow()); };
        ASSERT_TRUE(d.WaitOnUi([&] { return notice() != nullptr; }));
        HWND noticeWindow = nullptr;
        d.OnUi([&] {
          shown = notice()->GetText();
          noticeWindow = notice()->m_hWnd;
        });
        // The link is stopped before the notice.
        EXPECT_TRUE(server_->WaitForOpenConnections(0));
        // Ten seconds on the virtual clock end it by itself. Small steps, each
        // waited for: the dialog re-arms its one-second tick from the time
        // it handles the last one.
        int seconds = 10;
        for (int step = 0; step < 400 && d.AskUi([&] { return ::IsWindow(noticeWindow) != FALSE; }); ++step) {
          d.OnUi([&] { seconds = notice() ? notice()->GetSeconds() : seconds; });
          clock_.Advance(250);
          d.WaitOnUi([&] { return !::IsWindow(noticeWindow) || !notice() || notice()->GetSeconds() != seconds; },
                     std::chrono::milliseconds(20));
        }
        // Then the main window ends.
        EXPECT_TRUE(d.WaitOnUi([&] { return !dlg.IsWindowVisible(); }, std::chrono::seconds(3)));

      },
      [] { return HWND(nullptr); });
  EXPECT_EQ(shown, "您的帐号从IP 10.1.2.3登录软件，您被迫下线！");
  EXPECT_FALSE(dlg.IsWindowVisible());
}

// --- Manuals ---------------------------------------------------------------------

class DeskManualTest : public DeskTrayTest {
 protected:
  void SetUp() override {
    DeskTrayTest::SetUp();
    log_ = scratch_.File("opened.log");
    SetShellOpenerForTesting({"/bin/sh", "-c", "printf '%s\\n' \"$1\" >> '" + log_ + "'", "sh"});
  }
  void TearDown() override {
    SetShellOpenerForTesting({});
    DeskTrayTest::TearDown();
  }
  std::vector<std::string> Opened() {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string DataFolder() { return scratch_.path().string() + "/Data"; }
  std::string log_;
};

TEST_F(DeskManualTest, DownloadedFromTheMakersHostThenOpened) {
  const std::string pdf = "%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n";
  Craft("/data/products/rymanual1.1.pdf", pdf);
  CRYKIVDeskDlg& dlg = Open();
  Post(WM_KIV_MANUAL);
  dlg.WaitForWorkers();
  Pump();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], std::string("翠溪下载|是否下载") + kManualName + "？");
  const std::string path = DataFolder() + "/" + kManualName;
  std::ifstream in(NativePath(path), std::ios::binary);
  std::stringstream body;
  body << in.rdbuf();
  EXPECT_EQ(body.str(), pdf);
  ASSERT_EQ(Opened().size(), 1u);
  EXPECT_NE(Opened()[0].find(NativePath(kManualName)), std::string::npos) << Opened()[0];
  // Next time it is there: asked to open, opened, not fetched again.
  Post(WM_KIV_MANUAL);
  dlg.WaitForWorkers();
  EXPECT_EQ(Boxes().back(), std::string("翠溪提醒|是否打开") + kManualName + "？");
  EXPECT_EQ(Opened().size(), 2u);
  EXPECT_EQ(Requested("/data/products/rymanual1.1.pdf").size(), 1u);
}

TEST_F(DeskManualTest, AFailedDownloadLeavesNoFileAndOpensNothing) {
  Http().Route("/data/products/ryjudge1.1.pdf", [](const standin::HttpRequest&) {
    standin::HttpResponse response;
    response.status = 500;
    response.body = "<html>error</html>";
    return response;
  });
  CRYKIVDeskDlg& dlg = Open();
  Post(WM_KIV_MANUAL_JUDGE);
  dlg.WaitForWorkers();
  Pump();
  EXPECT_EQ(Requested("/data/products/ryjudge1.1.pdf").size(), 1u);
  EXPECT_EQ(Boxes().size(), 1u);  // the question only: a failure says nothing
  EXPECT_TRUE(Opened().empty());
  std::error_code error;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(NativePath(DataFolder()), error)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 0);
  // Declined: nothing is fetched.
  boxAnswer_ = [](const ui::MessageBoxRequest&) { return IDCANCEL; };
  Post(WM_KIV_MANUAL_JUDGE);
  dlg.WaitForWorkers();
  EXPECT_EQ(Requested("/data/products/ryjudge1.1.pdf").size(), 1u);
}

}  // namespace
}  // namespace kiv::test
