// A program killed inside a commit that grows the blog file leaves the file
// longer than before, its first page already saying how large it will be, and
// the journal of the commit beside it. SQLite rolls such a journal back when it
// opens the file: the blog is sound and must be opened and repaired as such.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "store/maintenance.h"
#include "store/open_blog_fixture.h"
#include "util/files.h"

namespace tessary::store {
namespace {

uint32_t be32(const std::string& b, size_t at) {
  return (uint32_t{static_cast<unsigned char>(b[at])} << 24) | (uint32_t{static_cast<unsigned char>(b[at + 1])} << 16) |
         (uint32_t{static_cast<unsigned char>(b[at + 2])} << 8) | uint32_t{static_cast<unsigned char>(b[at + 3])};
}

void putBe32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
}

class HotJournalTest : public testing::OpenBlogTest {
 protected:
  // Leaves the blog file as a kill in the middle of a large commit does.
  void crashInsideAGrowingCommit() {
    blog_->CloseBlog();
    const pid_t pid = ::fork();
    if (pid == 0) {
      sqlite3* db = nullptr;
      sqlite3_open_v2(blogFile_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
      // A small cache makes SQLite write pages to the file before the commit.
      sqlite3_exec(db, "PRAGMA cache_size = 5; BEGIN;", nullptr, nullptr, nullptr);
      for (int i = 0; i < 200; ++i)
        sqlite3_exec(db, "INSERT INTO tblFiles (BlogFileName, BlogFile) VALUES ('f.bin', randomblob(3000))", nullptr,
                     nullptr, nullptr);
      ::_exit(0);  // killed before the commit ends
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(util::fileExists(blogFile_ + "-journal"));
    // The commit had written its first page: the header promises more pages
    // than the file has.
    std::string bytes = testing::readFile(blogFile_);
    const uint32_t pageSize = (uint32_t{static_cast<unsigned char>(bytes[16])} << 8) |
                              static_cast<unsigned char>(bytes[17]);
    putBe32(bytes, 28, static_cast<uint32_t>(bytes.size() / pageSize) + 40);
    putBe32(bytes, 24, be32(bytes, 24) + 1);
    putBe32(bytes, 92, be32(bytes, 24));
    std::fstream f(blogFile_, std::ios::in | std::ios::out | std::ios::binary);
    f.write(bytes.data(), 100);
  }
  static std::string integrity(const std::string& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    std::string out = sqlite3_step(st) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "?";
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }
};

TEST_F(HotJournalTest, ABlogKilledInsideAGrowingCommitOpensAsItWasBeforeTheCommit) {
  crashInsideAGrowingCommit();
  blog_->OpenBlog(blogFile_);
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
  EXPECT_EQ(blog_->tblFiles().recordCount(), 0);
  blog_->CloseBlog();
  EXPECT_FALSE(util::fileExists(blogFile_ + "-journal"));
  EXPECT_EQ(integrity(blogFile_), "ok");
}

TEST_F(HotJournalTest, ABlogKilledInsideAGrowingCommitIsReadableForExport) {
  crashInsideAGrowingCommit();
  blog_->OpenBlogForReading(blogFile_);
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
}

TEST_F(HotJournalTest, RepairOfABlogKilledInsideACommitRecoversEveryRow) {
  crashInsideAGrowingCommit();
  const RepairResult r = RepairBlog(*blog_, blogFile_);
  EXPECT_TRUE(r.ok) << r.log;
  EXPECT_NE(r.log.find("tblBlog: 3 rows copied, 0 rows lost"), std::string::npos) << r.log;
  EXPECT_FALSE(util::fileExists(blogFile_ + "-journal"));
  blog_->OpenBlog(blogFile_);
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
}

}  // namespace
}  // namespace tessary::store
