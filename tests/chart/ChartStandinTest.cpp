// The chart engine's model against the stand-in on loopback, at a fixed
// clock: the cached series at once and the served one after, every period
// and loader, the counts asked for, 复权 across ex-dates, computed 5-minute
// states, late replies and a chart destroyed while its loader runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "chart/engine/ChartModel.h"
#include "data/IpConfigTable.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Files.h"
#include "tests/chart/ChartTestSupport.h"
#include "tools/standin/serve/HttpServer.h"
#include "tests/support/StandinLink.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

using test::kOther;
using test::kShare;

using namespace std::chrono_literals;

// Monday 2026-03-16, 10:32 Beijing: every period has a forming bar.
const int64_t kNow = standin::BeijingTime(2026, 3, 16, 10, 32, 0);

class ChartStandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockForTesting(&clock_);
    ResetWindowSystemForTesting();
    g_bFirstKLineLoad = false;
    ASSERT_NO_FATAL_FAILURE(test::ConnectToStandin(server_, service_));
    const std::string http = "127.0.0.1:" + std::to_string(server_.HttpPort()) + "&x";
    hosts_.LoadText("HourBSIp," + http + "\nMinute1BSIp," + http + "\nOptionIp," + http + "\nDJGIp," + http + "\n");
    host_ = std::make_unique<test::RecordingHost>();
    host_->now = kNow;
    model_ = std::make_unique<ChartModel>(*host_, ChartServices{&service_, nullptr, &hosts_});
    host_->model = model_.get();
    model_->OnShowWindow(TRUE);
  }
  void TearDown() override {
    if (host_) host_->DestroyWindow();
    model_.reset();
    host_.reset();
    test::DisconnectFromStandin(server_, service_);
    ResetWindowSystemForTesting();
    SetClockForTesting(nullptr);
  }
  void Show(StockId stock, DataType period) {
    StockId id = stock;
    model_->SetStock(&id, period);
  }
  // Pumps until the model has taken a served series.
  bool WaitForArrival() {
    return PumpUntil([&] { return !model_->IsReplaceMode(); }, 20000);
  }
  std::vector<standin::MarketBar> Served(standin::BarPeriod period, int count, int64_t at = kNow) {
    return server_.Prices().Bars(kShare, period, at, count);
  }

  test::ChartDataFolder data_;
  VirtualClock clock_{1000000, kNow * 1000};
  standin::StandinServer server_{test::StandinAt(kNow)};
  CNetService service_{NetTimings::Fast()};
  CIpConfigTable hosts_;
  std::unique_ptr<test::RecordingHost> host_;
  std::unique_ptr<ChartModel> model_;
};

TEST_F(ChartStandinTest, CachedDaySeriesAtOnceThenTheServedOneContinuousWithExRights) {
  // A cache that ends ten days ago.
  const std::vector<standin::MarketBar> old = Served(standin::BarPeriod::kDay, 20480, kNow - 10 * 86400);
  CKLineSeries cache;
  cache.SetStock(kShare);
  cache.SetDataType(kDataTypeDay);
  for (const standin::MarketBar& b : old) {
    cache.AddBar(test::MakeBar(b.time, b.close / 10000.0f, b.open / 10000.0f, b.high / 10000.0f, b.low / 10000.0f),
                 b.signal, 0, 0, 1);
  }
  ASSERT_EQ(cache.SaveToFile(), 1);

  Show(kShare, kDataTypeDay);
  ASSERT_NE(model_->Series(), nullptr);
  EXPECT_EQ(model_->Series()->GetCount(), int(old.size())) << "the cache is shown at once";
  ASSERT_TRUE(server_.WaitForRequests(2));
  const auto asked = server_.RequestsOfType(DT_KLINE_DAY);
  ASSERT_EQ(asked.size(), 1u);
  KivNetPack payload = asked[0].payload;
  EXPECT_EQ(payload.GetInt32(FIELD_ROW_COUNT, 0), int((kNow - old.back().time) / 86400 + 5))
      << "a warm cache asks for the days since its last bar";

  ASSERT_TRUE(WaitForArrival());
  const std::vector<standin::MarketBar> now = Served(standin::BarPeriod::kDay, 20480);
  ASSERT_EQ(model_->Series()->GetCount(), int(now.size()));
  EXPECT_FLOAT_EQ(model_->Series()->Bar(model_->Series()->GetCount() - 1).close, now.back().close / 10000.0f);

  ASSERT_TRUE(PumpUntil([&] { return !model_->ExRightsRows().empty(); }, 20000));
  model_->ToggleExRights();
  const CKLineSeries* adjusted = model_->AdjustedSeries();
  ASSERT_NE(adjusted, nullptr);
  ASSERT_EQ(model_->DrawnSeries(), adjusted);
  // The newest ex-date: the adjusted day before leads into it within the
  // daily limit although the raw price drops by the dividend.
  const ExRightsRecord last = model_->ExRightsRows().back();
  int exBar = -1;
  for (int i = 0; i < adjusted->GetCount(); ++i) {
    if (adjusted->Bar(i).time == last.date) exBar = i;
  }
  ASSERT_GT(exBar, 0);
  const double change = adjusted->Bar(exBar).close / adjusted->Bar(exBar - 1).close - 1.0;
  EXPECT_LT(std::fabs(change), 0.1005);
  EXPECT_FLOAT_EQ(adjusted->Bar(exBar).close, model_->Series()->Bar(exBar).close) << "from the last ex-date on, as traded";
  EXPECT_LT(adjusted->Bar(0).close, model_->Series()->Bar(0).close) << "old bars are adjusted";
}

TEST_F(ChartStandinTest, AColdFiveMinuteSeriesAsksForAllAndCarriesEmaSlopeStates) {
  Show(kShare, kDataTypeMin5);
  ASSERT_TRUE(server_.WaitForRequests(2));
  KivNetPack payload = server_.RequestsOfType(DT_KLINE_MIN5).at(0).payload;
  EXPECT_EQ(payload.GetInt32(FIELD_ROW_COUNT, 0), 20480);
  ASSERT_TRUE(WaitForArrival());
  const CKLineSeries* series = model_->Series();
  ASSERT_EQ(series->GetCount(), 20480);
  int crossings = 0;
  for (int i = 0; i < series->GetCount(); ++i) {
    const uint32_t state = series->Flags(i) & 0xF;
    ASSERT_GE(state, 1u) << "bar " << i;
    ASSERT_LE(state, 4u) << "bar " << i;
    if (state == 1 || state == 3) ++crossings;
  }
  EXPECT_GT(crossings, 10);
  EXPECT_EQ(model_->DrawnSeries(), model_->AdjustedSeries());
}

TEST_F(ChartStandinTest, EveryPeriodAndLoaderAgreesOnTheLastClose) {
  const float close = Served(standin::BarPeriod::kDay, 1).back().close / 10000.0f;
  for (DataType period : {kDataTypeDay, kDataTypeMin5, kDataTypeMin15, kDataTypeMin30, kDataTypeHour,
                          kDataTypeMin1, kDataTypeWeek, kDataTypeMonth}) {
    Show(kShare, period);
    ASSERT_TRUE(WaitForArrival()) << period;
    const CKLineSeries* series = model_->Series();
    ASSERT_GT(series->GetCount(), 0) << period;
    EXPECT_FLOAT_EQ(series->Bar(series->GetCount() - 1).close, close) << period;
  }
  EXPECT_GE(server_.Http().RequestCount(), 2u) << "hour and 1-minute bars come over HTTP";

  // An option of market 50 comes from its loader, named from the reply.
  const StockId option = MakeStockId(3, kHttpMarket);
  Show(option, kDataTypeDay);
  ASSERT_TRUE(WaitForArrival());
  EXPECT_GT(model_->Series()->GetCount(), 100);
  EXPECT_NE(model_->Series()->Reserved()[0], 0);
  EXPECT_LE(std::strlen(reinterpret_cast<const char*>(model_->Series()->Reserved())), 15u);
}

TEST_F(ChartStandinTest, ALateReplyForThePreviousStockChangesNothing) {
  server_.SetReplyDelay(800ms);
  Show(kShare, kDataTypeDay);
  ASSERT_TRUE(server_.WaitForRequests(2));
  server_.SetReplyDelay(0ms);
  Show(kOther, kDataTypeDay);
  ASSERT_TRUE(WaitForArrival());
  const int count = model_->Series()->GetCount();
  const uint64_t saves = model_->SaveCount();
  // The first stock's reply, overtaken, arrives now: handled and dropped.
  ASSERT_TRUE(PumpUntil([&] { return host_->seriesPosts.load() >= 2; }, 20000));
  EXPECT_EQ(model_->GetStockId(), kOther);
  EXPECT_EQ(model_->Series()->GetStock(), kOther);
  EXPECT_EQ(model_->Series()->GetCount(), count);
  EXPECT_EQ(model_->SaveCount(), saves);
}

TEST_F(ChartStandinTest, BrokenRepliesAreNotBars) {
  server_.SetBarFault(standin::BarFault::kZeroCloseRow);
  Show(kShare, kDataTypeDay);
  ASSERT_TRUE(WaitForArrival());
  EXPECT_EQ(model_->Series()->GetCount(), int(Served(standin::BarPeriod::kDay, 20480).size()));
  EXPECT_GT(model_->Series()->Bar(model_->Series()->GetCount() - 1).close, 0.01f);

  // A reply without its container and an "error" text bring no series.
  server_.SetBarFault(standin::BarFault::kNoContainer);
  server_.SetHttpBarErrorText(true);
  server_.ClearRequests();
  Show(kOther, kDataTypeDay);
  ASSERT_TRUE(server_.WaitForRequests(2));
  const size_t httpBefore = server_.Http().RequestCount();
  Show(kShare, kDataTypeHour);
  ASSERT_TRUE(test::WaitUntil([&] { return server_.Http().RequestCount() >= httpBefore + 1; }, 20s));
  PumpPendingMessages();
  EXPECT_EQ(host_->seriesPosts.load(), 1);
  EXPECT_TRUE(model_->IsReplaceMode());
}

TEST_F(ChartStandinTest, AChartDestroyedWhileItsLoaderRunsGetsItsSeriesSaved) {
  std::mutex mutex;
  std::condition_variable changed;
  bool asked = false, release = false;
  server_.Http().Route("/data&4354&", [&](const standin::HttpRequest&) {
    std::unique_lock<std::mutex> lock(mutex);
    asked = true;
    changed.notify_all();
    changed.wait(lock, [&] { return release; });
    standin::HttpResponse response;
    response.body = standin::HourBarsJson(server_.Prices(), kShare, 20, kNow);
    return response;
  });
  Show(kShare, kDataTypeHour);
  bool gotAsked;
  {
    std::unique_lock<std::mutex> lock(mutex);
    gotAsked = changed.wait_for(lock, 20s, [&] { return asked; });
  }
  // The chart goes while its loader waits for the reply.
  host_->DestroyWindow();
  model_.reset();
  host_.reset();
  {
    std::lock_guard<std::mutex> lock(mutex);
    release = true;
  }
  changed.notify_all();
  ASSERT_TRUE(gotAsked);
  StockId id = kShare;
  const std::string path = NativePath(CachePathOf(&id, kDataTypeHour));
  EXPECT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(path); }, 20s));
  CKLineSeries saved;
  saved.SetStock(kShare);
  saved.SetDataType(kDataTypeHour);
  ASSERT_TRUE(test::WaitUntil([&] { return saved.LoadFromFile() == 1; }, 20s));
  EXPECT_EQ(saved.GetCount(), 20);
}

}  // namespace
}  // namespace kiv
