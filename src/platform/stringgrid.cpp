#include "platform/stringgrid.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScreen>
#include <QStyle>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/controls_impl.h"

namespace platform {

int ScreenPixelsPerInch() {
  (void)SystemMetric(TSystemMetric::ScreenWidth);  // starts the windowing system
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 96;
  const int dpi = static_cast<int>(screen->logicalDotsPerInch() + 0.5);
  return dpi > 0 ? dpi : 96;
}

int VerticalScrollBarWidth() {
  (void)SystemMetric(TSystemMetric::ScreenWidth);
  return std::max(1, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

namespace {
int gBeeps = 0;
}  // namespace

void Beep() {
  ++gBeeps;
  (void)SystemMetric(TSystemMetric::ScreenWidth);
  QApplication::beep();
}

int BeepCount() { return gBeeps; }

void SetMouseTracking(TControl& control, bool on) {
  QWidget* w = control.Impl().widget.data();
  if (w == nullptr) return;
  w->setMouseTracking(on);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) area->viewport()->setMouseTracking(on);
}

int MulDivRound(int value, int numerator, int denominator) {
  if (denominator == 0) return value;
  const std::int64_t p = static_cast<std::int64_t>(value) * numerator;
  std::int64_t q = p / denominator;
  const std::int64_t r = p % denominator;
  // Round half away from zero.
  if (2 * (r < 0 ? -r : r) >= (denominator < 0 ? -denominator : denominator))
    q += ((p < 0) != (denominator < 0)) ? -1 : 1;
  return static_cast<int>(std::clamp<std::int64_t>(q, INT_MIN, INT_MAX));
}

}  // namespace platform
