#include "foundation/text/polishletters.h"

#include "platform/files/codepage.h"

namespace {

constexpr unsigned char kRows[kPolishCodingCount][kPolishLetterCount] = {
    {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88,
     0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91},
    {'A', 'C', 'E', 'L', 'N', 'O', 'S', 'Z', 'Z', 'a', 'c', 'e', 'l', 'n', 'o', 's', 'z', 'z'},
    {0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA0, 0xA1,
     0x86, 0x8D, 0x91, 0x92, 0xA4, 0xA2, 0x9E, 0xA6, 0xA7},
    {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0x8D, 0xBD,
     0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xAB, 0xBE},
    {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
     0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF},
    {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88,
     0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8},
    {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88,
     0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98},
};

bool ValidRow(int row) { return row >= 0 && row < kPolishCodingCount; }

}  // namespace

unsigned char PolishLetterByte(int Row, int Letter) {
  if (!ValidRow(Row) || Letter < 0 || Letter >= kPolishLetterCount) return 0;
  return kRows[Row][Letter];
}

std::string RecodePolishLetters(std::string_view S, int From, int To) {
  if (From == pcPlain || !ValidRow(From) || !ValidRow(To) || From == To) return std::string(S);
  // Position of each byte in row From (the first occurrence decides), -1 when
  // the byte is not in the row.
  int position[256];
  for (int& p : position) p = -1;
  for (int k = kPolishLetterCount - 1; k >= 0; --k) position[kRows[From][k]] = k;

  std::string out;
  out.reserve(S.size());
  std::size_t i = 0;
  while (i < S.size()) {
    const std::size_t length = platform::Utf8CharLength(S, i);
    const std::string_view ch = S.substr(i, length);
    // One character gives one code-page byte; the '?' of a character outside
    // the code page is in no row, so such characters stay as they are.
    const std::string byte = platform::Utf8ToCp1250(ch);
    const auto code = static_cast<unsigned char>(byte[0]);
    if (position[code] >= 0) {
      out += platform::Cp1250ToUtf8(std::string(1, static_cast<char>(kRows[To][position[code]])));
    } else {
      out += ch;
    }
    i += length;
  }
  return out;
}
