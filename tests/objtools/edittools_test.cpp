// The edit tools of lines, arcs, circles and points: which handle lies under
// the pointer and the cursor it shows, what dragging each handle does, the
// refusals, and a dragged line end landing on the base line.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "edit_fixture.h"
#include "objects/activepoints.h"
#include "objects/layerline.h"
#include "objects/point.h"
#include "objtools/edittools.h"
#include "objtools/objdialogs.h"
#include "platform/gui/controls.h"
#include "view/baseline.h"

namespace {

constexpr double kEps = 1e-9;

class EditToolsTest : public EditMapTest {
protected:
  // A line (50, 20) - (50, 180); a circle about (40, 100) of radius 20; the
  // half circle from (20, 40) to (20, 80) through (40, 60); a point at
  // (70, 30).
  TLinia* NewLine() { return AddLine(50, 20, 50, 180); }
  TOkrag* NewCircle() { return Add(std::make_unique<TOkrag>(TPointRec{40, 100, 0}, 20.0)); }
  TLuk* NewArc() {
    auto arc = std::make_unique<TLuk>();
    arc->SetFromThreePoints(TPointRec{20, 40, 0}, TPointRec{20, 80, 0}, TPointRec{40, 60, 0});
    return Add(std::move(arc));
  }
  TPunkt* NewPoint() { return Add(std::make_unique<TPunkt>(TRealPoint{70, 30})); }

  template <class T>
  T& Tool() {
    auto* t = dynamic_cast<T*>(view->Krzyz());
    EXPECT_NE(t, nullptr);
    return *t;
  }
  template <class T>
  T* Edited() const {
    return dynamic_cast<T*>(run.Edited);
  }
};

struct HoverCase {
  double X, Y;
  std::int32_t Handle;
  std::int16_t Cursor;
};

void ExpectHovers(TEditLiniowyObj& Tool, const std::vector<HoverCase>& Cases,
                  const std::function<void(double, double)>& Move) {
  for (const HoverCase& c : Cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.X << ", " << c.Y << ")");
    Move(c.X, c.Y);
    EXPECT_EQ(Tool.Handle, c.Handle);
    EXPECT_EQ(Tool.Cursor, c.Cursor);
  }
}

TEST_F(EditToolsTest, LineHandlesAndCursors) {
  TLinia* line = NewLine();
  StartEdit(line, TEditToolKind::Line);
  auto& tool = Tool<TEditLine>();
  ExpectHovers(tool,
               {{50, 20, 2, 4}, {53, 24, 2, 4}, {50, 180, 3, 4}, {50, 100, 1, 1}, {54, 100, 1, 1},
                {80, 100, 0, 3}, {50, 190, 0, 3}},
               [this](double X, double Y) { Move(X, Y); });
  // Dragging: no cursor, the snapping marker instead.
  Click(50, 20);
  Move(40, 30);
  EXPECT_EQ(tool.Cursor, -1);
  EXPECT_EQ(tool.GetHint(), "Modyfikacja linii, Punkt końcowy. Bez zatrzasku");
}

TEST_F(EditToolsTest, CircleHandlesAndCursors) {
  StartEdit(NewCircle(), TEditToolKind::Circle);
  auto& tool = Tool<TEditOkrag>();
  // Snap points: the centre, (40, 80), (40, 120), (60, 100); (20, 100) is
  // on the circle but no snap point.
  ExpectHovers(tool,
               {{40, 100, 2, 1}, {40, 80, 3, 4}, {40, 120, 4, 4}, {60, 100, 5, 4}, {20, 100, 1, 1},
                {80, 180, 0, 3}},
               [this](double X, double Y) { Move(X, Y); });
}

TEST_F(EditToolsTest, ArcHandlesAndCursors) {
  TLuk* arc = NewArc();
  StartEdit(arc, TEditToolKind::Arc);
  auto& tool = Tool<TEditLuk>();
  const TRealPoint a = XY(arc->P1);
  const TRealPoint b = XY(arc->P2);
  const double d = 20.0 / std::sqrt(2.0);
  ExpectHovers(tool,
               {{a.X, a.Y, 2, 4}, {40, 60, 3, 4}, {b.X, b.Y, 4, 4}, {20 + d, 60 + d, 1, 1}, {80, 180, 0, 3}},
               [this](double X, double Y) { Move(X, Y); });
  EXPECT_EQ(tool.GetHint(), "");
}

TEST_F(EditToolsTest, PointHandleAndCursor) {
  StartEdit(NewPoint(), TEditToolKind::Point);
  auto& tool = Tool<TEditPunkt>();
  Move(72, 33);
  EXPECT_EQ(tool.Cursor, 1);
  Move(90, 60);
  EXPECT_EQ(tool.Cursor, 3);
}

struct LineDragCase {
  const char* Name;
  double FromX, FromY, ToX, ToY;
  double X1, Y1, X2, Y2;
};

TEST_F(EditToolsTest, DraggedLineHandlesChangeTheLine) {
  const LineDragCase cases[] = {
      {"first end", 50, 20, 30, 40, 30, 40, 50, 180},
      {"second end", 50, 180, 60, 150, 50, 20, 60, 150},
      // Picked beside the line: the pointer goes onto it and the whole line
      // follows it from there.
      {"whole line", 53, 100, 60, 110, 60, 30, 60, 190},
  };
  for (const LineDragCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLinia* line = NewLine();
    StartEdit(line, TEditToolKind::Line);
    Drag(c.FromX, c.FromY, c.ToX, c.ToY);
    EXPECT_EQ(Tool<TEditLine>().EditIndex(), -2);
    auto* edited = Edited<TLinia>();
    ASSERT_NE(edited, nullptr);
    EXPECT_NEAR(edited->P1.X, c.X1, kEps);
    EXPECT_NEAR(edited->P1.Y, c.Y1, kEps);
    EXPECT_NEAR(edited->P2.X, c.X2, kEps);
    EXPECT_NEAR(edited->P2.Y, c.Y2, kEps);
    Backspace();
  }
}

TEST_F(EditToolsTest, StatusShowsTheLengthWhileDragging) {
  StartEdit(NewLine(), TEditToolKind::Line);
  auto& tool = Tool<TEditLine>();
  Click(50, 180);
  Move(50, 100);
  const std::string status = tool.GetStatusText(TRealPoint{50, 100});
  EXPECT_EQ(status.rfind(KrzyzConf().FormatCoord(80.0) + "  ", 0), 0u) << status;
}

struct CircleDragCase {
  const char* Name;
  double FromX, FromY, ToX, ToY;
  double CX, CY, R;
};

TEST_F(EditToolsTest, DraggedCircleHandlesChangeTheCircle) {
  const CircleDragCase cases[] = {
      {"on the circle", 20, 100, 25, 110, 45, 110, 20},
      {"centre", 40, 100, 50, 90, 50, 90, 20},
      // The opposite end of the diameter stays.
      {"diameter end 1", 40, 80, 40, 70, 40, 95, 25},
      {"diameter end 2", 40, 120, 40, 130, 40, 105, 25},
      {"radius", 60, 100, 70, 100, 40, 100, 30},
  };
  for (const CircleDragCase& c : cases) {
    SCOPED_TRACE(c.Name);
    StartEdit(NewCircle(), TEditToolKind::Circle);
    Drag(c.FromX, c.FromY, c.ToX, c.ToY);
    EXPECT_EQ(Tool<TEditOkrag>().EditIndex(), -2);
    auto* edited = Edited<TOkrag>();
    ASSERT_NE(edited, nullptr);
    EXPECT_NEAR(edited->Centre.X, c.CX, kEps);
    EXPECT_NEAR(edited->Centre.Y, c.CY, kEps);
    EXPECT_NEAR(edited->Radius, c.R, kEps);
    Backspace();
  }
}

// A diameter end onto the other end, or the radius onto the centre, would
// store a circle of radius 0: refused, the drag goes on.
TEST_F(EditToolsTest, CircleOfRadiusZeroIsRefused) {
  const CircleDragCase cases[] = {
      {"diameter end onto the other", 40, 80, 40, 120, 0, 0, 0},
      {"radius onto the centre", 60, 100, 40, 100, 0, 0, 0},
  };
  for (const CircleDragCase& c : cases) {
    SCOPED_TRACE(c.Name);
    StartEdit(NewCircle(), TEditToolKind::Circle);
    auto& tool = Tool<TEditOkrag>();
    Drag(c.FromX, c.FromY, c.ToX, c.ToY);
    EXPECT_EQ(tool.EditIndex(), -1);
    EXPECT_NE(tool.Backup, nullptr);
    EXPECT_EQ(tool.Stage, 2);
    EXPECT_NEAR(Edited<TOkrag>()->Radius, 20.0, kEps);
    EXPECT_TRUE(errors.empty());
    Backspace();
    Backspace();
    EXPECT_FALSE(run.Recorded);
  }
}

TEST_F(EditToolsTest, ArcIsRebuiltThroughADraggedHandle) {
  TLuk* arc = NewArc();
  const TRealPoint a = XY(arc->P1);
  const TRealPoint b = XY(arc->P2);
  StartEdit(arc, TEditToolKind::Arc);
  auto& tool = Tool<TEditLuk>();
  // The middle handle to (30, 60): the arc through both ends and it (the
  // arc's centre is computed with the radius enlarged by 1e-5).
  Drag(40, 60, 30, 60);
  ASSERT_EQ(tool.EditIndex(), -2);
  auto* edited = Edited<TLuk>();
  TActivePoints points(nullptr);
  edited->GetSnapPoints(points, nullptr);
  EXPECT_NEAR(points.Points[1].X, 30.0, 1e-4);
  EXPECT_NEAR(points.Points[1].Y, 60.0, 1e-4);
  const bool sameEnds = SameRealPoint(XY(edited->P1), a) && SameRealPoint(XY(edited->P2), b);
  const bool swappedEnds = SameRealPoint(XY(edited->P1), b) && SameRealPoint(XY(edited->P2), a);
  EXPECT_TRUE(sameEnds || swappedEnds);
}

TEST_F(EditToolsTest, ArcMiddleOnTheChordIsRefusedWithTheConstructionsError) {
  TLuk* arc = NewArc();
  const double radius = arc->Radius;
  StartEdit(arc, TEditToolKind::Arc);
  auto& tool = Tool<TEditLuk>();
  Drag(40, 60, 20, 60);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Błąd podczas obliczania łuku"), std::string::npos) << errors[0];
  EXPECT_EQ(tool.EditIndex(), -1);
  EXPECT_NE(tool.Backup, nullptr);
  EXPECT_DOUBLE_EQ(Edited<TLuk>()->Radius, radius);
  // Off the chord the same drag completes.
  Click(35, 60);
  EXPECT_EQ(tool.EditIndex(), -2);
}

TEST_F(EditToolsTest, DraggedPointTakesThePosition) {
  StartEdit(NewPoint(), TEditToolKind::Point);
  auto& tool = Tool<TEditPunkt>();
  Drag(72, 33, 75, 35);
  EXPECT_EQ(tool.EditIndex(), -2);
  EXPECT_NEAR(Edited<TPunkt>()->Position.X, 75.0, kEps);
  EXPECT_NEAR(Edited<TPunkt>()->Position.Y, 35.0, kEps);
}

// The line window's "onto the base line" command: the dragged end lands
// where the line meets the base line, and the modification is complete.
TEST_F(EditToolsTest, DraggedEndLandsOnTheBaseLine) {
  struct Case {
    const char* Name;
    TRealPoint Base1, Base2;
    bool Lands;
    double X2, Y2;
  };
  const Case cases[] = {
      {"crossing base line", {0, 150}, {100, 150}, true, 50, 150},
      {"crossing beyond the end", {0, 195}, {100, 195}, true, 50, 195},
      {"parallel base line", {10, 20}, {10, 180}, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    view->SetPaintInPaint(std::make_unique<TBaseLine>(c.Base1, c.Base2));
    StartEdit(NewLine(), TEditToolKind::Line);
    auto& tool = Tool<TEditLine>();
    Click(50, 180);
    Move(55, 170);
    Answer(kExtraToBaseLine);
    RightClick();
    auto* edited = Edited<TLinia>();
    if (c.Lands) {
      EXPECT_EQ(tool.EditIndex(), -2);
      EXPECT_EQ(tool.Backup, nullptr);
      EXPECT_NEAR(edited->P2.X, c.X2, kEps);
      EXPECT_NEAR(edited->P2.Y, c.Y2, kEps);
    } else {
      EXPECT_EQ(tool.EditIndex(), -1);
      EXPECT_NE(tool.Backup, nullptr);
      EXPECT_NEAR(edited->P2.Y, 180.0, kEps);
    }
    EXPECT_NEAR(edited->P1.X, 50.0, kEps);
    EXPECT_NEAR(edited->P1.Y, 20.0, kEps);
    Backspace();
    if (!c.Lands) Backspace();
  }
}

TEST_F(EditToolsTest, RightClickAndKeysDoNothingBeforeADrag) {
  StartEdit(NewLine(), TEditToolKind::Line);
  auto& tool = Tool<TEditLine>();
  Move(50, 180);
  EXPECT_EQ(RightClick(), kRightNothing);
  EXPECT_EQ(view->Krzyz()->HandleKey('5'), kKeyNotHandled);
  EXPECT_EQ(view->Krzyz()->HandleKey(platform::VK_F4), kKeyNotHandled);
  EXPECT_EQ(tool.Backup, nullptr);
  EXPECT_EQ(tool.EditIndex(), -1);
}

// While dragging, the snapping keys snap the dragged end and complete the
// modification as a click would.
TEST_F(EditToolsTest, SnappingKeyLandsTheDraggedEndOnAVertex) {
  AddLine(10, 150, 30, 150);
  StartEdit(NewLine(), TEditToolKind::Line);
  auto& tool = Tool<TEditLine>();
  Click(50, 180);
  Move(31, 152);
  view->Krzyz()->HandleKey(platform::VK_F4);
  EXPECT_EQ(tool.EditIndex(), -2);
  auto* edited = Edited<TLinia>();
  EXPECT_NEAR(edited->P2.X, 30.0, kEps);
  EXPECT_NEAR(edited->P2.Y, 150.0, kEps);
  EXPECT_NEAR(edited->P1.X, 50.0, kEps);
}

}  // namespace
