#include "objects/styledcanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "drawing/canvascfg.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "objects/clipbounds.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/gdiprint.h"
#include "common/scratch_folder.h"

namespace {

constexpr platform::TColor kWhite = platform::clWhite;

// A section with one dash along the line from 0 to DashEnd, Length long.
std::unique_ptr<TLineSection> DashSection(double Length, double DashEnd) {
  auto section = std::make_unique<TLineSection>();
  section->EndPos = Length;
  TElementRecord rec;
  rec.Type = kElemLine;
  rec.Y2 = DashEnd;
  section->AddElementFromRecord(rec);
  return section;
}

// A decorated style: dashes of Dash along a pattern of Length millimetres;
// PenStyle negative: no pen style of its own.
std::unique_ptr<TLine> DashedStyle(double Length, double Dash, int PenStyle) {
  auto style = std::make_unique<TLine>();
  style->Number = 40;
  style->MiddleSection = DashSection(Length, Dash);
  if (PenStyle < 0)
    style->Flags |= kLineNoPenStyle;
  else
    style->PenStyle = static_cast<std::uint8_t>(PenStyle);
  return style;
}

struct Drawn {
  double X1, Y1, X2, Y2;
  std::uint8_t PenStyle;
  bool NoEndMarks;
};

// Records every world segment with the pen style and the end-mark bit, and
// every platform pen change, then draws as usual.
template <class Base>
class Recording : public Base {
public:
  using Base::Base;
  void Line(double X1, double Y1, double X2, double Y2) override {
    Drawn.push_back({X1, Y1, X2, Y2, this->Pen->Style(), (this->State & csNoEndMarks) != 0});
    Base::Line(X1, Y1, X2, Y2);
  }
  void ApplyPen() override {
    ++PenApplied;
    Base::ApplyPen();
  }
  std::vector<::Drawn> Drawn;
  int PenApplied = 0;
};

// The window background of the XOR tests and its inverse.
constexpr platform::TColor kBackground = platform::RGB(30, 120, 200);
constexpr platform::TColor kInvertedBackground = ~kBackground & 0xFFFFFFu;

// The vertical line across the middle of the window, drawn and shown.
void ShowMiddleLine(TXORCanvas& Canvas, platform::TSurfaceCanvas& Window) {
  Canvas.Line(100, 0, 100, 200);
  Canvas.FlushLines();
  Window.Update();
}

// A 200 x 200 window over world 0..200 both ways: one world unit a pixel,
// world (X, Y) at device (Y, 200 - X).
class StyledCanvasTest : public ::testing::Test {
protected:
  StyledCanvasTest() {
    dims.SetWorldRect(TRealRect{0, 0, 200, 200});
    dims.SetDeviceSize(200, 200);
    cfg = konf.GetGroup(std::make_unique<TCanvasCfg>());
    cfg->Kroj = 1;
    cfg->Skala = 1000;
    cfg->DpmX = cfg->DpmY = 4.0;
  }

  int DarkPixels(const platform::TBitmap& B) const {
    int n = 0;
    for (int y = 0; y < B.Height(); ++y)
      for (int x = 0; x < B.Width(); ++x) n += B.Pixel(x, y) != kWhite;
    return n;
  }

  TWindowDim dims;
  TKonfiguracja konf;
  TCanvasCfg* cfg = nullptr;
  platform::TBitmap bitmap{200, 200};
};

TEST_F(StyledCanvasTest, StyledLineDrawsPlainlyOrDecoratedByDisplayAndPatternLength) {
  // Each row: text display, pattern length in millimetres (one pixel per
  // millimetre here), the style's pen style (-1: none), whether a style is
  // given; then the expected segments and the pen style they are drawn with.
  struct Row {
    const char* What;
    std::uint8_t Kroj;
    double Pattern;
    int PenStyle;
    bool WithStyle;
    std::size_t Segments;
    std::uint8_t DrawnPen;
  };
  const Row rows[] = {
      {"outside precise display a pen style wins", 1, 10, platform::psDash, true, 1,
       platform::psDash},
      {"precise display decorates", 2, 10, platform::psDash, true, 10, platform::psSolid},
      {"no pen style decorates in any display", 1, 10, -1, true, 10, platform::psSolid},
      {"a pattern of 1.5 pixels is plain in its pen style", 2, 1.5, platform::psDashDot, true, 1,
       platform::psDashDot},
      {"a short pattern without pen style is dotted", 2, 1.5, -1, true, 1, platform::psDot},
      {"no style at all is dotted", 1, 10, 0, false, 1, platform::psDot},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.What);
    cfg->Kroj = r.Kroj;
    Recording<TDefRealCanvas> canvas(&bitmap.Canvas(), konf, &dims);
    const auto style = DashedStyle(r.Pattern, r.Pattern / 2, r.PenStyle);
    canvas.StyledLine(50, 20, 50, 120, r.WithStyle ? style.get() : nullptr);
    ASSERT_EQ(canvas.Drawn.size(), r.Segments);
    for (const Drawn& d : canvas.Drawn) {
      EXPECT_EQ(d.PenStyle, r.DrawnPen);
      EXPECT_EQ(d.NoEndMarks, r.Segments > 1);
    }
    EXPECT_EQ(canvas.State & csNoEndMarks, 0);
    canvas.ClearLines();
  }
}

TEST_F(StyledCanvasTest, CurrentStyleOperationsWithoutAStyleKeepThePen) {
  Recording<TDefRealCanvas> canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Pen->SetStyle(platform::psDashDotDot);
  canvas.StyledLineCurrent(10, 10, 10, 100);
  ASSERT_EQ(canvas.Drawn.size(), 1u);
  EXPECT_EQ(canvas.Drawn[0].PenStyle, platform::psDashDotDot);
  canvas.ApplyCurrentStylePen();
  EXPECT_EQ(canvas.Pen->Style(), platform::psDot);

  cfg->Kroj = 2;
  const auto style = DashedStyle(10, 5, platform::psDash);
  canvas.SetStyleSource(style.get());
  canvas.ApplyCurrentStylePen();  // decorated: the pen stays
  EXPECT_EQ(canvas.Pen->Style(), platform::psDot);
  cfg->Kroj = 1;
  canvas.ApplyCurrentStylePen();
  EXPECT_EQ(canvas.Pen->Style(), platform::psDash);
}

TEST_F(StyledCanvasTest, StyledCircleAndArcDecorateTheirOutline) {
  cfg->Kroj = 2;
  const auto style = DashedStyle(10, 5, -1);
  Recording<TDefRealCanvas> canvas(&bitmap.Canvas(), konf, &dims);
  canvas.StyledCircle(TRealPoint{100, 100}, style.get(), 50);
  const std::size_t circle = canvas.Drawn.size();
  EXPECT_GT(circle, 20u);
  // A quarter arc from (150, 100) anticlockwise to (100, 150); its signed
  // radius is drawn as its size.
  canvas.StyledArc(TRealEnds{TRealPoint{100, 150}, TRealPoint{150, 100}}, TRealPoint{100, 100},
                   style.get(), -50);
  const std::size_t arc = canvas.Drawn.size() - circle;
  EXPECT_GT(arc, circle / 8);
  EXPECT_LT(arc, circle / 2);
  for (std::size_t i = circle; i < canvas.Drawn.size(); ++i) {
    const Drawn& d = canvas.Drawn[i];
    EXPECT_NEAR(std::hypot(d.X1 - 100, d.Y1 - 100), 50, 1.0);
    EXPECT_TRUE(d.NoEndMarks);
  }
  // A window wholly inside the circle shows nothing.
  canvas.Drawn.clear();
  canvas.StyledCircle(TRealPoint{100, 100}, style.get(), 1000);
  EXPECT_TRUE(canvas.Drawn.empty());
}

TEST_F(StyledCanvasTest, RestoreRightAfterSaveMakesNoPlatformCall) {
  Recording<TDefRealCanvas> canvas(&bitmap.Canvas(), konf, &dims);
  canvas.SaveCanvasState();
  canvas.Line(10, 10, 10, 100);
  const int applied = canvas.PenApplied;
  canvas.RestoreCanvasState();
  EXPECT_EQ(canvas.PenApplied, applied);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);  // nothing flushed

  canvas.Pen->SetWidth(3);
  EXPECT_EQ(canvas.Lines->PartCount(), 0);  // the width change drew the buffer
  canvas.Line(20, 10, 20, 100);
  canvas.RestoreCanvasState();
  EXPECT_EQ(canvas.Pen->Width(), 1);
  EXPECT_EQ(canvas.Lines->PartCount(), 0);  // drawn thick before the pen went back
  EXPECT_NE(bitmap.Pixel(50, 179), kWhite);
  EXPECT_NE(bitmap.Pixel(50, 181), kWhite);
}

TEST_F(StyledCanvasTest, RestoreBringsBackAJustificationChangedBehindTheCleanBit) {
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.SetJustification(7);
  canvas.FontNumber = 0;
  canvas.SaveCanvasState();
  // An object changes its justification and font; neither clears the bit.
  canvas.SetJustification(3);
  canvas.FontNumber = 2;
  canvas.RestoreCanvasState();
  EXPECT_EQ(canvas.Justification, 7);
  EXPECT_EQ(canvas.FontNumber, 0);
}

TEST_F(StyledCanvasTest, SetStyleSourceNoneRestoresOnlyOnTheDefaultCanvas) {
  const auto saved = DashedStyle(10, 5, 0);
  const auto other = DashedStyle(10, 5, 1);
  TDefRealCanvas def(&bitmap.Canvas(), konf, &dims);
  def.SetStyleSource(saved.get());
  def.SaveCanvasState();
  def.SetStyleSource(other.get());
  EXPECT_EQ(def.State & csClean, 0);
  def.SetStyleSource(nullptr);
  EXPECT_EQ(def.CurrentLineStyle, saved.get());

  TNoDefRealCanvas nodef(&bitmap.Canvas(), &dims, cfg);
  nodef.SetStyleSource(other.get());
  nodef.SetStyleSource(nullptr);
  EXPECT_EQ(nodef.CurrentLineStyle, other.get());
}

TEST_F(StyledCanvasTest, DrawParamsAndSettingsFollowTheCanvas) {
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  EXPECT_EQ(canvas.Cfg(), cfg);
  canvas.SetScaleAnchors(TScaleAnchors{1, 2, 3, 4});
  EXPECT_EQ(canvas.CreateDrawParams()->ScaleAnchors, (TScaleAnchors{1, 2, 3, 4}));
  cfg->SkalaFlagi = sfTexts;
  cfg->Skala = 2000;
  canvas.Size = 2;
  EXPECT_DOUBLE_EQ(canvas.GetSize(), 6.0);

  struct Listener {
    void Changed(TParametryConf*) { ++Count; }
    int Count = 0;
  } listener;
  canvas.AddCfgHandler(TConfNotify(&listener, &Listener::Changed));
  cfg->NotifyChanged();
  canvas.RemoveCfgHandler(TConfNotify(&listener, &Listener::Changed));
  cfg->NotifyChanged();
  EXPECT_EQ(listener.Count, 1);
}

TEST_F(StyledCanvasTest, XorFigureDrawnTwiceLeavesTheWindowAsItWas) {
  platform::TImageSurface surface(200, 200, kBackground);
  platform::TSurfaceCanvas window(surface);
  std::vector<std::uint32_t> before;
  for (int x = 0; x < 200; ++x) before.push_back(surface.PixelAt(x, 100));

  TXORCanvas canvas(&window.Canvas(), konf, &dims);
  canvas.Pen->SetColor(platform::clRed);  // the colour does not matter
  ShowMiddleLine(canvas, window);
  EXPECT_EQ(surface.PixelAt(50, 100), kInvertedBackground);

  // A thick figure shown and taken away over the thin one.
  canvas.Pen->SetWidth(3);
  ShowMiddleLine(canvas, window);
  EXPECT_EQ(surface.PixelAt(50, 101), kInvertedBackground);
  ShowMiddleLine(canvas, window);
  canvas.Pen->SetWidth(1);
  ShowMiddleLine(canvas, window);
  for (int x = 0; x < 200; ++x) EXPECT_EQ(surface.PixelAt(x, 100), before[x]) << x;
}

TEST_F(StyledCanvasTest, FirstXorFigureBeforeAnyPenChangeWasDrawnInCopyMode) {
  platform::TImageSurface surface(200, 200, kBackground);
  platform::TSurfaceCanvas window(surface);
  TXORCanvas canvas(&window.Canvas(), konf, &dims);
  ShowMiddleLine(canvas, window);
  EXPECT_EQ(surface.PixelAt(50, 100), kInvertedBackground);
  ShowMiddleLine(canvas, window);
  EXPECT_EQ(surface.PixelAt(50, 100), kBackground);
}

TEST_F(StyledCanvasTest, ThickLinesAreEmulatedByParallelThinLines) {
  cfg->WindowsThickLines = false;
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Pen->SetStyle(platform::psDash);  // dashed thick pens are emulated
  canvas.Pen->SetWidth(3);
  EXPECT_NE(canvas.State & csThickEmulation, 0);
  canvas.Line(100, 20, 100, 180);
  EXPECT_EQ(canvas.Lines->PartCount(), 3);
  canvas.Pen->SetStyle(platform::psSolid);
  canvas.FlushLines();
  // Across the horizontal line at device y 100: three rows drawn, no more.
  EXPECT_NE(bitmap.Pixel(25, 99), kWhite);
  EXPECT_NE(bitmap.Pixel(25, 100), kWhite);
  EXPECT_NE(bitmap.Pixel(25, 101), kWhite);
  EXPECT_EQ(bitmap.Pixel(25, 98), kWhite);
  EXPECT_EQ(bitmap.Pixel(25, 102), kWhite);
}

TEST_F(StyledCanvasTest, AbortEndsStyledDrawingSilentlyAndDrawsNothing) {
  cfg->Kroj = 2;
  const auto style = DashedStyle(10, 5, -1);
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.SetAbort(true);
  EXPECT_THROW(canvas.StyledLine(10, 10, 10, 190, style.get()), EAbortDraw);
  EXPECT_THROW(canvas.StyledCircle(TRealPoint{100, 100}, style.get(), 50), EAbortDraw);
  try {
    canvas.StyledLine(10, 10, 10, 190, style.get());
  } catch (const EAbort&) {
    // the silent family
  }
  canvas.FlushLines();
  EXPECT_EQ(DarkPixels(bitmap), 0);
  EXPECT_EQ(canvas.State & csNoEndMarks, 0);
}

// A symbol of one line from (0, -1) to (0, 1) in symbol units and a circle.
std::unique_ptr<TSymbol> SmallSymbol(double Size, double Extent) {
  TSymbolHeader header;
  header.Name = "S";
  header.Sizes = {Size, Size, Size, Size};
  header.Extent = Extent;
  header.First = 1;
  header.Count = 2;
  const std::vector<TElementRecord> elements = {
      TElementRecord{0, -1, 0, 1, 0, kElemLine},
      TElementRecord{0, 0, 0, 0, 1, kElemCircle},
  };
  return std::make_unique<TSymbol>(header, elements);
}

TEST_F(StyledCanvasTest, TinySymbolIsATwoPixelDotWithTheOriginMark) {
  cfg->MarkTextOrigin = true;
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Size = 1;
  const auto symbol = SmallSymbol(1, 3);  // 3 pixels
  canvas.DrawSymbol(symbol.get(), TRealPoint{100, 50}, 0);
  ASSERT_EQ(canvas.Lines->PartCount(), 4);
  EXPECT_EQ(canvas.Lines->Point(0), (TPoint{50, 100}));
  EXPECT_EQ(canvas.Lines->Point(1), (TPoint{51, 100}));
  EXPECT_EQ(canvas.Lines->Point(2), (TPoint{50, 101}));
  EXPECT_EQ(canvas.Lines->Point(3), (TPoint{51, 101}));
  EXPECT_EQ(canvas.Lines->PartCount() - 2, 2);  // the cross's two strokes
}

TEST_F(StyledCanvasTest, DrawSymbolScalesTurnsAndRefusesOtherObjects) {
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Size = 10;
  const auto symbol = SmallSymbol(1, 1);
  // Turned a quarter: the line runs along world X at the insertion point.
  canvas.DrawSymbol(symbol.get(), TRealPoint{100, 100}, std::numbers::pi / 2);
  canvas.FlushLines();
  EXPECT_NE(bitmap.Pixel(100, 95), kWhite);
  EXPECT_NE(bitmap.Pixel(100, 105), kWhite);
  EXPECT_EQ(bitmap.Pixel(95, 100), kWhite);
  EXPECT_EQ(canvas.State & (csNoEndMarks | csDrawingSymbol), 0);

  TObject notASymbol;
  EXPECT_THROW(canvas.DrawSymbol(&notASymbol, TRealPoint{100, 100}, 0), EInternalError);
}

TEST_F(StyledCanvasTest, ScaledSymbolReachingIntoTheWindowWasCulled) {
  // The symbol's own bounds (+-1 around the point) lie outside the window,
  // but at size 10 its line reaches 9 units into it.
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Size = 10;
  const auto symbol = SmallSymbol(1, 1);
  canvas.DrawSymbol(symbol.get(), TRealPoint{100, -1}, 0);
  EXPECT_GT(canvas.Lines->PartCount(), 0);
}

TEST_F(StyledCanvasTest, DeviceSymbolReachingIntoTheWindowWasCulled) {
  // A line of +-1 unit along Y, anchored left of the window at size 20: a map
  // symbol reaches 20 units, a device symbol 20 mm at 4 dots a millimetre,
  // 80 pixels. Both kinds are culled only when nothing of them can show.
  struct Row {
    const char* What;
    bool Device;
    double AnchorY;
    bool Shows;
  };
  const Row rows[] = {
      {"map symbol 10 pixels in", false, -10, true},
      {"map symbol out of reach", false, -40, false},
      {"device symbol 70 pixels in", true, -10, true},
      {"device symbol 10 pixels in", true, -70, true},
      {"device symbol out of reach", true, -130, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.What);
    TSymbolHeader header;
    header.Sizes = {r.Device ? -1.0 : 1.0, 1, 1, 1};
    header.Extent = 1;
    header.First = 1;
    header.Count = 1;
    const std::vector<TElementRecord> elements = {TElementRecord{0, -1, 0, 1, 0, kElemLine}};
    std::unique_ptr<TSymbol> symbol = r.Device ? std::make_unique<TDPISymbol>(header, elements)
                                               : std::make_unique<TSymbol>(header, elements);
    platform::TBitmap image(200, 200);
    TDefRealCanvas canvas(&image.Canvas(), konf, &dims);
    canvas.Size = 20;
    canvas.DrawSymbol(symbol.get(), TRealPoint{100, r.AnchorY}, 0);
    EXPECT_EQ(canvas.Lines->PartCount() > 0, r.Shows);
    canvas.FlushLines();
    EXPECT_EQ(DarkPixels(image) > 0, r.Shows);
  }
}

TEST_F(StyledCanvasTest, FarAwayDeviceSymbolElementsOverflowedDeviceCoordinates) {
  // A device symbol held in memory (as a damaged library might hold it) with
  // a line 1e9 mm long upwards and one far off to the side: it must paint
  // the pixels of the same line 100 mm long, thin and thick.
  auto make = [](double Reach) {
    auto symbol = std::make_unique<TDPISymbol>();
    symbol->Sizes = {1, 1, 1, 1};
    symbol->Bounds = TRealRect{-1, -1, 1, 1};
    symbol->Add(std::make_unique<TSLinia>(TElementRecord{0, 0, Reach, 0, 0, kElemLine}));
    symbol->Add(std::make_unique<TSLinia>(TElementRecord{0, Reach, -Reach, Reach, 0, kElemLine}));
    return symbol;
  };
  const auto far = make(1e9);
  const auto near = make(100);
  for (int width : {1, 3}) {
    SCOPED_TRACE(width);
    platform::TBitmap farImage(200, 200), nearImage(200, 200);
    for (auto [image, symbol] : {std::pair{&farImage, far.get()}, std::pair{&nearImage, near.get()}}) {
      TDefRealCanvas canvas(&image->Canvas(), konf, &dims);
      canvas.Pen->SetWidth(width);
      canvas.DrawSymbol(symbol, TRealPoint{100, 100}, 0);
      canvas.FlushLines();
    }
    EXPECT_GT(DarkPixels(nearImage), 50);
    EXPECT_TRUE(farImage.SameAs(nearImage));
  }
}

TEST_F(StyledCanvasTest, StyledLineWithTooManyCopiesIsDrawnPlainly) {
  // A pattern of 10 pixels along a line 2e7 units long: two million copies,
  // more than one figure is decorated with.
  Recording<TDefRealCanvas> canvas(&bitmap.Canvas(), konf, &dims);
  const auto style = DashedStyle(10, 5, -1);
  canvas.StyledLine(100, -1e7, 100, 1e7, style.get());
  ASSERT_EQ(canvas.Drawn.size(), 1u);
  EXPECT_EQ(canvas.Drawn[0].PenStyle, platform::psDot);
  // A line of 200 takes its 20 copies.
  canvas.Drawn.clear();
  canvas.StyledLine(100, 0, 100, 200, style.get());
  EXPECT_EQ(canvas.Drawn.size(), 20u);
}

TEST_F(StyledCanvasTest, FlatSymbolWithoutAreaWasNeverDrawn) {
  // One straight element: its bounds have no area, and a box without area
  // never counts as visible.
  TSymbolHeader header;
  header.Sizes = {1, 1, 1, 1};
  header.Extent = 1;
  header.First = 1;
  header.Count = 1;
  const std::vector<TElementRecord> elements = {TElementRecord{0, -1, 0, 1, 0, kElemLine}};
  TSymbol symbol(header, elements);
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Size = 10;
  canvas.DrawSymbol(&symbol, TRealPoint{100, 100}, 0);
  EXPECT_EQ(canvas.Lines->PartCount(), 1);
}

TEST_F(StyledCanvasTest, DeviceCanvasDrawsMillimetresIntoTheSourceBuffer) {
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Pen->SetWidth(3);  // platform thick lines: one segment
  {
    std::unique_ptr<TDPIRealCanvas> device = MakeDeviceCanvas(canvas, TRealPoint{100, 50});
    EXPECT_EQ(device->Pen, canvas.Pen);
    EXPECT_EQ(device->Lines, canvas.Lines);
    EXPECT_EQ(device->State, csThickEmulation);
    device->Line(0, 0, 5, 0);     // 5 mm up at 4 dots a millimetre
    device->Line(0, 0, 0.01, 0);  // one pixel
  }
  ASSERT_EQ(canvas.Lines->PartCount(), 2);
  EXPECT_EQ(canvas.Lines->Point(0), (TPoint{50, 100}));
  EXPECT_EQ(canvas.Lines->Point(1), (TPoint{50, 80}));
  EXPECT_EQ(canvas.Pen->Width(), 3);

  // A device symbol keeps its millimetres whatever the zoom.
  canvas.ClearLines();
  dims.Zoom(4);
  TSymbolHeader header;
  header.Sizes = {-1, 0, 1, 1};
  header.Extent = 1;
  header.First = 1;
  header.Count = 1;
  const std::vector<TElementRecord> elements = {TElementRecord{0, 0, 5, 0, 0, kElemLine}};
  TDPISymbol symbol(header, elements);
  canvas.DrawSymbol(&symbol, TRealPoint{100, 100}, 0);
  ASSERT_EQ(canvas.Lines->PartCount(), 1);
  const TPoint a = canvas.Lines->Point(0);
  const TPoint b = canvas.Lines->Point(1);
  EXPECT_EQ(a.Y - b.Y, 20);
}

TEST_F(StyledCanvasTest, DeviceCanvasLeftByAnAbortLeavesTheSourceBufferAndPenWhole) {
  TDefRealCanvas canvas(&bitmap.Canvas(), konf, &dims);
  canvas.Line(100, 20, 100, 180);
  canvas.SetAbort(true);
  EXPECT_THROW(
      {
        std::unique_ptr<TDPIRealCanvas> device = MakeDeviceCanvas(canvas, TRealPoint{100, 50});
        device->Line(0, 0, 5, 0);  // the source's step tests the source's flag
      },
      EAbortDraw);
  canvas.SetAbort(false);
  // The source still owns its buffer and its pen's handler draws it.
  ASSERT_EQ(canvas.Lines->PartCount(), 1);
  canvas.Pen->SetWidth(3);
  EXPECT_EQ(canvas.Lines->PartCount(), 0);
  EXPECT_GT(DarkPixels(bitmap), 100);
}

TEST(CutSegmentByBoxTest, CutsThePartUnderTheBox) {
  // The box from (0, 0): 10 along Y (the baseline), 4 up along X.
  const TOcclusionBox box{TRealPoint{0, 0}, TRealPoint{0, 10}, TRealPoint{4, 0}};
  struct Row {
    const char* What;
    TRealEnds Seg;
    TCutResult Result;
    TRealEnds Cut;
    TRealPoint SecondStart;
  };
  const Row rows[] = {
      {"through two opposite edges",
       {{{2, -5}, {2, 15}}},
       TCutResult::TwoPieces,
       {{{2, -5}, {2, 0}}},
       {2, 10}},
      {"starting inside", {{{2, 5}, {2, 15}}}, TCutResult::OnePiece, {{{2, 10}, {2, 15}}}, {}},
      {"ending inside", {{{2, -5}, {2, 5}}}, TCutResult::OnePiece, {{{2, -5}, {2, 0}}}, {}},
      {"wholly inside", {{{1, 1}, {3, 9}}}, TCutResult::Hidden, {{{1, 1}, {3, 9}}}, {}},
      {"beside the box", {{{6, -5}, {6, 15}}}, TCutResult::OnePiece, {{{6, -5}, {6, 15}}}, {}},
      {"past a corner", {{{-3, 8}, {3, 14}}}, TCutResult::OnePiece, {{{-3, 8}, {3, 14}}}, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.What);
    TRealEnds seg = r.Seg;
    TRealEnds second{};
    EXPECT_EQ(CutSegmentByBox(box, seg, second), r.Result);
    for (int i = 0; i < 2; ++i) {
      EXPECT_NEAR(seg[i].X, r.Cut[i].X, 1e-9);
      EXPECT_NEAR(seg[i].Y, r.Cut[i].Y, 1e-9);
    }
    if (r.Result == TCutResult::TwoPieces) {
      EXPECT_NEAR(second[0].X, r.SecondStart.X, 1e-9);
      EXPECT_NEAR(second[0].Y, r.SecondStart.Y, 1e-9);
      EXPECT_EQ(second[1], r.Seg[1]);
    }
  }
}

TEST(CutSegmentByBoxTest, OutlinesCutThroughTheirOneOperation) {
  std::vector<std::unique_ptr<TClipBounds>> outlines;
  outlines.push_back(std::make_unique<TTextBounds>(
      TOcclusionBox{TRealPoint{-1, -1}, TRealPoint{0, 2}, TRealPoint{2, 0}}));
  outlines.push_back(std::make_unique<TSymbolCircleBounds>(TRealPoint{0, 0}, 1.0));
  for (const auto& outline : outlines) {
    TRealEnds seg{TRealPoint{0, -5}, TRealPoint{0, 5}};
    TRealEnds second{};
    ASSERT_EQ(outline->CutSegment(seg, second), TCutResult::TwoPieces);
    EXPECT_NEAR(seg[1].Y, -1, 1e-9);
    EXPECT_NEAR(second[0].Y, 1, 1e-9);
    TRealEnds inside{TRealPoint{0, -0.5}, TRealPoint{0, 0.5}};
    EXPECT_EQ(outline->CutSegment(inside, second), TCutResult::Hidden);
    TRealEnds away{TRealPoint{3, -5}, TRealPoint{3, 5}};
    EXPECT_EQ(outline->CutSegment(away, second), TCutResult::OnePiece);
    EXPECT_EQ(away[0], (TRealPoint{3, -5}));
  }
  TSymbolCircleBounds none(TRealPoint{0, 0}, 0);
  TRealEnds seg{TRealPoint{0, -5}, TRealPoint{0, 5}};
  TRealEnds second{};
  EXPECT_EQ(none.CutSegment(seg, second), TCutResult::OnePiece);
}

// The same drawing on the targets that keep no pixels: a printer's PDF page
// and a metafile played back onto a bitmap.
TEST_F(StyledCanvasTest, DrawsOnAPrinterPageAndIntoAMetafile) {
  auto draw = [&](platform::TCanvas& target) {
    TDefRealCanvas canvas(&target, konf, &dims);
    canvas.Pen->SetColor(platform::clBlue);
    canvas.StyledLine(20, 20, 20, 180, DashedStyle(10, 5, platform::psSolid).get());
    canvas.DrawCircle(TRealPoint{100, 100}, 40);
    canvas.FlushLines();
  };

  draw(bitmap.Canvas());
  platform::TMetafile metafile(200, 200);
  draw(metafile.BeginRecording());
  metafile.EndRecording();
  platform::TBitmap played(200, 200);
  ASSERT_TRUE(metafile.Play(played.Canvas(), 0, 0));
  EXPECT_TRUE(played.SameAs(bitmap));
  EXPECT_EQ(played.Pixel(100, 180), platform::clBlue);

  ScratchFolder folder;
  platform::TPrinterSettings settings;
  settings.OutputFile = folder / "scene.pdf";
  settings.Resolution = 72;
  platform::TPrinter printer(settings);
  ASSERT_TRUE(printer.BeginDoc());
  draw(printer.Canvas());
  ASSERT_TRUE(printer.EndDoc());
  const std::string pdf = ScratchFolder::Get(settings.OutputFile);
  ASSERT_GT(pdf.size(), 200u);
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
}

}  // namespace
