// WaveDayBar: the benchmarks' synthetic day bar, prices on a slow wave with
// a weekly ripple around `level` (shifted by `phase` radians on the slow
// wave), so that candles, averages and indicators have shapes to draw.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "data/KLineBar.h"

inline KLineBar WaveDayBar(int i, int64_t time, double level = 10, double phase = 0) {
  const double mid = level + 3 * std::sin(i / 150.0 + phase) + 0.4 * std::sin(i / 7.0);
  KLineBar bar{};
  bar.time = time;
  bar.open = static_cast<float>(mid + 0.12 * std::sin(i * 1.3));
  bar.close = static_cast<float>(mid + 0.12 * std::cos(i * 0.9));
  bar.high = std::max(bar.open, bar.close) + 0.08f;
  bar.low = std::min(bar.open, bar.close) - 0.09f;
  bar.volume = static_cast<float>(100000 + 40000 * std::sin(i / 13.0));
  bar.amount = bar.volume * bar.close * 100;
  return bar;
}
