// Serving one window while the GUI thread is busy with long work. The work
// calls Serve now and then; Serve delivers the window's pending events (its
// clicks, keys, repaints and close box) and holds back everything else:
// input to every other window is dropped, as a modal window does, and the
// program's posted messages, synchronised calls, timer ticks and repaints of
// other windows wait until the pump is freed, so no handler of another
// window runs in the middle of the work.
//
// GUI thread only. The pump does not own the form; free the pump before the
// form.
#pragma once

#include <memory>

namespace platform {

class TControl;
class TForm;

class TModalPump {
 public:
  explicit TModalPump(TForm& form);
  // Hands back what was held: posted messages and timer ticks are queued
  // again and the held-back windows are repainted.
  ~TModalPump();
  TModalPump(const TModalPump&) = delete;
  TModalPump& operator=(const TModalPump&) = delete;

  // Delivers the events pending now, holding back those of other windows.
  void Serve();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Test driving: queues a left click at (x, y) of the control's client area
// in the event loop, to be delivered by its next pass (not at once, as
// TControl::ClickAt does).
void PostClick(TControl& control, int x, int y);

// Test driving through the windowing system: a left-button press, release
// or double click (press, release, press, release) at screen point (x, y),
// handed to the window under the point as the windowing system would hand
// it (an open pop-up menu sees it first), not straight to a control. Runs
// at once; presses made this way are never taken for a double click by
// accident.
enum class TScreenMouse { Press, Release, DoubleClick };
void ScreenMouse(TScreenMouse action, int x, int y);

}  // namespace platform
