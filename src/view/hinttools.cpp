#include "view/hinttools.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "drawing/windowdim.h"
#include "foundation/text/numtext.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "platform/gui/controls_menus.h"
#include "view/krzyzconf.h"
#include "view/viewimp.h"

namespace {

int CursorForCross() { return KrzyzConf().RysujKrzyz ? platform::crNone : platform::crCross; }

double Distance(double X1, double Y1, double X2, double Y2) { return std::hypot(X2 - X1, Y2 - Y1); }

}  // namespace

// THintKrzyz

THintKrzyz::THintKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, std::string Hint)
    : TKrzyz(Status, std::move(OnPoint)), hint_(std::move(Hint)) {}

THintKrzyz::THintKrzyz(const THintKrzyz& Source) : TKrzyz(Source), hint_(Source.hint_) {}

THintKrzyz::~THintKrzyz() {
  // Here, not in the base: only this class's Detach gives the hint back.
  Canvas = nullptr;
  Deactivate();
}

void THintKrzyz::SetHint(std::string Hint) {
  hint_ = std::move(Hint);
  if (View != nullptr) View->SetHint(GetHint());
}

std::string THintKrzyz::GetHint() { return GetHintPart(0); }

void THintKrzyz::GetHintPart(int Index, std::string& Text) const {
  std::size_t start = 0;
  for (int i = 0; i < Index; ++i) {
    const std::size_t bar = hint_.find('|', start);
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  const std::size_t end = hint_.find('|', start);
  Text = hint_.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string THintKrzyz::GetHintPart(int Index) const {
  std::string text;
  GetHintPart(Index, text);
  return text;
}

void THintKrzyz::Attach() {
  if (auto* view = dynamic_cast<TTvViewImp*>(View)) view->PushHint(GetHint());
}

void THintKrzyz::Detach() {
  if (auto* view = dynamic_cast<TTvViewImp*>(View)) view->PopHint();
}

std::unique_ptr<TKrzyz> THintKrzyz::Clone() const { return std::make_unique<THintKrzyz>(*this); }

void THintKrzyz::GetCelownikSize(TRealPoint& Size) const {
  Size = TRealPoint{};
  const TKrzyzConf& conf = KrzyzConf();
  if (conf.DigitizerOn != 0) {
    if (Canvas == nullptr) return;
    const double s = Canvas->GetCfgScale();
    Size = TRealPoint{s * conf.CelownikWmm, s * conf.CelownikHmm};
    return;
  }
  // A window not sized yet has no scale: no tolerance rather than an
  // infinite one.
  if (Dims == nullptr || !(Dims->ScaleX > 0.0) || !(Dims->ScaleY > 0.0)) return;
  Size = Dims->DeviceToWorldSize(TPoint{conf.CelownikW, conf.CelownikH});
}

TRealPoint THintKrzyz::GetCelownikSize() const {
  TRealPoint size;
  GetCelownikSize(size);
  return size;
}

// TZoomKrzyz

void TZoomKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(CursorForCross());
}

std::int32_t TZoomKrzyz::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return kRightBackspace;
}

void TZoomKrzyz::GetPoint(TRealPoint& Point) { Point = TRealPoint{X1, Y1}; }

// TZoomRect

std::int32_t TZoomRect::Move(const TRealPoint& Point) {
  if (Count == kNothing) Count = kFirstCorner;
  if (Count >= kDragging) {
    X2 = Point.X;
    Y2 = Point.Y;
  } else {
    X1 = Point.X;
    Y1 = Point.Y;
  }
  return 0;
}

bool TZoomRect::Click(const TRealPoint& Point) {
  if (Count == kFirstCorner) {
    HideAll();
    X1 = X2 = Point.X;
    Y1 = Y2 = Point.Y;
    Count = kDragging;
    ShowAll();
    Count = kDragging + 1;
    return false;
  }
  // The figures go first: the rectangle on the screen is the one between
  // the corners as they stood.
  HideAll();
  X2 = Point.X;
  Y2 = Point.Y;
  Normalize();
  Count = kFirstCorner;
  return true;
}

void TZoomRect::DrawCursor() {
  if (Count >= kDragging) Canvas->AddRectangle(X1, Y1, X2, Y2);
}

void TZoomRect::DrawMarker() {
  if (Count < kDragging) DrawCross(TRealPoint{X1, Y1});
}

std::int32_t TZoomRect::GetResult() { return Count >= kDragging ? 1 : 0; }

std::int32_t TZoomRect::Backspace() {
  if (Count < kDragging) return 0;
  HideAll();
  X1 = X2;
  Y1 = Y2;
  Count = kFirstCorner;
  ShowAll();
  return 1;
}

std::unique_ptr<TKrzyz> TZoomRect::Clone() const { return std::make_unique<TZoomRect>(*this); }

void TZoomRect::Normalize() {
  TRealRect r{X1, Y1, X2, Y2};
  NormalizeRealRect(r);
  X1 = r.Left;
  Y1 = r.Top;
  X2 = r.Right;
  Y2 = r.Bottom;
}

// TZoomMove

void TZoomMove::DrawCursor() {
  if (Count >= kDragging) Canvas->LineDirect(X1, Y1, X2, Y2);
}

void TZoomMove::DrawMarker() {
  if (Count < kDragging)
    DrawCross(TRealPoint{X1, Y1});
  else
    DrawCross(TRealPoint{X2, Y2});
}

std::string TZoomMove::GetStatusText(const TRealPoint& Point) {
  std::string text = TZoomRect::GetStatusText(Point);
  if (Count < kDragging) return text;
  return KrzyzConf().FormatCoord(Distance(X1, Y1, X2, Y2)) + "  " + text;
}

std::unique_ptr<TKrzyz> TZoomMove::Clone() const { return std::make_unique<TZoomMove>(*this); }

// TRectKrzyz

std::int32_t TRectKrzyz::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return Count <= kFirstCorner ? kRightDefault : kRightBackspace;
}

std::unique_ptr<TKrzyz> TRectKrzyz::Clone() const { return std::make_unique<TRectKrzyz>(*this); }

// TZoomZbliz

void TZoomZbliz::Attach() {
  TZoomKrzyz::Attach();
  Ratio = 1.0;
  if (Dims == nullptr) return;
  const double r = (Dims->Y2 - Dims->Y1) / (Dims->X2 - Dims->X1);
  if (std::isfinite(r) && r > 0.0) Ratio = r;
}

TRealPoint TZoomZbliz::Constrain(const TRealPoint& P) const {
  if (P.X == X1) return TRealPoint{P.X, Y1};
  // How far the centre lies from the nearer edge of the window each way
  // (none beyond an edge; no bound while the tool has no window).
  double roomX = std::numeric_limits<double>::infinity();
  double roomY = roomX;
  if (Dims != nullptr) {
    roomX = std::max(0.0, std::min(X1 - Dims->X1, Dims->X2 - X1));
    roomY = std::max(0.0, std::min(Y1 - Dims->Y1, Dims->Y2 - Y1));
  }
  double dx = std::abs(P.X - X1);
  double dy = std::abs(P.Y - Y1);
  if (dy / dx > Ratio) {
    dy = std::min(dy, roomY);
    dx = dy / Ratio;
    if (dx > roomX) {
      dx = roomX;
      dy = dx * Ratio;
    }
  } else {
    dx = std::min(dx, roomX);
    dy = dx * Ratio;
    if (dy > roomY) {
      dy = roomY;
      dx = dy / Ratio;
    }
  }
  return TRealPoint{X1 + dx, Y1 + dy};
}

TRealRect TZoomZbliz::ZoomRect() const { return RealRect(2 * X1 - X2, 2 * Y1 - Y2, X2, Y2); }

std::int32_t TZoomZbliz::Move(const TRealPoint& Point) {
  if (Count >= kDragging) {
    const TRealPoint p = Constrain(Point);
    X2 = p.X;
    Y2 = p.Y;
    return 0;
  }
  if (Count == kNothing) Count = kCentre;
  X1 = Point.X;
  Y1 = Point.Y;
  return 0;
}

bool TZoomZbliz::Click(const TRealPoint& Point) {
  if (Count == kCentre) {
    HideAll();
    X1 = X2 = Point.X;
    Y1 = Y2 = Point.Y;
    Count = kDragging;
    ShowAll();
    SetViewCursor();
    return false;
  }
  // The rectangle shown goes before the corner moves.
  HideAll();
  const TRealPoint p = Constrain(Point);
  X2 = p.X;
  Y2 = p.Y;
  Count = kCentre;
  return true;
}

void TZoomZbliz::DrawCursor() {
  if (Count >= kDragging) {
    const TRealRect r = ZoomRect();
    Canvas->AddRectangle(r.Left, r.Top, r.Right, r.Bottom);
  }
  if (Count == kCentre || Count == kDragging) {
    if (KrzyzConf().RysujKrzyz)
      Canvas->CrossHair(TRealPoint{X1, Y1});
    else
      Canvas->CrossMark(10, 10, TRealPoint{X1, Y1});
  }
  Canvas->FlushLines();
}

void TZoomZbliz::SetViewCursor() {
  if (Count >= kDragging) {
    if (View != nullptr) View->SetCursor(platform::crCross);
    return;
  }
  TZoomKrzyz::SetViewCursor();
}

std::string TZoomZbliz::GetStatusText(const TRealPoint& Point) {
  if (Count < kDragging) return TZoomKrzyz::GetStatusText(Point);
  double ratio = 0.0;
  if (auto* view = dynamic_cast<TTvViewImp*>(View)) ratio = view->ZoomRatioFor(ZoomRect());
  if (ratio == 0.0 || !std::isfinite(ratio)) return "x";
  std::string text(1, 'x');
  text += RealToStr(ratio, 1);
  return text;
}

std::int32_t TZoomZbliz::GetResult() {
  // The figures on the screen are those of the old count.
  if (Count != kCentre) HideAll();
  Count = kCentre;
  return 0;
}

std::int32_t TZoomZbliz::Backspace() {
  if (Count < kDragging) return 0;
  HideAll();
  X1 = X2;
  Y1 = Y2;
  Count = kCentre;
  ShowAll();
  SetViewCursor();
  return 1;
}

std::unique_ptr<TKrzyz> TZoomZbliz::Clone() const {
  auto copy = std::make_unique<TZoomZbliz>(*this);
  copy->Count = kNothing;
  copy->Ratio = 1.0;
  copy->X1 = copy->Y1 = copy->X2 = copy->Y2 = 0.0;
  return copy;
}

// TNullKrzyz

TNullKrzyz::TNullKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint, platform::TPopupMenu* Menu)
    : THintKrzyz(Status, std::move(OnPoint)), Menu(Menu) {}

std::unique_ptr<TKrzyz> TNullKrzyz::Clone() const {
  auto copy = std::make_unique<TNullKrzyz>(*this);
  copy->PopupShown = 0;
  return copy;
}

std::int32_t TNullKrzyz::Move(const TRealPoint& Point) {
  PopupShown = 0;
  return 0;
}

bool TNullKrzyz::Click(const TRealPoint& Point) {
  const bool report = PopupShown == 0;
  PopupShown = 0;
  return report;
}

std::int32_t TNullKrzyz::KeyDown(std::int32_t Key) {
  if (Key != kVkReturn) return kKeyNotHandled;
  if (OnPoint) OnPoint(this);
  return kKeyHandled;
}

std::int32_t TNullKrzyz::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  if (PopupShown != 0) {
    PopupShown = 0;
    return kRightNothing;
  }
  // Without a menu nothing opens, so the next click has nothing to close.
  if (Menu != nullptr) {
    Menu->Popup(ScreenPoint.X, ScreenPoint.Y);
    PopupShown = 1;
  }
  return kRightKeepMouse;
}
