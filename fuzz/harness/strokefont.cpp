// Stroke fonts: a font file of the input loaded as the default font
// ("litt.ch1") and as a second font ("font.ch1") through the font manager,
// every character built and measured as text and as a fraction, and a text
// of every character drawn on the layers' canvas through the program's font
// manager, under the abort watchdog. A font that is refused raises the
// manager's error and nothing else; measuring and building agree.
//
// Input: the font file.
#include <cstdint>
#include <string>

#include "draw_common.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "fuzz_common.h"
#include "platform/files/codepage.h"

namespace {

// Every code-page byte once, as UTF-8.
std::string EveryCharacter() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  return platform::Cp1250ToUtf8(bytes);
}

void BuildAndMeasure(const TStrokeFontUse& fonts, const std::string& text) {
  const auto built = fonts.BuildText(text);
  const auto measured = fonts.MeasureText(text);
  fuzz::Check(built->Width == measured->Width && built->Height == measured->Height,
              "building and measuring a text disagree");
  (void)fonts.BuildFraction(text.substr(0, 40), "1/2");
  (void)fonts.MeasureFraction("", text.substr(0, 10));
  (void)fonts.TextExtent(text);
  (void)fonts.FractionExtent("12", "345");
  (void)fonts.GetHeight();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseOffscreenPlatform();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::PutFile("litt.ch1", data, size);
  fuzz::PutFile("font.ch1", data, size);
  static const std::string text = EveryCharacter();

  TFontManager fonts(fuzz::Scratch());
  const TStrokeFontChoice litt{0, false};
  const TStrokeFontChoice second{3, true};
  try {
    fonts.EnsureFont(litt);
    fonts.EnsureFont(second);
  } catch (const EInOutError&) {
    return 0;  // refused: "Brak pliku z fontem:"
  }
  BuildAndMeasure(TStrokeFontUse(fonts, litt), text);
  BuildAndMeasure(TStrokeFontUse(fonts, second), text);

  // The program's manager draws the canvas's texts.
  FontManager().SetFolder(fuzz::Scratch());
  fuzz::LayerCanvas layer(1000);
  TDefRealCanvas& canvas = *layer.canvas;
  {
    fuzz::WatchedDrawing watch(canvas);
    try {
      canvas.Size = 8;
      canvas.VectorTextOutSimple(text.substr(0, 120), TRealPoint{20, 20}, 0);
      canvas.VectorTextOutSimple(text.substr(120), TRealPoint{150, 20}, 0.7f);
      canvas.FlushLines();
    } catch (const EAbortDraw&) {
      // the watchdog ended a drawing that took too long
    }
  }
  FontManager().SetFolder("");
  return 0;
}
