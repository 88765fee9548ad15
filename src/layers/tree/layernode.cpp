// The layer node: the state record of the layer panel, the base behaviour of
// every node operation and the common implementation with flags, bounds,
// visibility and the shown state.
#include "layers/tree/layernode.h"

#include "drawing/pen.h"
#include "drawing/realcanvas.h"
#include "platform/gui/controls_grids.h"

// --- TNodeState ---

std::uint32_t TNodeState::Read() const {
  if (TreeNode != nullptr) return static_cast<std::uint32_t>(TreeNode->StateIndex() - 1);
  return State;
}

void TNodeState::SetBit(std::uint32_t Bit, bool B) {
  if (TreeNode != nullptr) {
    // The item's state image is State + 1; it moves only when the bit really
    // changes, so setting a bit twice adds its value once.
    bool has = (Read() & Bit) != 0;
    if (has == B) return;
    int delta = static_cast<int>(Bit);
    TreeNode->SetStateIndex(TreeNode->StateIndex() + (B ? delta : -delta));
    return;
  }
  if (B) State |= Bit;
  else State &= ~Bit;
}

void TNodeState::AttachTreeNode(platform::TTreeNode* Item) {
  // The new item takes the live state: the one of the item attached now,
  // if any, so that a second tree shows what the first one shows.
  bool expanded = TreeNode != nullptr ? TreeNode->Expanded() : Expanded;
  std::uint32_t state = Read();
  SavedTreeNode = TreeNode;
  TreeNode = Item;
  if (Item == nullptr) {
    Expanded = expanded;
    State = state;
    return;
  }
  if (expanded) Item->Expand(false);
  else Item->Collapse(false);
  Item->SetStateIndex(static_cast<int>(state) + 1);
}

void TNodeState::DetachTreeNode() {
  if (TreeNode == nullptr) return;
  Expanded = TreeNode->Expanded();
  State = Read();
  TreeNode = SavedTreeNode;
  SavedTreeNode = nullptr;
}

void TNodeState::FreeTreeNodes() {
  platform::TTreeNode* item = TreeNode;
  platform::TTreeNode* saved = SavedTreeNode;
  TreeNode = nullptr;
  SavedTreeNode = nullptr;
  if (item != nullptr) item->Delete();
  if (saved != nullptr && saved != item) saved->Delete();
}

bool TNodeState::GetFlag0() const { return (Read() & kStateTicked) != 0; }
void TNodeState::SetTicked(bool B) { SetBit(kStateTicked, B); }
bool TNodeState::GetActive() const { return (Read() & kStateActive) != 0; }
void TNodeState::SetActive(bool B) { SetBit(kStateActive, B); }
bool TNodeState::GetModified() const { return (Read() & kStateModified) != 0; }
void TNodeState::SetModified(bool B) { SetBit(kStateModified, B); }

std::string TNodeState::GetCaption() const { return TreeNode != nullptr ? TreeNode->Text() : std::string(); }

// --- TWarstwaOgolna: the base behaviour of every operation ---

TWarstwaOgolna::TWarstwaOgolna() = default;

TWarstwaOgolna::~TWarstwaOgolna() { NodeState.FreeTreeNodes(); }

TRealRect TWarstwaOgolna::GetObszar() { throw EInternalError("TWarstwaOgolna.GetObszar not implemented"); }
bool TWarstwaOgolna::IsVisible() const { return true; }
void TWarstwaOgolna::SetVisible(bool) {}
bool TWarstwaOgolna::IsLoaded() const { return true; }
void TWarstwaOgolna::SetActive(bool B) { NodeState.SetActive(B); }
bool TWarstwaOgolna::IsShown() const { return true; }
bool TWarstwaOgolna::IsReadOnly() const { return true; }
std::uint32_t TWarstwaOgolna::GetColor() const { return 0x808080; }
std::string TWarstwaOgolna::GetIdent() const { return Name; }

void TWarstwaOgolna::PrepareCanvas(TRealCanvas& Canvas) {
  Canvas.Pen->SetColor(0);
  Canvas.SaveCanvasState();
}

void TWarstwaOgolna::UpdateShownFlag() {}
platform::TTreeNode* TWarstwaOgolna::AddTreeNode(platform::TTreeView&, platform::TTreeNode*) { return nullptr; }
void TWarstwaOgolna::DetachTreeNode() { NodeState.DetachTreeNode(); }
void TWarstwaOgolna::ShowInfo(TLayerInfo&) {}
int TWarstwaOgolna::GetImageIndex() const { return 0; }
bool TWarstwaOgolna::IsGroup() const { return false; }
void TWarstwaOgolna::Walk(TUpdateWarstwa&) {}
bool TWarstwaOgolna::GetStateBit0() const { return NodeState.GetFlag0(); }

std::uint32_t TWarstwaOgolna::GetTypeMaskEx() {
  std::uint32_t mask = GetTypeMask();
  if (GetStateBit0()) mask |= kMaskTicked;
  return mask;
}

bool TWarstwaOgolna::IsEmpty() { return !IsLoaded(); }
std::uint32_t TWarstwaOgolna::GetTypeMask() { return kMaskOtherKinds; }
void TWarstwaOgolna::Unload() {}
void TWarstwaOgolna::Load(TWarQuery*, TCancel*) {}
void TWarstwaOgolna::LoadInWindow(const TRealRect&, TCancel*) {}
std::string TWarstwaOgolna::GetDescription() { return std::string(); }
void TWarstwaOgolna::Search(TDoSearch&, TSearchHit& Hit) { Hit.Sublayer = nullptr; }
void TWarstwaOgolna::SearchNumbered(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }
void TWarstwaOgolna::SearchPoint(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }
void TWarstwaOgolna::SearchField(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }
void TWarstwaOgolna::SearchFirst(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }
void TWarstwaOgolna::SearchMatching(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }
void TWarstwaOgolna::SearchNear(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }
void TWarstwaOgolna::SearchInRect(TDoSearch& S, TSearchHit& Hit) { SearchMatching(S, Hit); }
void TWarstwaOgolna::FindByRecordNumber(std::int32_t, std::uint32_t, TSearchHit& Hit) { Hit.Sublayer = nullptr; }
void TWarstwaOgolna::FetchObject(std::int32_t, std::uint32_t, TSearchHit& Hit) { Hit.Sublayer = nullptr; }
TWarstwaOgolna* TWarstwaOgolna::FindByNumber(std::int32_t) { return nullptr; }
void TWarstwaOgolna::GetObjectValue(std::int32_t, std::uint32_t, TObjectValueResult& Value) { Value.Found = false; }
void TWarstwaOgolna::Save() {}
std::string TWarstwaOgolna::GetSortName() const { return Name; }
void TWarstwaOgolna::PassCanvas(TRealCanvas*) {}
std::string TWarstwaOgolna::GetCaption() const { return NodeState.GetCaption(); }
int TWarstwaOgolna::GetNumber() const { return -1; }
bool TWarstwaOgolna::RestoreOriginal() { return false; }
void TWarstwaOgolna::CollectLayers(std::vector<TWarstwaOgolna*>&) {}
bool TWarstwaOgolna::SetItalic(bool) { return false; }
bool TWarstwaOgolna::SetColor(std::uint32_t) { return false; }
bool TWarstwaOgolna::SetLineType(const TLine*) { return false; }
bool TWarstwaOgolna::SetLotsThick(double) { return false; }
bool TWarstwaOgolna::SetGridScale(double) { return false; }
bool TWarstwaOgolna::SetDefaultColors() { return false; }
bool TWarstwaOgolna::CollectOutline(const std::vector<TOutlineRef>&, TRealPointsList&) { return false; }
bool TWarstwaOgolna::CollectOutlineFromFile(const std::vector<TOutlineRef>&, TRealPointsList&) { return false; }
void TWarstwaOgolna::PrepareTextParams(TDrawParamsImp*) {}
int TWarstwaOgolna::EditHeader(int) { return 0; }
void TWarstwaOgolna::UpdateIndex(TCancel*) {}
void TWarstwaOgolna::CollectTexts(std::vector<std::unique_ptr<TClipBounds>>&, TDrawParamsImp*) {}
void TWarstwaOgolna::DeleteOldArch(std::uint32_t, TCancel*) {}
std::string TWarstwaOgolna::GetPrefixedName() const { return Name; }
void TWarstwaOgolna::FillWindowList() {}
std::int32_t TWarstwaOgolna::GetLayerNumber() const { return 0; }
void TWarstwaOgolna::Describe(std::string&, std::uint8_t) {}
void TWarstwaOgolna::SelectSymbols() {}
void TWarstwaOgolna::Transform(const TAffineMatrix&, const std::string&, TCancel*) {}

// --- TWarstwaImp ---

void TWarstwaImp::SetFlag(std::uint16_t F, bool On) {
  if (On) flags_.fetch_or(F, std::memory_order_relaxed);
  else flags_.fetch_and(static_cast<std::uint16_t>(~F), std::memory_order_relaxed);
}

TRealRect TWarstwaImp::GetObszar() { return Bounds; }
bool TWarstwaImp::IsVisible() const { return HasFlag(kNodeVisible); }
bool TWarstwaImp::IsLoaded() const { return HasFlag(kNodeLoaded); }
bool TWarstwaImp::IsShown() const { return HasFlag(kNodeShown); }
bool TWarstwaImp::IsReadOnly() const { return HasFlag(kNodeReadOnly); }

void TWarstwaImp::SetVisible(bool B) {
  bool changed = B != HasFlag(kNodeVisible);
  SetFlag(kNodeVisible, B);
  // The owner hears the shown flag as it was before this change; the update
  // below reports the new one when it differs.
  if (changed && Owner != nullptr) Owner->ChildStateChanged(B, IsShown());
  UpdateShownFlag();
}

void TWarstwaImp::UpdateShownFlag() {
  std::uint16_t before = Flags();
  SetFlag(kNodeShown, HasFlag(kNodeLoaded) && HasFlag(kNodeVisible));
  if (Flags() != before && Owner != nullptr) Owner->ChildStateChanged(IsVisible(), IsShown());
}

void TWarstwaImp::SetActive(bool B) {
  NodeState.SetActive(B);
  if (Owner != nullptr) Owner->ChildActivated(B);
}

platform::TTreeNode* TWarstwaImp::AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) {
  // The item's data is the node as a TWarstwaOgolna.
  TWarstwaOgolna* self = this;
  platform::TTreeNode* item = Items.AddChild(Parent, Name.empty() ? std::string("___") : Name, self);
  NodeState.AttachTreeNode(item);
  return item;
}

void TWarstwaImp::Unload() {
  if (Owner != nullptr) Owner->RecalcExtent();
}

// A node loads through its owner (a sublayer through its layer). An owner
// that is suspended is changing its children itself, this one included:
// handing the call back to it would start that over without end.
void TWarstwaImp::Load(TWarQuery* Filter, TCancel* Cancel) {
  if (Owner != nullptr && !Owner->HasFlag(kNodeSuspended)) Owner->Load(Filter, Cancel);
}

void TWarstwaImp::LoadInWindow(const TRealRect& Window, TCancel* Cancel) {
  if (Owner != nullptr && !Owner->HasFlag(kNodeSuspended)) Owner->LoadInWindow(Window, Cancel);
}

std::string TWarstwaImp::GetCaption() const { return Name; }

void TWarstwaImp::DeleteOldArch(std::uint32_t Date, TCancel* Cancel) {
  if (Owner != nullptr) Owner->DeleteOldArch(Date, Cancel);
}

void TWarstwaImp::SelectSymbols() {
  if (Owner != nullptr) Owner->SelectSymbols();
}
