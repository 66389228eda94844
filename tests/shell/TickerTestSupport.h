// Shared fixture of the index ticker's tests: the stand-in started in this
// process on loopback, its market clock fixed on a Monday morning session,
// the network service linked to it, a data folder of the test's own for
// Frame.dat, and the main window the ticker lives in, which keeps (and
// frees) every stock the ticker asks it to open.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/CachePath.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "platform/post/Posting.h"
#include "shell/ChromeIds.h"
#include "shell/KivDesk_Wnd_Toolbar.h"
#include "tests/shell/ChromeTestSupport.h"
#include "tests/support/StandinLink.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {

// Monday 16 March 2026, 10:37 in Beijing: the morning session runs.
inline int64_t TickerSessionNow() { return standin::BeijingTime(2026, 3, 16, 10, 37, 0); }

// Short waits, but room for the stand-in's first index quotes: it makes the
// index levels from their members' whole history at the first request, which
// in a sanitizer build on a busy machine can hold its one thread (and its
// heartbeat echoes) for seconds.
inline NetTimings TickerNetTimings() {
  NetTimings timings = NetTimings::Fast();
  timings.inactivityTimeout = std::chrono::milliseconds(60000);
  return timings;
}

// A reply of the ticker's shape with the given rows of (last, previous close).
inline KivNetPack TickerReply(const std::vector<std::pair<int32_t, int32_t>>& rows) {
  KivNetPack group;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int32_t row = static_cast<int32_t>(r);
    group.SetInt32(0, FIELD_STOCK_ID, row);
    group.SetInt32(rows[r].first, FIELD_LAST_PRICE, row);
    group.SetInt32(rows[r].second, FIELD_PREV_CLOSE, row);
  }
  KivNetPack payload;
  payload.SetPack(group, GROUP_INDEX_QUOTES, 0);
  return payload;
}

class TickerFixture : public ChromeWindowTest {
 protected:
  void SetUp() override {
    ChromeWindowTest::SetUp();
    SetDataFolder(scratch_.path().string());
    // The ticker's own clock (local time, Asia/Shanghai in tests) shows the
    // same Monday morning.
    clock_.SetUnixTimeMs(TickerSessionNow() * 1000);
    ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
  }
  void TearDown() override {
    service_.Shutdown();  // as the program ends: the network stops before any window goes
    CloseTicker();
    server_.Stop();
    SetDataFolder("");
    ChromeWindowTest::TearDown();
  }

  // As the main window makes it: a child strip under its title bar.
  CKivDesk_Wnd_Toolbar& Open(int width, BOOL wide) {
    if (main_ == nullptr) {
      main_ = Top("main", CRect(0, 0, 1340, 200));
      main_->fill = 0x1A1A1A;
      main_->hook = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
        if (msg == WM_KIV_OPEN_STOCK) {
          std::unique_ptr<StockId> stock = AdoptPosted<StockId>(wParam);
          opened_.push_back({stock ? *stock : 0, lParam});
        }
        return false;
      };
    }
    ticker_ = std::make_unique<CKivDesk_Wnd_Toolbar>(service_);
    ticker_->SetWideMode(wide);
    EXPECT_TRUE(ticker_->Create(nullptr, "CKivDesk_ToolBar", WS_CHILD | WS_VISIBLE, CRect(0, 30, width, 30 + kHeight),
                                main_, kIdcTicker));
    return *ticker_;
  }
  void CloseTicker() {
    if (ticker_) ticker_->DestroyWindow();
    ticker_.reset();
  }

  // What the stand-in's model quotes for entry i at the fixed clock.
  standin::IndexQuote Served(int i) {
    const std::list<StockId> ids = ticker_->IndexIds();
    auto it = ids.begin();
    std::advance(it, i);
    standin::IndexQuote quote;
    EXPECT_TRUE(server_.Indices().QuoteAt(*it, TickerSessionNow(), &quote));
    return quote;
  }
  bool ShowsServedQuotes() {
    for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
      int32_t last = 0, previous = 0;
      if (!ticker_->QuoteOf(i, &last, &previous)) return false;
      const standin::IndexQuote served = Served(i);
      if (last != served.last || previous != served.previousClose) return false;
    }
    return true;
  }
  // The reply handler has done all it does for the served quotes: values
  // taken, paint asked for, Frame.dat written last. What the ticker shows
  // can be ahead of the paint request and of the file.
  bool HandledServedQuotes() {
    if (!ShowsServedQuotes()) return false;
    KivNetPack stored;
    if (!CKivDesk_Wnd_Toolbar::LoadFrameFile(CKivDesk_Wnd_Toolbar::FrameFilePath(), &stored)) return false;
    for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
      if (stored.GetInt32(FIELD_LAST_PRICE, i) != Served(i).last) return false;
    }
    return true;
  }
  // The first served quotes handled: generous, for the reason
  // TickerNetTimings gives.
  bool WaitForServedQuotes() { return PumpUntil([&] { return HandledServedQuotes(); }, 60000); }
  size_t QuoteRequestsReceived() const { return server_.RequestsOfType(DT_INDEX_QUOTES).size(); }

  struct Opened {
    StockId stock;
    LPARAM origin;
  };

  static constexpr int kHeight = 24;
  ScratchFolder scratch_{"ticker"};
  standin::StandinServer server_{StandinAt(TickerSessionNow())};
  CNetService service_{TickerNetTimings()};
  TestWnd* main_ = nullptr;
  std::unique_ptr<CKivDesk_Wnd_Toolbar> ticker_;
  std::vector<Opened> opened_;
};

}  // namespace kiv::test
