#include "data/KLineSeries.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "data/CachePath.h"
#include "data/KLineCacheFile.h"
#include "tests/data/DataScratchFolder.h"

namespace {

// Seconds since 1970 of a Beijing (UTC+8) wall-clock time.
int64_t Beijing(int year, int month, int day, int hour, int minute) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return static_cast<int64_t>(timegm(&t)) - 8 * 3600;
}

KLineBar Bar(int64_t time, float close, float open = 1.0f) {
  KLineBar bar = {};
  bar.time = time;
  bar.open = open;
  bar.high = close + 1;
  bar.low = close - 1;
  bar.close = close;
  bar.volume = close * 100;
  bar.amount = close * 1000;
  bar.extra = 7;
  return bar;
}

std::vector<float> Closes(const CKLineSeries& series) {
  std::vector<float> closes;
  for (int i = 0; i < series.GetCount(); ++i) closes.push_back(series.Bar(i).close);
  return closes;
}

struct Marks : KLineBarMarks {
  explicit Marks(int* alive) : alive(alive) { ++*alive; }
  ~Marks() override { --*alive; }
  int* alive;
};

// --- merging ---------------------------------------------------------------

TEST(KLineSeriesMergeTest, DayMergeReplacesInsertsAndDrops) {
  CKLineSeries series;
  series.SetDataType(kiv::kDataTypeDay);
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 4, 15, 0), 10), 0, 0, 0, 1), 0);
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 6, 15, 0), 30), 0, 0, 0, 1), 1);
  // Same local day: replaces, with its flags and values.
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 6, 14, 0), 31), 0x1234, 1.5f, 2.5f, 1), 1);
  // A day between two stored days goes between them.
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 5, 15, 0), 20), 0, 0, 0, 1), 2);
  // Earlier than the first bar: dropped.
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 1, 15, 0), 1), 0, 0, 0, 1), 2);
  // A later day is appended.
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 7, 15, 0), 40), 0, 0, 0, 1), 3);
  EXPECT_EQ(Closes(series), (std::vector<float>{10, 20, 31, 40}));
  EXPECT_EQ(series.Flags(2), 0x1234u);
  EXPECT_EQ(series.Value1(2), 1.5f);
  EXPECT_EQ(series.Value2(2), 2.5f);
}

TEST(KLineSeriesMergeTest, DayMergeCountsDaysInBeijingTime) {
  CKLineSeries series;
  // 15:59 UTC is 23:59 in Beijing; 16:00 UTC is already the next day there.
  const int64_t lastMinute = Beijing(2024, 3, 4, 23, 59);
  series.AddBar(Bar(lastMinute, 10), 0, 0, 0, 1);
  series.AddBar(Bar(lastMinute + 60, 11), 0, 0, 0, 1);
  EXPECT_EQ(Closes(series), (std::vector<float>{10, 11}));
  series.AddBar(Bar(Beijing(2024, 3, 4, 9, 30), 12), 0, 0, 0, 1);  // same day as the first
  EXPECT_EQ(Closes(series), (std::vector<float>{12, 11}));
}

TEST(KLineSeriesMergeTest, FlagsKeepTheirHighBitsOnReplace) {
  CKLineSeries series;
  const int64_t t = Beijing(2024, 3, 4, 15, 0);
  series.AddBar(Bar(t, 10), 0xFFFF5555u, 0, 0, 1);
  EXPECT_EQ(series.Flags(0), 0x5555u);  // only the low 16 bits come from the caller
  series.Flags(0) |= 0x00030000u;       // the chart's own bits
  series.AddBar(Bar(t, 11), 0x0000AAAAu, 0, 0, 1);
  EXPECT_EQ(series.Flags(0), 0x0003AAAAu);
}

struct AuctionCase {
  const char* what;
  int hour, minute;
  float open, close;
  bool appended;  // else written over a bar of the same day
  float storedOpen;
};

TEST(KLineSeriesMergeTest, OpeningAuctionBarOpensAtItsClose) {
  const AuctionCase cases[] = {
      {"09:25 without open, appended", 9, 25, 0.0f, 10.5f, true, 10.5f},
      {"09:25 without open, over the day's bar", 9, 25, 0.0f, 10.5f, false, 10.5f},
      {"09:21 is the first auction minute", 9, 21, 0.005f, 8.0f, true, 8.0f},
      {"09:29 is the last", 9, 29, 0.0f, 8.0f, true, 8.0f},
      {"09:30 is trading", 9, 30, 0.0f, 10.5f, true, 0.0f},
      {"09:20 is too early", 9, 20, 0.0f, 10.5f, true, 0.0f},
      {"an open of its own stays", 9, 25, 9.0f, 10.5f, true, 9.0f},
      {"no close, no open", 9, 25, 0.0f, 0.0f, true, 0.0f},
  };
  for (const AuctionCase& c : cases) {
    SCOPED_TRACE(c.what);
    CKLineSeries series;
    series.AddBar(Bar(Beijing(2024, 3, 4, 15, 0), 1), 0, 0, 0, 1);
    if (!c.appended) series.AddBar(Bar(Beijing(2024, 3, 5, 8, 0), 1), 0, 0, 0, 1);
    series.AddBar(Bar(Beijing(2024, 3, 5, c.hour, c.minute), c.close, c.open), 0, 0, 0, 1);
    ASSERT_EQ(series.GetCount(), 2);
    EXPECT_EQ(series.Bar(1).open, c.storedOpen);
  }
}

TEST(KLineSeriesMergeTest, AuctionRuleSkipsAnInsertedBar) {
  CKLineSeries series;
  series.AddBar(Bar(Beijing(2024, 3, 4, 15, 0), 1), 0, 0, 0, 1);
  series.AddBar(Bar(Beijing(2024, 3, 6, 15, 0), 3), 0, 0, 0, 1);
  series.AddBar(Bar(Beijing(2024, 3, 5, 9, 25), 2, 0.0f), 0, 0, 0, 1);
  ASSERT_EQ(Closes(series), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(series.Bar(1).open, 0.0f);
}

TEST(KLineSeriesMergeTest, SlotMergeInAFiveMinuteSeries) {
  CKLineSeries series;
  series.SetDataType(kiv::kDataTypeMin5);
  series.AddBar(Bar(Beijing(2024, 3, 5, 9, 31), 1), 0, 0, 0, 0);
  // 09:35 lies in the slot of 09:31 to 09:34: it replaces.
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 5, 9, 35), 2), 0, 0, 0, 0), 0);
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 5, 9, 36), 3), 0, 0, 0, 0), 1);
  // An older bar of another slot is dropped.
  EXPECT_EQ(series.AddBar(Bar(Beijing(2024, 3, 5, 9, 20), 4), 0, 0, 0, 0), 1);
  // No auction rule here.
  series.AddBar(Bar(Beijing(2024, 3, 6, 9, 25), 5, 0.0f), 0, 0, 0, 0);
  EXPECT_EQ(Closes(series), (std::vector<float>{2, 3, 5}));
  EXPECT_EQ(series.Bar(2).open, 0.0f);
}

TEST(KLineSeriesMergeTest, SlotMergeInADaySeriesSplitsTheDayInTwo) {
  CKLineSeries series;
  series.SetDataType(kiv::kDataTypeDay);
  series.AddBar(Bar(Beijing(2024, 3, 5, 10, 0), 1), 0, 0, 0, 0);  // minute 600: slot 1
  series.AddBar(Bar(Beijing(2024, 3, 5, 15, 0), 2), 0, 0, 0, 0);  // minute 900: slot 2
  series.AddBar(Bar(Beijing(2024, 3, 5, 15, 1), 3), 0, 0, 0, 0);  // slot 2 again
  EXPECT_EQ(Closes(series), (std::vector<float>{1, 3}));
}

TEST(KLineSeriesMergeTest, TimesAtTheEndsOfTheRangeMergeWithoutOverflow) {
  // A damaged cache file can hold any time; the local offset must not
  // overflow (the sanitizer build checks).
  for (int dayMerge : {0, 1}) {
    CKLineSeries series;
    series.SetDataType(kiv::kDataTypeMin5);
    series.AddBar(Bar(INT64_MIN, 1), 0, 0, 0, dayMerge);
    series.AddBar(Bar(INT64_MAX - 10, 2), 0, 0, 0, dayMerge);
    // The last representable second and one just before it share a slot.
    EXPECT_EQ(series.AddBar(Bar(INT64_MAX, 3), 0, 0, 0, dayMerge), 1) << dayMerge;
    EXPECT_EQ(Closes(series), (std::vector<float>{1, 3})) << dayMerge;
  }
}

TEST(KLineSeriesMergeTest, GrowthKeepsEverythingTheBarsOwn) {
  CKLineSeries series;
  int alive = 0;
  const int64_t first = Beijing(2024, 1, 1, 15, 0);
  for (int i = 0; i < 128; ++i) series.AddBar(Bar(first + i * 86400, float(i)), i, float(i), 0, 1);
  ASSERT_EQ(series.GetCapacity(), 128);
  series.SetHolderMarks(5, std::make_unique<Marks>(&alive));
  std::unique_ptr<char[]> text(new char[4]{'a', 'b', 'c', 0});
  series.SetHolderText(6, std::move(text));
  series.IndicatorCache(0).assign(128, 1.0f);

  EXPECT_EQ(series.AddBar(Bar(first + 128 * 86400, 128), 0, 0, 0, 1), 128);
  EXPECT_EQ(series.GetCapacity(), 256);
  EXPECT_TRUE(series.IndicatorCache(0).empty());
  EXPECT_EQ(alive, 1);
  ASSERT_NE(series.HolderMarks(5), nullptr);
  EXPECT_STREQ(series.HolderText(6), "abc");
  EXPECT_EQ(series.Flags(100), 100u);
  EXPECT_EQ(series.Value1(127), 127.0f);

  // An insertion moves what a bar owns along with it.
  series.AddBar(Bar(first + 3 * 86400 + 3600, 0), 0, 0, 0, 1);  // same day as bar 3: replace
  series.AddBar(Bar(first - 86400, 0), 0, 0, 0, 1);             // before the first: dropped
  EXPECT_NE(series.HolderMarks(5), nullptr);
  series.Clear();
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(series.GetCount(), 0);
  EXPECT_EQ(series.GetLastBarTime(), 0);
}

TEST(KLineSeriesMergeTest, InsertionMovesOwnedObjectsWithTheirBars) {
  CKLineSeries series;
  int alive = 0;
  series.AddBar(Bar(Beijing(2024, 3, 4, 15, 0), 1), 0, 0, 0, 1);
  series.AddBar(Bar(Beijing(2024, 3, 6, 15, 0), 3), 0, 0, 0, 1);
  series.SetHolderMarks(1, std::make_unique<Marks>(&alive));
  series.Flags(1) = 0x00070000u;
  series.AddBar(Bar(Beijing(2024, 3, 5, 15, 0), 2), 0x1, 0, 0, 1);
  EXPECT_EQ(series.HolderMarks(1), nullptr);  // the new bar owns nothing
  EXPECT_EQ(series.Flags(1), 0x1u);
  EXPECT_NE(series.HolderMarks(2), nullptr);
  EXPECT_EQ(series.Flags(2), 0x00070000u);
  EXPECT_EQ(series.GetLastBarTime(), Beijing(2024, 3, 6, 15, 0));
}

// --- the cache file --------------------------------------------------------

class KLineCacheTest : public ::testing::Test {
 protected:
  void Fill(CKLineSeries& series, int bars) {
    series.SetDataType(kiv::kDataTypeDay);
    series.SetStock(MakeStockId(600000, 1));
    series.SetVariant(100);
    for (int i = 0; i < 16; ++i) series.Reserved()[i] = static_cast<unsigned char>(i + 1);
    for (int i = 0; i < bars; ++i) {
      series.AddBar(Bar(Beijing(2024, 1, 1, 15, 0) + i * 86400LL, 10.0f + i), 0x10 + i, 0.5f * i,
                    -0.5f * i, 1);
    }
  }
  std::string PathOf(StockId id) { return kiv::CachePathOf(&id, kiv::kDataTypeDay); }
  std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }

  DataScratchFolder scratch_;
};

TEST_F(KLineCacheTest, SaveAndLoadRoundTrip) {
  CKLineSeries saved;
  Fill(saved, 3);
  ASSERT_EQ(saved.SaveToFile(), 1);
  const std::string path = PathOf(MakeStockId(600000, 1));
  EXPECT_EQ(FileSize(path), 178);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.Data() + "/sh/day"),
                          std::filesystem::directory_iterator()),
            1);

  CKLineSeries loaded;
  loaded.SetDataType(kiv::kDataTypeDay);
  loaded.SetStock(MakeStockId(600000, 0));  // the market is filled in
  ASSERT_EQ(loaded.LoadFromFile(), 1);
  EXPECT_EQ(loaded.GetStock(), MakeStockId(600000, 1));
  EXPECT_EQ(loaded.GetVariant(), 100);
  EXPECT_EQ(std::memcmp(loaded.Reserved(), saved.Reserved(), 16), 0);
  ASSERT_EQ(loaded.GetCount(), 3);
  EXPECT_EQ(loaded.GetCapacity(), 128);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(std::memcmp(&loaded.Bar(i), &saved.Bar(i), sizeof(KLineBar)), 0);
    EXPECT_EQ(loaded.Flags(i), saved.Flags(i));
    EXPECT_EQ(loaded.Value1(i), saved.Value1(i));
    EXPECT_EQ(loaded.Value2(i), saved.Value2(i));
  }
  EXPECT_EQ(loaded.GetLastBarTime(), saved.GetLastBarTime());
}

TEST_F(KLineCacheTest, FileLayoutIsFixed) {
  CKLineSeries series;
  Fill(series, 1);
  const std::string bytes = KLineCacheCodec::Encode(series);
  ASSERT_EQ(bytes.size(), 34u + 48u);
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  EXPECT_EQ(u32(0), 17u);
  EXPECT_EQ(u32(4), MakeStockId(600000, 1));
  EXPECT_EQ(bytes[8], 1);
  EXPECT_EQ(u32(24), kiv::kDataTypeDay);
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 100);
  EXPECT_EQ(u32(30), 1u);
  int64_t time;
  std::memcpy(&time, bytes.data() + 34, 8);
  EXPECT_EQ(time, series.Bar(0).time);
  EXPECT_EQ(u32(34 + 32), 7u);    // extra word
  EXPECT_EQ(u32(34 + 36), 0x10u); // flags after the bars
}

TEST_F(KLineCacheTest, AnEmptyFileLoadsAsAnEmptySeries) {
  CKLineSeries saved;
  Fill(saved, 0);
  ASSERT_EQ(saved.SaveToFile(), 1);
  CKLineSeries loaded;
  loaded.SetDataType(kiv::kDataTypeDay);
  loaded.SetStock(MakeStockId(600000, 1));
  EXPECT_EQ(loaded.LoadFromFile(), 1);
  EXPECT_EQ(loaded.GetCount(), 0);
  EXPECT_EQ(loaded.GetLastBarTime(), 0);
}

TEST_F(KLineCacheTest, DamagedFilesAreDeletedAndRefused) {
  CKLineSeries good;
  Fill(good, 3);
  const std::string valid = KLineCacheCodec::Encode(good);
  auto with = [&](size_t at, const std::string& patch) {
    std::string bytes = valid;
    bytes.replace(at, patch.size(), patch);
    return bytes;
  };
  struct Damage {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"version 16", with(0, std::string("\x10\0\0\0", 4))},
      {"variant 101", with(28, std::string("\x65\0", 2))},
      {"truncated by one byte", valid.substr(0, valid.size() - 1)},
      {"one byte too many", valid + "x"},
      {"header cut short", valid.substr(0, 20)},
      {"count beyond the file", with(30, std::string("\x04\0\0\0", 4))},
      {"negative count", with(30, std::string("\xff\xff\xff\xff", 4))},
      {"huge count", with(30, std::string("\xff\xff\xff\x7f", 4))},
      {"empty file", ""},
  };
  const std::string path = PathOf(MakeStockId(600000, 1));
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(path, c.bytes);
    CKLineSeries series;
    series.SetDataType(kiv::kDataTypeDay);
    series.SetStock(MakeStockId(600000, 1));
    EXPECT_EQ(series.LoadFromFile(), 0);
    EXPECT_EQ(series.GetCount(), 0);  // never a partial series
    EXPECT_FALSE(FileExists(path));
  }
}

TEST_F(KLineCacheTest, AMissingFileIsRefusedAndNothingIsMade) {
  CKLineSeries series;
  series.SetDataType(kiv::kDataTypeDay);
  series.SetStock(MakeStockId(600001, 1));
  EXPECT_EQ(series.LoadFromFile(), 0);
  EXPECT_FALSE(FileExists(PathOf(MakeStockId(600001, 1))));
  // A type without cache file neither loads nor saves.
  series.SetDataType(20000043);
  EXPECT_EQ(series.LoadFromFile(), 0);
  EXPECT_EQ(series.SaveToFile(), 0);
}

TEST_F(KLineCacheTest, AFailedSaveKeepsTheOldFileAndReleasesTheLock) {
  CKLineSeries series;
  Fill(series, 2);
  ASSERT_EQ(series.SaveToFile(), 1);
  const std::string folder = scratch_.Data() + "/sh/day";
  std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_exec);
  series.AddBar(Bar(Beijing(2024, 6, 1, 15, 0), 99), 0, 0, 0, 1);
  const bool writable = ::access(folder.c_str(), W_OK) == 0;  // root writes anyway
  if (!writable) {
    EXPECT_EQ(series.SaveToFile(), 0);
  }
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  if (!writable) {
    EXPECT_EQ(FileSize(PathOf(MakeStockId(600000, 1))), 34 + 48 * 2);
  }
  // The lock was released: the next save goes through.
  EXPECT_EQ(series.SaveToFile(), 1);
  EXPECT_EQ(FileSize(PathOf(MakeStockId(600000, 1))), 34 + 48 * 3);
}

}  // namespace
