// Screen facts, the warning sound, hover tracking, drawing and pop-up windows the
// data grid and its cell editor are laid out with: the
// screen's resolution, to which row heights and column widths designed at
// another resolution are scaled, and the width of a vertical scroll bar,
// which is the width of the editor's button. GUI thread.
#pragma once

#include <string_view>

#include "platform/paint/gdi.h"

namespace platform {

class TBitmap;
class TControl;
class TStringGrid;
class TWinControl;

// The cell under the point (x, y) of the grid's cell area (the coordinates
// of its mouse events); false when no cell is there.
bool GridCellAt(const TStringGrid& grid, int x, int y, int& col, int& row);
// The screen position of the point (x, y) of a control's mouse events.
void MousePointToScreen(const TControl& control, int& x, int& y);
// The reverse: a screen position into the coordinates of control's mouse
// events.
void ScreenToMousePoint(const TControl& control, int& x, int& y);

// Logical pixels per inch of the primary screen (96 on the offscreen
// platform).
int ScreenPixelsPerInch();
// Width of a vertical scroll bar in pixels.
int VerticalScrollBarWidth();

// The system's short warning sound (a refused value or key). BeepCount
// counts them since start, for tests.
void Beep();
int BeepCount();

// Mouse moves without a pressed button reach the control (a drop-down list
// that highlights the row under the pointer).
void SetMouseTracking(TControl& control, bool on);

// Draws the grid as it is on the screen into image (made the grid's size).
void RenderGrid(TStringGrid& grid, TBitmap& image);

// Makes the control a window of its own that stays above the program's
// windows and is shown without taking the activation (a drop-down list);
// its bounds are then in screen coordinates.
void MakeTopmostPopup(TWinControl& control);

// The width in pixels of text drawn in the list box's font.
int ListTextWidth(const TWinControl& list, std::string_view text);
// The rectangle of entry index in the list box's mouse coordinates; empty
// when the entry is not there.
TGdiRect ListItemRect(const TWinControl& list, int index);

// The button at the right edge of a cell editor, width pixels wide and as
// high as the editor: a push button with three dots (Ellipsis), a drop-down
// button (DropDown; greyed when not active) or none. The text stays left of
// it. Call again after the editor's size changes.
enum class TEditButtonKind { None, Ellipsis, DropDown };
void SetEditButton(TWinControl& edit, TEditButtonKind kind, int width, bool pressed, bool active);

// value * numerator / denominator rounded to nearest, in 64 bits; the value
// itself when denominator is 0.
int MulDivRound(int value, int numerator, int denominator);

}  // namespace platform
