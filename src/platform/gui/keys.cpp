#include "platform/gui/keys.h"

#include <QApplication>
#include <QWidget>

namespace platform {

bool ProgramHasKeyboardTarget() {
  if (QApplication::focusWidget() != nullptr) return true;
  return QApplication::activeWindow() != nullptr;
}

}  // namespace platform
