// The view's window on the world: set, fitted to the data, zoomed by steps,
// by a dragged rectangle or about a crosshair, panned, moved by the arrow
// keys and swapped back to the previous window. GUI thread only.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

#include "layers/tree/layertree.h"
#include "view/hinttools.h"
#include "view/redraw.h"
#include "view/tvview.h"

namespace {

// One zoom step of Page Up and Page Down.
constexpr long double kZoomStep = 1.6L;

TRealRect CurrentWindow(const TWindowDim& Dims) { return RealRect(Dims.X1, Dims.Y1, Dims.X2, Dims.Y2); }

// Resumes the document window's drawing however the change ends.
class TDrawingSuspension {
public:
  explicit TDrawingSuspension(TViewDocumentI& Document) : document_(Document) { document_.SuspendDrawing(); }
  ~TDrawingSuspension() { document_.ResumeDrawing(); }
  TDrawingSuspension(const TDrawingSuspension&) = delete;
  TDrawingSuspension& operator=(const TDrawingSuspension&) = delete;

private:
  TViewDocumentI& document_;
};

}  // namespace

bool TTvView::PrepareWindowChange() {
  for (TKrzyz* tool = krzyz_.get(); tool != nullptr; tool = tool->Nested.get()) tool->HideAll();
  // A redraw thread maps every point through the window as it draws: the
  // window changes only while no thread runs.
  const bool running = redrawThread_ && !redrawThread_->Ended();
  WaitForRedraw(true);
  return running;
}

void TTvView::KeepWindow(bool RedrawStopped) {
  // A redraw stopped for nothing draws the whole image again.
  if (RedrawStopped) StartRedraw();
  TRealPoint point;
  GetMousePoint(point);
  PointerMove(point);
}

void TTvView::AfterWindowChange() {
  ViewServices().ThinViewMarkers(*this);
  ViewServices().ShowRulerScale(dims_->ScaleY);
  // The tool's figures follow the map.
  TRealPoint point;
  GetMousePoint(point);
  PointerMove(point);
}

bool TTvView::SetWindow(const TRealRect& R) { return ChangeWindow(R, true); }

bool TTvView::ApplyWindow(const TRealRect& R) { return ChangeWindow(R, false); }

bool TTvView::ChangeWindow(const TRealRect& R, bool Fit) {
  TRealRect r = R;
  NormalizeRealRect(r);
  const bool stopped = PrepareWindowChange();
  const bool changed = Fit ? dims_->FitWindow(r) : dims_->SetWorldRect(r);
  if (changed) {
    root_->UpdateShownFlag();
    StartRedraw();
    AfterWindowChange();
  } else {
    // The figures come back where they were.
    KeepWindow(stopped);
  }
  return changed;
}

bool TTvView::SetWindowLocked(const TRealRect& R) {
  TDrawingSuspension suspended(Document());
  const bool changed = SetWindow(R);
  CenterScrollBars();
  return changed;
}

void TTvView::Zoom(double Factor) {
  if (!(Factor > 0.0) || Factor == 1.0 || !std::isfinite(Factor)) return;
  PreviousWindow = CurrentWindow(*dims_);
  PrepareWindowChange();
  dims_->Zoom(Factor);
  StartRedraw();
  AfterWindowChange();
}

void TTvView::ZoomByStep(int Step) {
  if (Step == 0) return;
  Zoom(static_cast<double>(std::exp(static_cast<long double>(Step) * std::log(kZoomStep))));
  CenterScrollBars();
}

void TTvView::Pan(double DX, double DY) {
  if (DX == 0.0 && DY == 0.0) return;
  if (!std::isfinite(DX) || !std::isfinite(DY)) return;
  PreviousWindow = CurrentWindow(*dims_);
  PrepareWindowChange();
  dims_->Offset(-DX, -DY);
  StartRedraw();
  AfterWindowChange();
}

int TTvView::VisibleWidth() {
  const int w = Document().VisibleWidth();
  return w > 0 ? w : ClientWidth();
}

int TTvView::VisibleHeight() {
  const int h = Document().VisibleHeight();
  return h > 0 ? h : ClientHeight();
}

void TTvView::ScrollHorz(int Step) {
  const TViewDocumentI::TScrollBarState bar = Document().HorzScrollBar();
  const int w = VisibleWidth();
  std::int64_t n = Step;
  // The two cases look at the step as pressed: a bar moved to one end is
  // not moved on to the other.
  if (n < 0) {
    if (static_cast<std::int64_t>(bar.Range) - w > bar.Position) {
      Document().SetHorzScrollPosition(bar.Range - w);
      ++n;
    }
  } else if (bar.Position > 0) {
    Document().SetHorzScrollPosition(0);
    --n;
  }
  const std::int64_t d = static_cast<std::int64_t>(w) * n / 3;
  const TRealPoint v = dims_->DeviceVectorToWorld(TPoint{SaturateInt32(d), 0});
  Pan(v.X, v.Y);
}

void TTvView::ScrollVert(int Step) {
  const TViewDocumentI::TScrollBarState bar = Document().VertScrollBar();
  const int h = VisibleHeight();
  std::int64_t n = Step;
  if (n > 0) {
    if (static_cast<std::int64_t>(bar.Range) - h > bar.Position) {
      Document().SetVertScrollPosition(bar.Range - h);
      --n;
    }
  } else if (bar.Position > 0) {
    Document().SetVertScrollPosition(0);
    ++n;
  }
  const std::int64_t d = static_cast<std::int64_t>(h) * n / 3;
  const TRealPoint v = dims_->DeviceVectorToWorld(TPoint{0, SaturateInt32(d)});
  Pan(v.X, v.Y);
}

void TTvView::GetDataExtent(TRealRect& R) {
  R = TRealRect{};
  for (int i = 0; i < root_->GetCount(); ++i) {
    const TRealRect extent = root_->GetItem(i)->GetObszar();
    if (IsEmptyRealRect(R))
      R = extent;
    else if (!IsEmptyRealRect(extent))
      R = UnionRealRect(R, extent);
  }
}

void TTvView::ZoomAll() {
  PreviousWindow = CurrentWindow(*dims_);
  TRealRect extent;
  GetDataExtent(extent);
  SetWindow(extent);
  CenterScrollBars();
}

bool TTvView::ZoomAllOnce() {
  if ((State & kFitted) != 0) return false;
  State |= kFitted;
  ZoomAll();
  return true;
}

void TTvView::RestoreWindow() {
  const TRealRect current = CurrentWindow(*dims_);
  ApplyWindow(PreviousWindow);
  PreviousWindow = current;
}

// --- Zoom and pan commands -----------------------------------------------------

void TTvView::StartWindowTool(std::unique_ptr<TKrzyz> Tool) {
  if (!krzyz_) SetDefaultKrzyz();
  krzyz_->StartNestedOnce(std::move(Tool));
}

void TTvView::CmdZoomIn() {
  StartWindowTool(std::make_unique<TZoomRect>(
      status_,
      [this](TKrzyz* Sender) {
        auto* tool = static_cast<TZoomKrzyz*>(Sender);
        PreviousWindow = CurrentWindow(*dims_);
        SetWindow(tool->Rect());
        CenterScrollBars();
        return true;
      },
      "POWIĘKSZENIE OKNA"));
}

void TTvView::CmdPan() {
  StartWindowTool(std::make_unique<TZoomMove>(
      status_,
      [this](TKrzyz* Sender) {
        auto* tool = static_cast<TZoomKrzyz*>(Sender);
        Pan(tool->X2 - tool->X1, tool->Y2 - tool->Y1);
        return true;
      },
      "PRZESUNIĘCIE OKNA"));
}

void TTvView::CmdZoomInCrosshair() {
  StartWindowTool(std::make_unique<TZoomZbliz>(
      status_, [this](TKrzyz* Sender) { return CrosshairZoom(Sender, true); }, "POWIĘKSZENIE OKNA (celownik)"));
}

void TTvView::CmdZoomOut() {
  StartWindowTool(std::make_unique<TZoomZbliz>(
      status_, [this](TKrzyz* Sender) { return CrosshairZoom(Sender, false); }, "ZMNIEJSZENIE OKNA"));
}

bool TTvView::CrosshairZoom(TKrzyz* Sender, bool In) {
  auto* tool = static_cast<TZoomKrzyz*>(Sender);
  const double ratio = ClipRectToWindow(tool->Rect());
  if (ratio == 0.0) return true;
  PreviousWindow = CurrentWindow(*dims_);
  PrepareWindowChange();
  // The crosshair centre becomes the window's centre.
  dims_->Offset(tool->X1 - (dims_->X1 + dims_->X2) * 0.5, tool->Y1 - (dims_->Y1 + dims_->Y2) * 0.5);
  dims_->Zoom(In ? 1.0 / ratio : ratio);
  StartRedraw();
  AfterWindowChange();
  CenterScrollBars();
  return true;
}

double TTvView::ClipRectToWindow(const TRealRect& R) {
  const double dx = std::fabs(R.Right - R.Left);
  const double dy = std::fabs(R.Bottom - R.Top);
  if (dx == 0.0 || dy == 0.0 || !std::isfinite(dx) || !std::isfinite(dy)) return 0.0;
  if (dims_->ScaleX == 0.0 || dims_->ScaleY == 0.0) return 0.0;
  const TRealPoint size = dims_->DeviceToWorldSize(TPoint{VisibleWidth(), VisibleHeight()});
  const double ratio = std::min((size.X / 2.0) / dx, (size.Y / 2.0) / dy);
  return std::isfinite(ratio) && ratio > 0.0 ? ratio : 0.0;
}

double TTvView::ZoomRatioFor(const TRealRect& R) {
  return ClipRectToWindow(RealRect((R.Left + R.Right) * 0.5, (R.Top + R.Bottom) * 0.5, R.Right, R.Bottom));
}
