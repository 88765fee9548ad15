// Internal to the platform layer: how the painting targets (bitmaps, window
// surfaces, printers, metafiles) make and finish their canvases. Only
// forward declarations of the toolkit's classes, no toolkit header.
#pragma once

#include <functional>
#include <memory>

#include "platform/paint/gdi.h"

class QPaintDevice;
class QPainter;
class QImage;

namespace platform {

// What a target allows: raster operations and pixel reads (bitmaps and window
// surfaces), recorded raster operations (metafiles), neither (printers).
enum class TCanvasTarget { Image, Metafile, Printer };

// Starts painting on device (not owned; it must outlive the canvas). image is
// the same device when its pixels can be read, else null. A width and height
// above 0 give the drawing area when the device does not know it (metafiles).
std::unique_ptr<TCanvas> MakeCanvas(QPaintDevice* device, QImage* image, TCanvasTarget target,
                                    int width = 0, int height = 0);

// A canvas over a window's surface: source gives the image to paint on at
// every drawing call, and drawn (when set) is told after every drawing call,
// so that the window shows what was drawn at once, as drawing on a window
// does.
std::unique_ptr<TCanvas> MakeSurfaceCanvas(std::function<QImage*()> source,
                                           std::function<void()> drawn = {});

// The canvas's painter, active for the session's lifetime (a surface canvas
// begins and ends painting around each call; other canvases paint from
// creation until EndCanvas).
class TPaintSession {
 public:
  explicit TPaintSession(TCanvas& canvas);
  ~TPaintSession();
  TPaintSession(const TPaintSession&) = delete;
  TPaintSession& operator=(const TPaintSession&) = delete;
  // Null when the canvas cannot be drawn on (ended).
  QPainter* Painter() const;

 private:
  TCanvas& canvas_;
  bool owns_ = false;
};

// The canvas's readable image, or null.
QImage* CanvasImage(const TCanvas& canvas);
// Ends painting: every later drawing call fails with kErrorInvalidHandle.
void EndCanvas(TCanvas& canvas);
// Starts painting again on the same device (a printer's next page keeps the
// same painter; a window surface resized gets a new image).
void RestartCanvas(TCanvas& canvas, QPaintDevice* device, QImage* image);

// The image a bitmap paints into.
const QImage* BitmapImage(const TBitmap& bitmap);
// The colour of a pixel of image; 0xFFFFFFFF outside it.
TColor PixelOf(const QImage& image, int x, int y);

}  // namespace platform
