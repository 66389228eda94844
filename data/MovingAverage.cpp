#include "data/MovingAverage.h"

#include "data/KLineSeries.h"

void CMovingAverageLine::FreeValues() {
  std::vector<float>().swap(values_);
  count_ = 0;
}

void CMovingAverageLine::ComputeClose(const CKLineSeries* series, int32_t period) {
  Compute(series, period, false);
}

void CMovingAverageLine::ComputeVolume(const CKLineSeries* series, int32_t period) {
  Compute(series, period, true);
}

void CMovingAverageLine::Compute(const CKLineSeries* series, int32_t period, bool volume) {
  if (period < 1) period = period_;
  FreeValues();
  if (!series || series->GetCount() < 1 || period < 1 || period >= series->GetCount()) return;
  period_ = period;
  count_ = series->GetCount();
  values_.assign(static_cast<size_t>(count_), 0.0f);
  const KLineBar* bars = series->Bars();
  for (int i = period - 1; i < count_; ++i) {
    // Summed afresh in bar order in single precision, as the lines always
    // were: a running sum would drift from the drawn values.
    float sum = 0.0f;
    for (int j = i - period + 1; j <= i; ++j) sum += volume ? bars[j].volume : bars[j].close;
    values_[i] = static_cast<float>(static_cast<double>(sum) / period);
  }
}
