// What the docking toolbars share: the button colours, the
// etched and raised edges drawn on docks, toolbars and buttons, and the
// orientation of a toolbar by the dock it lies in.
//
// GUI thread only; nothing here owns anything.
#pragma once

#include <cstdint>

#include "foundation/errors.h"
#include "platform/paint/gdi.h"

// The button colours the toolbars are drawn in.
inline constexpr platform::TColor clBtnFace = 0xC0C0C0;
inline constexpr platform::TColor clBtnHighlight = 0xFFFFFF;
inline constexpr platform::TColor clBtnShadow = 0x808080;
inline constexpr platform::TColor clBtnText = 0x000000;
inline constexpr platform::TColor cl3DDkShadow = 0x000000;
inline constexpr platform::TColor cl3DLight = 0xDFDFDF;

// Orientation of a toolbar's lines: floating, in a top or bottom dock, in a
// left or right dock.
enum class TToolbarOrientation { Floating = 0, Horizontal = 1, Vertical = 2 };

// Edges of a rectangle (left and top inside, right and bottom outside).
enum class TEdgeKind {
  RaisedInner,  // one pixel: highlight top-left, shadow bottom-right
  SunkenOuter,  // one pixel: shadow top-left, highlight bottom-right
  Raised,       // two pixels: a raised button
  Sunken,       // two pixels: a pressed button
};
void DrawEdge(platform::TCanvas& canvas, const platform::TGdiRect& r, TEdgeKind kind);
// A line of one pixel from (x1, y1) to (x2, y2), the last pixel left out.
void DrawLine(platform::TCanvas& canvas, platform::TColor color, int x1, int y1, int x2, int y2);
