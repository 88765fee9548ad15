#include "foundation/geometry/realgeom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "foundation/errors.h"

namespace {

constexpr double kPi = std::numbers::pi;

TEST(RealPointTest, SameRealPointToleranceIsRelative) {
  EXPECT_TRUE(SameRealPoint(RealPoint(1000000, 5000000), RealPoint(1000000 + 1e-9, 5000000)));
  EXPECT_FALSE(SameRealPoint(RealPoint(1000000, 5000000), RealPoint(1000000 + 1e-7, 5000000)));
  EXPECT_FALSE(SameRealPoint(RealPoint(0, 0), RealPoint(1e-300, 0)));
  EXPECT_TRUE(SameRealPoint(RealPoint(0, 0), RealPoint(0, 0)));
}

TEST(RealPointTest, CompareRealPointsOrdersByXThenY) {
  EXPECT_EQ(CompareRealPoints(RealPoint(1, 5), RealPoint(2, 0)), -1);
  EXPECT_EQ(CompareRealPoints(RealPoint(2, 0), RealPoint(1, 5)), 1);
  EXPECT_EQ(CompareRealPoints(RealPoint(2, 0), RealPoint(2, 1)), -1);
  EXPECT_EQ(CompareRealPoints(RealPoint(2, 1), RealPoint(2, 0)), 1);
  EXPECT_EQ(CompareRealPoints(RealPoint(3, 4), RealPoint(3, 4)), 0);
  EXPECT_EQ(CompareRealPoints(RealPoint(1e6, 1e6), RealPoint(1e6 + 1e-9, 1e6)), 0);
}

TEST(RealPointTest, PerpendicularFoot) {
  const TRealPoint p = RealPoint(3, 4);
  EXPECT_EQ(PerpendicularFoot(RealPoint(0, 0), RealPoint(0, 1), p), RealPoint(0, 4));
  EXPECT_EQ(PerpendicularFoot(RealPoint(0, 0), RealPoint(1, 0), p), RealPoint(3, 0));
  EXPECT_EQ(PerpendicularFoot(RealPoint(0, 0), RealPoint(0, 0), p), RealPoint(0, 0));
  // Diagonal line through (1, 1): the foot of (3, 1) is (2, 2).
  const TRealPoint f = PerpendicularFoot(RealPoint(1, 1), RealPoint(2, 2), RealPoint(3, 1));
  EXPECT_NEAR(f.X, 2.0, 1e-12);
  EXPECT_NEAR(f.Y, 2.0, 1e-12);
  // Map coordinates of hundreds of kilometres keep their precision.
  const TRealPoint g = PerpendicularFoot(RealPoint(5500000, 7400000), RealPoint(1, 1),
                                         RealPoint(5500002, 7400000));
  EXPECT_NEAR(g.X, 5500001, 1e-6);
  EXPECT_NEAR(g.Y, 7400001, 1e-6);
}

TEST(RealPointTest, PerpendicularFootOfNearlyVerticalDirectionAtMapCoordinatesStaysExact) {
  // A direction almost along world Y: solving the line equation for Y would
  // divide by the tiny X component and lose millimetres at these coordinates.
  const TRealPoint L = RealPoint(5500000.0, 7400000.0);
  const TRealPoint D = RealPoint(0.000001, 100.0);
  const TRealPoint P = RealPoint(5500003.0, 7400050.0);
  const TRealPoint f = PerpendicularFoot(L, D, P);
  // The foot lies on the line and P - f is perpendicular to D.
  EXPECT_NEAR(f.X, 5500000.0000005, 1e-7);
  EXPECT_NEAR(f.Y, 7400050.0, 1e-7);
}

TEST(RealPointTest, CircleCenterThroughTwoPoints) {
  TRealPoint c{99, 99};
  ASSERT_TRUE(CircleCenterThroughTwoPoints(RealPoint(0, 0), RealPoint(0, 2), 1.0, c));
  EXPECT_NEAR(c.X, 0.0, 0.01);
  EXPECT_NEAR(c.Y, 1.0, 0.01);

  // The centre lies to the right of P1 -> P2 as seen with X up, Y right:
  // going along +Y (rightwards), right is -X (down).
  ASSERT_TRUE(CircleCenterThroughTwoPoints(RealPoint(0, 0), RealPoint(0, 2), 5.0, c));
  EXPECT_LT(c.X, 0.0);
  EXPECT_NEAR(std::hypot(c.X, c.Y - 1.0), std::sqrt(25.0001 - 1.0), 1e-3);
  ASSERT_TRUE(CircleCenterThroughTwoPoints(RealPoint(0, 2), RealPoint(0, 0), 5.0, c));
  EXPECT_GT(c.X, 0.0);

  c = RealPoint(99, 99);
  EXPECT_FALSE(CircleCenterThroughTwoPoints(RealPoint(0, 0), RealPoint(0, 2), 0.9, c));
  EXPECT_FALSE(CircleCenterThroughTwoPoints(RealPoint(1, 1), RealPoint(1, 1), 3.0, c));
  EXPECT_EQ(c, RealPoint(99, 99));
}

TEST(RealPointTest, ClockwiseAngle) {
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(1, 0)), 1.5 * kPi);
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(0, 1)), 0.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(-1, 0)), 0.5 * kPi);
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(0, -1)), kPi);
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(0, 0)), 0.5 * kPi);
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(1, 1)), 1.75 * kPi);
  EXPECT_DOUBLE_EQ(static_cast<double>(ClockwiseAngle(-1, 1)), 0.25 * kPi);
}

TEST(RealRectTest, BuildingAndArithmetic) {
  EXPECT_EQ(RealRect(5, 1, 2, 7), (TRealRect{2, 1, 5, 7}));

  TRealRect r{5, 7, 2, 1};
  NormalizeRealRect(r);
  EXPECT_EQ(r, (TRealRect{2, 1, 5, 7}));

  const TRealRect a{0, 0, 10, 10};
  const TRealRect b{5, -5, 20, 8};
  EXPECT_EQ(UnionRealRect(a, b), (TRealRect{0, -5, 20, 10}));
  EXPECT_EQ(IntersectRealRect(a, b), (TRealRect{5, 0, 10, 8}));
  EXPECT_TRUE(IsEmptyRealRect(IntersectRealRect(a, TRealRect{20, 20, 30, 30})));
  EXPECT_TRUE(IsEmptyRealRect(IntersectRealRect(a, TRealRect{10, 0, 20, 10})));  // edge only

  EXPECT_EQ(OffsetRealRect(a, RealPoint(1, -2)), (TRealRect{1, -2, 11, 8}));
  TRealRect g = a;
  InflateRealRect(g, 1, 2);
  EXPECT_EQ(g, (TRealRect{-1, -2, 11, 12}));
  InflateRealRect(g, -6, -7);
  EXPECT_TRUE(IsEmptyRealRect(g));
}

TEST(RealRectTest, EmptinessAndContainment) {
  EXPECT_TRUE(IsEmptyRealRect(TRealRect{0, 0, 0, 5}));
  EXPECT_TRUE(IsEmptyRealRect(TRealRect{0, 0, 5, 0}));
  EXPECT_TRUE(IsEmptyRealRect(TRealRect{5, 0, 0, 5}));
  EXPECT_FALSE(IsEmptyRealRect(TRealRect{0, 0, 5, 5}));

  const TRealRect r{0, 0, 10, 10};
  EXPECT_TRUE(RealRectContainsPoint(r, RealPoint(10, 5)));
  EXPECT_TRUE(RealRectContainsPoint(r, RealPoint(0, 0)));
  EXPECT_TRUE(RealRectContainsPoint(r, RealPoint(5, 5)));
  EXPECT_FALSE(RealRectContainsPoint(r, RealPoint(10.0001, 5)));
  EXPECT_FALSE(RealRectContainsPoint(r, RealPoint(5, -0.0001)));
}

TEST(RealRectTest, ClipRealSegment) {
  const TRealRect r{0, 0, 10, 10};
  struct Case {
    TRealPoint p1, p2;
    bool inside;
    TRealPoint q1, q2;
  };
  const Case cases[] = {
      {{-10, 5}, {20, 5}, true, {0, 5}, {10, 5}},
      {{5, -10}, {5, 20}, true, {5, 0}, {5, 10}},
      {{2, 3}, {4, 5}, true, {2, 3}, {4, 5}},
      {{-5, 5}, {5, 15}, true, {0, 10}, {0, 10}},  // touches the corner
      {{-10, 0}, {20, 0}, true, {0, 0}, {10, 0}},   // along the border
      {{-5, -5}, {15, 15}, true, {0, 0}, {10, 10}},
  };
  for (const Case& c : cases) {
    TRealPoint p1 = c.p1, p2 = c.p2;
    ASSERT_EQ(ClipRealSegment(p1, p2, r), c.inside) << c.p1.X << "," << c.p1.Y;
    EXPECT_NEAR(p1.X, c.q1.X, 1e-12);
    EXPECT_NEAR(p1.Y, c.q1.Y, 1e-12);
    EXPECT_NEAR(p2.X, c.q2.X, 1e-12);
    EXPECT_NEAR(p2.Y, c.q2.Y, 1e-12);
  }
  const TRealPoint outside[][2] = {
      {{-10, -5}, {-1, 20}},
      {{11, 0}, {20, 10}},
      {{-5, 6}, {6, 17}},  // passes the corner outside
  };
  for (const auto& s : outside) {
    TRealPoint p1 = s[0], p2 = s[1];
    EXPECT_FALSE(ClipRealSegment(p1, p2, r)) << s[0].X << "," << s[0].Y;
  }
}

TEST(RealRectTest, ClipRealSegmentEndsOnUnnormalisedRectangle) {
  // Such a rectangle contains no point; the clipping must still end.
  TRealPoint p1{-5, 5}, p2{15, 5};
  EXPECT_FALSE(ClipRealSegment(p1, p2, TRealRect{10, 0, 0, 10}));
}

TEST(AffineMatrixTest, TransformPointAndVector) {
  const TAffineMatrix m{2, 1, 10, -1, 3, -4, 1};
  EXPECT_EQ(AffineTransformPoint(m, RealPoint(1, 2)), RealPoint(14, 1));
  const TSingleVector v = AffineTransformVectorS(m, TSingleVector{1, 2});
  EXPECT_FLOAT_EQ(v.X, 4.0f);
  EXPECT_FLOAT_EQ(v.Y, 5.0f);
}

TEST(AffineMatrixTest, TransformAngle) {
  const double phi = 0.7;
  const double angle = 0.3;
  const double c = std::cos(phi), s = std::sin(phi);
  for (double scale : {1.0, 2.5}) {
    const TAffineMatrix rot{scale * c, -scale * s, 5, scale * s, scale * c, 7, scale};
    EXPECT_NEAR(TransformAngle(rot, angle), angle + phi, 1e-12);
  }
  const TAffineMatrix mirror{1, 0, 0, 0, -1, 0, 1};
  EXPECT_NEAR(TransformAngle(mirror, angle), kPi - angle, 1e-12);
  EXPECT_NEAR(TransformAngle(TAffineMatrix{}, -2.0), -2.0, 1e-12);
}

TEST(AffineMatrixTest, InvertAffineMatrix) {
  const TAffineMatrix r = InvertAffineMatrix(TAffineMatrix{2, 0, 10, 0, 2, -4, 2});
  EXPECT_DOUBLE_EQ(r.a, 0.5);
  EXPECT_DOUBLE_EQ(r.b, 0);
  EXPECT_DOUBLE_EQ(r.c, -5);
  EXPECT_DOUBLE_EQ(r.d, 0);
  EXPECT_DOUBLE_EQ(r.e, 0.5);
  EXPECT_DOUBLE_EQ(r.f, 2);
  EXPECT_DOUBLE_EQ(r.s, 0.5);

  // A general matrix: the inverse maps back.
  const TAffineMatrix m{0.8, -0.6, 5500000, 0.6, 0.8, 7400000, 1};
  const TAffineMatrix inv = InvertAffineMatrix(m);
  const TRealPoint back = AffineTransformPoint(inv, AffineTransformPoint(m, RealPoint(123.25, -77.5)));
  EXPECT_NEAR(back.X, 123.25, 1e-6);
  EXPECT_NEAR(back.Y, -77.5, 1e-6);
}

TEST(AffineMatrixTest, InvertSingularMatrixRaises) {
  try {
    InvertAffineMatrix(TAffineMatrix{1, 2, 3, 2, 4, 6, 1});
    FAIL() << "no exception";
  } catch (const EInternalError& e) {
    EXPECT_STREQ(e.what(), "Macierz nieodwracalna");
  }
}

TEST(LineABCTest, IntersectLines) {
  const TRealPoint o = RealPoint(5500000, 7400000);
  // The diagonals of a square near o, relative to o.
  const TLineABC l1 = LineABC(RealPoint(5500000, 7400000), RealPoint(5500002, 7400002), o);
  const TLineABC l2 = LineABC(RealPoint(5500000, 7400002), RealPoint(5500002, 7400000), o);
  TRealPoint p{99, 99};
  ASSERT_EQ(IntersectLinesABC(l1, l2, p), lcCrossing);
  EXPECT_NEAR(p.X + o.X, 5500001, 1e-9);
  EXPECT_NEAR(p.Y + o.Y, 7400001, 1e-9);

  // A point on the line satisfies the equation relative to the origin.
  const TLineABC l = LineABC(RealPoint(1, 2), RealPoint(4, 6), RealPoint(1, 1));
  EXPECT_NEAR(static_cast<double>(l.A * (7 - 1) + l.B * (10 - 1) + l.C), 0.0, 1e-12);

  const TLineABC x1{1, 0, -1};
  const TLineABC x3{1, 0, -3};
  p = RealPoint(99, 99);
  EXPECT_EQ(IntersectLinesABC(x1, x3, p), lcParallel);
  EXPECT_EQ(IntersectLinesABC(x1, x1, p), lcSame);
  EXPECT_EQ(IntersectLinesABC(x1, TLineABC{2, 0, -2}, p), lcSame);
  EXPECT_EQ(p, RealPoint(99, 99));
}

TEST(FloatToTextTest, CompactFixedNotation) {
  const struct {
    double v;
    const char* text;
  } cases[] = {
      {3, "3"},         {0.1, "0.1"},        {1.0 / 3.0, "0.3333333333"},
      {12.5, "12.5"},   {100, "100"},        {-0.25, "-0.25"},
      {0, "0"},         {-1e-12, "0"},       {5500000.125, "5500000.125"},
      {2.0 / 3.0, "0.6666666667"}, {1e-11, "0"}, {-1000, "-1000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.v), c.text) << c.v;
  // The largest doubles fit too (309 digits, no decimals left).
  const std::string big = FloatToText(-1.7e308);
  EXPECT_EQ(big.size(), 310u);
  EXPECT_EQ(big.substr(0, 2), "-1");
  EXPECT_EQ(big.find('.'), std::string::npos);
}

}  // namespace
