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
  uint32_t GetDataType() const { return m_nDataType; }
  void SetDataType(uint32_t type) { m_nDataType = type; }
  StockId GetStock() const { return m_Stock; }
  void SetStock(StockId id) { m_Stock = id; }
  uint16_t GetVariant() const { return m_nVariant; }
  void SetVariant(uint16_t variant) { m_nVariant = variant; }
  unsigned char* Reserved() { return m_Reserved; }
  const unsigned char* Reserved() const { return m_Reserved; }

  int GetCount() const { return m_nCount; }
  int GetCapacity() const { return static_cast<int>(m_Bars.size()); }

  // Per-bar access, for i in 0 .. capacity - 1.
  const KLineBar* Bars() const { return m_Bars.data(); }
  KLineBar& Bar(int i) { return m_Bars[i]; }
  const KLineBar& Bar(int i) const { return m_Bars[i]; }
  uint32_t& Flags(int i) { return m_Flags[i]; }
  uint32_t Flags(int i) const { return m_Flags[i]; }
  float& Value1(int i) { return m_Value1[i]; }
  float Value1(int i) const { return m_Value1[i]; }
  float& Value2(int i) { return m_Value2[i]; }
  float Value2(int i) const { return m_Value2[i]; }
  uint32_t& SpareWord(int i) {
    AllocateExtras();
    return m_Spare[i];
  }
  char* HolderText(int i) const { return m_HolderTexts.empty() ? nullptr : m_HolderTexts[i].get(); }
  void SetHolderText(int i, std::unique_ptr<char[]> text) {
    AllocateExtras();
    m_HolderTexts[i] = std::move(text);
  }
  KLineBarMarks* HolderMarks(int i) const {
    return m_HolderMarks.empty() ? nullptr : m_HolderMarks[i].get();
  }
  void SetHolderMarks(int i, std::unique_ptr<KLineBarMarks> marks) {
    AllocateExtras();
    m_HolderMarks[i] = std::move(marks);
  }
  // The chart's indicator caches: freed whenever the capacity grows.
  std::vector<float>& IndicatorCache(int k) { return m_Indicators[k]; }

 private:
  friend class KLineCacheCodec;

  void Reserve(int capacity);  // grows every per-bar array, zeroing new entries
  // Sizes bars, flags and values for a load of count bars into an empty
  // series, without zeroing the entries the load overwrites.
  void ReserveForLoad(int count);
  void AllocateExtras();       // holder texts, marks and spare words, zeroed
  bool HasExtras() const { return !m_Spare.empty(); }
  void WriteEntry(int i, const KLineBar& bar, uint32_t flags, float value1, float value2);
  void ResetEntry(int i);      // a new entry: nothing attached, flags and spare word 0
  void InsertEntry(int at);    // moves entries at .. count - 1 up by one; count + 1
  int MergeDay(const KLineBar& bar, uint32_t flags, float value1, float value2);
  int MergeSlot(const KLineBar& bar, uint32_t flags, float value1, float value2);

  uint32_t m_nDataType = 0;
  StockId m_Stock = 0;
  unsigned char m_Reserved[kReservedBytes] = {};
  uint16_t m_nVariant = 0;
  int32_t m_nCount = 0;
  // The arrays a cache file fills: sized without zeroing (see ReserveForLoad).
  template <class T>
  using LoadedArray = std::vector<T, DefaultInitAllocator<T>>;

  LoadedArray<KLineBar> m_Bars;
  std::vector<std::unique_ptr<char[]>> m_HolderTexts;      // empty until used
  std::vector<std::unique_ptr<KLineBarMarks>> m_HolderMarks;  // empty until used
  LoadedArray<uint32_t> m_Flags;
  LoadedArray<float> m_Value1;
  LoadedArray<float> m_Value2;
  std::vector<uint32_t> m_Spare;  // empty until used
  std::vector<float> m_Indicators[kIndicatorCaches];
};
