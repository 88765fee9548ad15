// The nodes of the layer tree: everything a map view shows is a node of one
// tree (the view's root, layer catalogues, layers, sublayers, and the nodes
// other folders add). TWarstwaOgolna is the abstract node with its table of
// virtual operations, whose base versions do nothing, answer a constant or
// forward; TWarstwaImp adds the layer-file handle, the bounds, the flags
// word, the shown-state propagation and the layer panel's tree item.
// TGrupaWarstw is the inner node that owns an ordered list of children.
// Operations over the tree are objects: a visitor (TUpdateWarstwa) that
// groups hand each child to, and a search (TDoSearch) that keeps the best hit
// over the tree.
//
// Threads: nodes are built, changed and freed on the GUI thread. A view's
// redraw thread calls Draw on the root and reads the flags (atomic), the
// children of groups and the sublayers' object lists. A group's children
// list is guarded by the group's lock: Draw holds it shared while it visits
// the children, and every change of the list (adding, removing, moving,
// sorting a child) holds it exclusively, so a node is never taken out of the
// tree while the redraw thread is inside it. The GUI thread reads the
// children without the lock (it is the only writer).
//
// Ownership: a group owns its children; the root is owned by its view. A node
// does not own its owner, its tree items, its layer-file handle (the layer
// store owns those) or its canvas.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/geometry/realgeom.h"
#include "objects/grobj.h"

namespace platform {
class TTreeNode;
class TTreeView;
}  // namespace platform

class TCancel;
class TClipBounds;
class TDrawParamsImp;
class TEGraphObj;
class TGrupaWarstw;
class TLayerStore;
class TLine;
class TPodwarstwa;
class TRealCanvas;
class TRealPointsList;
class TWarQuery;
class TWarstwaFile;
class TDoSearch;
class TUpdateWarstwa;
struct TLayerInfo;

// Flags word of a node.
inline constexpr std::uint16_t kNodeLoaded = 0x0001;
inline constexpr std::uint16_t kNodeVisible = 0x0002;
inline constexpr std::uint16_t kNodeShown = 0x0004;
inline constexpr std::uint16_t kNodeDrawn = 0x0008;       // drawn at the current scale
inline constexpr std::uint16_t kNodeChanged = 0x0010;
inline constexpr std::uint16_t kNodeReadOnly = 0x0020;
inline constexpr std::uint16_t kNodeFileOpen = 0x0040;    // held open by a load or fetch
inline constexpr std::uint16_t kNodeSuspended = 0x0080;
inline constexpr std::uint16_t kNodeWalking = 0x0100;
inline constexpr std::uint16_t kNodeWalkDone = 0x0400;    // file read or purged in this walk
inline constexpr std::uint16_t kNode3D = 0x1000;
inline constexpr std::uint16_t kNodeHistorical = 0x2000;
inline constexpr std::uint16_t kNodeNotClipped = 0x4000;
inline constexpr std::uint16_t kNodeBoundsStale = 0x8000;

// Node state bits (shown by the panel's state images 1 to 8).
inline constexpr std::uint32_t kStateTicked = 1;
inline constexpr std::uint32_t kStateActive = 2;
inline constexpr std::uint32_t kStateModified = 4;

// Type mask bits.
inline constexpr std::uint32_t kMaskText = 0x1;
inline constexpr std::uint32_t kMaskLine = 0x2;
inline constexpr std::uint32_t kMaskNumbered = 0x4;
inline constexpr std::uint32_t kMaskLevel = 0x18;      // bits 3 and 4
inline constexpr std::uint32_t kMaskSublayer = 0x8;
inline constexpr std::uint32_t kMaskLayer = 0x10;
inline constexpr std::uint32_t kMaskCatalogue = 0x18;
inline constexpr std::uint32_t kMaskOtherKinds = 0xFFF00;
inline constexpr std::uint32_t kMaskTextLike = 0x12C01;
inline constexpr std::uint32_t kMaskTicked = 0x80000000u;

// Redraw levels answered by the header edits.
inline constexpr int kRedrawNone = 1;
inline constexpr int kRedrawNode = 2;
inline constexpr int kRedrawAll = 3;

inline constexpr std::int32_t kOrderNone = 2147483647;

// The state of a node in the layer panel. While a tree item is attached the
// state lives in the item (StateIndex = State + 1, Expanded). A node shown in
// a second tree (a dialog's) attaches that tree's item over the panel's one:
// the new item starts with the live state, and detaching gives the panel's
// item back. The items belong to their trees: a tree that is cleared or freed
// before its nodes detaches them first (DetachTreeNode), otherwise the node
// frees its items when it goes.
class TNodeState {
 public:
  bool Expanded = false;
  std::uint32_t State = 0;
  platform::TTreeNode* TreeNode = nullptr;
  platform::TTreeNode* SavedTreeNode = nullptr;

  void AttachTreeNode(platform::TTreeNode* Item);
  void DetachTreeNode();
  // Deletes the attached and the saved tree items and forgets both.
  void FreeTreeNodes();
  bool GetFlag0() const;  // ticked
  void SetTicked(bool B);
  bool GetActive() const;
  void SetActive(bool B);
  bool GetModified() const;
  void SetModified(bool B);
  // The attached item's text, empty without one.
  std::string GetCaption() const;

 private:
  std::uint32_t Read() const;
  void SetBit(std::uint32_t Bit, bool B);
};

// A reference from an area to one boundary object.
struct TOutlineRef {
  std::int32_t LayerNumber = 0;
  std::uint32_t RecordNumber = 0;
};

// A search hit; Sublayer none means no hit. An object that no list holds
// (read from a file for the hit) belongs to the hit until ClearSearchHit.
struct TSearchHit {
  TEGraphObj* Object = nullptr;
  TPodwarstwa* Sublayer = nullptr;
  double Distance = 1.7e308;
  std::uint32_t TypeMask = 0;
};

// Frees the hit's object when nothing holds it and empties the hit.
void ClearSearchHit(TSearchHit& Hit);

// The value of an object asked by layer and record number.
struct TObjectValueResult {
  bool Found = false;
  ObjectValue Value;
};

class TWarstwaOgolna : public TObject {
 public:
  TWarstwaOgolna();
  ~TWarstwaOgolna() override;
  TWarstwaOgolna(const TWarstwaOgolna&) = delete;
  TWarstwaOgolna& operator=(const TWarstwaOgolna&) = delete;

  TNodeState NodeState;
  TGrupaWarstw* Owner = nullptr;
  std::string Name;
  std::int32_t OrderKey = kOrderNone;

  // --- The virtual operations, in table order ---
  virtual TRealRect GetObszar();
  virtual bool IsVisible() const;
  virtual void SetVisible(bool B);
  virtual bool IsLoaded() const;
  virtual void SetActive(bool B);
  virtual bool IsShown() const;
  virtual bool IsReadOnly() const;
  virtual std::uint32_t GetColor() const;
  virtual std::string GetIdent() const;
  virtual void PrepareCanvas(TRealCanvas& Canvas);
  virtual void Draw(TRealCanvas& Canvas) = 0;
  virtual void UpdateShownFlag();
  virtual platform::TTreeNode* AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent);
  virtual void DetachTreeNode();
  virtual void ShowInfo(TLayerInfo& Panel);
  virtual int GetImageIndex() const;
  virtual bool IsGroup() const;
  virtual void SetVisibleAll(bool B) = 0;
  virtual void Walk(TUpdateWarstwa& Visitor);
  virtual bool GetStateBit0() const;
  virtual std::uint32_t GetTypeMaskEx();
  virtual bool IsEmpty();
  virtual std::uint32_t GetTypeMask();
  virtual void Unload();
  virtual void Load(TWarQuery* Filter, TCancel* Cancel);
  virtual void LoadInWindow(const TRealRect& Window, TCancel* Cancel);
  virtual std::string GetDescription();
  virtual void Search(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchNumbered(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchPoint(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchField(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchFirst(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchMatching(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchNear(TDoSearch& S, TSearchHit& Hit);
  virtual void SearchInRect(TDoSearch& S, TSearchHit& Hit);
  virtual void FindByRecordNumber(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit);
  virtual void FetchObject(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit);
  virtual TWarstwaOgolna* FindByNumber(std::int32_t LayerNumber);
  virtual void GetObjectValue(std::int32_t LayerNumber, std::uint32_t Record, TObjectValueResult& Value);
  virtual void Save();
  virtual std::string GetSortName() const;
  virtual void PassCanvas(TRealCanvas* Canvas);
  virtual std::string GetCaption() const;
  virtual int GetNumber() const;
  virtual bool RestoreOriginal();
  virtual void CollectLayers(std::vector<TWarstwaOgolna*>& List);
  virtual bool SetItalic(bool B);
  virtual bool SetColor(std::uint32_t Colour);
  virtual bool SetLineType(const TLine* Style);
  virtual bool SetLotsThick(double Value);
  virtual bool SetGridScale(double Value);
  virtual bool SetDefaultColors();
  virtual bool CollectOutline(const std::vector<TOutlineRef>& Refs, TRealPointsList& Points);
  virtual bool CollectOutlineFromFile(const std::vector<TOutlineRef>& Refs, TRealPointsList& Points);
  virtual void PrepareTextParams(TDrawParamsImp* Params);
  // Mode 1: a node just created is being set up. Answers a redraw level.
  virtual int EditHeader(int Mode);
  virtual void UpdateIndex(TCancel* Cancel);
  virtual void AddObject(TEGraphObj* Obj) = 0;
  virtual void CollectTexts(std::vector<std::unique_ptr<TClipBounds>>& List, TDrawParamsImp* Params);
  virtual void DeleteOldArch(std::uint32_t Date, TCancel* Cancel);
  virtual std::string GetPrefixedName() const;
  virtual void FillWindowList();
  virtual std::int32_t GetLayerNumber() const;
  // Appends lines ending in "\n" to Out.
  virtual void Describe(std::string& Out, std::uint8_t Option);
  virtual void SelectSymbols();
  virtual void Transform(const TAffineMatrix& M, const std::string& Target, TCancel* Cancel);

  // --- Not virtual ---
  platform::TTreeNode* GetTreeNode() const { return NodeState.TreeNode; }
  bool IsActive() const { return NodeState.GetActive(); }
};

class TWarstwaImp : public TWarstwaOgolna {
 public:
  TWarstwaImp() = default;

  // The layer file (a layer and its sublayers hold the same); none for
  // nodes without a file.
  TWarstwaFile* FileHandle = nullptr;
  // The store the handle belongs to; none for nodes without a file.
  TLayerStore* Store = nullptr;
  TRealRect Bounds{};

  // The flags word; the redraw thread reads it, so every access is atomic.
  std::uint16_t Flags() const { return flags_.load(std::memory_order_relaxed); }
  bool HasFlag(std::uint16_t F) const { return (Flags() & F) != 0; }
  void SetFlag(std::uint16_t F, bool On = true);
  void ClearFlag(std::uint16_t F) { SetFlag(F, false); }
  bool IsChanged() const { return HasFlag(kNodeChanged); }

  TRealRect GetObszar() override;
  bool IsVisible() const override;
  void SetVisible(bool B) override;
  bool IsLoaded() const override;
  void SetActive(bool B) override;
  bool IsShown() const override;
  bool IsReadOnly() const override;
  void UpdateShownFlag() override;
  // A new last child of Parent captioned Name ("___" when empty), carrying
  // the node (as TWarstwaOgolna*) as its data, and attached.
  platform::TTreeNode* AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) override;
  // The owner recomputes its bounds.
  void Unload() override;
  // Forwarded to the owner, unless the owner is suspended (it is loading
  // its children itself, this one among them).
  void Load(TWarQuery* Filter, TCancel* Cancel) override;
  void LoadInWindow(const TRealRect& Window, TCancel* Cancel) override;
  std::string GetCaption() const override;
  void DeleteOldArch(std::uint32_t Date, TCancel* Cancel) override;
  void SelectSymbols() override;

 private:
  std::atomic<std::uint16_t> flags_{0};
};

// --- Visitors ---

// Ends a walk quietly from any depth.
class EAbortUpdate : public EAbort {
 public:
  EAbortUpdate();
};
[[noreturn]] void RaiseAbortUpdate();

class TUpdateWarstwa : public TObject {
 public:
  explicit TUpdateWarstwa(std::uint8_t Flag) : Flag(Flag) {}
  std::uint8_t Flag;

  virtual void Start(TWarstwaOgolna& Node);
  virtual bool Continue();
  virtual void Update(TWarstwaOgolna& Node) = 0;

  // Start, then Update; EAbortUpdate ends quietly, other errors pass.
  void Execute(TWarstwaOgolna& Node);
};

// --- Search base ---

class TDoSearch : public TObject {
 public:
  TDoSearch(const TRealPoint& Point, const TRealPoint& Tolerance);
  ~TDoSearch() override;

  TSearchHit Hit;
  TRealPoint Point;
  TRealPoint Tolerance;  // half-width and half-height of the rectangle
  TCancel* Cancel = nullptr;  // not owned
  std::unique_ptr<TDrawParamsImp> DrawParams;  // owned

  // The node search this kind of search runs (base: the node's Search).
  virtual void Search(TWarstwaOgolna& Node, TSearchHit& Hit);
  // Runs Search on Node and keeps the better hit (the best-hit rule). A hit
  // given up (replaced, or not better) is cleared with ClearSearchHit, so
  // an object read from a file for it does not outlive it.
  virtual bool Check(TWarstwaOgolna& Node);
  virtual bool Accept(TEGraphObj* Obj);

  bool Found() const { return Hit.Sublayer != nullptr; }
  void ClearResult() { ClearSearchHit(Hit); }
  // (Point - Tolerance, Point + Tolerance).
  TRealRect SearchRect() const;
};

// --- Groups ---

class TGrupaWarstw : public TWarstwaImp {
 public:
  explicit TGrupaWarstw(std::string Name);
  ~TGrupaWarstw() override;

  int GetCount() const { return static_cast<int>(children_.size()); }
  TWarstwaOgolna* GetItem(int Index) const;
  // Owns Node from here; its index in the order (key, then name).
  int AddChild(std::unique_ptr<TWarstwaOgolna> Node);
  // Takes Node out without freeing it (the caller owns it again) and
  // without recomputing anything.
  std::unique_ptr<TWarstwaOgolna> RemoveChild(TWarstwaOgolna* Node);
  void MoveChild(TWarstwaOgolna* Node, int NewIndex);
  void ResetOrder();
  void SortChildren();
  // (Name, node) of every child whose type mask shares a bit with Mask.
  void ListChildren(std::uint32_t Mask, std::vector<std::pair<std::string, TWarstwaOgolna*>>& List);
  void ChildStateChanged(bool Visible, bool Shown);
  void RecalcVisibility();
  void RecalcFlags();
  void RecalcExtentFromChildren();
  void RecalcExtent();
  bool AnyChildLoaded() const;
  void ExtendExtent(TWarstwaOgolna& Child);

  // The group lineage.
  virtual void BeginWalk();
  virtual void EndWalk();
  virtual void ChildActivated(bool B);
  virtual bool CanCollapse();

  // The children's order: key, then name byte by byte.
  static int CompareChildren(const TWarstwaOgolna& A, const TWarstwaOgolna& B);

  TRealRect GetObszar() override;
  void SetVisible(bool B) override;
  bool IsLoaded() const override;
  void SetActive(bool B) override;
  // Redraw thread. EAbortDraw when the canvas is aborted; nothing when not
  // shown; else every child in order under the shared lock. An EAbort from a
  // child passes unchanged; any other error gets "<group>, <child>, " put
  // before its message and keeps its class.
  void Draw(TRealCanvas& Canvas) override;
  void UpdateShownFlag() override;
  platform::TTreeNode* AddTreeNode(platform::TTreeView& Items, platform::TTreeNode* Parent) override;
  void DetachTreeNode() override;
  bool IsGroup() const override;
  void SetVisibleAll(bool B) override;
  // Marks the walk (0x0100, BeginWalk) around the children's visit; the
  // marks end (EndWalk, flag cleared) also when the visitor stops the walk
  // with an exception.
  void Walk(TUpdateWarstwa& Visitor) override;
  std::uint32_t GetTypeMaskEx() override;
  bool IsEmpty() override;
  std::uint32_t GetTypeMask() override;
  // Unloads every child, then recomputes its visible and shown flags from
  // the children and has the owner recompute its bounds.
  void Unload() override;
  void Load(TWarQuery* Filter, TCancel* Cancel) override;
  void LoadInWindow(const TRealRect& Window, TCancel* Cancel) override;
  void Search(TDoSearch& S, TSearchHit& Hit) override;
  void FindByRecordNumber(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) override;
  void FetchObject(std::int32_t LayerNumber, std::uint32_t Record, TSearchHit& Hit) override;
  TWarstwaOgolna* FindByNumber(std::int32_t LayerNumber) override;
  void GetObjectValue(std::int32_t LayerNumber, std::uint32_t Record, TObjectValueResult& Value) override;
  void Save() override;
  void PassCanvas(TRealCanvas* Canvas) override;
  bool RestoreOriginal() override;
  void CollectLayers(std::vector<TWarstwaOgolna*>& List) override;
  bool SetDefaultColors() override;
  bool CollectOutline(const std::vector<TOutlineRef>& Refs, TRealPointsList& Points) override;
  bool CollectOutlineFromFile(const std::vector<TOutlineRef>& Refs, TRealPointsList& Points) override;
  void Describe(std::string& Out, std::uint8_t Option) override;
  // A group holds no objects itself: raises EInternalError.
  void AddObject(TEGraphObj* Obj) override;

 protected:
  // Guards children_ against the redraw thread (see the file comment).
  mutable std::shared_mutex childrenLock_;
  std::vector<std::unique_ptr<TWarstwaOgolna>> children_;
};
