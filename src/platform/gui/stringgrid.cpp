#include "platform/gui/stringgrid.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QStyleOptionButton>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "platform/gui/application.h"
#include "platform/gui/controls.h"
#include "platform/gui/controls_grids.h"
#include "platform/gui/controls_impl.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/gdiimpl.h"

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

void ScreenToMousePoint(const TControl& control, int& x, int& y) {
  QWidget* w = MouseWidget(control);
  if (w == nullptr) return;
  const QPoint p = w->mapFromGlobal(QPoint(x, y));
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

// --- The grid's own cell drawing ---

// Paints every cell of a string grid as the grid's GetCellLook says, and
// keeps the grid's background picture (plain and inverted).
class TGridCellPainter : public QStyledItemDelegate {
 public:
  TGridCellPainter(TStringGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int col = index.column();
    const int row = index.row();
    const bool fixed = col < grid_.FixedCols() || row < grid_.FixedRows();
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const bool focused = (option.state & QStyle::State_HasFocus) != 0 ||
                         (row == grid_.Row() && col == grid_.Col());
    TGridCellLook look;
    grid_.GetCellLook(col, row, selected && !fixed, focused && !fixed, look);
    const QRect r = option.rect;
    painter->save();
    painter->setClipRect(r);
    const bool current = !fixed && (selected || focused);
    const bool picture = !fixed && look.Transparent && !picture_.isNull();
    if (picture && current) {
      // The tiles keep their place under the cells: offset from the
      // viewport's origin.
      const int w = inverted_.width();
      const int h = inverted_.height();
      painter->drawTiledPixmap(r, inverted_, QPoint(((r.left() % w) + w) % w, ((r.top() % h) + h) % h));
    } else if (!picture) {
      QColor fill = option.palette.color(QPalette::Base);
      if (look.HasBrush) fill = ToQColor(look.Brush);
      else if (current) fill = option.palette.color(QPalette::Highlight);
      painter->fillRect(r, fill);
    }
    QFont font = option.font;
    if (look.HasFont) font = ToQFont(look.Font, font);
    painter->setFont(font);
    QColor text = look.HasFont ? ToQColor(look.Font.Color) : option.palette.color(QPalette::Text);
    if (current && !look.HasBrush) text = option.palette.color(QPalette::HighlightedText);
    painter->setPen(text);
    const QString qtext = ToQ(look.Text);
    const int width = QFontMetrics(font).horizontalAdvance(qtext);
    int x = r.left() + 2;
    if (look.Alignment == TGridCellLook::Right) x = r.right() + 1 - width - 3;
    else if (look.Alignment == TGridCellLook::Center) x = r.left() + r.width() / 2 - width / 2;
    painter->drawText(QPoint(x, r.top() + 2 + QFontMetrics(font).ascent()), qtext);
    painter->restore();
  }

  void SetPicture(const QImage* image) {
    if (image == nullptr || image->isNull()) {
      picture_ = QPixmap();
      inverted_ = QPixmap();
      return;
    }
    picture_ = QPixmap::fromImage(*image);
    QImage inv = image->convertToFormat(QImage::Format_RGB32);
    inv.invertPixels();
    inverted_ = QPixmap::fromImage(inv);
  }
  const QPixmap& Picture() const { return picture_; }
  // The tiles stay in place when the cells scroll: the whole cell area is
  // repainted after a scroll.
  void FollowScrolling(QTableWidget* table) {
    if (following_) return;
    following_ = true;
    auto repaint = [table] { table->viewport()->update(); };
    QObject::connect(table->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    QObject::connect(table->verticalScrollBar(), &QScrollBar::valueChanged, this, repaint);
  }

 private:
  static QFont ToQFont(const TFont& f, QFont base) {
    base.setFamily(QString::fromStdString(ResolveFaceName(f.Name)));
    if (f.Height < 0) base.setPixelSize(-f.Height);
    else if (f.Height > 0) base.setPixelSize(std::max(1, f.Height * 3 / 4));
    base.setWeight(QFont::Weight(std::clamp(f.Weight == 0 ? 400 : f.Weight, 1, 1000)));
    base.setItalic(f.Italic);
    base.setUnderline(f.Underline);
    base.setStrikeOut(f.StrikeOut);
    return base;
  }

  TStringGrid& grid_;
  QPixmap picture_;
  QPixmap inverted_;
  bool following_ = false;
};

QAbstractItemDelegate* MakeGridCellPainter(TStringGrid& grid, QObject* parent) {
  return new TGridCellPainter(grid, parent);
}

void TStringGrid::GetCellLook(int col, int row, bool, bool, TGridCellLook& look) {
  look.Text = Cells(col, row);
  if (col < fixedCols_ || row < fixedRows_) {
    look.HasBrush = true;
    look.Brush = kGridFixedColor;
  }
}

TGridCellLook TStringGrid::CellLook(int col, int row) {
  Check(col, row);
  TGridCellLook look;
  const bool fixed = col < fixedCols_ || row < fixedRows_;
  const bool current = !fixed && col == Col() && row == Row();
  GetCellLook(col, row, current, current, look);
  return look;
}

void TStringGrid::SetBackgroundPicture(const TBitmap* picture) {
  auto* table = As<QTableWidget>(*this);
  auto* painter = static_cast<TGridCellPainter*>(table->itemDelegate());
  const QImage* image = picture != nullptr ? BitmapImage(*picture) : nullptr;
  painter->SetPicture(image);
  painter->FollowScrolling(table);
  hasPicture_ = !painter->Picture().isNull() && painter->Picture().width() > 0 &&
                painter->Picture().height() > 0;
  // The area beyond the cells shows the tiles too, fixed to the viewport.
  QPalette palette = table->viewport()->palette();
  if (hasPicture_) palette.setBrush(QPalette::Base, QBrush(painter->Picture()));
  else palette.setBrush(QPalette::Base, table->palette().brush(QPalette::Base));
  table->viewport()->setPalette(palette);
  table->viewport()->update();
}

void TStringGrid::MoveColumn(int from, int to) {
  Check(from, 0);
  Check(to, 0);
  if (from == to) return;
  ColumnMoved(from, to);
  As<QTableWidget>(*this)->viewport()->update();
}

void TStringGrid::ColumnMoved(int from, int to) {
  auto* table = As<QTableWidget>(*this);
  const int width = table->columnWidth(from);
  const int step = from < to ? 1 : -1;
  for (int r = 0; r < RowCount(); ++r) {
    const std::string moving = Cells(from, r);
    for (int c = from; c != to; c += step) SetCells(c, r, Cells(c + step, r));
    SetCells(to, r, moving);
  }
  for (int c = from; c != to; c += step) table->setColumnWidth(c, table->columnWidth(c + step));
  table->setColumnWidth(to, width);
}

void RenderGrid(TStringGrid& grid, TBitmap& image) {
  QWidget* w = grid.Impl().widget.data();
  if (w == nullptr) return;
  image.SetSize(w->width(), w->height());
  TPaintSession session(image.Canvas());
  if (QPainter* painter = session.Painter()) w->render(painter);
}

void MakeTopmostPopup(TWinControl& control) {
  QWidget* w = control.Impl().widget.data();
  if (w == nullptr) return;
  const bool visible = w->isVisible();
  w->setParent(nullptr);
  w->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                    Qt::WindowDoesNotAcceptFocus);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setFocusPolicy(Qt::NoFocus);
  w->setVisible(visible);
}

int ListTextWidth(const TWinControl& list, std::string_view text) {
  const QWidget* w = list.Impl().widget.data();
  if (w == nullptr) return 0;
  return QFontMetrics(w->font()).horizontalAdvance(ToQ(std::string(text)));
}

TGdiRect ListItemRect(const TWinControl& list, int index) {
  auto* w = qobject_cast<QListWidget*>(list.Impl().widget.data());
  if (w == nullptr || index < 0 || index >= w->count()) return TGdiRect{0, 0, 0, 0};
  const QRect r = w->visualItemRect(w->item(index));
  return TGdiRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

namespace {

// The button at the right edge of a cell editor. It takes no mouse input:
// presses reach the editor, which decides what the button does.
class TEditButtonWidget : public QWidget {
 public:
  explicit TEditButtonWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tolvikaEditButton"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  TEditButtonKind kind = TEditButtonKind::None;
  bool pressed = false;
  bool active = true;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.rect = rect();
    panel.state = QStyle::State_Enabled | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &panel, &painter, this);
    if (kind == TEditButtonKind::DropDown) {
      QStyleOption arrow;
      arrow.initFrom(this);
      arrow.rect = rect().adjusted(2, 2, -2, -2);
      arrow.state = active ? QStyle::State_Enabled : QStyle::State_None;
      style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    } else if (kind == TEditButtonKind::Ellipsis) {
      // Three black squares of side height / 8 (at least 1) in a row, the
      // middle one at half the width.
      const int w = std::max(1, height() / 8);
      const int c = width() / 2 - 1 + (pressed ? 1 : 0);
      for (int x : {c - 2 * w, c, c + 2 * w}) painter.fillRect(x, c + 3, w, w, Qt::black);
    }
  }
};

}  // namespace

void SetEditButton(TWinControl& edit, TEditButtonKind kind, int width, bool pressed, bool active) {
  QWidget* w = edit.Impl().widget.data();
  if (w == nullptr) return;
  auto* button = w->findChild<TEditButtonWidget*>(QStringLiteral("tolvikaEditButton"),
                                                 Qt::FindDirectChildrenOnly);
  if (button == nullptr) button = new TEditButtonWidget(w);
  button->kind = kind;
  button->pressed = pressed;
  button->active = active;
  const int bw = kind == TEditButtonKind::None ? 0 : std::max(1, width);
  button->setGeometry(w->width() - bw, 0, bw, w->height());
  button->setVisible(bw > 0);
  button->update();
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->setTextMargins(0, 0, bw, 0);
}

}  // namespace platform
