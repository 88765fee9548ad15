// The view's window on the world: zoom by factor and by steps, pan, the
// previous window, fitting to the data (once per base), the arrow keys
// against the document window's scroll bars, the zoom and pan commands run
// as nested tools, the crosshair ratio, the tool figures hidden before a
// change, and what follows every change (the markers, the ruler, the tool
// at the pointer).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "drawing/realcanvas.h"
#include "foundation/settings/settings.h"
#include "layers/tree/layernode.h"
#include "objects/styledcanvas.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/forms.h"
#include "platform/files/inifile.h"
#include "platform/gui/messages.h"
#include "common/scratch_folder.h"
#include "view/hinttools.h"
#include "view/krzyz.h"
#include "view/tvview.h"
#include "view/viewhost.h"

namespace {


// The document window as the view sees it: scroll bars the test sets, a
// visible area, and a log of what the view asked of it.
class FakeDocument : public TViewDocumentI {
public:
  TScrollBarState horz;
  TScrollBarState vert;
  int visibleWidth = 0;
  int visibleHeight = 0;
  std::vector<std::string> log;
  int suspended = 0;

  void CenterScrollBars() override { log.push_back(suspended > 0 ? "centre (suspended)" : "centre"); }
  TScrollBarState HorzScrollBar() override { return horz; }
  TScrollBarState VertScrollBar() override { return vert; }
  void SetHorzScrollPosition(int Position) override {
    horz.Position = Position;
    log.push_back("horz " + std::to_string(Position));
  }
  void SetVertScrollPosition(int Position) override {
    vert.Position = Position;
    log.push_back("vert " + std::to_string(Position));
  }
  int VisibleWidth() override { return visibleWidth; }
  int VisibleHeight() override { return visibleHeight; }
  void SuspendDrawing() override {
    ++suspended;
    log.push_back("suspend");
  }
  void ResumeDrawing() override {
    --suspended;
    log.push_back("resume");
  }
};

// The per-view neighbours: how often the markers were thinned and the last
// scale the ruler got.
class RecordingServices : public TViewServicesI {
public:
  int thinned = 0;
  double rulerScale = 0.0;
  void ThinViewMarkers(TTvView&) override { ++thinned; }
  void ShowRulerScale(double PixelsPerMetre) override { rulerScale = PixelsPerMetre; }
};

// A node of the tree with a given extent that draws nothing.
class ExtentNode : public TWarstwaImp {
public:
  explicit ExtentNode(const TRealRect& Extent) {
    Bounds = Extent;
    SetFlag(kNodeLoaded);
    SetVisible(true);
  }
  void Draw(TRealCanvas&) override {}
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void AddObject(TEGraphObj*) override {}
};

// A shown node whose drawing goes on until the redraw is stopped, noting
// whether the window it draws through changed meanwhile.
class HoldingNode : public TWarstwaImp {
public:
  HoldingNode() {
    Name = "trzyma";
    SetFlag(kNodeLoaded);
    UpdateShownFlag();
    SetVisible(true);
  }
  void Draw(TRealCanvas& Canvas) override {
    const TWindowDim& d = *Canvas.Dims();
    const TRealRect seen = RealRect(d.X1, d.Y1, d.X2, d.Y2);
    ++draws;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < limit) {
      if (RealRect(d.X1, d.Y1, d.X2, d.Y2) != seen) changedWhileDrawing = true;
      Canvas.TestAbort();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void SetVisibleAll(bool B) override { SetVisible(B); }
  void AddObject(TEGraphObj*) override {}

  std::atomic<int> draws{0};
  std::atomic<bool> changedWhileDrawing{false};
};

// Waits (bounded) until Condition holds.
bool WaitUntil(const std::function<bool()>& Condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A command tool standing for a line command: it records the points it is
// moved to and has a figure (its cursor) while shown.
class CommandTool : public TKrzyz {
public:
  explicit CommandTool(std::vector<TRealPoint>& Moves) : TKrzyz(0, nullptr), moves_(Moves) {}
  std::int32_t Move(const TRealPoint& Point) override {
    moves_.push_back(Point);
    return 0;
  }

private:
  std::vector<TRealPoint>& moves_;
};

// A command tool with a figure fixed on the map: a rectangle of world
// corners, so that it lands elsewhere on the screen after the window moved.
class FigureTool : public TKrzyz {
public:
  FigureTool() : TKrzyz(0, nullptr) {}
  void DrawCursor() override { Canvas->AddRectangle(1200.0, 2200.0, 1700.0, 2900.0); }
};

std::vector<std::uint32_t> Pixels(const TTvView& View) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < View.Height(); ++y)
    for (int x = 0; x < View.Width(); ++x) pixels.push_back(View.PixelAt(x, y));
  return pixels;
}

TRealRect Window(const TTvView& View) {
  const TWindowDim& d = *View.Dims();
  return RealRect(d.X1, d.Y1, d.X2, d.Y2);
}

double WidthX(const TRealRect& R) { return R.Right - R.Left; }
double WidthY(const TRealRect& R) { return R.Bottom - R.Top; }

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    const std::string ini = scratch_ / "tolvika.ini";
    {
      platform::TIniFile file(ini);
      file.WriteInteger("Okno", "RozmiarX", 160);
      file.WriteInteger("Okno", "RozmiarY", 120);
      file.UpdateFile();
    }
    SetGlobalnaKonfiguracja(std::make_unique<TGlobalnaKonfiguracja>(ini));
    SetViewServices(&services);
    form = platform::MakeForm<platform::TForm>();
    form->SetBounds(10, 10, 320, 240);
    form->Show();
    view = std::make_unique<TTvView>(&document);
    view->Start(form.get());
    // The pointer is where the test puts it.
    view->ExternalPoint = RealPoint(7500000.0, 7500000.0);
    view->SetExternalPointer(true);
    // A window of 1000 by 1000 world units in the middle of the world.
    ASSERT_TRUE(view->ApplyWindow(RealRect(1000.0, 2000.0, 2000.0, 3000.0)));
    view->PreviousWindow = TRealRect{};
    services.thinned = 0;
    document.log.clear();
  }
  void TearDown() override {
    view.reset();
    form.reset();
    platform::PumpPostedMessages();
    SetViewServices(nullptr);
    FreeGlobalnaKonfiguracja();
  }

  ScratchFolder scratch_;
  FakeDocument document;
  RecordingServices services;
  std::unique_ptr<platform::TForm> form;
  std::unique_ptr<TTvView> view;
};

// Factors that change nothing leave PreviousWindow alone too; the others
// scale the window about its centre.
TEST_F(WindowTest, ZoomScalesAboutTheCentreAndIgnoresNeutralFactors) {
  const TRealRect start = Window(*view);
  const TRealRect marker = RealRect(1.0, 2.0, 3.0, 4.0);
  for (double f : {1.0, 0.0, -2.0, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(f);
    view->PreviousWindow = marker;
    view->Zoom(f);
    EXPECT_EQ(Window(*view), start);
    EXPECT_EQ(view->PreviousWindow, marker);
  }
  EXPECT_EQ(services.thinned, 0);

  view->Zoom(2.0);
  const TRealRect w = Window(*view);
  EXPECT_EQ(view->PreviousWindow, start);
  EXPECT_DOUBLE_EQ(WidthX(w), 2.0 * WidthX(start));
  EXPECT_DOUBLE_EQ(WidthY(w), 2.0 * WidthY(start));
  EXPECT_DOUBLE_EQ(w.Left + w.Right, start.Left + start.Right);
  EXPECT_DOUBLE_EQ(w.Top + w.Bottom, start.Top + start.Bottom);
  EXPECT_GE(view->RedrawCount(), 1);
}

TEST_F(WindowTest, ZoomByStepTakesPowersOfOnePointSixAndCentresTheScrollBars) {
  struct Case {
    int step;
    double factor;  // 0: nothing happens
  } cases[] = {{0, 0.0}, {1, 1.6}, {2, 2.56}, {-1, 1.0 / 1.6}, {-2, 1.0 / 2.56}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    const TRealRect start = Window(*view);
    document.log.clear();
    view->ZoomByStep(c.step);
    if (c.factor == 0.0) {
      EXPECT_EQ(Window(*view), start);
      EXPECT_TRUE(document.log.empty());
      continue;
    }
    EXPECT_NEAR(WidthX(Window(*view)) / WidthX(start), c.factor, 1e-12);
    EXPECT_NEAR(WidthY(Window(*view)) / WidthY(start), c.factor, 1e-12);
    EXPECT_EQ(view->PreviousWindow, start);
    EXPECT_EQ(document.log, std::vector<std::string>{"centre"});
  }
}

TEST_F(WindowTest, PanMovesTheMapContentAndZeroDoesNothing) {
  const TRealRect start = Window(*view);
  view->Pan(0.0, 0.0);
  EXPECT_EQ(Window(*view), start);
  EXPECT_EQ(view->PreviousWindow, TRealRect{});
  EXPECT_EQ(services.thinned, 0);

  view->Pan(10.0, -20.0);
  EXPECT_EQ(Window(*view), RealRect(start.Left - 10.0, start.Top + 20.0, start.Right - 10.0, start.Bottom + 20.0));
  EXPECT_EQ(view->PreviousWindow, start);
}

TEST_F(WindowTest, RestoreWindowTwiceReturnsToTheStart) {
  view->Zoom(3.0);
  view->Pan(100.0, 50.0);
  const TRealRect moved = Window(*view);
  view->RestoreWindow();
  EXPECT_EQ(Window(*view), RealRect(moved.Left + 100.0, moved.Top + 50.0, moved.Right + 100.0, moved.Bottom + 50.0));
  EXPECT_EQ(view->PreviousWindow, moved);
  view->RestoreWindow();
  EXPECT_EQ(Window(*view), moved);
  // Ctrl+F5 reaches it through the keys.
  view->SendKey(platform::VK_F5, platform::ssCtrl);
  EXPECT_NE(Window(*view), moved);
  view->SendKey(platform::VK_F5, platform::ssCtrl);
  EXPECT_EQ(Window(*view), moved);
}

// After every change the markers are thinned, the ruler gets the scale
// along the screen's horizontal axis and the tool is moved to the pointer;
// a refused change does none of it.
TEST_F(WindowTest, EveryChangeThinsTheMarkersSetsTheRulerAndMovesTheTool) {
  std::vector<TRealPoint> moves;
  view->SetKrzyz(std::make_unique<CommandTool>(moves));
  struct Case {
    const char* name;
    std::function<void(TTvView&)> change;
    bool changes;
  } cases[] = {
      {"Zoom", [](TTvView& v) { v.Zoom(0.5); }, true},
      {"Pan", [](TTvView& v) { v.Pan(5.0, 5.0); }, true},
      {"SetWindow", [](TTvView& v) { v.SetWindow(RealRect(0.0, 0.0, 500.0, 800.0)); }, true},
      {"ApplyWindow", [](TTvView& v) { v.ApplyWindow(RealRect(0.0, 0.0, 500.0, 700.0)); }, true},
      {"ApplyWindow unchanged", [](TTvView& v) { v.ApplyWindow(Window(v)); }, false},
      {"SetWindow empty", [](TTvView& v) { v.SetWindow(TRealRect{}); }, false},
      {"ScrollHorz", [](TTvView& v) { v.ScrollHorz(1); }, true},
      {"ScrollVert", [](TTvView& v) { v.ScrollVert(-1); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    services.thinned = 0;
    services.rulerScale = 0.0;
    moves.clear();
    view->ExternalPoint = RealPoint(123.0, 456.0);
    c.change(*view);
    EXPECT_EQ(services.thinned, c.changes ? 1 : 0);
    EXPECT_EQ(services.rulerScale, c.changes ? view->Dims()->ScaleY : 0.0);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), RealPoint(123.0, 456.0));
    // The tool's figures are shown again.
    EXPECT_NE(view->Krzyz()->Flags & TKrzyz::kMarkerShown, 0);
  }
}

// The figures go before the window changes and come back after it: hidden
// again, the surface is what it was without them (nothing left at the old
// place).
TEST_F(WindowTest, ToolFiguresAreHiddenBeforeTheWindowChanges) {
  view->SetKrzyz(std::make_unique<FigureTool>());
  TKrzyz* tool = view->Krzyz();
  struct Case {
    const char* name;
    std::function<void(TTvView&)> change;
  } cases[] = {
      {"Zoom", [](TTvView& v) { v.Zoom(0.8); }},
      {"Pan", [](TTvView& v) { v.Pan(50.0, -70.0); }},
      {"SetWindow", [](TTvView& v) { v.SetWindow(RealRect(1100.0, 2100.0, 1900.0, 2900.0)); }},
      {"RestoreWindow", [](TTvView& v) { v.RestoreWindow(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tool->HideAll();
    const std::vector<std::uint32_t> bare = Pixels(*view);
    tool->ShowAll();
    ASSERT_NE(Pixels(*view), bare);
    c.change(*view);
    EXPECT_NE(tool->Flags & TKrzyz::kCursorShown, 0);
    tool->HideAll();
    EXPECT_EQ(Pixels(*view), bare);
    tool->ShowAll();
  }
}

// A redraw thread draws through the window: it is stopped and waited for
// before the window changes, and a full redraw follows, also when the
// change is refused.
TEST_F(WindowTest, RunningRedrawEndsBeforeTheWindowChanges) {
  auto node = std::make_unique<HoldingNode>();
  HoldingNode* holding = node.get();
  view->AddWarstwa(std::move(node));
  struct Case {
    const char* name;
    std::function<void(TTvView&)> change;
  } cases[] = {
      {"Zoom", [](TTvView& v) { v.Zoom(0.8); }},
      {"Pan", [](TTvView& v) { v.Pan(50.0, -70.0); }},
      {"SetWindow", [](TTvView& v) { v.SetWindow(RealRect(1100.0, 2100.0, 1900.0, 2900.0)); }},
      {"ApplyWindow refused", [](TTvView& v) { v.ApplyWindow(Window(v)); }},
      {"ZoomByStep", [](TTvView& v) { v.ZoomByStep(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The end notices of the threads stopped so far (the GUI loop's work).
    platform::PumpPostedMessages();
    const int before = holding->draws.load();
    view->StartRedraw();
    ASSERT_TRUE(WaitUntil([&] { return holding->draws.load() > before; }));
    c.change(*view);
    EXPECT_FALSE(holding->changedWhileDrawing.load());
    EXPECT_TRUE(WaitUntil([&] { return holding->draws.load() > before + 1; }));
  }
}

// The first press scrolls the document window to its edge; the next ones
// move the window on the world by a third of the visible width or height
// (integer pixels).
TEST_F(WindowTest, ArrowStepsGoToTheScrollEdgeFirstThenByAThird) {
  struct Case {
    const char* name;
    bool horizontal;
    int step;
    int range;
    int position;
    std::vector<std::string> log;  // scroll-bar moves
    int pixels;                    // how far the window moves, in pixels
  } cases[] = {
      // Left arrow: to the left end first, then the map.
      {"left, bar in the middle", true, 1, 160, 30, {"horz 0"}, 0},
      {"left, bar at the left end", true, 1, 160, 0, {}, 100 / 3},
      // Right arrow: to the right end (range - visible) first.
      {"right, bar in the middle", true, -1, 160, 30, {"horz 60"}, 0},
      {"right, bar at the right end", true, -1, 160, 60, {}, -(100 / 3)},
      {"two left, bar in the middle", true, 2, 160, 30, {"horz 0"}, 100 / 3},
      // Down arrow: to the bottom first; up arrow to the top.
      {"down, bar in the middle", false, 1, 120, 10, {"vert 40"}, 0},
      {"down, bar at the bottom", false, 1, 120, 40, {}, 80 / 3},
      {"up, bar in the middle", false, -1, 120, 10, {"vert 0"}, 0},
      {"up, bar at the top", false, -1, 120, 0, {}, -(80 / 3)},
  };
  document.visibleWidth = 100;
  document.visibleHeight = 80;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    document.horz = {160, 0};
    document.vert = {120, 0};
    (c.horizontal ? document.horz : document.vert) = {c.range, c.position};
    document.log.clear();
    const TRealRect start = Window(*view);
    const TWindowDim& d = *view->Dims();
    if (c.horizontal)
      view->ScrollHorz(c.step);
    else
      view->ScrollVert(c.step);
    EXPECT_EQ(document.log, c.log);
    const TRealRect w = Window(*view);
    if (c.horizontal) {
      // The map moves right (the window left) for the left arrow.
      EXPECT_NEAR((start.Top - w.Top) * d.ScaleY, c.pixels, 1e-6);
      EXPECT_DOUBLE_EQ(w.Left, start.Left);
    } else {
      EXPECT_NEAR((w.Left - start.Left) * d.ScaleX, -c.pixels, 1e-6);
      EXPECT_DOUBLE_EQ(w.Top, start.Top);
    }
    if (c.pixels == 0) {
      EXPECT_EQ(services.thinned, 0);
    }
    services.thinned = 0;
  }
}

TEST_F(WindowTest, ArrowKeysReachTheSteps) {
  document.visibleWidth = 90;
  document.visibleHeight = 60;
  const TRealRect start = Window(*view);
  const double sy = view->Dims()->ScaleY;
  view->SendKey(platform::VK_LEFT);
  EXPECT_NEAR((start.Top - Window(*view).Top) * sy, 30.0, 1e-6);
  view->SendKey(platform::VK_RIGHT);
  EXPECT_NEAR(Window(*view).Top, start.Top, 1e-6);
}

TEST_F(WindowTest, DataExtentUnitesTheNonEmptyExtentsOfTheRootsChildren) {
  TRealRect r = RealRect(1.0, 1.0, 2.0, 2.0);
  view->GetDataExtent(r);
  EXPECT_EQ(r, TRealRect{});

  view->AddWarstwa(std::make_unique<ExtentNode>(TRealRect{}));
  view->AddWarstwa(std::make_unique<ExtentNode>(RealRect(100.0, 200.0, 300.0, 400.0)));
  view->AddWarstwa(std::make_unique<ExtentNode>(TRealRect{}));
  view->AddWarstwa(std::make_unique<ExtentNode>(RealRect(50.0, 250.0, 150.0, 900.0)));
  view->GetDataExtent(r);
  EXPECT_EQ(r, RealRect(50.0, 200.0, 300.0, 900.0));
}

TEST_F(WindowTest, ZoomAllOnceFitsOnlyOncePerBase) {
  view->AddWarstwa(std::make_unique<ExtentNode>(RealRect(100.0, 200.0, 300.0, 400.0)));
  const TRealRect start = Window(*view);
  EXPECT_EQ(view->State & TTvView::kFitted, 0);
  EXPECT_TRUE(view->ZoomAllOnce());
  EXPECT_NE(view->State & TTvView::kFitted, 0);
  const TRealRect fitted = Window(*view);
  EXPECT_LE(fitted.Left, 100.0);
  EXPECT_GE(fitted.Right, 300.0);
  EXPECT_LE(fitted.Top, 200.0);
  EXPECT_GE(fitted.Bottom, 400.0);
  EXPECT_EQ(view->PreviousWindow, start);
  EXPECT_EQ(document.log, std::vector<std::string>{"centre"});

  view->Zoom(4.0);
  const TRealRect zoomed = Window(*view);
  EXPECT_FALSE(view->ZoomAllOnce());
  EXPECT_EQ(Window(*view), zoomed);
  // ZoomAll itself fits every time.
  view->ZoomAll();
  EXPECT_EQ(Window(*view), fitted);
}

TEST_F(WindowTest, AllEmptyDataIsRefusedAndNothingChanges) {
  view->AddWarstwa(std::make_unique<ExtentNode>(TRealRect{}));
  view->AddWarstwa(std::make_unique<ExtentNode>(TRealRect{}));
  view->WaitForRedraw(false);
  platform::PumpPostedMessages();
  const int redraws = view->RedrawCount();
  const TRealRect start = Window(*view);
  view->ZoomAll();
  EXPECT_EQ(Window(*view), start);
  EXPECT_EQ(view->RedrawCount(), redraws);
  EXPECT_EQ(services.thinned, 0);
}

TEST_F(WindowTest, SetWindowLockedCentresTheScrollBarsWhileDrawingIsSuspended) {
  EXPECT_TRUE(view->SetWindowLocked(RealRect(0.0, 0.0, 400.0, 400.0)));
  EXPECT_EQ(document.log, (std::vector<std::string>{"suspend", "centre (suspended)", "resume"}));
  document.log.clear();
  EXPECT_FALSE(view->SetWindowLocked(TRealRect{}));
  EXPECT_EQ(document.log, (std::vector<std::string>{"suspend", "centre (suspended)", "resume"}));
}

// The ratio of a rectangle from the crosshair centre to a corner: the
// visible half-window over the rectangle's extent, the tighter axis.
TEST_F(WindowTest, CrosshairRatioTakesTheTighterAxisOfTheVisibleHalfWindow) {
  document.visibleWidth = 100;  // world Y
  document.visibleHeight = 50;  // world X
  const TWindowDim& d = *view->Dims();
  const double wx = 50.0 / d.ScaleX;
  const double wy = 100.0 / d.ScaleY;
  struct Case {
    TRealRect r;
    double ratio;
  } cases[] = {
      {RealRect(0.0, 0.0, 0.0, 10.0), 0.0},
      {RealRect(0.0, 0.0, 10.0, 0.0), 0.0},
      {RealRect(0.0, 0.0, 10.0, 10.0), std::min(wx / 2 / 10.0, wy / 2 / 10.0)},
      {RealRect(10.0, 10.0, 0.0, 0.0), std::min(wx / 2 / 10.0, wy / 2 / 10.0)},
      {RealRect(0.0, 0.0, 1.0, 100.0), std::min(wx / 2 / 1.0, wy / 2 / 100.0)},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(view->ClipRectToWindow(c.r), c.ratio);
  }
  // The zoom tool asks with the whole rectangle centred on the crosshair.
  EXPECT_DOUBLE_EQ(view->ZoomRatioFor(RealRect(-10.0, -10.0, 10.0, 10.0)),
                   view->ClipRectToWindow(RealRect(0.0, 0.0, 10.0, 10.0)));
}

// Drives the nested zoom tool of a command: points (moves and clicks) go
// to the current tool as the view hands them on.
void Drive(TTvView& View, const std::vector<TRealPoint>& Clicks) {
  for (const TRealPoint& p : Clicks) {
    View.ExternalPoint = p;
    View.Krzyz()->HandleMove(p);
    View.Krzyz()->HandleClick(p);
  }
}

TEST_F(WindowTest, CrosshairZoomCentresOnTheCrosshairAndAZeroDragDoesNothing) {
  std::vector<TRealPoint> moves;
  view->SetKrzyz(std::make_unique<CommandTool>(moves));
  const TRealRect start = Window(*view);
  const TRealPoint centre = RealPoint(1400.0, 2300.0);

  view->CmdZoomInCrosshair();
  auto* tool = dynamic_cast<TZoomZbliz*>(view->Krzyz()->Nested.get());
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->Hint(), "POWIĘKSZENIE OKNA (celownik)");
  Drive(*view, {centre, centre});
  EXPECT_EQ(Window(*view), start);
  EXPECT_EQ(view->PreviousWindow, TRealRect{});
  EXPECT_EQ(view->Krzyz()->Nested, nullptr);

  // In: the crosshair becomes the centre, the window shrinks by the ratio.
  const TRealPoint corner = RealPoint(1450.0, 2350.0);
  const double ratio = view->ClipRectToWindow(RealRect(centre.X, centre.Y, corner.X, corner.Y));
  ASSERT_GT(ratio, 0.0);
  view->CmdZoomInCrosshair();
  Drive(*view, {centre, corner});
  TRealRect w = Window(*view);
  EXPECT_NEAR((w.Left + w.Right) / 2, centre.X, 1e-6);
  EXPECT_NEAR((w.Top + w.Bottom) / 2, centre.Y, 1e-6);
  EXPECT_NEAR(WidthX(w), WidthX(start) / ratio, 1e-6);
  EXPECT_EQ(view->PreviousWindow, start);
  EXPECT_EQ(document.log.back(), "centre");

  // Out: the window grows by the ratio of the new drag.
  const TRealRect before = w;
  view->CmdZoomOut();
  tool = dynamic_cast<TZoomZbliz*>(view->Krzyz()->Nested.get());
  ASSERT_NE(tool, nullptr);
  EXPECT_EQ(tool->Hint(), "ZMNIEJSZENIE OKNA");
  const TRealPoint c2 = RealPoint((w.Left + w.Right) / 2, (w.Top + w.Bottom) / 2);
  const TRealPoint k2 = RealPoint(c2.X + WidthX(w) / 8, c2.Y + WidthY(w) / 8);
  const double ratio2 = view->ClipRectToWindow(RealRect(c2.X, c2.Y, k2.X, k2.Y));
  Drive(*view, {c2, k2});
  w = Window(*view);
  EXPECT_NEAR(WidthX(w), WidthX(before) * ratio2, 1e-6);
  EXPECT_EQ(view->PreviousWindow, before);
}

// The zoom runs nested: the command in progress resumes afterwards, its
// figures back at the pointer.
TEST_F(WindowTest, ZoomRectAndPanResumeTheCommandInProgress) {
  std::vector<TRealPoint> moves;
  view->SetKrzyz(std::make_unique<CommandTool>(moves));
  TKrzyz* command = view->Krzyz();

  view->CmdZoomIn();
  auto* zoom = dynamic_cast<TZoomRect*>(command->Nested.get());
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->Hint(), "POWIĘKSZENIE OKNA");
  const TRealRect start = Window(*view);
  moves.clear();
  // Corners given in reverse order: the rectangle is normalised.
  Drive(*view, {RealPoint(1600.0, 2600.0), RealPoint(1200.0, 2200.0)});
  EXPECT_EQ(view->Krzyz(), command);
  EXPECT_EQ(command->Nested, nullptr);
  TRealRect w = Window(*view);
  EXPECT_LE(w.Left, 1200.0);
  EXPECT_GE(w.Right, 1600.0);
  EXPECT_LT(WidthX(w), WidthX(start));
  EXPECT_EQ(view->PreviousWindow, start);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back(), RealPoint(1200.0, 2200.0));
  EXPECT_NE(command->Flags & TKrzyz::kMarkerShown, 0);

  view->CmdPan();
  auto* pan = dynamic_cast<TZoomMove*>(command->Nested.get());
  ASSERT_NE(pan, nullptr);
  EXPECT_EQ(pan->Hint(), "PRZESUNIĘCIE OKNA");
  const TRealRect before = Window(*view);
  Drive(*view, {RealPoint(1300.0, 2300.0), RealPoint(1310.0, 2280.0)});
  EXPECT_EQ(Window(*view), OffsetRealRect(before, RealPoint(-10.0, 20.0)));
  EXPECT_EQ(command->Nested, nullptr);
  EXPECT_NE(command->Flags & TKrzyz::kMarkerShown, 0);
}

}  // namespace
