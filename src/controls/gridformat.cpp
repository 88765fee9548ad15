#include "controls/gridformat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string_view>

#include "foundation/text/numtext.h"

namespace {

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// minParts to count groups of 1 to 4 digits separated by one of seps.
bool ParseParts(std::string_view text, std::string_view seps, int* parts, int minParts, int count) {
  int part = 0;
  int digits = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (++digits > 4) return false;
      parts[part] = parts[part] * 10 + (c - '0');
    } else if (seps.find(c) != std::string_view::npos && digits > 0 && part + 1 < count) {
      ++part;
      digits = 0;
    } else {
      return false;
    }
  }
  return digits > 0 && part + 1 >= minParts;
}

}  // namespace

bool ParseCellDate(const std::string& text, TCellDate& date) {
  const std::size_t space = text.find(' ');
  const std::string_view whole(text);
  int d[3] = {0, 0, 0};
  if (!ParseParts(whole.substr(0, space), ".-/", d, 3, 3)) return false;
  int t[3] = {0, 0, 0};
  if (space != std::string::npos && !ParseParts(whole.substr(space + 1), ":", t, 2, 3)) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d[0] < 1 || d[1] < 1 || d[1] > 12 || d[2] < 1) return false;
  if (d[2] > days[d[1] - 1] + (d[1] == 2 && LeapYear(d[0]) ? 1 : 0)) return false;
  if (t[0] > 23 || t[1] > 59 || t[2] > 59) return false;
  date = {d[0], d[1], d[2], t[0], t[1], t[2]};
  return true;
}

std::string FormatNumberMask(double value, const std::string& maskText) {
  std::string mask = maskText;
  const std::size_t semi = mask.find(';');
  if (semi != std::string::npos) {
    if (value < 0) {
      mask = mask.substr(semi + 1);
      value = -value;
      const std::size_t next = mask.find(';');
      if (next != std::string::npos) mask.resize(next);
    } else {
      mask.resize(semi);
    }
  }
  // The picture: the first and last placeholder bound it; what stands
  // before and after is copied.
  std::string prefix, suffix;
  int intZeros = 0, fracZeros = 0, fracHashes = 0;
  bool point = false, group = false, seenPlaceholder = false, quoted = false;
  char quote = 0;
  for (char c : mask) {
    if (quoted) {
      if (c == quote) quoted = false;
      else (seenPlaceholder ? suffix : prefix) += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quoted = true;
      quote = c;
      continue;
    }
    if (c == '0' || c == '#') {
      if (!suffix.empty()) {  // a placeholder after text: the text joins the picture's end
        prefix += suffix;
        suffix.clear();
      }
      seenPlaceholder = true;
      if (point) (c == '0' ? fracZeros : fracHashes)++;
      else if (c == '0') ++intZeros;
    } else if (c == '.' && seenPlaceholder && !point) {
      point = true;
    } else if (c == ',' && !point) {
      group = true;
    } else {
      (seenPlaceholder ? suffix : prefix) += c;
    }
  }
  if (!seenPlaceholder) return prefix + suffix;
  const int decimals = std::min(fracZeros + fracHashes, 18);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
  std::string digits(buf);
  std::string intPart = digits.substr(0, digits.find('.'));
  std::string frac = digits.find('.') == std::string::npos ? "" : digits.substr(digits.find('.') + 1);
  while (static_cast<int>(frac.size()) > fracZeros && !frac.empty() && frac.back() == '0') frac.pop_back();
  if (intPart == "0" && intZeros == 0) intPart.clear();
  if (static_cast<int>(intPart.size()) < intZeros)
    intPart.insert(intPart.begin(), static_cast<std::size_t>(intZeros) - intPart.size(), '0');
  if (group) {
    for (int i = static_cast<int>(intPart.size()) - 3; i > 0; i -= 3) intPart.insert(intPart.begin() + i, ' ');
  }
  std::string out = prefix;
  // A value rounded to zero is written without the sign.
  const bool negative = value < 0 && std::strtod(digits.c_str(), nullptr) != 0.0;
  if (negative) out += '-';
  out += intPart;
  if (!frac.empty()) out += "." + frac;
  if (intPart.empty() && frac.empty()) out += "0";
  return out + suffix;
}

std::string FormatDateMask(const TCellDate& date, const std::string& mask) {
  std::string out;
  bool afterHour = false;
  auto put = [&out](int v, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    out += buf;
  };
  for (std::size_t i = 0; i < mask.size();) {
    const char c = mask[i];
    const char lc = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    std::size_t run = 1;
    auto same = [&](std::size_t j) {
      const char d = mask[j];
      return ((d >= 'A' && d <= 'Z') ? d - 'A' + 'a' : d) == lc;
    };
    while (i + run < mask.size() && same(i + run)) ++run;
    if (c == '"' || c == '\'') {
      const std::size_t end = mask.find(c, i + 1);
      out += mask.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? mask.size() : end + 1;
      continue;
    }
    switch (lc) {
      case 'y':
        if (run >= 3) put(date.Year, 4);
        else put(date.Year % 100, 2);
        afterHour = false;
        break;
      case 'm':
        if (afterHour) put(date.Minute, run >= 2 ? 2 : 1);
        else put(date.Month, run >= 2 ? 2 : 1);
        afterHour = false;
        break;
      case 'd':
        put(date.Day, run >= 2 ? 2 : 1);
        afterHour = false;
        break;
      case 'h':
        put(date.Hour, run >= 2 ? 2 : 1);
        afterHour = true;
        break;
      case 'n':
        put(date.Minute, run >= 2 ? 2 : 1);
        afterHour = false;
        break;
      case 's':
        put(date.Second, run >= 2 ? 2 : 1);
        afterHour = false;
        break;
      default:
        out.append(mask, i, run);
        i += run;
        continue;
    }
    i += run;
  }
  return out;
}

std::string CellDisplayText(TColumnFormat format, const std::string& mask, const std::string& text) {
  if (mask.empty()) return text;
  if (format == TColumnFormat::cfNumber) {
    double x = 0;
    if (!TryStrToReal(text, x) || !std::isfinite(x)) return text;
    return FormatNumberMask(x, mask);
  }
  if (format == TColumnFormat::cfDate) {
    TCellDate date;
    if (!ParseCellDate(text, date)) return text;
    return FormatDateMask(date, mask);
  }
  return text;
}
