#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/controls_std.h"
#include "toolbar_fixture.h"

namespace {

using platform::TControl;

using ToolbarLayout = ToolbarForm;

TEST_F(ToolbarLayout, EmptyToolbarIsEightPlusLeadAndTrailLong) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TDock* fixed = MakeDock("DockBottom", TDockPosition::dpBottom);
  fixed->SetAllowDrag(false);
  TToolbar* dragged = MakeBar("A", top, "");
  TToolbar* still = MakeBar("B", fixed, "");
  TToolbar* floating = MakeBar("C", nullptr, "");
  EXPECT_EQ(dragged->Width(), 21);
  EXPECT_EQ(still->Width(), 12);
  EXPECT_EQ(floating->ClientWidth(), 16);
  EXPECT_EQ(floating->ClientHeight(), 2 + 8 + 1);
}

TEST_F(ToolbarLayout, DockedAndOneLineFloatingSizes) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "xx|x");
  EXPECT_EQ(a->Width(), 11 + 3 * 23 + 6 + 2);
  EXPECT_EQ(a->Height(), 26);
  EXPECT_EQ(a->OrderList()[0]->Left(), 11);
  EXPECT_EQ(a->OrderList()[0]->Top(), 2);
  TToolbar* f = MakeBar("F", nullptr, "xx|x");
  EXPECT_EQ(f->ClientWidth(), 4 + 3 * 23 + 6 + 4);
  EXPECT_EQ(f->ClientHeight(), 2 + 22 + 1);
  // The float window adds its frame and caption.
  TFloatWindow* w = f->FloatWindow();
  ASSERT_NE(w, nullptr);
  int b = platform::TToolWindow::FrameBorder();
  EXPECT_EQ(w->Width(), f->Width() + 2 * b);
  EXPECT_EQ(w->Height(), f->Height() + 2 * b + platform::TToolWindow::CaptionHeight());
  EXPECT_EQ(f->Left(), b);
  EXPECT_EQ(f->Top(), b + platform::TToolWindow::CaptionHeight());
}

TEST_F(ToolbarLayout, ControlsAreCentredOnTheRowContent) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* tall = MakeBar("A", top, "x");
  tall->OrderList()[0]->SetHeight(30);
  TToolbar* low = MakeBar("B", top, "x", 0, 100);
  EXPECT_EQ(top->Height(), 34);
  EXPECT_EQ(low->Height(), 34);
  low->ArrangeControls();
  // (30 - 22) / 2 below the line's top.
  EXPECT_EQ(low->OrderList()[0]->Top(), 2 + 4);
}

TEST_F(ToolbarLayout, FloatingWrapsBetweenGroupsAndDrawsTheEtchedLine) {
  TToolbar* f = MakeBar("F", nullptr, "xx|xx");
  EXPECT_EQ(f->WrapList().size(), 0u);
  // Room for two buttons a line.
  f->SetFloatRightX(4 + 2 * 23 + 4);
  f->ArrangeControls();
  TControl* sep = f->OrderList()[2];
  TControl* third = f->OrderList()[3];
  EXPECT_EQ(sep->Width(), 0);
  ASSERT_EQ(f->WrapList().size(), 1u);
  int lineTop = 2 + 22 + 6;
  EXPECT_EQ(f->WrapList()[0], (TWrapEntry{lineTop, false}));
  EXPECT_EQ(third->Left(), 4);
  EXPECT_EQ(third->Top(), lineTop);
  EXPECT_EQ(f->ClientWidth(), 4 + 2 * 23 + 4);
  EXPECT_EQ(f->ClientHeight(), lineTop + 22 + 1);
  f->PaintNow();
  EXPECT_EQ(f->PixelAt(10, lineTop - 4), clBtnShadow);
  EXPECT_EQ(f->PixelAt(10, lineTop - 3), clBtnHighlight);
  EXPECT_EQ(f->PixelAt(10, lineTop - 5), clBtnFace);
  // A blank separator: the same wrap, no line.
  dynamic_cast<TToolbarSep*>(sep)->SetBlank(true);
  f->ArrangeControls();
  EXPECT_TRUE(f->WrapList()[0].Blank);
  f->Invalidate();
  f->PaintNow();
  EXPECT_EQ(f->PixelAt(10, lineTop - 4), clBtnFace);
  // Unlimited again: one line, the separator back to its size.
  f->SetFloatRightX(0);
  f->ArrangeControls();
  EXPECT_EQ(sep->Width(), 6);
  EXPECT_TRUE(f->WrapList().empty());
}

TEST_F(ToolbarLayout, HidingASeparatorMergesItsGroups) {
  TToolbar* f = MakeBar("F", nullptr, "xx|xx");
  EXPECT_EQ(f->BuildGroupList().size(), 2u);
  f->OrderList()[2]->SetVisible(false);
  EXPECT_EQ(f->BuildGroupList().size(), 1u);
  EXPECT_EQ(f->ClientWidth(), 4 + 4 * 23 + 4);
}

TEST_F(ToolbarLayout, OrderIndexIsClampedAndDrivesThePlaces) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "xxxxx");
  std::vector<TControl*> controls = a->OrderList();
  a->SetOrderIndex(*controls[1], 99);
  EXPECT_EQ(a->GetOrderIndex(*controls[1]), 4);
  EXPECT_EQ(controls[1]->Left(), 11 + 4 * 23);
  a->SetOrderIndex(*controls[3], -3);
  EXPECT_EQ(a->GetOrderIndex(*controls[3]), 0);
  EXPECT_EQ(controls[3]->Left(), 11);
  auto* stranger = form->Create<TToolbarButton>(form.get());
  EXPECT_THROW(a->GetOrderIndex(*stranger), EInvalidOperation);
  EXPECT_THROW(a->SetOrderIndex(*stranger, 0), EInvalidOperation);
}

TEST_F(ToolbarLayout, MeasuringLeavesEverythingAsItWas) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TDock* left = MakeDock("DockLeft", TDockPosition::dpLeft);
  TToolbar* a = MakeBar("A", top, "xx|x");
  a->OrderList()[0]->SetWidth(40);
  TToolbarSizes sizes = a->Sizes();
  std::vector<int> lefts;
  for (TControl* c : a->OrderList()) lefts.push_back(c->Left());
  platform::TGdiPoint vertical = a->LayoutControls(false, false, left, 0);
  EXPECT_EQ(vertical.X, 40 + 4);
  EXPECT_EQ(vertical.Y, 11 + 22 + 22 + 6 + 22 + 2);
  platform::TGdiPoint floating = a->LayoutControls(false, false, nullptr, 80);
  EXPECT_EQ(floating.X, 4 + 40 + 23 + 4);
  EXPECT_EQ(a->Sizes(), sizes);
  std::vector<int> after;
  for (TControl* c : a->OrderList()) after.push_back(c->Left());
  EXPECT_EQ(after, lefts);
  EXPECT_EQ(a->Width(), 11 + 40 + 23 + 6 + 23 + 2);
}

TEST_F(ToolbarLayout, FloatingSizesAreTheNarrowestOfEachLineCount) {
  TToolbar* f = MakeBar("F", nullptr, "xxxxxx");
  std::vector<int> widths;
  std::vector<int> heights;
  for (const auto& s : f->FloatingSizes()) {
    widths.push_back(s.Client.X);
    heights.push_back(s.Client.Y);
  }
  EXPECT_EQ(widths, (std::vector<int>{8 + 6 * 23, 8 + 3 * 23, 8 + 2 * 23, 8 + 23}));
  EXPECT_EQ(heights, (std::vector<int>{25, 25 + 22, 25 + 44, 25 + 5 * 22}));
}

TEST_F(ToolbarLayout, SeparatorDrawsItsEtchedLineAcrossTheToolbar) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TDock* left = MakeDock("DockLeft", TDockPosition::dpLeft);
  TToolbar* a = MakeBar("A", top, "x|x");
  auto* sep = dynamic_cast<TToolbarSep*>(a->OrderList()[1]);
  sep->PaintNow();
  EXPECT_EQ(sep->PixelAt(2, 5), clBtnShadow);
  EXPECT_EQ(sep->PixelAt(3, 5), clBtnHighlight);
  EXPECT_EQ(sep->PixelAt(1, 5), clBtnFace);
  TToolbar* v = MakeBar("V", left, "x|x");
  auto* vsep = dynamic_cast<TToolbarSep*>(v->OrderList()[1]);
  vsep->SetSizeVert(7);
  vsep->Invalidate();
  vsep->PaintNow();
  EXPECT_EQ(vsep->PixelAt(5, 2), clBtnShadow);
  EXPECT_EQ(vsep->PixelAt(5, 3), clBtnHighlight);
  // A longer separator lengthens its docked toolbar at once.
  int before = a->Width();
  sep->SetSizeHorz(10);
  EXPECT_EQ(a->Width(), before + 4);
  auto* panel = form->Create<platform::TPanel>(form.get());
  EXPECT_THROW(form->Create<TToolbarSep>(panel), EInvalidOperation);
}

TEST_F(ToolbarLayout, DockedToolbarPaintsItsEdgeAndDragHandle) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* a = MakeBar("A", top, "x");
  a->PaintNow();
  EXPECT_EQ(a->PixelAt(0, 10), clBtnHighlight);
  EXPECT_EQ(a->PixelAt(a->Width() - 1, 10), clBtnShadow);
  EXPECT_EQ(a->PixelAt(4, 10), clBtnHighlight);
  EXPECT_EQ(a->PixelAt(6, 10), clBtnShadow);
  EXPECT_EQ(a->PixelAt(7, 10), clBtnHighlight);
  top->SetAllowDrag(false);
  a->PaintNow();
  EXPECT_EQ(a->PixelAt(4, 10), clBtnFace);
  EXPECT_EQ(a->OrderList()[0]->Left(), 2);
}

}  // namespace
