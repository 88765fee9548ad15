#include "platform/gui/application.h"

#include <stdlib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBitmap>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QTranslator>
#include <QWidget>

#include "platform/gui/controls_impl.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/messages.h"

namespace platform {
namespace {

std::atomic<bool> gGuiThreadSet{false};
std::thread::id gGuiThread;
std::once_flag gCreateOnce;

std::map<int, QCursor>& Cursors() {
  static auto* cursors = new std::map<int, QCursor>;  // lives to process end
  return *cursors;
}

void CreateApplication() {
  if (QCoreApplication::instance() == nullptr) {
    const char* platformName = ::getenv("QT_QPA_PLATFORM");
    bool hasScreen = ::getenv("DISPLAY") != nullptr || ::getenv("WAYLAND_DISPLAY") != nullptr;
    if ((platformName == nullptr || *platformName == '\0') && !hasScreen)
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "tolvika";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: windows may exist until then, and Qt
    // must outlive every one of them.
    static QApplication* application = new QApplication(argc, argv);
    // The program ends when its own application object says so, never
    // because the toolkit saw its last visible window close: a message box
    // closed over a modal form must not end the form's loop or the program.
    application->setQuitOnLastWindowClosed(false);
    // The standard dialogs (colour, file, input) speak Polish, as every
    // other window does: the toolkit's own Polish texts, installed with it.
    // Without them the toolkit's English texts remain.
    static auto* translator = new QTranslator;  // lives with the application
    if (translator->load(QStringLiteral("qtbase_pl"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(translator);
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    // The forms are laid out in pixels for an 8-point sans-serif face; its
    // metric twin keeps captions inside their controls.
    QFont face(QStringLiteral("Liberation Sans"));
    face.setPointSize(8);
    application->setFont(face);
  }
  gGuiThread = std::this_thread::get_id();
  gGuiThreadSet = true;
  InitMessageDispatcher();
}

}  // namespace

void EnsureApplication() { std::call_once(gCreateOnce, CreateApplication); }

std::string ToolkitText(const char* context, const char* source) {
  EnsureApplication();
  return QCoreApplication::translate(context, source).toStdString();
}

bool IsGuiThread() { return gGuiThreadSet && std::this_thread::get_id() == gGuiThread; }

bool IsHeadless() {
  EnsureApplication();
  QString name = QGuiApplication::platformName();
  return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

QString StripAccelerator(std::string_view caption) {
  QString in = ToQ(caption);
  QString out;
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == '&') {
      if (i + 1 < in.size() && in[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += in[i];
  }
  return out;
}

namespace {
int gFromCodeDepth = 0;             // GUI thread only
std::exception_ptr gFromCodeError;  // the first error kept for RunFromCode
}  // namespace

void GuardCall(const std::function<void()>& fn) {
  try {
    fn();
  } catch (...) {
    if (gFromCodeDepth > 0 && IsGuiThread()) {
      if (!gFromCodeError) gFromCodeError = std::current_exception();
      return;
    }
    Application().HandleException(std::current_exception());
  }
}

void RunFromCode(const std::function<void()>& fn) {
  ++gFromCodeDepth;
  try {
    fn();
  } catch (...) {
    --gFromCodeDepth;
    throw;
  }
  --gFromCodeDepth;
  if (gFromCodeDepth == 0 && gFromCodeError) {
    std::exception_ptr error = std::move(gFromCodeError);
    gFromCodeError = nullptr;
    std::rethrow_exception(error);
  }
}

QColor ToQColor(std::uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

std::uint32_t FromQColor(const QColor& color) {
  return static_cast<std::uint32_t>(color.red()) | (static_cast<std::uint32_t>(color.green()) << 8) |
         (static_cast<std::uint32_t>(color.blue()) << 16);
}

QCursor ToQCursor(int cursor) {
  switch (cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait: return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag: return QCursor(Qt::DragCopyCursor);
    case crNoDrop:
    case crNo: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crAppStart: return QCursor(Qt::BusyCursor);
    case crHelp: return QCursor(Qt::WhatsThisCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: break;
  }
  auto it = Cursors().find(cursor);
  if (it != Cursors().end()) return it->second;
  return QCursor(Qt::ArrowCursor);
}

void RegisterCursor(int number, const TCursorShape& shape) {
  if (number <= 0) throw std::invalid_argument("Numer kursora musi być dodatni");
  if (shape.rows.empty() || shape.rows.front().empty())
    throw std::invalid_argument("Pusty rysunek kursora " + std::to_string(number));
  const int w = static_cast<int>(shape.rows.front().size());
  const int h = static_cast<int>(shape.rows.size());
  for (const auto& row : shape.rows)
    if (static_cast<int>(row.size()) != w)
      throw std::invalid_argument("Nierówne wiersze rysunku kursora " + std::to_string(number));
  EnsureApplication();
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      char c = shape.rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      if (c == 'X') image.setPixel(x, y, qRgba(0, 0, 0, 255));
      if (c == '.') image.setPixel(x, y, qRgba(255, 255, 255, 255));
    }
  }
  Cursors()[number] = QCursor(QPixmap::fromImage(image), shape.hotX, shape.hotY);
}

bool CursorExists(int number) {
  if (number <= 0) return number >= crSizeAll && number != -5;
  return Cursors().count(number) != 0;
}

TCursorHotSpot CursorHotSpot(int number) {
  constexpr int kStandardSize = 32;
  switch (number) {
    case crCross:
    case crIBeam:
    case crSizeNESW:
    case crSizeNS:
    case crSizeNWSE:
    case crSizeWE:
    case crHourGlass:
    case crHSplit:
    case crVSplit:
    case crSQLWait:
    case crNo:
    case crSizeAll: return {kStandardSize / 2, kStandardSize / 2};
    case crUpArrow:
    case crHandPoint: return {kStandardSize / 2, 0};
    default: break;
  }
  if (number > 0) {
    auto it = Cursors().find(number);
    if (it != Cursors().end()) {
      const QPoint hot = it->second.hotSpot();
      return {hot.x(), hot.y()};
    }
  }
  return {};
}

int SystemMetric(TSystemMetric metric) {
  EnsureApplication();
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
  QStyle* style = QApplication::style();
  switch (metric) {
    case TSystemMetric::ScreenWidth: return area.width();
    case TSystemMetric::ScreenHeight: return area.height();
    case TSystemMetric::CaptionHeight: return style->pixelMetric(QStyle::PM_TitleBarHeight);
    case TSystemMetric::FrameWidth:
    case TSystemMetric::FrameHeight: return std::max(1, style->pixelMetric(QStyle::PM_DefaultFrameWidth));
  }
  return 0;
}

TDialogUnits DialogBaseUnits() {
  EnsureApplication();
  QFontMetrics metrics(QApplication::font());
  return TDialogUnits{metrics.averageCharWidth(), metrics.height()};
}

TApplication& Application() {
  EnsureApplication();
  static auto* app = new TApplication;  // lives to process end
  return *app;
}

void TApplication::SetHint(std::string hint) {
  hint_ = std::move(hint);
  if (OnHint) OnHint();
}

void TApplication::ProcessMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  PumpPostedMessages();
}

void TApplication::Run() {
  // What is pending is delivered even when Terminate came first: a program
  // told to end during start-up ends as soon as it reaches the loop.
  ProcessMessages();
  while (!terminated_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate() {
  terminated_ = true;
  if (auto* dispatcher = QCoreApplication::eventDispatcher()) dispatcher->wakeUp();
}

void TApplication::BringToFront() {
  QWidget* w = QApplication::activeWindow();
  if (w == nullptr && mainForm_ != nullptr) w = mainForm_->Impl().widget.data();
  if (w == nullptr) return;
  if (!IsHeadless()) w->raise();
  w->activateWindow();
}

void TApplication::ShowException(const std::exception& error) {
  MessageBox(error.what(), title_, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    if (OnException) OnException(e);
    else ShowException(e);
  } catch (...) {
    std::runtime_error general("Nieznany błąd");
    if (OnException) OnException(general);
    else ShowException(general);
  }
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return platform::MessageBox(text, caption, flags);
}

void TApplication::SetScreenCursor(int cursor) {
  screenCursor_ = cursor;
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  if (cursor != crDefault) QApplication::setOverrideCursor(ToQCursor(cursor));
}

}  // namespace platform
