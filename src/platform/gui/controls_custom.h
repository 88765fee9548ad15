// Custom-drawn controls: the base of the system's own components (map views,
// rulers, previews) and the paint box. Each keeps a persistent image of what
// was drawn on it (paintsurface.h): Paint runs when the control was
// invalidated or resized, and the painting layer draws into the image at any
// time; what was drawn stays until drawn over.
//
// Every key pressed while a custom control has the focus goes to its
// KeyDown and stops there (arrows and Page Up and Down do not reach a
// scrolling parent), except that Enter and Escape left by KeyDown (not set
// to 0) go on to the form's default and cancel buttons. Tab reaches KeyDown
// too and then moves the focus on.
//
// GUI thread only. The control owns its image.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gui/controls.h"
#include "platform/paint/paintsurface.h"

namespace platform {

struct TSurfaceImpl;
class TEvent;

class TCustomControl : public TWinControl, public TPaintSurface {
 public:
  TCustomControl();
  ~TCustomControl() override;

  TPaintSurface& Surface() { return *this; }
  // Runs when the image must be drawn again (invalidated or resized), after
  // the image was filled with the control's colour; the base Paint calls it.
  TNotifyEvent OnPaint;

  // Paint runs on the next pass of the message loop.
  void Invalidate() override;
  // An opaque control's image is not filled before Paint (Paint covers it),
  // and invalidating it erases nothing: what Paint does not draw again keeps
  // its pixels.
  bool Opaque() const { return opaque_; }
  void SetOpaque(bool opaque) { opaque_ = opaque; }
  // Invalidates the given client rectangle: Paint runs (and may draw
  // everything), and only that rectangle of the window is shown again. An
  // empty rectangle, or one outside the window, does nothing.
  void InvalidateRect(int x, int y, int w, int h);
  // Runs a pending Paint at once (what the next paint pass would do).
  void PaintNow();
  // Keeps the mouse events coming to this control while the button is up
  // and the mouse is outside it.
  bool MouseCapture() const { return capture_; }
  void SetMouseCapture(bool capture);

  int SurfaceWidth() const override;
  int SurfaceHeight() const override;
  void* NativeImage() override;
  void SurfaceChanged(int x = 0, int y = 0, int w = 0, int h = 0) override;
  std::uint32_t PixelAt(int x, int y) const override;

 protected:
  // Draws the control; the base calls OnPaint.
  virtual void Paint();

 private:
  friend class TSurfaceWidget;
  friend void WaitForEventPumpingPaint(TEvent&, const std::function<void()>&, std::uint32_t);
  void EnsureImage();
  void PaintIfDirty();
  // Paints the control when it is invalidated and shows what is not shown
  // yet, at once (a shown control only).
  void ShowPending();

  std::unique_ptr<TSurfaceImpl> surface_;
  bool capture_ = false;
  bool opaque_ = false;
};

// A surface for drawing of a form's own: OnPaint draws it.
class TPaintBox : public TCustomControl {
 public:
  TPaintBox();
};

// GUI thread. Waits until Event is signalled. Meanwhile it serves only
// painting: every 10 ms each shown custom control that was invalidated is
// painted, and what was drawn into a control's image is shown, at once; Tick
// (when set) runs every TickMs milliseconds (at most every 10 ms). No input,
// timer, posted message, queued or synchronised call is processed, so nothing
// else runs under the caller. A thread waited for this way must not wait for
// the GUI thread. An exception of Tick ends the wait and reaches the caller;
// one of a Paint is shown as in a paint event.
void WaitForEventPumpingPaint(TEvent& Event, const std::function<void()>& Tick = {},
                              std::uint32_t TickMs = 250);

}  // namespace platform
