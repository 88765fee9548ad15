// The generator library: the definition file read field by field into the
// five kinds of drawing generators beside the six built-in ones, bad files
// and bad generators refused with one message while the rest stays usable,
// the program-wide library retired by a changed file name, and the lookup
// that the activity menu's presets use.
#include "objtools/genlibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/defwrite.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "objects/genelements.h"
#include "objects/libcfg.h"
#include "platform/gui/controls_strings.h"
#include "platform/files/faultinject.h"
#include "platform/files/paths.h"
#include "platform/files/system.h"
#include "common/scratch_folder.h"
#include "ui/activityrecord.h"
#include "view/presets.h"
#include "view/viewwalkers.h"

namespace {

using defwrite::Element;
using defwrite::GeneratorHeader;

const std::vector<std::string> kBuiltIns = {"SCHODY", "SKARPA_N", "SKARPA_P", "SKARPA_U", "TARAS1", "TARAS2"};

std::string GenFile(const std::vector<std::string>& Headers, const std::string& Elements,
                    std::uint16_t Magic = defwrite::kGeneratorMagic) {
  std::string headers;
  for (const std::string& h : Headers) headers += h;
  return defwrite::DefinitionFile(Magic, Headers.size(), headers, Elements);
}

// A generator of Type named Name over elements First..First+Count-1: origin
// (1, 1), base end (1, 6) (length 5), width point (2.5, 1) (width 1.5).
std::string Header(const std::string& Name, std::uint8_t Type, std::int32_t First = 1, std::int32_t Count = 1) {
  return GeneratorHeader(Name, First, Count, Type, {1, 1}, {1, 6}, {2.5, 1});
}

class GeneratorLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLibraryErrorBox([this](const std::string& Message) { messages.push_back(Message); });
  }
  void TearDown() override {
    ReleaseGeneratorManager();
    SetLibraryErrorBox(nullptr);
    SetGeneratorLookup({});
    FreeGlobalnaKonfiguracja();
  }
  std::unique_ptr<TGeneratorManager> Load(const std::string& Bytes) {
    return TGeneratorManager::CreateFromFile(folder.Put("k1g.gen", Bytes));
  }
  static std::vector<std::string> Names(const TGeneratorManager& Lib) {
    std::vector<std::string> names;
    for (const auto& e : Lib.Generators) names.push_back(e.Name);
    return names;
  }
  void UseSettings(const std::string& GeneratorFile) {
    folder.Put("tolvika.ini", "[Files]\r\nGeneratory=" + GeneratorFile + "\r\n");
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
  }

  ScratchFolder folder;
  std::vector<std::string> messages;
};

TEST_F(GeneratorLibraryTest, LoadsEveryKindBesideTheBuiltInOnes) {
  const auto lib = Load(GenFile(
      {
          Header("plot", kGenTypeStretched, 1, 2),
          Header("Brama", kGenType2P, 3, 1),
          Header("MUR", kGenType3P, 4, 1),
          Header("slup", kGenType1P, 1, 1),
          Header("ZNAK", kGenType2PNS, 2, 3),
          Header("NIC", 0, 1, 1),
          Header("OBCY", 6, 1, 1),
      },
      Element(1, 1, 1, 6, 0, kElemLine) + Element(2, 1, 2, 6, 0.5, kElemArc) + Element(1.5, 3, 0, 0, 0.25, kElemCircle) +
          Element(1, 1, 2.5, 1, 0, kElemLine)));
  EXPECT_TRUE(messages.empty()) << messages.front();

  std::vector<std::string> expected = kBuiltIns;
  for (const char* n : {"PLOT", "BRAMA", "MUR", "SLUP", "ZNAK"}) expected.push_back(n);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(*lib), expected);  // types 0 and 6 make none

  struct Kind {
    const char* name;
    const std::type_info& type;
    std::int32_t elements;
  };
  for (const Kind& k : {Kind{"plot", typeid(TGenerator), 2}, Kind{"brama", typeid(TGenerator2P), 1},
                        Kind{"Mur", typeid(TGenerator3P), 1}, Kind{"SLUP", typeid(TGenerator1P), 1},
                        Kind{"znak", typeid(TGenerator2PNS), 3}}) {
    SCOPED_TRACE(k.name);
    TGeneratorImp* g = lib->FindByName(k.name);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(typeid(*g), k.type);
    EXPECT_EQ(g->Count(), k.elements);
  }
  // Scales from the base length 5 and the width 1.5.
  auto* mur = dynamic_cast<TGenerator3P*>(lib->FindByName("MUR"));
  EXPECT_DOUBLE_EQ(mur->Scale, 0.2);
  EXPECT_DOUBLE_EQ(mur->Scale3, 1 / 1.5);
  // Elements of the generated kinds, relative to the origin (1, 1).
  TGeneratorImp* znak = lib->FindByName("ZNAK");
  EXPECT_EQ(typeid(*znak->Element(0)), typeid(TGLuk));
  EXPECT_EQ(typeid(*znak->Element(1)), typeid(TGOkrag));
  EXPECT_EQ(typeid(*znak->Element(2)), typeid(TGLinia));
  const auto* line = dynamic_cast<const TGLinia*>(lib->FindByName("PLOT")->Element(0));
  EXPECT_EQ(line->P1, (TPointRec{0, 0, 0}));
  EXPECT_EQ(line->P2, (TPointRec{0, 5, 0}));
  const auto* circle = dynamic_cast<const TGOkrag*>(znak->Element(1));
  EXPECT_EQ(circle->Centre, (TPointRec{0.5, 2, 0}));

  platform::TStrings strings;
  lib->FillStrings(strings);
  ASSERT_EQ(strings.Count(), static_cast<int>(expected.size()));
  EXPECT_EQ(strings.ToVector(), expected);
  EXPECT_EQ(strings.Objects(0), static_cast<void*>(lib->FindByName(expected[0])));
}

TEST_F(GeneratorLibraryTest, UnusableFileIsShownOnceAndLeavesTheBuiltInGenerators) {
  const std::string good = GenFile({Header("PLOT", kGenType2P)}, Element(0, 0, 0, 1, 0, kElemLine));
  struct Case {
    const char* name;
    std::string bytes;  // empty: no file
    std::string message;
  };
  const std::string path = folder / "k1g.gen";
  const Case cases[] = {
      {"Missing", "", "Brak pliku z generatorami:" + path},
      {"WrongMagic", GenFile({Header("PLOT", kGenType2P)}, Element(0, 0, 0, 1, 0, kElemLine), 0x2310),
       "Błędny plik definicji generatorów:" + path},
      {"HeadersBeyondTheEnd", good.substr(0, 6 + 40), "Błędny plik definicji generatorów:" + path},
      {"TableOffsetBeyondTheEnd", good.substr(0, 4) + std::string("\xFF\x7F", 2) + good.substr(6),
       "Błędny plik definicji generatorów:" + path},
      {"ShorterThanItsHeader", good.substr(0, 3), "Błędny plik definicji generatorów:" + path},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    std::remove(path.c_str());
    const auto lib = c.bytes.empty() ? TGeneratorManager::CreateFromFile(path) : Load(c.bytes);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], c.message);
    EXPECT_EQ(Names(*lib), kBuiltIns);
  }

  // The disk fails while the file is read.
  messages.clear();
  folder.Put("k1g.gen", good);
  std::unique_ptr<TGeneratorManager> lib;
  {
    platform::FaultScope fault({platform::FaultOp::Read, 1, false, "k1g.gen"});
    lib = TGeneratorManager::CreateFromFile(path);
    EXPECT_TRUE(platform::FaultStruck());
  }
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Błędny plik definicji generatorów:" + path);
  EXPECT_EQ(Names(*lib), kBuiltIns);
}

TEST_F(GeneratorLibraryTest, BadGeneratorIsSkippedNamedAndTheOthersKept) {
  const std::string table = Element(0, 0, 0, 1, 0, kElemLine) + Element(0, 0, 0, 2, 0, kElemLine);
  struct Case {
    const char* name;
    std::string header;
    std::string elements;
    const char* message;
  };
  const Case cases[] = {
      {"RangeBeyondTheTable", Header("ZLY", kGenType2P, 2, 2), table,
       "Błędny zakres elementów definicji generatora ZLY"},
      {"RangeBeforeTheTable", Header("ZLY", kGenType2P, 0, 1), table,
       "Błędny zakres elementów definicji generatora ZLY"},
      {"NegativeCount", Header("ZLY", kGenType2P, 1, -1), table, "Błędny zakres elementów definicji generatora ZLY"},
      {"HugeFirst", Header("ZLY", kGenType2P, 0x7FFFFFFF, 0x7FFF), table,
       "Błędny zakres elementów definicji generatora ZLY"},
      {"ZeroLength", GeneratorHeader("ZLY", 1, 1, kGenTypeStretched, {1, 1}, {4, 1}, {2, 1}), table,
       "Zerowa długość bazy definicji generatora ZLY"},
      {"ZeroLengthTwoPoint", GeneratorHeader("ZLY", 1, 1, kGenType2P, {1, 1}, {1, 1}, {2, 1}), table,
       "Zerowa długość bazy definicji generatora ZLY"},
      {"ZeroWidth", GeneratorHeader("ZLY", 1, 1, kGenType3P, {1, 1}, {1, 5}, {1, 3}), table,
       "Zerowa szerokość definicji generatora ZLY"},
      {"UnknownElementType", Header("ZLY", kGenType1P, 3, 1), table + Element(0, 0, 1, 1, 0, 8),
       "TGeneratorImp.LDInitObj: invalid type"},
      {"FarAwayElement", Header("ZLY", kGenType1P, 3, 1), table + Element(0, 0, 1e9, 1, 0, kElemLine),
       "Błędne współrzędne definicji generatora ZLY"},
      {"FarAwayOrigin", GeneratorHeader("ZLY", 1, 1, kGenType1P, {1e30, 1}, {1, 5}, {2, 1}), table,
       "Błędne współrzędne definicji generatora ZLY"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    const auto lib = Load(GenFile({Header("PRZED", kGenType2P, 1, 1), c.header, Header("PO", kGenType2P, 2, 1)},
                                  c.elements));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], c.message);
    EXPECT_EQ(lib->FindByName("ZLY"), nullptr);
    ASSERT_NE(lib->FindByName("PRZED"), nullptr);
    ASSERT_NE(lib->FindByName("PO"), nullptr);
    EXPECT_EQ(lib->FindByName("PO")->Count(), 1);
    EXPECT_EQ(lib->Generators.size(), kBuiltIns.size() + 2);
  }
}

TEST_F(GeneratorLibraryTest, ProblemsOfOneLoadAreShownTogether) {
  std::vector<std::string> headers;
  for (int i = 0; i < 12; ++i) headers.push_back(Header("Z" + std::to_string(i), kGenType2P, 5, 1));
  headers.push_back(Header("ZNAK", kGenType2P, 1, 1));
  // The first generator of a name stays.
  headers.push_back(Header("ZNAK", kGenType2P, 1, 2));
  const auto lib = Load(GenFile(headers, Element(0, 0, 0, 1, 0, kElemLine) + Element(0, 0, 0, 1, 0, kElemLine)));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("generatora Z0\n"), std::string::npos);
  EXPECT_NE(messages[0].find("generatora Z9\n(i jeszcze 2)"), std::string::npos);
  EXPECT_EQ(lib->FindByName("ZNAK")->Count(), 1);
}

TEST_F(GeneratorLibraryTest, ElementsBeyondTheLoadBoundSkipTheirGenerators) {
  // Every header may name the same records again: the load stops making
  // elements at its bound, whatever the file's size.
  std::vector<std::string> headers;
  const int each = 30000;
  for (int i = 0; i < 5; ++i) headers.push_back(Header("G" + std::to_string(i), kGenType1P, 1, each));
  std::string table;
  for (int i = 0; i < each; ++i) table += Element(0, 0, 0, 1, 0, kElemLine);
  const auto lib = Load(GenFile(headers, table));
  EXPECT_EQ(lib->Generators.size(), kBuiltIns.size() + 3);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("G3"), std::string::npos);
  EXPECT_NE(messages[0].find("G4"), std::string::npos);
}

TEST_F(GeneratorLibraryTest, ProgramLibraryIsRetiredByAChangedFileNameWhileAToolKeepsItsGenerator) {
  const std::string first = folder.Put("a.gen", GenFile({Header("PIERWSZY", kGenType2P)}, Element(0, 0, 0, 1, 0, kElemLine)));
  const std::string second = folder.Put("b.gen", GenFile({Header("DRUGI", kGenType2P)}, Element(0, 0, 0, 1, 0, kElemLine)));
  UseSettings(first);
  TGeneratorManager& lib = GeneratorManager();
  EXPECT_EQ(&GeneratorManager(), &lib);
  TGeneratorImp* held = lib.FindByName("pierwszy");  // what a running tool holds
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 1);

  SymbolLineManagerCfg().GeneratorFile = second;
  SymbolLineManagerCfg().NotifyChanged();
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 0);
  TGeneratorManager& next = GeneratorManager();
  EXPECT_NE(&next, &lib);
  EXPECT_NE(next.FindByName("DRUGI"), nullptr);
  EXPECT_EQ(next.FindByName("PIERWSZY"), nullptr);
  EXPECT_EQ(next.Previous.get(), &lib);
  EXPECT_EQ(held->Name, "PIERWSZY");
  EXPECT_EQ(held->Count(), 1);
  EXPECT_EQ(SymbolLineManagerCfg().SubscriptionCount(), 1);
  EXPECT_TRUE(messages.empty());
}

TEST_F(GeneratorLibraryTest, ProgramLibraryWithABadFileIsBuiltOnceWithTheBuiltInOnes) {
  UseSettings(folder.Put("zly.gen", std::string("\x10\x23\0\0\6\0", 6)));
  TGeneratorManager& lib = GeneratorManager();
  EXPECT_EQ(Names(lib), kBuiltIns);
  EXPECT_EQ(&GeneratorManager(), &lib);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(GeneratorLibraryTest, FileNameWithoutFolderIsInTheProgramFolder) {
  UseSettings("k1g.gen");
  EXPECT_EQ(GeneratorFileName(), platform::JoinPath(platform::ProgramFolder(), "k1g.gen"));
}

TEST_F(GeneratorLibraryTest, ActivityMenuFindsGeneratorsAndGivesThemTheirSpacing) {
  UseSettings(folder.Put("a.gen", GenFile({Header("PLOT", kGenType2P)}, Element(0, 0, 0, 1, 0, kElemLine))));
  RegisterGeneratorLookup();
  const auto bit = [](TActivityParam P) { return ActivityBit(P); };
  TActivityRecord item;
  TLinePresets p;

  item.Generator = "schody";
  item.Odstep = 1.5f;
  FillLinePresets(p, bit(apGenerator) | bit(apOdstep), item);
  auto* schody = dynamic_cast<TSchodyGenerator*>(p.Generator);
  ASSERT_NE(schody, nullptr);
  EXPECT_EQ(schody->Spacing, 1.5);

  // Without the spacing the generator keeps its own.
  item.Odstep = 3.0f;
  FillLinePresets(p, bit(apGenerator), item);
  EXPECT_EQ(schody->Spacing, 1.5);

  item.Generator = "plot";
  FillLinePresets(p, bit(apGenerator) | bit(apOdstep), item);
  EXPECT_EQ(p.Generator, GeneratorManager().FindByName("PLOT"));
  item.Generator = "brak";
  FillLinePresets(p, bit(apGenerator), item);
  EXPECT_EQ(p.Generator, nullptr);
}

}  // namespace
