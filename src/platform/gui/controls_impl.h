// Internal to the platform layer: the Qt side of windows and controls. Only
// platform .cpp files include this header.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QCursor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/gui/controls.h"

namespace platform {

inline QString ToQ(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string FromQ(const QString& text) { return text.toUtf8().toStdString(); }

// "&Skala" -> "Skala" for widgets that do not show accelerators; "&&" -> "&".
QString StripAccelerator(std::string_view caption);

// Runs fn and shows an exception leaving it with the standard error box, so
// that no exception crosses the Qt event loop. Inside RunFromCode the
// exception is kept instead and raised again there.
void GuardCall(const std::function<void()>& fn);
// Runs fn, a change made by the program's own code that Qt answers with
// event handlers (setting Text, Checked, ...): the first exception of such a
// handler is raised again here, after Qt has returned, as the handler's
// caller expects.
void RunFromCode(const std::function<void()>& fn);

// Makes the message queue deliver through the Qt event loop (GUI thread,
// once the application exists).
void InitMessageDispatcher();
// Delivers only the synchronised calls queued now (GUI thread).
int PumpSynchronizeCalls();

// The Qt cursor of a system cursor number (standard or registered).
QCursor ToQCursor(int cursor);

// 0x00BBGGRR <-> QColor.
QColor ToQColor(std::uint32_t color);
std::uint32_t FromQColor(const QColor& color);

// The Qt side of a control: its widget, and the widget its children go in.
struct TControlImpl {
  QPointer<QWidget> widget;
  QPointer<QWidget> client;
  QObject* filter = nullptr;  // owned: the event filter on widget
  QWidget* attached = nullptr;  // the widget as attached, for the lookup table
  bool clickOnRelease = false;  // OnClick from a left button release (no native click)
  bool wantsReturn = false;     // Enter and Esc stay with the control (no dialog keys)
};

// Gives control its widget (and the widget its children go in, when another
// one) and installs the control's event filter. The control owns widget.
void AttachWidget(TControl& control, QWidget* widget, QWidget* client = nullptr);
// Filters an inner widget's events as the control's own.
void InstallControlFilter(TControl& control, QWidget* inner);

// A control's widget as the Qt class the control made it with.
template <class W>
W* As(const TControl& c) {
  return static_cast<W*>(c.Impl().widget.data());
}

// The widgets the Tab key visits inside parent, in screen order (see
// TWinControl in controls.h): shown, enabled, taking Tab focus.
std::vector<QWidget*> TabOrder(const TWinControl& parent);

// The control that owns a widget (or the nearest ancestor widget that has
// one); nullptr when none.
TControl* ControlOfWidget(QWidget* widget);

}  // namespace platform
