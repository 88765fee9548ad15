#include "drawing/canvascfg.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "drawing/drawparams.h"
#include "foundation/settings/configdialogi.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

using P = TDisplayPageI;

// A settings dialog with the display page; Script plays the user.
class FakeDisplayDialog : public TConfigDialogBase, public TDisplayPageI {
public:
  explicit FakeDisplayDialog(std::function<void(FakeDisplayDialog&)> script = {})
      : script_(std::move(script)) {}

  bool ExecuteModal() override {
    if (script_) script_(*this);
    return true;
  }
  bool Checked(TDisplayCheck Box) const override {
    auto it = checks.find(Box);
    return it != checks.end() && it->second;
  }
  void SetChecked(TDisplayCheck Box, bool Value) override { checks[Box] = Value; }
  std::string SkalaText() const override { return skala; }
  void SetSkalaText(const std::string& Text) override { skala = Text; }
  std::uint32_t PanelColor(int N) const override { return colors.at(N); }
  void SetPanelColor(int N, std::uint32_t Color) override { colors[N] = Color; }
  float ThickLineCondition() const override { return condition; }
  void SetThickLineCondition(float Value) override { condition = Value; }
  void GetScreenDpm(double& X, double& Y) const override {
    X = dpmX;
    Y = dpmY;
  }
  void SetScreenDpm(double X, double Y) override {
    dpmX = X;
    dpmY = Y;
  }

  std::map<TDisplayCheck, bool> checks;
  std::string skala;
  std::map<int, std::uint32_t> colors;
  float condition = 0.0f;
  double dpmX = 0.0;
  double dpmY = 0.0;

private:
  std::function<void(FakeDisplayDialog&)> script_;
};

// Counts the notifications of one group.
struct Listener {
  void Changed(TParametryConf*) { ++changed; }
  void Changing(TParametryConf*) { ++changing; }
  int changed = 0;
  int changing = 0;
};

class CanvasCfgTest : public ::testing::Test {
protected:
  TCanvasCfg ReadFrom(const std::string& iniText) {
    platform::TIniFile ini(folder.Put("tolvika.ini", iniText));
    TCanvasCfg cfg;
    cfg.Read(ini);
    return cfg;
  }
  // The group after ToDialog, the user's changes and FromDialog.
  void Confirm(TCanvasCfg& cfg, const std::function<void(FakeDisplayDialog&)>& change) {
    FakeDisplayDialog dialog;
    cfg.ToDialog(dialog);
    change(dialog);
    cfg.FromDialog(dialog);
  }

  ScratchFolder folder;
};

TEST_F(CanvasCfgTest, NewGroupsHoldTheFixedDefaults) {
  TNullCanvasCfg null;
  TCanvasCfg cfg;
  for (const TNullCanvasCfg* c : {static_cast<const TNullCanvasCfg*>(&null),
                                  static_cast<const TNullCanvasCfg*>(&cfg)}) {
    EXPECT_EQ(c->Kroj, 1);
    EXPECT_EQ(c->Skala, 0);
    EXPECT_EQ(c->SkalaFlagi, 0);
    EXPECT_TRUE(c->WindowsThickLines);
    EXPECT_FALSE(c->DynamicThickLines);
    EXPECT_EQ(c->ThickLineCondition, 0.0f);
    EXPECT_EQ(c->DpmX, 0.0);
    EXPECT_EQ(c->FastDisplaySize, 8);
    EXPECT_EQ(c->FastDisplayCount, 1);
    EXPECT_TRUE(c->FastDisplay);
  }
}

TEST_F(CanvasCfgTest, NullGroupAnswersFixedScaleAndRedWhateverItsFields) {
  TNullCanvasCfg null;
  null.Skala = 5000;
  EXPECT_EQ(null.GetScale(), 1.0);
  for (int n = 0; n <= 4; ++n) EXPECT_EQ(null.GetHighlightColor(n), 0x0000FFu);
  auto clone = null.Clone();
  EXPECT_EQ(typeid(*clone), typeid(TNullCanvasCfg));
  EXPECT_EQ(static_cast<TNullCanvasCfg&>(*clone).Skala, 5000);
}

TEST_F(CanvasCfgTest, MissingSectionGivesIniDefaults) {
  TCanvasCfg cfg = ReadFrom("[Inne]\nx=1\n");
  EXPECT_EQ(cfg.Kroj, 1);
  EXPECT_EQ(cfg.Skala, 1000);
  EXPECT_EQ(cfg.SkalaFlagi, 7);
  EXPECT_EQ(cfg.HighlightColors, (std::array<std::uint32_t, 3>{0x0000FF, 0x00FFFF, 0x800080}));
  EXPECT_FALSE(cfg.DynamicDisplay);
  EXPECT_TRUE(cfg.DynamicThickLines);
  EXPECT_EQ(cfg.ThickLineCondition, 1.0f);
  EXPECT_FALSE(cfg.WindowsThickLines);
  EXPECT_DOUBLE_EQ(cfg.DpmX, 2.9527559055);
  EXPECT_DOUBLE_EQ(cfg.DpmY, 2.9527559055);
  EXPECT_TRUE(cfg.FastDisplay);
  EXPECT_EQ(cfg.FastDisplaySize, 8);
  EXPECT_EQ(cfg.FastDisplayCount, 8);
  EXPECT_DOUBLE_EQ(cfg.GetScale(), 1.0);
}

TEST_F(CanvasCfgTest, ReadsStoredValuesAndLowBytes) {
  TCanvasCfg cfg = ReadFrom(
      "[wyswietlanie]\n"
      "Kroj=258\n"
      "Skala=500\n"
      "Skala Flagi=261\n"
      "Wyrozniajacy kolor 1=00ff00\n"
      "Wyrozniajacy kolor 2=\n"
      "Dynamiczne wyswietlanie=256\n"
      "Dynamiczne wyswietlanie grubych linii=0\n"
      "Warunek wyswietlania grubych linii=2.5\n"
      "Grube linie Windows=1\n"
      "DPM X=4\n"
      "DPM Y=3.5\n"
      "Szybkie wyswietlanie=0\n"
      "Szybkie wyswietlanie - rozmiar=16\n"
      "Szybkie wyswietlanie - licznik=3\n");
  EXPECT_EQ(cfg.Kroj, 2);
  EXPECT_EQ(cfg.Skala, 500);
  EXPECT_EQ(cfg.SkalaFlagi, 5);
  EXPECT_EQ(cfg.GetHighlightColor(1), 0x00FF00u);
  EXPECT_EQ(cfg.GetHighlightColor(2), 0x00FFFFu);  // empty value: the default
  EXPECT_FALSE(cfg.DynamicDisplay);                // 256 has a low byte of 0
  EXPECT_FALSE(cfg.DynamicThickLines);
  EXPECT_EQ(cfg.ThickLineCondition, 2.5f);
  EXPECT_TRUE(cfg.WindowsThickLines);
  EXPECT_EQ(cfg.DpmX, 4.0);
  EXPECT_EQ(cfg.DpmY, 3.5);
  EXPECT_FALSE(cfg.FastDisplay);
  EXPECT_EQ(cfg.FastDisplaySize, 16);
  EXPECT_EQ(cfg.FastDisplayCount, 3);
  EXPECT_DOUBLE_EQ(cfg.GetScale(), 0.5);
  EXPECT_TRUE(TDrawParamsImp(&cfg).GetStrokeFont().Font().Second);
  TCanvasCfg other = ReadFrom("[Wyswietlanie]\nKroj=1\n");
  EXPECT_FALSE(TDrawParamsImp(&other).GetStrokeFont().Font().Second);
}

TEST_F(CanvasCfgTest, BadValuesGiveTheirFallbacks) {
  struct Case {
    const char* line;
    float condition;
    double dpmX;
    std::int32_t skala;
  };
  const Case cases[] = {
      {"Warunek wyswietlania grubych linii=1,5", 10.0f, 2.9527559055, 1000},
      {"Warunek wyswietlania grubych linii=2.5x", 10.0f, 2.9527559055, 1000},
      {"Warunek wyswietlania grubych linii=", 10.0f, 2.9527559055, 1000},
      {"DPM X=abc", 1.0f, 2.9527559055, 1000},
      {"DPM X=3,2", 1.0f, 2.9527559055, 1000},
      {"Skala=12ab", 1.0f, 2.9527559055, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TCanvasCfg cfg = ReadFrom(std::string("[Wyswietlanie]\n") + c.line + "\n");
    EXPECT_EQ(cfg.ThickLineCondition, c.condition);
    EXPECT_DOUBLE_EQ(cfg.DpmX, c.dpmX);
    EXPECT_EQ(cfg.Skala, c.skala);
  }
}

// A file edited by hand: a value outside its setting's range or choices
// reads as the key's default and is written back as that; the others stay
// as they stand.
TEST_F(CanvasCfgTest, OutOfRangeValuesReadAsTheDefaultAndAreWrittenBackSo) {
  struct Case {
    const char* line;
    const char* written;  // the line Write gives back
  };
  const Case cases[] = {
      {"Kroj=99", "Kroj=1"},
      {"Kroj=2", "Kroj=2"},
      {"Skala=0", "Skala=1000"},
      {"Skala=-500", "Skala=1000"},
      {"Skala=250", "Skala=250"},
      {"Skala Flagi=8", "Skala Flagi=7"},
      {"Skala Flagi=0", "Skala Flagi=0"},
      {"Wyrozniajacy kolor 2=1000000", "Wyrozniajacy kolor 2=00FFFF"},
      {"Warunek wyswietlania grubych linii=-2", "Warunek wyswietlania grubych linii=1"},
      {"Warunek wyswietlania grubych linii=1e300", "Warunek wyswietlania grubych linii=1"},
      {"Warunek wyswietlania grubych linii=0", "Warunek wyswietlania grubych linii=0"},
      {"DPM X=0", "DPM X=2.9527559055"},
      {"DPM Y=-1e300", "DPM Y=2.9527559055"},
      {"DPM Y=1e300", "DPM Y=2.9527559055"},
      {"DPM X=1000", "DPM X=1000"},
      {"DPM X=1000.5", "DPM X=2.9527559055"},
      {"Szybkie wyswietlanie - rozmiar=-3", "Szybkie wyswietlanie - rozmiar=-3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TCanvasCfg cfg = ReadFrom(std::string("[Wyswietlanie]\n") + c.line + "\n");
    const std::string file = folder / "back.ini";
    {
      platform::TIniFile ini(file);
      cfg.Write(ini);
    }
    EXPECT_NE(ScratchFolder::Get(file).find(std::string("\r\n") + c.written + "\r\n"), std::string::npos)
        << ScratchFolder::Get(file);
  }
}

TEST_F(CanvasCfgTest, WritesEveryKeyInOrderAndReadsItBack) {
  TCanvasCfg cfg;
  cfg.Kroj = 2;
  cfg.Skala = 2000;
  cfg.SkalaFlagi = 5;
  cfg.HighlightColors = {0x0000FF, 0x00FFFF, 0x800080};
  cfg.DynamicDisplay = true;
  cfg.DynamicThickLines = false;
  cfg.ThickLineCondition = 2.5f;
  cfg.WindowsThickLines = true;
  cfg.DpmX = 2.9527559055;
  cfg.DpmY = 4.0;
  cfg.FastDisplay = false;
  cfg.FastDisplaySize = 16;
  cfg.FastDisplayCount = 2;
  cfg.MarkTextOrigin = true;
  const std::string file = folder / "out.ini";
  {
    platform::TIniFile ini(file);
    cfg.Write(ini);
  }
  EXPECT_EQ(ScratchFolder::Get(file),
            "[Wyswietlanie]\r\n"
            "Kroj=2\r\n"
            "Skala=2000\r\n"
            "Skala Flagi=5\r\n"
            "Wyrozniajacy kolor 1=0000FF\r\n"
            "Wyrozniajacy kolor 2=00FFFF\r\n"
            "Wyrozniajacy kolor 3=800080\r\n"
            "Dynamiczne wyswietlanie=1\r\n"
            "Dynamiczne wyswietlanie grubych linii=0\r\n"
            "Warunek wyswietlania grubych linii=2.5\r\n"
            "Grube linie Windows=1\r\n"
            "DPM X=2.9527559055\r\n"
            "DPM Y=4\r\n"
            "Szybkie wyswietlanie=0\r\n"
            "Szybkie wyswietlanie - rozmiar=16\r\n"
            "Szybkie wyswietlanie - licznik=2\r\n");
  platform::TIniFile ini(file);
  TCanvasCfg back;
  back.Read(ini);
  EXPECT_EQ(back.HighlightColors, cfg.HighlightColors);
  EXPECT_EQ(back.ThickLineCondition, 2.5f);
  EXPECT_EQ(back.DpmX, cfg.DpmX);
  EXPECT_FALSE(back.MarkTextOrigin);  // not stored
}

TEST_F(CanvasCfgTest, CopiesAndClonesKeepEveryField) {
  TCanvasCfg cfg;
  cfg.Skala = 5000;
  cfg.HighlightColors = {1, 2, 3};
  cfg.MarkLineEnds = true;
  cfg.FastDisplayCount = 9;
  auto clone = cfg.Clone();
  ASSERT_EQ(typeid(*clone), typeid(TCanvasCfg));
  const auto& copy = static_cast<const TCanvasCfg&>(*clone);
  EXPECT_EQ(copy.Skala, 5000);
  EXPECT_EQ(copy.HighlightColors, cfg.HighlightColors);
  EXPECT_TRUE(copy.MarkLineEnds);
  EXPECT_EQ(copy.FastDisplayCount, 9);
}

TEST_F(CanvasCfgTest, HighlightColorOutsideOneToThreeDoesNotReadPastTheArray) {
  TCanvasCfg cfg;
  cfg.HighlightColors = {0x111111, 0x222222, 0x333333};
  EXPECT_EQ(cfg.GetHighlightColor(3), 0x333333u);
  EXPECT_EQ(cfg.GetHighlightColor(0), 0x0000FFu);
  EXPECT_EQ(cfg.GetHighlightColor(4), 0x0000FFu);
  EXPECT_EQ(cfg.GetHighlightColor(-1), 0x0000FFu);
}

TEST_F(CanvasCfgTest, DialogShowsTheSettings) {
  TCanvasCfg cfg = ReadFrom("[Wyswietlanie]\nKroj=2\nSkala Flagi=2\n");
  cfg.Kroj = 5;  // no file gives it (it reads as 1), but the page copes
  FakeDisplayDialog dialog;
  cfg.ToDialog(dialog);
  EXPECT_FALSE(dialog.Checked(P::dcWTR));
  EXPECT_FALSE(dialog.Checked(P::dcWTW));
  EXPECT_FALSE(dialog.Checked(P::dcWTP));  // Kroj 5 has no button
  EXPECT_EQ(dialog.skala, "1000");
  EXPECT_FALSE(dialog.Checked(P::dcWsText));
  EXPECT_TRUE(dialog.Checked(P::dcWsLine));
  EXPECT_FALSE(dialog.Checked(P::dcWsSymbol));
  EXPECT_EQ(dialog.colors.at(3), 0x800080u);
  EXPECT_TRUE(dialog.Checked(P::dcDynWyswGL));
  EXPECT_TRUE(dialog.Checked(P::dcDrCFlagCB));
  EXPECT_EQ(dialog.condition, 1.0f);
  EXPECT_DOUBLE_EQ(dialog.dpmY, 2.9527559055);
}

TEST_F(CanvasCfgTest, DialogChangesNotifyOnlyWhenSomethingChanged) {
  struct Case {
    const char* name;
    std::function<void(FakeDisplayDialog&)> change;
    bool notifies;
  };
  const Case cases[] = {
      {"nothing", [](FakeDisplayDialog&) {}, false},
      {"highlight colour", [](FakeDisplayDialog& d) { d.colors[2] = 0x123456; }, true},
      {"Windows thick lines", [](FakeDisplayDialog& d) { d.checks[P::dcWindowsThickLines] = true; },
       true},
      {"mark line ends", [](FakeDisplayDialog& d) { d.checks[P::dcMarkLineEnds] = true; }, true},
      {"scale", [](FakeDisplayDialog& d) { d.skala = " 500 "; }, true},
      {"text display", [](FakeDisplayDialog& d) {
         d.checks[P::dcWTW] = false;
         d.checks[P::dcWTR] = true;
       }, true},
      {"resolution", [](FakeDisplayDialog& d) { d.dpmX = 3.0; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCanvasCfg cfg = ReadFrom("[Wyswietlanie]\n");
    Listener listener;
    cfg.AddChangeHandler(TConfNotify(&listener, &Listener::Changed),
                         TConfNotify(&listener, &Listener::Changing));
    Confirm(cfg, c.change);
    EXPECT_EQ(listener.changing, 1);
    EXPECT_EQ(listener.changed, c.notifies ? 1 : 0);
    cfg.RemoveChangeHandler(TConfNotify(&listener, &Listener::Changed));
  }
}

TEST_F(CanvasCfgTest, DialogValuesAreTakenBack) {
  TCanvasCfg cfg = ReadFrom("[Wyswietlanie]\n");
  Confirm(cfg, [](FakeDisplayDialog& d) {
    d.checks[P::dcWTW] = false;
    d.checks[P::dcWTP] = true;
    d.skala = "2000";
    d.checks[P::dcWsLine] = false;
    d.colors[1] = 0x00FF00;
    d.checks[P::dcDymWysw] = true;
    d.checks[P::dcMarkTextOrigin] = true;
    d.checks[P::dcDrCFlagCB] = false;
    d.condition = 4.0f;
    d.dpmY = 5.0;
  });
  EXPECT_EQ(cfg.Kroj, 2);
  EXPECT_EQ(cfg.Skala, 2000);
  EXPECT_EQ(cfg.SkalaFlagi, sfTexts | sfSymbols);
  EXPECT_EQ(cfg.GetHighlightColor(1), 0x00FF00u);
  EXPECT_TRUE(cfg.DynamicDisplay);
  EXPECT_TRUE(cfg.MarkTextOrigin);
  EXPECT_FALSE(cfg.FastDisplay);
  EXPECT_EQ(cfg.ThickLineCondition, 4.0f);
  EXPECT_EQ(cfg.DpmY, 5.0);
  EXPECT_TRUE(TDrawParamsImp(&cfg).GetStrokeFont().Font().Second);
  Confirm(cfg, [](FakeDisplayDialog& d) { d.checks[P::dcWTP] = false; d.checks[P::dcWTW] = true; });
  EXPECT_FALSE(TDrawParamsImp(&cfg).GetStrokeFont().Font().Second);
}

TEST_F(CanvasCfgTest, NoTextDisplayButtonCheckedKeepsKroj) {
  TCanvasCfg cfg = ReadFrom("[Wyswietlanie]\nKroj=0\n");
  Confirm(cfg, [](FakeDisplayDialog& d) { d.checks.clear(); });
  EXPECT_EQ(cfg.Kroj, 0);
}

TEST_F(CanvasCfgTest, UnconvertibleScaleTextKeepsTheScale) {
  TCanvasCfg cfg = ReadFrom("[Wyswietlanie]\nSkala=500\n");
  Listener listener;
  cfg.AddChangeHandler(TConfNotify(&listener, &Listener::Changed));
  Confirm(cfg, [](FakeDisplayDialog& d) { d.skala = "1:abc"; });
  EXPECT_EQ(cfg.Skala, 500);
  EXPECT_EQ(listener.changed, 0);
  cfg.RemoveChangeHandler(TConfNotify(&listener, &Listener::Changed));
}

TEST_F(CanvasCfgTest, AssignFromReportsShownChangesAndCopiesEverything) {
  TCanvasCfg global;
  TCanvasCfg local;
  global.FastDisplayCount = 5;  // copied, but not shown
  EXPECT_FALSE(local.AssignFrom(&global));
  EXPECT_EQ(local.FastDisplayCount, 5);
  global.WindowsThickLines = false;
  EXPECT_TRUE(local.AssignFrom(&global));
  EXPECT_FALSE(local.WindowsThickLines);
  global.HighlightColors[2] = 7;
  EXPECT_TRUE(local.AssignFrom(&global));
  EXPECT_EQ(local.GetHighlightColor(3), 7u);
  EXPECT_FALSE(local.AssignFrom(&global));

  TNullCanvasCfg null;
  EXPECT_TRUE(local.AssignFrom(&null));
  EXPECT_EQ(local.HighlightColors, (std::array<std::uint32_t, 3>{0xFF, 0xFF, 0xFF}));
  TParametryConf other;
  EXPECT_FALSE(local.AssignFrom(&other));
}

TEST_F(CanvasCfgTest, ThickLineSwitchInDialogReachesOpenViews) {
  const std::string file = folder.Put("tolvika.ini", "[Wyswietlanie]\nGrube linie Windows=0\n");
  TGlobalnaKonfiguracja global(file);
  TCanvasCfg* shared = global.GetGroup(std::make_unique<TCanvasCfg>());
  TLokalnaKonfiguracja view(global);
  auto* copy = static_cast<TCanvasCfg*>(view.GetGroup(std::make_unique<TCanvasCfg>()));
  ASSERT_NE(copy, shared);
  EXPECT_FALSE(copy->WindowsThickLines);
  Listener canvas;
  copy->AddChangeHandler(TConfNotify(&canvas, &Listener::Changed));

  EXPECT_TRUE(global.ShowDialog([] {
    return std::make_unique<FakeDisplayDialog>(
        [](FakeDisplayDialog& d) { d.checks[P::dcWindowsThickLines] = true; });
  }));
  EXPECT_TRUE(shared->WindowsThickLines);
  EXPECT_TRUE(copy->WindowsThickLines);
  EXPECT_EQ(canvas.changed, 1);
  copy->RemoveChangeHandler(TConfNotify(&canvas, &Listener::Changed));
}

}  // namespace
