#include "foundation/geometry/extent.h"

#include <algorithm>
#include <utility>

#include "foundation/geometry/realgeom.h"

TExtent MakeExtent(double X1, double Y1, double X2, double Y2) {
  return TExtent{X1, X2, Y1, Y2};
}

void ClearExtent(TExtent& E) {
  E.MinX = kEmptyExtentBound;
  E.MinY = kEmptyExtentBound;
  E.MaxX = -kEmptyExtentBound;
  E.MaxY = -kEmptyExtentBound;
}

void ZeroExtent(TExtent& E) { E = TExtent{0, 0, 0, 0}; }

void NormalizeExtent(TExtent& E) {
  if (E.MinX > E.MaxX) std::swap(E.MinX, E.MaxX);
  if (E.MinY > E.MaxY) std::swap(E.MinY, E.MaxY);
}

void InflateExtent(TExtent& E, double DX, double DY) {
  NormalizeExtent(E);
  E.MinX -= DX;
  E.MaxX += DX;
  E.MinY -= DY;
  E.MaxY += DY;
}

void ExtentAddPoint(TExtent& E, double X, double Y) {
  if (E.MinX > X) E.MinX = X;
  if (E.MaxX < X) E.MaxX = X;
  if (E.MinY > Y) E.MinY = Y;
  if (E.MaxY < Y) E.MaxY = Y;
}

void UnionExtent(TExtent& E, const TExtent& Other) {
  if (E.MinX > Other.MinX) E.MinX = Other.MinX;
  if (E.MaxX < Other.MaxX) E.MaxX = Other.MaxX;
  if (E.MinY > Other.MinY) E.MinY = Other.MinY;
  if (E.MaxY < Other.MaxY) E.MaxY = Other.MaxY;
}

void SwapExtentAxes(TExtent& E, const TExtent& Source) {
  const TExtent s = Source;  // Source may be E itself
  E.MinX = s.MinY;
  E.MaxX = s.MaxY;
  E.MinY = s.MinX;
  E.MaxY = s.MaxX;
}

bool ExtentContainsPoint(const TExtent& E, double X, double Y) {
  return E.MinX <= X && X <= E.MaxX && E.MinY <= Y && Y <= E.MaxY;
}

bool ExtentContainsPointOpenY(const TExtent& E, double X, double Y) {
  return E.MinX <= X && X <= E.MaxX && E.MinY < Y && Y < E.MaxY;
}

bool SegmentTouchesExtent(TExtent& E, double X1, double Y1, double X2, double Y2) {
  NormalizeExtent(E);
  TRealPoint p1{X1, Y1};
  TRealPoint p2{X2, Y2};
  return ClipRealSegment(p1, p2, TRealRect{E.MinX, E.MinY, E.MaxX, E.MaxY});
}

bool ExtentsOverlap(TExtent& A, const TExtent& B) {
  NormalizeExtent(A);
  TExtent b = B;
  NormalizeExtent(b);
  return std::max(A.MinX, b.MinX) < std::min(A.MaxX, b.MaxX) &&
         std::max(A.MinY, b.MinY) < std::min(A.MaxY, b.MaxY);
}
