// The example set builder (tools/mkexamples), run as a program into scratch
// folders: the set opens through the layer-file interface as the program's
// "baza.ini" describes it, every live record of every layer reads back into
// an object of its class with its symbol and line style found in the set's
// libraries, the definition files load through the engine's own loaders as
// "tolvika.ini" names them, and the output is the same on every run.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/strokefont.h"
#include "foundation/text/datetime.h"
#include "foundation/settings/settings.h"
#include "layers/store/dberrors.h"
#include "layers/store/layerapi.h"
#include "objects/grobj.h"
#include "objects/layerobjects.h"
#include "objects/libcfg.h"
#include "objects/linear.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "objects/styledlines.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "platform/files/codepage.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"
#include "common/layer_classes.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
  int exitCode = -1;  // -1: did not end normally
  std::string errors;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs mkexamples FOLDER; its standard error is kept.
TRun RunBuilder(const std::string& folder, const std::string& errors) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) ::_exit(126);
    ::dup2(fd, 2);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 1);
    ::execl(TOLVIKA_MKEXAMPLES, TOLVIKA_MKEXAMPLES, folder.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  TRun run;
  if (pid < 0) return run;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(300);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      run.errors = ReadAll(errors);
      return run;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.errors = ReadAll(errors);
  return run;
}

// Every file under folder with its bytes, by relative path.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files[fs::relative(e.path(), folder).string()] = ReadAll(e.path());
  return files;
}

// The current folder changed for a scope, as the program runs inside the set.
class InFolder {
public:
  explicit InFolder(const std::string& folder) : saved_(fs::current_path()) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(saved_); }

private:
  fs::path saved_;
};

// One set built for the whole suite, in "set" of a scratch folder that also
// holds a settings file of the user's before the build.
class ExampleSet : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    folder_ = new ScratchFolder;
    fs::create_directories(*folder_ / "set");
    folder_->Put("set/tolvika.ini", "[Wyswietlanie]\r\nKroj=2\r\n[Files]\r\nGeneratory=k1g.gen\r\n");
    run_ = new TRun(RunBuilder(*folder_ / "set", *folder_ / "errors.txt"));
  }
  static void TearDownTestSuite() {
    delete run_;
    delete folder_;
  }
  void SetUp() override {
    ASSERT_EQ(run_->exitCode, 0) << run_->errors;
    SetDefaultLayerLockWait(nullptr);
  }
  static std::string Set() { return *folder_ / "set"; }

  static ScratchFolder* folder_;
  static TRun* run_;
};
ScratchFolder* ExampleSet::folder_ = nullptr;
TRun* ExampleSet::run_ = nullptr;

// The libraries and settings of the program bound to the set's settings
// file, as the program sets them up on that profile; released afterwards.
class ProgramLibraries {
public:
  ProgramLibraries() {
    SetLibraryErrorBox([this](const std::string& text) { Errors.push_back(text); });
    SetSettingsMessageBox([this](const std::string& text, const std::string&) { Errors.push_back(text); });
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>("tolvika.ini"));
    FontManager().SetFolder(fs::current_path().string());
    RegisterLayerObjectClasses();
  }
  ~ProgramLibraries() {
    UnregisterLayerObjectClasses();
    FontManager().SetFolder("");
    ReleaseSymbolManager();
    ReleaseLineManager();
    FreeGlobalnaKonfiguracja();
    SetSettingsMessageBox(nullptr);
    SetLibraryErrorBox(nullptr);
  }
  std::vector<std::string> Errors;
};

}  // namespace

TEST_F(ExampleSet, SettingsNameTheSetsLibrariesAndKeepTheUsersOtherKeys) {
  platform::TIniFile ini(Set() + "/tolvika.ini");
  EXPECT_EQ(ini.ReadString("Files", "SymbolDefs", ""), ".\\nk1.sym");
  EXPECT_EQ(ini.ReadString("Files", "LineDefs", ""), ".\\nk1l.lin");
  EXPECT_EQ(ini.ReadString("Files", "Generatory", ""), "k1g.gen");
  EXPECT_EQ(ini.ReadInteger("Wyswietlanie", "Kroj", 0), 2);
  EXPECT_FALSE(fs::exists(Set() + "/.mkexamples.tmp"));
}

TEST_F(ExampleSet, DefinitionFilesLoadThroughTheEnginesLoaders) {
  InFolder in(Set());
  ProgramLibraries libs;
  // The names as the program's settings group reads them.
  EXPECT_EQ(SymbolDefsFileName(), ".\\nk1.sym");
  EXPECT_EQ(LineDefsFileName(), ".\\nk1l.lin");
  const TSymbolManager& symbols = SymbolManager();
  for (const char* name : {"DRZEWO", "DRZEWO_IGL", "SLUP", "HYDRANT", "STUDNIA", "PKT_OSN", "KAPLICZKA"})
    EXPECT_NE(symbols.FindByName(name), nullptr) << name;
  EXPECT_EQ(symbols.Symbols.size(), 7u);
  const TLineManager& styles = LineManager();
  for (std::uint16_t n = 20; n <= 25; ++n) EXPECT_NE(styles.GetLine(n), nullptr) << n;
  EXPECT_NE(styles.GetLine(21)->Variant500, nullptr);
  // Both stroke fonts, and a glyph for every letter the map's texts use.
  for (bool second : {false, true}) {
    const TStrokeFontChoice font{0, second};
    EXPECT_NO_THROW(FontManager().EnsureFont(font));
    EXPECT_GT(FontManager().TextExtent(font, "Żółć 123/4").X, 0);
  }
  const TStrokeFont litt(0, "litt.ch1");
  for (unsigned char c : platform::Utf8ToCp1250("AZaz09.,-/()ĄĆĘŁŃÓŚŹŻąćęłńóśźż"))
    EXPECT_GT(litt.GetChar(c).PartCount, 0) << static_cast<int>(c);
  EXPECT_TRUE(libs.Errors.empty()) << libs.Errors.front();
}

TEST_F(ExampleSet, OpensThroughTheLayerInterfaceAndEveryRecordReadsBack) {
  InFolder in(Set());
  ProgramLibraries libs;
  const TSymbolManager& symbols = SymbolManager();
  const TStrokeFont litt(0, "litt.ch1");

  TLayerStore store("baza.ini");
  TBazaDat dat;
  ASSERT_EQ(DBInt::InitBases(store, dat), kDBOk);
  EXPECT_EQ(dat.Name, "Przyklad");
  EXPECT_EQ(dat.Caption, "Obręb 0012 Nowa Wieś (przykład)");
  EXPECT_EQ(DBInt::ReloadBases(store, dat), kDBEnd);
  TBaza* baza = DBInt::OpenBase(store, 0, "Przyklad");

  struct Layer {
    TWarstwaFile* File;
    std::string Name, Catalogue;
    int Kind, Number;
  };
  std::vector<Layer> layers;
  TAllWarstwaHeader e;
  for (int r = DBInt::GetWarstwyList(store, e, baza); r == kDBOk; r = DBInt::GetWzorceList(store, e, baza)) {
    ASSERT_NE(e.File, nullptr) << "an empty catalogue " << e.CatalogueName;
    layers.push_back({e.File, e.Name, e.CatalogueName, e.Kind, e.LayerNumber});
    std::string symbolFile;
    store.OpenSymbols(e.Directory, symbolFile);
    EXPECT_EQ(symbolFile, ".\\nk1.sym");
  }
  // Catalogue 1 in the folder's order, catalogue 2 by its masks: line
  // layers, then text layers; the numbers from each "baza.cnf".
  std::map<std::string, std::pair<std::string, int>> byName;
  for (const Layer& l : layers) byName[l.Name] = {l.Catalogue, l.Number};
  const std::map<std::string, std::pair<std::string, int>> expected = {
      {"DZIALKI", {"Ewidencja", 1}}, {"BUDYNKI", {"Ewidencja", 2}}, {"PUNKTY", {"Ewidencja", 3}},
      {"NUMERY", {"Ewidencja", 4}},  {"DROGI", {"Sytuacja", 11}},   {"SYTUACJA", {"Sytuacja", 12}},
      {"UZBROJ", {"Sytuacja", 13}},  {"OPISY", {"Sytuacja", 14}},     {"GRANICE", {"Sytuacja", 15}}};
  EXPECT_EQ(byName, expected);
  ASSERT_EQ(layers.size(), 9u);

  // The layer of the previous format reads through the same interface; it
  // is left to the conversion window, so the checks below are of the
  // current format's layers.
  const auto old = std::find_if(layers.begin(), layers.end(), [](const Layer& l) { return l.Name == "GRANICE"; });
  ASSERT_NE(old, layers.end());
  ASSERT_EQ(dynamic_cast<TNewTextLinWarstwaFile*>(old->File), nullptr);
  {
    ASSERT_EQ(DBInt::OpenWarstwa(store, old->File, true), kDBOk);
    ObjectSaveRecord rec;
    int oldLive = 0;
    for (int r = DBInt::ReadCurrent(store, old->File, rec); r == kDBOk; r = DBInt::ReadRecord(store, old->File, rec))
      ++oldLive;
    EXPECT_EQ(oldLive, 73);
    EXPECT_EQ(DBInt::CloseWarstwa(store, old->File), kDBOk);
    // An old file keeps no index: the rebuild does nothing and raises nothing.
    EXPECT_NO_THROW(DBInt::UpdateIndex(store, old->File, nullptr));
  }
  layers.erase(old);
  EXPECT_EQ(layers.back().Name, "OPISY");

  TPackedDateTime surveyDate = 0;
  PackDateTime(surveyDate, TDateTimeRec{2019, 5, 14, 9, 30, 0});
  std::map<TRecordClass, int> classes;
  std::size_t live = 0, archived = 0;
  for (const Layer& l : layers) {
    SCOPED_TRACE(l.Name);
    ASSERT_EQ(DBInt::OpenWarstwa(store, l.File, true), kDBOk);
    TMainWarstwaHeader h;
    store.ReadWarstwaHeader(l.File, h);
    EXPECT_FALSE(h.Description.empty());
    std::vector<int> expectedLive(h.Highest + 1);
    std::vector<float> newTextHeight(h.Highest + 1);
    for (int i = 0; i <= h.Highest; ++i) {
      TWarstwaHeader s;
      store.ReadPodwarstwaHeader(l.File, i, s);
      EXPECT_FALSE(s.ShortName.empty());
      if (l.Kind == 1) {
        EXPECT_NE(LineManager().GetLine(s.StyleNumber), nullptr) << s.StyleNumber;
      }
      expectedLive[i] = s.Live;
      newTextHeight[i] = s.SizeMultiplier;
      archived += static_cast<std::size_t>(s.Archived);
    }
    std::vector<int> seen(h.Highest + 1);
    ObjectSaveRecord rec;
    int count = 0;
    TTextSublayerState state;
    std::vector<std::uint32_t> numbers;
    // How many texts of each height every sublayer holds.
    std::vector<std::map<float, int>> heights(h.Highest + 1);
    for (int r = DBInt::ReadCurrent(store, l.File, rec); r == kDBOk; r = DBInt::ReadRecord(store, l.File, rec)) {
      ++count;
      numbers.push_back(rec.GetIndex());
      ASSERT_LE(rec.GetSublayer(), h.Highest);
      ++seen[rec.GetSublayer()];
      EXPECT_FALSE(rec.IsArchived());
      const TRealPoint p = l.Kind == 1 ? XY(rec.GetPoint1()) : rec.GetAnchor();
      EXPECT_TRUE(p.X >= 5601200 && p.X <= 5601920 && p.Y >= 5823500 && p.Y <= 5823980) << p.X << " " << p.Y;
      const TRecordClass c = l.Kind == 1 ? ChooseLineRecordClass(rec) : ChooseTextRecordClass(rec, state);
      ++classes[c];
      const std::unique_ptr<TEGraphObj> obj = CreateObjectFromRecord(c, rec);
      ASSERT_NE(obj, nullptr) << static_cast<int>(rec.GetKindByte());
      if (auto* text = dynamic_cast<TWysNapis*>(obj.get())) ++heights[rec.GetSublayer()][text->Height];
      auto* linear = dynamic_cast<TLiniowyObj*>(obj.get());
      TSpecStyle* style = linear != nullptr ? linear->GetSpecParams() : nullptr;
      if (auto* sym = dynamic_cast<TGrSymbol*>(obj.get())) {
        EXPECT_NE(sym->Symbol, nullptr) << sym->Text;
      } else if (style != nullptr && rec.GetStyleNumber() != 0) {
        EXPECT_NE(style->LineDef, nullptr) << rec.GetStyleNumber();
      } else if (l.Kind == 0) {
        for (unsigned char ch : platform::Utf8ToCp1250(rec.GetText())) {
          if (ch != ' ' && ch != 0) {
            EXPECT_GT(litt.GetChar(ch).PartCount, 0) << rec.GetText();
          }
        }
      }
    }
    EXPECT_EQ(seen, expectedLive);
    // A first new text of a text sublayer takes the sublayer's height: the
    // height most of its texts have, so that it reads like them on the map.
    for (int i = 0; l.Kind == 0 && i <= h.Highest; ++i) {
      if (heights[i].empty()) continue;  // symbols only
      const auto common = std::max_element(heights[i].begin(), heights[i].end(),
                                            [](const auto& a, const auto& b) { return a.second < b.second; });
      EXPECT_EQ(newTextHeight[i], common->first) << "sublayer " << i;
    }
    // The survey's user and date, the same whenever the set is built.
    for (std::uint32_t n : numbers) {
      TUserIDs ids;
      store.GetUserIDs(l.File, n, ids);
      EXPECT_EQ(ids.Creator, 1);
      EXPECT_EQ(ids.Created, surveyDate);
    }
    // The rectangle scan over the whole sheet finds the same records.
    int inSheet = 0;
    for (int r = DBInt::SeekFirst(store, l.File, TLayerRect{5601100, 5823400, 5602000, 5824100}, rec); r == kDBOk;
         r = DBInt::ReadNext(store, l.File, rec))
      ++inSheet;
    EXPECT_EQ(inSheet, count);
    live += static_cast<std::size_t>(count);
    EXPECT_EQ(DBInt::CloseWarstwa(store, l.File), kDBOk);
  }
  // Some thousands of objects of every kind, and the history of an update.
  EXPECT_GT(live, 5000u);
  EXPECT_GT(archived, 0u);
  for (TRecordClass c : {TRecordClass::Punkt, TRecordClass::DefSpecLinia, TRecordClass::LiniaSpecjalna,
                         TRecordClass::DefSpecLuk, TRecordClass::LukSpecjalny, TRecordClass::DefSpecOkrag,
                         TRecordClass::OkragSpecjalny, TRecordClass::WysKatNapis, TRecordClass::WysKatOdnNapis,
                         TRecordClass::LicznikMianownik, TRecordClass::WysKatSymbol})
    EXPECT_GT(classes[c], 0) << RecordClassName(c);
  EXPECT_EQ(DBInt::CloseBase(store, baza), kDBOk);
  EXPECT_TRUE(libs.Errors.empty()) << libs.Errors.front();
  (void)symbols;
}

// A second build gives the same bytes; a build into a folder that holds a
// set already is refused and changes nothing.
TEST_F(ExampleSet, SameBytesOnEveryRunAndNoSecondSetOverAFirst) {
  ScratchFolder other;
  fs::copy_file(*folder_ / "set/tolvika.ini", other / "tolvika.ini");
  const auto before = Snapshot(Set());
  ASSERT_EQ(RunBuilder(other.Path(), other / "errors.txt").exitCode, 0);
  fs::remove(other / "errors.txt");
  EXPECT_TRUE(Snapshot(other.Path()) == before);

  const TRun again = RunBuilder(Set(), *folder_ / "again.txt");
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.errors.find("already exists"), std::string::npos) << again.errors;
  EXPECT_TRUE(Snapshot(Set()) == before);
}
