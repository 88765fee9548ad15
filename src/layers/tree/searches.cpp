// The kinds of search over the layer tree (see searches.h).
#include "layers/tree/searches.h"

#include <utility>

#include "layers/tree/layertree.h"
#include "foundation/threads/cancel.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/undo.h"
#include "objects/grobj.h"

namespace {

// Puts a walk flag back as it was when the scope ends, also when a search
// ends the walk with an exception.
class TRestoreFlag {
 public:
  explicit TRestoreFlag(bool& Flag) : flag_(Flag), saved_(Flag) {}
  ~TRestoreFlag() { flag_ = saved_; }
  TRestoreFlag(const TRestoreFlag&) = delete;
  TRestoreFlag& operator=(const TRestoreFlag&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

}  // namespace

// --- TSubSetSearch ---

TSubSetSearch::TSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask)
    : TDoSearch(Point, Tolerance), SearchMask(SearchMask) {}

bool TSubSetSearch::Check(TWarstwaOgolna& Node) {
  if ((Node.GetTypeMask() & SearchMask) == 0) return false;
  return TDoSearch::Check(Node);
}

TSubSetSearchOm::TSubSetSearchOm(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                                 const TEGraphObj* OmittedObject)
    : TSubSetSearch(Point, Tolerance, SearchMask), OmittedObject(OmittedObject) {}

bool TSubSetSearchOm::Accept(TEGraphObj* Obj) { return Obj != OmittedObject && TSubSetSearch::Accept(Obj); }

void TFieldSubSetSearch::Search(TWarstwaOgolna& Node, TSearchHit& Hit) { Node.SearchField(*this, Hit); }

// --- List searches ---

TListSubSetSearch::TListSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance)
    : TSubSetSearch(Point, Tolerance, kListSearchMask) {}

TListSubSetSearch::~TListSubSetSearch() {
  // Only the copies are unowned; the sublayers' objects keep their owner bit.
  for (TEGraphObj* obj : Found) FreeGraphObj(obj);
}

void TListSubSetSearch::Search(TWarstwaOgolna& Node, TSearchHit& Hit) { Node.SearchNear(*this, Hit); }

bool TListSubSetSearch::Accept(TEGraphObj* Obj) {
  if (Obj == nullptr) return false;
  if (Obj->IsUnowned()) {
    // Its layer frees it right after this call: keep a copy of our own.
    std::unique_ptr<TEGraphObj> copy = Obj->Clone();
    Found.push_back(copy.get());
    copy.release();
  } else {
    Found.push_back(Obj);
  }
  if (Found.size() > kMaxListed) throw ESearchListExceed();
  return false;
}

TListSubSetSearchOm::TListSubSetSearchOm(const TRealPoint& Point, const TRealPoint& Tolerance,
                                         const TEGraphObj* OmittedObject)
    : TListSubSetSearch(Point, Tolerance), OmittedObject(OmittedObject) {}

bool TListSubSetSearchOm::Accept(TEGraphObj* Obj) {
  if (Obj == OmittedObject) return false;
  return TListSubSetSearch::Accept(Obj);
}

// --- Searches by object class ---

TTypSubSetSearch::TTypSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                                   TObjectClass ObjectClass)
    : TSubSetSearch(Point, Tolerance, SearchMask), ObjectClass(std::move(ObjectClass)) {}

bool TTypSubSetSearch::Accept(TEGraphObj* Obj) { return Obj != nullptr && ObjectClass && ObjectClass(*Obj); }

TRangeTypSubSetSearch::TRangeTypSubSetSearch(const TRealPoint& Point, const TRealPoint& Tolerance,
                                             std::uint32_t SearchMask, TObjectClass ObjectClass,
                                             std::string StartName, std::int32_t Number)
    : TTypSubSetSearch(Point, Tolerance, SearchMask, std::move(ObjectClass)),
      StartName(std::move(StartName)),
      Number(Number) {}

bool TRangeTypSubSetSearch::Check(TWarstwaOgolna& Node) {
  if (InRange) {
    if (Number >= 0 && Node.GetNumber() != Number) return false;
    return TSubSetSearch::Check(Node);
  }
  if (Node.Name == StartName) {
    TRestoreFlag restore(InRange);
    InRange = true;
    return TSubSetSearch::Check(Node);
  }
  // Above the named node: enter groups to find it further down.
  if (Node.IsGroup()) return TSubSetSearch::Check(Node);
  return false;
}

// --- Object searches ---

bool TObiektSearch::Check(TWarstwaOgolna& Node) {
  if ((Node.GetTypeMask() & kMaskNumbered) == 0 && !InLayer) return false;
  TRestoreFlag restore(InLayer);
  if (dynamic_cast<TWarstwa*>(&Node) != nullptr) InLayer = true;
  return TDoSearch::Check(Node);
}

bool TJObiektSearch::Check(TWarstwaOgolna& Node) {
  if (auto* catalogue = dynamic_cast<TKatalogWarstw*>(&Node)) {
    ObiektPath.Catalogue = catalogue;
  } else if (auto* layer = dynamic_cast<TWarstwa*>(&Node)) {
    ObiektPath.Layer = layer;
    ObiektPath.LayerNumber = layer->LayerNumber;
  } else if (auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node)) {
    ObiektPath.SublayerNumber = sublayer->Number;
  }
  return TObiektSearch::Check(Node);
}

TCheckObiektSearch::TCheckObiektSearch(const TRealPoint& Point, const TRealPoint& Tolerance, TCheckCallback OnCheck)
    : TJObiektSearch(Point, Tolerance), OnCheck(std::move(OnCheck)) {}

bool TCheckObiektSearch::Accept(TEGraphObj* Obj) {
  if (Obj == nullptr) return false;
  ObiektPath.Index = Obj->GetIndex();
  return !OnCheck || OnCheck(ObiektPath);
}

void TFieldObiektSearch::Search(TWarstwaOgolna& Node, TSearchHit& Hit) { Node.SearchField(*this, Hit); }

// --- Point searches ---

void TPSearch::Search(TWarstwaOgolna& Node, TSearchHit& Hit) { Node.SearchPoint(*this, Hit); }

void TPSubSetSearch::Search(TWarstwaOgolna& Node, TSearchHit& Hit) { Node.SearchPoint(*this, Hit); }

TPSubSetSearchOm::TPSubSetSearchOm(const TRealPoint& Point, const TRealPoint& Tolerance, std::uint32_t SearchMask,
                                   const TEGraphObj* OmittedObject)
    : TPSubSetSearch(Point, Tolerance, SearchMask), OmittedObject(OmittedObject) {}

bool TPSubSetSearchOm::Accept(TEGraphObj* Obj) { return Obj != OmittedObject && TPSubSetSearch::Accept(Obj); }

bool TPSubSetSearchTheSame::Accept(TEGraphObj* Obj) {
  // The reference itself has its own geometry: it is left out as the
  // omitted object, so only another object like it is found.
  if (Obj == nullptr || OmittedObject == nullptr || !TPSubSetSearchOm::Accept(Obj)) return false;
  return Obj->SameGeometry(*OmittedObject);
}


// --- Deleting what meets a window ---

TDeleteObjsInWindow::TDeleteObjsInWindow(const TRealPoint& Point, const TRealPoint& Tolerance,
                                         TBlockUndoOperation* Group, std::uint32_t Stamp,
                                         TElementIsFree ElementIsFree)
    : TSubSetSearch(Point, Tolerance, kMaskLine | kMaskText),
      ElementIsFree(std::move(ElementIsFree)),
      Stamp(Stamp),
      Group(Group) {
  if (Group == nullptr) throw EInternalError("TDeleteObjsInWindow: Group=nil");
}

void TDeleteObjsInWindow::Search(TWarstwaOgolna& Node, TSearchHit& Hit) { Node.SearchMatching(*this, Hit); }

bool TDeleteObjsInWindow::Accept(TEGraphObj* Obj) {
  if (Obj != nullptr && Obj->IsNear(Point, Tolerance, DrawParams.get())) Collected.push_back(Obj);
  return false;
}

bool TDeleteObjsInWindow::Check(TWarstwaOgolna& Node) {
  if (auto* catalogue = dynamic_cast<TKatalogWarstw*>(&Node)) Catalogue = catalogue;
  auto* sublayer = dynamic_cast<TPodwarstwa*>(&Node);
  // A read-only sublayer refuses every deletion: deleting there would end
  // the walk half-way.
  if (sublayer != nullptr && sublayer->IsReadOnly()) return false;
  if (Node.IsGroup()) {
    // The children collect and delete in their own checks.
    TSubSetSearch::Check(Node);
    Collected.clear();
    return false;
  }
  Collected.clear();
  try {
    TSubSetSearch::Check(Node);
  } catch (const EWarstwaError&) {
    // A node that cannot offer its objects is skipped.
    Collected.clear();
    return false;
  }
  // Only a sublayer's objects can be deleted; anything else offered (a
  // plug-in's objects made for the search) is dropped.
  if (sublayer != nullptr && !Collected.empty()) DeleteCollected(*sublayer);
  Collected.clear();
  return false;
}

void TDeleteObjsInWindow::DeleteCollected(TPodwarstwa& Sublayer) {
  if (Catalogue == nullptr && Sublayer.Owner != nullptr)
    Catalogue = dynamic_cast<TKatalogWarstw*>(Sublayer.Owner->Owner);
  LayerNumber = Sublayer.GetLayerNumber();
  // From the last to the first, so that the list indexes of the objects
  // still to come stay as they were.
  std::vector<TEGraphObj*> objects = std::move(Collected);
  Collected.clear();
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
    TEGraphObj* obj = *it;
    if (Cancel != nullptr) Cancel->CheckCanceled();
    if (LayerNumber != 0 && ElementIsFree &&
        !ElementIsFree(Catalogue, LayerNumber, static_cast<std::int32_t>(obj->GetIndex())))
      continue;
    auto item = std::make_unique<TUndoOperationItem>(kUndoDelete, obj, nullptr, &Sublayer);
    const std::uint32_t ident = obj->GetIdent();
    obj->SetIdent(Stamp);
    try {
      Sublayer.DeleteObject(obj);
    } catch (...) {
      // Not deleted: the object keeps its identifier and no operation.
      obj->SetIdent(ident);
      throw;
    }
    Group->Add(std::move(item));
    ++Deleted;
  }
}
