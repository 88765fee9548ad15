// TStrings: a list of texts, each with an attached object pointer (not owned),
// as held by combo boxes, list boxes, radio groups and memos. Lookups ignore
// letter case (Polish letters included). A control that shows the list is
// told of every change and keeps its window in step.
//
// GUI thread only when the list belongs to a control. The list owns its texts,
// never the attached objects.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class TStrings {
 public:
  enum class TChange { Inserted, Deleted, Changed, Cleared, Reset };

  TStrings() = default;
  TStrings(const TStrings& other) : items_(other.items_), sorted_(other.sorted_) {}
  TStrings& operator=(const TStrings& other);

  int Count() const { return static_cast<int>(items_.size()); }
  // Throw std::out_of_range ("Indeks listy poza zakresem (i)") outside
  // 0..Count-1.
  const std::string& Strings(int i) const;
  const std::string& operator[](int i) const { return Strings(i); }
  void SetString(int i, std::string text);
  void* Objects(int i) const;
  void SetObject(int i, void* object);

  // Appends (or, when Sorted, inserts in order); returns the index.
  int Add(std::string text, void* object = nullptr);
  void Insert(int i, std::string text, void* object = nullptr);
  void Delete(int i);
  void Clear();
  // Replaces the whole list.
  void Assign(const TStrings& other);
  void Assign(const std::vector<std::string>& texts);

  // First index of text, ignoring letter case; -1 when absent.
  int IndexOf(std::string_view text) const;
  int IndexOfObject(const void* object) const;

  // Lines joined with "\r\n"; SetText splits on "\r\n" or "\n".
  std::string Text() const;
  void SetText(std::string_view text);
  std::vector<std::string> ToVector() const;

  // Sorted lists keep their texts in case-insensitive order (CompareText:
  // code page 1250 order of the upper-cased texts, as stored files sort).
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

  // Set by the control that shows the list.
  std::function<void(TChange change, int index)> OnChangeInternal;

 private:
  struct Item {
    std::string text;
    void* object = nullptr;
  };
  void Check(int i) const;
  void Notify(TChange change, int index);

  std::vector<Item> items_;
  bool sorted_ = false;
};

}  // namespace platform
