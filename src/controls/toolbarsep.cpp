#include "controls/toolbarsep.h"

#include <algorithm>

#include "controls/dock.h"
#include "controls/toolbar.h"
#include "platform/paint/gdiimage.h"

using platform::TCanvas;
using platform::TMouseButton;
using platform::TShiftState;
using platform::TSurfaceCanvas;

TToolbarSep::TToolbarSep() {
  SetColor(clBtnFace);
  SetBounds(0, 0, 6, 6);
}

void TToolbarSep::SetBlank(bool blank) {
  if (blank == blank_) return;
  blank_ = blank;
  Invalidate();
}

void TToolbarSep::SetSizeHorz(int size) {
  size = std::max(1, size);
  if (size == sizeHorz_) return;
  sizeHorz_ = size;
  if (auto* bar = dynamic_cast<TToolbar*>(Parent())) bar->ArrangeControls();
}

void TToolbarSep::SetSizeVert(int size) {
  size = std::max(1, size);
  if (size == sizeVert_) return;
  sizeVert_ = size;
  if (auto* bar = dynamic_cast<TToolbar*>(Parent())) bar->ArrangeControls();
}

void TToolbarSep::SetParent(platform::TWinControl* parent) {
  if (parent != nullptr && dynamic_cast<TToolbar*>(parent) == nullptr) {
    throw EInvalidOperation("TToolbarSep can only be placed on a TToolbar");
  }
  TCustomControl::SetParent(parent);
}

void TToolbarSep::SetVisible(bool visible) {
  bool changed = visible != Visible();
  TCustomControl::SetVisible(visible);
  if (!changed) return;
  if (auto* bar = dynamic_cast<TToolbar*>(Parent())) bar->ArrangeControls();
}

void TToolbarSep::Paint() {
  auto* bar = dynamic_cast<TToolbar*>(Parent());
  if (bar == nullptr || blank_) return;
  TSurfaceCanvas surface(Surface());
  TCanvas& canvas = surface.Canvas();
  if (GetToolbarOrientation(bar->DockedTo()) != TToolbarOrientation::Vertical) {
    int x = Width() / 2;
    DrawLine(canvas, clBtnShadow, x - 1, 0, x - 1, Height());
    DrawLine(canvas, clBtnHighlight, x, 0, x, Height());
  } else {
    int y = Height() / 2;
    DrawLine(canvas, clBtnShadow, 0, y - 1, Width(), y - 1);
    DrawLine(canvas, clBtnHighlight, 0, y, Width(), y);
  }
}

void TToolbarSep::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (auto* bar = dynamic_cast<TToolbar*>(Parent())) {
    bar->ToolbarMouseDown(button, shift, x + Left(), y + Top());
  }
}
