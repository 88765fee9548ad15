#include "platform/stringgrid.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTableWidget>
#include <QScreen>
#include <QStyle>

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/controls_grids.h"
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

namespace {

QWidget* MouseWidget(const TControl& control) {
  QWidget* w = control.Impl().widget.data();
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
  return w;
}

}  // namespace

bool GridCellAt(const TStringGrid& grid, int x, int y, int& col, int& row) {
  auto* table = qobject_cast<QTableWidget*>(grid.Impl().widget.data());
  if (table == nullptr) return false;
  const QModelIndex index = table->indexAt(QPoint(x, y));
  if (!index.isValid()) return false;
  col = index.column();
  row = index.row();
  return true;
}

void MousePointToScreen(const TControl& control, int& x, int& y) {
  QWidget* w = MouseWidget(control);
  if (w == nullptr) return;
  const QPoint p = w->mapToGlobal(QPoint(x, y));
  x = p.x();
  y = p.y();
}

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
