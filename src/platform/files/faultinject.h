// A switch that makes file input/output fail on purpose, for tests of the
// failure paths of the stores built on platform::File (record files, indexes).
//
// A test arms one operation kind with a count n: the n-th call of that kind
// made by any File handle from then on fails (n = 1: the next call), as if
// the disk had said no, and the switch disarms itself (one fault), unless
// Persistent is set, in which case that call and every later one of the kind
// fail until Disarm. A path filter limits the counting to handles whose
// resolved path contains the given text (empty: every handle).
//
// What a fault looks like to the caller:
//   Read      ReadAt returns -1 and sets kErrorGeneralFailure, nothing read
//   Write     WriteAt returns -1 and sets kErrorDiskFull, nothing written
//   Flush     Flush returns false with kErrorGeneralFailure (nothing synced)
//   SetSize   SetSize returns false with kErrorDiskFull, size unchanged
//   Unlock    UnlockRange returns false with kErrorGeneralFailure; the range
//             is really released (the kernel call is made), so a test leaves
//             no lock behind
//   Rename    RenameFile returns false with kErrorAccessDenied, both names
//             unchanged (the path filter is matched against the old name)
//
// Cost when disarmed: one relaxed atomic load per File call. Arming, counting
// and disarming are guarded by a mutex; the switch is process-wide and meant
// for one test at a time (tests arm it on their own thread and disarm it
// before they end, e.g. with FaultScope).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class FaultOp { Read, Write, Flush, SetSize, Unlock, Rename };

struct FaultPlan {
  FaultOp Op = FaultOp::Write;
  std::uint32_t Nth = 1;      // the n-th call from arming fails (1: the next)
  bool Persistent = false;    // that call and every later one fail
  std::string PathContains;   // count only handles whose path contains this
};

void ArmFault(const FaultPlan& plan);
void DisarmFault();
// Whether the armed fault has struck since it was armed.
bool FaultStruck();
// Calls of the armed kind counted since arming (matching the filter).
std::uint32_t FaultCalls();

// Arms on construction, disarms on destruction.
class FaultScope {
 public:
  explicit FaultScope(const FaultPlan& plan) { ArmFault(plan); }
  ~FaultScope() { DisarmFault(); }
  FaultScope(const FaultScope&) = delete;
  FaultScope& operator=(const FaultScope&) = delete;
};

namespace fault_detail {
extern std::atomic<bool> Armed;
bool ShouldFailSlow(FaultOp op, std::string_view path);
}  // namespace fault_detail

// Asked by the File methods before they act: true when this call must fail.
inline bool ShouldFail(FaultOp op, std::string_view path) {
  if (!fault_detail::Armed.load(std::memory_order_relaxed)) return false;
  return fault_detail::ShouldFailSlow(op, path);
}

}  // namespace platform
