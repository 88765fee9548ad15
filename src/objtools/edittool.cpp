#include "objtools/edittool.h"

#include <utility>

#include "drawing/drawparams.h"
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
