#include "foundation/containers/objlist.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/errors.h"

namespace {

// Records its destruction; optionally checks what its list holds then.
class Tracked : public TObject {
public:
  Tracked(std::vector<int>* log, int id, const TList* owner = nullptr)
      : log_(log), id_(id), owner_(owner) {}
  ~Tracked() override {
    log_->push_back(id_);
    if (owner_ != nullptr) {
      EXPECT_EQ(owner_->IndexOf(this), -1) << id_;
      EXPECT_LE(owner_->Count(), id_) << id_;
    }
  }

private:
  std::vector<int>* log_;
  int id_;
  const TList* owner_;
};

TEST(ListTest, IndexOutsideCountRaises) {
  TList list;
  int a = 0;
  list.Add(&a);
  EXPECT_THROW(list.Get(1), EListError);
  EXPECT_THROW(list.Get(-1), EListError);
  EXPECT_THROW(list.Put(1, &a), EListError);
  EXPECT_THROW(list.Delete(1), EListError);
  EXPECT_THROW(list.Insert(2, &a), EListError);
  EXPECT_THROW(list.SetCapacity(0), EListError);
  list.Insert(1, nullptr);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Remove(&a), 0);
  EXPECT_EQ(list.Remove(&a), -1);
}

TEST(ObjListTest, ClearFreesNonNilItemsOnceLastFirst) {
  std::vector<int> log;
  {
    TObjList list;
    // Item i sits at index i; nil entries at 1 and 3.
    list.Add(new Tracked(&log, 0, &list));
    list.TList::Add(nullptr);
    list.Add(new Tracked(&log, 2, &list));
    list.TList::Add(nullptr);
    list.Add(new Tracked(&log, 4, &list));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(log, (std::vector<int>{4, 2, 0}));
  }
  EXPECT_EQ(log.size(), 3u);  // nothing freed twice by the destructor
}

TEST(ObjListTest, DestructionFreesEveryItem) {
  std::vector<int> log;
  {
    TObjList list;
    for (int i = 0; i < 3; ++i) list.Add(std::make_unique<Tracked>(&log, i));
  }
  EXPECT_EQ(log, (std::vector<int>{2, 1, 0}));
}

TEST(ObjListTest, DeleteAndRemoveFree) {
  std::vector<int> log;
  TObjList list;
  list.Add(new Tracked(&log, 0));
  auto* second = new Tracked(&log, 1);
  list.Add(second);
  list.Add(new Tracked(&log, 2));

  list.Delete(0);
  EXPECT_EQ(log, std::vector<int>{0});
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0), second);

  list.Remove(second);
  EXPECT_EQ(log, (std::vector<int>{0, 1}));
  EXPECT_EQ(list.Count(), 1);

  // An object that is not in the list is freed all the same.
  list.Remove(new Tracked(&log, 7));
  EXPECT_EQ(log, (std::vector<int>{0, 1, 7}));
  EXPECT_EQ(list.Count(), 1);

  // Putting replaces without freeing.
  Tracked kept(&log, 9);
  TObject* old = list.Items(0);
  list.Put(0, &kept);
  EXPECT_EQ(log.size(), 3u);
  list.TList::Put(0, nullptr);
  delete old;
}

TEST(ObjListTest, GrowStepGrowsByExactlyThatMuch) {
  TObjList list;
  list.GrowStep = 100;
  list.Add(std::make_unique<TObject>());
  EXPECT_EQ(list.Capacity(), 100);
  for (int i = 1; i < 101; ++i) list.Add(std::make_unique<TObject>());
  EXPECT_EQ(list.Capacity(), 200);

  TObjList plain;
  for (int i = 0; i < 10; ++i) plain.Add(std::make_unique<TObject>());
  EXPECT_GE(plain.Capacity(), 10);
}

TEST(PrimaryListTest, FreeingTakesItemOutOfSecondary) {
  std::vector<int> log;
  TList secondary;
  {
    TPrimaryList primary(&secondary);
    for (int i = 0; i < 3; ++i) {
      auto* item = new Tracked(&log, i);
      primary.Add(item);
      secondary.Add(item);
    }
    int other = 0;
    secondary.Add(&other);
    primary.Delete(1);
    EXPECT_EQ(secondary.Count(), 3);
    EXPECT_EQ(log, std::vector<int>{1});
  }
  EXPECT_EQ(log, (std::vector<int>{1, 2, 0}));
  ASSERT_EQ(secondary.Count(), 1);  // only the item the primary list never held
}

TEST(StrListTest, OwnsItsTexts) {
  TStrList list;
  list.Add("Łąka");
  list.Insert(0, "Działka");
  list.Add(std::string(300, 'x'));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(0), "Działka");
  EXPECT_EQ(list.Get(1), "Łąka");
  EXPECT_EQ(list.Get(2).size(), 300u);
  list.Put(1, "Las");
  EXPECT_EQ(list.Get(1), "Las");
  list.Delete(0);
  EXPECT_EQ(list.Get(0), "Las");
  EXPECT_THROW(list.Get(5), EListError);
}

}  // namespace
