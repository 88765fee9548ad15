#include "drawing/strokefont.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "font_fixture.h"
#include "foundation/errors.h"
#include "common/scratch_folder.h"

namespace {

// "A": a caret of two strokes; "B": a blank of advance 5; "C": one stroke.
FontSpec SmallFont() {
  FontSpec f;
  f.Glyphs = {
      {8, {{{0, 10}, {4, 0}, {8, 10}}, {{2, 5}, {6, 5}}}},
      {5, {}},
      {6, {{{6, 0}, {0, 0}, {0, 10}, {6, 10}}}},
  };
  return f;
}

std::vector<TPoint> PartPoints(const TVectorList& L, std::int32_t Part) {
  std::int32_t first = 0;
  for (std::int32_t i = 0; i < Part; ++i) first += L.Part(i);
  std::vector<TPoint> points;
  for (std::int32_t k = 0; k < L.Part(Part); ++k) points.push_back(L.Point(first + k));
  return points;
}

// The default font with number 0.
constexpr TStrokeFontChoice kLitt{0, false};

class StrokeFontTest : public ::testing::Test {
protected:
  std::string Put(const std::string& Name, const std::string& Bytes) {
    return folder.Put(Name, Bytes);
  }
  ScratchFolder folder;
};

TEST_F(StrokeFontTest, LoadsHeaderAndCharacterRecords) {
  const TStrokeFont font(3, Put("litt.ch1", FontBytes(SmallFont())));
  EXPECT_EQ(font.FontNumber, 3);
  EXPECT_EQ(font.FirstChar, 65);
  EXPECT_EQ(font.CellHeight, 10);
  EXPECT_EQ(font.MetricA, 7);
  EXPECT_EQ(font.MetricB, 2);
  EXPECT_EQ(font.Descent, -3);
  EXPECT_EQ(font.Descent2, -3);
  EXPECT_EQ(font.Leading, 7 + 2 + 3);
  EXPECT_EQ(font.Aspect, 0xC28F);
  ASSERT_EQ(font.Count(), 3);

  const TStrokeChar& a = font.GetChar('A');
  EXPECT_EQ(a.AdvanceWidth, 8);
  EXPECT_EQ(a.PartCount, 2);
  EXPECT_EQ(a.PointCount, 5);
  EXPECT_EQ(a.PartSizes, (std::vector<std::uint8_t>{3, 2}));
  EXPECT_EQ(a.Points, (std::vector<std::int8_t>{0, 10, 4, 0, 8, 10, 2, 5, 6, 5}));
  const TStrokeChar& blank = font.GetChar('B');
  EXPECT_EQ(blank.PartCount, 0);
  EXPECT_TRUE(blank.PartSizes.empty());
  EXPECT_TRUE(blank.Points.empty());
  // Codes outside the font give its first character.
  EXPECT_EQ(&font.GetChar('@'), &a);
  EXPECT_EQ(&font.GetChar('D'), &a);
  EXPECT_EQ(&font.GetChar(255), &a);
}

TEST_F(StrokeFontTest, BuildTextPlacesCharactersByTheirAdvances) {
  TFontManager fonts(folder.Path());
  Put("litt.ch1", FontBytes(SmallFont()));
  Put("font.ch1", FontBytes(SmallFont()));
  const auto text = fonts.BuildText(kLitt, "ABC");
  // A's two strokes, nothing for the blank, C moved by 8 + 5.
  ASSERT_EQ(text->PartCount(), 3);
  EXPECT_EQ(PartPoints(*text, 0), (std::vector<TPoint>{{0, 10}, {4, 0}, {8, 10}}));
  EXPECT_EQ(PartPoints(*text, 1), (std::vector<TPoint>{{2, 5}, {6, 5}}));
  EXPECT_EQ(PartPoints(*text, 2), (std::vector<TPoint>{{19, 0}, {13, 0}, {13, 10}, {19, 10}}));
  EXPECT_EQ(text->Width, 19);
  EXPECT_EQ(text->Height, 10);
  EXPECT_EQ(text->LineHeight, 10);
  EXPECT_EQ(text->Depth, 13);
  EXPECT_EQ(text->BaseOffset, 13);
  EXPECT_EQ(text->TopOffset, 10 - 12);
  EXPECT_DOUBLE_EQ(text->WidthFactor, 49807.0 / 65536.0);

  const auto measured = fonts.MeasureText(kLitt, "ABC");
  EXPECT_EQ(measured->PointCount(), 0);
  EXPECT_EQ(measured->Width, 19);
  EXPECT_EQ(measured->BaseOffset, 13);

  const auto empty = fonts.BuildText(kLitt, "");
  EXPECT_EQ(empty->PointCount(), 0);
  EXPECT_EQ(empty->Width, 0);
  EXPECT_EQ(empty->Height, 10);
  EXPECT_EQ(empty->TopOffset, -2);
}

TEST_F(StrokeFontTest, PolishLetterCountsAsItsCodePageByte) {
  FontSpec f;
  f.First = 0xB9;  // "ą" in code page 1250
  f.Glyphs = {{7, {{{0, 0}, {1, 1}}}}, {9, {}}};
  Put("litt.ch1", FontBytes(f));
  Put("font.ch1", FontBytes(f));
  TFontManager fonts(folder.Path());
  EXPECT_EQ(fonts.MeasureText(kLitt, "ą")->Width, 7);
  EXPECT_EQ(fonts.MeasureText(kLitt, "ąa")->Width, 14);  // 'a' is outside: the first char
}

TEST_F(StrokeFontTest, ExtentsAndFractions) {
  FontSpec f = SmallFont();
  f.Glyphs.push_back({100, {}});  // 'D'
  Put("litt.ch1", FontBytes(f));
  Put("font.ch1", FontBytes(f));
  TFontManager fonts(folder.Path());
  // 100 * 49807 >> 16 = 75.99..., towards zero; Y is a - d.
  EXPECT_EQ(fonts.TextExtent(kLitt, "D"), (TPoint{75, 10}));
  EXPECT_EQ(fonts.FractionExtent(kLitt, "A", "D"), (TPoint{75, 20}));
  EXPECT_EQ(fonts.GetHeight(kLitt), 10);

  // The lower line is wider: its width wins; it hangs below by BaseOffset -
  // TopOffset of the lower line.
  const auto fraction = fonts.BuildFraction(kLitt, "C", "AC");
  EXPECT_EQ(fraction->Width, 14);
  ASSERT_EQ(fraction->PartCount(), 4);
  const std::int32_t dy = 13 - (-2);
  EXPECT_EQ(PartPoints(*fraction, 1).front(), (TPoint{0, 10 + dy}));
  EXPECT_EQ(fraction->Depth, 2 + 13 + 13);
  EXPECT_EQ(fraction->Height, (2 + 10) * 2);
  EXPECT_EQ(fraction->LineHeight, 10);
  EXPECT_EQ(fraction->BaseOffset, 13);
  EXPECT_EQ(fraction->TopOffset, -2);
  EXPECT_EQ(fonts.MeasureFraction(kLitt, "C", "AC")->PointCount(), 0);
  EXPECT_EQ(fonts.MeasureFraction(kLitt, "C", "AC")->Width, 14);

  fraction->AddRuleLine(true);
  EXPECT_EQ(PartPoints(*fraction, 4), (std::vector<TPoint>{{0, -2}, {14, -2}}));
  const auto clone = fraction->Clone();
  const auto* copy = dynamic_cast<const TVectorChar*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->PartCount(), 5);
  EXPECT_EQ(copy->Height, fraction->Height);
  EXPECT_EQ(copy->Depth, fraction->Depth);
  EXPECT_DOUBLE_EQ(copy->WidthFactor, fraction->WidthFactor);
}

TEST_F(StrokeFontTest, ManagerChoosesFontByKrojAndNumber) {
  FontSpec litt = SmallFont();
  litt.Glyphs[0].Advance = 11;
  Put("litt.ch1", FontBytes(litt));
  Put("font.ch1", FontBytes(SmallFont()));
  TFontManager fonts(folder.Path());
  EXPECT_EQ(fonts.MeasureText(kLitt, "A")->Width, 11);
  EXPECT_EQ(fonts.MeasureText({0, true}, "A")->Width, 8);
  EXPECT_EQ(fonts.MeasureText({4, true}, "A")->Width, 8);
  // Loaded fonts are kept: the files are not read again.
  std::remove((folder / "font.ch1").c_str());
  std::remove((folder / "litt.ch1").c_str());
  EXPECT_EQ(fonts.MeasureText(kLitt, "A")->Width, 11);
  EXPECT_EQ(fonts.MeasureText({0, true}, "A")->Width, 8);
  EXPECT_EQ(fonts.MeasureText({4, false}, "A")->Width, 11);
  // A number not asked for before needs the file again.
  EXPECT_THROW(fonts.MeasureText({9, true}, "A"), EWindowsIOError);
}

TEST_F(StrokeFontTest, MissingFontFileIsReportedAndRetried) {
  TFontManager fonts(folder.Path());
  try {
    fonts.BuildText(kLitt, "A");
    FAIL() << "no error";
  } catch (const EWindowsIOError& e) {
    EXPECT_EQ(e.Message(), "Brak pliku z fontem:" + (folder / "litt.ch1"));
  }
  Put("litt.ch1", FontBytes(SmallFont()));
  Put("font.ch1", FontBytes(SmallFont()));
  EXPECT_EQ(fonts.BuildText(kLitt, "A")->Width, 8);
}

// Counts in the file are checked against the file and against each other:
// a damaged font is refused with the font error, nothing is read past the
// end of the data.
TEST_F(StrokeFontTest, DamagedOrShortFontFileIsRefusedNotReadPastItsEnd) {
  const std::string good = FontBytes(SmallFont());
  // Offsets: header 0..15; 'A' record at 16 (5 + 2 + 10 bytes), 'B' at 33,
  // 'C' at 38 (5 + 1 + 8).
  ASSERT_EQ(good.size(), 16u + 17u + 5u + 14u);
  struct Case {
    const char* Name;
    std::string Bytes;
  };
  auto with = [&](std::size_t offset, char value) {
    std::string s = good;
    s[offset] = value;
    return s;
  };
  const std::vector<Case> cases = {
      {"empty file", ""},
      {"short header", good.substr(0, 15)},
      {"no records", good.substr(0, 16)},
      {"record head cut", good.substr(0, 19)},
      {"points cut", good.substr(0, good.size() - 1)},
      {"more records than the file holds", with(5, 4)},
      {"record count zero", [&] {
         std::string s = with(5, 0);
         return s.substr(0, 16);
       }()},
      {"cell height zero", with(7, 0)},
      {"part count beyond the file", with(17 + 1, static_cast<char>(0xFF))},
      {"point count beyond the file", with(20, static_cast<char>(0x7F))},
      // Part sizes 3 + 9 exceed the 5 points of the record.
      {"part size beyond the point count", with(21 + 1, 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = Put("litt.ch1", c.Bytes);
    try {
      TStrokeFont font(0, path);
      ADD_FAILURE() << "accepted";
    } catch (const EWindowsIOError& e) {
      EXPECT_EQ(e.Message(), "Brak pliku z fontem:" + path);
    }
  }
}

TEST_F(StrokeFontTest, PartsOfFewerThanTwoPointsDrawNothing) {
  FontSpec f;
  f.Glyphs = {{4, {{{1, 1}}, {{0, 0}, {3, 0}}, {}}}};
  const TStrokeFont font(0, Put("litt.ch1", FontBytes(f)));
  const TVectorList& strokes = font.GetChar(65).Strokes();
  ASSERT_EQ(strokes.PartCount(), 1);
  EXPECT_EQ(PartPoints(strokes, 0), (std::vector<TPoint>{{0, 0}, {3, 0}}));
}

// The distance to a segment, within the larger of the two tolerances.
class SegmentDistance : public IStrokeSegmentHit {
public:
  bool SegmentHitDistance(const TRealPoint& A, const TRealPoint& B, const TRealPoint& P,
                          const TRealPoint& Tol, double& D) override {
    ++Calls;
    const double dx = B.X - A.X;
    const double dy = B.Y - A.Y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((P.X - A.X) * dx + (P.Y - A.Y) * dy) / len2 : 0;
    t = std::fmax(0, std::fmin(1, t));
    const double d = std::hypot(A.X + t * dx - P.X, A.Y + t * dy - P.Y);
    if (d > std::fmax(Tol.X, Tol.Y)) return false;
    D = d;
    return true;
  }
  int Calls = 0;
};

// The strokes are tested where the text matrix draws them: (U, V) = (-y, x),
// so a stroke along the text lies along world Y.
TEST_F(StrokeFontTest, StrokeHitTestUsesTheTextMatrixAxes) {
  TVectorChar strokes(8, 16, 0);
  strokes.AddLine(0, 0, 16, 0);
  strokes.AddLine(0, 10, 0, 20);
  TAffineMatrix m;  // X = U + 100, Y = V + 200
  m.c = 100;
  m.f = 200;
  SegmentDistance segment;
  const TRealPoint tol = RealPoint(0.5, 0.5);
  double d = 0;
  EXPECT_TRUE(StrokeTextDistance(strokes, RealPoint(100.25, 208), tol, m, segment, d));
  EXPECT_DOUBLE_EQ(d, 0.25);
  EXPECT_EQ(segment.Calls, 2);
  // The second stroke runs down from (x, y) = (0, 10): world X 90 to 80.
  EXPECT_TRUE(StrokeTextDistance(strokes, RealPoint(85, 200.1), tol, m, segment, d));
  EXPECT_NEAR(d, 0.1, 1e-12);
  EXPECT_FALSE(StrokeTextDistance(strokes, RealPoint(108, 200), tol, m, segment, d));
  EXPECT_EQ(d, 1.7e308);

  TVectorChar one(8, 16, 0);
  EXPECT_FALSE(StrokeTextDistance(one, RealPoint(100, 200), tol, m, segment, d));
  EXPECT_EQ(d, 1.7e308);
}

}  // namespace
