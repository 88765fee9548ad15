#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/dragframe.h"
#include "toolbar_fixture.h"

namespace {

using platform::TGdiPoint;
using platform::TGdiRect;
using platform::TMouseButton;

class ToolbarDrag : public ToolbarForm {
 protected:
  void SetUp() override {
    ToolbarForm::SetUp();
    top = MakeDock("DockTop", TDockPosition::dpTop);
    left = MakeDock("DockLeft", TDockPosition::dpLeft);
    a = MakeBar("A", top, "xx", 0, 0);
    b = MakeBar("B", top, "xx", 0, 100);
    form->Show();
  }
  // Moves the mouse to a point given in the control's client coordinates.
  void MoveTo(platform::TControl& over, int x, int y) { over.MouseMoveTo(x, y, platform::ssLeft); }

  TDock* top = nullptr;
  TDock* left = nullptr;
  TToolbar* a = nullptr;
  TToolbar* b = nullptr;
};

TEST_F(ToolbarDrag, WithinTheDockAlongTheRow) {
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  ASSERT_NE(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DragOutline()->Thickness(), 1);  // would dock: thin
  MoveTo(*b, 55, 10);
  TGdiPoint corner = platform::ClientToScreen(*b, 50, 0);
  EXPECT_EQ(b->DragOutline()->Rect(),
            (TGdiRect{corner.X, corner.Y, corner.X + b->Width(), corner.Y + b->Height()}));
  b->MouseUpAt(TMouseButton::Left, 55, 10);
  EXPECT_EQ(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DockedTo(), top);
  EXPECT_EQ(b->DockRow(), 0);
  EXPECT_EQ(b->DockPos(), 150);
}

TEST_F(ToolbarDrag, BelowTheLastRowMakesANewRowAndAboveTheFirstPushesRowsDown) {
  // Grabbed 10 pixels down a 26-pixel toolbar, the cursor 5 below the dock.
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  MoveTo(*b, 5, 26 + 5);
  b->MouseUpAt(TMouseButton::Left, 5, 31);
  EXPECT_EQ(b->DockRow(), 1);
  EXPECT_EQ(top->Height(), 52);
  // Dropped with its middle 3 pixels into the dock: a new first row.
  a->MouseDownAt(TMouseButton::Left, 5, 13);
  MoveTo(*a, 5, -10);
  a->MouseUpAt(TMouseButton::Left, 5, -10);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 2 - 1);  // rows 0 (a) and 1 (b): a's old row closed up
  EXPECT_EQ(top->Height(), 52);
}

TEST_F(ToolbarDrag, AwayFromEveryDockFloatsAtTheOutline) {
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  MoveTo(*b, 5, 150);
  ASSERT_NE(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DragOutline()->Thickness(), platform::TToolWindow::FrameBorder());
  TGdiRect outline = b->DragOutline()->Rect();
  b->MouseUpAt(TMouseButton::Left, 5, 150);
  EXPECT_EQ(b->DockedTo(), nullptr);
  EXPECT_EQ(b->GetTrueBoundsRect(), outline);
  EXPECT_EQ(outline.Width(), 4 + 46 + 4 + 2 * platform::TToolWindow::FrameBorder());
  // Back by its caption into the left dock.
  TFloatWindow* w = b->FloatWindow();
  ASSERT_NE(w, nullptr);
  w->MouseDownAt(TMouseButton::Left, 10, 5);
  ASSERT_NE(b->DragOutline(), nullptr);
  TGdiPoint dock = platform::ClientToScreen(*left, 0, 40);
  TGdiPoint local = platform::ScreenToClient(*w, dock.X, dock.Y);
  MoveTo(*w, local.X, local.Y);
  EXPECT_EQ(b->DragOutline()->Thickness(), 1);
  w->MouseUpAt(TMouseButton::Left, local.X, local.Y);
  EXPECT_EQ(b->DockedTo(), left);
  EXPECT_EQ(left->Width(), 27);
}

TEST_F(ToolbarDrag, NeverIntoASideDockWithoutCanDockLeftRight) {
  b->SetCanDockLeftRight(false);
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  TGdiPoint dock = platform::ClientToScreen(*left, 0, 80);
  TGdiPoint local = platform::ScreenToClient(*b, dock.X, dock.Y);
  MoveTo(*b, local.X, local.Y);
  ASSERT_NE(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DragOutline()->Thickness(), platform::TToolWindow::FrameBorder());
  b->MouseUpAt(TMouseButton::Left, local.X, local.Y);
  EXPECT_EQ(b->DockedTo(), nullptr);
  EXPECT_EQ(left->Width(), 0);
}

TEST_F(ToolbarDrag, EscapeAndASecondPressCancel) {
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  MoveTo(*b, 5, 150);
  form->SendKey(platform::VK_ESCAPE);
  EXPECT_EQ(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DockedTo(), top);
  EXPECT_EQ(b->DockPos(), 100);
  b->MouseUpAt(TMouseButton::Left, 5, 150);  // reaches the toolbar: no drop
  EXPECT_EQ(b->DockedTo(), top);
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  MoveTo(*b, 5, 150);
  b->MouseDownAt(TMouseButton::Left, 5, 150);
  EXPECT_EQ(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DockedTo(), top);
}

TEST_F(ToolbarDrag, NoDragWhereTheDockForbidsItOrOnAButton) {
  b->MouseDownAt(TMouseButton::Left, 11 + 5, 10);  // on the first button
  EXPECT_EQ(b->DragOutline(), nullptr);
  int rclicks = 0;
  b->OnRClick = [&](platform::TComponent&) { ++rclicks; };
  b->MouseDownAt(TMouseButton::Right, 5, 10);
  EXPECT_EQ(rclicks, 1);
  EXPECT_EQ(b->DragOutline(), nullptr);
  top->SetAllowDrag(false);
  b->MouseDownAt(TMouseButton::Left, 1, 10);
  EXPECT_EQ(b->DragOutline(), nullptr);
}

TEST_F(ToolbarDrag, DoubleClickFloatsAndDocksAtTheFrontOfTheDefaultDock) {
  std::vector<std::string> log;
  b->OnDockChanging = [&](platform::TComponent&) { log.push_back("changing"); };
  b->OnDockChanged = [&](platform::TComponent&) { log.push_back("changed"); };
  b->SetDockedTo(top);  // the same dock: no events
  EXPECT_TRUE(log.empty());
  b->DblClickAt(5, 10);
  if (b->Dragging()) b->MouseUpAt(TMouseButton::Left, 5, 10);
  EXPECT_EQ(b->DockedTo(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"changing", "changed"}));
  b->SetDefaultDock(top);
  b->DblClickAt(1, 5);
  EXPECT_EQ(b->DockedTo(), top);
  EXPECT_EQ(b->DockPos(), 0);
  EXPECT_EQ(a->DockPos(), b->Width());
}

TEST_F(ToolbarDrag, SizingSnapsToTheWrapWidths) {
  TToolbar* f = MakeBar("F", nullptr, "xxxxxx");
  TFloatWindow* w = f->FloatWindow();
  ASSERT_NE(w, nullptr);
  int border = platform::TToolWindow::FrameBorder();
  int start = w->Width();
  EXPECT_EQ(start, 8 + 6 * 23 + 2 * border);
  w->MouseDownAt(TMouseButton::Left, start - 1, 20);
  ASSERT_NE(f->DragOutline(), nullptr);
  // Anywhere between the widths of 3 and 6 buttons a line: 3 a line.
  int three = 8 + 3 * 23 + 2 * border;
  MoveTo(*w, three + 30, 20);
  EXPECT_EQ(f->DragOutline()->Rect().Width(), three);
  // Within the dead zone of the start nothing changes.
  MoveTo(*w, start - 5, 20);
  EXPECT_EQ(f->DragOutline()->Rect().Width(), start);
  MoveTo(*w, three + 2, 20);
  w->MouseUpAt(TMouseButton::Left, three + 2, 20);
  EXPECT_EQ(f->FloatRightX(), three - border);
  EXPECT_EQ(f->ClientWidth(), 8 + 3 * 23);
  EXPECT_EQ(f->ClientHeight(), 25 + 22);
  EXPECT_EQ(w->Width(), three);
}

TEST_F(ToolbarDrag, CloseButtonHidesTheToolbarAndFiresOnClose) {
  TToolbar* f = MakeBar("F", nullptr, "xx");
  f->SetCaption("Pomiar");
  int closes = 0;
  f->OnClose = [&](platform::TComponent&) { ++closes; };
  TFloatWindow* w = f->FloatWindow();
  TGdiRect close = w->GetCloseButtonRect();
  w->MouseDownAt(TMouseButton::Left, close.Left + 3, close.Top + 3);
  EXPECT_TRUE(w->CloseButtonPressed());
  w->MouseUpAt(TMouseButton::Left, close.Left + 3, close.Top + 3);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(w->Wanted());
}

TEST_F(ToolbarDrag, FloatWindowHidesWhileTheApplicationIsInactive) {
  TToolbar* f = MakeBar("F", nullptr, "xx");
  TFloatWindow* w = f->FloatWindow();
  platform::TActivationWatch::Simulate(true);
  EXPECT_TRUE(w->Visible());
  platform::TActivationWatch::Simulate(false);
  EXPECT_FALSE(w->Visible());
  EXPECT_TRUE(w->Wanted());
  platform::TActivationWatch::Simulate(true);
  EXPECT_TRUE(w->Visible());
}

TEST_F(ToolbarDrag, CtrlKeepsTheOutlineFloatingAndSwitchesWithoutAMove) {
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  MoveTo(*b, 55, 10);
  ASSERT_NE(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DragOutline()->Thickness(), 1);
  form->SendKeyDown(platform::VK_CONTROL);
  ASSERT_NE(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DragOutline()->Thickness(), platform::TToolWindow::FrameBorder());
  // Going up, the key's own modifier is still in the event's state.
  form->SendKeyUp(platform::VK_CONTROL, platform::ssCtrl);
  EXPECT_EQ(b->DragOutline()->Thickness(), 1);
  form->SendKeyDown(platform::VK_CONTROL);
  b->MouseUpAt(TMouseButton::Left, 55, 10);
  form->SendKeyUp(platform::VK_CONTROL, platform::ssCtrl);
  EXPECT_EQ(b->DockedTo(), nullptr);
  // Synthesised key events set the toolkit's modifier state only when a key
  // goes down: a plain key clears the Ctrl for the drags that follow.
  form->SendKey('A');
  EXPECT_FALSE(platform::ControlKeyDown());
}

// Just below the top dock's row and inside the (empty) left dock's length:
// both would take the toolbar, the top dock wins.
TEST_F(ToolbarDrag, TopDockWinsWhereALeftDockAcceptsToo) {
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  TGdiPoint p = platform::ClientToScreen(*top, 2, top->Height() + 4);
  TGdiPoint local = platform::ScreenToClient(*b, p.X, p.Y);
  MoveTo(*b, local.X, local.Y);
  ASSERT_NE(b->DragOutline(), nullptr);
  EXPECT_EQ(b->DragOutline()->Thickness(), 1);
  b->MouseUpAt(TMouseButton::Left, local.X, local.Y);
  EXPECT_EQ(b->DockedTo(), top);
  EXPECT_EQ(left->Width(), 0);
  // Lower down the side, only the left dock takes it.
  b->MouseDownAt(TMouseButton::Left, 5, 10);
  p = platform::ClientToScreen(*left, 0, 100);
  local = platform::ScreenToClient(*b, p.X, p.Y);
  MoveTo(*b, local.X, local.Y);
  b->MouseUpAt(TMouseButton::Left, local.X, local.Y);
  EXPECT_EQ(b->DockedTo(), left);
}

// An empty dock counts as 2 pixels thick; the 20-pixel tolerance across it
// is shared in proportion to where the toolbar was grabbed.
TEST_F(ToolbarDrag, EmptyDockToleranceFollowsTheGrabbedPoint) {
  TDock* bottom = MakeDock("DockBottom", TDockPosition::dpBottom);
  ASSERT_EQ(bottom->Height(), 0);
  TGdiPoint edge = platform::ClientToScreen(*bottom, 100, 0);
  struct Case {
    int grabY;  // in the 26-pixel toolbar
    int dy;     // cursor below the dock's line
    bool docks;
  } cases[] = {
      // Grabbed at the top: the tolerance lies above the line.
      {0, -22, false}, {0, -21, true}, {0, -10, true}, {0, 0, true}, {0, 1, false},
      // Grabbed at the bottom: below it.
      {25, -2, false}, {25, -1, true}, {25, 20, true}, {25, 21, false},
  };
  for (const Case& c : cases) {
    a->MouseDownAt(TMouseButton::Left, 5, c.grabY);
    ASSERT_NE(a->DragOutline(), nullptr);
    TGdiPoint local = platform::ScreenToClient(*a, edge.X, edge.Y + c.dy);
    MoveTo(*a, local.X, local.Y);
    EXPECT_EQ(a->DragOutline()->Thickness() == 1, c.docks) << c.grabY << " " << c.dy;
    form->SendKey(platform::VK_ESCAPE);
    EXPECT_EQ(a->DockedTo(), top);
  }
}

// A floating toolbar grabbed near the right end of its caption keeps the
// cursor near the right end of the (shorter) docked outline.
TEST_F(ToolbarDrag, GrabbedPointKeepsItsPlaceInTheOutline) {
  b->SetCloseButton(false);
  b->SetDockedTo(nullptr);
  TFloatWindow* w = b->FloatWindow();
  ASSERT_NE(w, nullptr);
  int grab = w->Width() - 8;
  w->MouseDownAt(TMouseButton::Left, grab, 5);
  ASSERT_NE(b->DragOutline(), nullptr);
  TGdiPoint p = platform::ClientToScreen(*top, 200, 10);
  TGdiPoint local = platform::ScreenToClient(*w, p.X, p.Y);
  MoveTo(*w, local.X, local.Y);
  ASSERT_EQ(b->DragOutline()->Thickness(), 1);
  TGdiRect r = b->DragOutline()->Rect();
  EXPECT_EQ(r.Width(), 11 + 2 * 23 + 2);
  // The grabbed point lay 8 pixels from the window's right end.
  EXPECT_GE(r.Right - p.X, 7);
  EXPECT_LE(r.Right - p.X, 9);
  w->MouseUpAt(TMouseButton::Left, local.X, local.Y);
  EXPECT_EQ(b->DockedTo(), top);
}

TEST_F(ToolbarDrag, CloseButtonReleasedOffItDoesNotClose) {
  TToolbar* f = MakeBar("F", nullptr, "xx");
  int closes = 0;
  f->OnClose = [&](platform::TComponent&) { ++closes; };
  TFloatWindow* w = f->FloatWindow();
  TGdiRect close = w->GetCloseButtonRect();
  int cx = close.Left + 3;
  int cy = close.Top + 3;
  w->MouseDownAt(TMouseButton::Left, cx, cy);
  w->MouseMoveTo(cx - 20, cy, platform::ssLeft);
  EXPECT_FALSE(w->CloseButtonPressed());
  w->MouseUpAt(TMouseButton::Left, cx - 20, cy);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(f->Visible());
  // Off and back on before the release: closed.
  w->MouseDownAt(TMouseButton::Left, cx, cy);
  w->MouseMoveTo(cx - 20, cy, platform::ssLeft);
  w->MouseMoveTo(cx, cy, platform::ssLeft);
  EXPECT_TRUE(w->CloseButtonPressed());
  w->MouseUpAt(TMouseButton::Left, cx, cy);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(f->Visible());
}

// The caption is cut to its bar with "...", keeping at least one character.
TEST_F(ToolbarDrag, LongCaptionEndsInAnEllipsis) {
  platform::TBitmap scratch(10, 10);
  platform::TCanvas& canvas = scratch.Canvas();
  platform::TFont font;
  font.Name = "MS Sans Serif";
  font.Height = -11;
  canvas.SetFont(font);
  struct Case {
    std::string caption;
    int width;
    std::string shown;
  } cases[] = {
      {"Pomiar", 200, "Pomiar"},
      {"Pomiar", 1, "P..."},
      {"Źródło", 1, "Ź..."},
      {"", 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitCaption(canvas, c.caption, c.width), c.shown) << c.caption;
  }
  std::string longer = "Narzędzia pomiarowe i obliczenia";
  int width = canvas.TextExtent("Narzędzia").X;
  std::string shown = FitCaption(canvas, longer, width);
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_LE(canvas.TextExtent(shown).X, width);
  EXPECT_EQ(longer.rfind(shown.substr(0, shown.size() - 3), 0), 0u);
  EXPECT_GT(canvas.TextExtent(FitCaption(canvas, longer, width + 10)).X, canvas.TextExtent(shown).X - 1);

  // Drawn in the float window: without a close button the bar is longer.
  TToolbar* f = MakeBar("F", nullptr, "xx");
  f->SetCaption(longer);
  TFloatWindow* w = f->FloatWindow();
  w->PaintNow();
  TGdiRect close = w->GetCloseButtonRect();
  EXPECT_EQ(w->PixelAt(close.Left + 1, close.Top + 1), cl3DLight);
  f->SetCloseButton(false);
  w->PaintNow();
  EXPECT_EQ(w->PixelAt(close.Right - 2, close.Top + 1), 0x800000u);
}

// The default dock is forgotten when it is freed, so a double-click on the
// floating toolbar afterwards leaves it floating.
TEST_F(ToolbarDrag, DefaultDockIsForgottenWhenItsDockIsFreed) {
  TDock* bottom = MakeDock("DockBottom", TDockPosition::dpBottom);
  b->SetDefaultDock(bottom);
  b->SetDockedTo(nullptr);
  EXPECT_EQ(b->DefaultDock(), bottom);
  form->RemoveComponent(bottom);  // freed here
  EXPECT_EQ(b->DefaultDock(), nullptr);
  b->FloatWindow()->DblClickAt(10, 5);
  if (b->Dragging()) b->FloatWindow()->MouseUpAt(TMouseButton::Left, 10, 5);
  EXPECT_EQ(b->DockedTo(), nullptr);
  b->SetDefaultDock(top);
  b->FloatWindow()->DblClickAt(10, 5);
  EXPECT_EQ(b->DockedTo(), top);
}

// The watch of a toolbar ends with it: an activation change after the
// toolbar went calls nothing of it.
TEST_F(ToolbarDrag, ActivationWatchOutlivingItsToolbar) {
  int before = platform::TActivationWatch::Count();
  TToolbar* f = MakeBar("F", nullptr, "xx");
  EXPECT_EQ(platform::TActivationWatch::Count(), before + 1);
  form->RemoveComponent(f);  // freed here
  EXPECT_EQ(platform::TActivationWatch::Count(), before);
  platform::TActivationWatch::Simulate(false);
  platform::TActivationWatch::Simulate(true);
}

}  // namespace
