#include "controls/toolbarbase.h"

using platform::TCanvas;
using platform::TColor;
using platform::TGdiRect;
using platform::TPen;

void DrawLine(TCanvas& canvas, TColor color, int x1, int y1, int x2, int y2) {
  TPen pen;
  pen.Color = color;
  canvas.SetPen(pen);
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

namespace {

// One ring: light on the top and left, dark on the bottom and right.
void Ring(TCanvas& canvas, const TGdiRect& r, TColor light, TColor dark) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  DrawLine(canvas, light, r.Left, r.Bottom - 1, r.Left, r.Top);
  DrawLine(canvas, light, r.Left, r.Top, r.Right - 1, r.Top);
  DrawLine(canvas, dark, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
  DrawLine(canvas, dark, r.Right - 1, r.Bottom - 1, r.Left - 1, r.Bottom - 1);
}

}  // namespace

void DrawEdge(TCanvas& canvas, const TGdiRect& r, TEdgeKind kind) {
  TGdiRect inner{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  switch (kind) {
    case TEdgeKind::RaisedInner:
      Ring(canvas, r, clBtnHighlight, clBtnShadow);
      break;
    case TEdgeKind::SunkenOuter:
      Ring(canvas, r, clBtnShadow, clBtnHighlight);
      break;
    case TEdgeKind::Raised:
      Ring(canvas, r, cl3DLight, cl3DDkShadow);
      Ring(canvas, inner, clBtnHighlight, clBtnShadow);
      break;
    case TEdgeKind::Sunken:
      Ring(canvas, r, clBtnShadow, clBtnHighlight);
      Ring(canvas, inner, cl3DDkShadow, cl3DLight);
      break;
  }
}
