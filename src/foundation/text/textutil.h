// Small text and string-list helpers. Texts are UTF-8; positions and lengths
// count characters (code-page bytes), as the system's files do. Pure
// functions: any thread may call them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// S with every character From replaced by To.
std::string ReplaceChar(std::string_view S, char32_t From, char32_t To);

// Takes the first ';' out of S. P := its 0-based character position, or -1
// when S has none (S is then returned unchanged).
std::string RemoveFirstSemicolon(std::string_view S, std::int32_t& P);

// S with blanks appended up to Width characters; a longer S stays whole
// (the "%-Ns" of the system's report lines).
std::string PadRight(std::string_view S, std::size_t Width);

// Path with "\" appended when it is not empty and ends with no separator
// ('\' or '/').
std::string AddBackslash(std::string_view Path);

// S without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view S);

// The index of S in Strings, letter case ignored (Polish letters included),
// or Default when absent.
std::int32_t StringsIndexOf(const std::vector<std::string>& Strings, std::string_view S,
                            std::int32_t Default);
// The item at Index, or Default when Index is outside the list.
std::string StringsGetDef(std::int32_t Index, const std::vector<std::string>& Strings,
                          std::string_view Default);

// An abbreviated keyword: true when A has at least MinLen characters and B
// begins with A, letter case ignored. A is what was typed, B the full word.
bool SameTextPrefix(std::string_view A, std::string_view B, std::int32_t MinLen);
