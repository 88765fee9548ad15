// The flat toolbar button: shows its glyph strip and caption (TButtonGlyph),
// shows edges only while hot (the mouse over it) or pressed, stays down as
// the chosen member of a group of buttons (GroupIndex), and opens a
// drop-down menu from the whole button or, as a split button
// (DropdownCombo), from an 11-pixel arrow part at its right.
//
// Hot tracking: the button under the mouse is hot; a shared 125 ms timer
// watches it and ends the hot state when the mouse has left it (also when it
// left the program's windows), as do the application's deactivation and a
// right-button release. A button becomes hot only while the application is
// active and its form (MDI children counting as their frame) is the active
// window's form.
//
// GUI thread only. The form owns the button; the button owns its glyph. The
// drop-down menu is the form's and is not owned.
#pragma once

#include <memory>
#include <string>

#include "controls/buttonglyph.h"
#include "controls/toolbarbase.h"
#include "platform/gui/accelerator.h"
#include "platform/gui/controls_custom.h"

namespace platform {
class TPopupMenu;
}

enum class TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };

class TToolbarButton : public platform::TCustomControl {
 public:
  TToolbarButton();
  ~TToolbarButton() override;

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool Down() const { return down_; }
  void SetDown(bool down);
  TButtonDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TButtonDisplayMode mode);
  bool DropdownArrow() const { return dropdownArrow_; }
  void SetDropdownArrow(bool arrow);
  bool ForceDropdownArrow() const { return forceDropdownArrow_; }
  void SetForceDropdownArrow(bool force);
  // A split button: the width grows by the 11-pixel arrow part when set.
  bool DropdownCombo() const { return dropdownCombo_; }
  void SetDropdownCombo(bool combo);
  platform::TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(platform::TPopupMenu* menu);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  // Off (with Flat on): the button shows what lies behind it (its toolbar's
  // colour and the dock's background tiles) instead of its own colour.
  bool Opaque() const { return opaque_; }
  void SetOpaque(bool opaque);
  // The live strip (nullptr when empty); SetGlyph takes a copy.
  const platform::TBitmap* Glyph() const { return glyph_.Strip(); }
  void SetGlyph(const platform::TBitmap* bitmap);
  TButtonGlyph& GlyphObject() { return glyph_; }
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int n);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int Margin() const { return margin_; }
  void SetMargin(int margin);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  bool OldDisabledStyle() const { return glyph_.OldDisabledStyle(); }
  void SetOldDisabledStyle(bool old);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);

  TButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }
  bool SplitButton() const { return dropdownCombo_ && dropdownMenu_ != nullptr; }

  platform::TNotifyEvent OnMouseEnter;
  platform::TNotifyEvent OnMouseExit;

  void Click() override;
  void SetEnabled(bool enabled) override;
  void SetVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height) override;
  // Width of the caption in the button's font.
  int CaptionWidth();
  void MouseEntered();
  void MouseLeft();
  // Runs the transition that matches where the mouse is now: MouseEntered
  // over this button, MouseLeft elsewhere, each in full with its event.
  void UpdateTracking();
  // The button hot now (watched by the timer), or nullptr.
  static TToolbarButton* HotButton();
  // One tick of the hot-tracking timer: the hot button leaves when the
  // mouse is no longer over it.
  static void HotTrackTick();
  // The application lost the activation: the hot button leaves.
  static void ApplicationDeactivated();

 protected:
  void Paint() override;
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void MouseMove(platform::TShiftState shift, int x, int y) override;
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void DblClick() override;
  void CaptionChanged() override { Redraw(); }
  void Notification(platform::TComponent& freed) override;

 private:
  void Redraw() { Invalidate(); }
  void UpdateExclusive();
  void ButtonPressed(int groupIndex, TToolbarButton& sender);
  bool InMainPart(int x, int y) const;
  void ParentRelayout();
  // Opens the drop-down menu beside the button and returns when it closed.
  void OpenDropdownMenu();
  // Whether the mouse may make the button hot: the application is active and
  // the button's form (a floating toolbar's: its top form; an MDI child's:
  // its frame) is the active window's form, or either is none.
  bool HotAllowed() const;

  bool allowAllUp_ = false;
  TButtonDisplayMode displayMode_ = TButtonDisplayMode::dmBoth;
  bool down_ = false;
  bool dropdownArrow_ = true;
  bool dropdownCombo_ = false;
  platform::TPopupMenu* dropdownMenu_ = nullptr;
  bool flat_ = true;
  bool opaque_ = true;
  TButtonGlyph glyph_;
  int groupIndex_ = 0;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  bool wordWrap_ = false;
  bool inClick_ = false;
  bool mouseInControl_ = false;
  bool mouseIsDown_ = false;
  bool menuIsDown_ = false;
  bool forceDropdownArrow_ = false;
  // Set to true by the destructor (while Click runs, the menu may free the
  // button).
  bool* destroyedFlag_ = nullptr;
  TButtonState state_ = TButtonState::bsUp;
  // Alt and the caption's accelerator letter click the button.
  std::unique_ptr<platform::TAccelerator> accelerator_;
};

inline constexpr int kDropdownComboWidth = 11;
