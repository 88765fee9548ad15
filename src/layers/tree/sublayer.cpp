#include "layers/tree/sublayer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "drawing/realcanvas.h"
#include "foundation/errors.h"
#include "foundation/text/datetime.h"
#include "foundation/text/textutil.h"
#include "foundation/threads/cancel.h"
#include "foundation/users/users.h"
#include "layers/dialogs/layerdlg.h"
#include "layers/dialogs/sublayerdlg.h"
#include "layers/store/layerapi.h"
#include "layers/tree/layertree.h"
#include "layers/tree/objectlist.h"
#include "layers/tree/treehost.h"
#include "objects/grobj.h"
#include "objects/saverecord.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"

using namespace platform;

namespace {

constexpr double kNoHit = 1.7e308;

// The visible world rectangle of a canvas; everything without dimensions.
TRealRect VisibleWorld(TRealCanvas& Canvas) {
  if (const TWindowDim* d = Canvas.Dims(); d != nullptr) return RealRect(d->X1, d->Y1, d->X2, d->Y2);
  return TRealRect{-1e300, -1e300, 1e300, 1e300};
}

}  // namespace

std::string SublayerNumberText(int Number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2d", Number);
  return buf;
}

// --- Construction and life ---

TPodwarstwa::TPodwarstwa(TLayerStore* AStore, TWarstwaFile* Handle, int ANumber, TRealCanvas* AViewCanvas) {
  Store = AStore;
  FileHandle = Handle;
  Number = static_cast<std::uint16_t>(ANumber);
  ViewCanvas = AViewCanvas;
  Name = SublayerNumberText(ANumber);
}

TPodwarstwa::~TPodwarstwa() {
  DropLastAdded();
  {
    std::lock_guard<std::mutex> guard(listLife_);
    objects_.reset();
  }
  deleted_.reset();
  listeners_.clear();
  if (HasFlag(kNodeFileOpen) && Store != nullptr && FileHandle != nullptr) {
    try {
      DBInt::CloseWarstwa(*Store, FileHandle);
    } catch (...) {
      // A destructor cannot report; the file object closes itself with its database.
    }
  }
}

void TPodwarstwa::InitFromHeader(TWarstwaHeader& Header) {
  Store->ReadPodwarstwaHeader(FileHandle, Number, Header);
  Name = SublayerNumberText(Number) + " " + Header.ShortName;
  Colour = Header.Colour;
  HeaderColour = Header.Colour;
  PrintColour = Header.PrintColour;
  SetVisible((Header.Type & 0x4) != 0);
  DisplayThreshold = Header.Threshold;
  FullName = Header.FullName;
  LineThickness = Header.LineWidth;
  SetFlag(kNodeNotClipped, (Header.Type & 0x10) != 0);
}

TWarstwa* TPodwarstwa::Layer() const { return dynamic_cast<TWarstwa*>(Owner); }

void TPodwarstwa::CreateObjectList() {
  auto list = std::make_unique<TGrObjList>();
  list->SetCapacity(1024);
  list->SetDelta(16384);
  InstallObjectList(std::move(list));
}

void TPodwarstwa::InstallObjectList(std::unique_ptr<TGrObjList> List) {
  std::unique_ptr<TGrObjList> old;
  {
    std::lock_guard<std::mutex> guard(listLife_);
    old = std::exchange(objects_, std::move(List));
  }
  old.reset();
  PostMainFormNotify(kMainFormSublayerList);
}

void TPodwarstwa::DropLastAdded() {
  TEGraphObj* last = std::exchange(LastAdded, nullptr);
  FreeGraphObj(last);
}

void TPodwarstwa::Notify(TEGraphObj* Old, TEGraphObj* New) {
  // A listener may remove itself (or others) while it is told.
  const std::vector<TSublayerListener> listeners = listeners_;
  for (const TSublayerListener& l : listeners)
    if (l.Call) l.Call(*this, Old, New);
}

void TPodwarstwa::ExtendBounds(const TEGraphObj& Obj, bool First) {
  const TRealRect b = Obj.GetBounds();
  Bounds = First ? b : UnionRealRect(Bounds, b);
}

// --- Object operations ---

void TPodwarstwa::AddObject(TEGraphObj* Obj) {
  if (Obj == nullptr) throw EInternalError("TPodwarstwa.AddObject: brak obiektu");
  if (!objects_) {
    CreateObjectList();
    objects_->Add(Obj);  // an empty list takes any key
    ExtendBounds(*Obj, true);
  } else {
    const bool first = objects_->Count() == 0;
    objects_->Insert(objects_->Count(), Obj);
    ExtendBounds(*Obj, first);
  }
  Obj->MarkInList();
  if (LastAdded != Obj) DropLastAdded();
  LastAdded = Obj;
  SetFlag(kNodeChanged);
  NodeState.SetModified(true);
  if (!IsLoaded()) {
    SetFlag(kNodeLoaded);
    UpdateShownFlag();
  }
}

void TPodwarstwa::InsertObject(TEGraphObj* Obj) {
  if (Obj == nullptr) throw EInternalError("TPodwarstwa.InsertObject: brak obiektu");
  if (!objects_) CreateObjectList();
  const bool first = objects_->Count() == 0;
  if ((Obj->IndexWord & kIndexInList) != 0 && deleted_) {
    for (int i = 0; i < deleted_->Count(); ++i) {
      if (Obj->IsSameObject(deleted_->Get(i))) {
        deleted_->Delete(i);
        break;
      }
    }
  }
  int index;
  if (Obj->GetIndex() == 0) {
    index = objects_->Count();
    objects_->Insert(index, Obj);
  } else {
    // A record number already present: the list lets go of Obj (freed
    // unless the undo manager still holds it), so Obj is not touched again.
    index = objects_->Add(Obj);
  }
  if (index >= 0) {
    Obj->MarkInList();
    Obj->MarkChanged();
    ExtendBounds(*Obj, first);
  }
  SetFlag(kNodeChanged);
  NodeState.SetModified(true);
}

void TPodwarstwa::CreateNewFromRecord(const ObjectSaveRecord& Rec) {
  std::unique_ptr<TEGraphObj> obj = CreateObjectFromRecord(Rec);
  if (!obj)
    throw EWarstwaError("Podwarstwa " + Name + " nie przyjmuje obiektu rodzaju " +
                        std::to_string(Rec.GetKindByte()));
  obj->SetIndexChanged(0);
  AddObject(obj.get());
  obj.release();
}

void TPodwarstwa::DeleteObjectEx(TEGraphObj* Obj, bool DoNotify) {
  if (IsReadOnly()) throw EWarstwaError(TolvikaErrorCode::RemoveFromReadOnly);
  if (!objects_ || Obj == nullptr) return;
  if (objects_->Remove(Obj) < 0) return;
  SetFlag(kNodeBoundsStale);
  if (Obj == LastAdded) LastAdded = Obj->Clone().release();
  if (DoNotify) Notify(Obj, nullptr);
  if (Obj->GetIndex() == 0) {
    TEGraphObj::UnmarkInList(Obj);
    FreeGraphObj(Obj);
    return;
  }
  if (!deleted_) deleted_ = std::make_unique<TGrObjDeletedList>();
  deleted_->Add(Obj);
  SetFlag(kNodeChanged);
  NodeState.SetModified(true);
}

void TPodwarstwa::ReplaceObject(TEGraphObj* Old, TEGraphObj* New) {
  int index = -1;
  if (objects_ && Old != nullptr) {
    if (!objects_->Find(Old->GetIndex(), index) || objects_->Get(index) != Old) index = IndexOfObject(Old);
  }
  if (index < 0) throw EWarstwaError(TolvikaErrorCode::InvalidWhere);
  ReplaceAtIndex(index, New);
}

void TPodwarstwa::ReplaceAtIndex(int Index, TEGraphObj* New) {
  if (!objects_ || Index < 0 || Index >= objects_->Count() || New == nullptr)
    throw EWarstwaError(TolvikaErrorCode::InvalidWhere);
  std::lock_guard<std::recursive_mutex> guard(objects_->Lock());
  TEGraphObj* old = objects_->Get(Index);
  if (old != New) {
    if (old == LastAdded) LastAdded = old->Clone().release();
    New->SetIndexChanged(old->GetIndex());
    New->MarkInList();
    Notify(old, New);
    objects_->Put(Index, New);
    TEGraphObj::UnmarkInList(old);
    FreeGraphObj(old);
    Bounds = UnionRealRect(Bounds, New->GetBounds());
  } else {
    New->MarkChanged();
  }
  SetFlag(kNodeChanged);
  NodeState.SetModified(true);
}

TEGraphObj* TPodwarstwa::RestoreAtIndex(int Index, TEGraphObj* Obj) {
  if (!objects_ || Index < 0 || Index >= objects_->Count() || Obj == nullptr)
    throw EWarstwaError(TolvikaErrorCode::InvalidWhere);
  std::lock_guard<std::recursive_mutex> guard(objects_->Lock());
  TEGraphObj* old = objects_->Get(Index);
  if (old == Obj) return old;
  if (old == LastAdded) LastAdded = old->Clone().release();
  Obj->SetIndexUnchanged(old->GetIndex());
  Obj->MarkInList();
  Notify(old, Obj);
  objects_->Put(Index, Obj);
  TEGraphObj::UnmarkInList(old);
  Bounds = UnionRealRect(Bounds, Obj->GetBounds());
  return old;
}

void TPodwarstwa::ObjectChanged(TEGraphObj* Obj) {
  if (objects_ && Obj != nullptr) {
    std::lock_guard<std::recursive_mutex> guard(objects_->Lock());
    const int index = objects_->IndexOf(Obj);
    if (index >= 0) {
      objects_->UpdateCells(index);
      Bounds = UnionRealRect(Bounds, Obj->GetBounds());
    }
  }
  SetFlag(kNodeChanged);
  NodeState.SetModified(true);
}

int TPodwarstwa::IndexOfObject(const TEGraphObj* Obj) const { return objects_ ? objects_->IndexOf(Obj) : -1; }

TEGraphObj* TPodwarstwa::GetObjectAt(int Index) const {
  if (!objects_ || Index < 0 || Index >= objects_->Count()) return nullptr;
  return objects_->Get(Index);
}

void TPodwarstwa::AddChangeListener(const TSublayerListener& L) {
  for (const TSublayerListener& l : listeners_)
    if (l.Data == L.Data) return;
  listeners_.push_back(L);
}

void TPodwarstwa::RemoveChangeListener(const void* Data) {
  std::erase_if(listeners_, [Data](const TSublayerListener& l) { return l.Data == Data; });
}

void TPodwarstwa::ResetSearchCache() {
  if (objects_) objects_->InvalidateFrame();
}

// --- Loading ---

void TPodwarstwa::AddFromRecord(const ObjectSaveRecord& Rec) {
  if (!objects_) CreateObjectList();
  // A load into an empty list computes the cells once, when it ends
  // (MarkLoaded frames the list to the bounds read).
  if (objects_->Count() == 0 && !objects_->CellsDeferred()) objects_->DeferCells();
  // A whole load reads the records in ascending number: a record above the
  // last entry's goes at the end without a search.
  const int count = objects_->Count();
  int index = count;
  if (count > 0 && objects_->Get(count - 1)->GetIndex() >= Rec.GetIndex() &&
      objects_->Find(Rec.GetIndex(), index))
    return;  // already loaded (overlapping windows)
  std::unique_ptr<TEGraphObj> obj = CreateObjectFromRecord(Rec);
  if (!obj) return;
  const bool first = count == 0;
  objects_->Insert(index, obj.get());
  TEGraphObj* placed = obj.release();
  placed->MarkInList();
  ExtendBounds(*placed, first);
}

void TPodwarstwa::MarkLoaded() {
  // The bounds gathered while reading are the list's frame.
  if (objects_ && objects_->CellsDeferred()) objects_->FrameTo(Bounds);
  SetFlag(kNodeLoaded);
  if (objects_ && objects_->Count() > 0) UpdateShownFlag();
}

void TPodwarstwa::ReserveObjects(int N) {
  if (!objects_) CreateObjectList();
  if (objects_->Capacity() < N) objects_->SetCapacity(N);
}

int TPodwarstwa::GetSublayerCount() const { return Owner != nullptr ? Owner->GetCount() : Number + 1; }

// --- Canvas and drawing ---

void TPodwarstwa::PrepareCommon(TRealCanvas& Canvas) {
  Canvas.Pen->SetStyle(0);
  Canvas.Pen->SetMode(4);
  Canvas.Pen->SetColor(Colour);
  // The print canvas takes the sublayer (its print colour and the occlusion
  // of its texts); the screen ignores both.
  Canvas.UpdateOcclusion(this);
  Canvas.SetOutputHold(HasFlag(kNodeNotClipped));
}

void TPodwarstwa::PrepareCanvas(TRealCanvas& Canvas) {
  PrepareCommon(Canvas);
  Canvas.SaveCanvasState();
}

bool TPodwarstwa::IsDrawable(TDrawParamsImp* Params) {
  if (IsShown() && objects_ && Params != nullptr && Params->PassesThreshold(static_cast<float>(DisplayThreshold))) {
    SetFlag(kNodeDrawn);
    return true;
  }
  ClearFlag(kNodeDrawn);
  return false;
}

void TPodwarstwa::Draw(TRealCanvas& Canvas) {
  // Held for the whole drawing: Unload waits before it drops the list.
  std::lock_guard<std::mutex> life(listLife_);
  if (!IsDrawable(&Canvas)) return;
  TGrObjList& list = *objects_;
  PrepareCanvas(Canvas);
  {
    TListQuery query(list, VisibleWorld(Canvas), &Canvas);
    list.PrepareDensity();
    // Only the entries the list's grid places near the window.
    const int count = list.QueryCount();
    for (int k = 0; k < count; ++k) {
      const int i = list.QueryIndex(k);
      if (!list.InQueryWindow(i) || !list.DensityAccept(i)) continue;
      const TEGraphObj* obj = list.Get(i);
      if (obj->IsSimpleDraw()) Canvas.RestoreCanvasState();
      obj->Draw(Canvas);
    }
  }
  Canvas.SetDrawOption(doClearAll, false);
}

// --- Node operations ---

TRealRect TPodwarstwa::GetObszar() {
  if (HasFlag(kNodeBoundsStale)) {
    if (!objects_ || objects_->Count() == 0) {
      Bounds = TRealRect{};
    } else {
      const int count = objects_->Count();
      Bounds = objects_->Get(0)->GetBounds();
      for (int i = 1; i < count; ++i) Bounds = UnionRealRect(Bounds, objects_->Get(i)->GetBounds());
      objects_->CheckFrame(Bounds);
    }
    ClearFlag(kNodeBoundsStale);
  }
  return Bounds;
}

std::string TPodwarstwa::GetIdent() const { return std::to_string(Number); }

void TPodwarstwa::ShowInfo(TLayerInfo& Panel) {
  Panel.FullName = FullName;
  if (objects_) {
    Panel.I1c = "Ilość odczytanych elementów";
    Panel.I1v = std::to_string(objects_->Count());
  }
}

bool TPodwarstwa::IsEmpty() { return !objects_ || objects_->Count() == 0; }

void TPodwarstwa::Unload() {
  DropLastAdded();
  std::unique_ptr<TGrObjList> old;
  {
    std::lock_guard<std::mutex> guard(listLife_);
    old = std::move(objects_);
  }
  old.reset();
  // The deletions are lost with the other unsaved changes: a reload shows the
  // stored objects again, and a later save must not archive them.
  deleted_.reset();
  Notify(nullptr, nullptr);
  if (HasFlag(kNodeHistorical)) ClearFlag(kNodeHistorical | kNodeReadOnly);
  PostMainFormNotify(kMainFormSublayerList);
  ClearFlag(kNodeLoaded | kNodeChanged);
  NodeState.SetModified(false);
  Bounds = TRealRect{};
  UpdateShownFlag();
  TWarstwaImp::Unload();
}

std::string TPodwarstwa::GetDescription() {
  return (Owner != nullptr ? Owner->Name : std::string()) + " (" + Name + ")";
}

// --- Searches ---

// The two loops every sublayer search runs, over the objects of the search
// rectangle (Windowed: the list's query on it, which holds the list's lock)
// or over every object (the lock alone). Both need a list and a sublayer
// drawn at the current scale.
template <class Measure>
void TPodwarstwa::NearestSearch(TDoSearch& S, TSearchHit& Hit, bool Windowed, double Best, Measure Distance) {
  Hit.Sublayer = nullptr;
  if (!objects_ || !HasFlag(kNodeDrawn)) return;
  TEGraphObj* found = nullptr;
  ForEachSearched(S, Windowed, [&](TEGraphObj* obj) {
    // A negative distance is no candidate; the first of equal ones stays.
    const double d = Distance(obj);
    if (d >= 0 && d < Best && S.Accept(obj)) {
      Best = d;
      found = obj;
    }
  });
  if (found != nullptr) {
    FillHit(Hit, found);
    Hit.Distance = Best;
  }
}

template <class Test>
void TPodwarstwa::LastAcceptedSearch(TDoSearch& S, TSearchHit& Hit, bool Windowed, Test Candidate) {
  Hit.Sublayer = nullptr;
  if (!objects_ || !HasFlag(kNodeDrawn)) return;
  TEGraphObj* found = nullptr;
  ForEachSearched(S, Windowed, [&](TEGraphObj* obj) {
    if (Candidate(obj) && S.Accept(obj)) found = obj;
  });
  if (found != nullptr) FillHit(Hit, found);
}

template <class Visit>
void TPodwarstwa::ForEachSearched(TDoSearch& S, bool Windowed, Visit Each) {
  TGrObjList& list = *objects_;
  if (Windowed) {
    TListQuery query(list, S.SearchRect(), S.DrawParams.get());
    for (int k = 0; k < list.QueryCount(); ++k) {
      const int i = list.QueryIndex(k);
      if (list.InQueryWindow(i)) Each(list.Get(i));
    }
  } else {
    std::lock_guard<std::recursive_mutex> guard(list.Lock());
    for (int i = 0; i < list.Count(); ++i) Each(list.Get(i));
  }
}

platform::TTreeNode* TPodwarstwa::AddTreeNodeWithImage(platform::TTreeView& Items, platform::TTreeNode* Parent,
                                                      int Image) {
  platform::TTreeNode* item = TWarstwaImp::AddTreeNode(Items, Parent);
  if (item != nullptr) {
    item->SetImageIndex(Image);
    item->SetSelectedIndex(Image);
  }
  return item;
}

void TPodwarstwa::FillHit(TSearchHit& Hit, TEGraphObj* Found) {
  Hit.Object = Found;
  Hit.Sublayer = this;
  Hit.TypeMask = GetTypeMask();
}

void TPodwarstwa::Search(TDoSearch& S, TSearchHit& Hit) {
  TDrawParamsImp* params = S.DrawParams.get();
  NearestSearch(S, Hit, true, kNoHit, [&](TEGraphObj* obj) {
    double d = 0;
    return obj->HitDistance(S.Point, S.Tolerance, params, d) ? d : -1.0;
  });
}

void TPodwarstwa::SearchNumbered(TDoSearch& S, TSearchHit& Hit) { Search(S, Hit); }

void TPodwarstwa::SearchPoint(TDoSearch& S, TSearchHit& Hit) {
  NearestSearch(S, Hit, true, kNoHit, [&](TEGraphObj* obj) { return obj->DistanceIfNear(S.Point, S.Tolerance); });
}

void TPodwarstwa::SearchField(TDoSearch& S, TSearchHit& Hit) {
  // Over every object, from the distance the search already holds.
  NearestSearch(S, Hit, false, S.Hit.Distance, [&](TEGraphObj* obj) { return obj->RayDistanceY(S.Point); });
}

void TPodwarstwa::SearchFirst(TDoSearch&, TSearchHit& Hit) { Hit.Sublayer = nullptr; }

void TPodwarstwa::SearchMatching(TDoSearch& S, TSearchHit& Hit) {
  LastAcceptedSearch(S, Hit, false, [](TEGraphObj*) { return true; });
}

void TPodwarstwa::SearchNear(TDoSearch& S, TSearchHit& Hit) {
  TDrawParamsImp* params = S.DrawParams.get();
  LastAcceptedSearch(S, Hit, true, [&](TEGraphObj* obj) { return obj->IsNear(S.Point, S.Tolerance, params); });
}

void TPodwarstwa::SearchInRect(TDoSearch& S, TSearchHit& Hit) {
  LastAcceptedSearch(S, Hit, true, [](TEGraphObj*) { return true; });
}

void TPodwarstwa::FindByRecordNumber(std::int32_t, std::uint32_t Record, TSearchHit& Hit) {
  Hit.Sublayer = nullptr;
  Hit.Object = nullptr;
  int index = 0;
  // Record 0 is the key of every object not stored yet, never a stored one.
  if (!objects_ || Record == 0 || !objects_->Find(Record, index)) return;
  Hit.Object = objects_->Get(index);
  Hit.Sublayer = this;
  Hit.TypeMask = GetTypeMask();
}

// --- Values ---

bool TPodwarstwa::FindLoadedValue(std::uint32_t Record, TObjectValueResult& Value) {
  int index = 0;
  if (!objects_ || Record == 0 || !objects_->Find(Record, index)) return false;
  Value.Value = objects_->Get(index)->GetValue();
  Value.Found = true;
  return true;
}

void TPodwarstwa::ReadValueFromFile(std::uint32_t Record, TObjectValueResult& Value) {
  Value.Found = false;
  OpenLayerFile(true);
  try {
    ObjectSaveRecord rec;
    if (DBInt::ReadRecordAt(*Store, FileHandle, Record, rec) >= 0) {
      if (std::unique_ptr<TEGraphObj> obj = CreateObjectFromRecord(rec)) {
        Value.Value = obj->GetValue();
        Value.Found = true;
      }
    }
  } catch (...) {
    CloseAfterError();
    throw;
  }
  CloseFile();
}

void TPodwarstwa::GetObjectValue(std::int32_t, std::uint32_t Record, TObjectValueResult& Value) {
  Value.Found = false;
  if (FindLoadedValue(Record, Value)) return;
  ReadValueFromFile(Record, Value);
}

// --- The layer file ---

void TPodwarstwa::OpenLayerFile(bool ReadOnly) {
  TWarstwa* layer = Layer();
  if (layer == nullptr) throw EInternalError("Layer hasn't owner");
  layer->OpenAndSync(ReadOnly);
}

void TPodwarstwa::CloseFile() { DBInt::CloseWarstwa(*Store, FileHandle); }

void TPodwarstwa::CloseAfterError() noexcept {
  try {
    CloseFile();
  } catch (...) {
    // The first error is the one the caller hears of.
  }
}

void TPodwarstwa::ReadHeader(TWarstwaHeader& Header) {
  OpenLayerFile(true);
  try {
    Store->ReadPodwarstwaHeader(FileHandle, Number, Header);
  } catch (...) {
    CloseAfterError();
    throw;
  }
  CloseFile();
}

void TPodwarstwa::WriteHeader(const TWarstwaHeader& Header) {
  OpenLayerFile(false);
  try {
    Store->WritePodwarstwaHeader(FileHandle, Number, Header);
  } catch (...) {
    CloseAfterError();
    throw;
  }
  CloseFile();
}

void TPodwarstwa::Save() {
  if (!objects_) return;
  TGrObjList& list = *objects_;
  bool anyChanged = false;
  for (int i = 0; i < list.Count() && !anyChanged; ++i) anyChanged = list.Get(i)->IsChanged();
  if (!anyChanged && (!deleted_ || deleted_->Count() == 0)) {
    ClearFlag(kNodeChanged);
    NodeState.SetModified(false);
    return;
  }
  OpenLayerFile(false);
  try {
    if (anyChanged) {
      for (int i = 0; i < list.Count(); ++i) {
        TEGraphObj* obj = list.Get(i);
        if (!obj->IsChanged()) continue;
        ObjectSaveRecord rec;
        obj->SaveToRecord(rec);
        rec.SetSublayer(static_cast<std::uint8_t>(Number & 0xFF));
        std::int64_t n = rec.GetIndex();
        if (n == 0)
          n = Store->AddRecord(FileHandle, rec);
        else
          Store->WriteRecord(FileHandle, n, rec);
        obj->SetIndexUnchanged(static_cast<std::uint32_t>(n));
      }
    }
    // Each archived object leaves the list at once, so a save that fails
    // half-way archives only the rest the next time.
    while (deleted_ && deleted_->Count() > 0) {
      TEGraphObj* obj = deleted_->Get(0);
      Store->MoveToArch(FileHandle, obj->GetIndex(), obj->GetIdent());
      deleted_->Delete(0);
      TEGraphObj::UnmarkInList(obj);
      FreeGraphObj(obj);
    }
    deleted_.reset();
    if (TWarstwa* layer = Layer()) layer->DropStatistics();
  } catch (...) {
    CloseAfterError();
    list.Sort();
    throw;
  }
  try {
    CloseFile();
  } catch (...) {
    list.Sort();
    throw;
  }
  list.Sort();
  ClearFlag(kNodeChanged);
  NodeState.SetModified(false);
}

// --- Colours and the rest of the node table ---

bool TPodwarstwa::RestoreOriginal() {
  const bool changed = Colour != HeaderColour;
  Colour = HeaderColour;
  return changed;
}

bool TPodwarstwa::SetColor(std::uint32_t C) {
  const bool changed = Colour != C;
  Colour = C;
  return changed;
}

bool TPodwarstwa::SetDefaultColors() {
  if (!IsLoaded() || !objects_) return false;
  bool changed = false;
  for (int i = 0; i < objects_->Count(); ++i) {
    TEGraphObj* obj = objects_->Get(i);
    if (!obj->HasDefaultColor()) {
      obj->SetDefaultColor(true);
      changed = true;
    }
  }
  return changed;
}

void TPodwarstwa::UpdateIndex(TCancel* Cancel) {
  if (Owner != nullptr) Owner->UpdateIndex(Cancel);
}

std::int32_t TPodwarstwa::GetLayerNumber() const {
  const TWarstwa* layer = Layer();
  return layer != nullptr ? layer->LayerNumber : 0;
}

void TPodwarstwa::Describe(std::string& Out, std::uint8_t) {
  Out += "   " + PadRight(Name, 13) + " " + FullName + "\n";
}

void TPodwarstwa::DescribeLocation(IGrObjInfo& Info, std::uint32_t Record) {
  if (const TWarstwa* layer = Layer()) {
    if (layer->Owner != nullptr) {
      Info.SetLabel(2, 1, "Katalog");
      Info.SetValue(2, 1, layer->Owner->Name);
    }
    Info.SetLabel(3, 1, "Warstwa");
    Info.SetValue(3, 1, layer->Name);
  }
  Info.SetLabel(3, 2, "Podwarstwa");
  Info.SetValue(3, 2, Name);
  if (Record == 0) return;
  TUserIDs ids;
  OpenLayerFile(true);
  try {
    Store->GetUserIDs(FileHandle, Record, ids);
  } catch (...) {
    CloseAfterError();
    throw;
  }
  CloseFile();
  Info.SetLabel(4, 1, "Utworzył");
  Info.SetValue(4, 1, UserManager().GetUserName(ids.Creator));
  Info.SetLabel(4, 2, "Data");
  Info.SetValue(4, 2, PackedDateTimeToStr(ids.Created, true));
  Info.SetValue(5, 1, UserManager().GetUserName(ids.Modifier));
  Info.SetLabel(5, 2, "Data");
  Info.SetValue(5, 2, PackedDateTimeToStr(ids.Modified, true));
}

// --- Header dialogs, the common part ---

void TPodwarstwa::EditHeaderCommon(TChangePodwarstwaHeader& Dialog, const TWarstwaHeader& Header) {
  TChangePodwarstwaHeader::AppendNumberToCaption(Dialog, Number);
  Dialog.Nazwa->SetText(Header.ShortName);
  Dialog.DlugaNazwa->SetText(Header.FullName);
  Dialog.SetKolor(Header.Colour);
  Dialog.SetPrintKolor(Header.PrintColour);
  Dialog.SetWarunek(Header.Threshold);
  Dialog.Visible->SetChecked((Header.Type & 0x4) != 0);
  Dialog.SetGrubosc(Header.LineWidth);
  if (ViewCanvas != nullptr && ViewCanvas->Dims() != nullptr) Dialog.CurrentScale = ViewCanvas->Dims()->GetScale();
  Dialog.NotClipCB->SetChecked((Header.Type & 0x10) != 0);
  Dialog.MovePodwarstwaBtn->SetEnabled(!IsReadOnly());
}

int TPodwarstwa::ReadHeaderDialog(TChangePodwarstwaHeader& Dialog, TWarstwaHeader& Header) {
  Header.ShortName = Dialog.Nazwa->Text();
  Name = SublayerNumberText(Number) + " " + Header.ShortName;
  if (GetTreeNode() != nullptr) GetTreeNode()->SetText(Name);
  Header.FullName = Dialog.DlugaNazwa->Text();
  FullName = Header.FullName;
  int level = Dialog.Kolor() == Colour ? kRedrawNone : kRedrawNode;
  Header.Colour = Dialog.Kolor();
  Header.PrintColour = Dialog.PrintKolor();
  PrintColour = Header.PrintColour;
  if (Dialog.Warunek() != DisplayThreshold) level = kRedrawAll;
  Header.Threshold = Dialog.Warunek();
  const bool visible = Dialog.Visible->Checked();
  const bool notClipped = Dialog.NotClipCB->Checked();
  // Hiding or showing changes the whole view; the clipping option this node.
  if (visible != IsVisible()) level = kRedrawAll;
  if (notClipped != HasFlag(kNodeNotClipped)) level = std::max(level, kRedrawNode);
  Header.Type = (Header.Type & ~0x14u) | (visible ? 0x4u : 0u) | (notClipped ? 0x10u : 0u);
  SetFlag(kNodeNotClipped, notClipped);
  Colour = Header.Colour;
  HeaderColour = Header.Colour;
  DisplayThreshold = Header.Threshold;
  SetVisible(visible);
  Header.LineWidth = Dialog.Grubosc();
  LineThickness = Header.LineWidth;
  UpdateShownFlag();
  return level;
}

int TPodwarstwa::HeaderDialogAction(int ModalResult) {
  switch (ModalResult) {
    case mrCancel:
      return 0x10;
    case TChangePodwarstwaHeader::kMoveContent:
      return 0x10 | MoveContents();
    case TChangePodwarstwaHeader::kDeleteContent:
      return 0x10 | ClearContents();
    default:
      return 0;
  }
}

int TPodwarstwa::MoveContents() {
  if (IsReadOnly()) return 0;
  TWarstwa* layer = Layer();
  if (layer == nullptr) throw EInternalError("Layer hasn't owner");
  if (layer->GetCount() < 2) {
    MessageBox("Warstwa nie ma innych podwarstw.", "Informacja", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  TMovePodwarstwaD dialog;
  int own = 0;
  for (int i = 0; i < layer->GetCount(); ++i) {
    TWarstwaOgolna* child = layer->GetItem(i);
    dialog.DestPodwarstwa->Items().Add(child->Name, child);
    if (child == this) own = i;
  }
  dialog.DestPodwarstwa->SetItemIndex(own);
  if (dialog.ShowModal() != mrOk) return 0;
  const int chosen = dialog.DestPodwarstwa->ItemIndex();
  if (chosen < 0 || chosen >= layer->GetCount()) return 0;
  const int target = layer->GetItem(chosen)->GetNumber();
  // What is not saved yet moves too: the content is moved in the file.
  if (IsChanged()) Save();
  OpenLayerFile(false);
  try {
    DBInt::MovePodwarstwa(*Store, FileHandle, Number, target);
    Unload();
  } catch (...) {
    CloseAfterError();
    throw;
  }
  CloseFile();
  return kRedrawAll;
}

int TPodwarstwa::ClearContents() {
  if (IsReadOnly()) return 0;
  if (MessageBox("Uwaga !\nZawartość podwarstwy łącznie z archiwum zostanie usunięta. Nie będzie można "
                 "cofnąć tej operacji.",
                 "Potwierdź", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return 0;
  OpenLayerFile(false);
  try {
    DBInt::MovePodwarstwa(*Store, FileHandle, Number, -1);
    Unload();
  } catch (...) {
    CloseAfterError();
    throw;
  }
  CloseFile();
  TCancel cancel(2000, "Usuwanie podwarstwy");
  DBInt::UpdateIndex(*Store, FileHandle, &cancel);
  return kRedrawNode;
}
