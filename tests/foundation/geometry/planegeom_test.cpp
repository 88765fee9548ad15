#include "foundation/geometry/planegeom.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "foundation/containers/objlist.h"

namespace {

template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const EGeometryError& e) {
    return e.what();
  }
  return "(nothing raised)";
}

}  // namespace

TEST(PlaneGeom, CalculateLineThroughTwoPoints) {
  TLineEquation l;
  CalculateLine(l, 1, 2, 4, 6);
  EXPECT_EQ(l.A, -4);
  EXPECT_EQ(l.B, 3);
  EXPECT_EQ(l.C, 4 * 1 - 3 * 2);
  EXPECT_EQ(l.A * 4 + l.B * 6 + l.C, 0);
  EXPECT_NEAR(static_cast<double>(DistanceFromPoint(l, 1 - 4, 2 + 3)), 5.0, 1e-12);
}

TEST(PlaneGeom, DegenerateLinesRaiseWithTheirMessages) {
  TLineEquation l{9, 9, 9};
  EXPECT_EQ(MessageOf([&] { CalculateLine(l, 3, 4, 3, 4); }), "CalculateLine: punkty takie same");
  EXPECT_EQ(l.A, 0);
  EXPECT_EQ(l.B, 0);
  EXPECT_EQ(l.C, 0);

  const TLineEquation zero{0, 0, 5};
  EXPECT_EQ(MessageOf([&] { DistanceFromPoint(zero, 1, 1); }),
            "DistanceFromPoint: punkty takie same");
  EXPECT_EQ(MessageOf([&] { DistanceFromSLine(zero, zero); }),
            "DistanceFromSLine: punkty takie same");

  const TLineEquation a{1, 2, 3};
  const TLineEquation scaled{2, 4, 3};
  EXPECT_EQ(MessageOf([&] { DistanceFromSLine(a, scaled); }),
            "DistanceFromSLine: proste nie są równoległe");
}

TEST(PlaneGeom, ParallelLinesAndOffsets) {
  TLineEquation l;
  CalculateLine(l, 0, 0, 0, 10);  // X = 0
  TLineEquation parallel;
  MakeLineThroughPoint(parallel, l, 3, 77);
  EXPECT_EQ(parallel.A, l.A);
  EXPECT_EQ(parallel.B, l.B);
  EXPECT_NEAR(static_cast<double>(DistanceFromSLine(l, parallel)), 3.0, 1e-12);

  TLineEquation copy;
  const long double delta = LineOffsetDelta(copy, l, 2.5);
  EXPECT_EQ(copy.C, l.C);
  EXPECT_NEAR(static_cast<double>(delta), 25.0, 1e-12);  // |(A, B)| = 10
}

TEST(PlaneGeom, LineIntersection) {
  const TLineEquation diagonal{1, -1, 0};  // X = Y
  const TLineEquation anti{1, 1, -1};      // X = -Y + 1
  double x = 0, y = 0;
  ASSERT_TRUE(LineIntersection(diagonal, anti, x, y, 100));
  EXPECT_EQ(x, 0.5);
  EXPECT_EQ(y, 0.5);

  // L1.A = 0 takes X from the second line; the result is rounded to 1/N.
  const TLineEquation horizontal{0, 3, -1};  // Y = 1/3
  ASSERT_TRUE(LineIntersection(horizontal, diagonal, x, y, 100));
  EXPECT_DOUBLE_EQ(x, 0.33);
  EXPECT_DOUBLE_EQ(y, 0.33);

  x = 42;
  y = 42;
  EXPECT_FALSE(LineIntersection(diagonal, TLineEquation{2, -2, 5}, x, y, 100));
  EXPECT_EQ(x, 42);
  EXPECT_EQ(y, 0);
}

TEST(PlaneGeom, RoundRealToFractionRoundsHalvesAwayFromZero) {
  EXPECT_DOUBLE_EQ(RoundRealToFraction(100, -0.125), -0.13);
  EXPECT_DOUBLE_EQ(RoundRealToFraction(100, 0.125), 0.13);
  EXPECT_EQ(RoundRealToFraction(1, 2.5), 3);
  EXPECT_EQ(RoundRealToFraction(1, -2.5), -3);
  EXPECT_EQ(RoundRealToFraction(1, 0.0), 0);
  EXPECT_FLOAT_EQ(RoundToFraction(10, 1.25f), 1.3f);
  EXPECT_FLOAT_EQ(RoundToFraction(10, -1.25f), -1.3f);
}

TEST(PlaneGeom, FractionBelowOneRaisesInsteadOfDividingByZero) {
  EXPECT_THROW(RoundRealToFraction(0, 1.5), EGeometryError);
  EXPECT_THROW(RoundToFraction(-1, 1.5f), EGeometryError);
  double x = 0, y = 0;
  EXPECT_THROW(LineIntersection(TLineEquation{1, -1, 0}, TLineEquation{1, 1, -1}, x, y, 0),
               EGeometryError);
}

TEST(PlaneGeom, SurfaceThroughThreePoints) {
  // Z = 2X + 3Y + 10, far from the origin as map coordinates are.
  auto z = [](double x, double y) { return 2 * x + 3 * y + 10; };
  const TSpacePoint p1{5000, 7000, z(5000, 7000)};
  const TSpacePoint p2{5010, 7000, z(5010, 7000)};
  const TSpacePoint p3{5000, 7020, z(5000, 7020)};
  TPlaneEquation plane;
  CalculateSurface(plane, p1, p2, p3);
  EXPECT_EQ(plane.D, -1);
  for (const TSpacePoint& p : {p1, p2, p3})
    EXPECT_NEAR(plane.A * p.X + plane.B * p.Y + plane.C * p.Z, 1.0, 1e-9);
  EXPECT_NEAR(SurfaceZ(plane, 5004, 7011), z(5004, 7011), 1e-6);
}

TEST(PlaneGeom, SurfaceOfCollinearPointsRaises) {
  TPlaneEquation plane;
  EXPECT_EQ(MessageOf([&] {
              CalculateSurface(plane, {1, 1, 1}, {2, 2, 2}, {3, 3, 3});
            }),
            "CalculateSurface: punkty takie same lub na jednej prostej");
}

TEST(PlaneGeom, SurfaceZOfAVerticalPlaneRaisesInsteadOfDividingByZero) {
  TPlaneEquation plane;
  // Three points above one line of the map: a vertical plane.
  CalculateSurface(plane, {1, 0, 0}, {0, 1, 0}, {1, 0, 5});
  EXPECT_EQ(plane.C, 0);
  EXPECT_THROW(SurfaceZ(plane, 0.5, 0.5), EGeometryError);
}

TEST(PlaneGeom, DistanceFromLine2P) {
  EXPECT_EQ(DistanceFromLine2P(3, 1, 3, 5, 7, 2), 4);
  EXPECT_EQ(DistanceFromLine2P(3, 1, 3, 1, 1, 100), 2);  // coincident: vertical
  EXPECT_NEAR(static_cast<double>(DistanceFromLine2P(0, 0, 4, 4, 0, 4)), std::sqrt(8.0), 1e-12);
  EXPECT_NEAR(static_cast<double>(DistanceFromLine2P(0, 1, 10, 1, 5, -2)), 3.0, 1e-12);
}

TEST(PlaneGeom, RectZAndCoordObjAreOwningListItems) {
  TObjList list;
  list.Add(std::make_unique<TRectZ>(10, 0, 0, 10, 125.5));
  list.Add(std::make_unique<TCoordObj>(3, 4));
  const TRectZ* rect = list.ItemAs<TRectZ>(0);
  EXPECT_EQ(rect->Extent, (TExtent{10, 0, 0, 10}));
  EXPECT_EQ(rect->Z, 125.5);
  EXPECT_EQ(list.ItemAs<TCoordObj>(1)->Y, 4);
}
