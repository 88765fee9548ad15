#include "objects/grobj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "objects/saverecord.h"
#include "objects/scalecorri.h"
#include "objects/viewi.h"
#include "platform/paint/gdiimage.h"

namespace {

// A segment with a text and a length; counts its live instances and draws by
// recording what it was asked to draw.
class TFakeObj : public TEGraphObj {
 public:
  TFakeObj() { ++Alive; }
  ~TFakeObj() override { --Alive; }

  static inline int Alive = 0;
  static inline std::vector<TPointRec> Drawn;  // start point of each Draw
  static inline bool FailDraw = false;

  TPointRec P1, P2;
  std::string Text;
  double Length = 0.0;

  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TFakeObj>(); }
  void Draw(TRealCanvas&) const override {
    Drawn.push_back(P1);
    if (FailDraw) throw EAbortDraw();
  }
  void Transform(const TAffineMatrix& M) override {
    const TRealPoint a = AffineTransformPoint(M, TRealPoint{P1.X, P1.Y});
    const TRealPoint b = AffineTransformPoint(M, TRealPoint{P2.X, P2.Y});
    P1.X = a.X, P1.Y = a.Y, P2.X = b.X, P2.Y = b.Y;
  }
  void Move(const TRealPoint& D) override {
    P1.X += D.X, P1.Y += D.Y, P2.X += D.X, P2.Y += D.Y;
  }
  TRealRect GetBounds() const override { return RealRect(P1.X, P1.Y, P2.X, P2.Y); }
  TRealPoint GetStartPoint() const override { return TRealPoint{P1.X, P1.Y}; }
  TRealPoint GetEndPoint() const override { return TRealPoint{P2.X, P2.Y}; }
  std::string GetText() const override { return Text; }
  double GetLength() const override { return Length; }
  void CopyFieldsFrom(const TEGraphObj& Source) override {
    TEGraphObj::CopyFieldsFrom(Source);
    if (const auto* s = dynamic_cast<const TFakeObj*>(&Source)) {
      P1 = s->P1;
      P2 = s->P2;
      Text = s->Text;
      Length = s->Length;
    }
  }
};

// A richer class: one field more, as a special line extends a line.
class TFakeRichObj : public TFakeObj {
 public:
  int Extra = 42;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TFakeRichObj>(); }
  void CopyFieldsFrom(const TEGraphObj& Source) override {
    TFakeObj::CopyFieldsFrom(Source);
    if (const auto* s = dynamic_cast<const TFakeRichObj*>(&Source)) Extra = s->Extra;
  }
};

class GraphObjTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TFakeObj::Alive = 0;
    TFakeObj::Drawn.clear();
    TFakeObj::FailDraw = false;
  }
};

TEST_F(GraphObjTest, NewObjectHeader) {
  TFakeObj obj;
  EXPECT_EQ(obj.IndexWord, 0x80000000u);
  EXPECT_EQ(obj.ColourWord, 0x01000000u);
  EXPECT_EQ(obj.IdentWord, 0u);
  EXPECT_EQ(obj.GetIndex(), 0u);
  EXPECT_TRUE(obj.IsChanged());
  EXPECT_TRUE(obj.IsUnowned());
  EXPECT_TRUE(obj.HasDefaultColor());
  EXPECT_EQ(obj.GetIdent(), 0u);
  EXPECT_FALSE(obj.IsArchived());
}

TEST_F(GraphObjTest, IndexWordSetters) {
  struct Case {
    const char* Name;
    std::uint32_t Before;
    void (TEGraphObj::*Set)(std::uint32_t);
    std::uint32_t Value;
    std::uint32_t After;
  };
  const Case cases[] = {
      {"unchanged", 0xC0000000, &TEGraphObj::SetIndexUnchanged, 5, 0x40000005},
      {"changed", 0x40000000, &TEGraphObj::SetIndexChanged, 7, 0xC0000007},
      {"index keeps bits 27-31", 0xF8000000, &TEGraphObj::SetIndex, 0x0FFFFFFF, 0xFFFFFFFF},
      {"index over an old one", 0x80000123, &TEGraphObj::SetIndex, 9, 0x80000009},
      {"unchanged keeps owners", 0xF8000001, &TEGraphObj::SetIndexUnchanged, 2, 0x78000002},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeObj obj;
    obj.IndexWord = c.Before;
    (obj.*c.Set)(c.Value);
    EXPECT_EQ(obj.IndexWord, c.After);
  }
}

TEST_F(GraphObjTest, FreeGraphObjFreesOnlyUnownedObjects) {
  auto* obj = new TFakeObj;  // owned through its bits from here on
  obj->MarkInList();
  FreeGraphObj(obj);
  EXPECT_EQ(TFakeObj::Alive, 1);
  TEGraphObj::UnmarkInList(obj);
  FreeGraphObj(obj);
  EXPECT_EQ(TFakeObj::Alive, 0);
  FreeGraphObj(nullptr);
  TEGraphObj::UnmarkInList(nullptr);
  TEGraphObj::UnmarkUndoRef(nullptr, true);
  TEGraphObj::UnmarkInBlock(nullptr, nullptr);
}

TEST_F(GraphObjTest, UndoOwnerBitsAreIndependent) {
  auto* obj = new TFakeObj;
  obj->MarkUndoRef(true);
  obj->MarkUndoRef(false);
  EXPECT_EQ(obj->IndexWord & kIndexOwnerBits, kIndexUndoBefore | kIndexUndoAfter);
  TEGraphObj::UnmarkUndoRef(obj, true);
  EXPECT_EQ(obj->IndexWord & kIndexOwnerBits, kIndexUndoAfter);
  FreeGraphObj(obj);
  EXPECT_EQ(TFakeObj::Alive, 1);  // the old-state entry still holds it
  TEGraphObj::UnmarkUndoRef(obj, false);
  FreeGraphObj(obj);
  EXPECT_EQ(TFakeObj::Alive, 0);
}

// Holds objects in named blocks, as the view's block manager does.
class TFakeBlockManager : public IBlockManager {
 public:
  std::vector<std::pair<const TEGraphObj*, const TBlock*>> Members;
  bool IsInOtherBlock(const TEGraphObj& Obj, const TBlock* Block) const override {
    for (const auto& [obj, block] : Members)
      if (obj == &Obj && block != Block) return true;
    return false;
  }
};

TEST_F(GraphObjTest, UnmarkInBlockKeepsTheBitWhileAnotherBlockHoldsTheObject) {
  const auto* blockA = reinterpret_cast<const TBlock*>(0x10);
  const auto* blockB = reinterpret_cast<const TBlock*>(0x20);
  TFakeObj obj;
  obj.MarkInBlock();

  ASSERT_EQ(GetBlockManager(), nullptr);
  TEGraphObj::UnmarkInBlock(&obj, blockA);  // no block manager: nothing
  EXPECT_EQ(obj.IndexWord & kIndexInBlock, kIndexInBlock);

  TFakeBlockManager manager;
  manager.Members = {{&obj, blockA}, {&obj, blockB}};
  SetBlockManager(&manager);
  TEGraphObj::UnmarkInBlock(&obj, blockA);
  EXPECT_EQ(obj.IndexWord & kIndexInBlock, kIndexInBlock);
  manager.Members = {{&obj, blockA}};
  TEGraphObj::UnmarkInBlock(&obj, blockA);
  EXPECT_EQ(obj.IndexWord & kIndexInBlock, 0u);
  SetBlockManager(nullptr);
}

TEST_F(GraphObjTest, ColourWordFields) {
  TFakeObj obj;
  obj.SetKolor(0xFF123456);
  EXPECT_EQ(obj.ColourWord, 0x00123456u);  // the default-colour bit is gone
  obj.SetHighlightIndex(0x10000000);
  obj.SetColorMode(0xFFFFFFFF);
  EXPECT_EQ(obj.ColourWord, 0x16123456u);
  EXPECT_EQ(obj.GetHighlightIndex(), 0x10000000u);
  obj.SetColorMode(0);
  obj.SetHighlightIndex(0);
  obj.SetDefaultColor(true);
  EXPECT_EQ(obj.ColourWord, 0x01123456u);
  obj.SetKolor(0x000001);
  EXPECT_EQ(obj.ColourWord, 0x00000001u);
}

TEST_F(GraphObjTest, IdentKeepsTheArchivedBit) {
  TFakeObj obj;
  obj.IdentWord = kIdentArchived | 3;
  obj.SetIdent(0xFFFFFFFF);
  EXPECT_EQ(obj.IdentWord, 0xFFFFFFFFu);
  obj.SetIdent(9);
  EXPECT_EQ(obj.IdentWord, 0x80000009u);
  EXPECT_EQ(obj.GetIdent(), 9u);
  EXPECT_TRUE(obj.IsArchived());
}

TEST_F(GraphObjTest, IsSameObject) {
  TFakeObj a, b, listed;
  a.SetIndexUnchanged(5);
  b.SetIndexUnchanged(5);  // two copies read from the same record
  listed.SetIndexUnchanged(5);
  listed.MarkInList();
  EXPECT_TRUE(a.IsSameObject(&a));
  EXPECT_TRUE(listed.IsSameObject(&listed));
  EXPECT_TRUE(a.IsSameObject(&b));
  EXPECT_FALSE(listed.IsSameObject(&a));
  EXPECT_FALSE(a.IsSameObject(&listed));
  EXPECT_FALSE(a.IsSameObject(nullptr));
  b.SetIndexUnchanged(6);
  EXPECT_FALSE(a.IsSameObject(&b));
}

void MakeSegment(TFakeObj& Obj) {
  Obj.P1 = TPointRec{1, 2, 3};
  Obj.P2 = TPointRec{4, 6, 7};
  Obj.Text = "AB";
  Obj.Length = 5;
}

void ExpectFreshHeader(const TEGraphObj& Obj, std::uint32_t OperatId) {
  EXPECT_EQ(Obj.IndexWord, kIndexChanged);
  EXPECT_EQ(Obj.ColourWord, kColourNewObject);
  EXPECT_EQ(Obj.IdentWord, OperatId);
}

TEST_F(GraphObjTest, CopiesStartWithAFreshHeader) {
  TFakeObj src;
  src.P1 = TPointRec{1, 2, 3};
  src.Text = "AB";
  src.SetIndexUnchanged(77);
  src.MarkInList();
  src.SetHighlightIndex(0x08000000);
  src.IdentWord = kIdentArchived | 12;

  std::unique_ptr<TEGraphObj> clone = src.Clone();
  ExpectFreshHeader(*clone, 12);
  auto& copy = dynamic_cast<TFakeObj&>(*clone);
  EXPECT_EQ(copy.P1, src.P1);
  EXPECT_EQ(copy.Text, "AB");

  TFakeRichObj rich;
  rich.Extra = 7;
  std::unique_ptr<TEGraphObj> created = rich.CreateCopy(src);  // a richer class from a plain source
  ExpectFreshHeader(*created, 12);
  EXPECT_EQ(dynamic_cast<TFakeRichObj&>(*created).Extra, 42);
  EXPECT_EQ(dynamic_cast<TFakeRichObj&>(*created).Text, "AB");
}

TEST_F(GraphObjTest, ConvertToClassKeepsTheTargetsOwnFieldsAsNew) {
  TFakeObj src;
  src.P2 = TPointRec{4, 5, 6};
  src.SetIdent(3);
  src.MarkInList();
  std::unique_ptr<TFakeRichObj> rich = src.ConvertToClass<TFakeRichObj>();
  ExpectFreshHeader(*rich, 3);
  EXPECT_EQ(rich->P2, src.P2);
  EXPECT_EQ(rich->Extra, 42);

  const TFakeRichObj prototype;
  std::unique_ptr<TEGraphObj> viaPrototype = src.ConvertToClass(prototype);
  ASSERT_NE(dynamic_cast<TFakeRichObj*>(viaPrototype.get()), nullptr);
  EXPECT_EQ(dynamic_cast<TFakeRichObj&>(*viaPrototype).P2, src.P2);
}

TEST_F(GraphObjTest, AssignKeepsIndexOwnersColourAndArchivedBit) {
  TFakeObj listed;
  listed.SetIndexChanged(40);
  listed.MarkInList();
  listed.SetKolor(0x00FF00);
  listed.IdentWord = kIdentArchived | 1;
  const std::uint32_t index = listed.IndexWord;

  TFakeObj edited;
  MakeSegment(edited);
  edited.SetIdent(99);
  edited.SetHighlightIndex(0x18000000);
  listed.Assign(edited);

  EXPECT_EQ(listed.IndexWord, index);
  EXPECT_EQ(listed.ColourWord, 0x0000FF00u);
  EXPECT_EQ(listed.IdentWord, kIdentArchived | 99);
  EXPECT_EQ(listed.P2, edited.P2);
  EXPECT_EQ(listed.Text, "AB");
}



TEST_F(GraphObjTest, BaseQueries) {
  TFakeObj obj;
  MakeSegment(obj);
  EXPECT_EQ(obj.GetPointN(1), (TRealPoint{1, 2}));
  EXPECT_EQ(obj.GetPointN(2), (TRealPoint{4, 6}));
  EXPECT_EQ(obj.GetPointN(3), (TRealPoint{0, 0}));
  EXPECT_EQ(obj.GetPointN3(0), (TPointRec{0, 0, 0}));
  EXPECT_EQ(obj.GetPointN3(2), (TPointRec{1, 2, 0}));  // base: the 3D end is the 3D start
  EXPECT_EQ(obj.EndPointIndex(TRealPoint{1, 2}), 1);
  EXPECT_EQ(obj.EndPointIndex(TRealPoint{4, 6}), 2);
  EXPECT_EQ(obj.EndPointIndex(TRealPoint{4, 5}), 0);
  EXPECT_EQ(obj.NearestEndIndex(TRealPoint{4, 6}), 2);  // ProjectPoint leaves the point

  // Never near, so never the nearest object of a search.
  EXPECT_EQ(obj.DistanceTo(TRealPoint{1, 2}, nullptr), 1e100);
  EXPECT_EQ(obj.DistanceIfNear(TRealPoint{1, 2}, TRealPoint{1, 1}), -1.0);
  double d = 7.0;
  EXPECT_FALSE(obj.HitDistance(TRealPoint{1, 2}, TRealPoint{1, 1}, nullptr, d));
  EXPECT_EQ(d, 7.0);

  EXPECT_EQ(obj.GetCapabilities(), 0x0800);
  EXPECT_TRUE(obj.IsSimpleDraw());
  EXPECT_FALSE(obj.IsLinearObj());
  TTopologySegments segs;
  obj.CreateTopologySegments(segs, 0.1);
  EXPECT_EQ(segs[0], nullptr);
  TAuxLines aux;
  aux[2] = std::make_unique<TFakeObj>();
  obj.GetAuxLines(nullptr, aux);
  for (const auto& line : aux) EXPECT_EQ(line, nullptr);
}

TEST_F(GraphObjTest, GetValueIsTheTextOrElseTheLength) {
  TFakeObj obj;
  MakeSegment(obj);
  ObjectValue v = obj.GetValue();
  EXPECT_EQ(v.Kind, TObjectValueKind::Text);
  EXPECT_EQ(v.Text, "AB");
  obj.Text.clear();
  v = obj.GetValue();
  EXPECT_EQ(v.Kind, TObjectValueKind::Number);
  EXPECT_EQ(v.Number, 5.0);
}

// A correction that grows with X, so the point where it is taken shows.
class TFakeCorrection : public IScaleCorrection {
 public:
  double GetCorrectionAt(const TRealPoint& P) const override { return 100.0 * P.X; }
};

TEST_F(GraphObjTest, CorrectedLengthUsesTheMidpoint) {
  TFakeObj obj;
  MakeSegment(obj);  // from (1, 2) to (4, 6): midpoint X 2.5
  TFakeCorrection corr;
  EXPECT_DOUBLE_EQ(obj.GetCorrectedLength(&corr, 1000.0), 1000.0 - 1000.0 * 250.0 * 1e-6);
  EXPECT_EQ(obj.GetCorrectedLength(nullptr, 1000.0), 1000.0);
}


// Records the cells written, as the information window would show them.
class TFakeInfo : public IGrObjInfo {
 public:
  std::vector<std::string> Cells;
  void SetLabel(int Row, int Col, const std::string& Text) override {
    Cells.push_back("L" + std::to_string(Row) + "," + std::to_string(Col) + ":" + Text);
  }
  void SetValue(int Row, int Col, const std::string& Text) override {
    Cells.push_back("V" + std::to_string(Row) + "," + std::to_string(Col) + ":" + Text);
  }
};

TEST_F(GraphObjTest, FillInfoWritesTheArchiveRows) {
  TFakeObj obj;
  TFakeInfo info;
  obj.FillInfo(info);
  EXPECT_EQ(info.Cells, (std::vector<std::string>{"L5,1:Modyfikował"}));

  obj.IdentWord |= kIdentArchived;
  TFakeInfo archived;
  obj.FillInfo(archived);
  EXPECT_EQ(archived.Cells, (std::vector<std::string>{"V1,1:Z archiwum", "L5,1:Usunął"}));
}

// A handle set that reports the point it was asked about.
class TFakeActivePoints : public IActivePoints {
 public:
  mutable TRealPoint Asked;
  void SetPoint(int, const TRealPoint&) override {}
  void SetCount(int) override {}
  int HitTest(const TRealPoint& P) const override {
    Asked = P;
    return 3;
  }
};

TEST_F(GraphObjTest, HitActivePointAsksTheHandleSet) {
  TFakeObj obj;
  TFakeActivePoints points;
  EXPECT_EQ(obj.HitActivePoint(TRealPoint{5, 6}, points, nullptr), 3);
  EXPECT_EQ(points.Asked, (TRealPoint{5, 6}));
}

TEST(GraphObjGeometry, VectorAzimuth) {
  constexpr double pi = std::numbers::pi;
  struct Case {
    double dX, dY, Expected;
  };
  const Case cases[] = {
      {1, 0, 0},          {0, 1, pi / 2},      {-1, 0, pi},           {0, -1, 3 * pi / 2},
      {0, 0, 3 * pi / 2}, {1, -1, 7 * pi / 4}, {-1, -1, 5 * pi / 4},  {-1, 1, 3 * pi / 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dX << "," << c.dY);
    EXPECT_NEAR(VectorAzimuth(c.dX, c.dY), c.Expected, 1e-12);
  }
}

TEST(GraphObjGeometry, PolarWrapPoint) {
  TRealPoint p{0, 0};
  PolarWrapPoint(p, 10, 0);
  EXPECT_NEAR(p.X, 10, 1e-12);
  EXPECT_NEAR(p.Y, 0, 1e-12);
  p = TRealPoint{2, 5 * std::numbers::pi};
  PolarWrapPoint(p, 10, 0);
  EXPECT_NEAR(p.X, 0, 1e-12);
  EXPECT_NEAR(p.Y, 12, 1e-12);
  p = TRealPoint{0, 0};
  PolarWrapPoint(p, 10, std::numbers::pi);
  EXPECT_NEAR(p.X, -10, 1e-12);
}

// Highlight colours 0x000100 + N, so the index used shows.
class TNumberedHighlightCfg : public TNullCanvasCfg {
 public:
  std::uint32_t GetHighlightColor(int N) const override { return 0x000100u + N; }
};

// The canvas's saved state is the styled canvases' business; this one counts.
class TCountingCanvas : public TRealCanvas {
 public:
  using TRealCanvas::TRealCanvas;
  int Saves = 0;
  std::uint32_t ColourAtSave = 0;
  void SaveCanvasState() override {
    ++Saves;
    ColourAtSave = Pen->Color();
  }
};

class GraphObjCanvasTest : public GraphObjTest {
 protected:
  platform::TBitmap bitmap{32, 32};
  TWindowDim dims;
  TNumberedHighlightCfg cfg;
  TCountingCanvas canvas{&bitmap.Canvas(), &dims, &cfg};

  void SetUp() override {
    GraphObjTest::SetUp();
    canvas.Pen->SpecialColor = 0x00ABCDEF;
    canvas.Pen->SetColor(0x00000033);  // the sublayer's colour
    canvas.Pen->SaveState();
    canvas.Pen->SetColor(0x00000077);
  }
};

TEST_F(GraphObjCanvasTest, ApplyColorFollowsTheColourWord) {
  struct Case {
    const char* Name;
    std::uint32_t ColourWord;
    std::uint32_t PenColour;
  };
  const Case cases[] = {
      {"default colour", 0x01000000, 0x00000033},
      {"own colour", 0x00123456, 0x00123456},
      {"highlight 2 wins over the own colour", 0x10123456, 0x00000102},
      {"highlight 3", 0x19000000, 0x00000103},
      {"special colour", 0x06123456, 0x00ABCDEF},
      {"special colour wins over highlight", 0x0E123456, 0x00ABCDEF},
      {"mode 1 leaves the pen", 0x02123456, 0x00000077},
      {"mode 2 leaves the pen", 0x04123456, 0x00000077},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    canvas.Pen->SetColor(0x00000077);
    TFakeObj obj;
    obj.ColourWord = c.ColourWord;
    obj.ApplyColor(canvas);
    EXPECT_EQ(canvas.Pen->Color(), c.PenColour);
  }
}

TEST_F(GraphObjCanvasTest, DrawingVariantsDrawAChangedCloneAndLeaveTheObject) {
  TFakeObj obj;
  MakeSegment(obj);
  obj.DrawMoved(canvas, TRealPoint{10, 20});
  TAffineMatrix shift;
  shift.c = 100;
  obj.DrawTransformed(canvas, shift);
  obj.DrawPointTransformed(canvas, 1, shift);  // base: the whole object
  ASSERT_EQ(TFakeObj::Drawn.size(), 3u);
  EXPECT_EQ(TFakeObj::Drawn[0], (TPointRec{11, 22, 3}));
  EXPECT_EQ(TFakeObj::Drawn[1], (TPointRec{101, 2, 3}));
  EXPECT_EQ(TFakeObj::Drawn[2], (TPointRec{101, 2, 3}));
  EXPECT_EQ(obj.P1, (TPointRec{1, 2, 3}));
  EXPECT_EQ(TFakeObj::Alive, 1);
}

TEST_F(GraphObjCanvasTest, DrawingVariantsFreeTheCloneWhenDrawingAborts) {
  TFakeObj obj;
  MakeSegment(obj);
  TFakeObj::FailDraw = true;
  EXPECT_THROW(obj.DrawMoved(canvas, TRealPoint{1, 1}), EAbortDraw);
  EXPECT_THROW(obj.DrawTransformed(canvas, TAffineMatrix{}), EAbortDraw);
  EXPECT_EQ(TFakeObj::Alive, 1);
}

// The edit tools are reached above the view; their check is with the tools.
TEST_F(GraphObjCanvasTest, AbstractOperationsRaise) {
  TFakeObj obj;
  EXPECT_THROW(obj.BendAroundCircle(10, 0), ENotImplemented);
  float a = 0, b = 0;
  EXPECT_THROW(obj.GetDashInterval(a, b), ENotImplemented);
  EXPECT_FALSE(obj.Edit(nullptr, 0, canvas, 0));
}

}  // namespace
