#include "util/ordered_jobs.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tessary::util {

namespace {
// A sleeping worker is woken once this many jobs wait for one: waking a thread
// for every short job costs more than the job. Whoever waits for a job that no
// worker took runs it itself, so nothing waits for a wake-up that never comes.
constexpr size_t kWakeBatch = 4;

// How much nicer than the owner a worker runs. The owner is the one thread
// whose work has an order, and the jobs wait for it: when the workers and the
// owner want more cores than there are, the owner goes first (on two cores
// this took a tenth off a run over a large blog, where the owner lost a core's
// share to the workers). The workers still take every core the owner leaves.
constexpr int kWorkerNiceness = 5;

void runNicer() {
#ifdef __linux__
  // On Linux a thread has a niceness of its own, set by its thread id.
  const auto self = static_cast<id_t>(::syscall(SYS_gettid));
  errno = 0;
  const int now = ::getpriority(PRIO_PROCESS, self);
  if (errno == 0) (void)::setpriority(PRIO_PROCESS, self, std::min(19, now + kWorkerNiceness));
#endif
}
}  // namespace

OrderedJobs::OrderedJobs(unsigned workers, size_t maxInFlight) : maxInFlight_(std::max<size_t>(1, maxInFlight)) {
  threads_.reserve(workers);
  for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { workerLoop(); });
}

OrderedJobs::~OrderedJobs() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& t : threads_) t.join();
  for (const auto& e : line_)
    if (e->state == State::Done) e->job->discard();
}

unsigned OrderedJobs::coreCount() { return std::max(1u, std::thread::hardware_concurrency()); }

OrderedJobs::Entry* OrderedJobs::nextWaiting() {
  if (firstWaiting_ >= line_.size()) return nullptr;
  Entry* e = line_[firstWaiting_].get();
  e->state = State::Running;
  ++firstWaiting_;
  return e;
}

void OrderedJobs::runEntry(Entry& e) {
  try {
    e.job->run();
  } catch (...) {
    e.error = std::current_exception();
  }
}

void OrderedJobs::workerLoop() {
  runNicer();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || firstWaiting_ < line_.size(); });
    if (stopping_) return;
    Entry* e = nextWaiting();
    lock.unlock();
    runEntry(*e);
    lock.lock();
    e->state = State::Done;
    done_.notify_all();
  }
}

bool OrderedJobs::applyFront(bool wait) {
  if (line_.empty()) return false;
  std::unique_ptr<Entry> entry;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    Entry* front = line_.front().get();
    if (front->state != State::Done && wait) work_.notify_all();
    while (front->state != State::Done) {
      if (!wait) return false;
      // Rather than sleep, the owner runs a job no worker has taken yet: the
      // front itself when it is still waiting.
      if (Entry* e = nextWaiting()) {
        lock.unlock();
        runEntry(*e);
        lock.lock();
        e->state = State::Done;
      } else {
        done_.wait(lock);
      }
    }
    entry = std::move(line_.front());
    line_.pop_front();
    --firstWaiting_;  // the front had been taken
  }
  try {
    if (entry->error) std::rethrow_exception(entry->error);
    entry->job->apply();
  } catch (...) {
    failed_ = true;
    entry->job->discard();
    throw;
  }
  return true;
}

void OrderedJobs::runAndApply(std::unique_ptr<Job> job) {
  Entry e;
  e.job = std::move(job);
  e.state = State::Done;
  runEntry(e);
  try {
    if (e.error) std::rethrow_exception(e.error);
    e.job->apply();
  } catch (...) {
    failed_ = true;
    e.job->discard();
    throw;
  }
}

void OrderedJobs::submit(std::unique_ptr<Job> job) {
  if (failed_) return;
  if (threads_.empty()) return runAndApply(std::move(job));
  while (applyFront(false)) {
  }
  if (line_.empty() && job->quick()) return runAndApply(std::move(job));
  while (line_.size() >= maxInFlight_) applyFront(true);
  auto entry = std::make_unique<Entry>();
  entry->job = std::move(job);
  bool wake = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    line_.push_back(std::move(entry));
    wake = line_.size() - firstWaiting_ >= kWakeBatch;
  }
  if (wake) work_.notify_one();
}

void OrderedJobs::drain() {
  if (failed_) return;
  while (applyFront(true)) {
  }
}

}  // namespace tessary::util
