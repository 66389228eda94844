#include "data/MovingAverage.h"

#include "data/KLineSeries.h"

void CMovingAverageLine::FreeValues() {
  std::vector<float>().swap(m_Values);
  m_nCount = 0;
}

void CMovingAverageLine::ComputeClose(const CKLineSeries* series, int32_t period) {
  Compute(series, period, false);
}

void CMovingAverageLine::ComputeVolume(const CKLineSeries* series, int32_t period) {
  Compute(series, period, true);
}

void CMovingAverageLine::Compute(const CKLineSeries* series, int32_t period, bool volume) {
  if (period < 1) period = m_nPeriod;
  FreeValues();
  if (!series || series->GetCount() < 1 || period < 1 || period >= series->GetCount()) return;
  m_nPeriod = period;
  m_nCount = series->GetCount();
  m_Values.assign(static_cast<size_t>(m_nCount), 0.0f);
  const KLineBar* bars = series->Bars();
  for (int i = period - 1; i < m_nCount; ++i) {
    // Summed afresh in bar order in single precision, as the lines always
    // were: a running sum would drift from the drawn values.
    float sum = 0.0f;
    for (int j = i - period + 1; j <= i; ++j) sum += volume ? bars[j].volume : bars[j].close;
    m_Values[i] = static_cast<float>(static_cast<double>(sum) / period);
  }
}
