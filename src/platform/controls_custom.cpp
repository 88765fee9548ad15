#include "platform/controls_custom.h"

#include "platform/messages.h"

#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "platform/controls_impl.h"

namespace platform {
namespace {

// What a custom control's surface is cleared to: its colour, white when it
// has none of its own.
QColor Background(const TControl& control) {
  return control.Color() == clDefault ? QColor(Qt::white) : ToQColor(control.Color());
}

}  // namespace

struct TSurfaceImpl {
  QImage image;
  bool dirty = true;
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
    GuardCall([this] { control_->PaintIfDirty(); });
    QPainter painter(this);
    const QImage& image = control_->surface_->image;
    if (!image.isNull()) painter.drawImage(e->rect(), image, e->rect());
  }
  void resizeEvent(QResizeEvent*) override { control_->surface_->dirty = true; }
  // A key sent to the control is its own (its KeyDown had it): it does not go
  // on to the parent, where a scrolling host would scroll on an arrow and a
  // form would take Enter and Escape for its default and cancel buttons.
  // Tab moves the focus before it gets here. A control holding others (a
  // toolbar) lets the keys of its children go on as any parent does.
  void keyPressEvent(QKeyEvent* e) override { OwnKey(e); }
  void keyReleaseEvent(QKeyEvent* e) override { OwnKey(e); }

 private:
  void OwnKey(QKeyEvent* e) {
    if (hasFocus() || control_->ControlCount() == 0) e->accept();
    else e->ignore();
  }

  TCustomControl* control_;
};

TCustomControl::TCustomControl() : surface_(std::make_unique<TSurfaceImpl>()) {
  AttachWidget(*this, new TSurfaceWidget(this));
  Impl().wantsReturn = true;
  SetBounds(0, 0, 100, 100);
}

TCustomControl::~TCustomControl() = default;

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
  surface_->image.fill(Background(*this));
  Paint();
}

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(*this);
}

void TCustomControl::Invalidate() {
  surface_->dirty = true;
  if (QWidget* w = Impl().widget.data()) w->update();
}

void TCustomControl::PaintNow() { PaintIfDirty(); }

void TCustomControl::InvalidateRect(int x, int y, int w, int h) { Invalidate(); }

void WaitForEventPumpingPaint(TEvent& Event, const std::function<void()>& Tick, std::uint32_t TickMs) {
  while (Event.WaitFor(TickMs == 0 ? 10 : TickMs) != TWaitResult::Signaled) {
    if (Tick) Tick();
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
  if (w <= 0 || h <= 0) widget->update();
  else widget->update(x, y, w, h);
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
