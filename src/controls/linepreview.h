// The line-style preview: one sample stroke of a line style, drawn by the
// map-drawing engine as the map draws that style, over a small world window
// stretched onto the control.
//
// GUI thread only. The control owns its window dimensions and drawing
// canvas; the bound style belongs to the line-style library, which outlives
// every dialog. The library and the configuration default to the
// program-wide ones; a test may give others, which must outlive the control.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "drawing/windowdim.h"
#include "platform/gui/controls_custom.h"

class TDefRealCanvas;
class TKonfiguracja;
class TLine;
class TLineManager;

namespace platform {
class TSurfaceCanvas;
}

class TSpecialLine : public platform::TCustomControl {
public:
  // 50 x 10 pixels showing the world window (0, 0)-(10, 10).
  explicit TSpecialLine(const TLineManager* Library = nullptr, TKonfiguracja* Konfiguracja = nullptr);
  ~TSpecialLine() override;

  // World extent along Y (to the right); below 4 becomes 4.
  double RealWidth() const;
  void SetRealWidth(double Value);
  // World extent along X (up); any value.
  double RealHeight() const;
  void SetRealHeight(double Value);

  std::int32_t Numer() const { return FNumer; }
  // Binds the style of that number; with none, the stroke is plain in the
  // pen style of the number's low byte.
  void SetNumer(std::int32_t Value);
  // The bound style's name, or Numer in decimal.
  std::string Nazwa() const;
  // Binds the style of that name (letter case ignored by the lookup), or
  // style 1 when no style has it. When the library has no style 1 either,
  // nothing is bound anew and the current Numer keeps being drawn.
  void SetNazwa(const std::string& Value);
  // Binds Style (not null).
  void SetLineDef(const TLine* Style);
  const TLine* LineDef() const { return FLine; }

  std::uint32_t Kolor() const;
  void SetKolor(std::uint32_t Value);
  std::int32_t LineWidth() const;
  void SetLineWidth(std::int32_t Value);

  void SetBounds(int left, int top, int width, int height) override;

  TDefRealCanvas& DrawingCanvas() { return *FCanvas; }

protected:
  void Paint() override;

private:
  const TLineManager& Library() const;
  void SetWorld(double Height, double Width);

  TWindowDim FWindow;
  std::unique_ptr<platform::TSurfaceCanvas> FSurfaceCanvas;
  std::unique_ptr<TDefRealCanvas> FCanvas;
  const TLineManager* FLibrary;
  std::int32_t FNumer = 0;
  const TLine* FLine = nullptr;
  std::uint8_t FPlainStyle = 0;
};
