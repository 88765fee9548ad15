#include "objects/libcfg.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

// A settings dialog with the library page; Script plays the user.
class FakeLibraryDialog : public TConfigDialogBase, public TLibraryPageI {
public:
  FakeLibraryDialog(bool confirm, std::function<void(FakeLibraryDialog&)> script)
      : confirm_(confirm), script_(std::move(script)) {}

  bool ExecuteModal() override {
    if (script_) script_(*this);
    return confirm_;
  }
  std::string LineDefsText() const override { return lineDefs; }
  void SetLineDefsText(const std::string& Text) override { lineDefs = Text; }
  std::string SymbolDefsText() const override { return symbolDefs; }
  void SetSymbolDefsText(const std::string& Text) override { symbolDefs = Text; }
  std::string GeneratorFileText() const override { return generatorFile; }
  void SetGeneratorFileText(const std::string& Text) override { generatorFile = Text; }
  bool LocalEnabledChecked() const override { return localEnabled; }
  void SetLocalEnabledChecked(bool Checked) override { localEnabled = Checked; }

  std::string lineDefs, symbolDefs, generatorFile;
  bool localEnabled = false;

private:
  bool confirm_;
  std::function<void(FakeLibraryDialog&)> script_;
};

// Counts the change notifications of a group.
struct Listener {
  void Changed(TParametryConf*) { ++changed; }
  int changed = 0;
};

class LibCfgTest : public ::testing::Test {
protected:
  void TearDown() override { FreeGlobalnaKonfiguracja(); }

  bool Show(TKonfiguracja& konf, bool confirm, std::function<void(FakeLibraryDialog&)> script) {
    return konf.ShowDialog([&] { return std::make_unique<FakeLibraryDialog>(confirm, script); });
  }

  ScratchFolder folder;
};

TEST_F(LibCfgTest, MissingSectionGivesTheDefaults) {
  platform::TIniFile ini(folder.Put("tolvika.ini", "[Inne]\r\nx=1\r\n"));
  TSymbolLineManagerCfg cfg;
  cfg.LineDefs = cfg.SymbolDefs = cfg.GeneratorFile = "x";
  cfg.FromBases = false;
  cfg.Read(ini);
  EXPECT_EQ(cfg.LineDefs, "nk1l.lin");
  EXPECT_EQ(cfg.SymbolDefs, "nk1.sym");
  EXPECT_EQ(cfg.GeneratorFile, "k1g.gen");
  EXPECT_TRUE(cfg.FromBases);
}

TEST_F(LibCfgTest, ReadsTheFourKeysOfFiles) {
  // Key names compare case-insensitively; the value is kept as written
  // (code page 1250 in the file, UTF-8 in memory).
  platform::TIniFile ini(folder.Put(
      "tolvika.ini", "[files]\r\nsymboldefs=C:\\defs\\\xbf" "ar.sym\r\nLineDefs=l.lin\r\n"
                     "Generatory=g.gen\r\nZ baz=0\r\n"));
  TSymbolLineManagerCfg cfg;
  cfg.Read(ini);
  EXPECT_EQ(cfg.SymbolDefs, "C:\\defs\\żar.sym");
  EXPECT_EQ(cfg.LineDefs, "l.lin");
  EXPECT_EQ(cfg.GeneratorFile, "g.gen");
  EXPECT_FALSE(cfg.FromBases);
}

TEST_F(LibCfgTest, WritesTheKeysInOrderIntoFiles) {
  platform::TIniFile ini(folder / "tolvika.ini");
  TSymbolLineManagerCfg cfg;
  cfg.SymbolDefs = "moje.sym";
  cfg.FromBases = false;
  cfg.Write(ini);
  EXPECT_EQ(ini.ReadSectionValues("Files"),
            (std::vector<std::string>{"LineDefs=nk1l.lin", "SymbolDefs=moje.sym",
                                      "Generatory=k1g.gen", "Z baz=0"}));
  TSymbolLineManagerCfg back;
  back.Read(ini);
  EXPECT_EQ(back.SymbolDefs, "moje.sym");
  EXPECT_FALSE(back.FromBases);
}

TEST_F(LibCfgTest, CloneCopiesEveryValue) {
  TSymbolLineManagerCfg cfg;
  cfg.LineDefs = "a";
  cfg.SymbolDefs = "b";
  cfg.GeneratorFile = "c";
  cfg.FromBases = false;
  auto clone = cfg.Clone();
  auto* copy = dynamic_cast<TSymbolLineManagerCfg*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->LineDefs, "a");
  EXPECT_EQ(copy->SymbolDefs, "b");
  EXPECT_EQ(copy->GeneratorFile, "c");
  EXPECT_FALSE(copy->FromBases);
}

TEST_F(LibCfgTest, DialogShowsTheValues) {
  TKonfiguracja konf;
  auto* cfg = konf.GetGroup(std::make_unique<TSymbolLineManagerCfg>());
  cfg->SymbolDefs = "s.sym";
  FakeLibraryDialog* seen = nullptr;
  std::string shown;
  Show(konf, false, [&](FakeLibraryDialog& d) {
    seen = &d;
    shown = d.lineDefs + "|" + d.symbolDefs + "|" + d.generatorFile + "|" +
            (d.localEnabled ? "T" : "N");
  });
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(shown, "nk1l.lin|s.sym|k1g.gen|T");
}

// Only a changed file name notifies (and so rebuilds the libraries); the
// switch alone is stored quietly; a cancelled dialog changes nothing.
TEST_F(LibCfgTest, NotifiesOnlyWhenAFileNameChanged) {
  struct Case {
    const char* what;
    bool confirm;
    std::function<void(FakeLibraryDialog&)> script;
    int notifications;
    std::string lineDefs;
    bool fromBases;
  };
  const Case cases[] = {
      {"nothing changed", true, nullptr, 0, "nk1l.lin", true},
      {"switch only", true, [](FakeLibraryDialog& d) { d.localEnabled = false; }, 0, "nk1l.lin",
       false},
      {"one name", true, [](FakeLibraryDialog& d) { d.lineDefs = "inne.lin"; }, 1, "inne.lin",
       true},
      {"name and switch", true,
       [](FakeLibraryDialog& d) {
         d.generatorFile = "x.gen";
         d.localEnabled = false;
       },
       1, "nk1l.lin", false},
      {"cancelled", false,
       [](FakeLibraryDialog& d) {
         d.lineDefs = "inne.lin";
         d.localEnabled = false;
       },
       0, "nk1l.lin", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TKonfiguracja konf;
    auto* cfg = konf.GetGroup(std::make_unique<TSymbolLineManagerCfg>());
    Listener listener;
    cfg->AddChangeHandler(TConfNotify(&listener, &Listener::Changed));
    Show(konf, c.confirm, c.script);
    EXPECT_EQ(listener.changed, c.notifications);
    EXPECT_EQ(cfg->LineDefs, c.lineDefs);
    EXPECT_EQ(cfg->FromBases, c.fromBases);
    cfg->RemoveChangeHandler(TConfNotify(&listener, &Listener::Changed));
  }
}

TEST_F(LibCfgTest, GlobalGroupIsReadOnceAndSavedAtTheEnd) {
  folder.Put("tolvika.ini", "[Files]\r\nSymbolDefs=a.sym\r\n");
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
  TSymbolLineManagerCfg& cfg = SymbolLineManagerCfg();
  EXPECT_EQ(&SymbolLineManagerCfg(), &cfg);
  EXPECT_EQ(cfg.SymbolDefs, "a.sym");
  cfg.FromBases = false;
  FreeGlobalnaKonfiguracja();
  platform::TIniFile ini(folder / "tolvika.ini");
  EXPECT_FALSE(ini.ReadBool("Files", "Z baz", true));
  EXPECT_EQ(ini.ReadString("Files", "SymbolDefs", ""), "a.sym");
}

}  // namespace
