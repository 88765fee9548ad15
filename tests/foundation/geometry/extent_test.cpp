#include "foundation/geometry/extent.h"

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

namespace {

TExtent Cleared() {
  TExtent e;
  ClearExtent(e);
  return e;
}

}  // namespace

TEST(Extent, EmptyExtentBoundsAreExactly1_7e308) {
  const TExtent e = Cleared();
  EXPECT_EQ(e.MinX, 1.7e308);
  EXPECT_EQ(e.MinY, 1.7e308);
  EXPECT_EQ(e.MaxX, -1.7e308);
  EXPECT_EQ(e.MaxY, -1.7e308);
  std::uint64_t bits;
  std::memcpy(&bits, &e.MinX, 8);
  EXPECT_EQ(bits, 0x7FEE42D130773B76u);  // the double nearest 1.7e308
}

TEST(Extent, AddingPointsAccumulatesABox) {
  TExtent e = Cleared();
  ExtentAddPoint(e, 5, 7);
  EXPECT_EQ(e, (TExtent{5, 5, 7, 7}));
  ExtentAddPoint(e, 1, 9);
  EXPECT_EQ(e, (TExtent{1, 5, 7, 9}));
}

TEST(Extent, UnionWithAClearedExtentIsNeutral) {
  const TExtent box{1, 5, 7, 9};
  TExtent e = box;
  UnionExtent(e, Cleared());
  EXPECT_EQ(e, box);
  e = Cleared();
  UnionExtent(e, box);
  EXPECT_EQ(e, box);
  UnionExtent(e, TExtent{-2, 0, 8, 20});
  EXPECT_EQ(e, (TExtent{-2, 5, 7, 20}));
}

TEST(Extent, MakeKeepsCornersAsGivenUntilNormalised) {
  TExtent e = MakeExtent(10, 0, 0, 10);
  EXPECT_EQ(e, (TExtent{10, 0, 0, 10}));
  EXPECT_FALSE(ExtentContainsPoint(e, 5, 5));
  EXPECT_FALSE(ExtentContainsPoint(e, 10, 0));
  NormalizeExtent(e);
  EXPECT_EQ(e, (TExtent{0, 10, 0, 10}));
  EXPECT_TRUE(ExtentContainsPoint(e, 5, 5));
}

TEST(Extent, OperationsThatNormaliseDoSoInPlace) {
  TExtent e = MakeExtent(10, 0, 0, 10);
  InflateExtent(e, 1, 2);
  EXPECT_EQ(e, (TExtent{-1, 11, -2, 12}));

  e = MakeExtent(10, 10, 0, 0);
  EXPECT_TRUE(SegmentTouchesExtent(e, 5, -5, 5, 15));
  EXPECT_EQ(e, (TExtent{0, 10, 0, 10}));

  e = MakeExtent(10, 10, 0, 0);
  const TExtent other = MakeExtent(15, 15, 5, 5);
  EXPECT_TRUE(ExtentsOverlap(e, other));
  EXPECT_EQ(e, (TExtent{0, 10, 0, 10}));
  EXPECT_EQ(other, (TExtent{15, 5, 15, 5}));
}

TEST(Extent, BordersOfYAreOutsideOnlyForTheOpenTest) {
  const TExtent e{0, 10, 0, 10};
  for (double y : {0.0, 10.0}) {
    EXPECT_TRUE(ExtentContainsPoint(e, 5, y));
    EXPECT_FALSE(ExtentContainsPointOpenY(e, 5, y));
  }
  EXPECT_TRUE(ExtentContainsPointOpenY(e, 0, 5));
  EXPECT_TRUE(ExtentContainsPointOpenY(e, 10, 5));
  EXPECT_FALSE(ExtentContainsPointOpenY(e, 10.5, 5));
}

TEST(Extent, SharedEdgeOrCornerIsNoOverlap) {
  TExtent a{0, 10, 0, 10};
  EXPECT_FALSE(ExtentsOverlap(a, TExtent{10, 20, 0, 10}));
  EXPECT_FALSE(ExtentsOverlap(a, TExtent{10, 20, 10, 20}));
  EXPECT_TRUE(ExtentsOverlap(a, TExtent{9, 20, 9, 20}));
  EXPECT_TRUE(ExtentsOverlap(a, TExtent{2, 3, 2, 3}));
}

TEST(Extent, SegmentTouches) {
  struct Case {
    double x1, y1, x2, y2;
    bool touches;
  };
  const Case cases[] = {
      {2, 2, 3, 3, true},      // inside
      {0, -5, 0, 15, true},    // along the MinX border
      {-5, 10, 15, 10, true},  // along the MaxY border
      {-5, 5, 15, 5, true},    // through, both ends outside
      {-5, 5, 5, 5, true},     // one end inside
      {-1, 5, -1, 6, false},   // beside
      {-5, 6, 6, -5, true},    // cuts off the corner at (0, 0)
      {-5, 4, 4, -5, false},   // passes the corner outside
      {-5, 5, 5, -5, true},    // touches the corner (0, 0)
      {12, 12, 20, 20, false}, // both beyond one corner
      {12, 9.5, 9.5, 12, false},  // passes the (10, 10) corner outside
  };
  for (const Case& c : cases) {
    TExtent e{0, 10, 0, 10};
    EXPECT_EQ(SegmentTouchesExtent(e, c.x1, c.y1, c.x2, c.y2), c.touches)
        << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2;
  }
}

TEST(Extent, SwapAxesAndZero) {
  TExtent e;
  SwapExtentAxes(e, TExtent{1, 2, 3, 4});
  EXPECT_EQ(e, (TExtent{3, 4, 1, 2}));
  SwapExtentAxes(e, e);
  EXPECT_EQ(e, (TExtent{1, 2, 3, 4}));
  ZeroExtent(e);
  EXPECT_EQ(e, (TExtent{0, 0, 0, 0}));
}
