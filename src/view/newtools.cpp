#include "view/newtools.h"

#include <utility>

#include "drawing/pen.h"
#include "layers/tree/layernode.h"
#include "objects/grobj.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "view/krzyzconf.h"

// --- TNewMoveImpKrzyz ------------------------------------------------------

std::int32_t TNewMoveImpKrzyz::TryLatchPoint(const TPoint& ScreenPoint) {
  if (Stage < 2) return 0;
  TRealPoint p = NoPoint();
  return RightClick(p, ScreenPoint);
}

std::int32_t TNewMoveImpKrzyz::TryLatch(std::int32_t Key) { return Stage < 2 ? 0 : KeyDown(Key); }

bool TNewMoveImpKrzyz::LatchAndMove(const TRealPoint& Point) {
  if (Stage >= 2) return Click(Point);
  return LatchPoint(0, TLatchEntry{Point.X, Point.Y, CurrentEntry().Z});
}

// --- TNewMoveGraphObjKrzyz -------------------------------------------------

TNewMoveGraphObjKrzyz::TNewMoveGraphObjKrzyz(std::uint32_t Status, TEGraphObj* Template,
                                             TWarstwaOgolna* Sublayer, TKrzyzPointEvent OnPoint)
    : TNewMoveImpKrzyz(Status, std::move(OnPoint)), Sublayer(Sublayer) {
  PutTemplate(Template);
}

TNewMoveGraphObjKrzyz::~TNewMoveGraphObjKrzyz() {
  Canvas = nullptr;
  Deactivate();
}

void TNewMoveGraphObjKrzyz::Attach() {
  TNewMoveImpKrzyz::Attach();
  if (Canvas == nullptr) return;
  if (Sublayer != nullptr) Sublayer->PrepareCanvas(*Canvas);
  Canvas->Pen->SetStyle(3);
  Canvas->Pen->SetMode(6);
  Canvas->Pen->SetColor(0);
  Canvas->SaveCanvasState();
  Canvas->Pen->SetWidth(1);
}

void TNewMoveGraphObjKrzyz::Detach() {
  if (Canvas != nullptr) {
    Canvas->RestoreCanvasState();
    Canvas->Pen->SetWidth(1);
    Canvas->SaveCanvasState();
  }
  TNewMoveImpKrzyz::Detach();
}

void TNewMoveGraphObjKrzyz::PutTemplate(TEGraphObj* Object) {
  template_ = Object;
  Excluded = Object;
}

// --- TMoveGraphObjKrzyz ----------------------------------------------------

std::int32_t TMoveGraphObjKrzyz::Move(const TRealPoint& Point) {
  TLatchEntry& e = CurrentEntry();
  if (Stage == 0)
    Stage = 1;
  else if (template_ != nullptr)
    template_->Move(TRealPoint{Point.X - e.X, Point.Y - e.Y});
  e.X = Point.X;
  e.Y = Point.Y;
  return 0;
}

void TMoveGraphObjKrzyz::DrawCursor() {
  if (Stage == 0 || template_ == nullptr || Canvas == nullptr) return;
  Canvas->RestoreCanvasState();
  template_->Draw(*Canvas);
  Canvas->FlushLines();
}

void TMoveGraphObjKrzyz::DrawMarker() {
  if (Stage == 0 || Canvas == nullptr) return;
  Canvas->RestoreCanvasState();
  Canvas->Pen->SetWidth(1);
  ShowHide(CurrentEntry());
}

bool TMoveGraphObjKrzyz::AddPoint(const TLatchEntry& Entry) {
  HideAll();
  TLatchEntry& e = CurrentEntry();
  if (template_ != nullptr) template_->Move(TRealPoint{Entry.X - e.X, Entry.Y - e.Y});
  e = Entry;
  Stage = 1;
  return true;
}

// --- TNewGraphObjKrzyz -----------------------------------------------------

void TNewGraphObjKrzyz::UpdateQuietly() {
  try {
    UpdateTemplate();
  } catch (...) {
    // The template keeps its last geometry.
  }
}

std::int32_t TNewGraphObjKrzyz::Move(const TRealPoint& Point) {
  if (Stage == 0) Stage = 1;
  const std::int32_t r = TNewMoveGraphObjKrzyz::Move(Point);
  CheckTemplate();
  SetViewCursor();
  UpdateQuietly();
  return r;
}

void TNewGraphObjKrzyz::DrawCursor() {
  if (Stage < 2 || template_ == nullptr || Canvas == nullptr) return;
  Canvas->RestoreCanvasState();
  template_->Draw(*Canvas);
  DrawExtra();
  Canvas->FlushLines();
  Canvas->RestoreCanvasState();
  Canvas->Pen->SetWidth(1);
}

void TNewGraphObjKrzyz::DrawMarker() {
  if (Stage != 0 && Cursor == -1) ShowHide(CurrentEntry());
}

void TNewGraphObjKrzyz::SetViewCursor() {
  if (View != nullptr) View->SetCursor(Stage <= RestartStage ? static_cast<int>(Cursor) : static_cast<int>(platform::crNone));
}

bool TNewGraphObjKrzyz::AddPoint(const TLatchEntry& Entry) {
  HideAll();
  CurrentEntry() = Entry;
  bool ok = true;
  try {
    UpdateTemplate();
  } catch (...) {
    ok = false;
  }
  if (CheckTemplate()) {
    Flags &= static_cast<std::uint8_t>(~kPointRefused);
  } else {
    Flags |= kPointRefused;
    ok = false;
    ShowAll();
  }
  if (Stage >= CompleteCount) {
    if (ok) ok = CompleteObject();
    if (ok) {
      Stage = 0;
      Flags &= static_cast<std::uint8_t>(~kPointRefused);
      return true;
    }
    PlaySignal(KrzyzConf(), kSignalError);
    ShowAll();
    Flags |= kPointRefused;
    return false;
  }
  ShowAll();
  return false;
}

void TNewGraphObjKrzyz::NextPoint() {
  if ((Flags & kPointRefused) != 0) return;
  HideAll();
  TNewMoveGraphObjKrzyz::NextPoint();
  if (Stage != 0) {
    ++Stage;
    UpdateQuietly();
  } else {
    // Just completed: the next object starts here.
    Stage = RestartStage;
  }
  ShowAll();
}

std::int32_t TNewGraphObjKrzyz::Backspace() {
  if (Stage <= RestartStage) return 0;
  HideAll();
  DropLastPoint();
  const std::int32_t r = Stage - RestartStage;
  --Stage;
  UpdateQuietly();
  ShowAll();
  return r;
}

void TNewGraphObjKrzyz::SetTemplate(TEGraphObj* Object) {
  // The old template goes off the screen before it is let go.
  HideCursor();
  PutTemplate(Object);
  ShowCursor();
}

bool TNewGraphObjKrzyz::CheckTemplate() {
  Cursor = -1;
  return true;
}

void TNewGraphObjKrzyz::ClearTemplate() {
  HideCursor();
  TEGraphObj* old = template_;
  PutTemplate(nullptr);
  FreeGraphObj(old);
  ShowCursor();
}
