#pragma once

// The array handling shared by the lists that keep their items in one owned
// array (pair and triple lists, point lists): the growth rule, index checks
// and reallocation. Pure functions; the caller's list owns the array.

#include <algorithm>
#include <cstdint>
#include <memory>

#include "foundation/errors.h"

// The capacity after one growth: with a step, 2 * capacity + 1 while the step
// exceeds the capacity, else capacity + step; without, a quarter more above
// 64, 16 more above 8, else 4 more.
inline std::int32_t GrownCapacity(std::int32_t capacity, std::int32_t growStep) {
  if (growStep != 0) return growStep > capacity ? 2 * capacity + 1 : capacity + growStep;
  if (capacity > 64) return capacity + capacity / 4;
  if (capacity > 8) return capacity + 16;
  return capacity + 4;
}

// Raises EListError unless 0 <= index <= limit.
inline void CheckItemIndex(std::int32_t index, std::int32_t limit) {
  if (index < 0 || index > limit) throw EListError::IndexOutOfBounds(index);
}

// Reallocates items to n entries when n differs from capacity; the items
// below n stay and count is cut to n.
template <class T>
void ResizeItemArray(std::unique_ptr<T[]>& items, std::int32_t& count, std::int32_t& capacity,
                     std::int32_t n) {
  if (n == capacity) return;
  if (n < 0) throw EListError::IndexOutOfBounds(n);
  std::unique_ptr<T[]> resized;
  if (n > 0) {
    resized = std::make_unique<T[]>(static_cast<std::size_t>(n));
    std::copy_n(items.get(), std::min(count, n), resized.get());
  }
  items = std::move(resized);
  capacity = n;
  count = std::min(count, n);
}
