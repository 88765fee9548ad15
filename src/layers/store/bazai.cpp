#include "layers/store/bazai.h"

#include "foundation/users/users.h"

bool TUserLayerBase::IsReadOnly() const {
  return !UserManager().UserHasRight(user_, kRightModifyLayers);
}

bool TUserLayerBase::CanExport() const { return UserManager().UserHasRight(user_, kRightExport); }
