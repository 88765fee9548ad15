#include "foundation/extent.h"

#include <algorithm>
#include <utility>

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

namespace {

// Cohen-Sutherland outcode bits.
enum : unsigned {
  kBelowMinX = 1,
  kAboveMaxX = 2,
  kBelowMinY = 4,
  kAboveMaxY = 8,
};

unsigned OutCode(const TExtent& E, double X, double Y) {
  unsigned code = 0;
  if (X < E.MinX)
    code |= kBelowMinX;
  else if (X > E.MaxX)
    code |= kAboveMaxX;
  if (Y < E.MinY)
    code |= kBelowMinY;
  else if (Y > E.MaxY)
    code |= kAboveMaxY;
  return code;
}

}  // namespace

bool SegmentTouchesExtent(TExtent& E, double X1, double Y1, double X2, double Y2) {
  NormalizeExtent(E);
  // Each pass moves an outside end onto a border line; a few passes settle
  // every segment. The bound only guards against rounding ping-pong at a
  // corner.
  for (int pass = 0; pass < 16; ++pass) {
    unsigned c1 = OutCode(E, X1, Y1);
    const unsigned c2 = OutCode(E, X2, Y2);
    if (c1 == 0 && c2 == 0) return true;
    if ((c1 & c2) != 0) return false;
    if (c1 == 0) {
      std::swap(X1, X2);
      std::swap(Y1, Y2);
      c1 = c2;
    }
    if (c1 & kBelowMinX) {
      Y1 += (E.MinX - X1) * (Y2 - Y1) / (X2 - X1);
      X1 = E.MinX;
    } else if (c1 & kAboveMaxX) {
      Y1 += (E.MaxX - X1) * (Y2 - Y1) / (X2 - X1);
      X1 = E.MaxX;
    } else if (c1 & kBelowMinY) {
      X1 += (E.MinY - Y1) * (X2 - X1) / (Y2 - Y1);
      Y1 = E.MinY;
    } else {
      X1 += (E.MaxY - Y1) * (X2 - X1) / (Y2 - Y1);
      Y1 = E.MaxY;
    }
  }
  return false;
}

bool ExtentsOverlap(TExtent& A, const TExtent& B) {
  NormalizeExtent(A);
  TExtent b = B;
  NormalizeExtent(b);
  return std::max(A.MinX, b.MinX) < std::min(A.MaxX, b.MaxX) &&
         std::max(A.MinY, b.MinY) < std::min(A.MaxY, b.MaxY);
}
