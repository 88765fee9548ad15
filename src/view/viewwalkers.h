// The map view's own walkers over its layer tree: the user-menu actions that
// find layers by a path pattern and show, hide, unload, load, save or test
// them; the activity-menu finder that makes a sublayer the active one; the
// save question on closing; the layer order kept in the registry; the texts
// lying in a clip; and the reset of the sublayers' search indexes.
//
// Path pattern of the menu actions: components separated by '\'; a node's
// identifier, in upper case, matches a component when it equals it, where
// '?' stands for any one character and '*' ends the comparison (a name
// shorter than the part before the star matches when it begins that part).
// Components compare case-sensitively, so a path in lower case matches
// nothing.
//
// Threads: GUI thread only, like the tree changes they make. Every walker is
// made for one walk and freed by its creator; it owns nothing it is given
// (view, cancel window, clip, text list); the registry walkers own their
// registry object.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/geometry/realgeom.h"
#include "layers/tree/layernode.h"
#include "layers/tree/walkers.h"
#include "ui/activityrecord.h"
#include "view/presets.h"

namespace platform {
class TRegistry;
}
class TCancel;
class TClip;
class TEGraphObj;
class TGeneratorImp;
class TPodwarstwa;
class TTvView;

// What the walkers ask of the view: a node redrawn alone, and the active
// sublayers set (a sublayer) or released (none).
class TTreeActionViewI {
 public:
  virtual ~TTreeActionViewI() = default;
  virtual void QueueRedraw(TWarstwaOgolna* Node) = 0;
  virtual void SetActivePodwarstwa(TWarstwaOgolna* Node) = 0;
};

// The walkers' calls on a map view (not owned).
class TViewTreeActions : public TTreeActionViewI {
 public:
  explicit TViewTreeActions(TTvView& View) : View(View) {}
  TTvView& View;
  void QueueRedraw(TWarstwaOgolna* Node) override;
  void SetActivePodwarstwa(TWarstwaOgolna* Node) override;
};

// Type mask of a visibility-menu item's layer kind (0 all, 1 line layers,
// 2 text layers, 3 to 5 parcel layers, 6 hatched areas, 7 rasters, 8 sheet
// grid); 0 for any other index.
std::uint32_t MenuKindMask(int Kind);

// Whether Ident (already in upper case) matches one pattern component.
bool MatchPathComponent(std::string_view Component, std::string_view Ident);

// The group of rasters, acted on as a whole.
inline constexpr char kRasterGroupName[] = "Rastry";

// Results of TVMenuAction::Apply.
inline constexpr int kMenuNothing = 1;
inline constexpr int kMenuRedrawNode = 2;
inline constexpr int kMenuRedrawAll = 3;

// Finds the targets named by the pattern and the kind mask and applies
// itself to each.
class TVMenuAction : public TUpdateWarstwa {
 public:
  // Path: "\CATALOGUE\LAYER" or "CATALOGUE\LAYER" (the pattern's first
  // component, "*", is the root). View and Cancel may be none.
  TVMenuAction(std::uint32_t TypeMask, const std::string& Path, bool FullRedraw, TTreeActionViewI* View,
               TCancel* Cancel);

  std::uint32_t TypeMask;
  TTreeActionViewI* View;
  bool Matched = false;
  // Given by the creator, read back after the walk.
  bool FullRedraw;
  TCancel* Cancel;
  std::string Pattern;
  int Level = 0;
  int Depth = 0;

  void Update(TWarstwaOgolna& Node) override;
  virtual int Apply(TWarstwaOgolna& Node) { return kMenuNothing; }
  // A node that is no group, and the raster group.
  virtual bool IsTarget(TWarstwaOgolna& Node);

 private:
  void HandleMatched(TWarstwaOgolna& Node);
  bool Cancelled() const;
  std::vector<std::string> components_;
};

// Ends the walk at the first target Check accepts (Found).
class TVMCheckFlag : public TVMenuAction {
 public:
  using TVMenuAction::TVMenuAction;
  bool Found = false;
  int Apply(TWarstwaOgolna& Node) override;
  virtual bool Check(TWarstwaOgolna& Node) = 0;
};

// Found: a sublayer with unsaved changes.
class TVMCheckBrudna : public TVMCheckFlag {
 public:
  using TVMCheckFlag::TVMCheckFlag;
  bool Check(TWarstwaOgolna& Node) override;
};

class TVMSave : public TVMenuAction {
 public:
  using TVMenuAction::TVMenuAction;
  int Apply(TWarstwaOgolna& Node) override;
};

// Unloads; an empty node is left alone.
class TVMAUsun : public TVMenuAction {
 public:
  using TVMenuAction::TVMenuAction;
  int Apply(TWarstwaOgolna& Node) override;
};

class TVMALoadAll : public TVMenuAction {
 public:
  using TVMenuAction::TVMenuAction;
  int Apply(TWarstwaOgolna& Node) override;
};

class TVMALoadRect : public TVMenuAction {
 public:
  TVMALoadRect(std::uint32_t TypeMask, const std::string& Path, bool FullRedraw, const TRealRect& Rect,
               TTreeActionViewI* View, TCancel* Cancel)
      : TVMenuAction(TypeMask, Path, FullRedraw, View, Cancel), Rect(Rect) {}
  TRealRect Rect;
  int Apply(TWarstwaOgolna& Node) override;
};

// Shows or hides; hiding the active layer releases the active sublayers.
class TVMAVisible : public TVMenuAction {
 public:
  TVMAVisible(std::uint32_t TypeMask, const std::string& Path, bool FullRedraw, bool Visible,
              TTreeActionViewI* View, TCancel* Cancel)
      : TVMenuAction(TypeMask, Path, FullRedraw, View, Cancel), Visible(Visible) {}
  bool Visible;
  int Apply(TWarstwaOgolna& Node) override;
};

// The first target of the pattern (FoundNode; none when there is none).
class TFindWarstwaPath : public TVMenuAction {
 public:
  TFindWarstwaPath(std::uint32_t TypeMask, const std::string& Path, TTreeActionViewI* View, TCancel* Cancel)
      : TVMenuAction(TypeMask, Path, false, View, Cancel) {}
  TWarstwaOgolna* FoundNode = nullptr;
  int Apply(TWarstwaOgolna& Node) override;
};

// Makes the sublayer Number of the layer LayerName in the catalogue
// CatalogueName the view's active one (Found afterwards). A caller without
// a catalogue sets InCatalogue before the walk, so that the layer is looked
// for in every catalogue.
class TFindSetActWarstwa : public TUpdateWarstwa {
 public:
  // TypeMask: kMaskLine for a line sublayer, kMaskText for a text one. The
  // names are taken in upper case.
  TFindSetActWarstwa(std::uint32_t TypeMask, const std::string& CatalogueName, const std::string& LayerName,
                     int Number, TTreeActionViewI* View);

  std::uint32_t TypeMask;
  std::string LayerName;
  std::string CatalogueName;
  int Number;
  bool InLayer = false;
  bool InCatalogue = false;
  TTreeActionViewI* View;

  bool Found() const { return Number == -1; }
  void Update(TWarstwaOgolna& Node) override;
};

// Asks about every changed layer before closing and saves those the user
// wants ("Potwierdź" with "Na wszystkie"). Cancelled: the user cancelled.
class TQuerySave : public TUpdateWarstwa {
 public:
  TQuerySave() : TUpdateWarstwa(0) {}

  bool YesToAll = false;
  bool Cancelled = false;
  int Mode = 0;

  void Update(TWarstwaOgolna& Node) override;

 private:
  // Walks the layer's sublayers in the current mode; the end of that walk
  // (a changed sublayer found) stops only it.
  void WalkSublayers(TWarstwaOgolna& Layer);
};

// The registry key of the layer order, below the current user's root.
inline constexpr char kLayerOrderKey[] = "\\Software\\Varnox\\Tolvika Demo\\Porządek warstw";
inline constexpr char kLayerOrderValue[] = "Default";

// A node's key name in the layer order: its name; for a layer "l-" (lines)
// or "t-" (texts) before it.
std::string LayerOrderKeyName(const TWarstwaOgolna& Node);

// Writes every node's order key into the registry, nested as the tree is.
// Registry failures throw platform::ERegistryException.
class TSaveWarstwyOrder : public TUpdateWarstwa {
 public:
  // RegistryFile: the registry's file; empty for the current user's.
  explicit TSaveWarstwyOrder(const std::string& RegistryFile = std::string());
  ~TSaveWarstwyOrder() override;
  void Update(TWarstwaOgolna& Node) override;
  platform::TRegistry& Registry() { return *registry_; }

 private:
  std::unique_ptr<platform::TRegistry> registry_;
};

// Reads the order keys of the groups back and sorts their children; nothing
// when the key is missing (NoKey).
class TLoadWarstwyOrder : public TUpdateWarstwa {
 public:
  explicit TLoadWarstwyOrder(const std::string& RegistryFile = std::string());
  ~TLoadWarstwyOrder() override;
  bool NoKey = false;
  void Update(TWarstwaOgolna& Node) override;

 private:
  std::unique_ptr<platform::TRegistry> registry_;
};

// Collects the strings of the texts whose insertion point lies in Clip, over
// every text sublayer searched (it never stops at a hit).
class TSearchTextInClip : public TDoSearch {
 public:
  // Clip and Texts are not owned.
  TSearchTextInClip(const TClip* Clip, std::vector<std::string>* Texts);
  const TClip* Clip;
  std::vector<std::string>* Texts;

  void Search(TWarstwaOgolna& Node, TSearchHit& Hit) override;
  bool Accept(TEGraphObj* Obj) override;
};

// As TSearchTextInClip, only inside the node named CatalogueName (exact
// case) and there only in the children numbered LayerNumber (all when it is
// negative).
class TRangeSearchTextInClip : public TSearchTextInClip {
 public:
  TRangeSearchTextInClip(const TClip* Clip, std::vector<std::string>* Texts, std::string CatalogueName,
                         int LayerNumber)
      : TSearchTextInClip(Clip, Texts), CatalogueName(std::move(CatalogueName)), LayerNumber(LayerNumber) {}
  std::string CatalogueName;
  int LayerNumber;
  bool InRange = false;

  bool Check(TWarstwaOgolna& Node) override;
};

// Resets the cached search index of every sublayer of its kinds.
class TInvalidateIntIndexes : public TWalkLeaf {
 public:
  explicit TInvalidateIntIndexes(std::uint32_t TypeMask) : TWalkLeaf(TypeMask) {}
  void VisitLeaf(TWarstwaOgolna& Node) override;
};

// --- Presets of new objects from an activity-menu item ---

// The generator of that name, given Spacing when it takes a parameter and
// HasSpacing is set; none when there is none.
using TGeneratorLookup = std::function<TGeneratorImp*(const std::string& Name, bool HasSpacing, float Spacing)>;
// Installs the generators' lookup (none: no generator is ever found).
void SetGeneratorLookup(TGeneratorLookup Lookup);

// Fill a presets record from an item. A line-style name or number the
// library lacks raises EWarstwaError "Menu aktywności: Błędna nazwa linii
// specjalnej" or "Menu aktywności: Błędny numer linii specjalnej".
void FillLinePresets(TLinePresets& Presets, std::uint32_t Flags, const TActivityRecord& Item);
void FillTextPresets(TTextPresets& Presets, std::uint32_t Flags, const TActivityRecord& Item);
// Give a new object's template the given preset values (objects of other
// kinds are left alone).
void ApplyLinePresets(const TLinePresets& Presets, TEGraphObj* Obj);
void ApplyTextPresets(const TTextPresets& Presets, TEGraphObj* Obj);

// --- The external pointer's icon ---

// The icon the pointer driven from outside is shown with (a cursor number;
// platform::crDefault: none of its own) and its hot spot, read once per
// icon.
struct TExternalIcon {
  int Icon = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

// False when Icon is the one R holds. Otherwise R takes it and, unless it
// is crDefault, its hot spot; true.
bool UpdateExternalIcon(TExternalIcon& R, int Icon);
