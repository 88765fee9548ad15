#include "platform/files/codepage.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform;

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(CodePage, EveryByteSurvivesRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1250ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1250(utf8), all);
  EXPECT_EQ(Cp1250Length(utf8), 256u);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(UnicodeToCp1250(Cp1250ToUnicode(static_cast<unsigned char>(b))), b) << b;
  }
}

TEST(CodePage, KnownCharacters) {
  struct Case {
    const char* utf8;
    unsigned char byte;
  };
  const Case cases[] = {
      {"Ą", 0xA5}, {"Ć", 0xC6}, {"Ę", 0xCA}, {"Ł", 0xA3}, {"Ń", 0xD1}, {"Ó", 0xD3},
      {"Ś", 0x8C}, {"Ź", 0x8F}, {"Ż", 0xAF}, {"ą", 0xB9}, {"ć", 0xE6}, {"ę", 0xEA},
      {"ł", 0xB3}, {"ń", 0xF1}, {"ó", 0xF3}, {"ś", 0x9C}, {"ź", 0x9F}, {"ż", 0xBF},
      {"€", 0x80}, {"„", 0x84}, {"”", 0x94}, {"–", 0x96}, {"™", 0x99}, {"§", 0xA7},
      {"°", 0xB0}, {"ß", 0xDF}, {"˙", 0xFF}, {"\xC2\x81", 0x81}, {"\xC2\xA0", 0xA0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp1250(c.utf8), Bytes({c.byte})) << c.utf8;
    EXPECT_EQ(Cp1250ToUtf8(Bytes({c.byte})), c.utf8) << c.utf8;
  }
  EXPECT_EQ(Utf8ToCp1250("Zażółć gęślą jaźń"),
            Bytes({'Z', 'a', 0xBF, 0xF3, 0xB3, 0xE6, ' ', 'g', 0xEA, 0x9C, 'l', 0xB9, ' ', 'j', 'a',
                   0x9F, 0xF1}));
}

// Unmappable characters and malformed UTF-8 become '?' one for one, never
// swallowing the valid text around them.
TEST(CodePage, UnmappableAndMalformedInput) {
  struct Case {
    std::string utf8;
    std::string cp1250;
  };
  const Case cases[] = {
      {"a中b", "a?b"},                        // CJK, outside the code page
      {"x\xF0\x9F\x98\x80y", "x?y"},          // four-byte character
      {"Ø", "?"},                              // Latin-1 letter not in 1250
      {"a\x80" "b", "a?b"},                    // stray continuation byte
      {"a\xC5", "a?"},                         // lead byte at the end
      {"\xC5" "a", "?a"},                      // lead byte before ASCII
      {"\xE2\x82", "??"},                      // truncated three-byte form
      {"\xC0\xAF", "??"},                      // overlong '/'
      {"\xE0\x80\xAF", "???"},                 // overlong three-byte form
      {"\xED\xA0\x80", "???"},                 // surrogate
      {"\xF4\x90\x80\x80", "????"},            // above U+10FFFF
      {"\xFF\xFE", "??"},                      // bytes never valid in UTF-8
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToCp1250(c.utf8), c.cp1250) << c.utf8;
}

TEST(CodePage, LengthAndTruncationCountCodePageBytes) {
  EXPECT_EQ(Cp1250Length(""), 0u);
  EXPECT_EQ(Cp1250Length("Łódź"), 4u);
  EXPECT_EQ(Cp1250Length("a\xC5"), 2u);
  EXPECT_EQ(TruncateCp1250("Łódź", 2), "Łó");
  EXPECT_EQ(TruncateCp1250("Łódź", 4), "Łódź");
  EXPECT_EQ(TruncateCp1250("Łódź", 10), "Łódź");
  EXPECT_EQ(TruncateCp1250("Łódź", 0), "");
  EXPECT_EQ(TruncateCp1250("a中b", 2), "a中");
  for (std::size_t n = 0; n <= 4; ++n) {
    EXPECT_EQ(Cp1250Length(TruncateCp1250("żółw", n)), n);
  }
}

TEST(CodePage, OrdinalFollowsCodePageBytes) {
  EXPECT_EQ(CompareOrdinal("", ""), 0);
  EXPECT_LT(CompareOrdinal("", "a"), 0);
  EXPECT_GT(CompareOrdinal("ab", "a"), 0);
  EXPECT_LT(CompareOrdinal("B", "a"), 0);    // case counts
  EXPECT_LT(CompareOrdinal("z", "ś"), 0);    // 0x7A < 0x9C
  EXPECT_LT(CompareOrdinal("ś", "ą"), 0);    // 0x9C < 0xB9, unlike code points
  EXPECT_LT(CompareOrdinal("Ś", "Ą"), 0);    // 0x8C < 0xA5
  EXPECT_LT(CompareOrdinal("ż", "ó"), 0);    // 0xBF < 0xF3
  EXPECT_LT(CompareOrdinal("\xBF", "ż"), 0);  // a malformed byte compares as '?'
  EXPECT_EQ(CompareOrdinal("a\xC5", "a?"), 0);
}

TEST(CodePage, CaseMappingCoversPolishAndCentralEuropeanLetters) {
  EXPECT_EQ(UpperCase("zażółć gęślą jaźń"), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
  EXPECT_EQ(LowerCase("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"), "zażółć gęślą jaźń");
  EXPECT_EQ(UpperCase("šťžşľŕřůý"), "ŠŤŽŞĽŔŘŮÝ");
  EXPECT_EQ(UpperCase("ß÷µ"), "ß÷µ");       // no capital in the code page
  EXPECT_EQ(LowerCase("×"), "×");
  EXPECT_EQ(UpperCase("a中ø\xC5"), "A中ø\xC5");  // outside the code page: unchanged
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    const unsigned char up = UpperCp1250(c);
    const unsigned char low = LowerCp1250(c);
    if (up != c) {
      EXPECT_EQ(LowerCp1250(up), c) << b;
    }
    if (low != c) {
      EXPECT_EQ(UpperCp1250(low), c) << b;
    }
  }
  EXPECT_EQ(UpperCp1250(0xB9), 0xA5);
  EXPECT_EQ(LowerCp1250(0x8F), 0x9F);
  EXPECT_EQ(UpperCp1250(0xFF), 0xFF);
}

TEST(CodePage, CaseInsensitiveComparison) {
  EXPECT_TRUE(SameText("Łódź", "ŁÓDŹ"));
  EXPECT_TRUE(SameText("drogi", "DROGI"));
  EXPECT_FALSE(SameText("Łódź", "Lodz"));
  EXPECT_FALSE(SameText("ab", "abc"));
  EXPECT_EQ(CompareText("ąb", "ĄB"), 0);
  EXPECT_LT(CompareText("a", "B"), 0);      // upper-cased: A < B
  EXPECT_GT(CompareText("_", "a"), 0);      // '_' 0x5F against 'A' 0x41
  EXPECT_LT(CompareText("z", "ś"), 0);      // Z 0x5A < Ś 0x8C
  EXPECT_GT(CompareText("ż", "ś"), 0);      // Ż 0xAF > Ś 0x8C
}

TEST(CodePage, CharacterWalking) {
  const std::string s = "aż中\xC5";
  EXPECT_EQ(Utf8CharLength(s, 0), 1u);
  EXPECT_EQ(Utf8CharLength(s, 1), 2u);
  EXPECT_EQ(Utf8CharLength(s, 3), 3u);
  EXPECT_EQ(Utf8CharLength(s, 6), 1u);
  EXPECT_EQ(Utf8CharLength(s, 7), 0u);
  EXPECT_EQ(CodePointToUtf8(U'ż'), "ż");
  EXPECT_EQ(CodePointToUtf8(U'€'), "€");
  EXPECT_EQ(CodePointToUtf8(0x1F600), "\xF0\x9F\x98\x80");
  EXPECT_EQ(CodePointToUtf8(0xD800), "?");
}
