#include "drawing/windowdim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <ostream>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "dim_fixture.h"

// Readable failure messages for the point types.
static void PrintTo(const TPoint& P, std::ostream* Os) { *Os << "(" << P.X << ", " << P.Y << ")"; }
static void PrintTo(const TRealPoint& P, std::ostream* Os) {
  *Os << std::setprecision(17) << "(" << P.X << ", " << P.Y << ")";
}

namespace {

constexpr double kPi = std::numbers::pi;

class FakeControl : public TClientAreaControl {
public:
  FakeControl(int W, int H) : W(W), H(H) {}
  int ClientWidth() const override { return W; }
  int ClientHeight() const override { return H; }
  int W;
  int H;
};

void ExpectWindow(const TWindowDim& Dim, double X1, double Y1, double X2, double Y2,
                  double Tolerance = 1e-9) {
  EXPECT_NEAR(Dim.X1, X1, Tolerance);
  EXPECT_NEAR(Dim.Y1, Y1, Tolerance);
  EXPECT_NEAR(Dim.X2, X2, Tolerance);
  EXPECT_NEAR(Dim.Y2, Y2, Tolerance);
}

TEST(WindowDimTest, NewObjectState) {
  FakeControl control(10, 10);
  TWindowDim dim(&control);
  ExpectWindow(dim, 0, 0, 100, 100, 0);
  EXPECT_EQ(dim.ScaleX, 0.0);
  EXPECT_EQ(dim.ScaleY, 0.0);
  EXPECT_EQ(dim.Width, 0);
  EXPECT_EQ(dim.Height, 0);
  EXPECT_EQ(dim.MinExtent, 0.0);
  EXPECT_EQ(dim.Angle(), 0.0);
  EXPECT_FALSE(dim.Rotated());
  EXPECT_EQ(dim.Control, &control);
  EXPECT_EQ(dim.GetDevice(), nullptr);
}

TEST(WindowDimTest, FirstSizingFitsInitialWindowIntoControl) {
  FakeControl control(502, 302);
  TWindowDim dim(&control);
  dim.SetClientSize(502, 302);
  // (0, 0)-(100, 100) fitted into 500 x 300 pixels: 3 pixels a unit both ways.
  EXPECT_DOUBLE_EQ(dim.ScaleX, 3.0);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 3.0);
  // The stored window covers all 502 x 302 pixels about the same centre.
  EXPECT_NEAR(dim.X2 - dim.X1, 302.0 / 3, 1e-9);
  EXPECT_NEAR(dim.Y2 - dim.Y1, 502.0 / 3, 1e-9);
  EXPECT_NEAR((dim.X1 + dim.X2) * 0.5, 50.0, 1e-9);
  EXPECT_NEAR((dim.Y1 + dim.Y2) * 0.5, 50.0, 1e-9);
  EXPECT_GT(dim.MinExtent, 0.0);
  // The same size again changes nothing.
  const TWindowDim before = dim;
  dim.SetClientSize(502, 302);
  ExpectWindow(dim, before.X1, before.Y1, before.X2, before.Y2, 0);
}

TEST(WindowDimTest, UnrotatedCornersMapToDeviceCorners) {
  const TWindowDim dim = MakeDim(5500000, 7400000, 5500100, 7400200, 400, 200);
  EXPECT_EQ(dim.WorldToDevicePt(RealPoint(dim.X1, dim.Y1)), (TPoint{0, 200}));
  EXPECT_EQ(dim.WorldToDevicePt(RealPoint(dim.X2, dim.Y2)), (TPoint{400, 0}));
  EXPECT_EQ(dim.DeviceToWorldPt(TPoint{0, 200}), RealPoint(5500000, 7400000));
  EXPECT_EQ(dim.DeviceToWorldPt(TPoint{400, 0}), RealPoint(5500100, 7400200));
}

struct ConversionCase {
  std::string Name;
  double X1, Y1, X2, Y2;
  int W, H;
  double Angle;
  // P relative to the window's centre.
  double DX, DY;
  TPoint Expected;
};

TEST(WindowDimTest, WorldToDeviceTable) {
  const std::vector<ConversionCase> cases = {
      // Not rotated: 2 pixels a unit; 0.5 pixels a unit; map coordinates.
      {"plain", 1000, 2000, 1100, 2200, 400, 200, 0, 0, 0, {200, 100}},
      {"plain_offset", 1000, 2000, 1100, 2200, 400, 200, 0, 10, -25, {150, 80}},
      {"half_scale", 0, 0, 400, 800, 400, 200, 0, -100, -100, {150, 150}},
      {"map", 5500000, 7400000, 5500050, 7400100, 1000, 500, 0, 12.34, 5.67, {557, 127}},
      // Exact halves round to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
      {"half_even_up", 0, 0, 400, 800, 400, 200, 0, -195, -395, {2, 198}},
      {"half_odd_up", 0, 0, 400, 800, 400, 200, 0, -193, -393, {4, 196}},
      {"half_negative", 0, 0, 400, 800, 400, 200, 0, 205, -405, {-2, -2}},
      // Rotated about the centre (device centre (200, 100)); a positive angle
      // turns the image clockwise.
      {"quarter_right_goes_down", 0, 0, 100, 200, 400, 200, kPi / 2, 0, 1, {200, 102}},
      {"quarter_up_goes_right", 0, 0, 100, 200, 400, 200, kPi / 2, 1, 0, {202, 100}},
      {"half_turn", 0, 0, 100, 200, 400, 200, kPi, 1, 0, {200, 102}},
      {"minus_quarter", 0, 0, 100, 200, 400, 200, -kPi / 2, 1, 0, {198, 100}},
      {"thirty_degrees", 0, 0, 100, 200, 400, 200, kPi / 6, 2, 0, {202, 97}},
      // Odd size: x = Round(200.5) = 200, y = 201 div 2 = 100.
      {"odd_size_centre", 0, 0, 100, 200, 401, 201, kPi / 4, 0, 0, {200, 100}},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TWindowDim dim = MakeDim(c.X1, c.Y1, c.X2, c.Y2, c.W, c.H, c.Angle);
    const TRealPoint p = RealPoint((c.X1 + c.X2) * 0.5 + c.DX, (c.Y1 + c.Y2) * 0.5 + c.DY);
    EXPECT_EQ(dim.WorldToDevicePt(p), c.Expected);
    const TRealPoint real = dim.WorldToDeviceReal(p);
    EXPECT_NEAR(real.X, c.Expected.X, 0.5);
    EXPECT_NEAR(real.Y, c.Expected.Y, 0.5);
  }
}

// Every device pixel, turned into a world point and back, lands on itself,
// also with odd device sizes and rotations.
TEST(WindowDimTest, RotatedOddHeightRoundTripDoesNotShiftHalfPixel) {
  const std::vector<double> angles = {0.0, 0.3, kPi / 2, kPi, -1.1};
  const std::vector<std::pair<int, int>> sizes = {{400, 200}, {401, 201}, {400, 201}, {7, 5}};
  const std::vector<double> scales = {0.37, 2.0, 1000.0};
  for (double angle : angles)
    for (auto [w, h] : sizes)
      for (double scale : scales) {
        SCOPED_TRACE("angle " + std::to_string(angle) + " size " + std::to_string(w) + "x" +
                     std::to_string(h) + " scale " + std::to_string(scale));
        const TWindowDim dim =
            MakeDim(5500000, 7400000, 5500000 + h / scale, 7400000 + w / scale, w, h, angle);
        for (int y = -3; y <= h + 3; y += 2)
          for (int x = -3; x <= w + 3; x += 3) {
            const TPoint d{x, y};
            ASSERT_EQ(dim.WorldToDevicePt(dim.DeviceToWorldPt(d)), d);
            const TRealPoint real = dim.WorldToDeviceReal(dim.DeviceToWorldReal(RealPoint(x, y)));
            ASSERT_NEAR(real.X, x, 1e-6);
            ASSERT_NEAR(real.Y, y, 1e-6);
          }
      }
  // The world point at the centre of an odd-height rotated view comes back
  // where it was, not half a pixel away.
  const TWindowDim dim = MakeDim(0, 0, 201, 400, 400, 201, 0.5);
  const TRealPoint centre = RealPoint(100.5, 200);
  const TRealPoint back = dim.DeviceToWorldPt(dim.WorldToDevicePt(centre));
  EXPECT_NEAR(back.X, centre.X, 1e-9);
  EXPECT_NEAR(back.Y, centre.Y, 1e-9);
}

TEST(WindowDimTest, FarPointSaturatesInsteadOfWrapping) {
  const TWindowDim dim = MakeDim(0, 0, 0.001, 0.002, 2000, 1000);  // 1e6 pixels a unit
  const TPoint right = dim.WorldToDevicePt(RealPoint(0, 1e4));
  const TPoint left = dim.WorldToDevicePt(RealPoint(0, -1e4));
  const TPoint farAway = dim.WorldToDevicePt(RealPoint(1e300, -1e300));
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(right.X, kMax);
  EXPECT_EQ(left.X, kMin);
  EXPECT_EQ(farAway, (TPoint{kMin, kMin}));
  EXPECT_EQ(dim.WorldLengthToPixels(1e4), kMax);
  EXPECT_EQ(dim.WorldDeltaToDevice(RealPoint(-1e4, 1e4)), (TPoint{kMax, kMin}));
}

TEST(WindowDimTest, VectorsAndSizes) {
  TWindowDim dim = MakeDim(0, 0, 100, 100, 300, 200);  // ScaleX 2, ScaleY 3
  // A world vector pointing up gives a positive device y: sizes, not directions.
  EXPECT_EQ(dim.WorldVectorToDevice(RealPoint(1, 0)), (TPoint{0, 2}));
  EXPECT_EQ(dim.WorldVectorToDevice(RealPoint(-1.25, 0.5)), (TPoint{2, -2}));  // 1.5 -> 2, -2.5 -> -2
  EXPECT_EQ(dim.WorldDeltaToDevice(RealPoint(-1.25, 0.5)), (TPoint{2, -2}));
  EXPECT_EQ(dim.WorldDeltaToDeviceReal(RealPoint(1, 1)), RealPoint(3, 2));
  EXPECT_EQ(dim.DeviceVectorToWorld(TPoint{3, 2}), RealPoint(1, 1));
  EXPECT_EQ(dim.DeviceToWorldSize(TPoint{8, 8}), RealPoint(4, 8.0 / 3));

  dim.SetAngle(kPi / 2);
  // Turned: world up becomes device right; the delta forms ignore the angle.
  EXPECT_EQ(dim.WorldVectorToDevice(RealPoint(1, 0)), (TPoint{3, 0}));
  EXPECT_EQ(dim.WorldDeltaToDevice(RealPoint(1, 0)), (TPoint{0, 2}));
  const TRealPoint back = dim.DeviceVectorToWorld(TPoint{3, 0});
  EXPECT_NEAR(back.X, 1.0, 1e-12);
  EXPECT_NEAR(back.Y, 0.0, 1e-12);
  EXPECT_EQ(dim.DeviceToWorldSize(TPoint{3, 0}), RealPoint(0, 1));
}

TEST(WindowDimTest, LengthsAndScale) {
  const TWindowDim dim = MakeDim(0, 0, 100, 100, 300, 200);  // ScaleX 2, ScaleY 3
  EXPECT_DOUBLE_EQ(dim.GetScale(), 2.5);
  EXPECT_EQ(dim.WorldLengthToPixels(1), 2);   // 2.5 -> 2
  EXPECT_EQ(dim.WorldLengthToPixels(3), 8);   // 7.5 -> 8
  EXPECT_EQ(dim.WorldLengthToPixels(-1), -2);
  EXPECT_EQ(dim.WorldLengthToPixels(0.19), 0);
  EXPECT_EQ(dim.WorldLengthToPixels(0.21), 1);
}

TEST(WindowDimTest, DiagonalRatio) {
  EXPECT_DOUBLE_EQ(TWindowDim::DiagonalRatio(3, 4), 5.0 / 3);
  EXPECT_DOUBLE_EQ(TWindowDim::DiagonalRatio(4, 3), 5.0 / 3);
  EXPECT_DOUBLE_EQ(TWindowDim::DiagonalRatio(2, 2), std::sqrt(2.0));
}

TEST(WindowDimTest, WindowTests) {
  const TWindowDim dim = MakeDim(0, 0, 10, 20, 200, 100);
  EXPECT_TRUE(dim.PointInWindow(RealPoint(0, 0)));
  EXPECT_TRUE(dim.PointInWindow(RealPoint(10, 20)));
  EXPECT_TRUE(dim.PointInWindow(RealPoint(5, 20)));
  EXPECT_FALSE(dim.PointInWindow(RealPoint(10.001, 5)));
  EXPECT_FALSE(dim.PointInWindow(RealPoint(5, -0.001)));

  EXPECT_TRUE(dim.RectVisible(RealRect(-5, -5, 1, 1)));
  EXPECT_TRUE(dim.RectVisible(RealRect(-5, -5, 50, 50)));
  EXPECT_FALSE(dim.RectVisible(RealRect(10, 0, 15, 20)));   // touches the top edge
  EXPECT_FALSE(dim.RectVisible(RealRect(-5, -5, 0, 0)));    // touches a corner
  EXPECT_FALSE(dim.RectVisible(RealRect(2, 21, 3, 22)));

  EXPECT_TRUE(dim.RectInWindow(RealRect(0, 0, 10, 20)));
  EXPECT_TRUE(dim.RectInWindow(RealRect(1, 1, 2, 2)));
  EXPECT_FALSE(dim.RectInWindow(RealRect(-1, 1, 2, 2)));

  EXPECT_TRUE(dim.RectCoversWindow(RealRect(-1, -1, 11, 21)));
  EXPECT_FALSE(dim.RectCoversWindow(RealRect(0, -1, 11, 21)));  // shares the bottom edge
  EXPECT_FALSE(dim.RectCoversWindow(RealRect(1, 1, 2, 2)));
}

TEST(WindowDimTest, FitWindowWidensTheShortSideAboutItsCentre) {
  FakeControl control(402, 202);
  TWindowDim dim(&control);
  dim.Width = 402;
  dim.Height = 202;
  // 400 x 200 pixels inside the border. A wide rectangle: the X extent
  // (vertical) grows to dY / (w / h) = 200 about its centre.
  ASSERT_TRUE(dim.FitWindow(RealRect(0, 0, 100, 400)));
  EXPECT_DOUBLE_EQ(dim.ScaleX, 1.0);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 1.0);
  ExpectWindow(dim, -51, -1, 151, 401);
  // A square one: the Y extent grows instead.
  ASSERT_TRUE(dim.FitWindow(RealRect(0, 0, 100, 100)));
  EXPECT_DOUBLE_EQ(dim.ScaleX, 2.0);
  ExpectWindow(dim, -0.5, -50.5, 100.5, 150.5);
  // Fitting the same rectangle again gives the current window.
  EXPECT_FALSE(dim.FitWindow(RealRect(0, 0, 100, 100)));
  // Rotated, the window covers the whole turned device.
  dim.SetAngle(0.2);
  ASSERT_TRUE(dim.FitWindow(RealRect(0, 0, 50, 50)));
  EXPECT_DOUBLE_EQ(dim.ScaleX, 4.0);
  const double k = TWindowDim::DiagonalRatio(50.5, 100.5);
  EXPECT_NEAR(dim.X2 - dim.X1, 50.5 * k, 1e-9);
  EXPECT_NEAR(dim.Y2 - dim.Y1, 100.5 * k, 1e-9);
  EXPECT_NEAR((dim.X1 + dim.X2) * 0.5, 25, 1e-9);
  EXPECT_NEAR((dim.Y1 + dim.Y2) * 0.5, 25, 1e-9);
}

TEST(WindowDimTest, FitWindowCutsExtentAboveLimit) {
  FakeControl control(102, 102);
  TWindowDim dim(&control);
  dim.Width = 102;
  dim.Height = 102;
  ASSERT_TRUE(dim.FitWindow(RealRect(0, 0, 5e12, 5e12)));
  EXPECT_DOUBLE_EQ(dim.ScaleX, 100 / 1e12);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 100 / 1e12);
  EXPECT_NEAR((dim.X1 + dim.X2) * 0.5, 0.5e12, 1);
}

TEST(WindowDimTest, FitWindowRefusals) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::pair<std::string, TRealRect>> refused = {
      {"empty", TRealRect{0, 0, 0, 10}},
      {"inverted", TRealRect{10, 0, 0, 10}},
      {"below_min_extent", TRealRect{0, 0, 1e-9, 1e-9}},
      {"nan", TRealRect{0, 0, nan, 10}},
      {"infinite", TRealRect{0, 0, std::numeric_limits<double>::infinity(), 10}},
  };
  FakeControl control(402, 202);
  TWindowDim dim(&control);
  dim.SetClientSize(402, 202);
  ASSERT_GT(dim.MinExtent, 1e-9);
  const TWindowDim before = dim;
  for (const auto& [name, r] : refused) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(dim.FitWindow(r));
    ExpectWindow(dim, before.X1, before.Y1, before.X2, before.Y2, 0);
    EXPECT_EQ(dim.ScaleX, before.ScaleX);
  }
}

// A minimised window or a control of two pixels leaves no client area: the
// fit must not store zero, negative or infinite scales.
TEST(WindowDimTest, FitWindowWithoutClientAreaKeepsWindow) {
  FakeControl control(2, 0);
  TWindowDim dim(&control);
  dim.SetClientSize(2, 0);
  ExpectWindow(dim, 0, 0, 100, 100, 0);
  EXPECT_EQ(dim.ScaleX, 0.0);
  EXPECT_EQ(dim.ScaleY, 0.0);
  // Restored: the next sizing fits the window.
  control.W = 202;
  control.H = 102;
  dim.SetClientSize(202, 102);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 1.0);

  // Without a control, FitWindow does nothing.
  TWindowDim bare;
  bare.Width = 100;
  bare.Height = 100;
  EXPECT_FALSE(bare.FitWindow(RealRect(0, 0, 10, 10)));
  ExpectWindow(bare, 0, 0, 100, 100, 0);
  EXPECT_EQ(bare.ScaleX, 0.0);
}

TEST(WindowDimTest, SetWorldRectScalesEachAxis) {
  TWindowDim dim = MakeDim(0, 0, 100, 100, 300, 200);
  dim.UpdateMinExtent();
  ASSERT_TRUE(dim.SetWorldRect(RealRect(10, 20, 60, 320)));
  ExpectWindow(dim, 10, 20, 60, 320, 0);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 4.0);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 1.0);
  EXPECT_DOUBLE_EQ(dim.MinExtent, (10 + 20 + 60 + 320) * 1e-10);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::pair<std::string, TRealRect>> refused = {
      {"unchanged", RealRect(10, 20, 60, 320)},
      {"empty", TRealRect{0, 0, 10, 0}},
      {"inverted", TRealRect{10, 0, 0, 10}},
      {"below_min_extent", RealRect(0, 0, 1e-9, 10)},
      {"above_limit", RealRect(0, 0, 10, 2e12)},
      {"nan", TRealRect{nan, 0, 10, 10}},
  };
  for (const auto& [name, r] : refused) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(dim.SetWorldRect(r));
    ExpectWindow(dim, 10, 20, 60, 320, 0);
    EXPECT_DOUBLE_EQ(dim.ScaleX, 4.0);
  }
}

TEST(WindowDimTest, ZoomAboutCentre) {
  TWindowDim dim = MakeDim(0, 0, 100, 200, 400, 200);  // ScaleX 2, ScaleY 2
  dim.Zoom(0.5);
  ExpectWindow(dim, 25, 50, 75, 150, 0);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 4.0);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 4.0);
  dim.Zoom(2);
  ExpectWindow(dim, 0, 0, 100, 200, 0);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 2.0);

  // 1.0 keeps the window and recomputes the smallest extent.
  dim.MinExtent = 5;
  dim.Zoom(1.0);
  ExpectWindow(dim, 0, 0, 100, 200, 0);
  EXPECT_DOUBLE_EQ(dim.MinExtent, 300 * 1e-10);

  // Results outside the allowed extents, and senseless factors, change nothing.
  dim.MinExtent = 30;  // a quarter of the X extent of 100 falls below it
  const std::vector<double> ignored = {0.25, 0.0, -2.0, std::numeric_limits<double>::quiet_NaN(),
                                       std::numeric_limits<double>::infinity(), 1e11};
  for (double f : ignored) {
    SCOPED_TRACE(f);
    dim.Zoom(f);
    ExpectWindow(dim, 0, 0, 100, 200, 0);
    EXPECT_DOUBLE_EQ(dim.ScaleX, 2.0);
    EXPECT_DOUBLE_EQ(dim.MinExtent, 30);
  }
}

TEST(WindowDimTest, SetAngleEnlargesOnlyWhenRotationStarts) {
  TWindowDim dim = MakeDim(0, 0, 100, 100, 200, 200);
  dim.SetAngle(0.1);
  EXPECT_TRUE(dim.Rotated());
  EXPECT_DOUBLE_EQ(dim.Angle(), 0.1);
  const double e = 100 * std::sqrt(2.0);
  ExpectWindow(dim, 50 - e / 2, 50 - e / 2, 50 + e / 2, 50 + e / 2);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 2.0);  // scales unchanged
  dim.SetAngle(0.2);
  ExpectWindow(dim, 50 - e / 2, 50 - e / 2, 50 + e / 2, 50 + e / 2);
  dim.SetAngle(0);
  EXPECT_FALSE(dim.Rotated());
  ExpectWindow(dim, 50 - e / 2, 50 - e / 2, 50 + e / 2, 50 + e / 2);

  // An oblong window grows by its diagonal over its shorter side.
  TWindowDim oblong = MakeDim(0, 0, 30, 40, 400, 300);
  oblong.SetAngle(-0.5);
  ExpectWindow(oblong, 15 - 25, 20 - 100.0 / 3, 15 + 25, 20 + 100.0 / 3);
}

TEST(WindowDimTest, SetClientSizeKeepsLowerLeftAndScales) {
  TWindowDim dim = MakeDim(10, 20, 110, 220, 400, 200);  // ScaleX 2, ScaleY 2
  dim.SetClientSize(600, 100);
  ExpectWindow(dim, 10, 20, 60, 320, 0);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 2.0);
  EXPECT_EQ(dim.Width, 600);
  EXPECT_EQ(dim.Height, 100);

  dim.SetAngle(0.3);
  const double x1 = dim.X1;
  const double y1 = dim.Y1;
  dim.SetClientSize(300, 400);
  const double k = TWindowDim::DiagonalRatio(200, 150);
  ExpectWindow(dim, x1, y1, x1 + 200 * k, y1 + 150 * k);
}

TEST(WindowDimTest, SetDeviceSizeAndSetScales) {
  TWindowDim dim;
  dim.SetDeviceSize(300, 200);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 2.0);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 3.0);
  dim.SetScales(4, 0.5);
  ExpectWindow(dim, 0, 0, 50, 600, 0);
  EXPECT_DOUBLE_EQ(dim.ScaleX, 4.0);
  EXPECT_DOUBLE_EQ(dim.ScaleY, 0.5);
}

TEST(WindowDimTest, UpdateMinExtent) {
  TWindowDim dim = MakeDim(-5500000, 7400000, -5499000, 7401000, 1000, 800);
  dim.UpdateMinExtent();
  EXPECT_DOUBLE_EQ(dim.MinExtent, (5500000 + 7400000 + 5499000 + 7401000) * 1e-10);
  // More than 2^24 - 1 world units a pixel: a fixed fraction of the device.
  TWindowDim huge = MakeDim(0, 0, 1e11, 1e11, 1000, 800);
  huge.UpdateMinExtent();
  EXPECT_DOUBLE_EQ(huge.MinExtent, 1000 * (1.0 / 2147483647) * 128);
}

TEST(WindowDimTest, ViewAlignedRectAndTopLeft) {
  TWindowDim dim = MakeDim(0, 0, 100, 100, 100, 100);
  // Not rotated: the normalised rectangle and its (max X, min Y) corner.
  EXPECT_EQ(dim.ViewAlignedRect(TRealRect{2, 4, 0, 0}), (TRealRect{0, 0, 2, 4}));
  EXPECT_EQ(dim.GetTopLeft(TRealRect{0, 0, 2, 4}), RealPoint(2, 0));

  // A quarter turn: world X runs to the right of the device and world Y down,
  // so the device's lower left corner is (min X, max Y) and its upper right
  // corner (max X, min Y); the top left one is (min X, min Y).
  dim.SetAngle(kPi / 2);
  const TRealRect view = dim.ViewAlignedRect(TRealRect{0, 0, 2, 4});
  EXPECT_NEAR(view.Left, 0, 1e-12);
  EXPECT_NEAR(view.Top, 4, 1e-12);
  EXPECT_NEAR(view.Right, 2, 1e-12);
  EXPECT_NEAR(view.Bottom, 0, 1e-12);
  const TRealPoint topLeft = dim.GetTopLeft(view);
  EXPECT_NEAR(topLeft.X, 0, 1e-12);
  EXPECT_NEAR(topLeft.Y, 0, 1e-12);

  // At any angle, the corners sit where the device shows them.
  dim.SetAngle(0.4);
  const TRealRect turned = dim.ViewAlignedRect(TRealRect{10, 20, 40, 30});
  const TRealPoint lowerLeft = dim.WorldToDeviceReal(RealPoint(turned.Left, turned.Top));
  const TRealPoint upperRight = dim.WorldToDeviceReal(RealPoint(turned.Right, turned.Bottom));
  const TRealPoint tl = dim.WorldToDeviceReal(dim.GetTopLeft(turned));
  EXPECT_NEAR(tl.X, lowerLeft.X, 1e-9);
  EXPECT_NEAR(tl.Y, upperRight.Y, 1e-9);
  EXPECT_LT(lowerLeft.X, upperRight.X);
  EXPECT_GT(lowerLeft.Y, upperRight.Y);
}

TEST(WindowDimTest, ProductGreaterIsStrict) {
  EXPECT_TRUE(TWindowDim::ProductGreater(1, 2, 3, 4));   // 6 > 4
  EXPECT_FALSE(TWindowDim::ProductGreater(3, 2, 2, 2));  // 4 > 6
  EXPECT_FALSE(TWindowDim::ProductGreater(2, 3, 2, 3));  // 6 > 6
  EXPECT_FALSE(TWindowDim::ProductGreater(0, 0, 5, 5));
}

struct CrossCase {
  std::string Name;
  TRealPoint P1, P2, Q1, Q2;
  bool Expected;
};

TEST(WindowDimTest, SegmentsCrossTable) {
  const std::vector<CrossCase> cases = {
      {"proper", {0, 0}, {2, 2}, {0, 2}, {2, 0}, true},
      {"proper_reversed", {2, 2}, {0, 0}, {2, 0}, {0, 2}, true},
      {"disjoint", {0, 0}, {1, 1}, {3, 0}, {4, -5}, false},
      {"lines_cross_beyond_ends", {0, 0}, {1, 1}, {0, 4}, {4, 0}, false},
      {"parallel", {0, 0}, {2, 0}, {0, 1}, {2, 1}, false},
      {"collinear_overlapping", {0, 0}, {2, 0}, {1, 0}, {3, 0}, false},
      {"collinear_touching", {0, 0}, {2, 0}, {2, 0}, {3, 0}, false},
      {"shared_end_point", {0, 0}, {2, 0}, {2, 0}, {3, 1}, false},
      {"shared_start_point", {0, 0}, {1, 1}, {0, 0}, {1, -1}, false},
      // An end point on the other segment's line lies on its non-positive
      // side: touching from one side counts as crossing, from the other not.
      {"t_junction_positive_side", {0, 0}, {2, 0}, {1, 0}, {1, 1}, true},
      {"t_junction_other_side", {0, 0}, {2, 0}, {1, 0}, {1, -1}, false},
  };
  for (const CrossCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(TWindowDim::SegmentsCross(c.P1, c.P2, c.Q1, c.Q2), c.Expected);
  }
}

TEST(DPIWindowDimTest, FixedMappingAroundOrigin) {
  TWindowDim source = MakeDim(0, 0, 100, 100, 640, 480);
  source.SetAngle(0.7);
  TDPIWindowDim dim(source, 4, 5, TPoint{100, 200});
  EXPECT_EQ(dim.Width, 640);
  EXPECT_EQ(dim.Height, 480);
  EXPECT_FALSE(dim.Rotated());
  EXPECT_EQ(dim.Control, nullptr);
  EXPECT_EQ(dim.ScaleX, 4.0);
  EXPECT_EQ(dim.ScaleY, 5.0);

  // World X up from the origin, Y to the right; halves to even.
  EXPECT_EQ(dim.WorldToDevicePt(RealPoint(0, 0)), (TPoint{100, 200}));
  EXPECT_EQ(dim.WorldToDevicePt(RealPoint(1, 2)), (TPoint{110, 196}));
  EXPECT_EQ(dim.WorldToDevicePt(RealPoint(0.625, 0.5)), (TPoint{102, 198}));  // 2.5, 2.5
  EXPECT_EQ(dim.DeviceToWorldPt(TPoint{110, 196}), RealPoint(1, 2));
  const TWindowDim& base = dim;  // through the base, as canvases call it
  EXPECT_EQ(base.WorldToDevicePt(RealPoint(1, 2)), (TPoint{110, 196}));

  EXPECT_FALSE(dim.FitWindow(RealRect(0, 0, 10, 10)));
  EXPECT_FALSE(dim.FitWindow(RealRect(-1e300, -1e300, 1e300, 1e300)));
  EXPECT_TRUE(dim.PointInWindow(RealPoint(1e307, -1e307)));
  EXPECT_TRUE(dim.PointInWindow(RealPoint(0, 0)));

  dim.SetScales(2, 3);
  EXPECT_EQ(dim.ScaleX, 2.0);
  EXPECT_EQ(dim.ScaleY, 3.0);
  ExpectWindow(dim, -1e308, -1e308, 1e308, 1e308, 0);
}

}  // namespace
