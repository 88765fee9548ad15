// A fixture for drawing tests of graphic objects: a real canvas on a white
// 200 x 100 bitmap showing world X 0..100 (up) and Y 0..200 (right), one
// pixel a unit, so that world (X, Y) lands on device pixel (Y, 100 - X).
#pragma once

#include <gtest/gtest.h>

#include "drawing/realcanvas.h"
#include "drawing/windowdim.h"
#include "platform/gdiimage.h"

class PixelCanvasTest : public ::testing::Test {
 protected:
  PixelCanvasTest()
      : bitmap(200, 100), dim(PixelPerUnit()), canvas(&bitmap.Canvas(), &dim, nullptr) {}

  platform::TBitmap bitmap;
  TWindowDim dim;
  TRealCanvas canvas;

 private:
  static TWindowDim PixelPerUnit() {
    TWindowDim d;
    d.X1 = 0;
    d.Y1 = 0;
    d.X2 = 100;
    d.Y2 = 200;
    d.SetDeviceSize(200, 100);
    return d;
  }
};
