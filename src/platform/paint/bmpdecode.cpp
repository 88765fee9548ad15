#include "platform/paint/bmpdecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "platform/paint/gdiimpl.h"

namespace platform {

std::unique_ptr<TBitmap> DecodeBmpImage(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0 || size > static_cast<std::size_t>(INT32_MAX)) return nullptr;
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                   static_cast<qsizetype>(size));
  QBuffer buffer;
  buffer.setData(bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
  QImageReader reader(&buffer, "BMP");
  reader.setDecideFormatFromContent(false);
  // The header's size is checked before any pixel memory is taken.
  const QSize declared = reader.size();
  if (!declared.isValid() || declared.width() < 1 || declared.height() < 1 ||
      declared.width() > kMaxDecodedImageSide || declared.height() > kMaxDecodedImageSide) {
    return nullptr;
  }
  QImage loaded;
  if (!reader.read(&loaded) || loaded.isNull()) return nullptr;
  // 32-bit rows are blue, green, red, unused bytes: the layout of a
  // top-down 32-bit DIB.
  const QImage rows = loaded.convertToFormat(QImage::Format_RGB32);
  if (rows.isNull()) return nullptr;
  auto bitmap = std::make_unique<TBitmap>(rows.width(), rows.height());
  TDibInfo info;
  info.Width = rows.width();
  info.Height = -rows.height();
  info.BitCount = 32;
  const std::size_t bytesTotal = static_cast<std::size_t>(rows.sizeInBytes());
  if (!bitmap->Canvas().StretchDIBits(0, 0, rows.width(), rows.height(), 0, 0, rows.width(),
                                      rows.height(), rows.constBits(), bytesTotal, info)) {
    return nullptr;
  }
  return bitmap;
}

}  // namespace platform
