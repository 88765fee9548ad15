#include "foundation/geometry/polygon.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/containers/itemarray.h"
#include "foundation/containers/pairlist.h"
#include "foundation/errors.h"
#include "foundation/geometry/planegeom.h"

TRealPointsList::TRealPointsList(const TRealPointsList& Source) : GrowStep(Source.GrowStep) {
  SetCapacity(Source.count_);
  std::copy_n(Source.points_.get(), Source.count_, points_.get());
  count_ = Source.count_;
}

void TRealPointsList::CheckIndex(std::int32_t Index, std::int32_t Limit) const {
  CheckItemIndex(Index, Limit);
}

void TRealPointsList::SetCapacity(std::int32_t N) { ResizeItemArray(points_, count_, capacity_, N); }

TRealPoint TRealPointsList::GetPoint(std::int32_t Index) const {
  CheckIndex(Index, count_ - 1);
  return points_[Index];
}

void TRealPointsList::SetPoint(std::int32_t Index, const TRealPoint& P) {
  CheckIndex(Index, count_ - 1);
  points_[Index] = P;
}

TRealPoint* TRealPointsList::PointPtr(std::int32_t Index) {
  CheckIndex(Index, count_ - 1);
  return &points_[Index];
}

void TRealPointsList::Grow() { SetCapacity(GrownCapacity(capacity_, GrowStep)); }

std::int32_t TRealPointsList::Add(const TRealPoint& P) {
  Insert(count_, P);
  return count_ - 1;
}

void TRealPointsList::Insert(std::int32_t Index, const TRealPoint& P) {
  CheckIndex(Index, count_);
  if (count_ == capacity_) {
    Grow();
    if (count_ >= capacity_) throw EInternalError("TRealPointsList.Grow: lista nie urosła");
  }
  std::copy_backward(points_.get() + Index, points_.get() + count_, points_.get() + count_ + 1);
  points_[Index] = P;
  ++count_;
}

void TRealPointsList::Clear() {
  count_ = 0;
  points_.reset();
  capacity_ = 0;
}

void TRealPointsList::Delete(std::int32_t Index) {
  CheckIndex(Index, count_ - 1);
  std::copy(points_.get() + Index + 1, points_.get() + count_, points_.get() + Index);
  --count_;
}

void TRealPointsList::Exchange(std::int32_t I, std::int32_t J) {
  CheckIndex(I, count_ - 1);
  CheckIndex(J, count_ - 1);
  std::swap(points_[I], points_[J]);
}

namespace {

// Strictly left of the directed segment A-B; a point on its line is not.
bool LeftOf(const TRealPoint& A, const TRealPoint& B, const TRealPoint& Q) {
  return (B.X - A.X) * (Q.Y - A.Y) > (B.Y - A.Y) * (Q.X - A.X);
}

// The segments P1-P2 and A-B cross: each separates the other's ends.
bool SegmentsCross(const TRealPoint& P1, const TRealPoint& P2, const TRealPoint& A,
                   const TRealPoint& B) {
  return LeftOf(P1, P2, A) != LeftOf(P1, P2, B) && LeftOf(A, B, P1) != LeftOf(A, B, P2);
}

}  // namespace

void TRealPolygon::AddPoint(const TRealPoint& P) {
  ExtendBounds(P);
  Add(P);
}

void TRealPolygon::InsertPoint(std::int32_t Index, const TRealPoint& P) {
  CheckIndex(Index, Count());
  ExtendBounds(P);
  Insert(Index, P);
}

void TRealPolygon::ClearPoints() {
  Clear();
  Bounds = TRealRect{};
  bridge_marks_.clear();
}

void TRealPolygon::ExtendBounds(const TRealPoint& P) {
  if (Count() == 0) {
    Bounds = TRealRect{P.X, P.Y, P.X, P.Y};
  } else if (Count() == 1) {
    Bounds.Right = P.X;
    Bounds.Bottom = P.Y;
    NormalizeRealRect(Bounds);
  } else {
    Bounds.Left = std::min(Bounds.Left, P.X);
    Bounds.Right = std::max(Bounds.Right, P.X);
    Bounds.Top = std::min(Bounds.Top, P.Y);
    Bounds.Bottom = std::max(Bounds.Bottom, P.Y);
  }
}

void TRealPolygon::RecalcBounds() {
  if (Count() == 0) {
    Bounds = TRealRect{};
    return;
  }
  Bounds = TRealRect{At(0).X, At(0).Y, At(0).X, At(0).Y};
  for (std::int32_t i = 1; i < Count(); ++i) {
    Bounds.Left = std::min(Bounds.Left, At(i).X);
    Bounds.Right = std::max(Bounds.Right, At(i).X);
    Bounds.Top = std::min(Bounds.Top, At(i).Y);
    Bounds.Bottom = std::max(Bounds.Bottom, At(i).Y);
  }
}

bool TRealPolygon::ContainsPoint(const TRealPoint& P) const {
  int crossings = 0;
  for (std::int32_t i = 0; i < Count(); ++i) {
    const TRealPoint& u = EdgeStart(i);
    const TRealPoint& v = EdgeEnd(i);
    if (u.Y == v.Y) continue;
    const TRealPoint& l = u.Y < v.Y ? u : v;
    const TRealPoint& h = u.Y < v.Y ? v : u;
    if (!(l.Y < P.Y && P.Y <= h.Y)) continue;
    const double t = (P.Y - l.Y) * (h.X - l.X) / (h.Y - l.Y);
    if (t > P.X - l.X) ++crossings;
  }
  return crossings % 2 == 1;
}

bool TRealPolygon::ContainsPointFast(const TRealPoint& P) const {
  return RealRectContainsPoint(Bounds, P) && ContainsPoint(P);
}

std::int32_t TRealPolygon::FindVertexNear(const TRealPoint& P, const TRealPoint& D) const {
  const TRealRect box = RealRect(P.X - D.X, P.Y - D.Y, P.X + D.X, P.Y + D.Y);
  for (std::int32_t i = 0; i < Count(); ++i)
    if (RealRectContainsPoint(box, At(i))) return i;
  return -1;
}

std::int32_t TRealPolygon::FindEdgeNear(const TRealPoint& P, const TRealPoint& D) const {
  const TRealRect box = RealRect(P.X - D.X, P.Y - D.Y, P.X + D.X, P.Y + D.Y);
  for (std::int32_t i = 0; i < Count(); ++i) {
    TRealPoint a = EdgeStart(i);
    TRealPoint b = EdgeEnd(i);
    if (ClipRealSegment(a, b, box)) return i;
  }
  return -1;
}

TRealPoint TRealPolygon::ClosestPointOnEdge(const TRealPoint& P, std::int32_t Index) const {
  CheckIndex(Index, Count() - 1);
  const TRealPoint& start = EdgeStart(Index);
  const TRealPoint& end = EdgeEnd(Index);
  const TRealPoint e{end.X - start.X, end.Y - start.Y};
  const TRealPoint f = PerpendicularFoot(start, e, P);
  const TRealPoint g{f.X - start.X, f.Y - start.Y};
  if ((e.X < 0) != (g.X < 0) || (e.Y < 0) != (g.Y < 0)) return start;
  if (std::fabs(g.X) > std::fabs(e.X) || std::fabs(g.Y) > std::fabs(e.Y)) return end;
  return f;
}

TRealRect TRealPolygon::VertexBounds(std::int32_t Index) const {
  if (Count() < 2) return TRealRect{};
  CheckIndex(Index, Count() - 1);
  const TRealPoint& p = At(Index);
  const TRealPoint& prev = At(Index > 0 ? Index - 1 : Count() - 1);
  const TRealPoint& next = EdgeEnd(Index);
  return TRealRect{std::min({p.X, prev.X, next.X}), std::min({p.Y, prev.Y, next.Y}),
                   std::max({p.X, prev.X, next.X}), std::max({p.Y, prev.Y, next.Y})};
}

std::int32_t TRealPolygon::FindCrossedEdge(const TRealPoint& P1, const TRealPoint& P2,
                                           std::int32_t Skip) const {
  const std::int32_t n = Count();
  if (n < 2) return -1;
  const std::int32_t skip_before = Skip < 0 ? -1 : (Skip > 0 ? Skip - 1 : n - 1);
  for (std::int32_t i = 0; i < n; ++i) {
    if (Skip >= 0 && (i == Skip || i == skip_before)) continue;
    if (SegmentsCross(P1, P2, EdgeStart(i), EdgeEnd(i))) return i;
  }
  return -1;
}

bool TRealPolygon::VertexEdgesCross(std::int32_t Index) const {
  const std::int32_t n = Count();
  if (n < 4) return false;
  CheckIndex(Index, n - 1);
  const auto wrap = [n](std::int32_t i) { return ((i % n) + n) % n; };
  const TRealPoint& p = At(Index);
  // The edge ending at Index, walked backwards, then the edge starting there;
  // each is tested against the edges that share no point with it.
  const struct {
    std::int32_t edge;
    TRealPoint other;
  } sides[] = {{wrap(Index - 1), At(wrap(Index - 1))}, {Index, At(wrap(Index + 1))}};
  for (const auto& side : sides) {
    for (std::int32_t j = 0; j < n; ++j) {
      if (j == side.edge || j == wrap(side.edge - 1) || j == wrap(side.edge + 1)) continue;
      if (SegmentsCross(p, side.other, EdgeEnd(j), EdgeStart(j))) return true;
    }
  }
  return false;
}

std::unique_ptr<TRealPointsList> TRealPolygon::ClipSegment(const TRealPoint& P1,
                                                           const TRealPoint& P2) const {
  const TRealPoint d{P2.X - P1.X, P2.Y - P1.Y};
  // Marks left from before the points changed count are not used.
  const bool use_marks = static_cast<std::int32_t>(bridge_marks_.size()) == Count();
  void* const entering = nullptr;
  void* const leaving = reinterpret_cast<void*>(std::uintptr_t{1});

  TParamsL crossings;
  for (std::int32_t i = 0; i < Count(); ++i) {
    if (use_marks && bridge_marks_[i] != 0) continue;
    const TRealPoint& u = EdgeStart(i);
    const TRealPoint& v = EdgeEnd(i);
    const TRealPoint e{v.X - u.X, v.Y - u.Y};
    // Strictly right of the edge: outside an oriented polygon.
    const auto outside = [&](const TRealPoint& q) { return e.Y * (q.X - u.X) > e.X * (q.Y - u.Y); };
    const auto right_of_segment = [&](const TRealPoint& q) {
      return d.Y * (q.X - P1.X) > d.X * (q.Y - P1.Y);
    };
    const bool p2_outside = outside(P2);
    if (outside(P1) == p2_outside || right_of_segment(u) == right_of_segment(v)) continue;
    const double den = e.X * d.Y - e.Y * d.X;
    if (den == 0.0) continue;
    const double t = (e.Y * (P1.X - u.X) - e.X * (P1.Y - u.Y)) / den;
    crossings.AddParam(static_cast<float>(t), p2_outside ? leaving : entering);
  }
  if (crossings.Count() > 0 || ContainsPoint(P1)) {
    crossings.AddParam(0.0f, entering);
    crossings.AddParam(1.0f, leaving);
  }
  if (crossings.Count() == 0) return nullptr;

  auto pieces = std::make_unique<TRealPointsList>();
  for (std::int32_t i = 0; i + 1 < crossings.Count(); ++i) {
    const TPointerPair a = crossings.GetItem(i);
    const TPointerPair b = crossings.GetItem(i + 1);
    if (a.Second != entering || b.Second != leaving) continue;
    const double t1 = TParamsL::ParamOf(a.First);
    const double t2 = TParamsL::ParamOf(b.First);
    pieces->Add(TRealPoint{P1.X + t1 * d.X, P1.Y + t1 * d.Y});
    pieces->Add(TRealPoint{P1.X + t2 * d.X, P1.Y + t2 * d.Y});
  }
  return pieces;
}

std::unique_ptr<TRealPointsList> TRealPolygon::ClipSegmentFast(const TRealPoint& P1,
                                                               const TRealPoint& P2) const {
  TRealRect box = RealRect(P1.X, P1.Y, P2.X, P2.Y);
  if (box.Left == box.Right) InflateRealRect(box, 0.01, 0.0);
  if (box.Top == box.Bottom) InflateRealRect(box, 0.0, 0.01);
  if (IsEmptyRealRect(IntersectRealRect(box, Bounds))) return nullptr;
  return ClipSegment(P1, P2);
}

void TRealPolygon::Orient() {
  const std::int32_t n = Count();
  if (n < 3) return;
  std::int32_t k = 0;
  for (std::int32_t i = 1; i < n; ++i)
    if (At(i).X > At(k).X) k = i;
  const TRealPoint& p = At(k);
  const TRealPoint& prev = At(k > 0 ? k - 1 : n - 1);
  const TRealPoint& next = EdgeEnd(k);
  const long double a1 = ClockwiseAngle(prev.X - p.X, prev.Y - p.Y);
  const long double a2 = ClockwiseAngle(next.X - p.X, next.Y - p.Y);
  if (!(a1 < a2)) return;
  for (std::int32_t i = 0; i <= (n - 1) / 2; ++i) std::swap(At(i), At(n - 1 - i));
  // Reversed, edge i is the former edge n - 2 - i walked backwards; the
  // closing edge stays the closing edge. A bridge stays a bridge.
  if (static_cast<std::int32_t>(bridge_marks_.size()) == n)
    std::reverse(bridge_marks_.begin(), bridge_marks_.end() - 1);
}

std::vector<std::uint8_t> TRealPolygon::ComputeBridgeMarks() const {
  const std::int32_t n = Count();
  std::vector<std::uint8_t> marks(static_cast<std::size_t>(n), 0);
  for (std::int32_t i = 0; i + 2 < n; ++i) {
    if (marks[i] != 0) continue;
    for (std::int32_t j = i + 2; j < n; ++j) {
      if (SameRealPoint(At(j), At(i)) && SameRealPoint(At(j - 1), At(i + 1))) {
        marks[i] = 1;
        marks[j - 1] = 1;
        break;
      }
    }
  }
  for (std::int32_t i = 1; i + 1 < n; ++i) {
    if (SameRealPoint(At(i), At(0)) && SameRealPoint(At(i + 1), At(n - 1))) {
      marks[i] = 1;
      marks[n - 1] = 1;
    }
  }
  return marks;
}

void TRealPolygon::Offset(double D) {
  const std::int32_t n = Count();
  std::vector<std::uint8_t> marks = ComputeBridgeMarks();
  // Normals and new positions are computed first and committed only when
  // every point could be placed.
  std::vector<TRealPoint> normals(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    const TRealPoint e{EdgeEnd(i).X - EdgeStart(i).X, EdgeEnd(i).Y - EdgeStart(i).Y};
    const double length = std::hypot(e.X, e.Y);
    if (length == 0.0)
      throw EGeometryError("Offset: krawędź " + std::to_string(i) + " wielokąta ma zerową długość");
    normals[i] = TRealPoint{e.Y * D / length, -e.X * D / length};
  }
  std::vector<TRealPoint> moved(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    const TRealPoint& np = normals[i > 0 ? i - 1 : n - 1];
    const TRealPoint& nc = normals[i];
    TRealPoint shift = np;
    if (!SameRealPoint(np, nc)) {
      const double det = nc.X * np.Y - nc.Y * np.X;
      if (det != 0.0) {
        shift = TRealPoint{D * D * (np.Y - nc.Y) / det, D * D * (nc.X - np.X) / det};
      } else if (np.X * nc.X + np.Y * nc.Y <= 0.0) {
        // The edges meeting here run in opposite directions: no crossing.
        throw EGeometryError("Offset: krawędzie wielokąta w punkcie " + std::to_string(i) +
                             " mają przeciwne kierunki");
      }
      // Otherwise the edges are collinear within rounding: move along them.
    }
    moved[i] = TRealPoint{At(i).X + shift.X, At(i).Y + shift.Y};
  }
  for (std::int32_t i = 0; i < n; ++i) At(i) = moved[i];
  bridge_marks_ = std::move(marks);
  InflateRealRect(Bounds, D, D);
}

double TRealPolygon::Area() const {
  if (Count() < 3) return 0.0;
  double sum = 0.0;
  for (std::int32_t i = 0; i < Count(); ++i) {
    const TRealPoint& a = EdgeStart(i);
    const TRealPoint& b = EdgeEnd(i);
    sum += (b.X - a.X) * (b.Y + a.Y) * 0.5;
  }
  return sum;
}

double TRealPolygon::Perimeter() const {
  if (Count() < 2) return 0.0;
  double sum = 0.0;
  for (std::int32_t i = 0; i < Count(); ++i)
    sum += std::hypot(EdgeEnd(i).X - EdgeStart(i).X, EdgeEnd(i).Y - EdgeStart(i).Y);
  return sum;
}

double TRealPolygon::WalkOutline(const TOutlineStep& F) const {
  const std::int32_t n = Count();
  if (n < 2) return 0.0;
  double sum = 0.0;
  for (std::int32_t k = 0; k < n; ++k) {
    const std::int32_t i = k == 0 ? n - 1 : k - 1;  // the closing edge first
    const TRealPoint& a = EdgeStart(i);
    const TRealPoint& b = EdgeEnd(i);
    sum += F(a, b, std::hypot(b.X - a.X, b.Y - a.Y));
  }
  return sum;
}

TRealPoint TRealPolygon::VertexMean() const {
  if (Count() == 0) return TRealPoint{};
  double x = 0.0, y = 0.0;
  for (std::int32_t i = 0; i < Count(); ++i) {
    x += At(i).X;
    y += At(i).Y;
  }
  return TRealPoint{x / Count(), y / Count()};
}
