// CKLineSeries: the bars of one stock in one period, with per-bar signal
// flags and values, and its cache file (see KLineCacheFile.h).
//
// Every per-bar array is parallel to the bars: entry i of each belongs to
// bar i, and all have the same capacity, a multiple of 128 that grows by 128
// entries at a time. Entries from Count() on are unused. The holder texts,
// holder marks and spare words, which few series ever use, are allocated on
// first use; until then they read as null and 0.
//
// The series has no lock of its own: its owner guards AddBar, Clear and
// reads of the arrays. Only the cache files are guarded, by g_KLineFileLock,
// one lock over the cache files of every series: exclusive (write mode) to
// save or load, shared (read mode) for GetLastBarTime.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "data/DefaultInitAllocator.h"
#include "data/KLineBar.h"
#include "net/KivRWLock.h"
#include "net/StockId.h"

extern CKivRWLock g_KLineFileLock;

// Base of the per-bar shareholding-change mark holders that the chart hangs
// on bars; the series owns them and deletes them with their bar.
class KLineBarMarks {
 public:
  virtual ~KLineBarMarks() = default;
};

class CKLineSeries {
 public:
  static constexpr int kGrowth = 128;
  // A variant at or above this is not one the program writes.
  static constexpr uint16_t kVariantLimit = 101;
  static constexpr int kReservedBytes = 16;
  static constexpr int kIndicatorCaches = 3;

  CKLineSeries();   // Init
  ~CKLineSeries();  // Clear
  CKLineSeries(const CKLineSeries&) = delete;
  CKLineSeries& operator=(const CKLineSeries&) = delete;

  // Zero every field of a fresh series (no arrays).
  void Init();
  // Frees every array with what the bars own (holder texts, holder marks),
  // the indicator caches, and zeroes identity, variant and count.
  void Clear();

  // Merges one bar; see the rules in KLineSeries.cpp. dayMerge != 0 keeps at
  // most one bar per local day (UTC+8), 0 one bar per period slot of a day.
  // The low 16 bits of flags (four 4-bit fields) replace those of the bar's
  // flags word. Returns Count() - 1 after the merge, whatever it did.
  int AddBar(const KLineBar& bar, uint32_t flags, float value1, float value2, int dayMerge);

  // The cache file of the series' data type and stock. 1 done, 0 not.
  // Loading deletes a damaged file; it never leaves a partial series.
  int SaveToFile();
  int LoadFromFile();

  // Time of the last bar; 0 when the series has no bar.
  int64_t GetLastBarTime() const;

  // Identity, set by the owner before loading or saving.
  uint32_t GetDataType() const { return dataType_; }
  void SetDataType(uint32_t type) { dataType_ = type; }
  StockId GetStock() const { return stock_; }
  void SetStock(StockId id) { stock_ = id; }
  uint16_t GetVariant() const { return variant_; }
  void SetVariant(uint16_t variant) { variant_ = variant; }
  unsigned char* Reserved() { return reserved_; }
  const unsigned char* Reserved() const { return reserved_; }

  int GetCount() const { return count_; }
  int GetCapacity() const { return static_cast<int>(bars_.size()); }

  // Per-bar access, for i in 0 .. capacity - 1.
  const KLineBar* Bars() const { return bars_.data(); }
  KLineBar& Bar(int i) { return bars_[i]; }
  const KLineBar& Bar(int i) const { return bars_[i]; }
  uint32_t& Flags(int i) { return flags_[i]; }
  uint32_t Flags(int i) const { return flags_[i]; }
  float& Value1(int i) { return value1_[i]; }
  float Value1(int i) const { return value1_[i]; }
  float& Value2(int i) { return value2_[i]; }
  float Value2(int i) const { return value2_[i]; }
  uint32_t& SpareWord(int i) {
    AllocateExtras();
    return spare_[i];
  }
  // The spare word without allocating the extras: 0 until they exist.
  uint32_t SpareWordAt(int i) const { return spare_.empty() ? 0 : spare_[i]; }
  char* HolderText(int i) const { return holderTexts_.empty() ? nullptr : holderTexts_[i].get(); }
  void SetHolderText(int i, std::unique_ptr<char[]> text) {
    AllocateExtras();
    holderTexts_[i] = std::move(text);
  }
  KLineBarMarks* HolderMarks(int i) const {
    return holderMarks_.empty() ? nullptr : holderMarks_[i].get();
  }
  void SetHolderMarks(int i, std::unique_ptr<KLineBarMarks> marks) {
    AllocateExtras();
    holderMarks_[i] = std::move(marks);
  }
  // The chart's indicator caches: freed whenever the capacity grows.
  std::vector<float>& IndicatorCache(int k) { return indicatorCaches_[k]; }

 private:
  friend class KLineCacheCodec;

  void Reserve(int capacity);  // grows every per-bar array, zeroing new entries
  // Sizes bars, flags and values for a load of count bars into an empty
  // series, without zeroing the entries the load overwrites.
  void ReserveForLoad(int count);
  void AllocateExtras();       // holder texts, marks and spare words, zeroed
  bool HasExtras() const { return !spare_.empty(); }
  void WriteEntry(int i, const KLineBar& bar, uint32_t flags, float value1, float value2);
  void ResetEntry(int i);      // a new entry: nothing attached, flags and spare word 0
  void InsertEntry(int at);    // moves entries at .. count - 1 up by one; count + 1
  int MergeDay(const KLineBar& bar, uint32_t flags, float value1, float value2);
  int MergeSlot(const KLineBar& bar, uint32_t flags, float value1, float value2);

  uint32_t dataType_ = 0;
  StockId stock_ = 0;
  unsigned char reserved_[kReservedBytes] = {};
  uint16_t variant_ = 0;
  int32_t count_ = 0;
  // The arrays a cache file fills: sized without zeroing (see ReserveForLoad).
  template <class T>
  using LoadedArray = std::vector<T, DefaultInitAllocator<T>>;

  LoadedArray<KLineBar> bars_;
  std::vector<std::unique_ptr<char[]>> holderTexts_;      // empty until used
  std::vector<std::unique_ptr<KLineBarMarks>> holderMarks_;  // empty until used
  LoadedArray<uint32_t> flags_;
  LoadedArray<float> value1_;
  LoadedArray<float> value2_;
  std::vector<uint32_t> spare_;  // empty until used
  std::vector<float> indicatorCaches_[kIndicatorCaches];
};
