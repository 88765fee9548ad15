// A fixture for drawing tests of graphic objects: a real canvas on a white
// 200 x 100 bitmap showing world X 0..100 (up) and Y 0..200 (right), one
// pixel a unit, so that world (X, Y) lands on device pixel (Y, 100 - X).
#pragma once

#include <gtest/gtest.h>

#include "drawing/dim_fixture.h"
#include "drawing/realcanvas.h"
#include "platform/paint/gdiimage.h"

class PixelCanvasTest : public ::testing::Test {
 protected:
  PixelCanvasTest()
      : bitmap(200, 100),
        dim(MakeDim(0, 0, 100, 200, 200, 100)),
        canvas(&bitmap.Canvas(), &dim, nullptr) {}

  platform::TBitmap bitmap;
  TWindowDim dim;
  TRealCanvas canvas;
};
