// The neighbours installed for the layer tree and the main window's notices.
#include "layers/tree/treehost.h"

#include <atomic>

namespace {

// Read by whichever thread posts a notice; set by the shell on the GUI thread.
std::atomic<platform::HWND> mainFormWindow{0};

}  // namespace

void SetMainFormWindow(platform::HWND Wnd) { mainFormWindow.store(Wnd, std::memory_order_release); }

platform::HWND MainFormWindow() { return mainFormWindow.load(std::memory_order_acquire); }

void PostMainFormNotify(std::uintptr_t WParam) {
  platform::HWND wnd = MainFormWindow();
  if (wnd == 0) return;  // no main window yet: nobody to tell
  platform::PostMessage(wnd, kMsgMainFormNotify, WParam, 0);
}

TLayerTreeHost& LayerTreeHost() {
  static TLayerTreeHost host;
  return host;
}
