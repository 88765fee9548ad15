#include "foundation/threads/keysend.h"

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"

namespace {

constexpr int kIdOk = 1;

std::string KeyName(std::uint8_t vk) {
  switch (vk) {
    case 0x08: return "Bksp";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x10: return "Shift";
    case 0x11: return "Ctrl";
    case 0x12: return "Alt";
    case 0x24: return "Home";
    default: break;
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
  if (vk >= 0x70 && vk <= 0x7F) {
    std::string name(1, 'F');
    name += std::to_string(vk - 0x6F);
    return name;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02X", vk);
  return hex;
}

// "+X" key down, "-X" key up, "*" an extended key, "NumLock" a flip of the
// NumLock state, "!text" a failure box.
std::string Describe(const std::vector<TKeyStroke>& strokes) {
  std::string out;
  for (const TKeyStroke& s : strokes) {
    if (!out.empty()) out += ' ';
    switch (s.Kind) {
      case TKeyStroke::TKind::NumLock: out += "NumLock"; break;
      case TKeyStroke::TKind::Failure:
        out += '!';
        out += s.Message;
        break;
      case TKeyStroke::TKind::Key:
        out += (s.Flags & platform::KEYEVENTF_KEYUP) ? "-" : "+";
        out += KeyName(s.Vk);
        if (s.Flags & platform::KEYEVENTF_EXTENDEDKEY) out += "*";
        break;
    }
  }
  return out;
}

struct ParseCase {
  const char* text;
  bool result;
  const char* strokes;
};

class KeySendParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(KeySendParse, GivesTheKeyEventsInOrder) {
  const ParseCase& c = GetParam();
  std::vector<TKeyStroke> strokes;
  EXPECT_EQ(ParseKeys(c.text, strokes), c.result);
  EXPECT_EQ(Describe(strokes), c.strokes);
}

INSTANTIATE_TEST_SUITE_P(
    KeyLanguage, KeySendParse,
    ::testing::Values(
        ParseCase{"abc", true, "+A -A +B -B +C -C"},
        ParseCase{"+abc", true, "+Shift +A -A -Shift +B -B +C -C"},
        ParseCase{"+(abc)", true, "+Shift +A -A +B -B +C -C -Shift"},
        ParseCase{"%(ab)c", true, "+Alt +A -A +B -B -Alt +C -C"},
        ParseCase{"^+x", true, "+Ctrl +Shift +X -X -Shift -Ctrl"},
        ParseCase{"A1", true, "+Shift +A -A -Shift +1 -1"},
        ParseCase{"~", true, "+Enter -Enter"},
        ParseCase{"{TAB 3}", true, "+Tab -Tab +Tab -Tab +Tab -Tab"},
        ParseCase{"{f10}", true, "+F10 -F10"},
        ParseCase{"{BS}{BKSP}", true, "+Bksp -Bksp +Bksp -Bksp"},
        ParseCase{"^{HOME}", true, "+Ctrl +Home* -Home* -Ctrl"},
        ParseCase{"{DEL}{PGUP}{F16}", true, "+#2E* -#2E* +#21* -#21* +F16 -F16"},
        ParseCase{"{NUMLOCK 3}", true, "NumLock"},
        ParseCase{"{TAB 0}x", true, "+X -X"},
        ParseCase{"{a 2}", true, "+Shift +A -A +A -A -Shift"},
        ParseCase{"{+}{~}{(}", true,
                  "+Shift +#BB -#BB -Shift +Shift +#C0 -#C0 -Shift +Shift +9 -9 -Shift"},
        ParseCase{"{{}{}}", true, "+Shift +#DB -#DB -Shift +Shift +#DD -#DD -Shift"},
        ParseCase{"ą", true, "+Ctrl +Alt +A -A -Ctrl -Alt"},
        ParseCase{"{XYZ}a", true, "!Invalid Key Name +A -A"},
        ParseCase{"{TAB x}{}a", true, "!Invalid Key Name !Invalid Key Name +A -A"},
        ParseCase{"{BACKSPACE 1234567890}", true, "!Invalid Key Name"},
        ParseCase{"{TAB 1001}{TAB 1}", true, "!Invalid Key Name +Tab -Tab"},
        ParseCase{"€b", true, "!Invalid KeyName +B -B"},
        ParseCase{"a{TAB", false, "+A -A !No Close"},
        ParseCase{"", false, ""}));

// The original left Shift, Ctrl and Alt pressed after "No Close" and after
// an unclosed "(": every later key of the program came with them.
TEST(KeySendParse, NoCloseReleasesHeldModifiers) {
  std::vector<TKeyStroke> strokes;
  EXPECT_FALSE(ParseKeys("^+{TAB", strokes));
  EXPECT_EQ(Describe(strokes), "+Ctrl +Shift !No Close -Shift -Ctrl");
  strokes.clear();
  EXPECT_FALSE(ParseKeys("%(a{b", strokes));
  EXPECT_EQ(Describe(strokes), "+Alt +A -A !No Close -Alt");
}

TEST(KeySendParse, UnclosedGroupReleasesHeldModifiersAtTheEnd) {
  std::vector<TKeyStroke> strokes;
  EXPECT_TRUE(ParseKeys("+(ab", strokes));
  EXPECT_EQ(Describe(strokes), "+Shift +A -A +B -B -Shift");
}

TEST(KeySendParse, TextEndsAtTheFirstNul) {
  std::vector<TKeyStroke> strokes;
  EXPECT_TRUE(ParseKeys(std::string_view("a\0b", 3), strokes));
  EXPECT_EQ(Describe(strokes), "+A -A");
  strokes.clear();
  EXPECT_FALSE(ParseKeys(std::string_view("\0a", 2), strokes)) << "empty text";
  EXPECT_EQ(Describe(strokes), "");
}

TEST(KeySendParse, EveryKeyNameIsAccepted) {
  const char* names[] = {"BKSP", "BS", "BACKSPACE", "BREAK", "CAPSLOCK", "CLEAR", "DEL",
                         "DELETE", "DOWN", "END", "ENTER", "ESC", "ESCAPE", "HELP", "HOME",
                         "INS", "LEFT", "PGDN", "PGUP", "PRTSC", "RIGHT", "SCROLLLOCK", "TAB",
                         "UP", "F1", "F9", "F11", "F16"};
  for (const char* name : names) {
    std::vector<TKeyStroke> strokes;
    EXPECT_TRUE(ParseKeys(std::string("{") + name + "}", strokes));
    ASSERT_EQ(strokes.size(), 2u) << name;
    EXPECT_EQ(strokes[0].Kind, TKeyStroke::TKind::Key) << name;
    EXPECT_EQ(strokes[0].Vk, strokes[1].Vk) << name;
  }
  const std::pair<const char*, int> codes[] = {{"BREAK", 3},     {"CAPSLOCK", 0x14},
                                               {"CLEAR", 0x0C},  {"HELP", 0x2F},
                                               {"PGDN", 0x22},   {"PRTSC", 0x2A},
                                               {"SCROLLLOCK", 0x91}, {"ESC", 0x1B},
                                               {"INS", 0x2D},    {"DOWN", 0x28}};
  for (auto [name, vk] : codes) {
    std::vector<TKeyStroke> strokes;
    ParseKeys(std::string("{") + name + "}", strokes);
    EXPECT_EQ(strokes.at(0).Vk, vk) << name;
  }
}

TEST(KeySendParse, BraceGroupLooksAtTwentyCharactersOnly) {
  std::vector<TKeyStroke> strokes;
  // "TAB" followed by 17 blanks-and-digits: the count's last digit is cut.
  EXPECT_TRUE(ParseKeys("{TAB 00000000000000023}", strokes));
  EXPECT_EQ(strokes.size(), 4u);
}

// A form with an edit control that has the keyboard focus.
class KeySendForm : public ::testing::Test {
protected:
  void SetUp() override {
    platform::EnsureApplication();
    form_ = platform::MakeForm<platform::TForm>();
    form_->SetCaption("Klawisze");
    edit_ = form_->Create<platform::TEdit>(form_.get(), "Edit");
    edit_->SetBounds(8, 8, 200, 24);
    form_->Show();
    edit_->SetFocus();
    platform::Application().ProcessMessages();
  }

  void Pump() {
    for (int i = 0; i < 5; ++i) platform::Application().ProcessMessages();
  }

  std::unique_ptr<platform::TForm> form_;
  platform::TEdit* edit_ = nullptr;
};

TEST_F(KeySendForm, TypesIntoTheFocusedEdit) {
  platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
  EXPECT_TRUE(SendKeys("+ab+(cd){BS}x 1"));
  Pump();
  EXPECT_EQ(edit_->Text(), "AbCx 1");
  EXPECT_TRUE(responder.Shown().empty());
}

TEST_F(KeySendForm, FailuresAreShownAndTheRestIsTyped) {
  platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
  responder.AnswerMessageBox(kIdOk);
  responder.AnswerMessageBox(kIdOk);
  EXPECT_TRUE(SendKeys("a{XYZ}b"));
  EXPECT_FALSE(SendKeys("+{TAB"));
  // No modifier stays down: the next key types a small letter.
  EXPECT_TRUE(SendKeys("c"));
  Pump();
  EXPECT_EQ(edit_->Text(), "abc");
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[0].caption, "SendKeys");
  EXPECT_EQ(responder.Shown()[0].text, "Invalid Key Name");
  EXPECT_EQ(responder.Shown()[1].text, "No Close");
}

TEST_F(KeySendForm, NumLockFlipsTheStateWithoutTyping) {
  bool before = platform::NumLockOn();
  EXPECT_TRUE(SendKeys("{NUMLOCK}"));
  Pump();
  EXPECT_EQ(platform::NumLockOn(), !before);
  EXPECT_EQ(edit_->Text(), "");
  platform::SetNumLock(before);
}

TEST_F(KeySendForm, KeysFromAnotherThreadAreTypedByTheGuiThread) {
  bool result = false;
  std::thread([&] { result = SendKeys("xy"); }).join();
  EXPECT_TRUE(result);
  EXPECT_EQ(edit_->Text(), "");
  Pump();
  EXPECT_EQ(edit_->Text(), "xy");
}

TEST(KeySend, EmptyTextSendsNothing) {
  platform::EnsureApplication();
  EXPECT_FALSE(SendKeys(""));
}

// Keys meant for another application cannot reach it: a clear failure
// rather than keys lost without a word.
TEST(KeySend, WithoutAWindowOfTheProgramFailsClearly) {
  platform::EnsureApplication();
  ASSERT_TRUE(platform::VisibleForms().empty());
  platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
  responder.AnswerMessageBox(kIdOk);
  EXPECT_FALSE(SendKeys("abc"));
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].caption, "SendKeys");
  EXPECT_EQ(responder.Shown()[0].text, kNoTargetWindow);
}

}  // namespace
