// A tokenizer that walks one line of the system's line-oriented text files
// (exchange files, coordinate lists, layouts, dictionaries, control files).
// The caller owns it, usually on the stack; one thread uses it at a time.
//
// The line is UTF-8; positions count characters, 1-based, and character sets
// hold code page 1250 byte values: each character is classified by its
// code-page byte (a character outside the code page as '?'), while tokens
// come back as the line's own text, unchanged.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A set of code-page byte values.
using TCharSet = std::bitset<256>;

// The characters a token starts with in the word mode: '"', '(', '*', ',',
// '-', digits, '?', ASCII letters, '_' and the Polish letters of code page
// 1250 and of the Mazovia code page.
const TCharSet& WordChars();
// Tab and space.
const TCharSet& BlankChars();

// -1 when Start is beyond S; otherwise the 1-based position of the first
// character at or after Start that belongs to CharSet, or the length of S + 1
// when there is none. Start below 1 counts as 1.
std::int32_t FindCharInSet(std::string_view S, std::int32_t Start, const TCharSet& CharSet);

class TTokenizer {
 public:
  // Where the next search starts (1-based); -1 once the line is exhausted.
  std::int32_t Pos = -1;
  // The characters a token may start with, and those that end it.
  TCharSet TokenChars;
  TCharSet Separators;

  // Word mode: tokens start at a word character and run to the next blank;
  // what stands before them and cannot start a token is skipped.
  void Init(std::string_view Line);
  // Tokens are the runs of non-blank characters.
  void InitEx(std::string_view Line);

  const std::string& Line() const { return line_; }

  // The next token; false (and Pos = -1) when none is left.
  bool NextToken(std::string& Token);
  // The next token as a real (point as decimal separator); false when no
  // token is left or it does not convert completely. A token that does not
  // convert is consumed; X is then left unchanged.
  bool NextReal(double& X);
  // The same with every comma of the token read as a point.
  bool NextRealComma(double& X);
  // The next token as a decimal 32-bit integer.
  bool NextInt(std::int32_t& N);
  // The line from the first non-separator at or after Pos, at most 200
  // characters; false when only separators remain or the line is exhausted.
  // Pos does not move.
  bool Rest(std::string& Text) const;

 private:
  void Start(std::string_view Line);
  std::string Slice(std::int32_t From, std::int32_t To) const;

  std::string line_;
  // The code-page byte of each character, and the byte offset in line_ of
  // each character (one more entry for the end).
  std::string codes_;
  std::vector<std::size_t> offsets_;
};
