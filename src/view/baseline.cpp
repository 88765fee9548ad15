#include "view/baseline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "foundation/errors.h"
#include "objects/styledcanvas.h"
#include "platform/paint/gdi.h"
#include "view/krzyzconf.h"

namespace {

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

[[noreturn]] void RaiseZeroLength() { throw ETolvikaError(TolvikaErrorCode::PreviousLineZero); }
[[noreturn]] void RaiseComputation() { throw ETolvikaError(TolvikaErrorCode::BaseLineComputation); }

// A computed point that overflowed or met a NaN is no point at all.
void CheckFinite(const TRealPoint& P) {
  if (!std::isfinite(P.X) || !std::isfinite(P.Y)) RaiseComputation();
}

// The rays of an angular intersection are parallel within what the
// cotangents can tell apart: an angle carries a rounding error of about
// eps·|angle| (pi/2 is not exact in floating point, so cos(pi/2) is not 0),
// and the cotangent magnifies it by 1 + cot². A sum of the cotangents inside
// that error means the rays meet nowhere or anywhere, and dividing by it
// gives a point far off the map instead of a refusal.
bool RaysParallel(double CotAlpha, double CotBeta) {
  const double slack = 16.0 * kEpsilon * std::numbers::pi *
                       (2.0 + CotAlpha * CotAlpha + CotBeta * CotBeta);
  return std::fabs(CotAlpha + CotBeta) <= slack;
}

}  // namespace

TBaseLine::TBaseLine(const TRealPoint& P1, const TRealPoint& P2)
    : X1(P1.X), Y1(P1.Y), X2(P2.X), Y2(P2.Y) {
  // Every computation divides by the length, so a line whose ends meet (a
  // picked line with one end dragged onto the other) is no base line.
  Length();
  Shown = true;
  Rect = TRealRect{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}

double TBaseLine::Length() const {
  const double l = Distance2D();
  if (l == 0.0) RaiseZeroLength();
  if (!std::isfinite(l)) RaiseComputation();
  return l;
}

void TBaseLine::Paint(TDefRealCanvas& Canvas) {
  Canvas.Pen->SetColor(Colour & 0xFFFFFFu);
  Canvas.Pen->SetWidth(2);
  Canvas.Pen->SetStyle(platform::psSolid);
  Canvas.Pen->SetMode(platform::pmCopy);
  Canvas.SetSize(1.0);
  Canvas.Line(X1, Y1, X2, Y2);
  Canvas.WinTextOut("1", Colour & 0xFFFFFFu, TRealPoint{X1, Y1});
  Canvas.WinTextOut("2", Colour & 0xFFFFFFu, TRealPoint{X2, Y2});
}

double TBaseLine::Distance2D() const { return std::hypot(X2 - X1, Y2 - Y1); }

void TBaseLine::Reverse() {
  std::swap(X1, X2);
  std::swap(Y1, Y2);
}

void TBaseLine::SetMeasuredLength(double M) {
  if (M != 0.0) K = Distance2D() / M;
}

void TBaseLine::OffsetAtEnd(bool AtPoint1, double D, TRealPoint& P) const {
  const double l = Length();
  const double ux = (X2 - X1) / l;
  const double uy = (Y2 - Y1) / l;
  const double ex = AtPoint1 ? X1 : X2;
  const double ey = AtPoint1 ? Y1 : Y2;
  TRealPoint r{ex - D * uy, ey + D * ux};
  CheckFinite(r);
  P = r;
}

void TBaseLine::BaseLinePointByOffsets(double A, double B, TRealPoint& P) const {
  const double l = Length();
  const double ux = (X2 - X1) / l;
  const double uy = (Y2 - Y1) / l;
  const double s = A * K;
  TRealPoint r{X1 + s * ux - B * uy, Y1 + s * uy + B * ux};
  CheckFinite(r);
  P = r;
}

void TBaseLine::BaseLinePointByDistances(double D1, double D2, TRealPoint& P) const {
  Length();
  const double dx = X2 - X1;
  const double dy = Y2 - Y1;
  const double l2 = dx * dx + dy * dy;
  // A length too short to square is a zero length to this formula.
  if (l2 == 0.0) RaiseZeroLength();
  const double q1 = D1 * D1;
  const double q2 = D2 * D2;
  const double a = q1 + l2 - q2;
  const double b = q2 + l2 - q1;
  const double c = q1 + q2 - l2;
  double d = a * b + b * c + c * a;
  // D is sixteen times the squared area of the triangle, zero when the point
  // lies on the line. Distances that just meet (d1 + d2 = L, as the check
  // accepts) leave D a rounding error below zero: that is the point on the
  // line, not a failure.
  const double slack = 16.0 * kEpsilon * (std::fabs(a * b) + std::fabs(b * c) + std::fabs(c * a));
  if (std::isnan(d) || d < -slack) RaiseComputation();
  d = std::max(d, 0.0);
  const double r = std::sqrt(d);
  const double n = a + b;
  TRealPoint q{(X1 * b + r * Y1 + X2 * a - r * Y2) / n, (-X1 * r + Y1 * b + X2 * r + Y2 * a) / n};
  CheckFinite(q);
  P = q;
}

void TBaseLine::BaseLinePointByAngles(double Alpha, double Beta, TRealPoint& P) const {
  if (Alpha == 0.0 || Beta == 0.0) RaiseComputation();
  // The angles are measured from the line's direction: without one there is
  // nothing to measure from.
  Length();
  const double ca = std::cos(Alpha) / std::sin(Alpha);
  const double cb = std::cos(Beta) / std::sin(Beta);
  if (!std::isfinite(ca) || !std::isfinite(cb) || RaysParallel(ca, cb)) RaiseComputation();
  const double n = ca + cb;
  TRealPoint r{(cb * X1 + ca * X2 + Y1 - Y2) / n, (cb * Y1 + ca * Y2 - X1 + X2) / n};
  CheckFinite(r);
  P = r;
}

void TBaseLine::BaseLineByDistanceAngle(double D, double A, TRealPoint& P) const {
  const double l = Length();
  const double dx = X2 - X1;
  const double dy = Y2 - Y1;
  const double k = D / l;
  const double c = std::cos(A);
  const double s = std::sin(A);
  TRealPoint r{X1 + k * (dx * c - dy * s), Y1 + k * (dy * c + dx * s)};
  CheckFinite(r);
  P = r;
}

bool TBaseLine::CheckBaseLineOffsets(double, double, std::string&) const { return false; }

bool TBaseLine::CheckBaseLineMeasures(double D1, double D2, std::string& Message) const {
  const double l = Distance2D();
  const std::string length = KrzyzConf().FormatCoord(l);
  if (D1 + D2 < l) {
    Message = "Suma miar przy punktach 1 i 2 musi być większa niż długość linii bazowej (" +
              length + ")";
    return true;
  }
  if (D1 + l < D2) {
    Message = "Suma miary przy punktcie 1 i długości linii bazowej (" + length +
              ") musi być większa niż miara przy punktcie 2";
    return true;
  }
  if (D2 + l < D1) {
    Message = "Suma miary przy punktcie 2 i długości linii bazowej (" + length +
              ") musi być większa niż miara przy punktcie 1";
    return true;
  }
  return false;
}

bool TBaseLine::CheckBaseLineAngles(double Alpha, double Beta, std::string& Message) const {
  if (Alpha == 0.0 || Beta == 0.0) {
    Message = "Kąty nie mogą być zerowe";
    return true;
  }
  // Angles typed in degrees or grads and turned into radians may add up a
  // rounding error short of pi (30 and 150 degrees): such rays are parallel
  // all the same, and the computation would refuse them with a bare error.
  const double ca = std::cos(Alpha) / std::sin(Alpha);
  const double cb = std::cos(Beta) / std::sin(Beta);
  if (Alpha + Beta >= std::numbers::pi || RaysParallel(ca, cb)) {
    Message = "Suma kątów musi być mniejsza od kąta półpełnego";
    return true;
  }
  return false;
}

void TBaseLine::BaseLineEquation(TLineEquation& E) const {
  E.A = static_cast<long double>(Y1) - Y2;
  E.B = static_cast<long double>(X2) - X1;
  E.C = -E.A * X1 - E.B * Y1;
}

void TBaseLine::IntersectLine(const TLineEquation& E, TRealPoint& P) const {
  TLineEquation own;
  BaseLineEquation(own);
  const long double det = E.A * own.B - own.A * E.B;
  P = TRealPoint{};
  if (det == 0.0L) return;
  const long double x = (E.B * own.C - own.B * E.C) / det;
  const long double y = (E.C * own.A - own.C * E.A) / det;
  // Lines so nearly parallel that the crossing leaves the range of a double
  // do not cross either.
  if (!std::isfinite(static_cast<double>(x)) || !std::isfinite(static_cast<double>(y))) return;
  P = TRealPoint{static_cast<double>(x), static_cast<double>(y)};
}
