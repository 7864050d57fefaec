// One writer per blog file: a second program (a child process here) that opens
// a blog another one has open is refused at once, also across a compaction that
// replaces the file, and the lock goes with the process that held it.
#include "store/blog_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "store/maintenance.h"
#include "store/open_blog_fixture.h"
#include "util/files.h"

namespace tessary::store {
namespace {

// Another Tessary program: a child process that runs `open` on a blog of its
// own and then waits until the test lets it go. What it reports: 'y' when the
// open went through, 'n' when it was refused with the in-use message, 'e' for
// any other outcome.
class OtherProgram {
 public:
  OtherProgram(const std::string& file, std::function<void(BlogDb&, const std::string&)> open) {
    if (::pipe(report_) != 0 || ::pipe(hold_) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(report_[0]);
      ::close(hold_[1]);
      char answer = 'e';
      {
        testing::RecordingUI ui;
        BlogDb blog("/nonexistent", ui);
        try {
          open(blog, file);
          answer = 'y';
        } catch (const StoreError& e) {
          answer = std::string(e.what()) == blogInUseMessage(file) ? 'n' : 'e';
        }
        (void)!::write(report_[1], &answer, 1);
        char c;
        (void)!::read(hold_[0], &c, 1);  // until the test lets go
      }
      ::_exit(0);
    }
    ::close(report_[1]);
    ::close(hold_[0]);
    if (::read(report_[0], &answer_, 1) != 1) answer_ = 'e';
  }
  ~OtherProgram() { letGo(); }
  char answer() const { return answer_; }
  void letGo() {
    if (pid_ <= 0) return;
    ::close(hold_[1]);
    ::close(report_[0]);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  void kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    letGo();
  }

 private:
  pid_t pid_ = -1;
  int report_[2] = {-1, -1};
  int hold_[2] = {-1, -1};
  char answer_ = 'e';
};

void openBlog(BlogDb& b, const std::string& f) { b.OpenBlog(f); }
void openForReading(BlogDb& b, const std::string& f) { b.OpenBlogForReading(f); }

class BlogLockTest : public testing::OpenBlogTest {};

TEST_F(BlogLockTest, ASecondProgramIsRefusedWhileTheBlogIsOpenAndLetInAfterItCloses) {
  {
    OtherProgram other(blogFile_, openBlog);
    EXPECT_EQ(other.answer(), 'n');
  }
  {
    OtherProgram reader(blogFile_, openForReading);
    EXPECT_EQ(reader.answer(), 'n');
  }
  blog_->CloseBlog();
  OtherProgram other(blogFile_, openBlog);
  EXPECT_EQ(other.answer(), 'y');
  // Now the other program has it: every way of opening it here is refused.
  try {
    blog_->OpenBlog(blogFile_);
    FAIL() << "opened a blog another program has open";
  } catch (const StoreError& e) {
    EXPECT_EQ(std::string(e.what()), "Blog file " + blogFile_ + " is in use by another Tessary program.");
  }
  EXPECT_FALSE(blog_->isOpen());
  EXPECT_THROW(blog_->OpenBlogForReading(blogFile_), StoreError);
  EXPECT_THROW(RepairBlog(*blog_, blogFile_), StoreError);
  EXPECT_FALSE(util::fileExists(dir_.file("blog.new")));
  other.letGo();
  blog_->OpenBlog(blogFile_);
  EXPECT_TRUE(blog_->isOpen());
}

TEST_F(BlogLockTest, TheLockGoesWithAProcessThatIsKilled) {
  blog_->CloseBlog();
  OtherProgram other(blogFile_, openBlog);
  ASSERT_EQ(other.answer(), 'y');
  other.kill();
  blog_->OpenBlog(blogFile_);
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
}

TEST_F(BlogLockTest, CompactionAndBackupKeepTheBlogLockedAndReopenItThroughTheLock) {
  ASSERT_TRUE(CompactBlog(*blog_));
  {
    OtherProgram other(blogFile_, openBlog);
    EXPECT_EQ(other.answer(), 'n');
  }
  ui_.onBackupDialog = [](BackupSettings&) { return true; };
  ASSERT_TRUE(BackupBlog(*blog_));
  {
    OtherProgram other(blogFile_, openBlog);
    EXPECT_EQ(other.answer(), 'n');
  }
  // A backup copy is a blog file of its own, free to open.
  OtherProgram backup(dir_.file("blog.~1"), openBlog);
  EXPECT_EQ(backup.answer(), 'y');
}

TEST_F(BlogLockTest, RepairHoldsTheFileItReplacesAndLeavesItFree) {
  blog_->CloseBlog();
  const RepairResult r = RepairBlog(*blog_, blogFile_);
  ASSERT_TRUE(r.ok) << r.log;
  OtherProgram other(blogFile_, openBlog);
  EXPECT_EQ(other.answer(), 'y');
}

// What another program gets from SQLite itself (the sqlite3 shell, a process
// of its own): 0 when a read and a write transaction both went through, 1 when
// the read did and the write was busy, 2 when the read failed.
int sqliteAccessFromAnotherProgram(const std::string& file) {
  if (testing::runCommand("sqlite3 -bail '" + file + "' 'SELECT count(*) FROM tblBlog;' >/dev/null 2>&1") != 0) return 2;
  if (testing::runCommand("sqlite3 -bail '" + file + "' 'BEGIN IMMEDIATE; ROLLBACK;' >/dev/null 2>&1") != 0) return 1;
  return 0;
}

TEST_F(BlogLockTest, SQLitesOwnLocksWorkAsBeforeWhileTheBlogIsLocked) {
  EXPECT_EQ(sqliteAccessFromAnotherProgram(blogFile_), 0);
  {
    Transaction tx(blog_->database());
    blog_->tblBlog().insertRecord({FieldValue(), clock_, "pending"});
    EXPECT_EQ(sqliteAccessFromAnotherProgram(blogFile_), 1);  // our write lock holds
    tx.commit();
  }
  EXPECT_EQ(sqliteAccessFromAnotherProgram(blogFile_), 0);
  EXPECT_EQ(blog_->tblBlog().recordCount(), 4);
}

TEST(BlogFileLock, AMissingFileIsLeftToTheOpenThatFollows) {
  testing::TempDir dir;
  BlogFileLock lock;
  EXPECT_NO_THROW(lock.acquire(dir.file("none.zdb")));
  EXPECT_FALSE(lock.held());
  testing::RecordingUI ui;
  BlogDb blog(dir.path(), ui);
  try {
    blog.OpenBlog(dir.file("none.zdb"));
    FAIL();
  } catch (const StoreError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open blog file " + dir.file("none.zdb") + ": the file does not exist");
  }
}

}  // namespace
}  // namespace tessary::store
