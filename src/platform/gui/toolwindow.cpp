#include "platform/gui/toolwindow.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>

#include "platform/gui/controls_impl.h"

namespace platform {

TToolWindow::TToolWindow() {
  QWidget* w = Impl().widget.data();
  w->setParent(nullptr);
  w->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->hide();
}

TToolWindow::~TToolWindow() = default;

void TToolWindow::SetVisible(bool visible) {
  TCustomControl::SetVisible(visible);
  if (QWidget* w = Impl().widget.data()) {
    if (visible) {
      w->show();
    } else {
      w->hide();
    }
  }
}

void TToolWindow::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, width, height);
}

TGdiRect ScreenWorkArea() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {0, 0, 1024, 768};
  QRect r = screen->availableGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

namespace {

// On the heap and never freed: watches held by objects that live to the
// process's end are ended after static objects are gone.
std::vector<TActivationWatch*>& Watches() {
  static auto* watches = new std::vector<TActivationWatch*>;
  return *watches;
}

// The state told by TActivationWatch::Simulate, while a simulation runs.
std::optional<bool>& SimulatedActive() {
  static std::optional<bool> state;
  return state;
}

int gWindowPosWatches = 0;

}  // namespace

struct TActivationWatch::Impl {
  std::function<void(bool)> onChange;
  QMetaObject::Connection connection;
};

bool ApplicationActive() {
  if (SimulatedActive()) return *SimulatedActive();
  return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

TControl* ActiveWindowControl() {
  QWidget* w = QApplication::activeWindow();
  return w != nullptr ? ControlOfWidget(w) : nullptr;
}

TActivationWatch::TActivationWatch(std::function<void(bool active)> onChange)
    : impl_(std::make_unique<Impl>()) {
  impl_->onChange = std::move(onChange);
  if (auto* app = qobject_cast<QGuiApplication*>(QGuiApplication::instance())) {
    Impl* impl = impl_.get();
    impl_->connection = QObject::connect(app, &QGuiApplication::applicationStateChanged,
                                         [impl](Qt::ApplicationState state) {
                                           SimulatedActive().reset();
                                           if (impl->onChange) {
                                             GuardCall([&] {
                                               impl->onChange(state == Qt::ApplicationActive);
                                             });
                                           }
                                         });
  }
  Watches().push_back(this);
}

TActivationWatch::~TActivationWatch() {
  QObject::disconnect(impl_->connection);
  auto& watches = Watches();
  watches.erase(std::remove(watches.begin(), watches.end(), this), watches.end());
}

void TActivationWatch::Simulate(bool active) {
  SimulatedActive() = active;
  // A copy: a handler may end watches.
  std::vector<TActivationWatch*> watches = Watches();
  for (TActivationWatch* watch : watches) {
    auto& live = Watches();
    if (std::find(live.begin(), live.end(), watch) == live.end()) continue;
    if (watch->impl_->onChange) watch->impl_->onChange(active);
  }
}

int TActivationWatch::Count() { return static_cast<int>(Watches().size()); }

void TActivationWatch::EndSimulation() { SimulatedActive().reset(); }

// Filters the control's widget and the widget that holds it; a change of
// that holder (the form put into an MDI sub-window) moves the filter along.
struct TWindowPosWatch::Impl : QObject {
  std::function<void()> onChange;
  QPointer<QWidget> widget;
  QPointer<QWidget> holder;

  void Follow() {
    QWidget* next = widget ? widget->parentWidget() : nullptr;
    if (next == holder.data()) return;
    if (holder) holder->removeEventFilter(this);
    holder = next;
    if (holder) holder->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::ParentChange:
        if (watched == widget.data()) Follow();
        break;
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::WindowStateChange:
        if (onChange) GuardCall([this] { onChange(); });
        break;
      default:
        break;
    }
    return false;
  }
};

TWindowPosWatch::TWindowPosWatch(TControl& control, std::function<void()> onChange)
    : impl_(std::make_unique<Impl>()) {
  impl_->onChange = std::move(onChange);
  impl_->widget = control.Impl().widget;
  if (impl_->widget) impl_->widget->installEventFilter(impl_.get());
  impl_->Follow();
  ++gWindowPosWatches;
}

TWindowPosWatch::~TWindowPosWatch() {
  impl_->onChange = nullptr;
  if (impl_->holder) impl_->holder->removeEventFilter(impl_.get());
  if (impl_->widget) impl_->widget->removeEventFilter(impl_.get());
  --gWindowPosWatches;
}

int TWindowPosWatch::Count() { return gWindowPosWatches; }

}  // namespace platform
