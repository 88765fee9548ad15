// Display formatting of data grid cells: a number or a date written by a
// column's display mask. A number mask is a picture: 0 a digit always
// written, # a digit written when significant, . the decimal point, a comma
// anywhere before the point groups thousands with a space; other characters
// are written as they stand, text in quotes too; a mask with ';' takes its
// first part for positive numbers and zero, its second for negative ones
// (written without the sign). A date mask writes yyyy, yy, mm, m, dd, d, hh,
// h, nn, n, ss, s (mm and m right after an hour are minutes) and copies the
// rest, quoted text without its quotes.
//
// Pure functions, any thread.
#pragma once

#include <string>

#include "controls/gridcolumns.h"

struct TCellDate {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

// A date as cells hold it: "YYYY.MM.DD" (any of . - / between the parts),
// optionally followed by a space and "HH:NN" or "HH:NN:SS". False for
// anything else, an impossible day or time included.
bool ParseCellDate(const std::string& text, TCellDate& date);

std::string FormatNumberMask(double value, const std::string& mask);
std::string FormatDateMask(const TCellDate& date, const std::string& mask);

// What a cell of the given format shows with the given display mask: the
// text formatted, or the text itself when the mask is empty, the format is
// text or the text does not convert.
std::string CellDisplayText(TColumnFormat format, const std::string& mask, const std::string& text);
