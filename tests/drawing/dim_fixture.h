// Window dimensions for the drawing tests.
#pragma once

#include "drawing/windowdim.h"

// Dimensions showing (X1, Y1)-(X2, Y2) exactly on a W x H device, turned by
// Angle (set first, so the window is not enlarged afterwards). With
// (0, 0, 100, 200, 200, 100) world (X, Y) lands on device (Y, 100 - X): one
// pixel a unit, X up.
inline TWindowDim MakeDim(double X1, double Y1, double X2, double Y2, int W, int H,
                          double Angle = 0.0) {
  TWindowDim dim;
  if (Angle != 0.0) dim.SetAngle(Angle);
  dim.X1 = X1;
  dim.Y1 = Y1;
  dim.X2 = X2;
  dim.Y2 = Y2;
  dim.SetDeviceSize(W, H);
  return dim;
}
