#include "drawing/pen.h"

#include <string>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"

namespace {

constexpr std::uint32_t kSaved = 0x112233;
constexpr std::uint32_t kBackground = 0x445566;

class PenTest : public ::testing::Test {
protected:
  PenTest() : pen(platform::pmCopy, kSaved, platform::psSolid, 1, [this] { return thick; }) {
    pen.SpecialColor = kBackground;
    pen.OnChange = [this](TPenI* sender) {
      EXPECT_EQ(sender, &pen);
      ++changes;
    };
  }

  bool thick = true;
  int changes = 0;
  TPenI pen;
};

TEST_F(PenTest, CreationStoresAndSavesTheValuesAsGiven) {
  TPenI raw(platform::pmXor, kDefaultColorBit | 0xFF, platform::psDot, 5, [] { return false; });
  EXPECT_EQ(raw.Mode(), platform::pmXor);
  EXPECT_EQ(raw.Color(), kDefaultColorBit | 0xFF);  // not resolved
  EXPECT_EQ(raw.Style(), platform::psDot);
  EXPECT_EQ(raw.Width(), 5);  // not tested
  EXPECT_EQ(raw.SavedColor(), kDefaultColorBit | 0xFF);
  EXPECT_EQ(raw.SavedWidth(), 5);
  EXPECT_EQ(raw.SpecialColor, 0u);
}

TEST_F(PenTest, ColourCodesResolveToSublayerOrSpecialColour) {
  struct Case {
    std::uint32_t code;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0x0000FF, 0x0000FF},
      {kDefaultColorBit | 0x0000FF, kSaved},   // the sublayer's colour, not red
      {0x6000000, kBackground},
      {0x60000FF, kBackground},
      {0x7000000, kBackground},                // special wins over default
      {0x3000000, kSaved},                     // bit 26 missing: default colour
      {0x2000000, 0x2000000},                  // stored unchanged
      {0x4000000, 0x4000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    pen.SetColor(0x000001);
    pen.SetColor(c.code);
    EXPECT_EQ(pen.Color(), c.expected);
  }
}

TEST_F(PenTest, OnlyRealChangesNotify) {
  pen.SetColor(kSaved);
  pen.SetColor(kDefaultColorBit);  // resolves to the colour it has
  pen.SetMode(platform::pmCopy);
  pen.SetStyle(platform::psSolid);
  pen.SetWidth(1);
  EXPECT_EQ(changes, 0);
  pen.SetColor(0xFF);
  pen.SetMode(platform::pmXor);
  pen.SetStyle(platform::psDash);
  pen.SetWidth(2);
  EXPECT_EQ(changes, 4);
  pen.OnChange = nullptr;
  pen.SetWidth(4);  // no handler: nothing called
  EXPECT_EQ(pen.Width(), 4);
}

TEST_F(PenTest, ThickLineTestLimitsWidthsToOnePixel) {
  thick = false;
  pen.SetWidth(3);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(changes, 0);  // already 1 pixel
  thick = true;
  pen.SetWidth(3);
  EXPECT_EQ(pen.Width(), 3);
  EXPECT_EQ(changes, 1);
  thick = false;
  pen.SetWidth(2);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(changes, 2);
  pen.SetWidth(0);  // widths up to one pixel are never asked about
  EXPECT_EQ(pen.Width(), 0);

  TPenI untested(platform::pmCopy, 0, platform::psSolid, 1, nullptr);
  untested.SetWidth(4);
  EXPECT_EQ(untested.Width(), 4);
}

TEST_F(PenTest, WidthByIndexUsesTheTableAndTheSavedWidth) {
  struct Case {
    int index;
    std::int32_t width;
  };
  const Case cases[] = {{2, 3}, {1, 1}, {0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    pen.SetWidth(7);
    pen.SetWidthByIndex(c.index);
    EXPECT_EQ(pen.Width(), c.width);
  }
  pen.SetWidth(5);
  pen.SaveState();
  pen.SetWidthByIndex(2);
  pen.SetWidthByIndex(0);
  EXPECT_EQ(pen.Width(), 5);
  pen.SetIndexedWidth(2, 9);  // the base keeps no widths
  pen.SetWidthByIndex(2);
  EXPECT_EQ(pen.Width(), 3);
}

TEST_F(PenTest, WidthIndexOutsideTheTableDrawsThinInsteadOfReadingPastIt) {
  for (int index : {3, -1, 1000}) {
    SCOPED_TRACE(index);
    pen.SetWidth(7);
    pen.SetWidthByIndex(index);
    EXPECT_EQ(pen.Width(), 1);
  }
}

TEST_F(PenTest, RestoreStateKeepsTheColourAndNotifiesOnlyForOtherChanges) {
  pen.SetColor(0xFF0000);
  changes = 0;
  pen.RestoreState();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(pen.Color(), 0xFF0000u);

  pen.SetStyle(platform::psDash);
  pen.SetWidth(3);
  changes = 0;
  pen.RestoreState();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pen.Style(), platform::psSolid);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(pen.Color(), 0xFF0000u);
}

TEST_F(PenTest, SaveStateMakesTheDefaultColour) {
  pen.SetColor(0x00AA00);
  pen.SaveState();
  pen.SetColor(0x0000FF);
  pen.SetColor(kDefaultColorBit | 0x123);
  EXPECT_EQ(pen.Color(), 0x00AA00u);
}

TEST_F(PenTest, ContrastColourIsBlackOnLightAndWhiteOnDark) {
  struct Case {
    std::uint32_t color;
    std::uint32_t contrast;
  };
  const Case cases[] = {
      {0x808080, 0xFFFFFF},  // no byte above 128
      {0x008100, 0x000000},  // green 129
      {0x810000, 0x000000},
      {0x000081, 0x000000},
      {0x000000, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.color);
    pen.SetColor(c.color);
    pen.SetContrastColor();
    EXPECT_EQ(pen.Color(), c.contrast);
  }
}

// The polyline buffer on an off-screen bitmap.
class ListaWektorowTest : public ::testing::Test {
protected:
  platform::TBitmap bitmap{64, 64};
  TListaWektorow lines{&bitmap.Canvas(), 5120, 0, 0};
};

TEST_F(ListaWektorowTest, FullBufferDrawsEverythingAndStartsAfreshWithTheNewSegment) {
  // 2560 separate segments of two points fill the 5120 points.
  for (int i = 0; i < 2560; ++i) lines.AddLine(i % 20, 1, i % 20, 3 + i % 2);
  ASSERT_EQ(lines.PointCount(), 5120);
  ASSERT_EQ(lines.PartCount(), 2560);
  EXPECT_EQ(bitmap.Pixel(19, 2), platform::clWhite);

  lines.AddLine(30, 5, 30, 40);  // the 5121st point
  EXPECT_EQ(lines.PointCount(), 2);
  EXPECT_EQ(lines.PartCount(), 1);
  EXPECT_EQ(lines.Point(0), (TPoint{30, 5}));
  EXPECT_EQ(bitmap.Pixel(19, 2), platform::clBlack);
  EXPECT_EQ(bitmap.Pixel(30, 10), platform::clWhite);  // not drawn yet

  lines.Flush();  // draws, keeps
  EXPECT_EQ(bitmap.Pixel(30, 10), platform::clBlack);
  EXPECT_EQ(lines.PointCount(), 2);
}

TEST_F(ListaWektorowTest, LongPolylinesGoOnDrawingThroughAnyNumberOfSegments) {
  lines.AddLine(2, 1, 2, 20);
  for (int i = 0; i < 12000; ++i) {
    const TPoint last = lines.Point(lines.PointCount() - 1);
    lines.AddSegment(last, TPoint{2, last.Y == 20 ? 1 : 20});
  }
  EXPECT_GT(lines.PointCount(), 0);
  EXPECT_LE(lines.PointCount(), 5120);
  EXPECT_EQ(bitmap.Pixel(2, 10), platform::clBlack);
}

TEST_F(ListaWektorowTest, FailedDrawingKeepsTheBuffer) {
  TListaWektorow orphan(nullptr, 5120, 0, 0);
  orphan.Overflow();  // empty: nothing to draw, no error
  orphan.AddLine(1, 1, 5, 5);
  EXPECT_THROW(orphan.Overflow(), EDrawError);
  EXPECT_EQ(orphan.PointCount(), 2);
  EXPECT_EQ(orphan.PartCount(), 1);
}

TEST_F(ListaWektorowTest, CloneIsABufferOnTheSameCanvas) {
  lines.AddLine(1, 1, 9, 9);
  auto clone = lines.Clone();
  auto* copy = dynamic_cast<TListaWektorow*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Canvas(), &bitmap.Canvas());
  EXPECT_EQ(copy->PointCount(), 2);
}

TEST_F(ListaWektorowTest, EachPenGetsItsOwnPolyPolyline) {
  // As a canvas binds them: a pen change draws what was collected under the
  // old pen before the platform pen changes.
  platform::TCanvas& canvas = bitmap.Canvas();
  TPenI pen(platform::pmCopy, platform::clRed, platform::psSolid, 1, nullptr);
  auto apply = [&](TPenI* p) {
    lines.Overflow();
    platform::TPen platformPen = canvas.Pen();
    platformPen.Color = p->Color();
    canvas.SetPen(platformPen);
  };
  apply(&pen);
  pen.OnChange = apply;
  lines.AddLine(5, 5, 5, 30);
  lines.AddLine(10, 5, 10, 30);
  pen.SetColor(platform::clRed);  // no change: nothing drawn yet
  EXPECT_EQ(bitmap.Pixel(5, 10), platform::clWhite);
  pen.SetColor(platform::clBlue);
  EXPECT_EQ(bitmap.Pixel(5, 10), platform::clRed);
  EXPECT_EQ(bitmap.Pixel(10, 10), platform::clRed);
  EXPECT_EQ(lines.PointCount(), 0);
  lines.AddLine(20, 5, 20, 30);
  lines.Overflow();
  EXPECT_EQ(bitmap.Pixel(20, 10), platform::clBlue);
}

}  // namespace
