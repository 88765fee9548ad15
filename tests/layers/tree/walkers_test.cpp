// The layer-tree walkers over small trees built in memory: the selection
// rule, the unticking setting, the redraw levels told to the panel, the
// searches by name and path, the default order, reindexing with its cancel
// window, and the panel's settings group.
#include "layers/tree/walkers.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/threads/cancel.h"
#include "foundation/settings/settings.h"
#include "layers/store/layerfile.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/layerline.h"
#include "objects/texts.h"
#include "platform/gui/controls_grids.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

// The panel as the walkers call it: every NodeChanged in order.
class FakePanel : public TLayerPanelI {
 public:
  std::vector<std::pair<TWarstwaOgolna*, bool>> calls;
  void NodeChanged(TWarstwaOgolna* Node, bool ThisNodeOnly) override { calls.emplace_back(Node, ThisNodeOnly); }
};

template <class T>
T* Add(TGrupaWarstw& G, std::unique_ptr<T> Node) {
  T* raw = Node.get();
  G.AddChild(std::move(Node));
  return raw;
}

// A layer without a file: one sublayer 0 of its kind, Extra more.
std::unique_ptr<TWarstwa> MakeLayer(const std::string& Name, bool Lines, int Extra = 0) {
  TMainWarstwaHeader header;
  header.Kind = Lines ? 1 : 0;
  auto layer = std::make_unique<TWarstwa>(nullptr, nullptr, header, Name, nullptr);
  for (int n = 1; n <= Extra; ++n) {
    if (Lines) layer->AddChild(std::make_unique<TPodwarstwaLiniowa>(nullptr, nullptr, n, nullptr));
    else layer->AddChild(std::make_unique<TPodwarstwaTextowa>(nullptr, nullptr, n, nullptr));
  }
  return layer;
}

// "layer/sublayer" of a sublayer, the name of anything else.
std::string Label(const TWarstwaOgolna& Node) {
  if (dynamic_cast<const TPodwarstwa*>(&Node) != nullptr && Node.Owner != nullptr)
    return Node.Owner->Name + "/" + Node.Name;
  return Node.Name;
}

// Records the leaves it visits.
class Recorder : public TWalkSelectedLeaf {
 public:
  using TWalkSelectedLeaf::TWalkSelectedLeaf;
  std::vector<std::string> visited;
  void VisitLeaf(TWarstwaOgolna& Node) override { visited.push_back(Label(Node)); }
};

// The settings file of the test's global configuration.
class WalkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSettingsMessageBox([](const std::string&, const std::string&) {});
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(scratch_ / "tolvika.ini"));
  }
  void TearDown() override {
    FreeGlobalnaKonfiguracja();
    SetSettingsMessageBox(nullptr);
  }
  ScratchFolder scratch_;
};

// Mapa { ewid { dzialki {0, 1}, budynki {0} }, sytuacja { opisy (texts) {0} } }
class WalkTree : public WalkerTest {
 protected:
  void SetUp() override {
    WalkerTest::SetUp();
    Build();
  }
  // The tree anew, nothing ticked.
  void Build() {
    root.reset();
    root = std::make_unique<TBazaWarstw>("Mapa");
    ewid = Add(*root, std::make_unique<TGrupaWarstw>("ewid"));
    sytuacja = Add(*root, std::make_unique<TGrupaWarstw>("sytuacja"));
    dzialki = Add(*ewid, MakeLayer("dzialki", true, 1));
    budynki = Add(*ewid, MakeLayer("budynki", true));
    opisy = Add(*sytuacja, MakeLayer("opisy", false));
  }
  void TearDown() override {
    root.reset();
    WalkerTest::TearDown();
  }

  std::vector<std::string> Visit(bool OnlySelected, std::uint32_t Mask = kWalkStatistics) {
    Recorder r(OnlySelected, Mask);
    r.Execute(*root);
    return r.visited;
  }

  // Declared before the root, so the root detaches its items first.
  platform::TTreeView view;
  std::unique_ptr<TBazaWarstw> root;
  TGrupaWarstw* ewid = nullptr;
  TGrupaWarstw* sytuacja = nullptr;
  TWarstwa* dzialki = nullptr;
  TWarstwa* budynki = nullptr;
  TWarstwa* opisy = nullptr;
};

using Names = std::vector<std::string>;

TEST_F(WalkTree, SelectionRule) {
  WarContCfg().UsuwajSelekcje = false;
  struct Case {
    const char* what;
    std::function<void()> tick;
    bool onlySelected;
    std::uint32_t mask;
    Names expected;
  };
  const Case cases[] = {
      {"nothing ticked handles nothing", [] {}, true, kWalkStatistics, {}},
      {"not only selected handles every node of the kinds", [] {}, false, kWalkStatistics,
       {"budynki/ 0", "dzialki/ 0", "dzialki/ 1", "opisy/ 0"}},
      {"the mask leaves out other kinds", [] {}, false, kMaskText, {"opisy/ 0"}},
      {"a ticked group handles all below", [this] { ewid->NodeState.SetTicked(true); }, true,
       kWalkStatistics, {"budynki/ 0", "dzialki/ 0", "dzialki/ 1"}},
      {"an unticked group with one ticked layer handles that layer",
       [this] { budynki->NodeState.SetTicked(true); }, true, kWalkStatistics, {"budynki/ 0"}},
      {"a ticked sublayer alone", [this] { dzialki->GetItem(1)->NodeState.SetTicked(true); }, true,
       kWalkStatistics, {"dzialki/ 1"}},
      {"a ticked root handles the whole tree", [this] { root->NodeState.SetTicked(true); }, true,
       kWalkStatistics, {"budynki/ 0", "dzialki/ 0", "dzialki/ 1", "opisy/ 0"}},
      {"a ticked group of other kinds handles nothing", [this] { sytuacja->NodeState.SetTicked(true); },
       true, kMaskLine, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Build();
    c.tick();
    EXPECT_EQ(Visit(c.onlySelected, c.mask), c.expected);
  }
}

TEST_F(WalkTree, SeekSelectedIsRestoredSoTheWalkerRunsAgain) {
  WarContCfg().UsuwajSelekcje = false;
  ewid->NodeState.SetTicked(true);
  Recorder r(true, kWalkStatistics);
  r.Execute(*root);
  EXPECT_TRUE(r.SeekSelected);
  r.visited.clear();
  r.Execute(*sytuacja);  // nothing ticked there
  EXPECT_TRUE(r.visited.empty());
}

TEST_F(WalkTree, SaveUntickesTheTickedNodesWhenTheSettingIsOn) {
  // Ticks shown by the panel's tree items (state image 2 = ticked).
  root->AddTreeNode(view, nullptr);
  platform::TTreeNode* ewidItem = ewid->AddTreeNode(view, root->GetTreeNode());
  platform::TTreeNode* layerItem = budynki->AddTreeNode(view, ewidItem);
  ewid->NodeState.SetTicked(true);
  budynki->NodeState.SetTicked(true);
  opisy->NodeState.SetTicked(true);  // no tree item: the state itself
  ASSERT_EQ(layerItem->StateIndex(), 2);

  TSave save(true, kWalkStatistics, nullptr);
  EXPECT_TRUE(save.Continue());
  save.Execute(*root);
  EXPECT_EQ(ewidItem->StateIndex(), 1);
  EXPECT_EQ(layerItem->StateIndex(), 1);
  EXPECT_FALSE(opisy->GetStateBit0());
  EXPECT_FALSE(ewid->GetStateBit0());
}

TEST_F(WalkTree, TicksStayWhenTheSettingIsOffOrTheWalkerOnlyChecks) {
  ewid->NodeState.SetTicked(true);
  static_cast<TPodwarstwa*>(budynki->GetItem(0))->SetFlag(kNodeChanged);

  TCheckBrudna check(true, kWalkStatistics, nullptr);
  EXPECT_FALSE(check.Continue());
  check.Execute(*root);
  EXPECT_TRUE(check.Found);
  EXPECT_TRUE(ewid->GetStateBit0());

  WarContCfg().UsuwajSelekcje = false;
  TSave save(true, kWalkStatistics, nullptr);
  save.Execute(*root);
  EXPECT_TRUE(ewid->GetStateBit0());
}

TEST_F(WalkTree, CheckBrudnaLooksOnlyAtTheSelection) {
  static_cast<TPodwarstwa*>(opisy->GetItem(0))->SetFlag(kNodeChanged);
  ewid->NodeState.SetTicked(true);
  TCheckBrudna check(true, kWalkStatistics, nullptr);
  check.Execute(*root);
  EXPECT_FALSE(check.Found);
  TCheckBrudna all(false, kWalkStatistics, nullptr);
  all.Execute(*root);
  EXPECT_TRUE(all.Found);
}

TEST_F(WalkTree, FindWarstwaIsExactAndTakesTheFirst) {
  TWarstwa* second = Add(*sytuacja, MakeLayer("dzialki", true));
  TFindWarstwa find(0xFFFFFFFF, "dzialki");
  find.Execute(*root);
  EXPECT_EQ(find.Warstwa, dzialki);
  TFindWarstwa fromSytuacja(0xFFFFFFFF, "dzialki");
  fromSytuacja.Execute(*sytuacja);
  EXPECT_EQ(fromSytuacja.Warstwa, second);
  for (const char* name : {"Dzialki", "DZIALKI", "dzialk", "dzialki ", "ewid"}) {
    SCOPED_TRACE(name);
    TFindWarstwa none(0xFFFFFFFF, name);
    none.Execute(*root);
    EXPECT_EQ(none.Warstwa, nullptr);
  }
  // The kinds: a line layer is not found by a text walk.
  TFindWarstwa texts(kMaskText, "dzialki");
  texts.Execute(*root);
  EXPECT_EQ(texts.Warstwa, nullptr);
}

TEST_F(WalkTree, GruboscUpdateChangesLineSublayersOnly) {
  auto* textLines = static_cast<TPodwarstwaTextowa*>(opisy->GetItem(0));
  const std::uint8_t justification = textLines->Justification;
  FakePanel panel;
  TGruboscUpdate thick(false, 2, &panel);
  thick.Execute(*root);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(static_cast<TPodwarstwaLiniowa*>(dzialki->GetItem(i))->WidthMode, 2);
  EXPECT_EQ(static_cast<TPodwarstwaLiniowa*>(budynki->GetItem(0))->WidthMode, 2);
  EXPECT_EQ(textLines->Justification, justification);
  // Thick: each node alone is redrawn.
  ASSERT_EQ(panel.calls.size(), 3u);
  for (auto& [node, alone] : panel.calls) {
    EXPECT_NE(node->Owner, opisy);
    EXPECT_TRUE(alone);
  }

  // The same width again changes nothing; thin asks for the whole view.
  panel.calls.clear();
  TGruboscUpdate again(false, 2, &panel);
  again.Execute(*root);
  EXPECT_TRUE(panel.calls.empty());
  TGruboscUpdate thin(false, 1, &panel);
  thin.Execute(*dzialki);
  ASSERT_EQ(panel.calls.size(), 2u);
  EXPECT_FALSE(panel.calls[0].second);
}

// A leaf of every kind whose parameter setters answer what the test says.
class ParamLeaf : public TWarstwaImp {
 public:
  explicit ParamLeaf(std::string AName) { Name = std::move(AName); }
  bool answer = true;
  std::vector<std::string> calls;
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool) override {}
  void AddObject(TEGraphObj*) override {}
  std::uint32_t GetTypeMask() override { return 0xFFFFF; }
  bool SetColor(std::uint32_t C) override { return Record("colour " + std::to_string(C)); }
  bool SetLineType(const TLine*) override { return Record("line"); }
  bool SetItalic(bool B) override { return Record(std::string("italic ") + (B ? "1" : "0")); }
  bool SetLotsThick(double V) override { return Record("thick " + std::to_string(static_cast<int>(V))); }
  bool SetGridScale(double V) override { return Record("scale " + std::to_string(static_cast<int>(V))); }
  void DeleteOldArch(std::uint32_t Date, TCancel*) override { calls.push_back("arch " + std::to_string(Date)); }

 private:
  bool Record(std::string Call) {
    calls.push_back(std::move(Call));
    return answer;
  }
};

TEST_F(WalkerTest, ParameterWalkersReportTheirRedrawLevel) {
  struct Case {
    const char* call;
    std::function<std::unique_ptr<TParamUpdate>(FakePanel*)> make;
    bool thisNodeOnly;
  };
  const Case cases[] = {
      {"colour 255", [](FakePanel* p) { return std::make_unique<TKolorUpdate>(false, 255, p); }, true},
      {"colour 7", [](FakePanel* p) { return std::make_unique<TTypKolorUpdate>(false, 7, 0x100, p); }, true},
      {"line", [](FakePanel* p) { return std::make_unique<TLineUpdate>(false, nullptr, p); }, false},
      {"italic 1", [](FakePanel* p) { return std::make_unique<TItalicUpdate>(false, true, p); }, false},
      {"thick 1", [](FakePanel* p) { return std::make_unique<TLotsThickUpdate>(false, true, p); }, true},
      {"thick 0", [](FakePanel* p) { return std::make_unique<TLotsThickUpdate>(false, false, p); }, false},
      {"scale 500", [](FakePanel* p) { return std::make_unique<TGridScaleUpdate>(false, 500, p); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    for (bool changed : {true, false}) {
      TGrupaWarstw group("g");
      ParamLeaf* leaf = Add(group, std::make_unique<ParamLeaf>("a"));
      leaf->answer = changed;
      FakePanel panel;
      c.make(&panel)->Execute(group);
      EXPECT_EQ(leaf->calls, Names{c.call});
      if (!changed) {
        EXPECT_TRUE(panel.calls.empty());
        continue;
      }
      ASSERT_EQ(panel.calls.size(), 1u);
      EXPECT_EQ(panel.calls[0].first, leaf);
      EXPECT_EQ(panel.calls[0].second, c.thisNodeOnly);
    }
  }
  // Without a panel a change is simply made.
  TGrupaWarstw group("g");
  ParamLeaf* leaf = Add(group, std::make_unique<ParamLeaf>("a"));
  TKolorUpdate(false, 1, nullptr).Execute(group);
  EXPECT_EQ(leaf->calls, Names{"colour 1"});
}

TEST_F(WalkTree, TypKolorUpdateRecoloursOnlyTheKind) {
  FakePanel panel;
  TTypKolorUpdate texts(false, 0x123456, kMaskText, &panel);
  texts.Execute(*root);
  EXPECT_EQ(static_cast<TPodwarstwa*>(opisy->GetItem(0))->Colour, 0x123456u);
  EXPECT_NE(static_cast<TPodwarstwa*>(dzialki->GetItem(0))->Colour, 0x123456u);
  ASSERT_EQ(panel.calls.size(), 1u);
  EXPECT_EQ(panel.calls[0].first, opisy->GetItem(0));
}

TEST_F(WalkerTest, DeleteOldArchHandsDateAndCancelOn) {
  TGrupaWarstw group("g");
  ParamLeaf* leaf = Add(group, std::make_unique<ParamLeaf>("a"));
  TDeleteOldArch(false, 12345, nullptr).Execute(group);
  EXPECT_EQ(leaf->calls, Names{"arch 12345"});
}

TEST_F(WalkTree, DefaultOrderRestoresNameOrderEverywhere) {
  Add(*root, std::make_unique<TGrupaWarstw>("aaa"));
  root->MoveChild(ewid, 2);  // the user dragged it last
  ewid->MoveChild(budynki, 1);
  ASSERT_EQ(root->GetItem(2), ewid);
  ASSERT_EQ(ewid->GetItem(0), dzialki);

  TDefaultOrder order;
  order.Execute(*root);
  std::vector<std::string> top;
  for (int i = 0; i < root->GetCount(); ++i) {
    top.push_back(root->GetItem(i)->Name);
    EXPECT_EQ(root->GetItem(i)->OrderKey, kOrderNone);
  }
  EXPECT_EQ(top, (Names{"aaa", "ewid", "sytuacja"}));
  EXPECT_EQ(ewid->GetItem(0)->Name, "budynki");
  EXPECT_EQ(ewid->GetItem(0)->OrderKey, kOrderNone);
  EXPECT_EQ(ewid->GetItem(1)->OrderKey, kOrderNone);
  // A leaf is left alone.
  order.Execute(*dzialki->GetItem(0));
}

TEST_F(WalkTree, CreateListGivesThePathsOfWritableLayers) {
  Add(*sytuacja, MakeLayer("tylko", true))->SetFlag(kNodeReadOnly);
  Names list;
  TCreateList all(false, 0xFFFFFFFF, &list);
  all.Execute(*root);
  EXPECT_EQ(list, (Names{"/Mapa/ewid/budynki/", "/Mapa/ewid/dzialki/", "/Mapa/sytuacja/opisy/"}));
  EXPECT_EQ(all.Depth(), 0);

  // Only the ticked ones, and the kind mask.
  list.clear();
  WarContCfg().UsuwajSelekcje = false;
  opisy->NodeState.SetTicked(true);
  TCreateList ticked(true, 0xFFFFFFFF, &list);
  ticked.Execute(*root);
  EXPECT_EQ(list, Names{"/Mapa/sytuacja/opisy/"});
  list.clear();
  TCreateList lines(false, kMaskLine, &list);
  lines.Execute(*root);
  EXPECT_EQ(list, (Names{"/Mapa/ewid/budynki/", "/Mapa/ewid/dzialki/"}));
}

TEST_F(WalkTree, PathFromBelowTheRootReadsAsFromTheRoot) {
  Names list;
  TCreateList fromEwid(false, 0xFFFFFFFF, &list);
  fromEwid.Execute(*ewid);
  EXPECT_EQ(fromEwid.Prefix(), "/Mapa/");
  EXPECT_EQ(list, (Names{"/Mapa/ewid/budynki/", "/Mapa/ewid/dzialki/"}));
  list.clear();
  TCreateList fromLayer(false, 0xFFFFFFFF, &list);
  fromLayer.Execute(*opisy);
  EXPECT_EQ(fromLayer.Prefix(), "/Mapa/sytuacja/");
  EXPECT_EQ(list, Names{"/Mapa/sytuacja/opisy/"});
}

TEST_F(WalkerTest, WalkPathRefusesATreeDeeperThanItsStack) {
  // Groups nested Depth deep with one layer at the bottom: Depth + 1 names.
  auto chain = [](int Depth, TGrupaWarstw*& Bottom) {
    auto top = std::make_unique<TGrupaWarstw>("g0");
    Bottom = top.get();
    for (int i = 1; i < Depth; ++i) Bottom = Add(*Bottom, std::make_unique<TGrupaWarstw>("g" + std::to_string(i)));
    Add(*Bottom, MakeLayer("w", true));
    return top;
  };
  TGrupaWarstw* bottom = nullptr;
  auto deepest = chain(TWalkPath::kMaxDepth - 1, bottom);
  Names list;
  TCreateList fits(false, 0xFFFFFFFF, &list);
  fits.Execute(*deepest);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], "/g0/g1/g2/g3/g4/g5/g6/g7/g8/g9/g10/g11/g12/g13/g14/w/");

  auto tooDeep = chain(TWalkPath::kMaxDepth, bottom);
  list.clear();
  TCreateList over(false, 0xFFFFFFFF, &list);
  EXPECT_THROW(over.Execute(*tooDeep), EInternalError);
  EXPECT_TRUE(list.empty());
  // The stack unwound: the walker can run again from a shallower node.
  EXPECT_EQ(over.Depth(), 0);
  EXPECT_TRUE(over.SeekSelected);
  over.Execute(*bottom);
  EXPECT_EQ(list.size(), 1u);
  // Nothing was left marked as walking.
  EXPECT_FALSE(tooDeep->HasFlag(kNodeWalking));
}

// A line sublayer that counts its index rebuilds and may cancel.
class IndexedSublayer : public TPodwarstwaLiniowa {
 public:
  explicit IndexedSublayer(int N) : TPodwarstwaLiniowa(nullptr, nullptr, N, nullptr) {}
  int updates = 0;
  bool cancelInside = false;
  void UpdateIndex(TCancel* Cancel) override {
    ++updates;
    if (cancelInside) Cancel->SetCanceled();
  }
};

TEST_F(WalkerTest, IndexUpdateRebuildsEachLeafAndEndsOnCancel) {
  TGrupaWarstw group("g");
  IndexedSublayer* a = Add(group, std::make_unique<IndexedSublayer>(0));
  IndexedSublayer* b = Add(group, std::make_unique<IndexedSublayer>(1));
  IndexedSublayer* c = Add(group, std::make_unique<IndexedSublayer>(2));

  {
    FakePanel panel;
    TIndexUpdate update(false, &panel);
    EXPECT_EQ(update.Cancel().Caption(), "Indeksowanie");
    EXPECT_EQ(update.Cancel().Delay(), 500u);
    update.Execute(group);
    EXPECT_EQ(a->updates + b->updates + c->updates, 3);
    ASSERT_EQ(panel.calls.size(), 3u);
    EXPECT_FALSE(panel.calls[0].second);
  }
  {
    // Cancelled during the second rebuild: the third is not started and the
    // walk ends quietly.
    b->cancelInside = true;
    FakePanel panel;
    TIndexUpdate update(false, &panel);
    EXPECT_NO_THROW(update.Execute(group));
    EXPECT_EQ(a->updates, 2);
    EXPECT_EQ(b->updates, 2);
    EXPECT_EQ(c->updates, 1);
    EXPECT_EQ(panel.calls.size(), 2u);
    EXPECT_FALSE(group.HasFlag(kNodeWalking));
  }
  {
    FakePanel panel;
    TIndexUpdate update(false, &panel);
    update.Cancel().SetCanceled();
    update.Execute(group);
    EXPECT_EQ(a->updates, 2);
    EXPECT_TRUE(panel.calls.empty());
  }
}

TEST_F(WalkTree, IndexUpdateTakesALayerAsOneLeaf) {
  TIndexUpdate update(false, nullptr);
  EXPECT_TRUE(update.IsLeaf(*dzialki));
  EXPECT_TRUE(update.IsLeaf(*dzialki->GetItem(1)));
  EXPECT_FALSE(update.IsLeaf(*ewid));
}

// A filter that takes line sublayers and accepts the objects of sublayer 1.
class FakeFilter : public TLayerFiltrI {
 public:
  std::vector<std::string> applied;
  std::uint32_t GetKindMask() const override { return kMaskLine; }
  bool ApplyFilter(TPodwarstwa& Sublayer) override {
    applied.push_back(Label(Sublayer));
    return Sublayer.Number == 1;
  }
};

TEST_F(WalkTree, WalkFiltrAppliesTheFilterToItsKinds) {
  FakeFilter filter;
  FakePanel panel;
  TWalkFiltr walk(false, &filter, &panel);
  EXPECT_EQ(walk.WalkMask, kMaskLine);
  walk.Execute(*root);
  EXPECT_EQ(filter.applied, (Names{"budynki/ 0", "dzialki/ 0", "dzialki/ 1"}));
  ASSERT_EQ(panel.calls.size(), 1u);
  EXPECT_EQ(panel.calls[0].first, dzialki->GetItem(1));
  EXPECT_TRUE(panel.calls[0].second);
  EXPECT_THROW(TWalkFiltr(false, nullptr, &panel), EInternalError);
}

TEST_F(WalkTree, DoStatystykaCountsTheLoadedObjects) {
  auto* s0 = static_cast<TPodwarstwa*>(dzialki->GetItem(0));
  auto* s1 = static_cast<TPodwarstwa*>(dzialki->GetItem(1));
  s0->AddObject(new TLinia({0, 0}, {3, 4}));
  s1->AddObject(new TLinia({0, 0}, {0, 2}));
  s1->AddObject(new TOkrag(MakePointRec(0, 0), 1));
  static_cast<TPodwarstwa*>(opisy->GetItem(0))->AddObject(new TNapisT({1, 1}, "A"));

  TStatystyka stats(kSelectedLayersName);
  WarContCfg().UsuwajSelekcje = false;
  dzialki->NodeState.SetTicked(true);
  TDoStatystyka walk(true, &stats);
  walk.Execute(*root);
  ASSERT_EQ(stats.Count(), 2);
  EXPECT_EQ(stats.Item(0).Name, "Linia");
  EXPECT_EQ(stats.Item(0).Count, 2);
  EXPECT_DOUBLE_EQ(static_cast<const TStatystykaLineItem&>(stats.Item(0)).Length, 7.0);
  EXPECT_EQ(stats.Item(1).Name, "Okrąg");

  TStatystyka all("Mapa");
  TDoStatystyka(false, &all).Execute(*root);
  EXPECT_EQ(all.Count(), 3);
}

// --- The panel's settings ---

TEST_F(WalkerTest, WarContCfgReadsAndWritesItsSection) {
  struct Case {
    const char* ini;
    bool expected;
  };
  const Case cases[] = {
      {"", true},
      {"[Inna]\nUsuwajSelekcje=0\n", true},
      {"[Eksplorator]\nInny=0\n", true},
      {"[Eksplorator]\nUsuwajSelekcje=0\n", false},
      {"[Eksplorator]\nUsuwajSelekcje=1\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    platform::TIniFile ini(scratch_.Put("case.ini", c.ini));
    TWarContCfg cfg;
    cfg.UsuwajSelekcje = !c.expected;
    cfg.Read(ini);
    EXPECT_EQ(cfg.UsuwajSelekcje, c.expected);
  }

  platform::TIniFile out(scratch_ / "out.ini");
  TWarContCfg cfg;
  cfg.UsuwajSelekcje = false;
  cfg.Write(out);
  EXPECT_FALSE(out.ReadBool("Eksplorator", "UsuwajSelekcje", true));
  auto copy = cfg.Clone();
  ASSERT_NE(dynamic_cast<TWarContCfg*>(copy.get()), nullptr);
  EXPECT_FALSE(static_cast<TWarContCfg&>(*copy).UsuwajSelekcje);
  TWarContCfg other;
  EXPECT_TRUE(other.AssignFrom(&cfg));
  EXPECT_FALSE(other.UsuwajSelekcje);
  EXPECT_FALSE(other.AssignFrom(&cfg));
}

TEST_F(WalkerTest, WarContCfgIsRegisteredOnceAndReadFromTheProfile) {
  // A settings file without the section: the default.
  EXPECT_TRUE(WarContCfg().UsuwajSelekcje);
  EXPECT_EQ(&WarContCfg(), GlobalnaKonfiguracja().FindGroup<TWarContCfg>());

  // A profile that switched it off, read when the group registers.
  const std::string file = scratch_.Put("off.ini", "[Eksplorator]\nUsuwajSelekcje=0\n");
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(file));
  EXPECT_FALSE(WarContCfg().UsuwajSelekcje);
  WarContCfg().UsuwajSelekcje = true;
  FreeGlobalnaKonfiguracja();  // saves
  EXPECT_TRUE(platform::TIniFile(file).ReadBool("Eksplorator", "UsuwajSelekcje", false));
}

}  // namespace
