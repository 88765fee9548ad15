// The lock area of a shared file: a run of bytes whose byte-range locks stand
// for a readers/writer lock between processes and workstations. A reader holds
// one byte of the area, a writer the whole area, so up to as many readers as
// the area has bytes run side by side while a writer keeps everyone out.
//
// The locks are those of platform::File (OFD locks): they belong to the open
// handle, never block, and vanish when the handle closes or the process ends.
// Each call here is one attempt; waiting and retrying is the caller's.
//
// A handle that may only read can take shared kernel locks only, which other
// readers would not keep out; a reader therefore takes the first byte no
// other handle holds, so that the count of readers is bounded by the area.
// Two readers racing for the same free byte may both get it (they are both
// readers; only the bound on readers loosens), never a reader and a writer.
//
// The caller's thread only; the handle is the caller's.
#pragma once

#include <cstdint>

#include "platform/files/files.h"

namespace platform {

struct LockArea {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// Tries each byte of the area in turn; on success heldOffset is the byte
// taken. False when every byte is held by another handle (last error
// kErrorLockViolation) or when a lock failed otherwise (its error).
bool TryLockAreaShared(File& file, const LockArea& area, std::uint64_t& heldOffset);

// Tries to lock the whole area at once; false with kErrorLockViolation when
// any byte is held by another handle, or with the error that stopped it.
bool TryLockAreaExclusive(File& file, const LockArea& area);

}  // namespace platform
