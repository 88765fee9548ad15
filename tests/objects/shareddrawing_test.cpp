// Two drawing threads share one line style, one device symbol and the font
// manager, each at its own scale and in its own font, as the map view's
// redraw threads do. Each image must equal the same drawing done alone.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "drawing/windowdim.h"
#include "foundation/settings/settings.h"
#include "objects/linestylelib.h"
#include "objects/styledcanvas.h"
#include "objects/symbollib.h"
#include "platform/paint/gdiimage.h"
#include "common/scratch_folder.h"

namespace {

// A section with one dash along the line from 0 to DashEnd, Length long.
std::unique_ptr<TLineSection> DashSection(double Length, double DashEnd) {
  auto section = std::make_unique<TLineSection>();
  section->Mode = kSectionStretchAlong;
  section->EndPos = Length;
  TElementRecord rec;
  rec.Type = kElemLine;
  rec.Y2 = DashEnd;
  section->AddElementFromRecord(rec);
  // A tick across the line, so that the pattern shows on every side.
  rec.X1 = -2;
  rec.X2 = 2;
  rec.Y1 = rec.Y2 = 0;
  section->AddElementFromRecord(rec);
  return section;
}

// A style without a pen style of its own (decorated in every display) whose
// 1:500 and 1:5000 variants have patterns of their own.
std::unique_ptr<TLine> ScaledStyle() {
  auto style = std::make_unique<TLine>();
  style->Number = 40;
  style->Flags = kLineNoPenStyle;
  style->MiddleSection = DashSection(10, 6);
  style->Variant500 = std::make_unique<TLineImp>();
  style->Variant500->MiddleSection = DashSection(4, 1);
  style->Variant5000 = std::make_unique<TLineImp>();
  style->Variant5000->MiddleSection = DashSection(16, 12);
  return style;
}

// A device symbol with a halo: a cross of 6 by 6 millimetres and a ring.
std::unique_ptr<TDPISymbol> CrossSymbol() {
  TSymbolHeader header;
  header.Sizes = {-1, 1, 1, 1};
  header.Extent = 3;
  header.First = 1;
  header.Count = 3;
  const std::vector<TElementRecord> elements = {
      TElementRecord{-3, 0, 3, 0, 0, kElemLine},
      TElementRecord{0, -3, 0, 3, 0, kElemLine},
      TElementRecord{0, 0, 0, 0, 2, kElemCircle},
  };
  return std::make_unique<TDPISymbol>(header, elements);
}

// Two fonts whose 'A' differ: a caret in the default font, a box in the
// second one.
std::string DefaultFont() {
  FontSpec f;
  f.Glyphs = {{10, {{{0, 10}, {5, 0}, {10, 10}}}}};
  return FontBytes(f);
}
std::string SecondFont() {
  FontSpec f;
  f.Glyphs = {{12, {{{0, 0}, {12, 0}, {12, 10}, {0, 10}, {0, 0}}}}};
  return FontBytes(f);
}

// What one drawing thread owns: its window, settings, canvas and image.
struct TDrawingJob {
  std::uint8_t Kroj;
  std::int32_t Skala;
  std::uint16_t FontNumber;
  double Zoom;
};

// Draws the scene of Job with the shared Style and Symbol into a new image.
std::unique_ptr<platform::TBitmap> Draw(const TDrawingJob& Job, const TLine& Style,
                                        TDPISymbol& Symbol) {
  auto bitmap = std::make_unique<platform::TBitmap>(200, 200);
  TWindowDim dims;
  dims.SetWorldRect(TRealRect{0, 0, 200, 200});
  dims.SetDeviceSize(200, 200);
  dims.Zoom(Job.Zoom);
  TKonfiguracja konf;
  TCanvasCfg* cfg = konf.GetGroup(std::make_unique<TCanvasCfg>());
  cfg->Kroj = Job.Kroj;
  cfg->Skala = Job.Skala;
  cfg->DpmX = cfg->DpmY = 3.0;
  TDefRealCanvas canvas(&bitmap->Canvas(), konf, &dims);
  canvas.FontNumber = Job.FontNumber;
  canvas.Size = 12;
  for (int row = 0; row < 4; ++row) {
    const double x = 40.0 + row * 40.0;
    canvas.StyledLine(x, 10, x, 190, &Style);
    canvas.StyledCircle(TRealPoint{x, 100}, &Style, 15 + row * 3);
    canvas.DrawSymbol(&Symbol, TRealPoint{x, 30 + row * 40.0}, 0.3 * row);
    canvas.VectorTextOutSimple("AAA", TRealPoint{x - 10, 120}, 0.2f * static_cast<float>(row));
  }
  canvas.FlushLines();
  return bitmap;
}

// The number of pixels in which A and B differ.
int DifferingPixels(const platform::TBitmap& A, const platform::TBitmap& B) {
  int n = 0;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x) n += A.Pixel(x, y) != B.Pixel(x, y);
  return n;
}

TEST(SharedDrawingTest, TwoThreadsAtTheirOwnScalesAndFontsDrawAsEachAlone) {
  ScratchFolder folder;
  folder.Put("litt.ch1", DefaultFont());
  folder.Put("font.ch1", SecondFont());
  FontManager().SetFolder(folder.Path());
  const std::unique_ptr<TLine> style = ScaledStyle();
  const std::unique_ptr<TDPISymbol> symbol = CrossSymbol();
  // Thread one: the default font at 1:500; thread two: the second font at
  // 1:5000, zoomed, so every shared object is used two ways at once.
  const TDrawingJob jobs[2] = {{1, 500, 0, 1.0}, {2, 5000, 3, 1.5}};
  std::unique_ptr<platform::TBitmap> alone[2];
  for (int j = 0; j < 2; ++j) alone[j] = Draw(jobs[j], *style, *symbol);
  ASSERT_GT(DifferingPixels(*alone[0], *alone[1]), 500) << "the two jobs must draw differently";

  // The fonts are loaded again by the threads themselves.
  FontManager().SetFolder(folder.Path());
  constexpr int kRounds = 8;
  std::vector<std::unique_ptr<platform::TBitmap>> images[2];
  {
    std::vector<std::jthread> threads;
    for (int j = 0; j < 2; ++j) {
      threads.emplace_back([&, j] {
        for (int round = 0; round < kRounds; ++round)
          images[j].push_back(Draw(jobs[j], *style, *symbol));
      });
    }
  }
  for (int j = 0; j < 2; ++j) {
    ASSERT_EQ(images[j].size(), static_cast<std::size_t>(kRounds));
    for (int round = 0; round < kRounds; ++round)
      EXPECT_EQ(DifferingPixels(*images[j][round], *alone[j]), 0)
          << "job " << j << ", round " << round;
  }
  FontManager().SetFolder("");
}

}  // namespace
