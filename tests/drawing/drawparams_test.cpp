#include "drawing/drawparams.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "drawing/strokefont.h"
#include "common/scratch_folder.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kEps = 1e-9;

// Strokes with the given metrics and no points.
TVectorChar Metrics(int W, int H, int L, double A) {
  TVectorChar strokes(0, 16, 0);
  strokes.Width = W;
  strokes.Height = H;
  strokes.LineHeight = L;
  strokes.WidthFactor = A;
  strokes.BaseOffset = 12;
  strokes.TopOffset = -2;
  return strokes;
}

// The world point of the font point (x, y): (U, V) = (-y, x).
TRealPoint FontToWorld(const TAffineMatrix& M, double x, double y) {
  return AffineTransformPoint(M, {-y, x});
}

class FakeSymbol : public ISymbolScaleSize {
public:
  double SizeForScale(double Denominator) const override {
    asked = Denominator;
    return Denominator < 750 ? 0.5 : 1.5;
  }
  mutable double asked = 0.0;
};

class DrawParamsTest : public ::testing::Test {
protected:
  DrawParamsTest() {
    cfg.Kroj = 1;
    cfg.Skala = 1000;
    dims.ScaleX = 4.0;
    dims.ScaleY = 4.0;
  }

  TCanvasCfg cfg;
  TWindowDim dims;
};

TEST(JustificationStepsTest, KeypadLayoutAndOutOfRangeAsSeven) {
  struct Case {
    int j;
    int h;
    int v;
  };
  const Case cases[] = {{1, 0, 2}, {2, 1, 2}, {3, 2, 2}, {4, 0, 1}, {5, 1, 1}, {6, 2, 1},
                        {7, 0, 0}, {8, 1, 0}, {9, 2, 0}, {0, 0, 0}, {10, 0, 0}, {255, 0, 0},
                        {-3, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.j);
    EXPECT_EQ(JustificationSteps(c.j), (TJustificationSteps{c.h, c.v}));
  }
}

TEST_F(DrawParamsTest, NewParametersAndTheirOwnNullGroup) {
  TDrawParams params;
  EXPECT_EQ(params.Justification, 7);
  EXPECT_EQ(params.Size, 1.0);
  EXPECT_EQ(params.Dims(), nullptr);
  ASSERT_NE(params.Cfg(), nullptr);
  EXPECT_EQ(typeid(*params.Cfg()), typeid(TNullCanvasCfg));
  EXPECT_EQ(params.GetCfgScale(), 1.0);
  EXPECT_EQ(params.GetKroj(), 1);

  TDrawParams shared(&cfg, &dims);
  EXPECT_EQ(shared.Cfg(), &cfg);
  EXPECT_EQ(shared.Dims(), &dims);
  cfg.DpmX = 3.0;
  cfg.DpmY = 4.0;
  EXPECT_EQ(shared.GetDPM(), (std::array<double, 2>{3.0, 4.0}));
  EXPECT_DOUBLE_EQ(shared.GetCfgScale(), 1.0);
  cfg.MarkTextOrigin = true;
  EXPECT_TRUE(shared.GetMarkTextOrigin());
  EXPECT_FALSE(shared.IsPrinting());
}

TEST_F(DrawParamsTest, CopiesOfANullGroupGetTheirOwnSoEitherMayBeFreed) {
  TNullCanvasCfg callers;
  callers.Kroj = 0;
  auto first = std::make_unique<TDrawParams>(&callers, &dims);
  EXPECT_NE(first->Cfg(), &callers);  // never shared with the caller
  EXPECT_EQ(first->Cfg()->Kroj, 0);
  first->FontNumber = 3;
  first->Size = 2.5;
  first->Flags = dfItalic;
  first->Justification = 5;
  first->Options = 2;
  auto second = std::make_unique<TDrawParams>(*first);
  EXPECT_NE(second->Cfg(), first->Cfg());
  EXPECT_EQ(second->Dims(), &dims);
  EXPECT_EQ(second->FontNumber, 3);
  EXPECT_EQ(second->Size, 2.5);
  EXPECT_EQ(second->Flags, dfItalic);
  EXPECT_EQ(second->Justification, 5);
  EXPECT_EQ(second->Options, 2);
  first.reset();
  EXPECT_EQ(second->GetKroj(), 0);  // the sanitizer catches a freed group
  second.reset();

  TDrawParams sharing(&cfg, &dims);
  TDrawParams copy(sharing);
  EXPECT_EQ(copy.Cfg(), &cfg);
}

TEST_F(DrawParamsTest, AssignDropsTheOwnGroupAndTakesTheSource) {
  TDrawParams params;  // owns a null group
  TDrawParams canvasLike(&cfg, &dims);
  canvasLike.Justification = 3;
  params.Assign(canvasLike);
  EXPECT_EQ(params.Cfg(), &cfg);
  EXPECT_EQ(params.Dims(), &dims);
  EXPECT_EQ(params.Justification, 3);
  TDrawParams owner;
  params.Assign(owner);
  EXPECT_NE(params.Cfg(), owner.Cfg());
  EXPECT_EQ(typeid(*params.Cfg()), typeid(TNullCanvasCfg));
  params.Assign(params);
  EXPECT_NE(params.Cfg(), nullptr);
}

TEST_F(DrawParamsTest, RasterTextSizeIsEightPixels) {
  cfg.Kroj = 0;
  TDrawParams params(&cfg, &dims);
  for (double size : {1.0, 7.0, 0.0}) {
    params.Size = size;
    EXPECT_DOUBLE_EQ(params.GetSize(), 2.0);
  }
}

TEST_F(DrawParamsTest, ScaleFactorFollowsTheMapScaleWhenTextsDo) {
  TDrawParams params(&cfg, &dims);
  params.ScaleAnchors = {0.5f, 1.0f, 2.0f, 5.0f};
  params.Size = 2.0;
  cfg.SkalaFlagi = sfTexts;
  struct Case {
    std::int32_t skala;
    double factor;
  };
  const Case cases[] = {{1000, 1.0}, {500, 0.5}, {750, 0.75}, {1500, 1.5},
                        {2000, 2.0}, {3500, 3.5}, {250, 0.25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skala);
    cfg.Skala = c.skala;
    EXPECT_NEAR(params.GetScaleFactor(), c.factor, kEps);
    EXPECT_NEAR(params.GetSize(), 2.0 * c.factor, kEps);
  }
  cfg.SkalaFlagi = sfLines | sfSymbols;
  EXPECT_EQ(params.GetScaleFactor(), 1.0);
  EXPECT_EQ(params.GetSize(), 2.0);

  TDrawParamsImp root(&cfg, &dims);
  root.Size = 2.0;
  EXPECT_EQ(root.GetScaleFactor(), 1.0);
  EXPECT_EQ(root.GetSize(), 2.0);
}

TEST_F(DrawParamsTest, DxfParametersUseTheirOwnScale) {
  TDrawParams source(&cfg, &dims);
  source.ScaleAnchors = {0.5f, 1.0f, 2.0f, 5.0f};
  TDXFDrawParams dxf(source);
  EXPECT_EQ(dxf.ScaleAnchors, source.ScaleAnchors);
  dxf.ScaleCode = 2000;
  cfg.SkalaFlagi = 0;  // interpolated whatever the settings say
  EXPECT_NEAR(dxf.GetScaleFactor(), 2.0, kEps);
  EXPECT_DOUBLE_EQ(dxf.GetCfgScale(), 2.0);
}

TEST_F(DrawParamsTest, ThresholdHidesObjectsOnlyWithDynamicDisplay) {
  dims.ScaleX = 2.0;
  dims.ScaleY = 2.0;
  TDrawParams params(&cfg, &dims);
  EXPECT_TRUE(params.PassesThreshold(5.0f));
  cfg.DynamicDisplay = true;
  EXPECT_TRUE(params.PassesThreshold(0.0f));
  EXPECT_TRUE(params.PassesThreshold(1.5f));
  EXPECT_FALSE(params.PassesThreshold(2.0f));
  TDrawParams measuring(&cfg, nullptr);
  EXPECT_TRUE(measuring.PassesThreshold(0.0f));  // no window needed
}

TEST_F(DrawParamsTest, OptionsLockSizeAndJustification) {
  TDrawParams params;
  params.SetDrawOption(doSizeLocked, true);
  params.SetSize(5.0);
  EXPECT_EQ(params.Size, 1.0);
  params.SetDrawOption(doJustificationLocked, true);
  params.SetJustification(3);
  EXPECT_EQ(params.Justification, 7);
  params.SetDrawOption(doUpright, true);
  EXPECT_EQ(params.Options, 7);
  EXPECT_TRUE(params.GetDrawOption(doUpright));
  params.SetDrawOption(doClearAll, true);  // not a flag
  params.SetDrawOption(8, true);
  EXPECT_FALSE(params.GetDrawOption(8));
  EXPECT_FALSE(params.GetDrawOption(-1));
  EXPECT_EQ(params.Options, 7);
  params.SetDrawOption(doClearAll, false);
  EXPECT_EQ(params.Options, 0);
  params.SetSize(5.0);
  params.SetJustification(3);
  EXPECT_EQ(params.Size, 5.0);
  EXPECT_EQ(params.Justification, 3);
  params.SetDrawOption(5, true);
  EXPECT_TRUE(params.GetDrawOption(5));
  params.SetDrawOption(5, false);
  EXPECT_EQ(params.Options, 0);
}

TEST_F(DrawParamsTest, FlagsBits) {
  TDrawParams params;
  params.SetUnderline(true);
  params.SetOverline(true);
  params.SetItalic(true);
  params.SetTextPen(true);
  EXPECT_EQ(params.Flags, 0x0F);
  params.SetOverline(false);
  params.SetTextPen(false);
  EXPECT_EQ(params.Flags, dfUnderline | dfItalic);
}

TEST_F(DrawParamsTest, SaveAndRestoreState) {
  TDrawParams params;
  params.FontNumber = 2;
  params.Size = 3.0;
  params.Justification = 5;
  params.ScaleAnchors = {1, 2, 3, 4};
  params.SaveState();
  params.FontNumber = 9;
  params.Size = 8.0;
  params.Flags = 0xFF;
  params.Justification = 1;
  params.Options = 4;
  params.ScaleAnchors = {};
  params.RestoreState();
  EXPECT_EQ(params.FontNumber, 2);
  EXPECT_EQ(params.Size, 3.0);
  EXPECT_EQ(params.Flags, 0);
  EXPECT_EQ(params.Justification, 5);
  EXPECT_EQ(params.Options, 0);
  EXPECT_EQ(params.ScaleAnchors, (TScaleAnchors{1, 2, 3, 4}));
  TDrawParams copy(params);
  EXPECT_EQ(copy.SavedParams.Justification, 5);
  EXPECT_EQ(copy.SavedAnchors, params.SavedAnchors);
}

TEST_F(DrawParamsTest, SymbolSizeFollowsTheScaleWhenSymbolsDo) {
  TDrawParams params(&cfg, &dims);
  params.Size = 4.0;
  FakeSymbol symbol;
  cfg.Skala = 500;
  EXPECT_EQ(params.GetSymbolSize(symbol), 4.0);
  cfg.SkalaFlagi = sfSymbols;
  EXPECT_EQ(params.GetSymbolSize(symbol), 0.5);
  EXPECT_EQ(symbol.asked, 500.0);
}

TEST_F(DrawParamsTest, TextTransformPutsTheJustificationAnchorOnTheOrigin) {
  const TVectorChar strokes = Metrics(40, 10, 10, 0.76);
  const TRealPoint origin{100.0, 200.0};
  for (double angle : {0.0, 0.7, -2.0}) {
    for (int j = 0; j <= 10; ++j) {
      SCOPED_TRACE(testing::Message() << "angle " << angle << " justification " << j);
      TDrawParams params(&cfg, &dims);
      params.Size = 3.0;
      params.Justification = static_cast<std::uint8_t>(j);
      const TJustificationSteps steps = JustificationSteps(j);
      const TAffineMatrix M = params.GetTextTransform(strokes, origin, static_cast<float>(angle));
      const TRealPoint anchor = FontToWorld(M, steps.H * 20.0, steps.V * 5.0);
      EXPECT_NEAR(anchor.X, origin.X, kEps);
      EXPECT_NEAR(anchor.Y, origin.Y, kEps);
    }
  }
}

TEST_F(DrawParamsTest, TextRunsAlongItsAzimuthAtItsSize) {
  const TVectorChar strokes = Metrics(40, 10, 10, 0.5);
  TDrawParams params(&cfg, &dims);
  params.Size = 3.0;
  TAffineMatrix M = params.GetTextTransform(strokes, {0, 0}, 0.0f);
  // A cell of L units is Size high; the width factor narrows the glyphs.
  EXPECT_NEAR(FontToWorld(M, 0, 0).X - FontToWorld(M, 0, 10).X, 3.0, kEps);
  EXPECT_NEAR(FontToWorld(M, 10, 0).Y - FontToWorld(M, 0, 0).Y, 1.5, kEps);
  // A right angle turns the text onto -X (clockwise on the device).
  M = params.GetTextTransform(strokes, {0, 0}, static_cast<float>(kPi / 2));
  const TRealPoint along = FontToWorld(M, 10, 0);
  const TRealPoint start = FontToWorld(M, 0, 0);
  EXPECT_NEAR(along.X - start.X, -1.5, 1e-6);
  EXPECT_NEAR(along.Y - start.Y, 0.0, 1e-6);
  // Upright texts ignore their angle.
  params.SetDrawOption(doUpright, true);
  const TAffineMatrix upright = params.GetTextTransform(strokes, {0, 0}, 1.0f);
  TDrawParams unturned(&cfg, &dims);
  unturned.Size = 3.0;
  const TAffineMatrix plain = unturned.GetTextTransform(strokes, {0, 0}, 0.0f);
  EXPECT_DOUBLE_EQ(upright.a, plain.a);
  EXPECT_DOUBLE_EQ(upright.b, plain.b);
  EXPECT_DOUBLE_EQ(upright.e, plain.e);
}

TEST_F(DrawParamsTest, ItalicTextSlantsAndMovesLeftJustifiedAnchors) {
  const TVectorChar strokes = Metrics(40, 10, 10, 1.0);
  TDrawParams params(&cfg, &dims);
  params.SetItalic(true);
  const double t = 0.2679491924311;
  TAffineMatrix M = params.GetTextTransform(strokes, {0, 0}, 0.0f);
  EXPECT_NEAR(M.a, 1.0 * 0.1, kEps);
  EXPECT_NEAR(M.d, t * 0.1, kEps);
  // Justification 7: the anchor moves by 2 H tan 15 along the text.
  EXPECT_NEAR(M.f, 10 * t * 2 * 0.1 * 0.5, kEps);
  params.Justification = 9;  // right column: not moved
  M = params.GetTextTransform(strokes, {0, 0}, 0.0f);
  EXPECT_NEAR(M.f, -40 * 0.1, kEps);
}

TEST_F(DrawParamsTest, RasterTextTransformUsesEightPixelsAndNoAngle) {
  cfg.Kroj = 0;
  const TVectorChar strokes = Metrics(40, 10, 10, 0.76);
  TDrawParams params(&cfg, &dims);
  params.Size = 100.0;
  params.Justification = 3;
  const TAffineMatrix M = params.GetTextTransform(strokes, {5, 6}, 1.0f);
  EXPECT_NEAR(M.a, 0.2, kEps);  // 2 world units over 10 font units
  EXPECT_NEAR(M.b, 0.0, kEps);
  EXPECT_NEAR(M.d, 0.0, kEps);
  // The glyphs are not widened; the width factor only shifts the anchor.
  EXPECT_NEAR(M.e, 0.2, kEps);
  const TRealPoint anchor = FontToWorld(M, 0.76 * 40, 10);
  EXPECT_NEAR(anchor.X, 5.0, kEps);
  EXPECT_NEAR(anchor.Y, 6.0, kEps);
}

TEST_F(DrawParamsTest, RotatedViewKeepsUprightTextsUprightOnTheDevice) {
  const TVectorChar strokes = Metrics(40, 10, 10, 1.0);
  dims.SetAngle(0.5);
  for (std::uint8_t kroj : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(kroj));
    cfg.Kroj = kroj;
    TSkrDrawParams skr(&cfg, &dims);
    TDrawParams simple(&cfg, &dims);
    // Without the upright option both compute the same.
    TAffineMatrix a = skr.GetTextTransform(strokes, {1, 2}, 0.3f);
    TAffineMatrix b = simple.GetTextTransform(strokes, {1, 2}, 0.3f);
    EXPECT_DOUBLE_EQ(a.a, b.a);
    EXPECT_DOUBLE_EQ(a.b, b.b);
    EXPECT_DOUBLE_EQ(a.c, b.c);
    EXPECT_DOUBLE_EQ(a.f, b.f);
    // Upright: the text runs along the azimuth -0.5, and the anchor stays put.
    skr.SetDrawOption(doUpright, true);
    skr.Justification = 5;
    a = skr.GetTextTransform(strokes, {1, 2}, 0.3f);
    const TRealPoint start = FontToWorld(a, 0, 0);
    const TRealPoint along = FontToWorld(a, 10, 0);
    EXPECT_NEAR(std::atan2(-(along.X - start.X), along.Y - start.Y), -0.5, 1e-9);
    const TRealPoint anchor = FontToWorld(a, 20, 5);
    EXPECT_NEAR(anchor.X, 1.0, kEps);
    EXPECT_NEAR(anchor.Y, 2.0, kEps);
  }
  TSkrDrawParams measuring(&cfg, nullptr);  // no window needed without the option
  EXPECT_NO_THROW(measuring.GetTextTransform(strokes, {0, 0}, 0.0f));
}

TEST_F(DrawParamsTest, LeaderAnchorOffsets) {
  const TVectorChar strokes = Metrics(40, 10, 10, 1.0);
  TDrawParams params;
  struct Case {
    std::uint8_t justification;
    std::uint8_t mode;
    std::int32_t x;
  };
  const Case cases[] = {{9, 2, 0},  {9, 1, 40}, {6, 0, 40}, {3, 1, 40}, {7, 1, 0},
                        {8, 1, 0},  {7, 3, 40}, {1, 2, 0},  {12, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.justification) << "/" << int(c.mode));
    params.Justification = c.justification;
    EXPECT_EQ(params.GetTextAnchorOffsets(strokes, c.mode),
              (std::array<std::int32_t, 2>{c.x, 12}));
  }
  params.SetOverline(true);
  EXPECT_EQ(params.GetTextAnchorOffsets(strokes, 1)[1], -2);
}

TEST_F(DrawParamsTest, ViewAngleOnlyWhenRotated) {
  TDrawParams params(&cfg, &dims);
  EXPECT_EQ(params.GetViewAngle(), 0.0);
  dims.SetAngle(0.25);
  EXPECT_DOUBLE_EQ(params.GetViewAngle(), 0.25);
}

// Texts through the font manager, on a tiny font of two characters.
class DrawParamsFontTest : public DrawParamsTest {
protected:
  void SetUp() override {
    // Header: first char 32, 2 records, h 10, a 8, b 2, d -2.
    std::string font("\0\0\0\0\x20\x02\x00\x0A\x08\x02\xFE\0\0\0\0\0", 16);
    font += std::string("\x05\x00\x00\x00\x00", 5);                  // ' ': advance 5
    font += std::string("\x04\x01\x00\x02\x00\x02\x01\x00\x01\x08", 10);  // '!': one stroke
    folder.Put("litt.ch1", font);
    folder.Put("font.ch1", font);
    FontManager().SetFolder(folder.Path());
  }
  void TearDown() override {
    FontManager().SetFolder({});
  }

  ScratchFolder folder;
};

TEST_F(DrawParamsFontTest, TextSizeScalesTheMeasureToTheRequestedHeight) {
  TDrawParams params(&cfg, &dims);
  params.Size = 2.0;
  const TRealPoint size = params.TextSize("!!");
  EXPECT_NEAR(size.X, 2.0, kEps);                           // 10 units at 0.2
  EXPECT_NEAR(size.Y, 8 * 0.2 * (49807.0 / 65536.0), kEps);  // width times the factor
  cfg.SkalaFlagi = sfTexts;
  cfg.Skala = 500;
  params.ScaleAnchors = {0.5f, 1.0f, 2.0f, 5.0f};
  EXPECT_NEAR(params.TextSize("!!").X, 1.0, kEps);
}

TEST_F(DrawParamsFontTest, RuledTextsGetTheirRuleLine) {
  TDrawParams params(&cfg, &dims);
  const auto plain = params.BuildTextRuled("!");
  EXPECT_EQ(plain->PartCount(), 1);
  params.SetUnderline(true);
  auto ruled = params.BuildTextRuled("!");
  ASSERT_EQ(ruled->PartCount(), 2);
  EXPECT_EQ(ruled->Point(2), (TPoint{0, ruled->BaseOffset}));
  EXPECT_EQ(ruled->Point(3), (TPoint{4, ruled->BaseOffset}));
  params.SetOverline(true);
  ruled = params.BuildFractionRuled("!", "!");
  EXPECT_EQ(ruled->Point(ruled->PointCount() - 1).Y, ruled->TopOffset);
  EXPECT_EQ(params.MeasureText("!!")->PointCount(), 0);
  EXPECT_EQ(params.MeasureFraction("!", " !")->Width, 9);
}

TEST_F(DrawParamsFontTest, StrokeFontFollowsTheParametersWithoutChangingTheManager) {
  cfg.Kroj = 2;
  TDrawParams params(&cfg, &dims);
  params.FontNumber = 4;
  const TStrokeFontUse font = params.GetStrokeFont();
  EXPECT_EQ(&font.Manager(), &FontManager());
  EXPECT_EQ(font.Font(), (TStrokeFontChoice{4, true}));
  cfg.Kroj = 1;
  EXPECT_EQ(params.GetStrokeFont().Font(), (TStrokeFontChoice{4, false}));
  // The choice taken before stays with its holder.
  EXPECT_EQ(font.Font(), (TStrokeFontChoice{4, true}));
}

}  // namespace
