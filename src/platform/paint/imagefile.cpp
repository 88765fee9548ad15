#include "platform/paint/imagefile.h"

#include <QImage>
#include <QString>

#include "platform/files/files.h"
#include "platform/paint/gdiimpl.h"

namespace platform {

bool SaveBitmapToFile(const TBitmap& bitmap, const std::string& fileName) {
  const QImage* image = BitmapImage(bitmap);
  if (image == nullptr || !image->save(QString::fromStdString(fileName), "PNG")) {
    SetLastError(kErrorGeneralFailure);
    return false;
  }
  return true;
}

std::unique_ptr<TBitmap> LoadBitmapFromFile(const std::string& fileName) {
  QImage loaded;
  if (!loaded.load(QString::fromStdString(fileName))) {
    SetLastError(kErrorGeneralFailure);
    return nullptr;
  }
  // 32-bit rows are blue, green, red, unused bytes: the layout of a
  // top-down 32-bit DIB.
  const QImage rows = loaded.convertToFormat(QImage::Format_RGB32);
  auto bitmap = std::make_unique<TBitmap>(rows.width(), rows.height());
  TDibInfo info;
  info.Width = rows.width();
  info.Height = -rows.height();
  info.BitCount = 32;
  const std::size_t size = static_cast<std::size_t>(rows.sizeInBytes());
  if (!bitmap->Canvas().StretchDIBits(0, 0, rows.width(), rows.height(), 0, 0, rows.width(),
                                      rows.height(), rows.constBits(), size, info)) {
    SetLastError(kErrorGeneralFailure);
    return nullptr;
  }
  return bitmap;
}

}  // namespace platform
