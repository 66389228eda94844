// MulDiv: the product in 64 bits, rounded to the nearest with halves away
// from zero, and -1 where there is no answer.
#include <gtest/gtest.h>

#include <climits>

#include "platform/sys/MulDiv.h"

namespace kiv {
namespace test {
namespace {

struct MulDivCase {
  int number;
  int numerator;
  int denominator;
  int expected;
};

TEST(MulDivTest, RoundsToTheNearestWithHalvesAwayFromZeroAndAnswersMinusOneWithoutAResult) {
  const MulDivCase cases[] = {
      {50, 200, 100, 100},             // half of a 200-pixel line
      {1, 1, 2, 1},                    // one half rounds up
      {-1, 1, 2, -1},                  // and away from zero below it
      {1, -1, 2, -1},
      {-1, -1, 2, 1},
      {1, 1, -2, -1},
      {2, 1, 3, 1},                    // 0.67
      {1, 1, 3, 0},                    // 0.33
      {33, 128, 100, 42},              // 42.24
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},  // the product needs 62 bits
      {INT_MAX, 2, 1, -1},             // the result does not fit
      {INT_MIN, 1, 1, INT_MIN},
      {INT_MIN, -1, 1, -1},            // -INT_MIN does not fit
      {5, 7, 0, -1},                   // no denominator
  };
  for (const MulDivCase& c : cases) {
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
        << c.number << " x " << c.numerator << " / " << c.denominator;
  }
}

}  // namespace
}  // namespace test
}  // namespace kiv
