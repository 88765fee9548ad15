// The edit tools the layer objects ask of the registered editors
// (EditKrzyz, CreateEditTool): which tool kind each object gets, on which
// object, with which sublayer, index and colour, and who owns the object the
// tool works on. Texts and symbols of the narrower classes are edited on a
// temporary copy in their edit class, which the tool owns.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "drawing/dim_fixture.h"
#include "foundation/errors.h"
#include "objects/edit_fakes.h"
#include "objects/fraction.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"
#include "platform/paint/gdiimage.h"
#include "view/krzyz.h"

namespace {

// What the editors were asked for. A tool that owns its object frees it when
// destroyed (no completed modification listed it).
class TRecordingTool final : public TKrzyz {
 public:
  TRecordingTool(TEditToolKind Kind, TLinTextObj& Obj, IPodwarstwa* Sublayer, int Index, std::int32_t Colour,
                 bool Own)
      : TKrzyz(0, nullptr), Kind(Kind), Obj(&Obj), Sublayer(Sublayer), Index(Index), Colour(Colour), Own(Own) {}
  ~TRecordingTool() override {
    if (Own) FreeGraphObj(Obj);
  }
  TEditToolKind Kind;
  TLinTextObj* Obj;
  IPodwarstwa* Sublayer;
  int Index;
  std::int32_t Colour;
  bool Own;
};

class TToolEditors final : public TFakeEditors {
 public:
  TEditToolPtr MakeEditTool(TEditToolKind Kind, TLinTextObj& Obj, IPodwarstwa* Sublayer, int Index,
                            TRealCanvas&, std::int32_t Colour, bool OwnObject) override {
    ++Made;
    return EditToolOwner(std::make_unique<TRecordingTool>(Kind, Obj, Sublayer, Index, Colour, OwnObject));
  }
  int Made = 0;
};

// A segment class of its own, without an edit tool.
class TBareSegment final : public TNELinia {
 public:
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TBareSegment>(); }
};

TRecordingTool& Recorded(const TEditToolPtr& Tool) {
  auto* t = dynamic_cast<TRecordingTool*>(Tool.get());
  if (t == nullptr) throw std::logic_error("no recording tool");
  return *t;
}

class ObjectEditTools : public ::testing::Test {
 protected:
  ObjectEditTools()
      : bitmap(200, 100), dim(MakeDim(0, 0, 100, 200, 200, 100)), canvas(&bitmap.Canvas(), &dim, nullptr) {
    sub.Add(std::make_unique<TLinia>(TRealPoint{1, 1}, TRealPoint{2, 2}), 11);
    sub.Add(std::make_unique<TLinia>(TRealPoint{3, 3}, TRealPoint{4, 4}), 12);
  }

  platform::TBitmap bitmap;
  TWindowDim dim;
  TRealCanvas canvas;
  TFakeSublayer sub;
};

// Objects of the edit classes get their tool on themselves; the caller's
// index is handed on.
TEST_F(ObjectEditTools, EditableObjectsGetTheToolOfTheirKindOnThemselves) {
  struct Case {
    const char* Name;
    std::unique_ptr<TLinTextObj> Obj;
    TEditToolKind Kind;
  };
  Case cases[] = {
      {"plain line", std::make_unique<TLinia>(TRealPoint{0, 0}, TRealPoint{1, 1}), TEditToolKind::Line},
      {"following line", std::make_unique<TDefSpecLinia>(TRealPoint{0, 0}, TRealPoint{1, 1}), TEditToolKind::Line},
      {"special line", std::make_unique<TLiniaSpecjalna>(TRealPoint{0, 0}, TRealPoint{1, 1}, nullptr, 0.0),
       TEditToolKind::Line},
      {"circle", std::make_unique<TOkrag>(TPointRec{5, 5, 0}, 2), TEditToolKind::Circle},
      {"special circle", std::make_unique<TOkragSpecjalny>(TPointRec{5, 5, 0}, 2), TEditToolKind::Circle},
      {"arc", std::make_unique<TLuk>(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, 13), TEditToolKind::Arc},
      {"following arc", std::make_unique<TDefSpecLuk>(TPointRec{0, 0, 0}, TPointRec{0, 10, 0}, 13),
       TEditToolKind::Arc},
      {"point", std::make_unique<TPunkt>(TRealPoint{5, 6}), TEditToolKind::Point},
      {"edit-class text", std::make_unique<TWysKatOdnNapisW>(), TEditToolKind::Text},
      {"fraction", std::make_unique<TLicznikMianownik>(TRealPoint{5, 6}, "125", "3", 2, 7, false, 0),
       TEditToolKind::Fraction},
      {"turned symbol", std::make_unique<TWysKatSymbol>(TRealPoint{5, 6}, nullptr, 2, 0.5f),
       TEditToolKind::Symbol},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TToolEditors editors;
    TLinTextObj* obj = sub.Add(std::move(c.Obj), 13);
    TEditToolPtr tool = obj->EditKrzyz(&sub, -1, canvas, 0x123456);
    const TRecordingTool& t = Recorded(tool);
    EXPECT_EQ(t.Kind, c.Kind);
    EXPECT_EQ(t.Obj, obj);
    EXPECT_EQ(t.Sublayer, &sub);
    EXPECT_EQ(t.Index, -1);
    EXPECT_EQ(t.Colour, 0x123456);
    EXPECT_FALSE(t.Own);
  }
}

TEST_F(ObjectEditTools, CreateEditToolOfTheEditClassMayOwnItsObject) {
  TToolEditors editors;
  auto* text = new TWysKatOdnNapisW();
  TEditToolPtr tool = text->CreateEditTool(&sub, 4, canvas, 7, true);
  EXPECT_EQ(Recorded(tool).Kind, TEditToolKind::Text);
  EXPECT_EQ(Recorded(tool).Index, 4);
  EXPECT_TRUE(Recorded(tool).Own);  // the tool frees the text

  auto* fraction = new TLicznikMianownik();
  tool = fraction->CreateEditTool(&sub, 5, canvas, 7, true);
  EXPECT_EQ(Recorded(tool).Kind, TEditToolKind::Fraction);
  EXPECT_EQ(Recorded(tool).Obj, fraction);
  EXPECT_TRUE(Recorded(tool).Own);
}

// The narrower texts and the upright symbol are edited on a copy of the edit
// class found by the object's own list index (the caller's is not used);
// the tool owns the copy and the listed object is untouched.
TEST_F(ObjectEditTools, NarrowerTextsAndSymbolsGetTheToolOnAnOwnedCopy) {
  struct Case {
    const char* Name;
    std::unique_ptr<TNapis> Obj;
    TEditToolKind Kind;
  };
  Case cases[] = {
      {"plain text", std::make_unique<TNapis>(TRealPoint{40, 50}, "abc"), TEditToolKind::Text},
      {"text with height", std::make_unique<TWysNapis>(TRealPoint{40, 50}, "abc", 2, 3, true),
       TEditToolKind::Text},
      {"angled text", std::make_unique<TWysKatNapis>(TRealPoint{40, 50}, "abc", 2, 3, true, 0.5f),
       TEditToolKind::Text},
      {"referenced text",
       std::make_unique<TWysKatOdnNapis>(TRealPoint{40, 50}, "abc", 2, 3, true, 0.5f, TRealPoint{30, 45}),
       TEditToolKind::Text},
      {"upright symbol", std::make_unique<TGrSymbol>(TRealPoint{40, 50}, nullptr), TEditToolKind::Symbol},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TToolEditors editors;
    TNapis* obj = sub.Add(std::move(c.Obj), 13);
    obj->Text = "abc";
    TEditToolPtr tool = obj->EditKrzyz(&sub, 0, canvas, 0x654321);
    const TRecordingTool& t = Recorded(tool);
    EXPECT_EQ(t.Kind, c.Kind);
    EXPECT_NE(t.Obj, obj);
    EXPECT_TRUE(t.Own);
    EXPECT_EQ(t.Index, static_cast<int>(sub.Objects.size()) - 1);
    EXPECT_EQ(t.Sublayer, &sub);
    EXPECT_EQ(t.Colour, 0x654321);
    EXPECT_TRUE(t.Obj->IsUnowned());
    EXPECT_EQ(t.Obj->GetText(), "abc");
    EXPECT_EQ(t.Obj->GetStartPoint(), (TRealPoint{40, 50}));
    EXPECT_EQ(sub.At(t.Index), obj);
    EXPECT_EQ(sub.Changes(), 0);
    if (c.Kind == TEditToolKind::Symbol) {
      EXPECT_NE(dynamic_cast<TWysKatSymbol*>(t.Obj), nullptr);
      continue;
    }
    auto* copy = dynamic_cast<TWysKatOdnNapisW*>(t.Obj);
    ASSERT_NE(copy, nullptr);
    if (dynamic_cast<TWysKatOdnNapis*>(obj) != nullptr) {
      EXPECT_EQ(copy->NoReference, 0);
      EXPECT_EQ(copy->GetRefPoint(), (TRealPoint{30, 45}));
    } else {
      EXPECT_EQ(copy->NoReference, 1);
      EXPECT_EQ(copy->GetRefPoint(), (TRealPoint{40, 51}));
    }
  }
}

// A completed modification puts the copy in place of the text; the tool
// then leaves it to the list.
TEST_F(ObjectEditTools, CopyPutBackByTheToolReplacesTheText) {
  TToolEditors editors;
  TNapis* text = sub.Add(std::make_unique<TWysNapis>(TRealPoint{40, 50}, "abc", 2, 3, false), 13);
  TEditToolPtr tool = text->EditKrzyz(&sub, -1, canvas, 0);
  TRecordingTool& t = Recorded(tool);
  TFakeEditSite site(t.Sublayer, t.Index);
  t.Obj->ReinsertAtIndex(site);  // frees text
  EXPECT_EQ(sub.At(2), t.Obj);
  EXPECT_EQ(sub.At(2)->GetIndex(), 13u);
  EXPECT_TRUE(sub.At(2)->IsChanged());
  EXPECT_FALSE(t.Obj->IsUnowned());
  tool.reset();  // FreeGraphObj leaves the listed copy alone
  EXPECT_EQ(sub.At(2)->GetText(), "abc");
}

TEST_F(ObjectEditTools, WithoutEditorsOrForAnObjectWithoutToolEditKrzyzRaises) {
  // Without registered editors, also for texts: the copy is freed.
  TLinia line(TRealPoint{0, 0}, TRealPoint{1, 1});
  TWysNapis text(TRealPoint{40, 50}, "abc", 2, 3, false);
  TGrSymbol symbol(TRealPoint{40, 50}, nullptr);
  EXPECT_THROW(line.EditKrzyz(&sub, -1, canvas, 0), ENotImplemented);
  EXPECT_THROW(text.EditKrzyz(&sub, -1, canvas, 0), ENotImplemented);
  EXPECT_THROW(symbol.EditKrzyz(&sub, -1, canvas, 0), ENotImplemented);
  auto* loose = new TWysKatOdnNapisW();
  EXPECT_THROW(loose->CreateEditTool(&sub, -1, canvas, 0, true), ENotImplemented);  // frees loose

  // An object class without an edit tool, editors or not.
  TToolEditors editors;
  TBareSegment bare;
  try {
    bare.EditKrzyz(&sub, -1, canvas, 0);
    FAIL() << "no error";
  } catch (const ENotImplemented& e) {
    EXPECT_NE(std::string(e.what()).find("TEGraphObj.EditKrzyz"), std::string::npos);
  }
  EXPECT_EQ(editors.Made, 0);
}

}  // namespace
