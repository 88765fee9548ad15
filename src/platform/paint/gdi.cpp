#include "platform/paint/gdi.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLineF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/files/codepage.h"
#include "platform/files/files.h"
#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"
#include "platform/paint/gdiimage.h"
#include "platform/paint/gdiimpl.h"

namespace platform {

namespace {

bool Fail(std::uint32_t code) {
  SetLastError(code);
  return false;
}

struct FaceTwin {
  const char* windows;
  const char* twin;
};
constexpr FaceTwin kFaceTwins[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"},
    {"Verdana", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
};

QPainter::CompositionMode ModeFor(TPenMode mode) {
  switch (mode) {
    case pmBlack:
      return QPainter::RasterOp_ClearDestination;
    case pmWhite:
      return QPainter::RasterOp_SetDestination;
    case pmNot:
      return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
      return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
      return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
      return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
      return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
      return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
      return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
      return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
      return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
      return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
      return QPainter::RasterOp_NotSourceXorDestination;
    case pmCopy:
    case pmNop:
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// Device coordinates further than this from the origin lie far outside any
// window, page or picture; segments are clipped to the square of that reach
// before they go to the toolkit, whose raster engine works in a narrower
// fixed-point range, and their differences are taken in 64 bits.
constexpr double kPaintReach = 1 << 20;

bool WithinPaintReach(TGdiPoint p) {
  return std::abs(static_cast<double>(p.X)) <= kPaintReach &&
         std::abs(static_cast<double>(p.Y)) <= kPaintReach;
}

// The part of the segment a-b within the paint reach, its ends rounded to
// whole pixels (an end inside stays as it is); false when none is.
bool ClipToPaintReach(TGdiPoint a, TGdiPoint b, TGdiPoint& ca, TGdiPoint& cb) {
  if (WithinPaintReach(a) && WithinPaintReach(b)) {
    ca = a;
    cb = b;
    return true;
  }
  // Liang-Barsky against the square.
  const double x0 = a.X, y0 = a.Y;
  const double dx = static_cast<double>(b.X) - a.X, dy = static_cast<double>(b.Y) - a.Y;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 + kPaintReach, kPaintReach - x0, y0 + kPaintReach, kPaintReach - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
  }
  auto at = [&](double t, TGdiPoint end) {
    if (t == 0.0 && end == a) return a;
    if (t == 1.0 && end == b) return b;
    return TGdiPoint{static_cast<std::int32_t>(std::lround(x0 + t * dx)),
                     static_cast<std::int32_t>(std::lround(y0 + t * dy))};
  };
  ca = at(t0, a);
  cb = at(t1, b);
  return true;
}

QPolygon ToPolygon(const TGdiPoint* points, int count) {
  QPolygon polygon(count);
  for (int i = 0; i < count; ++i) polygon.setPoint(i, points[i].X, points[i].Y);
  return polygon;
}

// The 8 x 8 pattern of a hatch style, bit 7 leftmost.
void HatchRows(TBrushStyle style, std::uint8_t rows[8]) {
  for (int y = 0; y < 8; ++y) {
    std::uint8_t row = 0;
    for (int x = 0; x < 8; ++x) {
      bool set = false;
      switch (style) {
        case bsHorizontal:
          set = y == 0;
          break;
        case bsVertical:
          set = x == 0;
          break;
        case bsFDiagonal:
          set = x == y;
          break;
        case bsBDiagonal:
          set = x + y == 7;
          break;
        case bsCross:
          set = x == 0 || y == 0;
          break;
        case bsDiagCross:
          set = x == y || x + y == 7;
          break;
        default:
          break;
      }
      if (set) row |= static_cast<std::uint8_t>(0x80u >> x);
    }
    rows[y] = row;
  }
}

}  // namespace

std::string ResolveFaceName(std::string_view faceName) {
  for (const FaceTwin& face : kFaceTwins)
    if (SameText(faceName, face.windows)) return face.twin;
  return std::string(faceName);
}

// TRegion

struct TRegion::Impl {
  QRegion region;
};

TRegion::TRegion() : impl_(std::make_unique<Impl>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
TRegion& TRegion::operator=(const TRegion& other) {
  *impl_ = *other.impl_;
  return *this;
}

TRegion TRegion::Rect(const TGdiRect& r) {
  TRegion result;
  if (r.Right > r.Left && r.Bottom > r.Top)
    result.impl_->region = QRegion(r.Left, r.Top, r.Width(), r.Height());
  return result;
}

TRegion TRegion::Ellipse(const TGdiRect& box) {
  TRegion result;
  if (box.Right > box.Left && box.Bottom > box.Top)
    result.impl_->region = QRegion(box.Left, box.Top, box.Width(), box.Height(), QRegion::Ellipse);
  return result;
}

TRegion TRegion::Polygon(const TGdiPoint* points, int count, TFillMode mode) {
  TRegion result;
  if (points == nullptr || count < 3) return result;
  result.impl_->region = QRegion(ToPolygon(points, count),
                                 mode == TFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  return result;
}

void TRegion::Combine(const TRegion& a, const TRegion& b, TRegionMode mode) {
  QRegion result;
  switch (mode) {
    case TRegionMode::And:
      result = a.impl_->region.intersected(b.impl_->region);
      break;
    case TRegionMode::Or:
      result = a.impl_->region.united(b.impl_->region);
      break;
    case TRegionMode::Xor:
      result = a.impl_->region.xored(b.impl_->region);
      break;
    case TRegionMode::Diff:
      result = a.impl_->region.subtracted(b.impl_->region);
      break;
    case TRegionMode::Copy:
      result = a.impl_->region;
      break;
  }
  impl_->region = result;
}

void TRegion::Offset(int dx, int dy) { impl_->region.translate(dx, dy); }
bool TRegion::IsEmpty() const { return impl_->region.isEmpty(); }
bool TRegion::Contains(int x, int y) const { return impl_->region.contains(QPoint(x, y)); }

TGdiRect TRegion::Box() const {
  if (impl_->region.isEmpty()) return {};
  QRect r = impl_->region.boundingRect();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool operator==(const TRegion& a, const TRegion& b) { return a.impl_->region == b.impl_->region; }

// TCanvas

struct TCanvas::Impl {
  QPaintDevice* device = nullptr;
  QImage* image = nullptr;
  TCanvasTarget target = TCanvasTarget::Image;
  QPainter painter;
  QFont font;
  bool fontValid = false;
  bool clipping = false;
  QRegion clip;
  QSize area;  // fixed drawing area, or invalid to ask the device
  QPoint brushOrigin;
  // A window surface's canvas: the image to paint on, asked at every call,
  // with the painter active only during the call (the window may replace its
  // image between calls).
  std::function<QImage*()> source;
  // Told when a drawing call on the surface has ended.
  std::function<void()> drawn;

  bool Active() const { return painter.isActive(); }
  void Refresh() {
    if (source) {
      image = source();
      device = image;
    }
  }
  void Setup() {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setBrushOrigin(brushOrigin);
    if (clipping) painter.setClipRegion(clip);
  }
  bool RasterOps() const { return target != TCanvasTarget::Printer; }
  QRect Area() const {
    return area.isValid() ? QRect(QPoint(0, 0), area)
                          : QRect(0, 0, device->width(), device->height());
  }
};

std::unique_ptr<TCanvas> MakeCanvas(QPaintDevice* device, QImage* image, TCanvasTarget target,
                                    int width, int height) {
  auto impl = std::make_unique<TCanvas::Impl>();
  if (width > 0 && height > 0) impl->area = QSize(width, height);
  impl->device = device;
  impl->image = image;
  impl->target = target;
  impl->painter.begin(device);
  impl->Setup();
  return std::make_unique<TCanvas>(std::move(impl));
}

std::unique_ptr<TCanvas> MakeSurfaceCanvas(std::function<QImage*()> source, std::function<void()> drawn) {
  auto impl = std::make_unique<TCanvas::Impl>();
  impl->source = std::move(source);
  impl->drawn = std::move(drawn);
  impl->Refresh();
  return std::make_unique<TCanvas>(std::move(impl));
}

TPaintSession::TPaintSession(TCanvas& canvas) : canvas_(canvas) {
  TCanvas::Impl& impl = canvas.Internal();
  if (impl.source && !impl.painter.isActive()) {
    impl.Refresh();
    owns_ = impl.painter.begin(impl.device);
    if (owns_) impl.Setup();
  }
}

TPaintSession::~TPaintSession() {
  if (!owns_) return;
  TCanvas::Impl& impl = canvas_.Internal();
  impl.painter.end();
  if (impl.drawn) impl.drawn();
}

QPainter* TPaintSession::Painter() const {
  QPainter& p = canvas_.Internal().painter;
  return p.isActive() ? &p : nullptr;
}

QImage* CanvasImage(const TCanvas& canvas) { return canvas.Internal().image; }

void EndCanvas(TCanvas& canvas) {
  TCanvasLock lock(canvas);
  if (canvas.Internal().painter.isActive()) canvas.Internal().painter.end();
}

void RestartCanvas(TCanvas& canvas, QPaintDevice* device, QImage* image) {
  TCanvasLock lock(canvas);
  TCanvas::Impl& impl = canvas.Internal();
  if (impl.painter.isActive()) impl.painter.end();
  impl.device = device;
  impl.image = image;
  impl.painter.begin(device);
  impl.Setup();
}

TCanvas::TCanvas(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TCanvas::~TCanvas() {
  if (impl_ && impl_->painter.isActive()) impl_->painter.end();
}

int TCanvas::Width() const {
  impl_->Refresh();
  return impl_->Area().width();
}
int TCanvas::Height() const {
  impl_->Refresh();
  return impl_->Area().height();
}
int TCanvas::DpiX() const {
  impl_->Refresh();
  return impl_->device->logicalDpiX();
}
int TCanvas::DpiY() const {
  impl_->Refresh();
  return impl_->device->logicalDpiY();
}

void TCanvas::SetPen(const TPen& pen) { pen_ = pen; }
void TCanvas::SetBrush(const TBrush& brush) { brush_ = brush; }
void TCanvas::SetFont(const TFont& font) {
  if (font == font_) return;
  font_ = font;
  impl_->fontValid = false;
}
void TCanvas::SetTextColor(TColor color) { font_.Color = color; }
void TCanvas::SetBkMode(TBkMode mode) { bkMode_ = mode; }
void TCanvas::SetBkColor(TColor color) { bkColor_ = color; }
void TCanvas::SetTextAlign(std::uint32_t flags) { textAlign_ = flags; }
void TCanvas::SetBrushOrigin(int x, int y) {
  impl_->brushOrigin = QPoint(x, y);
  if (impl_->Active()) impl_->painter.setBrushOrigin(x, y);
}

namespace {

// Sets the painter up for pen and brush drawing with the canvas's pen mode;
// false when nothing is to be drawn (pmNop).
bool PreparePainter(TCanvas::Impl& impl, const TPen& pen, const TBrush* brush, TBkMode bkMode,
                    TColor bkColor) {
  if (pen.Mode == pmNop) return false;
  QPainter& p = impl.painter;
  QColor color = ToQColor(pen.Color);
  if (impl.RasterOps()) {
    p.setCompositionMode(ModeFor(pen.Mode));
  } else {
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (pen.Mode == pmBlack) color = Qt::black;
    if (pen.Mode == pmWhite) color = Qt::white;
  }
  bool dashed = false;
  if (pen.Style == psClear) {
    p.setPen(Qt::NoPen);
  } else if (pen.Width <= 1) {
    QPen q(color);
    q.setWidth(0);  // one device pixel whatever the transformation
    q.setCosmetic(true);
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    // The dash lengths of the Windows cosmetic pens, in pixels.
    switch (pen.Style) {
      case psDash:
        q.setDashPattern({18, 6});
        dashed = true;
        break;
      case psDot:
        q.setDashPattern({3, 3});
        dashed = true;
        break;
      case psDashDot:
        q.setDashPattern({9, 6, 3, 6});
        dashed = true;
        break;
      case psDashDotDot:
        q.setDashPattern({9, 3, 3, 3, 3, 3});
        dashed = true;
        break;
      default:
        break;
    }
    p.setPen(q);
  } else {
    QPen q(color);
    q.setWidth(pen.Width);
    q.setCapStyle(Qt::RoundCap);
    q.setJoinStyle(Qt::RoundJoin);
    p.setPen(q);
  }
  p.setBackgroundMode(dashed && bkMode == TBkMode::Opaque ? Qt::OpaqueMode : Qt::TransparentMode);
  p.setBackground(QBrush(ToQColor(bkColor)));

  if (brush == nullptr || brush->Style == bsClear) {
    p.setBrush(Qt::NoBrush);
  } else if (brush->Style == bsSolid) {
    p.setBrush(QBrush(ToQColor(brush->Color)));
  } else {
    std::uint8_t rows[8];
    if (brush->Style == bsPattern)
      std::copy(std::begin(brush->Pattern), std::end(brush->Pattern), rows);
    else
      HatchRows(brush->Style, rows);
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    QRgb fore = ToQColor(brush->Color).rgb();
    QRgb back = bkMode == TBkMode::Opaque ? ToQColor(bkColor).rgb() : 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) tile.setPixel(x, y, (rows[y] & (0x80u >> x)) ? fore : back);
    p.setBrush(QBrush(tile));
  }
  return true;
}

// The outline's path for a box (right and bottom outside). A one-pixel pen
// runs on the outermost pixels; a wider pen is centred on the box's edges,
// or kept wholly inside them with the inside-frame style.
QRectF FigureBox(const TGdiRect& r, const TPen* pen = nullptr) {
  if (pen == nullptr || pen->Width <= 1 || pen->Style == psClear)
    return QRectF(r.Left, r.Top, static_cast<double>(r.Right) - r.Left - 1,
                  static_cast<double>(r.Bottom) - r.Top - 1);
  QRectF box(r.Left, r.Top, static_cast<double>(r.Right) - r.Left,
             static_cast<double>(r.Bottom) - r.Top);
  if (pen->Style == psInsideFrame) {
    double inset = std::min({pen->Width / 2.0, box.width() / 2.0, box.height() / 2.0});
    box.adjust(inset, inset, -inset, -inset);
  }
  return box;
}

bool NormalBox(const TGdiRect& r) {
  return static_cast<std::int64_t>(r.Right) - r.Left >= 1 &&
         static_cast<std::int64_t>(r.Bottom) - r.Top >= 1;
}

TGdiRect Normalized(const TGdiRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

// The painter's composition for a blit's raster operation; false for codes
// that are not supported.
bool BlitMode(std::uint32_t rop, QPainter::CompositionMode& mode) {
  switch (rop) {
    case SRCCOPY:
      mode = QPainter::CompositionMode_Source;
      return true;
    case SRCPAINT:
      mode = QPainter::RasterOp_SourceOrDestination;
      return true;
    case SRCAND:
      mode = QPainter::RasterOp_SourceAndDestination;
      return true;
    case SRCINVERT:
      mode = QPainter::RasterOp_SourceXorDestination;
      return true;
    case SRCERASE:
      mode = QPainter::RasterOp_SourceAndNotDestination;
      return true;
    case NOTSRCCOPY:
      mode = QPainter::RasterOp_NotSource;
      return true;
    case NOTSRCERASE:
      mode = QPainter::RasterOp_NotSourceAndNotDestination;
      return true;
    case MERGEPAINT:
      mode = QPainter::RasterOp_NotSourceOrDestination;
      return true;
    default:
      return false;
  }
}

}  // namespace

void TCanvas::MoveTo(int x, int y) { penPos_ = {x, y}; }

bool TCanvas::LineTo(int x, int y) {
  TGdiPoint points[2] = {penPos_, {x, y}};
  penPos_ = {x, y};
  return Polyline(points, 2);
}

bool TCanvas::Polyline(const TGdiPoint* points, int count) {
  std::int32_t counts[1] = {count};
  return PolyPolyline(points, counts, 1);
}

bool TCanvas::PolyPolyline(const TGdiPoint* points, const std::int32_t* counts, int parts) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  if (points == nullptr || counts == nullptr || parts < 0) return Fail(kErrorInvalidParameter);
  for (int i = 0; i < parts; ++i)
    if (counts[i] < 2) return Fail(kErrorInvalidParameter);
  if (!PreparePainter(*impl_, pen_, nullptr, bkMode_, bkColor_)) return true;
  QPainter& p = impl_->painter;
  const TGdiPoint* part = points;
  if (pen_.Width > 1) {
    // A polyline is cut where it leaves the paint reach; inside it, it stays
    // one polyline with its joins.
    QPolygon run;
    auto drawRun = [&] {
      if (run.size() >= 2) p.drawPolyline(run);
      run.clear();
    };
    for (int i = 0; i < parts; ++i) {
      for (int k = 1; k < counts[i]; ++k) {
        TGdiPoint a, b;
        if (!ClipToPaintReach(part[k - 1], part[k], a, b)) {
          drawRun();
          continue;
        }
        if (!run.isEmpty() && (a != part[k - 1] || run.last() != QPoint(a.X, a.Y))) drawRun();
        if (run.isEmpty()) run << QPoint(a.X, a.Y);
        run << QPoint(b.X, b.Y);
        if (b != part[k]) drawRun();
      }
      drawRun();
      part += counts[i];
    }
    return true;
  }
  // Thin lines segment by segment, each covering its first pixel and not its
  // last, so that a joint is drawn once. The toolkit leaves out the end with
  // the larger coordinate along the main axis; a segment running the other
  // way is moved one step along itself, which gives the same pixels with the
  // other end left out.
  QVector<QLineF> lines;
  for (int i = 0; i < parts; ++i) {
    for (int k = 1; k < counts[i]; ++k) {
      TGdiPoint a, b;
      if (!ClipToPaintReach(part[k - 1], part[k], a, b)) continue;
      const std::int64_t dx = static_cast<std::int64_t>(b.X) - a.X;
      const std::int64_t dy = static_cast<std::int64_t>(b.Y) - a.Y;
      if (dx == 0 && dy == 0) continue;
      const std::int64_t major = std::llabs(dx) >= std::llabs(dy) ? dx : dy;
      if (major > 0) {
        lines.append(QLineF(a.X, a.Y, b.X, b.Y));
      } else {
        double sx = -static_cast<double>(dx) / static_cast<double>(major);
        double sy = -static_cast<double>(dy) / static_cast<double>(major);
        lines.append(QLineF(a.X - sx, a.Y - sy, b.X - sx, b.Y - sy));
      }
    }
    part += counts[i];
  }
  if (!lines.isEmpty()) p.drawLines(lines);
  return true;
}

bool TCanvas::Arc(const TGdiRect& box, TGdiPoint start, TGdiPoint end) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  TGdiRect b = Normalized(box);
  if (!NormalBox(b)) return true;
  if (!PreparePainter(*impl_, pen_, nullptr, bkMode_, bkColor_)) return true;
  QRectF r = FigureBox(b);
  double cx = (static_cast<double>(b.Left) + b.Right) / 2.0;
  double cy = (static_cast<double>(b.Top) + b.Bottom) / 2.0;
  double rx = std::max(r.width() / 2.0, 0.5);
  double ry = std::max(r.height() / 2.0, 0.5);
  // Angles of the points where the rays cut the ellipse, as parameters of
  // the ellipse, counter-clockwise on the screen (y upwards).
  auto angle = [&](TGdiPoint p) {
    return std::atan2(-(p.Y - cy) / ry, (p.X - cx) / rx) * 180.0 / M_PI;
  };
  double a1 = angle(start);
  double sweep = angle(end) - a1;
  while (sweep <= 1e-9) sweep += 360.0;
  if (sweep > 360.0) sweep = 360.0;
  QPainterPath path;
  path.arcMoveTo(r, a1);
  path.arcTo(r, a1, sweep);
  impl_->painter.setBrush(Qt::NoBrush);
  impl_->painter.drawPath(path);
  return true;
}

bool TCanvas::Rectangle(const TGdiRect& r) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  TGdiRect b = Normalized(r);
  if (!NormalBox(b)) return true;
  if (!PreparePainter(*impl_, pen_, &brush_, bkMode_, bkColor_)) return true;
  impl_->painter.drawRect(FigureBox(b, &pen_));
  return true;
}

bool TCanvas::Ellipse(const TGdiRect& box) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  TGdiRect b = Normalized(box);
  if (!NormalBox(b)) return true;
  if (!PreparePainter(*impl_, pen_, &brush_, bkMode_, bkColor_)) return true;
  impl_->painter.drawEllipse(FigureBox(b, &pen_));
  return true;
}

bool TCanvas::Polygon(const TGdiPoint* points, int count, TFillMode mode) {
  std::int32_t counts[1] = {count};
  return PolyPolygon(points, counts, 1, mode);
}

bool TCanvas::PolyPolygon(const TGdiPoint* points, const std::int32_t* counts, int parts,
                          TFillMode mode) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  if (points == nullptr || counts == nullptr || parts < 0) return Fail(kErrorInvalidParameter);
  for (int i = 0; i < parts; ++i)
    if (counts[i] < 2) return Fail(kErrorInvalidParameter);
  if (!PreparePainter(*impl_, pen_, &brush_, bkMode_, bkColor_)) return true;
  QPainterPath path;
  path.setFillRule(mode == TFillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  const TGdiPoint* part = points;
  for (int i = 0; i < parts; ++i) {
    QPolygon polygon = ToPolygon(part, counts[i]);
    polygon << polygon.first();
    path.addPolygon(QPolygonF(polygon));
    part += counts[i];
  }
  impl_->painter.drawPath(path);
  return true;
}

bool TCanvas::FillRect(const TGdiRect& r, const TBrush& brush) {
  TRegion region = TRegion::Rect(Normalized(r));
  return FillRegion(region, brush);
}

bool TCanvas::FillRegion(const TRegion& region, const TBrush& brush) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  TPen pen;
  pen.Style = psClear;
  PreparePainter(*impl_, pen, &brush, bkMode_, bkColor_);
  QPainterPath path;
  path.addRegion(region.impl_->region);
  impl_->painter.fillPath(path, impl_->painter.brush());
  return true;
}

bool TCanvas::InvertRegion(const TRegion& region) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  if (!impl_->RasterOps()) return Fail(kErrorInvalidParameter);
  QPainter& p = impl_->painter;
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  QPainterPath path;
  path.addRegion(region.impl_->region);
  p.fillPath(path, QBrush(Qt::black));
  return true;
}

bool TCanvas::SetPixel(int x, int y, TColor color) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  QPainter& p = impl_->painter;
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.fillRect(QRect(x, y, 1, 1), ToQColor(color));
  return true;
}

TColor TCanvas::GetPixel(int x, int y) const {
  impl_->Refresh();
  const QImage* image = impl_->image;
  if (image == nullptr) return 0xFFFFFFFFu;
  if (impl_->clipping && !impl_->clip.contains(QPoint(x, y))) return 0xFFFFFFFFu;
  return PixelOf(*image, x, y);
}

namespace {

// The toolkit font for a canvas font; a positive height (the cell) is turned
// into a character height by measuring the face once.
QFont MakeFont(const TFont& font, QPaintDevice* device) {
  QFont f(QString::fromStdString(ResolveFaceName(font.Name)));
  f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
  int charHeight = 16;
  if (font.Height < 0) {
    charHeight = -font.Height;
  } else if (font.Height > 0) {
    QFont probe = f;
    probe.setPixelSize(1024);
    QFontMetrics fm(probe, device);
    int cell = fm.ascent() + fm.descent();
    charHeight =
        cell > 0 ? static_cast<int>(std::lround(font.Height * 1024.0 / cell)) : font.Height;
  }
  f.setPixelSize(std::max(charHeight, 1));
  f.setWeight(QFont::Weight(std::clamp(font.Weight == 0 ? 400 : font.Weight, 1, 1000)));
  f.setItalic(font.Italic);
  f.setUnderline(font.Underline);
  f.setStrikeOut(font.StrikeOut);
  return f;
}

}  // namespace

// Resolves the toolkit font of the selected font when it changed.
static const QFont& CurrentFont(TCanvas::Impl& impl, const TFont& font) {
  if (!impl.fontValid) {
    EnsureApplication();
    impl.font = MakeFont(font, impl.device);
    impl.fontValid = true;
  }
  return impl.font;
}

bool TCanvas::TextOut(int x, int y, std::string_view text) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  if (text.empty()) return true;
  const QFont& f = CurrentFont(*impl_, font_);
  QFontMetrics fm(f, impl_->device);
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  int width = fm.horizontalAdvance(s);
  int dx = 0;
  if ((textAlign_ & TA_CENTER) == TA_CENTER)
    dx = -width / 2;
  else if (textAlign_ & TA_RIGHT)
    dx = -width;
  int dy = 0;
  if ((textAlign_ & TA_BASELINE) == TA_BASELINE)
    dy = 0;
  else if (textAlign_ & TA_BOTTOM)
    dy = -fm.descent();
  else
    dy = fm.ascent();
  QPainter& p = impl_->painter;
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setBackgroundMode(Qt::TransparentMode);
  p.translate(x, y);
  if (font_.Escapement != 0) p.rotate(-font_.Escapement / 10.0);
  if (bkMode_ == TBkMode::Opaque)
    p.fillRect(QRect(dx, dy - fm.ascent(), width, fm.ascent() + fm.descent()), ToQColor(bkColor_));
  p.setFont(f);
  p.setPen(ToQColor(font_.Color));
  p.drawText(QPoint(dx, dy), s);
  p.restore();
  return true;
}

TTextMetric TCanvas::GetTextMetrics() const {
  impl_->Refresh();
  const QFont& f = CurrentFont(*impl_, font_);
  QFontMetrics fm(f, impl_->device);
  TTextMetric tm;
  tm.tmAscent = fm.ascent();
  tm.tmDescent = fm.descent();
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - f.pixelSize());
  tm.tmExternalLeading = std::max(0, fm.leading());
  tm.tmAveCharWidth = fm.averageCharWidth();
  tm.tmMaxCharWidth = fm.maxWidth();
  tm.tmWeight = font_.Weight == 0 ? 400 : font_.Weight;
  tm.tmItalic = font_.Italic;
  tm.tmUnderlined = font_.Underline;
  tm.tmStruckOut = font_.StrikeOut;
  tm.tmCharSet = font_.CharSet;
  return tm;
}

TGdiPoint TCanvas::TextExtent(std::string_view text) const {
  impl_->Refresh();
  const QFont& f = CurrentFont(*impl_, font_);
  QFontMetrics fm(f, impl_->device);
  QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return {fm.horizontalAdvance(s), fm.ascent() + fm.descent()};
}

void TCanvas::SelectClipRegion(const TRegion* region) {
  if (region == nullptr) {
    impl_->clipping = false;
    impl_->clip = QRegion();
    if (impl_->Active()) impl_->painter.setClipping(false);
    return;
  }
  impl_->clipping = true;
  impl_->clip = region->impl_->region;
  if (impl_->Active()) impl_->painter.setClipRegion(impl_->clip);
}

void TCanvas::IntersectClipRect(const TGdiRect& r) {
  TGdiRect n = Normalized(r);
  QRegion rect(n.Left, n.Top, n.Width(), n.Height());
  impl_->clip = impl_->clipping ? impl_->clip.intersected(rect) : rect;
  impl_->clipping = true;
  if (impl_->Active()) impl_->painter.setClipRegion(impl_->clip);
}

void TCanvas::ExcludeClipRect(const TGdiRect& r) {
  impl_->Refresh();
  TGdiRect n = Normalized(r);
  QRegion rect(n.Left, n.Top, n.Width(), n.Height());
  impl_->clip = (impl_->clipping ? impl_->clip : QRegion(impl_->Area())).subtracted(rect);
  impl_->clipping = true;
  if (impl_->Active()) impl_->painter.setClipRegion(impl_->clip);
}

TGdiRect TCanvas::ClipBox() const {
  impl_->Refresh();
  QRect r = impl_->clipping ? impl_->clip.boundingRect() : impl_->Area();
  if (r.isEmpty()) return {};
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool TCanvas::BitBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy,
                     std::uint32_t rop) {
  return StretchBlt(x, y, w, h, src, sx, sy, w, h, rop);
}

namespace {

// Draws image (or the brush, or nothing, as rop says) into dest with rop.
bool BlitImage(TCanvas::Impl& impl, const QRect& dest, const QImage* image, const QRect& source,
               std::uint32_t rop, const TBrush& brush, TBkMode bkMode, TColor bkColor) {
  QPainter& p = impl.painter;
  if (dest.width() <= 0 || dest.height() <= 0) return Fail(kErrorInvalidParameter);
  switch (rop) {
    case BLACKNESS:
    case WHITENESS:
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      p.fillRect(dest, rop == BLACKNESS ? Qt::black : Qt::white);
      return true;
    case DSTINVERT:
      if (!impl.RasterOps()) return Fail(kErrorInvalidParameter);
      p.setCompositionMode(QPainter::RasterOp_NotDestination);
      p.fillRect(dest, Qt::black);
      return true;
    case PATCOPY:
    case PATINVERT: {
      TPen pen;
      pen.Style = psClear;
      pen.Mode = rop == PATCOPY ? pmCopy : pmXor;
      if (rop == PATINVERT && !impl.RasterOps()) return Fail(kErrorInvalidParameter);
      PreparePainter(impl, pen, &brush, bkMode, bkColor);
      p.fillRect(dest, p.brush());
      return true;
    }
    default:
      break;
  }
  QPainter::CompositionMode mode;
  if (!BlitMode(rop, mode)) return Fail(kErrorInvalidParameter);
  if (mode != QPainter::CompositionMode_Source && !impl.RasterOps())
    return Fail(kErrorInvalidParameter);
  if (image == nullptr) return Fail(kErrorInvalidParameter);
  if (source.width() <= 0 || source.height() <= 0) return Fail(kErrorInvalidParameter);
  p.setCompositionMode(impl.RasterOps() ? mode : QPainter::CompositionMode_SourceOver);
  p.drawImage(dest, *image, source);
  return true;
}

}  // namespace

bool TCanvas::StretchBlt(int x, int y, int w, int h, const TCanvas& src, int sx, int sy, int sw,
                         int sh, std::uint32_t rop) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  const QImage* image = src.impl_->image;
  QImage copy;
  if (image != nullptr && image == impl_->image) {
    // Blitting a canvas onto itself reads the pixels as they were.
    copy = image->copy(QRect(sx, sy, sw, sh));
    image = &copy;
    sx = 0;
    sy = 0;
  }
  return BlitImage(*impl_, QRect(x, y, w, h), image, QRect(sx, sy, sw, sh), rop, brush_, bkMode_,
                   bkColor_);
}

bool TCanvas::StretchDIBits(int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                            const void* bits, std::size_t size, const TDibInfo& info,
                            std::uint32_t rop) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  int width = info.Width;
  int height = std::abs(info.Height);
  int bpp = info.BitCount;
  if (bits == nullptr || width <= 0 || height <= 0 || width > 65536 || height > 65536 ||
      (bpp != 1 && bpp != 8 && bpp != 24 && bpp != 32))
    return Fail(kErrorInvalidParameter);
  if ((bpp == 1 || bpp == 8) && info.Palette.empty()) return Fail(kErrorInvalidParameter);
  std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  if (size < stride * static_cast<std::size_t>(height)) return Fail(kErrorInvalidParameter);
  if (sw <= 0 || sh <= 0 || sx < 0 || sy < 0 || sx + sw > width || sy + sh > height)
    return Fail(kErrorInvalidParameter);

  const auto* data = static_cast<const std::uint8_t*>(bits);
  auto paletteColor = [&](std::size_t index) {
    TColor c = index < info.Palette.size() ? info.Palette[index] : clBlack;
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
  };
  QImage image(width, height, QImage::Format_RGB32);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* line = data + stride * static_cast<std::size_t>(row);
    int y0 = info.Height > 0 ? height - 1 - row : row;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y0));
    for (int col = 0; col < width; ++col) {
      switch (bpp) {
        case 1:
          out[col] = paletteColor((line[col / 8] >> (7 - col % 8)) & 1u);
          break;
        case 8:
          out[col] = paletteColor(line[col]);
          break;
        case 24:
          out[col] = qRgb(line[col * 3 + 2], line[col * 3 + 1], line[col * 3]);
          break;
        case 32:
          out[col] = qRgb(line[col * 4 + 2], line[col * 4 + 1], line[col * 4]);
          break;
      }
    }
  }
  // A bottom-up source rectangle is counted from the last row.
  int top = info.Height > 0 ? height - sy - sh : sy;
  return BlitImage(*impl_, QRect(x, y, w, h), &image, QRect(sx, top, sw, sh), rop, brush_, bkMode_,
                   bkColor_);
}

bool TCanvas::StretchDraw(const TGdiRect& r, const TBitmap& bitmap, std::uint32_t rop) {
  TPaintSession session(*this);
  if (session.Painter() == nullptr) return Fail(kErrorInvalidHandle);
  const QImage* image = BitmapImage(bitmap);
  QImage copy;
  if (image == impl_->image) {
    copy = image->copy();
    image = &copy;
  }
  return BlitImage(*impl_, QRect(r.Left, r.Top, r.Width(), r.Height()), image,
                   QRect(0, 0, image->width(), image->height()), rop, brush_, bkMode_, bkColor_);
}

bool TCanvas::CancelDC() {
  // Every call draws at once: nothing is left pending on the device.
  return true;
}

}  // namespace platform
