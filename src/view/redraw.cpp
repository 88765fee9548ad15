// The background redraw of a map view and its painting: the redraw threads,
// the view's redraw operations, the invalidation helpers and the paint that
// copies the off-screen image and draws the light things over it.
#include "view/redraw.h"

#include <algorithm>
#include <functional>
#include <system_error>
#include <utility>
#include <vector>

#include "foundation/errors.h"
#include "layers/tree/layertree.h"
#include "layers/tree/sublayer.h"
#include "objects/styledcanvas.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_custom.h"
#include "platform/gui/dialogs.h"
#include "platform/paint/gdiimage.h"
#include "view/tvview.h"
#include "view/viewcfg.h"

namespace {

// The text and caption of the box for an error that is no exception object.
constexpr const char* kUnknownErrorText = "Error";
constexpr const char* kUnknownErrorCaption = "Unknown exception";

// Half the arm of the cross drawn for the external pointer, in pixels.
constexpr int kPointerArm = 8;

// Shows an error a redraw thread ended with (GUI thread).
void ShowRedrawError(const std::exception_ptr& Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const std::exception& e) {
    platform::Application().ShowException(e);
  } catch (...) {
    platform::MessageBox(kUnknownErrorText, kUnknownErrorCaption, platform::MB_OK);
  }
}

// The repaint interval of a redraw as the settings give it (0: none).
std::uint32_t RefreshIntervalMs() {
  const std::int32_t ms = TvViewCfg().RefreshInterval;
  return ms > 0 ? static_cast<std::uint32_t>(ms) : 0;
}

}  // namespace

// --- TRedrawThread ---

TRedrawThread::TRedrawThread(TTvView& View, std::shared_ptr<TRedrawThread> Previous, bool ClearFirst)
    : view_(View),
      canvas_(View.GetCanvas()),
      root_(View.root_.get()),
      topGroup_(View.topGroup_.get()),
      previous_(std::move(Previous)),
      clearFirst_(ClearFirst),
      viewAlive_(View.alive_) {
  if (previous_) previous_->Stop();
}

TRedrawThread::~TRedrawThread() {
  // The owner waited for the ended event; the body may still be returning.
  if (thread_.joinable()) thread_.join();
}

void TRedrawThread::Start() {
  timer_ = std::make_unique<platform::TTimer>();
  timer_->SetInterval(RefreshIntervalMs());
  timer_->OnTimer = [alive = viewAlive_, view = &view_] {
    if (alive && alive->load()) view->InvalidateAll();
  };
  timer_->SetEnabled(RefreshIntervalMs() > 0);
  try {
    thread_ = std::thread(&TRedrawThread::Run, shared_from_this());
  } catch (const std::system_error&) {
    // No thread: it ends here with the error, as if Execute had raised it.
    Fail(std::current_exception());
    Finish(shared_from_this());
  }
}

bool TRedrawThread::AddJob(TWarstwaOgolna* Node) {
  std::lock_guard<std::mutex> lock(jobsLock_);
  // A stopped thread would drop the job unseen.
  if (done_ || terminated_.load()) return false;
  jobs_.push_back(Node);
  return true;
}

void TRedrawThread::Stop() {
  terminated_.store(true);
  if (canvas_ != nullptr) canvas_->SetAbort(true);
}

std::exception_ptr TRedrawThread::Error() const {
  std::lock_guard<std::mutex> lock(errorLock_);
  return error_;
}

void TRedrawThread::Run(std::shared_ptr<TRedrawThread> Self) {
  Self->Execute();
  Finish(std::move(Self));
}

void TRedrawThread::Finish(std::shared_ptr<TRedrawThread> Self) {
  TRedrawThread* thread = Self.get();
  {
    std::lock_guard<std::mutex> lock(thread->jobsLock_);
    thread->done_ = true;
    thread->jobs_.clear();
  }
  // The notice holds the thread object, so it is freed on the GUI thread
  // (with its timer), never on a drawing thread.
  platform::QueueCall([Self = std::move(Self)]() mutable {
    Self->timer_.reset();
    if (Self->viewAlive_ && Self->viewAlive_->load()) Self->view_.RedrawThreadDone(Self.get());
    Self.reset();
  });
  // The object lives until this returns: its destructor joins this thread.
  thread->endedFlag_.store(true);
  thread->ended_.SetEvent();
}

void TRedrawThread::Execute() {
  try {
    if (previous_) {
      // Only one thread draws at a time: the stopped predecessor ends first.
      previous_->ended_.WaitFor(platform::INFINITE);
      // The predecessor is let go on the GUI thread (its timer lives there).
      platform::QueueCall([Previous = std::move(previous_)]() mutable { Previous.reset(); });
    }
    if (canvas_ == nullptr || terminated_.load()) throw EAbort();
    canvas_->SetAbort(false);
    // A stop that came while the flag was being cleared is not lost: its
    // terminated flag is seen here, or its abort flag is set after ours.
    if (terminated_.load()) throw EAbort();

    if (clearFirst_) PaintBackBuffer();
    for (;;) {
      TWarstwaOgolna* node = nullptr;
      {
        // Done is set under the same lock AddJob tests, so a job is either
        // taken here or refused there.
        std::lock_guard<std::mutex> lock(jobsLock_);
        if (jobs_.empty()) {
          done_ = true;
          break;
        }
        node = jobs_.front();
        jobs_.pop_front();
      }
      node->Draw(*canvas_);
    }
    canvas_->FlushLines();
    canvas_->SetStateBit7(false);
    view_.backHold_.store(false);
    platform::QueueCall([alive = viewAlive_, view = &view_] {
      if (alive && alive->load()) view->InvalidateAll();
    });
  } catch (const EAbort&) {
    // Stopped (EAbortDraw, ECanceled and the like): silent.
  } catch (const EDrawError&) {
    // The platform refused a drawing call: silent, as an abort.
  } catch (...) {
    Fail(std::current_exception());
  }
}

void TRedrawThread::Fail(std::exception_ptr Error) {
  {
    std::lock_guard<std::mutex> lock(errorLock_);
    error_ = Error;
  }
  {
    std::lock_guard<std::mutex> lock(jobsLock_);
    done_ = true;
    jobs_.clear();
  }
  // Shown once, by the GUI thread, even when the view has closed meanwhile.
  platform::QueueCall([Error] { ShowRedrawError(Error); });
}

void TRedrawThread::PaintBackBuffer() {
  // The image is filled under its canvas's lock; the drawing that follows
  // takes the lock for each call, so paint can show the partial image.
  view_.ClearBackBitmap();
  canvas_->ApplyPen();
  canvas_->ClearLines();
  if (root_ != nullptr) root_->Draw(*canvas_);
  if (topGroup_ != nullptr) topGroup_->Draw(*canvas_);
}

// --- The view's redraw ---

void TTvView::StartRedraw() {
  if (destroying_) return;
  TDefRealCanvas* canvas = GetCanvas();
  if (canvas == nullptr) return;
  if (redrawCount_ >= kMaxRedrawThreads) {
    // Remembered, and started when a thread ends; the newest thread would
    // only draw what that redraw draws again.
    redrawPending_ = true;
    if (redrawThread_) redrawThread_->Stop();
    return;
  }
  redrawPending_ = false;
  // No thread draws now: the canvas's state word may be read.
  if (redrawCount_ == 0) backHold_.store(canvas->GetStateBit7());
  auto thread = std::make_shared<TRedrawThread>(*this, redrawThread_, true);
  redrawThread_ = thread;
  ++redrawCount_;
  thread->Start();
  platform::Application().SetScreenCursor(platform::crAppStart);
  State |= kRedrawing;
}

void TTvView::QueueRedraw(TWarstwaOgolna* Node) {
  if (Node == nullptr || destroying_) return;
  if (redrawThread_ && redrawThread_->AddJob(Node)) return;
  // The thread has finished its work (or was stopped): let it end, then
  // the job gets a thread of its own.
  if (redrawThread_) WaitForRedraw(false);
  TDefRealCanvas* canvas = GetCanvas();
  if (canvas == nullptr) return;
  platform::Application().SetScreenCursor(platform::crAppStart);
  if (redrawCount_ == 0) backHold_.store(canvas->GetStateBit7());
  auto thread = std::make_shared<TRedrawThread>(*this, nullptr, false);
  thread->AddJob(Node);
  redrawThread_ = thread;
  ++redrawCount_;
  thread->Start();
  State |= kRedrawing;
}

bool TTvView::WaitForRedraw(bool Stop) {
  if (!redrawThread_) return false;
  // Held here: the end notice may not let go of it meanwhile.
  std::shared_ptr<TRedrawThread> thread = redrawThread_;
  if (Stop) thread->Stop();
  if (!thread->Ended()) {
    // The newest thread ends only after its predecessors, so this waits for
    // every live thread. Meanwhile the window is repainted (no timer runs
    // during the wait, so the tick stands in for it) and takes no input.
    const std::uint32_t interval = RefreshIntervalMs();
    std::function<void()> tick;
    if (interval > 0)
      tick = [this] {
        if (!destroying_) InvalidateAll();
      };
    platform::WaitForEventPumpingPaint(thread->EndedEvent(), tick, interval > 0 ? interval : 250);
  }
  // Nothing draws now: the GUI thread may draw on the canvas again, so no
  // stop meant for a thread is left on it.
  if (canvas_) canvas_->SetAbort(false);
  return Stop;
}

void TTvView::RedrawThreadDone(TRedrawThread* Sender) {
  if (Sender == redrawThread_.get()) {
    redrawThread_.reset();
    State &= static_cast<std::uint8_t>(~kRedrawing);
    platform::Application().SetScreenCursor(platform::crDefault);
    InvalidateAll();
  }
  --redrawCount_;
  if (redrawPending_ && !destroying_ && redrawCount_ < kMaxRedrawThreads) StartRedraw();
}

void TTvView::RedrawPodwarstwa(const TGrObjItem& Item) {
  if (Item.Sublayer == nullptr || Item.Object == nullptr || !Item.Sublayer->IsShown()) return;
  TDefRealCanvas* canvas = GetCanvas();
  if (canvas == nullptr) return;
  if (auto* sublayer = dynamic_cast<TPodwarstwa*>(Item.Sublayer); sublayer != nullptr && !sublayer->IsDrawable(canvas))
    return;
  WaitForRedraw(false);
  Item.Sublayer->PrepareCanvas(*canvas);
  Item.Object->Draw(*canvas);
  InvalidateAll();
}

void TTvView::ClearBackBitmap() {
  if (!backBitmap_) return;
  platform::TCanvas& canvas = backBitmap_->Canvas();
  platform::TCanvasLock lock(canvas);
  platform::TBrush brush;
  brush.Color = backColor_.load();
  brush.Style = platform::bsSolid;
  canvas.SetBrush(brush);
  canvas.FillRect(platform::TGdiRect{0, 0, backBitmap_->Width(), backBitmap_->Height()}, brush);
}

TDefRealCanvas* TTvView::GetCanvas() {
  if (!canvas_ && backBitmap_) {
    canvas_ = std::make_unique<TDefRealCanvas>(&backBitmap_->Canvas(), *localConfig_, dims_.get());
    canvas_->Pen->SpecialColor = backColor_.load();
    canvas_->AddCfgHandler(TConfNotify(this, &TTvView::CanvasCfgChanged),
                           TConfNotify(this, &TTvView::CanvasCfgChanging));
  }
  return canvas_.get();
}

TXORCanvas* TTvView::GetXorCanvas() {
  if (!xorCanvas_) {
    xorSurface_ = std::make_unique<platform::TSurfaceCanvas>(Surface());
    xorCanvas_ = std::make_unique<TXORCanvas>(&xorSurface_->Canvas(), *localConfig_, dims_.get());
    // Dotted, inverting, one pixel, colour 0; kept as the saved pen state.
    xorCanvas_->Pen->SetStyle(3);
    xorCanvas_->Pen->SetMode(6);
    xorCanvas_->Pen->SetWidth(1);
    xorCanvas_->Pen->SetColor(0);
    xorCanvas_->Pen->SaveState();
  }
  return xorCanvas_.get();
}

// --- Invalidation ---

void TTvView::InvalidateAll() { Invalidate(); }

void TTvView::InvalidateWorldRect(const TRealRect& R, const TPoint& Margin) {
  const TWindowDim& d = *dims_;
  if (!IsEmptyRealRect(R) && !d.RectVisible(R)) return;
  if (R.Right - R.Left >= d.X2 - d.X1 || R.Bottom - R.Top >= d.Y2 - d.Y1) {
    InvalidateAll();
    return;
  }
  // Every corner: a turned view shows the rectangle turned.
  const TPoint corners[4] = {d.WorldToDevicePt(TRealPoint{R.Left, R.Top}),
                             d.WorldToDevicePt(TRealPoint{R.Right, R.Top}),
                             d.WorldToDevicePt(TRealPoint{R.Left, R.Bottom}),
                             d.WorldToDevicePt(TRealPoint{R.Right, R.Bottom})};
  std::int64_t left = corners[0].X, right = corners[0].X, top = corners[0].Y, bottom = corners[0].Y;
  for (const TPoint& c : corners) {
    left = std::min<std::int64_t>(left, c.X);
    right = std::max<std::int64_t>(right, c.X);
    top = std::min<std::int64_t>(top, c.Y);
    bottom = std::max<std::int64_t>(bottom, c.Y);
  }
  left -= Margin.X;
  right += Margin.X;
  top -= Margin.Y;
  bottom += Margin.Y;
  // Only what lies on the control (the corners of a large rectangle may lie
  // far outside it).
  left = std::max<std::int64_t>(left, 0);
  top = std::max<std::int64_t>(top, 0);
  right = std::min<std::int64_t>(right, Width());
  bottom = std::min<std::int64_t>(bottom, Height());
  if (right < left || bottom < top) return;
  InvalidateRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left + 1),
                 static_cast<int>(bottom - top + 1));
}

void TTvView::InvalidateAround(const TRealPoint& Point, const TPoint& Half) {
  if (destroying_ || !dims_->PointInWindow(Point)) return;
  const TPoint d = dims_->WorldToDevicePt(Point);
  InvalidateRect(d.X - Half.X, d.Y - Half.Y, 2 * Half.X + 1, 2 * Half.Y + 1);
}

// --- Size and settings ---

void TTvView::SetBufferSize(std::int32_t Width, std::int32_t Height) {
  if (Width <= 0 || Height <= 0) return;
  // The image is never resized under a drawing thread.
  if (redrawThread_) WaitForRedraw(true);
  backColor_.store(ColorToRGB(TvViewCfg().KolorTla));
  if (!backBitmap_) {
    backBitmap_ = std::make_unique<platform::TBitmap>(Width, Height, backColor_.load());
  } else {
    platform::TCanvasLock lock(backBitmap_->Canvas());
    backBitmap_->SetSize(Width, Height, backColor_.load());
  }
  platform::TBrush brush;
  brush.Color = backColor_.load();
  brush.Style = platform::bsSolid;
  backBitmap_->Canvas().SetBrush(brush);
  // The control first: the first sizing of the dimensions fits the window
  // into the control's client area.
  SetBounds(Left(), Top(), Width, Height);
  dims_->SetClientSize(Width, Height);
}

void TTvView::CanvasCfgChanging(TParametryConf* Sender) { WaitForRedraw(true); }

void TTvView::CanvasCfgChanged(TParametryConf* Sender) {
  InvalidateLayerIndexes();
  if (root_) root_->UpdateShownFlag();
  StartRedraw();
}

void TTvView::ViewCfgChanged(TParametryConf* Sender) {
  WaitForRedraw(true);
  const TTvViewCfg& cfg = TvViewCfg();
  SetBufferSize(cfg.RozmiarX, cfg.RozmiarY);
  backColor_.store(ColorToRGB(cfg.KolorTla));
  if (canvas_) canvas_->Pen->SpecialColor = backColor_.load();
  StartRedraw();
}

// --- Paint ---

void TTvView::Paint() {
  platform::TBitmap* bitmap = backBitmap_.get();
  if (bitmap == nullptr) return;
  platform::TSurfaceCanvas surface(Surface());
  const auto copyImage = [&] {
    platform::TCanvasLock lock(bitmap->Canvas());
    surface.Canvas().BitBlt(0, 0, bitmap->Width(), bitmap->Height(), bitmap->Canvas(), 0, 0,
                            platform::SRCCOPY);
  };

  if ((State & kRedrawing) != 0) {
    // The partial image only; the timer repaints as the thread goes on,
    // and the figures come back when it ends.
    if (!backHold_.load()) copyImage();
    return;
  }
  if (canvas_) canvas_->FlushLines();
  copyImage();
  if (destroying_) return;

  std::vector<TPaintItem*> visible;
  for (const auto& item : PaintItems)
    if (item && item->Visible()) visible.push_back(item.get());
  if (!visible.empty()) {
    TDefRealCanvas items(&surface.Canvas(), *localConfig_, dims_.get());
    items.ApplyPen();
    for (TPaintItem* item : visible) item->Paint(items);
    items.FlushLines();
  }

  GetXorCanvas()->ApplyPen();
  if (krzyz_) krzyz_->RedrawFigures();

  if ((State & kExternalPointer) != 0 && Cursor() != platform::crNone && dims_->PointInWindow(ExternalPoint)) {
    // The pointer driven from outside: a cross at its point.
    const TPoint p = dims_->WorldToDevicePt(ExternalPoint);
    platform::TCanvas& c = surface.Canvas();
    platform::TPen pen;
    pen.Color = platform::clBlack;
    c.SetPen(pen);
    c.MoveTo(p.X - kPointerArm, p.Y);
    c.LineTo(p.X + kPointerArm + 1, p.Y);
    c.MoveTo(p.X, p.Y - kPointerArm);
    c.LineTo(p.X, p.Y + kPointerArm + 1);
  }
}
