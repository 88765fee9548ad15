#include "view/ruler.h"

#include <charconv>
#include <cmath>

#include "foundation/geometry/rounding.h"
#include "platform/paint/gdiimage.h"

namespace {

// The label's width assumed while the control has no parent to measure on.
constexpr std::int32_t kUnmeasuredWidth = 20;
// Room left for the bar when the label leaves none.
constexpr int kFallbackRoom = 20;
// Pixels kept free at the ends of the lines and between bar and label.
constexpr int kMargin = 3;

// Metres with two decimals and "m", with a decimal point whatever the locale.
std::string MetresText(double Metres) {
  char text[400];
  const auto end = std::to_chars(text, text + sizeof text, Metres, std::chars_format::fixed, 2);
  if (end.ec != std::errc()) return "m";
  return std::string(text, end.ptr) + "m";
}

// 10 to the power of the integral part of log10 (Value); Value > 0, finite.
double PowerOfTen(double Value) { return std::pow(10.0, std::floor(std::log10(Value))); }

bool UsableLength(double Value) { return std::isfinite(Value) && Value > 0.0; }

}  // namespace

TRuler::TRuler() {
  SetTabStop(false);
  FSurfaceCanvas = std::make_unique<platform::TSurfaceCanvas>(Surface());
  SetBounds(Left(), Top(), 100, 25);
  SetSkala(1.0);
}

TRuler::~TRuler() = default;

void TRuler::SetSkala(double Value) {
  if (Value == FSkala || !UsableLength(Value)) return;
  FSkala = Value;
  Recalc();
}

void TRuler::SetColor(std::uint32_t Value) {
  if (Value == FColor) return;
  FColor = Value;
  Invalidate();
}

void TRuler::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Invalidate();
}

void TRuler::SetFont(const platform::TFont& Value) {
  if (Value == FFont) return;
  FFont = Value;
  Invalidate();
  Recalc();
}

void TRuler::SetBounds(int left, int top, int width, int height) {
  platform::TCustomControl::SetBounds(left, top, width, height);
  Recalc();
}

std::int32_t TRuler::MeasureText(const std::string& Text) {
  if (Parent() == nullptr) return kUnmeasuredWidth;
  platform::TCanvas& canvas = FSurfaceCanvas->Canvas();
  canvas.SetFont(FFont);
  return canvas.TextExtent(Text).X;
}

void TRuler::Recalc() {
  if (Width() <= 0 || Height() <= 0 || FSkala == 0.0) return;
  const int available = FPionowo ? Height() : Width();
  // The length across the control, cut to its leading digit, gives the
  // widest label the bar may need.
  const double across = available / FSkala;
  if (!UsableLength(across)) return;
  const double power = PowerOfTen(across);
  if (!UsableLength(power)) return;
  const std::int32_t firstWidth = MeasureText(MetresText(std::trunc(across / power) * power));

  // A label that fills the control exactly leaves no room either.
  int room = available - firstWidth - 2 * kMargin;
  if (room <= 0) room = kFallbackRoom;
  const double metres = room / FSkala;
  if (!UsableLength(metres)) return;
  const double power2 = PowerOfTen(metres);
  if (!UsableLength(power2)) return;
  const double leading = metres / power2;
  double bar;
  if (leading >= 5.0) {
    bar = 5.0 * power2;
    FMode = TBarMode::Five;
  } else if (leading >= 2.0) {
    bar = 2.0 * power2;
    FMode = TBarMode::Two;
  } else {
    bar = power2;
    FMode = TBarMode::One;
  }
  FLabel = MetresText(bar);
  FLabelWidth = MeasureText(FLabel);
  FBarLength = static_cast<std::int32_t>(Round(static_cast<long double>(bar) * FSkala));
  Invalidate();
}

void TRuler::Paint() {
  if (!FVisible) return;
  platform::TCanvas& canvas = FSurfaceCanvas->Canvas();
  const int width = Width();
  const int height = Height();
  const int bottom = height - kMargin;
  const int x0 = (width - FLabelWidth - FBarLength - 3 * kMargin) / 2;
  const int x1 = x0 + FBarLength;

  platform::TPen pen;
  pen.Color = FColor;
  canvas.SetPen(pen);
  canvas.MoveTo(x0, bottom);
  canvas.LineTo(x1, bottom);
  canvas.LineTo(x1, kMargin);

  // Tick positions in 1/256 pixel, so that the intervals share the bar's
  // length evenly; each is cut towards zero to a pixel.
  const int intervals = FMode == TBarMode::Five ? 10 : 20;
  const std::int64_t step = static_cast<std::int64_t>(FBarLength) * 256 / intervals;
  const int shortTop = (height - 2 * kMargin) / 2 + kMargin;
  for (int i = 0; i < intervals; ++i) {
    bool isLong;
    switch (FMode) {
      case TBarMode::Two: isLong = i == 0 || i == 10; break;
      default: isLong = i % 2 == 0; break;
    }
    const int x = static_cast<int>((static_cast<std::int64_t>(x0) * 256 + i * step) / 256);
    canvas.MoveTo(x, isLong ? kMargin : shortTop);
    canvas.LineTo(x, bottom);
  }

  platform::TFont font = FFont;
  font.Color = FColor;
  canvas.SetFont(font);
  canvas.SetBkMode(platform::TBkMode::Transparent);
  canvas.SetTextAlign(platform::TA_LEFT | platform::TA_BASELINE);
  canvas.TextOut(x1 + kMargin, bottom, FLabel);
  FSurfaceCanvas->Update();
}
