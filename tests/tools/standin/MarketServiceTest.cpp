#include "tools/standin/serve/MarketService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "data/StockTable.h"
#include "net/FieldIds.h"
#include "tests/tools/standin/ReplySupport.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/ReplyBuilder.h"
#include "tools/standin/serve/ReplyIds.h"

namespace kiv::standin {
namespace {

const int64_t kMorning = BeijingTime(2026, 3, 16, 10, 30, 0);

std::string Serialised(const KivNetPack& pack) {
  std::string bytes;
  pack.GetAllPackData(bytes);
  return bytes;
}

// The reply as the terminal reads it: serialised, loaded again, group
// 100010016 taken from row 0.
KivNetPack StockTableGroup(const KivNetPack& reply) {
  KivNetPack loaded = testing::Reloaded(reply);
  KivNetPack group;
  EXPECT_TRUE(loaded.GetPack(group, GROUP_STOCK_TABLE, 0)) << group.GetErrorText();
  return group;
}

TEST(StockTableReplyTest, DecodesIntoOneRowPerSecurityOfMarketsOneTwoAndFour) {
  MarketService service(20050104);
  const Universe& universe = service.GetUniverse();
  KivNetPack group = StockTableGroup(service.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning));

  // Exactly two fields of the sizes and types the terminal's getters take.
  ASSERT_EQ(group.GetFieldCount(), 2u);
  PackFieldDesc desc;
  ASSERT_GE(group.FindField(FIELD_STOCK_ID, desc), 0);
  EXPECT_EQ(desc.Type(), PACK_TYPE_INT32);
  EXPECT_EQ(desc.Size(), 4u);
  ASSERT_GE(group.FindField(FIELD_STOCK_NAME, desc), 0);
  EXPECT_EQ(desc.Type(), PACK_TYPE_TEXT);
  EXPECT_EQ(desc.Size(), 16u);

  ASSERT_EQ(group.GetRecordCount(), universe.Securities().size());
  bool sawSector = false;
  for (uint32_t row = 0; row < group.GetRecordCount(); ++row) {
    const Security& security = universe.Securities()[row];
    const int32_t r = static_cast<int32_t>(row);
    const StockId id = static_cast<StockId>(group.GetInt32(FIELD_STOCK_ID, r));
    EXPECT_EQ(id, security.id);
    const uint32_t market = StockMarket(id);
    EXPECT_TRUE(market == 1 || market == 2 || market == 4) << id;
    sawSector |= market == 4;
    // The 16-byte field holds the name and at least one NUL after it.
    char field[16];
    ASSERT_TRUE(group.GetText(field, sizeof(field), FIELD_STOCK_NAME, r));
    EXPECT_NE(std::memchr(field, '\0', sizeof(field)), nullptr) << "name keeps its terminator";
    EXPECT_EQ(std::string(field), security.name);
  }
  EXPECT_TRUE(sawSector);
}

TEST(StockTableReplyTest, FillsTheTerminalsStockTableWithEveryNameIntact) {
  MarketService service(20050104);
  KivNetPack group = StockTableGroup(service.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning));
  CKivStockTable table;
  ASSERT_TRUE(table.FillFromPack(group));
  const std::vector<Security>& securities = service.GetUniverse().Securities();
  ASSERT_EQ(table.GetCount(), static_cast<int>(securities.size()));
  for (const Security& security : securities) {
    StockRecord record;
    ASSERT_TRUE(table.Find(security.id, record)) << security.id;
    // No name is cut: none is longer than 15 bytes, and only fund names,
    // which end in it, contain "ETF".
    EXPECT_EQ(std::string(record.name), security.name) << security.id;
  }
}

TEST(StockTableReplyTest, SameSeedGivesTheSameBytes) {
  MarketService a(99), b(99), c(100);
  const std::string first = Serialised(a.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning));
  EXPECT_EQ(first, Serialised(b.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning + 3600)));
  EXPECT_NE(first, Serialised(c.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning)));
}

TEST(MarketServiceTest, TypesNotServedGetAnEmptyPayload) {
  MarketService service(1);
  KivNetPack request;
  request.SetInt32(static_cast<int32_t>(MakeStockId(600000, 1)), FIELD_STOCK_ID, 0);
  for (uint32_t type : {20000002u, 20000051u, 20000043u, 12345u}) {
    const KivNetPack reply = service.Reply(type, request, kMorning);
    EXPECT_EQ(Serialised(reply).size(), KivNetPack::kHeaderSize) << type;
  }
}

TEST(MarketServiceTest, CachesEachReplyForItsMinuteOnly) {
  MarketService service(3);
  const std::string first = Serialised(service.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning));
  EXPECT_EQ(Serialised(service.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning + 59)), first);
  EXPECT_EQ(service.CacheMisses(), 1u);
  EXPECT_EQ(service.CacheHits(), 1u);
  // A new minute builds again (and gives the same bytes: the table does not
  // move with the clock).
  EXPECT_EQ(Serialised(service.Reply(DT_STOCK_TABLE, KivNetPack(), kMorning + 60)), first);
  EXPECT_EQ(service.CacheMisses(), 2u);
}

// The bars of a bar reply as the terminal reads them: (stamp, open, high,
// low, close) per row.
struct ReplyBar {
  int64_t time;
  int32_t open, high, low, close;
};

std::vector<ReplyBar> ReplyBars(const KivNetPack& reply) {
  KivNetPack loaded = testing::Reloaded(reply);
  KivNetPack group, rows;
  std::vector<ReplyBar> out;
  if (!loaded.GetPack(group, 100010054, 0) || !group.GetPack(rows, 100010028, 0)) return out;
  for (uint32_t i = 0; i < rows.GetRecordCount(); ++i) {
    const int32_t r = static_cast<int32_t>(i);
    out.push_back(ReplyBar{rows.GetInt64(400000001, r), rows.GetInt32(300000006, r), rows.GetInt32(300000007, r),
                           rows.GetInt32(300000008, r), rows.GetInt32(300000004, r)});
  }
  return out;
}

KivNetPack BarRequest(StockId stock, int count) {
  KivNetPack request;
  request.SetInt16(0, FIELD_FIRST_ROW, 0);
  request.SetInt16(static_cast<int16_t>(count), FIELD_ROW_COUNT, 0);
  request.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  return request;
}

// The nine indices' day, week and month bars come from the levels their
// quotes come from: at any clock the last bar closes at the quote's last,
// and a finished day closes at the index's close of that day.
TEST(MarketServiceTest, IndexBarsCloseAtTheIndexQuote) {
  MarketService service(20050104);
  IndexLevels& levels = service.Indices();
  const StockId indices[] = {MakeStockId(1, 1),      MakeStockId(300, 1),    MakeStockId(16, 1),
                             MakeStockId(905, 1),    MakeStockId(688, 1),    MakeStockId(399001, 2),
                             MakeStockId(399005, 2), MakeStockId(399006, 2), MakeStockId(399106, 2)};
  struct Clock {
    const char* what;
    int64_t nowUtc;
  };
  const Clock clocks[] = {
      {"in the morning session", kMorning},
      {"after the close", BeijingTime(2026, 3, 16, 15, 30, 0)},
      {"on a Saturday", BeijingTime(2026, 3, 21, 12, 0, 0)},
  };
  const uint32_t types[] = {20000017, 20000022, 20000023};
  for (const Clock& clock : clocks) {
    for (StockId index : indices) {
      ASSERT_TRUE(levels.Computes(index)) << index;
      IndexQuote quote;
      ASSERT_TRUE(levels.QuoteAt(index, clock.nowUtc, &quote)) << index;
      for (uint32_t type : types) {
        const std::vector<ReplyBar> bars = ReplyBars(service.Reply(type, BarRequest(index, 60), clock.nowUtc));
        ASSERT_FALSE(bars.empty()) << index << " " << type << " " << clock.what;
        EXPECT_EQ(bars.back().close, quote.last) << index << " " << type << " " << clock.what;
        for (const ReplyBar& bar : bars) {
          EXPECT_TRUE(bar.low <= std::min(bar.open, bar.close) && bar.high >= std::max(bar.open, bar.close) &&
                      bar.low > 0)
              << index << " " << type << " " << clock.what << " at " << bar.time;
        }
      }
    }
  }
  // A finished day of every index closes at that day's level.
  const int64_t friday = DaysFromCivil(2026, 3, 13);
  for (StockId index : indices) {
    const std::vector<ReplyBar> days = ReplyBars(service.Reply(20000017, BarRequest(index, 10), kMorning));
    bool found = false;
    for (const ReplyBar& bar : days) {
      if (bar.time != CloseStampOf(friday)) continue;
      found = true;
      EXPECT_EQ(bar.close, levels.CloseOf(index, friday)) << index;
    }
    EXPECT_TRUE(found) << index;
  }
}

TEST(ReplyBuilderTest, FixedTextCutsWholeGbkCharactersAndKeepsATerminator) {
  struct Case {
    std::string text;
    int32_t size;
    std::string stored;
  };
  const std::string twoBytes = "\xC4\xE3";  // one GBK character
  const Case cases[] = {
      {"abc", 4, "abc"},
      {"abcd", 4, "abc"},
      {"a" + twoBytes + twoBytes, 5, "a" + twoBytes},       // the second character would split
      {twoBytes + twoBytes, 5, twoBytes + twoBytes},
      {"", 4, ""},
      {"a\xC4", 4, "a"},                                    // a lone lead byte is dropped
  };
  for (const Case& c : cases) {
    KivNetPack pack;
    ASSERT_TRUE(SetFixedText(pack, c.text, c.size, FIELD_STOCK_NAME, 0));
    EXPECT_EQ(pack.GetFieldSize(FIELD_STOCK_NAME), static_cast<uint32_t>(c.size));
    std::string out;
    ASSERT_TRUE(pack.GetString(out, FIELD_STOCK_NAME, 0));
    EXPECT_EQ(out, c.stored) << c.text;
  }
}

}  // namespace
}  // namespace kiv::standin
