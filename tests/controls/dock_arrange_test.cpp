#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "toolbar_fixture.h"

namespace {

using platform::TForm;

using DockArrange = ToolbarForm;

TEST_F(DockArrange, EmptyDockTakesNoRoomAndFixAlignKeepsOnePixel) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TDock* left = MakeDock("DockLeft", TDockPosition::dpLeft);
  EXPECT_EQ(top->Height(), 0);
  EXPECT_EQ(left->Width(), 0);
  top->SetFixAlign(true);
  EXPECT_EQ(top->Height(), 1);
  // Its place in the alignment order stays: a toolbar entering takes it.
  TToolbar* bar = MakeBar("A", top, "xx");
  EXPECT_EQ(top->Height(), 26);
  bar->SetVisible(false);
  EXPECT_EQ(top->Height(), 1);
}

TEST_F(DockArrange, DockThicknessFollowsItsRowsAndBlankRowsGo) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "xx", 0, 0);
  TToolbar* b = MakeBar("B", top, "xxx", 3, 0);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 1);
  EXPECT_EQ(top->Height(), 52);
  EXPECT_EQ(b->Top(), 26);
  // The only toolbar of row 1 hidden: the row goes, and comes back when shown.
  TToolbar* c = MakeBar("C", top, "x", 2, 0);
  EXPECT_EQ(c->DockRow(), 2);
  b->SetVisible(false);
  EXPECT_EQ(c->DockRow(), 1);
  EXPECT_EQ(top->Height(), 52);
  EXPECT_EQ(top->GetHighestRow(), 1);
}

// Rows far apart used to be closed up one number at a time.
TEST_F(DockArrange, RowNumberNearTheLimitIsClosedUpAtOnce) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "x", 0);
  TToolbar* b = MakeBar("B", top, "x", 0);
  b->SetDockRow(2147483647);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 1);
  top->InsertRowBefore(0);
  top->ArrangeToolbars();
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 1);
}

TEST_F(DockArrange, OverlappingToolbarsArePushedApart) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "xx", 0, 10);
  TToolbar* b = MakeBar("B", top, "xx", 0, 10);
  // 11 + 2 * 23 + 2 = 59 long each.
  EXPECT_EQ(a->Width(), 59);
  std::vector<int> starts = {a->DockPos(), b->DockPos()};
  std::sort(starts.begin(), starts.end());
  EXPECT_EQ(starts[0], 10);
  EXPECT_EQ(starts[1], 69);
  EXPECT_EQ(top->DockList().size(), 2u);
  EXPECT_EQ(top->DockList()[1]->Left(), 69);
}

TEST_F(DockArrange, RowWiderThanTheDockStartsAtZeroAndStoresTheShift) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "xxxxxxxxxx", 0, 100);  // 11 + 230 + 2 = 243
  TToolbar* b = MakeBar("B", top, "xxxxxxxxxx", 0, 300);  // together 486 > 400
  EXPECT_EQ(a->DockPos(), 0);
  EXPECT_EQ(b->DockPos(), 243);
  EXPECT_EQ(b->Left() + b->Width(), 486);
  // A row that fits is moved back only by its excess.
  TDock* bottom = MakeDock("DockBottom", TDockPosition::dpBottom);
  TToolbar* c = MakeBar("C", bottom, "xx", 0, 380);
  EXPECT_EQ(c->DockPos(), 400 - 59);
}

TEST_F(DockArrange, LimitToOneRowPutsEveryToolbarIntoRowZero) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  top->SetLimitToOneRow(true);
  TToolbar* a = MakeBar("A", top, "x", 0, 0);
  TToolbar* b = MakeBar("B", top, "x", 2, 0);
  EXPECT_EQ(a->DockRow(), 0);
  EXPECT_EQ(b->DockRow(), 0);
  EXPECT_EQ(top->Height(), 26);
}

TEST_F(DockArrange, PositionIsRefusedWhileTheDockHoldsControls) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  top->SetPosition(TDockPosition::dpBottom);
  EXPECT_EQ(top->Align(), platform::TAlign::Bottom);
  MakeBar("A", top, "x");
  try {
    top->SetPosition(TDockPosition::dpBottom);
    FAIL() << "no error";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Cannot change Position of a TDock if it already contains controls");
  }
  EXPECT_THROW(top->Hide(), EInvalidOperation);
  EXPECT_THROW(MakeDock("Inner", TDockPosition::dpTop)->SetParent(top), EInvalidOperation);
}

TEST_F(DockArrange, DesiredRowMakesANewRowWithinFivePixelsOfABoundary) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  MakeBar("A", top, "x", 0);
  MakeBar("B", top, "x", 1);
  // Rows 0..26 and 26..52.
  struct Case {
    int q;
    int row;
    bool newRow;
  } cases[] = {
      {-10, 0, true}, {3, 0, true},  {5, 0, true},  {6, 0, false}, {21, 0, false},
      {22, 1, true},  {31, 1, true}, {32, 1, false}, {39, 1, false}, {47, 1, false},
      {48, 2, true},  {57, 2, true}, {58, 2, false}, {5000, 2, false},
  };
  for (const Case& c : cases) {
    bool newRow = false;
    EXPECT_EQ(top->GetDesiredRow(c.q, newRow), c.row) << c.q;
    EXPECT_EQ(newRow, c.newRow) << c.q;
  }
  TDock* empty = MakeDock("DockBottom", TDockPosition::dpBottom);
  bool newRow = false;
  EXPECT_EQ(empty->GetDesiredRow(0, newRow), 0);
  EXPECT_TRUE(newRow);
}

TEST_F(DockArrange, VerticalDockStacksAlongYAndTakesTheRowWidth) {
  TDock* left = MakeDock("DockLeft", TDockPosition::dpLeft);
  TToolbar* a = MakeBar("A", left, "x|x");
  EXPECT_EQ(left->Width(), 27);  // content width 23 + 4
  EXPECT_EQ(a->Width(), 27);
  EXPECT_EQ(a->Height(), 11 + 22 + 6 + 22 + 2);
  platform::TControl* second = a->OrderList()[2];
  EXPECT_EQ(second->Top(), 11 + 22 + 6);
  EXPECT_EQ(second->Left(), 2);
  platform::TControl* sep = a->OrderList()[1];
  EXPECT_EQ(sep->Width(), 23);
  EXPECT_EQ(sep->Height(), 6);
}

TEST_F(DockArrange, BoundLinesTakeAPixelAndAreEtched) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  top->SetBoundLines(blTop | blBottom);
  TToolbar* a = MakeBar("A", top, "x");
  EXPECT_EQ(top->Height(), 28);
  EXPECT_EQ(a->Top(), 1);
  top->PaintNow();
  EXPECT_EQ(top->PixelAt(200, 0), clBtnShadow);
  EXPECT_EQ(top->PixelAt(200, 27), clBtnHighlight);
  EXPECT_EQ(top->PixelAt(200, 10), clBtnFace);
}

TEST_F(DockArrange, BackgroundTilesContinueAcrossTheDockAndItsToolbars) {
  TDock* left = MakeDock("DockLeft", TDockPosition::dpLeft);
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  MakeBar("L", left, "x");
  TToolbar* a = MakeBar("A", top, "xx", 0, 40);
  platform::TBitmap tile(3, 3, platform::clWhite);
  tile.Canvas().SetPixel(0, 0, platform::clRed);
  top->SetBackground(&tile);
  top->PaintNow();
  a->PaintNow();
  // Red wherever the form's x and y are multiples of 3.
  int dx = top->Left();
  int dy = top->Top();
  for (int x = 1; x < 9; ++x) {
    for (int y = 1; y < 6; ++y) {
      platform::TColor want = ((x + a->Left() + dx) % 3 == 0 && (y + a->Top() + dy) % 3 == 0)
                                  ? platform::clRed
                                  : platform::clWhite;
      if (x >= 4 && x < 10) continue;  // the drag handle
      EXPECT_EQ(a->PixelAt(x, y), want) << x << "," << y;
    }
  }
  EXPECT_EQ(top->PixelAt(3 - dx % 3 == 3 ? 0 : 3 - dx % 3, 3 - dy % 3 == 3 ? 0 : 3 - dy % 3),
            platform::clRed);
  top->SetBackgroundTransparent(true);
  top->PaintNow();
  // The bottom-left pixel's colour (white) shows the dock's colour.
  EXPECT_EQ(top->PixelAt(1 - dx % 3 + 3, 1), clBtnFace);
}

TEST_F(DockArrange, InsertRemoveEventFollowsTheDockList) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  std::vector<std::string> log;
  top->OnInsertRemoveBar = [&](platform::TComponent&, bool inserting, TToolbar& bar) {
    log.push_back((inserting ? "+" : "-") + bar.Name());
  };
  TToolbar* a = MakeBar("A", top, "x");
  a->SetVisible(false);
  a->SetVisible(true);
  int recreating = 0;
  int recreated = 0;
  a->OnRecreating = [&](platform::TComponent&) { ++recreating; };
  a->OnRecreated = [&](platform::TComponent&) {
    ++recreated;
    EXPECT_EQ(recreating, recreated);
  };
  a->SetDockedTo(nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"+A", "-A", "+A", "-A"}));
  EXPECT_EQ(recreated, 1);
  a->SetDockedTo(top);
  EXPECT_EQ(recreated, 2);
  top->OnInsertRemoveBar = nullptr;  // the log goes before the form
}

TEST_F(DockArrange, DockAndToolbarMustBeOwnedByAForm) {
  platform::TComponent owner;
  auto* panelOwner = owner.Create<TDock>(nullptr, "Loose");
  EXPECT_THROW(panelOwner->SetParent(form.get()), EInvalidOperation);
  auto* bar = owner.Create<TToolbar>(nullptr, "LooseBar");
  EXPECT_THROW(bar->SetParent(form.get()), EInvalidOperation);
}

}  // namespace
