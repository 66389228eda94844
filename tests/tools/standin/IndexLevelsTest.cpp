// The index levels made from their members, and the ticker's reply
// (20000001) built from them: the members of each index, a daily return
// that is a weighted mean of the members' returns, a minute path that ends
// on the close, the quote of each phase of the market clock, the same
// numbers whatever order they are asked in, and a reply that carries the
// model's quotes in the order asked.
#include "tools/standin/market/IndexLevels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "tests/tools/standin/ReplySupport.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/IndexQuoteReplies.h"
#include "tools/standin/serve/MarketService.h"

namespace kiv::standin {
namespace {

constexpr uint64_t kIndexSeed = 20050104;
const StockId kSh = MakeStockId(1, kMarketShanghai);
const StockId kSz = MakeStockId(399001, kMarketShenzhen);
const StockId kHs300 = MakeStockId(300, kMarketShanghai);
const StockId kSme = MakeStockId(399005, kMarketShenzhen);

int64_t DayOf(int year, int month, int day) { return DaysFromCivil(year, month, day); }

struct MembershipCase {
  const char* name;
  StockId index;
  size_t count;
  bool (*belongs)(const Security&);
};

class IndexMembershipTest : public ::testing::TestWithParam<MembershipCase> {};

TEST_P(IndexMembershipTest, HoldsTheSharesItsRuleNames) {
  const MembershipCase& c = GetParam();
  Universe universe(kIndexSeed);
  PriceHistory prices(universe);
  IndexLevels levels(universe, prices);
  const std::vector<const Security*> members = levels.Members(c.index);
  EXPECT_EQ(members.size(), c.count);
  for (const Security* s : members) EXPECT_TRUE(c.belongs(*s)) << s->id;
}

INSTANTIATE_TEST_SUITE_P(
    Indices, IndexMembershipTest,
    ::testing::Values(
        MembershipCase{"sh000001", kSh, 260,
                       [](const Security& s) {
                         return s.group == SecurityGroup::kShShare || s.group == SecurityGroup::kStarShare;
                       }},
        MembershipCase{"sz399001", kSz, 160,
                       [](const Security& s) {
                         return s.group == SecurityGroup::kSzMainShare || s.group == SecurityGroup::kSmeShare;
                       }},
        MembershipCase{"sh000300", kHs300, 300, [](const Security& s) { return IsAShareGroup(s.group); }},
        MembershipCase{"sz399005", kSme, 60, [](const Security& s) { return s.group == SecurityGroup::kSmeShare; }},
        MembershipCase{"sh000016", MakeStockId(16, kMarketShanghai), 50,
                       [](const Security& s) { return s.group == SecurityGroup::kShShare; }},
        MembershipCase{"sh000905", MakeStockId(905, kMarketShanghai), 200,
                       [](const Security& s) { return IsAShareGroup(s.group); }},
        MembershipCase{"sz399006", MakeStockId(399006, kMarketShenzhen), 80,
                       [](const Security& s) { return s.group == SecurityGroup::kChiNextShare; }},
        MembershipCase{"notAnIndex", MakeStockId(600000, kMarketShanghai), 0,
                       [](const Security&) { return false; }}),
    [](const ::testing::TestParamInfo<MembershipCase>& info) { return std::string(info.param.name); });

TEST(IndexLevelsTest, ADailyReturnIsAMeanOfTheTradedMembersReturnsAndThePathEndsOnTheClose) {
  Universe universe(kIndexSeed);
  PriceHistory prices(universe);
  IndexLevels levels(universe, prices);
  const std::vector<int64_t>& days = prices.TradingDays();
  for (int64_t day : {DayOf(2007, 10, 16), DayOf(2008, 10, 28), DayOf(2026, 3, 13), DayOf(2026, 3, 16)}) {
    const size_t t = static_cast<size_t>(std::lower_bound(days.begin(), days.end(), day) - days.begin());
    ASSERT_EQ(days[t], day);
    for (StockId index : {kSh, kSz, kHs300, kSme}) {
      SCOPED_TRACE(std::to_string(StockCode(index)) + " on day " + std::to_string(day));
      double low = 1e9, high = -1e9;
      for (const Security* s : levels.Members(index)) {
        if (!prices.ModelTrades(*s, t)) continue;
        low = std::min(low, prices.ModelReturn(*s, t));
        high = std::max(high, prices.ModelReturn(*s, t));
      }
      const double before = levels.CloseOf(index, days[t - 1]);
      const double after = levels.CloseOf(index, day);
      ASSERT_GT(before, 0);
      const double r = after / before - 1;
      // Within the members' range (one unit of rounding either way).
      EXPECT_GE(r, low - 1.0 / before);
      EXPECT_LE(r, high + 1.0 / before);
      const std::vector<int32_t> path = levels.MinutePath(index, day);
      ASSERT_EQ(path.size(), static_cast<size_t>(PriceHistory::kPathPoints));
      EXPECT_EQ(path.back(), levels.CloseOf(index, day));
      for (int32_t level : path) {
        EXPECT_GT(level, before * (1 - 0.21));
        EXPECT_LT(level, before * (1 + 0.21));
      }
    }
  }
  EXPECT_EQ(levels.CloseOf(kSh, DayOf(2026, 3, 14)), 0) << "a Saturday has no close";
  EXPECT_TRUE(levels.MinutePath(MakeStockId(600000, kMarketShanghai), DayOf(2026, 3, 16)).empty());
}

TEST(IndexLevelsTest, GivesTheSameLevelsWhateverOrderTheyAreAskedIn) {
  Universe universe(kIndexSeed);
  PriceHistory pricesA(universe), pricesB(universe);
  IndexLevels early(universe, pricesA), late(universe, pricesB);
  const int64_t first = DayOf(2010, 6, 1), second = DayOf(2026, 3, 16);
  const int32_t earlyFirst = early.CloseOf(kSz, first);
  const std::vector<int32_t> earlyPath = early.MinutePath(kSz, second);
  const std::vector<int32_t> latePath = late.MinutePath(kSz, second);
  EXPECT_EQ(late.CloseOf(kSz, first), earlyFirst);
  EXPECT_EQ(latePath, earlyPath);
  EXPECT_EQ(late.CloseOf(kSme, second), early.CloseOf(kSme, second));
  // Another seed makes another market.
  Universe other(kIndexSeed + 1);
  PriceHistory otherPrices(other);
  IndexLevels otherLevels(other, otherPrices);
  EXPECT_NE(otherLevels.CloseOf(kSz, second), early.CloseOf(kSz, second));
}

struct PhaseCase {
  const char* name;
  int day;  // of March 2026: the 13th a Friday, the 16th a Monday
  int hour;
  int minute;
  int pathMinute;      // -1: last = previous close; -2: the day's close; -3: no session today
};

class IndexQuotePhaseTest : public ::testing::TestWithParam<PhaseCase> {};

TEST_P(IndexQuotePhaseTest, QuotesTheLevelOfTheMarketClocksPhase) {
  const PhaseCase& c = GetParam();
  Universe universe(kIndexSeed);
  PriceHistory prices(universe);
  IndexLevels levels(universe, prices);
  IndexQuote quote;
  ASSERT_TRUE(levels.QuoteAt(kSh, BeijingTime(2026, 3, c.day, c.hour, c.minute, 0), &quote));
  const int64_t friday = DayOf(2026, 3, 13), thursday = DayOf(2026, 3, 12), monday = DayOf(2026, 3, 16);
  switch (c.pathMinute) {
    case -3:
      EXPECT_EQ(quote.last, levels.CloseOf(kSh, friday));
      EXPECT_EQ(quote.previousClose, levels.CloseOf(kSh, thursday));
      break;
    case -2:
      EXPECT_EQ(quote.last, levels.CloseOf(kSh, monday));
      EXPECT_EQ(quote.previousClose, levels.CloseOf(kSh, friday));
      break;
    case -1:
      EXPECT_EQ(quote.last, levels.CloseOf(kSh, friday));
      EXPECT_EQ(quote.previousClose, levels.CloseOf(kSh, friday));
      break;
    default:
      EXPECT_EQ(quote.last, levels.MinutePath(kSh, monday)[static_cast<size_t>(c.pathMinute)]);
      EXPECT_EQ(quote.previousClose, levels.CloseOf(kSh, friday));
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Clock, IndexQuotePhaseTest,
                         ::testing::Values(PhaseCase{"beforeTheAuction", 16, 8, 0, -1},
                                           PhaseCase{"duringTheAuction", 16, 9, 20, -1},
                                           PhaseCase{"atTheOpen", 16, 9, 30, 0},
                                           PhaseCase{"morning", 16, 10, 30, 60},
                                           PhaseCase{"lunch", 16, 12, 15, 120},
                                           PhaseCase{"afternoon", 16, 14, 1, 181},
                                           PhaseCase{"afterTheClose", 16, 16, 0, -2},
                                           PhaseCase{"saturday", 14, 10, 30, -3},
                                           PhaseCase{"sunday", 15, 20, 0, -3}),
                         [](const ::testing::TestParamInfo<PhaseCase>& info) { return std::string(info.param.name); });

KivNetPack TickerRequest(const std::vector<StockId>& ids) {
  KivNetPack list;
  for (size_t r = 0; r < ids.size(); ++r) {
    list.SetInt32(static_cast<int32_t>(ids[r]), FIELD_STOCK_ID, static_cast<int32_t>(r));
  }
  KivNetPack request;
  request.SetPack(list, FIELD_STOCK_LIST, 0);
  return request;
}

using testing::Reloaded;

TEST(IndexQuotesReplyTest, CarriesTheModelsQuotesInTheOrderAsked) {
  MarketService service(kIndexSeed);
  const int64_t now = BeijingTime(2026, 3, 16, 10, 37, 0);
  const std::vector<StockId> asked = {kSh, kSz, kHs300, kSme};
  KivNetPack reply = Reloaded(service.Reply(DT_INDEX_QUOTES, TickerRequest(asked), now));
  KivNetPack group;
  ASSERT_TRUE(reply.GetPack(group, GROUP_INDEX_QUOTES, 0)) << group.GetErrorText();
  ASSERT_EQ(group.GetRecordCount(), 4u);
  for (int32_t row = 0; row < 4; ++row) {
    IndexQuote quote;
    ASSERT_TRUE(service.Indices().QuoteAt(asked[static_cast<size_t>(row)], now, &quote));
    EXPECT_EQ(static_cast<StockId>(group.GetInt32(FIELD_STOCK_ID, row)), asked[static_cast<size_t>(row)]);
    EXPECT_EQ(group.GetInt32(FIELD_LAST_PRICE, row), quote.last) << "row " << row;
    EXPECT_EQ(group.GetInt32(FIELD_PREV_CLOSE, row), quote.previousClose) << "row " << row;
    EXPECT_GT(quote.last, 0);
    EXPECT_NE(quote.last, quote.previousClose) << "the session has moved by 10:37";
  }
  // The same request at the same clock gives the same bytes.
  std::string a, b;
  service.Reply(DT_INDEX_QUOTES, TickerRequest(asked), now).GetAllPackData(a);
  MarketService fresh(kIndexSeed);
  fresh.Reply(DT_INDEX_QUOTES, TickerRequest(asked), now).GetAllPackData(b);
  EXPECT_EQ(a, b);
}

TEST(IndexQuotesReplyTest, AnswersZerosForWhatItDoesNotComputeAndNothingForABadRequest) {
  MarketService service(kIndexSeed);
  const int64_t now = BeijingTime(2026, 3, 16, 10, 37, 0);
  KivNetPack reply =
      Reloaded(service.Reply(DT_INDEX_QUOTES, TickerRequest({MakeStockId(600000, kMarketShanghai), kSme}), now));
  KivNetPack group;
  ASSERT_TRUE(reply.GetPack(group, GROUP_INDEX_QUOTES, 0));
  ASSERT_EQ(group.GetRecordCount(), 2u);
  EXPECT_EQ(group.GetInt32(FIELD_LAST_PRICE, 0), 0);
  EXPECT_EQ(group.GetInt32(FIELD_PREV_CLOSE, 0), 0);
  EXPECT_GT(group.GetInt32(FIELD_LAST_PRICE, 1), 0);

  EXPECT_EQ(service.Reply(DT_INDEX_QUOTES, KivNetPack(), now).GetRecordCount(), 0u);
  std::vector<StockId> tooMany(kMaxQuotedIndices + 1, kSh);
  EXPECT_EQ(service.Reply(DT_INDEX_QUOTES, TickerRequest(tooMany), now).GetRecordCount(), 0u);
}

}  // namespace
}  // namespace kiv::standin
