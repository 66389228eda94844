#include "tools/standin/serve/MarketService.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/StockTable.h"
#include "net/FieldIds.h"
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
  KivNetPack loaded;
  EXPECT_TRUE(loaded.LoadFromString(Serialised(reply))) << loaded.GetErrorText();
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
