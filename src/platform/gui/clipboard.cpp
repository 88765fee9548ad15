#include "platform/gui/clipboard.h"

#include <QApplication>
#include <QClipboard>

#include "platform/gui/application.h"
#include "platform/gui/controls_impl.h"

namespace platform {

std::string ClipboardText() {
  EnsureApplication();
  QClipboard* clipboard = QApplication::clipboard();
  return clipboard != nullptr ? FromQ(clipboard->text()) : std::string();
}

void SetClipboardText(std::string_view text) {
  EnsureApplication();
  if (QClipboard* clipboard = QApplication::clipboard()) clipboard->setText(ToQ(text));
}

}  // namespace platform
