// The view's searches over a small tree: the search kinds, the active-only
// search and its fall-back, deleting what meets a window with undo (also
// when a sublayer is read-only or the user cancels), texts at a point, the
// crossing of two elements, the object searches and the undo history, and
// the activation of a sublayer named by an activity-menu item.
#include "view/search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "common/layer_classes.h"
#include "foundation/threads/cancel.h"
#include "foundation/geometry/clip.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "layers/tree/undo.h"
#include "objects/layerline.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/texts.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "ui/activityrecord.h"
#include "view/hinttools.h"
#include "view/tvview.h"
#include "view/viewcfg.h"
#include "view/viewhost.h"

namespace {

const TRealPoint kPoint{50, 100};
const TRealPoint kTolerance{5, 5};

// A text whose hit distance is its anchor's distance (the stroke font is
// not what these tests are about).
class NearText : public TNapis {
 public:
  using TNapis::TNapis;
  bool HitDistance(const TRealPoint& P, const TRealPoint& Tol, const TDrawParamsImp*, double& D) const override {
    if (!IsNear(P, Tol, nullptr)) return false;
    D = std::hypot(P.X - Position.X, P.Y - Position.Y);
    return true;
  }
};

struct DocumentLog {
  std::vector<std::unique_ptr<TDeferredOperation>> posted;
};

class FakeDocument : public TViewDocumentI {
 public:
  explicit FakeDocument(DocumentLog& L) : log(L) {}
  void PostDeferred(std::unique_ptr<TDeferredOperation> Operation) override {
    log.posted.push_back(std::move(Operation));
  }
  DocumentLog& log;
};

class Operation : public TDeferredOperation {
 public:
  void Run() override {}
};

class StampServices : public TViewServicesI {
 public:
  std::uint32_t ActiveSurveyDocument() override { return 9; }
};

// A view that asks the test whether an element may be deleted.
class SearchView : public TTvView {
 public:
  using TTvView::TTvView;
  std::function<bool(TKatalogWarstw*, std::int32_t, std::int32_t)> isFree;
  bool ElementIsFree(TKatalogWarstw* Catalogue, std::int32_t LayerNumber, std::int32_t Index) override {
    return isFree ? isFree(Catalogue, LayerNumber, Index) : true;
  }
};

// A creation tool of a drawing command.
class CreationTool : public TKrzyz {
 public:
  CreationTool() : TKrzyz(0, nullptr) {}
  bool IsEditGraphObjTool() const override { return true; }
};

// Root "Przyklad"; catalogue "Katalog" with the line layer "LINIE" (number
// 3, sublayers 0 and 1) and the text layer "OPISY" (number 4); catalogue
// "Inny" with the text layer "OPISY" (number 6). Around kPoint: in LINIE/0
// the line A through it, B 3 away, D and E with an end 1.4 and 2.8 away;
// the text "12" 1.4 away in Katalog and "34" 2.8 away in Inny.
class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::EnsureApplication();
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    TvViewCfgCreate();
    responder_ = std::make_unique<platform::TScriptedResponder>([](const std::string& m) { ADD_FAILURE() << m; });
    RegisterLayerObjectClasses();
    SetLibraryErrorBox([](const std::string&) {});
    notices_ = platform::RegisterWindow([this](std::uint32_t msg, std::uintptr_t w, std::intptr_t) -> std::intptr_t {
      if (msg == kMsgMainFormNotify && w == kMainFormUndoChanged) ++undoNotices;
      return 0;
    });
    SetMainFormWindow(notices_);
    SetViewServices(&services_);
    view_ = std::make_unique<SearchView>(&document_);

    TDefRealCanvas* canvas = view_->GetCanvas();
    view_->Root()->Name = "Przyklad";
    katalog_ = AddCatalogue("Katalog");
    inny_ = AddCatalogue("Inny");
    TWarstwa* lines = AddLayer(*katalog_, "LINIE", true, 3);
    line0_ = lines->Sublayer(0);
    auto second = std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, 1, canvas);
    line1_ = second.get();
    lines->AddChild(std::move(second));
    text0_ = AddLayer(*katalog_, "OPISY", false, 4)->Sublayer(0);
    text1_ = AddLayer(*inny_, "OPISY", false, 6)->Sublayer(0);
    for (TPodwarstwa* s : {line0_, line1_, text0_, text1_}) {
      s->MarkLoaded();
      s->SetVisible(true);
    }

    a_ = Put(line0_, new TLinia(TRealPoint{50, 20}, TRealPoint{50, 180}));
    b_ = Put(line0_, new TLinia(TRealPoint{53, 20}, TRealPoint{53, 180}));
    d_ = Put(line0_, new TLinia(TRealPoint{51, 99}, TRealPoint{80, 99}));
    e_ = Put(line0_, new TLinia(TRealPoint{52, 102}, TRealPoint{90, 102}));
    t12_ = Put(text0_, new NearText(TRealPoint{51, 101}, "12"));
    t34_ = Put(text1_, new NearText(TRealPoint{52, 102}, "34"));
    ASSERT_TRUE(line0_->IsShown());
    ASSERT_TRUE(text1_->IsShown());
  }

  void TearDown() override {
    view_.reset();
    platform::PumpPostedMessages();
    SetViewServices(nullptr);
    SetMainFormWindow(0);
    platform::UnregisterWindow(notices_);
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
    UnregisterLayerObjectClasses();
    responder_.reset();
    FreeGlobalnaKonfiguracja();
  }

  TKatalogWarstw* AddCatalogue(const std::string& Name) {
    auto c = std::make_unique<TKatalogWarstw>(nullptr, Name, nullptr, "", "", view_->GetCanvas());
    TKatalogWarstw* p = c.get();
    view_->Root()->AddChild(std::move(c));
    return p;
  }
  TWarstwa* AddLayer(TKatalogWarstw& Catalogue, const std::string& Name, bool Lines, std::uint16_t Number) {
    TMainWarstwaHeader header;
    header.Kind = Lines ? 1 : 0;
    auto layer = std::make_unique<TWarstwa>(nullptr, nullptr, header, Name, view_->GetCanvas());
    layer->LayerNumber = Number;
    layer->SetVisible(true);
    TWarstwa* p = layer.get();
    Catalogue.AddChild(std::move(layer));
    return p;
  }
  // Obj into Sublayer as a stored object (a record of its own), the
  // sublayer counting as drawn at the current scale.
  template <class T>
  T* Put(TPodwarstwa* Sublayer, T* Obj) {
    Obj->SetIndexUnchanged(++record_);
    Sublayer->AddObject(Obj);
    Sublayer->SetFlag(kNodeDrawn);
    return Obj;
  }
  static int Count(TPodwarstwa* Sublayer) { return Sublayer->Objects()->Count(); }

  // Search kind Kind at kPoint, the hit's object (the hit cleared).
  TEGraphObj* RunKind(std::uint8_t Kind, const TRealPoint& Point = kPoint) {
    TSearchHit hit;
    view_->Search().SearchKind = Kind;
    view_->Search().Run(Point, kTolerance, hit);
    TEGraphObj* found = hit.Sublayer != nullptr ? hit.Object : nullptr;
    if (found != nullptr) {
      EXPECT_GE(hit.Sublayer->Objects()->IndexOf(found), 0);
    }
    ClearSearchHit(hit);
    return found;
  }

  // The group the last kind-5 run recorded.
  TBlockUndoOperation* LastGroup() {
    TUndoManager* undo = view_->GetUndoManager();
    if (undo->Count() == 0) return nullptr;
    return dynamic_cast<TBlockUndoOperation*>(undo->Operation(undo->Count() - 1));
  }

  ScratchFolder scratch_;
  std::unique_ptr<platform::TScriptedResponder> responder_;
  DocumentLog log_;
  FakeDocument document_{log_};
  StampServices services_;
  platform::HWND notices_ = 0;
  int undoNotices = 0;
  std::unique_ptr<SearchView> view_;
  std::uint32_t record_ = 0;
  TKatalogWarstw* katalog_ = nullptr;
  TKatalogWarstw* inny_ = nullptr;
  TPodwarstwa* line0_ = nullptr;
  TPodwarstwa* line1_ = nullptr;
  TPodwarstwa* text0_ = nullptr;
  TPodwarstwa* text1_ = nullptr;
  TLinia *a_ = nullptr, *b_ = nullptr, *d_ = nullptr, *e_ = nullptr;
  NearText *t12_ = nullptr, *t34_ = nullptr;
};

// --- Search kinds ------------------------------------------------------------------

TEST_F(SearchTest, EachKindBuildsItsSearch) {
  TSearch& search = view_->Search();
  struct Case {
    const char* name;
    std::uint8_t kind;
    std::uint32_t mask;
    TObjectClass objectClass;
    const TEGraphObj* omit;
    TEGraphObj* expected;
  };
  const Case cases[] = {
      // A text, once found, is kept against nearer lines.
      {"0 nearest", TSearch::kNearest, kMaskLine, {}, nullptr, t12_},
      {"1 nearest point", TSearch::kNearestPoint, kMaskLine, {}, nullptr, t12_},
      {"2 nearest point of lines", TSearch::kPointSubset, kMaskLine, {}, nullptr, d_},
      {"2 texts only", TSearch::kPointSubset, kMaskText, {}, nullptr, t12_},
      {"3 nearest line", TSearch::kSubset, kMaskLine, {}, nullptr, a_},
      {"4 lines of any sublayer", TSearch::kClassSubset, 0xFFFFFFFFu, ObjectClass<TLinia>(), nullptr, a_},
      {"4 texts", TSearch::kClassSubset, 0xFFFFFFFFu, ObjectClass<TNapis>(), nullptr, t12_},
      {"6 point, D left out", TSearch::kPointSubsetOmit, kMaskLine, {}, d_, e_},
      {"7 line, A left out", TSearch::kSubsetOmit, kMaskLine, {}, a_, d_},
      {"another kind as 0", 9, kMaskLine, {}, nullptr, t12_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    search.Reset();
    search.TypeMask = c.mask;
    search.ObjectClass = c.objectClass;
    search.OmitObject = c.omit;
    EXPECT_EQ(RunKind(c.kind), c.expected);
  }
  // Nothing near: no hit, whatever the kind.
  search.Reset();
  for (std::uint8_t kind : {0, 1, 3}) EXPECT_EQ(RunKind(kind, TRealPoint{500, 500}), nullptr) << int(kind);
}

TEST_F(SearchTest, ActiveOnlySearchAndItsFallBack) {
  TSearch& search = view_->Search();
  const TRealPoint onA{50, 150};  // only A there
  struct Case {
    const char* name;
    TPodwarstwa* activeLine;
    TPodwarstwa* activeText;
    bool restrict;
    bool fallBack;
    TRealPoint point;
    TEGraphObj* expected;
  };
  const Case cases[] = {
      {"no active sublayer: nothing searched", nullptr, nullptr, true, false, kPoint, nullptr},
      {"no active sublayer, fall-back still nothing", nullptr, nullptr, true, true, kPoint, nullptr},
      {"the active lines only", line0_, nullptr, true, false, kPoint, a_},
      {"the active texts only", nullptr, text1_, true, false, kPoint, t34_},
      {"active texts empty there", nullptr, text0_, true, false, onA, nullptr},
      {"then the whole tree", nullptr, text0_, true, true, onA, a_},
      {"fall-back alone also starts with the active", line1_, text1_, false, true, kPoint, t34_},
      {"fall-back alone to the tree", line1_, nullptr, false, true, kPoint, t12_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_->SetActivePodwarstwa(nullptr);
    if (c.activeLine != nullptr) view_->SetActivePodwarstwa(c.activeLine);
    if (c.activeText != nullptr) view_->SetActivePodwarstwa(c.activeText);
    search.Reset();
    search.RestrictToActive = c.restrict;
    search.FallbackToAll = c.fallBack;
    EXPECT_EQ(RunKind(TSearch::kNearest, c.point), c.expected);
  }
  search.Reset();
  EXPECT_FALSE(search.RestrictToActive);
  EXPECT_FALSE(search.FallbackToAll);
  EXPECT_EQ(search.TypeMask, 0xFFFFFFFFu);
}

// --- Deleting what meets a window --------------------------------------------------

TEST_F(SearchTest, EmptyWindowStillRecordsTheDeletion) {
  EXPECT_EQ(RunKind(TSearch::kDeleteInWindow, TRealPoint{500, 500}), nullptr);
  TBlockUndoOperation* group = LastGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->Name, "Usuwanie");
  EXPECT_EQ(group->Count(), 0);
  EXPECT_EQ(view_->GetUndoManager()->GetUndoName(), "Usuwanie");
}

TEST_F(SearchTest, DeletionInAWindowIsStampedAndUndone) {
  std::vector<std::int32_t> asked;
  view_->isFree = [&](TKatalogWarstw* c, std::int32_t layer, std::int32_t index) {
    asked.push_back(layer);
    return index != static_cast<std::int32_t>(b_->GetIndex());  // B belongs to an object
  };
  const std::uint32_t before = b_->GetIdent();
  RunKind(TSearch::kDeleteInWindow);
  TBlockUndoOperation* group = LastGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->Count(), 5);  // "34", E, D, A, "12"
  for (int i = 0; i < group->Count(); ++i)
    EXPECT_EQ(static_cast<TUndoOperationItem*>(group->Member(i))->OldObject()->GetIdent(), 9u) << i;
  // Catalogues in name order: Inny's texts, then Katalog's lines and texts.
  EXPECT_EQ(asked, (std::vector<std::int32_t>{6, 3, 3, 3, 3, 4}));
  ASSERT_EQ(Count(line0_), 1);
  EXPECT_EQ(line0_->Objects()->Get(0), b_);
  EXPECT_EQ(b_->GetIdent(), before);
  EXPECT_EQ(Count(text0_) + Count(text1_), 0);

  view_->GetUndoManager()->Undo(1);
  EXPECT_EQ(Count(line0_), 4);
  EXPECT_EQ(Count(text0_), 1);
  EXPECT_EQ(Count(text1_), 1);
}

TEST_F(SearchTest, ReadOnlySublayerInTheWindowIsSkipped) {
  text0_->SetFlag(kNodeReadOnly);
  EXPECT_NO_THROW(RunKind(TSearch::kDeleteInWindow));
  TBlockUndoOperation* group = LastGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->Count(), 5);
  EXPECT_EQ(Count(text0_), 1);
  EXPECT_EQ(Count(line0_), 0);
  EXPECT_EQ(Count(text1_), 0);
}

TEST_F(SearchTest, CancelledDeletionKeepsWhatWasDoneUndoable) {
  int asked = 0;
  view_->isFree = [&](TKatalogWarstw*, std::int32_t, std::int32_t) {
    TCancel* cancel = view_->Search().RunningCancel();
    EXPECT_NE(cancel, nullptr);
    if (cancel != nullptr && ++asked == 2) cancel->SetCanceled();  // the user cancels at the second
    return true;
  };
  TSearchHit hit;
  view_->Search().SearchKind = TSearch::kDeleteInWindow;
  EXPECT_THROW(view_->Search().Run(kPoint, kTolerance, hit), ECanceled);
  EXPECT_EQ(view_->Search().RunningCancel(), nullptr);
  TBlockUndoOperation* group = LastGroup();
  ASSERT_NE(group, nullptr);
  // "34" and E went; the walk ended before D.
  EXPECT_EQ(group->Count(), 2);
  EXPECT_EQ(Count(text1_), 0);
  EXPECT_EQ(Count(line0_), 3);
  EXPECT_EQ(Count(text0_), 1);

  view_->GetUndoManager()->Undo(1);
  EXPECT_EQ(Count(line0_), 4);
  EXPECT_EQ(Count(text1_), 1);
}

// --- Texts ---------------------------------------------------------------------------

TEST_F(SearchTest, TextAtAPointByCatalogueAndLayer) {
  struct Case {
    const char* catalogue;
    std::int32_t layer;
    const char* text;
    TKatalogWarstw* found;
  };
  const Case cases[] = {
      {"", -1, "12", katalog_},     {"Inny", -1, "34", inny_},    {"Inny", 6, "34", inny_},
      {"Inny", 4, "", nullptr},     {"Katalog", 4, "12", katalog_}, {"Katalog", 3, "", nullptr},
      {"katalog", -1, "", nullptr}, {"Brak", -1, "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.catalogue) + " " + std::to_string(c.layer));
    TTextAtResult result;
    result.Text = "stary";
    result.Catalogue = katalog_;
    view_->Search().FindTextAt(kPoint, kTolerance, result, c.layer, c.catalogue);
    EXPECT_EQ(result.Text, c.text);
    EXPECT_EQ(result.Catalogue, c.found);
  }
  std::string text = "stary";
  view_->Search().FindTextAtIn(kPoint, kTolerance, text, *inny_);
  EXPECT_EQ(text, "34");
  view_->Search().FindTextAtIn(TRealPoint{500, 500}, kTolerance, text, *inny_);
  EXPECT_EQ(text, "");
}

TEST_F(SearchTest, TextsInAClipByCatalogueAndLayer) {
  const TRectClip clip(40, 90, 60, 110);
  using Strings = std::vector<std::string>;
  struct Case {
    const char* catalogue;
    std::int32_t layer;
    Strings texts;
  };
  const Case cases[] = {
      {"", -1, {"34", "12"}}, {"Inny", -1, {"34"}}, {"Katalog", 4, {"12"}}, {"Katalog", 6, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.catalogue) + " " + std::to_string(c.layer));
    Strings texts;
    view_->Search().CollectTextsInClip(clip, c.catalogue, c.layer, texts);
    EXPECT_EQ(texts, c.texts);
  }
  Strings texts;
  view_->Search().CollectTextsInClipIn(clip, *katalog_, texts);
  EXPECT_EQ(texts, Strings{"12"});
}

// --- Crossings -----------------------------------------------------------------------

TEST_F(SearchTest, CrossingOfTwoLinesNearThePoint) {
  TLinia* x1 = Put(line1_, new TLinia(TRealPoint{290, 290}, TRealPoint{310, 310}));
  Put(line1_, new TLinia(TRealPoint{290, 310}, TRealPoint{310, 290}));
  Put(line1_, new TLinia(TRealPoint{200, 200}, TRealPoint{200, 220}));  // alone elsewhere

  TIntersectionResult result;
  view_->Search().FindIntersection(TRealPoint{301, 300}, kTolerance, result, nullptr);
  ASSERT_TRUE(result.Found);
  EXPECT_NEAR(result.Point.X, 300, 1e-9);
  EXPECT_NEAR(result.Point.Y, 300, 1e-9);

  view_->Search().FindIntersection(TRealPoint{301, 300}, kTolerance, result, x1);
  EXPECT_FALSE(result.Found);
  view_->Search().FindIntersection(TRealPoint{200, 210}, kTolerance, result, nullptr);
  EXPECT_FALSE(result.Found);
}

TEST_F(SearchTest, CrossingAmongMoreCandidatesThanTheListHolds) {
  // 140 lines through (400, 400), every one at its own angle.
  for (int i = 0; i < 140; ++i) {
    const double angle = std::numbers::pi * i / 140.0;
    const TRealPoint d{10 * std::cos(angle), 10 * std::sin(angle)};
    Put(line1_, new TLinia(TRealPoint{400 - d.X, 400 - d.Y}, TRealPoint{400 + d.X, 400 + d.Y}));
  }
  TIntersectionResult result;
  EXPECT_NO_THROW(view_->Search().FindIntersection(TRealPoint{401, 401}, kTolerance, result, nullptr));
  ASSERT_TRUE(result.Found);
  EXPECT_NEAR(result.Point.X, 400, 1e-6);
  EXPECT_NEAR(result.Point.Y, 400, 1e-6);
}

// --- Object searches -----------------------------------------------------------------

TEST_F(SearchTest, FindingAnObjectDiscardsTheUndoHistory) {
  TUndoManager* undo = view_->GetUndoManager();
  undo->Add(std::make_unique<TBlockUndoOperation>("Dodanie"));
  platform::PumpPostedMessages();
  undoNotices = 0;

  TObiektResult result;
  view_->Search().FindObiekt(TRealPoint{500, 500}, kTolerance, result, nullptr);
  EXPECT_EQ(result.Catalogue, nullptr);
  EXPECT_EQ(view_->GetUndoManager()->Count(), 1);

  std::vector<std::int32_t> checked;
  view_->Search().FindObiekt(TRealPoint{50, 150}, kTolerance, result, [&](const TObiektPath& Path) {
    checked.push_back(Path.LayerNumber);
    return true;
  });
  EXPECT_EQ(result.Catalogue, katalog_);
  EXPECT_EQ(result.LayerNumber, 3);
  EXPECT_EQ(result.SublayerNumber, 0);
  EXPECT_EQ(result.Index, a_->GetIndex());
  EXPECT_FALSE(checked.empty());
  EXPECT_EQ(view_->GetUndoManager()->Count(), 0);
  platform::PumpPostedMessages();
  EXPECT_EQ(undoNotices, 1);
}

// --- Sublayers by name -----------------------------------------------------------------

TEST_F(SearchTest, ActivityItemActivatesTheSublayerAndHandsOnTheOperation) {
  TActivityRecord item;
  item.Typ = 1;
  item.Warstwa = "LINIE";
  item.Podwarstwa = 1;
  item.Katalog = "Inny";  // not compared without the catalogue option
  auto op = std::make_unique<Operation>();
  TDeferredOperation* raw = op.get();
  view_->FindAndActivatePodwarstwa(ActivityBit(apWarstwa), item, std::move(op));
  EXPECT_EQ(static_cast<TPodwarstwa*>(view_->ActiveLine), line1_);
  ASSERT_EQ(log_.posted.size(), 1u);
  EXPECT_EQ(log_.posted[0].get(), raw);
  EXPECT_EQ(view_->PendingOperation, nullptr);
  EXPECT_EQ(view_->LinePresets.Flags, ActivityBit(apWarstwa));

  // With "WSTAW" given the operation waits for the next new element.
  item.Typ = 0;
  item.Warstwa = "OPISY";
  item.Podwarstwa = 0;
  item.Katalog = "Inny";
  view_->FindAndActivatePodwarstwa(ActivityBit(apKatalog) | ActivityBit(apWstaw), item,
                                   std::make_unique<Operation>());
  EXPECT_EQ(static_cast<TPodwarstwa*>(view_->ActiveText), text1_);
  EXPECT_EQ(log_.posted.size(), 1u);
  EXPECT_NE(view_->PendingOperation, nullptr);
  // No angle given: the user shows the angle of each new text.
  EXPECT_NE(static_cast<TPodwarstwaTextowa*>(text1_)->TextFlags & 0x04, 0);
}

TEST_F(SearchTest, MissingSublayerIsReportedAndTheOperationKept) {
  struct Case {
    const char* name;
    std::uint32_t options;
    const char* catalogue;
    std::int32_t number;
    const char* message;
  };
  const Case cases[] = {
      {"no such number", 0, "", 7, "Podwarstwa 7 ( Warstwa: LINIE ) nie została znaleziona"},
      {"another catalogue", ActivityBit(apKatalog), "Inny", 0,
       "Podwarstwa 0 ( Warstwa: LINIE Katalog: Inny ) nie została znaleziona"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_->PendingOperation.reset();
    TActivityRecord item;
    item.Typ = 1;
    item.Warstwa = "LINIE";
    item.Podwarstwa = c.number;
    item.Katalog = c.catalogue;
    platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
    responder.AnswerMessageBox(platform::IDOK);
    view_->FindAndActivatePodwarstwa(c.options, item, std::make_unique<Operation>());
    ASSERT_EQ(responder.Shown().size(), 1u);
    EXPECT_EQ(responder.Shown()[0].caption, "Informacja");
    EXPECT_EQ(responder.Shown()[0].text, c.message);
    EXPECT_EQ(view_->ActiveLine, nullptr);
    EXPECT_NE(view_->PendingOperation, nullptr);
    EXPECT_TRUE(log_.posted.empty());
  }
}

TEST_F(SearchTest, ActivationRestartsTheDrawingCommand) {
  platform::TakePostedMessages(view_->Handle(), kMsgPressToolButton);
  platform::TSpeedButton button;
  view_->ToolButton = &button;
  TActivityRecord item;
  item.Typ = 1;
  item.Warstwa = "LINIE";
  item.Wstaw = true;
  struct Case {
    const char* name;
    std::uint32_t options;
    std::size_t presses;
  };
  for (const Case& c : {Case{"pressed again", 0, 1}, Case{"the item starts the drawing", ActivityBit(apWstaw), 0}}) {
    SCOPED_TRACE(c.name);
    view_->SetKrzyz(std::make_unique<CreationTool>());
    view_->FindAndActivatePodwarstwa(c.options, item, nullptr);
    EXPECT_FALSE(view_->Krzyz()->IsEditGraphObjTool());
    EXPECT_EQ(platform::TakePostedMessages(view_->Handle(), kMsgPressToolButton).size(), c.presses);
  }
  view_->ToolButton = nullptr;
}

TEST_F(SearchTest, SublayerByPath) {
  view_->SetActivePodwarstwa(line1_);
  view_->SetActivePodwarstwa(text0_);
  EXPECT_EQ(view_->FindWarstwaByPath(1, ""), text0_);
  EXPECT_EQ(view_->FindWarstwaByPath(2, ""), line1_);
  EXPECT_EQ(view_->FindWarstwaByPath(2, "KATALOG\\LINIE\\1"), line1_);
  EXPECT_EQ(view_->FindWarstwaByPath(1, "INNY\\OPISY"), text1_);
  EXPECT_EQ(view_->FindWarstwaByPath(2, "INNY\\OPISY"), nullptr);
  EXPECT_EQ(view_->FindWarstwaByPath(1, "BRAK"), nullptr);
}

}  // namespace
