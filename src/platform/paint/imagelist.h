// Image lists: images of one size kept with their transparency, drawn in one
// call each. Used by the toolbar buttons for their state images, which are
// made once and drawn many times.
//
// GUI thread only. The list owns copies of the images it was given.
#pragma once

#include <memory>

#include "platform/paint/gdi.h"
#include "platform/paint/gdiimage.h"

namespace platform {

class TImageList {
 public:
  // Images of width by height pixels (at least 1 each).
  TImageList(int width, int height);
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Number of images held (slots are never taken out; Replace reuses one).
  int Count() const;

  // Appends the top-left width by height pixels of image; the pixels whose
  // colour is maskColor become transparent. Returns the new index, or -1 when
  // the image is smaller than the list's images.
  int AddMasked(const TBitmap& image, TColor maskColor);
  // As AddMasked, with the transparent pixels those where mask is not black.
  int Add(const TBitmap& image, const TBitmap& mask);
  // Puts the image into an existing index; false when the index does not
  // exist or the image is too small.
  bool ReplaceMasked(int index, const TBitmap& image, TColor maskColor);
  bool Replace(int index, const TBitmap& image, const TBitmap& mask);

  // Draws image index with its transparent pixels left out; false for an
  // index that does not exist.
  bool Draw(TCanvas& canvas, int index, int x, int y) const;
  // The pixel of image index (0xFFFFFFFF where transparent or outside).
  TColor Pixel(int index, int x, int y) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int width_;
  int height_;
};

}  // namespace platform
