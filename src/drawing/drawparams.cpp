#include "drawing/drawparams.h"

#include <cmath>
#include <typeinfo>

#include "drawing/strokefont.h"

namespace {

// Raster texts are 8 pixels high.
constexpr std::int32_t kRasterTextPixels = 8;
constexpr int kOptionBits = 8;

constexpr std::uint8_t kAnchorModeLeft = 2;
constexpr std::uint8_t kAnchorModeRight = 3;

bool IsPlainNullCfg(const TNullCanvasCfg* Cfg) {
  return Cfg == nullptr || typeid(*Cfg) == typeid(TNullCanvasCfg);
}

}  // namespace

TJustificationSteps JustificationSteps(int J) {
  if (J < 1 || J > 9) J = 7;
  return {(J - 1) % 3, 2 - (J - 1) / 3};
}

TDrawParamsImp::TDrawParamsImp(TNullCanvasCfg* Cfg, TWindowDim* Dims) : FDims(Dims) {
  TakeCfg(Cfg);
}

TDrawParamsImp::TDrawParamsImp(const TDrawParamsImp& Source)
    : TSimpleInterfacedObject(Source),
      FontNumber(Source.FontNumber),
      Size(Source.Size),
      Flags(Source.Flags),
      Justification(Source.Justification),
      Options(Source.Options),
      FDims(Source.FDims) {
  TakeCfg(Source.FCfg);
}

TDrawParamsImp::~TDrawParamsImp() = default;

void TDrawParamsImp::TakeCfg(TNullCanvasCfg* Cfg) {
  if (IsPlainNullCfg(Cfg)) {
    // A group without storage is never shared: each set of parameters frees
    // its own, so freeing one set cannot pull it from under another.
    FOwnCfg = Cfg != nullptr ? std::make_unique<TNullCanvasCfg>(*Cfg)
                             : std::make_unique<TNullCanvasCfg>();
    FCfg = FOwnCfg.get();
  } else {
    FCfg = Cfg;
  }
}

void TDrawParamsImp::Assign(const TDrawParamsImp& Source) {
  if (&Source == this) return;
  std::unique_ptr<TNullCanvasCfg> old = std::move(FOwnCfg);
  TakeCfg(Source.FCfg);
  FDims = Source.FDims;
  FontNumber = Source.FontNumber;
  Size = Source.Size;
  Flags = Source.Flags;
  Justification = Source.Justification;
  Options = Source.Options;
}

std::uint8_t TDrawParamsImp::GetKroj() const { return FCfg->Kroj; }

double TDrawParamsImp::GetSize() const { return Size; }

void TDrawParamsImp::SetUnderline(bool B) {
  Flags = B ? (Flags | dfUnderline) : (Flags & ~dfUnderline);
}

void TDrawParamsImp::SetItalic(bool B) { Flags = B ? (Flags | dfItalic) : (Flags & ~dfItalic); }

TStrokeFontUse TDrawParamsImp::GetStrokeFont() const {
  return TStrokeFontUse(FontManager(), TStrokeFontChoice{FontNumber, GetKroj() == 2});
}

double TDrawParamsImp::GetScaleFactor() const { return 1.0; }

void TDrawParamsImp::SetOverline(bool B) {
  Flags = B ? (Flags | dfOverline) : (Flags & ~dfOverline);
}

double TDrawParamsImp::GetCfgScale() const { return FCfg->GetScale(); }

std::array<double, 2> TDrawParamsImp::GetDPM() const { return {FCfg->DpmX, FCfg->DpmY}; }

void TDrawParamsImp::SaveState() {}

void TDrawParamsImp::RestoreState() {}

bool TDrawParamsImp::PassesThreshold(float T) const {
  if (!FCfg->DynamicDisplay || T == 0.0f || FDims == nullptr) return true;
  return FDims->GetScale() > T;
}

bool TDrawParamsImp::IsPrinting() const { return false; }

void TDrawParamsImp::SetSize(double S) {
  if (!GetDrawOption(doSizeLocked)) Size = S;
}

void TDrawParamsImp::SetJustification(std::uint8_t J) {
  if (J != Justification && !GetDrawOption(doJustificationLocked)) Justification = J;
}

void TDrawParamsImp::SetDrawOption(int N, bool On) {
  if (N < 0 || N >= kOptionBits) return;
  if (N == doClearAll) {
    if (!On) Options = 0;
    return;
  }
  const auto bit = static_cast<std::uint8_t>(1u << N);
  Options = On ? (Options | bit) : (Options & ~bit);
}

bool TDrawParamsImp::GetDrawOption(int N) const {
  if (N < 0 || N >= kOptionBits) return false;
  return (Options >> N & 1) != 0;
}

void TDrawParamsImp::SetTextPen(bool B) {
  Flags = B ? (Flags | dfTextPen) : (Flags & ~dfTextPen);
}

// Parameters without a view (a search the view gave none) see the map unturned.
double TDrawParamsImp::GetViewAngle() const {
  return FDims != nullptr && FDims->Rotated() ? FDims->Angle() : 0.0;
}

bool TDrawParamsImp::GetMarkTextOrigin() const { return FCfg->MarkTextOrigin; }

double TDrawParamsImp::GetSymbolSize(const ISymbolScaleSize& Symbol) const {
  if ((FCfg->SkalaFlagi & sfSymbols) != 0) return Symbol.SizeForScale(FCfg->Skala);
  return Size;
}

std::unique_ptr<TVectorChar> TDrawParamsImp::BuildText(std::string_view Text) const {
  return GetStrokeFont().BuildText(Text);
}

std::unique_ptr<TVectorChar> TDrawParamsImp::BuildFraction(std::string_view Upper,
                                                           std::string_view Lower) const {
  return GetStrokeFont().BuildFraction(Upper, Lower);
}

std::unique_ptr<TVectorChar> TDrawParamsImp::BuildTextRuled(std::string_view Text) const {
  auto strokes = BuildText(Text);
  if ((Flags & dfUnderline) != 0) strokes->AddRuleLine((Flags & dfOverline) != 0);
  return strokes;
}

std::unique_ptr<TVectorChar> TDrawParamsImp::BuildFractionRuled(std::string_view Upper,
                                                                std::string_view Lower) const {
  auto strokes = BuildFraction(Upper, Lower);
  if ((Flags & dfUnderline) != 0) strokes->AddRuleLine((Flags & dfOverline) != 0);
  return strokes;
}

std::unique_ptr<TVectorChar> TDrawParamsImp::MeasureText(std::string_view Text) const {
  return GetStrokeFont().MeasureText(Text);
}

std::unique_ptr<TVectorChar> TDrawParamsImp::MeasureFraction(std::string_view Upper,
                                                             std::string_view Lower) const {
  return GetStrokeFont().MeasureFraction(Upper, Lower);
}

TRealPoint TDrawParamsImp::TextSize(std::string_view Text) const {
  const auto measure = MeasureText(Text);
  const double k = Size / GetStrokeFont().GetHeight() * GetScaleFactor();
  return {measure->Height * k, measure->Width * k * measure->WidthFactor};
}

std::array<std::int32_t, 2> TDrawParamsImp::GetTextAnchorOffsets(const TVectorChar& Strokes,
                                                                 std::uint8_t Mode) const {
  const bool right = Mode == kAnchorModeRight ||
                     (Mode != kAnchorModeLeft && JustificationSteps(Justification).H == 2);
  return {right ? Strokes.Width : 0,
          (Flags & dfOverline) != 0 ? Strokes.TopOffset : Strokes.BaseOffset};
}

double TDrawParamsImp::RasterTextSize() const {
  return FDims->DeviceToWorldSize({kRasterTextPixels, kRasterTextPixels}).X;
}

double TDrawParamsImp::AnchoredSize() const {
  if (GetKroj() == 0) return RasterTextSize();
  return Size * GetScaleFactor();
}

double TDrawParamsImp::AnchoredScaleFactor(const TScaleAnchors& Anchors) const {
  if ((FCfg->SkalaFlagi & sfTexts) == 0) return 1.0;
  return InterpolateByCodeRange(Anchors, FCfg->Skala);
}

TSimpleDrawParams::TSimpleDrawParams(TNullCanvasCfg* Cfg, TWindowDim* Dims)
    : TDrawParamsImp(Cfg, Dims) {}

TSimpleDrawParams::TSimpleDrawParams(const TDrawParamsImp& Source) : TDrawParamsImp(Source) {
  if (const auto* simple = dynamic_cast<const TSimpleDrawParams*>(&Source)) {
    ScaleAnchors = simple->ScaleAnchors;
    SavedParams = simple->SavedParams;
    SavedAnchors = simple->SavedAnchors;
  }
}

TSimpleDrawParams::TSimpleDrawParams(const TSimpleDrawParams& Source)
    : TSimpleDrawParams(static_cast<const TDrawParamsImp&>(Source)) {}

double TSimpleDrawParams::GetSize() const { return AnchoredSize(); }

double TSimpleDrawParams::GetScaleFactor() const { return AnchoredScaleFactor(ScaleAnchors); }

void TSimpleDrawParams::SaveState() {
  SavedParams = {FontNumber, Size, Flags, Justification, Options};
  SavedAnchors = ScaleAnchors;
}

void TSimpleDrawParams::RestoreState() {
  FontNumber = SavedParams.FontNumber;
  Size = SavedParams.Size;
  Flags = SavedParams.Flags;
  Justification = SavedParams.Justification;
  Options = SavedParams.Options;
  ScaleAnchors = SavedAnchors;
}

TAffineMatrix TSimpleDrawParams::GetTextTransform(const TVectorChar& Strokes,
                                                  const TRealPoint& Origin, float Angle) const {
  return TextTransform(Strokes, Origin, Angle, 0.0);
}

TAffineMatrix TSimpleDrawParams::TextTransform(const TVectorChar& Strokes,
                                               const TRealPoint& Origin, float Angle,
                                               double UprightAngle) const {
  const double W = Strokes.Width;
  const double H = Strokes.Height;
  const double L = Strokes.LineHeight;
  const double A = Strokes.WidthFactor;
  const TJustificationSteps steps = JustificationSteps(Justification);
  double hoff = steps.H * A * W;
  const double voff = -steps.V * H;
  const bool upright = GetDrawOption(doUpright);

  TAffineMatrix M;
  if (GetKroj() == 0) {
    const double s = RasterTextSize();
    const double k = s / L;
    const double angle = upright ? UprightAngle : 0.0;
    const double sn = std::sin(angle);
    const double cs = std::cos(angle);
    M.a = cs * k;
    M.b = -sn * k;
    M.c = (sn * hoff - cs * voff) * k * 0.5 + Origin.X;
    M.d = sn * k;
    M.e = cs * k;
    M.f = Origin.Y - (cs * hoff + sn * voff) * k * 0.5;
    M.s = k;
    return M;
  }

  const double k = GetScaleFactor() * Size / L;
  const double angle = upright ? UprightAngle : static_cast<double>(Angle);
  const double sn = std::sin(angle);
  const double cs = std::cos(angle);
  if ((Flags & dfItalic) != 0) {
    if (steps.H == 0) hoff -= H * kItalicSlant * 2;
    M.a = (cs - kItalicSlant * sn) * k;
    M.d = (kItalicSlant * cs + sn) * k;
  } else {
    M.a = k * cs;
    M.d = k * sn;
  }
  M.b = -A * k * sn;
  M.e = k * A * cs;
  M.c = (sn * hoff - cs * voff) * k * 0.5 + Origin.X;
  M.f = Origin.Y - (sn * voff + cs * hoff) * k * 0.5;
  M.s = k;
  return M;
}

TAffineMatrix TSkrDrawParams::GetTextTransform(const TVectorChar& Strokes,
                                               const TRealPoint& Origin, float Angle) const {
  // Only an upright text reads the view's angle (Dims may be absent).
  const double upright = GetDrawOption(doUpright) ? -GetViewAngle() : 0.0;
  return TextTransform(Strokes, Origin, Angle, upright);
}

double TDXFDrawParams::GetScaleFactor() const {
  return InterpolateByCodeRange(ScaleAnchors, ScaleCode);
}

double TDXFDrawParams::GetCfgScale() const { return ScaleCode * 0.001; }
