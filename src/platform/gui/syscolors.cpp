#include "platform/gui/syscolors.h"

#include <QApplication>
#include <QPalette>

#include "platform/gui/application.h"

namespace platform {

std::uint32_t SystemColor(int Index) {
  QPalette::ColorRole role;
  switch (Index) {
    case kSysColorWindow: role = QPalette::Base; break;
    case kSysColorWindowText: role = QPalette::Text; break;
    case kSysColorButtonFace: role = QPalette::Button; break;
    default: return 0;
  }
  EnsureApplication();
  const QColor c = QApplication::palette().color(QPalette::Active, role);
  return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
         static_cast<std::uint32_t>(c.blue()) << 16;
}

}  // namespace platform
