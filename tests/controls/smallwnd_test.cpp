#include "controls/smallwnd.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/progressbar.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/paint/gdiprint.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

struct InputCase {
  const char* title;
  std::function<void(TInputWnd&)> answer;
  bool ok;
};

class InputWndTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(InputWndTest, ExecuteGivesTheEditedTextOnlyAfterOk) {
  const InputCase& c = GetParam();
  TScriptedResponder responder(Fail);
  auto answer = [&](TForm& form) {
    auto& wnd = dynamic_cast<TInputWnd&>(form);
    EXPECT_EQ(wnd.LabelText->Caption(), "Podaj nazwę:");
    EXPECT_EQ(wnd.Value->Text(), "stara");
    wnd.Value->SetText("");
    wnd.Value->SendText("nowa");
    c.answer(wnd);
  };
  responder.AnswerForm(answer, "Zmiana nazwy");
  EXPECT_EQ(TInputWnd::Execute("Zmiana nazwy", "Podaj nazwę:", "stara"), c.ok ? "nowa" : "stara");

  responder.AnswerForm(answer, "Zmiana nazwy");
  std::string text = "stara";
  EXPECT_EQ(TInputWnd::ExecuteOk("Zmiana nazwy", "Podaj nazwę:", text), c.ok);
  EXPECT_EQ(text, c.ok ? "nowa" : "stara");
  EXPECT_EQ(responder.Pending(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, InputWndTest,
    ::testing::Values(InputCase{"Ok", [](TInputWnd& w) { w.OKBtn->Click(); }, true},
                      InputCase{"Enter", [](TInputWnd& w) { w.Value->SendKey(VK_RETURN); }, true},
                      InputCase{"Cancel", [](TInputWnd& w) { w.CancelBtn->Click(); }, false},
                      InputCase{"Escape", [](TInputWnd& w) { w.Value->SendKey(VK_ESCAPE); }, false},
                      InputCase{"CloseBox", [](TInputWnd& w) { w.Close(); }, false}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.title); });

struct QueryCase {
  const char* title;
  bool fix;  // TFixQuery, else TYesNoAll
  std::function<void(TYesNoAll&)> answer;
  TModalResult result;
  bool all;
};

class YesNoAllTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(YesNoAllTest, GivesTheAnswerAndTheBoxForAll) {
  const QueryCase& c = GetParam();
  TScriptedResponder responder(Fail);
  std::unique_ptr<TYesNoAll> wnd =
      c.fix ? std::unique_ptr<TYesNoAll>(MakeForm<TFixQuery>()) : MakeForm<TYesNoAll>();
  wnd->SetMessage("Zastąpić obiekt?");
  responder.AnswerForm(
      [&](TForm& form) {
        auto& q = dynamic_cast<TYesNoAll&>(form);
        EXPECT_EQ(q.Komunikat->Caption(), "Zastąpić obiekt?");
        EXPECT_EQ(q.All->Caption(), "Na wszystkie");
        EXPECT_EQ(q.ActiveControl(), q.All);
        c.answer(q);
      },
      "Potwierdź");
  EXPECT_EQ(wnd->ShowModal(), c.result);
  EXPECT_EQ(wnd->GetAll(), c.all);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, YesNoAllTest,
    ::testing::Values(
        QueryCase{"Yes", false, [](TYesNoAll& q) { q.YesBtn->Click(); }, mrYes, false},
        QueryCase{"NoForAll", false,
                  [](TYesNoAll& q) {
                    q.All->SendKey(VK_SPACE);
                    q.NoBtn->Click();
                  },
                  mrNo, true},
        QueryCase{"EscapeCancels", false, [](TYesNoAll& q) { q.All->SendKey(VK_ESCAPE); }, mrCancel,
                  false},
        QueryCase{"FixForAll", true,
                  [](TYesNoAll& q) {
                    q.All->Click();
                    dynamic_cast<TFixQuery&>(q).FixBtn->Click();
                  },
                  mrRetry, true},
        QueryCase{"FixQueryYes", true, [](TYesNoAll& q) { q.YesBtn->Click(); }, mrYes, false},
        QueryCase{"FixQueryCancel", true, [](TYesNoAll& q) { q.CancelBtn->Click(); }, mrCancel,
                  false}),
    [](const ::testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.title); });

TEST(FixQueryTest, CorrectButtonIsRightOfTheOthers) {
  auto q = MakeForm<TFixQuery>();
  EXPECT_EQ(q->FixBtn->Caption(), "&Popraw");
  for (TButton* b : {q->YesBtn, q->NoBtn, q->CancelBtn}) EXPECT_LT(b->Left(), q->FixBtn->Left());
}

TEST(ProgressAbortWndTest, StepSeesAClickOnAbortWaitingInTheQueue) {
  auto wnd = MakeForm<TProgressAbortWnd>("Obliczenia", 50);
  EXPECT_EQ(wnd->Caption(), "Obliczenia");
  EXPECT_EQ(wnd->Bar->Max(), 50);
  EXPECT_EQ(wnd->AbortBtn->Caption(), "Przerwij");
  wnd->Show();
  // The user's click waits in the queue while the loop works.
  constexpr std::uint32_t kClick = WM_USER + 1;
  wnd->OnMessage = [&](std::uint32_t msg, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    if (msg == kClick) wnd->AbortBtn->Click();
    return 0;
  };
  int steps = 0;
  for (int i = 1; i <= 50 && !wnd->Aborted(); ++i) {
    if (i == 3) {
      ASSERT_TRUE(PostMessage(wnd->Handle(), kClick));
    }
    wnd->Step(i);
    ++steps;
  }
  EXPECT_TRUE(wnd->Aborted());
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(wnd->Bar->Position(), 3);
  wnd->Hide();
}

TEST(ProgressWndTest, ResetStartsTheNextPhase) {
  auto wnd = MakeForm<TProgressWnd>("Etap 1", 10);
  wnd->Bar->SetMin(5);
  wnd->Reset("Etap 2", 3);
  EXPECT_EQ(wnd->Caption(), "Etap 2");
  EXPECT_EQ(wnd->Bar->Min(), 0);
  EXPECT_EQ(wnd->Bar->Max(), 3);
  EXPECT_EQ(wnd->FormStyle(), TFormStyle::StayOnTop);
}

TEST(PrintingWndTest, ShowsTheJobAndPageAndAbortsTheJob) {
  ScratchFolder folder;
  TPrinterSettings settings;
  settings.OutputFile = folder / "wyrys.pdf";
  settings.Title = "Mapa 1";
  TPrinter printer(settings);
  ASSERT_TRUE(printer.BeginDoc());
  auto wnd = MakeForm<TPrintingWnd>(printer);
  EXPECT_EQ(wnd->Caption(), "Drukowanie...");
  EXPECT_EQ(wnd->Title->Caption(), "Mapa 1");
  ASSERT_TRUE(printer.NewPage());
  wnd->SetPage();
  EXPECT_EQ(wnd->Page->Caption(), "Strona: " + std::to_string(printer.PageNumber()));
  wnd->AbortBtn->Click();
  EXPECT_FALSE(printer.Printing());
}

TEST(YesNoAllKeysTest, TabGoesFromTheBoxThroughTheButtonsAndEnterSaysYes) {
  TScriptedResponder responder(Fail);
  auto q = MakeForm<TFixQuery>();
  responder.AnswerForm([&](TForm& form) {
    std::vector<std::string> visited;
    for (int i = 0; i < 5; ++i) {
      form.ActiveControl()->SendKey(VK_TAB);
      visited.push_back(form.ActiveControl()->Name());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"YesBtn", "NoBtn", "CancelBtn", "FixBtn", "All"}));
    q->All->SendKey(VK_RETURN);
  });
  EXPECT_EQ(q->ShowModal(), mrYes);
}

TEST(ProgressAbortWndTest, EscapeAbortsAsTheButtonDoes) {
  auto wnd = MakeForm<TProgressAbortWnd>("Obliczenia", 10);
  wnd->Show();
  wnd->AbortBtn->SetFocus();
  wnd->AbortBtn->SendKey(VK_ESCAPE);
  wnd->Step(1);
  EXPECT_TRUE(wnd->Aborted());
  wnd->Hide();
}

}  // namespace
