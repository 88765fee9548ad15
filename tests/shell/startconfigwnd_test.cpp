#include "shell/startconfigwnd.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "foundation/settings/printcfg.h"
#include "foundation/settings/settings.h"
#include "objects/libcfg.h"
#include "platform/gui/application.h"
#include "platform/gui/responder.h"
#include "view/krzyzconf.h"
#include "view/viewcfg.h"

// The settings window of the start-up as a user meets it from the keyboard:
// the focus order, the dialog keys inside the numeric fields, the pages
// Ctrl+Tab reaches, the colour panels, and wrong numbers that keep the
// window open.

namespace {

using namespace platform;

void Fail(const std::string& failure) { ADD_FAILURE() << failure; }

TConfigDialogClass StartWindow() {
  return [] { return MakeForm<TStartConfigWnd>(); };
}

std::string Focused(const TForm& form) {
  TWinControl* active = form.ActiveControl();
  return active != nullptr ? active->Name() : std::string();
}

// Presses Tab count times from the focused control; the names of the
// controls the focus visits.
std::vector<std::string> TabThrough(TForm& form, int count) {
  std::vector<std::string> visited;
  for (int i = 0; i < count; ++i) {
    form.ActiveControl()->SendKey(VK_TAB);
    visited.push_back(Focused(form));
  }
  return visited;
}

class StartConfigWndTest : public ::testing::Test {
protected:
  void SetUp() override {
    canvas = konf.GetGroup(std::make_unique<TCanvasCfg>());
    canvas->Kroj = 1;
    canvas->Skala = 1000;
    canvas->ThickLineCondition = 0.5f;
    canvas->DpmX = 2.9527559055;
    canvas->DpmY = 2.9527559055;
    canvas->HighlightColors = {0x0000FF, 0x00FFFF, 0x800080};
    print = konf.GetGroup(std::make_unique<TPrintConf>());
    konf.GetGroup(std::make_unique<TSymbolLineManagerCfg>());
    view = konf.GetGroup(std::make_unique<TTvViewCfg>());
    view->RozmiarX = 1024;
    view->RozmiarY = 700;
    view->KolorTla = 0x303030;
    cursor = konf.GetGroup(std::make_unique<TKrzyzConf>());
  }

  TKonfiguracja konf;
  TCanvasCfg* canvas = nullptr;
  TPrintConf* print = nullptr;
  TTvViewCfg* view = nullptr;
  TKrzyzConf* cursor = nullptr;
};

TEST_F(StartConfigWndTest, TabGoesThroughEveryPageControlInScreenOrderThenOkAndAnuluj) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TStartConfigWnd&>(form);
    EXPECT_FALSE(d.Resizable());
    // The window opens with the focus on its first control, the tabs.
    EXPECT_EQ(Focused(d), "Pages");
    const std::vector<std::string> display = {
        "WTW",        "WsText",     "WsLine",      "WsSymbol",  "WsSkala",
        "WyrC3",      "MarkTextOrigin", "MarkLineEnds", "DymWysw", "CelownikWE",
        "CelownikHE", "DynWyswGL",  "WindowsThickLinesCB", "DrCFlagCB", "ActPrio",
        "AreaActPrio", "WarWysw",   "KatStopnie",  "ScreenDPMX", "ScreenDPMY", "WyrC1",
        "WyrC2",      "BitBtn1",    "BitBtn2",     "Pages"};
    EXPECT_EQ(TabThrough(d, static_cast<int>(display.size())), display);
    // Shift+Tab walks back.
    d.ActiveControl()->SendKey(VK_TAB, ssShift);
    EXPECT_EQ(Focused(d), "BitBtn2");

    d.Pages->SendKey(VK_TAB, ssCtrl);
    ASSERT_EQ(d.Pages->ActivePage(), d.OknoS);
    d.Pages->SetFocus();
    EXPECT_EQ(TabThrough(d, 6), (std::vector<std::string>{"WndSizeX", "WndSizeY", "WndSDefault", "WndKolor",
                                                           "WndKDefault", "BitBtn1"}));
    d.Pages->SendKey(VK_TAB, ssCtrl);
    ASSERT_EQ(d.Pages->ActivePage(), d.OgolneS);
    d.Pages->SetFocus();
    EXPECT_EQ(TabThrough(d, 2), (std::vector<std::string>{"AutoSaveInterval", "BitBtn1"}));
    d.Pages->SendKey(VK_TAB, ssCtrl);
    ASSERT_EQ(d.Pages->ActivePage(), d.InneS);
    d.Pages->SetFocus();
    EXPECT_EQ(TabThrough(d, 9), (std::vector<std::string>{"SymbolDefs", "SymbolDefsChange", "LineDefs",
                                                           "LineDefsChange", "GeneratorFile", "GenerDefsChange",
                                                           "LocalEnabledCB", "BitBtn1", "BitBtn2"}));
    d.Pages->SendKey(VK_TAB, ssCtrl);
    ASSERT_EQ(d.Pages->ActivePage(), d.PrintS);
    d.Pages->SetFocus();
    d.Button1->Click();  // one frame, so that every button is enabled
    EXPECT_EQ(TabThrough(d, 9), (std::vector<std::string>{"prnFormatkaId", "prnFormatkaName", "FormatkaNameChange",
                                                           "Button1", "Button2", "Button3", "DetailPreviewCB",
                                                           "ForceArcDACB", "BitBtn1"}));
    d.BitBtn2->Click();
  });
  EXPECT_FALSE(konf.ShowDialog(StartWindow()));
}

// A radio group is entered at its checked button.
TEST_F(StartConfigWndTest, TextDisplayGroupIsEnteredAtItsCheckedButton) {
  canvas->Kroj = 2;
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TStartConfigWnd&>(form);
    d.Pages->SetFocus();
    EXPECT_EQ(TabThrough(d, 2), (std::vector<std::string>{"WTP", "WsText"}));
    d.WsText->SendKey(VK_TAB, ssShift);
    EXPECT_EQ(Focused(d), "WTP");
    d.BitBtn2->Click();
  });
  konf.ShowDialog(StartWindow());
}

// The angle unit shows the cursor settings' unit and is entered at it; the
// other one, once chosen (its accelerator or an arrow key on a real
// display, see scripts/xcheck), reaches the group on OK.
TEST_F(StartConfigWndTest, AngleUnitIsEnteredAtTheUnitInUseAndTakenBack) {
  struct Case {
    double fullAngle;
    const char* entered;
    const char* other;
    double fullAngleAfter;
  };
  for (const Case& c : {Case{360.0, "KatStopnie", "KatGrady", 400.0},
                        Case{400.0, "KatGrady", "KatStopnie", 360.0}}) {
    cursor->FullAngle = c.fullAngle;
    TScriptedResponder responder(Fail);
    responder.AnswerForm([&](TForm& form) {
      auto& d = dynamic_cast<TStartConfigWnd&>(form);
      d.WarWysw->SetFocus();
      EXPECT_EQ(TabThrough(d, 1), std::vector<std::string>{c.entered});
      form.Get<TRadioButton>(c.other).Click();
      EXPECT_FALSE(form.Get<TRadioButton>(c.entered).Checked());
      d.ActiveControl()->SendKey(VK_RETURN);
    });
    EXPECT_TRUE(konf.ShowDialog(StartWindow()));
    EXPECT_EQ(cursor->FullAngle, c.fullAngleAfter);
  }
}

// The window page from the keyboard: the default switch takes the size
// edits out of the way, and sizes typed in reach the group on Enter.
TEST_F(StartConfigWndTest, WindowPageFromTheKeyboard) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TStartConfigWnd&>(form);
    d.Pages->SendKey(VK_TAB, ssCtrl);
    ASSERT_EQ(d.Pages->ActivePage(), d.OknoS);
    EXPECT_FALSE(d.WndSDefault->Checked());
    EXPECT_FALSE(d.WndKDefault->Checked());
    EXPECT_EQ(d.WndKolor->Color(), 0x303030u);
    d.Pages->SetFocus();
    EXPECT_EQ(TabThrough(d, 3), (std::vector<std::string>{"WndSizeX", "WndSizeY", "WndSDefault"}));
    d.WndSDefault->SendKey(VK_SPACE);
    EXPECT_TRUE(d.WndSDefault->Checked());
    EXPECT_FALSE(d.WndSizeX->Enabled());
    d.WndSDefault->SendKey(VK_SPACE);
    EXPECT_TRUE(d.WndSizeX->Enabled());
    d.WndSDefault->SendKey(VK_TAB, ssShift);
    d.WndSDefault->SendKey(VK_TAB, ssShift);
    ASSERT_EQ(Focused(d), "WndSizeX");
    EXPECT_EQ(d.WndSizeX->Text(), "1024");
    EXPECT_EQ(d.WndSizeY->Text(), "700");
    d.WndSizeX->SendKey('A', ssCtrl);
    d.WndSizeX->SendText("1280");
    d.WndSizeX->SendKey(VK_TAB);
    d.WndSizeY->SendKey('A', ssCtrl);
    d.WndSizeY->SendText("960");
    d.WndSizeY->SendKey(VK_RETURN);
  });
  EXPECT_TRUE(konf.ShowDialog(StartWindow()));
  EXPECT_EQ(view->RozmiarX, 1280);
  EXPECT_EQ(view->RozmiarY, 960);
  EXPECT_FALSE(view->AutoSize);
}

// Ctrl+Tab and Ctrl+Shift+Tab step through the five shown pages only; the
// three hidden ones never appear.
TEST_F(StartConfigWndTest, CtrlTabVisitsOnlyTheShownPages) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TStartConfigWnd&>(form);
    d.WsText->SetFocus();
    std::vector<std::string> pages;
    for (int i = 0; i < 6; ++i) {
      d.ActiveControl()->SendKey(VK_TAB, ssCtrl);
      pages.push_back(d.Pages->ActivePage()->Name());
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"OknoS", "OgolneS", "InneS", "PrintS", "WyswietlanieS", "OknoS"}));
    pages.clear();
    for (int i = 0; i < 3; ++i) {
      d.Pages->SendKey(VK_TAB, ssCtrl | ssShift);
      pages.push_back(d.Pages->ActivePage()->Name());
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"WyswietlanieS", "PrintS", "InneS"}));
    d.BitBtn2->Click();
  });
  konf.ShowDialog(StartWindow());
}

// Inside each numeric field, whose key filter refuses all but digits (and
// the point), Enter presses OK and Esc presses Anuluj; Tab moves on.
TEST_F(StartConfigWndTest, DialogKeysPassTheNumericFieldsKeyFilters) {
  const char* const fields[] = {"WsSkala", "WarWysw", "ScreenDPMX", "ScreenDPMY", "CelownikWE", "CelownikHE"};
  for (const char* name : fields) {
    for (std::uint16_t key : {VK_RETURN, VK_ESCAPE}) {
      TScriptedResponder responder(Fail);
      responder.AnswerForm([&](TForm& form) {
        auto& field = form.Get<TWinControl>(name);
        field.SetFocus();
        field.SendText("x");  // refused by the filter
        field.SendKey(key);
      });
      EXPECT_EQ(konf.ShowDialog(StartWindow()), key == VK_RETURN) << name << " " << key;
    }
    TScriptedResponder responder(Fail);
    responder.AnswerForm([&](TForm& form) {
      auto& field = form.Get<TWinControl>(name);
      field.SetFocus();
      field.SendKey(VK_TAB);
      EXPECT_NE(Focused(form), name);
      form.Get<TBitBtn>("BitBtn2").Click();
    });
    konf.ShowDialog(StartWindow());
  }
}

// OK with a wrong number in any checked field names it in a "Błąd" box,
// leaves the window open with the focus on that field and the program
// running; correcting it and pressing Enter confirms.
TEST_F(StartConfigWndTest, OkWithEachWrongFieldKeepsTheWindowOpenOnThatField) {
  struct Case {
    const char* field;
    const char* message;
  } cases[] = {{"WarWysw", "Warunek wyświetlania grubych linii nie jest liczbą rzeczywistą"},
               {"ScreenDPMX", "Rozdzielczość ekranu nie jest liczbą rzeczywistą"},
               {"ScreenDPMY", "Rozdzielczość ekranu nie jest liczbą rzeczywistą"},
               {"CelownikWE", "Niepoprawna liczba"},
               {"CelownikHE", "Niepoprawna liczba"},
               {"AutoSaveInterval", "Niepoprawna liczba"}};
  for (const Case& c : cases) {
    TScriptedResponder responder(Fail);
    responder.AnswerForm([&](TForm& form) {
      auto& field = form.Get<TEdit>(c.field);
      field.SetText("1..5");
      form.Get<TBitBtn>("BitBtn1").Click();
    });
    responder.AnswerMessageBox(IDOK);
    responder.AnswerForm([&](TForm& form) {
      EXPECT_TRUE(form.Visible()) << c.field;
      EXPECT_EQ(Focused(form), c.field);
      auto& field = form.Get<TEdit>(c.field);
      field.SetText("");
      field.SendText("96");
      field.SendKey(VK_RETURN);
    });
    EXPECT_TRUE(konf.ShowDialog(StartWindow())) << c.field;
    ASSERT_EQ(responder.Shown().size(), 2u) << c.field;
    EXPECT_EQ(responder.Shown()[1].caption, "Błąd");
    EXPECT_EQ(responder.Shown()[1].text, c.message);
    EXPECT_FALSE(Application().Terminated());
  }
}

// A window size left without digits is refused on OK like any other wrong
// number (it used to fail the view settings after the window had closed);
// with the work area chosen the fields are not looked at.
TEST_F(StartConfigWndTest, EmptyWindowSizeIsRefusedUnlessTheWorkAreaIsChosen) {
  for (const char* name : {"WndSizeX", "WndSizeY"}) {
    TScriptedResponder responder(Fail);
    responder.AnswerForm([&](TForm& form) {
      auto& d = dynamic_cast<TStartConfigWnd&>(form);
      d.Pages->SetActivePage(d.OknoS);
      form.Get<TMaskEdit>(name).SetText("");
      d.BitBtn1->Click();
    });
    responder.AnswerMessageBox(IDOK);
    responder.AnswerForm([&](TForm& form) {
      auto& d = dynamic_cast<TStartConfigWnd&>(form);
      EXPECT_EQ(Focused(d), name);
      EXPECT_EQ(view->RozmiarX, 1024);
      d.WndSDefault->SetChecked(true);
      d.BitBtn1->Click();
    });
    EXPECT_TRUE(konf.ShowDialog(StartWindow())) << name;
    ASSERT_EQ(responder.Shown().size(), 2u) << name;
    EXPECT_EQ(responder.Shown()[1].text, "Niepoprawna liczba");
    EXPECT_TRUE(view->AutoSize);
    view->RozmiarX = 1024;
    view->AutoSize = false;
  }
}

// The colour panels take the focus and open the colour dialog on the space
// bar; the chosen colour reaches the group on OK.
TEST_F(StartConfigWndTest, ColourPanelChangesByKeyboard) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([&](TForm& form) {
    auto& d = dynamic_cast<TStartConfigWnd&>(form);
    d.WsSkala->SetFocus();
    d.WsSkala->SendKey(VK_TAB);
    ASSERT_EQ(Focused(d), "WyrC3");
    d.WyrC3->SendKey(VK_SPACE);
    EXPECT_EQ(d.WyrC3->Color(), 0x00AA00u);
    d.WyrC3->SendKey(VK_RETURN);
  });
  responder.AnswerDialog([](TCommonDialog& dialog) {
    auto& colour = dynamic_cast<TColorDialog&>(dialog);
    EXPECT_EQ(colour.Color(), 0x800080u);
    colour.SetColor(0x00AA00);
    return true;
  });
  EXPECT_TRUE(konf.ShowDialog(StartWindow()));
  EXPECT_EQ(canvas->HighlightColors[2], 0x00AA00u);
}

}  // namespace
