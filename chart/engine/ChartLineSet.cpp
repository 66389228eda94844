#include "chart/engine/ChartLineSet.h"

namespace kiv {

namespace {

constexpr int32_t kDefaultPeriods[ChartLineSet::kAverages] = {5, 10, 20, 30, 0};
constexpr uint32_t kDefaultColors[ChartLineSet::kAverages] = {0x0BFFFF, 0xFF80FF, 0x00E600, 0xF4E202, 0x0000FF};
constexpr int32_t kPriceLinePeriods[2] = {18, 90};
constexpr int32_t kVolumeLinePeriods[2] = {6, 36};
constexpr uint32_t kExtraColors[2] = {0x0BFFFF, 0xFF80FF};

}  // namespace

ChartLineSet::ChartLineSet() {
  for (int i = 0; i < kAverages; ++i) {
    priceMAPeriod[i] = volumeMAPeriod[i] = kDefaultPeriods[i];
    m_PriceMA[i].SetColor(kDefaultColors[i]);
    m_VolumeMA[i].SetColor(kDefaultColors[i]);
  }
  for (int i = 0; i < 2; ++i) {
    m_PriceLines[i].SetColor(kExtraColors[i]);
    m_VolumeLines[i].SetColor(kExtraColors[i]);
  }
}

void ChartLineSet::Compute(CMovingAverageLine& line, Key& key, const CKLineSeries* series, uint64_t generation,
                           int32_t period, bool volume) {
  if (key.generation == generation && key.period == period && generation != 0) return;
  if (volume) {
    line.ComputeVolume(series, period);
  } else {
    line.ComputeClose(series, period);
  }
  key.generation = generation;
  key.period = period;
  ++recomputations_;
}

void ChartLineSet::ComputeAverages(const CKLineSeries* series, uint64_t generation) {
  for (int i = 0; i < kAverages; ++i) {
    Compute(m_PriceMA[i], priceKeys_[i], series, generation, priceMAPeriod[i], false);
    Compute(m_VolumeMA[i], volumeKeys_[i], series, generation, volumeMAPeriod[i], true);
  }
}

void ChartLineSet::ComputeExtraLines(const CKLineSeries* series, uint64_t generation) {
  for (int i = 0; i < 2; ++i) {
    Compute(m_PriceLines[i], priceLineKeys_[i], series, generation, kPriceLinePeriods[i], false);
    Compute(m_VolumeLines[i], volumeLineKeys_[i], series, generation, kVolumeLinePeriods[i], true);
  }
}

void ChartLineSet::Clear() {
  for (int i = 0; i < kAverages; ++i) {
    m_PriceMA[i].FreeValues();
    m_VolumeMA[i].FreeValues();
    priceKeys_[i] = volumeKeys_[i] = Key();
  }
  for (int i = 0; i < 2; ++i) {
    m_PriceLines[i].FreeValues();
    m_VolumeLines[i].FreeValues();
    priceLineKeys_[i] = volumeLineKeys_[i] = Key();
  }
}

}  // namespace kiv
