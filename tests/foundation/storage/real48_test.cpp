#include "foundation/storage/real48.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "foundation/errors.h"

namespace {

struct KnownValue {
  double value;
  TReal48Bytes bytes;
};

// Hand-made bytes: exponent, fraction low byte first, sign in the top bit.
const KnownValue kKnown[] = {
    {1.0, {0x81, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {-1.0, {0x81, 0x00, 0x00, 0x00, 0x00, 0x80}},
    {-2.5, {0x82, 0x00, 0x00, 0x00, 0x00, 0xA0}},
    {0.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {0.5, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {100.0, {0x87, 0x00, 0x00, 0x00, 0x00, 0x48}},
    {1.0 + std::ldexp(1.0, -39), {0x81, 0x01, 0x00, 0x00, 0x00, 0x00}},
    {std::ldexp(1.0, -128), {0x01, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {std::ldexp(2.0 - std::ldexp(1.0, -39), 126), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
};

}  // namespace

TEST(Real48, ReadsHandMadeBytes) {
  for (const KnownValue& k : kKnown) EXPECT_EQ(Real48ToDouble(k.bytes), k.value) << k.value;
}

TEST(Real48, WritesKnownBytes) {
  for (const KnownValue& k : kKnown) EXPECT_EQ(DoubleToReal48(k.value), k.bytes) << k.value;
  std::uint8_t record[8] = {0xEE, 0, 0, 0, 0, 0, 0, 0xEE};
  WriteReal48(record + 1, -2.5);
  const std::uint8_t expected[8] = {0xEE, 0x82, 0, 0, 0, 0, 0xA0, 0xEE};
  EXPECT_EQ(std::memcmp(record, expected, 8), 0);
}

TEST(Real48, ZeroExponentIsZeroWhateverTheFraction) {
  EXPECT_EQ(Real48ToDouble(TReal48Bytes{0x00, 0x12, 0x34, 0x56, 0x78, 0xFF}), 0.0);
  EXPECT_EQ(DoubleToReal48(-0.0), (TReal48Bytes{}));
}

TEST(Real48, TenthRoundsToNearest) {
  // 0.1 has no exact 6-byte form; the nearest has the fraction 0x4CCCCCCCCD.
  const TReal48Bytes tenth{0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C};
  EXPECT_EQ(DoubleToReal48(0.1), tenth);
  EXPECT_NEAR(Real48ToDouble(tenth), 0.1, std::ldexp(1.0, -44));
  EXPECT_EQ(DoubleToReal48(-0.1)[5], 0xCC);
}

TEST(Real48, TiesRoundToEvenFraction) {
  // Half a unit of the 39-bit fraction above 1: down to the even 0.
  EXPECT_EQ(DoubleToReal48(1.0 + std::ldexp(1.0, -40)),
            (TReal48Bytes{0x81, 0x00, 0x00, 0x00, 0x00, 0x00}));
  // One and a half units: up to the even 2.
  EXPECT_EQ(DoubleToReal48(1.0 + 3 * std::ldexp(1.0, -40)),
            (TReal48Bytes{0x81, 0x02, 0x00, 0x00, 0x00, 0x00}));
  // Just below 2: the carry out of the fraction raises the exponent.
  EXPECT_EQ(DoubleToReal48(std::nextafter(2.0, 0.0)),
            (TReal48Bytes{0x82, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(Real48, RoundTripOfAnyStoredValueIsBitExact) {
  std::mt19937_64 random(48);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t bits = random();
    TReal48Bytes bytes;
    for (int b = 0; b < 6; ++b) bytes[b] = static_cast<std::uint8_t>(bits >> (8 * b));
    if (bytes[0] == 0) bytes = TReal48Bytes{};  // the only form of 0
    ASSERT_EQ(DoubleToReal48(Real48ToDouble(bytes)), bytes) << i;
  }
}

TEST(Real48, MagnitudesBelowTheSmallestGoToTheNearer) {
  const double smallest = std::ldexp(1.0, -128);
  EXPECT_EQ(DoubleToReal48(smallest / 2), (TReal48Bytes{}));  // halfway: 0
  EXPECT_EQ(DoubleToReal48(smallest / 4), (TReal48Bytes{}));
  EXPECT_EQ(DoubleToReal48(smallest * 0.75), (TReal48Bytes{0x01, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DoubleToReal48(-smallest * 0.75), (TReal48Bytes{0x01, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(DoubleToReal48(1e-300), (TReal48Bytes{}));
}

TEST(Real48, ValuesOutsideTheRangeRaise) {
  const double largest = std::ldexp(2.0 - std::ldexp(1.0, -39), 126);
  for (double v : {std::ldexp(1.0, 127), -std::ldexp(1.0, 127), 1e300,
                   std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN(),
                   // rounds up past the largest value
                   largest + std::ldexp(1.0, 126 - 39) * 0.75}) {
    std::uint8_t record[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_THROW(WriteReal48(record, v), EConvertError) << v;
    const std::uint8_t untouched[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::memcmp(record, untouched, 6), 0);
  }
}
