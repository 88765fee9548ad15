// The parameter windows of the object tools, driven with fake tools, and
// the modal edit dialogs of the objects, answered by the responder: fields
// filled on show without changing the tool, style and text changes going to
// the tool at once, numbers that are not numbers (or that the layer file
// cannot keep) changing nothing, the extra commands and entry mode 8, the
// circle modes, the 3D forms, and the edit dialogs' checks.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "common/defwrite.h"
#include "controls/justifypicker.h"
#include "controls/linepreview.h"
#include "foundation/settings/settings.h"
#include "objects/libcfg.h"
#include "objects/linestylelib.h"
#include "objects/styledlines.h"
#include "objects/symbollib.h"
#include "objtools/objdialogs.h"
#include "objtools/objdialogs_impl.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
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

// A snapping tool bound to the test's view without being attached to it.
class FakeTool : public TLatchKrzyz {
public:
  FakeTool() : TLatchKrzyz(0, {}) {}
  void UseView(TTvView* View) { view_ = View; }
};

// A line, arc or circle tool as its window sees it: a style, a fixed length
// (lines), a mode (circles) and the check of the closing distances (loops).
// It counts every change the window makes.
class FakeLineTool : public FakeTool, public ILineToolParams {
public:
  explicit FakeLineTool(TLineWindow Kind) : kind(Kind) {}

  std::unique_ptr<TLatchDialog> CreateDialog() override {
    return MakeLineWindow(kind, (Options & kDialog3d) != 0);
  }
  TSpecStyle* TemplateStyle() override { return &Style; }
  void ChangeStyle(const std::function<void(TSpecStyle&)>& Fn) override {
    ++Changes;
    Fn(Style);
  }
  const TLine* SublayerLineDef() override { return nullptr; }
  bool SublayerThick() override { return false; }
  bool HasFixedLength() const override { return kind == TLineWindow::Loop || kind == TLineWindow::Single; }
  double FixedLength() const override { return Length; }
  void SetFixedLength(double L) override {
    ++Changes;
    Length = L;
  }
  int CircleMode() const override { return kind == TLineWindow::Circle ? Mode : -1; }
  void SetCircleMode(int M) override {
    ++Changes;
    Mode = M;
  }
  std::string CheckCloseDistances(double C1, double C2) override {
    Distances.emplace_back(C1, C2);
    return CloseMessage;
  }

  TLineWindow kind;
  TSpecStyle Style;
  double Length = 0.0;
  int Mode = 0;
  int Changes = 0;
  std::string CloseMessage;
  std::vector<std::pair<double, double>> Distances;
};

// A text or symbol tool as its window sees it; it records every call that
// changes it.
class FakeTextTool : public FakeTool, public ITextToolParams {
public:

  bool IsAngled() const override { return Angled; }
  void SetAngled(bool On) override {
    Calls.push_back("SetAngled");
    Angled = On;
  }
  bool IsAngleAllowed() const override { return AngleAllowed; }
  bool IsHeightAllowed() const override { return HeightAllowed; }
  bool IsJustificationAllowed() const override { return JustificationAllowed; }
  float GetHeight() override { return Height; }
  void SetHeight(float H) override {
    Calls.push_back("SetHeight");
    Height = H;
  }
  float GetAngle() override { return Angle; }
  void SetAngle(float A) override {
    Calls.push_back("SetAngle");
    Angle = A;
  }
  std::uint8_t GetJustification() override { return Justification; }
  void SetJustification(std::uint8_t J) override {
    Calls.push_back("SetJustification");
    Justification = J;
  }
  bool GetUnderline() override { return Underline; }
  void SetUnderline(bool On) override {
    Calls.push_back("SetUnderline");
    Underline = On;
  }
  bool GetReference() override { return Reference; }
  void SetReference(bool On) override {
    Calls.push_back("SetReference");
    Reference = On;
  }
  std::string GetEditText() override { return Text; }
  void SetText(const std::string& T) override {
    Calls.push_back("SetText");
    Text = T;
  }
  std::string GetSymbolName() override { return SymbolName; }
  void SetSymbolName(const std::string& Name) override {
    Calls.push_back("SetSymbolName");
    SymbolName = Name;
  }

  bool Angled = false;
  bool AngleAllowed = true;
  bool HeightAllowed = true;
  bool JustificationAllowed = true;
  float Height = 1.0f;
  float Angle = 0.0f;
  std::uint8_t Justification = 7;
  bool Underline = false;
  bool Reference = false;
  std::string Text;
  std::string SymbolName;
  std::vector<std::string> Calls;
};

// A view of its own (for the base line), the cursor settings in degrees,
// the built-in line styles "1" to "14" and a symbol library of "DRZEWO" and
// "KRZ". Every modal window is answered by the responder.
class ObjDialogsTest : public ::testing::Test {
protected:
  ObjDialogsTest() {
    EnsureApplication();
    savedFullAngle = KrzyzConf().FullAngle;
    savedDecimals = KrzyzConf().Decimals;
    KrzyzConf().FullAngle = 360.0;
    KrzyzConf().Decimals = 2;
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
    TvViewCfgCreate();
    SetLibraryErrorBox([](const std::string&) {});
    SymbolLineManagerCfg().LineDefs = folder / "brak.lin";
    const std::string cross = defwrite::Element(-1, 0, 1, 0, 0, kElemLine);
    SymbolLineManagerCfg().SymbolDefs =
        folder.Put("nk1.sym", defwrite::SymbolFile({{"KRZ", {1, 1, 1, 1}, 1.0, {cross}},
                                                    {"DRZEWO", {1, 1, 1, 1}, 1.0, {cross}}}));
    view = std::make_unique<TTvView>();
  }
  ~ObjDialogsTest() override {
    view.reset();
    ReleaseLineManager();
    ReleaseSymbolManager();
    SetLibraryErrorBox(nullptr);
    FreeGlobalnaKonfiguracja();
    KrzyzConf().FullAngle = savedFullAngle;
    KrzyzConf().Decimals = savedDecimals;
  }

  void AddBaseLine() { view->SetPaintInPaint(std::make_unique<TBaseLine>(TRealPoint{0, 0}, TRealPoint{0, 100})); }

  // The tool's window prepared as the tool prepares it (bound, its entry
  // mode), run with Fill as the user's actions; the modal result.
  int Run(FakeTool& Tool, std::unique_ptr<TLatchDialog>& Window, std::function<void(TLatchDialog&)> Fill) {
    Tool.UseView(view.get());
    if (!Window) Window = Tool.CreateDialog();
    Window->SetKrzyz(&Tool);
    Window->EnableButtons(Tool.PointIndex);
    Window->SetInputMode(Tool.EntryMode);
    responder.AnswerForm([Fill](TForm& Form) { Fill(static_cast<TLatchDialog&>(Form)); });
    const int result = Window->ShowModal();
    Tool.EntryMode = Window->InputMode();
    return result;
  }
  int Run(FakeTool& Tool, std::function<void(TLatchDialog&)> Fill) {
    std::unique_ptr<TLatchDialog> window;
    const int result = Run(Tool, window, std::move(Fill));
    window->SetKrzyz(nullptr);
    return result;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const TShownModal& m : responder.Shown())
      if (m.kind == TModalKind::MessageBox) out.push_back(m.caption + ": " + m.text);
    return out;
  }
  static void Close(TLatchDialog& D) { D.Get<TButton>("SpeedButton2").Click(); }

  ScratchFolder folder;
  TScriptedResponder responder{[](const std::string& m) { ADD_FAILURE() << m; }};
  std::unique_ptr<TTvView> view;
  double savedFullAngle = 360.0;
  std::int32_t savedDecimals = 2;
};

// --- Line windows -------------------------------------------------------------

TEST_F(ObjDialogsTest, LineWindowsShowTheirControlsAndTheToolsStyle) {
  struct Case {
    TLineWindow kind;
    const char* caption;
    int help;
    bool arc, close, square, distances, parallel, length;
  };
  const Case cases[] = {
      {TLineWindow::Loop, "Wprowadzanie linii", 442, true, true, true, true, false, true},
      {TLineWindow::Single, "Wprowadź linie", 442, true, false, false, false, true, true},
      {TLineWindow::Arc, "Wprowadź łuk", 442, false, false, false, false, false, false},
      {TLineWindow::Circle, "Edycja", 443, true, true, true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    FakeLineTool tool(c.kind);
    tool.Style.LineDef = LineManager().GetLineByName("3");
    tool.Style.Thickness = 2;
    tool.Style.Multiplier = 2.5f;
    tool.Length = 12.5;
    Run(tool, [&](TLatchDialog& d) {
      EXPECT_EQ(d.Caption(), c.caption);
      EXPECT_EQ(d.HelpContext(), c.help);
      auto& typ = d.Get<TComboBox>("TypLini");
      EXPECT_EQ(typ.Items()[0], "domyślny");
      EXPECT_EQ(typ.Items().Count(), 15);
      EXPECT_EQ(typ.Text(), "3");
      EXPECT_EQ(d.Get<TComboBox>("Grubosc").ItemIndex(), 2);
      EXPECT_EQ(d.Get<TComboBox>("Grubosc").Items()[0], "domyślna");
      EXPECT_EQ(d.Get<TComboBox>("Mnoznik").Text(), "2.5");
      EXPECT_EQ(d.Get<TComboBox>("Mnoznik").Items().Count(), 7);
      EXPECT_EQ(d.Get<TSpeedButton>("SpeedButton4").Visible(), c.arc);
      EXPECT_EQ(d.Get<TSpeedButton>("SpeedButton5").Visible(), c.close);
      EXPECT_EQ(d.Get<TSpeedButton>("SpeedButton6").Visible(), c.square);
      EXPECT_EQ(d.Get<TSpeedButton>("CloseCSB").Visible(), c.distances);
      EXPECT_EQ(d.Find<TSpeedButton>("SBOdR") != nullptr, c.parallel);
      EXPECT_EQ(d.Get<TComboBox>("pDlugosc").Visible(), c.length);
      if (c.length) {
        EXPECT_EQ(d.Get<TComboBox>("pDlugosc").Text(), "12.5");
      }
      // The window ends below its last row.
      EXPECT_EQ(d.ClientHeight(), c.length ? 139 + 4 * 29 + 4 : 139 + 3 * 29 + 4);
      EXPECT_FALSE(d.Get<TEdit>("EditZ").Visible());
      Close(d);
    });
    // Showing changed nothing on the tool.
    EXPECT_EQ(tool.Changes, 0);
  }
}

TEST_F(ObjDialogsTest, StyleWithoutLineDefShowsDomyslnyAndChoosingItGivesNil) {
  FakeLineTool tool(TLineWindow::Loop);
  Run(tool, [&](TLatchDialog& d) {
    auto& typ = d.Get<TComboBox>("TypLini");
    EXPECT_EQ(typ.ItemIndex(), 0);
    EXPECT_EQ(typ.Text(), "domyślny");
    typ.UserSelect(typ.Items().IndexOf("7"));
    EXPECT_EQ(tool.Style.LineDef, LineManager().GetLineByName("7"));
    typ.UserSelect(0);
    EXPECT_EQ(tool.Style.LineDef, nullptr);
    // A typed name of no style is the sublayer's style too.
    typ.UserSelect(typ.Items().IndexOf("7"));
    typ.SetFocus();
    typ.SetText("");
    typ.SendText("XYZ");
    EXPECT_EQ(tool.Style.LineDef, nullptr);
    auto& grubosc = d.Get<TComboBox>("Grubosc");
    grubosc.UserSelect(1);
    EXPECT_EQ(tool.Style.Thickness, 1);
    Close(d);
  });
}

// Multiplier and length follow every valid text; a text that is not a
// number, or a multiplier the layer file cannot keep, leaves the last valid
// value.
TEST_F(ObjDialogsTest, MultiplierAndLengthTakeOnlyValidNumbers) {
  struct Case {
    const char* typed;
    const char* shown;  // after the coordinate key filter
    float multiplier;
    double length;
  };
  // Every keystroke is a change: the values are those of the last valid
  // text on the way ("1" of "1e", "65.53" of "65.536").
  const Case cases[] = {
      {"2,5", "2.5", 2.5f, 2.5},
      {"abc", "", 1.5f, 7.0},
      {"1e", "1e", 1.0f, 1.0},
      {"65.535", "65.535", 65.535f, 65.535},
      {"65.536", "65.536", 65.53f, 65.536},
      {"-1", "-1", 1.5f, -1.0},
      {"0", "0", 0.0f, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FakeLineTool tool(TLineWindow::Single);
    tool.Style.Multiplier = 1.5f;
    tool.Length = 7.0;
    Run(tool, [&](TLatchDialog& d) {
      for (const char* name : {"Mnoznik", "pDlugosc"}) {
        auto& box = d.Get<TComboBox>(name);
        box.SetFocus();
        box.SetText("");
        box.SendText(c.typed);
        EXPECT_EQ(box.Text(), c.shown) << name;
      }
      Close(d);
    });
    EXPECT_FLOAT_EQ(tool.Style.Multiplier, c.multiplier);
    EXPECT_DOUBLE_EQ(tool.Length, c.length);
  }
}

TEST_F(ObjDialogsTest, CommandButtonsCloseWithTheirCodes) {
  struct Case {
    TLineWindow kind;
    const char* button;
    int result;
  };
  const Case cases[] = {
      {TLineWindow::Loop, "SpeedButton4", kExtraArc},
      {TLineWindow::Loop, "SpeedButton5", kExtraCloseLoop},
      {TLineWindow::Loop, "SpeedButton6", kExtraCloseSquare},
      {TLineWindow::Single, "SpeedButton4", kExtraArc},
      {TLineWindow::Modify, "ToBaseLineSB", kExtraToBaseLine},
  };
  AddBaseLine();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    FakeLineTool tool(c.kind);
    EXPECT_EQ(Run(tool, [&](TLatchDialog& d) { d.Get<TSpeedButton>(c.button).Click(); }), c.result);
  }
}

// "Zamknij do czołówek": the fields become C1 and C2, OK asks the loop
// tool's check and gives 111; a refused pair is told and the window stays.
// The mode is remembered: the window opens in it again.
TEST_F(ObjDialogsTest, ClosingByDistancesIsEntryModeEight) {
  FakeLineTool tool(TLineWindow::Loop);
  tool.CloseMessage = "Odległości nie sięgają pierwszego punktu";
  std::unique_ptr<TLatchDialog> window;
  const int refused = Run(tool, window, [&](TLatchDialog& d) {
    d.Get<TSpeedButton>("CloseCSB").Click();
    EXPECT_TRUE(d.Get<TSpeedButton>("CloseCSB").Down());
    EXPECT_FALSE(d.Get<TSpeedButton>("SBXY").Down());
    EXPECT_EQ(d.Get<TLabel>("LabelX").Caption(), "C1:");
    EXPECT_EQ(d.Get<TLabel>("LabelY").Caption(), "C2:");
    d.Get<TEdit>("EditX").SetText("3");
    d.Get<TEdit>("EditY").SetText("4");
    responder.AnswerMessageBox(IDOK);
    d.Get<TBitBtn>("btOK").Click();
    EXPECT_EQ(d.ModalResult(), mrNone);
    Close(d);
  });
  EXPECT_EQ(refused, kLatchClose);
  EXPECT_EQ(tool.Distances, (std::vector<std::pair<double, double>>{{3, 4}}));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Błąd: Odległości nie sięgają pierwszego punktu"});
  EXPECT_EQ(tool.EntryMode, kEntryExtra);

  // A new window opens in the remembered mode as well.
  tool.CloseMessage.clear();
  window.reset();
  const int accepted = Run(tool, window, [&](TLatchDialog& d) {
    EXPECT_TRUE(d.Get<TSpeedButton>("CloseCSB").Down());
    EXPECT_EQ(d.Get<TLabel>("LabelX").Caption(), "C1:");
    d.Get<TEdit>("EditX").SetText("5");
    d.Get<TEdit>("EditY").SetText("6");
    d.Get<TBitBtn>("btOK").Click();
  });
  EXPECT_EQ(accepted, kExtraCloseDistances);
  EXPECT_EQ(tool.Distances.back(), (std::pair<double, double>{5, 6}));

  // Another entry mode ends mode 8.
  const int plain = Run(tool, window, [&](TLatchDialog& d) {
    d.Get<TSpeedButton>("SBXY").Click();
    EXPECT_FALSE(d.Get<TSpeedButton>("CloseCSB").Down());
    d.Get<TBitBtn>("btOK").Click();
  });
  EXPECT_EQ(plain, kLatchOk);
  window->SetKrzyz(nullptr);
}

// "Odłożenie równoległe" and "Dociągnięcie do linii bazowej" need a base
// line; a remembered parallel mode without one falls back to X, Y.
TEST_F(ObjDialogsTest, BaseLineCommandsNeedABaseLine) {
  FakeLineTool single(TLineWindow::Single);
  FakeLineTool modify(TLineWindow::Modify);
  Run(single, [&](TLatchDialog& d) {
    EXPECT_FALSE(d.Get<TSpeedButton>("SBOdR").Enabled());
    Close(d);
  });
  Run(modify, [&](TLatchDialog& d) {
    EXPECT_EQ(d.Caption(), "Edycja");
    EXPECT_FALSE(d.Get<TSpeedButton>("ToBaseLineSB").Enabled());
    Close(d);
  });

  AddBaseLine();
  const int parallel = Run(single, [&](TLatchDialog& d) {
    auto& odr = d.Get<TSpeedButton>("SBOdR");
    EXPECT_TRUE(odr.Enabled());
    odr.Click();
    EXPECT_EQ(d.Get<TLabel>("LabelX").Caption(), "Lewo:");
    EXPECT_EQ(d.Get<TLabel>("LabelY").Caption(), "Prawo:");
    d.Get<TEdit>("EditX").SetText("2");
    d.Get<TEdit>("EditY").SetText("0");
    d.Get<TBitBtn>("btOK").Click();
  });
  EXPECT_EQ(parallel, kExtraParallel);
  EXPECT_EQ(single.EntryMode, kEntryExtra);
  EXPECT_TRUE(single.Distances.empty());
  Run(single, [&](TLatchDialog& d) {
    EXPECT_TRUE(d.Get<TSpeedButton>("SBOdR").Down());
    EXPECT_EQ(d.Get<TLabel>("LabelX").Caption(), "Lewo:");
    Close(d);
  });
  Run(modify, [&](TLatchDialog& d) {
    EXPECT_TRUE(d.Get<TSpeedButton>("ToBaseLineSB").Enabled());
    Close(d);
  });

  view->SetPaintInPaint(nullptr);
  Run(single, [&](TLatchDialog& d) {
    EXPECT_EQ(d.InputMode(), kEntryXY);
    EXPECT_FALSE(d.Get<TSpeedButton>("SBOdR").Down());
    EXPECT_EQ(d.Get<TLabel>("LabelX").Caption(), "X:");
    Close(d);
  });
}

TEST_F(ObjDialogsTest, CircleWindowShowsAndSetsTheMode) {
  const char* buttons[] = {"SpeedButton4", "SpeedButton5", "SpeedButton6"};
  const char* hints[] = {"Środek, promień", "Średnica", "3 punkty"};
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    FakeLineTool tool(TLineWindow::Circle);
    tool.Mode = mode;
    Run(tool, [&](TLatchDialog& d) {
      for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.Get<TSpeedButton>(buttons[i]).Down(), i == mode) << buttons[i];
        EXPECT_EQ(d.Get<TSpeedButton>(buttons[i]).Hint(), hints[i]);
      }
      // Choosing a mode changes the tool and keeps the window open; the
      // snap mode's button stays down.
      const int next = (mode + 2) % 3;
      d.Get<TSpeedButton>(buttons[next]).Click();
      EXPECT_EQ(tool.Mode, next);
      EXPECT_TRUE(d.Get<TSpeedButton>(buttons[next]).Down());
      EXPECT_FALSE(d.Get<TSpeedButton>(buttons[mode]).Down());
      EXPECT_TRUE(d.Get<TSpeedButton>("SBWszystko").Down());
      EXPECT_EQ(d.ModalResult(), mrNone);
      Close(d);
    });
  }
}

TEST_F(ObjDialogsTest, ToolsIn3DShowTheThirdCoordinate) {
  struct Case {
    TLineWindow kind;
    std::function<bool(TLatchDialog*)> is3d;
  };
  const Case cases[] = {
      {TLineWindow::Loop, [](TLatchDialog* d) { return dynamic_cast<TLiniaSpecjalna3dD*>(d) != nullptr; }},
      {TLineWindow::Single, [](TLatchDialog* d) { return dynamic_cast<TLiniaSpecjalnaSingle3dD*>(d) != nullptr; }},
      {TLineWindow::Arc, [](TLatchDialog* d) { return dynamic_cast<TLukSpecjalny3dD*>(d) != nullptr; }},
      {TLineWindow::Circle, [](TLatchDialog* d) { return dynamic_cast<TOkragSpecjalny3dD*>(d) != nullptr; }},
      {TLineWindow::Modify, [](TLatchDialog* d) { return dynamic_cast<TLiniaModify3dD*>(d) != nullptr; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    FakeLineTool tool(c.kind);
    tool.SetOption(true);
    tool.Style.Multiplier = 3.0f;
    std::unique_ptr<TLatchDialog> window;
    const int result = Run(tool, window, [&](TLatchDialog& d) {
      EXPECT_TRUE(c.is3d(&d));
      EXPECT_EQ(d.Caption(), "Edycja");
      EXPECT_TRUE(d.Get<TEdit>("EditZ").Visible());
      EXPECT_EQ(d.Get<TLabel>("LabelZ").Caption(), "Z:");
      EXPECT_TRUE(d.Get<TLabel>("LabelZ").Visible());
      EXPECT_FALSE(d.Get<TSpeedButton>("ClipPasteSB").Visible());
      if (c.kind != TLineWindow::Modify) {
        EXPECT_EQ(d.Get<TComboBox>("Mnoznik").Text(), "3");
      }
      d.Get<TEdit>("EditZ").SetText("7.5");
      d.Get<TBitBtn>("btOK").Click();
    });
    EXPECT_EQ(result, kLatchOk);
    EXPECT_DOUBLE_EQ(window->Z, 7.5);
    window->SetKrzyz(nullptr);
  }
}

// Tab runs through the rows as they stand; Enter goes on to the next
// field; Escape aborts.
TEST_F(ObjDialogsTest, LineWindowWorksFromTheKeyboard) {
  FakeLineTool tool(TLineWindow::Loop);
  std::vector<std::string> order;
  const int result = Run(tool, [&](TLatchDialog& d) {
    d.Get<TEdit>("EditX").SetFocus();
    for (int i = 0; i < 10; ++i) {
      auto* focused = dynamic_cast<TWinControl*>(d.ActiveControl());
      ASSERT_NE(focused, nullptr);
      focused->SendKey(VK_TAB);
      order.push_back(d.ActiveControl() != nullptr ? d.ActiveControl()->Name() : "");
    }
    d.Get<TComboBox>("TypLini").SetFocus();
    d.Get<TComboBox>("TypLini").SendKey(VK_RETURN);
    EXPECT_TRUE(d.Get<TComboBox>("Grubosc").Focused());
    EXPECT_EQ(d.ModalResult(), mrNone);
    d.Get<TComboBox>("Grubosc").SendKey(VK_ESCAPE);
  });
  EXPECT_EQ(result, kLatchAbort);
  EXPECT_EQ(order, (std::vector<std::string>{"EditY", "btOK", "SpeedButton1", "SpeedButton2", "SpeedButton3",
                                             "TypLini", "Grubosc", "Mnoznik", "pDlugosc", "EditX"}));
}

// --- Text and symbol windows ------------------------------------------------------

// The window shows the tool's values; the angle to hundredths of the unit
// (halves to the even one). Showing sets nothing on the tool: the angle it
// keeps is its exact one, not the rounded one shown.
TEST_F(ObjDialogsTest, TextWindowShowsTheToolWithoutChangingIt) {
  struct Case {
    double degrees;
    const char* shown;
  };
  const Case cases[] = {{12.3456, "12.35"}, {-30, "-30"}, {0, "0"}, {359.999, "360"}, {0.004, "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    FakeTextTool tool;
    tool.Angle = static_cast<float>(c.degrees * kPi / 180.0);
    const float angle = tool.Angle;
    tool.Angled = true;
    tool.Height = 2.5f;
    tool.Justification = 3;
    tool.Underline = true;
    tool.Reference = true;
    tool.Text = "Dz. 125/3";
    std::unique_ptr<TLatchDialog> window = MakeNapisD();
    Run(tool, window, [&](TLatchDialog& d) {
      EXPECT_EQ(d.Caption(), "Tekst");
      EXPECT_EQ(d.HelpContext(), 444);
      EXPECT_TRUE(d.Get<TCheckBox>("Kat").Checked());
      EXPECT_EQ(d.Get<TEdit>("KatW").Text(), c.shown);
      EXPECT_EQ(d.Get<TEdit>("Hght").Text(), "2.5");
      EXPECT_EQ(d.Get<TJustyfikacja>("Just").Justyfikacja(), 3);
      EXPECT_TRUE(d.Get<TCheckBox>("Underln").Checked());
      EXPECT_TRUE(d.Get<TCheckBox>("Odn").Checked());
      EXPECT_EQ(d.Get<TEdit>("Text").Text(), "Dz. 125/3");
      EXPECT_TRUE(d.Get<TEdit>("Text").Focused());
      Close(d);
    });
    EXPECT_TRUE(tool.Calls.empty());
    EXPECT_EQ(tool.Angle, angle);
    window->SetKrzyz(nullptr);
  }
}

TEST_F(ObjDialogsTest, TextWindowDisablesWhatTheSublayerFixes) {
  struct Case {
    bool angle, height, justification;
  };
  const Case cases[] = {{false, true, true}, {true, false, true}, {true, true, false}, {false, false, false}};
  for (const Case& c : cases) {
    FakeTextTool tool;
    tool.AngleAllowed = c.angle;
    tool.HeightAllowed = c.height;
    tool.JustificationAllowed = c.justification;
    tool.Angle = static_cast<float>(kPi / 4);
    std::unique_ptr<TLatchDialog> window = MakeNapisD();
    Run(tool, window, [&](TLatchDialog& d) {
      EXPECT_EQ(d.Get<TCheckBox>("Kat").Enabled(), c.angle);
      EXPECT_EQ(d.Get<TEdit>("KatW").Enabled(), c.angle);
      // A fixed angle is still shown.
      EXPECT_EQ(d.Get<TEdit>("KatW").Text(), "45");
      EXPECT_EQ(d.Get<TEdit>("Hght").Enabled(), c.height);
      EXPECT_EQ(d.Get<TJustyfikacja>("Just").Enabled(), c.justification);
      Close(d);
    });
    window->SetKrzyz(nullptr);
  }
}

TEST_F(ObjDialogsTest, TextWindowChangesGoToTheTool) {
  FakeTextTool tool;
  KrzyzConf().FullAngle = 400.0;
  std::unique_ptr<TLatchDialog> window = MakeNapisD();
  Run(tool, window, [&](TLatchDialog& d) {
    auto& katW = d.Get<TEdit>("KatW");
    katW.SetFocus();
    katW.SelectAll();
    katW.SendText("1x00");  // a letter is dropped: 100 grads
    EXPECT_EQ(katW.Text(), "100");
    EXPECT_FLOAT_EQ(tool.Angle, static_cast<float>(kPi / 2));
    katW.SetText("1e");  // not a number: the last angle stays
    EXPECT_FLOAT_EQ(tool.Angle, static_cast<float>(kPi / 2));

    auto& hght = d.Get<TEdit>("Hght");
    hght.SetText("abc");
    EXPECT_FLOAT_EQ(tool.Height, 1.0f);
    hght.SetText("3.5");
    EXPECT_FLOAT_EQ(tool.Height, 3.5f);

    d.Get<TCheckBox>("Kat").Click();
    EXPECT_TRUE(tool.Angled);

    auto& text = d.Get<TEdit>("Text");
    tool.Calls.clear();
    text.SetFocus();
    text.SendText("ab");
    EXPECT_EQ(tool.Text, "ab");
    EXPECT_EQ(tool.Calls, (std::vector<std::string>{"SetText", "SetText"}));

    // "Odnośnik" ticks "Podkreślenie" (which turns the underline on);
    // unticking it leaves the underline.
    auto& odn = d.Get<TCheckBox>("Odn");
    auto& underln = d.Get<TCheckBox>("Underln");
    odn.Click();
    EXPECT_TRUE(tool.Reference);
    EXPECT_TRUE(underln.Checked());
    EXPECT_TRUE(tool.Underline);
    odn.Click();
    EXPECT_FALSE(tool.Reference);
    EXPECT_TRUE(underln.Checked());
    EXPECT_TRUE(tool.Underline);
    underln.Click();
    EXPECT_FALSE(tool.Underline);
    Close(d);
  });
  window->SetKrzyz(nullptr);
}

// Opened again, the window shows the tool's angle afresh and still sets
// nothing; only an edit of the field turns the text.
TEST_F(ObjDialogsTest, ReopenedTextWindowLeavesTheAngleUntilEdited) {
  FakeTextTool tool;
  tool.Angle = 0.123456f;
  std::unique_ptr<TLatchDialog> window = MakeNapisD();
  Run(tool, window, [&](TLatchDialog& d) { Close(d); });
  tool.Angle = 0.654321f;
  Run(tool, window, [&](TLatchDialog& d) {
    EXPECT_EQ(d.Get<TEdit>("KatW").Text(), "37.49");
    Close(d);
  });
  EXPECT_EQ(tool.Angle, 0.654321f);
  EXPECT_TRUE(tool.Calls.empty());
  Run(tool, window, [&](TLatchDialog& d) {
    d.Get<TEdit>("KatW").SetText("37.5");
    Close(d);
  });
  EXPECT_FLOAT_EQ(tool.Angle, static_cast<float>(37.5 * kPi / 180.0));
  window->SetKrzyz(nullptr);
}

// Tab runs through the text window's rows after the snapping controls;
// Enter goes on; a digit typed to open the window goes to the first
// coordinate, which then has the focus instead of the text.
TEST_F(ObjDialogsTest, TextWindowWorksFromTheKeyboard) {
  FakeTextTool tool;
  std::unique_ptr<TLatchDialog> window = MakeNapisD();
  std::vector<std::string> order;
  Run(tool, window, [&](TLatchDialog& d) {
    for (int i = 0; i < 8; ++i) {
      auto* focused = dynamic_cast<TWinControl*>(d.ActiveControl());
      ASSERT_NE(focused, nullptr);
      focused->SendKey(VK_TAB);
      order.push_back(d.ActiveControl() != nullptr ? d.ActiveControl()->Name() : "");
    }
    d.Get<TEdit>("Hght").SetFocus();
    d.Get<TEdit>("Hght").SendKey(VK_RETURN);
    EXPECT_TRUE(d.Get<TJustyfikacja>("Just").Focused());
    d.Get<TEdit>("EditX").SetFocus();
    Close(d);
  });
  EXPECT_EQ(order, (std::vector<std::string>{"EditX", "EditY", "btOK", "SpeedButton1", "SpeedButton2",
                                             "SpeedButton3", "Kat", "KatW"}));

  window->SetFirstFieldText("5");
  Run(tool, window, [&](TLatchDialog& d) {
    EXPECT_TRUE(d.Get<TEdit>("EditX").Focused());
    EXPECT_EQ(d.Get<TEdit>("EditX").Text(), "5");
    Close(d);
  });
  // Opened again without a digit: the text has the focus; Escape aborts.
  EXPECT_EQ(Run(tool, window,
                [&](TLatchDialog& d) {
                  EXPECT_TRUE(d.Get<TEdit>("Text").Focused());
                  d.Get<TEdit>("Text").SendKey(VK_ESCAPE);
                }),
            kLatchAbort);
}

TEST_F(ObjDialogsTest, SymbolWindowListsTheLibraryAndShowsTheName) {
  struct Case {
    const char* name;
    const char* shown;
  };
  const Case cases[] = {{"DRZEWO", "DRZEWO"}, {"BRAK", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTextTool tool;
    tool.SymbolName = c.name;
    tool.Height = 4.0f;
    std::unique_ptr<TLatchDialog> window = MakeSymbolD();
    Run(tool, window, [&](TLatchDialog& d) {
      EXPECT_EQ(d.Caption(), "Symbol");
      EXPECT_EQ(d.HelpContext(), 445);
      EXPECT_EQ(d.Get<TLabel>("Label1").Caption(), "Wielkość:");
      EXPECT_EQ(d.Get<TEdit>("Hght").Hint(), "Wielkość");
      EXPECT_EQ(d.Get<TEdit>("Hght").Text(), "4");
      auto& symbol = d.Get<TComboBox>("Symbol");
      ASSERT_EQ(symbol.Items().Count(), 2);
      EXPECT_EQ(symbol.Items()[0], "DRZEWO");
      EXPECT_EQ(symbol.Items()[1], "KRZ");
      EXPECT_EQ(symbol.Text(), c.shown);
      EXPECT_TRUE(tool.Calls.empty());
      symbol.UserSelect(1);
      EXPECT_EQ(tool.SymbolName, "KRZ");
      Close(d);
    });
    window->SetKrzyz(nullptr);
  }
}

// --- Edit dialogs ---------------------------------------------------------------------

class EditDialogsTest : public ObjDialogsTest {
protected:
  // The next edit dialog is handed to Fill.
  void OnDialog(std::function<void(TForm&)> Fill) { responder.AnswerForm(std::move(Fill), "Edycja"); }
  // Types Text into the named edit, replacing what it held.
  static void Type(TForm& F, const char* Name, const std::string& Text) {
    auto& e = F.Get<TEdit>(Name);
    e.SetFocus();
    e.SelectAll();
    e.SendText(Text);
  }
};

TEST_F(EditDialogsTest, TextDialogShowsAndReturnsTheValues) {
  TTextEditValues v;
  v.Height = 2.5f;
  v.Angle = static_cast<float>(12.3456 * kPi / 180.0);
  v.Text = "Dz. 125";
  v.Justification = 3;
  v.Underline = true;
  OnDialog([](TForm& f) {
    EXPECT_EQ(f.Get<TLabel>("Label1").Caption(), "Wys.:");
    EXPECT_EQ(f.Get<TEdit>("Hght").Text(), "2.5");
    // Unrounded, as far as a single keeps it.
    EXPECT_EQ(f.Get<TEdit>("KatW").Text().substr(0, 7), "12.3456");
    EXPECT_EQ(f.Get<TEdit>("Text").Text(), "Dz. 125");
    EXPECT_EQ(f.Get<TJustyfikacja>("Just").Justyfikacja(), 3);
    EXPECT_TRUE(f.Get<TEdit>("Hght").Focused());
    // Neither a minus sign nor a letter gets in.
    Type(f, "Hght", "-3x.5");
    EXPECT_EQ(f.Get<TEdit>("Hght").Text(), "3.5");
    Type(f, "KatW", "-90a");
    EXPECT_EQ(f.Get<TEdit>("KatW").Text(), "90");
    f.Get<TCheckBox>("Odn").Click();
    Type(f, "Text", "Nowy");
    f.Get<TBitBtn>("BitBtn1").Click();
  });
  ASSERT_TRUE(RunNapisEditD(false, v));
  EXPECT_FLOAT_EQ(v.Height, 3.5f);
  EXPECT_FLOAT_EQ(v.Angle, static_cast<float>(kPi / 2));
  EXPECT_EQ(v.Text, "Nowy");
  EXPECT_TRUE(v.Reference);
  EXPECT_TRUE(v.Underline);
  EXPECT_EQ(v.Justification, 3);

  // Cancel leaves the values.
  OnDialog([](TForm& f) {
    Type(f, "Text", "Inny");
    f.Get<TBitBtn>("BitBtn2").Click();
  });
  EXPECT_FALSE(RunNapisEditD(false, v));
  EXPECT_EQ(v.Text, "Nowy");
}

// Each wrong field is told in a "Błąd" box, gets the focus and keeps the
// dialog open; the next fix lets it close.
TEST_F(EditDialogsTest, TextDialogsRefuseWrongFields) {
  const std::string t47(47, 'a');
  const std::string t39(39, 'a');
  struct Case {
    bool fraction;
    bool reference;
    std::string height, angle, text, denominator;
    const char* message;
    const char* focused;
  };
  const Case cases[] = {
      {false, false, ".", "0", "a", "", "Wysokosc nie jest liczbą rzeczywistą.", "Hght"},
      {false, false, "", "0", "a", "", "Wysokosc nie jest liczbą rzeczywistą.", "Hght"},
      {false, false, "1", "1..2", "a", "", "Kąt nie jest liczbą rzeczywistą.", "KatW"},
      {false, false, "1", "0", "", "", "Tekst nie może być pusty", "Text"},
      {false, false, "1", "0", t47 + "b", "", "Tekst jest za długi (najwyżej 47 znaków)", "Text"},
      {false, true, "1", "0", t39 + "b", "", "Tekst jest za długi (najwyżej 39 znaków)", "Text"},
      {true, false, "1", "0", "", "", "Tekst licznika nie może być pusty", "Text"},
      {true, false, "1", "0", "12", "", "Tekst mianownika nie może być pusty", "Mianownik"},
      {true, false, "1", "0", std::string(23, '1'), std::string(24, '2'),
       "Licznik i mianownik są za długie (razem z separatorem najwyżej 47 znaków)", "Text"},
      {true, true, "1", "0", std::string(19, '1'), std::string(20, '2'),
       "Licznik i mianownik są za długie (razem z separatorem najwyżej 39 znaków)", "Text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    TTextEditValues v;
    v.Reference = c.reference;
    v.Height = 9.0f;
    OnDialog([&](TForm& f) {
      f.Get<TEdit>("Hght").SetText(c.height);
      f.Get<TEdit>("KatW").SetText(c.angle);
      f.Get<TEdit>("Text").SetText(c.text);
      if (c.fraction) f.Get<TEdit>("Mianownik").SetText(c.denominator);
      f.Get<TBitBtn>("BitBtn1").Click();
      EXPECT_EQ(f.ModalResult(), mrNone);
      EXPECT_TRUE(f.Get<TWinControl>(c.focused).Focused());
      f.Get<TBitBtn>("BitBtn2").Click();
    });
    responder.AnswerMessageBox(IDOK);
    EXPECT_FALSE(RunNapisEditD(c.fraction, v));
    ASSERT_FALSE(responder.Shown().empty());
    EXPECT_EQ(responder.Shown().back().caption, "Błąd");
    EXPECT_EQ(responder.Shown().back().text, c.message);
    EXPECT_FLOAT_EQ(v.Height, 9.0f);
  }
}

TEST_F(EditDialogsTest, FractionAtTheLimitIsTakenWithBothParts) {
  TTextEditValues v;
  v.Text = "1";
  v.Denominator = "2";
  OnDialog([](TForm& f) {
    EXPECT_EQ(f.Get<TLabel>("Label3").Caption(), "Licznik");
    EXPECT_EQ(f.Get<TLabel>("Label4").Caption(), "Mianownik");
    EXPECT_EQ(f.Get<TEdit>("Text").Text(), "1");
    EXPECT_EQ(f.Get<TEdit>("Mianownik").Text(), "2");
    f.Get<TEdit>("Text").SetText(std::string(23, '1'));
    f.Get<TEdit>("Mianownik").SetText(std::string(23, '2'));
    f.Get<TBitBtn>("BitBtn1").Click();
  });
  ASSERT_TRUE(RunNapisEditD(true, v));
  EXPECT_EQ(v.Text, std::string(23, '1'));
  EXPECT_EQ(v.Denominator, std::string(23, '2'));
}

TEST_F(EditDialogsTest, SymbolDialogListsTheLibraryAndRefusesALongName) {
  TSymbolEditValues v;
  v.Height = 2.0f;
  v.Name = "KRZ";
  OnDialog([](TForm& f) {
    auto& symbol = f.Get<TComboBox>("Symbol");
    EXPECT_EQ(symbol.Items().Count(), 2);
    EXPECT_EQ(symbol.Text(), "KRZ");
    EXPECT_EQ(f.Get<TEdit>("Hght").Text(), "2");
    EXPECT_TRUE(f.Get<TEdit>("Hght").Focused());
    symbol.SetText(std::string(26, 'S'));
    f.Get<TBitBtn>("BitBtn1").Click();
    EXPECT_EQ(f.ModalResult(), mrNone);
    EXPECT_TRUE(symbol.Focused());
    symbol.SetText(std::string(25, 'S'));
    f.Get<TBitBtn>("BitBtn1").Click();
  });
  responder.AnswerMessageBox(IDOK);
  ASSERT_TRUE(RunSymbolEditD(v));
  EXPECT_EQ(v.Name, std::string(25, 'S'));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Błąd: Nazwa symbolu jest za długa (najwyżej 25 znaków)"});
}

TEST_F(EditDialogsTest, EnterIsOkAndEscapeCancels) {
  TSymbolEditValues v;
  v.Name = "KRZ";
  OnDialog([](TForm& f) {
    f.Get<TEdit>("Hght").SetText("5");
    f.Get<TEdit>("Hght").SendKey(VK_RETURN);
  });
  ASSERT_TRUE(RunSymbolEditD(v));
  EXPECT_FLOAT_EQ(v.Height, 5.0f);
  OnDialog([](TForm& f) {
    f.Get<TEdit>("Hght").SetText("6");
    f.Get<TEdit>("Hght").SendKey(VK_ESCAPE);
  });
  EXPECT_FALSE(RunSymbolEditD(v));
  EXPECT_FLOAT_EQ(v.Height, 5.0f);
}

// Tab runs through the fields as they stand on the screen.
TEST_F(EditDialogsTest, TabFollowsTheScreen) {
  struct Case {
    std::function<bool()> run;
    const char* first;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {[] {
         TTextEditValues v;
         return RunNapisEditD(false, v);
       },
       "Hght", {"KatW", "Just", "Odn", "Underln", "Text", "BitBtn1", "BitBtn2", "Hght"}},
      {[] {
         TTextEditValues v;
         return RunNapisEditD(true, v);
       },
       "Hght", {"KatW", "Just", "Odn", "Underln", "Text", "Mianownik", "BitBtn1", "BitBtn2", "Hght"}},
      {[] {
         TSymbolEditValues v;
         return RunSymbolEditD(v);
       },
       "Hght", {"KatW", "Symbol", "BitBtn1", "BitBtn2", "Hght"}},
      {[] {
         TLineStyleEditValues v;
         return RunLiniaEditD(v);
       },
       "TypLini", {"Grubosc", "Mnoznik", "BitBtn1", "BitBtn2", "TypLini"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    std::vector<std::string> order;
    OnDialog([&](TForm& f) {
      EXPECT_EQ(f.ActiveControl(), f.FindComponent(c.first));
      for (std::size_t i = 0; i < c.order.size(); ++i) {
        auto* focused = dynamic_cast<TWinControl*>(f.ActiveControl());
        ASSERT_NE(focused, nullptr);
        focused->SendKey(VK_TAB);
        order.push_back(f.ActiveControl() != nullptr ? f.ActiveControl()->Name() : "");
      }
      f.Get<TBitBtn>("BitBtn2").Click();
    });
    EXPECT_FALSE(c.run());
    EXPECT_EQ(order, c.order);
  }
}

TEST_F(EditDialogsTest, LineDialogShowsPreviewsAndReturnsTheStyle) {
  TLineStyleEditValues v;
  v.SublayerLineDef = LineManager().GetLineByName("2");
  v.SublayerThick = true;
  v.Multiplier = 1.5f;
  OnDialog([&](TForm& f) {
    auto& typ = f.Get<TComboBox>("TypLini");
    auto& linia = f.Get<TSpecialLine>("Linia");
    EXPECT_EQ(typ.Items()[0], "Domyślny");
    EXPECT_EQ(typ.ItemIndex(), 0);
    EXPECT_TRUE(typ.Focused());
    EXPECT_EQ(f.Get<TComboBox>("Mnoznik").Text(), "1.5");
    // "domyślna" over a sublayer of thick lines previews a thick line, of
    // the sublayer's style.
    EXPECT_EQ(linia.LineWidth(), 3);
    EXPECT_EQ(linia.LineDef(), v.SublayerLineDef);
    auto& grubosc = f.Get<TComboBox>("Grubosc");
    grubosc.UserSelect(1);
    EXPECT_EQ(linia.LineWidth(), 1);
    grubosc.UserSelect(2);
    EXPECT_EQ(linia.LineWidth(), 3);
    typ.UserSelect(typ.Items().IndexOf("7"));
    EXPECT_EQ(linia.LineDef(), LineManager().GetLineByName("7"));
    auto& mnoznik = f.Get<TComboBox>("Mnoznik");
    mnoznik.SetFocus();
    mnoznik.SetText("");
    mnoznik.SendText("-2x.5");
    EXPECT_EQ(mnoznik.Text(), "2.5");
    f.Get<TBitBtn>("BitBtn1").Click();
  });
  ASSERT_TRUE(RunLiniaEditD(v));
  EXPECT_EQ(v.Thickness, 2);
  EXPECT_EQ(v.LineDef, LineManager().GetLineByName("7"));
  EXPECT_FLOAT_EQ(v.Multiplier, 2.5f);

  // Back to "Domyślny": no style of its own.
  OnDialog([&](TForm& f) {
    auto& typ = f.Get<TComboBox>("TypLini");
    EXPECT_EQ(typ.Text(), "7");
    EXPECT_EQ(f.Get<TComboBox>("Grubosc").ItemIndex(), 2);
    typ.UserSelect(0);
    f.Get<TBitBtn>("BitBtn1").Click();
  });
  ASSERT_TRUE(RunLiniaEditD(v));
  EXPECT_EQ(v.LineDef, nullptr);
}

TEST_F(EditDialogsTest, LineDialogRefusesAMultiplierItCannotKeep) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "Mnożnik nie jest liczbą rzeczywistą."},
      {"1..5", "Mnożnik nie jest liczbą rzeczywistą."},
      {"65.536", "Mnożnik musi leżeć w przedziale od 0 do 65.535"},
      {"100", "Mnożnik musi leżeć w przedziale od 0 do 65.535"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TLineStyleEditValues v;
    v.Multiplier = 1.0f;
    OnDialog([&](TForm& f) {
      auto& mnoznik = f.Get<TComboBox>("Mnoznik");
      mnoznik.SetText(c.text);
      f.Get<TBitBtn>("BitBtn1").Click();
      EXPECT_EQ(f.ModalResult(), mrNone);
      EXPECT_TRUE(mnoznik.Focused());
      mnoznik.SetText("65.535");
      f.Get<TBitBtn>("BitBtn1").Click();
    });
    responder.AnswerMessageBox(IDOK);
    ASSERT_TRUE(RunLiniaEditD(v));
    EXPECT_FLOAT_EQ(v.Multiplier, 65.535f);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), std::string("Błąd: ") + c.message);
  }
}

}  // namespace
