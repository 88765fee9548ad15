#include "controls/justifypicker.h"

#include <memory>

#include <gtest/gtest.h>

#include "platform/gui/controls_std.h"
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/paint/gdi.h"

namespace {

using namespace platform;

struct JustifyPickerTest : ::testing::Test {
  JustifyPickerTest() {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 240, 120);
    before = form->Create<TEdit>(form.get(), "Before");
    before->SetBounds(0, 0, 60, 20);
    picker = form->Create<TJustyfikacja>(form.get(), "Picker");
    picker->SetBounds(0, 30, 100, 50);
    picker->OnChange = [this](TComponent&) { ++changes; };
    form->Show();
    // The window becomes active: focus changes are then reported.
    Application().ProcessMessages();
  }
  ~JustifyPickerTest() override { form->Hide(); }
  std::unique_ptr<TForm> form;
  TEdit* before = nullptr;
  TJustyfikacja* picker = nullptr;
  int changes = 0;
};

TEST_F(JustifyPickerTest, CodeSettingKeepsToOneToNineAndNeverCallsOnChange) {
  EXPECT_EQ(picker->Justyfikacja(), 7);
  picker->SetJustyfikacja(3);
  EXPECT_EQ(picker->Justyfikacja(), 3);
  picker->SetJustyfikacja(0);
  EXPECT_EQ(picker->Justyfikacja(), 7);
  picker->SetJustyfikacja(3);
  picker->SetJustyfikacja(10);
  EXPECT_EQ(picker->Justyfikacja(), 7);
  EXPECT_EQ(changes, 0);
}

TEST_F(JustifyPickerTest, DigitsOfTheMainKeyboardAndTheKeypadChoose) {
  picker->SetFocus();
  picker->SendKey('5');
  EXPECT_EQ(picker->Justyfikacja(), 5);
  EXPECT_EQ(changes, 1);
  picker->SendKey(VK_NUMPAD0 + 5);
  EXPECT_EQ(changes, 1);
  picker->SendKey(VK_NUMPAD0 + 3);
  EXPECT_EQ(picker->Justyfikacja(), 3);
  EXPECT_EQ(changes, 2);
  picker->SendKey(VK_NUMPAD0);
  picker->SendKey('0');
  EXPECT_EQ(picker->Justyfikacja(), 3);
  EXPECT_EQ(changes, 2);
}

TEST_F(JustifyPickerTest, ClicksInTheNarrowMiddleColumnAndBelowTheGrid) {
  struct Case {
    int x, y, want;
  } cases[] = {
      {50, 8, 8}, {50, 25, 5}, {50, 40, 2}, {50, 49, 2}, {5, 49, 1}, {95, 49, 3}, {5, 5, 7}, {95, 20, 6},
  };
  int expectedChanges = 0;
  int current = picker->Justyfikacja();
  for (const Case& c : cases) {
    picker->ClickAt(c.x, c.y);
    if (c.want != current) ++expectedChanges;
    current = c.want;
    EXPECT_EQ(picker->Justyfikacja(), c.want) << c.x << "," << c.y;
    EXPECT_EQ(changes, expectedChanges);
  }
  EXPECT_TRUE(picker->Focused());
}

TEST_F(JustifyPickerTest, DisabledPickerIgnoresInputAndLeavesTheTabOrder) {
  picker->SetEnabled(false);
  EXPECT_FALSE(picker->TabStop());
  picker->ClickAt(50, 25);
  picker->SetFocus();
  picker->SendKey('5');
  picker->MouseMoveTo(50, 25);
  EXPECT_EQ(picker->Justyfikacja(), 7);
  EXPECT_EQ(picker->HotCell(), 0);
  EXPECT_EQ(changes, 0);
  picker->PaintNow();
  EXPECT_NE(picker->PixelAt(picker->Width() / 2, picker->Height() / 2), RGB(0, 0, 255));
}

TEST_F(JustifyPickerTest, HotDigitIsYellowUnderThePointerAndRedAfterLeaving) {
  auto yellowPixels = [&] {
    picker->PaintNow();
    int n = 0;
    for (int y = 0; y < picker->Height(); ++y)
      for (int x = 0; x < picker->Width(); ++x)
        if (picker->PixelAt(x, y) == RGB(255, 255, 0)) ++n;
    return n;
  };
  EXPECT_EQ(yellowPixels(), 0);
  picker->MouseMoveTo(95, 25);
  EXPECT_EQ(picker->HotCell(), 6);
  EXPECT_GT(yellowPixels(), 0);
  picker->MouseLeaveNow();
  EXPECT_EQ(picker->HotCell(), 0);
  EXPECT_EQ(yellowPixels(), 0);
}

TEST_F(JustifyPickerTest, CrossMarksTheAnchorInThePaintedImage) {
  picker->SetJustyfikacja(5);
  picker->PaintNow();
  const TColor blue = RGB(0, 0, 255);
  const int cx = picker->Width() / 2;
  const int cy = picker->Height() / 2;
  EXPECT_EQ(picker->PixelAt(cx, cy), blue);
  EXPECT_EQ(picker->PixelAt(cx - 2, cy), blue);
  EXPECT_EQ(picker->PixelAt(cx, cy + 2), blue);
  picker->SetJustyfikacja(1);
  picker->PaintNow();
  EXPECT_NE(picker->PixelAt(cx, cy), blue);
  EXPECT_NE(picker->PixelAt(cx - 2, cy), blue);
}

// A picker lower than 7 pixels has rows of height 0: it is one row, and the
// hit test no longer divides by zero.
TEST(JustifyPickerTinyTest, PickerBelow7PixelsDividedByAZeroRowHeight) {
  auto form = MakeForm<TForm>();
  auto* picker = form->Create<TJustyfikacja>(form.get(), "Picker");
  picker->SetBounds(0, 0, 100, 5);
  EXPECT_EQ(picker->CellAt(2, 0), 1);
  EXPECT_EQ(picker->CellAt(98, 4), 3);
  picker->ClickAt(50, 2);
  EXPECT_EQ(picker->Justyfikacja(), 2);
  picker->PaintNow();
}

}  // namespace
