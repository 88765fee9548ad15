#include "drawing/realcanvas.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "foundation/errors.h"
#include "foundation/geometry/polygon.h"

namespace {

constexpr std::int32_t kBufferPoints = 5120;
// Half side of the square inside a circle of radius 1.
constexpr double kInnerSquare = 0.7071;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kMaxArcSegments = 1000;
// Color bits the platform understands; the rest are colour codes.
constexpr std::uint32_t kRgbMask = 0x00FFFFFF;

TRealRect Square(const TRealPoint& C, double Half) {
  return TRealRect{C.X - Half, C.Y - Half, C.X + Half, C.Y + Half};
}

// Filled figures drawn next are hollow. The caller holds the canvas's lock.
void HollowBrush(platform::TCanvas& C) {
  platform::TBrush brush = C.Brush();
  brush.Style = platform::bsClear;
  C.SetBrush(brush);
}

platform::TGdiRect Box(TPoint A, TPoint B) {
  return platform::TGdiRect{std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X),
                            std::max(A.Y, B.Y)};
}

}  // namespace

double Azimuth(double DX, double DY) {
  double a;
  if (DX != 0)
    a = std::atan(DY / DX);
  else
    a = DY > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  if (DX < 0) a += std::numbers::pi;
  if (a < 0) a += kTwoPi;
  return a;
}

TArcAngles ArcAngles(const TRealEnds& Ends, const TRealPoint& Centre) {
  const double start = Azimuth(Ends[1].X - Centre.X, Ends[1].Y - Centre.Y);
  double sweep = Azimuth(Ends[0].X - Centre.X, Ends[0].Y - Centre.Y) - start;
  if (sweep < 0) sweep += kTwoPi;
  return TArcAngles{start, sweep};
}

void TAbortEvent::Set() {
  {
    std::lock_guard guard(lock_);
    set_ = true;
  }
  signalled_.notify_all();
}

void TAbortEvent::Reset() {
  std::lock_guard guard(lock_);
  set_ = false;
}

bool TAbortEvent::IsSet() const {
  std::lock_guard guard(lock_);
  return set_;
}

bool TAbortEvent::Wait(std::uint32_t Milliseconds) const {
  std::unique_lock guard(lock_);
  return signalled_.wait_for(guard, std::chrono::milliseconds(Milliseconds), [this] { return set_; });
}

TSimpleRealCanvas::TSimpleRealCanvas(platform::TCanvas* ACanvas, TWindowDim* Dims,
                                     TNullCanvasCfg* Cfg)
    : TDrawParamsImp(Cfg, Dims), Canvas(ACanvas), AbortEvent(std::make_unique<TAbortEvent>()),
      ownLines_(std::make_unique<TListaWektorow>(ACanvas, kBufferPoints, 0, 0)) {
  Lines = ownLines_.get();
  ReplacePenState(CreatePenState());
  if (Canvas != nullptr) {
    platform::TCanvasLock lock(*Canvas);
    HollowBrush(*Canvas);
  }
}

TSimpleRealCanvas::~TSimpleRealCanvas() = default;

void TSimpleRealCanvas::ReplacePenState(std::unique_ptr<TPenI> NewPen) {
  ownPen_ = std::move(NewPen);
  Pen = ownPen_.get();
  Pen->OnChange = [this](TPenI*) { FlushAndApplyPen(); };
}

void TSimpleRealCanvas::ShareBufferAndPen(TSimpleRealCanvas& Source) {
  Lines = Source.Lines;
  Pen = Source.Pen;
  ownLines_.reset();
  ownPen_.reset();
}

void TSimpleRealCanvas::SetFlag(std::uint8_t Bit, bool B) {
  if (((Flags & Bit) != 0) == B) return;
  Flags ^= Bit;
  State &= static_cast<std::uint16_t>(~csClean);
}

void TSimpleRealCanvas::SetUnderline(bool B) { SetFlag(dfUnderline, B); }
void TSimpleRealCanvas::SetItalic(bool B) { SetFlag(dfItalic, B); }
void TSimpleRealCanvas::SetOverline(bool B) { SetFlag(dfOverline, B); }

void TSimpleRealCanvas::TestAbort() const {
  if (Abort.load(std::memory_order_acquire)) throw EAbortDraw();
}

TPoint TSimpleRealCanvas::PixelStep(const TRealPoint& P1, const TRealPoint& P2) {
  const double dx = P2.X - P1.X;
  const double dy = P2.Y - P1.Y;
  int sx = dx > 0 ? 1 : -1;
  int sy = dy > 0 ? 1 : -1;
  if (std::fabs(dx) > 2 * std::fabs(dy))
    sy = 0;
  else if (std::fabs(dy) > 2 * std::fabs(dx))
    sx = 0;
  return TPoint{sx, sy};
}

TPoint TSimpleRealCanvas::Device(const TRealPoint& P) const { return Dims()->WorldToDevicePt(P); }

// Life and pen.

void TSimpleRealCanvas::SetCanvas(platform::TCanvas* C) {
  if (C == nullptr) return;
  Canvas = C;
  Lines->SetCanvas(C);
  platform::TCanvasLock lock(*Canvas);
  HollowBrush(*Canvas);
}

std::unique_ptr<TPenI> TSimpleRealCanvas::CreatePenState() {
  const platform::TPen pen = Canvas != nullptr ? Canvas->Pen() : platform::TPen{};
  return std::make_unique<TPenI>(pen.Mode, pen.Color, pen.Style, pen.Width,
                                 [this] { return ThickLinesAllowed(); });
}

void TSimpleRealCanvas::SetHighlightColor(int N) { Pen->SetColor(Cfg()->GetHighlightColor(N)); }

void TSimpleRealCanvas::SetSpecialColor() { Pen->SetColor(kSpecialColorBits); }

void TSimpleRealCanvas::ApplyPen() {
  platform::TPen pen = Canvas->Pen();
  pen.Color = Pen->Color() & kRgbMask;
  if ((Pen->Style() == platform::psSolid && Cfg()->WindowsThickLines) || Pen->Width() <= 1) {
    SetThickEmulation(false);
    pen.Width = Pen->Width();
  } else {
    pen.Width = SetThickEmulation(true) ? 1 : Pen->Width();
  }
  pen.Style = static_cast<platform::TPenStyle>(Pen->Style());
  pen.Mode = static_cast<platform::TPenMode>(Pen->Mode());
  platform::TCanvasLock lock(*Canvas);
  Canvas->SetPen(pen);
}

bool TSimpleRealCanvas::SetThickEmulation(bool On) {
  if (On)
    State |= csThickEmulation;
  else
    State &= static_cast<std::uint16_t>(~csThickEmulation);
  return true;
}

void TSimpleRealCanvas::FlushAndApplyPen() {
  Lines->Overflow();
  ApplyPen();
  State &= static_cast<std::uint16_t>(~csClean);
}

bool TSimpleRealCanvas::ThickLinesAllowed() const {
  if (!Cfg()->DynamicThickLines) return true;
  return Dims()->GetScale() > Cfg()->ThickLineCondition;
}

void TSimpleRealCanvas::TextPenHook() {}

bool TSimpleRealCanvas::PointInOutputArea(const TRealPoint&) { return true; }

// Lines.

void TSimpleRealCanvas::Line(double X1, double Y1, double X2, double Y2) {
  TestAbort();
  TRealPoint a{X1, Y1};
  TRealPoint b{X2, Y2};
  const TWindowDim& dims = *Dims();
  if (!ClipRealSegment(a, b, TRealRect{dims.X1, dims.Y1, dims.X2, dims.Y2})) return;
  const TPoint d1 = Device(a);
  const TPoint d2 = Device(b);
  const bool marks = (State & csNoEndMarks) == 0;
  if (d1 == d2) {
    const TPoint s = PixelStep(TRealPoint{X1, Y1}, TRealPoint{X2, Y2});
    const TPoint start{d1.X, d1.Y + s.Y};
    Lines->AddSegment(start, TPoint{d1.X + s.X, d1.Y});
    if (marks) DrawLineEndMark(start);
    return;
  }
  ThickSegment(d1, d2);
  if (!marks) return;
  for (const TPoint& d : {d1, d2})
    if (0 < d.X && d.X < dims.Width && 0 < d.Y && d.Y < dims.Height) DrawLineEndMark(d);
}

void TSimpleRealCanvas::ThickSegment(TPoint D1, TPoint D2) {
  TestAbort();
  if ((State & csThickEmulation) != 0) {
    const std::int64_t dx = static_cast<std::int64_t>(D2.X) - D1.X;
    const std::int64_t dy = static_cast<std::int64_t>(D2.Y) - D1.Y;
    const int sx = dx > 0 ? 1 : -1;
    const int sy = dy > 0 ? 1 : -1;
    const std::int64_t a = dx * dx;
    const std::int64_t b = dy * dy;
    const std::int64_t c = std::llabs(dx * dy);
    std::int64_t e1 = b > a ? b : 0;
    std::int64_t e2 = b > a ? 0 : a;
    int ox = 0;
    int oy = 0;
    const std::int32_t width = Pen->Width();
    for (std::int32_t i = 0; i < (width - 1) / 2; ++i) {
      if (e1 > e2) {
        ox += sy;
        e1 -= c;
        e2 += a;
      } else {
        oy -= sx;
        e2 -= c;
        e1 += b;
      }
      Lines->AddLine(D1.X + ox, D1.Y + oy, D2.X + ox, D2.Y + oy);
      Lines->AddLine(D1.X - ox, D1.Y - oy, D2.X - ox, D2.Y - oy);
    }
    if (width % 2 == 0) {
      if (e1 > e2)
        ox += sy;
      else
        oy -= sx;
      Lines->AddLine(D1.X + ox, D1.Y + oy, D2.X + ox, D2.Y + oy);
    }
  }
  Lines->AddSegment(D1, D2);
}

void TSimpleRealCanvas::OnePixel(TPoint D, const TRealPoint& P1, const TRealPoint& P2) {
  const TPoint s = PixelStep(P1, P2);
  Lines->AddSegment(D, TPoint{D.X + s.X, D.Y + s.Y});
}

void TSimpleRealCanvas::MoveTo(double X, double Y) {
  CurrentX = X;
  CurrentY = Y;
}

void TSimpleRealCanvas::LineTo(double X, double Y) {
  Line(CurrentX, CurrentY, X, Y);
  CurrentX = X;
  CurrentY = Y;
}

void TSimpleRealCanvas::FrameRect(double X1, double Y1, double X2, double Y2) {
  MoveTo(X1, Y1);
  LineTo(X2, Y1);
  LineTo(X2, Y2);
  LineTo(X1, Y2);
  LineTo(X1, Y1);
}

void TSimpleRealCanvas::PolygonOutline(const TRealPointsList& L) {
  if (L.Count() == 0) return;
  const TRealPoint last = L.GetPoint(L.Count() - 1);
  MoveTo(last.X, last.Y);
  for (std::int32_t i = 0; i < L.Count(); ++i) {
    const TRealPoint p = L.GetPoint(i);
    LineTo(p.X, p.Y);
  }
}

void TSimpleRealCanvas::LineDirect(double X1, double Y1, double X2, double Y2) {
  ThickSegment(Device(TRealPoint{X1, Y1}), Device(TRealPoint{X2, Y2}));
}

void TSimpleRealCanvas::LineOrDot(const TRealEnds& Ends) {
  const TPoint d1 = Device(Ends[0]);
  const TPoint d2 = Device(Ends[1]);
  if (d1 == d2)
    OnePixel(d1, Ends[0], Ends[1]);
  else
    ThickSegment(d1, d2);
}

void TSimpleRealCanvas::AddRectangle(double X1, double Y1, double X2, double Y2) {
  AddFrame(Device(TRealPoint{X1, Y1}), Device(TRealPoint{X2, Y2}));
}

void TSimpleRealCanvas::RectangleIfVisible(double X1, double Y1, double X2, double Y2) {
  if (Dims()->PointInWindow(TRealPoint{X1, Y1}) || Dims()->PointInWindow(TRealPoint{X2, Y2}))
    AddRectangle(X1, Y1, X2, Y2);
}

void TSimpleRealCanvas::FlushLines() {
  if (Lines->PartCount() > 0) Lines->Overflow();
}

void TSimpleRealCanvas::ClearLines() { Lines->Clear(); }

// Circles and arcs.

void TSimpleRealCanvas::PlatformEllipse(TPoint D1, TPoint D2) {
  platform::TCanvasLock lock(*Canvas);
  HollowBrush(*Canvas);
  Canvas->Ellipse(Box(D1, D2));
}

bool TSimpleRealCanvas::CircleShows(const TRealPoint& Centre, double R) const {
  const TWindowDim& dims = *Dims();
  return dims.RectVisible(Square(Centre, R)) &&
         !dims.RectCoversWindow(Square(Centre, kInnerSquare * R));
}

void TSimpleRealCanvas::Arc(const TRealEnds& Ends, const TRealPoint& Centre, double R) {
  if (!CircleShows(Centre, R)) return;
  const TWindowDim& dims = *Dims();
  const TRealRect box = Square(Centre, R);
  if ((State & csNoEndMarks) == 0)
    for (const TRealPoint& end : Ends)
      if (dims.PointInWindow(end)) DrawLineEndMark(Device(end));

  const TArcAngles angles = ArcAngles(Ends, Centre);

  if ((State & kPlatformArcBlockers) == 0 && dims.RectInWindow(box)) {
    if (dims.WorldLengthToPixels(R) < 3) {
      LineOrDot(Ends);
      return;
    }
    TPoint b1;
    TPoint b2;
    if (dims.Rotated()) {
      const TPoint dc = Device(Centre);
      const TPoint rd = dims.WorldDeltaToDevice(TRealPoint{R, R});
      if (std::abs(rd.X) < 2 && std::abs(rd.Y) < 2) {
        OnePixel(dc, Ends[0], Ends[1]);
        return;
      }
      b1 = TPoint{dc.X - rd.X, dc.Y - rd.Y};
      b2 = TPoint{dc.X + rd.X, dc.Y + rd.Y};
    } else {
      b1 = Device(TRealPoint{Centre.X - R, Centre.Y - R});
      b2 = Device(TRealPoint{Centre.X + R, Centre.Y + R});
      if (std::abs(b1.X - b2.X) < 3 && std::abs(b1.Y - b2.Y) < 3) {
        OnePixel(b1, Ends[0], Ends[1]);
        return;
      }
    }
    const TPoint e1 = Device(Ends[0]);
    const TPoint e2 = Device(Ends[1]);
    if (std::abs(e1.X - e2.X) <= 5 && std::abs(e1.Y - e2.Y) <= 5) {
      if (angles.Sweep < std::numbers::pi)
        LineOrDot(Ends);
      else
        DrawCircle(Centre, R);
      return;
    }
    platform::TCanvasLock lock(*Canvas);
    HollowBrush(*Canvas);
    Canvas->Arc(Box(b1, b2), platform::TGdiPoint{e1.X, e1.Y}, platform::TGdiPoint{e2.X, e2.Y});
    return;
  }
  ArcSegments(Centre, R, angles.Start, angles.Sweep);
}

void TSimpleRealCanvas::ArcByAngles(const TRealPoint& P1, const TRealPoint& P2, double R) {
  TestAbort();
  TRealPoint centre;
  const bool found = R > 0 ? CircleCenterThroughTwoPoints(P2, P1, R, centre)
                           : CircleCenterThroughTwoPoints(P1, P2, -R, centre);
  if (found) Arc(TRealEnds{P1, P2}, centre, std::fabs(R));
}

void TSimpleRealCanvas::DrawCircle(const TRealPoint& Centre, double R) {
  TestAbort();
  const TWindowDim& dims = *Dims();
  if (dims.RectCoversWindow(Square(Centre, kInnerSquare * R))) return;
  if ((State & csNoEndMarks) == 0 && dims.PointInWindow(Centre))
    DrawLineEndMark(Device(Centre));
  const TRealRect box = Square(Centre, R);
  if ((State & kPlatformArcBlockers) == 0 && dims.RectInWindow(box)) {
    if (dims.WorldLengthToPixels(R) < 3) {
      DotMark(1, Centre);
    } else if (dims.Rotated()) {
      const TPoint dc = Device(Centre);
      const TPoint rd = dims.WorldDeltaToDevice(TRealPoint{R, R});
      PlatformEllipse(TPoint{dc.X - rd.X, dc.Y - rd.Y}, TPoint{dc.X + rd.X, dc.Y + rd.Y});
    } else {
      Circle(box);
    }
    return;
  }
  ArcSegments(Centre, R, 0, kTwoPi);
}

void TSimpleRealCanvas::Circle(const TRealRect& Box) {
  PlatformEllipse(Device(TRealPoint{Box.Left, Box.Top}), Device(TRealPoint{Box.Right, Box.Bottom}));
}

void TSimpleRealCanvas::ArcSegments(const TRealPoint& Centre, double R, double Start,
                                    double Sweep) {
  if (!std::isfinite(Sweep) || !std::isfinite(Start)) return;
  // More than a full turn draws the same circle again: one turn is enough,
  // however many a bent element of a hostile style asks for.
  Sweep = std::clamp(Sweep, -kTwoPi, kTwoPi);
  double n = std::sqrt(std::fmax(0.0, Dims()->GetScale() * R * 9)) + 5;
  if (!(n <= kMaxArcSegments)) n = kMaxArcSegments;
  const double step = kTwoPi / n;
  if (Sweep < 0) {
    Start += Sweep;
    Sweep = -Sweep;
  }
  TRealPoint p{Centre.X + R * std::cos(Start), Centre.Y + R * std::sin(Start)};
  double a = Start;
  const double end = Start + Sweep;
  // Angles are counted from Start, so rounding does not pile up into an
  // extra sliver of a step; the last step ends exactly at the end angle, and
  // a step lost in the precision of a large angle ends the arc too.
  const double tolerance = step * 1e-9;
  TStateBits noMarks(State, csNoEndMarks);
  for (long i = 1; a < end; ++i) {
    double next = Start + static_cast<double>(i) * step;
    if (!(next < end - tolerance) || !(next > a)) next = end;
    a = next;
    const TRealPoint q{Centre.X + R * std::cos(a), Centre.Y + R * std::sin(a)};
    Line(p.X, p.Y, q.X, q.Y);
    p = q;
  }
}

void TSimpleRealCanvas::ScaledCircle(const TRealPoint& P, double R) {
  TestAbort();
  if (!Dims()->PointInWindow(P)) return;
  if ((State & csOutputRestricted) != 0 && !PointInOutputArea(P)) return;
  const double r = R * GetCfgScale();
  const TPoint d = Device(P);
  const TPoint rd = Dims()->WorldDeltaToDevice(TRealPoint{r, r});
  if (rd.X == 0 || rd.Y == 0) {
    Lines->AddLine(d.X, d.Y, d.X + 1, d.Y);
    return;
  }
  PlatformEllipse(TPoint{d.X - rd.X, d.Y - rd.Y}, TPoint{d.X + rd.X, d.Y + rd.Y});
}

void TSimpleRealCanvas::CircleMark(std::int32_t R, const TRealPoint& P) {
  TestAbort();
  if (!Dims()->PointInWindow(P)) return;
  if ((State & csOutputRestricted) != 0 && !PointInOutputArea(P)) return;
  const TPoint d = Device(P);
  PlatformEllipse(TPoint{d.X - R, d.Y - R}, TPoint{d.X + R, d.Y + R});
}

// Marks and markers.

void TSimpleRealCanvas::AddCross(TPoint D) {
  Lines->AddLine(D.X, D.Y - 2, D.X, D.Y + 3);
  Lines->AddLine(D.X - 2, D.Y, D.X + 3, D.Y);
}

void TSimpleRealCanvas::AddFrame(TPoint A, TPoint B) {
  Lines->AddLine(A.X, A.Y, B.X, A.Y);
  Lines->AddLine(B.X, A.Y, B.X, B.Y);
  Lines->AddLine(B.X, B.Y, A.X, B.Y);
  Lines->AddLine(A.X, B.Y, A.X, A.Y);
}

void TSimpleRealCanvas::DrawTextOriginMark(const TRealPoint& P) {
  if (Cfg()->MarkTextOrigin && Dims()->PointInWindow(P)) AddCross(Device(P));
}

void TSimpleRealCanvas::DrawLineEndMark(const TPoint& D) {
  if (Cfg()->MarkLineEnds) AddCross(D);
}

void TSimpleRealCanvas::DotMark(std::int32_t N, const TRealPoint& P) {
  TestAbort();
  if (!Dims()->PointInWindow(P)) return;
  if ((State & csOutputRestricted) != 0 && !PointInOutputArea(P)) return;
  const TPoint d = Device(P);
  const int x = d.X;
  const int y = d.Y;
  switch (N) {
    case 1:
      Lines->AddLine(x, y, x + 1, y);
      return;
    case 2:
      Lines->AddLine(x, y, x + 1, y);
      Lines->AddLine(x, y + 1, x + 1, y + 1);
      return;
    case 3:
      Lines->AddLine(x - 1, y - 1, x + 1, y - 1);
      Lines->AddLine(x - 1, y, x + 1, y);
      Lines->AddLine(x - 1, y + 1, x + 1, y + 1);
      return;
    default:
      break;
  }
  const int h = N / 2;
  const int k = N - h;
  if (N > 10) {
    platform::TCanvasLock lock(*Canvas);
    platform::TBrush brush = Canvas->Brush();
    brush.Style = platform::bsSolid;
    brush.Color = Canvas->Pen().Color;
    Canvas->SetBrush(brush);
    Canvas->Rectangle(platform::TGdiRect{x - h, y - h, x + k, y + k});
    brush.Style = platform::bsClear;
    Canvas->SetBrush(brush);
    return;
  }
  for (int c = x - h; c <= x + k; ++c) Lines->AddLine(c, y - h, c, y + k);
}

void TSimpleRealCanvas::SquareMark(const TRealPoint& P, std::int32_t N) {
  TestAbort();
  if (!Dims()->PointInWindow(P)) return;
  const TPoint d = Device(P);
  const int h = N / 2;
  const int k = N - h;
  AddFrame(TPoint{d.X - h, d.Y - h}, TPoint{d.X + k, d.Y + k});
}

void TSimpleRealCanvas::CrossMark(std::int32_t W, std::int32_t H, const TRealPoint& P) {
  TestAbort();
  if (!Dims()->PointInWindow(P)) return;
  const TPoint d = Device(P);
  Lines->AddLine(d.X - W, d.Y, d.X + W, d.Y);
  Lines->AddLine(d.X, d.Y - H, d.X, d.Y + H);
}

void TSimpleRealCanvas::RectMark(std::int32_t W, std::int32_t H, const TRealPoint& P) {
  if (!Dims()->PointInWindow(P)) return;
  const TPoint d = Device(P);
  AddFrame(TPoint{d.X - W, d.Y - H}, TPoint{d.X + W, d.Y + H});
}

void TSimpleRealCanvas::CrossHair(const TRealPoint& P) {
  if (!Dims()->PointInWindow(P)) return;
  const TPoint d = Device(P);
  Lines->AddLine(0, d.Y, Dims()->Width, d.Y);
  Lines->AddLine(d.X, 0, d.X, Dims()->Height);
}

void TSimpleRealCanvas::PointCross(const TRealPoint& P) {
  TestAbort();
  if (!Dims()->PointInWindow(P)) return;
  const TPoint d = Device(P);
  Lines->AddLine(d.X - 4, d.Y, d.X + 4, d.Y);
  Lines->AddLine(d.X, d.Y - 3, d.X, d.Y + 3);
}

// State.

void TSimpleRealCanvas::SetAbort(bool B) {
  if (Abort.exchange(B, std::memory_order_acq_rel) == B) return;
  if (B) {
    if (Canvas != nullptr) Canvas->CancelDC();
    AbortEvent->Set();
  } else {
    AbortEvent->Reset();
  }
}

void TSimpleRealCanvas::SetStateBit7(bool B) {
  if (B)
    State |= csDirectDrawing;
  else
    State &= static_cast<std::uint16_t>(~csDirectDrawing);
}

void TSimpleRealCanvas::SetOutputHold(bool B) {
  if (B)
    State &= static_cast<std::uint16_t>(~csOutputRestricted);
  else if ((State & csOutputRestrictable) != 0)
    State |= csOutputRestricted;
}

void TSimpleRealCanvas::SetSize(double S) {
  if (S == Size || (Options & (1u << doSizeLocked)) != 0) return;
  Size = S;
  State &= static_cast<std::uint16_t>(~csClean);
}

// Operations of the styled canvases.

void TSimpleRealCanvas::SetScaleAnchors(const TScaleAnchors&) {
  throw ENotImplemented("TSimpleRealCanvas.SetScaleAnchors");
}
void TSimpleRealCanvas::SetStyleSource(const TLine*) {
  throw ENotImplemented("TSimpleRealCanvas.SetStyleSource");
}
void TSimpleRealCanvas::DrawSymbol(TObject*, const TRealPoint&, double) {
  throw ENotImplemented("TSimpleRealCanvas.DrawSymbol");
}
void TSimpleRealCanvas::StyledLine(double, double, double, double, const TLine*) {}
void TSimpleRealCanvas::StyledLineCurrent(double, double, double, double) {
  throw ENotImplemented("TSimpleRealCanvas.StyledLineCurrent");
}
void TSimpleRealCanvas::StyledCircle(const TRealPoint&, const TLine*, double) {
  throw ENotImplemented("TSimpleRealCanvas.StyledCircle");
}
void TSimpleRealCanvas::StyledCircleCurrent(const TRealPoint&, double) {
  throw ENotImplemented("TSimpleRealCanvas.StyledCircleCurrent");
}
void TSimpleRealCanvas::StyledArc(const TRealEnds&, const TRealPoint&, const TLine*, double) {
  throw ENotImplemented("TSimpleRealCanvas.StyledArc");
}
void TSimpleRealCanvas::StyledArcCurrent(const TRealEnds&, const TRealPoint&, double) {
  throw ENotImplemented("TSimpleRealCanvas.StyledArcCurrent");
}
void TSimpleRealCanvas::ApplyCurrentStylePen() {
  throw ENotImplemented("TSimpleRealCanvas.ApplyCurrentStylePen");
}
void TSimpleRealCanvas::SaveCanvasState() {
  throw ENotImplemented("TSimpleRealCanvas.SaveCanvasState");
}
void TSimpleRealCanvas::RestoreCanvasState() {
  throw ENotImplemented("TSimpleRealCanvas.RestoreCanvasState");
}

std::unique_ptr<TDrawParams> TSimpleRealCanvas::CreateDrawParams() {
  std::unique_ptr<TDrawParams> params;
  if (Dims() != nullptr && Dims()->Rotated())
    params = std::make_unique<TSkrDrawParams>(nullptr, nullptr);
  else
    params = std::make_unique<TDrawParams>(nullptr, nullptr);
  params->Assign(*this);
  return params;
}

void TSimpleRealCanvas::SetPrintPenWidths(const std::array<float, 3>&) {}
void TSimpleRealCanvas::SelectPrintPen(int) {}
void TSimpleRealCanvas::PrepareOcclusion(TObject*) {}
void TSimpleRealCanvas::UpdateOcclusion(TObject*) {}

// The interface for layer modules.

std::unique_ptr<TRealCanvas> TRealCanvas::CreateDeviceCanvas(const TRealPoint&) {
  throw ENotImplemented("TRealCanvas.CreateDeviceCanvas");
}

TRealCanvas::TRealCanvas(platform::TCanvas* ACanvas, TWindowDim* Dims, TNullCanvasCfg* Cfg)
    : TSimpleRealCanvas(ACanvas, Dims, Cfg) {}

std::int32_t TRealCanvas::TModuleInterface::QueryInterface(const TGUID&, void** obj) {
  if (obj != nullptr) *obj = nullptr;
  return kENoInterface;
}
void TRealCanvas::TModuleInterface::SetPenColor(std::uint32_t C) { owner_.Pen->SetColor(C); }
void TRealCanvas::TModuleInterface::SetPenStyle(std::uint8_t S) { owner_.Pen->SetStyle(S); }
void TRealCanvas::TModuleInterface::SetPenWidth(std::int32_t W) { owner_.Pen->SetWidth(W); }
TAbortEvent* TRealCanvas::TModuleInterface::GetAbortEventHandle() {
  return owner_.AbortEvent.get();
}
void TRealCanvas::TModuleInterface::SetSize(double S) { owner_.SetSize(S); }
void TRealCanvas::TModuleInterface::Line(double X1, double Y1, double X2, double Y2) {
  owner_.Line(X1, Y1, X2, Y2);
}
void TRealCanvas::TModuleInterface::DrawCircle(const TRealPoint& Centre, double R) {
  owner_.DrawCircle(Centre, R);
}
void TRealCanvas::TModuleInterface::ArcByAngles(const TRealPoint& P1, const TRealPoint& P2,
                                                double R) {
  owner_.ArcByAngles(P1, P2, R);
}
void TRealCanvas::TModuleInterface::DotMark(std::int32_t N, const TRealPoint& P) {
  owner_.DotMark(N, P);
}
void TRealCanvas::TModuleInterface::TextOut(const TRealPoint& Origin, const char* Text,
                                            float Angle, std::uint8_t Mode,
                                            const TRealPoint& ConnectTo) {
  owner_.VectorTextOut(Text != nullptr ? std::string_view(Text) : std::string_view(), Mode,
                       Origin, Angle, ConnectTo);
}
