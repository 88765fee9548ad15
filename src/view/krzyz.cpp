#include "view/krzyz.h"

#include <exception>
#include <utility>

#include "controls/toolbarbutton.h"
#include "drawing/windowdim.h"
#include "foundation/errors.h"
#include "objects/grobj.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_std.h"
#include "platform/gui/dragframe.h"
#include "view/krzyzconf.h"
#include "view/viewimp.h"

namespace {

// Compared by address only; its coordinates are never shown.
const TRealPoint kNoPoint{};

TKrzyzStatusProc& StatusProcSlot() {
  static TKrzyzStatusProc proc;
  return proc;
}

TKrzyzErrorDisplay& ErrorDisplaySlot() {
  static TKrzyzErrorDisplay display;
  return display;
}

void SetButtonDown(platform::TComponent* Button, bool Down) {
  if (Button == nullptr) return;
  if (auto* speed = dynamic_cast<platform::TSpeedButton*>(Button))
    speed->SetDown(Down);
  else if (auto* toolbar = dynamic_cast<TToolbarButton*>(Button))
    toolbar->SetDown(Down);
}

}  // namespace

const TRealPoint& NoPoint() { return kNoPoint; }

void SetKrzyzStatusProc(TKrzyzStatusProc Proc) { StatusProcSlot() = std::move(Proc); }

const TKrzyzStatusProc& KrzyzStatusProc() { return StatusProcSlot(); }

void SetKrzyzErrorDisplay(TKrzyzErrorDisplay Display) { ErrorDisplaySlot() = std::move(Display); }

void ShowKrzyzError(const std::string& Text) {
  if (const TKrzyzErrorDisplay& display = ErrorDisplaySlot()) {
    display(Text);
    return;
  }
  platform::Application().ShowException(Exception(Text));
}

namespace {
void FreeKrzyz(TKrzyz* Tool) { delete Tool; }
}  // namespace

TEditToolPtr EditToolOwner(std::unique_ptr<TKrzyz> Tool) {
  return TEditToolPtr(Tool.release(), TEditToolDeleter{&FreeKrzyz});
}

std::unique_ptr<TKrzyz> TakeEditTool(TEditToolPtr Tool) {
  return std::unique_ptr<TKrzyz>(Tool.release());
}

std::string CurrentKrzyzErrorText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return kKrzyzErrorPrefix + std::string(e.what());
  } catch (...) {
    return kKrzyzErrorPrefix + std::string("Nieznany błąd");
  }
}

TKrzyz::TKrzyz(std::uint32_t Status, TKrzyzPointEvent OnPoint)
    : OnPoint(std::move(OnPoint)), Status(Status) {}

TKrzyz::TKrzyz(const TKrzyz& Source)
    : TObject(),
      Canvas(Source.Canvas),
      View(Source.View),
      OnPoint(Source.OnPoint),
      Dims(Source.Dims) {}

TKrzyz::~TKrzyz() {
  // The canvas may already be gone: nothing is drawn from here on.
  Canvas = nullptr;
  Deactivate();
  Nested.reset();
  if (auto* graphic = dynamic_cast<TEGraphObj*>(Data.get())) {
    Data.release();
    FreeGraphObj(graphic);
  }
}

void TKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(platform::crCross);
}

std::string TKrzyz::GetStatusText(const TRealPoint& Point) {
  if (&Point == &NoPoint()) return {};
  const TKrzyzConf& conf = KrzyzConf();
  return conf.FormatCoord(Point.X) + " , " + conf.FormatCoord(Point.Y);
}

std::unique_ptr<TKrzyz> TKrzyz::Clone() const { return std::make_unique<TKrzyz>(*this); }

void TKrzyz::GetPoint(TRealPoint& Point) { Point = NoPoint(); }

// Dispatch.

std::int32_t TKrzyz::HandleMove(const TRealPoint& Point) {
  if (IsBusy()) return 0;
  if (Nested) {
    if (Nested->HandleMove(Point) != 1) return 0;
    HideCursor();
    const std::int32_t r = Move(Point);
    ShowCursor();
    return r;
  }
  HideAll();
  const std::int32_t r = Move(Point);
  ShowAll();
  ShowStatus(Point);
  return r;
}

bool TKrzyz::HandleClick(const TRealPoint& Point) {
  if (IsBusy()) return false;
  if (Nested) {
    if (Nested->HandleClick(Point)) EndNested();
    return (Flags & kAccepted) != 0;
  }
  bool r = false;
  bool aborted = false;
  if (Guard([&] { r = Click(Point); }, &aborted)) r = !aborted;
  return Fire(r, Point);
}

std::int32_t TKrzyz::HandleRightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  if (IsBusy()) return kRightNothing;
  if (Nested) {
    const std::int32_t r = Nested->HandleRightClick(Point, ScreenPoint);
    if (r != kRightEnd) return r;
    EndNested();
    return kRightNothing;
  }
  if (OnRightClick) {
    const std::int32_t r = OnRightClick(this);
    if (r == kRightEnd) {
      HideAll();
      return kRightEnd;
    }
    if (r != kRightBackspace && r != kRightDefault) return r;
  }
  return RightClick(Point, ScreenPoint);
}

bool TKrzyz::HandleBackspace() {
  if (Nested) {
    if (Nested->HandleBackspace()) EndNested();
    return false;
  }
  const std::int32_t remaining = Backspace();
  const bool done = remaining == 0;
  if (OnBackspace) {
    try {
      OnBackspace(this, remaining);
    } catch (const EAbort&) {
    } catch (...) {
      ShowKrzyzError(CurrentKrzyzErrorText());
    }
  }
  if (done)
    Finish();
  else
    UpdateViewHint();
  return done;
}

std::int32_t TKrzyz::HandleKey(std::int32_t Key) {
  if (IsBusy()) return kKeyNotHandled;
  if (!Nested) return KeyDown(Key);
  const std::int32_t r = Nested->HandleKey(Key);
  if (r != kKeyHandledEnd) return r;
  EndNested();
  return kKeyHandled;
}

void TKrzyz::RedrawFigures() {
  if (Canvas == nullptr) return;
  Flags |= kRepainting;
  if ((Flags & kMarkerShown) != 0) DrawFigure(&TKrzyz::DrawMarker);
  if ((Flags & kCursorShown) != 0) DrawFigure(&TKrzyz::DrawCursor);
  if (Nested) Nested->RedrawFigures();
  Flags &= static_cast<std::uint8_t>(~kRepainting);
}

// Life.

void TKrzyz::Activate(platform::TControl* AView, TXORCanvas* ACanvas, const TRealPoint& Point) {
  // Activated again (the view starting with its tool in place): detached
  // first, so that every Attach has its Detach.
  if (activated_) Deactivate();
  View = AView;
  Canvas = ACanvas;
  Dims = ACanvas != nullptr ? ACanvas->Dims() : nullptr;
  activated_ = true;
  ShowStatus(NoPoint());
  Attach();
  SetViewCursor();
  if (Nested) {
    Nested->Activate(AView, ACanvas, Point);
  } else {
    HideAll();
    HandleMove(Point);
  }
  UpdateButton(true);
}

void TKrzyz::Deactivate() {
  // Only a tool that was activated: a copy shares its source's view without
  // having shown anything on it.
  if (!activated_) return;
  UpdateButton(false);
  HideAll();
  if (Nested) Nested->Deactivate();
  Detach();
  View = nullptr;
  Canvas = nullptr;
  Dims = nullptr;
  activated_ = false;
}

bool TKrzyz::Finish() {
  if (Nested && Nested->Finish()) Nested.reset();
  if ((Flags & kFinished) != 0) return false;
  Flags |= kFinished;
  bool ok = true;
  Guard([&] {
    const std::int32_t result = GetResult();
    Deactivate();
    if (OnFinish) OnFinish(this, result);
    ok = result >= 0;
  });
  return ok;
}

void TKrzyz::StartNested(std::unique_ptr<TKrzyz> Tool) {
  if (Nested) {
    Nested->Finish();
    Nested.reset();
  } else {
    HideMarker();
  }
  Nested = std::move(Tool);
  if (!Nested) return;
  Nested->Parent = this;
  if (View != nullptr) Nested->Activate(View, Canvas, PointerPos());
}

void TKrzyz::StartNestedInner(std::unique_ptr<TKrzyz> Tool) {
  Innermost()->StartNested(std::move(Tool));
}

void TKrzyz::StartNestedOnce(std::unique_ptr<TKrzyz> Tool) {
  TKrzyz* level = this;
  while (level->Nested && (level->Flags & kNestedHere) == 0) level = level->Nested.get();
  level->StartNested(std::move(Tool));
  level->Flags |= kNestedHere;
}

void TKrzyz::EndNested() {
  if (!Nested) return;
  TRealPoint p = NoPoint();
  Nested->GetPoint(p);
  // Its figures go before it does: a freed tool draws nothing.
  for (TKrzyz* tool = Nested.get(); tool != nullptr; tool = tool->Nested.get()) tool->HideAll();
  Nested.reset();
  SetViewCursor();
  HideAll();
  Detach();
  Attach();
  Flags &= static_cast<std::uint8_t>(~kNestedHere);
  HandleMove(p);
}

// Figures.

void TKrzyz::ShowAll() {
  if (Canvas != nullptr && (Flags & kMarkerShown) == 0) {
    DrawFigure(&TKrzyz::DrawMarker);
    Flags |= kMarkerShown;
  }
  if (Canvas != nullptr && (Flags & kCursorShown) == 0) {
    DrawFigure(&TKrzyz::DrawCursor);
    Flags |= kCursorShown;
  }
}

void TKrzyz::HideAll() {
  if ((Flags & kCursorShown) != 0) {
    if (Canvas != nullptr) DrawFigure(&TKrzyz::DrawCursor);
    Flags &= static_cast<std::uint8_t>(~kCursorShown);
  }
  if ((Flags & kMarkerShown) != 0) {
    if (Canvas != nullptr) DrawFigure(&TKrzyz::DrawMarker);
    Flags &= static_cast<std::uint8_t>(~kMarkerShown);
  }
}

// The canvas inverts a pixel that several lines of one batch share only
// once, so a figure must go out in batches of its own: drawn together with
// the other figure when shown and alone when hidden, a shared pixel would
// stay behind.
void TKrzyz::DrawFigure(void (TKrzyz::*Draw)()) {
  Canvas->FlushLines();
  (this->*Draw)();
  Canvas->FlushLines();
}

void TKrzyz::ShowCursor() {
  if (Canvas == nullptr || (Flags & kCursorShown) != 0) return;
  DrawFigure(&TKrzyz::DrawCursor);
  Flags |= kCursorShown;
}

void TKrzyz::HideCursor() {
  if ((Flags & kCursorShown) == 0) return;
  Flags &= static_cast<std::uint8_t>(~kCursorShown);
  if (Canvas == nullptr) return;
  DrawFigure(&TKrzyz::DrawCursor);
}

void TKrzyz::ShowMarker() {
  if (Canvas == nullptr || (Flags & kMarkerShown) != 0) return;
  DrawFigure(&TKrzyz::DrawMarker);
  Flags |= kMarkerShown;
}

void TKrzyz::HideMarker() {
  if ((Flags & kMarkerShown) == 0) return;
  Flags &= static_cast<std::uint8_t>(~kMarkerShown);
  if (Canvas == nullptr) return;
  DrawFigure(&TKrzyz::DrawMarker);
}

void TKrzyz::ShowMarkerInner() {
  TKrzyz* tool = this;
  for (;;) {
    if (tool->IsBusy()) return;
    if (!tool->Nested) break;
    tool = tool->Nested.get();
  }
  tool->ShowMarker();
}

void TKrzyz::HideMarkerInner() {
  TKrzyz* tool = this;
  for (;;) {
    if (tool->IsBusy()) return;
    if (!tool->Nested) break;
    tool = tool->Nested.get();
  }
  tool->HideMarker();
}

void TKrzyz::DrawCross(const TRealPoint& Point) {
  if (Canvas == nullptr) return;
  const TKrzyzConf& conf = KrzyzConf();
  if (conf.RysujKrzyz)
    Canvas->CrossHair(Point);
  else
    Canvas->CrossMark(conf.CelownikW + 2, conf.CelownikH + 2, Point);
}

void TKrzyz::DrawFrame(const TRealPoint& Point) {
  if (Canvas == nullptr) return;
  const TKrzyzConf& conf = KrzyzConf();
  Canvas->RectMark(conf.CelownikW, conf.CelownikH, Point);
}

void TKrzyz::SetButton(platform::TComponent* AButton) {
  TKrzyz* tool = Innermost();
  tool->Button = AButton;
  SetButtonDown(AButton, tool->View != nullptr);
}

void TKrzyz::UpdateButton(bool Down) {
  SetButtonDown(Button, Down);
  if (Nested) Nested->UpdateButton(Down);
}

// Status and hint.

void TKrzyz::ShowStatus(const TRealPoint& Point) {
  const TKrzyzStatusProc& proc = KrzyzStatusProc();
  if (!proc) return;
  std::string text(1, ' ');
  text.append(GetStatusText(Point)).push_back(' ');
  proc(text);
}

void TKrzyz::UpdateViewHint() {
  std::string hint = GetHint();
  if (View != nullptr && !hint.empty()) View->SetHint(std::move(hint));
}

bool TKrzyz::Fire(bool Report, const TRealPoint& Point) {
  ShowStatus(Point);
  UpdateViewHint();
  if (!Report || !OnPoint) return Report;
  Flags |= kInCallback;
  bool r = false;
  if (Guard([&] { r = OnPoint(this); })) r = true;
  if (r)
    Flags |= kAccepted;
  else
    Flags &= static_cast<std::uint8_t>(~kAccepted);
  if (!r && !Nested) ShowAll();
  Flags &= static_cast<std::uint8_t>(~kInCallback);
  return r;
}

void TKrzyz::SetStatus(std::uint32_t Value) {
  for (TKrzyz* tool = this; tool != nullptr; tool = tool->Nested.get()) tool->Status = Value;
}

TKrzyz* TKrzyz::Innermost() {
  TKrzyz* tool = this;
  while (tool->Nested) tool = tool->Nested.get();
  return tool;
}

TRealPoint TKrzyz::PointerPos() const {
  TRealPoint p;
  if (auto* view = dynamic_cast<TTvViewImp*>(View)) {
    view->GetPointerPos(p);
    return p;
  }
  if (View == nullptr || Dims == nullptr) return p;
  const platform::TGdiPoint screen = platform::CursorPos();
  const platform::TGdiPoint client = platform::ScreenToClient(*View, screen.X, screen.Y);
  return Dims->DeviceToWorldPt(TPoint{client.X, client.Y});
}

bool TKrzyz::Guard(const std::function<void()>& Fn, bool* Aborted) {
  if (Aborted != nullptr) *Aborted = false;
  try {
    Fn();
    return false;
  } catch (const EAbort&) {
    if (Aborted != nullptr) *Aborted = true;
    return true;
  } catch (...) {
    const std::string text = CurrentKrzyzErrorText();
    HideAll();
    ShowKrzyzError(text);
    return true;
  }
}
