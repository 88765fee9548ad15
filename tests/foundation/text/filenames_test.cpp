#include "foundation/text/filenames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "foundation/errors.h"
#include "platform/files/files.h"
#include "platform/files/paths.h"
#include "common/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class TempNames : public ::testing::Test {
 protected:
  std::string Prefix(const std::string& name) const { return scratch_ / name; }
  void Touch(const std::string& path) const {
    platform::File f;
    ASSERT_TRUE(f.Open(path, platform::FileAccess::Write, platform::FileShare::DenyNone,
                       platform::FileCreation::CreateNew))
        << path;
  }

  ScratchFolder scratch_;
};

}  // namespace

TEST_F(TempNames, NameFillsEightCharactersAndIsNotCreated) {
  const std::string name = MakeTempFileName(Prefix("abc"), ".tmp");
  EXPECT_TRUE(std::regex_match(platform::ExtractFileName(name), std::regex("abc[0-9]{1,5}\\.tmp")))
      << name;
  EXPECT_EQ(platform::ExtractFileDir(name), scratch_.Path());
  EXPECT_FALSE(fs::exists(name));
}

TEST_F(TempNames, PrefixWithoutFolderGoesToTempFolder) {
  const std::string name = MakeTempFileName("tvx", ".$$$");
  EXPECT_TRUE(fs::equivalent(platform::ExtractFileDir(name), platform::TempFolder())) << name;
  EXPECT_EQ(platform::ExtractFileExt(name), ".$$$");
}

// With a name part of 8 characters the only candidate is number 0; when that
// file existed the search repeated forever. Now it raises an error.
TEST_F(TempNames, MakeTempFileNameLongNameTakenRaisesInsteadOfLooping) {
  EXPECT_EQ(MakeTempFileName(Prefix("ABCDEFGH"), ".tmp"), Prefix("ABCDEFGH0.tmp"));
  EXPECT_EQ(MakeTempFileName(Prefix("ABCDEFGHIJ"), ".tmp"), Prefix("ABCDEFGHIJ0.tmp"));
  Touch(Prefix("ABCDEFGH0.tmp"));
  EXPECT_THROW(MakeTempFileName(Prefix("ABCDEFGH"), ".tmp"), EInOutError);
}

// Every candidate is tried once, so the single free one of a small range is
// always found, and a full range ends in an error rather than a loop.
TEST_F(TempNames, MakeTempFileNameTriesEachCandidateOnce) {
  for (int n = 0; n < 100; ++n) {
    if (n != 37) Touch(Prefix("ABCDEF" + std::to_string(n) + ".x"));
  }
  EXPECT_EQ(MakeTempFileName(Prefix("ABCDEF"), ".x"), Prefix("ABCDEF37.x"));
  fs::create_directory(Prefix("ABCDEF37.x"));  // a folder of that name counts as taken
  try {
    MakeTempFileName(Prefix("ABCDEF"), ".x");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "Nie można utworzyć nazwy pliku tymczasowego: " + Prefix("ABCDEF") + "*.x");
  }
}

TEST_F(TempNames, MakeTempFileNameInCreatesDistinctEmptyFiles) {
  const std::string a = MakeTempFileNameIn("tvk");
  const std::string b = MakeTempFileNameIn("tvk");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(fs::equivalent(platform::ExtractFileDir(a), platform::TempFolder())) << a;
  EXPECT_EQ(platform::ExtractFileName(a).rfind("tvk", 0), 0u);
  EXPECT_EQ(platform::FileSizeByName(a), 0);
  platform::DeleteFile(a);
  platform::DeleteFile(b);
}

TEST(OldLayerNames, StripOldLayerFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"DROGI---.X", "DROGI"},  {"drogi---.x", "DROGI"}, {"BUDYNKI1.W", "BUDYNKI1"},
      {"rzeki.w", "RZEKI"},     {"AB-C.D", "AB-C"},      {"ŁĄKI----.ż", "ŁĄKI"},
      {"łąki.X", "łąKI"},       {"abc", "AB"},           {"", ""},
      {".", ""},                {"---.-", ""},
  };
  for (const auto& [file, layer] : cases) {
    EXPECT_EQ(OldLayerFileToName(file), layer) << file;
    std::string s = file;
    StripOldLayerFileName(s);
    EXPECT_EQ(s, layer) << file;
  }
}
