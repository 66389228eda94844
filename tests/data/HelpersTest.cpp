#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "data/RoundToInt.h"

namespace {

TEST(RoundToInt, AddsOneHalfAndTruncatesTowardZero) {
  const struct {
    float value;
    int32_t expected;
  } cases[] = {
      {2.5f, 3},   {-1.7f, -1}, {0.49f, 0}, {-0.5f, 0},   {0.0f, 0},        {-0.51f, 0},
      {-1.5f, -1}, {-2.6f, -2}, {1.49f, 1}, {99.5f, 100}, {0.49999997f, 0},  // the half is added in
                                                                             // double: float would
                                                                             // round up
  };
  for (const auto& c : cases) EXPECT_EQ(RoundToInt(c.value), c.expected) << c.value;
}

TEST(RoundToInt, SaturatesOutOfRange) {
  EXPECT_EQ(RoundToInt(3e9f), INT32_MAX);
  EXPECT_EQ(RoundToInt(-3e9f), INT32_MIN);
  EXPECT_EQ(RoundToInt(std::numeric_limits<float>::infinity()), INT32_MAX);
  EXPECT_EQ(RoundToInt(std::nanf("")), 0);
}

}  // namespace
