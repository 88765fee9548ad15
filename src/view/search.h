// The map view's searches. Every view owns one TSearch through which its
// commands and tools find elements: the element under a pick point (several
// kinds, chosen by SearchKind), everything that meets a rectangle (and its
// deletion), texts at a point or inside a clip, elements of numbered
// layers with their catalogue, layer and record, and the crossing of two
// elements near a point. TSearch builds the layer model's search object of
// the kind, runs it over the view's tree under a cancel window and hands
// back the hit.
//
// GUI thread only (the cancel window runs its own thread; the searches poll
// its flag). The search belongs to its view; a hit's element belongs to its
// sublayer, or to the hit until the caller clears it (ClearSearchHit).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/geometry/realgeom.h"
#include "layers/tree/layernode.h"
#include "layers/tree/searches.h"

class TCancel;
class TClip;
class TKatalogWarstw;
class TNapis;
class TTvView;

// What the object searches hand back: the catalogue, layer and sublayer of
// the element found and its record index (Catalogue none: nothing found).
struct TObiektResult {
  TKatalogWarstw* Catalogue = nullptr;
  std::int32_t LayerNumber = 0;
  std::int32_t SublayerNumber = 0;
  std::uint32_t Index = 0;
  std::uint32_t Extra = 0;
};

// A text found at a point and the catalogue it lies in.
struct TTextAtResult {
  std::string Text;
  TKatalogWarstw* Catalogue = nullptr;
};

// The crossing FindIntersection found.
struct TIntersectionResult {
  bool Found = false;
  TRealPoint Point{};
};

class TSearch {
public:
  // Search kinds (SearchKind).
  static constexpr std::uint8_t kNearest = 0;           // TDoSearch
  static constexpr std::uint8_t kNearestPoint = 1;      // TPSearch
  static constexpr std::uint8_t kPointSubset = 2;       // TPSubSetSearch
  static constexpr std::uint8_t kSubset = 3;            // TSubSetSearch
  static constexpr std::uint8_t kClassSubset = 4;       // TTypSubSetSearch
  static constexpr std::uint8_t kDeleteInWindow = 5;    // TDeleteObjsInWindow
  static constexpr std::uint8_t kPointSubsetOmit = 6;   // TPSubSetSearchOm
  static constexpr std::uint8_t kSubsetOmit = 7;        // TSubSetSearchOm

  explicit TSearch(TTvView* View) : View(View) {}

  bool RestrictToActive = false;
  TTvView* View;  // not owned: the view owns this search
  std::uint8_t SearchKind = 0;
  std::uint32_t TypeMask = 0xFFFFFFFFu;
  TObjectClass ObjectClass;
  const TEGraphObj* OmitObject = nullptr;  // not owned
  bool FallbackToAll = false;

  // RestrictToActive and FallbackToAll off, kind 0, every type.
  void Reset();
  // Builds the search object of SearchKind at Point with the half sizes
  // Tolerance and runs it (Execute). Kind 5 deletes what meets the window
  // and records the deletions as the undo group "Usuwanie" (also when none
  // were made, and also when the walk ended early).
  // Hit is overwritten: the caller clears a hit it still holds first.
  void Run(const TRealPoint& Point, const TRealPoint& Tolerance, TSearchHit& Hit);
  // Runs Search (taken over and freed) under the cancel window
  // "Wyszukiwanie": on the active sublayers when RestrictToActive or
  // FallbackToAll is set (then on the root when FallbackToAll and nothing
  // was found), else on the root. With RestrictToActive and no active
  // sublayer nothing is searched. A cancel raises ECanceled.
  void Execute(std::unique_ptr<TDoSearch> Search, TSearchHit& Hit);

  // The nearest text (of the text-like sublayers) at Point; with
  // CatalogueName only below that node and there only in the layer
  // LayerNumber (every layer when it is negative).
  void FindTextAt(const TRealPoint& Point, const TRealPoint& Tolerance, TTextAtResult& Result,
                  std::int32_t LayerNumber, const std::string& CatalogueName);
  // The nearest text's string under Node (empty when none).
  void FindTextAtIn(const TRealPoint& Point, const TRealPoint& Tolerance, std::string& Text,
                    TWarstwaOgolna& Node);
  // The strings of every text whose insertion point lies in Clip.
  void CollectTextsInClip(const TClip& Clip, const std::string& CatalogueName, std::int32_t LayerNumber,
                          std::vector<std::string>& Texts);
  void CollectTextsInClipIn(const TClip& Clip, TWarstwaOgolna& Node, std::vector<std::string>& Texts);

  // Runs an object search over the root and fills Result from its hit;
  // the hit's sublayer is saved first so that a new element has a record.
  // True when an element was found (its catalogue may still be unknown).
  bool RunObjectSearch(std::unique_ptr<TJObiektSearch> Search, TObiektResult& Result);
  // The element of a numbered layer nearest to Point (Check, when given,
  // decides which may be taken). Finding one discards the undo history.
  void FindObiekt(const TRealPoint& Point, const TRealPoint& Tolerance, TObiektResult& Result,
                  TCheckObiektSearch::TCheckCallback Check);
  // The element whose field holds Point; finding one discards the undo
  // history.
  void FindFieldObiekt(const TRealPoint& Point, TObiektResult& Result, TCheckObiektSearch::TCheckCallback Check);
  // The crossing of two elements near Point nearest to it (Omit never
  // takes part).
  void FindIntersection(const TRealPoint& Point, const TRealPoint& Tolerance, TIntersectionResult& Result,
                        const TEGraphObj* Omit);

  // The cancel window of the search running now (none between searches).
  TCancel* RunningCancel() const { return cancel_; }

private:
  // Runs Search on Node with the layer canvas's drawing parameters.
  void RunOn(TDoSearch& Search, TWarstwaOgolna& Node);

  TCancel* cancel_ = nullptr;  // not owned: the running search's
};
