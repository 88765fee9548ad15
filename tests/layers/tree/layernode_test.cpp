// Layer nodes, groups, visitors and the search base over small fake leaves.
#include "layers/tree/layernode.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "foundation/geometry/polygon.h"
#include "foundation/threads/cancel.h"
#include "layers/tree/treehost.h"
#include "objects/layerline.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/messages.h"
#include "platform/paint/gdiimage.h"

namespace {

// A stand-in for the sublayer a hit names; never dereferenced.
TPodwarstwa* SublayerTag(const void* Leaf) {
  return reinterpret_cast<TPodwarstwa*>(const_cast<void*>(Leaf));
}

// A leaf node: loads its content rectangle, draws by calling OnDraw, answers
// searches and lookups with what the test sets.
class FakeLeaf : public TWarstwaImp {
 public:
  explicit FakeLeaf(std::string AName, std::int32_t Key = kOrderNone, std::uint32_t AMask = 0xA) : mask(AMask) {
    Name = std::move(AName);
    OrderKey = Key;
  }

  std::uint32_t mask;
  TRealRect content{};
  std::function<void()> onDraw;
  std::atomic<int> draws{0};
  int loads = 0;
  int unloads = 0;
  // The hit this leaf's Search delivers (none when hitDistance < 0).
  double hitDistance = -1;
  TEGraphObj* hitObject = nullptr;
  std::function<TEGraphObj*()> makeObject;  // a fresh object per search
  int searched = 0;
  // Lookup by record number: objects by record.
  std::vector<std::pair<std::uint32_t, TEGraphObj*>> records;

  void Draw(TRealCanvas&) override {
    ++draws;
    if (onDraw) onDraw();
  }
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void AddObject(TEGraphObj*) override {}
  std::uint32_t GetTypeMask() override { return mask; }
  void Load(TWarQuery*, TCancel*) override {
    ++loads;
    SetFlag(kNodeLoaded);
    Bounds = content;
    UpdateShownFlag();
  }
  void LoadInWindow(const TRealRect&, TCancel* C) override { Load(nullptr, C); }
  void Unload() override {
    ++unloads;
    ClearFlag(kNodeLoaded);
    Bounds = TRealRect{};
    UpdateShownFlag();
    TWarstwaImp::Unload();
  }
  void Search(TDoSearch&, TSearchHit& Hit) override {
    ++searched;
    Hit.Sublayer = nullptr;
    if (hitDistance < 0) return;
    Hit.Object = makeObject ? makeObject() : hitObject;
    Hit.Sublayer = SublayerTag(this);
    Hit.Distance = hitDistance;
    Hit.TypeMask = mask;
  }
  void FindByRecordNumber(std::int32_t, std::uint32_t Record, TSearchHit& Hit) override {
    Hit.Sublayer = nullptr;
    for (auto& [r, obj] : records)
      if (r == Record) {
        Hit.Object = obj;
        Hit.Sublayer = SublayerTag(this);
      }
  }
  // Fetching reads a copy "from the file": nobody owns it.
  void FetchObject(std::int32_t L, std::uint32_t Record, TSearchHit& Hit) override {
    FindByRecordNumber(L, Record, Hit);
    if (Hit.Sublayer != nullptr) Hit.Object = Hit.Object->Clone().release();
  }
};

// Loaded and visible, so shown.
std::unique_ptr<FakeLeaf> ShownLeaf(std::string Name, std::uint32_t Mask = 0xA) {
  auto leaf = std::make_unique<FakeLeaf>(std::move(Name), kOrderNone, Mask);
  leaf->Load(nullptr, nullptr);
  leaf->SetVisible(true);
  return leaf;
}

template <class T>
T* Add(TGrupaWarstw& G, std::unique_ptr<T> Node) {
  T* raw = Node.get();
  G.AddChild(std::move(Node));
  return raw;
}

std::vector<std::string> Names(const TGrupaWarstw& G) {
  std::vector<std::string> out;
  for (int i = 0; i < G.GetCount(); ++i) out.push_back(G.GetItem(i)->Name);
  return out;
}

std::vector<std::int32_t> Keys(const TGrupaWarstw& G) {
  std::vector<std::int32_t> out;
  for (int i = 0; i < G.GetCount(); ++i) out.push_back(G.GetItem(i)->OrderKey);
  return out;
}

// A circle owned by the test (marked as held by a list, so hits never free it).
std::unique_ptr<TOkrag> OwnedCircle() {
  auto c = std::make_unique<TOkrag>(MakePointRec(0, 0), 1);
  c->MarkInList();
  return c;
}

class CountedCircle : public TOkrag {
 public:
  explicit CountedCircle(int* Freed) : TOkrag(MakePointRec(0, 0), 1), freed(Freed) {}
  ~CountedCircle() override { ++*freed; }
  int* freed;
};

// A canvas on a small bitmap; only its abort flag matters here.
class CanvasHolder {
 public:
  CanvasHolder() : bitmap(10, 10), canvas(&bitmap.Canvas(), &dim, nullptr) {}
  platform::TBitmap bitmap;
  TWindowDim dim;
  TRealCanvas canvas;
};

// A node that is only the abstract base, with the two abstract operations.
class BareNode : public TWarstwaOgolna {
 public:
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool) override {}
  void AddObject(TEGraphObj*) override {}
};

class BareImp : public TWarstwaImp {
 public:
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool) override {}
  void AddObject(TEGraphObj*) override {}
};

// --- The base node ---

TEST(LayerNode, BareNodesAnswerTheirConstants) {
  BareNode bare;
  EXPECT_EQ(bare.OrderKey, 2147483647);
  EXPECT_TRUE(bare.IsLoaded());
  EXPECT_TRUE(bare.IsVisible());
  EXPECT_TRUE(bare.IsShown());
  EXPECT_TRUE(bare.IsReadOnly());
  EXPECT_EQ(bare.GetColor(), 0x808080u);
  EXPECT_EQ(bare.GetTypeMask(), 0xFFF00u);
  EXPECT_FALSE(bare.IsEmpty());
  EXPECT_EQ(bare.GetNumber(), -1);
  EXPECT_EQ(bare.EditHeader(1), 0);
  EXPECT_EQ(bare.GetCaption(), "");  // no tree item
  EXPECT_THROW(bare.GetObszar(), EInternalError);
  try {
    bare.GetObszar();
  } catch (const EInternalError& e) {
    EXPECT_STREQ(e.what(), "TWarstwaOgolna.GetObszar not implemented");
  }
  TObjectValueResult value;
  value.Found = true;
  bare.GetObjectValue(1, 2, value);
  EXPECT_FALSE(value.Found);
  TSearchHit hit;
  hit.Sublayer = SublayerTag(&bare);
  bare.FetchObject(1, 2, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
  bare.NodeState.SetTicked(true);
  EXPECT_EQ(bare.GetTypeMaskEx(), 0x800FFF00u);

  BareImp imp;
  imp.Name = "N";
  EXPECT_EQ(imp.OrderKey, 2147483647);
  EXPECT_TRUE(IsEmptyRealRect(imp.GetObszar()));
  EXPECT_FALSE(imp.IsLoaded());
  EXPECT_FALSE(imp.IsVisible());
  EXPECT_FALSE(imp.IsShown());
  EXPECT_FALSE(imp.IsReadOnly());
  EXPECT_TRUE(imp.IsEmpty());
  EXPECT_EQ(imp.GetCaption(), "N");
  // Without an owner the forwarding operations do nothing.
  imp.Load(nullptr, nullptr);
  imp.Unload();
  imp.SelectSymbols();
}

TEST(LayerNode, ShownFollowsLoadedAndVisibleAndSameValueStillRecomputes) {
  TGrupaWarstw group("G");
  FakeLeaf* leaf = Add(group, std::make_unique<FakeLeaf>("a"));
  leaf->SetVisible(true);
  EXPECT_TRUE(leaf->IsVisible());
  EXPECT_FALSE(leaf->IsShown());
  EXPECT_TRUE(group.IsVisible());
  EXPECT_FALSE(group.IsShown());
  // Loaded behind the node's back: setting visible to the value it has
  // tells the owner nothing new but recomputes the shown flag.
  leaf->SetFlag(kNodeLoaded);
  leaf->SetVisible(true);
  EXPECT_TRUE(leaf->IsShown());
  EXPECT_TRUE(group.IsShown());
}

// --- Tree items ---

class NodeTree : public ::testing::Test {
 protected:
  platform::TTreeView panel;
  platform::TTreeView dialog;
};

TEST_F(NodeTree, StateBitsMoveTheStateIndexOnceAndSurviveAnotherTree) {
  auto leaf = std::make_unique<FakeLeaf>("a");
  platform::TTreeNode* item = leaf->AddTreeNode(panel, nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Data(), static_cast<TWarstwaOgolna*>(leaf.get()));
  EXPECT_EQ(item->StateIndex(), 1);
  leaf->SetActive(true);
  leaf->SetActive(true);
  EXPECT_EQ(item->StateIndex(), 3);
  leaf->NodeState.SetModified(true);
  leaf->NodeState.SetModified(true);
  EXPECT_EQ(item->StateIndex(), 7);
  item->SetStateIndex(item->StateIndex() + 1);  // the panel ticks it
  EXPECT_TRUE(leaf->GetStateBit0());
  leaf->SetActive(false);
  EXPECT_EQ(item->StateIndex(), 6);
  leaf->SetActive(true);
  item->Expand();

  leaf->DetachTreeNode();
  EXPECT_EQ(leaf->GetTreeNode(), nullptr);
  EXPECT_EQ(leaf->NodeState.State, 7u);
  EXPECT_TRUE(leaf->NodeState.Expanded);
  platform::TTreeNode* other = leaf->AddTreeNode(dialog, nullptr);
  EXPECT_EQ(other->StateIndex(), 8);
  EXPECT_TRUE(other->Expanded());
  EXPECT_TRUE(leaf->GetStateBit0());
  EXPECT_TRUE(leaf->IsActive());
  EXPECT_TRUE(leaf->NodeState.GetModified());
  // Freeing the node frees the item attached now; the panel's item was
  // given back to the panel when the node left it.
  leaf.reset();
  EXPECT_EQ(panel.Count(), 1);
  EXPECT_EQ(dialog.Count(), 0);
}

TEST_F(NodeTree, SecondTreeShowsTheStateOfTheFirstAndGivesThePanelItemBack) {
  auto leaf = std::make_unique<FakeLeaf>("a");
  platform::TTreeNode* item = leaf->AddTreeNode(panel, nullptr);
  leaf->SetActive(true);  // lives in the panel's item only
  platform::TTreeNode* second = leaf->AddTreeNode(dialog, nullptr);
  EXPECT_EQ(second->StateIndex(), 3);
  EXPECT_EQ(leaf->NodeState.SavedTreeNode, item);
  leaf->DetachTreeNode();
  EXPECT_EQ(leaf->GetTreeNode(), item);
  EXPECT_EQ(leaf->NodeState.SavedTreeNode, nullptr);
  EXPECT_TRUE(leaf->IsActive());
}

TEST_F(NodeTree, EmptyNameIsShownAsUnderscoresAndGroupsAddTheirChildren) {
  TGrupaWarstw group("");
  Add(group, std::make_unique<FakeLeaf>("b"));
  Add(group, std::make_unique<FakeLeaf>("a"));
  platform::TTreeNode* item = group.AddTreeNode(panel, nullptr);
  EXPECT_EQ(item->Text(), "___");
  EXPECT_EQ(group.GetCaption(), "");  // the name itself
  ASSERT_EQ(item->Count(), 2);
  EXPECT_EQ(item->Item(0)->Text(), "a");
  EXPECT_EQ(item->Item(1)->Text(), "b");
  // A child added later gets its item under the group's.
  Add(group, std::make_unique<FakeLeaf>("c"));
  ASSERT_EQ(item->Count(), 3);
  EXPECT_EQ(item->Item(2)->Text(), "c");
  group.DetachTreeNode();
  for (int i = 0; i < group.GetCount(); ++i) EXPECT_EQ(group.GetItem(i)->GetTreeNode(), nullptr);
  EXPECT_EQ(group.GetTreeNode(), nullptr);
}

TEST_F(NodeTree, ExpandedStateHoldsOnATreeNotShown) {
  platform::TTreeNode* a = panel.AddChild(nullptr, "a");
  EXPECT_FALSE(a->Expanded());
  a->Expand();
  EXPECT_TRUE(a->Expanded());
  panel.AddChild(a, "a1");
  EXPECT_TRUE(a->Expanded());
  a->Collapse();
  EXPECT_FALSE(a->Expanded());
  bool asked = false;
  panel.OnExpanding = [&](platform::TComponent&, platform::TTreeNode*, bool& allow) {
    asked = true;
    allow = false;
  };
  a->Expand();
  EXPECT_TRUE(asked);
  EXPECT_FALSE(a->Expanded());
}

// --- Groups: order ---

TEST(LayerGroup, ChildrenOrderByKeyThenName) {
  TGrupaWarstw group("G");
  Add(group, std::make_unique<FakeLeaf>("x", 5));
  Add(group, std::make_unique<FakeLeaf>("b"));
  Add(group, std::make_unique<FakeLeaf>("a"));
  EXPECT_EQ(group.AddChild(std::make_unique<FakeLeaf>("y", 1)), 0);
  EXPECT_EQ(Names(group), (std::vector<std::string>{"y", "x", "a", "b"}));
  // An equal child goes before the ones it equals.
  auto twin = std::make_unique<FakeLeaf>("a");
  FakeLeaf* raw = twin.get();
  EXPECT_EQ(group.AddChild(std::move(twin)), 2);
  EXPECT_EQ(group.GetItem(2), raw);
  EXPECT_EQ(raw->Owner, &group);
  // Bytes, not letters: "Z" before "a", "Ź" after both.
  TGrupaWarstw g2("G");
  Add(g2, std::make_unique<FakeLeaf>("\xC5\xB9"));
  Add(g2, std::make_unique<FakeLeaf>("a"));
  Add(g2, std::make_unique<FakeLeaf>("Z"));
  EXPECT_EQ(Names(g2), (std::vector<std::string>{"Z", "a", "\xC5\xB9"}));
  EXPECT_THROW(g2.GetItem(3), EListError);
}

TEST(LayerGroup, MoveChildRenumbers) {
  struct Case {
    std::vector<std::int32_t> keys;
    int from, to;
    std::vector<std::string> names;
    std::vector<std::int32_t> after;
  };
  const std::int32_t N = kOrderNone;
  const std::vector<Case> cases = {
      {{N, N, N, N}, 2, 0, {"c", "a", "b", "d"}, {0, N, N, N}},
      {{N, N, N, N}, 3, 2, {"a", "b", "d", "c"}, {0, 1, 2, N}},
      {{0, 1, 2, 3}, 3, 1, {"a", "d", "b", "c"}, {0, 1, 2, 3}},
      {{0, 1, N, N}, 0, 3, {"b", "c", "d", "a"}, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    TGrupaWarstw group("G");
    const char* names[] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; ++i) Add(group, std::make_unique<FakeLeaf>(names[i], c.keys[static_cast<size_t>(i)]));
    group.MoveChild(group.GetItem(c.from), c.to);
    EXPECT_EQ(Names(group), c.names) << c.from << " -> " << c.to;
    EXPECT_EQ(Keys(group), c.after) << c.from << " -> " << c.to;
  }
  TGrupaWarstw group("G");
  FakeLeaf stranger("s");
  EXPECT_THROW(group.MoveChild(&stranger, 0), EInternalError);
}

TEST(LayerGroup, ResetOrderSortsByNameAgainAndRemoveChildHandsTheNodeBack) {
  TGrupaWarstw group("G");
  Add(group, std::make_unique<FakeLeaf>("b", 0));
  FakeLeaf* a = Add(group, std::make_unique<FakeLeaf>("a", 1));
  group.ResetOrder();
  EXPECT_EQ(Names(group), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Keys(group), (std::vector<std::int32_t>{kOrderNone, kOrderNone}));
  std::unique_ptr<TWarstwaOgolna> back = group.RemoveChild(a);
  EXPECT_EQ(back.get(), a);
  EXPECT_EQ(Names(group), (std::vector<std::string>{"b"}));
  EXPECT_EQ(group.RemoveChild(a), nullptr);
}

// --- Groups: state ---

TEST(LayerGroup, VisibilityAndShownStateClimbToTheRoot) {
  TGrupaWarstw root("R");
  TGrupaWarstw* cat = Add(root, std::make_unique<TGrupaWarstw>("K"));
  TGrupaWarstw* layer = Add(*cat, std::make_unique<TGrupaWarstw>("A"));
  FakeLeaf* leaf = Add(*layer, std::make_unique<FakeLeaf>("12 Drogi"));
  FakeLeaf* other = Add(*layer, std::make_unique<FakeLeaf>("13"));
  leaf->Load(nullptr, nullptr);
  EXPECT_FALSE(root.IsVisible());
  leaf->SetVisible(true);
  for (TWarstwaImp* n : std::initializer_list<TWarstwaImp*>{layer, cat, &root}) {
    EXPECT_TRUE(n->IsVisible()) << n->Name;
    EXPECT_TRUE(n->IsShown()) << n->Name;
  }
  other->SetVisible(true);
  other->SetVisible(false);
  EXPECT_TRUE(root.IsShown());
  leaf->SetVisible(false);
  for (TWarstwaImp* n : std::initializer_list<TWarstwaImp*>{layer, cat, &root}) {
    EXPECT_FALSE(n->IsVisible()) << n->Name;
    EXPECT_FALSE(n->IsShown()) << n->Name;
  }
  // A group made visible makes every child visible and reports once.
  layer->SetVisible(true);
  EXPECT_TRUE(leaf->IsVisible());
  EXPECT_TRUE(other->IsVisible());
  EXPECT_TRUE(root.IsShown());
  root.SetVisibleAll(false);
  EXPECT_FALSE(leaf->IsVisible());
  EXPECT_FALSE(cat->IsVisible());
}

TEST(LayerGroup, ActivationMarksTheFirstChildAndClimbs) {
  TGrupaWarstw root("R");
  TGrupaWarstw* layer = Add(root, std::make_unique<TGrupaWarstw>("A"));
  FakeLeaf* first = Add(*layer, std::make_unique<FakeLeaf>("1"));
  FakeLeaf* second = Add(*layer, std::make_unique<FakeLeaf>("2"));
  layer->SetActive(true);
  EXPECT_TRUE(first->IsActive());
  EXPECT_FALSE(second->IsActive());
  EXPECT_TRUE(layer->IsActive());
  EXPECT_TRUE(root.IsActive());
  second->SetActive(true);
  layer->SetActive(false);
  EXPECT_FALSE(root.IsActive());
  TGrupaWarstw empty("E");
  empty.SetActive(true);
  EXPECT_TRUE(empty.IsActive());
}

TEST(LayerGroup, EmptyGroup) {
  TGrupaWarstw group("G");
  EXPECT_TRUE(group.IsEmpty());
  EXPECT_FALSE(group.IsLoaded());
  EXPECT_EQ(group.GetTypeMask(), 0u);
  EXPECT_TRUE(IsEmptyRealRect(group.GetObszar()));
  TDoSearch s(RealPoint(0, 0), RealPoint(1, 1));
  group.Search(s, s.Hit);
  EXPECT_FALSE(s.Found());
  EXPECT_THROW(group.AddObject(nullptr), EInternalError);
}

TEST(LayerGroup, BoundsIgnoreEmptyChildren) {
  TGrupaWarstw root("R");
  TGrupaWarstw* group = Add(root, std::make_unique<TGrupaWarstw>("G"));
  FakeLeaf* a = Add(*group, std::make_unique<FakeLeaf>("a"));
  FakeLeaf* empty = Add(*group, std::make_unique<FakeLeaf>("b"));
  a->content = RealRect(10, 10, 20, 20);
  empty->content = TRealRect{};
  a->Load(nullptr, nullptr);
  group->ExtendExtent(*a);
  EXPECT_EQ(group->Bounds, RealRect(10, 10, 20, 20));
  EXPECT_EQ(root.Bounds, RealRect(10, 10, 20, 20));
  empty->Load(nullptr, nullptr);
  group->ExtendExtent(*empty);
  EXPECT_EQ(group->Bounds, RealRect(10, 10, 20, 20));
  EXPECT_EQ(group->GetObszar(), RealRect(10, 10, 20, 20));
  // A child of its own bounds widens it; unloading it narrows it again.
  FakeLeaf* c = Add(*group, std::make_unique<FakeLeaf>("c"));
  c->content = RealRect(0, 30, 5, 40);
  c->Load(nullptr, nullptr);
  group->ExtendExtent(*c);
  EXPECT_EQ(root.Bounds, RealRect(0, 10, 20, 40));
  c->Unload();
  EXPECT_EQ(group->Bounds, RealRect(10, 10, 20, 20));
  EXPECT_EQ(root.Bounds, RealRect(10, 10, 20, 20));
}

TEST(LayerGroup, LoadAndUnloadKeepTheFlagsInStep) {
  TGrupaWarstw root("R");
  TGrupaWarstw* group = Add(root, std::make_unique<TGrupaWarstw>("G"));
  FakeLeaf* a = Add(*group, std::make_unique<FakeLeaf>("a"));
  FakeLeaf* b = Add(*group, std::make_unique<FakeLeaf>("b"));
  a->content = RealRect(0, 0, 1, 1);
  b->content = RealRect(2, 2, 3, 3);
  group->SetVisible(true);
  EXPECT_FALSE(group->IsShown());
  TCancel cancel(60000, "Wczytywanie");
  group->Load(nullptr, &cancel);
  EXPECT_EQ(cancel.Message(), "b");
  EXPECT_EQ(a->loads, 1);
  EXPECT_TRUE(group->IsLoaded());
  EXPECT_TRUE(group->IsShown());
  EXPECT_TRUE(root.IsShown());
  EXPECT_EQ(root.Bounds, RealRect(0, 0, 3, 3));
  EXPECT_TRUE(root.HasFlag(kNodeLoaded));

  group->SetFlag(kNodeHistorical | kNodeReadOnly);
  group->Unload();
  EXPECT_EQ(a->unloads, 1);
  EXPECT_EQ(b->unloads, 1);
  EXPECT_FALSE(group->IsLoaded());
  EXPECT_FALSE(group->HasFlag(kNodeLoaded | kNodeHistorical | kNodeReadOnly | kNodeSuspended));
  EXPECT_TRUE(IsEmptyRealRect(group->Bounds));
  EXPECT_TRUE(IsEmptyRealRect(root.Bounds));
  // Nothing is shown any more, up to the root; visibility stays.
  EXPECT_FALSE(group->IsShown());
  EXPECT_FALSE(root.IsShown());
  EXPECT_TRUE(group->IsVisible());

  // A cancelled window stops before the next child.
  cancel.SetCanceled();
  group->Load(nullptr, &cancel);
  EXPECT_EQ(a->loads, 1);
}

TEST(LayerGroup, HistoricalMarkGoesWithTheLastChildThatHasIt) {
  TGrupaWarstw group("G");
  FakeLeaf* a = Add(group, std::make_unique<FakeLeaf>("a"));
  FakeLeaf* b = Add(group, std::make_unique<FakeLeaf>("b"));
  group.SetFlag(kNodeHistorical | kNodeReadOnly);
  a->SetFlag(kNodeHistorical);
  b->SetFlag(kNodeHistorical);
  b->ClearFlag(kNodeHistorical);
  group.RecalcExtent();
  EXPECT_TRUE(group.HasFlag(kNodeHistorical | kNodeReadOnly));
  a->ClearFlag(kNodeHistorical);
  group.RecalcExtent();
  EXPECT_FALSE(group.HasFlag(kNodeHistorical));
  EXPECT_FALSE(group.HasFlag(kNodeReadOnly));
}

TEST(LayerGroup, SublayerLoadGoesToItsOwnerButNeverBackIntoAGroupLoadingIt) {
  // A plain group hands Load to its children; a leaf that forwards to its
  // owner (the base rule) must not start the group's load again.
  TGrupaWarstw group("G");
  Add(group, std::make_unique<BareImp>());
  Add(group, std::make_unique<BareImp>());
  group.Load(nullptr, nullptr);
  group.LoadInWindow(RealRect(0, 0, 1, 1), nullptr);
  SUCCEED();
}

TEST(LayerGroup, TypeMasks) {
  struct Case {
    std::vector<std::pair<std::uint32_t, bool>> children;  // mask, ticked
    bool groupTicked;
    std::uint32_t mask, maskEx;
  };
  const std::vector<Case> cases = {
      {{{0xA, false}, {0x9, false}}, false, 0x3, 0x3},
      {{{0xA, true}, {0x9, false}}, false, 0x3, 0x80000002u},
      {{{0xA, true}, {0x9, false}}, true, 0x3, 0x80000003u},
      {{{0xA, false}, {0x9, false}}, true, 0x3, 0x80000003u},
      {{{0x16, false}, {0x11, true}}, false, 0x7, 0x80000001u},
      {{}, true, 0x0, 0x80000000u},
  };
  for (const Case& c : cases) {
    TGrupaWarstw group("G");
    int i = 0;
    for (auto [mask, ticked] : c.children) {
      FakeLeaf* leaf = Add(group, std::make_unique<FakeLeaf>(std::string(1, char('a' + i++)), kOrderNone, mask));
      leaf->NodeState.SetTicked(ticked);
    }
    group.NodeState.SetTicked(c.groupTicked);
    EXPECT_EQ(group.GetTypeMask(), c.mask);
    EXPECT_EQ(group.GetTypeMaskEx(), c.maskEx);
  }
}

// --- Drawing ---

class GroupDraw : public ::testing::Test {
 protected:
  CanvasHolder holder;
  TRealCanvas& canvas = holder.canvas;
};

TEST_F(GroupDraw, ChildrenDrawnInOrderOnlyWhenShown) {
  TGrupaWarstw group("G");
  std::string order;
  FakeLeaf* b = Add(group, ShownLeaf("b"));
  FakeLeaf* a = Add(group, ShownLeaf("a"));
  a->onDraw = [&] { order += "a"; };
  b->onDraw = [&] { order += "b"; };
  group.Draw(canvas);
  EXPECT_EQ(order, "ab");
  group.SetVisible(false);
  group.Draw(canvas);
  EXPECT_EQ(order, "ab");
}

TEST_F(GroupDraw, FailingDrawNamesThePath) {
  TGrupaWarstw k("K");
  TGrupaWarstw* a = Add(k, std::make_unique<TGrupaWarstw>("A"));
  FakeLeaf* leaf = Add(*a, ShownLeaf("12 Drogi"));
  FakeLeaf* after = Add(*a, ShownLeaf("13 Rzeki"));
  leaf->onDraw = [] { throw EWarstwaError("x"); };
  try {
    k.Draw(canvas);
    FAIL() << "no exception";
  } catch (const EWarstwaError& e) {
    EXPECT_STREQ(e.what(), "K, A, A, 12 Drogi, x");
  }
  EXPECT_EQ(after->draws, 0);
  // Errors from outside the system's family get the path too.
  leaf->onDraw = [] { throw std::runtime_error("y"); };
  try {
    k.Draw(canvas);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "K, A, A, 12 Drogi, y");
  }
}

TEST_F(GroupDraw, AbortPassesUnchanged) {
  TGrupaWarstw k("K");
  TGrupaWarstw* a = Add(k, std::make_unique<TGrupaWarstw>("A"));
  FakeLeaf* leaf = Add(*a, ShownLeaf("1"));
  leaf->onDraw = [] { throw EAbortDraw(); };
  try {
    k.Draw(canvas);
    FAIL() << "no exception";
  } catch (const EAbortDraw& e) {
    EXPECT_STREQ(e.what(), "");
  }
  leaf->onDraw = nullptr;
  canvas.SetAbort(true);
  EXPECT_THROW(k.Draw(canvas), EAbortDraw);
  EXPECT_EQ(leaf->draws, 1);
  canvas.SetAbort(false);
}

// --- Visitors ---

class Recorder : public TUpdateWarstwa {
 public:
  Recorder() : TUpdateWarstwa(0) {}
  std::vector<std::string> seen;
  std::string stopAt;
  void Update(TWarstwaOgolna& Node) override {
    seen.push_back(Node.Name);
    if (Node.Name == stopAt) RaiseAbortUpdate();
    Node.Walk(*this);
  }
};

class WalkGroup : public TGrupaWarstw {
 public:
  using TGrupaWarstw::TGrupaWarstw;
  int begins = 0, ends = 0;
  bool walkingSeen = false;
  void BeginWalk() override {
    ++begins;
    walkingSeen = HasFlag(kNodeWalking);
  }
  void EndWalk() override { ++ends; }
};

TEST(LayerWalk, AbortEndsTheWalkQuietlyAndClearsTheWalkMarks) {
  TGrupaWarstw root("R");
  WalkGroup* a = Add(root, std::make_unique<WalkGroup>("A"));
  Add(*a, std::make_unique<FakeLeaf>("a1"));
  Add(*a, std::make_unique<FakeLeaf>("a2"));
  Add(*a, std::make_unique<FakeLeaf>("a3"));
  Add(root, std::make_unique<FakeLeaf>("B"));
  Recorder r;
  r.stopAt = "a2";
  EXPECT_NO_THROW(r.Execute(root));
  EXPECT_EQ(r.seen, (std::vector<std::string>{"R", "A", "a1", "a2"}));
  EXPECT_TRUE(a->walkingSeen);
  EXPECT_EQ(a->begins, 1);
  EXPECT_EQ(a->ends, 1);
  EXPECT_FALSE(a->HasFlag(kNodeWalking));
  EXPECT_FALSE(root.HasFlag(kNodeWalking));

  Recorder all;
  all.Execute(root);
  EXPECT_EQ(all.seen, (std::vector<std::string>{"R", "A", "a1", "a2", "a3", "B"}));
}

TEST(LayerWalk, OtherErrorsReachTheCaller) {
  class Failing : public TUpdateWarstwa {
   public:
    Failing() : TUpdateWarstwa(1) {}
    void Update(TWarstwaOgolna&) override { throw EWarstwaError("błąd"); }
  } f;
  TGrupaWarstw root("R");
  EXPECT_EQ(f.Flag, 1);
  EXPECT_TRUE(f.Continue());
  EXPECT_THROW(f.Execute(root), EWarstwaError);
}

// --- Search base ---

class SearchTest : public ::testing::Test {
 protected:
  SearchTest() : s(RealPoint(0, 0), RealPoint(1, 1)) {}
  TGrupaWarstw root{"R"};
  TDoSearch s;
  FakeLeaf* Leaf(const std::string& Name, std::uint32_t Mask, double Distance) {
    FakeLeaf* l = Add(root, ShownLeaf(Name, Mask));
    l->hitDistance = Distance;
    return l;
  }
  bool Won(FakeLeaf* L) const { return s.Found() && s.Hit.Sublayer == SublayerTag(L); }
};

TEST_F(SearchTest, NewSearchHasNoHit) {
  EXPECT_FALSE(s.Found());
  EXPECT_EQ(s.Hit.Distance, 1.7e308);
  EXPECT_EQ(s.SearchRect(), RealRect(-1, -1, 1, 1));
  EXPECT_TRUE(s.Accept(nullptr));
}

TEST_F(SearchTest, SmallerDistanceWinsAndTheFirstOfEqualsStays) {
  Leaf("a", 0xA, 3);
  FakeLeaf* b = Leaf("b", 0xA, 2);
  Leaf("c", 0xA, 2);
  Leaf("d", 0xA, 2.5);
  s.Check(root);
  EXPECT_TRUE(Won(b));
  EXPECT_EQ(s.Hit.Distance, 2);
  EXPECT_EQ(s.Hit.TypeMask, 0xAu);
}

TEST_F(SearchTest, TextLikeHitBeatsAnyOtherAndKeepsItsPlace) {
  Leaf("a", 0xA, 1);
  FakeLeaf* text = Leaf("b", 0x9, 5);
  FakeLeaf* line = Leaf("c", 0xA, 0.5);
  Leaf("d", 0x9, 6);
  s.Check(root);
  EXPECT_TRUE(Won(text));
  // Nodes without text-like content are not even asked once a text is held.
  EXPECT_EQ(line->searched, 0);
  FakeLeaf* closer = Leaf("e", 0x9, 4);
  s.Check(root);
  EXPECT_TRUE(Won(closer));
}

TEST_F(SearchTest, HiddenNodesAreNotSearched) {
  FakeLeaf* a = Leaf("a", 0xA, 1);
  a->SetVisible(false);
  s.Check(root);
  EXPECT_FALSE(s.Found());
  EXPECT_EQ(a->searched, 0);
}

TEST_F(SearchTest, CancelledWindowClearsTheResult) {
  Leaf("a", 0xA, 1);
  s.Check(root);
  ASSERT_TRUE(s.Found());
  TCancel cancel(60000, "Wyszukiwanie");
  s.Cancel = &cancel;
  cancel.SetCanceled();
  EXPECT_FALSE(s.Check(root));
  EXPECT_FALSE(s.Found());
}

TEST_F(SearchTest, HitsNobodyHoldsAreFreedWhenReplacedOrLost) {
  int freed = 0;
  FakeLeaf* far = Leaf("a", 0xA, 3);
  FakeLeaf* near = Leaf("b", 0xA, 1);
  FakeLeaf* lost = Leaf("c", 0xA, 2);
  for (FakeLeaf* l : {far, near, lost}) l->makeObject = [&] { return new CountedCircle(&freed); };
  s.Check(root);
  EXPECT_TRUE(Won(near));
  EXPECT_EQ(freed, 2);  // the replaced one and the losing one
  s.ClearResult();
  EXPECT_EQ(freed, 3);
  EXPECT_FALSE(s.Found());
  // An object a list holds stays.
  auto owned = OwnedCircle();
  TSearchHit hit;
  hit.Object = owned.get();
  hit.Sublayer = SublayerTag(near);
  ClearSearchHit(hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
}

// --- Lookups and outlines ---

TEST(LayerGroupLookup, FirstAnswerWins) {
  TGrupaWarstw group("G");
  FakeLeaf* a = Add(group, std::make_unique<FakeLeaf>("a"));
  FakeLeaf* b = Add(group, std::make_unique<FakeLeaf>("b"));
  auto o1 = OwnedCircle();
  auto o2 = OwnedCircle();
  a->records = {{7, o1.get()}};
  b->records = {{7, o2.get()}, {8, o2.get()}};
  TSearchHit hit;
  group.FindByRecordNumber(1, 7, hit);
  EXPECT_EQ(hit.Object, o1.get());
  group.FindByRecordNumber(1, 8, hit);
  EXPECT_EQ(hit.Sublayer, SublayerTag(b));
  group.FindByRecordNumber(1, 9, hit);
  EXPECT_EQ(hit.Sublayer, nullptr);
}

class Outline : public ::testing::Test {
 protected:
  void SetUp() override {
    leaf = Add(group, std::make_unique<FakeLeaf>("a"));
    // A triangle (0,0) -> (10,0) -> (0,10) -> (0,0); the second side is
    // stored backwards.
    lines.push_back(std::make_unique<TLinia>(RealPoint(0, 0), RealPoint(10, 0)));
    lines.push_back(std::make_unique<TLinia>(RealPoint(0, 10), RealPoint(10, 0)));
    lines.push_back(std::make_unique<TLinia>(RealPoint(0, 10), RealPoint(0, 0)));
    lines.push_back(std::make_unique<TLinia>(RealPoint(50, 50), RealPoint(60, 60)));
    for (size_t i = 0; i < lines.size(); ++i) {
      lines[i]->MarkInList();
      leaf->records.emplace_back(static_cast<std::uint32_t>(i + 1), lines[i].get());
    }
    circle = OwnedCircle();
    leaf->records.emplace_back(100, circle.get());
  }
  static std::vector<TOutlineRef> Refs(std::initializer_list<std::uint32_t> Records) {
    std::vector<TOutlineRef> r;
    for (std::uint32_t n : Records) r.push_back({1, n});
    return r;
  }
  TGrupaWarstw group{"G"};
  FakeLeaf* leaf = nullptr;
  std::vector<std::unique_ptr<TLinia>> lines;
  std::unique_ptr<TOkrag> circle;
};

TEST_F(Outline, ChainOfLinesFromTheFreeEndOfTheFirst) {
  TRealPointsList points;
  ASSERT_TRUE(group.CollectOutline(Refs({1, 2, 3}), points));
  std::vector<std::pair<double, double>> got;
  for (int i = 0; i < points.Count(); ++i) got.emplace_back(points.GetPoint(i).X, points.GetPoint(i).Y);
  EXPECT_EQ(got, (std::vector<std::pair<double, double>>{{0, 0}, {10, 0}, {0, 10}, {0, 0}}));
}

TEST_F(Outline, RefusedChains) {
  TRealPointsList points;
  EXPECT_FALSE(group.CollectOutline({}, points));
  EXPECT_FALSE(group.CollectOutline(Refs({1}), points));
  EXPECT_FALSE(group.CollectOutline(Refs({42, 1}), points));
  EXPECT_FALSE(group.CollectOutline(Refs({1, 42}), points));
  EXPECT_FALSE(group.CollectOutline(Refs({1, 4}), points));  // the first two do not meet
  EXPECT_EQ(points.Count(), 0);
  // A missing object further on is skipped.
  EXPECT_TRUE(group.CollectOutline(Refs({1, 2, 42, 3}), points));
  EXPECT_EQ(points.Count(), 4);
}

TEST_F(Outline, CircleIsAWholeOutline) {
  TRealPointsList points;
  EXPECT_TRUE(group.CollectOutline(Refs({100}), points));
  EXPECT_GT(points.Count(), 2);
  // With more references the circle still ends the outline.
  TRealPointsList more;
  EXPECT_TRUE(group.CollectOutline(Refs({100, 1}), more));
  EXPECT_EQ(more.Count(), points.Count());
}

TEST_F(Outline, ObjectsFetchedFromTheFileAreFreedAfterUse) {
  // FetchObject answers clones nobody owns; ASan reports any left behind.
  TRealPointsList points;
  EXPECT_TRUE(group.CollectOutlineFromFile(Refs({1, 2, 3}), points));
  EXPECT_EQ(points.Count(), 4);
  TRealPointsList none;
  EXPECT_FALSE(group.CollectOutlineFromFile(Refs({1, 4}), none));
}

// --- The host ---

TEST(LayerTreeHost, MainWindowNoticeGoesOnlyToARegisteredWindow) {
  SetMainFormWindow(0);
  PostMainFormNotify(kMainFormSublayerList);  // nobody to tell: nothing happens
  std::vector<std::pair<std::uint32_t, std::uintptr_t>> got;
  platform::HWND wnd = platform::RegisterWindow([&](std::uint32_t msg, std::uintptr_t w, std::intptr_t l) {
    got.emplace_back(msg, w);
    EXPECT_EQ(l, 0);
    return std::intptr_t{0};
  });
  SetMainFormWindow(wnd);
  EXPECT_EQ(MainFormWindow(), wnd);
  PostMainFormNotify(kMainFormSublayerList);
  platform::PumpPostedMessages();
  EXPECT_EQ(got, (std::vector<std::pair<std::uint32_t, std::uintptr_t>>{{1032, 3}}));
  SetMainFormWindow(0);
  platform::UnregisterWindow(wnd);
  EXPECT_EQ(&LayerTreeHost(), &LayerTreeHost());
}

// --- The redraw thread against the GUI thread ---

// Runs under ThreadSanitizer too (scripts/test): the redraw thread draws the
// tree again and again while this thread adds, moves, sorts and removes
// children of a nested group.
TEST(RedrawConcurrency, DrawWhileChildrenChange) {
  CanvasHolder holder;
  TGrupaWarstw root("R");
  TGrupaWarstw* group = Add(root, std::make_unique<TGrupaWarstw>("G"));
  Add(*group, ShownLeaf("stały"));
  std::atomic<bool> stop{false};
  std::atomic<int> passes{0};
  std::thread redraw([&] {
    while (!stop.load()) {
      root.Draw(holder.canvas);
      ++passes;
    }
  });
  for (int i = 0; i < 2000; ++i) {
    FakeLeaf* leaf = Add(*group, ShownLeaf("n" + std::to_string(i % 7)));
    if (i % 3 == 0) group->MoveChild(leaf, 0);
    if (i % 5 == 0) group->SortChildren();
    std::unique_ptr<TWarstwaOgolna> gone = group->RemoveChild(leaf);
    gone.reset();
    if (i % 11 == 0) group->ResetOrder();
  }
  // Let the redraw thread finish at least a few passes before stopping.
  while (passes.load() < 3) std::this_thread::yield();
  stop = true;
  redraw.join();
  EXPECT_EQ(group->GetCount(), 1);
}

}  // namespace
