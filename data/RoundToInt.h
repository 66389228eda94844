// Rounding of the indicator and chart code: the value plus one half,
// truncated toward zero (2.5 gives 3, -1.7 gives -1, -0.5 gives 0).
#pragma once

#include <cmath>
#include <cstdint>

// The half is added in double precision: in float, 0.49999997f + 0.5f
// already rounds up to 1. A result beyond the 32-bit range saturates and NaN
// gives 0, where a plain conversion would be undefined.
inline int32_t RoundToInt(float value) {
  double shifted = static_cast<double>(value) + 0.5;
  if (std::isnan(shifted)) return 0;
  if (shifted >= 2147483647.0) return INT32_MAX;
  if (shifted <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(shifted);
}
