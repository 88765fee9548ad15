// Dragging on the screen: the mouse and keyboard held by one window for the
// length of a drag (TDragCapture), the outline of the thing dragged drawn as
// a halftone frame in an overlay window above everything (TDragFrame; it
// never takes input, so the windows under it keep getting it), and the
// conversion of points between a control and the screen.
//
// GUI thread only. Whoever makes a capture or a frame owns it; a capture
// ends when it is destroyed, and its handlers are never called after that.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gui/controls.h"
#include "platform/paint/gdi.h"

namespace platform {

TGdiPoint ClientToScreen(const TControl& control, int x, int y);
TGdiPoint ScreenToClient(const TControl& control, int x, int y);

// A frame of the given thickness around a screen rectangle, drawn with a
// checkerboard of black and white pixels (even rows 0x55, odd rows 0xAA).
class TDragFrame {
 public:
  TDragFrame();
  ~TDragFrame();
  TDragFrame(const TDragFrame&) = delete;
  TDragFrame& operator=(const TDragFrame&) = delete;

  // Shows the frame at r (thickness at least 1), replacing the previous one.
  void Show(const TGdiRect& r, int thickness);
  void Hide();
  bool Visible() const { return visible_; }
  TGdiRect Rect() const { return rect_; }
  int Thickness() const { return thickness_; }
  // Whether the overlay covers the screen point with a frame pixel.
  bool FramePixel(int x, int y) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  TGdiRect rect_;
  int thickness_ = 0;
  bool visible_ = false;
};

// Takes every mouse and key event of the application while it exists and
// hands them to its handlers instead of the windows (the capture of a drag).
// Points are screen coordinates.
class TDragCapture {
 public:
  TDragCapture();
  ~TDragCapture();
  TDragCapture(const TDragCapture&) = delete;
  TDragCapture& operator=(const TDragCapture&) = delete;

  std::function<void(TShiftState shift, int x, int y)> OnMove;
  std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnPress;
  std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnRelease;
  // vk: the Windows virtual-key code (VK_ESCAPE, VK_CONTROL ...).
  std::function<void(std::uint16_t vk, bool down, TShiftState shift)> OnKey;
  // Ends the capture at once (safe inside a handler); the handlers are not
  // called any more.
  void Stop();
  bool Active() const;
  // The capture was lost (another window took the mouse, the application
  // was deactivated).
  std::function<void()> OnLost;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The mouse cursor's position on the screen, and the control under a screen
// point (nullptr when none of the program's).
TGdiPoint CursorPos();
// Moves the mouse cursor to a screen point (tests place it where a gesture
// would have left it).
void SetCursorPos(int x, int y);
TControl* ControlAtScreen(int x, int y);

// Whether the Ctrl key is down now.
bool ControlKeyDown();

}  // namespace platform
