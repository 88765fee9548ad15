#include "platform/files/lockarea.h"

namespace platform {

bool TryLockAreaShared(File& file, const LockArea& area, std::uint64_t& heldOffset) {
  for (std::uint64_t i = 0; i < area.length; ++i) {
    const std::uint64_t at = area.offset + i;
    if (file.IsLockedByOther(at, 1)) continue;
    if (file.LockRange(at, 1)) {
      heldOffset = at;
      return true;
    }
    if (LastError() != kErrorLockViolation) return false;
  }
  SetLastError(kErrorLockViolation);
  return false;
}

bool TryLockAreaExclusive(File& file, const LockArea& area) {
  return file.LockRange(area.offset, area.length);
}

}  // namespace platform
