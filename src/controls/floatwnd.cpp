#include "controls/floatwnd.h"

#include <vector>

#include "controls/toolbar.h"
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/paint/gdiimage.h"

using platform::TCanvas;
using platform::TForm;
using platform::TFormStyle;
using platform::TWindowState;
using platform::TGdiRect;
using platform::TMouseButton;
using platform::TShiftState;
using platform::TSurfaceCanvas;
using platform::TToolWindow;

namespace {

constexpr platform::TColor kCaptionColor = 0x800000;  // navy: an active caption
constexpr platform::TColor kCaptionText = 0xFFFFFF;

bool Inside(const TGdiRect& r, int x, int y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

}  // namespace

TGdiRect AddFloatingNCArea(const TGdiRect& r) {
  int b = TToolWindow::FrameBorder();
  return {r.Left - b, r.Top, r.Right + b, r.Bottom + 2 * b + TToolWindow::CaptionHeight()};
}

TGdiRect RemoveFloatingNCArea(const TGdiRect& r) {
  int b = TToolWindow::FrameBorder();
  return {r.Left + b, r.Top, r.Right - b, r.Bottom - 2 * b - TToolWindow::CaptionHeight()};
}

TGdiRect MoveOnScreen(const TGdiRect& r) {
  TGdiRect area = platform::ScreenWorkArea();
  int dx = 0;
  int dy = 0;
  if (r.Right > area.Right) dx = area.Right - r.Right;
  if (r.Left + dx < area.Left) dx = area.Left - r.Left;
  if (r.Bottom > area.Bottom) dy = area.Bottom - r.Bottom;
  if (r.Top + dy < area.Top) dy = area.Top - r.Top;
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TGdiRect MoveOnScreenIfOff(const TGdiRect& r) {
  TGdiRect area = platform::ScreenWorkArea();
  bool off = r.Right <= area.Left || r.Left >= area.Right || r.Bottom <= area.Top ||
             r.Top >= area.Bottom;
  return off ? MoveOnScreen(r) : r;
}

TForm* GetMDIParentOrSelf(TForm* form) {
  if (form == nullptr || form->FormStyle() != TFormStyle::MDIChild) return form;
  TForm* main = platform::Application().MainForm();
  std::vector<TForm*> frames = platform::VisibleForms();
  if (main != nullptr) frames.insert(frames.begin(), main);
  for (TForm* frame : frames) {
    if (frame->FormStyle() != TFormStyle::MDIForm) continue;
    for (int i = 0; i < frame->MDIChildCount(); ++i) {
      if (frame->MDIChildren(i) == form) return frame;
    }
  }
  // Not shown yet: MDI children are shown in the main form.
  if (main != nullptr && main->FormStyle() == TFormStyle::MDIForm) return main;
  return form;
}

TForm* GetActiveTopForm() {
  platform::TControl* control = platform::ActiveWindowControl();
  TForm* form = control != nullptr ? control->ParentForm() : nullptr;
  return GetMDIParentOrSelf(form);
}

void UpdateFloatingToolbarsVisibility(TForm& form, bool show) {
  for (int i = 0; i < form.MDIChildCount(); ++i) {
    if (TForm* child = form.MDIChildren(i); child != nullptr && child != &form) {
      UpdateFloatingToolbarsVisibility(*child, show);
    }
  }
  TForm* main = platform::Application().MainForm();
  bool hide = !show || (main != nullptr && main->WindowState() == TWindowState::Minimized) ||
              !form.Showing() || form.WindowState() == TWindowState::Minimized;
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* bar = dynamic_cast<TToolbar*>(form.Components(i));
    if (bar == nullptr || bar->FloatWindow() == nullptr) continue;
    // Only a floating toolbar is hidden; a docked one is never held back.
    bool floating = bar->Parent() == bar->FloatWindow();
    bar->FloatWindow()->SetParked(floating && hide);
  }
}

TFloatWindow::TFloatWindow(TToolbar& toolbar) : toolbar_(toolbar) {
  SetColor(clBtnFace);
  appActive_ = platform::ApplicationActive();
}

TGdiRect TFloatWindow::GetCaptionRect(bool withCloseButton) const {
  int b = FrameBorder();
  int c = CaptionHeight();
  TGdiRect r{b, b, Width() - b, b + c - 1};
  if (!withCloseButton) r.Right -= c - 1;
  return r;
}

TGdiRect TFloatWindow::GetCloseButtonRect() const {
  TGdiRect r = GetCaptionRect(true);
  int side = CaptionHeight() - 1;
  return {r.Right - side, r.Top, r.Right, r.Top + side};
}

void TFloatWindow::UpdateShown() { SetVisible(wanted_ && appActive_ && !parked_); }

void TFloatWindow::SetWanted(bool wanted) {
  wanted_ = wanted;
  UpdateShown();
}

void TFloatWindow::ApplicationActivated(bool active) {
  appActive_ = active;
  UpdateShown();
}

void TFloatWindow::SetParked(bool parked) {
  parked_ = parked;
  UpdateShown();
}

std::string FitCaption(const TCanvas& canvas, const std::string& caption, int width) {
  if (canvas.TextExtent(caption).X <= width) return caption;
  // Characters are cut whole (UTF-8 sequences), the one before "..." first.
  std::vector<size_t> starts;
  for (size_t i = 0; i < caption.size(); ++i) {
    if ((static_cast<unsigned char>(caption[i]) & 0xC0) != 0x80) starts.push_back(i);
  }
  std::string kept = caption;
  while (!starts.empty()) {
    std::string s = kept + "...";
    // "..." and at least one character before it: four characters.
    if (starts.size() + 3 <= 4 || canvas.TextExtent(s).X <= width) return s;
    kept.erase(starts.back());
    starts.pop_back();
  }
  return "...";
}

void TFloatWindow::Paint() {
  TSurfaceCanvas surface(Surface());
  TCanvas& canvas = surface.Canvas();
  DrawEdge(canvas, {0, 0, Width(), Height()}, TEdgeKind::Raised);
  bool close = toolbar_.CloseButton();
  // The caption bar: without the close button's square when there is one.
  TGdiRect caption = GetCaptionRect(!close);
  platform::TBrush brush;
  brush.Color = kCaptionColor;
  canvas.FillRect(caption, brush);
  platform::TFont font;
  font.Name = "MS Sans Serif";
  font.Height = -11;
  font.Weight = 400;
  font.Color = kCaptionText;
  canvas.SetFont(font);
  canvas.SetTextColor(kCaptionText);
  canvas.SetBkMode(platform::TBkMode::Transparent);
  canvas.SetTextAlign(platform::TA_LEFT | platform::TA_TOP);
  TGdiRect text{caption.Left + 1, caption.Top, caption.Right - 1, caption.Bottom};
  std::string shown = FitCaption(canvas, toolbar_.Caption(), text.Width());
  int textHeight = canvas.GetTextMetrics().tmHeight;
  canvas.IntersectClipRect(text);
  canvas.TextOut(text.Left, text.Top + (text.Height() - textHeight) / 2, shown);
  canvas.SelectClipRegion(nullptr);
  // A line of the button face under the whole caption.
  TGdiRect full = GetCaptionRect(true);
  DrawLine(canvas, clBtnFace, full.Left, full.Bottom, full.Right, full.Bottom);
  if (close) {
    // The button inside a frame of the caption's colour.
    TGdiRect frame = GetCloseButtonRect();
    TGdiRect button{frame.Left + 1, frame.Top + 1, frame.Right - 1, frame.Bottom - 1};
    brush.Color = clBtnFace;
    canvas.FillRect(button, brush);
    DrawEdge(canvas, button, closePressed_ ? TEdgeKind::Sunken : TEdgeKind::Raised);
    int off = closePressed_ ? 1 : 0;
    int x0 = button.Left + 3 + off;
    int y0 = button.Top + 2 + off;
    int n = button.Height() - 5;
    for (int i = 0; i < n; ++i) {
      canvas.SetPixel(x0 + i, y0 + i, clBtnText);
      canvas.SetPixel(x0 + i + 1, y0 + i, clBtnText);
      canvas.SetPixel(x0 + n - 1 - i, y0 + i, clBtnText);
      canvas.SetPixel(x0 + n - i, y0 + i, clBtnText);
    }
    DrawLine(canvas, kCaptionColor, frame.Left, frame.Top, frame.Right, frame.Top);
    DrawLine(canvas, kCaptionColor, frame.Left, frame.Bottom - 1, frame.Right, frame.Bottom - 1);
    DrawLine(canvas, kCaptionColor, frame.Left, frame.Top, frame.Left, frame.Bottom);
    DrawLine(canvas, kCaptionColor, frame.Right - 1, frame.Top, frame.Right - 1, frame.Bottom);
  }
}

void TFloatWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TToolWindow::MouseDown(button, shift, x, y);
  if (button == TMouseButton::Left && toolbar_.CloseButton() && Inside(GetCloseButtonRect(), x, y)) {
    closeTracking_ = true;
    closePressed_ = true;
    Invalidate();
    return;
  }
  int b = FrameBorder();
  if (button == TMouseButton::Left && (x < b || y < b || x >= Width() - b || y >= Height() - b)) {
    TToolbar::TSizeEdge edge = x < b               ? TToolbar::TSizeEdge::Left
                               : x >= Width() - b  ? TToolbar::TSizeEdge::Right
                               : y < b             ? TToolbar::TSizeEdge::Top
                                                   : TToolbar::TSizeEdge::Bottom;
    toolbar_.BeginSizing(edge);
    return;
  }
  if (Inside(GetCaptionRect(true), x, y)) {
    // The caption is part of the toolbar's drag surface.
    toolbar_.ToolbarMouseDown(button, shift, x - toolbar_.Left(), y - toolbar_.Top());
  }
}

void TFloatWindow::MouseMove(TShiftState shift, int x, int y) {
  TToolWindow::MouseMove(shift, x, y);
  if (!closeTracking_) return;
  bool over = Inside(GetCloseButtonRect(), x, y);
  if (over != closePressed_) {
    closePressed_ = over;
    Invalidate();
  }
}

void TFloatWindow::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TToolWindow::MouseUp(button, shift, x, y);
  if (!closeTracking_ || button != TMouseButton::Left) return;
  closeTracking_ = false;
  bool over = Inside(GetCloseButtonRect(), x, y);
  closePressed_ = false;
  Invalidate();
  if (over) toolbar_.CloseFromWindow();
}
