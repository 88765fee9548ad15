// The bulk operations the layer panel and the map view run over the layer
// tree: save, recolour, line type, width, italic texts, parcel line
// thickness, sheet-grid scale, default colours, filter, reindex, archive
// purge, cleaning, statistics, finding a layer by name, listing layer paths
// and the default order. Each is a walker: a visitor the caller runs from a
// node (usually the root) with Execute and frees afterwards.
//
// Selection rule (TWalkSelectedLeaf): a node whose type mask shares no bit
// with the walker's mask is skipped with its subtree. With OnlySelected set,
// an unticked node is only searched for ticked nodes below it, and
// everything below a ticked node counts as selected; with OnlySelected clear
// every node of the walker's kinds is handled. When the panel setting
// "UsuwajSelekcje" is on, each ticked node handled is unticked afterwards
// (unless the walker clears UpdateStateImages, as TCheckBrudna does).
//
// Redraw: a parameter walker (TParamUpdate) tells the layer panel of each
// node it changed: NodeChanged (node, true) when the node alone may be
// redrawn, (node, false) when the whole view must be.
//
// Threads: GUI thread only, like the tree changes they make. Ownership: a
// walker owns nothing it is given (panel, filter, statistics, lists, cancel
// windows of its caller); TIndexUpdate owns the cancel window it makes.
// A walker lives for one Execute; SeekSelected and the path stack are back
// to their values after every node, so it may be run again from another node.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/settings/settings.h"
#include "layers/tree/layernode.h"
#include "layers/tree/statistics.h"

class TCancel;
class TLayerPanelI;
class TLine;
class TPodwarstwa;
class TWarstwa;

// --- The layer panel's settings ---

// Ini section of the profile's settings file:
//   [Eksplorator]  UsuwajSelekcje=1|0  (default 1: walks untick what they
//                                       handled)
class TWarContCfg : public TParametryConf {
 public:
  static constexpr char kSection[] = "Eksplorator";
  static constexpr char kKeyUsuwajSelekcje[] = "UsuwajSelekcje";

  TWarContCfg() = default;
  TWarContCfg(const TWarContCfg& Source);

  std::unique_ptr<TParametryConf> Clone() const override;
  bool AssignFrom(TParametryConf* Source) override;
  // Always the section "Eksplorator"; true when the key is missing.
  void Read(const platform::TIniFile& Ini) override;
  void Write(platform::TIniFile& Ini) const override;

  bool UsuwajSelekcje = true;
};

// The panel's settings group of the global configuration, registered (and
// so read from the settings file) on the first call.
TWarContCfg& WarContCfg();

// --- The layer filter as TWalkFiltr applies it ---

// The filter window's layer filter. Its owner binds it to the view whose
// objects it marks.
class TLayerFiltrI {
 public:
  virtual ~TLayerFiltrI() = default;
  // The node kinds (type mask bits) the filter takes.
  virtual std::uint32_t GetKindMask() const = 0;
  // Applies the filter to the sublayer's objects; true when it accepted any.
  virtual bool ApplyFilter(TPodwarstwa& Sublayer) = 0;
};

// --- Type masks of the walkers ---

inline constexpr std::uint32_t kWalkParams = 0xFFF03;     // colour, line type, index
inline constexpr std::uint32_t kWalkWidth = kMaskLine;     // screen width
inline constexpr std::uint32_t kWalkItalic = kMaskTextLike;
inline constexpr std::uint32_t kWalkLotsThick = 0xD000;
inline constexpr std::uint32_t kWalkGridScale = 0x1C000;
inline constexpr std::uint32_t kWalkStatistics = kMaskText | kMaskLine;
inline constexpr std::uint32_t kWalkOldArch = 0x1FF43;

// Results of TParamUpdate::Apply.
inline constexpr int kApplyUnchanged = 0;
inline constexpr int kApplyRedrawNode = 1;  // changed; the node alone may be redrawn
inline constexpr int kApplyRedrawAll = 2;   // changed; the whole view must be redrawn

// --- The bases ---

class TUpdateWarstwaI : public TUpdateWarstwa {
 public:
  explicit TUpdateWarstwaI(std::uint32_t TypeMask) : TUpdateWarstwa(0), WalkMask(TypeMask) {}

  std::uint32_t WalkMask;

 protected:
  // Whether the node shares a kind bit with WalkMask.
  bool Takes(TWarstwaOgolna& Node) { return (Node.GetTypeMask() & WalkMask) != 0; }
};

// Visits the leaves below the start node, in tree order.
class TWalkLeaf : public TUpdateWarstwaI {
 public:
  using TUpdateWarstwaI::TUpdateWarstwaI;

  void Update(TWarstwaOgolna& Node) override;
  virtual void VisitLeaf(TWarstwaOgolna& Node) = 0;
  // Base: the node is not a group.
  virtual bool IsLeaf(TWarstwaOgolna& Node);
};

// TWalkLeaf with the selection rule (file comment). The base flag byte holds
// OnlySelected.
class TWalkSelectedLeaf : public TWalkLeaf {
 public:
  TWalkSelectedLeaf(bool OnlySelected, std::uint32_t TypeMask);

  bool OnlySelected() const { return Flag != 0; }
  // Whether the walk still looks for ticked nodes (cleared below a ticked
  // group).
  bool SeekSelected = true;
  // Whether handled ticked nodes are unticked (with "UsuwajSelekcje").
  bool UpdateStateImages = true;

  // UpdateStateImages: the panel resets its count of ticked layers after the
  // walk when this answered true and "UsuwajSelekcje" is on.
  bool Continue() override;
  void Update(TWarstwaOgolna& Node) override;

 protected:
  // Unticks the node when "UsuwajSelekcje" is on and it is ticked (its tree
  // item's state image goes one down, or its state without an item).
  void UpdateNodeStateIndex(TWarstwaOgolna& Node);
};

// TWalkSelectedLeaf that knows the path of the node it visits.
class TWalkPath : public TWalkSelectedLeaf {
 public:
  static constexpr int kMaxDepth = 16;

  using TWalkSelectedLeaf::TWalkSelectedLeaf;

  // The prefix: "/" and the names of the start node's ancestors from the
  // top down, each followed by "/".
  void Start(TWarstwaOgolna& Node) override;
  // Stacks the node's name around the selection-aware update. A tree deeper
  // than kMaxDepth below the start node raises EInternalError.
  void Update(TWarstwaOgolna& Node) override;

  // The prefix followed by every stacked name, each followed by "/".
  std::string CurrentPath() const;
  const std::string& Prefix() const { return prefix_; }
  int Depth() const { return count_; }

 private:
  std::array<std::string, kMaxDepth> names_;
  std::int32_t count_ = 0;
  std::string prefix_ = "/";
};

// Applies a parameter to each leaf and tells the panel what to redraw.
class TParamUpdate : public TWalkSelectedLeaf {
 public:
  // Panel may be none.
  TParamUpdate(bool OnlySelected, std::uint32_t TypeMask, TLayerPanelI* Panel)
      : TWalkSelectedLeaf(OnlySelected, TypeMask), Panel(Panel) {}

  TLayerPanelI* Panel;  // not owned

  void VisitLeaf(TWarstwaOgolna& Node) override;
  // kApplyUnchanged, kApplyRedrawNode or kApplyRedrawAll.
  virtual int Apply(TWarstwaOgolna& Node) = 0;
};

// Looks for the first leaf that passes Test, then ends the walk.
class TCheckFlag : public TParamUpdate {
 public:
  using TParamUpdate::TParamUpdate;

  bool Found = false;

  int Apply(TWarstwaOgolna& Node) override;
  virtual bool Test(TWarstwaOgolna& Node) = 0;
};

// --- Leaf walkers ---

// Saves each sublayer.
class TSave : public TParamUpdate {
 public:
  using TParamUpdate::TParamUpdate;
  int Apply(TWarstwaOgolna& Node) override;
};

// Found: a sublayer has unsaved changes. Never unticks.
class TCheckBrudna : public TCheckFlag {
 public:
  TCheckBrudna(bool OnlySelected, std::uint32_t TypeMask, TLayerPanelI* Panel);
  bool Test(TWarstwaOgolna& Node) override;
};

class TKolorUpdate : public TParamUpdate {
 public:
  TKolorUpdate(bool OnlySelected, std::uint32_t Colour, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, kWalkParams, Panel), Colour(Colour) {}

  std::uint32_t Colour;

  int Apply(TWarstwaOgolna& Node) override;
};

// TKolorUpdate only for nodes whose type mask shares a bit with KindMask.
class TTypKolorUpdate : public TKolorUpdate {
 public:
  TTypKolorUpdate(bool OnlySelected, std::uint32_t Colour, std::uint32_t KindMask, TLayerPanelI* Panel)
      : TKolorUpdate(OnlySelected, Colour, Panel), KindMask(KindMask) {}

  std::uint32_t KindMask;

  int Apply(TWarstwaOgolna& Node) override;
};

class TLineUpdate : public TParamUpdate {
 public:
  // LineType: the line style (none: the default style); not owned.
  TLineUpdate(bool OnlySelected, const TLine* LineType, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, kWalkParams, Panel), LineType(LineType) {}

  const TLine* LineType;

  int Apply(TWarstwaOgolna& Node) override;
};

// The screen width of line sublayers: 0 from the header, 1 thin, 2 thick.
// Text sublayers are left alone.
class TGruboscUpdate : public TParamUpdate {
 public:
  TGruboscUpdate(bool OnlySelected, std::uint8_t Width, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, kWalkWidth, Panel), Width(Width) {}

  std::uint8_t Width;

  int Apply(TWarstwaOgolna& Node) override;
};

class TItalicUpdate : public TParamUpdate {
 public:
  TItalicUpdate(bool OnlySelected, bool Italic, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, kWalkItalic, Panel), Italic(Italic) {}

  bool Italic;

  int Apply(TWarstwaOgolna& Node) override;
};

class TLotsThickUpdate : public TParamUpdate {
 public:
  TLotsThickUpdate(bool OnlySelected, bool Thick, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, kWalkLotsThick, Panel), Thick(Thick) {}

  bool Thick;

  int Apply(TWarstwaOgolna& Node) override;
};

class TGridScaleUpdate : public TParamUpdate {
 public:
  TGridScaleUpdate(bool OnlySelected, std::int32_t Scale, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, kWalkGridScale, Panel), Scale(Scale) {}

  std::int32_t Scale;

  int Apply(TWarstwaOgolna& Node) override;
};

// Gives every object of each sublayer its default colour.
class TObjDefaultColors : public TParamUpdate {
 public:
  using TParamUpdate::TParamUpdate;
  int Apply(TWarstwaOgolna& Node) override;
};

// Applies a layer filter to each sublayer of the filter's kinds.
class TWalkFiltr : public TParamUpdate {
 public:
  // Filter must be set (else EInternalError); not owned.
  TWalkFiltr(bool OnlySelected, TLayerFiltrI* Filter, TLayerPanelI* Panel);

  TLayerFiltrI* Filter;

  int Apply(TWarstwaOgolna& Node) override;
};

// Rebuilds the index of each layer (a layer and a sublayer count as leaves)
// under its own cancel window "Indeksowanie", shown after 500 ms. A cancel
// ends the walk at the next leaf.
class TIndexUpdate : public TParamUpdate {
 public:
  static constexpr std::uint32_t kCancelDelay = 500;
  static constexpr char kCancelCaption[] = "Indeksowanie";

  TIndexUpdate(bool OnlySelected, TLayerPanelI* Panel);
  ~TIndexUpdate() override;

  TCancel& Cancel() const { return *cancel_; }

  bool IsLeaf(TWarstwaOgolna& Node) override;
  int Apply(TWarstwaOgolna& Node) override;

 private:
  std::unique_ptr<TCancel> cancel_;
};

// Rewrites each writable layer's file without its archive (Backup: the
// folder for a copy, empty for none).
class TCleanWarstwy : public TParamUpdate {
 public:
  TCleanWarstwy(bool OnlySelected, std::uint32_t TypeMask, std::string Backup, TLayerPanelI* Panel)
      : TParamUpdate(OnlySelected, TypeMask, Panel), Backup(std::move(Backup)) {}

  std::string Backup;

  bool IsLeaf(TWarstwaOgolna& Node) override;
  int Apply(TWarstwaOgolna& Node) override;
};

// Counts the loaded objects of each sublayer into Statistics (not owned).
class TDoStatystyka : public TWalkSelectedLeaf {
 public:
  TDoStatystyka(bool OnlySelected, TStatystyka* Statistics)
      : TWalkSelectedLeaf(OnlySelected, kWalkStatistics), Statistics(Statistics) {}

  TStatystyka* Statistics;

  void VisitLeaf(TWarstwaOgolna& Node) override;
};

// Gathers the layer-file statistics items of each sublayer into List (not
// owned); the items stay the layers' (see TDBStatystykaItems).
class TDoDBStatystyka : public TWalkSelectedLeaf {
 public:
  TDoDBStatystyka(bool OnlySelected, TDBStatystykaItems* List)
      : TWalkSelectedLeaf(OnlySelected, kWalkStatistics), List(List) {}

  TDBStatystykaItems* List;

  void VisitLeaf(TWarstwaOgolna& Node) override;
};

// Purges the archived states older than Date (packed date-time).
class TDeleteOldArch : public TWalkSelectedLeaf {
 public:
  // Cancel may be none; not owned.
  TDeleteOldArch(bool OnlySelected, std::uint32_t Date, TCancel* Cancel)
      : TWalkSelectedLeaf(OnlySelected, kWalkOldArch), Date(Date), Cancel(Cancel) {}

  std::uint32_t Date;
  TCancel* Cancel;

  void VisitLeaf(TWarstwaOgolna& Node) override;
};

// Lists the paths ("/root/catalogue/layer/") of the writable layers.
class TCreateList : public TWalkPath {
 public:
  TCreateList(bool OnlySelected, std::uint32_t TypeMask, std::vector<std::string>* List)
      : TWalkPath(OnlySelected, TypeMask), List(List) {}

  std::vector<std::string>* List;  // not owned

  bool IsLeaf(TWarstwaOgolna& Node) override;
  void VisitLeaf(TWarstwaOgolna& Node) override;
};

// The first layer, in walk order, whose name equals Name (exact, case
// sensitive); none when there is none.
class TFindWarstwa : public TWalkLeaf {
 public:
  TFindWarstwa(std::uint32_t TypeMask, std::string Name) : TWalkLeaf(TypeMask), Name(std::move(Name)) {}

  std::string Name;
  TWarstwa* Warstwa = nullptr;

  bool IsLeaf(TWarstwaOgolna& Node) override;
  void VisitLeaf(TWarstwaOgolna& Node) override;
};

// Restores the default order (name order) of every group below the start
// node, depth first.
class TDefaultOrder : public TUpdateWarstwa {
 public:
  TDefaultOrder() : TUpdateWarstwa(0) {}
  void Update(TWarstwaOgolna& Node) override;
};
