// The interval statistics dialog's fixture: a fresh headless screen and
// virtual clock (WindowTest), the terminal's resource table and theme fonts,
// the stand-in started in this process with the network service connected
// to it, day bars to hand the dialog, finance replies scripted per stock,
// and the dialog run modally beside a script (ModalDriver).
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "chart/dialogs/ChartDialogIds.h"
#include "chart/dialogs/Kiv_Dlg_Interval.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Surface.h"
#include "platform/gdi/Resources.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "tests/chart/ChartTestSupport.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/shell/ModalDriver.h"
#include "tests/support/SkinPixels.h"
#include "tests/support/StandinLink.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {

inline StockRecord Stock(StockId id, const char* name) {
  StockRecord stock{};
  stock.id = id;
  std::snprintf(stock.name, sizeof(stock.name), "%s", name);
  return stock;
}

// `count` day bars from 2025-01-02 on, 1000 lots each; closes 10, 11, 10.5,
// 10.5, 12, then alternating 11 and 12, with opens that make the second bar
// rise, the third fall and the fourth flat.
inline std::vector<KLineBar> DayBars(int count) {
  std::vector<KLineBar> bars;
  const float opens[] = {10, 10, 11, 10.5f, 11};
  const float closes[] = {10, 11, 10.5f, 10.5f, 12};
  for (int i = 0; i < count; ++i) {
    const float open = i < 5 ? opens[i] : 11.5f;
    const float close = i < 5 ? closes[i] : (i % 2 ? 11.0f : 12.0f);
    bars.push_back(MakeBar(kFirstDayClose + i * kDaySeconds, close, open, std::max(open, close) + 1,
                           std::min(open, close) - 1));
  }
  return bars;
}

// The stock of the probe requests, which no test's dialog shows.
inline const StockId kProbeStock = MakeStockId(1, kMarketShanghai);

class IntervalDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    InitUiFontsForScreen(UiTheme().Fonts(), 1366, 768);
    ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
    connected_ = true;
  }
  void TearDown() override {
    // As the program ends: the network stops before any window goes.
    if (connected_) service_.Shutdown();
    dialog_.reset();
    if (connected_) server_.Stop();
    gdi::SetResourceTable(nullptr);
    WindowTest::TearDown();
  }

  CKiv_Dlg_Interval& Make() {
    dialog_ = std::make_unique<CKiv_Dlg_Interval>(service_);
    return *dialog_;
  }
  // The dialog handed bars first..4 of DayBars(5) of 浦发银行 (600000).
  CKiv_Dlg_Interval& MakeWithRange(int first = 1) {
    CKiv_Dlg_Interval& dialog = Make();
    const std::vector<KLineBar> bars = DayBars(5);
    EXPECT_TRUE(dialog.SetData(Stock(kShare, "浦发银行"), bars.data(), 5, first, 4, kDataTypeDay, 0));
    return dialog;
  }

  // The stand-in answers each finance request with the history scripted
  // for the stock asked, naming `replyStock` instead when it is set; a
  // stock without a script gets a reply without the history.
  void ServeCapital(std::map<StockId, std::vector<QuarterCapital>> histories, StockId replyStock = 0) {
    server_.SetReplyOverride(DT_FINANCE, [histories, replyStock](const standin::LoggedRequest& request) {
      KivNetPack asked = request.payload;
      const StockId stock = static_cast<StockId>(asked.GetInt32(FIELD_STOCK_ID, 0));
      auto found = histories.find(stock);
      if (found == histories.end()) return KivNetPack();
      return FinanceReply(replyStock ? replyStock : stock, found->second);
    });
  }

  // Waits until every finance reply asked for so far has been handled: a
  // probe sent after them is answered after them on the one link, and the
  // I/O thread handles replies in order. From a modal run's script (the
  // probe sent on the UI thread) or, without one, on the UI thread itself.
  void WaitForRepliesHandled(ModalDriver& d) {
    std::shared_ptr<std::atomic<bool>> done;
    d.OnUi([&] { done = SendProbe(); });
    ASSERT_TRUE(WaitUntil([&] { return done->load(); }, std::chrono::seconds(20))) << "the probe's reply never came";
  }
  void WaitForRepliesHandled() {
    std::shared_ptr<std::atomic<bool>> done = SendProbe();
    ASSERT_TRUE(PumpUntil([&] { return done->load(); }, 20000)) << "the probe's reply never came";
  }
  std::shared_ptr<std::atomic<bool>> SendProbe() {
    // For a stock no dialog asks for: a request like one still out would
    // be refused.
    auto done = std::make_shared<std::atomic<bool>>(false);
    EXPECT_TRUE(service_.RequestFinance(
        [done](KivNetPack&, const uint32_t&, const uint32_t&) {
          done->store(true);
          return true;
        },
        0, 512, 0, kProbeStock));
    return done;
  }
  size_t FinanceRequests() const { return server_.RequestsOfType(DT_FINANCE).size(); }

  // Runs the dialog modally beside the script; its result.
  INT_PTR RunModal(CKiv_Dlg_Interval& dialog, const std::function<void(ModalDriver&)>& script) {
    ModalDriver driver;
    return driver.Run([&] { return dialog.RunModal(nullptr); }, script, [&] { return dialog.m_hWnd; });
  }
  // Waits until the dialog is up and painted, its value boxes shown.
  static bool WaitShown(ModalDriver& d, CKiv_Dlg_Interval& dialog) {
    return d.WaitOnUi([&] {
      CWnd* value = dialog.m_hWnd ? dialog.GetDlgItem(kIdcIntervalFirstValue) : nullptr;
      return value && value->IsWindowVisible();
    });
  }
  static std::string ValueText(CKiv_Dlg_Interval& dialog, int row) {
    std::string text;
    dialog.GetDlgItemText(static_cast<int>(kIdcIntervalFirstValue) + row, text);
    return text;
  }
  static bool WaitForTurnover(ModalDriver& d, CKiv_Dlg_Interval& dialog, const std::string& text) {
    return d.WaitOnUi([&] { return ValueText(dialog, kIntervalTurnover) == text; });
  }

  standin::StandinServer server_{StandinAt(standin::BeijingTime(2026, 3, 16, 10, 32, 0))};  // Monday 10:32 Beijing
  CNetService service_{NetTimings::Fast()};
  bool connected_ = false;
  std::unique_ptr<CKiv_Dlg_Interval> dialog_;
};

}  // namespace kiv::test
