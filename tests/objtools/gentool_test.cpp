// The generator tool and its window: the points of an embankment counted
// in and taken back, a one-point generator completing at every click, points
// refused without a generator and while the user refuses a shape's line
// count, the question asked once for a shape, the spacing carried from
// generator to generator, and the window's generator choice, spacing field,
// "Zeruj" and keyboard.
#include "objtools/gentool.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/defwrite.h"
#include "drawing/canvascfg.h"
#include "foundation/settings/settings.h"
#include "objects/libcfg.h"
#include "objects/linestylelib.h"
#include "objtools/genlibrary.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "view/krzyzconf.h"
#include "view/tool_fixture.h"

namespace {

using namespace platform;

TRealPoint Apply(const TAffineMatrix& M, double X, double Y) {
  return TRealPoint{M.a * X + M.b * Y + M.c, M.d * X + M.e * Y + M.f};
}

// What the tool's command saw at each completed shape.
struct Report {
  std::string name;
  std::int32_t objects = 0;
  std::int32_t count = 0;  // the tool's Count meanwhile
  TAffineMatrix m;
};

// Settings of a scratch folder, in place before the tool fixture sets its
// cursor settings in them and gone after it has put them back.
struct ScratchSettings {
  ScratchSettings() { SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(folder / "tolvika.ini")); }
  ~ScratchSettings() { FreeGlobalnaKonfiguracja(); }
  ScratchFolder folder;
};

// The tool on the stand-in view (tool_fixture.h) at the map scale 1:1000,
// with a generator library of the built-in generators and the one-point
// generator "SLUP" (a segment from its point 20 units to the right). Every
// message box and window is answered by the responder; one nobody expects
// fails the test.
class GeneratorToolTest : private ScratchSettings, public ToolFixture {
protected:
  GeneratorToolTest() {
    SetLibraryErrorBox([this](const std::string& Message) { libraryErrors.push_back(Message); });
    const std::string header = defwrite::GeneratorHeader("SLUP", 1, 1, kGenType1P, {0, 0}, {0, 1}, {1, 0});
    const std::string element = defwrite::Element(0, 0, 0, 20, 0, kElemLine);
    folder.Put("k1g.gen", defwrite::DefinitionFile(defwrite::kGeneratorMagic, 1, header, element));
    SymbolLineManagerCfg().GeneratorFile = folder / "k1g.gen";
    SymbolLineManagerCfg().LineDefs = folder / "brak.lin";
    canvas->Cfg()->Skala = 1000;
    KrzyzConf().Signal = false;
  }
  ~GeneratorToolTest() override {
    ReleaseGeneratorManager();
    ReleaseLineManager();
    SetLibraryErrorBox(nullptr);
  }

  // A tool with generator Name (none for an empty name) that keeps what its
  // command would get at each completed shape.
  std::unique_ptr<TGeneratorKrzyz> MakeTool(const std::string& Name) {
    auto tool = std::make_unique<TGeneratorKrzyz>(0, [this](TKrzyz* Sender) {
      auto& t = static_cast<TGeneratorKrzyz&>(*Sender);
      std::unique_ptr<TGeneratedObjList> list = t.CreateObjects(7);
      reports.push_back({list->Name, list->Count(), t.Count, t.M});
      return true;
    });
    if (!Name.empty()) tool->SetGenerator(Library(Name));
    return tool;
  }
  static TGeneratorImp* Library(const std::string& Name) {
    TGeneratorImp* g = GeneratorManager().FindByName(Name);
    EXPECT_NE(g, nullptr) << Name;
    return g;
  }
  int Questions() const {
    int n = 0;
    for (const TShownModal& m : responder.Shown()) n += m.kind == TModalKind::MessageBox;
    return n;
  }
  // The next snapping window is handed to Fill.
  void OnWindow(std::function<void(TGeneratorDialog&)> Fill) {
    responder.AnswerForm([Fill](TForm& Form) { Fill(dynamic_cast<TGeneratorDialog&>(Form)); }, "Generator");
  }

  TScriptedResponder responder{[](const std::string& m) { ADD_FAILURE() << m; }};
  std::vector<std::string> libraryErrors;
  std::vector<Report> reports;
};

// --- The tool -----------------------------------------------------------------

// Top edge P1 (10, 10) -> P2 (10, 60): y runs along world Y, x towards
// world -X. Far bottom end P3 (6, 55) is (x 4, y 45), near end P4 (8, 15) is
// (x 2, y 5); without them the bottom edge is the default (-1, 1)-(-1, 49).
TEST_F(GeneratorToolTest, EmbankmentPointsCountUpToFourAndCompleteTheShape) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  auto& g = static_cast<TSkarpaGenerator&>(*tool->Generator());
  struct Step {
    bool click;
    double x, y;
    std::int32_t count;     // after the step
    std::int32_t elements;  // hatch lines of the shape shown
    double spacing;         // the spacing the shape was computed with
    std::size_t reports;
  };
  const Step steps[] = {
      // A shape of no size at the pointer: nothing computed yet.
      {false, 10, 10, 1, 0, 0, 0},
      {true, 10, 10, 2, 0, 0, 0},
      // The default bottom edge: a quarter of |-1 - 1|, 100 lines over 50.
      {false, 10, 60, 2, 100, 0.5, 0},
      {true, 10, 60, 3, 100, 0.5, 0},
      // The far bottom end: a quarter of 4 + 1.
      {false, 6, 55, 3, 40, 1.25, 0},
      {true, 6, 55, 4, 40, 1.25, 0},
      // Both ends: a quarter of 4 + 2, lines at 0, 1.5, ..., 49.5.
      {false, 8, 15, 4, 34, 1.5, 0},
      // Complete: reported, and the next shape starts at the point.
      {true, 8, 15, 1, 34, 1.5, 1},
      {false, 30, 40, 1, 34, 1.5, 1},
  };
  Activate(*tool, {0, 0});
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << (s.click ? "click " : "move ") << s.x << ", " << s.y);
    if (s.click)
      ClickOnly(*tool, s.x, s.y);
    else
      Move(*tool, s.x, s.y);
    EXPECT_EQ(tool->Count, s.count);
    EXPECT_EQ(g.Count(), s.elements);
    EXPECT_DOUBLE_EQ(g.ComputedSpacing, s.spacing);
    EXPECT_EQ(reports.size(), s.reports);
    ExpectBalanced(*tool);
  }
  // The command got the four-point shape: P1 at the frame's origin, P2 at
  // the far end of the top edge.
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].name, "Generator SKARPA_P");
  EXPECT_EQ(reports[0].objects, 34);
  EXPECT_EQ(reports[0].count, 1);
  const TRealPoint p1 = Apply(reports[0].m, 0, 0);
  const TRealPoint p2 = Apply(reports[0].m, 0, 50);
  EXPECT_NEAR(p1.X, 10, 1e-9);
  EXPECT_NEAR(p1.Y, 10, 1e-9);
  EXPECT_NEAR(p2.X, 10, 1e-9);
  EXPECT_NEAR(p2.Y, 60, 1e-9);
  // The next shape starts at the last point and follows the pointer.
  const TRealPoint next = Apply(tool->M, 0, 0);
  EXPECT_NEAR(next.X, 30, 1e-9);
  EXPECT_NEAR(next.Y, 40, 1e-9);
  // The spacing the generator chose is the one from now on.
  EXPECT_DOUBLE_EQ(tool->GetSpacing(), 1.5);
}

TEST_F(GeneratorToolTest, BackspaceTakesPointsBackAndAtFourRestoresTheFirst) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  auto& g = static_cast<TSkarpaGenerator&>(*tool->Generator());
  Activate(*tool, {0, 0});
  Click(*tool, 10, 10);
  Click(*tool, 10, 60);
  Click(*tool, 6, 55);
  Move(*tool, 8, 15);
  ASSERT_EQ(tool->Count, 4);

  struct Back {
    std::int32_t count;
    std::vector<TRealPoint> fixed;  // entries before the pointer's
    std::int32_t elements;
    double spacing;
    bool done;
  };
  const Back backs[] = {
      // P1 back in entry 0; the pointer (8, 15) is now the far bottom end
      // (x 2, y 5): a quarter of 2 + 1.
      {3, {{10, 10}, {10, 60}}, 67, 0.75, false},
      // The pointer is P2: a top edge (10, 10)-(8, 15).
      {2, {{10, 10}}, -1, -1, false},
      {1, {}, -1, -1, false},
      // Nothing to take back: the tool ends.
      {1, {}, -1, -1, true},
  };
  for (const Back& b : backs) {
    SCOPED_TRACE(b.count);
    EXPECT_EQ(tool->HandleBackspace(), b.done);
    EXPECT_EQ(tool->Count, b.count);
    if (b.done) break;
    ASSERT_EQ(tool->PointIndex, static_cast<std::int32_t>(b.fixed.size()));
    for (std::size_t i = 0; i < b.fixed.size(); ++i) {
      EXPECT_EQ(tool->Entries[i].X, b.fixed[i].X) << i;
      EXPECT_EQ(tool->Entries[i].Y, b.fixed[i].Y) << i;
    }
    EXPECT_EQ(tool->CurrentEntry().X, 8);
    EXPECT_EQ(tool->CurrentEntry().Y, 15);
    if (b.elements >= 0) {
      EXPECT_EQ(g.Count(), b.elements);
      EXPECT_DOUBLE_EQ(g.ComputedSpacing, b.spacing);
    }
    const TRealPoint p1 = Apply(tool->M, 0, 0);
    EXPECT_NEAR(p1.X, b.count == 1 ? 8 : 10, 1e-9);
    EXPECT_NEAR(p1.Y, b.count == 1 ? 15 : 10, 1e-9);
    ExpectBalanced(*tool);
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(GeneratorToolTest, OnePointGeneratorCompletesAtEveryClick) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("slup");
  Activate(*tool, {0, 0});
  const TRealPoint clicks[] = {{20, 30}, {40, 50}, {60, 70}};
  for (const TRealPoint& p : clicks) {
    EXPECT_TRUE(Click(*tool, p.X, p.Y));
    EXPECT_EQ(tool->Count, 1);
    ExpectBalanced(*tool);
  }
  ASSERT_EQ(reports.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reports[i].name, "Generator SLUP");
    EXPECT_EQ(reports[i].objects, 1);
    // Placed at the point, neither turned nor scaled.
    const TRealPoint end = Apply(reports[i].m, 0, 20);
    EXPECT_EQ(end.X, clicks[i].X);
    EXPECT_EQ(end.Y, clicks[i].Y + 20);
  }
  // The shape follows the pointer: its segment is on the screen.
  Move(*tool, 50, 100);
  EXPECT_TRUE(Inverted(50, 115));
}

TEST_F(GeneratorToolTest, PointsAreRefusedWithoutAGenerator) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("");
  Activate(*tool, {0, 0});
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(Click(*tool, 20, 30));
    EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0);
    EXPECT_EQ(tool->PointIndex, 0) << "a refused point is not advanced over";
    EXPECT_EQ(tool->Count, 1);
  }
  EXPECT_FALSE(tool->HasSpacing());
  EXPECT_EQ(tool->GetSpacing(), 0);
  tool->SetSpacing(3);  // nothing to set it on
  EXPECT_EQ(tool->CreateObjects(1), nullptr);
  ExpectBalanced(*tool);

  // A generator chosen: the same click is taken.
  tool->SetGenerator(Library("SKARPA_P"));
  EXPECT_FALSE(Click(*tool, 20, 30));
  EXPECT_EQ(tool->Flags & TKrzyz::kPointRefused, 0);
  EXPECT_EQ(tool->Count, 2);
  EXPECT_EQ(tool->PointIndex, 1);
  ExpectBalanced(*tool);
  // And none again: nothing drawn but the marker, points refused.
  tool->SetGenerator(nullptr);
  EXPECT_FALSE(Click(*tool, 40, 30));
  EXPECT_EQ(tool->Count, 2);
  ExpectBalanced(*tool);
  EXPECT_TRUE(reports.empty());
}

TEST_F(GeneratorToolTest, SpacingCarriesOverToTheNextGenerator) {
  struct Case {
    std::int32_t skala;
    double typed;        // on the embankment before the change
    double stairs;       // the stairs' spacing after it
  };
  const Case cases[] = {
      {1000, 2.0, 2.0},
      // 0: the stairs' default for the map scale.
      {1000, 0.0, 0.7},
      {500, 0.0, 0.5},
      {750, 0.0, 0.525},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "1:" << c.skala << ", " << c.typed);
    canvas->Cfg()->Skala = c.skala;
    std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
    Activate(*tool, {0, 0});
    EXPECT_EQ(tool->Ctx.Scale, c.skala);
    EXPECT_EQ(tool->Ctx.Active, 1);
    tool->SetSpacing(c.typed);
    tool->SetGenerator(Library("SCHODY"));
    EXPECT_DOUBLE_EQ(static_cast<TSchodyGenerator*>(tool->Generator())->Spacing, c.stairs);
    // On to a terrace and back to an embankment: still the same.
    tool->SetGenerator(Library("TARAS1"));
    tool->SetGenerator(Library("SKARPA_U"));
    EXPECT_DOUBLE_EQ(tool->GetSpacing(), c.stairs);
    ExpectBalanced(*tool);
    tool->Deactivate();
  }
}

// An embankment of 20000 with the spacing 1 has 20000 hatch lines.
TEST_F(GeneratorToolTest, LineCountQuestionIsAskedOncePerShape) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  auto& g = static_cast<TSkarpaGenerator&>(*tool->Generator());
  Activate(*tool, {0, 0});
  tool->SetSpacing(1);
  Click(*tool, 0, 0);

  responder.AnswerMessageBox(IDYES);
  Move(*tool, 0, 20000);
  ASSERT_EQ(Questions(), 1);
  EXPECT_EQ(responder.Shown()[0].text, kEmbankmentQuestion);
  EXPECT_EQ(g.Count(), 20000);
  // Moves and the click over the same shape: the answer holds.
  Move(*tool, 0, 20001);
  Click(*tool, 0, 20001);
  EXPECT_EQ(Questions(), 1);
  ASSERT_EQ(tool->Count, 3);

  // A point added: a new shape, asked anew; No keeps the previous shape.
  const TAffineMatrix shown = tool->M;
  responder.AnswerMessageBox(IDNO);
  Move(*tool, 5, 20001);
  EXPECT_EQ(Questions(), 2);
  EXPECT_EQ(g.Count(), 20001);
  EXPECT_EQ(tool->M.a, shown.a);
  EXPECT_EQ(tool->M.f, shown.f);
  // Moves after the No do not ask again, and a click on the refused shape
  // is refused without asking.
  Move(*tool, 6, 20001);
  EXPECT_FALSE(ClickOnly(*tool, 6, 20001));
  EXPECT_EQ(Questions(), 2);
  EXPECT_EQ(tool->Count, 3);
  EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0);
  // So is the same point typed in the window.
  OnWindow([](TGeneratorDialog& d) {
    d.Get<TEdit>("EditX").SetText("6");
    d.Get<TEdit>("EditY").SetText("20001");
    d.Get<TBitBtn>("btOK").Click();
  });
  EXPECT_NO_THROW(RightClick(*tool));
  EXPECT_EQ(Questions(), 2);
  EXPECT_EQ(tool->Count, 3);
  EXPECT_EQ(tool->PointIndex, 2);
  EXPECT_TRUE(reports.empty());

  // Another spacing is another shape.
  responder.AnswerMessageBox(IDNO);
  tool->SetSpacing(0.5);
  EXPECT_EQ(Questions(), 3);
  // A point taken back: asked again.
  responder.AnswerMessageBox(IDYES);
  tool->HandleBackspace();
  EXPECT_EQ(Questions(), 4);
  EXPECT_EQ(tool->Count, 2);
  EXPECT_GT(g.Count(), 40000);
  ExpectBalanced(*tool);
}

// An answer belongs to the shape and the generator it was given for: the
// same shape on a generator chosen again is asked about again.
TEST_F(GeneratorToolTest, GeneratorChosenAgainAsksAgain) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  Activate(*tool, {0, 0});
  tool->SetSpacing(1);
  Click(*tool, 0, 0);
  responder.AnswerMessageBox(IDNO);
  Move(*tool, 0, 20000);
  EXPECT_EQ(Questions(), 1);
  // The stairs of the same points have three lines: nothing to ask.
  tool->SetGenerator(Library("SCHODY"));
  EXPECT_EQ(Questions(), 1);
  responder.AnswerMessageBox(IDNO);
  tool->SetGenerator(Library("SKARPA_P"));
  EXPECT_EQ(Questions(), 2);
  EXPECT_EQ(responder.Shown().back().text, kEmbankmentQuestion);
  Move(*tool, 0, 20001);
  EXPECT_EQ(Questions(), 2);
  ExpectBalanced(*tool);
}

// --- The window ---------------------------------------------------------------

TEST_F(GeneratorToolTest, WindowListsTheLibraryAndShowsTheToolsGeneratorAndSpacing) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SCHODY");
  Activate(*tool, {0, 0});
  bool shown = false;
  OnWindow([&](TGeneratorDialog& d) {
    shown = true;
    EXPECT_EQ(d.Caption(), "Generator");
    auto& combo = d.Get<TComboBox>("Generator");
    std::vector<std::string> names;
    for (int i = 0; i < combo.Items().Count(); ++i) names.push_back(combo.Items()[i]);
    EXPECT_EQ(names, (std::vector<std::string>{"SCHODY", "SKARPA_N", "SKARPA_P", "SKARPA_U", "SLUP", "TARAS1",
                                               "TARAS2"}));
    EXPECT_EQ(combo.Items().Objects(2), GeneratorManager().FindByName("SKARPA_P"));
    EXPECT_EQ(combo.Text(), "SCHODY");
    EXPECT_EQ(d.Get<TLabel>("CL").Caption(), "Odstęp:");
    EXPECT_EQ(d.Get<TEdit>("CE").Text(), "0.70");
    EXPECT_EQ(d.Get<TEdit>("CE").MaxLength(), 4);
    EXPECT_TRUE(d.Get<TEdit>("CE").Enabled());
    EXPECT_EQ(d.Get<TBitBtn>("BitBtn1").Caption(), "Zeruj");
    EXPECT_TRUE(d.Get<TBitBtn>("BitBtn1").Enabled());
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  EXPECT_TRUE(shown);

  // A one-point generator has no spacing: the field and "Zeruj" are off.
  tool->SetGenerator(Library("SLUP"));
  OnWindow([&](TGeneratorDialog& d) {
    EXPECT_EQ(d.Get<TComboBox>("Generator").Text(), "SLUP");
    EXPECT_FALSE(d.Get<TEdit>("CE").Enabled());
    EXPECT_FALSE(d.Get<TBitBtn>("BitBtn1").Enabled());
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
}

// Filling the field from the tool does not set the spacing back: 0.525 is
// shown as "0.53" (two decimals) and stays 0.525.
TEST_F(GeneratorToolTest, ShowingTheSpacingLeavesItAlone) {
  canvas->Cfg()->Skala = 750;
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SCHODY");
  Activate(*tool, {0, 0});
  OnWindow([&](TGeneratorDialog& d) {
    EXPECT_EQ(d.Get<TEdit>("CE").Text().substr(0, 3), "0.5");
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  EXPECT_DOUBLE_EQ(tool->GetSpacing(), 0.525);
}

TEST_F(GeneratorToolTest, TypedSpacingAndZerujApplyAtOnce) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  auto& g = static_cast<TSkarpaGenerator&>(*tool->Generator());
  Activate(*tool, {0, 0});
  Click(*tool, 10, 10);
  Move(*tool, 10, 60);
  OnWindow([&](TGeneratorDialog& d) {
    auto& ce = d.Get<TEdit>("CE");
    ce.SetFocus();
    ce.SelectAll();
    // The coordinate fields' keys: a comma is a point, letters are dropped,
    // and four characters at most.
    ce.SendText("2,5x7");
    EXPECT_EQ(ce.Text(), "2.57");
    EXPECT_DOUBLE_EQ(g.Spacing, 2.57);
    EXPECT_DOUBLE_EQ(g.ComputedSpacing, 2.57);  // the shape follows at once
    d.Get<TBitBtn>("BitBtn1").Click();
    EXPECT_EQ(ce.Text(), "0");
    EXPECT_EQ(g.Spacing, 0);
    EXPECT_DOUBLE_EQ(g.ComputedSpacing, 0.5);  // a quarter of the bottom offsets
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  ExpectBalanced(*tool);

  // Completing the shape makes the chosen spacing the one shown next time.
  Click(*tool, 10, 60);
  Click(*tool, 6, 55);
  Click(*tool, 8, 15);
  ASSERT_EQ(reports.size(), 1u);
  OnWindow([&](TGeneratorDialog& d) {
    EXPECT_EQ(d.Get<TEdit>("CE").Text(), "1.50");
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
}

TEST_F(GeneratorToolTest, ChoosingAGeneratorInTheWindowCarriesTheSpacing) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  Activate(*tool, {0, 0});
  tool->SetSpacing(2);
  Click(*tool, 10, 10);
  Move(*tool, 10, 60);
  OnWindow([&](TGeneratorDialog& d) {
    auto& combo = d.Get<TComboBox>("Generator");
    combo.UserSelect(combo.Items().IndexOf("SCHODY"));
    EXPECT_EQ(tool->Generator(), GeneratorManager().FindByName("SCHODY"));
    EXPECT_EQ(d.Get<TEdit>("CE").Text(), "2.00");
    // Zeruj on stairs: their default for 1:1000, shown on the next choice.
    d.Get<TBitBtn>("BitBtn1").Click();
    EXPECT_DOUBLE_EQ(tool->GetSpacing(), 0.7);
    combo.UserSelect(combo.Items().IndexOf("TARAS2"));
    EXPECT_EQ(d.Get<TEdit>("CE").Text(), "0.70");
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  EXPECT_EQ(tool->Generator()->Name, "TARAS2");
  EXPECT_DOUBLE_EQ(tool->GetSpacing(), 0.7);
  EXPECT_EQ(tool->Generator()->Count(), 6);  // the terrace of the two points
  ExpectBalanced(*tool);
}

TEST_F(GeneratorToolTest, NameThatNoGeneratorHasLeavesTheToolWithoutOne) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  Activate(*tool, {0, 0});
  OnWindow([&](TGeneratorDialog& d) {
    auto& combo = d.Get<TComboBox>("Generator");
    combo.SetFocus();
    combo.SetText("");
    combo.SendText("NIEMA");
    EXPECT_EQ(combo.Text(), "NIEMA");
    EXPECT_EQ(tool->Generator(), nullptr);
    EXPECT_FALSE(d.Get<TEdit>("CE").Enabled());
    EXPECT_FALSE(d.Get<TBitBtn>("BitBtn1").Enabled());
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  EXPECT_EQ(tool->Generator(), nullptr);
  // Points are refused until a generator is chosen.
  EXPECT_FALSE(Click(*tool, 20, 30));
  EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0);
  EXPECT_EQ(tool->Count, 1);
  ExpectBalanced(*tool);
  OnWindow([&](TGeneratorDialog& d) {
    auto& combo = d.Get<TComboBox>("Generator");
    combo.UserSelect(combo.Items().IndexOf("SLUP"));
    d.Get<TButton>("SpeedButton2").Click();
  });
  RightClick(*tool);
  EXPECT_TRUE(Click(*tool, 20, 30));
  EXPECT_EQ(reports.size(), 1u);
}

// A responder that notes whether the watched window stood in the top layer
// when each message box came.
class TopLayerWatch : public TScriptedResponder {
public:
  using TScriptedResponder::TScriptedResponder;
  std::optional<TAnswer> Take(TModalKind Kind, const std::string& Caption, const std::string& Text) override {
    if (Kind == TModalKind::MessageBox && Watched != nullptr) TopMostAtBox.push_back(Watched->TopMost());
    return TScriptedResponder::Take(Kind, Caption, Text);
  }
  TForm* Watched = nullptr;
  std::vector<bool> TopMostAtBox;
};

// The window stays on top of everything; the line-count question a change
// in it asks must not lie under it.
TEST_F(GeneratorToolTest, QuestionAskedFromTheWindowIsNotUnderIt) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SCHODY");
  Activate(*tool, {0, 0});
  Click(*tool, 0, 0);
  Move(*tool, 0, 50);
  TopLayerWatch watch([](const std::string& m) { ADD_FAILURE() << m; });
  watch.AnswerForm([&](TForm& Form) {
    watch.Watched = &Form;
    EXPECT_TRUE(Form.TopMost());
    auto& ce = Form.Get<TEdit>("CE");
    ce.SetFocus();
    ce.SelectAll();
    ce.SendText("1e-5");  // 100000 treads over the width 1
    EXPECT_TRUE(Form.TopMost());
    auto& combo = Form.Get<TComboBox>("Generator");
    combo.UserSelect(combo.Items().IndexOf("TARAS1"));
    combo.UserSelect(combo.Items().IndexOf("SCHODY"));
    EXPECT_TRUE(Form.TopMost());
    Form.Get<TButton>("SpeedButton2").Click();
  });
  watch.AnswerMessageBox(IDNO);
  watch.AnswerMessageBox(IDNO);
  RightClick(*tool);
  EXPECT_EQ(watch.TopMostAtBox, (std::vector<bool>{false, false}));
  EXPECT_EQ(watch.Pending(), 0);
}

// Tab goes through the generator's row and then the snapping window's
// controls as they stand on the screen; Enter in the combo box and the
// spacing goes on to the next control; Escape ends the window with abort.
TEST_F(GeneratorToolTest, WindowWorksFromTheKeyboard) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SKARPA_P");
  Activate(*tool, {0, 0});
  Click(*tool, 10, 10);
  std::vector<std::string> order;
  OnWindow([&](TGeneratorDialog& d) {
    d.Get<TComboBox>("Generator").SetFocus();
    for (int i = 0; i < 9; ++i) {
      auto* focused = dynamic_cast<TWinControl*>(d.ActiveControl());
      ASSERT_NE(focused, nullptr);
      focused->SendKey(VK_TAB);
      order.push_back(d.ActiveControl() != nullptr ? d.ActiveControl()->Name() : "");
    }
    d.Get<TComboBox>("Generator").SendKey(VK_RETURN);
    EXPECT_TRUE(d.Get<TEdit>("CE").Focused());
    d.Get<TEdit>("CE").SendKey(VK_RETURN);
    EXPECT_TRUE(d.Get<TBitBtn>("BitBtn1").Focused());
    EXPECT_EQ(d.ModalResult(), mrNone);
    d.Get<TBitBtn>("BitBtn1").SendKey(VK_ESCAPE);
  });
  // The abort takes the last point back.
  RightClick(*tool);
  EXPECT_EQ(order, (std::vector<std::string>{"CE", "BitBtn1", "EditX", "EditY", "btOK", "SpeedButton1",
                                             "SpeedButton2", "SpeedButton3", "Generator"}));
  EXPECT_EQ(tool->Count, 1);
}

// A point typed in the window is a point of the shape like a click.
TEST_F(GeneratorToolTest, TypedPointCompletesAShape) {
  std::unique_ptr<TGeneratorKrzyz> tool = MakeTool("SLUP");
  Activate(*tool, {0, 0});
  OnWindow([&](TGeneratorDialog& d) {
    d.Get<TEdit>("EditX").SetText("12");
    d.Get<TEdit>("EditY").SetText("34");
    d.Get<TBitBtn>("btOK").Click();
  });
  RightClick(*tool);
  ASSERT_EQ(reports.size(), 1u);
  const TRealPoint p = Apply(reports[0].m, 0, 0);
  EXPECT_EQ(p.X, 12);
  EXPECT_EQ(p.Y, 34);
}

}  // namespace
