#include "platform/files/paths.h"

#include <stdlib.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::ResolvePath;

TEST(PathsTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(platform::NormalizeSeparators("C:\\baza\\punkty.dat"), "C:/baza/punkty.dat");
  EXPECT_EQ(platform::NormalizeSeparators("a/b\\c"), "a/b/c");
}

class ResolvePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "Baza/Działki");
    dir_.Put("Baza/Działki/Punkty.DAT", "x");
  }
  ScratchFolder dir_;
};

TEST_F(ResolvePathTest, FindsEveryComponentWhateverItsCase) {
  std::string real = dir_ / "Baza/Działki/Punkty.DAT";
  EXPECT_EQ(ResolvePath(dir_ / "baza\\DZIAŁKI\\punkty.dat"), real);
  EXPECT_EQ(ResolvePath(dir_ / "BAZA/działki/PUNKTY.DAT"), real);
  EXPECT_EQ(ResolvePath(dir_ / "Baza//Działki/Punkty.DAT"), real);
  EXPECT_EQ(ResolvePath(dir_ / "Baza/Działki/"), dir_ / "Baza/Działki");
}

TEST_F(ResolvePathTest, KeepsTheMissingTailAsWrittenForFilesToBeCreated) {
  EXPECT_EQ(ResolvePath(dir_ / "baza\\działki\\Nowy.dat"), dir_ / "Baza/Działki/Nowy.dat");
  EXPECT_EQ(ResolvePath(dir_ / "brak/Baza/x"), dir_ / "brak/Baza/x");
}

TEST_F(ResolvePathTest, PrefersTheExactNameWhenSeveralCasesExist) {
  dir_.Put("Baza/Działki/punkty.dat", "y");
  EXPECT_EQ(ResolvePath(dir_ / "baza/działki/punkty.dat"), dir_ / "Baza/Działki/punkty.dat");
  EXPECT_EQ(ResolvePath(dir_ / "baza/działki/Punkty.DAT"), dir_ / "Baza/Działki/Punkty.DAT");
  // Neither spelling exact: the ordinal first of the two.
  EXPECT_EQ(ResolvePath(dir_ / "baza/działki/PUNKTY.DAT"), dir_ / "Baza/Działki/Punkty.DAT");
}

TEST_F(ResolvePathTest, ResolvesRelativeNames) {
  fs::path saved = fs::current_path();
  fs::current_path(dir_.Path());
  EXPECT_EQ(ResolvePath("baza\\działki\\punkty.dat"), "Baza/Działki/Punkty.DAT");
  EXPECT_EQ(ResolvePath(".\\BAZA"), "./Baza");
  fs::current_path(saved);
  EXPECT_EQ(ResolvePath(""), "");
}

TEST(PathsTest, SplitsNames) {
  struct Case {
    const char* path;
    const char* name;
    const char* dir;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\baza\\punkty.dat", "punkty.dat", "C:\\baza", ".dat"},
      {"a/b/c.tar.gz", "c.tar.gz", "a/b", ".gz"},
      {"/plik", "plik", "/", ""},
      {"plik", "plik", "", ""},
      {"katalog/", "", "katalog", ""},
      {"a.b/plik", "plik", "a.b", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(platform::ExtractFileName(c.path), c.name);
    EXPECT_EQ(platform::ExtractFileDir(c.path), c.dir);
    EXPECT_EQ(platform::ExtractFileExt(c.path), c.ext);
  }
}

TEST(PathsTest, JoinsWithOneSeparator) {
  EXPECT_EQ(platform::JoinPath("a", "b"), "a/b");
  EXPECT_EQ(platform::JoinPath("a/", "b"), "a/b");
  EXPECT_EQ(platform::JoinPath("a\\", "b"), "a\\b");
  EXPECT_EQ(platform::JoinPath("", "b"), "b");
  EXPECT_EQ(platform::JoinPath("a", "/b"), "/b");
}

TEST(PathsTest, TempFolderFollowsTmpdir) {
  const char* old = std::getenv("TMPDIR");
  std::string saved = old != nullptr ? old : "";
  ::setenv("TMPDIR", "/var/tmp/x", 1);
  EXPECT_EQ(platform::TempFolder(), "/var/tmp/x");
  ::setenv("TMPDIR", "", 1);
  EXPECT_EQ(platform::TempFolder(), "/tmp");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(platform::TempFolder(), "/tmp");
  if (old != nullptr) ::setenv("TMPDIR", saved.c_str(), 1);
}

}  // namespace
