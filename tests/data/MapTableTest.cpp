#include "data/MapTables.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <string>

#include "data/MapTableEntryLists.h"
#include "tests/data/DataScratchFolder.h"
#include "tests/support/PeakMemory.h"

namespace {

std::string ReadBytes(const std::string& path, size_t at, size_t n) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(at));
  std::string bytes(n, '\0');
  in.read(&bytes[0], static_cast<std::streamsize>(n));
  return bytes;
}

void WriteBytes(const std::string& path, size_t at, const std::string& bytes) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(at));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Word(uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

// A table file made by hand: header and a file of the size it claims (a
// hole after the header).
void MakeTableFile(const std::string& path, uint32_t count, uint32_t capacity, size_t recordSize) {
  { std::ofstream(path, std::ios::binary | std::ios::trunc) << Word(1) + Word(count) + Word(capacity); }
  ::truncate(path.c_str(), static_cast<off_t>(capacity * recordSize + 12));
}

// Loads the table in a forked child: "<result> open|closed".
template <class Table>
kiv::test::ChildRun LoadInChild(const std::string& path, const char* mapping, size_t addressSpaceHeadroom = 0) {
  return kiv::test::RunInChild(
      [&] {
        Table table;
        const int result = table.Load(path, mapping);
        return std::to_string(result) + (table.IsOpen() ? " open" : " closed");
      },
      std::chrono::milliseconds(120000), addressSpaceHeadroom);
}

MarketRecord Market(StockId id, int32_t last) {
  MarketRecord record;
  std::memset(&record, 0, sizeof record);
  record.stock = id;
  record.key = id;
  std::strcpy(record.name, "index");
  record.last = last;
  record.volume = 1234567890123LL;
  return record;
}

NetFlowRecord NetFlow(StockId id, int64_t inflow) {
  NetFlowRecord record;
  std::memset(&record, 0, sizeof record);
  record.stock = id;
  record.key = id;
  record.inflow1 = inflow;
  record.ratio20 = -7;
  return record;
}

class MapTableTest : public ::testing::Test {
 protected:
  DataScratchFolder scratch_;
};

TEST_F(MapTableTest, AMissingFileIsCreatedFullSizeSparseAndEmpty) {
  KivMapFinaceAnly table;
  const std::string path = MapTablePath(kFinaceAnlyFile);
  ASSERT_EQ(path, scratch_.Data() + "/Pstock/finace.data");
  ASSERT_EQ(table.Load(path, kFinaceAnlyMapping), 1);
  EXPECT_TRUE(table.IsOpen());
  EXPECT_EQ(table.GetCount(), 0u);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 218640012);
  EXPECT_LT(static_cast<long long>(info.st_blocks) * 512, 1 << 20);  // a hole, not zeros
  EXPECT_EQ(ReadBytes(path, 0, 12), Word(1) + Word(0) + Word(10000));
}

TEST_F(MapTableTest, DamagedFilesAreDeletedThenCreatedAnew) {
  struct Damage {
    const char* what;
    uint32_t version, count, capacity;
    long sizeChange;
  } cases[] = {
      {"version 2", 2, 0, 10000, 0},
      {"one byte short", 1, 0, 10000, -1},
      {"one byte long", 1, 0, 10000, 1},
      {"count beyond capacity", 1, 10001, 10000, 0},
      {"capacity 0", 1, 0, 0, 0},
      {"capacity 9999", 1, 0, 9999, 0},
      {"capacity 10001", 1, 0, 10001, 0},
      {"count beyond what fits after the leading gap", 1, 10000, 10000, 0},
  };
  const std::string path = MapTablePath(kMarketFile);
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.what);
    MakeTableFile(path, c.count, c.capacity, sizeof(MarketRecord));
    ::truncate(path.c_str(), static_cast<off_t>(c.capacity * sizeof(MarketRecord) + 12 + c.sizeChange));
    WriteBytes(path, 0, Word(c.version));
    KivMapMarket table;
    EXPECT_EQ(table.Load(path, kMarketMapping), 0);
    EXPECT_FALSE(table.IsOpen());
    EXPECT_FALSE(FileExists(path));
    MarketRecord record = Market(MakeStockId(1, 1), 5);
    EXPECT_EQ(table.Put(record), 0);
    EXPECT_EQ(table.Load(path, kMarketMapping), 1);
    EXPECT_EQ(table.GetCount(), 0u);
  }
  // A header too short to read is damage too.
  { std::ofstream(path, std::ios::binary | std::ios::trunc) << "abc"; }
  KivMapJiePan jiepan;
  EXPECT_EQ(jiepan.Load(path, kJiePanMapping), 0);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(MapTableTest, AForgedCapacityIsDamageRefusedBeforeAnythingIsMapped) {
  struct Forged {
    const char* what;
    uint32_t count, capacity;
  } cases[] = {
      // 35 million records of 120 bytes: a hole of 4.2 GB, consistent in
      // itself, that would be mapped and walked whole.
      {"35 million records", 34999999, 35000000},
      {"35 million, none in use", 0, 35000000},
      {"the largest capacity", 0, 0xFFFFFFFFu},
  };
  const std::string path = MapTablePath(kMarketFile);
  for (const Forged& c : cases) {
    SCOPED_TRACE(c.what);
    MakeTableFile(path, c.count, c.capacity, sizeof(MarketRecord));
    ASSERT_EQ(FileSize(path), static_cast<long long>(uint64_t(c.capacity) * sizeof(MarketRecord) + 12));
    const kiv::test::ChildRun run = LoadInChild<KivMapMarket>(path, kMarketMapping);
    ASSERT_TRUE(run.exited) << run.Describe();
    EXPECT_EQ(run.report, "0 closed");
    EXPECT_FALSE(FileExists(path));
    ExpectPeakBelow(run, 16 * kiv::test::kMiB, c.what);
    KivMapMarket table;
    EXPECT_EQ(table.Load(path, kMarketMapping), 1);
    EXPECT_EQ(FileSize(path), 1200012);
  }
}

TEST_F(MapTableTest, ATableThatCannotBeMappedFailsToLoadAndKeepsItsFile) {
  // The finance table maps 218 MB; an address-space limit of the child's
  // own size plus 64 MiB leaves no room for it.
  const std::string path = MapTablePath(kFinaceAnlyFile);
  {
    KivMapFinaceAnly table;
    ASSERT_EQ(table.Load(path, kFinaceAnlyMapping), 1);
  }
  const kiv::test::ChildRun run = LoadInChild<KivMapFinaceAnly>(path, kFinaceAnlyMapping, 64 * kiv::test::kMiB);
  ASSERT_TRUE(run.exited) << run.Describe();
  if (kiv::test::kSanitized) GTEST_SKIP() << "no address-space limit under a sanitizer";
  EXPECT_EQ(run.report, "0 closed");
  EXPECT_EQ(FileSize(path), 218640012);
  KivMapFinaceAnly table;
  EXPECT_EQ(table.Load(path, kFinaceAnlyMapping), 1);
}

TEST_F(MapTableTest, RecordsSurviveAReopen) {
  const std::string marketPath = MapTablePath(kMarketFile);
  const std::string flowPath = MapTablePath(kNetFlowFile);
  {
    KivMapMarket market;
    KivNefFlow flow;
    ASSERT_EQ(market.Load(marketPath, kMarketMapping), 1);
    ASSERT_EQ(flow.Load(flowPath, kNetFlowMapping), 1);
    EXPECT_EQ(market.Put(Market(MakeStockId(1, 1), 3000)), 1);
    EXPECT_EQ(market.Put(Market(MakeStockId(399001, 2), 9000)), 1);
    EXPECT_EQ(market.Put(Market(MakeStockId(1, 1), 3100)), 1);  // the same key: overwritten
    EXPECT_EQ(market.GetCount(), 2u);
    EXPECT_EQ(flow.Put(NetFlow(MakeStockId(600000, 1), 500)), 1);
  }
  // The records lie at their record size, not at 12.
  EXPECT_EQ(ReadBytes(marketPath, 120 + 116, 4), Word(MakeStockId(1, 1)));
  EXPECT_EQ(ReadBytes(marketPath, 12, 4), Word(0));
  EXPECT_EQ(ReadBytes(flowPath, 140 + 136, 4), Word(MakeStockId(600000, 1)));

  KivMapMarket market;
  KivNefFlow flow;
  ASSERT_EQ(market.Load(marketPath, kMarketMapping), 1);
  ASSERT_EQ(flow.Load(flowPath, kNetFlowMapping), 1);
  MarketRecord got = Market(MakeStockId(1, 1), 0);
  std::memset(got.name, 0, sizeof got.name);
  ASSERT_EQ(market.Get(got), 1);
  EXPECT_EQ(got.last, 3100);
  EXPECT_EQ(int64_t{got.volume}, 1234567890123LL);
  EXPECT_STREQ(got.name, "index");
  MarketRecord other = Market(MakeStockId(399001, 2), 0);
  ASSERT_EQ(market.Get(other), 1);
  EXPECT_EQ(other.last, 9000);
  // The whole word is the key: the same code in another market is absent.
  MarketRecord absent = Market(MakeStockId(1, 2), 42);
  EXPECT_EQ(market.Get(absent), 0);
  EXPECT_EQ(absent.last, 42);

  NetFlowRecord gotFlow = NetFlow(MakeStockId(600000, 1), 0);
  ASSERT_EQ(flow.Get(gotFlow), 1);
  EXPECT_EQ(int64_t{gotFlow.inflow1}, 500);
  EXPECT_EQ(gotFlow.ratio20, -7);
}

TEST_F(MapTableTest, AClosedTableTouchesNothing) {
  KivMapMarket market;
  MarketRecord record = Market(MakeStockId(1, 1), 77);
  EXPECT_EQ(market.Get(record), 0);
  EXPECT_EQ(record.last, 77);
  EXPECT_EQ(market.Put(record), 0);
  KivMapTick tick;
  EXPECT_FALSE(tick.GetCopy(MakeStockId(1, 1)));
  ASSERT_EQ(market.Load(MapTablePath(kMarketFile), kMarketMapping), 1);
  EXPECT_EQ(market.Put(record), 1);
  market.Close();
  EXPECT_EQ(market.Get(record), 0);
  EXPECT_EQ(market.GetCount(), 0u);
}

TEST_F(MapTableTest, AFullTableRefusesNewKeysButUpdatesOldOnes) {
  // Files two records short of full; the records in use are zeros, all
  // under the key 0.
  const std::string marketPath = MapTablePath(kMarketFile);
  MakeTableFile(marketPath, 9997, 10000, sizeof(MarketRecord));
  KivMapMarket market;
  ASSERT_EQ(market.Load(marketPath, kMarketMapping), 1);
  EXPECT_EQ(market.GetLimit(), 9999u);  // records start at byte 120: one fewer fits
  EXPECT_EQ(market.Put(Market(MakeStockId(1, 1), 1)), 1);
  EXPECT_EQ(market.Put(Market(MakeStockId(2, 1), 2)), 1);
  EXPECT_EQ(market.Put(Market(MakeStockId(3, 1), 3)), 0);
  EXPECT_EQ(market.Put(Market(MakeStockId(2, 1), 4)), 1);
  EXPECT_EQ(market.GetCount(), 9999u);

  const std::string tgPath = MapTablePath(kTGFile);
  MakeTableFile(tgPath, 9998, 10000, sizeof(TGTableRecord));
  KivMapTG tg;
  ASSERT_EQ(tg.Load(tgPath, kTGMapping), 1);
  EXPECT_EQ(tg.GetLimit(), 10000u);
  TGTableRecord record;
  std::memset(&record, 0, sizeof record);
  for (uint32_t code = 1; code <= 3; ++code) {
    record.key = MakeStockId(code, 1);
    record.record.stock = record.key;
    EXPECT_EQ(tg.Put(record), code <= 2 ? 1 : 0);
  }
  EXPECT_EQ(tg.GetCount(), 10000u);
}

TEST_F(MapTableTest, ARepeatedKeyInTheFileKeepsItsFirstRecord) {
  const std::string path = MapTablePath(kShortFile);
  MakeTableFile(path, 2, 10000, sizeof(ShortTableRecord));
  WriteBytes(path, 12, Word(MakeStockId(5, 1)));
  WriteBytes(path, 12 + 4 + 56, std::string("\x01\x00", 2));
  WriteBytes(path, 12 + 4132, Word(MakeStockId(5, 1)));
  WriteBytes(path, 12 + 4132 + 4 + 56, std::string("\x03\x00", 2));
  KivMapShort table;
  ASSERT_EQ(table.Load(path, kShortMapping), 1);
  EntryListCopy copy = table.GetCopy(MakeStockId(5, 1));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy.size, 108u + 20u);  // the first record: one entry
}

TEST_F(MapTableTest, ShortFairyStartsEmptyAndFollowsItsCurrentStock) {
  const std::string path = MapTablePath(kShortFairyFile);
  BS5TableRecord record;
  std::memset(&record, 0, sizeof record);
  record.key = MakeStockId(600000, 1);
  record.record.stock = record.key;
  record.record.last = 123400;
  record.record.amount = 99;
  record.record.levels[4].askVolume = 5;
  {
    KivMapShortFairy table;
    ASSERT_EQ(table.Load(path, kShortFairyMapping), 1);
    ASSERT_EQ(table.Put(record), 1);
  }
  KivMapShortFairy table;
  ASSERT_EQ(table.Load(path, kShortFairyMapping), 1);
  BS5TableRecord found;
  std::memset(&found, 0, sizeof found);
  found.key = record.key;
  EXPECT_EQ(table.Find(found), 0);  // the earlier run's records are gone
  ASSERT_EQ(table.Put(record), 1);
  EXPECT_EQ(table.Find(found), 1);
  EXPECT_EQ(found.record.levels[4].askVolume, 5);

  const StockId stock = MakeStockId(600000, 1);
  const StockId codeZero = MakeStockId(0, 2);
  table.SetStock(&stock);
  table.SetStock(&codeZero);  // ignored
  EXPECT_EQ(table.GetCurrentStock(), stock);
  BS5TableRecord current;
  std::memset(&current, 0, sizeof current);
  ASSERT_EQ(table.GetCurrent(current), 1);
  EXPECT_EQ(current.record.last, 123400);
  int64_t amount;
  std::memcpy(&amount, reinterpret_cast<const char*>(&current) + 100, 8);
  EXPECT_EQ(amount, 99);
}

// --- tables of entry lists -------------------------------------------------

std::string TickBlock(StockId id, int16_t count, int room) {
  std::string block(sizeof(TickHead) + sizeof(TickEntry) * static_cast<size_t>(room), '\0');
  TickHead head;
  std::memset(&head, 0, sizeof head);
  head.count = count;
  head.stock = id;
  std::strcpy(head.name, "tick");
  head.spare[0] = 0x55;
  head.previousClose = 100000;
  std::memcpy(&block[0], &head, sizeof head);
  for (int i = 0; i < room; ++i) {
    TickEntry entry = {i, i * 10, i * 100, 0};
    std::memcpy(&block[sizeof head + sizeof entry * i], &entry, sizeof entry);
  }
  return block;
}

TickEntry EntryOf(const EntryListCopy& copy, int i) {
  TickEntry entry;
  std::memcpy(&entry, copy.bytes.get() + sizeof(TickHead) + sizeof entry * i, sizeof entry);
  return entry;
}

TickHead HeadOf(const EntryListCopy& copy) {
  TickHead head;
  std::memcpy(&head, copy.bytes.get(), sizeof head);
  return head;
}

TEST_F(MapTableTest, TickTableKeepsTheLastThousandEntries) {
  KivMapTick table;
  ASSERT_EQ(table.Load(MapTablePath(kTickFile), kTickMapping), 1);
  const StockId id = MakeStockId(600000, 1);
  struct Case {
    int16_t count;
    int room;
    size_t copyBytes;
    int firstPrice, lastPrice;
  } cases[] = {
      {1500, 1500, 64 + 16000, 500, 1499},
      {1000, 1000, 64 + 16000, 0, 999},
      {2, 2, 64 + 32, 0, 1},
      {1, 1, 80, 0, 0},
      {0, 1, 80, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const std::string block = TickBlock(id, c.count, c.room);
    ASSERT_EQ(table.Put(block.data(), block.size()), 1);
    EntryListCopy copy = table.GetCopy(id);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.size, c.copyBytes);
    const TickHead head = HeadOf(copy);
    EXPECT_EQ(head.count, c.count > 1000 ? 1000 : c.count);
    EXPECT_EQ(StockId{head.stock}, id);
    EXPECT_STREQ(head.name, "tick");
    EXPECT_EQ(head.spare[0], 0);  // not copied by the table
    EXPECT_EQ(head.previousClose, 100000);
    EXPECT_EQ(EntryOf(copy, 0).price, c.firstPrice);
    EXPECT_EQ(EntryOf(copy, static_cast<int>((copy.size - 64) / 16) - 1).price, c.lastPrice);
  }
  EXPECT_EQ(table.GetCount(), 1u);
  EXPECT_FALSE(table.GetCopy(MakeStockId(600000, 2)));
}

TEST_F(MapTableTest, EntryListPutRefusesABlockShorterThanItsCount) {
  KivMapTick tick;
  ASSERT_EQ(tick.Load(MapTablePath(kTickFile), kTickMapping), 1);
  const std::string block = TickBlock(MakeStockId(1, 1), 50, 10);
  EXPECT_EQ(tick.Put(block.data(), block.size()), 0);
  EXPECT_EQ(tick.Put(block.data(), 64), 0);  // not even the first entry
  EXPECT_EQ(tick.Put(nullptr, 0), 0);
  EXPECT_EQ(tick.GetCount(), 0u);
}

TEST_F(MapTableTest, TradeTableStoresHeadAndEntries) {
  KivTradeinfo table;
  ASSERT_EQ(table.Load(MapTablePath(kTradeinfoFile), kTradeinfoMapping), 1);
  const StockId id = MakeStockId(1, 2);
  auto block = [&](int16_t count) {
    std::string bytes(60 + 20 * static_cast<size_t>(count > 1 ? count : 1), '\0');
    TradeHead head;
    std::memset(&head, 0, sizeof head);
    head.stock = id;
    head.count = count;
    std::memcpy(&bytes[0], &head, sizeof head);
    for (int i = 0; i < (count > 1 ? count : 1); ++i) {
      TradeEntry entry = {static_cast<int16_t>(i), 0, 1000 + i, count, 0, 0};
      std::memcpy(&bytes[60 + 20 * i], &entry, sizeof entry);
    }
    return bytes;
  };
  std::string first = block(5);
  ASSERT_EQ(table.Put(first.data(), first.size()), 1);
  std::string second = block(2);  // fewer entries: the old ones beyond stay out of copies
  ASSERT_EQ(table.Put(second.data(), second.size()), 1);
  EntryListCopy copy = table.GetCopy(id);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy.size, 60u + 40u);
  TradeEntry entry;
  std::memcpy(&entry, copy.bytes.get() + 60 + 20, sizeof entry);
  EXPECT_EQ(entry.price, 1001);
  EXPECT_EQ(entry.volume, 2);
  std::string none = block(0);
  ASSERT_EQ(table.Put(none.data(), none.size()), 1);
  EXPECT_EQ(table.GetCopy(id).size, 80u);
}

TEST_F(MapTableTest, DamagedEntryCountsAreClampedOnTheWayOut) {
  const std::string path = MapTablePath(kTickFile);
  {
    KivMapTick table;
    ASSERT_EQ(table.Load(path, kTickMapping), 1);
    const std::string block = TickBlock(MakeStockId(7, 1), 3, 3);
    ASSERT_EQ(table.Put(block.data(), block.size()), 1);
  }
  WriteBytes(path, 12 + 4 + 36, std::string("\xff\x7f", 2));  // count 32767
  KivMapTick table;
  ASSERT_EQ(table.Load(path, kTickMapping), 1);
  EntryListCopy copy = table.GetCopy(MakeStockId(7, 1));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy.size, 64u + 16000u);
  EXPECT_EQ(HeadOf(copy).count, 1000);

  WriteBytes(path, 12 + 4 + 36, std::string("\x00\x80", 2));  // count -32768
  copy = table.GetCopy(MakeStockId(7, 1));
  EXPECT_EQ(copy.size, 80u);
  EXPECT_EQ(HeadOf(copy).count, 0);
}

}  // namespace
