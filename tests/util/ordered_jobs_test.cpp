// OrderedJobs: jobs run on any thread and are applied in the order they were
// handed in; a failure stops the sequence at its place; the line stays short.
#include "util/ordered_jobs.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tessary::util {
namespace {

int niceness() { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid))); }

struct Record {
  std::vector<int> applied;
  std::vector<int> discarded;
  std::atomic<int> ran{0};
  std::atomic<int> ranElsewhere{0};
  std::atomic<bool> ranLate{false};  // a job numbered 1000 or more ran
  std::atomic<int> workerNiceness{-100};  // of a worker that ran a job
  int inFlight = 0, maxInFlight = 0;  // handed in, not yet applied (the owner's thread)
  std::thread::id owner = std::this_thread::get_id();
};

// Job i takes a while that varies with i, so later jobs often finish first.
class TestJob : public OrderedJobs::Job {
 public:
  TestJob(Record& r, int i, int failRunAt = -1, int failApplyAt = -1)
      : r_(r), i_(i), failRun_(i == failRunAt), failApply_(i == failApplyAt) {
    r_.maxInFlight = std::max(r_.maxInFlight, ++r_.inFlight);
  }
  void run() override {
    std::this_thread::sleep_for(std::chrono::microseconds((i_ * 7919) % 13 * 40));
    ++r_.ran;
    if (i_ >= 1000) r_.ranLate = true;
    if (std::this_thread::get_id() != r_.owner) {
      ++r_.ranElsewhere;
      r_.workerNiceness = niceness();
    }
    if (failRun_) throw std::runtime_error("run " + std::to_string(i_));
    result_ = i_ * 2;
  }
  void apply() override {
    --r_.inFlight;
    if (failApply_) throw std::runtime_error("apply " + std::to_string(i_));
    EXPECT_EQ(result_, i_ * 2) << "applied before its run finished";
    r_.applied.push_back(i_);
  }
  void discard() noexcept override { r_.discarded.push_back(i_); }
  bool quick() const override { return quick_; }
  bool quick_ = false;

 private:
  Record& r_;
  const int i_;
  const bool failRun_, failApply_;
  int result_ = -1;
};

std::vector<int> upTo(int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(i);
  return v;
}

TEST(OrderedJobsTest, JobsAreAppliedInTheOrderHandedInWhateverThreadRanThem) {
  for (unsigned workers : {0u, 1u, 4u}) {
    Record r;
    {
      OrderedJobs jobs(workers, 8);
      for (int i = 0; i < 300; ++i) {
        // Every third job says it is quick: handed in while the line is
        // empty, it is applied at once, else it keeps its place.
        auto job = std::make_unique<TestJob>(r, i);
        job->quick_ = i % 3 == 0;
        const bool wasIdle = jobs.idle();
        jobs.submit(std::move(job));
        if (i % 3 == 0 && wasIdle) {
          EXPECT_TRUE(jobs.idle()) << "a quick job handed in to an empty line waits";
        }
        EXPECT_LE(r.inFlight, 8) << "the line grew past its bound";
        if (workers == 0) {
          EXPECT_TRUE(jobs.idle()) << "without workers a job is applied when handed in";
        }
      }
      jobs.drain();
      EXPECT_TRUE(jobs.idle());
    }
    EXPECT_EQ(r.applied, upTo(300)) << workers << " workers";
    EXPECT_TRUE(r.discarded.empty());
    EXPECT_EQ(r.ran.load(), 300);
    if (workers == 0) {
      EXPECT_EQ(r.ranElsewhere.load(), 0);
    }
    if (workers == 4) {
      EXPECT_GT(r.ranElsewhere.load(), 0) << "the workers ran nothing";
      // The owner goes first when the threads want more cores than there are.
      EXPECT_EQ(r.workerNiceness.load(), std::min(19, niceness() + 5));
    }
  }
}

TEST(OrderedJobsTest, AFailureStopsTheSequenceAtItsPlace) {
  // A run that throws (job 40) and an apply that throws (job 55), each with
  // and without workers: the jobs before it are applied, none after it, the
  // error comes out at its turn, and the jobs that ran in vain are discarded.
  struct Case {
    int failRunAt, failApplyAt;
    const char* message;
  };
  for (const Case c : {Case{40, -1, "run 40"}, Case{-1, 55, "apply 55"}}) {
    const int stop = c.failRunAt >= 0 ? c.failRunAt : c.failApplyAt;
    for (unsigned workers : {0u, 3u}) {
      Record r;
      std::string caught;
      {
        OrderedJobs jobs(workers, 16);
        try {
          for (int i = 0; i < 200; ++i) jobs.submit(std::make_unique<TestJob>(r, i, c.failRunAt, c.failApplyAt));
          jobs.drain();
        } catch (const std::runtime_error& e) {
          caught = e.what();
        }
        EXPECT_TRUE(jobs.stopped());
        // After the failure, nothing handed in is applied or run (a worker may
        // still finish a job it took before).
        jobs.submit(std::make_unique<TestJob>(r, 1000));
        jobs.drain();
      }
      EXPECT_FALSE(r.ranLate.load()) << workers << " workers";
      EXPECT_EQ(caught, c.message) << workers << " workers";
      EXPECT_EQ(r.applied, upTo(stop)) << workers << " workers";
      // The failed job and every job after it that ran are discarded, once.
      ASSERT_FALSE(r.discarded.empty());
      EXPECT_EQ(r.discarded.front(), stop);
      for (size_t k = 1; k < r.discarded.size(); ++k) EXPECT_GT(r.discarded[k], stop);
      EXPECT_EQ(static_cast<int>(r.discarded.size()), r.ran.load() - stop);
      if (workers == 0) {
        EXPECT_EQ(r.discarded, std::vector<int>{stop});
      }
    }
  }
}

TEST(OrderedJobsTest, TheNewestJobWaitingIsTheLastHandedIn) {
  Record r;
  OrderedJobs jobs(2, 64);
  EXPECT_EQ(jobs.newest(), nullptr);
  TestJob* last = nullptr;
  for (int i = 0; i < 5; ++i) {
    auto job = std::make_unique<TestJob>(r, i);
    last = job.get();
    jobs.submit(std::move(job));
    if (!jobs.idle()) {
      EXPECT_EQ(jobs.newest(), last);
    }
  }
  jobs.drain();
  EXPECT_EQ(jobs.newest(), nullptr);
  EXPECT_EQ(r.applied, upTo(5));
}

}  // namespace
}  // namespace tessary::util
