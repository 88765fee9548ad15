#include "view/baseline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "drawing/dim_fixture.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"
#include "view/krzyzconf.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTolerance = 1e-9;

double Radians(double Degrees) { return Degrees * 2.0 * kPi / 360.0; }

// The code of the program error F raises; -1 when it raises none.
int ErrorCode(const std::function<void()>& F) {
  try {
    F();
  } catch (const ETolvikaError& e) {
    return e.Code;
  }
  return -1;
}

constexpr int kZeroLength = static_cast<int>(TolvikaErrorCode::PreviousLineZero);
constexpr int kComputation = static_cast<int>(TolvikaErrorCode::BaseLineComputation);

void ExpectNear(const TRealPoint& P, double X, double Y, const std::string& What) {
  EXPECT_NEAR(P.X, X, kTolerance) << What;
  EXPECT_NEAR(P.Y, Y, kTolerance) << What;
}

// Lengths in the messages are written with two decimals.
class BaseLineTest : public ::testing::Test {
protected:
  BaseLineTest() : savedDecimals(KrzyzConf().Decimals) { KrzyzConf().Decimals = 2; }
  ~BaseLineTest() override { KrzyzConf().Decimals = savedDecimals; }

  std::int32_t savedDecimals;
};

TEST_F(BaseLineTest, NewLineIsShownRedAtScaleOneAndRefusesEndsThatMeet) {
  TBaseLine line({10, 20}, {13, 24});
  EXPECT_TRUE(line.Visible());
  EXPECT_EQ(line.Colour, 0x0000FFu);
  EXPECT_EQ(line.K, 1.0);
  EXPECT_DOUBLE_EQ(line.Distance2D(), 5.0);

  // A picked line with one end dragged onto the other has no direction.
  EXPECT_EQ(ErrorCode([] { TBaseLine({10, 20}, {10, 20}); }), kZeroLength);
  EXPECT_EQ(ErrorCode([] { TBaseLine({0, 0}, {0, 0}); }), kZeroLength);
  EXPECT_EQ(ErrorCode([] { TBaseLine({0, 0}, {INFINITY, 0}); }), kComputation);
}

TEST_F(BaseLineTest, PointByDistancesLiesRightOfTheLineAndOnItWhereTheDistancesJustMeet) {
  // Base line 0 -> 10 northwards: right is east (+Y).
  struct Row {
    const char* What;
    double D1, D2;
    double X, Y;
  };
  const Row rows[] = {
      {"halves give the midpoint", 5, 5, 5, 0},
      {"no distance from point 1 is point 1", 0, 10, 0, 0},
      {"no distance from point 2 is point 2", 10, 0, 10, 0},
      {"a right triangle 6-8-10", 6, 8, 3.6, 4.8},
      {"beyond point 2 on the prolongation", 14, 4, 14, 0},
      {"equal distances meet on the perpendicular bisector", 13, 13, 5, 12},
  };
  TBaseLine line({0, 0}, {10, 0});
  for (const Row& r : rows) {
    TRealPoint p;
    line.BaseLinePointByDistances(r.D1, r.D2, p);
    ExpectNear(p, r.X, r.Y, r.What);
  }

  // The same on an oblique line: the point keeps its distances and stays
  // on the right (a positive cross product of direction and offset).
  TBaseLine oblique({100, 200}, {103, 204});
  TRealPoint p;
  oblique.BaseLinePointByDistances(4, 3, p);
  EXPECT_NEAR(std::hypot(p.X - 100, p.Y - 200), 4, kTolerance);
  EXPECT_NEAR(std::hypot(p.X - 103, p.Y - 204), 3, kTolerance);
  EXPECT_GT(3 * (p.Y - 200) - 4 * (p.X - 100), 0) << "the point must lie right of the line";

  // Distances that cannot meet.
  EXPECT_EQ(ErrorCode([&] { line.BaseLinePointByDistances(2, 3, p); }), kComputation);
  EXPECT_EQ(ErrorCode([&] { line.BaseLinePointByDistances(30, 3, p); }), kComputation);
}

TEST_F(BaseLineTest, DistancesThatJustMeetAreNotRefusedForARoundingError) {
  // Lines whose distances add up to their length: the check accepts them,
  // and the rounding of the squares leaves the area term a hair below zero.
  struct Row {
    int Step;
    double Fraction;
  };
  const Row rows[] = {{2, 0.7}, {4, 0.7}, {6, 0.3}, {8, 0.7}, {11, 0.3}};
  for (const Row& r : rows) {
    const TRealPoint p1{1000.1, 2000.3};
    const TRealPoint p2{p1.X + r.Step * 0.37, p1.Y + r.Step * 0.11};
    TBaseLine line(p1, p2);
    const double l = line.Distance2D();
    const double d1 = l * r.Fraction;
    const double d2 = l - d1;
    std::string message;
    ASSERT_FALSE(line.CheckBaseLineMeasures(d1, d2, message)) << message;
    TRealPoint p;
    ASSERT_EQ(ErrorCode([&] { line.BaseLinePointByDistances(d1, d2, p); }), -1) << r.Step;
    EXPECT_NEAR(p.X, p1.X + (p2.X - p1.X) * r.Fraction, 1e-6) << r.Step;
    EXPECT_NEAR(p.Y, p1.Y + (p2.Y - p1.Y) * r.Fraction, 1e-6) << r.Step;
  }
}

TEST_F(BaseLineTest, PointByAnglesAndTheParallelRaysThatGiveNone) {
  TBaseLine line({0, 0}, {10, 0});
  TRealPoint p;
  line.BaseLinePointByAngles(kPi / 4, kPi / 4, p);
  ExpectNear(p, 5, 5, "45 and 45 degrees");
  line.BaseLinePointByAngles(kPi / 2, kPi / 4, p);
  ExpectNear(p, 0, 10, "a right angle at point 1");
  line.BaseLinePointByAngles(std::atan2(4.0, 3.0), std::atan2(4.0, 7.0), p);
  ExpectNear(p, 3, 4, "an oblique pair");

  struct Row {
    const char* What;
    double Alpha, Beta;
  };
  const Row refused[] = {
      {"zero at point 1", 0, 1},
      {"zero at point 2", 1, 0},
      // Both perpendicular: cos(pi/2) is not exactly 0, so both cotangents
      // are tiny but not zero and their sum is all rounding.
      {"two right angles", kPi / 2, kPi / 2},
      {"5 and 175 degrees", Radians(5), Radians(175)},
      {"0.3 and pi - 0.3", 0.3, kPi - 0.3},
      {"mirrored angles", -0.5, 0.5},
  };
  for (const Row& r : refused) {
    p = TRealPoint{7, 7};
    EXPECT_EQ(ErrorCode([&] { line.BaseLinePointByAngles(r.Alpha, r.Beta, p); }), kComputation)
        << r.What << ": " << p.X << ", " << p.Y;
  }
}

TEST_F(BaseLineTest, OffsetsScaleOnlyTheRunningMeasureAndReverseMirrorsThePoint) {
  TBaseLine line({0, 0}, {10, 0});
  TRealPoint p;
  line.BaseLinePointByOffsets(3, 2, p);
  ExpectNear(p, 3, 2, "unscaled");
  line.BaseLinePointByOffsets(3, -2, p);
  ExpectNear(p, 3, -2, "a negative offset goes left");

  line.SetMeasuredLength(5);  // the line is twice as long as measured
  EXPECT_DOUBLE_EQ(line.K, 2.0);
  line.BaseLinePointByOffsets(3, 2, p);
  ExpectNear(p, 6, 2, "the running measure scaled, the offset not");
  line.SetMeasuredLength(0);
  EXPECT_DOUBLE_EQ(line.K, 2.0) << "a measured length of 0 keeps the factor";

  TBaseLine fresh({0, 0}, {10, 0});
  fresh.SetMeasuredLength(0);
  EXPECT_EQ(fresh.K, 1.0);

  // Reversed, the same values give the point mirrored through the middle:
  // measured from the other end and on the other side.
  TBaseLine oblique({100, 200}, {130, 240});
  TRealPoint before;
  oblique.BaseLinePointByOffsets(12, 7, before);
  oblique.Reverse();
  EXPECT_EQ(oblique.X1, 130);
  EXPECT_EQ(oblique.Y2, 200);
  TRealPoint after;
  oblique.BaseLinePointByOffsets(12, 7, after);
  ExpectNear(after, 230 - before.X, 440 - before.Y, "mirrored");
}

TEST_F(BaseLineTest, OffsetAtEitherEndAndThePolarPoint) {
  TBaseLine line({0, 0}, {3, 4});
  TRealPoint p;
  line.OffsetAtEnd(true, 5, p);
  ExpectNear(p, -4, 3, "right of point 1");
  line.OffsetAtEnd(false, 5, p);
  ExpectNear(p, -1, 7, "right of point 2");
  line.OffsetAtEnd(false, -5, p);
  ExpectNear(p, 7, 1, "left of point 2");

  TBaseLine north({0, 0}, {10, 0});
  struct Row {
    const char* What;
    double D, A;
    double X, Y;
  };
  const Row rows[] = {
      {"along the line", 4, 0, 4, 0},
      {"a right angle clockwise is right", 4, kPi / 2, 0, 4},
      {"back along the line", 4, kPi, -4, 0},
      {"a right angle counter-clockwise is left", 4, -kPi / 2, 0, -4},
  };
  for (const Row& r : rows) {
    north.BaseLineByDistanceAngle(r.D, r.A, p);
    ExpectNear(p, r.X, r.Y, r.What);
  }
}

TEST_F(BaseLineTest, EveryComputationRefusesALineShrunkToNoLength) {
  // A base line whose ends were set onto one another after it was made.
  TBaseLine line({0, 0}, {10, 0});
  line.X2 = 0;
  TRealPoint p{7, 7};
  const std::function<void()> computations[] = {
      [&] { line.OffsetAtEnd(true, 1, p); },
      [&] { line.OffsetAtEnd(false, 1, p); },
      [&] { line.BaseLinePointByOffsets(1, 1, p); },
      [&] { line.BaseLinePointByDistances(1, 1, p); },
      [&] { line.BaseLinePointByDistances(0, 0, p); },
      [&] { line.BaseLinePointByAngles(1, 1, p); },
      [&] { line.BaseLineByDistanceAngle(1, 1, p); },
  };
  for (std::size_t i = 0; i < std::size(computations); ++i) {
    EXPECT_EQ(ErrorCode(computations[i]), kZeroLength) << "computation " << i;
    ExpectNear(p, 7, 7, "the point is left alone");
  }

  // Ends so close that the square of the length is 0.
  TBaseLine tiny({0, 0}, {1e-170, 0});
  EXPECT_EQ(ErrorCode([&] { tiny.BaseLinePointByDistances(1e-170, 1e-170, p); }), kZeroLength);
}

TEST_F(BaseLineTest, MeasuresCheckNamesTheFormattedLength) {
  TBaseLine line({0, 0}, {3, 4});
  struct Row {
    double D1, D2;
    const char* Message;  // empty: accepted
  };
  const Row rows[] = {
      {2, 2.5, "Suma miar przy punktach 1 i 2 musi być większa niż długość linii bazowej (5.00)"},
      {1, 7, "Suma miary przy punktcie 1 i długości linii bazowej (5.00) musi być większa niż miara przy punktcie 2"},
      {7, 1, "Suma miary przy punktcie 2 i długości linii bazowej (5.00) musi być większa niż miara przy punktcie 1"},
      {3, 4, ""},
      {2, 3, ""},  // the sum equals the length: the point on the line
      {6, 1, ""},  // on the prolongation
      {0, 5, ""},
  };
  for (const Row& r : rows) {
    std::string message;
    EXPECT_EQ(line.CheckBaseLineMeasures(r.D1, r.D2, message), *r.Message != '\0')
        << r.D1 << " " << r.D2;
    EXPECT_EQ(message, r.Message);
  }
  std::string message;
  EXPECT_FALSE(line.CheckBaseLineOffsets(-1e9, 1e9, message));
  EXPECT_EQ(message, "");
}

TEST_F(BaseLineTest, AnglesCheckRefusesZeroAnglesAndSumsNotBelowAStraightAngle) {
  TBaseLine line({0, 0}, {10, 0});
  const std::string zero = "Kąty nie mogą być zerowe";
  const std::string sum = "Suma kątów musi być mniejsza od kąta półpełnego";
  struct Row {
    double Alpha, Beta;
    std::string Message;
  };
  const Row rows[] = {
      {0, 1, zero},
      {1, 0, zero},
      {0.3, kPi - 0.3, sum},
      {kPi / 2, kPi / 2, sum},
      {2, 2, sum},
      // Typed as 5 and 175 degrees: the radians add up a rounding error
      // short of pi, and the rays are parallel all the same.
      {Radians(5), Radians(175), sum},
      {Radians(16), Radians(164), sum},
      {Radians(30), Radians(60), ""},
      {0.3, kPi - 0.4, ""},
  };
  for (const Row& r : rows) {
    std::string message;
    EXPECT_EQ(line.CheckBaseLineAngles(r.Alpha, r.Beta, message), !r.Message.empty())
        << r.Alpha << " " << r.Beta;
    EXPECT_EQ(message, r.Message);
    // What the check accepts the computation can take.
    if (r.Message.empty()) {
      TRealPoint p;
      EXPECT_EQ(ErrorCode([&] { line.BaseLinePointByAngles(r.Alpha, r.Beta, p); }), -1);
    }
  }
}

TEST_F(BaseLineTest, EquationAndCrossingWithAnotherLine) {
  TBaseLine line({1, 2}, {4, 6});
  TLineEquation e;
  line.BaseLineEquation(e);
  EXPECT_EQ(e.A, -4.0L);
  EXPECT_EQ(e.B, 3.0L);
  EXPECT_EQ(e.C, -2.0L);  // -(-4·1) - 3·2
  EXPECT_EQ(e.A * 4 + e.B * 6 + e.C, 0.0L);

  TRealPoint p;
  line.IntersectLine(TLineEquation{1, 0, -7}, p);  // X = 7
  ExpectNear(p, 7, 10, "crossing X = 7");
  line.IntersectLine(TLineEquation{0, 1, -2}, p);  // Y = 2
  ExpectNear(p, 1, 2, "crossing at point 1");

  p = TRealPoint{5, 5};
  line.IntersectLine(TLineEquation{-8, 6, 100}, p);  // parallel
  EXPECT_EQ(p.X, 0.0);
  EXPECT_EQ(p.Y, 0.0);
  p = TRealPoint{5, 5};
  line.IntersectLine(e, p);  // the line itself
  EXPECT_EQ(p.X, 0.0);
  EXPECT_EQ(p.Y, 0.0);
}

// World X 0..100 up, Y 0..200 right on 200 x 100 pixels: (X, Y) at device
// (Y, 100 - X).
TEST(BaseLinePaintTest, PaintsASolidRedLineAndTheEndNumbers) {
  platform::EnsureApplication();
  TWindowDim dims = MakeDim(0, 0, 100, 200, 200, 100);
  TKonfiguracja konf;
  platform::TBitmap bitmap{200, 100};
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Pen->SetColor(platform::clBlack);
  canvas.Pen->SetStyle(platform::psDot);

  TBaseLine line({20, 100}, {80, 100});  // device column 100, rows 80 up to 20
  line.Paint(canvas);
  canvas.FlushLines();

  // Solid and in the colour all along, two pixels wide, whatever the pen
  // held before.
  for (int y = 35; y <= 75; ++y) {
    EXPECT_EQ(bitmap.Pixel(100, y), platform::clRed) << y;
    EXPECT_TRUE(bitmap.Pixel(99, y) == platform::clRed || bitmap.Pixel(101, y) == platform::clRed)
        << y;
  }
  EXPECT_EQ(bitmap.Pixel(90, 50), platform::clWhite);
  EXPECT_EQ(bitmap.Pixel(110, 50), platform::clWhite);
  EXPECT_EQ(bitmap.Pixel(100, 5), platform::clWhite);
  EXPECT_EQ(bitmap.Pixel(100, 95), platform::clWhite);

  // "1" at point 1, "2" at point 2: red pixels beside each end.
  const auto redBeside = [&](int Row) {
    int n = 0;
    for (int y = Row - 12; y <= Row + 12; ++y)
      for (int x = 103; x < 125; ++x) n += bitmap.Pixel(x, y) == platform::clRed;
    return n;
  };
  EXPECT_GT(redBeside(80), 0);
  EXPECT_GT(redBeside(20), 0);
}

}  // namespace
