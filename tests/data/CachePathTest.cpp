#include "data/CachePath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/data/DataScratchFolder.h"

namespace {

struct PathCase {
  const char* what;
  uint32_t type;
  StockId id;
  const char* suffix;  // below the data folder; null: no path (result 0)
  StockId idAfter;     // the caller's word afterwards
};

const PathCase kCases[] = {
    {"day bars of Shanghai", kiv::kDataTypeDay, MakeStockId(600000, 1), "/sh/day/600000.day",
     MakeStockId(600000, 1)},
    {"one-minute bars fill a missing Shenzhen market", kiv::kDataTypeMin1, MakeStockId(1, 0),
     "/sz/min1/000001.mn1", MakeStockId(1, 2)},
    {"day bars fill a missing Shenzhen market", kiv::kDataTypeDay, MakeStockId(1, 0),
     "/sz/day/000001.day", MakeStockId(1, 2)},
    {"a missing market of a code from 600000 is Shanghai", kiv::kDataTypeWeek,
     MakeStockId(600519, 0), "/sh/week/600519.wek", MakeStockId(600519, 1)},
    {"five minutes", kiv::kDataTypeMin5, MakeStockId(2, 2), "/sz/min5/000002.mn5", MakeStockId(2, 2)},
    {"fifteen minutes", kiv::kDataTypeMin15, MakeStockId(2, 2), "/sz/min15/000002.m15", MakeStockId(2, 2)},
    {"thirty minutes", kiv::kDataTypeMin30, MakeStockId(2, 2), "/sz/min30/000002.m30", MakeStockId(2, 2)},
    {"hour", kiv::kDataTypeHour, MakeStockId(2, 2), "/sz/hour1/000002.hr1", MakeStockId(2, 2)},
    {"month", kiv::kDataTypeMonth, MakeStockId(2, 2), "/sz/month/000002.mon", MakeStockId(2, 2)},
    {"ticks", kiv::kDataTypeTick, MakeStockId(2, 3), "/sb/Tick/000002.tik", MakeStockId(2, 3)},
    {"sector members lie in the market folder", kiv::kDataTypeSectorMembers,
     MakeStockId(880001, 4), "/sdy/880001.stock", MakeStockId(880001, 4)},
    {"finance", kiv::kDataTypeFinance, MakeStockId(600000, 1), "/sh/finance/600000.fnc",
     MakeStockId(600000, 1)},
    {"money flow", kiv::kDataTypeNetFlow, MakeStockId(600000, 1), "/sh/INCOM/600000.in",
     MakeStockId(600000, 1)},
    {"short-term alerts", kiv::kDataTypeShortFairy, MakeStockId(999999, 4),
     "/sdy/FARY/999999.fairy", MakeStockId(999999, 4)},
    {"closing commentary", kiv::kDataTypeJiePan, MakeStockId(1, 1), "/sh/Jiepan/000001.jp",
     MakeStockId(1, 1)},
    {"pool files ignore the stock", kiv::kDataTypeBuyPool, MakeStockId(0, 9), "/buypool.data",
     MakeStockId(0, 9)},
    {"opportunity pool", kiv::kDataTypeOpportunityPool, 0, "/opportpool.data", 0},
    {"pre-selection pool", kiv::kDataTypePreselectionPool, 0, "/forebpool.data", 0},
    {"risk pool", kiv::kDataTypeRiskPool, 0, "/riskpool.data", 0},
    {"return rate by code, whatever the market", kiv::kDataTypeIncomeRate, MakeStockId(1, 7),
     "/Halfyear.data", MakeStockId(1, 7)},
    {"return rate year", kiv::kDataTypeIncomeRate, MakeStockId(0, 0), "/year.data", 0},
    {"return rate season", kiv::kDataTypeIncomeRate, MakeStockId(2, 0), "/season.data",
     MakeStockId(2, 0)},
    {"return rate of another code", kiv::kDataTypeIncomeRate, MakeStockId(3, 0), nullptr,
     MakeStockId(3, 0)},
    {"sector ranking concept", kiv::kDataTypeSector, MakeStockId(2, 0), "/sz/concept.data",
     MakeStockId(2, 2)},
    {"sector ranking of another code", kiv::kDataTypeSector, MakeStockId(3, 0), nullptr,
     MakeStockId(3, 2)},
    {"market 5 is refused and not filled", kiv::kDataTypeDay, MakeStockId(600000, 5), nullptr,
     MakeStockId(600000, 5)},
    {"code 0 is refused", kiv::kDataTypeDay, MakeStockId(0, 1), nullptr, MakeStockId(0, 1)},
    {"quotes have no cache file", 20000043, MakeStockId(1, 0), nullptr, MakeStockId(1, 0)},
    {"trade details have no cache file", 20000049, MakeStockId(1, 0), nullptr, MakeStockId(1, 0)},
    {"accepted types without a file still fill the market", kiv::kDataTypeNoFileA,
     MakeStockId(1, 0), nullptr, MakeStockId(1, 2)},
    {"the other one too", kiv::kDataTypeNoFileB, MakeStockId(600000, 0), nullptr,
     MakeStockId(600000, 1)},
};

TEST(CachePathTest, BuildsThePathOfEachTypeAndStock) {
  DataScratchFolder scratch;
  for (const PathCase& c : kCases) {
    SCOPED_TRACE(c.what);
    char buffer[kiv::kCachePathSize];
    std::memset(buffer, 'x', sizeof buffer);
    StockId id = c.id;
    const int result = kiv::GetCachePath(buffer, sizeof buffer, &id, c.type);
    EXPECT_EQ(id, c.idAfter);
    if (c.suffix) {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(std::string(buffer), scratch.Data() + c.suffix);
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(buffer[0], 0);
      EXPECT_EQ(buffer[sizeof buffer - 1], 0);  // the whole buffer is zeroed
    }
  }
}

TEST(CachePathTest, CreatesTheFoldersOnTheWay) {
  DataScratchFolder scratch;
  StockId id = MakeStockId(600000, 1);
  ASSERT_EQ(kiv::CachePathOf(&id, kiv::kDataTypeDay), scratch.Data() + "/sh/day/600000.day");
  EXPECT_TRUE(FileExists(scratch.Data() + "/sh/day"));

  // Accepted types without a file name still make their market folder.
  StockId other = MakeStockId(1, 4);
  EXPECT_EQ(kiv::CachePathOf(&other, kiv::kDataTypeNoFileA), "");
  EXPECT_TRUE(FileExists(scratch.Data() + "/sdy"));

  // The sector files can be written at once: their folder exists.
  StockId industry = MakeStockId(0, 0);
  EXPECT_EQ(kiv::CachePathOf(&industry, kiv::kDataTypeSector), scratch.Data() + "/sz/industry.data");
  EXPECT_TRUE(FileExists(scratch.Data() + "/sz"));
}

TEST(CachePathTest, RefusesAPathThatDoesNotFitTheBuffer) {
  DataScratchFolder scratch;
  kiv::SetDataFolder(scratch.Path() + "/" + std::string(250, 'd') + "/Data");
  char buffer[kiv::kCachePathSize];
  StockId id = MakeStockId(600000, 1);
  EXPECT_EQ(kiv::GetCachePath(buffer, sizeof buffer, &id, kiv::kDataTypeShortFairy), 0);
  EXPECT_EQ(buffer[0], 0);
  // A small buffer is never written past.
  char small[8];
  EXPECT_EQ(kiv::GetCachePath(small, sizeof small, &id, kiv::kDataTypeBuyPool), 0);
  EXPECT_EQ(kiv::GetCachePath(nullptr, 0, &id, kiv::kDataTypeDay), 0);
  EXPECT_EQ(kiv::GetCachePath(buffer, sizeof buffer, nullptr, kiv::kDataTypeDay), 0);
}

}  // namespace
