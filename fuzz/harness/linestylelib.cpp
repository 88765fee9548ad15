// Line-style libraries: a line-style file of the input loaded as a library
// (file errors go to the library error box, the styles read before them
// stay), every style looked up by number and name, its dash pattern taken
// for every scale, and each drawn on the layers' canvas as straight lines, a
// circle and an arc at every scale band, under the abort watchdog.
//
// Input: the line-style file.
#include <cstdint>
#include <string>

#include "draw_common.h"
#include "foundation/errors.h"
#include "fuzz_common.h"
#include "objects/linestylelib.h"

namespace {

constexpr std::int32_t kMaxDrawn = 16;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartLibraryHarness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("linie.lin", data, size);
  const auto lib = TLineManager::CreateFromFile(path);
  for (std::int32_t i = 0; i < lib->Count(); ++i) {
    const TLine* style = lib->Line(i);
    fuzz::Check(lib->GetLine(style->Number) == style, "a style is not found by its number");
    fuzz::Check(lib->GetLineByName(style->Name) != nullptr, "a style is not found by its name");
    (void)style->GetPatternLength();
    for (std::int32_t scale : {500, 1000, 2000, 5000}) (void)style->GetDXFPattern(scale);
  }

  // One canvas, its scale changed between the passes as the view's scale
  // box changes it.
  fuzz::LayerCanvas layer(1000);
  TDefRealCanvas& canvas = *layer.canvas;
  fuzz::WatchedDrawing watch(canvas);
  try {
    for (std::int32_t scale : {500, 1000, 2000, 5000}) {
      layer.cfg->Skala = scale;
      for (std::int32_t i = 0; i < lib->Count() && i < kMaxDrawn; ++i) {
        const TLine* style = lib->Line(i);
        canvas.StyledLine(10, 10, 10, 190, style);
        canvas.StyledLine(20, 30, 150, 170, style);
        canvas.StyledCircle(TRealPoint{100, 100}, style, 50);
        canvas.StyledArc(TRealEnds{TRealPoint{100, 150}, TRealPoint{150, 100}}, TRealPoint{100, 100},
                         style, 50);
        canvas.SetStyleSource(style);
        canvas.StyledLineCurrent(190, 10, 190, 190);
      }
    }
    canvas.FlushLines();
  } catch (const EAbortDraw&) {
    // the watchdog ended a drawing that took too long
  }
  return 0;
}
