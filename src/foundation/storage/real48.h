// The 6-byte real of the symbol, line-style and generator definition files.
//
// | Byte | Meaning                                                        |
// |------|----------------------------------------------------------------|
// | 0    | biased exponent E (bias 129); 0 means the value 0               |
// | 1-5  | 39-bit fraction F, least significant byte first                 |
// | 5    | bit 7: sign                                                     |
//
// value = (-1)^sign * (1 + F / 2^39) * 2^(E - 129)
//
// Reading is exact (every 6-byte value is a double). Writing is exact for
// every value the format holds, so a read-write round trip keeps the bytes;
// other doubles round to the nearest 6-byte value, ties to an even fraction.
// Magnitudes below the smallest value (2^-128) go to the nearer of 0 and
// 2^-128 (halfway goes to 0); NaN, infinities and magnitudes that round above
// the largest value (just below 2^127) raise EConvertError, nothing written.
// A value 0 is written as six zero bytes (the sign of -0 is dropped).
// Free functions without state: any thread may call them.
#pragma once

#include <array>
#include <cstdint>

using TReal48Bytes = std::array<std::uint8_t, 6>;

double Real48ToDouble(const std::uint8_t* Bytes);
double Real48ToDouble(const TReal48Bytes& Bytes);
TReal48Bytes DoubleToReal48(double Value);
// Writes the 6 bytes of Value at Dest.
void WriteReal48(std::uint8_t* Dest, double Value);
