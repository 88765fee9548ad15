// A small scene of layer objects drawn by a map view's canvas: a line that
// follows its sublayer's dashed style, a thick special line in a continuous
// style of its own, an arc, an underlined text, a fraction, a referenced
// text, a turned symbol and a point. The picture is written as a PNG beside
// the test program, read back and checked at known places.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "drawing/canvascfg.h"
#include "foundation/storage/real48.h"
#include "defbytes.h"
#include "layer_fixture.h"
#include "objects/activepoints.h"
#include "objects/defelements.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/styledcanvas.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/imagefile.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"

namespace {

using namespace defbytes;

constexpr std::uint32_t kRed = 0x0000DC;
constexpr std::uint32_t kGreen = 0x009600;
constexpr std::uint32_t kBlue = 0xDC0000;
constexpr std::uint32_t kMagenta = 0xC800C8;
constexpr std::uint32_t kBrown = 0x004080;
constexpr std::uint32_t kTeal = 0x808000;
constexpr std::uint32_t kOlive = 0x008080;
constexpr std::uint32_t kBlack = 0x000000;

class LayerScene : public LayerObjectsFixture {};

TEST_F(LayerScene, SceneOfLayerObjectsIsWrittenAsPngWithEveryObjectInPlace) {
  const auto symbols = TSymbolManager::CreateFromFile(folder.Put("scene.sym", SymbolFile()));
  const auto styles = TLineManager::CreateFromFile(folder.Put("scene.lin", DashAndSolidStyles()));
  TSymbol* cross = symbols->FindByName("KRZ");
  TLine* dashed = styles->GetLine(20);
  TLine* solid = styles->GetLine(21);
  ASSERT_NE(cross, nullptr);
  ASSERT_NE(dashed, nullptr);
  ASSERT_NE(solid, nullptr);

  TWindowDim dims;
  dims.SetWorldRect(TRealRect{0, 0, 100, 100});
  dims.SetDeviceSize(300, 300);
  TKonfiguracja konf;
  auto* cfg = konf.GetGroup(std::make_unique<TCanvasCfg>());
  cfg->Kroj = 1;
  cfg->Skala = 1000;
  cfg->SkalaFlagi = sfSymbols;
  cfg->DpmX = cfg->DpmY = 4.0;
  platform::TBitmap picture(300, 300);
  TDefRealCanvas canvas(&picture.Canvas(), konf, &dims);

  // The sublayer's style, then the objects.
  canvas.SetStyleSource(dashed);
  TDefSpecLinia following(TRealPoint{10, 10}, TRealPoint{10, 90});
  following.SetKolor(kRed);
  following.Draw(canvas);
  TLiniaSpecjalna special(TRealPoint{20, 10}, TRealPoint{20, 90}, solid, 0);
  special.Style.Thickness = 2;
  special.SetKolor(kGreen);
  special.Draw(canvas);
  canvas.Pen->SetWidth(1);
  TLuk arc(TPointRec{50, 65, 0}, TPointRec{65, 50, 0}, 15);
  arc.SetKolor(kBlue);
  arc.Draw(canvas);
  TWysNapis underlined(TRealPoint{90, 10}, "II", 6, 7, true);
  underlined.SetKolor(kBlack);
  underlined.Draw(canvas);
  TLicznikMianownik fraction(TRealPoint{90, 40}, "I", "I", 6, 7, false, 0.0f);
  fraction.SetKolor(kBrown);
  fraction.Draw(canvas);
  TWysKatOdnNapis referenced(TRealPoint{90, 70}, "I", 6, 7, false, 0.0f, TRealPoint{60, 95});
  referenced.SetKolor(kTeal);
  referenced.Draw(canvas);
  TWysKatSymbol turned(TRealPoint{30, 80}, cross, 0, static_cast<float>(std::numbers::pi / 4));
  turned.SetKolor(kMagenta);
  turned.Draw(canvas);
  TPunkt point(TRealPoint{30, 40});
  point.SetKolor(kOlive);
  point.Draw(canvas);
  canvas.FlushLines();

  const std::string png = platform::JoinPath(platform::ProgramFolder(), "layerscene.png");
  ASSERT_TRUE(platform::SaveBitmapToFile(picture, png));
  const std::unique_ptr<platform::TBitmap> read = platform::LoadBitmapFromFile(png);
  ASSERT_NE(read, nullptr);
  ASSERT_TRUE(read->SameAs(picture));
  const platform::TBitmap& b = *read;

  auto dev = [&](const TRealPoint& P) { return dims.WorldToDevicePt(P); };
  auto near = [&](const TRealPoint& P, std::uint32_t C) {
    const TPoint d = dev(P);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (b.Pixel(d.X + dx, d.Y + dy) == C) return true;
    return false;
  };
  // Share of the points along a world segment that have colour C.
  auto share = [&](const TRealPoint& A, const TRealPoint& B, std::uint32_t C) {
    int hit = 0;
    const int n = 200;
    for (int i = 0; i <= n; ++i) {
      const TRealPoint p{A.X + (B.X - A.X) * i / n, A.Y + (B.Y - A.Y) * i / n};
      const TPoint d = dev(p);
      if (b.Pixel(d.X, d.Y) == C) ++hit;
    }
    return static_cast<double>(hit) / (n + 1);
  };

  // The style-following line is dashed: partly drawn, partly not.
  const double dashedShare = share({10, 12}, {10, 88}, kRed);
  EXPECT_GT(dashedShare, 0.2);
  EXPECT_LT(dashedShare, 0.8);
  // The special line is continuous in its own style, and thick: drawn a
  // pixel beside its axis too.
  EXPECT_GT(share({20, 12}, {20, 88}, kGreen), 0.95);
  EXPECT_GT(share({20 + 1.0 / 3, 12}, {20 + 1.0 / 3, 88}, kGreen) + share({20 - 1.0 / 3, 12}, {20 - 1.0 / 3, 88}, kGreen),
            0.9);
  // The arc through its middle point, not on the far side of its circle.
  TActivePoints arcPoints(&dims);
  arc.GetSnapPoints(arcPoints, nullptr);
  EXPECT_TRUE(near(arcPoints.Points[1], kBlue));
  EXPECT_FALSE(near(TRealPoint{50 - 15 * std::sqrt(0.5), 50 - 15 * std::sqrt(0.5)}, kBlue));
  // The underline and the reference line, where the objects place them.
  const std::unique_ptr<TDrawParams> params = canvas.CreateDrawParams();
  TAuxLines lines;
  underlined.GetAuxLines(params.get(), lines);
  ASSERT_NE(lines[3], nullptr);
  const TRealPoint u1 = lines[3]->GetStartPoint(), u2 = lines[3]->GetEndPoint();
  EXPECT_TRUE(near(TRealPoint{(u1.X + u2.X) / 2, (u1.Y + u2.Y) / 2}, kBlack));
  referenced.GetAuxLines(params.get(), lines);
  ASSERT_NE(lines[2], nullptr);
  const TRealPoint r1 = lines[2]->GetStartPoint(), r2 = lines[2]->GetEndPoint();
  EXPECT_TRUE(near(TRealPoint{(r1.X + r2.X) / 2, (r1.Y + r2.Y) / 2}, kTeal));
  EXPECT_TRUE(near(TRealPoint{60, 95}, kTeal));
  // The fraction: strokes within its box, above and below the anchor's row.
  int fractionPixels = 0;
  for (int x = 0; x < 300; ++x)
    for (int y = 0; y < 300; ++y)
      if (b.Pixel(x, y) == kBrown) ++fractionPixels;
  EXPECT_GT(fractionPixels, 10);
  // The symbol turned by 45 degrees: an arm along the diagonal, none along
  // the axes inside the circle.
  const double s = params->GetSymbolSize(*cross);
  const double h = 0.5 * s * std::sqrt(0.5);
  EXPECT_TRUE(near(TRealPoint{30 + h, 80 + h}, kMagenta));
  EXPECT_FALSE(near(TRealPoint{30 + 0.5 * s, 80}, kMagenta));
  // The point's dot.
  EXPECT_TRUE(near(TRealPoint{30, 40}, kOlive));
}

TEST_F(LayerScene, SpecialStyleStaysOnTheCanvasAndFollowersTakeIt) {
  const auto styles = TLineManager::CreateFromFile(folder.Put("scene.lin", DashAndSolidStyles()));
  TLine* dashed = styles->GetLine(20);
  ASSERT_NE(dashed, nullptr);
  TWindowDim dims;
  dims.SetWorldRect(TRealRect{0, 0, 100, 100});
  dims.SetDeviceSize(300, 300);
  platform::TBitmap picture(300, 300);
  TNoDefRealCanvas canvas(&picture.Canvas(), &dims, nullptr);
  canvas.Pen->SetIndexedWidth(2, 3);

  // Without a current style a follower draws a plain, continuous line.
  TDefSpecLinia follower(TRealPoint{10, 10}, TRealPoint{10, 90});
  follower.SetKolor(kRed);
  follower.Draw(canvas);
  canvas.FlushLines();
  int plain = 0;
  for (int y = 40; y < 260; ++y)
    if (picture.Pixel(y, dims.WorldToDevicePt(TRealPoint{10, 0}).Y) == kRed) ++plain;
  EXPECT_GT(plain, 200);

  // A special line sets style, factor and width and leaves them set.
  TLiniaSpecjalna special(TRealPoint{50, 10}, TRealPoint{50, 90}, dashed, 0.5);
  special.Style.Thickness = 2;
  special.Draw(canvas);
  EXPECT_EQ(canvas.CurrentLineStyle, dashed);
  EXPECT_DOUBLE_EQ(canvas.LineStyleFactor, 0.5);
  EXPECT_EQ(canvas.Pen->Width(), 3);
  // A multiplier of 0 keeps the canvas's factor.
  TLiniaSpecjalna byDefault(TRealPoint{60, 10}, TRealPoint{60, 90}, dashed, 0);
  byDefault.Draw(canvas);
  EXPECT_DOUBLE_EQ(canvas.LineStyleFactor, 0.5);
}

// Sampled share of the points of a world circle that have colour C within a
// pixel (the circle is drawn as a polygon).
double CircleShare(const platform::TBitmap& B, const TWindowDim& Dims, const TRealPoint& C, double R,
                   std::uint32_t Colour) {
  int hit = 0;
  const int n = 360;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * i / n;
    const TPoint d = Dims.WorldToDevicePt(TRealPoint{C.X + R * std::cos(a), C.Y + R * std::sin(a)});
    bool found = false;
    for (int dy = -1; dy <= 1 && !found; ++dy)
      for (int dx = -1; dx <= 1 && !found; ++dx) found = B.Pixel(d.X + dx, d.Y + dy) == Colour;
    if (found) ++hit;
  }
  return static_cast<double>(hit) / n;
}

TEST_F(LayerScene, MovedAndTransformedPicturesKeepTheirStyleRules) {
  const auto styles = TLineManager::CreateFromFile(folder.Put("scene.lin", DashAndSolidStyles()));
  TLine* dashed = styles->GetLine(20);
  TLine* solid = styles->GetLine(21);
  ASSERT_NE(dashed, nullptr);
  ASSERT_NE(solid, nullptr);
  TWindowDim dims;
  dims.SetWorldRect(TRealRect{0, 0, 100, 100});
  dims.SetDeviceSize(300, 300);
  platform::TBitmap picture(300, 300);
  TNoDefRealCanvas canvas(&picture.Canvas(), &dims, nullptr);
  const auto share = [&](const TRealPoint& A, const TRealPoint& B, std::uint32_t C) {
    int hit = 0;
    const int n = 200;
    for (int i = 0; i <= n; ++i) {
      const TPoint d = dims.WorldToDevicePt(TRealPoint{A.X + (B.X - A.X) * i / n, A.Y + (B.Y - A.Y) * i / n});
      if (picture.Pixel(d.X, d.Y) == C) ++hit;
    }
    return static_cast<double>(hit) / (n + 1);
  };

  // The sublayer's dashed style is current.
  canvas.SetStyleSource(dashed);
  canvas.Pen->SetColor(kRed);
  TDefSpecLinia follower(TRealPoint{10, 10}, TRealPoint{10, 90});
  follower.DrawMoved(canvas, TRealPoint{20, 0});
  canvas.FlushLines();
  const double movedShare = share({30, 12}, {30, 88}, kRed);
  EXPECT_GT(movedShare, 0.2);
  EXPECT_LT(movedShare, 0.8);
  EXPECT_EQ(share({10, 12}, {10, 88}, kRed), 0.0);

  // A style-following circle drawn moved is a plain circle; drawn in place it
  // takes the dashed style.
  canvas.Pen->SetColor(kBlue);
  TDefSpecOkrag circle(TPointRec{75, 25, 0}, 15);
  circle.DrawMoved(canvas, TRealPoint{0, 50});
  canvas.FlushLines();
  EXPECT_GT(CircleShare(picture, dims, TRealPoint{75, 75}, 15, kBlue), 0.9);
  circle.SetKolor(kBlue);
  circle.Draw(canvas);
  canvas.FlushLines();
  const double inPlace = CircleShare(picture, dims, TRealPoint{75, 25}, 15, kBlue);
  EXPECT_GT(inPlace, 0.2);
  EXPECT_LT(inPlace, 0.8);

  // A special line drawn through a matrix sets its own continuous style.
  canvas.SetStyleSource(dashed);
  canvas.Pen->SetColor(kGreen);
  TLiniaSpecjalna special(TRealPoint{10, 10}, TRealPoint{10, 40}, solid, 0);
  const TAffineMatrix lift{1, 0, 40, 0, 1, 0, 1};
  special.DrawTransformed(canvas, lift);
  canvas.FlushLines();
  EXPECT_GT(share({50, 12}, {50, 38}, kGreen), 0.95);
  EXPECT_EQ(canvas.CurrentLineStyle, solid);
}

TEST_F(LayerScene, SymbolTheLibraryLacksIsDrawnAsItsName) {
  TWindowDim dims;
  dims.SetWorldRect(TRealRect{0, 0, 100, 100});
  dims.SetDeviceSize(300, 300);
  const auto draw = [&](const TEGraphObj& Obj, platform::TBitmap& Picture) {
    TNoDefRealCanvas canvas(&Picture.Canvas(), &dims, nullptr);
    canvas.Size = 20;
    Obj.Draw(canvas);
    canvas.FlushLines();
  };
  TGrSymbol symbol;
  symbol.Position = TRealPoint{60, 40};
  symbol.Text = "II";
  symbol.SetKolor(kMagenta);
  TNapis name(TRealPoint{60, 40}, "II");
  name.SetKolor(kMagenta);
  platform::TBitmap bySymbol(300, 300), byText(300, 300), blank(300, 300);
  draw(symbol, bySymbol);
  draw(name, byText);
  EXPECT_FALSE(bySymbol.SameAs(blank));
  EXPECT_TRUE(bySymbol.SameAs(byText));
}

}  // namespace
