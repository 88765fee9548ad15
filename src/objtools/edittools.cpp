#include "objtools/edittools.h"

#include <cmath>
#include <utility>

#include "drawing/drawparams.h"
#include "layers/tree/sublayer.h"
#include "objects/activepoints.h"
#include "objects/circle.h"
#include "objects/linear.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "view/baseline.h"
#include "view/krzyzconf.h"

namespace {

// Cursors of the handles (the program's own cursors).
constexpr std::int16_t kCursorMove = 1;
constexpr std::int16_t kCursorNone = 3;
constexpr std::int16_t kCursorShape = 4;

TPointRec WithZ(const TRealPoint& P, float Z) { return TPointRec{P.X, P.Y, Z}; }

}  // namespace

// --- TEditLiniowyObj ---------------------------------------------------------

TEditLiniowyObj::TEditLiniowyObj(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : TEditGraphObjKrzyz(Status, std::move(OnPoint)) {
  Stage = 0;
  RestartStage = 1;
}

bool TEditLiniowyObj::Click(const TRealPoint& Point) { return EditClick(Point); }

std::int32_t TEditLiniowyObj::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return EditRightClick(Point, ScreenPoint);
}

std::int32_t TEditLiniowyObj::KeyDown(std::int32_t Key) { return EditKeyDown(Key); }

std::int32_t TEditLiniowyObj::HitHandle(const TRealPoint& P) const {
  if (template_ == nullptr || !Handles) return 0;
  std::int32_t h = template_->HitActivePoint(P, *Handles, Params.get());
  if (h == 0) {
    TRealPoint s;
    Handles->HalfHandleSize(s);
    if (template_->IsNear(P, s, Params.get())) h = 1;
  }
  return h;
}

bool TEditLiniowyObj::CheckTemplate() {
  if (Dragging()) {
    Cursor = -1;
    return true;
  }
  Handle = HitHandle(XY(CurrentEntry()));
  Cursor = CursorOf(Handle);
  return Handle != 0;
}

std::int16_t TEditLiniowyObj::CursorOf(std::int32_t AHandle) const {
  switch (AHandle) {
    case 1: return kCursorMove;
    case 2:
    case 3: return kCursorShape;
    default: return kCursorNone;
  }
}

std::string TEditLiniowyObj::HandleName(std::int32_t AHandle) const {
  switch (AHandle) {
    case 1: return "Położenie";
    case 2:
    case 3: return "Punkt końcowy";
    default: return {};
  }
}

std::string TEditLiniowyObj::GetHint() {
  const std::string name = HandleName(Handle);
  std::string text = HintPrefix();
  if (!name.empty()) text += ", " + name;
  if (Dragging()) text += ". " + GetLatchModeName();
  return text;
}

std::string TEditLiniowyObj::GetStatusText(const TRealPoint& Point) {
  std::string text = TEditGraphObjKrzyz::GetStatusText(Point);
  if (!Dragging() || template_ == nullptr) return text;
  return KrzyzConf().FormatCoord(template_->GetLength()) + "  " + text;
}

void TEditLiniowyObj::GetHandlePoint(TRealPoint& P) {
  if (Handle == 1 && template_ != nullptr) {
    TPointRec q = CurrentEntry();
    template_->ProjectPoint(XY(CurrentEntry()), Params.get(), q);
    P = XY(q);
    LastPoint = P;
    return;
  }
  TEditGraphObjKrzyz::GetHandlePoint(P);
}

void TEditLiniowyObj::DragWhole() {
  const TRealPoint p = XY(CurrentEntry());
  template_->Move(TRealPoint{p.X - LastPoint.X, p.Y - LastPoint.Y});
  LastPoint = p;
}

void TEditLiniowyObj::UpdateTemplate() {
  // Only the working copy changes: while hovering the template is the
  // object in the sublayer.
  if (!Dragging()) return;
  auto* line = dynamic_cast<TNELinia*>(template_);
  switch (Handle) {
    case 1:
      DragWhole();
      break;
    case 2:
      if (line != nullptr) line->P1 = CurrentPoint();
      break;
    case 3:
      if (line != nullptr) line->P2 = CurrentPoint();
      break;
    default:
      break;
  }
}

// --- TEditLine ---------------------------------------------------------------

void TEditLine::BeginModify() {
  Entries[2] = CurrentEntry();
  if (template_ != nullptr) {
    TPointRec nearest = Entries[2];
    template_->NearestPoint(XY(Entries[2]), nearest);
    Entries[0] = nearest;
    // The end that stays: the other one than the end nearest the pick.
    TPointRec fixed = template_->EndPointIndex(XY(nearest)) == 1 ? template_->GetEndPoint3()
                                                                  : template_->GetStartPoint3();
    fixed.Z = 0.0f;
    Entries[1] = fixed;
  }
  PointIndex = 2;
}

std::unique_ptr<TLatchDialog> TEditLine::CreateDialog() {
  return MakeLineWindow(TLineWindow::Modify, (Options & kDialog3d) != 0);
}

bool TEditLine::DoExtraResult(std::int32_t ModalResult) {
  if (ModalResult != kExtraToBaseLine) return TEditLiniowyObj::DoExtraResult(ModalResult);
  const TBaseLine* base = BaseLine();
  const auto* line = dynamic_cast<const TNELinia*>(Backup);
  if (base == nullptr || line == nullptr || !Dragging()) return false;
  const TLineABC abc = line->GetLineEquation();
  TRealPoint p;
  base->IntersectLine(TLineEquation{abc.A, abc.B, abc.C}, p);
  // Parallel lines give (0, 0): nothing to land on.
  if (SameRealPoint(p, TRealPoint{0.0, 0.0})) return false;
  const bool added = AddPoint(TLatchEntry{p.X, p.Y, CurrentEntry().Z});
  NextPoint();
  Fire(added, p);
  return false;
}

TSpecStyle* TEditLine::TemplateStyle() {
  auto* obj = dynamic_cast<TLiniowyObj*>(template_);
  return obj != nullptr ? obj->GetSpecParams() : nullptr;
}

void TEditLine::ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) {
  TSpecStyle* style = TemplateStyle();
  if (style == nullptr) return;
  HideCursor();
  Fn(*style);
  ShowCursor();
}

const TLine* TEditLine::SublayerLineDef() { return SublayerLineDefOf(Sublayer); }

bool TEditLine::SublayerThick() { return SublayerDrawsThick(Sublayer); }

// --- TEditLuk ----------------------------------------------------------------

std::int16_t TEditLuk::CursorOf(std::int32_t AHandle) const {
  if (AHandle == 1) return kCursorMove;
  if (AHandle >= 2 && AHandle <= 4) return kCursorShape;
  return kCursorNone;
}

void TEditLuk::UpdateTemplate() {
  if (!Dragging()) return;
  auto* arc = dynamic_cast<TNELuk*>(template_);
  const auto* old = dynamic_cast<const TNELuk*>(Backup);
  if (arc == nullptr || old == nullptr || !Handles || Handles->Count < 3) return;
  // The ends and the middle of the arc in the sublayer.
  const TPointRec a = old->P1;
  const TPointRec b = old->P2;
  const TPointRec m = WithZ(Handles->Points[1], 0.0f);
  const TPointRec p = CurrentPoint();
  switch (Handle) {
    case 1:
      DragWhole();
      break;
    case 2:
      arc->SetFromThreePoints(p, b, m);
      break;
    case 3:
      arc->SetFromThreePoints(a, b, p);
      break;
    case 4:
      arc->SetFromThreePoints(a, p, m);
      break;
    default:
      break;
  }
}

// --- TEditOkrag --------------------------------------------------------------

std::int16_t TEditOkrag::CursorOf(std::int32_t AHandle) const {
  if (AHandle == 1 || AHandle == 2) return kCursorMove;
  if (AHandle >= 3 && AHandle <= 5) return kCursorShape;
  return kCursorNone;
}

std::string TEditOkrag::HandleName(std::int32_t AHandle) const {
  switch (AHandle) {
    case 1:
    case 2: return "Położenie";
    case 3:
    case 4: return "Średnica";
    case 5: return "Promień";
    default: return {};
  }
}

void TEditOkrag::UpdateTemplate() {
  if (!Dragging()) return;
  auto* circle = dynamic_cast<TNEOkrag*>(template_);
  if (circle == nullptr) return;
  const TPointRec p = CurrentPoint();
  // The opposite end of the diameter as the handles show it.
  const auto diameterFrom = [&](int FixedSnap) {
    if (!Handles || Handles->Count <= FixedSnap) return;
    const TRealPoint fixed = Handles->Points[static_cast<std::size_t>(FixedSnap)];
    circle->Centre = TPointRec{(p.X + fixed.X) / 2.0, (p.Y + fixed.Y) / 2.0, p.Z};
    circle->Radius = std::hypot(p.X - circle->Centre.X, p.Y - circle->Centre.Y);
  };
  switch (Handle) {
    case 1:
      DragWhole();
      circle->Centre.Z = p.Z;
      break;
    case 2:
      circle->Centre = p;
      break;
    case 3:
      diameterFrom(2);
      break;
    case 4:
      diameterFrom(1);
      break;
    case 5:
      circle->Radius = std::hypot(p.X - circle->Centre.X, p.Y - circle->Centre.Y);
      break;
    default:
      break;
  }
}

bool TEditOkrag::CompleteObject() {
  const auto* circle = dynamic_cast<const TNEOkrag*>(template_);
  if (circle == nullptr) return true;
  // A diameter end dragged onto the other, or the radius onto the centre:
  // no circle is left to store.
  const TRealPoint c = XY(circle->Centre);
  return circle->Radius > 0.0 && !SameRealPoint(c, TRealPoint{c.X + circle->Radius, c.Y});
}

// --- TEditPunkt --------------------------------------------------------------

TEditPunkt::TEditPunkt(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : TEditGraphObjKrzyz(Status, std::move(OnPoint)) {
  Stage = 0;
  RestartStage = 1;
}

bool TEditPunkt::Click(const TRealPoint& Point) { return EditClick(Point); }

std::int32_t TEditPunkt::RightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  return EditRightClick(Point, ScreenPoint);
}

std::int32_t TEditPunkt::KeyDown(std::int32_t Key) { return EditKeyDown(Key); }

bool TEditPunkt::CheckTemplate() {
  if (Stage >= 2 && Backup != nullptr) {
    Cursor = -1;
    return true;
  }
  const bool hit = template_ != nullptr && Handles &&
                   template_->HitActivePoint(XY(CurrentEntry()), *Handles, Params.get()) != 0;
  Cursor = hit ? kCursorMove : kCursorNone;
  return hit;
}

void TEditPunkt::UpdateTemplate() {
  if (Stage < 2 || Backup == nullptr) return;
  if (auto* point = dynamic_cast<TPunkt*>(template_); point != nullptr) point->Position = CurrentEntry();
}

void TEditPunkt::GetHandlePoint(TRealPoint& P) {
  if (const auto* point = dynamic_cast<const TPunkt*>(template_); point != nullptr) {
    P = XY(point->Position);
    return;
  }
  TEditGraphObjKrzyz::GetHandlePoint(P);
}
