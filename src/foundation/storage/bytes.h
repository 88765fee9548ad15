#pragma once

// Little-endian fields in byte buffers, one field at a time with an explicit
// size. The caller makes sure the bytes are there. Pure functions; any thread.

#include <cstdint>

inline std::uint16_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::int16_t GetI16(const std::uint8_t* p) { return static_cast<std::int16_t>(GetU16(p)); }

inline std::uint32_t GetU32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

inline std::int32_t GetI32(const std::uint8_t* p) { return static_cast<std::int32_t>(GetU32(p)); }

inline std::uint64_t GetU64(const std::uint8_t* p) {
  return std::uint64_t{GetU32(p)} | (std::uint64_t{GetU32(p + 4)} << 32);
}

inline void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void PutI16(std::uint8_t* p, std::int16_t v) { PutU16(p, static_cast<std::uint16_t>(v)); }

inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline void PutI32(std::uint8_t* p, std::int32_t v) { PutU32(p, static_cast<std::uint32_t>(v)); }

inline void PutU64(std::uint8_t* p, std::uint64_t v) {
  PutU32(p, static_cast<std::uint32_t>(v));
  PutU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}
