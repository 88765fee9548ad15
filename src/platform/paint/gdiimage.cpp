#include "platform/paint/gdiimage.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include "platform/gui/application.h"
#include "platform/paint/gdiimpl.h"

namespace platform {

namespace {

QRgb ToRgb(TColor c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

QImage NewImage(int width, int height, TColor fill) {
  QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image.fill(ToRgb(fill));
  return image;
}

}  // namespace

TColor PixelOf(const QImage& image, int x, int y) {
  if (!image.valid(x, y)) return 0xFFFFFFFFu;
  QRgb c = image.pixel(x, y);
  return RGB(qRed(c), qGreen(c), qBlue(c));
}

struct TBitmap::Impl {
  QImage image;
  std::unique_ptr<TCanvas> canvas;
};

const QImage* BitmapImage(const TBitmap& bitmap) { return &bitmap.Internal().image; }

TBitmap::TBitmap(int width, int height, TColor fill) : impl_(std::make_unique<Impl>()) {
  impl_->image = NewImage(width, height, fill);
}

TBitmap::~TBitmap() {
  if (impl_->canvas) EndCanvas(*impl_->canvas);
}

int TBitmap::Width() const { return impl_->image.width(); }
int TBitmap::Height() const { return impl_->image.height(); }

void TBitmap::SetSize(int width, int height, TColor fill) {
  QImage image = NewImage(width, height, fill);
  if (impl_->canvas) impl_->canvas->Lock();
  {
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, impl_->image);
  }
  if (impl_->canvas) EndCanvas(*impl_->canvas);
  impl_->image = std::move(image);
  if (impl_->canvas) {
    RestartCanvas(*impl_->canvas, &impl_->image, &impl_->image);
    impl_->canvas->Unlock();
  }
}

TColor TBitmap::Pixel(int x, int y) const { return PixelOf(impl_->image, x, y); }

bool TBitmap::SameAs(const TBitmap& other) const {
  const QImage& a = impl_->image;
  const QImage& b = other.impl_->image;
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y) {
    const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x)
      if ((ra[x] & 0xFFFFFFu) != (rb[x] & 0xFFFFFFu)) return false;
  }
  return true;
}

TCanvas& TBitmap::Canvas() {
  if (!impl_->canvas) {
    EnsureApplication();
    impl_->canvas = MakeCanvas(&impl_->image, &impl_->image, TCanvasTarget::Image);
  }
  return *impl_->canvas;
}

struct TImageSurface::Impl {
  QImage image;
};

TImageSurface::TImageSurface(int width, int height, TColor fill) : impl_(std::make_unique<Impl>()) {
  Resize(width, height, fill);
}

TImageSurface::~TImageSurface() = default;

void TImageSurface::Resize(int width, int height, TColor fill) {
  if (width < 1 || height < 1) {
    impl_->image = QImage();
    return;
  }
  impl_->image = NewImage(width, height, fill);
}

int TImageSurface::SurfaceWidth() const { return impl_->image.width(); }
int TImageSurface::SurfaceHeight() const { return impl_->image.height(); }
void* TImageSurface::NativeImage() { return impl_->image.isNull() ? nullptr : &impl_->image; }
void TImageSurface::SurfaceChanged(int, int, int, int) { ++changes_; }

std::uint32_t TImageSurface::PixelAt(int x, int y) const {
  TColor c = PixelOf(impl_->image, x, y);
  return c == 0xFFFFFFFFu ? 0 : c;
}

struct TSurfaceCanvas::Impl {
  TPaintSurface* surface = nullptr;
  QImage spare{1, 1, QImage::Format_RGB32};  // while the surface has no size
  std::unique_ptr<TCanvas> canvas;
};

TSurfaceCanvas::TSurfaceCanvas(TPaintSurface& surface) : impl_(std::make_unique<Impl>()) {
  EnsureApplication();
  impl_->surface = &surface;
  Impl* impl = impl_.get();
  impl_->canvas = MakeSurfaceCanvas(
      [impl] {
        auto* image = static_cast<QImage*>(impl->surface->NativeImage());
        return image != nullptr ? image : &impl->spare;
      },
      // What a call drew is shown at once: figures drawn outside a paint
      // (the tools' inverted lines under the pointer) reach the screen
      // without waiting for the canvas to be released.
      [impl] {
        if (impl->surface->NativeImage() != nullptr) impl->surface->SurfaceChanged(0, 0, 0, 0);
      });
}

TSurfaceCanvas::~TSurfaceCanvas() { Update(); }

TCanvas& TSurfaceCanvas::Canvas() { return *impl_->canvas; }

void TSurfaceCanvas::Update() {
  if (impl_->surface->NativeImage() != nullptr) impl_->surface->SurfaceChanged(0, 0, 0, 0);
}

}  // namespace platform
