#include "foundation/containers/vectorlist.h"

#include <limits>
#include <string>

#include "foundation/containers/itemarray.h"
#include "foundation/errors.h"

namespace {

constexpr const char* kCannotGrow = "TVectorList - nie mozna powiekszyc";

// The smallest capacity of the form capacity + k * step above needed.
std::int32_t GrownCapacity(std::int32_t capacity, std::int32_t needed, std::int32_t step) {
  const std::int64_t grown =
      capacity + (static_cast<std::int64_t>(needed - capacity) / step + 1) * step;
  if (grown > std::numeric_limits<std::int32_t>::max()) throw EOutOfMemory(kCannotGrow);
  return static_cast<std::int32_t>(grown);
}

// Floor of value / 256 (an arithmetic shift), as a 32-bit result.
std::int32_t FixedToInt(std::int64_t value) { return static_cast<std::int32_t>(value >> 8); }

}  // namespace

TVectorList::TVectorList(std::int32_t initialCapacity, std::int32_t step, std::int32_t maxPoints) {
  if (initialCapacity < 0 || step < 0 || maxPoints < 0)
    throw EInternalError("TVectorList: ujemny rozmiar (" + std::to_string(initialCapacity) + ", " +
                         std::to_string(step) + ", " + std::to_string(maxPoints) + ")");
  if (maxPoints == 0) maxPoints = std::numeric_limits<std::int32_t>::max();
  if (step == 0) {
    maxPoints = initialCapacity;
    step = initialCapacity / 4;
  }
  step_ = step;
  maxPoints_ = maxPoints;
  points_.resize(static_cast<std::size_t>(initialCapacity));
  parts_.resize(static_cast<std::size_t>(initialCapacity / 2));
}

std::unique_ptr<TVectorList> TVectorList::Clone() const {
  return std::make_unique<TVectorList>(*this);
}

void TVectorList::Overflow() { throw EOutOfMemory(kCannotGrow); }

void TVectorList::GrowPoints(std::int32_t needed) {
  if (needed <= PointCapacity()) return;
  if (needed >= maxPoints_ || step_ <= 0) {
    Overflow();
    return;
  }
  points_.resize(static_cast<std::size_t>(GrownCapacity(PointCapacity(), needed, step_)));
}

void TVectorList::GrowParts(std::int32_t needed) {
  if (needed <= PartCapacity()) return;
  if (needed >= maxPoints_ / 2 || step_ <= 0) {
    Overflow();
    return;
  }
  parts_.resize(static_cast<std::size_t>(GrownCapacity(PartCapacity(), needed, step_)));
}

void TVectorList::Clear() {
  pointCount_ = 0;
  partCount_ = 0;
}

void TVectorList::AddSegment(TPoint p1, TPoint p2) {
  if (pointCount_ + 2 > PointCapacity()) GrowPoints(pointCount_ + 2);
  // Overflow may have emptied the buffer; decide on joining only now.
  if (pointCount_ > 0) {
    const TPoint last = points_[static_cast<std::size_t>(pointCount_ - 1)];
    if (last == p1 || last == p2) {
      // An Overflow that kept the points must not let us write past the array.
      if (pointCount_ + 1 > PointCapacity() || partCount_ == 0) throw EOutOfMemory(kCannotGrow);
      points_[static_cast<std::size_t>(pointCount_++)] = last == p1 ? p2 : p1;
      ++parts_[static_cast<std::size_t>(partCount_ - 1)];
      return;
    }
  }
  if (partCount_ + 1 > PartCapacity()) GrowParts(PartCapacity() + 1);
  if (partCount_ + 1 > PartCapacity() || pointCount_ + 2 > PointCapacity())
    throw EOutOfMemory(kCannotGrow);
  points_[static_cast<std::size_t>(pointCount_++)] = p1;
  points_[static_cast<std::size_t>(pointCount_++)] = p2;
  parts_[static_cast<std::size_t>(partCount_++)] = 2;
}

void TVectorList::AddLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  AddSegment(TPoint{x1, y1}, TPoint{x2, y2});
}

void TVectorList::AddRectSegment(const TRect& r) {
  AddSegment(TPoint{r.Left, r.Top}, TPoint{r.Right, r.Bottom});
}

void TVectorList::Append(const TVectorList& other) { AppendFrom(other, TPoint{0, 0}); }

void TVectorList::AppendOffset(const TVectorList& other, TPoint offset) {
  AppendFrom(other, offset);
}

void TVectorList::AppendFrom(const TVectorList& other, TPoint offset) {
  if (&other == this) {
    const TVectorList copy(other);
    AppendFrom(copy, offset);
    return;
  }
  const std::int32_t otherPoints = other.pointCount_;
  const std::int32_t otherParts = other.partCount_;
  if (static_cast<std::int64_t>(pointCount_) + otherPoints > PointCapacity())
    GrowPoints(pointCount_ + otherPoints);
  if (static_cast<std::int64_t>(partCount_) + otherParts > PartCapacity())
    GrowParts(partCount_ + otherParts);
  if (static_cast<std::int64_t>(pointCount_) + otherPoints > PointCapacity() ||
      static_cast<std::int64_t>(partCount_) + otherParts > PartCapacity())
    throw EOutOfMemory(kCannotGrow);
  for (std::int32_t i = 0; i < otherPoints; ++i) {
    const TPoint p = other.points_[static_cast<std::size_t>(i)];
    points_[static_cast<std::size_t>(pointCount_ + i)] = TPoint{p.X + offset.X, p.Y + offset.Y};
  }
  for (std::int32_t i = 0; i < otherParts; ++i)
    parts_[static_cast<std::size_t>(partCount_ + i)] = other.parts_[static_cast<std::size_t>(i)];
  pointCount_ += otherPoints;
  partCount_ += otherParts;
}

void TVectorList::TransformFixed(const TFixedMatrix& m) {
  // 64-bit products, so that large device coordinates do not wrap.
  for (std::int32_t i = 0; i < pointCount_; ++i) {
    TPoint& p = points_[static_cast<std::size_t>(i)];
    const std::int64_t x = p.X;
    const std::int64_t y = p.Y;
    p.X = FixedToInt(m.A * x + m.B * y + m.C + 128);
    p.Y = FixedToInt(m.D * x + m.E * y + m.F + 128);
  }
}

TPoint TVectorList::Point(std::int32_t index) const {
  CheckItemIndex(index, pointCount_ - 1);
  return points_[static_cast<std::size_t>(index)];
}

std::int32_t TVectorList::Part(std::int32_t index) const {
  CheckItemIndex(index, partCount_ - 1);
  return parts_[static_cast<std::size_t>(index)];
}
