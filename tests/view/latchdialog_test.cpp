#include "view/latchdialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "foundation/settings/settings.h"
#include "platform/gui/application.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/forms.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/baseline.h"
#include "view/krzyzconf.h"
#include "view/latch.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

namespace {

using namespace platform;

constexpr double kPi = std::numbers::pi;

// A snapping tool bound to a view without being attached to it; it counts
// the window's goodbyes.
class TTestTool : public TLatchKrzyz {
public:
  TTestTool() : TLatchKrzyz(0, {}) {}
  void UseView(TTvView* View) { view_ = View; }
  void ResetState() override {
    ++Resets;
    TLatchKrzyz::ResetState();
  }
  int Resets = 0;
};

// A parameter window of an object tool: its own entry mode 8 with its own
// result and check.
class TExtraDialog : public TLatchDialog {
public:
  void EnableExtraControls(bool BaseLine) override { ExtraFlags.push_back(BaseLine); }
  bool ShowExtraMode() override { return Extra; }
  int ExtraModalResult() override { return 111; }
  bool CheckExtraInput(std::string& Message) override {
    Message = "Zły parametr";
    return ExtraWrong;
  }
  std::vector<bool> ExtraFlags;
  bool Extra = true;
  bool ExtraWrong = false;
};

// The base-line window: answers what the test says and remembers the view.
class TFakeBaseLineDialog : public TBaseLineDialogI {
public:
  int ShowModalFor(TTvView* View) override {
    ShownFor.push_back(View);
    return Result;
  }
  int Result = 0;
  std::vector<TTvView*> ShownFor;
};

class LatchDialogTest : public ::testing::Test {
protected:
  LatchDialogTest() : responder([](const std::string& m) { ADD_FAILURE() << m; }) {
    savedFullAngle = KrzyzConf().FullAngle;
    savedDecimals = KrzyzConf().Decimals;
    KrzyzConf().FullAngle = 360.0;
    KrzyzConf().Decimals = 2;
    // The view's settings live in a configuration of the test's own.
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(settings.Path() + "/tolvika.ini"));
    TvViewCfgCreate();
    view = std::make_unique<TTvView>();
    tool.UseView(view.get());
  }
  ~LatchDialogTest() override {
    tool.UseView(nullptr);
    view.reset();
    FreeGlobalnaKonfiguracja();
    SetBaseLineDialog(nullptr);
    KrzyzConf().FullAngle = savedFullAngle;
    KrzyzConf().Decimals = savedDecimals;
  }

  // A base line on the view from (0, 0) to (0, 100) (due east, 100 long).
  void AddBaseLine() {
    view->SetPaintInPaint(std::make_unique<TBaseLine>(TRealPoint{0, 0}, TRealPoint{0, 100}));
  }
  // A window bound to the tool and prepared for a point index as the tool
  // prepares it.
  template <class T = TLatchDialog>
  std::unique_ptr<T> Open(std::int32_t PointIndex, std::uint8_t Mode = kEntryXY) {
    auto dialog = MakeForm<T>();
    dialog->SetKrzyz(&tool);
    dialog->EnableButtons(PointIndex);
    dialog->SetInputMode(Mode);
    return dialog;
  }
  // Runs the window modally with Fill as the user's actions; its result.
  int Run(TLatchDialog& Dialog, std::function<void(TLatchDialog&)> Fill) {
    responder.AnswerForm([Fill](TForm& form) { Fill(static_cast<TLatchDialog&>(form)); }, "Zatrzask");
    return Dialog.ShowModal();
  }
  // The message boxes shown so far.
  std::vector<TShownModal> Messages() const {
    std::vector<TShownModal> out;
    for (const TShownModal& m : responder.Shown())
      if (m.kind == TModalKind::MessageBox) out.push_back(m);
    return out;
  }

  TScriptedResponder responder;
  ScratchFolder settings;
  double savedFullAngle = 360.0;
  std::int32_t savedDecimals = 2;
  std::unique_ptr<TTvView> view;
  TTestTool tool;
};

TEST_F(LatchDialogTest, ButtonsNeedingPreviousPointsFollowThePointIndex) {
  struct Case {
    std::int32_t index;
    bool perpendicular, rightAngle, straightAngle, relative, azimuth, lastDirection;
  };
  const Case cases[] = {
      {0, false, false, false, false, false, false},
      {1, true, false, false, true, true, false},
      {2, true, true, true, true, true, true},
  };
  auto dialog = MakeForm<TLatchDialog>();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    dialog->EnableButtons(c.index);
    EXPECT_EQ(dialog->Get<TSpeedButton>("SBLinia90").Enabled(), c.perpendicular);
    EXPECT_EQ(dialog->Get<TSpeedButton>("SB90").Enabled(), c.rightAngle);
    EXPECT_EQ(dialog->Get<TSpeedButton>("SB180").Enabled(), c.straightAngle);
    EXPECT_EQ(dialog->Get<TSpeedButton>("SBdXdY").Enabled(), c.relative);
    EXPECT_EQ(dialog->Get<TSpeedButton>("SBKat").Enabled(), c.azimuth);
    EXPECT_EQ(dialog->Get<TSpeedButton>("SBKat2").Enabled(), c.lastDirection);
    for (const char* always : {"SBWszystko", "SBWarunkowo", "SBBezWar", "SBPrzeciecie", "SBLinia", "SBMiddle", "SBXY"})
      EXPECT_TRUE(dialog->Get<TSpeedButton>(always).Enabled()) << always;
  }
}

TEST_F(LatchDialogTest, BaseLineEntryButtonsNeedABaseLineOnTheToolsView) {
  const char* baseLineButtons[] = {"SBDP", "SBWL", "SBWC", "SBBiegunowo"};
  auto dialog = MakeForm<TExtraDialog>();
  dialog->SetKrzyz(&tool);
  for (const char* name : baseLineButtons) EXPECT_FALSE(dialog->Get<TSpeedButton>(name).Enabled()) << name;
  AddBaseLine();
  dialog->SetKrzyz(&tool);
  for (const char* name : baseLineButtons) EXPECT_TRUE(dialog->Get<TSpeedButton>(name).Enabled()) << name;
  // Unbinding only forgets the tool.
  dialog->SetKrzyz(nullptr);
  EXPECT_EQ(dialog->Krzyz(), nullptr);
  for (const char* name : baseLineButtons) EXPECT_TRUE(dialog->Get<TSpeedButton>(name).Enabled()) << name;
  EXPECT_EQ(dialog->ExtraFlags, (std::vector<bool>{false, true}));
}

TEST_F(LatchDialogTest, RightClickOnASnapButtonChangesTheModeAndKeepsTheWindowOpen) {
  tool.PointIndex = 2;
  tool.SnapMode = 1;
  auto dialog = Open(2);
  dialog->ShowSnapMode(1);
  const int result = Run(*dialog, [&](TLatchDialog& d) {
    d.Get<TSpeedButton>("SB180").MouseDownAt(TMouseButton::Right, 5, 5);
    d.Get<TSpeedButton>("SB180").MouseUpAt(TMouseButton::Right, 5, 5);
    EXPECT_EQ(tool.SnapMode, 7);
    EXPECT_TRUE(d.Get<TSpeedButton>("SB180").Down());
    EXPECT_FALSE(d.Get<TSpeedButton>("SBWarunkowo").Down());
    EXPECT_EQ(d.ModalResult(), mrNone) << "the press reached the window behind the button";
    d.Get<TSpeedButton>("SBLinia").MouseDownAt(TMouseButton::Left, 5, 5);
  });
  EXPECT_EQ(result, kLatchSnapOnce + 4);
  EXPECT_EQ(tool.SnapMode, 7) << "a one-time snap leaves the mode";
}

TEST_F(LatchDialogTest, EveryButtonAndKeyEndsWithItsResult) {
  struct Case {
    const char* what;
    std::function<void(TLatchDialog&)> act;
    int result;
  };
  auto snap = [](const char* name) {
    return [name](TLatchDialog& d) { d.Get<TSpeedButton>(name).MouseDownAt(TMouseButton::Left, 5, 5); };
  };
  const Case cases[] = {
      {"OK", [](TLatchDialog& d) { d.Get<TBitBtn>("btOK").Click(); }, kLatchOk},
      {"Enter on OK", [](TLatchDialog& d) { d.Get<TBitBtn>("btOK").SendKey(VK_RETURN); }, kLatchOk},
      {"Zamknij", [](TLatchDialog& d) { d.Get<TButton>("SpeedButton2").Click(); }, kLatchClose},
      {"Anuluj", [](TLatchDialog& d) { d.Get<TButton>("SpeedButton3").Click(); }, kLatchAbort},
      {"right on Anuluj",
       [](TLatchDialog& d) { d.Get<TButton>("SpeedButton3").MouseDownAt(TMouseButton::Right, 5, 5); }, kLatchAbort},
      {"right on the window", [](TLatchDialog& d) { d.MouseDownAt(TMouseButton::Right, 120, 135); }, kLatchAbort},
      {"Escape in a field", [](TLatchDialog& d) { d.Get<TEdit>("EditY").SendKey(VK_ESCAPE); }, kLatchAbort},
      {"Wstaw", snap("SBWszystko"), 19},
      {"warunkowy", snap("SBWarunkowo"), 20},
      {"bezwarunkowy", snap("SBBezWar"), 21},
      {"przecięcie", snap("SBPrzeciecie"), 22},
      {"linia", snap("SBLinia"), 23},
      {"linia pod kątem prostym", snap("SBLinia90"), 24},
      {"kąt prosty", snap("SB90"), 25},
      {"kąt półpełny", snap("SB180"), 26},
      {"prowadzenie osi", snap("SBMiddle"), 27},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto dialog = Open(2);
    EXPECT_EQ(Run(*dialog, c.act), c.result);
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LatchDialogTest, OkReadsTheFieldsAndTurnsAnglesToRadians) {
  AddBaseLine();
  struct Case {
    std::uint8_t mode;
    double fullAngle;
    const char* x;
    const char* y;
    double a, b;
  };
  const Case cases[] = {
      {kEntryXY, 360, "5000.25", "-12", 5000.25, -12},
      {kEntryRelative, 360, "3", "4", 3, 4},
      {kEntryAzimuth, 360, "10", "90", 10, kPi / 2},
      {kEntryAzimuth, 400, "10", "100", 10, kPi / 2},
      {kEntryLastDirection, 360, "2", "180", 2, kPi},
      {kEntryOffsets, 360, "30", "-5", 30, -5},
      {kEntryDistances, 360, "60", "60", 60, 60},
      {kEntryAngles, 360, "45", "60", kPi / 4, kPi / 3},
      {kEntryAngles, 400, "50", "50", kPi / 4, kPi / 4},
      {kEntryPolar, 360, "7", "1E1", 7, kPi / 18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << ", full angle " << c.fullAngle);
    KrzyzConf().FullAngle = c.fullAngle;
    auto dialog = Open(2, c.mode);
    ASSERT_EQ(dialog->InputMode(), c.mode);
    const int result = Run(*dialog, [&](TLatchDialog& d) {
      d.Get<TEdit>("EditX").SetText(c.x);
      d.Get<TEdit>("EditY").SetText(c.y);
      d.Get<TBitBtn>("btOK").Click();
    });
    EXPECT_EQ(result, kLatchOk);
    EXPECT_NEAR(dialog->A, c.a, 1e-12);
    EXPECT_NEAR(dialog->B, c.b, 1e-12);
    EXPECT_EQ(dialog->Z, 0.0);
  }
  EXPECT_TRUE(Messages().empty());
}

// Every refusal: a message box "Błąd" with the stop icon, the window out of
// the top layer and still open, the focus on the field to correct.
TEST_F(LatchDialogTest, WrongInputIsToldAndKeepsTheWindowOpen) {
  struct Case {
    const char* what;
    bool baseLine;
    std::int32_t index;
    std::uint8_t mode;
    const char* x;
    const char* y;
    const char* message;
    const char* focus;
  };
  const Case cases[] = {
      {"X not a number", false, 0, kEntryXY, "1.2.3", "0", "X: nie jest liczbą rzeczywistą", "EditX"},
      {"empty Y", false, 1, kEntryRelative, "1", "", "DY: nie jest liczbą rzeczywistą", "EditY"},
      {"label of the base-line mode", true, 0, kEntryDistances, "1", "-", "Miara przy punkcie 2: nie jest liczbą rzeczywistą",
       "EditY"},
      {"distances too short", true, 0, kEntryDistances, "40", "50",
       "Suma miar przy punktach 1 i 2 musi być większa niż długość linii bazowej (100.00)", "EditX"},
      {"angles too wide", true, 0, kEntryAngles, "100", "90", "Suma kątów musi być mniejsza od kąta półpełnego", "EditX"},
      {"zero angle", true, 0, kEntryAngles, "0", "80", "Kąty nie mogą być zerowe", "EditX"},
      {"relative without a previous point", false, 0, kEntryRelative, "1", "1", "Brak poprzedniego punktu", "EditX"},
      {"last direction after one point", false, 1, kEntryLastDirection, "1", "1", "Brak dwóch poprzednich punktów",
       "EditX"},
      {"polar without a base line", false, 2, kEntryPolar, "1", "1", "Brak linii bazowej", "EditX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view->SetPaintInPaint(nullptr);
    if (c.baseLine) AddBaseLine();
    // The mode is the one the tool remembers, set before the buttons
    // follow the point index.
    auto dialog = MakeForm<TLatchDialog>();
    dialog->SetInputMode(c.mode);
    dialog->SetKrzyz(&tool);
    dialog->EnableButtons(c.index);
    const std::size_t before = Messages().size();
    bool topMostAfterError = true;
    responder.AnswerForm([&](TForm& form) {
      EXPECT_TRUE(form.TopMost());
      form.Get<TEdit>("EditX").SetText(c.x);
      form.Get<TEdit>("EditY").SetText(c.y);
      form.Get<TBitBtn>("btOK").Click();
      topMostAfterError = form.TopMost();
      EXPECT_EQ(form.ModalResult(), mrNone);
      EXPECT_TRUE(form.Get<TEdit>(c.focus).Focused());
    });
    responder.AnswerMessageBox(IDOK);
    responder.AnswerForm([](TForm& form) { form.Get<TButton>("SpeedButton3").Click(); });
    EXPECT_EQ(dialog->ShowModal(), kLatchAbort);
    EXPECT_FALSE(topMostAfterError);
    ASSERT_EQ(Messages().size(), before + 1);
    EXPECT_EQ(Messages().back().text, c.message);
    EXPECT_EQ(Messages().back().caption, "Błąd");
    EXPECT_EQ(Messages().back().flags & 0xF0u, MB_ICONERROR);
  }
}

TEST_F(LatchDialogTest, ThirdCoordinateIsReadByOkCloseAndSnapButtons) {
  struct Case {
    const char* what;
    std::function<void(TLatchDialog&)> act;
    int result;
  };
  const Case cases[] = {
      {"OK", [](TLatchDialog& d) { d.Get<TBitBtn>("btOK").Click(); }, kLatchOk},
      {"Zamknij", [](TLatchDialog& d) { d.Get<TButton>("SpeedButton2").Click(); }, kLatchClose},
      {"snap", [](TLatchDialog& d) { d.Get<TSpeedButton>("SBBezWar").MouseDownAt(TMouseButton::Left, 5, 5); }, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto dialog = Open<TLatchDialog3d>(0);
    responder.AnswerForm([&](TForm& form) {
      form.Get<TEdit>("EditZ").SetText("abc");
      c.act(static_cast<TLatchDialog&>(form));
      EXPECT_EQ(form.ModalResult(), mrNone);
      EXPECT_TRUE(form.Get<TEdit>("EditZ").Focused());
    });
    responder.AnswerMessageBox(IDOK);
    responder.AnswerForm([&](TForm& form) {
      form.Get<TEdit>("EditZ").SetText("-3.5");
      c.act(static_cast<TLatchDialog&>(form));
    });
    EXPECT_EQ(dialog->ShowModal(), c.result);
    EXPECT_EQ(dialog->Z, -3.5);
    EXPECT_EQ(Messages().back().text, "Z nie jest liczbą rzeczywistą");
  }
}

TEST_F(LatchDialogTest, ThreeCoordinateWindowShowsZAndHidesPaste) {
  auto flat = MakeForm<TLatchDialog>();
  auto full = MakeForm<TLatchDialog3d>();
  EXPECT_FALSE(flat->Get<TEdit>("EditZ").Visible());
  EXPECT_TRUE(flat->Get<TSpeedButton>("ClipPasteSB").Visible());
  EXPECT_EQ(flat->ClientHeight(), 139);
  EXPECT_TRUE(full->Get<TEdit>("EditZ").Visible());
  EXPECT_TRUE(full->Get<TLabel>("LabelZ").Visible());
  EXPECT_FALSE(full->Get<TSpeedButton>("ClipPasteSB").Visible());
  EXPECT_EQ(full->ClientHeight(), 140);
  EXPECT_EQ(full->Get<TEdit>("EditX").Width(), 81);
  EXPECT_EQ(full->Get<TEdit>("EditY").Left(), 88);
  EXPECT_EQ(full->Get<TEdit>("EditY").Width(), 77);
  // No controls overlap on the row of the fields.
  EXPECT_LE(full->Get<TEdit>("EditZ").Left() + full->Get<TEdit>("EditZ").Width(), full->Get<TBitBtn>("btOK").Left());
  // The third field of the three-coordinate window has no key filter.
  full->Get<TEdit>("EditZ").SetText("");
  full->Get<TEdit>("EditZ").SendText("1,5a");
  EXPECT_EQ(full->Get<TEdit>("EditZ").Text(), "1,5a");
}

TEST_F(LatchDialogTest, FieldsTakeOnlyNumberCharacters) {
  struct Case {
    std::int32_t index;
    const char* field;
    const char* typed;
    const char* text;
    std::uint8_t mode;
  };
  const Case cases[] = {
      {0, "EditX", "1,5", "1.5", kEntryXY},
      {0, "EditX", "-2e3+E", "-2e3+E", kEntryXY},
      {0, "EditY", "a1 b2ż", "12", kEntryXY},
      // ";" and "<" choose their modes where their buttons are enabled, and
      // are not typed.
      {1, "EditX", "7;8", "78", kEntryRelative},
      {2, "EditY", "<9", "9", kEntryLastDirection},
      {0, "EditX", ";<3", "3", kEntryXY},
      {1, "EditY", "<3", "3", kEntryXY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\" at index " << c.index);
    auto dialog = Open(c.index);
    TEdit& edit = dialog->Get<TEdit>(c.field);
    edit.SetText("");
    edit.SendText(c.typed);
    EXPECT_EQ(edit.Text(), c.text);
    EXPECT_EQ(dialog->InputMode(), c.mode);
  }
  auto dialog = Open(2);
  dialog->Get<TEdit>("EditX").SendText("<");
  EXPECT_EQ(dialog->Get<TLabel>("LabelX").Caption(), "Odległość:");
  EXPECT_TRUE(dialog->Get<TSpeedButton>("SBKat2").Down());
}

TEST_F(LatchDialogTest, EnterGoesFromFieldToFieldAndThenToOk) {
  auto dialog = Open(0);
  const int result = Run(*dialog, [](TLatchDialog& d) {
    d.Get<TEdit>("EditX").SetFocus();
    d.Get<TEdit>("EditX").SendText("12");
    d.Get<TEdit>("EditX").SendKey(VK_RETURN);
    EXPECT_EQ(d.ModalResult(), mrNone);
    ASSERT_TRUE(d.Get<TEdit>("EditY").Focused());
    d.Get<TEdit>("EditY").SendText("34");
    d.Get<TEdit>("EditY").SendKey(VK_RETURN);
    ASSERT_TRUE(d.Get<TBitBtn>("btOK").Focused());
    d.Get<TBitBtn>("btOK").SendKey(VK_RETURN);
  });
  EXPECT_EQ(result, kLatchOk);
  EXPECT_EQ(dialog->A, 12);
  EXPECT_EQ(dialog->B, 34);
}

// Tab goes through the fields and buttons as they stand on the screen; the
// mode buttons are left to the mouse and the keys of the fields and tool.
TEST_F(LatchDialogTest, TabFollowsTheScreenOrder) {
  struct Case {
    bool threeD;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {false, {"EditY", "btOK", "SpeedButton1", "SpeedButton2", "SpeedButton3", "EditX"}},
      {true, {"EditY", "EditZ", "btOK", "SpeedButton1", "SpeedButton2", "SpeedButton3", "EditX"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.threeD ? "3D" : "2D");
    std::unique_ptr<TLatchDialog> dialog = c.threeD ? Open<TLatchDialog3d>(2) : Open(2);
    std::vector<std::string> order;
    Run(*dialog, [&](TLatchDialog& d) {
      d.Get<TEdit>("EditX").SetFocus();
      for (std::size_t i = 0; i < c.order.size(); ++i) {
        auto* focused = dynamic_cast<TWinControl*>(d.ActiveControl());
        ASSERT_NE(focused, nullptr);
        focused->SendKey(VK_TAB);
        order.push_back(d.ActiveControl() != nullptr ? d.ActiveControl()->Name() : "");
      }
      d.Get<TButton>("SpeedButton3").Click();
    });
    EXPECT_EQ(order, c.order);
  }
}

TEST_F(LatchDialogTest, EntryModesSetTheFieldLabels) {
  struct Case {
    const char* button;
    std::uint8_t mode;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"SBdXdY", kEntryRelative, "DX:", "DY:"},
      {"SBKat", kEntryAzimuth, "Odległość:", "Kąt:"},
      {"SBKat2", kEntryLastDirection, "Odległość:", "Kąt:"},
      {"SBDP", kEntryOffsets, "Miara bieżąca:", "Domiar:"},
      {"SBWL", kEntryDistances, "Miara przy punkcie 1:", "Miara przy punkcie 2:"},
      {"SBWC", kEntryAngles, "Kąt przy punkcie 1:", "Kąt przy punkcie 2:"},
      {"SBBiegunowo", kEntryPolar, "Odległość:", "Kąt:"},
      {"SBXY", kEntryXY, "X:", "Y:"},
  };
  AddBaseLine();
  auto clicked = Open(2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    clicked->Get<TSpeedButton>(c.button).Click();
    EXPECT_EQ(clicked->InputMode(), c.mode);
    EXPECT_EQ(clicked->Get<TLabel>("LabelX").Caption(), c.first);
    EXPECT_EQ(clicked->Get<TLabel>("LabelY").Caption(), c.second);
    EXPECT_EQ(clicked->Get<TEdit>("EditX").Hint(), c.first);
    EXPECT_EQ(clicked->Get<TEdit>("EditY").Hint(), c.second);

    auto set = Open(2);
    set->SetInputMode(c.mode);
    EXPECT_TRUE(set->Get<TSpeedButton>(c.button).Down());
    EXPECT_EQ(set->Get<TLabel>("LabelX").Caption(), c.first);
    EXPECT_EQ(set->Get<TLabel>("LabelY").Hint(), c.second);
  }
}

TEST_F(LatchDialogTest, ExtraEntryModeIsTheDescendantsOwn) {
  // Without an extra mode of its own the window falls back to plain X, Y.
  auto plain = Open(0, kEntryAzimuth);
  plain->SetInputMode(kEntryExtra);
  EXPECT_EQ(plain->InputMode(), kEntryXY);
  EXPECT_TRUE(plain->Get<TSpeedButton>("SBXY").Down());
  EXPECT_EQ(plain->Get<TLabel>("LabelX").Caption(), "X:");

  auto extra = Open<TExtraDialog>(0);
  extra->SetInputMode(kEntryExtra);
  EXPECT_EQ(extra->InputMode(), kEntryExtra);
  extra->ExtraWrong = true;
  responder.AnswerForm([](TForm& form) { form.Get<TBitBtn>("btOK").Click(); });
  responder.AnswerMessageBox(IDOK);
  responder.AnswerForm([&](TForm& form) {
    extra->ExtraWrong = false;
    form.Get<TBitBtn>("btOK").Click();
  });
  EXPECT_EQ(extra->ShowModal(), 111);
  EXPECT_EQ(Messages().back().text, "Zły parametr");
}

TEST_F(LatchDialogTest, PasteFillsBothFieldsOrTheFocusedOne) {
  struct Case {
    const char* clipboard;
    const char* focus;
    const char* x;
    const char* y;
    std::uint8_t mode;
  };
  const Case cases[] = {
      {"5000,25 -12.5", "EditY", "5000.25", "-12.5", kEntryXY},
      {"1\t2\r\n", "EditX", "1", "2", kEntryXY},
      {"1\n2", "EditX", "1", "2", kEntryXY},
      {"3,125", "EditY", "old", "3.125", kEntryAzimuth},
      {"7 cm", "EditX", "7", "old", kEntryAzimuth},
      {"abc 1 2", "EditX", "old", "old", kEntryAzimuth},
      {"", "EditX", "old", "old", kEntryAzimuth},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clipboard);
    auto dialog = Open(1, kEntryAzimuth);
    dialog->Get<TEdit>("EditX").SetText("old");
    dialog->Get<TEdit>("EditY").SetText("old");
    dialog->Get<TEdit>(c.focus).SetFocus();
    SetClipboardText(c.clipboard);
    dialog->Get<TSpeedButton>("ClipPasteSB").Click();
    EXPECT_EQ(dialog->Get<TEdit>("EditX").Text(), c.x);
    EXPECT_EQ(dialog->Get<TEdit>("EditY").Text(), c.y);
    EXPECT_EQ(dialog->InputMode(), c.mode);
  }
  // F9 pastes too; the third field takes one number in the 3D window.
  auto full = Open<TLatchDialog3d>(0);
  full->Get<TEdit>("EditZ").SetFocus();
  SetClipboardText("12.5");
  full->Get<TEdit>("EditZ").SendKey(platform::VK_F9);
  EXPECT_EQ(full->Get<TEdit>("EditZ").Text(), "12.5");
  EXPECT_EQ(full->Z, 12.5);
  EXPECT_EQ(full->Get<TEdit>("EditX").Text(), "0");
}

TEST_F(LatchDialogTest, PlacedBesideThePointInsideTheScreen) {
  auto dialog = MakeForm<TLatchDialog>();
  const int w = dialog->Width();
  const int h = dialog->Height();
  const int sw = SystemMetric(TSystemMetric::ScreenWidth);
  const int sh = SystemMetric(TSystemMetric::ScreenHeight);
  ASSERT_GT(sw, w + 40);
  ASSERT_GT(sh, h + 40);
  struct Case {
    int x, y, left, top;
  };
  const Case cases[] = {
      {0, 0, 10, 0},
      {100, 20, 110, 20},
      {sw - w - 10, 20, sw - w, 20},
      {sw - w - 9, 20, sw - w - 19 - w, 20},
      {sw - 1, sh - 1, sw - 1 - 10 - w, sh - h},
      {30, sh - h, 40, sh - h},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    dialog->PlaceNear(c.x, c.y);
    EXPECT_EQ(dialog->Left(), c.left);
    EXPECT_EQ(dialog->Top(), c.top);
    EXPECT_EQ(dialog->Width(), w);
    EXPECT_EQ(dialog->Height(), h);
  }
}

TEST_F(LatchDialogTest, ShownOnTopWithThePointerOnAnuluj) {
  auto dialog = Open(0);
  dialog->PlaceNear(100, 50);
  SetCursorPos(0, 0);
  int shows = 0;
  responder.AnswerForm([&](TForm& form) {
    ++shows;
    EXPECT_TRUE(form.TopMost());
    const TGdiPoint pointer = CursorPos();
    EXPECT_EQ(pointer, ClientToScreen(form.Get<TButton>("SpeedButton3"), 5, 5));
    EXPECT_EQ(ControlAtScreen(pointer.X, pointer.Y), &form.Get<TButton>("SpeedButton3"));
    // An error takes it out of the top layer...
    form.Get<TEdit>("EditX").SetText("x");
    form.Get<TBitBtn>("btOK").Click();
    EXPECT_FALSE(form.TopMost());
    form.Get<TButton>("SpeedButton2").Click();
  });
  responder.AnswerMessageBox(IDOK);
  EXPECT_EQ(dialog->ShowModal(), kLatchClose);
  // ... and the next showing puts it back.
  responder.AnswerForm([&](TForm& form) {
    EXPECT_TRUE(form.TopMost());
    form.Get<TButton>("SpeedButton3").Click();
  });
  EXPECT_EQ(dialog->ShowModal(), kLatchAbort);
  EXPECT_EQ(shows, 1);
}

TEST_F(LatchDialogTest, BaseLineWindowEndsTheWindowOnlyWithItsCommands) {
  TFakeBaseLineDialog baseLine;
  SetBaseLineDialog(&baseLine);
  for (int answer : {16, 17, 18, 0, 2, 19}) {
    SCOPED_TRACE(answer);
    baseLine.Result = answer;
    auto dialog = Open(0);
    const bool command = answer >= 16 && answer <= 18;
    responder.AnswerForm([&](TForm& form) {
      form.Get<TButton>("SpeedButton1").Click();
      EXPECT_EQ(form.ModalResult(), command ? answer : mrNone);
      if (!command) {
        EXPECT_TRUE(form.TopMost()) << "back on top after the base-line window";
        form.Get<TButton>("SpeedButton3").Click();
      }
    });
    EXPECT_EQ(dialog->ShowModal(), command ? answer : kLatchAbort);
    ASSERT_FALSE(baseLine.ShownFor.empty());
    EXPECT_EQ(baseLine.ShownFor.back(), view.get());
  }
  // Without a base-line window the button does nothing.
  SetBaseLineDialog(nullptr);
  auto dialog = Open(0);
  dialog->Get<TButton>("SpeedButton1").Click();
  EXPECT_EQ(dialog->ModalResult(), mrNone);
}

TEST_F(LatchDialogTest, FreedWindowTellsItsToolOnlyWhileBound) {
  {
    auto dialog = MakeForm<TLatchDialog>();
    dialog->SetKrzyz(&tool);
  }
  EXPECT_EQ(tool.Resets, 1);
  {
    auto dialog = MakeForm<TLatchDialog>();
    dialog->SetKrzyz(&tool);
    dialog->SetKrzyz(nullptr);
  }
  EXPECT_EQ(tool.Resets, 1);
}

TEST_F(LatchDialogTest, FirstFieldTextIsTypedOnWithTheCaretBehindIt) {
  auto dialog = Open(0);
  dialog->SetFirstFieldText("5");
  const int result = Run(*dialog, [](TLatchDialog& d) {
    ASSERT_TRUE(d.Get<TEdit>("EditX").Focused());
    EXPECT_EQ(d.Get<TEdit>("EditX").SelStart(), 1);
    d.Get<TEdit>("EditX").SendText("12");
    d.Get<TBitBtn>("btOK").Click();
  });
  EXPECT_EQ(result, kLatchOk);
  EXPECT_EQ(dialog->A, 512);
}

}  // namespace
