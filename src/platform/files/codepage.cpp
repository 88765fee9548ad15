#include "platform/files/codepage.h"

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

namespace {

// Code points of the bytes 0x80..0xFF of code page 1250. The five undefined
// positions (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1 controls of the same
// value, so that every byte survives a round trip through UTF-8.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// Highest code point the code page holds (the trade mark sign).
constexpr char32_t kMaxMapped = 0x2122;

// Reverse table, indexed by code point 0x80..kMaxMapped; 0 means unmappable
// (no code point at or above 0x80 maps to byte 0).
const std::vector<unsigned char>& ReverseTable() {
  static const std::vector<unsigned char> table = [] {
    std::vector<unsigned char> t(kMaxMapped + 1, 0);
    for (int i = 0; i < 128; ++i) t[kUpperHalf[i]] = static_cast<unsigned char>(0x80 + i);
    return t;
  }();
  return table;
}

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
};

// Case pairs of code page 1250: ASCII, the pairs of the 0x8A..0xBF block and
// the accented Latin block 0xC0..0xDE / 0xE0..0xFE (without × and ÷; ß has
// no capital in the code page).
const CaseTables& Cases() {
  static const CaseTables tables = [] {
    CaseTables t;
    for (int i = 0; i < 256; ++i) {
      t.upper[i] = static_cast<unsigned char>(i);
      t.lower[i] = static_cast<unsigned char>(i);
    }
    auto pair = [&t](int up, int low) {
      t.upper[low] = static_cast<unsigned char>(up);
      t.lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    pair(0x8A, 0x9A);  // Š š
    pair(0x8C, 0x9C);  // Ś ś
    pair(0x8D, 0x9D);  // Ť ť
    pair(0x8E, 0x9E);  // Ž ž
    pair(0x8F, 0x9F);  // Ź ź
    pair(0xA3, 0xB3);  // Ł ł
    pair(0xA5, 0xB9);  // Ą ą
    pair(0xAA, 0xBA);  // Ş ş
    pair(0xAF, 0xBF);  // Ż ż
    pair(0xBC, 0xBE);  // Ľ ľ
    for (int c = 0xC0; c <= 0xDE; ++c) {
      if (c != 0xD7) pair(c, c + 32);
    }
    return t;
  }();
  return tables;
}

// One decoded UTF-8 character: its code point, or kInvalid for a byte that
// does not start a well-formed sequence; Length bytes were consumed.
constexpr char32_t kInvalid = 0xFFFFFFFF;

struct Decoded {
  char32_t cp;
  std::size_t length;
};

// Strict decoding: overlong forms, surrogates and values above U+10FFFF are
// invalid, and an invalid sequence consumes one byte only.
Decoded DecodeAt(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1};
  std::size_t n;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2; cp = b0 & 0x1F; min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3; cp = b0 & 0x0F; min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4; cp = b0 & 0x07; min = 0x10000;
  } else {
    return {kInvalid, 1};
  }
  if (i + n > s.size()) return {kInvalid, 1};
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return {kInvalid, 1};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {kInvalid, 1};
  return {cp, n};
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The code-page byte of a decoded character; '?' for invalid input and for
// characters the code page cannot hold.
unsigned char ToByte(char32_t cp) {
  if (cp == kInvalid) return static_cast<unsigned char>(kUnmappableCp1250);
  const int b = UnicodeToCp1250(cp);
  return b < 0 ? static_cast<unsigned char>(kUnmappableCp1250) : static_cast<unsigned char>(b);
}

// Case mapping of a UTF-8 text through a code-page byte table. Characters
// outside the code page and invalid bytes are copied unchanged.
std::string MapCase(std::string_view utf8, const std::array<unsigned char, 256>& table) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const Decoded d = DecodeAt(utf8, i);
    const int b = d.cp == kInvalid ? -1 : UnicodeToCp1250(d.cp);
    if (b < 0) {
      out.append(utf8.substr(i, d.length));
    } else {
      AppendUtf8(out, Cp1250ToUnicode(table[b]));
    }
    i += d.length;
  }
  return out;
}

// Walks two UTF-8 texts character by character, comparing their code-page
// bytes after Map.
template <typename Map>
int CompareMapped(std::string_view a, std::string_view b, Map map) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const Decoded da = DecodeAt(a, i);
    const Decoded db = DecodeAt(b, j);
    const unsigned char ca = map(ToByte(da.cp));
    const unsigned char cb = map(ToByte(db.cp));
    if (ca != cb) return ca < cb ? -1 : 1;
    i += da.length;
    j += db.length;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

char32_t Cp1250ToUnicode(unsigned char c) {
  return c < 0x80 ? c : static_cast<char32_t>(kUpperHalf[c - 0x80]);
}

int UnicodeToCp1250(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp > kMaxMapped) return -1;
  const unsigned char b = ReverseTable()[cp];
  return b == 0 ? -1 : b;
}

std::size_t Utf8CharLength(std::string_view utf8, std::size_t i) {
  return i < utf8.size() ? DecodeAt(utf8, i).length : 0;
}

std::string CodePointToUtf8(char32_t cp) {
  std::string out;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kUnmappableCp1250;
  AppendUtf8(out, cp);
  return out;
}

std::string Utf8ToCp1250(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const Decoded d = DecodeAt(utf8, i);
    out.push_back(static_cast<char>(ToByte(d.cp)));
    i += d.length;
  }
  return out;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
  std::string out;
  out.reserve(cp1250.size() + cp1250.size() / 4);
  for (char c : cp1250) AppendUtf8(out, Cp1250ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::size_t Cp1250Length(std::string_view utf8) {
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    i += DecodeAt(utf8, i).length;
    ++n;
  }
  return n;
}

std::string TruncateCp1250(std::string_view utf8, std::size_t maxBytes) {
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < utf8.size() && n < maxBytes) {
    i += DecodeAt(utf8, i).length;
    ++n;
  }
  return std::string(utf8.substr(0, i));
}

int CompareOrdinal(std::string_view a, std::string_view b) {
  return CompareMapped(a, b, [](unsigned char c) { return c; });
}

std::string UpperCase(std::string_view utf8) { return MapCase(utf8, Cases().upper); }

std::string LowerCase(std::string_view utf8) { return MapCase(utf8, Cases().lower); }

unsigned char UpperCp1250(unsigned char c) { return Cases().upper[c]; }

unsigned char LowerCp1250(unsigned char c) { return Cases().lower[c]; }

int CompareText(std::string_view a, std::string_view b) {
  const auto& upper = Cases().upper;
  return CompareMapped(a, b, [&upper](unsigned char c) { return upper[c]; });
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

}  // namespace platform
