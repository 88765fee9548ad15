#include "foundation/geometry/topology.h"

#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/errors.h"

namespace {

TPointRec Pt(double X, double Y, float Z = 0) { return TPointRec{X, Y, Z}; }

std::unique_ptr<TDCOdcinek> MakeSegment(const TPointRec& A, const TPointRec& B) {
  return std::make_unique<TDCOdcinek>(std::make_unique<TDCPunkt>(A), std::make_unique<TDCPunkt>(B));
}

// A straight line as the graphic objects give it: itself, lengthened by Ext at
// both ends; nothing when it has no length.
class FakeLine : public ITopologySource {
public:
  FakeLine(const TPointRec& P1, const TPointRec& P2) : p1_(P1), p2_(P2) {}

  void CreateTopologySegments(TTopologySegments& Segs, double Ext) override {
    Segs[0].reset();
    const double dx = p2_.X - p1_.X, dy = p2_.Y - p1_.Y;
    if (dx == 0 && dy == 0) return;
    const double k = Ext / std::sqrt(dx * dx + dy * dy);
    Segs[0] = MakeSegment(Pt(p1_.X - k * dx, p1_.Y - k * dy, p1_.Z),
                          Pt(p2_.X + k * dx, p2_.Y + k * dy, p2_.Z));
    Segs[0]->Source = this;
  }

private:
  TPointRec p1_, p2_;
};

// A polyline giving one segment per leg, up to four, then an empty entry.
class FakePolyline : public ITopologySource {
public:
  explicit FakePolyline(std::vector<TPointRec> Points) : points_(std::move(Points)) {}

  void CreateTopologySegments(TTopologySegments& Segs, double) override {
    std::size_t n = 0;
    for (; n + 1 < points_.size() && n < Segs.size(); ++n)
      Segs[n] = MakeSegment(points_[n], points_[n + 1]);
    if (n < Segs.size()) Segs[n].reset();
  }

private:
  std::vector<TPointRec> points_;
};

// Raises ECanceled at the given poll.
class CancelAfter : public ICancelCheck {
public:
  explicit CancelAfter(int Polls) : left_(Polls) {}
  void CheckCanceled() override {
    if (--left_ < 0) throw ECanceled();
  }

private:
  int left_;
};

int CrossingCount(const TCrossingLines& C) {
  return C.CrossingPoints ? C.CrossingPoints->Count() : 0;
}

void Collect(TCrossingLines& C, std::vector<FakeLine>& Lines) {
  for (FakeLine& line : Lines) C.AddLine(line);
}

}  // namespace

TEST(Topology, SegmentOrdersItsEnds) {
  auto s = MakeSegment(Pt(10, 2), Pt(0, 5));
  EXPECT_EQ(s->StartPoint->Point, Pt(0, 5));
  EXPECT_EQ(s->EndPoint->Point, Pt(10, 2));
  EXPECT_EQ(s->StartPoint->Kind, dcStart);
  EXPECT_EQ(s->EndPoint->Kind, dcEnd);
  EXPECT_EQ(s->StartPoint->Segment, s.get());
  EXPECT_FLOAT_EQ(s->Length, static_cast<float>(std::sqrt(109.0)));
  EXPECT_DOUBLE_EQ(s->Slope(), -0.3);
  EXPECT_DOUBLE_EQ(s->YAt(5), 3.5);

  auto vertical = MakeSegment(Pt(3, 9), Pt(3, 1));
  EXPECT_EQ(vertical->StartPoint->Point, Pt(3, 1));
  EXPECT_EQ(vertical->Slope(), 0);
  EXPECT_EQ(vertical->YAt(3), 1);
  EXPECT_TRUE(vertical->InBox(Pt(3, 9)));
  EXPECT_FALSE(vertical->InBox(Pt(3, 9.0000001)));
  EXPECT_TRUE(s->InBox(Pt(10, 5)));  // the box, not the line
}

TEST(Topology, TwoDiagonalsCrossOnce) {
  std::vector<FakeLine> lines{{Pt(0, 0), Pt(10, 10)}, {Pt(0, 10), Pt(10, 0)}};
  TCrossingLines c;
  Collect(c, lines);
  EXPECT_EQ(c.Segments.Count(), 2);
  EXPECT_EQ(c.Points.Count(), 4);
  EXPECT_EQ(c.CrossingPoints, nullptr);
  c.Compute();
  ASSERT_EQ(CrossingCount(c), 1);
  const TDCPunktPrzeciecia* x = c.Crossing(0);
  EXPECT_EQ(x->Kind, dcCrossing);
  EXPECT_DOUBLE_EQ(x->Point.X, 5);
  EXPECT_DOUBLE_EQ(x->Point.Y, 5);
  const float expected = static_cast<float>(std::sqrt(50.0));  // 7.07 as a single
  EXPECT_EQ(x->Dist1, expected);
  EXPECT_EQ(x->Dist2, expected);
  EXPECT_TRUE(std::less<const void*>()(x->Segment, x->Segment2));
  for (int i = 0; i < 2; ++i) {
    ASSERT_NE(c.Segment(i)->Crossings, nullptr);
    ASSERT_EQ(c.Segment(i)->Crossings->Count(), 1);
    EXPECT_EQ(c.Segment(i)->Crossings->Crossing(0), x);
    EXPECT_EQ(x->ParamOn(c.Segment(i)), expected);
    EXPECT_EQ(c.Segment(i)->Source, &lines[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(c.Points.Count(), 5);
}

TEST(Topology, ToleranceLengthensLinesThatStopShort) {
  for (const auto& [tolerance, crosses] : {std::pair{0.1, true}, std::pair{0.01, false}}) {
    std::vector<FakeLine> lines{{Pt(0, 0), Pt(10, 0)}, {Pt(5, 0.05), Pt(5, 10)}};
    TCrossingLines c;
    c.Tolerance = tolerance;
    Collect(c, lines);
    c.Compute();
    ASSERT_EQ(CrossingCount(c), crosses ? 1 : 0) << tolerance;
    if (crosses) {
      EXPECT_DOUBLE_EQ(c.Crossing(0)->Point.X, 5);
      EXPECT_DOUBLE_EQ(c.Crossing(0)->Point.Y, 0);
    }
  }
}

TEST(Topology, CrossingExactlyAtAnEndCounts) {
  std::vector<FakeLine> lines{{Pt(0, 0), Pt(10, 0)}, {Pt(5, 0), Pt(5, 10)}};
  TCrossingLines c;
  Collect(c, lines);
  c.Compute();
  ASSERT_EQ(CrossingCount(c), 1);
  EXPECT_EQ(c.Crossing(0)->Point, Pt(5, 0));
}

TEST(Topology, ParallelCollinearAndDistantSegmentsDoNotCross) {
  std::vector<FakeLine> lines{
      {Pt(0, 0), Pt(10, 10)},   {Pt(0, 1), Pt(10, 11)},  // parallel
      {Pt(20, 20), Pt(30, 30)}, {Pt(25, 25), Pt(40, 40)},  // collinear, overlapping
      {Pt(50, 0), Pt(60, 0)},  // apart in X from all the others
  };
  TCrossingLines c;
  Collect(c, lines);
  c.Compute();
  EXPECT_EQ(c.CrossingPoints, nullptr);
}

TEST(Topology, CrossingHeightIsTakenAlongTheSegment) {
  std::vector<FakeLine> lines{{Pt(0, 0, 10), Pt(10, 10, 20)}, {Pt(0, 10, 10), Pt(10, 0, 20)}};
  TCrossingLines c;
  Collect(c, lines);
  c.Compute();
  ASSERT_EQ(CrossingCount(c), 1);
  EXPECT_FLOAT_EQ(c.Crossing(0)->Point.Z, 15);

  // The height comes from the later segment of the pair; one without X
  // extent takes it along Y.
  std::vector<FakeLine> steep{{Pt(0, 2), Pt(10, 2)}, {Pt(5, 0, 0), Pt(5, 10, 100)}};
  TCrossingLines v;
  Collect(v, steep);
  v.Compute();
  ASSERT_EQ(CrossingCount(v), 1);
  EXPECT_FLOAT_EQ(v.Crossing(0)->Point.Z, 20);
}

TEST(Topology, CrossingsRunAlongTheSegmentFromItsStart) {
  std::vector<FakeLine> lines{{Pt(100, 0), Pt(0, 0)},
                              {Pt(70, -5), Pt(70, 5)},
                              {Pt(10, -5), Pt(10, 5)},
                              {Pt(40, -5), Pt(40, 5)}};
  TCrossingLines c;
  Collect(c, lines);
  c.Compute();
  ASSERT_EQ(CrossingCount(c), 3);
  const TDCOdcinek* base = c.Segment(0);
  ASSERT_EQ(base->Crossings->Count(), 3);
  // The verticals were added at x = 70, 10, 40: segments 1, 2, 3.
  const float expected[] = {10, 40, 70};
  const int vertical[] = {2, 3, 1};
  for (int i = 0; i < 3; ++i) {
    const TDCPunktPrzeciecia* x = base->Crossings->Crossing(i);
    EXPECT_EQ(x->ParamOn(base), expected[i]);
    EXPECT_EQ(x->Point.X, expected[i]);
    const TDCOdcinek* v = c.Segment(vertical[i]);
    ASSERT_TRUE(x->Segment == v || x->Segment2 == v);
    EXPECT_EQ(x->ParamOn(v), 5);  // from each vertical's lower end
  }
}

TEST(Topology, ObjectsGiveUpToFourSegmentsEndedByAnEmptyEntry) {
  FakePolyline zigzag({Pt(0, 0), Pt(1, 1), Pt(2, 0), Pt(3, 1), Pt(4, 0), Pt(5, 1)});
  FakePolyline hook({Pt(0, 0.5), Pt(1, 0.5)});
  FakeLine dot(Pt(3, 3), Pt(3, 3));
  TCrossingLines c;
  c.AddLine(zigzag);
  c.AddLine(dot);
  EXPECT_EQ(c.Segments.Count(), 4);
  EXPECT_EQ(c.Points.Count(), 8);
  c.AddLine(hook);
  EXPECT_EQ(c.Segments.Count(), 5);
  c.Compute();
  // The zigzag's legs meet end to end (3 crossings); the hook cuts leg 0.
  EXPECT_EQ(CrossingCount(c), 4);
}

TEST(Topology, MergePullsCloseCrossingsToTheirMean) {
  for (const auto& [gap, merged] : {std::pair{0.02, true}, std::pair{0.5, false}}) {
    std::vector<FakeLine> lines{
        {Pt(0, 0), Pt(10, 0)}, {Pt(5, -1), Pt(5, 1)}, {Pt(5 + gap, -1), Pt(5 + gap, 1)}};
    TCrossingLines c;
    c.Tolerance = 0.1;
    Collect(c, lines);
    c.Compute();
    ASSERT_EQ(CrossingCount(c), 2);
    c.MergeCrossings();
    const TPointRec a = c.Crossing(0)->Point;
    const TPointRec b = c.Crossing(1)->Point;
    if (merged) {
      EXPECT_EQ(a, b);
      EXPECT_NEAR(a.X, 5 + gap / 2, 1e-12);
      EXPECT_EQ(a.Y, 0);
    } else {
      EXPECT_NEAR(std::fabs(a.X - b.X), gap, 1e-12);
    }
  }
}

TEST(Topology, ThreeLinesThroughOnePointMergeIntoOneNode) {
  std::vector<FakeLine> lines{
      {Pt(0, 0, 1), Pt(10, 10, 1)}, {Pt(0, 10, 2), Pt(10, 0, 2)}, {Pt(5.03, 0, 3), Pt(5.03, 10, 3)}};
  TCrossingLines c;
  c.Tolerance = 0.1;
  Collect(c, lines);
  c.Compute();
  ASSERT_EQ(CrossingCount(c), 3);
  long double x = 0, y = 0;
  for (int i = 0; i < 3; ++i) {
    x += c.Crossing(i)->Point.X;
    y += c.Crossing(i)->Point.Y;
  }
  c.MergeCrossings();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.Crossing(i)->Point, c.Crossing(0)->Point);
    EXPECT_NEAR(c.Crossing(i)->Point.X, static_cast<double>(x / 3), 1e-12);
    EXPECT_NEAR(c.Crossing(i)->Point.Y, static_cast<double>(y / 3), 1e-12);
  }
}

TEST(Topology, MergeWithoutCrossingsOrToleranceDoesNothing) {
  std::vector<FakeLine> lines{{Pt(0, 0), Pt(10, 0)}, {Pt(5, -1), Pt(5, 1)}, {Pt(5.02, -1), Pt(5.02, 1)}};
  TCrossingLines c;
  Collect(c, lines);
  c.MergeCrossings();  // before Compute
  c.Compute();
  c.MergeCrossings();  // tolerance 0: nothing lies within it
  EXPECT_EQ(c.Crossing(0)->Point.X + c.Crossing(1)->Point.X, 10.02);
}

TEST(Topology, PointHashFindsEachPointOnce) {
  TDCPunkt near1(Pt(1000.01, 2000.0));
  TDCPunkt near2(Pt(999.95, 2000.05));
  TDCPunkt far(Pt(1000.5, 2000.0));
  TDCPunktHash hash(6, 0.1);
  EXPECT_DOUBLE_EQ(hash.CellSize, 0.2 / 3);
  for (TDCPunkt* p : {&near1, &near2, &far}) ASSERT_GE(hash.Add(p), 0);
  std::vector<TDCPunkt*> found;
  EXPECT_EQ(hash.FindNear(Pt(1000, 2000), found), 2);
  EXPECT_EQ(found.size(), 2u);
  EXPECT_EQ(hash.IndexOf(&near1), -1);  // its slot now holds the taken mark
  EXPECT_GE(hash.IndexOf(&far), 0);
  found.clear();
  EXPECT_EQ(hash.FindNear(Pt(1000, 2000), found), 0);
}

TEST(Topology, CancelRaisesThroughThePairLoop) {
  std::vector<FakeLine> lines;
  for (int i = 0; i < 6; ++i) lines.emplace_back(Pt(i, 0), Pt(i + 10, 10));  // parallel
  lines.emplace_back(Pt(0, 10), Pt(20, 0));  // crosses them all
  TCrossingLines c;
  Collect(c, lines);
  CancelAfter cancel(40);
  EXPECT_THROW(c.Compute(cancel), ECanceled);
  // What was found stays in the collector and is freed with it.
  EXPECT_GT(CrossingCount(c), 0);
  EXPECT_LT(CrossingCount(c), 6);

  TCancelFlag flag;
  c.Compute(flag);
  EXPECT_EQ(CrossingCount(c), 6);
  flag.Cancel();
  c.Tolerance = 0.1;
  EXPECT_THROW(c.MergeCrossings(flag), ECanceled);
  EXPECT_THROW(c.Compute(flag), ECanceled);
}

TEST(Topology, ComputeTwiceDoesNotDuplicateCrossings) {
  std::vector<FakeLine> lines{{Pt(0, 0), Pt(10, 10)}, {Pt(0, 10), Pt(10, 0)}};
  TCrossingLines c;
  Collect(c, lines);
  c.Compute();
  c.Compute();
  EXPECT_EQ(CrossingCount(c), 1);
  EXPECT_EQ(c.Points.Count(), 5);
  EXPECT_EQ(c.Segment(0)->Crossings->Count(), 1);
  EXPECT_EQ(c.Segment(1)->Crossings->Count(), 1);
}

TEST(Topology, PointListSortsByPositionThenSegment) {
  std::vector<FakeLine> lines{{Pt(0, 0), Pt(10, 10)}, {Pt(0, 10), Pt(10, 0)}};
  TCrossingLines c;
  Collect(c, lines);
  c.Compute();
  c.Points.Sort();
  std::vector<TPointRec> order;
  for (int i = 0; i < c.Points.Count(); ++i) order.push_back(c.Points.Point(i)->Point);
  EXPECT_EQ(order, (std::vector<TPointRec>{Pt(0, 0), Pt(0, 10), Pt(5, 5), Pt(10, 0), Pt(10, 10)}));
}
