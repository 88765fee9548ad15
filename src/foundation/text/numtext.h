// Numbers as the system writes and reads them in its texts: reals with fixed
// or significant decimals, integers, booleans as one-letter or word pairs,
// hexadecimal colour texts, the 16 standard colours of old layer files, a
// value interpolated by the map scale and a few bit and number helpers.
// Pure functions: any thread may call them. Conversions use the point as the
// decimal separator whatever the locale.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Reals.

// Fixed-point text with exactly Decimals digits after the point, no padding
// (2.5 with 3 decimals -> "2.500"). Decimals below 0 count as 0.
std::string RealToStr(double X, int Decimals);
// Up to 15 significant digits, trailing zeros and a trailing point removed
// (100 -> "100", 0.1 -> "0.1", -2.5 -> "-2.5").
std::string RealToTextSignificant(double X);

// The plain real conversion of a whole text: optional leading blanks, an
// optional sign, digits with an optional point, an optional exponent. A comma,
// any trailing character or an empty text does not convert.
bool TryStrToReal(std::string_view S, double& X);
// The plain integer conversion: optional leading blanks, an optional sign and
// decimal digits only, within the 32-bit range.
bool TryStrToInt(std::string_view S, std::int32_t& N);

// Raises EConvertError "Błąd konwersji: " + S when S does not convert.
double StrToReal(std::string_view S);
double StrToRealDef(std::string_view S, double Default);

// Frac (X / Y) * Y, the fraction keeping its sign: RealMod (-7, 3) = -1.
double RealMod(double X, double Y);
// The smallest multiple of Step not below N (for N >= 1); N = 0 gives Step
// when Step > 1. A Step of 0 has no multiples: N is returned.
std::int64_t RoundUpToMultiple(std::int32_t N, std::int32_t Step);
void SwapReals(double& A, double& B);

struct TIntPair {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TIntPair&, const TIntPair&) = default;
};
TIntPair MakeIntPair(std::int32_t X, std::int32_t Y);

// Values of a quantity at the map scales 1:500, 1:1000, 1:2000 and 1:5000.
using TScaleAnchors = std::array<float, 4>;
// The value at the scale 1:Code, linear between the anchors; below 500 the
// line of the first two anchors continues, beyond 5000 that of the last two.
double InterpolateByCodeRange(const TScaleAnchors& Anchors, std::int32_t Code);

// Booleans.

// Two texts for True and False, e.g. {"tak", "nie"}.
struct TTextPair {
  std::string TrueText;
  std::string FalseText;
};

// "T" or "t" -> true, "N" or "n" -> false; anything else raises
// EConvertError "Błąd konwersji".
bool StrToBoolChar(std::string_view S);
// "T" or "N".
std::string BoolToTN(bool B);
// True on TrueText, false on FalseText (exact, letter case counts); anything
// else gives false for Default 0, true for Default 1 and raises EConvertError
// "Błąd konwersji" for Default 2 or more.
bool StrToBoolPair(std::string_view S, const TTextPair& Texts, int Default);
std::string IfThenStr(bool B, const TTextPair& Texts);

// Hexadecimal.

// Unsigned 32-bit value of S read as hexadecimal, most significant digit
// first; a character that is no hex digit counts as the digit 0, digits above
// the eighth shift the first ones out. Never fails; "" -> 0.
std::uint32_t HexToInt(std::string_view S);
// The same; the display settings read their colour texts with it.
std::uint32_t HexTextToInt(std::string_view S);

// Nibbles of a byte.
inline std::uint8_t HighNibble(std::uint8_t B) { return B >> 4; }
inline std::uint8_t LowNibble(std::uint8_t B) { return B & 15; }
// Bits of V above the fourth are lost.
inline void SetHighNibble(std::uint8_t& B, std::uint8_t V) {
  B = static_cast<std::uint8_t>((V << 4) | (B & 15));
}
inline void SetLowNibble(std::uint8_t& B, std::uint8_t V) {
  B = static_cast<std::uint8_t>((V & 15) | (B & 240));
}

// Colours.

// The colour (0x00BBGGRR) of a standard colour number of old layer files, in
// the order of the DOS 16-colour palette; white for 16 and above.
std::uint32_t StdColor(std::uint16_t Index);
