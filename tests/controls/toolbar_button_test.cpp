#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/controls_menus.h"
#include "platform/gui/dragframe.h"
#include "toolbar_fixture.h"

namespace {

using platform::TBitmap;
using platform::TGdiPoint;
using platform::TMouseButton;

using ToolbarButtons = ToolbarForm;

TToolbarButton* Button(TToolbar* bar, int i) {
  return dynamic_cast<TToolbarButton*>(bar->OrderList()[static_cast<size_t>(i)]);
}

TEST_F(ToolbarButtons, ClickFiresOnReleaseOverTheButtonOnly) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "x");
  TToolbarButton* b = Button(bar, 0);
  int clicks = 0;
  b->OnClick = [&](platform::TComponent&) { ++clicks; };
  b->MouseMoveTo(5, 5);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(b->State(), TButtonState::bsMouseIn);
  EXPECT_EQ(TToolbarButton::HotButton(), b);
  b->MouseDownAt(TMouseButton::Left, 5, 5);
  EXPECT_EQ(b->State(), TButtonState::bsDown);
  b->MouseMoveTo(40, 5, platform::ssLeft);
  EXPECT_EQ(b->State(), TButtonState::bsUp);
  b->MouseMoveTo(6, 6, platform::ssLeft);
  EXPECT_EQ(b->State(), TButtonState::bsDown);
  b->MouseUpAt(TMouseButton::Left, 6, 6);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), TButtonState::bsUp);
  b->MouseDownAt(TMouseButton::Left, 5, 5);
  b->MouseUpAt(TMouseButton::Left, 50, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->MouseInControl());
}

TEST_F(ToolbarButtons, HotStateEndsOnRightReleaseAndDeactivation) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "xx");
  TToolbarButton* b = Button(bar, 0);
  TToolbarButton* c = Button(bar, 1);
  std::vector<std::string> log;
  b->OnMouseEnter = [&](platform::TComponent&) { log.push_back("enter b"); };
  b->OnMouseExit = [&](platform::TComponent&) { log.push_back("exit b"); };
  b->MouseMoveTo(3, 3);
  c->MouseMoveTo(3, 3);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(TToolbarButton::HotButton(), c);
  c->MouseUpAt(TMouseButton::Right, 3, 3);
  EXPECT_EQ(TToolbarButton::HotButton(), nullptr);
  b->MouseMoveTo(3, 3);
  platform::TActivationWatch::Simulate(false);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(log, (std::vector<std::string>{"enter b", "exit b", "enter b", "exit b"}));
}

// After a press that ends without a click, and at the end of a click, the
// button follows where the mouse really is: hot over it, not hot elsewhere,
// each transition with its event.
TEST_F(ToolbarButtons, TrackingFollowsTheMouseAfterAReleaseAndAfterAClick) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "x");
  form->Show();
  TToolbarButton* b = Button(bar, 0);
  auto* menu = form->Create<platform::TPopupMenu>(nullptr, "Menu");
  b->SetDropdownMenu(menu);
  b->SetDropdownCombo(true);  // a split button: 11 pixels of arrow at its right
  std::vector<std::string> log;
  b->OnMouseEnter = [&](platform::TComponent&) { log.push_back("enter"); };
  b->OnMouseExit = [&](platform::TComponent&) { log.push_back("exit"); };
  int clicks = 0;
  b->OnClick = [&](platform::TComponent&) { ++clicks; };
  const TGdiPoint over = platform::ClientToScreen(*b, 5, 5);
  const TGdiPoint away = platform::ClientToScreen(*b, 5, 100);
  const TGdiPoint start = platform::CursorPos();

  // Released over the arrow part: no click, and the mouse is still over the
  // button, so it stays hot.
  platform::SetCursorPos(over.X, over.Y);
  b->MouseDownAt(TMouseButton::Left, 5, 5);
  b->MouseUpAt(TMouseButton::Left, b->Width() - 3, 5);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(b->State(), TButtonState::bsMouseIn);

  // A click that ends with the mouse over the button leaves it hot.
  b->MouseDownAt(TMouseButton::Left, 5, 5);
  b->MouseUpAt(TMouseButton::Left, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(b->State(), TButtonState::bsMouseIn);

  // Released away from the button with the mouse there: no longer hot.
  b->MouseDownAt(TMouseButton::Left, 5, 5);
  platform::SetCursorPos(away.X, away.Y);
  b->MouseUpAt(TMouseButton::Left, 5, 100);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(b->State(), TButtonState::bsUp);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "enter");
  EXPECT_EQ(log.back(), "exit");
  platform::SetCursorPos(start.X, start.Y);
}

TEST_F(ToolbarButtons, GroupsKeepOneButtonDown) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "xxxx");
  TToolbarButton* a = Button(bar, 0);
  TToolbarButton* b = Button(bar, 1);
  TToolbarButton* c = Button(bar, 2);
  TToolbarButton* other = Button(bar, 3);
  a->SetDown(true);
  EXPECT_FALSE(a->Down());  // group 0: never down
  for (TToolbarButton* x : {a, b}) x->SetGroupIndex(1);
  c->SetGroupIndex(2);
  other->SetGroupIndex(1);
  TToolbar* bar2 = MakeBar("B", nullptr, "x");
  TToolbarButton* elsewhere = Button(bar2, 0);
  elsewhere->SetGroupIndex(1);
  elsewhere->SetDown(true);
  a->SetDown(true);
  c->SetDown(true);
  EXPECT_TRUE(elsewhere->Down());  // another parent: not released
  EXPECT_EQ(a->State(), TButtonState::bsExclusive);
  b->ClickAt(5, 5);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(a->State(), TButtonState::bsUp);
  EXPECT_TRUE(c->Down());  // another group
  // AllowAllUp off: clicking the down button again keeps it down.
  b->ClickAt(5, 5);
  EXPECT_TRUE(b->Down());
  b->SetDown(false);
  EXPECT_TRUE(b->Down());
  // AllowAllUp spreads to the group and lets it go up.
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp());
  EXPECT_TRUE(other->AllowAllUp());
  b->ClickAt(5, 5);
  EXPECT_FALSE(b->Down());
}

TEST_F(ToolbarButtons, DropDownOpensOnPressAndSplitButtonClicksOnItsMainPart) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "xx");
  auto* menu = form->Create<platform::TPopupMenu>(nullptr, "Menu");
  int popups = 0;
  menu->OnPopup = [&](platform::TComponent&) { ++popups; };
  TToolbarButton* drop = Button(bar, 0);
  TToolbarButton* split = Button(bar, 1);
  int clicks = 0;
  drop->OnClick = [&](platform::TComponent&) { ++clicks; };
  split->OnClick = [&](platform::TComponent&) { ++clicks; };
  drop->SetDropdownMenu(menu);
  drop->MouseDownAt(TMouseButton::Left, 5, 5);
  drop->MouseUpAt(TMouseButton::Left, 5, 5);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(clicks, 0);
  split->SetDropdownMenu(menu);
  split->SetDropdownCombo(true);
  EXPECT_EQ(split->Width(), 23 + 11);
  EXPECT_EQ(bar->Width(), 11 + 2 * 23 + 11 + 2);
  split->MouseDownAt(TMouseButton::Left, 5, 5);
  split->MouseUpAt(TMouseButton::Left, 5, 5);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(popups, 1);
  split->MouseDownAt(TMouseButton::Left, 34 - 11, 5);
  EXPECT_EQ(popups, 2);
  split->MouseUpAt(TMouseButton::Left, 34 - 11, 5);
  EXPECT_EQ(clicks, 1);
  split->SetDropdownCombo(false);
  EXPECT_EQ(split->Width(), 23);
}

TEST_F(ToolbarButtons, CaptionAcceleratorClicksFromTheKeyboard) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "xx");
  TToolbarButton* b = Button(bar, 0);
  TToolbarButton* c = Button(bar, 1);
  b->SetCaption("&Otwórz");
  c->SetCaption("&Zapisz");
  std::vector<std::string> log;
  b->OnClick = [&](platform::TComponent&) { log.push_back("b"); };
  c->OnClick = [&](platform::TComponent&) { log.push_back("c"); };
  form->Show();
  form->SendKey('Z', platform::ssAlt);
  form->SendKey('O', platform::ssAlt);
  form->SendKey('O');  // without Alt: nothing
  c->SetEnabled(false);
  form->SendKey('Z', platform::ssAlt);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));
  EXPECT_EQ(platform::AcceleratorOf("A&&B &ślad"), U'Ś');
}

TEST_F(ToolbarButtons, PropertyLimits) {
  TToolbar* bar = MakeBar("A", nullptr, "x");
  TToolbarButton* b = Button(bar, 0);
  b->SetNumGlyphs(7);
  EXPECT_EQ(b->NumGlyphs(), 5);
  b->SetMargin(-2);
  EXPECT_EQ(b->Margin(), -1);
  b->SetMargin(3);
  EXPECT_EQ(b->Margin(), 3);
}

// A strip of n images of 16 by 16: image k a square of colour k on olive.
std::unique_ptr<TBitmap> Strip(int n, int width = 16) {
  auto bitmap = std::make_unique<TBitmap>(width * n, 16, 0x008080);
  for (int k = 0; k < n; ++k) {
    platform::TBrush brush;
    brush.Color = platform::RGB(0, 0, static_cast<unsigned>(40 * (k + 1)));
    bitmap->Canvas().FillRect({k * width + 4, 4, k * width + 12, 12}, brush);
  }
  return bitmap;
}

TEST_F(ToolbarButtons, StripWidthGivesTheNumberOfImages) {
  TButtonGlyph glyph;
  struct Case {
    int width;
    int expected;
  } cases[] = {{80, 5}, {96, 1}, {48, 3}, {40, 3}};
  for (const Case& c : cases) {
    TBitmap bitmap(c.width, 16, 0x008080);
    glyph.SetGlyph(&bitmap);
    EXPECT_EQ(glyph.NumGlyphs(), c.expected) << c.width;
  }
}

TEST_F(ToolbarButtons, StateImagesComeFromTheirCellsOrTheUpImage) {
  TButtonGlyph glyph;
  auto strip = Strip(2);
  glyph.SetGlyph(strip.get());
  ASSERT_EQ(glyph.NumGlyphs(), 2);
  int up = glyph.CreateButtonGlyph(TButtonState::bsUp);
  for (TButtonState s : {TButtonState::bsDown, TButtonState::bsExclusive,
                           TButtonState::bsMouseIn}) {
    EXPECT_EQ(glyph.CreateButtonGlyph(s), up);
  }
  TGlyphList* list = glyph.List();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Width(), 17);
  EXPECT_EQ(list->Pixel(up, 0, 0), 0xFFFFFFFFu);  // olive: transparent
  EXPECT_EQ(list->Pixel(up, 6, 6), platform::RGB(0, 0, 40));
  int disabled = glyph.CreateButtonGlyph(TButtonState::bsDisabled);
  EXPECT_NE(disabled, up);
  EXPECT_EQ(list->Pixel(disabled, 6, 6), platform::RGB(0, 0, 80));
}

TEST_F(ToolbarButtons, DisabledImageIsEmbossedFromTheShape) {
  TButtonGlyph glyph;
  TBitmap bitmap(16, 16, 0x008080);
  platform::TBrush black;
  black.Color = platform::clBlack;
  bitmap.Canvas().FillRect({4, 4, 8, 8}, black);
  bitmap.Canvas().SetPixel(10, 10, platform::clWhite);   // not shape
  bitmap.Canvas().SetPixel(11, 11, 0xC0C0C0);            // not shape
  bitmap.Canvas().SetPixel(12, 12, platform::RGB(200, 0, 0));  // shape
  glyph.SetGlyph(&bitmap);
  int slot = glyph.CreateButtonGlyph(TButtonState::bsDisabled);
  TGlyphList* list = glyph.List();
  ASSERT_NE(list, nullptr);
  constexpr platform::TColor none = 0xFFFFFFFFu;
  struct Pixel {
    int x, y;
    platform::TColor color;
  } pixels[] = {
      {4, 4, clBtnShadow},    {7, 7, clBtnShadow},     {8, 8, clBtnHighlight},
      {8, 5, clBtnHighlight}, {5, 8, clBtnHighlight},  {3, 3, none},
      {10, 10, none},         {11, 11, none},          {12, 12, clBtnShadow},
      {13, 13, clBtnHighlight}, {16, 16, none},        {0, 0, none},
  };
  for (const Pixel& p : pixels) {
    EXPECT_EQ(list->Pixel(slot, p.x, p.y), p.color) << p.x << "," << p.y;
  }
  // The button draws it in place of the up image while disabled.
  TToolbar* bar = MakeBar("A", nullptr, "x");
  TToolbarButton* b = Button(bar, 0);
  b->SetGlyph(&bitmap);
  b->SetEnabled(false);
  b->PaintNow();
  EXPECT_EQ(b->State(), TButtonState::bsDisabled);
  // 23 by 22, face inset 1: 21 by 20 with the glyph at (3, 2) -> (4, 3).
  EXPECT_EQ(b->PixelAt(4 + 4, 3 + 4), clBtnShadow);
  EXPECT_EQ(b->PixelAt(4 + 8, 3 + 8), clBtnHighlight);
}

// Every state takes the image of its own cell while the strip has one, the
// up image otherwise; only the disabled image is made when missing.
TEST_F(ToolbarButtons, StripsOfOneToFiveImages) {
  const TButtonState states[] = {TButtonState::bsUp, TButtonState::bsDisabled,
                                 TButtonState::bsDown, TButtonState::bsExclusive,
                                 TButtonState::bsMouseIn};
  for (int n = 1; n <= 5; ++n) {
    TButtonGlyph glyph;
    auto strip = Strip(n);
    glyph.SetGlyph(strip.get());
    ASSERT_EQ(glyph.NumGlyphs(), n);
    for (TButtonState s : states) {
      int k = static_cast<int>(s);
      if (s == TButtonState::bsDisabled && n == 1) continue;  // embossed
      int cell = k < n ? k : 0;
      int slot = glyph.CreateButtonGlyph(s);
      ASSERT_GE(slot, 0);
      EXPECT_EQ(glyph.List()->Pixel(slot, 6, 6),
                platform::RGB(0, 0, static_cast<unsigned>(40 * (cell + 1))))
          << n << " images, state " << k;
      EXPECT_EQ(glyph.List()->Pixel(slot, 1, 1), 0xFFFFFFFFu) << n << " images, state " << k;
    }
  }
}

// A flat button shows its edge only while hot or pressed; down in a group it
// shows the checker fill only while not hot.
TEST_F(ToolbarButtons, FlatButtonEdgesAndTheCheckerOfADownButton) {
  TToolbar* bar = MakeBar("A", MakeDock("DockTop", TDockPosition::dpTop), "xx");
  TToolbarButton* b = Button(bar, 0);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(0, 10), clBtnFace);
  EXPECT_EQ(b->PixelAt(22, 10), clBtnFace);
  b->MouseMoveTo(5, 5);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(0, 10), clBtnHighlight);
  EXPECT_EQ(b->PixelAt(22, 10), clBtnShadow);
  // The timer finds the mouse elsewhere: no longer hot, no edge.
  TToolbarButton::HotTrackTick();
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(TToolbarButton::HotButton(), nullptr);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(0, 10), clBtnFace);

  b->SetGroupIndex(1);
  b->SetDown(true);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(0, 10), clBtnShadow);  // sunken
  EXPECT_EQ(b->PixelAt(22, 10), clBtnHighlight);
  // The checker: every other pixel of the face in the highlight colour.
  EXPECT_NE(b->PixelAt(2, 1), b->PixelAt(3, 1));
  EXPECT_EQ(b->PixelAt(2, 1), b->PixelAt(3, 2));
  b->MouseMoveTo(5, 5);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(2, 1), clBtnFace);
  EXPECT_EQ(b->PixelAt(3, 1), clBtnFace);
}

// A flat button that is not opaque shows its toolbar's background, the
// dock's tiles included; an opaque one its own colour.
TEST_F(ToolbarButtons, TransparentFlatButtonShowsTheDockBackground) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TToolbar* bar = MakeBar("A", top, "x");
  TToolbarButton* b = Button(bar, 0);
  platform::TBitmap tile(3, 3, platform::clWhite);
  tile.Canvas().SetPixel(0, 0, platform::clRed);
  top->SetBackground(&tile);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(2, 2), clBtnFace);
  b->SetOpaque(false);
  b->PaintNow();
  int ox = b->Left() + bar->Left() + top->Left();
  int oy = b->Top() + bar->Top() + top->Top();
  for (int y = 1; y < 6; ++y) {
    for (int x = 1; x < 6; ++x) {
      platform::TColor want = (x + ox) % 3 == 0 && (y + oy) % 3 == 0 ? platform::clRed
                                                                     : platform::clWhite;
      EXPECT_EQ(b->PixelAt(x, y), want) << x << "," << y;
    }
  }
  // Not flat: a button face again.
  b->SetFlat(false);
  b->PaintNow();
  EXPECT_EQ(b->PixelAt(3, 3), clBtnFace);
}

// A disabled caption is etched: highlight one pixel right and down, the
// shadow over it; an enabled one is drawn in the font's colour.
TEST_F(ToolbarButtons, DisabledCaptionIsEtched) {
  TToolbar* bar = MakeBar("A", nullptr, "x");
  TToolbarButton* b = Button(bar, 0);
  b->SetCaption("Mm");
  b->SetWidth(40);
  auto count = [b](platform::TColor color) {
    int n = 0;
    for (int y = 2; y < b->Height() - 2; ++y) {
      for (int x = 2; x < b->Width() - 2; ++x) n += b->PixelAt(x, y) == color;
    }
    return n;
  };
  b->PaintNow();
  EXPECT_GT(count(clBtnText), 0);
  EXPECT_EQ(count(clBtnHighlight), 0);
  b->SetEnabled(false);
  b->PaintNow();
  EXPECT_EQ(count(clBtnText), 0);
  EXPECT_GT(count(clBtnHighlight), 0);
  EXPECT_GT(count(clBtnShadow), 0);
}

TEST_F(ToolbarButtons, GlyphsOfOneSizeShareAListThatGoesWithTheLast) {
  {
    TButtonGlyph a;
    TButtonGlyph b;
    auto strip = Strip(1);
    a.SetGlyph(strip.get());
    b.SetGlyph(strip.get());
    a.CreateButtonGlyph(TButtonState::bsUp);
    b.CreateButtonGlyph(TButtonState::bsUp);
    EXPECT_EQ(a.List(), b.List());
    EXPECT_EQ(a.List()->Count(), 2);
    EXPECT_EQ(GlyphCache()->ListCount(), 1);
    b.Invalidate();
    EXPECT_EQ(a.List()->Count(), 1);
    // The freed slot is taken again.
    b.CreateButtonGlyph(TButtonState::bsUp);
    EXPECT_EQ(a.List()->Count(), 2);
  }
  EXPECT_EQ(GlyphCache(), nullptr);
}

TEST_F(ToolbarButtons, LayoutOfGlyphCaptionAndArrow) {
  TButtonGlyph glyph;
  auto strip = Strip(1);
  glyph.SetGlyph(strip.get());
  TBitmap scratch(100, 100);
  platform::TCanvas& canvas = scratch.Canvas();
  // No caption: the spacing is reset, so the margin centres the glyph.
  for (int spacing : {-1, 4}) {
    TButtonLayoutResult r = glyph.CalcButtonLayout(canvas, {1, 1, 22, 21}, {0, 0}, true, false,
                                                   "", false, TButtonLayout::blGlyphLeft, -1,
                                                   spacing, false);
    EXPECT_EQ(r.Glyph, (platform::TGdiPoint{1 + 3, 1 + 2})) << spacing;
  }
  // Top layout without a glyph is laid out as glyph-left.
  TButtonGlyph none;
  TButtonLayoutResult top = none.CalcButtonLayout(canvas, {0, 0, 60, 22}, {1, 1}, true, true,
                                                  "Ab", false, TButtonLayout::blGlyphTop, 2, 4,
                                                  false);
  platform::TGdiPoint text = canvas.TextExtent("Ab");
  EXPECT_EQ(top.Text.Left, 2 + 1);
  EXPECT_EQ(top.Text.Width(), text.X);
  EXPECT_EQ(top.Text.Top, (22 - text.Y + 1) / 2 + 1);
  // The arrow follows the glyph, centred on it.
  TButtonLayoutResult arrow = glyph.CalcButtonLayout(canvas, {0, 0, 40, 22}, {0, 0}, true, false,
                                                     "", false, TButtonLayout::blGlyphLeft, 2, 4,
                                                     true);
  EXPECT_EQ(arrow.Arrow, (platform::TGdiPoint{2 + 16, 3 + (16 - 3) / 2}));
}

}  // namespace
