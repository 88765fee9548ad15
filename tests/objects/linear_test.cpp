#include "objects/linear.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "foundation/geometry/polygon.h"
#include "foundation/geometry/topology.h"
#include "objects/saverecord.h"
#include "objects/viewi.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"
#include "pixel_canvas.h"

namespace {

constexpr double kPi = std::numbers::pi;

// The smallest concrete segment.
class TTestLinia : public TNELinia {
 public:
  using TNELinia::TNELinia;
  TTestLinia(double X1, double Y1, double X2, double Y2, float Z1, float Z2)
      : TNELinia(TRealPoint{X1, Y1}, TRealPoint{X2, Y2}) {
    P1.Z = Z1;
    P2.Z = Z2;
  }
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TTestLinia>(); }
};

TTestLinia Seg(double X1, double Y1, double X2, double Y2, float Z1 = 0, float Z2 = 0) {
  return TTestLinia(X1, Y1, X2, Y2, Z1, Z2);
}

// Registers the test segment as the reader's plain line for one test.
class ScopedLineClass {
 public:
  ScopedLineClass() {
    RegisterRecordClass(TRecordClass::DefSpecLinia,
                        [](const ObjectSaveRecord& Rec) { return std::make_unique<TTestLinia>(Rec); });
  }
  ~ScopedLineClass() { UnregisterRecordClass(TRecordClass::DefSpecLinia); }
};

TEST(TNELinia, DistanceMeasuresTheLineNotTheSegment) {
  const TTestLinia s = Seg(0, 0, 10, 0);
  const TTestLinia dot = Seg(1, 1, 1, 1);
  struct Case {
    const TTestLinia* L;
    TRealPoint P;
    double Expected;
  } cases[] = {
      {&s, {20, 3}, 3}, {&s, {-5, -3}, 3}, {&s, {4, 0}, 0}, {&dot, {1, 1}, 0}, {&dot, {4, 5}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.P.X << "," << c.P.Y);
    EXPECT_NEAR(c.L->DistanceTo(c.P, nullptr), c.Expected, 1e-12);
  }
  // Map coordinates of millions of units keep their millimetres.
  const TTestLinia far = Seg(5500000.0, 4500000.0, 5500100.0, 4500100.0);
  EXPECT_NEAR(far.DistanceTo(TRealPoint{5500050.001, 4500050.0}, nullptr), 0.001 / std::sqrt(2.0), 1e-9);
}

TEST(TNELinia, ProjectionStaysOnTheSegment) {
  const TTestLinia s = Seg(0, 0, 10, 0, 1.5f, 2.5f);
  struct Case {
    TRealPoint P;
    TPointRec Expected;
  } cases[] = {
      {{20, 3}, {10, 0, 2.5f}},  // beyond P2: P2 with Z2
      {{-5, 3}, {0, 0, 1.5f}},   // before P1: P1 with Z1
      {{4, 3}, {4, 0, 9.0f}},    // the foot, Z as the caller set it
      {{4, -3}, {4, 0, 9.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.P.X << "," << c.P.Y);
    TPointRec q{0, 0, 9.0f};
    s.ProjectPoint(c.P, nullptr, q);
    EXPECT_NEAR(q.X, c.Expected.X, 1e-12);
    EXPECT_NEAR(q.Y, c.Expected.Y, 1e-12);
    EXPECT_EQ(q.Z, c.Expected.Z);
  }
  TPointRec q{0, 0, 9.0f};
  Seg(1, 1, 1, 1).ProjectPoint(TRealPoint{4, 5}, nullptr, q);
  EXPECT_EQ(q.X, 1);
  EXPECT_EQ(q.Y, 1);
}

// A segment almost parallel to the X axis of the map, in map coordinates: the
// foot in its middle must stay there, exactly placed, whichever way the tiny
// X difference points.
TEST(TNELinia, ProjectPointOnNearlyAxisParallelSegmentKeepsTheFoot) {
  for (const double dx : {1e-9, -1e-9, 0.0}) {
    SCOPED_TRACE(dx);
    const TTestLinia s = Seg(5500000.0, 4500000.0, 5500000.0 + dx, 4500010.0);
    TPointRec q{0, 0, 7.0f};
    s.ProjectPoint(TRealPoint{5500003.0, 4500004.0}, nullptr, q);
    EXPECT_NEAR(q.X, 5500000.0, 1e-6);
    EXPECT_NEAR(q.Y, 4500004.0, 1e-6);
    EXPECT_EQ(q.Z, 7.0f);
  }
}

TEST(TNELinia, EndsByBoxAndByTaxicab) {
  const TTestLinia s = Seg(0, 0, 10, 0, 1, 2);
  const TRealPoint tol{1, 1};
  // The middle passes through the box, no end lies in it.
  EXPECT_EQ(s.DistanceIfNear(TRealPoint{5, 0.5}, tol), -1.0);
  EXPECT_TRUE(s.IsNear(TRealPoint{5, 0.5}, tol, nullptr));
  EXPECT_DOUBLE_EQ(s.DistanceIfNear(TRealPoint{0.6, 0.8}, tol), 1.0);
  EXPECT_DOUBLE_EQ(s.DistanceIfNear(TRealPoint{10, -1}, tol), 1.0);
  // Box border included; outside it nothing.
  EXPECT_TRUE(s.IsNear(TRealPoint{5, 1}, tol, nullptr));
  EXPECT_FALSE(s.IsNear(TRealPoint{5, 1.01}, tol, nullptr));
  EXPECT_FALSE(s.IsNear(TRealPoint{11.5, 0}, tol, nullptr));
  EXPECT_TRUE(Seg(3, 3, 3, 3).IsNear(TRealPoint{3.5, 2.5}, tol, nullptr));
  EXPECT_FALSE(Seg(3, 3, 3, 3).IsNear(TRealPoint{4.5, 3}, tol, nullptr));

  TPointRec q;
  s.NearestPoint(TRealPoint{5, 7}, q);  // halfway: P2
  EXPECT_EQ(q, (TPointRec{10, 0, 2}));
  EXPECT_EQ(s.NearestEndIndex(TRealPoint{5, 7}), 2);
  s.NearestPoint(TRealPoint{4.9, 7}, q);
  EXPECT_EQ(q, (TPointRec{0, 0, 1}));
  EXPECT_EQ(s.NearestEndIndex(TRealPoint{4.9, 7}), 1);
  EXPECT_EQ(s.EndPointIndex(TRealPoint{10, 0}), 2);
}

TEST(TNELinia, RayDistanceY) {
  const TTestLinia slope = Seg(0, 0, 10, 4);
  const TTestLinia upright = Seg(5, 3, 5, 1);  // constant X, ends in either order
  struct Case {
    const TTestLinia* L;
    TRealPoint P;
    double Expected;
  } cases[] = {
      {&slope, {5, -2}, 4},   {&slope, {11, 0}, -1},  {&slope, {0, 0}, 0},    {&slope, {10, 5}, -1},
      {&upright, {5, 2}, 0},  {&upright, {5, 3}, -1}, {&upright, {5, 0}, 1},  {&upright, {5, 1}, 0},
      {&upright, {4, 0}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.P.X << "," << c.P.Y);
    EXPECT_NEAR(c.L->RayDistanceY(c.P), c.Expected, 1e-12);
  }
}

TEST(TNELinia, AreaTermsSumToTheSignedArea) {
  EXPECT_EQ(Seg(0, 0, 10, 0).GetAreaTerm(true, TRealPoint{0, 0}), 0);
  EXPECT_EQ(Seg(0, 2, 10, 2).GetAreaTerm(true, TRealPoint{0, 0}), 20);
  EXPECT_EQ(Seg(0, 2, 10, 2).GetAreaTerm(false, TRealPoint{0, 0}), -20);
  // A 3 x 4 rectangle far from the origin, walked round in both directions.
  const double x = 5500000, y = 4500000;
  const TTestLinia sides[] = {Seg(x, y, x, y + 4), Seg(x, y + 4, x + 3, y + 4), Seg(x + 3, y + 4, x + 3, y),
                              Seg(x + 3, y, x, y)};
  double forward = 0, backward = 0;
  for (const TTestLinia& s : sides) {
    forward += s.GetAreaTerm(true, TRealPoint{x, y});
    backward += s.GetAreaTerm(false, TRealPoint{x, y});
  }
  EXPECT_DOUBLE_EQ(forward, 12);
  EXPECT_DOUBLE_EQ(backward, -12);
}

TEST(TNELinia, LengthDirectionBoundsAndEquation) {
  const TTestLinia s = Seg(1, 2, 4, 6);
  EXPECT_DOUBLE_EQ(s.GetLength(), 5);
  EXPECT_EQ(s.GetBounds(), (TRealRect{1, 2, 4, 6}));
  EXPECT_EQ(Seg(4, 6, 1, 2).GetBounds(), (TRealRect{1, 2, 4, 6}));
  EXPECT_NEAR(Seg(0, 0, 1, 0).GetDirectionAt(1), 0, 1e-15);
  EXPECT_NEAR(Seg(0, 0, 1, 0).GetDirectionAt(2), kPi, 1e-15);
  EXPECT_NEAR(Seg(0, 0, 1, -1).GetDirectionAt(1), 7 * kPi / 4, 1e-15);
  EXPECT_NEAR(Seg(0, 0, 0, 1).GetDirectionAt(2), 3 * kPi / 2, 1e-15);
  EXPECT_TRUE(Seg(1, 1, 1, 1).IsZeroLength());
  EXPECT_FALSE(s.IsZeroLength());
  EXPECT_TRUE(s.IsStraightLine());
  EXPECT_TRUE(s.IsLinearObj());

  const TLineABC l = s.GetLineEquation();
  EXPECT_EQ(l.A, -4);
  EXPECT_EQ(l.B, 3);
  EXPECT_EQ(l.A * 4 + l.B * 6 + l.C, 0);
  const TLineABC r = s.GetLineEquationAt(TRealPoint{1, 2});
  EXPECT_EQ(r.C, 0);
  EXPECT_EQ(r.A * 3 + r.B * 4 + r.C, 0);
}

TEST(TNELinia, TransformMoveAndBendKeepHeights) {
  TTestLinia s = Seg(1, 2, 3, 4, 5, 6);
  TAffineMatrix scale2;
  scale2.a = 2;
  scale2.e = 2;
  scale2.s = 2;
  s.Transform(scale2);
  EXPECT_EQ(s.P1, (TPointRec{2, 4, 5}));
  EXPECT_EQ(s.P2, (TPointRec{6, 8, 6}));
  s.Move(TRealPoint{-1, 1});
  EXPECT_EQ(s.P1, (TPointRec{1, 5, 5}));
  EXPECT_EQ(s.P2, (TPointRec{5, 9, 6}));
  TAffineMatrix shift;
  shift.c = 10;
  s.TransformPoint(1, shift);
  EXPECT_EQ(s.P1, (TPointRec{11, 5, 5}));
  s.TransformPoint(7, shift);  // any other number is the end
  EXPECT_EQ(s.P2, (TPointRec{15, 9, 6}));

  TTestLinia b = Seg(0, 0, 2, 5 * kPi, 1, 2);
  b.BendAroundCircle(10, 0);
  EXPECT_NEAR(b.P1.X, 10, 1e-12);
  EXPECT_NEAR(b.P1.Y, 0, 1e-12);
  EXPECT_NEAR(b.P2.X, 0, 1e-12);
  EXPECT_NEAR(b.P2.Y, 12, 1e-12);
  EXPECT_EQ(b.P1.Z, 1);
  EXPECT_EQ(b.P2.Z, 2);
}

TEST(TNELinia, PathPointsContinueFromTheGivenEnd) {
  const TTestLinia s = Seg(0, 0, 3, 4);
  TRealPointsList list;
  TRealPoint far;
  s.AppendPathPoints(TRealPoint{0, 0}, list, far);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetPoint(0), (TRealPoint{3, 4}));
  EXPECT_EQ(far, (TRealPoint{3, 4}));
  s.AppendPathPoints(TRealPoint{3, 4}, list, far);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetPoint(1), (TRealPoint{0, 0}));
  EXPECT_EQ(far, (TRealPoint{0, 0}));
}

TEST(TNELinia, TopologySegmentIsLengthenedAtBothEnds) {
  TTestLinia s = Seg(0, 0, 0, 10, 1, 2);
  TTopologySegments segs;
  s.CreateTopologySegments(segs, 0.5);
  ASSERT_NE(segs[0], nullptr);
  EXPECT_EQ(segs[1], nullptr);
  EXPECT_EQ(segs[0]->Source, &s);
  EXPECT_EQ(segs[0]->StartPoint->Point, (TPointRec{0, -0.5, 1}));
  EXPECT_EQ(segs[0]->EndPoint->Point, (TPointRec{0, 10.5, 2}));

  TTestLinia dot = Seg(1, 1, 1, 1);
  TTopologySegments none;
  dot.CreateTopologySegments(none, 0.5);
  EXPECT_EQ(none[0], nullptr);

  // Two lines that stop just short of each other still cross.
  TTestLinia a = Seg(0, 0, 0, 10);
  TTestLinia b = Seg(0.2, 5, 5, 5);
  TCrossingLines crossing;
  crossing.Tolerance = 0.5;
  crossing.AddLine(a);
  crossing.AddLine(b);
  crossing.Compute();
  ASSERT_NE(crossing.CrossingPoints, nullptr);
  ASSERT_EQ(crossing.CrossingPoints->Count(), 1);
  EXPECT_NEAR(crossing.Crossing(0)->Point.X, 0, 1e-9);
  EXPECT_NEAR(crossing.Crossing(0)->Point.Y, 5, 1e-9);
}

TEST(TNELinia, SaveRecordBytes) {
  TTestLinia s = Seg(1, 2, 4, 5, 3, 6);
  s.SetIndex(9);
  s.SetIdent(77);
  ObjectSaveRecord rec;
  rec.SetByte(100, 0xEE);  // cleared by the writer
  s.SaveToRecord(rec);
  EXPECT_EQ(rec.GetByte(0), 0);
  EXPECT_EQ(rec.GetByte(1), 0);
  EXPECT_EQ(rec.GetByte(2), 0);
  EXPECT_EQ(rec.GetByte(3), 0);
  EXPECT_EQ(rec.GetIndex(), 9u);
  EXPECT_EQ(rec.GetIdentifier(), 77u);
  EXPECT_EQ(rec.GetDouble(12), 1);
  EXPECT_EQ(rec.GetDouble(20), 2);
  EXPECT_EQ(rec.GetDouble(28), 4);
  EXPECT_EQ(rec.GetDouble(36), 5);
  EXPECT_EQ(rec.GetDouble(44), 0);
  EXPECT_EQ(rec.GetSingle(52), 3);
  EXPECT_EQ(rec.GetSingle(56), 6);
  for (std::size_t i = 60; i < ObjectSaveRecord::kSize; ++i) EXPECT_EQ(rec.GetByte(i), 0) << i;
  // Little-endian double 1.0 at 12.
  EXPECT_EQ(rec.GetByte(19), 0x3F);
  EXPECT_EQ(rec.GetByte(18), 0xF0);
}

TEST(TNELinia, RecordRoundTripThroughTheReader) {
  ScopedLineClass registered;
  TTestLinia s = Seg(5500000.125, 4500000.25, 5500010.5, 4500020.75, 101.5f, 102.25f);
  s.SetIndex(1234);
  s.SetIdent(55);
  ObjectSaveRecord rec;
  s.SaveToRecord(rec);
  std::unique_ptr<TEGraphObj> back = CreateLineObjectFromRecord(rec);
  auto* line = dynamic_cast<TTestLinia*>(back.get());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->P1, s.P1);
  EXPECT_EQ(line->P2, s.P2);
  EXPECT_EQ(line->GetIndex(), 1234u);
  EXPECT_EQ(line->GetIdent(), 55u);
  EXPECT_FALSE(line->IsArchived());
  EXPECT_FALSE(line->IsChanged());
  EXPECT_TRUE(line->SameGeometry(s));
  ObjectSaveRecord again;
  line->SaveToRecord(again);
  EXPECT_EQ(again.Bytes(), rec.Bytes());

  rec.SetFlags(kRecArchived);
  std::unique_ptr<TEGraphObj> archived = CreateLineObjectFromRecord(rec);
  ASSERT_NE(archived, nullptr);
  EXPECT_TRUE(archived->IsArchived());
}

TEST(TNELinia, CopiesAndGeometryComparison) {
  TTestLinia s = Seg(1, 2, 3, 4, 5, 6);
  s.SetIdent(12);
  s.SetKolor(0x123456);
  std::unique_ptr<TEGraphObj> c = s.Clone();
  auto* copy = dynamic_cast<TTestLinia*>(c.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->P1, s.P1);
  EXPECT_EQ(copy->P2, s.P2);
  EXPECT_EQ(copy->GetIdent(), 12u);
  EXPECT_TRUE(copy->HasDefaultColor());
  EXPECT_TRUE(copy->SameGeometry(s));
  copy->P2.Z = 99;  // heights are not compared
  EXPECT_TRUE(copy->SameGeometry(s));
  copy->P2.X = 3.001;
  EXPECT_FALSE(copy->SameGeometry(s));
  EXPECT_EQ(s.GetStartPoint(), (TRealPoint{1, 2}));
  EXPECT_EQ(s.GetEndPoint(), (TRealPoint{3, 4}));
  EXPECT_EQ(s.GetPointN3(2), (TPointRec{3, 4, 6}));
}

TEST(TNELinia, PlainSegmentHasNoOwnStyle) {
  TTestLinia s = Seg(0, 0, 1, 1);
  EXPECT_EQ(s.GetSpecParams(), nullptr);
}

class LineDrawing : public PixelCanvasTest {
 protected:
  platform::TColor At(double X, double Y) const {
    return bitmap.Pixel(static_cast<int>(std::lround(Y)), static_cast<int>(std::lround(100 - X)));
  }
};

TEST_F(LineDrawing, DrawsInItsColourAndVariantsLeaveTheObject) {
  TTestLinia s = Seg(50, 20, 50, 120);
  s.SetKolor(platform::clRed);
  s.Draw(canvas);
  canvas.FlushLines();
  EXPECT_EQ(At(50, 20), platform::clRed);
  EXPECT_EQ(At(50, 70), platform::clRed);
  EXPECT_EQ(At(50, 119), platform::clRed);
  EXPECT_EQ(At(51, 70), platform::clWhite);

  // The variants draw in the pen as it is (no ApplyColor).
  canvas.Pen->SetColor(platform::clBlue);
  s.DrawMoved(canvas, TRealPoint{10, 0});
  TAffineMatrix shift;
  shift.c = 20;
  s.DrawPointTransformed(canvas, 1, shift);  // from (70, 20) to (50, 120)
  s.DrawTransformed(canvas, shift);          // at X 70
  canvas.FlushLines();
  EXPECT_EQ(At(60, 70), platform::clBlue);
  EXPECT_EQ(At(70, 100), platform::clBlue);
  EXPECT_EQ(At(66, 40), platform::clBlue);
  EXPECT_EQ(s.P1, (TPointRec{50, 20, 0}));
  EXPECT_EQ(s.P2, (TPointRec{50, 120, 0}));
}

// The converted copy of a class without a modal edit refuses the edit.
TEST_F(LineDrawing, EditWithClassOfAClassWithoutModalEditRefuses) {
  TTestLinia s = Seg(0, 0, 1, 1);
  EXPECT_FALSE(s.EditWithClass(nullptr, 0, canvas, -1, s));
}

}  // namespace
