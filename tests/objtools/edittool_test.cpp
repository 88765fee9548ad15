// The edit mode of the object edit tools, driven through the position edit
// of a straight line from (50, 20) to (50, 180).
#include <gtest/gtest.h>

#include <algorithm>

#include "edit_fixture.h"
#include "objects/activepoints.h"
#include "objects/layerline.h"

namespace {

class EditModeTest : public EditMapTest {
protected:
  void SetUp() override {
    EditMapTest::SetUp();
    if (HasFatalFailure()) return;
    line = AddLine(50, 20, 50, 180);
  }

  TLinia* Edited() const { return dynamic_cast<TLinia*>(run.Edited); }
  TLinia* InSublayer() const { return dynamic_cast<TLinia*>(sub->GetObjectAt(run.Index)); }
  static void ExpectEnds(const TEGraphObj* Obj, double X1, double Y1, double X2, double Y2) {
    const auto* l = dynamic_cast<const TLinia*>(Obj);
    ASSERT_NE(l, nullptr);
    EXPECT_DOUBLE_EQ(l->P1.X, X1);
    EXPECT_DOUBLE_EQ(l->P1.Y, Y1);
    EXPECT_DOUBLE_EQ(l->P2.X, X2);
    EXPECT_DOUBLE_EQ(l->P2.Y, Y2);
  }
  bool HandlesPainted() const {
    return std::any_of(view->PaintItems.begin(), view->PaintItems.end(),
                       [](const auto& item) { return item && item->Visible(); });
  }

  TLinia* line = nullptr;
};

TEST_F(EditModeTest, MadeToolEditsTheObjectWithItsHandlesOnTheView) {
  TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
  EXPECT_EQ(tool.Template(), run.Edited);
  EXPECT_EQ(tool.EditIndex(), -1);
  EXPECT_EQ(tool.EditSublayer(), sub);
  EXPECT_EQ(tool.Sublayer, sub);
  ASSERT_TRUE(tool.Handles);
  ASSERT_EQ(tool.Handles->Count, 2);
  EXPECT_DOUBLE_EQ(tool.Handles->Points[0].Y, 20.0);
  EXPECT_DOUBLE_EQ(tool.Handles->Points[1].Y, 180.0);
  EXPECT_TRUE(tool.Handles->Visible);
  EXPECT_TRUE(HandlesPainted());
  // Drawn in the sublayer's colour; in the erase colour once the default
  // colour bit goes.
  EXPECT_TRUE(run.Edited->HasDefaultColor());
  EXPECT_EQ(run.Edited->ColourWord & kColourRgb, static_cast<std::uint32_t>(kEraseColour));
}

TEST_F(EditModeTest, SublayerOptionsReachTheTool) {
  for (const bool threeD : {false, true}) {
    SCOPED_TRACE(threeD);
    if (threeD) sub->SetFlag(kNode3D);
    TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
    EXPECT_EQ((tool.Options & TLatchKrzyz::kDialog3d) != 0, threeD);
    EXPECT_TRUE(tool.Params);
    EXPECT_TRUE(Backspace());
    line = dynamic_cast<TLinia*>(sub->GetObjectAt(run.Index));
  }
}

TEST_F(EditModeTest, ClickAwayFromEveryHandleChangesNothing) {
  TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
  EXPECT_FALSE(Click(80, 60));
  EXPECT_EQ(tool.Backup, nullptr);
  EXPECT_EQ(tool.Template(), run.Edited);
  EXPECT_LT(tool.Stage, 2);
  EXPECT_TRUE(tool.Handles->Visible);
  EXPECT_EQ(tool.EditIndex(), -1);
  ExpectEnds(InSublayer(), 50, 20, 50, 180);
  EXPECT_FALSE(run.Edited->IsChanged());
  EXPECT_FALSE(run.Finished);
}

TEST_F(EditModeTest, BackspaceDropsTheDragAndThenEndsTheEditWithTheOldObjectBack) {
  TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
  EXPECT_FALSE(Click(50, 20));
  // Dragging a clone; the object in the sublayer is drawn in the erase
  // colour and its handles are hidden.
  ASSERT_EQ(tool.Backup, run.Edited);
  EXPECT_NE(tool.Template(), run.Edited);
  EXPECT_FALSE(run.Edited->HasDefaultColor());
  EXPECT_FALSE(tool.Handles->Visible);
  EXPECT_FALSE(HandlesPainted());
  Move(30, 40);
  ExpectEnds(tool.Template(), 30, 40, 50, 180);
  ExpectEnds(run.Edited, 50, 20, 50, 180);

  EXPECT_FALSE(Backspace());
  EXPECT_EQ(tool.Backup, nullptr);
  EXPECT_EQ(tool.Template(), run.Edited);
  EXPECT_TRUE(run.Edited->HasDefaultColor());
  EXPECT_TRUE(tool.Handles->Visible);
  EXPECT_DOUBLE_EQ(tool.Handles->Points[0].X, 50.0);
  EXPECT_DOUBLE_EQ(tool.Handles->Points[0].Y, 20.0);
  ExpectEnds(run.Edited, 50, 20, 50, 180);
  EXPECT_FALSE(run.Finished);

  EXPECT_TRUE(Backspace());
  EXPECT_TRUE(run.Finished);
  EXPECT_FALSE(run.Recorded);
  EXPECT_EQ(sub->GetObjectAt(run.Index), run.Old);
  ExpectEnds(run.Old, 50, 20, 50, 180);
  EXPECT_EQ(view->GetUndoManager()->Count(), 0);
  // The handles went off the view with the tool.
  EXPECT_FALSE(HandlesPainted());
}

TEST_F(EditModeTest, TwoModificationsGiveOneUndoOperationRestoringTheFirstState) {
  TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
  Drag(50, 20, 40, 20);
  EXPECT_EQ(tool.EditIndex(), -2);
  EXPECT_EQ(tool.Template(), run.Edited);
  EXPECT_EQ(tool.Backup, nullptr);
  EXPECT_TRUE(run.Edited->IsChanged());
  EXPECT_TRUE(tool.Handles->Visible);
  EXPECT_DOUBLE_EQ(tool.Handles->Points[0].X, 40.0);
  Drag(50, 180, 60, 170);
  ExpectEnds(InSublayer(), 40, 20, 60, 170);
  EXPECT_EQ(InSublayer(), run.Edited);
  EXPECT_FALSE(run.Finished);

  EXPECT_TRUE(Backspace());
  ASSERT_TRUE(run.Recorded);
  TUndoManager& undo = *view->GetUndoManager();
  ASSERT_EQ(undo.Count(), 1);
  EXPECT_EQ(undo.GetUndoName(), "Modyfikacja położenia");
  EXPECT_FALSE(undo.Locked());
  undo.Undo(1);
  ExpectEnds(sub->GetObjectAt(run.Index), 50, 20, 50, 180);
}

// The tool replaced in the middle of a drag: the finish sees the object in
// the sublayer as the last completed modification left it, never the clone.
TEST_F(EditModeTest, ToolEndedWhileDraggingDropsTheDragBeforeTheFinish) {
  for (const bool modifiedBefore : {false, true}) {
    SCOPED_TRACE(modifiedBefore);
    TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
    if (modifiedBefore) Drag(50, 20, 40, 20);
    Click(50, 180);
    Move(70, 150);
    ASSERT_NE(tool.Backup, nullptr);
    TEGraphObj* templateAtFinish = nullptr;
    auto finish = tool.OnFinish;
    tool.OnFinish = [&](TKrzyz* Sender, std::int32_t Result) {
      templateAtFinish = tool.Template();
      EXPECT_EQ(tool.Backup, nullptr);
      EXPECT_TRUE(run.Edited->HasDefaultColor());
      finish(Sender, Result);
    };
    view->ResetKrzyz();
    EXPECT_EQ(templateAtFinish, run.Edited);
    EXPECT_TRUE(run.Finished);
    EXPECT_EQ(run.Recorded, modifiedBefore);
    line = dynamic_cast<TLinia*>(sub->GetObjectAt(run.Index));
    ExpectEnds(line, modifiedBefore ? 40 : 50, 20, 50, 180);
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(EditModeTest, RefusedCompletionKeepsDraggingAndWritesNothing) {
  // A circle whose radius is dragged onto its centre is refused.
  TOkrag* circle = Add(std::make_unique<TOkrag>(TPointRec{40, 100, 0}, 20.0));
  TEditGraphObjKrzyz& tool = StartEdit(circle, TEditToolKind::Circle);
  EXPECT_FALSE(Drag(60, 100, 40, 100));
  EXPECT_NE(tool.Backup, nullptr);
  EXPECT_EQ(tool.Stage, 2);
  EXPECT_EQ(tool.EditIndex(), -1);
  EXPECT_DOUBLE_EQ(dynamic_cast<TOkrag*>(run.Edited)->Radius, 20.0);
  // The drag goes on and a sound end completes it.
  Click(40, 130);
  EXPECT_DOUBLE_EQ(dynamic_cast<TOkrag*>(run.Edited)->Radius, 30.0);
  EXPECT_EQ(tool.EditIndex(), -2);
}

// Replaced without being finished, in the middle of a drag: the object in
// the sublayer is drawn in its own colour again.
TEST_F(EditModeTest, ToolFreedWhileDraggingShowsTheObjectAgain) {
  TEditGraphObjKrzyz& tool = StartEdit(line, TEditToolKind::Line);
  Click(50, 20);
  Move(30, 40);
  ASSERT_NE(tool.Backup, nullptr);
  ASSERT_FALSE(run.Edited->HasDefaultColor());
  view->SetDefaultKrzyz();
  platform::PumpPostedMessages();
  EXPECT_EQ(sub->GetObjectAt(run.Index), run.Edited);
  EXPECT_TRUE(run.Edited->HasDefaultColor());
  ExpectEnds(run.Edited, 50, 20, 50, 180);
  EXPECT_FALSE(HandlesPainted());
}

// An object handed over to the tool is freed with it unless a completed
// modification put it into the sublayer (the sanitizer sees either fault).
TEST_F(EditModeTest, OwnedObjectIsFreedUnlessPutIntoTheSublayer) {
  for (const bool modify : {false, true}) {
    SCOPED_TRACE(modify);
    const int index = sub->IndexOfObject(line);
    auto* copy = dynamic_cast<TLinia*>(line->Clone().release());
    TEditToolPtr made =
        ObjectEditors()->MakeEditTool(TEditToolKind::Line, *copy, sub, index, *view->GetCanvas(), kEraseColour, true);
    auto* tool = dynamic_cast<TEditGraphObjKrzyz*>(made.get());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->OwnedObject(), copy);
    view->SetKrzyz(TakeEditTool(std::move(made)));
    if (modify) {
      Drag(50, 20, 45, 20);
      EXPECT_EQ(tool->OwnedObject(), nullptr);
      EXPECT_EQ(sub->GetObjectAt(index), copy);
      line = copy;
    }
    // Replaced without being detached: its handles go off the view too.
    view->SetDefaultKrzyz();
    platform::PumpPostedMessages();
    EXPECT_FALSE(HandlesPainted());
    ExpectEnds(sub->GetObjectAt(index), modify ? 45 : 50, 20, 50, 180);
  }
}

}  // namespace
