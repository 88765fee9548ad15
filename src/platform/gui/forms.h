// Forms: top-level windows, modal dialogs and MDI frames and children.
//
// A form is made hidden; Show shows it, ShowModal shows it modally and
// returns its modal result. Setting ModalResult (a button with a modal
// result does it) ends ShowModal once the handler that set it has returned,
// unless that handler cleared it again or OnCloseQuery / OnClose refuse.
// Under a scripted responder (responder.h) ShowModal never waits: the
// responder's answer fills the form and gives the result.
// A window is shown inside the screen's work area with its frame: one
// larger than the area is made smaller, one reaching past an edge is moved
// in (again once the window manager has framed it and the frame is known).
//
// GUI thread only. A form owns its components; whoever made the form owns
// it (MakeForm hands it over). Close with the Free action frees a form owned
// by a component (its owner, or ApplicationForms) once the events in progress
// have returned.
#pragma once

#include <memory>

#include "platform/gui/controls.h"
#include "platform/paint/gdi.h"

namespace platform {

class TMainMenu;
class TButton;
struct TFormImpl;

enum class TFormBorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
enum class TPosition { Designed, Default, ScreenCenter, MainFormCenter, OwnerFormCenter };
enum class TFormStyle { Normal, MDIChild, MDIForm, StayOnTop };
enum class TCloseAction { None, Hide, Free, Minimize };
enum class TWindowState { Normal, Minimized, Maximized };

// Border icons (bits).
inline constexpr unsigned biSystemMenu = 0x1;
inline constexpr unsigned biMinimize = 0x2;
inline constexpr unsigned biMaximize = 0x4;
inline constexpr unsigned biHelp = 0x8;

using TCloseEvent = std::function<void(TComponent& sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TComponent& sender, bool& canClose)>;

class TForm : public TWinControl {
 public:
  TForm();
  // Runs OnDestroy (while the form's own components still exist).
  ~TForm() override;

  // Runs OnCreate, once; MakeForm calls it after construction.
  void DoCreate();

  // Single, Dialog and ToolWindow borders keep the form at the size its
  // bounds give it: the user cannot resize it.
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  // True when the user can resize the window.
  bool Resizable() const;
  unsigned BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(unsigned icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool preview) { keyPreview_ = preview; }
  // The layer of windows kept above all others: a StayOnTop form starts in
  // it. Setting it neither moves, sizes, shows nor activates the window (a
  // window that stays on top leaves the layer before it shows a message box
  // that would otherwise lie under it, and comes back when shown again).
  bool TopMost() const { return topMost_; }
  void SetTopMost(bool topMost);
  // Places the window beside the screen point (x, y) without sizing it: 10
  // pixels right of it, or left of it when it would leave the screen there,
  // with its top at y, moved up to end on the screen; its top left stays on
  // a screen smaller than the window.
  void PlaceBeside(int x, int y);

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result);
  // True while ShowModal runs for this form.
  bool Modal() const { return modal_; }
  // Shows the form modally and returns its modal result. Throws
  // std::logic_error for a form that is already visible.
  virtual TModalResult ShowModal();
  // Closes as the close box does: a modal form gets mrCancel; otherwise
  // OnCloseQuery, then OnClose with Hide (Minimize for an MDI child), then
  // the action. Closing the main form terminates the application.
  void Close();
  // OnCloseQuery; true when the form may close.
  virtual bool CloseQuery();
  // Frees the form once the events in progress have returned (a form owned
  // by a component only; others are hidden).
  void Release();

  void SetVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height) override;
  // The window with its frame, in screen coordinates (the bounds alone
  // until the window manager has framed it).
  TGdiRect FrameBounds() const;
  int ClientWidth() const override;
  int ClientHeight() const override;

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  TWinControl* ActiveControl() const;
  void SetActiveControl(TWinControl* control);

  // MDI frame (FormStyle MDIForm): its children, in stacking order.
  int MDIChildCount() const;
  TForm* MDIChildren(int i) const;
  TForm* ActiveMDIChild() const;
  void Cascade();
  void Tile();
  void Next();
  void Previous();

  // Enter clicks the default button, Esc the cancel button (when the form
  // has a visible, enabled one); true when a button took the key.
  bool DialogKey(std::uint16_t vk);
  // Moves the focus to the next (or previous) control in Tab order, as Tab
  // (Shift+Tab) does.
  void FocusNextControl(bool forward = true);

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnResize;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  // The dialog keys (Tab, Enter, Escape) pressed in a control of the form
  // come here first, before the key preview and the control see them as
  // keys; a key set to 0 is taken and goes no further.
  TKeyEvent OnDialogKey;

 protected:
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);

 private:
  void CaptionChanged() override;
  void LayoutWindow();
  void ApplyWindowFlags();
  void PlaceOnFirstShow();
  // Once the window manager has framed the shown window: the window with
  // its frame fitted into the screen's work area.
  void FitFramedWindow();
  // Ends the modal loop when ModalResult is still set and the form agrees.
  bool CloseModal();
  // Ends the modal loop, once the events in progress have returned and no
  // window opened above the form is open, when ModalResult is still set.
  void CheckModalResultLater();
  // Runs the modal loop until the modal result ends it (or timeoutMs, when
  // not 0, passes).
  void RunModalLoop(std::uint32_t timeoutMs);
  void ShowMdiChild();
  // The form shown modally for its lifetime: application-modal from before
  // it shows until after it is hidden again.
  class ShownModally {
   public:
    explicit ShownModally(TForm& form);
    ~ShownModally();
    ShownModally(const ShownModally&) = delete;
    ShownModally& operator=(const ShownModally&) = delete;

   private:
    TForm& form_;
  };

  std::unique_ptr<TFormImpl> form_;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::Sizeable;
  unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = TPosition::Designed;
  TFormStyle formStyle_ = TFormStyle::Normal;
  bool keyPreview_ = false;
  bool topMost_ = false;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
  bool shownOnce_ = false;
  TMainMenu* menu_ = nullptr;
};

// Makes a form and runs its OnCreate.
template <class T, class... A>
std::unique_ptr<T> MakeForm(A&&... args) {
  auto form = std::make_unique<T>(std::forward<A>(args)...);
  form->DoCreate();
  return form;
}

// The owner of forms that belong to the application as a whole (freed by
// FreeApplicationForms, or with the process).
TComponent& ApplicationForms();
void FreeApplicationForms();

// The active top-level form, or nullptr.
TForm* ActiveForm();
// Every visible top-level form.
std::vector<TForm*> VisibleForms();

}  // namespace platform
