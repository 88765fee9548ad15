// The window a floating toolbar lies in: a tool window that never takes the
// activation from the form, with a raised frame, a small caption showing the
// toolbar's caption and an optional close button, all painted here. Pressing
// the caption drags the toolbar, double-clicking it docks the toolbar, and
// the close button hides the toolbar.
//
// Geometry (window coordinates, b = frame, c = caption height): the toolbar
// lies at (b, b + c); the caption is (b, b) to (b + client width, b + c - 1),
// less c - 1 at its right without the close button; the close button is the
// square of side c - 1 at the caption's right end.
//
// While the application is inactive the window is hidden and shown again
// when it becomes active (windows may not be placed off the screen); the
// same while the toolbar's form (or the application's main form) is hidden
// or minimised, as UpdateFloatingToolbarsVisibility finds it.
//
// GUI thread only. Its toolbar owns it.
#pragma once

#include <string>

#include "controls/toolbarbase.h"
#include "platform/gui/toolwindow.h"

namespace platform {
class TForm;
}

class TToolbar;

// For an MDI child form, its MDI frame (the application's main form while
// the child is not shown yet, when that is an MDI frame); any other form
// itself.
platform::TForm* GetMDIParentOrSelf(platform::TForm* form);
// The form of the active window, an MDI child's counting as its MDI frame;
// nullptr when the active window is none of the program's forms.
platform::TForm* GetActiveTopForm();
// Hides (show off, the application's main form minimised, the form hidden or
// minimised) or shows again the float windows of the form's floating
// toolbars, first for the form's MDI children.
void UpdateFloatingToolbarsVisibility(platform::TForm& form, bool show);

// The screen rectangle of the window around a toolbar's client rectangle,
// and back.
platform::TGdiRect AddFloatingNCArea(const platform::TGdiRect& r);
platform::TGdiRect RemoveFloatingNCArea(const platform::TGdiRect& r);

// A window rectangle moved back onto the screen's work area when any part
// of it lies outside (its top-left corner wins when it is the larger).
platform::TGdiRect MoveOnScreen(const platform::TGdiRect& r);
// The same only for a rectangle wholly off the work area.
platform::TGdiRect MoveOnScreenIfOff(const platform::TGdiRect& r);

// The caption as it fits into width pixels on canvas (in its current font):
// whole when it fits, otherwise cut and ended with "..." keeping at least one
// character before it.
std::string FitCaption(const platform::TCanvas& canvas, const std::string& caption, int width);

class TFloatWindow : public platform::TToolWindow {
 public:
  explicit TFloatWindow(TToolbar& toolbar);

  platform::TGdiRect GetCaptionRect(bool withCloseButton) const;
  platform::TGdiRect GetCloseButtonRect() const;
  bool CloseButtonPressed() const { return closePressed_; }
  // Hidden while the application is inactive.
  void ApplicationActivated(bool active);
  // Whether the toolbar wants the window shown (apart from the activation).
  void SetWanted(bool wanted);
  bool Wanted() const { return wanted_; }
  // Hidden while its form is hidden or minimised.
  void SetParked(bool parked);
  bool Parked() const { return parked_; }

 protected:
  void Paint() override;
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void MouseMove(platform::TShiftState shift, int x, int y) override;
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;

 private:
  TToolbar& toolbar_;
  bool closePressed_ = false;
  bool closeTracking_ = false;
  bool wanted_ = false;
  bool appActive_ = true;
  bool parked_ = false;
  void UpdateShown();
};
