#include "layers/tree/undo.h"

#include <string>
#include <utility>

#include "foundation/errors.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "objects/grobj.h"

namespace {

TUndoBlockManagerI* blockManager = nullptr;
TUndoManager* currentManager = nullptr;

// Sets CurrentUndoManager for one scope, also when the scope ends by an error.
class TCurrentManagerScope {
 public:
  explicit TCurrentManagerScope(TUndoManager* M) : previous_(currentManager) { currentManager = M; }
  ~TCurrentManagerScope() { currentManager = previous_; }
  TCurrentManagerScope(const TCurrentManagerScope&) = delete;
  TCurrentManagerScope& operator=(const TCurrentManagerScope&) = delete;

 private:
  TUndoManager* previous_;
};

// Lets go of an object held in one role: the mark stays while another
// operation of the running Add holds it in the same role; the object is freed
// when no owner is left.
void ReleaseHeld(TEGraphObj* Obj, std::uint8_t Role) {
  if (Obj == nullptr) return;
  const bool before = Role == kUndoRefBefore;
  TUndoManager* manager = CurrentUndoManager();
  if (manager == nullptr || (manager->RefersTo(Obj) & Role) == 0) TEGraphObj::UnmarkUndoRef(Obj, before);
  FreeGraphObj(Obj);
}

void Notify() { PostMainFormNotify(kMainFormUndoChanged); }

}  // namespace

TUndoBlockManagerI* UndoBlockManager() { return blockManager; }

void SetUndoBlockManager(TUndoBlockManagerI* Manager) { blockManager = Manager; }

TUndoManager* CurrentUndoManager() { return currentManager; }

void ResetUndoDisplayState(TEGraphObj& Obj) {
  Obj.SetDefaultColor(true);
  Obj.SetHighlightIndex(0);
  Obj.SetColorMode(0);
}

// --- TUndoOperationItem ---

namespace {

// A replay would dereference what is missing: refuse it before any mark (a
// constructor failing after the marks would let go of the objects).
void CheckItem(std::uint8_t Kind, const TEGraphObj* Before, const TEGraphObj* After, bool SublayerMissing) {
  const bool needsBefore = Kind == kUndoDelete || Kind == kUndoModify;
  const bool needsAfter = Kind == kUndoAdd || Kind == kUndoModify;
  if ((needsBefore && Before == nullptr) || (needsAfter && After == nullptr) ||
      ((needsBefore || needsAfter) && SublayerMissing))
    throw EInternalError("TUndoOperationItem.Create: brak obiektu lub podwarstwy dla rodzaju " +
                         std::to_string(Kind));
}

}  // namespace

TUndoOperationItem::TUndoOperationItem(std::uint8_t Kind, TEGraphObj* Before, TEGraphObj* After,
                                       TPodwarstwa* Sublayer)
    : TUndoOperationItem(Kind, Before, After,
                         (CheckItem(Kind, Before, After, Sublayer == nullptr), TSublayerLater{})) {
  sublayer_ = Sublayer;
}

TUndoOperationItem::TUndoOperationItem(std::uint8_t Kind, TEGraphObj* Before, TEGraphObj* After, TSublayerLater)
    : TUndoOperationImp(Kind) {
  CheckItem(Kind, Before, After, false);
  if (Before != nullptr) {
    Before->MarkUndoRef(true);
    old_ = Before;
    oldIdent_ = Before->GetIdent();
  }
  if (After != nullptr) {
    After->MarkUndoRef(false);
    new_ = After;
  }
  if (old_ != nullptr) ResetUndoDisplayState(*old_);
}

TUndoOperationItem::~TUndoOperationItem() {
  ReleaseHeld(old_, kUndoRefBefore);
  ReleaseHeld(new_, kUndoRefAfter);
}

void TUndoOperationItem::Undo() {
  CheckSublayerGiven();
  switch (Kind) {
    case kUndoDelete:
      sublayer_->InsertObject(old_);
      break;
    case kUndoAdd:
      sublayer_->DeleteObject(new_);
      break;
    case kUndoModify:
      sublayer_->ReplaceObject(new_, old_);
      break;
    default:
      break;
  }
}

void TUndoOperationItem::Redo() {
  CheckSublayerGiven();
  switch (Kind) {
    case kUndoDelete:
      sublayer_->DeleteObject(old_);
      break;
    case kUndoAdd:
      sublayer_->InsertObject(new_);
      break;
    case kUndoModify:
      sublayer_->ReplaceObject(old_, new_);
      break;
    default:
      break;
  }
}

void TUndoOperationItem::CheckSublayerGiven() const {
  if (sublayer_ == nullptr && (Kind == kUndoDelete || Kind == kUndoAdd || Kind == kUndoModify))
    throw EInternalError("TUndoOperationItem: operacja bez podwarstwy");
}

std::uint8_t TUndoOperationItem::RefersTo(const TEGraphObj* Obj) const {
  if (Obj == nullptr) return 0;
  std::uint8_t r = 0;
  if (Obj == old_) r |= kUndoRefBefore;
  if (Obj == new_) r |= kUndoRefAfter;
  return r;
}

// --- TUndoOperation ---

TUndoOperation::TUndoOperation(std::uint8_t Kind, TEGraphObj* Before, TEGraphObj* After, TPodwarstwa* Sublayer,
                               std::string Name)
    : TUndoOperationItem(Kind, Before, After, Sublayer), Name(std::move(Name)) {}

// --- TUndoChangeWarstwaOperation ---

namespace {

// The source, once both objects and both sublayers are known to be there:
// checked before the item marks anything (a constructor failing after the
// marks would let go of the objects).
TPodwarstwa* CheckedSource(const TEGraphObj* Before, const TEGraphObj* After, TPodwarstwa* Source,
                           TPodwarstwa* Target) {
  if (Before == nullptr || After == nullptr || Source == nullptr || Target == nullptr)
    throw EInternalError("TUndoChangeWarstwaOperation.Create: brak obiektu lub podwarstwy");
  return Source;
}

}  // namespace

TUndoChangeWarstwaOperation::TUndoChangeWarstwaOperation(TEGraphObj* Before, TEGraphObj* After,
                                                         TPodwarstwa* Source, TPodwarstwa* Target,
                                                         std::string Name)
    : TUndoOperation(kUndoMove, Before, After, CheckedSource(Before, After, Source, Target), std::move(Name)),
      target_(Target) {}

void TUndoChangeWarstwaOperation::Undo() {
  if (TUndoBlockManagerI* blocks = UndoBlockManager()) blocks->RemoveObjectFromBlocks(*this, true);
  sublayer_->InsertObject(old_);
  target_->DeleteObject(new_);
}

void TUndoChangeWarstwaOperation::Redo() {
  if (TUndoBlockManagerI* blocks = UndoBlockManager()) blocks->RemoveObjectFromBlocks(*this, false);
  sublayer_->DeleteObject(old_);
  target_->InsertObject(new_);
}

// --- TBlockUndoOperation ---

TBlockUndoOperation::TBlockUndoOperation(std::string Name) : TUndoOperationImp(kUndoModify), Name(std::move(Name)) {}

void TBlockUndoOperation::Add(std::unique_ptr<TUndoOperationImp> Op) {
  if (!Op) throw EInternalError("TBlockUndoOperation.Add: brak operacji");
  members_.Add(std::move(Op));
}

// Last to first: a member that changed an object changed before by an
// earlier member is taken back first, so each step finds the state it left.
void TBlockUndoOperation::Undo() {
  std::int32_t i = Count() - 1;
  try {
    for (; i >= 0; --i) Member(i)->Undo();
  } catch (const EWarstwaError&) {
    // The manager throws this side of the history away.
    throw;
  } catch (...) {
    // The group stays whole: what this call undid is redone.
    try {
      for (std::int32_t j = i + 1; j < Count(); ++j) Member(j)->Redo();
    } catch (...) {
      // The first error is the one to report.
    }
    throw;
  }
}

void TBlockUndoOperation::Redo() {
  std::int32_t i = 0;
  try {
    for (; i < Count(); ++i) Member(i)->Redo();
  } catch (const EWarstwaError&) {
    throw;
  } catch (...) {
    try {
      for (std::int32_t j = i - 1; j >= 0; --j) Member(j)->Undo();
    } catch (...) {
      // The first error is the one to report.
    }
    throw;
  }
}

std::uint8_t TBlockUndoOperation::RefersTo(const TEGraphObj* Obj) const {
  std::uint8_t r = 0;
  for (std::int32_t i = 0; i < Count(); ++i) r |= Member(i)->RefersTo(Obj);
  return r;
}

// --- TBlockUndo ---

TBlockUndo::TBlockUndo(std::string Name, TBlock* Block, const TRealPoint& Before1, const TRealPoint& Before2,
                       const TRealPoint& After1, const TRealPoint& After2)
    : TBlockUndoOperation(std::move(Name)),
      Before1(Before1),
      Before2(Before2),
      After1(After1),
      After2(After2),
      block_(Block) {}

void TBlockUndo::TakeFinalPoints() {
  TUndoBlockManagerI* blocks = UndoBlockManager();
  if (block_ == nullptr || blocks == nullptr) return;
  After1 = blocks->GetRefPoint1(*block_);
  After2 = blocks->GetRefPoint2(*block_);
}

void TBlockUndo::SetPoints(const TRealPoint& P1, const TRealPoint& P2) {
  TUndoBlockManagerI* blocks = UndoBlockManager();
  if (block_ == nullptr || blocks == nullptr) return;
  blocks->SetRefPoint1(*block_, P1);
  blocks->SetRefPoint2(*block_, P2);
}

void TBlockUndo::Undo() {
  TBlockUndoOperation::Undo();
  SetPoints(Before1, Before2);
}

void TBlockUndo::Redo() {
  TBlockUndoOperation::Redo();
  SetPoints(After1, After2);
}

void TBlockUndo::ForgetObject(const void* P) {
  if (P != nullptr && P == block_) block_ = nullptr;
}

// --- TBlockUndoOperationMove ---

void TBlockUndoOperationMove::ApplyToBlocks() {
  TUndoBlockManagerI* blocks = UndoBlockManager();
  if (blocks == nullptr) return;
  for (std::int32_t i = 0; i < Count(); ++i)
    if (auto* move = dynamic_cast<TUndoChangeWarstwaOperation*>(Member(i)))
      blocks->RemoveObjectFromBlocks(*move, false);
}

// --- TUndoManager ---

void TUndoManager::Add(std::unique_ptr<TUndoOperationImp> Op) {
  if (!Op) throw EInternalError("TUndoManager.Add: brak operacji");
  TCurrentManagerScope current(this);
  TObjList::Add(std::move(Op));
  // The redo tail goes, last first, while the new operation is already in
  // the list: what it holds in the same role keeps its mark.
  while (Count() - 1 > position_) Delete(Count() - 2);
  position_ = Count();
  Notify();
}

void TUndoManager::Undo(std::int32_t N) {
  try {
    while (position_ > 0 && N > 0 && Count() > 0) {
      --position_;
      TUndoOperationImp* op = Operation(position_);
      bool undone = false;
      try {
        op->Undo();
        undone = true;
        if (OnUndo) OnUndo(*op);
      } catch (const EWarstwaError&) {
        // The failing operation and all below it go: from Position down.
        for (std::int32_t i = position_; i >= 0; --i)
          if (i < Count()) Delete(i);
        position_ = 0;
      } catch (...) {
        // Position counts what is done: an operation that was not undone
        // stays done.
        if (!undone) ++position_;
        throw;
      }
      --N;
    }
  } catch (...) {
    Notify();
    throw;
  }
  Notify();
}

void TUndoManager::Redo(std::int32_t N) {
  try {
    while (position_ < Count() && N > 0) {
      TUndoOperationImp* op = Operation(position_);
      bool redone = false;
      try {
        op->Redo();
        redone = true;
        if (OnRedo) OnRedo(*op);
      } catch (const EWarstwaError&) {
        // The failing operation and all after it go, last first.
        while (Count() > position_) Delete(Count() - 1);
        break;
      } catch (...) {
        if (redone) ++position_;
        throw;
      }
      ++position_;
      --N;
    }
  } catch (...) {
    Notify();
    throw;
  }
  Notify();
}

std::string TUndoManager::GetUndoName() const {
  if (position_ <= 0 || position_ > Count()) return {};
  return Operation(position_ - 1)->GetName();
}

std::string TUndoManager::GetRedoName() const {
  if (position_ < 0 || position_ >= Count()) return {};
  return Operation(position_)->GetName();
}

std::string TUndoManager::UndoCaption() const {
  const std::string name = GetUndoName();
  return name.empty() ? std::string(kUndoCaption) : std::string(kUndoCaption) + " " + name;
}

std::string TUndoManager::RedoCaption() const {
  const std::string name = GetRedoName();
  return name.empty() ? std::string(kRedoCaption) : std::string(kRedoCaption) + " " + name;
}

void TUndoManager::SetLocked(bool B) {
  if (B == locked_) return;
  locked_ = B;
  Notify();
}

std::uint8_t TUndoManager::RefersTo(const TEGraphObj* Obj) const {
  std::uint8_t r = 0;
  for (std::int32_t i = 0; i < Count(); ++i) r |= Operation(i)->RefersTo(Obj);
  return r;
}

void TUndoManager::ForEachHook(const void* P) {
  for (std::int32_t i = 0; i < Count(); ++i) Operation(i)->ForgetObject(P);
}
