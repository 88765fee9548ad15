#include "drawing/winfonts.h"

#include <cstdlib>

namespace {

// The face is measured at this character height.
constexpr std::int32_t kMeasureHeight = 1024;

// A * B / C rounded to the nearest integer, halves away from zero.
std::int32_t MulDiv(std::int32_t A, std::int32_t B, std::int32_t C) {
  const std::int64_t product = static_cast<std::int64_t>(A) * B;
  std::int64_t quotient = product / C;
  const std::int64_t remainder = product % C;
  if (std::llabs(remainder) * 2 >= std::llabs(C)) quotient += (product < 0) != (C < 0) ? -1 : 1;
  return static_cast<std::int32_t>(quotient);
}

}  // namespace

TWindowsFont::~TWindowsFont() { ReleaseHandle(); }

void TWindowsFont::SetStyleBit(std::uint8_t Bit, bool Value) {
  if (FSelectCount > 0 || ((FStyle & Bit) != 0) == Value) return;
  FStyle = static_cast<std::uint8_t>(Value ? (FStyle | Bit) : (FStyle & ~Bit));
  ReleaseHandle();
}

void TWindowsFont::SetUnderline(bool Value) { SetStyleBit(wfUnderline, Value); }

void TWindowsFont::SetItalic(bool Value) { SetStyleBit(wfItalic, Value); }

void TWindowsFont::SetHeight(std::int32_t Value) {
  if (FSelectCount > 0 || Value == FHeight) return;
  FHeight = Value;
  FCellHeight = 0;
  ReleaseHandle();
}

void TWindowsFont::SetAngle(std::int32_t Value) {
  if (FSelectCount > 0 || Value == FAngle) return;
  FAngle = Value;
  ReleaseHandle();
}

void TWindowsFont::SetFaceName(const std::string& Value) {
  if (FSelectCount > 0 || Value == FFaceName) return;
  FFaceName = Value;
  FCellHeight = 0;
  ReleaseHandle();
}

std::int32_t TWindowsFont::CellHeightFor(std::int32_t Height,
                                         const platform::TTextMetric& Metric) {
  const std::int32_t letters = Metric.tmAscent - Metric.tmInternalLeading;
  if (letters <= 0) return Height;
  return MulDiv(Height, Metric.tmHeight, letters);
}

void TWindowsFont::Realize(platform::TCanvas& Canvas) {
  if (FHandle) return;
  if (FCellHeight == 0) {
    platform::TFont probe;
    probe.Name = FFaceName;
    probe.Height = -kMeasureHeight;
    probe.CharSet = 0;
    probe.Color = Canvas.TextColor();
    const platform::TFont previous = Canvas.Font();
    Canvas.SetFont(probe);
    const platform::TTextMetric metric = Canvas.GetTextMetrics();
    Canvas.SetFont(previous);
    FCellHeight = CellHeightFor(FHeight, metric);
  }
  platform::TFont font;
  font.Name = FFaceName;
  font.Height = -FCellHeight;
  font.Escapement = FAngle;
  font.Weight = 0;
  font.Italic = (FStyle & wfItalic) != 0;
  font.Underline = (FStyle & wfUnderline) != 0;
  font.StrikeOut = false;
  font.CharSet = platform::EASTEUROPE_CHARSET;
  FHandle = font;
}

void TWindowsFont::Select(platform::TCanvas& Canvas) {
  if (FSelectCount == 0) {
    Canvas.Lock();
    try {
      Realize(Canvas);
      FOldFont = Canvas.Font();
      platform::TFont font = *FHandle;
      // The text colour belongs to the canvas, not to the font.
      font.Color = Canvas.TextColor();
      Canvas.SetFont(font);
    } catch (...) {
      Canvas.Unlock();
      throw;
    }
  }
  ++FSelectCount;
}

void TWindowsFont::Deselect(platform::TCanvas& Canvas) {
  // Only the last of nested selections gives the canvas back; one without a
  // selection would unlock a lock this holder does not hold.
  if (FSelectCount <= 0) return;
  if (--FSelectCount > 0) return;
  platform::TFont old = FOldFont;
  old.Color = Canvas.TextColor();
  Canvas.SetFont(old);
  Canvas.Unlock();
}

void TWindowsFont::ReleaseHandle() { FHandle.reset(); }
