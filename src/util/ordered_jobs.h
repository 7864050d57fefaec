// Jobs done on worker threads and taken back in the order they were handed in.
//
// The thread that owns an OrderedJobs (the owner: a generation run's thread)
// hands in jobs. Each job has two halves: run(), the expensive part that needs
// nothing but the job's own data, done by a worker (or by the owner while it
// waits), and apply(), done by the owner strictly in the order the jobs were
// handed in. Whatever has an order (log lines, tracking rows, counters) belongs
// in apply(), so the owner sees the same sequence as when every job is run and
// applied the moment it is handed in, which is what an OrderedJobs without
// workers does.
//
// At most maxInFlight jobs wait to be applied; handing in one more first applies
// (and, if need be, runs) the oldest, so memory stays flat however many jobs a
// run has.
//
// A failure stops the sequence where it happened: an exception raised by run()
// is raised again in place of that job's apply(), and once an apply() has
// raised, nothing handed in after it is ever applied. The jobs left over are
// discarded (discard() on each one that has run) when the OrderedJobs goes.
//
// Thread use: every public function belongs to the owner's thread; a job's
// run() may be called on any thread, apply() and discard() on the owner's.
// The workers run a little nicer than the owner (the jobs wait for it).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tessary::util {

class OrderedJobs {
 public:
  class Job {
   public:
    virtual ~Job() = default;
    // Any thread. May throw: the exception is raised on the owner's thread at
    // the job's turn.
    virtual void run() {}
    // The owner's thread, in the order the jobs were handed in.
    virtual void apply() = 0;
    // The owner's thread, for a job that ran but will never be applied (the
    // sequence stopped before it). Must not throw.
    virtual void discard() noexcept {}
    // True when run() costs next to nothing: handed in while no job waits to
    // be applied, the job is run and applied at once, without a worker.
    virtual bool quick() const { return false; }
  };

  // workers 0: no thread of its own; every job is run and applied as it is
  // handed in. REQUIRES: maxInFlight >= 1.
  OrderedJobs(unsigned workers, size_t maxInFlight);
  // Waits for the jobs being run, then discards every job not applied.
  ~OrderedJobs();
  OrderedJobs(const OrderedJobs&) = delete;
  OrderedJobs& operator=(const OrderedJobs&) = delete;

  // Hands in a job. Applies the jobs already done at the front of the line, and
  // the oldest when the line is full; raises what one of them raised. After a
  // failure the job is dropped unapplied (and unrun).
  void submit(std::unique_ptr<Job> job);
  // Applies every job handed in (running those no worker has taken yet);
  // raises the first failure. Does nothing after a failure.
  void drain();
  // The newest job handed in and not yet applied; nullptr when idle. The owner
  // may change what that job's apply() uses, never what its run() uses.
  Job* newest() const { return line_.empty() ? nullptr : line_.back()->job.get(); }
  // True when every job handed in has been applied.
  bool idle() const { return line_.empty(); }
  // True once an apply (or a run) has raised: the sequence has stopped.
  bool stopped() const { return failed_; }
  unsigned workers() const { return static_cast<unsigned>(threads_.size()); }

  // The worker count for "as many as there are cores": hardware_concurrency,
  // at least 1.
  static unsigned coreCount();

 private:
  enum class State { Waiting, Running, Done };
  struct Entry {
    std::unique_ptr<Job> job;
    State state = State::Waiting;
    std::exception_ptr error;
  };

  void workerLoop();
  // Runs and applies a job at once (nothing waits before it).
  void runAndApply(std::unique_ptr<Job> job);
  // Runs the entry's job, keeping what it raises. Called without the lock.
  static void runEntry(Entry& e);
  // Applies the front entry when it is done (or, with wait, after running or
  // waiting for it). Returns false when there was nothing to apply.
  bool applyFront(bool wait);
  // The first entry no worker has taken, or nullptr. REQUIRES: mutex_ held.
  Entry* nextWaiting();

  const size_t maxInFlight_;
  // The line of jobs not yet applied, oldest first. The deque holds pointers so
  // that an entry a worker is running stays put while the line moves.
  std::deque<std::unique_ptr<Entry>> line_;
  size_t firstWaiting_ = 0;  // index in line_ of the first entry not taken (or line_.size())
  bool failed_ = false;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable work_;  // a job was handed in, or the workers must stop
  std::condition_variable done_;  // a job finished running
  std::vector<std::thread> threads_;
};

}  // namespace tessary::util
