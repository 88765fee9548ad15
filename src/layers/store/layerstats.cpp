#include "layers/store/layerstats.h"

#include <cmath>
#include <numbers>

void TDBStatystykaItem::AddValue(int, double) { ++Count; }

bool TDBStatystykaItem::Merge(const TDBStatystykaItem& other) {
  if (other.Mask != Mask) return false;
  Count += other.Count;
  return true;
}

void TDBLiniowyStatystyka::AddValue(int justification, double length) {
  TDBStatystykaItem::AddValue(justification, length);
  Length += length;
}

bool TDBLiniowyStatystyka::Merge(const TDBStatystykaItem& other) {
  if (!TDBStatystykaItem::Merge(other)) return false;
  if (auto* o = dynamic_cast<const TDBLiniowyStatystyka*>(&other)) Length += o->Length;
  return true;
}

void TDBTextStatystyka::AddValue(int justification, double length) {
  TDBStatystykaItem::AddValue(justification, length);
  if (justification >= 1 && justification <= 9) ++Justifications[justification - 1];
}

bool TDBTextStatystyka::Merge(const TDBStatystykaItem& other) {
  if (!TDBStatystykaItem::Merge(other)) return false;
  if (auto* o = dynamic_cast<const TDBTextStatystyka*>(&other))
    for (std::size_t i = 0; i < Justifications.size(); ++i) Justifications[i] += o->Justifications[i];
  return true;
}

namespace {
std::unique_ptr<TDBStatystykaItem> MakeItem(std::uint32_t mask) {
  switch (mask) {
    case 1: return std::make_unique<TDBLiniaStatystyka>();
    case 2: return std::make_unique<TDBLukStatystyka>();
    case 4: return std::make_unique<TDBOkragStatystyka>();
    case 8: return std::make_unique<TDBPunktStatystyka>();
    case 0x100: case 0x200: case 0x400: case 0x800: case 0xF00:
      return std::make_unique<TDBTextStatystyka>();
    case 0x1000: return std::make_unique<TDBSymbolStatystyka>();
    default: return nullptr;
  }
}
}  // namespace

const TDBStatystykaItem* TDBStatystyka::Find(std::uint32_t mask) const {
  for (const auto& item : items_)
    if (item->Mask & mask) return item.get();
  return nullptr;
}

void TDBStatystyka::Add(std::uint32_t kindBit, int justification, double length) {
  cancel_->CheckCanceled();
  for (auto& item : items_) {
    if (item->Mask & kindBit) {
      item->AddValue(justification, length);
      return;
    }
  }
  if (auto item = MakeItem(kindBit)) {
    item->AddValue(justification, length);
    items_.push_back(std::move(item));
  }
}

void TDBStatystyka::Merge(const TDBStatystyka& other) {
  cancel_->CheckCanceled();
  for (const auto& theirs : other.items_) {
    bool merged = false;
    for (auto& mine : items_) {
      if (mine->Mask == theirs->Mask) {
        merged = mine->Merge(*theirs);
        break;
      }
    }
    if (merged) continue;
    if (auto item = MakeItem(theirs->Mask)) {
      item->Merge(*theirs);
      items_.push_back(std::move(item));
    }
  }
}

void TDBStatystykaList::Resize(int n) {
  while (static_cast<int>(items_.size()) < n) items_.push_back(std::make_unique<TDBStatystyka>(*cancel_));
}

double ArcLength(double chord, double r) {
  const double ar = std::fabs(r);
  if (ar == 0.0) return 0.0;
  const double q = (chord / 2.0) / ar;
  double angle = q >= 1.0 ? std::numbers::pi : 2.0 * std::atan(q / std::sqrt(1.0 - q * q));
  if (r < 0) angle = 2.0 * std::numbers::pi - angle;
  return ar * angle;
}
