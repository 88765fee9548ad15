// Handle sets of objects being edited: the small marks at an object's
// characteristic points that the view draws over its picture and that the
// edit tools ask which handle lies under the mouse.
//
//   TPaintInPaint       - base of every overlay the view draws after the map;
//   TActivePoints       - up to eight handles, hit by a 15 x 15 pixel box;
//   TNapisActivePoints  - texts: also a hit inside the outline of points 0-3;
//   TSymbolActivePoints - symbols: the outline of points 4-7;
//   TPunktActivePoints  - points;
//   TBlockActivePoints  - blocks: the text test through the inverse of the
//                         block's matrix, drawn as dots only.
//
// GUI thread only. The window dimensions and a block's matrix belong to the
// view and the block; the overlay only points at them and must not outlive
// them. The object that made a handle set hands it to its caller (the view or
// the edit tool), which owns it.
#pragma once

#include <array>

#include "drawing/windowdim.h"
#include "foundation/geometry/realgeom.h"
#include "objects/grobj.h"

class TRealCanvas;

class TPaintInPaint {
 public:
  virtual ~TPaintInPaint() = default;
  // The view draws the overlay only while it is set.
  bool Visible = false;
  virtual void Draw(TRealCanvas& Canvas) = 0;
};

class TActivePoints : public TPaintInPaint, public IActivePoints {
 public:
  // The handle size in pixels (both ways).
  static constexpr int kHandleSize = 15;

  // Visible false, Count 0. Dims may be nullptr: then nothing is hit.
  explicit TActivePoints(const TWindowDim* Dims);

  const TWindowDim* Dims;
  std::array<TRealPoint, kMaxPoints> Points{};
  int Count = 0;

  // IActivePoints. An index outside 0..7 is ignored.
  void SetPoint(int I, const TRealPoint& P) override;
  // Clamped to 0..8.
  void SetCount(int N) override;
  // 0 nothing, I + 2 for the first handle I (index order) whose box of
  // 15 x 15 pixels about P holds the point, borders included.
  int HitTest(const TRealPoint& P) const override;

  // Black dots of 4 pixels, then white 4-pixel squares, pen mode 4.
  void Draw(TRealCanvas& Canvas) override;

  // Half the world size of the handle box, turned by the view's rotation.
  void HalfHandleSize(TRealPoint& S) const;

 protected:
  int HandleHit(const TRealPoint& P) const;
  // Whether P lies inside the quadrilateral of Points[First .. First + 3]
  // (a ray towards growing X crosses an odd number of its edges).
  bool InsideOutline(const TRealPoint& P, int First) const;
};

class TNapisActivePoints : public TActivePoints {
 public:
  using TActivePoints::TActivePoints;
  // Handles, then 1 inside the outline of points 0 to 3.
  int HitTest(const TRealPoint& P) const override;
};

class TSymbolActivePoints : public TActivePoints {
 public:
  using TActivePoints::TActivePoints;
  // Handles, then 1 inside the outline of points 4 to 7.
  int HitTest(const TRealPoint& P) const override;
};

class TPunktActivePoints : public TActivePoints {
 public:
  using TActivePoints::TActivePoints;
};

class TBlockActivePoints : public TNapisActivePoints {
 public:
  // Matrix is the block's and must outlive the overlay.
  TBlockActivePoints(const TWindowDim* Dims, const TAffineMatrix& Matrix);
  const TAffineMatrix& Matrix;
  // The text test for P taken back through the inverse of Matrix (a
  // singular matrix hits nothing).
  int HitTest(const TRealPoint& P) const override;
  // Dots only.
  void Draw(TRealCanvas& Canvas) override;
};

// Whether a ray from P towards growing X crosses the edge A -> B; each edge
// holds its end with the larger Y and not the one with the smaller Y.
bool RayCrossesEdge(const TRealPoint& A, const TRealPoint& B, const TRealPoint& P);
