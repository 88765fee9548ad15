// The part of a map view that cursor tools and canvases see: a custom-drawn
// control with the pointer operation, the hint stack and the zoom ratio of a
// world rectangle. TTvView (tvview.h) is the real view; tests derive fakes.
//
// GUI thread only. The view owns its hint stack.
#pragma once

#include <string>
#include <vector>

#include "foundation/geometry/realgeom.h"
#include "platform/gui/controls_custom.h"

class TTvViewImp : public platform::TCustomControl {
public:
  TTvViewImp();
  ~TTvViewImp() override;

  // The world point under the pointer (or the stored or external point).
  virtual void GetPointerPos(TRealPoint& Point) = 0;
  // How many times the window would be magnified if it became R (0 when it
  // cannot tell); the zoom tools show it.
  virtual double ZoomRatioFor(const TRealRect& R);

  // Saves the control's hint and shows Text; PopHint brings the last saved
  // one back (nothing when none is saved).
  void PushHint(const std::string& Text);
  void PopHint();

private:
  std::vector<std::string> hintStack_;
};
