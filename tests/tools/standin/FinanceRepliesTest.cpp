// The finance reply (20000055) as the terminal reads it: one row per public
// quarter end, oldest first, prices x 1000 from the share's own bars, the
// share capital stepping with the bonus issues of the ex-rights records, the
// industry's averages the means of its members, and the request's rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "tests/tools/standin/ReplySupport.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/MarketService.h"

namespace kiv::standin::finance_reply_test {
namespace {

const int64_t kMorning = BeijingTime(2026, 3, 16, 10, 30, 0);

KivNetPack FinanceRequest(StockId stock, int first = 0, int count = 512) {
  KivNetPack request;  // the terminal's field order: range, stock, selector
  request.SetInt16(static_cast<int16_t>(first), FIELD_FIRST_ROW, 0);
  request.SetInt16(static_cast<int16_t>(count), FIELD_ROW_COUNT, 0);
  request.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  request.SetInt16(0, FIELD_SELECTOR, 0);
  return request;
}

// The reply as the readers take it: group 100010072 of the reloaded payload
// and its quarter group 100010070.
struct Finance {
  KivNetPack group;
  KivNetPack quarters;
  bool hasQuarters = false;
};

Finance Read(const KivNetPack& reply) {
  KivNetPack loaded = testing::Reloaded(reply);
  Finance out;
  EXPECT_TRUE(loaded.GetPack(out.group, 100010072, 0)) << out.group.GetErrorText();
  out.hasQuarters = out.group.GetPack(out.quarters, 100010070, 0);
  return out;
}

std::vector<int32_t> Dates(Finance& f) {
  std::vector<int32_t> dates;
  for (uint32_t i = 0; i < f.quarters.GetRecordCount(); ++i) dates.push_back(f.quarters.GetInt32(300000025, int32_t(i)));
  return dates;
}

int32_t QuarterEndOf(int32_t yyyymmdd) {
  const int month = ((yyyymmdd / 100 % 100 - 1) / 3 + 1) * 3;
  return yyyymmdd / 10000 * 10000 + month * 100 + (month == 3 || month == 12 ? 31 : 30);
}

int32_t NextQuarterEnd(int32_t end) {
  const int month = end / 100 % 100;
  return month == 12 ? (end / 10000 + 1) * 10000 + 331 : QuarterEndOf(end / 10000 * 10000 + (month + 1) * 100 + 1);
}

int64_t DayOf(int32_t yyyymmdd) { return DaysFromCivil(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100); }

// A share with a bonus issue after its first quarter end and before the clock.
const Security* ShareWithBonus(MarketService& service, int64_t nowUtc) {
  for (const Security& s : service.GetUniverse().Securities()) {
    if (!IsAShareGroup(s.group)) continue;
    for (const ExRightsEvent& e : service.Prices().ExRights(s.id, nowUtc)) {
      if (e.bonusX1000 > 0 && e.day > DayOf(QuarterEndOf(s.listDate))) return &s;
    }
  }
  return nullptr;
}

TEST(FinanceReplyTest, QuartersFollowTheSharesPricesAndBonusIssues) {
  MarketService service(20050104);
  const Security* share = ShareWithBonus(service, kMorning);
  ASSERT_NE(share, nullptr);
  Finance f = Read(service.Reply(DT_FINANCE, FinanceRequest(share->id), kMorning));
  EXPECT_EQ(StockId(f.group.GetInt32(FIELD_STOCK_ID, 0)), share->id);
  std::string sector;
  ASSERT_TRUE(f.group.GetString(sector, 700000017, 0));
  EXPECT_EQ(sector, service.GetUniverse().Find(MakeStockId(880001 + share->industry, 4))->name);
  ASSERT_TRUE(f.hasQuarters);

  // Every quarter end from the listing to the last one before the clock, in order.
  const std::vector<int32_t> dates = Dates(f);
  ASSERT_FALSE(dates.empty());
  EXPECT_EQ(dates.front(), QuarterEndOf(share->listDate));
  EXPECT_EQ(dates.back(), 20251231);
  for (size_t i = 1; i < dates.size(); ++i) ASSERT_EQ(dates[i], NextQuarterEnd(dates[i - 1])) << i;

  const std::vector<ExRightsEvent> events = service.Prices().ExRights(share->id, kMorning);
  int steps = 0;
  for (uint32_t i = 0; i < dates.size(); ++i) {
    const int32_t r = int32_t(i);
    const int64_t day = DayOf(dates[i]);
    // The price x 1000: the last close on or before the quarter end, the
    // listing price before the share's first bar.
    const int32_t close = service.Prices().CloseOnOrBefore(share->id, day);
    EXPECT_EQ(f.quarters.GetInt32(300000004, r) * 10, close > 0 ? close : share->basePrice) << dates[i];
    for (int32_t field : {300000131, 300000132, 300000133, 300000134, 300000045, 300000046, 300000047, 300000048}) {
      const int32_t score = f.quarters.GetInt32(field, r);
      EXPECT_TRUE(score >= 0 && score <= 1000000) << field << " " << score;
    }
    EXPECT_EQ(f.quarters.GetInt32(300000150, r), 1);
    EXPECT_GT(f.quarters.GetInt32(300000067, r), 0);
    EXPECT_EQ(f.quarters.GetInt32(300000149, r), f.quarters.GetInt32(300000070, r) > 0 ? 1 : 0);
    // The capital steps up by the bonus ratio at the quarter holding the
    // ex-date and stays put otherwise; today's is the share's total.
    const int64_t capital = f.quarters.GetInt64(500000029, r);
    const int64_t later = i + 1 < dates.size() ? f.quarters.GetInt64(500000029, r + 1) : share->totalShares;
    const int64_t laterDay = i + 1 < dates.size() ? DayOf(dates[i + 1]) : DayOf(20260316);
    int64_t expected = later;
    for (const ExRightsEvent& e : events) {
      if (e.day > day && e.day <= laterDay && e.bonusX1000 > 0) {
        expected = (later * 1000 + (1000 + e.bonusX1000) / 2) / (1000 + e.bonusX1000);
        ++steps;
      }
    }
    EXPECT_EQ(capital, expected) << dates[i];
  }
  EXPECT_GT(steps, 0);
  PackFieldDesc desc;
  ASSERT_GE(f.quarters.FindField(500000029, desc), 0);
  EXPECT_EQ(desc.Size(), 8u) << "share capital travels as 64 bits";
}

// A sector average is the mean of the scores its members report for the quarter.
TEST(FinanceReplyTest, SectorAveragesAreTheIndustryMembersMeans) {
  MarketService service(7);
  const Universe& universe = service.GetUniverse();
  const Security* share = universe.OfGroup(SecurityGroup::kShShare).front();
  Finance f = Read(service.Reply(DT_FINANCE, FinanceRequest(share->id), kMorning));
  const int32_t last = int32_t(f.quarters.GetRecordCount()) - 1;
  ASSERT_GE(last, 0);
  const int32_t date = f.quarters.GetInt32(300000025, last);
  const int32_t scoreFields[] = {300000131, 300000132, 300000133, 300000134};
  const int32_t averageFields[] = {300000045, 300000046, 300000047, 300000048};
  int64_t sums[4] = {0, 0, 0, 0};
  int members = 0;
  for (const Security* member : universe.SectorMembers(MakeStockId(880001 + share->industry, 4))) {
    Finance m = Read(service.Reply(DT_FINANCE, FinanceRequest(member->id), kMorning));
    const int32_t row = int32_t(m.quarters.GetRecordCount()) - 1;
    ASSERT_EQ(m.quarters.GetInt32(300000025, row), date) << member->id;
    for (int k = 0; k < 4; ++k) sums[k] += m.quarters.GetInt32(scoreFields[k], row);
    ++members;
  }
  ASSERT_GT(members, 1);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(f.quarters.GetInt32(averageFields[k], last), double(sums[k]) / members, 1.0) << k;
  }
}

TEST(FinanceReplyTest, RowsFollowTheRequestAndTheClock) {
  MarketService service(20050104);
  const StockId share = MakeStockId(600000, 1);
  Finance all = Read(service.Reply(DT_FINANCE, FinanceRequest(share), kMorning));
  const std::vector<int32_t> dates = Dates(all);
  ASSERT_GT(dates.size(), 20u);
  const int n = int(dates.size());
  struct Case {
    int first, count;
    size_t begin, end;  // rows of the whole list
  };
  const Case cases[] = {
      {0, 512, 0, dates.size()}, {0, 4, 0, 4},  {3, 2, 3, 5},         {n - 2, 10, dates.size() - 2, dates.size()},
      {0, 0, 0, dates.size()},   {n, 5, 0, 0},  {-1, 3, 0, 3},
  };
  for (const Case& c : cases) {
    Finance f = Read(service.Reply(DT_FINANCE, FinanceRequest(share, c.first, c.count), kMorning));
    ASSERT_TRUE(f.hasQuarters) << c.first << "," << c.count;
    EXPECT_EQ(Dates(f), std::vector<int32_t>(dates.begin() + c.begin, dates.begin() + c.end))
        << c.first << "," << c.count;
  }
  // A quarter is public from its quarter end's close.
  struct Clock {
    int64_t nowUtc;
    int32_t last;
  };
  const Clock clocks[] = {{BeijingTime(2025, 12, 31, 14, 59, 0), 20250930},
                          {BeijingTime(2025, 12, 31, 15, 0, 0), 20251231},
                          {BeijingTime(2026, 1, 3, 12, 0, 0), 20251231}};
  for (const Clock& clock : clocks) {
    Finance f = Read(service.Reply(DT_FINANCE, FinanceRequest(share), clock.nowUtc));
    EXPECT_EQ(Dates(f).back(), clock.last);
  }
}

// Whatever has no reports gets the group with an empty quarter group, so a
// reader keeps no other stock's quarters for it; so does a request without
// a stock.
TEST(FinanceReplyTest, NonSharesGetNoQuarters) {
  MarketService service(20050104);
  ASSERT_EQ(service.GetUniverse().Find(MakeStockId(999999, 1)), nullptr);
  for (StockId id : {MakeStockId(1, 1), MakeStockId(880001, 4), MakeStockId(510050, 1), MakeStockId(999999, 1), 0u}) {
    Finance f = Read(service.Reply(DT_FINANCE, id ? FinanceRequest(id) : KivNetPack(), kMorning));
    EXPECT_EQ(StockId(f.group.GetInt32(FIELD_STOCK_ID, 0)), id);
    EXPECT_TRUE(f.hasQuarters) << id;
    EXPECT_EQ(f.quarters.GetRecordCount(), 0u) << id;
    PackFieldDesc desc;
    EXPECT_LT(f.group.FindField(700000017, desc), 0) << id;
  }
}

}  // namespace
}  // namespace kiv::standin::finance_reply_test
