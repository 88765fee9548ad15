#include "foundation/containers/pairlist.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/errors.h"

namespace {

void* P(std::intptr_t v) { return reinterpret_cast<void*>(v); }

// A pair list ordered by First taken as an integer.
class IntKeyList : public TTwoPointerList {
 public:
  int Compare(void* k1, void* k2) const override {
    const auto a = reinterpret_cast<std::intptr_t>(k1), b = reinterpret_cast<std::intptr_t>(k2);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
};

// An object with a key that counts its destructions.
struct Tracked : TObject {
  Tracked(int key, int* deaths) : key(key), deaths(deaths) {}
  ~Tracked() override { ++*deaths; }
  int key;
  int* deaths;
};

// An owning sorted list of Tracked objects ordered by their key.
class TrackedList : public TTwoPointerSortedList {
 public:
  static int Key(void* first) { return static_cast<Tracked*>(static_cast<TObject*>(first))->key; }
  int Compare(void* k1, void* k2) const override {
    const int a = Key(k1), b = Key(k2);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
};

TEST(TwoPointerListTest, GrowthWithAndWithoutStep) {
  TTwoPointerList stepped;
  stepped.GrowStep = 100;
  std::vector<int> caps{stepped.Capacity()};
  for (int i = 0; i < 300; ++i) {
    stepped.Add(TPointerPair{P(i), nullptr});
    if (stepped.Capacity() != caps.back()) caps.push_back(stepped.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<int>{0, 1, 3, 7, 15, 31, 63, 127, 227, 327}));

  TTwoPointerList plain;
  caps = {plain.Capacity()};
  for (int i = 0; i < 100; ++i) {
    plain.Add(TPointerPair{P(i), nullptr});
    if (plain.Capacity() != caps.back()) caps.push_back(plain.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95, 118}));
  EXPECT_EQ(plain.Count(), 100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(plain.GetFirst(i), P(i));
}

TEST(TwoPointerListTest, InsertDeleteAndSearch) {
  TTwoPointerList l;
  for (int i : {1, 2, 4}) l.Add(TPointerPair{P(i), P(10 * i)});
  l.Insert(2, TPointerPair{P(3), P(30)});
  l.Insert(4, TPointerPair{P(5), P(50)});
  l.Insert(0, TPointerPair{P(0), nullptr});
  ASSERT_EQ(l.Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(l.GetFirst(i), P(i));
  EXPECT_EQ(l.GetItem(3).Second, P(30));
  EXPECT_EQ(l.IndexOfFirst(P(4)), 4);
  EXPECT_EQ(l.IndexOfFirst(P(9)), -1);

  l.Delete(0);
  l.Delete(4);
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l.GetFirst(0), P(1));
  EXPECT_EQ(l.GetFirst(3), P(4));

  l.PutItem(1, TPointerPair{P(7), P(8)});
  EXPECT_EQ(l.GetItem(1).Second, P(8));

  l.SetCapacity(2);
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.GetFirst(1), P(7));
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.Capacity(), 0);
}

TEST(TwoPointerListTest, BadIndexRaisesInsteadOfCorrupting) {
  TTwoPointerList l;
  l.Add(TPointerPair{P(1), nullptr});
  EXPECT_THROW(l.GetItem(1), EListError);
  EXPECT_THROW(l.GetItem(-1), EListError);
  EXPECT_THROW(l.PutItem(1, TPointerPair{}), EListError);
  EXPECT_THROW(l.Delete(1), EListError);
  EXPECT_THROW(l.Insert(2, TPointerPair{}), EListError);
  EXPECT_EQ(l.Count(), 1);
}

TEST(TwoPointerListTest, SortedAddWithoutCompareRaises) {
  TTwoPointerList l;
  EXPECT_NO_THROW(l.AddSorted(TPointerPair{P(1), nullptr}, false));  // nothing to compare yet
  EXPECT_THROW(l.AddSorted(TPointerPair{P(2), nullptr}, false), ENotImplemented);
}

TEST(TwoPointerListTest, AddSortedKeepsAdditionOrderOfEqualKeys) {
  IntKeyList l;
  EXPECT_EQ(l.AddSorted(TPointerPair{P(5), P(1)}, true), 0);
  EXPECT_EQ(l.AddSorted(TPointerPair{P(3), P(2)}, true), 0);
  EXPECT_EQ(l.AddSorted(TPointerPair{P(5), P(3)}, true), 2);
  EXPECT_EQ(l.AddSorted(TPointerPair{P(5), P(4)}, false), -1);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.GetItem(1).Second, P(1));
  EXPECT_EQ(l.GetItem(2).Second, P(3));
  int index = -1;
  EXPECT_TRUE(l.Find(P(5), index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(l.Find(P(4), index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(l.Find(P(9), index));
  EXPECT_EQ(index, 3);
}

TEST(ParamsLTest, DuplicatesAndFind) {
  for (bool duplicates : {true, false}) {
    TParamsL l;
    l.Duplicates = duplicates;
    EXPECT_GE(l.AddParam(5, P(1)), 0);
    EXPECT_GE(l.AddParam(3, P(2)), 0);
    const int second = l.AddParam(5, P(3));
    if (duplicates) {
      EXPECT_EQ(second, 2);
      ASSERT_EQ(l.Count(), 3);
      EXPECT_EQ(l.GetItem(2).Second, P(3));
    } else {
      EXPECT_EQ(second, -1);
      ASSERT_EQ(l.Count(), 2);
    }
    EXPECT_FLOAT_EQ(l.GetParam(0), 3);
    EXPECT_EQ(l.GetItem(1).Second, P(1));
    int index = -1;
    EXPECT_TRUE(l.Find(TParamsL::ParamKey(5), index));
    EXPECT_EQ(index, 1);
  }
}

TEST(ParamsLTest, OrdersByRealValueWithNegatives) {
  TParamsL l;
  for (float t : {0.75f, -1.5f, 0.25f, -0.0625f, 1e-7f}) l.AddParam(t, nullptr);
  std::vector<float> got;
  for (int i = 0; i < l.Count(); ++i) got.push_back(l.GetParam(i));
  EXPECT_EQ(got, (std::vector<float>{-1.5f, -0.0625f, 1e-7f, 0.25f, 0.75f}));
}

TEST(ObjectPointerListTest, OwnsFirstAndFreesEachOnce) {
  int deaths = 0;
  {
    TrackedList l;
    auto* b = new Tracked(2, &deaths);
    auto* c = new Tracked(3, &deaths);
    EXPECT_EQ(l.AddObject(c), 0);
    EXPECT_EQ(l.AddObject(new Tracked(1, &deaths)), 0);
    EXPECT_EQ(l.AddObject(b), 1);
    // A refused duplicate key: the list frees the refused object at once.
    EXPECT_EQ(l.AddObject(new Tracked(2, &deaths)), -1);
    EXPECT_EQ(deaths, 1);
    ASSERT_EQ(l.Count(), 3);

    // SetFirst does not free the object it replaces.
    auto* b2 = new Tracked(2, &deaths);
    l.SetFirst(1, b2);
    EXPECT_EQ(deaths, 1);
    delete b;
    EXPECT_EQ(deaths, 2);

    l.Delete(l.IndexOfFirst(b2));  // Delete does not free
    EXPECT_EQ(deaths, 2);
    delete b2;
    EXPECT_EQ(deaths, 3);

    l.DeleteAndFree(l.IndexOfFirst(c));
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(l.Count(), 1);

    l.Duplicates = true;
    EXPECT_EQ(l.AddObject(new Tracked(1, &deaths)), 1);
    EXPECT_EQ(deaths, 4);
  }
  EXPECT_EQ(deaths, 6);  // the destructor freed the two left
}

TEST(ThreePointerListTest, TriplesAndIndexOfPair) {
  TThreePointerList l;
  l.GrowStep = 2;
  for (int i = 0; i < 10; ++i) l.Add(TPointerTriple{P(i % 3), P(i), P(100 + i)});
  ASSERT_EQ(l.Count(), 10);
  EXPECT_EQ(l.IndexOfPair(P(1), P(4)), 4);
  EXPECT_EQ(l.IndexOfPair(P(1), P(5)), -1);
  EXPECT_EQ(l.IndexOfFirst(P(2)), 2);
  EXPECT_EQ(l.GetItem(7).Third, P(107));
  l.Insert(0, TPointerTriple{P(9), P(9), P(9)});
  EXPECT_EQ(l.IndexOfPair(P(1), P(4)), 5);
}

}  // namespace
