// The edit mode of TEditGraphObjKrzyz: picking a handle, dragging a working
// copy of the object and applying it to the object in the sublayer.
#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "drawing/drawparams.h"
#include "objects/activepoints.h"
#include "objects/grobj.h"
#include "objects/styledcanvas.h"
#include "objtools/edittool.h"
#include "view/krzyzconf.h"
#include "view/tvview.h"
#include "view/viewhost.h"

namespace {

// The handles of an edit tool as one of the view's paint items. It reads the
// tool's handle slot at every paint, so new handles (another template) need
// no new item. The view owns the item; the tool takes it off the view's list
// before it goes.
class THandlesPaintItem : public TPaintItem {
public:
  explicit THandlesPaintItem(const std::unique_ptr<TActivePoints>& Handles) : handles_(Handles) {}

  bool Visible() const override { return handles_ && handles_->Visible; }
  void Paint(TDefRealCanvas& Canvas) override {
    if (handles_) handles_->Draw(Canvas);
  }

private:
  const std::unique_ptr<TActivePoints>& handles_;
};

}  // namespace

void TEditGraphObjKrzyz::EditSetTemplate(TEGraphObj* Object) {
  TNewGraphObjKrzyz::SetTemplate(Object);
  Handles.reset();
  // Without drawing parameters there is no window to size the handles by.
  if (Object != nullptr && Params) {
    Handles = Object->CreateActivePoints(*Params);
    if (Handles) Handles->Visible = true;
  }
  if (TTvView* view = MapView(); view != nullptr && handlesItem_ != nullptr) view->InvalidateAll();
}

void TEditGraphObjKrzyz::EditAttach() {
  TNewGraphObjKrzyz::Attach();
  TTvView* view = MapView();
  if (view == nullptr || handlesItem_ != nullptr) return;
  auto item = std::make_unique<THandlesPaintItem>(Handles);
  handlesItem_ = item.get();
  view->PaintItems.push_back(std::move(item));
  view->InvalidateAll();
}

void TEditGraphObjKrzyz::EditDetach() {
  // A tool that ends in the middle of a drag (another command, the view
  // going) leaves the object as it was, shown, and the template on it: the
  // command's finish handler, which runs after this, works with the
  // template.
  if (Backup != nullptr) {
    HideAll();
    DropModification();
    if (Stage > RestartStage) Stage = RestartStage;
  }
  DropHandlesItem();
  TNewGraphObjKrzyz::Detach();
}

void TEditGraphObjKrzyz::DropModification() {
  TEGraphObj* clone = template_;
  PutTemplate(Backup);
  Backup = nullptr;
  FreeGraphObj(clone);
  ShowEditState(true);
  UpdateHandles();
  Flags &= static_cast<std::uint8_t>(~kPointRefused);
}

void TEditGraphObjKrzyz::DropHandlesItem() {
  if (handlesItem_ == nullptr) return;
  TPaintItem* item = handlesItem_;
  handlesItem_ = nullptr;
  TTvView* view = MapView();
  if (view == nullptr) return;
  // Only this tool's item: the list also holds the markers and the overlay.
  auto& items = view->PaintItems;
  const auto it = std::find_if(items.begin(), items.end(), [item](const auto& p) { return p.get() == item; });
  if (it != items.end()) items.erase(it);
  view->InvalidateAll();
}

bool TEditGraphObjKrzyz::EditAddPoint(const TLatchEntry& Entry) {
  HideAll();
  CurrentEntry() = Entry;

  if (Stage < 2 || Backup == nullptr) {
    // Picking a handle. The point is never advanced over: BeginModify sets
    // the entries the drag works with.
    Flags |= kPointRefused;
    if (template_ == nullptr || !CheckTemplate()) {
      ShowAll();
      return false;
    }
    BeginModify();
    TRealPoint p;
    GetHandlePoint(p);
    CurrentEntry().X = p.X;
    CurrentEntry().Y = p.Y;
    if (TTvView* view = MapView(); view != nullptr) view->MoveCursorTo(p);
    ShowEditState(false);
    // The object stays in the sublayer; a clone nobody owns follows the
    // pointer. A click that came without a move still starts the drag.
    Backup = template_;
    PutTemplate(Backup->Clone().release());
    Stage = 2;
    try {
      UpdateTemplate();
    } catch (...) {
      // The copy keeps the object's geometry.
    }
    ShowAll();
    return false;
  }

  // Applying the drag.
  bool done = true;
  try {
    UpdateTemplate();
  } catch (...) {
    // A construction that cannot be made (an arc through three points on
    // one line) is shown, and the drag goes on.
    ShowKrzyzError(CurrentKrzyzErrorText());
    done = false;
  }
  if (done) done = CompleteObject();
  if (!done) {
    PlaySignal(KrzyzConf(), kSignalError);
    ShowAll();
    Flags |= kPointRefused;
    return false;
  }
  TEGraphObj* clone = template_;
  Backup->Assign(*clone);
  PutTemplate(Backup);
  Backup = nullptr;
  FreeGraphObj(clone);
  template_->SetIndexChanged(template_->GetIndex());
  Stage = 0;
  ShowEditState(true);
  UpdateHandles();
  Flags &= static_cast<std::uint8_t>(~kPointRefused);
  return true;
}

std::int32_t TEditGraphObjKrzyz::EditBackspace() {
  const std::int32_t r = TNewGraphObjKrzyz::Backspace();
  if (r > 0 && Backup != nullptr) {
    HideCursor();
    DropModification();
    ShowCursor();
  }
  return r;
}

void TEditGraphObjKrzyz::ShowEditState(bool Flag) {
  if (template_ != nullptr) template_->SetDefaultColor(Flag);
  if (Handles) Handles->Visible = Flag;
  TTvView* view = MapView();
  if (view == nullptr) return;
  view->WaitForRedraw(false);
  if (TDefRealCanvas* canvas = view->GetCanvas(); canvas != nullptr) canvas->ApplyPen();
  view->RedrawPodwarstwa(TGrObjItem{template_, Sublayer});
  if (Canvas != nullptr) Canvas->ApplyPen();
  // The handles change with the flag even where the object is not redrawn.
  view->InvalidateAll();
}

void TEditGraphObjKrzyz::UpdateHandles() {
  if (!Handles || template_ == nullptr) return;
  template_->GetSnapPoints(*Handles, Params.get());
  if (TTvView* view = MapView(); view != nullptr && handlesItem_ != nullptr) view->InvalidateAll();
}

// The snapping base's operations are called by name: the tools' own
// overrides lead here.
bool TEditGraphObjKrzyz::EditClick(const TRealPoint& Point) {
  if (Stage >= 2) return TLatchKrzyz::Click(Point);
  return LatchPoint(0, TLatchEntry{Point.X, Point.Y, CurrentEntry().Z});
}

std::int32_t TEditGraphObjKrzyz::EditRightClick(TRealPoint& Point, const TPoint& ScreenPoint) {
  if (Stage < 2) return kRightNothing;
  return TLatchKrzyz::RightClick(Point, ScreenPoint);
}

std::int32_t TEditGraphObjKrzyz::EditKeyDown(std::int32_t Key) {
  if (Stage < 2) return kKeyNotHandled;
  return TLatchKrzyz::KeyDown(Key);
}
