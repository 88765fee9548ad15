// The data grid, its columns and its cell editor.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/datagrid.h"
#include "controls/gridedit.h"
#include "foundation/text/datetime.h"
#include "platform/gui/forms.h"
#include "platform/gui/stringgrid.h"

namespace {

using namespace platform;

class Grid : public ::testing::Test {
 protected:
  void SetUp() override {
    form = MakeForm<TForm>();
    form->SetBounds(0, 0, 500, 400);
    grid = form->Create<TDataGrid>(form.get(), "Siatka");
    grid->SetBounds(0, 0, 480, 380);
    grid->SetColCount(3);
    grid->SetRowCount(4);
  }
  std::vector<std::string> Column(int c) const {
    std::vector<std::string> out;
    for (int r = 0; r < grid->RowCount(); ++r) out.push_back(grid->Cells(c, r));
    return out;
  }
  void FillRows() {
    for (int r = 1; r < grid->RowCount(); ++r) grid->SetCells(1, r, "w" + std::to_string(r));
  }
  std::unique_ptr<TForm> form;
  TDataGrid* grid = nullptr;
};

TEST_F(Grid, ColumnObjectsFollowColCountAndTheOtherWay) {
  EXPECT_EQ(grid->Columns().Count(), 3);
  grid->SetColCount(5);
  EXPECT_EQ(grid->Columns().Count(), 5);
  TColumn& added = grid->Columns().Add();
  EXPECT_EQ(grid->ColCount(), 6);
  EXPECT_EQ(added.InternalCol(), 5);
  grid->SetColCount(2);
  EXPECT_EQ(grid->Columns().Count(), 2);
}

TEST_F(Grid, AssignedValuesFollowTheGridUntilSet) {
  TColumn& c = grid->Columns().Items(1);
  EXPECT_FALSE(c.ReadOnly());  // the grid edits
  EXPECT_TRUE(c.StoredProperties().empty());
  c.SetReadOnly(false);
  EXPECT_TRUE(c.AssignedValues() & cvReadOnly);
  EXPECT_TRUE(c.StoredProperties().empty());  // equal to the default
  c.SetReadOnly(true);
  EXPECT_EQ(c.StoredProperties(), std::vector<std::string>{"ReadOnly"});

  TColumn& d = grid->Columns().Items(2);
  grid->SetColor(0x00112233);
  EXPECT_EQ(d.Color(), 0x00112233u);
  d.SetColor(0x00445566);
  grid->SetColor(0x00778899);
  EXPECT_EQ(d.Color(), 0x00445566u);
  EXPECT_EQ(grid->Columns().Items(0).Color(), 0x00778899u);

  TFont font;
  font.Name = "Courier";
  grid->SetFont(font);
  EXPECT_EQ(d.Font().Name, "Courier");
  EXPECT_EQ(d.Title().Font().Name, "Courier");
  d.RestoreDefaults();
  EXPECT_EQ(d.AssignedValues(), 0);
  EXPECT_EQ(d.Color(), 0x00778899u);

  // Without a grid: read-only, the window colour.
  TDataGridColumns loose(nullptr);
  TColumn& l = loose.Add();
  EXPECT_TRUE(l.ReadOnly());
  EXPECT_EQ(l.Color(), kColumnWindowColor);
}

TEST_F(Grid, FormatChangeEmptiesTheDisplayMaskAndAssignCopiesSome) {
  TColumn& a = grid->Columns().Items(0);
  a.SetFormat(TColumnFormat::cfNumber);
  a.SetDisplayMask("0.00");
  a.SetFormat(TColumnFormat::cfNumber);
  EXPECT_EQ(a.DisplayMask(), "0.00");
  a.SetFormat(TColumnFormat::cfDate);
  EXPECT_EQ(a.DisplayMask(), "");

  a.EditMask = "999";
  a.Title().SetCaption("Nr etykiety");
  a.PickList() = {"x", "y"};
  a.SetAlignment(TTextAlignment::taRightJustify);
  TColumn& b = grid->Columns().Items(1);
  b.Assign(a);
  EXPECT_EQ(b.Title().Caption(), "Nr etykiety");
  EXPECT_EQ(b.PickList(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(b.Alignment(), TTextAlignment::taRightJustify);
  EXPECT_EQ(b.EditMask, "");
  EXPECT_EQ(b.Format(), TColumnFormat::cfString);
}

TEST_F(Grid, ColumnForgetsAPopupMenuFreedFirst) {
  auto menu = std::make_unique<TPopupMenu>();
  grid->Columns().Items(1).SetPopupMenu(menu.get());
  grid->Columns().Items(2).SetPopupMenu(menu.get());
  menu.reset();
  EXPECT_EQ(grid->Columns().Items(1).PopupMenu(), nullptr);
  EXPECT_EQ(grid->Columns().Items(2).PopupMenu(), nullptr);
  // A menu that outlives the grid is left alone when the grid goes.
  auto lasting = std::make_unique<TPopupMenu>();
  grid->Columns().Items(0).SetPopupMenu(lasting.get());
  form.reset();
  lasting.reset();
}

TEST_F(Grid, RightButtonPopsUpTheMenuOfTheColumnUnderThePointer) {
  form->Show();
  TPopupMenu menu;
  int popups = 0;
  menu.OnPopup = [&](TComponent&) { ++popups; };
  grid->Columns().Items(1).SetPopupMenu(&menu);
  const int inColumn1 = grid->ColWidths(0) + 5;
  const int inColumn2 = grid->ColWidths(0) + grid->ColWidths(1) + 8;
  grid->MouseUpAt(TMouseButton::Right, inColumn2, 30);
  EXPECT_EQ(popups, 0);
  grid->MouseUpAt(TMouseButton::Left, inColumn1, 30);
  EXPECT_EQ(popups, 0);
  grid->MouseUpAt(TMouseButton::Right, inColumn1, 30);
  EXPECT_EQ(popups, 1);
  grid->Columns().Items(1).SetPopupMenu(nullptr);
}

TEST_F(Grid, RowCountMinIsStoredClippedAndRaisesTheRowCount) {
  grid->SetRowCountMin(-5);
  EXPECT_EQ(grid->RowCountMin(), 0);
  grid->SetRowCountMin(10);
  EXPECT_EQ(grid->RowCount(), 10);
}

TEST_F(Grid, RowOperations) {
  FillRows();
  std::vector<std::string> events;
  grid->BeforeInsert = [&](TComponent&) { events.push_back("before insert"); };
  grid->AfterInsert = [&](TComponent&, int row) { events.push_back("after " + std::to_string(row)); };
  grid->BeforeDelete = [&](TComponent&) { events.push_back("before delete"); };

  grid->InsertRow(2);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"", "w1", "", "w2", "w3"}));
  grid->AppendRow();
  EXPECT_EQ(grid->RowCount(), 6);
  grid->MoveOrDeleteRow(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"", "", "w2", "w3", ""}));
  EXPECT_EQ(events, (std::vector<std::string>{"before insert", "after 2", "before insert", "after 5",
                                              "before delete"}));
}

TEST_F(Grid, DeletionTheLimitsForbidOnlyEmptiesTheRow) {
  grid->SetRowCount(2);
  grid->SetCells(0, 1, "fixed");
  grid->SetCells(1, 1, "a");
  grid->MoveOrDeleteRow(1);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "");
  EXPECT_EQ(grid->Cells(0, 1), "fixed");

  grid->SetRowCount(3);
  grid->SetRowCountMin(3);
  grid->SetCells(1, 2, "b");
  grid->MoveOrDeleteRow(2);
  EXPECT_EQ(grid->RowCount(), 3);
  EXPECT_EQ(grid->Cells(1, 2), "");
}

TEST_F(Grid, RowKeysOnlyWithTheirOptions) {
  FillRows();
  grid->SetFocus();
  grid->SetRow(3);
  grid->SetCol(1);
  grid->SendKey(VK_DELETE, ssCtrl);
  EXPECT_EQ(grid->RowCount(), 4);
  EXPECT_EQ(grid->Cells(1, 3), "w3");
  grid->SendKey(VK_DOWN);
  EXPECT_EQ(grid->RowCount(), 4);

  grid->SetDataGridOptions(dgoAppendRow | dgoInsertRow | dgoDeleteRow);
  grid->SendKey(VK_DOWN);
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(grid->Row(), 4);
  grid->SetRow(1);
  grid->SendKey(VK_INSERT, ssCtrl);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"", "", "w1", "w2", "w3", ""}));
  grid->SendKey(VK_DELETE, ssCtrl);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"", "w1", "w2", "w3", ""}));
}

TEST(GridScaling, ResolutionScalingDoesNotCompoundWhenTheWindowIsMadeAgain) {
  auto form = MakeForm<TForm>();
  auto other = MakeForm<TForm>();
  TDataGrid grid;
  grid.SetColCount(3);
  grid.SetColWidths(1, 74);
  EXPECT_EQ(grid.PixelsPerInch(), 120);
  grid.ScaleToResolution(96);
  EXPECT_EQ(grid.DefaultRowHeight(), 16);
  EXPECT_EQ(grid.ColWidths(1), 59);
  // The window made again (placed on another form) does not scale twice.
  grid.SetParent(form.get());
  grid.SetParent(nullptr);
  grid.SetParent(other.get());
  EXPECT_EQ(grid.DefaultRowHeight(), 16);
  EXPECT_EQ(grid.ColWidths(1), 59);
  grid.SetParent(nullptr);
}

TEST(GridScaling, FirstWindowScalesToTheScreen) {
  auto form = MakeForm<TForm>();
  TDataGrid grid;
  grid.SetColCount(2);
  grid.SetColWidths(1, 74);
  grid.SetParent(form.get());
  const int ppi = ScreenPixelsPerInch();
  EXPECT_EQ(grid.DefaultRowHeight(), MulDivRound(20, ppi, 120));
  EXPECT_EQ(grid.ColWidths(1), MulDivRound(74, ppi, 120));
  grid.SetParent(nullptr);
}

// --- the cell editor ---

TEST_F(Grid, EditorKindFollowsTheColumn) {
  TColumn& plain = grid->Columns().Items(0);
  TColumn& ellipsis = grid->Columns().Items(1);
  TColumn& pick = grid->Columns().Items(2);
  ellipsis.SetButtonStyle(TColumnButtonStyle::cbsEllipsis);
  pick.PickList() = {"jeden", "dwa"};
  (void)plain;
  grid->SetFixedCols(0);
  grid->SetRow(1);
  const std::pair<int, TEditStyle> kinds[] = {
      {0, TEditStyle::esSimple}, {1, TEditStyle::esEllipsis}, {2, TEditStyle::esPickList}};
  for (auto [col, style] : kinds) {
    grid->SetCol(col);
    grid->ShowEditor();
    EXPECT_EQ(grid->InplaceEditor().EditStyle(), style) << col;
  }
  pick.SetButtonStyle(TColumnButtonStyle::cbsNone);
  grid->InplaceEditor().UpdateContents();
  EXPECT_EQ(grid->InplaceEditor().EditStyle(), TEditStyle::esSimple);
  pick.SetButtonStyle(TColumnButtonStyle::cbsAuto);
  pick.SetReadOnly(true);
  grid->InplaceEditor().UpdateContents();
  EXPECT_EQ(grid->InplaceEditor().EditStyle(), TEditStyle::esSimple);
  EXPECT_TRUE(grid->InplaceEditor().ReadOnly());
}

TEST_F(Grid, EllipsisButtonAndCtrlEnterAskTheGrid) {
  grid->Columns().Items(1).SetButtonStyle(TColumnButtonStyle::cbsEllipsis);
  int asked = 0;
  grid->OnEditButtonClick = [&](TComponent& sender) {
    EXPECT_EQ(&sender, grid);
    ++asked;
  };
  grid->SetRow(1);
  grid->SetCol(1);
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  editor.ButtonClick();
  editor.SendKey(VK_RETURN, ssCtrl);
  editor.MouseDownAt(TMouseButton::Left, editor.Width() - 2, 3);
  editor.MouseUpAt(TMouseButton::Left, editor.Width() - 2, 3);
  EXPECT_EQ(asked, 3);
  editor.MouseDownAt(TMouseButton::Left, 2, 3);  // in the text
  EXPECT_EQ(asked, 3);
}

TEST_F(Grid, ValidateCellRefusesABadNumberAndKeepsTheOldValue) {
  grid->Columns().Items(1).SetFormat(TColumnFormat::cfNumber);
  grid->SetCells(1, 1, "12.5");
  int changed = 0;
  grid->OnUserChanged = [&](TComponent& sender) {
    EXPECT_EQ(&sender, &grid->InplaceEditor());
    ++changed;
  };
  grid->SetRow(1);
  grid->SetCol(1);
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  editor.SelectAll();
  const int beeps = BeepCount();
  editor.SendText("1,5");
  EXPECT_EQ(grid->Cells(1, 1), "1,5");
  editor.SendKey(VK_LEFT);
  EXPECT_EQ(BeepCount(), beeps + 1);
  EXPECT_EQ(grid->Cells(1, 1), "12.5");
  EXPECT_EQ(editor.Text(), "12.5");
  EXPECT_TRUE(editor.Visible());
  EXPECT_FALSE(editor.Modified());
  EXPECT_EQ(changed, 1);

  editor.SelectAll();
  editor.SendText("-2.5e3");
  editor.ValidateCell();
  EXPECT_EQ(grid->Cells(1, 1), "-2.5e3");
  EXPECT_EQ(BeepCount(), beeps + 1);
}

TEST_F(Grid, EditedFromTheKeyboardCellByCell) {
  grid->Columns().Items(1).SetFormat(TColumnFormat::cfNumber);
  grid->SetCells(1, 2, "7");
  grid->SetFocus();
  grid->SetRow(1);
  grid->SetCol(1);
  grid->SendText("4");
  ASSERT_TRUE(grid->EditorShown());
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  editor.SendText(".5");
  editor.SendKey(VK_DOWN);
  EXPECT_EQ(grid->Cells(1, 1), "4.5");
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_TRUE(grid->EditorShown());
  EXPECT_EQ(editor.Text(), "7");
  editor.SendKey(VK_RETURN);  // selects the whole text
  editor.SendText("x");
  EXPECT_EQ(grid->Cells(1, 2), "x");
  editor.SendKey(VK_ESCAPE);
  EXPECT_FALSE(grid->EditorShown());
  EXPECT_EQ(grid->Cells(1, 2), "7");
  grid->SendKey(0x71);  // F2
  EXPECT_TRUE(grid->EditorShown());
  // The toolkit's own editor never opens.
  EXPECT_EQ(grid->Options() & goEditing, goEditing);
}

TEST_F(Grid, EditMaskOfTheColumnOrOfTheEvent) {
  grid->Columns().Items(1).EditMask = "999;0; ";
  grid->SetRow(1);
  grid->SetCol(1);
  grid->ShowEditor();
  EXPECT_EQ(grid->InplaceEditor().EditMask(), "999;0; ");
  grid->OnGetEditMask = [](TComponent&, int col, int row, std::string& mask) {
    if (col == 1 && row == 2) mask = "00";
  };
  EXPECT_EQ(grid->GetEditMask(1, 2), "00");
  EXPECT_EQ(grid->GetEditMask(1, 1), "999;0; ");
  EXPECT_EQ(grid->GetEditMask(7, 1), "");
}

TEST_F(Grid, FreedWhileItsEditorHoldsAChangedCell) {
  grid->Columns().Items(2).PickList() = {"a"};
  grid->SetRow(1);
  grid->SetCol(2);
  grid->ShowEditor();
  grid->InplaceEditor().DropDown();
  grid->InplaceEditor().SendText("zmiana");
  int changes = 0;
  grid->OnUserChanged = [&](TComponent&) { ++changes; };
  form.reset();
  EXPECT_LE(changes, 1);
}

TEST(CellCheck, FormatsOfColumns) {
  TPackedDateTime now = 0;
  NowPackedDateTime(now);
  const std::string today = PackedDateToStr(now);
  struct Case {
    TColumnFormat format;
    const char* text;
    bool ok;
    std::string checked;
  } cases[] = {
      {TColumnFormat::cfString, "1,5 cokolwiek", true, "1,5 cokolwiek"},
      {TColumnFormat::cfNumber, "1.5", true, "1.5"},
      {TColumnFormat::cfNumber, "-1e-3", true, "-1e-3"},
      {TColumnFormat::cfNumber, "1,5", false, ""},
      {TColumnFormat::cfDate, "dziś", true, today},
      {TColumnFormat::cfDate, "Teraz", true, today},
      {TColumnFormat::cfDate, "n", true, today},
      {TColumnFormat::cfDate, "2024.2.29", true, "2024.02.29"},
      {TColumnFormat::cfDate, "2023-02-29", false, ""},
      {TColumnFormat::cfDate, "2023.02.31", false, ""},
      {TColumnFormat::cfDate, "wczoraj", false, ""},
  };
  for (const Case& c : cases) {
    std::string checked;
    EXPECT_EQ(CheckCellText(static_cast<int>(c.format), c.text, checked), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(checked, c.checked) << c.text;
    }
  }
}

TEST_F(Grid, PickListOpensAcceptsAndCloses) {
  TColumn& pick = grid->Columns().Items(2);
  pick.PickList() = {"alfa", "beta", "gamma"};
  grid->SetCells(2, 1, "beta");
  grid->SetRow(1);
  grid->SetCol(2);
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  editor.SendKey(VK_DOWN, ssAlt);
  ASSERT_TRUE(editor.ListVisible());
  EXPECT_EQ(editor.PickList()->ItemIndex(), 1);
  editor.SendKey(VK_DOWN);
  editor.SendKey(VK_RETURN);
  EXPECT_FALSE(editor.ListVisible());
  EXPECT_EQ(grid->Cells(2, 1), "gamma");
  EXPECT_TRUE(editor.Modified());

  editor.SendKey(VK_DOWN, ssAlt);
  editor.SendKey(VK_UP);
  editor.SendKey(VK_ESCAPE);
  EXPECT_FALSE(editor.ListVisible());
  EXPECT_EQ(grid->Cells(2, 1), "gamma");
}

TEST_F(Grid, LimitedPickListTakesTheFirstEntryOfTheTypedLetter) {
  TColumn& pick = grid->Columns().Items(2);
  pick.PickList() = {"alfa", "Beta", "bravo"};
  pick.LimitToList = true;
  grid->SetRow(1);
  grid->SetCol(2);
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  EXPECT_TRUE(editor.ReadOnly());
  editor.SendText("b");
  EXPECT_EQ(editor.Text(), "Beta");
  EXPECT_EQ(grid->Cells(2, 1), "Beta");
  editor.SendText("x");
  EXPECT_EQ(editor.Text(), "Beta");
}

TEST_F(Grid, PopupListSearchesTypedLettersWithinTwoSeconds) {
  TColumn& pick = grid->Columns().Items(2);
  pick.PickList() = {"kot", "koza", "krowa", "owca"};
  grid->SetRow(1);
  grid->SetCol(2);
  grid->ShowEditor();
  TDataGridInplaceEdit& editor = grid->InplaceEditor();
  editor.DropDown();
  TPopupListbox& list = *editor.PickList();
  list.Search(U'k', 10000);
  EXPECT_EQ(list.ItemIndex(), 0);
  list.Search(U'R', 11000);
  EXPECT_EQ(list.ItemIndex(), 2);
  list.Search(U'o', 13500);  // after a pause: "o" alone
  EXPECT_EQ(list.SearchText(), "o");
  EXPECT_EQ(list.ItemIndex(), 3);
  list.Search(27, 13600);
  EXPECT_EQ(list.SearchText(), "");
  editor.CloseUp(false);
}

}  // namespace
