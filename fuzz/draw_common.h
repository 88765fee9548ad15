// What the harnesses of drawn definitions share: the offscreen platform, the
// layers' canvas over a bitmap, and a watchdog that raises the canvas's abort
// flag when one input has drawn for longer than a redraw may take, as the
// map view does when it starts a new redraw. Drawing that honours the flag
// ends with EAbortDraw; drawing that does not runs into libFuzzer's timeout
// and is kept as a finding.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "drawing/canvascfg.h"
#include "drawing/windowdim.h"
#include "foundation/settings/settings.h"
#include "objects/styledcanvas.h"
#include "objects/symbollib.h"
#include "platform/paint/gdiimage.h"

namespace fuzz {

// Before anything touches the platform.
inline void UseOffscreenPlatform() { ::setenv("QT_QPA_PLATFORM", "offscreen", 1); }

// The start of a definition-library harness: no screen, and the library's
// error box silent (a refused file is an expected answer, not a finding).
inline void StartLibraryHarness() {
  UseOffscreenPlatform();
  SetLibraryErrorBox([](const std::string&) {});
}

// A 200 x 200 bitmap showing world 0..200 both ways through the layers'
// canvas, with decorated line styles (precise display) at scale 1:Scale.
struct LayerCanvas {
  explicit LayerCanvas(std::int32_t Scale) {
    dims.SetWorldRect(TRealRect{0, 0, 200, 200});
    dims.SetDeviceSize(200, 200);
    cfg = konf.GetGroup(std::make_unique<TCanvasCfg>());
    cfg->Kroj = 2;
    cfg->Skala = Scale;
    cfg->SkalaFlagi = sfTexts | sfLines | sfSymbols;
    cfg->DpmX = cfg->DpmY = 4.0;
    canvas = std::make_unique<TDefRealCanvas>(&bitmap.Canvas(), konf, &dims);
  }

  TWindowDim dims;
  TKonfiguracja konf;
  TCanvasCfg* cfg = nullptr;
  platform::TBitmap bitmap{200, 200};
  std::unique_ptr<TDefRealCanvas> canvas;
};

// One thread for the process, started on first use; Arm gives the canvas
// that is drawn on and how long it may draw, Disarm ends the watch before
// the canvas goes away.
class AbortWatchdog {
 public:
  static AbortWatchdog& Get() {
    static AbortWatchdog* dog = new AbortWatchdog;  // lives to the process's end
    return *dog;
  }

  void Arm(TRealCanvas* canvas, std::chrono::milliseconds budget) {
    deadline_.store((std::chrono::steady_clock::now() + budget).time_since_epoch().count());
    canvas_.store(canvas);
  }
  void Disarm() {
    canvas_.store(nullptr);
    // Waits out a check that may hold the old canvas.
    while (busy_.load()) std::this_thread::yield();
  }

 private:
  AbortWatchdog() {
    std::thread([this] { Watch(); }).detach();
  }

  // Not instrumented: what this thread does depends on timing, and coverage
  // it added to an input would make the fixed-seed runs differ.
  __attribute__((no_sanitize("coverage"))) void Watch() {
    for (;;) {
      ::usleep(20000);
      busy_.store(true);
      TRealCanvas* canvas = canvas_.load();
      if (canvas != nullptr &&
          std::chrono::steady_clock::now().time_since_epoch().count() > deadline_.load())
        canvas->SetAbort(true);
      busy_.store(false);
    }
  }

  std::atomic<TRealCanvas*> canvas_{nullptr};
  std::atomic<std::int64_t> deadline_{0};
  std::atomic<bool> busy_{false};
};

// Arms the watchdog for one drawing and disarms it at the end of the scope.
class WatchedDrawing {
 public:
  explicit WatchedDrawing(TRealCanvas& canvas,
                          std::chrono::milliseconds budget = std::chrono::milliseconds(1000)) {
    AbortWatchdog::Get().Arm(&canvas, budget);
  }
  ~WatchedDrawing() { AbortWatchdog::Get().Disarm(); }
  WatchedDrawing(const WatchedDrawing&) = delete;
  WatchedDrawing& operator=(const WatchedDrawing&) = delete;
};

}  // namespace fuzz
