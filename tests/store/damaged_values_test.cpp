// Values of a blog file that the program did not write: a cell of the wrong
// type reads as its default and is reported; an oversized compressed value is
// refused; every error names the blog file and the row.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "store/media.h"
#include "store/table.h"
#include "support/test_support.h"
#include "util/compression.h"

namespace tessary::store {
namespace {

static_assert(kMaxBlobBytes == kMaxStoredFileBytes, "a stored picture or file must be readable again");

class DamagedValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.create(dir.file("d.zdb"));
    for (const auto* def : allTableDefs()) db.createTable(*def);
  }
  static std::string messageOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const StoreError& e) {
      return e.what();
    }
    return "(no error)";
  }
  void bindBlob(const std::string& sql, const std::string& bytes) {
    Statement st = db.prepare(sql);
    sqlite3_bind_blob64(st.get(), 1, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(st.get()), SQLITE_DONE);
  }
  testing::TempDir dir;
  Database db;
};

TEST_F(DamagedValuesTest, AWronglyTypedCellReadsAsItsDefaultAndIsReportedOnce) {
  db.exec("INSERT INTO tblOptions (OptionKey, OptionName, OptionInteger) VALUES (191, 'Backups to Keep', 'lots')");
  db.exec("INSERT INTO tblBlog (BlogKey, BlogDateTime, BlogTitle) VALUES (95, '9999-99-99 99:99:99.999', 'odd')");
  db.exec("INSERT INTO tblBlog (BlogKey, BlogDateTime, BlogTitle) VALUES (96, '2004-01-01 00:00:00.000', 'fine')");
  Table options(db, optionsTableDef());
  options.open();
  ASSERT_TRUE(options.findKey(FieldValue(191)));
  EXPECT_EQ(options.asInteger("OptionInteger"), 0);
  EXPECT_EQ(options.asInteger("OptionInteger"), 0);
  Table blog(db, blogTableDef());
  blog.open();
  int seen = 0;
  for (blog.first(); !blog.eof(); blog.next()) {
    if (blog.asInteger("BlogKey") == 95) {
      EXPECT_EQ(blog.asDateTime("BlogDateTime"), 0.0);
    }
    ++seen;
  }
  EXPECT_EQ(seen, 2);
  const std::vector<std::string> warnings = db.takeReadWarnings();
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "Damaged integer 'lots' in column OptionInteger of row 1 of tblOptions in blog file d.zdb: "
                          "read as 0",
                          "Damaged date-time '9999-99-99 99:99:99.999' in column BlogDateTime of row 95 of tblBlog "
                          "in blog file d.zdb: read as 1899-12-30 00:00:00"}));
  EXPECT_TRUE(db.takeReadWarnings().empty());
}

TEST_F(DamagedValuesTest, ErrorsNameTheBlogFileAndTheRow) {
  db.exec("INSERT INTO tblCategory (CategoryKey, CategoryTitle) VALUES (4, 'c')");
  Table t(db, categoryTableDef());
  t.open();
  EXPECT_EQ(messageOf([&] { t.asString("CategoryNothing"); }),
            "Field CategoryNothing not found in table tblCategory in blog file d.zdb");
  t.edit();
  EXPECT_EQ(messageOf([&] { t.setString("CategoryNothing", "x"); }),
            "Field CategoryNothing not found in table tblCategory in blog file d.zdb");
  EXPECT_EQ(messageOf([&] { t.setInteger("CategoryKey", 4); t.setString("CategoryKey", "four"); }),
            "'four' is not a valid integer value for field CategoryKey of row 4 of tblCategory in blog file d.zdb");
  t.cancel();
  db.exec("DELETE FROM tblCategory");
  EXPECT_EQ(messageOf([&] { t.asString("CategoryTitle"); }),
            "Row 4 of tblCategory in blog file d.zdb no longer exists");
}

TEST_F(DamagedValuesTest, AMemoThatInflatesBeyondItsLimitIsRefusedNamingTheCell) {
  const std::string bomb = util::zlibCompress(std::string(kMaxMemoBytes + 1, 'a'));
  ASSERT_LT(bomb.size(), 100000u);
  bindBlob("INSERT INTO tblBlog (BlogKey, BlogDateTime, BlogText) VALUES (7, '2004-01-01 00:00:00.000', ?)", bomb);
  const std::string fits = util::zlibCompress(std::string(kMaxMemoBytes, 'b'));
  bindBlob("INSERT INTO tblBlog (BlogKey, BlogDateTime, BlogText) VALUES (8, '2004-01-02 00:00:00.000', ?)", fits);
  Table t(db, blogTableDef());
  t.open();
  t.first();
  EXPECT_EQ(t.asInteger("BlogKey"), 8);
  EXPECT_EQ(t.asString("BlogText").size(), kMaxMemoBytes);
  t.next();
  EXPECT_EQ(messageOf([&] { t.asString("BlogText"); }),
            "Value too large in column BlogText of row 7 of tblBlog in blog file d.zdb: it holds more than 16 MiB, "
            "the limit of a text");
  // A text over the limit is not written either: it could never be read back.
  t.edit();
  EXPECT_EQ(messageOf([&] { t.setString("BlogText", std::string(kMaxMemoBytes + 1, 'c')); }),
            "A text of more than 16 MiB cannot be stored in column BlogText of row 7 of tblBlog in blog file d.zdb");
  t.cancel();
}

}  // namespace
}  // namespace tessary::store
