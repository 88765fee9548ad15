#include "foundation/text/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(TTokenizer& t) {
  std::vector<std::string> out;
  std::string token;
  while (t.NextToken(token)) out.push_back(token);
  return out;
}

std::vector<std::string> WordTokens(std::string_view line) {
  TTokenizer t;
  t.Init(line);
  return Tokens(t);
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(Tokenizer, WordModeTokens) {
  struct Case {
    const char* line;
    Strings tokens;
  };
  const Case cases[] = {
      {"A B  C\tD", {"A", "B", "C", "D"}},
      {";X=5", {"X=5"}},                 // ';' skipped, '=' inside the token
      {".5", {"5"}},
      {"(12.5;7)", {"(12.5;7)"}},        // '(' starts a token, only a blank ends it
      {"  -12.5  +3 .x", {"-12.5", "3", "x"}},
      {"== ;; //", {}},
      {"", {}},
      {"Łódź żółw ŚWIĘTY", {"Łódź", "żółw", "ŚWIĘTY"}},
      {"€x", {"x"}},                     // '€' is no word character
      // A character outside the code page counts as its '?', a word character,
      // and stays itself in the token.
      {"a中b 中c", {"a中b", "中c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(WordTokens(c.line), c.tokens) << c.line;
}

TEST(Tokenizer, MazoviaLettersStartTokens) {
  // A Mazovia line read as code page 1250: Ł is 0x9C (ś), ó 0xA2 (˘).
  EXPECT_EQ(WordTokens(" ś˘dĄ"), Strings{"ś˘dĄ"});
  EXPECT_EQ(WordTokens(" ˘x"), Strings{"˘x"});
}

TEST(Tokenizer, BlankLineEndsAtOnceAndStaysEnded) {
  TTokenizer t;
  t.Init(" \t  ");
  std::string token = "unchanged";
  EXPECT_FALSE(t.NextToken(token));
  EXPECT_EQ(t.Pos, -1);
  EXPECT_FALSE(t.NextToken(token));
  EXPECT_EQ(token, "unchanged");
  std::string rest;
  EXPECT_FALSE(t.Rest(rest));
}

TEST(Tokenizer, UninitialisedTokenizerYieldsNothing) {
  TTokenizer t;
  std::string token;
  EXPECT_FALSE(t.NextToken(token));
  t.Pos = 5;
  EXPECT_FALSE(t.NextToken(token));
  EXPECT_FALSE(t.Rest(token));
}

TEST(Tokenizer, InitExTakesEveryRunOfNonBlanks) {
  TTokenizer t;
  t.InitEx(";a\t.5\t\t=x=\t€ż");
  EXPECT_EQ(Tokens(t), (Strings{";a", ".5", "=x=", "€ż"}));
}

TEST(Tokenizer, PositionsCountCharacters) {
  TTokenizer t;
  t.Init("ąę ść x");
  std::string token;
  ASSERT_TRUE(t.NextToken(token));
  EXPECT_EQ(t.Pos, 3);
  ASSERT_TRUE(t.NextToken(token));
  EXPECT_EQ(token, "ść");
  EXPECT_EQ(t.Pos, 6);
  EXPECT_EQ(FindCharInSet("ąę ść x", 1, BlankChars()), 3);
  EXPECT_EQ(FindCharInSet("ąę ść x", 7, BlankChars()), 8);
  EXPECT_EQ(FindCharInSet("ąę ść x", 8, BlankChars()), -1);
  EXPECT_EQ(FindCharInSet("", 1, BlankChars()), -1);
}

TEST(Tokenizer, RestLeavesPosition) {
  TTokenizer t;
  t.Init("A B C D");
  std::string token;
  ASSERT_TRUE(t.NextToken(token));
  ASSERT_TRUE(t.NextToken(token));
  std::string rest;
  ASSERT_TRUE(t.Rest(rest));
  EXPECT_EQ(rest, "C D");
  EXPECT_EQ(t.Pos, 4);  // the blank before C
  ASSERT_TRUE(t.NextToken(token));
  EXPECT_EQ(token, "C");

  t.Init("x " + std::string(300, 'y'));
  ASSERT_TRUE(t.NextToken(token));
  ASSERT_TRUE(t.Rest(rest));
  EXPECT_EQ(rest, std::string(200, 'y'));

  t.Init("x   ");
  ASSERT_TRUE(t.NextToken(token));
  EXPECT_FALSE(t.Rest(rest));
}

TEST(Tokenizer, NumbersFromTokens) {
  TTokenizer t;
  t.Init("1,5 1,5 -2.5e1 17 x 12.5 99999999999");
  double x = 0;
  EXPECT_FALSE(t.NextReal(x));       // the comma does not convert
  EXPECT_TRUE(t.NextRealComma(x));
  EXPECT_DOUBLE_EQ(x, 1.5);
  EXPECT_TRUE(t.NextReal(x));
  EXPECT_DOUBLE_EQ(x, -25);
  std::int32_t n = 0;
  EXPECT_TRUE(t.NextInt(n));
  EXPECT_EQ(n, 17);
  EXPECT_FALSE(t.NextInt(n));        // "x" is consumed
  EXPECT_FALSE(t.NextInt(n));        // "12.5" is no integer
  EXPECT_FALSE(t.NextInt(n));        // out of range
  EXPECT_EQ(n, 17);
  EXPECT_FALSE(t.NextReal(x));       // end of line
  EXPECT_EQ(t.Pos, -1);
}
