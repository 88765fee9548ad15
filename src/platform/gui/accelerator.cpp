#include "platform/gui/accelerator.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "platform/gui/controls_impl.h"

namespace platform {

char32_t AcceleratorOf(const std::string& caption) {
  QString text = ToQ(caption);
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return static_cast<char32_t>(text.mid(i + 1, 1).toUpper().toUcs4().value(0));
  }
  return 0;
}

namespace {

// The one application filter that hands Alt+letter to the accelerators.
class TAcceleratorFilter : public QObject {
 public:
  std::vector<TAccelerator*> accelerators;
  std::function<bool(TAccelerator*, QKeyEvent*, QWidget*)> offer;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & Qt::AltModifier) == 0 || (key->modifiers() & Qt::ControlModifier)) {
      return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    std::vector<TAccelerator*> copy = accelerators;
    for (TAccelerator* a : copy) {
      if (std::find(accelerators.begin(), accelerators.end(), a) == accelerators.end()) continue;
      if (offer(a, key, widget)) return true;
    }
    return false;
  }
};

TAcceleratorFilter* Filter(bool make) {
  static TAcceleratorFilter* filter = nullptr;
  if (filter == nullptr && make && QCoreApplication::instance() != nullptr) {
    filter = new TAcceleratorFilter;  // lives with the application
    QCoreApplication::instance()->installEventFilter(filter);
  }
  return filter;
}

}  // namespace

struct TAccelerator::Impl {
  TControl* control;
  std::function<void()> fire;
};

TAccelerator::TAccelerator(TControl& control, std::function<void()> fire)
    : impl_(std::make_unique<Impl>(Impl{&control, std::move(fire)})) {
  TAcceleratorFilter* filter = Filter(true);
  if (filter == nullptr) return;
  if (!filter->offer) {
    filter->offer = [](TAccelerator* a, QKeyEvent* key, QWidget* receiver) {
      TControl& c = *a->impl_->control;
      QWidget* w = c.Impl().widget.data();
      if (w == nullptr || !c.Enabled() || !w->isVisible()) return false;
      char32_t letter = AcceleratorOf(c.Caption());
      if (letter == 0) return false;
      QString typed = key->text().toUpper();
      char32_t got = typed.isEmpty() ? static_cast<char32_t>(key->key())
                                     : static_cast<char32_t>(typed.toUcs4().value(0));
      if (got != letter) return false;
      if (receiver->window() != w->window()) return false;
      GuardCall(a->impl_->fire);
      return true;
    };
  }
  filter->accelerators.push_back(this);
}

TAccelerator::~TAccelerator() {
  if (TAcceleratorFilter* filter = Filter(false)) {
    auto& list = filter->accelerators;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

}  // namespace platform
