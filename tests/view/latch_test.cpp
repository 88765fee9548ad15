// The snapping tool and its pointer tools: the snap modes allowed at each
// point index, the snaps themselves on a small map, the snapping keys, every
// result of the snapping window, the entry modes against computed points,
// the snap mode written back on detach, and the one point, segment, chain,
// midpoint and rectangle tools with Backspace at each stage.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "common/layer_classes.h"
#include "foundation/errors.h"
#include "foundation/settings/settings.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "objects/layerline.h"
#include "objects/layerobjects.h"
#include "objects/linestylelib.h"
#include "objects/saverecord.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/files/inifile.h"
#include "platform/gui/messages.h"
#include "platform/gui/responder.h"
#include "common/scratch_folder.h"
#include "latch_fixture.h"
#include "tool_fixture.h"
#include "view/baseline.h"
#include "view/krzyzconf.h"
#include "view/latch.h"
#include "view/latchdialog.h"
#include "view/pointtools.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

namespace {

constexpr double kPi = std::numbers::pi;

// A snapping tool that keeps every point it is given and answers as told.
class Recorder : public TLatchKrzyz {
public:
  Recorder() : TLatchKrzyz(0, nullptr) {}
  bool AddPoint(const TLatchEntry& Entry) override {
    CurrentEntry() = Entry;
    points.push_back(Entry);
    return complete;
  }
  bool DoExtraResult(std::int32_t ModalResult) override {
    extra.push_back(ModalResult);
    return true;
  }
  void Place(std::int32_t Index, std::vector<TLatchEntry> Points) {
    PointIndex = Index;
    for (std::size_t i = 0; i < Points.size(); ++i) Entries[i] = Points[i];
  }
  std::vector<TLatchEntry> points;
  std::vector<std::int32_t> extra;
  bool complete = true;
};

// The sound signal stays off in these tests (it would start beep threads),
// and the snap mode the tools write back on leaving is put back afterwards.
class SignalOff {
public:
  SignalOff() : signal_(KrzyzConf().Signal), snapType_(KrzyzConf().SnapType) { KrzyzConf().Signal = false; }
  ~SignalOff() {
    KrzyzConf().Signal = signal_;
    KrzyzConf().SnapType = snapType_;
  }

private:
  bool signal_;
  std::uint8_t snapType_;
};

void ExpectEntry(const TLatchEntry& E, double X, double Y, const std::string& What) {
  EXPECT_NEAR(E.X, X, 1e-9) << What;
  EXPECT_NEAR(E.Y, Y, 1e-9) << What;
}

// --- Snap modes by point index -------------------------------------------------

TEST(LatchModes, ModesNotAllowedAtThePointIndexFallBackAndEightOnlyAsksForGuidance) {
  struct Case {
    std::int32_t index;
    std::uint8_t requested;
    std::uint8_t mode;  // from mode 1
    bool axis;
  };
  const Case cases[] = {
      {0, 0, 0, false}, {0, 3, 3, false}, {0, 4, 4, false}, {0, 5, 0, false}, {0, 6, 0, false},
      {0, 7, 0, false}, {0, 8, 1, true},  {0, 9, 0, false}, {0, 200, 0, false},
      {1, 5, 5, false}, {1, 6, 5, false}, {1, 7, 5, false}, {1, 8, 1, true},  {1, 12, 5, false},
      {2, 5, 5, false}, {2, 6, 6, false}, {2, 7, 7, false}, {2, 8, 1, true},  {2, 16, 6, false},
  };
  for (const Case& c : cases) {
    Recorder tool;
    tool.SnapMode = 1;
    tool.PointIndex = c.index;
    tool.Redraw(c.requested);
    const std::string what = "index " + std::to_string(c.index) + ", mode " + std::to_string(c.requested);
    EXPECT_EQ(tool.SnapMode, c.mode) << what;
    EXPECT_EQ((tool.Options & TLatchKrzyz::kAxisRequested) != 0, c.axis) << what;
  }
  // Choosing a real mode takes the guidance request back.
  Recorder tool;
  tool.Redraw(8);
  tool.Redraw(4);
  EXPECT_EQ(tool.SnapMode, 4);
  EXPECT_EQ(tool.Options & TLatchKrzyz::kAxisRequested, 0);
  EXPECT_EQ(tool.GetLatchModeName(), "Zatrzask do lini");
}

TEST(LatchModes, HintTakesThePartOfThePointIndexAndTheModeName) {
  TLatchKrzyz tool(0, nullptr, "Wskaż początek|Wskaż koniec");
  EXPECT_EQ(tool.GetHint(), "Wskaż początek Bez zatrzasku");
  tool.PointIndex = 1;
  tool.SnapMode = 7;
  EXPECT_EQ(tool.GetHint(), "Wskaż koniec Zatrzask do kąta półpełnego");
  tool.PointIndex = 2;  // fewer parts: the last one
  EXPECT_EQ(tool.GetHint(), "Wskaż koniec Zatrzask do kąta półpełnego");
}

TEST(LatchModes, SlidingWindowKeepsTheLastTwoPointsAndDropLastPointStepsBack) {
  Recorder tool;
  const double xs[] = {1, 2, 3, 4};
  for (double x : xs) {
    tool.CurrentEntry() = TLatchEntry{x, 0, 0};
    tool.NextPoint();
  }
  EXPECT_EQ(tool.PointIndex, 2);
  ExpectEntry(tool.Entries[0], 3, 0, "older");
  ExpectEntry(tool.Entries[1], 4, 0, "newest");
  tool.CurrentEntry() = TLatchEntry{9, 9, 0};
  tool.DropLastPoint();
  EXPECT_EQ(tool.PointIndex, 1);
  ExpectEntry(tool.Entries[1], 9, 9, "the current entry moved down");
  tool.DropLastPoint();
  tool.DropLastPoint();
  EXPECT_EQ(tool.PointIndex, 0);

  // A saved state with an index out of range comes back inside the window.
  TLatchState state;
  state.PointIndex = 7;
  tool.RestoreState(state);
  EXPECT_EQ(tool.PointIndex, 2);
  state.PointIndex = -3;
  tool.RestoreState(state);
  EXPECT_EQ(tool.PointIndex, 0);
}

// --- Snaps that need no map ----------------------------------------------------

TEST(LatchSnaps, DirectionModesProjectOntoTheLastDirectionAndNeedTwoPoints) {
  SignalOff quiet;
  struct Case {
    std::uint8_t mode;
    std::int32_t index;
    bool accepted;
    double x, y;
  };
  // Entries 0 (0, 0) and 1 (0, 10): the last direction points east.
  const Case cases[] = {
      {0, 2, true, 5, 13},    // unchanged
      {1, 2, true, 5, 13},    // no view: nothing to snap to, the cursor point stays
      {6, 2, true, 5, 10},    // across the direction at the last point
      {7, 2, true, 0, 13},    // along the direction
      {6, 1, false, 0, 0},    // one previous point is not a direction
      {7, 0, false, 0, 0},
      {5, 0, false, 0, 0},    // no previous point to drop a perpendicular from
      {2, 2, false, 0, 0},    // modes that need the map refuse without one
      {3, 2, false, 0, 0},
      {4, 2, false, 0, 0},
      {8, 2, false, 0, 0},    // guidance is no snap
      {0x86, 2, true, 5, 10},  // bits above 0x7F ignored
  };
  for (const Case& c : cases) {
    Recorder tool;
    tool.Place(c.index, {{0, 0, 0}, {0, 10, 0}, {0, 0, 0}});
    const bool r = tool.LatchPoint(c.mode, TLatchEntry{5, 13, 1.5f});
    const std::string what = "mode " + std::to_string(c.mode) + " at index " + std::to_string(c.index);
    EXPECT_EQ(r, c.accepted) << what;
    ASSERT_EQ(tool.points.size(), c.accepted ? 1u : 0u) << what;
    if (!c.accepted) {
      EXPECT_EQ(tool.PointIndex, c.index) << what << ": a refused point moves nothing";
      continue;
    }
    ExpectEntry(tool.points[0], c.x, c.y, what);
    EXPECT_FLOAT_EQ(tool.points[0].Z, 1.5f) << what;
  }
}

// --- Pointer tools --------------------------------------------------------------

class PointerToolTest : public ToolFixture {
protected:
  SignalOff quiet;

  // A callback that keeps the segment (or point) of every report.
  TKrzyzPointEvent Keep(std::vector<std::pair<TRealPoint, TRealPoint>>& Into, bool Answer) {
    return [&Into, Answer](TKrzyz* Sender) {
      auto* t = static_cast<TLatchKrzyz*>(Sender);
      TRealPoint a;
      TRealPoint b;
      t->GetFirstSegment(a, b);
      TRealPoint last;
      t->GetPrevPoint(last);
      Into.push_back({a, last});
      return Answer;
    };
  }
};

TEST_F(PointerToolTest, OnePointToolReportsTheClickedPoint) {
  std::vector<std::pair<TRealPoint, TRealPoint>> got;
  TLWskPunktKrzyz tool(0, Keep(got, true));
  Activate(tool, TRealPoint{5, 5});
  EXPECT_GT(Drawn(), 0) << "the cross follows the pointer";
  EXPECT_TRUE(Click(tool, 20, 30));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_DOUBLE_EQ(got[0].second.X, 20);
  EXPECT_DOUBLE_EQ(got[0].second.Y, 30);
  ExpectBalanced(tool);

  auto copy = tool.Clone();
  auto* fresh = dynamic_cast<TLWskPunktKrzyz*>(copy.get());
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Stage, 0);
  EXPECT_EQ(fresh->PointIndex, 0);
}

TEST_F(PointerToolTest, TheMarkerIsTheCrossOrTheSightBoxByMode) {
  struct Case {
    std::uint8_t mode;
    bool cross;
    bool box;
  };
  const Case cases[] = {{0, true, false}, {1, true, true},  {2, false, true}, {3, false, true}, {4, false, true},
                        {5, false, true}, {6, true, false}, {7, true, false}, {8, false, false}};
  for (const Case& c : cases) {
    TLWskPunktKrzyz tool(0, nullptr);
    Activate(tool, TRealPoint{50, 100});
    tool.HideAll();
    tool.SnapMode = c.mode;
    tool.ShowAll();
    const std::string what = "mode " + std::to_string(c.mode);
    EXPECT_EQ(Inverted(50, 106), c.cross) << what << ": an arm of the cross";
    EXPECT_EQ(Inverted(55, 105), c.box) << what << ": a corner of the sight box";
    ExpectBalanced(tool);
    tool.Deactivate();
  }
}

TEST_F(PointerToolTest, SegmentToolWithBackspaceAtEachStage) {
  std::vector<std::pair<TRealPoint, TRealPoint>> got;
  TLWskLineKrzyz tool(0, Keep(got, false));
  Activate(tool, TRealPoint{10, 10});

  // Backspace before any point: the tool ends.
  {
    TLWskLineKrzyz other(0, nullptr);
    Activate(other, TRealPoint{10, 10});
    EXPECT_TRUE(other.HandleBackspace());
  }

  EXPECT_FALSE(Click(tool, 10, 10));
  EXPECT_EQ(tool.Stage, 3);
  Move(tool, 10, 50);
  EXPECT_TRUE(Inverted(10, 30)) << "rubber segment from the first point";
  EXPECT_EQ(Statuses.back(), " 40.00  10.00 , 50.00 ");
  ExpectBalanced(tool);

  // Backspace after the first point: back to pointing the first point.
  EXPECT_FALSE(tool.HandleBackspace());
  EXPECT_EQ(tool.Stage, 1);
  EXPECT_EQ(tool.PointIndex, 0);
  EXPECT_FALSE(Inverted(10, 30));
  ExpectBalanced(tool);

  EXPECT_FALSE(Click(tool, 20, 20));
  EXPECT_FALSE(Click(tool, 20, 60));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_DOUBLE_EQ(got[0].first.X, 20);
  EXPECT_DOUBLE_EQ(got[0].first.Y, 20);
  EXPECT_DOUBLE_EQ(got[0].second.X, 20);
  EXPECT_DOUBLE_EQ(got[0].second.Y, 60);
  EXPECT_EQ(tool.Stage, 1) << "a new segment starts afresh";
  ExpectBalanced(tool);

  // At the first point again: Backspace ends the tool.
  EXPECT_TRUE(tool.HandleBackspace());
}

TEST_F(PointerToolTest, ChainReportsEverySegmentFromThePreviousEnd) {
  std::vector<std::pair<TRealPoint, TRealPoint>> got;
  TLWskLineKrzyzI tool(0, Keep(got, false));
  Activate(tool, TRealPoint{10, 10});
  const TRealPoint clicks[] = {{10, 10}, {10, 50}, {40, 50}, {40, 90}};
  for (const TRealPoint& p : clicks) Click(tool, p.X, p.Y);
  ASSERT_EQ(got.size(), 3u);
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_DOUBLE_EQ(got[i].first.X, clicks[i].X) << i;
    EXPECT_DOUBLE_EQ(got[i].first.Y, clicks[i].Y) << i;
    EXPECT_DOUBLE_EQ(got[i].second.X, clicks[i + 1].X) << i;
    EXPECT_DOUBLE_EQ(got[i].second.Y, clicks[i + 1].Y) << i;
  }
  Move(tool, 80, 90);
  EXPECT_TRUE(Inverted(60, 90)) << "the next segment follows from the last end";
  ExpectBalanced(tool);

  // Backspace in the chain: the last end is given up, pointing starts again.
  EXPECT_FALSE(tool.HandleBackspace());
  EXPECT_EQ(tool.Stage, 1);
  EXPECT_FALSE(Click(tool, 70, 20));
  EXPECT_EQ(got.size(), 3u);
  Click(tool, 70, 80);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_DOUBLE_EQ(got[3].first.Y, 20);
  EXPECT_DOUBLE_EQ(got[3].second.Y, 80);
  ExpectBalanced(tool);
}

TEST_F(PointerToolTest, AxisGuidanceHandsTheMidpointOfTwoPointsToTheTool) {
  std::vector<std::pair<TRealPoint, TRealPoint>> got;
  TLWskPunktKrzyz tool(0, Keep(got, false));
  Activate(tool, TRealPoint{10, 10});
  tool.StartAxisGuidance();
  auto* middle = dynamic_cast<TLWskMiddleKrzyz*>(tool.Nested.get());
  ASSERT_NE(middle, nullptr);

  Click(tool, 10, 10);
  EXPECT_TRUE(got.empty());
  Move(tool, 30, 50);
  // The tool itself stands at the middle of the pointed segment.
  EXPECT_DOUBLE_EQ(tool.CurrentEntry().X, 20);
  EXPECT_DOUBLE_EQ(tool.CurrentEntry().Y, 30);
  ExpectBalanced(tool);

  Click(tool, 30, 50);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_DOUBLE_EQ(got[0].second.X, 20);
  EXPECT_DOUBLE_EQ(got[0].second.Y, 30);
  EXPECT_EQ(tool.Nested, nullptr) << "guidance asked for once ends after one pair";
  ExpectBalanced(tool);
}

TEST_F(PointerToolTest, RectangleToolsShowTheFrameAndItsSize) {
  for (int ns = 0; ns < 2; ++ns) {
    std::vector<std::pair<TRealPoint, TRealPoint>> got;
    std::unique_ptr<TLWskRectKrzyz> tool = ns != 0 ? std::make_unique<TLWskRectNSKrzyz>(0, Keep(got, false))
                                                   : std::make_unique<TLWskRectKrzyz>(0, Keep(got, false));
    const std::string what = ns != 0 ? "drawn where visible" : "plain";
    Activate(*tool, TRealPoint{10, 10});
    Move(*tool, 10, 10);
    EXPECT_EQ(Statuses.back(), " 10.00 , 10.00 ") << what;
    Click(*tool, 10, 10);
    Move(*tool, 30, 50);
    EXPECT_EQ(Statuses.back(), " 20.00 , 40.00  30.00 , 50.00 ") << what;
    EXPECT_TRUE(Inverted(10, 30)) << what << ": the side along the first corner";
    EXPECT_TRUE(Inverted(20, 50)) << what << ": the side through the pointer";
    ExpectBalanced(*tool);
    EXPECT_FALSE(tool->HandleBackspace()) << what;
    EXPECT_FALSE(Inverted(10, 30)) << what;
    Click(*tool, 10, 10);
    Click(*tool, 30, 50);
    ASSERT_EQ(got.size(), 1u) << what;
    EXPECT_DOUBLE_EQ(got[0].first.X, 10) << what;
    EXPECT_DOUBLE_EQ(got[0].second.Y, 50) << what;
    ExpectBalanced(*tool);
    tool->Deactivate();
  }
}

// --- Keys -----------------------------------------------------------------------

class LatchKeyTest : public ToolFixture {
protected:
  SignalOff quiet;
  platform::TScriptedResponder responder{[](const std::string& m) { ADD_FAILURE() << m; }};
};

TEST_F(LatchKeyTest, SnapKeysByPointIndexAndTheModeStays) {
  struct Case {
    std::int32_t key;
    std::int32_t index;
    std::int32_t result;
    std::size_t added;
  };
  const Case cases[] = {
      {platform::VK_F2, 0, kKeyHandledEnd, 1},
      {platform::VK_F3, 0, kKeyHandledEnd, 1},               // nothing near: the cursor point
      {platform::VK_F4, 0, kKeyHandled, 0},                  // unconditional: refused
      {platform::VK_F4 | kKeyShift, 0, kKeyHandled, 0},
      {platform::VK_F5, 0, kKeyHandled, 0},
      {platform::VK_F5 | kKeyShift, 0, kKeyNotHandled, 0},   // needs a previous point
      {platform::VK_F5 | kKeyShift, 1, kKeyHandled, 0},
      {platform::VK_F6, 1, kKeyNotHandled, 0},
      {platform::VK_F6, 2, kKeyHandledEnd, 1},
      {platform::VK_F6 | kKeyShift, 1, kKeyNotHandled, 0},
      {platform::VK_F6 | kKeyShift, 2, kKeyHandledEnd, 1},
      {platform::VK_F2 | kKeyCtrl, 0, kKeyNotHandled, 0},
      {'A', 0, kKeyNotHandled, 0},
      {platform::VK_F7, 0, kKeyNotHandled, 0},              // only with the right Alt
  };
  for (const Case& c : cases) {
    int reports = 0;
    Recorder tool;
    tool.OnPoint = [&reports](TKrzyz*) { return ++reports > 0; };
    Activate(tool, TRealPoint{5, 13});
    tool.Place(c.index, {{0, 0, 0}, {0, 10, 0}, {5, 13, 0}});
    tool.SnapMode = 4;
    const std::string what = "key " + std::to_string(c.key) + " at index " + std::to_string(c.index);
    EXPECT_EQ(tool.HandleKey(c.key), c.result) << what;
    EXPECT_EQ(tool.points.size(), c.added) << what;
    EXPECT_EQ(reports, static_cast<int>(c.added)) << what;
    EXPECT_EQ(tool.SnapMode, 4) << what;
    tool.Deactivate();
  }
}

TEST_F(LatchKeyTest, DigitKeysOpenTheWindowWithTheDigitTyped) {
  struct Case {
    std::int32_t key;
    std::string text;
  };
  const Case cases[] = {{'7', "7"}, {'0', "0"}, {platform::VK_NUMPAD0 + 3, "3"}, {0xBD, "-"}, {0x6D, "-"}};
  for (const Case& c : cases) {
    Recorder tool;
    Activate(tool, TRealPoint{5, 5});
    std::optional<std::string> seen;
    responder.AnswerForm([&seen](platform::TForm& form) {
      if (auto* edit = form.Find<platform::TCustomEdit>("EditX")) seen = edit->Text();
      form.SetModalResult(platform::mrCancel);
    });
    EXPECT_EQ(tool.HandleKey(c.key), kKeyHandled) << c.text;
    EXPECT_EQ(seen, c.text) << "key " << c.key;
    EXPECT_NE(tool.Dialog(), nullptr);
    tool.Deactivate();
  }
}

TEST_F(LatchKeyTest, RightAltKeysOpenTheWindowInTheBaseLineModes) {
  const std::pair<std::int32_t, std::uint8_t> cases[] = {
      {platform::VK_F7 | kKeyAltGr, kEntryOffsets}, {platform::VK_F8 | kKeyAltGr, kEntryDistances}, {platform::VK_F9 | kKeyAltGr, kEntryAngles}};
  for (const auto& [key, mode] : cases) {
    Recorder tool;
    Activate(tool, TRealPoint{5, 5});
    std::optional<int> shown;
    responder.AnswerForm([&shown](platform::TForm& form) {
      shown = dynamic_cast<TLatchDialog&>(form).InputMode();
      form.SetModalResult(platform::mrCancel);
    });
    EXPECT_EQ(tool.HandleKey(key), kKeyHandled);
    EXPECT_EQ(tool.EntryMode, mode);
    EXPECT_EQ(shown, mode);
    tool.Deactivate();
  }
}

TEST_F(LatchKeyTest, TheThreeCoordinateOptionChoosesTheWindow) {
  Recorder tool;
  EXPECT_EQ(dynamic_cast<TLatchDialog3d*>(tool.CreateDialog().get()), nullptr);
  tool.SetOption(true);
  EXPECT_NE(dynamic_cast<TLatchDialog3d*>(tool.CreateDialog().get()), nullptr);
  // Copies keep the option, not the points.
  tool.PointIndex = 2;
  TLatchKrzyz copy(tool);
  EXPECT_NE(copy.Options & TLatchKrzyz::kDialog3d, 0);
  EXPECT_EQ(copy.PointIndex, 0);
  tool.SetOption(false);
  EXPECT_EQ(tool.Options & TLatchKrzyz::kDialog3d, 0);
}

// --- On a small map --------------------------------------------------------------

class LatchViewTest : public LatchMapTest {
protected:
  Recorder& Install() { return LatchMapTest::Install(std::make_unique<Recorder>()); }
};

TEST_F(LatchViewTest, SnapModesOnTheMap) {
  struct Case {
    std::uint8_t mode;
    TRealPoint at;
    bool accepted;
    double x, y;
  };
  const Case cases[] = {
      {1, {52, 60}, true, 52, 60},     // no vertex within the sight: the cursor point
      {1, {48, 177}, true, 50, 180},   // the end vertex of A
      {2, {52, 60}, false, 0, 0},      // unconditional: nothing near, refused
      {2, {12, 98}, true, 10, 100},    // the start vertex of B
      {3, {52, 103}, true, 50, 100},   // the crossing of A and B
      {3, {52, 60}, false, 0, 0},      // only A near: no crossing
      {4, {52, 60}, true, 50, 60},     // onto A
      {4, {30, 60}, false, 0, 0},      // no line within the sight
  };
  for (const Case& c : cases) {
    Recorder& tool = Install();
    const std::string what = "mode " + std::to_string(c.mode);
    EXPECT_EQ(tool.LatchPoint(c.mode, TLatchEntry{c.at.X, c.at.Y, 0}), c.accepted) << what;
    ASSERT_EQ(tool.points.size(), c.accepted ? 1u : 0u) << what;
    if (c.accepted) {
      ExpectEntry(tool.points[0], c.x, c.y, what);
    }
    if (!c.accepted) {
      EXPECT_EQ(tool.PointIndex, 0) << what;
    }
  }
}

TEST_F(LatchViewTest, PerpendicularFromThePreviousPointOntoTheLineNearTheCursor) {
  Recorder& tool = Install();
  tool.Place(1, {{70, 60, 0}, {0, 0, 0}});
  EXPECT_TRUE(tool.LatchPoint(5, TLatchEntry{51, 140, 0}));
  ASSERT_EQ(tool.points.size(), 1u);
  ExpectEntry(tool.points[0], 50, 60, "foot from (70, 60) onto A");
}

TEST_F(LatchViewTest, SnappingTheFirstPointOntoALineGivesItsOtherEndAsThePreviousPoint) {
  Recorder& tool = Install();
  EXPECT_TRUE(tool.LatchPoint(1, TLatchEntry{51, 22, 0}));
  ExpectEntry(tool.points[0], 50, 20, "the start of A");
  EXPECT_EQ(tool.PointIndex, 2);
  ExpectEntry(tool.Entries[0], 50, 180, "the other end became the previous point");
  ExpectEntry(tool.Entries[1], 50, 20, "the snapped point");
  // Straight on along A with the straight-angle key.
  tool.CurrentEntry() = TLatchEntry{55, 5, 0};
  EXPECT_EQ(tool.HandleKey(platform::VK_F6 | kKeyShift), kKeyHandledEnd);
  ASSERT_EQ(tool.points.size(), 2u);
  ExpectEntry(tool.points[1], 50, 5, "prolongation of A");
}

TEST_F(LatchViewTest, TheExcludedObjectIsNeverSnappedTo) {
  Recorder& tool = Install();
  tool.Excluded = lineA;
  EXPECT_FALSE(tool.LatchPoint(4, TLatchEntry{52, 60, 0}));
  EXPECT_FALSE(tool.LatchPoint(3, TLatchEntry{52, 103, 0}));
  EXPECT_FALSE(tool.LatchPoint(2, TLatchEntry{49, 178, 0}));
  EXPECT_TRUE(tool.points.empty());
}

TEST_F(LatchViewTest, AttachTakesTheViewsModeAndDetachWritesTheModeBack) {
  view->SnapType = 3;
  Recorder& first = Install();
  EXPECT_EQ(first.SnapMode, 3);
  first.Redraw(4);
  view->ResetKrzyz();
  EXPECT_EQ(view->SnapType, 4);
  // The next tool starts in that mode.
  Recorder& second = Install();
  EXPECT_EQ(second.SnapMode, 4);

  // A fallback set by Redraw is what goes back.
  second.PointIndex = 1;
  second.Redraw(7);  // not allowed with one point
  EXPECT_EQ(second.SnapMode, 5);
  view->ResetKrzyz();
  EXPECT_EQ(view->SnapType, 5);
  EXPECT_EQ(KrzyzConf().SnapType, 5);
  platform::TIniFile ini(scratch_ / "zapis.ini");
  KrzyzConf().Write(ini);
  EXPECT_EQ(ini.ReadInteger("Krzyz", "Typ zatrzasku", -1), 5);
  // A tool without a previous point cannot start in 5: its own fallback.
  EXPECT_EQ(Install().SnapMode, 0);
}

TEST_F(LatchViewTest, EntryModesGiveTheComputedPoints) {
  view->SetPaintInPaint(std::make_unique<TBaseLine>(TRealPoint{0, 0}, TRealPoint{0, 100}));
  struct Case {
    std::uint8_t mode;
    double a, b;
    double x, y;
  };
  // Entries 0 (0, 0) and 1 (0, 10); the base line runs east from (0, 0) to
  // (0, 100), so its right side is to the south.
  const Case cases[] = {
      {kEntryXY, 10, 20, 10, 20},
      {kEntryRelative, 3, 4, 3, 14},
      {kEntryAzimuth, 10, kPi / 2, 0, 20},
      {kEntryAzimuth, 10, 0, 10, 10},
      {kEntryLastDirection, 5, kPi / 2, 5, 10},  // clockwise from the way back: north
      {kEntryLastDirection, 5, 0, 0, 5},         // straight back
      {kEntryOffsets, 30, 10, -10, 30},
      {kEntryDistances, 50, std::sqrt(4500.0), -30, 40},
      {kEntryAngles, kPi / 4, std::atan(30.0 / 70.0), -30, 30},
      {kEntryPolar, 50, std::atan(30.0 / 40.0), -30, 40},
  };
  for (const Case& c : cases) {
    Recorder& tool = Install();
    tool.OnPoint = [](TKrzyz*) { return false; };
    tool.Place(2, {{0, 0, 0}, {0, 10, 0}, {7, 7, 0}});
    Answer(platform::mrOk, Values(c.mode, c.a, c.b, 2.5));
    const std::string what = "entry mode " + std::to_string(c.mode);
    EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, "")) << what;
    ASSERT_EQ(tool.points.size(), 1u) << what;
    EXPECT_NEAR(tool.points[0].X, c.x, 1e-6) << what;
    EXPECT_NEAR(tool.points[0].Y, c.y, 1e-6) << what;
    EXPECT_FLOAT_EQ(tool.points[0].Z, 2.5f) << what;
    EXPECT_EQ(tool.EntryMode, c.mode) << what;
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(LatchViewTest, TypedInputThatCannotBePlacedIsShownAndTheToolStays) {
  struct Case {
    std::uint8_t mode;
    std::int32_t index;
    std::vector<TLatchEntry> entries;
    std::string message;
  };
  const Case cases[] = {
      {kEntryLastDirection, 2, {{4, 4, 0}, {4, 4, 0}}, "Poprzednia linia ma zerową długość"},
      {kEntryLastDirection, 1, {{0, 0, 0}, {4, 4, 0}}, kNoPreviousPoint},
      {kEntryRelative, 0, {}, kNoPreviousPoint},
      {kEntryAzimuth, 0, {}, kNoPreviousPoint},
      {kEntryOffsets, 2, {{0, 0, 0}, {0, 10, 0}}, kNoBaseLine},
  };
  for (const Case& c : cases) {
    Recorder& tool = Install();
    tool.Place(c.index, c.entries);
    errors.clear();
    Answer(platform::mrOk, Values(c.mode, 5, 1));
    EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
    EXPECT_TRUE(tool.points.empty()) << c.message;
    EXPECT_EQ(tool.PointIndex, c.index) << c.message;
    EXPECT_EQ(errors, std::vector<std::string>{std::string(kKrzyzErrorPrefix) + c.message});
    EXPECT_EQ(view->Krzyz(), &tool) << "the tool survives";
  }
}

TEST_F(LatchViewTest, CloseKeepsZAbortTakesBackAndUnknownResultsDoNothing) {
  auto owned = std::make_unique<TLWskLineKrzyz>(0, nullptr);
  TLWskLineKrzyz& tool = *owned;
  view->SetKrzyz(std::move(owned));
  Click(tool, 20, 20);
  ASSERT_EQ(tool.Stage, 3);

  Answer(platform::mrCancel, Values(kEntryXY, 0, 0, 7.5));
  EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
  EXPECT_FLOAT_EQ(tool.CurrentEntry().Z, 7.5f);
  EXPECT_EQ(tool.Nested, nullptr) << "no guidance was asked for";

  Answer(50);
  EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
  EXPECT_EQ(tool.Stage, 3);

  // Abort is the tool's Backspace: back to the first point, then the end.
  Answer(platform::mrAbort);
  EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
  EXPECT_EQ(tool.Stage, 1);
  EXPECT_EQ(tool.PointIndex, 0);
  Answer(platform::mrAbort);
  EXPECT_TRUE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
}

TEST_F(LatchViewTest, OneTimeSnapsAndExtraResults) {
  struct Case {
    int result;
    std::int32_t index;  // previous points (70, 60) and (70, 100)
    TRealPoint at;
    bool accepted;
    double x, y;
  };
  const Case cases[] = {
      {kLatchSnapOnce + 0, 0, {30, 30}, true, 30, 30},
      {kLatchSnapOnce + 1, 0, {30, 30}, true, 30, 30},
      {kLatchSnapOnce + 2, 0, {30, 30}, false, 0, 0},
      {kLatchSnapOnce + 2, 0, {48, 23}, true, 50, 20},
      {kLatchSnapOnce + 3, 0, {52, 103}, true, 50, 100},
      {kLatchSnapOnce + 4, 0, {52, 60}, true, 50, 60},
      {kLatchSnapOnce + 5, 1, {51, 140}, true, 50, 60},
      {kLatchSnapOnce + 5, 0, {51, 140}, false, 0, 0},
      {kLatchSnapOnce + 6, 2, {80, 130}, true, 80, 100},
      {kLatchSnapOnce + 7, 2, {80, 130}, true, 70, 130},
      {kLatchSnapOnce + 7, 1, {80, 130}, false, 0, 0},
  };
  for (const Case& c : cases) {
    Recorder& tool = Install();
    tool.OnPoint = [](TKrzyz*) { return false; };
    tool.Place(c.index, {{70, 60, 0}, {70, 100, 0}, {0, 0, 0}});
    tool.CurrentEntry() = TLatchEntry{c.at.X, c.at.Y, 0};
    Answer(c.result, Values(kEntryXY, 0, 0, 3));
    EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
    const std::string what = "result " + std::to_string(c.result) + " at index " + std::to_string(c.index);
    ASSERT_EQ(tool.points.size(), c.accepted ? 1u : 0u) << what;
    if (c.accepted) {
      ExpectEntry(tool.points[0], c.x, c.y, what);
    }
    // The window's Z goes with the point where no object gives one.
    if (c.result == kLatchSnapOnce) {
      EXPECT_FLOAT_EQ(tool.points[0].Z, 3.0f);
    }
    EXPECT_EQ(tool.SnapMode, 0) << what << ": a one-time snap keeps the mode";
  }

  // A completed one-time snap completes the input.
  Recorder& done = Install();
  done.OnPoint = [](TKrzyz*) { return true; };
  Answer(kLatchSnapOnce);
  EXPECT_TRUE(done.ShowLatchDialog(TPoint{10, 10}, ""));

  // Results of the descendants' own modes go to DoExtraResult.
  for (int r : {kResultExtraFirst, 111, kResultExtraLast}) {
    Recorder& tool = Install();
    Answer(r, Values(kEntryPolar, 0, 0, 4));
    EXPECT_TRUE(tool.ShowLatchDialog(TPoint{10, 10}, "")) << r;
    EXPECT_EQ(tool.extra, std::vector<std::int32_t>{r});
    EXPECT_EQ(tool.EntryMode, kEntryPolar);
    EXPECT_FLOAT_EQ(tool.CurrentEntry().Z, 4.0f);
  }
}

TEST_F(LatchViewTest, BaseLineByTwoPointsByPickingAndRemoved) {
  Recorder& tool = Install();
  tool.OnPoint = [](TKrzyz*) { return false; };

  Answer(kLatchBaseLineByPoints);
  EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
  auto* entering = dynamic_cast<TLWskLineKrzyzI*>(tool.Nested.get());
  ASSERT_NE(entering, nullptr);
  EXPECT_EQ(entering->Hint(), "Wprowadź linię bazową");
  // Two clicks at one point make no line: the entering goes on.
  Click(tool, 20, 30);
  Click(tool, 20, 30);
  EXPECT_EQ(view->OverlayPainter(), nullptr);
  ASSERT_NE(tool.Nested, nullptr);
  Click(tool, 20, 70);
  auto* line = dynamic_cast<TBaseLine*>(view->OverlayPainter());
  ASSERT_NE(line, nullptr);
  EXPECT_DOUBLE_EQ(line->X1, 20);
  EXPECT_DOUBLE_EQ(line->Y1, 30);
  EXPECT_DOUBLE_EQ(line->Y2, 70);
  EXPECT_EQ(tool.Nested, nullptr);
  EXPECT_TRUE(tool.points.empty()) << "entering the base line gives the tool no point";

  Answer(kLatchBaseLinePick);
  EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
  auto* picking = dynamic_cast<TWskKoloKrzyz*>(tool.Nested.get());
  ASSERT_NE(picking, nullptr);
  EXPECT_EQ(picking->Hint(), "Wskaż linię bazową");
  Click(tool, 30, 60);  // nothing there
  ASSERT_NE(tool.Nested, nullptr);
  EXPECT_EQ(view->OverlayPainter(), line);
  Click(tool, 30, 102);  // B
  line = dynamic_cast<TBaseLine*>(view->OverlayPainter());
  ASSERT_NE(line, nullptr);
  EXPECT_DOUBLE_EQ(line->X1, 10);
  EXPECT_DOUBLE_EQ(line->X2, 90);
  EXPECT_DOUBLE_EQ(line->Y1, 100);
  EXPECT_EQ(tool.Nested, nullptr);

  Answer(kLatchBaseLineRemove);
  EXPECT_FALSE(tool.ShowLatchDialog(TPoint{10, 10}, ""));
  EXPECT_EQ(view->OverlayPainter(), nullptr);
}

TEST_F(LatchViewTest, APickedLineOfNoLengthMakesNoBaseLine) {
  Add(70, 150, 70, 150);
  Recorder& tool = Install();
  Answer(kLatchBaseLinePick);
  tool.ShowLatchDialog(TPoint{10, 10}, "");
  Click(tool, 71, 151);
  EXPECT_EQ(view->OverlayPainter(), nullptr);
  EXPECT_NE(tool.Nested, nullptr) << "the picking goes on";
}

TEST_F(LatchViewTest, AxisGuidanceAskedForRunsOnClosingUntilEnded) {
  Recorder& tool = Install();
  tool.OnPoint = [](TKrzyz*) { return false; };
  tool.Redraw(8);
  Answer(platform::mrCancel);
  tool.ShowLatchDialog(TPoint{10, 10}, "");
  ASSERT_NE(dynamic_cast<TLWskMiddleKrzyz*>(tool.Nested.get()), nullptr);
  EXPECT_NE(tool.Options & TLatchKrzyz::kAxisRunning, 0);

  // Pair after pair, each giving its midpoint.
  Click(tool, 10, 10);
  Click(tool, 30, 50);
  Click(tool, 60, 60);
  Click(tool, 80, 100);
  ASSERT_EQ(tool.points.size(), 2u);
  ExpectEntry(tool.points[0], 20, 30, "first pair");
  ExpectEntry(tool.points[1], 70, 80, "second pair");
  ASSERT_NE(tool.Nested, nullptr);

  // Backspace at the first point of a pair ends the guidance.
  tool.HandleBackspace();
  EXPECT_EQ(tool.Nested, nullptr);
  EXPECT_EQ(tool.Options & (TLatchKrzyz::kAxisRequested | TLatchKrzyz::kAxisRunning), 0);

  // Result 27 starts it for one pair.
  Answer(kLatchSnapOnce + 8);
  tool.ShowLatchDialog(TPoint{10, 10}, "");
  Click(tool, 0, 0);
  Click(tool, 10, 10);
  ASSERT_EQ(tool.points.size(), 3u);
  ExpectEntry(tool.points[2], 5, 5, "one pair");
  EXPECT_EQ(tool.Nested, nullptr);
}

TEST_F(LatchViewTest, RightClickOpensTheWindowAndACompleteInputEndsTheTool) {
  Recorder& tool = Install();
  tool.OnPoint = [](TKrzyz*) { return true; };
  Answer(platform::mrOk, Values(kEntryXY, 12, 34));
  TRealPoint p{0, 0};
  EXPECT_EQ(tool.HandleRightClick(p, TPoint{10, 10}), kRightEnd);
  ASSERT_EQ(tool.points.size(), 1u);
  ExpectEntry(tool.points[0], 12, 34, "typed point");

  Answer(platform::mrCancel);
  EXPECT_EQ(tool.HandleRightClick(p, TPoint{10, 10}), kRightNothing);
  // The window is made once and kept.
  TLatchDialog* first = tool.Dialog();
  Answer(platform::mrCancel);
  tool.HandleRightClick(p, TPoint{10, 10});
  EXPECT_EQ(tool.Dialog(), first);
}

}  // namespace
