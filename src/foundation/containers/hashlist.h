// Open-addressing hash table of untyped pointers, sized once from the expected
// number of items and never grown or rehashed. Descendants override Hash (and
// NextProbe) for their keys; the base hashes small non-negative integers and
// probes linearly. Every probe is bounded by Size steps, so neither an add nor
// a lookup can run forever in a full table.
//
// Not thread-safe: one thread at a time. The table owns its slots, not the
// items; a null pointer marks an empty slot and cannot be stored.
#pragma once

#include <cstdint>
#include <memory>

class THashList {
 public:
  // Size is the first of 37, 67, 131, 193, 257 and 521 greater than
  // Capacity + Capacity / 8, or that number itself when it is 521 or more.
  explicit THashList(std::int32_t Capacity);
  THashList(const THashList&) = delete;
  THashList& operator=(const THashList&) = delete;
  virtual ~THashList() = default;

  std::int32_t Count() const { return count_; }
  std::int32_t Size() const { return size_; }

  // Slot index of Key's first probe.
  virtual std::int32_t Hash(void* Key) const;
  // The slot to try after Index.
  virtual std::int32_t NextProbe(void* Key, std::int32_t Index) const;

  // Stores Item (once: adding it again gives the same slot); returns the slot
  // index, or -1 when the table is full, Item is null, or the probe sequence
  // meets no free slot within Size steps.
  std::int32_t Add(void* Item);
  // Slot index of Item, or -1.
  std::int32_t IndexOf(void* Item) const;
  void* GetSlot(std::int32_t Index) const;
  // Address of a slot, through which a descendant may overwrite it.
  void** SlotAddress(std::int32_t Index);

 private:
  // Follows Item's probe sequence to the slot holding Item or to the first
  // empty slot, at most Size steps; -1 when neither was met.
  std::int32_t Probe(void* Item) const;
  void CheckSlot(std::int32_t Index) const;

  std::unique_ptr<void*[]> slots_;
  std::int32_t size_ = 0;
  std::int32_t count_ = 0;
};
