#include "objects/layerobjects.h"

#include <cmath>
#include <memory>

#include "drawing/realcanvas.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "objects/saverecord.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"

namespace {

template <class T>
void Register(TRecordClass C) {
  RegisterRecordClass(C, [](const ObjectSaveRecord& Rec) -> std::unique_ptr<TEGraphObj> {
    return std::make_unique<T>(Rec);
  });
}

// A straight line, or a circle (a circle or an arc taken as its full circle).
struct TLinearFigure {
  bool IsLine = false;
  TRealPoint P1, P2;
  TRealPoint Centre;
  double Radius = 0.0;
};

bool Figure(const TEGraphObj& Obj, TLinearFigure& F) {
  if (dynamic_cast<const TLiniowyObj*>(&Obj) == nullptr) return false;
  if (const auto* l = dynamic_cast<const TNELinia*>(&Obj)) {
    F.IsLine = true;
    F.P1 = XY(l->P1);
    F.P2 = XY(l->P2);
    return true;
  }
  if (const auto* c = dynamic_cast<const TNEOkrag*>(&Obj)) {
    F.Centre = XY(c->Centre);
    F.Radius = c->Radius;
    return true;
  }
  if (const auto* a = dynamic_cast<const TNELuk*>(&Obj)) {
    F.Centre = a->GetCentre();
    F.Radius = a->Radius;
    return true;
  }
  return false;
}

bool LineLine(const TLinearFigure& A, const TLinearFigure& B, const TRealPoint& O, double& D2, TRealPoint& Q) {
  const TLineABC l1 = LineABC(A.P1, A.P2, O);
  const TLineABC l2 = LineABC(B.P1, B.P2, O);
  const long double det = l1.A * l2.B - l2.A * l1.B;
  if (det == 0.0L) return false;
  const long double x = (l1.B * l2.C - l2.B * l1.C) / det;
  const long double y = (l1.C * l2.A - l2.C * l1.A) / det;
  D2 = static_cast<double>(x * x + y * y);
  Q = TRealPoint{static_cast<double>(x) + O.X, static_cast<double>(y) + O.Y};
  return true;
}

bool LineCircle(const TLinearFigure& L, const TLinearFigure& C, const TRealPoint& O, double& D2, TRealPoint& Q) {
  const TLineABC l = LineABC(L.P1, L.P2, O);
  // A line whose two points coincide has no direction: it crosses nothing.
  if (l.A == 0.0L && l.B == 0.0L) return false;
  const long double cx = C.Centre.X - O.X;
  const long double cy = C.Centre.Y - O.Y;
  const long double r2 = static_cast<long double>(C.Radius) * C.Radius;
  long double x1, y1, x2, y2;
  if (l.A == 0.0L) {
    const long double y = -l.C / l.B;
    const long double disc = r2 - (y - cy) * (y - cy);
    if (disc < 0.0L) return false;
    const long double s = std::sqrt(disc);
    x1 = cx + s;
    y1 = y;
    x2 = cx - s;
    y2 = y;
  } else {
    const long double k = -l.B / l.A;
    const long double m = l.C / l.A;
    const long double a = k * k + 1.0L;
    const long double b = -2.0L * k * (m + cx) - 2.0L * cy;
    const long double c = (m + cx) * (m + cx) + cy * cy - r2;
    const long double disc = b * b - 4.0L * a * c;
    if (disc < 0.0L) return false;
    const long double s = std::sqrt(disc);
    y1 = (-b - s) / (2.0L * a);
    y2 = (-b + s) / (2.0L * a);
    x1 = k * y1 - m;
    x2 = k * y2 - m;
  }
  const long double d1 = x1 * x1 + y1 * y1;
  const long double d2 = x2 * x2 + y2 * y2;
  if (d1 < d2) {
    D2 = static_cast<double>(d1);
    Q = TRealPoint{static_cast<double>(x1) + O.X, static_cast<double>(y1) + O.Y};
  } else {
    D2 = static_cast<double>(d2);
    Q = TRealPoint{static_cast<double>(x2) + O.X, static_cast<double>(y2) + O.Y};
  }
  return true;
}

bool CircleCircle(const TLinearFigure& A, const TLinearFigure& B, const TRealPoint& O, double& D2,
                  TRealPoint& Q) {
  const long double c1x = A.Centre.X - O.X, c1y = A.Centre.Y - O.Y;
  const long double c2x = B.Centre.X - O.X, c2y = B.Centre.Y - O.Y;
  const long double dd = (c2x - c1x) * (c2x - c1x) + (c2y - c1y) * (c2y - c1y);
  if (dd == 0.0L) return false;
  const long double r1 = static_cast<long double>(A.Radius) * A.Radius;
  const long double r2 = static_cast<long double>(B.Radius) * B.Radius;
  const long double e1 = dd + r1 - r2;
  const long double e2 = dd + r2 - r1;
  const long double e3 = r1 + r2 - dd;
  const long double disc = e1 * e2 + e2 * e3 + e3 * e1;
  if (disc < 0.0L) return false;
  const long double s = std::sqrt(disc) / (2.0L * dd);
  const long double mx = (e2 * c1x + e1 * c2x) / (2.0L * dd);
  const long double my = (e2 * c1y + e1 * c2y) / (2.0L * dd);
  const long double x1 = mx + s * (c2y - c1y), y1 = my + s * (c1x - c2x);
  const long double x2 = mx - s * (c2y - c1y), y2 = my - s * (c1x - c2x);
  const long double d1 = x1 * x1 + y1 * y1;
  const long double d2 = x2 * x2 + y2 * y2;
  if (d1 < d2) {
    D2 = static_cast<double>(d1);
    Q = TRealPoint{static_cast<double>(x1) + O.X, static_cast<double>(y1) + O.Y};
  } else {
    D2 = static_cast<double>(d2);
    Q = TRealPoint{static_cast<double>(x2) + O.X, static_cast<double>(y2) + O.Y};
  }
  return true;
}

// Re-initialises the object in place by its constructor (the object keeps
// its storage for the program's run).
template <class T, class... Args>
T& Reinit(std::unique_ptr<T>& Obj, Args&&... A) {
  if (!Obj) {
    Obj = std::make_unique<T>(std::forward<Args>(A)...);
  } else {
    std::destroy_at(Obj.get());
    std::construct_at(Obj.get(), std::forward<Args>(A)...);
  }
  return *Obj;
}

}  // namespace

void RegisterLayerObjectClasses() {
  Register<TPunkt>(TRecordClass::Punkt);
  Register<TDefSpecLinia>(TRecordClass::DefSpecLinia);
  Register<TLiniaSpecjalna>(TRecordClass::LiniaSpecjalna);
  Register<TDefSpecLuk>(TRecordClass::DefSpecLuk);
  Register<TLukSpecjalny>(TRecordClass::LukSpecjalny);
  Register<TDefSpecOkrag>(TRecordClass::DefSpecOkrag);
  Register<TOkragSpecjalny>(TRecordClass::OkragSpecjalny);
  Register<TNapisT>(TRecordClass::NapisT);
  Register<TWysNapis>(TRecordClass::WysNapis);
  Register<TWysKatNapis>(TRecordClass::WysKatNapis);
  Register<TWysKatOdnNapis>(TRecordClass::WysKatOdnNapis);
  Register<TLicznikMianownik>(TRecordClass::LicznikMianownik);
  Register<TGrSymbol>(TRecordClass::GrSymbol);
  Register<TWysKatSymbol>(TRecordClass::WysKatSymbol);
}

bool IntersectObjects(const TEGraphObj& A, const TEGraphObj& B, const TRealPoint& O, double& D2, TRealPoint& Q) {
  TLinearFigure fa, fb;
  if (!Figure(A, fa) || !Figure(B, fb)) return false;
  if (fa.IsLine && fb.IsLine) return LineLine(fa, fb, O, D2, Q);
  if (fa.IsLine) return LineCircle(fa, fb, O, D2, Q);
  if (fb.IsLine) return LineCircle(fb, fa, O, D2, Q);
  return CircleCircle(fa, fb, O, D2, Q);
}

bool TextHitTest(const std::string& Text, const TRealPoint& Position, std::uint8_t Justification,
                 bool Underline, bool HasReference, const TRealPoint& Reference, const TRealPoint& P,
                 const TRealPoint& Tol, const TDrawParamsImp& Params, double& D) {
  // Kept for the program's run; destroyed with the other statics at exit.
  static std::unique_ptr<TWysNapis> plain;
  static std::unique_ptr<TWysKatOdnNapis> referenced;
  const auto flags = static_cast<std::uint8_t>(Underline ? Justification + 0x10 : Justification);
  if (HasReference) {
    TWysKatOdnNapis& t = Reinit(referenced, Position, Text, Params.Size, flags, Underline, 0.0f, Reference);
    return t.HitDistance(P, Tol, &Params, D);
  }
  TWysNapis& t = Reinit(plain, Position, Text, Params.Size, flags, Underline);
  return t.HitDistance(P, Tol, &Params, D);
}

bool TextHitTestOnCanvas(const std::string& Text, const TRealPoint& Position, std::uint8_t Justification,
                         double Size, bool Underline, bool Italic, bool HasReference, const TRealPoint& Reference,
                         const TRealPoint& P, const TRealPoint& Tol, TRealCanvas& Canvas,
                         const TScaleAnchors& SizeTable, double& D) {
  const std::unique_ptr<TDrawParams> params = Canvas.CreateDrawParams();
  params->SetSize(Size);
  params->SetItalic(Italic);
  params->ScaleAnchors = SizeTable;
  return TextHitTest(Text, Position, Justification, Underline, HasReference, Reference, P, Tol, *params, D);
}
