// Object statistics of layers: how many lines, arcs, circles, points, texts
// and symbols the layer panel's selected node (or its ticked layers, "Wybrane
// warstwy") holds, the total and mean length of the linear kinds and the
// justifications of the texts. The figures come from the objects loaded in
// memory (AddObject, fed by the walker TDoStatystyka) or from the layer
// files' own statistics (AddFileStatistics, gathered by TDoDBStatystyka), and
// are written into the object information window (AddLayerLines).
//
// Information window rows (label and value cells by row and column):
//   r      "Warstwa" | Name
//   each item, from the next free row:
//   r      value(0) Name, label/value(2) "Ilość" Count
//   r+1    line kinds: "Długość" Length (1), "Średnia długość" Length/Count (2)
//   r..r+3 texts with counted justifications: label(3) "Justyfikacja", then
//          the justification counters laid out as a numeric keypad (7 8 9 /
//          4 5 6 / 1 2 3 in columns 2 to 4).
// Lengths use the coordinate format of the cursor settings (CursorFormat).
//
// GUI thread only. A TStatystyka owns its items; it holds no object and no
// layer-file item after the call that counted it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IGrObjInfo;
class TDBStatystykaItem;
class TEGraphObj;

// The name of the statistics of the ticked layers.
inline constexpr char kSelectedLayersName[] = "Wybrane warstwy";

// A class of graphic objects: true when the object is of the class or one
// of its descendants.
using TGraphObjClass = bool (*)(const TEGraphObj& Obj);
template <class T>
bool IsGraphObjOf(const TEGraphObj& Obj) {
  return dynamic_cast<const T*>(&Obj) != nullptr;
}

// The layer-file statistics items of several sublayers, in the order they
// were gathered; the items belong to the layers' cached file statistics and
// stay valid until a layer drops them (a save, a change of the layer).
using TDBStatystykaItems = std::vector<const TDBStatystykaItem*>;

class TStatystykaItem {
 public:
  TStatystykaItem(std::string Name, TGraphObjClass ObjectClass);
  virtual ~TStatystykaItem();
  TStatystykaItem(const TStatystykaItem&) = delete;
  TStatystykaItem& operator=(const TStatystykaItem&) = delete;

  std::string Name;
  // 64 bits: merged file figures of many layers cannot overflow it.
  std::int64_t Count = 0;
  TGraphObjClass ObjectClass;

  // Whether Obj is of ObjectClass (or a descendant).
  bool Counts(const TEGraphObj& Obj) const { return ObjectClass(Obj); }

  // Count + 1.
  virtual void Add(const TEGraphObj& Obj);
  // Takes Other's figures when the names are equal; the answer says whether
  // they were.
  virtual bool Merge(const TStatystykaItem& Other);
  // Takes a layer-file item's figures, whatever its kind.
  virtual void AddFileItem(const TDBStatystykaItem& Item);
  // Writes the item from Row on; answers the number of rows written.
  virtual int Show(int Row, IGrObjInfo& Info) const;
};

class TStatystykaLineItem : public TStatystykaItem {
 public:
  using TStatystykaItem::TStatystykaItem;

  double Length = 0;

  // Also adds the object's length.
  void Add(const TEGraphObj& Obj) override;
  bool Merge(const TStatystykaItem& Other) override;
  void AddFileItem(const TDBStatystykaItem& Item) override;
  // Two rows: the counts, then the total and the mean length (0 for an
  // item without objects).
  int Show(int Row, IGrObjInfo& Info) const override;
};

class TStatystykaTextItem : public TStatystykaItem {
 public:
  using TStatystykaItem::TStatystykaItem;

  // Counters of the justifications 1 to 9.
  std::array<std::int64_t, 9> Justification{};

  // A text with a justification (TWysNapis and descendants) also counts
  // it; a value outside 1 to 9 is not counted by justification.
  void Add(const TEGraphObj& Obj) override;
  bool Merge(const TStatystykaItem& Other) override;
  void AddFileItem(const TDBStatystykaItem& Item) override;
  // Four rows with the keypad grid when any justification was counted,
  // else one.
  int Show(int Row, IGrObjInfo& Info) const override;
};

// The item for a layer-file kind code (1 line, 2 arc, 4 circle, 8 point,
// 0xF00 text, 0x1000 symbol), or none for any other code.
std::unique_ptr<TStatystykaItem> MakeStatystykaItem(std::uint32_t KindCode);

class TStatystyka {
 public:
  explicit TStatystyka(std::string Name);
  ~TStatystyka();
  TStatystyka(const TStatystyka&) = delete;
  TStatystyka& operator=(const TStatystyka&) = delete;

  // The node's name, or kSelectedLayersName.
  std::string Name;

  // The first item whose class Obj belongs to counts it; else a new item is
  // made by the first class that matches in the order text, symbol, line,
  // circle, arc, point. An object of none of them is not counted.
  void AddObject(const TEGraphObj& Obj);
  // Every file item of a known kind is counted into the item of its kind:
  // items of one kind (from several sublayers or layer files) end in one
  // item. Null entries are skipped.
  void AddFileStatistics(const TDBStatystykaItems& List);
  // Writes "Warstwa" and Name at Row, then every item from the next free
  // row in item order. Answers the number of rows written.
  int AddLayerLines(int Row, IGrObjInfo& Info) const;

  int Count() const { return static_cast<int>(items_.size()); }
  const TStatystykaItem& Item(int Index) const { return *items_.at(static_cast<std::size_t>(Index)); }

 private:
  std::vector<std::unique_ptr<TStatystykaItem>> items_;
};
