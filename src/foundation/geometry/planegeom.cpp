#include "foundation/geometry/planegeom.h"

#include <cmath>

void CalculateLine(TLineEquation& L, double X1, double Y1, double X2, double Y2) {
  L.A = Y1 - Y2;
  L.B = X2 - X1;
  L.C = (Y2 - Y1) * X1 - (X2 - X1) * Y1;
  if (L.A == 0 && L.B == 0) throw EGeometryError("CalculateLine: punkty takie same");
}

long double DistanceFromPoint(const TLineEquation& L, double X, double Y) {
  const long double a = L.A, b = L.B;
  const long double norm = std::sqrt(a * a + b * b);
  if (norm == 0) throw EGeometryError("DistanceFromPoint: punkty takie same");
  return std::fabs(a * X + b * Y + L.C) / norm;
}

long double DistanceFromSLine(const TLineEquation& L1, const TLineEquation& L2) {
  if (L1.A != L2.A || L1.B != L2.B)
    throw EGeometryError("DistanceFromSLine: proste nie są równoległe");
  const long double a = L1.A, b = L1.B;
  const long double norm = std::sqrt(a * a + b * b);
  if (norm == 0) throw EGeometryError("DistanceFromSLine: punkty takie same");
  return std::fabs(static_cast<long double>(L1.C) - L2.C) / norm;
}

void MakeLineThroughPoint(TLineEquation& L, const TLineEquation& Source, double X, double Y) {
  const TLineEquation s = Source;  // Source may be L itself
  L.A = s.A;
  L.B = s.B;
  L.C = -(s.A * X + s.B * Y);
}

long double LineOffsetDelta(TLineEquation& L, const TLineEquation& Source, double D) {
  L = Source;
  const long double a = L.A, b = L.B;
  return std::sqrt(a * a + b * b) * D;
}

namespace {

void CheckFraction(std::int32_t N) {
  if (N < 1) throw EGeometryError("RoundRealToFraction: mianownik mniejszy od 1");
}

}  // namespace

double RoundRealToFraction(std::int32_t N, double X) {
  CheckFraction(N);
  const double scaled = N * X;
  return (X > 0 ? std::trunc(scaled + 0.5) : std::trunc(scaled - 0.5)) / N;
}

float RoundToFraction(std::int32_t N, float X) {
  CheckFraction(N);
  const float scaled = static_cast<float>(N) * X;
  return static_cast<float>((X > 0 ? std::trunc(scaled + 0.5f) : std::trunc(scaled - 0.5f)) / N);
}

bool LineIntersection(const TLineEquation& L1, const TLineEquation& L2, double& X, double& Y,
                      std::int32_t N) {
  CheckFraction(N);
  const double det = L2.B * L1.A - L2.A * L1.B;
  if (det == 0) {
    Y = 0;
    return false;
  }
  const double y = (L2.A * L1.C - L2.C * L1.A) / det;
  const double x = L1.A == 0 ? (-L2.B * y - L2.C) / L2.A : (-L1.B * y - L1.C) / L1.A;
  X = RoundRealToFraction(N, x);
  Y = RoundRealToFraction(N, y);
  return true;
}

void CalculateSurface(TPlaneEquation& P, const TSpacePoint& P1, const TSpacePoint& P2,
                      const TSpacePoint& P3) {
  const double X1 = P1.X, Y1 = P1.Y, Z1 = P1.Z;
  const double X2 = P2.X, Y2 = P2.Y, Z2 = P2.Z;
  const double X3 = P3.X, Y3 = P3.Y, Z3 = P3.Z;
  const double det =
      X1 * (Y2 * Z3 - Y3 * Z2) + X2 * (Y3 * Z1 - Y1 * Z3) + X3 * (Y1 * Z2 - Y2 * Z1);
  if (det == 0)
    throw EGeometryError("CalculateSurface: punkty takie same lub na jednej prostej");
  P.A = ((Z2 - Z3) * Y1 + (Z3 - Z1) * Y2 + (Z1 - Z2) * Y3) / det;
  P.B = -((Z2 - Z3) * X1 + (Z3 - Z1) * X2 + (Z1 - Z2) * X3) / det;
  P.C = ((Y2 - Y3) * X1 + (Y3 - Y1) * X2 + (Y1 - Y2) * X3) / det;
  P.D = -1;
}

double SurfaceZ(const TPlaneEquation& P, double X, double Y) {
  if (P.C == 0) throw EGeometryError("SurfaceZ: płaszczyzna pionowa");
  return -(P.A * X + P.B * Y + P.D) / P.C;
}

long double DistanceFromLine2P(double X1, double Y1, double X2, double Y2, double X, double Y) {
  if (X1 == X2) return std::fabs(static_cast<long double>(X1) - X);
  const long double m = (static_cast<long double>(Y1) - Y2) / (static_cast<long double>(X2) - X1);
  const long double c = -m * X1 - Y1;
  return std::fabs(m * X + Y + c) / std::sqrt(m * m + 1);
}

TRectZ::TRectZ(double X1, double Y1, double X2, double Y2, double Z)
    : Extent(MakeExtent(X1, Y1, X2, Y2)), Z(Z) {}
