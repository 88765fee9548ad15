#include "platform/gui/modality.h"

#include <typeinfo>
#include <utility>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QStyleHints>
#include <QMouseEvent>
#include <QPointer>
#include <QTimerEvent>
#include <QWidget>
#include <QWindow>

#include "platform/gui/controls_impl.h"
#include "platform/gui/forms.h"

// The windowing-system entry of the GUI library that its own test tools
// use to feed mouse input (exported by it, declared in its test headers).
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers mods, int timestamp);

namespace platform {
namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

// Installed on the application only while Serve runs.
class HoldFilter : public QObject {
 public:
  explicit HoldFilter(QWidget* form) : form_(form) {}

  bool eventFilter(QObject* receiver, QEvent* e) override {
    if (Inside(receiver)) return false;
    QEvent::Type type = e->type();
    if (IsInput(type)) return true;
    if (type == QEvent::Timer) {
      int id = static_cast<QTimerEvent*>(e)->timerId();
      Remember(timers_, receiver, id);
      return true;
    }
    if (type == QEvent::Paint || type == QEvent::UpdateRequest) {
      Remember(repaints_, receiver, 0);
      return true;
    }
    // The program's own wake-up events carry nothing but their type.
    if (type >= QEvent::User && typeid(*e) == typeid(QEvent)) {
      Remember(posted_, receiver, static_cast<int>(type));
      return true;
    }
    return false;
  }

  // Queues again what was held back.
  void Release() {
    for (auto& [object, id] : timers_)
      if (object) QCoreApplication::postEvent(object, new QTimerEvent(id));
    for (auto& [object, type] : posted_)
      if (object) QCoreApplication::postEvent(object, new QEvent(static_cast<QEvent::Type>(type)));
    for (auto& [object, unused] : repaints_) {
      if (!object) continue;
      if (auto* w = qobject_cast<QWidget*>(object)) w->update();
      else if (auto* win = qobject_cast<QWindow*>(object)) win->requestUpdate();
    }
    timers_.clear();
    posted_.clear();
    repaints_.clear();
  }

 private:
  using Held = std::vector<std::pair<QPointer<QObject>, int>>;

  static void Remember(Held& held, QObject* receiver, int value) {
    for (const auto& [object, v] : held)
      if (object == receiver && v == value) return;
    held.emplace_back(receiver, value);
  }

  bool Inside(QObject* receiver) const {
    if (!form_) return false;
    if (auto* window = qobject_cast<QWindow*>(receiver)) return window == form_->windowHandle();
    for (QObject* o = receiver; o != nullptr; o = o->parent())
      if (o == form_) return true;
    return false;
  }

  QPointer<QWidget> form_;
  Held timers_;
  Held posted_;
  Held repaints_;
};

}  // namespace

struct TModalPump::Impl {
  explicit Impl(QWidget* form) : filter(form) {}
  HoldFilter filter;
};

TModalPump::TModalPump(TForm& form) : impl_(std::make_unique<Impl>(form.Impl().widget)) {}

TModalPump::~TModalPump() { impl_->filter.Release(); }

void TModalPump::Serve() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  app->installEventFilter(&impl_->filter);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  app->removeEventFilter(&impl_->filter);
}

void PostClick(TControl& control, int x, int y) {
  QWidget* w = control.Impl().widget;
  if (w == nullptr) return;
  QPointF local(x, y);
  QPointF global = w->mapToGlobal(local);
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                                 Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(w, new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                                 Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void ScreenMouse(TScreenMouse action, int x, int y) {
  // Later presses come well after the last release, as from a user.
  static int timestamp = 1000;
  const QPointF global(x, y);
  auto send = [&](QEvent::Type type, int step) {
    QWindow* window = QGuiApplication::topLevelAt(global.toPoint());
    if (window == nullptr) return;
    timestamp += step;
    Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    qt_handleMouseEvent(window, window->mapFromGlobal(global), global, held, Qt::LeftButton, type,
                        Qt::NoModifier, timestamp);
  };
  switch (action) {
    case TScreenMouse::Press:
      send(QEvent::MouseButtonPress, QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
      break;
    case TScreenMouse::Release:
      send(QEvent::MouseButtonRelease, 1);
      break;
    case TScreenMouse::DoubleClick:
      send(QEvent::MouseButtonPress, QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
      send(QEvent::MouseButtonRelease, 1);
      send(QEvent::MouseButtonPress, 1);
      send(QEvent::MouseButtonRelease, 1);
      break;
  }
}

}  // namespace platform
