#include "layers/tree/statistics.h"

#include <string>
#include <utility>

#include "layers/store/layerstats.h"
#include "objects/grobj.h"
#include "objects/layerline.h"
#include "objects/layerobji.h"
#include "objects/point.h"
#include "objects/symbol.h"
#include "objects/texts.h"

namespace {

constexpr char kCountLabel[] = "Ilość";
constexpr char kLengthLabel[] = "Długość";
constexpr char kMeanLabel[] = "Średnia długość";
constexpr char kJustificationLabel[] = "Justyfikacja";
constexpr char kLayerLabel[] = "Warstwa";

// One kind of object: its item's name and class and the class it counts.
struct TKind {
  const char* Name;
  enum { Plain, Line, Text } ItemClass;
  TGraphObjClass ObjectClass;
  std::uint32_t KindCode;
};

// In the order a new object's class is tested (a special line is a TLinia,
// a fraction a TWysNapis).
constexpr TKind kKinds[] = {
    {"Tekst", TKind::Text, &IsGraphObjOf<TNapisT>, 0xF00},
    {"Symbol", TKind::Plain, &IsGraphObjOf<TGrSymbol>, 0x1000},
    {"Linia", TKind::Line, &IsGraphObjOf<TLinia>, 1},
    {"Okrąg", TKind::Line, &IsGraphObjOf<TOkrag>, 4},
    {"Łuk", TKind::Line, &IsGraphObjOf<TLuk>, 2},
    {"Punkt", TKind::Plain, &IsGraphObjOf<TPunkt>, 8},
};

std::unique_ptr<TStatystykaItem> MakeItem(const TKind& Kind) {
  switch (Kind.ItemClass) {
    case TKind::Line: return std::make_unique<TStatystykaLineItem>(Kind.Name, Kind.ObjectClass);
    case TKind::Text: return std::make_unique<TStatystykaTextItem>(Kind.Name, Kind.ObjectClass);
    case TKind::Plain: break;
  }
  return std::make_unique<TStatystykaItem>(Kind.Name, Kind.ObjectClass);
}

}  // namespace

// --- TStatystykaItem ---

TStatystykaItem::TStatystykaItem(std::string AName, TGraphObjClass AObjectClass)
    : Name(std::move(AName)), ObjectClass(AObjectClass) {}

TStatystykaItem::~TStatystykaItem() = default;

void TStatystykaItem::Add(const TEGraphObj&) { ++Count; }

bool TStatystykaItem::Merge(const TStatystykaItem& Other) {
  if (Other.Name != Name) return false;
  Count += Other.Count;
  return true;
}

void TStatystykaItem::AddFileItem(const TDBStatystykaItem& Item) { Count += Item.Count; }

int TStatystykaItem::Show(int Row, IGrObjInfo& Info) const {
  Info.SetValue(Row, 0, Name);
  Info.SetLabel(Row, 2, kCountLabel);
  Info.SetValue(Row, 2, std::to_string(Count));
  return 1;
}

// --- TStatystykaLineItem ---

void TStatystykaLineItem::Add(const TEGraphObj& Obj) {
  TStatystykaItem::Add(Obj);
  Length += Obj.GetLength();
}

bool TStatystykaLineItem::Merge(const TStatystykaItem& Other) {
  if (!TStatystykaItem::Merge(Other)) return false;
  if (auto* line = dynamic_cast<const TStatystykaLineItem*>(&Other)) Length += line->Length;
  return true;
}

void TStatystykaLineItem::AddFileItem(const TDBStatystykaItem& Item) {
  TStatystykaItem::AddFileItem(Item);
  if (auto* line = dynamic_cast<const TDBLiniowyStatystyka*>(&Item)) Length += line->Length;
}

int TStatystykaLineItem::Show(int Row, IGrObjInfo& Info) const {
  TStatystykaItem::Show(Row, Info);
  const ICursorFormat& format = CursorFormat();
  // An item made from an empty file item has no objects: its mean is 0
  // rather than a division by zero.
  const double mean = Count > 0 ? Length / static_cast<double>(Count) : 0.0;
  Info.SetLabel(Row + 1, 1, kLengthLabel);
  Info.SetValue(Row + 1, 1, format.FormatCoord(Length));
  Info.SetLabel(Row + 1, 2, kMeanLabel);
  Info.SetValue(Row + 1, 2, format.FormatCoord(mean));
  return 2;
}

// --- TStatystykaTextItem ---

void TStatystykaTextItem::Add(const TEGraphObj& Obj) {
  TStatystykaItem::Add(Obj);
  if (auto* text = dynamic_cast<const TWysNapis*>(&Obj)) {
    const int j = text->GetJustyfikacja();
    if (j >= 1 && j <= 9) ++Justification[static_cast<std::size_t>(j - 1)];
  }
}

bool TStatystykaTextItem::Merge(const TStatystykaItem& Other) {
  if (!TStatystykaItem::Merge(Other)) return false;
  if (auto* text = dynamic_cast<const TStatystykaTextItem*>(&Other))
    for (std::size_t i = 0; i < Justification.size(); ++i) Justification[i] += text->Justification[i];
  return true;
}

void TStatystykaTextItem::AddFileItem(const TDBStatystykaItem& Item) {
  TStatystykaItem::AddFileItem(Item);
  if (auto* text = dynamic_cast<const TDBTextStatystyka*>(&Item))
    for (std::size_t i = 0; i < Justification.size(); ++i) Justification[i] += text->Justifications[i];
}

int TStatystykaTextItem::Show(int Row, IGrObjInfo& Info) const {
  TStatystykaItem::Show(Row, Info);
  bool any = false;
  for (std::int64_t n : Justification) any = any || n > 0;
  if (!any) return 1;
  Info.SetLabel(Row, 3, kJustificationLabel);
  // Laid out as a numeric keypad: 7 8 9 on top, 1 2 3 at the bottom.
  for (int line = 0; line < 3; ++line) {
    for (int col = 0; col < 3; ++col) {
      const int j = (2 - line) * 3 + col + 1;
      Info.SetLabel(Row + 1 + line, 2 + col, std::to_string(j));
      Info.SetValue(Row + 1 + line, 2 + col, std::to_string(Justification[static_cast<std::size_t>(j - 1)]));
    }
  }
  return 4;
}

// --- TStatystyka ---

std::unique_ptr<TStatystykaItem> MakeStatystykaItem(std::uint32_t KindCode) {
  for (const TKind& kind : kKinds)
    if (kind.KindCode == KindCode) return MakeItem(kind);
  return nullptr;
}

TStatystyka::TStatystyka(std::string AName) : Name(std::move(AName)) {}

TStatystyka::~TStatystyka() = default;

void TStatystyka::AddObject(const TEGraphObj& Obj) {
  for (auto& item : items_) {
    if (item->Counts(Obj)) {
      item->Add(Obj);
      return;
    }
  }
  for (const TKind& kind : kKinds) {
    if (!kind.ObjectClass(Obj)) continue;
    std::unique_ptr<TStatystykaItem> item = MakeItem(kind);
    item->Add(Obj);
    items_.push_back(std::move(item));
    return;
  }
}

void TStatystyka::AddFileStatistics(const TDBStatystykaItems& List) {
  for (const TDBStatystykaItem* fileItem : List) {
    if (fileItem == nullptr) continue;
    std::unique_ptr<TStatystykaItem> item = MakeStatystykaItem(fileItem->Mask);
    if (!item) continue;
    item->AddFileItem(*fileItem);
    // One item per kind: the figures of every sublayer and layer file of a
    // kind add up in the first item of that kind.
    bool merged = false;
    for (auto& existing : items_) {
      if (existing->Merge(*item)) {
        merged = true;
        break;
      }
    }
    if (!merged) items_.push_back(std::move(item));
  }
}

int TStatystyka::AddLayerLines(int Row, IGrObjInfo& Info) const {
  Info.SetLabel(Row, 0, kLayerLabel);
  Info.SetValue(Row, 1, Name);
  int next = Row + 1;
  for (const auto& item : items_) next += item->Show(next, Info);
  return next - Row;
}
