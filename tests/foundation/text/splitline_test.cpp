#include "foundation/text/splitline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/errors.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
  TSplitLine split(line);
  std::vector<std::string> fields;
  for (int i = 0; i < split.Count(); ++i) fields.push_back(split.GetText(i));
  return fields;
}

TEST(SplitLineTest, SplitsOnBlanksAndQuotes) {
  const struct {
    std::string line;
    std::vector<std::string> fields;
  } cases[] = {
      {"a  \"b c\" d", {"a", "b c", "d"}},
      {"a b  ", {"a", "b", ""}},
      {"a b ", {"a", "b"}},
      {"", {}},
      {"   ", {""}},
      {"x\ty z", {"x\ty", "z"}},
      {"\"open to end", {"open to end"}},
      {"\"\" q", {"", "q"}},
      {"Łąka \"Nowa Wieś\"", {"Łąka", "Nowa Wieś"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Fields(c.line), c.fields) << c.line;
}

TEST(SplitLineTest, LongLinesKeepEveryField) {
  std::string line(70000, 'x');
  line += " tail";
  TSplitLine split(line);
  ASSERT_EQ(split.Count(), 2);
  EXPECT_EQ(split.GetText(0).size(), 70000u);
  EXPECT_EQ(split.GetText(1), "tail");
}

TEST(SplitLineTest, NumbersConvertOrRaise) {
  TSplitLine split("12.5 1,5 -42 abc 1e3 7x");
  EXPECT_DOUBLE_EQ(split.GetReal(0), 12.5);
  try {
    split.GetReal(1);
    FAIL() << "1,5 converted";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Błąd konwersji");
  }
  EXPECT_EQ(split.GetInt(2), -42);
  EXPECT_DOUBLE_EQ(split.GetReal(2), -42.0);
  EXPECT_THROW(split.GetInt(3), EConvertError);
  EXPECT_THROW(split.GetReal(3), EConvertError);
  EXPECT_DOUBLE_EQ(split.GetReal(4), 1000.0);
  EXPECT_THROW(split.GetInt(0), EConvertError);
  EXPECT_THROW(split.GetInt(5), EConvertError);
  EXPECT_THROW(split.GetText(6), EListError);
}

}  // namespace
