// Sorted and sortable lists.
//
// TSortedList: an owning list kept in key order by Add, with a virtual key
// (KeyOf) and comparison (Compare) pair; Find bisects.
// TSortedObjList: filled in any order by Add, ordered once by Sort through a
// comparison function, then searched with Find.
// TIntList: 32-bit integers, sorted on demand. TStrSList: owned texts, and
// TStrSOList: owned keyed objects (TSObject), both sorted on demand. Texts
// compare byte by byte in code page 1250 order, letter case significant, so
// every upper-case letter sorts before every lower-case one.
//
// None of them locks: one thread at a time. The owning lists free their
// items as TObjList does; TIntList holds plain values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/containers/objlist.h"

class TSortedList : public TObjList {
public:
  // Whether Add accepts an item whose key is already present.
  bool Duplicates = false;

  // The key of an item; the base gives the item pointer itself.
  virtual const void* KeyOf(const TObject* item) const { return item; }
  // Key1 is always the key of an item in the list, Key2 the one searched
  // for: <0, 0, >0.
  virtual int Compare(const void* key1, const void* key2) const = 0;
  // Inserts item in key order and owns it; returns its index. When an equal
  // key is present and Duplicates is false, frees item and returns -1 (the
  // caller must not use item any more). An item with Duplicates lands in
  // front of the items with an equal key.
  virtual std::int32_t Add(TObject* item);
  template <class T>
  std::int32_t Add(std::unique_ptr<T> item) {
    return Add(static_cast<TObject*>(item.release()));
  }
  // Bisection: Index is the first item whose key is not less than Key (the
  // insertion place); the result tells whether an equal key exists.
  virtual bool Find(const void* key, std::int32_t& index) const;
  // Orders the whole list by key (after items were appended unsorted); the
  // order of equal keys is not defined.
  void Sort();
};

class TSortedObjList : public TSortedList {
public:
  using TCompareFunc = int (*)(const TObject* item1, const TObject* item2);

  TSortedObjList(std::int32_t growStep, TCompareFunc compareFunc);

  int Compare(const void* key1, const void* key2) const override;
  // Appends item at the end (no ordering) and returns its index.
  std::int32_t Add(TObject* item) override;
  using TSortedList::Add;

  TCompareFunc CompareFunc;
};

class TIntList {
public:
  explicit TIntList(std::int32_t growStep = 0) : GrowStep(growStep) {}

  // When not 0, a full list grows by exactly GrowStep items.
  std::int32_t GrowStep;

  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  std::int32_t Capacity() const { return static_cast<std::int32_t>(items_.capacity()); }
  std::int32_t Get(std::int32_t index) const;
  void Put(std::int32_t index, std::int32_t value);
  std::int32_t Add(std::int32_t value);
  void Insert(std::int32_t index, std::int32_t value);
  void Delete(std::int32_t index);
  // Index of the first item equal to value by a linear scan, or -1.
  std::int32_t IndexOf(std::int32_t value) const;
  void SetCount(std::int32_t count);
  void Clear();

  // Ascending.
  void Sort();
  // Index of an item equal to value by bisection, or -1; the list must be
  // sorted.
  std::int32_t Find(std::int32_t value) const;

private:
  void MakeRoom();
  std::vector<std::int32_t> items_;
};

class TStrSList : public TStrList {
public:
  explicit TStrSList(std::int32_t growStep = 0) { GrowStep = growStep; }

  void Sort();
  // Index of a text equal to key by bisection, or -1; the list must be
  // sorted.
  std::int32_t Find(std::string_view key) const;
};

// Item of TStrSOList: a key text; descendants add their own data.
class TSObject : public TObject {
public:
  explicit TSObject(std::string key) : Key(std::move(key)) {}
  std::string Key;
};

class TStrSOList : public TObjList {
public:
  explicit TStrSOList(std::int32_t growStep = 0) { GrowStep = growStep; }

  TSObject* Items(std::int32_t index) const { return static_cast<TSObject*>(TObjList::Items(index)); }
  std::int32_t Add(TSObject* item) { return TObjList::Add(item); }
  std::int32_t Add(std::unique_ptr<TSObject> item) { return TObjList::Add(item.release()); }
  void Insert(std::int32_t index, TSObject* item) { TObjList::Insert(index, item); }

  void Sort();
  // True with Index at an item whose key equals Key; false with Index where
  // such an item would be inserted. The list must be sorted.
  bool Find(std::string_view key, std::int32_t& index) const;
};
