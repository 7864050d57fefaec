#include "util/fault_injection.h"

#include <unistd.h>

#include <atomic>

namespace tessary::util {

namespace {
std::atomic<int64_t> gCalls[kFaultKinds];
FaultPlan gPlan;
std::atomic<bool> gArmed{false};
}  // namespace

FaultAction faultPoint(FaultKind kind) {
  const int64_t n = ++gCalls[static_cast<int>(kind)];
  if (!gArmed.load(std::memory_order_relaxed)) return FaultAction::None;
  if (gPlan.kind != kind || gPlan.at != n) return FaultAction::None;
  if (gPlan.action == FaultAction::Exit) ::_exit(gPlan.exitCode);
  return gPlan.action;
}

void armFault(const FaultPlan& plan) {
  resetFaultCounts();
  gPlan = plan;
  gArmed = plan.at > 0 && plan.action != FaultAction::None;
}

void disarmFaults() {
  gArmed = false;
  gPlan = FaultPlan{};
}

int64_t faultCalls(FaultKind kind) { return gCalls[static_cast<int>(kind)].load(); }

void resetFaultCounts() {
  for (auto& c : gCalls) c = 0;
}

}  // namespace tessary::util
