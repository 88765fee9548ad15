#include "objtools/linetools.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>

#include "drawing/pen.h"
#include "layers/tree/layernode.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/undo.h"
#include "objects/layerline.h"
#include "objects/styledcanvas.h"
#include "objects/styledlines.h"
#include "platform/gui/controls.h"
#include "view/baseline.h"
#include "view/krzyzconf.h"
#include "view/search.h"
#include "view/tvview.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// The chord arc of a three-point arc before its middle point is given.
constexpr double kChordArcRadius = 10000.0;
// The sublayer types a point search for the loop's neighbour looks in (the
// vertex snapping's).
constexpr std::uint32_t kVertexMask = 0xD342;

const char* const kCloseSumMessage = "C1 + C2 ma być większe od ";
const char* const kCloseDifferenceMessage = "|C1 - C2| ma być mniejsze od ";

double Distance(const TLatchEntry& A, const TLatchEntry& B) { return std::hypot(B.X - A.X, B.Y - A.Y); }

// UpdateTemplate with any error ignored: the template keeps its shape.
void UpdateIgnoringErrors(TNewGraphObjKrzyz& Tool) {
  try {
    Tool.UpdateTemplate();
  } catch (...) {
  }
}

// What the parameter windows of every line tool share.
TSpecStyle* StyleOf(TNewGraphObjKrzyz& Tool) {
  auto* linear = dynamic_cast<TLiniowyObj*>(Tool.Template());
  return linear != nullptr ? linear->GetSpecParams() : nullptr;
}

void ChangeStyleOf(TNewGraphObjKrzyz& Tool, const std::function<void(TSpecStyle&)>& Fn) {
  TSpecStyle* style = StyleOf(Tool);
  if (style == nullptr || !Fn) return;
  Tool.HideCursor();
  try {
    Fn(*style);
  } catch (...) {
    Tool.ShowCursor();
    throw;
  }
  Tool.ShowCursor();
}


// The object an undone or redone operation of one sublayer changed.
TEGraphObj* ObjectOf(TUndoOperationImp& Op) {
  auto* item = dynamic_cast<TUndoOperationItem*>(&Op);
  if (item == nullptr) return nullptr;
  return item->NewObject() != nullptr ? item->NewObject() : item->OldObject();
}

// Sets a tool's fixed length to 0 while it lives: the closing segments of a
// loop run to exactly the points they are given.
class TFreeLength {
public:
  explicit TFreeLength(double& Length) : length_(Length), saved_(Length) { length_ = 0.0; }
  ~TFreeLength() { length_ = saved_; }
  TFreeLength(const TFreeLength&) = delete;
  TFreeLength& operator=(const TFreeLength&) = delete;

private:
  double& length_;
  double saved_;
};

// The corner of the closing at C1 from F and C2 from the last point: the
// distance A along F -> last and the square of the offset H2 across it.
// False when the two distances cannot meet (also for a last point on F and
// for values that are not numbers).
bool CornerMeasures(double L, double C1, double C2, double& A, double& H2) {
  if (!(L > 0.0) || !std::isfinite(L)) return false;
  if (!(C1 + C2 >= L) || !(std::fabs(C1 - C2) <= L)) return false;
  A = (C1 * C1 - C2 * C2 + L * L) / (2.0 * L);
  // Distances that just meet give the point on the line.
  H2 = std::fmax(0.0, C1 * C1 - A * A);
  return std::isfinite(A) && std::isfinite(H2);
}

}  // namespace

// --- TEditNewLinia -------------------------------------------------------------

TEditNewLinia::TEditNewLinia(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                             TKrzyzPointEvent OnPoint)
    : TEditGraphObjKrzyz(Status, Template, Sublayer, std::move(OnPoint)) {
  CompleteCount = 2;
  RestartStage = 1;
}

std::string TEditNewLinia::GetStatusText(const TRealPoint& Point) {
  std::string text = TEditGraphObjKrzyz::GetStatusText(Point);
  if (&Point == &NoPoint()) return text;
  if (Stage >= 2 && PointIndex >= 1)
    text = KrzyzConf().FormatCoord(Distance(Entries[PointIndex - 1], CurrentEntry())) + "  " + text;
  return text;
}

bool TEditNewLinia::AddPoint(const TLatchEntry& Entry) {
  const bool done = TEditGraphObjKrzyz::AddPoint(Entry);
  if (done && fixedLength_ != 0.0 && Template() != nullptr) CurrentEntry() = Template()->GetEndPoint3();
  return done;
}

void TEditNewLinia::UpdateTemplate() {
  auto* line = dynamic_cast<TLinia*>(Template());
  if (line == nullptr) return;
  if (Stage < 2 || PointIndex < 1) {
    // No start yet: the start follows the cursor.
    line->P1 = CurrentEntry();
    line->P2 = CurrentEntry();
    return;
  }
  const TLatchEntry& p1 = Entries[PointIndex - 1];
  TLatchEntry p2 = CurrentEntry();
  const double l0 = Distance(p1, p2);
  if (fixedLength_ != 0.0 && l0 != 0.0) {
    p2.X = p1.X + (p2.X - p1.X) * fixedLength_ / l0;
    p2.Y = p1.Y + (p2.Y - p1.Y) * fixedLength_ / l0;
  }
  line->P1 = p1;
  line->P2 = p2;
}

TSpecStyle* TEditNewLinia::TemplateStyle() { return StyleOf(*this); }
void TEditNewLinia::ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) { ChangeStyleOf(*this, Fn); }
const TLine* TEditNewLinia::SublayerLineDef() { return SublayerLineDefOf(Sublayer); }
bool TEditNewLinia::SublayerThick() { return SublayerDrawsThick(Sublayer); }

void TEditNewLinia::SetFixedLength(double L) {
  if (L == fixedLength_) return;
  HideCursor();
  fixedLength_ = L;
  UpdateIgnoringErrors(*this);
  ShowCursor();
}

// --- TEditNewOkrag -------------------------------------------------------------

TEditNewOkrag::TEditNewOkrag(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                             TKrzyzPointEvent OnPoint)
    : TEditGraphObjKrzyz(Status, Template, Sublayer, std::move(OnPoint)) {
  CompleteCount = 2;
  RestartStage = 1;
}

std::string TEditNewOkrag::GetStatusText(const TRealPoint& Point) {
  std::string text = TEditGraphObjKrzyz::GetStatusText(Point);
  if (&Point == &NoPoint()) return text;
  auto* circle = dynamic_cast<TNEOkrag*>(Template());
  if (Stage >= 2 && circle != nullptr) text = "r= " + KrzyzConf().FormatCoord(circle->Radius) + "  " + text;
  return text;
}

std::unique_ptr<TLatchDialog> TEditNewOkrag::CreateDialog() {
  return MakeLineWindow(TLineWindow::Circle, (Options & kDialog3d) != 0);
}

void TEditNewOkrag::UpdateTemplate() {
  auto* circle = dynamic_cast<TNEOkrag*>(Template());
  if (circle == nullptr) return;
  const TLatchEntry& cur = CurrentEntry();
  if (Stage < 2 || PointIndex < 1) {
    // A small circle follows the cursor.
    circle->Centre = cur;
    circle->Radius = 0.1;
    return;
  }
  const TLatchEntry& prev = Entries[PointIndex - 1];
  if (Stage == 2) {
    if (mode_ == 0) {
      circle->Centre = prev;
    } else {
      // The two points as a diameter (mode 2 previews it so).
      circle->Centre = TLatchEntry{(prev.X + cur.X) / 2.0, (prev.Y + cur.Y) / 2.0, cur.Z};
    }
    circle->Radius = Distance(circle->Centre, cur);
    return;
  }
  if (mode_ != 2 || Stage != 3 || PointIndex != 2) return;
  const TLatchEntry& e0 = Entries[0];
  const double hx = (Entries[1].X - e0.X) / 2.0;
  const double hy = (Entries[1].Y - e0.Y) / 2.0;
  const double gx = (Entries[2].X - e0.X) / 2.0;
  const double gy = (Entries[2].Y - e0.Y) / 2.0;
  const double det = hx * gy - gx * hy;
  // Collinear points: the circle stays as the last update left it.
  if (det == 0.0) return;
  const double h2 = hx * hx + hy * hy;
  const double g2 = gx * gx + gy * gy;
  const double ux = (h2 * gy - g2 * hy) / det;
  const double uy = (g2 * hx - h2 * gx) / det;
  if (!std::isfinite(ux) || !std::isfinite(uy)) return;
  circle->Centre = TLatchEntry{e0.X + ux, e0.Y + uy, cur.Z};
  circle->Radius = std::hypot(ux, uy);
}

bool TEditNewOkrag::CompleteObject() {
  auto* circle = dynamic_cast<TNEOkrag*>(Template());
  return circle == nullptr || circle->Radius > 0.0;
}

void TEditNewOkrag::SetMode(int M) {
  if (M < 0 || M > 2 || M == mode_) return;
  HideCursor();
  mode_ = M;
  CompleteCount = M == 2 ? 3 : 2;
  UpdateIgnoringErrors(*this);
  ShowCursor();
}

TSpecStyle* TEditNewOkrag::TemplateStyle() { return StyleOf(*this); }
void TEditNewOkrag::ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) { ChangeStyleOf(*this, Fn); }
const TLine* TEditNewOkrag::SublayerLineDef() { return SublayerLineDefOf(Sublayer); }
bool TEditNewOkrag::SublayerThick() { return SublayerDrawsThick(Sublayer); }

// --- TEditNewSpecialLinia ------------------------------------------------------

std::int32_t TEditNewSpecialLinia::KeyDown(std::int32_t Key) {
  const std::int32_t r = TEditNewLinia::KeyDown(Key);
  if (r == kKeyNotHandled && Key == (platform::VK_F2 | kKeyAltGr)) {
    StartArcMode();
    return kKeyHandled;
  }
  return r;
}

std::unique_ptr<TLatchDialog> TEditNewSpecialLinia::CreateDialog() {
  return MakeLineWindow(TLineWindow::Single, (Options & kDialog3d) != 0);
}

bool TEditNewSpecialLinia::DoExtraResult(std::int32_t ModalResult) {
  if (ModalResult == kExtraArc) {
    StartArcMode();
    return false;
  }
  if (ModalResult == kExtraParallel) {
    const TLatchDialog* d = Dialog();
    const double left = d != nullptr ? d->A : 0.0;
    const double right = d != nullptr ? d->B : 0.0;
    HideAll();
    // A base line that cannot give a point is shown; the tool stays.
    Guard([&] {
      if (left != 0.0) AddParallelLine(-left);
      if (right != 0.0) AddParallelLine(right);
    });
    ShowAll();
    return false;
  }
  return TEditNewLinia::DoExtraResult(ModalResult);
}

bool TEditNewSpecialLinia::CompleteObject() {
  const TEGraphObj* t = Template();
  if (t == nullptr) return true;
  return !SameRealPoint(XY(t->GetStartPoint3()), XY(t->GetEndPoint3()));
}

float TEditNewSpecialLinia::WindowZ() const {
  return Dialog() != nullptr ? static_cast<float>(Dialog()->Z) : CurrentEntry().Z;
}

void TEditNewSpecialLinia::StartArcMode() {
  auto arc = std::make_unique<TEditNewLuk3P>(Status, nullptr, Sublayer, [this](TKrzyz* Sender) {
    return ArcDone(static_cast<TEditNewLuk3P&>(*Sender));
  });
  TEditNewLuk3P& a = *arc;
  a.OnFinish = [this](TKrzyz* Sender, std::int32_t Result) {
    ArcFinished(static_cast<TEditNewLuk3P&>(*Sender), Result);
  };
  a.SetOption((Options & kDialog3d) != 0);

  TLatchState state;
  SaveState(state);
  a.RestoreState(state);
  // No point entered yet: the arc's first click gives its start.
  if (a.PointIndex < 1) a.Stage = 1;

  auto* blank = new TLukSpecjalny();
  if (const TSpecStyle* style = StyleOf(*this)) blank->Style.InitStyleCopy(*style);
  a.SetTemplate(blank);
  a.OwnObject(blank);

  HideCursor();
  StartNestedInner(std::move(arc));
  // Activated, the arc took the view's snap mode: it snaps as this tool did.
  a.Redraw(SnapMode);
}

bool TEditNewSpecialLinia::ArcDone(TEditNewLuk3P& Arc) {
  Arc.OnFinish = nullptr;
  // The arc has advanced over its end: entry 0 is the arc's end point.
  CurrentEntry() = Arc.Entries[0];
  TLatchKrzyz::NextPoint();
  Stage = RestartStage;
  Flags &= static_cast<std::uint8_t>(~kPointRefused);

  TEGraphObj* line = Template();
  HideCursor();
  PutTemplate(Arc.ReleaseTemplate());
  FreeGraphObj(line);
  // The command stores the arc as it stores a line and gives a new line.
  Fire(true, XY(CurrentEntry()));
  return true;
}

void TEditNewSpecialLinia::ArcFinished(TEditNewLuk3P& Arc, std::int32_t Result) {
  FreeGraphObj(Arc.ReleaseTemplate());
  ShowCursor();
}

void TEditNewSpecialLinia::AddParallelLine(double Offset) {
  const TBaseLine* base = BaseLine();
  if (base == nullptr) return;
  const float z = WindowZ();
  TRealPoint q1;
  TRealPoint q2;
  base->OffsetAtEnd(true, Offset, q1);
  base->OffsetAtEnd(false, Offset, q2);
  const TLatchEntry start{q1.X, q1.Y, z};
  if (Stage == CompleteCount && PointIndex >= 1) {
    // The entered start gives way to the parallel line's.
    Entries[PointIndex - 1] = start;
  } else {
    const bool r = AddPoint(start);
    NextPoint();
    Fire(r, q1);
  }
  const bool r = AddPoint(TLatchEntry{q2.X, q2.Y, z});
  NextPoint();
  Fire(r, q2);
}

// --- TEditNewSpecialLiniaLoop --------------------------------------------------

TEditNewSpecialLiniaLoop::TEditNewSpecialLiniaLoop(std::uint32_t Status, TEGraphObj* Template,
                                                   TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint)
    : TEditNewSpecialLinia(Status, Template, Sublayer, std::move(OnPoint)) {
  RestartStage = 2;
}

TEditNewSpecialLiniaLoop::~TEditNewSpecialLiniaLoop() { Unhook(); }

void TEditNewSpecialLiniaLoop::Unhook() {
  if (hooked_ == nullptr) return;
  hooked_->OnUndo = nullptr;
  hooked_->OnRedo = nullptr;
  hooked_ = nullptr;
}

void TEditNewSpecialLiniaLoop::DrawCursor() {
  TEditNewSpecialLinia::DrawCursor();
  if (Points <= 0 || Canvas == nullptr) return;
  // A filled dot: the template's dotted pen would leave its short strokes
  // blank.
  Canvas->FlushLines();
  Canvas->Pen->SetStyle(0);
  Canvas->DotMark(4, XY(FirstPoint));
  Canvas->FlushLines();
  Canvas->RestoreCanvasState();
  Canvas->Pen->SetWidth(1);
}

std::string TEditNewSpecialLiniaLoop::GetStatusText(const TRealPoint& Point) {
  std::string text = TEditNewSpecialLinia::GetStatusText(Point);
  if (&Point == &NoPoint()) return text;
  if (PointIndex > 1) {
    const TLatchEntry& e0 = Entries[0];
    const TLatchEntry& e1 = Entries[1];
    const TLatchEntry& e2 = Entries[2];
    double angle = static_cast<double>(ClockwiseAngle(e2.X - e1.X, e2.Y - e1.Y) -
                                       ClockwiseAngle(e0.X - e1.X, e0.Y - e1.Y));
    if (angle > kTwoPi) angle -= kTwoPi;
    if (angle < 0.0) angle += kTwoPi;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", angle * KrzyzConf().FullAngle / kTwoPi);
    text = std::string(1, '<').append(buf).append("  ").append(text);
  }
  if (LastLength != 0.0) text = std::string(1, '(').append(KrzyzConf().FormatCoord(LastLength)).append(") ").append(text);
  return text;
}

void TEditNewSpecialLiniaLoop::Attach() {
  TEditNewSpecialLinia::Attach();
  if (MapView() == nullptr) return;
  Unhook();
  hooked_ = MapView()->GetUndoManager();
  hooked_->OnUndo = [this](TUndoOperationImp& Op) { LoopUndone(Op); };
  hooked_->OnRedo = [this](TUndoOperationImp& Op) { LoopRedone(Op); };
}

void TEditNewSpecialLiniaLoop::Detach() {
  Unhook();
  TEditNewSpecialLinia::Detach();
}

std::int32_t TEditNewSpecialLiniaLoop::KeyDown(std::int32_t Key) {
  const std::int32_t r = TEditNewSpecialLinia::KeyDown(Key);
  if (r != kKeyNotHandled) return r;
  if (Key == platform::VK_F7) return CloseLoop() ? kKeyHandledEnd : kKeyHandled;
  if (Key == (platform::VK_F7 | kKeyShift)) return CloseSquare() ? kKeyHandledEnd : kKeyHandled;
  return r;
}

bool TEditNewSpecialLiniaLoop::AddPoint(const TLatchEntry& Entry) {
  HideCursor();
  if (Points <= 0) {
    FirstPoint = Entry;
    FirstObject = Template();
    Points = 0;
  } else if (Points == 1 && FirstObject == nullptr) {
    FirstObject = Template();
  }
  ++Points;
  const bool done = TEditNewSpecialLinia::AddPoint(Entry);
  // A refused point is no point of the loop.
  if ((Flags & kPointRefused) != 0) --Points;
  if (done && Template() != nullptr) LastLength = Template()->GetLength();
  ShowCursor();
  return done;
}

std::unique_ptr<TLatchDialog> TEditNewSpecialLiniaLoop::CreateDialog() {
  return MakeLineWindow(TLineWindow::Loop, (Options & kDialog3d) != 0);
}

bool TEditNewSpecialLiniaLoop::DoExtraResult(std::int32_t ModalResult) {
  switch (ModalResult) {
    case kExtraCloseLoop: return CloseLoop();
    case kExtraCloseSquare: return CloseSquare();
    case kExtraCloseDistances: return CloseByDistances();
    default: return TEditNewSpecialLinia::DoExtraResult(ModalResult);
  }
}

bool TEditNewSpecialLiniaLoop::CloseLoop() {
  if (Points < 3) return false;
  TFreeLength free(fixedLength_);
  const TLatchEntry f = FirstPoint;
  const bool r = AddPoint(f);
  NextPoint();
  Fire(r, XY(f));
  return true;
}

bool TEditNewSpecialLiniaLoop::CloseSquare() {
  if (Points < 3 || FirstObject == nullptr || PointIndex < 1) return false;
  TFreeLength free(fixedLength_);
  const TLatchEntry f = FirstPoint;
  const TPointRec e = FirstObject->GetEndPoint3();
  const TRealPoint d{e.Y - f.Y, f.X - e.X};
  const TRealPoint q = PerpendicularFoot(XY(f), d, XY(Entries[PointIndex - 1]));
  // The corner gets the height new points get.
  const TLatchEntry corner{q.X, q.Y, CurrentEntry().Z};
  bool r = AddPoint(corner);
  NextPoint();
  Fire(r, q);
  r = AddPoint(f);
  NextPoint();
  Fire(r, XY(f));
  return true;
}

bool TEditNewSpecialLiniaLoop::CloseByDistances() {
  if (Points < 3 || PointIndex < 1 || Dialog() == nullptr) return false;
  const TLatchEntry f = FirstPoint;
  const TLatchEntry& last = Entries[PointIndex - 1];
  const double vx = last.X - f.X;
  const double vy = last.Y - f.Y;
  const double l = std::hypot(vx, vy);
  double a = 0.0;
  double h2 = 0.0;
  // A last point on the first one gives no direction: refused like
  // distances that cannot meet.
  if (!CornerMeasures(l, Dialog()->A, Dialog()->B, a, h2)) return false;
  const double ux = vx / l;
  const double uy = vy / l;
  double h = std::sqrt(h2);
  // Away from the point entered before the last one.
  const TLatchEntry& e0 = Entries[0];
  if ((e0.Y - f.Y) * ux - (e0.X - f.X) * uy > 0.0) h = -h;
  const TLatchEntry corner{f.X + ux * a - uy * h, f.Y + uy * a + ux * h, WindowZ()};
  TFreeLength free(fixedLength_);
  bool r = AddPoint(corner);
  NextPoint();
  Fire(r, XY(corner));
  r = AddPoint(f);
  NextPoint();
  Fire(r, XY(f));
  return true;
}

std::string TEditNewSpecialLiniaLoop::CheckCloseDistances(double C1, double C2) {
  const double l = PointIndex >= 1 ? Distance(Entries[PointIndex - 1], FirstPoint) : 0.0;
  double a = 0.0;
  double h2 = 0.0;
  if (CornerMeasures(l, C1, C2, a, h2)) return {};
  const std::string gap = KrzyzConf().FormatCoord(l);
  // Either the distances do not reach across the gap (or there is no gap
  // at all), or one of them reaches past the other's end.
  if (l > 0.0 && C1 + C2 >= l) return kCloseDifferenceMessage + gap;
  return kCloseSumMessage + gap;
}

void TEditNewSpecialLiniaLoop::LoopUndone(TUndoOperationImp& Op) {
  if (PointIndex < 1) return;
  TEGraphObj* obj = ObjectOf(Op);
  if (obj == nullptr) return;
  const int k = obj->EndPointIndex(XY(Entries[PointIndex - 1]));
  if (k == 0) return;
  HideAll();
  LastLength = 0.0;
  const TLatchEntry cursor = CurrentEntry();
  Entries[0] = k == 1 ? obj->GetEndPoint3() : obj->GetStartPoint3();

  TSearchHit hit;
  if (MapView() != nullptr) {
    TSearch& s = MapView()->Search();
    s.Reset();
    s.SearchKind = TSearch::kPointSubsetOmit;
    s.OmitObject = Template();
    s.TypeMask = kVertexMask;
    try {
      s.Run(XY(Entries[0]), GetCelownikSize(), hit);
    } catch (...) {
      // A cancelled search finds nothing.
      ClearSearchHit(hit);
    }
  }
  if (hit.Sublayer != nullptr && hit.Object != nullptr) {
    // The loop goes on from the segment before: the direction modes work
    // along it at once, and the cursor stays the cursor.
    PointIndex = 0;
    LatchOnObject(*hit.Object, Entries[0]);
    Entries[2] = cursor;
    PointIndex = 2;
  } else if (PointIndex >= 2) {
    PointIndex = 1;
    Entries[1] = Entries[2];
    if (SnapMode == 3) SnapMode = 0;
  }
  ClearSearchHit(hit);

  --Points;
  if (Points <= 1) FirstObject = nullptr;
  UpdateIgnoringErrors(*this);
  ShowAll();
}

void TEditNewSpecialLiniaLoop::LoopRedone(TUndoOperationImp& Op) {
  if (PointIndex < 1) return;
  TEGraphObj* obj = ObjectOf(Op);
  if (obj == nullptr) return;
  const int k = obj->EndPointIndex(XY(Entries[PointIndex - 1]));
  if (k == 0) return;
  HideAll();
  LastLength = 0.0;
  Entries[2] = CurrentEntry();
  const TPointRec start = obj->GetStartPoint3();
  const TPointRec end = obj->GetEndPoint3();
  Entries[1] = k == 1 ? end : start;
  Entries[0] = k == 1 ? start : end;
  PointIndex = 2;
  if (Points == 1) FirstObject = obj;
  ++Points;
  UpdateIgnoringErrors(*this);
  ShowAll();
}

// --- TEditNewLuk3P -------------------------------------------------------------

TEditNewLuk3P::TEditNewLuk3P(std::uint32_t Status, TEGraphObj* Template, TWarstwaOgolna* Sublayer,
                             TKrzyzPointEvent OnPoint)
    : TEditGraphObjKrzyz(Status, Template, Sublayer, std::move(OnPoint)) {
  CompleteCount = 3;
  Stage = 2;
}

std::int32_t TEditNewLuk3P::Backspace() {
  if (Stage <= 2) return 0;
  HideAll();
  DropLastPoint();
  --Stage;
  UpdateIgnoringErrors(*this);
  ShowAll();
  return 1;
}

std::unique_ptr<TLatchDialog> TEditNewLuk3P::CreateDialog() {
  return MakeLineWindow(TLineWindow::Arc, (Options & kDialog3d) != 0);
}

void TEditNewLuk3P::UpdateTemplate() {
  auto* arc = dynamic_cast<TNELuk*>(Template());
  if (arc == nullptr || Stage < 2 || PointIndex < 1) return;
  if (Stage == 2) {
    arc->P1 = Entries[PointIndex - 1];
    arc->P2 = CurrentEntry();
    arc->Radius = kChordArcRadius;
    return;
  }
  arc->SetFromThreePoints(Entries[0], Entries[1], Entries[2]);
}

TEGraphObj* TEditNewLuk3P::ReleaseTemplate() {
  TEGraphObj* t = Template();
  HideCursor();
  if (OwnedObject() == t) OwnObject(nullptr);
  PutTemplate(nullptr);
  return t;
}

TSpecStyle* TEditNewLuk3P::TemplateStyle() { return StyleOf(*this); }
void TEditNewLuk3P::ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) { ChangeStyleOf(*this, Fn); }
const TLine* TEditNewLuk3P::SublayerLineDef() { return SublayerLineDefOf(Sublayer); }
bool TEditNewLuk3P::SublayerThick() { return SublayerDrawsThick(Sublayer); }
