// Buffer of integer polylines for device drawing: all points in one flat
// array and the point count of every part in another, so that a whole buffer
// goes to the platform's poly-polyline drawing in one call. Segments that
// share an end point with the last point join its polyline.
//
// Both arrays grow by Step up to a limit (MaxPoints points, MaxPoints div 2
// parts); growth to or beyond the limit calls the virtual Overflow, which
// raises EOutOfMemory unless a descendant empties the buffer instead (the
// canvas draws and empties it). A buffer created with Step 0 never grows.
// The buffer owns both arrays. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/geometry/intpoint.h"

// Affine matrix of six fixed-point coefficients scaled by 256:
// x' = (A*x + B*y + C) / 256, y' = (D*x + E*y + F) / 256.
struct TFixedMatrix {
  std::int32_t A = 256;
  std::int32_t B = 0;
  std::int32_t C = 0;
  std::int32_t D = 0;
  std::int32_t E = 256;
  std::int32_t F = 0;
};

class TVectorList {
public:
  // maxPoints 0 means no limit. With step 0 the buffer is fixed in size:
  // the limit becomes initialCapacity whatever was passed.
  TVectorList(std::int32_t initialCapacity, std::int32_t step, std::int32_t maxPoints);
  // Same step, limit, capacities, counts, points and part counts as source.
  TVectorList(const TVectorList& source) = default;
  TVectorList& operator=(const TVectorList&) = delete;
  virtual ~TVectorList() = default;

  // A copy of this buffer; the base copies as a TVectorList.
  virtual std::unique_ptr<TVectorList> Clone() const;

  // Point and part counts to 0; capacities stay.
  void Clear();
  void AddSegment(TPoint p1, TPoint p2);
  void AddLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  // Segment from the top-left to the bottom-right corner.
  void AddRectSegment(const TRect& r);
  // All points and part counts of other as new parts. When they do not fit
  // even after Overflow, raises EOutOfMemory and leaves the buffer as
  // Overflow left it.
  void Append(const TVectorList& other);
  void AppendOffset(const TVectorList& other, TPoint offset);
  // Every point through m, rounded to the nearest integer, halves upwards.
  void TransformFixed(const TFixedMatrix& m);

  const TPoint* Points() const { return points_.data(); }
  TPoint Point(std::int32_t index) const;
  const std::int32_t* Parts() const { return parts_.data(); }
  std::int32_t Part(std::int32_t index) const;
  std::int32_t PointCount() const { return pointCount_; }
  std::int32_t PartCount() const { return partCount_; }
  std::int32_t PointCapacity() const { return static_cast<std::int32_t>(points_.size()); }
  std::int32_t PartCapacity() const { return static_cast<std::int32_t>(parts_.size()); }
  std::int32_t Step() const { return step_; }
  std::int32_t MaxPoints() const { return maxPoints_; }

protected:
  // Called when an array would have to grow to or beyond its limit; the
  // base raises EOutOfMemory "TVectorList - nie mozna powiekszyc".
  virtual void Overflow();

private:
  void GrowPoints(std::int32_t needed);
  void GrowParts(std::int32_t needed);
  void AppendFrom(const TVectorList& other, TPoint offset);

  std::vector<TPoint> points_;
  std::vector<std::int32_t> parts_;
  std::int32_t pointCount_ = 0;
  std::int32_t partCount_ = 0;
  std::int32_t step_ = 0;
  std::int32_t maxPoints_ = 0;
};
