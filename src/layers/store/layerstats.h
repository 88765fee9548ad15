// Object statistics of a layer file, counted straight from its records: per
// sublayer how many lines, arcs, circles, points, texts and symbols, the
// total length of the linear objects and the justification of the texts.
//
// Kind bit of an object: 1 << (kind + 8 t), kind the low three bits of the
// record's kind, t 1 in a text layer: bits 0-3 line, arc, circle, point;
// bits 8-11 the text kinds; bit 12 the symbol.
//
// A list owns its per-sublayer items, an item list owns its items; the
// cancel check belongs to the caller. The thread that counts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/threads/cancelcheck.h"

class TDBStatystykaItem {
public:
  explicit TDBStatystykaItem(std::uint32_t mask) : Mask(mask) {}
  virtual ~TDBStatystykaItem() = default;
  // count + 1; the linear items add the length, the text item counts the
  // justification 1 to 9.
  virtual void AddValue(int justification, double length);
  // Only items of equal masks merge (else false).
  virtual bool Merge(const TDBStatystykaItem& other);
  std::uint32_t Mask;
  std::int32_t Count = 0;
};

class TDBLiniowyStatystyka : public TDBStatystykaItem {
public:
  using TDBStatystykaItem::TDBStatystykaItem;
  void AddValue(int justification, double length) override;
  bool Merge(const TDBStatystykaItem& other) override;
  double Length = 0;
};

class TDBLiniaStatystyka : public TDBLiniowyStatystyka {
public:
  TDBLiniaStatystyka() : TDBLiniowyStatystyka(1) {}
};
class TDBLukStatystyka : public TDBLiniowyStatystyka {
public:
  TDBLukStatystyka() : TDBLiniowyStatystyka(2) {}
};
class TDBOkragStatystyka : public TDBLiniowyStatystyka {
public:
  TDBOkragStatystyka() : TDBLiniowyStatystyka(4) {}
};
class TDBPunktStatystyka : public TDBStatystykaItem {
public:
  TDBPunktStatystyka() : TDBStatystykaItem(8) {}
};
class TDBTextStatystyka : public TDBStatystykaItem {
public:
  TDBTextStatystyka() : TDBStatystykaItem(0xF00) {}
  void AddValue(int justification, double length) override;
  bool Merge(const TDBStatystykaItem& other) override;
  std::array<std::int32_t, 9> Justifications{};  // 1 to 9
};
class TDBSymbolStatystyka : public TDBStatystykaItem {
public:
  TDBSymbolStatystyka() : TDBStatystykaItem(0x1000) {}
};

// The items of one sublayer.
class TDBStatystyka {
public:
  explicit TDBStatystyka(ICancelCheck& cancel) : cancel_(&cancel) {}
  // Checks the cancel; the first item sharing a bit with kindBit takes the
  // value, else a new item for the bit is made; other bits are not counted.
  void Add(std::uint32_t kindBit, int justification, double length);
  void Merge(const TDBStatystyka& other);
  int Count() const { return static_cast<int>(items_.size()); }
  const TDBStatystykaItem& Item(int i) const { return *items_[static_cast<std::size_t>(i)]; }
  // The item whose mask shares a bit with mask, or nullptr.
  const TDBStatystykaItem* Find(std::uint32_t mask) const;

private:
  ICancelCheck* cancel_;
  std::vector<std::unique_ptr<TDBStatystykaItem>> items_;
};

// One TDBStatystyka per sublayer.
class TDBStatystykaList {
public:
  explicit TDBStatystykaList(ICancelCheck& cancel) : cancel_(&cancel) {}
  // Grows to at least n sublayers.
  void Resize(int n);
  int Count() const { return static_cast<int>(items_.size()); }
  TDBStatystyka& Item(int i) { return *items_[static_cast<std::size_t>(i)]; }
  const TDBStatystyka& Item(int i) const { return *items_[static_cast<std::size_t>(i)]; }

private:
  ICancelCheck* cancel_;
  std::vector<std::unique_ptr<TDBStatystyka>> items_;
};

// Length of an arc of signed radius r whose end points are chord apart; a
// negative radius takes the longer way; a chord above the diameter gives a
// half circle.
double ArcLength(double chord, double r);
