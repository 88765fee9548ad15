#include "drawing/canvastext.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dim_fixture.h"
#include "font_fixture.h"
#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "platform/paint/gdiimage.h"
#include "common/scratch_folder.h"

namespace {

constexpr double kPi = std::numbers::pi;

// A font of cell height 16, a = 12, b = 0, d = 0 (so BaseOffset 16,
// TopOffset 4, extent height 12) with the characters:
//   'H' advance 16, a stroke along the text (0, 0)-(16, 0);
//   'I' advance 16, a stroke down its left edge (0, 0)-(0, 16);
//   'J' advance 16, a stroke down its right edge (16, 0)-(16, 16).
std::string TestFontBytes() {
  FontSpec f;
  f.First = 'H';
  f.Height = 16;
  f.A = 12;
  f.B = 0;
  f.D = 0;
  f.Glyphs = {
      {16, {{{0, 0}, {16, 0}}}},
      {16, {{{0, 0}, {0, 16}}}},
      {16, {{{16, 0}, {16, 16}}}},
  };
  return FontBytes(f);
}

std::vector<TPoint> AllPoints(const TVectorList& L) {
  std::vector<TPoint> points;
  for (std::int32_t i = 0; i < L.PointCount(); ++i) points.push_back(L.Point(i));
  return points;
}

TPoint LastPartEnd(const TVectorList& L) { return L.Point(L.PointCount() - 1); }
TPoint LastPartStart(const TVectorList& L) {
  return L.Point(L.PointCount() - L.Part(L.PartCount() - 1));
}

class CanvasTextTest : public ::testing::Test {
protected:
  // World (X, Y) lands on device (Y, 100 - X).
  CanvasTextTest()
      : bitmap(200, 100), dim(MakeDim(0, 0, 100, 200, 200, 100)),
        canvas(&bitmap.Canvas(), &dim, nullptr) {
    folder.Put("litt.ch1", TestFontBytes());
    folder.Put("font.ch1", TestFontBytes());
    FontManager().SetFolder(folder.Path());
    canvas.Size = 10;  // 10 units at 1 pixel a unit: 0.625 pixels a font unit
  }
  ~CanvasTextTest() override { FontManager().SetFolder(""); }

  // The device point of the origin used by the tests.
  const TRealPoint origin = RealPoint(50, 100);
  const TPoint d{100, 50};

  ScratchFolder folder;
  platform::TBitmap bitmap;
  TWindowDim dim;
  TRealCanvas canvas;
};

TEST_F(CanvasTextTest, RasterTextIsEightPixelsHighAndIgnoresItsAngle) {
  canvas.Cfg()->Kroj = 0;
  canvas.Size = 50;
  for (float angle : {0.0f, 1.0f}) {
    canvas.VectorTextOutSimple("I", origin, angle);
    EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {100, 58}}));
    canvas.ClearLines();
  }
  // Raster text outside the window: nothing.
  canvas.VectorTextOutSimple("I", RealPoint(150, 100), 0);
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
}

TEST_F(CanvasTextTest, VectorTextLandsByItsJustification) {
  struct Case {
    int Justification;
    const char* Text;
    std::vector<TPoint> Points;
  };
  // One line height (16 units) is Size = 10 pixels; along the text a unit is
  // 0.625 * 0.76 pixels, so a character of 16 units is 7.6 pixels long.
  const std::vector<Case> cases = {
      {7, "I", {d, {100, 60}}},             // top left on the origin
      {3, "J", {{100, 40}, d}},             // bottom right
      {9, "J", {d, {100, 60}}},             // top right
      {1, "I", {{100, 40}, d}},             // bottom left
      // The stroke of "H" runs along the top of the cell: 5 pixels above the
      // middle row's anchor; 7.6 pixels long about the centre.
      {5, "H", {{96, 45}, {104, 45}}},
      {4, "HH", {{100, 45}, {108, 45}, {108, 45}, {115, 45}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Justification);
    canvas.Justification = static_cast<std::uint8_t>(c.Justification);
    canvas.VectorTextOutSimple(c.Text, origin, 0);
    EXPECT_EQ(AllPoints(*canvas.Lines), c.Points);
    canvas.ClearLines();
  }
}

TEST_F(CanvasTextTest, VectorTextTurnsClockwiseWithItsAngle) {
  // A quarter turn writes downwards on the device; the glyphs' up points to
  // the right.
  canvas.VectorTextOutSimple("H", origin, static_cast<float>(kPi / 2));
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {100, 58}}));
  canvas.ClearLines();
  canvas.Justification = 1;
  canvas.VectorTextOutSimple("I", origin, static_cast<float>(kPi / 2));
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{{110, 50}, d}));
  canvas.ClearLines();
  // Half a turn: upside down, to the left.
  canvas.Justification = 7;
  canvas.VectorTextOutSimple("H", origin, static_cast<float>(kPi));
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {92, 50}}));
}

TEST_F(CanvasTextTest, VectorTextGrowsWithTheZoom) {
  canvas.VectorTextOutSimple("I", origin, 0);
  EXPECT_EQ(LastPartEnd(*canvas.Lines), (TPoint{100, 60}));
  canvas.ClearLines();
  dim.Zoom(0.5);  // two pixels a unit
  canvas.VectorTextOutSimple("I", origin, 0);
  EXPECT_EQ(LastPartEnd(*canvas.Lines).Y - LastPartStart(*canvas.Lines).Y, 20);
}

TEST_F(CanvasTextTest, UprightTextOnARotatedViewStaysHorizontal) {
  TWindowDim turned = MakeDim(0, 0, 100, 200, 200, 100, kPi / 6);
  TRealCanvas c(&bitmap.Canvas(), &turned, nullptr);
  c.Size = 10;
  c.SetDrawOption(doUpright, true);
  const TRealPoint p = turned.DeviceToWorldPt(TPoint{100, 50});
  for (float angle : {0.0f, 0.7f, 2.0f}) {
    SCOPED_TRACE(angle);
    c.VectorTextOutSimple("H", p, angle);
    EXPECT_EQ(AllPoints(*c.Lines), (std::vector<TPoint>{{100, 50}, {108, 50}}));
    c.ClearLines();
  }
  // Without the option the view's angle turns the text.
  c.SetDrawOption(doUpright, false);
  c.VectorTextOutSimple("H", p, 0);
  EXPECT_EQ(AllPoints(*c.Lines), (std::vector<TPoint>{{100, 50}, {107, 54}}));
}

TEST_F(CanvasTextTest, ItalicShiftsLeftJustifiedTextsOnly) {
  canvas.SetItalic(true);
  // Left column: the foot of the text stays where the upright text has it,
  // the top leans right by 16 * tan 15 deg * 0.625 = 2.7 pixels.
  canvas.VectorTextOutSimple("I", origin, 0);
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{{103, 50}, {100, 60}}));
  canvas.ClearLines();
  // Right column: only the slant changes, the anchor stays on the origin.
  canvas.Justification = 9;
  canvas.VectorTextOutSimple("J", origin, 0);
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {97, 60}}));
}

TEST_F(CanvasTextTest, SmallTextsBecomeALineOrAPixel) {
  // Size 6: 4.5 -> 4 pixels high (halves to even), 4 pixels long: a line
  // of its length.
  canvas.Size = 6;
  canvas.VectorTextOutSimple("H", origin, 0);
  ASSERT_EQ(canvas.Lines->PointCount(), 2);
  EXPECT_EQ(canvas.Lines->Point(0), d);
  EXPECT_EQ(canvas.Lines->Point(1), (TPoint{106, 50}));
  canvas.ClearLines();
  // Along its angle.
  canvas.VectorTextOutSimple("H", origin, static_cast<float>(kPi / 2));
  EXPECT_EQ(canvas.Lines->Point(1), (TPoint{100, 56}));
  canvas.ClearLines();
  // Size 4: 3 pixels by 3: a single pixel.
  canvas.Size = 4;
  canvas.VectorTextOutSimple("H", origin, 0);
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {101, 50}}));
}

TEST_F(CanvasTextTest, LeaderStartsAtTheRuleLineEnd) {
  const TRealPoint target = RealPoint(20, 20);  // device (20, 80)
  struct Case {
    int Justification;
    std::uint8_t Mode;
    bool Overline;
    TPoint Start;
  };
  const std::vector<Case> cases = {
      {9, 1, false, {100, 60}},  // right end of the base line
      {9, 1, true, {100, 52}},   // right end of the top line
      {9, 2, false, {92, 60}},   // mode 2: always the left end
      {7, 1, false, {100, 60}},  // left end
      {7, 3, false, {107, 60}},  // mode 3: always the right end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Justification * 10 + c.Mode);
    canvas.Justification = static_cast<std::uint8_t>(c.Justification);
    canvas.SetOverline(c.Overline);
    canvas.VectorTextOut("I", c.Mode, origin, 0, target);
    // The leader is the last segment (it continues the stroke that ends
    // where it starts).
    EXPECT_EQ(canvas.Lines->Point(canvas.Lines->PointCount() - 2), c.Start);
    EXPECT_EQ(LastPartEnd(*canvas.Lines), (TPoint{20, 80}));
    canvas.ClearLines();
  }
  // Mode 0: no leader.
  canvas.VectorTextOut("I", lmNone, origin, 0, target);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
}

TEST_F(CanvasTextTest, LeaderToAPointOutsideIsClippedWithoutEndMark) {
  canvas.Cfg()->MarkLineEnds = true;
  canvas.VectorTextOut("I", 1, origin, 0, RealPoint(50, -100));
  // The text's stroke continued by the leader, which ends on the left
  // border: no cross.
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
  ASSERT_EQ(canvas.Lines->PointCount(), 3);
  EXPECT_EQ(LastPartEnd(*canvas.Lines).X, 0);
  EXPECT_EQ(canvas.State & csNoEndMarks, 0);
}

TEST_F(CanvasTextTest, UnderlineAddsTheRuleLine) {
  canvas.SetUnderline(true);
  canvas.VectorTextOutSimple("I", origin, 0);
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {100, 60}, {108, 60}}));
}

TEST_F(CanvasTextTest, FractionDrawsWhatItHas) {
  canvas.VectorFractionOut(origin, "", "", 0, 0, origin);
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
  canvas.VectorFractionOut(origin, "", "I", 0, 0, origin);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
  canvas.ClearLines();
  canvas.VectorFractionOut(origin, "I", "", 0, 0, origin);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
  canvas.ClearLines();
  canvas.VectorFractionOut(origin, "I", "II", 0, 0, origin);
  EXPECT_EQ(canvas.Lines->PartCount(), 3);
}

TEST_F(CanvasTextTest, TextOutsideTheWindowBuildsNothing) {
  canvas.VectorTextOutSimple("HHH", RealPoint(300, 100), 0);
  canvas.VectorTextOutSimple("", origin, 0);
  EXPECT_EQ(canvas.Lines->PointCount(), 0);
  // Nothing is loaded for an empty text.
  FontManager().SetFolder(folder / "none");
  EXPECT_NO_THROW(canvas.VectorTextOutSimple("", origin, 0));
}

TEST_F(CanvasTextTest, FontErrorsAndAbortReachTheCaller) {
  FontManager().SetFolder(folder / "none");
  EXPECT_THROW(canvas.VectorTextOutSimple("H", origin, 0), EWindowsIOError);
  FontManager().SetFolder(folder.Path());
  canvas.SetAbort(true);
  EXPECT_THROW(canvas.VectorTextOutSimple("H", origin, 0), EAbortDraw);
  EXPECT_THROW(canvas.WinTextOut("x", 0, origin), EAbortDraw);
  EXPECT_THROW(canvas.WinTextOutRotated(origin, "x", 0, "Arial"), EAbortDraw);
  canvas.SetAbort(false);
  canvas.Interface().TextOut(origin, "H", 0, 0, origin);
  EXPECT_EQ(canvas.Lines->PointCount(), 2);
}

TEST_F(CanvasTextTest, LongTextLargerThanTheBufferIsDrawnNotRefused) {
  // 3000 characters of two points each do not fit in the 5120 points of
  // the buffer: it drains while the text is added.
  canvas.Size = 0.5;
  canvas.Cfg()->Kroj = 0;
  const std::string text(3000, 'I');
  EXPECT_NO_THROW(canvas.VectorTextOutSimple(text, RealPoint(90, 0), 0));
  canvas.FlushLines();
  // Raster text: a character every 8 pixels across the whole device.
  EXPECT_EQ(bitmap.Pixel(0, 12), platform::clBlack);
  EXPECT_EQ(bitmap.Pixel(192, 12), platform::clBlack);
}

TEST_F(CanvasTextTest, PlatformFontTexts) {
  canvas.WinTextOut("", platform::clRed, origin);
  canvas.WinTextOut("Kąt", platform::clRed, RealPoint(150, 10));
  EXPECT_EQ(bitmap.Canvas().Font().Height, 0);  // untouched
  canvas.WinTextOut("Kąt", platform::clRed, RealPoint(80, 20));
  EXPECT_EQ(bitmap.Canvas().Font().Height, 10);
  int red = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) red += bitmap.Pixel(x, y) == platform::clRed;
  EXPECT_GT(red, 0);

  canvas.Pen->SetColor(platform::clBlue);
  canvas.Size = 20;
  canvas.Justification = 1;
  canvas.WinTextOutRotated(origin, "Działka", static_cast<float>(kPi / 2), "Arial");
  ASSERT_NE(canvas.WinFont, nullptr);
  EXPECT_EQ(canvas.WinFont->Angle(), -900);
  EXPECT_EQ(canvas.WinFont->Height(), 20);
  EXPECT_EQ(canvas.WinFont->SelectCount(), 0);
  int blue = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) blue += bitmap.Pixel(x, y) == platform::clBlue;
  EXPECT_GT(blue, 0);

  // Below three pixels: one pixel at the origin.
  canvas.Size = 2;
  canvas.WinTextOutRotated(origin, "Działka", 0, "Arial");
  EXPECT_EQ(AllPoints(*canvas.Lines), (std::vector<TPoint>{d, {101, 50}}));
}

TEST(JustificationTextAlignTest, RowsAndColumns) {
  using namespace platform;
  EXPECT_EQ(JustificationTextAlign(1), TA_BASELINE | TA_LEFT);
  EXPECT_EQ(JustificationTextAlign(5), TA_BASELINE | TA_CENTER);
  EXPECT_EQ(JustificationTextAlign(9), TA_TOP | TA_RIGHT);
  EXPECT_EQ(JustificationTextAlign(8), TA_TOP | TA_CENTER);
  EXPECT_EQ(JustificationTextAlign(0), TA_TOP | TA_LEFT);  // counts as 7
}

}  // namespace
