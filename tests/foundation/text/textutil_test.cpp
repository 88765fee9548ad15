#include "foundation/text/textutil.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextUtil, ReplaceChar) {
  EXPECT_EQ(ReplaceChar("1,5,7", U',', U'.'), "1.5.7");
  EXPECT_EQ(ReplaceChar("łódź", U'ł', U'l'), "lódź");
  EXPECT_EQ(ReplaceChar("a.b", U'.', U'ż'), "ażb");
  EXPECT_EQ(ReplaceChar("", U'a', U'b'), "");
}

TEST(TextUtil, RemoveFirstSemicolon) {
  std::int32_t p = 99;
  EXPECT_EQ(RemoveFirstSemicolon("ab;cd;e", p), "abcd;e");
  EXPECT_EQ(p, 2);
  EXPECT_EQ(RemoveFirstSemicolon("abc", p), "abc");
  EXPECT_EQ(p, -1);
  EXPECT_EQ(RemoveFirstSemicolon("żó;x", p), "żóx");
  EXPECT_EQ(p, 2);  // characters, not bytes
  EXPECT_EQ(RemoveFirstSemicolon(";", p), "");
  EXPECT_EQ(p, 0);
}

// The tail after the semicolon was cut to 1000 characters, losing the rest of
// a long text; it is now kept whole.
TEST(TextUtil, RemoveFirstSemicolonKeepsLongTail) {
  const std::string tail(1500, 'x');
  std::int32_t p = 0;
  EXPECT_EQ(RemoveFirstSemicolon("a;" + tail, p), "a" + tail);
  EXPECT_EQ(p, 1);
}

TEST(TextUtil, AddBackslash) {
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(AddBackslash("C:\\dane"), "C:\\dane\\");
  EXPECT_EQ(AddBackslash("C:\\dane\\"), "C:\\dane\\");
  EXPECT_EQ(AddBackslash("/tmp/"), "/tmp/");
}

TEST(TextUtil, StringLists) {
  const std::vector<std::string> list = {"Działki", "Punkty", "ŁĄKI"};
  EXPECT_EQ(StringsIndexOf(list, "punkty", -1), 1);
  EXPECT_EQ(StringsIndexOf(list, "łąki", -1), 2);
  EXPECT_EQ(StringsIndexOf(list, "Budynki", -7), -7);
  EXPECT_EQ(StringsGetDef(0, list, "brak"), "Działki");
  EXPECT_EQ(StringsGetDef(3, list, "brak"), "brak");
}

// A negative index read before the list; it now gives the default.
TEST(TextUtil, StringsGetDefNegativeIndexGivesDefault) {
  const std::vector<std::string> list = {"a"};
  EXPECT_EQ(StringsGetDef(-1, list, "brak"), "brak");
  EXPECT_EQ(StringsGetDef(0, {}, "brak"), "brak");
}

TEST(TextUtil, SameTextPrefix) {
  struct Case {
    const char* typed;
    const char* word;
    int minLen;
    bool same;
  };
  const Case cases[] = {
      {"wys", "WYSOKOSC", 3, true},   {"wy", "WYSOKOSC", 3, false},   {"wysz", "WYSOKOSC", 3, false},
      {"łą", "ŁĄKA", 2, true},        {"ŁĄKA", "łąka", 4, true},      {"łąkax", "łąka", 2, false},
      {"", "cokolwiek", 0, true},     {"", "cokolwiek", 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameTextPrefix(c.typed, c.word, c.minLen), c.same) << c.typed << " " << c.word;
  }
}
