// The view's walkers over small trees built in memory: the path patterns of
// the menu actions and what each action does and asks to redraw, the
// activity-menu finder, the save question answered through the responder,
// the layer order kept in a scratch registry across a rebuilt tree, the
// texts collected in a clip, the presets of an activity-menu item, and the
// view's own calls (the order across two views over the example set, a
// registry that cannot be written, the walkers acting on a real view).
#include "view/viewwalkers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "common/example_set_folder.h"
#include "common/scratch_config.h"
#include "controls/smallwnd.h"
#include "foundation/threads/cancel.h"
#include "foundation/geometry/clip.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerapi.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "objects/linestylelib.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "platform/gui/application.h"
#include "platform/files/codepage.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/files/faultinject.h"
#include "platform/gui/forms.h"
#include "platform/files/inifile.h"
#include "platform/gui/messages.h"
#include "platform/files/registry.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/tvview.h"

namespace {

// Every view of this test program saves its layer order into the current
// user's registry when its tree goes: a scratch one here.
[[maybe_unused]] ::testing::Environment* const kScratchConfig =
    ::testing::AddGlobalTestEnvironment(new ScratchConfigEnvironment);

using platform::TScriptedResponder;
using Strings = std::vector<std::string>;

void Fail(const std::string& m) { ADD_FAILURE() << m; }

// "layer/number" of a sublayer, the name of anything else.
std::string Label(const TWarstwaOgolna* Node) {
  if (Node == nullptr) return "-";
  if (dynamic_cast<const TPodwarstwa*>(Node) != nullptr && Node->Owner != nullptr)
    return Node->Owner->Name + "/" + Node->GetIdent();
  return Node->Name;
}

// A sublayer whose save is recorded (it has no file).
template <class Base>
class SavedSublayer : public Base {
 public:
  SavedSublayer(int Number, Strings* Saves) : Base(nullptr, nullptr, Number, nullptr), saves_(Saves) {}
  void Save() override {
    if (saves_ != nullptr) saves_->push_back(Label(this));
    this->ClearFlag(kNodeChanged);
  }

 private:
  Strings* saves_;
};

// A raster: a leaf of the raster kind.
class FakeRaster : public TWarstwaImp {
 public:
  explicit FakeRaster(const std::string& AName) { Name = AName; }
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void AddObject(TEGraphObj*) override {}
  std::uint32_t GetTypeMask() override { return 0x20000; }
};

// The raster group, counting the calls that show or hide it.
class RasterGroup : public TGrupaWarstw {
 public:
  RasterGroup() : TGrupaWarstw(kRasterGroupName) {}
  int visibleCalls = 0;
  void SetVisible(bool B) override {
    ++visibleCalls;
    TGrupaWarstw::SetVisible(B);
  }
};

// The view as the walkers call it.
class FakeView : public TTreeActionViewI {
 public:
  Strings redrawn;
  Strings activated;
  void QueueRedraw(TWarstwaOgolna* Node) override { redrawn.push_back(Label(Node)); }
  void SetActivePodwarstwa(TWarstwaOgolna* Node) override { activated.push_back(Label(Node)); }
};

// Records the targets it reaches.
class RecordingAction : public TVMenuAction {
 public:
  using TVMenuAction::TVMenuAction;
  Strings reached;
  int Apply(TWarstwaOgolna& Node) override {
    reached.push_back(Label(&Node));
    return kMenuNothing;
  }
};

// The children's names of a group, in order.
Strings Order(const TGrupaWarstw& G) {
  Strings names;
  for (int i = 0; i < G.GetCount(); ++i) names.push_back(G.GetItem(i)->Name);
  return names;
}

template <class T>
T* Add(TGrupaWarstw& G, std::unique_ptr<T> Node) {
  T* raw = Node.get();
  G.AddChild(std::move(Node));
  return raw;
}

// A layer without a file with Count visible sublayers 0, 1, ... whose saves
// go to Saves.
std::unique_ptr<TWarstwa> MakeLayer(const std::string& Name, bool Lines, int Count, Strings* Saves,
                                    std::uint16_t Number = 0) {
  TMainWarstwaHeader header;
  header.Kind = Lines ? 1 : 0;
  auto layer = std::make_unique<TWarstwa>(nullptr, nullptr, header, Name, nullptr);
  layer->LayerNumber = Number;
  while (layer->GetCount() > 0) layer->RemoveChild(layer->GetItem(0));
  for (int n = 0; n < Count; ++n) {
    std::unique_ptr<TPodwarstwa> sub;
    if (Lines) sub = std::make_unique<SavedSublayer<TPodwarstwaLiniowa>>(n, Saves);
    else sub = std::make_unique<SavedSublayer<TPodwarstwaTextowa>>(n, Saves);
    sub->SetFlag(kNodeVisible);
    layer->AddChild(std::move(sub));
  }
  layer->SetFlag(kNodeVisible);
  return layer;
}

std::unique_ptr<TKatalogWarstw> MakeCatalogue(const std::string& Name) {
  return std::make_unique<TKatalogWarstw>(nullptr, Name, nullptr, "", "", nullptr);
}

// Przyklad
//   Mapa:  DROGI (lines 0, 1), DOMY (lines 0), OPISY (texts 0, 1), rzeki (lines 0)
//   Inne:  DROGI (texts 0), DRZEWA (lines 0)
//   Rastry: R1, R2
class TreeActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::make_unique<TBazaWarstw>("Przyklad");
    mapa = Add(*root, MakeCatalogue("Mapa"));
    drogi = Add(*mapa, MakeLayer("DROGI", true, 2, &saves, 1));
    domy = Add(*mapa, MakeLayer("DOMY", true, 1, &saves, 2));
    opisy = Add(*mapa, MakeLayer("OPISY", false, 2, &saves, 3));
    rzeki = Add(*mapa, MakeLayer("rzeki", true, 1, &saves, 4));
    inne = Add(*root, MakeCatalogue("Inne"));
    drogiInne = Add(*inne, MakeLayer("DROGI", false, 1, &saves, 5));
    drzewa = Add(*inne, MakeLayer("DRZEWA", true, 1, &saves, 6));
    rastry = Add(*root, std::make_unique<RasterGroup>());
    Add(*rastry, std::make_unique<FakeRaster>("R1"))->SetFlag(kNodeVisible);
    Add(*rastry, std::make_unique<FakeRaster>("R2"))->SetFlag(kNodeVisible);
    rastry->SetVisible(true);
    rastry->visibleCalls = 0;
  }

  Strings Reached(std::uint32_t Mask, const std::string& Path) {
    RecordingAction action(Mask, Path, false, &view, nullptr);
    action.Execute(*root);
    return action.reached;
  }

  Strings saves;
  FakeView view;
  std::unique_ptr<TBazaWarstw> root;
  TKatalogWarstw* mapa = nullptr;
  TKatalogWarstw* inne = nullptr;
  TWarstwa* drogi = nullptr;
  TWarstwa* domy = nullptr;
  TWarstwa* opisy = nullptr;
  TWarstwa* rzeki = nullptr;
  TWarstwa* drogiInne = nullptr;
  TWarstwa* drzewa = nullptr;
  RasterGroup* rastry = nullptr;
};

// --- Path patterns ---

TEST(PathComponentTest, QuestionMarkAndStar) {
  struct Case {
    const char* component;
    const char* ident;
    bool match;
  } cases[] = {
      {"DROGI", "DROGI", true},   {"DROGI", "DROGA", false},  {"DROGI", "DROGIX", false},
      {"D?M", "DOM", true},       {"D?M", "DYM", true},       {"D?M", "DOMY", false},
      {"D?M", "DO", false},       {"D?M", "DAN", false},      {"DR*", "DROGI", true},
      {"DR*", "DRZEWA", true},    {"DR*", "D", true},         {"DR*", "DOMY", false},
      {"DR*X", "DRY", true},      {"*", "", true},            {"*", "COKOLWIEK", true},
      {"drogi", "DROGI", false},  {"dr*", "DROGI", false},    {"", "", true},
      {"?", "", false},           {"??*", "A", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchPathComponent(c.component, c.ident), c.match) << c.component << " / " << c.ident;
}

TEST_F(TreeActionTest, PathAndKindChooseTheTargets) {
  struct Case {
    int kind;
    const char* path;
    Strings reached;
  } cases[] = {
      {1, "MAPA\\*", {"DOMY/0", "DROGI/0", "DROGI/1", "rzeki/0"}},
      {2, "MAPA\\*", {"OPISY/0", "OPISY/1"}},
      {0, "\\MAPA\\DROGI", {"DROGI/0", "DROGI/1"}},  // a layer reaches its sublayers
      {0, "MAPA\\DROGI\\1", {"DROGI/1"}},
      {0, "*\\DROGI", {"DROGI/0", "DROGI/0", "DROGI/1"}},  // Inne's, then Mapa's
      {2, "*\\DROGI", {"DROGI/0"}},
      {0, "MAPA\\D?MY", {"DOMY/0"}},
      {0, "MAPA\\DR*", {"DROGI/0", "DROGI/1"}},
      {0, "*\\RZEKI", {"rzeki/0"}},  // identifiers compare in upper case
      {0, "mapa\\*", {}},            // a path in lower case matches nothing
      {0, "MAPA", {"DOMY/0", "DROGI/0", "DROGI/1", "OPISY/0", "OPISY/1", "rzeki/0"}},
      {7, "*", {"Rastry"}},  // the raster group as a whole
      {7, "MAPA\\*", {}},
      {8, "*", {}},
      {0, "BRAK", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + c.path);
    EXPECT_EQ(Reached(MenuKindMask(c.kind), c.path), c.reached);
  }
}

TEST_F(TreeActionTest, KindIndexesOfTheVisibilityMenu) {
  const std::uint32_t masks[] = {0xFFF03, 0x2, 0x1, 0x3F00, 0x3F00, 0x3F00, 0x40000, 0x20000, 0x1C000, 0};
  for (int kind = 0; kind < 10; ++kind) EXPECT_EQ(MenuKindMask(kind), masks[kind]) << kind;
  EXPECT_EQ(MenuKindMask(-1), 0u);
}

TEST_F(TreeActionTest, CancelSkipsEveryFurtherNode) {
  TCancel cancel(2000, "Test");
  cancel.SetCanceled();
  RecordingAction action(MenuKindMask(0), "*", false, &view, &cancel);
  action.Execute(*root);
  EXPECT_TRUE(action.reached.empty());
}

// --- Visibility ---

TEST_F(TreeActionTest, VisibilityRedrawDecisions) {
  struct Case {
    const char* name;
    bool startVisible;
    bool visible;
    bool fullGiven;
    bool fullAfter;
    Strings redrawn;
  } cases[] = {
      {"hiding visible sublayers", true, false, false, true, {}},
      {"showing hidden sublayers", false, true, false, false, {"DROGI/0", "DROGI/1"}},
      {"showing visible sublayers", true, true, false, false, {}},
      {"hiding hidden sublayers", false, false, false, false, {}},
      {"showing under a full redraw", false, true, true, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view.redrawn.clear();
    for (int i = 0; i < drogi->GetCount(); ++i) drogi->GetItem(i)->SetVisible(c.startVisible);
    TVMAVisible action(MenuKindMask(0), "MAPA\\DROGI", c.fullGiven, c.visible, &view, nullptr);
    action.Execute(*root);
    EXPECT_EQ(action.FullRedraw, c.fullAfter);
    EXPECT_EQ(view.redrawn, c.redrawn);
    for (int i = 0; i < drogi->GetCount(); ++i) EXPECT_EQ(drogi->GetItem(i)->IsVisible(), c.visible);
    EXPECT_TRUE(domy->GetItem(0)->IsVisible());  // out of the path
  }
  EXPECT_TRUE(view.activated.empty());
}

TEST_F(TreeActionTest, HidingTheActiveLayerReleasesTheActiveSublayers) {
  drogi->GetItem(1)->NodeState.SetActive(true);
  TVMAVisible show(MenuKindMask(0), "MAPA\\DROGI", false, true, &view, nullptr);
  show.Execute(*root);
  EXPECT_TRUE(view.activated.empty());
  TVMAVisible hide(MenuKindMask(0), "MAPA\\DROGI", false, false, &view, nullptr);
  hide.Execute(*root);
  EXPECT_EQ(view.activated, Strings{"-"});
}

TEST_F(TreeActionTest, RasterGroupIsHiddenAsOneGroup) {
  TVMAVisible action(MenuKindMask(7), "*", false, false, &view, nullptr);
  action.Execute(*root);
  EXPECT_EQ(rastry->visibleCalls, 1);
  EXPECT_TRUE(action.FullRedraw);
  for (int i = 0; i < rastry->GetCount(); ++i) EXPECT_FALSE(rastry->GetItem(i)->IsVisible());
  EXPECT_TRUE(drogi->GetItem(0)->IsVisible());
}

// --- Unload, check, find, save ---

TEST_F(TreeActionTest, UnloadingAnEmptySublayerDoesNothing) {
  TVMAUsun empty(MenuKindMask(0), "MAPA\\OPISY\\0", false, &view, nullptr);
  empty.Execute(*root);
  EXPECT_FALSE(empty.FullRedraw);

  auto* sub = dynamic_cast<TPodwarstwa*>(opisy->GetItem(0));
  sub->AddObject(new TNapis(TRealPoint{1, 1}, "A"));
  ASSERT_FALSE(sub->IsEmpty());
  TVMAUsun loaded(MenuKindMask(0), "MAPA\\OPISY\\0", false, &view, nullptr);
  loaded.Execute(*root);
  EXPECT_TRUE(loaded.FullRedraw);
  EXPECT_TRUE(sub->IsEmpty());
  EXPECT_TRUE(view.redrawn.empty());
}

TEST_F(TreeActionTest, CheckFindAndSaveStopOrGoOn) {
  TVMCheckBrudna clean(MenuKindMask(0), "*", false, &view, nullptr);
  clean.Execute(*root);
  EXPECT_FALSE(clean.Found);

  drzewa->Sublayer(0)->SetFlag(kNodeChanged);
  TVMCheckBrudna dirty(MenuKindMask(0), "*", false, &view, nullptr);
  dirty.Execute(*root);
  EXPECT_TRUE(dirty.Found);
  TVMCheckBrudna otherCatalogue(MenuKindMask(0), "MAPA", false, &view, nullptr);
  otherCatalogue.Execute(*root);
  EXPECT_FALSE(otherCatalogue.Found);

  TFindWarstwaPath find(MenuKindMask(0), "*\\DR*", &view, nullptr);
  find.Execute(*root);
  EXPECT_EQ(Label(find.FoundNode), "DROGI/0");
  EXPECT_EQ(find.FoundNode->Owner, drogiInne);  // Inne comes first
  TFindWarstwaPath none(MenuKindMask(0), "*\\BRAK", &view, nullptr);
  none.Execute(*root);
  EXPECT_EQ(none.FoundNode, nullptr);

  TVMSave save(MenuKindMask(2), "*", false, &view, nullptr);
  save.Execute(*root);
  EXPECT_EQ(saves, (Strings{"DROGI/0", "OPISY/0", "OPISY/1"}));
  EXPECT_FALSE(save.FullRedraw);
}

// --- Activity menu ---

TEST_F(TreeActionTest, ActivityMenuFinderActivatesTheNamedSublayer) {
  struct Case {
    std::uint32_t mask;
    const char* catalogue;  // nullptr: the item names none
    const char* layer;
    int number;
    std::string activated;  // empty: none found
    const TWarstwa* owner;
  } cases[] = {
      {kMaskLine, "mapa", "drogi", 1, "DROGI/1", drogi},
      {kMaskLine, "MAPA", "DROGI", 0, "DROGI/0", drogi},
      {kMaskText, "MAPA", "DROGI", 0, "", nullptr},  // the catalogue's DROGI holds lines
      {kMaskText, nullptr, "DROGI", 0, "DROGI/0", drogiInne},
      {kMaskLine, nullptr, "Drogi", 0, "DROGI/0", drogi},
      {kMaskLine, "MAPA", "DROGI", 5, "", nullptr},
      {kMaskLine, "INNE", "DOMY", 0, "", nullptr},
      {kMaskLine, "MAPA", "RZEKI", 0, "rzeki/0", rzeki},
      {kMaskLine, "DROGI", "0", 0, "", nullptr},  // a layer is no catalogue
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.catalogue ? c.catalogue : "(brak)") + "/" + c.layer + "/" + std::to_string(c.number));
    view.activated.clear();
    TFindSetActWarstwa finder(c.mask, c.catalogue ? c.catalogue : "", c.layer, c.number, nullptr);
    finder.InCatalogue = c.catalogue == nullptr;
    struct Capture : TTreeActionViewI {
      TWarstwaOgolna* node = nullptr;
      void QueueRedraw(TWarstwaOgolna*) override {}
      void SetActivePodwarstwa(TWarstwaOgolna* Node) override { node = Node; }
    } capture;
    finder.View = &capture;
    finder.Execute(*root);
    EXPECT_EQ(finder.Found(), !c.activated.empty());
    EXPECT_EQ(capture.node == nullptr ? "" : Label(capture.node), c.activated);
    if (c.owner != nullptr && capture.node != nullptr) {
      EXPECT_EQ(capture.node->Owner, c.owner);
    }
  }
}

// --- Save question ---

struct Answer {
  const char* button;
  bool all;
};

void AnswerQuestion(platform::TForm& Form, const Answer& A, Strings& Texts) {
  auto& query = dynamic_cast<TYesNoAll&>(Form);
  Texts.push_back(query.Komunikat->Caption());
  if (A.all) query.All->Click();
  for (platform::TButton* b : {query.YesBtn, query.NoBtn, query.CancelBtn})
    if (b->Caption() == A.button) {
      b->Click();
      return;
    }
  ADD_FAILURE() << "no button " << A.button;
}

TEST_F(TreeActionTest, SaveQuestionOnClosing) {
  struct Case {
    const char* name;
    std::vector<Answer> answers;
    Strings asked;  // layers asked about
    Strings saved;
    bool cancelled;
  } cases[] = {
      // Walk order: Inne's DRZEWA, then Mapa's DROGI and OPISY.
      {"yes, no, yes", {{"&Tak", false}, {"&Nie", false}, {"&Tak", false}},
       {"DRZEWA", "DROGI", "OPISY"}, {"DRZEWA/0", "OPISY/0"}, false},
      {"yes to all", {{"&Tak", true}}, {"DRZEWA"}, {"DRZEWA/0", "DROGI/1", "OPISY/0"}, false},
      {"no to all", {{"&Nie", true}}, {"DRZEWA"}, {}, false},
      {"yes, then cancel", {{"&Tak", false}, {"Anuluj", false}}, {"DRZEWA", "DROGI"}, {"DRZEWA/0"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    saves.clear();
    for (TPodwarstwa* n : {drogi->Sublayer(1), opisy->Sublayer(0), drzewa->Sublayer(0)}) n->SetFlag(kNodeChanged);
    TScriptedResponder responder(Fail);
    Strings texts;
    for (const Answer& a : c.answers)
      responder.AnswerForm([&texts, a](platform::TForm& form) { AnswerQuestion(form, a, texts); }, "Potwierdź");
    TQuerySave query;
    query.Execute(*root);
    EXPECT_EQ(query.Cancelled, c.cancelled);
    EXPECT_EQ(query.Mode, 0);
    Strings expected;
    for (const std::string& layer : c.asked) expected.push_back("Warstwa " + layer + " została zmieniona. Zachować?");
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(saves, c.saved);
    EXPECT_EQ(responder.Pending(), 0);
    for (TPodwarstwa* n : {drogi->Sublayer(1), opisy->Sublayer(0), drzewa->Sublayer(0)}) n->ClearFlag(kNodeChanged);
  }
}

TEST_F(TreeActionTest, NothingChangedAsksNothing) {
  TScriptedResponder responder(Fail);
  TQuerySave query;
  query.Execute(*root);
  EXPECT_FALSE(query.Cancelled);
  EXPECT_TRUE(saves.empty());
}

// --- Layer order ---

class LayerOrderTest : public TreeActionTest {
 protected:
  ScratchFolder dir_;
  std::string registry_ = dir_ / "registry.reg";
};

TEST_F(LayerOrderTest, OrderSurvivesARebuiltTree) {
  root->MoveChild(rastry, 0);                 // Rastry, Inne, Mapa
  mapa->MoveChild(opisy, 0);                  // OPISY first
  mapa->MoveChild(rzeki, 1);                  // then rzeki
  rastry->MoveChild(rastry->GetItem(1), 0);  // R2 before R1: not restored
  const Strings rootOrder = Order(*root), mapaOrder = Order(*mapa);
  ASSERT_EQ(rootOrder, (Strings{"Rastry", "Inne", "Mapa"}));
  ASSERT_EQ(mapaOrder, (Strings{"OPISY", "rzeki", "DOMY", "DROGI"}));
  TSaveWarstwyOrder(registry_).Execute(*root);

  {
    platform::TRegistry reg(registry_);
    ASSERT_TRUE(reg.OpenKey(std::string(kLayerOrderKey) + "\\Przyklad\\Mapa\\t-OPISY", false));
    EXPECT_EQ(reg.ReadInteger(kLayerOrderValue), 0);
    ASSERT_TRUE(reg.OpenKey(std::string(kLayerOrderKey) + "\\Przyklad\\Mapa\\l-rzeki", false));
    EXPECT_EQ(reg.ReadInteger(kLayerOrderValue), 1);
    // Sublayers of a layer are not written.
    EXPECT_FALSE(reg.HasSubKeys());
    ASSERT_TRUE(reg.OpenKey(std::string(kLayerOrderKey) + "\\Przyklad\\Inne", false));
    EXPECT_EQ(reg.GetKeyNames(), Strings{});  // no explicit order below Inne
  }

  // "Restart": a tree built anew in the default order.
  SetUp();
  ASSERT_EQ(Order(*root), (Strings{"Inne", "Mapa", "Rastry"}));
  ASSERT_EQ(Order(*mapa), (Strings{"DOMY", "DROGI", "OPISY", "rzeki"}));
  TLoadWarstwyOrder loader(registry_);
  EXPECT_FALSE(loader.NoKey);
  loader.Execute(*root);
  EXPECT_EQ(Order(*root), rootOrder);
  EXPECT_EQ(Order(*mapa), mapaOrder);
  EXPECT_EQ(Order(*rastry), (Strings{"R1", "R2"}));
}

TEST_F(LayerOrderTest, MissingKeyLeavesTheTreeAlone) {
  mapa->MoveChild(rzeki, 0);
  const Strings before = Order(*mapa);
  TLoadWarstwyOrder loader(registry_);
  EXPECT_TRUE(loader.NoKey);
  loader.Execute(*root);
  EXPECT_EQ(Order(*mapa), before);
  EXPECT_FALSE(std::filesystem::exists(registry_));
}

// A catalogue whose name holds a path separator keeps its own key: the order
// of its layers does not land in a key nested under a part of its name.
TEST_F(LayerOrderTest, NameWithASeparatorStaysOneKey) {
  auto odd = MakeCatalogue("Stare\\Mapy");
  TKatalogWarstw* stare = Add(*root, std::move(odd));
  Add(*stare, MakeLayer("B", true, 1, nullptr));
  TWarstwa* a = Add(*stare, MakeLayer("A", true, 1, nullptr));
  stare->MoveChild(stare->GetItem(1), 0);  // B, A
  ASSERT_EQ(Order(*stare), (Strings{"B", "A"}));
  TSaveWarstwyOrder(registry_).Execute(*root);
  {
    platform::TRegistry reg(registry_);
    ASSERT_TRUE(reg.OpenKey(std::string(kLayerOrderKey) + "\\Przyklad", false));
    EXPECT_FALSE(reg.KeyExists("Stare"));
    EXPECT_TRUE(reg.SubKeyExists("Stare\\Mapy"));
  }
  stare->ResetOrder();
  ASSERT_EQ(Order(*stare), (Strings{"A", "B"}));
  TLoadWarstwyOrder(registry_).Execute(*root);
  EXPECT_EQ(Order(*stare), (Strings{"B", "A"}));
  EXPECT_EQ(a->OrderKey, kOrderNone);  // never ordered, never written
}

TEST_F(LayerOrderTest, FailedWriteReachesTheCallerAndKeepsTheFile) {
  root->MoveChild(rastry, 0);
  TSaveWarstwyOrder(registry_).Execute(*root);
  const std::string before = ScratchFolder::Get(registry_);
  root->MoveChild(mapa, 0);
  {
    platform::FaultScope fault({platform::FaultOp::Write, 1, true, ""});
    EXPECT_THROW(TSaveWarstwyOrder(registry_).Execute(*root), platform::ERegistryException);
  }
  EXPECT_EQ(ScratchFolder::Get(registry_), before);
}

// A value of the wrong type (a hand-edited registry) leaves the node's key.
TEST_F(LayerOrderTest, ValueOfAnotherTypeIsIgnored) {
  {
    platform::TRegistry reg(registry_);
    ASSERT_TRUE(reg.OpenKey(std::string(kLayerOrderKey) + "\\Przyklad\\Mapa", true));
    reg.WriteString(kLayerOrderValue, "pierwszy");
    ASSERT_TRUE(reg.OpenKey("l-DROGI", true));
    reg.WriteInteger(kLayerOrderValue, -5);
  }
  TLoadWarstwyOrder(registry_).Execute(*root);
  EXPECT_EQ(mapa->OrderKey, kOrderNone);
  EXPECT_EQ(Order(*mapa).front(), "DROGI");
}

// --- Texts in a clip ---

TEST_F(TreeActionTest, TextsInAClip) {
  auto put = [](TWarstwaOgolna* sub, double x, double y, const char* text) {
    sub->AddObject(new TNapis(TRealPoint{x, y}, text));
    static_cast<TWarstwaImp*>(sub)->SetFlag(kNodeDrawn | kNodeLoaded);
  };
  put(opisy->GetItem(0), 1, 1, "opis w");
  put(opisy->GetItem(1), 50, 50, "opis poza");
  put(drogiInne->GetItem(0), 2, 2, "droga w");
  put(drogi->GetItem(0), 3, 3, "na warstwie liniowej");
  // Searches visit shown nodes only.
  std::function<void(TWarstwaOgolna&)> show = [&](TWarstwaOgolna& n) {
    static_cast<TWarstwaImp&>(n).SetFlag(kNodeShown);
    if (auto* g = dynamic_cast<TGrupaWarstw*>(&n))
      for (int i = 0; i < g->GetCount(); ++i) show(*g->GetItem(i));
  };
  show(*root);

  TRectClip rect(0, 0, 10, 10);
  auto triangle = std::make_unique<TRealPolygon>();
  for (TRealPoint p : {TRealPoint{0, 0}, TRealPoint{10, 0}, TRealPoint{0, 10}}) triangle->AddPoint(p);
  TPolygonClip polygon(std::move(triangle));

  struct Case {
    const char* name;
    const TClip* clip;
    const char* catalogue;  // nullptr: no range
    int layer;
    Strings texts;
  } cases[] = {
      {"rectangle", &rect, nullptr, -1, {"droga w", "opis w"}},
      {"polygon", &polygon, nullptr, -1, {"droga w", "opis w"}},
      {"one catalogue", &rect, "Inne", -1, {"droga w"}},
      {"one layer", &rect, "Mapa", 3, {"opis w"}},
      {"another layer", &rect, "Mapa", 1, {}},
      {"catalogue names compare exactly", &rect, "MAPA", -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Strings texts;
    std::unique_ptr<TSearchTextInClip> search;
    if (c.catalogue == nullptr) search = std::make_unique<TSearchTextInClip>(c.clip, &texts);
    else search = std::make_unique<TRangeSearchTextInClip>(c.clip, &texts, c.catalogue, c.layer);
    search->Check(*root);
    EXPECT_EQ(texts, c.texts);
    EXPECT_FALSE(search->Found());
  }
}

// --- Presets from an activity-menu item ---

class PresetsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSettingsMessageBox([](const std::string&, const std::string&) {});
    SetLibraryErrorBox([](const std::string&) {});
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(dir_ / "tolvika.ini"));
  }
  void TearDown() override {
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    SetLibraryErrorBox(nullptr);
    SetSettingsMessageBox(nullptr);
    SetGeneratorLookup(nullptr);
  }
  ScratchFolder dir_;
};

std::uint32_t Bits(std::initializer_list<TActivityParam> Params) {
  std::uint32_t flags = 0;
  for (TActivityParam p : Params) flags |= ActivityBit(p);
  return flags;
}

TEST_F(PresetsTest, LinePresetsFilledAndApplied) {
  const TLine* plain = LineManager().GetLine(1);
  ASSERT_NE(plain, nullptr);
  TActivityRecord item;
  item.Skala = 2.5f;
  item.Grubosc = 2;
  item.TypLinii = 1;
  TLinePresets p;
  FillLinePresets(p, Bits({apTypLinii, apGrubosc, apSkala}), item);
  EXPECT_EQ(p.LineStyle, plain);
  EXPECT_EQ(p.LineNumber, 1);
  EXPECT_EQ(p.Width, 2);
  EXPECT_FLOAT_EQ(p.Scale, 2.5f);

  TLiniaSpecjalna line(TRealPoint{0, 0}, TRealPoint{1, 1}, nullptr, 1.0);
  ApplyLinePresets(p, &line);
  EXPECT_EQ(line.Style.LineDef, plain);
  EXPECT_EQ(line.Style.Thickness, 2);
  EXPECT_FLOAT_EQ(line.Style.Multiplier, 2.5f);

  // By name, whatever its case; a width of 3 or more means the header's.
  item.NazwaLinii = plain->Name;
  item.TypLinii = 0;
  item.Grubosc = 7;
  FillLinePresets(p, Bits({apNazwaLinii, apGrubosc}), item);
  EXPECT_EQ(p.LineStyle, plain);
  EXPECT_EQ(p.LineNumber, plain->Number);
  EXPECT_EQ(p.Width, 0);
  TLiniaSpecjalna other(TRealPoint{0, 0}, TRealPoint{1, 1}, nullptr, 4.0);
  ApplyLinePresets(p, &other);
  EXPECT_EQ(other.Style.LineDef, plain);
  EXPECT_FLOAT_EQ(other.Style.Multiplier, 4.0f);  // no scale given

  // Number 0 given: no style looked up.
  FillLinePresets(p, Bits({apTypLinii}), TActivityRecord{});
  EXPECT_EQ(p.LineStyle, nullptr);
  // A text is no line: left alone.
  TNapis text(TRealPoint{}, "x");
  ApplyLinePresets(p, &text);
}

TEST_F(PresetsTest, UnknownLineStyleIsRefused) {
  struct Case {
    std::uint32_t flags;
    const char* name;
    std::uint16_t number;
    const char* message;
  } cases[] = {
      {Bits({apNazwaLinii}), "BRAK TAKIEJ", 0, "Menu aktywności: Błędna nazwa linii specjalnej"},
      {Bits({apNazwaLinii, apTypLinii}), "BRAK TAKIEJ", 1, "Menu aktywności: Błędna nazwa linii specjalnej"},
      {Bits({apTypLinii}), "", 9999, "Menu aktywności: Błędny numer linii specjalnej"},
  };
  for (const Case& c : cases) {
    TActivityRecord item;
    item.NazwaLinii = c.name;
    item.TypLinii = c.number;
    TLinePresets p;
    try {
      FillLinePresets(p, c.flags, item);
      ADD_FAILURE() << "no error for " << c.name << " " << c.number;
    } catch (const EWarstwaError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST_F(PresetsTest, GeneratorComesFromTheLookup) {
  TActivityRecord item;
  item.Generator = "PŁOT";
  item.Odstep = 1.5f;
  TLinePresets p;
  FillLinePresets(p, Bits({apGenerator, apOdstep}), item);
  EXPECT_EQ(p.Generator, nullptr);  // no generators

  std::string asked;
  bool spacing = false;
  float value = 0;
  auto* marker = reinterpret_cast<TGeneratorImp*>(&item);
  SetGeneratorLookup([&](const std::string& Name, bool HasSpacing, float Spacing) {
    asked = Name;
    spacing = HasSpacing;
    value = Spacing;
    return marker;
  });
  FillLinePresets(p, Bits({apGenerator, apOdstep}), item);
  EXPECT_EQ(p.Generator, marker);
  EXPECT_EQ(asked, "PŁOT");
  EXPECT_TRUE(spacing);
  EXPECT_FLOAT_EQ(value, 1.5f);
  FillLinePresets(p, Bits({apGenerator}), item);
  EXPECT_FALSE(spacing);
}

TEST_F(PresetsTest, TextPresetsFilledAndApplied) {
  TActivityRecord item;
  item.Wysokosc = 3;
  item.Kat = 90;
  item.Podkreslenie = true;
  item.Odnosnik = true;
  item.Justyfikacja = 5;
  item.Tekst = "Nowy";
  TTextPresets p;
  const std::uint32_t all = Bits({apWysokosc, apKat, apPodkreslenie, apOdnosnik, apJustyfikacja, apTekst});
  FillTextPresets(p, all, item);
  EXPECT_EQ(p.Text, "Nowy");
  EXPECT_EQ(p.Symbol, nullptr);

  TWysKatOdnNapisW text;
  ApplyTextPresets(p, &text);
  EXPECT_FLOAT_EQ(text.Height, 3);
  EXPECT_NEAR(text.Angle, std::numbers::pi / 2, 1e-6);
  EXPECT_TRUE(text.IsUnderline());
  EXPECT_EQ(text.GetJustyfikacja(), 5);
  EXPECT_EQ(text.NoReference, 0);  // the leader switched on
  EXPECT_EQ(text.Text, "Nowy");

  // Only what was given.
  TWysKatOdnNapisW untouched;
  untouched.Height = 7;
  FillTextPresets(p, Bits({apTekst}), item);
  ApplyTextPresets(p, &untouched);
  EXPECT_FLOAT_EQ(untouched.Height, 7);
  EXPECT_EQ(untouched.NoReference, 1);
  EXPECT_EQ(untouched.Text, "Nowy");

  // A symbol: height, angle and the symbol by name (none in an empty library).
  item.Symbol = "KRZYZ";
  FillTextPresets(p, Bits({apWysokosc, apKat, apSymbol, apTekst}), item);
  EXPECT_EQ(p.Text, "KRZYZ");
  TWysKatSymbol symbol;
  symbol.Text = "STARY";
  ApplyTextPresets(p, &symbol);
  EXPECT_FLOAT_EQ(symbol.Height, 3);
  EXPECT_NEAR(symbol.Angle, std::numbers::pi / 2, 1e-6);
  EXPECT_EQ(symbol.Text, "KRZYZ");
  EXPECT_EQ(symbol.Symbol, p.Symbol);
}

// --- The view's own calls ---

// A view over the example set whose layer order goes to a scratch registry.
class ViewLayerOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exampleSet_.emplace(scratch_ / "set");
    SetLibraryErrorBox([](const std::string&) {});
    {
      platform::TIniFile ini(scratch_ / "tolvika.ini");
      ini.WriteInteger("Okno", "RozmiarX", 160);
      ini.WriteInteger("Okno", "RozmiarY", 120);
      ini.UpdateFile();
    }
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
    form = platform::MakeForm<platform::TForm>();
    form->SetBounds(10, 10, 320, 240);
    form->Show();
    store = std::make_unique<TLayerStore>("baza.ini");
  }
  void TearDown() override {
    view.reset();
    form.reset();
    platform::PumpPostedMessages();
    store.reset();
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    SetLibraryErrorBox(nullptr);
    exampleSet_.reset();
  }

  // A view going closes its base: each new one opens it again.
  void NewView(const std::string& Registry) {
    view.reset();
    platform::PumpPostedMessages();
    base = DBInt::OpenBase(*store, 0, "Przyklad");
    view = std::make_unique<TTvView>();
    view->LayerOrderRegistry = Registry;
    view->Start(form.get());
    view->AttachBaza(store.get(), base);
  }
  // The first catalogue with two layers or more.
  TKatalogWarstw* Catalogue() const {
    for (int i = 0; i < view->Root()->GetCount(); ++i)
      if (auto* c = dynamic_cast<TKatalogWarstw*>(view->Root()->GetItem(i)); c != nullptr && c->GetCount() >= 2)
        return c;
    return nullptr;
  }

  ScratchFolder scratch_;
  std::optional<ExampleSetFolder> exampleSet_;
  std::unique_ptr<platform::TForm> form;
  std::unique_ptr<TLayerStore> store;
  TBaza* base = nullptr;
  std::unique_ptr<TTvView> view;
};

TEST_F(ViewLayerOrderTest, OrderSavedWhenTheViewGoesAndLoadedByTheNext) {
  const std::string registry = scratch_ / "registry.reg";
  NewView(registry);
  TKatalogWarstw* catalogue = Catalogue();
  ASSERT_NE(catalogue, nullptr);
  const Strings defaults = Order(*catalogue);
  catalogue->MoveChild(catalogue->GetItem(catalogue->GetCount() - 1), 0);
  const Strings moved = Order(*catalogue);
  ASSERT_NE(moved, defaults);

  NewView(registry);  // the old view saves as its tree goes
  catalogue = Catalogue();
  EXPECT_EQ(Order(*catalogue), defaults);
  view->LoadLayerOrder();
  EXPECT_EQ(Order(*catalogue), moved);

  // Attaching again saves the tree it frees.
  catalogue->MoveChild(catalogue->GetItem(1), 0);
  const Strings again = Order(*catalogue);
  view->AttachBaza(store.get(), base);
  view->LoadLayerOrder();
  EXPECT_EQ(Order(*Catalogue()), again);
}

TEST_F(ViewLayerOrderTest, RegistryThatCannotBeWrittenCostsOnlyTheOrder) {
  // The registry's folder cannot be made: a file stands in its place.
  scratch_.Put("plik", "x");
  const std::string registry = scratch_ / "plik/registry.reg";
  NewView(registry);
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(platform::IDOK);
  view->AttachBaza(store.get(), base);  // the old tree is freed all the same
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].text.rfind("Nie zapisano porządku warstw: ", 0), 0u) << responder.Shown()[0].text;
  EXPECT_NE(Catalogue(), nullptr);
  view->LoadLayerOrder();  // nothing stored: nothing changes
  view.reset();            // going, the view shows nothing
  EXPECT_EQ(responder.Shown().size(), 1u);
}

// The walkers reach a real view through its adapter: the activity-menu
// finder makes a line sublayer active, hiding its layer releases it.
TEST_F(ViewLayerOrderTest, WalkersActOnTheView) {
  NewView(scratch_ / "registry.reg");
  TWarstwa* layer = nullptr;
  TKatalogWarstw* catalogue = nullptr;
  for (int i = 0; i < view->Root()->GetCount() && layer == nullptr; ++i) {
    catalogue = dynamic_cast<TKatalogWarstw*>(view->Root()->GetItem(i));
    for (int j = 0; catalogue != nullptr && j < catalogue->GetCount() && layer == nullptr; ++j)
      if (auto* l = dynamic_cast<TWarstwa*>(catalogue->GetItem(j)); l != nullptr && l->Kind == 1 && !l->IsReadOnly())
        layer = l;
  }
  ASSERT_NE(layer, nullptr);
  TViewTreeActions actions(*view);

  TFindSetActWarstwa finder(kMaskLine, catalogue->Name, layer->Name, 0, &actions);
  finder.Execute(*view->Root());
  ASSERT_TRUE(finder.Found());
  EXPECT_EQ(static_cast<TWarstwaOgolna*>(view->ActiveLine), layer->Sublayer(0));

  const std::string path = platform::UpperCase(catalogue->Name) + "\\" + platform::UpperCase(layer->Name);
  TVMAVisible hide(MenuKindMask(1), path, false, false, &actions, nullptr);
  hide.Execute(*view->Root());
  EXPECT_EQ(view->ActiveLine, nullptr);
  EXPECT_FALSE(layer->Sublayer(0)->IsVisible());
}

// Loading by path reads the layer's file once and asks to redraw each of
// its sublayers; unloading it again asks for a full redraw.
TEST_F(ViewLayerOrderTest, LoadAndUnloadByPath) {
  NewView(scratch_ / "registry.reg");
  TKatalogWarstw* catalogue = Catalogue();
  ASSERT_NE(catalogue, nullptr);
  auto* layer = dynamic_cast<TWarstwa*>(catalogue->GetItem(0));
  ASSERT_NE(layer, nullptr);
  layer->Unload();
  const std::string path = platform::UpperCase(catalogue->Name) + "\\" + platform::UpperCase(layer->Name);

  FakeView fake;
  TVMALoadAll load(MenuKindMask(0), path, false, &fake, nullptr);
  load.Execute(*view->Root());
  EXPECT_FALSE(load.FullRedraw);
  Strings each;
  int objects = 0;
  for (int i = 0; i < layer->GetCount(); ++i) {
    each.push_back(Label(layer->GetItem(i)));
    if (layer->Sublayer(i)->Objects() != nullptr) objects += layer->Sublayer(i)->Objects()->Count();
  }
  EXPECT_EQ(fake.redrawn, each);
  EXPECT_GT(objects, 0);

  TVMAUsun unload(MenuKindMask(0), path, false, &fake, nullptr);
  unload.Execute(*view->Root());
  EXPECT_TRUE(unload.FullRedraw);
  for (int i = 0; i < layer->GetCount(); ++i) EXPECT_TRUE(layer->Sublayer(i)->IsEmpty());
}

// --- The external pointer's icon ---

TEST(ExternalIconTest, HotSpotReadOncePerIcon) {
  constexpr int kOwn = 7301;
  platform::RegisterCursor(kOwn, {{"   ", " X ", "   ", "   ", "   "}, 1, 4});
  TExternalIcon icon;
  struct Step {
    int cursor;
    bool changed;
    std::int32_t x, y;
  };
  const platform::TCursorHotSpot cross = platform::CursorHotSpot(platform::crCross);
  const Step steps[] = {
      {platform::crDefault, false, 0, 0},      // what a new record holds
      {platform::crCross, true, cross.x, cross.y},
      {platform::crCross, false, cross.x, cross.y},
      {kOwn, true, 1, 4},
      {platform::crDefault, true, 1, 4},       // no icon: the hot spot is not read
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.cursor);
    EXPECT_EQ(UpdateExternalIcon(icon, s.cursor), s.changed);
    EXPECT_EQ(icon.Icon, s.cursor);
    EXPECT_EQ(icon.X, s.x);
    EXPECT_EQ(icon.Y, s.y);
  }
}

}  // namespace
