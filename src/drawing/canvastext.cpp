#include "drawing/canvastext.h"

#include <cmath>
#include <numbers>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "foundation/geometry/rounding.h"
#include "platform/files/codepage.h"

namespace {

// Fixed-point one of the device transformation.
constexpr double kFixed = 256.0;
// The height of raster text: 8 pixels for one line height.
constexpr std::int32_t kRasterScale = 2048;

std::int32_t RoundFixed(double V) { return SaturateInt32(Round(V)); }

// Appends strokes to the canvas buffer; strokes larger than the whole buffer
// go segment by segment, so the buffer drains as often as it fills.
void AppendStrokes(TListaWektorow& Lines, const TVectorList& Strokes) {
  if (Strokes.PointCount() <= Lines.PointCapacity() &&
      Strokes.PartCount() <= Lines.PartCapacity()) {
    Lines.Append(Strokes);
    return;
  }
  std::int32_t first = 0;
  for (std::int32_t part = 0; part < Strokes.PartCount(); ++part) {
    const std::int32_t n = Strokes.Part(part);
    for (std::int32_t k = first + 1; k < first + n; ++k)
      Lines.AddSegment(Strokes.Point(k - 1), Strokes.Point(k));
    first += n;
  }
}

// Whether a text whose strokes span Extent font units can show at Origin.
// Raster text shows when Origin is in the window; stroke text when its box,
// at the canvas's size, can reach the window and is not taller than it.
// Pixels gets the stroke text's device width and height.
bool TextShows(const TSimpleRealCanvas& C, bool Raster, const TRealPoint& Origin, TPoint Extent,
               TPoint& Pixels) {
  const TWindowDim& dims = *C.Dims();
  if (Raster) return dims.PointInWindow(Origin);
  const double k = C.Size / C.GetStrokeFont().GetHeight() * C.GetScaleFactor();
  const double sw = Extent.X * k;
  const double sh = Extent.Y * k;
  if (!(Origin.X + sw > dims.X1 && Origin.X - sw < dims.X2 && Origin.Y + sw > dims.Y1 &&
        Origin.Y - sw < dims.Y2 && dims.Y2 - dims.Y1 >= sh))
    return false;
  Pixels = dims.WorldDeltaToDevice(TRealPoint{sw, sh});
  return true;
}

// A bar as long as a text too small to read, in the text's box.
std::unique_ptr<TVectorChar> TextBar(TPoint Extent) {
  auto strokes = std::make_unique<TVectorChar>(2, 2, 0);
  strokes->AddLine(0, 0, Extent.X, 0);
  strokes->Width = Extent.X;
  strokes->Height = Extent.Y;
  strokes->LineHeight = Extent.Y;
  strokes->WidthFactor = 1.0;
  return strokes;
}

// How a text or fraction is drawn by its device width: Build's strokes when
// raster or wider than Legible pixels; one dot when no more than Dot pixels
// both ways (or of no height); else a bar as long as the text.
struct TTextSizes {
  std::int32_t Legible;
  std::int32_t Dot;
};
constexpr TTextSizes kTextSizes{5, 3};
constexpr TTextSizes kFractionSizes{3, 2};

// Draws a text whose strokes span Extent font units at Origin (TextShows,
// TTextSizes); Build makes its strokes.
template <class TBuild>
void DrawSizedText(TSimpleRealCanvas& C, bool Raster, TPoint Extent, TTextSizes Sizes,
                   const TBuild& Build, std::uint8_t Mode, const TRealPoint& Origin, float Angle,
                   const TRealPoint& ConnectTo) {
  TPoint pixels;
  if (!TextShows(C, Raster, Origin, Extent, pixels)) return;
  C.DrawTextOriginMark(Origin);
  std::unique_ptr<TVectorChar> strokes;
  if (Raster || pixels.X > Sizes.Legible) {
    strokes = Build();
  } else if ((pixels.X <= Sizes.Dot && pixels.Y <= Sizes.Dot) || Extent.Y <= 0) {
    const TPoint d = C.Dims()->WorldToDevicePt(Origin);
    C.Lines->AddLine(d.X, d.Y, d.X + 1, d.Y);
    return;
  } else {
    strokes = TextBar(Extent);
  }
  C.DrawVectorString(std::move(strokes), Mode, Origin, Angle, ConnectTo);
}

}  // namespace

std::uint32_t JustificationTextAlign(int J) {
  const TJustificationSteps steps = JustificationSteps(J);
  const std::uint32_t vertical = steps.V == 0 ? platform::TA_TOP : platform::TA_BASELINE;
  const std::uint32_t horizontal = steps.H == 0   ? platform::TA_LEFT
                                   : steps.H == 1 ? platform::TA_CENTER
                                                  : platform::TA_RIGHT;
  return vertical | horizontal;
}

TFixedMatrix TSimpleRealCanvas::GetTextDeviceTransform(const TVectorChar& Strokes,
                                                       const TRealPoint& Origin, float Angle) {
  const TJustificationSteps steps = JustificationSteps(Justification);
  const std::int32_t W = Strokes.Width;
  const std::int32_t H = Strokes.Height;
  const std::int32_t L = Strokes.LineHeight > 0 ? Strokes.LineHeight : 1;
  const double A = Strokes.WidthFactor;
  const std::int64_t hI = static_cast<std::int64_t>(steps.H) * W;
  const std::int64_t vI = static_cast<std::int64_t>(steps.V) * H;
  const TPoint D = Device(Origin);
  TFixedMatrix m;

  if (GetKroj() == 0) {
    m.A = kRasterScale / L;
    m.B = 0;
    m.C = SaturateInt32(-hI * 1024 / L + static_cast<std::int64_t>(D.X) * 256);
    m.D = 0;
    m.E = kRasterScale / L;
    m.F = SaturateInt32(-vI * 1024 / L + static_cast<std::int64_t>(D.Y) * 256);
    return m;
  }

  const TWindowDim& dims = *Dims();
  const double s = GetScaleFactor() * Size * kFixed;
  const double px = static_cast<double>(Round(s * dims.ScaleY));
  const double py = static_cast<double>(Round(s * dims.ScaleX));
  const double kx = px / L / kFixed;
  const double ky = py / L / kFixed;

  double sn = 0.0;
  double cs = 1.0;
  if ((Options & (1u << doUpright)) == 0) {
    float angle = Angle;
    if (dims.Rotated()) angle += static_cast<float>(dims.Angle());
    sn = std::sin(angle);
    cs = std::cos(angle);
  }

  const bool italic = (Flags & dfItalic) != 0;
  double hA = static_cast<double>(hI) * A;
  if (italic && steps.H == 0) hA -= H * kItalicSlant * 2;

  m.A = RoundFixed(A * kx * cs * kFixed);
  m.D = RoundFixed(A * ky * sn * kFixed);
  m.C = RoundFixed(((vI * sn - cs * hA) * kx * 0.5 + D.X) * kFixed);
  m.F = RoundFixed((D.Y - (sn * hA + vI * cs) * ky * 0.5) * kFixed);
  if (italic) {
    m.B = RoundFixed(-(kItalicSlant * cs + sn) * kx * kFixed);
    m.E = RoundFixed((cs - kItalicSlant * sn) * ky * kFixed);
  } else {
    m.B = RoundFixed(-kx * sn * kFixed);
    m.E = RoundFixed(cs * ky * kFixed);
  }
  return m;
}

void TSimpleRealCanvas::DrawVectorString(std::unique_ptr<TVectorChar> Strokes, std::uint8_t Mode,
                                         const TRealPoint& Origin, float Angle,
                                         const TRealPoint& ConnectTo) {
  TestAbort();
  if ((Flags & dfUnderline) != 0) Strokes->AddRuleLine((Flags & dfOverline) != 0);
  const std::int32_t width = Pen->Width();
  if ((Flags & dfTextPen) != 0) TextPenHook();
  const TFixedMatrix m = GetTextDeviceTransform(*Strokes, Origin, Angle);
  Strokes->TransformFixed(m);
  AppendStrokes(*Lines, *Strokes);
  if (Mode == lmNone) return;

  if ((Flags & dfTextPen) != 0) Pen->SetWidth(width);
  const std::array<std::int32_t, 2> anchor = GetTextAnchorOffsets(*Strokes, Mode);
  const std::int64_t x0 = anchor[0];
  const std::int64_t y0 = anchor[1];
  const TPoint q{SaturateInt32((m.A * x0 + m.B * y0 + m.C) / 256),
                 SaturateInt32((m.D * x0 + m.E * y0 + m.F) / 256)};
  if (Dims()->PointInWindow(ConnectTo)) {
    Lines->AddSegment(q, Device(ConnectTo));
    return;
  }
  const TRealPoint from = Dims()->DeviceToWorldPt(q);
  TStateBits noMarks(State, csNoEndMarks);
  Line(from.X, from.Y, ConnectTo.X, ConnectTo.Y);
}

void TSimpleRealCanvas::VectorTextOut(std::string_view Text, std::uint8_t Mode,
                                      const TRealPoint& Origin, float Angle,
                                      const TRealPoint& ConnectTo) {
  TestAbort();
  if (Text.empty()) return;
  const bool raster = GetKroj() == 0;
  const TPoint extent = raster ? TPoint{} : GetStrokeFont().TextExtent(Text);
  DrawSizedText(
      *this, raster, extent, kTextSizes, [&] { return BuildText(Text); }, Mode, Origin, Angle,
      ConnectTo);
}

void TSimpleRealCanvas::VectorFractionOut(const TRealPoint& Origin, std::string_view Upper,
                                          std::string_view Lower, float Angle, std::uint8_t Mode,
                                          const TRealPoint& ConnectTo) {
  if (Upper.empty() && Lower.empty()) return;
  const bool raster = GetKroj() == 0;
  const TPoint extent = raster ? TPoint{} : GetStrokeFont().FractionExtent(Upper, Lower);
  DrawSizedText(
      *this, raster, extent, kFractionSizes, [&] { return BuildFraction(Upper, Lower); }, Mode,
      Origin, Angle, ConnectTo);
}

void TSimpleRealCanvas::VectorTextOutSimple(std::string_view Text, const TRealPoint& Origin,
                                            float Angle) {
  VectorTextOut(Text, lmNone, Origin, Angle, TRealPoint{0, 0});
}

void TSimpleRealCanvas::WinTextOut(std::string_view Text, std::uint32_t Color,
                                   const TRealPoint& P) {
  TestAbort();
  if (Text.empty() || !Dims()->PointInWindow(P)) return;
  const TPoint d = Device(P);
  platform::TCanvasLock lock(*Canvas);
  platform::TFont font = Canvas->Font();
  font.Height = 10;
  font.Color = Color & 0x00FFFFFF;
  Canvas->SetFont(font);
  Canvas->TextOut(d.X, d.Y, Text);
}

void TSimpleRealCanvas::WinTextOutRotated(const TRealPoint& Origin, std::string_view Text,
                                          float Angle, const std::string& FaceName) {
  TestAbort();
  if (Text.empty()) return;
  const TWindowDim& dims = *Dims();
  const double height = GetScaleFactor() * Size;
  const std::int32_t hp = dims.WorldLengthToPixels(height);
  if (hp < 3) {
    if (dims.PointInWindow(Origin)) {
      const TPoint d = Device(Origin);
      Lines->AddLine(d.X, d.Y, d.X + 1, d.Y);
    }
    return;
  }
  const double half = height * static_cast<double>(platform::Cp1250Length(Text));
  if (!dims.RectVisible(TRealRect{Origin.X - half, Origin.Y - half, Origin.X + half,
                                  Origin.Y + half}))
    return;
  if (!WinFont) WinFont = std::make_unique<TWindowsFont>();

  double angle = 0.0;
  double sn = 0.0;
  double cs = 1.0;
  if ((Options & (1u << doUpright)) == 0) {
    float a = Angle;
    if (dims.Rotated()) a += static_cast<float>(dims.Angle());
    angle = a;
    sn = std::sin(angle);
    cs = std::cos(angle);
  }
  WinFont->SetItalic((Flags & dfItalic) != 0);
  WinFont->SetUnderline((Flags & dfUnderline) != 0);
  WinFont->SetHeight(hp);
  WinFont->SetAngle(RoundFixed(-(angle * 1800.0 / std::numbers::pi)));
  WinFont->SetFaceName(FaceName);

  const TPoint d = Device(Origin);
  WinFont->Select(*Canvas);
  try {
    Canvas->SetTextColor(Pen->Color() & 0x00FFFFFF);
    Canvas->SetTextAlign(JustificationTextAlign(Justification));
    const platform::TTextMetric tm = Canvas->GetTextMetrics();
    const TJustificationSteps steps = JustificationSteps(Justification);
    std::int32_t off = 0;
    if (steps.V == 1)
      off = (tm.tmAscent - tm.tmInternalLeading) / 2;
    else if (steps.V == 0)
      off = -(tm.tmInternalLeading + tm.tmExternalLeading);
    Canvas->TextOut(d.X + RoundFixed(-sn * off), d.Y + RoundFixed(off * cs), Text);
  } catch (...) {
    WinFont->Deselect(*Canvas);
    throw;
  }
  WinFont->Deselect(*Canvas);
}
