#include "view/krzyz.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/toolbarbutton.h"
#include "foundation/errors.h"
#include "objects/grobj.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_custom.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dragframe.h"
#include "view/hinttools.h"
#include "view/tool_fixture.h"

namespace {

// A scripted tool: its cursor is a small cross at the pointer (At), its
// marker a box at Mark; every virtual operation answers what the test says
// and counts its calls.
class TProbe : public TKrzyz {
public:
  explicit TProbe(TKrzyzPointEvent OnPoint = {}) : TKrzyz(7, std::move(OnPoint)) {}

  void DrawCursor() override { Canvas->CrossMark(3, 3, At); }
  void DrawMarker() override { Canvas->RectMark(4, 4, Mark); }
  std::int32_t Move(const TRealPoint& Point) override {
    At = Point;
    ++Moves;
    return MoveResult;
  }
  bool Click(const TRealPoint& Point) override {
    ++Clicks;
    if (ClickThrows) ClickThrows();
    // A tool that takes a point takes its figures off first.
    if (ClickResult) HideAll();
    return ClickResult;
  }
  std::string GetHint() override { return HintText; }
  std::int32_t GetResult() override { return Result; }
  std::int32_t Backspace() override {
    if (Remaining > 0) --Remaining;
    return Remaining;
  }
  std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) override {
    ++RightClicks;
    return RightResult;
  }
  void Attach() override { ++Attaches; }
  void Detach() override { ++Detaches; }
  std::int32_t KeyDown(std::int32_t Key) override {
    Keys.push_back(Key);
    return KeyResult;
  }
  void GetPoint(TRealPoint& Point) override { Point = At; }

  TRealPoint At;
  TRealPoint Mark{20, 20};
  std::int32_t MoveResult = 0;
  bool ClickResult = true;
  std::function<void()> ClickThrows;
  std::string HintText = "SONDA";
  std::int32_t Result = 0;
  std::int32_t Remaining = 0;
  std::int32_t RightResult = kRightDefault;
  std::int32_t KeyResult = kKeyNotHandled;
  int Moves = 0;
  int Clicks = 0;
  int RightClicks = 0;
  int Attaches = 0;
  int Detaches = 0;
  std::vector<std::int32_t> Keys;
};

// What the finish callback saw.
struct FinishLog {
  std::vector<std::int32_t> Results;
  TKrzyzFinishEvent Event() {
    return [this](TKrzyz*, std::int32_t R) { Results.push_back(R); };
  }
};

enum class Raise { Nothing, Abort, Error };

void RaiseIt(Raise R) {
  if (R == Raise::Abort) throw EAbort();
  if (R == Raise::Error) throw Exception("zepsuty");
}

using KrzyzTest = ToolFixture;

TEST_F(KrzyzTest, ActivatingShowsTheFiguresAtThePointAfterClearingTheStatus) {
  TProbe probe;
  Activate(probe, TRealPoint{50, 100});

  ASSERT_GE(Statuses.size(), 2u);
  EXPECT_EQ(Statuses.front(), "  ");  // the no-point value has no text
  EXPECT_EQ(Statuses.back(), " 50.00 , 100.00 ");
  EXPECT_EQ(probe.Attaches, 1);
  EXPECT_EQ(view.Cursor(), platform::crCross);
  EXPECT_EQ(probe.Flags & (TKrzyz::kCursorShown | TKrzyz::kMarkerShown),
            TKrzyz::kCursorShown | TKrzyz::kMarkerShown);
  EXPECT_TRUE(Inverted(52, 100));  // the cursor cross's upper arm
  EXPECT_TRUE(Inverted(24, 24));   // the marker box's corner
  EXPECT_EQ(probe.Dims, &dims);

  probe.Deactivate();
  EXPECT_EQ(Drawn(), 0);
  EXPECT_EQ(probe.Detaches, 1);
  EXPECT_EQ(probe.View, nullptr);
  EXPECT_EQ(probe.Canvas, nullptr);
}

TEST_F(KrzyzTest, StatusTextOfTheNoPointValueIsEmptyAndOfAnEqualPointIsNot) {
  TProbe probe;
  const TRealPoint same = NoPoint();
  EXPECT_EQ(probe.GetStatusText(NoPoint()), "");
  EXPECT_EQ(probe.GetStatusText(same), "0.00 , 0.00");
  EXPECT_EQ(probe.GetStatusText(TRealPoint{12.5, -7}), "12.50 , -7.00");
  KrzyzConf().Decimals = 0;
  EXPECT_EQ(probe.GetStatusText(TRealPoint{12.4, -7}), "12 , -7");

  SetKrzyzStatusProc({});
  probe.ShowStatus(TRealPoint{1, 1});  // nobody listens: nothing happens
  EXPECT_TRUE(Statuses.empty());
}

TEST_F(KrzyzTest, FiguresStayInStepWithTheScreenThroughMovesAndRepaints) {
  TProbe probe;
  Activate(probe, TRealPoint{50, 100});
  for (double x : {10.0, 30.0, 99.0, 60.0}) {
    Move(probe, x, 2 * x);
    ExpectBalanced(probe);
  }
  EXPECT_EQ(probe.At, (TRealPoint{60, 120}));

  // A repaint fills the surface with the map; the figures come back.
  const std::vector<std::uint32_t> shown = Pixels();
  view.OnRepaint = [&] { probe.RedrawFigures(); };
  view.Invalidate();
  view.PaintNow();
  EXPECT_EQ(Pixels(), shown);
  EXPECT_EQ(probe.Flags & TKrzyz::kRepainting, 0);
  ExpectBalanced(probe);
}

TEST_F(KrzyzTest, ClickCompletesTheCommandByClickAndCallback) {
  struct Case {
    const char* Name;
    bool ClickResult;
    bool HasOnPoint;
    bool OnPointResult;
    bool Expected;
    int Calls;
  };
  const Case cases[] = {
      {"click takes nothing", false, true, true, false, 0},
      {"no callback: the click completes", true, false, false, true, 0},
      {"no callback, click takes nothing", false, false, false, false, 0},
      {"callback accepts", true, true, true, true, 1},
      {"callback refuses", true, true, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    int calls = 0;
    TProbe probe;
    if (c.HasOnPoint)
      probe.OnPoint = [&](TKrzyz* Sender) {
        EXPECT_EQ(Sender, &probe);
        EXPECT_TRUE(probe.IsBusy());
        ++calls;
        return c.OnPointResult;
      };
    probe.ClickResult = c.ClickResult;
    Activate(probe, TRealPoint{50, 50});
    EXPECT_EQ(Click(probe, 40, 60), c.Expected);
    EXPECT_EQ(calls, c.Calls);
    EXPECT_FALSE(probe.IsBusy());
    EXPECT_EQ((probe.Flags & TKrzyz::kAccepted) != 0, c.Calls > 0 && c.OnPointResult);
    if (!c.Expected) {
      // Refused or not taken: the figures are back where the pointer is.
      EXPECT_NE(probe.Flags & TKrzyz::kCursorShown, 0);
      EXPECT_TRUE(Inverted(42, 60));
    }
    ExpectBalanced(probe);
    probe.Deactivate();
    EXPECT_EQ(Drawn(), 0);
    EXPECT_TRUE(Errors.empty());
  }
}

TEST_F(KrzyzTest, ErrorsInClickAndCallbackAreShownWithThePrefixAndAbortsAreSilent) {
  struct Case {
    const char* Name;
    Raise InClick;
    Raise InOnPoint;
    bool Expected;
    int Calls;
    bool Shown;
  };
  // An error counts as a success of the step it ended; an abort in the click
  // ends the click, one in the callback counts as accepted.
  const Case cases[] = {
      {"abort in click ends the click", Raise::Abort, Raise::Nothing, false, 0, false},
      {"error in click counts as a point taken", Raise::Error, Raise::Nothing, true, 1, true},
      {"abort in callback counts as accepted", Raise::Nothing, Raise::Abort, true, 1, false},
      {"error in callback counts as accepted", Raise::Nothing, Raise::Error, true, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Errors.clear();
    int calls = 0;
    TProbe probe([&](TKrzyz*) {
      ++calls;
      RaiseIt(c.InOnPoint);
      return true;
    });
    probe.ClickThrows = [&] { RaiseIt(c.InClick); };
    Activate(probe, TRealPoint{50, 50});
    EXPECT_EQ(Click(probe, 40, 60), c.Expected);
    EXPECT_EQ(calls, c.Calls);
    if (c.Shown) {
      EXPECT_EQ(Errors, std::vector<std::string>{"Błąd w krzyżu: zepsuty"});
    } else {
      EXPECT_TRUE(Errors.empty());
    }
    if (c.Expected) {
      EXPECT_EQ(Drawn(), 0);  // the figures went before the message
      EXPECT_NE(probe.Flags & TKrzyz::kAccepted, 0);
    }
    EXPECT_FALSE(probe.IsBusy());
    ExpectBalanced(probe);
    probe.Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(KrzyzTest, FinishReportsOnceAndSucceedsUnlessTheResultIsNegative) {
  for (std::int32_t result : {1, 0, -1}) {
    SCOPED_TRACE(result);
    FinishLog log;
    TProbe probe;
    probe.OnFinish = log.Event();
    probe.Result = result;
    Activate(probe, TRealPoint{50, 50});

    EXPECT_EQ(probe.Finish(), result >= 0);
    EXPECT_FALSE(probe.Finish());
    EXPECT_EQ(log.Results, std::vector<std::int32_t>{result});
    EXPECT_EQ(probe.View, nullptr);
    EXPECT_EQ(probe.Detaches, 1);
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(KrzyzTest, ErrorInTheFinishCallbackIsShownAndTheToolStillEnds) {
  for (Raise r : {Raise::Abort, Raise::Error}) {
    Errors.clear();
    TProbe probe;
    probe.Result = -5;
    probe.OnFinish = [&](TKrzyz*, std::int32_t) { RaiseIt(r); };
    Activate(probe, TRealPoint{50, 50});
    EXPECT_TRUE(probe.Finish());
    EXPECT_EQ(Errors.size(), r == Raise::Error ? 1u : 0u);
    EXPECT_FALSE(probe.Finish());
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(KrzyzTest, BackspaceTakesBackInputUntilNoneIsLeftAndThenFinishes) {
  FinishLog log;
  std::vector<std::int32_t> remaining;
  TProbe probe;
  probe.Remaining = 2;
  probe.Result = 3;
  probe.OnFinish = log.Event();
  probe.OnBackspace = [&](TKrzyz*, std::int32_t N) { remaining.push_back(N); };
  Activate(probe, TRealPoint{50, 50});
  view.SetHint("");
  probe.HintText = "COFNIĘTO";

  EXPECT_FALSE(probe.HandleBackspace());
  EXPECT_EQ(view.Hint(), "COFNIĘTO");
  EXPECT_TRUE(log.Results.empty());
  EXPECT_TRUE(probe.HandleBackspace());
  EXPECT_EQ(remaining, (std::vector<std::int32_t>{1, 0}));
  EXPECT_EQ(log.Results, std::vector<std::int32_t>{3});
  EXPECT_EQ(Drawn(), 0);
}

TEST_F(KrzyzTest, ErrorInTheBackspaceCallbackIsShownAndSwallowed) {
  FinishLog log;
  TProbe probe;
  probe.OnFinish = log.Event();
  probe.OnBackspace = [](TKrzyz*, std::int32_t) -> void { throw Exception("cofanie"); };
  Activate(probe, TRealPoint{50, 50});
  EXPECT_TRUE(probe.HandleBackspace());
  EXPECT_EQ(Errors, std::vector<std::string>{"Błąd w krzyżu: cofanie"});
  EXPECT_EQ(log.Results.size(), 1u);
}

TEST_F(KrzyzTest, EventsReachingAToolInItsCallbackAreRefusedAndChangeNothing) {
  TProbe* self = nullptr;
  std::vector<std::int32_t> answers;
  TProbe probe([&](TKrzyz*) {
    const std::vector<std::uint32_t> before = Pixels();
    const TRealPoint at = self->At;
    TRealPoint p{70, 70};
    answers.push_back(self->HandleRightClick(p, TPoint{5, 5}));
    answers.push_back(self->HandleClick(p) ? 1 : 0);
    answers.push_back(self->HandleMove(p));
    answers.push_back(self->HandleKey(kVkReturn));
    EXPECT_EQ(self->At, at);
    EXPECT_EQ(Pixels(), before);
    return false;
  });
  self = &probe;
  probe.KeyResult = kKeyHandled;
  Activate(probe, TRealPoint{50, 50});
  Click(probe, 40, 60);
  EXPECT_EQ(answers, (std::vector<std::int32_t>{kRightNothing, 0, 0, kKeyNotHandled}));
  EXPECT_EQ(probe.Clicks, 1);
  EXPECT_EQ(probe.RightClicks, 0);
  EXPECT_TRUE(probe.Keys.empty());
  ExpectBalanced(probe);
}

TEST_F(KrzyzTest, RightClickAsksTheCallbackBeforeTheTool) {
  struct Case {
    const char* Name;
    bool HasCallback;
    std::int32_t Callback;
    std::int32_t Expected;
    int ToolCalls;
  };
  const Case cases[] = {
      {"no callback", false, 0, kRightBackspace, 1},
      {"callback 0 falls through", true, kRightBackspace, kRightBackspace, 1},
      {"callback 1 falls through", true, kRightDefault, kRightBackspace, 1},
      {"callback 2", true, kRightNothing, kRightNothing, 0},
      {"callback 3 ends the tool", true, kRightEnd, kRightEnd, 0},
      {"callback 4", true, kRightKeepMouse, kRightKeepMouse, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TProbe probe;
    probe.RightResult = kRightBackspace;
    if (c.HasCallback) probe.OnRightClick = [&](TKrzyz*) { return c.Callback; };
    Activate(probe, TRealPoint{50, 50});
    EXPECT_EQ(RightClick(probe), c.Expected);
    EXPECT_EQ(probe.RightClicks, c.ToolCalls);
    if (c.Expected == kRightEnd) {
      EXPECT_EQ(Drawn(), 0);
    }
    ExpectBalanced(probe);
    probe.Deactivate();
  }
}

TEST_F(KrzyzTest, NestedToolEndingHandsItsPointBackAndLeavesNoFigureBehind) {
  struct Case {
    const char* Name;
    std::function<void(TProbe& Inner)> Prepare;
    std::function<void(KrzyzTest& T, TProbe& Outer)> End;
  };
  const Case cases[] = {
      {"right click 3", [](TProbe& I) { I.RightResult = kRightEnd; },
       [](KrzyzTest& T, TProbe& O) { EXPECT_EQ(T.RightClick(O), kRightNothing); }},
      {"key 2", [](TProbe& I) { I.KeyResult = kKeyHandledEnd; },
       [](KrzyzTest&, TProbe& O) { EXPECT_EQ(O.HandleKey(27), kKeyHandled); }},
      {"backspace with nothing to take back", [](TProbe&) {},
       [](KrzyzTest&, TProbe& O) { EXPECT_FALSE(O.HandleBackspace()); }},
      {"click", [](TProbe&) {},
       [](KrzyzTest& T, TProbe& O) { EXPECT_FALSE(T.ClickOnly(O, 30, 90)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TProbe outer;
    Activate(outer, TRealPoint{50, 50});
    auto inner = std::make_unique<TProbe>();
    TProbe* in = inner.get();
    c.Prepare(*in);
    view.Pointer = TRealPoint{60, 80};
    outer.StartNestedOnce(std::move(inner));
    EXPECT_EQ(in->Parent, &outer);
    EXPECT_EQ(in->At, (TRealPoint{60, 80}));  // started at the pointer
    EXPECT_EQ(outer.Flags & TKrzyz::kMarkerShown, 0);
    Move(outer, 30, 90);
    EXPECT_EQ(outer.At, (TRealPoint{50, 50}));  // the inner tool had the move
    ExpectBalanced(outer);

    c.End(*this, outer);
    EXPECT_EQ(outer.Nested, nullptr);
    EXPECT_EQ(outer.Flags & TKrzyz::kNestedHere, 0);
    EXPECT_EQ(outer.At, (TRealPoint{30, 90}));
    EXPECT_EQ(outer.Detaches, 1);
    EXPECT_EQ(outer.Attaches, 2);
    ExpectBalanced(outer);
    outer.Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(KrzyzTest, NestedToolMovesItsParentOnlyWhenItSaysSo) {
  for (std::int32_t answer : {0, 1}) {
    TProbe outer;
    Activate(outer, TRealPoint{50, 50});
    auto inner = std::make_unique<TProbe>();
    inner->MoveResult = answer;
    outer.StartNested(std::move(inner));
    Move(outer, 10, 10);
    EXPECT_EQ(outer.At, (answer == 1 ? TRealPoint{10, 10} : TRealPoint{50, 50}));
    ExpectBalanced(outer);
    outer.Deactivate();  // a freed tool draws nothing: its figures go first
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(KrzyzTest, ZoomInsideALineCommandHandsBackItsPointAndTheCommandGoesOn) {
  std::vector<TRealPoint> linePoints;
  TProbe line([&](TKrzyz* Sender) {
    linePoints.push_back(static_cast<TProbe*>(Sender)->At);
    return true;
  });
  line.HintText = "LINIA";
  line.Mark = TRealPoint{20, 20};  // the line's first point, already taken
  view.SetHint("bezczynny");
  Activate(line, TRealPoint{30, 30});
  EXPECT_EQ(view.Hint(), "bezczynny");  // the probe is no hint tool

  std::vector<TRealRect> zooms;
  auto zoom = std::make_unique<TZoomRect>(0, [&](TKrzyz* Sender) {
    zooms.push_back(static_cast<TZoomRect*>(Sender)->Rect());
    return true;
  });
  zoom->SetHint("POWIĘKSZENIE OKNA");
  view.Pointer = TRealPoint{40, 40};
  line.StartNestedOnce(std::move(zoom));
  EXPECT_EQ(view.Hint(), "POWIĘKSZENIE OKNA");
  ExpectBalanced(line);

  EXPECT_FALSE(Click(line, 60, 100));
  ExpectBalanced(line);
  Move(line, 40, 60);
  ExpectBalanced(line);
  EXPECT_FALSE(Click(line, 40, 60));  // the zoom is done, the line is not
  ASSERT_EQ(zooms.size(), 1u);
  EXPECT_EQ(zooms[0], (TRealRect{40, 60, 60, 100}));
  EXPECT_EQ(line.Nested, nullptr);
  EXPECT_EQ(view.Hint(), "bezczynny");
  // The line's figures are back at the zoom's point.
  EXPECT_EQ(line.At, (TRealPoint{40, 60}));
  EXPECT_EQ(line.Flags & (TKrzyz::kCursorShown | TKrzyz::kMarkerShown),
            TKrzyz::kCursorShown | TKrzyz::kMarkerShown);
  ExpectBalanced(line);

  EXPECT_TRUE(Click(line, 70, 150));
  EXPECT_EQ(linePoints, std::vector<TRealPoint>{(TRealPoint{70, 150})});
}

TEST_F(KrzyzTest, SecondZoomReplacesTheFirstInsteadOfNestingAThird) {
  TProbe line;
  Activate(line, TRealPoint{30, 30});
  FinishLog first;
  auto z1 = std::make_unique<TZoomRect>(0, TKrzyzPointEvent{});
  z1->OnFinish = first.Event();
  line.StartNestedOnce(std::move(z1));
  auto z2 = std::make_unique<TZoomMove>(0, TKrzyzPointEvent{});
  TKrzyz* second = z2.get();
  line.StartNestedOnce(std::move(z2));

  EXPECT_EQ(line.Nested.get(), second);
  EXPECT_EQ(second->Nested, nullptr);
  EXPECT_EQ(first.Results.size(), 1u);
  ExpectBalanced(line);

  // Under a tool nested by the command itself the zoom goes one level down.
  TProbe command;
  Activate(command, TRealPoint{30, 30});
  auto sub = std::make_unique<TProbe>();
  TKrzyz* subTool = sub.get();
  command.StartNested(std::move(sub));
  command.StartNestedOnce(std::make_unique<TZoomRect>(0, TKrzyzPointEvent{}));
  EXPECT_EQ(command.Nested.get(), subTool);
  ASSERT_NE(subTool->Nested, nullptr);
  EXPECT_NE(subTool->Flags & TKrzyz::kNestedHere, 0);
  EXPECT_EQ(command.Innermost(), subTool->Nested.get());
}

TEST_F(KrzyzTest, StatusAndButtonReachTheWholeChain) {
  TProbe outer;
  outer.StartNested(std::make_unique<TProbe>());
  outer.SetStatus(0x30);
  EXPECT_EQ(outer.Status, 0x30u);
  EXPECT_EQ(outer.Nested->Status, 0x30u);

  // Buttons of a group that may be all up, as tool buttons are.
  platform::TSpeedButton speed;
  speed.SetGroupIndex(1);
  speed.SetAllowAllUp(true);
  TToolbarButton toolbar;
  toolbar.SetGroupIndex(1);
  toolbar.SetAllowAllUp(true);
  for (platform::TComponent* button : {static_cast<platform::TComponent*>(&speed),
                                       static_cast<platform::TComponent*>(&toolbar)}) {
    auto down = [&] {
      if (auto* s = dynamic_cast<platform::TSpeedButton*>(button)) return s->Down();
      return dynamic_cast<TToolbarButton*>(button)->Down();
    };
    TProbe tool;
    tool.SetButton(button);
    EXPECT_FALSE(down());  // not attached yet
    Activate(tool, TRealPoint{50, 50});
    EXPECT_TRUE(down());
    tool.Deactivate();
    EXPECT_FALSE(down());
    Activate(tool, TRealPoint{50, 50});
    tool.SetButton(nullptr);
    EXPECT_EQ(tool.Button, nullptr);
    tool.Deactivate();
    EXPECT_TRUE(down());  // no longer the tool's button
    tool.SetButton(button);
    EXPECT_FALSE(down());
  }
}

TEST_F(KrzyzTest, CrossAcrossTheWindowOrSmallAndTheSightFrame) {
  struct Probe : TKrzyz {
    using TKrzyz::TKrzyz;
    void DrawCursor() override { Frame ? DrawFrame(At) : DrawCross(At); }
    bool Frame = false;
    TRealPoint At{50, 100};
  };
  struct Case {
    const char* Name;
    bool Full;
    bool Frame;
    std::vector<TPoint> On;
    std::vector<TPoint> Off;
  };
  // The point falls on device (100, 50); the sight is 5 pixels each way.
  const Case cases[] = {
      {"full-window cross", true, false, {{1, 50}, {198, 50}, {100, 1}, {100, 98}}, {{93, 45}}},
      {"small cross", false, false, {{93, 50}, {106, 50}, {100, 43}, {100, 56}},
       {{92, 50}, {108, 50}, {1, 50}, {100, 42}}},
      {"sight frame", false, true, {{95, 45}, {105, 55}, {95, 55}}, {{100, 50}, {94, 44}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    KrzyzConf().RysujKrzyz = c.Full;
    Probe tool(0, {});
    tool.Frame = c.Frame;
    tool.Activate(&view, canvas.get(), TRealPoint{50, 100});
    for (const TPoint& p : c.On)
      EXPECT_NE(view.PixelAt(p.X, p.Y), background[p.Y * 200 + p.X]) << p.X << "," << p.Y;
    for (const TPoint& p : c.Off)
      EXPECT_EQ(view.PixelAt(p.X, p.Y), background[p.Y * 200 + p.X]) << p.X << "," << p.Y;
    tool.Deactivate();
    EXPECT_EQ(Drawn(), 0);
  }
}

TEST_F(KrzyzTest, ToolOnAPlainControlTakesThePointerFromTheSystemCursor) {
  platform::TPaintBox box;
  box.SetBounds(0, 0, 200, 100);
  TProbe outer;
  outer.Activate(&box, canvas.get(), TRealPoint{50, 50});
  const platform::TGdiPoint screen = platform::ClientToScreen(box, 40, 30);
  platform::SetCursorPos(screen.X, screen.Y);
  if (platform::CursorPos() != screen) GTEST_SKIP() << "the display does not move the pointer";
  auto inner = std::make_unique<TProbe>();
  TProbe* in = inner.get();
  outer.StartNested(std::move(inner));
  EXPECT_EQ(in->At, (TRealPoint{70, 40}));
  outer.Deactivate();
}

// A graphic object that counts its live instances.
class TCountedObj : public TEGraphObj {
public:
  TCountedObj() { ++Alive; }
  ~TCountedObj() override { --Alive; }
  static inline int Alive = 0;
  std::unique_ptr<TEGraphObj> CreateNew() const override { return std::make_unique<TCountedObj>(); }
  void Draw(TRealCanvas&) const override {}
  void Transform(const TAffineMatrix&) override {}
  void Move(const TRealPoint&) override {}
  TRealRect GetBounds() const override { return {}; }
};

class TCountedData : public TObject {
public:
  TCountedData() { ++Alive; }
  ~TCountedData() override { --Alive; }
  static inline int Alive = 0;
};

TEST_F(KrzyzTest, DataGoesWithTheToolUnlessAnOwnerHoldsIt) {
  {
    TProbe tool;
    tool.Data = std::make_unique<TCountedObj>();
    TProbe other;
    other.Data = std::make_unique<TCountedData>();
  }
  EXPECT_EQ(TCountedObj::Alive, 0);
  EXPECT_EQ(TCountedData::Alive, 0);

  auto* held = new TCountedObj;  // a sublayer's object the tool works on
  held->MarkInList();
  {
    TProbe tool;
    tool.Data.reset(held);
  }
  EXPECT_EQ(TCountedObj::Alive, 1);
  TEGraphObj::UnmarkInList(held);
  FreeGraphObj(held);
  EXPECT_EQ(TCountedObj::Alive, 0);
}

TEST_F(KrzyzTest, ShowingTheInnerMarkerWaitsForAToolInItsCallback) {
  TProbe outer;
  Activate(outer, TRealPoint{50, 50});
  outer.StartNested(std::make_unique<TProbe>());
  TKrzyz* inner = outer.Nested.get();
  outer.HideMarkerInner();
  EXPECT_EQ(inner->Flags & TKrzyz::kMarkerShown, 0);
  outer.Flags |= TKrzyz::kInCallback;
  outer.ShowMarkerInner();
  EXPECT_EQ(inner->Flags & TKrzyz::kMarkerShown, 0);
  outer.Flags &= static_cast<std::uint8_t>(~TKrzyz::kInCallback);
  outer.ShowMarkerInner();
  EXPECT_NE(inner->Flags & TKrzyz::kMarkerShown, 0);
  ExpectBalanced(outer);
}

}  // namespace
