// Cursor tools: every interactive command is a TKrzyz that the map view
// installs as its current tool. The view turns mouse, key and paint events
// into the dispatch operations (Handle*); the tool answers through its
// virtual operations and reports to the command that made it through the
// callbacks. A tool may run a nested tool (a zoom inside a line command): the
// nested tool gets every event first and, when it ends, hands its point back.
// Both figures of a tool (cursor and marker) are drawn in XOR mode on the
// view's tool canvas, so drawing one twice erases it; the two "shown" flags
// keep figures and screen in step.
//
// GUI thread only. A tool owns its nested tool and its Data object; the view,
// the canvas, the dimensions and the button are not owned.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/containers/object.h"
#include "foundation/geometry/intpoint.h"
#include "foundation/geometry/realgeom.h"
#include "objects/edittoolsi.h"

namespace platform {
class TControl;
class TComponent;
}  // namespace platform
class TXORCanvas;
class TWindowDim;
class TKrzyz;

// Callbacks of a tool (the command's methods).
using TKrzyzPointEvent = std::function<bool(TKrzyz* Sender)>;
using TKrzyzFinishEvent = std::function<void(TKrzyz* Sender, std::int32_t Result)>;
using TKrzyzBackspaceEvent = std::function<void(TKrzyz* Sender, std::int32_t Remaining)>;
using TKrzyzRightClickEvent = std::function<std::int32_t(TKrzyz* Sender)>;
// The process-wide status procedure (the first panel of the main window's
// status bar).
using TKrzyzStatusProc = std::function<void(const std::string& Text)>;

// Answers of RightClick and HandleRightClick as the view reads them.
inline constexpr std::int32_t kRightBackspace = 0;  // take back the last input
inline constexpr std::int32_t kRightDefault = 1;    // the view's popup, else take back
inline constexpr std::int32_t kRightNothing = 2;    // busy, or a nested tool ended
inline constexpr std::int32_t kRightEnd = 3;        // end the tool at once
inline constexpr std::int32_t kRightKeepMouse = 4;  // nothing, pointer not put back
// Answers of KeyDown and HandleKey.
inline constexpr std::int32_t kKeyNotHandled = 0;
inline constexpr std::int32_t kKeyHandled = 1;
inline constexpr std::int32_t kKeyHandledEnd = 2;
// Modifier bits added to a virtual-key code.
inline constexpr std::int32_t kKeyCtrl = 0x10000;
inline constexpr std::int32_t kKeyShift = 0x20000;
inline constexpr std::int32_t kKeyAltGr = 0x40000;

// The prefix of a tool's error as the user sees it.
inline constexpr const char* kKrzyzErrorPrefix = "Błąd w krzyżu: ";

// The process-wide "no point" value, compared by identity: its status text
// is empty.
const TRealPoint& NoPoint();
void SetKrzyzStatusProc(TKrzyzStatusProc Proc);
const TKrzyzStatusProc& KrzyzStatusProc();

// How a tool shows an error to the user: the message box of the platform by
// default (an empty display brings it back); tests install their own. Text
// already carries the prefix.
using TKrzyzErrorDisplay = std::function<void(const std::string& Text)>;
void SetKrzyzErrorDisplay(TKrzyzErrorDisplay Display);
void ShowKrzyzError(const std::string& Text);
// Inside a catch block: the exception being handled, with the prefix.
std::string CurrentKrzyzErrorText();

class TKrzyz : public TObject {
public:
  // Flags.
  static constexpr std::uint8_t kFinished = 0x01;
  static constexpr std::uint8_t kInCallback = 0x02;
  static constexpr std::uint8_t kCursorShown = 0x04;
  static constexpr std::uint8_t kMarkerShown = 0x08;
  static constexpr std::uint8_t kNestedHere = 0x10;
  static constexpr std::uint8_t kAccepted = 0x20;
  static constexpr std::uint8_t kPointRefused = 0x40;
  static constexpr std::uint8_t kRepainting = 0x80;

  TKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint);
  // Shares Source's canvas, view, dims and OnPoint (not OnFinish, not Status).
  explicit TKrzyz(const TKrzyz& Source);
  TKrzyz& operator=(const TKrzyz&) = delete;
  // Clears the canvas, deactivates, frees the nested tool and Data.
  ~TKrzyz() override;

  // Virtual operations, with the base behaviour.
  virtual void DrawCursor() {}
  virtual void DrawMarker() {}
  virtual std::int32_t Move(const TRealPoint& Point) { return 0; }
  virtual bool Click(const TRealPoint& Point) { return false; }
  // The cross cursor.
  virtual void SetViewCursor();
  // The coordinates of Point (empty for NoPoint()).
  virtual std::string GetStatusText(const TRealPoint& Point);
  virtual std::int32_t GetResult() { return 0; }
  virtual std::string GetHint() { return {}; }
  virtual std::int32_t Backspace() { return 0; }
  virtual std::int32_t RightClick(TRealPoint& Point, const TPoint& ScreenPoint) { return kRightDefault; }
  virtual void Attach() {}
  virtual void Detach() {}
  virtual std::int32_t KeyDown(std::int32_t Key) { return kKeyNotHandled; }
  // A plain TKrzyz made from this one by the copying constructor.
  virtual std::unique_ptr<TKrzyz> Clone() const;
  // The point a finished nested tool hands to its parent. Base: NoPoint().
  virtual void GetPoint(TRealPoint& Point);
  virtual void ResetState() {}
  // True for the creation and edit tools of the graphic objects (activating
  // another sublayer restarts their command on it).
  virtual bool IsEditGraphObjTool() const { return false; }

  // Dispatch, called by the view; each handles the nested chain first.
  std::int32_t HandleMove(const TRealPoint& Point);
  bool HandleClick(const TRealPoint& Point);
  std::int32_t HandleRightClick(TRealPoint& Point, const TPoint& ScreenPoint);
  bool HandleBackspace();
  std::int32_t HandleKey(std::int32_t Key);
  void RedrawFigures();

  // Life.
  void Activate(platform::TControl* AView, TXORCanvas* ACanvas, const TRealPoint& Point);
  void Deactivate();
  bool Finish();
  void StartNested(std::unique_ptr<TKrzyz> Tool);
  void StartNestedInner(std::unique_ptr<TKrzyz> Tool);
  void StartNestedOnce(std::unique_ptr<TKrzyz> Tool);
  void EndNested();

  // Figures and buttons.
  void ShowAll();
  void HideAll();
  void ShowCursor();
  void HideCursor();
  void ShowMarker();
  void HideMarker();
  void ShowMarkerInner();
  void HideMarkerInner();
  void DrawCross(const TRealPoint& Point);
  void DrawFrame(const TRealPoint& Point);
  // Button: a platform::TSpeedButton or a TToolbarButton.
  void SetButton(platform::TComponent* AButton);
  void UpdateButton(bool Down);

  // Status and hint.
  void ShowStatus(const TRealPoint& Point);
  void UpdateViewHint();
  bool Fire(bool Report, const TRealPoint& Point);
  bool IsBusy() const { return (Flags & kInCallback) != 0; }
  void SetStatus(std::uint32_t Value);

  // The innermost tool of the chain (this one when none is nested).
  TKrzyz* Innermost();
  // The point under the pointer: the view's GetPointerPos for a map view,
  // else the system cursor through Dims.
  TRealPoint PointerPos() const;

  TXORCanvas* Canvas = nullptr;
  platform::TControl* View = nullptr;
  TKrzyzPointEvent OnPoint;
  TKrzyzFinishEvent OnFinish;
  TKrzyzBackspaceEvent OnBackspace;
  TKrzyzRightClickEvent OnRightClick;
  std::unique_ptr<TKrzyz> Nested;
  TWindowDim* Dims = nullptr;
  std::uint32_t Status = 0;
  std::uint8_t Flags = 0;
  platform::TComponent* Button = nullptr;
  TKrzyz* Parent = nullptr;
  std::uint32_t Extra = 0;
  // Freed with the tool (a graphic object through FreeGraphObj).
  std::unique_ptr<TObject> Data;

protected:
  // Runs Fn and shows a non-abort error with the prefix after hiding the
  // figures; true when Fn raised (an abort too).
  bool Guard(const std::function<void()>& Fn, bool* Aborted = nullptr);

private:
  // Draws one figure (DrawCursor or DrawMarker) in a line batch of its own.
  void DrawFigure(void (TKrzyz::*Draw)());
  // Set by Activate, cleared by Deactivate: Deactivate (and so Detach) runs
  // only for a tool that was activated, not for a copy that merely shares its
  // source's view.
  bool activated_ = false;
};

// The owner in which the objects hand on an edit tool (objects/edittoolsi.h):
// it frees the tool as a cursor tool is freed. TakeEditTool gives the tool
// back as the view holds it; it expects an owner made by EditToolOwner.
TEditToolPtr EditToolOwner(std::unique_ptr<TKrzyz> Tool);
std::unique_ptr<TKrzyz> TakeEditTool(TEditToolPtr Tool);
