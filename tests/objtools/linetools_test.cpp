// The line, circle, special-line, loop and three-point-arc tools on a map
// view: the fixed length of a line, the three circle modes, lines of no
// length and circles of no radius refused, the loop closed by its keys and
// by two distances, undo and redo of the view moving the loop's last point,
// the nested arc refusing a collinear point, and lines parallel to the base
// line.
#include "objtools/linetools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "layers/tree/undo.h"
#include "objects/styledcanvas.h"
#include "objects/styledlines.h"
#include "platform/gui/controls.h"
#include "view/baseline.h"
#include "view/latch_fixture.h"

namespace {

struct Seg {
  double x1, y1, x2, y2;
  friend bool operator==(const Seg&, const Seg&) = default;
};

std::ostream& operator<<(std::ostream& Out, const Seg& S) {
  return Out << "(" << S.x1 << ", " << S.y1 << ")-(" << S.x2 << ", " << S.y2 << ")";
}

// Ends rounded to 1e-9, so that computed corners compare as written.
Seg Rounded(const TPointRec& A, const TPointRec& B) {
  const auto r = [](double V) { return std::round(V * 1e9) / 1e9 + 0.0; };
  return Seg{r(A.X), r(A.Y), r(B.X), r(B.Y)};
}

// The small map of the snapping tests (latch_fixture.h), moved so that the
// view shows world X -50..50 and Y -100..100 (one unit a pixel; world (0, 0)
// at device (100, 50)), far from the map's two lines. The tools are
// installed as the view's tool and report to a command that does what the
// view's new-object commands do: the template goes into the sublayer with
// the undo operation "Dodanie", the tool gets a new template of the same
// class.
class LineToolTest : public LatchMapTest {
protected:
  void SetUp() override {
    LatchMapTest::SetUp();
    TWindowDim& d = *view->Dims();
    d.X1 = -50;
    d.Y1 = -100;
    d.X2 = 50;
    d.Y2 = 100;
    d.SetDeviceSize(200, 100);
    KrzyzConf().Decimals = 2;
    KrzyzConf().FullAngle = 360.0;
    SetKrzyzStatusProc([this](const std::string& Text) { status = Text; });
  }

  void TearDown() override {
    // The template the tool still holds is nobody's.
    if (auto* tool = dynamic_cast<TNewGraphObjKrzyz*>(view->Krzyz())) tool->ClearTemplate();
    SetKrzyzStatusProc({});
    LatchMapTest::TearDown();
  }

  // The command's answer to a completed object: Fresh makes the next
  // template.
  bool Store(TKrzyz* Sender, const std::function<TEGraphObj*()>& Fresh) {
    auto* tool = dynamic_cast<TNewGraphObjKrzyz*>(Sender);
    TEGraphObj* obj = tool->Template();
    sub->AddObject(obj);
    view->GetUndoManager()->Add(std::make_unique<TUndoOperation>(kUndoAdd, nullptr, obj, sub, "Dodanie"));
    stored.push_back(obj);
    tool->SetTemplate(Fresh());
    return false;
  }

  // A tool of class T with templates of class O, installed in place of the
  // previous one.
  template <class T, class O>
  T& Make(O* First = nullptr) {
    if (auto* old = dynamic_cast<TNewGraphObjKrzyz*>(view->Krzyz())) old->ClearTemplate();
    auto fresh = [] { return static_cast<TEGraphObj*>(new O()); };
    return Install(std::make_unique<T>(0, First != nullptr ? First : fresh(), sub,
                                       [this, fresh](TKrzyz* Sender) { return Store(Sender, fresh); }));
  }
  TEditNewSpecialLiniaLoop& Loop() { return Make<TEditNewSpecialLiniaLoop, TLiniaSpecjalna>(); }

  // The screen without Tool's figures, for ExpectBalancedView.
  void CaptureBackground(TKrzyz& Tool) {
    const std::uint8_t shown = Tool.Flags & (TKrzyz::kCursorShown | TKrzyz::kMarkerShown);
    Tool.HideAll();
    background = Pixels();
    if ((shown & TKrzyz::kMarkerShown) != 0) Tool.ShowMarker();
    if ((shown & TKrzyz::kCursorShown) != 0) Tool.ShowCursor();
  }
  // The screen holds exactly the figures the tool says are shown.
  void ExpectBalancedView(TKrzyz& Tool) {
    const std::uint8_t shown = Tool.Flags & (TKrzyz::kCursorShown | TKrzyz::kMarkerShown);
    Tool.HideAll();
    EXPECT_EQ(Pixels(), background) << "figures left on the screen";
    if ((shown & TKrzyz::kMarkerShown) != 0) Tool.ShowMarker();
    if ((shown & TKrzyz::kCursorShown) != 0) Tool.ShowCursor();
  }
  std::vector<std::uint32_t> Pixels() {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) p.push_back(view->PixelAt(x, y));
    return p;
  }

  void ClickAll(TKrzyz& Tool, const std::vector<TRealPoint>& Points) {
    for (const TRealPoint& p : Points) Click(Tool, p.X, p.Y);
  }

  // The stored lines and arcs as segments from start to end.
  std::vector<Seg> Segments() const {
    std::vector<Seg> s;
    for (const TEGraphObj* obj : stored) s.push_back(Rounded(obj->GetStartPoint3(), obj->GetEndPoint3()));
    return s;
  }

  std::uint32_t Pixel(double X, double Y) {
    const TPoint p = view->Dims()->WorldToDevicePt(TRealPoint{X, Y});
    return view->PixelAt(p.X, p.Y);
  }

  std::vector<TEGraphObj*> stored;  // the sublayer's
  std::string status;
  std::vector<std::uint32_t> background;
};

// --- Lines and circles -------------------------------------------------------

TEST_F(LineToolTest, AFixedLengthLinePointsAtTheCursor) {
  struct Case {
    TRealPoint cursor;
    Seg line;               // the rubber line, then the stored line
    std::string statusStart;
  };
  const Case cases[] = {
      {{3, 4}, {0, 0, 6, 8}, " 5.00  "},
      // On the start itself there is no direction: the end stays there.
      {{0, 0}, {0, 0, 0, 0}, " 0.00  "},
  };
  for (const Case& c : cases) {
    stored.clear();
    auto& tool = Make<TEditNewLinia, TLiniaSpecjalna>();
    tool.SetFixedLength(10);
    Click(tool, 0, 0);
    tool.HandleMove(c.cursor);
    const std::string what = "cursor " + std::to_string(c.cursor.X) + ", " + std::to_string(c.cursor.Y);
    auto* line = dynamic_cast<TLinia*>(tool.Template());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(Rounded(line->P1, line->P2), c.line) << what;
    EXPECT_EQ(status.rfind(c.statusStart, 0), 0u) << what << ": " << status;
    tool.HandleClick(c.cursor);
    ASSERT_EQ(stored.size(), 1u) << what;
    EXPECT_EQ(Segments()[0], c.line) << what;
  }
}

TEST_F(LineToolTest, ChangingTheFixedLengthRedrawsTheRubberLine) {
  auto& tool = Make<TEditNewLinia, TLiniaSpecjalna>();
  ILineToolParams& params = tool;
  Click(tool, 0, 0);
  tool.HandleMove(TRealPoint{3, 4});
  auto* line = dynamic_cast<TLinia*>(tool.Template());
  EXPECT_EQ(Rounded(line->P1, line->P2), (Seg{0, 0, 3, 4}));
  params.SetFixedLength(20);
  EXPECT_EQ(params.FixedLength(), 20);
  EXPECT_EQ(Rounded(line->P1, line->P2), (Seg{0, 0, 12, 16}));
  EXPECT_NE(tool.Flags & TKrzyz::kCursorShown, 0) << "shown again";
  params.SetFixedLength(0);
  EXPECT_EQ(Rounded(line->P1, line->P2), (Seg{0, 0, 3, 4}));
}

TEST_F(LineToolTest, CircleModes) {
  struct Case {
    int mode;
    std::vector<TRealPoint> clicks;
    double cx, cy, r;
  };
  const Case cases[] = {
      {0, {{0, 0}, {3, 4}}, 0, 0, 5},
      {1, {{0, 0}, {6, 8}}, 3, 4, 5},
      {2, {{0, 0}, {0, 10}, {5, 5}}, 0, 5, 5},
      // Collinear third point with the cursor on no other point since the
      // second click: the diameter circle of the first two.
      {2, {{0, 0}, {0, 10}, {0, 20}}, 0, 5, 5},
  };
  for (const Case& c : cases) {
    stored.clear();
    auto& tool = Make<TEditNewOkrag, TOkragSpecjalny>();
    ILineToolParams& params = tool;
    params.SetCircleMode(c.mode);
    EXPECT_EQ(params.CircleMode(), c.mode);
    EXPECT_EQ(tool.CompleteCount, c.mode == 2 ? 3 : 2);
    const std::string what = "mode " + std::to_string(c.mode) + ", " + std::to_string(c.clicks.size()) + " clicks";
    for (std::size_t i = 0; i + 1 < c.clicks.size(); ++i) Click(tool, c.clicks[i].X, c.clicks[i].Y);
    tool.HandleMove(c.clicks.back());
    if (c.mode == 0) {
      EXPECT_EQ(status.rfind(" r= 5.00  ", 0), 0u) << status;
    }
    tool.HandleClick(c.clicks.back());
    ASSERT_EQ(stored.size(), 1u) << what;
    auto* circle = dynamic_cast<TOkragSpecjalny*>(stored[0]);
    ASSERT_NE(circle, nullptr) << what;
    EXPECT_NEAR(circle->Centre.X, c.cx, 1e-9) << what;
    EXPECT_NEAR(circle->Centre.Y, c.cy, 1e-9) << what;
    EXPECT_NEAR(circle->Radius, c.r, 1e-9) << what;
  }
}

TEST_F(LineToolTest, ACollinearThirdPointStoresTheCircleTheLastUpdateLeft) {
  auto& tool = Make<TEditNewOkrag, TOkragSpecjalny>();
  tool.SetMode(2);
  Click(tool, 0, 0);
  Click(tool, 0, 10);
  tool.HandleMove(TRealPoint{3, 9});
  auto* shown = dynamic_cast<TOkragSpecjalny*>(tool.Template());
  const TPointRec centre = shown->Centre;
  const double radius = shown->Radius;
  EXPECT_NEAR(std::hypot(centre.X - 3, centre.Y - 9), radius, 1e-9) << "through the cursor";
  Click(tool, 0, 20);
  ASSERT_EQ(stored.size(), 1u);
  auto* circle = dynamic_cast<TOkragSpecjalny*>(stored[0]);
  EXPECT_EQ(circle->Centre, centre);
  EXPECT_EQ(circle->Radius, radius);
}

TEST_F(LineToolTest, ObjectsOfNoSizeAreRefused) {
  for (int kind = 0; kind < 3; ++kind) {
    stored.clear();
    TNewGraphObjKrzyz* tool = nullptr;
    if (kind == 0) tool = &Make<TEditNewSpecialLinia, TLiniaSpecjalna>();
    if (kind == 1) tool = &Make<TEditNewOkrag, TOkragSpecjalny>();
    if (kind == 2) {
      auto& circle = Make<TEditNewOkrag, TOkragSpecjalny>();
      circle.SetMode(1);
      tool = &circle;
    }
    const std::string what = kind == 0 ? "line" : "circle mode " + std::to_string(kind - 1);
    Click(*tool, 10, 10);
    EXPECT_FALSE(Click(*tool, 10, 10)) << what;
    EXPECT_TRUE(stored.empty()) << what;
    EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0) << what;
    // The next point completes it.
    Click(*tool, 10, 20);
    EXPECT_EQ(stored.size(), 1u) << what;
  }
}

TEST_F(LineToolTest, TheWindowsChangeTheTemplatesStyleOnTheScreen) {
  sub->WidthMode = 2;
  auto& tool = Make<TEditNewSpecialLinia, TLiniaSpecjalna>();
  ILineToolParams& params = tool;
  EXPECT_EQ(params.SublayerLineDef(), sub->LineStyle);
  EXPECT_TRUE(params.SublayerThick());
  CaptureBackground(tool);
  Click(tool, 0, 0);
  tool.HandleMove(TRealPoint{20, 30});
  auto* line = dynamic_cast<TLiniaSpecjalna*>(tool.Template());
  ASSERT_EQ(params.TemplateStyle(), &line->Style);
  params.ChangeStyle([](TSpecStyle& Style) { Style.Thickness = 2; });
  EXPECT_EQ(line->Style.Thickness, 2);
  EXPECT_NE(tool.Flags & TKrzyz::kCursorShown, 0);
  ExpectBalancedView(tool);
  // The circle tool's template has a style too; a plain line has none.
  auto& circle = Make<TEditNewOkrag, TOkragSpecjalny>();
  EXPECT_NE(static_cast<ILineToolParams&>(circle).TemplateStyle(), nullptr);
  auto& plain = Make<TEditNewLinia, TLinia>();
  EXPECT_EQ(static_cast<ILineToolParams&>(plain).TemplateStyle(), nullptr);
  static_cast<ILineToolParams&>(plain).ChangeStyle([](TSpecStyle&) { ADD_FAILURE() << "no style to change"; });
}

// --- Loops ---------------------------------------------------------------------

TEST_F(LineToolTest, LoopsClosedByTheirKeys) {
  struct Case {
    std::int32_t key;
    std::vector<Seg> closing;
  };
  const Case cases[] = {
      {platform::VK_F7, {{10, 10, 0, 0}}},
      // The first segment runs north: the corner is the foot of (10, 10) on
      // the line through (0, 0) across it.
      {platform::VK_F7 | kKeyShift, {{10, 10, 0, 10}, {0, 10, 0, 0}}},
  };
  for (const Case& c : cases) {
    stored.clear();
    auto& tool = Loop();
    const std::string what = c.key == platform::VK_F7 ? "F7" : "Shift+F7";
    ClickAll(tool, {{0, 0}, {10, 0}});
    // One segment is no loop yet.
    EXPECT_EQ(tool.HandleKey(c.key), kKeyHandled) << what;
    EXPECT_EQ(stored.size(), 1u) << what;
    Click(tool, 10, 10);
    tool.HandleMove(TRealPoint{20, 0});
    EXPECT_EQ(tool.Points, 3) << what;
    // The angle at the last point and the last segment's length in front.
    EXPECT_EQ(status.rfind(" (10.00) <45.00  ", 0), 0u) << what << ": " << status;
    // The dot where the loop closes is part of the cursor figure.
    const std::uint32_t shown = Pixel(0, 0);
    tool.HideAll();
    EXPECT_NE(Pixel(0, 0), shown) << what;
    tool.ShowAll();
    EXPECT_EQ(Pixel(0, 0), shown) << what;

    EXPECT_EQ(tool.HandleKey(c.key), kKeyHandledEnd) << what;
    std::vector<Seg> expected{{0, 0, 10, 0}, {10, 0, 10, 10}};
    expected.insert(expected.end(), c.closing.begin(), c.closing.end());
    EXPECT_EQ(Segments(), expected) << what;
  }
}

TEST_F(LineToolTest, ARefusedPointIsNoPointOfTheLoop) {
  auto& tool = Loop();
  ClickAll(tool, {{0, 0}, {0, 0}, {10, 0}});
  EXPECT_EQ(tool.Points, 2);
  EXPECT_EQ(tool.HandleKey(platform::VK_F7), kKeyHandled) << "one segment: nothing to close";
  EXPECT_EQ(Segments(), (std::vector<Seg>{{0, 0, 10, 0}}));
}

TEST_F(LineToolTest, ClosingByDistancesTurnsAwayFromThePointBeforeTheLast) {
  struct Case {
    TRealPoint before;  // the point entered before the last one
    double cornerY;
  };
  const Case cases[] = {{{5, 5}, -4.8}, {{5, -5}, 4.8}};
  for (const Case& c : cases) {
    stored.clear();
    auto& tool = Loop();
    ClickAll(tool, {{0, 0}, c.before, {10, 0}});
    EXPECT_EQ(tool.CheckCloseDistances(6, 8), "");
    Answer(kExtraCloseDistances, Values(kEntryExtra, 6, 8, 1.5));
    TRealPoint p = tool.PointerPos();
    EXPECT_EQ(tool.HandleRightClick(p, TPoint{10, 10}), kRightEnd);
    const std::vector<Seg> s = Segments();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[2], (Seg{10, 0, 3.6, c.cornerY}));
    EXPECT_EQ(s[3], (Seg{3.6, c.cornerY, 0, 0}));
    EXPECT_EQ(stored[2]->GetEndPoint3().Z, 1.5f) << "the window's height";
  }
}

TEST_F(LineToolTest, TheCheckOfTheClosingDistances) {
  auto& tool = Loop();
  ClickAll(tool, {{0, 0}, {5, 5}, {10, 0}});
  struct Case {
    double c1, c2;
    std::string message;
  };
  const Case cases[] = {
      {3, 4, "C1 + C2 ma być większe od 10.00"},
      {6, 8, ""},
      {4, 6, ""},  // just meeting: the corner on the line
      {1, 20, "|C1 - C2| ma być mniejsze od 10.00"},
      {-6, 20, "|C1 - C2| ma być mniejsze od 10.00"},
      {std::numeric_limits<double>::quiet_NaN(), 8, "C1 + C2 ma być większe od 10.00"},
  };
  for (const Case& c : cases) EXPECT_EQ(tool.CheckCloseDistances(c.c1, c.c2), c.message) << c.c1 << ", " << c.c2;
}

TEST_F(LineToolTest, ClosingByDistancesWithTheLastPointOnTheFirstIsRefused) {
  auto& tool = Loop();
  ClickAll(tool, {{0, 0}, {10, 0}, {0, 0}});
  ASSERT_EQ(tool.Points, 3);
  EXPECT_EQ(tool.CheckCloseDistances(6, 8), "C1 + C2 ma być większe od 0.00");
  EXPECT_EQ(tool.CheckCloseDistances(6, 6), "C1 + C2 ma być większe od 0.00");
  // Equal distances would otherwise pass every test of their sizes.
  Answer(kExtraCloseDistances, Values(kEntryExtra, 6, 6));
  TRealPoint p = tool.PointerPos();
  EXPECT_EQ(tool.HandleRightClick(p, TPoint{10, 10}), kRightNothing);
  EXPECT_EQ(Segments(), (std::vector<Seg>{{0, 0, 10, 0}, {10, 0, 0, 0}}));
  const TLatchEntry& last = tool.Entries[tool.PointIndex - 1];
  EXPECT_TRUE(std::isfinite(last.X) && std::isfinite(last.Y));
}

TEST_F(LineToolTest, UndoAndRedoMoveTheLoopsLastPoint) {
  auto& tool = Loop();
  CaptureBackground(tool);
  ClickAll(tool, {{0, 0}, {10, 0}, {10, 10}});
  tool.HandleMove(TRealPoint{20, 20});
  ExpectBalancedView(tool);
  ASSERT_EQ(stored.size(), 2u);
  auto* line = dynamic_cast<TLinia*>(tool.Template());
  ASSERT_NE(line, nullptr);
  TUndoManager& undo = *view->GetUndoManager();

  undo.Undo(1);
  EXPECT_EQ(tool.Points, 2);
  EXPECT_EQ(tool.LastLength, 0);
  EXPECT_EQ(Rounded(line->P1, line->P2), (Seg{10, 0, 20, 20})) << "the rubber line from the other end";
  // The segment before it was found there: the direction modes work along it.
  EXPECT_EQ(tool.PointIndex, 2);
  EXPECT_EQ(Rounded(tool.Entries[0], tool.Entries[1]), (Seg{0, 0, 10, 0}));
  ExpectBalancedView(tool);

  undo.Redo(1);
  EXPECT_EQ(tool.Points, 3);
  EXPECT_EQ(Rounded(line->P1, line->P2), (Seg{10, 10, 20, 20})) << "forward again";
  EXPECT_EQ(Rounded(tool.Entries[0], tool.Entries[1]), (Seg{10, 0, 10, 10}));

  // Undone down to the first point, then closed: nothing to close.
  undo.Undo(2);
  EXPECT_EQ(tool.Points, 1);
  EXPECT_EQ(tool.FirstObject, nullptr);
  EXPECT_EQ(Rounded(line->P1, line->P2), (Seg{0, 0, 20, 20}));
  EXPECT_EQ(tool.HandleKey(platform::VK_F7), kKeyHandled);

  // The undo manager forgets the tool with it.
  tool.ClearTemplate();
  view->ResetKrzyz();
  EXPECT_FALSE(undo.OnUndo);
  EXPECT_FALSE(undo.OnRedo);
}

// --- Arcs and parallel lines ---------------------------------------------------

TEST_F(LineToolTest, ArcModeRefusesACollinearPointAndStoresTheArcInTheLinesStyle) {
  for (int byWindow = 0; byWindow < 2; ++byWindow) {
    stored.clear();
    auto* tmpl = new TLiniaSpecjalna();
    tmpl->Style.Thickness = 2;
    auto& tool = Make<TEditNewSpecialLinia, TLiniaSpecjalna>(tmpl);
    const std::string what = byWindow != 0 ? "window" : "key";
    Click(tool, 0, 0);
    if (byWindow != 0) {
      Answer(kExtraArc);
      TRealPoint p = tool.PointerPos();
      EXPECT_EQ(tool.HandleRightClick(p, TPoint{10, 10}), kRightNothing) << what;
    } else {
      EXPECT_EQ(tool.HandleKey(platform::VK_F2 | kKeyAltGr), kKeyHandled) << what;
    }
    auto* arc = dynamic_cast<TEditNewLuk3P*>(tool.Nested.get());
    ASSERT_NE(arc, nullptr) << what;
    EXPECT_EQ(arc->Stage, 2) << what << ": the arc starts at the line's start";

    Click(tool, 0, 20);
    tool.HandleMove(TRealPoint{5, 10});
    auto* shape = dynamic_cast<TLukSpecjalny*>(arc->Template());
    ASSERT_NE(shape, nullptr) << what;
    const Seg chord = Rounded(shape->P1, shape->P2);
    const double radius = shape->Radius;
    EXPECT_FALSE(Click(tool, 0, 10)) << what;
    EXPECT_NE(arc->Flags & TKrzyz::kPointRefused, 0) << what;
    EXPECT_EQ(Rounded(shape->P1, shape->P2), chord) << what << ": the preview stays";
    EXPECT_EQ(shape->Radius, radius) << what;
    EXPECT_TRUE(stored.empty()) << what;

    Click(tool, 5, 10);
    ASSERT_EQ(stored.size(), 1u) << what;
    auto* stored_arc = dynamic_cast<TLukSpecjalny*>(stored[0]);
    ASSERT_NE(stored_arc, nullptr) << what;
    EXPECT_EQ(stored_arc->Style.Thickness, 2) << what;
    EXPECT_NEAR(std::fabs(stored_arc->Radius), 12.5, 1e-9) << what;
    EXPECT_EQ(tool.Nested, nullptr) << what;
    EXPECT_NE(dynamic_cast<TLinia*>(tool.Template()), nullptr) << what << ": a line again";
    // The arc's end is the last point; a special line waits for a new start.
    EXPECT_EQ(tool.Stage, 1) << what;
    const TLatchEntry& last = tool.Entries[tool.PointIndex - 1];
    EXPECT_EQ(last.X, 0) << what;
    EXPECT_EQ(last.Y, 20) << what;
  }
}

TEST_F(LineToolTest, BackspaceOfTheArcTakesItsPointsBackThenEndsIt) {
  auto& tool = Loop();
  ClickAll(tool, {{0, 0}, {10, 0}});
  tool.StartArcMode();
  auto* arc = dynamic_cast<TEditNewLuk3P*>(tool.Nested.get());
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(tool.Flags & TKrzyz::kCursorShown, 0) << "the line's cursor is hidden";
  Click(tool, 10, 20);
  EXPECT_EQ(arc->Stage, 3);
  EXPECT_FALSE(tool.HandleBackspace());
  ASSERT_EQ(tool.Nested.get(), arc);
  EXPECT_EQ(arc->Stage, 2);
  EXPECT_FALSE(tool.HandleBackspace());
  EXPECT_EQ(tool.Nested, nullptr);
  EXPECT_NE(tool.Flags & TKrzyz::kCursorShown, 0) << "the line's cursor is back";
  EXPECT_EQ(stored.size(), 1u);
  // The loop goes on from its last point.
  Click(tool, 20, 0);
  EXPECT_EQ(Segments().back(), (Seg{10, 0, 20, 0}));
}

TEST_F(LineToolTest, ParallelLinesFromTheWindowsOffsets) {
  struct Case {
    bool baseLine;
    bool startEntered;
    std::vector<Seg> lines;
  };
  const Case cases[] = {
      {true, false, {{0, -5, 20, -5}, {0, 3, 20, 3}}},
      // The entered start gives way to the parallel line's.
      {true, true, {{0, -5, 20, -5}, {0, 3, 20, 3}}},
      {false, true, {}},
  };
  for (const Case& c : cases) {
    stored.clear();
    view->SetPaintInPaint(c.baseLine ? std::make_unique<TBaseLine>(TRealPoint{0, 0}, TRealPoint{20, 0}) : nullptr);
    auto& tool = Make<TEditNewSpecialLinia, TLiniaSpecjalna>();
    const std::string what = std::string(c.baseLine ? "base line" : "no base line") +
                             (c.startEntered ? ", start entered" : "");
    if (c.startEntered) Click(tool, 7, 7);
    Answer(kExtraParallel, Values(kEntryExtra, 5, 3, 2.5));
    TRealPoint p = tool.PointerPos();
    EXPECT_EQ(tool.HandleRightClick(p, TPoint{10, 10}), kRightNothing) << what;
    EXPECT_EQ(Segments(), c.lines) << what;
    for (const TEGraphObj* obj : stored) EXPECT_EQ(obj->GetStartPoint3().Z, 2.5f) << what;
    EXPECT_EQ(tool.Stage, c.baseLine || !c.startEntered ? 1 : 2) << what;
  }
}

}  // namespace
