#include "controls/dock.h"

#include <algorithm>
#include <climits>

#include "controls/toolbar.h"
#include "platform/gui/forms.h"

using platform::TBitmap;
using platform::TCanvas;
using platform::TControl;
using platform::TGdiRect;
using platform::TSurfaceCanvas;
using platform::TWinControl;

namespace {

constexpr int kNewRowTolerance = 5;  // pixels either side of a row boundary
constexpr int kMinRowThickness = 8;

}  // namespace

TDock::TDock() {
  BeginArrange();
  SetColor(clBtnFace);
  SetAlign(platform::TAlign::Top);
  EndArrange();
}

TDock::~TDock() = default;

void TDock::SetParent(TWinControl* parent) {
  if (parent != nullptr) {
    if (dynamic_cast<platform::TForm*>(Owner()) == nullptr) {
      throw EInvalidOperation("TDock must be owned by a form");
    }
    if (dynamic_cast<TToolbar*>(parent) != nullptr || dynamic_cast<TDock*>(parent) != nullptr) {
      throw EInvalidOperation("A TDock control cannot be placed inside a TToolbar or another TDock");
    }
  }
  TCustomControl::SetParent(parent);
  ArrangeToolbars();
}

void TDock::SetVisible(bool visible) {
  if (!visible && Visible()) throw EInvalidOperation("Cannot hide a TDock");
  TCustomControl::SetVisible(visible);
}

void TDock::SetBounds(int left, int top, int width, int height) {
  bool changed = width != Width() || height != Height();
  bool moved = left != Left() || top != Top();
  TCustomControl::SetBounds(left, top, width, height);
  if (moved && background_) InvalidateBackgrounds();
  if (changed && OnResize) OnResize(*this);
}

void TDock::SetPosition(TDockPosition position) {
  if (ControlCount() > 0) {
    throw EInvalidOperation("Cannot change Position of a TDock if it already contains controls");
  }
  position_ = position;
  switch (position) {
    case TDockPosition::dpTop: SetAlign(platform::TAlign::Top); break;
    case TDockPosition::dpBottom: SetAlign(platform::TAlign::Bottom); break;
    case TDockPosition::dpLeft: SetAlign(platform::TAlign::Left); break;
    case TDockPosition::dpRight: SetAlign(platform::TAlign::Right); break;
  }
  ArrangeToolbars();
}

void TDock::SetAllowDrag(bool allow) {
  if (allow == allowDrag_) return;
  allowDrag_ = allow;
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* bar = dynamic_cast<TToolbar*>(Controls(i))) {
      bar->Invalidate();
      bar->ArrangeControls();
    }
  }
}

void TDock::SetFixAlign(bool fix) {
  if (fix == fixAlign_) return;
  fixAlign_ = fix;
  ArrangeToolbars();
}

void TDock::SetBoundLines(TDockBoundLines lines) {
  lines &= blTop | blBottom | blLeft | blRight;
  if (lines == boundLines_) return;
  boundLines_ = lines;
  ArrangeToolbars();
  Invalidate();
}

void TDock::SetBackground(const TBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->Width() == 0 || bitmap->Height() == 0) {
    background_.reset();
  } else {
    background_ = std::make_unique<TBitmap>(bitmap->Width(), bitmap->Height());
    background_->Canvas().BitBlt(0, 0, bitmap->Width(), bitmap->Height(),
                                 const_cast<TBitmap*>(bitmap)->Canvas(), 0, 0);
  }
  BackgroundChanged();
}

void TDock::SetBackgroundTransparent(bool transparent) {
  if (transparent == backgroundTransparent_) return;
  backgroundTransparent_ = transparent;
  BackgroundChanged();
}

void TDock::BackgroundChanged() {
  transparentCopy_.reset();
  InvalidateBackgrounds();
}

void TDock::InvalidateBackgrounds() {
  Invalidate();
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* bar = dynamic_cast<TToolbar*>(Controls(i))) bar->Invalidate();
  }
}

int TDock::InnerWidth() const {
  return Width() - ((boundLines_ & blLeft) ? 1 : 0) - ((boundLines_ & blRight) ? 1 : 0);
}

int TDock::InnerHeight() const {
  return Height() - ((boundLines_ & blTop) ? 1 : 0) - ((boundLines_ & blBottom) ? 1 : 0);
}

void TDock::ChildAdded(TControl& child) { TCustomControl::ChildAdded(child); }

void TDock::ChildRemoved(TControl& child) {
  // A toolbar that goes leaves the list itself; this catches only a control
  // taken off some other way while still listed.
  auto found = std::find_if(dockList_.begin(), dockList_.end(), [&](TToolbar* bar) {
    return static_cast<TControl*>(bar) == &child;
  });
  if (found != dockList_.end()) dockList_.erase(found);
  TCustomControl::ChildRemoved(child);
}

void TDock::ChangeDockList(bool insert, TToolbar& bar, bool visible) {
  auto found = std::find(dockList_.begin(), dockList_.end(), &bar);
  bool changed = false;
  if (insert) {
    if (found != dockList_.end()) dockList_.erase(found);
    if (visible) {
      dockList_.push_back(&bar);
      changed = true;
    }
  } else if (found != dockList_.end()) {
    dockList_.erase(found);
    changed = true;
  }
  if (!changed) return;
  ArrangeToolbars();
  if (!bar.destroying_) bar.ArrangeControls();
  if (OnInsertRemoveBar) OnInsertRemoveBar(*this, insert, bar);
}

int TDock::GetHighestRow() const {
  int highest = -1;
  for (const TToolbar* bar : dockList_) highest = std::max(highest, bar->DockRow());
  return highest;
}

TRowSize TDock::GetRowSize(int row, const TToolbar* bar) const {
  if (row >= 0 && row < static_cast<int>(rowSizes_.size())) {
    return rowSizes_[static_cast<size_t>(row)];
  }
  if (bar == nullptr) return {};
  const TToolbarSizes& s = bar->Sizes();
  return {s.ContentHeight, s.ContentWidth, s.DockedHeight, s.DockedWidth};
}

void TDock::BuildRowSizes() {
  rowSizes_.clear();
  int highest = GetHighestRow();
  for (int row = 0; row <= highest; ++row) {
    TRowSize size{kMinRowThickness, kMinRowThickness, 0, 0};
    for (const TToolbar* bar : dockList_) {
      if (bar->DockRow() != row) continue;
      size.ContentHeight = std::max(size.ContentHeight, bar->Sizes().ContentHeight);
      size.ContentWidth = std::max(size.ContentWidth, bar->Sizes().ContentWidth);
    }
    size.HorzThickness = size.ContentHeight + 2 + 2;
    size.VertThickness = size.ContentWidth + 2 + 2;
    rowSizes_.push_back(size);
  }
}

void TDock::InsertRowBefore(int row) {
  for (TToolbar* bar : dockList_) {
    if (bar->dockRow_ >= row && bar->dockRow_ < INT_MAX) ++bar->dockRow_;
  }
}

void TDock::RemoveBlankRows() {
  // The rows in use renumbered by rank: one pass whatever the row numbers,
  // so a row number far beyond the others costs nothing.
  std::vector<int> rows;
  for (const TToolbar* bar : dockList_) rows.push_back(bar->dockRow_);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (TToolbar* bar : dockList_) {
    bar->dockRow_ = static_cast<int>(std::lower_bound(rows.begin(), rows.end(), bar->dockRow_) -
                                     rows.begin());
  }
}

int TDock::GetDesiredRow(int q, bool& newRow) const {
  int highest = GetHighestRow();
  long long start = 0;
  for (int row = 0; row <= highest + 1; ++row) {
    long long end = INT_MAX;
    if (row <= highest) {
      TRowSize size = GetRowSize(row, nullptr);
      end = start + (Horizontal() ? size.HorzThickness : size.VertThickness);
    }
    if (q <= start + kNewRowTolerance) {
      newRow = true;
      return row;
    }
    if (q <= end - kNewRowTolerance) {
      newRow = false;
      return row;
    }
    start = end;
  }
  newRow = true;
  return highest + 1;
}

void TDock::ChangeDockSize(bool borderAllowance, int width, int height) {
  if (borderAllowance) {
    width += Width() - InnerWidth();
    height += Height() - InnerHeight();
  }
  int left = Left();
  int top = Top();
  if (Align() == platform::TAlign::Bottom) top += Height() - height;
  if (Align() == platform::TAlign::Right) left += Width() - width;
  SetBounds(left, top, width, height);
}

void TDock::ArrangeToolbars() {
  if (arrangeLock_ > 0) return;
  bool horizontal = Horizontal();
  if (dockList_.empty()) {
    int thickness = fixAlign_ ? 1 : 0;
    if (horizontal) {
      ChangeDockSize(false, Width(), thickness);
    } else {
      ChangeDockSize(false, thickness, Height());
    }
    return;
  }
  ++arrangeLock_;
  std::sort(dockList_.begin(), dockList_.end(), [](const TToolbar* a, const TToolbar* b) {
    if (a->dockRow_ != b->dockRow_) return a->dockRow_ < b->dockRow_;
    return a->dockPos_ < b->dockPos_;
  });
  if (limitToOneRow_) {
    for (TToolbar* bar : dockList_) bar->dockRow_ = 0;
  }
  // A negative row counts as the first.
  for (TToolbar* bar : dockList_) bar->dockRow_ = std::max(0, bar->dockRow_);
  RemoveBlankRows();
  BuildRowSizes();
  int highest = GetHighestRow();
  auto length = [horizontal](const TToolbar* bar) {
    return horizontal ? bar->Width() : bar->Height();
  };
  int inner = horizontal ? InnerWidth() : InnerHeight();
  for (int row = 0; row <= highest; ++row) {
    int p = 0;
    TToolbar* last = nullptr;
    for (TToolbar* bar : dockList_) {
      if (bar->dockRow_ != row) continue;
      if (bar->dockPos_ <= p) {
        bar->dockPos_ = p;
      } else {
        p = bar->dockPos_;
      }
      p += length(bar);
      last = bar;
    }
    // A row that overflows the dock moves back as a whole.
    if (last != nullptr) {
      int excess = last->dockPos_ + length(last) - inner;
      if (excess > 0) {
        for (TToolbar* bar : dockList_) {
          if (bar->dockRow_ == row) bar->dockPos_ -= excess;
        }
      }
    }
  }
  int r = 0;
  for (int row = 0; row <= highest; ++row) {
    int p = 0;
    TRowSize size = GetRowSize(row, nullptr);
    int thickness = std::max(kMinRowThickness, horizontal ? size.HorzThickness : size.VertThickness);
    for (TToolbar* bar : dockList_) {
      if (bar->dockRow_ != row) continue;
      if (bar->dockPos_ < p) bar->dockPos_ = p;
      if (horizontal) {
        bar->SetTrueBounds(InnerLeft() + bar->dockPos_, InnerTop() + r, bar->Width(),
                           size.HorzThickness);
      } else {
        bar->SetTrueBounds(InnerLeft() + r, InnerTop() + bar->dockPos_, size.VertThickness,
                           bar->Height());
      }
      p = bar->dockPos_ + length(bar);
    }
    r += thickness;
  }
  --arrangeLock_;
  if (horizontal) {
    ChangeDockSize(true, InnerWidth(), r);
  } else {
    ChangeDockSize(true, r, InnerHeight());
  }
}

void TDock::DrawBackground(TCanvas& canvas, const TGdiRect& clip, const TGdiRect& draw) {
  if (!background_) return;
  TBitmap* bitmap = background_.get();
  if (backgroundTransparent_) {
    if (!transparentCopy_) {
      int w = background_->Width();
      int h = background_->Height();
      transparentCopy_ = std::make_unique<TBitmap>(w, h, Color());
      platform::TColor key = background_->Pixel(0, h - 1);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          platform::TColor c = background_->Pixel(x, y);
          transparentCopy_->Canvas().SetPixel(x, y, c == key ? Color() : c);
        }
      }
    }
    bitmap = transparentCopy_.get();
  }
  int w = bitmap->Width();
  int h = bitmap->Height();
  TGdiRect before = canvas.ClipBox();
  canvas.IntersectClipRect(clip);
  for (int x = draw.Left; x < draw.Right; x += w) {
    for (int y = draw.Top; y < draw.Bottom; y += h) {
      canvas.BitBlt(x, y, w, h, bitmap->Canvas(), 0, 0);
    }
  }
  // The clipping in force before comes back.
  platform::TRegion restore = platform::TRegion::Rect(before);
  canvas.SelectClipRegion(&restore);
}

void TDock::Paint() {
  TSurfaceCanvas surface(Surface());
  TCanvas& canvas = surface.Canvas();
  TGdiRect inner{InnerLeft(), InnerTop(), InnerLeft() + InnerWidth(), InnerTop() + InnerHeight()};
  // The tiles start at the parent's corner, so they continue across the
  // dock and its toolbars.
  DrawBackground(canvas, inner, {-Left(), -Top(), Width(), Height()});
  int w = Width();
  int h = Height();
  if (w < 2 || h < 2) return;
  if (boundLines_ & blTop) DrawLine(canvas, clBtnShadow, 0, 0, w, 0);
  if (boundLines_ & blBottom) DrawLine(canvas, clBtnHighlight, 0, h - 1, w, h - 1);
  if (boundLines_ & blLeft) DrawLine(canvas, clBtnShadow, 0, 0, 0, h);
  if (boundLines_ & blRight) DrawLine(canvas, clBtnHighlight, w - 1, 0, w - 1, h);
}
