// Recoding of the 18 Polish letters between the codings of old DOS-era files
// and the program's own code page 1250. Texts in memory are UTF-8; a text read
// from an old file holds its bytes as code page 1250 characters (every byte
// maps), so recoding works on the code-page byte of each character. Pure
// functions: any thread may call them.
#pragma once

#include <string>
#include <string_view>

// Rows of the Polish letter table, one per coding; each row lists the letters
// Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż in that order.
enum TPolishCoding : int {
  pcConsecutive = 0,  // the codes 0x80 to 0x91
  pcPlain = 1,        // the letters without diacritics
  pcMazovia = 2,
  pcCp852 = 3,
  pcCp1250 = 4,       // the program's own
  pcUpperHalf = 5,    // 0x80 to 0x88, 0xA0 to 0xA8
  pcSplit = 6,        // 0x80 to 0x88, 0x90 to 0x98
};

inline constexpr int kPolishCodingCount = 7;
inline constexpr int kPolishLetterCount = 18;

// The code-page byte of letter Letter (0..17) in row Row (0..6).
unsigned char PolishLetterByte(int Row, int Letter);

// A copy of S in which every character of row From is replaced by the one at
// the same position of row To; other characters stay and the length in
// characters never changes. From = pcPlain changes nothing (plain letters
// cannot be told from ordinary text), nor does a row outside 0..6.
std::string RecodePolishLetters(std::string_view S, int From, int To);
