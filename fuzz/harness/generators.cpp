// Generator libraries: a generator file of the input loaded with the
// built-in generators (file errors go to the library error box, the good
// generators stay), every generator of the file looked up by name, its
// transformation computed for points taken from the input, its objects
// made as an undo group, and its shape drawn through the transformation on
// the layers' canvas under the abort watchdog.
//
// Input: two choice bytes (the point layout and the size of the segment),
// then the generator file.
#include <cmath>
#include <cstdint>
#include <string>

#include "draw_common.h"
#include "foundation/errors.h"
#include "fuzz_common.h"
#include "objtools/genlibrary.h"

namespace {

constexpr std::size_t kMaxDrawn = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartLibraryHarness();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Choices choices(data, size);
  const std::uint8_t layout = choices.Byte();
  const double length = 1.0 + choices.Byte();
  const std::string path = fuzz::PutFile("generatory.gen", choices.Rest(), choices.RestSize());
  const auto lib = TGeneratorManager::CreateFromFile(path);
  fuzz::Check(lib->FindByName("SKARPA_U") != nullptr, "the built-in generators are missing");

  const TRealPoint p1{50, 50};
  const TRealPoint p2 = (layout & 1) ? p1 : TRealPoint{50 + length / 2, 50 + length};
  const TRealPoint p3{50 - length / 3, 60};
  fuzz::LayerCanvas layer(500);
  TDefRealCanvas& canvas = *layer.canvas;
  std::size_t drawn = 0;
  for (const auto& entry : lib->Generators) {
    TGeneratorImp* g = entry.Generator.get();
    fuzz::Check(lib->FindByName(entry.Name) == g, "a generator is not found by its name: " + entry.Name);
    // The computed ones do not come from the file.
    if (g->HasSpacing()) continue;
    TAffineMatrix m;
    g->ComputeTransform(p1, p2, (layout & 2) ? &p3 : nullptr, m, nullptr);
    for (double v : {m.a, m.b, m.c, m.d, m.e, m.f, m.s})
      fuzz::Check(std::isfinite(v), "a transformation that is not finite: " + entry.Name);
    const auto objects = g->CreateObjects(m, 1);
    fuzz::Check(objects->Count() == g->Count(), "objects lost: " + entry.Name);
    if (++drawn > kMaxDrawn) continue;
    fuzz::WatchedDrawing watch(canvas);
    try {
      g->DrawTransformed(canvas, m);
      canvas.FlushLines();
    } catch (const EAbortDraw&) {
      // the watchdog ended a drawing that took too long
    }
  }
  return 0;
}
