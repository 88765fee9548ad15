// Single and double fields in little-endian byte buffers, beside the integer
// helpers of foundation/storage/bytes.h. The caller makes sure the bytes are there.
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <cstring>

inline float GetF32(const std::uint8_t* p) {
  float v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void PutF32(std::uint8_t* p, float v) { std::memcpy(p, &v, 4); }
inline double GetF64(const std::uint8_t* p) {
  double v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void PutF64(std::uint8_t* p, double v) { std::memcpy(p, &v, 8); }
