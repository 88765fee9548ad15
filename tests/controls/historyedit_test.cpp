#include "controls/historyedit.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"

namespace {

using namespace platform;
using Texts = std::vector<std::string>;

// A dialog with one history edit whose designed list is "0", and an edit to
// move the focus to.
struct Dialog {
  explicit Dialog(int id) {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 200, 100);
    edit = form->Create<THistoryEdit>(form.get(), "pDlugosc");
    edit->SetBounds(0, 0, 100, 21);
    edit->Items().Assign(Texts{"0"});
    edit->SetText("0");
    edit->SetHistoryId(id);
    other = form->Create<TEdit>(form.get(), "Other");
    other->SetBounds(0, 40, 100, 21);
    form->Show();
    // The window becomes active: focus changes are then reported.
    Application().ProcessMessages();
  }
  ~Dialog() { form->Hide(); }
  // Types text into the edit and leaves it.
  void Enter(const std::string& text) {
    edit->SetFocus();
    edit->SetText(text);
    other->SetFocus();
  }
  std::unique_ptr<TForm> form;
  THistoryEdit* edit = nullptr;
  TEdit* other = nullptr;
};

TEST(HistoryEditTest, LeavingPutsTheTextOnTopIgnoringCase) {
  Dialog d(9001);
  d.Enter("5");
  d.Enter("7");
  d.Enter("5");
  EXPECT_EQ(d.edit->Items().ToVector(), (Texts{"5", "7", "0"}));
  d.Enter("abc");
  d.Enter("ABC");
  EXPECT_EQ(d.edit->Items().ToVector(), (Texts{"abc", "5", "7", "0"}));
  d.Enter("");
  EXPECT_EQ(d.edit->Items().ToVector(), (Texts{"abc", "5", "7", "0"}));
}

TEST(HistoryEditTest, ReopeningShowsTheRememberedEntriesInPlaceOfTheDesignedOnes) {
  {
    Dialog d(9002);
    EXPECT_EQ(d.edit->Items().ToVector(), Texts{"0"});
    d.Enter("12");
    d.edit->Items().Delete(d.edit->Items().IndexOf("0"));
    d.edit->SetText("3");  // put into the history as the dialog closes
  }
  EXPECT_EQ(THistoryEdit::StoredHistory(9002), (Texts{"3", "12"}));
  Dialog again(9002);
  EXPECT_EQ(again.edit->Items().ToVector(), (Texts{"3", "12"}));
  // The bound edit holds the list; the store holds nothing meanwhile.
  EXPECT_FALSE(THistoryEdit::StoredHistory(9002).has_value());
}

TEST(HistoryEditTest, TwoEditsShareOneNumber) {
  auto first = std::make_unique<Dialog>(9003);
  first->Enter("1.5");
  first.reset();
  Dialog second(9003);
  EXPECT_EQ(second.edit->Items().ToVector(), (Texts{"1.5", "0"}));
  Dialog other(9004);
  EXPECT_EQ(other.edit->Items().ToVector(), Texts{"0"});
}

// Two dialogs with one number open at once: the first takes the remembered
// texts, the last closed leaves its list.
TEST(HistoryEditTest, TwoEditsOpenAtOnceFirstTakesLastLeaves) {
  { Dialog seed(9005); seed.Enter("4"); }
  auto first = std::make_unique<Dialog>(9005);
  EXPECT_EQ(first->edit->Items().ToVector(), (Texts{"4", "0"}));
  first->edit->SetText("");  // nothing to file as its window goes behind
  auto second = std::make_unique<Dialog>(9005);
  EXPECT_EQ(second->edit->Items().ToVector(), Texts{"0"});
  second->Enter("8");
  second->edit->SetText("");
  first->edit->SetText("6");  // filed as the dialog closes
  second.reset();
  first.reset();
  EXPECT_EQ(THistoryEdit::StoredHistory(9005), (Texts{"6", "4", "0"}));
}

// Opening the edit's own list moved its text to the top as the list opened:
// the list took the keyboard, which counted as leaving the edit.
TEST(HistoryEditTest, OpeningTheListIsNotLeavingTheEdit) {
  Dialog d(9006);
  d.edit->Items().Assign(Texts{"0", "1"});
  d.edit->SetFocus();
  d.edit->SetText("1");
  d.edit->SendKey(0x73);  // F4 opens the list
  Application().ProcessMessages();
  EXPECT_EQ(d.edit->Items().ToVector(), (Texts{"0", "1"}));
  // Esc to the open list closes it; leaving the edit afterwards files the
  // text as before.
  KeybdEvent(VK_ESCAPE, 0, 0);
  KeybdEvent(VK_ESCAPE, 0, KEYEVENTF_KEYUP);
  Application().ProcessMessages();
  d.other->SetFocus();
  EXPECT_EQ(d.edit->Items().ToVector(), (Texts{"1", "0"}));
}

}  // namespace
