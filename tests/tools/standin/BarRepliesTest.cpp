// The stand-in's bars: every period cut from one minute path agrees on the
// last close, stable stamps make repeated replies merge to the same bars,
// ex-rights events leave a forward-adjusted series continuous, and the
// switches break replies the ways tests need.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "data/Base64.h"
#include "data/ExRights.h"
#include "data/KLineSeries.h"
#include "data/TaggedRecordTable.h"
#include "net/FieldIds.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/serve/BarReplies.h"
#include "tools/standin/serve/DataRoutes.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {
namespace {

const StockId kShare = MakeStockId(600000, 1);
// 2026-03-16 (a Monday) at 10:32 Beijing: a bar of every period is forming.
const int64_t kNow = BeijingTime(2026, 3, 16, 10, 32, 0);

KivNetPack Request(StockId stock, int count) {
  KivNetPack request;
  request.SetInt16(0, FIELD_FIRST_ROW, 0);
  request.SetInt16(static_cast<int16_t>(count), FIELD_ROW_COUNT, 0);
  request.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  return request;
}

std::vector<int32_t> Closes(KivNetPack reply) {
  KivNetPack group, rows;
  std::vector<int32_t> out;
  if (!reply.GetPack(group, 100010054, 0) || !group.GetPack(rows, 100010028, 0)) return out;
  for (uint32_t i = 0; i < rows.GetRecordCount(); ++i) out.push_back(rows.GetInt32(300000004, int32_t(i)));
  return out;
}

TEST(StandinBars, EveryPeriodAgreesOnTheLastClose) {
  Universe universe(kDefaultSeed);
  PriceHistory history(universe);
  const int32_t day = Closes(BuildBarReply(history, 20000017, Request(kShare, 20), kNow)).back();
  for (uint32_t type : {20000018u, 20000019u, 20000020u, 20000021u, 20000111u}) {
    const std::vector<int32_t> closes = Closes(BuildBarReply(history, type, Request(kShare, 300), kNow));
    ASSERT_FALSE(closes.empty()) << type;
    EXPECT_EQ(closes.back(), day) << type;
  }
  // The HTTP texts after their readers' scaling: yuan, and x 1000.
  const nlohmann::json hour = nlohmann::json::parse(HourBarsJson(history, kShare, 10, kNow));
  EXPECT_EQ(std::lround(hour["values"].back()["close"].get<double>() * 10000), day);
  const nlohmann::json minute = nlohmann::json::parse(MinuteBarsJson(history, kShare, 50, kNow));
  CTaggedRecordTable table;
  ASSERT_TRUE(table.LoadBase64(minute["values"].get<std::string>()));
  ASSERT_EQ(table.GetRecordCount(), 50);
  EXPECT_EQ(table.SelectRecord(49).GetInt32(300000004) * 10, day);
  EXPECT_EQ(table.SelectRecord(49).GetInt64(400000001), BeijingTime(2026, 3, 16, 10, 32, 0));
}

TEST(StandinBars, DayRepliesAMinuteApartMergeToTheSameBars) {
  Universe universe(kDefaultSeed);
  PriceHistory history(universe);
  for (uint32_t type : {20000017u, 20000022u, 20000018u}) {
    CKLineSeries merged;
    merged.SetDataType(type);
    for (int64_t at : {kNow, kNow + 60}) {
      KivNetPack reply = BuildBarReply(history, type, Request(kShare, 400), at);
      KivNetPack group, rows;
      ASSERT_TRUE(reply.GetPack(group, 100010054, 0) && group.GetPack(rows, 100010028, 0));
      for (uint32_t i = 0; i < rows.GetRecordCount(); ++i) {
        KLineBar bar{};
        bar.time = rows.GetTime64(400000001, int32_t(i));
        bar.close = rows.GetInt32(300000004, int32_t(i)) / 10000.0f;
        merged.AddBar(bar, 0, 0, 0, type == 20000018 ? 0 : 1);
      }
      if (at == kNow) {
        EXPECT_EQ(merged.GetCount(), 400) << type;
      }
    }
    EXPECT_EQ(merged.GetCount(), 400) << type << ": the forming bar is replaced, not added";
  }
}

TEST(StandinBars, ForwardAdjustmentLeavesNoJumpAtExDates) {
  Universe universe(kDefaultSeed);
  PriceHistory history(universe);
  const std::vector<MarketBar> bars = history.Bars(kShare, BarPeriod::kDay, kNow, 20480);
  const std::vector<ExRightsEvent> events = history.ExRights(kShare, kNow);
  ASSERT_GT(bars.size(), 4000u);
  ASSERT_GE(events.size(), 15u) << "a dividend every year";
  // Each event on its own (later cash dividends subtract, so stacked
  // adjustments stretch old relative moves): the day of the ex-date moves
  // within the daily limit once adjusted, though its raw price jumps.
  int bonusJumps = 0;
  for (const ExRightsEvent& e : events) {
    CKLineSeries series;
    series.SetDataType(20000017);
    int exBar = -1;
    for (const MarketBar& b : bars) {
      KLineBar bar{};
      bar.time = b.time;
      bar.open = b.open / 10000.0f;
      bar.high = b.high / 10000.0f;
      bar.low = b.low / 10000.0f;
      bar.close = b.close / 10000.0f;
      series.AddBar(bar, 0, 0, 0, 1);
      if (b.time == CloseStampOf(e.day)) exBar = series.GetCount() - 1;
    }
    ASSERT_GT(exBar, 0);
    const double raw = series.Bar(exBar).close / series.Bar(exBar - 1).close - 1.0;
    const ExRightsRecord record{CloseStampOf(e.day), e.bonusX1000 / 1000.0f, 0, 0, e.cashX1000 / 1000.0f};
    const int count = 1, start = 0;
    ApplyExRights(&series, &record, &count, &start);
    const double adjusted = series.Bar(exBar).close / series.Bar(exBar - 1).close - 1.0;
    EXPECT_LT(std::fabs(adjusted), 0.1005) << "ex-date " << e.day;
    if (e.bonusX1000 > 0 && std::fabs(raw) > 0.1005) ++bonusJumps;
  }
  EXPECT_GT(bonusJumps, 0) << "no bonus issue made the raw series jump";
}

TEST(StandinBars, ExRightsReplyAndSwitches) {
  Universe universe(kDefaultSeed);
  PriceHistory history(universe);
  KivNetPack reply = BuildExRightsReply(history, Request(kShare, 0), kNow);
  KivNetPack group, rows;
  ASSERT_TRUE(reply.GetPack(group, 100010057, 0));
  EXPECT_EQ(StockId(group.GetInt32(FIELD_STOCK_ID, 0)), kShare);
  ASSERT_TRUE(group.GetPack(rows, 100010032, 0));
  for (uint32_t i = 1; i < rows.GetRecordCount(); ++i) {
    EXPECT_LT(rows.GetInt32(300000025, int32_t(i - 1)), rows.GetInt32(300000025, int32_t(i)));
  }
  KivNetPack none = BuildBarReply(history, 20000017, Request(kShare, 5), kNow, BarFault::kNoContainer);
  KivNetPack missing;
  EXPECT_FALSE(none.GetPack(missing, 100010054, 0));
  const std::vector<int32_t> closes =
      Closes(BuildBarReply(history, 20000017, Request(kShare, 5), kNow, BarFault::kZeroCloseRow));
  ASSERT_EQ(closes.size(), 6u);
  EXPECT_EQ(closes.back(), 0);
  // Texts of the hour and minute loaders never hold "error".
  for (int count : {1, 100, 5000}) {
    EXPECT_EQ(MinuteBarsJson(history, kShare, count, kNow).find("error"), std::string::npos);
    EXPECT_EQ(HourBarsJson(history, kShare, count, kNow).find("error"), std::string::npos);
  }
  const nlohmann::json options = nlohmann::json::parse(OptionBarsJson(history, 3, 30, kNow));
  EXPECT_GE(options["stockId"].get<int64_t>(), 1);
  EXPECT_EQ(options["values"].size(), 30u);
}

}  // namespace
}  // namespace kiv::standin

namespace kiv::standin {
namespace {

TEST(StandinBars, InsiderChangesFallOnTradingDaysAtTheirClose) {
  Universe universe(kDefaultSeed);
  PriceHistory history(universe);
  int checked = 0;
  for (const Security& s : universe.Securities()) {
    if (!IsAShareGroup(s.group) || checked >= 5) continue;
    const unsigned code = s.id & 0xFFFFFF;
    const nlohmann::json json = nlohmann::json::parse(InsiderChangesText(universe, history, code, kNow));
    ASSERT_EQ(json["NSize"].get<int>(), InsiderChangeCountOf(code));
    std::string newer = "9999-99-99";
    for (const auto& record : json["Data"]) {
      const std::string date = record["changedate"].get<std::string>();
      EXPECT_LT(date, newer) << "newest first";
      newer = date;
      const int64_t day = DaysFromCivil(std::stoi(date.substr(0, 4)), std::stoi(date.substr(5, 2)), std::stoi(date.substr(8, 2)));
      const int32_t close = history.CloseOf(s.id, day);
      ASSERT_GT(close, 0) << date << " is no trading day of " << code;
      EXPECT_DOUBLE_EQ(std::stod(record["avgprice"].get<std::string>()), std::round(close / 100.0) / 100.0);
      ++checked;
    }
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace kiv::standin
