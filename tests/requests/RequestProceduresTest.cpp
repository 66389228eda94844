// Request procedures by window state: the request the stand-in received (or
// none), the message posted to the window (or none) and the result.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/WorkerFetches.h"
#include "net/BindAlive.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/KivMessages.h"
#include "net/NetService.h"
#include "requests/RequestProcedures.h"
#include "tests/net/BlockWindowSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/StandinLink.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

using namespace std::chrono_literals;
using test::ClosedLoopbackPort;
using test::WaitUntil;

// A data window of the layer offering every procedure interface.
class FakeDataWindow final : public test::RecordingWnd,
                       public LockedStockWindow,
                       public KindListWindow,
                       public FlowListWindow,
                       public OwnStockGridWindow,
                       public TickerWindow {
 public:
  StockId stock = MakeStockId(600000, 1);
  int32_t kind = 0;
  int16_t direction = -1;
  int16_t period = 2;
  std::vector<OwnStockRow> rows;
  std::atomic<int> replies{0};
  CKivBlockingSocket socket;
  CKivRWLock lock;

  FakeDataWindow() {
    // The list's fetches hand over records: the window adopts them.
    onMessage = [](UINT msg, WPARAM wParam, LPARAM) {
      if (msg == WM_KIV_HOLDER_MARKS) AdoptPosted<StringRecord15[]>(wParam);
      if (msg == WM_KIV_JG_HOLD_CHANGES || msg == WM_KIV_DEAL_PUBLIC_INFO) AdoptPosted<StringRecord12[]>(wParam);
    };
  }
  // The most derived class destroys its window while every member is
  // still here: callbacks bound to the window stop first.
  ~FakeDataWindow() override { DestroyWindow(); }
  HWND WindowHandle() const override { return GetSafeHwnd(); }
  CKivBlockingSocket& BlockingSocket() override { return socket; }
  PacketHandler ReplyHandler() override { return BindAlive(this, &FakeDataWindow::OnPacket); }
  StockId CurrentStock() const override { return stock; }
  CKivRWLock& ViewLock() override { return lock; }
  int32_t ListKind() const override { return kind; }
  int16_t Direction() const override { return direction; }
  int16_t PeriodSelector() const override { return period; }
  CKivRWLock& GridLock() override { return lock; }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  const OwnStockRow* Rows() const override { return rows.empty() ? nullptr : rows.data(); }
  std::list<StockId> IndexIds() const override { return {MakeStockId(1, 1), MakeStockId(399001, 2)}; }
  bool OnPacket(KivNetPack&, const uint32_t&, const uint32_t&) {
    ++replies;
    return true;
  }
};

enum class State { kLive, kNoHandle, kNull };

struct Case {
  const char* what;
  State state;
  int32_t kind;
  std::function<UINT(FakeDataWindow*, CNetService&)> call;
  std::vector<DataType> requests;  // in order; empty: none
  std::vector<UINT> messages;      // posted to the window, in order
  UINT result;
  int32_t selector = -999;  // checked when not -999 (first request)
};

class RequestProceduresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystemForTesting();
    ASSERT_NO_FATAL_FAILURE(test::ConnectToStandin(server_, service_));
  }
  void TearDown() override {
    test::DisconnectFromStandin(server_, service_);
    ResetWindowSystemForTesting();
  }
  standin::StandinServer server_;
  CNetService service_{NetTimings::Fast()};
};

// The insider-change list's hosts: the stand-in's HTTP services, or a port
// where nothing listens.
ShortExHosts Hosts(uint16_t port) {
  const std::string host = "127.0.0.1:" + std::to_string(port);
  return ShortExHosts{host, host};
}
constexpr std::time_t kListNow = 1773600000;

TEST_F(RequestProceduresTest, RequestsMessagesAndResultsByWindowState) {
  const UINT F = kProcedureFailed;
  const ShortExHosts served = Hosts(server_.HttpPort());
  const ShortExHosts closed = Hosts(ClosedLoopbackPort());
  auto refreshShortEx = [](const ShortExHosts& hosts) {
    return [hosts](FakeDataWindow* w, CNetService& s) { return RefreshShortExList(w, s, hosts, kListNow); };
  };
  const std::vector<Case> cases = {
      {"finance", State::kLive, 0, RequestFinaAnlyData, {DT_FINANCE}, {}, 0, 0},
      {"finance, null window", State::kNull, 0, RequestFinaAnlyData, {}, {}, 0},
      {"pool kind 1", State::kLive, 1, RequestPoolList, {20000026}, {}, 0, 1},
      {"pool kind 3", State::kLive, 3, RequestPoolList, {20000026}, {}, 0, 3},
      {"pool kind 5", State::kLive, 5, RequestPoolList, {20000025}, {}, 0, 0},
      {"pool kind 4", State::kLive, 4, RequestPoolList, {}, {WM_KIV_REQUEST_FAILED}, F},
      {"return rate mode 0", State::kLive, 0, RequestIncomeRateList, {DT_INCOME_RATE}, {}, 0, 2},
      {"return rate mode 3", State::kLive, 3, RequestIncomeRateList, {}, {WM_KIV_REQUEST_FAILED}, F},
      {"sectors", State::kLive, 2, RequestGenreList, {DT_GENRE}, {}, 0, 2},
      {"sectors, no handle", State::kNoHandle, 2, RequestGenreList, {}, {}, 0},
      {"market risk, no handle", State::kNoHandle, 0, RequestMarkRiskData, {}, {}, 0},
      {"gauge", State::kLive, 0, RequestMarkRiskData, {DT_MARKET_RISK}, {}, 0},
      {"contributions send two", State::kLive, 0, RefreshGXD, {DT_GXD, DT_GXD}, {}, 0, 0},
      {"contributions, no handle", State::kNoHandle, 0, RefreshGXD, {}, {}, 0},
      {"insider list mode 0", State::kLive, 0, refreshShortEx(served), {DT_SHORT_EX_LIST}, {}, 0},
      {"insider list, insider changes", State::kLive, 1, refreshShortEx(served), {}, {WM_KIV_HOLDER_MARKS}, 0},
      {"insider list, holding changes", State::kLive, 2, refreshShortEx(served), {}, {WM_KIV_JG_HOLD_CHANGES}, 0},
      {"insider list, deals", State::kLive, 3, refreshShortEx(served), {}, {WM_KIV_DEAL_PUBLIC_INFO}, 0},
      {"insider list, insider fetch failed", State::kLive, 1, refreshShortEx(closed), {},
       {WM_KIV_REQUEST_ENDED, WM_KIV_REQUEST_FAILED}, F},
      {"insider list, deal fetch failed", State::kLive, 3, refreshShortEx(closed), {},
       {WM_KIV_REQUEST_ENDED, WM_KIV_REQUEST_FAILED}, F},
      {"insider list without an auxiliary server", State::kLive, 1, refreshShortEx(ShortExHosts{"", served.webHost}),
       {}, {WM_KIV_REQUEST_ENDED, WM_KIV_REQUEST_FAILED}, F},
      {"insider list, no handle", State::kNoHandle, 2, refreshShortEx(served), {}, {}, 0},
      {"insider list mode 9", State::kLive, 9, refreshShortEx(closed), {}, {}, 0},
      {"value list by type", State::kLive, 20000046, RefreshValueList, {20000046}, {}, 0, 5},
      {"value list", State::kLive, 7, RefreshValueList, {DT_VALUE}, {}, 0, 0},
      {"watch grid without rows", State::kLive, 0, RequestOwnStockQuotes, {}, {WM_KIV_REQUEST_ENDED}, 0},
      {"watch grid", State::kLive, 0,
       [](FakeDataWindow* w, CNetService& s) {
         w->rows = {{MakeStockId(600000, 1), 20260316}, {MakeStockId(1, 1), 20260316}};
         return RequestOwnStockQuotes(w, s);
       },
       {DT_OWN_STOCKS}, {}, 0},
      {"stock list keeps quiet", State::kLive, 0, [](FakeDataWindow* w, CNetService&) { return RequestGStockList(w); },
       {}, {}, 0},
      {"main-force list", State::kLive, 0, RequestZhuliList, {DT_ZHULI}, {}, 0, 2},
      {"industry, locked", State::kLive, 0, RequestKLineIndustryLocked, {DT_STOCK_INDUSTRY}, {}, 0},
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++row;
    auto window = std::make_unique<FakeDataWindow>();
    window->kind = c.kind;
    window->stock = MakeStockId(600000 + row, 1);  // no two rows alike: none is dropped as a duplicate
    if (c.state == State::kLive) {
      ASSERT_TRUE(window->Open());
    }
    window->socket.Create();
    server_.ClearRequests();

    const UINT result = c.call(c.state == State::kNull ? nullptr : window.get(), service_);
    EXPECT_EQ(result, c.result);
    PumpPendingMessages();
    EXPECT_EQ(window->Messages(), c.messages);
    if (c.state == State::kNoHandle || c.result == F || c.messages == std::vector<UINT>{WM_KIV_REQUEST_ENDED}) {
      EXPECT_FALSE(window->socket.IsOpen());
    }

    // A marker request after the procedure's: once it is logged, everything
    // the procedure sent is logged before it.
    constexpr StockId kMarker = MakeStockId(999999, 2);
    service_.RequestTicks(PacketHandler(), kMarker + row);
    ASSERT_TRUE(WaitUntil(
        [&] {
          for (const auto& r : server_.Requests())
            if (r.header.type == DT_TICKS) return true;
          return false;
        },
        10s));
    std::vector<DataType> types;
    std::vector<standin::LoggedRequest> logged = server_.Requests();
    for (const auto& r : logged)
      if (r.header.type != DT_TICKS) types.push_back(r.header.type);
    EXPECT_EQ(types, c.requests);
    if (c.selector != -999 && !logged.empty() && !c.requests.empty()) {
      EXPECT_EQ(logged[0].payload.GetInt32(FIELD_SELECTOR, 0), c.selector);
    }
    if (!c.requests.empty()) {
      EXPECT_TRUE(WaitUntil([&] { return window->replies.load() == int(c.requests.size()); }, 10s));
    }
  }
}

TEST_F(RequestProceduresTest, WindowGoneBeforeItsReplyNeverSeesIt) {
  server_.SetReplyDelay(300ms);
  auto gone = std::make_unique<FakeDataWindow>();
  ASSERT_TRUE(gone->Open());
  auto witness = std::make_unique<FakeDataWindow>();
  ASSERT_TRUE(witness->Open());
  witness->stock = MakeStockId(2, 2);
  RequestNetFlowData(gone.get(), service_);
  ASSERT_TRUE(server_.WaitForRequests(1));
  const int brokenRules = DeletedWithLiveWindowCount();
  // Its destructor destroys the window first, which revokes the token its
  // handler is bound to; a handler run later would touch freed memory (ASan).
  gone.reset();
  EXPECT_EQ(DeletedWithLiveWindowCount(), brokenRules);
  RequestNetFlowData(witness.get(), service_);
  EXPECT_TRUE(WaitUntil([&] { return witness->replies.load() == 1; }, 10s));
}

TEST_F(RequestProceduresTest, WorkerBodyRunsOnlyForALiveWindow) {
  auto window = std::make_unique<FakeDataWindow>();
  ASSERT_TRUE(window->Open());
  auto job = std::make_unique<StockWindowJob>();
  job->window = window.get();
  job->life = WindowRef::Of(window->GetSafeHwnd());
  job->service = &service_;
  window->DestroyWindow();
  EXPECT_EQ(RequestBigVolumeThread(job.release()), 0u);

  job = std::make_unique<StockWindowJob>();
  auto live = std::make_unique<FakeDataWindow>();
  ASSERT_TRUE(live->Open());
  job->window = live.get();
  job->life = WindowRef::Of(live->GetSafeHwnd());
  job->service = &service_;
  RequestStockMarketInfoThread(job.release());
  ASSERT_TRUE(server_.WaitForRequests(1));
  const auto logged = server_.Requests();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].header.type, DT_STOCK_MARKET_INFO);
}

}  // namespace
}  // namespace kiv
