#include "drawing/realcanvas.h"

#include <atomic>
#include <cmath>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "dim_fixture.h"
#include "foundation/errors.h"
#include "foundation/geometry/polygon.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/gdiprint.h"
#include "platform/files/files.h"
#include "common/scratch_folder.h"

namespace {

using platform::clBlack;
using platform::clWhite;

constexpr double kPi = std::numbers::pi;

struct PixelBox {
  int Count = 0;
  platform::TGdiRect Box{1 << 20, 1 << 20, -1, -1};  // right and bottom inside
};

// The pixels of a colour on a bitmap and the box around them.
PixelBox Pixels(const platform::TBitmap& B, platform::TColor C) {
  PixelBox r;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x)
      if (B.Pixel(x, y) == C) {
        ++r.Count;
        r.Box.Left = std::min(r.Box.Left, x);
        r.Box.Top = std::min(r.Box.Top, y);
        r.Box.Right = std::max(r.Box.Right, x);
        r.Box.Bottom = std::max(r.Box.Bottom, y);
      }
  return r;
}

class RealCanvasTest : public ::testing::Test {
protected:
  RealCanvasTest()
      : bitmap(200, 100), dim(MakeDim(0, 0, 100, 200, 200, 100)),
        canvas(&bitmap.Canvas(), &dim, nullptr) {}

  int Black() { return Pixels(bitmap, clBlack).Count; }

  platform::TBitmap bitmap;
  TWindowDim dim;
  TRealCanvas canvas;
};

TEST_F(RealCanvasTest, LineLandsOnItsPixelsAfterFlush) {
  canvas.Line(50, 20, 50, 120);
  EXPECT_EQ(bitmap.Pixel(20, 50), clWhite);  // still in the buffer
  canvas.FlushLines();
  EXPECT_EQ(canvas.Lines->PartCount(), 0);
  EXPECT_EQ(bitmap.Pixel(20, 50), clBlack);
  EXPECT_EQ(bitmap.Pixel(119, 50), clBlack);
  EXPECT_EQ(bitmap.Pixel(120, 50), clWhite);  // the last pixel is left out
  EXPECT_EQ(Black(), 100);

  canvas.MoveTo(10, 10);
  canvas.LineTo(10, 30);
  canvas.LineTo(30, 30);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);  // the second segment continues the first
  EXPECT_EQ(canvas.CurrentX, 30);
  EXPECT_EQ(canvas.CurrentY, 30);
}

TEST_F(RealCanvasTest, ClippingToTheWindow) {
  canvas.Line(150, 20, 160, 120);  // above the window
  canvas.Line(-5, -50, -1, 300);   // below it
  EXPECT_EQ(canvas.Lines->PointCount(), 0);

  canvas.Line(50, -100, 50, 50);  // enters from the left border
  ASSERT_EQ(canvas.Lines->PointCount(), 2);
  EXPECT_EQ(canvas.Lines->Point(0), (TPoint{0, 50}));
  EXPECT_EQ(canvas.Lines->Point(1), (TPoint{50, 50}));
  canvas.ClearLines();

  // Clipped onto one pixel: a one-pixel segment towards the direction.
  canvas.Line(60.2, -100, 60.3, 0.2);
  ASSERT_EQ(canvas.Lines->PointCount(), 2);
  EXPECT_EQ(canvas.Lines->Point(0), (TPoint{0, 41}));
  EXPECT_EQ(canvas.Lines->Point(1), (TPoint{0, 40}));
  canvas.FlushLines();
  EXPECT_EQ(bitmap.Pixel(0, 41), clBlack);
  EXPECT_EQ(Black(), 1);
}

TEST_F(RealCanvasTest, ThickPenIsEmulatedWithParallelLines) {
  canvas.Cfg()->WindowsThickLines = false;
  struct Case {
    int Width;
    std::vector<int> Columns;
  };
  const std::vector<Case> cases = {
      {1, {100}}, {2, {100, 101}}, {3, {99, 100, 101}}, {4, {99, 100, 101, 102}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Width);
    bitmap.Canvas().FillRect(platform::TGdiRect{0, 0, 200, 100}, platform::TBrush{});
    canvas.Pen->SetWidth(c.Width);
    EXPECT_EQ(canvas.Canvas->Pen().Width, 1);
    EXPECT_EQ((canvas.State & csThickEmulation) != 0, c.Width > 1);
    canvas.Line(80, 100, 20, 100);  // vertical on the device, x = 100
    canvas.FlushLines();
    std::vector<int> columns;
    for (int x = 95; x < 106; ++x)
      if (bitmap.Pixel(x, 50) == clBlack) columns.push_back(x);
    EXPECT_EQ(columns, c.Columns);
  }
}

TEST_F(RealCanvasTest, WindowsThickLinesLeaveSolidPensToThePlatform) {
  canvas.Cfg()->WindowsThickLines = true;
  canvas.Pen->SetWidth(3);
  EXPECT_EQ(canvas.Canvas->Pen().Width, 3);
  EXPECT_EQ(canvas.State & csThickEmulation, 0);
  canvas.Pen->SetStyle(platform::psDash);
  EXPECT_EQ(canvas.Canvas->Pen().Width, 1);
  EXPECT_NE(canvas.State & csThickEmulation, 0);
  EXPECT_EQ(canvas.Canvas->Pen().Style, platform::psDash);

  // Dynamic thick lines: only above the condition (here 1 pixel a unit).
  canvas.Pen->SetStyle(platform::psSolid);
  canvas.Pen->SetWidth(1);
  canvas.Cfg()->DynamicThickLines = true;
  canvas.Cfg()->ThickLineCondition = 1.0f;
  canvas.Pen->SetWidth(3);
  EXPECT_EQ(canvas.Pen->Width(), 1);
  canvas.Cfg()->ThickLineCondition = 0.5f;
  canvas.Pen->SetWidth(3);
  EXPECT_EQ(canvas.Pen->Width(), 3);
}

TEST_F(RealCanvasTest, PenChangeDrawsTheBufferWithTheOldPenFirst) {
  canvas.Pen->SetColor(platform::clRed);
  canvas.Line(50, 10, 50, 40);
  canvas.Pen->SetColor(platform::clBlue);
  EXPECT_EQ(bitmap.Pixel(20, 50), platform::clRed);  // drawn at the change
  canvas.Line(50, 60, 50, 90);
  canvas.FlushLines();
  EXPECT_EQ(bitmap.Pixel(20, 50), platform::clRed);
  EXPECT_EQ(bitmap.Pixel(70, 50), platform::clBlue);
  EXPECT_EQ(canvas.State & csClean, 0);

  // Colour codes: highlight from the settings, special from the pen.
  canvas.SetHighlightColor(2);
  EXPECT_EQ(canvas.Pen->Color(), platform::clRed);  // TNullCanvasCfg: red for all
  canvas.Pen->SpecialColor = 0x123456;
  canvas.SetSpecialColor();
  EXPECT_EQ(canvas.Canvas->Pen().Color, 0x123456u);
}

TEST_F(RealCanvasTest, CircleInsideTheWindowUsesThePlatformEllipse) {
  canvas.DrawCircle(RealPoint(50, 100), 30);
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
  const PixelBox box = Pixels(bitmap, clBlack);
  EXPECT_EQ(box.Box.Left, 70);
  EXPECT_EQ(box.Box.Top, 20);
  EXPECT_NEAR(box.Box.Right, 129, 1);
  EXPECT_NEAR(box.Box.Bottom, 79, 1);
  EXPECT_EQ(bitmap.Pixel(100, 50), clWhite);  // hollow

  // Below three pixels of radius: a dot.
  canvas.DrawCircle(RealPoint(50, 30), 2);
  ASSERT_EQ(canvas.Lines->PointCount(), 2);
  EXPECT_EQ(canvas.Lines->Point(0), (TPoint{30, 50}));
}

TEST_F(RealCanvasTest, SteppedCircleHasSqrtNinePixelsPlusFiveSegments) {
  // With emulation on the platform ellipse is not used: the circle is
  // stepped, 100 pixels of radius in sqrt(900) + 5 = 35 segments.
  TWindowDim big = MakeDim(-150, -150, 150, 150, 300, 300);
  platform::TBitmap image(300, 300);
  TRealCanvas c(&image.Canvas(), &big, nullptr);
  c.SetThickEmulation(true);
  c.DrawCircle(RealPoint(0, 0), 100);
  ASSERT_EQ(c.Lines->PartCount(), 1);
  EXPECT_EQ(c.Lines->PointCount(), 36);
  EXPECT_EQ(c.Lines->Point(0), c.Lines->Point(35));  // the last step ends at the end
  EXPECT_EQ(c.Lines->Point(0), big.WorldToDevicePt(RealPoint(100, 0)));
  c.ClearLines();

  // A quarter arc, from the azimuth pi/2 back to 0 (counter-clockwise).
  c.Arc(TRealEnds{RealPoint(0, 100), RealPoint(100, 0)}, RealPoint(0, 0), 100);
  ASSERT_EQ(c.Lines->PartCount(), 1);
  EXPECT_EQ(c.Lines->PointCount(), 10);  // ceil(35 / 4) segments
  EXPECT_EQ(c.Lines->Point(0), big.WorldToDevicePt(RealPoint(100, 0)));
  EXPECT_EQ(c.Lines->Point(9), big.WorldToDevicePt(RealPoint(0, 100)));
}

TEST(RealCanvasHugeCircleTest, AtMostAThousandSegments) {
  TWindowDim dim = MakeDim(-1.1e6, -1.1e6, 1.1e6, 1.1e6, 2200000, 2200000);
  platform::TBitmap image(10, 10);
  TRealCanvas c(&image.Canvas(), &dim, nullptr);
  c.SetThickEmulation(true);
  c.DrawCircle(RealPoint(0, 0), 1e6);
  EXPECT_EQ(c.Lines->PointCount(), 1001);
  c.ClearLines();
}

TEST_F(RealCanvasTest, CircleCoveringTheWindowDrawsNothing) {
  canvas.DrawCircle(RealPoint(50, 100), 1000);
  canvas.Arc(TRealEnds{RealPoint(1050, 100), RealPoint(50, 1100)}, RealPoint(50, 100), 1000);
  canvas.FlushLines();
  EXPECT_EQ(Black(), 0);
}

TEST_F(RealCanvasTest, ArcWithCloseEndsIsChordOrWholeCircle) {
  const TRealPoint c = RealPoint(50, 100);
  const double r = 40;
  const TRealPoint left = RealPoint(50 + r * std::cos(-0.05), 100 + r * std::sin(-0.05));
  const TRealPoint right = RealPoint(50 + r * std::cos(0.05), 100 + r * std::sin(0.05));
  // From right back to left counter-clockwise: a sweep of 0.1, the chord.
  canvas.Arc(TRealEnds{right, left}, c, r);
  EXPECT_EQ(canvas.Lines->PointCount(), 2);
  canvas.FlushLines();
  EXPECT_LE(Black(), 5);
  // The other way round it is nearly the whole circle.
  canvas.Arc(TRealEnds{left, right}, c, r);
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
  EXPECT_GT(Black(), 200);
}

TEST_F(RealCanvasTest, PlatformArcRunsCounterClockwise) {
  // From the top of the circle around (50, 100) to its left: the arc lies to
  // the right of its chord, counter-clockwise on the device: the upper left
  // quarter.
  canvas.ArcByAngles(RealPoint(90, 100), RealPoint(50, 60), 40);
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
  const PixelBox box = Pixels(bitmap, clBlack);
  EXPECT_GT(box.Count, 40);
  EXPECT_NEAR(box.Box.Left, 60, 1);
  EXPECT_NEAR(box.Box.Top, 10, 1);
  EXPECT_NEAR(box.Box.Right, 100, 1);
  EXPECT_NEAR(box.Box.Bottom, 50, 1);
}

TEST_F(RealCanvasTest, EndMarksOnlyInsideTheDeviceAndNotOnParts) {
  canvas.Cfg()->MarkLineEnds = true;
  canvas.Line(50, 20, 50, 120);
  EXPECT_EQ(canvas.Lines->PartCount(), 1 + 2 * 2);
  canvas.ClearLines();
  canvas.Line(50, -20, 50, 120);  // the left end is clipped onto the border
  EXPECT_EQ(canvas.Lines->PartCount(), 1 + 2);
  canvas.ClearLines();
  canvas.State |= csNoEndMarks;
  canvas.Line(50, 20, 50, 120);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
  canvas.State &= ~csNoEndMarks;
  canvas.ClearLines();
  // A circle gets a centre mark, its steps none.
  canvas.SetThickEmulation(true);
  canvas.DrawCircle(RealPoint(50, 100), 30);
  EXPECT_EQ(canvas.Lines->PartCount(), 1 + 2);
  canvas.ClearLines();
  canvas.FlushLines();

  // The mark is a cross of five pixels each way.
  canvas.SetThickEmulation(false);
  canvas.DrawLineEndMark(TPoint{100, 50});
  canvas.FlushLines();
  const PixelBox box = Pixels(bitmap, clBlack);
  EXPECT_EQ(box.Count, 9);
  EXPECT_EQ(box.Box, (platform::TGdiRect{98, 48, 102, 52}));
}

TEST_F(RealCanvasTest, DotMarks) {
  canvas.DotMark(11, RealPoint(50, 100));
  EXPECT_EQ(canvas.Lines->PointCount(), 0);  // a filled platform rectangle
  PixelBox box = Pixels(bitmap, clBlack);
  EXPECT_EQ(box.Count, 121);
  EXPECT_EQ(box.Box, (platform::TGdiRect{95, 45, 105, 55}));

  bitmap.Canvas().FillRect(platform::TGdiRect{0, 0, 200, 100}, platform::TBrush{});
  canvas.DotMark(10, RealPoint(50, 100));
  EXPECT_EQ(canvas.Lines->PartCount(), 11);
  canvas.FlushLines();
  box = Pixels(bitmap, clBlack);
  EXPECT_EQ(box.Count, 110);
  EXPECT_EQ(box.Box, (platform::TGdiRect{95, 45, 105, 54}));

  struct Case {
    int N;
    int Pixels;
  };
  for (const Case& c : std::vector<Case>{{1, 1}, {2, 2}, {3, 6}}) {
    SCOPED_TRACE(c.N);
    bitmap.Canvas().FillRect(platform::TGdiRect{0, 0, 200, 100}, platform::TBrush{});
    canvas.DotMark(c.N, RealPoint(50, 100));
    canvas.FlushLines();
    EXPECT_EQ(Black(), c.Pixels);
  }
  // Outside the window: nothing.
  canvas.DotMark(5, RealPoint(150, 100));
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
}

TEST_F(RealCanvasTest, MarkersAroundAPoint) {
  struct Case {
    const char* Name;
    std::function<void()> Draw;
    platform::TGdiRect Box;
  };
  const TRealPoint p = RealPoint(50, 100);  // device (100, 50)
  const std::vector<Case> cases = {
      {"square", [&] { canvas.SquareMark(p, 5); }, {98, 48, 103, 53}},
      {"cross", [&] { canvas.CrossMark(6, 3, p); }, {94, 47, 105, 52}},
      {"rect", [&] { canvas.RectMark(4, 2, p); }, {96, 48, 104, 52}},
      {"point cross", [&] { canvas.PointCross(p); }, {96, 47, 103, 52}},
      {"cross hair", [&] { canvas.CrossHair(p); }, {0, 0, 199, 99}},
      {"rectangle", [&] { canvas.AddRectangle(40, 90, 60, 120); }, {90, 40, 120, 60}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    bitmap.Canvas().FillRect(platform::TGdiRect{0, 0, 200, 100}, platform::TBrush{});
    c.Draw();
    canvas.FlushLines();
    EXPECT_EQ(Pixels(bitmap, clBlack).Box, c.Box);
  }
}

TEST_F(RealCanvasTest, OutlinesAreClosed) {
  canvas.FrameRect(40, 90, 60, 120);
  canvas.FlushLines();
  EXPECT_EQ(Black(), 2 * 20 + 2 * 30);
  bitmap.Canvas().FillRect(platform::TGdiRect{0, 0, 200, 100}, platform::TBrush{});
  TRealPointsList triangle;
  triangle.Add(RealPoint(20, 20));
  triangle.Add(RealPoint(20, 60));
  triangle.Add(RealPoint(60, 20));
  canvas.PolygonOutline(triangle);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
  EXPECT_EQ(canvas.Lines->PointCount(), 4);
  EXPECT_EQ(canvas.Lines->Point(0), canvas.Lines->Point(3));
}

TEST_F(RealCanvasTest, AbortFlagStopsDrawingSilently) {
  canvas.SetAbort(true);
  EXPECT_TRUE(canvas.AbortEvent->IsSet());
  const TRealPoint p = RealPoint(50, 100);
  EXPECT_THROW(canvas.Line(10, 10, 20, 20), EAbortDraw);
  EXPECT_THROW(canvas.LineDirect(10, 10, 20, 20), EAbortDraw);
  EXPECT_THROW(canvas.DrawCircle(p, 10), EAbortDraw);
  EXPECT_THROW(canvas.ArcByAngles(p, RealPoint(60, 110), 10), EAbortDraw);
  EXPECT_THROW(canvas.DotMark(3, p), EAbortDraw);
  EXPECT_THROW(canvas.SquareMark(p, 3), EAbortDraw);
  EXPECT_THROW(canvas.CrossMark(3, 3, p), EAbortDraw);
  EXPECT_THROW(canvas.PointCross(p), EAbortDraw);
  EXPECT_THROW(canvas.ScaledCircle(p, 1), EAbortDraw);
  EXPECT_THROW(canvas.CircleMark(3, p), EAbortDraw);
  EXPECT_NO_THROW(canvas.CrossHair(p));
  EXPECT_NO_THROW(canvas.RectMark(2, 2, p));
  try {
    canvas.Line(10, 10, 20, 20);
  } catch (const std::exception& e) {
    EXPECT_TRUE(IsSilentError(e));
  }
  canvas.SetAbort(true);  // a second time: nothing changes
  EXPECT_TRUE(canvas.GetAbort());
  canvas.SetAbort(false);
  EXPECT_FALSE(canvas.AbortEvent->IsSet());
  EXPECT_NO_THROW(canvas.Line(10, 10, 20, 20));
}

TEST_F(RealCanvasTest, AbortFromAnotherThreadEndsARunningJob) {
  std::atomic<bool> started{false};
  std::thread gui([&] {
    while (!started.load()) std::this_thread::yield();
    canvas.SetAbort(true);
  });
  bool aborted = false;
  try {
    for (long i = 0; i < 100000000; ++i) {
      canvas.Line(10, 10 + i % 50, 80, 150);
      started.store(true);
    }
  } catch (const EAbortDraw&) {
    aborted = true;
  }
  gui.join();
  EXPECT_TRUE(aborted);
  EXPECT_TRUE(canvas.GetAbort());
  // What the job added stays for the owner to draw or clear.
  EXPECT_GT(canvas.Lines->PointCount(), 0);
  canvas.ClearLines();
}

TEST_F(RealCanvasTest, AbortEventWakesAWaitingModule) {
  IRealCanvas& module = canvas.Interface();
  TAbortEvent* event = module.GetAbortEventHandle();
  ASSERT_EQ(event, canvas.AbortEvent.get());
  EXPECT_FALSE(event->Wait(1));
  std::atomic<bool> woken{false};
  std::thread waiter([&] { woken = event->Wait(10000); });
  canvas.SetAbort(true);
  waiter.join();
  EXPECT_TRUE(woken);
}

TEST_F(RealCanvasTest, InterfaceForLayerModulesDrawsOnTheCanvas) {
  IRealCanvas& module = canvas.Interface();
  void* obj = &module;
  EXPECT_EQ(module.QueryInterface(TGUID{}, &obj), kENoInterface);
  EXPECT_EQ(obj, nullptr);
  module.SetPenColor(platform::clBlue);
  module.SetPenStyle(platform::psSolid);
  module.SetPenWidth(1);
  module.Line(50, 20, 50, 120);
  module.DotMark(3, RealPoint(20, 20));
  module.SetSize(2.5);
  EXPECT_EQ(canvas.Size, 2.5);
  canvas.FlushLines();
  EXPECT_EQ(bitmap.Pixel(20, 50), platform::clBlue);
  EXPECT_EQ(bitmap.Pixel(20, 80), platform::clBlue);
}

TEST_F(RealCanvasTest, SizeFlagsAndCleanBit) {
  canvas.State |= csClean;
  canvas.SetSize(1.0);  // unchanged
  EXPECT_NE(canvas.State & csClean, 0);
  canvas.SetSize(3.0);
  EXPECT_EQ(canvas.Size, 3.0);
  EXPECT_EQ(canvas.State & csClean, 0);
  canvas.SetDrawOption(doSizeLocked, true);
  canvas.SetSize(4.0);
  EXPECT_EQ(canvas.Size, 3.0);

  canvas.State |= csClean;
  canvas.SetItalic(false);
  EXPECT_NE(canvas.State & csClean, 0);
  canvas.SetItalic(true);
  EXPECT_EQ(canvas.Flags, dfItalic);
  EXPECT_EQ(canvas.State & csClean, 0);

  canvas.State = csOutputRestrictable;
  canvas.SetOutputHold(false);
  EXPECT_NE(canvas.State & csOutputRestricted, 0);
  canvas.SetOutputHold(true);
  EXPECT_EQ(canvas.State & csOutputRestricted, 0);
  canvas.SetStateBit7(true);
  EXPECT_TRUE(canvas.GetStateBit7());
}

TEST_F(RealCanvasTest, DrawParamsAndAbstractOperations) {
  canvas.Size = 2.0;
  canvas.Justification = 3;
  auto params = canvas.CreateDrawParams();
  EXPECT_EQ(params->Size, 2.0);
  EXPECT_EQ(params->Justification, 3);
  EXPECT_EQ(params->Dims(), &dim);
  EXPECT_EQ(dynamic_cast<TSkrDrawParams*>(params.get()), nullptr);
  dim.SetAngle(0.5);
  EXPECT_NE(dynamic_cast<TSkrDrawParams*>(canvas.CreateDrawParams().get()), nullptr);

  EXPECT_THROW(canvas.SetScaleAnchors(TScaleAnchors{}), ENotImplemented);
  EXPECT_THROW(canvas.SaveCanvasState(), ENotImplemented);
  EXPECT_THROW(canvas.DrawSymbol(nullptr, RealPoint(0, 0), 0), ENotImplemented);
  EXPECT_NO_THROW(canvas.StyledLine(0, 0, 1, 1, nullptr));
  EXPECT_TRUE(canvas.PointInOutputArea(RealPoint(0, 0)));
}

TEST(RealCanvasTargetsTest, MetafileReplaysTheSameDrawing) {
  TWindowDim dim = MakeDim(0, 0, 100, 200, 200, 100);
  auto draw = [&](platform::TCanvas& target) {
    TRealCanvas c(&target, &dim, nullptr);
    c.Pen->SetColor(platform::clRed);
    c.Line(10, 10, 90, 190);
    c.DrawCircle(RealPoint(50, 100), 30);
    c.DotMark(11, RealPoint(20, 20));
    c.FlushLines();
  };
  platform::TBitmap direct(200, 100);
  draw(direct.Canvas());
  platform::TMetafile meta(200, 100);
  draw(meta.BeginRecording());
  meta.EndRecording();
  platform::TBitmap played(200, 100);
  ASSERT_TRUE(meta.Play(played.Canvas(), 0, 0));
  EXPECT_TRUE(direct.SameAs(played));
  EXPECT_GT(Pixels(direct, platform::clRed).Count, 100);
}

TEST(RealCanvasTargetsTest, PrinterPageTakesTheDrawing) {
  ScratchFolder folder;
  platform::TPrinterSettings settings;
  settings.OutputFile = folder / "page.pdf";
  settings.Resolution = 72;
  platform::TPrinter printer(settings);
  ASSERT_TRUE(printer.BeginDoc());
  TWindowDim dim = MakeDim(0, 0, 100, 200, printer.PageWidth(), printer.PageHeight());
  TRealCanvas c(&printer.Canvas(), &dim, nullptr);
  c.Line(10, 10, 90, 190);
  c.DrawCircle(RealPoint(50, 100), 30);
  c.FlushLines();
  ASSERT_TRUE(printer.EndDoc());
  EXPECT_GT(platform::FileSizeByName(settings.OutputFile), 0);
}

TEST(RealCanvasTargetsTest, SetCanvasMovesTheBufferToTheNewTarget) {
  TWindowDim dim = MakeDim(0, 0, 100, 200, 200, 100);
  platform::TBitmap first(200, 100);
  platform::TBitmap second(200, 100);
  TRealCanvas c(&first.Canvas(), &dim, nullptr);
  c.Line(50, 20, 50, 120);
  c.SetCanvas(nullptr);  // ignored
  EXPECT_EQ(c.Canvas, &first.Canvas());
  c.SetCanvas(&second.Canvas());
  c.FlushLines();
  EXPECT_EQ(Pixels(first, clBlack).Count, 0);
  EXPECT_EQ(Pixels(second, clBlack).Count, 100);
  EXPECT_EQ(second.Canvas().Brush().Style, platform::bsClear);
}

}  // namespace
