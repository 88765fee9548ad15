// A growable list of real points kept by value, and the closed polygon built on
// it: a ring of points (the last joins the first, points are not repeated)
// with its bounding rectangle. The polygon answers containment, finds vertices
// and edges near a point, clips a segment to its inside, orients itself,
// offsets its outline and measures its signed area and perimeter.
//
// Orientation: Orient makes a polygon run clockwise as seen on the map (X up,
// Y right), which is counter-clockwise in the (X, Y) plane: the inside lies to
// the left of every edge. ClipSegment and Offset rely on it.
//
// Not thread-safe: one thread at a time. A list owns its points; ClipSegment
// returns a list that the caller owns. Indexes are checked (EListError).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "foundation/geometry/realgeom.h"

class TRealPointsList {
 public:
  TRealPointsList() = default;
  // Source's points and GrowStep, with a capacity of exactly Source's Count.
  TRealPointsList(const TRealPointsList& Source);
  TRealPointsList& operator=(const TRealPointsList&) = delete;
  virtual ~TRealPointsList() = default;

  // Growth rule: with a step, 2 * Capacity + 1 while the step exceeds the
  // capacity, else Capacity + GrowStep; without, a quarter more above 64, 16
  // more above 8, else 4 more.
  std::int32_t GrowStep = 0;

  std::int32_t Count() const { return count_; }
  std::int32_t Capacity() const { return capacity_; }
  void SetCapacity(std::int32_t N);

  TRealPoint GetPoint(std::int32_t Index) const;
  void SetPoint(std::int32_t Index, const TRealPoint& P);
  // Address of a stored point, valid until the list next grows or shrinks.
  TRealPoint* PointPtr(std::int32_t Index);

  virtual void Grow();
  // Appends; returns the new index.
  virtual std::int32_t Add(const TRealPoint& P);
  // Index may be Count (append).
  virtual void Insert(std::int32_t Index, const TRealPoint& P);
  // Count := 0 and the storage is released.
  virtual void Clear();
  void Delete(std::int32_t Index);
  void Exchange(std::int32_t I, std::int32_t J);

 protected:
  void CheckIndex(std::int32_t Index, std::int32_t Limit) const;
  // Unchecked access for the polygon's loops.
  const TRealPoint& At(std::int32_t Index) const { return points_[Index]; }
  TRealPoint& At(std::int32_t Index) { return points_[Index]; }

 private:
  std::unique_ptr<TRealPoint[]> points_;
  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
};

// Called by WalkOutline for every edge: its start, its end and its length.
using TOutlineStep = std::function<double(const TRealPoint& A, const TRealPoint& B, double Length)>;

class TRealPolygon : public TRealPointsList {
 public:
  TRealPolygon() = default;
  // Source's points, Bounds and bridge marks.
  TRealPolygon(const TRealPolygon& Source) = default;
  std::unique_ptr<TRealPolygon> Clone() const { return std::make_unique<TRealPolygon>(*this); }

  // The rectangle around the points, kept by AddPoint and InsertPoint;
  // RecalcBounds after changing points through the list's own operations.
  TRealRect Bounds;

  // One byte per point once Offset has computed them, empty before: mark i
  // says that edge i (point i to i + 1, the last to the first) is a bridge,
  // a segment that is also an edge of the polygon in the opposite direction
  // (a cut joining a hole to the outer ring). ClipSegment ignores such edges.
  const std::vector<std::uint8_t>& BridgeMarks() const { return bridge_marks_; }

  virtual void AddPoint(const TRealPoint& P);
  virtual void InsertPoint(std::int32_t Index, const TRealPoint& P);
  // Clear, Bounds := (0, 0, 0, 0), no bridge marks.
  virtual void ClearPoints();

  // Widens Bounds to take in P, as if P were the next point added.
  void ExtendBounds(const TRealPoint& P);
  // Bounds from the points; (0, 0, 0, 0) without points.
  void RecalcBounds();

  // Ray cast towards +X; points on the outline may fall on either side.
  // False for a polygon without points.
  bool ContainsPoint(const TRealPoint& P) const;
  // False when P lies outside Bounds (borders inside), else ContainsPoint.
  bool ContainsPointFast(const TRealPoint& P) const;
  // First point within D.X, D.Y of P (borders included), or -1.
  std::int32_t FindVertexNear(const TRealPoint& P, const TRealPoint& D) const;
  // First edge (the closing edge is Count - 1) passing through the box of
  // half sizes D around P, or -1.
  std::int32_t FindEdgeNear(const TRealPoint& P, const TRealPoint& D) const;
  // The point of edge Index nearest to P; Count - 1 is the closing edge.
  TRealPoint ClosestPointOnEdge(const TRealPoint& P, std::int32_t Index) const;
  // Normalised rectangle around point Index and its two neighbours;
  // (0, 0, 0, 0) for fewer than 2 points.
  TRealRect VertexBounds(std::int32_t Index) const;
  // First edge that the segment P1-P2 crosses, leaving out the two edges
  // meeting at point Skip (-1: none left out); -1 when none.
  std::int32_t FindCrossedEdge(const TRealPoint& P1, const TRealPoint& P2, std::int32_t Skip) const;
  // True when an edge at point Index crosses an edge not adjacent to it
  // (a moved vertex made the outline cross itself); false below 4 points.
  bool VertexEdgesCross(std::int32_t Index) const;
  // The pieces of P1-P2 inside the polygon as pairs of points (start, end)
  // in the order of the segment; null when no piece lies inside.
  std::unique_ptr<TRealPointsList> ClipSegment(const TRealPoint& P1, const TRealPoint& P2) const;
  // Null when the segment's box does not overlap Bounds, else ClipSegment.
  std::unique_ptr<TRealPointsList> ClipSegmentFast(const TRealPoint& P1, const TRealPoint& P2) const;
  // Puts the points into the map's clockwise order (see the head comment).
  void Orient();
  // Moves every edge outwards (inwards for D < 0) by D, each point to the
  // crossing of its two moved edges, and widens Bounds by D. A zero-length
  // edge or two neighbouring edges in opposite directions raise
  // EGeometryError and leave the polygon unchanged.
  void Offset(double D);
  // Signed: negative for an oriented polygon; 0 below 3 points.
  double Area() const;
  // All edges, the closing edge included; 0 below 2 points.
  double Perimeter() const;
  // Sum of F over the edges, the closing edge first; 0 below 2 points.
  double WalkOutline(const TOutlineStep& F) const;
  // Mean of the points; the zero point without points.
  TRealPoint VertexMean() const;

 private:
  // Start and end of edge Index (Count - 1 is the closing edge).
  const TRealPoint& EdgeStart(std::int32_t Index) const { return At(Index); }
  const TRealPoint& EdgeEnd(std::int32_t Index) const { return At(Index + 1 < Count() ? Index + 1 : 0); }
  std::vector<std::uint8_t> ComputeBridgeMarks() const;

  std::vector<std::uint8_t> bridge_marks_;
};
