#include "foundation/containers/bitarray.h"

#include <cstring>
#include <string>

#include "foundation/containers/itemarray.h"
#include "foundation/errors.h"

namespace {

void CheckCount(std::int32_t n) {
  if (n < 0) throw EListError("Liczba elementów poza zakresem (" + std::to_string(n) + ")");
}

}  // namespace

TInt::TInt(std::int32_t n) {
  CheckCount(n);
  Resize(n);
}

void TInt::Resize(std::int32_t words) { data_.resize(static_cast<std::size_t>(words), 0); }

std::int32_t TInt::Get(std::int32_t i) const {
  if (i < 0 || i >= Count()) return -1;
  return data_[static_cast<std::size_t>(i)];
}

void TInt::Put(std::int32_t i, std::int32_t v) {
  CheckItemIndex(i, Words() - 1);
  data_[static_cast<std::size_t>(i)] = v;
}

std::int32_t TInt::Count() const { return Size() / 4; }

void TInt::SetCount(std::int32_t n) {
  CheckCount(n);
  Resize(n);
}

void TInt::Fill(std::uint8_t b) {
  if (!data_.empty()) std::memset(data_.data(), b, data_.size() * 4);
}

void TInt::FillFrom(std::int32_t index, std::uint8_t b) {
  CheckItemIndex(index, Words());
  if (index < Words())
    std::memset(data_.data() + index, b, static_cast<std::size_t>(Words() - index) * 4);
}

TBit::TBit(std::int32_t bitCount) : TInt(0) { TBit::SetCount(bitCount); }

TBit TBit::CreateFromInt(const TInt& source) {
  const std::int32_t n = source.Count();
  TBit bits(n);
  for (std::int32_t i = 0; i < n; ++i) bits.Put(i, source.Get(i) != -1 ? 1 : 0);
  return bits;
}

std::int32_t TBit::Get(std::int32_t i) const {
  if (i < 0 || i > bitCount_) return 0;
  const std::uint32_t word = static_cast<std::uint32_t>(data_[static_cast<std::size_t>(i / 32)]);
  return static_cast<std::int32_t>(word & (1u << (i % 32)));
}

void TBit::Put(std::int32_t i, std::int32_t v) {
  CheckItemIndex(i, Count() - 1);
  std::uint32_t word = static_cast<std::uint32_t>(data_[static_cast<std::size_t>(i / 32)]);
  const std::uint32_t mask = 1u << (i % 32);
  word = v != 0 ? (word | mask) : (word & ~mask);
  data_[static_cast<std::size_t>(i / 32)] = static_cast<std::int32_t>(word);
}

std::int32_t TBit::Count() const { return Size() * 8; }

void TBit::SetCount(std::int32_t n) {
  CheckCount(n);
  Resize(n / 32 + 1);
  bitCount_ = n;
}

void TBit::FillFrom(std::int32_t index, bool value) {
  CheckItemIndex(index, Count());
  const std::int32_t firstWord = static_cast<std::int32_t>((static_cast<std::int64_t>(index) + 31) / 32);
  for (std::int32_t i = index; i < firstWord * 32; ++i) Put(i, value ? 1 : 0);
  TInt::FillFrom(firstWord, value ? 0xFF : 0x00);
}
