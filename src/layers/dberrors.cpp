#include "layers/dberrors.h"

#include "platform/files.h"

EDBError EDBError::FromSystem(std::uint32_t systemCode) {
  return EDBError(platform::ErrorText(systemCode), static_cast<int>(systemCode));
}
