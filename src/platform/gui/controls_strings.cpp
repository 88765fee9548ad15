#include "platform/gui/controls_strings.h"

#include <algorithm>
#include <stdexcept>

#include "platform/files/codepage.h"

namespace platform {

TStrings& TStrings::operator=(const TStrings& other) {
  if (this != &other) Assign(other);
  return *this;
}

void TStrings::Check(int i) const {
  if (i < 0 || i >= Count())
    throw std::out_of_range("Indeks listy poza zakresem (" + std::to_string(i) + ")");
}

void TStrings::Notify(TChange change, int index) {
  if (OnChangeInternal) OnChangeInternal(change, index);
}

const std::string& TStrings::Strings(int i) const {
  Check(i);
  return items_[static_cast<size_t>(i)].text;
}

void TStrings::SetString(int i, std::string text) {
  Check(i);
  items_[static_cast<size_t>(i)].text = std::move(text);
  Notify(TChange::Changed, i);
}

void* TStrings::Objects(int i) const {
  Check(i);
  return items_[static_cast<size_t>(i)].object;
}

void TStrings::SetObject(int i, void* object) {
  Check(i);
  items_[static_cast<size_t>(i)].object = object;
}

int TStrings::Add(std::string text, void* object) {
  int at = Count();
  if (sorted_) {
    auto it = std::upper_bound(items_.begin(), items_.end(), text,
                               [](const std::string& t, const Item& item) {
                                 return CompareText(t, item.text) < 0;
                               });
    at = static_cast<int>(it - items_.begin());
  }
  items_.insert(items_.begin() + at, Item{std::move(text), object});
  Notify(TChange::Inserted, at);
  return at;
}

void TStrings::Insert(int i, std::string text, void* object) {
  if (i < 0 || i > Count())
    throw std::out_of_range("Indeks listy poza zakresem (" + std::to_string(i) + ")");
  items_.insert(items_.begin() + i, Item{std::move(text), object});
  Notify(TChange::Inserted, i);
}

void TStrings::Delete(int i) {
  Check(i);
  items_.erase(items_.begin() + i);
  Notify(TChange::Deleted, i);
}

void TStrings::Clear() {
  items_.clear();
  Notify(TChange::Cleared, -1);
}

void TStrings::Assign(const TStrings& other) {
  items_ = other.items_;
  if (sorted_) SetSorted(true);
  Notify(TChange::Reset, -1);
}

void TStrings::Assign(const std::vector<std::string>& texts) {
  items_.clear();
  for (const auto& t : texts) items_.push_back(Item{t, nullptr});
  if (sorted_) SetSorted(true);
  Notify(TChange::Reset, -1);
}

int TStrings::IndexOf(std::string_view text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(items_[static_cast<size_t>(i)].text, text)) return i;
  return -1;
}

int TStrings::IndexOfObject(const void* object) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<size_t>(i)].object == object) return i;
  return -1;
}

std::string TStrings::Text() const {
  std::string out;
  for (const auto& item : items_) {
    out += item.text;
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(std::string_view text) {
  items_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    items_.push_back(Item{std::string(line), nullptr});
    start = end + 1;
  }
  if (sorted_) SetSorted(true);
  Notify(TChange::Reset, -1);
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> out;
  out.reserve(items_.size());
  for (const auto& item : items_) out.push_back(item.text);
  return out;
}

void TStrings::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (!sorted) return;
  std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
    return CompareText(a.text, b.text) < 0;
  });
  Notify(TChange::Reset, -1);
}

}  // namespace platform
