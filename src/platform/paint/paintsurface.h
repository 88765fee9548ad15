// The drawing surface of a window: the meeting point of the windows layer
// (paint boxes, custom-drawn controls) and the painting layer (device
// contexts). A window keeps a persistent image of what was drawn on it, as a
// screen window keeps its pixels: drawing twice in XOR mode restores it, and
// showing the window again does not call its paint handler. The handler runs
// when the window was invalidated or resized.
//
// GUI thread only. The surface belongs to its window; NativeImage stays valid
// until the window is resized or freed.
#pragma once

#include <cstdint>

namespace platform {

class TPaintSurface {
 public:
  virtual ~TPaintSurface() = default;

  // Size of the surface in pixels (the window's client area).
  virtual int SurfaceWidth() const = 0;
  virtual int SurfaceHeight() const = 0;
  // The persistent image (a QImage* in the painting layer's terms, format
  // RGB32), or nullptr while the surface has no size.
  virtual void* NativeImage() = 0;
  // Shows what was drawn into the image since the last call (the given
  // rectangle, or everything when w or h is 0) without calling the paint
  // handler.
  virtual void SurfaceChanged(int x = 0, int y = 0, int w = 0, int h = 0) = 0;
  // Pixel at (x, y) as 0x00BBGGRR; 0 outside the surface.
  virtual std::uint32_t PixelAt(int x, int y) const = 0;
};

}  // namespace platform
