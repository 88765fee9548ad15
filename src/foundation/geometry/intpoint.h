// Integer device points and rectangles (pixels, printer dots).
#pragma once

#include <cstdint>

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};
