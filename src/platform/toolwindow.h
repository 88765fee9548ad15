// Small tool windows that float above their program without taking the
// activation from it (the program's main window keeps its caption active and
// the keyboard focus), drawn entirely by their control: frame, caption and
// close button are painted on the window's own surface. Also the screen's
// work area and the application's activation and deactivation.
//
// GUI thread only. A tool window has no parent control; whoever creates it
// owns it. A TActivationWatch calls its handler until it is destroyed.
#pragma once

#include <functional>
#include <memory>

#include "platform/controls_custom.h"
#include "platform/gdi.h"

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
// activation).
bool ApplicationActive();

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
  static void Simulate(bool active);
  // Number of watches alive.
  static int Count();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
