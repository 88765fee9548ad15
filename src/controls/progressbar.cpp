#include "controls/progressbar.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t kScaledMax = 65535;
constexpr int kScrollBarHeight = 17;

[[noreturn]] void OutOfRange() {
  throw ERangeError("Wartość musi się mieścić w zakresie od 0 do 2147483647");
}

}  // namespace

TNewProgressBar::TNewProgressBar(bool Use32BitRange) : FUse32BitRange(Use32BitRange) {
  SetBounds(Left(), Top(), 150, kScrollBarHeight);
  if (FUse32BitRange) platform::TProgressBar::SetRange(FMin, FMax);
  else platform::TProgressBar::SetRange(0, kScaledMax);
  SendPosition();
}

void TNewProgressBar::SetParams(std::int32_t AMin, std::int32_t AMax) {
  if (AMax < AMin) throw EInvalidOperation("Wartość właściwości TNewProgressBar poza zakresem");
  if (!FUse32BitRange && (AMin < 0 || AMax < 0)) OutOfRange();
  if (AMin != FMin || AMax != FMax) {
    const bool lower = AMin < FMin;
    if (FUse32BitRange) platform::TProgressBar::SetRange(AMin, AMax);
    FMin = AMin;
    FMax = AMax;
    if (lower && FUse32BitRange) platform::TProgressBar::SetPosition(AMin);
  }
  FMin = AMin;
  FMax = AMax;
  SendPosition();
}

void TNewProgressBar::SetPosition(std::int32_t Value) {
  if (!FUse32BitRange && Value < 0) OutOfRange();
  FPosition = Value;
  SendPosition();
}

void TNewProgressBar::SendPosition() {
  if (FUse32BitRange) {
    platform::TProgressBar::SetPosition(FPosition);
    return;
  }
  std::int32_t shown = 0;
  const double width = static_cast<double>(FMax) - FMin;
  if (width > 0) {
    const double scaled = std::round((static_cast<double>(FPosition) - FMin) * kScaledMax / width);
    shown = static_cast<std::int32_t>(std::clamp(scaled, 0.0, static_cast<double>(kScaledMax)));
  }
  platform::TProgressBar::SetPosition(shown);
}
