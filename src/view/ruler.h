// The scale ruler: a small control showing a bar of a round length in metres
// (1, 2 or 5 times a power of ten) for the current map scale, with ticks and
// a label giving the length followed by "m" (for example "50.00m"). The main
// form keeps one in its toolbar; a map view sets its Skala after every change
// of its window.
//
// GUI thread only. The control owns its drawing canvas; Color, Visible and
// Font are the ruler's own (the control's background keeps its standard
// colour, and a ruler made invisible stays in its place, blank).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gui/controls_custom.h"
#include "platform/paint/gdi.h"

namespace platform {
class TSurfaceCanvas;
}

class TRuler : public platform::TCustomControl {
public:
  // 100 x 25 pixels at Skala 1.0.
  TRuler();
  ~TRuler() override;

  // Device pixels per metre.
  double Skala() const { return FSkala; }
  // Ignored when Value equals the current scale or is no usable scale (0,
  // negative, not finite); otherwise stored, then the bar is recomputed.
  void SetSkala(double Value);

  // The length the bar may take is the height instead of the width; takes
  // effect at the next recomputation.
  bool Pionowo() const { return FPionowo; }
  void SetPionowo(bool Value) { FPionowo = Value; }

  // The colour of the lines and of the label; black at first.
  std::uint32_t Color() const { return FColor; }
  void SetColor(std::uint32_t Value) override;

  // While false the control paints nothing but still recomputes.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) override;

  // The font the label is measured and drawn in; a change recomputes.
  const platform::TFont& Font() const { return FFont; }
  void SetFont(const platform::TFont& Value);

  void SetBounds(int left, int top, int width, int height) override;

  // What the last recomputation gave.
  enum class TBarMode : std::uint8_t { One = 0, Two = 1, Five = 2 };
  const std::string& Label() const { return FLabel; }
  std::int32_t LabelWidth() const { return FLabelWidth; }
  std::int32_t BarLength() const { return FBarLength; }
  TBarMode Mode() const { return FMode; }

protected:
  void Paint() override;

private:
  void Recalc();
  // Width of Text in the label's font; 20 while the control has no parent.
  std::int32_t MeasureText(const std::string& Text);

  std::unique_ptr<platform::TSurfaceCanvas> FSurfaceCanvas;
  double FSkala = 0.0;
  bool FPionowo = false;
  std::uint32_t FColor = platform::clBlack;
  bool FVisible = true;
  platform::TFont FFont;
  std::string FLabel;
  std::int32_t FLabelWidth = 0;
  std::int32_t FBarLength = 0;
  TBarMode FMode = TBarMode::One;
};
