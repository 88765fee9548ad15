// The scale ruler: the bar length and label chosen for a scale, measured in
// the label's real font; the scales it ignores; what it paints, visible or
// not.
#include "view/ruler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "foundation/geometry/rounding.h"
#include "platform/gui/forms.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"

namespace {

using namespace platform;

// Counts the repaints the ruler asks for.
class CountingRuler : public TRuler {
public:
  void Invalidate() override {
    ++invalidations;
    TRuler::Invalidate();
  }
  int invalidations = 0;
};

TFont LabelFont(int Height) {
  TFont font;
  font.Name = "Arial";
  font.Height = Height;
  return font;
}

// The width of Text in Font, as the ruler's canvas measures it.
int TextWidth(const TFont& Font, const std::string& Text) {
  TBitmap bitmap(10, 10);
  bitmap.Canvas().SetFont(Font);
  return bitmap.Canvas().TextExtent(Text).X;
}

struct RulerTest : ::testing::Test {
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 600, 400);
  }
  // A ruler on the form, so that its labels are measured.
  CountingRuler* Make(int Width, int Height, const TFont& Font) {
    CountingRuler* ruler = form->Create<CountingRuler>(form.get(), "Ruler");
    ruler->SetFont(Font);
    ruler->SetBounds(0, 0, Width, Height);
    return ruler;
  }
  std::unique_ptr<TForm> form;
};

TEST(RulerAlone, StartsAt100By25AndScaleOneWithUnmeasuredLabels) {
  TRuler ruler;
  EXPECT_EQ(ruler.Width(), 100);
  EXPECT_EQ(ruler.Height(), 25);
  EXPECT_EQ(ruler.Skala(), 1.0);
  EXPECT_EQ(ruler.Color(), clBlack);
  EXPECT_TRUE(ruler.Visible());
  // Without a parent every label counts 20 pixels: 100 - 20 - 6 leaves 74.
  EXPECT_EQ(ruler.Label(), "50.00m");
  EXPECT_EQ(ruler.LabelWidth(), 20);
  EXPECT_EQ(ruler.BarLength(), 50);
  EXPECT_EQ(ruler.Mode(), TRuler::TBarMode::Five);
}

// At scale 1.0 on 100 pixels the first label is "100.00m"; its width in the
// font decides the room for the bar.
TEST_F(RulerTest, BarAtScaleOneFollowsTheMeasuredWidthOfTheFirstLabel) {
  struct Case {
    int fontHeight;
    int minWidth, maxWidth;  // the band of the width of "100.00m"
    const char* label;
    int barLength;
    TRuler::TBarMode mode;
  };
  const Case cases[] = {
      {-8, 0, 44, "50.00m", 50, TRuler::TBarMode::Five},
      {-13, 45, 74, "20.00m", 20, TRuler::TBarMode::Two},
      // 75 to 84 pixels leave 10 to 19: a bar of 10 m.
      {-21, 75, 84, "10.00m", 10, TRuler::TBarMode::One},
      // A label wider than 94 leaves a negative room: the bar is made of 20.
      {-40, 95, 1000, "20.00m", 20, TRuler::TBarMode::Two},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fontHeight);
    const TFont font = LabelFont(c.fontHeight);
    const int first = TextWidth(font, "100.00m");
    ASSERT_GE(first, c.minWidth);
    ASSERT_LE(first, c.maxWidth);
    CountingRuler* ruler = Make(100, 25, font);
    EXPECT_EQ(ruler->Label(), c.label);
    EXPECT_EQ(ruler->BarLength(), c.barLength);
    EXPECT_EQ(ruler->Mode(), c.mode);
    EXPECT_EQ(ruler->LabelWidth(), TextWidth(font, c.label));
    form->RemoveComponent(ruler);
  }
}

TEST_F(RulerTest, BarLengthIsTheRoundLengthTimesTheScale) {
  CountingRuler* ruler = Make(369, 21, LabelFont(-8));
  struct Case {
    double skala;
    const char* label;
    int barLength;
  };
  const Case cases[] = {
      {8.0, "20.00m", 160},     // 369 / 8 = 46.1 m across
      {0.01, "20000.00m", 200}, // 36.9 km across
      {250.0, "1.00m", 250},    // 1.48 m across
      {3.3333, "50.00m", 167},  // 166.665 rounds up
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skala);
    ruler->SetSkala(c.skala);
    EXPECT_EQ(ruler->Label(), c.label);
    EXPECT_EQ(ruler->BarLength(), c.barLength);
    EXPECT_LE(ruler->BarLength() + ruler->LabelWidth() + 6, ruler->Width());
  }
}

TEST_F(RulerTest, UprightRulerTakesItsHeightForTheBar) {
  CountingRuler* ruler = Make(100, 400, LabelFont(-8));
  EXPECT_EQ(ruler->Label(), "50.00m");
  ruler->SetPionowo(true);
  ruler->SetBounds(0, 0, 100, 400);
  EXPECT_EQ(ruler->Label(), "200.00m");
  EXPECT_EQ(ruler->BarLength(), 200);
}

TEST_F(RulerTest, ScaleOfZeroOrTheSameValueChangesNothing) {
  CountingRuler* ruler = Make(369, 21, LabelFont(-8));
  ruler->SetSkala(8.0);
  const std::string label = ruler->Label();
  const int bar = ruler->BarLength();
  for (double skala : {0.0, 8.0}) {
    SCOPED_TRACE(skala);
    ruler->invalidations = 0;
    ruler->SetSkala(skala);
    EXPECT_EQ(ruler->Skala(), 8.0);
    EXPECT_EQ(ruler->Label(), label);
    EXPECT_EQ(ruler->BarLength(), bar);
    EXPECT_EQ(ruler->invalidations, 0);
  }
}

// A scale that is no length per pixel would give a bar of no meaning (or
// arithmetic on infinities); it is ignored as 0 is.
TEST_F(RulerTest, NegativeOrNonFiniteScaleIsIgnored) {
  CountingRuler* ruler = Make(369, 21, LabelFont(-8));
  ruler->SetSkala(8.0);
  const std::string label = ruler->Label();
  for (double skala : {-8.0, std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()}) {
    SCOPED_TRACE(skala);
    ruler->SetSkala(skala);
    EXPECT_EQ(ruler->Skala(), 8.0);
    EXPECT_EQ(ruler->Label(), label);
  }
}

TEST_F(RulerTest, ExtremeScalesKeepTheBarInsideTheControl) {
  CountingRuler* ruler = Make(369, 21, LabelFont(-8));
  for (double skala : {1e-300, 1e300, std::numeric_limits<double>::max(),
                       std::numeric_limits<double>::denorm_min()}) {
    SCOPED_TRACE(skala);
    ruler->SetSkala(skala);
    EXPECT_GT(ruler->BarLength(), 0);
    EXPECT_LE(ruler->BarLength(), ruler->Width());
    EXPECT_EQ(ruler->Label().back(), 'm');
  }
}

TEST_F(RulerTest, SmallControlDrawsABarComputedFromTwentyPixels) {
  // 30 pixels across at scale 1: the label "30.00m" leaves a negative room.
  const TFont font = LabelFont(-13);
  ASSERT_GT(TextWidth(font, "30.00m"), 24);
  CountingRuler* ruler = Make(30, 25, font);
  EXPECT_EQ(ruler->Label(), "20.00m");
  EXPECT_EQ(ruler->BarLength(), 20);
  EXPECT_EQ(ruler->Mode(), TRuler::TBarMode::Two);
}

// A first label that fills the control to the last pixel of its margins
// leaves a room of exactly 0, which as a length has no power of ten: the bar
// came out 0 pixels long as "0.00m". It is made of 20 pixels, as a negative
// room is.
TEST_F(RulerTest, LabelLeavingNoRoomGivesTheBarOfTwentyPixelsNotAnEmptyOne) {
  const TFont font = LabelFont(-13);
  const int first = TextWidth(font, "100.00m");
  ASSERT_GE(first, 45);
  ASSERT_LE(first, 74);
  const int width = first + 6;
  CountingRuler* ruler = Make(width, 25, font);
  // 120 m across: the first label is "100.00m"; 20 pixels are 20 to 50 m.
  ruler->SetSkala(width / 120.0);
  EXPECT_EQ(ruler->Label(), "20.00m");
  EXPECT_EQ(ruler->Mode(), TRuler::TBarMode::Two);
  EXPECT_EQ(ruler->BarLength(), Round(20.0L * ruler->Skala()));
}

TEST_F(RulerTest, FontChangeMeasuresTheLabelsAgain) {
  CountingRuler* ruler = Make(100, 25, LabelFont(-8));
  EXPECT_EQ(ruler->Label(), "50.00m");
  ruler->SetFont(LabelFont(-13));
  EXPECT_EQ(ruler->Label(), "20.00m");
  EXPECT_EQ(ruler->LabelWidth(), TextWidth(LabelFont(-13), "20.00m"));
}

// How many pixels of the rectangle x1..x2, y1..y2 (inclusive) have the
// colour, or differ from it when Differ is set.
int Count(TRuler& Ruler, int x1, int y1, int x2, int y2, TColor Colour, bool Differ = false) {
  int n = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) n += (Ruler.PixelAt(x, y) == Colour) != Differ;
  return n;
}

TEST_F(RulerTest, PaintsBaseLineEndAndTicksByMode) {
  const TColor colour = RGB(200, 0, 0);
  struct Case {
    double skala;
    TRuler::TBarMode mode;
    int intervals;
    bool (*isLong)(int step);
  };
  const Case cases[] = {
      {0.5, TRuler::TBarMode::Five, 10, [](int i) { return i % 2 == 0; }},
      {1.0, TRuler::TBarMode::Two, 20, [](int i) { return i == 0 || i == 10; }},
      {2.0, TRuler::TBarMode::One, 20, [](int i) { return i % 2 == 0; }},
  };
  CountingRuler* ruler = Make(300, 25, LabelFont(-8));
  ruler->SetColor(colour);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.skala);
    ruler->SetSkala(c.skala);
    ASSERT_EQ(ruler->Mode(), c.mode);
    ruler->PaintNow();
    const int bar = ruler->BarLength();
    const int x0 = (300 - ruler->LabelWidth() - bar - 9) / 2;
    const int bottom = 25 - 3;
    const int shortTop = (25 - 6) / 2 + 3;
    const TColor background = ruler->PixelAt(0, 0);
    // The base line, then the bar's end rising to y = 3 (a line leaves out
    // its last pixel).
    EXPECT_EQ(Count(*ruler, x0, bottom, x0 + bar, bottom, colour), bar + 1);
    EXPECT_EQ(Count(*ruler, x0 + bar, 3, x0 + bar, bottom, colour), bottom - 3);
    EXPECT_EQ(ruler->PixelAt(x0 - 1, bottom), background);
    const int step = bar * 256 / c.intervals;
    for (int i = 0; i < c.intervals; ++i) {
      SCOPED_TRACE(i);
      const int x = (x0 * 256 + i * step) / 256;
      const int top = c.isLong(i) ? 3 : shortTop;
      EXPECT_EQ(Count(*ruler, x, top, x, bottom - 1, colour), bottom - top);
      EXPECT_NE(ruler->PixelAt(x, top - 1), colour);
    }
    // The label stands on the base line right of the bar.
    const int labelX = x0 + bar + 3;
    EXPECT_GT(Count(*ruler, labelX, 0, labelX + ruler->LabelWidth(), bottom, background, true), 0);
    EXPECT_EQ(Count(*ruler, labelX + ruler->LabelWidth() + 1, 0, 299, 24, background, true), 0);
  }
}

TEST_F(RulerTest, InvisibleRulerIsBlankButStillRecomputes) {
  const TColor colour = RGB(200, 0, 0);
  CountingRuler* ruler = Make(300, 25, LabelFont(-8));
  ruler->SetColor(colour);
  ruler->invalidations = 0;
  ruler->SetVisible(false);
  EXPECT_EQ(ruler->invalidations, 1);
  ruler->SetSkala(0.5);
  EXPECT_EQ(ruler->Label(), "500.00m");
  EXPECT_EQ(ruler->BarLength(), 250);
  ruler->PaintNow();
  const TColor background = ruler->PixelAt(0, 0);
  EXPECT_EQ(Count(*ruler, 0, 0, 299, 24, background, true), 0);

  ruler->SetVisible(true);
  ruler->PaintNow();
  EXPECT_GT(Count(*ruler, 0, 0, 299, 24, colour), 250);
}

TEST_F(RulerTest, ColourAndVisibilityRepaintOnlyWhenTheyChange) {
  CountingRuler* ruler = Make(300, 25, LabelFont(-8));
  ruler->invalidations = 0;
  ruler->SetColor(clBlack);
  ruler->SetVisible(true);
  EXPECT_EQ(ruler->invalidations, 0);
  ruler->SetColor(clRed);
  EXPECT_EQ(ruler->invalidations, 1);
}

}  // namespace
