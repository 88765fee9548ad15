#include <algorithm>
#include <climits>
#include <cmath>

#include "controls/dock.h"
#include "controls/floatwnd.h"
#include "controls/toolbar.h"
#include "controls/toolbardrag.h"
#include "platform/gui/forms.h"

using platform::TGdiPoint;
using platform::TGdiRect;
using platform::TMouseButton;
using platform::TShiftState;
using platform::TToolWindow;

namespace {

constexpr int kAlongTolerance = 32;
constexpr int kAcrossTolerance = 20;
constexpr int kDeadZone = 12;

// a * b / c rounded to the nearest; c of 0 gives 0.
int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

bool Overlap(const TGdiRect& a, const TGdiRect& b) {
  return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
         std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

std::vector<TDock*> DocksOf(const platform::TComponent* form) {
  std::vector<TDock*> docks;
  if (form == nullptr) return docks;
  for (int i = 0; i < form->ComponentCount(); ++i) {
    if (auto* dock = dynamic_cast<TDock*>(form->Components(i))) docks.push_back(dock);
  }
  return docks;
}

// The dock's inner area on the screen.
TGdiRect DockScreenRect(const TDock& dock) {
  TGdiPoint o = platform::ClientToScreen(dock, dock.InnerLeft(), dock.InnerTop());
  return {o.X, o.Y, o.X + dock.InnerWidth(), o.Y + dock.InnerHeight()};
}

}  // namespace

const platform::TDragFrame* TToolbar::DragOutline() const {
  return drag_ && drag_->capture.Active() ? &drag_->frame : nullptr;
}

void TToolbar::BeginMoving(int x, int y) {
  drag_.reset();
  auto state = std::make_unique<TDragState>();
  TDragState& d = *state;
  bool floating = DockedTo() == nullptr;
  TGdiRect bounds = GetTrueBoundsRect();
  if (floating && floatWindow_) {
    d.ox = x + Left();
    d.oy = y + Top();
  } else {
    d.ox = x;
    d.oy = y;
  }
  d.ow = std::max(1, bounds.Width() - 1);
  d.oh = std::max(1, bounds.Height() - 1);
  d.noDock = platform::ControlKeyDown();
  TGdiPoint fl = LayoutControls(false, false, nullptr, floatRightX_);
  TGdiRect fw = AddFloatingNCArea({0, 0, fl.X, fl.Y});
  d.sizes.push_back({nullptr, fw.Width(), fw.Height()});
  for (TDock* dock : DocksOf(Owner())) {
    if (dock == DockedTo()) {
      d.sizes.push_back({dock, Width(), Height()});
    } else {
      TGdiPoint s = LayoutControls(false, false, dock, floatRightX_);
      d.sizes.push_back({dock, s.X, s.Y});
    }
  }
  d.capture.OnMove = [this](TShiftState, int px, int py) { UpdateDragOutline(px, py); };
  d.capture.OnRelease = [this](TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::Left) EndDrag(true);
  };
  d.capture.OnPress = [this](TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::Left) EndDrag(false);
  };
  d.capture.OnKey = [this](std::uint16_t vk, bool down, TShiftState) {
    if (vk == platform::VK_ESCAPE && down) {
      EndDrag(false);
    } else if (vk == platform::VK_CONTROL && down != drag_->noDock) {
      drag_->noDock = down;
      TGdiPoint p = drag_->lastPoint;
      UpdateDragOutline(p.X, p.Y);
    }
  };
  d.capture.OnLost = [this] { EndDrag(false); };
  drag_ = std::move(state);
  TGdiPoint p = platform::ClientToScreen(*this, x, y);
  UpdateDragOutline(p.X, p.Y);
}

bool TToolbar::CanDockTo(TDock& dock, int px, int py, const TGdiRect& r) const {
  TGdiRect d = DockScreenRect(dock);
  if (d.Width() <= 0 || d.Height() <= 0) {
    // An empty dock still takes a toolbar: it counts as 2 pixels thick.
    if (dock.Horizontal()) {
      d.Top -= 1;
      d.Bottom += 1;
    } else {
      d.Left -= 1;
      d.Right += 1;
    }
  }
  const TDragState& s = *drag_;
  int tx = MulDiv(kAlongTolerance, s.ox, s.ow);
  if (px < d.Left - (kAlongTolerance - tx) || px > d.Right - 1 + tx) return false;
  if (!dock.Horizontal() && (py < d.Top || py > d.Bottom - 1)) return false;
  int ty = MulDiv(kAcrossTolerance, s.oy, s.oh);
  if (py < d.Top - (kAcrossTolerance - ty) || py > d.Bottom - 1 + ty) return false;
  return Overlap(r, d);
}

void TToolbar::UpdateDragOutline(int px, int py) {
  TDragState& s = *drag_;
  s.lastPoint = {px, py};
  s.target = nullptr;
  auto placed = [&](int w, int h) {
    int left = px - MulDiv(w - 1, s.ox, s.ow);
    int top = py - MulDiv(h - 1, s.oy, s.oh);
    return TGdiRect{left, top, left + w, top + h};
  };
  auto sizeOf = [&](TDock* dock) {
    for (const auto& e : s.sizes) {
      if (e.dock == dock) return e;
    }
    return s.sizes.front();
  };
  if (!s.noDock) {
    for (int pass = 0; pass < 2 && s.target == nullptr; ++pass) {
      if (pass == 1 && !canDockLeftRight_) break;
      for (const auto& e : s.sizes) {
        if (e.dock == nullptr || !e.dock->AllowDrag()) continue;
        if (e.dock->Horizontal() != (pass == 0)) continue;
        if (CanDockTo(*e.dock, px, py, placed(e.width, e.height))) {
          s.target = e.dock;
          break;
        }
      }
    }
  }
  TGdiRect area = platform::ScreenWorkArea();
  if (s.target == nullptr) {
    px = std::clamp(px, area.Left, area.Right);
    py = std::clamp(py, area.Top, area.Bottom);
  }
  auto e = sizeOf(s.target);
  TGdiRect r = placed(e.width, e.height);
  if (s.target == nullptr) {
    int inset = TToolWindow::FrameBorder() + 4;
    TGdiRect a{area.Left + inset, area.Top + inset, area.Right - inset, area.Bottom - inset};
    auto shift = [&](int dx, int dy) {
      r.Left += dx;
      r.Right += dx;
      r.Top += dy;
      r.Bottom += dy;
    };
    if (r.Bottom < a.Top) shift(0, a.Top - r.Bottom);
    if (r.Top > a.Bottom) shift(0, a.Bottom - r.Top);
    if (r.Right < a.Left) shift(a.Left - r.Right, 0);
    if (r.Left > a.Right) shift(a.Right - r.Left, 0);
  }
  s.outline = r;
  s.frame.Show(r, s.target != nullptr ? 1 : TToolWindow::FrameBorder());
}

void TToolbar::EndDrag(bool accept) {
  if (!drag_ || !drag_->capture.Active()) return;
  TDragState& s = *drag_;
  // The capture ends here; the state itself goes with the next drag or the
  // toolbar (a handler of the capture may be running now).
  s.capture.Stop();
  s.frame.Hide();
  if (!accept) return;
  if (s.sizing) {
    floatRightX_ = s.newWrapWidth;
    floatRect_ = s.rect;
    SetTrueBounds(s.rect.Left, s.rect.Top, s.rect.Width(), s.rect.Height());
    ArrangeControls();
    TGdiRect on = MoveOnScreenIfOff(GetTrueBoundsRect());
    SetTrueBounds(on.Left, on.Top, on.Width(), on.Height());
    floatRect_ = GetTrueBoundsRect();
    return;
  }
  TDock* target = s.target;
  TGdiRect outline = s.outline;
  if (target != nullptr) {
    TGdiPoint o = platform::ScreenToClient(*target, outline.Left, outline.Top);
    int left = o.X - target->InnerLeft();
    int top = o.Y - target->InnerTop();
    TGdiRect r{left, top, left + outline.Width(), top + outline.Height()};
    int c = target->Horizontal() ? (r.Top + r.Bottom) / 2 : (r.Left + r.Right) / 2;
    bool newRow = false;
    int row = target->GetDesiredRow(c, newRow);
    if (newRow) target->InsertRowBefore(row);
    dockRow_ = row;
    dockPos_ = target->Horizontal() ? r.Left : r.Top;
    SetDockedTo(target);
  } else {
    floatRect_ = outline;
    SetDockedTo(nullptr);
    TGdiRect on = MoveOnScreenIfOff(GetTrueBoundsRect());
    SetTrueBounds(on.Left, on.Top, on.Width(), on.Height());
    floatRect_ = GetTrueBoundsRect();
  }
}

void TToolbar::BeginSizing(TSizeEdge edge) {
  if (DockedTo() != nullptr || !floatWindow_) return;
  drag_.reset();
  auto state = std::make_unique<TDragState>();
  TDragState& d = *state;
  d.sizing = true;
  d.edge = edge;
  d.newWrapWidth = floatRightX_;
  bool vertical = edge == TSizeEdge::Top || edge == TSizeEdge::Bottom;
  for (const TFloatSize& f : FloatingSizes()) {
    TGdiRect w = AddFloatingNCArea({0, 0, f.Client.X, f.Client.Y});
    d.windowSizes.push_back({w.Width(), w.Height()});
  }
  std::sort(d.windowSizes.begin(), d.windowSizes.end(), [vertical](const auto& a, const auto& b) {
    return vertical ? a.height > b.height : a.width > b.width;
  });
  d.rect = d.start = GetTrueBoundsRect();
  int current = vertical ? d.rect.Height() : d.rect.Width();
  d.deadZone = kDeadZone;
  for (size_t i = 0; i < d.windowSizes.size(); ++i) {
    const auto& e = d.windowSizes[i];
    if (e.width != d.rect.Width() || e.height != d.rect.Height()) continue;
    // Entries run from the largest extent to the smallest.
    if (i > 0) {
      int larger = vertical ? d.windowSizes[i - 1].height : d.windowSizes[i - 1].width;
      d.deadZone = std::min(d.deadZone, larger - current - 1);
    }
    if (i + 1 < d.windowSizes.size()) {
      int smaller = vertical ? d.windowSizes[i + 1].height : d.windowSizes[i + 1].width;
      d.deadZone = std::min(d.deadZone, current - smaller - 1);
    }
  }
  d.deadZone = std::max(0, d.deadZone);
  d.capture.OnMove = [this](TShiftState, int px, int py) { UpdateSizeOutline(px, py); };
  d.capture.OnRelease = [this](TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::Left) EndDrag(true);
  };
  d.capture.OnPress = [this](TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::Left) EndDrag(false);
  };
  d.capture.OnKey = [this](std::uint16_t vk, bool down, TShiftState) {
    if (vk == platform::VK_ESCAPE && down) EndDrag(false);
  };
  d.capture.OnLost = [this] { EndDrag(false); };
  drag_ = std::move(state);
  drag_->frame.Show(drag_->rect, TToolWindow::FrameBorder());
}

void TToolbar::UpdateSizeOutline(int px, int py) {
  TDragState& s = *drag_;
  if (s.windowSizes.empty()) return;
  bool alongX = s.edge == TSizeEdge::Left || s.edge == TSizeEdge::Right;
  int width = s.start.Width();
  int height = s.start.Height();
  int x = px - s.start.Left;
  int y = py - s.start.Top;
  int f = TToolWindow::FrameBorder();
  if (s.edge == TSizeEdge::Left) x = width - x;
  if (s.edge == TSizeEdge::Top) y = height - y;
  int e = alongX ? width : height;
  int q = alongX ? x : y;
  bool shrinking = e > q;
  if (!(s.atStart && shrinking == s.lastShrinking)) {
    s.atStart = false;
    s.lastShrinking = shrinking;
    if (e - s.deadZone <= q && q < e + s.deadZone) q = e;
  }
  TGdiRect old = s.rect;
  bool growing = e < q;
  auto extent = [alongX](const TDragState::TWindowSize& w) { return alongX ? w.width : w.height; };
  std::vector<TDragState::TWindowSize> order = s.windowSizes;
  // Increasing extent when not growing, decreasing when growing.
  std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
    return growing ? extent(a) > extent(b) : extent(a) < extent(b);
  });
  for (size_t i = 0; i < order.size(); ++i) {
    const auto& w = order[i];
    bool take = i == 0 || (growing ? extent(w) > q : extent(w) <= q);
    if (!take) continue;
    s.newWrapWidth = w.width - f;
    switch (s.edge) {
      case TSizeEdge::Right: s.rect.Right = s.rect.Left + w.width; break;
      case TSizeEdge::Left: s.rect.Left = s.rect.Right - w.width; break;
      case TSizeEdge::Bottom: s.rect.Bottom = s.rect.Top + w.height; break;
      case TSizeEdge::Top: s.rect.Top = s.rect.Bottom - w.height; break;
    }
    if (alongX) {
      s.rect.Bottom = s.rect.Top + w.height;
    } else {
      s.rect.Right = s.rect.Left + w.width;
    }
    s.atStart = s.rect == s.start;
  }
  if (!(s.rect == old)) s.frame.Show(s.rect, TToolWindow::FrameBorder());
}
