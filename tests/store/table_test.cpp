#include "store/table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "store/blog_db.h"
#include "support/test_support.h"
#include "util/compression.h"
#include "util/digest.h"

namespace tessary::store {
namespace {

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.create(dir.file("t.zdb"));
    for (const auto* def : allTableDefs()) db.createTable(*def);
  }
  testing::TempDir dir;
  Database db;
};

TEST_F(TableTest, EqualTimesAreBothListedNewestInsertionFirst) {
  Table t(db, blogTableDef());
  t.open();
  EXPECT_TRUE(t.eof());
  EXPECT_TRUE(t.bof());
  const double when = util::encodeDate(2004, 3, 2);
  t.insertRecord({FieldValue(), when, "first"});
  t.insertRecord({FieldValue(), when, "second"});
  t.insertRecord({FieldValue(), when - 1, "older"});
  t.insertRecord({FieldValue(), when + 1, "newer"});
  std::vector<std::string> titles;
  for (t.first(); !t.eof(); t.next()) titles.push_back(t.asString("BlogTitle"));
  EXPECT_EQ(titles, (std::vector<std::string>{"newer", "second", "first", "older"}));
  t.last();
  EXPECT_EQ(t.asString("BlogTitle"), "older");
  t.prior();
  EXPECT_EQ(t.asString("BlogTitle"), "first");
  EXPECT_EQ(t.recordCount(), 4);
  // Null columns read as empty text and 0.
  EXPECT_EQ(t.asInteger("BlogCategory"), 0);
  EXPECT_EQ(t.asString("BlogText"), "");
  EXPECT_TRUE(t.isNull("BlogCategory2"));
}

TEST_F(TableTest, TheDigestOfARowDoesNotDependOnTheRowReadBefore) {
  // The oldest row leaves its category a null the newer one fills: the
  // digest of the older row is the same after either was read.
  Table t(db, blogTableDef());
  t.open();
  t.insertRecord({FieldValue(), util::encodeDate(2004, 1, 1), "old"});
  t.insertRecord({FieldValue(), util::encodeDate(2004, 1, 2), "new"});
  t.first();
  t.edit();
  t.setInteger("BlogCategory", 7);
  t.setString("BlogText", "some text");
  t.post();
  auto digestOfOldest = [&] {
    t.last();
    util::Digest d;
    t.addStoredRow(d);
    return d.value();
  };
  t.first();
  EXPECT_EQ(t.asInteger("BlogCategory"), 7);
  const uint64_t afterNewest = digestOfOldest();
  Table fresh(db, blogTableDef());
  fresh.open();
  fresh.last();
  util::Digest d;
  fresh.addStoredRow(d);
  EXPECT_EQ(d.value(), afterNewest);
  t.first();
  util::Digest newest;
  t.addStoredRow(newest);
  EXPECT_NE(newest.value(), afterNewest);
}

TEST_F(TableTest, ReadAheadGivesTheRowsAsStoredInBothDirectionsAndAfterWrites) {
  // More rows than one batch reads, walked both ways; writes made through the
  // table or through another one on the same file are seen at once.
  Table t(db, blogTableDef());
  t.open();
  const int n = 75;
  for (int i = 0; i < n; ++i)
    t.insertRecord({FieldValue(), util::encodeDate(2004, 1, 1) + i, "t" + std::to_string(i), "text " + std::to_string(i)});
  auto walk = [&](bool forward) {
    std::string seen;
    for (forward ? t.first() : t.last(); forward ? !t.eof() : !t.bof(); forward ? t.next() : t.prior())
      seen += t.asString("BlogTitle") + "=" + t.asString("BlogText") + ";";
    return seen;
  };
  const std::string forward = walk(true), backward = walk(false);
  Table::ReadAheadScope ahead(t);
  EXPECT_EQ(walk(true), forward);
  EXPECT_EQ(walk(false), backward);

  Table other(db, blogTableDef());
  other.open();
  t.first();
  t.next();  // the second newest row, read with the rows after it
  EXPECT_EQ(t.asString("BlogTitle"), "t73");
  other.first();
  other.next();
  other.next();
  other.edit();
  other.setString("BlogTitle", "changed elsewhere");
  other.post();
  t.next();
  EXPECT_EQ(t.asString("BlogTitle"), "changed elsewhere");
  t.last();
  t.prior();
  t.edit();
  t.setString("BlogText", "changed here");
  t.post();
  t.first();
  (void)t.asString("BlogTitle");
  t.last();
  t.prior();
  EXPECT_EQ(t.asString("BlogText"), "changed here");
  other.first();
  other.deleteRow();
  std::string seen;
  for (t.first(); !t.eof(); t.next()) seen += t.asString("BlogTitle") + ";";
  EXPECT_EQ(seen.find("t74;"), std::string::npos);
  EXPECT_NE(seen.find("t73;"), std::string::npos);
}

TEST_F(TableTest, EditPostDeleteAndBookmarks) {
  Table t(db, blogTableDef());
  t.open();
  for (int i = 0; i < 5; ++i) t.insertRecord({FieldValue(), util::encodeDate(2004, 1, 1 + i), "e" + std::to_string(i)});
  t.first();
  t.next();  // e3
  const auto mark = t.bookmark();
  EXPECT_EQ(t.asString("BlogTitle"), "e3");
  t.edit();
  t.setString("BlogText", "changed text");
  t.setDateTime("BlogDateTime", util::encodeDate(2005, 1, 1));  // moves the row to the top
  t.post();
  EXPECT_EQ(t.asString("BlogTitle"), "e3");
  t.first();
  EXPECT_EQ(t.asString("BlogTitle"), "e3");
  EXPECT_EQ(t.asString("BlogText"), "changed text");
  t.last();
  ASSERT_TRUE(t.gotoBookmark(mark));
  EXPECT_EQ(t.asString("BlogTitle"), "e3");
  t.next();
  EXPECT_EQ(t.asString("BlogTitle"), "e4");
  t.deleteRow();  // the next row becomes current
  EXPECT_EQ(t.asString("BlogTitle"), "e2");
  t.last();
  t.deleteRow();  // at the end, the prior row
  EXPECT_EQ(t.asString("BlogTitle"), "e1");
  EXPECT_EQ(t.recordCount(), 3);
  EXPECT_FALSE(t.gotoBookmark(987654));
  EXPECT_THROW(t.setString("BlogTitle", "x"), StoreError);  // not editing
}

TEST_F(TableTest, KeySearchCaseRulesAndUniqueIndexes) {
  Table pics(db, picturesTableDef());
  pics.open();
  pics.insertRecord({FieldValue(), "Photo.JPG"});
  EXPECT_TRUE(pics.findKey(FieldValue("photo.jpg")));
  EXPECT_EQ(pics.asString("BlogPictureName"), "Photo.JPG");
  EXPECT_FALSE(pics.findKey(FieldValue("photo.png")));

  Table pages(db, pagesTableDef());
  pages.open();
  pages.insertRecord({"Index.html", 1, 2, 3});
  pages.insertRecord({"index.html", 4, 5, 6});  // case-sensitive: a second row
  EXPECT_EQ(pages.recordCount(), 2);
  ASSERT_TRUE(pages.findKey(FieldValue("index.html")));
  EXPECT_EQ(pages.asInteger("PageCRCExisting"), 4);
  EXPECT_THROW(pages.insertRecord({"index.html", 7, 8, 9}), StoreError);
  pages.cancel();

  Table opts(db, optionsTableDef());
  opts.open();
  opts.insertRecord({101, "Blog Title", "x"});
  EXPECT_THROW(opts.insertRecord({101, "Blog Title", "y"}), StoreError);
  opts.cancel();
  EXPECT_EQ(opts.recordCount(), 1);
}

TEST_F(TableTest, MemoIsStoredAsZlibAndStringsAreCutOnCharacters) {
  Table t(db, blogTableDef());
  t.open();
  const std::string text(4000, 'a');
  std::string longTitle;
  for (int i = 0; i < 300; ++i) longTitle += "\xC3\xA9";  // 300 two-byte characters
  t.insertRecord({FieldValue(), util::encodeDate(2004, 1, 1), longTitle, text});
  t.first();
  EXPECT_EQ(t.asString("BlogText"), text);
  EXPECT_EQ(t.asString("BlogTitle").size(), 500u);  // 250 characters
  Statement st = db.prepare("SELECT BlogText FROM tblBlog");
  ASSERT_EQ(sqlite3_step(st.get()), SQLITE_ROW);
  const std::string stored(static_cast<const char*>(sqlite3_column_blob(st.get(), 0)),
                           static_cast<size_t>(sqlite3_column_bytes(st.get(), 0)));
  std::string inflated;
  ASSERT_TRUE(util::zlibDecompress(stored, inflated).ok());
  EXPECT_EQ(inflated, text);
  EXPECT_EQ(static_cast<unsigned char>(stored[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(stored[1]), 0xDA);  // level 9
}

TEST_F(TableTest, DamagedCompressedValueNamesTheRow) {
  db.exec("INSERT INTO tblBlog (BlogDateTime, BlogText) VALUES ('2004-01-01 00:00:00.000', x'78DA0102')");
  Table t(db, blogTableDef());
  t.open();
  try {
    t.asString("BlogText");
    FAIL() << "no error";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find("BlogText"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("row 1"), std::string::npos);
  }
}

TEST_F(TableTest, BlobsFromAndToFiles) {
  Table t(db, filesTableDef());
  t.open();
  std::string bytes(100000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  testing::writeFile(dir.file("in.bin"), bytes);
  t.insert();
  t.setString("BlogFileName", "in.bin");
  ASSERT_TRUE(t.loadBlobFromFile("BlogFile", dir.file("in.bin")).ok());
  EXPECT_FALSE(t.loadBlobFromFile("BlogFile", dir.file("missing.bin")).ok());
  t.post();
  EXPECT_EQ(t.blobSize("BlogFile"), 100000);
  ASSERT_TRUE(t.saveBlobToFile("BlogFile", dir.file("out.bin")).ok());
  EXPECT_EQ(testing::readFile(dir.file("out.bin")), bytes);
}

TEST_F(TableTest, RestructureAddsColumnsAndKeepsRows) {
  db.deleteTable("tblPages");
  db.createTable(TableDef{"tblPages", {{"PageKey", FieldType::String, 120}}, {}});
  db.exec("INSERT INTO tblPages (PageKey) VALUES ('a.html')");
  ASSERT_TRUE(db.addColumns("tblPages", {{"PageCRCLocal", FieldType::Integer, 0}}).ok());
  EXPECT_EQ(db.columnsOf("tblPages"), (std::vector<std::string>{"PageKey", "PageCRCLocal"}));
  const Status missing = db.addColumns("tblNothing", {{"X", FieldType::Integer, 0}});
  EXPECT_FALSE(missing.ok());
  EXPECT_FALSE(missing.message().empty());
}

}  // namespace
}  // namespace tessary::store
