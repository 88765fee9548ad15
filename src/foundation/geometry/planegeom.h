// Straight-line and plane equations in plain world coordinates, with their
// distances and crossings, the rounding of a real to a fraction of a unit,
// and two small list items (a rectangle with a height, a point). World
// coordinates are geodetic (X up, Y right); every function takes (X, Y) in
// that order. Pure computation without state: any thread may call it.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/containers/object.h"
#include "foundation/errors.h"
#include "foundation/geometry/extent.h"

// A geometric computation given degenerate input (coincident points, lines
// that are not parallel, a vertical plane, a singular matrix). Carries only
// its message.
class EGeometryError : public Exception {
public:
  using Exception::Exception;
};

// The line A*X + B*Y + C = 0.
struct TLineEquation {
  double A = 0;
  double B = 0;
  double C = 0;
};

// The plane A*X + B*Y + C*Z + D = 0; one made from three points has D = -1.
struct TPlaneEquation {
  double A = 0;
  double B = 0;
  double C = 0;
  double D = 0;
};

struct TSpacePoint {
  double X = 0;
  double Y = 0;
  double Z = 0;
};

// The line through two points. Raises EGeometryError "CalculateLine: punkty
// takie same" when they coincide (L is then already written, all zero).
void CalculateLine(TLineEquation& L, double X1, double Y1, double X2, double Y2);
// Raises EGeometryError "DistanceFromPoint: punkty takie same" for A = B = 0.
long double DistanceFromPoint(const TLineEquation& L, double X, double Y);
// Distance between two parallel lines; parallel means equal A and equal B.
// Raises EGeometryError "DistanceFromSLine: proste nie są równoległe"
// otherwise, and "DistanceFromSLine: punkty takie same" for A = B = 0.
long double DistanceFromSLine(const TLineEquation& L1, const TLineEquation& L2);
// The parallel to Source through (X, Y).
void MakeLineThroughPoint(TLineEquation& L, const TLineEquation& Source, double X, double Y);
// L := Source; returns the change of C that moves the line by the distance D.
long double LineOffsetDelta(TLineEquation& L, const TLineEquation& Source, double D);
// The crossing of two lines rounded to multiples of 1/N. False for parallel
// lines (X untouched, Y := 0). N < 1 raises EGeometryError.
bool LineIntersection(const TLineEquation& L1, const TLineEquation& L2, double& X, double& Y,
                      std::int32_t N);
// The plane through three points. Raises EGeometryError "CalculateSurface:
// punkty takie same lub na jednej prostej" when their determinant is 0.
void CalculateSurface(TPlaneEquation& P, const TSpacePoint& P1, const TSpacePoint& P2,
                      const TSpacePoint& P3);
// Height of the plane at (X, Y). A vertical plane (C = 0) has no height there
// and raises EGeometryError.
double SurfaceZ(const TPlaneEquation& P, double X, double Y);
// Distance of (X, Y) from the line through (X1, Y1) and (X2, Y2); with
// X1 = X2 the line is taken as vertical (also for coincident points).
long double DistanceFromLine2P(double X1, double Y1, double X2, double Y2, double X, double Y);
// X rounded half away from zero to a multiple of 1/N. N < 1 raises
// EGeometryError (there is no such multiple).
double RoundRealToFraction(std::int32_t N, double X);
float RoundToFraction(std::int32_t N, float X);

// A terrain rectangle with a height: an item of owning lists, which free it.
// Plain data; one thread at a time.
class TRectZ : public TObject {
public:
  // Extent := MakeExtent(X1, Y1, X2, Y2), not normalised.
  TRectZ(double X1, double Y1, double X2, double Y2, double Z);

  TExtent Extent;
  double Z;
};

// A point: an item of owning lists of points, which free it. Plain data.
class TCoordObj : public TObject {
public:
  TCoordObj(double X, double Y) : X(X), Y(Y) {}

  double X;
  double Y;
};
