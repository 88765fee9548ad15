#include "foundation/text/datetime.h"

#include <gtest/gtest.h>

#include "foundation/errors.h"

namespace {

TPackedDateTime Pack(int Year, int Month, int Day, int Hour, int Minute, int Second) {
  TDateTimeRec r;
  r.Year = static_cast<std::uint16_t>(Year);
  r.Month = static_cast<std::uint16_t>(Month);
  r.Day = static_cast<std::uint16_t>(Day);
  r.Hour = static_cast<std::uint16_t>(Hour);
  r.Minute = static_cast<std::uint16_t>(Minute);
  r.Second = static_cast<std::uint16_t>(Second);
  TPackedDateTime d = 0;
  PackDateTime(d, r);
  return d;
}

}  // namespace

TEST(PackedDateTime, PacksIntoHandMadeWords) {
  // 1 January 1980 00:00:00: only the day bit 16 and the month bit 21.
  EXPECT_EQ(Pack(1980, 1, 1, 0, 0, 0), 0x00210000u);
  // 7 May 2003 08:05:30: year 23, month 5, day 7, hour 8, minute 5, 15.
  EXPECT_EQ(Pack(2003, 5, 7, 8, 5, 30), (23u << 25) | (5u << 21) | (7u << 16) | (8u << 11) |
                                            (5u << 5) | 15u);
  EXPECT_EQ(Pack(2003, 5, 7, 8, 5, 30), 0x2EA740AFu);
  // 31 December 2107 23:59:58: every field at its top.
  EXPECT_EQ(Pack(2107, 12, 31, 23, 59, 58), 0xFF9FBF7Du);
}

TEST(PackedDateTime, UnpacksHandMadeWords) {
  TDateTimeRec r;
  UnpackDateTime(0x2EA740AFu, r);
  EXPECT_EQ(r, (TDateTimeRec{2003, 5, 7, 8, 5, 30}));
  UnpackDateTime(0, r);
  EXPECT_EQ(r, (TDateTimeRec{1980, 0, 0, 0, 0, 0}));
}

TEST(PackedDateTime, OddSecondsLoseTheirLastSecond) {
  TDateTimeRec r;
  const TPackedDateTime d = Pack(2003, 5, 7, 8, 5, 59);
  EXPECT_EQ(d & 31u, 29u);
  UnpackDateTime(d, r);
  EXPECT_EQ(r.Second, 58);
}

TEST(PackedDateTime, TextForms) {
  const TPackedDateTime d = Pack(2003, 5, 7, 8, 5, 30);
  EXPECT_EQ(PackedDateToStr(d), "2003.05.07");
  EXPECT_EQ(PackedTimeToStr(d, true), "08.05.30");
  EXPECT_EQ(PackedTimeToStr(d, false), "08.05");
  EXPECT_EQ(PackedDateTimeToStr(d, false), "2003.05.07  08.05");
  EXPECT_EQ(PackedDateTimeToStr(Pack(1980, 1, 1, 0, 0, 0), true), "1980.01.01  00.00.00");
  EXPECT_EQ(PackedDateTimeToStr(0, true), "1980.00.00  00.00.00");
}

TEST(PackedDateTime, ParseClampsEachPart) {
  struct Case {
    const char* date;
    const char* time;
    TDateTimeRec expected;
  };
  const Case cases[] = {
      {"1975.13.00", "25.70", {1980, 12, 1, 23, 59, 0}},
      {"2003.05.07", "", {2003, 5, 7, 0, 0, 0}},
      {"2003.05.07", "08:05", {2003, 5, 7, 8, 5, 0}},
      {"2003-02-31", "8.5", {2003, 2, 31, 0, 0, 0}},  // "8." is no hour; day not checked
      {"2003ż05ą07", " 8.05", {2003, 5, 7, 8, 5, 0}},  // one character a separator
      {"2200/-1/99", "-1.-5", {2107, 12, 31, 23, 59, 0}},  // negative counts as above
      {"2003.05.07", "ab.cd", {2003, 5, 7, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TPackedDateTime d = 0;
    ParsePackedDate(d, c.date, c.time);
    TDateTimeRec r;
    UnpackDateTime(d, r);
    EXPECT_EQ(r, c.expected) << c.date << " " << c.time;
  }
}

TEST(PackedDateTime, ParseOfANonNumericDateRaisesAndStoresNothing) {
  for (const char* date : {"", "20x3.05.07", "2003.0x.07", "2003.05.", "abcd"}) {
    TPackedDateTime d = 0x12345678u;
    EXPECT_THROW(ParsePackedDate(d, date, "08.05"), EConvertError) << date;
    EXPECT_EQ(d, 0x12345678u) << date;
  }
}

TEST(PackedDateTime, StrToPackedReturnsWhatWasStored) {
  TPackedDateTime d = 0;
  EXPECT_EQ(StrToPackedDateTime(d, "1975.13.00", "25.70"), "1980.12.01  23.59");
  EXPECT_EQ(d, Pack(1980, 12, 1, 23, 59, 0));
}

TEST(PackedDateTime, CompareAsUnsignedAndEmpty) {
  const TPackedDateTime late = Pack(2100, 1, 1, 0, 0, 0);  // top bit set
  const TPackedDateTime early = Pack(2003, 5, 7, 8, 5, 30);
  EXPECT_EQ(ComparePackedDateTime(early, late), -1);
  EXPECT_EQ(ComparePackedDateTime(late, early), 1);
  EXPECT_EQ(ComparePackedDateTime(late, late), 0);
  TPackedDateTime d = late;
  EXPECT_FALSE(IsPackedDateTimeEmpty(d));
  ClearPackedDateTime(d);
  EXPECT_TRUE(IsPackedDateTimeEmpty(d));
}

TEST(PackedDateTime, NowAndFileDatesPackTheLocalCalendar) {
  TPackedDateTime d = 0;
  FileDateToPacked(d, platform::LocalTime{2024, 2, 29, 23, 59, 59, 999});
  EXPECT_EQ(d, Pack(2024, 2, 29, 23, 59, 58));
  NowPackedDateTime(d);
  TDateTimeRec r;
  UnpackDateTime(d, r);
  EXPECT_GE(r.Year, 2024);
  EXPECT_GE(r.Month, 1);
  EXPECT_LE(r.Month, 12);
}
