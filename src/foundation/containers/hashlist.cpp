#include "foundation/containers/hashlist.h"

#include <string>

#include "foundation/errors.h"

namespace {

constexpr std::int32_t kTableSizes[] = {37, 67, 131, 193, 257, 521};

}  // namespace

THashList::THashList(std::int32_t Capacity) {
  const std::int64_t n = static_cast<std::int64_t>(Capacity) + Capacity / 8;
  std::int64_t size = n;
  for (std::int32_t s : kTableSizes) {
    if (s > n) {
      size = s;
      break;
    }
  }
  if (size > INT32_MAX) throw EOutOfMemory("Za duża tablica mieszająca");
  size_ = static_cast<std::int32_t>(size);
  slots_ = std::make_unique<void*[]>(static_cast<std::size_t>(size_));
}

std::int32_t THashList::Hash(void* Key) const {
  // Key * Key / 256 rounded half to even, in unsigned 64-bit arithmetic so
  // that a large key wraps instead of overflowing.
  const auto k = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(Key));
  const std::uint64_t p = k * k;
  std::uint64_t q = p / 256;
  const std::uint64_t r = p % 256;
  if (r > 128 || (r == 128 && (q & 1) != 0)) ++q;
  return static_cast<std::int32_t>(q % static_cast<std::uint64_t>(size_));
}

std::int32_t THashList::NextProbe(void*, std::int32_t Index) const { return (Index + 1) % size_; }

void THashList::CheckSlot(std::int32_t Index) const {
  if (Index < 0 || Index >= size_)
    throw EInternalError("THashList: indeks szczeliny " + std::to_string(Index) + " poza tablicą");
}

std::int32_t THashList::Probe(void* Item) const {
  std::int32_t i = Hash(Item);
  for (std::int32_t step = 0; step < size_; ++step) {
    CheckSlot(i);
    if (slots_[i] == nullptr || slots_[i] == Item) return i;
    i = NextProbe(Item, i);
  }
  return -1;
}

std::int32_t THashList::Add(void* Item) {
  if (Item == nullptr || count_ >= size_) return -1;
  const std::int32_t i = Probe(Item);
  if (i < 0) return -1;
  if (slots_[i] == nullptr) {
    slots_[i] = Item;
    ++count_;
  }
  return i;
}

std::int32_t THashList::IndexOf(void* Item) const {
  if (Item == nullptr) return -1;
  const std::int32_t i = Probe(Item);
  return i >= 0 && slots_[i] == Item ? i : -1;
}

void* THashList::GetSlot(std::int32_t Index) const {
  CheckSlot(Index);
  return slots_[Index];
}

void** THashList::SlotAddress(std::int32_t Index) {
  CheckSlot(Index);
  return &slots_[Index];
}
