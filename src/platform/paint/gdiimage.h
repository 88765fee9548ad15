// Targets of painting that keep their pixels: an off-screen bitmap, a window's
// persistent surface (what is drawn there stays until drawn over, so an XOR
// figure drawn twice vanishes), and a surface of that kind that no window
// shows (back buffers, tests).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/paint/gdi.h"
#include "platform/paint/paintsurface.h"

namespace platform {

// An off-screen image of 24-bit colour with its own canvas (the framework's
// bitmap). The canvas is made on first use and freed with the bitmap. Drawn
// on by one thread at a time (the canvas lock); not copyable.
class TBitmap {
 public:
  // A width or height below 1 gives 1.
  TBitmap(int width, int height, TColor fill = clWhite);
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const;
  int Height() const;
  // New size; what fits is kept, the rest is filled. The canvas stays usable.
  void SetSize(int width, int height, TColor fill = clWhite);

  // Pixel at (x, y); 0xFFFFFFFF outside the bitmap.
  TColor Pixel(int x, int y) const;
  // True when both have the same size and pixels.
  bool SameAs(const TBitmap& other) const;

  TCanvas& Canvas();

  struct Impl;
  Impl& Internal() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// A persistent surface that no window shows: a window surface's stand-in for
// back buffers and tests. GUI thread, or one drawing thread at a time.
class TImageSurface : public TPaintSurface {
 public:
  TImageSurface(int width, int height, TColor fill = clWhite);
  ~TImageSurface() override;

  // New size; the image is made anew (filled), as a resized window's is.
  void Resize(int width, int height, TColor fill = clWhite);
  // How many times SurfaceChanged was called.
  int ChangeCount() const { return changes_; }

  int SurfaceWidth() const override;
  int SurfaceHeight() const override;
  void* NativeImage() override;
  void SurfaceChanged(int x, int y, int w, int h) override;
  std::uint32_t PixelAt(int x, int y) const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int changes_ = 0;
};

// The canvas of a window's surface (the window's device context, got for a
// stretch of drawing and released). Every drawing call paints on the image
// the surface has at that moment, so the canvas follows a resized window.
// Every drawing call shows what it drew when it ends (the surface's
// SurfaceChanged), as drawing on a window does; Update and releasing
// (destroying) show it too. GUI thread, or the thread the window hands it
// to, one at a time; the surface must outlive it.
class TSurfaceCanvas {
 public:
  explicit TSurfaceCanvas(TPaintSurface& surface);
  ~TSurfaceCanvas();
  TSurfaceCanvas(const TSurfaceCanvas&) = delete;
  TSurfaceCanvas& operator=(const TSurfaceCanvas&) = delete;

  TCanvas& Canvas();
  void Update();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
