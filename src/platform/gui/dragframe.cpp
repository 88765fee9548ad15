#include "platform/gui/dragframe.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "platform/gui/controls_impl.h"
#include "platform/gui/controls_input.h"

namespace platform {

TGdiPoint ClientToScreen(const TControl& control, int x, int y) {
  QWidget* w = control.Impl().widget.data();
  if (w == nullptr) return {x, y};
  QPoint p = w->mapToGlobal(QPoint(x, y));
  return {p.x(), p.y()};
}

TGdiPoint ScreenToClient(const TControl& control, int x, int y) {
  QWidget* w = control.Impl().widget.data();
  if (w == nullptr) return {x, y};
  QPoint p = w->mapFromGlobal(QPoint(x, y));
  return {p.x(), p.y()};
}

namespace {

QRegion FrameRegion(const QRect& r, int thickness) {
  QRegion outer(r);
  QRect inner = r.adjusted(thickness, thickness, -thickness, -thickness);
  if (inner.isValid()) return outer.subtracted(QRegion(inner));
  return outer;
}

// The overlay: a frameless window above all others that takes no input and
// shows only its frame pixels.
class TOverlay : public QWidget {
 public:
  TOverlay()
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
  }
  int thickness = 1;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    QRegion frame = FrameRegion(rect(), thickness);
    for (int y = 0; y < height(); ++y) {
      for (int x = 0; x < width(); ++x) {
        if (!frame.contains(QPoint(x, y))) continue;
        // The halftone: even rows 0x55, odd rows 0xAA, bit 7 leftmost.
        bool set = ((x + y) & 1) != 0;
        painter.setPen(set ? Qt::black : Qt::white);
        painter.drawPoint(x, y);
      }
    }
  }
};

}  // namespace

struct TDragFrame::Impl {
  TOverlay overlay;
};

TDragFrame::TDragFrame() : impl_(std::make_unique<Impl>()) {}

TDragFrame::~TDragFrame() = default;

void TDragFrame::Show(const TGdiRect& r, int thickness) {
  thickness_ = std::max(1, thickness);
  rect_ = r;
  visible_ = true;
  TOverlay& o = impl_->overlay;
  QRect q(r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()));
  o.setGeometry(q);
  o.thickness = thickness_;
  o.show();
  o.update();
}

void TDragFrame::Hide() {
  visible_ = false;
  impl_->overlay.hide();
}

bool TDragFrame::FramePixel(int x, int y) const {
  if (!visible_) return false;
  QRect q(rect_.Left, rect_.Top, rect_.Width(), rect_.Height());
  return FrameRegion(q, thickness_).contains(QPoint(x, y));
}

namespace {

TMouseButton ButtonOfEvent(Qt::MouseButton b) {
  if (b == Qt::RightButton) return TMouseButton::Right;
  if (b == Qt::MiddleButton) return TMouseButton::Middle;
  return TMouseButton::Left;
}

TShiftState ShiftOf(Qt::KeyboardModifiers m, Qt::MouseButtons buttons) {
  TShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

}  // namespace

struct TDragCapture::Impl : public QObject {
  TDragCapture* owner = nullptr;
  bool active = true;
  // The press that started the capture may still be on its way up through
  // the parents; presses count only after the first move or release.
  bool seenOther = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    (void)watched;
    if (!active) return false;
    TDragCapture& c = *owner;
    switch (event->type()) {
      case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        QPoint p = me->globalPosition().toPoint();
        seenOther = true;
        if (c.OnMove) GuardCall([&] { c.OnMove(ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        return true;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (!seenOther) return true;
        QPoint p = me->globalPosition().toPoint();
        TShiftState s = ShiftOf(me->modifiers(), me->buttons());
        if (event->type() == QEvent::MouseButtonDblClick) s |= ssDouble;
        if (c.OnPress) GuardCall([&] { c.OnPress(ButtonOfEvent(me->button()), s, p.x(), p.y()); });
        return true;
      }
      case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        QPoint p = me->globalPosition().toPoint();
        seenOther = true;
        if (c.OnRelease) {
          GuardCall([&] {
            c.OnRelease(ButtonOfEvent(me->button()), ShiftOf(me->modifiers(), me->buttons()), p.x(),
                        p.y());
          });
        }
        return true;
      }
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->isAutoRepeat() && event->type() == QEvent::KeyRelease) return true;
        std::uint16_t vk = VkFromQtKey(ke->key());
        bool down = event->type() == QEvent::KeyPress;
        if (c.OnKey) GuardCall([&] { c.OnKey(vk, down, ShiftOf(ke->modifiers(), Qt::NoButton)); });
        return true;
      }
      case QEvent::ShortcutOverride:
        return true;
      case QEvent::ApplicationDeactivate:
        if (c.OnLost) GuardCall([&] { c.OnLost(); });
        return false;
      default:
        return false;
    }
  }
};

TDragCapture::TDragCapture() : impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(impl_.get());
}

TDragCapture::~TDragCapture() { Stop(); }

void TDragCapture::Stop() {
  if (!impl_->active) return;
  impl_->active = false;
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(impl_.get());
}

bool TDragCapture::Active() const { return impl_->active; }

TGdiPoint CursorPos() {
  QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

void SetCursorPos(int x, int y) { QCursor::setPos(x, y); }

TControl* ControlAtScreen(int x, int y) {
  QWidget* w = QApplication::widgetAt(QPoint(x, y));
  return w != nullptr ? ControlOfWidget(w) : nullptr;
}

bool ControlKeyDown() {
  return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

}  // namespace platform
