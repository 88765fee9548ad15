#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "layer_fixture.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerenum.h"

namespace {

class LayerEnumTest : public LayerTest {
protected:
  // A catalogue folder under the scratch folder; its path ends in '/'.
  std::string Catalogue(const std::string& name) {
    std::filesystem::create_directories(PathOf(name));
    return PathOf(name) + "/";
  }
  void Line(const std::string& dir, const std::string& file, const std::string& description = "") {
    TMainWarstwaHeader h;
    h.Kind = 1;
    h.Slots = 12;
    h.Description = description;
    ASSERT_NE(TNewLinWarstwaFile::CreateNew(&base_, dir, h, file), nullptr);
  }
  void Text(const std::string& dir, const std::string& file) {
    TMainWarstwaHeader h;
    h.Kind = 0;
    h.Slots = 10;
    ASSERT_NE(TNewTextWarstwaFile::CreateNew(&base_, dir, h, file), nullptr);
  }
  static void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::string Ini(const std::string& text) {
    WriteText(PathOf("baza.ini"), text);
    return PathOf("baza.ini");
  }
  // Every entry of the section: the layer name, or "<catalogue display
  // name>" for an empty catalogue's entry.
  static std::vector<std::string> Walk(TBaza& baza, const std::string& section,
                                       std::vector<TAllWarstwaHeader>* entries = nullptr) {
    std::vector<std::string> names;
    TAllWarstwaHeader e;
    int r = baza.FirstHeader(e, section);
    for (int guard = 0; r == kDBOk && guard < 100; ++guard) {
      names.push_back(e.File != nullptr ? e.Name : "<" + e.CatalogueName + ">");
      if (entries) entries->push_back(e);
      r = baza.NextHeader(e);
    }
    EXPECT_EQ(r, kDBEnd);
    return names;
  }
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(LayerEnumTest, EmptyCatalogueGivesOneEntryBeforeTheNextCatalogue) {
  const std::string a = Catalogue("a"), b = Catalogue("b");
  Line(b, "DROGI---.--l", "Drogi gminne");
  Text(b, "OPISY---.--t");
  WriteText(b + "baza.cnf", "12 L DROGI\n3 T OPISY\n");
  TBaza baza(1, Ini("[Zestaw]\nKat1=" + a + "\nKat1Nazwa=Pusty\nKat2=" + b +
                    "\nKat2IdBazy=B7\nKat2ObjInterfKonf=obj.cfg\n"));
  std::vector<TAllWarstwaHeader> entries;
  EXPECT_EQ(Walk(baza, "Zestaw", &entries), (Names{"<Pusty>", "DROGI", "OPISY"}));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(*entries[0].Directory, a);
  EXPECT_EQ(*entries[1].Directory, b);
  EXPECT_EQ(entries[1].Directory, entries[2].Directory);  // one shared text
  EXPECT_TRUE(baza.HasCatalogue(entries[1].Directory));
  EXPECT_FALSE(baza.HasCatalogue(&b));                    // by reference only
  EXPECT_EQ(entries[1].Kind, 1);
  EXPECT_EQ(entries[1].Slots, 12);
  EXPECT_EQ(entries[1].Description, "Drogi gminne");
  EXPECT_EQ(entries[1].LayerNumber, 12);
  EXPECT_EQ(entries[1].CatalogueName, "Kat2");            // no display name given
  EXPECT_EQ(entries[1].BaseId, "B7");
  EXPECT_EQ(entries[1].ObjInterfKonf, "obj.cfg");
  EXPECT_EQ(entries[2].Kind, 0);
  EXPECT_EQ(entries[2].LayerNumber, 3);
  EXPECT_EQ(entries[2].File->Kind(), 0);
  EXPECT_EQ(baza.Files().size(), 2u);
  EXPECT_EQ(baza.GetLayerNumber(entries[1].Directory, "LDROGI"), 12);
}

TEST_F(LayerEnumTest, EmptyLastCatalogueEndsTheWalk) {
  const std::string a = Catalogue("a"), b = Catalogue("b");
  Line(a, "DROGI---.--l");
  TBaza baza(1, Ini("[S]\nKat1=" + a + "\nKat2=" + b + "\n"));
  EXPECT_EQ(Walk(baza, "S"), (Names{"DROGI", "<Kat2>"}));
  TAllWarstwaHeader e;
  EXPECT_EQ(baza.NextHeader(e), kDBNothing);  // the walk is over
}

TEST_F(LayerEnumTest, MasksInOrderAndAFileMatchedTwiceListedTwice) {
  const std::string a = Catalogue("a");
  Line(a, "ABC-----.--l");
  Line(a, "XYZ-----.--l");
  Text(a, "ABD-----.--t");
  // The directory without its separator gets one; masks ignore letter case.
  TBaza baza(1, Ini("[S]\nKat1=" + a.substr(0, a.size() - 1) +
                    "\nKat1Wzr1=x*.*\nKat1Wzr2=ab?-----.--L\n"));
  EXPECT_EQ(Walk(baza, "S"), (Names{"XYZ", "ABC"}));
  TBaza twice(1, Ini("[S]\nKat1=" + a + "\nKat1Wzr1=ABC*\nKat1Wzr2=*.--l\nKat1Wzr4=XYZ*\n"));
  // Masks are consecutive: Wzr4 is not reached without Wzr3.
  EXPECT_EQ(Walk(twice, "S"), (Names{"ABC", "ABC", "XYZ"}));
}

TEST_F(LayerEnumTest, OtherNamesAndUnreadableFilesArePassedOver) {
  const std::string a = Catalogue("a");
  Line(a, "DROGI---.--l");
  Line(a, "ZLA-----.--l");
  std::filesystem::copy_file(a + "DROGI---.--l", a + "ROADS---.--x");
  // A damaged magic goes to the reader of the previous format, which has
  // nothing to read here: the file is passed over.
  Bytes bytes = ReadBytes(a + "ZLA-----.--l");
  bytes[1] = 'X';
  WriteBytes(a + "ZLA-----.--l", bytes);
  WriteText(a + "KROTKI--.--t", "TV");
  WriteText(a + "PUSTY---.--l", "");
  std::filesystem::create_directories(a + "KATALOG.--l");
  TBaza baza(1, Ini("[S]\nKat1=" + a + "\n"));
  EXPECT_EQ(Walk(baza, "S"), (Names{"DROGI"}));
}

TEST_F(LayerEnumTest, SectionWithoutFirstCatalogueAndCatalogueWithoutValue) {
  const std::string a = Catalogue("a");
  TBaza baza(1, Ini("[S]\nKat2=" + a + "\n[T]\nKat1=" + a + "\nKat2=\n"));
  TAllWarstwaHeader e;
  EXPECT_EQ(baza.FirstHeader(e, "S"), kDBNoCatalogue);
  EXPECT_EQ(baza.FirstHeader(e, "brak"), kDBNoCatalogue);
  EXPECT_EQ(baza.NextHeader(e), kDBNothing);
  try {
    baza.FirstHeader(e, "T");
    ADD_FAILURE() << "no exception";
  } catch (const EDBError& err) {
    EXPECT_EQ(err.Message(), "Błędna pozycja w pliku '" + PathOf("baza.ini") + "': Kat2");
  }
}

TEST_F(LayerEnumTest, NewWalkDropsTheRunningOneAndKeepsEarlierObjects) {
  const std::string a = Catalogue("a");
  Line(a, "A-------.--l");
  Line(a, "B-------.--l");
  TBaza baza(1, Ini("[S]\nKat1=" + a + "\n"));
  TAllWarstwaHeader first;
  ASSERT_EQ(baza.FirstHeader(first, "S"), kDBOk);
  EXPECT_EQ(Walk(baza, "S"), (Names{"A", "B"}));
  // The object of the dropped walk is still usable.
  std::uint8_t mode = kOpenRead;
  EXPECT_EQ(first.File->Open(mode), kDBOk);
  EXPECT_EQ(first.File->Close(), kDBOk);
  EXPECT_FALSE(baza.HasCatalogue(first.Directory));
  baza.RemoveFile(baza.Files().front());
  EXPECT_EQ(baza.Files().size(), 1u);
}
