#include "data/StockTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "net/FieldIds.h"
#include "tests/data/DataScratchFolder.h"

namespace {

struct Row {
  StockId id;
  std::string name;
};

// A reply group as the server sends it: 300000001 and a 32-byte 700000005.
KivNetPack Group(const std::vector<Row>& rows) {
  KivNetPack pack;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int32_t row = static_cast<int32_t>(r);
    EXPECT_TRUE(pack.SetInt32(static_cast<int32_t>(rows[r].id), FIELD_STOCK_ID, row));
    char name[32] = {};
    std::memcpy(name, rows[r].name.data(), std::min<size_t>(rows[r].name.size(), sizeof name));
    EXPECT_TRUE(pack.SetText(name, sizeof name, FIELD_STOCK_NAME, row));
  }
  return pack;
}

std::string NameOf(CKivStockTable& table, StockId id) {
  StockRecord record;
  if (!table.Find(id, record)) return "<absent>";
  EXPECT_EQ(record.name[15], 0);
  return record.name;
}

TEST(StockTableTest, KeepsListedMarketsInReplyOrder) {
  CKivStockTable table;
  EXPECT_TRUE(table.IsEmpty());
  KivNetPack group = Group({{MakeStockId(600000, 1), "PF Bank"},
                            {MakeStockId(430001, 3), "third board"},
                            {MakeStockId(1, 2), "Ping An"},
                            {MakeStockId(2, 5), "market five"},
                            {MakeStockId(880001, 4), "sector"},
                            {MakeStockId(3, 0), "no market"}});
  ASSERT_TRUE(table.FillFromPack(group));
  EXPECT_EQ(table.GetCount(), 3);
  std::vector<StockRecord> copy;
  table.CopyTo(copy);
  ASSERT_EQ(copy.size(), 3u);
  EXPECT_EQ(copy[0].id, MakeStockId(600000, 1));
  EXPECT_EQ(copy[1].id, MakeStockId(1, 2));
  EXPECT_EQ(copy[2].id, MakeStockId(880001, 4));
  EXPECT_EQ(NameOf(table, MakeStockId(1, 2)), "Ping An");
  EXPECT_EQ(NameOf(table, MakeStockId(430001, 3)), "<absent>");
  // The whole word must match: market 0 finds nothing.
  EXPECT_EQ(NameOf(table, MakeStockId(1, 0)), "<absent>");
  StockRecord untouched = {123, "keep"};
  EXPECT_FALSE(table.Find(MakeStockId(9, 1), untouched));
  EXPECT_EQ(untouched.id, 123u);
  table.Clear();
  EXPECT_TRUE(table.IsEmpty());
}

TEST(StockTableTest, ShortensNames) {
  const std::string zhong = "\xD6\xD0";  // a two-byte GBK character
  const std::string trailE = "\x81\x45"; // a character whose trail byte is 'E'
  struct Case {
    const char* what;
    std::string name;
    std::string stored;
  } cases[] = {
      {"ends after ETF", "300ETF LOF fund", "300ETF"},
      {"only the first E counts", "Energy ETF", "Energy ETF"},
      {"short names stay", "PF Bank", "PF Bank"},
      {"cut to 15 bytes", "abcdefghijklmnopqrst", "abcdefghijklmno"},
      {"seven characters fit in 14 bytes", zhong + zhong + zhong + zhong + zhong + zhong + zhong + "x",
       zhong + zhong + zhong + zhong + zhong + zhong + zhong + "x"},
      {"a character is never cut in half", "x" + zhong + zhong + zhong + zhong + zhong + zhong + zhong + zhong,
       "x" + zhong + zhong + zhong + zhong + zhong + zhong + zhong},
      {"a cut at 15 would leave half a character", "ab" + zhong + zhong + zhong + zhong + zhong + zhong + zhong,
       "ab" + zhong + zhong + zhong + zhong + zhong + zhong},
      {"a trail byte is no E", trailE + "TF fund", trailE + "TF fund"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CKivStockTable::ShortenName(c.name), c.stored);
    CKivStockTable table;
    KivNetPack group = Group({{MakeStockId(600000, 1), c.name}});
    ASSERT_TRUE(table.FillFromPack(group));
    EXPECT_EQ(NameOf(table, MakeStockId(600000, 1)), c.stored);
  }
}

TEST(StockTableTest, AnEmptyReplyNeverClearsTheTable) {
  CKivStockTable table;
  KivNetPack good = Group({{MakeStockId(600000, 1), "PF Bank"}});
  ASSERT_TRUE(table.FillFromPack(good));
  KivNetPack empty;
  EXPECT_FALSE(table.FillFromPack(empty));
  KivNetPack onlyThirdBoard = Group({{MakeStockId(430001, 3), "third board"}});
  EXPECT_FALSE(table.FillFromPack(onlyThirdBoard));
  KivNetPack withoutIds;
  withoutIds.SetText("name", 4, FIELD_STOCK_NAME, 0);
  EXPECT_FALSE(table.FillFromPack(withoutIds));
  EXPECT_EQ(table.GetCount(), 1);
  EXPECT_EQ(NameOf(table, MakeStockId(600000, 1)), "PF Bank");
  // A full reply replaces the list.
  KivNetPack next = Group({{MakeStockId(1, 2), "Ping An"}});
  ASSERT_TRUE(table.FillFromPack(next));
  EXPECT_EQ(NameOf(table, MakeStockId(600000, 1)), "<absent>");
}

TEST(StockTableTest, StoredTableRoundTripAndSurvivesEmptyReplies) {
  DataScratchFolder scratch;
  const std::string path = CKivStockTable::DefaultFilePath();
  EXPECT_EQ(path, scratch.Data() + "/market.dat");
  KivNetPack good = Group({{MakeStockId(600000, 1), "PF Bank"}, {MakeStockId(1, 2), "Ping An"}});
  ASSERT_TRUE(CKivStockTable::SaveToFile(path, good));
  const long long size = FileSize(path);

  KivNetPack empty;
  EXPECT_FALSE(CKivStockTable::SaveToFile(path, empty));
  KivNetPack onlyThirdBoard = Group({{MakeStockId(430001, 3), "third board"}});
  EXPECT_FALSE(CKivStockTable::SaveToFile(path, onlyThirdBoard));
  EXPECT_EQ(FileSize(path), size);

  CKivStockTable table;
  ASSERT_TRUE(table.LoadFromFile(path));
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(NameOf(table, MakeStockId(1, 2)), "Ping An");
}

TEST(StockTableTest, ADamagedStoredTableChangesNothing) {
  DataScratchFolder scratch;
  const std::string path = CKivStockTable::DefaultFilePath();
  CKivStockTable table;
  KivNetPack good = Group({{MakeStockId(600000, 1), "PF Bank"}});
  ASSERT_TRUE(table.FillFromPack(good));
  EXPECT_FALSE(table.LoadFromFile(path));  // missing
  std::string bytes;
  ASSERT_TRUE(good.GetAllPackData(bytes));
  for (size_t cut : {size_t(0), size_t(10), bytes.size() - 1}) {
    SCOPED_TRACE(cut);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.substr(0, cut);
    EXPECT_FALSE(table.LoadFromFile(path));
    EXPECT_EQ(NameOf(table, MakeStockId(600000, 1)), "PF Bank");
  }
}

}  // namespace
