#include "foundation/containers/list.h"

#include <algorithm>
#include <string>

#include "foundation/containers/itemarray.h"
#include "foundation/errors.h"

void TList::CheckIndex(std::int32_t index) const {
  CheckItemIndex(index, Count() - 1);
}

void* TList::Get(std::int32_t index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

void TList::Put(std::int32_t index, void* item) {
  CheckIndex(index);
  items_[static_cast<std::size_t>(index)] = item;
}

std::int32_t TList::Add(void* item) {
  const std::int32_t index = Count();
  Insert(index, item);
  return index;
}

void TList::Insert(std::int32_t index, void* item) {
  CheckItemIndex(index, Count());
  if (Count() == capacity_) Grow();
  if (Count() == capacity_) SetCapacity(capacity_ + 1);
  items_.insert(items_.begin() + index, item);
}

void TList::Delete(std::int32_t index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
}

std::int32_t TList::Remove(void* item) {
  const std::int32_t index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

std::int32_t TList::IndexOf(const void* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<std::int32_t>(it - items_.begin());
}

void TList::Exchange(std::int32_t index1, std::int32_t index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TList::SetCount(std::int32_t count) {
  if (count < 0) throw EListError("Liczba elementów listy poza zakresem (" + std::to_string(count) + ")");
  if (count > capacity_) SetCapacity(count);
  items_.resize(static_cast<std::size_t>(count), nullptr);
}

void TList::SetCapacity(std::int32_t capacity) {
  if (capacity < Count())
    throw EListError("Pojemność listy poza zakresem (" + std::to_string(capacity) + ")");
  if (capacity < capacity_) {
    std::vector<void*> smaller;
    smaller.reserve(static_cast<std::size_t>(capacity));
    smaller.assign(items_.begin(), items_.end());
    items_.swap(smaller);
  } else {
    items_.reserve(static_cast<std::size_t>(capacity));
  }
  capacity_ = capacity;
}

void TList::Clear() {
  items_.clear();
  items_.shrink_to_fit();
  capacity_ = 0;
}

void TList::Grow() { SetCapacity(GrownCapacity(capacity_, 0)); }

void TThreadList::Add(void* item) {
  std::lock_guard<std::mutex> guard(lock_);
  if (list_.IndexOf(item) < 0) list_.Add(item);
}

void TThreadList::Remove(void* item) {
  std::lock_guard<std::mutex> guard(lock_);
  list_.Remove(item);
}

void TThreadList::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  list_.Clear();
}

TList& TThreadList::LockList() {
  lock_.lock();
  return list_;
}

void TThreadList::UnlockList() { lock_.unlock(); }
