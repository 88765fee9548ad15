// Flat per-record maps sized by count: TInt, a block of 32-bit integers
// (a record number indexes a value), and TBit, a block of bits (a record
// number indexes a mark). The block is owned and freed with the object.
// Bit I is bit I mod 32 of word I div 32, least significant first; a TBit of
// N bits holds N div 32 + 1 words, so at least one spare bit lies beyond N.
// One thread at a time.
#pragma once

#include <cstdint>
#include <vector>

class TInt {
public:
  // A block of n elements, all 0.
  explicit TInt(std::int32_t n = 0);
  virtual ~TInt() = default;
  TInt(const TInt&) = default;
  TInt& operator=(const TInt&) = default;

  // Element i, or -1 when i is outside 0..Count-1.
  virtual std::int32_t Get(std::int32_t i) const;
  // Element i := v; an index outside the block raises EListError.
  virtual void Put(std::int32_t i, std::int32_t v);
  // Number of elements (Size div 4).
  virtual std::int32_t Count() const;
  // Reallocates to n elements, keeping the old contents up to the smaller
  // size; new elements are 0.
  virtual void SetCount(std::int32_t n);

  // Every byte of the block := b (0 gives 0, 255 gives -1 in every element).
  void Fill(std::uint8_t b);
  // Every byte from element index to the end := b.
  void FillFrom(std::int32_t index, std::uint8_t b);

  // Length of the block in bytes.
  std::int32_t Size() const { return static_cast<std::int32_t>(data_.size() * 4); }
  std::int32_t* Data() { return data_.data(); }
  const std::int32_t* Data() const { return data_.data(); }

protected:
  std::int32_t Words() const { return static_cast<std::int32_t>(data_.size()); }
  void Resize(std::int32_t words);

  std::vector<std::int32_t> data_;
};

class TBit : public TInt {
public:
  // bitCount bits in bitCount div 32 + 1 words, all cleared.
  explicit TBit(std::int32_t bitCount = 0);
  static TBit CreateCopy(const TBit& source) { return source; }
  // BitCount := source.Count; bit I set exactly where source.Get(I) <> -1.
  static TBit CreateFromInt(const TInt& source);

  // Non-zero exactly when bit i is set (the word masked with the bit, so not
  // always 1); 0 when i > BitCount or i < 0.
  std::int32_t Get(std::int32_t i) const override;
  // Sets bit i when v is not 0, clears it when v is 0; an index outside the
  // block raises EListError.
  void Put(std::int32_t i, std::int32_t v) override;
  // The capacity in bits (Size * 8, a multiple of 32 above BitCount).
  std::int32_t Count() const override;
  // Reallocates to n div 32 + 1 words and sets BitCount := n.
  void SetCount(std::int32_t n) override;

  // Bits from index to the next word boundary one by one, then every whole
  // word to the end of the block (spare bits included), set or cleared.
  void FillFrom(std::int32_t index, bool value);

  std::int32_t BitCount() const { return bitCount_; }

private:
  std::int32_t bitCount_ = 0;
};
