#include "objects/edittoolsi.h"

#include "foundation/errors.h"

namespace {
IObjectEditors* gEditors = nullptr;
}  // namespace

IObjectEditors* ObjectEditors() { return gEditors; }

void SetObjectEditors(IObjectEditors* Editors) { gEditors = Editors; }

IObjectEditors& RequireObjectEditors(const char* Operation) {
  if (gEditors == nullptr) throw ENotImplemented(Operation);
  return *gEditors;
}
