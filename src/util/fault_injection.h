// Fault injection: the places where the program commits to the blog file or
// writes a file call faultPoint() first. Production code never arms it; a test
// arms it to fail the Nth call of a kind (the call then reports the failure it
// would report for a full disk) or to stop the process there (_exit, as a kill
// would), and counts the calls to find every point of a run.
#pragma once

#include <cstdint>

namespace tessary::util {

enum class FaultKind {
  Commit,     // a transaction of the blog file is committed
  FileWrite,  // a file is written (temporary file, then rename)
  FileRename, // a written temporary file is renamed into place
  Delete,     // a file is deleted (output folder, destination)
};
inline constexpr int kFaultKinds = 4;

enum class FaultAction { None, Fail, Exit };

// The action for this call of the kind; counts it. Cheap when not armed.
FaultAction faultPoint(FaultKind kind);

// Test side.
struct FaultPlan {
  FaultKind kind = FaultKind::Commit;
  int64_t at = 0;  // the 1-based call of the kind that fails or exits; 0 = never
  FaultAction action = FaultAction::None;
  int exitCode = 137;
};
void armFault(const FaultPlan& plan);
void disarmFaults();
// The calls of a kind since the last arm or reset.
int64_t faultCalls(FaultKind kind);
void resetFaultCounts();

}  // namespace tessary::util
