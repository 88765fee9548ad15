#include "platform/files/faultinject.h"

#include <atomic>
#include <mutex>

namespace platform {
namespace {

struct FaultState {
  std::mutex guard;
  FaultPlan plan;
  std::uint32_t calls = 0;
  bool struck = false;
};

FaultState& State() {
  static FaultState state;
  return state;
}

}  // namespace

void ArmFault(const FaultPlan& plan) {
  FaultState& s = State();
  std::lock_guard<std::mutex> lock(s.guard);
  s.plan = plan;
  if (s.plan.Nth == 0) s.plan.Nth = 1;
  s.calls = 0;
  s.struck = false;
  fault_detail::Armed.store(true, std::memory_order_release);
}

void DisarmFault() {
  FaultState& s = State();
  std::lock_guard<std::mutex> lock(s.guard);
  fault_detail::Armed.store(false, std::memory_order_release);
}

bool FaultStruck() {
  FaultState& s = State();
  std::lock_guard<std::mutex> lock(s.guard);
  return s.struck;
}

std::uint32_t FaultCalls() {
  FaultState& s = State();
  std::lock_guard<std::mutex> lock(s.guard);
  return s.calls;
}

namespace fault_detail {

std::atomic<bool> Armed{false};

bool ShouldFailSlow(FaultOp op, std::string_view path) {
  FaultState& s = State();
  std::lock_guard<std::mutex> lock(s.guard);
  if (!fault_detail::Armed.load(std::memory_order_relaxed) || s.plan.Op != op) return false;
  if (!s.plan.PathContains.empty() && path.find(s.plan.PathContains) == std::string_view::npos)
    return false;
  ++s.calls;
  if (s.calls < s.plan.Nth) return false;
  s.struck = true;
  if (!s.plan.Persistent) fault_detail::Armed.store(false, std::memory_order_relaxed);
  return true;
}

}  // namespace fault_detail

}  // namespace platform
