#include <string>

#include <gtest/gtest.h>

#include "platform/gui/controls_menus.h"
#include "platform/paint/imagefile.h"
#include "toolbar_fixture.h"

namespace {

using platform::TBitmap;

using ToolbarPicture = ToolbarForm;

// A glyph: a black arrow-like square on olive (transparent).
std::unique_ptr<TBitmap> Glyph() {
  auto bitmap = std::make_unique<TBitmap>(16, 16, 0x008080);
  platform::TBrush black;
  black.Color = platform::clBlack;
  bitmap->Canvas().FillRect({3, 3, 13, 13}, black);
  return bitmap;
}

// Two docks, three docked toolbars (one wrapped into two rows of its dock's
// column, one with a separator and a drop-down button) and a floating one,
// drawn from the controls' surfaces into one picture.
TEST_F(ToolbarPicture, FormWithDocksToolbarsAndAFloatingToolbar) {
  TDock* top = MakeDock("DockTop", TDockPosition::dpTop);
  TDock* left = MakeDock("DockLeft", TDockPosition::dpLeft);
  top->SetBoundLines(blBottom);
  auto glyph = Glyph();
  TToolbar* standard = MakeBar("Standard", top, "xx|xx", 0, 0);
  TToolbar* narzedzia = MakeBar("Narzedzia", top, "xxx", 0, 120);
  TToolbar* wrapped = MakeBar("Warstwy", left, "xxxxx|xxxx", 0, 0);
  TToolbar* pomiar = MakeBar("Pomiar", nullptr, "xx|xx");
  pomiar->SetCaption("Pomiar");
  pomiar->SetFloatRightX(4 + 2 * 23 + 4);
  pomiar->ArrangeControls();
  auto* menu = form->Create<platform::TPopupMenu>(nullptr, "Menu");
  auto* drop = dynamic_cast<TToolbarButton*>(standard->OrderList()[4]);
  drop->SetDropdownMenu(menu);
  drop->SetDropdownCombo(true);
  for (TToolbar* bar : {standard, narzedzia, wrapped, pomiar}) {
    for (platform::TControl* c : bar->OrderList()) {
      if (auto* b = dynamic_cast<TToolbarButton*>(c)) b->SetGlyph(glyph.get());
    }
  }
  dynamic_cast<TToolbarButton*>(narzedzia->OrderList()[1])->SetEnabled(false);
  auto* down = dynamic_cast<TToolbarButton*>(narzedzia->OrderList()[2]);
  down->SetGroupIndex(1);
  down->SetDown(true);

  TFloatWindow* w = pomiar->FloatWindow();
  const int floatX = 420;
  const int floatY = 20;
  TBitmap picture(420 + w->Width() + 20, 300, 0x404040);
  RenderControl(picture, *form, 0, 0);

  RenderControl(picture, *w, floatX, floatY);
  std::string file = "toolbar_picture.png";
  ASSERT_TRUE(platform::SaveBitmapToFile(picture, file));

  // The top dock: its bound line under the row, the toolbar's raised edge
  // and drag handle, the first glyph and the separator's etched line.
  ASSERT_EQ(top->Height(), 27);
  EXPECT_EQ(picture.Pixel(300, 26), clBtnHighlight);
  EXPECT_EQ(picture.Pixel(0, 10), clBtnHighlight);
  EXPECT_EQ(picture.Pixel(4, 10), clBtnHighlight);
  EXPECT_EQ(picture.Pixel(6, 10), clBtnShadow);
  int bx = 11 + 1 + 3;  // first button, face inset, glyph margin
  int by = 2 + 1 + 2;
  EXPECT_EQ(picture.Pixel(bx + 5, by + 5), platform::clBlack);
  EXPECT_EQ(picture.Pixel(bx + 1, by + 1), clBtnFace);
  int sepX = 11 + 2 * 23;
  EXPECT_EQ(picture.Pixel(sepX + 2, 10), clBtnShadow);
  EXPECT_EQ(picture.Pixel(sepX + 3, 10), clBtnHighlight);
  // The split button's arrow: a triangle 11 pixels from its right end.
  int dropX = drop->Left() + standard->Left();
  EXPECT_EQ(picture.Pixel(dropX + drop->Width() - 13 + 6, 2 + 11 - 1 + 1), platform::clBlack);
  // The disabled button of the second toolbar is embossed.
  int dx = narzedzia->Left() + 11 + 23 + 1 + 3;
  EXPECT_EQ(picture.Pixel(dx + 3, by + 3), clBtnShadow);
  EXPECT_EQ(picture.Pixel(dx + 13, by + 13), clBtnHighlight);
  // The down button shows the checker pattern around its glyph.
  int ex = narzedzia->Left() + 11 + 2 * 23 + 1;
  EXPECT_NE(picture.Pixel(ex + 1, by), picture.Pixel(ex + 2, by));
  // The left dock: one column, the toolbar longer than the form is tall.
  EXPECT_EQ(left->Width(), 27);
  EXPECT_EQ(left->Top(), 27);
  EXPECT_EQ(picture.Pixel(10, 27 + 4), clBtnHighlight);  // vertical drag handle
  // The floating toolbar: caption, close button, and the wrap's etched line.
  int b = platform::TToolWindow::FrameBorder();
  platform::TGdiRect close = w->GetCloseButtonRect();
  EXPECT_EQ(picture.Pixel(floatX + close.Left - 2, floatY + b + 1), 0x800000u);
  // The caption's text in white from one pixel into the bar.
  int white = 0;
  for (int x = b + 1; x < b + 12; ++x) {
    for (int y = b; y < b + 14; ++y) white += picture.Pixel(floatX + x, floatY + y) == 0xFFFFFFu;
  }
  EXPECT_GT(white, 0);
  // The close button: a frame of the caption's colour, the button's edge
  // and its cross.
  EXPECT_EQ(picture.Pixel(floatX + close.Left, floatY + close.Top + 5), 0x800000u);
  EXPECT_EQ(picture.Pixel(floatX + close.Left + 4, floatY + close.Top + 3), platform::clBlack);
  ASSERT_EQ(pomiar->WrapList().size(), 1u);
  int lineY = floatY + pomiar->Top() + pomiar->WrapList()[0].Top - 4;
  EXPECT_EQ(picture.Pixel(floatX + pomiar->Left() + 10, lineY), clBtnShadow);
  EXPECT_EQ(picture.Pixel(floatX + pomiar->Left() + 10, lineY + 1), clBtnHighlight);
}

}  // namespace
