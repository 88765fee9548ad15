#include "shell/configdialog.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "foundation/errors.h"
#include "foundation/settings/printcfg.h"
#include "foundation/settings/settings.h"
#include "objects/libcfg.h"
#include "platform/gui/responder.h"
#include "platform/gui/syscolors.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"
#include "common/scratch_folder.h"

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

TConfigDialogClass DisplayDialog() {
  return [] { return MakeForm<TConfigDialog>(); };
}
TConfigDialogClass GlobalDialog() {
  return [] { return MakeForm<TConfigDialogI>(); };
}

// A configuration with the groups that exist so far, set to known values.
class ConfigDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    canvas = konf.GetGroup(std::make_unique<TCanvasCfg>());
    canvas->Kroj = 1;
    canvas->Skala = 1000;
    canvas->SkalaFlagi = sfTexts | sfSymbols;
    canvas->HighlightColors = {0x0000FF, 0x00FFFF, 0x800080};
    canvas->ThickLineCondition = 0.1f;
    canvas->DpmX = 2.9527559055;
    canvas->DpmY = 2.9527559055;
    canvas->FastDisplay = true;
    print = konf.GetGroup(std::make_unique<TPrintConf>());
    print->Formatki.push_back({"A3", std::make_unique<TFormatkaPath>("a3.for")});
    print->Formatki.push_back({"Ramka", std::make_unique<TFormatkaPath>("ramka.exe")});
    print->DetailPreview = true;
    library = konf.GetGroup(std::make_unique<TSymbolLineManagerCfg>());
  }

  std::vector<std::string> FrameIds() const {
    std::vector<std::string> ids;
    for (const TFormatkaItem& item : print->Formatki) ids.push_back(item.Id);
    return ids;
  }

  TKonfiguracja konf;
  TCanvasCfg* canvas = nullptr;
  TPrintConf* print = nullptr;
  TSymbolLineManagerCfg* library = nullptr;
};

TEST_F(ConfigDialogTest, DisplayDialogIsFilledFromTheGroupAndReadBackOnOk) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm(
      [](TForm& form) {
        auto& d = dynamic_cast<TConfigDialog&>(form);
        EXPECT_TRUE(d.WTW->Checked());
        EXPECT_FALSE(d.WTR->Checked());
        EXPECT_EQ(d.WsSkala->Text(), "1000");
        EXPECT_TRUE(d.WsText->Checked());
        EXPECT_FALSE(d.WsLine->Checked());
        EXPECT_EQ(d.WyrC2->Color(), 0x00FFFFu);
        EXPECT_EQ(d.WarWysw->Text(), "10");
        EXPECT_EQ(d.ScreenDPMX->Text(), "75");
        EXPECT_TRUE(d.WyswietlanieP->Showing());
        EXPECT_FALSE(d.Pages->Visible());

        d.WTP->Click();
        d.WsSkala->SetText("500");
        d.WsLine->Click();
        d.WarWysw->SetText("0");
        d.ScreenDPMX->SetText("96");
        d.ScreenDPMY->SetText("120");
        d.BitBtn1->Click();
      },
      "Ustawienia");
  EXPECT_TRUE(konf.ShowDialog(DisplayDialog()));
  EXPECT_EQ(canvas->Kroj, 2);
  EXPECT_EQ(canvas->Skala, 500);
  EXPECT_EQ(canvas->SkalaFlagi, sfTexts | sfLines | sfSymbols);
  EXPECT_EQ(canvas->ThickLineCondition, 1.0f);
  EXPECT_DOUBLE_EQ(canvas->DpmX, 96 / 25.4);
  EXPECT_DOUBLE_EQ(canvas->DpmY, 120 / 25.4);

  // The stored 1.0 shows as 1 the next time.
  responder.AnswerForm([](TForm& form) {
    EXPECT_EQ(form.Get<TEdit>("WarWysw").Text(), "1");
    EXPECT_EQ(form.Get<TEdit>("ScreenDPMX").Text(), "96");
    form.Get<TBitBtn>("BitBtn2").Click();
  });
  EXPECT_FALSE(konf.ShowDialog(DisplayDialog()));
}

TEST(ConfigDialogValues, ShownAsReciprocalAndDotsPerInchToTwoDecimals) {
  auto d = MakeForm<TConfigDialog>();
  struct Case {
    float condition;
    const char* shown;
  };
  for (const Case& c : {Case{0.1f, "10"}, Case{0.0f, "1"}, Case{1.0f, "1"}, Case{3.0f, "0.33"},
                        Case{0.4f, "2.5"}}) {
    d->SetSingleValue(c.condition);
    EXPECT_EQ(d->WarWysw->Text(), c.shown) << c.condition;
    EXPECT_EQ(d->SingleValue(), c.condition);
  }
  // A tiny stored value is shown, not refused by the rounding.
  EXPECT_NO_THROW(d->SetSingleValue(1e-30f));
  EXPECT_FALSE(d->WarWysw->Text().empty());
  d->SetRealPair(TRealPoint{2.9527559055, 96 / 25.4});
  EXPECT_EQ(d->ScreenDPMX->Text(), "75");
  EXPECT_EQ(d->ScreenDPMY->Text(), "96");
}

TEST_F(ConfigDialogTest, OkWithABadNumberNamesTheFieldAndStaysOpen) {
  TScriptedResponder responder(Fail);
  TConfigDialog* shown = nullptr;
  responder.AnswerForm([&](TForm& form) {
    shown = &dynamic_cast<TConfigDialog&>(form);
    shown->WarWysw->SetText("1,5");
    shown->BitBtn1->Click();
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm& form) {
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.ActiveControl(), shown->WarWysw);
    // The group does not change before the dialog is confirmed.
    EXPECT_FLOAT_EQ(canvas->ThickLineCondition, 0.1f);
    shown->WarWysw->SetText("2");
    shown->ScreenDPMY->SetText("");
    shown->BitBtn1->Click();
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm&) {
    EXPECT_EQ(shown->ActiveControl(), shown->ScreenDPMY);
    shown->ScreenDPMY->SetText("75");
    shown->BitBtn1->Click();
  });
  EXPECT_TRUE(konf.ShowDialog(DisplayDialog()));
  EXPECT_FLOAT_EQ(canvas->ThickLineCondition, 0.5f);
  ASSERT_EQ(responder.Shown().size(), 3u);
  EXPECT_EQ(responder.Shown()[1].kind, TModalKind::MessageBox);
  EXPECT_EQ(responder.Shown()[1].caption, "Błąd");
  EXPECT_EQ(responder.Shown()[1].text, "Warunek wyświetlania grubych linii nie jest liczbą rzeczywistą");
  EXPECT_EQ(responder.Shown()[1].flags, MB_OK);
  EXPECT_EQ(responder.Shown()[2].text, "Rozdzielczość ekranu nie jest liczbą rzeczywistą");
}

// The display check and the global panels' check both run: two boxes, and
// the dialog stays open.
TEST_F(ConfigDialogTest, GlobalDialogShowsBothFailuresAndStaysOpen) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    d.WarWysw->SetText("x");
    d.AutoSaveInterval->SetText("");
    d.BitBtn1->Click();
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    EXPECT_EQ(d.ModalResult(), mrNone);
    // A failure above keeps the dialog open although the rest passes.
    d.AutoSaveInterval->SetText("15");
    d.BitBtn1->Click();
    EXPECT_EQ(d.ModalResult(), mrNone);
    d.WarWysw->SetText("4");
    d.CelownikWE->SetText("20");
    d.CelownikHE->SetText("30");
    d.XRealCelownikE->SetText("0.25");
    d.BitBtn1->Click();
    EXPECT_EQ(d.ModalResult(), mrOk);
    EXPECT_EQ(d.AutoSave(), 15);
    EXPECT_EQ(d.CrosshairSize(), MakeIntPair(20, 30));
    EXPECT_EQ(d.DigitizerCrosshair().X, 0.25);
  });
  responder.AnswerMessageBox(IDOK);
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  std::vector<std::string> texts;
  for (const TShownModal& m : responder.Shown())
    if (m.kind == TModalKind::MessageBox) texts.push_back(m.caption + ": " + m.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Błąd: Warunek wyświetlania grubych linii nie jest liczbą rzeczywistą",
                       "Błąd: Niepoprawna liczba",
                       "Błąd: Warunek wyświetlania grubych linii nie jest liczbą rzeczywistą",
                   }));
  EXPECT_FLOAT_EQ(canvas->ThickLineCondition, 0.25f);
}

TEST_F(ConfigDialogTest, GlobalDialogFillsItsPagesAndReadsThemBack) {
  ScratchFolder folder;
  const std::string otherSymbols = folder.Put("inne.sym", "symbole");
  TScriptedResponder responder(Fail);
  responder.AnswerForm(
      [&](TForm& form) {
        auto& d = dynamic_cast<TConfigDialogI&>(form);
        EXPECT_EQ(d.HelpContext(), 643);
        EXPECT_FALSE(d.HelpLocCfg->Visible());
        EXPECT_FALSE(d.PrintP->Visible());
        EXPECT_EQ(d.SymbolDefs->Text(), "nk1.sym");
        EXPECT_EQ(d.LineDefs->Text(), "nk1l.lin");
        EXPECT_EQ(d.GeneratorFile->Text(), "k1g.gen");
        EXPECT_TRUE(d.LocalEnabledCB->Checked());
        EXPECT_EQ(d.prnFormatkaId->Items().ToVector(), (std::vector<std::string>{"A3", "Ramka"}));
        EXPECT_EQ(d.prnFormatkaId->ItemIndex(), 0);
        EXPECT_EQ(d.prnFormatkaName->Text(), "a3.for");
        EXPECT_TRUE(d.DetailPreviewCB->Checked());
        EXPECT_FALSE(d.ForceArcDACB->Checked());

        d.SymbolDefs->SetText(otherSymbols);
        d.LocalEnabledCB->Click();
        d.prnFormatkaName->SetText("a3-nowa.for");
        d.prnFormatkaId->UserSelect(1);
        EXPECT_EQ(d.prnFormatkaName->Text(), "ramka.exe");
        d.prnFormatkaName->SetText("ramka.bat");
        d.ForceArcDACB->Click();
        d.BitBtn1->Click();
      },
      "Konfiguracja");
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  EXPECT_EQ(library->SymbolDefs, otherSymbols);
  EXPECT_FALSE(library->FromBases);
  ASSERT_EQ(print->Formatki.size(), 2u);
  EXPECT_EQ(print->Formatki[0].Entry->Path, "a3-nowa.for");
  EXPECT_EQ(print->Formatki[1].Entry->Path, "ramka.bat");
  EXPECT_TRUE(print->SplitArcs);
}

// Values the map cannot be drawn with are refused in the window, each with
// its field's range, the focus left on the field and nothing stored; the
// rest of the values in range pass, the bounds included.
TEST_F(ConfigDialogTest, ScaleAndResolutionOutsideTheirRangesAreRefused) {
  const std::string badSkala = "Skala musi być liczbą całkowitą od 1 do 1000000";
  const std::string badDpi = "Rozdzielczość ekranu musi leżeć w przedziale od 1 do 25400 DPI";
  const struct {
    const char* skala;
    const char* dpiX;
    const char* dpiY;
    const char* refused;  // the field that keeps the focus, "" when accepted
    std::string message;
  } cases[] = {
      {"0", "75", "75", "WsSkala", badSkala},
      {"99999999999", "75", "75", "WsSkala", badSkala},
      {"1000001", "75", "75", "WsSkala", badSkala},
      {"", "75", "75", "WsSkala", badSkala},
      {"500", "0", "75", "ScreenDPMX", badDpi},
      {"500", "75", "0.5", "ScreenDPMY", badDpi},
      {"500", "25400.01", "75", "ScreenDPMX", badDpi},
      {"500", "75", "x", "ScreenDPMY", "Rozdzielczość ekranu nie jest liczbą rzeczywistą"},
      {"1", "1", "25400", "", ""},
      {" 1000000 ", "96", "96", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.skala) + " / " + c.dpiX + " / " + c.dpiY);
    canvas->Skala = 1000;
    canvas->DpmX = canvas->DpmY = 2.9527559055;
    const bool accepted = *c.refused == 0;
    TScriptedResponder responder(Fail);
    TConfigDialog* shown = nullptr;
    responder.AnswerForm([&](TForm& form) {
      shown = &dynamic_cast<TConfigDialog&>(form);
      shown->WsSkala->SetText(c.skala);
      shown->ScreenDPMX->SetText(c.dpiX);
      shown->ScreenDPMY->SetText(c.dpiY);
      shown->BitBtn1->Click();
      if (accepted) return;
      EXPECT_EQ(shown->ModalResult(), mrNone);
      ASSERT_NE(shown->ActiveControl(), nullptr);
      EXPECT_EQ(shown->ActiveControl()->Name(), c.refused);
      shown->BitBtn2->Click();
    });
    if (!accepted) responder.AnswerMessageBox(IDOK);
    EXPECT_EQ(konf.ShowDialog(DisplayDialog()), accepted);
    if (accepted) {
      EXPECT_EQ(canvas->Skala, std::stoi(c.skala));
      EXPECT_DOUBLE_EQ(canvas->DpmY, std::stod(c.dpiY) / 25.4);
      continue;
    }
    ASSERT_EQ(responder.Shown().size(), 2u);
    EXPECT_EQ(responder.Shown()[1].caption, "Błąd");
    EXPECT_EQ(responder.Shown()[1].text, c.message);
    EXPECT_EQ(canvas->Skala, 1000);
    EXPECT_DOUBLE_EQ(canvas->DpmX, 2.9527559055);
  }
}

// A definition file named anew must open: one that does not is named in
// the libraries' own message, on its sheet, with the focus on its field. A
// name left as it was shown is not checked (it was told at start-up).
TEST_F(ConfigDialogTest, DefinitionFilesThatDoNotOpenAreRefused) {
  ScratchFolder folder;
  const std::string symbols = folder.Put("nowe.sym", "symbole");
  const std::string missing = folder / "brak.sym";
  TScriptedResponder responder(Fail);
  responder.AnswerForm([&](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    // The sheets of a tabbed window: the refused field's comes to the front.
    d.Pages->Show();
    d.InneP->SetParent(d.InneS);
    d.WyswietlanieP->SetParent(d.WyswietlanieS);
    d.Pages->SetActivePage(d.WyswietlanieS);
    d.SymbolDefs->SetText(missing);
    d.BitBtn1->Click();
    EXPECT_EQ(d.ModalResult(), mrNone);
    EXPECT_EQ(d.Pages->ActivePage(), d.InneS);
    EXPECT_EQ(d.ActiveControl(), d.SymbolDefs);
    d.SymbolDefs->SetText(symbols);
    d.LineDefs->SetText("");
    d.BitBtn1->Click();
    EXPECT_EQ(d.ActiveControl(), d.LineDefs);
    d.LineDefs->SetText("nk1l.lin");
    d.GeneratorFile->SetText(folder.Path());
    d.BitBtn1->Click();
    EXPECT_EQ(d.ActiveControl(), d.GeneratorFile);
    // Back as shown: "k1g.gen" is not beside the test program, and passes.
    d.GeneratorFile->SetText("k1g.gen");
    d.BitBtn1->Click();
    EXPECT_EQ(d.ModalResult(), mrOk);
  });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerMessageBox(IDOK);
  responder.AnswerMessageBox(IDOK);
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  std::vector<std::string> texts;
  for (const TShownModal& m : responder.Shown())
    if (m.kind == TModalKind::MessageBox) texts.push_back(m.caption + ": " + m.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Błąd: Brak pliku z symbolami:" + missing,
                       "Błąd: Brak pliku z liniami:",
                       "Błąd: Brak pliku z generatorami:" + folder.Path(),
                   }));
  EXPECT_EQ(library->SymbolDefs, symbols);
  EXPECT_EQ(library->GeneratorFile, "k1g.gen");
}

TEST_F(ConfigDialogTest, CancelChangesNothing) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    d.WTR->Click();
    d.WarWysw->SetText("abc");
    d.WsSkala->SetText("250");
    d.LineDefs->SetText("inne.lin");
    d.prnFormatkaName->SetText("zmieniona.for");
    d.Button1->Click();
    d.prnFormatkaId->UserSelect(1);
    d.Button2->Click();
    d.DetailPreviewCB->Click();
    d.BitBtn2->Click();
  });
  EXPECT_FALSE(konf.ShowDialog(GlobalDialog()));
  EXPECT_EQ(canvas->Kroj, 1);
  EXPECT_EQ(canvas->Skala, 1000);
  EXPECT_FLOAT_EQ(canvas->ThickLineCondition, 0.1f);
  EXPECT_EQ(library->LineDefs, "nk1l.lin");
  EXPECT_EQ(FrameIds(), (std::vector<std::string>{"A3", "Ramka"}));
  EXPECT_EQ(print->Formatki[0].Entry->Path, "a3.for");
  EXPECT_TRUE(print->DetailPreview);
  EXPECT_EQ(responder.Shown().size(), 1u);
}

// "Usuń" with no identifier selected used to delete at index -1.
TEST_F(ConfigDialogTest, UsunWithNothingSelectedDoesNothing) {
  print->Formatki.clear();
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    ASSERT_EQ(d.prnFormatkaId->ItemIndex(), -1);
    EXPECT_NO_THROW(d.Button2->Click());
    d.Button1->Click();
    d.prnFormatkaId->SetItemIndex(-1);
    EXPECT_NO_THROW(d.Button2->Click());
    EXPECT_EQ(d.prnFormatkaId->Items().ToVector(), std::vector<std::string>{"Formatka_1"});
    d.BitBtn1->Click();
  });
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  EXPECT_EQ(FrameIds(), std::vector<std::string>{"Formatka_1"});
}

TEST_F(ConfigDialogTest, SheetFramesAreNumberedAddedDeletedAndRenamed) {
  print->Formatki.clear();
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    for (const char* path : {"jeden.for", "dwa.for", "trzy.for"}) {
      d.Button1->Click();
      EXPECT_EQ(d.prnFormatkaName->Text(), "");
      d.prnFormatkaName->SetText(path);
    }
    EXPECT_EQ(d.prnFormatkaId->Items().ToVector(),
              (std::vector<std::string>{"Formatka_1", "Formatka_2", "Formatka_3"}));
    d.prnFormatkaId->UserSelect(1);
    EXPECT_EQ(d.prnFormatkaName->Text(), "dwa.for");
    d.prnFormatkaName->SetText("nie zapisana.for");
    d.Button2->Click();
    // The entry now at the same position is shown.
    EXPECT_EQ(d.prnFormatkaId->ItemIndex(), 1);
    EXPECT_EQ(d.prnFormatkaName->Text(), "trzy.for");
    d.Button1->Click();
    EXPECT_EQ(d.prnFormatkaId->Items()[2], "Formatka_2");
    d.prnFormatkaName->SetText("nowa.for");
    // Deleting the last selects the one before it.
    d.Button2->Click();
    EXPECT_EQ(d.prnFormatkaId->ItemIndex(), 1);
    d.prnFormatkaId->UserSelect(0);
    d.Button3->Click();
    EXPECT_EQ(d.prnFormatkaId->Items()[0], "A4");
    EXPECT_EQ(d.prnFormatkaId->ItemIndex(), 0);
    d.Button3->Click();
    EXPECT_EQ(d.prnFormatkaId->Items()[0], "A4");
    d.BitBtn1->Click();
  });
  responder.AnswerInputBox("A4");
  responder.AnswerInputBox(std::nullopt);
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  EXPECT_EQ(FrameIds(), (std::vector<std::string>{"A4", "Formatka_3"}));
  EXPECT_EQ(print->Formatki[0].Entry->Path, "jeden.for");
  EXPECT_EQ(print->Formatki[1].Entry->Path, "trzy.for");
  ASSERT_EQ(responder.Shown().size(), 3u);
  EXPECT_EQ(responder.Shown()[1].caption, "Zmiana identyfikatora formatki");
  EXPECT_EQ(responder.Shown()[1].text, "Podaj nowy identyfikator");
}

// Renaming used to take any text: an empty identifier cannot be stored in
// the settings file, and one another frame has overwrites that frame's path
// when the settings are saved. Both are refused; the identifier stays.
TEST_F(ConfigDialogTest, RenamingToAnEmptyOrTakenIdentifierIsRefused) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    for (int i = 0; i < 4; ++i) d.Button3->Click();
    EXPECT_EQ(d.prnFormatkaId->Items().ToVector(), (std::vector<std::string>{"a3", "Ramka"}));
    d.BitBtn1->Click();
  });
  responder.AnswerInputBox("  ");
  responder.AnswerMessageBox(IDOK);
  responder.AnswerInputBox("RAMKA");
  responder.AnswerMessageBox(IDOK);
  responder.AnswerInputBox("klucz=x");
  responder.AnswerMessageBox(IDOK);
  // Its own name in another letter case is no clash.
  responder.AnswerInputBox(" a3 ");
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  EXPECT_EQ(FrameIds(), (std::vector<std::string>{"a3", "Ramka"}));
  EXPECT_EQ(print->Formatki[1].Entry->Path, "ramka.exe");
  std::vector<std::string> boxes;
  for (const TShownModal& m : responder.Shown())
    if (m.kind == TModalKind::MessageBox) boxes.push_back(m.caption + ": " + m.text);
  EXPECT_EQ(boxes, (std::vector<std::string>{"Błąd: Niepoprawny identyfikator formatki",
                                             "Błąd: Identyfikator formatki już istnieje",
                                             "Błąd: Niepoprawny identyfikator formatki"}));
}

// The window, general and cursor controls are filled by the view and cursor
// settings and read back on OK.
TEST_F(ConfigDialogTest, ViewAndCursorSettingsFillTheirControls) {
  TTvViewCfg* view = konf.GetGroup(std::make_unique<TTvViewCfg>());
  view->RozmiarX = 1024;
  view->RozmiarY = 700;
  view->AutoSize = true;
  view->KolorTla = clWindow;
  view->AutoSaveInterval = 10 * 60000;
  TKrzyzConf* cursor = konf.GetGroup(std::make_unique<TKrzyzConf>());
  cursor->CelownikW = 6;
  cursor->CelownikH = 4;
  cursor->CelownikWmm = 1.5;
  cursor->CelownikHmm = 2;
  cursor->FullAngle = 400.0;
  cursor->ActivePriority = false;
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TConfigDialogI&>(form);
    EXPECT_EQ(d.WndSizeX->Text(), "1024");
    EXPECT_EQ(d.WndSizeY->Text(), "700");
    EXPECT_TRUE(d.WndSDefault->Checked());
    EXPECT_FALSE(d.WndSizeX->Enabled());
    EXPECT_FALSE(d.WndSizeY->Enabled());
    EXPECT_TRUE(d.WndKDefault->Checked());
    EXPECT_FALSE(d.WndKolor->Enabled());
    EXPECT_EQ(d.WndKolor->Color(), SystemColor(kSysColorWindow));
    EXPECT_EQ(d.AutoSaveInterval->Text(), "10");
    EXPECT_FALSE(d.AreaActPrio->Checked());
    EXPECT_EQ(d.CelownikWE->Text(), "6");
    EXPECT_EQ(d.CelownikHE->Text(), "4");
    EXPECT_EQ(d.XRealCelownikE->Text(), "1.5");
    EXPECT_EQ(d.YRealCelownikE->Text(), "2");
    EXPECT_TRUE(d.KatGrady->Checked());
    EXPECT_FALSE(d.KatStopnie->Checked());
    EXPECT_FALSE(d.ActPrio->Checked());

    d.WndSDefault->Click();
    EXPECT_TRUE(d.WndSizeX->Enabled());
    d.WndSizeX->SetText("800");
    d.WndSizeY->SetText("600");
    d.WndKDefault->Click();
    EXPECT_TRUE(d.WndKolor->Enabled());
    d.WndKolor->SetColor(0x00FFFF);
    d.AutoSaveInterval->SetText("3");
    d.AreaActPrio->Click();
    d.CelownikWE->SetText("9");
    d.XRealCelownikE->SetText("0.5");
    d.KatStopnie->Click();
    d.ActPrio->Click();
    d.BitBtn1->Click();
  });
  EXPECT_TRUE(konf.ShowDialog(GlobalDialog()));
  EXPECT_EQ(view->RozmiarX, 800);
  EXPECT_EQ(view->RozmiarY, 600);
  EXPECT_FALSE(view->AutoSize);
  EXPECT_EQ(view->KolorTla, 0x00FFFFu);
  EXPECT_EQ(view->AutoSaveInterval, 3 * 60000);
  EXPECT_TRUE(view->AreaOnActive);
  EXPECT_EQ(cursor->CelownikW, 9);
  EXPECT_EQ(cursor->CelownikH, 4);
  EXPECT_EQ(cursor->CelownikWmm, 0.5);
  EXPECT_EQ(cursor->FullAngle, 360.0);
  EXPECT_TRUE(cursor->ActivePriority);
}

// The display dialog of a view has the priority check box but no cursor
// page: the box shows the group's priority, and the dialog takes nothing
// else of the cursor settings.
TEST_F(ConfigDialogTest, DisplayDialogShowsTheActiveLayerPriority) {
  TKrzyzConf* cursor = konf.GetGroup(std::make_unique<TKrzyzConf>());
  for (bool priority : {true, false}) {
    cursor->ActivePriority = priority;
    TScriptedResponder responder(Fail);
    responder.AnswerForm([&](TForm& form) {
      EXPECT_EQ(form.Get<TCheckBox>("ActPrio").Checked(), priority);
      form.Get<TBitBtn>("BitBtn1").Click();
    });
    EXPECT_TRUE(konf.ShowDialog(DisplayDialog()));
    EXPECT_EQ(cursor->ActivePriority, priority);
    EXPECT_EQ(cursor->CelownikW, 5);
  }
}

TEST(ConfigDialogKeys, NumericEditsDropOtherKeys) {
  auto d = MakeForm<TConfigDialogI>();
  d->WsSkala->SendText("5a0,0");
  EXPECT_EQ(d->WsSkala->Text(), "500");
  d->WarWysw->SendText("1x.5");
  EXPECT_EQ(d->WarWysw->Text(), "1.5");
  d->WarWysw->SendChar(8);
  EXPECT_EQ(d->WarWysw->Text(), "1.");
  d->AutoSaveInterval->SetText("");
  d->AutoSaveInterval->SendText("1.5");
  EXPECT_EQ(d->AutoSaveInterval->Text(), "15");
  d->XRealCelownikE->SetText("");
  d->XRealCelownikE->SendText("-0.5");
  EXPECT_EQ(d->XRealCelownikE->Text(), "0.5");
}

TEST(ConfigDialogFiles, ChangeButtonsOpenTheFileDialogWithTheEditsFilter) {
  auto d = MakeForm<TConfigDialogI>();
  EXPECT_EQ(d->SymbolDefs->Text(), "");
  EXPECT_EQ(d->FilterOf(*d->prnFormatkaName), "Formatka (*.for)|*.for|Interfejs (*.exe, *.bat)|*.exe;*.bat");
  EXPECT_EQ(d->FilterOf(*d->AutoSaveInterval), "");
  d->SetSymbolDefsText("nk1.sym");
  TScriptedResponder responder(Fail);
  responder.AnswerDialog([](TCommonDialog& dialog) {
    auto& open = dynamic_cast<TOpenDialog&>(dialog);
    EXPECT_EQ(open.FileName(), "nk1.sym");
    EXPECT_EQ(open.Filter(), "Definicje symboli|*.sym|Wszystkie pliki|*.*");
    open.SetFileName("/dane/inne.sym");
    return true;
  });
  responder.AnswerCancel();
  d->SymbolDefsChange->Click();
  EXPECT_EQ(d->SymbolDefs->Text(), "/dane/inne.sym");
  d->GeneratorFile->SetText("k1g.gen");
  d->GenerDefsChange->Click();
  EXPECT_EQ(d->GeneratorFile->Text(), "k1g.gen");
}

TEST(ConfigDialogPanels, ColourPanelsAndDefaultSwitches) {
  auto d = MakeForm<TConfigDialogI>();
  d->SetPanelColor(1, 0x112233);
  TScriptedResponder responder(Fail);
  responder.AnswerDialog([](TCommonDialog& dialog) {
    auto& colour = dynamic_cast<TColorDialog&>(dialog);
    EXPECT_EQ(colour.Color(), 0x112233u);
    EXPECT_TRUE(colour.FullOpen());
    colour.SetColor(0x445566);
    return true;
  });
  responder.AnswerCancel();
  d->WyrC1->Click();
  EXPECT_EQ(d->PanelColor(1), 0x445566u);
  d->WndKolor->SetColor(0x000080);
  d->WndKolor->Click();
  EXPECT_EQ(d->WndKolor->Color(), 0x000080u);

  d->WndSDefault->SetChecked(true);
  EXPECT_FALSE(d->WndSizeX->Enabled());
  EXPECT_FALSE(d->WndSizeY->Enabled());
  d->WndSDefault->SetChecked(false);
  EXPECT_TRUE(d->WndSizeX->Enabled());
  d->WndKDefault->SetChecked(true);
  EXPECT_FALSE(d->WndKolor->Enabled());

  EXPECT_EQ(d->KeysD->Cells(0, 0), "Przycisk");
  EXPECT_EQ(d->KeysD->Cells(1, 0), "Akcja");
  EXPECT_EQ(d->KeysD->Cells(0, 1), "2");
  EXPECT_EQ(d->KeysD->Cells(0, 15), "16");
  EXPECT_EQ(d->COMD->Items().ToVector(), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}));
}

TEST(ConfigDialogDrivers, ListingErrorKeepsTheDriversFoundSoFar) {
  SetDigitizerDriverLister([](std::vector<TDigitizerDriver>& drivers) {
    drivers.push_back({"Tablet A", "drivers/a.so"});
    throw EDriverError("Nie znaleziono driver`ów digitizera. Katalog drivers/");
  });
  auto d = MakeForm<TConfigDialogI>();
  SetDigitizerDriverLister({});
  EXPECT_EQ(d->DriverD->Items().ToVector(), std::vector<std::string>{"Tablet A"});
  EXPECT_EQ(d->DriverFileName(0), "drivers/a.so");
  EXPECT_EQ(d->DriverFileName(1), "");
}

}  // namespace
