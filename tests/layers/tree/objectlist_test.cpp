// The object lists of the sublayers: cell coding, re-framing, the window
// test, fast-display thinning, the record-number order, ownership through
// FreeItem, growth, the text list's cells, and changes made by one thread
// while another runs queries.
#include "layers/tree/objectlist.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/drawparams.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "objects/grobj.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

// A graphic object with given bounds (or a segment when Line is set), a
// record number, bounds of its own under drawing parameters and a counted
// life.
class TListObj : public TEGraphObj {
 public:
  explicit TListObj(const TRealRect& B, std::uint32_t Index = 0) : Bounds(B) {
    SetIndex(Index);
    ++Alive;
  }
  static std::unique_ptr<TListObj> Point(double X, double Y, std::uint32_t Index = 0) {
    return std::make_unique<TListObj>(TRealRect{X, Y, X, Y}, Index);
  }
  static std::unique_ptr<TListObj> Segment(double X1, double Y1, double X2, double Y2,
                                           std::uint32_t Index = 0) {
    auto o = std::make_unique<TListObj>(RealRect(X1, Y1, X2, Y2), Index);
    o->Line = true;
    o->A = TRealPoint{X1, Y1};
    o->B = TRealPoint{X2, Y2};
    return o;
  }
  ~TListObj() override { --Alive; }

  static inline std::atomic<int> Alive{0};

  TRealRect Bounds;
  // GetBoundsFor answers these when set (texts measured under parameters).
  bool HasParamBounds = false;
  TRealRect ParamBounds;
  bool Line = false;
  bool Dpi = false;
  bool FailBounds = false;
  TRealPoint A, B;

  std::unique_ptr<TEGraphObj> CreateNew() const override {
    return std::make_unique<TListObj>(TRealRect{});
  }
  void Draw(TRealCanvas&) const override {}
  void Transform(const TAffineMatrix&) override {}
  void Move(const TRealPoint&) override {}
  TRealRect GetBounds() const override {
    if (FailBounds) throw EInternalError("bounds");
    return Bounds;
  }
  TRealRect GetBoundsFor(const TDrawParamsImp* Params) const override {
    return Params != nullptr && HasParamBounds ? ParamBounds : GetBounds();
  }
  TRealPoint GetStartPoint() const override {
    return Line ? A : TRealPoint{Bounds.Left, Bounds.Top};
  }
  TRealPoint GetEndPoint() const override { return Line ? B : GetStartPoint(); }
  bool IsStraightLine() const override { return Line; }
  bool HasDPISymbol() const override { return Dpi; }
};

// Parameters of a printout.
class TPrintParams : public TDrawParams {
 public:
  using TDrawParams::TDrawParams;
  bool IsPrinting() const override { return true; }
};

// A plain list owning its objects, to reach the base rules.
class TPlainList : public TGraphObjList {
 public:
  ~TPlainList() override { Clear(); }
  void FreeItem(TEGraphObj* Obj) override { FreeGraphObj(Obj); }
};

class ObjectListTest : public ::testing::Test {
 protected:
  void SetUp() override { TListObj::Alive = 0; }
  void TearDown() override { EXPECT_EQ(TListObj::Alive.load(), 0); }

  // Appends as the sublayer does for a new object (no key order).
  static TListObj* Append(TGraphObjList& L, std::unique_ptr<TListObj> O) {
    TListObj* p = O.release();
    p->MarkInList();
    L.Insert(L.Count(), p);
    return p;
  }

  static std::array<int, 4> Cells(const TGraphObjList& L, int I) {
    const auto& c = L.Entry(I).Cells;
    return {c[0], c[1], c[2], c[3]};
  }

  // The entries a drawing of the sublayer would draw: the window test and
  // the thinning, in list order.
  static std::vector<int> Drawn(TGraphObjList& L, const TRealRect& Window, TDrawParamsImp* P) {
    std::vector<int> drawn;
    TListQuery q(L, Window, P);
    L.PrepareDensity();
    for (int i = 0; i < L.Count(); ++i)
      if (L.InQueryWindow(i) && L.DensityAccept(i)) drawn.push_back(i);
    return drawn;
  }

  static std::vector<int> InWindow(TGraphObjList& L, const TRealRect& Window) {
    std::vector<int> in;
    TListQuery q(L, Window, nullptr);
    for (int i = 0; i < L.Count(); ++i)
      if (L.InQueryWindow(i)) in.push_back(i);
    return in;
  }
};

std::vector<int> Range(int From, int To) {
  std::vector<int> r;
  for (int i = From; i < To; ++i) r.push_back(i);
  return r;
}

// --- Cell coding ---

TEST_F(ObjectListTest, CellCodingOfTheFrameFraction) {
  struct Case {
    double t;
    int cell;
  } cases[] = {
      {-1e-9, 1}, {-5.0, 1}, {0.0, 2}, {0.5, 128}, {0.999, 253}, {1.0, 254}, {1.0 + 1e-9, 255},
      {1e300, 255}, {-std::numeric_limits<double>::infinity(), 1},
      {std::numeric_limits<double>::quiet_NaN(), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TGraphObjList::CellOf(c.t), c.cell) << c.t;
}

TEST_F(ObjectListTest, LineAndCentreFormsInTheFrame) {
  TGrObjList l;
  Append(l, std::make_unique<TListObj>(TRealRect{0, 0, 100, 200}));
  l.Reframe();
  EXPECT_EQ(l.X0(), 0.0);
  EXPECT_EQ(l.Y0(), 0.0);
  EXPECT_EQ(l.DX(), 100.0);
  EXPECT_EQ(l.DY(), 200.0);
  EXPECT_EQ(l.MinSize(), 100.0);
  Append(l, TListObj::Segment(25, 50, 100, 0));
  Append(l, std::make_unique<TListObj>(TRealRect{10, 20, 20, 30}));
  Append(l, std::make_unique<TListObj>(TRealRect{-20, 20, -10, 30}));
  Append(l, TListObj::Segment(50, 100, 150, 250));

  // Centre (50, 100); size 200 / 100 lies beyond the frame.
  EXPECT_EQ(Cells(l, 0), (std::array<int, 4>{128, 128, 0, 255}));
  // Start and end points.
  EXPECT_EQ(Cells(l, 1), (std::array<int, 4>{65, 65, 254, 2}));
  // Centre (15, 25), size 10 / 100.
  EXPECT_EQ(Cells(l, 2), (std::array<int, 4>{39, 33, 0, 27}));
  // Wholly left of the frame.
  EXPECT_EQ(Cells(l, 3), (std::array<int, 4>{1, 33, 0, 27}));
  // End beyond the frame on both axes.
  EXPECT_EQ(Cells(l, 4), (std::array<int, 4>{128, 128, 255, 255}));
}

TEST_F(ObjectListTest, RealLinesAndPointsTakeTheirForms) {
  TGrObjList l;
  auto* line = new TLinia(TRealPoint{0, 0}, TRealPoint{100, 100});
  line->SetIndex(1);
  auto* point = new TPunkt(TRealPoint{50, 25});
  point->SetIndex(2);
  ASSERT_EQ(l.Add(line), 0);
  ASSERT_EQ(l.Add(point), 1);
  l.Reframe();
  EXPECT_EQ(Cells(l, 0), (std::array<int, 4>{2, 2, 254, 254}));
  // A point is a small box: centre form.
  EXPECT_EQ(Cells(l, 1)[2], 0);
  EXPECT_EQ(Cells(l, 1)[0], TGraphObjList::CellOf(50.0 / 100.0));
}

// --- Frame ---

TEST_F(ObjectListTest, ObjectsOnOneLineGiveAFrameOfOneTenth) {
  {
    TGrObjList l;
    for (int i = 0; i < 5; ++i) Append(l, TListObj::Point(5.0, 10.0 * i));
    l.Reframe();
    EXPECT_EQ(l.X0(), 5.0);
    EXPECT_DOUBLE_EQ(l.DX(), 0.1);
    EXPECT_EQ(l.DY(), 40.0);
    EXPECT_DOUBLE_EQ(l.MinSize(), 0.1);
    // Every centre then lies at the frame's start, inside it.
    for (int i = 0; i < l.Count(); ++i) EXPECT_EQ(Cells(l, i)[0], 2);
  }
  {
    TGrObjList l;
    for (int i = 0; i < 5; ++i) Append(l, TListObj::Point(10.0 * i, 7.0));
    l.Reframe();
    EXPECT_EQ(l.DX(), 40.0);
    EXPECT_DOUBLE_EQ(l.DY(), 0.1);
  }
  {
    TGrObjList l;
    Append(l, TListObj::Point(3.0, 4.0));
    l.Reframe();
    EXPECT_DOUBLE_EQ(l.DX(), 0.1);
    EXPECT_DOUBLE_EQ(l.DY(), 0.1);
  }
}

TEST_F(ObjectListTest, AnEmptyListKeepsItsFrame) {
  TGrObjList l;
  l.Reframe();
  EXPECT_EQ(l.DX(), 1.0);
  EXPECT_EQ(l.DY(), 1.0);
  EXPECT_TRUE(InWindow(l, TRealRect{0, 0, 10, 10}).empty());
}

TEST_F(ObjectListTest, ObjectLeftOfTheFramePassesOnlyAWindowReachingCellOne) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0));
  Append(l, TListObj::Point(100, 100));
  l.Reframe();
  Append(l, TListObj::Point(-50, 50));
  EXPECT_EQ(Cells(l, 2), (std::array<int, 4>{1, 128, 0, 2}));
  // Window within the frame, away from its left edge.
  EXPECT_EQ(InWindow(l, TRealRect{50, 0, 100, 100}), (std::vector<int>{1}));
  EXPECT_EQ(l.OutsideHits(), 1);
  // Window reaching beyond the left edge.
  EXPECT_EQ(InWindow(l, TRealRect{-100, 0, 100, 100}), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(l.OutsideHits(), 1);
}

TEST_F(ObjectListTest, EdgeHitsAboveHalfTheCountReframeAtTheNextQuery) {
  struct Case {
    int outside;
    bool reframes;
  } cases[] = {{2, false}, {3, true}};
  for (const Case& c : cases) {
    TGrObjList l;
    Append(l, TListObj::Point(0, 0));
    Append(l, TListObj::Point(100, 100));
    l.Reframe();
    for (int i = 0; i < c.outside; ++i) Append(l, TListObj::Point(-50.0 - i, 50));
    InWindow(l, TRealRect{-200, -200, 200, 200});
    EXPECT_EQ(l.OutsideHits(), c.outside);
    // Hits of 2 in 4 entries are not above half; 3 in 5 are.
    {
      TListQuery q(l, TRealRect{-200, -200, 200, 200}, nullptr);
      EXPECT_EQ(l.OutsideHits(), 0);
      EXPECT_EQ(l.X0(), c.reframes ? -50.0 - (c.outside - 1) : 0.0) << c.outside;
    }
  }
}

TEST_F(ObjectListTest, InvalidatedFrameReframesAtTheNextQuery) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0));
  Append(l, TListObj::Point(10, 10));
  l.Reframe();
  // An object moved out of the frame changes nothing by itself.
  static_cast<TListObj*>(l.Get(1))->Bounds = TRealRect{20, 20, 20, 20};
  { TListQuery q(l, TRealRect{0, 0, 1, 1}, nullptr); }
  EXPECT_EQ(l.DX(), 10.0);
  l.InvalidateFrame();
  { TListQuery q(l, TRealRect{0, 0, 1, 1}, nullptr); }
  EXPECT_EQ(l.DX(), 20.0);
  EXPECT_EQ(l.OutsideHits(), 0);
}

TEST_F(ObjectListTest, CheckFrameReframesWhenTheBoundsShrankBelowHalf) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0));
  TListObj* far = Append(l, TListObj::Point(100, 100));
  l.Reframe();
  // Still more than half the frame: kept.
  l.CheckFrame(TRealRect{0, 0, 60, 60});
  EXPECT_EQ(l.DX(), 100.0);
  far->Bounds = TRealRect{40, 10, 40, 10};
  l.CheckFrame(TRealRect{0, 0, 40, 60});
  EXPECT_EQ(l.DX(), 40.0);
  EXPECT_EQ(l.DY(), 10.0);
}

TEST_F(ObjectListTest, LineFormWindowTestByOutcodes) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0));
  Append(l, TListObj::Point(100, 100));
  l.Reframe();
  Append(l, TListObj::Segment(10, 50, 90, 50));  // crosses the window, both ends outside
  Append(l, TListObj::Segment(10, 10, 30, 20));  // wholly below the window in X
  // Left of the window at one end, above it at the other: the outcodes share
  // no bit, so the object is asked, though the segment misses the window.
  Append(l, TListObj::Segment(10, 60, 60, 90));
  Append(l, TListObj::Segment(45, 45, 55, 55));  // inside
  Append(l, TListObj::Segment(70, 70, 90, 90));  // wholly beyond both upper edges
  EXPECT_EQ(InWindow(l, TRealRect{40, 40, 60, 60}), (std::vector<int>{2, 4, 5}));
}

// --- Fast display ---

class FastDisplayTest : public ObjectListTest {
 protected:
  void SetUp() override {
    ObjectListTest::SetUp();
    platform::TIniFile ini(folder.Put("tolvika.ini", ""));
    cfg.Read(ini);
    ASSERT_TRUE(cfg.FastDisplay);
    ASSERT_EQ(cfg.FastDisplaySize, 8);
    ASSERT_EQ(cfg.FastDisplayCount, 8);
    // One pixel per world unit: the frame of 1000 units is 1000 pixels wide,
    // a grid cell of 8 pixels is 2 cell units.
    dims.ScaleX = 1.0;
    dims.ScaleY = 1.0;
    // Corners 0 and 1 span the frame; 2..51 are 50 tiny points in one grid
    // cell; 52 a line longer than a grid cell there, 53 a short one.
    Append(list, TListObj::Point(0, 0));
    Append(list, TListObj::Point(1000, 1000));
    list.Reframe();
    for (int i = 0; i < 50; ++i) Append(list, TListObj::Point(500 + 0.01 * i, 500));
    Append(list, TListObj::Segment(500, 500, 510, 500));
    Append(list, TListObj::Segment(500, 500, 500.5, 500.5));
  }

  void TearDown() override {
    list.Clear();
    ObjectListTest::TearDown();
  }

  ScratchFolder folder;
  TCanvasCfg cfg;
  TWindowDim dims;
  TGrObjList list;
  const TRealRect window{0, 0, 1000, 1000};
};

TEST_F(FastDisplayTest, OnlyTheFirstEightTinyObjectsOfACellAreDrawn) {
  TDrawParams params(&cfg, &dims);
  std::vector<int> expected = Range(0, 10);
  expected.push_back(52);
  EXPECT_EQ(Drawn(list, window, &params), expected);
  // The grid lives for one drawing only.
  EXPECT_EQ(Drawn(list, window, &params), expected);
}

TEST_F(FastDisplayTest, PrintingNeverThins) {
  TPrintParams params(&cfg, &dims);
  EXPECT_EQ(Drawn(list, window, &params), Range(0, 54));
}

TEST_F(FastDisplayTest, NoThinningWithoutTheSettingOrAConvertibleFrame) {
  {
    TCanvasCfg off(cfg);
    off.FastDisplay = false;
    TDrawParams params(&off, &dims);
    EXPECT_EQ(Drawn(list, window, &params), Range(0, 54));
  }
  {
    TDrawParams params(&cfg, nullptr);
    EXPECT_EQ(Drawn(list, window, &params), Range(0, 54));
  }
  {
    // No scale yet: the frame has no device length.
    TWindowDim unsized;
    TDrawParams params(&cfg, &unsized);
    EXPECT_EQ(Drawn(list, window, &params), Range(0, 54));
  }
  {
    TWindowDim broken;
    broken.ScaleX = std::numeric_limits<double>::quiet_NaN();
    broken.ScaleY = 1.0;
    TDrawParams params(&cfg, &broken);
    EXPECT_EQ(Drawn(list, window, &params), Range(0, 54));
  }
  EXPECT_EQ(Drawn(list, window, nullptr), Range(0, 54));
}

TEST_F(FastDisplayTest, TheCountAndCellSizeComeFromTheSettings) {
  TCanvasCfg three(cfg);
  three.FastDisplayCount = 3;
  TDrawParams params(&three, &dims);
  std::vector<int> expected = Range(0, 5);
  expected.push_back(52);
  EXPECT_EQ(Drawn(list, window, &params), expected);

  // A count above what a byte counter holds draws everything.
  TCanvasCfg many(cfg);
  many.FastDisplayCount = 1000;
  TDrawParams manyParams(&many, &dims);
  EXPECT_EQ(Drawn(list, window, &manyParams), Range(0, 54));

  // Cells of 40 pixels: the long line now fits into one grid cell.
  TCanvasCfg wide(cfg);
  wide.FastDisplaySize = 40;
  TDrawParams wideParams(&wide, &dims);
  EXPECT_EQ(Drawn(list, window, &wideParams), Range(0, 10));
}

// --- Record-number order ---

TEST_F(ObjectListTest, FindGivesTheFirstPositionNotBelowTheKey) {
  TGrObjList l;
  l.AllowDuplicates = true;
  for (std::uint32_t k : {9u, 5u, 3u, 5u}) ASSERT_GE(l.Add(TListObj::Point(0, 0, k).release()), 0);
  ASSERT_EQ(l.Count(), 4);
  struct Case {
    std::uint32_t key;
    bool found;
    int index;
  } cases[] = {{5, true, 1}, {6, false, 3}, {3, true, 0}, {9, true, 3},
               {0, false, 0}, {2, false, 0}, {10, false, 4}};
  for (const Case& c : cases) {
    int index = -1;
    EXPECT_EQ(l.Find(c.key, index), c.found) << c.key;
    EXPECT_EQ(index, c.index) << c.key;
  }
  int index = -1;
  EXPECT_FALSE(TGrObjList().Find(5, index));
  EXPECT_EQ(index, 0);
}

TEST_F(ObjectListTest, RecordNumbersCompareUnsigned) {
  TGrObjList l;
  EXPECT_EQ(l.Compare(0x04000000u, 1u), 1);
  EXPECT_EQ(l.Compare(0x80000000u, 1u), 1);
  EXPECT_EQ(l.Compare(1u, 0xFFFFFFFFu), -1);
  EXPECT_EQ(l.Compare(7u, 7u), 0);
  ASSERT_EQ(l.Add(TListObj::Point(0, 0, 0x04000000u).release()), 0);
  ASSERT_EQ(l.Add(TListObj::Point(0, 0, 1).release()), 0);
  EXPECT_EQ(l.Get(1)->GetIndex(), 0x04000000u);
}

TEST_F(ObjectListTest, AddOfADuplicateRecordNumberFreesTheObject) {
  TGrObjList l;
  TListObj* first = TListObj::Point(0, 0, 17).release();
  first->MarkInList();
  ASSERT_EQ(l.Add(first), 0);
  TListObj* second = TListObj::Point(1, 1, 17).release();
  second->MarkInList();
  EXPECT_EQ(l.Add(second), -1);
  EXPECT_EQ(TListObj::Alive.load(), 1);
  EXPECT_EQ(l.Count(), 1);
  EXPECT_EQ(l.Get(0), first);

  // Held by an undo entry too: only the list's mark goes.
  auto held = TListObj::Point(2, 2, 17);
  held->MarkInList();
  held->MarkUndoRef(true);
  EXPECT_EQ(l.Add(held.get()), -1);
  EXPECT_EQ(held->IndexWord & kIndexInList, 0u);
  EXPECT_FALSE(held->IsUnowned());
}

TEST_F(ObjectListTest, SortOrdersByRecordNumberAndKeepsCellsWithTheirObjects) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0, 0));
  Append(l, TListObj::Point(100, 100, 0));
  l.Reframe();
  const std::uint32_t keys[] = {40, 0, 7, 0, 3};
  std::vector<TEGraphObj*> zeros;
  for (int i = 0; i < 5; ++i) {
    TListObj* o = Append(l, TListObj::Point(10.0 * i, 5.0 * i, keys[i]));
    if (keys[i] == 0) zeros.push_back(o);
  }
  l.Sort();
  std::vector<std::uint32_t> sorted;
  for (int i = 0; i < l.Count(); ++i) sorted.push_back(l.Get(i)->GetIndex());
  EXPECT_EQ(sorted, (std::vector<std::uint32_t>{0, 0, 0, 0, 3, 7, 40}));
  // New objects keep their order among themselves.
  EXPECT_EQ(l.Get(2), zeros[0]);
  EXPECT_EQ(l.Get(3), zeros[1]);
  for (int i = 0; i < l.Count(); ++i) {
    const TRealRect b = l.Get(i)->GetBounds();
    EXPECT_EQ(Cells(l, i)[0], TGraphObjList::CellOf(b.Left / 100.0)) << i;
    EXPECT_EQ(Cells(l, i)[1], TGraphObjList::CellOf(b.Top / 100.0)) << i;
  }
}

// --- Entries and ownership ---

TEST_F(ObjectListTest, EntryOperationsKeepOwnershipWithTheCaller) {
  TGrObjList l;
  TListObj* a = Append(l, TListObj::Point(0, 0, 1));
  TListObj* b = Append(l, TListObj::Point(10, 10, 2));
  l.Reframe();
  TListObj* c = TListObj::Point(5, 5, 3).release();
  l.Insert(1, c);
  EXPECT_EQ(l.IndexOf(c), 1);
  EXPECT_EQ(l.IndexOf(b), 2);
  EXPECT_EQ(Cells(l, 1)[0], TGraphObjList::CellOf(0.5));

  // Put recomputes the cells and leaves the old object alone.
  auto d = TListObj::Point(10, 0, 4);
  l.Put(1, d.release());
  EXPECT_EQ(Cells(l, 1)[0], 254);
  EXPECT_EQ(Cells(l, 1)[1], 2);
  delete c;

  // The same object twice: Remove takes the last one.
  l.Insert(0, b);
  EXPECT_EQ(l.Remove(b), 3);
  EXPECT_EQ(l.IndexOf(b), 0);
  l.Delete(0);
  EXPECT_EQ(l.Remove(b), -1);
  EXPECT_EQ(l.Count(), 2);
  TEGraphObj::UnmarkInList(b);
  FreeGraphObj(b);
  EXPECT_EQ(l.Get(0), a);
}

TEST_F(ObjectListTest, IndexesOutsideTheListAreRefused) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0));
  auto o = TListObj::Point(1, 1);
  EXPECT_THROW(l.Get(1), EListError);
  EXPECT_THROW(l.Get(-1), EListError);
  EXPECT_THROW(l.Entry(1), EListError);
  EXPECT_THROW(l.Put(1, o.get()), EListError);
  EXPECT_THROW(l.Insert(2, o.get()), EListError);
  EXPECT_THROW(l.Insert(-1, o.get()), EListError);
  EXPECT_THROW(l.Delete(1), EListError);
  EXPECT_THROW(l.InQueryWindow(1), EListError);
  EXPECT_THROW(l.Insert(0, nullptr), EInternalError);
  EXPECT_THROW(l.Put(0, nullptr), EInternalError);
  EXPECT_THROW(l.Add(nullptr), EInternalError);
  EXPECT_THROW(l.SetCapacity(0), EListError);
  EXPECT_EQ(l.Count(), 1);
}

TEST_F(ObjectListTest, ClearFreesWhatNothingElseHolds) {
  auto held = TListObj::Point(1, 1, 2);
  {
    TGrObjList l;
    Append(l, TListObj::Point(0, 0, 1));
    l.Add(held.get());
    held->MarkInList();
    held->MarkInBlock();
    Append(l, TListObj::Point(10, 20, 3));
    l.Reframe();
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Capacity(), 0);
    EXPECT_EQ(l.DX(), 1.0);
    EXPECT_EQ(l.X0(), 0.0);
    EXPECT_EQ(TListObj::Alive.load(), 1);
    EXPECT_EQ(held->IndexWord & kIndexInList, 0u);
    // The list is usable again; its destructor frees what it holds.
    Append(l, TListObj::Point(0, 0, 5));
  }
  EXPECT_EQ(TListObj::Alive.load(), 1);
}

TEST_F(ObjectListTest, GrowthRules) {
  struct Case {
    bool sorted;
    int delta;
    int from;
    std::vector<int> steps;
  } cases[] = {
      {false, 0, 0, {4, 8, 12, 28, 44, 60, 76, 95}},
      {false, 10, 0, {10, 20, 30}},
      {false, -5, 0, {4, 8}},
      {true, 16384, 1024, {2048, 4096, 8192, 16384, 32768, 49152}},
      // Doubling an empty array gives nothing: the rule without a step.
      {true, 16384, 0, {4, 8, 16}},
      {true, 0, 0, {4, 8, 12, 28}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TGraphObjList> l;
    if (c.sorted)
      l = std::make_unique<TGrObjList>();
    else
      l = std::make_unique<TPlainList>();
    l->SetDelta(c.delta);
    l->SetCapacity(c.from);
    std::vector<int> steps;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      l->Grow();
      steps.push_back(l->Capacity());
    }
    EXPECT_EQ(steps, c.steps) << c.sorted << " " << c.delta;
  }
}

TEST_F(ObjectListTest, ASublayerListGrowsAgainAfterItWasReset) {
  TGrObjList l;
  l.SetDelta(16384);
  l.SetCapacity(1024);
  Append(l, TListObj::Point(0, 0));
  l.Clear();
  ASSERT_EQ(l.Capacity(), 0);
  for (int i = 0; i < 20; ++i) Append(l, TListObj::Point(i, i));
  EXPECT_EQ(l.Count(), 20);
  EXPECT_GE(l.Capacity(), 20);
}

TEST_F(ObjectListTest, DeletedListFreesWhatNothingElseHolds) {
  auto held = TListObj::Point(0, 0, 9);
  {
    TGrObjDeletedList d;
    TListObj* a = TListObj::Point(0, 0, 1).release();
    a->MarkInList();
    d.Add(a);
    held->MarkInList();
    held->MarkUndoRef(false);
    d.Add(held.get());
    TListObj* b = TListObj::Point(0, 0, 2).release();
    d.Add(b);
    d.Delete(2);
    EXPECT_EQ(d.Count(), 2);
    EXPECT_THROW(d.Delete(2), EListError);
    delete b;
    d.Clear();
    EXPECT_EQ(d.Count(), 0);
    EXPECT_EQ(TListObj::Alive.load(), 1);
    EXPECT_EQ(held->IndexWord & kIndexInList, 0u);
    d.Add(TListObj::Point(0, 0, 3).release());
  }
  EXPECT_EQ(TListObj::Alive.load(), 1);
}

// --- Text list ---

TEST_F(ObjectListTest, TextCellsComeFromTheBoundsUnderTheQueryParameters) {
  TTxtGrObjList l;
  TDrawParams params;
  Append(l, TListObj::Point(0, 0, 1));
  Append(l, TListObj::Point(100, 100, 2));
  l.Reframe();
  auto text = TListObj::Point(50, 50, 3);
  text->HasParamBounds = true;
  text->ParamBounds = TRealRect{40, 30, 60, 50};  // centre (50, 40), size 20
  auto symbol = TListObj::Point(20, 80, 4);
  symbol->HasParamBounds = true;
  symbol->ParamBounds = TRealRect{0, 0, 100, 100};
  symbol->Dpi = true;
  TListObj* t = Append(l, std::move(text));
  Append(l, std::move(symbol));
  // Without parameters: the start point, 0 and the largest size.
  EXPECT_EQ(Cells(l, 2), (std::array<int, 4>{128, 128, 0, 255}));
  EXPECT_EQ(Cells(l, 3), (std::array<int, 4>{52, 203, 0, 255}));
  EXPECT_EQ(l.GetItemBounds(2), (TRealRect{50, 50, 50, 50}));
  {
    TListQuery q(l, TRealRect{0, 0, 100, 100}, &params);
    EXPECT_EQ(l.Params(), &params);
    EXPECT_EQ(l.GetItemBounds(2), (TRealRect{40, 30, 60, 50}));
    l.Reframe();
    // Half the size of the measured extent.
    EXPECT_EQ(Cells(l, 2), (std::array<int, 4>{128, 102, 0, 27}));
    // A device-resolution symbol keeps the start point form.
    EXPECT_EQ(Cells(l, 3)[3], 255);
    // Added during the query: measured at once.
    l.Put(2, t);
    EXPECT_EQ(Cells(l, 2), (std::array<int, 4>{128, 102, 0, 27}));
  }
  EXPECT_EQ(l.Params(), nullptr);
}

// --- Locking ---

// Run once more under ThreadSanitizer by scripts/test (suites named
// RedrawConcurrency*).
class RedrawConcurrencyObjectList : public ObjectListTest {};

TEST_F(RedrawConcurrencyObjectList, AFailingReframeLeavesTheLockAgain) {
  TGrObjList l;
  TListObj* o = Append(l, TListObj::Point(0, 0));
  l.InvalidateFrame();
  o->FailBounds = true;
  TDrawParams params;
  EXPECT_THROW({ TListQuery q(l, TRealRect{0, 0, 1, 1}, &params); }, EInternalError);
  EXPECT_EQ(l.Params(), nullptr);
  bool locked = false;
  std::thread other([&] {
    locked = l.Lock().try_lock();
    if (locked) l.Lock().unlock();
  });
  other.join();
  EXPECT_TRUE(locked);
  o->FailBounds = false;
}

TEST_F(RedrawConcurrencyObjectList, AChangeWaitsForARunningQuery) {
  TGrObjList l;
  Append(l, TListObj::Point(0, 0, 1));
  std::atomic<bool> added{false};
  std::thread changer;
  {
    TListQuery q(l, TRealRect{0, 0, 1, 1}, nullptr);
    changer = std::thread([&] {
      l.Add(TListObj::Point(1, 1, 2).release());
      added = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(added);
    EXPECT_EQ(l.Count(), 1);
  }
  changer.join();
  EXPECT_TRUE(added);
  EXPECT_EQ(l.Count(), 2);
}

// One thread draws the list again and again while another adds, inserts,
// replaces and deletes objects, as the GUI thread does during a redraw.
TEST_F(RedrawConcurrencyObjectList, QueriesAndChangesFromTwoThreads) {
  TGrObjList l;
  l.SetDelta(16);
  l.SetCapacity(4);
  for (std::uint32_t i = 1; i <= 20; ++i) {
    TListObj* o = TListObj::Point(i, i, i).release();
    o->MarkInList();
    l.Add(o);
  }
  TCanvasCfg cfg;
  cfg.FastDisplayCount = 2;
  TWindowDim dims;
  dims.ScaleX = 1.0;
  dims.ScaleY = 1.0;
  std::atomic<bool> stop{false};
  std::atomic<long> looked{0};
  std::thread drawer([&] {
    TDrawParams params(&cfg, &dims);
    while (!stop) {
      {
        TListQuery q(l, TRealRect{0, 0, 500, 500}, &params);
        l.PrepareDensity();
        for (int i = 0; i < l.Count(); ++i) {
          if (l.InQueryWindow(i) && l.DensityAccept(i)) {
            const TRealRect b = l.Get(i)->GetBounds();
            looked += b.Left >= 0 ? 1 : 0;
          }
        }
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  std::uint32_t next = 1000;
  for (int round = 0; round < 300; ++round) {
    TListObj* o = TListObj::Point(round % 500, (round * 7) % 500, next++).release();
    o->MarkInList();
    l.Add(o);
    TListObj* n = TListObj::Point(round % 300, 3, 0).release();
    n->MarkInList();
    l.Insert(l.Count(), n);
    if (round % 3 == 0) {
      TListObj* r = TListObj::Point(round % 200, 9, next++).release();
      r->MarkInList();
      TEGraphObj* old = l.Get(round % l.Count());
      l.Put(round % l.Count(), r);
      TEGraphObj::UnmarkInList(old);
      FreeGraphObj(old);
    }
    if (round % 2 == 0) {
      TEGraphObj* gone = l.Get(0);
      l.Delete(0);
      TEGraphObj::UnmarkInList(gone);
      FreeGraphObj(gone);
    }
    if (round % 50 == 0) {
      l.InvalidateFrame();
      l.Sort();
    }
  }
  // On a busy machine the drawing thread may not have run yet: let it look
  // at the list before it stops (a bounded wait).
  for (int wait = 0; looked.load() == 0 && wait < 10000; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stop = true;
  drawer.join();
  EXPECT_GT(looked.load(), 0);
  EXPECT_EQ(TListObj::Alive.load(), l.Count());
  l.Clear();
}

}  // namespace

// --- The bucket grid ---

// The positions a query finds through the grid against a walk over the
// whole list, for a table of windows over the frame (small, thin, at the
// edges, outside, the whole frame).
class GridTest : public ObjectListTest {
 protected:
  static std::vector<int> Walked(TGraphObjList& L, const TRealRect& W) {
    std::vector<int> in;
    TListQuery q(L, W, nullptr);
    for (int i = 0; i < L.Count(); ++i)
      if (L.InQueryWindow(i)) in.push_back(i);
    return in;
  }
  static std::vector<int> ThroughGrid(TGraphObjList& L, const TRealRect& W, int* Looked = nullptr) {
    std::vector<int> in;
    TListQuery q(L, W, nullptr);
    int last = -1;
    for (int k = 0; k < L.QueryCount(); ++k) {
      const int i = L.QueryIndex(k);
      EXPECT_GT(i, last) << "candidates out of list order";
      last = i;
      if (L.InQueryWindow(i)) in.push_back(i);
    }
    if (Looked != nullptr) *Looked = L.QueryCount();
    return in;
  }
  static void ExpectSameAsWalk(TGraphObjList& L, const char* Step) {
    const TRealRect windows[] = {
        {100, 100, 110, 110}, {0, 0, 5, 5},       {995, 995, 1000, 1000}, {-50, -50, -10, -10},
        {400, 0, 401, 1000},  {0, 700, 1000, 702}, {250, 250, 350, 330},  {-100, -100, 1100, 1100},
        {520, 520, 520, 520},
    };
    for (const TRealRect& w : windows)
      EXPECT_EQ(ThroughGrid(L, w), Walked(L, w)) << Step << " window " << w.Left << "," << w.Top;
  }
  // Points, short segments, an eighth larger than a bucket.
  static std::unique_ptr<TListObj> RandomObject(std::mt19937& Rng, std::uint32_t Index) {
    std::uniform_real_distribution<double> at(0, 1000), step(-6, 6);
    const double x = at(Rng), y = at(Rng);
    switch (Rng() % 8) {
      case 0: return TListObj::Point(x, y, Index);
      case 1: return std::make_unique<TListObj>(RealRect(x, y, x + 200, y + 30), Index);
      default: return TListObj::Segment(x, y, x + step(Rng), y + step(Rng), Index);
    }
  }
};

TEST_F(GridTest, ASmallWindowLooksAtFewEntriesAndFindsWhatAWalkFinds) {
  TGrObjList l;
  std::mt19937 rng(7);
  for (int i = 0; i < 6000; ++i) Append(l, RandomObject(rng, static_cast<std::uint32_t>(i + 1)));
  l.Reframe();
  ASSERT_TRUE(l.HasGrid());
  int looked = 0;
  const TRealRect w{100, 100, 110, 110};
  EXPECT_EQ(ThroughGrid(l, w, &looked), Walked(l, w));
  // The large objects (about a quarter) and a few buckets, not the list.
  EXPECT_LT(looked, l.Count() / 3);
  ExpectSameAsWalk(l, "built");
  // A small list keeps no grid and is walked whole.
  TGrObjList few;
  for (int i = 0; i < 10; ++i) Append(few, RandomObject(rng, static_cast<std::uint32_t>(i + 1)));
  few.Reframe();
  EXPECT_FALSE(few.HasGrid());
  EXPECT_EQ(ThroughGrid(few, w), Walked(few, w));
}

TEST_F(GridTest, TheGridStaysExactThroughInsertsDeletesMovesAndUndo) {
  TGrObjList l;
  std::mt19937 rng(11);
  for (int i = 0; i < 5000; ++i) Append(l, RandomObject(rng, static_cast<std::uint32_t>(2 * i + 2)));
  l.Reframe();
  ASSERT_TRUE(l.HasGrid());
  std::vector<TEGraphObj*> taken;  // objects deleted from the list, kept for undo
  std::uint32_t odd = 1;
  for (int round = 0; round < 60; ++round) {
    const int at = static_cast<int>(rng() % static_cast<unsigned>(l.Count()));
    switch (round % 5) {
      case 0: {  // insert in key order (an odd record number between two stored ones)
        auto o = RandomObject(rng, odd);
        odd += 2;
        o->MarkInList();
        ASSERT_GE(l.Add(o.release()), 0);
        break;
      }
      case 1:  // delete, kept for undo
        taken.push_back(l.Get(at));
        l.Delete(at);
        break;
      case 2: {  // move: the object changes, its cells follow
        auto* o = static_cast<TListObj*>(l.Get(at));
        o->Bounds = RealRect(900, 50, 901, 51);
        o->A = TRealPoint{900, 50};
        o->B = TRealPoint{901, 51};
        l.UpdateCells(at);
        break;
      }
      case 3: {  // replace (an edit) and put the old one back (its undo)
        TEGraphObj* old = l.Get(at);
        auto edited = TListObj::Point(5, 995, old->GetIndex());
        l.Put(at, edited.get());
        ExpectSameAsWalk(l, "replaced");
        l.Put(at, old);
        break;
      }
      case 4:  // undo of a deletion: the object goes back in key order
        if (!taken.empty()) {
          ASSERT_GE(l.Add(taken.back()), 0);
          taken.pop_back();
        }
        break;
    }
    ExpectSameAsWalk(l, "after a change");
  }
  EXPECT_TRUE(l.HasGrid());
  for (TEGraphObj* o : taken) {
    TEGraphObj::UnmarkInList(o);
    FreeGraphObj(o);
  }
  // Sorting moves every position: the next query builds the grid again.
  l.Sort();
  ExpectSameAsWalk(l, "sorted");
}

TEST_F(GridTest, ALoadComputesCellsOnceWhenFramedAndAQueryFramesAnUnfinishedOne) {
  TGrObjList l;
  l.DeferCells();
  std::mt19937 rng(3);
  TRealRect bounds{};
  for (int i = 0; i < 5000; ++i) {
    TListObj* o = Append(l, RandomObject(rng, static_cast<std::uint32_t>(i + 1)));
    bounds = i == 0 ? o->Bounds : UnionRealRect(bounds, o->Bounds);
    EXPECT_EQ(Cells(l, i), (std::array<int, 4>{0, 0, 0, 0}));
  }
  l.FrameTo(bounds);
  EXPECT_FALSE(l.CellsDeferred());
  EXPECT_DOUBLE_EQ(l.X0(), bounds.Left);
  EXPECT_DOUBLE_EQ(l.DX(), bounds.Right - bounds.Left);
  EXPECT_TRUE(l.HasGrid());
  ExpectSameAsWalk(l, "framed");
  // The frame is exact: the first query re-frames nothing.
  { TListQuery q(l, TRealRect{0, 0, 1000, 1000}, nullptr); }
  EXPECT_DOUBLE_EQ(l.X0(), bounds.Left);

  // A query meeting a list whose load has not ended frames it from its objects.
  TGrObjList loading;
  loading.DeferCells();
  Append(loading, TListObj::Point(10, 20, 1));
  Append(loading, TListObj::Point(30, 60, 2));
  EXPECT_EQ(InWindow(loading, TRealRect{0, 0, 15, 25}), std::vector<int>{0});
  EXPECT_FALSE(loading.CellsDeferred());
  EXPECT_DOUBLE_EQ(loading.X0(), 10.0);
}

// A list large enough for the grid: a drawing thread walks the candidates of
// a small window while this thread inserts, moves, replaces and deletes
// entries, so that every change of the grid meets running queries.
TEST_F(RedrawConcurrencyObjectList, GridQueriesAndChangesFromTwoThreads) {
  TGrObjList l;
  const std::uint32_t n = TGraphObjList::kGridMinCount + 500;
  for (std::uint32_t i = 1; i <= n; ++i) {
    TListObj* o = TListObj::Point((i * 37) % 1000, (i * 91) % 1000, 2 * i).release();
    o->MarkInList();
    l.Insert(l.Count(), o);
  }
  l.Reframe();
  ASSERT_TRUE(l.HasGrid());
  std::atomic<bool> stop{false};
  std::atomic<long> looked{0};
  std::thread drawer([&] {
    while (!stop) {
      {
        TListQuery q(l, TRealRect{100, 100, 300, 300}, nullptr);
        for (int k = 0; k < l.QueryCount(); ++k) {
          const int i = l.QueryIndex(k);
          if (l.InQueryWindow(i)) looked += l.Get(i)->GetBounds().Left >= 100 ? 1 : 0;
        }
      }
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  });
  std::uint32_t odd = 1;
  for (int round = 0; round < 200; ++round) {
    TListObj* o = TListObj::Point(150 + round % 100, 200, odd).release();
    odd += 2;
    o->MarkInList();
    l.Add(o);
    const int at = (round * 131) % l.Count();
    auto* moved = static_cast<TListObj*>(l.Get(at));
    {
      std::lock_guard<std::recursive_mutex> guard(l.Lock());
      moved->Bounds = TRealRect{120, 120, 120, 120};
      l.UpdateCells(at);
    }
    if (round % 2 == 0) {
      TEGraphObj* gone = l.Get(round % l.Count());
      l.Delete(round % l.Count());
      TEGraphObj::UnmarkInList(gone);
      FreeGraphObj(gone);
    }
  }
  for (int wait = 0; looked.load() == 0 && wait < 10000; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stop = true;
  drawer.join();
  EXPECT_GT(looked.load(), 0);
  EXPECT_TRUE(l.HasGrid());
  l.Clear();
}
