#include "foundation/text/textsplit.h"

#include <gtest/gtest.h>

#include "foundation/containers/objlist.h"

namespace {

using Strings = std::vector<std::string>;

Strings Split(std::string_view text, int minCount, bool dropTrailingEmpty) {
  TStrList list;
  list.Add("old");
  SplitText(text, list, minCount, dropTrailingEmpty);
  Strings out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

Strings Fields(std::string_view text, char quote, int minCount) {
  Strings out = {"old"};
  SplitToStrings(text, out, quote, minCount);
  return out;
}

}  // namespace

TEST(TextSplit, SplitText) {
  struct Case {
    const char* text;
    int minCount;
    bool drop;
    Strings pieces;
  };
  const Case cases[] = {
      {"", 0, false, {""}},
      {"", 0, true, {}},
      {"a,b,", 0, false, {"a", "b", ""}},
      {"a,b,", 0, true, {"a", "b"}},
      {",", 0, false, {""}},
      {",,", 0, false, {"", "", ""}},
      {"a", 3, false, {"a", "", ""}},
      {"a,\"b,c\"", 0, false, {"a", "\"b", "c\""}},  // no quoting
      {"ł,ó", 0, false, {"ł", "ó"}},
      {"a,b,c", 2, false, {"a", "b", "c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Split(c.text, c.minCount, c.drop), c.pieces) << c.text;
}

TEST(TextSplit, SplitToStrings) {
  struct Case {
    const char* text;
    char quote;
    int minCount;
    Strings fields;
  };
  const Case cases[] = {
      {"\"x,y\",z", '"', 0, {"x,y", "z"}},
      {"a,,b", '"', 0, {"a", "", "b"}},
      {"a,", '"', 0, {"a"}},
      {"a,", '"', 3, {"a", "", ""}},
      {"", '"', 0, {}},
      {"\"abc", '"', 0, {"abc"}},                  // unterminated: runs to the end
      {"\"x\"yz,w", '"', 0, {"x", "w"}},           // text after a closing quote dropped
      {"ab\"cd\",e", '"', 0, {"cd", "e"}},         // text before an opening quote dropped
      {"\"x\"\"y\",z", '"', 0, {"x", "z"}},        // a quote after a closed field ignored
      {"'a,b','c'", '\'', 0, {"a,b", "c"}},
      {"\"\",x", '"', 0, {"", "x"}},
      {"żółw,\"ą,ę\"", '"', 0, {"żółw", "ą,ę"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Fields(c.text, c.quote, c.minCount), c.fields) << c.text;
}

TEST(TextSplit, StrToFontSpec) {
  struct Case {
    const char* text;
    std::string name;
    int size, charset, f4, f5;
  };
  const Case cases[] = {
      {"Arial,12", "Arial", 12, 238, 1, 1},
      {"Courier New,10,238,0,0", "Courier New", 10, 238, 0, 0},
      {"", "Courier New", 10, 238, 1, 1},
      {",x,,7,", "Courier New", 10, 238, 7, 1},
      {"Times New Roman,9,0", "Times New Roman", 9, 0, 1, 1},
  };
  for (const Case& c : cases) {
    std::string name;
    std::int32_t size = 0, charset = 0, f4 = 0, f5 = 0;
    StrToFontSpec(c.text, name, size, charset, f4, f5);
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(size, c.size) << c.text;
    EXPECT_EQ(charset, c.charset) << c.text;
    EXPECT_EQ(f4, c.f4) << c.text;
    EXPECT_EQ(f5, c.f5) << c.text;
  }
}
