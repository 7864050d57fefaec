// Repair against the damage blog files really suffer: pages of a table and of
// its index overwritten, a copy cut short, cells of the wrong type, a value
// that inflates without end. Every row any reader can still get comes back,
// the loss is counted exactly, and what was changed is said.
#include "store/repair.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <random>
#include <set>

#include "store/maintenance.h"
#include "store/open_blog_fixture.h"
#include "util/compression.h"
#include "util/files.h"

namespace tessary::store {
namespace {

class RepairTest : public testing::OpenBlogTest {
 protected:
  void addEntries(int n) {
    std::mt19937 rng(3);
    Table& t = blog_->tblBlog();
    Transaction tx(blog_->database());
    for (int i = 0; i < n; ++i) {
      std::string text(300, ' ');
      for (char& c : text) c = static_cast<char>('a' + rng() % 26);
      t.insertRecord({FieldValue(), clock_ + i / 1440.0, "Entry " + std::to_string(i), text, -1});
    }
    tx.commit();
  }
  std::vector<int64_t> pagesOf(const std::string& name) {
    std::vector<int64_t> out;
    sqlite3* db = nullptr;
    sqlite3_open_v2(blogFile_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name = ? AND pagetype = 'leaf' ORDER BY pageno", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) out.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }
  void overwritePage(int64_t page, unsigned seed) {
    std::mt19937 rng(seed);
    std::string garbage(4096, '\0');
    for (char& c : garbage) c = static_cast<char>(rng());
    std::fstream f(blogFile_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp((page - 1) * 4096);
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  // The keys an independent reader still gets, asking for each row by key.
  std::set<int64_t> readableKeys(const std::string& file, int64_t maxKey) {
    std::set<int64_t> out;
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT BlogText FROM tblBlog WHERE rowid = ?", -1, &st, nullptr);
    for (int64_t k = 1; k <= maxKey; ++k) {
      sqlite3_reset(st);
      sqlite3_bind_int64(st, 1, k);
      if (sqlite3_step(st) == SQLITE_ROW && sqlite3_step(st) == SQLITE_DONE) out.insert(k);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }
  const RepairTableCount& countOf(const RepairResult& r, const std::string& table) {
    for (const auto& c : r.tables)
      if (c.table == table) return c;
    static RepairTableCount none;
    return none;
  }
  void rawExec(const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(blogFile_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
};

TEST_F(RepairTest, EveryRowAnyWalkReachesIsCopiedAndTheLossIsCountedExactly) {
  constexpr int kAdded = 2000;
  addEntries(kAdded);
  ASSERT_TRUE(CompactBlog(*blog_));
  blog_->CloseBlog();
  const std::vector<int64_t> table = pagesOf("tblBlog");
  const std::vector<int64_t> index = pagesOf("tblBlog_DisplayKey");
  ASSERT_GT(table.size(), 100u);
  ASSERT_GT(index.size(), 4u);
  for (const double at : {0.1, 0.4, 0.7}) overwritePage(table[static_cast<size_t>(at * table.size())], 11);
  overwritePage(index[index.size() / 2], 12);
  const std::set<int64_t> readable = readableKeys(blogFile_, kAdded + 3);
  ASSERT_LT(readable.size(), static_cast<size_t>(kAdded + 3));

  const RepairResult r = RepairBlog(*blog_, blogFile_);
  EXPECT_FALSE(r.ok);
  const RepairTableCount& c = countOf(r, "tblBlog");
  EXPECT_EQ(c.copied, static_cast<int64_t>(readable.size())) << r.log;
  EXPECT_EQ(c.lost, kAdded + 3 - static_cast<int64_t>(readable.size())) << r.log;
  EXPECT_EQ(readableKeys(dir_.file("blog.new"), kAdded + 3), readable);
}

TEST_F(RepairTest, ABlogFileCutShortIsRecoveredAsFarAsItGoes) {
  addEntries(1000);
  ASSERT_TRUE(CompactBlog(*blog_));
  blog_->CloseBlog();
  const std::string whole = testing::readFile(blogFile_);
  testing::writeFile(blogFile_, whole.substr(0, whole.size() - 4096));
  const std::set<int64_t> readable = readableKeys(blogFile_, 1003);

  const RepairResult r = RepairBlog(*blog_, blogFile_);
  EXPECT_EQ(r.log.find("cannot be read"), std::string::npos) << r.log;
  const RepairTableCount& c = countOf(r, "tblBlog");
  EXPECT_TRUE(c.found) << r.log;
  EXPECT_GE(c.copied, 900) << r.log;
  EXPECT_GE(c.copied, static_cast<int64_t>(readable.size()));
  EXPECT_EQ(countOf(r, "tblOptions").copied + countOf(r, "tblOptions").lost, 77) << r.log;
}

TEST_F(RepairTest, AWronglyTypedCellIsReportedAndWrittenAsItsDefault) {
  blog_->CloseBlog();
  rawExec("UPDATE tblOptions SET OptionInteger = 'lots' WHERE OptionKey = 191;"
          "UPDATE tblBlog SET BlogDateTime = '9999-99-99 99:99:99.999' WHERE rowid = 2");
  const RepairResult r = RepairBlog(*blog_, blogFile_);
  EXPECT_TRUE(r.ok) << r.log;
  EXPECT_NE(r.log.find("tblOptions: row "), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("column OptionInteger: 'lots' is not an integer; 0 written"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("tblBlog: row 2, column BlogDateTime: '9999-99-99 99:99:99.999' is not a date-time; "
                       "1899-12-30 00:00:00 written"),
            std::string::npos)
      << r.log;
  EXPECT_NE(ui_.messages.back().find("All data repaired successfully."), std::string::npos);
  EXPECT_NE(ui_.messages.back().find("'lots'"), std::string::npos) << ui_.messages.back();
  blog_->OpenBlog(blogFile_);
  EXPECT_TRUE(blog_->database().takeReadWarnings().empty());
  Statement st = blog_->database().prepare("SELECT typeof(OptionInteger) FROM tblOptions WHERE OptionKey = 191");
  ASSERT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)), "integer");
}

TEST_F(RepairTest, AValueThatInflatesBeyondItsLimitIsEmptiedAndReported) {
  blog_->CloseBlog();
  const std::string bomb = util::zlibCompress(std::string(kMaxMemoBytes + 1, 'a'));
  {
    sqlite3* db = nullptr;
    sqlite3_open_v2(blogFile_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tblBlog SET BlogText = ? WHERE rowid = 3", -1, &st, nullptr);
    sqlite3_bind_blob64(st, 1, bomb.data(), bomb.size(), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
  const RepairResult r = RepairBlog(*blog_, blogFile_);
  EXPECT_TRUE(r.ok) << r.log;
  EXPECT_NE(r.log.find("tblBlog: row 3, column BlogText: more than 16 MiB; left empty"), std::string::npos) << r.log;
  blog_->OpenBlog(blogFile_);
  ASSERT_TRUE(blog_->tblBlog().gotoBookmark(3));
  EXPECT_EQ(blog_->tblBlog().asString("BlogText"), "");
}

}  // namespace
}  // namespace tessary::store
