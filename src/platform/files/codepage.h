// Text at the file boundary. Every string in memory is UTF-8; every file the
// system reads or writes holds code page 1250. Fixed-width fields are measured
// in code-page bytes, and ordinal comparisons follow code-page byte order so
// that sorted lists and index keys order as the stored files do.
//
// A character that code page 1250 cannot hold is written as '?' (0x3F); a byte
// sequence that is not valid UTF-8 is taken one byte at a time, each invalid
// byte becoming '?'. Conversions never fail and never throw.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The '?' written for characters the code page cannot hold.
inline constexpr char kUnmappableCp1250 = '?';

// UTF-8 -> code page 1250 bytes.
std::string Utf8ToCp1250(std::string_view utf8);
// Code page 1250 bytes -> UTF-8. Every byte maps (the five undefined positions
// of the code page map to the C1 control characters of the same value).
std::string Cp1250ToUtf8(std::string_view cp1250);

// Length in code-page bytes of a UTF-8 text (the width it takes in a field).
std::size_t Cp1250Length(std::string_view utf8);
// The longest prefix of a UTF-8 text that fits in maxBytes code-page bytes,
// cut on a character boundary.
std::string TruncateCp1250(std::string_view utf8, std::size_t maxBytes);

// Ordinal comparison of two UTF-8 texts in code page 1250 byte order
// (unsigned bytes): <0, 0, >0.
int CompareOrdinal(std::string_view a, std::string_view b);

// Upper and lower case of UTF-8 texts, Polish letters included (ą Ą, ć Ć, ...).
std::string UpperCase(std::string_view utf8);
std::string LowerCase(std::string_view utf8);
// Single code-page byte case mapping.
unsigned char UpperCp1250(unsigned char c);
unsigned char LowerCp1250(unsigned char c);

// Single character mapping: the Unicode code point of a code-page byte, and
// the code-page byte of a code point (-1 when the code page cannot hold it).
char32_t Cp1250ToUnicode(unsigned char c);
int UnicodeToCp1250(char32_t cp);

// Walking UTF-8 by characters: the number of bytes of the character that
// starts at byte i of utf8 (1 for a byte that starts no well-formed sequence;
// 0 when i is at or past the end), and the UTF-8 form of a code point.
std::size_t Utf8CharLength(std::string_view utf8, std::size_t i);
std::string CodePointToUtf8(char32_t cp);

// Case-insensitive comparison (Polish-aware), ordered by code page 1250 bytes
// of the upper-cased texts: <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

}  // namespace platform
