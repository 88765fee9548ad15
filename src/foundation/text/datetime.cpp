#include "foundation/text/datetime.h"

#include <cstdio>
#include <optional>

#include "foundation/errors.h"
#include "platform/files/codepage.h"

namespace {

constexpr std::uint16_t kFirstYear = 1980;
constexpr std::uint16_t kLastYear = 2107;

// Characters First..First+Count-1 (1-based) of a code-page text, as much of
// them as the text has.
std::string_view Part(std::string_view Text, std::size_t First, std::size_t Count) {
  if (First - 1 >= Text.size()) return {};
  return Text.substr(First - 1, Count);
}

// A decimal integer with optional leading blanks and sign, nothing after it.
std::optional<int> ParseInt(std::string_view S) {
  std::size_t i = 0;
  while (i < S.size() && S[i] == ' ') ++i;
  bool negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  if (i == S.size()) return std::nullopt;
  int value = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < '0' || S[i] > '9') return std::nullopt;
    value = value * 10 + (S[i] - '0');  // at most four digits: no overflow
  }
  return negative ? -value : value;
}

int ParseDatePart(std::string_view Text, std::size_t First, std::size_t Count) {
  const std::string_view part = Part(Text, First, Count);
  const std::optional<int> value = ParseInt(part);
  if (!value)
    throw EConvertError("Błąd konwersji: " + platform::Cp1250ToUtf8(part));
  return *value;
}

// A parsed number taken as an unsigned 16-bit value (so negative numbers lie
// above any range), clamped to Low..High.
std::uint16_t ClampWord(int Value, std::uint16_t Low, std::uint16_t High) {
  const auto word = static_cast<std::uint16_t>(Value);
  if (word < Low) return Low;
  if (word > High) return High;
  return word;
}

// "%2d"-style field with blanks turned into zeros: at least Width digits.
std::string Digits(unsigned Value, int Width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*u", Width, Value);
  return buffer;
}

void PackLocalTime(TPackedDateTime& D, const platform::LocalTime& T) {
  TDateTimeRec r;
  r.Year = static_cast<std::uint16_t>(T.year);
  r.Month = static_cast<std::uint16_t>(T.month);
  r.Day = static_cast<std::uint16_t>(T.day);
  r.Hour = static_cast<std::uint16_t>(T.hour);
  r.Minute = static_cast<std::uint16_t>(T.minute);
  r.Second = static_cast<std::uint16_t>(T.second);
  PackDateTime(D, r);
}

}  // namespace

void NowPackedDateTime(TPackedDateTime& D) { PackLocalTime(D, platform::Now()); }

void PackDateTime(TPackedDateTime& D, const TDateTimeRec& R) {
  D = (static_cast<std::uint32_t>(R.Year - kFirstYear) & 0x7F) << 25 |
      (static_cast<std::uint32_t>(R.Month) & 0x0F) << 21 |
      (static_cast<std::uint32_t>(R.Day) & 0x1F) << 16 |
      (static_cast<std::uint32_t>(R.Hour) & 0x1F) << 11 |
      (static_cast<std::uint32_t>(R.Minute) & 0x3F) << 5 |
      (static_cast<std::uint32_t>(R.Second / 2) & 0x1F);
}

void UnpackDateTime(TPackedDateTime D, TDateTimeRec& R) {
  R.Year = static_cast<std::uint16_t>((D >> 25) + kFirstYear);
  R.Month = static_cast<std::uint16_t>((D >> 21) & 0x0F);
  R.Day = static_cast<std::uint16_t>((D >> 16) & 0x1F);
  R.Hour = static_cast<std::uint16_t>((D >> 11) & 0x1F);
  R.Minute = static_cast<std::uint16_t>((D >> 5) & 0x3F);
  R.Second = static_cast<std::uint16_t>((D & 0x1F) * 2);
}

void FileDateToPacked(TPackedDateTime& D, const platform::LocalTime& FileDate) {
  PackLocalTime(D, FileDate);
}

void ParsePackedDate(TPackedDateTime& D, std::string_view DateText, std::string_view TimeText) {
  const std::string date = platform::Utf8ToCp1250(DateText);
  const std::string time = platform::Utf8ToCp1250(TimeText);
  TDateTimeRec r;
  r.Year = ClampWord(ParseDatePart(date, 1, 4), kFirstYear, kLastYear);
  r.Month = ClampWord(ParseDatePart(date, 6, 2), 1, 12);
  r.Day = ClampWord(ParseDatePart(date, 9, 2), 1, 31);
  r.Hour = ClampWord(ParseInt(Part(time, 1, 2)).value_or(0), 0, 23);
  r.Minute = ClampWord(ParseInt(Part(time, 4, 2)).value_or(0), 0, 59);
  r.Second = 0;
  PackDateTime(D, r);
}

std::string StrToPackedDateTime(TPackedDateTime& D, std::string_view DateText,
                                std::string_view TimeText) {
  ParsePackedDate(D, DateText, TimeText);
  return PackedDateTimeToStr(D, false);
}

void ClearPackedDateTime(TPackedDateTime& D) { D = 0; }

bool IsPackedDateTimeEmpty(TPackedDateTime D) { return D == 0; }

int ComparePackedDateTime(TPackedDateTime D, TPackedDateTime Value) {
  if (D < Value) return -1;
  return D > Value ? 1 : 0;
}

std::string PackedDateToStr(TPackedDateTime D) {
  TDateTimeRec r;
  UnpackDateTime(D, r);
  return Digits(r.Year, 4) + "." + Digits(r.Month, 2) + "." + Digits(r.Day, 2);
}

std::string PackedTimeToStr(TPackedDateTime D, bool WithSeconds) {
  TDateTimeRec r;
  UnpackDateTime(D, r);
  std::string text = Digits(r.Hour, 2) + "." + Digits(r.Minute, 2);
  if (WithSeconds) {
    text += '.';
    text += Digits(r.Second, 2);
  }
  return text;
}

std::string PackedDateTimeToStr(TPackedDateTime D, bool WithSeconds) {
  return PackedDateToStr(D) + "  " + PackedTimeToStr(D, WithSeconds);
}
