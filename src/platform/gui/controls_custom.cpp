#include "platform/gui/controls_custom.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "platform/gui/controls_impl.h"
#include "platform/gui/messages.h"

namespace platform {
namespace {

// What a custom control's surface is cleared to: its colour, white when it
// has none of its own.
QColor Background(const TControl& control) {
  return control.Color() == clDefault ? QColor(Qt::white) : ToQColor(control.Color());
}

// Every custom control alive, for the wait that paints them (GUI thread).
std::vector<TCustomControl*>& LiveControls() {
  static auto* live = new std::vector<TCustomControl*>;  // lives to process end
  return *live;
}

bool IsLive(const TCustomControl* control) {
  const auto& live = LiveControls();
  return std::find(live.begin(), live.end(), control) != live.end();
}

// How many paint events of custom controls are running now (GUI thread): a
// wait started inside one paints the images and leaves the screen to the
// event loop, which repaints no window inside its own paint.
int gPaintDepth = 0;

}  // namespace

struct TSurfaceImpl {
  QImage image;
  bool dirty = true;
  // The parts of the window that show older pixels than the image (drawn
  // into, invalidated), until a paint event shows them.
  QRegion pending;
  bool painting = false;
};

// Shows the control's image; asks the control to paint when it is dirty.
class TSurfaceWidget : public QWidget {
 public:
  explicit TSurfaceWidget(TCustomControl* control) : control_(control) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    TSurfaceImpl& surface = *control_->surface_;
    if (surface.painting) return;
    surface.painting = true;
    ++gPaintDepth;
    GuardCall([this] { control_->PaintIfDirty(); });
    --gPaintDepth;
    surface.painting = false;
    QPainter painter(this);
    const QImage& image = surface.image;
    if (!image.isNull()) painter.drawImage(e->rect(), image, e->rect());
    surface.pending -= e->region();
  }
  void resizeEvent(QResizeEvent*) override {
    control_->surface_->dirty = true;
    control_->surface_->pending = rect();
  }
  // A key sent to the control is its own (its KeyDown had it): it does not go
  // on to the parent, where a scrolling host would scroll on an arrow. Enter
  // and Escape that KeyDown left (did not set to 0) go on to the form's
  // default and cancel buttons, as in any dialog. Tab moves the focus before
  // it gets here. A control holding others (a toolbar) lets the keys of its
  // children go on as any parent does.
  void keyPressEvent(QKeyEvent* e) override { OwnKey(e); }
  void keyReleaseEvent(QKeyEvent* e) override { OwnKey(e); }

 private:
  void OwnKey(QKeyEvent* e) {
    const int key = e->key();
    const bool dialogKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (!dialogKey && (hasFocus() || control_->ControlCount() == 0)) e->accept();
    else e->ignore();
  }

  TCustomControl* control_;
};

TCustomControl::TCustomControl() : surface_(std::make_unique<TSurfaceImpl>()) {
  AttachWidget(*this, new TSurfaceWidget(this));
  Impl().wantsReturn = true;
  SetBounds(0, 0, 100, 100);
  LiveControls().push_back(this);
}

TCustomControl::~TCustomControl() { std::erase(LiveControls(), this); }

void TCustomControl::EnsureImage() {
  QWidget* w = Impl().widget.data();
  QSize size = w != nullptr ? w->size() : QSize();
  QImage& image = surface_->image;
  if (image.size() == size) return;
  if (size.isEmpty()) {
    image = QImage();
    return;
  }
  // Keep what was drawn where it still fits, as a resized window keeps its
  // pixels; the rest waits for the next Paint.
  QImage resized(size, QImage::Format_RGB32);
  resized.fill(Background(*this));
  if (!image.isNull()) {
    QPainter painter(&resized);
    painter.drawImage(0, 0, image);
  }
  image = std::move(resized);
  surface_->dirty = true;
}

void TCustomControl::PaintIfDirty() {
  EnsureImage();
  if (!surface_->dirty || surface_->image.isNull()) return;
  surface_->dirty = false;
  // An opaque control's Paint covers every pixel itself: nothing is erased
  // under it (what it does not draw again keeps its pixels).
  if (!opaque_) surface_->image.fill(Background(*this));
  Paint();
}

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(*this);
}

void TCustomControl::Invalidate() {
  surface_->dirty = true;
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return;
  surface_->pending = w->rect();
  w->update();
}

void TCustomControl::PaintNow() { PaintIfDirty(); }

void TCustomControl::InvalidateRect(int x, int y, int w, int h) {
  QWidget* widget = Impl().widget.data();
  if (widget == nullptr || w <= 0 || h <= 0) return;
  // A rectangle outside the window asks for nothing to be shown again.
  const QRect r = QRect(x, y, w, h) & widget->rect();
  if (r.isEmpty()) return;
  surface_->dirty = true;
  surface_->pending += r;
  widget->update(r);
}

void TCustomControl::ShowPending() {
  QWidget* w = Impl().widget.data();
  if (w == nullptr || !w->isVisible() || surface_->painting) return;
  if (!surface_->dirty && surface_->pending.isEmpty()) return;
  QRegion region = surface_->pending;
  if (region.isEmpty()) region = w->rect();
  surface_->pending = QRegion();
  surface_->painting = true;
  ++gPaintDepth;
  GuardCall([this] { PaintIfDirty(); });
  --gPaintDepth;
  surface_->painting = false;
  // Shown at once, without the event loop; inside a paint event the loop's
  // own update shows it afterwards.
  if (gPaintDepth == 0) w->repaint(region);
  else w->update(region);
}

void WaitForEventPumpingPaint(TEvent& Event, const std::function<void()>& Tick, std::uint32_t TickMs) {
  using Clock = std::chrono::steady_clock;
  // Short rounds: what was invalidated meanwhile is painted within one.
  constexpr std::chrono::milliseconds kRound(10);
  const auto tickEvery = std::max(std::chrono::milliseconds(TickMs), kRound);
  Clock::time_point nextTick = Clock::now() + tickEvery;
  for (;;) {
    // A Paint may free controls or make new ones: each is looked up again.
    const std::vector<TCustomControl*> controls = LiveControls();
    for (TCustomControl* control : controls)
      if (IsLive(control)) control->ShowPending();
    auto slice = kRound;
    if (Tick) {
      const auto untilTick = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
      slice = std::clamp(untilTick, std::chrono::milliseconds(0), kRound);
    }
    if (Event.WaitFor(static_cast<std::uint32_t>(slice.count())) == TWaitResult::Signaled) return;
    if (Tick && Clock::now() >= nextTick) {
      nextTick = Clock::now() + tickEvery;
      Tick();
    }
  }
}

void TCustomControl::SetMouseCapture(bool capture) {
  capture_ = capture;
  QWidget* w = Impl().widget.data();
  if (w == nullptr) return;
  if (capture) w->grabMouse();
  else w->releaseMouse();
}

int TCustomControl::SurfaceWidth() const { return Width(); }
int TCustomControl::SurfaceHeight() const { return Height(); }

void* TCustomControl::NativeImage() {
  EnsureImage();
  return surface_->image.isNull() ? nullptr : &surface_->image;
}

void TCustomControl::SurfaceChanged(int x, int y, int w, int h) {
  QWidget* widget = Impl().widget.data();
  if (widget == nullptr) return;
  if (w <= 0 || h <= 0) {
    surface_->pending = widget->rect();
    widget->update();
  } else {
    surface_->pending += QRect(x, y, w, h) & widget->rect();
    widget->update(x, y, w, h);
  }
}

std::uint32_t TCustomControl::PixelAt(int x, int y) const {
  const QImage& image = surface_->image;
  if (!image.valid(x, y)) return 0;
  return FromQColor(QColor(image.pixel(x, y)));
}

TPaintBox::TPaintBox() {
  Impl().widget->setFocusPolicy(Qt::NoFocus);
  Impl().wantsReturn = false;
}

}  // namespace platform
