#include "foundation/containers/interfacedobject.h"

std::int32_t TSimpleInterfacedObject::QueryInterface(const TGUID& iid, void** obj) {
  if (obj != nullptr) *obj = nullptr;
  return kENoInterface;
}
