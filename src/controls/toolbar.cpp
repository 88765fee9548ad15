#include "controls/toolbar.h"

#include <algorithm>
#include <climits>

#include "controls/dock.h"
#include "controls/floatwnd.h"
#include "controls/toolbardrag.h"
#include "controls/toolbarsep.h"
#include "platform/gui/forms.h"
#include "platform/paint/gdiimage.h"

using platform::TCanvas;
using platform::TControl;
using platform::TGdiPoint;
using platform::TGdiRect;
using platform::TMouseButton;
using platform::TShiftState;
using platform::TSurfaceCanvas;
using platform::TToolWindow;
using platform::TWinControl;

namespace {

constexpr int kMinContent = 8;
constexpr int kLineGap = 6;  // between lines that begin after a group

struct TLayoutMetrics {
  int crossStart;
  int crossEnd;
  int lead;
  int trail;
};

TLayoutMetrics MetricsFor(TToolbarOrientation o, bool draggable) {
  if (o == TToolbarOrientation::Floating) return {2, 1, 4, 4};
  return {2, 2, draggable ? 11 : 2, 2};
}

}  // namespace

TToolbarOrientation GetToolbarOrientation(const TDock* dock) {
  if (dock == nullptr) return TToolbarOrientation::Floating;
  return dock->Horizontal() ? TToolbarOrientation::Horizontal : TToolbarOrientation::Vertical;
}

TToolbar::TToolbar() {
  BeginArrange();
  SetColor(clBtnFace);
  EndArrange();
  // The float window follows the application's activation; the watch goes
  // with the toolbar, so nothing calls a toolbar that no longer exists.
  activation_ = std::make_unique<platform::TActivationWatch>([this](bool active) {
    if (floatWindow_) floatWindow_->ApplicationActivated(active);
  });
}

TToolbar::~TToolbar() {
  destroying_ = true;
  drag_.reset();
  activation_.reset();
  ownerWatch_.reset();
  topWatch_.reset();
  if (TDock* dock = DockedTo()) dock->ChangeDockList(false, *this, false);
  TCustomControl::SetParent(nullptr);
  floatWindow_.reset();
}

TDock* TToolbar::DockedTo() const { return dynamic_cast<TDock*>(Parent()); }

bool TToolbar::Draggable() const {
  TDock* dock = DockedTo();
  return dock == nullptr || dock->AllowDrag();
}

platform::TForm* TToolbar::TopForm() const {
  auto* form = dynamic_cast<platform::TForm*>(Owner());
  return form != nullptr ? GetMDIParentOrSelf(form) : nullptr;
}

void TToolbar::WatchOwner() {
  if (destroying_) return;
  // The top form's moves, showing, hiding and minimising show or hide the
  // floating toolbars with it. The watch goes with the toolbar and finds the
  // top form when it fires, so it never reaches a toolbar or a form that no
  // longer exists.
  if (!topWatch_) {
    if (platform::TForm* top = TopForm()) {
      topWatch_ = std::make_unique<platform::TWindowPosWatch>(*top, [this] {
        if (destroying_) return;
        if (platform::TForm* form = TopForm()) {
          UpdateFloatingToolbarsVisibility(*form, platform::ApplicationActive());
        }
      });
    }
  }
  if (ownerWatch_) return;
  auto* form = dynamic_cast<platform::TForm*>(Owner());
  if (form == nullptr || form->FormStyle() != platform::TFormStyle::MDIChild) return;
  // The watch goes with the toolbar, so the child's later changes never
  // reach a toolbar that no longer exists.
  ownerWatch_ = std::make_unique<platform::TWindowPosWatch>(*form, [form] {
    UpdateFloatingToolbarsVisibility(*form, platform::ApplicationActive());
  });
}

void TToolbar::SetDockRow(int row) {
  dockRow_ = row;
  if (TDock* dock = DockedTo()) dock->ArrangeToolbars();
}

void TToolbar::SetDockPos(int pos) {
  dockPos_ = pos;
  if (TDock* dock = DockedTo()) dock->ArrangeToolbars();
}

void TToolbar::SetDefaultDock(TDock* dock) {
  if (dock == defaultDock_) return;
  if (defaultDock_ != nullptr) defaultDock_->RemoveFreeNotification(this);
  defaultDock_ = dock;
  if (dock != nullptr) dock->FreeNotification(this);
}

void TToolbar::Notification(platform::TComponent& freed) {
  TCustomControl::Notification(freed);
  if (&freed == defaultDock_) defaultDock_ = nullptr;
}

void TToolbar::SetCloseButton(bool show) {
  if (show == closeButton_) return;
  closeButton_ = show;
  if (floatWindow_) floatWindow_->Invalidate();
}

void TToolbar::EnsureFloatWindow() {
  if (!floatWindow_) floatWindow_ = std::make_unique<TFloatWindow>(*this);
}

void TToolbar::SetParent(TWinControl* parent) {
  if (parent != nullptr) {
    auto* form = dynamic_cast<platform::TForm*>(Owner());
    if (form == nullptr) throw EInvalidOperation("TToolbar must be owned by a form");
    if (parent == form) {
      EnsureFloatWindow();
      parent = floatWindow_.get();
    }
    bool allowed = dynamic_cast<TDock*>(parent) != nullptr ||
                   (floatWindow_ && parent == floatWindow_.get());
    if (!allowed) {
      throw EInvalidOperation("TToolbar can only be placed on a TDock or directly on the form");
    }
  }
  ReparentTo(parent);
}

void TToolbar::ReparentTo(TWinControl* parent) {
  if (parent != nullptr) WatchOwner();
  if (parent == Parent()) return;
  if (!destroying_ && OnRecreating) OnRecreating(*this);
  TDock* oldDock = DockedTo();
  bool listed = Visible() || redockCount_ > 0;
  bool wasFloating = floatWindow_ && Parent() == floatWindow_.get();
  if (oldDock != nullptr) oldDock->ChangeDockList(false, *this, listed);
  if (wasFloating) floatWindow_->SetWanted(false);
  TCustomControl::SetParent(parent);
  if (auto* dock = dynamic_cast<TDock*>(parent)) dock->ChangeDockList(true, *this, listed);
  if (floatWindow_ && parent == floatWindow_.get()) {
    TCustomControl::SetBounds(TToolWindow::FrameBorder(),
                              TToolWindow::FrameBorder() + TToolWindow::CaptionHeight(), Width(),
                              Height());
    floatWindow_->SetWanted(Visible());
  }
  if (!destroying_ && OnRecreated) OnRecreated(*this);
  // Floating over an MDI child that is hidden or minimised: hidden with it.
  if (ownerWatch_ && !destroying_) {
    if (auto* form = dynamic_cast<platform::TForm*>(Owner())) {
      UpdateFloatingToolbarsVisibility(*form, platform::ApplicationActive());
    }
  }
}

void TToolbar::SetVisible(bool visible) {
  bool was = Visible();
  TCustomControl::SetVisible(visible);
  if (was == visible) return;
  if (TDock* dock = DockedTo()) {
    if (redockCount_ == 0) dock->ChangeDockList(visible, *this, visible);
  } else if (floatWindow_ && Parent() == floatWindow_.get()) {
    floatWindow_->SetWanted(visible && redockCount_ == 0);
  }
}

void TToolbar::CloseFromWindow() {
  SetVisible(false);
  if (OnClose) OnClose(*this);
}

TGdiRect TToolbar::GetTrueBoundsRect() const {
  if (floatWindow_ && Parent() == floatWindow_.get()) {
    return {floatWindow_->Left(), floatWindow_->Top(),
            floatWindow_->Left() + floatWindow_->Width(),
            floatWindow_->Top() + floatWindow_->Height()};
  }
  return {Left(), Top(), Left() + Width(), Top() + Height()};
}

void TToolbar::SetTrueBounds(int left, int top, int width, int height) {
  if (floatWindow_ && Parent() == floatWindow_.get()) {
    int b = TToolWindow::FrameBorder();
    int c = TToolWindow::CaptionHeight();
    floatWindow_->SetBounds(left, top, width, height);
    TCustomControl::SetBounds(b, b + c, std::max(0, width - 2 * b), std::max(0, height - 2 * b - c));
    floatWindow_->Invalidate();
    return;
  }
  TCustomControl::SetBounds(left, top, width, height);
}

void TToolbar::SetDockedTo(TDock* dock) {
  TDock* old = DockedTo();
  bool floating = floatWindow_ && Parent() == floatWindow_.get();
  bool change = dock != old || (dock == nullptr && !floating);
  if (dock != old && OnDockChanging) OnDockChanging(*this);
  if (dock != nullptr) dock->BeginArrange();
  bool hidden = false;
  if (change && Visible()) {
    ++redockCount_;
    hidden = true;
    if (old != nullptr) old->BeginArrange();
    TCustomControl::SetVisible(false);
    if (floating) floatWindow_->SetWanted(false);
    if (old != nullptr) old->EndArrange();
  }
  try {
    if (dock != nullptr) {
      if (Parent() != nullptr) LayoutControls(true, false, dock, floatRightX_);
      if (Parent() != dock) {
        BeginArrange();
        try {
          ReparentTo(dock);
        } catch (...) {
          EndArrange();
          throw;
        }
        EndArrange();
      }
      ArrangeControls();
    } else {
      if (floatRect_.Width() <= 0 || floatRect_.Height() <= 0) {
        TGdiRect own{0, 0, Width(), Height()};
        TGdiRect r = AddFloatingNCArea(own);
        floatRect_ = {0, 0, r.Width(), r.Height()};
      }
      if (Parent() != nullptr) LayoutControls(true, false, nullptr, floatRightX_);
      EnsureFloatWindow();
      BeginArrange();
      if (Parent() != floatWindow_.get()) ReparentTo(floatWindow_.get());
      SetTrueBounds(floatRect_.Left, floatRect_.Top, floatRect_.Width(), floatRect_.Height());
      EndArrange();
      ArrangeControls();
      floatRect_ = GetTrueBoundsRect();
    }
  } catch (...) {
    if (hidden) --redockCount_;
    if (dock != nullptr) dock->EndArrange();
    throw;
  }
  if (hidden) {
    --redockCount_;
    TCustomControl::SetVisible(true);
    // A docked toolbar stayed in the dock's list while hidden for the move.
    if (DockedTo() == nullptr && floatWindow_) floatWindow_->SetWanted(true);
  }
  if (dock != nullptr) {
    dock->EndArrange();
    dock->ArrangeToolbars();
  }
  if (dock != old && OnDockChanged) OnDockChanged(*this);
}

void TToolbar::ChildAdded(TControl& child) {
  TCustomControl::ChildAdded(child);
  orderList_.erase(std::remove(orderList_.begin(), orderList_.end(), &child), orderList_.end());
  orderList_.push_back(&child);
  ArrangeControls();
}

void TToolbar::ChildRemoved(TControl& child) {
  orderList_.erase(std::remove(orderList_.begin(), orderList_.end(), &child), orderList_.end());
  for (TControlGroup& group : groups_) {
    auto& c = group.Controls;
    c.erase(std::remove(c.begin(), c.end(), &child), c.end());
  }
  TCustomControl::ChildRemoved(child);
  if (!destroying_) ArrangeControls();
}

int TToolbar::GetOrderIndex(const TControl& control) const {
  auto found = std::find(orderList_.begin(), orderList_.end(), &control);
  if (found == orderList_.end()) throw EInvalidOperation("Control is not a child of the toolbar");
  return static_cast<int>(found - orderList_.begin());
}

void TToolbar::SetOrderIndex(TControl& control, int index) {
  int current = GetOrderIndex(control);
  int count = static_cast<int>(orderList_.size());
  index = std::clamp(index, 0, count - 1);
  if (index == current) return;
  orderList_.erase(orderList_.begin() + current);
  orderList_.insert(orderList_.begin() + index, &control);
  ArrangeControls();
}

std::vector<TControlGroup> TToolbar::BuildGroupList() const {
  std::vector<TControlGroup> groups;
  bool open = false;
  for (TControl* c : orderList_) {
    if (!c->Visible()) continue;
    if (!open) {
      groups.emplace_back();
      open = true;
    }
    TControlGroup& g = groups.back();
    g.Controls.push_back(c);
    if (dynamic_cast<TToolbarSep*>(c) != nullptr) {
      open = false;
    } else {
      g.WidthSum += c->Width();
      g.HeightSum += c->Height();
    }
  }
  return groups;
}

void TToolbar::ArrangeControls() { LayoutControls(true, true, DockedTo(), floatRightX_); }

TGdiPoint TToolbar::LayoutControls(bool place, bool resize, const TDock* dock, int wrapWidth) {
  TGdiPoint client{ClientWidth(), ClientHeight()};
  if (arrangeLock_ > 0 || destroying_) return client;
  TToolbarOrientation o = GetToolbarOrientation(dock);
  bool vertical = o == TToolbarOrientation::Vertical;
  long long W = (o == TToolbarOrientation::Floating && wrapWidth != 0) ? wrapWidth : INT_MAX;
  ++arrangeLock_;
  TToolbarSizes saved = sizes_;
  TLayoutMetrics m = MetricsFor(o, Draggable());

  sizes_.ContentHeight = kMinContent;
  sizes_.ContentWidth = kMinContent;
  for (TControl* c : orderList_) {
    if (!c->Visible() || dynamic_cast<TToolbarSep*>(c) != nullptr) continue;
    sizes_.ContentHeight = std::max(sizes_.ContentHeight, c->Height());
    sizes_.ContentWidth = std::max(sizes_.ContentWidth, c->Width());
  }
  sizes_.DockedHeight = sizes_.ContentHeight + 4;
  sizes_.DockedWidth = sizes_.ContentWidth + 4;

  int h1 = sizes_.ContentHeight;
  int w1 = sizes_.ContentWidth;
  int h2 = sizes_.DockedHeight;
  int w2 = sizes_.DockedWidth;
  TDock* current = DockedTo();
  if (place && dock != nullptr && dock == current) {
    current->BuildRowSizes();
    TRowSize row = current->GetRowSize(dockRow_, this);
    h1 = row.ContentHeight;
    w1 = row.ContentWidth;
    h2 = row.HorzThickness;
    w2 = row.VertThickness;
  }
  std::vector<TControlGroup> groups = BuildGroupList();
  if (place) wrapList_.clear();

  long long maxpos = 0;
  long long cross = m.crossStart;
  int t = 0;
  if (!groups.empty()) {
    t = vertical ? sizes_.ContentWidth : sizes_.ContentHeight;
    long long pos = 0;
    long long savedmax = 0;
    bool first = true;
    bool lineOpen = true;
    TToolbarSep* lastSep = nullptr;
    auto newLine = [&](bool firstGroup) {
      pos = m.lead;
      maxpos = std::max(maxpos, pos);
      if (!firstGroup) cross += t + kLineGap;
      if (lastSep != nullptr) {
        maxpos = savedmax;
        if (place) {
          lastSep->SetBounds(lastSep->Left(), lastSep->Top(), 0, lastSep->Height());
          wrapList_.push_back({static_cast<std::int32_t>(cross), lastSep->Blank()});
        }
      }
    };
    for (const TControlGroup& g : groups) {
      long long len = vertical ? g.HeightSum : g.WidthSum;
      bool wrapped = false;
      if (o == TToolbarOrientation::Floating && !lineOpen) {
        newLine(first);
        wrapped = true;
      }
      if (first) pos += m.lead;
      if (!wrapped) {
        if (pos + len + m.trail > W) {
          newLine(first);
        } else {
          maxpos = std::max(maxpos, pos);
        }
      }
      lineOpen = true;
      for (TControl* c : g.Controls) {
        auto* sep = dynamic_cast<TToolbarSep*>(c);
        long long s = sep != nullptr ? (vertical ? sep->SizeVert() : sep->SizeHorz())
                                     : (vertical ? c->Height() : c->Width());
        if (sep == nullptr && pos + s + m.trail > W) {
          pos = m.lead;
          maxpos = std::max(maxpos, pos);
          cross += sizes_.ContentHeight;
          lineOpen = false;
        }
        if (place) {
          int p = static_cast<int>(pos);
          int q = static_cast<int>(cross);
          if (!vertical) {
            if (sep != nullptr) {
              c->SetBounds(p, q, sep->SizeHorz(), h1);
            } else {
              c->SetBounds(p, q + (h1 - c->Height()) / 2, c->Width(), c->Height());
            }
          } else if (sep != nullptr) {
            c->SetBounds(q, p, w1, sep->SizeVert());
          } else {
            c->SetBounds(q + (w1 - c->Width()) / 2, p, c->Width(), c->Height());
          }
        }
        pos += s;
        savedmax = maxpos;
        lastSep = sep;
        maxpos = std::max(maxpos, pos);
      }
      first = false;
    }
  } else {
    maxpos = m.lead + kMinContent;
    cross = m.crossStart;
    if (o == TToolbarOrientation::Floating) {
      t = kMinContent;
    } else {
      TRowSize row = current != nullptr ? current->GetRowSize(dockRow_, this)
                                        : TRowSize{kMinContent, kMinContent, 0, 0};
      t = vertical ? row.ContentWidth : row.ContentHeight;
    }
  }
  long long along = maxpos + m.trail;
  long long across = cross + t + m.crossEnd;
  if (o != TToolbarOrientation::Floating) across = std::max<long long>(across, vertical ? w2 : h2);
  along = std::min<long long>(along, INT_MAX / 2);
  across = std::min<long long>(across, INT_MAX / 2);
  TGdiPoint result = vertical ? TGdiPoint{static_cast<int>(across), static_cast<int>(along)}
                              : TGdiPoint{static_cast<int>(along), static_cast<int>(across)};
  if (place) groups_ = std::move(groups);
  if (resize && (result.X != client.X || result.Y != client.Y)) {
    TGdiRect bounds = GetTrueBoundsRect();
    if (floatWindow_ && Parent() == floatWindow_.get()) {
      TGdiRect window = AddFloatingNCArea({0, 0, result.X, result.Y});
      SetTrueBounds(bounds.Left, bounds.Top, window.Width(), window.Height());
    } else {
      SetTrueBounds(bounds.Left, bounds.Top, result.X, result.Y);
    }
  }
  if (!place) sizes_ = saved;
  --arrangeLock_;
  // The dock's rows follow the toolbar's new size.
  if (place && resize && current != nullptr && dock == current) current->ArrangeToolbars();
  if (place) Invalidate();
  return result;
}

std::vector<TToolbar::TFloatSize> TToolbar::FloatingSizes() {
  std::vector<TFloatSize> sizes;
  TGdiPoint one = LayoutControls(false, false, nullptr, 0);
  sizes.push_back({0, one});
  int lastHeight = one.Y;
  long long limit = INT_MAX;
  int least = sizes_.ContentWidth + 8;
  for (int w = one.X - 1; w >= least; --w) {
    if (w > limit) continue;
    TGdiPoint s = LayoutControls(false, false, nullptr, w);
    if (s.X == w) {
      if (s.Y == lastHeight) sizes.pop_back();
      bool present = std::any_of(sizes.begin(), sizes.end(), [&](const TFloatSize& f) {
        return f.Client.X == s.X && f.Client.Y == s.Y;
      });
      if (!present) sizes.push_back({w, s});
      lastHeight = s.Y;
    } else if (s.X < w) {
      limit = s.X;
    }
  }
  return sizes;
}

void TToolbar::Paint() {
  TSurfaceCanvas surface(Surface());
  TCanvas& canvas = surface.Canvas();
  int w = ClientWidth();
  int h = ClientHeight();
  TDock* dock = DockedTo();
  if (dock != nullptr) {
    DrawEdge(canvas, {0, 0, w, h}, TEdgeKind::RaisedInner);
    dock->DrawBackground(canvas, {1, 1, w - 1, h - 1},
                         {-(Left() + dock->Left()), -(Top() + dock->Top()), w, h});
    if (dock->AllowDrag()) {
      platform::TBrush face;
      face.Color = clBtnFace;
      if (dock->Horizontal()) {
        int hh = h - 2;
        for (int x : {4, 7}) {
          DrawEdge(canvas, {x, 2, x + 3, hh}, TEdgeKind::RaisedInner);
          canvas.FillRect({x + 1, 3, x + 2, hh - 1}, face);
          canvas.SetPixel(x, hh - 1, clBtnHighlight);
        }
      } else {
        int ww = w - 2;
        for (int y : {4, 7}) {
          DrawEdge(canvas, {2, y, ww, y + 3}, TEdgeKind::RaisedInner);
          canvas.FillRect({3, y + 1, ww - 1, y + 2}, face);
          canvas.SetPixel(ww - 1, y, clBtnHighlight);
        }
      }
    }
    return;
  }
  for (const TWrapEntry& wrap : wrapList_) {
    if (wrap.Blank) continue;
    DrawLine(canvas, clBtnShadow, 1, wrap.Top - 4, w - 1, wrap.Top - 4);
    DrawLine(canvas, clBtnHighlight, 1, wrap.Top - 3, w - 1, wrap.Top - 3);
  }
}

void TToolbar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  ToolbarMouseDown(button, shift, x, y);
}

void TToolbar::ToolbarMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::Right) {
    if (OnRClick) OnRClick(*this);
    return;
  }
  if (button != TMouseButton::Left) return;
  if (!Draggable()) return;
  for (TControl* c : orderList_) {
    if (!c->Visible() || dynamic_cast<TToolbarSep*>(c) != nullptr) continue;
    if (x >= c->Left() && x < c->Left() + c->Width() && y >= c->Top() &&
        y < c->Top() + c->Height()) {
      return;
    }
  }
  if (shift & platform::ssDouble) {
    if (DockedTo() != nullptr) {
      SetDockedTo(nullptr);
    } else if (defaultDock_ != nullptr) {
      dockRow_ = 0;
      dockPos_ = -8;
      SetDockedTo(defaultDock_);
    }
    return;
  }
  BeginMoving(x, y);
}
