// The watch list replaced by Download on a worker thread while other
// threads read it: every reader sees one whole list, old or new.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "data/KIVDesk_ZiXuan.h"
#include "data/StockTable.h"
#include "net/FieldIds.h"

namespace {

// Two lists the fake service hands out in turn: 3 Shanghai entries, or 7
// Shenzhen ones.
const char kShort[] = R"([{"stockid":"600000","timeline":"1"},{"stockid":"600001","timeline":"1"},)"
                      R"({"stockid":"600002","timeline":"1"}])";
const char kLong[] = R"([{"stockid":"1","timeline":"2"},{"stockid":"2","timeline":"2"},)"
                     R"({"stockid":"3","timeline":"2"},{"stockid":"4","timeline":"2"},)"
                     R"({"stockid":"5","timeline":"2"},{"stockid":"6","timeline":"2"},)"
                     R"({"stockid":"7","timeline":"2"}])";

bool WholeList(const std::vector<WatchEntry>& entries) {
  if (entries.empty()) return true;  // before the first download
  const uint32_t market = StockMarket(entries[0].id);
  const size_t size = market == 1 ? 3 : 7;
  if (entries.size() != size) return false;
  for (const WatchEntry& e : entries) {
    if (StockMarket(e.id) != market || e.timeline != static_cast<int32_t>(market == 1 ? 1 : 2)) return false;
  }
  return true;
}

TEST(WatchListConcurrencyTest, ReadersSeeWholeListsWhileDownloadReplacesThem) {
  CKivStockTable table;
  KivNetPack group;
  for (int32_t r = 0; r < 7; ++r) {
    char name[32] = "name";
    group.SetInt32(static_cast<int32_t>(MakeStockId(static_cast<uint32_t>(r + 1), 2)), FIELD_STOCK_ID, r);
    group.SetText(name, sizeof name, FIELD_STOCK_NAME, r);
  }
  ASSERT_TRUE(table.FillFromPack(group));

  std::atomic<int> calls{0};
  WatchListEnv env;
  env.serverTime = [] { return int64_t(1710469800); };
  env.userId = [] { return int32_t(10001); };
  env.webHost = [] { return std::string("web.example"); };
  env.stockTable = &table;
  env.get = [&calls](const std::string&, std::string& text, DWORD&) {
    text = (calls++ % 2) ? kLong : kShort;
    return 1;
  };
  CKIVDesk_ZiXuan list(env);

  constexpr int kDownloads = 200;
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::atomic<long> reads{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&, t] {
      const StockId probe = MakeStockId(t == 0 ? 600001 : 4, 0);
      do {
        if (!WholeList(list.GetEntries())) ++torn;
        list.Contains(&probe);
        list.GetCount();
        if (t == 2) list.RefreshNames();
        ++reads;
      } while (!done);
    });
  }
  // The downloads start once every reader is reading, so that they overlap
  // however the threads are scheduled.
  std::thread worker([&] {
    kiv::test::WaitUntil([&] { return reads.load() >= 3; });
    for (int i = 0; i < kDownloads; ++i) list.Download();
    done = true;
  });
  worker.join();
  for (std::thread& r : readers) r.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(calls.load(), kDownloads);
  EXPECT_TRUE(WholeList(list.GetEntries()));
  EXPECT_GT(reads.load(), 0);
}

}  // namespace
