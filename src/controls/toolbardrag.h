// Internal to the toolbar: the state of a drag or a sizing under way.
#pragma once

#include <memory>
#include <vector>

#include "controls/toolbar.h"
#include "platform/gui/dragframe.h"

class TDock;

struct TToolbar::TDragState {
  bool sizing = false;
  // Moving: the grabbed point in the toolbar's window and that window's
  // size less one at the start.
  int ox = 0;
  int oy = 0;
  int ow = 1;
  int oh = 1;
  bool noDock = false;
  struct TTargetSize {
    TDock* dock = nullptr;  // nullptr: floating
    int width = 0;
    int height = 0;
  };
  std::vector<TTargetSize> sizes;
  TDock* target = nullptr;
  platform::TGdiRect outline;
  platform::TGdiPoint lastPoint;
  // Sizing: the edge, the window sizes with their wrap widths, the dead
  // zone and the rectangles.
  TSizeEdge edge = TSizeEdge::Right;
  struct TWindowSize {
    int width = 0;
    int height = 0;
  };
  std::vector<TWindowSize> windowSizes;
  int deadZone = 12;
  platform::TGdiRect rect;
  platform::TGdiRect start;
  int newWrapWidth = 0;
  bool atStart = false;
  bool lastShrinking = false;
  bool moved = false;

  platform::TDragFrame frame;
  platform::TDragCapture capture;
};
