#include "layers/dialogs/sublayerdlg.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/justifypicker.h"
#include "controls/linepreview.h"
#include "foundation/settings/settings.h"
#include "objects/linestylelib.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/responder.h"

namespace {

using namespace platform;
using Texts = std::vector<std::string>;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

// The view's background colour with its change notification.
class FakeBackground : public TViewBackgroundI {
public:
  std::uint32_t KolorTla() const override { return colour; }
  int Subscribe(std::function<void()> Changed) override {
    handlers[++next] = std::move(Changed);
    return next;
  }
  void Unsubscribe(int Token) override { handlers.erase(Token); }
  void Change(std::uint32_t c) {
    colour = c;
    for (auto& [token, h] : handlers) h();
  }
  std::uint32_t colour = 0x000000;
  std::map<int, std::function<void()>> handlers;
  int next = 0;
};

// Two layers: "DROGI" with sublayers 1 to 12, "RZEKI" with 1 and 2.
class FakeLayers : public TLayerListI {
public:
  Texts LayerNames() const override { return {"DROGI", "RZEKI"}; }
  std::vector<TSublayerEntry> Sublayers(const std::string& Layer) const override {
    std::vector<TSublayerEntry> out;
    const int n = Layer == "DROGI" ? 12 : 2;
    for (int i = 1; i <= n; ++i)
      out.push_back({static_cast<std::uint8_t>(i), Layer + "_" + std::to_string(i)});
    return out;
  }
};

// The built-in line styles; the box about the missing style file is
// answered here.
std::unique_ptr<TLineManager> BuiltInStyles() {
  TScriptedResponder quiet([](const std::string&) {});
  quiet.AnswerMessageBox(IDOK);
  return TLineManager::CreateFromFile("");
}

struct LineDialog {
  LineDialog() : lib(BuiltInStyles()) {
    dlg = MakeForm<TChangeLiniowaPodwarstwaHeader>(&background, lib.get(), &konf);
  }
  FakeBackground background;
  TKonfiguracja konf;
  std::unique_ptr<TLineManager> lib;
  std::unique_ptr<TChangeLiniowaPodwarstwaHeader> dlg;
};

TEST(SublayerDialogTest, ConditionIsShownAsItsInverse) {
  auto dlg = MakeForm<TChangePodwarstwaHeader>();
  const struct {
    double stored;
    const char* shown;
  } cases[] = {{0, "0"}, {0.5, "2"}, {3, "0.33"}, {0.1, "10"}, {1e-320, "0"}};
  for (const auto& c : cases) {
    dlg->SetWarunek(c.stored);
    EXPECT_EQ(dlg->WarWysw->Text(), c.shown) << c.stored;
    EXPECT_EQ(dlg->Warunek(), c.stored);
  }
  dlg->SetGrubosc(0.126f);
  EXPECT_EQ(dlg->Grubosc1E->Text(), "0.13");
  dlg->CurrentScale = 0.4;
  dlg->BitBtn2->Click();
  EXPECT_EQ(dlg->WarWysw->Text(), "2");
}

TEST(SublayerDialogTest, CommaIsTypedAsPointAndOkStoresTheInverse) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TChangePodwarstwaHeader>();
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TChangePodwarstwaHeader&>(form);
    d.WarWysw->SetText("");
    d.WarWysw->SendText("1,5x-");
    EXPECT_EQ(d.WarWysw->Text(), "1.5");
    d.Grubosc1E->SetText("0.25");
    d.BitBtn1->Click();
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_DOUBLE_EQ(dlg->Warunek(), 1 / 1.5);
  EXPECT_FLOAT_EQ(dlg->Grubosc(), 0.25f);
}

struct WrongField {
  const char* title;
  bool text;  // text dialog, else line dialog
  const char* field;
  const char* value;
  const char* message;
};

class SublayerDialogWrongFieldTest : public ::testing::TestWithParam<WrongField> {};

TEST_P(SublayerDialogWrongFieldTest, OkNamesTheFieldFocusesItAndStaysOpen) {
  const WrongField& c = GetParam();
  TScriptedResponder responder(Fail);
  FakeLayers layers;
  LineDialog line;
  std::unique_ptr<TChangePodwarstwaHeader> textDlg;
  TChangePodwarstwaHeader* dlg = line.dlg.get();
  if (c.text) {
    textDlg = MakeForm<TChangeTextowaPodwarstwaHeader>(nullptr, &layers);
    dlg = textDlg.get();
  }
  responder.AnswerForm([&](TForm& form) {
    form.Get<TEdit>(c.field).SetText(c.value);
    dlg->BitBtn1->Click();
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(form.ActiveControl(), form.Find<TEdit>(c.field));
    dlg->Cancel->Click();
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].kind, TModalKind::MessageBox);
  EXPECT_EQ(responder.Shown()[1].text, c.message);
  EXPECT_EQ(responder.Shown()[1].caption, "Błąd");
  EXPECT_EQ(responder.Shown()[1].flags & 0xF0u, MB_ICONERROR);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SublayerDialogWrongFieldTest,
    ::testing::Values(
        WrongField{"LineCondition", false, "WarWysw", "", "Warunek nie jest liczbą rzeczywistą"},
        WrongField{"LineThickness", false, "Grubosc1E", "1..2", "Grubość nie jest liczbą rzeczywistą"},
        WrongField{"LineMultiplier", false, "mnoznik", ".", "mnożnik nie jest liczbą rzeczywistą"},
        WrongField{"LineMultiplierZero", false, "mnoznik", "0", "mnożnik nie może być zerem"},
        WrongField{"LineThin", false, "Grubosc2E", "", "Grubość nie jest liczbą rzeczywistą"},
        WrongField{"LineThick", false, "Grubosc3E", "", "Grubość nie jest liczbą rzeczywistą"},
        WrongField{"TextCondition", true, "WarWysw", "", "Warunek nie jest liczbą rzeczywistą"},
        WrongField{"TextHeight", true, "Wysokosc", "", "Wysokosc nie jest liczbą rzeczywistą"},
        WrongField{"Text500", true, "s500", "", "Mnoznik nie jest liczbą rzeczywistą"},
        WrongField{"Text5000", true, "s5000", "5.5.", "Mnoznik nie jest liczbą rzeczywistą"}),
    [](const ::testing::TestParamInfo<WrongField>& info) { return std::string(info.param.title); });

// A wrong condition and a wrong multiplier gave two error boxes for one OK:
// the line fields were read after the common check had failed.
TEST(SublayerDialogTest, LineDialogOneOkShowsOneErrorBox) {
  TScriptedResponder responder(Fail);
  LineDialog line;
  responder.AnswerForm([&](TForm&) {
    line.dlg->WarWysw->SetText("");
    line.dlg->mnoznik->SetText("0");
    line.dlg->BitBtn1->Click();
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm&) { line.dlg->Cancel->Click(); });
  EXPECT_EQ(line.dlg->ShowModal(), mrCancel);
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].text, "Warunek nie jest liczbą rzeczywistą");
}

TEST(SublayerDialogTest, TextDialogAcceptsZeroMultipliers) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TChangeTextowaPodwarstwaHeader>();
  EXPECT_EQ(dlg->s500->Text(), "0.5");
  EXPECT_EQ(dlg->s5000->Text(), "5");
  responder.AnswerForm([&](TForm&) {
    dlg->s1000->SetText("0");
    dlg->WysokoscE->SetText("2.5");
    dlg->BitBtn1->Click();
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_FLOAT_EQ(dlg->Mnozniki()[1], 0.0f);
  EXPECT_FLOAT_EQ(dlg->Mnozniki()[2], 2.0f);
  EXPECT_FLOAT_EQ(dlg->Wysokosc(), 2.5f);
}

TEST(SublayerDialogTest, LineSettersAndGetters) {
  LineDialog line;
  auto& d = *line.dlg;
  EXPECT_EQ(d.Caption(), "Edycja nagłówka podwarstwy liniowej");
  EXPECT_EQ(d.HelpContext(), 417);
  EXPECT_EQ(d.TypLini->Items().Count(), line.lib->Count());
  d.SetLineType(3);
  EXPECT_EQ(d.GetSpecialLineNumber(), 3);
  EXPECT_EQ(d.TypLini->Text(), line.lib->GetLine(3)->Name);
  d.TypLini->SetText(line.lib->GetLine(5)->Name);
  d.TypLini->UserSelect(d.TypLini->Items().IndexOf(line.lib->GetLine(5)->Name));
  EXPECT_EQ(d.GetSpecialLineNumber(), 5);
  const struct {
    int code, index, width;
  } widths[] = {{0, 0, 1}, {1, 0, 1}, {2, 1, 3}, {-1, 1, 3}};
  for (const auto& w : widths) {
    d.SetScreenWidth(w.code);
    EXPECT_EQ(d.GruboscCB->ItemIndex(), w.index);
    EXPECT_EQ(d.GetScreenWidth(), w.width);
    EXPECT_EQ(d.Linia->LineWidth(), w.width);
  }
  d.SetJakZ(2);
  EXPECT_EQ(d.GetJakZ(), 2);
  d.SetMnoznik(1.25f);
  EXPECT_EQ(d.mnoznik->Text(), "1.25");
  d.SetGruboscCienka(0.254f);
  d.SetGruboscGruba(1.0f);
  EXPECT_EQ(d.Grubosc2E->Text(), "0.25");
  EXPECT_EQ(d.Grubosc3E->Text(), "1");
  d.SetKolor(0x0000FF);
  EXPECT_EQ(d.Linia->Kolor(), 0x0000FFu);
}

TEST(SublayerDialogTest, SampleFollowsTheViewBackgroundUntilTheDialogIsFreed) {
  LineDialog line;
  line.background.Change(0x00FF00);
  EXPECT_EQ(line.dlg->Preview->Color(), 0x00FF00u);
  EXPECT_EQ(line.background.handlers.size(), 1u);
  line.dlg.reset();
  EXPECT_TRUE(line.background.handlers.empty());
}

TEST(SublayerDialogTest, ColourPanelsOpenTheColourDialog) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TChangePodwarstwaHeader>();
  dlg->SetKolor(0x112233);
  responder.AnswerDialog([](TCommonDialog& dialog) {
    auto& colour = dynamic_cast<TColorDialog&>(dialog);
    EXPECT_EQ(colour.Color(), 0x112233u);
    colour.SetColor(0x445566);
    return true;
  });
  dlg->Preview->Click();
  EXPECT_EQ(dlg->Kolor(), 0x445566u);
  responder.AnswerCancel();
  dlg->PrintKolorE->Click();
  EXPECT_EQ(dlg->PrintKolor(), 0u);
  // From the keyboard.
  responder.AnswerDialog([](TCommonDialog& dialog) {
    dynamic_cast<TColorDialog&>(dialog).SetColor(0x778899);
    return true;
  });
  dlg->PrintKolorE->SendKey(VK_SPACE);
  EXPECT_EQ(dlg->PrintKolor(), 0x778899u);
  EXPECT_EQ(dlg->PrintKolorE->Color(), 0x778899u);
}

TEST(SublayerDialogTest, CancelIsRefusedWhileTheCancelButtonIsDisabled) {
  TScriptedResponder responder(Fail);
  auto dlg = MakeForm<TChangePodwarstwaHeader>();
  dlg->Cancel->SetEnabled(false);
  responder.AnswerForm([](TForm& form) { form.Close(); });
  responder.AnswerForm([](TForm& form) { dynamic_cast<TChangePodwarstwaHeader&>(form).BitBtn4->Click(); });
  EXPECT_EQ(dlg->ShowModal(), TChangePodwarstwaHeader::kDeleteContent);
  dlg->Cancel->SetEnabled(true);
  responder.AnswerForm([](TForm& form) { form.Close(); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  responder.AnswerForm([](TForm& form) {
    dynamic_cast<TChangePodwarstwaHeader&>(form).MovePodwarstwaBtn->Click();
  });
  EXPECT_EQ(dlg->ShowModal(), TChangePodwarstwaHeader::kMoveContent);
}

TEST(SublayerDialogTest, NumberGoesIntoTheCaption) {
  auto dlg = MakeForm<TChangePodwarstwaHeader>();
  TChangePodwarstwaHeader::AppendNumberToCaption(*dlg, 4);
  EXPECT_EQ(dlg->Caption(), "Edycja nagłówka podwarstwy - 4");
  TChangePodwarstwaHeader::AppendNumberToCaption(*dlg, 12);
  EXPECT_EQ(dlg->Caption(), "Edycja nagłówka podwarstwy - 12");
}

struct MaskingFixture : ::testing::Test {
  MaskingFixture() { dlg = MakeForm<TChangeTextowaPodwarstwaHeader>(nullptr, &layers); }
  // Picks sublayer Number of the chosen layer and adds it.
  void Add(int Number) {
    dlg->ZasPodwL->UserSelect(Number);
    dlg->ZasAdd->Click();
  }
  std::vector<int> Record() const {
    const auto& r = dlg->ZasloniecieRecord();
    return std::vector<int>(r.Numbers, r.Numbers + r.Count);
  }
  FakeLayers layers;
  std::unique_ptr<TChangeTextowaPodwarstwaHeader> dlg;
};

TEST_F(MaskingFixture, NothingAndEverythingDisableTheLists) {
  EXPECT_EQ(dlg->ZasWarstwa->Items().ToVector(), (Texts{"Nic", "Wszystkie", "DROGI", "RZEKI"}));
  for (const char* layer : {"", "*"}) {
    dlg->SetZasWarstwa(layer);
    EXPECT_EQ(dlg->GetZasWarstwa(), layer);
    EXPECT_FALSE(dlg->ZasPodwL->Enabled());
    EXPECT_FALSE(dlg->ZasAdd->Enabled());
    EXPECT_FALSE(dlg->ZasDel->Enabled());
    EXPECT_FALSE(dlg->ZasPodwarstwa->Enabled());
  }
  // A layer the list does not know stays named.
  dlg->SetZasWarstwa("STARA");
  EXPECT_EQ(dlg->GetZasWarstwa(), "STARA");
}

TEST_F(MaskingFixture, EleventhSublayerIsNotAddedAndRemovalMovesTheLast) {
  dlg->SetZasWarstwa("DROGI");
  TZasloniecieRecord record;
  record.Count = 3;
  record.Numbers[0] = 4;
  record.Numbers[1] = 5;
  record.Numbers[2] = 6;
  dlg->SetZasPodwarstwy(record);
  EXPECT_EQ(dlg->ZasPodwarstwa->Items().ToVector(), (Texts{"DROGI_4", "DROGI_5", "DROGI_6"}));
  dlg->ZasPodwarstwa->UserSelect(0);
  dlg->ZasDel->Click();
  EXPECT_EQ(Record(), (std::vector<int>{6, 5}));
  EXPECT_EQ(dlg->ZasPodwarstwa->Items().ToVector(), (Texts{"DROGI_5", "DROGI_6"}));
  Add(5);  // already there
  EXPECT_EQ(Record(), (std::vector<int>{6, 5}));
  for (int n : {1, 2, 3, 4, 7, 8, 9, 10, 11}) Add(n);
  EXPECT_EQ(Record(), (std::vector<int>{6, 5, 1, 2, 3, 4, 7, 8, 9, 10}));
  EXPECT_EQ(dlg->ZasPodwarstwa->Items().Count(), 10);
}

TEST_F(MaskingFixture, AllSublayersStateAndBack) {
  dlg->SetZasWarstwa("RZEKI");
  TZasloniecieRecord all;
  dlg->SetZasPodwarstwy(all);
  EXPECT_EQ(dlg->ZasPodwarstwa->Items().ToVector(), Texts{"Wszystko"});
  EXPECT_FALSE(dlg->ZasAdd->Enabled());
  EXPECT_FALSE(dlg->ZasPodwL->Enabled());
  dlg->ZasPodwarstwa->UserSelect(0);
  dlg->ZasDel->Click();
  EXPECT_TRUE(dlg->ZasAdd->Enabled());
  EXPECT_TRUE(dlg->ZasPodwarstwa->Items().ToVector().empty());
  Add(2);
  EXPECT_EQ(Record(), std::vector<int>{2});
  Add(0);  // "Wszystkie"
  EXPECT_EQ(dlg->ZasloniecieRecord().Count, 0);
  EXPECT_EQ(dlg->ZasPodwarstwa->Items().ToVector(), Texts{"Wszystko"});
  // A record that claims more than ten numbers is read as ten.
  TZasloniecieRecord bad;
  bad.Count = 200;
  dlg->SetZasPodwarstwy(bad);
  EXPECT_EQ(dlg->ZasloniecieRecord().Count, 10);
}

TEST(TextSublayerDialogTest, SettersAndGetters) {
  auto dlg = MakeForm<TChangeTextowaPodwarstwaHeader>();
  EXPECT_EQ(dlg->HelpContext(), 418);
  EXPECT_EQ(dlg->NotClipCB->Caption(), "Nie podlega obcinaniu");
  dlg->SetJustyfikacja(3);
  EXPECT_EQ(dlg->Justyfikacja(), 3);
  EXPECT_EQ(dlg->Justyfikacja1->Justyfikacja(), 3);
  dlg->SetWysokosc(2.75f);
  EXPECT_EQ(dlg->WysokoscE->Text(), "2.75");
  dlg->SetMnozniki({0.25f, 1.5f, 3.0f, 7.125f});
  EXPECT_EQ(dlg->s500->Text(), "0.25");
  EXPECT_EQ(dlg->s5000->Text(), "7.125");
  dlg->SetItalic(true);
  dlg->SetCzyKat(true);
  dlg->SetZatrzask(2);
  EXPECT_TRUE(dlg->GetItalic());
  EXPECT_TRUE(dlg->GetCzyKat());
  EXPECT_EQ(dlg->GetZatrzask(), 2);
  dlg->SetAutoWidth(true);
  EXPECT_TRUE(dlg->GetAutoWidth());
  EXPECT_FALSE(dlg->Grubosc1E->Enabled());
  dlg->AutoWidth->Click();
  EXPECT_TRUE(dlg->Grubosc1E->Enabled());
  dlg->Justyfikacja1->ClickAt(95, 45);
  EXPECT_EQ(dlg->Justyfikacja(), 3);
  dlg->Justyfikacja1->ClickAt(5, 5);
  EXPECT_EQ(dlg->Justyfikacja(), 7);
}

}  // namespace

namespace {

// The list of available sublayers is replaced while the dialog is shown.
TEST_F(MaskingFixture, ChoosingALayerInTheShownDialogRefillsTheLists) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([&](TForm&) {
    dlg->ZasWarstwa->UserSelect(3);
    EXPECT_EQ(dlg->ZasPodwL->Items().ToVector(), (Texts{"Wszystkie", "RZEKI_1", "RZEKI_2"}));
    EXPECT_TRUE(dlg->ZasDel->Enabled());
    dlg->ZasWarstwa->UserSelect(2);
    EXPECT_EQ(dlg->ZasPodwL->Items().Count(), 13);
    EXPECT_EQ(dlg->ZasPodwL->Items()[12], "DROGI_12");
    dlg->ZasPodwL->UserSelect(0);
    dlg->ZasAdd->Click();
    dlg->BitBtn1->Click();
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(dlg->GetZasWarstwa(), "DROGI");
  EXPECT_EQ(dlg->ZasloniecieRecord().Count, 0);
}

}  // namespace

namespace {

std::string Focused(const TForm& form) {
  TWinControl* active = form.ActiveControl();
  return active != nullptr ? active->Name() : std::string();
}

// Presses Tab count times from the focused control; the names visited.
Texts TabThrough(TForm& form, int count) {
  Texts visited;
  for (int i = 0; i < count; ++i) {
    form.ActiveControl()->SendKey(VK_TAB);
    visited.push_back(Focused(form));
  }
  return visited;
}

// The common fields first, then the kind's own, then the button row; the
// panels of the sample and the print colour are reached too.
TEST(SublayerDialogKeysTest, TabFollowsTheScreenEnterAcceptsEscapeCancels) {
  const Texts common = {"DlugaNazwa", "Visible",  "NotClipCB", "Preview",
                        "WarWysw",    "BitBtn2",  "Grubosc1E", "PrintKolorE"};
  const Texts buttons = {"MovePodwarstwaBtn", "BitBtn4", "BitBtn1", "Cancel", "BitBtn3", "Nazwa"};
  auto expected = [&](const Texts& own) {
    Texts all = common;
    all.insert(all.end(), own.begin(), own.end());
    all.insert(all.end(), buttons.begin(), buttons.end());
    return all;
  };
  FakeLayers layers;
  LineDialog line;
  auto text = MakeForm<TChangeTextowaPodwarstwaHeader>(nullptr, &layers);
  text->SetZasWarstwa("RZEKI");
  const struct {
    TChangePodwarstwaHeader* dlg;
    Texts order;
  } cases[] = {
      {line.dlg.get(), expected({"TypLini", "mnoznik", "Grubosc", "JakZ", "Grubosc2E", "Grubosc3E"})},
      {text.get(), expected({"Italic", "CzyKat", "Wysokosc", "Justyfikacja1", "Zatrzask", "s500",
                             "s1000", "s2000", "s5000", "HeightCantChange", "JustCantChange",
                             "AutoWidth", "ZasWarstwa", "ZasPodwarstwa", "ZasDel"})},
  };
  for (const auto& c : cases) {
    TScriptedResponder responder(Fail);
    responder.AnswerForm([&](TForm& form) {
      EXPECT_EQ(Focused(form), "Nazwa");
      EXPECT_EQ(TabThrough(form, static_cast<int>(c.order.size())), c.order) << form.Caption();
      c.dlg->Nazwa->SendKey(VK_RETURN);
    });
    EXPECT_EQ(c.dlg->ShowModal(), mrOk) << c.dlg->Caption();
    responder.AnswerForm([&](TForm&) { c.dlg->WarWysw->SendKey(VK_ESCAPE); });
    EXPECT_EQ(c.dlg->ShowModal(), mrCancel) << c.dlg->Caption();
  }
}

// Enter on a wrong field shows the message and leaves the dialog open, as
// the OK button does.
TEST(SublayerDialogKeysTest, EnterOnAWrongFieldKeepsTheDialogOpen) {
  TScriptedResponder responder(Fail);
  LineDialog line;
  responder.AnswerForm([&](TForm&) {
    line.dlg->mnoznik->SetText("0");
    line.dlg->mnoznik->SendKey(VK_RETURN);
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm& form) {
    EXPECT_EQ(Focused(form), "mnoznik");
    line.dlg->mnoznik->SetText("2");
    line.dlg->mnoznik->SendKey(VK_RETURN);
  });
  EXPECT_EQ(line.dlg->ShowModal(), mrOk);
  EXPECT_FLOAT_EQ(line.dlg->Mnoznik(), 2.0f);
  ASSERT_EQ(responder.Shown().size(), 2u);
  EXPECT_EQ(responder.Shown()[1].text, "mnożnik nie może być zerem");
}

}  // namespace
