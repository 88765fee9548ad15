// The data grid: a string grid whose columns are described by TColumn
// objects (gridcolumns.h) and whose cells are edited in place by
// TDataGridInplaceEdit (gridedit.h). It adds row appending, insertion and
// deletion from the keyboard (as its options allow) and from code, with a
// smallest row count and events around them, per-column popup menus, and
// row height and column widths designed at PixelsPerInch and scaled once to
// the screen's resolution when the grid is first placed on a window.
//
// GUI thread only. The grid owns its columns and its cell editor; popup
// menus given to columns are not owned and are forgotten when freed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/gridcolumns.h"
#include "platform/gui/controls_grids.h"
#include "platform/paint/gdi.h"

class TDataGridInplaceEdit;

// DataGridOptions bits.
inline constexpr unsigned dgoAppendRow = 1;
inline constexpr unsigned dgoInsertRow = 2;
inline constexpr unsigned dgoDeleteRow = 4;

class TDataGrid : public platform::TStringGrid {
 public:
  TDataGrid();
  ~TDataGrid() override;

  TDataGridColumns& Columns() { return *columns_; }
  // A copy of the given columns; ColCount follows.
  void SetColumns(const TDataGridColumns& columns);
  // The grid's column count; column objects follow it.
  void SetColCount(int count);
  // The grid's options. With goEditing the cells are edited by the grid's
  // own cell editor (F2, Enter, a typed character or a double click open
  // it), never by the toolkit's.
  unsigned Options() const { return options_; }
  void SetOptions(unsigned options);

  unsigned DataGridOptions() const { return dataGridOptions_; }
  void SetDataGridOptions(unsigned options) { dataGridOptions_ = options; }
  // Smallest row count MoveOrDeleteRow leaves; below 0 is stored as 0; a
  // value above RowCount raises RowCount to it.
  std::int32_t RowCountMin() const { return rowCountMin_; }
  void SetRowCountMin(std::int32_t count);
  int SelectedIndex() const { return Col(); }
  void SetSelectedIndex(int col) { SetCol(col); }
  // The resolution the row height and column widths were designed at.
  std::int32_t PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(std::int32_t ppi) { pixelsPerInch_ = ppi; }
  std::string Version() const { return "2.0"; }

  // The picture tiled behind the data cells (and the empty area beyond
  // them); a copy is kept. A picture without width or height is none.
  void SetBGImage(const platform::TBitmap& picture);
  void ClearBGImage();
  bool HasBGImage() const { return HasBackgroundPicture(); }

  // The grid's font, which columns and titles follow until they set theirs.
  const platform::TFont& Font() const { return font_; }
  void SetFont(const platform::TFont& font);

  // Row operations.
  void AppendRow();
  void InsertRow(int row);
  // Moves the rows below up and drops the last one; when the row limits
  // forbid that, only empties the row's cells.
  void MoveOrDeleteRow(int row);
  // True when the key is a row key the options allow (Tab on the last cell
  // and Down on the last row append, Ctrl+Insert inserts, Ctrl+Delete
  // deletes); DoRowKey performs it.
  bool IsRowKey(std::uint16_t key, platform::TShiftState shift) const;
  void DoRowKey(std::uint16_t key, platform::TShiftState shift);

  // The edit mask of a cell: its column's, then OnGetEditMask's choice.
  std::string GetEditMask(int col, int row);
  // The editor's ellipsis button was pressed.
  void EditButtonClick();

  // The cell editor over the current cell (made on first use).
  TDataGridInplaceEdit& InplaceEditor();
  void ShowEditor();
  void HideEditor();
  bool EditorShown() const;

  // Scales the row height and column widths from PixelsPerInch to screenPpi,
  // once: a later call (a window made again) changes nothing.
  void ScaleToResolution(int screenPpi);

  // The collection changed its count: ColCount follows.
  void ColumnsChanged();

  platform::TNotifyEvent BeforeInsert;
  std::function<void(platform::TComponent& sender, int row)> AfterInsert;
  platform::TNotifyEvent BeforeDelete;
  platform::TNotifyEvent OnEditButtonClick;
  std::function<void(platform::TComponent& sender, int col, int row, std::string& value)> OnGetEditMask;
  // The user finished changing a cell (sender: the cell editor).
  platform::TNotifyEvent OnUserChanged;

  void SetParent(platform::TWinControl* parent) override;

 protected:
  // A cell shows its text formatted by its column's display mask, in the
  // column's font, colour and alignment; a fixed row shows the column's
  // title caption (when it has one) in the title's font and alignment.
  void GetCellLook(int col, int row, bool selected, bool focused, platform::TGridCellLook& look) override;
  // The column object moves with the column's cells.
  void ColumnMoved(int from, int to) override;
  void KeyDown(std::uint16_t& key, platform::TShiftState shift) override;
  void KeyPress(char32_t& key) override;
  void DblClick() override;
  // A right-button release over a cell whose column has a popup menu pops
  // it up there.
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void Notification(platform::TComponent& freed) override;

 private:
  friend class TDataGridInplaceEdit;
  // The editor passes a navigation key on: the grid moves, the editor
  // follows to the new cell.
  void EditorNavigate(std::uint16_t key, platform::TShiftState shift);

  void SizeChanged();

  std::unique_ptr<TDataGridColumns> columns_;
  std::int32_t rowCountMin_ = 0;
  unsigned dataGridOptions_ = 0;
  unsigned options_ = 0;
  int updateLock_ = 0;
  std::int32_t pixelsPerInch_ = 120;
  bool scaled_ = false;
  platform::TFont font_;
  TDataGridInplaceEdit* editor_ = nullptr;
};
