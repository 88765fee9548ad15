#include "view/texttools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drawing/canvascfg.h"
#include "drawing/font_fixture.h"
#include "drawing/strokefont.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "platform/gui/application.h"
#include "common/scratch_folder.h"
#include "view/tool_fixture.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

namespace {

// Two fonts of cell height 16 with one character 'T' of advance 16: in the
// default font a square outline filling the cell, in the second font (the
// precise display) the two diagonals of the cell; the rule line lies 3
// units below the cell. At size 16 a 'T' is 12 pixels wide, so "TT" at
// justification 7 stays within 34 pixels to the right (world Y) and 18 down
// (world X) of its insertion point.
std::string FontWith(std::vector<TStroke> Parts) {
  FontSpec f;
  f.First = 'T';
  f.Height = 16;
  f.A = 12;
  f.B = 0;
  f.D = -3;  // the rule line and the leader's anchor 3 units below the cell
  f.Glyphs = {{16, std::move(Parts)}};
  return FontBytes(f);
}

const TTextStyleParams kStyle{0.5f, 1.0f, 2.0f, 5.0f};

class TextToolTest : public ToolFixture {
public:
  TextToolTest() {
    folder.Put("litt.ch1", FontWith({{{0, 0}, {16, 0}, {16, 16}, {0, 16}, {0, 0}}}));
    folder.Put("font.ch1", FontWith({{{0, 0}, {16, 16}}, {{16, 0}, {0, 16}}}));
    FontManager().SetFolder(folder.Path());
  }
  ~TextToolTest() override { FontManager().SetFolder(""); }

  // Pixels differing from the background inside the world box X1..X2,
  // Y1..Y2 (inclusive, clipped to the surface).
  int DrawnIn(double X1, double Y1, double X2, double Y2) {
    const TPoint a = dims.WorldToDevicePt(TRealPoint{X2, Y1});
    const TPoint b = dims.WorldToDevicePt(TRealPoint{X1, Y2});
    int n = 0;
    for (int y = std::max(0, a.Y); y <= std::min(99, b.Y); ++y)
      for (int x = std::max(0, a.X); x <= std::min(199, b.X); ++x)
        n += view.PixelAt(x, y) != background[static_cast<std::size_t>(y * 200 + x)];
    return n;
  }
  // The box "TT" covers when inserted at (X, Y) with justification 7,
  // widened by two pixels.
  int DrawnAroundText(double X, double Y) { return DrawnIn(X - 18, Y - 2, X + 2, Y + 34); }

  std::unique_ptr<TWskNapisKrzyz> NewPlacer(const std::string& Text, TKrzyzPointEvent OnPoint = {}) {
    return std::make_unique<TWskNapisKrzyz>(0, std::move(OnPoint), Text, 0, 0, 16.0f, 0, kStyle,
                                            10.0, 150.0);
  }

  ScratchFolder folder;
};

// The points the tool reported, read from the tool at each call.
struct Reports {
  std::vector<TRealPoint> Points;
  TKrzyzPointEvent Event() {
    return [this](TKrzyz* Sender) {
      TRealPoint p;
      Sender->GetPoint(p);
      Points.push_back(p);
      return false;
    };
  }
};

TEST_F(TextToolTest, PreviewFollowsThePointerAndLeavesNothingBehind) {
  Reports reports;
  auto tool = NewPlacer("TT", reports.Event());
  Activate(*tool, TRealPoint{60, 40});
  EXPECT_TRUE(tool->HasPreview());
  EXPECT_GT(DrawnAroundText(60, 40), 60) << "the text's outline at the pointer";
  ExpectBalanced(*tool);

  Move(*tool, 80, 120);
  EXPECT_EQ(DrawnAroundText(60, 40), 0) << "the preview left its old place";
  EXPECT_GT(DrawnAroundText(80, 120), 60);
  ExpectBalanced(*tool);

  EXPECT_FALSE(Click(*tool, 70, 100));
  ASSERT_EQ(reports.Points.size(), 1u);
  EXPECT_EQ(reports.Points[0].X, 70);
  EXPECT_EQ(reports.Points[0].Y, 100);
  EXPECT_EQ(tool->GetResult(), 0);
  ExpectBalanced(*tool);

  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(TextToolTest, EmptyTextDrawsOnlyTheCross) {
  TWskPunktKrzyz plain(0, {});
  Activate(plain, TRealPoint{60, 40});
  const std::vector<std::uint32_t> crossOnly = Pixels();
  plain.Deactivate();

  struct Case {
    const char* Name;
    std::function<void(TWskNapisKrzyz&)> Empty;  // run on the attached tool
    bool FromStart;
  };
  const Case cases[] = {
      {"made empty", [](TWskNapisKrzyz&) {}, true},
      {"emptied while shown", [](TWskNapisKrzyz& t) { t.SetText(""); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto tool = NewPlacer(c.FromStart ? "" : "TT");
    Activate(*tool, TRealPoint{60, 40});
    c.Empty(*tool);
    EXPECT_FALSE(tool->HasPreview());
    EXPECT_EQ(Pixels(), crossOnly);
    ExpectBalanced(*tool);
    tool->Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(TextToolTest, TextSetBeforeAttachIsBuiltThenAndAShownTextIsReplacedCleanly) {
  auto tool = NewPlacer("");
  tool->SetText("T");
  EXPECT_FALSE(tool->HasPreview()) << "nothing to build with before the tool is attached";
  Activate(*tool, TRealPoint{60, 40});
  EXPECT_TRUE(tool->HasPreview());
  const int one = DrawnAroundText(60, 40);
  tool->SetText("TT");
  EXPECT_GT(DrawnAroundText(60, 40), one);
  ExpectBalanced(*tool);
  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(TextToolTest, ChangesWhileShownRedrawTheText) {
  struct Case {
    const char* Name;
    std::function<void(TWskNapisKrzyz&)> Change;
    std::function<void(TextToolTest&)> Check;  // on the screen afterwards
  };
  const Case cases[] = {
      {"justification 3 puts the text left of and above the point",
       [](TWskNapisKrzyz& t) { t.SetJustification(3); },
       [](TextToolTest& f) {
         EXPECT_EQ(f.DrawnIn(45, 44, 56, 70), 0);
         EXPECT_GT(f.DrawnIn(59, 8, 78, 40), 60);
       }},
      {"a leader line to the target",
       [](TWskNapisKrzyz& t) { t.SetLeader(true); },
       [](TextToolTest& f) { EXPECT_GT(f.DrawnIn(22, 92, 32, 102), 0); }},
      {"a rule line under the text",
       [](TWskNapisKrzyz& t) { t.ChangeWithRedraw(1); },
       [](TextToolTest& f) { EXPECT_GT(f.DrawnIn(40, 44, 42, 60), 5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    canvas->Justification = 7;  // taken by the tool, whose own is 0
    auto tool = NewPlacer("TT");
    Activate(*tool, TRealPoint{60, 40});
    const std::vector<std::uint32_t> before = Pixels();
    c.Change(*tool);
    EXPECT_NE(Pixels(), before);
    c.Check(*this);
    ExpectBalanced(*tool);
    tool->Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(TextToolTest, LeaderAndValuesSetBeforeAttachAreKept) {
  auto tool = NewPlacer("TT");
  tool->SetLeader(true);
  tool->SetJustification(0);
  EXPECT_TRUE(tool->GetLeader());
  tool->SetLeader(false);
  EXPECT_FALSE(tool->GetLeader());
  EXPECT_EQ(Drawn(), 0) << "a detached tool draws nothing";
}

TEST_F(TextToolTest, AttachPreparesTheCanvas) {
  canvas->SetDrawOption(doSizeLocked, true);
  canvas->SetDrawOption(doJustificationLocked, true);
  canvas->Justification = 4;
  canvas->FontNumber = 9;
  canvas->Size = 3;
  canvas->Flags = dfUnderline;

  TWskNapisKrzyz tool(0, {}, "TT", 0, 1, 16.0f, 2, kStyle, 0, 0);
  const TTextStyleParams other{1.0f, 1.5f, 2.5f, 3.0f};
  tool.ApplyWithRedraw(other);
  Activate(tool, TRealPoint{60, 40});
  EXPECT_FALSE(canvas->GetDrawOption(doSizeLocked)) << "the options are reset";
  EXPECT_FALSE(canvas->GetDrawOption(doJustificationLocked));
  EXPECT_TRUE(canvas->GetDrawOption(doUpright));
  EXPECT_EQ(tool.Justification(), 4) << "0 takes the canvas's";
  EXPECT_EQ(canvas->ScaleAnchors, other);
  EXPECT_EQ(canvas->Flags & dfUnderline, 0) << "the tool's rule flag";
  EXPECT_NE(canvas->Flags & dfItalic, 0);
  EXPECT_EQ(canvas->FontNumber, 2);
  EXPECT_EQ(canvas->Size, 16.0);
  tool.Deactivate();

  TWskNapisKrzyz given(0, {}, "TT", 1, 0, 16.0f, 0, kStyle, 0, 0);
  given.SetJustification(9);
  Activate(given, TRealPoint{60, 40});
  EXPECT_EQ(canvas->Justification, 9) << "a justification of its own goes to the canvas";
  EXPECT_NE(canvas->Flags & dfUnderline, 0);
  EXPECT_EQ(canvas->Flags & dfItalic, 0);
  EXPECT_EQ(canvas->ScaleAnchors, kStyle);
}

TEST_F(TextToolTest, DisplaySettingsChangeRedrawsThePreview) {
  TNullCanvasCfg& cfg = *canvas->Cfg();
  const int before = cfg.SubscriptionCount();
  auto tool = NewPlacer("TT");
  Activate(*tool, TRealPoint{60, 40});
  EXPECT_EQ(cfg.SubscriptionCount(), before + 1);
  const std::vector<std::uint32_t> square = Pixels();

  cfg.NotifyChanging();
  cfg.Kroj = 2;  // the precise display: the second font
  cfg.NotifyChanged();
  EXPECT_NE(Pixels(), square);
  EXPECT_GT(DrawnIn(55, 43, 57, 45), 0) << "a diagonal of the first character";
  ExpectBalanced(*tool);

  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
  EXPECT_EQ(cfg.SubscriptionCount(), before) << "detached, the tool no longer listens";
  cfg.Kroj = 1;

  // A tool freed while attached unsubscribes too.
  Activate(*tool, TRealPoint{60, 40});
  tool.reset();
  EXPECT_EQ(cfg.SubscriptionCount(), before);
  cfg.NotifyChanging();
  cfg.NotifyChanged();
}

// A view's canvas draws with its own copy of the global display settings.
// The preview follows that copy: a change of the global settings reaches it
// only after the copy took it over, however many views subscribed before.
TEST_F(TextToolTest, GlobalSettingsChangeIsSeenThroughTheViewsCopy) {
  TKonfiguracja global;
  TLokalnaKonfiguracja firstView(global);
  firstView.GetGroup(std::make_unique<TCanvasCfg>());
  TLokalnaKonfiguracja secondView(global);
  TXORCanvas secondCanvas(&window->Canvas(), secondView, &dims);
  auto tool = NewPlacer("TT");
  view.Pointer = TRealPoint{60, 40};
  tool->Activate(&view, &secondCanvas, view.Pointer);
  ASSERT_EQ(DrawnIn(55, 43, 57, 45), 0) << "no diagonal in the square";

  TCanvasCfg& cfg = *global.FindGroup<TCanvasCfg>();
  cfg.NotifyChanging();
  cfg.Kroj = 2;
  cfg.NotifyChanged();
  EXPECT_GT(DrawnIn(55, 43, 57, 45), 0) << "the preview is built in the second font";
  ExpectBalanced(*tool);
  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

// Fonts are read again when their folder changes; one that cannot be read
// when a settings change rebuilds the preview is shown as the tool's error.
TEST_F(TextToolTest, FontMissingAfterASettingsChangeIsShownAndLeavesTheCross) {
  TWskPunktKrzyz plain(0, {});
  Activate(plain, TRealPoint{60, 40});
  const std::vector<std::uint32_t> crossOnly = Pixels();
  plain.Deactivate();

  auto tool = NewPlacer("TT");
  Activate(*tool, TRealPoint{60, 40});
  ScratchFolder empty;
  FontManager().SetFolder(empty.Path());
  TNullCanvasCfg& cfg = *canvas->Cfg();
  cfg.NotifyChanging();
  cfg.Kroj = 2;
  EXPECT_NO_THROW(cfg.NotifyChanged());
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0].rfind(kKrzyzErrorPrefix, 0), 0u) << Errors[0];
  EXPECT_NE(Errors[0].find("Brak pliku z fontem"), std::string::npos) << Errors[0];
  EXPECT_FALSE(tool->HasPreview());
  EXPECT_EQ(Pixels(), crossOnly);
  ExpectBalanced(*tool);
  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
  cfg.Kroj = 1;
}

TEST_F(TextToolTest, CloneIsRefused) {
  auto placer = NewPlacer("TT");
  TMoveNapisKrzyz mover(0, {}, {}, 16.0f, 0, kStyle);
  for (TKrzyz* tool : {static_cast<TKrzyz*>(placer.get()), static_cast<TKrzyz*>(&mover)}) {
    try {
      tool->Clone();
      ADD_FAILURE() << "no exception";
    } catch (const ENotImplemented& e) {
      EXPECT_NE(std::string(e.what()).find("TWskNapisKrzyzImpl.Clone"), std::string::npos);
    }
  }
}

// The moving tool with a search that finds Found within 5 of At, and counts
// its calls.
class MoveTextTest : public TextToolTest {
public:
  std::unique_ptr<TMoveNapisKrzyz> NewMover() {
    auto tool = std::make_unique<TMoveNapisKrzyz>(
        0, reports.Event(),
        [this](TMoveNapisKrzyz* Sender, const TRealPoint& P, const TRealPoint& Sight,
               TGetNapisRes& Result) {
          ++searches;
          EXPECT_TRUE(Result.Text.empty());
          sight = Sight;
          if (std::abs(P.X - At.X) <= 5 && std::abs(P.Y - At.Y) <= 5) Result = Found;
        },
        16.0f, 0, kStyle);
    tool->SetHint("Wskaż napis|Wskaż nowe położenie");
    return tool;
  }

  TRealPoint At{60, 40};
  TGetNapisRes Found{"TT", 60, 40, 10, 150, 0, 0, TMoveNapisKrzyz::kMoveText, true, 7};
  Reports reports;
  int searches = 0;
  TRealPoint sight;
};

TEST_F(MoveTextTest, PickingMissesKeepPickingAndAHitHoldsTheText) {
  auto tool = NewMover();
  Activate(*tool, TRealPoint{20, 150});
  EXPECT_EQ(tool->Stage, TMoveNapisKrzyz::kPicking);
  EXPECT_EQ(view.Cursor(), platform::crNone);
  EXPECT_EQ(view.Hint(), "Wskaż napis");
  EXPECT_GT(DrawnIn(13, 143, 27, 157), 0) << "the sight box";

  EXPECT_FALSE(Click(*tool, 20, 150));
  EXPECT_EQ(searches, 1);
  EXPECT_EQ(sight.X, 5);
  EXPECT_EQ(sight.Y, 5);
  EXPECT_EQ(tool->Stage, TMoveNapisKrzyz::kPicking);
  EXPECT_EQ(tool->GetResult(), 0);
  EXPECT_TRUE(reports.Points.empty());
  ExpectBalanced(*tool);

  EXPECT_FALSE(Click(*tool, 62, 42));
  EXPECT_EQ(tool->Stage, TMoveNapisKrzyz::kPlacing);
  EXPECT_EQ(tool->GetResult(), 1);
  EXPECT_EQ(tool->Text(), "TT");
  EXPECT_TRUE(tool->GetLeader());
  EXPECT_EQ(tool->Justification(), 7);
  EXPECT_EQ(tool->X, 60);
  EXPECT_EQ(tool->Y, 40);
  EXPECT_TRUE(reports.Points.empty()) << "picking reports nothing";
  EXPECT_EQ(view.Cursor(), platform::crCross);
  EXPECT_EQ(view.Hint(), "Wskaż nowe położenie");
  EXPECT_GT(DrawnAroundText(60, 40), 60) << "the held text";
  EXPECT_GT(DrawnIn(8, 146, 12, 154), 0) << "the cross on the target";
  ExpectBalanced(*tool);
}

TEST_F(MoveTextTest, HeldTextOrLeaderEndFollowsAndTheClickReportsIt) {
  struct Case {
    const char* Name;
    std::uint8_t Mode;
  };
  for (const Case& c : {Case{"the text moves", TMoveNapisKrzyz::kMoveText},
                        Case{"the leader's end moves", TMoveNapisKrzyz::kMoveTarget}}) {
    SCOPED_TRACE(c.Name);
    reports.Points.clear();
    Found.Mode = c.Mode;
    auto tool = NewMover();
    Activate(*tool, TRealPoint{60, 40});
    ASSERT_FALSE(Click(*tool, 60, 40));
    ASSERT_EQ(tool->Stage, TMoveNapisKrzyz::kPlacing);

    Move(*tool, 85, 120);
    if (c.Mode == TMoveNapisKrzyz::kMoveText) {
      EXPECT_EQ(DrawnAroundText(60, 40), 0) << "the text left its old place";
      EXPECT_GT(DrawnAroundText(85, 120), 60);
      EXPECT_EQ(tool->TargetX, 10);
      EXPECT_GT(DrawnIn(8, 146, 12, 154), 0) << "the cross stays on the target";
    } else {
      EXPECT_GT(DrawnAroundText(60, 40), 60) << "the text stays";
      EXPECT_EQ(tool->X, 60);
      EXPECT_EQ(tool->TargetX, 85);
      EXPECT_EQ(tool->TargetY, 120);
      EXPECT_GT(DrawnIn(57, 37, 63, 43), 0) << "the cross stays on the text";
    }
    ExpectBalanced(*tool);

    EXPECT_FALSE(Click(*tool, 88, 125));
    ASSERT_EQ(reports.Points.size(), 1u);
    if (c.Mode == TMoveNapisKrzyz::kMoveText) {
      EXPECT_EQ(tool->X, 88);
      EXPECT_EQ(tool->Y, 125);
    } else {
      EXPECT_EQ(tool->TargetX, 88);
      EXPECT_EQ(tool->TargetY, 125);
      EXPECT_EQ(tool->X, 60);
    }
    EXPECT_EQ(tool->Text(), "TT") << "the owner reads the text in its callback";
    EXPECT_EQ(tool->Stage, TMoveNapisKrzyz::kPicking);
    EXPECT_EQ(view.Cursor(), platform::crNone);
    ExpectBalanced(*tool);
    tool->Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(MoveTextTest, BackspaceWhilePlacingReturnsToPickingWithoutReporting) {
  struct Case {
    const char* Name;
    std::uint8_t Mode;
    TRealPoint SightAfter;  // where picking goes on: under the pointer in both modes
  };
  for (const Case& c : {Case{"text", TMoveNapisKrzyz::kMoveText, TRealPoint{70, 90}},
                        Case{"leader end", TMoveNapisKrzyz::kMoveTarget, TRealPoint{70, 90}}}) {
    SCOPED_TRACE(c.Name);
    Found.Mode = c.Mode;
    reports.Points.clear();
    auto tool = NewMover();
    bool finished = false;
    tool->OnFinish = [&](TKrzyz*, std::int32_t) { finished = true; };
    Activate(*tool, TRealPoint{60, 40});
    ASSERT_FALSE(Click(*tool, 60, 40));
    Move(*tool, 70, 90);

    EXPECT_FALSE(tool->HandleBackspace());
    EXPECT_FALSE(finished);
    EXPECT_EQ(tool->Stage, TMoveNapisKrzyz::kPicking);
    EXPECT_TRUE(tool->Text().empty());
    EXPECT_FALSE(tool->HasPreview());
    EXPECT_EQ(tool->X, c.SightAfter.X);
    EXPECT_EQ(tool->Y, c.SightAfter.Y);
    EXPECT_TRUE(reports.Points.empty());
    EXPECT_EQ(view.Cursor(), platform::crNone);
    EXPECT_EQ(DrawnAroundText(60, 40), 0);
    EXPECT_GT(DrawnIn(63, 83, 77, 97), 0) << "the sight box under the pointer";
    ExpectBalanced(*tool);

    // While picking, Backspace ends the tool.
    EXPECT_TRUE(tool->HandleBackspace());
    EXPECT_TRUE(finished);
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(MoveTextTest, SearchErrorIsShownAndPickingGoesOn) {
  auto tool = std::make_unique<TMoveNapisKrzyz>(
      0, reports.Event(),
      [](TMoveNapisKrzyz*, const TRealPoint&, const TRealPoint&, TGetNapisRes&) {
        throw Exception("Błąd odczytu warstwy");
      },
      16.0f, 0, kStyle);
  Activate(*tool, TRealPoint{60, 40});
  Click(*tool, 60, 40);
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_EQ(Errors[0], std::string(kKrzyzErrorPrefix) + "Błąd odczytu warstwy");
  EXPECT_EQ(tool->Stage, TMoveNapisKrzyz::kPicking);
  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(MoveTextTest, DisplaySettingsChangeWhilePlacingRedrawsTheHeldText) {
  auto tool = NewMover();
  Activate(*tool, TRealPoint{60, 40});
  ASSERT_FALSE(Click(*tool, 60, 40));
  const std::vector<std::uint32_t> square = Pixels();
  TNullCanvasCfg& cfg = *canvas->Cfg();
  cfg.NotifyChanging();
  cfg.Kroj = 2;
  cfg.NotifyChanged();
  EXPECT_NE(Pixels(), square);
  ExpectBalanced(*tool);
  tool->Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

// On a map view, picking a text to move puts the pointer on it, so that the
// text does not jump to where the sight was; picking a leader's end leaves
// the pointer alone.
TEST_F(MoveTextTest, PickedTextTakesThePointerOnAMapView) {
  ScratchFolder settings;
  struct GlobalSettings {
    explicit GlobalSettings(const std::string& Ini) {
      SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(Ini));
    }
    ~GlobalSettings() { FreeGlobalnaKonfiguracja(); }
  } global(settings.Path() + "/tolvika.ini");
  TvViewCfgCreate();
  for (const std::uint8_t mode : {TMoveNapisKrzyz::kMoveText, TMoveNapisKrzyz::kMoveTarget}) {
    SCOPED_TRACE(static_cast<int>(mode));
    auto mapView = std::make_unique<TTvView>();
    Found.Mode = mode;
    auto tool = NewMover();
    tool->Activate(mapView.get(), canvas.get(), TRealPoint{62, 42});
    ASSERT_FALSE(tool->HandleClick(TRealPoint{62, 42}));
    ASSERT_EQ(tool->Stage, TMoveNapisKrzyz::kPlacing);
    if (mode == TMoveNapisKrzyz::kMoveText) {
      ASSERT_NE(mapView->State & TTvView::kStoredPoint, 0);
      TRealPoint p;
      mapView->GetPointerPos(p);
      EXPECT_EQ(p.X, 60);
      EXPECT_EQ(p.Y, 40);
    } else {
      EXPECT_EQ(mapView->State & TTvView::kStoredPoint, 0);
    }
    tool.reset();
    mapView.reset();
  }
}

}  // namespace
