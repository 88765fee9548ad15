#include "shell/startconfigwnd.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/canvascfg.h"
#include "foundation/printcfg.h"
#include "foundation/settings.h"
#include "objects/libcfg.h"
#include "platform/application.h"
#include "platform/responder.h"

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
  }

  TKonfiguracja konf;
  TCanvasCfg* canvas = nullptr;
  TPrintConf* print = nullptr;
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
        "AreaActPrio", "WarWysw",   "ScreenDPMX",  "ScreenDPMY", "WyrC1",
        "WyrC2",      "BitBtn1",    "BitBtn2",     "Pages"};
    EXPECT_EQ(TabThrough(d, static_cast<int>(display.size())), display);
    // Shift+Tab walks back.
    d.ActiveControl()->SendKey(VK_TAB, ssShift);
    EXPECT_EQ(Focused(d), "BitBtn2");

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

// Ctrl+Tab and Ctrl+Shift+Tab step through the three shown pages only; the
// five hidden ones never appear.
TEST_F(StartConfigWndTest, CtrlTabVisitsOnlyTheShownPages) {
  TScriptedResponder responder(Fail);
  responder.AnswerForm([](TForm& form) {
    auto& d = dynamic_cast<TStartConfigWnd&>(form);
    d.WsText->SetFocus();
    std::vector<std::string> pages;
    for (int i = 0; i < 4; ++i) {
      d.ActiveControl()->SendKey(VK_TAB, ssCtrl);
      pages.push_back(d.Pages->ActivePage()->Name());
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"InneS", "PrintS", "WyswietlanieS", "InneS"}));
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
               {"CelownikHE", "Niepoprawna liczba"}};
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
