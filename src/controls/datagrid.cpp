#include "controls/datagrid.h"

#include "controls/gridedit.h"
#include "controls/gridformat.h"
#include "platform/gui/stringgrid.h"
#include "platform/paint/gdiimage.h"

using platform::TShiftState;

namespace {
constexpr std::uint16_t kVkF2 = 0x71;
}  // namespace

TDataGrid::TDataGrid() : columns_(std::make_unique<TDataGridColumns>(this)) {
  ++updateLock_;
  SetDefaultRowHeight(20);
  SetOptions(platform::goColSizing | platform::goEditing);
  columns_->Resize(ColCount());
  --updateLock_;
}

TDataGrid::~TDataGrid() {
  // The editor and its list use the grid: they go first, while it is whole.
  if (editor_ != nullptr) {
    if (TPopupListbox* list = editor_->PickList()) RemoveComponent(list).reset();
    auto editor = RemoveComponent(editor_);
    editor_ = nullptr;
    editor.reset();
  }
  // The columns stop watching their menus before the grid goes.
  columns_.reset();
}

void TDataGrid::SetOptions(unsigned options) {
  options_ = options;
  TStringGrid::SetOptions(options & ~platform::goEditing);
}

void TDataGrid::SetColumns(const TDataGridColumns& columns) { columns_->Assign(columns); }

void TDataGrid::SetColCount(int count) {
  TStringGrid::SetColCount(count);
  SizeChanged();
}

void TDataGrid::SizeChanged() {
  if (updateLock_ != 0) return;
  ++updateLock_;
  columns_->Resize(ColCount());
  --updateLock_;
}

void TDataGrid::ColumnsChanged() {
  if (updateLock_ != 0) return;
  ++updateLock_;
  TStringGrid::SetColCount(columns_->Count());
  --updateLock_;
}

void TDataGrid::SetRowCountMin(std::int32_t count) {
  if (count < 0) count = 0;
  rowCountMin_ = count;
  if (count > RowCount()) SetRowCount(count);
}

void TDataGrid::SetFont(const platform::TFont& font) {
  font_ = font;
  Invalidate();
}

void TDataGrid::AppendRow() {
  if (BeforeInsert) BeforeInsert(*this);
  SetRowCount(RowCount() + 1);
  const int row = RowCount() - 1;
  Invalidate();
  if (OnSelectCell) {
    bool can = true;
    OnSelectCell(*this, Col(), row, can);
  }
  if (AfterInsert) AfterInsert(*this, row);
}

void TDataGrid::InsertRow(int row) {
  if (row < FixedRows() || row >= RowCount()) return;
  if (BeforeInsert) BeforeInsert(*this);
  SetRowCount(RowCount() + 1);
  for (int r = RowCount() - 1; r > row; --r) {
    for (int c = 0; c < ColCount(); ++c) SetCells(c, r, Cells(c, r - 1));
  }
  for (int c = 0; c < ColCount(); ++c) SetCells(c, row, "");
  if (AfterInsert) AfterInsert(*this, row);
}

void TDataGrid::MoveOrDeleteRow(int row) {
  if (BeforeDelete) BeforeDelete(*this);
  if (row < FixedRows() || row >= RowCount()) return;
  if (RowCount() > FixedRows() + 1 && (rowCountMin_ == 0 || rowCountMin_ < RowCount())) {
    for (int r = row; r + 1 < RowCount(); ++r) {
      for (int c = 0; c < ColCount(); ++c) SetCells(c, r, Cells(c, r + 1));
    }
    for (int c = 0; c < ColCount(); ++c) SetCells(c, RowCount() - 1, "");
    SetRowCount(RowCount() - 1);
  } else {
    for (int c = FixedCols(); c < ColCount(); ++c) SetCells(c, row, "");
  }
  if (editor_ != nullptr && EditorShown()) editor_->UpdateContents();
}

bool TDataGrid::IsRowKey(std::uint16_t key, TShiftState shift) const {
  const bool last = Row() == RowCount() - 1;
  if (key == platform::VK_TAB && (shift & platform::ssShift) == 0 && last && Col() == ColCount() - 1)
    return (dataGridOptions_ & dgoAppendRow) != 0;
  if (key == platform::VK_DOWN && last) return (dataGridOptions_ & dgoAppendRow) != 0;
  if (key == platform::VK_INSERT && (shift & platform::ssCtrl) != 0)
    return (dataGridOptions_ & dgoInsertRow) != 0;
  if (key == platform::VK_DELETE && (shift & platform::ssCtrl) != 0)
    return (dataGridOptions_ & dgoDeleteRow) != 0;
  return false;
}

void TDataGrid::DoRowKey(std::uint16_t key, TShiftState shift) {
  if (!IsRowKey(key, shift)) return;
  if (key == platform::VK_TAB || key == platform::VK_DOWN) AppendRow();
  else if (key == platform::VK_INSERT) InsertRow(Row());
  else MoveOrDeleteRow(Row());
}

void TDataGrid::KeyDown(std::uint16_t& key, TShiftState shift) {
  DoRowKey(key, shift);
  if ((options_ & platform::goEditing) != 0 && shift == 0 &&
      (key == kVkF2 || key == platform::VK_RETURN) && Row() >= FixedRows() && Col() >= FixedCols()) {
    ShowEditor();
    key = 0;
    return;
  }
  TStringGrid::KeyDown(key, shift);
}

void TDataGrid::KeyPress(char32_t& key) {
  if ((options_ & platform::goEditing) != 0 && key >= 32 && !EditorShown() &&
      Row() >= FixedRows() && Col() >= FixedCols()) {
    const char32_t typed = key;
    key = 0;
    ShowEditor();
    // The typed character replaces the cell's text, as typing over it does.
    TDataGridInplaceEdit& editor = InplaceEditor();
    editor.SelectAll();
    editor.SendChar(typed);
    return;
  }
  TStringGrid::KeyPress(key);
}

void TDataGrid::DblClick() {
  TStringGrid::DblClick();
  if ((options_ & platform::goEditing) != 0 && Row() >= FixedRows() && Col() >= FixedCols())
    ShowEditor();
}

void TDataGrid::MouseUp(platform::TMouseButton button, TShiftState shift, int x, int y) {
  TStringGrid::MouseUp(button, shift, x, y);
  if (button != platform::TMouseButton::Right) return;
  int col = 0;
  int row = 0;
  if (!platform::GridCellAt(*this, x, y, col, row) || col >= columns_->Count()) return;
  platform::TPopupMenu* menu = columns_->Items(col).PopupMenu();
  if (menu == nullptr) return;
  int sx = x;
  int sy = y;
  platform::MousePointToScreen(*this, sx, sy);
  menu->Popup(sx, sy);
}

void TDataGrid::EditorNavigate(std::uint16_t key, TShiftState shift) {
  HideEditor();
  SetFocus();
  SendKey(key, shift);
  if (Row() >= FixedRows() && Col() >= FixedCols()) ShowEditor();
}

std::string TDataGrid::GetEditMask(int col, int row) {
  std::string mask;
  if (col >= 0 && col < columns_->Count()) mask = columns_->Items(col).EditMask;
  if (OnGetEditMask) OnGetEditMask(*this, col, row, mask);
  return mask;
}

void TDataGrid::EditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(*this);
}

TDataGridInplaceEdit& TDataGrid::InplaceEditor() {
  if (editor_ == nullptr) editor_ = Create<TDataGridInplaceEdit>(this, "", *this);
  return *editor_;
}

void TDataGrid::ShowEditor() {
  TDataGridInplaceEdit& editor = InplaceEditor();
  editor.MoveToCell();
  editor.SetVisible(true);
  editor.SetFocus();
}

void TDataGrid::HideEditor() {
  if (editor_ == nullptr) return;
  editor_->CloseUp(false);
  editor_->SetVisible(false);
}

bool TDataGrid::EditorShown() const { return editor_ != nullptr && editor_->Visible(); }

void TDataGrid::ScaleToResolution(int screenPpi) {
  if (scaled_) return;
  scaled_ = true;
  if (screenPpi <= 0 || pixelsPerInch_ <= 0 || screenPpi == pixelsPerInch_) return;
  SetDefaultRowHeight(platform::MulDivRound(DefaultRowHeight(), screenPpi, pixelsPerInch_));
  for (int c = 0; c < ColCount(); ++c)
    SetColWidths(c, platform::MulDivRound(ColWidths(c), screenPpi, pixelsPerInch_));
}

void TDataGrid::SetParent(platform::TWinControl* parent) {
  TStringGrid::SetParent(parent);
  if (parent != nullptr) ScaleToResolution(platform::ScreenPixelsPerInch());
}

void TDataGrid::Notification(platform::TComponent& freed) {
  TStringGrid::Notification(freed);
  if (columns_) columns_->ForgetPopupMenu(freed);
}

void TDataGrid::SetBGImage(const platform::TBitmap& picture) { SetBackgroundPicture(&picture); }

void TDataGrid::ClearBGImage() { SetBackgroundPicture(nullptr); }

namespace {

platform::TGridCellLook::TAlign LookAlign(TTextAlignment a) {
  switch (a) {
    case TTextAlignment::taRightJustify:
      return platform::TGridCellLook::Right;
    case TTextAlignment::taCenter:
      return platform::TGridCellLook::Center;
    default:
      return platform::TGridCellLook::Left;
  }
}

}  // namespace

void TDataGrid::GetCellLook(int col, int row, bool selected, bool focused, platform::TGridCellLook& look) {
  look.Text = Cells(col, row);
  look.Alignment = platform::TGridCellLook::Left;
  const bool picture = HasBackgroundPicture();
  const bool fixed = col < FixedCols() || row < FixedRows();
  TColumn* column = columns_ && col < columns_->Count() ? &columns_->Items(col) : nullptr;
  if (column != nullptr) {
    look.Alignment = LookAlign(column->Alignment());
    look.HasFont = true;
    look.Font = column->Font();
    // The current cell (the row, with row selection) keeps the selection's
    // colours; the others take the column's.
    if (!focused && !(selected && (options_ & platform::goRowSelect) != 0)) {
      look.HasBrush = true;
      look.Brush = column->Color();
    }
    look.Text = CellDisplayText(column->Format(), column->DisplayMask(), look.Text);
    if (row < FixedRows()) {
      const std::string caption = column->Title().Caption();
      if (!caption.empty()) look.Text = caption;
      look.Alignment = LookAlign(column->Title().Alignment());
      look.Font = column->Title().Font();
    }
  }
  if (fixed) {
    look.HasBrush = true;
    look.Brush = platform::kGridFixedColor;
  } else if (picture) {
    look.Transparent = true;
  }
}

void TDataGrid::ColumnMoved(int from, int to) {
  columns_->Move(from, to);
  TStringGrid::ColumnMoved(from, to);
  if (editor_ != nullptr && EditorShown()) editor_->UpdateContents();
}
