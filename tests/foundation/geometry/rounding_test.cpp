#include "foundation/geometry/rounding.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

TEST(Round, HalvesGoToTheEvenNeighbour) {
  struct Case {
    long double x;
    std::int64_t expected;
  };
  const Case cases[] = {
      {0.5L, 0},   {1.5L, 2},   {2.5L, 2},    {3.5L, 4},     {-0.5L, 0},
      {-1.5L, -2}, {-2.5L, -2}, {2.4999L, 2}, {2.5001L, 3},  {-2.6L, -3},
      {0.0L, 0},   {7.0L, 7},   {-7.0L, -7},  {1e15L + 0.5L, 1000000000000000},
  };
  for (const Case& c : cases) EXPECT_EQ(Round(c.x), c.expected) << static_cast<double>(c.x);
}

TEST(Round, DoesNotDependOnTheRoundingMode) {
  const int saved = std::fegetround();
  std::fesetround(FE_UPWARD);
  const std::int64_t down = Round(2.5L);
  std::fesetround(FE_DOWNWARD);
  const std::int64_t up = Round(3.5L);
  std::fesetround(saved);
  EXPECT_EQ(down, 2);
  EXPECT_EQ(up, 4);
}

TEST(Round, ValuesOutsideTheIntegerRangeRaise) {
  EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), EInternalError);
  EXPECT_THROW(Round(std::numeric_limits<double>::infinity()), EInternalError);
  EXPECT_THROW(Round(1e19L), EInternalError);
  EXPECT_THROW(Round(-1e19L), EInternalError);
  EXPECT_EQ(Round(-9223372036854775808.0L), std::numeric_limits<std::int64_t>::min());
}
