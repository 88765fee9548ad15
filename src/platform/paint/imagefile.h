// Image files: a bitmap saved to and loaded from a PNG file, for pictures the
// program writes out and for checking drawings in tests.
#pragma once

#include <memory>
#include <string>

#include "platform/paint/gdiimage.h"

namespace platform {

// Writes the bitmap's pixels as a PNG file, replacing it; false with
// LastError kErrorGeneralFailure when the file cannot be written. The thread
// drawing on the bitmap, or one holding its canvas's lock.
bool SaveBitmapToFile(const TBitmap& bitmap, const std::string& fileName);

// A new bitmap with the pixels of an image file (PNG and the other formats
// the painting layer reads); null with LastError kErrorGeneralFailure when
// the file is missing or not an image. Any thread.
std::unique_ptr<TBitmap> LoadBitmapFromFile(const std::string& fileName);

}  // namespace platform
