#include "foundation/containers/bitarray.h"

#include <gtest/gtest.h>

#include "foundation/errors.h"

namespace {

TEST(IntArrayTest, GetOutsideGivesMinusOne) {
  TInt a(4);
  a.Fill(255);
  EXPECT_EQ(a.Count(), 4);
  EXPECT_EQ(a.Size(), 16);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.Get(i), -1);
  a.Put(2, 77);
  EXPECT_EQ(a.Get(2), 77);
  EXPECT_EQ(a.Get(4), -1);
  EXPECT_EQ(a.Get(-1), -1);
  a.FillFrom(1, 0);
  EXPECT_EQ(a.Get(0), -1);
  EXPECT_EQ(a.Get(1), 0);
  EXPECT_EQ(a.Get(3), 0);
  a.SetCount(6);
  EXPECT_EQ(a.Count(), 6);
  EXPECT_EQ(a.Get(0), -1);
}

// Put and FillFrom outside the block used to write past it.
TEST(IntArrayTest, WriteOutsideBlockRaisesInsteadOfCorruptingMemory) {
  TInt a(4);
  EXPECT_THROW(a.Put(4, 1), EListError);
  EXPECT_THROW(a.Put(-1, 1), EListError);
  EXPECT_THROW(a.FillFrom(5, 0), EListError);
  EXPECT_THROW(a.FillFrom(-1, 0), EListError);
  a.FillFrom(4, 0);  // at the end: nothing to fill
  TBit b(64);
  EXPECT_THROW(b.Put(96, 1), EListError);
  EXPECT_THROW(b.Put(-1, 1), EListError);
  EXPECT_EQ(b.Get(-1), 0);
  EXPECT_THROW(TInt(-1), EListError);
}

TEST(BitArrayTest, SizedWithSpareWord) {
  TBit b(64);
  b.Fill(0);
  EXPECT_EQ(b.Size(), 12);  // three words
  EXPECT_EQ(b.Count(), 96);
  EXPECT_EQ(b.BitCount(), 64);
  b.Put(64, 1);
  b.Put(65, 1);
  EXPECT_NE(b.Get(64), 0);  // the first spare bit is readable
  EXPECT_EQ(b.Get(65), 0);  // beyond BitCount reads 0
  b.Put(31, 1);
  EXPECT_EQ(b.Get(31), static_cast<std::int32_t>(0x80000000u));
  b.Put(3, 5);
  EXPECT_EQ(b.Get(3), 8);
  b.Put(3, 0);
  EXPECT_EQ(b.Get(3), 0);
  b.SetCount(10);
  EXPECT_EQ(b.Count(), 32);
  EXPECT_EQ(b.BitCount(), 10);
  EXPECT_EQ(TBit(63).Count(), 64);
}

TEST(BitArrayTest, FillFromSetsToTheEndOfTheBlock) {
  TBit b(64);
  b.Fill(0);
  b.FillFrom(5, true);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b.Get(i), 0) << i;
  for (int i = 5; i <= 64; ++i) EXPECT_NE(b.Get(i), 0) << i;
  EXPECT_EQ(b.Data()[2], -1);  // spare bits are filled as well
  b.FillFrom(40, false);
  EXPECT_NE(b.Get(39), 0);
  EXPECT_EQ(b.Get(40), 0);
  EXPECT_EQ(b.Data()[2], 0);
  b.FillFrom(32, true);
  EXPECT_EQ(b.Data()[1], -1);
}

TEST(BitArrayTest, CopyAndFromInt) {
  TInt a(3);
  a.Put(0, -1);
  a.Put(1, 7);
  a.Put(2, -1);
  TBit b = TBit::CreateFromInt(a);
  EXPECT_EQ(b.BitCount(), 3);
  EXPECT_EQ(b.Get(0), 0);
  EXPECT_NE(b.Get(1), 0);
  EXPECT_EQ(b.Get(2), 0);
  TBit c = TBit::CreateCopy(b);
  b.Put(1, 0);
  EXPECT_NE(c.Get(1), 0);
  EXPECT_EQ(c.BitCount(), 3);
  EXPECT_EQ(c.Size(), 4);
}

}  // namespace
