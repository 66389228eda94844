// The chart engine's model against a recording host: what SetStock tells
// the parent and which timers it sets, how arrivals are merged, which
// series is drawn and adjusted, the mark toggles, the late replies and
// records of another stock, and when the series is written to its cache.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "chart/engine/ChartModel.h"
#include "chart/engine/KLineViewState.h"
#include "data/CachePath.h"
#include "net/FieldIds.h"
#include "platform/sys/Files.h"
#include "tests/chart/ChartTestSupport.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/serve/BarReplies.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

using test::kOther;
using test::kShare;

using test::kDaySeconds;
using test::kFirstDayClose;
using test::ExRightsReply;


class ChartModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystemForTesting();
    g_bFirstKLineLoad = false;
    host_ = std::make_unique<test::RecordingHost>();
    model_ = std::make_unique<ChartModel>(*host_, ChartServices{});
    host_->model = model_.get();
    model_->OnShowWindow(TRUE);
  }
  void TearDown() override {
    host_->DestroyWindow();  // the window goes first: its queue may hold series
    model_.reset();
    host_.reset();
    ResetWindowSystemForTesting();
  }

  // Saves a cache file of `count` day bars of the stock (closes 10 + i).
  static void WriteCache(StockId stock, uint32_t type, int count) {
    auto series = test::MakeSeries(stock, type, count, [](int i) { return 10.0f + i; });
    ASSERT_EQ(series->SaveToFile(), 1);
  }
  // Posts a series to the chart window and lets the model handle it.
  void Deliver(std::unique_ptr<CKLineSeries> series, LPARAM replace = 0) {
    ASSERT_TRUE(PostOwned(host_->ChartHwnd(), WM_KIV_SERIES_READY, std::move(series), replace));
    PumpPendingMessages();
  }
  void Show(StockId stock, DataType period) {
    StockId id = stock;
    model_->SetStock(&id, period);
    PumpPendingMessages();
  }

  test::ChartDataFolder data_;
  std::unique_ptr<test::RecordingHost> host_;
  std::unique_ptr<ChartModel> model_;
};

TEST_F(ChartModelTest, SetStockShowsTheCacheAtOnceAndTellsTheParentInOrder) {
  WriteCache(kShare, kDataTypeDay, 30);
  Show(kShare, kDataTypeDay);
  EXPECT_EQ(host_->SentMessages(), (std::vector<UINT>{WM_KIV_SERIES_READY, WM_KIV_SERIES_READY}));
  EXPECT_EQ(host_->sent[0].wParam, 0u);
  EXPECT_EQ(host_->sent[1].wParam, reinterpret_cast<WPARAM>(model_->Series()));
  EXPECT_EQ(host_->sent[1].lParam, 1);
  EXPECT_EQ(host_->sentCounts, std::vector<int>{30});
  EXPECT_EQ(host_->timers[kPollTimerId], kPollPeriodMs);
  EXPECT_TRUE(model_->IsReplaceMode());
  EXPECT_TRUE(model_->IsRequestPending());
  EXPECT_EQ(model_->Lines().m_PriceMA[0].GetCount(), 30);

  // Without a cache the parent only hears that the old series is gone.
  host_->sent.clear();
  Show(kOther, kDataTypeDay);
  EXPECT_EQ(host_->SentMessages(), (std::vector<UINT>{WM_KIV_SERIES_READY}));
  EXPECT_EQ(model_->Series(), nullptr);
  EXPECT_EQ(g_data.m_StartIndex, 0);
}

TEST_F(ChartModelTest, MarketByteAndPeriodRulesOfSetStock) {
  StockId bare = 600000;  // market byte 0: filled in the caller's word
  model_->SetStock(&bare, 0);
  EXPECT_EQ(bare, kShare);
  EXPECT_EQ(model_->GetDataType(), kDataTypeDay) << "period 0 keeps the period";
  StockId shenzhen = 2;
  model_->SetStock(&shenzhen, kDataTypeMin30);
  EXPECT_EQ(shenzhen, MakeStockId(2, 2));
  EXPECT_EQ(model_->GetDataType(), kDataTypeMin30);

  // A sector is shown in day bars whatever intraday period is asked, and the
  // host is told so when its bars arrive.
  const StockId sector = MakeStockId(880001, 4);
  Show(sector, kDataTypeMin5);
  EXPECT_EQ(model_->GetDataType(), kDataTypeDay);
  host_->sent.clear();
  Deliver(test::MakeSeries(sector, kDataTypeDay, 5, [](int i) { return 900.0f + i; }));
  ASSERT_FALSE(host_->sent.empty());
  EXPECT_EQ(host_->sent[0].msg, WM_KIV_KLINE_PERIOD);
  EXPECT_EQ(host_->sent[0].wParam, kDataTypeDay);
  EXPECT_EQ(host_->sent[0].lParam, 4);
}

TEST_F(ChartModelTest, TheIndexCachesAreDeletedOncePerRun) {
  const StockId indices[] = {MakeStockId(1, 1), MakeStockId(300, 1), MakeStockId(399001, 2),
                             MakeStockId(399005, 2), MakeStockId(399006, 2)};
  auto exists = [](StockId id) {
    return std::filesystem::exists(NativePath(CachePathOf(&id, kDataTypeDay)));
  };
  for (StockId id : indices) WriteCache(id, kDataTypeDay, 3);
  WriteCache(kShare, kDataTypeDay, 3);
  g_bFirstKLineLoad = true;
  Show(kOther, kDataTypeDay);
  for (StockId id : indices) EXPECT_FALSE(exists(id)) << id;
  EXPECT_TRUE(exists(kShare));
  for (StockId id : indices) WriteCache(id, kDataTypeDay, 3);
  Show(kOther, kDataTypeDay);
  for (StockId id : indices) EXPECT_TRUE(exists(id)) << "second switch " << id;
}

TEST_F(ChartModelTest, MarkTogglesByPeriodAndKind) {
  struct Case {
    const char* what;
    StockId stock;
    DataType period;
    uint8_t before;
    void (ChartModel::*toggle)();
    uint8_t after;
  };
  const Case cases[] = {
      {"short marks on day bars bring mid-term marks", kShare, kDataTypeDay, 0, &ChartModel::ToggleShortMarks, 0x09},
      {"and take them away", kShare, kDataTypeDay, 0x09, &ChartModel::ToggleShortMarks, 0x00},
      {"short marks on 5-minute bars alone", kShare, kDataTypeMin5, 0, &ChartModel::ToggleShortMarks, 0x01},
      {"no short marks on 15-minute bars", kShare, kDataTypeMin15, 0, &ChartModel::ToggleShortMarks, 0x00},
      {"index marks: only bit 1", MakeStockId(1, 1), kDataTypeDay, 0x08, &ChartModel::ToggleIndexMarks, 0x02},
      {"index marks off: nothing", MakeStockId(1, 1), kDataTypeDay, 0x0A, &ChartModel::ToggleIndexMarks, 0x00},
      {"mid-term marks on day bars", kShare, kDataTypeDay, 0, &ChartModel::ToggleMidTermMarks, 0x08},
      {"mid-term marks on hour bars: repaint only", kShare, kDataTypeHour, 0, &ChartModel::ToggleMidTermMarks, 0},
      {"复权 on day bars", kShare, kDataTypeDay, 0, &ChartModel::ToggleExRights, 0x04},
      {"no 复权 on week bars", kShare, kDataTypeWeek, 0, &ChartModel::ToggleExRights, 0x00},
  };
  for (const Case& c : cases) {
    Show(c.stock, c.period);
    // Reach the starting options through the toggles themselves.
    while (model_->DisplayOptions() != c.before) {
      if ((c.before & 0x02) && !(model_->DisplayOptions() & 0x02)) {
        model_->ToggleIndexMarks();
      } else if ((c.before & 0x08) && !(model_->DisplayOptions() & 0x08)) {
        model_->ToggleMidTermMarks();
      } else if ((c.before & 0x01) && !(model_->DisplayOptions() & 0x01)) {
        model_->ToggleShortMarks();
      } else {
        FAIL() << c.what << ": cannot set up options " << int(c.before);
      }
    }
    (model_.get()->*c.toggle)();
    EXPECT_EQ(model_->DisplayOptions(), c.after) << c.what;
    // Back to nothing for the next case.
    StockId index = MakeStockId(1, 1);
    model_->SetStock(&index, kDataTypeDay);
    if (model_->DisplayOptions() & 0x02) model_->ToggleIndexMarks();
    if (model_->DisplayOptions() & 0x08) model_->ToggleMidTermMarks();
  }
  // Opening an index drops the stock marks and 复权; a stock drops the index marks.
  Show(kShare, kDataTypeDay);
  model_->ToggleShortMarks();
  model_->ToggleExRights();
  EXPECT_EQ(model_->DisplayOptions(), 0x0D);
  Show(MakeStockId(399001, 2), kDataTypeDay);
  EXPECT_EQ(model_->DisplayOptions(), 0x08);
}

// Day bars of the shown series: days 0..4, closes 10..14.
class MergeTest : public ChartModelTest {
 protected:
  void SetUp() override {
    ChartModelTest::SetUp();
    WriteCache(kShare, kDataTypeDay, 5);
    Show(kShare, kDataTypeDay);
    Deliver(test::MakeSeries(kShare, kDataTypeDay, 5, [](int i) { return 10.0f + i; }));  // replaces
    ASSERT_FALSE(model_->IsReplaceMode());
  }
  static std::unique_ptr<CKLineSeries> Incoming(const std::vector<std::pair<int, float>>& bars) {
    auto series = std::make_unique<CKLineSeries>();
    series->SetStock(kShare);
    series->SetDataType(kDataTypeDay);
    // Bars as a reply holds them, times possibly repeated: added on days of
    // their own, then given their times.
    for (size_t i = 0; i < bars.size(); ++i) {
      series->AddBar(test::MakeBar(kFirstDayClose + int64_t(i) * 10 * kDaySeconds, bars[i].second), 0, 0, 0, 0);
    }
    EXPECT_EQ(series->GetCount(), int(bars.size()));
    for (size_t i = 0; i < bars.size(); ++i) series->Bar(int(i)).time = kFirstDayClose + bars[i].first * kDaySeconds;
    return series;
  }
  std::vector<float> Closes() const {
    std::vector<float> out;
    for (int i = 0; i < model_->Series()->GetCount(); ++i) out.push_back(model_->Series()->Bar(i).close);
    return out;
  }
};

TEST_F(MergeTest, RepliesMergeBarByBar) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, float>> bars;  // (day, close)
    std::vector<float> closes;
    bool moved;  // the view was right-aligned
  };
  const Case cases[] = {
      {"a bar of the same time replaces it", {{3, 13}, {4, 99}}, {10, 11, 12, 13, 99}, false},
      {"older bars only change nothing", {{-3, 1}, {-2, 2}}, {10, 11, 12, 13, 14}, false},
      {"newer bars are appended", {{4, 14}, {5, 15}, {6, 16}}, {10, 11, 12, 13, 14, 15, 16}, true},
      {"a repeated first time merges from the first other time", {{2, 50}, {2, 51}, {3, 33}, {4, 44}},
       {10, 11, 12, 33, 44}, false},
      {"replaced from the first match, then appended", {{2, 12}, {3, 23}, {4, 24}, {5, 25}},
       {10, 11, 12, 23, 24, 25}, true},
      {"a single bar merges nothing", {{4, 77}}, {10, 11, 12, 13, 14}, false},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    g_data.m_StartIndex = 1234;
    Deliver(Incoming(c.bars));
    EXPECT_EQ(Closes(), c.closes) << c.what;
    EXPECT_EQ(g_data.m_StartIndex != 1234, c.moved) << c.what;
  }
}

TEST_F(MergeTest, ASeriesThatNoLongerMatchesIsDroppedAndAskedForAgain) {
  auto incoming = Incoming({{4, 14}, {5, 15}});
  incoming->SetVariant(7);  // the 16-bit field differs
  host_->timers.clear();
  Deliver(std::move(incoming));
  EXPECT_EQ(model_->Series(), nullptr);
  EXPECT_EQ(g_data.m_StartIndex, -1);
  EXPECT_EQ(host_->timers[kPollTimerId], kPollPeriodMs);
  EXPECT_TRUE(model_->IsRequestPending());
}

TEST_F(MergeTest, ALateSeriesOfThePreviousStockOrPeriodChangesNothing) {
  Show(kOther, kDataTypeDay);
  Deliver(test::MakeSeries(kOther, kDataTypeDay, 3, [](int i) { return 5.0f + i; }));
  const size_t sentBefore = host_->sent.size();
  const bool pending = model_->IsRequestPending();
  Deliver(test::MakeSeries(kShare, kDataTypeDay, 9, [](int i) { return 10.0f + i; }));
  Deliver(test::MakeSeries(kOther, kDataTypeWeek, 9, [](int i) { return 10.0f + i; }));
  EXPECT_EQ(host_->sent.size(), sentBefore);
  EXPECT_EQ(model_->IsRequestPending(), pending);
  EXPECT_EQ(model_->Series()->GetCount(), 3);
  EXPECT_EQ(model_->Series()->GetStock(), kOther);
}

TEST_F(MergeTest, ExRightsAdjustTheDrawnSeriesOfTheShownStockOnly) {
  // Ex-date day 3: cash 1.0 and 10 bonus shares for 10 (ratio 1.0).
  KivNetPack foreign = ExRightsReply(kOther, kFirstDayClose + 3 * kDaySeconds, 1000, 1000);
  EXPECT_TRUE(model_->OnPacket(foreign, DT_KLINE_INFO, 0));
  PumpPendingMessages();
  EXPECT_TRUE(model_->ExRightsRows().empty()) << "a reply for another stock is dropped";

  KivNetPack reply = ExRightsReply(kShare, kFirstDayClose + 3 * kDaySeconds, 1000, 1000);
  EXPECT_TRUE(model_->OnPacket(reply, DT_KLINE_INFO, 0));
  PumpPendingMessages();
  ASSERT_EQ(model_->ExRightsRows().size(), 1u);
  EXPECT_EQ(model_->DrawnSeries(), model_->Series()) << "复权 off draws the raw bars";

  model_->ToggleExRights();
  const CKLineSeries* drawn = model_->DrawnSeries();
  ASSERT_EQ(drawn, model_->AdjustedSeries());
  // Bars before the ex-date: (p - 1) / 2; from it on: as traded.
  const float want[] = {4.5f, 5.0f, 5.5f, 13.0f, 14.0f};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(drawn->Bar(i).close, want[i]) << i;
  EXPECT_FLOAT_EQ(model_->Series()->Bar(0).close, 10.0f) << "the raw bars stay";

  // The cache file of the ex-rights replays on the next switch to the stock.
  Show(kOther, kDataTypeDay);
  Show(kShare, kDataTypeDay);
  EXPECT_EQ(model_->ExRightsRows().size(), 1u);
}

// The reply handler the model gives out runs under the model's own liveness
// lock; a bar reply through it is delivered like one through the bar
// handler (the check of the chart's life it makes must not wait on that
// lock). Run on a thread of its own, as the network service runs it.
TEST_F(ChartModelTest, ABarReplyThroughTheBoundReplyHandlerIsDelivered) {
  Show(kShare, kDataTypeDay);
  const standin::Universe universe(standin::kDefaultSeed);
  standin::PriceHistory history(universe);
  KivNetPack request;
  request.SetInt16(0, FIELD_FIRST_ROW, 0);
  request.SetInt16(30, FIELD_ROW_COUNT, 0);
  request.SetInt32(static_cast<int32_t>(kShare), FIELD_STOCK_ID, 0);
  KivNetPack reply =
      standin::BuildBarReply(history, kDataTypeDay, request, standin::BeijingTime(2026, 3, 16, 15, 30, 0));

  PacketHandler handler = model_->ReplyHandler();
  auto handled = std::make_shared<std::promise<bool>>();
  std::future<bool> result = handled->get_future();
  std::thread([handler, handled, reply]() mutable { handled->set_value(handler(reply, kDataTypeDay, 0)); })
      .detach();
  if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
    // The handler is stuck holding the model's lock: the model cannot be
    // revoked any more, so it and its window are left behind.
    (void)model_.release();
    (void)host_.release();
    GTEST_FAIL() << "the bound reply handler waits on its own liveness lock";
  }
  EXPECT_TRUE(result.get());
  PumpPendingMessages();
  ASSERT_NE(model_->Series(), nullptr);
  EXPECT_EQ(model_->Series()->GetCount(), 30);
}

TEST_F(ChartModelTest, ADamagedExRightsCacheIsDeletedAndNotShown) {
  const std::string folder = GetDataFolder() + "/sh/Cq";
  std::filesystem::create_directories(NativePath(folder));
  const std::string path = NativePath(folder + "/600000.cq");
  test::WriteFileBytes(path, std::string("\x10\0\0\0\xFF\xFF\xFF\x7F garbage", 16));
  Show(kShare, kDataTypeDay);
  EXPECT_TRUE(model_->ExRightsRows().empty());
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ChartModelTest, DerivedPeriodsAlwaysDrawTheAdjustedSeries) {
  struct Case {
    DataType period;
    bool adjusted;
  };
  const Case cases[] = {{kDataTypeDay, false}, {kDataTypeMin5, true}, {kDataTypeMin15, true},
                        {kDataTypeMin30, true}, {kDataTypeHour, false}, {kDataTypeMin1, false},
                        {kDataTypeWeek, false}};
  for (const Case& c : cases) {
    Show(kShare, c.period);
    Deliver(test::MakeSeries(kShare, c.period, 30, [](int i) { return 10.0f + i % 3; }));
    ASSERT_NE(model_->Series(), nullptr) << c.period;
    EXPECT_EQ(model_->DrawnSeries() == model_->AdjustedSeries() && model_->AdjustedSeries(), c.adjusted)
        << c.period;
  }
}

TEST_F(ChartModelTest, LinesAreRecomputedOnlyWhenTheirSeriesOrPeriodChanged) {
  Show(kShare, kDataTypeDay);
  Deliver(test::MakeSeries(kShare, kDataTypeDay, 40, [](int i) { return 10.0f + i % 4; }));
  const uint64_t after = model_->Lines().Recomputations();
  model_->ToggleShortMarks();  // no series change
  PumpPendingMessages();
  EXPECT_EQ(model_->Lines().Recomputations(), after);
  model_->ToggleExRights();    // another drawn series: all fourteen lines
  EXPECT_EQ(model_->Lines().Recomputations(), after + 14);
  model_->Lines().priceMAPeriod[1] = 7;
  model_->ToggleExRights();    // back to the raw series
  EXPECT_EQ(model_->Lines().Recomputations(), after + 28);
  // Same values as a full recomputation.
  CMovingAverageLine fresh;
  fresh.ComputeClose(model_->Series(), 7);
  ASSERT_EQ(fresh.GetCount(), model_->Lines().m_PriceMA[1].GetCount());
  for (int i = 0; i < fresh.GetCount(); ++i) EXPECT_EQ(fresh.Values()[i], model_->Lines().m_PriceMA[1].Values()[i]);
}

std::unique_ptr<StringRecord15[]> OneRecord(const char* date) {
  auto records = std::make_unique<StringRecord15[]>(1);
  records[0].slot[4] = strdup(date);
  records[0].slot[5] = strdup("100");
  records[0].slot[10] = strdup("A");
  records[0].slot[11] = strdup("B");
  return records;
}

TEST_F(ChartModelTest, ARunningHolderWorkerKeepsItsStockAndItsLateRecordsAreDropped) {
  Show(kShare, kDataTypeDay);
  Deliver(test::MakeSeries(kShare, kDataTypeDay, 5, [](int i) { return 10.0f + i; }));
  ASSERT_EQ(host_->workerJobs.size(), 1u);
  EXPECT_EQ(host_->workerJobs[0]->stock, kShare);
  EXPECT_EQ(host_->timers[kHolderTimerId], kHolderPeriodMs);

  Show(kOther, kDataTypeDay);
  EXPECT_TRUE(model_->HolderWorkerRunning());
  EXPECT_EQ(model_->HolderWorkerStock(), kShare);
  Deliver(test::MakeSeries(kOther, kDataTypeDay, 5, [](int i) { return 20.0f + i; }));
  EXPECT_EQ(host_->workerJobs.size(), 1u) << "no second worker while the first runs";

  // The first worker's records arrive now: freed, the slot emptied, nothing shown.
  ASSERT_TRUE(PostOwned(host_->ChartHwnd(), WM_KIV_HOLDER_MARKS, OneRecord("2025-01-03"), 1));
  PumpPendingMessages();
  EXPECT_FALSE(model_->HolderWorkerRunning());
  EXPECT_FALSE(model_->HolderRecordsArrived());
  for (int i = 0; i < model_->Series()->GetCount(); ++i) EXPECT_EQ(model_->Series()->HolderText(i), nullptr);

  // The next arrival starts the fetch of the shown stock, whose records land.
  Deliver(test::MakeSeries(kOther, kDataTypeDay, 5, [](int i) { return 20.0f + i; }));
  ASSERT_EQ(host_->workerJobs.size(), 2u);
  EXPECT_EQ(host_->workerJobs[1]->stock, kOther);
  ASSERT_TRUE(PostOwned(host_->ChartHwnd(), WM_KIV_HOLDER_MARKS, OneRecord("2025-01-03"), 1));
  PumpPendingMessages();
  EXPECT_TRUE(model_->HolderRecordsArrived());
  EXPECT_EQ(host_->timers.count(kHolderTimerId), 0u);
  ASSERT_NE(model_->Series()->HolderText(1), nullptr);
}

TEST_F(ChartModelTest, TheSeriesIsSavedWhenItChangedAtMostEveryThirtySeconds) {
  Show(kShare, kDataTypeDay);
  Deliver(test::MakeSeries(kShare, kDataTypeDay, 5, [](int i) { return 10.0f + i; }));
  EXPECT_EQ(model_->SaveCount(), 1u) << "the first arrival is saved";
  auto poll = [&](float last, int bars) {
    host_->now += 5;
    Deliver(test::MakeSeries(kShare, kDataTypeDay, bars, [&](int i) { return i == bars - 1 ? last : 10.0f + i; }));
  };
  poll(14.5f, 5);  // the forming bar changed, 5 s later
  EXPECT_EQ(model_->SaveCount(), 1u);
  for (int i = 0; i < 5; ++i) poll(14.6f + i, 5);
  EXPECT_EQ(model_->SaveCount(), 2u) << "30 s after the last save";
  host_->now += 60;
  poll(18.6f, 5);  // unchanged: nothing to write
  EXPECT_EQ(model_->SaveCount(), 2u);
  poll(20.0f, 6);  // a new bar, but within 30 s of... no: 65 s since the save
  EXPECT_EQ(model_->SaveCount(), 3u);
  poll(21.0f, 6);
  EXPECT_EQ(model_->SaveCount(), 3u);
  Show(kOther, kDataTypeDay);  // a switch writes what changed
  EXPECT_EQ(model_->SaveCount(), 4u);
  CKLineSeries saved;
  saved.SetStock(kShare);
  saved.SetDataType(kDataTypeDay);
  ASSERT_EQ(saved.LoadFromFile(), 1);
  EXPECT_EQ(saved.GetCount(), 6);
  EXPECT_FLOAT_EQ(saved.Bar(5).close, 21.0f);
}

TEST_F(ChartModelTest, HiddenChartsDoNotPoll) {
  Show(kShare, kDataTypeDay);
  model_->OnShowWindow(FALSE);
  host_->timers.clear();
  model_->OnTimer(kPollTimerId);
  EXPECT_TRUE(host_->timers.empty());
  model_->OnShowWindow(TRUE);
  model_->OnTimer(kPollTimerId);
  EXPECT_EQ(host_->timers[kPollTimerId], kPollPeriodMs);
}

}  // namespace
}  // namespace kiv
