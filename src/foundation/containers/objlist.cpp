#include "foundation/containers/objlist.h"

TObjList::~TObjList() { Clear(); }

std::int32_t TObjList::Add(TObject* item) {
  std::unique_ptr<TObject> owned(item);
  const std::int32_t index = TList::Add(item);
  owned.release();
  return index;
}

void TObjList::Insert(std::int32_t index, TObject* item) {
  std::unique_ptr<TObject> owned(item);
  TList::Insert(index, item);
  owned.release();
}

void TObjList::Delete(std::int32_t index) {
  void* item = TList::Get(index);
  TList::Delete(index);
  FreeItem(item);
}

void TObjList::Remove(TObject* item) {
  TList::Remove(item);
  FreeItem(item);
}

void TObjList::Clear() {
  // An item's destructor may shrink the list further; the index follows.
  for (std::int32_t index = Count() - 1; index >= 0; --index) {
    if (index >= Count()) {
      index = Count();
      continue;
    }
    void* item = TList::Get(index);
    if (item == nullptr) continue;
    TList::SetCount(index);
    FreeItem(item);
  }
  TList::Clear();
}

void TObjList::Grow() {
  if (GrowStep > 0)
    SetCapacity(Capacity() + GrowStep);
  else
    TList::Grow();
}

void TObjList::FreeItem(void* item) { delete static_cast<TObject*>(item); }

TPrimaryList::~TPrimaryList() { Clear(); }

void TPrimaryList::FreeItem(void* item) {
  if (item != nullptr && Secondary != nullptr) Secondary->TList::Remove(item);
  TObjList::FreeItem(item);
}

TStrList::~TStrList() { Clear(); }

std::int32_t TStrList::Add(std::string text) {
  auto owned = std::make_unique<std::string>(std::move(text));
  const std::int32_t index = TList::Add(owned.get());
  owned.release();
  return index;
}

void TStrList::Insert(std::int32_t index, std::string text) {
  auto owned = std::make_unique<std::string>(std::move(text));
  TList::Insert(index, owned.get());
  owned.release();
}

void TStrList::FreeItem(void* item) { delete static_cast<std::string*>(item); }
