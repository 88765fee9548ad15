#include "foundation/settings/profilewnd.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/settings/profile.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"

namespace {

using namespace platform;
using Names = std::vector<std::string>;

constexpr char kCaption[] = "Profile użytkownika";

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

// A program folder with the given folders under it, and an environment that
// shows the real profile window (PickProfile unset) and records Terminate.
struct ProgramFixture {
  explicit ProgramFixture(const Names& folders, std::string user = "jan") {
    for (const std::string& f : folders) std::filesystem::create_directories(program / f);
    env.ProgramFolder = program.Path();
    env.UseLoginName = false;
    env.UserName = std::move(user);
    env.Terminate = [this] { ++terminated; };
  }
  ScratchFolder program;
  TProfileEnvironment env;
  int terminated = 0;
};

// Made in another order than the listing gives them.
const Names kThreeProfiles{"users/zofia", "users/anna", "users/piotr"};

TEST(ProfileWndTest, ListsTheProfilesInOrderWithTheFirstSelected) {
  ProgramFixture fx(kThreeProfiles);
  TScriptedResponder responder(Fail);
  responder.AnswerForm(
      [](TForm& form) {
        auto& wnd = dynamic_cast<TProfileWnd&>(form);
        EXPECT_EQ(wnd.BorderStyle(), TFormBorderStyle::Dialog);
        EXPECT_EQ(wnd.Position(), TPosition::ScreenCenter);
        EXPECT_EQ(wnd.Label1->Caption(), "Wybierz profil:");
        EXPECT_EQ(wnd.List->Items().ToVector(), (Names{"anna", "piotr", "zofia"}));
        EXPECT_EQ(wnd.List->ItemIndex(), 0);
        EXPECT_EQ(wnd.OKBtn->Caption(), "OK");
        EXPECT_EQ(wnd.CancelBtn->Caption(), "Anuluj");
        wnd.OKBtn->Click();
      },
      kCaption);
  TProfile profile = ChooseProfileIn(fx.env);
  EXPECT_EQ(profile.IniFile, fx.program / "users/anna/tolvika.ini");
  EXPECT_EQ(profile.BazaFile, fx.program / "users/anna/baza.ini");
  EXPECT_EQ(fx.terminated, 0);
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].caption, kCaption);
}

struct AnswerCase {
  const char* title;
  std::function<void(TProfileWnd& wnd)> answer;
  std::string want;  // folder of the chosen profile; "" for the bare names
  int terminated;
};

class ProfileWndAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ProfileWndAnswerTest, ChoosesOrEndsTheProgram) {
  const AnswerCase& c = GetParam();
  ProgramFixture fx(kThreeProfiles);
  TScriptedResponder responder(Fail);
  responder.AnswerForm([&](TForm& form) { c.answer(dynamic_cast<TProfileWnd&>(form)); }, kCaption);
  TProfile profile = ChooseProfileIn(fx.env);
  if (c.want.empty()) {
    EXPECT_EQ(profile.IniFile, "tolvika.ini");
    EXPECT_EQ(profile.BazaFile, "baza.ini");
  } else {
    EXPECT_EQ(profile.IniFile, fx.program / c.want + "/tolvika.ini");
    EXPECT_EQ(profile.BazaFile, fx.program / c.want + "/baza.ini");
  }
  EXPECT_EQ(fx.terminated, c.terminated);
  EXPECT_EQ(responder.Pending(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ProfileWndAnswerTest,
    ::testing::Values(
        AnswerCase{"SecondSelectedAndOk",
                   [](TProfileWnd& w) {
                     w.List->UserSelect(1);
                     w.OKBtn->Click();
                   },
                   "users/piotr", 0},
        AnswerCase{"EnterTakesTheSelected",
                   [](TProfileWnd& w) {
                     w.List->UserSelect(2);
                     w.List->SendKey(VK_RETURN);
                   },
                   "users/zofia", 0},
        AnswerCase{"CancelButton", [](TProfileWnd& w) { w.CancelBtn->Click(); }, "", 1},
        AnswerCase{"Escape", [](TProfileWnd& w) { w.List->SendKey(VK_ESCAPE); }, "", 1},
        AnswerCase{"CloseBox",
                   [](TProfileWnd& w) {
                     w.List->UserSelect(1);
                     w.Close();
                   },
                   "", 1}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.title); });

// OK with nothing selected named no profile at all; the window now stays
// open until a profile is selected.
TEST(ProfileWndTest, OkWithNothingSelectedDoesNotCloseTheWindow) {
  ProgramFixture fx(kThreeProfiles);
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& wnd = dynamic_cast<TProfileWnd&>(form);
    wnd.List->SetItemIndex(-1);
    wnd.OKBtn->Click();
  });
  responder.AnswerForm([](TForm& form) {
    auto& wnd = dynamic_cast<TProfileWnd&>(form);
    EXPECT_TRUE(wnd.Visible());
    EXPECT_EQ(wnd.ModalResult(), mrNone);
    wnd.List->UserSelect(2);
    wnd.OKBtn->Click();
  });
  EXPECT_EQ(ChooseProfileIn(fx.env).IniFile, fx.program / "users/zofia/tolvika.ini");
  EXPECT_EQ(fx.terminated, 0);
  EXPECT_EQ(responder.Pending(), 0);
}

// The responder has no answer queued: any window shown fails the test.
TEST(ProfileWndTest, NoWindowForOneFolderOrTheUsersOwn) {
  struct Case {
    Names folders;
    std::string user;
    std::string want;
  };
  const Case cases[] = {
      {{"users/anna"}, "jan", "users/anna"},
      {{"users/anna", "users/Jan", "users/piotr"}, "jan", "users/Jan"},
      {{"users/anna", "users/jan"}, "JAN", "users/jan"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.want + " for " + c.user);
    ProgramFixture fx(c.folders, c.user);
    TScriptedResponder responder(Fail);
    EXPECT_EQ(ChooseProfileIn(fx.env).IniFile, fx.program / c.want + "/tolvika.ini");
    EXPECT_TRUE(responder.Shown().empty());
    EXPECT_EQ(fx.terminated, 0);
  }
}

}  // namespace
