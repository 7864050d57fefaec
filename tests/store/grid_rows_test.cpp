#include "store/grid_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "store/blog_options.h"
#include "store/entries.h"
#include "store/open_blog_fixture.h"
#include "util/date_time.h"

namespace tessary::store {
namespace {

using testing::OpenBlogTest;

const std::vector<std::string> kEntryGrid = {"BlogDateTime", "BlogTitle", "BlogPageType", "BlogCategory"};

std::vector<int64_t> cursorOrder(Table& t) {
  std::vector<int64_t> ids;
  for (t.first(); !t.eof(); t.next()) ids.push_back(t.currentRowId());
  return ids;
}

std::vector<int64_t> gridOrder(const std::vector<GridRow>& rows) {
  std::vector<int64_t> ids;
  for (const GridRow& r : rows) ids.push_back(r.rowId);
  return ids;
}

class GridRowsTest : public OpenBlogTest {
 protected:
  int64_t addEntry(util::DateTime when, const std::string& title, int32_t category = kNoCategory) {
    Table& t = blog_->tblBlog();
    t.insert();
    t.setDateTime("BlogDateTime", when);
    t.setString("BlogTitle", title);
    t.setInteger("BlogPageType", kBlogEntry);
    t.setInteger("BlogCategory", category);
    t.post();
    return t.currentRowId();
  }
  Table& entries() { return blog_->tblBlog(); }
};

TEST_F(GridRowsTest, RowsComeInTheCursorsOrderRowsOfEqualKeyIncluded) {
  const util::DateTime when = util::encodeDateTime({2024, 2, 1, 10, 0, 0, 0});
  // Three rows of one time among others: the cursor lists the later insertion first.
  addEntry(when, "tie 1");
  addEntry(when - 1, "older");
  addEntry(when, "tie 2");
  addEntry(when + 1, "newer");
  addEntry(when, "tie 3");
  const std::vector<int64_t> cursor = cursorOrder(entries());
  const std::vector<GridRow> rows = readGridRows(entries(), kEntryGrid);
  EXPECT_EQ(gridOrder(rows), cursor);
  std::vector<std::string> titles;
  for (const GridRow& r : rows)
    if (r.values[1].rfind("tie", 0) == 0) titles.push_back(r.values[1]);
  EXPECT_EQ(titles, (std::vector<std::string>{"tie 3", "tie 2", "tie 1"}));

  // Another index, case-insensitive with names that differ only in case.
  Table& cats = blog_->tblCategory();
  for (const char* name : {"beta", "Alpha", "BETA", "alpha", "Beta"})
    cats.insertRecord({FieldValue(), std::string("t ") + name, name});
  cats.setIndex("NameKey");
  EXPECT_EQ(gridOrder(readGridRows(cats, {"CategoryName"})), cursorOrder(cats));
  cats.setIndex(kDisplayKey);
  EXPECT_EQ(gridOrder(readGridRows(cats, {"CategoryName"})), cursorOrder(cats));
}

TEST_F(GridRowsTest, ValuesReadAsTheCursorReadsThem) {
  const util::DateTime late = util::encodeDateTime({2023, 12, 31, 23, 59, 59, 999});
  const int64_t lateRow = addEntry(late, "late");
  const int64_t untitled = addEntry(util::encodeDateTime({2024, 1, 1, 0, 0, 0, 0}), "");
  const int64_t odd = addEntry(util::encodeDateTime({2024, 1, 2, 3, 4, 5, 0}), "odd", 17);
  const int64_t undated = addEntry(util::encodeDate(2024, 1, 3), "undated");
  // Values a hand-edited file may hold: nulls, a date-time without seconds, an
  // unreadable date-time, bytes in a text column, text in an integer column.
  Database& db = blog_->database();
  db.exec("UPDATE tblBlog SET BlogTitle = NULL, BlogCategory = NULL WHERE rowid = " + std::to_string(untitled));
  db.exec(
      "UPDATE tblBlog SET BlogDateTime = '2024-01-02 03:04', BlogTitle = X'414243', BlogCategory = 'abc' "
      "WHERE rowid = " +
      std::to_string(odd));
  db.exec("UPDATE tblBlog SET BlogDateTime = 'someday' WHERE rowid = " + std::to_string(undated));
  db.notifyDataChanged(tables::kBlog);

  const std::vector<GridRow> rows = readGridRows(entries(), kEntryGrid);
  Table& t = entries();
  std::map<int64_t, std::vector<std::string>> byRow;
  size_t n = 0;
  for (t.first(); !t.eof(); t.next(), ++n) {
    ASSERT_LT(n, rows.size());
    EXPECT_EQ(rows[n].rowId, t.currentRowId());
    ASSERT_EQ(rows[n].values.size(), kEntryGrid.size());
    for (size_t c = 0; c < kEntryGrid.size(); ++c)
      EXPECT_EQ(rows[n].values[c], t.asString(kEntryGrid[c])) << kEntryGrid[c] << " of row " << rows[n].rowId;
    byRow[rows[n].rowId] = rows[n].values;
  }
  EXPECT_EQ(n, rows.size());
  // And as the date format and the stored values say, not only as asString does.
  EXPECT_EQ(byRow[lateRow][0], util::formatDateTime("yyyy-mm-dd hh:nn:ss", late));
  EXPECT_EQ(byRow[lateRow][0], "2023-12-31 23:59:59");
  EXPECT_EQ(byRow[untitled], (std::vector<std::string>{"2024-01-01 00:00:00", "", std::to_string(kBlogEntry), ""}));
  EXPECT_EQ(byRow[odd], (std::vector<std::string>{"2024-01-02 03:04:00", "ABC", std::to_string(kBlogEntry), "abc"}));
  EXPECT_EQ(byRow[undated][0], "someday");
}

TEST_F(GridRowsTest, MemoBlobAndMissingColumnsAndAClosedTableAreRefused) {
  EXPECT_THROW(readGridRows(entries(), {"BlogTitle", "BlogText"}), StoreError);
  EXPECT_THROW(readGridRows(blog_->tblPictures(), {"BlogPicture"}), StoreError);
  EXPECT_THROW(readGridRows(entries(), {"NoSuchColumn"}), StoreError);
  // Column names compare without case, as the cursor's do.
  EXPECT_NO_THROW(readGridRows(entries(), {"blogtitle"}));
  Table closed(blog_->database(), blogTableDef());
  EXPECT_THROW(readGridRows(closed, {"BlogTitle"}), StoreError);
}

TEST_F(GridRowsTest, ReadingLeavesTheCursorItsRowAndItsPendingEdit) {
  for (int i = 0; i < 6; ++i) addEntry(util::encodeDate(2024, 3, 1 + i), "e" + std::to_string(i));
  Table& t = entries();
  t.first();
  t.next();
  t.next();
  const int64_t third = t.currentRowId();
  const std::vector<int64_t> order = cursorOrder(t);
  ASSERT_TRUE(t.gotoBookmark(third));
  t.edit();
  t.setString("BlogTitle", "typed, not yet posted");

  const std::vector<GridRow> rows = readGridRows(t, kEntryGrid);
  EXPECT_EQ(gridOrder(rows), order);
  EXPECT_EQ(t.state(), Table::State::Edit);
  EXPECT_EQ(t.currentRowId(), third);
  EXPECT_EQ(t.asString("BlogTitle"), "typed, not yet posted");
  // The grid shows what is stored, not the pending edit.
  EXPECT_NE(rows[2].values[1], "typed, not yet posted");
  t.post();
  t.next();
  EXPECT_EQ(t.currentRowId(), order[3]);
}

// A grid repaints whenever its table changes, also while a command walks the
// table and posts as it goes (the category clearing does): the walk still
// visits every row once, in order.
TEST_F(GridRowsTest, AGridReadingOnEveryChangeMidWalkLeavesTheWalksPosition) {
  for (int i = 0; i < 20; ++i) addEntry(util::encodeDate(2024, 4, 1 + i), "e" + std::to_string(i), i % 2);
  Table& t = entries();
  const std::vector<int64_t> order = cursorOrder(t);
  int repaints = 0;
  const int listener = blog_->database().addChangeListener([&](const std::string& table) {
    if (table == tables::kBlog) {
      readGridRows(t, kEntryGrid);
      ++repaints;
    }
  });
  std::vector<int64_t> visited;
  for (t.first(); !t.eof(); t.next()) {
    visited.push_back(t.currentRowId());
    if (t.asInteger("BlogCategory") == 1) {
      t.edit();
      t.setInteger("BlogCategory", kNoCategory);
      t.post();
    }
    if (visited.size() == 7) readGridRows(t, kEntryGrid);
  }
  blog_->database().removeChangeListener(listener);
  EXPECT_EQ(visited, order);
  EXPECT_EQ(repaints, 10);
}

// A large table is read whole in one statement without moving the current row
// (its speed is measured by bench_app, not here).
TEST_F(GridRowsTest, TenThousandEntriesAreReadWithoutMovingTheCurrentRow) {
  {
    Transaction tx(blog_->database());
    const util::DateTime start = util::encodeDateTime({2020, 1, 1, 8, 0, 0, 0});
    for (int i = 0; i < 10000; ++i)
      entries().insertRecord({FieldValue(), start + i / 3 * 0.01, "Entry number " + std::to_string(i), FieldValue(),
                              FieldValue(i % 7), FieldValue(), FieldValue(kBlogEntry)});
    tx.commit();
  }
  const int64_t before = entries().currentRowId();
  EXPECT_EQ(readGridRows(entries(), kEntryGrid).size(), 10003u);  // with the three sample entries
  EXPECT_EQ(entries().currentRowId(), before);
}

// ---- Change notices --------------------------------------------------------

class ChangeNoticeTest : public OpenBlogTest {
 protected:
  void SetUp() override {
    OpenBlogTest::SetUp();
    listener_ = blog_->database().addChangeListener([this](const std::string& t) { seen_.push_back(t); });
  }
  void TearDown() override {
    blog_->database().removeChangeListener(listener_);
    OpenBlogTest::TearDown();
  }
  // True when a notice since the last call covers the table; forgets them.
  bool announced(const std::string& table) {
    bool found = false;
    for (const auto& t : seen_) found = found || t == table || t.empty();
    seen_.clear();
    return found;
  }
  void editorSets(const std::string& title, int32_t category = kNoCategory) {
    ui_.onEntryEditor = [title, category](BlogRec& r, bool) {
      r.BlogTitle = title;
      r.BlogCategory = category;
      return true;
    };
  }

  std::vector<std::string> seen_;
  int listener_ = 0;
};

TEST_F(ChangeNoticeTest, EntryAndCategoryCommandsAndSavedOptionsAreAnnounced) {
  editorSets("new entry");
  ASSERT_TRUE(AddEntry(*blog_));
  EXPECT_TRUE(announced(tables::kBlog));
  editorSets("edited entry");
  ASSERT_TRUE(EditEntry(*blog_));
  EXPECT_TRUE(announced(tables::kBlog));
  ui_.defaultAnswer = Answer::Ok;
  ASSERT_TRUE(RemoveEntry(*blog_));
  EXPECT_TRUE(announced(tables::kBlog));

  blog_->options().BlogTitle = "Renamed";
  blog_->SaveOptions();
  EXPECT_TRUE(announced(tables::kOptions));

  editorSets("cat");
  ASSERT_TRUE(AddCategory(*blog_));
  const int32_t k = blog_->tblCategory().asInteger("CategoryKey");
  EXPECT_TRUE(announced(tables::kCategory));
  editorSets("uses cat", k);
  ASSERT_TRUE(AddEntry(*blog_));
  seen_.clear();
  ASSERT_TRUE(findCategory(*blog_, k));
  ASSERT_TRUE(RemoveCategory(*blog_));
  bool blogSeen = false, categorySeen = false;
  for (const auto& t : seen_) {
    blogSeen = blogSeen || t == tables::kBlog;
    categorySeen = categorySeen || t == tables::kCategory;
  }
  EXPECT_TRUE(blogSeen);
  EXPECT_TRUE(categorySeen);
  seen_.clear();

  // Cancelled commands change nothing and say nothing.
  ui_.onEntryEditor = nullptr;
  EXPECT_FALSE(AddEntry(*blog_));
  EXPECT_TRUE(seen_.empty());
}

// Two cursors over one table: the second learns of the first's posts, so its
// cached order never hides a row.
TEST_F(ChangeNoticeTest, AnotherCursorOverTheTableSeesEveryPostedRow) {
  Table other(blog_->database(), blogTableDef());
  other.open();
  const int before = other.recordCount();
  editorSets("seen by both");
  ASSERT_TRUE(AddEntry(*blog_));
  EXPECT_EQ(other.recordCount(), before + 1);
  EXPECT_EQ(cursorOrder(other), cursorOrder(blog_->tblBlog()));
  ui_.defaultAnswer = Answer::Ok;
  ASSERT_TRUE(RemoveEntry(*blog_));
  EXPECT_EQ(other.recordCount(), before);
}

TEST_F(ChangeNoticeTest, AListenerMayRemoveItselfWhileItIsCalled) {
  Database& db = blog_->database();
  int calls = 0, id = 0;
  id = db.addChangeListener([&](const std::string&) {
    ++calls;
    db.removeChangeListener(id);
  });
  db.notifyDataChanged(tables::kBlog);
  db.notifyDataChanged(tables::kBlog);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tessary::store
