// The dock: the area along one edge of a form in which toolbars (TToolbar,
// toolbar.h) lie in rows. It aligns itself to its edge, arranges the
// toolbars it holds into rows without overlap, takes the total thickness of
// its rows across its edge (an empty dock takes no room), tiles an optional
// background bitmap behind itself and its toolbars, and draws etched bound
// lines on chosen sides.
//
// Each toolbar carries its row (DockRow, from 0) and its offset along the row
// (DockPos, pixels). ArrangeToolbars numbers the rows in use without gaps,
// pushes overlapping toolbars apart, moves an overflowing row back into the
// dock and places every toolbar.
//
// GUI thread only. The dock owns its background bitmap and its lists; it does
// not own the toolbars (the form does).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "controls/toolbarbase.h"
#include "platform/gui/controls_custom.h"
#include "platform/paint/gdiimage.h"

class TToolbar;

enum class TDockPosition { dpTop, dpBottom, dpLeft, dpRight };

// Sides with an etched bound line (bit set).
using TDockBoundLines = unsigned;
inline constexpr TDockBoundLines blTop = 1;
inline constexpr TDockBoundLines blBottom = 2;
inline constexpr TDockBoundLines blLeft = 4;
inline constexpr TDockBoundLines blRight = 8;

// The sizes of a row: the largest content of its toolbars (at least 8) and
// the row's thickness in a horizontal and a vertical dock (content + 4).
struct TRowSize {
  std::int32_t ContentHeight = 0;
  std::int32_t ContentWidth = 0;
  std::int32_t HorzThickness = 0;
  std::int32_t VertThickness = 0;
  friend bool operator==(const TRowSize&, const TRowSize&) = default;
};

using TInsertRemoveEvent =
    std::function<void(platform::TComponent& sender, bool inserting, TToolbar& bar)>;

class TDock : public platform::TCustomControl {
 public:
  TDock();
  ~TDock() override;

  TDockPosition Position() const { return position_; }
  // Refused while the dock holds any control (also for the same value).
  void SetPosition(TDockPosition position);
  bool Horizontal() const {
    return position_ == TDockPosition::dpTop || position_ == TDockPosition::dpBottom;
  }
  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool allow);
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool fix);
  bool LimitToOneRow() const { return limitToOneRow_; }
  void SetLimitToOneRow(bool limit) { limitToOneRow_ = limit; }
  TDockBoundLines BoundLines() const { return boundLines_; }
  void SetBoundLines(TDockBoundLines lines);
  // The tiled background; empty (nullptr) by default. The dock keeps a copy.
  const platform::TBitmap* Background() const { return background_.get(); }
  void SetBackground(const platform::TBitmap* bitmap);
  bool BackgroundTransparent() const { return backgroundTransparent_; }
  void SetBackgroundTransparent(bool transparent);

  // Fired after a toolbar entered or left the dock's list.
  TInsertRemoveEvent OnInsertRemoveBar;
  // Fired after every change of the dock's size.
  platform::TNotifyEvent OnResize;

  // The form must own the dock, and a dock never lies in a toolbar or dock.
  void SetParent(platform::TWinControl* parent) override;
  // A dock cannot be hidden.
  void SetVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height) override;

  // Arranges the toolbars of the list into rows and sizes the dock.
  void ArrangeToolbars();
  // The arrange lock: while raised ArrangeToolbars does nothing.
  void BeginArrange() { ++arrangeLock_; }
  void EndArrange() { --arrangeLock_; }

  // A toolbar entered (insert) or left the dock; visible says whether it
  // takes part in the arrangement.
  void ChangeDockList(bool insert, TToolbar& bar, bool visible);
  // The toolbars taking part, sorted by row and position after arranging.
  const std::vector<TToolbar*>& DockList() const { return dockList_; }

  int GetHighestRow() const;
  // The row's sizes; beyond the last row the toolbar's own, or zeros.
  TRowSize GetRowSize(int row, const TToolbar* bar) const;
  // The row a toolbar dropped at q (across the dock, client coordinates)
  // goes to; newRow is set when a new row is to be made before it.
  int GetDesiredRow(int q, bool& newRow) const;
  void InsertRowBefore(int row);
  void RemoveBlankRows();

  // Inner area of the dock (without the bound lines).
  int InnerWidth() const;
  int InnerHeight() const;
  // Offset of the inner area from the dock's corner.
  int InnerLeft() const { return (boundLines_ & blLeft) ? 1 : 0; }
  int InnerTop() const { return (boundLines_ & blTop) ? 1 : 0; }

  // Tiles the background into draw, clipped to clip (canvas coordinates).
  void DrawBackground(platform::TCanvas& canvas, const platform::TGdiRect& clip,
                      const platform::TGdiRect& draw);
  // The dock and every toolbar on it repaint.
  void InvalidateBackgrounds();

 protected:
  void Paint() override;
  void ChildAdded(platform::TControl& child) override;
  void ChildRemoved(platform::TControl& child) override;

 private:
  friend class TToolbar;
  void BuildRowSizes();
  void ChangeDockSize(bool borderAllowance, int width, int height);
  void BackgroundChanged();

  TDockPosition position_ = TDockPosition::dpTop;
  bool allowDrag_ = true;
  TDockBoundLines boundLines_ = 0;
  std::unique_ptr<platform::TBitmap> background_;
  std::unique_ptr<platform::TBitmap> transparentCopy_;
  bool backgroundTransparent_ = false;
  bool fixAlign_ = false;
  bool limitToOneRow_ = false;
  int arrangeLock_ = 0;
  std::vector<TToolbar*> dockList_;
  std::vector<TRowSize> rowSizes_;
};
