// Record helpers of the tests that fill layers with objects: undoing
// RegisterLayerObjectClasses (tests that register the layer objects' record
// classes must leave the registry empty for the next test), and the save
// record of a straight line.
#pragma once

#include "objects/saverecord.h"

inline void UnregisterLayerObjectClasses() {
  for (int c = 1; c <= static_cast<int>(TRecordClass::WysKatSymbol); ++c)
    UnregisterRecordClass(static_cast<TRecordClass>(c));
}

// The save record of a straight line from (X1, Y1) to (X2, Y2).
inline ObjectSaveRecord LineRecord(double X1, double Y1, double X2, double Y2) {
  ObjectSaveRecord r;
  r.SetLineKind(kLineKindLine);
  r.SetDouble(kRecP1X, X1);
  r.SetDouble(kRecP1Y, Y1);
  r.SetDouble(kRecP2X, X2);
  r.SetDouble(kRecP2Y, Y2);
  return r;
}
