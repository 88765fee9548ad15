#include "objects/styledcanvas.h"

#include <algorithm>
#include <cmath>

#include "drawing/canvascfg.h"
#include "foundation/errors.h"
#include "objects/linestylelib.h"
#include "objects/symbollib.h"

namespace {

// A symbol smaller than this many pixels is drawn as a dot.
constexpr std::int32_t kSmallSymbolPixels = 4;
// Device segments of a device canvas are clipped this many pixels beyond the
// window: wider than any pen, far inside the 32-bit range.
constexpr double kDeviceMargin = 16384.0;
// A decorated pattern shorter than this many pixels is drawn plainly.
constexpr double kShortPatternPixels = 2.0;

TRealRect Square(const TRealPoint& C, double Half) {
  return TRealRect{C.X - Half, C.Y - Half, C.X + Half, C.Y + Half};
}

}  // namespace

// TNoDefRealCanvas

TNoDefRealCanvas::TNoDefRealCanvas(platform::TCanvas* ACanvas, TWindowDim* Dims,
                                   TNullCanvasCfg* Cfg)
    : TRealCanvas(ACanvas, Dims, Cfg) {
  LineStyleFactor = 1.0;
  CurrentLineStyle = nullptr;
}

std::unique_ptr<TRealCanvas> TNoDefRealCanvas::CreateDeviceCanvas(const TRealPoint& P) {
  return MakeDeviceCanvas(*this, P);
}

double TNoDefRealCanvas::GetSize() const { return AnchoredSize(); }

double TNoDefRealCanvas::GetScaleFactor() const { return AnchoredScaleFactor(ScaleAnchors); }

void TNoDefRealCanvas::SetScaleAnchors(const TScaleAnchors& A) { ScaleAnchors = A; }

void TNoDefRealCanvas::SetStyleSource(const TLine* S) {
  if (S != nullptr) CurrentLineStyle = S;
}

bool TNoDefRealCanvas::UsesSimpleLineStyles() const { return GetKroj() != 2; }

bool TNoDefRealCanvas::DrawnPlainly(const TLine& Style) const {
  return (Style.Flags & kLineNoPenStyle) == 0 && (UsesSimpleLineStyles() || Style.IsPlain());
}

double TNoDefRealCanvas::StyleScale() const {
  double s = LineStyleFactor;
  if ((Cfg()->SkalaFlagi & sfLines) != 0) s *= GetCfgScale();
  return s;
}

const TLineImp& TNoDefRealCanvas::StyleDefinition(const TLine& Style) const {
  return Style.DefinitionFor(Cfg()->Skala);
}

bool TNoDefRealCanvas::PatternTooShort(const TLineImp& Definition, double S) const {
  // Compared unrounded: rounding half to even would take 1.5 pixels to 2
  // and decorate a pattern shorter than two pixels.
  const double pixels = Definition.GetPatternLength() * S * Dims()->ScaleY;
  return !(pixels >= kShortPatternPixels);
}

void TNoDefRealCanvas::SetFallbackPen(const TLine& Style) {
  Pen->SetStyle((Style.Flags & kLineNoPenStyle) != 0 ? std::uint8_t{platform::psDot}
                                                     : Style.PenStyle);
}

void TNoDefRealCanvas::StyledSegment(const TRealPoint& P1, const TRealPoint& P2,
                                     const TLine& Style) {
  if (DrawnPlainly(Style)) {
    Pen->SetStyle(Style.PenStyle);
    Line(P1.X, P1.Y, P2.X, P2.Y);
    return;
  }
  TestAbort();
  const TWindowDim& dims = *Dims();
  TRealPoint a = P1;
  TRealPoint b = P2;
  if (!ClipRealSegment(a, b, TRealRect{dims.X1, dims.Y1, dims.X2, dims.Y2})) return;
  const TPoint d1 = Device(a);
  const TPoint d2 = Device(b);
  if (a == P1 && dims.PointInWindow(P1)) DrawLineEndMark(d1);
  if (b == P2 && dims.PointInWindow(P2)) DrawLineEndMark(d2);
  if (d1 == d2) {
    OnePixel(d1, P1, P2);
    return;
  }
  const double s = StyleScale();
  const TLineImp& definition = StyleDefinition(Style);
  if (PatternTooShort(definition, s)) {
    SetFallbackPen(Style);
    Line(P1.X, P1.Y, P2.X, P2.Y);
    return;
  }
  Pen->SetStyle(platform::psSolid);
  {
    TStateBits noMarks(State, csNoEndMarks);
    if (definition.DrawSegment(*this, P1, P2, s)) return;
  }
  // Too many copies for the length: plainly, as a pattern too short.
  SetFallbackPen(Style);
  Line(P1.X, P1.Y, P2.X, P2.Y);
}

void TNoDefRealCanvas::StyledLine(double X1, double Y1, double X2, double Y2, const TLine* Style) {
  if (Style == nullptr) {
    Pen->SetStyle(platform::psDot);
    Line(X1, Y1, X2, Y2);
    return;
  }
  StyledSegment(TRealPoint{X1, Y1}, TRealPoint{X2, Y2}, *Style);
}

void TNoDefRealCanvas::StyledLineCurrent(double X1, double Y1, double X2, double Y2) {
  if (CurrentLineStyle == nullptr) {
    Line(X1, Y1, X2, Y2);
    return;
  }
  StyledSegment(TRealPoint{X1, Y1}, TRealPoint{X2, Y2}, *CurrentLineStyle);
}

void TNoDefRealCanvas::StyledCircleWith(const TRealPoint& Centre, const TLine& Style, double R) {
  if (!CircleShows(Centre, R)) return;
  const bool centreShown = Dims()->PointInWindow(Centre);
  if (centreShown) DrawLineEndMark(Device(Centre));
  if (DrawnPlainly(Style)) {
    Pen->SetStyle(Style.PenStyle);
    DrawCircle(Centre, R);
    return;
  }
  const double s = StyleScale();
  const TLineImp& definition = StyleDefinition(Style);
  if (PatternTooShort(definition, s)) {
    SetFallbackPen(Style);
    DrawCircle(Centre, R);
    return;
  }
  Pen->SetStyle(platform::psSolid);
  if (centreShown) DrawLineEndMark(Device(Centre));
  {
    TStateBits noMarks(State, csNoEndMarks);
    if (definition.DrawCircle(*this, Centre, R, s)) return;
  }
  SetFallbackPen(Style);
  DrawCircle(Centre, R);
}

void TNoDefRealCanvas::StyledCircle(const TRealPoint& Centre, const TLine* Style, double R) {
  if (Style == nullptr) {
    Pen->SetStyle(platform::psDot);
    DrawCircle(Centre, R);
    return;
  }
  StyledCircleWith(Centre, *Style, R);
}

void TNoDefRealCanvas::StyledCircleCurrent(const TRealPoint& Centre, double R) {
  if (CurrentLineStyle == nullptr) {
    DrawCircle(Centre, R);
    return;
  }
  StyledCircleWith(Centre, *CurrentLineStyle, R);
}

void TNoDefRealCanvas::StyledArcWith(const TRealEnds& Ends, const TRealPoint& Centre,
                                     const TLine& Style, double R) {
  const double r = std::fabs(R);
  if (!CircleShows(Centre, r)) return;
  if (DrawnPlainly(Style)) {
    Pen->SetStyle(Style.PenStyle);
    Arc(Ends, Centre, r);
    return;
  }
  for (const TRealPoint& end : Ends)
    if (Dims()->PointInWindow(end)) DrawLineEndMark(Device(end));
  const double s = StyleScale();
  const TLineImp& definition = StyleDefinition(Style);
  if (PatternTooShort(definition, s)) {
    SetFallbackPen(Style);
    Arc(Ends, Centre, r);
    return;
  }
  Pen->SetStyle(platform::psSolid);
  const TArcAngles angles = ArcAngles(Ends, Centre);
  if (angles.Sweep == 0) return;
  {
    TStateBits noMarks(State, csNoEndMarks);
    if (definition.DrawArc(*this, Centre, r, angles.Start, angles.Sweep, s)) return;
  }
  SetFallbackPen(Style);
  Arc(Ends, Centre, r);
}

void TNoDefRealCanvas::StyledArc(const TRealEnds& Ends, const TRealPoint& Centre,
                                 const TLine* Style, double R) {
  if (Style == nullptr) {
    Pen->SetStyle(platform::psDot);
    Arc(Ends, Centre, std::fabs(R));
    return;
  }
  StyledArcWith(Ends, Centre, *Style, R);
}

void TNoDefRealCanvas::StyledArcCurrent(const TRealEnds& Ends, const TRealPoint& Centre, double R) {
  if (CurrentLineStyle == nullptr) {
    Arc(Ends, Centre, std::fabs(R));
    return;
  }
  StyledArcWith(Ends, Centre, *CurrentLineStyle, R);
}

void TNoDefRealCanvas::ApplyCurrentStylePen() {
  if (CurrentLineStyle == nullptr)
    Pen->SetStyle(platform::psDot);
  else if (DrawnPlainly(*CurrentLineStyle))
    Pen->SetStyle(CurrentLineStyle->PenStyle);
}

void TNoDefRealCanvas::DrawSymbol(TObject* Symbol, const TRealPoint& P, double Angle) {
  auto* symbol = dynamic_cast<TSymbol*>(Symbol);
  if (symbol == nullptr) throw EInternalError("Niedozwolone rzutowanie typu: DrawSymbol");
  const TWindowDim& dims = *Dims();
  const double s = GetSymbolSize(*symbol);
  if (!symbol->IsDeviceSymbol() &&
      dims.WorldLengthToPixels(s * symbol->Extent) < kSmallSymbolPixels) {
    if (dims.PointInWindow(P)) {
      const TPoint d = Device(P);
      Lines->AddLine(d.X, d.Y, d.X + 1, d.Y);
      Lines->AddLine(d.X, d.Y + 1, d.X + 1, d.Y + 1);
      DrawTextOriginMark(P);
    }
    return;
  }
  // The bounds turn and scale with the symbol: test the square that holds
  // them in any direction, in world units. Both kinds are scaled by their
  // size; a device symbol's units are millimetres on the device.
  const TRealRect b = symbol->GetBounds();
  double reach = std::max({std::hypot(b.Left, b.Top), std::hypot(b.Left, b.Bottom),
                           std::hypot(b.Right, b.Top), std::hypot(b.Right, b.Bottom)}) *
                 std::fabs(s);
  if (symbol->IsDeviceSymbol()) {
    const std::array<double, 2> dpm = GetDPM();
    const double scale = dims.GetScale();
    reach = scale > 0 ? reach * std::max(dpm[0], dpm[1]) / scale : 0.0;
  }
  // At least a pixel, so that a flat or point-like symbol is not lost.
  if (dims.GetScale() > 0) reach = std::max(reach, 1.0 / dims.GetScale());
  if (!dims.RectVisible(Square(P, reach))) return;
  double angle = Angle;
  if (GetDrawOption(doUpright)) angle = dims.Rotated() ? -dims.Angle() : 0.0;
  const double sn = std::sin(angle);
  const double cs = std::cos(angle);
  const TAffineMatrix m{s * cs, -s * sn, P.X, s * sn, s * cs, P.Y, s};
  {
    TStateBits symbolBits(State, csNoEndMarks | csDrawingSymbol);
    symbol->DrawTransformed(*this, m);
  }
  DrawTextOriginMark(P);
}

// TDefRealCanvas

TDefRealCanvas::TDefRealCanvas(platform::TCanvas* ACanvas, TKonfiguracja& Konfiguracja,
                               TWindowDim* Dims)
    : TNoDefRealCanvas(ACanvas, Dims, Konfiguracja.GetGroup(std::make_unique<TCanvasCfg>())) {}

void TDefRealCanvas::SaveCanvasState() {
  SavedCanvasParams = {FontNumber, Size, Flags, Justification};
  SavedLineStyleFactor = LineStyleFactor;
  SavedLineStyle = CurrentLineStyle;
  Pen->SaveState();
  State |= csClean;
}

bool TDefRealCanvas::ParamsAsSaved() const {
  return FontNumber == SavedCanvasParams.FontNumber && Size == SavedCanvasParams.Size &&
         Flags == SavedCanvasParams.Flags && Justification == SavedCanvasParams.Justification &&
         LineStyleFactor == SavedLineStyleFactor && CurrentLineStyle == SavedLineStyle;
}

void TDefRealCanvas::PutSavedParamsBack() {
  FontNumber = SavedCanvasParams.FontNumber;
  Size = SavedCanvasParams.Size;
  Flags = SavedCanvasParams.Flags;
  Justification = SavedCanvasParams.Justification;
  LineStyleFactor = SavedLineStyleFactor;
  CurrentLineStyle = SavedLineStyle;
}

void TDefRealCanvas::RestoreCanvasState() {
  if ((State & csClean) != 0) {
    // The justification and the font number change without clearing the
    // clean bit; they come back here too, still without touching the pen.
    if (!ParamsAsSaved()) PutSavedParamsBack();
    return;
  }
  PutSavedParamsBack();
  Pen->RestoreState();
  State |= csClean;
}

void TDefRealCanvas::SetStyleSource(const TLine* S) {
  if (S == nullptr) {
    CurrentLineStyle = SavedLineStyle;
    return;
  }
  if (S == CurrentLineStyle) return;
  CurrentLineStyle = S;
  State &= static_cast<std::uint16_t>(~csClean);
}

std::unique_ptr<TDrawParams> TDefRealCanvas::CreateDrawParams() {
  std::unique_ptr<TDrawParams> params = TNoDefRealCanvas::CreateDrawParams();
  params->ScaleAnchors = ScaleAnchors;
  return params;
}

void TDefRealCanvas::AddCfgHandler(const TConfNotify& Changed, const TConfNotify& Changing) {
  Cfg()->AddChangeHandler(Changed, Changing);
}

void TDefRealCanvas::RemoveCfgHandler(const TConfNotify& Changed) {
  Cfg()->RemoveChangeHandler(Changed);
}

// TXORCanvas

TXORCanvas::TXORCanvas(platform::TCanvas* ACanvas, TKonfiguracja& Konfiguracja, TWindowDim* Dims)
    : TDefRealCanvas(ACanvas, Konfiguracja, Dims) {
  if (Canvas != nullptr) ApplyPen();
}

void TXORCanvas::ApplyPen() {
  TDefRealCanvas::ApplyPen();
  platform::TCanvasLock lock(*Canvas);
  platform::TPen pen = Canvas->Pen();
  pen.Mode = platform::pmNot;
  Canvas->SetPen(pen);
}

// TDPIRealCanvas

TDPIRealCanvas::TDPIRealCanvas(TRealCanvas& Source, const TPoint& Origin, double ScaleX,
                               double ScaleY)
    : TRealCanvas(Source.Canvas, nullptr, Source.Cfg()),
      SourceCanvas(Source),
      ownDims_(std::make_unique<TDPIWindowDim>(*Source.Dims(), ScaleX, ScaleY, Origin)) {
  SetDims(ownDims_.get());
  FontNumber = Source.FontNumber;
  Size = Source.Size;
  Flags = Source.Flags;
  Justification = Source.Justification;
  State = csThickEmulation;
  // The pen's change handler flushes the source's buffer, so everything
  // drawn lands there in order.
  ShareBufferAndPen(Source);
}

void TDPIRealCanvas::Line(double X1, double Y1, double X2, double Y2) {
  TRealPoint a{X1, Y1};
  TRealPoint b{X2, Y2};
  if (!std::isfinite(a.X) || !std::isfinite(a.Y) || !std::isfinite(b.X) || !std::isfinite(b.Y))
    return;
  // Clipped in world units to the window with a wide margin, so that no
  // device coordinate of a far-away element (or of a symbol anchored far
  // off) overflows, while every pixel that can show stays as it was.
  const TDPIWindowDim& dims = *ownDims_;
  if (!(dims.ScaleX > 0.0 && dims.ScaleY > 0.0)) return;
  const double margin = kDeviceMargin;
  const TRealRect reach{(static_cast<double>(dims.OriginY) - dims.Height - margin) / dims.ScaleX,
                        (-margin - dims.OriginX) / dims.ScaleY,
                        (static_cast<double>(dims.OriginY) + margin) / dims.ScaleX,
                        (static_cast<double>(dims.Width) + margin - dims.OriginX) / dims.ScaleY};
  if (!ClipRealSegment(a, b, reach)) return;
  const TPoint d1 = dims.WorldToDevicePt(a);
  const TPoint d2 = dims.WorldToDevicePt(b);
  if (d1 == d2) {
    const TPoint s = PixelStep(a, b);
    Lines->AddSegment(TPoint{d1.X, d1.Y + s.Y}, TPoint{d1.X + s.X, d1.Y});
    return;
  }
  // The source's step, so that its emulation bit and pen width apply.
  ThickSegmentOn(SourceCanvas, d1, d2);
}

std::unique_ptr<TDPIRealCanvas> MakeDeviceCanvas(TRealCanvas& Canvas, const TRealPoint& P) {
  const TPoint origin = Canvas.Dims()->WorldToDevicePt(P);
  const std::array<double, 2> dpm = Canvas.GetDPM();
  return std::make_unique<TDPIRealCanvas>(Canvas, origin, dpm[0], dpm[1]);
}
