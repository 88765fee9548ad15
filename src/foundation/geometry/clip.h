// An area of the map chosen by the user (a rectangle typed in or dragged, or a
// polygon marker), handed to searches and exports restricted to it: it gives
// its bounds, tells whether a point lies in it and whether a stored object
// record falls in it, so that its users need not know its shape.
//
// Not thread-safe: one thread at a time. TPolygonClip owns its polygon.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/geometry/polygon.h"
#include "foundation/geometry/realgeom.h"

// What a clipping area reads of a stored object record; the object save
// record of the layer files implements it.
class IClipRecord {
 public:
  virtual ~IClipRecord() = default;
  // The object's kind (low 3 bits of the kind byte).
  virtual int Kind() const = 0;
  virtual TRealPoint FirstPoint() const = 0;
  // Meaningless for kind kClipRecordCircle.
  virtual TRealPoint SecondPoint() const = 0;
};

// Kind of a record without a second point (a circle: centre only).
inline constexpr int kClipRecordCircle = 2;
// Option bit of AcceptsRecord: a record is also in when its second point is.
inline constexpr std::uint32_t kClipSecondPoint = 2;

class TClip {
 public:
  virtual ~TClip() = default;
  // Base: (0, 0, 0, 0).
  virtual TRealRect GetBounds() const;
  // Base: false.
  virtual bool ContainsPoint(const TRealPoint& P) const;
  // Base: false.
  virtual bool AcceptsRecord(const IClipRecord& Rec, std::uint32_t Options) const;
};

class TRectClip : public TClip {
 public:
  // Keeps R as given; an unnormalised rectangle contains no point.
  explicit TRectClip(const TRealRect& R) : Rect(R) {}
  // The normalised rectangle with these two corners.
  TRectClip(double X1, double Y1, double X2, double Y2) : Rect(RealRect(X1, Y1, X2, Y2)) {}

  TRealRect Rect;

  TRealRect GetBounds() const override { return Rect; }
  // Borders inside.
  bool ContainsPoint(const TRealPoint& P) const override;
  // Every record: the searches using a rectangle test the record themselves.
  bool AcceptsRecord(const IClipRecord& Rec, std::uint32_t Options) const override;
};

class TPolygonClip : public TClip {
 public:
  // Takes the polygon and recomputes its bounds.
  explicit TPolygonClip(std::unique_ptr<TRealPolygon> Polygon);
  // Frees the polygon held so far, takes this one and recomputes its bounds.
  void SetPolygon(std::unique_ptr<TRealPolygon> Polygon);
  const TRealPolygon* Polygon() const { return polygon_.get(); }

  // The polygon's bounds; (0, 0, 0, 0) without a polygon.
  TRealRect GetBounds() const override;
  // The polygon's ray-cast test, without the bounds pre-test.
  bool ContainsPoint(const TRealPoint& P) const override;
  // In when the first point is inside; with kClipSecondPoint also when the
  // second point is (never for a circle).
  bool AcceptsRecord(const IClipRecord& Rec, std::uint32_t Options) const override;

 private:
  std::unique_ptr<TRealPolygon> polygon_;
};

// Clip.ContainsPoint (P); the area searches call it for every candidate point.
bool ClipContains(const TClip& Clip, const TRealPoint& P);
