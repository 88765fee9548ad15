#include "objtools/edittool.h"

#include <utility>

#include "drawing/drawparams.h"
#include "layers/tree/sublayer.h"
#include "objects/activepoints.h"
#include "objects/grobj.h"

TEditGraphObjKrzyz::TEditGraphObjKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : TNewGraphObjKrzyz(Status, std::move(OnPoint)) {}

TEditGraphObjKrzyz::TEditGraphObjKrzyz(std::uint32_t Status, TEGraphObj* Template,
                                       TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint)
    : TNewGraphObjKrzyz(Status, Template, Sublayer, std::move(OnPoint)) {}

TEditGraphObjKrzyz::~TEditGraphObjKrzyz() {
  // The base destructors detach without the edit tools' Detach: the view
  // must not keep painting handles that go with this tool.
  // A modification in progress: the working clone is nobody's, and the
  // object goes back to its own colour on the map.
  if (Backup != nullptr) DropModification();
  DropHandlesItem();
  if (ownedObject_ != nullptr) {
    if (template_ == ownedObject_) PutTemplate(nullptr);
    TEGraphObj* owned = ownedObject_;
    ownedObject_ = nullptr;
    FreeGraphObj(owned);
  }
}

void TEditGraphObjKrzyz::GetHandlePoint(TRealPoint& P) {
  const TLatchEntry& e = CurrentEntry();
  P = TRealPoint{e.X, e.Y};
}

void TEditGraphObjKrzyz::BeginModify() {
  Entries[1] = CurrentEntry();
  if (template_ != nullptr) Entries[0] = template_->GetStartPoint3();
  PointIndex = 1;
}

void TEditGraphObjKrzyz::SetZOption(bool On) { SetOption(On); }

const TLine* SublayerLineDefOf(const TWarstwaOgolna* Sublayer) {
  const auto* lines = dynamic_cast<const TPodwarstwaLiniowa*>(Sublayer);
  return lines != nullptr ? lines->LineStyle : nullptr;
}

bool SublayerDrawsThick(const TWarstwaOgolna* Sublayer) {
  const auto* lines = dynamic_cast<const TPodwarstwaLiniowa*>(Sublayer);
  if (lines == nullptr) return false;
  // As the sublayer sets its pen: mode 2 thick, mode 1 thin, else its width.
  return lines->WidthMode == 2 || (lines->WidthMode != 1 && lines->ScreenWidth > 1);
}
