// Components and controls: the bases every window of the system is built of.
//
// TComponent owns the components made with Create (freed in reverse order of
// creation when the owner is freed) and finds them by name, ignoring letter
// case. TControl is a visible control with a position in pixels inside its
// parent; TWinControl can hold other controls, take the keyboard focus and
// receive window messages through its handle. Events are std::function
// members named as the system names them (OnClick, OnChange, ...); each gets
// the control that fired it as sender. An exception of a handler run by a
// change the program makes in code (SetText, SetChecked, ...) is raised in
// that code; one of a handler run by the user's input goes to the
// application (TApplication::HandleException).
//
// Everything here belongs to the GUI thread. A control's window lives as long
// as the control. Freeing a control that holds others frees them too (through
// their owners); one without an owner is only taken off it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/gui/messages.h"

namespace platform {

class TComponent;
class TControl;
class TWinControl;
class TForm;
class TPopupMenu;
struct TControlImpl;
struct TControlEvents;

// Shift state bits of keyboard and mouse events.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 0x01;
inline constexpr TShiftState ssAlt = 0x02;
inline constexpr TShiftState ssCtrl = 0x04;
inline constexpr TShiftState ssLeft = 0x08;
inline constexpr TShiftState ssRight = 0x10;
inline constexpr TShiftState ssMiddle = 0x20;
inline constexpr TShiftState ssDouble = 0x40;
// The right Alt key (AltGr) is down (key events only). It comes alone, not
// as Ctrl with Alt: a key typed with AltGr has ssAltGr and neither of those.
inline constexpr TShiftState ssAltGr = 0x80;

enum class TMouseButton { Left, Right, Middle };
enum class TAlign { None, Top, Bottom, Left, Right, Client };
enum class TAlignment { LeftJustify, RightJustify, Center };

// Modal results of forms and buttons.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

// Colours are 0x00BBGGRR; clDefault leaves the control its standard colour.
inline constexpr std::uint32_t clDefault = 0x20000000u;

// Windows virtual-key codes the controls report in key events.
inline constexpr std::uint16_t VK_BACK = 0x08;
inline constexpr std::uint16_t VK_TAB = 0x09;
inline constexpr std::uint16_t VK_RETURN = 0x0D;
inline constexpr std::uint16_t VK_SHIFT = 0x10;
inline constexpr std::uint16_t VK_CONTROL = 0x11;
inline constexpr std::uint16_t VK_MENU = 0x12;
inline constexpr std::uint16_t VK_ESCAPE = 0x1B;
inline constexpr std::uint16_t VK_SPACE = 0x20;
inline constexpr std::uint16_t VK_PRIOR = 0x21;
inline constexpr std::uint16_t VK_NEXT = 0x22;
inline constexpr std::uint16_t VK_END = 0x23;
inline constexpr std::uint16_t VK_HOME = 0x24;
inline constexpr std::uint16_t VK_LEFT = 0x25;
inline constexpr std::uint16_t VK_UP = 0x26;
inline constexpr std::uint16_t VK_RIGHT = 0x27;
inline constexpr std::uint16_t VK_DOWN = 0x28;
inline constexpr std::uint16_t VK_INSERT = 0x2D;
inline constexpr std::uint16_t VK_DELETE = 0x2E;
inline constexpr std::uint16_t VK_NUMPAD0 = 0x60;
inline constexpr std::uint16_t VK_NUMPAD9 = 0x69;
inline constexpr std::uint16_t VK_F1 = 0x70;
inline constexpr std::uint16_t VK_F2 = 0x71;
inline constexpr std::uint16_t VK_F3 = 0x72;
inline constexpr std::uint16_t VK_F4 = 0x73;
inline constexpr std::uint16_t VK_F5 = 0x74;
inline constexpr std::uint16_t VK_F6 = 0x75;
inline constexpr std::uint16_t VK_F7 = 0x76;
inline constexpr std::uint16_t VK_F8 = 0x77;
inline constexpr std::uint16_t VK_F9 = 0x78;
inline constexpr std::uint16_t VK_F10 = 0x79;
inline constexpr std::uint16_t VK_F11 = 0x7A;
inline constexpr std::uint16_t VK_F12 = 0x7B;
// The right Alt key (AltGr) when sent; a control's KeyDown reports either
// Alt key as VK_MENU.
inline constexpr std::uint16_t VK_RMENU = 0xA5;

using TNotifyEvent = std::function<void(TComponent& sender)>;
// key: the typed character; set it to 0 to drop the key.
using TKeyPressEvent = std::function<void(TComponent& sender, char32_t& key)>;
// key: the virtual-key code; set it to 0 to drop the key.
using TKeyEvent = std::function<void(TComponent& sender, std::uint16_t& key, TShiftState shift)>;
using TMouseEvent = std::function<void(TComponent& sender, TMouseButton button,
                                       TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent& sender, TShiftState shift, int x, int y)>;

// Base of everything a form owns: name, tag, owned components.
class TComponent {
 public:
  TComponent() = default;
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const { return components_.at(static_cast<size_t>(i)).get(); }
  // The owned component of that name (letter case ignored), or nullptr.
  TComponent* FindComponent(std::string_view name) const;
  template <class T>
  T* Find(std::string_view name) const {
    return dynamic_cast<T*>(FindComponent(name));
  }
  // As Find, but a missing component or one of another class throws
  // std::out_of_range naming it.
  template <class T>
  T& Get(std::string_view name) const {
    T* found = Find<T>(name);
    if (found == nullptr) ThrowMissing(name);
    return *found;
  }

  // Takes ownership of component and returns it.
  template <class T>
  T* InsertComponent(std::unique_ptr<T> component) {
    T* raw = component.get();
    Adopt(std::unique_ptr<TComponent>(std::move(component)));
    return raw;
  }
  // Gives up ownership of an owned component (nullptr when not owned).
  std::unique_ptr<TComponent> RemoveComponent(TComponent* component);

  // Makes a component owned by this one; a control is placed on parent.
  template <class T, class... A>
  T* Create(TWinControl* parent, std::string name = {}, A&&... args);

  // watcher->Notification (*this) runs when this component is freed, so a
  // watcher that keeps a pointer to it can forget it. A watcher freed first
  // is taken off the list.
  void FreeNotification(TComponent* watcher);
  void RemoveFreeNotification(TComponent* watcher);

 protected:
  // Frees the owned components, the newest first.
  void DestroyComponents();
  // A component this one asked FreeNotification of is being freed.
  virtual void Notification(TComponent& /*freed*/) {}

 private:
  void Adopt(std::unique_ptr<TComponent> component);
  [[noreturn]] void ThrowMissing(std::string_view name) const;

  std::string name_;
  std::intptr_t tag_ = 0;
  TComponent* owner_ = nullptr;
  std::vector<std::unique_ptr<TComponent>> components_;
  std::vector<TComponent*> watchers_;  // told when this one is freed
  std::vector<TComponent*> watching_;  // whose freeing this one is told of
};

// A visible control over a window of the windowing system.
class TControl : public TComponent {
 public:
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  // The form the control is on (itself for a form), or nullptr.
  TForm* ParentForm() const;

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  virtual void SetBounds(int left, int top, int width, int height);
  // The inner area the control's children are placed in.
  virtual int ClientWidth() const;
  virtual int ClientHeight() const;
  void SetClientWidth(int w);
  void SetClientHeight(int h);

  // The control's own visibility (a control on a hidden form is Visible).
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // True when it and every parent up to its window are shown on screen.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // "short|long": the short part is the tooltip, the long part goes to the
  // application's hint (the status line) while the mouse is over the control.
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  int Cursor() const { return cursor_; }
  void SetCursor(int cursor);
  std::uint32_t Color() const { return color_; }
  virtual void SetColor(std::uint32_t color);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // What a click of the user does (OnClick; buttons also set the form's
  // modal result, check boxes toggle).
  virtual void Click();

  // Repaints the control on the next pass of the message loop / at once.
  virtual void Invalidate();
  void Repaint();
  void BringToFront();
  void SendToBack();

  // Test driving: real mouse events through the windowing system, in the
  // control's client coordinates.
  void MouseDownAt(TMouseButton button, int x, int y, TShiftState shift = 0);
  void MouseUpAt(TMouseButton button, int x, int y, TShiftState shift = 0);
  void MouseMoveTo(int x, int y, TShiftState shift = 0);
  void ClickAt(int x, int y);
  // The mouse enters or leaves the control.
  void MouseEnterNow();
  void MouseLeaveNow();
  void DblClickAt(int x, int y);

  // The Qt side (platform .cpp files only).
  TControlImpl& Impl() const { return *impl_; }

 protected:
  TControl();
  // Shows the caption in the window; the base does nothing.
  virtual void CaptionChanged() {}
  // Mouse handlers; the base calls the matching event.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void DblClick();
  // The mouse entered or left the control; the base does nothing.
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}

 private:
  friend class TWinControl;
  friend struct TControlEvents;

  std::unique_ptr<TControlImpl> impl_;
  TWinControl* parent_ = nullptr;
  std::string caption_;
  std::string hint_;
  bool visible_ = true;
  bool enabled_ = true;
  bool showHint_ = false;
  TAlign align_ = TAlign::None;
  int cursor_ = 0;
  std::uint32_t color_ = clDefault;
  int helpContext_ = 0;
  TPopupMenu* popupMenu_ = nullptr;
};

// A control that holds other controls, takes the focus and has a handle.
// On a form the Tab key goes through the controls as they stand on the
// screen: top to bottom, then left to right, a container's controls in the
// container's place; hidden and disabled ones are passed over, and a group
// of radio buttons is entered at its checked button.
class TWinControl : public TControl {
 public:
  ~TWinControl() override;

  // The window handle for messages; registered on first use.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  // Calls the message handler directly, as a sent message would.
  std::intptr_t Perform(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    return HandleMessage(msg, wParam, lParam);
  }
  // Messages the control does not handle itself (the base handler calls it).
  std::function<std::intptr_t(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)>
      OnMessage;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_.at(static_cast<size_t>(i)); }

  bool Focused() const;
  bool CanFocus() const;
  virtual void SetFocus();
  // Whether Tab stops at the control. Each control starts as its kind does
  // (edits, buttons, boxes yes; panels, group boxes no).
  bool TabStop() const;
  void SetTabStop(bool tabStop);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // Places the aligned children (Top, Bottom, Left, Right, then Client)
  // inside the client area, in the order they were placed on the control.
  void Realign();

  // Drawing of the control and its children stops while something changes
  // under them, and comes back (with one repaint of everything) when each
  // suspension has been resumed; suspensions nest. A resume without a
  // suspension does nothing. Neither can fail.
  void SuspendDrawing();
  void ResumeDrawing();
  bool DrawingSuspended() const { return drawingSuspended_ > 0; }

  // Test driving: real key events through the windowing system (key down
  // with the typed text, then key up). shift may hold ssAltGr; VK_RMENU is
  // the right Alt key itself (held between SendKeyDown and SendKeyUp).
  void SendChar(char32_t ch);
  void SendText(std::string_view utf8);
  void SendKey(std::uint16_t vk, TShiftState shift = 0);
  // Only the key going down, or only going up (a key held during a drag).
  void SendKeyDown(std::uint16_t vk, TShiftState shift = 0);
  void SendKeyUp(std::uint16_t vk, TShiftState shift = 0);

 protected:
  TWinControl() = default;
  // Window messages; the base calls OnMessage and returns its result (0 when
  // it is empty).
  virtual std::intptr_t HandleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
  // A child was placed on / taken off the control; the base does nothing.
  virtual void ChildAdded(TControl& child) {}
  virtual void ChildRemoved(TControl& child) {}
  // Keyboard handlers; the base calls the matching event. A key set to 0 is
  // dropped.
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);
  virtual void KeyUp(std::uint16_t& key, TShiftState shift);
  virtual void KeyPress(char32_t& key);
  virtual void DoEnter();
  virtual void DoExit();

 private:
  friend class TControl;
  friend struct TControlEvents;

  std::vector<TControl*> controls_;
  HWND handle_ = 0;
  int drawingSuspended_ = 0;
};

template <class T, class... A>
T* TComponent::Create(TWinControl* parent, std::string name, A&&... args) {
  static_assert(std::is_base_of_v<TComponent, T>);
  auto component = std::make_unique<T>(std::forward<A>(args)...);
  component->SetName(std::move(name));
  T* raw = InsertComponent(std::move(component));
  if constexpr (std::is_base_of_v<TControl, T>) {
    if (parent != nullptr) raw->SetParent(parent);
  }
  return raw;
}

}  // namespace platform
