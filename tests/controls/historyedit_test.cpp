#include "controls/historyedit.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/application.h"
#include "platform/forms.h"

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

}  // namespace
