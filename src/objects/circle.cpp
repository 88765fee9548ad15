#include "objects/circle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "foundation/geometry/polygon.h"
#include "objects/saverecord.h"

namespace {

constexpr double kPi = std::numbers::pi;

TRealPoint Plus(const TRealPoint& P, const TRealPoint& D) { return TRealPoint{P.X + D.X, P.Y + D.Y}; }

// Hit test shared by circles and arcs: the distance decides when it is
// clearly inside or outside the tolerance; in between the box decides.
enum class THitBand { Inside, Outside, Box };

THitBand HitBand(double D, const TRealPoint& Tol) {
  const double dmin = std::fmin(Tol.X, Tol.Y);
  const double dmax = std::sqrt(2.0) * std::fmax(Tol.X, Tol.Y);
  if (D > dmax) return THitBand::Outside;
  if (D < dmin) return THitBand::Inside;
  return THitBand::Box;
}

// a reduced to [0, 2*pi).
double Normalised(double A) {
  A = std::fmod(A, 2.0 * kPi);
  if (A < 0.0) A += 2.0 * kPi;
  return A;
}

}  // namespace

TOkragImp::TOkragImp(const ObjectSaveRecord& Rec) : TLiniowyObj(Rec), Radius(Rec.GetRadius()) {}

void TOkragImp::SaveToRecord(ObjectSaveRecord& Rec) const {
  TLiniowyObj::SaveToRecord(Rec);
  Rec.SetRadius(Radius);
}

bool TOkragImp::SameGeometry(const TEGraphObj& Other) const {
  if (!TLiniowyObj::SameGeometry(Other)) return false;
  const auto* o = dynamic_cast<const TOkragImp*>(&Other);
  return o != nullptr && Radius == o->Radius;
}

void TOkragImp::CopyFieldsFrom(const TEGraphObj& Source) {
  TLiniowyObj::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TOkragImp*>(&Source)) Radius = s->Radius;
}

bool TOkragImp::CircleMeetsBox(const TRealPoint& P, const TRealPoint& C, const TRealPoint& Tol) const {
  const double r2 = Radius * Radius;
  const double ar = std::fabs(Radius);
  const double dx = P.X - C.X;
  const double dy = P.Y - C.Y;
  if (std::fabs(dx) < Tol.X && std::fabs(dy) < Tol.Y) return true;
  // The sides of constant Y, then those of constant X, relative to C.
  for (const double y : {dy + Tol.Y, dy - Tol.Y}) {
    if (std::fabs(y) >= ar) continue;
    const double x = std::sqrt(r2 - y * y);
    if (std::fabs(x - dx) < Tol.X || std::fabs(-x - dx) < Tol.X) return true;
  }
  for (const double x : {dx + Tol.X, dx - Tol.X}) {
    if (std::fabs(x) >= ar) continue;
    const double y = std::sqrt(r2 - x * x);
    if (std::fabs(y - dy) < Tol.Y || std::fabs(-y - dy) < Tol.Y) return true;
  }
  return false;
}

void TOkragImp::NearestOnCircle(const TRealPoint& P, const TRealPoint& C, TPointRec& Q) const {
  // |Radius| on both branches: a major arc's negative radius must not send a
  // point level with the centre to the far side of the circle.
  const double r = std::fabs(Radius);
  const double dx = P.X - C.X;
  const double dy = P.Y - C.Y;
  if (dy == 0.0) {
    Q.X = dx < 0.0 ? C.X - r : C.X + r;
    Q.Y = C.Y;
    return;
  }
  double k = std::fabs(dy * r) / std::sqrt(dx * dx + dy * dy);
  if (dy < 0.0) k = -k;
  Q.X = C.X + dx / dy * k;
  Q.Y = C.Y + k;
}

void TOkragImp::AppendArcPoints(const TRealPoint& C, TRealPointsList& List, double Step, double AEnd,
                                double AStart) const {
  if (!(Step != 0.0)) return;  // a zero (or undefined) step would never reach AEnd
  for (int k = 1;; ++k) {
    const double a = AStart + k * Step;
    if (Step > 0.0 ? !(a < AEnd) : !(a > AEnd)) break;
    List.Add(TRealPoint{C.X + Radius * std::cos(a), C.Y + Radius * std::sin(a)});
  }
}

TNEOkrag::TNEOkrag(const TPointRec& C, double R) : Centre(C) { Radius = R; }

TNEOkrag::TNEOkrag(const ObjectSaveRecord& Rec) : TOkragImp(Rec), Centre(Rec.GetPoint1()) {}

TPointRec TNEOkrag::GetStartPoint3() const { return Centre; }

void TNEOkrag::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.DrawCircle(XY(Centre), Radius);
}

void TNEOkrag::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Canvas.DrawCircle(AffineTransformPoint(M, XY(Centre)), Radius * M.s);
}

void TNEOkrag::Transform(const TAffineMatrix& M) {
  Centre = TransformedRec(M, Centre);
  Radius *= M.s;
}

void TNEOkrag::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Canvas.DrawCircle(Plus(XY(Centre), D), Radius);
}

void TNEOkrag::Move(const TRealPoint& D) { Centre = MovedRec(Centre, D); }

void TNEOkrag::DrawPointTransformed(TRealCanvas& Canvas, int N, const TAffineMatrix& M) const {
  DrawTransformed(Canvas, M);
}

TRealRect TNEOkrag::GetBounds() const {
  return RealRect(Centre.X - Radius, Centre.Y - Radius, Centre.X + Radius, Centre.Y + Radius);
}

void TNEOkrag::BendAroundCircle(double R, double A0) { Centre = WrappedRec(Centre, R, A0); }

bool TNEOkrag::IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const {
  const THitBand band = HitBand(DistanceTo(P, Params), Tol);
  if (band != THitBand::Box) return band == THitBand::Inside;
  return CircleMeetsBox(P, XY(Centre), Tol);
}

double TNEOkrag::DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const {
  return std::fabs(Hypot(P.X - Centre.X, P.Y - Centre.Y) - Radius);
}

void TNEOkrag::ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const {
  NearestOnCircle(P, XY(Centre), Q);
  Q.Z = Centre.Z;
}

double TNEOkrag::DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const {
  if (RealRectContainsPoint(ToleranceBox(P, Tol), XY(Centre)))
    return Hypot(P.X - Centre.X, P.Y - Centre.Y);
  return -1.0;
}

void TNEOkrag::NearestPoint(const TRealPoint& P, TPointRec& Q) const { Q = Centre; }

double TNEOkrag::GetLength() const { return 2.0 * kPi * Radius; }

void TNEOkrag::AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const {
  // 10 points for circles shorter than 10 units, 400 for those longer than
  // 400, else one point per unit of length.
  double step;
  if (Radius < 10.0 / (2.0 * kPi))
    step = kPi / 5.0;
  else if (Radius > 400.0 / (2.0 * kPi))
    step = kPi / 200.0;
  else
    step = 1.0 / Radius;
  const TRealPoint first{Centre.X + Radius, Centre.Y};
  List.Add(first);
  AppendArcPoints(XY(Centre), List, step, 2.0 * kPi, 0.0);
  List.Add(first);
}

double TNEOkrag::RayDistanceY(const TRealPoint& P) const {
  const double dx = P.X - Centre.X;
  if (std::fabs(dx) > Radius) return -1.0;
  const double h = std::sqrt(Radius * Radius - dx * dx);
  if (Centre.Y - h >= P.Y) return Centre.Y - h - P.Y;
  return Centre.Y + h - P.Y;
}

int TNEOkrag::EndPointIndex(const TRealPoint& P) const { return SameRealPoint(P, XY(Centre)) ? 1 : 0; }

double TNEOkrag::GetAreaTerm(bool Dir, const TRealPoint& Origin) const { return kPi * Radius * Radius; }

void TNEOkrag::SaveToRecord(ObjectSaveRecord& Rec) const {
  TOkragImp::SaveToRecord(Rec);
  Rec.SetLineKind(kLineKindCircle);
  Rec.SetPoint1(Centre);
}

bool TNEOkrag::SameGeometry(const TEGraphObj& Other) const {
  if (!TOkragImp::SameGeometry(Other)) return false;
  const auto* o = dynamic_cast<const TNEOkrag*>(&Other);
  return o != nullptr && SameRealPoint(XY(Centre), XY(o->Centre));
}

void TNEOkrag::CreateTopologySegments(TTopologySegments& Segs, double Ext) { Segs[0].reset(); }

void TNEOkrag::CopyFieldsFrom(const TEGraphObj& Source) {
  TOkragImp::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TNEOkrag*>(&Source)) Centre = s->Centre;
}

TNELuk::TNELuk(const TPointRec& A, const TPointRec& B, double R) : P1(A), P2(B) { Radius = R; }

TNELuk::TNELuk(const ObjectSaveRecord& Rec)
    : TOkragImp(Rec), P1(Rec.GetPoint1()), P2(Rec.GetPoint2()) {}

TPointRec TNELuk::GetStartPoint3() const { return P1; }

TPointRec TNELuk::GetEndPoint3() const { return P2; }

void TNELuk::Draw(TRealCanvas& Canvas) const {
  ApplyColor(Canvas);
  Canvas.ArcByAngles(XY(P1), XY(P2), Radius);
}

void TNELuk::DrawTransformed(TRealCanvas& Canvas, const TAffineMatrix& M) const {
  Canvas.ArcByAngles(AffineTransformPoint(M, XY(P1)), AffineTransformPoint(M, XY(P2)), Radius * M.s);
}

void TNELuk::Transform(const TAffineMatrix& M) {
  P1 = TransformedRec(M, P1);
  P2 = TransformedRec(M, P2);
  Radius *= M.s;
}

void TNELuk::DrawMoved(TRealCanvas& Canvas, const TRealPoint& D) const {
  Canvas.ArcByAngles(Plus(XY(P1), D), Plus(XY(P2), D), Radius);
}

void TNELuk::Move(const TRealPoint& D) {
  P1 = MovedRec(P1, D);
  P2 = MovedRec(P2, D);
}

TRealRect TNELuk::GetBounds() const {
  const TRealPoint c = GetCentre();
  const double ar = std::fabs(Radius);
  const TRealRect ends = RealRect(P1.X, P1.Y, P2.X, P2.Y);
  TRealRect r;
  if (Radius >= 0.0) {
    // A minor arc lies over its chord, no higher than h above it.
    const double chord = Hypot(P2.X - P1.X, P2.Y - P1.Y);
    const double t = Radius * Radius - chord * chord / 4.0;
    const double h = t < 0.0 ? ar : ar - std::sqrt(t);
    r = ends;
    InflateRealRect(r, h, h);
    r.Left = std::fmax(r.Left, c.X - ar);
    r.Top = std::fmax(r.Top, c.Y - ar);
    r.Right = std::fmin(r.Right, c.X + ar);
    r.Bottom = std::fmin(r.Bottom, c.Y + ar);
  } else {
    // A major arc: its ends and the points of the circle straight above,
    // right of, below and left of the centre that it passes. It runs from
    // the azimuth of P1 down to that of P2.
    r = ends;
    const double a1 = Normalised(VectorAzimuth(P1.X - c.X, P1.Y - c.Y));
    const double a2 = Normalised(VectorAzimuth(P2.X - c.X, P2.Y - c.Y));
    double span = Normalised(a1 - a2);
    if (span == 0.0) span = 2.0 * kPi;
    for (int i = 0; i < 4; ++i) {
      const double b = i * kPi / 2.0;
      if (Normalised(a1 - b) > span) continue;
      const TRealPoint q{c.X + ar * std::round(std::cos(b)), c.Y + ar * std::round(std::sin(b))};
      r = UnionRealRect(r, RealRect(q.X, q.Y, q.X, q.Y));
    }
  }
  // The ends always belong to the object, also when its radius is too short
  // for its chord and the centre falls back to the chord's midpoint.
  return UnionRealRect(r, ends);
}

void TNELuk::BendAroundCircle(double R, double A0) {
  P1 = WrappedRec(P1, R, A0);
  P2 = WrappedRec(P2, R, A0);
}

bool TNELuk::IsNear(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp* Params) const {
  const THitBand band = HitBand(DistanceTo(P, Params), Tol);
  if (band != THitBand::Box) return band == THitBand::Inside;
  bool hit = CircleMeetsBox(P, GetCentre(), Tol);
  if (hit) {
    // Beside an end only the end itself counts, not the rest of the circle.
    const double dmax = std::sqrt(2.0) * std::fmax(Tol.X, Tol.Y);
    const TRealRect box = ToleranceBox(P, Tol);
    const double d1x = P.X - P1.X, d1y = P.Y - P1.Y;
    const double d2x = P.X - P2.X, d2y = P.Y - P2.Y;
    if (d1x * d1x + d1y * d1y < dmax * dmax)
      hit = RealRectContainsPoint(box, XY(P1));
    else if (d2x * d2x + d2y * d2y < dmax * dmax)
      hit = RealRectContainsPoint(box, XY(P2));
  }
  return hit;
}

double TNELuk::DistanceTo(const TRealPoint& P, const TDrawParamsImp* Params) const {
  if (LeftOfChord(XY(P1), XY(P2), P))
    return std::fmin(Hypot(P.X - P1.X, P.Y - P1.Y), Hypot(P.X - P2.X, P.Y - P2.Y));
  const TRealPoint c = GetCentre();
  return std::fabs(Hypot(P.X - c.X, P.Y - c.Y) - std::fabs(Radius));
}

void TNELuk::ProjectPoint(const TRealPoint& P, const TDrawParamsImp* Params, TPointRec& Q) const {
  if (LeftOfChord(XY(P1), XY(P2), P))
    NearestPoint(P, Q);
  else
    NearestOnCircle(P, GetCentre(), Q);
}

double TNELuk::DistanceIfNear(const TRealPoint& P, const TRealPoint& Tol) const {
  return EndDistanceIfNear(P1, P2, P, Tol);
}

void TNELuk::NearestPoint(const TRealPoint& P, TPointRec& Q) const {
  Q = NearerEndIndex(P1, P2, P) == 1 ? P1 : P2;
}

double TNELuk::GetLength() const {
  if (Radius == 0.0) return 0.0;
  return std::fabs(Radius) * GetSweep();
}

void TNELuk::AppendPathPoints(const TRealPoint& From, TRealPointsList& List, TRealPoint& Far) const {
  const TRealPoint c = GetCentre();
  double a1 = static_cast<double>(ClockwiseAngle(P1.X - c.X, P1.Y - c.Y)) + kPi / 2.0;
  double a2 = static_cast<double>(ClockwiseAngle(P2.X - c.X, P2.Y - c.Y)) + kPi / 2.0;
  if (Radius < 0.0) {
    // AppendArcPoints works with the signed radius: turn the angles half round.
    a1 += kPi;
    a2 += kPi;
  }
  if (a2 > a1) a2 -= 2.0 * kPi;
  const double n = std::clamp(std::fabs(Radius) * (a1 - a2), 10.0, 95.0);
  const double step = (a1 - a2) / n;
  if (SameRealPoint(From, XY(P1))) {
    AppendArcPoints(c, List, -step, a2, a1);
    Far = XY(P2);
  } else {
    AppendArcPoints(c, List, step, a1, a2);
    Far = XY(P1);
  }
  List.Add(Far);
}

double TNELuk::RayDistanceY(const TRealPoint& P) const {
  const TRealPoint c = GetCentre();
  const double dx = P.X - c.X;
  if (std::fabs(dx) > std::fabs(Radius)) return -1.0;
  const double h = std::sqrt(Radius * Radius - dx * dx);
  const TRealPoint a = XY(P1);
  const TRealPoint b = XY(P2);
  if (!LeftOfChord(a, b, TRealPoint{P.X, c.Y - h}) && c.Y - h > P.Y) return c.Y - h - P.Y;
  if (!LeftOfChord(a, b, TRealPoint{P.X, c.Y + h})) return c.Y + h - P.Y;
  return -1.0;
}

double TNELuk::GetDirectionAt(int N) const {
  const TRealPoint c = GetCentre();
  if (N == 1) {
    double a = VectorAzimuth(c.X - P1.X, c.Y - P1.Y) + kPi / 2.0;
    if (a > 2.0 * kPi) a -= 2.0 * kPi;
    return a;
  }
  double a = VectorAzimuth(c.X - P2.X, c.Y - P2.Y) - kPi / 2.0;
  if (a < 0.0) a += 2.0 * kPi;
  return a;
}

double TNELuk::GetAreaTerm(bool Dir, const TRealPoint& Origin) const {
  double s = ChordAreaTerm(XY(P1), XY(P2), Dir, Origin);
  if (Radius != 0.0) {
    const double theta = GetSweep();
    const double segment = Radius * Radius * (theta - std::sin(theta)) * 0.5;
    s += Dir ? segment : -segment;
  }
  return s;
}

void TNELuk::SaveToRecord(ObjectSaveRecord& Rec) const {
  TOkragImp::SaveToRecord(Rec);
  Rec.SetLineKind(kLineKindArc);
  Rec.SetPoint1(P1);
  Rec.SetPoint2(P2);
}

bool TNELuk::SameGeometry(const TEGraphObj& Other) const {
  if (!TOkragImp::SameGeometry(Other)) return false;
  const auto* o = dynamic_cast<const TNELuk*>(&Other);
  return o != nullptr && SameRealPoint(XY(P1), XY(o->P1)) && SameRealPoint(XY(P2), XY(o->P2));
}

void TNELuk::CopyFieldsFrom(const TEGraphObj& Source) {
  TOkragImp::CopyFieldsFrom(Source);
  if (const auto* s = dynamic_cast<const TNELuk*>(&Source)) {
    P1 = s->P1;
    P2 = s->P2;
  }
}

TRealPoint TNELuk::GetCentre() const {
  TRealPoint c;
  const bool found = Radius > 0.0 ? CircleCenterThroughTwoPoints(XY(P2), XY(P1), Radius, c)
                                  : CircleCenterThroughTwoPoints(XY(P1), XY(P2), -Radius, c);
  if (!found) c = TRealPoint{(P1.X + P2.X) / 2.0, (P1.Y + P2.Y) / 2.0};
  return c;
}

double TNELuk::GetSweep() const {
  const double chord = Hypot(P2.X - P1.X, P2.Y - P1.Y);
  // A zero radius spans nothing over a zero chord and half a circle over any
  // other (the chord then exceeds the diameter).
  if (Radius == 0.0) return chord == 0.0 ? 0.0 : kPi;
  const double s = chord / 2.0 / std::fabs(Radius);
  const double minor = s >= 1.0 ? kPi : 2.0 * std::atan(s / std::sqrt(1.0 - s * s));
  return Radius < 0.0 ? 2.0 * kPi - minor : minor;
}

void TNELuk::SetFromThreePoints(const TPointRec& A, const TPointRec& B, const TPointRec& M) {
  // Worked relative to the start, in extended precision.
  long double hx = (static_cast<long double>(B.X) - A.X) / 2;
  long double hy = (static_cast<long double>(B.Y) - A.Y) / 2;
  TPointRec p1 = A;
  TPointRec p2 = B;
  if (LeftOfChord(XY(A), XY(B), XY(M))) {
    p1 = B;
    p2 = A;
    hx = -hx;
    hy = -hy;
  }
  const long double gx = (static_cast<long double>(M.X) - p1.X) / 2;
  const long double gy = (static_cast<long double>(M.Y) - p1.Y) / 2;
  const long double det = hx * gy - gx * hy;
  const long double h2 = hx * hx + hy * hy;
  const long double g2 = gx * gx + gy * gy;
  const long double ux = det == 0.0L ? 0.0L : (h2 * gy - g2 * hy) / det;
  const long double uy = det == 0.0L ? 0.0L : (g2 * hx - h2 * gx) / det;
  const double r = static_cast<double>(std::sqrt(ux * ux + uy * uy));
  // Nearly collinear points give a centre beyond the range of a double: no
  // arc either.
  if (det == 0.0L || !std::isfinite(r)) throw EGrEditError("Błąd podczas obliczania łuku");
  const TRealPoint c{static_cast<double>(p1.X + ux), static_cast<double>(p1.Y + uy)};
  Radius = LeftOfChord(XY(p1), XY(p2), c) ? r : -r;
  P1 = p1;
  P2 = p2;
}
