// Fixture of the main dialog's tests: the account fixture (headless screen,
// virtual clock, the terminal's table and theme, the stand-in in this
// process with the program's settings pointed at it), the real global
// objects with the market link to the stand-in, ry0001 logged in through the
// web login, the watch list downloaded, and the main dialog made modeless.
// Every page is the recording stand-in unless a test registers a maker.
// Message boxes and pop-up menus are answered by scripts the test sets.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/CachePath.h"
#include "data/GlobalObjects.h"
#include "net/FieldIds.h"
#include "platform/post/Posting.h"
#include "platform/sys/TrayIcon.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "shell/ShellPlugins.h"
#include "shell/StandInCallLog.h"
#include "shell/StandInDeskPage.h"
#include "shell/desk/DeskEnvironment.h"
#include "shell/desk/DeskIds.h"
#include "shell/desk/RYKIVDeskDlg.h"
#include "shell/login/LoginGlobals.h"
#include "tests/shell/AccountTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/serve/ServerListService.h"

namespace kiv::test {

class DeskTest : public AccountTest {
 protected:
  void SetUp() override {
    AccountTest::SetUp();
    GetShellPlugins() = ShellPlugins();
    StandInCallLog::Clear();
    // The data folder (the ticker's Frame.dat, caches) in the test's own.
    SetDataFolder(scratch_.File("Data"));
    ResetTrayForTesting();
    // As the window system's sink: the callback posted to the icon's window.
    SetTrayMessageSink([](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      ::PostMessage(window, message, wParam, lParam);
    });
    ServerConfig config = GetServerConfig();
    config.makerWebHost = Authority();
    SetServerConfig(config);

    GlobalObjectsOptions options;
    options.timings = NetTimings::Fast();
    options.config.programFolder = scratch_.path().string();
    options.config.serverListUrl =
        "http://127.0.0.1:" + std::to_string(server_->ListPort()) + standin::kServerListPath;
    options.watchIniPath = scratch_.File("system-watch.ini");
    globals_ = std::make_unique<KivGlobalObjects>(options);
    ASSERT_TRUE(globals_->Net().AddServer("127.0.0.1", server_->MarketPort(), "standin"));
    ASSERT_TRUE(server_->WaitForConnections(1));
    ASSERT_NO_FATAL_FAILURE(LogIn());
    ASSERT_NO_FATAL_FAILURE(LoadStockTable());

    ui::SetMessageBoxAnswererForTesting([this](const ui::MessageBoxRequest& box) {
      std::lock_guard<std::mutex> hold(mutex_);
      boxes_.push_back(box.caption + "|" + box.text);
      return boxAnswer_ ? boxAnswer_(box) : IDOK;
    });
    ui::SetPopupMenuAnswererForTesting([this](const ui::PopupMenuRequest& request) {
      std::vector<std::string> items;
      CMenu* menu = CMenu::FromHandle(request.menu);
      for (int i = 0; menu && i < menu->GetMenuItemCount(); ++i) {
        std::string text;
        menu->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        const UINT id = menu->GetMenuItemID(i);
        const bool checked = (menu->GetMenuState(static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
        items.push_back(text.empty() ? "-" : text + (checked ? "(v)" : ""));
        (void)id;
      }
      menus_.push_back(items);
      return menuAnswer_;
    });

    DeskEnvironment environment;
    environment.globals = globals_.get();
    environment.systemIniPath = IniPath();
    environment.programFolder = scratch_.path().string() + "/";
    SetDeskEnvironment(environment);
  }

  void TearDown() override {
    // As the program ends: the network first, then the windows, then the
    // globals.
    if (globals_) globals_->Shutdown();
    CloseDialog();
    globals_.reset();
    SetDeskEnvironment(DeskEnvironment());
    ui::SetMessageBoxAnswererForTesting(nullptr);
    ui::SetPopupMenuAnswererForTesting(nullptr);
    ResetTrayForTesting();
    GetShellPlugins() = ShellPlugins();
    SetDataFolder("");
    AccountTest::TearDown();
  }

  std::string IniPath() { return scratch_.File("system.ini"); }

  // ry0001 through the web login, then the watch list from the web service.
  void LogIn() {
    TestWnd* sink = Top("login-sink", CRect(0, 0, 10, 10), WS_POPUP);
    auto job = std::make_unique<WebLoginJob>();
    job->hwnd = sink->m_hWnd;
    job->userName = "ry0001";
    job->password = "123456";
    job->webAuthority = Authority();
    job->rootAuthority = Authority();
    job->config = nullptr;
    LoginThread(job.release());
    Pump();
    sink->DestroyWindow();
    ASSERT_NE(g_LoginUserId.load(), 0);
    WatchListEnv env;
    env.serverTime = [] { return kAccountNow; };
    env.userId = [] { return g_LoginUserId.load(); };
    const std::string host = Authority();
    env.webHost = [host] { return host; };
    env.stockTable = &globals_->Stocks();
    env.retryDelayMs = 10;
    globals_->WatchList().SetEnvironment(env);
    ASSERT_EQ(globals_->WatchList().Download(), 1);
  }

  // The stock table from the stand-in, as the stock-table window keeps it.
  void LoadStockTable() {
    std::atomic<bool> done{false};
    KivGlobalObjects* globals = globals_.get();
    ASSERT_TRUE(globals_->Net().RequestMarketOverview(
        [globals, &done](KivNetPack& payload, const uint32_t&, const uint32_t&) {
          KivNetPack group;
          if (payload.GetPack(group, GROUP_STOCK_TABLE, 0)) globals->Stocks().FillFromPack(group);
          done = true;
          return true;
        }));
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }, std::chrono::seconds(20)));
    ASSERT_FALSE(globals_->Stocks().IsEmpty());
  }
  // The stand-in's watch list of the logged-in user.
  std::vector<StockId> ServedWatchList() {
    std::vector<StockId> stocks;
    for (const auto& item : server_->AccountService().WatchList(g_LoginUserId.load())) stocks.push_back(item.stockId);
    return stocks;
  }

  CRYKIVDeskDlg& Open() {
    dialog_ = std::make_unique<CRYKIVDeskDlg>();
    EXPECT_TRUE(dialog_->Create());
    Pump();
    return *dialog_;
  }
  void CloseDialog() {
    if (dialog_ && ::IsWindow(dialog_->m_hWnd)) dialog_->DestroyWindow();
    dialog_.reset();
  }

  // The stand-in behind a page of the dialog.
  StandInDeskPage* StandIn(int page) {
    DeskPage* window = dialog_->PageWindow(page);
    return window ? StandInDeskPage::FromWindow(&window->Window()) : nullptr;
  }
  static StandInDeskPage* StandIn(DeskPage* page) {
    return page ? StandInDeskPage::FromWindow(&page->Window()) : nullptr;
  }
  // The values of the log entries named DeskPage(<label>)::<call>.
  static std::vector<int64_t> Calls(const std::string& label, const std::string& call) {
    std::vector<int64_t> values;
    const std::string name = "DeskPage(" + label + ")::" + call;
    for (const StandInCall& entry : StandInCallLog::Calls()) {
      if (entry.what == name) values.push_back(entry.value);
    }
    return values;
  }
  // The pages whose windows are shown now.
  std::vector<int> ShownPages() {
    std::vector<int> shown;
    for (int page = 0; page < kPageCount; ++page) {
      DeskPage* window = dialog_->PageWindow(page);
      if (window && window->Window().m_hWnd && window->Window().IsWindowVisible()) shown.push_back(page);
    }
    return shown;
  }
  void Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    dialog_->PostMessage(msg, wParam, lParam);
    Pump();
  }
  void OpenStock(StockId stock, LPARAM origin = 0) {
    PostOwned(dialog_->m_hWnd, WM_KIV_OPEN_STOCK, std::make_unique<StockId>(stock), origin);
    Pump();
  }
  void Maximise() {
    dialog_->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
  }
  std::vector<std::string> Boxes() {
    std::lock_guard<std::mutex> hold(mutex_);
    return boxes_;
  }

  std::unique_ptr<KivGlobalObjects> globals_;
  std::unique_ptr<CRYKIVDeskDlg> dialog_;
  std::mutex mutex_;
  std::vector<std::string> boxes_;
  std::function<int(const ui::MessageBoxRequest&)> boxAnswer_;
  std::vector<std::vector<std::string>> menus_;
  int menuAnswer_ = -1;
};

}  // namespace kiv::test
