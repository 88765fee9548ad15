// The bases of the operations over the layer tree: the visitor with its quiet
// end, and the search that keeps the best hit over the whole tree.
#include "drawing/drawparams.h"
#include "foundation/threads/cancel.h"
#include "layers/tree/layernode.h"

void ClearSearchHit(TSearchHit& Hit) {
  if (Hit.Sublayer == nullptr) return;
  // An object that a list, an undo record or a block holds stays; one read
  // from a file for this hit belongs to the hit and goes with it.
  FreeGraphObj(Hit.Object);
  Hit.Object = nullptr;
  Hit.Sublayer = nullptr;
}

// --- Visitors ---

EAbortUpdate::EAbortUpdate() = default;

void RaiseAbortUpdate() { throw EAbortUpdate(); }

void TUpdateWarstwa::Start(TWarstwaOgolna&) {}
bool TUpdateWarstwa::Continue() { return true; }

void TUpdateWarstwa::Execute(TWarstwaOgolna& Node) {
  try {
    Start(Node);
    Update(Node);
  } catch (const EAbortUpdate&) {
    // The visitor ended the walk; nothing to report.
  }
}

// --- Search base ---

TDoSearch::TDoSearch(const TRealPoint& Point, const TRealPoint& Tolerance) : Point(Point), Tolerance(Tolerance) {}

// The hit is the caller's to clear (it may have copied it out).
TDoSearch::~TDoSearch() = default;

void TDoSearch::Search(TWarstwaOgolna& Node, TSearchHit& H) { Node.Search(*this, H); }

bool TDoSearch::Accept(TEGraphObj*) { return true; }

TRealRect TDoSearch::SearchRect() const {
  return RealRect(Point.X - Tolerance.X, Point.Y - Tolerance.Y, Point.X + Tolerance.X, Point.Y + Tolerance.Y);
}

bool TDoSearch::Check(TWarstwaOgolna& Node) {
  if (Cancel != nullptr && Cancel->Canceled()) {
    ClearResult();
    return false;
  }
  if (!Node.IsShown()) return false;
  // Once a text-like hit is held, only text-like nodes can replace it.
  bool ownTextLike = Found() && (Hit.TypeMask & kMaskTextLike) != 0;
  if (ownTextLike && (Node.GetTypeMask() & kMaskTextLike) == 0) return false;
  Node.PrepareTextParams(DrawParams.get());

  TSearchHit fresh;
  Search(Node, fresh);
  if (fresh.Sublayer == nullptr) return false;
  bool freshTextLike = (fresh.TypeMask & kMaskTextLike) != 0;
  if ((freshTextLike && !ownTextLike) || fresh.Distance < Hit.Distance) {
    // The hit given up frees its object when nothing else holds it.
    ClearSearchHit(Hit);
    Hit = fresh;
    return true;
  }
  ClearSearchHit(fresh);
  return false;
}
