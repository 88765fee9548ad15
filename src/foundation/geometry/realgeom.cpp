#include "foundation/geometry/realgeom.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "foundation/errors.h"

TRealPoint RealPoint(double X, double Y) { return TRealPoint{X, Y}; }

TPointRec MakePointRec(double X, double Y, float Z) { return TPointRec{X, Y, Z}; }

TExtPoint RealToExtPair(double X, double Y) { return TExtPoint{X, Y}; }

bool SameRealPoint(const TRealPoint& P, const TRealPoint& Q) {
  return std::fabs(P.X - Q.X) <= std::fabs((P.X + Q.X) * 0.5 * 1e-14) &&
         std::fabs(P.Y - Q.Y) <= std::fabs((P.Y + Q.Y) * 0.5 * 1e-14);
}

int CompareRealPoints(const TRealPoint& P, const TRealPoint& Q) {
  if (SameRealPoint(P, Q)) return 0;
  if (P.X < Q.X) return -1;
  if (P.X > Q.X) return 1;
  if (P.Y < Q.Y) return -1;
  if (P.Y > Q.Y) return 1;
  return 0;
}

TRealPoint PerpendicularFoot(const TRealPoint& L, const TRealPoint& D, const TRealPoint& P) {
  if (D.X == 0.0 && D.Y == 0.0) return L;
  if (D.X == 0.0) return TRealPoint{L.X, P.Y};
  // Position along the line from L, so that the foot stays exact at map
  // coordinates of millions of metres even for nearly vertical directions
  // (solving the line equation for Y divides by the tiny D.X there).
  const long double dx = D.X;
  const long double dy = D.Y;
  const long double t = ((P.X - static_cast<long double>(L.X)) * dx +
                         (P.Y - static_cast<long double>(L.Y)) * dy) /
                        (dx * dx + dy * dy);
  return TRealPoint{static_cast<double>(L.X + t * dx), static_cast<double>(L.Y + t * dy)};
}

bool CircleCenterThroughTwoPoints(const TRealPoint& P1, const TRealPoint& P2, double R,
                                  TRealPoint& C) {
  R += 1e-5;
  const double dx = P2.X - P1.X;
  const double dy = P2.Y - P1.Y;
  const double q = dx * dx + dy * dy;
  if (q == 0.0) return false;
  const double s = q * q + 2.0 * q * (2.0 * R * R - q);
  if (s < 0.0) return false;
  const double t = std::sqrt(s) / (2.0 * q);
  C.X = (P1.X + P2.X) / 2.0 + t * (P1.Y - P2.Y);
  C.Y = (P1.Y + P2.Y) / 2.0 + t * (P2.X - P1.X);
  return true;
}

long double ClockwiseAngle(double DX, double DY) {
  constexpr long double pi = std::numbers::pi_v<long double>;
  if (DY == 0.0) return DX > 0.0 ? 1.5L * pi : 0.5L * pi;
  long double a = -std::atan2(static_cast<long double>(DX), static_cast<long double>(DY));
  if (a < 0.0L) a += 2.0L * pi;
  return a;
}

TRealRect RealRect(double X1, double Y1, double X2, double Y2) {
  return TRealRect{std::fmin(X1, X2), std::fmin(Y1, Y2), std::fmax(X1, X2), std::fmax(Y1, Y2)};
}

void NormalizeRealRect(TRealRect& R) {
  if (R.Left > R.Right) std::swap(R.Left, R.Right);
  if (R.Top > R.Bottom) std::swap(R.Top, R.Bottom);
}

TRealRect UnionRealRect(const TRealRect& A, const TRealRect& B) {
  return TRealRect{std::fmin(A.Left, B.Left), std::fmin(A.Top, B.Top),
                   std::fmax(A.Right, B.Right), std::fmax(A.Bottom, B.Bottom)};
}

TRealRect IntersectRealRect(const TRealRect& A, const TRealRect& B) {
  return TRealRect{std::fmax(A.Left, B.Left), std::fmax(A.Top, B.Top),
                   std::fmin(A.Right, B.Right), std::fmin(A.Bottom, B.Bottom)};
}

bool IsEmptyRealRect(const TRealRect& R) { return R.Left >= R.Right || R.Top >= R.Bottom; }

TRealRect OffsetRealRect(const TRealRect& A, const TRealPoint& D) {
  return TRealRect{A.Left + D.X, A.Top + D.Y, A.Right + D.X, A.Bottom + D.Y};
}

void InflateRealRect(TRealRect& R, double DX, double DY) {
  R.Left -= DX;
  R.Right += DX;
  R.Top -= DY;
  R.Bottom += DY;
}

bool RealRectContainsPoint(const TRealRect& R, const TRealPoint& P) {
  return R.Left <= P.X && P.X <= R.Right && R.Top <= P.Y && P.Y <= R.Bottom;
}

namespace {

// Cohen-Sutherland outcode bits.
enum : unsigned {
  kClipLeft = 1,
  kClipRight = 2,
  kClipTop = 4,
  kClipBottom = 8,
};

unsigned OutCode(const TRealPoint& P, const TRealRect& R) {
  unsigned code = 0;
  if (P.X < R.Left)
    code |= kClipLeft;
  else if (P.X > R.Right)
    code |= kClipRight;
  if (P.Y < R.Top)
    code |= kClipTop;
  else if (P.Y > R.Bottom)
    code |= kClipBottom;
  return code;
}

// Each end moves at most twice onto a normalised rectangle's borders; the bound
// only stops a ping-pong caused by rounding or by an unnormalised rectangle.
constexpr int kMaxClipSteps = 16;

}  // namespace

bool ClipRealSegment(TRealPoint& P1, TRealPoint& P2, const TRealRect& R) {
  for (int step = 0; step < kMaxClipSteps; ++step) {
    const unsigned c1 = OutCode(P1, R);
    const unsigned c2 = OutCode(P2, R);
    if (c1 == 0 && c2 == 0) return true;
    if ((c1 & c2) != 0) return false;
    TRealPoint& p = c1 != 0 ? P1 : P2;
    const TRealPoint& o = c1 != 0 ? P2 : P1;
    const unsigned code = c1 != 0 ? c1 : c2;
    if (code & kClipLeft) {
      p.Y = p.Y + (R.Left - p.X) * (o.Y - p.Y) / (o.X - p.X);
      p.X = R.Left;
    } else if (code & kClipRight) {
      p.Y = p.Y + (R.Right - p.X) * (o.Y - p.Y) / (o.X - p.X);
      p.X = R.Right;
    } else if (code & kClipTop) {
      p.X = p.X + (R.Top - p.Y) * (o.X - p.X) / (o.Y - p.Y);
      p.Y = R.Top;
    } else {
      p.X = p.X + (R.Bottom - p.Y) * (o.X - p.X) / (o.Y - p.Y);
      p.Y = R.Bottom;
    }
  }
  return false;
}

TRealPoint AffineTransformPoint(const TAffineMatrix& M, const TRealPoint& P) {
  return TRealPoint{M.a * P.X + M.b * P.Y + M.c, M.d * P.X + M.e * P.Y + M.f};
}

TSingleVector AffineTransformVectorS(const TAffineMatrix& M, const TSingleVector& V) {
  return TSingleVector{static_cast<float>(M.a * V.X + M.b * V.Y),
                       static_cast<float>(M.d * V.X + M.e * V.Y)};
}

double TransformAngle(const TAffineMatrix& M, double Angle) {
  const double sn = std::sin(Angle);
  const double cs = std::cos(Angle);
  return std::atan2(M.a * sn - M.b * cs, M.e * cs - M.d * sn);
}

TAffineMatrix InvertAffineMatrix(const TAffineMatrix& M) {
  const long double det = static_cast<long double>(M.a) * M.e - static_cast<long double>(M.d) * M.b;
  if (det == 0.0L) throw EInternalError("Macierz nieodwracalna");
  TAffineMatrix r;
  r.a = static_cast<double>(M.e / det);
  r.b = static_cast<double>(-M.b / det);
  r.c = static_cast<double>((static_cast<long double>(M.b) * M.f - static_cast<long double>(M.e) * M.c) / det);
  r.d = static_cast<double>(-M.d / det);
  r.e = static_cast<double>(M.a / det);
  r.f = static_cast<double>((static_cast<long double>(M.d) * M.c - static_cast<long double>(M.a) * M.f) / det);
  r.s = (r.a + r.e) * 0.5;
  return r;
}

TLineABC LineABC(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint& O) {
  TLineABC l;
  l.A = static_cast<long double>(P1.Y) - P2.Y;
  l.B = static_cast<long double>(P2.X) - P1.X;
  l.C = -l.A * (static_cast<long double>(P1.X) - O.X) - l.B * (static_cast<long double>(P1.Y) - O.Y);
  return l;
}

TLinesIntersection IntersectLinesABC(const TLineABC& L1, const TLineABC& L2, TRealPoint& P) {
  const double det = static_cast<double>(L1.A * L2.B - L2.A * L1.B);
  if (det != 0.0) {
    P.X = static_cast<double>((L1.B * L2.C - L2.B * L1.C) / det);
    P.Y = static_cast<double>((L1.C * L2.A - L2.C * L1.A) / det);
    return lcCrossing;
  }
  const double ac = static_cast<double>(L1.A * L2.C - L2.A * L1.C);
  const double bc = static_cast<double>(L1.B * L2.C - L2.B * L1.C);
  return ac == 0.0 && bc == 0.0 ? lcSame : lcParallel;
}

std::string FloatToText(double V) {
  // Fixed notation of the largest double needs some 320 characters.
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::fixed, 10);
  std::string s(buf, res.ptr);
  const auto dot = s.find('.');
  if (dot != std::string::npos) {
    const auto last = s.find_last_not_of('0');
    s.erase(last == dot ? dot : last + 1);
  }
  // A value that rounds to zero reads as 0, not -0.
  if (s == "-0") s = "0";
  return s;
}
