#pragma once

// Binary searches over the items 0..count-1 of a sorted list, compareAt(i)
// comparing item i with the key (<0, 0, >0). Pure functions; any thread.

#include <cstdint>

// True with index at the first item equal to the key; false with index
// where the key would go.
template <class CompareAt>
bool SearchFirstSorted(std::int32_t count, const CompareAt& compareAt, std::int32_t& index) {
  std::int32_t lo = 0;
  std::int32_t hi = count - 1;
  bool found = false;
  while (lo <= hi) {
    const std::int32_t i = lo + (hi - lo) / 2;
    const int c = compareAt(i);
    if (c < 0) {
      lo = i + 1;
    } else {
      hi = i - 1;
      if (c == 0) found = true;
    }
  }
  index = lo;
  return found;
}

// True with index at some item equal to the key (the search stops at the
// first one it meets); false with index where the key would go.
template <class CompareAt>
bool SearchSorted(std::int32_t count, const CompareAt& compareAt, std::int32_t& index) {
  std::int32_t lo = 0;
  std::int32_t hi = count - 1;
  while (lo <= hi) {
    const std::int32_t m = lo + (hi - lo) / 2;
    const int c = compareAt(m);
    if (c < 0) {
      lo = m + 1;
    } else {
      if (c == 0) {
        index = m;
        return true;
      }
      hi = m - 1;
    }
  }
  index = lo;
  return false;
}
