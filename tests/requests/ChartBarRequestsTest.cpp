// The chart's bar request: the count chosen from the cache's age under a
// virtual clock, the route (network request or loading thread), and replies
// for a chart that is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "net/BindAlive.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/KivMessages.h"
#include "net/NetService.h"
#include "platform/sys/Clock.h"
#include "platform/sys/KernelObjects.h"
#include "requests/ChartBarRequests.h"
#include "tests/net/BlockWindowSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/StandinLink.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr int64_t kNow = 1767225600;  // the virtual clock's default wall time
constexpr int64_t kDay = 86400;

TEST(BarCount, ChosenFromTheCacheAgeAndClamped) {
  struct Case {
    const char* what;
    int mode;
    DataType period;
    int64_t bars;
    int64_t ageDays;
    int32_t count;
  };
  const Case cases[] = {
      {"first request after a stock change, empty cache", 1, DT_KLINE_DAY, 0, 0, 20480},
      {"stock change with a short cache asks for all", 1, DT_KLINE_DAY, 100, 3, 20480},
      {"stock change with a long cache catches up", 1, DT_KLINE_DAY, 101, 3, 8},
      {"mode 0, empty cache", 0, DT_KLINE_DAY, 0, 0, 200},
      {"mode 0, 1-minute bars two days old", 0, DT_KLINE_MIN1, 10, 2, 720},
      {"mode 0, 5-minute bars 1400 days old: clamped, not cut", 0, DT_KLINE_MIN5, 10, 1400, 20480},
      {"mode 0, 1-minute bars 200 days old: clamped, not cut", 0, DT_KLINE_MIN1, 10, 200, 20480},
      {"mode 0, week bars 3 days old", 0, DT_KLINE_WEEK, 10, 3, 5},
      {"month", 0, DT_KLINE_MONTH, 10, 45, 7},
      {"15 minutes", 0, DT_KLINE_MIN15, 10, 1, 32},
      {"30 minutes", 0, DT_KLINE_MIN30, 10, 0, 8},
      {"hour", 0, DT_KLINE_HOUR, 10, 2, 13},
      {"a bar in the future asks for the least", 0, DT_KLINE_DAY, 10, -30, 5},
      {"other mode with a cache catches up", 7, DT_KLINE_DAY, 1, 1, 6},
      {"other mode without a cache", 7, DT_KLINE_DAY, 0, 0, 20480},
  };
  for (const Case& c : cases) {
    BarRequestState state;
    state.requestMode = c.mode;
    state.period = c.period;
    state.barCount = c.bars;
    state.lastBarTime = kNow - c.ageDays * kDay;
    int32_t count = -1;
    ASSERT_TRUE(ChooseBarCount(state, kNow, count)) << c.what;
    EXPECT_EQ(count, c.count) << c.what;
  }
  BarRequestState tick;
  tick.period = 20000010;
  int32_t count = 0;
  EXPECT_FALSE(ChooseBarCount(tick, kNow, count));
}

class FakeLoaders : public KLineLoaders {
 public:
  void LoadFuturesBarsHttp(const KLineLoadJob& job) override { Record('F', job); }
  void LoadMinuteBarsHttp(const KLineLoadJob& job) override { Record('M', job); }
  void LoadHourBarsHttp(const KLineLoadJob& job) override { Record('H', job); }
  std::vector<std::pair<char, int32_t>> Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

 private:
  void Record(char which, const KLineLoadJob& job) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({which, job.count});
  }
  std::mutex mutex_;
  std::vector<std::pair<char, int32_t>> calls_;
};

// A chart block of the layer: a window with the members the request reads.
class FakeBlock final : public test::RecordingWnd, public KLineBlockRequester {
 public:
  // The most derived class: its members are all still here.
  ~FakeBlock() override { DestroyWindow(); }

  StockId stock = MakeStockId(600000, 1);
  BarRequestState state;
  int32_t requested = -1;
  std::shared_ptr<FakeLoaders> loaders = std::make_shared<FakeLoaders>();
  std::atomic<int> replies{0};
  CWinThreadPtr thread;

  HWND BlockHwnd() const override { return GetSafeHwnd(); }
  StockId BlockStock() const override { return stock; }
  BarRequestState BarState() const override { return state; }
  void SetRequestedCount(int32_t count) override { requested = count; }
  PacketHandler BarHandler() override { return BindAlive(this, &FakeBlock::OnPacket); }
  std::shared_ptr<KLineLoaders> Loaders() override { return loaders; }
  WindowRef Life() const override { return WindowRef::Of(GetSafeHwnd()); }
  void SetLoadingThread(CWinThreadPtr t) override { thread = std::move(t); }
  bool OnPacket(KivNetPack&, const uint32_t&, const uint32_t&) {
    ++replies;
    return true;
  }
};

class BarRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockForTesting(&clock_);
    ResetWindowSystemForTesting();
    ASSERT_NO_FATAL_FAILURE(test::ConnectToStandin(server_, service_));
  }
  void TearDown() override {
    test::DisconnectFromStandin(server_, service_);
    ResetWindowSystemForTesting();
    SetClockForTesting(nullptr);
  }
  VirtualClock clock_{1000000, kNow * 1000};
  standin::StandinServer server_;
  CNetService service_{NetTimings::Fast()};
};

TEST_F(BarRequestTest, DayBarsGoByTheNetworkWithTheChosenCount) {
  auto block = std::make_unique<FakeBlock>();
  ASSERT_TRUE(block->Open());
  block->state = {0, DT_KLINE_DAY, 50, kNow - 10 * kDay};
  EXPECT_EQ(StartKLineRequest(block.get(), service_), 0u);
  EXPECT_EQ(block->requested, 15);
  ASSERT_TRUE(server_.WaitForRequests(1));
  const auto logged = server_.RequestsOfType(DT_KLINE_DAY);
  ASSERT_EQ(logged.size(), 1u);
  KivNetPack payload = logged[0].payload;
  EXPECT_EQ(payload.GetInt32(FIELD_ROW_COUNT, 0), 15);
  EXPECT_EQ(static_cast<StockId>(payload.GetInt32(FIELD_STOCK_ID, 0)), block->stock);
  EXPECT_TRUE(WaitUntil([&] { return block->replies.load() == 1; }, 10s));
  EXPECT_EQ(block->thread, nullptr);
}

TEST_F(BarRequestTest, MinuteHourAndFuturesBarsGoToTheLoadingThread) {
  struct Case {
    StockId stock;
    DataType period;
    char loader;
    int32_t count;
  };
  const Case cases[] = {
      {MakeStockId(600000, 1), DT_KLINE_MIN1, 'M', 720},
      {MakeStockId(600000, 1), DT_KLINE_HOUR, 'H', 13},
      {MakeStockId(510050, kFuturesMarket), DT_KLINE_DAY, 'F', 7},
  };
  for (const Case& c : cases) {
    auto block = std::make_unique<FakeBlock>();
    ASSERT_TRUE(block->Open());
    block->stock = c.stock;
    block->state = {0, c.period, 10, kNow - 2 * kDay};
    EXPECT_EQ(StartKLineRequest(block.get(), service_), 0u);
    EXPECT_EQ(block->requested, c.count);
    ASSERT_NE(block->thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(block->thread->m_hThread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(block->loaders->Calls(), (std::vector<std::pair<char, int32_t>>{{c.loader, c.count}}));
  }
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(BarRequestTest, PeriodWithoutARuleEndsTheRequest) {
  auto block = std::make_unique<FakeBlock>();
  ASSERT_TRUE(block->Open());
  block->state = {0, 20000010, 10, kNow};
  block->requested = 99;
  EXPECT_EQ(StartKLineRequest(block.get(), service_), 0u);
  PumpPendingMessages();
  EXPECT_EQ(block->Messages(), (std::vector<UINT>{WM_KIV_REQUEST_ENDED}));
  EXPECT_EQ(block->requested, 99);
  EXPECT_EQ(block->thread, nullptr);
}

TEST_F(BarRequestTest, ChartDestroyedWhileItsReplyIsInFlightNeverSeesIt) {
  server_.SetReplyDelay(300ms);
  auto block = std::make_unique<FakeBlock>();
  ASSERT_TRUE(block->Open());
  block->state = {0, DT_KLINE_DAY, 50, kNow - kDay};
  // A second chart that stays: its reply proves the first one's has arrived.
  auto witness = std::make_unique<FakeBlock>();
  ASSERT_TRUE(witness->Open());
  witness->state = block->state;
  witness->stock = MakeStockId(1, 2);  // not a duplicate of the first request

  StartKLineRequest(block.get(), service_);
  ASSERT_TRUE(server_.WaitForRequests(1));
  // Gone before its reply: any handler run would touch freed memory (ASan).
  block.reset();
  StartKLineRequest(witness.get(), service_);
  EXPECT_TRUE(WaitUntil([&] { return witness->replies.load() == 1; }, 10s));
}

}  // namespace
}  // namespace kiv
