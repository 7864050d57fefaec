#include "store/maintenance.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <random>

#include "store/compaction.h"
#include "store/entries.h"
#include "store/open_blog_fixture.h"
#include "util/fault_injection.h"
#include "util/files.h"

namespace tessary::store {
namespace {

using testing::OpenBlogTest;

class MaintenanceTest : public OpenBlogTest {
 protected:
  // Runs a backup with the dialog answering location and count.
  bool backup(const std::string& location, int keep) {
    ui_.onBackupDialog = [=](BackupSettings& s) {
      s.location = location;
      s.backupsToKeep = keep;
      return true;
    };
    return BackupBlog(*blog_);
  }
  void addEntries(int n, size_t textSize = 40) {
    std::mt19937 rng(42);
    Table& t = blog_->tblBlog();
    Transaction tx(blog_->database());
    for (int i = 0; i < n; ++i) {
      std::string text(textSize, ' ');
      for (char& c : text) c = static_cast<char>('a' + rng() % 26);
      t.insertRecord({FieldValue(), clock_ + i / 1440.0, "Entry " + std::to_string(i), text, -1});
    }
    tx.commit();
  }
  static int entriesIn(const std::string& file) {
    testing::RecordingUI ui;
    BlogDb other("/nonexistent", ui);
    other.OpenBlogForReading(file);
    return other.tblBlog().recordCount();
  }
  std::vector<std::string> backupsIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& f : util::listFiles(folder))
      if (f.find(".~") != std::string::npos) out.push_back(f);
    return out;
  }
};

TEST_F(MaintenanceTest, BackupsToKeep3) {
  const std::string folder = dir_.file("backups");
  ASSERT_TRUE(backup(folder, 3));
  EXPECT_EQ(backupsIn(folder), std::vector<std::string>{"blog.~1"});
  EXPECT_EQ(ui_.messages.back(), "File backup was successfully.");
  for (int i = 0; i < 3; ++i) {
    addEntries(1);
    ASSERT_TRUE(backup(folder, 3));
  }
  EXPECT_EQ(backupsIn(folder), (std::vector<std::string>{"blog.~1", "blog.~2", "blog.~3"}));
  EXPECT_EQ(entriesIn(folder + "/blog.~1"), 6);  // the newest
  EXPECT_EQ(entriesIn(folder + "/blog.~2"), 5);
  EXPECT_EQ(entriesIn(folder + "/blog.~3"), 4);
  EXPECT_TRUE(blog_->isOpen());
  EXPECT_EQ(blog_->tblBlog().recordCount(), 6);
  EXPECT_EQ(blog_->options().BackupsToKeep, 3);
  EXPECT_EQ(blog_->options().BackupLocation, folder);
}

TEST_F(MaintenanceTest, ARenameThatFailsDuringTheRotationIsSkipped) {
  const std::string folder = dir_.file("r");
  ASSERT_TRUE(backup(folder, 5));
  // blog.~2 cannot be replaced by a rename: it is a folder with something in it.
  ASSERT_TRUE(util::createDirectories(folder + "/blog.~2/x").ok());
  addEntries(1);
  ASSERT_TRUE(backup(folder, 5));
  EXPECT_EQ(entriesIn(folder + "/blog.~1"), 4);  // the new backup still went in
  EXPECT_TRUE(util::directoryExists(folder + "/blog.~2"));
}

TEST_F(MaintenanceTest, ALoweredCountTakesEffectFromTheNextBackup) {
  const std::string folder = dir_.file("b");
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(backup(folder, 5));
  EXPECT_EQ(backupsIn(folder).size(), 5u);
  ASSERT_TRUE(backup(folder, 2));
  EXPECT_EQ(backupsIn(folder).size(), 5u);
  // The new count was saved in the blog file.
  blog_->OpenBlog(blogFile_);
  EXPECT_EQ(blog_->options().BackupsToKeep, 2);
  ASSERT_TRUE(backup(folder, 2));
  EXPECT_EQ(backupsIn(folder), (std::vector<std::string>{"blog.~1", "blog.~2"}));
}

TEST_F(MaintenanceTest, TheBackupIsACompactedBlogFileWithProgressInThePopup) {
  addEntries(200, 2000);
  {
    Table& t = blog_->tblBlog();
    Transaction tx(blog_->database());
    for (t.first(); t.recordCount() > 10;) t.deleteRow();
    tx.commit();
  }
  ui_.status.clear();
  ASSERT_TRUE(backup(dir_.path(), 5));
  const std::string copy = dir_.file("blog.~1");
  EXPECT_LT(util::fileSize(copy), util::fileSize(blogFile_));
  EXPECT_EQ(entriesIn(copy), 10);
  ASSERT_GE(ui_.status.size(), 3u);
  EXPECT_EQ(ui_.status.front(), "Compacting Blog File ");
  EXPECT_EQ(ui_.status[1], "Compacting Blog File 0%");
  EXPECT_EQ(ui_.status[ui_.status.size() - 2], "Compacting Blog File 100%");
  EXPECT_EQ(ui_.status.back(), "Compacting Blog File complete");
  EXPECT_FALSE(ui_.statusOpen);
  EXPECT_FALSE(util::fileExists(copy + ".tmp"));
}

TEST_F(MaintenanceTest, OnlyTheLastExtensionIsReplaced) {
  const std::string file = dir_.file("My.Blog.zdb");
  ASSERT_TRUE(util::copyFileAtomic(blogFile_, file).ok());
  blog_->OpenBlog(file);
  ASSERT_TRUE(backup(dir_.path(), 5));
  EXPECT_TRUE(util::fileExists(dir_.file("My.Blog.~1")));
  EXPECT_EQ(backupFileName("/x/noext", 3), "/x/noext.~3");
}

TEST_F(MaintenanceTest, MissingFoldersAreCreatedAndAnImpossibleOneCancels) {
  ASSERT_TRUE(backup(dir_.file("a/b/c"), 5));
  EXPECT_TRUE(util::fileExists(dir_.file("a/b/c/blog.~1")));

  testing::writeFile(dir_.file("plain"), "a file, not a folder");
  const BlogOptionsRec before = blog_->options();
  EXPECT_FALSE(backup(dir_.file("plain/sub"), 7));
  EXPECT_EQ(ui_.messages.back(), "File backup cancelled. Unable to create directory: " + dir_.file("plain/sub") + "/");
  EXPECT_EQ(blog_->options(), before);
  blog_->OpenBlog(blogFile_);
  EXPECT_EQ(blog_->options().BackupsToKeep, 5);

  ui_.onBackupDialog = [](BackupSettings&) { return false; };
  EXPECT_FALSE(BackupBlog(*blog_));
  EXPECT_EQ(blog_->options(), before);
}

TEST_F(MaintenanceTest, AFailedBackupCopyReopensTheBlog) {
  // A folder where the copy's temporary file must go makes the store step fail.
  ASSERT_TRUE(util::createDirectories(dir_.file("blog.~1.tmp/inside")).ok());
  ui_.onBackupDialog = [](BackupSettings&) { return true; };
  EXPECT_THROW(BackupBlog(*blog_), StoreError);
  EXPECT_TRUE(blog_->isOpen());
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
  EXPECT_FALSE(ui_.statusOpen);
  EXPECT_FALSE(util::fileExists(dir_.file("blog.~1")));
}

// Three backups holding 5, 4 and 3 entries (blog.~1 the newest), and the blog
// with one entry more.
class BackupRotationTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    folder_ = dir_.file("bk");
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(backup(folder_, 3));
      addEntries(1);
    }
    ASSERT_EQ(countsByBackup(), (std::map<std::string, int>{{"blog.~1", 5}, {"blog.~2", 4}, {"blog.~3", 3}}));
  }
  std::map<std::string, int> countsByBackup() {
    std::map<std::string, int> out;
    for (const auto& f : backupsIn(folder_))
      if (f.size() == 7) out[f] = entriesIn(folder_ + "/" + f);
    return out;
  }
  static bool holds(const std::map<std::string, int>& backups, int entries) {
    for (const auto& [name, n] : backups)
      if (n == entries) return true;
    return false;
  }
  std::string folder_;
};

TEST_F(BackupRotationTest, ABackupWhoseCopyFailsLeavesEveryOlderBackupWhereItWas) {
  ASSERT_TRUE(util::createDirectories(folder_ + "/blog.~1.tmp/inside").ok());
  EXPECT_THROW(backup(folder_, 3), StoreError);
  EXPECT_EQ(countsByBackup(), (std::map<std::string, int>{{"blog.~1", 5}, {"blog.~2", 4}, {"blog.~3", 3}}));
  EXPECT_TRUE(blog_->isOpen());
}

// Kill trials: a backup stopped at each of its renames and deletions never
// loses one of the backups that the finished rotation keeps.
TEST_F(BackupRotationTest, ABackupKilledAtAnyStepKeepsTheOlderBackups) {
  blog_->CloseBlog();
  const std::string saved = dir_.file("saved");
  ASSERT_TRUE(util::createDirectories(saved).ok());
  for (const auto& f : backupsIn(folder_)) ASSERT_TRUE(util::copyFileAtomic(folder_ + "/" + f, saved + "/" + f).ok());
  int trials = 0;
  for (const util::FaultKind kind : {util::FaultKind::FileRename, util::FaultKind::Delete}) {
    for (int at = 1; at < 100; ++at) {
      for (const auto& f : util::listFiles(folder_)) ASSERT_TRUE(util::removeFile(folder_ + "/" + f).ok());
      for (const auto& f : util::listFiles(saved)) ASSERT_TRUE(util::copyFileAtomic(saved + "/" + f, folder_ + "/" + f).ok());
      const pid_t pid = ::fork();
      if (pid == 0) {
        util::armFault({kind, at, util::FaultAction::Exit, 9});
        testing::RecordingUI ui;
        ui.onBackupDialog = [](BackupSettings&) { return true; };
        BlogDb b(dir_.path(), ui);
        b.OpenBlog(blogFile_);
        ::_exit(BackupBlog(b) ? 0 : 1);
      }
      int status = 0;
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      ASSERT_TRUE(WIFEXITED(status));
      const std::map<std::string, int> after = countsByBackup();
      EXPECT_TRUE(holds(after, 5) && holds(after, 4)) << "killed at " << at;
      EXPECT_EQ(entriesIn(blogFile_), 6);
      if (WEXITSTATUS(status) == 0) {
        EXPECT_EQ(after, (std::map<std::string, int>{{"blog.~1", 6}, {"blog.~2", 5}, {"blog.~3", 4}}));
        break;
      }
      ASSERT_EQ(WEXITSTATUS(status), 9);
      ++trials;
    }
  }
  RecordProperty("kill_trials", trials);
}

TEST_F(MaintenanceTest, CompactionShrinksTheFileAndReopensIt) {
  addEntries(300, 3000);
  {
    Table& t = blog_->tblBlog();
    Transaction tx(blog_->database());
    for (t.first(); t.recordCount() > 3;) t.deleteRow();
    tx.commit();
  }
  const int64_t before = util::fileSize(blogFile_);
  ui_.status.clear();
  ASSERT_TRUE(CompactBlog(*blog_));
  EXPECT_LT(util::fileSize(blogFile_), before / 4);
  EXPECT_TRUE(blog_->isOpen());
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
  EXPECT_EQ(ui_.messages.back(), "File compress was successfully.");
  EXPECT_EQ(ui_.status.back(), "Compacting Blog File complete");
  EXPECT_FALSE(util::fileExists(blogFile_ + ".tmp"));
}

TEST_F(MaintenanceTest, AFailedCompactionLeavesTheFileAndReopensIt) {
  const std::string bytes = testing::readFile(blogFile_);
  ASSERT_TRUE(util::createDirectories(blogFile_ + ".tmp/inside").ok());
  EXPECT_THROW(CompactBlog(*blog_), StoreError);
  EXPECT_TRUE(blog_->isOpen());
  blog_->CloseBlog();
  EXPECT_EQ(testing::readFile(blogFile_), bytes);
}

TEST_F(MaintenanceTest, RepairRefusesOtherExtensionsAndAcceptsAnyCase) {
  const std::string bak = dir_.file("blog.zdb.bak");
  ASSERT_TRUE(util::copyFileAtomic(blogFile_, bak).ok());
  const RepairResult refused = RepairBlog(*blog_, bak);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(ui_.messages.back(), "File selected is not a version 2 Tessary file.");
  EXPECT_TRUE(ui_.status.empty());
  EXPECT_TRUE(blog_->isOpen());  // nothing happened

  const std::string upper = dir_.file("Blog.ZDB");
  ASSERT_TRUE(util::copyFileAtomic(blogFile_, upper).ok());
  testing::writeFile(dir_.file("Blog.old"), "an older damaged file");
  const std::string original = testing::readFile(upper);
  const RepairResult r = RepairBlog(*blog_, upper);
  EXPECT_TRUE(r.ok) << r.log;
  EXPECT_FALSE(blog_->isOpen());
  EXPECT_EQ(ui_.messages.back(), "All data repaired successfully.");
  // An earlier repair's copy stays; this one's goes to the next free number.
  EXPECT_EQ(testing::readFile(dir_.file("Blog.old")), "an older damaged file");
  EXPECT_EQ(testing::readFile(dir_.file("Blog.old1")), original);
  EXPECT_FALSE(util::fileExists(dir_.file("Blog.new")));
  EXPECT_NE(r.log.find("tblBlog: 3 rows copied, 0 rows lost"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("tblOptions: 77 rows copied, 0 rows lost"), std::string::npos) << r.log;
  EXPECT_EQ(ui_.status.front(), "Repairing Blog File ");
  EXPECT_EQ(ui_.status.back(), "Repairing Blog File complete");
  blog_->OpenBlog(upper);
  EXPECT_EQ(blog_->tblBlog().recordCount(), 3);
  EXPECT_EQ(blog_->fileVersion(), 85);
}

TEST_F(MaintenanceTest, RepairOfAFileThatIsNoDatabaseFailsWithALog) {
  const std::string junk = dir_.file("junk.zdb");
  testing::writeFile(junk, std::string(8192, 'x'));
  const RepairResult r = RepairBlog(*blog_, junk);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.log.find("not a database"), std::string::npos) << r.log;
  EXPECT_EQ(ui_.messages.back(), "Some problems could not be repaired. See repair log:" + r.log);
  EXPECT_EQ(testing::readFile(junk), std::string(8192, 'x'));
  EXPECT_FALSE(util::fileExists(dir_.file("junk.new")));
  EXPECT_FALSE(util::fileExists(dir_.file("junk.old")));
  EXPECT_FALSE(ui_.statusOpen);

  const RepairResult missing = RepairBlog(*blog_, dir_.file("gone.zdb"));
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.log.find("does not exist"), std::string::npos);
}

// The damage a failing disk does: a run of pages in the middle of the entries
// overwritten. Every row SQLite can still read comes back, the rest is counted.
TEST_F(MaintenanceTest, RepairRecoversEveryReadableRowOfADamagedFile) {
  constexpr int kRows = 3000;
  addEntries(kRows, 300);
  std::map<int32_t, std::string> texts;
  Table& t = blog_->tblBlog();
  for (t.first(); !t.eof(); t.next()) texts[t.asInteger("BlogKey")] = t.asString("BlogText");
  // Compaction lays each table's pages out in one stretch, then its index.
  ASSERT_TRUE(CompactBlog(*blog_));
  blog_->CloseBlog();

  const int pageSize = 4096;
  const int64_t size = util::fileSize(blogFile_);
  ASSERT_GT(size, 150 * pageSize);
  {
    std::fstream f(blogFile_, std::ios::in | std::ios::out | std::ios::binary);
    std::mt19937 rng(7);
    std::string garbage(static_cast<size_t>(8 * pageSize), '\0');
    for (char& c : garbage) c = static_cast<char>(rng());
    f.seekp(60 * pageSize);
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  const std::string damaged = testing::readFile(blogFile_);

  // What an independent reader can still get, row by row.
  int readable = 0;
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(blogFile_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT length(BlogText) FROM tblBlog WHERE rowid = ?", -1, &st, nullptr),
              SQLITE_OK);
    for (const auto& [key, text] : texts) {
      sqlite3_reset(st);
      sqlite3_bind_int64(st, 1, key);
      if (sqlite3_step(st) == SQLITE_ROW) ++readable;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
  ASSERT_LT(readable, kRows + 3);
  ASSERT_GT(readable, 0);

  ui_.status.clear();
  const RepairResult r = RepairBlog(*blog_, blogFile_);
  EXPECT_FALSE(r.ok);
  ASSERT_FALSE(r.tables.empty());
  const RepairTableCount& blogCount = r.tables[0];
  EXPECT_EQ(blogCount.table, "tblBlog");
  EXPECT_EQ(blogCount.copied, readable);
  EXPECT_EQ(blogCount.copied + blogCount.lost, kRows + 3);
  const std::string line = "tblBlog: " + std::to_string(blogCount.copied) + " rows copied, " +
                           std::to_string(blogCount.lost) + " rows lost";
  EXPECT_NE(r.log.find(line), std::string::npos) << r.log;
  EXPECT_EQ(ui_.messages.back(), "Some problems could not be repaired. See repair log:" + r.log);
  EXPECT_EQ(ui_.status[ui_.status.size() - 2], "Repairing Blog File 100%");
  EXPECT_EQ(ui_.status.back(), "Repairing Blog File complete");
  EXPECT_FALSE(ui_.statusOpen);

  // The damaged file is left alone; what could be read waits in blog.new.
  EXPECT_EQ(testing::readFile(blogFile_), damaged);
  const std::string work = dir_.file("blog.new");
  ASSERT_TRUE(util::fileExists(work));
  EXPECT_NE(r.log.find(work), std::string::npos);
  blog_->OpenBlog(work);
  Table& rt = blog_->tblBlog();
  EXPECT_EQ(rt.recordCount(), readable);
  for (rt.first(); !rt.eof(); rt.next()) {
    const int32_t key = rt.asInteger("BlogKey");
    ASSERT_TRUE(texts.count(key));
    EXPECT_EQ(rt.asString("BlogText"), texts[key]);
  }
  // Keys are never given out twice, even for the lost rows.
  ui_.onEntryEditor = [](BlogRec&, bool) { return true; };
  ASSERT_TRUE(AddEntry(*blog_));
  EXPECT_GT(blog_->tblBlog().asInteger("BlogKey"), texts.rbegin()->first);
}

}  // namespace
}  // namespace tessary::store
