#include "foundation/text/numtext.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/errors.h"

namespace {

template <typename F>
std::string ConvertErrorMessage(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "(no error)";
}

}  // namespace

TEST(NumText, RealToStrHasExactDecimals) {
  struct Case {
    double x;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {2.5, 3, "2.500"},   {2.4, 0, "2"},         {3.6, 0, "4"},      {-1.26, 1, "-1.3"},
      {1e6, 2, "1000000.00"}, {-0.001, 2, "0.00"}, {0.125, -3, "0"},  {123.456, 2, "123.46"},
  };
  for (const Case& c : cases) EXPECT_EQ(RealToStr(c.x, c.decimals), c.text) << c.x;
  EXPECT_EQ(RealToStr(NAN, 2), "NAN");
  EXPECT_EQ(RealToStr(-INFINITY, 2), "-INF");
}

TEST(NumText, RealToTextSignificant) {
  struct Case {
    double x;
    const char* text;
  };
  const Case cases[] = {
      {100, "100"},        {0.1, "0.1"},   {-2.5, "-2.5"},  {1234.5, "1234.5"}, {0, "0"},
      {1, "1"},            {-1, "-1"},     {1.0 / 3, "0.333333333333333"},
      {5512345.678, "5512345.678"},        {-0.0, "0"},     {1e20, "100000000000000000000"},
      {-123456.25, "-123456.25"},
  };
  for (const Case& c : cases) EXPECT_EQ(RealToTextSignificant(c.x), c.text) << c.x;
}

TEST(NumText, StrToRealAcceptsPlainNumbersOnly) {
  struct Good {
    const char* text;
    double value;
  };
  const Good good[] = {{"1.5", 1.5},   {"-2", -2},     {"+3.25", 3.25}, {"1e3", 1000},
                       {"2.5E-1", 0.25}, {".5", 0.5},  {"5.", 5},       {"  7", 7},
                       {"-0.125e+2", -12.5}};
  for (const Good& g : good) EXPECT_DOUBLE_EQ(StrToReal(g.text), g.value) << g.text;
  for (const char* bad : {"", "1,5", "1.5x", "1.5 ", "abc", "-", ".", "1e", "e5", "inf", "nan",
                          "0x10", "+-1", "1.2.3", "1e999"}) {
    double x = 42;
    EXPECT_FALSE(TryStrToReal(bad, x)) << bad;
    EXPECT_EQ(x, 42) << bad;
    EXPECT_EQ(StrToRealDef(bad, -1), -1) << bad;
  }
  EXPECT_EQ(ConvertErrorMessage([] { StrToReal("1,5"); }), "Błąd konwersji: 1,5");
}

TEST(NumText, TryStrToIntIsDecimal32Bit) {
  std::int32_t n = 0;
  EXPECT_TRUE(TryStrToInt("-2147483648", n));
  EXPECT_EQ(n, INT32_MIN);
  EXPECT_TRUE(TryStrToInt("+17", n));
  EXPECT_EQ(n, 17);
  for (const char* bad : {"", "2147483648", "1.0", "12a", "$FF", "-", "+-1", "--1", "1 "}) {
    n = 5;
    EXPECT_FALSE(TryStrToInt(bad, n)) << bad;
    EXPECT_EQ(n, 5) << bad;
  }
}

TEST(NumText, SmallNumberHelpers) {
  EXPECT_DOUBLE_EQ(RealMod(-7, 3), -1);
  EXPECT_DOUBLE_EQ(RealMod(7.5, 2), 1.5);
  EXPECT_EQ(RoundUpToMultiple(1, 8), 8);
  EXPECT_EQ(RoundUpToMultiple(8, 8), 8);
  EXPECT_EQ(RoundUpToMultiple(9, 8), 16);
  EXPECT_EQ(RoundUpToMultiple(0, 8), 8);
  EXPECT_EQ(RoundUpToMultiple(0, 1), 0);
  EXPECT_EQ(RoundUpToMultiple(INT32_MAX, 10), 2147483650LL);
  double a = 1;
  double b = 2;
  SwapReals(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(MakeIntPair(3, -4), (TIntPair{3, -4}));
  std::uint8_t byte = 0xA5;
  EXPECT_EQ(HighNibble(byte), 0xA);
  EXPECT_EQ(LowNibble(byte), 0x5);
  SetHighNibble(byte, 0x13);  // bits above the fourth are lost
  EXPECT_EQ(byte, 0x35);
  SetLowNibble(byte, 0xFC);
  EXPECT_EQ(byte, 0x3C);
}

// A Step of 0 divided by zero and crashed; it now returns N unchanged.
TEST(NumText, RoundUpToMultipleWithZeroStepDoesNotCrash) {
  EXPECT_EQ(RoundUpToMultiple(13, 0), 13);
  EXPECT_EQ(RoundUpToMultiple(0, 0), 0);
}

TEST(NumText, InterpolateByCodeRange) {
  const TScaleAnchors anchors = {1, 2, 4, 10};
  const std::pair<int, double> cases[] = {{500, 1},  {1000, 2}, {1500, 3}, {2000, 4},
                                          {5000, 10}, {0, 0},   {8000, 16}, {750, 1.5}};
  for (const auto& [code, value] : cases) {
    EXPECT_NEAR(InterpolateByCodeRange(anchors, code), value, 1e-12) << code;
  }
}

TEST(NumText, Booleans) {
  EXPECT_TRUE(StrToBoolChar("T"));
  EXPECT_TRUE(StrToBoolChar("t"));
  EXPECT_FALSE(StrToBoolChar("N"));
  EXPECT_FALSE(StrToBoolChar("n"));
  for (const char* bad : {"", "TN", "x", "1", "Tak"}) {
    EXPECT_EQ(ConvertErrorMessage([bad] { StrToBoolChar(bad); }), "Błąd konwersji") << bad;
  }
  EXPECT_EQ(BoolToTN(true), "T");
  EXPECT_EQ(BoolToTN(false), "N");

  const TTextPair yesNo{"tak", "nie"};
  EXPECT_TRUE(StrToBoolPair("tak", yesNo, 0));
  EXPECT_FALSE(StrToBoolPair("nie", yesNo, 1));
  EXPECT_TRUE(StrToBoolPair("TAK", yesNo, 1));   // the default, not the match
  EXPECT_FALSE(StrToBoolPair("TAK", yesNo, 0));
  EXPECT_EQ(ConvertErrorMessage([&] { StrToBoolPair("?", yesNo, 2); }), "Błąd konwersji");
  EXPECT_EQ(IfThenStr(true, {"1", "0"}), "1");
  EXPECT_EQ(IfThenStr(false, {"1", "0"}), "0");
}

TEST(NumText, HexTextToInt) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"ff0000", 0xFF0000}, {"FF0000", 0xFF0000}, {"12G4", 0x1204}, {"", 0},
      {"0", 0},             {"123456789", 0x23456789}, {"1ż2", 0x102}, {"aBcD", 0xABCD},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(HexTextToInt(text), value) << text;
  EXPECT_EQ(HexToInt("7f"), 0x7Fu);
}

TEST(NumText, StdColor) {
  EXPECT_EQ(StdColor(0), 0x000000u);
  EXPECT_EQ(StdColor(1), 0x800000u);
  EXPECT_EQ(StdColor(6), 0x646CB5u);
  EXPECT_EQ(StdColor(12), 0x0000FFu);
  EXPECT_EQ(StdColor(15), 0xFFFFFFu);
  EXPECT_EQ(StdColor(16), 0xFFFFFFu);
  EXPECT_EQ(StdColor(99), 0xFFFFFFu);
  EXPECT_EQ(StdColor(65535), 0xFFFFFFu);
}
