#include "foundation/settings/printcfg.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/settings/configdialogi.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

// A settings dialog with a print page; Script plays the user.
class FakePrintDialog : public TConfigDialogBase, public TPrintPageI {
public:
  FakePrintDialog(bool confirm, std::function<void(FakePrintDialog&)> script)
      : confirm_(confirm), script_(std::move(script)) {}

  bool ExecuteModal() override {
    if (script_) script_(*this);
    return confirm_;
  }
  void SetFormatki(std::vector<TFormatkaItem> Items) override { items = std::move(Items); }
  std::vector<TFormatkaItem> TakeFormatki() override { return std::move(items); }
  void SelectFormatka(int Index) override { selected = Index; }
  bool DetailPreviewChecked() const override { return detail; }
  void SetDetailPreviewChecked(bool Checked) override { detail = Checked; }
  bool ForceArcDAChecked() const override { return split; }
  void SetForceArcDAChecked(bool Checked) override { split = Checked; }

  std::vector<TFormatkaItem> items;
  int selected = -1;
  bool detail = false;
  bool split = false;

private:
  bool confirm_;
  std::function<void(FakePrintDialog&)> script_;
};

using Frames = std::vector<std::pair<std::string, std::string>>;

Frames FramesOf(const TPrintConf& conf) {
  Frames frames;
  for (const TFormatkaItem& item : conf.Formatki) frames.emplace_back(item.Id, item.Entry->Path);
  return frames;
}

class PrintConfTest : public ::testing::Test {
protected:
  std::string Ini(const std::string& bytes) { return folder.Put("tolvika.ini", bytes); }
  // Shows a global configuration holding conf on a fake print dialog.
  bool Show(TKonfiguracja& konf, bool confirm, std::function<void(FakePrintDialog&)> script) {
    return konf.ShowDialog([&] { return std::make_unique<FakePrintDialog>(confirm, script); });
  }

  ScratchFolder folder;
};

TEST_F(PrintConfTest, ReadsFramesInFileOrderAndTheSwitches) {
  // Identifiers and paths in code page 1250; one path empty.
  platform::TIniFile ini(Ini("[Formatki]\r\nZ\xb3ota=C:\\f\\z\xb3ota.for\r\nFormatka_1=\r\n"
                             "A=rysuj.exe\r\n[Inne]\r\nLuki i okregi Windows=0\r\n"));
  TPrintConf conf;
  conf.Read(ini);
  EXPECT_EQ(FramesOf(conf), (Frames{{"Złota", "C:\\f\\złota.for"}, {"Formatka_1", ""}, {"A", "rysuj.exe"}}));
  EXPECT_TRUE(conf.DetailPreview);
  EXPECT_TRUE(conf.SplitArcs);
  EXPECT_EQ(conf.IndexOfFormatka("ZŁOTA"), 0);
  EXPECT_EQ(conf.IndexOfFormatka("B"), -1);
}

TEST_F(PrintConfTest, SwitchValues) {
  struct Case {
    const char* inne;
    bool detail;
    bool split;
  };
  const Case cases[] = {
      {"", true, false},
      {"Dok\xb3\x61\x64ny podgl\xb9\x64=0\r\nLuki i okregi Windows=1\r\n", false, false},
      {"dok\xb3\x61\x64ny PODGL\xa5\x44=1\r\nluki i okregi windows=0\r\n", true, true},
      {"Dok\xb3\x61\x64ny podgl\xb9\x64=tak\r\nLuki i okregi Windows=\r\n", true, false},
  };
  for (const Case& c : cases) {
    platform::TIniFile ini(Ini(std::string("[Inne]\r\n") + c.inne));
    TPrintConf conf;
    conf.Read(ini);
    EXPECT_TRUE(conf.Formatki.empty());
    EXPECT_EQ(conf.DetailPreview, c.detail) << c.inne;
    EXPECT_EQ(conf.SplitArcs, c.split) << c.inne;
  }
}

TEST_F(PrintConfTest, WritesFramesAndBothSwitchesIntoOneSection) {
  platform::TIniFile ini(folder / "tolvika.ini");
  TPrintConf conf;
  conf.Formatki.push_back({"Formatka_1", std::make_unique<TFormatkaPath>("a.for")});
  conf.Formatki.push_back({"Łęg", std::make_unique<TFormatkaPath>("ramka.bat")});
  conf.DetailPreview = true;
  conf.SplitArcs = true;
  conf.Write(ini);
  ini.UpdateFile();
  EXPECT_EQ(ScratchFolder::Get(folder / "tolvika.ini"),
            "[Formatki]\r\nFormatka_1=a.for\r\n\xa3\xeag=ramka.bat\r\n\r\n"
            "[Inne]\r\nDok\xb3\x61\x64ny podgl\xb9\x64=1\r\nLuki i okregi Windows=0\r\n");
}

// A settings file an editor saved in UTF-8 (and bytes no code page 1250
// letter has) is read as it stands, never refused, and its frames are
// written back with the same bytes.
TEST_F(PrintConfTest, FileSavedAsUtf8IsReadAsItStandsAndWrittenBackUnchanged) {
  const std::string frames =
      "[Formatki]\r\nZ\xc5\x82ota=C:\\f\\z\xc5\x82ota.for\r\nRamka\x98=\x81\x83\x88\x90.for\r\n";
  platform::TIniFile in(Ini(frames + "[Inne]\r\nDok\xc5\x82\x61\x64ny podgl\xc4\x85\x64=0\r\n"));
  TPrintConf conf;
  conf.Read(in);
  ASSERT_EQ(conf.Formatki.size(), 2u);
  EXPECT_TRUE(conf.DetailPreview);  // the key spelt in UTF-8 is another key
  platform::TIniFile out(folder / "back.ini");
  conf.Write(out);
  out.UpdateFile();
  const std::string back = ScratchFolder::Get(folder / "back.ini");
  EXPECT_EQ(back.substr(0, frames.size()), frames);
}

TEST_F(PrintConfTest, CloneIsADeepCopy) {
  TPrintConf conf;
  conf.Formatki.push_back({"A", std::make_unique<TFormatkaPath>("a.for")});
  conf.DetailPreview = true;
  std::unique_ptr<TParametryConf> clone = conf.Clone();
  auto& copy = static_cast<TPrintConf&>(*clone);
  copy.Formatki[0].Entry->Path = "b.for";
  EXPECT_EQ(conf.Formatki[0].Entry->Path, "a.for");
  EXPECT_TRUE(copy.DetailPreview);
  EXPECT_FALSE(copy.SplitArcs);
}

TEST_F(PrintConfTest, DialogShowsTheFramesAndTakesThemBackOnOk) {
  Ini("[Formatki]\r\nA=a.for\r\nB=b.for\r\n");
  TGlobalnaKonfiguracja global(folder / "tolvika.ini");
  TPrintConf* conf = global.GetGroup(std::make_unique<TPrintConf>());
  ASSERT_TRUE(Show(global, true, [](FakePrintDialog& d) {
    EXPECT_EQ(d.selected, 0);
    EXPECT_TRUE(d.detail);
    EXPECT_FALSE(d.split);
    d.items[1].Entry->Path = "nowa.for";
    d.items.push_back({"Formatka_1", nullptr});  // added, never given a path
    d.split = true;
  }));
  EXPECT_EQ(FramesOf(*conf), (Frames{{"A", "a.for"}, {"B", "nowa.for"}, {"Formatka_1", ""}}));
  EXPECT_TRUE(conf->SplitArcs);
}

TEST_F(PrintConfTest, PathEditedThenCancelledIsNotKept) {
  Ini("[Formatki]\r\nA=a.for\r\n");
  TGlobalnaKonfiguracja global(folder / "tolvika.ini");
  TPrintConf* conf = global.GetGroup(std::make_unique<TPrintConf>());
  EXPECT_FALSE(Show(global, false, [](FakePrintDialog& d) {
    d.items[0].Entry->Path = "inna.for";
    d.items.push_back({"Formatka_1", std::make_unique<TFormatkaPath>("x.for")});
    d.detail = false;
  }));
  EXPECT_EQ(FramesOf(*conf), (Frames{{"A", "a.for"}}));
  EXPECT_TRUE(conf->DetailPreview);
}

TEST_F(PrintConfTest, DeletedSheetFrameDoesNotComeBackAfterRestart) {
  Ini("[Formatki]\r\nA=a.for\r\nB=b.for\r\nC=c.for\r\n[Inne]\r\nInny=1\r\n");
  {
    TGlobalnaKonfiguracja global(folder / "tolvika.ini");
    global.GetGroup(std::make_unique<TPrintConf>());
    ASSERT_TRUE(Show(global, true, [](FakePrintDialog& d) { d.items.erase(d.items.begin() + 1); }));
  }
  TGlobalnaKonfiguracja restarted(folder / "tolvika.ini");
  TPrintConf* conf = restarted.GetGroup(std::make_unique<TPrintConf>());
  EXPECT_EQ(FramesOf(*conf), (Frames{{"A", "a.for"}, {"C", "c.for"}}));
  EXPECT_EQ(restarted.Ini().ReadString("Inne", "Inny", ""), "1");  // other keys untouched
}

TEST_F(PrintConfTest, UnwritableIdentifierDoesNotStopTheOtherEntries) {
  platform::TIniFile ini(folder / "tolvika.ini");
  TPrintConf conf;
  conf.Formatki.push_back({"a=b", std::make_unique<TFormatkaPath>("zla.for")});
  conf.Formatki.push_back({"B", std::make_unique<TFormatkaPath>("b.for")});
  conf.SplitArcs = true;
  EXPECT_THROW(conf.Write(ini), platform::EIniFileError);
  TPrintConf back;
  back.Read(ini);
  EXPECT_EQ(FramesOf(back), (Frames{{"B", "b.for"}}));
  EXPECT_TRUE(back.SplitArcs);
}

TEST_F(PrintConfTest, PrintConfRegistersOnceWithTheGlobalConfiguration) {
  Ini("[Formatki]\r\nA=a.for\r\n");
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
  TPrintConf& conf = PrintConf();
  EXPECT_EQ(&PrintConf(), &conf);
  EXPECT_EQ(GlobalnaKonfiguracja().Count(), 1);
  EXPECT_EQ(FramesOf(conf), (Frames{{"A", "a.for"}}));
  conf.DetailPreview = false;
  FreeGlobalnaKonfiguracja();
  platform::TIniFile ini(folder / "tolvika.ini");
  EXPECT_FALSE(ini.ReadBool("Inne", "Dokładny podgląd", true));
}

}  // namespace
