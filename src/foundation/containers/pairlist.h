// Compact lists of two or three untyped pointers kept by value in one array
// (one allocation for the whole list, no object per item), with a virtual key
// and compare pair for the sorted variants. They hold the members of a block,
// the crossings found along a segment sorted by their position parameter and
// similar small associations.
//
// Not thread-safe: one thread at a time. A list owns its array; whether it
// owns what the pointers point to is the business of `FreeItem` (nothing in the
// base classes). Indexes are checked: a bad one raises EInternalError.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/containers/object.h"

// One item of a two-pointer list.
struct TPointerPair {
  void* First = nullptr;
  void* Second = nullptr;
};

// One item of a three-pointer list.
struct TPointerTriple {
  void* First = nullptr;
  void* Second = nullptr;
  void* Third = nullptr;
};

// The array, growth and ordering shared by the pair and triple lists.
// A descendant that overrides FreeItem must call Clear in its own destructor:
// the base destructor releases the array without calling FreeItem.
template <class TItem>
class TPointerItemList {
 public:
  TPointerItemList() = default;
  TPointerItemList(const TPointerItemList&) = delete;
  TPointerItemList& operator=(const TPointerItemList&) = delete;
  virtual ~TPointerItemList() = default;

  // Growth rule: with a step, 2 * Capacity + 1 while the step exceeds the
  // capacity, else Capacity + GrowStep; without, a quarter more above 64, 16
  // more above 8, else 4 more.
  std::int32_t GrowStep = 0;

  std::int32_t Count() const { return count_; }
  std::int32_t Capacity() const { return capacity_; }

  // Reallocates to N items when N differs from Capacity; items below N stay.
  void SetCapacity(std::int32_t N);

  TItem GetItem(std::int32_t Index) const;
  void* GetFirst(std::int32_t Index) const { return GetItem(Index).First; }
  virtual void PutItem(std::int32_t Index, const TItem& Item);
  virtual void Grow();
  // Releases what an item owns; the base owns nothing.
  virtual void FreeItem(const TItem& Item) {}
  virtual void* KeyOf(const TItem& Item) const { return Item.First; }
  // Key order for AddSorted; the base has none and raises ENotImplemented.
  virtual int Compare(void* Key1, void* Key2) const;
  // Appends; returns the index.
  virtual std::int32_t Add(const TItem& Item);

  // Index may be Count (append).
  void Insert(std::int32_t Index, const TItem& Item);
  // Removes the item without FreeItem.
  void Delete(std::int32_t Index);
  // Removes the item, then FreeItem on it.
  void DeleteAndFree(std::int32_t Index);
  // FreeItem on every item, then releases the array.
  void Clear();
  std::int32_t IndexOfFirst(void* P) const;
  // Inserts after every item with an equal key; a duplicate refused (when
  // not AllowDuplicates) is freed with FreeItem and gives -1.
  std::int32_t AddSorted(const TItem& Item, bool AllowDuplicates);
  // Lower bound: Index is the first item whose key is not less than Key;
  // true when that key equals Key.
  bool Find(void* Key, std::int32_t& Index) const;

 protected:
  virtual const char* ClassName() const = 0;
  void CheckIndex(std::int32_t Index, std::int32_t Limit) const;
  // Grow when full; raises EInternalError when Grow left no room.
  void GrowIfFull();

 private:
  std::unique_ptr<TItem[]> items_;
  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
};

// List of pointer pairs; Compare is left to descendants.
class TTwoPointerList : public TPointerItemList<TPointerPair> {
 protected:
  const char* ClassName() const override { return "TTwoPointerList"; }
};

// List of pointer triples; Compare is left to descendants.
class TThreePointerList : public TPointerItemList<TPointerTriple> {
 public:
  // Index of the first triple with these First and Second, or -1.
  std::int32_t IndexOfPair(void* P, void* Q) const;

 protected:
  const char* ClassName() const override { return "TThreePointerList"; }
};

// Pair list whose First is a TObject owned by the list (a pair added through
// Add must carry a TObject or null in First); freed by FreeItem.
class TObjectPointerList : public TTwoPointerList {
 public:
  ~TObjectPointerList() override { Clear(); }

  void FreeItem(const TPointerPair& Item) override;
  TObject* GetObject(std::int32_t Index) const { return static_cast<TObject*>(GetFirst(Index)); }
  // Overwrites First without freeing the old object.
  virtual void SetFirst(std::int32_t Index, TObject* Object);
  // Appends (Object, nullptr) through Add; returns the index (or -1 when a
  // sorted descendant refused and freed it).
  virtual std::int32_t AddObject(TObject* Object);

 protected:
  const char* ClassName() const override { return "TObjectPointerList"; }
};

// Owning pair list kept in key order; Add inserts by key.
class TTwoPointerSortedList : public TObjectPointerList {
 public:
  bool Duplicates = false;
  std::int32_t Add(const TPointerPair& Item) override { return AddSorted(Item, Duplicates); }

 protected:
  const char* ClassName() const override { return "TTwoPointerSortedList"; }
};

// Pair list kept in key order that owns nothing.
class TPureTwoPointerSortedList : public TTwoPointerList {
 public:
  bool Duplicates = false;
  std::int32_t Add(const TPointerPair& Item) override { return AddSorted(Item, Duplicates); }

 protected:
  const char* ClassName() const override { return "TPureTwoPointerSortedList"; }
};

// Position parameters along a line: First holds a single-precision real in
// its low 32 bits, Second a reference; kept in order of the real.
class TParamsL : public TPureTwoPointerSortedList {
 public:
  static void* ParamKey(float T);
  static float ParamOf(void* Key);
  // Add of the pair (T, Ref).
  std::int32_t AddParam(float T, void* Ref) { return Add(TPointerPair{ParamKey(T), Ref}); }
  float GetParam(std::int32_t Index) const { return ParamOf(GetFirst(Index)); }
  int Compare(void* Key1, void* Key2) const override;

 protected:
  const char* ClassName() const override { return "TParamsL"; }
};

extern template class TPointerItemList<TPointerPair>;
extern template class TPointerItemList<TPointerTriple>;
