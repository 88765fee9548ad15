#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "drawing/canvascfg.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_menus.h"
#include "view/hinttools.h"
#include "view/pointtools.h"
#include "view/tool_fixture.h"

namespace {

using HintToolTest = ToolFixture;
using ZoomToolTest = ToolFixture;
using NullToolTest = ToolFixture;
using PointToolTest = ToolFixture;

// The points a tool reported through its callback (GetPoint at each call).
struct PointLog {
  std::vector<TRealPoint> Points;
  bool Answer = false;
  TKrzyzPointEvent Event() {
    return [this](TKrzyz* Sender) {
      TRealPoint p;
      Sender->GetPoint(p);
      Points.push_back(p);
      return Answer;
    };
  }
};

TEST_F(HintToolTest, HintPartsAreSplitAtBars) {
  struct Case {
    const char* Hint;
    std::vector<std::string> Parts;  // parts 0, 1, 2, 7
  };
  const Case cases[] = {
      {"Wskaż początek|Wskaż koniec|Trzeci", {"Wskaż początek", "Wskaż koniec", "Trzeci", "Trzeci"}},
      {"Jedyna", {"Jedyna", "Jedyna", "Jedyna", "Jedyna"}},
      {"A||C", {"A", "", "C", "C"}},
      {"A|", {"A", "", "", ""}},
      {"", {"", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Hint);
    THintKrzyz tool(0, {}, c.Hint);
    EXPECT_EQ(tool.GetHint(), c.Parts[0]);
    const int index[] = {0, 1, 2, 7};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(tool.GetHintPart(index[i]), c.Parts[i]) << index[i];
  }
}

TEST_F(HintToolTest, ViewShowsTheHintWhileTheToolIsActiveAndGetsItsOwnBack) {
  view.SetHint("bezczynny");
  auto first = std::make_unique<THintKrzyz>(0, TKrzyzPointEvent{}, "PIERWSZY|punkt 1");
  Activate(*first, TRealPoint{50, 50});
  EXPECT_EQ(view.Hint(), "PIERWSZY");
  first->SetHint("ZMIENIONY|x");
  EXPECT_EQ(view.Hint(), "ZMIENIONY");

  THintKrzyz second(0, {}, "DRUGI");
  Activate(second, TRealPoint{50, 50});
  EXPECT_EQ(view.Hint(), "DRUGI");
  {
    // A copy shares the view but never showed its hint there: freeing it
    // gives nothing back.
    std::unique_ptr<TKrzyz> copy = second.Clone();
    EXPECT_EQ(copy->View, &view);
    EXPECT_EQ(copy->GetHint(), "DRUGI");
  }
  EXPECT_EQ(view.Hint(), "DRUGI");
  second.Deactivate();
  EXPECT_EQ(view.Hint(), "ZMIENIONY");
  first.reset();  // freed while attached
  EXPECT_EQ(view.Hint(), "bezczynny");

  // Activated twice (the view starting with its tool in place), detached
  // once.
  THintKrzyz again(0, {}, "PONOWNIE");
  Activate(again, TRealPoint{50, 50});
  Activate(again, TRealPoint{50, 50});
  EXPECT_EQ(view.Hint(), "PONOWNIE");
  again.Deactivate();
  EXPECT_EQ(view.Hint(), "bezczynny");

  THintKrzyz detached(0, {}, "NIEPODPIĘTY");
  detached.SetHint("INNY");
  EXPECT_EQ(view.Hint(), "bezczynny");
}

TEST_F(HintToolTest, SightSizeInWorldUnits) {
  struct Case {
    const char* Name;
    bool Digitizer;
    std::int32_t Skala;
    TRealPoint Expected;
  };
  // Sight 5 by 3 pixels, or 2 by 1 millimetres; one pixel a unit.
  const Case cases[] = {
      {"pixels: X from the height, Y from the width", false, 1000, {3, 5}},
      {"millimetres at 1:500", true, 500, {1.0, 0.5}},
      {"millimetres at 1:2000", true, 2000, {4, 2}},
  };
  TKrzyzConf& conf = KrzyzConf();
  conf.CelownikW = 5;
  conf.CelownikH = 3;
  conf.CelownikWmm = 2;
  conf.CelownikHmm = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    conf.DigitizerOn = c.Digitizer ? 1 : 0;
    canvas->Cfg()->Skala = c.Skala;
    THintKrzyz tool(0, {});
    EXPECT_EQ(tool.GetCelownikSize(), (TRealPoint{}));  // not attached
    Activate(tool, TRealPoint{50, 50});
    EXPECT_EQ(tool.GetCelownikSize(), c.Expected);
  }
}

TEST_F(HintToolTest, CopiesAreOfTheSameClassWithTheHint) {
  std::vector<std::unique_ptr<THintKrzyz>> tools;
  tools.push_back(std::make_unique<THintKrzyz>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TZoomRect>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TZoomMove>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TRectKrzyz>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TZoomZbliz>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TNullKrzyz>(0, TKrzyzPointEvent{}, nullptr));
  tools.push_back(std::make_unique<TWskPunktKrzyz>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TWskKoloKrzyz>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TWskKoloPunktKrzyz>(0, TKrzyzPointEvent{}, "a|b"));
  tools.push_back(std::make_unique<TTwoShot>(0, TKrzyzPointEvent{}, TShotSearchEvent{}));
  tools.push_back(std::make_unique<TChainShot>(0, TKrzyzPointEvent{}, TShotSearchEvent{}));
  tools[5]->SetHint("a|b");
  tools[9]->SetHint("a|b");
  tools[10]->SetHint("a|b");
  for (auto& tool : tools) {
    SCOPED_TRACE(typeid(*tool).name());
    tool->Status = 9;
    std::unique_ptr<TKrzyz> copy = tool->Clone();
    EXPECT_EQ(typeid(*copy), typeid(*tool));
    EXPECT_EQ(copy->GetHint(), "a");
    EXPECT_EQ(copy->Status, 0u);
  }

  int searches = 0;
  TTwoShot shot(0, {}, [&](const TRealPoint&, const TRealPoint&, std::int32_t, TGetPunktRes& R) {
    ++searches;
    R.Code = -1;
  });
  std::unique_ptr<TKrzyz> copy = shot.Clone();
  static_cast<TTwoShot&>(*copy).Click(TRealPoint{});  // before a move
  static_cast<TTwoShot&>(*copy).Click(TRealPoint{});
  EXPECT_EQ(searches, 1);

  TZoomRect rect(0, {});
  rect.Count = TZoomRect::kDragging + 1;
  EXPECT_EQ(static_cast<TZoomRect&>(*rect.Clone()).Count, TZoomRect::kDragging + 1);
}

TEST_F(ZoomToolTest, RectangleByTwoCornersInAnyOrder) {
  struct Case {
    TRealPoint First;
    TRealPoint Second;
  };
  const Case cases[] = {
      {{20, 30}, {60, 100}},
      {{60, 100}, {20, 30}},
      {{60, 30}, {20, 100}},
  };
  for (const Case& c : cases) {
    std::vector<TRealRect> rects;
    TZoomRect zoom(0, [&](TKrzyz* Sender) {
      rects.push_back(static_cast<TZoomRect*>(Sender)->Rect());
      EXPECT_EQ(static_cast<TZoomRect*>(Sender)->X1, 20);
      EXPECT_EQ(static_cast<TZoomRect*>(Sender)->Y2, 100);
      return true;
    });
    Activate(zoom, TRealPoint{50, 50});
    EXPECT_EQ(view.Cursor(), platform::crCross);
    EXPECT_FALSE(Click(zoom, c.First.X, c.First.Y));
    ExpectBalanced(zoom);
    Move(zoom, 90, 190);
    ExpectBalanced(zoom);
    EXPECT_EQ(zoom.GetResult(), 1);
    EXPECT_TRUE(Click(zoom, c.Second.X, c.Second.Y));
    EXPECT_EQ(rects, std::vector<TRealRect>{(TRealRect{20, 30, 60, 100})});
    EXPECT_EQ(Drawn(), 0);
    EXPECT_EQ(zoom.GetResult(), 0);
  }
}

TEST_F(ZoomToolTest, RectangleClickedAwayFromThePointerLeavesNoRubberBand) {
  TZoomRect zoom(0, [](TKrzyz*) { return true; });
  Activate(zoom, TRealPoint{50, 50});
  Click(zoom, 20, 30);
  Move(zoom, 60, 100);
  // The second click comes at a point the pointer never moved to (a typed
  // or stored point).
  EXPECT_TRUE(ClickOnly(zoom, 80, 150));
  EXPECT_EQ(zoom.Rect(), (TRealRect{20, 30, 80, 150}));
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(ZoomToolTest, BackspaceWhileDraggingGoesBackToTheFirstCornerAndThenEnds) {
  std::vector<std::int32_t> finished;
  TZoomRect zoom(0, {});
  zoom.OnFinish = [&](TKrzyz*, std::int32_t R) { finished.push_back(R); };
  Activate(zoom, TRealPoint{50, 50});
  Click(zoom, 20, 30);
  Move(zoom, 60, 100);

  EXPECT_FALSE(zoom.HandleBackspace());
  EXPECT_EQ(zoom.Count, TZoomRect::kFirstCorner);
  EXPECT_EQ(zoom.X1, 60);
  EXPECT_EQ(zoom.Y1, 100);
  EXPECT_TRUE(Inverted(60 + 7, 100));  // the cross at the first corner
  ExpectBalanced(zoom);

  EXPECT_TRUE(zoom.HandleBackspace());
  EXPECT_EQ(finished, std::vector<std::int32_t>{0});
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(ZoomToolTest, RightButtonTakesBackOrOpensTheMenu) {
  struct Case {
    const char* Name;
    bool Rect;
    bool Dragging;
    std::int32_t Expected;
  };
  const Case cases[] = {
      {"zoom pointing", false, false, kRightBackspace},
      {"zoom dragging", false, true, kRightBackspace},
      {"rectangle pointing", true, false, kRightDefault},
      {"rectangle dragging", true, true, kRightBackspace},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::unique_ptr<TZoomRect> tool;
    if (c.Rect)
      tool = std::make_unique<TRectKrzyz>(0, TKrzyzPointEvent{});
    else
      tool = std::make_unique<TZoomRect>(0, TKrzyzPointEvent{});
    Activate(*tool, TRealPoint{50, 50});
    if (c.Dragging) Click(*tool, 20, 30);
    EXPECT_EQ(RightClick(*tool), c.Expected);
  }
}

TEST_F(ZoomToolTest, PanningKeepsFromAndToAndShowsTheDistance) {
  PointLog log;
  log.Answer = true;
  TZoomMove pan(0, log.Event());
  Activate(pan, TRealPoint{50, 50});
  Click(pan, 40, 50);
  Move(pan, 10, 10);
  EXPECT_EQ(Statuses.back(), " 50.00  10.00 , 10.00 ");
  EXPECT_TRUE(Inverted(25, 30));  // on the line between the points
  ExpectBalanced(pan);
  EXPECT_TRUE(Click(pan, 10, 10));
  EXPECT_EQ(pan.X1, 40);  // from ...
  EXPECT_EQ(pan.Y1, 50);
  EXPECT_EQ(pan.X2, 10);  // ... to, unordered
  EXPECT_EQ(pan.Y2, 10);
  EXPECT_EQ(log.Points, std::vector<TRealPoint>{(TRealPoint{40, 50})});
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(ZoomToolTest, CentredRectangleKeepsTheWindowsProportionsInsideTheWindow) {
  // The window is X 0..100 by Y 0..200: proportions 2.
  struct Case {
    const char* Name;
    TRealPoint Centre;
    TRealPoint Pointer;
    TRealPoint Corner;
  };
  const Case cases[] = {
      {"steep drag inside", {50, 100}, {60, 130}, {65, 130}},
      {"flat drag inside", {50, 100}, {70, 110}, {70, 140}},
      {"drag to the lower left mirrors", {50, 100}, {40, 80}, {60, 120}},
      {"beyond the window in X", {50, 100}, {130, 120}, {100, 200}},
      {"beyond the window in Y", {50, 100}, {55, 400}, {100, 200}},
      {"centre near an edge", {20, 100}, {90, 190}, {40, 140}},
      {"centre near an edge, steep", {50, 180}, {60, 400}, {60, 200}},
      {"same X as the centre: flat", {50, 100}, {50, 180}, {50, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<TRealRect> rects;
    TZoomZbliz zoom(0, [&](TKrzyz* Sender) {
      rects.push_back(static_cast<TZoomZbliz*>(Sender)->ZoomRect());
      return true;
    });
    Activate(zoom, TRealPoint{50, 50});
    EXPECT_EQ(zoom.Ratio, 2.0);
    Click(zoom, c.Centre.X, c.Centre.Y);
    Move(zoom, c.Pointer.X, c.Pointer.Y);
    EXPECT_EQ(zoom.X2, c.Corner.X);
    EXPECT_EQ(zoom.Y2, c.Corner.Y);
    ExpectBalanced(zoom);
    EXPECT_TRUE(Click(zoom, c.Pointer.X, c.Pointer.Y));
    const TRealPoint& C = c.Centre;
    const TRealPoint& P = c.Corner;
    EXPECT_EQ(rects, std::vector<TRealRect>{RealRect(2 * C.X - P.X, 2 * C.Y - P.Y, P.X, P.Y)});
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(ZoomToolTest, CentredRectangleStatusCursorAndBackspace) {
  struct Case {
    double Ratio;
    const char* Text;
  };
  const Case cases[] = {{2.0, " x2.0 "}, {0.0, " x "}, {12.26, " x12.3 "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    view.Ratio = c.Ratio;
    TZoomZbliz zoom(0, {});
    Activate(zoom, TRealPoint{50, 50});
    EXPECT_EQ(view.Cursor(), platform::crCross);  // the small cross is drawn
    EXPECT_EQ(Statuses.back(), " 50.00 , 50.00 ");
    Click(zoom, 50, 100);
    EXPECT_EQ(view.Cursor(), platform::crCross);
    Move(zoom, 60, 130);
    EXPECT_EQ(Statuses.back(), c.Text);
    EXPECT_EQ(view.RatioAskedFor, (TRealRect{35, 70, 65, 130}));

    EXPECT_FALSE(zoom.HandleBackspace());
    EXPECT_EQ(zoom.Count, TZoomZbliz::kCentre);
    EXPECT_EQ(zoom.X1, 65);
    EXPECT_EQ(zoom.Y1, 130);
    ExpectBalanced(zoom);
    Click(zoom, 50, 100);
    Move(zoom, 60, 130);
    // Ended while dragging: the rectangle leaves with it.
    EXPECT_TRUE(zoom.Finish());
    EXPECT_EQ(Drawn(), 0);
  }

  KrzyzConf().RysujKrzyz = true;
  TZoomZbliz zoom(0, {});
  Activate(zoom, TRealPoint{50, 50});
  EXPECT_EQ(view.Cursor(), platform::crNone);
  EXPECT_TRUE(Inverted(50, 1));  // the full-window cross
  Click(zoom, 50, 100);
  EXPECT_EQ(view.Cursor(), platform::crCross);
  EXPECT_FALSE(zoom.HandleBackspace());
  EXPECT_EQ(view.Cursor(), platform::crNone);
  ExpectBalanced(zoom);
}

TEST_F(NullToolTest, TheClickThatClosesTheMenuIsSwallowed) {
  PointLog log;
  platform::TPopupMenu menu;
  int popups = 0;
  menu.OnPopup = [&](platform::TComponent&) { ++popups; };
  TNullKrzyz idle(0, log.Event(), &menu);
  Activate(idle, TRealPoint{50, 50});

  EXPECT_FALSE(Click(idle, 10, 20));
  EXPECT_EQ(log.Points.size(), 1u);  // an idle click reports its point

  EXPECT_EQ(RightClick(idle, 300, 400), kRightKeepMouse);
  EXPECT_EQ(popups, 1);
  EXPECT_FALSE(ClickOnly(idle, 30, 40));  // closes the menu
  EXPECT_EQ(log.Points.size(), 1u);
  EXPECT_FALSE(ClickOnly(idle, 30, 40));
  EXPECT_EQ(log.Points.size(), 2u);

  // A second right click while the menu is open only closes it.
  RightClick(idle);
  EXPECT_EQ(RightClick(idle), kRightNothing);
  EXPECT_EQ(popups, 2);
  EXPECT_FALSE(ClickOnly(idle, 30, 40));
  EXPECT_EQ(log.Points.size(), 3u);

  // A move means the menu is gone: the next click counts.
  RightClick(idle);
  Move(idle, 35, 45);
  ClickOnly(idle, 35, 45);
  EXPECT_EQ(log.Points.size(), 4u);
}

TEST_F(NullToolTest, EnterReportsAndWithoutAMenuNoClickIsLost) {
  int calls = 0;
  TNullKrzyz idle(0, [&](TKrzyz*) {
    ++calls;
    return false;
  }, nullptr);
  Activate(idle, TRealPoint{50, 50});
  EXPECT_EQ(idle.HandleKey(kVkReturn), kKeyHandled);
  EXPECT_EQ(idle.HandleKey(kVkReturn | kKeyCtrl), kKeyNotHandled);
  EXPECT_EQ(idle.HandleKey(27), kKeyNotHandled);
  EXPECT_EQ(calls, 1);

  EXPECT_EQ(RightClick(idle), kRightKeepMouse);
  EXPECT_FALSE(ClickOnly(idle, 30, 40));
  EXPECT_EQ(calls, 2);

  TNullKrzyz silent(0, {}, nullptr);
  Activate(silent, TRealPoint{50, 50});
  EXPECT_EQ(silent.HandleKey(kVkReturn), kKeyHandled);
}

TEST_F(PointToolTest, PointingToolsShowCrossSightOrBoth) {
  struct Case {
    const char* Name;
    std::unique_ptr<TWskPunktKrzyz> (*Make)(TKrzyzPointEvent);
    bool Cross;
    bool Frame;
    int Cursor;
  };
  const Case cases[] = {
      {"point", [](TKrzyzPointEvent E) -> std::unique_ptr<TWskPunktKrzyz> {
         return std::make_unique<TWskPunktKrzyz>(0, std::move(E));
       },
       true, false, platform::crCross},
      {"sight", [](TKrzyzPointEvent E) -> std::unique_ptr<TWskPunktKrzyz> {
         return std::make_unique<TWskKoloKrzyz>(0, std::move(E));
       },
       false, true, platform::crNone},
      {"both", [](TKrzyzPointEvent E) -> std::unique_ptr<TWskPunktKrzyz> {
         return std::make_unique<TWskKoloPunktKrzyz>(0, std::move(E));
       },
       true, true, platform::crNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    PointLog log;
    std::unique_ptr<TWskPunktKrzyz> tool = c.Make(log.Event());
    Activate(*tool, TRealPoint{50, 100});
    EXPECT_EQ(view.Cursor(), c.Cursor);
    EXPECT_EQ(Inverted(50 + 7, 100), c.Cross);    // the cross's arm
    EXPECT_EQ(Inverted(50 + 5, 100 + 5), c.Frame);  // the sight's corner
    Move(*tool, 30, 60);
    ExpectBalanced(*tool);
    EXPECT_FALSE(Click(*tool, 40, 70));  // the command wants more
    EXPECT_EQ(log.Points, std::vector<TRealPoint>{(TRealPoint{40, 70})});
    ExpectBalanced(*tool);
    tool->Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(PointToolTest, ClickBeforeAnyMoveReportsTheClickedPoint) {
  PointLog log;
  TWskKoloKrzyz tool(0, log.Event());
  EXPECT_EQ(tool.Stage, 0);
  EXPECT_FALSE(tool.HandleClick(TRealPoint{12, 34}));
  EXPECT_EQ(log.Points, std::vector<TRealPoint>{(TRealPoint{12, 34})});
  EXPECT_EQ(tool.Stage, 1);
}

// A scripted search: each call takes the next code of Codes, puts the
// clicked point and a text "trafienie <code>" in the result and notes the
// shot and the sight size.
struct ShotScript {
  explicit ShotScript(std::vector<std::int32_t> C) : Codes(std::move(C)) {}
  std::vector<std::int32_t> Codes;
  std::size_t Next = 0;
  std::vector<std::int32_t> Shots;
  std::vector<TRealPoint> Sights;
  TShotSearchEvent Event() {
    return [this](const TRealPoint& P, const TRealPoint& Sight, std::int32_t Shot, TGetPunktRes& R) {
      Shots.push_back(Shot);
      Sights.push_back(Sight);
      R.Code = Next < Codes.size() ? Codes[Next++] : -1;
      if (R.Code < 0) return;
      R.X = P.X;
      R.Y = P.Y;
      R.Text = "trafienie " + std::to_string(R.Code);
    };
  }
};

// The codes of the pairs a shot tool reported.
struct PairLog {
  std::vector<std::pair<std::int32_t, std::int32_t>> Pairs;
  TKrzyzPointEvent Event() {
    return [this](TKrzyz* Sender) {
      auto* shot = static_cast<TTwoShot*>(Sender);
      Pairs.emplace_back(shot->First.Code, shot->Second.Code);
      return false;
    };
  }
};

TEST_F(PointToolTest, TwoShotsMissAndHitStepByStep) {
  ShotScript script({-1, 1, -1, 2});
  PairLog pairs;
  TTwoShot shot(0, pairs.Event(), script.Event());
  shot.SetHint("Wskaż pierwszy|Drugi do: ");
  Activate(shot, TRealPoint{50, 50});
  EXPECT_EQ(view.Cursor(), platform::crNone);
  EXPECT_EQ(shot.State, TTwoShot::kFirstShot);
  EXPECT_EQ(shot.GetResult(), 0);

  EXPECT_FALSE(Click(shot, 40, 60));  // nothing there
  EXPECT_EQ(shot.State, TTwoShot::kFirstShot);
  EXPECT_EQ(view.Hint(), "Wskaż pierwszy");
  ExpectBalanced(shot);

  EXPECT_FALSE(Click(shot, 40, 70));  // the first thing
  EXPECT_EQ(shot.State, TTwoShot::kSecondShot);
  EXPECT_EQ(shot.GetResult(), 1);
  EXPECT_EQ(view.Hint(), "Drugi do: trafienie 1");
  Move(shot, 10, 40);
  EXPECT_EQ(Statuses.back(), " 42.43  10.00 , 40.00 ");
  EXPECT_TRUE(Inverted(25, 55));  // the rubber line
  ExpectBalanced(shot);

  EXPECT_FALSE(Click(shot, 20, 30));  // nothing there: still the second shot
  EXPECT_EQ(shot.State, TTwoShot::kSecondShot);
  Move(shot, 20, 50);
  EXPECT_EQ(shot.Second.X, 20);
  EXPECT_EQ(shot.Second.Y, 50);
  ExpectBalanced(shot);

  EXPECT_FALSE(Click(shot, 20, 60));  // the pair, which the command takes
  EXPECT_EQ(pairs.Pairs, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 2}}));
  EXPECT_EQ(shot.State, TTwoShot::kFirstShot);
  EXPECT_EQ(script.Shots, (std::vector<std::int32_t>{1, 1, 2, 2}));
  EXPECT_EQ(script.Sights.front(), (TRealPoint{5, 5}));
  ExpectBalanced(shot);
  shot.Deactivate();
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(PointToolTest, BackspaceInTheSecondShotGoesBackToTheFirstAtTheCursor) {
  ShotScript script({1});
  std::vector<std::int32_t> finished;
  TTwoShot shot(0, {}, script.Event());
  shot.OnFinish = [&](TKrzyz*, std::int32_t R) { finished.push_back(R); };
  Activate(shot, TRealPoint{50, 50});
  Click(shot, 40, 70);
  Move(shot, 10, 40);

  EXPECT_FALSE(shot.HandleBackspace());
  EXPECT_EQ(shot.State, TTwoShot::kFirstShot);
  EXPECT_EQ(shot.First.X, 10);
  EXPECT_EQ(shot.First.Y, 40);
  EXPECT_TRUE(Inverted(15, 45));  // the sight's corner at the cursor
  ExpectBalanced(shot);

  EXPECT_TRUE(shot.HandleBackspace());
  EXPECT_EQ(finished, std::vector<std::int32_t>{0});
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(PointToolTest, ChainOfThreeShotsReportsTwoPairs) {
  for (bool moves : {true, false}) {
    SCOPED_TRACE(moves ? "moves between the clicks" : "clicks without moves");
    ShotScript script({1, 2, 3});
    PairLog pairs;
    TChainShot chain(0, pairs.Event(), script.Event());
    chain.SetHint("Pierwszy|Następny od: ");
    Activate(chain, TRealPoint{50, 50});
    auto shoot = [&](double X, double Y) { return moves ? Click(chain, X, Y) : ClickOnly(chain, X, Y); };

    EXPECT_FALSE(shoot(10, 10));
    EXPECT_FALSE(shoot(20, 30));
    EXPECT_EQ(chain.State, TTwoShot::kPairTaken);
    EXPECT_EQ(chain.First.X, 20);  // the next link starts at the second pick
    EXPECT_EQ(chain.First.Text, "trafienie 2");
    EXPECT_EQ(view.Hint(), "Następny od: trafienie 2");
    ExpectBalanced(chain);
    EXPECT_FALSE(shoot(40, 60));
    EXPECT_EQ(pairs.Pairs, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 2}, {2, 3}}));
    ExpectBalanced(chain);
    chain.Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

}  // namespace
