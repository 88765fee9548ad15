// The layer group: the inner node of the tree, owning its children in a fixed
// order and keeping its flags, bounds and tree items in step with them.
#include <algorithm>
#include <mutex>
#include <new>

#include "foundation/threads/cancel.h"
#include "foundation/geometry/polygon.h"
#include "layers/tree/layernode.h"
#include "drawing/realcanvas.h"
#include "objects/layerline.h"
#include "platform/gui/controls_grids.h"

namespace {

// Sets the group's suspended flag for the length of a change of all its
// children and puts back what was there before, also after an error.
class TSuspend {
 public:
  explicit TSuspend(TWarstwaImp& Node) : node_(Node), was_(Node.HasFlag(kNodeSuspended)) {
    node_.SetFlag(kNodeSuspended);
  }
  ~TSuspend() { node_.SetFlag(kNodeSuspended, was_); }
  TSuspend(const TSuspend&) = delete;
  TSuspend& operator=(const TSuspend&) = delete;

 private:
  TWarstwaImp& node_;
  bool was_;
};

// A hit looked up for an outline, released when it has been used.
class THeldHit {
 public:
  THeldHit() = default;
  ~THeldHit() { ClearSearchHit(Hit); }
  THeldHit(const THeldHit&) = delete;
  THeldHit& operator=(const THeldHit&) = delete;
  bool Found() const { return Hit.Sublayer != nullptr && Hit.Object != nullptr; }
  TSearchHit Hit;
};

bool HasHistoricalContent(const TWarstwaOgolna& Node) {
  auto* imp = dynamic_cast<const TWarstwaImp*>(&Node);
  return imp != nullptr && imp->HasFlag(kNodeHistorical);
}

}  // namespace

TGrupaWarstw::TGrupaWarstw(std::string AName) { Name = std::move(AName); }

TGrupaWarstw::~TGrupaWarstw() {
  std::unique_lock lock(childrenLock_);
  // From the last to the first, as the list frees its items.
  while (!children_.empty()) children_.pop_back();
}

TWarstwaOgolna* TGrupaWarstw::GetItem(int Index) const {
  if (Index < 0 || Index >= GetCount()) throw EListError::IndexOutOfBounds(Index);
  return children_[static_cast<size_t>(Index)].get();
}

int TGrupaWarstw::CompareChildren(const TWarstwaOgolna& A, const TWarstwaOgolna& B) {
  if (A.OrderKey != B.OrderKey) return A.OrderKey < B.OrderKey ? -1 : 1;
  int c = A.GetSortName().compare(B.GetSortName());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int TGrupaWarstw::AddChild(std::unique_ptr<TWarstwaOgolna> Node) {
  if (Node == nullptr) throw EInternalError("TGrupaWarstw.AddChild: brak węzła");
  TWarstwaOgolna* node = Node.get();
  node->Owner = this;
  size_t index;
  {
    // The leftmost place whose child is not smaller: a child equal to others
    // goes before them.
    std::unique_lock lock(childrenLock_);
    auto it = std::lower_bound(children_.begin(), children_.end(), node,
                               [](const std::unique_ptr<TWarstwaOgolna>& c, const TWarstwaOgolna* n) {
                                 return CompareChildren(*c, *n) < 0;
                               });
    index = static_cast<size_t>(it - children_.begin());
    children_.insert(it, std::move(Node));
  }
  RecalcVisibility();
  RecalcExtentFromChildren();
  if (platform::TTreeNode* item = GetTreeNode()) node->AddTreeNode(item->TreeView(), item);
  return static_cast<int>(index);
}

std::unique_ptr<TWarstwaOgolna> TGrupaWarstw::RemoveChild(TWarstwaOgolna* Node) {
  std::unique_lock lock(childrenLock_);
  auto it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == Node; });
  if (it == children_.end()) return nullptr;
  std::unique_ptr<TWarstwaOgolna> taken = std::move(*it);
  children_.erase(it);
  return taken;
}

void TGrupaWarstw::MoveChild(TWarstwaOgolna* Node, int NewIndex) {
  {
    std::unique_lock lock(childrenLock_);
    auto it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == Node; });
    if (it == children_.end()) throw EInternalError("TGrupaWarstw.MoveChild: węzeł nie należy do grupy");
    std::unique_ptr<TWarstwaOgolna> moved = std::move(*it);
    children_.erase(it);
    size_t at = static_cast<size_t>(std::clamp(NewIndex, 0, static_cast<int>(children_.size())));
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(at), std::move(moved));
    // The places up to the moved child take their index as the key; after
    // it, the keys follow the index up to the first unordered child.
    for (size_t i = 0; i <= at; ++i) children_[i]->OrderKey = static_cast<std::int32_t>(i);
    for (size_t i = at + 1; i < children_.size() && children_[i]->OrderKey != kOrderNone; ++i)
      children_[i]->OrderKey = static_cast<std::int32_t>(i);
  }
  FillWindowList();
}

void TGrupaWarstw::ResetOrder() {
  for (auto& c : children_) c->OrderKey = kOrderNone;
  SortChildren();
}

void TGrupaWarstw::SortChildren() {
  std::unique_lock lock(childrenLock_);
  std::stable_sort(children_.begin(), children_.end(),
                   [](const auto& a, const auto& b) { return CompareChildren(*a, *b) < 0; });
}

void TGrupaWarstw::ListChildren(std::uint32_t Mask, std::vector<std::pair<std::string, TWarstwaOgolna*>>& List) {
  for (auto& c : children_)
    if ((c->GetTypeMask() & Mask) != 0) List.emplace_back(c->Name, c.get());
}

void TGrupaWarstw::ChildStateChanged(bool Visible, bool Shown) {
  if (HasFlag(kNodeSuspended)) return;
  if (Visible && Shown) {
    std::uint16_t before = Flags();
    SetFlag(kNodeVisible | kNodeShown);
    if (Flags() != before && Owner != nullptr) Owner->ChildStateChanged(Visible, Shown);
    return;
  }
  RecalcVisibility();
}

void TGrupaWarstw::RecalcVisibility() {
  bool visibleAny = false;
  bool shownAny = false;
  for (auto& c : children_) {
    if (!visibleAny) visibleAny = c->IsVisible();
    if (!shownAny) shownAny = c->IsShown();
    if (visibleAny && shownAny) break;
  }
  std::uint16_t before = Flags();
  SetFlag(kNodeVisible, visibleAny);
  SetFlag(kNodeShown, shownAny);
  if (Flags() != before && Owner != nullptr) Owner->ChildStateChanged(visibleAny, shownAny);
}

void TGrupaWarstw::RecalcFlags() {
  for (auto& c : children_) {
    if (c->IsVisible()) SetFlag(kNodeVisible);
    if (c->IsShown()) SetFlag(kNodeShown);
  }
}

void TGrupaWarstw::RecalcExtentFromChildren() {
  TRealRect bounds{};
  bool any = false;
  for (auto& c : children_) {
    TRealRect r = c->GetObszar();
    if (IsEmptyRealRect(r)) continue;
    bounds = any ? UnionRealRect(bounds, r) : r;
    any = true;
  }
  Bounds = bounds;
}

void TGrupaWarstw::RecalcExtent() {
  if (HasFlag(kNodeSuspended)) return;
  RecalcExtentFromChildren();
  SetFlag(kNodeLoaded, AnyChildLoaded());
  if (HasFlag(kNodeHistorical)) {
    bool kept = false;
    for (auto it = children_.rbegin(); it != children_.rend() && !kept; ++it) kept = HasHistoricalContent(**it);
    if (!kept) ClearFlag(kNodeHistorical | kNodeReadOnly);
  }
  if (Owner != nullptr) Owner->RecalcExtent();
}

bool TGrupaWarstw::AnyChildLoaded() const {
  for (auto& c : children_)
    if (c->IsLoaded()) return true;
  return false;
}

void TGrupaWarstw::ExtendExtent(TWarstwaOgolna& Child) {
  if (HasFlag(kNodeSuspended)) return;
  TRealRect r = Child.GetObszar();
  if (IsEmptyRealRect(Bounds)) Bounds = r;
  else if (!IsEmptyRealRect(r)) Bounds = UnionRealRect(Bounds, r);
  SetFlag(kNodeLoaded);
  UpdateShownFlag();
  if (Owner != nullptr) Owner->ExtendExtent(*this);
}

void TGrupaWarstw::BeginWalk() {}
void TGrupaWarstw::EndWalk() {}

void TGrupaWarstw::ChildActivated(bool B) {
  if (HasFlag(kNodeSuspended)) return;
  TWarstwaImp::SetActive(B);
}

bool TGrupaWarstw::CanCollapse() { return true; }

TRealRect TGrupaWarstw::GetObszar() {
  RecalcExtentFromChildren();
  return Bounds;
}

void TGrupaWarstw::SetVisible(bool B) {
  {
    TSuspend suspend(*this);
    for (size_t i = 0; i < children_.size(); ++i) children_[i]->SetVisible(B);
  }
  TWarstwaImp::SetVisible(B);
}

bool TGrupaWarstw::IsLoaded() const { return AnyChildLoaded(); }

void TGrupaWarstw::SetActive(bool B) {
  {
    // Activating a layer activates its first sublayer. A group without
    // children marks only itself.
    TSuspend suspend(*this);
    if (!children_.empty()) children_.front()->SetActive(B);
  }
  TWarstwaImp::SetActive(B);
}

void TGrupaWarstw::Draw(TRealCanvas& Canvas) {
  if (Canvas.GetAbort()) throw EAbortDraw();
  if (!HasFlag(kNodeShown)) return;
  // The GUI thread changes the list only under the exclusive lock, so the
  // children stay where they are while they are drawn.
  std::shared_lock lock(childrenLock_);
  for (auto& c : children_) {
    try {
      c->Draw(Canvas);
    } catch (const EAbort&) {
      throw;
    } catch (Exception& e) {
      // The message names the path from the outermost group down.
      e.SetMessage(Name + ", " + c->Name + ", " + e.Message());
      throw;
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const std::exception& e) {
      throw Exception(Name + ", " + c->Name + ", " + e.what());
    }
  }
}

void TGrupaWarstw::UpdateShownFlag() {
  SetFlag(kNodeLoaded, AnyChildLoaded());
  TWarstwaImp::UpdateShownFlag();
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->UpdateShownFlag();
}

platform::TTreeNode* TGrupaWarstw::AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) {
  platform::TTreeNode* item = TWarstwaImp::AddTreeNode(Items, Parent);
  for (auto& c : children_) c->AddTreeNode(Items, item);
  return item;
}

void TGrupaWarstw::DetachTreeNode() {
  NodeState.DetachTreeNode();
  for (auto& c : children_) c->DetachTreeNode();
}

bool TGrupaWarstw::IsGroup() const { return true; }

void TGrupaWarstw::SetVisibleAll(bool B) {
  SetVisible(B);
  for (size_t i = 0; i < children_.size(); ++i) {
    TWarstwaOgolna& c = *children_[i];
    if (c.IsGroup()) c.SetVisibleAll(B);
    else c.SetVisible(B);
  }
}

void TGrupaWarstw::Walk(TUpdateWarstwa& Visitor) {
  // The walk marks end also when a visitor stops the walk with an exception
  // (EAbortUpdate from any depth): a layer left marked would skip its next
  // load.
  struct TWalkMark {
    TGrupaWarstw& G;
    explicit TWalkMark(TGrupaWarstw& AG) : G(AG) {
      G.SetFlag(kNodeWalking);
      G.BeginWalk();
    }
    ~TWalkMark() {
      try {
        G.EndWalk();
      } catch (...) {
      }
      G.ClearFlag(kNodeWalking);
    }
  } mark(*this);
  // By index: a visitor may change the tree it walks.
  for (size_t i = 0; i < children_.size(); ++i) Visitor.Update(*children_[i]);
}

std::uint32_t TGrupaWarstw::GetTypeMaskEx() {
  std::uint32_t ticked = 0;
  std::uint32_t other = 0;
  for (auto& c : children_) {
    std::uint32_t m = c->GetTypeMaskEx();
    if ((m & kMaskTicked) != 0) ticked |= m;
    else other |= m;
  }
  std::uint32_t result = ticked != 0 ? ticked : other;
  if (GetStateBit0()) result |= kMaskTicked | other;
  return result & ~kMaskLevel;
}

bool TGrupaWarstw::IsEmpty() {
  for (auto& c : children_)
    if (!c->IsEmpty()) return false;
  return true;
}

std::uint32_t TGrupaWarstw::GetTypeMask() {
  std::uint32_t mask = 0;
  for (auto& c : children_) mask |= c->GetTypeMask();
  return mask & ~kMaskLevel;
}

void TGrupaWarstw::Unload() {
  {
    TSuspend suspend(*this);
    for (size_t i = 0; i < children_.size(); ++i) children_[i]->Unload();
    ClearFlag(kNodeLoaded);
  }
  Bounds = TRealRect{};
  if (HasFlag(kNodeHistorical)) ClearFlag(kNodeHistorical | kNodeReadOnly);
  // The children's reports were ignored while suspended: nothing unloaded is
  // shown, so the group's shown state follows them now.
  RecalcVisibility();
  TWarstwaImp::Unload();
}

void TGrupaWarstw::Load(TWarQuery* Filter, TCancel* Cancel) {
  {
    TSuspend suspend(*this);
    for (size_t i = 0; i < children_.size(); ++i) {
      if (Cancel != nullptr && Cancel->Canceled()) break;
      TWarstwaOgolna& c = *children_[i];
      if (Cancel != nullptr) Cancel->SetMessage(c.Name);
      c.Load(Filter, Cancel);
    }
    RecalcExtentFromChildren();
    RecalcFlags();
  }
  if (Owner != nullptr) Owner->ExtendExtent(*this);
}

void TGrupaWarstw::LoadInWindow(const TRealRect& Window, TCancel* Cancel) {
  {
    TSuspend suspend(*this);
    for (size_t i = 0; i < children_.size(); ++i) {
      if (Cancel != nullptr && Cancel->Canceled()) break;
      children_[i]->LoadInWindow(Window, Cancel);
    }
    RecalcExtentFromChildren();
    RecalcFlags();
    SetFlag(kNodeLoaded);
  }
  if (Owner != nullptr) Owner->ExtendExtent(*this);
}

void TGrupaWarstw::Search(TDoSearch& S, TSearchHit& Hit) {
  for (size_t i = 0; i < children_.size(); ++i) S.Check(*children_[i]);
  // The result is in the search's own hit.
  Hit.Sublayer = nullptr;
}

void TGrupaWarstw::FindByRecordNumber(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) {
  Hit.Sublayer = nullptr;
  for (size_t i = 0; i < children_.size() && Hit.Sublayer == nullptr; ++i)
    children_[i]->FindByRecordNumber(LayerNumber, Record, Hit);
}

void TGrupaWarstw::FetchObject(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) {
  Hit.Sublayer = nullptr;
  for (size_t i = 0; i < children_.size() && Hit.Sublayer == nullptr; ++i)
    children_[i]->FetchObject(LayerNumber, Record, Hit);
}

TWarstwaOgolna* TGrupaWarstw::FindByNumber(std::int32_t LayerNumber) {
  for (size_t i = 0; i < children_.size(); ++i)
    if (TWarstwaOgolna* n = children_[i]->FindByNumber(LayerNumber)) return n;
  return nullptr;
}

void TGrupaWarstw::GetObjectValue(std::int32_t LayerNumber, std::uint32_t Record, TObjectValueResult& Value) {
  Value.Found = false;
  for (size_t i = 0; i < children_.size() && !Value.Found; ++i)
    children_[i]->GetObjectValue(LayerNumber, Record, Value);
}

void TGrupaWarstw::Save() {
  for (size_t i = 0; i < children_.size(); ++i) children_[i]->Save();
}

void TGrupaWarstw::PassCanvas(TRealCanvas* Canvas) {
  for (auto& c : children_) c->PassCanvas(Canvas);
}

bool TGrupaWarstw::RestoreOriginal() {
  bool any = false;
  for (size_t i = 0; i < children_.size(); ++i)
    if (children_[i]->RestoreOriginal()) any = true;
  return any;
}

void TGrupaWarstw::CollectLayers(std::vector<TWarstwaOgolna*>& List) {
  for (auto& c : children_) c->CollectLayers(List);
}

bool TGrupaWarstw::SetDefaultColors() {
  bool any = false;
  for (auto& c : children_)
    if (c->SetDefaultColors()) any = true;
  return any;
}

namespace {

using TLookup = void (TWarstwaOgolna::*)(std::int32_t, std::uint32_t, TSearchHit&);

bool TouchesObject(const TRealPoint& P, const TEGraphObj& Obj) {
  return SameRealPoint(P, Obj.GetStartPoint()) || SameRealPoint(P, Obj.GetEndPoint());
}

// The outline of an area from its chain of boundary objects.
bool CollectOutlineBy(TGrupaWarstw& Group, TLookup Lookup, const std::vector<TOutlineRef>& Refs,
                      TRealPointsList& Points) {
  if (Refs.empty()) return false;
  auto lookUp = [&](const TOutlineRef& R, THeldHit& H) {
    (Group.*Lookup)(R.LayerNumber, R.RecordNumber, H.Hit);
    return H.Found();
  };
  TRealPoint start;
  {
    THeldHit first;
    if (!lookUp(Refs[0], first)) return false;
    if (dynamic_cast<const TOkrag*>(first.Hit.Object) != nullptr) {
      // A circle is the whole outline.
      TRealPoint far;
      first.Hit.Object->AppendPathPoints(RealPoint(0, 0), Points, far);
      return true;
    }
    if (Refs.size() < 2) return false;
    THeldHit second;
    if (!lookUp(Refs[1], second)) return false;
    const TEGraphObj& a = *first.Hit.Object;
    const TEGraphObj& b = *second.Hit.Object;
    if (TouchesObject(a.GetStartPoint(), b)) start = a.GetEndPoint();
    else if (TouchesObject(a.GetEndPoint(), b)) start = a.GetStartPoint();
    else return false;  // the first two objects do not meet: no chain
  }
  Points.Add(start);
  TRealPoint current = start;
  for (const TOutlineRef& r : Refs) {
    THeldHit h;
    if (!lookUp(r, h)) continue;
    TRealPoint far;
    h.Hit.Object->AppendPathPoints(current, Points, far);
    current = far;
  }
  return true;
}

}  // namespace

bool TGrupaWarstw::CollectOutline(const std::vector<TOutlineRef>& Refs, TRealPointsList& Points) {
  return CollectOutlineBy(*this, &TWarstwaOgolna::FindByRecordNumber, Refs, Points);
}

bool TGrupaWarstw::CollectOutlineFromFile(const std::vector<TOutlineRef>& Refs, TRealPointsList& Points) {
  return CollectOutlineBy(*this, &TWarstwaOgolna::FetchObject, Refs, Points);
}

void TGrupaWarstw::Describe(std::string& Out, std::uint8_t Option) {
  for (auto& c : children_) c->Describe(Out, Option);
}

void TGrupaWarstw::AddObject(TEGraphObj*) {
  throw EInternalError("TGrupaWarstw.AddObject: grupa warstw nie przechowuje obiektów");
}
