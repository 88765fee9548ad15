// The walkers over the tree of the example database: the layer files'
// statistics against the objects loaded from them, and the layer paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "layers/store/dberrors.h"
#include "layers/store/layerstats.h"
#include "layers/tree/statistics.h"
#include "layers/tree/tree_fixture.h"
#include "layers/tree/walkers.h"

namespace {

class WalkerExampleTest : public ExampleTreeTest {};

struct Figures {
  std::int64_t count = 0;
  double length = 0;
};

std::map<std::string, Figures> ByName(const TStatystyka& Stats) {
  std::map<std::string, Figures> out;
  for (int i = 0; i < Stats.Count(); ++i) {
    const TStatystykaItem& item = Stats.Item(i);
    EXPECT_EQ(out.count(item.Name), 0u) << "two items " << item.Name;
    Figures& f = out[item.Name];
    f.count = item.Count;
    if (auto* line = dynamic_cast<const TStatystykaLineItem*>(&item)) f.length = line->Length;
  }
  return out;
}

TEST_F(WalkerExampleTest, FileStatisticsAgreeWithTheLoadedObjects) {
  TDBStatystykaItems items;
  TDoDBStatystyka(false, &items).Execute(*root_);
  // Several sublayers hold lines: their file items are separate ...
  int lineItems = 0;
  for (const TDBStatystykaItem* item : items) lineItems += item->Mask == 1 ? 1 : 0;
  ASSERT_GT(lineItems, 1);
  // ... and end in one "Linia" row.
  TStatystyka fromFiles("Przyklad");
  fromFiles.AddFileStatistics(items);
  const auto files = ByName(fromFiles);
  ASSERT_EQ(files.count("Linia"), 1u);

  root_->Load(nullptr, nullptr);
  TStatystyka loaded("Przyklad");
  TDoStatystyka(false, &loaded).Execute(*root_);
  const auto memory = ByName(loaded);
  ASSERT_EQ(files.size(), memory.size());
  for (const auto& [name, f] : files) {
    SCOPED_TRACE(name);
    ASSERT_EQ(memory.count(name), 1u);
    EXPECT_EQ(memory.at(name).count, f.count);
    EXPECT_NEAR(memory.at(name).length, f.length, 1e-6 * (1 + f.length));
  }
}

TEST_F(WalkerExampleTest, CreateListNamesEveryWritableLayerByItsPath) {
  std::vector<std::string> list;
  TCreateList walk(false, 0xFFFFFFFF, &list);
  walk.Execute(*root_);
  ASSERT_FALSE(list.empty());
  for (const std::string& path : list) {
    SCOPED_TRACE(path);
    EXPECT_EQ(path.rfind("/Przyklad/", 0), 0u);
    EXPECT_EQ(path.back(), '/');
  }
  const std::string dzialki = "/Przyklad/Ewidencja/DZIALKI/";
  EXPECT_NE(std::find(list.begin(), list.end(), dzialki), list.end());

  // The layer found by name has the same path from its catalogue.
  TFindWarstwa find(0xFFFFFFFF, "DZIALKI");
  find.Execute(*root_);
  ASSERT_EQ(find.Warstwa, Layer("DZIALKI"));
  std::vector<std::string> fromCatalogue;
  TCreateList fromEwid(false, 0xFFFFFFFF, &fromCatalogue);
  fromEwid.Execute(*Catalogue("Ewidencja"));
  EXPECT_NE(std::find(fromCatalogue.begin(), fromCatalogue.end(), dzialki), fromCatalogue.end());
}

}  // namespace
