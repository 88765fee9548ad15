#include "foundation/containers/sortedlist.h"

#include <algorithm>

#include "foundation/containers/itemarray.h"
#include "foundation/containers/sortedsearch.h"
#include "foundation/errors.h"
#include "platform/files/codepage.h"

namespace {

// Quicksort of l..r: pick the middle key, scan from both ends, exchange,
// recurse into the left part and loop on the right one. The scans stop at
// the range ends, so a comparison that is not a consistent order cannot run
// them out of the list.
template <class KeyAt, class Cmp, class Swap>
void QuickSort(std::int32_t l, std::int32_t r, const KeyAt& keyAt, const Cmp& cmp,
               const Swap& swap) {
  std::int32_t i = l;
  do {
    i = l;
    std::int32_t j = r;
    const auto pivot = keyAt(l + (r - l) / 2);
    do {
      while (i < r && cmp(keyAt(i), pivot) < 0) ++i;
      while (j > l && cmp(keyAt(j), pivot) > 0) --j;
      if (i <= j) {
        if (i != j) swap(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) QuickSort(l, j, keyAt, cmp, swap);
    l = i;
  } while (i < r);
}

}  // namespace

std::int32_t TSortedList::Add(TObject* item) {
  std::int32_t index = 0;
  bool found = false;
  try {
    found = Find(KeyOf(item), index);
  } catch (...) {
    FreeItem(item);
    throw;
  }
  if (found && !Duplicates) {
    FreeItem(item);
    return -1;
  }
  Insert(index, item);
  return index;
}

bool TSortedList::Find(const void* key, std::int32_t& index) const {
  return SearchFirstSorted(
      Count(), [&](std::int32_t i) { return Compare(KeyOf(Items(i)), key); }, index);
}

void TSortedList::Sort() {
  if (Count() < 2) return;
  QuickSort(
      0, Count() - 1, [this](std::int32_t i) { return KeyOf(Items(i)); },
      [this](const void* a, const void* b) { return Compare(a, b); },
      [this](std::int32_t i, std::int32_t j) { Exchange(i, j); });
}

TSortedObjList::TSortedObjList(std::int32_t growStep, TCompareFunc compareFunc)
    : CompareFunc(compareFunc) {
  GrowStep = growStep;
}

int TSortedObjList::Compare(const void* key1, const void* key2) const {
  if (CompareFunc == nullptr) throw ENotImplemented("TSortedObjList.Compare");
  return CompareFunc(static_cast<const TObject*>(key1), static_cast<const TObject*>(key2));
}

std::int32_t TSortedObjList::Add(TObject* item) { return TObjList::Add(item); }

std::int32_t TIntList::Get(std::int32_t index) const {
  CheckItemIndex(index, Count() - 1);
  return items_[static_cast<std::size_t>(index)];
}

void TIntList::Put(std::int32_t index, std::int32_t value) {
  CheckItemIndex(index, Count() - 1);
  items_[static_cast<std::size_t>(index)] = value;
}

void TIntList::MakeRoom() {
  if (GrowStep > 0 && items_.size() == items_.capacity())
    items_.reserve(items_.capacity() + static_cast<std::size_t>(GrowStep));
}

std::int32_t TIntList::Add(std::int32_t value) {
  MakeRoom();
  items_.push_back(value);
  return Count() - 1;
}

void TIntList::Insert(std::int32_t index, std::int32_t value) {
  CheckItemIndex(index, Count());
  MakeRoom();
  items_.insert(items_.begin() + index, value);
}

void TIntList::Delete(std::int32_t index) {
  CheckItemIndex(index, Count() - 1);
  items_.erase(items_.begin() + index);
}

std::int32_t TIntList::IndexOf(std::int32_t value) const {
  const auto it = std::find(items_.begin(), items_.end(), value);
  return it == items_.end() ? -1 : static_cast<std::int32_t>(it - items_.begin());
}

void TIntList::SetCount(std::int32_t count) {
  if (count < 0) throw EListError("Liczba elementów listy poza zakresem (" + std::to_string(count) + ")");
  items_.resize(static_cast<std::size_t>(count), 0);
}

void TIntList::Clear() {
  items_.clear();
  items_.shrink_to_fit();
}

void TIntList::Sort() { std::sort(items_.begin(), items_.end()); }

std::int32_t TIntList::Find(std::int32_t value) const {
  std::int32_t index = 0;
  const bool found = SearchSorted(
      Count(),
      [&](std::int32_t m) {
        const std::int32_t item = items_[static_cast<std::size_t>(m)];
        return item < value ? -1 : item == value ? 0 : 1;
      },
      index);
  return found ? index : -1;
}

void TStrSList::Sort() {
  if (Count() < 2) return;
  QuickSort(
      0, Count() - 1, [this](std::int32_t i) { return std::string_view(Get(i)); },
      [](std::string_view a, std::string_view b) { return platform::CompareOrdinal(a, b); },
      [this](std::int32_t i, std::int32_t j) { Exchange(i, j); });
}

std::int32_t TStrSList::Find(std::string_view key) const {
  std::int32_t index = 0;
  const bool found = SearchSorted(
      Count(), [&](std::int32_t m) { return platform::CompareOrdinal(Get(m), key); }, index);
  return found ? index : -1;
}

void TStrSOList::Sort() {
  if (Count() < 2) return;
  QuickSort(
      0, Count() - 1, [this](std::int32_t i) { return std::string_view(Items(i)->Key); },
      [](std::string_view a, std::string_view b) { return platform::CompareOrdinal(a, b); },
      [this](std::int32_t i, std::int32_t j) { Exchange(i, j); });
}

bool TStrSOList::Find(std::string_view key, std::int32_t& index) const {
  return SearchSorted(
      Count(), [&](std::int32_t m) { return platform::CompareOrdinal(Items(m)->Key, key); },
      index);
}
