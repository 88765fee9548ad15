#include "objects/linear.h"

#include <cmath>
#include <memory>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "foundation/geometry/polygon.h"
#include "objects/edittoolsi.h"
#include "objects/saverecord.h"
#include "objects/sublayeri.h"

TPointRec TransformedRec(const TAffineMatrix& M, const TPointRec& P) {
  const TRealPoint q = AffineTransformPoint(M, XY(P));
  return TPointRec{q.X, q.Y, P.Z};
}

TPointRec MovedRec(const TPointRec& P, const TRealPoint& D) { return TPointRec{P.X + D.X, P.Y + D.Y, P.Z}; }

TPointRec WrappedRec(const TPointRec& P, double R, double A0) {
  TRealPoint q = XY(P);
  PolarWrapPoint(q, R, A0);
  return TPointRec{q.X, q.Y, P.Z};
}

double Hypot(double DX, double DY) { return std::sqrt(DX * DX + DY * DY); }

TRealRect ToleranceBox(const TRealPoint& P, const TRealPoint& Tol) {
  return RealRect(P.X - Tol.X, P.Y - Tol.Y, P.X + Tol.X, P.Y + Tol.Y);
}

double EndDistanceIfNear(const TPointRec& A, const TPointRec& B, const TRealPoint& P,
                         const TRealPoint& Tol) {
  const TRealRect box = ToleranceBox(P, Tol);
  if (RealRectContainsPoint(box, XY(A))) return Hypot(P.X - A.X, P.Y - A.Y);
  if (RealRectContainsPoint(box, XY(B))) return Hypot(P.X - B.X, P.Y - B.Y);
  return -1.0;
}

int NearerEndIndex(const TPointRec& A, const TPointRec& B, const TRealPoint& P) {
  const double d1 = std::fabs(P.X - A.X) + std::fabs(P.Y - A.Y);
  const double d2 = std::fabs(P.X - B.X) + std::fabs(P.Y - B.Y);
  return d1 < d2 ? 1 : 2;
}

bool LeftOfChord(const TRealPoint& A, const TRealPoint& B, const TRealPoint& Q) {
  return (B.Y - A.Y) * (Q.X - A.X) > (B.X - A.X) * (Q.Y - A.Y);
}

double ChordAreaTerm(const TRealPoint& A, const TRealPoint& B, bool Dir, const TRealPoint& Origin) {
  double dx = B.X - A.X;
  if (!Dir) dx = -dx;
  return ((A.Y - Origin.Y) + (B.Y - Origin.Y)) * dx * 0.5;
}

bool TLinTextObj::ReinsertAtIndex(IEditToolSite& Tool) {
  const int index = Tool.EditIndex();
  // -2: a modification of this run has already put the object back.
  if (index == -2) return false;
  IPodwarstwa* sublayer = Tool.EditSublayer();
  if (sublayer == nullptr) return false;
  MarkChanged();
  if (index >= 0)
    sublayer->ReplaceAtIndex(index, this);
  else
    sublayer->UpdateObject(this);
  Tool.SetEditIndex(-2);
  return false;
}

TRealPoint TLiniowyObj::GetStartPoint() const { return XY(GetStartPoint3()); }

TRealPoint TLiniowyObj::GetEndPoint() const { return XY(GetEndPoint3()); }

bool TLiniowyObj::IsLinearObj() const { return true; }

TSpecStyle* TLiniowyObj::GetSpecParams() { return nullptr; }

bool TLiniowyObj::EditWithClass(IPodwarstwa* Sublayer, int, TRealCanvas& Canvas, std::int32_t EraseColour,
                                const TEGraphObj& Prototype) {
  // The index is looked up again: the caller's may be stale.
  const int index = ListIndexOf(Sublayer, *this);
  return EditOwnedCopy(ConvertToClass(Prototype), Sublayer, index, Canvas, EraseColour);
}

int ListIndexOf(const IPodwarstwa* Sublayer, const TEGraphObj& Obj) {
  return Sublayer != nullptr ? Sublayer->IndexOfObject(&Obj) : -1;
}

bool EditOwnedCopy(std::unique_ptr<TEGraphObj> Copy, IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                   std::int32_t EraseColour) {
  // Once a list may hold the copy, only FreeGraphObj may free it.
  TEGraphObj* copy = Copy.release();
  bool accepted = false;
  try {
    accepted = copy->Edit(Sublayer, Index, Canvas, EraseColour);
  } catch (...) {
    FreeGraphObj(copy);
    throw;
  }
  // A copy no list took (the original was not listed) changed nothing.
  const bool taken = accepted && !copy->IsUnowned();
  FreeGraphObj(copy);
  return taken;
}

IObjectEditors& RequireObjectEditorsFor(TEGraphObj* Copy, const char* Operation) {
  IObjectEditors* editors = ObjectEditors();
  if (editors == nullptr) {
    FreeGraphObj(Copy);
    throw ENotImplemented(Operation);
  }
  return *editors;
}

void ApplyModalEdit(TEGraphObj& Obj, IPodwarstwa* Sublayer, int Index, TRealCanvas& Canvas,
                    std::int32_t EraseColour, const std::function<void()>& Change) {
  if (Sublayer != nullptr) Obj.DrawWithLayer(*Sublayer, Canvas, EraseColour);
  Change();
  if (Sublayer != nullptr) Obj.DrawWithLayer(*Sublayer, Canvas, -1);
  Obj.MarkChanged();
  if (Sublayer == nullptr) return;
  if (Index >= 0)
    Sublayer->ReplaceAtIndex(Index, &Obj);
  else
    Sublayer->UpdateObject(&Obj);
}

TNELinia::TNELinia(const TRealPoint& A, const TRealPoint& B)
    : P1{A.X, A.Y, 0.0f}, P2{B.X, B.Y, 0.0f} {}

TNELinia::TNELinia(const ObjectSaveRecord& Rec)
    : TLiniowyObj(Rec), P1(Rec.GetPoint1()), P2(Rec.GetPoint2()) {}

TPointRec TNELinia::GetStartPoint3() const { return P1; }

TPointRec TNELinia::GetEndPoint3() const { return P2; }

void TNELinia::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.Line(P1.X, P1.Y, P2.X, P2.Y);
}

void TNELinia::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  const TRealPoint a = AffineTransformPoint(M, XY(P1));
  const TRealPoint b = AffineTransformPoint(M, XY(P2));
  Canvas.Line(a.X, a.Y, b.X, b.Y);
}

void TNELinia::Transform(const TAffineMatrix& M) {
  P1 = TransformedRec(M, P1);
  P2 = TransformedRec(M, P2);
}

void TNELinia::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Canvas.Line(P1.X + D.X, P1.Y + D.Y, P2.X + D.X, P2.Y + D.Y);
}

void TNELinia::Move(const TRealPoint& D) {
  P1 = MovedRec(P1, D);
  P2 = MovedRec(P2, D);
}

void TNELinia::DrawPointTransformed(TRealCanvas& Canvas, int N, const TAffineMatrix& M) const {
  const TPointRec a = N == 1 ? TransformedRec(M, P1) : P1;
  const TPointRec b = N == 1 ? P2 : TransformedRec(M, P2);
  Canvas.Line(a.X, a.Y, b.X, b.Y);
}

void TNELinia::TransformPoint(int N, const TAffineMatrix& M) {
  if (N == 1)
    P1 = TransformedRec(M, P1);
  else
    P2 = TransformedRec(M, P2);
}

TRealRect TNELinia::GetBounds() const { return RealRect(P1.X, P1.Y, P2.X, P2.Y); }

void TNELinia::BendAroundCircle(double R, double A0) {
  P1 = WrappedRec(P1, R, A0);
  P2 = WrappedRec(P2, R, A0);
}

bool TNELinia::IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const {
  TRealPoint a = XY(P1);
  TRealPoint b = XY(P2);
  return ClipRealSegment(a, b, ToleranceBox(P, Tol));
}

double TNELinia::DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const {
  if (P1.X == P2.X && P1.Y == P2.Y) {
    if (P.X == P1.X && P.Y == P1.Y) return 0.0;
    return Hypot(P.X - P1.X, P.Y - P1.Y);
  }
  // Relative to P1, so that map coordinates keep their precision.
  const long double a = static_cast<long double>(P2.Y) - P1.Y;
  const long double b = static_cast<long double>(P1.X) - P2.X;
  const long double d = a * (static_cast<long double>(P.X) - P1.X) + b * (static_cast<long double>(P.Y) - P1.Y);
  return static_cast<double>(std::fabs(d) / std::sqrt(a * a + b * b));
}

void TNELinia::ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const {
  // The foot is found by its position t along P1 -> P2 (0 at P1, 1 at P2)
  // rather than by the signs of its coordinate differences: for a segment
  // almost parallel to an axis those round to the wrong sign and would send a
  // foot in the middle to an end.
  const long double dx = static_cast<long double>(P2.X) - P1.X;
  const long double dy = static_cast<long double>(P2.Y) - P1.Y;
  const long double q = dx * dx + dy * dy;
  if (q == 0.0L) {
    Q.X = P1.X;
    Q.Y = P1.Y;
    return;
  }
  const long double t =
      ((static_cast<long double>(P.X) - P1.X) * dx + (static_cast<long double>(P.Y) - P1.Y) * dy) / q;
  if (t < 0.0L) {
    Q = P1;
  } else if (t > 1.0L) {
    Q = P2;
  } else {
    Q.X = static_cast<double>(P1.X + t * dx);
    Q.Y = static_cast<double>(P1.Y + t * dy);
  }
}

double TNELinia::DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const {
  return EndDistanceIfNear(P1, P2, P, Tol);
}

void TNELinia::NearestPoint(const TRealPoint& P, TPointRec& Q) const {
  Q = NearerEndIndex(P1, P2, P) == 1 ? P1 : P2;
}

int TNELinia::NearestEndIndex(const TRealPoint& P) const { return NearerEndIndex(P1, P2, P); }

double TNELinia::GetLength() const { return Hypot(P2.X - P1.X, P2.Y - P1.Y); }

void TNELinia::AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const {
  Far = SameRealPoint(From, XY(P1)) ? XY(P2) : XY(P1);
  List.Add(Far);
}

double TNELinia::RayDistanceY(const TRealPoint& P) const {
  const double xmin = std::fmin(P1.X, P2.X);
  const double xmax = std::fmax(P1.X, P2.X);
  if (!(P.X >= xmin && P.X <= xmax)) return -1.0;
  if (P1.X != P2.X) return (P2.Y - P1.Y) / (P2.X - P1.X) * (P.X - P1.X) + P1.Y - P.Y;
  const double ymin = std::fmin(P1.Y, P2.Y);
  const double ymax = std::fmax(P1.Y, P2.Y);
  if (P.Y >= ymax) return -1.0;
  if (P.Y >= ymin) return 0.0;
  return ymin - P.Y;
}

double TNELinia::GetDirectionAt(int N) const {
  if (N == 1) return VectorAzimuth(P2.X - P1.X, P2.Y - P1.Y);
  return VectorAzimuth(P1.X - P2.X, P1.Y - P2.Y);
}

bool TNELinia::IsZeroLength() const { return SameRealPoint(XY(P1), XY(P2)); }

double TNELinia::GetAreaTerm(bool Dir, const TRealPoint& Origin) const {
  return ChordAreaTerm(XY(P1), XY(P2), Dir, Origin);
}

void TNELinia::SaveToRecord(ObjectSaveRecord& Rec) const {
  TLiniowyObj::SaveToRecord(Rec);
  Rec.SetLineKind(kLineKindLine);
  Rec.SetPoint1(P1);
  Rec.SetPoint2(P2);
}

bool TNELinia::IsStraightLine() const { return true; }

bool TNELinia::SameGeometry(const TEGraphObj& Other) const {
  if (!TLiniowyObj::SameGeometry(Other)) return false;
  const auto* o = dynamic_cast<const TNELinia*>(&Other);
  return o != nullptr && SameRealPoint(XY(P1), XY(o->P1)) && SameRealPoint(XY(P2), XY(o->P2));
}

void TNELinia::CreateTopologySegments(TTopologySegments& Segs, double Ext) {
  const double dx = P2.X - P1.X;
  const double dy = P2.Y - P1.Y;
  if (dx == 0.0 && dy == 0.0) {
    Segs[0].reset();
    return;
  }
  const double k = Ext / Hypot(dx, dy);
  auto a = std::make_unique<TDCPunkt>(TPointRec{P1.X - k * dx, P1.Y - k * dy, P1.Z});
  auto b = std::make_unique<TDCPunkt>(TPointRec{P2.X + k * dx, P2.Y + k * dy, P2.Z});
  Segs[0] = std::make_unique<TDCOdcinek>(std::move(a), std::move(b));
  Segs[0]->Source = this;
  Segs[1].reset();
}

void TNELinia::CopyFieldsFrom(const TEGraphObj& Source) {
  TLiniowyObj::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TNELinia*>(&Source)) {
    P1 = s->P1;
    P2 = s->P2;
  }
}

TLineABC TNELinia::GetLineEquation() const {
  TLineABC l;
  l.A = static_cast<long double>(P1.Y) - P2.Y;
  l.B = static_cast<long double>(P2.X) - P1.X;
  l.C = -l.A * P1.X - l.B * P1.Y;
  return l;
}

TLineABC TNELinia::GetLineEquationAt(const TRealPoint& O) const { return LineABC(XY(P1), XY(P2), O); }
