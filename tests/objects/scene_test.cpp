// A small map scene drawn by a map view's canvas in a rotated view: plain
// lines, an arc, a line of a line style, a symbol of the symbol library and a
// stroke-font text, from definition files made byte by byte. The picture is
// written as a PNG beside the test program, read back and checked at known
// places.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "drawing/windowdim.h"
#include "foundation/storage/real48.h"
#include "defbytes.h"
#include "foundation/settings/settings.h"
#include "objects/linestylelib.h"
#include "objects/styledcanvas.h"
#include "objects/symbollib.h"
#include "platform/files/codepage.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/imagefile.h"
#include "platform/files/paths.h"
#include "common/scratch_folder.h"
#include "platform/files/system.h"

namespace {

constexpr platform::TColor kLineColour = platform::RGB(220, 0, 0);
constexpr platform::TColor kArcColour = platform::RGB(0, 0, 220);
constexpr platform::TColor kStyleColour = platform::RGB(0, 150, 0);
constexpr platform::TColor kSymbolColour = platform::RGB(200, 0, 200);
constexpr platform::TColor kTextColour = platform::RGB(0, 0, 0);

using namespace defbytes;

// Line-style file: style 20 "KRES" without a pen style of its own, a middle
// section 10 mm long holding one dash from 0 to 5 mm along the line.
std::string LineStyleFile() {
  std::string rec = ShortName("KRES");
  PutU16(rec, 20);
  PutU16(rec, 0);
  rec += std::string(18, '\0');
  rec.push_back(static_cast<char>(-1));  // no pen style
  rec += std::string(19, '\0');          // no start section
  PutI32(rec, 1);                        // middle: element 1
  PutU16(rec, 1);
  PutReal(rec, 0.0);
  PutReal(rec, 10.0);
  rec.push_back('\0');
  rec += std::string(19, '\0');  // no end section

  std::string bytes;
  PutU16(bytes, kLineStyleFileMagic);
  PutU16(bytes, 1);
  PutU16(bytes, 6 + 93);
  bytes += rec;
  bytes += Element(0, 0, 0, 5, 0, kElemLine);
  return bytes;
}

// Stroke font in the ".ch1" layout with the one character "I": a stroke
// from (4, 0) down to (4, 10) in font units, 8 wide, 10 high.
std::string FontFile() {
  FontSpec f;
  f.First = 'I';
  f.Glyphs = {{8, {{{4, 0}, {4, 10}}}}};
  return FontBytes(f);
}

// True when a pixel within one of P has Colour (lines land a pixel apart
// from the rounded centre line at most).
bool ColourNear(const platform::TBitmap& B, const TPoint& P, platform::TColor Colour) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (B.Pixel(P.X + dx, P.Y + dy) == Colour) return true;
  return false;
}

class SceneTest : public ::testing::Test {
protected:
  SceneTest() {
    folder.Put("litt.ch1", FontFile());
    folder.Put("font.ch1", FontFile());
    FontManager().SetFolder(folder.Path());
  }
  ~SceneTest() override { FontManager().SetFolder(""); }

  ScratchFolder folder;
};

TEST_F(SceneTest, RotatedSceneIsWrittenAsPngWithEveryFigureInPlace) {
  const auto symbols = TSymbolManager::CreateFromFile(folder.Put("scene.sym", SymbolFile()));
  const auto styles = TLineManager::CreateFromFile(folder.Put("scene.lin", LineStyleFile()));
  TSymbol* cross = symbols->FindByName("KRZ");
  TLine* dashed = styles->GetLine(20);
  ASSERT_NE(cross, nullptr);
  ASSERT_NE(dashed, nullptr);

  TWindowDim dims;
  dims.SetWorldRect(TRealRect{0, 0, 100, 100});
  dims.SetDeviceSize(300, 300);
  dims.SetAngle(std::numbers::pi / 6);
  ASSERT_TRUE(dims.Rotated());

  TKonfiguracja konf;
  auto* cfg = konf.GetGroup(std::make_unique<TCanvasCfg>());
  cfg->Kroj = 1;
  cfg->Skala = 1000;
  cfg->SkalaFlagi = sfSymbols;
  cfg->DpmX = cfg->DpmY = 4.0;

  platform::TBitmap picture(300, 300);
  TDefRealCanvas canvas(&picture.Canvas(), konf, &dims);
  canvas.Pen->SetColor(kLineColour);
  canvas.Line(20, 10, 20, 90);
  canvas.Pen->SetColor(kArcColour);
  // A quarter from the right of the centre anticlockwise up to above it.
  canvas.Arc(TRealEnds{TRealPoint{50, 80}, TRealPoint{80, 50}}, TRealPoint{50, 50}, 30);
  canvas.Pen->SetColor(kStyleColour);
  canvas.StyledLine(40, 10, 40, 90, dashed);
  canvas.Pen->SetColor(kSymbolColour);
  canvas.Pen->SetStyle(platform::psSolid);
  canvas.DrawSymbol(cross, TRealPoint{70, 25}, 0);
  canvas.Pen->SetColor(kTextColour);
  canvas.Size = 8;
  const TRealPoint textOrigin{85, 40};
  canvas.VectorTextOutSimple("I", textOrigin, 0);
  canvas.FlushLines();

  const std::string png = platform::JoinPath(platform::ProgramFolder(), "scene.png");
  ASSERT_TRUE(platform::SaveBitmapToFile(picture, png));
  const std::unique_ptr<platform::TBitmap> read = platform::LoadBitmapFromFile(png);
  ASSERT_NE(read, nullptr);
  ASSERT_TRUE(read->SameAs(picture));
  const platform::TBitmap& b = *read;

  auto at = [&](double X, double Y) {
    const TPoint d = dims.WorldToDevicePt(TRealPoint{X, Y});
    EXPECT_TRUE(d.X > 1 && d.X < 298 && d.Y > 1 && d.Y < 298) << X << ", " << Y;
    return d;
  };
  // The plain line, turned with the view: its middle is not where the
  // unturned view would have it.
  EXPECT_TRUE(ColourNear(b, at(20, 50), kLineColour));
  EXPECT_TRUE(ColourNear(b, at(20, 15), kLineColour));
  // The arc through 45 degrees, and nothing of it on the other side.
  const double h = 30 * std::sqrt(0.5);
  EXPECT_TRUE(ColourNear(b, at(50 + h, 50 + h), kArcColour));
  EXPECT_FALSE(ColourNear(b, at(50 - h, 50 - h), kArcColour));
  // The styled line: dashes from 10 to 15, 20 to 25, ... along Y.
  EXPECT_TRUE(ColourNear(b, at(40, 12.5), kStyleColour));
  EXPECT_TRUE(ColourNear(b, at(40, 52.5), kStyleColour));
  EXPECT_FALSE(ColourNear(b, at(40, 17.5), kStyleColour));
  EXPECT_FALSE(ColourNear(b, at(40, 57.5), kStyleColour));
  // The symbol at 1:1000 is 5 units: its circle and its cross.
  EXPECT_TRUE(ColourNear(b, at(75, 25), kSymbolColour));
  EXPECT_TRUE(ColourNear(b, at(70, 30), kSymbolColour));
  EXPECT_TRUE(ColourNear(b, at(72, 25), kSymbolColour));
  EXPECT_FALSE(ColourNear(b, at(72, 27), kSymbolColour));
  // The text's stroke, where the drawing parameters place the font point
  // (4, 5): font points (x, y) go in as (-y, x).
  const std::unique_ptr<TDrawParams> params = canvas.CreateDrawParams();
  const std::unique_ptr<TVectorChar> strokes = params->BuildText("I");
  const TAffineMatrix m = params->GetTextTransform(*strokes, textOrigin, 0);
  const TRealPoint middle = AffineTransformPoint(m, TRealPoint{-5, 4});
  EXPECT_TRUE(ColourNear(b, at(middle.X, middle.Y), kTextColour));
  // Background between the figures.
  EXPECT_EQ(b.Pixel(at(55, 40).X, at(55, 40).Y), platform::clWhite);
  EXPECT_EQ(b.Pixel(at(30, 70).X, at(30, 70).Y), platform::clWhite);
}

}  // namespace
