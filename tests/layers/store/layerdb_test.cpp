#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "foundation/errors.h"
#include "layer_fixture.h"
#include "layers/store/layerdb.h"

namespace {

class LayerDbTest : public LayerTest {
protected:
  void Write(const std::string& name, const std::string& text) {
    std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
    out << text;
  }
};

}  // namespace

TEST(LayerNumberList, LinesGiveKeysAndNumbers) {
  struct Case {
    const char* line;
    const char* key;  // nullptr: the line adds nothing
    std::int32_t number;
  };
  const Case cases[] = {
      {"12 L ROADS", "LROADS", 12},
      {"  7 t roads ", "TROADS", 7},
      {"3 l    rzeki", "LRZEKI", 3},
      {"\t5 T\tX\t", "T\tX", 5},      // only spaces go before the name
      {"8 TOWN", "TOWN", 8},          // the first L or T is the kind letter
      {"-4 L NEG", "LNEG", -4},
      {"9 ABC", nullptr, 0},          // no kind letter: no key
      {"", nullptr, 0},
      {"   \t ", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TNrWarstwaList list;
    list.AddLine(c.line);
    if (c.key == nullptr) {
      EXPECT_EQ(list.Count(), 0u);
      continue;
    }
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Items().begin()->first, c.key);
    EXPECT_EQ(list.Number(c.key), c.number);
  }
}

TEST(LayerNumberList, LinesWithoutANumberRaiseTheConversionError) {
  for (const char* line : {"L ROADS", "12", "x1 L A", "99999999999 L A", "1.5 L A"}) {
    SCOPED_TRACE(line);
    TNrWarstwaList list;
    EXPECT_THROW(list.AddLine(line), EConvertError);
    EXPECT_EQ(list.Count(), 0u);
  }
}

TEST(LayerNumberList, FirstLineOfAKeyWinsAndKeysAreOrdinal) {
  TNrWarstwaList list;
  list.AddLine("1 L B");
  list.AddLine("2 L A");
  list.AddLine("3 l b");
  list.AddLine("4 T B");
  EXPECT_EQ(list.Number("LB"), 1);
  EXPECT_EQ(list.Number("LA"), 2);
  EXPECT_EQ(list.Number("TB"), 4);
  EXPECT_EQ(list.Number("lb"), 0);
  EXPECT_EQ(list.Number("LC"), 0);
  std::string order;
  for (const auto& [key, number] : list.Items()) order += key + ",";
  EXPECT_EQ(order, "LA,LB,TB,");
  EXPECT_EQ(LayerNumberKey(0, "ROADS"), "TROADS");
  EXPECT_EQ(LayerNumberKey(1, "ROADS"), "LROADS");
}

TEST_F(LayerDbTest, NumberFileReadWithBlankLinesAndLineEnds) {
  Write("baza.cnf", "\r\n12 L ROADS\r\n\r\n  7 t roads \n   \n");
  const TNrWarstwaList list = TNrWarstwaList::Read(PathOf("baza.cnf"));
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Number("LROADS"), 12);
  EXPECT_EQ(list.Number("TROADS"), 7);
}

TEST_F(LayerDbTest, MissingNumberFileIsEmptyAndBadLineRaises) {
  EXPECT_EQ(TNrWarstwaList::Read(PathOf("baza.cnf")).Count(), 0u);
  Write("baza.cnf", "1 L A\nzero L B\n");
  EXPECT_THROW(TNrWarstwaList::Read(PathOf("baza.cnf")), EConvertError);
}

TEST_F(LayerDbTest, CatalogueSymbolFile) {
  EXPECT_EQ(ReadKatalogSymbols(Dir()), "");
  Write("Katalog", "Nazwa=x\nsymbole=znaki.sym\nSymbole=inne.sym\n");
  EXPECT_EQ(ReadKatalogSymbols(Dir()), "znaki.sym");
  Write("Katalog", "Nazwa=x\nSymbolex=a\n");
  EXPECT_EQ(ReadKatalogSymbols(Dir()), "");
}
