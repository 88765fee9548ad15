#include "foundation/geometry/clip.h"

#include <gtest/gtest.h>

namespace {

// A stored record as the clipping area sees it.
class FakeRecord : public IClipRecord {
 public:
  FakeRecord(int kind, TRealPoint first, TRealPoint second)
      : kind_(kind), first_(first), second_(second) {}
  int Kind() const override { return kind_; }
  TRealPoint FirstPoint() const override { return first_; }
  TRealPoint SecondPoint() const override { return second_; }

 private:
  int kind_;
  TRealPoint first_, second_;
};

std::unique_ptr<TRealPolygon> UnitSquare() {
  auto p = std::make_unique<TRealPolygon>();
  for (TRealPoint pt : {TRealPoint{0, 0}, TRealPoint{1, 0}, TRealPoint{1, 1}, TRealPoint{0, 1}})
    p->Add(pt);  // through the list: the clip recomputes the bounds
  return p;
}

// A polygon that counts its destructions.
class CountedPolygon : public TRealPolygon {
 public:
  explicit CountedPolygon(int* deaths) : deaths_(deaths) {}
  ~CountedPolygon() override { ++*deaths_; }

 private:
  int* deaths_;
};

TEST(ClipTest, BaseClipHoldsNothing) {
  const TClip clip;
  EXPECT_EQ(clip.GetBounds(), (TRealRect{}));
  EXPECT_FALSE(clip.ContainsPoint(RealPoint(0, 0)));
  EXPECT_FALSE(clip.AcceptsRecord(FakeRecord(0, {0, 0}, {0, 0}), kClipSecondPoint));
}

TEST(RectClipTest, CornersAreNormalisedBordersInside) {
  const TRectClip clip(10, 20, 0, 0);
  EXPECT_EQ(clip.GetBounds(), (TRealRect{0, 0, 10, 20}));
  EXPECT_TRUE(ClipContains(clip, RealPoint(5, 5)));
  EXPECT_TRUE(ClipContains(clip, RealPoint(10, 20)));
  EXPECT_FALSE(ClipContains(clip, RealPoint(11, 5)));
  EXPECT_TRUE(clip.AcceptsRecord(FakeRecord(0, {100, 100}, {200, 200}), 0));
}

TEST(RectClipTest, UnnormalisedRectangleIsKeptAndContainsNothing) {
  const TRectClip clip(TRealRect{10, 20, 0, 0});
  EXPECT_EQ(clip.Rect, (TRealRect{10, 20, 0, 0}));
  EXPECT_FALSE(clip.ContainsPoint(RealPoint(5, 5)));
  EXPECT_FALSE(clip.ContainsPoint(RealPoint(10, 20)));
}

TEST(PolygonClipTest, BoundsAndPoints) {
  const TPolygonClip clip(UnitSquare());
  EXPECT_EQ(clip.GetBounds(), (TRealRect{0, 0, 1, 1}));
  EXPECT_TRUE(ClipContains(clip, RealPoint(0.5, 0.5)));
  EXPECT_FALSE(ClipContains(clip, RealPoint(1.5, 0.5)));

  const TPolygonClip none(nullptr);
  EXPECT_EQ(none.GetBounds(), (TRealRect{}));
  EXPECT_FALSE(none.ContainsPoint(RealPoint(0, 0)));
}

TEST(PolygonClipTest, RecordsBySecondPointOnlyWithOption) {
  const TPolygonClip clip(UnitSquare());
  const struct {
    int kind;
    TRealPoint first, second;
    std::uint32_t options;
    bool accepted;
  } cases[] = {
      {0, {0.5, 0.5}, {2, 2}, 0, true},                 // first point inside
      {0, {2, 2}, {0.5, 0.5}, 0, false},                // second only, no option
      {0, {2, 2}, {0.5, 0.5}, kClipSecondPoint, true},  // second only, with option
      {1, {2, 2}, {0.5, 0.5}, kClipSecondPoint | 1, true},
      {kClipRecordCircle, {2, 2}, {0.5, 0.5}, kClipSecondPoint, false},  // circle: no second
      {kClipRecordCircle, {0.5, 0.5}, {0, 0}, 0, true},
      {0, {2, 2}, {3, 3}, kClipSecondPoint, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(clip.AcceptsRecord(FakeRecord(c.kind, c.first, c.second), c.options), c.accepted)
        << "kind " << c.kind << " options " << c.options;
}

TEST(PolygonClipTest, SetPolygonFreesPreviousOnce) {
  int first_deaths = 0, second_deaths = 0;
  {
    auto first = std::make_unique<CountedPolygon>(&first_deaths);
    first->Add(RealPoint(0, 0));
    first->Add(RealPoint(1, 1));
    TPolygonClip clip(std::move(first));
    auto second = std::make_unique<CountedPolygon>(&second_deaths);
    second->Add(RealPoint(5, 5));
    second->Add(RealPoint(7, 9));
    clip.SetPolygon(std::move(second));
    EXPECT_EQ(first_deaths, 1);
    EXPECT_EQ(second_deaths, 0);
    EXPECT_EQ(clip.GetBounds(), (TRealRect{5, 5, 7, 9}));
  }
  EXPECT_EQ(first_deaths, 1);
  EXPECT_EQ(second_deaths, 1);
}

}  // namespace
