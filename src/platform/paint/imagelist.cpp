#include "platform/paint/imagelist.h"

#include <algorithm>
#include <vector>

#include <QImage>
#include <QPainter>

#include "platform/paint/gdiimpl.h"

namespace platform {

struct TImageList::Impl {
  std::vector<QImage> images;  // ARGB32, transparent pixels have alpha 0
};

namespace {

bool FitsList(const QImage* source, int width, int height) {
  return source != nullptr && source->width() >= width && source->height() >= height;
}

QImage Cut(const QImage& source, int width, int height) {
  return source.copy(0, 0, width, height).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TImageList::TImageList(int width, int height)
    : impl_(std::make_unique<Impl>()), width_(std::max(1, width)), height_(std::max(1, height)) {}

TImageList::~TImageList() = default;

int TImageList::Count() const { return static_cast<int>(impl_->images.size()); }

bool TImageList::ReplaceMasked(int index, const TBitmap& image, TColor maskColor) {
  if (index < 0 || index >= Count()) return false;
  const QImage* source = BitmapImage(image);
  if (!FitsList(source, width_, height_)) return false;
  QImage cut = Cut(*source, width_, height_);
  for (int y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<QRgb*>(cut.scanLine(y));
    for (int x = 0; x < width_; ++x) {
      if (PixelOf(*source, x, y) == maskColor) row[x] = 0;
    }
  }
  impl_->images[static_cast<size_t>(index)] = std::move(cut);
  return true;
}

bool TImageList::Replace(int index, const TBitmap& image, const TBitmap& mask) {
  if (index < 0 || index >= Count()) return false;
  const QImage* source = BitmapImage(image);
  const QImage* maskImage = BitmapImage(mask);
  if (!FitsList(source, width_, height_) || !FitsList(maskImage, width_, height_)) return false;
  QImage cut = Cut(*source, width_, height_);
  for (int y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<QRgb*>(cut.scanLine(y));
    for (int x = 0; x < width_; ++x) {
      if (PixelOf(*maskImage, x, y) != clBlack) row[x] = 0;
    }
  }
  impl_->images[static_cast<size_t>(index)] = std::move(cut);
  return true;
}

int TImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  impl_->images.emplace_back();
  int index = Count() - 1;
  if (!ReplaceMasked(index, image, maskColor)) {
    impl_->images.pop_back();
    return -1;
  }
  return index;
}

int TImageList::Add(const TBitmap& image, const TBitmap& mask) {
  impl_->images.emplace_back();
  int index = Count() - 1;
  if (!Replace(index, image, mask)) {
    impl_->images.pop_back();
    return -1;
  }
  return index;
}

bool TImageList::Draw(TCanvas& canvas, int index, int x, int y) const {
  if (index < 0 || index >= Count()) return false;
  TPaintSession session(canvas);
  QPainter* painter = session.Painter();
  if (painter == nullptr) return false;
  painter->save();
  painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter->drawImage(x, y, impl_->images[static_cast<size_t>(index)]);
  painter->restore();
  return true;
}

TColor TImageList::Pixel(int index, int x, int y) const {
  if (index < 0 || index >= Count() || x < 0 || y < 0 || x >= width_ || y >= height_) {
    return 0xFFFFFFFFu;
  }
  QRgb p = impl_->images[static_cast<size_t>(index)].pixel(x, y);
  if (qAlpha(p) == 0) return 0xFFFFFFFFu;
  return RGB(static_cast<unsigned>(qRed(p)), static_cast<unsigned>(qGreen(p)),
             static_cast<unsigned>(qBlue(p)));
}

}  // namespace platform
