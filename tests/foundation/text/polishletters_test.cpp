#include "foundation/text/polishletters.h"

#include <gtest/gtest.h>

#include "platform/files/codepage.h"

namespace {

// A text of code-page bytes as it stands in memory after reading.
std::string FromBytes(std::initializer_list<unsigned char> bytes) {
  return platform::Cp1250ToUtf8(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

TEST(PolishLetters, MazoviaToProgramCodePage) {
  EXPECT_EQ(RecodePolishLetters(FromBytes({0x9C}), pcMazovia, pcCp1250), "Ł");
  // "Łódź" as a Mazovia file holds it: 9C A2 64 A6.
  EXPECT_EQ(RecodePolishLetters(FromBytes({0x9C, 0xA2, 'd', 0xA6}), pcMazovia, pcCp1250), "Łódź");
  EXPECT_EQ(platform::Utf8ToCp1250(RecodePolishLetters("Łódź", pcCp1250, pcMazovia)),
            "\x9C\xA2""d\xA6");
}

TEST(PolishLetters, EveryRowRoundTripsThroughTheProgramCodePage) {
  const std::string all = "ĄĆĘŁŃÓŚŹŻąćęłńóśźż";
  for (int row : {pcConsecutive, pcMazovia, pcCp852, pcUpperHalf, pcSplit}) {
    const std::string there = RecodePolishLetters(all, pcCp1250, row);
    EXPECT_EQ(platform::Cp1250Length(there), 18u) << row;
    for (int k = 0; k < kPolishLetterCount; ++k) {
      EXPECT_EQ(static_cast<unsigned char>(platform::Utf8ToCp1250(there)[k]),
                PolishLetterByte(row, k))
          << row << " " << k;
    }
    EXPECT_EQ(RecodePolishLetters(there, row, pcCp1250), all) << row;
  }
}

TEST(PolishLetters, PlainRowAndOtherCharacters) {
  EXPECT_EQ(RecodePolishLetters("ŻÓŁW Źle", pcCp1250, pcPlain), "ZOLW Zle");
  EXPECT_EQ(RecodePolishLetters("ZOLW", pcPlain, pcCp1250), "ZOLW");  // plain stays plain
  EXPECT_EQ(RecodePolishLetters("a中ą", pcCp1250, pcMazovia), "a中" + FromBytes({0x86}));
  EXPECT_EQ(RecodePolishLetters("ą", 7, pcCp1250), "ą");    // rows outside the table
  EXPECT_EQ(RecodePolishLetters("ą", pcCp1250, -1), "ą");
  EXPECT_EQ(RecodePolishLetters("", pcMazovia, pcCp1250), "");
}
