#include "foundation/containers/hashlist.h"

#include <gtest/gtest.h>

#include <set>

#include "foundation/errors.h"

namespace {

void* P(std::intptr_t v) { return reinterpret_cast<void*>(v); }

TEST(HashListTest, SizeFromExpectedCount) {
  const struct {
    int capacity, size;
  } cases[] = {{0, 37}, {10, 37}, {32, 37}, {33, 67}, {116, 131}, {400, 521},
               {463, 521}, {464, 522}, {600, 675}};
  for (const auto& c : cases) EXPECT_EQ(THashList(c.capacity).Size(), c.size) << c.capacity;
}

TEST(HashListTest, BaseHashAndLinearProbe) {
  THashList h(10);
  EXPECT_EQ(h.Hash(P(11)), 0);   // 121 / 256 rounds to 0
  EXPECT_EQ(h.Hash(P(12)), 1);   // 144 / 256 rounds to 1
  EXPECT_EQ(h.Hash(P(100)), 2);  // 39 mod 37
  EXPECT_EQ(h.NextProbe(P(1), 36), 0);
  // Keys 1..11 all hash to slot 0 and fill slots 0..10 in turn.
  for (int k = 1; k <= 11; ++k) EXPECT_EQ(h.Add(P(k)), k - 1);
  EXPECT_EQ(h.Add(P(12)), 11);  // its own slot 1 is taken
  EXPECT_EQ(h.IndexOf(P(7)), 6);
  EXPECT_EQ(h.GetSlot(6), P(7));
}

TEST(HashListTest, AddTwiceStoresOnceAndUnknownIsMinusOne) {
  THashList h(10);
  const int slot = h.Add(P(1234));
  ASSERT_GE(slot, 0);
  EXPECT_EQ(h.Add(P(1234)), slot);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.IndexOf(P(1234)), slot);
  EXPECT_EQ(h.IndexOf(P(999)), -1);
  EXPECT_EQ(h.Add(nullptr), -1);
  EXPECT_EQ(h.IndexOf(nullptr), -1);
  EXPECT_EQ(h.Count(), 1);
}

TEST(HashListTest, SlotAddressOverwritesSlot) {
  THashList h(10);
  const int slot = h.Add(P(50));
  *h.SlotAddress(slot) = P(51);
  EXPECT_EQ(h.GetSlot(slot), P(51));
  EXPECT_THROW(h.GetSlot(h.Size()), EInternalError);
  EXPECT_THROW(h.SlotAddress(-1), EInternalError);
}

// The probe of a table without a free slot used to run forever.
TEST(HashListTest, ProbeEndsInFullTable) {
  THashList h(0);
  std::set<int> slots;
  for (int k = 1; k <= h.Size(); ++k) slots.insert(h.Add(P(k * 1000)));
  EXPECT_EQ(static_cast<int>(slots.size()), h.Size());
  EXPECT_EQ(*slots.begin(), 0);
  EXPECT_EQ(h.Count(), h.Size());
  EXPECT_EQ(h.Add(P(7)), -1);
  EXPECT_EQ(h.Count(), h.Size());
  EXPECT_EQ(h.IndexOf(P(7)), -1);
  EXPECT_EQ(h.IndexOf(P(5000)), h.IndexOf(P(5000)));
  EXPECT_GE(h.IndexOf(P(5000)), 0);
}

// A probe step that cycles over part of the table must end too.
class StuckProbeHash : public THashList {
 public:
  StuckProbeHash() : THashList(10) {}
  std::int32_t Hash(void*) const override { return 3; }
  std::int32_t NextProbe(void*, std::int32_t Index) const override { return Index; }
};

TEST(HashListTest, ProbeEndsWhenStepNeverLeavesTakenSlot) {
  StuckProbeHash h;
  EXPECT_EQ(h.Add(P(1)), 3);
  EXPECT_EQ(h.Add(P(2)), -1);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.IndexOf(P(2)), -1);
}

// A descendant's hash that leaves the table is a programming error.
class OutOfRangeHash : public THashList {
 public:
  OutOfRangeHash() : THashList(10) {}
  std::int32_t Hash(void*) const override { return Size(); }
};

TEST(HashListTest, HashOutsideTableRaises) {
  OutOfRangeHash h;
  EXPECT_THROW(h.Add(P(1)), EInternalError);
  EXPECT_EQ(h.Count(), 0);
}

}  // namespace
