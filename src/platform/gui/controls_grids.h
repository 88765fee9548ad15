// The string grid and the tree view.
//
// TStringGrid: a grid of texts with fixed (header) rows and columns at the
// top and left; cells are addressed (column, row) from 0, fixed ones
// included. TTreeView: a tree of nodes, each with a text and an attached
// pointer (not owned); the view owns its nodes, a node its children.
//
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/controls.h"
#include "platform/paint/gdi.h"

namespace platform {

// Grid options (bits).
inline constexpr unsigned goEditing = 0x01;
inline constexpr unsigned goRowSelect = 0x02;
inline constexpr unsigned goColSizing = 0x04;
inline constexpr unsigned goTabs = 0x08;

// The grey of fixed cells.
inline constexpr TColor kGridFixedColor = 0xF0F0F0;

class TBitmap;

// How one cell is drawn: the grid fills it in (TStringGrid::GetCellLook)
// just before the cell is painted. The text is written at (2, 2) inside the
// cell, clipped to it; right-aligned text ends 3 pixels before the right
// edge, centred text is centred.
struct TGridCellLook {
  enum TAlign { Left, Right, Center };
  std::string Text;
  TAlign Alignment = Left;
  bool HasFont = false;
  TFont Font;
  // The cell's colour, its text in Font.Color (or the window's text colour);
  // without one the window's colour, or for the current cell the
  // selection's colours.
  bool HasBrush = false;
  TColor Brush = clWhite;
  // The background picture shows through (no colour is filled; the current
  // cell shows it inverted).
  bool Transparent = false;
};

class TStringGrid : public TWinControl {
 public:
  TStringGrid();

  int ColCount() const;
  void SetColCount(int count);
  int RowCount() const;
  void SetRowCount(int count);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int count);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int count);

  // Throw std::out_of_range for a cell outside the grid.
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, std::string_view text);
  std::vector<std::string> Cols(int col) const;
  std::vector<std::string> Rows(int row) const;

  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);

  unsigned Options() const { return options_; }
  void SetOptions(unsigned options);

  // The current cell.
  int Col() const;
  int Row() const;
  void SetCol(int col) { SelectCell(col, Row()); }
  void SetRow(int row) { SelectCell(Col(), row); }

  // Asked before the current cell changes; canSelect false keeps the old one.
  std::function<void(TComponent& sender, int col, int row, bool& canSelect)> OnSelectCell;
  // The user changed a cell's text.
  std::function<void(TComponent& sender, int col, int row, const std::string& value)> OnSetEditText;

  // The look of a cell as it will be drawn (GetCellLook's answer).
  TGridCellLook CellLook(int col, int row);
  // A picture tiled from the top-left corner of the cell area behind the
  // cells that let it through and the empty area beyond the last column and
  // row; a selected cell shows it inverted. Copied; null removes it.
  void SetBackgroundPicture(const TBitmap* picture);
  bool HasBackgroundPicture() const { return hasPicture_; }
  // Moves the column at from to index to; ColumnMoved does the work.
  void MoveColumn(int from, int to);

  // What a user's click on a cell does (fixed cells cannot be selected).
  void UserSelectCell(int col, int row);
  // What a user's edit of a cell does (with goEditing; a fixed cell or a
  // grid without it is left as it was and false is returned).
  bool UserEditCell(int col, int row, std::string_view text);

 protected:
  // Fills in how a cell is drawn; the base shows the cell's text, left
  // aligned, fixed cells grey.
  virtual void GetCellLook(int col, int row, bool selected, bool focused, TGridCellLook& look);
  // Moves the cells and the width of the column at from to index to; the
  // columns between shift by one.
  virtual void ColumnMoved(int from, int to);

 private:
  friend class TGridCellPainter;
  void Check(int col, int row) const;
  void SelectCell(int col, int row);
  void StyleCells();

  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  unsigned options_ = 0;
  bool syncing_ = false;
  int lastCol_ = -1;
  int lastRow_ = -1;
  bool hasPicture_ = false;
};

class TTreeView;
struct TTreeNodeImpl;

class TTreeNode {
 public:
  ~TTreeNode();
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  void* Data() const { return data_; }
  void SetData(void* data) { data_ = data; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index) { imageIndex_ = index; }
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int index) { selectedIndex_ = index; }
  // The state image of the node (0 none; the owner of the tree chooses what
  // the numbers mean, e.g. ticked, active and modified marks). Kept by the
  // node whether the tree is shown or not.
  int StateIndex() const { return stateIndex_; }
  void SetStateIndex(int index);

  TTreeView& TreeView() const { return *view_; }
  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int i) const { return children_.at(static_cast<size_t>(i)).get(); }
  // Position among its siblings; depth (0 for a top-level node).
  int Index() const;
  int Level() const;
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node in depth-first order, or nullptr.
  TTreeNode* GetNext() const;

  // Shows the expand button even without children (children added later,
  // on expanding).
  bool HasChildren() const;
  void SetHasChildren(bool has);
  // The expanded state is kept by the node, so it holds whether the tree is
  // shown or not and whether the node has children yet.
  bool Expanded() const { return expanded_; }
  void Expand(bool recurse = false);
  void Collapse(bool recurse = false);
  bool Selected() const;

  // Frees the node and its children.
  void Delete();
  void DeleteChildren();

 private:
  friend class TTreeView;
  TTreeNode(TTreeView* view, TTreeNode* parent, std::string text, void* data);

  TTreeView* view_;
  TTreeNode* parent_;
  std::string text_;
  void* data_;
  int imageIndex_ = -1;
  int selectedIndex_ = -1;
  int stateIndex_ = 0;
  bool hasChildren_ = false;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TTreeNode>> children_;
  std::unique_ptr<TTreeNodeImpl> impl_;
};

class TTreeView : public TWinControl {
 public:
  TTreeView();
  ~TTreeView() override;

  // A new last sibling of sibling (a top-level node when it is nullptr).
  TTreeNode* Add(TTreeNode* sibling, std::string text, void* data = nullptr);
  // A new last / first child of parent (top level for nullptr).
  TTreeNode* AddChild(TTreeNode* parent, std::string text, void* data = nullptr);
  TTreeNode* AddChildFirst(TTreeNode* parent, std::string text, void* data = nullptr);
  // A new node just before node, among its siblings.
  TTreeNode* Insert(TTreeNode* node, std::string text, void* data = nullptr);
  void Delete(TTreeNode* node);
  void Clear();

  // Every node in depth-first order.
  int Count() const;
  TTreeNode* Items(int i) const;
  int TopCount() const { return static_cast<int>(roots_.size()); }
  TTreeNode* TopItems(int i) const { return roots_.at(static_cast<size_t>(i)).get(); }
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }

  TTreeNode* Selected() const;
  // Selects as a user's click does: OnChanging (may refuse), OnChange.
  void SetSelected(TTreeNode* node);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  std::function<void(TComponent& sender, TTreeNode* node)> OnChange;
  std::function<void(TComponent& sender, TTreeNode* node, bool& allowChange)> OnChanging;
  std::function<void(TComponent& sender, TTreeNode* node, bool& allowExpansion)> OnExpanding;
  std::function<void(TComponent& sender, TTreeNode* node, bool& allowCollapse)> OnCollapsing;
  // The user renamed node; the handler may change the text.
  std::function<void(TComponent& sender, TTreeNode* node, std::string& text)> OnEdited;

  // What a user's rename of node does (not in a read-only view).
  bool UserEdit(TTreeNode* node, std::string text);

  // Reorders the children of parent (the top level for nullptr) by compare
  // (<0: the first node goes first), keeping the order of equal nodes; the
  // nodes keep their children, expansion and selection.
  void SortChildren(TTreeNode* parent, const std::function<int(TTreeNode&, TTreeNode&)>& compare);

 private:
  friend class TTreeNode;
  TTreeNode* Make(TTreeNode* parent, int index, std::string text, void* data);
  std::vector<std::unique_ptr<TTreeNode>>& Siblings(TTreeNode* parent);
  void Remove(TTreeNode* node);

  std::vector<std::unique_ptr<TTreeNode>> roots_;
  bool readOnly_ = false;
  bool syncing_ = false;
};

}  // namespace platform
