#include "foundation/containers/vectorlist.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/errors.h"

namespace {

std::vector<TPoint> PointsOf(const TVectorList& v) {
  return std::vector<TPoint>(v.Points(), v.Points() + v.PointCount());
}
std::vector<std::int32_t> PartsOf(const TVectorList& v) {
  return std::vector<std::int32_t>(v.Parts(), v.Parts() + v.PartCount());
}

// Empties itself on overflow, as the canvas buffer does after drawing.
class EmptyingList : public TVectorList {
public:
  using TVectorList::TVectorList;
  int overflows = 0;
  std::int32_t pointsAtOverflow = -1;

protected:
  void Overflow() override {
    ++overflows;
    pointsAtOverflow = PointCount();
    Clear();
  }
};

// Neither raises nor empties.
class IgnoringList : public TVectorList {
public:
  using TVectorList::TVectorList;

protected:
  void Overflow() override {}
};

TEST(VectorListTest, SegmentsSharingAnEndJoinOnePart) {
  TVectorList v(0, 16, 0);
  v.AddSegment({0, 0}, {10, 0});
  v.AddSegment({20, 0}, {10, 0});
  EXPECT_EQ(PointsOf(v), (std::vector<TPoint>{{0, 0}, {10, 0}, {20, 0}}));
  EXPECT_EQ(PartsOf(v), std::vector<std::int32_t>{3});
  v.AddSegment({5, 5}, {6, 6});
  EXPECT_EQ(PartsOf(v), (std::vector<std::int32_t>{3, 2}));
  v.AddLine(6, 6, 7, 9);
  v.AddRectSegment(TRect{1, 2, 3, 4});
  EXPECT_EQ(PartsOf(v), (std::vector<std::int32_t>{3, 3, 2}));
  EXPECT_EQ(v.Point(5), (TPoint{7, 9}));
  EXPECT_EQ(v.Point(6), (TPoint{1, 2}));
  EXPECT_EQ(v.Point(7), (TPoint{3, 4}));
  EXPECT_EQ(v.PointCapacity(), 16);
  EXPECT_EQ(v.PartCapacity(), 16);
  v.Clear();
  EXPECT_EQ(v.PointCount(), 0);
  EXPECT_EQ(v.PartCount(), 0);
  EXPECT_EQ(v.PointCapacity(), 16);
}

TEST(VectorListTest, GrowsByWholeSteps) {
  TVectorList v(2, 2, 0);
  EXPECT_EQ(v.PointCapacity(), 2);
  EXPECT_EQ(v.PartCapacity(), 1);
  v.AddLine(0, 0, 1, 1);
  v.AddLine(5, 5, 6, 6);
  EXPECT_EQ(v.PointCapacity(), 6);  // 2 + ((4 - 2) div 2 + 1) * 2
  EXPECT_EQ(v.PartCapacity(), 3);   // 1 + ((2 - 1) div 2 + 1) * 2
}

TEST(VectorListTest, FixedBufferOverflowsAtItsLimitAndNeverGrows) {
  TVectorList fixed(5120, 0, 0);
  EXPECT_EQ(fixed.MaxPoints(), 5120);
  EXPECT_EQ(fixed.PartCapacity(), 2560);
  for (int i = 0; i < 2560; ++i) fixed.AddLine(i, 0, i, 1 + i % 2 * 1000);
  EXPECT_EQ(fixed.PointCount(), 5120);
  try {
    fixed.AddLine(-5, -5, -6, -6);
    FAIL() << "no overflow";
  } catch (const EOutOfMemory& e) {
    EXPECT_STREQ(e.what(), "TVectorList - nie mozna powiekszyc");
  }
  EXPECT_EQ(fixed.PointCapacity(), 5120);
  EXPECT_EQ(fixed.PointCount(), 5120);
  EXPECT_EQ(fixed.PartCount(), 2560);

  EmptyingList drawn(5120, 0, 0);
  for (int i = 0; i < 2561; ++i) drawn.AddLine(i, 0, i, 1 + i % 2 * 1000);
  EXPECT_EQ(drawn.overflows, 1);
  EXPECT_EQ(drawn.pointsAtOverflow, 5120);
  EXPECT_EQ(drawn.PointCount(), 2);
  EXPECT_EQ(drawn.PointCapacity(), 5120);
}

// An Overflow that neither raised nor emptied the buffer let the next points
// be written past the array.
TEST(VectorListTest, OverflowThatKeepsPointsDoesNotWritePastTheArray) {
  IgnoringList v(4, 0, 0);
  v.AddLine(0, 0, 1, 1);
  v.AddLine(5, 5, 6, 6);
  EXPECT_THROW(v.AddLine(8, 8, 9, 9), EOutOfMemory);
  EXPECT_THROW(v.AddLine(6, 6, 7, 7), EOutOfMemory);  // joining needs room too
  EXPECT_EQ(v.PointCount(), 4);
  EXPECT_EQ(v.PointCapacity(), 4);

  TVectorList other(4, 4, 0);
  other.AddLine(1, 1, 2, 2);
  IgnoringList full(4, 0, 0);
  full.AddLine(0, 0, 1, 1);
  full.AddLine(5, 5, 6, 6);
  EXPECT_THROW(full.Append(other), EOutOfMemory);
  EXPECT_EQ(full.PointCount(), 4);
}

TEST(VectorListTest, AppendAddsPartsWithOffset) {
  TVectorList a(4, 4, 0);
  a.AddLine(0, 0, 1, 1);
  TVectorList b(4, 4, 0);
  b.AddLine(2, 2, 3, 3);
  b.AddLine(3, 3, 4, 4);
  b.AddLine(9, 9, 8, 8);
  a.Append(b);
  EXPECT_EQ(PartsOf(a), (std::vector<std::int32_t>{2, 3, 2}));
  a.AppendOffset(b, {100, -100});
  EXPECT_EQ(a.PointCount(), 12);
  EXPECT_EQ(a.Point(7), (TPoint{102, -98}));
  EXPECT_EQ(PartsOf(a), (std::vector<std::int32_t>{2, 3, 2, 3, 2}));
  a.Append(a);
  EXPECT_EQ(a.PointCount(), 24);
  EXPECT_EQ(a.Point(23), a.Point(11));

  // Into a full fixed buffer that empties itself: the appended parts fit.
  EmptyingList fixed(6, 0, 0);
  fixed.AddLine(0, 0, 1, 1);
  fixed.AddLine(5, 5, 6, 6);
  fixed.Append(b);
  EXPECT_EQ(fixed.overflows, 1);
  EXPECT_EQ(PointsOf(fixed), PointsOf(b));
  // A buffer larger than the emptied capacity cannot go in at all.
  TVectorList huge(10, 10, 0);
  for (int i = 0; i < 5; ++i) huge.AddLine(i, 0, i, 7);
  EXPECT_THROW(fixed.Append(huge), EOutOfMemory);
}

TEST(VectorListTest, CloneCopiesEverything) {
  TVectorList v(8, 4, 100);
  v.AddLine(1, 2, 3, 4);
  v.AddLine(3, 4, 5, 6);
  auto copy = v.Clone();
  v.AddLine(0, 0, 9, 9);
  EXPECT_EQ(copy->PointCount(), 3);
  EXPECT_EQ(copy->PartCount(), 1);
  EXPECT_EQ(copy->Step(), 4);
  EXPECT_EQ(copy->MaxPoints(), 100);
  EXPECT_EQ(copy->PointCapacity(), 8);
  EXPECT_EQ(copy->Point(2), (TPoint{5, 6}));
}

TEST(VectorListTest, TransformFixedRoundsHalvesUpwards) {
  TVectorList v(8, 8, 0);
  v.AddLine(3, -3, -3, 3);
  v.AddLine(7, 7, -1000, 1);
  const std::vector<TPoint> before = PointsOf(v);
  v.TransformFixed(TFixedMatrix{256, 0, 0, 0, 256, 0});
  EXPECT_EQ(PointsOf(v), before);

  TVectorList half(8, 8, 0);
  half.AddLine(3, -3, -3, 3);
  half.TransformFixed(TFixedMatrix{128, 0, 0, 0, 128, 0});
  EXPECT_EQ(PointsOf(half), (std::vector<TPoint>{{2, -1}, {-1, 2}}));

  // Rotation by a quarter turn plus a shift, x and y taken before the change.
  TVectorList turn(8, 8, 0);
  turn.AddLine(10, 20, 0, 0);
  turn.TransformFixed(TFixedMatrix{0, -256, 256 * 5, 256, 0, 0});
  EXPECT_EQ(PointsOf(turn), (std::vector<TPoint>{{-15, 10}, {5, 0}}));
}

// Products of coordinates and coefficients used to wrap in 32 bits.
TEST(VectorListTest, TransformFixedLargeCoordinatesDoNotWrap) {
  TVectorList v(8, 8, 0);
  v.AddLine(100000, -100000, 0, 0);
  v.TransformFixed(TFixedMatrix{256 * 100, 0, 0, 0, 256 * 100, 0});
  EXPECT_EQ(v.Point(0), (TPoint{10000000, -10000000}));
}

TEST(VectorListTest, NegativeSizesAreRefused) {
  EXPECT_THROW(TVectorList(-1, 4, 0), EInternalError);
  EXPECT_THROW(TVectorList(4, -4, 0), EInternalError);
}

}  // namespace
