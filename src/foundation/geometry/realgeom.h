// Value types of world geometry and the free functions on them: real points,
// 3D points, extended points, real rectangles, affine matrices and line
// coefficients. World coordinates are geodetic: X grows towards the top of the
// picture and Y towards the right; every function works on (X, Y) in that
// order. Plain values and pure functions: any thread may call them.
#pragma once

#include <string>

// A point of the world, in world units.
struct TRealPoint {
  double X = 0.0;
  double Y = 0.0;
  friend bool operator==(const TRealPoint&, const TRealPoint&) = default;
};

// A point with a height (0 when none was given); the graphic objects keep
// their end points and centres in this form.
struct TPointRec {
  double X = 0.0;
  double Y = 0.0;
  float Z = 0.0f;
  friend bool operator==(const TPointRec&, const TPointRec&) = default;
};

// A point in extended precision for world-to-device conversions.
struct TExtPoint {
  long double X = 0.0L;
  long double Y = 0.0L;
};

// A vector of two singles (symbol and line-style offsets).
struct TSingleVector {
  float X = 0.0f;
  float Y = 0.0f;
};

// Left and Right bound X, Top and Bottom bound Y. Empty when Left >= Right or
// Top >= Bottom; only the operations that build it normalise it.
struct TRealRect {
  double Left = 0.0;
  double Top = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;
  friend bool operator==(const TRealRect&, const TRealRect&) = default;
};

// X' = a*X + b*Y + c, Y' = d*X + e*Y + f; s is the scale that radii and
// lengths take under the matrix. A default matrix is the identity.
struct TAffineMatrix {
  double a = 1.0, b = 0.0, c = 0.0;
  double d = 0.0, e = 1.0, f = 0.0;
  double s = 1.0;
};

// The line A*x + B*y + C = 0 in coordinates relative to a chosen origin, so
// that map coordinates of hundreds of kilometres keep their precision.
struct TLineABC {
  long double A = 0.0L;
  long double B = 0.0L;
  long double C = 0.0L;
};

// Result of IntersectLinesABC; callers test only for lcCrossing.
enum TLinesIntersection : int {
  lcParallel = 0,  // parallel, distinct
  lcCrossing = 1,  // one crossing point
  lcSame = 2,      // the same line
};

// Points.
TRealPoint RealPoint(double X, double Y);
TPointRec MakePointRec(double X, double Y, float Z = 0.0f);
TExtPoint RealToExtPair(double X, double Y);
// Equal within a tolerance of 1e-14 relative to the coordinates' magnitude
// (exact equality at 0).
bool SameRealPoint(const TRealPoint& P, const TRealPoint& Q);
// 0 when SameRealPoint, else by X, then by Y.
int CompareRealPoints(const TRealPoint& P, const TRealPoint& Q);
// Foot of the perpendicular from P onto the line through L with direction D
// (L itself when D is the zero vector).
TRealPoint PerpendicularFoot(const TRealPoint& L, const TRealPoint& D, const TRealPoint& P);
// Centre C of the circle of radius R through P1 and P2, on the right of the
// direction P1 -> P2 (X up, Y right). R is enlarged by 1e-5 first. False, and
// C untouched, for coincident points or points farther apart than 2R.
bool CircleCenterThroughTwoPoints(const TRealPoint& P1, const TRealPoint& P2, double R,
                                  TRealPoint& C);
// Direction of (DX, DY) in [0, 2*pi), measured from +Y turning away from +X.
long double ClockwiseAngle(double DX, double DY);

// Rectangles.
TRealRect RealRect(double X1, double Y1, double X2, double Y2);
void NormalizeRealRect(TRealRect& R);
TRealRect UnionRealRect(const TRealRect& A, const TRealRect& B);
// Not normalised: empty when A and B do not overlap with positive area.
TRealRect IntersectRealRect(const TRealRect& A, const TRealRect& B);
bool IsEmptyRealRect(const TRealRect& R);
TRealRect OffsetRealRect(const TRealRect& A, const TRealPoint& D);
void InflateRealRect(TRealRect& R, double DX, double DY);
// Borders inside.
bool RealRectContainsPoint(const TRealRect& R, const TRealPoint& P);
// Clips the segment P1-P2 to R in place; true when a part of it, border
// included, lies in R. On false the ends may already have been moved.
bool ClipRealSegment(TRealPoint& P1, TRealPoint& P2, const TRealRect& R);

// Affine matrices.
TRealPoint AffineTransformPoint(const TAffineMatrix& M, const TRealPoint& P);
// Without the translation.
TSingleVector AffineTransformVectorS(const TAffineMatrix& M, const TSingleVector& V);
// The direction Angle takes under M, in [-pi, pi].
double TransformAngle(const TAffineMatrix& M, double Angle);
// Raises EInternalError "Macierz nieodwracalna" for a singular matrix.
TAffineMatrix InvertAffineMatrix(const TAffineMatrix& M);

// Lines, relative to the origin O.
TLineABC LineABC(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint& O);
// P (relative to the coefficients' origin) is written only for lcCrossing.
TLinesIntersection IntersectLinesABC(const TLineABC& L1, const TLineABC& L2, TRealPoint& P);

// Fixed notation with 10 decimals and a full stop, trailing zeros and a
// trailing full stop removed: 12.5 -> "12.5", 100 -> "100".
std::string FloatToText(double V);
