#include "objects/clipbounds.h"

#include <cmath>
#include <utility>

namespace {

constexpr int kAllEdges = 15;

TRealPoint Sub(const TRealPoint& P, const TRealPoint& Q) {
  return TRealPoint{P.X - Q.X, P.Y - Q.Y};
}
TRealPoint Add(const TRealPoint& P, const TRealPoint& Q) {
  return TRealPoint{P.X + Q.X, P.Y + Q.Y};
}

double Cross(const TRealPoint& V, const TRealPoint& Q) { return V.Y * Q.X - V.X * Q.Y; }

// Bits of the edges Q (relative to O) lies beyond: 0 and 1 the edges along
// B, 2 and 3 those along A. 0 is inside.
int Code(const TOcclusionBox& Box, const TRealPoint& Q) {
  const TRealPoint far = Add(Box.A, Box.B);
  int code = 0;
  if (Cross(Box.B, Q) > 0)
    code |= 1;
  else if (Cross(Box.B, Sub(Q, far)) <= 0)
    code |= 2;
  if (Cross(Box.A, Q) <= 0)
    code |= 4;
  else if (Cross(Box.A, Sub(Q, far)) > 0)
    code |= 8;
  return code;
}

}  // namespace

TCutResult CutSegmentByBox(const TOcclusionBox& Box, TRealEnds& Seg, TRealEnds& Second) {
  const TRealPoint far = Add(Box.A, Box.B);
  TRealPoint q1 = Sub(Seg[0], Box.O);
  TRealPoint q2 = Sub(Seg[1], Box.O);
  int c1 = Code(Box, q1);
  int c2 = Code(Box, q2);
  int m1 = kAllEdges;
  int m2 = kAllEdges;
  if (c1 == 0 && c2 == 0) return TCutResult::Hidden;
  // Every pass clears one bit of a mask, so the loop ends within eight.
  while (c1 != 0 || c2 != 0) {
    if ((c1 & c2) != 0) return TCutResult::OnePiece;
    if (c1 == 0) {
      std::swap(q1, q2);
      std::swap(c1, c2);
      std::swap(m1, m2);
    }
    const int bit = c1 & -c1;
    const TRealPoint& along = (bit & 3) != 0 ? Box.B : Box.A;
    const TRealPoint base = (bit & 5) != 0 ? TRealPoint{} : far;
    const TRealPoint d = Sub(q2, q1);
    const double den = Cross(along, d);
    // Parallel to the edge line: the segment cannot reach the box there.
    if (den == 0 || !std::isfinite(den)) return TCutResult::OnePiece;
    const double t = -Cross(along, Sub(q1, base)) / den;
    q1 = TRealPoint{q1.X + t * d.X, q1.Y + t * d.Y};
    m1 &= ~bit;
    c1 = Code(Box, q1) & m1;
    c2 = Code(Box, q2) & m2;
  }
  const TRealPoint h1 = Add(Box.O, q1);
  const TRealPoint h2 = Add(Box.O, q2);
  const double d1 = std::fabs(h1.X - Seg[0].X) + std::fabs(h1.Y - Seg[0].Y);
  const double d2 = std::fabs(h2.X - Seg[0].X) + std::fabs(h2.Y - Seg[0].Y);
  Second[1] = Seg[1];
  // Near: the hidden end nearer Seg[0]; far: the other one.
  const bool firstNear = d2 > d1;
  const TRealPoint& nearEnd = firstNear ? h1 : h2;
  const TRealPoint& farEnd = firstNear ? h2 : h1;
  const int nearMask = firstNear ? m1 : m2;
  const int farMask = firstNear ? m2 : m1;
  if (nearMask == kAllEdges) {
    Seg[0] = farEnd;
    return TCutResult::OnePiece;
  }
  Seg[1] = nearEnd;
  if (farMask != kAllEdges) {
    Second[0] = farEnd;
    return TCutResult::TwoPieces;
  }
  return TCutResult::OnePiece;
}

TCutResult TTextBounds::CutSegment(TRealEnds& Seg, TRealEnds& Second) const {
  return CutSegmentByBox(Box, Seg, Second);
}

TCutResult TSymbolCircleBounds::CutSegment(TRealEnds& Seg, TRealEnds& Second) const {
  if (!(Radius > 0)) return TCutResult::OnePiece;
  // Points P0 + t*D, 0 <= t <= 1; the circle holds t1 <= t <= t2.
  const TRealPoint d = Sub(Seg[1], Seg[0]);
  const TRealPoint f = Sub(Seg[0], Centre);
  const double a = d.X * d.X + d.Y * d.Y;
  const double b = 2 * (f.X * d.X + f.Y * d.Y);
  const double c = f.X * f.X + f.Y * f.Y - Radius * Radius;
  if (a == 0) return c < 0 ? TCutResult::Hidden : TCutResult::OnePiece;
  const double disc = b * b - 4 * a * c;
  if (!(disc > 0)) return TCutResult::OnePiece;
  const double root = std::sqrt(disc);
  const double t1 = (-b - root) / (2 * a);
  const double t2 = (-b + root) / (2 * a);
  if (t2 <= 0 || t1 >= 1) return TCutResult::OnePiece;
  auto at = [&](double t) { return TRealPoint{Seg[0].X + t * d.X, Seg[0].Y + t * d.Y}; };
  Second[1] = Seg[1];
  if (t1 <= 0 && t2 >= 1) return TCutResult::Hidden;
  if (t1 <= 0) {
    Seg[0] = at(t2);
    return TCutResult::OnePiece;
  }
  if (t2 >= 1) {
    Seg[1] = at(t1);
    return TCutResult::OnePiece;
  }
  Second[0] = at(t2);
  Seg[1] = at(t1);
  return TCutResult::TwoPieces;
}
