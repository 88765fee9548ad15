// The pointer-list base and its guarded form.
//
// TList: a growable array of untyped pointers with a count and a capacity.
// It owns only its array, never what the pointers point to. An index outside
// 0..Count-1 raises EListError. One thread at a time.
//
// TThreadList: a TList behind a mutex. Add, Remove, Clear and the LockList /
// UnlockList pair may be called from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

class TList {
public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;
  virtual ~TList() = default;

  std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
  std::int32_t Capacity() const { return capacity_; }

  void* Get(std::int32_t index) const;
  // Replaces the pointer at index (frees nothing).
  void Put(std::int32_t index, void* item);
  // Appends; returns the new item's index.
  std::int32_t Add(void* item);
  // Inserts before index (0..Count); later items move up.
  void Insert(std::int32_t index, void* item);
  // Takes the entry out; later items move down.
  void Delete(std::int32_t index);
  // Takes the first entry equal to item out; returns its former index or -1.
  std::int32_t Remove(void* item);
  std::int32_t IndexOf(const void* item) const;
  void Exchange(std::int32_t index1, std::int32_t index2);
  // New entries are nil.
  void SetCount(std::int32_t count);
  // Refuses a capacity below Count.
  void SetCapacity(std::int32_t capacity);
  // Empties the list and releases its array.
  virtual void Clear();

protected:
  // Called when an add or insert finds the array full: a quarter more above
  // 64 items, 16 more above 8, else 4 more.
  virtual void Grow();
  void CheckIndex(std::int32_t index) const;

private:
  std::vector<void*> items_;
  std::int32_t capacity_ = 0;
};

class TThreadList {
public:
  TThreadList() = default;
  TThreadList(const TThreadList&) = delete;
  TThreadList& operator=(const TThreadList&) = delete;
  virtual ~TThreadList() = default;

  // Appends item unless it is already in the list.
  void Add(void* item);
  void Remove(void* item);
  void Clear();
  // Takes the lock and gives the inner list; UnlockList releases it.
  TList& LockList();
  void UnlockList();

protected:
  mutable std::mutex lock_;
  TList list_;
};
