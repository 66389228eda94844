// The reference window's fixture: a fresh headless screen and virtual clock
// (WindowTest), the reference program's resource table installed, the
// stand-in started in this process on loopback ports with the network
// service connected to it, and the window opened as its owner would open it.
#pragma once

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/StockTable.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "tests/guide/ReferenceIds.h"
#include "tests/guide/ReferenceListWindow.h"
#include "tests/guide/ReferenceResources.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/MarketService.h"
#include "tests/support/StandinLink.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace test {

class ReferenceListWindowFixture : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    UseReferenceResources();
    ASSERT_NO_FATAL_FAILURE(test::ConnectToStandin(server_, service_));
  }
  void TearDown() override {
    service_.Shutdown();  // as the program ends: the network stops before any window goes
    CloseWindow();
    server_.Stop();
    gdi::SetResourceTable(nullptr);
    WindowTest::TearDown();
  }

  // As its owner opens it, with the stored table in the test's folder.
  ReferenceListWindow& Open() {
    window_ = std::make_unique<ReferenceListWindow>(service_, StoredTablePath());
    EXPECT_TRUE(window_->Create(kIddReferenceList));
    return *window_;
  }
  // As its owner closes it: the window is destroyed before the object goes.
  void CloseWindow() {
    if (window_) window_->DestroyWindow();
    window_.reset();
  }

  std::string StoredTablePath() const { return scratch_.File(kStockTableFile); }
  // Stores a stock table of these securities, as the program keeps the last
  // good reply.
  void StoreTable(const std::vector<StockId>& ids) {
    KivNetPack group;
    for (size_t r = 0; r < ids.size(); ++r) {
      const int32_t row = static_cast<int32_t>(r);
      char name[16] = "stored";
      ASSERT_TRUE(group.SetInt32(static_cast<int32_t>(ids[r]), FIELD_STOCK_ID, row));
      ASSERT_TRUE(group.SetText(name, sizeof name, FIELD_STOCK_NAME, row));
    }
    ASSERT_TRUE(CKivStockTable::SaveToFile(StoredTablePath(), group));
  }
  // The first rows the stand-in serves: its securities of the listed
  // markets, in its order.
  std::vector<StockId> ServedIds() const {
    std::vector<StockId> ids;
    for (const standin::Security& s : server_.Service().GetUniverse().Securities()) {
      if (ids.size() == static_cast<size_t>(ReferenceListWindow::kMaxRows)) break;
      const uint32_t market = StockMarket(s.id);
      if (market == kMarketShanghai || market == kMarketShenzhen || market == kMarketFourthBoard) ids.push_back(s.id);
    }
    return ids;
  }
  // Market-data requests sent or queued and not yet answered.
  size_t RequestsOut() { return service_.Manager().SentCount() + service_.Manager().PendingCount(); }
  // The stock-table requests the stand-in has received, counted once a later
  // request (a probe of another type) has been answered: the link keeps its
  // requests in order, so none sent before is still on the way.
  size_t StockTableRequestsReceived() {
    auto answered = std::make_shared<std::atomic<bool>>(false);
    EXPECT_TRUE(service_.RequestMarketRisk([answered](KivNetPack&, const uint32_t&, const uint32_t&) {
      *answered = true;
      return true;
    }));
    EXPECT_TRUE(WaitUntil([&] { return answered->load(); }));
    return server_.RequestsOfType(DT_MARKET_OVERVIEW).size();
  }

  // Where row's mark is, in client coordinates.
  static CPoint MarkCentre(int row) {
    return CPoint(ReferenceListWindow::kMarkLeft + ReferenceListWindow::kMarkWidth / 2,
                  ReferenceListWindow::kHeaderHeight + row * ReferenceListWindow::kRowHeight +
                      ReferenceListWindow::kMarkTop + ReferenceListWindow::kMarkHeight / 2);
  }
  CPoint ClientToScreen(CPoint p) const {
    window_->ClientToScreen(&p);
    return p;
  }
  // The headless screen's pixel at a client point of the window.
  COLORREF ClientPixel(int x, int y) {
    const CPoint p = ClientToScreen(CPoint(x, y));
    return Screen().ScreenPixel(p.x, p.y);
  }
  COLORREF MarkPixel(int row) {
    const CPoint p = MarkCentre(row);
    return ClientPixel(p.x, p.y);
  }
  // The header skin's own pixel in row y, from the resource table.
  static COLORREF HeaderSkinPixel(int y) {
    CBitmap skin;
    EXPECT_TRUE(skin.LoadBitmap(kIdbReferenceHeader));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&skin);
    const COLORREF pixel = dc.GetPixel(0, y);
    dc.SelectObject(old);
    return pixel;
  }

  ScratchFolder scratch_{"guide"};
  standin::StandinServer server_;
  CNetService service_{NetTimings::Fast()};
  std::unique_ptr<ReferenceListWindow> window_;
};

}  // namespace test
}  // namespace kiv
