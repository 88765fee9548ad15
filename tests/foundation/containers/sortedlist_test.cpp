#include "foundation/containers/sortedlist.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/errors.h"

namespace {

// Item keyed by an integer; records its destruction.
class Keyed : public TObject {
public:
  Keyed(int key, int tag, std::vector<int>* freed = nullptr) : Key(key), Tag(tag), freed_(freed) {}
  ~Keyed() override {
    if (freed_ != nullptr) freed_->push_back(Tag);
  }
  int Key;
  int Tag;

private:
  std::vector<int>* freed_;
};

class KeyedList : public TSortedList {
public:
  const void* KeyOf(const TObject* item) const override {
    return &static_cast<const Keyed*>(item)->Key;
  }
  int Compare(const void* key1, const void* key2) const override {
    const int a = *static_cast<const int*>(key1);
    const int b = *static_cast<const int*>(key2);
    return (a > b) - (a < b);
  }
  std::vector<int> Keys() const {
    std::vector<int> keys;
    for (int i = 0; i < Count(); ++i) keys.push_back(ItemAs<Keyed>(i)->Key);
    return keys;
  }
  std::vector<int> Tags() const {
    std::vector<int> tags;
    for (int i = 0; i < Count(); ++i) tags.push_back(ItemAs<Keyed>(i)->Tag);
    return tags;
  }
};

TEST(SortedListTest, FindGivesInsertionPlace) {
  KeyedList list;
  int index = -5;
  int key = 3;
  EXPECT_FALSE(list.Find(&key, index));
  EXPECT_EQ(index, 0);
  for (int k : {10, 30, 20}) list.Add(std::make_unique<Keyed>(k, k));
  EXPECT_EQ(list.Keys(), (std::vector<int>{10, 20, 30}));
  key = 20;
  EXPECT_TRUE(list.Find(&key, index));
  EXPECT_EQ(index, 1);
  key = 25;
  EXPECT_FALSE(list.Find(&key, index));
  EXPECT_EQ(index, 2);
  key = 99;
  EXPECT_FALSE(list.Find(&key, index));
  EXPECT_EQ(index, list.Count());
}

TEST(SortedListTest, DuplicateRefusedAndFreedUnlessAllowed) {
  std::vector<int> freed;
  KeyedList list;
  list.Add(new Keyed(5, 1, &freed));
  list.Add(new Keyed(7, 2, &freed));
  EXPECT_EQ(list.Add(new Keyed(5, 3, &freed)), -1);
  EXPECT_EQ(freed, std::vector<int>{3});
  EXPECT_EQ(list.Count(), 2);

  list.Duplicates = true;
  list.Add(new Keyed(5, 4, &freed));
  // Lands at the first equal item; the earlier equal one moves up.
  EXPECT_EQ(list.Add(new Keyed(5, 5, &freed)), 0);
  EXPECT_EQ(list.Tags(), (std::vector<int>{5, 4, 1, 2}));
  int key = 5, index = -1;
  EXPECT_TRUE(list.Find(&key, index));
  EXPECT_EQ(index, 0);
}

TEST(SortedListTest, SortOrdersAppendedItems) {
  KeyedList list;
  const std::vector<int> keys = {9, 3, 7, 3, 1, 8, 2, 2, 6, 0, 5, 4};
  for (int k : keys) list.TObjList::Add(new Keyed(k, k));
  list.Sort();
  EXPECT_EQ(list.Keys(), (std::vector<int>{0, 1, 2, 2, 3, 3, 4, 5, 6, 7, 8, 9}));

  KeyedList big;
  for (int i = 0; i < 2000; ++i) big.TObjList::Add(new Keyed((i * 7919) % 2003, i));
  big.Sort();
  for (int i = 1; i < big.Count(); ++i) ASSERT_LE(big.ItemAs<Keyed>(i - 1)->Key, big.ItemAs<Keyed>(i)->Key);
}

// A comparison that is not a consistent order must not run the sort's scans
// beyond the list.
TEST(SortedListTest, InconsistentCompareDoesNotRunOutOfTheList) {
  class Liar : public KeyedList {
  public:
    int Compare(const void*, const void*) const override { return -1; }
  };
  Liar list;
  for (int i = 0; i < 50; ++i) list.TObjList::Add(new Keyed(i, i));
  list.Sort();
  EXPECT_EQ(list.Count(), 50);
}

int CompareByKey(const TObject* a, const TObject* b) {
  return static_cast<const Keyed*>(a)->Key - static_cast<const Keyed*>(b)->Key;
}

TEST(SortedObjListTest, KeepsInsertionOrderUntilSorted) {
  TSortedObjList list(100, &CompareByKey);
  EXPECT_EQ(list.GrowStep, 100);
  int expected = 0;
  for (int k : {3, 1, 2}) EXPECT_EQ(list.Add(new Keyed(k, k)), expected++);
  std::vector<int> keys;
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.ItemAs<Keyed>(i)->Key);
  EXPECT_EQ(keys, (std::vector<int>{3, 1, 2}));
  list.Sort();
  keys.clear();
  for (int i = 0; i < list.Count(); ++i) keys.push_back(list.ItemAs<Keyed>(i)->Key);
  EXPECT_EQ(keys, (std::vector<int>{1, 2, 3}));
  Keyed probe(2, 0);
  int index = -1;
  EXPECT_TRUE(list.Find(&probe, index));
  EXPECT_EQ(index, 1);
}

TEST(IntListTest, SortAndBisect) {
  TIntList list(20);
  EXPECT_EQ(list.Find(4), -1);
  for (int v : {9, 3, 5}) list.Add(v);
  list.Sort();
  EXPECT_EQ(list.Find(9), 2);
  EXPECT_EQ(list.Find(3), 0);
  EXPECT_EQ(list.Find(4), -1);
  EXPECT_EQ(list.Capacity(), 20);
  // Extremes compare correctly (no overflowing difference).
  list.Add(INT32_MIN);
  list.Add(INT32_MAX);
  list.Sort();
  EXPECT_EQ(list.Get(0), INT32_MIN);
  EXPECT_EQ(list.Get(4), INT32_MAX);
  EXPECT_EQ(list.Find(INT32_MAX), 4);
  EXPECT_THROW(list.Get(5), EListError);
  list.Delete(0);
  EXPECT_EQ(list.Get(0), 3);
}

TEST(StrSListTest, SortsByteByByteUpperCaseFirst) {
  TStrSList list;
  for (const char* s : {"ab", "Zb", "a", "abc", "Ąb", "b"}) list.Add(s);
  list.Sort();
  std::vector<std::string> sorted;
  for (int i = 0; i < list.Count(); ++i) sorted.push_back(list.Get(i));
  // "Ą" is 0xA5 in code page 1250, above every ASCII letter.
  EXPECT_EQ(sorted, (std::vector<std::string>{"Zb", "a", "ab", "abc", "b", "Ąb"}));
  EXPECT_EQ(list.Find("abc"), 3);
  EXPECT_EQ(list.Find("Ąb"), 5);
  EXPECT_EQ(list.Find("AB"), -1);
  EXPECT_EQ(TStrSList().Find("x"), -1);
}

TEST(StrSOListTest, FindGivesInsertionPlaceWhenMissing) {
  TStrSOList list(10);
  int index = -1;
  EXPECT_FALSE(list.Find("A", index));
  EXPECT_EQ(index, 0);
  list.Add(std::make_unique<TSObject>("C"));
  list.Add(std::make_unique<TSObject>("A"));
  list.Sort();
  EXPECT_EQ(list.Items(0)->Key, "A");
  EXPECT_FALSE(list.Find("B", index));
  EXPECT_EQ(index, 1);
  EXPECT_TRUE(list.Find("C", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find("c", index));
  EXPECT_EQ(index, 2);
}

}  // namespace
