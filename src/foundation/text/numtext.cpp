#include "foundation/text/numtext.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <utility>

#include "foundation/errors.h"
#include "platform/files/codepage.h"

namespace {

constexpr const char* kConvertError = "Błąd konwersji";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipLeadingBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

// A fixed-point text never reads "-0.00": a value that rounds to zero loses
// its sign.
void DropNegativeZero(std::string& s) {
  if (s.empty() || s[0] != '-') return;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] != '0' && s[i] != '.') return;
  }
  s.erase(0, 1);
}

std::string NonFiniteText(double X) {
  if (std::isnan(X)) return "NAN";
  return X < 0 ? "-INF" : "INF";
}

}  // namespace

std::string RealToStr(double X, int Decimals) {
  if (!std::isfinite(X)) return NonFiniteText(X);
  if (Decimals < 0) Decimals = 0;
  // The integer part of the largest double has 309 digits.
  std::string buf(static_cast<std::size_t>(Decimals) + 330, '\0');
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), X,
                                 std::chars_format::fixed, Decimals);
  buf.resize(static_cast<std::size_t>(res.ptr - buf.data()));
  DropNegativeZero(buf);
  return buf;
}

std::string RealToTextSignificant(double X) {
  if (!std::isfinite(X)) return NonFiniteText(X);
  int decimals = 15;
  if (X > 1) {
    decimals = 15 - static_cast<int>(std::trunc(std::log10(X)));
  } else if (X < -1) {
    decimals = 14 - static_cast<int>(std::trunc(std::log10(-X)));
  }
  std::string s = RealToStr(X, decimals);
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  DropNegativeZero(s);
  return s;
}

bool TryStrToReal(std::string_view S, double& X) {
  std::string_view s = SkipLeadingBlanks(S);
  // Check the syntax here: from_chars alone would accept "inf", "nan" and hex
  // forms, and refuses a leading '+'.
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  // The sign was taken above; from_chars reads the unsigned rest.
  double value = 0;
  const auto res = std::from_chars(s.data() + start, s.data() + s.size(), value,
                                   std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
  X = negative ? -value : value;
  return true;
}

bool TryStrToInt(std::string_view S, std::int32_t& N) {
  std::string_view s = SkipLeadingBlanks(S);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s[0] < '0' || s[0] > '9') return false;
  // Read as 64 bits so that -2147483648 converts.
  std::int64_t value = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), value, 10);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  N = static_cast<std::int32_t>(value);
  return true;
}

double StrToReal(std::string_view S) {
  double x = 0;
  if (!TryStrToReal(S, x)) throw EConvertError(std::string(kConvertError) + ": " + std::string(S));
  return x;
}

double StrToRealDef(std::string_view S, double Default) {
  double x = 0;
  return TryStrToReal(S, x) ? x : Default;
}

double RealMod(double X, double Y) {
  const double q = X / Y;
  return (q - std::trunc(q)) * Y;
}

std::int64_t RoundUpToMultiple(std::int32_t N, std::int32_t Step) {
  if (Step == 0) return N;
  const std::int64_t n = N;
  const std::int64_t step = Step;
  return ((n - 1) / step + 1) * step;
}

void SwapReals(double& A, double& B) { std::swap(A, B); }

TIntPair MakeIntPair(std::int32_t X, std::int32_t Y) { return TIntPair{X, Y}; }

double InterpolateByCodeRange(const TScaleAnchors& Anchors, std::int32_t Code) {
  const double a0 = Anchors[0];
  const double a1 = Anchors[1];
  const double a2 = Anchors[2];
  const double a3 = Anchors[3];
  if (Code < 1000) return a0 + (a1 - a0) * (Code - 500) * 0.002;
  if (Code < 2000) return a1 + (a2 - a1) * (Code - 1000) * 0.001;
  return a2 + (a3 - a2) * (Code - 2000) / 3000.0;
}

bool StrToBoolChar(std::string_view S) {
  if (S == "T" || S == "t") return true;
  if (S == "N" || S == "n") return false;
  throw EConvertError(kConvertError);
}

std::string BoolToTN(bool B) { return B ? "T" : "N"; }

bool StrToBoolPair(std::string_view S, const TTextPair& Texts, int Default) {
  if (S == Texts.TrueText) return true;
  if (S == Texts.FalseText) return false;
  if (Default == 0) return false;
  if (Default == 1) return true;
  throw EConvertError(kConvertError);
}

std::string IfThenStr(bool B, const TTextPair& Texts) { return B ? Texts.TrueText : Texts.FalseText; }

std::uint32_t HexToInt(std::string_view S) {
  std::uint32_t value = 0;
  std::size_t i = 0;
  while (i < S.size()) {
    const char c = S[i];
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    }
    value = (value << 4) | digit;
    // A letter outside ASCII is one character, so one digit 0.
    i += platform::Utf8CharLength(S, i);
  }
  return value;
}

std::uint32_t HexTextToInt(std::string_view S) { return HexToInt(S); }

std::uint32_t StdColor(std::uint16_t Index) {
  static constexpr std::uint32_t kColors[16] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x646CB5, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
  };
  return Index < 16 ? kColors[Index] : 0xFFFFFF;
}
