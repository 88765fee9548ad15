// Small tool windows that float above their program without taking the
// activation from it (the program's main window keeps its caption active and
// the keyboard focus), drawn entirely by their control: frame, caption and
// close button are painted on the window's own surface. Also the screen's
// work area, the application's activation and deactivation, the active
// window, and the changes of a form's window position, size and visibility.
//
// GUI thread only. A tool window has no parent control; whoever creates it
// owns it. A TActivationWatch or TWindowPosWatch calls its handler until it
// is destroyed.
#pragma once

#include <functional>
#include <memory>

#include "platform/gui/controls_custom.h"
#include "platform/paint/gdi.h"

namespace platform {

class TToolWindow : public TCustomControl {
 public:
  TToolWindow();
  ~TToolWindow() override;

  // Shown without being activated; hidden.
  void SetVisible(bool visible) override;
  // Bounds in screen coordinates.
  void SetBounds(int left, int top, int width, int height) override;

  // The frame's thickness on every side and the caption's height below the
  // top frame, in pixels.
  static int FrameBorder() { return 3; }
  static int CaptionHeight() { return 15; }
};

// The part of the primary screen windows may take (without panels).
TGdiRect ScreenWorkArea();

// Whether the application is the active one (one of its windows has the
// activation); after TActivationWatch::Simulate, the simulated state until
// the windowing system reports a change or the simulation ends.
bool ApplicationActive();

// The control of the window that has the activation (a form of the
// program), or nullptr when the active window is none of the program's.
TControl* ActiveWindowControl();

// Calls OnChange(active) whenever the application becomes active or
// inactive, for as long as the watch exists.
class TActivationWatch {
 public:
  explicit TActivationWatch(std::function<void(bool active)> onChange);
  ~TActivationWatch();
  TActivationWatch(const TActivationWatch&) = delete;
  TActivationWatch& operator=(const TActivationWatch&) = delete;

  // Test driving: tells every watch the application's new state, as the
  // windowing system does.
  // ApplicationActive reports the simulated state from then on.
  static void Simulate(bool active);
  // ApplicationActive reports the windowing system's state again.
  static void EndSimulation();
  // Number of watches alive.
  static int Count();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Calls OnChange whenever the window of control is moved, resized, shown,
// hidden, minimised or restored, also when that happens to the window that
// holds it (an MDI frame's sub-window around an MDI child form, or an
// ancestor hidden or shown), for as long as the watch exists.
class TWindowPosWatch {
 public:
  TWindowPosWatch(TControl& control, std::function<void()> onChange);
  ~TWindowPosWatch();
  TWindowPosWatch(const TWindowPosWatch&) = delete;
  TWindowPosWatch& operator=(const TWindowPosWatch&) = delete;

  // Number of watches alive.
  static int Count();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
