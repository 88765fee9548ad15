// The object creation and move tools with a test object (a straight line of
// two or three points): completion at the complete count and the restart
// stage, a refused point that does not advance the point window, errors of
// the template, Backspace above and at the restart stage, the snapping that
// starts with the second stage, and the move tool keeping the grab offset
// and landing the grab point on a snapped vertex.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "latch_fixture.h"
#include "objects/layerline.h"
#include "platform/gui/controls.h"
#include "tool_fixture.h"
#include "view/krzyzconf.h"
#include "view/newtools.h"

namespace {


// Builds a line from the point before the current one to the current one. The
// template is refused while it has no length (from the second point on),
// and the test decides what UpdateTemplate and CompleteObject answer.
class LineTool : public TNewGraphObjKrzyz {
public:
  explicit LineTool(TKrzyzPointEvent OnPoint) : TNewGraphObjKrzyz(0, std::move(OnPoint)) {}

  void UpdateTemplate() override {
    ++updates;
    if (failUpdate) throw Exception("Zła geometria");
    auto* line = dynamic_cast<TLinia*>(Template());
    if (line == nullptr) return;
    TLatchEntry first = CurrentEntry();
    if (Stage >= 2) GetPrevEntry(first);
    line->P1 = first;
    line->P2 = CurrentEntry();
  }
  bool CheckTemplate() override {
    TNewGraphObjKrzyz::CheckTemplate();
    auto* line = dynamic_cast<TLinia*>(Template());
    return line == nullptr || Stage < 2 || line->P1.X != line->P2.X || line->P1.Y != line->P2.Y;
  }
  bool CompleteObject() override {
    ++completions;
    return acceptCompletion;
  }

  int updates = 0;
  int completions = 0;
  bool failUpdate = false;
  bool acceptCompletion = true;
};

// The stand-in view with the sound signal off; the snap mode the tools
// write back on leaving is put back afterwards.
class NewToolTest : public ToolFixture {
protected:
  NewToolTest() : savedSignal(KrzyzConf().Signal), savedSnapType(KrzyzConf().SnapType) {
    KrzyzConf().Signal = false;
  }
  ~NewToolTest() override {
    KrzyzConf().Signal = savedSignal;
    KrzyzConf().SnapType = savedSnapType;
  }

  // A tool whose callback keeps a copy of every reported line and gives
  // the tool a fresh template, as a command does.
  std::unique_ptr<LineTool> MakeTool(std::int32_t Complete, std::int32_t Restart) {
    auto tool = std::make_unique<LineTool>([this](TKrzyz* Sender) {
      auto* t = static_cast<LineTool*>(Sender);
      auto* line = dynamic_cast<TLinia*>(t->Template());
      reported.push_back({line->P1.X, line->P1.Y, line->P2.X, line->P2.Y});
      templates.push_back(std::make_unique<TLinia>());
      t->SetTemplate(templates.back().get());
      return false;
    });
    templates.push_back(std::make_unique<TLinia>());
    tool->SetTemplate(templates.back().get());
    tool->CompleteCount = Complete;
    tool->RestartStage = Restart;
    tool->OnBackspace = [this](TKrzyz*, std::int32_t Remaining) { remaining.push_back(Remaining); };
    return tool;
  }

  // How many pixels of the segment from (X1, Y) to (X2, Y) are inverted
  // (the template's pen is dotted).
  int InvertedAlong(double X, double Y1, double Y2) {
    int n = 0;
    for (double y = Y1; y <= Y2; y += 1.0) n += Inverted(X, y) ? 1 : 0;
    return n;
  }

  bool savedSignal;
  std::uint8_t savedSnapType;
  std::vector<std::unique_ptr<TLinia>> templates;
  std::vector<std::vector<double>> reported;
  std::vector<std::int32_t> remaining;
};

TEST_F(NewToolTest, ObjectsCompleteAtTheCompleteCountAndRestartAtTheRestartStage) {
  struct Case {
    std::int32_t complete;
    std::int32_t restart;
    std::vector<std::vector<double>> lines;  // what four clicks report
    std::int32_t stage;                      // after them
  };
  // Clicks at (10, 10), (10, 50), (40, 50), (40, 90).
  const Case cases[] = {
      {2, 1, {{10, 10, 10, 50}, {40, 50, 40, 90}}, 1},
      {2, 2, {{10, 10, 10, 50}, {10, 50, 40, 50}, {40, 50, 40, 90}}, 2},
      {3, 1, {{10, 50, 40, 50}}, 2},
  };
  for (const Case& c : cases) {
    reported.clear();
    auto tool = MakeTool(c.complete, c.restart);
    Activate(*tool, TRealPoint{5, 5});
    Click(*tool, 10, 10);
    Click(*tool, 10, 50);
    Click(*tool, 40, 50);
    Click(*tool, 40, 90);
    const std::string what = "complete " + std::to_string(c.complete) + ", restart " + std::to_string(c.restart);
    EXPECT_EQ(reported, c.lines) << what;
    EXPECT_EQ(tool->Stage, c.stage) << what;
    Move(*tool, 60, 120);
    ExpectBalanced(*tool);
    tool->Deactivate();
  }
}

TEST_F(NewToolTest, TheTemplateFollowsThePointerFromTheSecondStage) {
  auto tool = MakeTool(2, 1);
  Activate(*tool, TRealPoint{5, 5});
  Move(*tool, 10, 10);
  EXPECT_EQ(tool->Stage, 1);
  Click(*tool, 10, 10);
  EXPECT_EQ(tool->Stage, 2);
  Move(*tool, 10, 90);
  EXPECT_GT(InvertedAlong(10, 20, 80), 20) << "the line from the first point to the pointer";
  ExpectBalanced(*tool);
  // An error of the template while moving is ignored: it stays as it was.
  tool->failUpdate = true;
  Move(*tool, 60, 90);
  EXPECT_GT(InvertedAlong(10, 20, 80), 20);
  ExpectBalanced(*tool);
}

TEST_F(NewToolTest, ARefusedPointDoesNotAdvanceTheWindowAndTheNextClickReplacesIt) {
  auto tool = MakeTool(2, 1);
  Activate(*tool, TRealPoint{5, 5});
  Click(*tool, 20, 20);
  ASSERT_EQ(tool->PointIndex, 1);
  // The same point again: a line of no length is refused.
  EXPECT_FALSE(Click(*tool, 20, 20));
  EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0);
  EXPECT_EQ(tool->PointIndex, 1);
  EXPECT_EQ(tool->Stage, 2);
  EXPECT_TRUE(reported.empty());
  Click(*tool, 20, 70);
  EXPECT_EQ(reported, (std::vector<std::vector<double>>{{20, 20, 20, 70}}));
  EXPECT_EQ(tool->Flags & TKrzyz::kPointRefused, 0);
  ExpectBalanced(*tool);
}

TEST_F(NewToolTest, RefusalsAtCompletionKeepTheObjectUnreported) {
  for (int failing = 0; failing < 2; ++failing) {
    reported.clear();
    auto tool = MakeTool(2, 1);
    Activate(*tool, TRealPoint{5, 5});
    Click(*tool, 20, 20);
    if (failing == 0)
      tool->failUpdate = true;  // the template cannot take the point
    else
      tool->acceptCompletion = false;  // the command does not take the object
    const std::string what = failing == 0 ? "update fails" : "completion refused";
    EXPECT_FALSE(Click(*tool, 20, 70)) << what;
    EXPECT_TRUE(reported.empty()) << what;
    EXPECT_NE(tool->Flags & TKrzyz::kPointRefused, 0) << what;
    EXPECT_EQ(tool->PointIndex, 1) << what;
    EXPECT_EQ(tool->completions, failing == 0 ? 0 : 1) << what;
    ExpectBalanced(*tool);
    // Once the cause is gone the next last point completes the object.
    tool->failUpdate = false;
    tool->acceptCompletion = true;
    Click(*tool, 30, 70);
    EXPECT_EQ(reported, (std::vector<std::vector<double>>{{20, 20, 30, 70}})) << what;
    tool->Deactivate();
  }
}

TEST_F(NewToolTest, BackspaceAboveAndAtTheRestartStage) {
  auto tool = MakeTool(3, 1);
  Activate(*tool, TRealPoint{5, 5});
  Click(*tool, 10, 10);
  Click(*tool, 10, 50);
  ASSERT_EQ(tool->Stage, 3);
  EXPECT_FALSE(tool->HandleBackspace());
  EXPECT_EQ(tool->Stage, 2);
  EXPECT_EQ(tool->PointIndex, 1);
  ExpectBalanced(*tool);
  EXPECT_FALSE(tool->HandleBackspace());
  EXPECT_EQ(tool->Stage, 1);
  EXPECT_EQ(remaining, (std::vector<std::int32_t>{2, 1}));
  // At the restart stage the tool ends.
  EXPECT_TRUE(tool->HandleBackspace());
  EXPECT_EQ(remaining.back(), 0);

  // A chain restarts at stage 2: Backspace there ends it too.
  remaining.clear();
  auto chain = MakeTool(2, 2);
  Activate(*chain, TRealPoint{5, 5});
  Click(*chain, 10, 10);
  Click(*chain, 10, 50);
  ASSERT_EQ(chain->Stage, 2);
  EXPECT_TRUE(chain->HandleBackspace());
  EXPECT_EQ(remaining, (std::vector<std::int32_t>{0}));
}

TEST_F(NewToolTest, ClearTemplateFreesAnUnownedTemplate) {
  auto tool = MakeTool(2, 1);
  Activate(*tool, TRealPoint{5, 5});
  Click(*tool, 10, 10);
  Move(*tool, 10, 90);
  auto own = std::make_unique<TLinia>();
  tool->SetTemplate(own.release());
  Move(*tool, 10, 80);
  tool->ClearTemplate();  // freed here (the sanitizer sees a leak otherwise)
  EXPECT_EQ(tool->Template(), nullptr);
  EXPECT_EQ(tool->Excluded, nullptr);
  ExpectBalanced(*tool);
}

TEST_F(NewToolTest, SnappingStartsWithTheSecondStage) {
  auto tool = MakeTool(3, 1);
  Activate(*tool, TRealPoint{5, 5});
  tool->SnapMode = 2;  // nothing to snap to on this view: refused
  Move(*tool, 10, 10);
  EXPECT_EQ(tool->TryLatch(platform::VK_F2), 0);
  EXPECT_EQ(tool->TryLatchPoint(TPoint{10, 10}), 0);
  EXPECT_EQ(tool->PointIndex, 0);
  // The first point is taken as it is.
  EXPECT_FALSE(tool->LatchAndMove(TRealPoint{10, 10}));
  EXPECT_EQ(tool->PointIndex, 1);
  EXPECT_EQ(tool->Stage, 2);
  // From now on the snap mode applies, and the keys work.
  EXPECT_FALSE(tool->LatchAndMove(TRealPoint{10, 60}));
  EXPECT_EQ(tool->PointIndex, 1);
  Move(*tool, 10, 60);
  EXPECT_EQ(tool->TryLatch(platform::VK_F2), kKeyHandled);
  EXPECT_EQ(tool->PointIndex, 2);
}

// --- Moving an object ----------------------------------------------------------

TEST_F(NewToolTest, MovedObjectKeepsItsOffsetToTheGrabPoint) {
  TLinia copy(TRealPoint{20, 20}, TRealPoint{20, 60});
  int reports = 0;
  TMoveGraphObjKrzyz tool(0, &copy, nullptr, [&reports](TKrzyz*) { return ++reports > 0; });
  EXPECT_EQ(tool.Excluded, &copy);
  Activate(tool, TRealPoint{30, 40});  // the grab point
  Move(tool, 50, 90);
  EXPECT_DOUBLE_EQ(copy.P1.X, 40);
  EXPECT_DOUBLE_EQ(copy.P1.Y, 70);
  EXPECT_DOUBLE_EQ(copy.P2.Y, 110);
  EXPECT_GT(InvertedAlong(40, 75, 105), 10) << "the object drawn where it follows";
  ExpectBalanced(tool);
  EXPECT_TRUE(Click(tool, 50, 90));
  EXPECT_EQ(reports, 1);
  EXPECT_DOUBLE_EQ(copy.P1.X, 40);
  EXPECT_DOUBLE_EQ(copy.P1.Y, 70);
}

class MoveOnMapTest : public LatchMapTest {};

TEST_F(MoveOnMapTest, TheGrabPointLandsOnTheSnappedVertex) {
  TLinia copy(TRealPoint{30, 30}, TRealPoint{30, 40});
  view->ExternalPoint = TRealPoint{30, 35};  // grabbed in the middle
  auto owned = std::make_unique<TMoveGraphObjKrzyz>(0, &copy, sub, [](TKrzyz*) { return true; });
  TMoveGraphObjKrzyz& tool = Install(std::move(owned));
  tool.SnapMode = 2;
  tool.HandleMove(TRealPoint{47, 177});
  EXPECT_DOUBLE_EQ(copy.P1.X, 47);
  EXPECT_DOUBLE_EQ(copy.P1.Y, 172);
  // Snapped onto the end of A at (50, 180): the grab point goes there.
  EXPECT_TRUE(tool.HandleClick(TRealPoint{47, 177}));
  EXPECT_DOUBLE_EQ(copy.P1.X, 50);
  EXPECT_DOUBLE_EQ(copy.P1.Y, 175);
  EXPECT_DOUBLE_EQ(copy.P2.X, 50);
  EXPECT_DOUBLE_EQ(copy.P2.Y, 185);
  // Far from any vertex the unconditional snap refuses: nothing moves.
  tool.HandleMove(TRealPoint{70, 60});
  const TPointRec before = copy.P1;
  EXPECT_FALSE(tool.HandleClick(TRealPoint{70, 60}));
  EXPECT_EQ(copy.P1, before);
  view->ResetKrzyz();
}

}  // namespace
