// The scale correction of the cadastral database, as the graphic objects use
// it to reduce measured lengths. The cadastral database implements it; tests
// use a fake. Read-only: any thread that may read the database may call it.
#pragma once

#include "foundation/geometry/realgeom.h"

class IScaleCorrection {
 public:
  virtual ~IScaleCorrection() = default;
  // The correction c at P, in parts per million.
  virtual double GetCorrectionAt(const TRealPoint& P) const = 0;
};

// D - D*c*1e-6, c being Corr's correction at the midpoint of P1 and P2.
inline double CorrectDistanceMid(const IScaleCorrection& Corr, const TRealPoint& P1,
                                 const TRealPoint& P2, double D) {
  const TRealPoint mid{(P1.X + P2.X) / 2.0, (P1.Y + P2.Y) / 2.0};
  return D - D * Corr.GetCorrectionAt(mid) * 1e-6;
}
