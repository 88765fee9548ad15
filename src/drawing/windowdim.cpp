#include "drawing/windowdim.h"

#include <algorithm>
#include <cmath>

#include "foundation/geometry/rounding.h"

namespace {

// Largest world extent a window may take.
constexpr double kMaxExtent = 1e12;
// Above this many world units per pixel the precision rule of MinExtent is
// replaced by a fixed fraction of the device size.
constexpr double kMaxUnitsPerPixel = 16777215.0;

// Pixel values are clamped well inside the 64-bit range before rounding and
// saturate at the 32-bit range afterwards, so a point far outside the window
// lands beyond the device edge on its own side instead of wrapping around.
constexpr long double kRoundLimit = 1099511627776.0L;  // 2^40

std::int64_t RoundPixel(long double V) {
  if (V > kRoundLimit)
    V = kRoundLimit;
  else if (V < -kRoundLimit)
    V = -kRoundLimit;
  return Round(V);  // raises EInternalError for NaN
}

// The pixel rounding of the unrotated hot path, in doubles: adding and taking
// away 1.5 * 2^52 rounds to the nearest integer with halves to even (the
// processor's rounding, which the program never changes) for every value
// inside the clamp. Values outside it, and NaN, take the exact path.
std::int64_t RoundPixelFast(double V) {
  constexpr double kLimit = static_cast<double>(kRoundLimit);
  if (!(V > -kLimit && V < kLimit)) return RoundPixel(V);
  constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
  const double shifted = V + kShift;  // not folded: floating-point sums do not reassociate
  return static_cast<std::int64_t>(shifted - kShift);
}

bool IsFiniteRect(const TRealRect& R) {
  return std::isfinite(R.Left) && std::isfinite(R.Top) && std::isfinite(R.Right) &&
         std::isfinite(R.Bottom);
}

}  // namespace

TWindowDim::TWindowDim(TClientAreaControl* Control) : Control(Control) {}

TObject* TWindowDim::GetDevice() const { return nullptr; }

bool TWindowDim::FitWindow(const TRealRect& R) {
  TRealRect r = R;
  if (!IsFiniteRect(r) || IsEmptyRealRect(r)) return false;
  if (r.Right - r.Left < MinExtent || r.Bottom - r.Top < MinExtent) return false;
  if (r.Right - r.Left > kMaxExtent) r.Right = r.Left + kMaxExtent;
  if (r.Bottom - r.Top > kMaxExtent) r.Bottom = r.Top + kMaxExtent;
  if (Control == nullptr) return false;

  // Two pixels of margin inside the client area, never beyond the device.
  const std::int32_t w = std::min(Control->ClientWidth() - 2, Width);
  const std::int32_t h = std::min(Control->ClientHeight() - 2, Height);
  if (w <= 0 || h <= 0) return false;

  const double dX = r.Right - r.Left;
  const double dY = r.Bottom - r.Top;
  const double ratio = static_cast<double>(w) / h;
  if (dX * ratio < dY) {
    const double nX = dY / ratio;
    r.Left = (r.Left + r.Right - nX) * 0.5;
    r.Right = r.Left + nX;
  } else {
    const double nY = dX * ratio;
    r.Top = (r.Top + r.Bottom - nY) * 0.5;
    r.Bottom = r.Top + nY;
  }
  ScaleX = h / (r.Right - r.Left);
  ScaleY = w / (r.Bottom - r.Top);

  // The window covers the whole device, and the whole turned device when
  // rotated.
  const TRealPoint e = DeviceExtent();
  r.Left = (r.Left + r.Right - e.X) * 0.5;
  r.Right = r.Left + e.X;
  r.Top = (r.Top + r.Bottom - e.Y) * 0.5;
  r.Bottom = r.Top + e.Y;

  if (r.Left == X1 && r.Top == Y1 && r.Right == X2 && r.Bottom == Y2) return false;
  X1 = r.Left;
  Y1 = r.Top;
  X2 = r.Right;
  Y2 = r.Bottom;
  UpdateMinExtent();
  return true;
}

bool TWindowDim::SetWorldRect(const TRealRect& R) {
  if (!IsFiniteRect(R)) return false;
  const double dX = R.Right - R.Left;
  const double dY = R.Bottom - R.Top;
  if (dX < MinExtent || dY < MinExtent || dX > kMaxExtent || dY > kMaxExtent) return false;
  if (R.Left == X1 && R.Top == Y1 && R.Right == X2 && R.Bottom == Y2) return false;
  if (IsEmptyRealRect(R)) return false;
  X1 = R.Left;
  Y1 = R.Top;
  X2 = R.Right;
  Y2 = R.Bottom;
  ScaleX = Height / (X2 - X1);
  ScaleY = Width / (Y2 - Y1);
  UpdateMinExtent();
  return true;
}

void TWindowDim::Zoom(double Factor) {
  if (!(Factor > 0.0) || !std::isfinite(Factor)) return;
  const double nX = (X2 - X1) * Factor;
  const double nY = (Y2 - Y1) * Factor;
  if (Factor < 1.0 && (nX < MinExtent || nY < MinExtent)) return;
  if (Factor > 1.0 && (nX > kMaxExtent || nY > kMaxExtent)) return;
  X1 = (X1 + X2 - nX) * 0.5;
  Y1 = (Y1 + Y2 - nY) * 0.5;
  X2 = X1 + nX;
  Y2 = Y1 + nY;
  ScaleX /= Factor;
  ScaleY /= Factor;
  UpdateMinExtent();
}

void TWindowDim::Offset(double DX, double DY) {
  X1 += DX;
  X2 += DX;
  Y1 += DY;
  Y2 += DY;
}

void TWindowDim::SetAngle(double A) {
  if (!FRotated && A != 0.0) {
    const double dX = X2 - X1;
    const double dY = Y2 - Y1;
    const double k = DiagonalRatio(dX, dY);
    X1 = (X1 + X2 - dX * k) * 0.5;
    X2 = X1 + dX * k;
    Y1 = (Y1 + Y2 - dY * k) * 0.5;
    Y2 = Y1 + dY * k;
  }
  FAngle = A;
  FRotated = A != 0.0;
  FSinA = std::sin(static_cast<long double>(A));
  FCosA = std::cos(static_cast<long double>(A));
}

void TWindowDim::SetClientSize(std::int32_t W, std::int32_t H) {
  if (W == Width && H == Height && ScaleX != 0.0) return;
  Width = W;
  Height = H;
  if (ScaleX == 0.0) {
    FitWindow(RealRect(X1, Y1, X2, Y2));
    return;
  }
  const TRealPoint e = DeviceExtent();
  X2 = X1 + e.X;
  Y2 = Y1 + e.Y;
}

TRealPoint TWindowDim::DeviceExtent() const {
  double eX = Height / ScaleX;
  double eY = Width / ScaleY;
  if (FRotated) {
    const double k = DiagonalRatio(eX, eY);
    eX *= k;
    eY *= k;
  }
  return TRealPoint{eX, eY};
}

void TWindowDim::SetDeviceSize(std::int32_t W, std::int32_t H) {
  Width = W;
  Height = H;
  ScaleX = H / (X2 - X1);
  ScaleY = W / (Y2 - Y1);
}

void TWindowDim::SetScales(double NewScaleX, double NewScaleY) {
  ScaleX = NewScaleX;
  ScaleY = NewScaleY;
  X2 = X1 + Height / ScaleX;
  Y2 = Y1 + Width / ScaleY;
}

void TWindowDim::UpdateMinExtent() {
  // The window may not shrink below the precision that the magnitude of its
  // coordinates leaves.
  MinExtent = (std::fabs(X1) + std::fabs(Y1) + std::fabs(X2) + std::fabs(Y2)) * 1e-10;
  const std::int32_t m = std::max(Width, Height);
  if (m <= 0) {
    // Not sized yet: the device-size rule, with no pixel, gives 0.
    MinExtent = 0.0;
    return;
  }
  const double unitsPerPixel = std::max((Y2 - Y1) / m, (X2 - X1) / m);
  if (unitsPerPixel > kMaxUnitsPerPixel) MinExtent = m * (1.0 / 2147483647.0) * 128.0;
}

TRealPoint TWindowDim::WindowCentre() const {
  return TRealPoint{(X1 + X2) * 0.5, (Y1 + Y2) * 0.5};
}

TPoint TWindowDim::WorldToDevicePt(const TRealPoint& P) const {
  if (!FRotated) {
    const std::int64_t x = RoundPixelFast((P.Y - Y1) * ScaleY);
    const std::int64_t y = Height - RoundPixelFast((P.X - X1) * ScaleX);
    return TPoint{SaturateInt32(x), SaturateInt32(y)};
  }
  const TRealPoint c = WindowCentre();
  TExtPoint t;
  Rotate(TExtPoint{static_cast<long double>(P.X) - c.X, static_cast<long double>(P.Y) - c.Y}, +1,
         t);
  const std::int64_t x = RoundPixel(t.Y * ScaleY + Width * 0.5L);
  const std::int64_t y = Height / 2 - RoundPixel(t.X * ScaleX);
  return TPoint{SaturateInt32(x), SaturateInt32(y)};
}

TRealPoint TWindowDim::WorldToDeviceReal(const TRealPoint& P) const {
  if (!FRotated) {
    return TRealPoint{static_cast<double>((static_cast<long double>(P.Y) - Y1) * ScaleY),
                      static_cast<double>(Height - (static_cast<long double>(P.X) - X1) * ScaleX)};
  }
  const TRealPoint c = WindowCentre();
  TExtPoint t;
  Rotate(TExtPoint{static_cast<long double>(P.X) - c.X, static_cast<long double>(P.Y) - c.Y}, +1,
         t);
  return TRealPoint{static_cast<double>(t.Y * ScaleY + Width * 0.5L),
                    static_cast<double>((Height / 2) - t.X * ScaleX)};
}

TRealPoint TWindowDim::DeviceToWorldReal(const TRealPoint& D) const {
  if (!FRotated) {
    return TRealPoint{static_cast<double>((Height - static_cast<long double>(D.Y)) / ScaleX + X1),
                      static_cast<double>(static_cast<long double>(D.X) / ScaleY + Y1)};
  }
  // The half height is the integer one, as in the forward mapping, so a round
  // trip through a view of odd height stays on its pixel.
  const long double u = ((Height / 2) - static_cast<long double>(D.Y)) / ScaleX;
  const long double v = (static_cast<long double>(D.X) - Width * 0.5L) / ScaleY;
  TExtPoint t;
  Rotate(TExtPoint{u, v}, -1, t);
  const TRealPoint c = WindowCentre();
  return TRealPoint{static_cast<double>(c.X + t.X), static_cast<double>(c.Y + t.Y)};
}

TRealPoint TWindowDim::DeviceToWorldPt(const TPoint& D) const {
  return DeviceToWorldReal(TRealPoint{static_cast<double>(D.X), static_cast<double>(D.Y)});
}

TPoint TWindowDim::WorldVectorToDevice(const TRealPoint& V) const {
  if (!FRotated) return WorldDeltaToDevice(V);
  TExtPoint t;
  Rotate(TExtPoint{V.X, V.Y}, +1, t);
  return TPoint{SaturateInt32(RoundPixel(t.Y * ScaleY)),
                SaturateInt32(RoundPixel(t.X * ScaleX))};
}

TPoint TWindowDim::WorldDeltaToDevice(const TRealPoint& V) const {
  return TPoint{SaturateInt32(RoundPixel(static_cast<long double>(V.Y) * ScaleY)),
                SaturateInt32(RoundPixel(static_cast<long double>(V.X) * ScaleX))};
}

TRealPoint TWindowDim::WorldDeltaToDeviceReal(const TRealPoint& V) const {
  return TRealPoint{V.Y * ScaleY, V.X * ScaleX};
}

TRealPoint TWindowDim::DeviceVectorToWorld(const TPoint& D) const {
  const TRealPoint w = DeviceToWorldSize(D);
  if (!FRotated) return w;
  TExtPoint t;
  Rotate(TExtPoint{w.X, w.Y}, -1, t);
  return TRealPoint{static_cast<double>(t.X), static_cast<double>(t.Y)};
}

TRealPoint TWindowDim::DeviceToWorldSize(const TPoint& D) const {
  return TRealPoint{D.Y / ScaleX, D.X / ScaleY};
}

std::int32_t TWindowDim::WorldLengthToPixels(double L) const {
  return SaturateInt32(RoundPixel((static_cast<long double>(ScaleX) + ScaleY) * L * 0.5L));
}

double TWindowDim::GetScale() const { return (ScaleX + ScaleY) * 0.5; }

void TWindowDim::Rotate(const TExtPoint& In, int Dir, TExtPoint& Out) const {
  const long double s = Dir * FSinA;
  const TExtPoint in = In;  // Out may be In
  Out.X = in.X * FCosA - in.Y * s;
  Out.Y = in.X * s + in.Y * FCosA;
}

double TWindowDim::DiagonalRatio(double A, double B) {
  return std::hypot(A, B) / (B < A ? B : A);
}

bool TWindowDim::PointInWindow(const TRealPoint& P) const {
  return X1 <= P.X && P.X <= X2 && Y1 <= P.Y && P.Y <= Y2;
}

bool TWindowDim::RectVisible(const TRealRect& R) const {
  return std::min(R.Bottom, Y2) > std::max(R.Top, Y1) &&
         std::min(R.Right, X2) > std::max(R.Left, X1);
}

bool TWindowDim::RectInWindow(const TRealRect& R) const {
  return R.Left >= X1 && R.Right <= X2 && R.Top >= Y1 && R.Bottom <= Y2;
}

bool TWindowDim::RectCoversWindow(const TRealRect& R) const {
  return R.Left < X1 && R.Right > X2 && R.Top < Y1 && R.Bottom > Y2;
}

TRealRect TWindowDim::ViewAlignedRect(const TRealRect& R) const {
  TRealRect result = R;
  if (!FRotated) {
    NormalizeRealRect(result);
    return result;
  }
  TExtPoint a;
  TExtPoint b;
  Rotate(TExtPoint{R.Left, R.Top}, +1, a);
  Rotate(TExtPoint{R.Right, R.Bottom}, +1, b);
  TExtPoint lo{std::min(a.X, b.X), std::min(a.Y, b.Y)};
  TExtPoint hi{std::max(a.X, b.X), std::max(a.Y, b.Y)};
  Rotate(lo, -1, lo);
  Rotate(hi, -1, hi);
  return TRealRect{static_cast<double>(lo.X), static_cast<double>(lo.Y),
                   static_cast<double>(hi.X), static_cast<double>(hi.Y)};
}

TRealPoint TWindowDim::GetTopLeft(const TRealRect& R) const {
  if (!FRotated) return TRealPoint{R.Right, R.Top};
  TExtPoint a;
  TExtPoint b;
  Rotate(TExtPoint{R.Left, R.Top}, +1, a);
  Rotate(TExtPoint{R.Right, R.Bottom}, +1, b);
  TExtPoint t;
  Rotate(TExtPoint{b.X, a.Y}, -1, t);
  return TRealPoint{static_cast<double>(t.X), static_cast<double>(t.Y)};
}

bool TWindowDim::ProductGreater(double A, double B, double C, double D) { return B * C > A * D; }

bool TWindowDim::SegmentsCross(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint& Q1,
                               const TRealPoint& Q2) {
  const double dX = P2.X - P1.X;
  const double dY = P2.Y - P1.Y;
  const bool s1 = ProductGreater(Q1.X - P1.X, Q1.Y - P1.Y, dX, dY);
  const bool s2 = ProductGreater(Q2.X - P1.X, Q2.Y - P1.Y, dX, dY);
  if (s1 == s2) return false;
  const double eX = Q1.X - Q2.X;
  const double eY = Q1.Y - Q2.Y;
  const bool t1 = ProductGreater(P2.X - Q2.X, P2.Y - Q2.Y, eX, eY);
  const bool t2 = ProductGreater(P1.X - Q2.X, P1.Y - Q2.Y, eX, eY);
  return t1 != t2;
}

TDPIWindowDim::TDPIWindowDim(const TWindowDim& Source, double NewScaleX, double NewScaleY,
                             const TPoint& Origin)
    : TWindowDim(nullptr), OriginX(Origin.X), OriginY(Origin.Y) {
  // Every point counts as visible.
  X1 = -1e308;
  Y1 = -1e308;
  X2 = 1e308;
  Y2 = 1e308;
  Width = Source.Width;
  Height = Source.Height;
  ScaleX = NewScaleX;
  ScaleY = NewScaleY;
}

bool TDPIWindowDim::FitWindow(const TRealRect& R) { return false; }

TPoint TDPIWindowDim::WorldToDevicePt(const TRealPoint& P) const {
  const std::int64_t x = RoundPixel(static_cast<long double>(P.Y) * ScaleY) + OriginX;
  const std::int64_t y = OriginY - RoundPixel(static_cast<long double>(P.X) * ScaleX);
  return TPoint{SaturateInt32(x), SaturateInt32(y)};
}

TRealPoint TDPIWindowDim::DeviceToWorldPt(const TPoint& D) const {
  return TRealPoint{(static_cast<double>(OriginY) - D.Y) / ScaleX,
                    (static_cast<double>(D.X) - OriginX) / ScaleY};
}

void TDPIWindowDim::SetScales(double NewScaleX, double NewScaleY) {
  ScaleX = NewScaleX;
  ScaleY = NewScaleY;
}
