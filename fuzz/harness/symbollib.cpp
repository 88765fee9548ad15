// Symbol libraries: a symbol file of the input loaded as a catalogue library
// (file errors go to the library error box, the symbols read before them
// stay), every symbol looked up by name, measured at every scale band,
// scaled for export and drawn on the layers' canvas at two scales and turns,
// under the abort watchdog.
//
// Input: the symbol file.
#include <cstdint>
#include <numbers>
#include <string>

#include "draw_common.h"
#include "foundation/errors.h"
#include "fuzz_common.h"
#include "objects/symbollib.h"

namespace {

constexpr std::size_t kMaxDrawn = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartLibraryHarness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::PutFile("symbole.sym", data, size);
  const auto lib = TSymbolManager::CreateFromFile(path);
  for (const auto& entry : lib->Symbols) {
    const TSymbol* symbol = entry.Symbol.get();
    fuzz::Check(lib->FindByName(entry.Name) == symbol, "a symbol is not found by its name: " + entry.Name);
    (void)lib->GetSymbolName(symbol);
    for (double scale : {100.0, 500.0, 1000.0, 2000.0, 5000.0}) (void)symbol->SizeForScale(scale);
    (void)symbol->GetBounds();
    (void)symbol->IsDeviceSymbol();
    (void)symbol->GetScaledElements(500);
    (void)symbol->GetScaledElements(5000);
    double d = 0;
    (void)symbol->HitDistance(TRealPoint{0.5, 0.5}, TRealPoint{1, 1}, nullptr, d);
  }

  // One canvas, its scale changed between the passes as the view's scale
  // box changes it.
  fuzz::LayerCanvas layer(500);
  TDefRealCanvas& canvas = *layer.canvas;
  fuzz::WatchedDrawing watch(canvas);
  try {
    for (std::int32_t scale : {500, 5000}) {
      layer.cfg->Skala = scale;
      std::size_t drawn = 0;
      for (const auto& entry : lib->Symbols) {
        if (++drawn > kMaxDrawn) break;
        canvas.DrawSymbol(entry.Symbol.get(), TRealPoint{100, 100}, 0);
        canvas.DrawSymbol(entry.Symbol.get(), TRealPoint{199, 3}, std::numbers::pi / 3);
      }
    }
    canvas.FlushLines();
  } catch (const EAbortDraw&) {
    // the watchdog ended a drawing that took too long
  }
  return 0;
}
