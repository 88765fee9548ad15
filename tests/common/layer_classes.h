// Undoes RegisterLayerObjectClasses for tests that register the layer
// objects' record classes and must leave the registry empty for the next
// test.
#pragma once

#include "objects/saverecord.h"

inline void UnregisterLayerObjectClasses() {
  for (int c = 1; c <= static_cast<int>(TRecordClass::WysKatSymbol); ++c)
    UnregisterRecordClass(static_cast<TRecordClass>(c));
}
