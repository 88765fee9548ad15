// The packed date-time: one unsigned 32-bit word in the MS-DOS date and time
// layout, carried by layer records, parcels, points and survey documents.
//
// | Bits  | Field       | Range                      |
// |-------|-------------|----------------------------|
// | 25-31 | year - 1980 | 0-127 (years 1980 to 2107) |
// | 21-24 | month       | 1-12                       |
// | 16-20 | day         | 1-31                       |
// | 11-15 | hour        | 0-23                       |
// | 5-10  | minute      | 0-59                       |
// | 0-4   | second / 2  | 0-29                       |
//
// 0 means no date. Two words compare in time order as unsigned integers.
// Free functions without state: any thread may call them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/system.h"

using TPackedDateTime = std::uint32_t;

// The broken-down form of a packed date-time.
struct TDateTimeRec {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  friend bool operator==(const TDateTimeRec&, const TDateTimeRec&) = default;
};

// The current local time, packed.
void NowPackedDateTime(TPackedDateTime& D);
// Odd seconds lose their last second. Fields are masked to their bit widths.
void PackDateTime(TPackedDateTime& D, const TDateTimeRec& R);
void UnpackDateTime(TPackedDateTime D, TDateTimeRec& R);
// A file date as the platform gives it in local calendar form, packed.
void FileDateToPacked(TPackedDateTime& D, const platform::LocalTime& FileDate);
// Parses "YYYY.MM.DD" (separators not checked) and "HH.MM" (any separator);
// out-of-range parts are clamped. A date part that is not an integer raises
// EConvertError and leaves D untouched; a bad time part counts as 0.
void ParsePackedDate(TPackedDateTime& D, std::string_view DateText, std::string_view TimeText);
// ParsePackedDate, then the normalised text of what was stored.
std::string StrToPackedDateTime(TPackedDateTime& D, std::string_view DateText,
                                std::string_view TimeText);
void ClearPackedDateTime(TPackedDateTime& D);
bool IsPackedDateTimeEmpty(TPackedDateTime D);
// -1, 0, 1 as unsigned integers.
int ComparePackedDateTime(TPackedDateTime D, TPackedDateTime Value);
// "2003.05.07"
std::string PackedDateToStr(TPackedDateTime D);
// "08.05.30" with seconds, "08.05" without.
std::string PackedTimeToStr(TPackedDateTime D, bool WithSeconds);
// The date text, two blanks, the time text.
std::string PackedDateTimeToStr(TPackedDateTime D, bool WithSeconds);
