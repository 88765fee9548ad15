// Owning lists: what an owning list holds, it frees.
//
// TObjList holds TObject items and frees them through the virtual FreeItem
// when they are deleted, removed or cleared, and when the list is destroyed.
// A descendant that overrides FreeItem must call Clear in its own destructor,
// because the base destructor can only run the base FreeItem.
// TPrimaryList also takes each freed item out of a second, not owned list.
// TStrList holds owned strings (UTF-8).
// None of them locks: one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "foundation/containers/list.h"
#include "foundation/containers/object.h"

class TObjList : public TList {
public:
  TObjList() = default;
  ~TObjList() override;

  // When not 0, every growth enlarges the capacity by exactly GrowStep items.
  std::int32_t GrowStep = 0;

  TObject* Items(std::int32_t index) const { return static_cast<TObject*>(Get(index)); }
  template <class T>
  T* ItemAs(std::int32_t index) const {
    return static_cast<T*>(Items(index));
  }
  // Replaces the item at index; the one there is not freed.
  void Put(std::int32_t index, TObject* item) { TList::Put(index, item); }

  // Appends item and owns it from then on (also when adding fails: then it
  // is freed before the error passes on). Returns the index.
  std::int32_t Add(TObject* item);
  template <class T>
  std::int32_t Add(std::unique_ptr<T> item) {
    static_assert(std::is_base_of_v<TObject, T>);
    return Add(static_cast<TObject*>(item.release()));
  }
  void Insert(std::int32_t index, TObject* item);
  std::int32_t IndexOf(const TObject* item) const { return TList::IndexOf(item); }

  // Takes the entry out (later items move down), then frees the item.
  void Delete(std::int32_t index);
  // Takes the first entry equal to item out if there is one, then frees item
  // whether or not it was found.
  void Remove(TObject* item);
  // Frees the items from the last to the first, each after the list was cut
  // in front of it (nil entries are skipped), then empties the list.
  void Clear() override;

protected:
  void Grow() override;
  // Frees one item (nil is ignored). Item is a pointer this list was given.
  virtual void FreeItem(void* item);
};

class TPrimaryList : public TObjList {
public:
  explicit TPrimaryList(TList* secondary) : Secondary(secondary) {}
  ~TPrimaryList() override;

  // Not owned; every item is also listed here by whoever adds it.
  TList* Secondary;

protected:
  // Takes item out of Secondary first, then frees it.
  void FreeItem(void* item) override;
};

class TStrList : public TObjList {
public:
  TStrList() = default;
  ~TStrList() override;

  const std::string& Get(std::int32_t index) const {
    return *static_cast<const std::string*>(TList::Get(index));
  }
  // Replaces the text at index.
  void Put(std::int32_t index, std::string text) { Text(index) = std::move(text); }
  std::int32_t Add(std::string text);
  void Insert(std::int32_t index, std::string text);

protected:
  std::string& Text(std::int32_t index) { return *static_cast<std::string*>(TList::Get(index)); }
  void FreeItem(void* item) override;
};
