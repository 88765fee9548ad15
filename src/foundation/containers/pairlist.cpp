#include "foundation/containers/pairlist.h"

#include <algorithm>
#include <bit>
#include <string>

#include "foundation/containers/itemarray.h"
#include "foundation/containers/sortedsearch.h"
#include "foundation/errors.h"

template <class TItem>
void TPointerItemList<TItem>::CheckIndex(std::int32_t Index, std::int32_t Limit) const {
  CheckItemIndex(Index, Limit);
}

template <class TItem>
void TPointerItemList<TItem>::SetCapacity(std::int32_t N) {
  ResizeItemArray(items_, count_, capacity_, N);
}

template <class TItem>
TItem TPointerItemList<TItem>::GetItem(std::int32_t Index) const {
  CheckIndex(Index, count_ - 1);
  return items_[Index];
}

template <class TItem>
void TPointerItemList<TItem>::PutItem(std::int32_t Index, const TItem& Item) {
  CheckIndex(Index, count_ - 1);
  items_[Index] = Item;
}

template <class TItem>
void TPointerItemList<TItem>::Grow() {
  SetCapacity(GrownCapacity(capacity_, GrowStep));
}

template <class TItem>
int TPointerItemList<TItem>::Compare(void*, void*) const {
  throw ENotImplemented(std::string(ClassName()) + ".Compare");
}

template <class TItem>
void TPointerItemList<TItem>::GrowIfFull() {
  if (count_ < capacity_) return;
  Grow();
  if (count_ >= capacity_) throw EInternalError(std::string(ClassName()) + ".Grow: lista nie urosła");
}

template <class TItem>
std::int32_t TPointerItemList<TItem>::Add(const TItem& Item) {
  GrowIfFull();
  items_[count_] = Item;
  return count_++;
}

template <class TItem>
void TPointerItemList<TItem>::Insert(std::int32_t Index, const TItem& Item) {
  CheckIndex(Index, count_);
  GrowIfFull();
  std::copy_backward(items_.get() + Index, items_.get() + count_, items_.get() + count_ + 1);
  items_[Index] = Item;
  ++count_;
}

template <class TItem>
void TPointerItemList<TItem>::Delete(std::int32_t Index) {
  CheckIndex(Index, count_ - 1);
  std::copy(items_.get() + Index + 1, items_.get() + count_, items_.get() + Index);
  --count_;
  items_[count_] = TItem{};
}

template <class TItem>
void TPointerItemList<TItem>::DeleteAndFree(std::int32_t Index) {
  const TItem item = GetItem(Index);
  Delete(Index);
  FreeItem(item);
}

template <class TItem>
void TPointerItemList<TItem>::Clear() {
  for (std::int32_t i = 0; i < count_; ++i) {
    const TItem item = items_[i];
    items_[i] = TItem{};
    FreeItem(item);
  }
  count_ = 0;
  items_.reset();
  capacity_ = 0;
}

template <class TItem>
std::int32_t TPointerItemList<TItem>::IndexOfFirst(void* P) const {
  for (std::int32_t i = 0; i < count_; ++i)
    if (items_[i].First == P) return i;
  return -1;
}

template <class TItem>
std::int32_t TPointerItemList<TItem>::AddSorted(const TItem& Item, bool AllowDuplicates) {
  void* const key = KeyOf(Item);
  std::int32_t lo = 0;
  std::int32_t hi = count_ - 1;
  bool found = false;
  while (lo <= hi) {
    const std::int32_t i = lo + (hi - lo) / 2;
    const int c = Compare(KeyOf(items_[i]), key);
    if (c > 0) {
      hi = i - 1;
    } else {
      lo = i + 1;
      if (c == 0) found = true;
    }
  }
  if (found && !AllowDuplicates) {
    FreeItem(Item);
    return -1;
  }
  Insert(lo, Item);
  return lo;
}

template <class TItem>
bool TPointerItemList<TItem>::Find(void* Key, std::int32_t& Index) const {
  return SearchFirstSorted(
      count_, [&](std::int32_t i) { return Compare(KeyOf(items_[i]), Key); }, Index);
}

template class TPointerItemList<TPointerPair>;
template class TPointerItemList<TPointerTriple>;

std::int32_t TThreePointerList::IndexOfPair(void* P, void* Q) const {
  for (std::int32_t i = 0; i < Count(); ++i) {
    const TPointerTriple t = GetItem(i);
    if (t.First == P && t.Second == Q) return i;
  }
  return -1;
}

void TObjectPointerList::FreeItem(const TPointerPair& Item) {
  delete static_cast<TObject*>(Item.First);
}

void TObjectPointerList::SetFirst(std::int32_t Index, TObject* Object) {
  TPointerPair p = GetItem(Index);
  p.First = Object;
  PutItem(Index, p);
}

std::int32_t TObjectPointerList::AddObject(TObject* Object) {
  return Add(TPointerPair{Object, nullptr});
}

void* TParamsL::ParamKey(float T) {
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(std::bit_cast<std::uint32_t>(T)));
}

float TParamsL::ParamOf(void* Key) {
  return std::bit_cast<float>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Key)));
}

int TParamsL::Compare(void* Key1, void* Key2) const {
  const float k1 = ParamOf(Key1);
  const float k2 = ParamOf(Key2);
  if (k1 < k2) return -1;
  if (k1 > k2) return 1;
  return 0;
}
