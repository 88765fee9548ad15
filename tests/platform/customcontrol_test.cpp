// Custom controls as a map view uses them: every key reaches the control's
// KeyDown (and stays there), the right Alt key shows in the shift state, the
// mouse entering is reported, an opaque control is not erased before its
// Paint, and a wait that serves only painting.
#include "platform/controls_custom.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/application.h"
#include "platform/controls_std.h"
#include "platform/forms.h"
#include "platform/messages.h"

namespace {

using namespace platform;

struct KeyLog {
  std::uint16_t key;
  TShiftState shift;
  bool operator==(const KeyLog&) const = default;
};

std::ostream& operator<<(std::ostream& out, const KeyLog& k) {
  return out << "key " << k.key << " shift " << k.shift;
}

class CustomControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 400, 300);
    // The view stands in a scrolling host, larger than the host, as the map
    // view does; a cancel button waits on the form for a stray Escape.
    host = form->Create<TScrollBox>(form.get(), "Host");
    host->SetBounds(0, 0, 200, 150);
    view = form->Create<TCustomControl>(host, "View");
    view->SetBounds(0, 0, 800, 600);
    cancel = form->Create<TButton>(form.get(), "Cancel");
    cancel->SetBounds(250, 250, 80, 25);
    cancel->SetCancel(true);
    cancel->OnClick = [this](TComponent&) { ++cancelClicks; };
    view->OnKeyDown = [this](TComponent&, std::uint16_t& key, TShiftState shift) {
      keys.push_back({key, shift});
    };
    host->OnKeyDown = [this](TComponent&, std::uint16_t& key, TShiftState shift) {
      hostKeys.push_back({key, shift});
    };
    form->Show();
    view->SetFocus();
    host->ScrollTo(100, 100);
  }

  std::unique_ptr<TForm> form;
  TScrollBox* host = nullptr;
  TCustomControl* view = nullptr;
  TButton* cancel = nullptr;
  std::vector<KeyLog> keys;
  std::vector<KeyLog> hostKeys;
  int cancelClicks = 0;
};

// Arrows, Page Up/Down, Escape and Enter belong to the view: they reach its
// KeyDown with the shift state as held, and neither scroll the host, reach
// the host's handler nor press the form's cancel button.
TEST_F(CustomControlTest, EveryKeyReachesTheControlAndStaysThere) {
  const std::uint16_t vks[] = {VK_LEFT,   VK_RIGHT,  VK_UP,   VK_DOWN, VK_PRIOR,
                               VK_NEXT,   VK_ESCAPE, VK_RETURN, VK_HOME, VK_END,
                               VK_DELETE, VK_BACK,   'A',     '5',     VK_F1 + 4};
  const TShiftState shifts[] = {0, ssCtrl, ssShift, ssAltGr, ssCtrl | ssShift | ssAltGr};
  std::vector<KeyLog> expected;
  for (TShiftState shift : shifts) {
    for (std::uint16_t vk : vks) {
      view->SendKey(vk, shift);
      expected.push_back({vk, shift});
    }
  }
  EXPECT_EQ(keys, expected);
  EXPECT_TRUE(hostKeys.empty());
  EXPECT_EQ(host->HorzPosition(), 100);
  EXPECT_EQ(host->VertPosition(), 100);
  EXPECT_EQ(cancelClicks, 0);
  EXPECT_TRUE(view->Focused());
}

// Tab reaches KeyDown too and still moves the focus on.
TEST_F(CustomControlTest, TabReachesKeyDownAndMovesTheFocus) {
  view->SendKey(VK_TAB);
  EXPECT_EQ(keys, (std::vector<KeyLog>{{VK_TAB, 0}}));
  EXPECT_FALSE(view->Focused());
  EXPECT_TRUE(cancel->Focused());
}

// The right Alt key seen going down and up (a keyboard that reports it as a
// key of its own, without a modifier bit) sets ssAltGr for the keys between.
TEST_F(CustomControlTest, RightAltHeldDownMarksTheKeysPressedMeanwhile) {
  view->SendKey(VK_F1 + 6);
  view->SendKeyDown(VK_RMENU);
  view->SendKey(VK_F1 + 6);
  view->SendKey(VK_NEXT, ssCtrl);
  view->SendKeyUp(VK_RMENU);
  view->SendKey(VK_F1 + 6);
  EXPECT_EQ(keys, (std::vector<KeyLog>{{VK_F1 + 6, 0},
                                       {VK_MENU, ssAltGr},
                                       {VK_F1 + 6, ssAltGr},
                                       {VK_NEXT, ssCtrl | ssAltGr},
                                       {VK_F1 + 6, 0}}));
}

// A letter typed with the right Alt is the Polish letter: KeyDown sees the
// letter key with ssAltGr, KeyPress the letter itself.
TEST_F(CustomControlTest, RightAltTypesPolishLetters) {
  std::u32string typed;
  view->OnKeyPress = [&](TComponent&, char32_t& key) { typed += key; };
  view->SendKey('A', ssAltGr);
  view->SendKey('L', ssAltGr | ssShift);
  view->SendText("ż");
  EXPECT_EQ(typed, U"ąŁż");
  EXPECT_EQ(keys, (std::vector<KeyLog>{{'A', ssAltGr}, {'L', ssAltGr | ssShift}, {'Z', ssAltGr}}));
}

// The mouse entering and leaving a control reaches its handlers, once
// each; a control inside it has its own.
TEST(CustomControlMouse, EnterAndLeaveReachTheControl) {
  struct Tracked : TCustomControl {
    std::string log;
    void MouseEnter() override { log += "E"; }
    void MouseLeave() override { log += "L"; }
  };
  auto form = MakeForm<TForm>();
  form->SetBounds(0, 0, 300, 200);
  auto* outer = form->Create<Tracked>(form.get(), "Outer");
  outer->SetBounds(0, 0, 200, 150);
  auto* inner = form->Create<Tracked>(outer, "Inner");
  inner->SetBounds(10, 10, 50, 50);
  form->Show();
  outer->MouseEnterNow();
  inner->MouseEnterNow();
  inner->MouseLeaveNow();
  outer->MouseLeaveNow();
  EXPECT_EQ(outer->log, "EL");
  EXPECT_EQ(inner->log, "EL");
}

}  // namespace
