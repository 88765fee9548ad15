#include "objects/defelements.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/storage/real48.h"
#include "platform/paint/gdiimage.h"

namespace {

struct Segment {
  double X1, Y1, X2, Y2;
};

// Records the world segments it is asked to draw. Thick emulation keeps
// arcs and circles in segments.
class TRecordingCanvas : public TRealCanvas {
public:
  using TRealCanvas::TRealCanvas;
  void Line(double X1, double Y1, double X2, double Y2) override {
    Lines.push_back({X1, Y1, X2, Y2});
  }
  std::vector<Segment> Lines;
};

class DefElementsTest : public ::testing::Test {
protected:
  void SetUp() override {
    dims.SetDeviceSize(100, 100);
    canvas.SetThickEmulation(true);
  }

  platform::TBitmap bitmap{8, 8};
  TWindowDim dims;
  TNullCanvasCfg cfg;
  TRecordingCanvas canvas{&bitmap.Canvas(), &dims, &cfg};
};

std::vector<std::uint8_t> RecordBytes(double X1, double Y1, double X2, double Y2, double R,
                                      std::uint8_t Type) {
  std::vector<std::uint8_t> bytes(kElementRecordSize, 0xEE);  // byte 0 is not read
  WriteReal48(&bytes[1], X1);
  WriteReal48(&bytes[7], Y1);
  WriteReal48(&bytes[13], X2);
  WriteReal48(&bytes[19], Y2);
  WriteReal48(&bytes[25], R);
  bytes[31] = Type;
  return bytes;
}

TElementRecord Rec(double X1, double Y1, double X2, double Y2, double R = 0,
                   std::uint8_t Type = kElemLine) {
  return TElementRecord{X1, Y1, X2, Y2, R, Type};
}

TEST_F(DefElementsTest, ReadsTheRecordFieldsAtTheirOffsets) {
  const std::vector<std::uint8_t> bytes = RecordBytes(1.5, -2, 0.25, 1000, -7.75, 9);
  const TElementRecord rec = ReadElementRecord(bytes.data());
  EXPECT_EQ(rec.X1, 1.5);
  EXPECT_EQ(rec.Y1, -2);
  EXPECT_EQ(rec.X2, 0.25);
  EXPECT_EQ(rec.Y2, 1000);
  EXPECT_EQ(rec.R, -7.75);
  EXPECT_EQ(rec.Type, 9);
}

TEST_F(DefElementsTest, ElementsTakeTheirGeometryFromTheRecord) {
  const TElementRecord rec = Rec(1, 2, 3, 4, 5);
  TSLinia line(rec);
  EXPECT_EQ(line.P1, MakePointRec(1, 2));
  EXPECT_EQ(line.P2, MakePointRec(3, 4));
  TSOkrag circle(rec);
  EXPECT_EQ(circle.Centre, MakePointRec(1, 2));
  EXPECT_EQ(circle.Radius, 5);
  TSLuk arc(rec);
  EXPECT_EQ(arc.P1, MakePointRec(1, 2));
  EXPECT_EQ(arc.P2, MakePointRec(3, 4));
  EXPECT_EQ(arc.Radius, 5);
  TLLinia lline(rec);
  EXPECT_EQ(lline.P2, MakePointRec(3, 4));
  EXPECT_FALSE(lline.IsBent());

  // None of them draws the simple way, and each clones into its own class.
  const TEGraphObj* all[] = {&line, &circle, &arc, &lline};
  for (const TEGraphObj* element : all) {
    EXPECT_FALSE(element->IsSimpleDraw());
    std::unique_ptr<TEGraphObj> clone = element->Clone();
    EXPECT_EQ(typeid(*clone), typeid(*element));
    EXPECT_TRUE(clone->SameGeometry(*element));
  }
}

TEST_F(DefElementsTest, DashIntervalOnTheAxis) {
  struct Case {
    const char* what;
    std::unique_ptr<TEGraphObj> element;
    bool onAxis;
    float a, b;
  };
  Case cases[] = {
      {"line on the axis, reversed", std::make_unique<TSLinia>(Rec(0, 5, 0, 2)), true, 2, 5},
      {"line off the axis", std::make_unique<TSLinia>(Rec(1, 0, 1, 2)), false, 0, 2},
      {"line crossing the axis", std::make_unique<TSLinia>(Rec(0, 0, 1, 1)), false, 0, 1},
      {"style line", std::make_unique<TLLinia>(Rec(0, 1, 0, 3)), true, 1, 3},
      {"circle on the axis", std::make_unique<TSOkrag>(Rec(0, 4, 0, 0, 1)), true, 4, 4},
      {"circle off the axis", std::make_unique<TSOkrag>(Rec(1, 4, 0, 0, 1)), false, 4, 4},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    float a = -1, b = -1;
    EXPECT_EQ(c.element->GetDashInterval(a, b), c.onAxis);
    EXPECT_EQ(a, c.a);
    EXPECT_EQ(b, c.b);
  }
  TSLuk arc(Rec(0, 0, 0, 2, 1));
  float a = -1, b = -1;
  EXPECT_FALSE(arc.GetDashInterval(a, b));
  EXPECT_EQ(a, -1);
}

TEST_F(DefElementsTest, LineParallelToTheStyleBendsIntoAnArc) {
  struct Case {
    double x, y1, y2, r, a0;
    double radius, sweep, start;
  };
  const Case cases[] = {
      {0, 1, 3, 10, 0, 10, 0.2, 0.1},
      // The sweep uses R, not R + X.
      {1, 0, 2, 10, 0, 11, 0.2, 0.0},
      {0, 3, 1, 10, 1, 10, -0.2, 1.3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.y1);
    TLLinia line(Rec(c.x, c.y1, c.x, c.y2));
    line.BendAroundCircle(c.r, c.a0);
    EXPECT_TRUE(line.IsBent());
    EXPECT_DOUBLE_EQ(line.BentRadius, c.radius);
    EXPECT_NEAR(line.BentSweep, c.sweep, 1e-12);
    EXPECT_NEAR(line.BentStartAngle(), c.start, 1e-12);
    EXPECT_EQ(line.P2, TPointRec{});
    EXPECT_NEAR(Hypot(line.P1.X, line.P1.Y), c.radius, 1e-12);
  }
}

TEST_F(DefElementsTest, LineAcrossTheStyleStaysAChord) {
  TLLinia line(Rec(0, 0, 1, 1));
  line.BendAroundCircle(10, 0);
  EXPECT_FALSE(line.IsBent());
  EXPECT_EQ(line.BentSweep, 0);
  EXPECT_NEAR(line.P1.X, 10, 1e-12);
  EXPECT_NEAR(line.P1.Y, 0, 1e-12);
  EXPECT_NEAR(line.P2.X, 11 * std::cos(0.1), 1e-12);
  EXPECT_NEAR(line.P2.Y, 11 * std::sin(0.1), 1e-12);
}

// First start and last end of the recorded segments.
std::pair<TRealPoint, TRealPoint> Ends(const std::vector<Segment>& Lines) {
  return {TRealPoint{Lines.front().X1, Lines.front().Y1},
          TRealPoint{Lines.back().X2, Lines.back().Y2}};
}

TEST_F(DefElementsTest, BentLineDrawsItsArcPlainMovedAndTransformed) {
  TLLinia line(Rec(0, 0, 0, 5 * std::numbers::pi));  // a quarter of a circle of radius 10
  line.BendAroundCircle(10, 0);

  line.Draw(canvas);
  ASSERT_FALSE(canvas.Lines.empty());
  auto [start, end] = Ends(canvas.Lines);
  EXPECT_NEAR(start.X, 10, 1e-9);
  EXPECT_NEAR(start.Y, 0, 1e-9);
  EXPECT_NEAR(end.X, 0, 1e-9);
  EXPECT_NEAR(end.Y, 10, 1e-9);

  canvas.Lines.clear();
  line.DrawMoved(canvas, TRealPoint{100, 200});
  std::tie(start, end) = Ends(canvas.Lines);
  EXPECT_NEAR(start.X, 110, 1e-9);
  EXPECT_NEAR(end.Y, 210, 1e-9);

  // Scaled by 2 and turned a quarter: the arc starts at (0, 20) and ends at
  // (-20, 0); the element itself stays as it was.
  canvas.Lines.clear();
  TAffineMatrix m;
  m.a = 0, m.b = -2, m.c = 0;
  m.d = 2, m.e = 0, m.f = 0;
  m.s = 2;
  line.DrawTransformed(canvas, m);
  std::tie(start, end) = Ends(canvas.Lines);
  EXPECT_NEAR(start.X, 0, 1e-9);
  EXPECT_NEAR(start.Y, 20, 1e-9);
  EXPECT_NEAR(end.X, -20, 1e-9);
  EXPECT_NEAR(end.Y, 0, 1e-9);
  EXPECT_EQ(line.BentRadius, 10);
  EXPECT_NEAR(line.P1.X, 10, 1e-12);
}

TEST_F(DefElementsTest, TransformScalesTheBentRadiusAndCloneKeepsIt) {
  TLLinia line(Rec(2, 0, 2, 4));
  line.BendAroundCircle(10, 0);
  TAffineMatrix m;
  m.a = m.e = m.s = 3;
  line.Transform(m);
  EXPECT_DOUBLE_EQ(line.BentRadius, 36);
  EXPECT_NEAR(line.P1.X, 36, 1e-12);
  std::unique_ptr<TEGraphObj> clone = line.Clone();
  auto* copy = dynamic_cast<TLLinia*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->IsBent());
  EXPECT_EQ(copy->BentRadius, line.BentRadius);
  EXPECT_EQ(copy->BentSweep, line.BentSweep);
}

TEST_F(DefElementsTest, StraightStyleLineDrawsAsALine) {
  TLLinia line(Rec(1, 2, 3, 4));
  line.DrawMoved(canvas, TRealPoint{10, 10});
  ASSERT_EQ(canvas.Lines.size(), 1u);
  EXPECT_EQ(canvas.Lines[0].X1, 11);
  EXPECT_EQ(canvas.Lines[0].Y2, 14);
}

// A dot of a line style (an element of length 0 on a line parallel to the
// style) bent onto a circle has sweep 0; it must stay a dot on the circle
// rather than turn back into a straight line from its point to the centre.
TEST_F(DefElementsTest, BentZeroLengthElementStaysADotNotALineToTheCentre) {
  TLLinia dot(Rec(0, 2, 0, 2));
  dot.BendAroundCircle(10, 0);
  EXPECT_TRUE(dot.IsBent());
  EXPECT_EQ(dot.BentSweep, 0);
  dot.DrawMoved(canvas, TRealPoint{50, 50});
  ASSERT_EQ(canvas.Lines.size(), 1u);
  const Segment& s = canvas.Lines[0];
  EXPECT_EQ(s.X1, s.X2);
  EXPECT_EQ(s.Y1, s.Y2);
  EXPECT_NEAR(s.X1, 50 + 10 * std::cos(0.2), 1e-9);
  EXPECT_NEAR(s.Y1, 50 + 10 * std::sin(0.2), 1e-9);
}

}  // namespace
