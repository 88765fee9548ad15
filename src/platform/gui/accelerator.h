// Accelerators of custom-drawn controls: the letter after "&" in a caption,
// typed with Alt while a window of the control's form (or the control's own
// window) has the keyboard, runs the control's handler, as the standard
// buttons do by themselves.
//
// GUI thread only. An accelerator works while it exists and its control is
// shown and enabled; whoever makes it owns it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/controls.h"

namespace platform {

// The accelerator letter of a caption in upper case ("&Otwórz" -> 'O'),
// 0 when it has none ("&&" is a plain ampersand).
char32_t AcceleratorOf(const std::string& caption);

class TAccelerator {
 public:
  TAccelerator(TControl& control, std::function<void()> fire);
  ~TAccelerator();
  TAccelerator(const TAccelerator&) = delete;
  TAccelerator& operator=(const TAccelerator&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
