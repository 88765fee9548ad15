#include "platform/toolwindow.h"

#include <algorithm>
#include <vector>

#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>

#include "platform/controls_impl.h"

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

}  // namespace

struct TActivationWatch::Impl {
  std::function<void(bool)> onChange;
  QMetaObject::Connection connection;
};

bool ApplicationActive() {
  return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

TActivationWatch::TActivationWatch(std::function<void(bool active)> onChange)
    : impl_(std::make_unique<Impl>()) {
  impl_->onChange = std::move(onChange);
  if (auto* app = qobject_cast<QGuiApplication*>(QGuiApplication::instance())) {
    Impl* impl = impl_.get();
    impl_->connection = QObject::connect(app, &QGuiApplication::applicationStateChanged,
                                         [impl](Qt::ApplicationState state) {
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
  // A copy: a handler may end watches.
  std::vector<TActivationWatch*> watches = Watches();
  for (TActivationWatch* watch : watches) {
    auto& live = Watches();
    if (std::find(live.begin(), live.end(), watch) == live.end()) continue;
    if (watch->impl_->onChange) watch->impl_->onChange(active);
  }
}

int TActivationWatch::Count() { return static_cast<int>(Watches().size()); }

}  // namespace platform
