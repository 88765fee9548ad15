// The progress bar of every progress window: a full 32-bit range of Min,
// Max and Position over the platform's bar.
//
// The platform's bar keeps 32-bit ranges, so Use32BitRange is always true and
// the values go to it unchanged. The scaled path (the bar held at 0..65535
// and the position scaled into it, negative values refused) is kept for a
// bar limited to 16 bits and is chosen only by the constructor's argument;
// tests use it, the program does not.
//
// GUI thread only. Owned as any control.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/errors.h"
#include "platform/gui/controls_std.h"

class TNewProgressBar : public platform::TProgressBar {
public:
  // Width 150, the height of a scroll bar, range 0..100.
  explicit TNewProgressBar(bool Use32BitRange = true);

  std::int32_t Min() const { return FMin; }
  std::int32_t Max() const { return FMax; }
  std::int32_t Position() const { return FPosition; }
  void SetMin(std::int32_t Value) { SetParams(Value, FMax); }
  void SetMax(std::int32_t Value) { SetParams(FMin, Value); }
  // Max below Min raises EInvalidOperation; without the 32-bit range a
  // negative value raises ERangeError. Nothing changes then.
  void SetParams(std::int32_t AMin, std::int32_t AMax);
  // Stored in every case; without the 32-bit range a negative value raises
  // ERangeError.
  void SetPosition(std::int32_t Value);

  bool Use32BitRange() const { return FUse32BitRange; }
  // The position the underlying bar shows: the value itself, or 0..65535
  // scaled from Min..Max on the 16-bit path.
  std::int32_t ControlPosition() const { return platform::TProgressBar::Position(); }

private:
  void SendPosition();

  std::int32_t FMin = 0;
  std::int32_t FMax = 100;
  std::int32_t FPosition = 0;
  bool FUse32BitRange;
};
