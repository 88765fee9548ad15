#include "platform/paint/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/files/files.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/gdiprint.h"
#include "common/scratch_folder.h"

using namespace platform;

namespace {

// The painted (non-background) pixels' bounding box; Left > Right when none.
struct Box {
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
  int Count = 0;
};

Box PaintedBox(const TBitmap& b, TColor background = clWhite) {
  Box box;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) != background) {
        box.Left = std::min(box.Left, x);
        box.Right = std::max(box.Right, x);
        box.Top = std::min(box.Top, y);
        box.Bottom = std::max(box.Bottom, y);
        ++box.Count;
      }
  return box;
}

// Something other than a plain background for raster operations to act on.
void PaintBackground(TCanvas& c) {
  TBrush brush;
  brush.Color = RGB(200, 30, 90);
  c.FillRect({0, 0, c.Width() / 2, c.Height()}, brush);
  brush.Color = RGB(10, 180, 250);
  c.FillRect({c.Width() / 3, c.Height() / 3, c.Width(), c.Height()}, brush);
}

TPen MakePen(TColor color, TPenMode mode = pmCopy, TPenStyle style = psSolid, int width = 1) {
  TPen pen;
  pen.Color = color;
  pen.Mode = mode;
  pen.Style = style;
  pen.Width = width;
  return pen;
}

bool NearPainted(const TBitmap& b, int x, int y, TColor background = clWhite) {
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx)
      if (b.Pixel(x + dx, y + dy) != background && b.Pixel(x + dx, y + dy) != 0xFFFFFFFFu)
        return true;
  return false;
}

}  // namespace

TEST(GdiLines, XorFigureDrawnTwiceLeavesTheWindowSurfaceUnchanged) {
  TImageSurface surface(120, 90);
  TBitmap before(120, 90);
  {
    TSurfaceCanvas dc(surface);
    PaintBackground(dc.Canvas());
  }
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) before.Canvas().SetPixel(x, y, surface.PixelAt(x, y));

  for (TPenMode mode : {pmXor, pmNot, pmNotXor}) {
    for (int pass = 0; pass < 2; ++pass) {
      TSurfaceCanvas dc(surface);
      TCanvas& c = dc.Canvas();
      c.SetPen(MakePen(RGB(0x55, 0xAA, 0x0F), mode));
      // A closed outline and a crossing line: joins and crossings must not
      // be inverted twice in one call.
      TGdiPoint points[] = {{5, 5}, {100, 5}, {100, 80}, {5, 80}, {5, 5}, {3, 3}, {110, 85}};
      std::int32_t counts[] = {5, 2};
      ASSERT_TRUE(c.PolyPolyline(points, counts, 2));
      c.SetBrush(TBrush{clWhite, bsClear, {}});
      ASSERT_TRUE(c.Arc({20, 20, 61, 61}, {70, 40}, {40, 0}));
      ASSERT_TRUE(c.Ellipse({60, 30, 95, 70}));
      if (pass == 0) {
        // Every corner of the outline, its closing point included, is drawn
        // exactly once, so it shows.
        for (TGdiPoint p : {TGdiPoint{50, 5}, TGdiPoint{5, 5}, TGdiPoint{100, 5},
                            TGdiPoint{100, 80}, TGdiPoint{5, 80}})
          EXPECT_NE(surface.PixelAt(p.X, p.Y), before.Pixel(p.X, p.Y))
              << int(mode) << " at " << p.X << "," << p.Y;
      }
    }
    int differing = 0;
    for (int y = 0; y < 90; ++y)
      for (int x = 0; x < 120; ++x) differing += surface.PixelAt(x, y) != before.Pixel(x, y);
    EXPECT_EQ(differing, 0) << "pen mode " << int(mode);
  }
  EXPECT_GE(surface.ChangeCount(), 7);
}

TEST(GdiLines, LineLeavesOutItsLastPixel) {
  struct Case {
    TGdiPoint from, to;
    int pixels;
  } cases[] = {
      {{2, 5}, {7, 5}, 5},  // rightwards
      {{7, 5}, {2, 5}, 5},  // leftwards
      {{4, 1}, {4, 9}, 8},  // downwards
      {{1, 1}, {8, 8}, 7},  // diagonal
      {{3, 3}, {4, 3}, 1},  // one pixel
  };
  for (const Case& k : cases) {
    TBitmap b(12, 12);
    TCanvas& c = b.Canvas();
    c.SetPen(MakePen(clBlack));
    c.MoveTo(k.from.X, k.from.Y);
    ASSERT_TRUE(c.LineTo(k.to.X, k.to.Y));
    EXPECT_EQ(PaintedBox(b).Count, k.pixels) << k.from.X << "," << k.from.Y;
    EXPECT_EQ(b.Pixel(k.from.X, k.from.Y), clBlack);
    EXPECT_EQ(b.Pixel(k.to.X, k.to.Y), clWhite);
    EXPECT_EQ(c.PenPos(), k.to);
  }
}

TEST(GdiLines, PolyPolylineRefusesAPartOfOnePoint) {
  TBitmap b(10, 10);
  TGdiPoint points[] = {{1, 1}, {5, 1}, {7, 7}};
  std::int32_t counts[] = {2, 1};
  SetLastError(0);
  EXPECT_FALSE(b.Canvas().PolyPolyline(points, counts, 2));
  EXPECT_EQ(LastError(), kErrorInvalidParameter);
  EXPECT_EQ(PaintedBox(b).Count, 0);
}

TEST(GdiLines, EndsFarOutsideThe32BitReachOverflowedDeviceCoordinates) {
  // Each far-away figure must paint the pixels of the same figure with its
  // ends just outside the bitmap; thin and thick pens.
  constexpr std::int32_t kFar = 2000000000;
  struct Case {
    const char* What;
    std::vector<TGdiPoint> Far, Near;
  } cases[] = {
      {"horizontal", {{-kFar, 5}, {kFar, 5}}, {{-100, 5}, {100, 5}}},
      {"leftwards", {{kFar, 7}, {-kFar, 7}}, {{100, 7}, {-100, 7}}},
      {"diagonal", {{-kFar, -kFar}, {kFar, kFar}}, {{-100, -100}, {100, 100}}},
      {"polyline through a far point",
       {{2, 2}, {2, kFar}, {2, 3}},
       {{2, 2}, {2, 100}, {2, 3}}},
  };
  for (const Case& k : cases) {
    for (int width : {1, 3}) {
      SCOPED_TRACE(std::string(k.What) + " width " + std::to_string(width));
      TBitmap far(20, 20), near(20, 20);
      for (auto [bitmap, points] : {std::pair{&far, &k.Far}, std::pair{&near, &k.Near}}) {
        TPen pen = MakePen(clBlack);
        pen.Width = width;
        bitmap->Canvas().SetPen(pen);
        const std::int32_t counts[] = {static_cast<std::int32_t>(points->size())};
        ASSERT_TRUE(bitmap->Canvas().PolyPolyline(points->data(), counts, 1));
      }
      EXPECT_GT(PaintedBox(near).Count, 0);
      EXPECT_TRUE(far.SameAs(near));
    }
  }
}

TEST(GdiLines, PenStylesDashesAndWidths) {
  {
    TBitmap b(60, 5);
    b.Canvas().SetPen(MakePen(clBlack, pmCopy, psDash));
    b.Canvas().SetBkMode(TBkMode::Transparent);
    b.Canvas().MoveTo(0, 2);
    b.Canvas().LineTo(48, 2);
    for (int x = 0; x < 18; ++x) EXPECT_EQ(b.Pixel(x, 2), clBlack) << x;
    for (int x = 18; x < 24; ++x) EXPECT_EQ(b.Pixel(x, 2), clWhite) << x;
    EXPECT_EQ(b.Pixel(24, 2), clBlack);
  }
  {
    // Opaque background fills the gaps with the background colour.
    TBitmap b(30, 5);
    b.Canvas().SetPen(MakePen(clBlack, pmCopy, psDot));
    b.Canvas().SetBkMode(TBkMode::Opaque);
    b.Canvas().SetBkColor(clRed);
    b.Canvas().MoveTo(0, 2);
    b.Canvas().LineTo(12, 2);
    EXPECT_EQ(b.Pixel(0, 2), clBlack);
    EXPECT_EQ(b.Pixel(4, 2), clRed);
  }
  {
    // A wide pen draws solid whatever its style.
    TBitmap b(60, 12);
    b.Canvas().SetPen(MakePen(clBlack, pmCopy, psDash, 3));
    b.Canvas().MoveTo(5, 6);
    b.Canvas().LineTo(50, 6);
    for (int x = 6; x < 50; ++x) {
      EXPECT_EQ(b.Pixel(x, 5), clBlack) << x;
      EXPECT_EQ(b.Pixel(x, 7), clBlack) << x;
    }
  }
  {
    TBitmap b(20, 5);
    b.Canvas().SetPen(MakePen(clBlack, pmCopy, psClear));
    b.Canvas().MoveTo(0, 2);
    b.Canvas().LineTo(15, 2);
    EXPECT_EQ(PaintedBox(b).Count, 0);
  }
}

TEST(GdiLines, PenModesCombinePenAndDestinationAsWindowsDoes) {
  const TColor D = RGB(0x3C, 0xA5, 0x0F);
  const TColor P = RGB(0x99, 0x0F, 0xF0);
  const TColor M = 0xFFFFFF;
  struct Case {
    TPenMode mode;
    TColor expected;
  } cases[] = {
      {pmBlack, 0},
      {pmWhite, M},
      {pmNop, D},
      {pmNot, ~D & M},
      {pmCopy, P},
      {pmNotCopy, ~P & M},
      {pmMergePenNot, (P | ~D) & M},
      {pmMaskPenNot, P & ~D & M},
      {pmMergeNotPen, (~P | D) & M},
      {pmMaskNotPen, ~P & D & M},
      {pmMerge, P | D},
      {pmNotMerge, ~(P | D) & M},
      {pmMask, P & D},
      {pmNotMask, ~(P & D) & M},
      {pmXor, P ^ D},
      {pmNotXor, ~(P ^ D) & M},
  };
  for (const Case& k : cases) {
    TBitmap b(8, 3, D);
    b.Canvas().SetPen(MakePen(P, k.mode));
    b.Canvas().MoveTo(1, 1);
    b.Canvas().LineTo(5, 1);
    EXPECT_EQ(b.Pixel(2, 1), k.expected) << "pen mode " << int(k.mode);
    EXPECT_EQ(b.Pixel(5, 1), D) << "pen mode " << int(k.mode);
  }
}

TEST(GdiFigures, RectangleAndEllipseLeaveOutRightAndBottomEdges) {
  TBitmap b(30, 30);
  TCanvas& c = b.Canvas();
  c.SetPen(MakePen(clBlack));
  TBrush brush;
  brush.Color = clBlack;
  c.SetBrush(brush);
  ASSERT_TRUE(c.Rectangle({4, 6, 15, 17}));
  Box box = PaintedBox(b);
  EXPECT_EQ(box.Left, 4);
  EXPECT_EQ(box.Top, 6);
  EXPECT_EQ(box.Right, 14);
  EXPECT_EQ(box.Bottom, 16);
  EXPECT_EQ(box.Count, 11 * 11);

  // An inside-frame pen keeps its width inside the box.
  for (TPenStyle style : {psInsideFrame, psSolid}) {
    TBitmap f(40, 40);
    f.Canvas().SetBrush(TBrush{clWhite, bsClear, {}});
    f.Canvas().SetPen(MakePen(clBlack, pmCopy, style, 5));
    ASSERT_TRUE(f.Canvas().Rectangle({10, 10, 31, 31}));
    Box fb = PaintedBox(f);
    if (style == psInsideFrame) {
      EXPECT_EQ(fb.Left, 10);
      EXPECT_EQ(fb.Right, 30);
      EXPECT_EQ(f.Pixel(14, 20), clBlack);
      EXPECT_EQ(f.Pixel(15, 20), clWhite);
    } else {
      EXPECT_LT(fb.Left, 10);
      EXPECT_GT(fb.Right, 30);
    }
  }

  TBitmap e(30, 30);
  e.Canvas().SetPen(MakePen(clBlack));
  ASSERT_TRUE(e.Canvas().Ellipse({2, 2, 23, 23}));
  Box eb = PaintedBox(e);
  EXPECT_EQ(eb.Left, 2);
  EXPECT_EQ(eb.Right, 22);
  EXPECT_EQ(eb.Bottom, 22);
  // The default brush fills white, a hollow one leaves the inside alone.
  TBitmap h(30, 30, clRed);
  TBrush hollow;
  hollow.Style = bsClear;
  h.Canvas().SetBrush(hollow);
  h.Canvas().Ellipse({2, 2, 23, 23});
  EXPECT_EQ(h.Pixel(12, 12), clRed);
}

TEST(GdiFigures, ArcRunsCounterClockwiseFromStartRayToEndRay) {
  const TGdiRect box{20, 20, 81, 81};  // centre (50, 50), radius 30
  const TGdiPoint east{100, 50}, north{50, 0};
  // Points at 45 degrees in each quadrant of the circle.
  const TGdiPoint ne{71, 29}, nw{29, 29}, sw{29, 71}, se{71, 71};

  TBitmap a(101, 101);
  a.Canvas().SetPen(MakePen(clBlack));
  ASSERT_TRUE(a.Canvas().Arc(box, east, north));
  EXPECT_TRUE(NearPainted(a, ne.X, ne.Y));
  EXPECT_FALSE(NearPainted(a, nw.X, nw.Y));
  EXPECT_FALSE(NearPainted(a, sw.X, sw.Y));
  EXPECT_FALSE(NearPainted(a, se.X, se.Y));
  EXPECT_TRUE(NearPainted(a, 80, 50));
  EXPECT_TRUE(NearPainted(a, 50, 20));

  TBitmap b(101, 101);
  b.Canvas().SetPen(MakePen(clBlack));
  ASSERT_TRUE(b.Canvas().Arc(box, north, east));
  EXPECT_FALSE(NearPainted(b, ne.X, ne.Y));
  EXPECT_TRUE(NearPainted(b, nw.X, nw.Y));
  EXPECT_TRUE(NearPainted(b, sw.X, sw.Y));
  EXPECT_TRUE(NearPainted(b, se.X, se.Y));

  // Equal rays: the whole ellipse.
  TBitmap c(101, 101);
  c.Canvas().SetPen(MakePen(clBlack));
  ASSERT_TRUE(c.Canvas().Arc(box, east, east));
  for (TGdiPoint p : {ne, nw, sw, se}) EXPECT_TRUE(NearPainted(c, p.X, p.Y));
}

TEST(GdiFigures, PolygonFillModes) {
  // A pentagram: the centre is outside with alternate filling, inside with
  // winding.
  TGdiPoint star[] = {{50, 5}, {78, 90}, {5, 35}, {95, 35}, {22, 90}};
  TBrush brush;
  brush.Color = clBlack;
  for (TFillMode mode : {TFillMode::Alternate, TFillMode::Winding}) {
    TBitmap b(100, 100);
    b.Canvas().SetPen(MakePen(clBlack, pmCopy, psClear));
    b.Canvas().SetBrush(brush);
    ASSERT_TRUE(b.Canvas().Polygon(star, 5, mode));
    EXPECT_EQ(b.Pixel(50, 50) == clBlack, mode == TFillMode::Winding);
    EXPECT_EQ(b.Pixel(50, 20), clBlack);
  }
}

TEST(GdiFigures, HatchAndPatternBrushes) {
  TBitmap b(16, 16, clRed);
  TCanvas& c = b.Canvas();
  c.SetBkMode(TBkMode::Transparent);
  TBrush cross;
  cross.Style = bsCross;
  cross.Color = clBlack;
  ASSERT_TRUE(c.FillRect({0, 0, 16, 16}, cross));
  int black = 0, red = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) (b.Pixel(x, y) == clBlack ? black : red) += 1;
  EXPECT_EQ(black, 2 * 16 + 2 * 16 - 4);  // rows 0 and 8, columns 0 and 8
  EXPECT_EQ(red, 256 - black);

  TBitmap p(8, 8);
  TBrush pattern;
  pattern.Style = bsPattern;
  pattern.Color = clBlue;
  for (int i = 0; i < 8; ++i) pattern.Pattern[i] = i % 2 == 0 ? 0xF0 : 0x0F;
  p.Canvas().SetBkMode(TBkMode::Opaque);
  p.Canvas().SetBkColor(clLime);
  ASSERT_TRUE(p.Canvas().FillRect({0, 0, 8, 8}, pattern));
  EXPECT_EQ(p.Pixel(0, 0), clBlue);
  EXPECT_EQ(p.Pixel(4, 0), clLime);
  EXPECT_EQ(p.Pixel(0, 1), clLime);
  EXPECT_EQ(p.Pixel(7, 1), clBlue);
}

TEST(GdiText, FontsMapToTheirMetricTwins) {
  struct Case {
    const char* asked;
    const char* used;
  } cases[] = {
      {"Arial", "Liberation Sans"},
      {"arial", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"},
      {"Courier New", "Liberation Mono"},
      {"Liberation Sans", "Liberation Sans"},
  };
  for (const Case& k : cases) EXPECT_EQ(ResolveFaceName(k.asked), k.used);
}

TEST(GdiText, NegativeHeightIsTheCharacterHeightPositiveTheCell) {
  TBitmap b(10, 10);
  TFont font;
  font.Name = "Arial";
  font.Height = -100;
  b.Canvas().SetFont(font);
  TTextMetric tm = b.Canvas().GetTextMetrics();
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 100);
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_NEAR(tm.tmAscent, 91, 1);  // the face's own proportions
  EXPECT_NEAR(tm.tmDescent, 21, 1);
  EXPECT_EQ(tm.tmCharSet, EASTEUROPE_CHARSET);

  font.Height = 112;
  b.Canvas().SetFont(font);
  TTextMetric cell = b.Canvas().GetTextMetrics();
  EXPECT_NEAR(cell.tmHeight, 112, 1);
}

TEST(GdiText, AlignmentPutsTheReferencePointWhereTheFlagsSay) {
  TFont font;
  font.Name = "Arial";
  font.Height = -40;
  const std::string text = "HHHH";
  struct Case {
    std::uint32_t align;
  } cases[] = {{TA_LEFT | TA_BASELINE}, {TA_CENTER | TA_TOP}, {TA_RIGHT | TA_BOTTOM}};
  for (const Case& k : cases) {
    TBitmap b(300, 200);
    TCanvas& c = b.Canvas();
    c.SetFont(font);
    c.SetBkMode(TBkMode::Transparent);
    c.SetTextAlign(k.align);
    TTextMetric tm = c.GetTextMetrics();
    TGdiPoint extent = c.TextExtent(text);
    ASSERT_TRUE(c.TextOut(150, 100, text));
    Box box = PaintedBox(b);
    ASSERT_GT(box.Count, 0);
    // "H" sits on the base line and has no descender.
    int baseline = 100;
    if ((k.align & TA_BASELINE) == TA_BASELINE)
      baseline = 100;
    else if (k.align & TA_BOTTOM)
      baseline = 100 - tm.tmDescent;
    else
      baseline = 100 + tm.tmAscent;
    EXPECT_NEAR(box.Bottom, baseline - 1, 1) << k.align;
    int left = 150;
    if ((k.align & TA_CENTER) == TA_CENTER)
      left = 150 - extent.X / 2;
    else if (k.align & TA_RIGHT)
      left = 150 - extent.X;
    EXPECT_NEAR(box.Left, left, 4) << k.align;
    EXPECT_LE(box.Right, left + extent.X) << k.align;
  }
}

TEST(GdiText, RotatedTextTurnsAboutItsReferencePoint) {
  TFont font;
  font.Name = "Arial";
  font.Height = -40;
  const std::string text = "HHHH";
  TBitmap flat(300, 300), turned(300, 300);
  for (TBitmap* b : {&flat, &turned}) {
    TCanvas& c = b->Canvas();
    font.Escapement = b == &flat ? 0 : 900;
    c.SetFont(font);
    c.SetBkMode(TBkMode::Transparent);
    c.SetTextAlign(TA_LEFT | TA_BASELINE);
    ASSERT_TRUE(c.TextOut(120, 200, text));
  }
  Box f = PaintedBox(flat);
  Box t = PaintedBox(turned);
  ASSERT_GT(f.Count, 0);
  // Turned 90 degrees counter-clockwise about (120, 200):
  // (x, y) -> (120 + (y - 200), 200 - (x - 120)); the text runs upwards.
  // Turned glyphs are not hinted, hence a pixel or two of play.
  EXPECT_NEAR(t.Left, 120 + (f.Top - 200), 2);
  EXPECT_NEAR(t.Right, 120 + (f.Bottom - 200), 2);
  EXPECT_NEAR(t.Top, 200 - (f.Right - 120), 2);
  EXPECT_NEAR(t.Bottom, 200 - (f.Left - 120), 2);
  EXPECT_NEAR(t.Count, f.Count, f.Count / 20);
}

TEST(GdiText, OpaqueBackgroundFillsTheTextCellAndPenModeIsIgnored) {
  TBitmap b(200, 80, clLime);
  TCanvas& c = b.Canvas();
  TFont font;
  font.Height = -20;
  font.Color = clBlue;
  c.SetFont(font);
  c.SetPen(MakePen(clBlack, pmXor));
  c.SetBkMode(TBkMode::Opaque);
  c.SetBkColor(clRed);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  ASSERT_TRUE(c.TextOut(10, 10, "Łódź"));
  TTextMetric tm = c.GetTextMetrics();
  EXPECT_EQ(b.Pixel(10, 10), clRed);
  EXPECT_EQ(b.Pixel(10, 10 + tm.tmHeight), clLime);
  int blue = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 200; ++x) blue += b.Pixel(x, y) == clBlue;
  EXPECT_GT(blue, 20);
}

TEST(GdiClip, ClipRectanglesAndRegions) {
  TBrush black;
  black.Color = clBlack;
  {
    TBitmap b(40, 40);
    b.Canvas().IntersectClipRect({10, 10, 30, 30});
    b.Canvas().ExcludeClipRect({15, 15, 20, 20});
    EXPECT_EQ(b.Canvas().ClipBox(), (TGdiRect{10, 10, 30, 30}));
    b.Canvas().FillRect({0, 0, 40, 40}, black);
    EXPECT_EQ(PaintedBox(b).Count, 20 * 20 - 5 * 5);
    EXPECT_EQ(b.Pixel(17, 17), clWhite);
    b.Canvas().SelectClipRegion(nullptr);
    EXPECT_EQ(b.Canvas().ClipBox(), (TGdiRect{0, 0, 40, 40}));
  }
  {
    TBitmap b(40, 40);
    TRegion ellipse = TRegion::Ellipse({0, 0, 40, 40});
    b.Canvas().SelectClipRegion(&ellipse);
    b.Canvas().FillRect({0, 0, 40, 40}, black);
    EXPECT_EQ(b.Pixel(1, 1), clWhite);
    EXPECT_EQ(b.Pixel(20, 20), clBlack);
  }
}

TEST(GdiClip, RegionCombinations) {
  TRegion a = TRegion::Rect({0, 0, 10, 10});
  TRegion b = TRegion::Rect({5, 5, 15, 15});
  struct Case {
    TRegionMode mode;
    bool at2, at7, at12;
  } cases[] = {
      {TRegionMode::And, false, true, false}, {TRegionMode::Or, true, true, true},
      {TRegionMode::Xor, true, false, true},  {TRegionMode::Diff, true, false, false},
      {TRegionMode::Copy, true, true, false},
  };
  for (const Case& k : cases) {
    TRegion r;
    r.Combine(a, b, k.mode);
    EXPECT_EQ(r.Contains(2, 2), k.at2) << int(k.mode);
    EXPECT_EQ(r.Contains(7, 7), k.at7) << int(k.mode);
    EXPECT_EQ(r.Contains(12, 12), k.at12) << int(k.mode);
  }
  EXPECT_EQ(a.Box(), (TGdiRect{0, 0, 10, 10}));
  EXPECT_FALSE(a.Contains(10, 5));
  TGdiPoint triangle[] = {{0, 0}, {20, 0}, {0, 20}};
  TRegion t = TRegion::Polygon(triangle, 3, TFillMode::Alternate);
  EXPECT_TRUE(t.Contains(3, 3));
  EXPECT_FALSE(t.Contains(15, 15));
  EXPECT_TRUE(TRegion().IsEmpty());
}

TEST(GdiBlit, RasterOperationsOfBlits) {
  TBitmap src(20, 20);
  PaintBackground(src.Canvas());
  TBitmap dst(20, 20, RGB(1, 2, 3));
  PaintBackground(dst.Canvas());
  dst.Canvas().SetPixel(3, 3, RGB(77, 88, 99));
  TBitmap original(20, 20);
  ASSERT_TRUE(original.Canvas().BitBlt(0, 0, 20, 20, dst.Canvas(), 0, 0));
  EXPECT_TRUE(original.SameAs(dst));

  ASSERT_TRUE(dst.Canvas().BitBlt(0, 0, 20, 20, src.Canvas(), 0, 0, SRCINVERT));
  EXPECT_EQ(dst.Pixel(3, 3), RGB(77, 88, 99) ^ src.Pixel(3, 3));
  ASSERT_TRUE(dst.Canvas().BitBlt(0, 0, 20, 20, src.Canvas(), 0, 0, SRCINVERT));
  EXPECT_TRUE(dst.SameAs(original));

  ASSERT_TRUE(dst.Canvas().BitBlt(0, 0, 20, 20, dst.Canvas(), 0, 0, DSTINVERT));
  EXPECT_EQ(dst.Pixel(3, 3), ~RGB(77, 88, 99) & 0xFFFFFF);
  ASSERT_TRUE(dst.Canvas().BitBlt(0, 0, 2, 2, src.Canvas(), 0, 0, BLACKNESS));
  EXPECT_EQ(dst.Pixel(1, 1), clBlack);

  // Stretching doubles each source pixel.
  TBitmap small(2, 2, clWhite);
  small.Canvas().SetPixel(0, 0, clRed);
  TBitmap big(4, 4, clBlack);
  ASSERT_TRUE(big.Canvas().StretchBlt(0, 0, 4, 4, small.Canvas(), 0, 0, 2, 2));
  EXPECT_EQ(big.Pixel(1, 1), clRed);
  EXPECT_EQ(big.Pixel(2, 1), clWhite);

  SetLastError(0);
  EXPECT_FALSE(dst.Canvas().BitBlt(0, 0, 4, 4, src.Canvas(), 0, 0, 0x00123456));
  EXPECT_EQ(LastError(), kErrorInvalidParameter);
}

TEST(GdiBlit, StretchDIBitsReadsBottomUpRowsAndPalettes) {
  // 2 x 2, 24 bits, bottom-up: the first row in memory is the lowest.
  const std::uint8_t rows24[] = {
      0,   0, 255, 0,   255, 0,   0, 0,  // bottom: red, green (+2 padding)
      255, 0, 0,   255, 255, 255, 0, 0,  // top: blue, white
  };
  TDibInfo info;
  info.Width = 2;
  info.Height = 2;
  info.BitCount = 24;
  TBitmap b(2, 2, clBlack);
  ASSERT_TRUE(b.Canvas().StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, rows24, sizeof rows24, info));
  EXPECT_EQ(b.Pixel(0, 1), clRed);
  EXPECT_EQ(b.Pixel(1, 1), clLime);
  EXPECT_EQ(b.Pixel(0, 0), clBlue);
  EXPECT_EQ(b.Pixel(1, 0), clWhite);

  // 8 bits, top-down, through the palette.
  const std::uint8_t rows8[] = {1, 0, 0, 0, 0, 1, 0, 0};
  TDibInfo pal;
  pal.Width = 2;
  pal.Height = -2;
  pal.BitCount = 8;
  pal.Palette = {clBlack, RGB(10, 20, 30)};
  ASSERT_TRUE(b.Canvas().StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, rows8, sizeof rows8, pal));
  EXPECT_EQ(b.Pixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(b.Pixel(1, 0), clBlack);
  EXPECT_EQ(b.Pixel(1, 1), RGB(10, 20, 30));
}

TEST(GdiBlit, StretchDIBitsRefusesRowsShorterThanTheHeaderSays) {
  const std::uint8_t rows[7] = {};
  TDibInfo info;
  info.Width = 2;
  info.Height = 2;
  info.BitCount = 24;
  TBitmap b(2, 2, clLime);
  SetLastError(0);
  EXPECT_FALSE(b.Canvas().StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, rows, sizeof rows, info));
  EXPECT_EQ(LastError(), kErrorInvalidParameter);
  info.BitCount = 8;  // no palette
  EXPECT_FALSE(b.Canvas().StretchDIBits(0, 0, 2, 2, 0, 0, 2, 2, rows, sizeof rows, info));
  info.BitCount = 24;
  const std::uint8_t enough[16] = {};
  EXPECT_FALSE(b.Canvas().StretchDIBits(0, 0, 2, 2, 1, 0, 2, 2, enough, sizeof enough, info))
      << "source rectangle outside the rows";
  EXPECT_EQ(PaintedBox(b, clLime).Count, 0);
}

namespace {

// One drawing of everything a metafile has to carry.
void DrawScene(TCanvas& c) {
  TBrush brush;
  brush.Color = RGB(30, 140, 200);
  c.SetBrush(brush);
  c.SetPen(MakePen(RGB(200, 10, 10), pmCopy, psSolid, 3));
  c.Rectangle({10, 10, 70, 50});
  c.SetPen(MakePen(clBlack, pmCopy, psDashDot));
  c.SetBkMode(TBkMode::Transparent);
  c.Ellipse({40, 30, 110, 90});
  TBrush hatch;
  hatch.Style = bsDiagCross;
  hatch.Color = RGB(0, 120, 0);
  c.FillRect({80, 5, 115, 40}, hatch);
  c.SetPen(MakePen(clWhite, pmXor));
  TGdiPoint points[] = {{0, 0}, {119, 99}, {0, 99}, {119, 0}};
  std::int32_t counts[] = {2, 2};
  c.PolyPolyline(points, counts, 2);
  c.SetPen(MakePen(clBlack));
  c.Arc({20, 20, 101, 101}, {120, 60}, {60, 0});
  TGdiPoint triangle[] = {{5, 95}, {30, 60}, {55, 95}};
  c.Polygon(triangle, 3);
  TFont font;
  font.Height = -14;
  font.Color = RGB(90, 0, 90);
  c.SetFont(font);
  c.SetTextAlign(TA_CENTER | TA_BASELINE);
  c.TextOut(60, 70, "Działka 12/3");
}

}  // namespace

TEST(GdiMetafile, ReplaysOntoAnImageIdentically) {
  TBitmap direct(120, 100);
  DrawScene(direct.Canvas());

  TMetafile meta(120, 100);
  TCanvas& rec = meta.BeginRecording();
  EXPECT_EQ(rec.Width(), 120);
  EXPECT_EQ(rec.Height(), 100);
  DrawScene(rec);
  TBitmap busy(120, 100);
  SetLastError(0);
  EXPECT_FALSE(meta.Play(busy.Canvas(), 0, 0)) << "played while recording";
  meta.EndRecording();

  TBitmap replayed(120, 100);
  ASSERT_TRUE(meta.Play(replayed.Canvas(), 0, 0));
  EXPECT_TRUE(replayed.SameAs(direct));
  EXPECT_GT(PaintedBox(replayed).Count, 1000);

  // Played at an offset, the drawing moves with it.
  TBitmap moved(140, 120);
  ASSERT_TRUE(meta.Play(moved.Canvas(), 20, 20));
  EXPECT_EQ(moved.Pixel(20 + 12, 20 + 12), direct.Pixel(12, 12));
}

TEST(GdiPrinter, PdfJobWritesItsPages) {
  ScratchFolder dir;
  TPrinterSettings settings;
  settings.OutputFile = dir / "wydruk.pdf";
  settings.Title = "Mapa";
  settings.Resolution = 300;
  TPrinter printer(settings);
  EXPECT_EQ(printer.PageWidth(), 2480);
  EXPECT_EQ(printer.PageHeight(), 3508);
  ASSERT_TRUE(printer.BeginDoc());
  EXPECT_TRUE(printer.Printing());
  TCanvas& c = printer.Canvas();
  EXPECT_EQ(c.DpiX(), 300);
  c.SetPen(MakePen(clBlack, pmCopy, psSolid, 5));
  c.MoveTo(100, 100);
  EXPECT_TRUE(c.LineTo(2000, 3000));
  TFont font;
  font.Height = -60;
  c.SetFont(font);
  EXPECT_TRUE(c.TextOut(200, 200, "Działka 123/4"));
  ASSERT_TRUE(printer.NewPage());
  EXPECT_EQ(printer.PageNumber(), 2);
  EXPECT_TRUE(printer.Canvas().Ellipse({100, 100, 1000, 1000}));
  ASSERT_TRUE(printer.EndDoc());
  EXPECT_FALSE(printer.Printing());

  std::string pdf = ScratchFolder::Get(settings.OutputFile);
  ASSERT_GT(pdf.size(), 200u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
}

TEST(GdiPrinter, AbortedJobLeavesNoFileAndBadSettingsFail) {
  ScratchFolder dir;
  TPrinterSettings settings;
  settings.OutputFile = dir / "przerwany.pdf";
  {
    TPrinter printer(settings);
    ASSERT_TRUE(printer.BeginDoc());
    printer.Canvas().Rectangle({0, 0, 100, 100});
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
  }
  EXPECT_FALSE(FileExists(settings.OutputFile));

  TPrinter nowhere(TPrinterSettings{});
  SetLastError(0);
  EXPECT_FALSE(nowhere.BeginDoc());
  EXPECT_EQ(LastError(), kErrorInvalidParameter);
  EXPECT_FALSE(nowhere.NewPage());
  EXPECT_FALSE(nowhere.EndDoc());
}

TEST(GdiCanvas, LockKeepsOtherThreadsOutUntilReleased) {
  TBitmap b(10, 10);
  TCanvas& c = b.Canvas();
  std::atomic<bool> gotIt{true};
  {
    TCanvasLock lock(c);
    c.Lock();  // the lock is recursive for its holder
    c.Unlock();
    std::thread other([&] {
      gotIt = c.TryLock();
      if (gotIt) c.Unlock();
    });
    other.join();
    EXPECT_FALSE(gotIt);
  }
  std::thread later([&] {
    gotIt = c.TryLock();
    if (gotIt) {
      c.SetPixel(1, 1, clBlack);
      c.Unlock();
    }
  });
  later.join();
  EXPECT_TRUE(gotIt);
  EXPECT_EQ(b.Pixel(1, 1), clBlack);
}

TEST(GdiSurface, SurfaceCanvasFollowsAResizedWindow) {
  TImageSurface surface(20, 20);
  TSurfaceCanvas dc(surface);
  dc.Canvas().SetPixel(5, 5, clRed);
  EXPECT_EQ(surface.PixelAt(5, 5), clRed);
  surface.Resize(50, 30);
  EXPECT_EQ(dc.Canvas().Width(), 50);
  dc.Canvas().SetPixel(40, 25, clBlue);
  EXPECT_EQ(surface.PixelAt(40, 25), clBlue);
  int before = surface.ChangeCount();
  dc.Update();
  EXPECT_EQ(surface.ChangeCount(), before + 1);

  surface.Resize(0, 0);  // a window without a size draws nowhere
  EXPECT_TRUE(dc.Canvas().SetPixel(0, 0, clRed));
}

// A canvas kept over a window for a while (a tool's inverted figures under
// the pointer) shows what every drawing call drew as the call ends, not
// only when the canvas is released: the window is told at once.
TEST(GdiSurface, EveryDrawingCallOnAKeptSurfaceCanvasIsShownAtOnce) {
  TImageSurface surface(40, 30);
  TSurfaceCanvas dc(surface);
  TCanvas& c = dc.Canvas();
  c.SetPen(MakePen(clBlack, pmNot));
  c.SetBrush(TBrush{clWhite, bsClear, {}});
  const TGdiPoint points[] = {{2, 2}, {30, 2}, {30, 20}};
  const struct {
    const char* name;
    std::function<bool()> draw;
  } calls[] = {
      {"LineTo", [&] { return c.LineTo(25, 15); }},
      {"Polyline", [&] { return c.Polyline(points, 3); }},
      {"Rectangle", [&] { return c.Rectangle({5, 5, 20, 15}); }},
      {"SetPixel", [&] { return c.SetPixel(3, 3, clRed); }},
  };
  for (const auto& call : calls) {
    SCOPED_TRACE(call.name);
    const int before = surface.ChangeCount();
    ASSERT_TRUE(call.draw());
    EXPECT_GT(surface.ChangeCount(), before);
  }
}

TEST(GdiSurface, BitmapResizeKeepsWhatFitsAndTheCanvas) {
  TBitmap b(10, 10, clWhite);
  TCanvas& c = b.Canvas();
  c.SetPixel(2, 2, clRed);
  c.SetPixel(8, 8, clBlue);
  b.SetSize(5, 20, clLime);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Pixel(2, 2), clRed);
  EXPECT_EQ(b.Pixel(2, 15), clLime);
  EXPECT_EQ(b.Pixel(8, 8), 0xFFFFFFFFu);
  EXPECT_TRUE(c.SetPixel(4, 19, clBlack));
  EXPECT_EQ(b.Pixel(4, 19), clBlack);
}
