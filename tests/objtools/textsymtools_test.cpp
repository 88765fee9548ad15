// The text and symbol creation tools: typed text with the bar as control
// character (fractions, overline, escaped bars) and back to the window's
// text, the clicks a text needs by its reference and angle, the sublayer's
// options (angles not allowed make "at an angle" inert), and the completing
// click refused for an empty text and for texts, fractions and symbol names
// longer than the layer file keeps.
#include "objtools/textsymtools.h"

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <string>
#include <typeinfo>
#include <vector>

#include "common/square_font.h"
#include "drawing/strokefont.h"
#include "foundation/settings/settings.h"
#include "layers/tree/sublayer.h"
#include "objects/fraction.h"
#include "objects/symbol.h"
#include "objects/symbollib.h"
#include "objects/texts.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/tool_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Settings of a scratch folder, in place before the tool fixture sets its
// cursor settings in them and gone after it has put them back; a font in
// which every 'T'..'c' is a square, so that the templates draw.
struct ScratchSettings {
  ScratchSettings() {
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini"));
    PutSquareFont(folder);
  }
  ~ScratchSettings() {
    FontManager().SetFolder("");
    FreeGlobalnaKonfiguracja();
  }
  ScratchFolder folder;
};

// What the command saw at each completed placement.
struct Placed {
  std::string cls;
  TRealPoint position;
  float angle = 0.0f;
  TRealPoint ref;
};

class TextSymbolToolTest : private ScratchSettings, public ToolFixture {
protected:
  TextSymbolToolTest() {
    KrzyzConf().Signal = false;
    SetLibraryErrorBox([](const std::string&) {});
  }
  ~TextSymbolToolTest() override {
    ReleaseSymbolManager();
    SetLibraryErrorBox(nullptr);
  }

  // A text tool on a fresh template (NoReference as given), with angles
  // allowed and the "at an angle" switch as given, as the sublayer would
  // configure it.
  std::unique_ptr<TEditNewText> NewText(bool Reference, bool Angled, const std::string& Text = "AB") {
    auto* t = new TWysKatOdnNapisW(TRealPoint{0, 0}, Text, 10, 7, false, 0.0f, TRealPoint{0, 0});
    t->NoReference = Reference ? 0 : 1;
    auto tool = std::make_unique<TEditNewText>(0, t, nullptr, Recorder());
    tool->SetCounting(true);
    tool->SetPlaced(Angled ? 1 : 0);
    return tool;
  }
  std::unique_ptr<TEditNewSymbol> NewSymbol(const std::string& Name, bool Angled) {
    auto* s = new TWysKatSymbol();
    s->Text = Name;
    s->Height = 10;
    auto tool = std::make_unique<TEditNewSymbol>(0, s, nullptr, Recorder());
    tool->SetCounting(true);
    tool->SetPlaced(Angled ? 1 : 0);
    return tool;
  }
  TKrzyzPointEvent Recorder() {
    return [this](TKrzyz* Sender) {
      auto& tool = static_cast<TNewGraphObjKrzyz&>(*Sender);
      Placed p;
      p.cls = typeid(*tool.Template()).name();
      if (auto* t = dynamic_cast<TWysKatOdnNapisW*>(tool.Template())) {
        p.position = t->Position;
        p.angle = t->Angle;
        p.ref = t->GetRefPoint();
      } else if (auto* s = dynamic_cast<TWysKatSymbol*>(tool.Template())) {
        p.position = s->Position;
        p.angle = s->Angle;
      }
      placed.push_back(p);
      return true;
    };
  }
  // The template goes as the command's end handler lets it go.
  static void Release(TNewGraphObjKrzyz& Tool) {
    Tool.Deactivate();
    Tool.ClearTemplate();
  }

  std::vector<Placed> placed;
};

// --- Typed text ----------------------------------------------------------------

TEST_F(TextSymbolToolTest, TypedTextMakesFractionsOverlinesAndEscapedBars) {
  struct Case {
    const char* typed;
    bool fraction;
    const char* text;         // numerator of a fraction
    const char* denominator;  // fractions only
    bool overline;
    const char* shownBack;    // what the window gets back
  };
  const Case cases[] = {
      {"125|3", true, "125", "3", false, "125|3"},
      {"a||b", false, "a|b", "", false, "a||b"},
      {"|abc", false, "abc", "", true, "|abc"},
      {"abc|", false, "abc", "", false, "abc"},
      {"a||b|c", true, "a|b", "c", false, "a||b|c"},
      {"a|||b", true, "a|", "b", false, "a|||b"},
      {"|", false, "", "", true, "|"},
      {"plain", false, "plain", "", false, "plain"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    auto tool = NewText(false, false);
    Activate(*tool, TRealPoint{50, 50});
    tool->SetText(c.typed);
    TWysKatOdnNapisW* t = tool->TextTemplate();
    ASSERT_NE(t, nullptr);
    auto* f = dynamic_cast<TLicznikMianownik*>(t);
    EXPECT_EQ(f != nullptr, c.fraction);
    EXPECT_EQ(t->Text, c.text);
    if (f != nullptr) {
      EXPECT_EQ(f->Denominator, c.denominator);
    }
    EXPECT_EQ(t->IsOverline(), c.overline);
    EXPECT_EQ(tool->GetEditText(), c.shownBack);
    ExpectBalanced(*tool);
    Release(*tool);
  }
}

TEST_F(TextSymbolToolTest, ErasingTheBarGivesThePlainTextWithItsFieldsBack) {
  auto tool = NewText(true, false);
  TWysKatOdnNapisW* first = tool->TextTemplate();
  first->Height = 2.5f;
  first->Angle = 0.3f;
  first->SetJustyfikacja(3);
  first->SetUnderline(true);
  first->RefOffset = TSingleVector{4, 5};
  first->SetKolor(0x123456);
  Activate(*tool, TRealPoint{50, 50});

  const std::uint32_t colour = first->ColourWord;
  tool->SetText("125|3");
  ASSERT_EQ(typeid(*tool->TextTemplate()), typeid(TLicznikMianownik));
  tool->SetText("1253");
  TWysKatOdnNapisW* plain = tool->TextTemplate();
  ASSERT_EQ(typeid(*plain), typeid(TWysKatOdnNapisW));
  EXPECT_FLOAT_EQ(plain->Height, 2.5f);
  EXPECT_FLOAT_EQ(plain->Angle, 0.3f);
  EXPECT_EQ(plain->GetJustyfikacja(), 3);
  EXPECT_TRUE(plain->IsUnderline());
  EXPECT_EQ(plain->NoReference, 0);
  EXPECT_FLOAT_EQ(plain->RefOffset.X, 4);
  EXPECT_FLOAT_EQ(plain->RefOffset.Y, 5);
  EXPECT_EQ(plain->ColourWord, colour);
  EXPECT_EQ(plain->Text, "1253");
  EXPECT_TRUE(tool->GetReference());
  ExpectBalanced(*tool);
  Release(*tool);
}

// --- Points ----------------------------------------------------------------------

TEST_F(TextSymbolToolTest, ClicksNeededFollowTheReferenceAndTheAngle) {
  struct Case {
    bool reference;
    bool angled;
    bool referenceSetLater;  // SetReference(true) on the running tool
    int clicks;
  };
  const Case cases[] = {
      {false, false, false, 1},
      {true, false, false, 2},
      {false, true, false, 2},
      {true, true, false, 3},
      {false, false, true, 2},
      {false, true, true, 3},
  };
  // Anchor, then direction (straight along -X: a quarter turn), then the
  // reference point.
  const TRealPoint clicks[] = {{60, 40}, {40, 40}, {30, 120}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.reference << c.angled << c.referenceSetLater);
    placed.clear();
    auto tool = NewText(c.reference, c.angled);
    Activate(*tool, TRealPoint{50, 50});
    if (c.referenceSetLater) tool->SetReference(true);
    EXPECT_EQ(tool->IsAngled(), c.angled);
    int i = 0;
    for (; i < 3 && placed.empty(); ++i) Click(*tool, clicks[i].X, clicks[i].Y);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(i, c.clicks);
    EXPECT_EQ(placed[0].position.X, 60);
    EXPECT_EQ(placed[0].position.Y, 40);
    EXPECT_FLOAT_EQ(placed[0].angle, c.angled ? static_cast<float>(kPi / 2) : 0.0f);
    if (c.reference || c.referenceSetLater) {
      const TRealPoint ref = clicks[c.clicks - 1];
      EXPECT_FLOAT_EQ(placed[0].ref.X, ref.X);
      EXPECT_FLOAT_EQ(placed[0].ref.Y, ref.Y);
    }
    // The next text starts at once from its anchor.
    EXPECT_EQ(tool->Stage, 2);
    ExpectBalanced(*tool);
    Release(*tool);
  }
}

TEST_F(TextSymbolToolTest, SymbolTakesTheAnchorAndWithAngledTheDirection) {
  for (bool angled : {false, true}) {
    SCOPED_TRACE(angled);
    placed.clear();
    auto tool = NewSymbol("KRZYZ", angled);
    Activate(*tool, TRealPoint{50, 50});
    Click(*tool, 60, 40);
    if (angled) {
      EXPECT_TRUE(placed.empty());
      Click(*tool, 40, 40);  // along -X: a quarter turn
    }
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].position.X, 60);
    EXPECT_EQ(placed[0].position.Y, 40);
    EXPECT_FLOAT_EQ(placed[0].angle, angled ? static_cast<float>(kPi / 2) : 0.0f);
    EXPECT_EQ(tool->Stage, 2);
    Release(*tool);
  }
}

// --- The sublayer's options --------------------------------------------------------

TEST_F(TextSymbolToolTest, SublayerOptionsAndAnglesNotAllowedMakeAngledInert) {
  struct Case {
    std::uint8_t textFlags;  // 0x01 justification free, 0x02 constant height, 0x04 angles
    std::uint8_t placed;
    bool angled, angleAllowed, heightAllowed, justificationAllowed;
    int count;
  };
  const Case cases[] = {
      {0x00, 1, false, false, true, false, 2},
      {0x04, 1, true, true, true, false, 3},
      {0x04, 0, false, true, true, false, 2},
      {0x07, 1, true, true, false, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.textFlags) << "/" << int(c.placed));
    TPodwarstwaTextowa sub(nullptr, nullptr, 0, nullptr);
    sub.TextFlags = c.textFlags;
    sub.PlacedState = c.placed;
    TEditNewText tool(0, new TWysKatOdnNapisW(), &sub, {});
    sub.ConfigureNewObjectTool(tool);
    EXPECT_EQ(tool.Angled, c.angled);
    EXPECT_EQ(tool.IsAngleAllowed(), c.angleAllowed);
    EXPECT_EQ(tool.IsHeightAllowed(), c.heightAllowed);
    EXPECT_EQ(tool.IsJustificationAllowed(), c.justificationAllowed);
    EXPECT_EQ(tool.CompleteCount, c.count);
    // Switching "at an angle" on (the window's check box) changes nothing
    // when angles are not allowed.
    tool.SetAngled(true);
    EXPECT_EQ(tool.IsAngled(), c.angleAllowed);
    EXPECT_EQ(tool.CompleteCount, c.angleAllowed ? 3 : 2);
    // Angles taken away switch it off and give its point back.
    tool.SetAngleAllowed(false);
    EXPECT_FALSE(tool.IsAngled());
    EXPECT_EQ(tool.CompleteCount, 2);
    tool.SetAngled(true);
    EXPECT_FALSE(tool.IsAngled());
    tool.ClearTemplate();
  }
}

// --- Refused placements --------------------------------------------------------------

TEST_F(TextSymbolToolTest, TextsTheLayerFileCannotKeepAreRefusedAtTheCompletingClick) {
  const std::string a47(47, 'a');
  struct Case {
    const char* name;
    bool reference;
    std::string typed;
    bool accepted;
  };
  const Case cases[] = {
      {"empty", false, "", false},
      {"only an overline bar", false, "|", false},
      {"47 characters", false, a47, true},
      {"48 characters", false, a47 + "a", false},
      {"39 with a reference", true, std::string(39, 'b'), true},
      {"40 with a reference", true, std::string(40, 'b'), false},
      {"pair of 47 with the separator", false, std::string(23, '1') + "|" + std::string(23, '2'), true},
      {"pair of 48 with the separator", false, std::string(24, '1') + "|" + std::string(23, '2'), false},
      {"pair of 40 with a reference", true, std::string(20, '1') + "|" + std::string(19, '2'), false},
      {"escaped bars counted once", false, std::string(46, 'c') + "||", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    placed.clear();
    auto tool = NewText(c.reference, false);
    Activate(*tool, TRealPoint{50, 50});
    tool->SetText(c.typed);
    Click(*tool, 60, 40);
    if (c.reference) Click(*tool, 30, 120);
    EXPECT_EQ(placed.size(), c.accepted ? 1u : 0u);
    if (!c.accepted) {
      // The tool keeps its points: the last click may be repeated.
      EXPECT_EQ(tool->Stage, tool->CompleteCount);
      EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0);
      tool->SetText("ok");
      Click(*tool, 30, 120);
      EXPECT_EQ(placed.size(), 1u) << "accepted once the text is right";
    }
    ExpectBalanced(*tool);
    Release(*tool);
  }
}

TEST_F(TextSymbolToolTest, SymbolNamesEmptyOrTooLongAreRefused) {
  struct Case {
    std::string name;
    bool accepted;
  };
  const Case cases[] = {{"", false}, {std::string(25, 'S'), true}, {std::string(26, 'S'), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size());
    placed.clear();
    auto tool = NewSymbol("X", false);
    Activate(*tool, TRealPoint{50, 50});
    tool->SetSymbolName(c.name);
    EXPECT_EQ(tool->GetSymbolName(), c.name);
    EXPECT_EQ(tool->SymbolTemplate()->Symbol, nullptr) << "no library symbol of that name";
    Click(*tool, 60, 40);
    EXPECT_EQ(placed.size(), c.accepted ? 1u : 0u);
    if (!c.accepted) {
      EXPECT_EQ(tool->Stage, 2);
    }
    Release(*tool);
  }
}

// --- The window's setters ---------------------------------------------------------------

TEST_F(TextSymbolToolTest, WindowSettersChangeTheTemplateOffTheScreen) {
  auto tool = NewText(false, false);
  Activate(*tool, TRealPoint{50, 50});
  tool->SetHeight(7.5f);
  tool->SetAngle(1.25f);
  tool->SetJustification(5);
  tool->SetUnderline(true);
  ExpectBalanced(*tool);
  EXPECT_FLOAT_EQ(tool->GetHeight(), 7.5f);
  EXPECT_FLOAT_EQ(tool->GetAngle(), 1.25f);
  EXPECT_EQ(tool->GetJustification(), 5);
  EXPECT_TRUE(tool->GetUnderline());
  EXPECT_FALSE(tool->GetReference());
  EXPECT_EQ(tool->CompleteCount, 2);
  tool->SetReference(true);
  EXPECT_TRUE(tool->GetReference());
  EXPECT_EQ(tool->CompleteCount, 3);
  Release(*tool);
}

TEST_F(TextSymbolToolTest, TextWindowShowsAndChangesTheTool) {
  platform::TScriptedResponder responder([](const std::string& m) { ADD_FAILURE() << m; });
  auto tool = NewText(false, false, "abc");
  tool->TextTemplate()->SetOverline(true);
  Activate(*tool, TRealPoint{50, 50});
  std::string shown;
  responder.AnswerForm([&](platform::TForm& Form) {
    auto& text = Form.Get<platform::TEdit>("Text");
    shown = text.Text();
    text.SetText("");
    text.SendText("125|3");
    Form.Get<platform::TCheckBox>("Odn").SetChecked(true);
    Form.SetModalResult(platform::mrCancel);
  });
  RightClick(*tool);
  EXPECT_EQ(shown, "|abc");
  auto* f = dynamic_cast<TLicznikMianownik*>(tool->TextTemplate());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Text, "125");
  EXPECT_EQ(f->Denominator, "3");
  EXPECT_TRUE(tool->GetReference());
  EXPECT_EQ(tool->CompleteCount, 3) << "the reference point is one more click";
  ExpectBalanced(*tool);
  Release(*tool);
}

// A text sublayer that counts the requests for its symbol context.
class SymbolContextSublayer : public TPodwarstwaTextowa {
public:
  SymbolContextSublayer() : TPodwarstwaTextowa(nullptr, nullptr, 0, nullptr) {}
  void SelectSymbols() override { ++selected; }
  int selected = 0;
};

TEST_F(TextSymbolToolTest, SymbolWindowComesAfterTheSublayersSymbolContext) {
  SymbolContextSublayer sub;
  TEditNewSymbol tool(0, new TWysKatSymbol(), &sub, {});
  std::unique_ptr<TLatchDialog> window = tool.CreateDialog();
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(sub.selected, 1);
  TEditNewText text(0, new TWysKatOdnNapisW(), &sub, {});
  EXPECT_NE(text.CreateDialog(), nullptr);
  EXPECT_EQ(sub.selected, 1) << "texts need no symbols";
  tool.ClearTemplate();
  text.ClearTemplate();
}

TEST(TextBars, EscapingAndCutting) {
  EXPECT_EQ(FindSingleBar("a||b|c"), 4u);
  EXPECT_EQ(FindSingleBar("a||b"), std::string::npos);
  EXPECT_EQ(UnescapeBars("||x|"), "|x");
  EXPECT_EQ(EscapeBars("a|b"), "a||b");
  // Characters, not bytes: a Polish letter is never split.
  EXPECT_EQ(FirstCharacters("ąęó", 2), "ąę");
  EXPECT_EQ(FirstCharacters("ab", 5), "ab");
}

}  // namespace
