// The handlers the store's long file work (compaction, the compacted copy,
// repair) reports to: its start, its progress as a percentage from 0 to 100,
// and its end. The handlers only watch; they never stop the work.
#pragma once

#include <functional>

namespace tessary::store {

struct ProgressHandlers {
  std::function<void()> onStart;
  // Called with rising percentages, each at most once; 100 only when the work is done.
  std::function<void(int percent)> onProgress;
  // ok is false when the work failed (the failure is then raised or returned).
  std::function<void(bool ok)> onEnd;

  void start() const {
    if (onStart) onStart();
  }
  void progress(int percent) const {
    if (onProgress) onProgress(percent);
  }
  void end(bool ok) const {
    if (onEnd) onEnd(ok);
  }
};

// Reports each percentage once and never goes back.
class PercentReporter {
 public:
  explicit PercentReporter(const ProgressHandlers& h) : h_(h) {}
  void report(int percent) {
    if (percent > 100) percent = 100;
    if (percent <= last_) return;
    last_ = percent;
    h_.progress(percent);
  }

 private:
  const ProgressHandlers& h_;
  int last_ = -1;
};

}  // namespace tessary::store
