// Decoding of Windows bitmap (BMP) images held in memory, such as the icons
// imported into the user-menu files. The bytes are hostile: a damaged or
// unreadable image, or one too large to be an icon, gives no bitmap, never a
// crash. Any thread; the caller owns the bitmap it gets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/paint/gdiimage.h"

namespace platform {

// The largest width and height accepted for a decoded icon image.
inline constexpr int kMaxDecodedImageSide = 4096;

// A new bitmap with the pixels of the BMP file image in data[0..size), or
// null when the bytes are no readable BMP image or its sides exceed
// kMaxDecodedImageSide.
std::unique_ptr<TBitmap> DecodeBmpImage(const std::uint8_t* data, std::size_t size);

}  // namespace platform
