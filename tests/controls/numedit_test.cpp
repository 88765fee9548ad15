// The number edits' keystroke checks, their values, and the previous-value
// edit.
#include "controls/numedit.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/errors.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/responder.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

class NumEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 200);
  }
  std::unique_ptr<TForm> form;
};

struct Typing {
  const char* start;   // text set before typing
  const char* typed;   // characters typed one by one at the end
  const char* result;  // text afterwards
  std::vector<std::string> messages;
};

TEST_F(NumEdit, IntegerKeystrokeChecks) {
  const Typing cases[] = {
      {"", "-12", "-12", {}},
      {"", "+7", "7", {"Niepoprawna wartość"}},  // only a minus may stand alone
      {"12", "a", "12", {"Niepoprawna wartość"}},
      {"1", "-", "1", {"Niepoprawna wartość"}},
      {"", "1.5", "15", {"Niepoprawna wartość"}},
      {"", "99999999999", "999999999", {"Niepoprawna wartość", "Niepoprawna wartość"}},
  };
  for (const Typing& c : cases) {
    TScriptedResponder responder(Fail);
    for (std::size_t i = 0; i < c.messages.size(); ++i) responder.AnswerMessageBox(IDOK);
    auto* edit = form->Create<TIntegerEdit>(form.get(), "");
    edit->SetText(c.start);
    edit->SetSelection(static_cast<int>(std::string(c.start).size()), 0);
    edit->SendText(c.typed);
    EXPECT_EQ(edit->Text(), c.result) << c.typed;
    ASSERT_EQ(responder.Shown().size(), c.messages.size()) << c.typed;
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
      EXPECT_EQ(responder.Shown()[i].text, c.messages[i]);
      EXPECT_EQ(responder.Shown()[i].caption, "");
      EXPECT_EQ(responder.Shown()[i].flags, MB_OK | MB_ICONERROR);
    }
  }
}

TEST_F(NumEdit, IntegerRangeRefusesAndEmptyReadsMin) {
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(IDOK);
  auto* edit = form->Create<TIntegerEdit>(form.get(), "");
  edit->SetMin(1);
  edit->SetMax(19);
  int changes = 0;
  edit->OnChange = [&](TComponent&) { ++changes; };
  edit->SendText("25");
  EXPECT_EQ(edit->Text(), "2");
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].text, "Wartość spoza przedziału 1 - 19");
  EXPECT_EQ(changes, 1);  // "2" only
  EXPECT_EQ(edit->SelStart(), 1);
  edit->SetText("");
  EXPECT_EQ(edit->Value(), 1);
  EXPECT_EQ(edit->LastGoodText(), "1");
  edit->SetValue(7);
  EXPECT_EQ(edit->Text(), "7");
  EXPECT_EQ(edit->Value(), 7);
}

TEST_F(NumEdit, LoneMinusIsAcceptedAsZeroAndBecomesTheLastGoodText) {
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(IDOK);
  auto* edit = form->Create<TIntegerEdit>(form.get(), "");
  edit->SendText("-");
  EXPECT_EQ(edit->Text(), "-");
  EXPECT_EQ(edit->LastGoodText(), "-0");
  edit->SendText("x");
  EXPECT_EQ(edit->Text(), "-0");
}

TEST_F(NumEdit, FloatKeystrokeChecks) {
  const Typing cases[] = {
      {"", ".5", ".5", {}},
      {"", "5.", "5.", {}},
      {"", "-.25", "-.25", {}},
      {"", "1e3", "13", {"Niepoprawna wartość"}},  // "1e" is no number
      {"", "1,5", "15", {"Niepoprawna wartość"}},   // the comma is refused
      {"", "1.2.3", "1.23", {"Niepoprawna wartość"}},
      {"", "--1", "-01", {"Niepoprawna wartość"}},  // "-0" was the last good text
  };
  for (const Typing& c : cases) {
    TScriptedResponder responder(Fail);
    for (std::size_t i = 0; i < c.messages.size(); ++i) responder.AnswerMessageBox(IDOK);
    auto* edit = form->Create<TFloatEdit>(form.get(), "");
    edit->SendText(c.typed);
    EXPECT_EQ(edit->Text(), c.result) << c.typed;
    EXPECT_EQ(responder.Shown().size(), c.messages.size()) << c.typed;
  }
}

TEST_F(NumEdit, FloatRangeMessageHasTwoDecimals) {
  TScriptedResponder responder(Fail);
  responder.AnswerMessageBox(IDOK);
  auto* edit = form->Create<TFloatEdit>(form.get(), "");
  edit->SetMin(-1);
  edit->SetMax(2.5);
  edit->SendText("3");
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].text, "Wartość spoza przedziału -1.00 - 2.50");
  EXPECT_EQ(edit->Text(), "");  // the text at creation
}

TEST_F(NumEdit, FloatValueAndPrecision) {
  auto* edit = form->Create<TFloatEdit>(form.get(), "");
  EXPECT_EQ(edit->Value(), 0);
  edit->SetPrecision(3);
  edit->SetValue(1.5);
  EXPECT_EQ(edit->Text(), "1.500");
  edit->SetPrecision(-1);
  EXPECT_EQ(edit->Text(), "1.5");
  edit->SetPrecision(0);
  EXPECT_EQ(edit->Text(), "2");
}

TEST_F(NumEdit, ReadingANonNumberRaisesWithoutAMessage) {
  TScriptedResponder responder(Fail);
  auto* f = form->Create<TFloatEdit>(form.get(), "");
  f->SendText("-");
  EXPECT_THROW(f->Value(), EConvertError);
  auto* i = form->Create<TIntegerEdit>(form.get(), "");
  i->SendText("-");
  EXPECT_THROW(i->Value(), EConvertError);
  EXPECT_EQ(responder.Shown().size(), 0u);
}

TEST_F(NumEdit, PreviousValueOfferedToRightArrow) {
  auto* edit = form->Create<TPrevEdit>(form.get(), "");
  edit->PrevText = "12ż4";
  std::vector<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    edit->SendKey(VK_RIGHT);
    seen.push_back(edit->Text());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "12", "12ż", "12ż4", "12ż4"}));
  edit->SetText("ab");
  edit->SetSelection(0, 0);
  edit->SendKey(VK_RIGHT);
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_EQ(edit->SelStart(), 1);
}

}  // namespace
