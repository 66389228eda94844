// The chart's lines: five price and five volume moving averages with the
// periods the user chose, and four extra lines (price over 18 and 90 bars,
// volume over 6 and 36) that the signal marks use.
//
// A line is recomputed only when the series it is drawn on changed (each
// series state carries a generation number, renewed on every change of its
// bars) or its period changed; otherwise its values stay. The values are
// those of a full recomputation.
//
// UI thread only.
#pragma once

#include <cstdint>

#include "data/KLineSeries.h"
#include "data/MovingAverage.h"

namespace kiv {

class ChartLineSet {
 public:
  static constexpr int kAverages = 5;

  ChartLineSet();

  // The ten moving averages on `series` (generation `generation`).
  void ComputeAverages(const CKLineSeries* series, uint64_t generation);
  // The four extra lines on `series`.
  void ComputeExtraLines(const CKLineSeries* series, uint64_t generation);
  // Every line emptied (a series was freed).
  void Clear();

  CMovingAverageLine m_PriceMA[kAverages];
  CMovingAverageLine m_VolumeMA[kAverages];
  CMovingAverageLine m_PriceLines[2];
  CMovingAverageLine m_VolumeLines[2];

  // The periods the user set (0 leaves a line empty).
  int32_t priceMAPeriod[kAverages];
  int32_t volumeMAPeriod[kAverages];

  // How many lines were actually recomputed since construction.
  uint64_t Recomputations() const { return recomputations_; }

 private:
  struct Key {
    uint64_t generation = 0;  // 0: never computed
    int32_t period = -1;
  };
  void Compute(CMovingAverageLine& line, Key& key, const CKLineSeries* series, uint64_t generation,
               int32_t period, bool volume);

  Key priceKeys_[kAverages];
  Key volumeKeys_[kAverages];
  Key priceLineKeys_[2];
  Key volumeLineKeys_[2];
  uint64_t recomputations_ = 0;
};

}  // namespace kiv
