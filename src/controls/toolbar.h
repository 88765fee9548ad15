// The toolbar: a row of controls (buttons, separators, any other control)
// that lies in a dock (TDock, dock.h) or floats in a small tool window of its
// own (TFloatWindow, floatwnd.h) with a caption and a close button. It lays
// out its controls itself, in the order of its order list: in one line along
// a dock, in one or more lines when it floats (wrapping preferably after a
// separator, TToolbarSep). The same layout measures, without moving anything,
// the size the toolbar would take in another dock or floating.
//
// Docked, the toolbar's parent is the dock; floating, its parent is its float
// window, which its owner form owns. Closing the float window hides the
// toolbar (Visible off) and fires OnClose.
//
// The toolbar's top form is its owner form, or the MDI frame when the owner
// is an MDI child. A toolbar owned by an MDI child watches the child's window
// (from its first placing on) and hides or shows again the child's floating
// toolbars as the child is hidden, minimised or shown.
//
// GUI thread only. The form owns the toolbar, the toolbar its float window
// (through the form), its layout lists and its watches; it does not own its
// controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <memory>
#include <vector>

#include "controls/toolbarbase.h"
#include "platform/gui/controls_custom.h"
#include "platform/gui/dragframe.h"
#include "platform/gui/toolwindow.h"

class TDock;
class TFloatWindow;
class TToolbarSep;

// The size of the toolbar's controls: the tallest and widest visible control
// other than a separator (at least 8), and those plus 4 (the docked sizes).
struct TToolbarSizes {
  std::int32_t ContentHeight = 8;
  std::int32_t ContentWidth = 8;
  std::int32_t DockedHeight = 12;
  std::int32_t DockedWidth = 12;
  friend bool operator==(const TToolbarSizes&, const TToolbarSizes&) = default;
};

// A line of a floating toolbar that begins after a separator: its top and
// whether that separator is blank (no etched line drawn).
struct TWrapEntry {
  std::int32_t Top = 0;
  bool Blank = false;
  friend bool operator==(const TWrapEntry&, const TWrapEntry&) = default;
};

// Controls of a group (up to and with a separator) and the sum of their
// sizes, separators left out.
struct TControlGroup {
  std::int32_t WidthSum = 0;
  std::int32_t HeightSum = 0;
  std::vector<platform::TControl*> Controls;
};

TToolbarOrientation GetToolbarOrientation(const TDock* dock);

class TToolbar : public platform::TCustomControl {
 public:
  TToolbar();
  ~TToolbar() override;

  // The dock the toolbar lies in, or nullptr while it floats.
  TDock* DockedTo() const;
  // Moves the toolbar into a dock or (nullptr) floats it.
  void SetDockedTo(TDock* dock);
  int DockRow() const { return dockRow_; }
  void SetDockRow(int row);
  int DockPos() const { return dockPos_; }
  void SetDockPos(int pos);
  // The dock a double-click on the floating toolbar docks it into; it
  // becomes nullptr when that dock is freed.
  TDock* DefaultDock() const { return defaultDock_; }
  void SetDefaultDock(TDock* dock);
  bool CanDockLeftRight() const { return canDockLeftRight_; }
  void SetCanDockLeftRight(bool can) { canDockLeftRight_ = can; }
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool show);
  // The wrap width of the floating layout (0: one line).
  int FloatRightX() const { return floatRightX_; }
  void SetFloatRightX(int x) { floatRightX_ = x; }
  // The screen rectangle of the float window when the toolbar floats (for a
  // docked toolbar: the place it takes when floated again; empty at first).
  platform::TGdiRect FloatRect() const { return floatRect_; }
  void SetFloatRect(const platform::TGdiRect& r) { floatRect_ = r; }
  // Whether the toolbar may be dragged (floating, or its dock allows it).
  bool Draggable() const;
  // The owner form, or its MDI frame when it is an MDI child (nullptr while
  // the toolbar has no form for owner).
  platform::TForm* TopForm() const;

  platform::TNotifyEvent OnClose;
  platform::TNotifyEvent OnRecreating;
  platform::TNotifyEvent OnRecreated;
  platform::TNotifyEvent OnDockChanging;
  platform::TNotifyEvent OnDockChanged;
  platform::TNotifyEvent OnRClick;

  // Allowed parents: none, a dock, the owner form (meaning floating) and
  // the toolbar's float window.
  void SetParent(platform::TWinControl* parent) override;
  void SetVisible(bool visible) override;

  // Lays the controls out for the current dock and resizes the toolbar.
  void ArrangeControls();
  // Lays out for dock (nullptr: floating) with wrap width wrapWidth. place:
  // move the controls and keep the results; otherwise only measure. resize:
  // give the toolbar the resulting size. Returns the client size.
  platform::TGdiPoint LayoutControls(bool place, bool resize, const TDock* dock, int wrapWidth);
  void BeginArrange() { ++arrangeLock_; }
  void EndArrange() { --arrangeLock_; }

  int GetOrderIndex(const platform::TControl& control) const;
  void SetOrderIndex(platform::TControl& control, int index);
  const std::vector<platform::TControl*>& OrderList() const { return orderList_; }
  // The visible controls in order, split after each separator.
  std::vector<TControlGroup> BuildGroupList() const;

  const TToolbarSizes& Sizes() const { return sizes_; }
  const std::vector<TWrapEntry>& WrapList() const { return wrapList_; }

  // The widths a floating toolbar may take (one per distinct line count,
  // the narrowest for each), as client sizes with their wrap widths.
  struct TFloatSize {
    int WrapWidth = 0;
    platform::TGdiPoint Client;
  };
  std::vector<TFloatSize> FloatingSizes();

  // The bounds on the screen or in the dock: of the float window while
  // floating, of the toolbar itself while docked.
  platform::TGdiRect GetTrueBoundsRect() const;
  void SetTrueBounds(int left, int top, int width, int height);

  // Presses on the toolbar (also forwarded by its separators), in client
  // coordinates.
  void ToolbarMouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y);
  // The float window's close button.
  void CloseFromWindow();
  TFloatWindow* FloatWindow() const { return floatWindow_.get(); }

  // The drag: started by a press on a free spot, a separator or the float
  // caption (client coordinates); the mouse and keys are captured until the
  // left button is released (drop), pressed again or Escape is pressed
  // (both cancel). Ctrl held keeps the toolbar from docking.
  void BeginMoving(int x, int y);
  // Sizing a floating toolbar by one edge of its float window; the outline
  // snaps to the widths (heights) at which the controls wrap differently.
  enum class TSizeEdge { Left, Right, Top, Bottom };
  void BeginSizing(TSizeEdge edge);
  bool Dragging() const { return drag_ != nullptr; }
  // The outline of a drag under way (screen), and whether it is thin
  // (the toolbar would dock); nullptr when no drag runs.
  const platform::TDragFrame* DragOutline() const;

 protected:
  void Paint() override;
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x, int y) override;
  void Notification(platform::TComponent& freed) override;
  void ChildAdded(platform::TControl& child) override;
  void ChildRemoved(platform::TControl& child) override;

 private:
  friend class TDock;
  friend void CustomLoadToolbarPositions(platform::TComponent&,
                                         const std::function<std::int32_t(std::string_view, std::string_view, std::int32_t)>&,
                                         const std::function<std::string(std::string_view, std::string_view, std::string_view)>&);
  friend class TFloatWindow;
  void EnsureFloatWindow();
  void WatchOwner();
  void ReparentTo(platform::TWinControl* parent);
  struct TDragState;
  void UpdateDragOutline(int px, int py);
  bool CanDockTo(TDock& dock, int px, int py, const platform::TGdiRect& r) const;
  void EndDrag(bool accept);
  void UpdateSizeOutline(int px, int py);
  std::unique_ptr<TDragState> drag_;

  TToolbarSizes sizes_;
  int dockPos_ = -1;
  int dockRow_ = 0;
  TDock* defaultDock_ = nullptr;
  bool canDockLeftRight_ = true;
  bool closeButton_ = true;
  platform::TGdiRect floatRect_;
  int floatRightX_ = 0;
  std::vector<TControlGroup> groups_;
  std::vector<TWrapEntry> wrapList_;
  std::vector<platform::TControl*> orderList_;
  int arrangeLock_ = 0;
  int redockCount_ = 0;
  bool destroying_ = false;
  std::unique_ptr<TFloatWindow> floatWindow_;
  std::unique_ptr<platform::TActivationWatch> activation_;
  std::unique_ptr<platform::TWindowPosWatch> ownerWatch_;
  // Watches the top form (the owner, or the MDI frame of an MDI child owner).
  std::unique_ptr<platform::TWindowPosWatch> topWatch_;
};
