// The combo box with described items.
#include "controls/combodesc.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/gui/forms.h"

namespace {

using namespace platform;

class Combo : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 400, 400);
    form->SetClientHeight(380);
    combo = form->Create<TMyComboBox>(form.get(), "Klasa");
    combo->SetBounds(10, 10, 80, 22);
    combo->AddItemValue("1", "1 - Osnowa klasy I");
    combo->AddItemValue("2", "2 - Osnowa klasy II");
    combo->AddItemValue("3", "3 - Osnowa klasy III");
    form->Show();
  }
  std::unique_ptr<TForm> form;
  TMyComboBox* combo = nullptr;
};

TEST_F(Combo, DescriptionsInTheListItemsInTheField) {
  combo->Items().Add("4");  // no description
  combo->SendKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(combo->DroppedDown());
  TDescListBox& list = *combo->List();
  EXPECT_EQ(list.Items()[0], "1 - Osnowa klasy I");
  EXPECT_EQ(list.Items()[3], "4");
  EXPECT_EQ(list.Width(), 50);
  EXPECT_EQ(list.Height(), 4 * combo->ItemHeight() + 5);
  EXPECT_EQ(list.Top(), 32);
  combo->OnRestItem = [](std::int32_t item) { return "wiersz " + std::to_string(item); };
  EXPECT_EQ(combo->RowText(2), "wiersz 2");
}

TEST_F(Combo, RowsLimitedByDropDownCount) {
  for (int i = 4; i <= 12; ++i) combo->AddItemValue(std::to_string(i), "opis");
  combo->SetDropDownCount(8);
  combo->HorzScrollBar = true;
  combo->DropDown();
  EXPECT_EQ(combo->List()->Height(), 8 * combo->ItemHeight() + 5 + 20);
}

TEST_F(Combo, ArrowsFillTheFieldAndEscapeKeepsTheSelection) {
  combo->DropDown();
  TDescListBox& list = *combo->List();
  list.SendKey(VK_DOWN);
  EXPECT_EQ(combo->Text(), "1");
  list.SendKey(VK_DOWN);
  EXPECT_EQ(combo->Text(), "2");
  EXPECT_TRUE(combo->DroppedDown());
  list.SendKey(VK_ESCAPE);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->Text(), "2");
  combo->DropDown();
  combo->List()->SendKey(VK_DOWN);
  combo->List()->SendKey(VK_DOWN);
  combo->List()->SendKey(VK_DOWN);
  combo->List()->SendKey(VK_RETURN);
  EXPECT_EQ(combo->Text(), "3");
}

TEST_F(Combo, HoveringHighlightsWithoutChangingTheFieldAndAClickTakesTheRow) {
  combo->SetText("1");
  combo->DropDown();
  TDescListBox& list = *combo->List();
  list.MouseMoveTo(5, combo->ItemHeight() + 3);
  EXPECT_EQ(list.ItemIndex(), 1);
  EXPECT_TRUE(combo->MouseFlag());
  EXPECT_EQ(combo->Text(), "1");
  combo->CloseUp();  // as deactivation does
  EXPECT_EQ(combo->Text(), "1");
  combo->DropDown();
  combo->List()->MouseMoveTo(5, 2 * combo->ItemHeight() + 3);
  combo->List()->MouseUpAt(TMouseButton::Left, 5, 2 * combo->ItemHeight() + 3);
  EXPECT_EQ(combo->Text(), "3");
  EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(Combo, OpensAboveNearTheBottomOfTheWindow) {
  combo->SetTop(350);
  combo->DropDown();
  EXPECT_EQ(combo->List()->Top(), 350 - (3 * combo->ItemHeight() + 5));
}

// The button of the combo box opened the toolkit's list of short items; it
// opens the described list as the keys do.
TEST_F(Combo, ClickOnTheButtonOpensTheDescribedList) {
  combo->ClickAt(combo->Width() - 4, combo->Height() / 2);
  ASSERT_TRUE(combo->DroppedDown());
  EXPECT_EQ(combo->List()->Items()[1], "2 - Osnowa klasy II");
  combo->List()->SendKey(VK_DOWN);
  combo->List()->SendKey(VK_RETURN);
  EXPECT_EQ(combo->Text(), "1");
  EXPECT_FALSE(combo->DroppedDown());
  combo->SendKey(0x73);  // F4
  EXPECT_TRUE(combo->DroppedDown());
}

}  // namespace
