#include "foundation/storage/real48.h"

#include <cmath>

#include "foundation/errors.h"
#include "foundation/geometry/rounding.h"

namespace {

constexpr int kBias = 129;
constexpr int kFractionBits = 39;
constexpr std::uint64_t kFractionOne = std::uint64_t{1} << kFractionBits;
constexpr std::uint8_t kSignBit = 0x80;

[[noreturn]] void RaiseOutOfRange() {
  throw EConvertError("Błąd konwersji: wartość poza zakresem liczby 6-bajtowej");
}

}  // namespace

double Real48ToDouble(const std::uint8_t* Bytes) {
  const int exponent = Bytes[0];
  if (exponent == 0) return 0.0;
  std::uint64_t fraction = Bytes[5] & 0x7F;
  for (int i = 4; i >= 1; --i) fraction = (fraction << 8) | Bytes[i];
  const double magnitude =
      std::ldexp(1.0 + std::ldexp(static_cast<double>(fraction), -kFractionBits), exponent - kBias);
  return (Bytes[5] & kSignBit) != 0 ? -magnitude : magnitude;
}

double Real48ToDouble(const TReal48Bytes& Bytes) { return Real48ToDouble(Bytes.data()); }

TReal48Bytes DoubleToReal48(double Value) {
  TReal48Bytes out{};
  if (std::isnan(Value) || std::isinf(Value)) RaiseOutOfRange();
  if (Value == 0.0) return out;

  const bool negative = std::signbit(Value);
  const double magnitude = std::fabs(Value);
  int e2 = 0;
  const double m = std::frexp(magnitude, &e2);  // magnitude = m * 2^e2, 0.5 <= m < 1
  int exponent = e2 - 1 + kBias;
  // (2m - 1) * 2^39 is exact in a double; round it to the 39-bit grid.
  std::uint64_t fraction =
      static_cast<std::uint64_t>(Round(std::ldexp(2.0 * m - 1.0, kFractionBits)));
  if (fraction == kFractionOne) {
    fraction = 0;
    ++exponent;
  }
  if (exponent > 255) RaiseOutOfRange();
  if (exponent <= 0) {
    // Below the smallest 6-byte magnitude 2^-128: the nearer of 0 and 2^-128.
    if (magnitude <= std::ldexp(1.0, -kBias)) return out;
    exponent = 1;
    fraction = 0;
  }

  out[0] = static_cast<std::uint8_t>(exponent);
  for (int i = 1; i <= 5; ++i) {
    out[i] = static_cast<std::uint8_t>(fraction & 0xFF);
    fraction >>= 8;
  }
  if (negative) out[5] |= kSignBit;
  return out;
}

void WriteReal48(std::uint8_t* Dest, double Value) {
  const TReal48Bytes bytes = DoubleToReal48(Value);
  for (std::size_t i = 0; i < bytes.size(); ++i) Dest[i] = bytes[i];
}
