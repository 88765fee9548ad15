// Round: a real to the nearest integer, halves to the even neighbour (the
// processor's default rounding), as every pixel and count conversion of the
// system rounds. Computed explicitly, so it does not depend on the current
// floating-point rounding mode. Any thread may call it.
#pragma once

#include <cmath>
#include <cstdint>

#include "foundation/errors.h"

// Raises EInternalError for NaN and for values outside the 64-bit range.
inline std::int64_t Round(long double X) {
  constexpr long double kLimit = 9223372036854775808.0L;  // 2^63
  if (!(X >= -kLimit && X < kLimit)) throw EInternalError("Round: liczba poza zakresem");
  const long double floor = std::floor(X);
  const long double fraction = X - floor;  // exact: both share the binade's grid
  std::int64_t result = static_cast<std::int64_t>(floor);
  if (fraction > 0.5L || (fraction == 0.5L && (result & 1) != 0)) ++result;
  return result;
}
