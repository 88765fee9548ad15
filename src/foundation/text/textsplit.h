// Three ways of cutting a text at commas: plain pieces (no quoting), fields
// with an optional quoting character, and a font written as name, size,
// character set and two further numbers. Pure functions: any thread may call
// them; they fill only the list they are given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TStrList;

// The pieces of Text between commas into List (cleared first), padded with
// empty pieces to MinCount. A text that is empty or ends with a comma gets an
// empty last piece unless DropTrailingEmpty, and a text of a single comma
// gives a single empty piece.
void SplitText(std::string_view Text, TStrList& List, std::int32_t MinCount,
               bool DropTrailingEmpty);

// Comma-separated fields into Strings (cleared first), padded with empty
// fields to MinCount. A field may be enclosed in Quote (an ASCII character),
// and then holds commas; what stands before an opening quote in its field and
// between a closing quote and the next comma is dropped. A text ending with a
// comma has no empty last field; an unterminated quoted field runs to the end.
void SplitToStrings(std::string_view Text, std::vector<std::string>& Strings, char Quote,
                    std::int32_t MinCount);

// "Name,Size,Charset,Field4,Field5": an empty name gives "Courier New", and a
// number that is missing or no integer gives 10, 238, 1 and 1 in turn.
void StrToFontSpec(std::string_view Text, std::string& Name, std::int32_t& Size,
                   std::int32_t& Charset, std::int32_t& Field4, std::int32_t& Field5);
