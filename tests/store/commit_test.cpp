// Commits of the blog file: a reader that holds the file for a while is waited
// for, and a commit that does not go through is an error that names the file;
// nothing is reported stored that is not.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "store/database.h"
#include "store/table.h"
#include "support/test_support.h"
#include "util/fault_injection.h"

namespace tessary::store {
namespace {

class CommitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.create(dir.file("c.zdb"));
    for (const auto* def : allTableDefs()) db.createTable(*def);
  }
  void TearDown() override { util::disarmFaults(); }

  // Another connection that holds a read lock on the file until released.
  class Reader {
   public:
    explicit Reader(const std::string& file) {
      sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
      sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
      sqlite3_prepare_v2(db_, "SELECT count(*) FROM tblPages", -1, &st_, nullptr);
      held_ = sqlite3_step(st_) == SQLITE_ROW;
    }
    ~Reader() { release(); sqlite3_close(db_); }
    bool held() const { return held_; }
    void release() {
      if (st_) sqlite3_finalize(st_);
      st_ = nullptr;
      sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }

   private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* st_ = nullptr;
    bool held_ = false;
  };

  int64_t pageRows() {
    Statement st = db.prepare("SELECT count(*) FROM tblPages");
    EXPECT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
    return sqlite3_column_int64(st.get(), 0);
  }
  void writeRows(int n) {
    for (int i = 0; i < n; ++i)
      db.exec("INSERT INTO tblPages (PageKey, PageCRCNew) VALUES ('p" + std::to_string(next_++) + ".html', 1)");
  }
  int next_ = 0;

  testing::TempDir dir;
  Database db;
};

TEST_F(CommitTest, ACommitWaitsForAReaderThatLetsGoWithinSeconds) {
  Reader reader(dir.file("c.zdb"));
  ASSERT_TRUE(reader.held());
  db.begin();
  writeRows(20);
  std::thread letGo([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    reader.release();
  });
  EXPECT_NO_THROW(db.commit());
  letGo.join();
  EXPECT_EQ(db.transactionDepth(), 0);
  EXPECT_EQ(pageRows(), 20);
}

TEST_F(CommitTest, ACommitThatStaysBlockedRaisesNamingTheFileAndStoresNothing) {
  Reader reader(dir.file("c.zdb"));
  ASSERT_TRUE(reader.held());
  Transaction tx(db);
  writeRows(5);
  const auto start = std::chrono::steady_clock::now();
  try {
    tx.commit();
    FAIL() << "the commit went through";
  } catch (const StoreError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot commit to blog file c.zdb: ", 0), 0u) << e.what();
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(4500));
  EXPECT_LT(waited, std::chrono::milliseconds(9000));
  reader.release();
  // The connection is usable again and holds none of the rows.
  EXPECT_EQ(db.transactionDepth(), 0);
  EXPECT_EQ(pageRows(), 0);
  db.begin();
  writeRows(2);
  db.commit();
  EXPECT_EQ(pageRows(), 2);
}

TEST_F(CommitTest, AnInjectedCommitFailureIsADiskFullErrorAndOnlyTheOutermostCommitCounts) {
  util::armFault({util::FaultKind::Commit, 2, util::FaultAction::Fail});
  db.begin();
  db.begin();
  writeRows(1);
  db.commit();  // inner: no commit point
  EXPECT_EQ(util::faultCalls(util::FaultKind::Commit), 0);
  db.commit();
  EXPECT_EQ(util::faultCalls(util::FaultKind::Commit), 1);
  db.begin();
  writeRows(3);
  try {
    db.commit();
    FAIL() << "no error";
  } catch (const StoreError& e) {
    EXPECT_STREQ(e.what(), "Cannot commit to blog file c.zdb: database or disk is full");
  }
  EXPECT_EQ(db.transactionDepth(), 0);
  EXPECT_EQ(pageRows(), 1);
}

}  // namespace
}  // namespace tessary::store
