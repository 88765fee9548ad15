// Layer statistics: which item counts an object, the figures of the
// layer-file items, and the rows written into the information window.
#include "layers/tree/statistics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "layers/store/layerstats.h"
#include "objects/fraction.h"
#include "objects/grobj.h"
#include "objects/layerline.h"
#include "objects/layerobji.h"
#include "objects/point.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/texts.h"

namespace {

// The information window as cells: (row, column, 'L' label or 'V' value).
class FakeInfo : public IGrObjInfo {
 public:
  std::map<std::tuple<int, int, char>, std::string> cells;
  void SetLabel(int Row, int Col, const std::string& Text) override { cells[{Row, Col, 'L'}] = Text; }
  void SetValue(int Row, int Col, const std::string& Text) override { cells[{Row, Col, 'V'}] = Text; }
  std::string L(int Row, int Col) const { return Get(Row, Col, 'L'); }
  std::string V(int Row, int Col) const { return Get(Row, Col, 'V'); }
  int Rows() const {
    int n = 0;
    for (auto& [key, text] : cells) n = std::max(n, std::get<0>(key) + 1);
    return n;
  }

 private:
  std::string Get(int Row, int Col, char Kind) const {
    auto it = cells.find({Row, Col, Kind});
    return it == cells.end() ? "<none>" : it->second;
  }
};

// Coordinates with three decimals, as a profile could configure them.
class ThreeDecimals : public ICursorFormat {
 public:
  std::string FormatCoord(double V) const override {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", V);
    return buf;
  }
  std::string FormatAngle(double) const override { return "?"; }
};

class StatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCursorFormat(&format_); }
  void TearDown() override { SetCursorFormat(nullptr); }
  ThreeDecimals format_;
  FakeInfo info;
};

std::unique_ptr<TWysNapis> Text(std::uint8_t Justification) {
  return std::make_unique<TWysNapis>(TRealPoint{0, 0}, "T", 1.0, Justification, false);
}

TEST_F(StatisticsTest, EachClassMakesItsItem) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<TEGraphObj>()> make;
  };
  const Case cases[] = {
      {"Tekst", [] { return std::make_unique<TNapisT>(TRealPoint{0, 0}, "T"); }},
      {"Tekst", [] { return Text(5); }},
      {"Tekst", [] { return std::make_unique<TLicznikMianownik>(); }},
      {"Symbol", [] { return std::make_unique<TGrSymbol>(); }},
      {"Symbol", [] { return std::make_unique<TWysKatSymbol>(); }},
      {"Linia", [] { return std::make_unique<TLinia>(TRealPoint{0, 0}, TRealPoint{1, 0}); }},
      {"Linia", [] { return std::make_unique<TLiniaSpecjalna>(); }},
      {"Okrąg", [] { return std::make_unique<TOkrag>(MakePointRec(0, 0), 1); }},
      {"Okrąg", [] { return std::make_unique<TOkragSpecjalny>(); }},
      {"Łuk", [] { return std::make_unique<TLuk>(MakePointRec(0, 0), MakePointRec(1, 0), 1); }},
      {"Łuk", [] { return std::make_unique<TLukSpecjalny>(); }},
      {"Punkt", [] { return std::make_unique<TPunkt>(TRealPoint{0, 0}); }},
  };
  for (const Case& c : cases) {
    TStatystyka stats("w");
    auto obj = c.make();
    SCOPED_TRACE(c.name);
    stats.AddObject(*obj);
    ASSERT_EQ(stats.Count(), 1);
    EXPECT_EQ(stats.Item(0).Name, c.name);
    EXPECT_EQ(stats.Item(0).Count, 1);
  }
  // A plain text of the base class is none of the kinds.
  TStatystyka stats("w");
  TNapis plain(TRealPoint{0, 0}, "T");
  stats.AddObject(plain);
  EXPECT_EQ(stats.Count(), 0);
}

TEST_F(StatisticsTest, ItemsKeepTheOrderOfTheirFirstObject) {
  TStatystyka stats("w");
  TPunkt point(TRealPoint{0, 0});
  TLinia line(TRealPoint{0, 0}, TRealPoint{3, 4});
  TLiniaSpecjalna special(TRealPoint{0, 0}, TRealPoint{0, 6}, nullptr, 1.0);
  TNapisT text(TRealPoint{0, 0}, "T");
  stats.AddObject(point);
  stats.AddObject(line);
  stats.AddObject(special);
  stats.AddObject(text);
  stats.AddObject(point);
  ASSERT_EQ(stats.Count(), 3);
  EXPECT_EQ(stats.Item(0).Name, "Punkt");
  EXPECT_EQ(stats.Item(0).Count, 2);
  // The special line counts as a line, with its length.
  EXPECT_EQ(stats.Item(1).Name, "Linia");
  EXPECT_EQ(stats.Item(1).Count, 2);
  EXPECT_DOUBLE_EQ(static_cast<const TStatystykaLineItem&>(stats.Item(1)).Length, 11.0);
  EXPECT_EQ(stats.Item(2).Name, "Tekst");
}

TEST_F(StatisticsTest, OnlyTheLayerRowWithoutObjects) {
  TStatystyka stats("ewid");
  EXPECT_EQ(stats.AddLayerLines(3, info), 1);
  EXPECT_EQ(info.L(3, 0), "Warstwa");
  EXPECT_EQ(info.V(3, 1), "ewid");
  EXPECT_EQ(info.cells.size(), 2u);
}

TEST_F(StatisticsTest, TextJustificationsAsAKeypad) {
  TStatystyka stats(kSelectedLayersName);
  for (std::uint8_t j : {7, 7, 3}) stats.AddObject(*Text(j));
  EXPECT_EQ(stats.AddLayerLines(0, info), 5);
  EXPECT_EQ(info.V(0, 1), "Wybrane warstwy");
  EXPECT_EQ(info.V(1, 0), "Tekst");
  EXPECT_EQ(info.L(1, 2), "Ilość");
  EXPECT_EQ(info.V(1, 2), "3");
  EXPECT_EQ(info.L(1, 3), "Justyfikacja");
  const char* keypad[3][3] = {{"7", "8", "9"}, {"4", "5", "6"}, {"1", "2", "3"}};
  const char* counts[3][3] = {{"2", "0", "0"}, {"0", "0", "0"}, {"0", "0", "1"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      SCOPED_TRACE(keypad[r][c]);
      EXPECT_EQ(info.L(2 + r, 2 + c), keypad[r][c]);
      EXPECT_EQ(info.V(2 + r, 2 + c), counts[r][c]);
    }
  EXPECT_EQ(info.Rows(), 5);
}

TEST_F(StatisticsTest, PlainTextsShowNoGrid) {
  TStatystyka stats("w");
  TNapisT a(TRealPoint{0, 0}, "a"), b(TRealPoint{0, 0}, "b");
  stats.AddObject(a);
  stats.AddObject(b);
  // A justification outside 1 to 9 is not counted either.
  auto odd = Text(7);
  odd->Flags = 0x0C;
  stats.AddObject(*odd);
  EXPECT_EQ(stats.AddLayerLines(0, info), 2);
  EXPECT_EQ(info.V(1, 2), "3");
  EXPECT_EQ(info.L(1, 3), "<none>");
  EXPECT_EQ(info.Rows(), 2);
}

TEST_F(StatisticsTest, LineItemShowsLengthAndMeanInTheConfiguredDecimals) {
  TStatystykaLineItem item("Linia", &IsGraphObjOf<TLinia>);
  item.Count = 4;
  item.Length = 10;
  EXPECT_EQ(item.Show(5, info), 2);
  EXPECT_EQ(info.V(5, 0), "Linia");
  EXPECT_EQ(info.V(5, 2), "4");
  EXPECT_EQ(info.L(6, 1), "Długość");
  EXPECT_EQ(info.V(6, 1), "10.000");
  EXPECT_EQ(info.L(6, 2), "Średnia długość");
  EXPECT_EQ(info.V(6, 2), "2.500");

  // An item without objects shows a mean of 0, not a division by zero.
  FakeInfo empty;
  TStatystykaLineItem none("Łuk", &IsGraphObjOf<TLuk>);
  none.Show(0, empty);
  EXPECT_EQ(empty.V(1, 2), "0.000");
}

TEST_F(StatisticsTest, RowsFollowEachOtherInItemOrder) {
  TStatystyka stats("w");
  TLinia line(TRealPoint{0, 0}, TRealPoint{0, 1});
  TPunkt point(TRealPoint{0, 0});
  auto text = Text(1);
  stats.AddObject(line);
  stats.AddObject(*text);
  stats.AddObject(point);
  // Warstwa, Linia (2 rows), Tekst (4 rows), Punkt (1 row).
  EXPECT_EQ(stats.AddLayerLines(0, info), 8);
  EXPECT_EQ(info.V(1, 0), "Linia");
  EXPECT_EQ(info.V(2, 1), "1.000");
  EXPECT_EQ(info.V(3, 0), "Tekst");
  EXPECT_EQ(info.V(6, 2), "1");  // justification 1: bottom left
  EXPECT_EQ(info.V(7, 0), "Punkt");
}

TEST_F(StatisticsTest, FileItemsOfOneKindEndInOneItem) {
  TDBLiniaStatystyka lines1, lines2;
  lines1.AddValue(0, 3.0);
  lines1.AddValue(0, 1.0);
  lines2.AddValue(0, 4.0);
  TDBTextStatystyka texts1, texts2;
  texts1.AddValue(7, 0);
  texts2.AddValue(7, 0);
  texts2.AddValue(3, 0);
  TDBSymbolStatystyka symbols;
  symbols.AddValue(0, 0);
  TDBStatystykaItem unknown(0x20);
  unknown.AddValue(0, 0);

  TStatystyka stats("w");
  stats.AddFileStatistics({&lines1, &texts1, &unknown, nullptr, &lines2, &symbols, &texts2});
  ASSERT_EQ(stats.Count(), 3);
  EXPECT_EQ(stats.Item(0).Name, "Linia");
  EXPECT_EQ(stats.Item(0).Count, 3);
  EXPECT_DOUBLE_EQ(static_cast<const TStatystykaLineItem&>(stats.Item(0)).Length, 8.0);
  EXPECT_EQ(stats.Item(1).Name, "Tekst");
  EXPECT_EQ(stats.Item(1).Count, 3);
  const auto& text = static_cast<const TStatystykaTextItem&>(stats.Item(1));
  EXPECT_EQ(text.Justification[6], 2);
  EXPECT_EQ(text.Justification[2], 1);
  EXPECT_EQ(stats.Item(2).Name, "Symbol");

  // One "Linia" row in the window.
  stats.AddLayerLines(0, info);
  int lineRows = 0;
  for (auto& [key, value] : info.cells)
    if (std::get<1>(key) == 0 && std::get<2>(key) == 'V' && value == "Linia") ++lineRows;
  EXPECT_EQ(lineRows, 1);
}

TEST_F(StatisticsTest, FileKindCodesMakeTheirItems) {
  const std::pair<std::uint32_t, const char*> kinds[] = {
      {1, "Linia"}, {2, "Łuk"}, {4, "Okrąg"}, {8, "Punkt"}, {0xF00, "Tekst"}, {0x1000, "Symbol"}};
  for (auto [code, name] : kinds) {
    SCOPED_TRACE(name);
    auto item = MakeStatystykaItem(code);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name, name);
  }
  for (std::uint32_t code : {0u, 3u, 0x100u, 0x2000u}) EXPECT_EQ(MakeStatystykaItem(code), nullptr);
  EXPECT_NE(dynamic_cast<TStatystykaLineItem*>(MakeStatystykaItem(2).get()), nullptr);
  EXPECT_NE(dynamic_cast<TStatystykaTextItem*>(MakeStatystykaItem(0xF00).get()), nullptr);
}

TEST_F(StatisticsTest, MergeTakesOnlyItemsOfTheSameName) {
  TStatystykaLineItem a("Linia", &IsGraphObjOf<TLinia>), b("Linia", &IsGraphObjOf<TLinia>);
  TStatystykaLineItem arc("Łuk", &IsGraphObjOf<TLuk>);
  a.Count = 1;
  a.Length = 2;
  b.Count = 2;
  b.Length = 5;
  arc.Count = 7;
  arc.Length = 9;
  EXPECT_TRUE(a.Merge(b));
  EXPECT_FALSE(a.Merge(arc));
  EXPECT_EQ(a.Count, 3);
  EXPECT_DOUBLE_EQ(a.Length, 7.0);
}

}  // namespace
