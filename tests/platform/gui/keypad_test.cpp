#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/controls_custom.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"

namespace {

using namespace platform;

// The digits of the numeric keypad reach key handlers as keypad keys and
// still type their digit; the main keyboard's digits stay what they were.
TEST(KeypadTest, KeypadDigitsAreToldApartAndStillType) {
  auto form = MakeForm<TForm>();
  auto* edit = form->Create<TEdit>(form.get(), "Edit");
  std::vector<std::uint16_t> keys;
  edit->OnKeyDown = [&](TComponent&, std::uint16_t& key, TShiftState) { keys.push_back(key); };
  edit->SendKey(VK_NUMPAD0 + 5);
  edit->SendKey('5');
  edit->SendKey(VK_NUMPAD0);
  EXPECT_EQ(keys, (std::vector<std::uint16_t>{0x65, '5', 0x60}));
  EXPECT_EQ(edit->Text(), "550");
}

class LeaveCounter : public TCustomControl {
public:
  int leaves = 0;

protected:
  void MouseLeave() override { ++leaves; }
};

TEST(KeypadTest, MouseLeavingACustomControlIsReported) {
  auto form = MakeForm<TForm>();
  auto* c = form->Create<LeaveCounter>(form.get(), "View");
  c->SetBounds(0, 0, 40, 40);
  c->MouseMoveTo(5, 5);
  c->MouseLeaveNow();
  EXPECT_EQ(c->leaves, 1);
}

}  // namespace
