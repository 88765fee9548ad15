// What the layer-file harnesses share: the database behind their file
// objects, a writable one of user 3 with the export right.
#pragma once

#include <cstdint>

#include "layers/store/bazai.h"

class FuzzBase : public ILayerBase {
public:
  std::uint16_t UserNumber() const override { return 3; }
  bool IsReadOnly() const override { return false; }
  bool CanExport() const override { return true; }
};
