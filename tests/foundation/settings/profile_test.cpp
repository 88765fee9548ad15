#include "foundation/settings/profile.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/scratch_folder.h"

namespace {

using Names = std::vector<std::string>;

struct ProfileCase {
  const char* title;
  Names folders;      // created under the program folder
  Names files;        // empty files created there
  std::string user;   // the login name
  int answer;         // what the profile window answers (-1: closed)
  std::string want;   // folder of the chosen profile, relative; "" for the bare names
  Names offered;      // names the window was shown with (empty: not shown)
  bool terminated;
};

class ProfileChoiceTest : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileChoiceTest, ChoosesTheProfileFolder) {
  const ProfileCase& c = GetParam();
  ScratchFolder program;
  for (const std::string& f : c.folders) std::filesystem::create_directories(program / f);
  for (const std::string& f : c.files) program.Put(f, "");

  Names offered;
  bool terminated = false;
  TProfileEnvironment env;
  env.ProgramFolder = program.Path();
  env.UseLoginName = false;
  env.UserName = c.user;
  env.PickProfile = [&](const Names& names) {
    offered = names;
    return c.answer;
  };
  env.Terminate = [&] { terminated = true; };

  TProfile profile = ChooseProfileIn(env);
  if (c.want.empty()) {
    EXPECT_EQ(profile.IniFile, "tolvika.ini");
    EXPECT_EQ(profile.BazaFile, "baza.ini");
  } else {
    EXPECT_EQ(profile.IniFile, program / c.want + "/tolvika.ini");
    EXPECT_EQ(profile.BazaFile, program / c.want + "/baza.ini");
  }
  EXPECT_EQ(offered, c.offered);
  EXPECT_EQ(terminated, c.terminated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileChoiceTest,
    ::testing::Values(
        ProfileCase{"NoUsersFolder", {"inne"}, {}, "jan", 0, "", {}, false},
        ProfileCase{"EmptyUsersFolder", {"users"}, {"users.txt"}, "jan", 0, "", {}, false},
        ProfileCase{"OwnFolder", {"users/anna", "users/jan"}, {}, "jan", 0, "users/jan", {}, false},
        ProfileCase{"OwnFolderInOtherCase", {"Users/Anna", "Users/JAN"}, {}, "jan", 0, "Users/JAN", {}, false},
        ProfileCase{"OnlyOtherFolder", {"users/anna"}, {"users/jan", "users/x.ini"}, "jan", 0, "users/anna", {}, false},
        ProfileCase{"SeveralPicked", {"users/anna", "users/piotr"}, {"users/x.ini"}, "jan", 1,
                    "users/piotr", {"anna", "piotr"}, false},
        ProfileCase{"SeveralCancelled", {"users/anna", "users/piotr"}, {}, "jan", -1, "",
                    {"anna", "piotr"}, true},
        ProfileCase{"EmptyUserNameDoesNotTakeTheUsersFolderItself", {"users/anna", "users/piotr"}, {}, "", 0,
                    "users/anna", {"anna", "piotr"}, false}),
    [](const ::testing::TestParamInfo<ProfileCase>& info) { return std::string(info.param.title); });

TEST(ChooseProfileTest, AnswerIsKeptAfterCancelAndForgottenByClear) {
  ScratchFolder program;
  std::filesystem::create_directories(program / "users/anna");
  std::filesystem::create_directories(program / "users/piotr");
  TProfileEnvironment saved = ProfileEnvironment();
  int shown = 0;
  int terminated = 0;
  ClearProfile();
  ProfileEnvironment().ProgramFolder = program.Path();
  ProfileEnvironment().UseLoginName = false;
  ProfileEnvironment().UserName = "jan";
  ProfileEnvironment().PickProfile = [&](const Names&) {
    ++shown;
    return -1;
  };
  ProfileEnvironment().Terminate = [&] { ++terminated; };

  EXPECT_EQ(ChooseProfile().IniFile, "tolvika.ini");
  EXPECT_EQ(ChooseProfile().BazaFile, "baza.ini");
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(terminated, 1);

  ClearProfile();
  ProfileEnvironment().PickProfile = [&](const Names&) { return 0; };
  EXPECT_EQ(ChooseProfile().IniFile, program / "users/anna/tolvika.ini");
  ClearProfile();
  ProfileEnvironment() = saved;
}

}  // namespace
