#include "layers/dialogs/layerdlg.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/responder.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

struct NewLayerCase {
  const char* title;
  const char* name;
  const char* count;
  bool textKind;
  TModalResult result;  // mrNone: the dialog stays open
  const char* message;  // "" for none
  const char* focused;  // the control focused when refused
  int maxIlosc;
};

class NewLayerTest : public ::testing::TestWithParam<NewLayerCase> {};

TEST_P(NewLayerTest, ChecksTheNameAndTheSublayerCount) {
  const NewLayerCase& c = GetParam();
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TNewWarstwa>();
  EXPECT_EQ(dlg->MaxIloscPodwarstw->Text(), "10");
  responder.AnswerForm([&](TForm&) {
    dlg->Name->SetText(c.name);
    dlg->MaxIloscPodwarstw->SetText(c.count);
    (c.textKind ? dlg->BitBtn2 : dlg->BitBtn1)->Click();
  });
  if (c.result == mrNone) {
    if (*c.message) responder.AnswerMessageBox(IDOK);
    responder.AnswerForm([&](TForm& form) {
      EXPECT_EQ(form.ActiveControl(), form.Find<TWinControl>(c.focused));
      dlg->CancelBtn->Click();
    });
  }
  const TModalResult result = dlg->ShowModal();
  EXPECT_EQ(result, c.result == mrNone ? mrCancel : c.result);
  const std::size_t boxes = *c.message ? 1u : 0u;
  ASSERT_EQ(responder.Shown().size(), 1u + boxes);
  if (boxes) {
    EXPECT_EQ(responder.Shown()[1].text, c.message);
    EXPECT_EQ(responder.Shown()[1].caption, "Błąd");
  }
  if (c.result != mrNone) {
    EXPECT_EQ(dlg->MaxIlosc, c.maxIlosc);
  }
}

constexpr char kNameMessage[] = "Nazwa warstwy nie może być pusta ani zawierać spacji";

INSTANTIATE_TEST_SUITE_P(
    Cases, NewLayerTest,
    ::testing::Values(
        NewLayerCase{"Space", "NOWA WAR", "10", false, mrNone, kNameMessage, "Name", 0},
        NewLayerCase{"Empty", "", "10", true, mrNone, kNameMessage, "Name", 0},
        NewLayerCase{"Count250", "DROGI", "250", false, TNewWarstwa::kLineLayer, "", "", 250},
        NewLayerCase{"Count251", "DROGI", "251", false, mrNone,
                     "Liczba podwarstw większa od maksymalnej 250", "MaxIloscPodwarstw", 0},
        NewLayerCase{"Count0", "OPISY", "0", true, TNewWarstwa::kTextLayer, "", "", 0},
        NewLayerCase{"CountEmpty", "OPISY", "", true, mrNone, "", "MaxIloscPodwarstw", 0}),
    [](const ::testing::TestParamInfo<NewLayerCase>& info) { return std::string(info.param.title); });

TEST(NewLayerTest, CountTakesDigitsOnlyAndNameTenCharacters) {
  auto dlg = MakeForm<TNewWarstwa>();
  dlg->MaxIloscPodwarstw->SetText("");
  dlg->MaxIloscPodwarstw->SendText("1a-2,5");
  EXPECT_EQ(dlg->MaxIloscPodwarstw->Text(), "125");
  dlg->Name->SendText("ŻÓŁWIEDROGI_2");
  EXPECT_EQ(dlg->Name->Text(), "ŻÓŁWIEDROG");
  EXPECT_EQ(dlg->Caption(), "Nowa warstwa");
  EXPECT_EQ(dlg->HelpContext(), 415);
}

class FakeLayer : public TWarstwaLinkI {
public:
  std::string LayerName() const override { return "DROGI"; }
  bool AddSublayer() override {
    ++added;
    return canAdd;
  }
  int added = 0;
  bool canAdd = true;
};

TEST(LayerHeaderDialogTest, AfterAddingASublayerOnlyOkOrTheDeleteButtonsClose) {
  TScriptedResponder responder(Fail);
  FakeLayer layer;
  auto dlg = MakeForm<TChangeWarstwaHeader>();
  dlg->Warstwa = &layer;
  dlg->Name->SetText("DROGI");
  responder.AnswerForm([&](TForm& form) {
    dlg->NewPodw->Click();
    EXPECT_FALSE(dlg->BitBtn2->Enabled());
    form.Close();
  });
  responder.AnswerForm([&](TForm&) { dlg->Name->SendKey(VK_ESCAPE); });
  responder.AnswerForm([&](TForm&) { dlg->BitBtn1->Click(); });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(layer.added, 1);
  responder.AnswerForm([&](TForm&) { dlg->BitBtn5->Click(); });
  EXPECT_EQ(dlg->ShowModal(), TChangeWarstwaHeader::kDeleteLastSublayer);
}

TEST(LayerHeaderDialogTest, NoSublayerAddedKeepsCancel) {
  TScriptedResponder responder(Fail);
  FakeLayer layer;
  layer.canAdd = false;
  auto dlg = MakeForm<TChangeWarstwaHeader>();
  dlg->Warstwa = &layer;
  responder.AnswerForm([&](TForm& form) {
    dlg->NewPodw->Click();
    form.Close();
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

TEST(LayerHeaderDialogTest, DeletingTheLayerIsConfirmed) {
  TScriptedResponder responder(Fail);
  FakeLayer layer;
  auto dlg = MakeForm<TChangeWarstwaHeader>();
  dlg->Warstwa = &layer;
  responder.AnswerForm([&](TForm&) { dlg->BitBtn4->Click(); });
  responder.AnswerMessageBox(IDNO);
  responder.AnswerForm([&](TForm&) { dlg->BitBtn4->Click(); });
  responder.AnswerMessageBox(IDYES);
  EXPECT_EQ(dlg->ShowModal(), TChangeWarstwaHeader::kDeleteLayer);
  ASSERT_EQ(responder.Shown().size(), 3u);
  EXPECT_EQ(responder.Shown()[1].text, "Usunąć warstwę DROGI razem z zawartością?");
  EXPECT_EQ(responder.Shown()[1].caption, "Potwierdź");
  EXPECT_EQ(responder.Shown()[1].flags & 0xFu, MB_YESNO);
  EXPECT_EQ(responder.Shown()[1].flags & MB_DEFBUTTON2, MB_DEFBUTTON2);
}

TEST(LayerHeaderDialogTest, EmptyNameIsRefused) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TChangeWarstwaHeader>();
  responder.AnswerForm([&](TForm&) { dlg->BitBtn1->Click(); });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(form.ActiveControl(), dlg->Name);
    dlg->Name->SetText("X");
    dlg->BitBtn1->Click();
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].text, "Nazwa warstwy nie może być pusta");
  EXPECT_EQ(responder.Shown()[1].caption, "Błąd");
  EXPECT_EQ(responder.Shown()[1].flags, MB_OK);
}

TEST(MoveSublayerDialogTest, GivesTheChosenEntry) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TMovePodwarstwaD>();
  dlg->DestPodwarstwa->Items().Assign(std::vector<std::string>{"1 DROGI", "2 RZEKI"});
  responder.AnswerForm(
      [&](TForm& form) {
        EXPECT_EQ(form.ActiveControl(), dlg->DestPodwarstwa);
        dlg->DestPodwarstwa->UserSelect(1);
        dlg->DestPodwarstwa->SendKey(VK_RETURN);
      },
      "Przesunięcie podwarstwy");
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(dlg->DestPodwarstwa->ItemIndex(), 1);
}

}  // namespace

namespace {

std::string Focused(const TForm& form) {
  TWinControl* active = form.ActiveControl();
  return active != nullptr ? active->Name() : std::string();
}

std::vector<std::string> TabThrough(TForm& form, int count) {
  std::vector<std::string> visited;
  for (int i = 0; i < count; ++i) {
    form.ActiveControl()->SendKey(VK_TAB);
    visited.push_back(Focused(form));
  }
  return visited;
}

using Texts = std::vector<std::string>;

TEST(LayerDialogKeysTest, LayerHeaderTabEnterAndEscape) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TChangeWarstwaHeader>();
  dlg->Name->SetText("DROGI");
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(Focused(form), "Name");
    EXPECT_EQ(TabThrough(form, 8), (Texts{"FullName", "NewPodw", "BitBtn4", "BitBtn5", "BitBtn1",
                                          "BitBtn2", "BitBtn3", "Name"}));
    dlg->FullName->SendKey(VK_RETURN);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  responder.AnswerForm([&](TForm&) { dlg->FullName->SendKey(VK_ESCAPE); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

TEST(LayerDialogKeysTest, NewLayerEnterMakesALineLayerEscapeCancels) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TNewWarstwa>();
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(Focused(form), "Name");
    EXPECT_EQ(TabThrough(form, 7), (Texts{"DlugaNazwa", "MaxIloscPodwarstw", "BitBtn1", "BitBtn2",
                                          "CancelBtn", "HelpBtn", "Name"}));
    dlg->Name->SetText("DROGI");
    dlg->MaxIloscPodwarstw->SendKey(VK_RETURN);
  });
  EXPECT_EQ(dlg->ShowModal(), TNewWarstwa::kLineLayer);
  EXPECT_EQ(dlg->MaxIlosc, 10);
  responder.AnswerForm([&](TForm&) { dlg->Name->SendKey(VK_ESCAPE); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

TEST(LayerDialogKeysTest, MoveSublayerTabAndEscape) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TMovePodwarstwaD>();
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(TabThrough(form, 3), (Texts{"OKBtn", "CancelBtn", "DestPodwarstwa"}));
    dlg->DestPodwarstwa->SendKey(VK_ESCAPE);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
}

}  // namespace
