// The data grid's own cell drawing, moved columns and the pick list window.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/datagrid.h"
#include "controls/gridedit.h"
#include "controls/gridformat.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/forms.h"
#include "platform/gui/stringgrid.h"
#include "platform/gui/toolwindow.h"
#include "platform/paint/gdiimage.h"

namespace {

using namespace platform;

TEST(GridDisplayText, MasksOfNumbersAndDates) {
  struct Case {
    TColumnFormat format;
    const char* mask;
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {TColumnFormat::cfNumber, "0.00", "3.14159", "3.14"},
      {TColumnFormat::cfNumber, "0.00", "-2.005e1", "-20.05"},
      {TColumnFormat::cfNumber, "#,##0.00", "1234567.891", "1 234 567.89"},
      {TColumnFormat::cfNumber, "0.##", "2.5", "2.5"},
      {TColumnFormat::cfNumber, "#.##", "0.25", ".25"},
      {TColumnFormat::cfNumber, "000", "7", "007"},
      {TColumnFormat::cfNumber, "0.0 m", "12.34", "12.3 m"},
      {TColumnFormat::cfNumber, "0.00;(0.00)", "-1.5", "(1.50)"},
      {TColumnFormat::cfNumber, "0.0", "-0.01", "0.0"},          // rounded to zero: no sign
      {TColumnFormat::cfNumber, "0.00", "3,14", "3,14"},         // no number: as stored
      {TColumnFormat::cfNumber, "", "3.14159", "3.14159"},       // no mask: as stored
      {TColumnFormat::cfDate, "dd.mm.yyyy", "2024.02.29", "29.02.2024"},
      {TColumnFormat::cfDate, "d-m-yy", "2024-03-05", "5-3-24"},
      {TColumnFormat::cfDate, "yyyy/mm/dd hh:nn", "2023.12.01 07:05", "2023/12/01 07:05"},
      {TColumnFormat::cfDate, "hh:mm:ss", "2023.12.01 07:05:09", "07:05:09"},
      {TColumnFormat::cfDate, "'dzień' d", "2023.12.01", "dzień 1"},
      {TColumnFormat::cfDate, "dd.mm.yyyy", "2023.02.31", "2023.02.31"},  // impossible day
      {TColumnFormat::cfDate, "dd.mm.yyyy", "wczoraj", "wczoraj"},
      {TColumnFormat::cfDate, "dd.mm.yyyy", "2023.12.01 25:00", "2023.12.01 25:00"},
      {TColumnFormat::cfString, "0.00", "3.14159", "3.14159"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CellDisplayText(c.format, c.mask, c.text), c.shown) << c.mask << " / " << c.text;
}

class GridDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 500, 400);
    grid = form->Create<TDataGrid>(form.get(), "Siatka");
    grid->SetBounds(0, 0, 480, 380);
    grid->SetColCount(4);
    grid->SetRowCount(4);
    for (int c = 0; c < 4; ++c) grid->SetColWidths(c, 80);
  }
  // Pixel in the middle of a cell's lower right quarter (away from its text).
  TColor CellPixel(TBitmap& image, int col, int row) const {
    int x = 0;
    for (int c = 0; c < col; ++c) x += grid->ColWidths(c) + 1;
    int y = 0;
    for (int r = 0; r < row; ++r) y += grid->RowHeights(r) + 1;
    return image.Pixel(x + grid->ColWidths(col) - 4, y + grid->RowHeights(row) - 3);
  }
  std::unique_ptr<TForm> form;
  TDataGrid* grid = nullptr;
};

TEST_F(GridDraw, CellsShowMaskedValuesAndTitlesTheirCaptions) {
  TColumn& number = grid->Columns().Items(1);
  number.SetFormat(TColumnFormat::cfNumber);
  number.SetDisplayMask("#,##0.00");
  number.SetAlignment(TTextAlignment::taRightJustify);
  number.Title().SetCaption("Pole [m²]");
  number.Title().SetAlignment(TTextAlignment::taCenter);
  TColumn& date = grid->Columns().Items(2);
  date.SetFormat(TColumnFormat::cfDate);
  date.SetDisplayMask("dd.mm.yyyy");
  grid->SetCells(1, 0, "pole");
  grid->SetCells(1, 2, "12345.678");
  grid->SetCells(2, 2, "2024.07.01");
  grid->SetCells(2, 3, "nie data");
  grid->SetCells(2, 0, "data");

  // The cells keep the stored values; only what is drawn changes.
  EXPECT_EQ(grid->Cells(1, 2), "12345.678");
  const TGridCellLook masked = grid->CellLook(1, 2);
  EXPECT_EQ(masked.Text, "12 345.68");
  EXPECT_EQ(masked.Alignment, TGridCellLook::Right);
  EXPECT_EQ(grid->CellLook(2, 2).Text, "01.07.2024");
  EXPECT_EQ(grid->CellLook(2, 3).Text, "nie data");
  const TGridCellLook title = grid->CellLook(1, 0);
  EXPECT_EQ(title.Text, "Pole [m²]");
  EXPECT_EQ(title.Alignment, TGridCellLook::Center);
  EXPECT_TRUE(title.HasBrush);
  EXPECT_EQ(title.Brush, kGridFixedColor);
  EXPECT_EQ(grid->CellLook(2, 0).Text, "data");  // no caption: the cell's text

  // Drawn: the title row grey, a coloured column in its colour, and the
  // title's caption really written (the cell differs from an empty one).
  grid->Columns().Items(3).SetColor(clLime);
  TBitmap image(1, 1);
  RenderGrid(*grid, image);
  EXPECT_EQ(CellPixel(image, 3, 0), kGridFixedColor);
  EXPECT_EQ(CellPixel(image, 3, 2), clLime);
  int dark = 0;
  for (int x = 81; x < 161; ++x)
    for (int y = 0; y < grid->RowHeights(0); ++y)
      if (image.Pixel(x, y) != kGridFixedColor) ++dark;
  EXPECT_GT(dark, 10);
}

TEST_F(GridDraw, BackgroundPictureTiledBehindDataCellsAndBeyondThem) {
  TBitmap picture(8, 8, clRed);
  grid->SetRow(1);
  grid->SetCol(1);
  grid->SetBGImage(picture);
  EXPECT_TRUE(grid->HasBGImage());
  EXPECT_TRUE(grid->CellLook(2, 2).Transparent);
  EXPECT_FALSE(grid->CellLook(2, 0).Transparent);  // a fixed cell keeps its grey
  TBitmap image(1, 1);
  RenderGrid(*grid, image);
  EXPECT_EQ(CellPixel(image, 2, 2), clRed);
  EXPECT_EQ(CellPixel(image, 2, 0), kGridFixedColor);
  EXPECT_EQ(CellPixel(image, 1, 1), 0xFFFF00u);  // the current cell: inverted
  // Beyond the last column and the last row.
  EXPECT_EQ(image.Pixel(470, 50), clRed);
  EXPECT_EQ(image.Pixel(50, 300), clRed);

  grid->ClearBGImage();
  EXPECT_FALSE(grid->HasBGImage());
  RenderGrid(*grid, image);
  EXPECT_NE(CellPixel(image, 2, 2), clRed);
  TBitmap empty(0, 0);  // made 1 by 1: still a picture
  grid->SetBGImage(empty);
  EXPECT_TRUE(grid->HasBGImage());
}

TEST_F(GridDraw, MovedColumnTakesItsValuesDescriptionAndWidth) {
  for (int c = 0; c < 4; ++c) {
    grid->Columns().Items(c).Title().SetCaption("k" + std::to_string(c));
    for (int r = 0; r < 4; ++r) grid->SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
  }
  grid->Columns().Items(1).SetFormat(TColumnFormat::cfNumber);
  grid->SetColWidths(1, 123);
  grid->MoveColumn(1, 3);
  const std::vector<std::string> titles = {"k0", "k2", "k3", "k1"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(grid->Columns().Items(c).Title().Caption(), titles[static_cast<size_t>(c)]);
    for (int r = 0; r < 4; ++r)
      EXPECT_EQ(grid->Cells(c, r), titles[static_cast<size_t>(c)].substr(1) + ":" + std::to_string(r));
  }
  EXPECT_EQ(grid->Columns().Items(3).Format(), TColumnFormat::cfNumber);
  EXPECT_EQ(grid->ColWidths(3), 123);
  EXPECT_EQ(grid->ColWidths(1), 80);

  grid->MoveColumn(3, 0);  // and back leftwards
  EXPECT_EQ(grid->Columns().Items(0).Title().Caption(), "k1");
  EXPECT_EQ(grid->Cells(0, 2), "1:2");
  EXPECT_EQ(grid->Cells(1, 2), "0:2");
  EXPECT_THROW(grid->MoveColumn(0, 4), std::out_of_range);
  EXPECT_EQ(grid->Columns().Count(), grid->ColCount());
}

TEST_F(GridDraw, PickListDropsBelowTheCellOrAboveNearTheScreenBottom) {
  TColumn& pick = grid->Columns().Items(2);
  pick.PickList() = {"alfa", "beta", "gamma", "delta"};
  grid->SetRow(1);
  grid->SetCol(2);
  const TGdiRect work = ScreenWorkArea();
  for (const bool nearBottom : {false, true}) {
    SCOPED_TRACE(nearBottom ? "przy dolnej krawędzi" : "u góry ekranu");
    // A window stays inside the work area: a low one at its bottom puts
    // the cell near the screen's bottom edge.
    if (nearBottom)
      form->SetBounds(work.Left + 10, work.Bottom - 72, 500, 68);
    else
      form->SetBounds(work.Left + 10, work.Top + 10, 500, 400);
    form->Show();
    grid->ShowEditor();
    TDataGridInplaceEdit& editor = grid->InplaceEditor();
    const TGdiPoint cell = ClientToScreen(editor, 0, 0);
    editor.SendKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(editor.ListVisible());
    TPopupListbox& list = *editor.PickList();
    EXPECT_EQ(list.Left(), cell.X);
    if (nearBottom) EXPECT_EQ(list.Top() + list.Height(), cell.Y);
    else EXPECT_EQ(list.Top(), cell.Y + editor.Height());
    EXPECT_LE(list.Top() + list.Height(), work.Bottom);
    editor.SendKey(VK_DOWN);    // from the first entry (the cell is empty)
    editor.SendKey(VK_RETURN);  // accepts
    EXPECT_FALSE(editor.ListVisible());
    EXPECT_EQ(grid->Cells(2, 1), "beta");
    editor.SendKey(VK_DOWN, ssAlt);
    EXPECT_TRUE(editor.ListVisible());
    editor.SendKey(VK_ESCAPE);  // closes, keeps the cell
    EXPECT_FALSE(editor.ListVisible());
    EXPECT_EQ(grid->Cells(2, 1), "beta");
    grid->SetCells(2, 1, "");
    grid->HideEditor();
  }
}

TEST_F(GridDraw, EllipsisButtonShowsThreeDots) {
  grid->Columns().Items(1).SetButtonStyle(TColumnButtonStyle::cbsEllipsis);
  grid->SetRow(2);
  grid->SetCol(1);
  form->Show();
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  ASSERT_EQ(editor.EditStyle(), TEditStyle::esEllipsis);
  TBitmap image(1, 1);
  RenderGrid(*grid, image);
  const int bw = editor.ButtonWidth();
  const int w = std::max(1, editor.Height() / 8);
  const int c = bw / 2 - 1;
  const int left = editor.Left() + editor.Width() - bw;
  const int y = editor.Top() + c + 3;
  for (int x : {c - 2 * w, c, c + 2 * w}) EXPECT_EQ(image.Pixel(left + x, y), clBlack) << x;
  // Between the dots the button's face.
  EXPECT_NE(image.Pixel(left + c + w, y), clBlack);

  // A plain column has no button: the same place is the editor's text area.
  grid->Columns().Items(1).SetButtonStyle(TColumnButtonStyle::cbsNone);
  editor.UpdateContents();
  RenderGrid(*grid, image);
  EXPECT_NE(image.Pixel(left + c, y), clBlack);
}

TEST_F(GridDraw, DropDownButtonLooksPressedWhileTheOpeningPressIsHeld) {
  grid->Columns().Items(2).PickList() = {"alfa", "beta"};
  grid->SetRow(1);
  grid->SetCol(2);
  form->Show();
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  ASSERT_EQ(editor.EditStyle(), TEditStyle::esPickList);
  TBitmap up(1, 1);
  RenderGrid(*grid, up);
  const int x = editor.Width() - 2;
  editor.MouseDownAt(TMouseButton::Left, x, 3);
  EXPECT_TRUE(editor.ListVisible());
  EXPECT_TRUE(editor.Pressed());
  TBitmap down(1, 1);
  RenderGrid(*grid, down);
  EXPECT_FALSE(up.SameAs(down));
  editor.MouseMoveTo(2, 3);  // off the button
  EXPECT_FALSE(editor.Pressed());
  editor.MouseMoveTo(x, 3);
  EXPECT_TRUE(editor.Pressed());
  editor.MouseUpAt(TMouseButton::Left, x, 3);
  EXPECT_FALSE(editor.Pressed());
  EXPECT_TRUE(editor.ListVisible());  // the release leaves the list open
  editor.MouseDownAt(TMouseButton::Left, x, 3);  // a second press closes it
  EXPECT_FALSE(editor.ListVisible());
  EXPECT_FALSE(editor.Pressed());
  editor.MouseUpAt(TMouseButton::Left, x, 3);
}

TEST_F(GridDraw, PickListWidensToItsWidestEntry) {
  TColumn& pick = grid->Columns().Items(2);
  grid->SetRow(1);
  grid->SetCol(2);
  form->Show();
  const std::string longEntry = "bardzo długa nazwa użytku gruntowego ponad szerokość komórki";
  struct Case {
    std::vector<std::string> entries;
    bool wider;
  };
  const Case cases[] = {{{"a", "b"}, false}, {{"a", longEntry, "b"}, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wider ? "długi wpis" : "krótkie wpisy");
    pick.PickList() = c.entries;
    grid->ShowEditor();
    TDataGridInplaceEdit& editor = grid->InplaceEditor();
    editor.UpdateContents();
    editor.SendKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(editor.ListVisible());
    TPopupListbox& list = *editor.PickList();
    if (c.wider) {
      EXPECT_GT(list.Width(), editor.Width());
      EXPECT_GE(list.ClientWidth(), ListTextWidth(list, longEntry));
    } else {
      EXPECT_EQ(list.Width(), editor.Width());
    }
    editor.SendKey(VK_ESCAPE);
    EXPECT_FALSE(editor.ListVisible());
  }
}

TEST_F(GridDraw, DoubleClickOnAReadOnlyEditorPressesItsButton) {
  TColumn& ellipsis = grid->Columns().Items(1);
  ellipsis.SetButtonStyle(TColumnButtonStyle::cbsEllipsis);
  int asked = 0;
  grid->OnEditButtonClick = [&](TComponent&) { ++asked; };
  grid->SetRow(1);
  grid->SetCol(1);
  form->Show();
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  ASSERT_EQ(editor.EditStyle(), TEditStyle::esEllipsis);
  editor.DblClickAt(2, 3);  // editable: a double-click in the text stays there
  EXPECT_EQ(asked, 0);
  editor.DblClickAt(editor.Width() - 2, 3);  // on the button: one press only
  EXPECT_EQ(asked, 1);
  ellipsis.SetReadOnly(true);
  editor.UpdateContents();
  ASSERT_TRUE(editor.ReadOnly());
  editor.DblClickAt(2, 3);
  EXPECT_EQ(asked, 2);

  // A pick list limited to its entries is read-only: the double-click opens
  // the list, the next one closes it.
  TColumn& pick = grid->Columns().Items(2);
  pick.PickList() = {"alfa", "beta"};
  pick.LimitToList = true;
  grid->SetCol(2);
  grid->ShowEditor();
  editor.UpdateContents();
  ASSERT_EQ(editor.EditStyle(), TEditStyle::esPickList);
  ASSERT_TRUE(editor.ReadOnly());
  editor.DblClickAt(2, 3);
  EXPECT_TRUE(editor.ListVisible());
  EXPECT_FALSE(editor.Pressed());
  editor.DblClickAt(2, 3);
  EXPECT_FALSE(editor.ListVisible());
  EXPECT_EQ(asked, 2);
}

TEST_F(GridDraw, PressOnTheButtonDraggedIntoTheListSelectsThere) {
  grid->Columns().Items(2).PickList() = {"alfa", "beta", "gamma"};
  grid->SetRow(1);
  grid->SetCol(2);
  form->Show();
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  const int bx = editor.Width() - 2;
  editor.MouseDownAt(TMouseButton::Left, bx, 3);
  ASSERT_TRUE(editor.ListVisible());
  TPopupListbox& list = *editor.PickList();
  EXPECT_EQ(list.ItemIndex(), 0);
  // The middle of the second entry, in the editor's mouse coordinates.
  const TGdiRect item = ListItemRect(list, 1);
  ASSERT_GT(item.Height(), 0);
  int x = (item.Left + item.Right) / 2;
  int y = (item.Top + item.Bottom) / 2;
  MousePointToScreen(list, x, y);
  ScreenToMousePoint(editor, x, y);
  editor.MouseMoveTo(2, 3, ssLeft);  // still over the editor
  EXPECT_EQ(list.ItemIndex(), 0);
  editor.MouseMoveTo(x, y, ssLeft);
  EXPECT_EQ(list.ItemIndex(), 1);
  EXPECT_FALSE(editor.Pressed());
  EXPECT_TRUE(editor.ListVisible());
  editor.MouseUpAt(TMouseButton::Left, x, y);
  EXPECT_FALSE(editor.ListVisible());
  EXPECT_EQ(grid->Cells(2, 1), "beta");
  EXPECT_TRUE(editor.Modified());
}

}  // namespace
