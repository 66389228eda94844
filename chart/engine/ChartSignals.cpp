#include "chart/engine/ChartSignals.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "chart/engine/KivEMASLOPE.h"
#include "data/CachePath.h"

namespace kiv {

const float EmaSlopeWarmupTable[kEmaSlopeWarmupRecords] = {
    0.00f,  9.98f,  1.94f,  0.89f,  2.57f,  -4.46f, -1.27f, 3.57f,  2.84f,  10.00f, 1.38f,
    9.95f,  -2.19f, 0.71f,  -4.29f, 5.79f,  -6.43f, -2.18f, -0.90f, 2.14f,  -0.31f, 0.21f,
    -1.65f, 10.00f, -0.19f, -2.17f, 5.01f,  0.74f,  0.00f,  -1.17f, -1.53f, 2.75f,  -1.85f,
    1.97f,  -1.01f, 5.59f,  -5.88f, -5.41f, 2.94f,  3.15f,  0.34f,  1.71f,  -6.04f, -0.03f,
    -0.10f, -2.89f, 2.71f,  1.76f,  -1.73f, -1.14f, -2.60f, -4.57f, -4.54f, 1.30f,  -3.23f,
};

namespace {

constexpr uint32_t kNibble2Mask = 0xF00u;

uint32_t Nibble2(uint32_t flags) { return (flags >> 8) & 0xFu; }
void SetNibble2(uint32_t& flags, uint32_t state) { flags = (flags & ~kNibble2Mask) | ((state & 0xFu) << 8); }

// Plain averages of the closes over `period` bars ending at each bar; 0
// before the first full window.
std::vector<double> CloseAverages(const CKLineSeries& series, int period) {
  const int n = series.GetCount();
  std::vector<double> out(static_cast<size_t>(n), 0.0);
  for (int i = period - 1; i < n; ++i) {
    double sum = 0;
    for (int k = i - period + 1; k <= i; ++k) sum += series.Bar(k).close;
    out[i] = sum / period;
  }
  return out;
}

}  // namespace

bool ComputeIntradaySignals(CKLineSeries* series) {
  if (!series) return false;
  const uint32_t type = series->GetDataType();
  if (type != kDataTypeMin1 && type != kDataTypeMin5 && type != kDataTypeHour) return false;
  const int n = series->GetCount();
  if (n < kIntradaySignalMinBars) return false;
  const std::vector<double> m18 = CloseAverages(*series, 18);
  const std::vector<double> m90 = CloseAverages(*series, 90);
  for (int i = 5; i < n; ++i) SetNibble2(series->Flags(i), 0);
  SetNibble2(series->Flags(89), 2);
  for (int i = 90; i < n; ++i) {
    const double c = series->Bar(i).close;
    double up, down;
    if (c > 10) {
      up = 1.004, down = 0.996;
    } else if (c > 8) {
      up = 1.006, down = 0.994;
    } else if (c > 6) {
      up = 1.008, down = 0.993;
    } else if (c > 4) {
      up = 1.001, down = 0.990;
    } else if (c > 2) {
      up = 1.012, down = 0.998;
    } else {
      up = 1.015, down = 0.985;
    }
    uint32_t next;
    switch (Nibble2(series->Flags(i - 1))) {
      case 2: {
        // A guarded quotient: a zero average counts as no distance.
        const double distance = m90[i] == 0.0 ? 0.0 : (c - m90[i]) / m90[i];
        const bool stays = c <= m18[i] * up || m18[i] <= m18[i - 1] || (m90[i - 1] > m90[i] && distance >= -0.1);
        next = stays ? 2 : 1;
        break;
      }
      case 4: {
        const bool falls = m18[i - 2] > m18[i - 1] && m18[i - 1] > m18[i] && c < down * m18[i] &&
                           series->Bar(i - 1).close < down * m18[i - 1];
        next = falls ? 3 : 4;
        break;
      }
      case 1: next = 4; break;
      default: next = 2; break;  // 3, and nothing else can precede
    }
    SetNibble2(series->Flags(i), next);
  }
  return true;
}

bool ComputeEmaSlopeSignals(CKLineSeries* raw, const CKLineSeries* source) {
  if (!raw || raw->GetDataType() != kDataTypeMin5 || raw->GetCount() < 21) return false;
  if (!source) source = raw;
  const int n = source->GetCount();
  if (n < 1) return false;
  auto input = std::make_unique<EmaSlopeInput>();
  std::vector<EmaSlopeRecord>& records = input->records;
  records.resize(static_cast<size_t>(n + kEmaSlopeWarmupRecords));
  float price = source->Bar(0).close;
  for (int k = 0; k < kEmaSlopeWarmupRecords; ++k) {
    price = static_cast<float>((1.0 + double(EmaSlopeWarmupTable[k]) / 100.0) * price);
    EmaSlopeRecord& r = records[k];
    r.timeLow = 1;
    r.timeHigh = 0;
    r.open = r.close = price;
    r.high = static_cast<float>(double(price) * 1.01);
    r.x = static_cast<float>(k + 1);
    r.volume = 1.0f;
  }
  for (int i = 0; i < n; ++i) {
    const KLineBar& bar = source->Bar(i);
    EmaSlopeRecord& r = records[kEmaSlopeWarmupRecords + i];
    const uint64_t time = static_cast<uint64_t>(bar.time);
    r.timeLow = static_cast<uint32_t>(time);
    r.timeHigh = static_cast<uint32_t>(time >> 32);
    r.open = bar.open;
    r.close = bar.close;
    r.high = bar.high;
    r.x = static_cast<float>(i + kEmaSlopeWarmupRecords + 1);
    r.volume = bar.volume;
  }
  CKivEMASLOPE calculator;
  calculator.SetInput(std::move(input));
  calculator.Run();
  const std::vector<EmaSlopeRecord>& done = calculator.Input()->records;
  const int bars = std::min(n, raw->GetCount());
  for (int i = 0; i < bars; ++i) {
    raw->Flags(i) = static_cast<uint32_t>(done[kEmaSlopeWarmupRecords + i].state);
  }
  return true;
}

}  // namespace kiv
