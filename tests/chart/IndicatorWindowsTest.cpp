// The indicators' window passes give bit for bit what a plain loop over each
// window gives: sums in their order (from the oldest or from the newest),
// deviation sums about per-bar centres, and the extremes of windows
// shortened at the start, for every window length the indicators use, from
// any first bar, with block tails of every length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "chart/indicators/IndicatorWindows.h"

namespace kiv {
namespace {

// Values of mixed magnitude, so that the order of additions shows in the
// last bits, with runs of equal values for the extremes.
std::vector<float> WindowValues(int count) {
  std::vector<float> values;
  uint32_t state = 7;
  for (int i = 0; i < count; ++i) {
    state = state * 1664525u + 1013904223u;
    const float v = static_cast<float>(state >> 8) / 16777216.0f;
    values.push_back(i % 7 == 3 ? values.empty() ? 1.0f : values.back() : (v - 0.5f) * (i % 3 == 0 ? 1000.0f : 1.0f));
  }
  return values;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(IndicatorWindows, EverySumIsThePlainLoopsBitForBit) {
  const int count = 150;
  const std::vector<float> x = WindowValues(count);
  std::vector<float> centre(count);
  for (int i = 0; i < count; ++i) centre[i] = x[i] * 0.5f + 0.25f;
  for (int n : {1, 3, 6, 9, 12, 14, 24, 26, 28, 90}) {
    for (int first : {n - 1, n + 5, n + 31, count - 33, count - 1}) {
      if (first < n - 1 || first >= count) continue;
      SCOPED_TRACE("window " + std::to_string(n) + " from " + std::to_string(first));
      std::vector<float> forward(count, -1.0f), backward(count, -1.0f), absolute(count, -1.0f), squared(count, -1.0f);
      SumWindowsForward(x.data(), n, first, count, forward.data());
      SumWindowsBackward(x.data(), n, first, count, backward.data());
      SumAbsoluteDeviations(x.data(), centre.data(), n, first, count, absolute.data());
      SumSquaredDeviations(x.data(), centre.data(), n, first, count, squared.data());
      for (int i = 0; i < count; ++i) {
        if (i < first) {
          // Entries before the first are left alone.
          ASSERT_EQ(forward[i], -1.0f);
          ASSERT_EQ(squared[i], -1.0f);
          continue;
        }
        float f = 0.0f, b = 0.0f, a = 0.0f, s = 0.0f;
        for (int j = i - n + 1; j <= i; ++j) {
          f += x[j];
          a += std::fabs(x[j] - centre[i]);
          const float d = x[j] - centre[i];
          s += d * d;
        }
        for (int j = i; j > i - n; --j) b += x[j];
        ASSERT_TRUE(SameBits(forward[i], f)) << i;
        ASSERT_TRUE(SameBits(backward[i], b)) << i;
        ASSERT_TRUE(SameBits(absolute[i], a)) << i;
        ASSERT_TRUE(SameBits(squared[i], s)) << i;
      }
    }
  }
}

TEST(IndicatorWindows, ExtremesAreThoseOfWindowsShortenedAtTheStart) {
  const int count = 100;
  const std::vector<float> x = WindowValues(count);
  for (int n : {1, 2, 9, 14, 28, 120}) {
    for (int first : {0, 1, 8, 13, 40, 99}) {
      SCOPED_TRACE("window " + std::to_string(n) + " from " + std::to_string(first));
      std::vector<float> highest(count, -1.0f), lowest(count, -1.0f);
      WindowExtremes(x.data(), n, first, count, highest.data(), lowest.data());
      for (int i = 0; i < count; ++i) {
        if (i < first) {
          ASSERT_EQ(highest[i], -1.0f);
          continue;
        }
        const auto begin = x.begin() + std::max(i - n + 1, 0);
        ASSERT_EQ(highest[i], *std::max_element(begin, x.begin() + i + 1)) << i;
        ASSERT_EQ(lowest[i], *std::min_element(begin, x.begin() + i + 1)) << i;
      }
    }
  }
}

}  // namespace
}  // namespace kiv
