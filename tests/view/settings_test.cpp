// The cursor settings and the view settings: their keys in the settings
// file, the local copies, the dialog pages, the coordinate and angle texts
// and the sound signal.
#include <array>
#include <chrono>
#include <filesystem>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/settings/configdialogi.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "platform/gui/application.h"
#include "platform/files/faultinject.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"
#include "platform/gui/sound.h"
#include "platform/gui/syscolors.h"
#include "platform/gui/toolwindow.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// The cursor and window pages as plain fields; Script plays the user.
class FakeDialog : public TConfigDialogBase, public TCursorPageI, public TViewPageI {
public:
  bool ExecuteModal() override {
    if (Script) Script(*this);
    return true;
  }

  void ShowCelownik(std::int32_t W, std::int32_t H) override { celW = W, celH = H; }
  void GetCelownik(std::int32_t& W, std::int32_t& H) const override { W = celW, H = celH; }
  void ShowCelownikMm(double W, double H) override { mmW = W, mmH = H; }
  void GetCelownikMm(double& W, double& H) const override { W = mmW, H = mmH; }
  bool DegreesChecked() const override { return degrees; }
  void SetDegreesChecked(bool Degrees) override { degrees = Degrees; }
  bool ActivePriorityChecked() const override { return actPrio; }
  void SetActivePriorityChecked(bool Checked) override { actPrio = Checked; }

  std::string SizeXText() const override { return sizeX; }
  std::string SizeYText() const override { return sizeY; }
  void SetSizeTexts(const std::string& X, const std::string& Y) override { sizeX = X, sizeY = Y; }
  bool SizeDefaultChecked() const override { return sizeDefault; }
  void SetSizeDefaultChecked(bool Checked) override { sizeDefault = Checked; }
  bool ColorDefaultChecked() const override { return colorDefault; }
  void SetColorDefaultChecked(bool Checked) override { colorDefault = Checked; }
  std::uint32_t BackgroundColor() const override { return color; }
  void SetBackgroundColor(std::uint32_t Color) override { color = Color; }
  std::int32_t AutoSaveMinutes() const override { return minutes; }
  void SetAutoSaveMinutes(std::int32_t Minutes) override { minutes = Minutes; }
  bool AreaActiveChecked() const override { return area; }
  void SetAreaActiveChecked(bool Checked) override { area = Checked; }

  std::function<void(FakeDialog&)> Script;
  std::int32_t celW = -1, celH = -1;
  double mmW = -1, mmH = -1;
  bool degrees = false, actPrio = false;
  std::string sizeX, sizeY;
  bool sizeDefault = false, colorDefault = false, area = false;
  std::uint32_t color = 0;
  std::int32_t minutes = -1;
};

// Counts the change notifications of one group.
class Listener {
public:
  explicit Listener(TParametryConf& Conf) : conf_(Conf) { conf_.AddChangeHandler(TConfNotify(this, &Listener::Changed)); }
  ~Listener() { conf_.RemoveChangeHandler(TConfNotify(this, &Listener::Changed)); }
  void Changed(TParametryConf*) { ++Count; }
  int Count = 0;

private:
  TParametryConf& conf_;
};

class SettingsTest : public ::testing::Test {
protected:
  // A settings file written key by key through the ini object (so the
  // Polish names reach the disk in the file's code page).
  std::string IniWith(std::initializer_list<std::array<const char*, 3>> Keys) {
    const std::string name = folder / "tolvika.ini";
    std::filesystem::remove(name);
    {
      platform::TIniFile ini(name);
      for (const auto& k : Keys) ini.WriteString(k[0], k[1], k[2]);
      ini.UpdateFile();
    }
    return name;
  }

  ScratchFolder folder;
};

// ---------------------------------------------------------------- cursor

TEST_F(SettingsTest, CursorGroupReadsItsKeysFromFourSections) {
  struct Case {
    const char* what;
    std::initializer_list<std::array<const char*, 3>> keys;
    std::int32_t w, h;
    bool cross;
    std::int32_t decimals;
    double fullAngle;
    bool signal, speaker, priority;
    std::uint8_t snap;
    double wmm, hmm;
  };
  const Case cases[] = {
      {"no keys: the defaults", {}, 5, 5, true, 2, 360.0, true, true, true, 0, 1.0, 1.0},
      {"every key",
       {{"Krzyz", "CelownikW", "7"},
        {"Krzyz", "CelownikH", "9"},
        {"Krzyz", "RysujKrzyz", "0"},
        {"Dzialki", "Ilość cyfr po przecinku", "3"},
        {"Krzyz", "Sygnal dzwiekowy", "0"},
        {"Krzyz", "Sygnal dzwiekowy przez glosniczek", "0"},
        {"Krzyz", "Priorytet warstwy aktywnej", "0"},
        {"Działki", "Stopnie", "0"},
        {"Krzyz", "Typ zatrzasku", "8"},
        {"Digitizer", "CelownikWmm", "2.5"},
        {"Digitizer", "CelownikHmm", "0.75"}},
       7, 9, false, 3, 400.0, false, false, false, 8, 2.5, 0.75},
      // The two "Działki" sections are two sections: each key is looked for
      // in its own only.
      {"keys in the other of the two sections",
       {{"Działki", "Ilość cyfr po przecinku", "5"}, {"Dzialki", "Stopnie", "0"}},
       5, 5, true, 2, 360.0, true, true, true, 0, 1.0, 1.0},
      {"values no setting can have",
       {{"Krzyz", "CelownikW", "-4"},
        {"Krzyz", "CelownikH", "2000000000"},
        {"Krzyz", "Typ zatrzasku", "9"},
        {"Digitizer", "CelownikWmm", "1,5"},
        {"Digitizer", "CelownikHmm", ""}},
       0, 10000, true, 2, 360.0, true, true, true, 0, 1.0, 1.0},
      {"a snap type below 0", {{"Krzyz", "Typ zatrzasku", "-1"}}, 5, 5, true, 2, 360.0, true, true, true, 0, 1.0,
       1.0},
  };
  for (const Case& c : cases) {
    platform::TIniFile ini(IniWith(c.keys));
    TKrzyzConf conf;
    EXPECT_EQ(conf.Read_, 0);
    conf.Read(ini);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(conf.CelownikW, c.w);
    EXPECT_EQ(conf.CelownikH, c.h);
    EXPECT_EQ(conf.RysujKrzyz, c.cross);
    EXPECT_EQ(conf.Decimals, c.decimals);
    EXPECT_EQ(conf.FullAngle, c.fullAngle);
    EXPECT_EQ(conf.Signal, c.signal);
    EXPECT_EQ(conf.Speaker, c.speaker);
    EXPECT_EQ(conf.ActivePriority, c.priority);
    EXPECT_EQ(conf.SnapType, c.snap);
    EXPECT_EQ(conf.CelownikWmm, c.wmm);
    EXPECT_EQ(conf.CelownikHmm, c.hmm);
    EXPECT_EQ(conf.Read_, 1);
    EXPECT_EQ(conf.DigitizerOn, 0);
  }
}

// "Krzyz" and "Digitizer" only; the decimals and "Stopnie" stay as the file
// has them, whatever the group holds.
TEST_F(SettingsTest, CursorGroupWritesKrzyzAndDigitizerOnly) {
  const std::string name = IniWith({{"Dzialki", "Ilość cyfr po przecinku", "4"}, {"Działki", "Stopnie", "1"}});
  TKrzyzConf conf;
  conf.CelownikW = 7;
  conf.CelownikH = 9;
  conf.RysujKrzyz = false;
  conf.Signal = true;
  conf.ActivePriority = false;
  conf.Speaker = false;
  conf.SnapType = 3;
  conf.CelownikWmm = 2.5;
  conf.CelownikHmm = 1.0;
  conf.Decimals = 0;
  conf.FullAngle = 400.0;
  {
    platform::TIniFile ini(name);
    conf.Write(ini);
    ini.UpdateFile();
  }
  EXPECT_EQ(ScratchFolder::Get(name),
            "[Dzialki]\r\nIlo\x9c\xe6 cyfr po przecinku=4\r\n\r\n"
            "[Dzia\xb3ki]\r\nStopnie=1\r\n\r\n"
            "[Krzyz]\r\nCelownikW=7\r\nCelownikH=9\r\nRysujKrzyz=0\r\nSygnal dzwiekowy=1\r\n"
            "Priorytet warstwy aktywnej=0\r\nSygnal dzwiekowy przez glosniczek=0\r\nTyp zatrzasku=3\r\n\r\n"
            "[Digitizer]\r\nCelownikWmm=2.5\r\nCelownikHmm=1\r\n");
}

TEST_F(SettingsTest, CursorCopyCarriesOnlyWhatTheViewsUse) {
  TKrzyzConf conf;
  conf.CelownikW = 8;
  conf.CelownikH = 6;
  conf.RysujKrzyz = false;
  conf.FullAngle = 400.0;
  conf.ActivePriority = false;
  conf.SnapType = 4;
  conf.Read_ = 1;
  conf.DigitizerOn = 1;
  std::unique_ptr<TParametryConf> clone = conf.Clone();
  auto& copy = dynamic_cast<TKrzyzConf&>(*clone);
  EXPECT_EQ(copy.CelownikW, 8);
  EXPECT_EQ(copy.CelownikH, 6);
  EXPECT_FALSE(copy.RysujKrzyz);
  EXPECT_EQ(copy.FullAngle, 400.0);
  EXPECT_FALSE(copy.ActivePriority);
  EXPECT_EQ(copy.SnapType, 4);
  EXPECT_EQ(copy.CelownikWmm, 0.0);
  EXPECT_EQ(copy.CelownikHmm, 0.0);
  EXPECT_EQ(copy.Decimals, 0);
  EXPECT_FALSE(copy.Signal);
  EXPECT_FALSE(copy.Speaker);
  EXPECT_EQ(copy.Read_, 0);
  EXPECT_EQ(copy.DigitizerOn, 0);
}

TEST_F(SettingsTest, CursorLocalCopyReportsAChangeOfWhatItCarries) {
  struct Case {
    const char* what;
    std::function<void(TKrzyzConf&)> change;
    bool reported;
  };
  const Case cases[] = {
      {"nothing", [](TKrzyzConf&) {}, false},
      {"sight width", [](TKrzyzConf& c) { c.CelownikW = 11; }, true},
      {"sight height", [](TKrzyzConf& c) { c.CelownikH = 11; }, true},
      {"cross", [](TKrzyzConf& c) { c.RysujKrzyz = false; }, true},
      {"angle unit", [](TKrzyzConf& c) { c.FullAngle = 400.0; }, true},
      {"priority", [](TKrzyzConf& c) { c.ActivePriority = false; }, true},
      {"snap type", [](TKrzyzConf& c) { c.SnapType = 2; }, true},
      {"decimals (not carried)", [](TKrzyzConf& c) { c.Decimals = 5; }, false},
      {"millimetres (not carried)", [](TKrzyzConf& c) { c.CelownikWmm = 3.0; }, false},
  };
  for (const Case& c : cases) {
    TKrzyzConf global;
    TKrzyzConf local(global);
    c.change(global);
    EXPECT_EQ(local.AssignFrom(&global), c.reported) << c.what;
    EXPECT_EQ(local.CelownikW, global.CelownikW) << c.what;
    EXPECT_EQ(local.FullAngle, global.FullAngle) << c.what;
    EXPECT_EQ(local.SnapType, global.SnapType) << c.what;
    EXPECT_EQ(local.Decimals, 0) << c.what;
    EXPECT_FALSE(local.AssignFrom(&global)) << c.what;
  }
  TTvViewCfg other;
  TKrzyzConf local;
  EXPECT_FALSE(local.AssignFrom(&other));
}

TEST_F(SettingsTest, CursorPageIsFilledAndNotifiesOnlyWhenTheToolsSeeAChange) {
  struct Case {
    const char* what;
    std::function<void(FakeDialog&)> user;
    int notifications;
    double fullAngle;
    double mmW;
  };
  const Case cases[] = {
      {"nothing touched", [](FakeDialog&) {}, 0, 360.0, 1.5},
      {"millimetres only", [](FakeDialog& d) { d.mmW = 4.0; }, 0, 360.0, 4.0},
      {"sight width", [](FakeDialog& d) { d.celW = 12; }, 1, 360.0, 1.5},
      {"sight height", [](FakeDialog& d) { d.celH = 12; }, 1, 360.0, 1.5},
      {"grads", [](FakeDialog& d) { d.degrees = false; }, 1, 400.0, 1.5},
      {"priority", [](FakeDialog& d) { d.actPrio = false; }, 1, 360.0, 1.5},
  };
  for (const Case& c : cases) {
    TKonfiguracja konf;
    TKrzyzConf* conf = konf.GetGroup(std::make_unique<TKrzyzConf>());
    conf->CelownikW = 6;
    conf->CelownikH = 4;
    conf->CelownikWmm = 1.5;
    conf->CelownikHmm = 2.0;
    Listener listener(*conf);
    auto fake = std::make_unique<FakeDialog>();
    fake->Script = [&](FakeDialog& d) {
      EXPECT_EQ(d.celW, 6);
      EXPECT_EQ(d.celH, 4);
      EXPECT_EQ(d.mmW, 1.5);
      EXPECT_EQ(d.mmH, 2.0);
      EXPECT_TRUE(d.degrees);
      EXPECT_TRUE(d.actPrio);
      c.user(d);
    };
    ASSERT_TRUE(konf.ShowDialog([&] { return std::move(fake); }));
    EXPECT_EQ(listener.Count, c.notifications) << c.what;
    EXPECT_EQ(conf->FullAngle, c.fullAngle) << c.what;
    EXPECT_EQ(conf->CelownikWmm, c.mmW) << c.what;
  }
  // Grads are shown as grads: confirming without a touch keeps them.
  TKrzyzConf conf;
  conf.FullAngle = 400.0;
  FakeDialog d;
  d.degrees = true;
  conf.ToDialog(d);
  EXPECT_FALSE(d.degrees);
  conf.FromDialog(d);
  EXPECT_EQ(conf.FullAngle, 400.0);
}

// A sight size typed beyond what a sight can be is held, as one read from
// the file is.
TEST_F(SettingsTest, CursorPageSightSizeIsHeldToItsRange) {
  TKrzyzConf conf;
  FakeDialog d;
  conf.ToDialog(d);
  d.celW = 2000000000;
  d.celH = -3;
  conf.FromDialog(d);
  EXPECT_EQ(conf.CelownikW, 10000);
  EXPECT_EQ(conf.CelownikH, 0);
}

TEST_F(SettingsTest, CoordinatesHaveExactlyTheConfiguredDecimals) {
  struct Case {
    std::int32_t decimals;
    long double value;
    const char* text;
  };
  const Case cases[] = {
      {2, 1234.5L, "1234.50"},
      {2, 5.0L, "5.00"},
      {2, 5501234.567L, "5501234.57"},
      {2, -12.125001L, "-12.13"},
      {2, -0.001L, "0.00"},
      {2, 0.0L, "0.00"},
      {0, 2.6L, "3"},
      {0, 1234.4L, "1234"},
      {0, -7.6L, "-8"},
      {0, -0.4L, "0"},
      {3, 0.1L, "0.100"},
      {-2, 2.6L, "3"},
      {2, 1e20L, "100000000000000000000.00"},
  };
  for (const Case& c : cases) {
    TKrzyzConf conf;
    conf.Decimals = c.decimals;
    std::string text = "stare";
    conf.FormatCoord(c.value, text);
    EXPECT_EQ(text, c.text) << c.decimals << " " << static_cast<double>(c.value);
    EXPECT_EQ(conf.FormatCoord(c.value), c.text);
  }
  // A number of decimals no text needs is held, not allocated.
  TKrzyzConf conf;
  conf.Decimals = 2000000000;
  EXPECT_EQ(conf.FormatCoord(1.5L), "1.50000000000000000000");
}

TEST_F(SettingsTest, AnglesInDegreesOrGradsToHundredths) {
  struct Case {
    double fullAngle;
    long double angle;
    const char* text;
  };
  const Case cases[] = {
      {360.0, kPi / 2, "90"},
      {400.0, kPi / 2, "100"},
      {360.0, kPi, "180"},
      {400.0, kPi, "200"},
      {360.0, 1.0L, "57.3"},
      {400.0, 1.0L, "63.66"},
      {360.0, -kPi / 4, "-45"},
      {400.0, 0.0L, "0"},
      {360.0, 0.1L, "5.73"},
      {360.0, 2 * kPi + 0.0001L, "360.01"},
  };
  for (const Case& c : cases) {
    TKrzyzConf conf;
    conf.FullAngle = c.fullAngle;
    std::string text;
    conf.FormatAngle(c.angle, text);
    EXPECT_EQ(text, c.text) << c.fullAngle << " " << static_cast<double>(c.angle);
    EXPECT_EQ(conf.FormatAngle(c.angle), c.text);
  }
  // An angle beyond what the rounding takes is written, not refused.
  TKrzyzConf conf;
  EXPECT_NO_THROW(conf.FormatAngle(1e30L));
  EXPECT_NO_THROW(conf.FormatAngle(std::nanl("")));
}

TEST_F(SettingsTest, KrzyzConfRegistersOnceWithTheGlobalConfiguration) {
  const std::string name = IniWith({{"Krzyz", "CelownikW", "12"}});
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(name));
  TKrzyzConf& conf = KrzyzConf();
  EXPECT_EQ(&KrzyzConf(), &conf);
  EXPECT_EQ(GlobalnaKonfiguracja().FindGroup<TKrzyzConf>(), &conf);
  EXPECT_EQ(conf.CelownikW, 12);
  EXPECT_EQ(conf.Read_, 1);
  conf.CelownikH = 3;
  FreeGlobalnaKonfiguracja();
  platform::TIniFile ini(name);
  EXPECT_EQ(ini.ReadInteger("Krzyz", "CelownikH", 0), 3);
}

// ---------------------------------------------------------------- signal

// Waits until the counters have stood still for a while: beep threads of
// earlier calls have ended.
void SettleSound() {
  int tones = platform::ToneRequests();
  int waves = platform::WaveRequests();
  for (int quiet = 0, i = 0; quiet < 5 && i < 400; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int t = platform::ToneRequests();
    const int w = platform::WaveRequests();
    quiet = t == tones && w == waves ? quiet + 1 : 0;
    tones = t;
    waves = w;
  }
}

// Waits (bounded) until the tone counter reaches Count.
bool WaitForTones(int Count) {
  for (int i = 0; i < 500; ++i) {
    if (platform::ToneRequests() >= Count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST_F(SettingsTest, SignalGoesToTheSpeakerOrTheWaveFileOrNowhere) {
  struct Case {
    const char* what;
    bool signal;
    bool speaker;
    std::uint8_t kind;
    int tones;
    int waves;
  };
  // The test program's folder has no "Blad.wav" nor "OK.wav": a signal that
  // asks for the file falls back to the tone.
  const Case cases[] = {
      {"signal off", false, true, kSignalOk, 0, 0},
      {"signal off, files", false, false, kSignalError, 0, 0},
      {"speaker, error", true, true, kSignalError, 1, 0},
      {"speaker, OK", true, true, kSignalOk, 1, 0},
      {"missing OK.wav", true, false, kSignalOk, 1, 1},
      {"missing Blad.wav", true, false, kSignalError, 1, 1},
      {"high bit ignored", true, true, 0x81, 1, 0},
      {"a kind without a tone", true, true, 2, 0, 0},
      {"a kind without a file", true, false, 0x7F, 0, 0},
  };
  for (const Case& c : cases) {
    SettleSound();
    const int tones = platform::ToneRequests();
    const int waves = platform::WaveRequests();
    TKrzyzConf conf;
    conf.Signal = c.signal;
    conf.Speaker = c.speaker;
    PlaySignal(conf, c.kind);
    // The wave file is asked for on the caller's thread, the tone on a beep
    // thread of its own.
    EXPECT_EQ(platform::WaveRequests() - waves, c.waves) << c.what;
    if (c.tones > 0) {
      EXPECT_TRUE(WaitForTones(tones + c.tones)) << c.what;
    }
    SettleSound();
    EXPECT_EQ(platform::ToneRequests() - tones, c.tones) << c.what;
  }
}

TEST_F(SettingsTest, EveryQuickBeepIsPlayed) {
  SettleSound();
  const int tones = platform::ToneRequests();
  for (int i = 0; i < 8; ++i) StartBeep(200 + 100 * i, 1 + i);
  EXPECT_TRUE(WaitForTones(tones + 8));
}

// ---------------------------------------------------------------- view

platform::TGdiRect WorkArea() {
  platform::EnsureApplication();
  return platform::ScreenWorkArea();
}

TEST_F(SettingsTest, ViewGroupReadsOknoAndInne) {
  const platform::TGdiRect area = WorkArea();
  const std::int32_t fitX = area.Width() - 1;
  const std::int32_t fitY = area.Height() - 1;
  struct Case {
    const char* what;
    std::initializer_list<std::array<const char*, 3>> keys;
    std::int32_t x, y;
    bool autoSize;
    std::uint32_t colour;
    std::int32_t refresh;
    const char* lastBase;
    std::int32_t autoSave;
    bool area;
  };
  const Case cases[] = {
      {"a fresh profile", {}, fitX, fitY, true, clWindow, 250, "", 5 * 60000, false},
      {"every key",
       {{"Okno", "KolorTla", "00FF80"},
        {"Okno", "RozmiarX", "800"},
        {"Okno", "RozmiarY", "600"},
        {"Okno", "Poprzednio otwarte", "Gmina Zła"},
        {"Okno", "Interwal odswierzania", "100"},
        {"Inne", "Interwał automatycznego zachowywania", "7"},
        {"Inne", "Pomiar powierzchni - aktywna", "1"}},
       800, 600, false, 0x00FF80, 100, "Gmina Zła", 7 * 60000, true},
      {"the window colour written out", {{"Okno", "KolorTla", "80000005"}}, fitX, fitY, true, clWindow, 250, "",
       300000, false},
      {"sizes 0 after a save with the work area",
       {{"Okno", "RozmiarX", "0"}, {"Okno", "RozmiarY", "0"}}, fitX, fitY, true, clWindow, 250, "", 300000, false},
      {"values no setting can have",
       {{"Okno", "KolorTla", "zielony"},
        {"Okno", "RozmiarX", "800"},
        {"Okno", "RozmiarY", "0"},
        {"Okno", "Interwal odswierzania", "0"},
        {"Inne", "Interwał automatycznego zachowywania", "99999999"}},
       fitX, fitY, true, clWindow, 250, "", 35791 * 60000, false},
      {"negative",
       {{"Okno", "RozmiarX", "-800"}, {"Okno", "RozmiarY", "600"}, {"Okno", "Interwal odswierzania", "-5"},
        {"Inne", "Interwał automatycznego zachowywania", "-3"}},
       fitX, fitY, true, clWindow, 250, "", 0, false},
      {"too large an image", {{"Okno", "RozmiarX", "100000"}, {"Okno", "RozmiarY", "600"}}, fitX, fitY, true,
       clWindow, 250, "", 300000, false},
  };
  for (const Case& c : cases) {
    platform::TIniFile ini(IniWith(c.keys));
    TTvViewCfg conf;
    conf.Read(ini);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(conf.RozmiarX, c.x);
    EXPECT_EQ(conf.RozmiarY, c.y);
    EXPECT_EQ(conf.AutoSize, c.autoSize);
    EXPECT_EQ(conf.KolorTla, c.colour);
    EXPECT_EQ(conf.RefreshInterval, c.refresh);
    EXPECT_EQ(conf.LastBase, c.lastBase);
    EXPECT_EQ(conf.AutoSaveInterval, c.autoSave);
    EXPECT_EQ(conf.AreaOnActive, c.area);
  }
}

TEST_F(SettingsTest, ViewGroupWritesOknoAndInne) {
  struct Case {
    bool autoSize;
    std::uint32_t colour;
    const char* okno;
  };
  const Case cases[] = {
      // With the work area the sizes are written as 0, so that the next start
      // fits the work area again.
      {true, clWindow,
       "KolorTla=80000005\r\nInterwal odswierzania=100\r\nPoprzednio otwarte=Gmina \xa3\xf3\x64\x9f\r\n"
       "RozmiarX=0\r\nRozmiarY=0\r\n"},
      {false, 0x0000FF,
       "KolorTla=0000FF\r\nInterwal odswierzania=100\r\nPoprzednio otwarte=Gmina \xa3\xf3\x64\x9f\r\n"
       "RozmiarX=1024\r\nRozmiarY=700\r\n"},
  };
  for (const Case& c : cases) {
    const std::string name = folder / (c.autoSize ? "auto.ini" : "own.ini");
    TTvViewCfg conf;
    conf.RozmiarX = 1024;
    conf.RozmiarY = 700;
    conf.AutoSize = c.autoSize;
    conf.KolorTla = c.colour;
    conf.RefreshInterval = 100;
    conf.LastBase = "Gmina Łódź";
    conf.AutoSaveInterval = 7 * 60000 + 59999;  // whole minutes are written
    conf.AreaOnActive = true;
    {
      platform::TIniFile ini(name);
      conf.Write(ini);
      ini.UpdateFile();
    }
    EXPECT_EQ(ScratchFolder::Get(name), std::string("[Okno]\r\n") + c.okno +
                                            "\r\n[Inne]\r\nInterwa\xb3 automatycznego zachowywania=7\r\n"
                                            "Pomiar powierzchni - aktywna=1\r\n");
  }
}

// A base name the file cannot hold costs only that key.
TEST_F(SettingsTest, ViewGroupUnwritableBaseNameDoesNotStopTheOtherKeys) {
  platform::TIniFile ini(folder / "tolvika.ini");
  TTvViewCfg conf;
  conf.RozmiarX = 640;
  conf.RozmiarY = 480;
  conf.LastBase = "dwie\nlinie";
  conf.AreaOnActive = true;
  EXPECT_THROW(conf.Write(ini), platform::EIniFileError);
  EXPECT_EQ(ini.ReadInteger("Okno", "RozmiarY", 0), 480);
  EXPECT_TRUE(ini.ReadBool("Inne", "Pomiar powierzchni - aktywna", false));
  EXPECT_FALSE(ini.ValueExists("Okno", "Poprzednio otwarte"));
}

TEST_F(SettingsTest, ViewPageIsFilledAndTakenBack) {
  TKonfiguracja konf;
  TTvViewCfg* conf = konf.GetGroup(std::make_unique<TTvViewCfg>());
  conf->RozmiarX = 1024;
  conf->RozmiarY = 700;
  conf->KolorTla = clWindow;
  conf->AutoSaveInterval = 5 * 60000;
  Listener listener(*conf);
  auto fake = std::make_unique<FakeDialog>();
  fake->Script = [](FakeDialog& d) {
    EXPECT_EQ(d.sizeX, "1024");
    EXPECT_EQ(d.sizeY, "700");
    EXPECT_FALSE(d.sizeDefault);
    EXPECT_TRUE(d.colorDefault);
    EXPECT_EQ(d.color, platform::SystemColor(platform::kSysColorWindow));
    EXPECT_EQ(d.minutes, 5);
    EXPECT_FALSE(d.area);
    d.sizeX = " 1280";  // the masked edits pad with blanks
    d.sizeY = "960  ";
    d.colorDefault = false;
    d.color = 0x102030;
    d.minutes = 7;
    d.area = true;
  };
  ASSERT_TRUE(konf.ShowDialog([&] { return std::move(fake); }));
  EXPECT_EQ(conf->RozmiarX, 1280);
  EXPECT_EQ(conf->RozmiarY, 960);
  EXPECT_FALSE(conf->AutoSize);
  EXPECT_EQ(conf->KolorTla, 0x102030u);
  EXPECT_EQ(conf->AutoSaveInterval, 7 * 60000);
  EXPECT_TRUE(conf->AreaOnActive);
  EXPECT_EQ(listener.Count, 1);

  // Both defaults: the work area and the window colour, the size texts not
  // looked at.
  FakeDialog d;
  conf->ToDialog(d);
  d.sizeDefault = true;
  d.sizeX = "";
  d.colorDefault = true;
  conf->FromDialog(d);
  const platform::TGdiRect area = WorkArea();
  EXPECT_EQ(conf->RozmiarX, area.Width() - 1);
  EXPECT_EQ(conf->RozmiarY, area.Height() - 1);
  EXPECT_TRUE(conf->AutoSize);
  EXPECT_EQ(conf->KolorTla, clWindow);
  EXPECT_EQ(listener.Count, 2);
}

// A size that is not a number used to leave the group half changed: now
// nothing changes and nobody is told.
TEST_F(SettingsTest, ViewPageSizeThatIsNotANumberChangesNothing) {
  struct Case {
    const char* x;
    const char* y;
  };
  const Case cases[] = {{"abc", "600"}, {"800", "     "}, {"800", "6 0"}, {"", "600"}, {"99999999999", "600"}};
  for (const Case& c : cases) {
    TTvViewCfg conf;
    conf.RozmiarX = 1024;
    conf.RozmiarY = 700;
    conf.AutoSize = true;
    conf.KolorTla = clWindow;
    conf.AutoSaveInterval = 300000;
    Listener listener(conf);
    FakeDialog d;
    conf.ToDialog(d);
    d.sizeDefault = false;
    d.sizeX = c.x;
    d.sizeY = c.y;
    d.colorDefault = false;
    d.color = 0xFF;
    d.minutes = 9;
    d.area = true;
    try {
      conf.FromDialog(d);
      ADD_FAILURE() << "no error for " << c.x << " x " << c.y;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Błąd konwersji", 0), 0u) << e.what();
    }
    EXPECT_EQ(conf.RozmiarX, 1024) << c.x << " x " << c.y;
    EXPECT_EQ(conf.RozmiarY, 700);
    EXPECT_TRUE(conf.AutoSize);
    EXPECT_EQ(conf.KolorTla, clWindow);
    EXPECT_EQ(conf.AutoSaveInterval, 300000);
    EXPECT_FALSE(conf.AreaOnActive);
    EXPECT_EQ(listener.Count, 0);
  }
}

TEST_F(SettingsTest, ColourValuesResolveSystemColoursOnly) {
  EXPECT_EQ(ColorToRGB(clWindow), platform::SystemColor(platform::kSysColorWindow));
  EXPECT_EQ(ColorToRGB(0x00123456), 0x00123456u);
  EXPECT_EQ(ColorToRGB(0x80000063), 0u);  // a system colour the palette has not
}

TEST_F(SettingsTest, TvViewCfgRegistersOnceAndSavesLastBase) {
  const std::string name = IniWith({{"Okno", "KolorTla", "FF"}});
  SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(name));
  TTvViewCfg& conf = TvViewCfgCreate();
  EXPECT_EQ(&TvViewCfgCreate(), &conf);
  EXPECT_EQ(&TvViewCfg(), &conf);
  EXPECT_EQ(conf.KolorTla, 0xFFu);
  EXPECT_EQ(TvViewCfgKolorTla(), 0xFFu);
  conf.KolorTla = clWindow;
  EXPECT_EQ(TvViewCfgKolorTla(), platform::SystemColor(platform::kSysColorWindow));
  conf.LastBase = "Obręb 3";
  FreeGlobalnaKonfiguracja();
  platform::TIniFile ini(name);
  EXPECT_EQ(ini.ReadString("Okno", "Poprzednio otwarte", ""), "Obręb 3");
  EXPECT_EQ(ini.ReadString("Okno", "KolorTla", ""), "80000005");
}

// Saving both groups at the end when the disk refuses (the write of the new
// file, or its rename over the old one): the user is told once, and the
// settings file keeps what it held.
TEST_F(SettingsTest, FailedSaveLeavesTheSettingsFileAsItWas) {
  struct Case {
    const char* what;
    platform::FaultPlan fault;
  };
  const Case cases[] = {
      {"write", {platform::FaultOp::Write, 1, true, ""}},
      {"flush", {platform::FaultOp::Flush, 1, true, ""}},
      {"rename", {platform::FaultOp::Rename, 1, true, ""}},
  };
  for (const Case& c : cases) {
    const std::string name = IniWith({{"Okno", "RozmiarX", "800"}, {"Krzyz", "CelownikW", "7"}});
    const std::string before = ScratchFolder::Get(name);
    std::vector<std::string> boxes;
    SetSettingsMessageBox([&](const std::string& Text, const std::string&) { boxes.push_back(Text); });
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(name));
    TvViewCfg().RozmiarX = 1024;
    TvViewCfg().RozmiarY = 700;
    KrzyzConf().CelownikW = 9;
    {
      platform::FaultScope fault(c.fault);
      FreeGlobalnaKonfiguracja();
      EXPECT_TRUE(platform::FaultStruck()) << c.what;
    }
    SetSettingsMessageBox(nullptr);
    EXPECT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_EQ(ScratchFolder::Get(name), before) << c.what;
    // Nothing of the failed save is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << c.what;
  }
}

}  // namespace
