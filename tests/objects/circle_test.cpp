#include "objects/circle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "foundation/geometry/polygon.h"
#include "objects/saverecord.h"
#include "pixel_canvas.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"

namespace {

constexpr double kPi = std::numbers::pi;

class TTestOkrag : public TNEOkrag {
 public:
  using TNEOkrag::TNEOkrag;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TTestOkrag>(); }
};

class TTestLuk : public TNELuk {
 public:
  using TNELuk::TNELuk;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TTestLuk>(); }
};

TTestOkrag Circle(double X, double Y, double R, float Z = 0) { return TTestOkrag(TPointRec{X, Y, Z}, R); }

TTestLuk Arc(double X1, double Y1, double X2, double Y2, double R, float Z1 = 0, float Z2 = 0) {
  return TTestLuk(TPointRec{X1, Y1, Z1}, TPointRec{X2, Y2, Z2}, R);
}

double Dist(const TRealPoint& A, const TRealPoint& B) { return std::hypot(A.X - B.X, A.Y - B.Y); }

// The points of the arc's polygon walked from P1, both ends included.
std::vector<TRealPoint> ArcPolygon(const TNELuk& A) {
  TRealPointsList list;
  TRealPoint far;
  A.AppendPathPoints(XY(A.P1), list, far);
  std::vector<TRealPoint> points{XY(A.P1)};
  for (int i = 0; i < list.Count(); ++i) points.push_back(list.GetPoint(i));
  return points;
}

// Registers the test classes as the reader's plain circle and arc.
class ScopedCircleClasses {
 public:
  ScopedCircleClasses() {
    RegisterRecordClass(TRecordClass::DefSpecOkrag,
                        [](const ObjectSaveRecord& Rec) { return std::make_unique<TTestOkrag>(Rec); });
    RegisterRecordClass(TRecordClass::DefSpecLuk,
                        [](const ObjectSaveRecord& Rec) { return std::make_unique<TTestLuk>(Rec); });
  }
  ~ScopedCircleClasses() {
    UnregisterRecordClass(TRecordClass::DefSpecOkrag);
    UnregisterRecordClass(TRecordClass::DefSpecLuk);
  }
};

TEST(TNEOkrag, HitTestByDistanceThenByBox) {
  const TTestOkrag c = Circle(0, 0, 5);
  struct Case {
    TRealPoint P;
    TRealPoint Tol;
    bool Expected;
  } cases[] = {
      {{5.5, 0}, {1, 1}, true},      {{3.2, 3.2}, {1, 1}, true},   {{0, -5.9}, {1, 1}, true},
      {{0, 0}, {1, 1}, false},       // the centre: distance 5
      {{4.5, 4.5}, {1, 1}, true},    // distance 1.36: the side Y = 3.5 crosses at X 3.57
      {{6.3, 0}, {1, 1}, false},     // distance 1.3, but no box side meets the circle
      {{0, -3.5}, {1.5, 1.5}, true}, // through the sides X = +-1.5
      {{0, -7.2}, {1.5, 1.5}, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.P.X << "," << k.P.Y);
    EXPECT_EQ(c.IsNear(k.P, k.Tol, nullptr), k.Expected);
  }
}

TEST(TNEOkrag, DistancesProjectionAndEnds) {
  const TTestOkrag c = Circle(10, 20, 5, 3.5f);
  EXPECT_DOUBLE_EQ(c.DistanceTo(TRealPoint{10, 30}, nullptr), 5);
  EXPECT_DOUBLE_EQ(c.DistanceTo(TRealPoint{10, 20}, nullptr), 5);
  EXPECT_DOUBLE_EQ(c.DistanceTo(TRealPoint{13, 24}, nullptr), 0);
  struct Case {
    TRealPoint P;
    TRealPoint Q;
  } cases[] = {{{10, 20}, {15, 20}}, {{2, 20}, {5, 20}}, {{16, 28}, {13, 24}}, {{7, 16}, {7, 16}},
               {{10, 10}, {10, 15}}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.P.X << "," << k.P.Y);
    TPointRec q{0, 0, 0};
    c.ProjectPoint(k.P, nullptr, q);
    EXPECT_NEAR(q.X, k.Q.X, 1e-12);
    EXPECT_NEAR(q.Y, k.Q.Y, 1e-12);
    EXPECT_EQ(q.Z, 3.5f);
  }
  // Only the centre snaps, not the circle line.
  EXPECT_EQ(c.DistanceIfNear(TRealPoint{15, 20}, TRealPoint{1, 1}), -1);
  EXPECT_DOUBLE_EQ(c.DistanceIfNear(TRealPoint{10.6, 20.8}, TRealPoint{1, 1}), 1);
  TPointRec q;
  c.NearestPoint(TRealPoint{15, 20}, q);
  EXPECT_EQ(q, (TPointRec{10, 20, 3.5f}));
  EXPECT_EQ(c.EndPointIndex(TRealPoint{10, 20}), 1);
  EXPECT_EQ(c.EndPointIndex(TRealPoint{15, 20}), 0);
  EXPECT_EQ(c.NearestEndIndex(TRealPoint{15, 20}), 1);
  EXPECT_EQ(c.GetEndPoint(), (TRealPoint{10, 20}));
}

TEST(TNEOkrag, MeasuresBoundsAndTransforms) {
  TTestOkrag c = Circle(10, 20, 5, 2);
  EXPECT_DOUBLE_EQ(c.GetLength(), 10 * kPi);
  EXPECT_DOUBLE_EQ(c.GetAreaTerm(false, TRealPoint{100, 100}), 25 * kPi);
  EXPECT_EQ(c.GetBounds(), (TRealRect{5, 15, 15, 25}));
  TTopologySegments segs;
  c.CreateTopologySegments(segs, 1);
  EXPECT_EQ(segs[0], nullptr);

  TAffineMatrix m;
  m.a = 2;
  m.e = 2;
  m.c = 1;
  m.s = 2;
  c.Transform(m);
  EXPECT_EQ(c.Centre, (TPointRec{21, 40, 2}));
  EXPECT_EQ(c.Radius, 10);
  c.Move(TRealPoint{-1, 0});
  EXPECT_EQ(c.Centre, (TPointRec{20, 40, 2}));
  c.BendAroundCircle(10, 0);
  EXPECT_NEAR(c.Centre.X, 30 * std::cos(4.0), 1e-12);
  EXPECT_NEAR(c.Centre.Y, 30 * std::sin(4.0), 1e-12);
  EXPECT_EQ(c.Radius, 10);
}

TEST(TNEOkrag, PathPolygonStepsWithTheSize) {
  struct Case {
    double R;
    double Step;
  } cases[] = {{1, kPi / 5}, {100, kPi / 200}, {10, 0.1}, {1.5, kPi / 5}, {70, kPi / 200}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.R);
    const TTestOkrag c = Circle(3, 4, k.R);
    TRealPointsList list;
    TRealPoint far{-7, -7};
    c.AppendPathPoints(TRealPoint{}, list, far);
    EXPECT_EQ(far, (TRealPoint{-7, -7}));
    const int inner = static_cast<int>(std::ceil(2 * kPi / k.Step)) - 1;
    ASSERT_EQ(list.Count(), inner + 2);
    EXPECT_EQ(list.GetPoint(0), (TRealPoint{3 + k.R, 4}));
    EXPECT_EQ(list.GetPoint(list.Count() - 1), (TRealPoint{3 + k.R, 4}));
    EXPECT_NEAR(list.GetPoint(1).X, 3 + k.R * std::cos(k.Step), 1e-12);
    EXPECT_NEAR(list.GetPoint(1).Y, 4 + k.R * std::sin(k.Step), 1e-12);
    for (int i = 0; i < list.Count(); ++i) EXPECT_NEAR(Dist(list.GetPoint(i), TRealPoint{3, 4}), k.R, 1e-9);
  }
}

TEST(TNEOkrag, RayDistanceY) {
  const TTestOkrag c = Circle(0, 0, 5);
  struct Case {
    TRealPoint P;
    double Expected;
  } cases[] = {{{0, -10}, 5}, {{3, -10}, 6}, {{0, 0}, 5}, {{0, 10}, -5}, {{6, 0}, -1}, {{5, -1}, 1}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.P.X << "," << k.P.Y);
    EXPECT_NEAR(c.RayDistanceY(k.P), k.Expected, 1e-12);
  }
}

TEST(TNEOkrag, SaveRecordAndRoundTrip) {
  ScopedCircleClasses registered;
  TTestOkrag c = Circle(10, 20, 2.5, 7.5f);
  c.SetIdent(3);
  ObjectSaveRecord rec;
  c.SaveToRecord(rec);
  EXPECT_EQ(rec.GetByte(3), 2);
  EXPECT_EQ(rec.GetDouble(12), 10);
  EXPECT_EQ(rec.GetDouble(20), 20);
  for (std::size_t i = 28; i < 44; ++i) EXPECT_EQ(rec.GetByte(i), 0) << i;
  EXPECT_EQ(rec.GetDouble(44), 2.5);
  EXPECT_EQ(rec.GetSingle(52), 7.5f);
  EXPECT_EQ(rec.GetSingle(56), 0);
  for (std::size_t i = 60; i < ObjectSaveRecord::kSize; ++i) EXPECT_EQ(rec.GetByte(i), 0) << i;

  std::unique_ptr<TEGraphObj> back = CreateLineObjectFromRecord(rec);
  auto* circle = dynamic_cast<TTestOkrag*>(back.get());
  ASSERT_NE(circle, nullptr);
  EXPECT_EQ(circle->Centre, c.Centre);
  EXPECT_EQ(circle->Radius, 2.5);
  EXPECT_EQ(circle->GetIdent(), 3u);
  EXPECT_TRUE(circle->SameGeometry(c));
  circle->Radius = 2.5000001;
  EXPECT_FALSE(circle->SameGeometry(c));

  std::unique_ptr<TEGraphObj> copy = c.Clone();
  ASSERT_NE(dynamic_cast<TTestOkrag*>(copy.get()), nullptr);
  EXPECT_TRUE(copy->SameGeometry(c));
  EXPECT_EQ(static_cast<TTestOkrag&>(*copy).Centre.Z, 7.5f);
}

// The arc from (0, 0) to (0, 10) of radius 13, minor and major.
TEST(TNELuk, CentreSweepLengthAndDirections) {
  struct Case {
    double R;
    TRealPoint C;
    double Sweep;
    double Length;
  } cases[] = {
      {13, {12.00001, 5}, 0.78958, 10.2646},
      {-13, {-12.00001, 5}, 5.49360, 71.4168},
      {5, {0.01, 5}, kPi, 5 * kPi},   // a half circle: the enlarged radius moves the centre off the chord
      {-5, {-0.01, 5}, kPi, 5 * kPi},
      {4, {0, 5}, kPi, 4 * kPi},      // too short for the chord: the midpoint
      {0, {0, 5}, kPi, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.R);
    const TTestLuk a = Arc(0, 0, 0, 10, k.R);
    const TRealPoint c = a.GetCentre();
    EXPECT_NEAR(c.X, k.C.X, 1e-4);
    EXPECT_NEAR(c.Y, k.C.Y, 1e-9);
    EXPECT_NEAR(a.GetSweep(), k.Sweep, 1e-5);
    EXPECT_NEAR(a.GetLength(), k.Length, 1e-4);
  }
  const TTestLuk minor = Arc(0, 0, 0, 10, 13);
  EXPECT_NEAR(minor.GetDirectionAt(1), 1.96559, 1e-5);
  EXPECT_NEAR(minor.GetDirectionAt(2), 4.31760, 1e-5);
  // The tangents of the major arc leave on the other side of the chord.
  const TTestLuk major = Arc(0, 0, 0, 10, -13);
  EXPECT_NEAR(major.GetDirectionAt(1), 4.31760, 1e-5);
  EXPECT_NEAR(major.GetDirectionAt(2), 1.96559, 1e-5);
  EXPECT_EQ(Arc(1, 1, 1, 1, 3).GetSweep(), 0);
}

TEST(TNELuk, DirectionsAreTheTangentsOfTheWalk) {
  // The direction leaving each end points to the arc's first polygon point.
  for (const double r : {13.0, -13.0, 5.2, -7.0}) {
    SCOPED_TRACE(r);
    const TTestLuk a = Arc(2, 3, 4, 11, r);
    const std::vector<TRealPoint> pts = ArcPolygon(a);
    const double d1 = a.GetDirectionAt(1);
    const double first = VectorAzimuth(pts[1].X - pts[0].X, pts[1].Y - pts[0].Y);
    EXPECT_LT(std::fabs(std::remainder(d1 - first, 2 * kPi)), 0.2);
    const std::size_t n = pts.size();
    const double d2 = a.GetDirectionAt(2);
    const double last = VectorAzimuth(pts[n - 2].X - pts[n - 1].X, pts[n - 2].Y - pts[n - 1].Y);
    EXPECT_LT(std::fabs(std::remainder(d2 - last, 2 * kPi)), 0.2);
  }
}

TEST(TNELuk, ThreePoints) {
  struct Case {
    TRealPoint M;
    TRealPoint P1;
    TRealPoint P2;
    double R;
  } cases[] = {
      {{-1, 5}, {0, 0}, {0, 10}, 13},
      {{1, 5}, {0, 10}, {0, 0}, 13},      // M on the left: the ends swap
      {{-13, 5}, {0, 0}, {0, 10}, -7.46154},
      {{-5, 5}, {0, 0}, {0, 10}, -5},     // the centre on the chord: a half circle
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.M.X << "," << k.M.Y);
    TTestLuk a = Arc(0, 0, 0, 0, 0);
    a.SetFromThreePoints(TPointRec{0, 0, 1}, TPointRec{0, 10, 2}, TPointRec{k.M.X, k.M.Y, 9});
    EXPECT_EQ(XY(a.P1), k.P1);
    EXPECT_EQ(XY(a.P2), k.P2);
    EXPECT_EQ(a.P1.Z, k.P1.Y == 0 ? 1 : 2);  // each end keeps its height
    EXPECT_NEAR(a.Radius, k.R, 1e-5);
    // The arc passes through M.
    EXPECT_NEAR(a.DistanceTo(k.M, nullptr), 0, 0.011);
  }
}

TEST(TNELuk, ThreePointsRefuseCollinearPointsAndLeaveTheArc) {
  const TRealPoint bad[][3] = {
      {{0, 0}, {10, 10}, {5, 5}},
      {{0, 0}, {10, 10}, {0, 0}},
      {{3, 3}, {3, 3}, {1, 2}},
  };
  for (const auto& p : bad) {
    SCOPED_TRACE(testing::Message() << p[2].X << "," << p[2].Y);
    TTestLuk a = Arc(1, 2, 3, 4, 5, 6, 7);
    try {
      a.SetFromThreePoints(TPointRec{p[0].X, p[0].Y, 0}, TPointRec{p[1].X, p[1].Y, 0},
                           TPointRec{p[2].X, p[2].Y, 0});
      ADD_FAILURE() << "no error";
    } catch (const EGrEditError& e) {
      EXPECT_STREQ(e.what(), "Błąd podczas obliczania łuku");
    }
    EXPECT_EQ(a.P1, (TPointRec{1, 2, 6}));
    EXPECT_EQ(a.P2, (TPointRec{3, 4, 7}));
    EXPECT_EQ(a.Radius, 5);
  }
}

// Points so nearly collinear that the centre lies beyond the range of a
// double would give an infinite radius; they are refused like collinear ones.
TEST(TNELuk, ThreePointsRefuseNearlyCollinearPointsWhoseCentreOverflows) {
  TTestLuk a = Arc(1, 2, 3, 4, 5);
  EXPECT_THROW(a.SetFromThreePoints(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, TPointRec{1e-310, 5, 0}),
               EGrEditError);
  EXPECT_EQ(a.Radius, 5);
  EXPECT_EQ(XY(a.P1), (TRealPoint{1, 2}));
  // Nearly collinear but within range: a very flat arc through the points.
  a.SetFromThreePoints(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, TPointRec{-1e-6, 5, 0});
  EXPECT_TRUE(std::isfinite(a.Radius));
  EXPECT_GT(a.Radius, 1e6);
}

TEST(TNELuk, DistanceAndProjectionByTheChordSide) {
  const TTestLuk a = Arc(0, 0, 0, 10, 13);
  const TRealPoint c = a.GetCentre();
  // Left of the chord the nearer end counts, even beside the circle.
  const TRealPoint left{1.5, 5};
  EXPECT_DOUBLE_EQ(a.DistanceTo(left, nullptr), Dist(left, TRealPoint{0, 0}));
  TPointRec q{0, 0, 4};
  a.ProjectPoint(TRealPoint{1.5, 6}, nullptr, q);
  EXPECT_EQ(q, (TPointRec{0, 10, 0}));
  // On the chord line: the arc's side, measured to the circle.
  EXPECT_NEAR(a.DistanceTo(TRealPoint{0, 5}, nullptr), 13 - Dist(TRealPoint{0, 5}, c), 1e-12);
  const TRealPoint right{-3, 5};
  EXPECT_NEAR(a.DistanceTo(right, nullptr), Dist(right, c) - 13, 1e-12);
  a.ProjectPoint(right, nullptr, q);
  EXPECT_NEAR(Dist(XY(q), c), 13, 1e-9);
  EXPECT_NEAR(q.Y, 5, 1e-9);
  EXPECT_EQ(q.Z, 0);  // as the caller set it
}

// A point level with the centre of a major arc is projected onto the near
// side of the circle, not through the centre to the far side.
TEST(TNELuk, ArcProjectionLevelWithCentreStaysOnNearSide) {
  const TTestLuk a = Arc(0, 0, 0, 10, -13);
  const TRealPoint c = a.GetCentre();
  ASSERT_EQ(c.Y, 5);
  for (const double x : {-27.0, -5.0}) {
    SCOPED_TRACE(x);
    TPointRec q;
    a.ProjectPoint(TRealPoint{x, 5}, nullptr, q);
    EXPECT_NEAR(q.X, x < c.X ? c.X - 13 : c.X + 13, 1e-9);
    EXPECT_EQ(q.Y, 5);
  }
  EXPECT_NEAR(a.DistanceTo(TRealPoint{-27, 5}, nullptr), c.X - 13 + 27, 1e-9);
}

TEST(TNELuk, HitTestBesideAnEndTakesOnlyTheEnd) {
  const TTestLuk a = Arc(0, 0, 0, 10, 5);  // half circle bulging to -X, centre near (0, 5)
  const TRealPoint tol{1, 1};
  EXPECT_TRUE(a.IsNear(TRealPoint{-5.3, 5}, tol, nullptr));   // on the arc
  EXPECT_FALSE(a.IsNear(TRealPoint{-7, 5}, tol, nullptr));    // too far
  EXPECT_TRUE(a.IsNear(TRealPoint{0.9, -0.9}, tol, nullptr)); // the end is in the box
  // Near the end P2 of a minor arc, the circle continues left of the chord;
  // the box meets that part, but the end itself lies outside the box.
  const TTestLuk m = Arc(0, 0, 0, 10, 13);
  EXPECT_FALSE(m.IsNear(TRealPoint{0.4, 11.2}, tol, nullptr));
  EXPECT_TRUE(m.IsNear(TRealPoint{0.4, 10.8}, tol, nullptr));
  EXPECT_EQ(m.DistanceIfNear(TRealPoint{-0.5, 5}, tol), -1);
  EXPECT_DOUBLE_EQ(m.DistanceIfNear(TRealPoint{0.6, 10.8}, tol), 1);
  TPointRec q;
  m.NearestPoint(TRealPoint{3, 5}, q);  // halfway: P2
  EXPECT_EQ(XY(q), (TRealPoint{0, 10}));
  EXPECT_EQ(m.NearestEndIndex(TRealPoint{3, 4}), 1);
}

// The bounds hold every point of the arc, and a major arc does not take the
// whole circle's square where it does not reach.
TEST(TNELuk, BoundsHoldTheWholeArc) {
  const TTestLuk arcs[] = {
      Arc(0, 0, 0, 10, 13),  Arc(0, 0, 0, 10, -13), Arc(0, 0, 0, 10, 5),    Arc(0, 0, 0, 10, -5),
      Arc(3, 4, -2, 7, -4),  Arc(3, 4, -2, 7, 4),   Arc(5500000, 4500000, 5500020, 4500005, -30),
      Arc(1, 1, 1, 1, -2),
  };
  for (const TTestLuk& a : arcs) {
    SCOPED_TRACE(testing::Message() << a.P1.X << "," << a.P1.Y << " R " << a.Radius);
    const TRealRect r = a.GetBounds();
    const TRealPoint c = a.GetCentre();
    const double ar = std::fabs(a.Radius);
    // Dense samples of the arc as the canvas draws it: |R| about the centre.
    const double a1 = VectorAzimuth(a.P1.X - c.X, a.P1.Y - c.Y);
    const double sweep = a.GetSweep();
    for (int i = 0; i <= 1000; ++i) {
      const double t = a1 - sweep * i / 1000.0;
      const TRealPoint p{c.X + ar * std::cos(t), c.Y + ar * std::sin(t)};
      const double eps = 1e-9 * (1 + std::fabs(p.X) + std::fabs(p.Y)) + 2e-5;
      ASSERT_TRUE(p.X >= r.Left - eps && p.X <= r.Right + eps && p.Y >= r.Top - eps && p.Y <= r.Bottom + eps)
          << i;
    }
    EXPECT_TRUE(RealRectContainsPoint(r, XY(a.P1)));
    EXPECT_TRUE(RealRectContainsPoint(r, XY(a.P2)));
  }
  const TRealRect major = Arc(0, 0, 0, 10, -13).GetBounds();
  EXPECT_NEAR(major.Left, -25, 1e-4);
  EXPECT_NEAR(major.Top, -8, 1e-4);
  EXPECT_EQ(major.Right, 0);
  EXPECT_NEAR(major.Bottom, 18, 1e-4);
  // A minor arc: the ends' rectangle grown by the arc's height over its chord.
  const TRealRect minor = Arc(0, 0, 0, 10, 13).GetBounds();
  EXPECT_NEAR(minor.Left, -1, 1e-4);
  EXPECT_NEAR(minor.Right, 1, 1e-9);
  EXPECT_NEAR(minor.Top, -1, 1e-9);
  EXPECT_NEAR(minor.Bottom, 11, 1e-9);
}

// An arc whose radius is too short for its chord still has its ends inside
// its bounds, so that searches by its ends find it.
TEST(TNELuk, ArcBoundsContainEndsWhenChordExceedsDiameter) {
  for (const double r : {5.0, -5.0, 0.0}) {
    SCOPED_TRACE(r);
    const TRealRect b = Arc(0, 0, 0, 20, r).GetBounds();
    EXPECT_TRUE(RealRectContainsPoint(b, TRealPoint{0, 0}));
    EXPECT_TRUE(RealRectContainsPoint(b, TRealPoint{0, 20}));
  }
}

TEST(TNELuk, PathPolygonFollowsTheArc) {
  for (const double r : {13.0, -13.0, 5.0, 200.0, -6.0}) {
    SCOPED_TRACE(r);
    const TTestLuk a = Arc(0, 0, 0, 10, r);
    const TRealPoint c = a.GetCentre();
    const double n = std::clamp(std::fabs(r) * a.GetSweep(), 10.0, 95.0);
    // From P1: the inner points, then P2.
    TRealPointsList fwd;
    TRealPoint far;
    a.AppendPathPoints(TRealPoint{0, 0}, fwd, far);
    EXPECT_EQ(far, (TRealPoint{0, 10}));
    ASSERT_EQ(fwd.Count(), static_cast<int>(std::ceil(n)));
    EXPECT_EQ(fwd.GetPoint(fwd.Count() - 1), (TRealPoint{0, 10}));
    for (int i = 0; i + 1 < fwd.Count(); ++i) {
      EXPECT_NEAR(Dist(fwd.GetPoint(i), c), std::fabs(r), 1e-6);
      EXPECT_FALSE(LeftOfChord(TRealPoint{0, 0}, TRealPoint{0, 10}, fwd.GetPoint(i)));
    }
    // From P2: as many points in steps of the same size towards P1, then P1.
    TRealPointsList back;
    a.AppendPathPoints(TRealPoint{0, 10}, back, far);
    EXPECT_EQ(far, (TRealPoint{0, 0}));
    ASSERT_EQ(back.Count(), fwd.Count());
    EXPECT_EQ(back.GetPoint(back.Count() - 1), (TRealPoint{0, 0}));
    EXPECT_NEAR(Dist(back.GetPoint(0), TRealPoint{0, 10}), Dist(fwd.GetPoint(0), TRealPoint{0, 0}), 1e-6);
    for (int i = 0; i + 1 < back.Count(); ++i) {
      EXPECT_NEAR(Dist(back.GetPoint(i), c), std::fabs(r), 1e-6);
      EXPECT_FALSE(LeftOfChord(TRealPoint{0, 0}, TRealPoint{0, 10}, back.GetPoint(i)));
      if (i > 0) {  // even steps away from P2
        EXPECT_NEAR(Dist(back.GetPoint(i), back.GetPoint(i - 1)), Dist(back.GetPoint(0), TRealPoint{0, 10}),
                    1e-6);
      }
    }
  }
}

// The arc's area term equals the area its polygon adds to a closed outline.
TEST(TNELuk, AreaTermMatchesItsPolygon) {
  const TRealPoint o{5500000, 4500000};
  for (const double r : {13.0, -13.0, 6.5, -6.5}) {
    SCOPED_TRACE(r);
    const TTestLuk a = Arc(o.X, o.Y, o.X + 3, o.Y + 10, r);
    const std::vector<TRealPoint> pts = ArcPolygon(a);
    double poly = 0;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) poly += ChordAreaTerm(pts[i], pts[i + 1], true, o);
    const double term = a.GetAreaTerm(true, o);
    EXPECT_NEAR(term, poly, 0.02 * std::fabs(term - ChordAreaTerm(XY(a.P1), XY(a.P2), true, o)));
    EXPECT_NEAR(a.GetAreaTerm(false, o), -term, 1e-6);
  }
  // A half circle closed by its chord: half the circle's area.
  const TTestLuk half = Arc(0, 0, 0, 10, 5);
  const double closed = half.GetAreaTerm(true, TRealPoint{}) +
                        ChordAreaTerm(TRealPoint{0, 10}, TRealPoint{0, 0}, true, TRealPoint{});
  EXPECT_NEAR(closed, 12.5 * kPi, 1e-9);
  EXPECT_EQ(Arc(0, 0, 0, 10, 0).GetAreaTerm(true, TRealPoint{0, 5}), 0);
}

TEST(TNELuk, RayDistanceY) {
  const TTestLuk a = Arc(0, 0, 0, 10, 13);
  const TRealPoint c = a.GetCentre();
  const double h = std::sqrt(169 - (-0.5 - c.X) * (-0.5 - c.X));
  EXPECT_NEAR(a.RayDistanceY(TRealPoint{-0.5, -5}), c.Y - h + 5, 1e-9);
  EXPECT_NEAR(a.RayDistanceY(TRealPoint{-0.5, 5}), c.Y + h - 5, 1e-9);
  EXPECT_EQ(a.RayDistanceY(TRealPoint{5, 0}), -1);   // both crossings left of the chord
  EXPECT_EQ(a.RayDistanceY(TRealPoint{-2, 0}), -1);  // beyond the circle
}

TEST(TNELuk, TransformMoveAndBend) {
  TTestLuk a = Arc(1, 2, 3, 4, -5, 6, 7);
  TAffineMatrix m;
  m.a = 3;
  m.e = 3;
  m.s = 3;
  a.Transform(m);
  EXPECT_EQ(a.P1, (TPointRec{3, 6, 6}));
  EXPECT_EQ(a.P2, (TPointRec{9, 12, 7}));
  EXPECT_EQ(a.Radius, -15);
  a.Move(TRealPoint{1, 1});
  EXPECT_EQ(a.P1, (TPointRec{4, 7, 6}));
  TTestLuk b = Arc(0, 0, 2, 5 * kPi, 4);
  b.BendAroundCircle(10, 0);
  EXPECT_NEAR(b.P1.X, 10, 1e-12);
  EXPECT_NEAR(b.P2.Y, 12, 1e-12);
  EXPECT_EQ(b.Radius, 4);
}

TEST(TNELuk, SaveRecordAndRoundTrip) {
  ScopedCircleClasses registered;
  TTestLuk a = Arc(1, 2, 4, 5, -7.25, 3, 6);
  a.SetIndex(44);
  ObjectSaveRecord rec;
  a.SaveToRecord(rec);
  EXPECT_EQ(rec.GetByte(3), 1);
  EXPECT_EQ(rec.GetDouble(12), 1);
  EXPECT_EQ(rec.GetDouble(20), 2);
  EXPECT_EQ(rec.GetDouble(28), 4);
  EXPECT_EQ(rec.GetDouble(36), 5);
  EXPECT_EQ(rec.GetDouble(44), -7.25);
  EXPECT_EQ(rec.GetSingle(52), 3);
  EXPECT_EQ(rec.GetSingle(56), 6);
  for (std::size_t i = 60; i < ObjectSaveRecord::kSize; ++i) EXPECT_EQ(rec.GetByte(i), 0) << i;

  std::unique_ptr<TEGraphObj> back = CreateLineObjectFromRecord(rec);
  auto* arc = dynamic_cast<TTestLuk*>(back.get());
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(arc->P1, a.P1);
  EXPECT_EQ(arc->P2, a.P2);
  EXPECT_EQ(arc->Radius, -7.25);
  EXPECT_EQ(arc->GetIndex(), 44u);
  EXPECT_TRUE(arc->SameGeometry(a));
  ObjectSaveRecord again;
  arc->SaveToRecord(again);
  EXPECT_EQ(again.Bytes(), rec.Bytes());

  // A circle and an arc are never the same geometry.
  TTestOkrag circle = Circle(1, 2, -7.25);
  EXPECT_FALSE(arc->SameGeometry(circle));
}

class CircularDrawing : public PixelCanvasTest {
 protected:
  // Whether a pixel of Colour lies within one pixel of the device point of P.
  bool Painted(const TRealPoint& P, platform::TColor Colour) {
    const int x = static_cast<int>(std::lround(P.Y));
    const int y = static_cast<int>(std::lround(100 - P.X));
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (bitmap.Pixel(x + dx, y + dy) == Colour) return true;
    return false;
  }
};

TEST_F(CircularDrawing, ArcIsDrawnOnTheRightOfItsChord) {
  // Centre (50, 100), radius 40: from the top point anticlockwise to the left one.
  TTestLuk a = Arc(90, 100, 50, 60, 40);
  a.SetKolor(platform::clRed);
  a.Draw(canvas);
  canvas.FlushLines();
  const double s = 40 / std::sqrt(2.0);
  EXPECT_TRUE(Painted(TRealPoint{50 + s, 100 - s}, platform::clRed));
  EXPECT_TRUE(Painted(TRealPoint{90, 100}, platform::clRed));
  EXPECT_FALSE(Painted(TRealPoint{50 + s, 100 + s}, platform::clRed));
  EXPECT_FALSE(Painted(TRealPoint{50 - s, 100 - s}, platform::clRed));

  // The major arc over the same ends: centre (90, 60); three quarters.
  TTestLuk b = Arc(90, 100, 50, 60, -40);
  b.SetKolor(platform::clBlue);
  b.Draw(canvas);
  canvas.FlushLines();
  EXPECT_TRUE(Painted(TRealPoint{90, 20}, platform::clBlue));
  EXPECT_TRUE(Painted(TRealPoint{90 - s, 60 - s}, platform::clBlue));
  EXPECT_FALSE(Painted(TRealPoint{90 - s, 60 + s}, platform::clBlue));
}

TEST_F(CircularDrawing, MovedAndTransformedDrawingsLeaveTheObject) {
  TTestOkrag c = Circle(50, 100, 30);
  c.SetKolor(platform::clRed);
  c.Draw(canvas);
  canvas.FlushLines();
  EXPECT_TRUE(Painted(TRealPoint{80, 100}, platform::clRed));
  EXPECT_TRUE(Painted(TRealPoint{50, 70}, platform::clRed));
  EXPECT_FALSE(Painted(TRealPoint{50, 100}, platform::clRed));

  // The pen keeps the colour of the last ApplyColor: the variants set none.
  c.DrawMoved(canvas, TRealPoint{0, 60});
  TAffineMatrix half;
  half.a = 0.5;
  half.e = 0.5;
  half.s = 0.5;
  c.DrawTransformed(canvas, half);  // centre (25, 50), radius 15
  canvas.FlushLines();
  EXPECT_TRUE(Painted(TRealPoint{50, 190}, platform::clRed));
  EXPECT_TRUE(Painted(TRealPoint{40, 50}, platform::clRed));
  EXPECT_EQ(c.Centre, (TPointRec{50, 100, 0}));
  EXPECT_EQ(c.Radius, 30);
}

}  // namespace
