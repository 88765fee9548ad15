// The map view's searches (TSearch) and the view operations that find a
// sublayer by name: the activation from an activity-menu item and the
// lookup by path.
#include "view/search.h"

#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "drawing/drawparams.h"
#include "objects/styledcanvas.h"
#include "foundation/threads/cancel.h"
#include "foundation/geometry/clip.h"
#include "foundation/errors.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "layers/tree/treehost.h"
#include "layers/tree/undo.h"
#include "objects/layerobjects.h"
#include "objects/texts.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/messages.h"
#include "view/tvview.h"
#include "view/viewhost.h"
#include "view/viewwalkers.h"

namespace {

constexpr std::uint32_t kSearchCancelDelay = 1000;
constexpr std::uint32_t kLongCancelDelay = 2000;
constexpr char kSearchCaption[] = "Wyszukiwanie";
constexpr char kIntersectionCaption[] = "Szukanie przecięcia";
constexpr char kDeleteGroupName[] = "Usuwanie";

// The type mask of the text-like sublayers FindTextAt searches.
constexpr std::uint32_t kTextAtMask = 0x12C01;

// The field tolerance of FindFieldObiekt, in map units each way.
constexpr double kFieldTolerance = 0.01;

// Activity-menu options (the item's set of given parameters).
constexpr std::uint32_t kOptionInsert = 0x2000;      // "WSTAW" given
constexpr std::uint32_t kOptionCatalogue = 0x20000;  // "KATALOG" given
// The text presets' angle bit: the item gives the angle of new texts.
constexpr std::uint32_t kPresetAngle = 0x100;
// The text sublayer's bit of texts placed at an angle the user shows.
constexpr std::uint8_t kTextAtAngle = 0x04;

// Makes the search's cancel window known while the search runs.
class TRunningCancel {
 public:
  TRunningCancel(TCancel*& Slot, TCancel* Cancel) : slot_(Slot), old_(Slot) { Slot = Cancel; }
  ~TRunningCancel() { slot_ = old_; }
  TRunningCancel(const TRunningCancel&) = delete;
  TRunningCancel& operator=(const TRunningCancel&) = delete;

 private:
  TCancel*& slot_;
  TCancel* old_;
};

// Clears the search's hit when the scope ends (an object read from a file
// for it is freed with it).
class THitGuard {
 public:
  explicit THitGuard(TDoSearch& Search) : search_(Search) {}
  ~THitGuard() { search_.ClearResult(); }
  THitGuard(const THitGuard&) = delete;
  THitGuard& operator=(const THitGuard&) = delete;

 private:
  TDoSearch& search_;
};

// The texts below the node named StartName, there only in the layers
// numbered Number (every layer when it is negative). The layer model's
// range search narrows by sublayer number instead, which a layer never
// has, so that a wanted layer number would find nothing.
class TLayerRangeTextSearch : public TRangeTypSubSetSearch {
 public:
  using TRangeTypSubSetSearch::TRangeTypSubSetSearch;

  bool Check(TWarstwaOgolna& Node) override {
    if (InRange) {
      // A layer answers its own number, a sublayer its layer's.
      if (Number >= 0 && Node.GetLayerNumber() != Number) return false;
      return TSubSetSearch::Check(Node);
    }
    if (Node.Name == StartName) {
      InRange = true;
      try {
        const bool taken = TSubSetSearch::Check(Node);
        InRange = false;
        return taken;
      } catch (...) {
        InRange = false;
        throw;
      }
    }
    if (Node.IsGroup()) return TSubSetSearch::Check(Node);
    return false;
  }
};

template <class T>
T* Enclosing(TWarstwaOgolna* Node) {
  for (TWarstwaOgolna* n = Node; n != nullptr; n = n->Owner)
    if (auto* found = dynamic_cast<T*>(n)) return found;
  return nullptr;
}

}  // namespace

// --- TSearch -------------------------------------------------------------------

void TSearch::Reset() {
  RestrictToActive = false;
  FallbackToAll = false;
  SearchKind = kNearest;
  TypeMask = 0xFFFFFFFFu;
}

void TSearch::RunOn(TDoSearch& Search, TWarstwaOgolna& Node) {
  if (!Search.DrawParams) Search.DrawParams = View->GetCanvas()->CreateDrawParams();
  Search.Check(Node);
}

void TSearch::Run(const TRealPoint& Point, const TRealPoint& Tolerance, TSearchHit& Hit) {
  std::unique_ptr<TDoSearch> search;
  switch (SearchKind) {
    case kNearestPoint:
      search = std::make_unique<TPSearch>(Point, Tolerance);
      break;
    case kPointSubset:
      search = std::make_unique<TPSubSetSearch>(Point, Tolerance, TypeMask);
      break;
    case kSubset:
      search = std::make_unique<TSubSetSearch>(Point, Tolerance, TypeMask);
      break;
    case kClassSubset:
      search = std::make_unique<TTypSubSetSearch>(Point, Tolerance, TypeMask, ObjectClass);
      break;
    case kPointSubsetOmit:
      search = std::make_unique<TPSubSetSearchOm>(Point, Tolerance, TypeMask, OmitObject);
      break;
    case kSubsetOmit:
      search = std::make_unique<TSubSetSearchOm>(Point, Tolerance, TypeMask, OmitObject);
      break;
    case kDeleteInWindow: {
      auto group = std::make_unique<TBlockUndoOperation>(kDeleteGroupName);
      TTvView* view = View;
      auto deleter = std::make_unique<TDeleteObjsInWindow>(
          Point, Tolerance, group.get(), ViewServices().ActiveSurveyDocument(),
          [view](TKatalogWarstw* Catalogue, std::int32_t LayerNumber, std::int32_t Index) {
            return view->ElementIsFree(Catalogue, LayerNumber, Index);
          });
      // The deletions made are recorded however the walk ends (a cancel, an
      // error half-way), so that every one of them can be undone.
      try {
        Execute(std::move(deleter), Hit);
      } catch (...) {
        View->GetUndoManager()->Add(std::move(group));
        throw;
      }
      View->GetUndoManager()->Add(std::move(group));
      return;
    }
    default:
      search = std::make_unique<TDoSearch>(Point, Tolerance);
      break;
  }
  Execute(std::move(search), Hit);
}

void TSearch::Execute(std::unique_ptr<TDoSearch> Search, TSearchHit& Hit) {
  if (RestrictToActive && View->ActiveLine == nullptr && View->ActiveText == nullptr) {
    Hit.Object = nullptr;
    Hit.Sublayer = nullptr;
    return;
  }
  TCancel cancel(kSearchCancelDelay, kSearchCaption);
  TRunningCancel running(cancel_, &cancel);
  Search->Cancel = &cancel;
  Search->DrawParams = View->GetCanvas()->CreateDrawParams();
  try {
    if (RestrictToActive || FallbackToAll) {
      if (View->ActiveText != nullptr) Search->Check(*View->ActiveText);
      if (View->ActiveLine != nullptr) Search->Check(*View->ActiveLine);
      if (FallbackToAll && !Search->Found()) Search->Check(*View->Root());
    } else {
      Search->Check(*View->Root());
    }
  } catch (...) {
    Search->ClearResult();
    throw;
  }
  Search->Cancel = nullptr;
  // The hit, with an object read for it, goes over to the caller.
  Hit = Search->Hit;
  Search->Hit = TSearchHit{};
}

void TSearch::FindTextAt(const TRealPoint& Point, const TRealPoint& Tolerance, TTextAtResult& Result,
                         std::int32_t LayerNumber, const std::string& CatalogueName) {
  Result.Catalogue = nullptr;
  Result.Text.clear();
  std::unique_ptr<TTypSubSetSearch> search;
  if (CatalogueName.empty())
    search = std::make_unique<TTypSubSetSearch>(Point, Tolerance, kTextAtMask, ::ObjectClass<TNapis>());
  else
    search = std::make_unique<TLayerRangeTextSearch>(Point, Tolerance, kTextAtMask, ::ObjectClass<TNapis>(),
                                                     CatalogueName, LayerNumber);
  THitGuard guard(*search);
  RunOn(*search, *View->Root());
  if (!search->Found()) return;
  if (auto* text = dynamic_cast<TNapis*>(search->Hit.Object)) Result.Text = text->Text;
  TPodwarstwa* sublayer = search->Hit.Sublayer;
  if (sublayer->Owner != nullptr && sublayer->Owner->Owner != nullptr)
    Result.Catalogue = dynamic_cast<TKatalogWarstw*>(sublayer->Owner->Owner);
}

void TSearch::FindTextAtIn(const TRealPoint& Point, const TRealPoint& Tolerance, std::string& Text,
                           TWarstwaOgolna& Node) {
  Text.clear();
  TTypSubSetSearch search(Point, Tolerance, kTextAtMask, ::ObjectClass<TNapis>());
  THitGuard guard(search);
  RunOn(search, Node);
  if (auto* text = dynamic_cast<TNapis*>(search.Hit.Object); text != nullptr && search.Found()) Text = text->Text;
}

void TSearch::CollectTextsInClip(const TClip& Clip, const std::string& CatalogueName, std::int32_t LayerNumber,
                                 std::vector<std::string>& Texts) {
  std::unique_ptr<TSearchTextInClip> search;
  if (CatalogueName.empty())
    search = std::make_unique<TSearchTextInClip>(&Clip, &Texts);
  else
    search = std::make_unique<TRangeSearchTextInClip>(&Clip, &Texts, CatalogueName, LayerNumber);
  THitGuard guard(*search);
  RunOn(*search, *View->Root());
}

void TSearch::CollectTextsInClipIn(const TClip& Clip, TWarstwaOgolna& Node, std::vector<std::string>& Texts) {
  TSearchTextInClip search(&Clip, &Texts);
  THitGuard guard(search);
  RunOn(search, Node);
}

bool TSearch::RunObjectSearch(std::unique_ptr<TJObiektSearch> Search, TObiektResult& Result) {
  Result = TObiektResult{};
  THitGuard guard(*Search);
  RunOn(*Search, *View->Root());
  if (!Search->Found()) return false;
  TPodwarstwa* sublayer = Search->Hit.Sublayer;
  // A new element gets its record in the layer file only when saved.
  sublayer->Save();
  Result.Index = Search->Hit.Object->GetIndex();
  Result.SublayerNumber = sublayer->Number;
  if (TWarstwa* layer = Enclosing<TWarstwa>(sublayer)) Result.LayerNumber = layer->LayerNumber;
  Result.Catalogue = Enclosing<TKatalogWarstw>(sublayer);
  return true;
}

void TSearch::FindObiekt(const TRealPoint& Point, const TRealPoint& Tolerance, TObiektResult& Result,
                         TCheckObiektSearch::TCheckCallback Check) {
  std::unique_ptr<TJObiektSearch> search;
  if (Check)
    search = std::make_unique<TCheckObiektSearch>(Point, Tolerance, std::move(Check));
  else
    search = std::make_unique<TJObiektSearch>(Point, Tolerance);
  RunObjectSearch(std::move(search), Result);
  if (Result.Catalogue != nullptr) View->ClearUndo();
}

void TSearch::FindFieldObiekt(const TRealPoint& Point, TObiektResult& Result,
                              TCheckObiektSearch::TCheckCallback Check) {
  auto search = std::make_unique<TFieldObiektSearch>(Point, TRealPoint{kFieldTolerance, kFieldTolerance},
                                                     std::move(Check));
  if (RunObjectSearch(std::move(search), Result)) View->ClearUndo();
}

void TSearch::FindIntersection(const TRealPoint& Point, const TRealPoint& Tolerance, TIntersectionResult& Result,
                               const TEGraphObj* Omit) {
  Result.Found = false;
  std::unique_ptr<TListSubSetSearch> search;
  if (Omit != nullptr)
    search = std::make_unique<TListSubSetSearchOm>(Point, Tolerance, Omit);
  else
    search = std::make_unique<TListSubSetSearch>(Point, Tolerance);
  TCancel cancel(kLongCancelDelay, kIntersectionCaption);
  TRunningCancel running(cancel_, &cancel);
  search->Cancel = &cancel;
  try {
    RunOn(*search, *View->Root());
  } catch (const ESearchListExceed&) {
    // Too many candidates: the pairs of those listed so far are tested.
  }
  search->Cancel = nullptr;
  const std::vector<TEGraphObj*>& found = search->Found;
  double best = 1e308;  // squared distances: the first pair of a tie stays
  for (std::size_t i = 0; i < found.size(); ++i) {
    for (std::size_t j = i + 1; j < found.size(); ++j) {
      double d2 = 0;
      TRealPoint crossing{};
      if (IntersectObjects(*found[i], *found[j], Point, d2, crossing) && d2 < best) {
        best = d2;
        Result.Point = crossing;
        Result.Found = true;
      }
    }
  }
}

// --- The view's operations -----------------------------------------------------

void TTvView::ClearUndo() {
  undo_.reset();
  PostMainFormNotify(kMainFormUndoChanged);
}

void TTvView::RepeatToolButton() {
  if (ToolButton != nullptr) platform::PostMessage(Handle(), kMsgPressToolButton, 0, 0);
}

void TTvView::FindAndActivatePodwarstwa(std::uint32_t Options, const TActivityRecord& Item,
                                        std::unique_ptr<TDeferredOperation> Deferred) {
  const bool lines = Item.Typ == 1;
  TViewTreeActions actions(*this);
  TFindSetActWarstwa finder(lines ? kMaskLine : kMaskText, Item.Katalog, Item.Warstwa, Item.Podwarstwa, &actions);
  // Without a catalogue the layer is looked for in every catalogue.
  if ((Options & kOptionCatalogue) == 0) finder.InCatalogue = true;
  finder.Execute(*Root());
  const bool found = finder.Found();
  if (!found) {
    std::string text = "Podwarstwa " + std::to_string(Item.Podwarstwa) + " ( Warstwa: " + Item.Warstwa;
    if (!Item.Katalog.empty()) text += " Katalog: " + Item.Katalog;
    text += " ) nie została znaleziona";
    platform::MessageBox(text, "Informacja", platform::MB_OK);
  }

  if (lines) {
    FillLinePresets(LinePresets, Options, Item);
  } else {
    FillTextPresets(TextPresets, Options, Item);
    // Without a preset angle the user shows the angle of each new text.
    if (ActiveText != nullptr && (TextPresets.Flags & kPresetAngle) == 0) ActiveText->TextFlags |= kTextAtAngle;
  }

  if (Krzyz() != nullptr && Krzyz()->IsEditGraphObjTool()) {
    ResetKrzyz();
    // The interrupted drawing command starts again on the new sublayer,
    // unless the item starts the drawing itself.
    if (!((Options & kOptionInsert) != 0 && Item.Wstaw)) RepeatToolButton();
  }

  if ((Options & kOptionInsert) == 0 && found) {
    if (Deferred) Document().PostDeferred(std::move(Deferred));
  } else {
    PendingOperation = std::move(Deferred);
  }
}

TWarstwaOgolna* TTvView::FindWarstwaByPath(int Kind, const std::string& Path) {
  if (Path.empty()) {
    if (Kind == 1) return ActiveText;
    return ActiveLine;
  }
  TCancel cancel(kLongCancelDelay, kSearchCaption);
  TViewTreeActions actions(*this);
  TFindWarstwaPath finder(Kind == 1 ? kMaskText : kMaskLine, Path, &actions, &cancel);
  finder.Execute(*Root());
  return finder.FoundNode;
}
