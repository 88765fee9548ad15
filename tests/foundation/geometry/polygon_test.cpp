#include "foundation/geometry/polygon.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/errors.h"
#include "foundation/geometry/planegeom.h"

namespace {

TRealPolygon MakePolygon(std::initializer_list<TRealPoint> points) {
  TRealPolygon p;
  for (const TRealPoint& pt : points) p.AddPoint(pt);
  return p;
}

std::vector<TRealPoint> PointsOf(const TRealPointsList& l) {
  std::vector<TRealPoint> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.GetPoint(i));
  return v;
}

// The unit square in the orientation Orient gives.
TRealPolygon UnitSquare() { return MakePolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}); }

void ExpectPointsNear(const std::vector<TRealPoint>& got, const std::vector<TRealPoint>& want,
                      double tolerance) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].X, want[i].X, tolerance) << "point " << i;
    EXPECT_NEAR(got[i].Y, want[i].Y, tolerance) << "point " << i;
  }
}

TEST(RealPointsListTest, EditingAndCopy) {
  TRealPointsList l;
  for (int i = 0; i < 20; ++i) l.Add(RealPoint(i, -i));
  EXPECT_EQ(l.Capacity(), 28);  // 4, 8, 12, then 16 more
  l.Insert(0, RealPoint(100, 100));
  l.Insert(l.Count(), RealPoint(200, 200));
  l.Delete(1);
  l.Exchange(0, 1);
  EXPECT_EQ(l.GetPoint(0), RealPoint(1, -1));
  EXPECT_EQ(l.GetPoint(1), RealPoint(100, 100));
  EXPECT_EQ(l.GetPoint(l.Count() - 1), RealPoint(200, 200));
  l.PointPtr(2)->X = 7;
  EXPECT_EQ(l.GetPoint(2), RealPoint(7, -2));

  l.GrowStep = 5;
  const TRealPointsList copy(l);
  EXPECT_EQ(copy.Count(), l.Count());
  EXPECT_EQ(copy.Capacity(), l.Count());
  EXPECT_EQ(copy.GrowStep, 5);
  EXPECT_EQ(PointsOf(copy), PointsOf(l));

  EXPECT_THROW(l.GetPoint(l.Count()), EListError);
  EXPECT_THROW(l.Insert(l.Count() + 1, RealPoint(0, 0)), EListError);
  EXPECT_THROW(l.Exchange(0, -1), EListError);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Capacity(), 0);
}

TEST(RealPolygonTest, BoundsFollowAddedPoints) {
  TRealPolygon p;
  p.AddPoint(RealPoint(5, 7));
  EXPECT_EQ(p.Bounds, (TRealRect{5, 7, 5, 7}));
  p.AddPoint(RealPoint(2, 9));
  EXPECT_EQ(p.Bounds, (TRealRect{2, 7, 5, 9}));
  p.InsertPoint(0, RealPoint(3, 1));
  p.AddPoint(RealPoint(8, 8));
  EXPECT_EQ(p.Bounds, (TRealRect{2, 1, 8, 9}));

  p.SetPoint(3, RealPoint(4, 4));  // through the list: bounds stay until recomputed
  EXPECT_EQ(p.Bounds.Right, 8);
  p.RecalcBounds();
  EXPECT_EQ(p.Bounds, (TRealRect{2, 1, 5, 9}));

  const auto clone = p.Clone();
  EXPECT_EQ(PointsOf(*clone), PointsOf(p));
  EXPECT_EQ(clone->Bounds, p.Bounds);

  p.ClearPoints();
  EXPECT_EQ(p.Count(), 0);
  EXPECT_EQ(p.Bounds, (TRealRect{}));
  p.RecalcBounds();
  EXPECT_EQ(p.Bounds, (TRealRect{}));
}

TEST(RealPolygonTest, OrientAndArea) {
  TRealPolygon a = UnitSquare();
  a.Orient();
  EXPECT_EQ(PointsOf(a), PointsOf(UnitSquare()));
  EXPECT_DOUBLE_EQ(a.Area(), -1.0);

  TRealPolygon b = MakePolygon({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
  EXPECT_DOUBLE_EQ(b.Area(), 1.0);
  b.Orient();
  EXPECT_EQ(PointsOf(b), (std::vector<TRealPoint>{{1, 0}, {1, 1}, {0, 1}, {0, 0}}));
  EXPECT_DOUBLE_EQ(b.Area(), -1.0);

  // An odd count and the rightmost point in the middle.
  TRealPolygon t = MakePolygon({{0, 0}, {0, 4}, {3, 2}, {1, -1}, {-1, 1}});
  t.Orient();
  EXPECT_LT(t.Area(), 0.0);

  EXPECT_EQ(MakePolygon({{0, 0}, {5, 5}}).Area(), 0.0);
}

TEST(RealPolygonTest, PerimeterWalkOutlineAndMean) {
  const TRealPolygon sq = UnitSquare();
  EXPECT_DOUBLE_EQ(sq.Perimeter(), 4.0);
  EXPECT_DOUBLE_EQ(MakePolygon({{0, 0}, {3, 4}}).Perimeter(), 10.0);
  EXPECT_EQ(MakePolygon({{1, 1}}).Perimeter(), 0.0);

  std::vector<TRealPoint> starts;
  const double sum = sq.WalkOutline([&](const TRealPoint& a, const TRealPoint&, double len) {
    starts.push_back(a);
    return len * 10;
  });
  EXPECT_DOUBLE_EQ(sum, 40.0);
  EXPECT_EQ(starts, (std::vector<TRealPoint>{{0, 1}, {0, 0}, {1, 0}, {1, 1}}));

  EXPECT_EQ(sq.VertexMean(), RealPoint(0.5, 0.5));
  EXPECT_EQ(TRealPolygon().VertexMean(), RealPoint(0, 0));
}

TEST(RealPolygonTest, ContainsPoint) {
  const TRealPolygon sq = UnitSquare();
  EXPECT_TRUE(sq.ContainsPoint(RealPoint(0.5, 0.5)));
  EXPECT_FALSE(sq.ContainsPoint(RealPoint(1.5, 0.5)));
  EXPECT_FALSE(sq.ContainsPoint(RealPoint(-0.5, 0.5)));
  EXPECT_FALSE(sq.ContainsPoint(RealPoint(0.5, 1.5)));
  EXPECT_FALSE(TRealPolygon().ContainsPoint(RealPoint(0, 0)));

  // A diamond: a point level with the vertices (1, 0) and (1, 2) is counted
  // once across the two edges meeting there.
  const TRealPolygon diamond = MakePolygon({{0, 1}, {1, 2}, {2, 1}, {1, 0}});
  EXPECT_TRUE(diamond.ContainsPoint(RealPoint(1, 1)));
  EXPECT_FALSE(diamond.ContainsPoint(RealPoint(-1, 1)));
  EXPECT_FALSE(diamond.ContainsPoint(RealPoint(3, 1)));
  EXPECT_TRUE(diamond.ContainsPoint(RealPoint(0.5, 1)));

  // A concave U: the notch is outside.
  const TRealPolygon u = MakePolygon({{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}});
  EXPECT_TRUE(u.ContainsPoint(RealPoint(0.5, 2)));
  EXPECT_FALSE(u.ContainsPoint(RealPoint(1.5, 2)));
  EXPECT_TRUE(u.ContainsPoint(RealPoint(2.5, 2)));

  EXPECT_FALSE(sq.ContainsPointFast(RealPoint(5, 0.5)));
  EXPECT_TRUE(sq.ContainsPointFast(RealPoint(0.25, 0.75)));
}

TEST(RealPolygonTest, VertexAndEdgeSearch) {
  const TRealPolygon sq = UnitSquare();
  const TRealPoint d{0.1, 0.1};
  EXPECT_EQ(sq.FindVertexNear(RealPoint(1.05, 0.95), d), 2);
  EXPECT_EQ(sq.FindVertexNear(RealPoint(1.1, 1.1), d), 2);  // border of the box
  EXPECT_EQ(sq.FindVertexNear(RealPoint(0.5, 0.5), d), -1);

  EXPECT_EQ(sq.FindEdgeNear(RealPoint(0.5, -0.05), d), 0);
  EXPECT_EQ(sq.FindEdgeNear(RealPoint(1.05, 0.5), d), 1);
  EXPECT_EQ(sq.FindEdgeNear(RealPoint(-0.05, 0.5), d), 3);  // the closing edge
  EXPECT_EQ(sq.FindEdgeNear(RealPoint(0.5, 0.5), d), -1);

  EXPECT_EQ(sq.VertexBounds(0), (TRealRect{0, 0, 1, 1}));
  EXPECT_EQ(MakePolygon({{0, 0}, {5, 1}, {9, 9}}).VertexBounds(1), (TRealRect{0, 0, 9, 9}));
  EXPECT_EQ(MakePolygon({{3, 3}}).VertexBounds(0), (TRealRect{}));
}

TEST(RealPolygonTest, ClosestPointOnEdge) {
  const TRealPolygon p = MakePolygon({{0, 0}, {4, 0}, {4, 4}});
  const struct {
    TRealPoint from;
    int edge;
    TRealPoint want;
  } cases[] = {
      {{2, -3}, 0, {2, 0}},   // foot inside the edge
      {{-1, 5}, 0, {0, 0}},   // before the start
      {{9, 1}, 0, {4, 0}},    // past the end
      {{5, 2}, 1, {4, 2}},
      {{3, 1}, 2, {2, 2}},    // the closing edge (4, 4) -> (0, 0)
      {{-5, -3}, 2, {0, 0}},
  };
  for (const auto& c : cases) {
    const TRealPoint r = p.ClosestPointOnEdge(c.from, c.edge);
    EXPECT_NEAR(r.X, c.want.X, 1e-12) << c.from.X << "," << c.from.Y;
    EXPECT_NEAR(r.Y, c.want.Y, 1e-12) << c.from.X << "," << c.from.Y;
  }
}

// The closing edge index that FindEdgeNear returns used to read past the points.
TEST(RealPolygonTest, ClosestPointOnClosingEdgeStaysInside) {
  const TRealPolygon sq = UnitSquare();
  const int edge = sq.FindEdgeNear(RealPoint(-0.05, 0.5), RealPoint(0.1, 0.1));
  ASSERT_EQ(edge, 3);
  EXPECT_EQ(sq.ClosestPointOnEdge(RealPoint(-0.05, 0.5), edge), RealPoint(0, 0.5));
  EXPECT_THROW(sq.ClosestPointOnEdge(RealPoint(0, 0), 4), EListError);
}

TEST(RealPolygonTest, CrossedEdges) {
  const TRealPolygon sq = UnitSquare();
  EXPECT_EQ(sq.FindCrossedEdge(RealPoint(0.5, 0.5), RealPoint(0.5, -1), -1), 0);
  EXPECT_EQ(sq.FindCrossedEdge(RealPoint(0.5, 0.5), RealPoint(-1, 0.5), -1), 3);
  EXPECT_EQ(sq.FindCrossedEdge(RealPoint(0.2, 0.2), RealPoint(0.8, 0.8), -1), -1);
  // From vertex 1 outwards across edge 3 only: its own edges 0 and 1 are left out.
  EXPECT_EQ(sq.FindCrossedEdge(RealPoint(1, 0), RealPoint(-1, 0.5), 1), 3);
  EXPECT_EQ(sq.FindCrossedEdge(RealPoint(0, 0), RealPoint(2, 0.5), 0), 1);
  EXPECT_EQ(MakePolygon({{0, 0}}).FindCrossedEdge(RealPoint(-1, 0), RealPoint(1, 0), -1), -1);

  const TRealPolygon convex = MakePolygon({{0, 0}, {2, 0}, {3, 2}, {1, 3}, {-1, 2}});
  for (int i = 0; i < convex.Count(); ++i) EXPECT_FALSE(convex.VertexEdgesCross(i)) << i;
  // Vertex 2 moved across the opposite side: its edges now cross edge 4.
  TRealPolygon bent = MakePolygon({{0, 0}, {2, 0}, {3, 2}, {1, 3}, {-1, 2}});
  bent.SetPoint(2, RealPoint(-2, 0.5));
  EXPECT_TRUE(bent.VertexEdgesCross(2));
  const TRealPolygon triangle = MakePolygon({{0, 0}, {2, 0}, {1, 2}});
  EXPECT_FALSE(triangle.VertexEdgesCross(0));
}

TEST(RealPolygonTest, ClipSegment) {
  const TRealPolygon sq = UnitSquare();
  auto through = sq.ClipSegment(RealPoint(-1, 0.5), RealPoint(2, 0.5));
  ASSERT_NE(through, nullptr);
  ExpectPointsNear(PointsOf(*through), {{0, 0.5}, {1, 0.5}}, 1e-6);

  auto inside = sq.ClipSegment(RealPoint(0.2, 0.5), RealPoint(0.8, 0.5));
  ASSERT_NE(inside, nullptr);
  ExpectPointsNear(PointsOf(*inside), {{0.2, 0.5}, {0.8, 0.5}}, 1e-6);

  auto leaving = sq.ClipSegment(RealPoint(0.5, 0.5), RealPoint(0.5, 3));
  ASSERT_NE(leaving, nullptr);
  ExpectPointsNear(PointsOf(*leaving), {{0.5, 0.5}, {0.5, 1}}, 1e-6);

  EXPECT_EQ(sq.ClipSegment(RealPoint(2, 2), RealPoint(3, 3)), nullptr);
  EXPECT_EQ(sq.ClipSegmentFast(RealPoint(2, 2), RealPoint(3, 3)), nullptr);
  auto fast = sq.ClipSegmentFast(RealPoint(0.5, -1), RealPoint(0.5, 2));  // zero width box
  ASSERT_NE(fast, nullptr);
  ExpectPointsNear(PointsOf(*fast), {{0.5, 0}, {0.5, 1}}, 1e-6);

  // A concave U: a segment across both arms gives two pieces in segment order.
  const TRealPolygon u = MakePolygon({{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}});
  auto two = u.ClipSegment(RealPoint(-1, 2), RealPoint(4, 2));
  ASSERT_NE(two, nullptr);
  ExpectPointsNear(PointsOf(*two), {{0, 2}, {1, 2}, {2, 2}, {3, 2}}, 1e-6);
}

TEST(RealPolygonTest, OffsetSquare) {
  TRealPolygon sq = UnitSquare();
  sq.Offset(1);
  ExpectPointsNear(PointsOf(sq), {{-1, -1}, {2, -1}, {2, 2}, {-1, 2}}, 1e-12);
  EXPECT_EQ(sq.Bounds, (TRealRect{-1, -1, 2, 2}));
  EXPECT_EQ(sq.BridgeMarks(), (std::vector<std::uint8_t>{0, 0, 0, 0}));
  sq.Offset(-1);
  ExpectPointsNear(PointsOf(sq), PointsOf(UnitSquare()), 1e-12);

  // A collinear middle point moves with its edges.
  TRealPolygon mid = MakePolygon({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}});
  mid.Offset(0.5);
  ExpectPointsNear(PointsOf(mid), {{-0.5, -0.5}, {1, -0.5}, {2.5, -0.5}, {2.5, 2.5}, {-0.5, 2.5}},
                   1e-12);
}

// A square with a square hole joined to the outer ring by a doubled cut.
TRealPolygon SquareWithHole() {
  return MakePolygon({{0, 0}, {4, 0}, {4, 2}, {3, 2}, {3, 1}, {1, 1}, {1, 3}, {3, 3}, {3, 2},
                      {4, 2}, {4, 4}, {0, 4}});
}

TEST(RealPolygonTest, OffsetMarksBridgesAndClipIgnoresThem) {
  TRealPolygon p = SquareWithHole();
  // The hole runs the other way, so the inside stays left of every edge.
  EXPECT_DOUBLE_EQ(p.Area(), -(16.0 - 4.0));
  EXPECT_TRUE(p.BridgeMarks().empty());
  p.Offset(0.0);
  EXPECT_EQ(p.BridgeMarks(), (std::vector<std::uint8_t>{0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0}));

  // Along the cut's line through the hole: the cut is not an edge to clip at.
  auto pieces = p.ClipSegment(RealPoint(3.5, 1.5), RealPoint(3.5, 2.5));
  ASSERT_NE(pieces, nullptr);
  ExpectPointsNear(PointsOf(*pieces), {{3.5, 1.5}, {3.5, 2.5}}, 1e-6);
  auto across = p.ClipSegment(RealPoint(2, -1), RealPoint(2, 5));
  ASSERT_NE(across, nullptr);
  ExpectPointsNear(PointsOf(*across), {{2, 0}, {2, 1}, {2, 3}, {2, 4}}, 1e-6);

  // Marks follow the edges when Orient reverses the ring.
  TRealPolygon r = MakePolygon({{4, 4}, {4, 2}, {3, 2}, {3, 3}, {1, 3}, {1, 1}, {3, 1}, {3, 2},
                                {4, 2}, {4, 0}, {0, 0}, {0, 4}});
  ASSERT_GT(r.Area(), 0.0);
  r.Offset(0.0);
  ASSERT_EQ(r.BridgeMarks(), (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
  r.Orient();
  EXPECT_LT(r.Area(), 0.0);
  TRealPolygon fresh(r);
  fresh.Offset(0.0);
  EXPECT_EQ(r.BridgeMarks(), fresh.BridgeMarks());
}

// Offset divided by zero on a zero-length or reversed edge and left the
// polygon half moved.
TEST(RealPolygonTest, OffsetOfDegenerateEdgeRaisesAndKeepsPolygon) {
  const std::vector<std::vector<TRealPoint>> cases = {
      {{0, 0}, {1, 0}, {1, 0}, {1, 1}, {0, 1}},  // repeated point
      {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}},  // last equals first
      {{0, 0}, {2, 0}, {1, 0}, {1, 1}},          // edge folds back on itself
      {{0, 0}, {3, 4}},                          // a two-point polygon
  };
  for (const auto& pts : cases) {
    TRealPolygon p;
    for (const TRealPoint& pt : pts) p.AddPoint(pt);
    const TRealRect bounds = p.Bounds;
    EXPECT_THROW(p.Offset(1), EGeometryError) << pts.size();
    EXPECT_EQ(PointsOf(p), pts);
    EXPECT_EQ(p.Bounds, bounds);
    EXPECT_TRUE(p.BridgeMarks().empty());
  }
}

}  // namespace
