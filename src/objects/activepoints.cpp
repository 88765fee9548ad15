#include "objects/activepoints.h"

#include "drawing/realcanvas.h"
#include "foundation/errors.h"

TActivePoints::TActivePoints(const TWindowDim* Dims) : Dims(Dims) {}

void TActivePoints::SetPoint(int I, const TRealPoint& P) {
  if (I < 0 || I >= kMaxPoints) return;
  Points[static_cast<std::size_t>(I)] = P;
  if (Count < I + 1) Count = I + 1;
}

void TActivePoints::SetCount(int N) { Count = N < 0 ? 0 : (N > kMaxPoints ? kMaxPoints : N); }

int TActivePoints::HandleHit(const TRealPoint& P) const {
  if (Dims == nullptr) return 0;
  const TRealPoint size = Dims->DeviceToWorldSize(TPoint{kHandleSize, kHandleSize});
  const double hx = size.X / 2.0;
  const double hy = size.Y / 2.0;
  const TRealRect box{P.X - hx, P.Y - hy, P.X + hx, P.Y + hy};
  for (int i = 0; i < Count; ++i)
    if (RealRectContainsPoint(box, Points[static_cast<std::size_t>(i)])) return i + 2;
  return 0;
}

int TActivePoints::HitTest(const TRealPoint& P) const { return HandleHit(P); }

bool RayCrossesEdge(const TRealPoint& A, const TRealPoint& B, const TRealPoint& P) {
  if (A.Y < B.Y)
    return A.Y < P.Y && P.Y <= B.Y && (B.X - A.X) * (P.Y - A.Y) > (P.X - A.X) * (B.Y - A.Y);
  return B.Y < P.Y && P.Y <= A.Y && (A.X - B.X) * (P.Y - B.Y) > (P.X - B.X) * (A.Y - B.Y);
}

bool TActivePoints::InsideOutline(const TRealPoint& P, int First) const {
  int crossings = 0;
  for (int k = 0; k < 4; ++k) {
    const TRealPoint& a = Points[static_cast<std::size_t>(First + k)];
    const TRealPoint& b = Points[static_cast<std::size_t>(First + (k + 1) % 4)];
    if (RayCrossesEdge(a, b, P)) ++crossings;
  }
  return (crossings & 1) != 0;
}

void TActivePoints::Draw(TRealCanvas& Canvas) {
  Canvas.Pen->SetColor(0);
  Canvas.Pen->SetMode(4);
  Canvas.Pen->SetWidth(1);
  for (int i = 0; i < Count; ++i) Canvas.DotMark(4, Points[static_cast<std::size_t>(i)]);
  Canvas.Pen->SetColor(0xFFFFFF);
  for (int i = 0; i < Count; ++i) Canvas.SquareMark(Points[static_cast<std::size_t>(i)], 4);
}

void TActivePoints::HalfHandleSize(TRealPoint& S) const {
  if (Dims == nullptr) {
    S = TRealPoint{};
    return;
  }
  const TRealPoint v = Dims->DeviceVectorToWorld(TPoint{kHandleSize, kHandleSize});
  S = TRealPoint{v.X / 2.0, v.Y / 2.0};
}

int TNapisActivePoints::HitTest(const TRealPoint& P) const {
  const int h = HandleHit(P);
  if (h != 0) return h;
  return InsideOutline(P, 0) ? 1 : 0;
}

int TSymbolActivePoints::HitTest(const TRealPoint& P) const {
  const int h = HandleHit(P);
  if (h != 0) return h;
  return InsideOutline(P, 4) ? 1 : 0;
}

TBlockActivePoints::TBlockActivePoints(const TWindowDim* Dims, const TAffineMatrix& Matrix)
    : TNapisActivePoints(Dims), Matrix(Matrix) {}

int TBlockActivePoints::HitTest(const TRealPoint& P) const {
  TAffineMatrix inverse;
  try {
    inverse = InvertAffineMatrix(Matrix);
  } catch (const EInternalError&) {
    return 0;
  }
  return TNapisActivePoints::HitTest(AffineTransformPoint(inverse, P));
}

void TBlockActivePoints::Draw(TRealCanvas& Canvas) {
  Canvas.Pen->SetColor(0);
  Canvas.Pen->SetMode(4);
  for (int i = 0; i < Count; ++i) Canvas.DotMark(4, Points[static_cast<std::size_t>(i)]);
}
