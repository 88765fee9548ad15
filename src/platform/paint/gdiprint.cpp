#include "platform/paint/gdiprint.h"

#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPicture>
#include <QPrinter>

#include <algorithm>
#include <stdexcept>

#include "platform/files/files.h"
#include "platform/gui/application.h"
#include "platform/paint/gdiimpl.h"

namespace platform {

struct TPrinter::Impl {
  TPrinterSettings settings;
  std::unique_ptr<QPrinter> printer;
  std::unique_ptr<TCanvas> canvas;
};

TPrinter::TPrinter(const TPrinterSettings& settings) : impl_(std::make_unique<Impl>()) {
  impl_->settings = settings;
  impl_->settings.Resolution = std::clamp(settings.Resolution, 36, 2400);
}

const std::string& TPrinter::Title() const { return impl_->settings.Title; }

TPrinter::~TPrinter() {
  if (Printing()) Abort();
}

bool TPrinter::BeginDoc() {
  if (Printing()) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  EnsureApplication();
  const TPrinterSettings& s = impl_->settings;
  if (s.PrinterName.empty() && s.OutputFile.empty()) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (s.PrinterName.empty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
  } else {
    printer->setPrinterName(QString::fromStdString(s.PrinterName));
    if (!printer->isValid()) {
      SetLastError(kErrorFileNotFound);
      return false;
    }
  }
  if (!s.OutputFile.empty()) printer->setOutputFileName(QString::fromStdString(s.OutputFile));
  printer->setResolution(s.Resolution);
  printer->setFullPage(true);
  printer->setDocName(QString::fromStdString(s.Title));
  printer->setCopyCount(std::max(s.Copies, 1));
  QPageSize size(QSizeF(std::max(s.PaperWidthMm, 1.0), std::max(s.PaperHeightMm, 1.0)),
                 QPageSize::Millimeter);
  printer->setPageLayout(QPageLayout(
      size, s.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  auto canvas = MakeCanvas(printer.get(), nullptr, TCanvasTarget::Printer);
  if (TPaintSession(*canvas).Painter() == nullptr) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  impl_->printer = std::move(printer);
  impl_->canvas = std::move(canvas);
  page_ = 1;
  return true;
}

bool TPrinter::Printing() const { return impl_->canvas != nullptr; }

TCanvas& TPrinter::Canvas() {
  if (!impl_->canvas) throw std::logic_error("TPrinter::Canvas outside a print job");
  return *impl_->canvas;
}

bool TPrinter::NewPage() {
  if (!Printing()) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  TCanvasLock lock(*impl_->canvas);
  if (!impl_->printer->newPage()) {
    SetLastError(kErrorGeneralFailure);
    return false;
  }
  ++page_;
  return true;
}

bool TPrinter::EndDoc() {
  if (!Printing()) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  EndCanvas(*impl_->canvas);
  bool ok = impl_->printer->printerState() != QPrinter::Error;
  impl_->canvas.reset();
  impl_->printer.reset();
  if (!ok) SetLastError(kErrorGeneralFailure);
  return ok;
}

void TPrinter::Abort() {
  if (!Printing()) return;
  impl_->printer->abort();
  EndCanvas(*impl_->canvas);
  impl_->canvas.reset();
  impl_->printer.reset();
  const TPrinterSettings& s = impl_->settings;
  if (s.PrinterName.empty() && !s.OutputFile.empty())
    QFile::remove(QString::fromStdString(s.OutputFile));
}

int TPrinter::PageWidth() const {
  const TPrinterSettings& s = impl_->settings;
  double mm = s.Landscape ? s.PaperHeightMm : s.PaperWidthMm;
  return static_cast<int>(mm / 25.4 * s.Resolution + 0.5);
}

int TPrinter::PageHeight() const {
  const TPrinterSettings& s = impl_->settings;
  double mm = s.Landscape ? s.PaperWidthMm : s.PaperHeightMm;
  return static_cast<int>(mm / 25.4 * s.Resolution + 0.5);
}

struct TMetafile::Impl {
  QPicture picture;
  std::unique_ptr<TCanvas> canvas;
  bool empty = true;
};

TMetafile::TMetafile(int width, int height)
    : impl_(std::make_unique<Impl>()), width_(std::max(width, 1)), height_(std::max(height, 1)) {}

TMetafile::~TMetafile() {
  if (impl_->canvas) EndCanvas(*impl_->canvas);
}

TCanvas& TMetafile::BeginRecording() {
  EnsureApplication();
  if (impl_->canvas) EndCanvas(*impl_->canvas);
  impl_->canvas.reset();
  impl_->picture = QPicture();
  impl_->picture.setBoundingRect(QRect(0, 0, width_, height_));
  impl_->canvas = MakeCanvas(&impl_->picture, nullptr, TCanvasTarget::Metafile, width_, height_);
  impl_->empty = false;
  return *impl_->canvas;
}

void TMetafile::EndRecording() {
  if (!impl_->canvas) return;
  EndCanvas(*impl_->canvas);
  impl_->canvas.reset();
  impl_->picture.setBoundingRect(QRect(0, 0, width_, height_));
}

bool TMetafile::Recording() const { return impl_->canvas != nullptr; }
bool TMetafile::Empty() const { return impl_->empty; }

bool TMetafile::Play(TCanvas& dest, int x, int y) const {
  return PlayStretched(dest, {x, y, x + width_, y + height_});
}

bool TMetafile::PlayStretched(TCanvas& dest, const TGdiRect& r) const {
  if (Recording() || r.Width() <= 0 || r.Height() <= 0) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  TCanvasLock lock(dest);
  TPaintSession session(dest);
  if (session.Painter() == nullptr) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (impl_->empty) return true;
  QPainter& p = *session.Painter();
  p.save();
  if (r.Width() != width_ || r.Height() != height_) {
    p.translate(r.Left, r.Top);
    p.scale(static_cast<double>(r.Width()) / width_, static_cast<double>(r.Height()) / height_);
    p.drawPicture(0, 0, impl_->picture);
  } else {
    p.drawPicture(r.Left, r.Top, impl_->picture);
  }
  p.restore();
  return true;
}

}  // namespace platform
