// MulDiv: number x numerator / denominator in 64 bits, rounded to the
// nearest integer (halves away from zero), as the familiar kernel function
// computes scaled sizes and percentages. -1 when the denominator is 0 or the
// result does not fit in 32 bits.
#pragma once

#include <cstdint>
#include <limits>

inline int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const uint64_t magnitude = product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
  const uint64_t divisor =
      denominator < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(denominator)) : static_cast<uint64_t>(denominator);
  const uint64_t rounded = (magnitude + divisor / 2) / divisor;
  if (rounded > static_cast<uint64_t>(std::numeric_limits<int>::max()) + (negative ? 1u : 0u)) return -1;
  return negative ? static_cast<int>(0 - static_cast<int64_t>(rounded)) : static_cast<int>(rounded);
}
