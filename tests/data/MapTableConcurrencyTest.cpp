// Tables and caches shared between the UI thread and the network thread:
// a reader must never see a half-written record, a torn cache file or a
// half-filled stock table.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "data/CachePath.h"
#include "data/KLineSeries.h"
#include "data/MapTableEntryLists.h"
#include "data/MapTables.h"
#include "data/StockTable.h"
#include "net/FieldIds.h"
#include "tests/data/DataScratchFolder.h"

namespace {

MarketRecord Uniform(StockId id, int32_t v) {
  MarketRecord record;
  std::memset(&record, 0, sizeof record);
  record.key = id;
  record.stock = id;
  record.bidTotal = record.askTotal = record.bidRatio = record.turnover = v;
  record.preClose = record.open = record.high = record.low = record.last = v;
  record.volume = record.amount = v;
  return record;
}

TEST(MapTableConcurrencyTest, ReadersNeverSeeAHalfWrittenRecord) {
  DataScratchFolder scratch;
  KivMapMarket table;
  ASSERT_EQ(table.Load(MapTablePath(kMarketFile), kMarketMapping), 1);
  constexpr int kRounds = 20000;
  constexpr int kStocks = 50;
  std::atomic<bool> done{false};

  std::thread writer([&] {
    for (int v = 1; v <= kRounds; ++v) {
      table.Put(Uniform(MakeStockId(static_cast<uint32_t>(v % kStocks) + 1, 1), v));
    }
    done = true;
  });
  int torn = 0;
  int seen = 0;
  while (!done) {
    for (uint32_t code = 1; code <= kStocks; ++code) {
      MarketRecord record = Uniform(MakeStockId(code, 1), 0);
      if (!table.Get(record)) continue;
      ++seen;
      const int32_t v = record.last;
      if (record.bidTotal != v || record.open != v || record.volume != v || record.amount != v ||
          record.stock != record.key) {
        ++torn;
      }
    }
  }
  writer.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(table.GetCount(), static_cast<uint32_t>(kStocks));
  (void)seen;
}

TEST(MapTableConcurrencyTest, EntryListCopiesAreWhole) {
  DataScratchFolder scratch;
  KivMapTick table;
  ASSERT_EQ(table.Load(MapTablePath(kTickFile), kTickMapping), 1);
  const StockId id = MakeStockId(600000, 1);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int16_t n = 1; n <= 600; ++n) {
      std::string block(sizeof(TickHead) + sizeof(TickEntry) * n, '\0');
      TickHead head;
      std::memset(&head, 0, sizeof head);
      head.count = n;
      head.stock = id;
      std::memcpy(&block[0], &head, sizeof head);
      for (int i = 0; i < n; ++i) {
        const TickEntry entry = {n, i, 0, 0};
        std::memcpy(&block[sizeof head + sizeof entry * i], &entry, sizeof entry);
      }
      table.Put(block.data(), block.size());
    }
    done = true;
  });
  int torn = 0;
  while (!done) {
    EntryListCopy copy = table.GetCopy(id);
    if (!copy) continue;
    TickHead head;
    std::memcpy(&head, copy.bytes.get(), sizeof head);
    for (int i = 0; i < head.count; ++i) {
      TickEntry entry;
      std::memcpy(&entry, copy.bytes.get() + sizeof head + sizeof entry * i, sizeof entry);
      if (entry.price != head.count || entry.volume != i) ++torn;
    }
  }
  writer.join();
  EXPECT_EQ(torn, 0);
}

TEST(KLineCacheConcurrencyTest, LoadsNeverSeeATornFile) {
  DataScratchFolder scratch;
  auto make = [](CKLineSeries& series, int bars) {
    series.SetDataType(kiv::kDataTypeDay);
    series.SetStock(MakeStockId(600000, 1));
    for (int i = 0; i < bars; ++i) {
      KLineBar bar = {};
      bar.time = 1700000000 + i * 86400LL;
      bar.close = static_cast<float>(bars);
      series.AddBar(bar, 0, 0, 0, 1);
    }
  };
  {
    CKLineSeries first;
    make(first, 3);
    ASSERT_EQ(first.SaveToFile(), 1);
  }
  std::atomic<bool> done{false};
  std::thread saver([&] {
    for (int round = 0; round < 200; ++round) {
      CKLineSeries series;
      make(series, round % 2 ? 300 : 3);
      series.SaveToFile();
    }
    done = true;
  });
  int bad = 0;
  while (!done) {
    CKLineSeries series;
    series.SetDataType(kiv::kDataTypeDay);
    series.SetStock(MakeStockId(600000, 1));
    if (series.LoadFromFile() != 1) {
      ++bad;
      continue;
    }
    const int n = series.GetCount();
    if ((n != 3 && n != 300) || series.Bar(n - 1).close != static_cast<float>(n)) ++bad;
    series.GetLastBarTime();
  }
  saver.join();
  EXPECT_EQ(bad, 0);
}

TEST(StockTableConcurrencyTest, ReadersSeeTheOldOrTheNewTable) {
  CKivStockTable table;
  auto group = [](uint32_t rows, uint32_t tag) {
    KivNetPack pack;
    for (uint32_t r = 0; r < rows; ++r) {
      pack.SetInt32(static_cast<int32_t>(MakeStockId(r + 1, 1)), FIELD_STOCK_ID, static_cast<int32_t>(r));
      const std::string name = "n" + std::to_string(tag);
      pack.SetText(name.c_str(), 16, FIELD_STOCK_NAME, static_cast<int32_t>(r));
    }
    return pack;
  };
  std::atomic<bool> done{false};
  std::thread filler([&] {
    for (uint32_t round = 0; round < 300; ++round) {
      KivNetPack pack = group(round % 2 ? 40 : 20, round % 2);
      table.FillFromPack(pack);
    }
    done = true;
  });
  int bad = 0;
  while (!done) {
    std::vector<StockRecord> copy;
    table.CopyTo(copy);
    if (copy.empty()) continue;
    const std::string first = copy[0].name;
    if (copy.size() != (first == "n1" ? 40u : 20u)) ++bad;
    for (const StockRecord& record : copy) {
      if (first != record.name) ++bad;
    }
  }
  filler.join();
  EXPECT_EQ(bad, 0);
}

}  // namespace
