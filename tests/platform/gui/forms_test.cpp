#include "platform/gui/forms.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/messages.h"
#include "platform/gui/modality.h"
#include "platform/gui/responder.h"
#include "platform/gui/toolwindow.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

// A small dialog as the system builds them: an edit checked on OK, an OK
// button that closes with mrOk unless the check clears the result, a
// cancel button.
class NumberDialog : public TForm {
 public:
  NumberDialog() {
    SetCaption("Liczba");
    SetBorderStyle(TFormBorderStyle::Dialog);
    SetPosition(TPosition::ScreenCenter);
    SetBounds(0, 0, 240, 120);
    value = Create<TEdit>(this, "Value");
    value->SetBounds(8, 8, 100, 21);
    ok = Create<TBitBtn>(this, "BitBtn1");
    ok->SetKind(TBitBtnKind::OK);
    ok->SetBounds(8, 60, 75, 25);
    cancel = Create<TBitBtn>(this, "BitBtn2");
    cancel->SetKind(TBitBtnKind::Cancel);
    cancel->SetBounds(90, 60, 75, 25);
    ok->OnClick = [this](TComponent&) {
      if (value->Text().empty() || value->Text().find_first_not_of("0123456789") != std::string::npos) {
        MessageBox("Niepoprawna liczba", "Błąd", MB_OK);
        value->SetFocus();
        SetModalResult(mrNone);
      }
    };
  }
  TEdit* value;
  TBitBtn* ok;
  TBitBtn* cancel;
};

// A window never opens larger than the screen's work area, nor reaching
// past one of its edges: a sizeable window, a fixed dialog and one placed
// beside a point near the corner alike.
TEST(FormsTest, ShownWindowFitsTheWorkArea) {
  EnsureApplication();
  const TGdiRect area = ScreenWorkArea();
  const struct {
    TFormBorderStyle border;
    int left, top, width, height;
  } cases[] = {
      {TFormBorderStyle::Sizeable, area.Left, area.Top, area.Width() + 300, area.Height() + 200},
      {TFormBorderStyle::Dialog, -40, area.Top + 50, 300, area.Height() + 500},
      {TFormBorderStyle::Single, area.Right - 100, area.Bottom - 50, 300, 200},
      {TFormBorderStyle::Sizeable, area.Left + 10, area.Top + 20, 300, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top) + " " + std::to_string(c.width) + "x" +
                 std::to_string(c.height));
    auto form = MakeForm<TForm>();
    form->SetBorderStyle(c.border);
    form->SetBounds(c.left, c.top, c.width, c.height);
    form->Show();
    const TGdiRect frame = form->FrameBounds();
    EXPECT_GE(frame.Left, area.Left);
    EXPECT_GE(frame.Top, area.Top);
    EXPECT_LE(frame.Right, area.Right);
    EXPECT_LE(frame.Bottom, area.Bottom);
    // Only what does not fit is taken off.
    const int frameWidth = frame.Width() - form->Width();
    const int frameHeight = frame.Height() - form->Height();
    EXPECT_EQ(form->Width(), std::min(c.width, area.Width() - frameWidth));
    EXPECT_EQ(form->Height(), std::min(c.height, area.Height() - frameHeight));
    form->Hide();
  }
}

TEST(FormsTest, ModalDialogAnsweredByFillingAndClickingOk) {
  TScriptedResponder responder(Fail);
  auto dialog = MakeForm<NumberDialog>();
  int shown = 0;
  dialog->OnShow = [&](TComponent&) { ++shown; };
  responder.AnswerForm(
      [](TForm& form) {
        form.Get<TEdit>("value").SetText("42");
        form.Get<TBitBtn>("BitBtn1").Click();
      },
      "Liczba");
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->Modal());
  EXPECT_EQ(Application().ModalLevel(), 0);
  ASSERT_EQ(responder.Shown().size(), 1u);
  EXPECT_EQ(responder.Shown()[0].kind, TModalKind::Form);
  EXPECT_EQ(responder.Shown()[0].caption, "Liczba");
}

// A check on OK that clears the modal result keeps the dialog open: the
// user sees the message, corrects the field and confirms again.
TEST(FormsTest, FailedCheckOnOkKeepsTheDialogOpen) {
  TScriptedResponder responder(Fail);
  auto dialog = MakeForm<NumberDialog>();
  responder.AnswerForm([](TForm& form) {
    form.Get<TEdit>("Value").SetText("4x");
    form.Get<TBitBtn>("BitBtn1").Click();
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm& form) {
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.ActiveControl(), dialog->value);
    form.Get<TEdit>("Value").SetText("4");
    form.Get<TBitBtn>("BitBtn1").Click();
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(dialog->value->Text(), "4");
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].text, "Niepoprawna liczba");
  EXPECT_EQ(responder.Pending(), 0);
}

TEST(FormsTest, DialogStillOpenAfterTheLastAnswerIsReported) {
  std::vector<std::string> failures;
  {
    TScriptedResponder responder([&](const std::string& f) { failures.push_back(f); });
    auto dialog = MakeForm<NumberDialog>();
    responder.AnswerForm([](TForm&) {});
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
  }
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Liczba"), std::string::npos);
}

TEST(FormsTest, UnexpectedModalFormIsReportedWithItsCaptionAndCancelled) {
  std::vector<std::string> failures;
  TScriptedResponder responder([&](const std::string& f) { failures.push_back(f); });
  auto dialog = MakeForm<NumberDialog>();
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("\"Liczba\""), std::string::npos);
  responder.AnswerForm([](TForm&) {}, "Inne okno");
  responder.AnswerMessageBox(IDOK);
  dialog->ShowModal();
  ASSERT_GE(failures.size(), 2u);
  EXPECT_NE(failures[1].find("Inne okno"), std::string::npos);
}

TEST(FormsTest, CloseQueryAndCloseActionCanRefuseTheModalResult) {
  TScriptedResponder responder(Fail);
  auto dialog = MakeForm<NumberDialog>();
  bool mayClose = false;
  std::vector<TCloseAction> actions;
  dialog->OnCloseQuery = [&](TComponent&, bool& canClose) { canClose = mayClose; };
  dialog->OnClose = [&](TComponent&, TCloseAction& action) { actions.push_back(action); };
  responder.AnswerForm([](TForm& form) { form.Get<TBitBtn>("BitBtn2").Click(); });
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(form.ModalResult(), mrNone);
    mayClose = true;
    form.Get<TBitBtn>("BitBtn2").Click();
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(actions, std::vector<TCloseAction>{TCloseAction::Hide});
}

TEST(FormsTest, EnterClicksTheDefaultButtonAndEscTheCancelButton) {
  TScriptedResponder responder(Fail);
  auto dialog = MakeForm<NumberDialog>();
  responder.AnswerForm([](TForm& form) {
    auto& value = form.Get<TEdit>("Value");
    value.SendText("7");
    value.SendKey(VK_RETURN);
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  responder.AnswerForm([](TForm& form) { form.Get<TEdit>("Value").SendKey(VK_ESCAPE); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  // Enter on a focused button presses that button, not the default one.
  responder.AnswerForm([](TForm& form) { form.Get<TBitBtn>("BitBtn2").SendKey(VK_RETURN); });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST(FormsTest, TheRealModalLoopEndsWhenAnEventSetsTheResult) {
  TScriptedResponder responder(Fail);
  auto form = MakeForm<TForm>();
  form->SetCaption("Postęp");
  TTimer timer;
  timer.SetInterval(10);
  timer.OnTimer = [&] { form->SetModalResult(mrCancel); };
  responder.AnswerFormByLoop();
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

// The OK handler of a failed check opens a window that waits for the user
// (its own modal loop) before it clears the result. The result it set on
// the way must not close the dialog from inside that window's loop: the
// dialog stays open with the focus on the wrong field, and the program
// keeps running.
TEST(FormsTest, FailedCheckWhoseMessageWaitsForTheUserKeepsTheDialogOpen) {
  TScriptedResponder responder(Fail);
  auto dialog = MakeForm<NumberDialog>();
  dialog->ok->OnClick = [&](TComponent&) {
    if (dialog->value->Text() == "4") return;
    auto message = MakeForm<TForm>();
    message->SetCaption("Błąd");
    TTimer dismiss;
    dismiss.SetInterval(60);
    dismiss.OnTimer = [&] { message->SetModalResult(mrOk); };
    message->ShowModal();
    dialog->value->SetFocus();
    dialog->SetModalResult(mrNone);
  };
  int step = 0;
  bool openAfterRefusal = false;
  bool focusOnField = false;
  TTimer user;
  user.SetInterval(10);
  user.OnTimer = [&] {
    if (step == 0) {
      step = 1;
      dialog->value->SetText("4x");
      dialog->ok->Click();  // returns once the message is dismissed
      step = 2;
    } else if (step == 2) {
      step = 3;
      openAfterRefusal = dialog->Visible() && dialog->Modal();
      focusOnField = dialog->ActiveControl() == dialog->value;
      dialog->value->SetText("4");
      dialog->ok->Click();
    }
  };
  responder.AnswerFormByLoop(5000);
  responder.AnswerFormByLoop(5000);
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(step, 3);
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_TRUE(focusOnField);
}

// A modal dialog keeps the mouse from the other windows only while it is
// open: once it has closed (by an answer or by its own loop), a click on
// the window behind it reaches that window again, time after time.
TEST(FormsTest, OtherWindowsTakeTheMouseAgainOnceAModalDialogHasClosed) {
  TScriptedResponder responder(Fail);
  auto main = MakeForm<TForm>();
  main->SetCaption("Mapa");
  main->SetBounds(0, 0, 200, 100);
  auto* button = main->Create<TButton>(main.get(), "Button");
  button->SetBounds(10, 10, 80, 25);
  int clicks = 0;
  button->OnClick = [&](TComponent&) { ++clicks; };
  main->Show();
  auto click = [&] {
    const TGdiPoint p = ClientToScreen(*button, 40, 12);
    ScreenMouse(TScreenMouse::Press, p.X, p.Y);
    ScreenMouse(TScreenMouse::Release, p.X, p.Y);
    Application().ProcessMessages();
  };
  click();
  ASSERT_EQ(clicks, 1);

  auto dialog = MakeForm<NumberDialog>();
  dialog->SetBounds(300, 300, 240, 120);
  dialog->SetPosition(TPosition::Designed);
  TTimer timer;
  timer.SetEnabled(false);
  timer.SetInterval(20);
  timer.OnTimer = [&] {
    click();
    dialog->SetModalResult(mrOk);
  };
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    // While the dialog is open, a click on the window behind is dropped.
    responder.AnswerForm([&](TForm& form) {
      click();
      form.Get<TBitBtn>("BitBtn2").Click();
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(clicks, 1 + round * 2);
    click();
    EXPECT_EQ(clicks, 2 + round * 2);
    timer.SetEnabled(true);
    responder.AnswerFormByLoop(5000);
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    timer.SetEnabled(false);
    EXPECT_EQ(clicks, 2 + round * 2);
    click();
    EXPECT_EQ(clicks, 3 + round * 2);
  }
}

// A dialog keeps the size it was designed with; a sizeable form follows its
// bounds freely.
TEST(FormsTest, DialogBorderKeepsTheDesignedSize) {
  auto dialog = MakeForm<NumberDialog>();
  EXPECT_FALSE(dialog->Resizable());
  dialog->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(dialog->Width(), 300);
  EXPECT_FALSE(dialog->Resizable());
  dialog->SetBorderStyle(TFormBorderStyle::Sizeable);
  EXPECT_TRUE(dialog->Resizable());
  EXPECT_EQ(dialog->Width(), 300);
}

TEST(FormsTest, ModalLoopThatNeverEndsIsReportedAfterItsTimeout) {
  std::vector<std::string> failures;
  TScriptedResponder responder([&](const std::string& f) { failures.push_back(f); });
  auto form = MakeForm<TForm>();
  form->SetCaption("Wisi");
  responder.AnswerFormByLoop(30);
  EXPECT_EQ(form->ShowModal(), mrCancel);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Wisi"), std::string::npos);
}

TEST(FormsTest, AnAnswerThatRaisesLeavesTheFormClosed) {
  TScriptedResponder responder(Fail);
  auto dialog = MakeForm<NumberDialog>();
  responder.AnswerForm([](TForm& form) { form.Get<TEdit>("NoSuchEdit").SetText("1"); });
  EXPECT_THROW(dialog->ShowModal(), std::out_of_range);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->Modal());
  responder.AnswerForm(mrOk);
  EXPECT_EQ(dialog->ShowModal(), mrOk);
}

TEST(FormsTest, ShowingAVisibleFormModallyIsRefused) {
  auto form = MakeForm<TForm>();
  form->Show();
  EXPECT_THROW(form->ShowModal(), std::logic_error);
}

TEST(FormsTest, OnCreateRunsOnceAndOnDestroyWithTheComponentsStillThere) {
  int created = 0;
  bool editAlive = false;
  struct Form : TForm {
    Form(int& created, bool& alive) {
      Create<TEdit>(this, "E");
      OnCreate = [&created](TComponent&) { ++created; };
      OnDestroy = [&alive](TComponent& f) { alive = static_cast<TForm&>(f).Find<TEdit>("E") != nullptr; };
    }
  };
  auto form = MakeForm<Form>(created, editAlive);
  form->DoCreate();
  EXPECT_EQ(created, 1);
  form.reset();
  EXPECT_TRUE(editAlive);
}

TEST(FormsTest, CloseActionsOfAModelessForm) {
  auto form = MakeForm<TForm>();
  TCloseAction next = TCloseAction::None;
  form->OnClose = [&](TComponent&, TCloseAction& action) {
    EXPECT_EQ(action, TCloseAction::Hide);
    action = next;
  };
  form->Show();
  form->Close();
  EXPECT_TRUE(form->Visible());
  next = TCloseAction::Hide;
  form->Close();
  EXPECT_FALSE(form->Visible());
}

TEST(FormsTest, CloseWithFreeReleasesAnOwnedFormAfterTheEvent) {
  TComponent owner;
  bool destroyed = false;
  auto* form = owner.Create<TForm>(nullptr, "Okno");
  form->OnDestroy = [&](TComponent&) { destroyed = true; };
  form->OnClose = [](TComponent&, TCloseAction& action) { action = TCloseAction::Free; };
  form->Show();
  form->Close();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(owner.ComponentCount(), 1);
  PumpPostedMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(FormsTest, ClosingTheMainFormTerminatesTheApplication) {
  auto form = MakeForm<TForm>();
  Application().SetMainForm(form.get());
  form->Show();
  PostMessage(form->Handle(), WM_CLOSE);
  form->OnMessage = [&](std::uint32_t msg, std::uintptr_t, std::intptr_t) -> std::intptr_t {
    if (msg == WM_CLOSE) form->Close();
    return 0;
  };
  Application().Run();
  EXPECT_TRUE(Application().Terminated());
  form.reset();
  EXPECT_EQ(Application().MainForm(), nullptr);
}

TEST(FormsTest, MdiChildrenLiveInTheMainFrame) {
  auto frame = MakeForm<TForm>();
  frame->SetFormStyle(TFormStyle::MDIForm);
  Application().SetMainForm(frame.get());
  frame->Show();
  auto first = MakeForm<TForm>();
  first->SetFormStyle(TFormStyle::MDIChild);
  first->SetCaption("Mapa 1");
  auto second = MakeForm<TForm>();
  second->SetFormStyle(TFormStyle::MDIChild);
  second->SetCaption("Mapa 2");
  first->Show();
  second->Show();
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->ActiveMDIChild(), second.get());
  second.reset();
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_EQ(frame->MDIChildren(0), first.get());
  first.reset();
  Application().SetMainForm(nullptr);
}

TEST(FormsTest, MdiChildWithoutAFrameIsRefused) {
  Application().SetMainForm(nullptr);
  auto child = MakeForm<TForm>();
  child->SetFormStyle(TFormStyle::MDIChild);
  EXPECT_THROW(child->Show(), std::logic_error);
}

TEST(FormsTest, AlignedControlsShareTheClientArea) {
  auto form = MakeForm<TForm>();
  form->SetBounds(0, 0, 300, 200);
  auto* top = form->Create<TPanel>(form.get(), "Top");
  top->SetHeight(30);
  top->SetAlign(TAlign::Top);
  auto* status = form->Create<TStatusBar>(form.get(), "Status");
  auto* left = form->Create<TPanel>(form.get(), "Left");
  left->SetWidth(50);
  left->SetAlign(TAlign::Left);
  auto* client = form->Create<TPanel>(form.get(), "Client");
  client->SetAlign(TAlign::Client);
  const int h = form->ClientHeight();
  EXPECT_EQ(form->ClientWidth(), 300);
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(top->Width(), 300);
  EXPECT_EQ(status->Top(), h - status->Height());
  EXPECT_EQ(left->Top(), 30);
  EXPECT_EQ(left->Height(), h - 30 - status->Height());
  EXPECT_EQ(client->Left(), 50);
  EXPECT_EQ(client->Width(), 250);
  form->SetBounds(0, 0, 400, 300);
  EXPECT_EQ(client->Width(), 350);
  EXPECT_EQ(status->Top(), form->ClientHeight() - status->Height());
  left->Hide();
  EXPECT_EQ(client->Left(), 0);
}

TEST(FormsTest, ClientSizeSetsTheWindowSize) {
  auto form = MakeForm<TForm>();
  form->SetClientWidth(320);
  form->SetClientHeight(154);
  EXPECT_EQ(form->ClientWidth(), 320);
  EXPECT_EQ(form->ClientHeight(), 154);
}

// A window that stays on top leaves that layer around a message box and
// comes back; neither step moves, hides or sizes it.
TEST(FormsTest, StayOnTopWindowLeavesAndReentersTheTopLayerInPlace) {
  auto plain = MakeForm<TForm>();
  EXPECT_FALSE(plain->TopMost());
  auto form = MakeForm<TForm>();
  form->SetBorderStyle(TFormBorderStyle::Dialog);
  form->SetFormStyle(TFormStyle::StayOnTop);
  EXPECT_TRUE(form->TopMost());
  form->SetBounds(40, 30, 200, 120);
  auto* edit = form->Create<TEdit>(form.get(), "Edit");
  form->Show();
  edit->SetFocus();
  const int left = form->Left();
  const int top = form->Top();
  for (bool topMost : {false, true, false}) {
    SCOPED_TRACE(topMost);
    form->SetTopMost(topMost);
    EXPECT_EQ(form->TopMost(), topMost);
    EXPECT_TRUE(form->Showing());
    EXPECT_EQ(form->Left(), left);
    EXPECT_EQ(form->Top(), top);
    EXPECT_EQ(form->Width(), 200);
    EXPECT_EQ(form->Height(), 120);
    EXPECT_TRUE(edit->Focused());
  }
  // Another change of the window's flags keeps the layer it is in.
  form->SetBorderIcons(biSystemMenu);
  EXPECT_FALSE(form->TopMost());
  form->Hide();
}

// Escape, Enter and Tab in a control are dialog keys: the form's handler
// sees them first and may take them; the key preview and the control see
// them next, as keys.
TEST(FormsTest, DialogKeysComeBeforeTheKeyPreview) {
  auto form = MakeForm<TForm>();
  form->SetBounds(0, 0, 240, 120);
  form->SetKeyPreview(true);
  auto* first = form->Create<TEdit>(form.get(), "First");
  first->SetBounds(8, 8, 100, 21);
  auto* second = form->Create<TEdit>(form.get(), "Second");
  second->SetBounds(120, 8, 100, 21);
  std::vector<std::string> seen;
  std::uint16_t take = 0;
  form->OnDialogKey = [&](TComponent&, std::uint16_t& key, TShiftState) {
    seen.push_back("dialog " + std::to_string(key));
    if (key == take) key = 0;
  };
  form->OnKeyDown = [&](TComponent&, std::uint16_t& key, TShiftState) { seen.push_back("preview " + std::to_string(key)); };
  first->OnKeyDown = [&](TComponent&, std::uint16_t& key, TShiftState) { seen.push_back("edit " + std::to_string(key)); };
  form->Show();
  first->SetFocus();

  first->SendKey(VK_ESCAPE);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 3),
            (std::vector<std::string>{"dialog 27", "preview 27", "edit 27"}));
  // Other keys are no dialog keys.
  seen.clear();
  first->SendKey(VK_F1);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "preview 112");
  // A dialog key taken by the handler goes no further: Tab does not move.
  seen.clear();
  take = VK_TAB;
  first->SendKey(VK_TAB);
  EXPECT_EQ(seen, std::vector<std::string>{"dialog 9"});
  EXPECT_TRUE(first->Focused());
  take = 0;
  first->SendKey(VK_TAB);
  EXPECT_TRUE(second->Focused());
  form->Hide();
}

TEST(FormsTest, FocusNextControlFollowsTheTabOrder) {
  auto form = MakeForm<TForm>();
  form->SetBounds(0, 0, 300, 120);
  // Made in another order than they stand on the screen.
  auto* right = form->Create<TEdit>(form.get(), "Right");
  right->SetBounds(200, 8, 80, 21);
  auto* left = form->Create<TEdit>(form.get(), "Left");
  left->SetBounds(8, 8, 80, 21);
  auto* hidden = form->Create<TEdit>(form.get(), "Hidden");
  hidden->SetBounds(100, 8, 80, 21);
  hidden->Hide();
  auto* ok = form->Create<TButton>(form.get(), "Ok");
  ok->SetBounds(8, 60, 75, 25);
  form->Show();
  left->SetFocus();
  form->FocusNextControl();
  EXPECT_TRUE(right->Focused());
  form->FocusNextControl();
  EXPECT_TRUE(ok->Focused());
  form->FocusNextControl(false);
  EXPECT_TRUE(right->Focused());
  form->Hide();
}

TEST(ComponentTest, FindIgnoresCaseAndGetNamesWhatIsMissing) {
  auto form = MakeForm<TForm>();
  auto* edit = form->Create<TEdit>(form.get(), "WarWysw");
  form->Create<TMaskEdit>(form.get(), "WndSizeX");
  EXPECT_EQ(form->FindComponent("warwysw"), edit);
  EXPECT_EQ(form->Find<TCheckBox>("WarWysw"), nullptr);
  EXPECT_EQ(form->Find<TEdit>("WndSizeX"), nullptr);  // a masked edit is no plain edit
  EXPECT_NE(form->Find<TCustomEdit>("WndSizeX"), nullptr);
  try {
    form->Get<TEdit>("Brak");
    FAIL();
  } catch (const std::out_of_range& e) {
    EXPECT_NE(std::string(e.what()).find("Brak"), std::string::npos);
  }
}

TEST(ComponentTest, OwnedComponentsAreFreedNewestFirst) {
  std::vector<std::string> freed;
  struct Probe : TComponent {
    Probe(std::vector<std::string>& log) : log_(log) {}
    ~Probe() override { log_.push_back(Name()); }
    std::vector<std::string>& log_;
  };
  {
    TComponent owner;
    owner.Create<Probe>(nullptr, "a", freed);
    owner.Create<Probe>(nullptr, "b", freed);
    auto released = owner.RemoveComponent(owner.Components(0));
    EXPECT_EQ(owner.ComponentCount(), 1);
    owner.Create<Probe>(nullptr, "c", freed);
  }
  EXPECT_EQ(freed, (std::vector<std::string>{"a", "c", "b"}));
}

TEST(ComponentTest, FreeingAContainerFreesTheControlsOnIt) {
  auto form = MakeForm<TForm>();
  auto* panel = form->Create<TPanel>(form.get(), "Panel");
  auto* edit = form->Create<TEdit>(panel, "Edit");
  auto loose = std::make_unique<TEdit>();
  loose->SetParent(panel);
  loose->SetText("zostaje");
  (void)edit;
  form->RemoveComponent(panel);
  EXPECT_EQ(form->FindComponent("Edit"), nullptr);
  EXPECT_EQ(form->ComponentCount(), 0);
  EXPECT_EQ(loose->Parent(), nullptr);
  EXPECT_EQ(loose->Text(), "zostaje");
  loose->SetParent(form.get());
  EXPECT_EQ(form->ControlCount(), 1);
}

TEST(ComponentTest, ControlsOfAPanelMovedToTheFormStay) {
  auto form = MakeForm<TForm>();
  auto* pages = form->Create<TPageControl>(form.get(), "Pages");
  auto* sheet = form->Create<TTabSheet>(pages, "WyswietlanieS");
  auto* panel = form->Create<TPanel>(sheet, "WyswietlanieP");
  auto* check = form->Create<TCheckBox>(panel, "WsText");
  pages->SetVisible(false);
  panel->SetParent(form.get());
  EXPECT_EQ(panel->Parent(), form.get());
  EXPECT_EQ(sheet->ControlCount(), 0);
  EXPECT_EQ(check->Parent(), panel);
  form->Show();
  EXPECT_TRUE(check->Showing());
  EXPECT_FALSE(pages->Showing());
}

}  // namespace
